// The main window asks the GPS window for the cursor first: the sizing shapes at its edges and
// corners, the program's arrow over its buttons and inside it, and nothing of the GPS's outside
// the cockpit views.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cockpit/gps_display.h"
#include "core/resource_pack.h"
#include "platform/headless/headless_backend.h"
#include "sim/main_window.h"
#include "sim/view_controller.h"
#include "win/input.h"
#include "win/window.h"
#include "win/window_internal.h"

namespace {

// A bezel of 100 x 120 with borders 6 and buttons of 8 x 6 on a 20-row bottom border.
cockpit::GpsBezel SampleBezel() {
    std::vector<std::uint8_t> px(100 * 120, 9);
    auto fill = [&](int l, int t, int r, int b, std::uint8_t c) {
        for (int y = t; y < b; ++y)
            for (int x = l; x < r; ++x)
                px[static_cast<std::size_t>(y) * 100 + x] = c;
    };
    fill(6, 6, 94, 100, 0);
    for (int y = 7; y < 7 + 13 * 7; y += 7) {
        fill(7, y, 15, y + 6, 30);
        fill(16, y, 24, y + 6, 50);
    }
    return cockpit::CutGpsBezel(px.data(), 100, 120, 100);
}

TEST(GpsCursor, TheMainWindowAsksTheGpsFirst) {
    std::string error;
    const win::HINSTANCE pack =
        core::OpenResourcePack(std::string(ZEPHLON_BINARY_DIR) + "/bin/Zephlon.pack", &error);
    if (!pack) GTEST_SKIP() << "resource pack not built: " << error;
    platform::HeadlessBackend machine;
    platform::SetCurrentBackend(&machine);
    win::detail::ResetWindowSystem();
    win::WNDCLASS wc;
    wc.className = "GpsCursorTest";
    wc.wndProc = sim::MainWndProc;
    ASSERT_NE(win::RegisterClass(wc), 0);
    const win::HWND w = win::CreateWindowEx(0, "GpsCursorTest", "GPS", win::WS_VISIBLE, 0, 0, 640,
                                            480, {}, {}, {}, 0);
    ASSERT_TRUE(w);
    const win::HINSTANCE kept = sim::theMainWindow.resourceLibrary;
    sim::theMainWindow.resourceLibrary = pack;
    cockpit::GpsDisplay& gps = cockpit::theGpsDisplay;
    gps.Load(0);
    gps.SetBezel(SampleBezel());
    gps.SetWindowRect(32, 32, 256, 256);
    const cockpit::GpsRect menu = gps.ButtonRect(cockpit::kGpsMenu);

    const struct {
        int view;
        int x, y;
        std::uint32_t cursor;
    } cases[] = {
        {0, 34, 150, 732},   // left edge
        {0, 286, 150, 732},  // right edge
        {0, 150, 34, 731},   // top
        {0, 150, 287, 731},  // bottom, beside the buttons
        {0, 34, 34, 729},    // top-left
        {0, 286, 286, 729},  // bottom-right
        {0, 286, 34, 730},   // top-right
        {0, 42, 34, 729},    // the top edge near the left corner takes the corner
        {0, 150, 150, 631},  // inside: the main window's own arrow
        {0, 32 + menu.left + 1, 32 + menu.top + 1, 631},  // a button
        {4, 34, 150, 631},                                // outside views: the GPS is not asked
    };
    for (const auto& c : cases) {
        sim::theViewController.SetViewMode(c.view);
        ASSERT_EQ(sim::theViewController.GetViewMode(), c.view);
        win::POINT p{c.x, c.y};
        win::ClientToScreen(w, &p);
        win::SetCursorPos(p.x, p.y);
        win::SetCursor({});
        win::SendMessage(w, win::WM_SETCURSOR, w.id,
                         win::MAKELPARAM(1, static_cast<std::uint16_t>(win::WM_MOUSEMOVE)));
        EXPECT_EQ(win::GetCursor(), win::LoadCursor(pack, c.cursor)) << c.x << "," << c.y;
    }
    sim::theViewController.SetViewMode(0);
    gps.SaveGpsWindowRect();
    sim::theMainWindow.resourceLibrary = kept;
    win::detail::ResetWindowSystem();
    platform::SetCurrentBackend(nullptr);
}

}  // namespace
