// Helpers of the modules that paint the world's art: colours of the daylight world palette by
// RGB, 8-bit bitmaps written as BMP members, and a small pixel font for painted figures.
#pragma once

#include <cstdint>
#include <memory>

#include "gfx/bitmap.h"
#include "gfx/palette.h"
#include "tools/mkdata/installation.h"
#include "tools/mkdata/palette_colours.h"

namespace mkdata {

// The world palette at full daylight, for picking the entries the art is painted in.
class WorldPaint {
public:
    WorldPaint();
    // The world entry (74..245) nearest to the colour: never 0, which the art keeps for
    // "nothing here", never the panel's entries, which cockpit views repaint in the panel's
    // colours, and never the entries of fixed meaning (outlines, ground, stars, sky), whose
    // colours the renderer's own uses set (the stars' stays bright at night).
    [[nodiscard]] std::uint8_t Nearest(Rgb colour) const;
    [[nodiscard]] const gfx::GFXPalette& Palette() const { return *palette; }

private:
    std::unique_ptr<gfx::GFXPalette> palette;
};

// A new 8-bit bitmap cleared to 0; null when it cannot be had.
[[nodiscard]] std::unique_ptr<gfx::GFXBitmap> NewArt(int width, int height);
// The bitmap as a BMP file with the daylight world palette; empty on failure.
[[nodiscard]] Bytes ArtBmp(const gfx::GFXBitmap& art, const WorldPaint& paint);

// 5 x 7 patterns of the runway figures: '0'..'9', 'L', 'R', 'C'; null for others.
[[nodiscard]] const char* const* FigurePattern(char c);

// A deterministic smooth noise in 0..1 over a 256-periodic plane (for clouds and textures).
[[nodiscard]] double TileNoise(double x, double y, int octaves, std::uint32_t seed);

}  // namespace mkdata
