#include "ts/anim_mesh.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/endian.h"
#include "gfx/surface.h"
#include "ts/face_draw.h"
#include "ts/light_set.h"
#include "ts/material.h"
#include "ts/perspective_camera.h"
#include "ts/unit_normals.h"

namespace ts {

namespace {

// The keyframe mesh's own point array (room for its largest vertex set), made on first use.
struct AnimPoint {
    Vector3F eye;
    ScreenPoint screen;
    gfx::GFXColourTriple light;
    std::uint32_t lightNeeded = 0;
};

struct AnimStorage {
    std::vector<AnimPoint> points;
    std::vector<std::uint32_t> behind;
    std::vector<std::int32_t> visible;
};

AnimStorage& Storage() {
    static AnimStorage s;
    return s;
}

// Front when the corners run clockwise on the screen, (x2 - x1)(y0 - y1) - (y2 - y1)(x0 - x1)
// >= 0; in eye space (the viewer at the origin) the same is P0 . ((P1 - P0) x (P2 - P0)) >= 0,
// which holds for corners behind the near plane too.
bool FrontOnScreen(const ScreenPoint& a, const ScreenPoint& b, const ScreenPoint& c) {
    const std::int64_t w = static_cast<std::int64_t>(c.x - b.x) * (a.y - b.y) -
                           static_cast<std::int64_t>(c.y - b.y) * (a.x - b.x);
    return w >= 0;
}
bool FrontInEye(const Vector3F& a, const Vector3F& b, const Vector3F& c) {
    const Vector3F u = b - a, v = c - a;
    const Vector3F n{u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x};
    return Dot(a, n) >= 0.0f;
}

}  // namespace

void TSAnimMesh::SetKeyframe(std::int32_t index) {
    if (index >= 0 && index < static_cast<std::int32_t>(keyframes.size())) current = index;
}

void TSAnimMesh::Render(int cullCode) {
    TSCamera* camera = theCurrentCamera;
    if (camera == nullptr || faces.empty() || current < 0) return;
    camera->SelectPartTransform(*this);
    TSLightSet* lights = theActiveLightSet;
    if (lights != nullptr) lights->PrepareForObject(fCenter, fRadius);
    int code = cullCode;
    if (code != kCullInside) code = camera->TestSphere(fCenter, fRadius);
    if (code == kCullOutside) return;
    gfx::GFXDrawTarget* target = gfx::theCurrentDrawTarget;
    const TSMaterialList* list = target != nullptr ? target->materialList : nullptr;
    if (list == nullptr) return;

    const Keyframe& key = keyframes[static_cast<std::size_t>(current)];
    const std::int32_t n = fnVertices;
    AnimStorage& st = Storage();
    if (static_cast<std::int32_t>(st.points.size()) < n) {
        st.points.resize(static_cast<std::size_t>(n));
        st.behind.resize(static_cast<std::size_t>(n));
    }
    if (st.visible.size() < faces.size()) st.visible.resize(faces.size());
    const bool nearCrossed = (code & kCullNear) != 0;
    std::uint32_t anyBehind = 0;
    camera->WorldToScreenPoints(n, &key.vertices[0].p, nearCrossed ? &st.points[0].eye : nullptr,
                                &st.points[0].screen, sizeof(Vertex), sizeof(AnimPoint),
                                sizeof(AnimPoint), nearCrossed ? st.behind.data() : nullptr,
                                nearCrossed ? &anyBehind : nullptr);
    if (anyBehind == 0) std::fill_n(st.behind.begin(), n, 0u);

    int visible = 0;
    for (std::size_t i = 0; i < faces.size(); ++i) {
        const Face& f = faces[i];
        const TSMaterial* m = list->Lookup(f.material);
        if (m == nullptr || m->type == TSMaterial::kNull) continue;
        const int behind = static_cast<int>(st.behind[f.v[0]] + st.behind[f.v[1]] + st.behind[f.v[2]]);
        if (behind == 3) continue;
        const AnimPoint& a = st.points[f.v[0]];
        const AnimPoint& b = st.points[f.v[1]];
        const AnimPoint& c = st.points[f.v[2]];
        const bool front = behind == 0 ? FrontOnScreen(a.screen, b.screen, c.screen)
                                       : FrontInEye(a.eye, b.eye, c.eye);
        if (!front) continue;
        st.visible[static_cast<std::size_t>(visible++)] = static_cast<std::int32_t>(i);
        for (std::int32_t v : f.v)
            st.points[v].lightNeeded = 1;
    }
    if (visible == 0) return;
    for (std::int32_t i = 0; i < n; ++i) {
        AnimPoint& p = st.points[i];
        if (p.lightNeeded == 0) continue;
        const Vertex& v = key.vertices[static_cast<std::size_t>(i)];
        if (lights != nullptr)
            lights->LightPointsAt(v.p, v.normal, &p.light);
        else
            p.light = kFullLight;
        p.lightNeeded = 0;
    }

    gfx::GFXSurface* surface = target->surface;
    const std::uint32_t keptFlags = surface != nullptr ? surface->flags : 0;
    if (!nearCrossed && surface != nullptr) {
        if (code != kCullInside)
            surface->flags |= gfx::kSurfaceClipRect;
        else
            surface->flags &= ~gfx::kSurfaceClipRect;
    }
    const float nearDistance = camera->GetNear();
    for (int k = 0; k < visible; ++k) {
        const Face& f = faces[static_cast<std::size_t>(st.visible[static_cast<std::size_t>(k)])];
        const TSMaterial& m = *list->Lookup(f.material);
        const std::uint32_t kind = EffectiveDrawKind(m.drawKind);
        if (kind == 0 || kind >= kDrawKinds) continue;
        const bool textured = IsTextureKind(kind);
        const bool smooth = IsSmoothKind(kind);
        gfx::GFXTexCoord tex[3];
        for (int i = 0; i < 3; ++i) {
            const TexCoord t = texCoords.empty() ? TexCoord{} : texCoords[static_cast<std::size_t>(f.t[i])];
            tex[i] = textured ? m.Map(t.u, t.v) : gfx::GFXTexCoord{};
        }
        const int behind = static_cast<int>(st.behind[f.v[0]] + st.behind[f.v[1]] + st.behind[f.v[2]]);
        if (behind == 0) {
            FaceCorners c;
            for (int i = 0; i < 3; ++i) {
                c.points[i] = &st.points[f.v[i]].screen;
                c.colours[i] = &st.points[f.v[i]].light;
                c.tex[i] = &tex[i];
            }
            c.count = 3;
            theAnimMeshFaceDrawTable[kind][kAnimTriangle](m, c);
            continue;
        }
        // One corner behind gives a quadrilateral, two a triangle.
        ClipVertex out[4];
        int count = 0;
        for (int i = 0; i < 3; ++i) {
            const int j = (i + 1) % 3;
            const AnimPoint& a = st.points[f.v[i]];
            const AnimPoint& b = st.points[f.v[j]];
            const bool aBehind = st.behind[f.v[i]] != 0, bBehind = st.behind[f.v[j]] != 0;
            if (!aBehind) out[count++] = ClipVertex{a.screen, tex[i], a.light};
            if (aBehind != bBehind) {
                const float t = (nearDistance - a.eye.y) / (b.eye.y - a.eye.y);
                const Vector3F e{a.eye.x + (b.eye.x - a.eye.x) * t, nearDistance,
                                 a.eye.z + (b.eye.z - a.eye.z) * t};
                ClipVertex& v = out[count++];
                camera->ProjectPoint(e, &v.screen);
                v.screen.z = FloatToInt(e.y);
                v.tex = gfx::GFXTexCoord{tex[i].u + (tex[j].u - tex[i].u) * t,
                                         tex[i].v + (tex[j].v - tex[i].v) * t};
                v.light = smooth ? LerpLight(a.light, b.light, t) : a.light;
            }
        }
        FaceCorners c;
        for (int i = 0; i < count; ++i) {
            c.points[i] = &out[i].screen;
            c.colours[i] = &out[i].light;
            c.tex[i] = &out[i].tex;
        }
        // The face's own lighting is its first corner's.
        if (IsFlatKind(kind)) c.colours[0] = &st.points[f.v[0]].light;
        c.count = count;
        if (count == 3)
            theAnimMeshFaceDrawTable[kind][kAnimClippedTriangle](m, c);
        else if (count == 4)
            theAnimMeshFaceDrawTable[kind][kAnimClippedQuad](m, c);
    }
    if (surface != nullptr) surface->flags = keptFlags;
}

void TSAnimMesh::RemapMaterials(const std::uint32_t* table) {
    if (table == nullptr) return;
    for (Face& f : faces)
        if (f.material >= 0) f.material = static_cast<std::int32_t>(table[f.material]);
}

void TSAnimMesh::ComputeBounds() {
    TSPartBase::ComputeBounds();
    for (const Keyframe& k : keyframes)
        for (const Vertex& v : k.vertices)
            GrowBox(box, v.p);
}

std::uint32_t TSAnimMesh::getStoredSize() const {
    const std::uint64_t size = 4 + 24 + 16 +
                               keyframes.size() * (4 + 16 * static_cast<std::uint64_t>(fnVertices)) +
                               8 * std::uint64_t{texCoords.size()} + 32 * std::uint64_t{faces.size()};
    return size <= 0x7FFFFFF0u ? static_cast<std::uint32_t>(size) : 0;
}

std::uint32_t TSAnimMesh::getMemorySize() const {
    const std::uint64_t size = 92 + 8 * std::uint64_t{texCoords.size()} +
                               16 * keyframes.size() * static_cast<std::uint64_t>(fnVertices) +
                               32 * std::uint64_t{faces.size()};
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(size, 0xFFFFFFFFu));
}

int TSAnimMesh::read(core::StreamIO& stream, std::uint32_t version) {
    std::uint32_t word = 0;
    if (bytesLeft(stream) < 4 || !readU32(stream, &word)) return 0;
    if (TSPartBase::read(stream, version) == 0) return 0;
    std::uint32_t nf = 0, nv = 0, nk = 0, nt = 0;
    if (bytesLeft(stream) < 16 || !readU32(stream, &nf) || !readU32(stream, &nv) ||
        !readU32(stream, &nk) || !readU32(stream, &nt))
        return 0;
    if (nv > static_cast<std::uint32_t>(kMaxVertices) || (nf > 0 && nk == 0)) return 0;
    const std::uint64_t need = std::uint64_t{nk} * (4 + 16ull * nv) + 8ull * nt + 32ull * nf;
    if (need > bytesLeft(stream)) return 0;
    std::vector<std::uint8_t> raw(static_cast<std::size_t>(need));
    if (!raw.empty() && !core::ReadAll(stream, static_cast<std::uint32_t>(need), raw.data())) return 0;
    const std::uint8_t* p = raw.data();
    auto u32 = [&p]() {
        const std::uint32_t v = core::ReadU32(p);
        p += 4;
        return v;
    };
    auto f32 = [&]() {
        const std::uint32_t u = u32();
        float f;
        std::memcpy(&f, &u, 4);
        return f;
    };
    auto i32 = [&]() { return static_cast<std::int32_t>(u32()); };
    keyframes.assign(nk, Keyframe{});
    for (Keyframe& k : keyframes) {
        k.duration = f32();
        k.vertices.assign(nv, Vertex{});
        for (Vertex& v : k.vertices) {
            v.p = Vector3F{f32(), f32(), f32()};
            v.normal = i32();
            if (v.normal < 0 || v.normal >= kUnitNormalCount || !std::isfinite(v.p.x) ||
                !std::isfinite(v.p.y) || !std::isfinite(v.p.z))
                return 0;
        }
    }
    texCoords.assign(nt, TexCoord{});
    for (TexCoord& t : texCoords) {
        t.u = f32();
        t.v = f32();
    }
    faces.assign(nf, Face{});
    for (Face& f : faces) {
        for (std::int32_t& v : f.v) {
            v = i32();
            if (v < 0 || v >= static_cast<std::int32_t>(nv)) return 0;
        }
        for (std::int32_t& t : f.t) {
            t = i32();
            if (nt == 0 ? t != 0 : (t < 0 || t >= static_cast<std::int32_t>(nt))) return 0;
        }
        f.material = i32();
        f.word = u32();
    }
    versionWord = word;
    fnVertices = static_cast<std::int32_t>(nv);
    current = keyframes.empty() ? -1 : 0;
    return 1;
}

int TSAnimMesh::write(core::StreamIO& stream, std::uint32_t version) const {
    int ok = writeU32(stream, versionWord);
    ok &= TSPartBase::write(stream, version);
    ok &= writeU32(stream, static_cast<std::uint32_t>(faces.size()));
    ok &= writeU32(stream, static_cast<std::uint32_t>(fnVertices));
    ok &= writeU32(stream, static_cast<std::uint32_t>(keyframes.size()));
    ok &= writeU32(stream, static_cast<std::uint32_t>(texCoords.size()));
    for (const Keyframe& k : keyframes) {
        ok &= writeF32(stream, k.duration);
        for (const Vertex& v : k.vertices) {
            ok &= writeF32(stream, v.p.x);
            ok &= writeF32(stream, v.p.y);
            ok &= writeF32(stream, v.p.z);
            ok &= writeI32(stream, v.normal);
        }
    }
    for (const TexCoord& t : texCoords) {
        ok &= writeF32(stream, t.u);
        ok &= writeF32(stream, t.v);
    }
    for (const Face& f : faces) {
        for (std::int32_t v : f.v)
            ok &= writeI32(stream, v);
        for (std::int32_t t : f.t)
            ok &= writeI32(stream, t);
        ok &= writeI32(stream, f.material);
        ok &= writeU32(stream, f.word);
    }
    return ok;
}

void TSAnimMesh::dump(int depth, int indent) const {
    TSPartBase::dump(depth, indent);
    if (depth <= 0) return;
    std::printf("%*cfnFaces: %d\n", indent, ' ', static_cast<int>(faces.size()));
    for (std::size_t i = 0; i < faces.size(); ++i) {
        const Face& f = faces[i];
        std::printf("%*cFace: %d Material: %d\n", indent, ' ', static_cast<int>(i), f.material);
        std::printf("%*c Verts: %d %d %d, Texts: %d %d %d\n", indent, ' ', f.v[0], f.v[1], f.v[2],
                    f.t[0], f.t[1], f.t[2]);
    }
    std::printf("%*cfnTextureCoords: %d\n", indent, ' ', static_cast<int>(texCoords.size()));
    for (std::size_t i = 0; i < texCoords.size(); ++i)
        std::printf("%*cT[%3d]: (%8f,%8f\n", indent, ' ', static_cast<int>(i),
                    static_cast<double>(texCoords[i].u), static_cast<double>(texCoords[i].v));
    std::printf("%*cfnKeyframes: %d  fnVertices: %d\n", indent, ' ', static_cast<int>(keyframes.size()),
                fnVertices);
    for (std::size_t k = 0; k < keyframes.size(); ++k) {
        std::printf("%*cKeyframe %d: duration: %8f\n", indent, ' ', static_cast<int>(k),
                    static_cast<double>(keyframes[k].duration));
        for (std::size_t i = 0; i < keyframes[k].vertices.size(); ++i) {
            const Vertex& v = keyframes[k].vertices[i];
            std::printf("%*cV[%3d]: (%8f,%8f,%8f) (%3d)\n", indent, ' ', static_cast<int>(i),
                        static_cast<double>(v.p.x), static_cast<double>(v.p.y),
                        static_cast<double>(v.p.z), v.normal);
        }
    }
}

}  // namespace ts
