// Polygon rasterizers: they build a ring of edge vertices from a converted, clipped request,
// walk a left and a right edge down the screen and, for every band of rows between two vertex
// rows, set the edges and the interpolants in theSpanState and run the walker. Triangles carry
// constant per-pixel steps (ComputeTriangleGradients) and interpolate only their left edge.
#pragma once

#include <cstdint>

#include "gfx/raster/poly_clip.h"
#include "gfx/raster/poly_request.h"

namespace gfx {

// A converted request, as draw-table entry 11 hands it on: texture pairs in texels x 65536
// (times w with perspective), per-vertex shade, light and channel values filled in.
void RasterTriangle(const GFXPolyRequest& request);
void RasterClippedTriangle(const GFXPolyRequest& request);
void RasterPolygon(const GFXPolyRequest& request);

// Twice the area the corners enclose: positive when they run clockwise on the screen (y
// downwards), the order the rasterizers fill; negative the other way round; 0 without area or
// with a corner missing.
[[nodiscard]] inline std::int64_t TwiceSignedArea(const GFXScreenPoint* const* points, int count) {
    if (points == nullptr) return 0;
    std::int64_t sum = 0;
    for (int i = 0; i < count; ++i) {
        const GFXScreenPoint* a = points[i];
        const GFXScreenPoint* b = points[i + 1 == count ? 0 : i + 1];
        if (a == nullptr || b == nullptr) return 0;
        sum += static_cast<std::int64_t>(a->x) * b->y - static_cast<std::int64_t>(b->x) * a->y;
    }
    return sum;
}
// Puts the corners of a flat shape drawn on a surface (a needle, a bug, a pointer) in the order
// the rasterizers fill, so that it shows whichever way round it was listed. Only the 3D engine's
// faces keep their order: given the other way they are seen from behind and draw nothing.
void OrderClockwise(const GFXScreenPoint** points, int count);

// Constant per-pixel steps of a triangle, written into the span fields of theSpanState.
void ComputeTriangleGradients(const GFXPolyRequest& request);

// 1 when some row of the face has a pixel the coverage list still leaves open, else 0.
int PolygonCoverageTest(const GFXPolyRequest& request, CoverageList& coverage);

// True when the polygon can draw no pixel within `bounds` (the request's units): its corners
// span no scan line, or all lie above, below, or (by a pixel) left or right of the bounds. A
// cheap test before a face's set-up; the polygon's pixels are the same either way.
bool DrawsNoPixel(const GFXPolyRequest& request, const GFXClipBounds& bounds);
// The same for a request of three points in whole pixels (its flags without kPolySubpixel).
bool DrawsNoPixelOfWholePixelTriangle(const GFXPolyRequest& request, const GFXClipBounds& bounds);

// A surface's clip box in the units of coordinates with `shift` fraction bits, its right and
// bottom exclusive.
inline GFXClipBounds ScaledBounds(const GFXRect& clip, std::int32_t shift) {
    return GFXClipBounds{clip.left * (1 << shift), clip.top * (1 << shift),
                         (clip.right + 1) * (1 << shift), (clip.bottom + 1) * (1 << shift)};
}

// The rasterizer half of draw-table entry 11: with rowPtr, pitch, the colour tables, colour,
// the texture and the coverage list already in theSpanState, chooses the fill set-up by the
// flag word, computes a triangle's gradients, clips the polygon to `bounds` (coordinates in the
// request's units), tests it against the coverage list when asked, picks the clip stage and
// the rasterizer and draws. `pixelBounds` limits every span to whole pixel columns [left,
// right) and rows [top, bottom) whatever rounding does. Answers 1 when the polygon was handed
// to a rasterizer.
int RasterizeRequest(const GFXPolyRequest& request, const GFXClipBounds& bounds,
                     const GFXClipBounds& pixelBounds);
// The same for a request whose flags are exactly kPolyTextured | kPolySmooth, of three points
// and of any number.
int RasterizeTexturedSmoothTriangle(const GFXPolyRequest& request, const GFXClipBounds& bounds,
                                    const GFXClipBounds& pixelBounds);
int RasterizeTexturedSmoothPolygon(const GFXPolyRequest& request, const GFXClipBounds& bounds,
                                   const GFXClipBounds& pixelBounds);

}  // namespace gfx
