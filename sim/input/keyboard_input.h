// Keyboard input from the main window's procedure: a key press becomes a key code with the
// modifiers held at that moment, the flight tape notes it, and the bound command runs: the
// user's joystick and keyboard bindings first, then the commands' default keys. Slew mode gets
// its own codes first. Joystick buttons and hat directions come through the same dispatch.
#pragma once

#include <array>
#include <cstdint>

#include "win/handles.h"

namespace sim {

// 1 while a dispatch runs or after one that ran a command; 0 after one that found nothing.
extern std::uint32_t theKeyHandled;
// True while the command of a key the user holds down runs again for the keyboard's repeat;
// false for a press, a joystick button and every other caller.
extern bool theKeyIsRepeat;

// WM_KEYDOWN (down 1) and WM_KEYUP (down 0); the last two arguments are the low and high halves
// of the message's lParam. The window procedure returns 0 after it.
void OnKeyMessage(win::HWND window, unsigned virtualKey, int down, std::uint16_t repeatCount,
                  std::uint16_t keyFlags);
// The same for WM_SYSKEYDOWN and WM_SYSKEYUP.
void OnSysKeyMessage(win::HWND window, unsigned virtualKey, int down, std::uint16_t repeatCount,
                     std::uint16_t keyFlags);

// Runs the command of a key, joystick button or hat code; non-zero when one ran.
int DispatchKeyCode(std::uint32_t code);

// What the key handler asks of the window system; tests put their own keyboard here.
struct KeyboardInputServices {
    std::int16_t (*asyncKeyState)(int virtualKey);
    bool (*getKeyboardState)(std::array<std::uint8_t, 256>* state);
    bool (*setKeyboardState)(const std::array<std::uint8_t, 256>& state);
    win::LResult (*defWindowProc)(win::HWND window, std::uint32_t message, win::WParam wParam,
                                  win::LParam lParam);
};
extern KeyboardInputServices theKeyboardInputServices;
[[nodiscard]] KeyboardInputServices DefaultKeyboardInputServices();

}  // namespace sim
