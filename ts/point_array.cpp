#include "ts/point_array.h"

#include <algorithm>
#include <cmath>

#include "core/numeric.h"

namespace ts {

namespace {

// The polygon routines take the depth as an integer, like every batch projection gives it.
void Project(TSCamera& camera, PointArray::Vertex& v) {
    camera.ProjectPoint(v.eye, &v.screen);
    v.screen.z = FloatToInt(v.eye.y);
}

}  // namespace

PointArray::PointArray(int cap)
    : capacity(std::max(cap, 0)),
      vertices(std::make_unique<Vertex[]>(static_cast<std::size_t>(capacity))),
      texOut(std::make_unique<gfx::GFXTexCoord[]>(static_cast<std::size_t>(capacity))),
      colourOut(std::make_unique<gfx::GFXColourTriple[]>(static_cast<std::size_t>(capacity))) {}

int PointArray::SetPoints(int count, const Vector3F* p, const gfx::GFXTexCoord* tex,
                          const gfx::GFXColourTriple* col) {
    if (count < 0 || count > capacity || (count > 0 && p == nullptr)) return 0;
    pointCount = count;
    points = p;
    texCoords = tex;
    colours = col;
    inUse = count;
    needsClipping = 0;
    for (int i = 0; i < count; ++i) {
        if (tex != nullptr) texOut[i] = tex[i];
        if (col != nullptr) colourOut[i] = col[i];
    }
    return 1;
}

bool PointArray::TransformAndProject() {
    TSCamera* camera = theCurrentCamera;
    needsClipping = 0;
    if (camera == nullptr) return false;
    const Transform3F& toEye = camera->GetModelToEye();
    const float n = camera->GetNear();
    bool anyInFront = false;
    for (int i = 0; i < pointCount; ++i) {
        Vertex& v = vertices[i];
        Transform3F::TransformPoint(points[i], toEye, &v.eye);
        if (v.eye.y >= n) {
            Project(*camera, v);
            v.behind = 0;
            anyInFront = true;
        } else {
            v.behind = 1;
            needsClipping = 1;
        }
    }
    return anyInFront;
}

int PointArray::BuildPolygon(int n, const std::int32_t* indices, const ScreenPoint** outPoints,
                             const gfx::GFXTexCoord** outTex,
                             const gfx::GFXColourTriple** outColours) {
    if (n < 3 || n > kMaxClipVertices || indices == nullptr || outPoints == nullptr) return 0;
    for (int k = 0; k < n; ++k)
        if (indices[k] < 0 || indices[k] >= pointCount) return 0;
    const bool withTex = outTex != nullptr && texCoords != nullptr;
    const bool withColour = outColours != nullptr && colours != nullptr;
    inUse = pointCount;
    if (needsClipping == 0) {
        for (int k = 0; k < n; ++k) {
            const int i = indices[k];
            outPoints[k] = &vertices[i].screen;
            if (withTex) outTex[k] = &texOut[i];
            if (withColour) outColours[k] = &colourOut[i];
        }
        return n;
    }
    TSCamera* camera = theCurrentCamera;
    if (camera == nullptr) return 0;
    const float nearPlane = camera->GetNear();
    int out = 0;
    auto emit = [&](int i) {
        if (out >= kMaxClipVertices) return false;
        outPoints[out] = &vertices[i].screen;
        if (withTex) outTex[out] = &texOut[i];
        if (withColour) outColours[out] = &colourOut[i];
        ++out;
        return true;
    };
    // Walk the edges from the last vertex round to the first: a vertex in front is kept, an
    // edge that crosses the near plane adds its crossing between its ends.
    int a = indices[n - 1];
    for (int k = 0; k < n; ++k) {
        const int b = indices[k];
        const Vertex& va = vertices[a];
        const Vertex& vb = vertices[b];
        if ((va.behind != 0) != (vb.behind != 0)) {
            if (inUse >= capacity) return 0;  // the crossings would pass the capacity
            const float t = (nearPlane - va.eye.y) / (vb.eye.y - va.eye.y);
            Vertex& c = vertices[inUse];
            c.eye = Vector3F{va.eye.x + t * (vb.eye.x - va.eye.x), nearPlane,
                             va.eye.z + t * (vb.eye.z - va.eye.z)};
            c.behind = 0;
            Project(*camera, c);
            if (withTex) {
                texOut[inUse].u = texOut[a].u + t * (texOut[b].u - texOut[a].u);
                texOut[inUse].v = texOut[a].v + t * (texOut[b].v - texOut[a].v);
            }
            if (withColour) {
                const gfx::GFXColourTriple& ca = colourOut[a];
                const gfx::GFXColourTriple& cb = colourOut[b];
                // Word by word, in double so that no colour value can overflow the sum.
                auto mix = [t](std::int32_t p, std::int32_t q) {
                    return core::ClampToInt32(std::nearbyint(
                        static_cast<double>(p) + t * (static_cast<double>(q) - p)));
                };
                colourOut[inUse] =
                    gfx::GFXColourTriple{mix(ca.r, cb.r), mix(ca.g, cb.g), mix(ca.b, cb.b)};
            }
            if (!emit(inUse++)) return 0;
        }
        if (vb.behind == 0 && !emit(b)) return 0;
        a = b;
    }
    return out >= 3 ? out : 0;
}

}  // namespace ts
