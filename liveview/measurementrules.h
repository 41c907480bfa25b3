#pragma once
// The numbers of the measurement parameters: stepping and limits of the
// emissivity, the ambient (reflected) temperature and the distance, and their
// texts.
#include <QString>

namespace measurement {

constexpr float kMinEmissivity = 0.01f, kMaxEmissivity = 1.00f, kDefaultEmissivity = 0.95f;
constexpr int kMinAmbientC = -10, kMaxAmbientC = 50, kDefaultAmbientC = 25;
constexpr int kMinAmbientF = 14, kMaxAmbientF = 122, kDefaultAmbientF = 77;
constexpr float kMinDistance = 0.25f, kMaxDistance = 4.00f, kDefaultDistance = 0.25f;

// e + steps x 0.01, within 0.01..1.00, kept on whole hundredths.
float stepEmissivity(float e, int steps);
// d + steps x 0.05, within 0.25..4.00, kept on whole hundredths.
float stepDistance(float d, int steps);

// The ambient temperature in both units; the edited one steps and is limited,
// the other follows it (rounded half up, truncated toward zero).
struct Ambient {
    int c;
    int f;
};
Ambient stepAmbientCelsius(Ambient a, int steps);
Ambient stepAmbientFahrenheit(Ambient a, int steps);

// "0.95"; "2.50" (the unit text is added by the screen).
QString twoDecimals(float v);

}   // namespace measurement
