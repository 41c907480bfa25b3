#include "media/capture.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <unistd.h>
#include <vector>

#include "core/config.h"
#include "core/wholefile.h"
#include "board/board.h"
#include "media/mediafolder.h"
#include "media/savedimage.h"

bool availableDiskSmall = false;
bool sdcardTipStatusEnable = true;

namespace capture {

int readCounter()
{
    const int n = config::readInt(config::Image, QStringLiteral("image_count"));
    return static_cast<unsigned>(n - 1) > 9998u ? 1 : n;
}

void writeCounter(int next) { config::write(config::Image, QStringLiteral("image_count"), next); }

QString bmpPath(int number) { return mediafolder::boardPath(mediafolder::imageName(number, "bmp")); }
QString jpgPath(int number) { return mediafolder::boardPath(mediafolder::imageName(number, "jpg")); }

int chooseNumber()
{
    int n = readCounter();
    const QString folder = mediafolder::hostFolder();
    if (!QFileInfo::exists(folder)) {
        if (!QDir().mkpath(folder))
            return 0;
        return 1;
    }
    // Usually the number is free; only when it is not is the folder listed.
    if (!QFile::exists(board::path(bmpPath(n))) && !QFile::exists(board::path(jpgPath(n))))
        return n;
    return mediafolder::nextFreeNumber(n, QDir(folder).entryList(QDir::Files));
}

QByteArray thermalFile(const Shot &s)
{
    using namespace savedimage;
    const StoredTemperatures t = storedTemperatures(s.centre, s.max, s.min, s.celsius);
    ExifFields f;
    f.unitFlag = t.unitFlag;
    f.maxTemp = t.max;
    f.minTemp = t.min;
    f.centerTemp = t.centre;
    f.emissivity = storedEmissivity(s.emissivity);
    f.minX = static_cast<uint16_t>(s.minMarker.x() + 16);
    f.minY = static_cast<uint16_t>(s.minMarker.y() + 16);
    f.maxX = static_cast<uint16_t>(s.maxMarker.x() + 16);
    f.maxY = static_cast<uint16_t>(s.maxMarker.y() + 16);
    std::vector<uint8_t> gray(kScreenWidth * kScreenHeight);
    enlargeGray(s.gray, gray.data());
    std::vector<uint16_t> raw(s.raw, s.raw + kFrameWidth * kFrameHeight);
    clampRaw(raw.data(), static_cast<int>(raw.size()), t.min, t.max);
    return buildFile(s.screen, exifBlock(gray.data(), colourTableFor(s.colorMap), f), raw.data());
}

bool writeWhole(const QString &boardPath, const QByteArray &data)
{
    return wholefile::write(board::path(boardPath), data, board::cardWriteStep);
}

bool writeJpeg(const QString &boardPath, const QImage &visible)
{
    if (visible.isNull())
        return false;
    const QImage fitted = visible.scaled(240, 320, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!fitted.save(&buffer, "JPEG", 100))
        return false;
    return writeWhole(boardPath, bytes);
}

}   // namespace capture
