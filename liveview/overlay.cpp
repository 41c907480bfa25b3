#include "liveview/overlay.h"

#include <algorithm>

namespace overlay {

QRect markerRect(int row, int col, int size)
{
    const int half = size / 2;
    const int left = col * 5 < 64 ? -half : frameToScreen(col) - half;
    const int top = frameToScreen(row) - half;
    return QRect(left, top, size, size);
}

QPoint markerTextPos(QPoint corner, QSize text)
{
    const int x = corner.x() < 121 ? corner.x() + 32 : corner.x() - text.width();
    int y;
    if (corner.y() < -5)
        y = 0;
    else if (corner.y() + (text.height() - 1) + 7 < kScreenH)
        y = corner.y() + 6;
    else
        y = kScreenH - text.height();
    return QPoint(x, y);
}

QPoint zoneTextPos(QPoint markerCorner, int textWidth)
{
    return QPoint(markerCorner.x() + 11 - textWidth / 2, markerCorner.y() + 22);
}

QPoint clampCursor(QPoint c)
{
    int x = c.x(), y = c.y();
    if (x < -15)
        x = -15;
    else if (x > 222)
        x = 223;
    if (y < -15)
        y = -16;
    else if (y >= 304)
        y = 303;
    return QPoint(x, y);
}

Sample cursorSample(QPoint corner)
{
    Sample s;
    s.col = std::clamp(screenToFrame(corner.x() + 16), 0, 191);
    s.row = std::clamp(screenToFrame(corner.y() + 16), 0, 255);
    return s;
}

QPoint cursorTextPos(QPoint c)
{
    const bool top = c.y() < 279;
    const bool left = c.x() < 169;
    if (top)
        return left ? QPoint(c.x() + 22, c.y() + 22) : QPoint(c.x() - 40, c.y() + 22);
    return left ? QPoint(c.x() + 22, c.y() - 10) : QPoint(c.x() - 50, c.y() - 10);
}

QPoint maxValuePos(QSize l) { return QPoint(35, 51 - l.height() / 2); }
QPoint colourBarTopPos(QSize l) { return QPoint(kScreenW - l.width(), 36); }
QPoint colourBarBottomPos(QSize l) { return QPoint(kScreenW - l.width(), 255); }
QPoint zoneValuePos(QSize l) { return QPoint(25, 21 - l.height() / 2); }

Readouts readoutsFor(bool centreTicked, bool hiLoTicked, bool zoneTicked)
{
    Readouts r;
    if (zoneTicked)
        r.zone = true;
    else if (hiLoTicked) {
        r.max = true;
        r.centre = centreTicked;
    } else
        r.centre = true;
    return r;
}

int parallaxStep(float distance, int cropTop)
{
    int step = 0;
    if (distance >= 3.0f)
        step = 8;
    else if (distance == 2.5f)
        step = 6;
    else if (distance == 2.0f)
        step = 4;
    else if (distance == 1.5f)
        step = 2;
    else if (distance == 0.5f)
        step = cropTop > 1 ? -2 : 0;
    // The 256 rows of the crop end at the visible picture's last row (351) at the latest.
    return std::min(step, std::max(kCropLowestTop - cropTop, 0));
}

}   // namespace overlay
