#pragma once
// Process-wide state of the acquisition side, kept together here. Requests
// from GUI-thread slots to the acquisition loop are single atomic words read
// once per frame; a newer request replaces an older one not yet carried out.

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

// What the GUI thread and the acquisition loop share, in one place.
struct AcquisitionState {
    // Image mode of the live view: 0 thermal, 1 visible ("digital"), 2 blend,
    // 3 picture-in-picture. Set by the GUI thread; the loop takes a visible
    // frame only while it needs one.
    std::atomic<int> image_mode{0};
    // Pending module command, kNoCommand when none.
    std::atomic<int> pendingModuleCommand{kNoCommand};
    // Gain in use: 0 low gain (high temperature range), 1 high gain (low range).
    std::atomic<uint8_t> currentGain{0};
    // The stored gain choice, mirroring the configuration key "temperature_scale".
    std::atomic<uint8_t> temperature_scale{1};
    // Edge enhancement level read back from the module after every change.
    std::atomic<uint16_t> currentDDELevel{0};
    // Set while the temperature calibration menu is open, and while a USB video
    // client streams; both slow the loop to 40 ms a frame.
    std::atomic<int> calTempSubMenuFlag{0};
    std::atomic<int> uvcStartFlag{0};
    // Palette number 1..7 in menu order; 0 until a palette slot has run (the loop
    // then keeps its initial Iron table). Read by the loop once per frame.
    std::atomic<int> paletteNumber{0};

    // Object parameters: what was asked for and what was last sent to the module.
    std::atomic<float> requestedEmissivity{0.95f};
    std::atomic<float> sentEmissivity{0.0f};            // 0: the first request is always sent
    std::atomic<float> reflectedTemperatureK{293.0f};   // kelvin, degrees + 273.15 + 0.5
    std::atomic<float> sentReflectedTemperatureK{0.0f};
    std::atomic<float> distanceMetres{0.6f};
    std::atomic<float> sentDistanceMetres{0.0f};
};
extern AcquisitionState acqState;
