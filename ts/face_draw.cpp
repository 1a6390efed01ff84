#include "ts/face_draw.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "gfx/palette.h"
#include "gfx/surface.h"
#include "ts/material.h"

namespace ts {

FaceRoutine theMeshFaceDrawTable[kDrawKinds][4] = {};
FaceRoutine theAnimMeshFaceDrawTable[kDrawKinds][3] = {};
std::int32_t theOutlineThreshold = 20;
bool theUntexturedFaces = false;
std::uint32_t theOutlineColour = 156;

namespace {

std::uint32_t theFaceCount = 0;

// What each kind hands on besides the points: lighting (none, the face's, per corner) and
// whether texture coordinates go along.
enum class Light { kNone, kFace, kCorners };

template <int kKind>
struct Kind;
#define ZEPHLON_KIND(K, L, T, TRI, QUAD, POLY) \
    template <>                                \
    struct Kind<K> {                           \
        static constexpr Light kLight = L;     \
        static constexpr bool kTextured = T;   \
        static constexpr auto Triangle = TRI;  \
        static constexpr auto Quad = QUAD;     \
        static constexpr auto Polygon = POLY;  \
    };
ZEPHLON_KIND(1, Light::kNone, false, &gfx::DrawTriangleSolid, &gfx::DrawQuadSolid, &gfx::DrawPolygonSolid)
ZEPHLON_KIND(2, Light::kFace, false, &gfx::DrawTriangleFlatShaded, &gfx::DrawQuadFlatShaded,
             &gfx::DrawPolygonFlatShaded)
ZEPHLON_KIND(3, Light::kCorners, false, &gfx::DrawTriangleSmooth, &gfx::DrawQuadSmooth,
             &gfx::DrawPolygonSmooth)
ZEPHLON_KIND(4, Light::kNone, true, &gfx::DrawTriangleTextured, &gfx::DrawQuadTextured,
             &gfx::DrawPolygonTextured)
ZEPHLON_KIND(5, Light::kFace, true, &gfx::DrawTriangleTexturedFlat, &gfx::DrawQuadTexturedFlat,
             &gfx::DrawPolygonTexturedFlat)
ZEPHLON_KIND(6, Light::kCorners, true, &gfx::DrawTriangleTexturedSmooth,
             &gfx::DrawQuadTexturedSmooth, &gfx::DrawPolygonTexturedSmooth)
ZEPHLON_KIND(7, Light::kNone, true, &gfx::DrawTrianglePerspective, &gfx::DrawQuadPerspective,
             &gfx::DrawPolygonPerspective)
ZEPHLON_KIND(8, Light::kFace, true, &gfx::DrawTrianglePerspectiveFlat,
             &gfx::DrawQuadPerspectiveFlat, &gfx::DrawPolygonPerspectiveFlat)
ZEPHLON_KIND(9, Light::kCorners, true, &gfx::DrawTrianglePerspectiveSmooth,
             &gfx::DrawQuadPerspectiveSmooth, &gfx::DrawPolygonPerspectiveSmooth)
#undef ZEPHLON_KIND

// Calls the polygon routine of the kind for `count` corners (3 or 4; other counts use the
// n-point routine).
template <int kKind>
void Fill(const TSMaterial& material, const FaceCorners& f, int count) {
    using K = Kind<kKind>;
    gfx::GFXDrawTarget* target = gfx::theCurrentDrawTarget;
    if (target == nullptr) return;
    const gfx::GFXFaceMaterial m = material.FaceMaterial();
    CountFaceSubmitted();
    if constexpr (K::kLight == Light::kNone && !K::kTextured) {
        if (count == 3) K::Triangle(*target, m, f.points);
        else if (count == 4) K::Quad(*target, m, f.points);
        else K::Polygon(*target, m, count, f.points);
    } else if constexpr (K::kLight != Light::kNone && !K::kTextured) {
        if (count == 3) K::Triangle(*target, m, f.points, f.colours);
        else if (count == 4) K::Quad(*target, m, f.points, f.colours);
        else K::Polygon(*target, m, count, f.points, f.colours);
    } else if constexpr (K::kLight == Light::kNone) {
        if (count == 3) K::Triangle(*target, m, f.points, f.tex);
        else if (count == 4) K::Quad(*target, m, f.points, f.tex);
        else K::Polygon(*target, m, count, f.points, f.tex);
    } else {
        if (count == 3) K::Triangle(*target, m, f.points, f.colours, f.tex);
        else if (count == 4) K::Quad(*target, m, f.points, f.colours, f.tex);
        else K::Polygon(*target, m, count, f.points, f.colours, f.tex);
    }
}

// The colour an outline is drawn in: the material's (the outline colour for a texture
// material), through the palette's shade row of full light at its current haze level.
std::uint32_t OutlineColour(const TSMaterial& material, const gfx::GFXSurface& surface) {
    std::uint32_t colour = (material.type == TSMaterial::kTexture ? theOutlineColour : material.paletteIndex) & 0xFFu;
    const gfx::GFXPalette* pal = surface.palette;
    if (pal == nullptr || pal->shadeTable == nullptr) return colour;
    const std::uint64_t row = (static_cast<std::uint64_t>(pal->shadeLevel) << pal->shadeShift) +
                              ((std::uint64_t{1} << pal->shadeShift) - 1);
    const std::uint64_t at = (row << 8) | colour;
    return at < pal->ShadeTableSize() ? pal->shadeTable[at] : colour;
}

// Draws the edges of a face that covers less than the threshold.
void Outline(const TSMaterial& material, const FaceCorners& f, int count) {
    if (theOutlineThreshold < 0) return;
    gfx::GFXDrawTarget* target = gfx::theCurrentDrawTarget;
    if (target == nullptr || target->surface == nullptr) return;
    const int shift = std::clamp(static_cast<int>(target->coordinateShift & 0xFF), 0, 16);
    auto pixel = [shift](const ScreenPoint* p) {
        return gfx::GFXPoint{p->x >> shift, p->y >> shift};
    };
    const gfx::GFXPoint a = pixel(f.points[0]), b = pixel(f.points[1]), c = pixel(f.points[2]);
    const std::int64_t area = static_cast<std::int64_t>(b.x - a.x) * (c.y - a.y) -
                              static_cast<std::int64_t>(c.x - a.x) * (b.y - a.y);
    if (std::llabs(area) >= theOutlineThreshold) return;
    const std::uint32_t colour = OutlineColour(material, *target->surface);
    for (int i = 0; i < count; ++i)
        gfx::DrawLine(pixel(f.points[i]), pixel(f.points[(i + 1) % count]), colour);
}

template <int kKind>
void OutlinedTriangle(const TSMaterial& m, const FaceCorners& f) {
    Outline(m, f, 3);
    Fill<kKind>(m, f, 3);
}
template <int kKind>
void OutlinedQuad(const TSMaterial& m, const FaceCorners& f) {
    Outline(m, f, 4);
    Fill<kKind>(m, f, 4);
}
template <int kKind>
void PlainTriangle(const TSMaterial& m, const FaceCorners& f) {
    Fill<kKind>(m, f, 3);
}
template <int kKind>
void PlainQuad(const TSMaterial& m, const FaceCorners& f) {
    Fill<kKind>(m, f, 4);
}

template <int kKind>
void Install() {
    theMeshFaceDrawTable[kKind][kOutlinedTriangle] = &OutlinedTriangle<kKind>;
    theMeshFaceDrawTable[kKind][kOutlinedQuad] = &OutlinedQuad<kKind>;
    theMeshFaceDrawTable[kKind][kPlainTriangle] = &PlainTriangle<kKind>;
    theMeshFaceDrawTable[kKind][kPlainQuad] = &PlainQuad<kKind>;
    theAnimMeshFaceDrawTable[kKind][kAnimTriangle] = &PlainTriangle<kKind>;
    theAnimMeshFaceDrawTable[kKind][kAnimClippedTriangle] = &PlainTriangle<kKind>;
    theAnimMeshFaceDrawTable[kKind][kAnimClippedQuad] = &PlainQuad<kKind>;
}

}  // namespace

gfx::GFXColourTriple LerpLight(const gfx::GFXColourTriple& a, const gfx::GFXColourTriple& b, float t) {
    auto lerp = [t](std::int32_t x, std::int32_t y) {
        return static_cast<std::int32_t>(std::lround(static_cast<float>(x) + (static_cast<float>(y) - static_cast<float>(x)) * t));
    };
    return gfx::GFXColourTriple{lerp(a.r, b.r), lerp(a.g, b.g), lerp(a.b, b.b)};
}

void BuildFaceDrawTables() {
    Install<1>();
    Install<2>();
    Install<3>();
    Install<4>();
    Install<5>();
    Install<6>();
    Install<7>();
    Install<8>();
    Install<9>();
}

std::uint32_t FacesSubmitted() {
    return theFaceCount;
}

void ResetFacesSubmitted() {
    theFaceCount = 0;
}

void CountFaceSubmitted() {
    ++theFaceCount;
}

}  // namespace ts
