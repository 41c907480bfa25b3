#pragma once
// The numbers of the high/low alerts: the threshold bands of each unit, the
// stepping that wraps a threshold around within its band, the three stored
// forms of a threshold, and the blinking of the high alert.
#include "liveview/temperature.h"

#include <QString>

namespace alerts {

using temps::Unit;

// "C" is Celsius, "F" Fahrenheit; Unit::None for any other text.
Unit unitFromText(const QString &text);

// The lowest low threshold and the highest high threshold of a unit (Celsius
// for anything but Fahrenheit).
struct Band {
    int lowest;
    int highest;
};
Band band(Unit unit);

// One step of the high threshold (`steps` > 0 up, < 0 down). Running past
// the top continues from just above the low threshold; coming down onto the
// low threshold continues from the top.
int stepHigh(int high, int low, int steps, Unit unit);
// One step of the low threshold. Going up onto the high threshold continues
// from the bottom; running past the bottom continues from just below high.
int stepLow(int low, int high, int steps, Unit unit);

// The three stored forms of one threshold: degrees Celsius, Fahrenheit, kelvin.
struct Stored {
    int c;
    int f;
    int k;
};
Stored storedFromCelsius(int c);
Stored storedFromFahrenheit(int f);
Stored storedFrom(int value, Unit unit);

// The factory thresholds.
constexpr int kFactoryHighC = 130;
constexpr int kFactoryLowC = 20;

// The stored Celsius thresholds ("high_temp_c", "low_temp_c") as the camera
// takes them, for the alerts and the temperature server alike: pinned to the
// Celsius band, the factory threshold when missing or unreadable (a damaged
// file cannot sound the alarm at 0 degrees).
int storedHighC();
int storedLowC();

// True when the measured value reaches the high threshold (both in Celsius),
// compared as the live view shows them (in Fahrenheit both converted first).
bool highReached(float measuredC, float thresholdC, Unit unit);

// The high alert's blinking: during an alarm the warning and the output
// toggle on every evaluation; otherwise both are off.
class HighAlertBlinker {
public:
    struct Step {
        bool shown;
        int output;   // -1: leave the line as it is; 0 low; 1 high
    };
    explicit HighAlertBlinker(int *ledOn) : m_ledOn(ledOn) {}
    Step evaluate(bool alertOn, bool reached);

private:
    int *m_ledOn;   // 1 while the output is high
};

}   // namespace alerts
