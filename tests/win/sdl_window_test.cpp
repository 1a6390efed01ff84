// The whole window system on the SDL machine under Xvfb: the main window's 8-bit picture
// reaches the X screen through the compositor, a palette change alone recolours it, and
// GetMessage sleeps until its timer is due instead of spinning.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <chrono>
#include <memory>
#include <thread>

#include "platform/backend.h"
#include "support/sdl_main_window.h"
#include "support/xvfb.h"
#include "win/compositor.h"
#include "win/window.h"
#include "win/window_internal.h"
#include "win/window_surface.h"

namespace {

using namespace win;

LResult PlainProc(HWND h, std::uint32_t m, WParam w, LParam l) {
    return DefWindowProc(h, m, w, l);
}

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

void RunOnSdl(const std::string& display, const std::string& convert) {
    std::unique_ptr<platform::Backend> sdl;
    HWND main{};
    ASSERT_NO_FATAL_FAILURE(testsupport::CreateSdlMainWindow(display, PlainProc, &sdl, &main));
    SetWindowSurfaceFormat(main, SurfaceFormat::Indexed8);
    std::array<std::uint32_t, 256> ramp{};
    for (int i = 0; i < 256; ++i)
        ramp[i] = static_cast<std::uint32_t>((i << 16) | (255 - i));
    SetWindowSurfacePalette(main, ramp);
    WindowSurface* s = GetWindowSurface(main);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x)
            s->indices[y * 640 + x] = static_cast<std::uint8_t>(y / 2);
    MarkWindowSurfaceDrawn(main);
    ShowWindow(main, SW_SHOWNORMAL);  // opens the machine's window
    MSG m;
    for (int i = 0; i < 20; ++i) {
        while (PeekMessage(&m, {}, 0, 0, PM_REMOVE))
            DispatchMessage(&m);
        RequestPresent();
        PresentNow();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_TRUE(sdl->GetVideo().IsOpen());
    std::vector<unsigned char> shot = xvfb::Photograph(display, convert);
    ASSERT_EQ(shot.size(), 640u * 480u * 3u);
    EXPECT_EQ(xvfb::At(shot, 100, 20), 0x0A00F5u);   // row 20: index 10
    EXPECT_EQ(xvfb::At(shot, 600, 400), 0xC80037u);  // row 400: index 200

    ramp[200] = 0x00FF00;
    SetWindowSurfacePalette(main, ramp);
    EXPECT_TRUE(PresentNow());
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    shot = xvfb::Photograph(display, convert);
    ASSERT_EQ(shot.size(), 640u * 480u * 3u);
    EXPECT_EQ(xvfb::At(shot, 600, 400), 0x00FF00u);
    EXPECT_EQ(xvfb::At(shot, 100, 20), 0x0A00F5u);

    // GetMessage waits for the timer's event without spinning.
    while (PeekMessage(&m, {}, 0, 0, PM_REMOVE))
        DispatchMessage(&m);
    SetTimer(main, 1, 300, nullptr);
    const auto start = std::chrono::steady_clock::now();
    const double cpu = CpuSeconds();
    int got = 0;
    do {
        got = GetMessage(&m, {}, 0, 0);
        if (m.message != WM_TIMER) DispatchMessage(&m);
    } while (got > 0 && m.message != WM_TIMER);
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(m.message, WM_TIMER);
    EXPECT_GE(wall, 0.28);
    EXPECT_LT(CpuSeconds() - cpu, wall * 0.5);
    DestroyWindow(main);
    detail::ResetWindowSystem();
    platform::SetCurrentBackend(nullptr);
}

TEST(WindowSystemOnXvfb, PictureReachesTheScreenAndTheLoopSleeps) {
    const std::string convert = xvfb::FindTool("convert");
    if (xvfb::FindTool("xwd").empty() || convert.empty()) GTEST_SKIP() << "xwd or convert missing";
    xvfb::Server server;
    if (!server.Start()) GTEST_SKIP() << "Xvfb missing or not startable";
    xvfb::ExpectPassesInChild([&] { RunOnSdl(server.Display(), convert); });
}

}  // namespace
