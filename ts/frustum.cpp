#include "ts/frustum.h"

#include <cmath>

#include "ts/perspective_camera.h"

namespace ts {

namespace {

int ClipWithPlanes(const PlaneF (&planes)[6], std::uint32_t mask, const Vector3F& origin,
                   const PolygonF& in, PolygonF* out) {
    out->count = 0;
    if (in.count < 3 || in.count > kMaxClipVertices) return 0;
    Vector3F a[kMaxClipVertices], b[kMaxClipVertices], spare[kMaxClipVertices];
    for (int i = 0; i < in.count; ++i)
        a[i] = in.points[i] - origin;
    PolygonF current{in.count, a};
    PolygonF next{0, b};
    PolygonF back{0, spare};
    static constexpr int kOrder[6] = {ViewFrustum::kLeft,   ViewFrustum::kRight,
                                      ViewFrustum::kTop,    ViewFrustum::kBottom,
                                      ViewFrustum::kFar,    ViewFrustum::kNear};
    for (int k : kOrder) {
        if ((mask & ViewFrustum::PlaneBit(k)) == 0) continue;
        if (current.count < 3) return 0;
        SplitPolygonByPlane(planes[k], current, &next, &back);
        Vector3F* freed = current.points;
        current = next;
        next = PolygonF{0, freed};
    }
    if (current.count < 3) return 0;
    for (int i = 0; i < current.count; ++i)
        out->points[i] = current.points[i] + origin;
    out->count = current.count;
    return 1;
}

}  // namespace

ViewFrustum::ViewFrustum(float r, float g) : margin(g), range(r) {}

ViewFrustum::ViewFrustum(const TSPerspectiveCamera& camera, const Vector3F& o, float r, float g)
    : margin(g), range(r), origin(o) {
    // The inverse of the eye rotation carries eye-space vectors onto world axes.
    Transform3F eyeToWorld;
    eyeToWorld.matrix = camera.GetEyeTransform().matrix;
    Matrix3F::Transpose(&eyeToWorld.matrix);
    const CameraWindow& v = camera.GetViewport();
    const float d = camera.GetProjectionDistance();
    const float w = r * (v.right - v.left) / (2.0f * d);
    const float h = r * (v.top - v.bottom) / (2.0f * d);
    const Vector3F normals[6] = {{0, 1, 0},  {0, -1, 0}, {0, h, -r},
                                 {0, h, r},  {r, w, 0},  {-r, w, 0}};
    const Vector3F points[6] = {{0, -g, 0}, {0, r, 0}, {0, 0, g},
                                {0, 0, -g}, {-g, 0, 0}, {g, 0, 0}};
    for (int k = 0; k < 6; ++k) {
        Vector3F n, p;
        Transform3F::RotatePoint(normals[k], eyeToWorld, &n);
        Transform3F::RotatePoint(points[k], eyeToWorld, &p);
        planes[k] = PlaneF::FromPointNormal(p, n);
    }
    mask = 0xFFFFFFFFu;
}

int ViewFrustum::SplitPolygon(const ViewFrustum& f, const PolygonF& in, PolygonF* out) {
    return ClipWithPlanes(f.planes, f.mask, f.origin, in, out);
}

int ViewFrustum::SplitPolygonWidened(const ViewFrustum& f, const PolygonF& in, float low,
                                     float high, PolygonF* out) {
    PlaneF moved[6];
    for (int k = 0; k < 6; ++k) {
        moved[k] = f.planes[k];
        const float z = moved[k].n.z;
        if (z > 0.0f)
            moved[k].d += z * high;
        else if (z < 0.0f)
            // Slid outward by the band's low end too; taking its size keeps ground below sea
            // level (a negative low) inside instead of cutting it away.
            moved[k].d -= z * std::fabs(low);
    }
    return ClipWithPlanes(moved, f.mask, f.origin, in, out);
}

}  // namespace ts
