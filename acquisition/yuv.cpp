#include "acquisition/yuv.h"

#include <algorithm>
#include <cmath>

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

}  // namespace

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

void toRgb(const uint8_t *yuyv, uint8_t *rgb, unsigned width, unsigned height)
{
    const Tables &t = tables();
    const Clamp &sat = clamp();
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

// ---- turning and enlarging ---------------------------------------------------------------

// The turned picture is 240 wide and 320 high; its pixel (ux, uy) is the
// sensor's (uy, 239 - ux). It is made first (a tiled transpose), then
// enlarged row by row: each output row blends two turned rows, then two
// neighbouring pixels of that blend.
namespace {
constexpr int kTurnedWidth = kHeight;   // 240
constexpr int kTurnedHeight = kWidth;   // 320
}  // namespace

Enlarger::Enlarger() : m_turned(kTurnedWidth * kTurnedHeight * 3), m_line(kTurnedWidth * 3)
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

}  // namespace yuv
