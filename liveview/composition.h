#pragma once
// The picture of the live view for each image mode, composed and enlarged to
// the 240 x 320 screen without allocating anything per frame once its
// buffers exist:
//   0 thermal   the thermal picture (192 x 256)
//   1 visible   the whole visible picture (264 x 352)
//   2 blend     thermal weight t1, visible crop weight 100 - t1, mixed at
//               120 x 160; t1 100 or 0 shows one of the two unmixed
//   3 PIP       the visible crop, with the middle window (x 48..143,
//               y 64..191) a mix weighted by pipTrans
// Without a usable visible picture every mode shows the thermal picture.
#include <QImage>
#include <QPoint>

#include <cstdint>
#include <vector>

namespace composition {

constexpr int kThermalW = 192, kThermalH = 256;
constexpr int kVisibleW = 264, kVisibleH = 352;
constexpr int kBlendW = 120, kBlendH = 160;
constexpr int kScreenW = 240, kScreenH = 320;
constexpr int kPipLeft = 48, kPipRight = 143, kPipTop = 64, kPipBottom = 191;

// A view of 8-bit RGB pixels (3 bytes each) with its row stride.
struct RgbView {
    const uint8_t *bits = nullptr;
    int width = 0, height = 0, stride = 0;
    bool valid() const { return bits != nullptr; }
};
RgbView viewOf(const QImage &rgb888);
// The w x h window of `v` whose top-left corner is `corner`; invalid when it
// does not fit inside.
RgbView crop(const RgbView &v, QPoint corner, int w, int h);

// Bilinear enlargement or reduction with pixel centres aligned, through
// tables computed once per pair of sizes.
class Scaler {
public:
    // To 8-bit RGB (3 bytes a pixel) or to 32-bit 0xffRRGGBB words.
    void toRgb(const RgbView &src, uint8_t *dst, int dstW, int dstH, int dstStride);
    void toRgb32(const RgbView &src, uint32_t *dst, int dstW, int dstH, int dstStridePixels);

private:
    struct Axis {
        std::vector<int> index;    // first source sample (times bytes a pixel for x)
        std::vector<int> weight;   // weight of the second sample, 0..256
    };
    void prepare(const RgbView &src, int dstW, int dstH);
    static void fill(Axis &axis, int srcSize, int dstSize, int scale);
    int m_srcW = -1, m_srcH = -1, m_dstW = -1, m_dstH = -1;
    Axis m_x, m_y;
    std::vector<uint16_t> m_rowA, m_rowB;  // horizontally scaled source rows, times 256
};

// out = (a * wa) / 100 + (b * (100 - wa)) / 100 per channel, integer division per term.
class Blender {
public:
    void setWeight(int thermalPercent);
    uint8_t mix(uint8_t a, uint8_t b) const { return static_cast<uint8_t>(m_a[a] + m_b[b]); }
    void mixRow(const uint8_t *a, const uint8_t *b, uint8_t *out, int bytes) const;

private:
    int m_weight = -1;
    uint8_t m_a[256] = {}, m_b[256] = {};
};

struct Request {
    int mode = 0;
    int trans = 50;      // thermal weight of the blend, percent
    int pipTrans = 100;  // thermal weight inside the PIP window, percent
    QPoint crop{36, 48}; // top-left corner of the aligned crop in the visible picture
};

class Composer {
public:
    Composer();
    // Composes one frame; the result stays valid until the next call.
    const QImage &compose(const QImage &thermal, const QImage &visible, const Request &request);
    const QImage &screen() const { return m_screen; }
    // Whether the last frame fell back to the thermal picture for want of a visible one.
    bool usedThermalFallback() const { return m_fallback; }

private:
    void enlarge(const RgbView &src);
    Scaler m_toScreen, m_thermalSmall, m_visibleSmall;
    Blender m_blend, m_pipBlend;
    QImage m_screen;                    // 240 x 320 RGB32
    std::vector<uint8_t> m_small[3];    // thermal, visible and mixed at 120 x 160
    std::vector<uint8_t> m_pip;         // 192 x 256
    QImage m_thermalRgb, m_visibleRgb;  // only for pictures not already 8-bit RGB
    bool m_fallback = false;
};

}  // namespace composition
