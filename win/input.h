// Keyboard, mouse, accelerators and cursors. Virtual-key codes are those of a US keyboard and
// follow the key's physical position; mouse coordinates are logical 640×480 pixels.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "platform/keys.h"
#include "win/window.h"

namespace win {

// ---- Virtual keys ---------------------------------------------------------------------------
inline constexpr unsigned VK_LBUTTON = 0x01;
inline constexpr unsigned VK_RBUTTON = 0x02;
inline constexpr unsigned VK_CANCEL = 0x03;
inline constexpr unsigned VK_MBUTTON = 0x04;
inline constexpr unsigned VK_BACK = 0x08;
inline constexpr unsigned VK_TAB = 0x09;
inline constexpr unsigned VK_CLEAR = 0x0C;
inline constexpr unsigned VK_RETURN = 0x0D;
inline constexpr unsigned VK_SHIFT = 0x10;
inline constexpr unsigned VK_CONTROL = 0x11;
inline constexpr unsigned VK_MENU = 0x12;
inline constexpr unsigned VK_PAUSE = 0x13;
inline constexpr unsigned VK_CAPITAL = 0x14;
inline constexpr unsigned VK_ESCAPE = 0x1B;
inline constexpr unsigned VK_SPACE = 0x20;
inline constexpr unsigned VK_PRIOR = 0x21;
inline constexpr unsigned VK_NEXT = 0x22;
inline constexpr unsigned VK_END = 0x23;
inline constexpr unsigned VK_HOME = 0x24;
inline constexpr unsigned VK_LEFT = 0x25;
inline constexpr unsigned VK_UP = 0x26;
inline constexpr unsigned VK_RIGHT = 0x27;
inline constexpr unsigned VK_DOWN = 0x28;
inline constexpr unsigned VK_SNAPSHOT = 0x2C;
inline constexpr unsigned VK_INSERT = 0x2D;
inline constexpr unsigned VK_DELETE = 0x2E;
// '0'..'9' are 0x30..0x39 and 'A'..'Z' 0x41..0x5A.
inline constexpr unsigned VK_LWIN = 0x5B;
inline constexpr unsigned VK_RWIN = 0x5C;
inline constexpr unsigned VK_APPS = 0x5D;
inline constexpr unsigned VK_NUMPAD0 = 0x60;
inline constexpr unsigned VK_NUMPAD1 = 0x61;
inline constexpr unsigned VK_NUMPAD2 = 0x62;
inline constexpr unsigned VK_NUMPAD3 = 0x63;
inline constexpr unsigned VK_NUMPAD4 = 0x64;
inline constexpr unsigned VK_NUMPAD5 = 0x65;
inline constexpr unsigned VK_NUMPAD6 = 0x66;
inline constexpr unsigned VK_NUMPAD7 = 0x67;
inline constexpr unsigned VK_NUMPAD8 = 0x68;
inline constexpr unsigned VK_NUMPAD9 = 0x69;
inline constexpr unsigned VK_MULTIPLY = 0x6A;
inline constexpr unsigned VK_ADD = 0x6B;
inline constexpr unsigned VK_SEPARATOR = 0x6C;
inline constexpr unsigned VK_SUBTRACT = 0x6D;
inline constexpr unsigned VK_DECIMAL = 0x6E;
inline constexpr unsigned VK_DIVIDE = 0x6F;
inline constexpr unsigned VK_F1 = 0x70;
inline constexpr unsigned VK_F2 = 0x71;
inline constexpr unsigned VK_F3 = 0x72;
inline constexpr unsigned VK_F4 = 0x73;
inline constexpr unsigned VK_F5 = 0x74;
inline constexpr unsigned VK_F6 = 0x75;
inline constexpr unsigned VK_F7 = 0x76;
inline constexpr unsigned VK_F8 = 0x77;
inline constexpr unsigned VK_F9 = 0x78;
inline constexpr unsigned VK_F10 = 0x79;
inline constexpr unsigned VK_F11 = 0x7A;
inline constexpr unsigned VK_F12 = 0x7B;
inline constexpr unsigned VK_NUMLOCK = 0x90;
inline constexpr unsigned VK_SCROLL = 0x91;
inline constexpr unsigned VK_LSHIFT = 0xA0;
inline constexpr unsigned VK_RSHIFT = 0xA1;
inline constexpr unsigned VK_LCONTROL = 0xA2;
inline constexpr unsigned VK_RCONTROL = 0xA3;
inline constexpr unsigned VK_LMENU = 0xA4;
inline constexpr unsigned VK_RMENU = 0xA5;
inline constexpr unsigned VK_OEM_1 = 0xBA;       // ;:
inline constexpr unsigned VK_OEM_PLUS = 0xBB;    // =+
inline constexpr unsigned VK_OEM_COMMA = 0xBC;   // ,<
inline constexpr unsigned VK_OEM_MINUS = 0xBD;   // -_
inline constexpr unsigned VK_OEM_PERIOD = 0xBE;  // .>
inline constexpr unsigned VK_OEM_2 = 0xBF;       // /?
inline constexpr unsigned VK_OEM_3 = 0xC0;       // `~
inline constexpr unsigned VK_OEM_4 = 0xDB;       // [{
inline constexpr unsigned VK_OEM_5 = 0xDC;       // \|
inline constexpr unsigned VK_OEM_6 = 0xDD;       // ]}
inline constexpr unsigned VK_OEM_7 = 0xDE;       // '"
inline constexpr unsigned VK_OEM_102 = 0xE2;

// Mouse-message wParam key flags.
inline constexpr unsigned MK_LBUTTON = 0x0001;
inline constexpr unsigned MK_RBUTTON = 0x0002;
inline constexpr unsigned MK_SHIFT = 0x0004;
inline constexpr unsigned MK_CONTROL = 0x0008;
inline constexpr unsigned MK_MBUTTON = 0x0010;

// Bit 15 (returned as a negative short) = down; bit 0 = toggled (Caps, NumLock, Scroll).
std::int16_t GetKeyState(int virtualKey);
std::int16_t GetAsyncKeyState(int virtualKey);
// The 256-byte keyboard state (bit 7 down, bit 0 toggled). Setting it changes only this
// layer's view of the keyboard: the toggle of VK_NUMLOCK decides whether keypad keys arrive as
// digits or as the navigation keys; the real keyboard's lights are never touched.
bool GetKeyboardState(std::array<std::uint8_t, 256>* state);
bool SetKeyboardState(const std::array<std::uint8_t, 256>& state);
// The physical key (US layout) that sends a virtual key, for a runner that types keys: the main
// key of a virtual key that two keys send (Return, not the keypad's), a keypad key for the
// navigation key it sends only with NumLock off (VK_CLEAR), the keypad's Enter for
// VK_SEPARATOR; Unknown when no key sends it.
platform::Scancode ScancodeForVirtualKey(unsigned virtualKey);

// ---- Accelerators ---------------------------------------------------------------------------
inline constexpr std::uint8_t FVIRTKEY = 0x01;
inline constexpr std::uint8_t FNOINVERT = 0x02;
inline constexpr std::uint8_t FSHIFT = 0x04;
inline constexpr std::uint8_t FCONTROL = 0x08;
inline constexpr std::uint8_t FALT = 0x10;

struct ACCEL {
    std::uint8_t flags = 0;  // FVIRTKEY | FSHIFT | FCONTROL | FALT
    std::uint16_t key = 0;   // a virtual key with FVIRTKEY, else a character code
    std::uint16_t cmd = 0;
};

HACCEL CreateAcceleratorTable(const std::vector<ACCEL>& entries);
bool DestroyAcceleratorTable(HACCEL table);
std::vector<ACCEL> GetAcceleratorEntries(HACCEL table);
// A key-down (or character, for entries without FVIRTKEY) that matches an entry is sent to
// `hwnd` as WM_COMMAND (cmd, high word 1) and the caller must neither translate nor dispatch
// it (the result is then true).
bool TranslateAccelerator(HWND hwnd, HACCEL table, const MSG* msg);

// ---- Cursors --------------------------------------------------------------------------------
inline constexpr std::uint32_t IDC_ARROW = 32512;
inline constexpr std::uint32_t IDC_IBEAM = 32513;
inline constexpr std::uint32_t IDC_WAIT = 32514;
inline constexpr std::uint32_t IDC_CROSS = 32515;
inline constexpr std::uint32_t IDC_UPARROW = 32516;
inline constexpr std::uint32_t IDC_SIZENWSE = 32642;
inline constexpr std::uint32_t IDC_SIZENESW = 32643;
inline constexpr std::uint32_t IDC_SIZEWE = 32644;
inline constexpr std::uint32_t IDC_SIZENS = 32645;
inline constexpr std::uint32_t IDC_SIZEALL = 32646;
inline constexpr std::uint32_t IDC_NO = 32648;
inline constexpr std::uint32_t IDC_HAND = 32649;
inline constexpr std::uint32_t IDC_APPSTARTING = 32650;

// With a null instance: the system cursor of that id (null when the id is not a system
// cursor). With an instance: the resource cursor of the loader the resource code registered.
HCURSOR LoadCursor(HINSTANCE instance, std::uint32_t id);
// An image cursor (32-bit 0xAARRGGBB pixels, alpha 0 transparent), for resource cursors.
HCURSOR CreateImageCursor(int width, int height, int hotX, int hotY,
                          const std::vector<std::uint32_t>& argb);
void SetResourceCursorLoader(std::function<HCURSOR(HINSTANCE, std::uint32_t)> loader);
// Frees an image cursor; false for a system cursor or one already freed. A resource cursor is
// shared (every LoadCursor of it gives the same one) and freed with its library.
bool DestroyCursor(HCURSOR cursor);
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor();
// The display counter: the cursor shows while it is >= 0; returns the new count.
int ShowCursor(bool show);
bool GetCursorPos(POINT* point);
bool SetCursorPos(int x, int y);

}  // namespace win
