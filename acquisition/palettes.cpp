#include "acquisition/palettes.h"

#include <cstring>

namespace {

// A colour at a grey level; the tables ramp linearly between these.
struct Stop {
    int index;
    int r, g, b;
};

// A stop given by its exact RGB565 entry.
constexpr Stop exact(int index, uint16_t e) { return {index, (e >> 8) & 0xF8, (e & 0x07E0) >> 3, (e << 3) & 0xFF}; }

// a + (b - a) * k / span, rounded to the nearest.
constexpr int lerp(int a, int b, int k, int span)
{
    const int num = (b - a) * k;
    return a + (num >= 0 ? (2 * num + span) / (2 * span) : -((-2 * num + span) / (2 * span)));
}

template <size_t N>
constexpr ColourTable ramp(const Stop (&stops)[N])
{
    ColourTable t{};
    for (size_t s = 0; s + 1 < N; ++s) {
        const Stop a = stops[s], b = stops[s + 1];
        const int span = b.index - a.index;
        for (int i = a.index; i <= b.index; ++i) {
            const int k = i - a.index;
            const int r = lerp(a.r, b.r, k, span), g = lerp(a.g, b.g, k, span), bl = lerp(a.b, b.b, k, span);
            t[i] = static_cast<uint16_t>(((r >> 3) << 11) | ((g >> 2) << 5) | (bl >> 3));
        }
    }
    return t;
}

// Near black through violet, red and orange to near white.
constexpr Stop kIron[] = {exact(0, 0x00A3),   {32, 56, 0, 112},     exact(64, 0x9014),
                          {96, 208, 16, 112}, exact(128, 0xF2A7),   {160, 248, 128, 24},
                          exact(192, 0xFE00), {224, 248, 236, 104}, exact(255, 0xF7FE)};
// Dark blue through green and yellow to red and a pale pink-white.
constexpr Stop kRainBow[] = {exact(0, 0x0044),   {32, 0, 48, 136},     exact(64, 0x035A),
                             {96, 40, 196, 88},  exact(128, 0xEE83),   {160, 240, 132, 32},
                             exact(192, 0xE96A), {224, 240, 144, 168}, exact(255, 0xF75C)};
// Black to light grey.
constexpr Stop kGray[] = {exact(0, 0x0000), exact(64, 0x39E7), exact(128, 0x7BEF), exact(192, 0xBDF7),
                          exact(255, 0xF7DE)};
// The lower half grey rising to white, the upper half through yellow and
// orange to pure red.
constexpr Stop kChamo[] = {exact(0, 0x41E7),   exact(64, 0xB577),  exact(128, 0xFFFF), {160, 248, 252, 136},
                           exact(192, 0xEFA3), {224, 248, 136, 0}, exact(255, 0xF800)};
// Black through teal and crimson to orange and white.
constexpr Stop kRongyan[] = {exact(0, 0x0000),   {32, 0, 52, 72},      exact(64, 0x03D2),
                             {96, 96, 76, 120},  exact(128, 0xA10A),   {160, 224, 52, 40},
                             exact(192, 0xFB20), {224, 248, 188, 104}, exact(255, 0xFFFF)};
// Black through violet, blue, green and a dark red to near white.
constexpr Stop kRainBowHC[] = {exact(0, 0x0000),   {32, 80, 0, 104},   exact(64, 0x9819),
                               {96, 24, 40, 224},  exact(128, 0x0409), {160, 96, 168, 0},
                               exact(192, 0x7820), {224, 216, 64, 48}, exact(255, 0xFFBE)};

}   // namespace

const ColourTable colormap_Iron = ramp(kIron);
const ColourTable colormap_RainBow = ramp(kRainBow);
const ColourTable colormap_grayscale = ramp(kGray);
const ColourTable colormap_chamo = ramp(kChamo);
const ColourTable colormap_rongyan = ramp(kRongyan);
const ColourTable colormap_RainBowHC = ramp(kRainBowHC);

namespace palettes {
namespace {
const Palette kPalettes[kCount] = {
    {1, "Iron", "Iron", &colormap_Iron, false},
    {2, "Rainbow", "Rainbow", &colormap_RainBow, false},
    {3, "White Hot", "WhiteHot", &colormap_grayscale, false},
    {4, "Red Hot", "RedHot", &colormap_chamo, false},
    {5, "Black Hot", "BlackHot", &colormap_grayscale, true},
    {6, "Lava", "Lava", &colormap_rongyan, false},
    {7, "Rainbow HC", "RainbowHC", &colormap_RainBowHC, false},
};
}   // namespace

const Palette *byNumber(int number) { return number >= 1 && number <= kCount ? &kPalettes[number - 1] : nullptr; }

const Palette &byStoredValue(const char *stored)
{
    for (const Palette &p : kPalettes)
        if (stored && std::strcmp(stored, p.stored) == 0)
            return p;
    return kPalettes[0];
}

}   // namespace palettes
