#pragma once
// The live view's bilinear enlarger as it was before its thermal-size pass,
// kept as it was: the tuned `composition::Enlarger` must equal it byte for
// byte for every size and picture (tests), and the benchmark measures the
// tuned one against it.

#include <QImage>

#include <cstdint>
#include <utility>
#include <vector>

namespace reference {

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && !defined(__SANITIZE_THREAD__) && \
    !defined(__SANITIZE_ADDRESS__)
#define NORVIK7_REFERENCE_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define NORVIK7_REFERENCE_CLONES
#endif

NORVIK7_REFERENCE_CLONES
static void toRgb32(const uint8_t *__restrict src, uint32_t *__restrict dst, int pixels)
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

NORVIK7_REFERENCE_CLONES
static void mixRows(const uint8_t *__restrict a, const uint8_t *__restrict b, uint8_t *__restrict out, int bytes,
                    uint32_t weight)
{
    const uint16_t w = static_cast<uint16_t>(weight);
    const uint16_t iw = static_cast<uint16_t>(256 - weight);
    for (int i = 0; i < bytes; ++i)
        out[i] = static_cast<uint8_t>(static_cast<uint16_t>(a[i] * iw + b[i] * w) >> 8);
}

NORVIK7_REFERENCE_CLONES
static void resample(const uint32_t *__restrict src, const int *__restrict index, int next,
                     const uint16_t *__restrict weight, uint32_t *__restrict left, uint32_t *__restrict right,
                     uint32_t *__restrict out, int width)
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

// Each source row converted to 32-bit, resampled across by a per-pixel
// gather of both neighbours, pairs of such rows mixed down.
class Enlarger {
public:
    void run(const QImage &src, QImage &dst)
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
            for (auto *row : {&m_rows[0], &m_rows[1], &m_left, &m_right})
                row->assign(static_cast<size_t>(m_dstW), 0);
            m_srcRow.assign(static_cast<size_t>(m_srcW), 0);
            m_channelWeight.resize(static_cast<size_t>(m_dstW) * 4);
            for (size_t i = 0; i < m_channelWeight.size(); ++i)
                m_channelWeight[i] = static_cast<uint16_t>(m_x.weight[i / 4]);
        }
        uint8_t *const out = dst.bits();
        const qsizetype outStride = dst.bytesPerLine();
        int held[2] = {-1, -1};
        for (int y = 0; y < m_dstH; ++y) {
            const int y0 = m_y.index[static_cast<size_t>(y)];
            const int y1 = m_srcH < 2 ? y0 : y0 + 1;
            if (held[0] != y0) {
                if (held[1] == y0) {
                    std::swap(m_rows[0], m_rows[1]);
                    std::swap(held[0], held[1]);
                } else {
                    resampleRow(src.constScanLine(y0), bytesPerPixel, m_rows[0].data());
                    held[0] = y0;
                }
            }
            if (held[1] != y1) {
                resampleRow(src.constScanLine(y1), bytesPerPixel, m_rows[1].data());
                held[1] = y1;
            }
            mixRows(reinterpret_cast<const uint8_t *>(m_rows[0].data()),
                    reinterpret_cast<const uint8_t *>(m_rows[1].data()), out + y * outStride, m_dstW * 4,
                    m_y.weight[static_cast<size_t>(y)]);
        }
    }

private:
    struct Axis {
        std::vector<int> index;
        std::vector<uint32_t> weight;
    };
    static void fill(Axis &axis, int srcSize, int dstSize)
    {
        axis.index.assign(static_cast<size_t>(dstSize), 0);
        axis.weight.assign(static_cast<size_t>(dstSize), 0);
        for (int d = 0; d < dstSize; ++d) {
            const long pos = ((2L * d + 1) * srcSize * 256) / (2L * dstSize) - 128;
            if (srcSize >= 2 && pos >= (srcSize - 1) * 256L) {
                axis.index[static_cast<size_t>(d)] = srcSize - 2;
                axis.weight[static_cast<size_t>(d)] = 256;
            } else if (srcSize >= 2 && pos > 0) {
                axis.index[static_cast<size_t>(d)] = static_cast<int>(pos >> 8);
                axis.weight[static_cast<size_t>(d)] = static_cast<uint32_t>(pos & 255);
            }
        }
    }
    void resampleRow(const uint8_t *src, int bytesPerPixel, uint32_t *out)
    {
        const uint32_t *s = reinterpret_cast<const uint32_t *>(src);
        if (bytesPerPixel == 3) {
            toRgb32(src, m_srcRow.data(), m_srcW);
            s = m_srcRow.data();
        }
        resample(s, m_x.index.data(), m_srcW < 2 ? 0 : 1, m_channelWeight.data(), m_left.data(), m_right.data(), out,
                 m_dstW);
    }
    int m_srcW = -1, m_srcH = -1, m_dstW = -1, m_dstH = -1;
    Axis m_x, m_y;
    std::vector<uint16_t> m_channelWeight;
    std::vector<uint32_t> m_left, m_right;
    std::vector<uint32_t> m_srcRow;
    std::vector<uint32_t> m_rows[2];
};

#undef NORVIK7_REFERENCE_CLONES

}   // namespace reference
