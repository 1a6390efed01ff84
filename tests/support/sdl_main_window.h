// Test support: the program's 640×480 main window on SDL's video, on an X display (Xvfb), with
// the window system started afresh. The caller keeps the back end alive while the window lives.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/backend.h"
#include "support/xvfb.h"
#include "win/compositor.h"
#include "win/window.h"
#include "win/window_internal.h"

namespace testsupport {

// Creates the window (not yet shown) of class "SdlMain" with `proc`; use inside
// ASSERT_NO_FATAL_FAILURE.
inline void CreateSdlMainWindow(const std::string& display, win::WNDPROC proc,
                                std::unique_ptr<platform::Backend>* sdl, win::HWND* main) {
    xvfb::UseDisplayForSdl(display);
    *sdl = platform::CreateSdlBackend();
    ASSERT_NE(*sdl, nullptr);
    platform::SetCurrentBackend(sdl->get());
    win::detail::ResetWindowSystem();
    win::SetVirtualScreenSize(640, 480);
    win::WNDCLASS wc;
    wc.className = "SdlMain";
    wc.wndProc = proc;
    ASSERT_NE(win::RegisterClass(wc), 0);
    win::RECT r{0, 0, 640, 480};
    win::AdjustWindowRect(&r, 0x000B0000, false);
    *main = win::CreateWindowEx(0, "SdlMain", "Zephlon", 0x000B0000, r.left, r.top,
                                r.right - r.left, r.bottom - r.top, {}, {}, {}, 0);
    ASSERT_TRUE(*main);
}

}  // namespace testsupport
