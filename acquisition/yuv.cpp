#include "acquisition/yuv.h"

#include "core/vectorclones.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace yuv {
namespace {

Tables makeTables()
{
    Tables t{};
    for (int i = 0; i < 256; ++i) {
        const int d = i - 128;
        t.redV[i] = static_cast<int16_t>(d + ((95 * d) >> 8));
        t.greenU[i] = static_cast<int16_t>(-((86 * d) >> 8));
        t.greenV[i] = static_cast<int16_t>(-((179 * d) >> 8));
        t.blueU[i] = static_cast<int16_t>(d + ((188 * d) >> 8));
    }
    return t;
}

// Clamping by table: luma plus any table entry lies within -256..511.
struct Clamp {
    uint8_t v[1024];
    Clamp()
    {
        for (int i = 0; i < 1024; ++i)
            v[i] = static_cast<uint8_t>(std::clamp(i - 384, 0, 255));
    }
    uint8_t operator()(int x) const { return v[x + 384]; }
};

const Clamp &clamp()
{
    static const Clamp c;
    return c;
}

}   // namespace

const Tables &tables()
{
    static const Tables t = makeTables();
    return t;
}

int pixel(int y, int u, int v)
{
    const Tables &t = tables();
    const Clamp &cl = clamp();
    const int r = cl(y + t.redV[v & 0xFF]);
    const int g = cl(y + t.greenU[u & 0xFF] + t.greenV[v & 0xFF]);
    const int b = cl(y + t.blueU[u & 0xFF]);
    return r << 16 | g << 8 | b;
}

namespace {

typedef int16_t I16x8 __attribute__((vector_size(16)));
typedef uint16_t U16x8 __attribute__((vector_size(16)));
typedef uint32_t U32x4 __attribute__((vector_size(16)));

// Pairs one at a time, through the tables.
void pairsToRgb(const uint8_t *yuyv, uint8_t *rgb, unsigned pairs)
{
    const Tables &t = tables();
    const Clamp &sat = clamp();
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

// `pairs` pairs of YUYV to RGB888.
NORVIK7_VECTOR_CLONES
void convertPairs(const uint8_t *yuyv, uint8_t *rgb, unsigned pairs)
{
    // Four pairs at a time in 16-bit lanes: each word of the input is a luma
    // byte under a chroma byte; the tables' formulas are computed exactly
    // (every product fits 16 bits, >> rounds towards minus infinity as in
    // the tables) and clamped. Each pixel is stored as four bytes, the
    // fourth overwritten by the next pixel; the last pairs go one by one.
    const I16x8 zero = {0, 0, 0, 0, 0, 0, 0, 0};
    const I16x8 top = zero + 255, middle = zero + 128;
    unsigned i = 0;
    for (; i + 4 < pairs; i += 4) {
        U16x8 words;
        std::memcpy(&words, yuyv + 4 * i, sizeof words);
        const I16x8 y = reinterpret_cast<I16x8>(words & 0xFF);
        const I16x8 d = reinterpret_cast<I16x8>(words >> 8) - middle;
        const I16x8 u = __builtin_shuffle(d, I16x8{0, 0, 2, 2, 4, 4, 6, 6});
        const I16x8 v = __builtin_shuffle(d, I16x8{1, 1, 3, 3, 5, 5, 7, 7});
        I16x8 r = y + v + ((v * 95) >> 8);
        I16x8 g = y - ((u * 86) >> 8) - ((v * 179) >> 8);
        I16x8 b = y + u + ((u * 188) >> 8);
        r = r < zero ? zero : r > top ? top : r;
        g = g < zero ? zero : g > top ? top : g;
        b = b < zero ? zero : b > top ? top : b;
        const U16x8 redGreen = reinterpret_cast<U16x8>(r | (g << 8)), blue = reinterpret_cast<U16x8>(b);
        const U32x4 first = reinterpret_cast<U32x4>(__builtin_shuffle(redGreen, blue, U16x8{0, 8, 1, 9, 2, 10, 3, 11}));
        const U32x4 second =
            reinterpret_cast<U32x4>(__builtin_shuffle(redGreen, blue, U16x8{4, 12, 5, 13, 6, 14, 7, 15}));
        uint8_t *out = rgb + 6 * i;
        for (int k = 0; k < 4; ++k) {   // in order: each store's fourth byte is the next pixel's
            const uint32_t p = first[k];
            std::memcpy(out + 3 * k, &p, 4);
        }
        for (int k = 0; k < 4; ++k) {
            const uint32_t p = second[k];
            std::memcpy(out + 12 + 3 * k, &p, 4);
        }
    }
    pairsToRgb(yuyv + 4 * i, rgb + 6 * i, pairs - i);
}

}   // namespace

void toRgb(const uint8_t *yuyv, uint8_t *rgb, unsigned width, unsigned height)
{
    convertPairs(yuyv, rgb, width * height / 2);
}

// ---- turning and enlarging ---------------------------------------------------------------

// The turned picture is 240 wide and 320 high; its pixel (ux, uy) is the
// sensor's (uy, 239 - ux), so an output column blends two sensor rows and an
// output row two sensor columns. Each output value is the bilinear sum of
// four pixels, (sum of weight products + 32768) >> 16 with 8-bit weights,
// exact in integers, so the two blends may come in either order:
//   1. for each output column, the two sensor rows blended (whole rows,
//      vectorised) and stored turned: row uy of the store holds, for every
//      output column, the blend at sensor column uy (red and blue exchanged);
//   2. each output row blends two rows of that store (vectorised).
namespace {
constexpr int kTurnedWidth = kHeight;   // 240
constexpr int kTurnedHeight = kWidth;   // 320
constexpr int kRowBytes = kWidth * 3;
// A store row: the output row's 792 words and one spare word, which the
// 8-byte stores of the last column spill into.
constexpr int kStoreRow = kOutWidth * 3 + 4;
constexpr int kColumnsAtOnce = 4;
constexpr int kBand = 32;   // store rows made and used together
constexpr int kBlendRow = (kBand + 1) * 3;
// A band's sensor columns in RGB888: its store rows and the one after, as
// whole YUYV pairs.
constexpr int kStripRow = (kBand + 2) * 3;
static_assert(kBand % 2 == 0, "bands start on a pair");

// n bytes of two sensor rows blended, 8.8 fixed point.
NORVIK7_VECTOR_CLONES
void blendSensorRows(const uint8_t *a, const uint8_t *b, uint16_t w0, uint16_t w, uint16_t *out, int n)
{
    for (int i = 0; i < n; ++i)
        out[i] = static_cast<uint16_t>(a[i] * w0 + b[i] * w);
}

// n bytes of an output row from two store rows: (a w0 + b w + 32768) >> 16
// in 16-bit lanes. The high and low bytes of a and b are blended apart
// (neither sum passes 65,280, and a high byte of 255 comes with a low byte
// of 0), then (256 high + low + 32768) >> 16 = (high + (low >> 8) + 128) >> 8.
NORVIK7_VECTOR_CLONES
void blendStoreRows(const uint16_t *a, const uint16_t *b, uint16_t w0, uint16_t w, uint8_t *o, int n)
{
    for (int i = 0; i < n; ++i) {
        const uint16_t high = static_cast<uint16_t>((a[i] >> 8) * w0 + (b[i] >> 8) * w);
        const uint16_t low = static_cast<uint16_t>((a[i] & 0xFF) * w0 + (b[i] & 0xFF) * w);
        o[i] = static_cast<uint8_t>(static_cast<uint16_t>(high + (low >> 8) + 128) >> 8);
    }
}

}   // namespace

Enlarger::Enlarger()
    : m_store(static_cast<size_t>(kStoreRow) * (kBand + 1)), m_blend(static_cast<size_t>(kBlendRow) * kColumnsAtOnce),
      m_strip(static_cast<size_t>(kStripRow) * kHeight)
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
    axis(kOutWidth, kTurnedWidth, m_col, m_colWeight);
    axis(kOutHeight, kTurnedHeight, m_row, m_rowWeight);
}

void Enlarger::run(const uint8_t *rgb, uint8_t *out, int stride)
{
    enlarge([rgb](int u0, int) { return Band{rgb + 3 * u0, kRowBytes}; }, out, stride);
}

void Enlarger::runYuyv(const uint8_t *yuyv, uint8_t *out, int stride)
{
    // Sensor columns u0 .. u0 + rows - 1 of every sensor row, while the
    // band is made: read once, converted into a strip that stays in the
    // first-level cache.
    uint8_t *strip = m_strip.data();
    enlarge(
        [yuyv, strip](int u0, int rows) {
            const unsigned pairs = static_cast<unsigned>(rows + 1) / 2;
            for (int ys = 0; ys < kHeight; ++ys)
                convertPairs(yuyv + (ys * kWidth + u0) * 2, strip + ys * kStripRow, pairs);
            return Band{strip, kStripRow};
        },
        out, stride);
}

template <class MakeBand>
void Enlarger::enlarge(MakeBand makeBand, uint8_t *out, int stride)
{
    // In bands of kBand store rows (sensor columns), so that the store stays
    // in the cache between its writing and its reading; a band also makes
    // the row after it, which its last output rows blend in.
    static_assert(kOutWidth % kColumnsAtOnce == 0, "whole groups of columns");
    uint16_t *store = m_store.data();
    int y = 0;
    for (int u0 = 0; u0 < kTurnedHeight; u0 += kBand) {
        const int rows = std::min(u0 + kBand, kTurnedHeight - 1) - u0 + 1;
        // Sensor row ys, column u0 + i is at sensor.at + ys * sensor.rowBytes + 3 * i.
        const Band sensor = makeBand(u0, rows);
        // Four output columns at a time: their four blends, then each store
        // row gets the four columns' 24 bytes together.
        for (int x0 = 0; x0 < kOutWidth; x0 += kColumnsAtOnce) {
            for (int k = 0; k < kColumnsAtOnce; ++k) {
                const int ux = m_col[x0 + k];
                const int ux1 = std::min(ux + 1, kTurnedWidth - 1);
                const uint16_t w = static_cast<uint16_t>(m_colWeight[x0 + k]), w0 = static_cast<uint16_t>(256 - w);
                const uint8_t *a = sensor.at + (kHeight - 1 - ux) * sensor.rowBytes;
                const uint8_t *b = sensor.at + (kHeight - 1 - ux1) * sensor.rowBytes;
                blendSensorRows(a, b, w0, w, m_blend.data() + k * kBlendRow, 3 * rows);
            }
            // Turned, red and blue exchanged. Each 8-byte store's spare word
            // is overwritten by the next column's store (the last one's
            // lands in the row's spare word).
            uint16_t *d = store + 3 * x0;
            const uint16_t *blend = m_blend.data();
            for (int r = 0; r < rows; ++r, d += kStoreRow)
                for (int k = 0; k < kColumnsAtOnce; ++k) {
                    const uint16_t *p = blend + k * kBlendRow + 3 * r;
                    const uint64_t v = p[2] | static_cast<uint64_t>(p[1]) << 16 | static_cast<uint64_t>(p[0]) << 32;
                    std::memcpy(d + 3 * k, &v, sizeof v);
                }
        }
        for (; y < kOutHeight && m_row[y] < u0 + kBand; ++y) {
            const int uy = m_row[y];
            const int uy1 = std::min(uy + 1, kTurnedHeight - 1);
            const uint16_t w = static_cast<uint16_t>(m_rowWeight[y]), w0 = static_cast<uint16_t>(256 - w);
            const uint16_t *a = store + (uy - u0) * kStoreRow;
            const uint16_t *b = store + (uy1 - u0) * kStoreRow;
            blendStoreRows(a, b, w0, w, out + y * stride, kOutWidth * 3);
        }
    }
}

}   // namespace yuv
