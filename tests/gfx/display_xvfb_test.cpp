// The window mode on a real X server: the test starts Xvfb on a free display, shows a pattern
// drawn into the display surface through the program's palette, photographs the X screen and
// checks colours at fixed points, reserved entries included. Skipped when Xvfb, xwd or convert
// is missing.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "gfx/display.h"
#include "gfx/palette.h"
#include "gfx/system_palette.h"
#include "platform/backend.h"
#include "support/xvfb.h"
#include "win/compositor.h"
#include "win/window.h"
#include "win/window_internal.h"
#include "win/window_surface.h"

namespace {

using xvfb::At;
using xvfb::FindTool;
using xvfb::Photograph;

win::LResult PlainProc(win::HWND h, std::uint32_t m, win::WParam w, win::LParam l) {
    return win::DefWindowProc(h, m, w, l);
}

void ShowPattern(const std::string& display, const std::string& convert) {
    xvfb::UseDisplayForSdl(display);
    std::unique_ptr<platform::Backend> sdl = platform::CreateSdlBackend();
    ASSERT_NE(sdl, nullptr);
    platform::SetCurrentBackend(sdl.get());
    win::detail::ResetWindowSystem();
    ASSERT_TRUE(sdl->GetVideo().Open(platform::VideoOptions{}));
    win::WNDCLASS wc;
    wc.className = "DisplayXvfb";
    wc.wndProc = PlainProc;
    ASSERT_NE(win::RegisterClass(wc), 0);
    win::RECT r{0, 0, 640, 480};
    win::AdjustWindowRect(&r, 0x000B0000, false);
    const win::HWND main =
        win::CreateWindowEx(0, "DisplayXvfb", "Main", 0x000B0000 | win::WS_VISIBLE, r.left, r.top,
                            r.right - r.left, r.bottom - r.top, {}, {}, {}, 0);
    ASSERT_TRUE(main);
    win::SetWindowSurfaceFormat(main, win::SurfaceFormat::Indexed8);

    gfx::SetDisplayOptions(main, {}, 2);
    gfx::InitDisplay(640, 480, 8);
    ASSERT_EQ(gfx::SetDisplayMode(gfx::kDisplayWindow, 1), 1);
    gfx::GFXPalette palette;
    for (int i = 0; i < 256; ++i)
        palette.entries[i] = gfx::GFXPaletteEntry{static_cast<std::uint8_t>(i),
                                                  static_cast<std::uint8_t>((i * 7) & 0x7F), 40, 0};
    gfx::GFXSurface* draw = gfx::GetDrawSurface();
    gfx::GetDisplaySurface()->SetPaletteDeferred(&palette, 0, 256);
    {
        gfx::GFXSurfaceLock lock(*draw);
        for (int y = 0; y < draw->height; ++y)
            for (int x = 0; x < draw->width; ++x)
                draw->pixels[y * draw->stride + x] = static_cast<std::uint8_t>(x + y);
    }
    // Let the window appear before looking.
    for (int i = 0; i < 20; ++i) {
        gfx::GetDisplaySurface()->Present(nullptr);
        win::MSG m;
        while (win::PeekMessage(&m, {}, 0, 0, win::PM_REMOVE))
            win::DispatchMessage(&m);
        win::PresentNow();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::vector<unsigned char> shot = Photograph(display, convert);
    ASSERT_EQ(shot.size(), 640u * 480u * 3u);
    auto colour = [&](int index) {
        const gfx::GFXPaletteEntry& e = palette.entries[index];
        return (static_cast<std::uint32_t>(e.red) << 16) | (e.green << 8) | e.blue;
    };
    const struct {
        int x, y;
        std::uint32_t want;
    } probes[] = {
        {100, 0, colour(100)},   {5, 240, colour(245)}, {320, 100, colour(164)},
        {600, 400, colour(232)}, {0, 0, 0x000000},      {7, 0, 0xC0C0C0},
        {255, 0, 0xFFFFFF},      {250, 0, 0x00FF00},
    };
    for (const auto& p : probes)
        EXPECT_EQ(At(shot, p.x, p.y), p.want) << p.x << "," << p.y;

    gfx::SetDisplayMode(gfx::kDisplayNone, 0);
    gfx::ResetSystemPaletteState();
    win::detail::ResetWindowSystem();
    platform::SetCurrentBackend(nullptr);
    sdl->GetVideo().Close();
}

TEST(DisplayOnXvfb, WindowShowsThePatternInThePalettesColours) {
    const std::string convert = FindTool("convert");
    if (FindTool("xwd").empty() || convert.empty()) GTEST_SKIP() << "xwd or convert missing";
    xvfb::Server server(161, 230);
    if (!server.Start()) GTEST_SKIP() << "Xvfb missing or not startable";
    xvfb::ExpectPassesInChild([&] { ShowPattern(server.Display(), convert); });
}

}  // namespace
