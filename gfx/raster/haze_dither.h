// An ordered dither laid over the haze of an 8-bit polygon, so that the haze thickens smoothly
// over plain ground (open water, the far ground whose texture has run together) instead of in
// flat bands one level wide. The polygon is drawn in its own level as ever; after each span the
// dither moves some of the span's pixels one level down or up through a table of the palette's
// colours, by where the pixel's own distance from the eye falls within the level. A 4 x 4 tile
// holds four classes of pixels, each one pixel in every row and every column of the tile; near
// a border between two levels half the pixels take the other level, a quarter of a level from
// it a quarter of them, and in the middle quarter of the level none.
#pragma once

#include <cstdint>

namespace gfx {

struct HazeDither {
    // The squared distance from the eye of the point a pixel (x, y) of the target shows is
    // q / (l x l): q = qxx x² + qxy x y + qyy y² + qx x + qy y + q0 (the squared length of the
    // eye's ray through the pixel per unit of depth) and l = l0 + lx x + ly y (the reciprocal
    // depth of the polygon's plane there).
    double qxx = 0, qxy = 0, qyy = 0, qx = 0, qy = 0, q0 = 0;
    double l0 = 0, lx = 0, ly = 0;
    // The squared distances where the share of pixels in the other level steps, ascending:
    // below edge 0 half the pixels take the lower level, below edge 1 a quarter; from edge 2 a
    // quarter take the higher level, from edge 3 half.
    double edges[4] = {0, 0, 0, 0};
    // A drawn colour of the polygon's level to the same colour one level lower and higher
    // (256 entries each); null where there is no such level (nothing moves that way).
    const std::uint8_t* lower = nullptr;
    const std::uint8_t* higher = nullptr;
};

// Moves the pixels [first, end) of row y (row points at the row's first byte) that the dither
// puts in another level to that level.
void ApplyHazeDither(const HazeDither& dither, std::uint8_t* row, std::int32_t y,
                     std::int32_t first, std::int32_t end);

// The dither's class (0..3) of the pixel at (x, y): each class is one pixel of every row and
// every column of a 4 x 4 tile.
[[nodiscard]] constexpr int HazeDitherClass(std::int32_t x, std::int32_t y) {
    constexpr int kRowShift[4] = {0, 2, 3, 1};
    return (x + kRowShift[y & 3]) & 3;
}

}  // namespace gfx
