// Keys: physical positions to US virtual keys and scan codes, the key-state table, the
// emulated NumLock, the key messages with their full lParam, characters, and accelerators.
#include <algorithm>
#include <unordered_map>

#include "win/window_internal.h"

namespace win {
namespace detail {
namespace {

struct KeyInfo {
    std::uint8_t vk = 0;
    std::uint8_t scan = 0;
    bool extended = false;
    std::uint8_t vkNumLockOff = 0;  // keypad keys: the key they are while NumLock is off
};

using platform::Scancode;

const std::unordered_map<std::uint16_t, KeyInfo>& KeyTable() {
    static const std::unordered_map<std::uint16_t, KeyInfo> table = [] {
        std::unordered_map<std::uint16_t, KeyInfo> t;
        auto add = [&](Scancode s, unsigned vk, unsigned scan, bool ext = false, unsigned off = 0) {
            t[static_cast<std::uint16_t>(s)] =
                KeyInfo{static_cast<std::uint8_t>(vk), static_cast<std::uint8_t>(scan), ext,
                        static_cast<std::uint8_t>(off)};
        };
        // Letters by their row positions on the US layout.
        static const unsigned letterScan[26] = {
            0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17, 0x24, 0x25, 0x26, 0x32,
            0x31, 0x18, 0x19, 0x10, 0x13, 0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};
        for (int i = 0; i < 26; ++i)
            add(static_cast<Scancode>(static_cast<int>(Scancode::A) + i), 'A' + i, letterScan[i]);
        for (int i = 0; i < 9; ++i)
            add(static_cast<Scancode>(static_cast<int>(Scancode::Num1) + i), '1' + i, 0x02 + i);
        add(Scancode::Num0, '0', 0x0B);
        add(Scancode::Return, VK_RETURN, 0x1C);
        add(Scancode::Escape, VK_ESCAPE, 0x01);
        add(Scancode::Backspace, VK_BACK, 0x0E);
        add(Scancode::Tab, VK_TAB, 0x0F);
        add(Scancode::Space, VK_SPACE, 0x39);
        add(Scancode::Minus, VK_OEM_MINUS, 0x0C);
        add(Scancode::Equals, VK_OEM_PLUS, 0x0D);
        add(Scancode::LeftBracket, VK_OEM_4, 0x1A);
        add(Scancode::RightBracket, VK_OEM_6, 0x1B);
        add(Scancode::Backslash, VK_OEM_5, 0x2B);
        add(Scancode::NonUsHash, VK_OEM_5, 0x2B);
        add(Scancode::Semicolon, VK_OEM_1, 0x27);
        add(Scancode::Apostrophe, VK_OEM_7, 0x28);
        add(Scancode::Grave, VK_OEM_3, 0x29);
        add(Scancode::Comma, VK_OEM_COMMA, 0x33);
        add(Scancode::Period, VK_OEM_PERIOD, 0x34);
        add(Scancode::Slash, VK_OEM_2, 0x35);
        add(Scancode::CapsLock, VK_CAPITAL, 0x3A);
        for (int i = 0; i < 10; ++i)
            add(static_cast<Scancode>(static_cast<int>(Scancode::F1) + i), VK_F1 + i, 0x3B + i);
        add(Scancode::F11, VK_F11, 0x57);
        add(Scancode::F12, VK_F12, 0x58);
        add(Scancode::PrintScreen, VK_SNAPSHOT, 0x37, true);
        add(Scancode::ScrollLock, VK_SCROLL, 0x46);
        add(Scancode::Pause, VK_PAUSE, 0x45);
        add(Scancode::Insert, VK_INSERT, 0x52, true);
        add(Scancode::Home, VK_HOME, 0x47, true);
        add(Scancode::PageUp, VK_PRIOR, 0x49, true);
        add(Scancode::Delete, VK_DELETE, 0x53, true);
        add(Scancode::End, VK_END, 0x4F, true);
        add(Scancode::PageDown, VK_NEXT, 0x51, true);
        add(Scancode::Right, VK_RIGHT, 0x4D, true);
        add(Scancode::Left, VK_LEFT, 0x4B, true);
        add(Scancode::Down, VK_DOWN, 0x50, true);
        add(Scancode::Up, VK_UP, 0x48, true);
        add(Scancode::NumLock, VK_NUMLOCK, 0x45, true);
        add(Scancode::KpDivide, VK_DIVIDE, 0x35, true);
        add(Scancode::KpMultiply, VK_MULTIPLY, 0x37);
        add(Scancode::KpMinus, VK_SUBTRACT, 0x4A);
        add(Scancode::KpPlus, VK_ADD, 0x4E);
        add(Scancode::KpEnter, VK_RETURN, 0x1C, true);
        // The keypad: digits with NumLock on, the navigation keys (not extended) with it off.
        add(Scancode::Kp1, VK_NUMPAD1, 0x4F, false, VK_END);
        add(Scancode::Kp2, VK_NUMPAD2, 0x50, false, VK_DOWN);
        add(Scancode::Kp3, VK_NUMPAD3, 0x51, false, VK_NEXT);
        add(Scancode::Kp4, VK_NUMPAD4, 0x4B, false, VK_LEFT);
        add(Scancode::Kp5, VK_NUMPAD5, 0x4C, false, VK_CLEAR);
        add(Scancode::Kp6, VK_NUMPAD6, 0x4D, false, VK_RIGHT);
        add(Scancode::Kp7, VK_NUMPAD7, 0x47, false, VK_HOME);
        add(Scancode::Kp8, VK_NUMPAD8, 0x48, false, VK_UP);
        add(Scancode::Kp9, VK_NUMPAD9, 0x49, false, VK_PRIOR);
        add(Scancode::Kp0, VK_NUMPAD0, 0x52, false, VK_INSERT);
        add(Scancode::KpPeriod, VK_DECIMAL, 0x53, false, VK_DELETE);
        add(Scancode::NonUsBackslash, VK_OEM_102, 0x56);
        add(Scancode::Application, VK_APPS, 0x5D, true);
        add(Scancode::LeftCtrl, VK_CONTROL, 0x1D);
        add(Scancode::RightCtrl, VK_CONTROL, 0x1D, true);
        add(Scancode::LeftShift, VK_SHIFT, 0x2A);
        add(Scancode::RightShift, VK_SHIFT, 0x36);
        add(Scancode::LeftAlt, VK_MENU, 0x38);
        add(Scancode::RightAlt, VK_MENU, 0x38, true);
        add(Scancode::LeftGui, VK_LWIN, 0x5B, true);
        add(Scancode::RightGui, VK_RWIN, 0x5C, true);
        return t;
    }();
    return table;
}

// Bit 7 down, bit 0 toggled, as the keyboard-state table has it. Two tables, as on the
// original: the asynchronous one follows the keyboard as events arrive; the one GetKeyState
// reads follows the messages as the program takes them from the queue, so a key-down read
// later still sees the modifiers that were held when it happened.
std::array<std::uint8_t, 256> InitialKeys() {
    std::array<std::uint8_t, 256> k{};
    k[VK_NUMLOCK] = 1;  // the user's keyboard starts with NumLock on
    return k;
}
std::array<std::uint8_t, 256> theAsyncKeys = InitialKeys();
std::array<std::uint8_t, 256> theKeys = InitialKeys();
bool theMenuKeyAlone = false;

unsigned SidedVk(Scancode s) {
    switch (s) {
        case Scancode::LeftShift:
            return VK_LSHIFT;
        case Scancode::RightShift:
            return VK_RSHIFT;
        case Scancode::LeftCtrl:
            return VK_LCONTROL;
        case Scancode::RightCtrl:
            return VK_RCONTROL;
        case Scancode::LeftAlt:
            return VK_LMENU;
        case Scancode::RightAlt:
            return VK_RMENU;
        default:
            return 0;
    }
}

void SetDown(std::array<std::uint8_t, 256>& keys, unsigned vk, bool down) {
    if (vk > 255) return;
    if (down)
        keys[vk] |= 0x80;
    else
        keys[vk] &= 0x7F;
}

}  // namespace

void SetKeyDown(unsigned vk, bool down) {
    SetDown(theAsyncKeys, vk, down);
    SetDown(theKeys, vk, down);
}

bool KeyIsDown(unsigned vk) {
    return vk <= 255 && (theKeys[vk] & 0x80) != 0;
}

bool MenuKeyAlone() {
    return theMenuKeyAlone;
}

void ResetKeys() {
    theAsyncKeys = theKeys = InitialKeys();
    theMenuKeyAlone = false;
}

void KeyMessageTaken(const MSG& m) {
    if (m.message < WM_KEYDOWN || m.message > WM_SYSKEYUP || m.message == WM_CHAR ||
        m.message == WM_SYSCHAR)
        return;
    const bool down = m.message == WM_KEYDOWN || m.message == WM_SYSKEYDOWN;
    const unsigned vk = static_cast<unsigned>(m.wParam) & 0xFF;
    const bool wasDown = (theKeys[vk] & 0x80) != 0;
    if (down && !wasDown && (vk == VK_CAPITAL || vk == VK_NUMLOCK || vk == VK_SCROLL))
        theKeys[vk] ^= 1;
    SetDown(theKeys, vk, down);
    const unsigned scan = (static_cast<std::uint32_t>(m.lParam) >> 16) & 0xFF;
    const bool ext = ((static_cast<std::uint32_t>(m.lParam) >> 24) & 1) != 0;
    if (vk == VK_SHIFT) SetDown(theKeys, scan == 0x36 ? VK_RSHIFT : VK_LSHIFT, down);
    if (vk == VK_CONTROL) SetDown(theKeys, ext ? VK_RCONTROL : VK_LCONTROL, down);
    if (vk == VK_MENU) SetDown(theKeys, ext ? VK_RMENU : VK_LMENU, down);
}

void HandleKeyEvent(const platform::Event& e) {
    auto it = KeyTable().find(static_cast<std::uint16_t>(e.scancode));
    if (it == KeyTable().end()) return;
    const KeyInfo& info = it->second;
    const bool down = e.kind == platform::EventKind::KeyDown;
    unsigned vk = info.vk;
    // The program's own NumLock (the table GetKeyState reads) decides, not the real keyboard's.
    if (info.vkNumLockOff != 0 && !(theKeys[VK_NUMLOCK] & 1)) vk = info.vkNumLockOff;

    const bool wasDown = (theAsyncKeys[vk] & 0x80) != 0;
    if (down && !e.repeat && (vk == VK_CAPITAL || vk == VK_NUMLOCK || vk == VK_SCROLL))
        theAsyncKeys[vk] ^= 1;
    SetDown(theAsyncKeys, vk, down);
    if (unsigned sided = SidedVk(e.scancode)) SetDown(theAsyncKeys, sided, down);

    if (vk == VK_MENU || vk == VK_F10) {
        if (down && !e.repeat) theMenuKeyAlone = true;
    } else if (down) {
        theMenuKeyAlone = false;
    }

    const bool alt = (theAsyncKeys[VK_MENU] & 0x80) != 0;
    const bool ctrl = (theAsyncKeys[VK_CONTROL] & 0x80) != 0;
    // Alt without Ctrl makes system keys (Alt's own release included); F10 always does.
    const bool sys = vk == VK_F10 || (vk == VK_MENU && !down) || (alt && !ctrl);
    std::uint32_t message =
        down ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);

    std::uint32_t lp = 1;  // repeat count
    lp |= static_cast<std::uint32_t>(info.scan) << 16;
    if (info.extended) lp |= 1u << 24;
    if (sys && (alt || (vk == VK_MENU && !down))) lp |= 1u << 29;
    if (!down || wasDown) lp |= 1u << 30;
    if (!down) lp |= 1u << 31;

    State& st = S();
    HWND target = st.focus ? st.focus : st.active;
    if (!target) return;
    PostInputMessage(target, message, vk, static_cast<LParam>(lp));
}

}  // namespace detail

using namespace detail;

platform::Scancode ScancodeForVirtualKey(unsigned virtualKey) {
    using platform::Scancode;
    if (virtualKey == VK_SEPARATOR) return Scancode::KpEnter;
    Scancode best = Scancode::Unknown;
    Scancode numLockOff = Scancode::Unknown;
    // The lowest scan code wins, so the choice does not depend on the table's order.
    for (const auto& [code, info] : detail::KeyTable()) {
        const auto s = static_cast<Scancode>(code);
        if (info.vk == virtualKey &&
            (best == Scancode::Unknown || code < static_cast<std::uint16_t>(best)))
            best = s;
        if (info.vkNumLockOff == virtualKey &&
            (numLockOff == Scancode::Unknown || code < static_cast<std::uint16_t>(numLockOff)))
            numLockOff = s;
    }
    return best != Scancode::Unknown ? best : numLockOff;
}

std::int16_t GetKeyState(int virtualKey) {
    if (virtualKey < 0 || virtualKey > 255) return 0;
    std::uint8_t k = theKeys[static_cast<std::size_t>(virtualKey)];
    return static_cast<std::int16_t>(((k & 0x80) ? 0x8000 : 0) | (k & 1));
}

std::int16_t GetAsyncKeyState(int virtualKey) {
    if (virtualKey < 0 || virtualKey > 255) return 0;
    return static_cast<std::int16_t>((theKeys[static_cast<std::size_t>(virtualKey)] & 0x80) ? 0x8000
                                                                                            : 0);
}

bool GetKeyboardState(std::array<std::uint8_t, 256>* state) {
    if (state == nullptr) return false;
    *state = theKeys;
    return true;
}

bool SetKeyboardState(const std::array<std::uint8_t, 256>& state) {
    theKeys = state;
    // The toggles are the program's to set; the keys held stay as the keyboard has them.
    for (unsigned vk : {VK_NUMLOCK, VK_CAPITAL, VK_SCROLL})
        theAsyncKeys[vk] = static_cast<std::uint8_t>((theAsyncKeys[vk] & 0x80) | (state[vk] & 1));
    return true;
}

// ---- Characters -----------------------------------------------------------------------------

namespace {

int CharacterOf(unsigned vk, bool shift, bool ctrl, bool caps) {
    if (vk >= 'A' && vk <= 'Z') {
        if (ctrl) return static_cast<int>(vk - 'A' + 1);
        return (shift != caps) ? static_cast<int>(vk) : static_cast<int>(vk - 'A' + 'a');
    }
    if (ctrl) {
        if (vk == VK_OEM_4) return 0x1B;
        if (vk == VK_OEM_5) return 0x1C;
        if (vk == VK_OEM_6) return 0x1D;
        if (vk == VK_RETURN) return 0x0A;
        if (vk == VK_BACK) return 0x7F;
        return -1;
    }
    if (vk >= '0' && vk <= '9') {
        static const char shifted[] = ")!@#$%^&*(";
        return shift ? shifted[vk - '0'] : static_cast<int>(vk);
    }
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) return static_cast<int>('0' + vk - VK_NUMPAD0);
    switch (vk) {
        case VK_SPACE:
            return ' ';
        case VK_RETURN:
            return '\r';
        case VK_BACK:
            return '\b';
        case VK_TAB:
            return '\t';
        case VK_ESCAPE:
            return 0x1B;
        case VK_MULTIPLY:
            return '*';
        case VK_ADD:
            return '+';
        case VK_SUBTRACT:
            return '-';
        case VK_DECIMAL:
            return '.';
        case VK_DIVIDE:
            return '/';
        case VK_OEM_1:
            return shift ? ':' : ';';
        case VK_OEM_PLUS:
            return shift ? '+' : '=';
        case VK_OEM_COMMA:
            return shift ? '<' : ',';
        case VK_OEM_MINUS:
            return shift ? '_' : '-';
        case VK_OEM_PERIOD:
            return shift ? '>' : '.';
        case VK_OEM_2:
            return shift ? '?' : '/';
        case VK_OEM_3:
            return shift ? '~' : '`';
        case VK_OEM_4:
            return shift ? '{' : '[';
        case VK_OEM_5:
            return shift ? '|' : '\\';
        case VK_OEM_6:
            return shift ? '}' : ']';
        case VK_OEM_7:
            return shift ? '"' : '\'';
        default:
            return -1;
    }
}

}  // namespace

bool TranslateMessage(const MSG* msg) {
    if (msg == nullptr) return false;
    if (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN) {
        return msg->message == WM_KEYUP || msg->message == WM_SYSKEYUP;
    }
    const bool sys = msg->message == WM_SYSKEYDOWN;
    const bool ctrl = KeyIsDown(VK_CONTROL) && !sys;
    int ch = CharacterOf(static_cast<unsigned>(msg->wParam), KeyIsDown(VK_SHIFT), ctrl,
                         (theKeys[VK_CAPITAL] & 1) != 0);
    if (ch < 0) return true;
    // The character is the very next message the window sees.
    MSG c = *msg;
    c.message = sys ? WM_SYSCHAR : WM_CHAR;
    c.wParam = static_cast<WParam>(ch);
    S().queue.push_front(QueuedMessage(c));
    return true;
}

// ---- Accelerators ---------------------------------------------------------------------------

namespace {
std::unordered_map<std::uint32_t, std::vector<ACCEL>> theAccelTables;
std::uint32_t theNextAccel = 1;
}  // namespace

HACCEL CreateAcceleratorTable(const std::vector<ACCEL>& entries) {
    if (entries.empty()) return {};
    HACCEL h{theNextAccel++};
    theAccelTables[h.id] = entries;
    return h;
}

bool DestroyAcceleratorTable(HACCEL table) {
    return theAccelTables.erase(table.id) != 0;
}

std::vector<ACCEL> GetAcceleratorEntries(HACCEL table) {
    auto it = theAccelTables.find(table.id);
    return it == theAccelTables.end() ? std::vector<ACCEL>{} : it->second;
}

bool TranslateAccelerator(HWND hwnd, HACCEL table, const MSG* msg) {
    if (msg == nullptr || Find(hwnd) == nullptr) return false;
    auto it = theAccelTables.find(table.id);
    if (it == theAccelTables.end()) return false;
    const bool keyDown = msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN;
    const bool charMsg = msg->message == WM_CHAR || msg->message == WM_SYSCHAR;
    if (!keyDown && !charMsg) return false;
    const bool shift = KeyIsDown(VK_SHIFT), ctrl = KeyIsDown(VK_CONTROL), alt = KeyIsDown(VK_MENU);
    for (const ACCEL& a : it->second) {
        bool match = false;
        if (a.flags & FVIRTKEY) {
            match = keyDown && a.key == msg->wParam && ((a.flags & FSHIFT) != 0) == shift &&
                    ((a.flags & FCONTROL) != 0) == ctrl && ((a.flags & FALT) != 0) == alt;
        } else {
            match = charMsg && a.key == msg->wParam && ((a.flags & FALT) != 0) == alt;
        }
        if (!match) continue;
        SendMessage(hwnd, WM_COMMAND, MAKEWPARAM(a.cmd, 1), 0);
        return true;
    }
    return false;
}

}  // namespace win
