#pragma once
// The per-frame work of the acquisition loop on one 256 x 384 module frame:
// its grey half (256 x 192 words, 14-bit counts) and temperature half
// (256 x 192 words in 1/64 K). Plain functions over caller-owned buffers,
// table-driven, allocating nothing per frame.
//
// Orientation: the module's frame is landscape, source row y 0..191 and
// column x 0..255. The picture is turned a quarter clockwise for the
// portrait screen: source (x, y) lands on row r = x, column c = 191 - y of
// the 256-row x 192-column portrait matrix.

#include "acquisition/palettes.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace framepath {

constexpr int kSrcWidth = 256;
constexpr int kSrcHeight = 192;
constexpr int kPixels = kSrcWidth * kSrcHeight;
constexpr int kRows = 256;   // portrait
constexpr int kCols = 192;

// The central zone of the portrait matrix.
constexpr int kZoneTop = 64, kZoneBottom = 159;
constexpr int kZoneLeft = 56, kZoneRight = 135;
// The centre sample.
constexpr int kCentreRow = 128, kCentreCol = 96;

// ---- contrast stretch ------------------------------------------------------------

struct Stretch {
    uint16_t minWord = 0, maxWord = 0;
    uint16_t low = 0, high = 0;   // where the plain count reaches 20 and 49,132
    int span = 0;                 // output span
    int offset = 0;
    uint32_t clippedTotal = 0;
};

// A histogram contrast stretch of 14- or 16-bit grey words into bytes: the
// cumulative count, clipped at 15 per level, spread over the output span.
class ContrastStretch {
public:
    ContrastStretch();
    // Memory the caller writes next.
    struct WriteAhead {
        void *at;
        size_t bytes;
    };
    // Builds the lookup table for `count` words of `image` (at most 65,535).
    // The `aheads` ranges of `ahead` are brought into the cache for writing
    // on the way (a hint: nothing in them is read or changed).
    Stretch build(const uint16_t *image, int count, const WriteAhead *ahead = nullptr, int aheads = 0);
    // Valid for the words the frame holds.
    const uint8_t *lut() const { return m_lut.get(); }

    static constexpr uint32_t kLowCount = 20;
    static constexpr uint32_t kHighCount = 49132;
    static constexpr uint32_t kClip = 15;

private:
    std::unique_ptr<uint16_t[]> m_hist;   // kept zero between frames; 16 bits keep it in the first-level cache
    std::unique_ptr<uint8_t[]> m_lut;
};

// ---- colouring -----------------------------------------------------------------

// A colour table expanded to RGB888 (low bits not replicated: 0xFFFF gives
// 248, 252, 248), with Black Hot's reversal built in.
struct Rgb888Table {
    uint8_t rgb[256][3];
};
Rgb888Table expand(const ColourTable &table, bool inverted);
inline void expand565(uint16_t e, uint8_t *rgb)
{
    rgb[0] = static_cast<uint8_t>((e >> 8) & 0xF8);
    rgb[1] = static_cast<uint8_t>((e & 0x07E0) >> 3);
    rgb[2] = static_cast<uint8_t>((e << 3) & 0xFF);
}

// rgb (3 bytes a pixel, rows of `width` pixels with `stride` bytes) of grey.
void colour(const uint8_t *grey, int width, int height, const Rgb888Table &table, uint8_t *rgb, int stride);

// ---- rotation ----------------------------------------------------------------------

// Temperature words shifted right by 2 (1/64 K to 1/16 K), turned to portrait.
void rotateTemperature(const uint16_t *temp, uint16_t *matrix);
// Grey words through the stretch table, turned to portrait.
void rotateGrey(const uint16_t *image, const uint8_t *lut, uint8_t *grey);
// The same, each turned row coloured while it is at hand: colour() of the
// turned grey image (rgb: rows of `stride` bytes).
void rotateGreyAndColour(const uint16_t *image, const uint8_t *lut, const Rgb888Table &table, uint8_t *grey,
                         uint8_t *rgb, int stride);
// Both in one pass.
void rotateBoth(const uint16_t *image, const uint16_t *temp, const uint8_t *lut, uint16_t *matrix, uint8_t *grey);

// ---- statistics -----------------------------------------------------------------------

struct Point {
    int row = 0;
    int col = 0;
};

struct Stats {
    Point max, min, zoneMax, zoneMin;
    uint16_t maxValue = 0, minValue = 0, zoneMaxValue = 0, zoneMinValue = 0;
    uint16_t centre = 0;
};

// Hottest and coldest points of the portrait matrix and of its central zone.
// Ties keep the first point in row-major order.
Stats statistics(const uint16_t *matrix);
// rotateTemperature() and statistics() of its result in one pass.
Stats rotateAndMeasure(const uint16_t *temp, uint16_t *matrix);

// ---- the whole path ----------------------------------------------------------------

// Working state of the path, allocated once.
struct Work {
    ContrastStretch stretch;
};

// Everything above for one frame: the portrait matrix and grey image, the
// coloured portrait picture (192 x 256, `stride` bytes a row) and the
// statistics.
Stats process(Work &work, const uint16_t *image, const uint16_t *temp, const Rgb888Table &table, uint16_t *matrix,
              uint8_t *grey, uint8_t *rgb, int stride);

}   // namespace framepath
