// The full-screen binding and its surfaces: chains the device cuts down, palettes along the
// chain, presenting by flips or GDI copies, lost surfaces and the device clear.
#include "gfx/dd_surface.h"

#include <gtest/gtest.h>

#include <memory>

#include "display_test_support.h"
#include "gfx/draw_table.h"

namespace {

using displaytest::DisplayTest;

class DDSurfaceTest : public DisplayTest {
protected:
    void SetUp() override {
        DisplayTest::SetUp();
        win::ResetDirectDrawStandIn();
    }
    void TearDown() override {
        DestroyChain();
        gfx::RestoreDDrawDisplayMode();
        gfx::ReleaseDirectDraw();
        win::ResetDirectDrawStandIn();
        DisplayTest::TearDown();
    }
    bool Start(std::int32_t depth, std::int32_t count) {
        if (!gfx::InitDirectDraw(main)) return false;
        if (!gfx::SetDDrawDisplayMode(640, 480, depth)) return false;
        return gfx::CreateFlipChain(chain, count) == 1;
    }
    void DestroyChain() {
        // Back buffers first: the primary frees the device chain.
        for (int i = 2; i >= 0; --i) {
            delete chain[i];
            chain[i] = nullptr;
        }
    }
    gfx::GFXDDSurface* chain[3] = {};
};

TEST_F(DDSurfaceTest, ChainsTheDeviceCutsDown) {
    struct Case {
        const char* name;
        std::int32_t maxBacks;
        bool noVideo;
        std::int32_t asked;
        std::int32_t members;
        bool video;
    };
    const Case cases[] = {
        {"three granted", 3, false, 3, 3, true},
        {"two backs refused", 1, false, 3, 2, true},
        {"no video memory", 3, true, 3, 2, false},
        {"pair", 3, false, 2, 2, true},
    };
    for (const Case& c : cases) {
        win::theDirectDrawFaults.maxBackBuffers = c.maxBacks;
        win::theDirectDrawFaults.noVideoMemory = c.noVideo;
        ASSERT_TRUE(Start(8, c.asked)) << c.name;
        EXPECT_EQ(chain[0]->chainCount, c.members) << c.name;
        for (int i = 0; i < c.members; ++i) {
            ASSERT_NE(chain[i], nullptr) << c.name;
            EXPECT_EQ(chain[i]->displayed, i == 0 ? 1u : 0u) << c.name;
            EXPECT_EQ((chain[i]->flags & gfx::kSurfaceVideoMemory) != 0, c.video) << c.name;
            EXPECT_EQ(chain[i]->chainNext, chain[(i + 1) % c.members]) << c.name;
        }
        if (c.members < 3) {
            EXPECT_EQ(chain[2], nullptr) << c.name;
        }
        // Without video memory FlipCopy copies nothing back.
        chain[0]->copiesLeft = c.members - 1;
        chain[0]->FlipCopy();
        EXPECT_EQ(chain[0]->copiesLeft, c.video ? c.members - 2 : c.members - 1) << c.name;
        DestroyChain();
        gfx::ReleaseDirectDraw();
        win::ResetDirectDrawStandIn();
    }
    EXPECT_EQ(win::theDirectDrawStats.liveObjects, 0);
}

TEST_F(DDSurfaceTest, PaletteChangesAlongTheChain) {
    ASSERT_TRUE(Start(8, 3));
    auto first = displaytest::DistinctPalette(1);
    auto second = displaytest::DistinctPalette(2);
    chain[1]->SetPalette(first.get(), 0, 256);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(chain[i]->palette, first.get());
    const std::uint32_t waits = win::theDirectDrawStats.verticalBlankWaits;
    EXPECT_GT(waits, 0u);
    EXPECT_EQ(WindowColour(0, 0), displaytest::Rgb(first->entries[0]));
    // A partial change copies its entries only, and the deferred one waits for the flip.
    const gfx::GFXPaletteEntry before = first->entries[99];
    chain[1]->SetPaletteDeferred(second.get(), 100, 2);
    EXPECT_EQ(chain[1]->palette, first.get());
    EXPECT_EQ(first->entries[100], second->entries[100]);
    EXPECT_EQ(first->entries[99], before);
    EXPECT_EQ(chain[1]->palettePending, 1);
    EXPECT_EQ(win::theDirectDrawStats.verticalBlankWaits, static_cast<std::int32_t>(waits));
    chain[1]->Flip();
    EXPECT_EQ(chain[1]->palettePending, 0);
    EXPECT_EQ(win::GetWindowSurface(main)->palette[100] & 0xFFFFFF,
              displaytest::Rgb(second->entries[100]));
}

TEST_F(DDSurfaceTest, SixteenBitsStoresThePaletteAndReportsItsFormat) {
    ASSERT_TRUE(Start(16, 2));
    auto pal = displaytest::DistinctPalette(3);
    const std::int32_t waits = win::theDirectDrawStats.verticalBlankWaits;
    chain[0]->SetPalette(pal.get(), 0, 256);
    EXPECT_EQ(chain[1]->palette, pal.get());
    EXPECT_EQ(win::theDirectDrawStats.verticalBlankWaits, waits);
    gfx::GFXPixelFormat f;
    ASSERT_EQ(chain[0]->GetPixelFormat(&f), 1);
    EXPECT_EQ(f.redBits, 5);
    EXPECT_EQ(f.redShift, 11);
    EXPECT_EQ(f.greenBits, 6);
    EXPECT_EQ(f.greenShift, 5);
    EXPECT_EQ(f.blueBits, 5);
    EXPECT_EQ(f.blueShift, 0);
}

TEST_F(DDSurfaceTest, EightBitHasNoPixelFormat) {
    ASSERT_TRUE(Start(8, 2));
    gfx::GFXPixelFormat f;
    EXPECT_EQ(chain[0]->GetPixelFormat(&f), 0);
}

TEST_F(DDSurfaceTest, PartialPaletteRangeReachingPastTheTable) {
    ASSERT_TRUE(Start(8, 2));
    auto pal = displaytest::DistinctPalette(4);
    chain[0]->SetPalette(pal.get(), 0, 256);
    auto other = displaytest::DistinctPalette(9);
    chain[0]->SetPalette(other.get(), 240, INT32_MAX);
    EXPECT_EQ(pal->entries[242], other->entries[242]);
    EXPECT_NE(pal->entries[100], other->entries[100]);
}

TEST_F(DDSurfaceTest, PageFlipShowsTheBackPicture) {
    ASSERT_TRUE(Start(8, 3));
    auto pal = displaytest::DistinctPalette(4);
    chain[0]->SetPalette(pal.get(), 0, 256);
    displaytest::DrawDiagonals(*chain[1]);
    chain[0]->Flip();
    EXPECT_EQ(WindowIndex(10, 3), 13);
    EXPECT_EQ(WindowIndex(300, 200), static_cast<std::uint8_t>(500));
    // A frame ends with FlipCopy of the surface it was drawn on, the second member: its picture
    // comes to the front as well.
    {
        gfx::GFXSurfaceLock lock(*chain[1]);
        chain[1]->pixels[3 * chain[1]->stride + 10] = 77;
    }
    chain[1]->FlipCopy();
    EXPECT_EQ(WindowIndex(10, 3), 77);
}

TEST_F(DDSurfaceTest, DibBackBufferIsCopiedThroughGdi) {
    ASSERT_TRUE(Start(8, 2));
    // The two-buffer chain: the device's back buffer gives way to a DIB surface.
    auto pal = displaytest::DistinctPalette(5);
    std::unique_ptr<gfx::GFXCDSSurface> dib;
    ASSERT_EQ(gfx::CreateCDSSurface(&dib, main, 1, nullptr, 640, 480, 8, gfx::kPixelFormat565), 1);
    dib->flags |= gfx::kSurfaceKeepSysPal;
    dib->chainNext = chain[0];
    dib->chainCount = 2;
    delete chain[1];
    chain[1] = nullptr;
    chain[0]->chainNext = dib.get();
    chain[0]->SetPalette(pal.get(), 0, 256);
    EXPECT_EQ(dib->palette, pal.get());
    displaytest::DrawDiagonals(*dib);
    chain[0]->Flip();
    EXPECT_EQ(WindowIndex(7, 9), 16);
    EXPECT_EQ(WindowColour(7, 9), displaytest::Rgb(pal->entries[16]));
    EXPECT_EQ(win::theDirectDrawStats.flips, 0);
    chain[0]->chainNext = chain[0];
}

TEST_F(DDSurfaceTest, LostSurfaceIsRestoredAtLock) {
    ASSERT_TRUE(Start(8, 2));
    gfx::theDirectDraw->LoseAllSurfaces();
    EXPECT_EQ(chain[1]->surface->IsLost(), win::DDERR_SURFACELOST);
    gfx::GFXSurfaceLock lock(*chain[1]);
    EXPECT_TRUE(lock.Ok());
    EXPECT_NE(chain[1]->pixels, nullptr);
    EXPECT_EQ(chain[1]->surface->IsLost(), win::DD_OK);
}

TEST_F(DDSurfaceTest, ClearFillsThroughTheDeviceAndKeepsTheLock) {
    ASSERT_TRUE(Start(8, 2));
    gfx::GFXSurfaceLock lock(*chain[1]);
    ASSERT_TRUE(lock.Ok());
    chain[1]->GetDrawTable()->Clear(chain[1], 42);
    EXPECT_EQ(chain[1]->lockCount, 1);
    ASSERT_NE(chain[1]->pixels, nullptr);
    EXPECT_EQ(chain[1]->pixels[0], 42);
    EXPECT_EQ(chain[1]->pixels[479 * chain[1]->stride + 639], 42);
}

TEST_F(DDSurfaceTest, BindingFailuresLeaveNothing) {
    gfx::theDDrawModule = nullptr;  // as at program start: the library is not loaded yet
    win::theDirectDrawFaults.libraryMissing = true;
    EXPECT_EQ(gfx::InitDirectDraw(main), 0);
    win::theDirectDrawFaults = win::DirectDrawFaults{};
    win::theDirectDrawFaults.createFails = true;
    EXPECT_EQ(gfx::InitDirectDraw(main), 0);
    win::theDirectDrawFaults = win::DirectDrawFaults{};
    EXPECT_EQ(gfx::InitDirectDraw(win::HWND{}), 0);
    EXPECT_EQ(gfx::theDirectDraw, nullptr);
    EXPECT_EQ(win::theDirectDrawStats.liveObjects, 0);
    ASSERT_EQ(gfx::InitDirectDraw(main), 1);
    win::theDirectDrawFaults.displayModeFails = true;
    EXPECT_EQ(gfx::SetDDrawDisplayMode(640, 480, 8), 0);
}

TEST_F(DDSurfaceTest, FlipToGdiSurfaceBringsTheFirstBufferForward) {
    ASSERT_TRUE(Start(8, 3));
    chain[0]->Flip();
    displaytest::DrawDiagonals(*chain[0]);
    chain[0]->FlipToGdiSurface();
    win::DirectDrawSurface* gdi = nullptr;
    ASSERT_EQ(gfx::theDirectDraw->GetGDISurface(&gdi), win::DD_OK);
    EXPECT_EQ(gdi, chain[0]->surface);
    gdi->Release();
    // The picture travelled with the flips.
    EXPECT_EQ(WindowIndex(5, 6), 11);
}

}  // namespace
