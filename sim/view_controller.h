// The camera and view controller: six view modes (four cockpit views, the orbiting SkyCam and the
// tower camera), nine look directions in the cockpit, four SkyCam presets that the camera flies
// between, and the "Views" section of settings and situations. Every frame it computes the eye
// and hands the transform to the 3D engine's perspective camera.
#pragma once

#include <cstdint>
#include <memory>

#include "ts/perspective_camera.h"
#include "ui/option_models.h"

namespace core {
class IniFile;
}

namespace sim {

enum ViewMode : int {
    kViewFullPanel = 0,
    kViewLowPanel = 1,
    kViewFramed = 2,
    kViewPlain = 3,
    kViewSkyCam = 4,
    kViewTowerCam = 5,
};

// One SkyCam placement: heading relative to the aircraft's (radians), distance, height offset,
// and three rotations.
struct SkyCamPreset {
    float heading = 0.0f;
    float distance = 0.0f;
    float altitude = 0.0f;
    float rotX = 0.0f;
    float rotY = 0.0f;
    float rotZ = 0.0f;
};

// What the view controller asks of the world, the scenery and the panel. The defaults describe
// flat ground at height 0, no tower anywhere, and a panel that only counts redraw requests.
struct ViewServices {
    float (*terrainHeightAt)(int x, int y);
    // The nearest airport tower's world position; 0 when none is near.
    int (*nearestTower)(double out[3]);
    // World position to the scene frame the eye lives in.
    void (*worldToScene)(const double world[3], float out[3]);
    void (*invalidateAllGauges)();
    void (*requestRedraw)();
};
extern ViewServices theViewServices;
[[nodiscard]] ViewServices DefaultViewServices();
// How often the default services were asked to redraw (tests and headless runs).
extern std::uint32_t theViewRedrawRequests;
// The panel's first-frame flag, cleared when a panel view is applied.
extern std::uint32_t thePanelFirstFrame;

class ViewController final : public ui::DialogCameras {
public:
    static constexpr int kPresets = 4;

    ViewController();
    ~ViewController();
    ViewController(const ViewController&) = delete;
    ViewController& operator=(const ViewController&) = delete;

    void ResetPresets();
    void SetViewMode(int mode);
    [[nodiscard]] int GetViewMode() const { return viewMode; }
    [[nodiscard]] int GetPreviousMode() const { return previousMode; }
    void SetLookDirection(int direction);
    [[nodiscard]] int GetLookDirection() const { return lookDirection; }
    [[nodiscard]] bool InCamera() const {
        return viewMode == kViewSkyCam || viewMode == kViewTowerCam;
    }
    void CycleCockpitView();
    void EnterSkyCam(int preset) override;
    void NextSkyCamPreset();
    void EnterTowerCam() override;
    void LeaveCamera();
    void SetSkyCamPreset(int index);
    [[nodiscard]] int GetSkyCamPreset() const override { return presetIndex; }
    void SetPanCamera(int on) override { panCamera = on != 0 ? 1 : 0; }
    [[nodiscard]] int GetPanCamera() const override { return static_cast<int>(panCamera); }

    void ApplyView();
    void RebuildCamera();
    // Eye position and angles {pitch, bank, heading} of the current mode.
    void ComputeEye(float eye[3], float angles[3]);
    void ComputeCockpitEye(float eye[3], float angles[3]) const;
    void ComputeSkyCamEye(float eye[3], float angles[3]);
    void ComputeTowerEye(float eye[3], float angles[3]);
    void UpdateCamera(const float eye[3], const float angles[3]);
    // One frame: eye, then camera.
    void Frame();
    [[nodiscard]] float GetCameraHeading() const;

    int LoadViewSettings(core::IniFile& file);
    int SaveViewSettings(core::IniFile& file) const;

    [[nodiscard]] const SkyCamPreset& Preset(int i) const { return presets[i & 3]; }
    void SetPreset(int i, const SkyCamPreset& p) { presets[i & 3] = p; }

    // The camera set-up dialog's view of the cameras.
    [[nodiscard]] bool InTowerCam() const override { return viewMode == kViewTowerCam; }
    [[nodiscard]] ui::CameraPlace ReadCamera(int index) const override {
        const SkyCamPreset& p = Preset(index);
        return ui::CameraPlace{p.heading, p.distance, p.altitude};
    }
    void PlaceCamera(int index, const ui::CameraPlace& place) override {
        SkyCamPreset p;
        p.heading = place.heading;
        p.distance = place.distance;
        p.altitude = place.altitude;
        SetPreset(index, p);
    }
    void StoreCameraSettings() override;
    [[nodiscard]] const SkyCamPreset& Current() const { return current; }
    [[nodiscard]] const SkyCamPreset& Target() const { return target; }
    [[nodiscard]] float GetPitchOffset() const { return pitchOffset; }
    [[nodiscard]] float GetYawOffset() const { return yawOffset; }
    [[nodiscard]] const ts::TSPerspectiveCamera* Camera() const { return camera.get(); }
    [[nodiscard]] ts::TSPerspectiveCamera* Camera() { return camera.get(); }
    // The eye's placement of the last frame (eye to world): rotation and the eye's position.
    [[nodiscard]] const ts::Transform3F& LastTransform() const { return lastTransform; }
    // 1 when the last UpdateCamera changed the transform the draw code used before.
    [[nodiscard]] bool CameraChanged() const { return cameraChanged; }

private:
    void SetLookOffsets(int direction);

    std::unique_ptr<ts::TSPerspectiveCamera> camera;
    std::uint32_t panCamera = 1;
    int viewMode = 0;
    int previousMode = 0;
    int lookDirection = 0;
    SkyCamPreset presets[kPresets];
    int presetIndex = 0;
    SkyCamPreset current;
    SkyCamPreset target;
    float pitchOffset = 0.0f;
    float rollOffset = 0.0f;
    float yawOffset = 0.0f;
    ts::Transform3F lastTransform;
    bool cameraChanged = false;
};

// The program's view controller (the world reaches it through here).
extern ViewController theViewController;

// The runner's report fields of the view: "view", "eye_x/y/z", "ac_x/y/z" (scene units) and
// "cam_heading", "cam_pitch", "cam_bank" (degrees).
void RegisterViewReportFields();

}  // namespace sim
