// The face-draw tables: how a mesh hands one face to the graphics layer's polygon routines. Each
// material has a draw kind (1..9: unlit, flat and smooth colour; unlit, flat and smooth texture;
// the same with perspective-correct texture); a kind's routines pass the face's screen points
// and, by kind, its lighting words and mapped texture coordinates. Faces that cover fewer pixels
// than the outline threshold also get their edges drawn, so that small and far faces do not
// vanish between pixel centres.
#pragma once

#include <cstdint>

#include "gfx/raster/poly_request.h"
#include "ts/perspective_camera.h"

namespace ts {

class TSMaterial;

// One face as the routines take it: up to five corners (a pentagon comes only out of
// near-plane clipping). colours[0] is the face's own lighting for the flat kinds.
struct FaceCorners {
    std::int32_t count = 0;
    const ScreenPoint* points[5] = {};
    const gfx::GFXColourTriple* colours[5] = {};
    const gfx::GFXTexCoord* tex[5] = {};
};

using FaceRoutine = void (*)(const TSMaterial& material, const FaceCorners& face);

// What a draw kind hands on besides the points: the face's own lighting (flat kinds), each
// corner's (smooth kinds), texture coordinates (kinds 4 and up).
[[nodiscard]] inline bool IsFlatKind(std::uint32_t kind) {
    return kind == 2 || kind == 5 || kind == 8;
}
[[nodiscard]] inline bool IsSmoothKind(std::uint32_t kind) {
    return kind == 3 || kind == 6 || kind == 9;
}
[[nodiscard]] inline bool IsTextureKind(std::uint32_t kind) {
    return kind >= 4;
}

// Lighting words of a point lit by nothing but full light (no light set in the frame).
inline constexpr gfx::GFXColourTriple kFullLight{65535, 65535, 65535};

// A corner made where an edge crosses the near plane: its screen point, mapped texture
// coordinate and lighting words.
struct ClipVertex {
    ScreenPoint screen;
    gfx::GFXTexCoord tex;
    gfx::GFXColourTriple light;
};

// Lighting words t of the way from a to b, rounded.
[[nodiscard]] gfx::GFXColourTriple LerpLight(const gfx::GFXColourTriple& a, const gfx::GFXColourTriple& b, float t);

inline constexpr int kDrawKinds = 10;

// The mesh table: per kind, a triangle and a quadrilateral with the small-face outline, and a
// plain triangle and quadrilateral (the pieces of clipped faces). Kind 0 has no routines.
enum MeshRoutine : int {
    kOutlinedTriangle = 0,
    kOutlinedQuad = 1,
    kPlainTriangle = 2,
    kPlainQuad = 3,
};
extern FaceRoutine theMeshFaceDrawTable[kDrawKinds][4];

// The keyframe-mesh table: per kind a triangle, a clipped triangle and a clipped quadrilateral.
enum AnimMeshRoutine : int {
    kAnimTriangle = 0,
    kAnimClippedTriangle = 1,
    kAnimClippedQuad = 2,
};
extern FaceRoutine theAnimMeshFaceDrawTable[kDrawKinds][3];

// Fills both tables (once; InstallShapeClasses calls it).
void BuildFaceDrawTables();

// The small-face outline: threshold (twice the screen area in pixels under which a face gets
// its edges; -1 switches outlines off) and the outline colour of texture materials.
extern std::int32_t theOutlineThreshold;
extern std::uint32_t theOutlineColour;

// While set, texture materials draw as their palette colour with their own shading (buildings
// while the scenery's building textures are off).
extern bool theUntexturedFaces;
// The kind a material's faces are drawn with now.
[[nodiscard]] inline std::uint32_t EffectiveDrawKind(std::uint32_t kind) {
    return theUntexturedFaces && IsTextureKind(kind) && kind < kDrawKinds ? (kind - 4) % 3 + 1 : kind;
}

// Faces handed to the polygon routines since the count was last reset (each piece of a clipped
// face counts).
[[nodiscard]] std::uint32_t FacesSubmitted();
void ResetFacesSubmitted();
void CountFaceSubmitted();

}  // namespace ts
