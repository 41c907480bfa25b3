#pragma once
// The picture of the live view for each image mode, composed without
// allocating anything per frame once its buffers exist:
//   0 thermal   the thermal picture (192 x 256)
//   1 visible   the whole visible picture (264 x 352)
//   2 blend     thermal weight t1, visible crop weight 100 - t1, mixed at
//               120 x 160; t1 100 or 0 shows one of the two unmixed (192 x 256)
//   3 PIP       the visible crop, with the middle window (x 48..143,
//               y 64..191) a mix weighted by pipTrans (192 x 256)
// Without a usable visible picture every mode shows the thermal picture, and
// so does PIP when the thermal picture is smaller than 192 x 256.
// Every picture is 3:4 and is enlarged to the 240 x 320 screen by `Enlarger`
// (bilinear, on the calling thread alone).
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

// out = (a * wa) / 100 + (b * (100 - wa)) / 100 per channel of 32-bit
// 0xffRRGGBB pixels, integer division per term; the result is opaque.
void blendRgb32(const uint32_t *a, const uint32_t *b, uint32_t *out, int pixels, int weightA);

// 8-bit RGB pixels to 32-bit 0xffRRGGBB words.
void toRgb32(const uint8_t *src, uint32_t *dst, int pixels);

struct Request {
    int mode = 0;
    int trans = 50;        // thermal weight of the blend, percent
    int pipTrans = 100;    // thermal weight inside the PIP window, percent
    QPoint crop{36, 48};   // top-left corner of the aligned crop in the visible picture
};

// Bilinear resampling of 32-bit pictures, each source row resampled across
// once and pairs of such rows mixed down. Rows widened by exactly 5/4 (the
// thermal picture to the screen) are read straight from their 8-bit or 32-bit
// pixels a group of 16 at a time, without tables. Its tables are made for a pair of
// sizes and kept while they stay; nothing is allocated per picture. Runs on
// the calling thread only (the painter would hand a picture this tall to its
// thread pool and wake it twice a frame).
class Enlarger {
public:
    // Fills the whole of `dst` (32-bit, any size) from the whole of `src`
    // (32-bit or 8-bit RGB).
    void run(const QImage &src, QImage &dst);

private:
    struct Axis {
        std::vector<int> index;         // first source pixel
        std::vector<uint32_t> weight;   // of the second, 0..256
    };
    static void fill(Axis &axis, int srcSize, int dstSize);
    void resampleRow(const uint8_t *src, int bytesPerPixel, uint32_t *out);
    int m_srcW = -1, m_srcH = -1, m_dstW = -1, m_dstH = -1;
    Axis m_x, m_y;
    bool m_fiveFourths = false;              // widened by exactly 5/4, a group of 16 at a time
    std::vector<uint16_t> m_channelWeight;   // the x weight of each byte of a row
    std::vector<uint32_t> m_left, m_right;   // the two neighbours of each pixel of a row
    std::vector<uint32_t> m_srcRow;          // a source row of 8-bit RGB made 32-bit
    std::vector<uint32_t> m_rows[2];
};

class Composer {
public:
    Composer();
    // Composes one frame into a picture at its own size (see above): 32-bit,
    // or the thermal picture itself when it is shown alone. It stays valid
    // until the next call. A null thermal picture gives a null one.
    const QImage &compose(const QImage &thermal, const QImage &visible, const Request &request);
    // Whether the last frame fell back to the thermal picture for want of a
    // visible one (or of a thermal one big enough for PIP).
    bool usedThermalFallback() const { return m_fallback; }

private:
    const QImage &convert(const RgbView &src, QImage &dst);
    const QImage &thermalAsItIs(const QImage &thermal, const RgbView &th);
    void reduce(const QImage &src, QImage &dst);
    QImage m_thermal32, m_visible32, m_blend32, m_pip32;
    QImage m_small[2];                   // thermal and visible crop at 120 x 160
    QImage m_thermalRgb, m_visibleRgb;   // only for pictures not already 8-bit RGB
    QImage m_none;
    QImage m_thermalShown;   // the thermal picture of the frame, shared
    Enlarger m_reducer;
    bool m_fallback = false;
};

}   // namespace composition
