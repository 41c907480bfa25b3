#include "acquisition/framepath.h"

#include "core/vectorclones.h"

#include <algorithm>
#include <cstring>

namespace framepath {

namespace {

// Eight words at a time (GCC's vector extension: SSE2 on the desktop, NEON
// on the board). Unsigned words are compared as signed ones with the top bit
// flipped, which keeps their order and suits both instruction sets.
typedef int16_t Lanes8 __attribute__((vector_size(16)));

// Smallest and largest of n words (any n).
void wordRange(const uint16_t *p, int n, uint16_t *mn, uint16_t *mx)
{
    Lanes8 lo, hi;
    for (int k = 0; k < 8; ++k) {
        lo[k] = 32767;
        hi[k] = -32768;
    }
    const Lanes8 flip = hi;   // 0x8000 in every lane
    int i = 0;
    for (; i + 8 <= n; i += 8) {
        Lanes8 x;
        std::memcpy(&x, p + i, sizeof x);
        x ^= flip;
        lo = x < lo ? x : lo;
        hi = x > hi ? x : hi;
    }
    uint16_t a = 65535, b = 0;
    for (int k = 0; k < 8; ++k) {
        a = std::min<uint16_t>(a, static_cast<uint16_t>(lo[k] ^ 0x8000));
        b = std::max<uint16_t>(b, static_cast<uint16_t>(hi[k] ^ 0x8000));
    }
    for (; i < n; ++i) {
        a = std::min(a, p[i]);
        b = std::max(b, p[i]);
    }
    *mn = a;
    *mx = b;
}

// A colour table as one word a pixel: red, green and blue in the low bytes.
void pack(const Rgb888Table &table, uint32_t *packed)
{
    for (int g = 0; g < 256; ++g)
        packed[g] = table.rgb[g][0] | table.rgb[g][1] << 8 | static_cast<uint32_t>(table.rgb[g][2]) << 16;
}

}   // namespace

// ---- contrast stretch ----------------------------------------------------------------

ContrastStretch::ContrastStretch() : m_hist(new uint16_t[65536]()), m_lut(new uint8_t[65536]()) {}

Stretch ContrastStretch::build(const uint16_t *image, int count, const WriteAhead *ahead, int aheads)
{
    Stretch s;
    if (count <= 0)
        return s;
    count = std::min(count, 65535);
    uint16_t mn = 65535, mx = 0;
    wordRange(image, count, &mn, &mx);
    uint16_t *h = m_hist.get();
    // Per eight words counted, one line of what the caller writes next is
    // fetched for writing: the counting keeps the processor busy and leaves
    // the memory system idle, and those lines are new to this cache each
    // frame.
    constexpr int kLine = 64;
    const char *line = nullptr, *end = nullptr;
    int next = 0;
    auto nextRange = [&] {
        line = end = nullptr;
        for (; next < aheads && !line; ++next)
            if (ahead[next].bytes > 0) {
                line = static_cast<const char *>(ahead[next].at);
                end = line + ahead[next].bytes;
            }
    };
    nextRange();
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        for (int k = 0; k < 8; ++k)
            ++h[image[i + k]];
        if (line) {
            __builtin_prefetch(line, 1);
            line += kLine;
            if (line >= end)
                nextRange();
        }
    }
    for (; i < count; ++i)
        ++h[image[i]];

    // The low limit is where the plain cumulative count reaches 20, the high
    // limit where it reaches 49,132: found from either end, so only the few
    // levels beyond each limit are visited.
    uint16_t low = mn, high = mx;
    uint32_t plain = 0;
    for (uint32_t v = mn; v <= mx; ++v) {
        plain += h[v];
        if (plain >= kLowCount) {
            low = static_cast<uint16_t>(v);
            break;
        }
    }
    if (static_cast<uint32_t>(count) >= kHighCount) {
        // The count reaches 49,132 at v once at most count - 49,132 pixels lie above v.
        const uint32_t allowedAbove = static_cast<uint32_t>(count) - kHighCount;
        uint32_t above = 0;
        for (uint32_t v = mx; v > mn; --v) {
            above += h[v];
            if (above > allowedAbove)
                break;
            high = static_cast<uint16_t>(v - 1);
        }
    }
    uint32_t clipped = 0;
    for (uint32_t v = mn; v <= mx; ++v)
        clipped += std::min<uint32_t>(h[v], kClip);

    // Twice the level count between the limits, at most 255. (Kept as a full
    // int: limits 32,768 levels apart must not wrap to an empty span.)
    int span = (high - low + 1) * 2;
    int offset = 0;
    if (span < 255)
        offset = static_cast<int>((255 - span) * 0.4);
    else
        span = 255;

    // lut[v] = clipped(v) * span / total + offset, truncated. The division
    // is a multiplication by a 64-bit reciprocal, exact for every 32-bit
    // dividend (clipped(v) * span stays below 15 * 65536 * 255).
    uint8_t *lut = m_lut.get();
    const uint32_t total = clipped;
    const uint64_t reciprocal = total ? UINT64_C(0xFFFFFFFFFFFFFFFF) / total + 1 : 0;
    uint32_t running = 0;
    for (uint32_t v = mn; v <= mx; ++v) {
        const uint32_t c = h[v];
        if (c == 0)
            continue;   // no pixel has this word: its table entry is never read
        running += std::min(c, kClip);
        // The top 64 bits of reciprocal * x, in 64-bit halves (the board's
        // 32-bit processor has no 128-bit type).
        const uint32_t x = running * static_cast<uint32_t>(span);
        const uint64_t lowPart = (reciprocal & UINT64_C(0xFFFFFFFF)) * x;
        const uint64_t highPart = (reciprocal >> 32) * x;
        const uint32_t q = static_cast<uint32_t>((highPart + (lowPart >> 32)) >> 32);
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
    pack(table, packed);
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

// Portrait row r, column c comes from source row 191 - c, column r: eight
// (sixteen) source rows loaded side by side are transposed in registers
// into as many portrait rows.
namespace {

typedef uint8_t U8x16 __attribute__((vector_size(16)));
typedef uint16_t U16x8 __attribute__((vector_size(16)));
typedef uint32_t U32x4 __attribute__((vector_size(16)));
typedef uint64_t U64x2 __attribute__((vector_size(16)));

// v[k][j] becomes v[j][k]: interleaving by 1, 2, 4 and 8 bytes.
inline void transpose16x16(U8x16 *v)
{
    U8x16 t[16];
    for (int i = 0; i < 8; ++i) {
        t[2 * i] =
            __builtin_shuffle(v[2 * i], v[2 * i + 1], U8x16{0, 16, 1, 17, 2, 18, 3, 19, 4, 20, 5, 21, 6, 22, 7, 23});
        t[2 * i + 1] = __builtin_shuffle(v[2 * i], v[2 * i + 1],
                                         U8x16{8, 24, 9, 25, 10, 26, 11, 27, 12, 28, 13, 29, 14, 30, 15, 31});
    }
    U16x8 u[16];
    for (int i = 0; i < 4; ++i)
        for (int m = 0; m < 2; ++m) {
            const U16x8 a = reinterpret_cast<U16x8>(t[4 * i + m]), b = reinterpret_cast<U16x8>(t[4 * i + m + 2]);
            u[4 * i + 2 * m] = __builtin_shuffle(a, b, U16x8{0, 8, 1, 9, 2, 10, 3, 11});
            u[4 * i + 2 * m + 1] = __builtin_shuffle(a, b, U16x8{4, 12, 5, 13, 6, 14, 7, 15});
        }
    U32x4 w[16];
    for (int i = 0; i < 2; ++i)
        for (int m = 0; m < 4; ++m) {
            const U32x4 a = reinterpret_cast<U32x4>(u[8 * i + m]), b = reinterpret_cast<U32x4>(u[8 * i + m + 4]);
            w[8 * i + 2 * m] = __builtin_shuffle(a, b, U32x4{0, 4, 1, 5});
            w[8 * i + 2 * m + 1] = __builtin_shuffle(a, b, U32x4{2, 6, 3, 7});
        }
    for (int m = 0; m < 8; ++m) {
        const U64x2 a = reinterpret_cast<U64x2>(w[m]), b = reinterpret_cast<U64x2>(w[m + 8]);
        v[2 * m] = reinterpret_cast<U8x16>(__builtin_shuffle(a, b, U64x2{0, 2}));
        v[2 * m + 1] = reinterpret_cast<U8x16>(__builtin_shuffle(a, b, U64x2{1, 3}));
    }
}

// The same for 8 x 8 words: by 2, 4 and 8 bytes.
inline void transpose8x8(U16x8 *v)
{
    U16x8 t[8];
    for (int i = 0; i < 4; ++i) {
        t[2 * i] = __builtin_shuffle(v[2 * i], v[2 * i + 1], U16x8{0, 8, 1, 9, 2, 10, 3, 11});
        t[2 * i + 1] = __builtin_shuffle(v[2 * i], v[2 * i + 1], U16x8{4, 12, 5, 13, 6, 14, 7, 15});
    }
    U32x4 u[8];
    for (int i = 0; i < 2; ++i)
        for (int m = 0; m < 2; ++m) {
            const U32x4 a = reinterpret_cast<U32x4>(t[4 * i + m]), b = reinterpret_cast<U32x4>(t[4 * i + m + 2]);
            u[4 * i + 2 * m] = __builtin_shuffle(a, b, U32x4{0, 4, 1, 5});
            u[4 * i + 2 * m + 1] = __builtin_shuffle(a, b, U32x4{2, 6, 3, 7});
        }
    for (int m = 0; m < 4; ++m) {
        const U64x2 a = reinterpret_cast<U64x2>(u[m]), b = reinterpret_cast<U64x2>(u[m + 4]);
        v[2 * m] = reinterpret_cast<U16x8>(__builtin_shuffle(a, b, U64x2{0, 2}));
        v[2 * m + 1] = reinterpret_cast<U16x8>(__builtin_shuffle(a, b, U64x2{1, 3}));
    }
}

static_assert(kRows % 16 == 0 && kCols % 16 == 0, "whole blocks cover the picture");

}   // namespace

void rotateTemperature(const uint16_t *temp, uint16_t *matrix)
{
    for (int c0 = 0; c0 < kCols; c0 += 8)
        for (int r0 = 0; r0 < kRows; r0 += 8) {
            U16x8 v[8];
            for (int k = 0; k < 8; ++k)
                std::memcpy(&v[k], temp + (kSrcHeight - 1 - c0 - k) * kSrcWidth + r0, sizeof v[k]);
            transpose8x8(v);
            for (int j = 0; j < 8; ++j) {
                const U16x8 shifted = v[j] >> 2;
                std::memcpy(matrix + (r0 + j) * kCols + c0, &shifted, sizeof shifted);
            }
        }
}

// ---- statistics -------------------------------------------------------------------------

namespace {

// The first point of rows top..bottom, columns left..right holding v in
// row-major order, given each row's extreme of that kind (rowValue[r]).
Point firstAt(const uint16_t *m, int top, int bottom, int left, int right, const uint16_t *rowValue, uint16_t v)
{
    for (int r = top; r <= bottom; ++r)
        if (rowValue[r] == v) {
            const uint16_t *row = m + r * kCols;
            for (int c = left; c <= right; ++c)
                if (row[c] == v)
                    return {r, c};
        }
    return {top, left};
}

// Extremes of a rectangle of the matrix, and where they first occur in
// row-major order: each row's extremes first, then the first row holding
// the overall one is searched for its column.
void extremesOf(const uint16_t *m, int top, int bottom, int left, int right, uint16_t *mx, Point *at, uint16_t *mn,
                Point *minAt)
{
    uint16_t rowMax[kRows], rowMin[kRows];
    uint16_t hi = 0, lo = 65535;
    for (int r = top; r <= bottom; ++r) {
        wordRange(m + r * kCols + left, right - left + 1, &rowMin[r], &rowMax[r]);
        hi = std::max(hi, rowMax[r]);
        lo = std::min(lo, rowMin[r]);
    }
    *mx = hi;
    *mn = lo;
    *at = firstAt(m, top, bottom, left, right, rowMax, hi);
    *minAt = firstAt(m, top, bottom, left, right, rowMin, lo);
}

}   // namespace

NORVIK7_VECTOR_CLONES
Stats rotateAndMeasure(const uint16_t *temp, uint16_t *matrix)
{
    // Each portrait row's extremes in eight lanes, over the whole row and
    // over the zone's columns, gathered as the turned blocks go by. The
    // shifted words are below 32,768, so signed lanes order them.
    static_assert(kZoneLeft % 8 == 0 && (kZoneRight + 1) % 8 == 0 && kZoneTop % 8 == 0 && (kZoneBottom + 1) % 8 == 0,
                  "the zone is made of whole blocks");
    typedef int16_t S16x8 __attribute__((vector_size(16)));
    S16x8 rowHi[kRows], rowLo[kRows], zoneHi[kRows], zoneLo[kRows];
    const S16x8 none = {0, 0, 0, 0, 0, 0, 0, 0};
    for (int r = 0; r < kRows; ++r) {
        rowHi[r] = zoneHi[r] = none;
        rowLo[r] = zoneLo[r] = none + 32767;
    }
    for (int c0 = 0; c0 < kCols; c0 += 8) {
        const bool zoneColumns = c0 >= kZoneLeft && c0 <= kZoneRight;
        for (int r0 = 0; r0 < kRows; r0 += 8) {
            U16x8 v[8];
            for (int k = 0; k < 8; ++k)
                std::memcpy(&v[k], temp + (kSrcHeight - 1 - c0 - k) * kSrcWidth + r0, sizeof v[k]);
            transpose8x8(v);
            const bool inZone = zoneColumns && r0 >= kZoneTop && r0 <= kZoneBottom;
            for (int j = 0; j < 8; ++j) {
                const U16x8 shifted = v[j] >> 2;
                std::memcpy(matrix + (r0 + j) * kCols + c0, &shifted, sizeof shifted);
                const S16x8 w = reinterpret_cast<S16x8>(shifted);
                S16x8 &hi = rowHi[r0 + j], &lo = rowLo[r0 + j];
                hi = w > hi ? w : hi;
                lo = w < lo ? w : lo;
                if (inZone) {
                    S16x8 &zh = zoneHi[r0 + j], &zl = zoneLo[r0 + j];
                    zh = w > zh ? w : zh;
                    zl = w < zl ? w : zl;
                }
            }
        }
    }
    uint16_t rowMax[kRows], rowMin[kRows], zoneMax[kRows], zoneMin[kRows];
    for (int r = 0; r < kRows; ++r) {
        int16_t a = rowHi[r][0], b = rowLo[r][0], za = zoneHi[r][0], zb = zoneLo[r][0];
        for (int k = 1; k < 8; ++k) {
            a = std::max(a, rowHi[r][k]);
            b = std::min(b, rowLo[r][k]);
            za = std::max(za, zoneHi[r][k]);
            zb = std::min(zb, zoneLo[r][k]);
        }
        rowMax[r] = static_cast<uint16_t>(a);
        rowMin[r] = static_cast<uint16_t>(b);
        zoneMax[r] = static_cast<uint16_t>(za);
        zoneMin[r] = static_cast<uint16_t>(zb);
    }
    Stats s;
    s.maxValue = *std::max_element(rowMax, rowMax + kRows);
    s.minValue = *std::min_element(rowMin, rowMin + kRows);
    s.zoneMaxValue = *std::max_element(zoneMax + kZoneTop, zoneMax + kZoneBottom + 1);
    s.zoneMinValue = *std::min_element(zoneMin + kZoneTop, zoneMin + kZoneBottom + 1);
    s.max = firstAt(matrix, 0, kRows - 1, 0, kCols - 1, rowMax, s.maxValue);
    s.min = firstAt(matrix, 0, kRows - 1, 0, kCols - 1, rowMin, s.minValue);
    s.zoneMax = firstAt(matrix, kZoneTop, kZoneBottom, kZoneLeft, kZoneRight, zoneMax, s.zoneMaxValue);
    s.zoneMin = firstAt(matrix, kZoneTop, kZoneBottom, kZoneLeft, kZoneRight, zoneMin, s.zoneMinValue);
    s.centre = matrix[kCentreRow * kCols + kCentreCol];
    return s;
}

namespace {

// Sixteen source rows through the table in their own order, then turned;
// with a colour table, each turned row is coloured while it is at hand
// (colour() of the whole picture, block by block).
NORVIK7_VECTOR_CLONES
void turnGrey(const uint16_t *image, const uint8_t *lut, uint8_t *grey, const uint32_t *packed, uint8_t *rgb,
              int stride)
{
    alignas(16) uint8_t strip[16][kSrcWidth];
    for (int c0 = 0; c0 < kCols; c0 += 16) {
        for (int k = 0; k < 16; ++k) {
            const uint16_t *src = image + (kSrcHeight - 1 - c0 - k) * kSrcWidth;
            for (int x = 0; x < kSrcWidth; ++x)
                strip[k][x] = lut[src[x]];
        }
        // The last pixel of a row gets exactly three bytes: the fourth would
        // land on the next row, whose first block is already coloured.
        const int fourByteColumns = c0 + 16 == kCols ? 15 : 16;
        for (int r0 = 0; r0 < kRows; r0 += 16) {
            U8x16 v[16];
            for (int k = 0; k < 16; ++k)
                std::memcpy(&v[k], &strip[k][r0], sizeof v[k]);
            transpose16x16(v);
            for (int j = 0; j < 16; ++j) {
                uint8_t *g = grey + (r0 + j) * kCols + c0;
                std::memcpy(g, &v[j], sizeof v[j]);
                if (!packed)
                    continue;
                uint8_t *out = rgb + (r0 + j) * stride + 3 * c0;
                for (int k = 0; k < fourByteColumns; ++k)
                    std::memcpy(out + 3 * k, &packed[g[k]], 4);
                if (fourByteColumns == 15)
                    std::memcpy(out + 45, &packed[g[15]], 3);   // little-endian: red, green, blue
            }
        }
    }
}

}   // namespace

void rotateGrey(const uint16_t *image, const uint8_t *lut, uint8_t *grey)
{
    turnGrey(image, lut, grey, nullptr, nullptr, 0);
}

void rotateGreyAndColour(const uint16_t *image, const uint8_t *lut, const Rgb888Table &table, uint8_t *grey,
                         uint8_t *rgb, int stride)
{
    uint32_t packed[256];
    pack(table, packed);
    turnGrey(image, lut, grey, packed, rgb, stride);
}

void rotateBoth(const uint16_t *image, const uint16_t *temp, const uint8_t *lut, uint16_t *matrix, uint8_t *grey)
{
    rotateTemperature(temp, matrix);
    rotateGrey(image, lut, grey);
}

Stats statistics(const uint16_t *matrix)
{
    Stats s;
    extremesOf(matrix, 0, kRows - 1, 0, kCols - 1, &s.maxValue, &s.max, &s.minValue, &s.min);
    extremesOf(matrix, kZoneTop, kZoneBottom, kZoneLeft, kZoneRight, &s.zoneMaxValue, &s.zoneMax, &s.zoneMinValue,
               &s.zoneMin);
    s.centre = matrix[kCentreRow * kCols + kCentreCol];
    return s;
}

// ---- the whole path -------------------------------------------------------------------------

Stats process(Work &work, const uint16_t *image, const uint16_t *temp, const Rgb888Table &table, uint16_t *matrix,
              uint8_t *grey, uint8_t *rgb, int stride)
{
    const ContrastStretch::WriteAhead written[] = {{matrix, kPixels * sizeof *matrix},
                                                   {grey, kPixels},
                                                   {rgb, static_cast<size_t>(stride) * (kRows - 1) + 3 * kCols}};
    work.stretch.build(image, kPixels, written, 3);
    const Stats s = rotateAndMeasure(temp, matrix);
    rotateGreyAndColour(image, work.stretch.lut(), table, grey, rgb, stride);
    return s;
}

}   // namespace framepath
