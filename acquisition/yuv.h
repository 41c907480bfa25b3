#pragma once
// The visible camera's picture: 320 x 240 YUYV (Y0 U Y1 V per two pixels) to
// RGB888 through four 256-entry tables, then turned a quarter clockwise,
// red and blue exchanged and enlarged to 264 x 352 with bilinear filtering.
// Plain functions, nothing allocated per frame.

#include <cstdint>
#include <vector>

namespace yuv {

constexpr int kWidth = 320;
constexpr int kHeight = 240;
constexpr int kOutWidth = 264;
constexpr int kOutHeight = 352;

// For i = 0..255 and d = i - 128 (>> rounds towards minus infinity):
// red from V d + (95d >> 8), green from U -(86d >> 8), green from V
// -(179d >> 8), blue from U d + (188d >> 8).
struct Tables {
    int16_t redV[256];
    int16_t greenU[256];
    int16_t greenV[256];
    int16_t blueU[256];
};
const Tables &tables();

// One pixel, each channel clamped to 0..255, as 0xRRGGBB.
int pixel(int y, int u, int v);
// width x height YUYV to RGB888 (R, G, B).
void toRgb(const uint8_t *yuyv, uint8_t *rgb, unsigned width, unsigned height);

// Turns, exchanges red and blue and enlarges a 320 x 240 RGB888 picture into
// 264 x 352 RGB888 (rows of `stride` bytes).
class Enlarger {
public:
    Enlarger();
    // Not thread-safe: one Enlarger per thread (it keeps its scratch buffers).
    void run(const uint8_t *rgb, uint8_t *out, int stride);
    // The same picture straight from the sensor's 320 x 240 YUYV (what
    // toRgb() and run() make), converted band by band as the enlargement
    // reads it: no whole RGB picture is written and read back.
    void runYuyv(const uint8_t *yuyv, uint8_t *out, int stride);

private:
    // Where a band's sensor pixels are.
    struct Band {
        const uint8_t *at;   // the band's first column in sensor row 0
        int rowBytes;
    };
    template <class MakeBand>
    void enlarge(MakeBand makeBand, uint8_t *out, int stride);

    // For each output column and row: the turned picture's column or row and
    // the weight of the next one (0..256).
    int16_t m_col[kOutWidth];
    int16_t m_colWeight[kOutWidth];
    int16_t m_row[kOutHeight];
    int16_t m_rowWeight[kOutHeight];
    std::vector<uint16_t> m_store;   // per turned row of a band, every output column's blend, x 256
    std::vector<uint16_t> m_blend;   // two sensor rows of a band blended, x 256, for a few output columns
    std::vector<uint8_t> m_strip;    // a band's sensor columns converted from YUYV
};

}   // namespace yuv
