#include "liveview/temperature.h"

#include <cstdlib>

namespace temps {

bool HotSpotTracker::update(int row, int col)
{
    if (m_rowOld < -15 && m_colOld < -15)
        m_moved = true;
    else
        m_moved = std::abs(row - m_rowOld) > 8 || std::abs(col - m_colOld) > 8;
    m_rowOld = row;
    m_colOld = col;
    return m_moved;
}

float HeldValue::apply(float value, bool hotSpotMoved)
{
    if (!(m_old < -200.0f) && !hotSpotMoved) {
        const float diff = m_old - value;
        if (diff >= -0.5f && diff <= 0.5f)
            value = m_old;
    }
    m_old = value;
    return value;
}

FrameTemps TemperaturePipeline::process(uint16_t centre, uint16_t max, uint16_t min, uint16_t zoneMax,
                                        bool hotSpotMoved)
{
    FrameTemps t;
    t.centre = rawToCelsius(centre);
    t.max = rawToCelsius(max);
    t.min = rawToCelsius(min);
    t.zoneMax = rawToCelsius(zoneMax);

    t.max = m_max.apply(t.max, hotSpotMoved);
    t.centre = m_centre.apply(t.centre, hotSpotMoved);
    t.zoneMax = m_zone.apply(t.zoneMax, hotSpotMoved);

    if (t.centre > t.max)
        t.max = t.centre;
    if (t.zoneMax > t.max)
        t.zoneMax = t.max;

    if (t.max == t.min) {
        t = FrameTemps{};
        return t;
    }
    t.centre = highRangeCorrected(t.centre);
    t.max = highRangeCorrected(t.max);
    t.min = highRangeCorrected(t.min);
    t.zoneMax = highRangeCorrected(t.zoneMax);
    return t;
}

static float toFahrenheit(float celsius) { return celsius * 9.0f / 5.0f + 32.0f; }

QString formatReadout(float celsius, Unit unit)
{
    switch (unit) {
    case Unit::Celsius:
        return QString::number(static_cast<double>(celsius), 'f', 1);
    case Unit::Fahrenheit:
        return QString::number(static_cast<double>(toFahrenheit(celsius)) + 0.05, 'f', 1);
    case Unit::None:
        break;
    }
    return QString();
}

QString formatCursor(float celsius, Unit unit)
{
    switch (unit) {
    case Unit::Celsius:
        return QString::number(static_cast<double>(celsius), 'f', 1);
    case Unit::Fahrenheit:
        return QString::number(static_cast<double>(toFahrenheit(celsius)), 'f', 1);
    case Unit::None:
        break;
    }
    return QString();
}

QString unitSign(Unit unit)
{
    switch (unit) {
    case Unit::Celsius:
        return QStringLiteral("\u2103 ");
    case Unit::Fahrenheit:
        return QStringLiteral("\u2109 ");
    case Unit::None:
        break;
    }
    return QString();
}

AlertPair alertPair(float measuredCelsius, float thresholdCelsius, Unit unit)
{
    AlertPair p;
    if (unit == Unit::Fahrenheit) {
        measuredCelsius = toFahrenheit(measuredCelsius);
        thresholdCelsius = toFahrenheit(thresholdCelsius);
    }
    p.measured = static_cast<float>(static_cast<double>(measuredCelsius) + 0.05);
    p.threshold = static_cast<float>(static_cast<double>(thresholdCelsius) + 0.05);
    return p;
}

ServerReading serverReading(float measuredCelsius, float thresholdCelsius, const QString &emissivityText, Unit unit)
{
    const AlertPair p = alertPair(measuredCelsius, thresholdCelsius, unit);
    ServerReading r;
    r.measured = p.measured;
    r.threshold = p.threshold;
    r.emissivity = static_cast<float>(emissivityText.trimmed().toDouble() + 0.005);
    return r;
}

}   // namespace temps
