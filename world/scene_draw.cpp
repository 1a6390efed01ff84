#include "world/scene_draw.h"

#include <algorithm>

#include "gfx/palette.h"
#include "gfx/surface.h"
#include "ts/perspective_camera.h"
#include "ts/point_array.h"

namespace world {

void DrawModelPolygon(int n, const ts::Vector3F* points, const gfx::GFXTexCoord* tex,
                      const gfx::GFXBitmap* texture, std::uint32_t colour) {
    constexpr int kMostPoints = 16;
    gfx::GFXDrawTarget* target = gfx::theCurrentDrawTarget;
    if (ts::theCurrentCamera == nullptr || target == nullptr || n < 3 || n > kMostPoints) return;
    // One array for every polygon of the frame: no allocation while drawing.
    static ts::PointArray array(kMostPoints + ts::kMaxClipVertices);
    const bool textured = tex != nullptr && texture != nullptr;
    if (array.SetPoints(n, points, textured ? tex : nullptr) == 0 || !array.TransformAndProject())
        return;
    std::int32_t indices[kMostPoints];
    for (int i = 0; i < n; ++i)
        indices[i] = i;
    const ts::ScreenPoint* out[ts::kMaxClipVertices];
    const gfx::GFXTexCoord* outTex[ts::kMaxClipVertices];
    const int count = array.BuildPolygon(n, indices, out, textured ? outTex : nullptr);
    if (count < 3) return;
    gfx::GFXFaceMaterial m;
    m.colour = colour;
    if (textured) {
        m.texture = texture;
        m.textureFlags = 1;  // index 0 shows what lies behind
        gfx::DrawPolygonPerspective(*target, m, count, out, outTex);
    } else {
        gfx::DrawPolygonSolid(*target, m, count, out);
    }
}

std::uint8_t ShadeColour(const gfx::GFXPalette* palette, std::uint8_t colour, float intensity) {
    if (palette == nullptr || palette->shadeTable == nullptr || palette->shadeShift <= 0)
        return colour;
    const int levels = 1 << palette->shadeShift;
    const int i = std::clamp(static_cast<int>(intensity * static_cast<float>(levels - 1) + 0.5f),
                             0, levels - 1);
    return palette->shadeTable[(i << 8) | colour];
}

std::uint8_t FogColour(const gfx::GFXPalette* palette, std::uint8_t fallback) {
    if (palette == nullptr || palette->shadeTable == nullptr || palette->shadeShift <= 0)
        return fallback;
    // The brightest row of the thickest haze turns every colour into the haze colour.
    const int levels = 1 << palette->shadeShift;
    const int hazes = 1 << palette->shadeBits;
    const int row = (hazes - 1) * levels + (levels - 1);
    return palette->shadeTable[(row << 8) | fallback];
}

std::uint8_t NearestColour(const gfx::GFXPalette* palette, std::uint8_t r, std::uint8_t g,
                           std::uint8_t b, std::uint8_t fallback) {
    if (palette == nullptr) return fallback;
    const std::int32_t i = palette->FindNearest(std::uint32_t{r} | (std::uint32_t{g} << 8) |
                                                (std::uint32_t{b} << 16));
    return (i >= 0 && i < 256) ? static_cast<std::uint8_t>(i) : fallback;
}

}  // namespace world
