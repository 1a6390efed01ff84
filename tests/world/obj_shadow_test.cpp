// The ground shadow on small grids: where the ray along the light meets the ground, the
// rectangle it makes on flat ground, the tilt on a slope, the reversed corner order of an
// object upside down, a light that never reaches the ground, and the picture drawn from above
// the right way round.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

#include "core/mem_stream.h"
#include "gfx/bitmap.h"
#include "gfx/draw_table.h"
#include "gfx/mem_surface.h"
#include "gfx/palette.h"
#include "gfx/surface.h"
#include "platform/file_system.h"
#include "support/temp_folder.h"
#include "ts/perspective_camera.h"
#include "world/obj_shadow.h"
#include "world/terrain_test_support.h"

namespace {

constexpr int kCells = 64;
constexpr double kCellSize = 512.0;
constexpr double kFlat = 1000.0;
constexpr std::uint8_t kNose = 200;  // the picture's front half
constexpr std::uint8_t kTail = 150;  // and its back half

class Shadow : public ::testing::Test {
protected:
    void SetUp() override {
        here = std::make_unique<testsupport::ScopedCurrentFolder>(dir.Root());
        flat = terraintest::MakeField(kCells, [](int, int) { return kFlat; });
        terraintest::WriteTile(dir.Path("flat.ted"), terraintest::TileOf(flat));
        ASSERT_EQ(flatGrid.Open(dir.Path("flat.ted")), 1);
        // Rising 0.25 of a unit per unit northward.
        slope = terraintest::MakeField(kCells, [](int, int y) { return 2000.0 + 0.25 * kCellSize * y; });
        terraintest::WriteTile(dir.Path("slope.ted"), terraintest::TileOf(slope));
        ASSERT_EQ(slopeGrid.Open(dir.Path("slope.ted")), 1);
        // The picture of shadow 7: 16 x 16, the top rows (the nose) one colour, the rest another.
        auto picture = gfx::GFXBitmap::Create(16, 16, 8);
        ASSERT_NE(picture, nullptr);
        for (int y = 0; y < 16; ++y)
            std::memset(picture->Row(y), y < 8 ? kNose : kTail, 16);
        std::vector<char> bytes(4096);
        core::MemRWStream stream(static_cast<std::uint32_t>(bytes.size()), bytes.data());
        ASSERT_EQ(picture->Write(stream, gfx::kBitmapWriteBmp), 1);
        dir.MakeFolders("Art/3DShapes/Planes");
        dir.Write("Art/3DShapes/Planes/shad7.bmp", std::string(bytes.data(), stream.GetPosition()));
        platform::ForgetFolderListings();
    }
    void TearDown() override {
        here.reset();
        platform::ForgetFolderListings();
    }

    testsupport::TempFolder dir{"zephlon-shadow"};
    std::unique_ptr<testsupport::ScopedCurrentFolder> here;
    terraintest::HeightField flat, slope;
    world::TerrainGrid flatGrid, slopeGrid;
};

const float kDown[3] = {0.0f, 0.0f, -1.0f};

// Twice the signed area of the corners' ground outline: negative when they run clockwise seen
// from above.
double SignedArea(const ts::Vector3F c[4]) {
    double a = 0.0;
    for (int i = 0; i < 4; ++i) {
        const ts::Vector3F& p = c[i];
        const ts::Vector3F& q = c[(i + 1) % 4];
        a += static_cast<double>(p.x) * q.y - static_cast<double>(q.x) * p.y;
    }
    return a;
}

TEST_F(Shadow, FallsWhereTheLightMeetsTheGround) {
    world::ObjShadow shadow(20.0f, 7);
    const float at[3] = {10000.0f, 12000.0f, static_cast<float>(kFlat) + 1000.0f};
    const float level[3] = {0.0f, 0.0f, 0.0f};
    const float slanted[3] = {0.6f, 0.0f, -0.8f};  // need not be of unit length
    shadow.Update(&flatGrid, at, level, slanted);
    ASSERT_TRUE(shadow.IsVisible());
    EXPECT_NEAR(shadow.Transform().t.x, 10000.0f + 750.0f, 1.0f);
    EXPECT_NEAR(shadow.Transform().t.y, 12000.0f, 1.0f);
    EXPECT_NEAR(shadow.Transform().t.z, kFlat, 1.0);
    EXPECT_TRUE(shadow.IsNear());  // 1250 away
    // 12000 above, 15000 along the ray: beyond the near distance.
    const float high[3] = {10000.0f, 12000.0f, static_cast<float>(kFlat) + 12000.0f};
    shadow.Update(&flatGrid, high, level, slanted);
    ASSERT_TRUE(shadow.IsVisible());
    EXPECT_NEAR(shadow.Transform().t.x, 10000.0f + 9000.0f, 4.0f);
    EXPECT_FALSE(shadow.IsNear());
}

TEST_F(Shadow, ALightThatNeverMeetsTheGroundLeavesItInvisible) {
    world::ObjShadow shadow(20.0f, 7);
    const float at[3] = {16000.0f, 16000.0f, static_cast<float>(kFlat) + 50.0f};
    const float level[3] = {0.0f, 0.0f, 0.0f};
    shadow.Update(&flatGrid, at, level, kDown);
    ASSERT_TRUE(shadow.IsVisible());
    const float parallel[3] = {1.0f, 0.0f, 0.0f};
    shadow.Update(&flatGrid, at, level, parallel);
    EXPECT_FALSE(shadow.IsVisible());
    const float upward[3] = {0.0f, 0.3f, 1.0f};
    shadow.Update(&flatGrid, at, level, upward);
    EXPECT_FALSE(shadow.IsVisible());
    const float none[3] = {0.0f, 0.0f, 0.0f};
    shadow.Update(&flatGrid, at, level, none);
    EXPECT_FALSE(shadow.IsVisible());
    // So low a sun that the ray leaves the grid 100000 units away before it comes down.
    const float grazing[3] = {1.0f, 0.0f, -0.0004f};
    shadow.Update(&flatGrid, at, level, grazing);
    EXPECT_FALSE(shadow.IsVisible());
    shadow.Update(&flatGrid, at, level, kDown);
    ASSERT_TRUE(shadow.IsVisible());
    shadow.Update(nullptr, at, level, kDown);
    EXPECT_FALSE(shadow.IsVisible());
}

TEST_F(Shadow, OnFlatGroundItIsTheTurnedRectangleNarrowedByPitchAndBank) {
    const float half = 30.0f;
    world::ObjShadow shadow(half, 7);
    const float at[3] = {9000.0f, 7000.0f, static_cast<float>(kFlat) + 200.0f};
    const float pitch = 0.3f, bank = 0.5f, heading = 0.7f;
    const float angles[3] = {pitch, bank, heading};
    shadow.Update(&flatGrid, at, angles, kDown);
    ASSERT_TRUE(shadow.IsVisible());
    EXPECT_FALSE(shadow.IsMirrored());
    const double ex = std::cos(bank) * half, ey = std::cos(pitch) * half;
    const double c = std::cos(heading), s = std::sin(heading);
    // The unit corners (-1,-1), (-1,1), (1,1), (1,-1) scaled and turned by the heading.
    const double unit[4][2] = {{-1, -1}, {-1, 1}, {1, 1}, {1, -1}};
    ts::Vector3F corners[4];
    shadow.Corners(corners);
    for (int i = 0; i < 4; ++i) {
        const double lx = unit[i][0] * ex, ly = unit[i][1] * ey;
        EXPECT_NEAR(corners[i].x, at[0] + c * lx - s * ly, 0.05) << i;
        EXPECT_NEAR(corners[i].y, at[1] + s * lx + c * ly, 0.05) << i;
        EXPECT_NEAR(corners[i].z, kFlat, 0.01) << i;
    }
    EXPECT_LT(SignedArea(corners), 0.0);  // clockwise from above
}

TEST_F(Shadow, UpsideDownInOneAxisItIsMirroredAndDrawnTheOtherWayRound) {
    world::ObjShadow shadow(25.0f, 7);
    const float at[3] = {9000.0f, 7000.0f, static_cast<float>(kFlat) + 200.0f};
    const float pi = std::numbers::pi_v<float>;
    const struct {
        float pitch, bank;
        bool mirrored;
    } cases[] = {{0.0f, 0.0f, false}, {pi, 0.0f, true}, {0.0f, pi, true}, {pi, pi, false},
                 {2.0f, 0.2f, true}, {0.2f, -2.0f, true}, {-2.0f, 2.5f, false}};
    for (const auto& k : cases) {
        const float angles[3] = {k.pitch, k.bank, 0.4f};
        shadow.Update(&flatGrid, at, angles, kDown);
        ASSERT_TRUE(shadow.IsVisible());
        EXPECT_EQ(shadow.IsMirrored(), k.mirrored) << k.pitch << " " << k.bank;
        // In drawing order the outline always runs clockwise seen from above.
        ts::Vector3F corners[4];
        shadow.Corners(corners);
        EXPECT_LT(SignedArea(corners), 0.0) << k.pitch << " " << k.bank;
    }
}

TEST_F(Shadow, OnASlopeItLiesOnTheGround) {
    world::ObjShadow shadow(200.0f, 7);
    const float angles[3] = {0.0f, 0.0f, 1.1f};
    for (const float x : {5000.0f, 12000.0f, 20000.0f}) {
        const float y = 15000.0f;
        const float ground = static_cast<float>(2000.0 + 0.25 * y);
        const float at[3] = {x, y, ground + 500.0f};
        shadow.Update(&slopeGrid, at, angles, kDown);
        ASSERT_TRUE(shadow.IsVisible());
        ts::Vector3F corners[4];
        shadow.Corners(corners);
        for (int i = 0; i < 4; ++i) {
            // The test's own reading of the quantised field under the corner.
            const int cx = static_cast<int>(corners[i].x / kCellSize);
            const int cy = static_cast<int>(corners[i].y / kCellSize);
            const double expected = terraintest::TriangleHeight(
                slope.Corner(cx, cy), slope.Corner(cx, cy + 1), slope.Corner(cx + 1, cy + 1),
                slope.Corner(cx + 1, cy), kCellSize, corners[i].x - cx * kCellSize,
                corners[i].y - cy * kCellSize);
            EXPECT_NEAR(corners[i].z, expected, 1.0) << "corner " << i << " at x " << x;
        }
    }
}

TEST_F(Shadow, ShadowsOfOneNumberShareTheirPicture) {
    EXPECT_EQ(world::ObjShadow::PicturesHeld(), 0);
    {
        world::ObjShadow a(10.0f, 7), b(12.0f, 7);
        EXPECT_TRUE(a.HasPicture());
        EXPECT_TRUE(b.HasPicture());
        EXPECT_EQ(world::ObjShadow::PicturesHeld(), 1);
        world::ObjShadow missing(10.0f, 3);  // no "shad3.bmp"
        EXPECT_FALSE(missing.HasPicture());
        // The unit square maps onto the 16 texel centres (1.0 spans 256 texels).
        const gfx::GFXTexCoord* t = a.TexCoords();
        EXPECT_FLOAT_EQ(t[1].u, 0.5f / 256.0f);
        EXPECT_FLOAT_EQ(t[1].v, 0.5f / 256.0f);
        EXPECT_FLOAT_EQ(t[3].u, 15.5f / 256.0f);
        EXPECT_FLOAT_EQ(t[3].v, 15.5f / 256.0f);
    }
    EXPECT_EQ(world::ObjShadow::PicturesHeld(), 0);
}

// The shadow seen from straight above: north at the top of the screen.
class ShadowPicture : public Shadow {
protected:
    void SetUp() override {
        Shadow::SetUp();
        previousTable = gfx::GFXMemSurface::SetDrawTable(&gfx::theSoftwareDrawTable);
        surface = gfx::GFXMemSurface::Create(320, 240, 8);
        ASSERT_NE(surface, nullptr);
        target = std::make_unique<gfx::GFXDrawTarget>(surface.get());
        camera = std::make_unique<ts::TSPerspectiveCamera>(
            ts::CameraRect{0, 0, 319, 239}, ts::CameraWindow{-40, 30, 40, -30}, 8.0f, 128.0f);
    }
    void TearDown() override {
        target.reset();
        gfx::GFXMemSurface::SetDrawTable(previousTable);
        Shadow::TearDown();
    }
    // Draws the shadow seen from `height` above the point (x, y) looking straight down.
    void Draw(world::ObjShadow& shadow, float x, float y, float height) {
        ts::Transform3F eye;
        ts::Matrix3F::SetEulerAngles(ts::Vector3F{-std::numbers::pi_v<float> / 2, 0.0f, 0.0f},
                                     &eye.matrix);
        eye.t = ts::Vector3F{x, y, static_cast<float>(kFlat) + height};
        ts::Transform3F worldToEye;
        ts::Transform3F::InvertRigid(eye, &worldToEye);
        camera->SetEyeTransform(worldToEye);
        target->Begin();
        {
            gfx::GFXSurfaceLock lock(*surface);
            for (int row = 0; row < 240; ++row)
                std::memset(surface->pixels + static_cast<std::ptrdiff_t>(row) * surface->stride, 0,
                            320);
        }
        camera->Activate();
        shadow.Render(ts::kCullUntested);
        target->End();
    }
    // The pixels of a colour in the upper and the lower half of the screen; with colour -1, of
    // any colour but 0.
    void Count(int colour, int* upper, int* lower) {
        *upper = *lower = 0;
        gfx::GFXSurfaceLock lock(*surface);
        for (int row = 0; row < 240; ++row)
            for (int col = 0; col < 320; ++col) {
                const int p = surface->pixels[static_cast<std::ptrdiff_t>(row) * surface->stride + col];
                if (colour < 0 ? p != 0 : p == colour) ++(row < 120 ? *upper : *lower);
            }
    }

    const gfx::GFXDrawTable* previousTable = nullptr;
    std::unique_ptr<gfx::GFXMemSurface> surface;
    std::unique_ptr<gfx::GFXDrawTarget> target;
    std::unique_ptr<ts::TSPerspectiveCamera> camera;
};

TEST_F(ShadowPicture, FromAboveTheNosePointsAlongTheHeadingAndAMirrorTurnsItOver) {
    world::ObjShadow shadow(40.0f, 7);
    const float at[3] = {8000.0f, 8000.0f, static_cast<float>(kFlat) + 30.0f};
    const float north[3] = {0.0f, 0.0f, 0.0f};
    shadow.Update(&flatGrid, at, north, kDown);
    ASSERT_TRUE(shadow.IsVisible());
    Draw(shadow, 8000.0f, 8000.0f, 400.0f);
    int noseUp = 0, noseDown = 0, tailUp = 0, tailDown = 0;
    Count(kNose, &noseUp, &noseDown);
    Count(kTail, &tailUp, &tailDown);
    // 80 units square from 400 away, 320 pixels across 8 units at 8 ... about 64 x 64 pixels.
    EXPECT_GT(noseUp, 1500);
    EXPECT_GT(tailDown, 1500);
    EXPECT_LT(noseDown + tailUp, 100);
    // Pitched over onto its back: the picture is flipped front to back and still drawn.
    const float onItsBack[3] = {std::numbers::pi_v<float>, 0.0f, 0.0f};
    shadow.Update(&flatGrid, at, onItsBack, kDown);
    ASSERT_TRUE(shadow.IsMirrored());
    Draw(shadow, 8000.0f, 8000.0f, 400.0f);
    Count(kNose, &noseUp, &noseDown);
    Count(kTail, &tailUp, &tailDown);
    EXPECT_GT(noseDown, 1500);
    EXPECT_GT(tailUp, 1500);
    EXPECT_LT(noseUp + tailDown, 100);
    // Heading a quarter turn: the nose lies to the west or the east, not north or south.
    const float turned[3] = {0.0f, 0.0f, std::numbers::pi_v<float> / 2};
    shadow.Update(&flatGrid, at, turned, kDown);
    Draw(shadow, 8000.0f, 8000.0f, 400.0f);
    Count(kNose, &noseUp, &noseDown);
    EXPECT_GT(noseUp, 500);
    EXPECT_GT(noseDown, 500);
}

TEST_F(ShadowPicture, AShadowBehindTheEyeOrWithoutAPictureDrawsNothing) {
    world::ObjShadow shadow(40.0f, 7);
    const float level[3] = {0.0f, 0.0f, 0.0f};
    const float at[3] = {8000.0f, 8000.0f, static_cast<float>(kFlat) + 30.0f};
    shadow.Update(&flatGrid, at, level, kDown);
    // The eye below the ground looking down: the shadow lies behind it.
    Draw(shadow, 8000.0f, 8000.0f, -100.0f);
    int up = 0, down = 0;
    Count(kNose, &up, &down);
    EXPECT_EQ(up + down, 0);
    world::ObjShadow missing(40.0f, 3);
    missing.Update(&flatGrid, at, level, kDown);
    ASSERT_TRUE(missing.IsVisible());
    Draw(missing, 8000.0f, 8000.0f, 400.0f);
    Count(-1, &up, &down);
    EXPECT_EQ(up + down, 0);
}

}  // namespace
