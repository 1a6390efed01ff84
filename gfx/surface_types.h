// Small records shared by every part of the drawing layer: points, inclusive rectangles, the
// 16-bit pixel format, and the screen point, colour triple and vertex records of polygon
// requests.
#pragma once

#include <cstdint>

namespace gfx {

struct GFXPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
};

struct GFXSize {
    std::int32_t w = 0;
    std::int32_t h = 0;
};

// Rectangles handed to the drawing layer are inclusive on all four sides.
struct GFXRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

inline bool operator==(const GFXRect& a, const GFXRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// Layout of a 16-bit pixel: bits and shift of each channel, then two words kept with it.
struct GFXPixelFormat {
    std::int32_t redBits = 0;
    std::int32_t redShift = 0;
    std::int32_t greenBits = 0;
    std::int32_t greenShift = 0;
    std::int32_t blueBits = 0;
    std::int32_t blueShift = 0;
    std::int32_t reserved0 = 0;
    std::int32_t reserved1 = 0;
};

// The 5-6-5 layout given to 16-bit surfaces unless a device says otherwise.
inline constexpr GFXPixelFormat kPixelFormat565{5, 11, 6, 5, 5, 0, 0, 0};

// A face corner on the screen: whole pixels, or fixed point with the target's sub-pixel bits;
// z is read for depth interpolation, w (reciprocal depth) for perspective.
struct GFXScreenPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t z = 0;
    float w = 0.0f;
};

// Colour intensities of a vertex, 16.16 (1.0 = 65536).
struct GFXColourTriple {
    std::int32_t r = 0;
    std::int32_t g = 0;
    std::int32_t b = 0;
};

// One of the 20 vertex records of the polygon request (24 bytes).
struct GFXPolyVertex {
    std::int32_t shade = 0;  // luminance shade level, filled by the draw entry
    std::int32_t light = 0;  // light level of the vertex
    std::int32_t r = 0;      // colour intensities, 16.16
    std::int32_t g = 0;
    std::int32_t b = 0;
    std::int32_t blendLevel = 0;  // read from record 0 only; 1 selects the first level
};

}  // namespace gfx
