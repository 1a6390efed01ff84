// The window's DIB surface: strides and rows, the picture shown through the program's palette
// with the reserved entries forced, deferred palette changes, and copies from other surfaces.
#include "display_test_support.h"
#include "gfx/mem_surface.h"

namespace {

using namespace gfx;
using displaytest::DisplayTest;
using displaytest::DistinctPalette;
using displaytest::Rgb;

class CDSSurfaceTest : public DisplayTest {
protected:
    std::unique_ptr<GFXCDSSurface> Make(int attach, int w = 640, int h = 480,
                                        const GFXPoint* origin = nullptr) {
        std::unique_ptr<GFXCDSSurface> s;
        EXPECT_EQ(CreateCDSSurface(&s, main, attach, origin, w, h, 8, kPixelFormat565), 1);
        return s;
    }
};

TEST_F(CDSSurfaceTest, StrideRoundsRowsToFourBytes) {
    const struct {
        int width, stride;
    } cases[] = {{640, 640}, {3, 4}, {1, 4}, {4, 4}, {5, 8}, {741, 744}};
    for (const auto& c : cases) {
        auto s = Make(0, c.width, 2);
        ASSERT_NE(s, nullptr);
        GFXSurfaceLock lock(*s);
        ASSERT_TRUE(lock.Ok());
        EXPECT_EQ(s->stride, c.stride) << c.width;
    }
}

TEST_F(CDSSurfaceTest, RefusesWhatItCannotMakeAndLeavesNothing) {
    std::unique_ptr<GFXCDSSurface> s;
    EXPECT_EQ(CreateCDSSurface(&s, main, 1, nullptr, 0, 10, 8, kPixelFormat565), 0);
    EXPECT_EQ(CreateCDSSurface(&s, main, 1, nullptr, 10, 10, 24, kPixelFormat565), 0);
    EXPECT_EQ(s, nullptr);
    EXPECT_EQ(IsWin32s(), 0);
    EXPECT_EQ(BindWinG(), 0);
}

TEST_F(CDSSurfaceTest, DetachedSurfaceHasNoDeviceContexts) {
    auto s = Make(0, 16, 16);
    EXPECT_EQ(s->displayed, 0u);
    EXPECT_FALSE(s->GetMemoryDC());
    EXPECT_FALSE(s->GetWindowDC());
    EXPECT_EQ(s->kind, kSurfaceKindDIB);
    GFXPixelFormat f;
    EXPECT_EQ(s->GetPixelFormat(&f), 0);  // 8 bits has no 16-bit layout
    // A palette change still reaches the bitmap's colour table.
    auto p = DistinctPalette(3);
    s->SetPalette(p.get(), 0, 256);
    EXPECT_EQ(s->palette, p.get());
}

TEST_F(CDSSurfaceTest, PatternComesOutThroughThePaletteWithReservedEntriesForced) {
    auto s = Make(1);
    auto p = DistinctPalette(0);
    s->SetPalette(p.get(), 0, 256);
    displaytest::DrawDiagonals(*s);
    s->Present(nullptr);
    // Top-down rows: row 0 of the bitmap is the top of the window.
    for (int x = 0; x < 256; x += 5) {
        const std::uint32_t want = x >= 10 && x <= 245 ? Rgb(p->entries[x]) : SystemColour(x);
        EXPECT_EQ(WindowColour(x, 0), want) << x;
    }
    EXPECT_EQ(WindowColour(0, 0), 0x000000u);
    EXPECT_EQ(WindowColour(7, 0), 0xC0C0C0u);
    EXPECT_EQ(WindowColour(255, 0), 0xFFFFFFu);
    EXPECT_EQ(WindowColour(1, 100), Rgb(p->entries[101]));
    // The caller's palette was given the reserved colours and the no-collapse flag.
    EXPECT_EQ(p->entries[100].flags, kPaletteNoCollapse);
    EXPECT_EQ(Rgb(p->entries[250]), SystemColour(250));
}

TEST_F(CDSSurfaceTest, DeferredChangeRecoloursTheNextPresentWithoutARedraw) {
    auto s = Make(1);
    auto first = DistinctPalette(0);
    auto second = DistinctPalette(9);
    s->SetPalette(first.get(), 0, 256);
    displaytest::DrawDiagonals(*s);
    s->Present(nullptr);
    ASSERT_EQ(WindowColour(120, 0), Rgb(first->entries[120]));

    s->SetPaletteDeferred(second.get(), 0, 256);
    EXPECT_TRUE(s->IsPalettePending());
    EXPECT_EQ(WindowColour(120, 0), Rgb(first->entries[120]));  // nothing shown yet
    s->Present(nullptr);
    EXPECT_FALSE(s->IsPalettePending());
    EXPECT_EQ(WindowColour(120, 0), Rgb(second->entries[120]));
    EXPECT_EQ(WindowColour(200, 10), Rgb(second->entries[210]));
}

TEST_F(CDSSurfaceTest, TheFirstPaletteMayArriveDeferred) {
    auto s = Make(1);
    auto p = DistinctPalette(4);
    s->SetPaletteDeferred(p.get(), 0, 256);
    displaytest::DrawDiagonals(*s);
    s->Present(nullptr);
    EXPECT_TRUE(theProgramPaletteHandle);
    EXPECT_EQ(WindowColour(150, 0), Rgb(p->entries[150]));
}

TEST_F(CDSSurfaceTest, PartialChangeTouchesOnlyItsEntries) {
    auto s = Make(1);
    auto base = DistinctPalette(0);
    s->SetPalette(base.get(), 0, 256);
    const std::uint32_t before130 = Rgb(base->entries[130]);
    auto other = DistinctPalette(20);
    s->SetPaletteDeferred(other.get(), 100, 20);  // entries 100..119
    displaytest::DrawDiagonals(*s);
    s->Present(nullptr);
    EXPECT_EQ(WindowColour(105, 0), Rgb(other->entries[105]));
    EXPECT_EQ(WindowColour(130, 0), before130);
    EXPECT_EQ(s->palette, base.get());  // entries were copied, the palette kept
}

TEST_F(CDSSurfaceTest, PresentOfARectangleCopiesOnlyIt) {
    auto s = Make(1);
    auto p = DistinctPalette(0);
    s->SetPalette(p.get(), 0, 256);
    displaytest::DrawDiagonals(*s);
    s->Present(nullptr);
    {
        GFXSurfaceLock lock(*s);
        std::fill(s->pixels, s->pixels + s->stride * s->height, std::uint8_t{50});
    }
    const GFXRect r{10, 20, 19, 29};
    s->Present(&r);
    EXPECT_EQ(WindowColour(10, 20), Rgb(p->entries[50]));
    EXPECT_EQ(WindowColour(19, 29), Rgb(p->entries[50]));
    EXPECT_EQ(WindowColour(20, 29), Rgb(p->entries[49]));  // outside: still the diagonals
    EXPECT_EQ(WindowColour(9, 20), Rgb(p->entries[29]));
}

TEST_F(CDSSurfaceTest, OriginMovesThePictureInTheWindow) {
    const GFXPoint origin{-5, -3};
    auto s = Make(1, 100, 100, &origin);
    auto p = DistinctPalette(0);
    s->SetPalette(p.get(), 0, 256);
    displaytest::DrawDiagonals(*s);
    s->Present(nullptr);
    // Window (10, 10) shows bitmap pixel (15, 13), index 28.
    EXPECT_EQ(WindowColour(10, 10), Rgb(p->entries[28]));
    EXPECT_EQ(WindowColour(94, 96), Rgb(p->entries[99 + 99]));
}

TEST_F(CDSSurfaceTest, BlitCopiesAnotherSurfacesPixels) {
    auto s = Make(0, 32, 32);
    auto mem = GFXMemSurface::Create(8, 8, 8);
    ASSERT_NE(mem, nullptr);
    {
        GFXSurfaceLock lock(*mem);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                mem->pixels[y * mem->stride + x] = static_cast<std::uint8_t>(100 + y * 8 + x);
    }
    s->flags |= kSurfaceClipRegion;
    s->Blit(mem.get(), GFXRect{0, 0, 7, 7}, GFXPoint{4, 6});
    EXPECT_NE(s->flags & kSurfaceClipRegion, 0u);  // restored after the copy
    GFXSurfaceLock lock(*s);
    EXPECT_EQ(s->pixels[6 * s->stride + 4], 100);
    EXPECT_EQ(s->pixels[13 * s->stride + 11], 163);
    EXPECT_EQ(s->pixels[5 * s->stride + 4], 0);
}

}  // namespace
