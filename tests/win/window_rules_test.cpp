// Smaller rules the program leans on: timers with procedures, GetMessage waiting for a timer,
// WM_QUIT inside a modal loop, a position handler that overrides the new place, and windows
// disabled under a modal dialog, down to their own enabled controls.
#include <functional>

#include "win/input.h"
#include "win/modal.h"
#include "win/timing.h"
#include "win_test_support.h"

namespace {

using namespace win;
using wintest::HeadlessTest;

int theProcCalls = 0;
std::uintptr_t theProcId = 0;
void CountingTimerProc(HWND, std::uint32_t, std::uintptr_t id, std::uint32_t) {
    ++theProcCalls;
    theProcId = id;
}

TEST_F(HeadlessTest, TimersWithProceduresAndWithoutWindows) {
    theProcCalls = 0;
    const std::uintptr_t a = SetTimer({}, 5, 100, CountingTimerProc);
    const std::uintptr_t b = SetTimer({}, 5, 100, CountingTimerProc);
    EXPECT_NE(a, 0u);
    EXPECT_NE(a, b);  // windowless timers get fresh ids
    KillTimer({}, b);
    machine.Time().Advance(100);
    Pump();
    EXPECT_EQ(theProcCalls, 1);
    EXPECT_EQ(theProcId, a);
    // Re-arming a timer restarts its interval; intervals below 10 ms run at 10 ms.
    HWND w = MakeWindow(false);
    SetTimer(w, 1, 1, nullptr);
    machine.Time().Advance(9);
    MSG m;
    EXPECT_FALSE(PeekMessage(&m, {}, WM_TIMER, WM_TIMER, PM_REMOVE));
    machine.Time().Advance(1);
    EXPECT_TRUE(PeekMessage(&m, {}, WM_TIMER, WM_TIMER, PM_REMOVE));
    EXPECT_EQ(SetTimer({}, 0, 10, nullptr) != 0, true);
    EXPECT_FALSE(SetTimer(HWND{0x7FFFFFF}, 1, 10, nullptr));  // no such window
}

TEST_F(HeadlessTest, GetMessageWaitsForTheNextTimer) {
    HWND w = MakeWindow(false);
    SetTimer(w, 3, 250, nullptr);
    const std::uint32_t start = timeGetTime();
    MSG m;
    ASSERT_EQ(GetMessage(&m, {}, 0, 0), 1);
    EXPECT_EQ(m.message, WM_TIMER);
    EXPECT_EQ(timeGetTime() - start, 250u);
    KillTimer(w, 3);
    PostQuitMessage(9);
    EXPECT_EQ(GetMessage(&m, {}, 0, 0), 0);
    EXPECT_EQ(m.wParam, 9u);
    // Nothing left that could ever arrive: no hang.
    EXPECT_EQ(GetMessage(&m, {}, 0, 0), -1);
    std::int64_t f = 0, c = 0;
    ASSERT_TRUE(QueryPerformanceFrequency(&f));
    ASSERT_TRUE(QueryPerformanceCounter(&c));
    EXPECT_EQ(c, static_cast<std::int64_t>(timeGetTime()) * f / 1000);
    Sleep(40);
    EXPECT_EQ(timeGetTime() - start, 290u);
}

TEST_F(HeadlessTest, QuitInsideAModalLoopEndsItAndReachesTheOuterLoop) {
    HWND owner = MakeWindow(true);
    HWND dialog = CreateWindowEx(0, "TestWindow", "", WS_POPUP, 0, 0, 10, 10, owner, {}, {}, 0);
    PostQuitMessage(4);
    EXPECT_EQ(RunModalLoop(dialog), -1);
    MSG m;
    bool quit = false;
    while (PeekMessage(&m, {}, 0, 0, PM_REMOVE)) {
        quit = quit || m.message == WM_QUIT;
        DispatchMessage(&m);  // paints validate, so the queue runs dry
    }
    EXPECT_TRUE(quit);
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_FALSE(EndDialog(dialog, 1));  // no loop runs any more
}

LResult PinnedProc(HWND h, std::uint32_t m, WParam w, LParam l) {
    if (m == WM_WINDOWPOSCHANGING) {
        auto* pos = reinterpret_cast<WINDOWPOS*>(l);
        pos->x = 12;
        pos->y = 34;
        pos->cx = 648;
        pos->cy = 507;
        return 0;
    }
    return DefWindowProc(h, m, w, l);
}

TEST_F(HeadlessTest, PositionHandlerDecidesTheNewPlace) {
    WNDCLASS wc;
    wc.className = "Pinned";
    wc.wndProc = PinnedProc;
    RegisterClass(wc);
    HWND w = CreateWindowEx(0, "Pinned", "", 0x000B0000, 0, 0, 100, 100, {}, {}, {}, 0);
    MoveWindow(w, 300, 200, 800, 600, true);
    RECT r, c;
    GetWindowRect(w, &r);
    GetClientRect(w, &c);
    EXPECT_EQ(r, (RECT{12, 34, 660, 541}));
    EXPECT_EQ(c, (RECT{0, 0, 640, 480}));
    EXPECT_EQ(GetWindowSurface(w)->width, 640);
}

TEST_F(HeadlessTest, DisabledWindowsLoseFocusAndClicksGoToTheirPopup) {
    HWND owner =
        CreateWindowEx(0, "TestWindow", "", WS_POPUP | WS_VISIBLE, 0, 0, 640, 480, {}, {}, {}, 0);
    SetFocus(owner);
    ASSERT_EQ(GetFocus(), owner);
    EXPECT_FALSE(EnableWindow(owner, false));  // was enabled
    EXPECT_FALSE(GetFocus());
    EXPECT_TRUE(EnableWindow(owner, true));  // was disabled
    HWND popup = CreateWindowEx(0, "TestWindow", "", WS_POPUP | WS_VISIBLE, 500, 400, 100, 50,
                                owner, {}, {}, 0);
    EnableWindow(owner, false);
    platform::Event e;
    e.kind = platform::EventKind::FocusLost;
    machine.Input().Inject(e);
    Pump();
    ASSERT_FALSE(GetActiveWindow());
    wintest::Log().clear();
    Mouse(platform::EventKind::MouseDown, 10, 10);
    Pump();
    for (const wintest::Seen& s : wintest::Log())
        EXPECT_FALSE(s.hwnd == owner && s.message == WM_LBUTTONDOWN);
    EXPECT_EQ(GetActiveWindow(), popup);
}

// A dialog disabled under its message box: its controls are enabled themselves, but neither the
// mouse over them nor a key while the focus lies in one reaches them; the box comes forward on a
// click and hears the key.
TEST_F(HeadlessTest, ControlsOfAWindowDisabledUnderItsBoxTakeNoInput) {
    using platform::EventKind;
    HWND owner =
        CreateWindowEx(0, "TestWindow", "", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, {}, {}, {}, 0);
    HWND button = CreateWindowEx(0, "TestWindow", "", WS_CHILD | WS_VISIBLE, 10, 10, 80, 20, owner,
                                 {}, {}, 0);
    HWND box = CreateWindowEx(0, "TestWindow", "", WS_POPUP | WS_VISIBLE, 200, 150, 150, 100, owner,
                              {}, {}, 0);
    EnableWindow(owner, false);
    ASSERT_TRUE(IsWindowEnabled(button));
    struct Case {
        const char* what;
        bool key;
        std::function<void()> input;
    };
    const Case cases[] = {
        {"a move over the control", false, [&] { Mouse(EventKind::MouseMove, 20, 15); }},
        {"a click on the control", false,
         [&] {
             Mouse(EventKind::MouseDown, 20, 15);
             Mouse(EventKind::MouseUp, 20, 15);
         }},
        {"a key with the focus in the control", true,
         [&] {
             SetFocus(button);
             Key(platform::Scancode::Return, true);
             Key(platform::Scancode::Return, false);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetActiveWindow(box);
        Pump();
        c.input();
        bool ownerHeard = false, boxHeardKey = false;
        for (const wintest::Seen& s : Pump()) {
            const bool input = (s.message >= WM_MOUSEFIRST && s.message <= WM_MOUSELAST) ||
                               s.message == WM_SETCURSOR || s.message == WM_KEYDOWN;
            if (input && (s.hwnd == owner || s.hwnd == button)) ownerHeard = true;
            if (s.hwnd == box && s.message == WM_KEYDOWN) boxHeardKey = true;
        }
        EXPECT_FALSE(ownerHeard);
        EXPECT_EQ(GetActiveWindow(), box);
        EXPECT_EQ(boxHeardKey, c.key);
    }
    // Enabled again, the same click reaches the control.
    EnableWindow(owner, true);
    Mouse(EventKind::MouseDown, 20, 15);
    bool clicked = false;
    for (const wintest::Seen& s : Pump())
        clicked |= s.hwnd == button && s.message == WM_LBUTTONDOWN;
    EXPECT_TRUE(clicked);
}

}  // namespace
