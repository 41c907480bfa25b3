#include "acquisition/framepath.h"

#include <algorithm>
#include <cstring>

namespace framepath {

// ---- contrast stretch ----------------------------------------------------------------

ContrastStretch::ContrastStretch() : m_hist(new uint32_t[65536]()), m_lut(new uint8_t[65536]()) {}

Stretch ContrastStretch::build(const uint16_t *image, int count)
{
    Stretch s;
    if (count <= 0)
        return s;
    uint16_t mn = 65535, mx = 0;
    for (int i = 0; i < count; ++i) {
        mn = std::min(mn, image[i]);
        mx = std::max(mx, image[i]);
    }
    uint32_t *h = m_hist.get();
    for (int i = 0; i < count; ++i)
        ++h[image[i]];

    // Limits on the plain cumulative count; the clipped total for the table.
    uint32_t plain = 0, clipped = 0;
    bool haveLow = false, haveHigh = false;
    uint16_t low = mn, high = mx;
    for (uint32_t v = mn; v <= mx; ++v) {
        const uint32_t c = h[v];
        plain += c;
        clipped += std::min(c, kClip);
        if (!haveLow && plain >= kLowCount) {
            low = static_cast<uint16_t>(v);
            haveLow = true;
        }
        if (!haveHigh && plain >= kHighCount) {
            high = static_cast<uint16_t>(v);
            haveHigh = true;
        }
    }
    // Twice the level count between the limits, at most 255. (Kept as a full
    // int: limits 32,768 levels apart must not wrap to an empty span.)
    int span = (high - low + 1) * 2;
    int offset = 0;
    if (span < 255)
        offset = static_cast<int>((255 - span) * 0.4);
    else
        span = 255;

    // lut[v] = clipped(v) * span / total + offset, truncated. The quotient is
    // carried along with its remainder instead of dividing at every level;
    // it never exceeds span, so the inner loop runs at most span times in all.
    uint8_t *lut = m_lut.get();
    uint32_t q = 0, rem = 0;
    const uint32_t total = clipped;
    for (uint32_t v = mn; v <= mx; ++v) {
        if (total) {
            rem += std::min(h[v], kClip) * static_cast<uint32_t>(span);
            while (rem >= total) {
                rem -= total;
                ++q;
            }
        }
        lut[v] = static_cast<uint8_t>(q + offset);
        h[v] = 0;
    }
    s.minWord = mn;
    s.maxWord = mx;
    s.low = low;
    s.high = high;
    s.span = span;
    s.offset = offset;
    s.clippedTotal = total;
    return s;
}

// ---- colouring -----------------------------------------------------------------------

Rgb888Table expand(const ColourTable &table, bool inverted)
{
    Rgb888Table t{};
    for (int g = 0; g < 256; ++g)
        expand565(table[inverted ? 255 - g : g], t.rgb[g]);
    return t;
}

void colour(const uint8_t *grey, int width, int height, const Rgb888Table &table, uint8_t *rgb, int stride)
{
    // Four bytes are stored per pixel (the fourth is overwritten by the next
    // pixel); the last pixel of the picture gets exactly three.
    uint32_t packed[256];
    for (int g = 0; g < 256; ++g)
        packed[g] = table.rgb[g][0] | table.rgb[g][1] << 8 | static_cast<uint32_t>(table.rgb[g][2]) << 16;
    for (int y = 0; y < height; ++y) {
        const uint8_t *in = grey + y * width;
        uint8_t *out = rgb + y * stride;
        const bool lastRow = y == height - 1;
        const int n = lastRow ? width - 1 : width;
        for (int x = 0; x < n; ++x)
            std::memcpy(out + 3 * x, &packed[in[x]], 4);
        if (lastRow && width > 0)
            std::memcpy(out + 3 * (width - 1), table.rgb[in[width - 1]], 3);
    }
}

// ---- rotation --------------------------------------------------------------------------

namespace {
constexpr int kTile = 16;
static_assert(kRows % kTile == 0 && kCols % kTile == 0, "tiles cover the picture");
}  // namespace

void rotateTemperature(const uint16_t *temp, uint16_t *matrix)
{
    for (int r0 = 0; r0 < kRows; r0 += kTile)
        for (int c0 = 0; c0 < kCols; c0 += kTile)
            for (int c = c0; c < c0 + kTile; ++c) {
                const uint16_t *src = temp + (kSrcHeight - 1 - c) * kSrcWidth;
                for (int r = r0; r < r0 + kTile; ++r)
                    matrix[r * kCols + c] = static_cast<uint16_t>(src[r] >> 2);
            }
}

void rotateGrey(const uint16_t *image, const uint8_t *lut, uint8_t *grey)
{
    for (int r0 = 0; r0 < kRows; r0 += kTile)
        for (int c0 = 0; c0 < kCols; c0 += kTile)
            for (int c = c0; c < c0 + kTile; ++c) {
                const uint16_t *src = image + (kSrcHeight - 1 - c) * kSrcWidth;
                for (int r = r0; r < r0 + kTile; ++r)
                    grey[r * kCols + c] = lut[src[r]];
            }
}

// ---- statistics -------------------------------------------------------------------------

namespace {

// The first point of value `v` in row-major order within the rectangle.
Point firstOf(const uint16_t *m, uint16_t v, int top, int bottom, int left, int right)
{
    for (int r = top; r <= bottom; ++r) {
        const uint16_t *row = m + r * kCols;
        for (int c = left; c <= right; ++c)
            if (row[c] == v)
                return {r, c};
    }
    return {top, left};
}

void extremes(const uint16_t *m, int top, int bottom, int left, int right, uint16_t *mx, uint16_t *mn)
{
    uint16_t hi = 0, lo = 65535;
    for (int r = top; r <= bottom; ++r) {
        const uint16_t *row = m + r * kCols;
        for (int c = left; c <= right; ++c) {
            hi = std::max(hi, row[c]);
            lo = std::min(lo, row[c]);
        }
    }
    *mx = hi;
    *mn = lo;
}

}  // namespace

Stats statistics(const uint16_t *matrix)
{
    Stats s;
    extremes(matrix, 0, kRows - 1, 0, kCols - 1, &s.maxValue, &s.minValue);
    s.max = firstOf(matrix, s.maxValue, 0, kRows - 1, 0, kCols - 1);
    s.min = firstOf(matrix, s.minValue, 0, kRows - 1, 0, kCols - 1);
    extremes(matrix, kZoneTop, kZoneBottom, kZoneLeft, kZoneRight, &s.zoneMaxValue, &s.zoneMinValue);
    s.zoneMax = firstOf(matrix, s.zoneMaxValue, kZoneTop, kZoneBottom, kZoneLeft, kZoneRight);
    s.zoneMin = firstOf(matrix, s.zoneMinValue, kZoneTop, kZoneBottom, kZoneLeft, kZoneRight);
    s.centre = matrix[kCentreRow * kCols + kCentreCol];
    return s;
}

// ---- the whole path -------------------------------------------------------------------------

Stats process(Work &work, const uint16_t *image, const uint16_t *temp, const Rgb888Table &table, uint16_t *matrix,
              uint8_t *grey, uint8_t *rgb, int stride)
{
    rotateTemperature(temp, matrix);
    work.stretch.build(image, kPixels);
    rotateGrey(image, work.stretch.lut(), grey);
    colour(grey, kCols, kRows, table, rgb, stride);
    return statistics(matrix);
}

}  // namespace framepath
