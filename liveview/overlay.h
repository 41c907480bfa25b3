#pragma once
// Where the live view's marks and readouts go: the hot, cold and zone markers
// and their texts, the movable cursors, the readouts and which of them show.
// Frame coordinates (column 0..191, row 0..255) map to the 240 x 320 screen
// by 5/4 in integer arithmetic. No widget in here.
#include <QPoint>
#include <QRect>
#include <QSize>

namespace overlay {

constexpr int kScreenW = 240;
constexpr int kScreenH = 320;

inline int frameToScreen(int v) { return (v * 5) / 4; }
inline int screenToFrame(int s) { return (s * 4) / 5; }

// A square marker of side `size` centred on the screen point of a frame
// pixel; hot spots in columns 0..12 are pinned with their centre on the left edge.
QRect markerRect(int row, int col, int size);

// The value text beside a 32 x 32 hot or cold marker whose corner is `corner`.
QPoint markerTextPos(QPoint corner, QSize text);

// The value text centred under the 22 x 22 zone marker.
QPoint zoneTextPos(QPoint markerCorner, int textWidth);

// ---- movable cursors ----------------------------------------------------------------
constexpr QPoint kCursorStart{104, 144};
constexpr QPoint kCursorTextStart{126, 166};

// The corner of a 32 x 32 cursor kept so that its centre stays on the screen.
QPoint clampCursor(QPoint corner);
// The frame sample under the centre of a cursor whose (clamped) corner is given.
struct Sample {
    int row = 0, col = 0;
};
Sample cursorSample(QPoint corner);
// The cursor's text label corner, by which quarter of the screen the cursor is in.
QPoint cursorTextPos(QPoint corner);

// ---- readouts -------------------------------------------------------------------------
QPoint maxValuePos(QSize label);          // left x 35, centred on y 51
QPoint colourBarTopPos(QSize label);      // right edge 239, top 36
QPoint colourBarBottomPos(QSize label);   // right edge 239, top 255
QPoint zoneValuePos(QSize label);         // left x 25, centred on y 21

// Which readouts show, by the three options of the measurement pop-up.
struct Readouts {
    bool centre = false;   // TempLabel, CenterTempPicLabel
    bool max = false;      // MaxTempPicLabel, MaxTempValueLabel
    bool zone = false;     // ZoneHighTempPicLabel, ZoneHighTempValueLabel
};
Readouts readoutsFor(bool centreTicked, bool hiLoTicked, bool zoneTicked);

// ---- composition ---------------------------------------------------------------------
// The lowest top row of the 256-row crop in the 352-row visible picture.
constexpr int kCropLowestTop = 352 - 256;
// The vertical parallax step of the visible crop for an alignment distance,
// never taking the crop below kCropLowestTop.
int parallaxStep(float distance, int cropTop);

}   // namespace overlay
