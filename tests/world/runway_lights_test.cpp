// Runway lights drawn through a camera: none by full day, the list facing the viewer, the
// precision path indicator white above its angle and red below it, the debug modes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>

#include "core/resource_volume.h"
#include "gfx/bitmap.h"
#include "gfx/draw_table.h"
#include "gfx/font.h"
#include "gfx/mem_surface.h"
#include "gfx/surface.h"
#include "support/temp_folder.h"
#include "ts/perspective_camera.h"
#include "world/runway_geometry.h"
#include "world/runway_lights.h"
#include "world/scenery_services.h"

namespace {

constexpr std::uint8_t kGreen = 31, kAmber = 32, kRed = 33, kWhite = 34;
int theDaylight = 0;

class Lights : public ::testing::Test {
protected:
    void SetUp() override {
        // Light images of one colour each, frames 1 to 8 pixels square.
        const struct {
            const char* name;
            std::uint8_t colour;
        } images[] = {{"grnlght.pft", kGreen}, {"amblght.pft", kAmber}, {"redlght.pft", kRed},
                      {"whtlght.pft", kWhite}};
        for (const auto& i : images) {
            gfx::GFXFont f;
            for (int s = 1; s <= 8; ++s) {
                auto b = gfx::GFXBitmap::Create(s, s, 8);
                for (int y = 0; y < s; ++y)
                    std::memset(b->Row(y), i.colour, static_cast<std::size_t>(b->stride));
                f.Append(std::move(b));
            }
            ASSERT_EQ(f.Save(dir.Path(i.name)), 1);
        }
        volume = std::make_unique<core::ResourceVolume>(nullptr, dir.Root().c_str(), 0);
        world::InitRunwayShapes(volume.get());
        surface = gfx::GFXMemSurface::Create(640, 480, 8);
        surface->SetDrawTable(&gfx::theSoftwareDrawTable);
        target = std::make_unique<gfx::GFXDrawTarget>(surface.get());
        target->Begin();
        world::theSceneryServices = world::DefaultSceneryServices();
        world::theSceneryServices.isFullDaylight = [] { return theDaylight; };
        theDaylight = 0;
        world::SetRunwayLightMode(3);
        world::SetRunwayLightMask(0x10000);
    }
    void TearDown() override {
        target->End();
        world::ShutdownRunwayShapes();
        world::theSceneryServices = world::DefaultSceneryServices();
    }
    // A camera at (0, -y, height) in the runway's frame (shape units) looking along +y (or -y
    // from the other side).
    int Draw(const world::RunwayGeometry& g, float y, float height, bool towardEnd2 = true) {
        for (int r = 0; r < 480; ++r)
            std::memset(surface->pixels + r * surface->stride, 0, 640);
        ts::Transform3F eye;
        if (!towardEnd2) {
            eye.matrix.At(0, 0) = -1;
            eye.matrix.At(1, 1) = -1;
            eye.matrix.kind = ts::Matrix3F::kGeneral;
        }
        ts::Vector3F at{0, y, height}, moved;
        ts::Transform3F::RotatePoint(at, eye, &moved);
        eye.t = ts::Vector3F{-moved.x, -moved.y, -moved.z};
        camera.SetEyeTransform(eye);
        camera.Activate();
        camera.SetTransform(ts::Transform3F{});
        return world::RenderRunwayLights(g);
    }
    int Count(std::uint8_t c) const {
        int n = 0;
        for (int r = 0; r < 480; ++r)
            for (int x = 0; x < 640; ++x)
                n += surface->pixels[r * surface->stride + x] == c ? 1 : 0;
        return n;
    }
    testsupport::TempFolder dir{"zephlon-lights"};
    std::unique_ptr<core::ResourceVolume> volume;
    std::unique_ptr<gfx::GFXMemSurface> surface;
    std::unique_ptr<gfx::GFXDrawTarget> target;
    ts::TSPerspectiveCamera camera{ts::CameraRect{0, 0, 639, 479},
                                   ts::CameraWindow{-40, 30, 40, -30}, 8, 128};
};

world::RunwayRecord WithPapi() {
    world::RunwayRecord r;
    r.width = 150;
    r.length = 6000;
    r.flags = 1;
    r.markings = 1u | (12u << 3);  // precision markings and the indicator at end 1
    return r;
}

TEST_F(Lights, NoneByDayAndTheThresholdGreenOnFinal) {
    const world::RunwayGeometry g(WithPapi(), 0, 0);
    const float k = static_cast<float>(world::kFeetToShapeUnits);
    theDaylight = 1;
    EXPECT_EQ(Draw(g, -(3000.0f + 3000.0f) * k, 300.0f * k), 0);
    theDaylight = 0;
    EXPECT_GT(Draw(g, -(3000.0f + 3000.0f) * k, 300.0f * k), 20);
    EXPECT_GT(Count(kGreen), 0);  // the threshold ahead
    EXPECT_GT(Count(kRed), 0);    // the far end's lights
    // Mode 0 draws nothing; the modes cycle back round.
    world::SetRunwayLightMode(5);
    world::CycleRunwayDebugMode();
    EXPECT_EQ(world::RunwayLightMode(), 0);
    EXPECT_EQ(Draw(g, -6000.0f * k, 300.0f * k), 0);
    world::CycleRunwayDebugMode();
    EXPECT_EQ(world::RunwayLightMode(), 1);
    EXPECT_FLOAT_EQ(world::RunwayLightSizeFactor(), 4000.0f);
}

TEST_F(Lights, ThePathIndicatorShowsWhiteAboveEachLightsAngleAndRedBelow) {
    // Only the indicator: a runway with no edge or threshold lights drawn (lighting 0 keeps
    // them, so count the indicator's four lights by their colours' change with height).
    const world::RunwayGeometry g(WithPapi(), 0, 0);
    const float k = static_cast<float>(world::kFeetToShapeUnits);
    // The indicator stands 1000 ft past the threshold: seen from 3 nm out.
    const double out = 18000.0, papiAlong = -3000.0 + 1000.0;
    int previousWhite = -1;
    for (const double angle : {2.0, 2.6, 2.9, 3.1, 3.4, 4.0}) {
        const double distance = out + papiAlong + 3000.0;
        const auto height = static_cast<float>(std::tan(angle * 3.14159265358979323846 / 180.0) * distance);
        Draw(g, static_cast<float>(-(3000.0 + out)) * k, height * k);
        int whites = 0;
        for (const world::RunwayLight& l : g.towardEnd2) {
            if (l.Code() < 1 || l.Code() > 10) continue;
            whites += angle > world::GlideSlopeAngle(l.Code()) ? 1 : 0;
        }
        EXPECT_GE(whites, previousWhite) << angle;
        previousWhite = whites;
        // The drawn picture agrees: some white when any light is above its plane.
        if (whites > 0) {
            EXPECT_GT(Count(kWhite), 0) << angle;
        }
    }
    EXPECT_EQ(previousWhite, 4);
}

TEST_F(Lights, BehindTheRunwayTheOtherListFacesTheViewer) {
    world::RunwayRecord r = WithPapi();
    r.markings |= (1u << 8);  // approach lights at end 1, seen only from its approach
    const world::RunwayGeometry g(r, 0, 0);
    const float k = static_cast<float>(world::kFeetToShapeUnits);
    const int fromApproach = Draw(g, -9000.0f * k, 200.0f * k, true);
    // From beyond end 2 looking back toward end 1 the approach lights turn away.
    const int fromBeyond = Draw(g, 9000.0f * k, 200.0f * k, false);
    EXPECT_GT(fromApproach, fromBeyond);
    // End 2's threshold ahead shows green, end 1's far away red toward the runway side.
    EXPECT_GT(Count(kGreen), 0);
    EXPECT_GT(Count(kRed), 0);
}

TEST(LightFrames, DiscsGrowAsLightsComeNearer) {
    EXPECT_EQ(world::RunwayLightFrame(0.0f), 0);
    EXPECT_EQ(world::RunwayLightFrame(1.0f), 7);
    EXPECT_EQ(world::RunwayLightFrame(50.0f), 7);
    EXPECT_LT(world::RunwayLightFrame(0.2f), world::RunwayLightFrame(0.6f));
    EXPECT_EQ(world::RunwayLightFrame(std::nanf("")), 0);
}

}  // namespace
