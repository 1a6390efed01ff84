// The perspective camera of the 3D engine as the view controller uses it: a screen rectangle, a
// view window, near and far distances and the camera transform. This is its first, least body:
// it keeps what it is given; projection and clipping join it with the rest of the engine.
#pragma once

namespace ts {

struct CameraRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

struct CameraWindow {
    float left = 0.0f;
    float top = 0.0f;
    float right = 0.0f;
    float bottom = 0.0f;
};

// A rotation matrix (elements m00 m10 m01 m11 m20 m21 m02 m12 m22) followed by a translation.
struct CameraTransform {
    float m[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    float p[3] = {0, 0, 0};
};

class TSPerspectiveCamera {
public:
    TSPerspectiveCamera(const CameraRect& screen, const CameraWindow& window, float nearDist,
                        float farDist)
        : screen(screen), window(window), nearDist(nearDist), farDist(farDist) {}

    // The camera's placement in the world; the inverse is what the renderer draws through.
    void SetTransform(const CameraTransform& t);
    [[nodiscard]] const CameraTransform& GetTransform() const { return transform; }
    [[nodiscard]] const CameraTransform& GetInverse() const { return inverse; }
    [[nodiscard]] const CameraRect& GetScreen() const { return screen; }
    [[nodiscard]] const CameraWindow& GetWindow() const { return window; }
    [[nodiscard]] float GetNear() const { return nearDist; }
    [[nodiscard]] float GetFar() const { return farDist; }

private:
    CameraRect screen;
    CameraWindow window;
    float nearDist;
    float farDist;
    CameraTransform transform;
    CameraTransform inverse;
};

}  // namespace ts
