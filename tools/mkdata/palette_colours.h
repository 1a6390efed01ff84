// The colours of the installation's palettes: the window system's twenty static colours, the
// world's ramps, the panels' colours, and how they darken from day to night.
#pragma once

#include <cstdint>
#include <vector>

namespace gfx {
class GFXPalette;
}

namespace mkdata {

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
};

inline constexpr int kLightLevels = 32;       // world palettes: 0 full daylight .. 31 night
inline constexpr int kPanelTimeIndexes = 12;  // panel palettes: trunc(level x 0.375)
inline constexpr int kFirstPanelEntry = 10;
inline constexpr int kPanelEntries = 64;
inline constexpr int kFirstWorldEntry = kFirstPanelEntry + kPanelEntries;  // 74
inline constexpr int kLastFreeEntry = 245;

// The stars' entry: a white the night palettes keep at full brightness.
inline constexpr int kStarEntry = 230;
// The sky's entries, the sky and the alternative sky.
inline constexpr int kSkyEntry = 245;
inline constexpr int kAlternativeSkyEntry = 244;

// The colour of distant things by day: what the haze turns every colour into at the range.
inline constexpr Rgb kDayHaze{200, 210, 225};

// Entries 0..9 and 246..255 belong to the window system.
[[nodiscard]] inline bool IsStaticEntry(int index) {
    return index < kFirstPanelEntry || index > kLastFreeEntry;
}
[[nodiscard]] Rgb StaticColour(int index);

// Whether an entry has a fixed meaning (outlines, ground, stars, sky): never a paint.
[[nodiscard]] bool IsFixedEntry(int index);

// A daylight colour as seen at a light level: darker and bluer toward night.
[[nodiscard]] Rgb TintForLevel(Rgb day, int level);

// All 256 entries of the world palette at a light level: static colours, the panel colours
// (10..73) and the world's ramps (74..245) round the entries of fixed meaning (outlines 77, 81,
// 86 and 156, ground 88, stars 230, sky 244 and 245).
[[nodiscard]] std::vector<Rgb> WorldColours(int level);
// The world palette of a light level with its shade rows and translucency table, as the
// palette volume stores it.
void FillWorldPalette(gfx::GFXPalette& palette, int level);
// The 64 panel colours of a panel paint at a coarse time of day (0 day .. 11 night).
[[nodiscard]] std::vector<Rgb> PanelColours(Rgb paint, int timeIndex);
// The world's ramp entry (74..245) nearest to a colour, by luminance-weighted distance.
[[nodiscard]] std::uint8_t NearestWorldEntry(const std::vector<Rgb>& palette, double r, double g,
                                             double b);

}  // namespace mkdata
