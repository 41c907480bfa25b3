#pragma once
// Process-wide state of power, battery and device health (GUI thread only).
struct PowerState {
    int powerOffCount = 0;        // seconds without a handled key
    int lowPowerCnt = 0;          // consecutive low battery readings
    bool usbCharge = false;       // charger connected and charging
    float internal_temp = 0.0f;   // board temperature, degrees Celsius
};
extern PowerState powerState;

namespace power {
// Puts the state above, and the file's own, back to the start values (a fresh main window).
void resetState();
}   // namespace power
