#pragma once
// Process-wide state of power, battery and device health (GUI thread only).

extern int powerOffCount;        // seconds without a handled key
extern int lowPowerCnt;          // consecutive low battery readings
extern bool usbCharge;           // charger connected and charging
extern int stat1;                // last value of charger status line A (GPIO 6)
extern int stat2;                // last value of charger status line B (GPIO 7)
extern int chargr_pic;           // frame of the charging animation, 0..5
extern float internal_temp;      // board temperature, degrees Celsius
extern float internal_cpu_temp;  // processor temperature, degrees Celsius

namespace power {
// Puts every variable above back to its start value (a fresh main window).
void resetState();
}
