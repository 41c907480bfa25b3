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
        for (int x = 0; x < a.width(); ++x)
            for (int shift : {0, 8, 16})   // blue, green, red
                worst =
                    std::max(worst, std::abs(int(a.pixel(x, y) >> shift & 0xff) - int(b.pixel(x, y) >> shift & 0xff)));
    return worst;
}
