// The six-plane view frustum and the clipping of polygons against it: the terrain renderer clips
// its ground footprint with it, the cloud layers their decks. The planes are built along world
// axes round the eye; the frustum's origin says where that centre lies for the polygons clipped.
#pragma once

#include <cstdint>

#include "ts/maths.h"

namespace ts {

class TSPerspectiveCamera;

class ViewFrustum {
public:
    enum Plane { kNear = 0, kFar = 1, kTop = 2, kBottom = 3, kLeft = 4, kRight = 5 };
    // Mask bit 2^(k + 1) enables plane k.
    static constexpr std::uint32_t PlaneBit(int k) { return 1u << (k + 1); }

    ViewFrustum() = default;  // planes unset, margin and range 0, every plane enabled
    ViewFrustum(float range, float margin);
    // From the camera's eye transform and viewport: near through the point margin behind the
    // eye, far at depth range, the four sides through the eye's edge rays moved out by margin.
    ViewFrustum(const TSPerspectiveCamera& camera, const Vector3F& origin, float range,
                float margin);

    // Clips against the enabled planes (left, right, top, bottom, far, near); out needs
    // kMaxClipVertices places and must not alias in. 1 when anything is left.
    static int SplitPolygon(const ViewFrustum& frustum, const PolygonF& in, PolygonF* out);
    // The same against planes slid outward so that ground whose height lies in [low, high]
    // is kept: vertical planes stay, the others move by their normal's z times the band.
    static int SplitPolygonWidened(const ViewFrustum& frustum, const PolygonF& in, float low,
                                   float high, PolygonF* out);

    float margin = 0.0f;
    float range = 0.0f;
    std::uint32_t mask = 0xFFFFFFFFu;
    Vector3F origin;
    PlaneF planes[6];
};

}  // namespace ts
