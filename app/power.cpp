// Power, battery and device health.
#include "app/norvik7.h"

void Norvik7::usbChargeStatusCheck() {}
void Norvik7::autoPowerOffCheck() {}
float Norvik7::tmp112Read() { return 0.0f; }
void Norvik7::batteryCapacityUpdate() {}
float Norvik7::cpuInternalTempRead() { return 0.0f; }
