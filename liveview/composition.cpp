#include "liveview/composition.h"

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

// ---- scaling ------------------------------------------------------------------------------

void Scaler::fill(Axis &axis, int srcSize, int dstSize, int scale)
{
    axis.index.resize(static_cast<size_t>(dstSize));
    axis.weight.resize(static_cast<size_t>(dstSize));
    for (int d = 0; d < dstSize; ++d) {
        // Source position of the destination pixel's centre, in 1/256 pixels.
        long pos = ((2L * d + 1) * srcSize * 256) / (2L * dstSize) - 128;
        int i = 0, w = 0;
        if (srcSize < 2 || pos <= 0) {
            i = 0;
            w = 0;
        } else if (pos >= (srcSize - 1) * 256L) {
            i = srcSize - 2;
            w = 256;
        } else {
            i = static_cast<int>(pos >> 8);
            w = static_cast<int>(pos & 255);
        }
        axis.index[static_cast<size_t>(d)] = i * scale;
        axis.weight[static_cast<size_t>(d)] = w;
    }
}

void Scaler::prepare(const RgbView &src, int dstW, int dstH)
{
    if (src.width == m_srcW && src.height == m_srcH && dstW == m_dstW && dstH == m_dstH)
        return;
    m_srcW = src.width;
    m_srcH = src.height;
    m_dstW = dstW;
    m_dstH = dstH;
    fill(m_x, m_srcW, dstW, 3);
    fill(m_y, m_srcH, dstH, 1);
    m_rowA.assign(static_cast<size_t>(dstW) * 3, 0);
    m_rowB.assign(static_cast<size_t>(dstW) * 3, 0);
}

namespace {

void scaleRow(const uint8_t *src, const std::vector<int> &index, const std::vector<int> &weight, uint16_t *out,
              int dstW, bool single)
{
    for (int x = 0; x < dstW; ++x) {
        const uint8_t *p = src + index[static_cast<size_t>(x)];
        const int w = weight[static_cast<size_t>(x)];
        const int iw = 256 - w;
        if (single) {
            out[0] = static_cast<uint16_t>(p[0] << 8);
            out[1] = static_cast<uint16_t>(p[1] << 8);
            out[2] = static_cast<uint16_t>(p[2] << 8);
        } else {
            out[0] = static_cast<uint16_t>(p[0] * iw + p[3] * w);
            out[1] = static_cast<uint16_t>(p[1] * iw + p[4] * w);
            out[2] = static_cast<uint16_t>(p[2] * iw + p[5] * w);
        }
        out += 3;
    }
}

// Runs `emit(y, rowA, rowB, weight)` for every destination row, scaling each
// source row horizontally once.
template <class Emit>
void scaleRows(const RgbView &src, const std::vector<int> &xi, const std::vector<int> &xw, const std::vector<int> &yi,
               const std::vector<int> &yw, std::vector<uint16_t> &a, std::vector<uint16_t> &b, int dstW, int dstH,
               Emit out)
{
    const bool singleCol = src.width < 2;
    int rowInA = -1, rowInB = -1;
    for (int y = 0; y < dstH; ++y) {
        const int y0 = yi[static_cast<size_t>(y)];
        const int y1 = src.height < 2 ? y0 : y0 + 1;
        if (rowInA != y0) {
            if (rowInB == y0) {
                a.swap(b);
                rowInA = y0;
                rowInB = -1;
            } else {
                scaleRow(src.bits + y0 * src.stride, xi, xw, a.data(), dstW, singleCol);
                rowInA = y0;
            }
        }
        if (rowInB != y1) {
            scaleRow(src.bits + y1 * src.stride, xi, xw, b.data(), dstW, singleCol);
            rowInB = y1;
        }
        out(y, a.data(), b.data(), yw[static_cast<size_t>(y)]);
    }
}

}  // namespace

void Scaler::toRgb(const RgbView &src, uint8_t *dst, int dstW, int dstH, int dstStride)
{
    prepare(src, dstW, dstH);
    scaleRows(src, m_x.index, m_x.weight, m_y.index, m_y.weight, m_rowA, m_rowB, dstW, dstH,
              [&](int y, const uint16_t *a, const uint16_t *b, int w) {
                  uint8_t *out = dst + y * dstStride;
                  const int iw = 256 - w;
                  for (int i = 0; i < dstW * 3; ++i)
                      out[i] = static_cast<uint8_t>((a[i] * iw + b[i] * w + 32768) >> 16);
              });
}

void Scaler::toRgb32(const RgbView &src, uint32_t *dst, int dstW, int dstH, int dstStridePixels)
{
    prepare(src, dstW, dstH);
    scaleRows(src, m_x.index, m_x.weight, m_y.index, m_y.weight, m_rowA, m_rowB, dstW, dstH,
              [&](int y, const uint16_t *a, const uint16_t *b, int w) {
                  uint32_t *out = dst + y * dstStridePixels;
                  const int iw = 256 - w;
                  for (int x = 0; x < dstW; ++x, a += 3, b += 3) {
                      const uint32_t r = (a[0] * iw + b[0] * w + 32768) >> 16;
                      const uint32_t g = (a[1] * iw + b[1] * w + 32768) >> 16;
                      const uint32_t bl = (a[2] * iw + b[2] * w + 32768) >> 16;
                      out[x] = 0xff000000u | (r << 16) | (g << 8) | bl;
                  }
              });
}

// ---- blending -----------------------------------------------------------------------------

void Blender::setWeight(int thermalPercent)
{
    thermalPercent = std::clamp(thermalPercent, 0, 100);
    if (thermalPercent == m_weight)
        return;
    m_weight = thermalPercent;
    for (int v = 0; v < 256; ++v) {
        m_a[v] = static_cast<uint8_t>((v * thermalPercent) / 100);
        m_b[v] = static_cast<uint8_t>((v * (100 - thermalPercent)) / 100);
    }
}

void Blender::mixRow(const uint8_t *a, const uint8_t *b, uint8_t *out, int bytes) const
{
    for (int i = 0; i < bytes; ++i)
        out[i] = static_cast<uint8_t>(m_a[a[i]] + m_b[b[i]]);
}

// ---- composing ----------------------------------------------------------------------------

Composer::Composer() : m_screen(kScreenW, kScreenH, QImage::Format_RGB32)
{
    m_screen.fill(Qt::black);
    for (auto &buf : m_small)
        buf.assign(static_cast<size_t>(kBlendW) * kBlendH * 3, 0);
    m_pip.assign(static_cast<size_t>(kThermalW) * kThermalH * 3, 0);
}

void Composer::enlarge(const RgbView &src)
{
    m_toScreen.toRgb32(src, reinterpret_cast<uint32_t *>(m_screen.bits()), kScreenW, kScreenH,
                       static_cast<int>(m_screen.bytesPerLine() / 4));
}

static RgbView rgbViewConverting(const QImage &img, QImage &holder)
{
    if (img.isNull() || img.format() == QImage::Format_RGB888)
        return viewOf(img);
    holder = img.convertToFormat(QImage::Format_RGB888);
    return viewOf(holder);
}

const QImage &Composer::compose(const QImage &thermal, const QImage &visible, const Request &r)
{
    const RgbView th = rgbViewConverting(thermal, m_thermalRgb);
    if (!th.valid())
        return m_screen;
    const RgbView vis = rgbViewConverting(visible, m_visibleRgb);
    const RgbView cropped = crop(vis, r.crop, kThermalW, kThermalH);
    m_fallback = false;

    switch (r.mode) {
    case 1:
        if (vis.valid()) {
            enlarge(vis);
            return m_screen;
        }
        break;
    case 2:
        if (!cropped.valid())
            break;
        if (r.trans >= 100) {
            enlarge(th);
        } else if (r.trans <= 0) {
            enlarge(cropped);
        } else {
            const int stride = kBlendW * 3;
            m_thermalSmall.toRgb(th, m_small[0].data(), kBlendW, kBlendH, stride);
            m_visibleSmall.toRgb(cropped, m_small[1].data(), kBlendW, kBlendH, stride);
            m_blend.setWeight(r.trans);
            m_blend.mixRow(m_small[0].data(), m_small[1].data(), m_small[2].data(), stride * kBlendH);
            enlarge(RgbView{m_small[2].data(), kBlendW, kBlendH, stride});
        }
        return m_screen;
    case 3: {
        if (!cropped.valid())
            break;
        m_pipBlend.setWeight(r.pipTrans);
        const int stride = kThermalW * 3;
        for (int y = 0; y < kThermalH; ++y) {
            uint8_t *out = m_pip.data() + y * stride;
            const uint8_t *v = cropped.bits + y * cropped.stride;
            if (y < kPipTop || y > kPipBottom) {
                std::memcpy(out, v, static_cast<size_t>(stride));
                continue;
            }
            const uint8_t *t = th.bits + y * th.stride;
            const int l = kPipLeft * 3, n = (kPipRight - kPipLeft + 1) * 3;
            std::memcpy(out, v, static_cast<size_t>(l));
            m_pipBlend.mixRow(t + l, v + l, out + l, n);
            std::memcpy(out + l + n, v + l + n, static_cast<size_t>(stride - l - n));
        }
        enlarge(RgbView{m_pip.data(), kThermalW, kThermalH, stride});
        return m_screen;
    }
    default:
        enlarge(th);
        return m_screen;
    }
    // No visible picture to show: the thermal one instead of an empty screen.
    m_fallback = true;
    enlarge(th);
    return m_screen;
}

}  // namespace composition
