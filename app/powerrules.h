#pragma once
// The numbers of power, battery and device health, without any widget: the
// battery voltage and its level icon, the charger lines, the auto power-off
// limits and the temperature readings.
#include <QByteArray>
#include <QString>

namespace power {

// ---- battery ------------------------------------------------------------------
// The battery ADC is 12 bits over a 4.2 V full scale.
double adcCountToVolts(long count);
// The leading decimal number of a sysfs reading ("3803\n"); 0 when there is none.
long parseDecimal(const QByteArray &text);

// Number of readings averaged for one battery level.
constexpr int kReadingsPerLevel = 10;
// Mean voltages at or below this are no reading at all (no battery, or the ADC
// file unreadable): the icon is left as it is and nothing powers off.
constexpr double kNoReadingVolts = 2.0;
// Below this the battery is low.
constexpr double kLowVolts = 2.65;
// Consecutive low readings that power the device off.
constexpr int kLowReadingsToPowerOff = 3;

// Level 0..5 of the icon for a mean voltage, or kNoLevel when the label is to
// be left unchanged.
constexpr int kNoLevel = -1;
int batteryLevel(double meanVolts);
bool isLowBattery(double meanVolts);   // 2.0 < V < 2.65

QString batteryLevelStyle(int level);    // "border-image: url(:/images/battery/battery_N.png);"
QString chargingFrameStyle(int frame);   // "border-image: url(:/images/battery/charge_N.png);"
constexpr int kChargingFrames = 6;
int nextChargingFrame(int frame);   // 0, 1, ... 5, 0, ...

// ---- charger lines -------------------------------------------------------------
constexpr int kLineAlarm = 1;       // output, 0 before every power-off
constexpr int kLineWifiPower = 4;   // output
constexpr int kLinePowerOff = 5;    // output, 1 powers the board off
constexpr int kLineChargerA = 6;    // input
constexpr int kLineChargerB = 7;    // input
// Charging is status A high and status B low.
bool isCharging(int statA, int statB);

// ---- auto power-off ------------------------------------------------------------
// Choice index (0 "5 Minutes", 1 "10 Minutes", 2 "30 Minutes", 3 "Off") to
// its idle limit in seconds; 0 means never.
int autoPowerOffLimitSeconds(int choiceIndex);
constexpr int kAutoPowerOffOff = 3;
// "5 Minutes. Power off." and its siblings; empty for "Off".
QString autoPowerOffMessage(int choiceIndex);

// ---- temperatures --------------------------------------------------------------
// sysfs temperatures are millidegrees Celsius.
float milliCelsiusToCelsius(const QByteArray &text);
// Above this processor temperature the device warns and powers off.
constexpr float kCpuShutdownCelsius = 83.0f;
bool isCpuTooHot(float celsius);
// Grace between the over-temperature warning and the power-off.
constexpr int kOverTemperatureGraceMs = 20000;

// ---- backlight -----------------------------------------------------------------
constexpr const char *kBacklight = "/sys/devices/soc0/backlight.11/backlight/backlight.11/brightness";
constexpr const char *kBatteryAdc = "/sys/bus/iio/devices/iio:device0/in_voltage7_raw";
constexpr const char *kBoardTemperature = "/sys/bus/i2c/devices/i2c-0/0-0049/temp1_input";
constexpr const char *kCpuTemperature = "/sys/devices/virtual/thermal/thermal_zone0/temp";

}   // namespace power
