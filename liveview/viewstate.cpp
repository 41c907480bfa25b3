#include "liveview/viewstate.h"

std::atomic<int> image_mode{0};
std::atomic<bool> saveImageEnable{false};
std::atomic<bool> setImageEnable{true};
