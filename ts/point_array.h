// Turns a list of world-space points into eye-space and screen points for polygon drawing, and
// clips polygons given as index lists against the camera's near plane, making the crossing
// vertices it needs after the given points. The object shadows draw through one.
#pragma once

#include <cstdint>
#include <memory>

#include "gfx/raster/poly_request.h"
#include "ts/perspective_camera.h"

namespace ts {

class PointArray {
public:
    struct Vertex {
        Vector3F eye;
        ScreenPoint screen;
        std::uint32_t behind = 0;  // nearer than the near plane
    };

    // capacity bounds the points plus the crossing vertices of one polygon.
    explicit PointArray(int capacity);

    // The points to transform (not owned), with optional texture coordinates and colours per
    // point. 0 when there are more points than the capacity (nothing is set then).
    int SetPoints(int count, const Vector3F* points, const gfx::GFXTexCoord* texCoords = nullptr,
                  const gfx::GFXColourTriple* colours = nullptr);
    // Carries every point through theCurrentCamera into eye space and projects those in front
    // of the near plane; true when at least one lies in front.
    bool TransformAndProject();
    // The polygon of n point indices as screen-point pointers (and texture coordinates and
    // colours when asked for), clipped at the near plane when any point lies behind it; at most
    // kMaxClipVertices come out. Returns the count, 0 when the polygon lies wholly behind, is
    // malformed, or its crossings would pass the capacity.
    int BuildPolygon(int n, const std::int32_t* indices, const ScreenPoint** outPoints,
                     const gfx::GFXTexCoord** outTex = nullptr,
                     const gfx::GFXColourTriple** outColours = nullptr);

    [[nodiscard]] int Capacity() const { return capacity; }
    [[nodiscard]] int InUse() const { return inUse; }
    [[nodiscard]] bool NeedsClipping() const { return needsClipping != 0; }
    [[nodiscard]] const Vertex& At(int i) const { return vertices[i]; }

private:
    int capacity;
    std::unique_ptr<Vertex[]> vertices;
    std::unique_ptr<gfx::GFXTexCoord[]> texOut;
    std::unique_ptr<gfx::GFXColourTriple[]> colourOut;
    int inUse = 0;
    std::uint32_t needsClipping = 0;
    int pointCount = 0;
    const Vector3F* points = nullptr;
    const gfx::GFXTexCoord* texCoords = nullptr;
    const gfx::GFXColourTriple* colours = nullptr;
};

}  // namespace ts
