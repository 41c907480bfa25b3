#pragma once
// Process-wide state of the live view, kept together here. Words read by the
// acquisition thread are atomic.
#include <atomic>

// 0 thermal, 1 visible ("digital"), 2 blend, 3 picture-in-picture.
extern std::atomic<int> image_mode;
// Set while an image capture runs; frames are dropped meanwhile.
extern std::atomic<bool> saveImageEnable;
// Cleared to freeze the live view (before a power-off, during a capture).
extern std::atomic<bool> setImageEnable;
// Clear while a capture request is being carried out.
extern std::atomic<bool> saveImageDone;
// Which movable cursor the arrow keys move; at most one is set (GUI thread).
extern bool moveCursorOneLabelEnabled;
extern bool moveCursorTwoLabelEnabled;
extern bool moveCursorThreeLabelEnabled;
