// Key names: the one table that turns key combinations into text and back, for the binding
// file and the runner's key command. A combination is the names of the held modifiers and of the
// key run together ("ShiftCtrlF1", "AltBackslash", "SlewButton1"); names match case-insensitively.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace sim {

// Key-code bits shared by commands, bindings, the keyboard and the joystick.
inline constexpr std::uint32_t kKeyMask = 0xFFFF;
inline constexpr std::uint32_t kKeyShift = 0x10000;
inline constexpr std::uint32_t kKeyCtrl = 0x20000;
inline constexpr std::uint32_t kKeyAlt = 0x40000;
inline constexpr std::uint32_t kKeySlew = 0x100000;
inline constexpr std::uint32_t kKeyRepeat = 0x200000;      // ignored by every match
inline constexpr std::uint32_t kJoystickButton1 = 0x101;   // buttons 1..32: 0x101..0x120
inline constexpr std::uint32_t kJoystickHatFirst = 0x200;  // hat directions: 0x200..0x207

struct KeyNameEntry {
    std::uint32_t code;
    const char* name;
};

inline constexpr int kKeyNameCount = 232;
// The rows, ended by one {0, nullptr} row. Every name stands before any shorter name that
// begins it, so matching in table order finds the whole name; the first row of a code is the
// name it is written with.
extern const KeyNameEntry theKeyNameTable[kKeyNameCount + 1];

// The key code a combination text describes; 0 for a null text or when nothing matched. Stops at
// an "=" not directly followed by another "=", so a whole binding line can be given ("==" is the
// "=" key). A later key name replaces an earlier one; modifier bits accumulate.
[[nodiscard]] std::uint32_t ParseKeyName(std::string_view text);
[[nodiscard]] std::uint32_t ParseKeyName(const char* text);

// The key code of a key written in a script: a combination of the table's names as above
// ("ShiftCtrlF1", "AltNumpad+", "Back", "Alt`"), with the modifiers also written with a "+"
// after them ("Ctrl+O", "Alt+Return", "Alt+`" is Alt with the backquote key), and a few readable
// names of keys ("Backspace", "PageUp", "PageDown", "Esc", "Del", "Ins", "CapsLock"). 0 when any
// part of the text is not a key name or no key is named; "=" is the key, never a separator.
[[nodiscard]] std::uint32_t ParseScriptKeyName(std::string_view text);

// The name of the first row whose code equals `code` exactly; "" for 0 or an unknown code.
[[nodiscard]] const char* KeyNameFromCode(std::uint32_t code);

// The text of a whole key code (Shift, Ctrl, Alt, Slew in that order, then the key), in a buffer
// that the next call overwrites; null when the text is empty. The repeat flag is never written.
[[nodiscard]] const char* FormatKeyCode(std::uint32_t code);
// The same text as a string ("" where FormatKeyCode gives null).
[[nodiscard]] std::string KeyCodeText(std::uint32_t code);

}  // namespace sim
