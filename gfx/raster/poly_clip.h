// Clipping of a polygon request to a rectangle, x first, then y. Each stage handles both bounds
// of its axis in one pass over the edges and interpolates every attribute the flags name at the
// crossings. Vertices that survive are passed on by pointer.
#pragma once

#include "gfx/raster/poly_request.h"

namespace gfx {

// Bounds in the polygon's coordinate units: inside means left < x < right, top < y < bottom.
struct GFXClipBounds {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

// The result is the stage's own polygon, valid until the stage runs again. A stage holds up to
// 2 x kPolyMaxPoints + 2 corners; a polygon whose result would not fit gives an empty result.
const GFXPolyRequest& ClipPolygonX(const GFXPolyRequest& polygon, const GFXClipBounds& bounds);
const GFXPolyRequest& ClipPolygonY(const GFXPolyRequest& polygon, const GFXClipBounds& bounds);

}  // namespace gfx
