#pragma once
// Earlier, plainer versions of the acquisition loop's per-frame steps, kept
// as they were: the tuned ones in acquisition/ must equal them byte for byte
// (tests), and the benchmark measures the tuned ones against them.

#include "acquisition/framepath.h"
#include "acquisition/yuv.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace reference {

using framepath::kCols;
using framepath::kRows;
using framepath::kSrcHeight;
using framepath::kSrcWidth;
constexpr int kRotateTile = 16;

// YUYV to RGB888 a pair at a time through the four tables, each channel clamped.
inline void toRgb(const uint8_t *yuyv, uint8_t *rgb, unsigned width, unsigned height)
{
    const yuv::Tables &t = yuv::tables();
    // Clamping by table: luma plus any table entry lies within -256..511.
    static const struct Clamp {
        uint8_t v[1024];
        Clamp()
        {
            for (int i = 0; i < 1024; ++i)
                v[i] = static_cast<uint8_t>(std::clamp(i - 384, 0, 255));
        }
    } clamp;
    auto sat = [](int x) { return clamp.v[x + 384]; };
    const unsigned pairs = width * height / 2;
    for (unsigned i = 0; i < pairs; ++i) {
        const uint8_t *in = yuyv + 4 * i;
        uint8_t *out = rgb + 6 * i;
        const int u = in[1], v = in[3];
        const int rv = t.redV[v], guv = t.greenU[u] + t.greenV[v], bu = t.blueU[u];
        const int y0 = in[0], y1 = in[2];
        out[0] = sat(y0 + rv);
        out[1] = sat(y0 + guv);
        out[2] = sat(y0 + bu);
        out[3] = sat(y1 + rv);
        out[4] = sat(y1 + guv);
        out[5] = sat(y1 + bu);
    }
}

// The visible picture turned a quarter clockwise by a tiled transpose, then
// enlarged row by row: each output row blends two turned rows (8.8 fixed
// point), then two neighbouring pixels of that blend, red and blue exchanged.
class Enlarger {
public:
    Enlarger() : m_turned(kTurnedWidth * kTurnedHeight * 3), m_line(kTurnedWidth * 3)
    {
        auto axis = [](int outSize, int inSize, int16_t *pos, int16_t *weight) {
            const double scale = static_cast<double>(inSize) / outSize;
            for (int o = 0; o < outSize; ++o) {
                const double src = std::max(0.0, (o + 0.5) * scale - 0.5);
                const int i = std::min(static_cast<int>(src), inSize - 1);
                pos[o] = static_cast<int16_t>(i);
                weight[o] = static_cast<int16_t>(i + 1 < inSize ? std::lround((src - i) * 256) : 0);
            }
        };
        axis(yuv::kOutWidth, kTurnedWidth, m_col, m_colWeight);
        axis(yuv::kOutHeight, kTurnedHeight, m_row, m_rowWeight);
    }

    void run(const uint8_t *rgb, uint8_t *out, int stride)
    {
        using namespace yuv;
        constexpr int kTile = 16;
        uint8_t *turned = m_turned.data();
        for (int ys0 = 0; ys0 < kHeight; ys0 += kTile)
            for (int xs0 = 0; xs0 < kWidth; xs0 += kTile)
                for (int ys = ys0; ys < ys0 + kTile; ++ys) {
                    const uint8_t *src = rgb + (ys * kWidth + xs0) * 3;
                    const int ux = kHeight - 1 - ys;
                    for (int xs = xs0; xs < xs0 + kTile; ++xs, src += 3) {
                        uint8_t *d = turned + (xs * kTurnedWidth + ux) * 3;
                        d[0] = src[0];
                        d[1] = src[1];
                        d[2] = src[2];
                    }
                }
        uint16_t *line = m_line.data();
        for (int y = 0; y < kOutHeight; ++y) {
            const int uy = m_row[y];
            const int uy1 = std::min(uy + 1, kTurnedHeight - 1);
            const int wy = m_rowWeight[y];
            const uint8_t *a = turned + uy * kTurnedWidth * 3;
            const uint8_t *b = turned + uy1 * kTurnedWidth * 3;
            for (int i = 0; i < kTurnedWidth * 3; ++i)
                line[i] = static_cast<uint16_t>(a[i] * (256 - wy) + b[i] * wy);   // 8.8 fixed point
            uint8_t *o = out + y * stride;
            for (int x = 0; x < kOutWidth; ++x) {
                const int ux = m_col[x];
                const int ux1 = std::min(ux + 1, kTurnedWidth - 1);
                const int wx = m_colWeight[x];
                const uint16_t *p = line + ux * 3;
                const uint16_t *q = line + ux1 * 3;
                // Red and blue change places.
                o[3 * x + 2] = static_cast<uint8_t>((p[0] * (256 - wx) + q[0] * wx + 32768) >> 16);
                o[3 * x + 1] = static_cast<uint8_t>((p[1] * (256 - wx) + q[1] * wx + 32768) >> 16);
                o[3 * x + 0] = static_cast<uint8_t>((p[2] * (256 - wx) + q[2] * wx + 32768) >> 16);
            }
        }
    }

private:
    static constexpr int kTurnedWidth = yuv::kHeight;   // 240
    static constexpr int kTurnedHeight = yuv::kWidth;   // 320
    int16_t m_col[yuv::kOutWidth];
    int16_t m_colWeight[yuv::kOutWidth];
    int16_t m_row[yuv::kOutHeight];
    int16_t m_rowWeight[yuv::kOutHeight];
    std::vector<uint8_t> m_turned;
    std::vector<uint16_t> m_line;
};

// ---- frame path ----------------------------------------------------------------------

// Both halves turned to portrait in 16 x 16 tiles.
inline void rotateBoth(const uint16_t *image, const uint16_t *temp, const uint8_t *lut, uint16_t *matrix, uint8_t *grey)
{
    for (int r0 = 0; r0 < kRows; r0 += kRotateTile)
        for (int c0 = 0; c0 < kCols; c0 += kRotateTile)
            for (int c = c0; c < c0 + kRotateTile; ++c) {
                const int row = (kSrcHeight - 1 - c) * kSrcWidth;
                const uint16_t *t = temp + row;
                const uint16_t *g = image + row;
                for (int r = r0; r < r0 + kRotateTile; ++r) {
                    matrix[r * kCols + c] = static_cast<uint16_t>(t[r] >> 2);
                    grey[r * kCols + c] = lut[g[r]];
                }
            }
}

// The contrast stretch's table from one histogram and plain walks over the
// levels, integer division for the table. Returns the stretch as the tuned
// one reports it; lut[v] is set for every word of the frame.
inline framepath::Stretch stretch(const uint16_t *image, int count, uint8_t *lut)
{
    framepath::Stretch s;
    std::vector<uint32_t> h(65536, 0);
    uint16_t mn = 65535, mx = 0;
    for (int i = 0; i < count; ++i) {
        ++h[image[i]];
        mn = std::min(mn, image[i]);
        mx = std::max(mx, image[i]);
    }
    uint32_t plain = 0, clipped = 0;
    bool lowFound = false, highFound = false;
    uint16_t low = mn, high = mx;
    for (uint32_t v = mn; v <= mx; ++v) {
        plain += h[v];
        clipped += std::min<uint32_t>(h[v], 15);
        if (!lowFound && plain >= 20) {
            low = static_cast<uint16_t>(v);
            lowFound = true;
        }
        if (!highFound && plain >= 49132) {
            high = static_cast<uint16_t>(v);
            highFound = true;
        }
    }
    int span = (high - low + 1) * 2, offset = 0;
    if (span < 255)
        offset = static_cast<int>((255 - span) * 0.4);
    else
        span = 255;
    uint32_t running = 0;
    for (uint32_t v = mn; v <= mx; ++v) {
        running += std::min<uint32_t>(h[v], 15);
        lut[v] = static_cast<uint8_t>(static_cast<uint64_t>(running) * span / clipped + offset);
    }
    s.minWord = mn;
    s.maxWord = mx;
    s.low = low;
    s.high = high;
    s.span = span;
    s.offset = offset;
    s.clippedTotal = clipped;
    return s;
}

// Hottest and coldest points of the portrait matrix and of its zone, in one
// row-major walk: a point moves only on a strictly greater (smaller) word.
inline framepath::Stats statistics(const uint16_t *matrix)
{
    using namespace framepath;
    Stats s;
    s.maxValue = s.zoneMaxValue = 0;
    s.minValue = s.zoneMinValue = 65535;
    bool zoneSeen = false;
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < kCols; ++c) {
            const uint16_t v = matrix[r * kCols + c];
            if (r == 0 && c == 0) {
                s.maxValue = s.minValue = v;
            } else {
                if (v > s.maxValue) {
                    s.maxValue = v;
                    s.max = {r, c};
                }
                if (v < s.minValue) {
                    s.minValue = v;
                    s.min = {r, c};
                }
            }
            if (r < kZoneTop || r > kZoneBottom || c < kZoneLeft || c > kZoneRight)
                continue;
            if (!zoneSeen) {
                s.zoneMaxValue = s.zoneMinValue = v;
                s.zoneMax = s.zoneMin = {r, c};
                zoneSeen = true;
                continue;
            }
            if (v > s.zoneMaxValue) {
                s.zoneMaxValue = v;
                s.zoneMax = {r, c};
            }
            if (v < s.zoneMinValue) {
                s.zoneMinValue = v;
                s.zoneMin = {r, c};
            }
        }
    s.centre = matrix[kCentreRow * kCols + kCentreCol];
    return s;
}

}   // namespace reference
