#include "app/powerrules.h"

#include <cstdlib>

namespace power {

double adcCountToVolts(long count) { return static_cast<double>(count) * (1.0 / 4096.0) * 4.2; }

long parseDecimal(const QByteArray &text)
{
    // Like atol: leading blanks, an optional sign, then digits; anything else ends it.
    const QByteArray z = text + '\0';
    return std::strtol(z.constData(), nullptr, 10);
}

int batteryLevel(double v)
{
    if (v >= 3.46)
        return 5;
    if (v >= 3.28)
        return 4;
    if (v >= 3.01)
        return 3;
    if (v >= 2.83)
        return 2;
    if (v >= kLowVolts)
        return 1;
    if (v > kNoReadingVolts)
        return 0;
    return kNoLevel;
}

bool isLowBattery(double v) { return v > kNoReadingVolts && v < kLowVolts; }

QString batteryLevelStyle(int level)
{
    return QStringLiteral("border-image: url(:/images/battery/battery_%1.png);").arg(level);
}

QString chargingFrameStyle(int frame)
{
    return QStringLiteral("border-image: url(:/images/battery/charge_%1.png);").arg(frame);
}

int nextChargingFrame(int frame) { return frame >= kChargingFrames - 1 || frame < 0 ? 0 : frame + 1; }

bool isCharging(int statA, int statB) { return statA == 1 && statB == 0; }

int autoPowerOffLimitSeconds(int choiceIndex)
{
    switch (choiceIndex) {
    case 0:
        return 300;
    case 1:
        return 600;
    case 2:
        return 1800;
    default:
        return 0;
    }
}

QString autoPowerOffMessage(int choiceIndex)
{
    switch (choiceIndex) {
    case 0:
        return QStringLiteral("5 Minutes. Power off.");
    case 1:
        return QStringLiteral("10 Minutes. Power off.");
    case 2:
        return QStringLiteral("30 Minutes. Power off.");
    default:
        return QString();
    }
}

float milliCelsiusToCelsius(const QByteArray &text) { return static_cast<float>(parseDecimal(text)) / 1000.0f; }

bool isCpuTooHot(float celsius) { return celsius > kCpuShutdownCelsius; }

}   // namespace power
