// The full-screen device: chains and flips, refusals, lost surfaces, palettes on the screen,
// fills and copies, and the GDI surface.
#include "win/ddraw.h"

#include <gtest/gtest.h>

#include <cstring>

#include "win/window_surface.h"
#include "win_test_support.h"

namespace {

constexpr std::uint32_t kLevel = win::DDSCL_FULLSCREEN | win::DDSCL_EXCLUSIVE |
                                 win::DDSCL_ALLOWREBOOT | win::DDSCL_NOWINDOWCHANGES |
                                 win::DDSCL_ALLOWMODEX;

class DDrawTest : public wintest::HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        win::ResetDirectDrawStandIn();
        window = MakeWindow();
        ASSERT_EQ(win::DirectDrawCreate(nullptr, &dd, nullptr), win::DD_OK);
        ASSERT_EQ(dd->SetCooperativeLevel(window, kLevel), win::DD_OK);
        ASSERT_EQ(dd->SetDisplayMode(640, 480, 8), win::DD_OK);
    }
    void TearDown() override {
        if (dd) dd->Release();
        win::ResetDirectDrawStandIn();
        HeadlessTest::TearDown();
    }
    win::DirectDrawSurface* MakeChain(std::uint32_t backs, std::uint32_t caps = 0x6218) {
        win::DDSURFACEDESC d;
        d.dwFlags = win::DDSD_CAPS | win::DDSD_BACKBUFFERCOUNT;
        d.dwBackBufferCount = backs;
        d.ddsCaps.dwCaps = caps;
        win::DirectDrawSurface* s = nullptr;
        last = dd->CreateSurface(&d, &s, nullptr);
        return s;
    }
    static std::uint8_t* Pixels(win::DirectDrawSurface* s) {
        win::DDSURFACEDESC d;
        EXPECT_EQ(s->Lock(nullptr, &d, win::DDLOCK_WAIT, nullptr), win::DD_OK);
        return static_cast<std::uint8_t*>(d.lpSurface);
    }

    win::HWND window;
    win::DirectDraw* dd = nullptr;
    win::HRESULT last = win::DD_OK;
};

TEST_F(DDrawTest, FlipRotatesBuffersAndShowsTheFront) {
    win::DirectDrawSurface* primary = MakeChain(2);
    ASSERT_NE(primary, nullptr);
    std::vector<win::DirectDrawSurface*> backs;
    primary->EnumAttachedSurfaces(
        &backs, [](win::DirectDrawSurface* s, const win::DDSURFACEDESC*, void* c) {
            static_cast<std::vector<win::DirectDrawSurface*>*>(c)->push_back(s);
            return win::DDENUMRET_OK;
        });
    ASSERT_EQ(backs.size(), 2u);
    // Mark each buffer with its own value, then flip three times: the marks come round.
    win::DirectDrawSurface* all[3] = {primary, backs[0], backs[1]};
    for (int i = 0; i < 3; ++i) {
        Pixels(all[i])[0] = static_cast<std::uint8_t>(10 + i);
        all[i]->Unlock(nullptr);
    }
    // The program flips through the buffer it draws into, the first back buffer: that flips the
    // chain as well.
    const int expectFront[4] = {11, 12, 10, 11};
    for (int f = 0; f < 4; ++f) {
        win::DirectDrawSurface* asked = f % 2 == 0 ? primary : backs[0];
        ASSERT_EQ(asked->Flip(nullptr, win::DDFLIP_WAIT), win::DD_OK) << "flip " << f;
        EXPECT_EQ(win::GetWindowSurface(window)->indices[0], expectFront[f]) << "flip " << f;
    }
    EXPECT_EQ(win::theDirectDrawStats.flips, 4);
    primary->Release();
    EXPECT_EQ(win::theDirectDrawStats.liveObjects, 1);  // the device alone
}

TEST_F(DDrawTest, RefusalsFollowTheFaults) {
    struct Case {
        const char* name;
        std::int32_t maxBacks;
        bool noVideo;
        std::uint32_t backs;
        std::uint32_t caps;
        win::HRESULT expect;
    };
    const Case cases[] = {
        {"two backs allowed", 2, false, 2, 0x6218, win::DD_OK},
        {"two backs refused", 1, false, 2, 0x6218, win::DDERR_OUTOFVIDEOMEMORY},
        {"one back", 1, false, 1, 0x6218, win::DD_OK},
        {"video refused", 3, true, 1, 0x6218, win::DDERR_OUTOFVIDEOMEMORY},
        {"system memory", 3, true, 1, 0x2218, win::DD_OK},
        {"flip without count", 3, false, 0, 0x6218, win::DDERR_INVALIDPARAMS},
    };
    for (const Case& c : cases) {
        win::theDirectDrawFaults.maxBackBuffers = c.maxBacks;
        win::theDirectDrawFaults.noVideoMemory = c.noVideo;
        win::DirectDrawSurface* s = MakeChain(c.backs, c.caps);
        EXPECT_EQ(last, c.expect) << c.name;
        if (s != nullptr) {
            EXPECT_EQ((s->Caps() & win::DDSCAPS_VIDEOMEMORY) != 0, !c.noVideo) << c.name;
            s->Release();
        }
    }
}

TEST_F(DDrawTest, LostSurfacesRefuseUntilRestored) {
    win::DirectDrawSurface* primary = MakeChain(1);
    ASSERT_NE(primary, nullptr);
    win::DirectDrawSurface* back = nullptr;
    win::DDSCAPS caps{win::DDSCAPS_BACKBUFFER};
    ASSERT_EQ(primary->GetAttachedSurface(&caps, &back), win::DD_OK);
    dd->LoseAllSurfaces();
    win::DDSURFACEDESC d;
    win::HDC dc;
    EXPECT_EQ(back->IsLost(), win::DDERR_SURFACELOST);
    EXPECT_EQ(back->Lock(nullptr, &d, 0, nullptr), win::DDERR_SURFACELOST);
    EXPECT_EQ(primary->Flip(nullptr, 0), win::DDERR_SURFACELOST);
    EXPECT_EQ(primary->GetDC(&dc), win::DDERR_SURFACELOST);
    // Restoring the primary restores its chain.
    EXPECT_EQ(primary->Restore(), win::DD_OK);
    EXPECT_EQ(back->IsLost(), win::DD_OK);
    EXPECT_EQ(back->Lock(nullptr, &d, 0, nullptr), win::DD_OK);
    EXPECT_EQ(back->Lock(nullptr, &d, 0, nullptr), win::DDERR_SURFACEBUSY);
    EXPECT_EQ(primary->Flip(nullptr, 0), win::DDERR_SURFACEBUSY);  // a locked member
    back->Unlock(nullptr);
    EXPECT_EQ(back->Unlock(nullptr), win::DDERR_NOTLOCKED);
    back->Release();
    primary->Release();
}

TEST_F(DDrawTest, FillAndCopyAndPaletteReachTheWindow) {
    win::DirectDrawSurface* primary = MakeChain(1);
    ASSERT_NE(primary, nullptr);
    win::PALETTEENTRY entries[256];
    for (int i = 0; i < 256; ++i)
        entries[i] = win::PALETTEENTRY{static_cast<std::uint8_t>(i), 0, 9, 0};
    win::DirectDrawPalette* pal = nullptr;
    ASSERT_EQ(dd->CreatePalette(win::DDPCAPS_8BIT, entries, &pal, nullptr), win::DD_OK);
    ASSERT_EQ(primary->SetPalette(pal), win::DD_OK);

    win::DDSURFACEDESC od;
    od.dwFlags = win::DDSD_CAPS | win::DDSD_WIDTH | win::DDSD_HEIGHT;
    od.dwWidth = 8;
    od.dwHeight = 4;
    od.ddsCaps.dwCaps = win::DDSCAPS_OFFSCREENPLAIN;
    win::DirectDrawSurface* off = nullptr;
    ASSERT_EQ(dd->CreateSurface(&od, &off, nullptr), win::DD_OK);
    win::DDBLTFX fx;
    fx.dwFillColor = 77;
    ASSERT_EQ(off->Blt(nullptr, nullptr, nullptr, win::DDBLT_COLORFILL, &fx), win::DD_OK);
    const win::RECT part{2, 1, 6, 3};
    ASSERT_EQ(primary->BltFast(100, 50, off, &part, 0), win::DD_OK);
    EXPECT_EQ(primary->BltFast(638, 50, off, &part, 0), win::DDERR_INVALIDPARAMS);  // off screen
    win::WindowSurface* ws = win::GetWindowSurface(window);
    EXPECT_EQ(ws->indices[50 * ws->width + 100], 77);
    EXPECT_EQ(ws->indices[51 * ws->width + 103], 77);
    EXPECT_EQ(ws->indices[52 * ws->width + 100], 0);  // the part was two rows high
    EXPECT_EQ(ws->indices[50 * ws->width + 104], 0);

    entries[77] = win::PALETTEENTRY{1, 2, 3, 0};
    pal->SetEntries(0, 77, 1, &entries[77]);
    EXPECT_EQ(win::GetWindowSurface(window)->palette[77], 0x010203u);

    // GDI on the primary sees the same colours and its drawing reaches the screen.
    win::HDC dc;
    ASSERT_EQ(primary->GetDC(&dc), win::DD_OK);
    win::SetPixel(dc, 5, 5, win::RGB(1, 2, 3));
    primary->ReleaseDC(dc);
    EXPECT_EQ(win::GetWindowSurface(window)->indices[5 * ws->width + 5], 77);
    off->Release();
    pal->Release();
    primary->Release();
}

TEST_F(DDrawTest, GdiSurfaceFollowsTheFirstFrontBuffer) {
    win::DirectDrawSurface* primary = MakeChain(1);
    ASSERT_NE(primary, nullptr);
    auto gdi = [&] {
        win::DirectDrawSurface* g = nullptr;
        dd->GetGDISurface(&g);
        g->Release();
        return g;
    };
    EXPECT_EQ(gdi(), primary);
    primary->Flip(nullptr, 0);
    EXPECT_NE(gdi(), primary);
    primary->Flip(nullptr, 0);
    EXPECT_EQ(gdi(), primary);
    primary->Release();
}

TEST_F(DDrawTest, CooperationAndLibrary) {
    win::DirectDraw* other = nullptr;
    ASSERT_EQ(win::DirectDrawCreate(nullptr, &other, nullptr), win::DD_OK);
    EXPECT_EQ(other->SetDisplayMode(640, 480, 8), win::DDERR_NOEXCLUSIVEMODE);
    EXPECT_EQ(other->SetCooperativeLevel(win::HWND{}, kLevel), win::DDERR_INVALIDPARAMS);
    EXPECT_EQ(other->SetCooperativeLevel(window, win::DDSCL_EXCLUSIVE), win::DDERR_INVALIDPARAMS);
    other->Release();
    win::theDirectDrawFaults.libraryMissing = true;
    EXPECT_EQ(win::LoadDirectDrawLibrary(), nullptr);
    win::theDirectDrawFaults.libraryMissing = false;
    // Only a driver that was enumerated may be asked for.
    win::GUID guid = win::theSecondaryDriverGuid;
    EXPECT_EQ(win::DirectDrawCreate(&guid, &other, nullptr), win::DDERR_INVALIDPARAMS);
    win::theDirectDrawFaults.secondary3DDriver = true;
    ASSERT_EQ(win::DirectDrawCreate(&guid, &other, nullptr), win::DD_OK);
    win::DDCAPS caps, hel;
    ASSERT_EQ(other->GetCaps(&caps, &hel), win::DD_OK);
    EXPECT_TRUE(caps.dwCaps & win::DDCAPS_3D);
    other->Release();
}

}  // namespace
