#include "liveview/viewstate.h"

std::atomic<int> image_mode{0};
std::atomic<bool> saveImageEnable{false};
std::atomic<bool> setImageEnable{true};
std::atomic<bool> saveImageDone{true};
bool moveCursorOneLabelEnabled = false;
bool moveCursorTwoLabelEnabled = false;
bool moveCursorThreeLabelEnabled = false;
