// Small drawing helpers the sky, the clouds and the runway lights share: polygons through the
// current camera clipped at the near plane, and the colours the current palette gives for fog
// and for shaded faces.
#pragma once

#include <cstdint>

#include "gfx/raster/poly_request.h"
#include "ts/maths.h"

namespace gfx {
class GFXBitmap;
class GFXPalette;
class GFXSurface;
struct GFXDrawTable;
}  // namespace gfx
namespace ts {
class TSCamera;
}

namespace world {

// What a frame draws into: the current camera, the current draw target's surface and its draw
// table, and the target's coordinate shift (screen points are in 1 / 2^shift pixels).
struct FrameTarget {
    ts::TSCamera* camera = nullptr;
    gfx::GFXSurface* surface = nullptr;
    const gfx::GFXDrawTable* table = nullptr;
    int shift = 0;
};
// False (and nothing to draw with) outside a frame.
[[nodiscard]] bool CurrentFrameTarget(FrameTarget* out);

// Draws a polygon of model points (in the frame the camera's current transform expects)
// through theCurrentCamera into theCurrentDrawTarget, clipped at the near plane: textured
// (perspective-correct, index 0 transparent) when both `tex` and `texture` are given, else
// solid in `colour`. n is at most 16.
void DrawModelPolygon(int n, const ts::Vector3F* points, const gfx::GFXTexCoord* tex,
                      const gfx::GFXBitmap* texture, std::uint32_t colour);

// The palette entry of `colour` lit at `intensity` (0..1) through the palette's shade table
// (no haze); the colour itself without a table.
[[nodiscard]] std::uint8_t ShadeColour(const gfx::GFXPalette* palette, std::uint8_t colour,
                                       float intensity);
// The colour the palette fades distant things into (its haze), as a palette entry.
[[nodiscard]] std::uint8_t FogColour(const gfx::GFXPalette* palette, std::uint8_t fallback);
// The entry nearest to an RGB colour; `fallback` without a palette.
[[nodiscard]] std::uint8_t NearestColour(const gfx::GFXPalette* palette, std::uint8_t r,
                                         std::uint8_t g, std::uint8_t b, std::uint8_t fallback);

}  // namespace world
