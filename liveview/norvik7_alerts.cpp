// The high/low alerts and the colour bar of the live view.
#include "app/norvik7.h"

void Norvik7::evaluateAlerts(float measuredCelsius, float minimumCelsius)
{
    Q_UNUSED(measuredCelsius);
    Q_UNUSED(minimumCelsius);
}

void Norvik7::updateMaxMinTempColorMap()
{
}
