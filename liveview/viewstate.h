#pragma once
// Process-wide state of the live view, kept together here. Words read by the
// acquisition thread are atomic.
#include <atomic>
#include <cstdint>

#include <QString>

// image_mode, which the acquisition loop reads too, is kept with the
// acquisition's shared state.
#include "acquisition/acquisitionstate.h"
struct ViewState {
    // Set while an image capture runs; frames are dropped meanwhile.
    std::atomic<bool> saveImageEnable{false};
    // Cleared to freeze the live view (before a power-off, during a capture).
    std::atomic<bool> setImageEnable{true};
    // Clear while a capture request is being carried out.
    std::atomic<bool> saveImageDone{true};
    // Which movable cursor the arrow keys move; at most one is set (GUI thread).
    bool moveCursorOneLabelEnabled = false;
    bool moveCursorTwoLabelEnabled = false;
    bool moveCursorThreeLabelEnabled = false;

    // ---- composition of the live picture (GUI thread) ---------------------------------
    // Thermal weight of the blend (0..100) and inside the PIP window (25..100), percent.
    int trans = 50;
    int pipTrans = 100;
    // Top-left corner of the aligned 192 x 256 crop of the visible picture
    // (0..72, 0..96).
    int vlcPostX = 36;
    int vlcPostY = 48;
    // Alignment distance in metres, 0.5..3.0 in steps of 0.5: the crop's
    // vertical parallax step.
    float alignmentDistanceValue = 0.5f;

    // ---- temperatures of the displayed frame (GUI thread) ---------------------------
    // Raw centre word of the latest displayed frame (1/16 K).
    uint16_t centerTempValue = 0;
    // The last displayed maximum, minimum and centre in the display unit, one
    // decimal, no unit sign; empty until the first refresh.
    QString max_temp;
    QString min_temp;
    QString center_temp;
    // Snapshots of the displayed frame for capture: 256 rows x 192 columns, row by
    // row, in screen orientation. Both always hold one and the same whole frame.
    uint16_t irThermalRaw[256 * 192]{};
    uint8_t irGrayRaw[256 * 192]{};
};
extern ViewState viewState;
