#pragma once
// What the acquisition side sends to the infrared module: the object
// parameters (emissivity, reflected temperature, distance) with their codes,
// the module commands the loop runs between frames, the calibration modes,
// and the loop's pacing rules. No Qt in here.

#include <atomic>
#include <cstdint>

namespace acq {

// ---- pauses --------------------------------------------------------------------------
// Every wait of the loop and of its requests goes through pause(); tests
// replace it to watch the waits without waiting.
using PauseFn = void (*)(int ms);
void setPause(PauseFn fn);   // nullptr: really sleep
void pause(int ms);

// ---- object parameters --------------------------------------------------------------------
// Emissivity code: (1.2e - 0.2) * 128 + 0.5 from 0.9 up, (e - 0.02) * 128 + 0.5
// above 0.04, else 3; truncated, low 8 bits.
int emissivityCode(float e);
// Reflected temperature: kelvin as kept (degrees + 273.15 + 0.5), and the
// word sent (its integer part).
float reflectedKelvin(int celsius);
uint16_t reflectedCode(float kelvin);
// Distance code: metres * 128 + 0.5, truncated.
uint16_t distanceCode(float metres);

// Each sends only what differs from the value last sent, then reads it back.
void sendEmissivity(float e);
void sendReflectedTemperature(int celsius);
void sendDistance(float metres);

// ---- module commands -------------------------------------------------------------------------
// Runs one command: 1 shutter correction, 2 shutter background correction,
// 19 low gain, 20 high gain, 29..32 the calibration tables' handler.
void runModuleCommand(int code);
// After a gain command in the loop: the new gain's edge enhancement, 2 s later.
void gainFollowUp(int code);
// Edge enhancement of a gain: level 0 for low gain, 2 for high gain.
void setDdeLevel(int gain);

// Commands 29..32 belong to the temperature calibration; it installs their handler.
using TableCommandHandler = void (*)(int code);
void setTableCommandHandler(TableCommandHandler handler);

// ---- calibration modes ----------------------------------------------------------------------------
enum CalibrationMode : uint8_t {
    kRmcoverHigh = 0,
    kRmcoverLow = 1,
    kLowPointHigh = 2,
    kMidPointHigh = 3,
    kHighPointHigh = 4,
    kLowPointLow = 5,
    kMidPointLow = 6,
    kHighPointLow = 7,
    kResetHigh = 8,
    kResetLow = 9,
    kNewRecal = 10,
    kCalibrationIdle = 0xFF,
};
// The mode for the current gain: high-gain mode for gain 1, low-gain mode
// for gain 0, `current` otherwise.
uint8_t modeForGain(int gain, uint8_t highGainMode, uint8_t lowGainMode, uint8_t current);

// The loop's requests before a frame: the calibration mode (if any), then the
// pending module command with its follow-up. `calibrated` is called right
// after a mode's own steps, before a pending command runs (the loop reports
// the finished calibration there). True when a calibration mode was carried out.
using CalibratedFn = void (*)(void *context);
bool carryOutRequests(std::atomic<uint8_t> &mode, CalibratedFn calibrated = nullptr, void *context = nullptr);

// ---- pacing --------------------------------------------------------------------------------------------
// 20 ms in the thermal and visible modes with neither the calibration menu
// nor a USB video client; 40 ms otherwise.
int framePauseMs(int imageMode, int calibrationMenu, int uvcStreaming);
// A visible picture is grabbed every frame outside the thermal mode, and on
// every fifth frame in it.
bool visibleWanted(int imageMode, int frameCounter);

}   // namespace acq
