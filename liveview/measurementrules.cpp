#include "liveview/measurementrules.h"

#include <algorithm>
#include <cmath>

namespace measurement {

namespace {
float onHundredths(double v) { return static_cast<float>(std::round(v * 100.0) / 100.0); }
}   // namespace

float stepEmissivity(float e, int steps)
{
    const double v = std::clamp(static_cast<double>(e) + steps * 0.01, double(kMinEmissivity), double(kMaxEmissivity));
    return std::clamp(onHundredths(v), kMinEmissivity, kMaxEmissivity);
}

float stepDistance(float d, int steps)
{
    const double v = std::clamp(static_cast<double>(d) + steps * 0.05, double(kMinDistance), double(kMaxDistance));
    return std::clamp(onHundredths(v), kMinDistance, kMaxDistance);
}

Ambient stepAmbientCelsius(Ambient a, int steps)
{
    const int c = std::clamp(a.c + steps, kMinAmbientC, kMaxAmbientC);
    return {c, static_cast<int>(c * 9.0 / 5.0 + 32 + 0.5)};
}

Ambient stepAmbientFahrenheit(Ambient a, int steps)
{
    const int f = std::clamp(a.f + steps, kMinAmbientF, kMaxAmbientF);
    return {static_cast<int>((f - 32) * 5.0 / 9.0 + 0.5), f};
}

QString twoDecimals(float v) { return QString::number(static_cast<double>(v), 'f', 2); }

}   // namespace measurement
