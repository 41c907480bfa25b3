#include "acquisition/acquisitionstate.h"

std::atomic<int> paletteNumber{0};

std::atomic<int> image_mode{0};
std::atomic<int> pendingModuleCommand{kNoCommand};
std::atomic<uint8_t> currentGain{0};
std::atomic<uint8_t> temperature_scale{1};
std::atomic<uint16_t> currentDDELevel{0};
std::atomic<int> calTempSubMenuFlag{0};
std::atomic<int> uvcStartFlag{0};

std::atomic<float> requestedEmissivity{0.95f};
std::atomic<float> sentEmissivity{0.0f};
std::atomic<float> reflectedTemperatureK{293.0f};
std::atomic<float> sentReflectedTemperatureK{0.0f};
std::atomic<float> distanceMetres{0.6f};
std::atomic<float> sentDistanceMetres{0.0f};
