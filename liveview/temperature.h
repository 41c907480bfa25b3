#pragma once
// The numbers of the live view's temperatures: raw words to degrees, the hold
// that keeps the digits from flickering, the consistency and high-range
// corrections, the display formats and the values sent to the temperature
// server. No widget in here; the main window's frame slots call these.
#include <QString>

#include <cstdint>

namespace temps {

enum class Unit { None, Celsius, Fahrenheit };

// A raw word is in sixteenths of a kelvin.
inline float rawToCelsius(uint16_t raw) { return static_cast<float>(raw * 0.0625 - 273.15); }

// Values at or above 490 degrees read 8 degrees low on the core's high range.
inline float highRangeCorrected(float celsius) { return celsius >= 490.0f ? celsius + 8.0f : celsius; }

// Whether the hot spot moved: compares this frame's maximum position with
// the previous frame's (more than 8 rows or columns apart, or no previous one).
class HotSpotTracker {
public:
    bool update(int row, int col);
    bool moved() const { return m_moved; }

private:
    int m_rowOld = -16;
    int m_colOld = -16;
    bool m_moved = true;
};

// One steadied reading: a change of at most half a degree is not shown while
// the hot spot stays put. Below -200 means no previous value yet.
class HeldValue {
public:
    float apply(float value, bool hotSpotMoved);
    float previous() const { return m_old; }

private:
    float m_old = -300.0f;
};

// The four temperatures of one frame, degrees Celsius.
struct FrameTemps {
    float centre = 0, max = 0, min = 0, zoneMax = 0;
};

// The per-frame pipeline: convert, hold (maximum, centre, zone maximum),
// consistency, flat frame and high-range correction.
class TemperaturePipeline {
public:
    FrameTemps process(uint16_t centre, uint16_t max, uint16_t min, uint16_t zoneMax, bool hotSpotMoved);

private:
    HeldValue m_max, m_centre, m_zone;
};

// Display texts, one decimal, no unit sign. The main readouts round
// Fahrenheit up by 0.05; the movable cursors do not.
QString formatReadout(float celsius, Unit unit);
QString formatCursor(float celsius, Unit unit);
// "℃ " or "℉ " (with the trailing blank); empty for no unit.
QString unitSign(Unit unit);

// The measured value and high threshold compared by the high alert and sent
// to the temperature server: in the display unit, each plus 0.05.
struct AlertPair {
    float measured = 0, threshold = 0;
};
AlertPair alertPair(float measuredCelsius, float thresholdCelsius, Unit unit);

// The three values for the temperature server (measured, threshold, emissivity).
struct ServerReading {
    float measured = 0, threshold = 0, emissivity = 0;
};
ServerReading serverReading(float measuredCelsius, float thresholdCelsius, const QString &emissivityText, Unit unit);

// The temperature under a movable cursor: the raw word converted, with the
// high-range correction and nothing else.
inline float cursorCelsius(uint16_t raw) { return highRangeCorrected(rawToCelsius(raw)); }

}   // namespace temps
