// The map's pictures, drawn by our own code in the map palette (map_palette.h): the background
// the map control starts with (flat land inside a frame that fills the margin) and the strip of
// toolbar images of the positioning dialog and the planning pages (19 images of 16 x 16, side
// by side, magenta where the button shows through). The data maker stores them in the resource
// pack; the map makes them itself when the resource library has none.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "win/gdi.h"

namespace nav {

inline constexpr int kMapToolImages = 19;
inline constexpr int kMapToolImageSize = 16;

// Palette indices, row by row, top row first.
[[nodiscard]] std::vector<std::uint8_t> MapBackgroundPixels(int width, int height);
[[nodiscard]] std::vector<std::uint8_t> MapToolbarPixels();  // 304 x 16

// An 8-bit bitmap with the colour table and, when given, the pixels (row by row, top first).
[[nodiscard]] win::HBITMAP MakeMapBitmap(int width, int height,
                                         const std::array<std::uint32_t, 256>& table,
                                         const std::vector<std::uint8_t>* pixels);

// The pictures as 8-bit bitmaps with the map palette as their colour table.
[[nodiscard]] win::HBITMAP MakeMapBackgroundBitmap(int width, int height);
[[nodiscard]] win::HBITMAP MakeMapToolbarBitmap();

}  // namespace nav
