// A dialog on the SDL machine under Xvfb, worked by real X input (xdotool): a click on a button
// reaches the dialog as BN_CLICKED, and keys typed after a click into the edit reach the edit.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

#include "platform/backend.h"
#include "support/sdl_main_window.h"
#include "support/xvfb.h"
#include "win/compositor.h"
#include "win/controls.h"
#include "win/dialog.h"
#include "win/window.h"
#include "win/window_internal.h"

namespace {

using namespace win;

int theClicked = 0;

std::intptr_t Proc(HWND, std::uint32_t m, WParam w, LParam) {
    if (m == WM_INITDIALOG) return 1;
    if (m == WM_COMMAND && HIWORD(w) == BN_CLICKED && LOWORD(w) == 300) {
        ++theClicked;
        return 1;
    }
    return 0;
}

LResult MainProc(HWND h, std::uint32_t m, WParam w, LParam l) {
    return DefWindowProc(h, m, w, l);
}

DialogTemplate Form() {
    DialogTemplate t;
    t.style = WS_POPUP | WS_CAPTION | WS_VISIBLE | DS_SETFONT;
    t.x = 40;
    t.y = 40;
    t.cx = 160;
    t.cy = 80;
    t.caption = "Input";
    t.fontSize = 8;
    t.fontFace = "MS Sans Serif";
    DialogItemTemplate edit;
    edit.className = "Edit";
    edit.id = 301;
    edit.style = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
    edit.x = 10;
    edit.y = 10;
    edit.cx = 100;
    edit.cy = 12;
    DialogItemTemplate button;
    button.className = "Button";
    button.text = "Press";
    button.id = 300;
    button.style = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
    button.x = 10;
    button.y = 40;
    button.cx = 50;
    button.cy = 14;
    t.items = {edit, button};
    return t;
}

// Runs xdotool on the display; true when it ran.
bool Xdo(const std::string& display, const std::string& args) {
    const std::string command = "DISPLAY=" + display + " xdotool " + args + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

// Pumps the queue until `done` holds or the time is up (ten seconds unless told: a loaded machine
// may take that long, and a condition that holds ends the wait at once).
bool PumpUntil(const std::function<bool()>& done, int ms = 10000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    MSG m;
    while (std::chrono::steady_clock::now() < deadline) {
        while (PeekMessage(&m, {}, 0, 0, PM_REMOVE)) {
            TranslateMessage(&m);
            DispatchMessage(&m);
        }
        PresentNow();
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return done();
}

// The middle of a control, in the SDL window's coordinates (the output's).
POINT Middle(HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    const POINT origin = OutputOrigin();
    return POINT{(r.left + r.right) / 2 - origin.x, (r.top + r.bottom) / 2 - origin.y};
}

// Moves the X pointer to an output point of the window and waits until the program has it.
bool PointAt(const std::string& display, POINT at) {
    if (!Xdo(display, "search --sync --onlyvisible --name Zephlon mousemove --sync --window %1 " +
                          std::to_string(at.x) + " " + std::to_string(at.y)))
        return false;
    const POINT want = OutputToScreen(at.x, at.y);
    return PumpUntil([&] {
        POINT p;
        GetCursorPos(&p);
        return p.x == want.x && p.y == want.y;
    });
}

void RunOnSdl(const std::string& display) {
    std::unique_ptr<platform::Backend> sdl;
    HWND main{};
    ASSERT_NO_FATAL_FAILURE(testsupport::CreateSdlMainWindow(display, MainProc, &sdl, &main));
    ShowWindow(main, SW_SHOWNORMAL);
    HWND d = CreateDialogIndirectParam(Form(), main, Proc, 0);
    ASSERT_TRUE(d);
    PumpUntil([] { return false; }, 300);  // the window opens and settles
    ASSERT_TRUE(sdl->GetVideo().IsOpen());

    const POINT button = Middle(GetDlgItem(d, 300));
    // Once the window is mapped, the pointer goes to the button within it and, once the
    // program saw it arrive there, clicks.
    ASSERT_TRUE(PointAt(display, button));
    ASSERT_TRUE(Xdo(display, "click 1"));
    EXPECT_TRUE(PumpUntil([] { return theClicked == 1; })) << "no BN_CLICKED from the X click";

    const POINT edit = Middle(GetDlgItem(d, 301));
    ASSERT_TRUE(PointAt(display, edit));
    ASSERT_TRUE(Xdo(display, "click 1"));
    PumpUntil([&] { return GetFocus() == GetDlgItem(d, 301); });
    ASSERT_TRUE(Xdo(display, "type --delay 30 zeph"));
    EXPECT_TRUE(PumpUntil([&] { return GetDlgItemText(d, 301) == "zeph"; }))
        << "the edit holds \"" << GetDlgItemText(d, 301) << "\"";
    DestroyWindow(d);
    DestroyWindow(main);
    detail::ResetWindowSystem();
    platform::SetCurrentBackend(nullptr);
}

TEST(DialogOnXvfb, AClickGivesBnClickedAndTypingReachesTheEdit) {
    if (xvfb::FindTool("xdotool").empty()) GTEST_SKIP() << "xdotool missing";
    xvfb::Server server(160, 220);
    if (!server.Start()) GTEST_SKIP() << "Xvfb missing or not startable";
    xvfb::ExpectPassesInChild([&] { RunOnSdl(server.Display()); });
}

}  // namespace
