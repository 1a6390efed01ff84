// The engine's camera. The engine moves the camera instead of the vertices: the view controller
// writes the eye transform (world to eye) each frame and activates the camera; every drawn object
// then hands it its own model-to-world transform (SetTransform) and maps its vertices to the
// screen from model coordinates. Shapes, terrain, clouds, the sky and shadows all reach the
// screen through theCurrentCamera.
#pragma once

#include <cstdint>

#include "gfx/surface_types.h"
#include "ts/maths.h"

namespace ts {

class TSPartBase;

// Cull codes of the sphere test, passed down the part tree: 0 wholly inside, 1 outside,
// 2 crosses the near plane, 4 crosses a side plane (or-ed), 8 not yet tested.
enum CullCode : int {
    kCullInside = 0,
    kCullOutside = 1,
    kCullNear = 2,
    kCullSide = 4,
    kCullUntested = 8,
};

// Answers of TestFacing.
inline constexpr int kFacingToward = 16;
inline constexpr int kFacingAway = 32;

struct CameraRect {  // screen pixels, y growing downward
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

struct CameraWindow {  // on the projection plane at distance D, z up (top > bottom)
    float left = 0.0f;
    float top = 0.0f;
    float right = 0.0f;
    float bottom = 0.0f;
};

// The eye's placement as position and Euler angles, rebuilt into a transform when dirty.
struct TSContext {
    Transform3F transform;
    std::uint32_t dirty = 1;
    Vector3F position;
    Vector3F angles;  // radians
};

// A point on a face and the face's normal.
struct TSFace {
    Vector3F point;
    Vector3F normal;
};

// Screen points are the graphics layer's: x, y in 1 / 2^shift pixels, z the depth rounded to an
// integer, w the inverse depth. ProjectPoint keeps the depth as a float instead; DepthOf reads it.
using ScreenPoint = gfx::GFXScreenPoint;
[[nodiscard]] float DepthOf(const ScreenPoint& p);

class TSCamera {
public:
    static constexpr int kTransformCacheSize = 51;

    TSCamera(const CameraRect& screen, const CameraWindow& viewport, float nearDistance,
             int hasEyeContext);
    virtual ~TSCamera();
    TSCamera(const TSCamera&) = delete;
    TSCamera& operator=(const TSCamera&) = delete;

    // Sets the draw target's clip rectangle to the screen rectangle (keeping the old one in
    // theSavedClipRect), rebuilds the eye transform from the eye context when there is one,
    // computes the scales from the target's coordinate shift and becomes theCurrentCamera.
    virtual void Activate();
    virtual void ProjectPoints(int count, const Vector3F* eyePoints, ScreenPoint* out) = 0;
    virtual void ProjectPointsFixed(int count, const Point3I* eyePoints, ScreenPoint* out) = 0;
    virtual ScreenPoint* ProjectPoint(const Vector3F& eyePoint, ScreenPoint* out) = 0;
    virtual ScreenPoint* ProjectPointFixed(const Point3I& eyePoint, ScreenPoint* out) = 0;
    virtual float ProjectLength(float length, float depth) = 0;
    virtual float ProjectLengthFixed(std::int32_t length, std::int32_t depth) = 0;
    // Model points to screen points; strides in bytes. Without clip flags no near test is made
    // and eyeOut is not written; with them each point behind the near plane gets flag 1, keeps
    // its screen point unwritten and sets *anyClipped.
    virtual void WorldToScreenPoints(int count, const Vector3F* points, Vector3F* eyeOut,
                                     ScreenPoint* screenOut, int pointStride, int eyeStride,
                                     int screenStride, std::uint32_t* clipFlags,
                                     std::uint32_t* anyClipped) = 0;
    virtual void WorldToScreenPointsFixed(int count, const Point3I* points, Vector3F* eyeOut,
                                          ScreenPoint* screenOut, int pointStride, int eyeStride,
                                          int screenStride, std::uint32_t* clipFlags,
                                          std::uint32_t* anyClipped) = 0;
    virtual ScreenPoint* WorldToScreen(const Vector3F& point, ScreenPoint* out) = 0;
    virtual ScreenPoint* WorldToScreenFixed(const Point3I& point, ScreenPoint* out) = 0;
    virtual int TestSphere(const Vector3F& centre, float radius) = 0;
    virtual int TestSphereFixed(const Point3I& centre, std::int32_t radius) = 0;
    virtual int TestFacing(const TSFace& face) = 0;
    virtual int TestPointOnScreen(const Vector3F& point) = 0;
    virtual int TestPointOnScreenFixed(const Point3I& point) = 0;

    // The placement of the object about to be drawn (identity for world geometry).
    void SetTransform(const Transform3F& modelToWorld);

    // The per-part transform cache: node transforms of a shape, indexed by a part's transform
    // index. Without a table every part uses the object's own placement.
    void BeginTransformCache(const Transform3F* transforms, int count);
    void SelectPartTransform(const TSPartBase& part);
    void SelectPartTransform(std::int32_t transformIndex);
    void EndTransformCache();

    void SetEyeTransform(const Transform3F& worldToEye) { eyeTransform = worldToEye; }
    [[nodiscard]] const Transform3F& GetEyeTransform() const { return eyeTransform; }
    [[nodiscard]] const Transform3F& GetModelToEye() const { return modelToEye; }
    [[nodiscard]] const Transform3F& GetModelToWorld() const { return modelToWorld; }
    [[nodiscard]] const Transform3F& GetModelToScreen() const { return modelToScreen; }
    [[nodiscard]] const Vector3F& GetEyePosition() const { return eyePosition; }
    [[nodiscard]] bool IsPositionValid() const { return positionValid != 0; }
    TSContext& EyeContext() { return context; }
    [[nodiscard]] const CameraRect& GetScreenRect() const { return screen; }
    [[nodiscard]] const CameraWindow& GetViewport() const { return viewport; }
    void SetScreenRect(const CameraRect& r) { screen = r; }
    void SetViewport(const CameraWindow& w) { viewport = w; }
    [[nodiscard]] float GetNear() const { return nearDistance; }
    [[nodiscard]] float GetScaleX() const { return scaleX; }
    [[nodiscard]] float GetScaleY() const { return scaleY; }
    [[nodiscard]] float GetCentreX() const { return centreX; }
    [[nodiscard]] float GetCentreY() const { return centreY; }
    // Screen units per pixel (2 to the draw target's coordinate shift) at the last activation.
    [[nodiscard]] float GetSubPixelScale() const { return subPixel; }

protected:
    Transform3F eyeTransform;
    Transform3F projection;  // diagonal (x scale, 1, y scale)
    Transform3F modelToEye;
    Transform3F modelToWorld;
    Transform3F modelToScreen;
    Vector3F eyePosition;
    std::uint32_t positionValid = 0;
    TSContext context;
    std::uint32_t hasContext = 0;
    float scaleX = 1.0f;
    float depthScale = 1.0f;
    float scaleY = 1.0f;
    float centreX = 0.0f;
    float centreY = 0.0f;
    CameraRect screen;
    CameraWindow viewport;
    float nearDistance = 0.0f;
    float subPixel = 1.0f;

private:
    struct CacheEntry {
        Transform3F modelToEye;
        Transform3F modelToWorld;
        Transform3F modelToScreen;
        Vector3F eyePosition;
        std::uint32_t computed = 0;
    };
    void StoreEntry(int e);
    void LoadEntry(int e);
    void DropTransformCache();

    const Transform3F* cacheTable = nullptr;
    int cacheCount = 0;
    Transform3F cacheBase;
    int cacheCurrent = 0;
    CacheEntry cache[kTransformCacheSize];
};

class TSPerspectiveCamera final : public TSCamera {
public:
    TSPerspectiveCamera(const CameraRect& screen, const CameraWindow& viewport, float nearDistance,
                        float projectionDistance, int hasEyeContext = 0);

    void Activate() override;
    void ProjectPoints(int count, const Vector3F* eyePoints, ScreenPoint* out) override;
    void ProjectPointsFixed(int count, const Point3I* eyePoints, ScreenPoint* out) override;
    ScreenPoint* ProjectPoint(const Vector3F& eyePoint, ScreenPoint* out) override;
    ScreenPoint* ProjectPointFixed(const Point3I& eyePoint, ScreenPoint* out) override;
    float ProjectLength(float length, float depth) override;
    float ProjectLengthFixed(std::int32_t length, std::int32_t depth) override;
    void WorldToScreenPoints(int count, const Vector3F* points, Vector3F* eyeOut,
                             ScreenPoint* screenOut, int pointStride, int eyeStride,
                             int screenStride, std::uint32_t* clipFlags,
                             std::uint32_t* anyClipped) override;
    void WorldToScreenPointsFixed(int count, const Point3I* points, Vector3F* eyeOut,
                                  ScreenPoint* screenOut, int pointStride, int eyeStride,
                                  int screenStride, std::uint32_t* clipFlags,
                                  std::uint32_t* anyClipped) override;
    ScreenPoint* WorldToScreen(const Vector3F& point, ScreenPoint* out) override;
    ScreenPoint* WorldToScreenFixed(const Point3I& point, ScreenPoint* out) override;
    int TestSphere(const Vector3F& centre, float radius) override;
    int TestSphereFixed(const Point3I& centre, std::int32_t radius) override;
    int TestFacing(const TSFace& face) override;
    int TestPointOnScreen(const Vector3F& point) override;
    int TestPointOnScreenFixed(const Point3I& point) override;

    [[nodiscard]] float GetProjectionDistance() const { return distance; }
    // The side-plane normals (a, b), unit length: left and right apply as a x + b y, top and
    // bottom as a z + b y; positive inside.
    struct SideNormal {
        float a = 0.0f;
        float b = 0.0f;
    };
    [[nodiscard]] const SideNormal& Side(int i) const { return sides[i & 3]; }
    enum { kLeft = 0, kRight = 1, kTop = 2, kBottom = 3 };

private:
    void ProjectOne(const Vector3F& screenSpace, ScreenPoint* out) const;

    float distance;
    SideNormal sides[4];
};

// The camera everything draws through in this frame; null before the first activation and
// after the activated camera is destroyed.
extern TSCamera* theCurrentCamera;
// The draw target's clip rectangle as it was before the last activation.
extern gfx::GFXRect theSavedClipRect;

}  // namespace ts
