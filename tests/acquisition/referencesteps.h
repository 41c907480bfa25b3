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
constexpr int kTile = 16;

// YUYV to RGB888 a pair at a time through the four tables, each channel clamped.
inline void toRgb(const uint8_t *yuyv, uint8_t *rgb, unsigned width, unsigned height)
{
    const yuv::Tables &t = yuv::tables();
    auto sat = [](int v) { return static_cast<uint8_t>(std::clamp(v, 0, 255)); };
    for (unsigned i = 0; i < width * height / 2; ++i) {
        const uint8_t *in = yuyv + 4 * i;
        const int rv = t.redV[in[3]], guv = t.greenU[in[1]] + t.greenV[in[3]], bu = t.blueU[in[1]];
        for (int k = 0; k < 2; ++k) {
            uint8_t *out = rgb + 6 * i + 3 * k;
            out[0] = sat(in[2 * k] + rv);
            out[1] = sat(in[2 * k] + guv);
            out[2] = sat(in[2 * k] + bu);
        }
    }
}

// The visible picture turned a quarter clockwise, then enlarged row by row:
// each output row blends two turned rows (8.8 fixed point), then two
// neighbouring pixels of that blend, red and blue exchanged.
class Enlarger {
public:
    Enlarger() : m_turned(kTurnedWidth * kTurnedHeight * 3), m_line(kTurnedWidth * 3)
    {
        axis(yuv::kOutWidth, kTurnedWidth, m_col, m_colWeight);
        axis(yuv::kOutHeight, kTurnedHeight, m_row, m_rowWeight);
    }

    void run(const uint8_t *rgb, uint8_t *out, int stride)
    {
        using namespace yuv;
        for (int ys0 = 0; ys0 < kHeight; ys0 += kTile)   // a tiled transpose
            for (int xs0 = 0; xs0 < kWidth; xs0 += kTile)
                for (int ys = ys0; ys < ys0 + kTile; ++ys)
                    for (int xs = xs0; xs < xs0 + kTile; ++xs)
                        std::copy_n(rgb + (ys * kWidth + xs) * 3, 3,
                                    &m_turned[(xs * kTurnedWidth + kHeight - 1 - ys) * 3]);
        for (int y = 0; y < kOutHeight; ++y) {
            const int wy = m_rowWeight[y];
            const uint8_t *a = &m_turned[m_row[y] * kTurnedWidth * 3];
            const uint8_t *b = &m_turned[std::min(m_row[y] + 1, kTurnedHeight - 1) * kTurnedWidth * 3];
            for (int i = 0; i < kTurnedWidth * 3; ++i)
                m_line[i] = static_cast<uint16_t>(a[i] * (256 - wy) + b[i] * wy);
            for (int x = 0; x < kOutWidth; ++x) {
                const int wx = m_colWeight[x];
                const uint16_t *p = &m_line[m_col[x] * 3], *q = &m_line[std::min(m_col[x] + 1, kTurnedWidth - 1) * 3];
                for (int c = 0; c < 3; ++c)   // red and blue change places
                    out[y * stride + 3 * x + 2 - c] =
                        static_cast<uint8_t>((p[c] * (256 - wx) + q[c] * wx + 32768) >> 16);
            }
        }
    }

private:
    static void axis(int outSize, int inSize, int16_t *pos, int16_t *weight)
    {
        const double scale = static_cast<double>(inSize) / outSize;
        for (int o = 0; o < outSize; ++o) {
            const double src = std::max(0.0, (o + 0.5) * scale - 0.5);
            const int i = std::min(static_cast<int>(src), inSize - 1);
            pos[o] = static_cast<int16_t>(i);
            weight[o] = static_cast<int16_t>(i + 1 < inSize ? std::lround((src - i) * 256) : 0);
        }
    }
    static constexpr int kTurnedWidth = yuv::kHeight;   // 240
    static constexpr int kTurnedHeight = yuv::kWidth;   // 320
    int16_t m_col[yuv::kOutWidth], m_colWeight[yuv::kOutWidth], m_row[yuv::kOutHeight], m_rowWeight[yuv::kOutHeight];
    std::vector<uint8_t> m_turned;
    std::vector<uint16_t> m_line;
};

// Both halves turned to portrait in 16 x 16 tiles: source (x, y) to row x, column 191 - y.
inline void rotateBoth(const uint16_t *image, const uint16_t *temp, const uint8_t *lut, uint16_t *matrix, uint8_t *grey)
{
    for (int r0 = 0; r0 < kRows; r0 += kTile)
        for (int c0 = 0; c0 < kCols; c0 += kTile)
            for (int c = c0; c < c0 + kTile; ++c)
                for (int r = r0; r < r0 + kTile; ++r) {
                    const int at = (kSrcHeight - 1 - c) * kSrcWidth + r;
                    matrix[r * kCols + c] = static_cast<uint16_t>(temp[at] >> 2);
                    grey[r * kCols + c] = lut[image[at]];
                }
}

// The contrast stretch's table from one histogram and plain walks over the
// levels, integer division for the table. Returns the stretch as the tuned
// one reports it; lut[v] is set for every word of the frame.
inline framepath::Stretch stretch(const uint16_t *image, int count, uint8_t *lut)
{
    framepath::Stretch s;
    std::vector<uint32_t> h(65536, 0);
    const auto mm = std::minmax_element(image, image + count);
    s.minWord = *mm.first;
    s.maxWord = *mm.second;
    for (int i = 0; i < count; ++i)
        ++h[image[i]];
    uint32_t plain = 0;
    s.low = s.minWord;
    s.high = s.maxWord;
    for (uint32_t v = s.minWord, lowFound = 0, highFound = 0; v <= s.maxWord; ++v) {
        plain += h[v];
        s.clippedTotal += std::min<uint32_t>(h[v], 15);
        if (!lowFound && plain >= 20)
            s.low = static_cast<uint16_t>(v), lowFound = 1;
        if (!highFound && plain >= 49132)
            s.high = static_cast<uint16_t>(v), highFound = 1;
    }
    s.span = (s.high - s.low + 1) * 2;
    s.offset = s.span < 255 ? static_cast<int>((255 - s.span) * 0.4) : 0;
    s.span = std::min(s.span, 255);
    uint32_t running = 0;
    for (uint32_t v = s.minWord; v <= s.maxWord; ++v) {
        running += std::min<uint32_t>(h[v], 15);
        lut[v] = static_cast<uint8_t>(static_cast<uint64_t>(running) * s.span / s.clippedTotal + s.offset);
    }
    return s;
}

// Hottest and coldest points of the portrait matrix and of its zone, in one
// row-major walk: a point moves only on a strictly greater (smaller) word.
inline framepath::Stats statistics(const uint16_t *matrix)
{
    using namespace framepath;
    Stats s;
    s.maxValue = s.minValue = matrix[0];
    s.zoneMaxValue = s.zoneMinValue = matrix[kZoneTop * kCols + kZoneLeft];
    s.zoneMax = s.zoneMin = {kZoneTop, kZoneLeft};
    auto keep = [](uint16_t v, int r, int c, uint16_t &hi, Point &hiAt, uint16_t &lo, Point &loAt) {
        if (v > hi)
            hi = v, hiAt = {r, c};
        if (v < lo)
            lo = v, loAt = {r, c};
    };
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < kCols; ++c) {
            const uint16_t v = matrix[r * kCols + c];
            keep(v, r, c, s.maxValue, s.max, s.minValue, s.min);
            if (r >= kZoneTop && r <= kZoneBottom && c >= kZoneLeft && c <= kZoneRight)
                keep(v, r, c, s.zoneMaxValue, s.zoneMax, s.zoneMinValue, s.zoneMin);
        }
    s.centre = matrix[kCentreRow * kCols + kCentreCol];
    return s;
}

}   // namespace reference
