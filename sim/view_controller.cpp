#include "sim/view_controller.h"

#include <cmath>
#include <cstdio>

#include "cockpit/cockpit_services.h"
#include "cockpit/panel_redraw.h"
#include "core/ini_file.h"
#include "flight/aircraft.h"
#include "sim/sim_world.h"

namespace sim {

namespace {

constexpr float kTwoPi = 6.2831853f;
constexpr float kOneDegree = 0.01745329f;
constexpr float kLookDownRise = 3.878788f;
constexpr float kLowestEyeAboveGround = 6.0f;
constexpr float kTowerHeight = 80.0f;
constexpr const char* kSection = "Views";

// The default presets as stored integers {altitude, distance, heading} x 10000.
constexpr int kDefaultPresets[4][3] = {
    {0, 1000000, 0},
    {200000, 1500000, -785},
    {-100000, 1000000, -23562},
    {0, 1200000, -33161},
};

// Yaw offsets of look directions 1 to 7, 45 degrees a step.
constexpr float kLookYaw[8] = {0.0f,       0.7853981f, 1.5707963f, 2.3561945f,
                               3.1415925f, 3.9269907f, 4.712389f,  5.497787f};

bool IsCockpitMode(int mode) {
    return mode >= kViewFullPanel && mode <= kViewPlain;
}

float FlatGround(int, int) {
    return 0.0f;
}
int NoTower(double*) {
    return 0;
}
void ViewControllerWorldToScene(const double world[3], float out[3]) {
    // The scene frame is the world frame moved to the terrain window; the aircraft's own scene
    // position tells the offset.
    double aircraftWorld[3];
    float aircraftScene[3];
    flight::GetAircraftWorldPosition(aircraftWorld);
    flight::theAircraft.GetScenePosition(aircraftScene);
    for (int i = 0; i < 3; ++i)
        out[i] = static_cast<float>(world[i] - aircraftWorld[i] + aircraftScene[i]);
}
void InvalidateGauges() {
    cockpit::InvalidateAllGauges();
}
// The world's redraw request: the panel colours follow the view and the look direction, so the
// palette reads them again.
void CountRedraw() {
    ++theViewRedrawRequests;
    theSimWorld.MarkPaletteDirty();
}

SkyCamPreset PresetFromTable(int i) {
    SkyCamPreset p;
    p.altitude = static_cast<float>(kDefaultPresets[i][0]) * 0.0001f;
    p.distance = static_cast<float>(kDefaultPresets[i][1]) * 0.0001f;
    p.heading = static_cast<float>(kDefaultPresets[i][2]) * 0.0001f;
    return p;
}

// Float to the stored integer, truncated, kept inside 32 bits.
std::int32_t Stored(float v) {
    const double scaled = static_cast<double>(v) * 10000.0;
    if (!(scaled == scaled)) return 0;
    if (scaled >= 2147483647.0) return 2147483647;
    if (scaled <= -2147483648.0) return -2147483647 - 1;
    return static_cast<std::int32_t>(scaled);
}

}  // namespace

std::uint32_t theViewRedrawRequests = 0;
std::uint32_t thePanelFirstFrame = 1;

ViewServices DefaultViewServices() {
    return ViewServices{&FlatGround, &NoTower, &ViewControllerWorldToScene, &InvalidateGauges,
                        &CountRedraw};
}
ViewServices theViewServices = DefaultViewServices();

ViewController theViewController;

ViewController::ViewController() {
    ResetPresets();
}

ViewController::~ViewController() = default;

void ViewController::ResetPresets() {
    for (int i = 0; i < kPresets; ++i)
        presets[i] = PresetFromTable(i);
    panCamera = 1;
    presetIndex = 0;
    viewMode = kViewFullPanel;
    lookDirection = 0;
    pitchOffset = rollOffset = yawOffset = 0.0f;
    current = target = presets[0];
}

void ViewController::SetLookOffsets(int direction) {
    rollOffset = 0.0f;
    if (direction == 0) {
        pitchOffset = 0.04363323f;  // 2.5 degrees up: the horizon sits toward the panel
        yawOffset = 0.0f;
    } else if (direction == 8) {
        pitchOffset = 4.712389f;
        yawOffset = 0.0f;
    } else {
        pitchOffset = 0.0f;
        yawOffset = kLookYaw[direction];
    }
}

void ViewController::SetViewMode(int mode) {
    if (mode == viewMode || mode < kViewFullPanel || mode > kViewTowerCam) return;
    if (mode == kViewSkyCam) {
        EnterSkyCam(-1);
    } else if (mode == kViewTowerCam) {
        EnterTowerCam();
    } else {
        if (IsCockpitMode(viewMode)) previousMode = viewMode;
        viewMode = mode;
    }
    ApplyView();
}

void ViewController::SetLookDirection(int direction) {
    if (InCamera() || direction < 0 || direction > 8) return;
    SetLookOffsets(direction);
    lookDirection = direction;
    ApplyView();
}

void ViewController::CycleCockpitView() {
    if (!IsCockpitMode(viewMode) || lookDirection != 0) return;
    switch (viewMode) {
        case kViewFullPanel:
            viewMode = flight::theAircraft.HasLowPanel() ? kViewLowPanel : kViewFramed;
            break;
        case kViewLowPanel:
            viewMode = kViewFramed;
            break;
        case kViewFramed:
            viewMode = kViewPlain;
            break;
        default:
            viewMode = kViewFullPanel;
            break;
    }
    ApplyView();
}

void ViewController::EnterSkyCam(int preset) {
    if (preset >= 0 && preset < kPresets) {
        presetIndex = preset;
        current = target = presets[presetIndex];
    }
    if (viewMode == kViewSkyCam) return;
    if (IsCockpitMode(viewMode)) previousMode = viewMode;
    viewMode = kViewSkyCam;
    current = target = presets[presetIndex];
    pitchOffset = rollOffset = yawOffset = 0.0f;
    ApplyView();
}

void ViewController::NextSkyCamPreset() {
    if (viewMode == kViewTowerCam) {
        EnterSkyCam(-1);
        return;
    }
    if (viewMode != kViewSkyCam) return;
    const SkyCamPreset& from = presets[presetIndex];
    current.heading = from.heading;
    current.distance = from.distance;
    current.altitude = from.altitude;
    presetIndex = (presetIndex + 1) % kPresets;
    const SkyCamPreset& to = presets[presetIndex];
    target.distance = to.distance;
    target.altitude = to.altitude;
    // The camera always turns toward smaller headings.
    target.heading = to.heading > current.heading ? to.heading - kTwoPi : to.heading;
    ApplyView();
}

void ViewController::EnterTowerCam() {
    double tower[3];
    if (theViewServices.nearestTower(tower) == 0) return;
    if (IsCockpitMode(viewMode)) previousMode = viewMode;
    viewMode = kViewTowerCam;
    ApplyView();
}

void ViewController::LeaveCamera() {
    if (!InCamera()) return;
    viewMode = previousMode;
    SetLookOffsets(lookDirection);
    ApplyView();
}

void ViewController::SetSkyCamPreset(int index) {
    if (index >= 0 && index < kPresets) presetIndex = index;
}

void ViewController::ApplyView() {
    if (viewMode == kViewFullPanel || viewMode == kViewLowPanel) {
        theViewServices.invalidateAllGauges();
        RebuildCamera();
        thePanelFirstFrame = 0;
        cockpit::thePanelPrimed = 0;
    } else {
        RebuildCamera();
    }
    theViewServices.requestRedraw();
}

void ViewController::RebuildCamera() {
    const int bottom = flight::theAircraft.GetViewportBottom(viewMode, lookDirection);
    ts::CameraRect screen{0, 0, 639, bottom};
    // The view window that matches the 3D view's rows keeps the pixels square: the whole
    // screen, the low panel's view or the full panel's view.
    const int windowKind = bottom == 479 ? 0 : (viewMode == kViewLowPanel ? 1 : 2);
    flight::ViewWindow w{};
    flight::theAircraft.GetViewWindow(windowKind, w);
    // Near distance 8 and projection distance 128: the 80-unit-wide window spans about 35
    // degrees.
    camera = std::make_unique<ts::TSPerspectiveCamera>(
        screen, ts::CameraWindow{w.left, w.top, w.right, w.bottom}, 8.0f, 128.0f);
    ts::Transform3F worldToEye;
    ts::Transform3F::InvertRigid(lastTransform, &worldToEye);
    camera->SetEyeTransform(worldToEye);
}

void ViewController::ComputeEye(float eye[3], float angles[3]) {
    if (viewMode == kViewSkyCam)
        ComputeSkyCamEye(eye, angles);
    else if (viewMode == kViewTowerCam)
        ComputeTowerEye(eye, angles);
    else
        ComputeCockpitEye(eye, angles);
}

void ViewController::ComputeCockpitEye(float eye[3], float angles[3]) const {
    flight::theAircraft.GetScenePosition(eye);
    if (lookDirection == 8) eye[2] += kLookDownRise;
    flight::GetAircraftAttitude(angles);
}

void ViewController::ComputeSkyCamEye(float eye[3], float angles[3]) {
    if (panCamera != 0) {
        if (current.heading != target.heading) {
            // One degree a frame toward smaller headings; the last part of a degree lands on
            // the target, so the camera never stops short of it.
            const float next = current.heading - kOneDegree;
            current.heading = next >= target.heading ? next : target.heading;
        }
        const float d = (current.heading - target.heading) * 57.296f;
        if (d < 0.5f) {
            current.distance = target.distance;
            current.altitude = target.altitude;
        } else {
            current.distance += (target.distance - current.distance) / d;
            current.altitude += (target.altitude - current.altitude) / d;
        }
    } else {
        current = target;
    }
    const double yaw = flight::GetAircraftHeadingRadians() + current.heading;
    float p[3];
    flight::theAircraft.GetScenePosition(p);
    eye[0] = static_cast<float>(p[0] + std::sin(-yaw) * -current.distance);
    eye[1] = static_cast<float>(p[1] + std::cos(-yaw) * -current.distance);
    eye[2] = p[2] + current.altitude;
    const float lowest = theViewServices.terrainHeightAt(static_cast<int>(std::lround(eye[0])),
                                                         static_cast<int>(std::lround(eye[1]))) +
                         kLowestEyeAboveGround;
    if (eye[2] < lowest) eye[2] = lowest;
    angles[0] = static_cast<float>(std::atan2(p[2] - eye[2], current.distance));
    angles[1] = 0.0f;
    angles[2] = static_cast<float>(yaw);
}

void ViewController::ComputeTowerEye(float eye[3], float angles[3]) {
    double tower[3];
    if (theViewServices.nearestTower(tower) == 0) {
        EnterSkyCam(-1);
        ComputeSkyCamEye(eye, angles);
        return;
    }
    tower[2] += kTowerHeight;
    theViewServices.worldToScene(tower, eye);
    double aircraft[3];
    flight::GetAircraftWorldPosition(aircraft);
    const double dx = aircraft[0] - tower[0];
    const double dy = aircraft[1] - tower[1];
    const double dz = aircraft[2] - tower[2];
    const double length = std::sqrt(dx * dx + dy * dy + dz * dz);
    angles[0] = static_cast<float>(std::atan2(dz, length) - 0.06);
    angles[1] = 0.0f;
    angles[2] = static_cast<float>(std::atan2(dy, dx) - 1.5707964);
}

void ViewController::UpdateCamera(const float eye[3], const float angles[3]) {
    float pitch = pitchOffset;
    if (!InCamera()) pitch += flight::theAircraft.GetCockpitShake();  // this frame only
    // The eye's placement: the look offsets applied to the eye's angles (x pitch, y bank about
    // the depth axis, z heading), at the eye.
    ts::Transform3F t;
    ts::Matrix3F::SetEulerAngles(
        ts::Vector3F{angles[0] + pitch, angles[1] + rollOffset, angles[2] + yawOffset}, &t.matrix);
    t.t = ts::Vector3F{eye[0], eye[1], eye[2]};
    cameraChanged = false;
    for (int i = 0; i < 9; ++i)
        cameraChanged = cameraChanged || t.matrix.m[i] != lastTransform.matrix.m[i];
    cameraChanged = cameraChanged || t.t.x != lastTransform.t.x || t.t.y != lastTransform.t.y ||
                    t.t.z != lastTransform.t.z;
    lastTransform = t;
    if (!camera) RebuildCamera();
    // The camera draws through the inverse: world to eye.
    ts::Transform3F worldToEye;
    ts::Transform3F::InvertRigid(t, &worldToEye);
    camera->SetEyeTransform(worldToEye);
}

void ViewController::Frame() {
    float eye[3];
    float angles[3];
    ComputeEye(eye, angles);
    UpdateCamera(eye, angles);
}

float ViewController::GetCameraHeading() const {
    const float* m = lastTransform.matrix.m;
    // Forward is the depth axis (the matrix's second column); looking straight up or down it
    // has no horizontal part, and the right axis tells the heading instead.
    const double sinPitch = m[5];  // m21
    if (std::fabs(std::fabs(sinPitch) - 1.0) < 1e-6)
        return static_cast<float>(std::atan2(m[1], m[0]));
    return static_cast<float>(std::atan2(-m[2], m[3]));
}

int ViewController::LoadViewSettings(core::IniFile& file) {
    int mode = file.GetInt(kSection, "cur", 0);
    if (mode < 0 || mode > 5) mode = 0;
    int sky = file.GetInt(kSection, "sky", 0);
    if (sky < 0 || sky > 3) sky = 0;
    panCamera = file.GetInt(kSection, "PanCamera", 1) != 0 ? 1 : 0;
    static const char* const kPlace[3] = {"Alt", "Dist", "Head"};
    static const char* const kRot[3] = {"RotX", "RotY", "RotZ"};
    char key[32];
    for (int i = 0; i < kPresets; ++i) {
        float place[3];
        for (int k = 0; k < 3; ++k) {
            std::snprintf(key, sizeof key, "sc%d%s", i, kPlace[k]);
            place[k] =
                static_cast<float>(file.GetInt(kSection, key, kDefaultPresets[i][k])) * 0.0001f;
        }
        float rot[3];
        for (int k = 0; k < 3; ++k) {
            std::snprintf(key, sizeof key, "sc%d%s", i, kRot[k]);
            rot[k] = static_cast<float>(file.GetInt(kSection, key, 0)) * 0.0001f;
        }
        presets[i] = SkyCamPreset{place[2], place[1], place[0], rot[0], rot[1], rot[2]};
    }
    presetIndex = sky;
    current = target = presets[presetIndex];
    if (mode == kViewSkyCam) {
        EnterSkyCam(sky);
    } else if (mode == kViewTowerCam) {
        EnterTowerCam();
    } else {
        if (IsCockpitMode(viewMode)) previousMode = viewMode;
        viewMode = mode;
        SetLookOffsets(0);
        lookDirection = 0;
        ApplyView();
    }
    return 1;
}

void ViewController::StoreCameraSettings() {
    SaveViewSettings(core::theIniFile);
}

int ViewController::SaveViewSettings(core::IniFile& file) const {
    int ok = 1;
    ok &= file.PutInt(kSection, "cur", viewMode);
    ok &= file.PutInt(kSection, "sky", presetIndex);
    ok &= file.PutInt(kSection, "PanCamera", static_cast<std::int32_t>(panCamera));
    char key[32];
    for (int i = 0; i < kPresets; ++i) {
        const SkyCamPreset& p = presets[i];
        const float values[6] = {p.altitude, p.distance, p.heading, p.rotX, p.rotY, p.rotZ};
        static const char* const kNames[6] = {"Alt", "Dist", "Head", "RotX", "RotY", "RotZ"};
        for (int k = 0; k < 6; ++k) {
            std::snprintf(key, sizeof key, "sc%d%s", i, kNames[k]);
            ok &= file.PutInt(kSection, key, Stored(values[k]));
        }
    }
    return ok != 0 ? 1 : 0;
}

}  // namespace sim
