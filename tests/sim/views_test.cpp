// The view controller: mode changes, look directions, SkyCam presets and panning, the tower
// camera and the "Views" section.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "core/ini_file.h"
#include "flight/aircraft.h"
#include "sim/view_controller.h"

namespace {

using sim::ViewController;

int theTowerNear = 0;
int TowerAt(double out[3]) {
    out[0] = 9437184.0 + 500.0;
    out[1] = 5242880.0;
    out[2] = 0.0;
    return theTowerNear;
}
float theGroundHeight = 0.0f;
float Ground(int, int) {
    return theGroundHeight;
}

class Views : public ::testing::Test {
protected:
    void SetUp() override {
        sim::theViewServices = sim::DefaultViewServices();
        sim::theViewServices.nearestTower = &TowerAt;
        sim::theViewServices.terrainHeightAt = &Ground;
        theTowerNear = 0;
        theGroundHeight = 0.0f;
        flight::theAircraft.SelectByType(0);
    }
    void TearDown() override { sim::theViewServices = sim::DefaultViewServices(); }
    static std::string Path(const char* name) {
        const std::string p = std::string(ZEPHLON_BINARY_DIR) + "/" + name;
        std::remove(p.c_str());
        return p;
    }
};

TEST_F(Views, CockpitCycleDependsOnLowPanel) {
    const struct {
        int type;
        int modes[5];
    } cases[] = {
        {0, {0, 1, 2, 3, 0}}, {1, {0, 1, 2, 3, 0}}, {2, {0, 2, 3, 0, 2}}, {4, {0, 2, 3, 0, 2}}};
    for (const auto& c : cases) {
        flight::theAircraft.SelectByType(c.type);
        ViewController v;
        for (int m : c.modes) {
            EXPECT_EQ(v.GetViewMode(), m) << c.type;
            v.CycleCockpitView();
        }
    }
}

TEST_F(Views, CycleOnlyWhileLookingForward) {
    ViewController v;
    v.SetLookDirection(2);
    v.CycleCockpitView();
    EXPECT_EQ(v.GetViewMode(), 0);
    EXPECT_FLOAT_EQ(v.GetYawOffset(), 1.5707963f);
}

TEST_F(Views, LookOffsetsAndCameraModesIgnoreDirections) {
    ViewController v;
    const struct {
        int direction;
        float pitch;
        float yaw;
    } cases[] = {{0, 0.04363323f, 0.0f},
                 {1, 0.0f, 0.7853981f},
                 {4, 0.0f, 3.1415925f},
                 {7, 0.0f, 5.497787f},
                 {8, 4.712389f, 0.0f}};
    for (const auto& c : cases) {
        v.SetLookDirection(c.direction);
        EXPECT_EQ(v.GetLookDirection(), c.direction);
        EXPECT_FLOAT_EQ(v.GetPitchOffset(), c.pitch);
        EXPECT_FLOAT_EQ(v.GetYawOffset(), c.yaw);
    }
    v.SetLookDirection(9);
    EXPECT_EQ(v.GetLookDirection(), 8);
    v.EnterSkyCam(-1);
    v.SetLookDirection(2);
    EXPECT_EQ(v.GetLookDirection(), 8);
    EXPECT_FLOAT_EQ(v.GetYawOffset(), 0.0f);
}

TEST_F(Views, SkyCamRemembersTheCockpitModeAndDirection) {
    ViewController v;
    v.SetViewMode(1);
    v.SetLookDirection(6);
    v.EnterSkyCam(-1);
    EXPECT_EQ(v.GetViewMode(), 4);
    EXPECT_EQ(v.GetPreviousMode(), 1);
    v.LeaveCamera();
    EXPECT_EQ(v.GetViewMode(), 1);
    EXPECT_EQ(v.GetLookDirection(), 6);
    EXPECT_FLOAT_EQ(v.GetYawOffset(), 4.712389f);
}

TEST_F(Views, PresetStepsTurnTowardSmallerHeadings) {
    ViewController v;
    v.EnterSkyCam(3);
    EXPECT_EQ(v.GetSkyCamPreset(), 3);
    v.NextSkyCamPreset();
    EXPECT_EQ(v.GetSkyCamPreset(), 0);
    EXPECT_NEAR(v.Current().heading, -3.3161f, 1e-5);
    EXPECT_NEAR(v.Target().heading, -6.2831853f, 1e-5);
    EXPECT_FLOAT_EQ(v.Target().distance, 100.0f);
    // From 0 to 1 the new heading is already smaller: no turn added.
    v.NextSkyCamPreset();
    EXPECT_NEAR(v.Target().heading, -0.0785f, 1e-5);
}

TEST_F(Views, PanningFliesOneDegreeAFrameAndLandsOnTheTarget) {
    ViewController v;
    v.EnterSkyCam(0);
    v.NextSkyCamPreset();  // heading 0 -> -0.0785, about 4.5 degrees
    float eye[3], angles[3];
    int frames = 0;
    while (v.Current().heading != v.Target().heading && frames < 100) {
        v.ComputeSkyCamEye(eye, angles);
        ++frames;
    }
    EXPECT_EQ(frames, 5);
    EXPECT_FLOAT_EQ(v.Current().distance, 150.0f);
    EXPECT_FLOAT_EQ(v.Current().altitude, 20.0f);

    ViewController jump;
    jump.SetPanCamera(0);
    jump.EnterSkyCam(0);
    jump.NextSkyCamPreset();
    jump.ComputeSkyCamEye(eye, angles);
    EXPECT_FLOAT_EQ(jump.Current().heading, jump.Target().heading);
    EXPECT_FLOAT_EQ(jump.Current().distance, 150.0f);
}

TEST_F(Views, SkyCamEyeStaysAboveTheGround) {
    ViewController v;
    v.EnterSkyCam(2);  // 10 below the aircraft
    theGroundHeight = 50.0f;
    float eye[3], angles[3];
    v.ComputeSkyCamEye(eye, angles);
    EXPECT_FLOAT_EQ(eye[2], 56.0f);
    EXPECT_LT(angles[0], 0.0f);
}

TEST_F(Views, SkyCamKeyPressesStepPresets) {
    ViewController v;
    v.EnterSkyCam(-1);
    v.NextSkyCamPreset();
    v.NextSkyCamPreset();
    EXPECT_EQ(v.GetViewMode(), 4);
    EXPECT_EQ(v.GetSkyCamPreset(), 2);
}

TEST_F(Views, TowerCamNeedsATowerAndFallsBackToSkyCam) {
    ViewController v;
    v.EnterTowerCam();
    EXPECT_EQ(v.GetViewMode(), 0);
    theTowerNear = 1;
    v.SetViewMode(3);
    v.EnterTowerCam();
    EXPECT_EQ(v.GetViewMode(), 5);
    EXPECT_EQ(v.GetPreviousMode(), 3);
    float eye[3], angles[3];
    v.ComputeEye(eye, angles);
    EXPECT_EQ(v.GetViewMode(), 5);
    EXPECT_NEAR(angles[2], std::atan2(0.0, -500.0) - 1.5707964, 1e-4);
    theTowerNear = 0;
    v.ComputeEye(eye, angles);
    EXPECT_EQ(v.GetViewMode(), 4);
    v.LeaveCamera();
    EXPECT_EQ(v.GetViewMode(), 3);
}

TEST_F(Views, CameraHeadingFollowsTheEye) {
    ViewController v;
    v.SetViewMode(3);
    v.SetLookDirection(0);
    for (float heading : {0.0f, 1.0f, -2.5f}) {
        const float eye[3] = {1.0f, 2.0f, 3.0f};
        const float angles[3] = {0.0f, 0.0f, heading};
        v.UpdateCamera(eye, angles);
        EXPECT_NEAR(v.GetCameraHeading(), heading, 1e-5);
        ASSERT_NE(v.Camera(), nullptr);
        EXPECT_EQ(v.Camera()->GetProjectionDistance(), 128.0f);
    }
}

TEST_F(Views, EveryViewKeepsSquarePixels) {
    // For each aircraft and cockpit view the 3D window matches the rows the view leaves above
    // the panel, so a unit across and a unit up cover the same pixels (within 3 %; the
    // CitationJet's panel leaves its view a little flat).
    const struct {
        int type, mode, bottom;
        float half;
    } cases[] = {{0, 0, 171, 10.5f}, {0, 1, 215, 13.5f}, {0, 3, 479, 30}, {1, 0, 193, 12},
                 {1, 1, 235, 14.5f}, {2, 0, 150, 9.5f},  {0, 4, 479, 30}};
    for (const auto& c : cases) {
        flight::theAircraft.SelectByType(c.type);
        ViewController v;
        v.SetViewMode(c.mode);
        v.RebuildCamera();
        ts::TSPerspectiveCamera* camera = v.Camera();
        ASSERT_NE(camera, nullptr);
        EXPECT_EQ(camera->GetScreenRect().bottom, c.bottom) << c.type << " " << c.mode;
        EXPECT_FLOAT_EQ(camera->GetViewport().top, c.half) << c.type << " " << c.mode;
        EXPECT_EQ(camera->GetNear(), 8.0f);
        camera->Activate();
        EXPECT_NEAR(camera->GetScaleY() / camera->GetScaleX(), 1.0, 0.03) << c.type << " " << c.mode;
    }
    flight::theAircraft.SelectByType(0);
}

TEST_F(Views, SectionRoundTrip) {
    const std::string path = Path("views_round_trip.flt");
    theTowerNear = 1;
    const struct {
        int mode;
        int preset;
        int pan;
    } cases[] = {{0, 0, 1}, {2, 1, 0}, {3, 3, 1}, {4, 2, 1}, {4, 3, 0}, {5, 1, 1}};
    for (const auto& c : cases) {
        ViewController a;
        a.SetPanCamera(c.pan);
        sim::SkyCamPreset p{-1.25f, 77.5f, 12.0f, 0.5f, -0.25f, 0.125f};
        a.SetPreset(1, p);
        a.SetSkyCamPreset(c.preset);
        a.SetViewMode(c.mode);
        core::IniFile out(path.c_str());
        ASSERT_EQ(a.SaveViewSettings(out), 1);

        ViewController b;
        core::IniFile in(path.c_str());
        ASSERT_EQ(b.LoadViewSettings(in), 1);
        EXPECT_EQ(b.GetViewMode(), c.mode);
        EXPECT_EQ(b.GetSkyCamPreset(), c.preset);
        EXPECT_EQ(b.GetPanCamera(), c.pan);
        EXPECT_NEAR(b.Preset(1).distance, 77.5f, 1e-3);
        EXPECT_NEAR(b.Preset(1).heading, -1.25f, 1e-3);
        EXPECT_NEAR(b.Preset(1).rotZ, 0.125f, 1e-3);
        EXPECT_NEAR(b.Preset(3).heading, -3.3161f, 1e-3);
    }
}

TEST_F(Views, OutOfRangeSectionValues) {
    const std::string path = Path("views_bad.flt");
    core::IniFile f(path.c_str());
    f.PutInt("Views", "cur", 7);
    f.PutInt("Views", "sky", 4);
    ViewController v;
    v.SetViewMode(2);
    ASSERT_EQ(v.LoadViewSettings(f), 1);
    EXPECT_EQ(v.GetViewMode(), 0);
    EXPECT_EQ(v.GetSkyCamPreset(), 0);
    EXPECT_EQ(v.GetPanCamera(), 1);
    EXPECT_FLOAT_EQ(v.Preset(1).altitude, 20.0f);
}

}  // namespace
