#include "media/mediatexts.h"

#include <QFileInfo>
#include <QTime>

namespace mediatexts {

namespace {
const QString kCelsius = QStringLiteral("\u2103 ");
const QString kFahrenheit = QStringLiteral("\u2109 ");

QString degrees(int16_t tenths, uint8_t unit)
{
    if (unit == 0)
        return QString::number(tenths / 10.0, 'f', 1) + kCelsius;
    const float f = static_cast<float>(tenths) / 10.0f * 1.8f + 32.0f;
    return QString::number(f, 'f', 1) + kFahrenheit;
}
}   // namespace

ImageDetails imageDetails(const savedimage::Contents &c)
{
    ImageDetails d;
    if (!c.header || !c.hasExif)
        return d;
    d.resolution = QString::number(c.width) + 'x' + QString::number(c.height);
    d.emissivity = QString::number(c.fields.emissivity / 100.0, 'f', 2);
    const uint8_t unit = c.fields.unitFlag;
    if (unit > 1)
        return d;
    d.unit = unit == 0 ? kCelsius : kFahrenheit;
    d.centre = degrees(c.fields.centerTemp, unit);
    d.max = degrees(c.fields.maxTemp, unit);
    d.min = degrees(c.fields.minTemp, unit);
    return d;
}

std::optional<QString> sizeText(qint64 s, const QString &bytes)
{
    if (s < 0)
        return std::nullopt;
    if (s < 1024)
        return QString::number(s) + ' ' + bytes;
    if (s < 1048576)
        return QString::number(s / 1024.0, 'f', 2) + QStringLiteral(" K ") + bytes;
    if (s < 1073741824)
        return QString::number(s * 9.536743e-7, 'f', 2) + QStringLiteral(" M ") + bytes;
    return std::nullopt;
}

std::optional<QString> lengthText(double frameCount, double fps)
{
    const qint64 frames = static_cast<qint64>(frameCount);
    const qint64 rate = static_cast<qint64>(fps);
    if (frames <= 0 || rate <= 0 || frames / rate >= 24 * 3600)
        return std::nullopt;
    return QTime(0, 0).addSecs(static_cast<int>(frames / rate)).toString(QStringLiteral("HH:mm:ss"));
}

QString fileTime(const QString &hostPath, const QString &format)
{
    const QFileInfo info(hostPath);
    QDateTime t = info.birthTime();
    if (!t.isValid())
        t = info.lastModified();
    return t.toString(format);
}

}   // namespace mediatexts
