// A clean headless machine for each window-system test, and a window procedure that records
// what it is sent.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "platform/headless/headless_backend.h"
#include "win/window.h"
#include "win/window_internal.h"

namespace wintest {

struct Seen {
    win::HWND hwnd;
    std::uint32_t message;
    win::WParam wParam;
    win::LParam lParam;
};

inline std::vector<Seen>& Log() {
    static std::vector<Seen> log;
    return log;
}

// Records everything; answers -1 to WM_CREATE when the window's creation parameter says so.
inline win::LResult RecordingProc(win::HWND h, std::uint32_t m, win::WParam w, win::LParam l) {
    Log().push_back(Seen{h, m, w, l});
    if (m == win::WM_CREATE) {
        auto* cs = reinterpret_cast<const win::CREATESTRUCT*>(l);
        if (cs->createParams == -1) return -1;
    }
    return win::DefWindowProc(h, m, w, l);
}

class HeadlessTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetCurrentBackend(&machine);
        win::detail::ResetWindowSystem();
        Log().clear();
        win::WNDCLASS wc;
        wc.className = "TestWindow";
        wc.wndProc = RecordingProc;
        wc.style = win::CS_DBLCLKS;
        ASSERT_NE(win::RegisterClass(wc), 0);
    }
    void TearDown() override {
        win::detail::ResetWindowSystem();
        platform::SetCurrentBackend(nullptr);
    }

    win::HWND MakeWindow(bool visible = true, win::LParam param = 0) {
        return win::CreateWindowEx(0, "TestWindow", "Test", visible ? win::WS_VISIBLE : 0, 0, 0,
                                   640, 480, {}, {}, {}, param);
    }

    // Runs the queue dry the usual way and returns what the procedures saw meanwhile.
    std::vector<Seen> Pump() {
        Log().clear();
        win::MSG m;
        while (win::PeekMessage(&m, {}, 0, 0, win::PM_REMOVE)) {
            win::TranslateMessage(&m);
            win::DispatchMessage(&m);
        }
        return Log();
    }

    void Key(platform::Scancode s, bool down, bool repeat = false) {
        platform::Event e;
        e.kind = down ? platform::EventKind::KeyDown : platform::EventKind::KeyUp;
        e.scancode = s;
        e.repeat = repeat;
        machine.Input().Inject(e);
    }

    void Mouse(platform::EventKind kind, int x, int y,
               platform::MouseButton b = platform::MouseButton::Left) {
        platform::Event e;
        e.kind = kind;
        e.x = x;
        e.y = y;
        e.button = b;
        machine.Input().Inject(e);
    }

    platform::HeadlessBackend machine;
};

}  // namespace wintest
