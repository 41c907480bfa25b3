#pragma once
// The seven palettes of the live picture and their six RGB565 colour tables
// (red in the top 5 bits, green in the middle 6, blue in the low 5), indexed
// by the contrast-stretched grey byte. "Black Hot" reads the grey table
// backwards.

#include <array>
#include <cstdint>

using ColourTable = std::array<uint16_t, 256>;

extern const ColourTable colormap_Iron;
extern const ColourTable colormap_RainBow;
extern const ColourTable colormap_grayscale;
extern const ColourTable colormap_chamo;
extern const ColourTable colormap_rongyan;
extern const ColourTable colormap_RainBowHC;

struct Palette {
    int number;           // 1..7 in menu order
    const char *label;    // menu text
    const char *stored;   // value of the configuration key "color"
    const ColourTable *table;
    bool inverted;   // index 255 - g
};

namespace palettes {
// Palette 1..7, or nullptr for any other number.
const Palette *byNumber(int number);
// The palette whose stored value is `stored`; Iron when none matches.
const Palette &byStoredValue(const char *stored);
constexpr int kCount = 7;
}   // namespace palettes
