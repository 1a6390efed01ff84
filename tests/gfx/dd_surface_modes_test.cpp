// The display set-up's full-screen modes: chains the device grants or refuses, the picture and
// palette carried both ways, repeated toggling, and a polygon shown through the 3D mode.
#include "gfx/dd_surface_modes.h"

#include <gtest/gtest.h>

#include "d3d_test_support.h"
#include "gfx/draw_table.h"

namespace {

using namespace gfx;

class FullScreenModeTest : public displaytest::DisplayTest {
protected:
    void SetUp() override {
        DisplayTest::SetUp();
        win::ResetDirectDrawStandIn();
        win::ResetDirect3DStandIn();
        ASSERT_EQ(SetDisplayMode(kDisplayWindow, 1), 1);
        palette = displaytest::DistinctPalette(6);
        theWindowSurface->SetPalette(palette.get(), 0, 256);
    }
    void TearDown() override {
        SetDisplayMode(kDisplayNone, 0);
        win::ResetDirect3DStandIn();
        win::ResetDirectDrawStandIn();
        DisplayTest::TearDown();
    }
    std::unique_ptr<GFXPalette> palette;
};

TEST_F(FullScreenModeTest, ChainKindsFollowWhatTheDeviceGrants) {
    struct Case {
        const char* name;
        std::int32_t maxBacks;
        std::int32_t extraBuffers;
        std::int32_t width;
        std::int32_t backKind;
        std::int32_t members;
    };
    const Case cases[] = {
        {"three buffers flip pages", 3, 2, 640, kSurfaceKindDirectDraw, 3},
        {"refused back buffers give a DIB", 1, 2, 640, kSurfaceKindDIB, 2},
        {"two buffers asked", 3, 1, 640, kSurfaceKindDIB, 2},
        {"width 320 always two", 3, 2, 320, kSurfaceKindDIB, 2},
    };
    for (const Case& c : cases) {
        win::theDirectDrawFaults.maxBackBuffers = c.maxBacks;
        SetDisplayOptions(main, {}, c.extraBuffers);
        ASSERT_EQ(InitDisplay(c.width, c.width * 3 / 4, 8), 1) << c.name;
        ASSERT_EQ(SetDisplayMode(kDisplayFullScreen, 1), 1) << c.name;
        GFXSurface* draw = GetDrawSurface();
        ASSERT_EQ(draw, theFlipChain[1]) << c.name;
        EXPECT_EQ(draw->kind, c.backKind) << c.name;
        EXPECT_EQ(theFlipChain[0]->chainCount, c.members) << c.name;
        EXPECT_EQ(GetDisplaySurface(), theFlipChain[0]) << c.name;
        // What is drawn reaches the window at the next flip.
        displaytest::DrawDiagonals(*draw);
        GetDisplaySurface()->Flip();
        EXPECT_EQ(WindowIndex(9, 4), 13) << c.name;
        ASSERT_EQ(SetDisplayMode(kDisplayWindow, 1), 1) << c.name;
        EXPECT_EQ(win::theDirectDrawStats.liveObjects, 0) << c.name;
        win::ResetDirectDrawStandIn();
    }
}

TEST_F(FullScreenModeTest, BackToTheWindowKeepsPictureAndPalette) {
    ASSERT_EQ(SetDisplayMode(kDisplayFullScreen, 1), 1);
    displaytest::DrawDiagonals(*GetDrawSurface());
    GetDisplaySurface()->FlipCopy();
    ASSERT_EQ(SetDisplayMode(kDisplayWindow, 1), 1);
    ASSERT_EQ(GetDrawSurface(), theWindowSurface);
    EXPECT_EQ(theWindowSurface->palette, palette.get());
    GFXSurfaceLock lock(*theWindowSurface);
    ASSERT_TRUE(lock.Ok());
    EXPECT_EQ(theWindowSurface->pixels[7 * theWindowSurface->stride + 30], 37);
    EXPECT_EQ(theWindowSurface->flags & kSurfaceWriteOnly, 0u);
}

TEST_F(FullScreenModeTest, LostBackBufferIsNotCarriedBack) {
    ASSERT_EQ(SetDisplayMode(kDisplayFullScreen, 1), 1);
    ASSERT_EQ(theFlipChain[1]->kind, kSurfaceKindDirectDraw);
    {
        GFXSurfaceLock lock(*theWindowSurface);
        theWindowSurface->pixels[0] = 201;
    }
    displaytest::DrawDiagonals(*GetDrawSurface());
    theDirectDraw->LoseAllSurfaces();
    ASSERT_EQ(SetDisplayMode(kDisplayWindow, 1), 1);
    GFXSurfaceLock lock(*theWindowSurface);
    EXPECT_EQ(theWindowSurface->pixels[0], 201);
}

TEST_F(FullScreenModeTest, ToggleTwentyTimesLeavesNothingBehind) {
    for (int i = 0; i < 20; ++i) {
        ASSERT_EQ(SetDisplayMode(i % 4 == 3 ? kDisplayFullScreen3D : kDisplayFullScreen, 1), 1)
            << i;
        ASSERT_EQ(SetDisplayMode(kDisplayWindow, 1), 1) << i;
        ASSERT_EQ(win::theDirectDrawStats.liveObjects, 0) << i;
    }
    EXPECT_EQ(theDirectDraw, nullptr);
    EXPECT_EQ(theD3DDirectDraw, nullptr);
}

TEST_F(FullScreenModeTest, FailedSwitchKeepsTheWindow) {
    win::theDirect3DFaults.executeBufferFails = true;
    EXPECT_EQ(SetDisplayMode(kDisplayFullScreen3D, 1), 0);
    win::theDirectDrawFaults.displayModeFails = true;
    EXPECT_EQ(SetDisplayMode(kDisplayFullScreen, 1), 0);
    EXPECT_EQ(theDisplayMode, kDisplayWindow);
    EXPECT_EQ(GetDrawSurface(), theWindowSurface);
    EXPECT_EQ(win::theDirectDrawStats.liveObjects, 0);
}

TEST_F(FullScreenModeTest, PolygonShowsThroughThe3DMode) {
    // A grey face (the mono lighting keeps greys as they are) on a black background.
    palette->entries[40] = GFXPaletteEntry{200, 200, 200, 0};
    palette->entries[0] = GFXPaletteEntry{0, 0, 0, 0};
    ASSERT_EQ(SetDisplayMode(kDisplayFullScreen3D, 1), 1);
    ASSERT_EQ(SetDisplayMode(kDisplayFullScreen, 1), 1);  // through the window and back
    ASSERT_EQ(SetDisplayMode(kDisplayFullScreen3D, 1), 1);
    GFXSurface* s = GetDrawSurface();
    ASSERT_EQ(s->kind, kSurfaceKindDirect3D);
    const GFXDrawTable* t = s->GetDrawTable();
    t->BeginFrame(s);
    t->Clear(s, 0);
    d3dtest::Polygon quad(d3dtest::Quad(100, 100, 200), 0, 40);
    t->DrawPolygon(s, &quad.request);
    t->EndFrame(s);
    GetDisplaySurface()->FlipCopy();
    win::WindowSurface* ws = win::GetWindowSurface(main);
    ASSERT_EQ(ws->format, win::SurfaceFormat::Rgb32);
    auto at = [&](int x, int y) { return ws->pixels[static_cast<std::size_t>(y) * ws->width + x]; };
    const std::uint32_t inside = at(200, 200);
    EXPECT_NEAR(static_cast<int>((inside >> 16) & 0xFF), 200, 8);
    EXPECT_NEAR(static_cast<int>(inside & 0xFF), 200, 8);
    EXPECT_EQ(at(50, 50), 0u);
    EXPECT_EQ(at(350, 200), 0u);
    // The window gets its 8-bit picture back.
    ASSERT_EQ(SetDisplayMode(kDisplayWindow, 1), 1);
    EXPECT_EQ(win::GetWindowSurface(main)->format, win::SurfaceFormat::Indexed8);
}

}  // namespace
