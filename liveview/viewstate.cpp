#include "liveview/viewstate.h"

std::atomic<bool> saveImageEnable{false};
std::atomic<bool> setImageEnable{true};
std::atomic<bool> saveImageDone{true};
bool moveCursorOneLabelEnabled = false;
bool moveCursorTwoLabelEnabled = false;
bool moveCursorThreeLabelEnabled = false;

int trans = 50;
int pipTrans = 100;
int vlcPostX = 36;
int vlcPostY = 48;
float alignmentDistanceValue = 0.5f;

uint16_t centerTempValue = 0;
QString max_temp;
QString min_temp;
QString center_temp;
uint16_t irThermalRaw[256 * 192] = {};
uint8_t irGrayRaw[256 * 192] = {};
