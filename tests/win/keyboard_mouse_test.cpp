// Keys arrive with US virtual keys by position and the full lParam; accelerators turn key-downs
// into commands; the mouse arrives in client coordinates with double clicks where asked.
#include "win/input.h"
#include "win_test_support.h"

namespace {

using namespace win;
using platform::EventKind;
using platform::Scancode;
using wintest::HeadlessTest;
using wintest::Seen;

constexpr std::uint32_t kExtended = 1u << 24, kAlt = 1u << 29, kPrev = 1u << 30, kUp = 1u << 31;

TEST_F(HeadlessTest, KeyMessagesCarryTheFullLParam) {
    struct Step {
        Scancode key;
        bool down;
        bool repeat;
        std::uint32_t message;
        unsigned vk;
        std::uint32_t lParam;
    };
    const Step steps[] = {
        {Scancode::A, true, false, WM_KEYDOWN, 'A', 0x001E0001},
        {Scancode::A, true, true, WM_KEYDOWN, 'A', 0x001E0001 | kPrev},
        {Scancode::A, false, false, WM_KEYUP, 'A', 0x001E0001 | kPrev | kUp},
        {Scancode::Right, true, false, WM_KEYDOWN, VK_RIGHT, 0x004D0001 | kExtended},
        {Scancode::Right, false, false, WM_KEYUP, VK_RIGHT, 0x004D0001 | kExtended | kPrev | kUp},
        {Scancode::KpEnter, true, false, WM_KEYDOWN, VK_RETURN, 0x001C0001 | kExtended},
        {Scancode::F10, true, false, WM_SYSKEYDOWN, VK_F10, 0x00440001},
        {Scancode::F10, false, false, WM_SYSKEYUP, VK_F10, 0x00440001 | kPrev | kUp},
        {Scancode::LeftAlt, true, false, WM_SYSKEYDOWN, VK_MENU, 0x00380001 | kAlt},
        {Scancode::X, true, false, WM_SYSKEYDOWN, 'X', 0x002D0001 | kAlt},
        {Scancode::X, false, false, WM_SYSKEYUP, 'X', 0x002D0001 | kAlt | kPrev | kUp},
        {Scancode::LeftAlt, false, false, WM_SYSKEYUP, VK_MENU, 0x00380001 | kAlt | kPrev | kUp},
        {Scancode::LeftCtrl, true, false, WM_KEYDOWN, VK_CONTROL, 0x001D0001},
        {Scancode::RightAlt, true, false, WM_KEYDOWN, VK_MENU, 0x00380001 | kExtended},  // Ctrl+Alt
        {Scancode::RightAlt, false, false, WM_SYSKEYUP, VK_MENU,
         0x00380001 | kExtended | kAlt | kPrev | kUp},
        {Scancode::LeftCtrl, false, false, WM_KEYUP, VK_CONTROL, 0x001D0001 | kPrev | kUp},
        {Scancode::Grave, true, false, WM_KEYDOWN, VK_OEM_3, 0x00290001},
        {Scancode::Apostrophe, true, false, WM_KEYDOWN, VK_OEM_7, 0x00280001},
    };
    HWND w = MakeWindow(true);
    SetFocus(w);
    for (const Step& s : steps) {
        Key(s.key, s.down, s.repeat);
        MSG m;
        ASSERT_TRUE(PeekMessage(&m, {}, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE));
        EXPECT_EQ(m.message, s.message) << static_cast<int>(s.key);
        EXPECT_EQ(m.wParam, s.vk) << static_cast<int>(s.key);
        EXPECT_EQ(static_cast<std::uint32_t>(m.lParam), s.lParam) << static_cast<int>(s.key);
        EXPECT_EQ(m.hwnd, w);
    }
}

TEST_F(HeadlessTest, KeypadFollowsTheEmulatedNumLock) {
    HWND w = MakeWindow(true);
    SetFocus(w);
    auto keypad8 = [&] {
        Key(Scancode::Kp8, true);
        MSG m;
        EXPECT_TRUE(PeekMessage(&m, {}, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE));
        Key(Scancode::Kp8, false);
        Pump();
        return m;
    };
    EXPECT_EQ(keypad8().wParam, VK_NUMPAD8);
    std::array<std::uint8_t, 256> state;
    ASSERT_TRUE(GetKeyboardState(&state));
    EXPECT_EQ(state[VK_NUMLOCK] & 1, 1);
    state[VK_NUMLOCK] &= ~1;
    SetKeyboardState(state);
    EXPECT_EQ(GetKeyState(VK_NUMLOCK) & 1, 0);
    MSG m = keypad8();
    EXPECT_EQ(m.wParam, VK_UP);
    // The keypad's Up is not the arrow block's: same scan code, no extended bit.
    EXPECT_EQ(static_cast<std::uint32_t>(m.lParam), 0x00480001u);
    struct Pad {
        Scancode key;
        unsigned vk;
    };
    const Pad pads[] = {
        {Scancode::Kp7, VK_HOME},        {Scancode::Kp9, VK_PRIOR}, {Scancode::Kp4, VK_LEFT},
        {Scancode::Kp5, VK_CLEAR},       {Scancode::Kp6, VK_RIGHT}, {Scancode::Kp1, VK_END},
        {Scancode::Kp2, VK_DOWN},        {Scancode::Kp3, VK_NEXT},  {Scancode::Kp0, VK_INSERT},
        {Scancode::KpPeriod, VK_DELETE}, {Scancode::KpPlus, VK_ADD}};
    for (const Pad& p : pads) {
        Key(p.key, true);
        MSG k;
        ASSERT_TRUE(PeekMessage(&k, {}, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE));
        EXPECT_EQ(k.wParam, p.vk);
        Key(p.key, false);
        Pump();
    }
}

// The key a runner presses for a virtual key: the main one of two, the keypad for what only
// the keypad sends, none for what no key of the keyboard sends.
TEST(Keyboard, KeyForEachVirtualKey) {
    const struct {
        unsigned vk;
        Scancode key;
    } cases[] = {{'A', Scancode::A},          {VK_RETURN, Scancode::Return},
                 {VK_NUMPAD8, Scancode::Kp8}, {VK_CLEAR, Scancode::Kp5},
                 {VK_ADD, Scancode::KpPlus},  {VK_SEPARATOR, Scancode::KpEnter},
                 {VK_UP, Scancode::Up},       {VK_OEM_3, Scancode::Grave},
                 {0x7C, Scancode::Unknown},   {VK_LBUTTON, Scancode::Unknown}};
    for (const auto& c : cases)
        EXPECT_EQ(ScancodeForVirtualKey(c.vk), c.key) << c.vk;
}

TEST_F(HeadlessTest, KeyStateAndCharacters) {
    HWND w = MakeWindow(true);
    SetFocus(w);
    Key(Scancode::LeftShift, true);
    Key(Scancode::Num1, true);
    std::vector<Seen> seen = Pump();
    EXPECT_LT(GetKeyState(VK_SHIFT), 0);
    EXPECT_LT(GetAsyncKeyState(VK_LSHIFT), 0);
    EXPECT_EQ(GetKeyState(VK_RSHIFT), 0);
    ASSERT_GE(seen.size(), 3u);
    EXPECT_EQ(seen[2].message, WM_CHAR);  // right after its key-down
    EXPECT_EQ(seen[2].wParam, static_cast<WParam>('!'));
    Key(Scancode::LeftShift, false);
    Key(Scancode::Num1, false);
    Pump();
    EXPECT_EQ(GetKeyState(VK_SHIFT), 0);
}

TEST_F(HeadlessTest, AcceleratorTurnsAKeyDownIntoACommand) {
    HWND w = MakeWindow(true);
    SetFocus(w);
    HACCEL table =
        CreateAcceleratorTable({ACCEL{FVIRTKEY | FCONTROL, 'O', 159}, ACCEL{FVIRTKEY, VK_F1, 319},
                                ACCEL{FVIRTKEY | FSHIFT, 'P', 464}});
    ASSERT_TRUE(table);
    Pump();
    auto run = [&] {
        wintest::Log().clear();
        MSG m;
        while (PeekMessage(&m, {}, 0, 0, PM_REMOVE)) {
            if (TranslateAccelerator(w, table, &m)) continue;
            TranslateMessage(&m);
            DispatchMessage(&m);
        }
        return wintest::Log();
    };
    Key(Scancode::LeftCtrl, true);
    Key(Scancode::O, true);
    std::vector<Seen> seen = run();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].message, WM_KEYDOWN);  // Ctrl itself
    EXPECT_EQ(seen[1].message, WM_COMMAND);
    EXPECT_EQ(LOWORD(seen[1].wParam), 159);
    EXPECT_EQ(HIWORD(seen[1].wParam), 1);
    Key(Scancode::O, false);
    Key(Scancode::LeftCtrl, false);
    run();

    // Plain O has no accelerator: a key-down with its character.
    Key(Scancode::O, true);
    seen = run();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].message, WM_KEYDOWN);
    EXPECT_EQ(static_cast<std::uint32_t>(seen[0].lParam), 0x00180001u);
    EXPECT_EQ(seen[1].message, WM_CHAR);
    EXPECT_EQ(seen[1].wParam, static_cast<WParam>('o'));
    Key(Scancode::O, false);
    run();
    // Modifiers must match exactly: Shift+F1 is not F1.
    Key(Scancode::LeftShift, true);
    Key(Scancode::F1, true);
    seen = run();
    EXPECT_EQ(seen.back().message, WM_KEYDOWN);
    EXPECT_TRUE(DestroyAcceleratorTable(table));
    EXPECT_FALSE(DestroyAcceleratorTable(table));
}

TEST_F(HeadlessTest, MouseMessagesInClientCoordinatesWithDoubleClicks) {
    HWND w =
        CreateWindowEx(0, "TestWindow", "", WS_POPUP | WS_VISIBLE, 0, 0, 640, 480, {}, {}, {}, 0);
    Pump();
    Mouse(EventKind::MouseMove, 100, 50);
    Mouse(EventKind::MouseDown, 100, 50);
    Mouse(EventKind::MouseUp, 100, 50);
    Mouse(EventKind::MouseDown, 101, 51);
    Mouse(EventKind::MouseDown, 300, 300, platform::MouseButton::Right);
    std::vector<std::uint32_t> kinds;
    for (const Seen& s : Pump())
        if (s.message >= WM_MOUSEFIRST && s.message <= WM_MOUSELAST) kinds.push_back(s.message);
    const std::vector<std::uint32_t> expected = {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP,
                                                 WM_LBUTTONDBLCLK, WM_RBUTTONDOWN};
    EXPECT_EQ(kinds, expected);

    // With the capture, positions outside the window arrive as negative client coordinates.
    HWND child =
        CreateWindowEx(0, "TestWindow", "", WS_CHILD | WS_VISIBLE, 200, 100, 50, 50, w, {}, {}, 0);
    SetCapture(child);
    Mouse(EventKind::MouseMove, 10, 20);
    wintest::Log().clear();
    MSG m;
    ASSERT_TRUE(PeekMessage(&m, {}, WM_MOUSEMOVE, WM_MOUSEMOVE, PM_REMOVE));
    EXPECT_EQ(m.hwnd, child);
    EXPECT_EQ(GET_X_LPARAM(m.lParam), -190);
    EXPECT_EQ(GET_Y_LPARAM(m.lParam), -80);
    EXPECT_EQ(m.wParam & MK_LBUTTON, MK_LBUTTON);
    ReleaseCapture();
    EXPECT_FALSE(GetCapture());
    POINT p;
    GetCursorPos(&p);
    EXPECT_EQ(p, (POINT{10, 20}));
}

// Mouse input queued before the program handled the press that came before it: the capture
// that press took decides where it goes, and its client point is read in the window's place of
// when it is taken. A release over a disabled window still reaches the window that was pressed.
TEST_F(HeadlessTest, QueuedMouseInputGoesWhereThePressLeftTheWindows) {
    HWND owner =
        CreateWindowEx(0, "TestWindow", "", WS_POPUP | WS_VISIBLE, 0, 0, 640, 480, {}, {}, {}, 0);
    HWND box = CreateWindowEx(0, "TestWindow", "", WS_POPUP | WS_VISIBLE | WS_CAPTION, 100, 100,
                              200, 100, owner, {}, {}, 0);
    EnableWindow(owner, false);
    Pump();
    struct Case {
        const char* name;
        int upX, upY;  // where the button comes up (the owner is disabled)
        bool capture;  // the press's handler takes the capture and moves the box
        std::uint32_t message;
    };
    const Case cases[] = {
        {"on the caption", 150, 105, false, WM_NCLBUTTONUP},
        {"on the caption, captured", 150, 105, true, WM_LBUTTONUP},
        {"over the disabled owner, captured", 20, 400, true, WM_LBUTTONUP},
        {"over the disabled owner", 20, 400, false, WM_LBUTTONUP},
    };
    for (const Case& c : cases) {
        SetWindowPos(box, {}, 100, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        Mouse(EventKind::MouseMove, 150, 105);
        Mouse(EventKind::MouseDown, 150, 105);
        Mouse(EventKind::MouseUp, c.upX, c.upY);
        MSG m;
        ASSERT_TRUE(PeekMessage(&m, {}, 0, 0, PM_REMOVE)) << c.name;
        while (m.message == WM_NCMOUSEMOVE || m.message == WM_MOUSEMOVE)
            ASSERT_TRUE(PeekMessage(&m, {}, 0, 0, PM_REMOVE)) << c.name;
        EXPECT_EQ(m.message, WM_NCLBUTTONDOWN) << c.name;
        if (c.capture) {
            SetCapture(box);
            SetWindowPos(box, {}, 155, 110, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        }
        ASSERT_TRUE(PeekMessage(&m, {}, 0, 0, PM_REMOVE)) << c.name;
        EXPECT_EQ(m.hwnd, box) << c.name;
        EXPECT_EQ(m.message, c.message) << c.name;
        POINT expected{c.upX, c.upY};
        if (c.message == WM_LBUTTONUP) ScreenToClient(box, &expected);
        EXPECT_EQ(GET_X_LPARAM(m.lParam), expected.x) << c.name;
        EXPECT_EQ(GET_Y_LPARAM(m.lParam), expected.y) << c.name;
        ReleaseCapture();
        Pump();
    }
}

TEST_F(HeadlessTest, SetCursorCarriesTheHitTestAndCursorsCount) {
    HWND w = MakeWindow(true);
    Pump();
    RECT r;
    GetWindowRect(w, &r);
    wintest::Log().clear();
    Mouse(EventKind::MouseMove, 320, 240);
    Pump();
    bool sawClient = false;
    for (const Seen& s : wintest::Log())
        if (s.message == WM_SETCURSOR)
            sawClient = LOWORD(s.lParam) == HTCLIENT && HIWORD(s.lParam) == WM_MOUSEMOVE;
    EXPECT_TRUE(sawClient);
    EXPECT_EQ(SendMessage(w, WM_NCHITTEST, 0, MAKELPARAM(5, 10)), HTCAPTION);
    EXPECT_EQ(SendMessage(w, WM_NCHITTEST, 0, MAKELPARAM(1, 1)), HTBORDER);
    EXPECT_EQ(SendMessage(w, WM_NCHITTEST, 0, MAKELPARAM(100, 100)), HTCLIENT);

    EXPECT_TRUE(LoadCursor({}, IDC_WAIT));
    EXPECT_FALSE(LoadCursor({}, 631));  // not a system cursor
    SetCursor(LoadCursor({}, IDC_WAIT));
    EXPECT_EQ(machine.Screen().GetCursorShape(), platform::CursorShape::Wait);
    EXPECT_EQ(ShowCursor(false), -1);
    EXPECT_FALSE(machine.Screen().CursorVisible());
    EXPECT_EQ(ShowCursor(false), -2);
    EXPECT_EQ(ShowCursor(true), -1);
    EXPECT_FALSE(machine.Screen().CursorVisible());
    EXPECT_EQ(ShowCursor(true), 0);
    EXPECT_TRUE(machine.Screen().CursorVisible());
    ShowCursor(true);
    ShowCursor(false);
}

}  // namespace
