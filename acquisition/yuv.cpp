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
    const Clamp &cl = clamp();
    const unsigned pairs = width * height / 2;
    for (unsigned i = 0; i < pairs; ++i) {
        const uint8_t *in = yuyv + 4 * i;
        uint8_t *out = rgb + 6 * i;
        const int u = in[1], v = in[3];
        const int rv = t.redV[v], guv = t.greenU[u] + t.greenV[v], bu = t.blueU[u];
        const int y0 = in[0], y1 = in[2];
        out[0] = cl(y0 + rv);
        out[1] = cl(y0 + guv);
        out[2] = cl(y0 + bu);
        out[3] = cl(y1 + rv);
        out[4] = cl(y1 + guv);
        out[5] = cl(y1 + bu);
    }
}

// ---- turning and enlarging ---------------------------------------------------------------

// The turned picture is 240 wide and 320 high; its pixel (ux, uy) is the
// sensor's (uy, 239 - ux).
Enlarger::Enlarger()
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
    axis(kOutWidth, kHeight, m_col, m_colWeight);   // turned width = sensor height
    axis(kOutHeight, kWidth, m_row, m_rowWeight);   // turned height = sensor width
}

void Enlarger::run(const uint8_t *rgb, uint8_t *out, int stride) const
{
    for (int y = 0; y < kOutHeight; ++y) {
        // Turned row uy is sensor column xs = uy.
        const int xs = m_row[y];
        const int xs1 = std::min(xs + 1, kWidth - 1);
        const int wy = m_rowWeight[y];
        uint8_t *o = out + y * stride;
        for (int x = 0; x < kOutWidth; ++x) {
            // Turned column ux is sensor row ys = 239 - ux.
            const int ys = kHeight - 1 - m_col[x];
            const int ys1 = std::max(ys - 1, 0);
            const int wx = m_colWeight[x];
            const uint8_t *p00 = rgb + (ys * kWidth + xs) * 3;
            const uint8_t *p01 = rgb + (ys * kWidth + xs1) * 3;
            const uint8_t *p10 = rgb + (ys1 * kWidth + xs) * 3;
            const uint8_t *p11 = rgb + (ys1 * kWidth + xs1) * 3;
            for (int ch = 0; ch < 3; ++ch) {
                const int top = p00[ch] * (256 - wy) + p01[ch] * wy;
                const int bottom = p10[ch] * (256 - wy) + p11[ch] * wy;
                // Red and blue change places.
                o[3 * x + (2 - ch)] = static_cast<uint8_t>((top * (256 - wx) + bottom * wx + 32768) >> 16);
            }
        }
    }
}

}  // namespace yuv
