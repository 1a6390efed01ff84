// The face submission functions: each fills the global request for one face of a shape and
// hands it to entry 11 of the target surface's draw table.
#include "core/numeric.h"
#include "gfx/draw_table.h"
#include "gfx/raster/poly_request.h"

namespace gfx {

GFXPolyRequest thePolyRequest;

namespace {

enum class Colours { kNone, kFirst, kAll };

void Submit(GFXDrawTarget& t, const GFXFaceMaterial& m, std::int32_t count, GFXPointList points,
            GFXColourList colours, GFXTexCoordList tex, std::uint32_t bits, Colours copy) {
    GFXPolyRequest& q = thePolyRequest;
    q.count = count;
    q.points = points;
    q.texCoords = tex;
    q.vertices = thePolyVertexPointers;
    q.flags = t.flags | bits;
    q.subpixelShift = t.coordinateShift & 0xFF;
    q.colour = m.colour;
    q.texture = nullptr;
    if ((bits & kPolyTextured) != 0) {
        q.texture = m.texture;
        if ((m.textureFlags & 1) != 0) q.flags |= kPolyTransparent;
        if ((m.textureFlags & 2) != 0) {
            q.flags |= kPolyTranslucent;
            if (q.vertices[0] != nullptr) q.vertices[0]->blendLevel = 1;
        }
    }
    if (count < 3 || count > kPolyMaxPoints) return;
    if (copy == Colours::kFirst && colours != nullptr) {
        LoadPolyVertices(colours, 1);
    } else if (copy == Colours::kAll && colours != nullptr) {
        if (count > kPolyMaxAttributedPoints) return;
        LoadPolyVertices(colours, count);
    }
    if (t.surface == nullptr) return;
    const GFXDrawTable* table = t.surface->GetDrawTable();
    if (table != nullptr && table->DrawPolygon != nullptr) table->DrawPolygon(t.surface, &q);
}

constexpr std::uint32_t kFlatShaded = kPolyFaceShade;
constexpr std::uint32_t kTex = kPolyTextured;
constexpr std::uint32_t kPersp = kPolyTextured | kPolyPerspective;

}  // namespace

// clang-format off
void DrawTriangleSolid(GFXDrawTarget& t, const GFXFaceMaterial& m, GFXPointList p) { Submit(t, m, 3, p, nullptr, nullptr, 0, Colours::kNone); }
void DrawQuadSolid(GFXDrawTarget& t, const GFXFaceMaterial& m, GFXPointList p) { Submit(t, m, 4, p, nullptr, nullptr, 0, Colours::kNone); }
void DrawPolygonSolid(GFXDrawTarget& t, const GFXFaceMaterial& m, std::int32_t n, GFXPointList p) { Submit(t, m, n, p, nullptr, nullptr, 0, Colours::kNone); }
void DrawTriangleFlatShaded(GFXDrawTarget& t, const GFXFaceMaterial& m, GFXPointList p, GFXColourList c) { Submit(t, m, 3, p, c, nullptr, kFlatShaded, Colours::kFirst); }
void DrawQuadFlatShaded(GFXDrawTarget& t, const GFXFaceMaterial& m, GFXPointList p, GFXColourList c) { Submit(t, m, 4, p, c, nullptr, kFlatShaded, Colours::kFirst); }
void DrawPolygonFlatShaded(GFXDrawTarget& t, const GFXFaceMaterial& m, std::int32_t n, GFXPointList p, GFXColourList c) { Submit(t, m, n, p, c, nullptr, kFlatShaded, Colours::kFirst); }
void DrawTriangleSmooth(GFXDrawTarget& t, const GFXFaceMaterial& m, GFXPointList p, GFXColourList c) { Submit(t, m, 3, p, c, nullptr, kPolySmooth, Colours::kAll); }
void DrawQuadSmooth(GFXDrawTarget& t, const GFXFaceMaterial& m, GFXPointList p, GFXColourList c) { Submit(t, m, 4, p, c, nullptr, kPolySmooth, Colours::kAll); }
void DrawPolygonSmooth(GFXDrawTarget& t, const GFXFaceMaterial& m, std::int32_t n, GFXPointList p, GFXColourList c) { Submit(t, m, n, p, c, nullptr, kPolySmooth, Colours::kAll); }
void DrawTriangleTextured(GFXDrawTarget& t, const GFXFaceMaterial& m, GFXPointList p, GFXTexCoordList x) { Submit(t, m, 3, p, nullptr, x, kTex, Colours::kNone); }
void DrawQuadTextured(GFXDrawTarget& t, const GFXFaceMaterial& m, GFXPointList p, GFXTexCoordList x) { Submit(t, m, 4, p, nullptr, x, kTex, Colours::kNone); }
void DrawPolygonTextured(GFXDrawTarget& t, const GFXFaceMaterial& m, std::int32_t n, GFXPointList p, GFXTexCoordList x) { Submit(t, m, n, p, nullptr, x, kTex, Colours::kNone); }
void DrawTrianglePerspective(GFXDrawTarget& t, const GFXFaceMaterial& m, GFXPointList p, GFXTexCoordList x) { Submit(t, m, 3, p, nullptr, x, kPersp, Colours::kNone); }
void DrawQuadPerspective(GFXDrawTarget& t, const GFXFaceMaterial& m, GFXPointList p, GFXTexCoordList x) { Submit(t, m, 4, p, nullptr, x, kPersp, Colours::kNone); }
void DrawPolygonPerspective(GFXDrawTarget& t, const GFXFaceMaterial& m, std::int32_t n, GFXPointList p, GFXTexCoordList x) { Submit(t, m, n, p, nullptr, x, kPersp, Colours::kNone); }
void DrawTriangleTexturedFlat(GFXDrawTarget& t, const GFXFaceMaterial& m, GFXPointList p, GFXColourList c, GFXTexCoordList x) { Submit(t, m, 3, p, c, x, kTex | kFlatShaded, Colours::kFirst); }
void DrawQuadTexturedFlat(GFXDrawTarget& t, const GFXFaceMaterial& m, GFXPointList p, GFXColourList c, GFXTexCoordList x) { Submit(t, m, 4, p, c, x, kTex | kFlatShaded, Colours::kFirst); }
void DrawPolygonTexturedFlat(GFXDrawTarget& t, const GFXFaceMaterial& m, std::int32_t n, GFXPointList p, GFXColourList c, GFXTexCoordList x) { Submit(t, m, n, p, c, x, kTex | kFlatShaded, Colours::kFirst); }
void DrawTrianglePerspectiveFlat(GFXDrawTarget& t, const GFXFaceMaterial& m, GFXPointList p, GFXColourList c, GFXTexCoordList x) { Submit(t, m, 3, p, c, x, kPersp | kFlatShaded, Colours::kFirst); }
void DrawQuadPerspectiveFlat(GFXDrawTarget& t, const GFXFaceMaterial& m, GFXPointList p, GFXColourList c, GFXTexCoordList x) { Submit(t, m, 4, p, c, x, kPersp | kFlatShaded, Colours::kFirst); }
void DrawPolygonPerspectiveFlat(GFXDrawTarget& t, const GFXFaceMaterial& m, std::int32_t n, GFXPointList p, GFXColourList c, GFXTexCoordList x) { Submit(t, m, n, p, c, x, kPersp | kFlatShaded, Colours::kFirst); }
void DrawTriangleTexturedSmooth(GFXDrawTarget& t, const GFXFaceMaterial& m, GFXPointList p, GFXColourList c, GFXTexCoordList x) { Submit(t, m, 3, p, c, x, kTex | kPolySmooth, Colours::kAll); }
void DrawQuadTexturedSmooth(GFXDrawTarget& t, const GFXFaceMaterial& m, GFXPointList p, GFXColourList c, GFXTexCoordList x) { Submit(t, m, 4, p, c, x, kTex | kPolySmooth, Colours::kAll); }
void DrawPolygonTexturedSmooth(GFXDrawTarget& t, const GFXFaceMaterial& m, std::int32_t n, GFXPointList p, GFXColourList c, GFXTexCoordList x) { Submit(t, m, n, p, c, x, kTex | kPolySmooth, Colours::kAll); }
void DrawTrianglePerspectiveSmooth(GFXDrawTarget& t, const GFXFaceMaterial& m, GFXPointList p, GFXColourList c, GFXTexCoordList x) { Submit(t, m, 3, p, c, x, kPersp | kPolySmooth, Colours::kAll); }
void DrawQuadPerspectiveSmooth(GFXDrawTarget& t, const GFXFaceMaterial& m, GFXPointList p, GFXColourList c, GFXTexCoordList x) { Submit(t, m, 4, p, c, x, kPersp | kPolySmooth, Colours::kAll); }
void DrawPolygonPerspectiveSmooth(GFXDrawTarget& t, const GFXFaceMaterial& m, std::int32_t n, GFXPointList p, GFXColourList c, GFXTexCoordList x) { Submit(t, m, n, p, c, x, kPersp | kPolySmooth, Colours::kAll); }
// clang-format on

void DrawLine(GFXPoint a, GFXPoint b, std::uint32_t colour) {
    GFXDrawTarget* t = theCurrentDrawTarget;
    if (t == nullptr || t->surface == nullptr) return;
    const GFXDrawTable* table = t->surface->GetDrawTable();
    if (table != nullptr && table->DrawSegment != nullptr)
        table->DrawSegment(t->surface, a, b, colour);
}

}  // namespace gfx
