// The queue's ordering rules, creation and destruction, painting, and the default handling.
#include <algorithm>

#include "win/input.h"
#include "win/modal.h"
#include "win_test_support.h"

namespace {

using namespace win;
using wintest::HeadlessTest;
using wintest::Log;
using wintest::Seen;

int Count(const std::vector<Seen>& seen, std::uint32_t message) {
    return static_cast<int>(std::count_if(seen.begin(), seen.end(),
                                          [&](const Seen& s) { return s.message == message; }));
}

TEST_F(HeadlessTest, PostedMessagesThenOneCoalescedTimerThenNothing) {
    HWND w = MakeWindow(false);
    ASSERT_TRUE(w);
    ASSERT_EQ(SetTimer(w, 7, 250, nullptr), 7u);
    for (std::uint32_t i = 1; i <= 3; ++i)
        ASSERT_TRUE(PostMessage(w, WM_USER + i, i, 0));
    machine.Time().Advance(1000);

    MSG m;
    for (std::uint32_t i = 1; i <= 3; ++i) {
        ASSERT_TRUE(PeekMessage(&m, {}, 0, 0, PM_REMOVE));
        EXPECT_EQ(m.message, WM_USER + i);
        EXPECT_EQ(m.wParam, i);
    }
    ASSERT_TRUE(PeekMessage(&m, {}, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_TIMER);
    EXPECT_EQ(m.wParam, 7u);
    EXPECT_FALSE(PeekMessage(&m, {}, 0, 0, PM_REMOVE));

    machine.Time().Advance(250);
    ASSERT_TRUE(PeekMessage(&m, {}, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_TIMER);
    ASSERT_TRUE(KillTimer(w, 7));
    machine.Time().Advance(1000);
    EXPECT_FALSE(PeekMessage(&m, {}, 0, 0, PM_REMOVE));
    EXPECT_FALSE(KillTimer(w, 7));
}

TEST_F(HeadlessTest, TimerIntervalsAreHeldBetweenTenMillisecondsAndHalfTheClock) {
    struct Case {
        std::uint32_t elapse;
        std::uint32_t advance;
        bool fires;
    };
    const Case cases[] = {
        {0, 9, false},
        {0, 10, true},
        {5, 10, true},
        {0xFFFFFFFF, 1000, false},
        {0x80000000, 1000, false},
        {0x7FFFFFFF, 0x7FFFFFFE, false},
    };
    HWND w = MakeWindow(false);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.elapse);
        ASSERT_EQ(SetTimer(w, 1, c.elapse, nullptr), 1u);
        machine.Time().Advance(c.advance);
        MSG m;
        EXPECT_EQ(PeekMessage(&m, {}, WM_TIMER, WM_TIMER, PM_REMOVE), c.fires);
        KillTimer(w, 1);
    }
}

TEST_F(HeadlessTest, QuitComesOnlyAfterPostedMessagesAndBeforePaintAndTimers) {
    HWND w = MakeWindow(true);
    SetTimer(w, 1, 10, nullptr);
    machine.Time().Advance(20);
    PostQuitMessage(3);
    PostMessage(w, WM_USER, 0, 0);
    MSG m;
    ASSERT_TRUE(PeekMessage(&m, {}, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_USER);
    ASSERT_TRUE(PeekMessage(&m, {}, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_QUIT);
    EXPECT_EQ(m.wParam, 3u);
    ASSERT_TRUE(PeekMessage(&m, {}, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_PAINT);
    DispatchMessage(&m);  // the default handling validates
    ASSERT_TRUE(PeekMessage(&m, {}, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_TIMER);
}

TEST_F(HeadlessTest, PaintComesOnlyWhileSomethingIsInvalid) {
    HWND w = MakeWindow(false);
    MSG m;
    EXPECT_FALSE(PeekMessage(&m, {}, 0, 0, PM_REMOVE));  // hidden windows do not paint
    ShowWindow(w, SW_SHOW);
    ASSERT_TRUE(PeekMessage(&m, {}, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_PAINT);
    // Not painted yet: it comes again.
    ASSERT_TRUE(PeekMessage(&m, {}, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, WM_PAINT);
    ValidateRect(w, nullptr);
    EXPECT_FALSE(PeekMessage(&m, {}, 0, 0, PM_REMOVE));
    RECT part{10, 10, 20, 20};
    InvalidateRect(w, &part, false);
    RECT update;
    ASSERT_TRUE(GetUpdateRect(w, &update, false));
    EXPECT_EQ(update, part);
    PAINTSTRUCT ps;
    BeginPaint(w, &ps);
    EXPECT_EQ(ps.paint, part);
    EndPaint(w, &ps);
    EXPECT_FALSE(PeekMessage(&m, {}, 0, 0, PM_REMOVE));
}

TEST_F(HeadlessTest, CreationSendsCreateAndMinusOneFailsIt) {
    HWND ok = MakeWindow(false);
    ASSERT_TRUE(ok);
    ASSERT_GE(Log().size(), 2u);
    EXPECT_EQ(Log()[0].message, WM_NCCREATE);
    EXPECT_EQ(Log()[1].message, WM_CREATE);

    Log().clear();
    HWND bad = MakeWindow(false, -1);
    EXPECT_FALSE(bad);
    EXPECT_EQ(Count(Log(), WM_DESTROY), 1);
    EXPECT_EQ(Count(Log(), WM_NCDESTROY), 1);
    HWND failed = Log().front().hwnd;
    EXPECT_FALSE(IsWindow(failed));

    Log().clear();
    ASSERT_TRUE(DestroyWindow(ok));
    ASSERT_EQ(Log().size(), 2u);
    EXPECT_EQ(Log()[0].message, WM_DESTROY);
    EXPECT_EQ(Log()[1].message, WM_NCDESTROY);
    EXPECT_FALSE(IsWindow(ok));
    EXPECT_FALSE(DestroyWindow(ok));
    // Handles are never reused, so the stale one stays dead.
    HWND again = MakeWindow(false);
    EXPECT_NE(again, ok);
    EXPECT_FALSE(IsWindow(ok));
}

TEST_F(HeadlessTest, AltF4AsksToCloseAndCloseDestroys) {
    HWND w = MakeWindow(true);
    Pump();
    Key(platform::Scancode::LeftAlt, true);
    Key(platform::Scancode::F4, true);
    std::vector<Seen> seen = Pump();
    EXPECT_EQ(Count(seen, WM_SYSKEYDOWN), 2);
    EXPECT_EQ(Count(seen, WM_SYSCOMMAND), 1);
    EXPECT_EQ(Count(seen, WM_CLOSE), 1);
    EXPECT_EQ(Count(seen, WM_DESTROY), 1);
    EXPECT_FALSE(IsWindow(w));
}

LResult SubclassProc(HWND h, std::uint32_t m, WParam w, LParam l);
WNDPROC theOriginal = nullptr;
int theSubclassed = 0;
LResult SubclassProc(HWND h, std::uint32_t m, WParam w, LParam l) {
    if (m == WM_USER + 5) {
        ++theSubclassed;
        return 42;
    }
    return CallWindowProc(theOriginal, h, m, w, l);
}

TEST_F(HeadlessTest, SubclassingThroughTheWindowProcedureWord) {
    theSubclassed = 0;
    HWND w = MakeWindow(false);
    theOriginal = reinterpret_cast<WNDPROC>(
        SetWindowLong(w, GWL_WNDPROC, reinterpret_cast<std::intptr_t>(&SubclassProc)));
    ASSERT_EQ(theOriginal, &wintest::RecordingProc);
    Log().clear();
    EXPECT_EQ(SendMessage(w, WM_USER + 5, 0, 0), 42);
    SendMessage(w, WM_USER + 6, 0, 0);  // passed on to the original
    EXPECT_EQ(theSubclassed, 1);
    ASSERT_EQ(Log().size(), 1u);
    EXPECT_EQ(Log()[0].message, WM_USER + 6u);
    SetWindowLong(w, GWL_USERDATA, 1234);
    EXPECT_EQ(GetWindowLong(w, GWL_USERDATA), 1234);
    SetWindowLong(w, DWL_USER, 20058);
    EXPECT_EQ(GetWindowLong(w, DWL_USER), 20058);
}

TEST_F(HeadlessTest, FrameArithmetic) {
    struct Case {
        std::uint32_t style;
        bool menu;
        RECT expected;
    };
    // Client 640×480 at (0,0); caption 19, menu 19, sizing frame 4, border 1, dialog frame 3.
    const Case cases[] = {
        {0x000B0000, false, RECT{-4, -23, 644, 484}},  // overlapped: caption forced
        {0x000B0000, true, RECT{-4, -42, 644, 484}},
        {WS_POPUP, false, RECT{0, 0, 640, 480}},
        {WS_POPUP | WS_BORDER, false, RECT{-1, -1, 641, 481}},
        {WS_POPUP | WS_DLGFRAME, false, RECT{-3, -3, 643, 483}},
        {WS_POPUP | WS_CAPTION, false, RECT{-4, -23, 644, 484}},
        {WS_CHILD | WS_THICKFRAME, true, RECT{-4, -4, 644, 484}},
    };
    for (const Case& c : cases) {
        RECT r{0, 0, 640, 480};
        AdjustWindowRect(&r, c.style, c.menu);
        EXPECT_EQ(r, c.expected) << std::hex << c.style << " menu " << c.menu;
    }
    // A real window agrees with the arithmetic.
    HWND w = CreateWindowEx(0, "TestWindow", "", 0x000B0000, 20, 40, 648, 526, {}, {}, {}, 0);
    SetWindowMenuHandle(w, HMENU{5});
    RECT client;
    GetClientRect(w, &client);
    EXPECT_EQ(client, (RECT{0, 0, 640, 480}));
    POINT p{0, 0};
    ClientToScreen(w, &p);
    EXPECT_EQ(p, (POINT{24, 82}));
}

TEST_F(HeadlessTest, SystemMetricsFollowTheVirtualScreen) {
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 640);
    machine.Screen().SetScreenSize({1024, 768});
    detail::ResetWindowSystem();
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
    SetVirtualScreenSize(800, 600);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 800);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 600);
}

TEST_F(HeadlessTest, MinimiseAndRestoreByTheDesktopArriveAsSystemCommands) {
    HWND w = MakeWindow(true);
    SetFocus(w);
    Pump();
    platform::Event e;
    e.kind = platform::EventKind::Minimized;
    machine.Input().Inject(e);
    std::vector<Seen> seen = Pump();
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen[0].message, WM_SYSCOMMAND);
    EXPECT_EQ(seen[0].wParam, SC_MINIMIZE);
    auto act = std::find_if(seen.begin(), seen.end(),
                            [](const Seen& s) { return s.message == WM_ACTIVATE; });
    ASSERT_NE(act, seen.end());
    EXPECT_EQ(LOWORD(act->wParam), WA_INACTIVE);
    EXPECT_TRUE(IsIconic(w));

    e.kind = platform::EventKind::Restored;
    machine.Input().Inject(e);
    seen = Pump();
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen[0].message, WM_SYSCOMMAND);
    EXPECT_EQ(seen[0].wParam, SC_RESTORE);
    act = std::find_if(seen.begin(), seen.end(),
                       [](const Seen& s) { return s.message == WM_ACTIVATE; });
    ASSERT_NE(act, seen.end());
    EXPECT_EQ(LOWORD(act->wParam), WA_ACTIVE);
    EXPECT_FALSE(IsIconic(w));
    EXPECT_EQ(GetFocus(), w);
}

TEST_F(HeadlessTest, FocusAndApplicationActivation) {
    HWND a = MakeWindow(true);
    HWND b = MakeWindow(true);
    Pump();
    Log().clear();
    SetFocus(a);
    std::vector<Seen> seen = Log();
    EXPECT_EQ(GetActiveWindow(), a);
    EXPECT_EQ(Count(seen, WM_KILLFOCUS), 1);  // b had it
    EXPECT_EQ(Count(seen, WM_SETFOCUS), 1);
    Log().clear();
    platform::Event e;
    e.kind = platform::EventKind::FocusLost;
    machine.Input().Inject(e);
    seen = Pump();
    EXPECT_EQ(Count(seen, WM_ACTIVATEAPP), 2);  // every top-level window hears it
    EXPECT_FALSE(GetActiveWindow());
    e.kind = platform::EventKind::FocusGained;
    machine.Input().Inject(e);
    Pump();
    EXPECT_EQ(GetActiveWindow(), a);
    (void)b;
}

// ---- Modal loop -----------------------------------------------------------------------------

LResult DialogProc(HWND h, std::uint32_t m, WParam w, LParam l) {
    if (m == WM_COMMAND) {
        EndDialog(h, LOWORD(w));
        return 0;
    }
    return DefWindowProc(h, m, w, l);
}

TEST_F(HeadlessTest, ModalLoopDisablesTheOwnerAndReturnsTheResult) {
    WNDCLASS wc;
    wc.className = "TestDialog";
    wc.wndProc = DialogProc;
    RegisterClass(wc);
    HWND owner = MakeWindow(true);
    HWND dialog = CreateWindowEx(0, "TestDialog", "Ask", WS_POPUP | WS_CAPTION, 100, 100, 200, 100,
                                 owner, {}, {}, 0);
    ASSERT_EQ(GetWindow(dialog, GW_OWNER), owner);
    bool ownerWasDisabled = false;
    machine.Input().SetQueueEmptyHandler([&] {
        ownerWasDisabled = !IsWindowEnabled(owner);
        PostMessage(dialog, WM_COMMAND, IDNO, 0);
        return false;
    });
    EXPECT_EQ(RunModalLoop(dialog), IDNO);
    EXPECT_TRUE(ownerWasDisabled);
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_EQ(GetActiveWindow(), owner);
    machine.Input().SetQueueEmptyHandler(nullptr);
}

TEST_F(HeadlessTest, ModalLoopWithNothingToDoEndsInsteadOfHanging) {
    HWND owner = MakeWindow(true);
    HWND dialog = CreateWindowEx(0, "TestWindow", "", WS_POPUP, 0, 0, 10, 10, owner, {}, {}, 0);
    machine.Input().SetQueueEmptyHandler([] { return false; });
    EXPECT_EQ(RunModalLoop(dialog), -1);
    EXPECT_TRUE(IsWindowEnabled(owner));
    machine.Input().SetQueueEmptyHandler(nullptr);
}

TEST_F(HeadlessTest, DialogMessagesForDeadOrForeignWindowsAreDeclined) {
    HWND dialog = MakeWindow(true);
    HWND other = MakeWindow(true);
    MSG m;
    m.hwnd = other;
    m.message = WM_KEYDOWN;
    m.wParam = VK_ESCAPE;
    EXPECT_FALSE(IsDialogMessage(dialog, &m));
    m.hwnd = dialog;
    Log().clear();
    EXPECT_TRUE(IsDialogMessage(dialog, &m));
    ASSERT_FALSE(Log().empty());
    EXPECT_EQ(Log().back().message, WM_COMMAND);
    EXPECT_EQ(LOWORD(Log().back().wParam), IDCANCEL);
    DestroyWindow(dialog);
    EXPECT_FALSE(IsDialogMessage(dialog, &m));
}

TEST_F(HeadlessTest, LastActivePopupAndForeground) {
    HWND main = MakeWindow(true);
    EXPECT_EQ(GetLastActivePopup(main), main);
    HWND popup =
        CreateWindowEx(0, "TestWindow", "", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, main, {}, {}, 0);
    EXPECT_EQ(GetActiveWindow(), popup);
    EXPECT_EQ(GetLastActivePopup(main), popup);
    EXPECT_EQ(FindWindow("testwindow", ""), popup);  // top of the z-order, any title
    SetForegroundWindow(main);
    EXPECT_EQ(GetActiveWindow(), main);
    EXPECT_EQ(machine.Screen().Raises(), 1);
    DestroyWindow(popup);
    EXPECT_EQ(GetLastActivePopup(main), main);
    EXPECT_FALSE(FindWindow("NoSuchClass", ""));
}

}  // namespace
