// Display set-up in the window modes: one surface per mode, refused full-screen devices, the
// bordered mode and its reused border surface, carried pictures and palettes.
#include "display_test_support.h"
#include "gfx/draw_table.h"
#include "win/ddraw.h"

namespace {

using namespace gfx;
using displaytest::DisplayTest;
using displaytest::DistinctPalette;
using displaytest::Rgb;

class DisplaySetUpTest : public DisplayTest {};

TEST_F(DisplaySetUpTest, ModeOneTwiceMakesOneSurface) {
    EXPECT_EQ(GetDrawSurface(), nullptr);
    ASSERT_EQ(SetDisplayMode(kDisplayWindow, 1), 1);
    GFXSurface* first = GetDrawSurface();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, theWindowSurface);
    EXPECT_EQ(GetDisplaySurface(), first);
    EXPECT_EQ(first->width, 640);
    EXPECT_EQ(first->height, 480);
    EXPECT_EQ(first->bitsPerPixel, 8);
    EXPECT_EQ(SetDisplayMode(kDisplayWindow, 1), 1);
    EXPECT_EQ(GetDrawSurface(), first);
    EXPECT_EQ(theBorderSurface, nullptr);
}

TEST_F(DisplaySetUpTest, ModeFourFromModeFourCreatesNothing) {
    EXPECT_EQ(SetDisplayMode(kDisplayNone, 1), 1);
    EXPECT_EQ(theWindowSurface, nullptr);
    EXPECT_EQ(theDisplayMode, kDisplayNone);
    EXPECT_EQ(SetDisplayMode(7, 1), 0);
    EXPECT_EQ(SetDisplayMode(-1, 1), 0);
}

TEST_F(DisplaySetUpTest, UnavailableDevicesFailAndTheModeStays) {
    // A machine whose full-screen device cannot be made.
    win::theDirectDrawFaults.createFails = true;
    ASSERT_EQ(SetDisplayMode(kDisplayWindow, 1), 1);
    GFXSurface* window = GetDrawSurface();
    for (int mode : {kDisplayFullScreen, kDisplayFullScreen3D}) {
        EXPECT_EQ(SetDisplayMode(mode, 1), 0) << mode;
        EXPECT_EQ(theDisplayMode, kDisplayWindow);
        EXPECT_EQ(GetDrawSurface(), window);
    }
    ASSERT_EQ(SetDisplayMode(kDisplayBordered, 1), 1);
    EXPECT_EQ(SetDisplayMode(kDisplayFullScreen, 1), 0);
    EXPECT_EQ(theDisplayMode, kDisplayBordered);
    EXPECT_EQ(GetDrawSurface(), theBorderView);
    win::theDirectDrawFaults = win::DirectDrawFaults{};
}

TEST_F(DisplaySetUpTest, BorderSurfaceIsMadeOnceAcrossModeSwitches) {
    ASSERT_EQ(SetDisplayMode(kDisplayWindow, 1), 1);
    ASSERT_EQ(SetDisplayMode(kDisplayBordered, 1), 1);
    GFXCDSSurface* border = theBorderSurface;
    ASSERT_NE(border, nullptr);
    EXPECT_EQ(border->width, 740);
    EXPECT_EQ(border->height, 580);
    EXPECT_EQ(GetDisplaySurface(), border);
    EXPECT_EQ(GetDrawSurface(), theBorderView);
    // A mark in the ring, where nothing draws: it survives only if the surface does.
    {
        GFXSurfaceLock lock(*border);
        border->pixels[3 * border->stride + 3] = 77;
    }
    ASSERT_EQ(SetDisplayMode(kDisplayWindow, 1), 1);
    EXPECT_EQ(theBorderSurface, border);  // kept while the window mode runs
    ASSERT_EQ(SetDisplayMode(kDisplayBordered, 1), 1);
    ASSERT_EQ(theBorderSurface, border);
    GFXSurfaceLock lock(*border);
    EXPECT_EQ(border->pixels[3 * border->stride + 3], 77);
}

TEST_F(DisplaySetUpTest, LineTowardsTheCornerStaysInsideTheBorderedSurface) {
    ASSERT_EQ(SetDisplayMode(kDisplayWindow, 1), 1);
    ASSERT_EQ(SetDisplayMode(kDisplayBordered, 0), 1);
    GFXCDSSurface* border = theBorderSurface;
    {
        GFXSurfaceLock lock(*border);
        std::fill(border->pixels, border->pixels + border->stride * border->height,
                  std::uint8_t{0});
    }
    std::vector<std::uint8_t> windowBefore;
    {
        GFXSurfaceLock lock(*theWindowSurface);
        windowBefore.assign(theWindowSurface->pixels,
                            theWindowSurface->pixels + theWindowSurface->stride * 480);
    }
    GFXSurface* draw = GetDrawSurface();
    for (std::uint32_t clip : {0u, kSurfaceClipRect}) {
        draw->flags = (draw->flags & ~kSurfaceClipRect) | clip;
        draw->GetDrawTable()->DrawSegment(draw, GFXPoint{60, 60}, GFXPoint{-40, -40}, 200);
    }
    GFXSurfaceLock lock(*border);
    int changed = 0;
    for (int y = 0; y < border->height; ++y)
        for (int x = 0; x < border->width; ++x) {
            if (border->pixels[y * border->stride + x] == 0) continue;
            ++changed;
            // Only picture pixels of the bordered surface; nothing in the ring above or left.
            EXPECT_GE(x, kDisplayBorder);
            EXPECT_GE(y, kDisplayBorder);
        }
    EXPECT_GT(changed, 50);
    EXPECT_EQ(border->pixels[kDisplayBorder * border->stride + kDisplayBorder], 200);
    GFXSurfaceLock windowLock(*theWindowSurface);
    EXPECT_TRUE(std::equal(windowBefore.begin(), windowBefore.end(), theWindowSurface->pixels));
}

TEST_F(DisplaySetUpTest, BorderedModeShowsTheCentreOfTheBorderedSurface) {
    ASSERT_EQ(SetDisplayMode(kDisplayWindow, 1), 1);
    ASSERT_EQ(SetDisplayMode(kDisplayBordered, 1), 1);
    auto p = DistinctPalette(0);
    GetDisplaySurface()->SetPalette(p.get(), 0, 256);
    displaytest::DrawDiagonals(*theBorderSurface);
    GetDisplaySurface()->Present(nullptr);
    // Window (0, 0) is view (0, 0), bordered-surface (50, 50): index 100.
    EXPECT_EQ(WindowColour(0, 0), Rgb(p->entries[100]));
    EXPECT_EQ(WindowColour(30, 10), Rgb(p->entries[140]));
    EXPECT_EQ(WindowColour(639, 479), Rgb(p->entries[(689 + 529) & 0xFF]));
}

TEST_F(DisplaySetUpTest, SwitchesCarryThePictureAndThePalette) {
    ASSERT_EQ(SetDisplayMode(kDisplayWindow, 1), 1);
    auto p = DistinctPalette(0);
    GetDisplaySurface()->SetPalette(p.get(), 0, 256);
    displaytest::DrawDiagonals(*GetDrawSurface());
    ASSERT_EQ(SetDisplayMode(kDisplayBordered, 1), 1);
    GFXSurface* view = GetDrawSurface();
    EXPECT_EQ(view->palette, p.get());
    EXPECT_EQ(theBorderSurface->palette, p.get());
    {
        GFXSurfaceLock lock(*view);
        EXPECT_EQ(view->pixels[10 * view->stride + 20], 30);
        EXPECT_EQ(view->pixels[479 * view->stride + 639], (639 + 479) & 0xFF);
        view->pixels[5 * view->stride + 5] = 3;  // drawn in the bordered mode
    }
    auto q = DistinctPalette(5);
    view->SetPalette(q.get(), 0, 256);
    view->flags |= kSurfaceCursor;
    ASSERT_EQ(SetDisplayMode(kDisplayWindow, 1), 1);
    EXPECT_EQ(theWindowSurface->palette, q.get());
    EXPECT_NE(theWindowSurface->flags & kSurfaceCursor, 0u);  // flags come whole
    theWindowSurface->flags &= ~kSurfaceCursor;
    GFXSurfaceLock lock(*theWindowSurface);
    EXPECT_EQ(theWindowSurface->pixels[5 * theWindowSurface->stride + 5], 3);
}

TEST_F(DisplaySetUpTest, InitDisplayRebuildsAtTheNewSizeWithThePalette) {
    EXPECT_EQ(InitDisplay(320, 200, 8), 1);  // mode 4: only recorded
    EXPECT_EQ(theWindowSurface, nullptr);
    ASSERT_EQ(SetDisplayMode(kDisplayWindow, 1), 1);
    EXPECT_EQ(GetDrawSurface()->width, 320);
    auto p = DistinctPalette(0);
    GetDrawSurface()->SetPalette(p.get(), 0, 256);
    ASSERT_EQ(SetDisplayMode(kDisplayBordered, 1), 1);
    ASSERT_EQ(InitDisplay(640, 480, 8), 1);
    EXPECT_EQ(theDisplayMode, kDisplayBordered);
    EXPECT_EQ(GetDrawSurface()->width, 640);
    EXPECT_EQ(theBorderSurface->width, 740);
    EXPECT_EQ(theWindowSurface->palette, p.get());
    EXPECT_EQ(GetDrawSurface()->palette, p.get());
    EXPECT_EQ(GetDisplaySurface()->palette, p.get());
}

TEST_F(DisplaySetUpTest, ModeFourDestroysEverySurface) {
    ASSERT_EQ(SetDisplayMode(kDisplayWindow, 1), 1);
    ASSERT_EQ(SetDisplayMode(kDisplayBordered, 1), 1);
    ASSERT_EQ(SetDisplayMode(kDisplayNone, 1), 1);
    EXPECT_EQ(theWindowSurface, nullptr);
    EXPECT_EQ(theBorderSurface, nullptr);
    EXPECT_EQ(theBorderView, nullptr);
    EXPECT_EQ(GetDrawSurface(), nullptr);
    EXPECT_EQ(GetDisplaySurface(), nullptr);
    EXPECT_FALSE(theProgramPaletteHandle);
}

}  // namespace
