#include "ts/perspective_camera.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "gfx/surface.h"
#include "ts/light_set.h"
#include "ts/part_tree.h"

namespace ts {

TSCamera* theCurrentCamera = nullptr;
gfx::GFXRect theSavedClipRect;

float DepthOf(const ScreenPoint& p) {
    return std::bit_cast<float>(p.z);
}

// ---- TSCamera -------------------------------------------------------------------------------

TSCamera::TSCamera(const CameraRect& screenRect, const CameraWindow& viewportRect,
                   float nearDist, int hasEyeContext)
    : screen(screenRect), viewport(viewportRect), nearDistance(nearDist) {
    hasContext = hasEyeContext != 0 ? 1 : 0;
    projection.matrix.kind = Matrix3F::kGeneral;
}

TSCamera::~TSCamera() {
    if (theCurrentCamera == this) theCurrentCamera = nullptr;
}

void TSCamera::Activate() {
    gfx::GFXDrawTarget* target = gfx::theCurrentDrawTarget;
    int shift = 0;
    if (target != nullptr) {
        if (target->surface != nullptr) {
            theSavedClipRect = target->surface->clipRect;
            target->surface->clipRect =
                gfx::GFXRect{screen.left, screen.top, screen.right, screen.bottom};
        }
        // More sub-pixel bits than a float can carry usefully would only lose the picture.
        shift = std::clamp(static_cast<int>(target->coordinateShift & 0xFF), 0, 16);
    }
    if (hasContext != 0) {
        if (context.dirty != 0) {
            context.transform.t = context.position;
            Matrix3F::SetEulerAngles(context.angles, &context.transform.matrix);
            context.dirty = 0;
        }
        Transform3F::InvertRigid(context.transform, &eyeTransform);
    }
    subPixel = static_cast<float>(1 << shift);
    const float s = subPixel;
    scaleX = s * static_cast<float>(screen.right - screen.left) / (viewport.right - viewport.left);
    depthScale = 1.0f;
    scaleY = s * static_cast<float>(screen.top - screen.bottom) / (viewport.bottom - viewport.top);
    // The screen's corner counts in the same sub-pixel units as the scales.
    centreX = s * static_cast<float>(screen.left) - scaleX * viewport.left;
    centreY = s * static_cast<float>(screen.top) + scaleY * viewport.top;
    theCurrentCamera = this;
    positionValid = 0;
    DropTransformCache();
}

void TSCamera::SetTransform(const Transform3F& m2w) {
    projection.matrix.SetIdentity();
    projection.matrix.m[0] = scaleX;
    projection.matrix.m[3] = depthScale;
    projection.matrix.m[8] = scaleY;
    projection.matrix.kind = Matrix3F::kGeneral;
    projection.t = Vector3F{};
    modelToWorld = m2w;
    Transform3F::Compose(modelToWorld, eyeTransform, &modelToEye);
    Transform3F::Compose(modelToEye, projection, &modelToScreen);
    Transform3F inverse;
    Transform3F::InvertRigid(modelToEye, &inverse);
    eyePosition = inverse.t;
    positionValid = 1;
    if (theActiveLightSet != nullptr) theActiveLightSet->CaptureCamera();
}

void TSCamera::StoreEntry(int e) {
    CacheEntry& c = cache[e];
    c.modelToEye = modelToEye;
    c.modelToWorld = modelToWorld;
    c.modelToScreen = modelToScreen;
    c.eyePosition = eyePosition;
    c.computed = 1;
}

void TSCamera::LoadEntry(int e) {
    const CacheEntry& c = cache[e];
    modelToEye = c.modelToEye;
    modelToWorld = c.modelToWorld;
    modelToScreen = c.modelToScreen;
    eyePosition = c.eyePosition;
    positionValid = 1;
}

void TSCamera::DropTransformCache() {
    cacheTable = nullptr;
    cacheCount = 0;
    cacheCurrent = 0;
    for (CacheEntry& c : cache)
        c.computed = 0;
}

void TSCamera::BeginTransformCache(const Transform3F* transforms, int count) {
    DropTransformCache();
    cacheTable = transforms;
    cacheCount = transforms != nullptr ? std::clamp(count, 0, kTransformCacheSize - 1) : 0;
    StoreEntry(0);
    cacheBase = modelToWorld;
}

void TSCamera::SelectPartTransform(const TSPartBase& part) {
    SelectPartTransform(part.fTransform);
}

void TSCamera::SelectPartTransform(std::int32_t transformIndex) {
    // An index without a table entry behind it (no table installed, or out of the table's
    // range) is the object's own placement.
    int e = transformIndex + 1;
    if (cacheTable == nullptr || transformIndex < 0 || transformIndex >= cacheCount) e = 0;
    if (e == cacheCurrent) return;
    if (cache[e].computed != 0) {
        LoadEntry(e);
    } else {
        Transform3F placed;
        Transform3F::Compose(cacheTable[e - 1], cacheBase, &placed);
        SetTransform(placed);
        StoreEntry(e);
    }
    cacheCurrent = e;
}

void TSCamera::EndTransformCache() {
    if (cacheCurrent != 0 && cache[0].computed != 0) LoadEntry(0);
    cacheCurrent = 0;
    cacheTable = nullptr;
    cacheCount = 0;
}

// ---- TSPerspectiveCamera --------------------------------------------------------------------

TSPerspectiveCamera::TSPerspectiveCamera(const CameraRect& screenRect,
                                         const CameraWindow& viewportRect, float nearDist,
                                         float projectionDistance, int hasEyeContext)
    : TSCamera(screenRect, viewportRect, nearDist, hasEyeContext), distance(projectionDistance) {}

void TSPerspectiveCamera::Activate() {
    TSCamera::Activate();
    scaleX *= distance;
    scaleY *= distance;
    const float raw[4][2] = {{distance, -viewport.left},
                             {-distance, viewport.right},
                             {-distance, viewport.top},
                             {distance, -viewport.bottom}};
    for (int i = 0; i < 4; ++i) {
        const float length = std::sqrt(raw[i][0] * raw[i][0] + raw[i][1] * raw[i][1]);
        const float k = length > 0.0f ? 1.0f / length : 0.0f;
        sides[i] = SideNormal{raw[i][0] * k, raw[i][1] * k};
    }
}

void TSPerspectiveCamera::ProjectOne(const Vector3F& s, ScreenPoint* out) const {
    const float inverse = 1.0f / s.y;
    out->x = FloatToInt(s.x * inverse + centreX);
    out->y = FloatToInt(centreY - s.z * inverse);
    out->z = FloatToInt(s.y);
    out->w = inverse;
}

void TSPerspectiveCamera::ProjectPoints(int count, const Vector3F* eyePoints, ScreenPoint* out) {
    const float sx = scaleX, sy = scaleY, cx = centreX, cy = centreY;
    for (int i = 0; i < count; ++i) {
        const Vector3F& p = eyePoints[i];
        const float inverse = 1.0f / p.y;
        out[i].x = FloatToInt(p.x * inverse * sx + cx);
        out[i].y = FloatToInt(cy - p.z * inverse * sy);
        out[i].z = FloatToInt(p.y);
        out[i].w = inverse;
    }
}

void TSPerspectiveCamera::ProjectPointsFixed(int count, const Point3I* eyePoints,
                                             ScreenPoint* out) {
    for (int i = 0; i < count; ++i) {
        const Vector3F p{static_cast<float>(eyePoints[i].x), static_cast<float>(eyePoints[i].y),
                         static_cast<float>(eyePoints[i].z)};
        ProjectPoints(1, &p, &out[i]);
    }
}

ScreenPoint* TSPerspectiveCamera::ProjectPoint(const Vector3F& p, ScreenPoint* out) {
    const float inverse = 1.0f / p.y;
    out->x = FloatToInt(p.x * inverse * scaleX + centreX);
    out->y = FloatToInt(centreY - p.z * inverse * scaleY);
    out->z = std::bit_cast<std::int32_t>(p.y);
    out->w = inverse;
    return out;
}

ScreenPoint* TSPerspectiveCamera::ProjectPointFixed(const Point3I& p, ScreenPoint* out) {
    const Vector3F f{static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z)};
    ProjectPoints(1, &f, out);
    return out;
}

float TSPerspectiveCamera::ProjectLength(float length, float depth) {
    return std::max(scaleX, scaleY) * length / depth;
}

float TSPerspectiveCamera::ProjectLengthFixed(std::int32_t length, std::int32_t depth) {
    return ProjectLength(static_cast<float>(length), static_cast<float>(depth));
}

namespace {

template <typename T>
const T& At(const T* base, int i, int stride) {
    return *reinterpret_cast<const T*>(reinterpret_cast<const std::uint8_t*>(base) +
                                       static_cast<std::ptrdiff_t>(i) * stride);
}
template <typename T>
T& At(T* base, int i, int stride) {
    return *reinterpret_cast<T*>(reinterpret_cast<std::uint8_t*>(base) +
                                 static_cast<std::ptrdiff_t>(i) * stride);
}

Vector3F ToFloat(const Point3I& p) {
    return {static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z)};
}

}  // namespace

void TSPerspectiveCamera::WorldToScreenPoints(int count, const Vector3F* points,
                                              Vector3F* eyeOut, ScreenPoint* screenOut,
                                              int pointStride, int eyeStride, int screenStride,
                                              std::uint32_t* clipFlags,
                                              std::uint32_t* anyClipped) {
    const float* e = modelToScreen.matrix.m;
    const Vector3F t = modelToScreen.t;
    const float cx = centreX, cy = centreY;
    if (clipFlags == nullptr) {
        // Geometry known to lie in front: a straight loop, one transform and one division.
        for (int i = 0; i < count; ++i) {
            const Vector3F& p = At(points, i, pointStride);
            const float X = e[0] * p.x + e[2] * p.y + e[6] * p.z + t.x;
            const float Y = e[1] * p.x + e[3] * p.y + e[7] * p.z + t.y;
            const float Z = e[4] * p.x + e[5] * p.y + e[8] * p.z + t.z;
            const float inverse = 1.0f / Y;
            ScreenPoint& o = At(screenOut, i, screenStride);
            o.x = FloatToInt(X * inverse + cx);
            o.y = FloatToInt(cy - Z * inverse);
            o.z = FloatToInt(Y);
            o.w = inverse;
        }
        return;
    }
    const float n = nearDistance;
    for (int i = 0; i < count; ++i) {
        const Vector3F& p = At(points, i, pointStride);
        Vector3F& s = At(eyeOut, i, eyeStride);
        s.x = e[0] * p.x + e[2] * p.y + e[6] * p.z + t.x;
        s.y = e[1] * p.x + e[3] * p.y + e[7] * p.z + t.y;
        s.z = e[4] * p.x + e[5] * p.y + e[8] * p.z + t.z;
        if (s.y >= n) {
            ProjectOne(s, &At(screenOut, i, screenStride));
            clipFlags[i] = 0;
        } else {
            clipFlags[i] = 1;
            if (anyClipped != nullptr) *anyClipped = 1;
        }
    }
}

void TSPerspectiveCamera::WorldToScreenPointsFixed(int count, const Point3I* points,
                                                   Vector3F* eyeOut, ScreenPoint* screenOut,
                                                   int pointStride, int eyeStride,
                                                   int screenStride, std::uint32_t* clipFlags,
                                                   std::uint32_t* anyClipped) {
    for (int i = 0; i < count; ++i) {
        const Vector3F p = ToFloat(At(points, i, pointStride));
        WorldToScreenPoints(1, &p, eyeOut != nullptr ? &At(eyeOut, i, eyeStride) : nullptr,
                            &At(screenOut, i, screenStride), 0, 0, 0,
                            clipFlags != nullptr ? &clipFlags[i] : nullptr, anyClipped);
    }
}

ScreenPoint* TSPerspectiveCamera::WorldToScreen(const Vector3F& point, ScreenPoint* out) {
    Vector3F s;
    Transform3F::TransformPoint(point, modelToScreen, &s);
    ProjectOne(s, out);
    return out;
}

ScreenPoint* TSPerspectiveCamera::WorldToScreenFixed(const Point3I& point, ScreenPoint* out) {
    return WorldToScreen(ToFloat(point), out);
}

int TSPerspectiveCamera::TestSphere(const Vector3F& centre, float r) {
    Vector3F c;
    Transform3F::TransformPoint(centre, modelToEye, &c);
    // A centre or radius that is not a number lies nowhere: nothing is drawn.
    if (!(c.x == c.x && c.y == c.y && c.z == c.z && r == r)) return kCullOutside;
    const float n = nearDistance;
    if (c.y + r < n) return kCullOutside;
    int result = c.y - r < n ? kCullNear : kCullInside;
    const float values[4] = {sides[kLeft].a * c.x + sides[kLeft].b * c.y,
                             sides[kRight].a * c.x + sides[kRight].b * c.y,
                             sides[kBottom].a * c.z + sides[kBottom].b * c.y,
                             sides[kTop].a * c.z + sides[kTop].b * c.y};
    for (float v : values) {
        if (v < -r) return kCullOutside;
        if (v < r) result |= kCullSide;
    }
    return result;
}

int TSPerspectiveCamera::TestSphereFixed(const Point3I& centre, std::int32_t radius) {
    return TestSphere(ToFloat(centre), static_cast<float>(radius));
}

int TSPerspectiveCamera::TestFacing(const TSFace& face) {
    return Dot(eyePosition - face.point, face.normal) >= 0.0f ? kFacingToward : kFacingAway;
}

int TSPerspectiveCamera::TestPointOnScreen(const Vector3F& point) {
    Vector3F e;
    Transform3F::TransformPoint(point, modelToEye, &e);
    if (!(e.y > nearDistance)) return 1;
    if (e.y == 0.0f) e.y = 1.0f;
    ScreenPoint p;
    ProjectPoint(e, &p);
    // The margin is 3 pixels, in the target's sub-pixel units; sums are wide so that a wild
    // coordinate cannot overflow.
    const std::int64_t m = static_cast<std::int64_t>(3.0f * subPixel);
    const std::int64_t s = static_cast<std::int64_t>(subPixel);
    const std::int64_t L = screen.left * s, T = screen.top * s, R = screen.right * s,
                       B = screen.bottom * s;
    const std::int64_t px = p.x, py = p.y;
    if (px + m < L || py + m < T || px - m > R || py - m > B) return 1;
    if (px + m < R && py + m < B && px - m > L && py - m > T) return 0;
    return 4;
}

int TSPerspectiveCamera::TestPointOnScreenFixed(const Point3I& point) {
    return TestPointOnScreen(ToFloat(point));
}

}  // namespace ts
