// The world's part of each 3D frame: its draw target, the sun light and the light set that holds
// it, the scene's set-up before anything is drawn, and the fields of the view in the runner's
// report.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "core/run_report.h"
#include "gfx/display.h"
#include "gfx/surface.h"
#include "flight/aircraft.h"
#include "sim/sim_world.h"
#include "sim/view_controller.h"
#include "ts/face_draw.h"
#include "ts/light_set.h"
#include "ts/perspective_camera.h"
#include "world/terrain_manager.h"

namespace sim {

namespace {

// The ambient part of every lit point, in lighting words (65535 is full light).
constexpr float kAmbientLight = 0.3f * 65535.0f;

}  // namespace

void SimWorld::MakeDrawTarget() {
    drawTarget = std::make_unique<gfx::GFXDrawTarget>(gfx::GetDrawSurface());
}

void SimWorld::MakeSceneLights() {
    // The sun: directional, from high in the south-south-west, in a light grey.
    const float sun[3] = {10.0f, 48.0f, -60.0f};
    const float n = std::sqrt(sun[0] * sun[0] + sun[1] * sun[1] + sun[2] * sun[2]);
    sunLight = std::make_unique<ts::TSLight>(ts::TSLight::kDirectional);
    lightColour = 0.8f;
    sunLight->colour[0] = sunLight->colour[1] = sunLight->colour[2] = lightColour;
    SetLightDirection(sun[0] / n, sun[1] / n, sun[2] / n);
    Step("SunLight");
    lightSet = std::make_unique<ts::TSLightSet>();
    lightSet->AddLight(sunLight.get());
    // What the sky lights from every side: faces turned from the sun keep a third of their
    // colour instead of going black.
    lightSet->SetBaseColour(kAmbientLight, kAmbientLight, kAmbientLight);
    Step("LightSet");
}

void SimWorld::DestroySceneLights() {
    if (lightSet) lightSet->Deactivate();
    lightSet.reset();
    Step("LightSet");
    sunLight.reset();
    Step("SunLight");
}

void SimWorld::SetSunDirection(const float direction[3]) {
    // The lower the sun, the stronger its light; a sun on the horizon (z near 0) would make the
    // colour grow without bound.
    const float z = std::max(std::fabs(direction[2]), 1e-3f);
    lightColour = std::max(0.8f / z, 0.3f);
    if (sunLight) sunLight->colour[0] = sunLight->colour[1] = sunLight->colour[2] = lightColour;
    SetLightDirection(direction[0], direction[1], direction[2]);
}

void SimWorld::GetLightDirection(float out[3]) const {
    out[0] = lightDirection[0];
    out[1] = lightDirection[1];
    out[2] = lightDirection[2];
}

void SimWorld::SetLightDirection(float x, float y, float z) {
    lightDirection[0] = x;
    lightDirection[1] = y;
    lightDirection[2] = z;
    if (sunLight) sunLight->worldDirection = ts::Vector3F{x, y, z};
}

void SimWorld::PrepareScene(const float eye[3], const float angles[3]) {
    // A display change may have replaced the surface since the target was made.
    if (!drawTarget || drawTarget->surface != gfx::GetDrawSurface()) MakeDrawTarget();
    drawTarget->Begin();
    theViewController.UpdateCamera(eye, angles);
    ts::TSPerspectiveCamera* camera = theViewController.Camera();
    if (camera != nullptr) camera->Activate();
    if (lightSet) lightSet->Activate();
    if (camera != nullptr) camera->SetTransform(ts::Transform3F{});
    if (terrain) terrain->PrepareView(eye, angles);
    ts::ResetFacesSubmitted();
    // The sky first, placed for the eye; its light sets the palette of the frame, which is in
    // place before anything is drawn with its tables.
    RenderSky(eye);
}

namespace {

double Degrees(double radians) {
    return radians * 180.0 / std::numbers::pi;
}

}  // namespace

void RegisterViewReportFields() {
    using core::RegisterReportField;
    using core::ReportNumber;
    RegisterReportField("view", [] { return std::to_string(theViewController.GetViewMode()); });
    static const char* const kAxes[3] = {"x", "y", "z"};
    for (int i = 0; i < 3; ++i) {
        RegisterReportField(std::string("eye_") + kAxes[i], [i] {
            const ts::Vector3F& e = theViewController.LastTransform().t;
            return ReportNumber(i == 0 ? e.x : (i == 1 ? e.y : e.z));
        });
        RegisterReportField(std::string("ac_") + kAxes[i], [i] {
            float p[3];
            flight::theAircraft.GetScenePosition(p);
            return ReportNumber(p[i]);
        });
    }
    // The camera's angles from its placement: heading about the up axis (counter-clockwise from
    // the world's north, +y), pitch up from the ground plane, bank about the depth axis.
    RegisterReportField("cam_heading", [] {
        return ReportNumber(Degrees(theViewController.GetCameraHeading()));
    });
    RegisterReportField("cam_pitch", [] {
        const float m21 = theViewController.LastTransform().matrix.At(2, 1);
        return ReportNumber(Degrees(std::asin(std::clamp(m21, -1.0f, 1.0f))));
    });
    RegisterReportField("cam_bank", [] {
        const ts::Matrix3F& m = theViewController.LastTransform().matrix;
        return ReportNumber(Degrees(std::atan2(-m.At(2, 0), m.At(2, 2))));
    });
}

}  // namespace sim
