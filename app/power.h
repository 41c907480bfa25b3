#pragma once
// Process-wide state of power, battery and device health (GUI thread only).

extern int powerOffCount;     // seconds without a handled key
extern int lowPowerCnt;       // consecutive low battery readings
extern bool usbCharge;        // charger connected and charging
extern float internal_temp;   // board temperature, degrees Celsius

namespace power {
// Puts every variable above back to its start value (a fresh main window).
void resetState();
}   // namespace power
