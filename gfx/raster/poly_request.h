// The polygon request: the one global block through which every face of the software renderer
// reaches draw-table entry 11, its flag word, and the face submission functions the 3D shape
// engine calls with the current drawing target.
#pragma once

#include <cstdint>

#include "gfx/surface.h"
#include "gfx/surface_types.h"

namespace gfx {

class GFXBitmap;

// Texture coordinates of a face corner: 0.0 to 1.0 spans the 256 texels of a texture.
struct GFXTexCoord {
    float u = 0.0f;
    float v = 0.0f;
};

// Flag word of a request.
inline constexpr std::uint32_t kPolySmooth = 0x001;
inline constexpr std::uint32_t kPolyTextured = 0x002;
inline constexpr std::uint32_t kPolyPerspective = 0x004;
inline constexpr std::uint32_t kPolyTransparent = 0x008;
inline constexpr std::uint32_t kPolyFaceShade = 0x010;
inline constexpr std::uint32_t kPolyTranslucent = 0x020;
inline constexpr std::uint32_t kPolyLit = 0x040;
inline constexpr std::uint32_t kPolyDepth = 0x100;
inline constexpr std::uint32_t kPolyPixelLight = 0x200;
inline constexpr std::uint32_t kPoly16Bit = 0x400;
inline constexpr std::uint32_t kPolySubpixel = 0x800;
inline constexpr std::uint32_t kPolyCoverageTest = 0x20000000;
inline constexpr std::uint32_t kPolyOcclude = 0x40000000;
inline constexpr std::uint32_t kPolyOutline = 0x80000000;

// Limits of a request: points in all, and points that carry colours or texture pairs.
inline constexpr std::int32_t kPolyMaxPoints = 20;
inline constexpr std::int32_t kPolyMaxAttributedPoints = 12;

struct GFXPolyRequest {
    const GFXScreenPoint* const* points = nullptr;  // corners, clockwise on the screen
    const GFXTexCoord* const* texCoords = nullptr;  // one pair per corner (textured kinds)
    GFXPolyVertex** vertices = thePolyVertexPointers;
    std::int32_t count = 0;
    std::uint32_t flags = 0;
    std::uint32_t colour = 0;            // palette index of the face colour (untextured kinds)
    const GFXBitmap* texture = nullptr;  // the texture of the textured kinds
    std::int32_t subpixelShift = 0;      // fraction bits of the coordinates with kPolySubpixel
};

extern GFXPolyRequest thePolyRequest;

// What the submission functions need of a face's material: its palette colour, its texture and
// the texture flags (bit 0 transparent texels, bit 1 translucent). The 3D shape engine fills one
// from its material.
struct GFXFaceMaterial {
    std::uint32_t colour = 0;
    const GFXBitmap* texture = nullptr;
    std::uint32_t textureFlags = 0;
};

using GFXColourList = const GFXColourTriple* const*;
using GFXPointList = const GFXScreenPoint* const*;
using GFXTexCoordList = const GFXTexCoord* const*;

void DrawTriangleSolid(GFXDrawTarget& t, const GFXFaceMaterial& m, GFXPointList points);
void DrawQuadSolid(GFXDrawTarget& t, const GFXFaceMaterial& m, GFXPointList points);
void DrawPolygonSolid(GFXDrawTarget& t, const GFXFaceMaterial& m, std::int32_t count,
                      GFXPointList points);
void DrawTriangleFlatShaded(GFXDrawTarget& t, const GFXFaceMaterial& m, GFXPointList points,
                            GFXColourList colours);
void DrawQuadFlatShaded(GFXDrawTarget& t, const GFXFaceMaterial& m, GFXPointList points,
                        GFXColourList colours);
void DrawPolygonFlatShaded(GFXDrawTarget& t, const GFXFaceMaterial& m, std::int32_t count,
                           GFXPointList points, GFXColourList colours);
void DrawTriangleSmooth(GFXDrawTarget& t, const GFXFaceMaterial& m, GFXPointList points,
                        GFXColourList colours);
void DrawQuadSmooth(GFXDrawTarget& t, const GFXFaceMaterial& m, GFXPointList points,
                    GFXColourList colours);
void DrawPolygonSmooth(GFXDrawTarget& t, const GFXFaceMaterial& m, std::int32_t count,
                       GFXPointList points, GFXColourList colours);
void DrawTriangleTextured(GFXDrawTarget& t, const GFXFaceMaterial& m, GFXPointList points,
                          GFXTexCoordList tex);
void DrawQuadTextured(GFXDrawTarget& t, const GFXFaceMaterial& m, GFXPointList points,
                      GFXTexCoordList tex);
void DrawPolygonTextured(GFXDrawTarget& t, const GFXFaceMaterial& m, std::int32_t count,
                         GFXPointList points, GFXTexCoordList tex);
void DrawTrianglePerspective(GFXDrawTarget& t, const GFXFaceMaterial& m, GFXPointList points,
                             GFXTexCoordList tex);
void DrawQuadPerspective(GFXDrawTarget& t, const GFXFaceMaterial& m, GFXPointList points,
                         GFXTexCoordList tex);
void DrawPolygonPerspective(GFXDrawTarget& t, const GFXFaceMaterial& m, std::int32_t count,
                            GFXPointList points, GFXTexCoordList tex);
void DrawTriangleTexturedFlat(GFXDrawTarget& t, const GFXFaceMaterial& m, GFXPointList points,
                              GFXColourList colours, GFXTexCoordList tex);
void DrawQuadTexturedFlat(GFXDrawTarget& t, const GFXFaceMaterial& m, GFXPointList points,
                          GFXColourList colours, GFXTexCoordList tex);
void DrawPolygonTexturedFlat(GFXDrawTarget& t, const GFXFaceMaterial& m, std::int32_t count,
                             GFXPointList points, GFXColourList colours, GFXTexCoordList tex);
void DrawTrianglePerspectiveFlat(GFXDrawTarget& t, const GFXFaceMaterial& m, GFXPointList points,
                                 GFXColourList colours, GFXTexCoordList tex);
void DrawQuadPerspectiveFlat(GFXDrawTarget& t, const GFXFaceMaterial& m, GFXPointList points,
                             GFXColourList colours, GFXTexCoordList tex);
void DrawPolygonPerspectiveFlat(GFXDrawTarget& t, const GFXFaceMaterial& m, std::int32_t count,
                                GFXPointList points, GFXColourList colours, GFXTexCoordList tex);
void DrawTriangleTexturedSmooth(GFXDrawTarget& t, const GFXFaceMaterial& m, GFXPointList points,
                                GFXColourList colours, GFXTexCoordList tex);
void DrawQuadTexturedSmooth(GFXDrawTarget& t, const GFXFaceMaterial& m, GFXPointList points,
                            GFXColourList colours, GFXTexCoordList tex);
void DrawPolygonTexturedSmooth(GFXDrawTarget& t, const GFXFaceMaterial& m, std::int32_t count,
                               GFXPointList points, GFXColourList colours, GFXTexCoordList tex);
void DrawTrianglePerspectiveSmooth(GFXDrawTarget& t, const GFXFaceMaterial& m, GFXPointList points,
                                   GFXColourList colours, GFXTexCoordList tex);
void DrawQuadPerspectiveSmooth(GFXDrawTarget& t, const GFXFaceMaterial& m, GFXPointList points,
                               GFXColourList colours, GFXTexCoordList tex);
void DrawPolygonPerspectiveSmooth(GFXDrawTarget& t, const GFXFaceMaterial& m, std::int32_t count,
                                  GFXPointList points, GFXColourList colours, GFXTexCoordList tex);

// A line on the current target's surface through draw-table entry 2.
void DrawLine(GFXPoint a, GFXPoint b, std::uint32_t colour);

}  // namespace gfx
