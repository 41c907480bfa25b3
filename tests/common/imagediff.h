#pragma once
// The largest difference of any red, green or blue value between two pictures
// of the same size: how far apart two ways of drawing the same thing are.
#include <QImage>

#include <algorithm>
#include <cstdlib>

inline int largestChannelDifference(const QImage &a, const QImage &b)
{
    int worst = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            worst = std::max(
                {worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)), std::abs(qBlue(p) - qBlue(q))});
        }
    return worst;
}
