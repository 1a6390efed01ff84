#include "ts/mesh.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/endian.h"
#include "core/pool_alloc.h"
#include "gfx/surface.h"
#include "ts/engine_pools.h"
#include "ts/face_draw.h"
#include "ts/light_set.h"
#include "ts/material.h"
#include "ts/perspective_camera.h"

namespace ts {

namespace {

core::PoolAlloc& MeshPool() {
    return ClassPool(EnginePool::kMesh, sizeof(TSMesh));
}

// ---- the renderer's working storage -------------------------------------------------------

// Vertex marks: project, light, and behind the near plane.
constexpr std::uint32_t kMarkLight = 1;
constexpr std::uint32_t kMarkProject = 2;
constexpr std::uint32_t kMarkBehind = 4;

struct MeshPoint {
    Vector3F eye;
    ScreenPoint screen;
    gfx::GFXColourTriple light;
};

MeshPoint thePoints[TSMesh::kMaxVertices];
std::uint32_t theMarks[TSMesh::kMaxVertices];
const TSMesh::Face* theVisible[TSMesh::kMaxVisibleFaces];
const TSMaterial* theVisibleMaterial[TSMesh::kMaxVisibleFaces];

}  // namespace

void* TSMesh::operator new(std::size_t size) {
    return PoolNew(MeshPool(), size);
}

void TSMesh::operator delete(void* block, std::size_t size) {
    PoolDelete(MeshPool(), block, size);
}

void TSMesh::SetPoolCapacity(std::int32_t count) {
    MeshPool();
    SetEnginePoolCapacity(EnginePool::kMesh, count);
}

// ---- drawing --------------------------------------------------------------------------------

namespace {

// The face's corners in the working storage, its lighting and its mapped texture coordinates.
struct CornerSet {
    FaceCorners corners;
    gfx::GFXTexCoord tex[4];
};

gfx::GFXTexCoord TexOf(const TSMesh& mesh, const TSMaterial& m, std::int32_t t) {
    if (mesh.texCoords.empty()) return m.Map(0.0f, 0.0f);
    const TSMesh::TexCoord& c = mesh.texCoords[static_cast<std::size_t>(t)];
    return m.Map(c.u, c.v);
}

void DrawPlain(const TSMesh& mesh, const TSMesh::Face& f, const TSMaterial& m) {
    const std::uint32_t kind = EffectiveDrawKind(m.drawKind);
    if (kind == 0 || kind >= kDrawKinds) return;
    const int n = f.IsTriangle() ? 3 : 4;
    CornerSet s;
    for (int i = 0; i < n; ++i) {
        const MeshPoint& p = thePoints[f.v[i]];
        s.corners.points[i] = &p.screen;
        if (IsSmoothKind(kind)) s.corners.colours[i] = &p.light;
        if (IsTextureKind(kind)) {
            s.tex[i] = TexOf(mesh, m, f.t[i]);
            s.corners.tex[i] = &s.tex[i];
        }
    }
    if (IsFlatKind(kind)) s.corners.colours[0] = &thePoints[f.centre].light;
    s.corners.count = n;
    theMeshFaceDrawTable[kind][n == 3 ? kOutlinedTriangle : kOutlinedQuad](m, s.corners);
}

void DrawClipped(const TSMesh& mesh, const TSMesh::Face& f, const TSMaterial& m, TSCamera& camera) {
    const std::uint32_t kind = EffectiveDrawKind(m.drawKind);
    if (kind == 0 || kind >= kDrawKinds) return;
    const int n = f.IsTriangle() ? 3 : 4;
    int behind = 0;
    for (int i = 0; i < n; ++i)
        behind += (theMarks[f.v[i]] & kMarkBehind) != 0 ? 1 : 0;
    if (behind == 0) {
        DrawPlain(mesh, f, m);
        return;
    }
    if (behind == n) return;
    const float nearDistance = camera.GetNear();
    const bool textured = IsTextureKind(kind);
    const bool smooth = IsSmoothKind(kind);
    ClipVertex out[6];
    int count = 0;
    for (int i = 0; i < n; ++i) {
        const std::int32_t ia = f.v[i], ib = f.v[(i + 1) % n];
        const MeshPoint& a = thePoints[ia];
        const MeshPoint& b = thePoints[ib];
        const bool aBehind = (theMarks[ia] & kMarkBehind) != 0;
        const bool bBehind = (theMarks[ib] & kMarkBehind) != 0;
        const gfx::GFXTexCoord ta = textured ? TexOf(mesh, m, f.t[i]) : gfx::GFXTexCoord{};
        if (!aBehind) {
            ClipVertex& v = out[count++];
            v.screen = a.screen;
            v.tex = ta;
            v.light = a.light;
        }
        if (aBehind != bBehind) {
            const float t = (nearDistance - a.eye.y) / (b.eye.y - a.eye.y);
            const Vector3F e{a.eye.x + (b.eye.x - a.eye.x) * t, nearDistance,
                             a.eye.z + (b.eye.z - a.eye.z) * t};
            ClipVertex& v = out[count++];
            camera.ProjectPoint(e, &v.screen);
            v.screen.z = FloatToInt(e.y);
            if (textured) {
                const gfx::GFXTexCoord tb = TexOf(mesh, m, f.t[(i + 1) % n]);
                v.tex = gfx::GFXTexCoord{ta.u + (tb.u - ta.u) * t, ta.v + (tb.v - ta.v) * t};
            }
            if (smooth) v.light = LerpLight(a.light, b.light, t);
        }
    }
    // Two opposite corners of a quadrilateral behind leave a hexagon, which is not drawn.
    if (count < 3 || count > 5) return;
    auto piece = [&](std::initializer_list<int> order) {
        FaceCorners c;
        int k = 0;
        for (int i : order) {
            c.points[k] = &out[i].screen;
            if (smooth) c.colours[k] = &out[i].light;
            if (textured) c.tex[k] = &out[i].tex;
            ++k;
        }
        if (IsFlatKind(kind)) c.colours[0] = &thePoints[f.centre].light;
        c.count = k;
        theMeshFaceDrawTable[kind][k == 3 ? kPlainTriangle : kPlainQuad](m, c);
    };
    if (count == 3) {
        piece({0, 1, 2});
    } else if (count == 4) {
        piece({0, 1, 2, 3});
    } else {
        piece({0, 1, 2, 3});
        piece({0, 3, 4});
    }
}

}  // namespace

void TSMesh::Render(int cullCode) {
    TSCamera* camera = theCurrentCamera;
    if (camera == nullptr || faces.empty()) return;
    camera->SelectPartTransform(*this);
    TSLightSet* lights = theActiveLightSet;
    if (lights != nullptr) lights->PrepareForObject(fCenter, fRadius);
    int code = cullCode;
    if (code != kCullInside) code = camera->TestSphere(fCenter, fRadius);
    if (code == kCullOutside) return;
    gfx::GFXDrawTarget* target = gfx::theCurrentDrawTarget;
    // Faces need a material list to be drawn at all.
    const TSMaterialList* list = target != nullptr ? target->materialList : nullptr;
    if (list == nullptr) return;

    // The faces that face the viewer, and the vertices they need.
    int visible = 0;
    std::int32_t low = INT_MAX, high = -1;
    auto mark = [&](std::int32_t v, std::uint32_t bits) {
        theMarks[v] |= bits;
        low = std::min(low, v);
        high = std::max(high, v);
    };
    for (const Face& f : faces) {
        const TSMaterial* m = list->Lookup(f.material);
        if (m == nullptr || m->type == TSMaterial::kNull) continue;
        const Vertex& c = vertices[static_cast<std::size_t>(f.centre)];
        if (camera->TestFacing(TSFace{c.p, c.n}) != kFacingToward) continue;
        // Faces past the visible list's room are not drawn.
        if (visible >= kMaxVisibleFaces) break;
        theVisible[visible] = &f;
        theVisibleMaterial[visible] = m;
        ++visible;
        const int n = f.IsTriangle() ? 3 : 4;
        if (m->shading == TSMaterial::kSmooth) {
            for (int i = 0; i < n; ++i)
                mark(f.v[i], kMarkProject | kMarkLight);
        } else if (m->shading == TSMaterial::kFlat) {
            mark(f.centre, kMarkProject | kMarkLight);
            for (int i = 0; i < n; ++i)
                mark(f.v[i], kMarkProject);
        } else {
            for (int i = 0; i < n; ++i)
                mark(f.v[i], kMarkProject);
        }
    }
    if (visible == 0) return;

    auto light = [&](std::int32_t i) {
        const Vertex& v = vertices[static_cast<std::size_t>(i)];
        if (lights != nullptr)
            lights->LightPoints(LightPoint{v.p, v.n}, &thePoints[i].light);
        else
            thePoints[i].light = kFullLight;
    };

    if ((code & kCullNear) != 0) {
        const Transform3F& toEye = camera->GetModelToEye();
        const float nearDistance = camera->GetNear();
        bool anyBehind = false;
        for (std::int32_t i = low; i <= high; ++i) {
            const std::uint32_t m = theMarks[i];
            if (m == 0) continue;
            if ((m & kMarkLight) != 0) light(i);
            MeshPoint& p = thePoints[i];
            Transform3F::TransformPoint(vertices[static_cast<std::size_t>(i)].p, toEye, &p.eye);
            if (p.eye.y < nearDistance) {
                theMarks[i] = kMarkBehind;
                anyBehind = true;
            } else {
                camera->ProjectPoint(p.eye, &p.screen);
                p.screen.z = FloatToInt(p.eye.y);
                theMarks[i] = 0;
            }
        }
        for (int k = 0; k < visible; ++k) {
            if (anyBehind)
                DrawClipped(*this, *theVisible[k], *theVisibleMaterial[k], *camera);
            else
                DrawPlain(*this, *theVisible[k], *theVisibleMaterial[k]);
        }
        if (anyBehind)
            for (std::int32_t i = low; i <= high; ++i)
                theMarks[i] = 0;
        return;
    }

    for (std::int32_t i = low; i <= high; ++i) {
        const std::uint32_t m = theMarks[i];
        if (m == 0) continue;
        if ((m & kMarkLight) != 0) light(i);
        camera->WorldToScreen(vertices[static_cast<std::size_t>(i)].p, &thePoints[i].screen);
        theMarks[i] = 0;
    }
    gfx::GFXSurface* surface = target->surface;
    const std::uint32_t keptFlags = surface != nullptr ? surface->flags : 0;
    if (surface != nullptr) {
        if (code != kCullInside)
            surface->flags |= gfx::kSurfaceClipRect;
        else
            surface->flags &= ~gfx::kSurfaceClipRect;
    }
    for (int k = 0; k < visible; ++k)
        DrawPlain(*this, *theVisible[k], *theVisibleMaterial[k]);
    if (surface != nullptr) surface->flags = keptFlags;
}

void TSMesh::RemapMaterials(const std::uint32_t* table) {
    if (table == nullptr) return;
    for (Face& f : faces)
        if (f.material >= 0) f.material = static_cast<std::int32_t>(table[f.material]);
}

void TSMesh::ComputeBounds() {
    TSPartBase::ComputeBounds();
    for (const Vertex& v : vertices)
        GrowBox(box, v.p);
}

// ---- stored form ----------------------------------------------------------------------------

std::uint32_t TSMesh::getStoredSize() const {
    const std::uint64_t size = 40 + 24 * std::uint64_t{vertices.size()} +
                               8 * std::uint64_t{texCoords.size()} + 48 * std::uint64_t{faces.size()};
    return size <= 0x7FFFFFF0u ? static_cast<std::uint32_t>(size) : 0;
}

std::uint32_t TSMesh::getMemorySize() const {
    return getStoredSize() + 40;
}

bool TSMesh::IndicesValid() const {
    const auto nv = static_cast<std::int64_t>(vertices.size());
    const auto nt = static_cast<std::int64_t>(texCoords.size());
    for (const Face& f : faces) {
        for (int i = 0; i < 4; ++i) {
            if (f.v[i] < 0 || f.v[i] >= nv) return false;
            // Without texture coordinates a face names coordinate 0.
            if (nt == 0 ? f.t[i] != 0 : (f.t[i] < 0 || f.t[i] >= nt)) return false;
        }
        if (f.centre < 0 || f.centre >= nv) return false;
    }
    for (const Vertex& v : vertices)
        if (!std::isfinite(v.p.x) || !std::isfinite(v.p.y) || !std::isfinite(v.p.z)) return false;
    return true;
}

int TSMesh::read(core::StreamIO& stream, std::uint32_t version) {
    if (TSPartBase::read(stream, version) == 0) return 0;
    std::uint32_t nv = 0, nt = 0, nf = 0;
    if (bytesLeft(stream) < 12 || !readU32(stream, &nv) || !readU32(stream, &nt) ||
        !readU32(stream, &nf))
        return 0;
    if (nv > static_cast<std::uint32_t>(kMaxVertices)) return 0;
    const std::uint64_t need = version != 0 ? 24ull * nv + 8ull * nt + 48ull * nf
                                            : 24ull * nv + 8ull * nt + 28ull * nf;
    if (need > bytesLeft(stream)) return 0;
    vertices.assign(nv, Vertex{});
    texCoords.assign(nt, TexCoord{});
    faces.assign(nf, Face{});
    std::vector<std::uint8_t> raw(static_cast<std::size_t>(need));
    if (!raw.empty() && !core::ReadAll(stream, static_cast<std::uint32_t>(need), raw.data())) return 0;
    const std::uint8_t* p = raw.data();
    auto f32 = [&p]() {
        float f;
        const std::uint32_t u = core::ReadU32(p);
        std::memcpy(&f, &u, 4);
        p += 4;
        return f;
    };
    auto i32 = [&p]() {
        const auto v = static_cast<std::int32_t>(core::ReadU32(p));
        p += 4;
        return v;
    };
    auto i16 = [&p]() {
        const auto v = static_cast<std::int16_t>(core::ReadU16(p));
        p += 2;
        return static_cast<std::int32_t>(v);
    };
    auto fixed = [&]() { return static_cast<float>(i32()) / 65536.0f; };
    for (Vertex& v : vertices) {
        if (version != 0) {
            v.p = Vector3F{f32(), f32(), f32()};
            v.n = Vector3F{f32(), f32(), f32()};
        } else {
            v.p.x = static_cast<float>(i32());
            v.p.y = static_cast<float>(i32());
            v.p.z = static_cast<float>(i32());
            v.n.x = fixed();
            v.n.y = fixed();
            v.n.z = fixed();
        }
    }
    for (TexCoord& t : texCoords) {
        if (version != 0) {
            t.u = f32();
            t.v = f32();
        } else {
            t.u = fixed();
            t.v = fixed();
        }
    }
    for (Face& f : faces) {
        auto index = [&]() { return version != 0 ? i32() : i16(); };
        for (std::int32_t& v : f.v)
            v = index();
        for (std::int32_t& t : f.t)
            t = index();
        f.centre = index();
        f.material = index();
        f.words[0] = static_cast<std::uint32_t>(i32());
        f.words[1] = static_cast<std::uint32_t>(i32());
    }
    return IndicesValid() ? 1 : 0;
}

int TSMesh::write(core::StreamIO& stream, std::uint32_t) const {
    // Always the current form: floats and whole records.
    int ok = writeU32(stream, 1);
    ok &= TSPartBase::write(stream, 1);
    ok &= writeU32(stream, static_cast<std::uint32_t>(vertices.size()));
    ok &= writeU32(stream, static_cast<std::uint32_t>(texCoords.size()));
    ok &= writeU32(stream, static_cast<std::uint32_t>(faces.size()));
    for (const Vertex& v : vertices)
        for (float f : {v.p.x, v.p.y, v.p.z, v.n.x, v.n.y, v.n.z})
            ok &= writeF32(stream, f);
    for (const TexCoord& t : texCoords) {
        ok &= writeF32(stream, t.u);
        ok &= writeF32(stream, t.v);
    }
    for (const Face& f : faces) {
        for (std::int32_t v : f.v)
            ok &= writeI32(stream, v);
        for (std::int32_t t : f.t)
            ok &= writeI32(stream, t);
        ok &= writeI32(stream, f.centre);
        ok &= writeI32(stream, f.material);
        ok &= writeU32(stream, f.words[0]);
        ok &= writeU32(stream, f.words[1]);
    }
    return ok;
}

void TSMesh::dump(int depth, int indent) const {
    TSPartBase::dump(depth, indent);
    if (depth <= 0) return;
    std::printf("%*cfnVertices: %d\n", indent, ' ', static_cast<int>(vertices.size()));
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        const Vertex& v = vertices[i];
        std::printf("%*cV[%3d]: (%8f,%8f,%8f) (%8f,%8f,%8f)\n", indent, ' ', static_cast<int>(i),
                    static_cast<double>(v.p.x), static_cast<double>(v.p.y), static_cast<double>(v.p.z),
                    static_cast<double>(v.n.x), static_cast<double>(v.n.y), static_cast<double>(v.n.z));
    }
    std::printf("%*cfnTextureCoords: %d\n", indent, ' ', static_cast<int>(texCoords.size()));
    for (std::size_t i = 0; i < texCoords.size(); ++i)
        std::printf("%*cT[%3d]: (%8f,%8f\n", indent, ' ', static_cast<int>(i),
                    static_cast<double>(texCoords[i].u), static_cast<double>(texCoords[i].v));
    std::printf("%*cfnFaces: %d\n", indent, ' ', static_cast<int>(faces.size()));
    for (std::size_t i = 0; i < faces.size(); ++i) {
        const Face& f = faces[i];
        std::printf("%*cFace: %d Center: %d Material: %d\n", indent, ' ', static_cast<int>(i), f.centre,
                    f.material);
        std::printf("%*c Verts: %d %d %d %d, Texts: %d %d %d %d\n", indent, ' ', f.v[0], f.v[1], f.v[2],
                    f.v[3], f.t[0], f.t[1], f.t[2], f.t[3]);
    }
}

}  // namespace ts
