#pragma once
// Process-wide state of the acquisition side, kept together here. Requests
// from GUI-thread slots to the acquisition loop are single atomic words read
// once per frame; a newer request replaces an older one not yet carried out.

#include "acquisition/palettenumber.h"

#include <atomic>
#include <cstdint>

// Module commands the loop runs before its next frame.
enum ModuleCommand : int {
    kNoCommand = -1,
    kShutterCorrection = 1,
    kShutterBackground = 2,
    kLowGainCommand = 19,
    kHighGainCommand = 20,
    kSaveHighGainTables = 29,
    kSaveLowGainTables = 30,
    kRecalHighGain = 31,
    kRecalLowGain = 32,
};

// Image mode of the live view: 0 thermal, 1 visible ("digital"), 2 blend,
// 3 picture-in-picture. Set by the GUI thread; the loop takes a visible
// frame only while it needs one.
extern std::atomic<int> image_mode;
// Pending module command, kNoCommand when none.
extern std::atomic<int> pendingModuleCommand;
// Gain in use: 0 low gain (high temperature range), 1 high gain (low range).
extern std::atomic<uint8_t> currentGain;
// The stored gain choice, mirroring the configuration key "temperature_scale".
extern std::atomic<uint8_t> temperature_scale;
// Edge enhancement level read back from the module after every change.
extern std::atomic<uint16_t> currentDDELevel;
// Set while the temperature calibration menu is open, and while a USB video
// client streams; both slow the loop to 40 ms a frame.
extern std::atomic<int> calTempSubMenuFlag;
extern std::atomic<int> uvcStartFlag;

// Object parameters: what was asked for and what was last sent to the module.
extern std::atomic<float> requestedEmissivity;     // 0.95
extern std::atomic<float> sentEmissivity;          // 0: the first request is always sent
extern std::atomic<float> reflectedTemperatureK;   // kelvin, degrees + 273.15 + 0.5
extern std::atomic<float> sentReflectedTemperatureK;
extern std::atomic<float> distanceMetres;   // 0.6
extern std::atomic<float> sentDistanceMetres;
