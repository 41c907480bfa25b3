#include "liveview/alertrules.h"

#include "core/config.h"

namespace alerts {

Unit unitFromText(const QString &text)
{
    return text == QLatin1String("C") ? Unit::Celsius : text == QLatin1String("F") ? Unit::Fahrenheit : Unit::None;
}

Band band(Unit unit) { return unit == Unit::Fahrenheit ? Band{-4, 1022} : Band{-20, 550}; }

static int storedC(const char *key, int factory)
{
    const Band b = band(Unit::Celsius);
    return config::readIntInRange(config::Main, QString::fromLatin1(key), b.lowest, b.highest, factory);
}

int storedHighC() { return storedC("high_temp_c", kFactoryHighC); }
int storedLowC() { return storedC("low_temp_c", kFactoryLowC); }

int stepHigh(int high, int low, int steps, Unit unit)
{
    const Band b = band(unit);
    high += steps;
    if (steps > 0 && high > b.highest)
        high = low + 1;
    else if (steps < 0 && high <= low)
        high = b.highest;
    return high;
}

int stepLow(int low, int high, int steps, Unit unit)
{
    const Band b = band(unit);
    low += steps;
    if (steps > 0 && high <= low)
        low = b.lowest;
    else if (steps < 0 && low < b.lowest)
        low = high - 1;
    return low;
}

// Truncation toward zero, as the stored forms are defined.
static int trunc0(double v) { return static_cast<int>(v); }

Stored storedFromCelsius(int c) { return {c, trunc0(c * 9.0 / 5.0 + 32 + 0.5), c + 273}; }

Stored storedFromFahrenheit(int f)
{
    const double c = (f - 32) * 5.0 / 9.0;
    return {trunc0(c + 0.5), f, trunc0(c + 273 + 0.5)};
}

Stored storedFrom(int value, Unit unit)
{
    return unit == Unit::Fahrenheit ? storedFromFahrenheit(value) : storedFromCelsius(value);
}

bool highReached(float measuredC, float thresholdC, Unit unit)
{
    const temps::AlertPair p = temps::alertPair(measuredC, thresholdC, unit);
    return p.measured >= p.threshold;
}

HighAlertBlinker::Step HighAlertBlinker::evaluate(bool alertOn, bool reached)
{
    if (alertOn && reached && *m_ledOn != 1) {
        *m_ledOn = 1;
        return {true, 1};
    }
    // Off, below the threshold, or the dark half of a blink.
    if (*m_ledOn == 1) {
        *m_ledOn = 0;
        return {false, 0};
    }
    return {false, -1};
}

}   // namespace alerts
