// The installation's shapes through the engine: the five aircraft as SkyCam shows them by day
// from behind, compared with golden pictures (tests/golden/skycam_<shape>.bmp; run with
// ZEPHLON_UPDATE_GOLDEN=1 to rewrite them after a deliberate change); every part kind of the
// engine in use by some shape; every building, obstacle and traffic shape drawn once.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <fstream>
#include <set>
#include <sstream>

#include "core/volume_stream.h"
#include "gfx/palette.h"
#include "shape_stage.h"
#include "support/golden.h"
#include "ts/anim_mesh.h"
#include "ts/bsp_part.h"
#include "ts/detail_parts.h"
#include "ts/face_draw.h"
#include "ts/mesh.h"
#include "ts/shape.h"
#include "ts/shape_resource.h"
#include "ts/sprite_parts.h"
#include "ts/texture_manager.h"

namespace {

namespace fs = std::filesystem;

struct Installed : ::testing::Test {
    static void SetUpTestSuite() { ts::InstallShapeClasses(); }
    void SetUp() override {
        const fs::path art = fs::path(ZEPHLON_BINARY_DIR) / "install" / "Art";
        if (!fs::exists(art / "3DShapes.Vol")) GTEST_SKIP() << "the starter installation is not built";
        ASSERT_EQ(palettes.OpenVolume((art / "Palettes.Vol").string()), 1);
        ASSERT_EQ(palettes.OpenEntry("todesb0.ppl"), 1);
        day = gfx::GFXPalette::ReadNew(palettes, 0);
        ASSERT_NE(day, nullptr);
        ASSERT_EQ(shapes.OpenVolume((art / "3DShapes.Vol").string()), 1);
        ts::SetShapeResourceStream(&shapes);
    }
    void TearDown() override {
        ts::SetShapeResourceStream(nullptr);
        ts::TSTextureManager::Shutdown();
    }
    core::VolumeRStream palettes, shapes;
    std::unique_ptr<gfx::GFXPalette> day;
};

// The heights the program places each type at: the flight model's wheel height plus the type's
// model height offset (scene units).
constexpr float kWheelHeight = 496.0f / 256.0f / 0.392906f;
constexpr float kOffsets[5] = {0.7757576f, 0.0f, 0.7757576f, 0.0f, 1.5515151f};
constexpr const char* kNames[5] = {"172", "bonanza", "baron", "kingair", "citation"};

TEST_F(Installed, TheFiveAircraftInSkyCamByDay) {
    for (int type = 0; type < 5; ++type) {
        std::unique_ptr<ts::TSShape> shape(ts::TSShape::Load(kNames[type], day.get()));
        ASSERT_NE(shape, nullptr) << kNames[type];
        ts::TSShapeInstance instance(shape.get());
        // Parked: the running propellers show nothing (one past their frames).
        ts::TSSequenceState* state = instance.GetSequenceState();
        ASSERT_NE(state, nullptr);
        for (int entry : {1, 3}) state->SetValue(entry, static_cast<std::uint32_t>(state->Length(entry)));
        // The program's frame: the sun high in the south with a third of ambient light, the eye
        // of the first preset 100 units behind and never lower than 6 above the ground.
        tstest::Stage stage(640, 480, day.get(), 8.0f);
        const float sun[3] = {10.0f, 48.0f, -60.0f};
        const float n = std::sqrt(sun[0] * sun[0] + sun[1] * sun[1] + sun[2] * sun[2]);
        stage.sun.worldDirection = ts::Vector3F{sun[0] / n, sun[1] / n, sun[2] / n};
        stage.sun.colour[0] = stage.sun.colour[1] = stage.sun.colour[2] = 0.8f;
        stage.Look({0, -100, 6.0f}, {std::atan2(kWheelHeight - 6.0f, 100.0f), 0, 0});
        instance.SetPosition({0, 0, kWheelHeight + kOffsets[type]});
        instance.SetRotation({0, 0, 0});
        stage.Begin(0);
        ts::ResetFacesSubmitted();
        instance.Render(ts::kCullUntested);
        stage.End();
        EXPECT_GT(ts::FacesSubmitted(), 100u) << kNames[type] << ": the near model";
        EXPECT_TRUE(testsupport::MatchesGolden(std::string("skycam_") + kNames[type] + ".bmp", stage.Bmp()));
    }
}

// Every part kind of the engine is in the installation, and every shape draws.
TEST_F(Installed, EveryPartKindIsInUseAndEveryShapeDraws) {
    std::set<std::uint32_t> tags;
    std::function<void(ts::TSPartBase*)> collect = [&](ts::TSPartBase* p) {
        if (p == nullptr) return;
        tags.insert(p->getPersistTag());
        if (auto* list = dynamic_cast<ts::TSPartList*>(p))
            for (int i = 0; i < list->PartCount(); ++i) collect(list->Part(i));
    };
    int shapesSeen = 0;
    tstest::Stage stage(320, 240, day.get(), 8.0f);
    for (const core::VolumeEntry& e : shapes.Entries()) {
        if (e.name.size() < 4 || e.name.compare(e.name.size() - 4, 4, ".dts") != 0) continue;
        std::unique_ptr<ts::TSShape> shape(ts::TSShape::Load(e.name, day.get()));
        ASSERT_NE(shape, nullptr) << e.name;
        ASSERT_NE(shape->GetMaterials(), nullptr) << e.name;
        collect(shape.get());
        ++shapesSeen;
        // Seen from a little above at four radii: something is drawn.
        ts::TSShapeInstance instance(shape.get());
        const float r = std::max(shape->fRadius, 1.0f);
        stage.LookAt({r * 2.0f, -r * 3.5f, r * 1.2f}, shape->fCenter);
        stage.Begin(0);
        ts::ResetFacesSubmitted();
        instance.Render(ts::kCullUntested);
        stage.End();
        EXPECT_GT(ts::FacesSubmitted(), 0u) << e.name;
        int lit = 0;
        for (std::uint8_t p : stage.Pixels()) lit += p != 0;
        EXPECT_GT(lit, 50) << e.name;
    }
    EXPECT_EQ(shapesSeen, 5 + 5 + 8 + 37);
    for (std::uint32_t tag : {ts::TSShape::kTag, ts::TSPartList::kTag, ts::TSDetailPart::kTag, ts::TSCellAnimPart::kTag,
                              ts::TSBSPPart::kTag, ts::TSMesh::kTag, ts::TSAnimMesh::kTag, ts::TSBitmapFramePart::kTag,
                              ts::TSNullPart::kTag})
        EXPECT_EQ(tags.count(tag), 1u) << "no shape uses " << (tag >> 16) << ":" << (tag & 0xFFFF);
}

// The obstacles carry the beacon sequences their light kinds use: 0 and 1 with two frames, 2
// with three (off, red, white).
TEST_F(Installed, ObstaclesCarryTheirBeaconSequences) {
    for (const char* name : {"TWR_0050", "TWR_2000", "stk_0600.dts", "wind0200.dts", "cool0400.dts", "pole0050.dts"}) {
        std::unique_ptr<ts::TSShape> shape(ts::TSShape::Load(name, day.get()));
        ASSERT_NE(shape, nullptr) << name;
        EXPECT_EQ(shape->sequenceLengths, (std::vector<std::int32_t>{2, 2, 3})) << name;
    }
    // A mast is as tall as its name says (shape units, 0.77575755 per foot).
    std::unique_ptr<ts::TSShape> mast(ts::TSShape::Load("TWR_1000", day.get()));
    ASSERT_NE(mast, nullptr);
    mast->ComputeBounds();
    EXPECT_NEAR(mast->box.max.z / 0.77575755f, 1000.0f, 20.0f);
}

}  // namespace
