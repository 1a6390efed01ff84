#include "sim/input/keyboard_input.h"

#include "sim/flight_tape.h"
#include "sim/input/key_commands.h"
#include "sim/input/key_names.h"
#include "sim/slew.h"
#include "win/input.h"
#include "win/window.h"

namespace sim {

std::uint32_t theKeyHandled = 0;
bool theKeyIsRepeat = false;

namespace {

std::int16_t AsyncKeyState(int key) {
    return win::GetAsyncKeyState(key);
}
bool GetState(std::array<std::uint8_t, 256>* state) {
    return win::GetKeyboardState(state);
}
bool SetState(const std::array<std::uint8_t, 256>& state) {
    return win::SetKeyboardState(state);
}
win::LResult DefProc(win::HWND window, std::uint32_t message, win::WParam wParam,
                     win::LParam lParam) {
    return win::DefWindowProc(window, message, wParam, lParam);
}

bool Held(unsigned key) {
    return (static_cast<std::uint16_t>(
                theKeyboardInputServices.asyncKeyState(static_cast<int>(key))) &
            0x8000) != 0;
}

void HandleKey(win::HWND window, std::uint32_t message, unsigned virtualKey, int down,
               std::uint16_t repeatCount, std::uint16_t keyFlags) {
    theKeyHandled = 0;
    if (virtualKey == win::VK_NUMLOCK) {
        // NumLock stays off, so the keypad always sends the navigation keys the look commands
        // are bound to.
        std::array<std::uint8_t, 256> state{};
        if (theKeyboardInputServices.getKeyboardState(&state)) {
            state[win::VK_NUMLOCK] = 0;
            theKeyboardInputServices.setKeyboardState(state);
        }
        return;
    }
    if (down != 0 && virtualKey != win::VK_SHIFT && virtualKey != win::VK_CONTROL &&
        virtualKey != win::VK_MENU) {
        std::uint32_t code = virtualKey & 0xFFFF;
        if (Held(win::VK_MENU)) code |= kKeyAlt;
        if (Held(win::VK_CONTROL)) code |= kKeyCtrl;
        if (Held(win::VK_SHIFT)) code |= kKeyShift;
        if (theFlightTape.IsRecording()) theFlightTape.WriteKeyEvent(window, code);
        // The message's previous-state flag (bit 30 of its lParam) marks the keyboard's repeat.
        theKeyIsRepeat = (keyFlags & 0x4000) != 0;
        DispatchKeyCode(code);
        theKeyIsRepeat = false;
    }
    if (theKeyHandled == 0) {
        const win::LParam lParam = static_cast<win::LParam>(
            static_cast<std::uint32_t>(repeatCount) | (static_cast<std::uint32_t>(keyFlags) << 16));
        theKeyboardInputServices.defWindowProc(window, message, virtualKey, lParam);
    }
}

}  // namespace

KeyboardInputServices DefaultKeyboardInputServices() {
    return KeyboardInputServices{&AsyncKeyState, &GetState, &SetState, &DefProc};
}
KeyboardInputServices theKeyboardInputServices = DefaultKeyboardInputServices();

void OnKeyMessage(win::HWND window, unsigned virtualKey, int down, std::uint16_t repeatCount,
                  std::uint16_t keyFlags) {
    HandleKey(window, down != 0 ? win::WM_KEYDOWN : win::WM_KEYUP, virtualKey, down, repeatCount,
              keyFlags);
}

void OnSysKeyMessage(win::HWND window, unsigned virtualKey, int down, std::uint16_t repeatCount,
                     std::uint16_t keyFlags) {
    HandleKey(window, down != 0 ? win::WM_SYSKEYDOWN : win::WM_SYSKEYUP, virtualKey, down,
              repeatCount, keyFlags);
}

int DispatchKeyCode(std::uint32_t code) {
    theKeyHandled = 1;
    // While slewing, the slew codes come first; slew is asked again before each try, since a
    // command may end it.
    const std::uint32_t slewCode = code | kKeySlew;
    if (theSlewControl.IsActive() && theJoystickBindings.Dispatch(slewCode) != 0) return 1;
    if (theSlewControl.IsActive() && theKeyboardBindings.Dispatch(slewCode) != 0) return 1;
    if (theSlewControl.IsActive() && RunKeyCommandByCode(slewCode) != 0) return 1;
    if (theJoystickBindings.Dispatch(code) != 0 || theKeyboardBindings.Dispatch(code) != 0 ||
        RunKeyCommandByCode(code) != 0)
        return 1;
    theKeyHandled = 0;
    return 0;
}

}  // namespace sim
