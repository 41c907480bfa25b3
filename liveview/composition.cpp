#include "liveview/composition.h"

#include "core/vectorclones.h"

#include <algorithm>
#include <cstring>

namespace composition {

RgbView viewOf(const QImage &img)
{
    RgbView v;
    if (img.isNull() || img.format() != QImage::Format_RGB888)
        return v;
    v.bits = img.constBits();
    v.width = img.width();
    v.height = img.height();
    v.stride = static_cast<int>(img.bytesPerLine());
    return v;
}

RgbView crop(const RgbView &v, QPoint c, int w, int h)
{
    RgbView out;
    if (!v.valid() || c.x() < 0 || c.y() < 0 || c.x() + w > v.width || c.y() + h > v.height)
        return out;
    out.bits = v.bits + c.y() * v.stride + c.x() * 3;
    out.width = w;
    out.height = h;
    out.stride = v.stride;
    return out;
}

// ---- blending -----------------------------------------------------------------------------

void blendRgb32(const uint32_t *a, const uint32_t *b, uint32_t *out, int pixels, int weightA)
{
    // (x * 5243) >> 19 is x / 100 for every x up to 255 * 100, without a division.
    const uint32_t wa = static_cast<uint32_t>(std::clamp(weightA, 0, 100));
    const uint32_t wb = 100 - wa;
    const uint8_t *pa = reinterpret_cast<const uint8_t *>(a);
    const uint8_t *pb = reinterpret_cast<const uint8_t *>(b);
    uint8_t *po = reinterpret_cast<uint8_t *>(out);
    for (int i = 0; i < pixels * 4; ++i)
        po[i] = static_cast<uint8_t>(((pa[i] * wa * 5243u) >> 19) + ((pb[i] * wb * 5243u) >> 19));
    for (int i = 0; i < pixels; ++i)
        out[i] |= 0xff000000u;
}

// Byte by byte into place: the compiler turns the groups of three into
// vector shuffles.
NORVIK7_VECTOR_CLONES
void toRgb32(const uint8_t *__restrict src, uint32_t *__restrict dst, int pixels)
{
    uint8_t *d = reinterpret_cast<uint8_t *>(dst);
    for (int i = 0; i < pixels; ++i) {
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
        d[4 * i] = src[3 * i + 2];
        d[4 * i + 1] = src[3 * i + 1];
        d[4 * i + 2] = src[3 * i];
        d[4 * i + 3] = 0xff;
#else
        dst[i] = 0xff000000u | (uint32_t(src[3 * i]) << 16) | (uint32_t(src[3 * i + 1]) << 8) | src[3 * i + 2];
#endif
    }
}

// ---- resampling ---------------------------------------------------------------------------

void Enlarger::fill(Axis &axis, int srcSize, int dstSize)
{
    axis.index.resize(static_cast<size_t>(dstSize));
    axis.weight.resize(static_cast<size_t>(dstSize));
    for (int d = 0; d < dstSize; ++d) {
        // Source position of the destination pixel's centre, in 1/256 pixels;
        // the edges hold their outermost pixels.
        const long pos = ((2L * d + 1) * srcSize * 256) / (2L * dstSize) - 128;
        int i = 0;
        uint32_t w = 0;
        if (srcSize < 2 || pos <= 0) {
            i = 0;
            w = 0;
        } else if (pos >= (srcSize - 1) * 256L) {
            i = srcSize - 2;
            w = 256;
        } else {
            i = static_cast<int>(pos >> 8);
            w = static_cast<uint32_t>(pos & 255);
        }
        axis.index[static_cast<size_t>(d)] = i;
        axis.weight[static_cast<size_t>(d)] = w;
    }
}

namespace {

#if defined(__GNUC__)
#define NORVIK7_BYTE_VECTORS 1
typedef uint8_t Bytes __attribute__((vector_size(16)));
typedef uint16_t Lanes __attribute__((vector_size(16)));
typedef uint16_t WideLanes __attribute__((vector_size(32)));

inline Bytes load16(const uint8_t *p)
{
    Bytes v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// a * (256 - w) + b * w >> 8 for every byte of `a` and `b` seen as 16-bit
// lanes, `w` given per lane. The low and high bytes of the lanes are mixed
// apart, one multiply each: the sum fits 16 bits, so a * 256 + (b - a) * w in
// wrapping arithmetic is exact.
template <class V>
inline __attribute__((always_inline)) V mixLanes(V a, V b, V w)
{
    const V lowA = a & 0xff, lowB = b & 0xff;
    const V highA = a >> 8, highB = b >> 8;
    const V low = (lowA << 8) + (lowB - lowA) * w;
    const V high = (a & 0xff00) + (highB - highA) * w;
    return (low >> 8) | (high & 0xff00);
}
#endif

// Two rows mixed channel by channel, 32 bytes at a time where the compiler
// has vectors (an opaque pair stays opaque: 255 * 256 >> 8 is 255).
NORVIK7_VECTOR_CLONES
void mixRows(const uint8_t *__restrict a, const uint8_t *__restrict b, uint8_t *__restrict out, int bytes,
             uint32_t weight)
{
    const uint16_t w = static_cast<uint16_t>(weight);
    const uint16_t iw = static_cast<uint16_t>(256 - weight);
    int i = 0;
#ifdef NORVIK7_BYTE_VECTORS
    const WideLanes wide = WideLanes{} + w;
    for (; i + 32 <= bytes; i += 32) {
        WideLanes la, lb;
        std::memcpy(&la, a + i, sizeof la);
        std::memcpy(&lb, b + i, sizeof lb);
        const WideLanes mixed = mixLanes(la, lb, wide);
        std::memcpy(out + i, &mixed, sizeof mixed);
    }
#endif
    for (; i < bytes; ++i)
        out[i] = static_cast<uint8_t>(static_cast<uint16_t>(a[i] * iw + b[i] * w) >> 8);
}

// Each destination pixel of a row from its two neighbours in the source row,
// by per-channel weights; `left` and `right` are working rows.
NORVIK7_VECTOR_CLONES
void resample(const uint32_t *__restrict src, const int *__restrict index, int next, const uint16_t *__restrict weight,
              uint32_t *__restrict left, uint32_t *__restrict right, uint32_t *__restrict out, int width)
{
    for (int x = 0; x < width; ++x) {
        left[x] = src[index[x]];
        right[x] = src[index[x] + next];
    }
    const uint8_t *a = reinterpret_cast<const uint8_t *>(left);
    const uint8_t *b = reinterpret_cast<const uint8_t *>(right);
    uint8_t *o = reinterpret_cast<uint8_t *>(out);
    for (int i = 0; i < width * 4; ++i) {
        const uint16_t wb = weight[i];
        const uint16_t wa = static_cast<uint16_t>(256 - wb);
        o[i] = static_cast<uint8_t>(static_cast<uint16_t>(a[i] * wa + b[i] * wb) >> 8);
    }
}

#if defined(NORVIK7_BYTE_VECTORS) && Q_BYTE_ORDER == Q_LITTLE_ENDIAN
#define NORVIK7_FIVE_FOURTHS 1

// Widening a row by 5/4 gives every group of 16 source pixels the same 20
// destination pixels: pixel 5k + j lies between source pixels 4k - 1 + j and
// 4k + j, at 230, 179, 128, 76 and 25 / 256 of the way for j = 0..4 (the
// centres of the two pictures line up). The row's first destination pixel is
// its first source pixel, its last the last. So each group is five times four
// pixels, each four picked from a 16-byte window of the source by a fixed
// shuffle, and no table is read.

// Four 32-bit pixels mixed with their right-hand neighbours, `w` two lanes a pixel.
inline Bytes mixFour(Bytes a, Bytes b, Lanes w)
{
    return reinterpret_cast<Bytes>(mixLanes(reinterpret_cast<Lanes>(a), reinterpret_cast<Lanes>(b), w));
}

// Four destination pixels between source pixels P0..P3 of the group and the
// pixels after them, with right-hand weights W0..W3, read from the 16 bytes
// at byte `from` of the group (32-bit pixels spanning five: and the 16 after).
template <int Bpp, int from, int P0, int P1, int P2, int P3, int W0, int W1, int W2, int W3>
inline __attribute__((always_inline)) void fourOfGroup(const uint8_t *group, uint8_t *out)
{
    const uint8_t *window = group + from;
    const Lanes w = {W0, W0, W1, W1, W2, W2, W3, W3};
    Bytes a, b;
    if constexpr (Bpp == 3) {
        // Blue, green, red from the window, the alpha from `opaque`.
        static_assert(3 * P0 - from >= 0 && 3 * P3 + 5 - from < 16, "outside the window");
        constexpr int O = 16;
        const Bytes v = load16(window);
        const Bytes opaque = {0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff,
                              0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff};
        const auto at = [](int pixel, int byte) { return 3 * pixel + byte - from; };
        const Bytes left = {at(P0, 2), at(P0, 1), at(P0, 0), O, at(P1, 2), at(P1, 1), at(P1, 0), O,
                            at(P2, 2), at(P2, 1), at(P2, 0), O, at(P3, 2), at(P3, 1), at(P3, 0), O};
        const Bytes right = {
            at(P0 + 1, 2), at(P0 + 1, 1), at(P0 + 1, 0), O, at(P1 + 1, 2), at(P1 + 1, 1), at(P1 + 1, 0), O,
            at(P2 + 1, 2), at(P2 + 1, 1), at(P2 + 1, 0), O, at(P3 + 1, 2), at(P3 + 1, 1), at(P3 + 1, 0), O};
        a = __builtin_shuffle(v, opaque, left);
        b = __builtin_shuffle(v, opaque, right);
    } else {
        static_assert(4 * P0 - from >= 0 && 4 * P3 + 8 - from <= 32, "outside the window");
        const auto at = [](int pixel, int byte) { return 4 * pixel + byte - from; };
        const Bytes left = {at(P0, 0), at(P0, 1), at(P0, 2), at(P0, 3), at(P1, 0), at(P1, 1), at(P1, 2), at(P1, 3),
                            at(P2, 0), at(P2, 1), at(P2, 2), at(P2, 3), at(P3, 0), at(P3, 1), at(P3, 2), at(P3, 3)};
        const Bytes right = left + 4;
        const Bytes v = load16(window);
        if constexpr (4 * P3 + 8 - from <= 16) {
            a = __builtin_shuffle(v, left);
            b = __builtin_shuffle(v, right);
        } else {
            const Bytes next = load16(window + 16);
            a = __builtin_shuffle(v, next, left);
            b = __builtin_shuffle(v, next, right);
        }
    }
    const Bytes mixed = mixFour(a, b, w);
    std::memcpy(out, &mixed, sizeof mixed);
}

// The 20 destination pixels of the 16 source pixels at `group`. Inside the
// row it reads the pixel before the group and the one after it (8-bit RGB:
// and one byte more); the row's first and last groups read neither and
// repeat their outer pixel instead (weight 0 on the left, 256 on the right).
template <int Bpp, bool first, bool last>
inline __attribute__((always_inline)) void fiveFourthsGroup(const uint8_t *group, uint8_t *out)
{
    if constexpr (first)
        fourOfGroup<Bpp, 0, 0, 0, 1, 2, 0, 179, 128, 76>(group, out);
    else
        fourOfGroup<Bpp, -Bpp, -1, 0, 1, 2, 230, 179, 128, 76>(group, out);
    fourOfGroup<Bpp, 3 * Bpp, 3, 3, 4, 5, 25, 230, 179, 128>(group, out + 16);
    fourOfGroup<Bpp, 6 * Bpp, 6, 7, 7, 8, 76, 25, 230, 179>(group, out + 32);
    fourOfGroup<Bpp, 9 * Bpp, 9, 10, 11, 11, 128, 76, 25, 230>(group, out + 48);
    if constexpr (last)
        fourOfGroup<Bpp, 16 * Bpp - 16, 12, 13, 14, 14, 179, 128, 76, 256>(group, out + 64);
    else
        fourOfGroup<Bpp, 12 * Bpp, 12, 13, 14, 15, 179, 128, 76, 25>(group, out + 64);
}

// A row of `width` pixels (a multiple of 16) widened to width * 5 / 4 32-bit
// pixels; nothing outside the row is read.
template <int Bpp>
inline __attribute__((always_inline)) void fiveFourthsRow(const uint8_t *__restrict src, int width,
                                                          uint8_t *__restrict out)
{
    const int groups = width / 16;
    if (groups == 1) {
        fiveFourthsGroup<Bpp, true, true>(src, out);
        return;
    }
    fiveFourthsGroup<Bpp, true, false>(src, out);
    for (int g = 1; g < groups - 1; ++g)
        fiveFourthsGroup<Bpp, false, false>(src + g * 16 * Bpp, out + g * 80);
    fiveFourthsGroup<Bpp, false, true>(src + (groups - 1) * 16 * Bpp, out + (groups - 1) * 80);
}

NORVIK7_VECTOR_CLONES
void fiveFourthsRgb888(const uint8_t *__restrict src, int width, uint8_t *__restrict out)
{
    fiveFourthsRow<3>(src, width, out);
}

NORVIK7_VECTOR_CLONES
void fiveFourthsRgb32(const uint8_t *__restrict src, int width, uint8_t *__restrict out)
{
    fiveFourthsRow<4>(src, width, out);
}
#endif

}   // namespace

void Enlarger::resampleRow(const uint8_t *src, int bytesPerPixel, uint32_t *out)
{
#ifdef NORVIK7_FIVE_FOURTHS
    if (m_fiveFourths) {
        (bytesPerPixel == 3 ? fiveFourthsRgb888 : fiveFourthsRgb32)(src, m_srcW, reinterpret_cast<uint8_t *>(out));
        return;
    }
#endif
    const uint32_t *s = reinterpret_cast<const uint32_t *>(src);
    if (bytesPerPixel == 3) {
        toRgb32(src, m_srcRow.data(), m_srcW);
        s = m_srcRow.data();
    }
    resample(s, m_x.index.data(), m_srcW < 2 ? 0 : 1, m_channelWeight.data(), m_left.data(), m_right.data(), out,
             m_dstW);
}

void Enlarger::run(const QImage &src, QImage &dst)
{
    const bool rgb888 = src.format() == QImage::Format_RGB888;
    if (src.isNull() || dst.isNull() || (src.depth() != 32 && !rgb888) || dst.depth() != 32)
        return;
    const int bytesPerPixel = rgb888 ? 3 : 4;
    if (src.width() != m_srcW || src.height() != m_srcH || dst.width() != m_dstW || dst.height() != m_dstH) {
        m_srcW = src.width();
        m_srcH = src.height();
        m_dstW = dst.width();
        m_dstH = dst.height();
        fill(m_x, m_srcW, m_dstW);
        fill(m_y, m_srcH, m_dstH);
        for (auto &row : m_rows)
            row.assign(static_cast<size_t>(m_dstW), 0);
        m_left.assign(static_cast<size_t>(m_dstW), 0);
        m_srcRow.assign(static_cast<size_t>(m_srcW), 0);
        m_right.assign(static_cast<size_t>(m_dstW), 0);
        m_fiveFourths = m_srcW % 16 == 0 && m_srcW * 5 == m_dstW * 4;
        m_channelWeight.resize(static_cast<size_t>(m_dstW) * 4);
        for (size_t i = 0; i < m_channelWeight.size(); ++i)
            m_channelWeight[i] = static_cast<uint16_t>(m_x.weight[i / 4]);
    }
    const auto srcRow = [&](int y) { return src.constScanLine(y); };
    uint8_t *const out = dst.bits();   // one detach for the whole picture
    const qsizetype outStride = dst.bytesPerLine();
    // Which source rows the two resampled rows hold.
    int held[2] = {-1, -1};
    for (int y = 0; y < m_dstH; ++y) {
        const int y0 = m_y.index[static_cast<size_t>(y)];
        const int y1 = m_srcH < 2 ? y0 : y0 + 1;
        if (held[0] != y0) {
            if (held[1] == y0) {
                std::swap(m_rows[0], m_rows[1]);
                std::swap(held[0], held[1]);
            } else {
                resampleRow(srcRow(y0), bytesPerPixel, m_rows[0].data());
                held[0] = y0;
            }
        }
        if (held[1] != y1) {
            resampleRow(srcRow(y1), bytesPerPixel, m_rows[1].data());
            held[1] = y1;
        }
        mixRows(reinterpret_cast<const uint8_t *>(m_rows[0].data()),
                reinterpret_cast<const uint8_t *>(m_rows[1].data()), out + y * outStride, m_dstW * 4,
                m_y.weight[static_cast<size_t>(y)]);
    }
}

// ---- composing ----------------------------------------------------------------------------

Composer::Composer()
    : m_thermal32(kThermalW, kThermalH, QImage::Format_RGB32), m_visible32(kVisibleW, kVisibleH, QImage::Format_RGB32),
      m_blend32(kBlendW, kBlendH, QImage::Format_RGB32), m_pip32(kThermalW, kThermalH, QImage::Format_RGB32)
{
    for (QImage &img : m_small)
        img = QImage(kBlendW, kBlendH, QImage::Format_RGB32);
}

void Composer::reduce(const QImage &src, QImage &dst) { m_reducer.run(src, dst); }

static RgbView rgbViewConverting(const QImage &img, QImage &holder)
{
    if (img.isNull() || img.format() == QImage::Format_RGB888)
        return viewOf(img);
    holder = img.convertToFormat(QImage::Format_RGB888);
    return viewOf(holder);
}

const QImage &Composer::convert(const RgbView &src, QImage &dst)
{
    if (dst.width() != src.width || dst.height() != src.height)
        dst = QImage(src.width, src.height, QImage::Format_RGB32);
    for (int y = 0; y < src.height; ++y)
        toRgb32(src.bits + y * src.stride, reinterpret_cast<uint32_t *>(dst.scanLine(y)), src.width);
    return dst;
}

// The thermal picture needs no composing: the enlargement reads its 8-bit
// pixels itself.
const QImage &Composer::thermalAsItIs(const QImage &thermal, const RgbView &th)
{
    if (thermal.format() != QImage::Format_RGB888)
        return convert(th, m_thermal32);
    m_thermalShown = thermal;
    return m_thermalShown;
}

const QImage &Composer::compose(const QImage &thermal, const QImage &visible, const Request &r)
{
    const RgbView th = rgbViewConverting(thermal, m_thermalRgb);
    if (!th.valid())
        return m_none;
    const RgbView vis = rgbViewConverting(visible, m_visibleRgb);
    const RgbView cropped = crop(vis, r.crop, kThermalW, kThermalH);
    m_fallback = false;

    switch (r.mode) {
    case 1:
        if (vis.valid())
            return convert(vis, m_visible32);
        break;
    case 2:
        if (!cropped.valid())
            break;
        if (r.trans >= 100)
            return convert(th, m_thermal32);
        if (r.trans <= 0)
            return convert(cropped, m_pip32);
        reduce(convert(th, m_thermal32), m_small[0]);
        reduce(convert(cropped, m_pip32), m_small[1]);
        blendRgb32(reinterpret_cast<const uint32_t *>(m_small[0].constBits()),
                   reinterpret_cast<const uint32_t *>(m_small[1].constBits()),
                   reinterpret_cast<uint32_t *>(m_blend32.bits()), kBlendW * kBlendH, r.trans);
        return m_blend32;
    case 3: {
        // The window is mixed from the thermal picture's own pixels: it must be whole.
        if (!cropped.valid() || !crop(th, QPoint(0, 0), kThermalW, kThermalH).valid())
            break;
        const int w = kPipRight - kPipLeft + 1;
        uint32_t thermalRow[kThermalW];
        for (int y = 0; y < kThermalH; ++y) {
            uint32_t *out = reinterpret_cast<uint32_t *>(m_pip32.scanLine(y));
            const uint8_t *v = cropped.bits + y * cropped.stride;
            if (y < kPipTop || y > kPipBottom) {
                toRgb32(v, out, kThermalW);
                continue;
            }
            const uint8_t *t = th.bits + y * th.stride;
            toRgb32(v, out, kThermalW);
            toRgb32(t + kPipLeft * 3, thermalRow, w);
            blendRgb32(thermalRow, out + kPipLeft, out + kPipLeft, w, r.pipTrans);
        }
        return m_pip32;
    }
    default:
        return thermalAsItIs(thermal, th);
    }
    // Nothing to mix: the thermal picture instead of an empty screen.
    m_fallback = true;
    return thermalAsItIs(thermal, th);
}

}   // namespace composition
