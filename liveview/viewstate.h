#pragma once
// Process-wide state of the live view, kept together here. Words read by the
// acquisition thread are atomic.
#include <atomic>
#include <cstdint>

#include <QString>

// image_mode, which the acquisition loop reads too, is kept with the
// acquisition's shared state.
#include "acquisition/acquisitionstate.h"
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

// ---- composition of the live picture (GUI thread) ---------------------------------
// Thermal weight of the blend (0..100) and inside the PIP window (25..100), percent.
extern int trans;
extern int pipTrans;
// Top-left corner of the aligned 192 x 256 crop of the visible picture
// (0..72, 0..96).
extern int vlcPostX;
extern int vlcPostY;
// Alignment distance in metres, 0.5..3.0 in steps of 0.5: the crop's
// vertical parallax step.
extern float alignmentDistanceValue;

// ---- temperatures of the displayed frame (GUI thread) ---------------------------
// Raw centre word of the latest displayed frame (1/16 K).
extern uint16_t centerTempValue;
// The last displayed maximum, minimum and centre in the display unit, one
// decimal, no unit sign; empty until the first refresh.
extern QString max_temp;
extern QString min_temp;
extern QString center_temp;
// Snapshots of the displayed frame for capture: 256 rows x 192 columns, row by
// row, in screen orientation. Both always hold one and the same whole frame.
extern uint16_t irThermalRaw[256 * 192];
extern uint8_t irGrayRaw[256 * 192];
