#include "liveview/composition.h"

#include <algorithm>
#include <cstring>

#include <QPainter>

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

void toRgb32(const uint8_t *src, uint32_t *dst, int pixels)
{
    for (int i = 0; i < pixels; ++i, src += 3)
        dst[i] = 0xff000000u | (uint32_t(src[0]) << 16) | (uint32_t(src[1]) << 8) | src[2];
}

// ---- composing ----------------------------------------------------------------------------

Composer::Composer()
    : m_thermal32(kThermalW, kThermalH, QImage::Format_RGB32),
      m_visible32(kVisibleW, kVisibleH, QImage::Format_RGB32),
      m_blend32(kBlendW, kBlendH, QImage::Format_RGB32),
      m_pip32(kThermalW, kThermalH, QImage::Format_RGB32)
{
    for (QImage &img : m_small)
        img = QImage(kBlendW, kBlendH, QImage::Format_RGB32);
}

void Composer::reduce(const QImage &src, QImage &dst)
{
    QPainter p(&dst);
    paintScaled(p, src, dst.rect());
}

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
        if (!cropped.valid())
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
        return convert(th, m_thermal32);
    }
    // No visible picture to show: the thermal one instead of an empty screen.
    m_fallback = true;
    return convert(th, m_thermal32);
}

void paintScaled(QPainter &painter, const QImage &picture, const QRect &target)
{
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(target, picture);
}

}  // namespace composition
