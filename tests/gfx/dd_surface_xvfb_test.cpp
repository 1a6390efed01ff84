// The full-screen modes on a real X server: twenty switches between full screen and the window
// leave no device object behind, and a face drawn in the 3D mode shows at the same points of
// the screen as the same face drawn in the window. Skipped when Xvfb, xwd or convert is missing.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>

#include "platform/backend.h"
#include "support/xvfb.h"
#include "gfx/dd_surface_modes.h"
#include "gfx/display.h"
#include "gfx/draw_table.h"
#include "gfx/palette.h"
#include "gfx/raster/poly_request.h"
#include "gfx/system_palette.h"
#include "win/compositor.h"
#include "win/ddraw.h"
#include "win/window.h"
#include "win/window_internal.h"
#include "win/window_surface.h"

namespace {

win::LResult PlainProc(win::HWND h, std::uint32_t m, win::WParam w, win::LParam l) {
    return win::DefWindowProc(h, m, w, l);
}

void Settle(int rounds = 10) {
    for (int i = 0; i < rounds; ++i) {
        win::MSG m;
        while (win::PeekMessage(&m, {}, 0, 0, win::PM_REMOVE))
            win::DispatchMessage(&m);
        win::PresentNow();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

// A filled square drawn by hand in the window mode; through the 3D draw table in mode 3.
void DrawSquare(gfx::GFXSurface* s, std::uint8_t colour, bool device) {
    if (!device) {
        gfx::GFXSurfaceLock lock(*s);
        for (int y = 0; y < s->height; ++y)
            for (int x = 0; x < s->width; ++x)
                s->pixels[y * s->stride + x] =
                    (x >= 100 && x < 300 && y >= 100 && y < 300) ? colour : 0;
        return;
    }
    const gfx::GFXDrawTable* t = s->GetDrawTable();
    gfx::GFXScreenPoint p[4] = {
        {100, 100, 0, 1.0f}, {300, 100, 0, 1.0f}, {300, 300, 0, 1.0f}, {100, 300, 0, 1.0f}};
    const gfx::GFXScreenPoint* pp[4] = {&p[0], &p[1], &p[2], &p[3]};
    gfx::GFXPolyRequest q;
    q.points = pp;
    q.count = 4;
    q.colour = colour;
    t->BeginFrame(s);
    t->Clear(s, 0);
    t->DrawPolygon(s, &q);
    t->EndFrame(s);
}

void RunFullScreen(const std::string& display, const std::string& convert) {
    xvfb::UseDisplayForSdl(display);
    std::unique_ptr<platform::Backend> sdl = platform::CreateSdlBackend();
    ASSERT_NE(sdl, nullptr);
    platform::SetCurrentBackend(sdl.get());
    win::detail::ResetWindowSystem();
    ASSERT_TRUE(sdl->GetVideo().Open(platform::VideoOptions{}));
    win::WNDCLASS wc;
    wc.className = "FullScreenXvfb";
    wc.wndProc = PlainProc;
    ASSERT_NE(win::RegisterClass(wc), 0);
    win::RECT r{0, 0, 640, 480};
    win::AdjustWindowRect(&r, 0x000B0000, false);
    const win::HWND main =
        win::CreateWindowEx(0, "FullScreenXvfb", "Main", 0x000B0000 | win::WS_VISIBLE, r.left,
                            r.top, r.right - r.left, r.bottom - r.top, {}, {}, {}, 0);
    ASSERT_TRUE(main);
    win::SetWindowSurfaceFormat(main, win::SurfaceFormat::Indexed8);
    gfx::SetDisplayOptions(main, {}, 2);
    gfx::InitDisplay(640, 480, 8);
    ASSERT_EQ(gfx::SetDisplayMode(gfx::kDisplayWindow, 1), 1);
    gfx::GFXPalette palette;
    for (int i = 0; i < 256; ++i)
        palette.entries[i] =
            gfx::GFXPaletteEntry{static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i),
                                 static_cast<std::uint8_t>(i), 0};
    gfx::GetDisplaySurface()->SetPalette(&palette, 0, 256);

    for (int i = 0; i < 20; ++i) {
        ASSERT_EQ(gfx::SetDisplayMode(gfx::kDisplayFullScreen, 1), 1) << i;
        gfx::GetDisplaySurface()->FlipCopy();
        Settle(2);
        ASSERT_EQ(gfx::SetDisplayMode(gfx::kDisplayWindow, 1), 1) << i;
        EXPECT_EQ(win::theDirectDrawStats.liveObjects, 0) << i;
    }

    // The same square in the window and through the 3D device, photographed at fixed points.
    const struct {
        int x, y;
        bool inside;
    } probes[] = {{150, 150, true}, {290, 110, true},  {200, 280, true},
                  {50, 50, false},  {350, 200, false}, {200, 350, false}};
    std::vector<unsigned char> shots[2];
    for (int pass = 0; pass < 2; ++pass) {
        if (pass == 1) {
            ASSERT_EQ(gfx::SetDisplayMode(gfx::kDisplayFullScreen3D, 1), 1);
        }
        gfx::GFXSurface* s = gfx::GetDrawSurface();
        DrawSquare(s, 200, pass == 1);
        if (pass == 0)
            gfx::GetDisplaySurface()->Present(nullptr);
        else
            gfx::GetDisplaySurface()->FlipCopy();
        Settle();
        shots[pass] = xvfb::Photograph(display, convert);
        ASSERT_EQ(shots[pass].size(), 640u * 480u * 3u);
    }
    for (const auto& p : probes) {
        // The window's picture sits below its frame; compare the same client points.
        const std::uint32_t window = xvfb::At(shots[0], p.x, p.y);
        const std::uint32_t device = xvfb::At(shots[1], p.x, p.y);
        EXPECT_NEAR(static_cast<int>(window >> 16), static_cast<int>(device >> 16), 12)
            << p.x << "," << p.y;
        EXPECT_EQ((device >> 16) > 100, p.inside) << p.x << "," << p.y;
    }
    ASSERT_EQ(gfx::SetDisplayMode(gfx::kDisplayWindow, 1), 1);
    EXPECT_EQ(win::theDirectDrawStats.liveObjects, 0);

    gfx::SetDisplayMode(gfx::kDisplayNone, 0);
    gfx::ResetSystemPaletteState();
    win::detail::ResetWindowSystem();
    platform::SetCurrentBackend(nullptr);
    sdl->GetVideo().Close();
}

TEST(FullScreenOnXvfb, TogglesAndShowsTheSameScene) {
    const std::string convert = xvfb::FindTool("convert");
    if (xvfb::FindTool("xwd").empty() || convert.empty()) GTEST_SKIP() << "xwd or convert missing";
    xvfb::Server server;
    if (!server.Start()) GTEST_SKIP() << "Xvfb missing or not startable";
    xvfb::ExpectPassesInChild([&] { RunFullScreen(server.Display(), convert); });
}

}  // namespace
