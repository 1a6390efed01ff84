#include "sim/input/key_names.h"

#include <cctype>
#include <cstddef>

#include "win/input.h"

namespace sim {

namespace {

using namespace win;

constexpr std::uint32_t S = kKeyShift;

}  // namespace

// Aliases follow the name they share a code with, so the first row of a code is its written
// name. The order is what makes parsing work: longer names before the shorter names that begin
// them (Backslash before Back, F24..F10 before F9..F1, Button32..Button10 before Button9..).
const KeyNameEntry theKeyNameTable[kKeyNameCount + 1] = {
    // modifiers
    {kKeyShift, "Shift"},
    {kKeyAlt, "Alt"},
    {kKeyCtrl, "Ctrl"},
    {kKeyCtrl, "Control"},
    {kKeySlew, "Slew"},
    // mouse buttons
    {VK_LBUTTON, "LeftButton"},
    {VK_RBUTTON, "RightButton"},
    {VK_MBUTTON, "MiddleButton"},
    {VK_LBUTTON, "LButton"},
    {VK_RBUTTON, "RButton"},
    {VK_MBUTTON, "MButton"},
    // named keys
    {VK_CANCEL, "Cancel"},
    {VK_OEM_5, "Backslash"},
    {VK_BACK, "Back"},
    {VK_TAB, "Tab"},
    {VK_CLEAR, "Clear"},
    {VK_RETURN, "Return"},
    {VK_RETURN, "Enter"},
    {VK_PAUSE, "Pause"},
    {VK_CAPITAL, "Capital"},
    {VK_ESCAPE, "Escape"},
    {VK_SPACE, "Space"},
    {VK_PRIOR, "Prior"},
    {VK_NEXT, "Next"},
    {VK_END, "End"},
    {VK_HOME, "Home"},
    {0x29, "Select"},
    {VK_SNAPSHOT, "PrintScreen"},
    {0x2A, "Print"},
    {0x2B, "Execute"},
    {VK_SNAPSHOT, "Snapshot"},
    {VK_INSERT, "Insert"},
    {VK_DELETE, "Delete"},
    {0x2F, "Help"},
    {VK_LWIN, "LWin"},
    {VK_LWIN, "LeftWin"},
    {VK_RWIN, "RWin"},
    {VK_RWIN, "RightWin"},
    {VK_APPS, "Apps"},
    {VK_NUMLOCK, "Numlock"},
    {VK_SCROLL, "Scroll"},
    // numeric keypad
    {VK_NUMPAD0, "Numpad0"},
    {VK_NUMPAD1, "Numpad1"},
    {VK_NUMPAD2, "Numpad2"},
    {VK_NUMPAD3, "Numpad3"},
    {VK_NUMPAD4, "Numpad4"},
    {VK_NUMPAD5, "Numpad5"},
    {VK_NUMPAD6, "Numpad6"},
    {VK_NUMPAD7, "Numpad7"},
    {VK_NUMPAD8, "Numpad8"},
    {VK_NUMPAD9, "Numpad9"},
    {VK_MULTIPLY, "Numpad*"},
    {VK_ADD, "Numpad+"},
    {VK_SUBTRACT, "Numpad-"},
    {VK_DECIMAL, "Numpad."},
    {VK_DIVIDE, "Numpad/"},
    {VK_SEPARATOR, "NumpadEnter"},
    {VK_SEPARATOR, "NumpadReturn"},
    {VK_NUMPAD0, "Keypad0"},
    {VK_NUMPAD1, "Keypad1"},
    {VK_NUMPAD2, "Keypad2"},
    {VK_NUMPAD3, "Keypad3"},
    {VK_NUMPAD4, "Keypad4"},
    {VK_NUMPAD5, "Keypad5"},
    {VK_NUMPAD6, "Keypad6"},
    {VK_NUMPAD7, "Keypad7"},
    {VK_NUMPAD8, "Keypad8"},
    {VK_NUMPAD9, "Keypad9"},
    {VK_MULTIPLY, "Keypad*"},
    {VK_ADD, "Keypad+"},
    {VK_SUBTRACT, "Keypad-"},
    {VK_DECIMAL, "Keypad."},
    {VK_DIVIDE, "Keypad/"},
    {VK_SEPARATOR, "KeypadEnter"},
    {VK_SEPARATOR, "KeypadReturn"},
    {VK_MULTIPLY, "Multiply"},
    {VK_ADD, "Add"},
    {VK_SEPARATOR, "Separator"},
    {VK_SUBTRACT, "Subtract"},
    {VK_DECIMAL, "Decimal"},
    {VK_DIVIDE, "Divide"},
    // function keys, longest first
    {0x87, "F24"},
    {0x86, "F23"},
    {0x85, "F22"},
    {0x84, "F21"},
    {0x83, "F20"},
    {0x82, "F19"},
    {0x81, "F18"},
    {0x80, "F17"},
    {0x7F, "F16"},
    {0x7E, "F15"},
    {0x7D, "F14"},
    {0x7C, "F13"},
    {VK_F12, "F12"},
    {VK_F11, "F11"},
    {VK_F10, "F10"},
    {VK_F9, "F9"},
    {VK_F8, "F8"},
    {VK_F7, "F7"},
    {VK_F6, "F6"},
    {VK_F5, "F5"},
    {VK_F4, "F4"},
    {VK_F3, "F3"},
    {VK_F2, "F2"},
    {VK_F1, "F1"},
    // punctuation by name
    {VK_OEM_1, "Semicolon"},
    {VK_OEM_PLUS, "Equal"},
    {VK_OEM_COMMA, "Comma"},
    {VK_OEM_MINUS, "Minus"},
    {VK_OEM_PERIOD, "Period"},
    {VK_OEM_2, "ForwardSlash"},
    {VK_OEM_2, "ForSlash"},
    {VK_OEM_3, "Tilda"},
    {VK_OEM_4, "LeftBracket"},
    {VK_OEM_6, "RightBracket"},
    {VK_OEM_7, "Apostrophe"},
    // punctuation as characters: the backquote is the key of the tilde, the apostrophe the key of
    // the double quote
    {VK_OEM_1, ";"},
    {VK_OEM_PLUS, "="},
    {VK_OEM_COMMA, ","},
    {VK_OEM_MINUS, "-"},
    {VK_OEM_PERIOD, "."},
    {VK_OEM_2, "/"},
    {VK_OEM_7, "'"},
    {VK_OEM_4, "["},
    {VK_OEM_6, "]"},
    {VK_OEM_5, "\\"},
    {VK_OEM_3, "`"},
    // joystick buttons, longest first
    {0x120, "Button32"},
    {0x11F, "Button31"},
    {0x11E, "Button30"},
    {0x11D, "Button29"},
    {0x11C, "Button28"},
    {0x11B, "Button27"},
    {0x11A, "Button26"},
    {0x119, "Button25"},
    {0x118, "Button24"},
    {0x117, "Button23"},
    {0x116, "Button22"},
    {0x115, "Button21"},
    {0x114, "Button20"},
    {0x113, "Button19"},
    {0x112, "Button18"},
    {0x111, "Button17"},
    {0x110, "Button16"},
    {0x10F, "Button15"},
    {0x10E, "Button14"},
    {0x10D, "Button13"},
    {0x10C, "Button12"},
    {0x10B, "Button11"},
    {0x10A, "Button10"},
    {0x109, "Button9"},
    {0x108, "Button8"},
    {0x107, "Button7"},
    {0x106, "Button6"},
    {0x105, "Button5"},
    {0x104, "Button4"},
    {0x103, "Button3"},
    {0x102, "Button2"},
    {0x101, "Button1"},
    // hat directions
    {0x200, "PovForwardLeft"},
    {0x202, "PovForwardRight"},
    {0x201, "PovForward"},
    {0x205, "PovBackLeft"},
    {0x207, "PovBackRight"},
    {0x206, "PovBack"},
    {0x200, "PovLeftForward"},
    {0x205, "PovLeftBack"},
    {0x203, "PovLeft"},
    {0x202, "PovRightForward"},
    {0x207, "PovRightBack"},
    {0x204, "PovRight"},
    // arrows
    {VK_LEFT, "Left"},
    {VK_UP, "Up"},
    {VK_RIGHT, "Right"},
    {VK_DOWN, "Down"},
    // letters
    {0x41, "A"},
    {0x42, "B"},
    {0x43, "C"},
    {0x44, "D"},
    {0x45, "E"},
    {0x46, "F"},
    {0x47, "G"},
    {0x48, "H"},
    {0x49, "I"},
    {0x4A, "J"},
    {0x4B, "K"},
    {0x4C, "L"},
    {0x4D, "M"},
    {0x4E, "N"},
    {0x4F, "O"},
    {0x50, "P"},
    {0x51, "Q"},
    {0x52, "R"},
    {0x53, "S"},
    {0x54, "T"},
    {0x55, "U"},
    {0x56, "V"},
    {0x57, "W"},
    {0x58, "X"},
    {0x59, "Y"},
    {0x5A, "Z"},
    // digits
    {0x30, "0"},
    {0x31, "1"},
    {0x32, "2"},
    {0x33, "3"},
    {0x34, "4"},
    {0x35, "5"},
    {0x36, "6"},
    {0x37, "7"},
    {0x38, "8"},
    {0x39, "9"},
    // shifted characters
    {S | 0x30, ")"},
    {S | 0x31, "!"},
    {S | 0x32, "@"},
    {S | 0x33, "#"},
    {S | 0x34, "$"},
    {S | 0x35, "%"},
    {S | 0x36, "^"},
    {S | 0x37, "&"},
    {S | 0x38, "*"},
    {S | 0x39, "("},
    {S | VK_OEM_1, ":"},
    {S | VK_OEM_PLUS, "+"},
    {S | VK_OEM_COMMA, "<"},
    {S | VK_OEM_MINUS, "_"},
    {S | VK_OEM_PERIOD, ">"},
    {S | VK_OEM_2, "?"},
    {S | VK_OEM_3, "~"},
    {S | VK_OEM_4, "{"},
    {S | VK_OEM_6, "}"},
    {S | VK_OEM_5, "|"},
    {S | VK_OEM_7, "\""},
    {0, nullptr},
};

namespace {

// Case-insensitive comparison of a name with the text at the current position.
bool NameMatches(std::string_view text, std::size_t pos, const char* name) {
    std::size_t i = 0;
    for (; name[i] != '\0'; ++i) {
        if (pos + i >= text.size()) return false;
        const auto a = static_cast<unsigned char>(text[pos + i]);
        const auto b = static_cast<unsigned char>(name[i]);
        if (std::tolower(a) != std::tolower(b)) return false;
    }
    return true;
}

char theFormatBuffer[64];

// Readable names scripts may use for keys whose table names are the system's own.
struct ReadableKeyName {
    const char* readable;
    const char* name;
};
const ReadableKeyName kReadableKeyNames[] = {
    {"Backspace", "Back"},   {"PageUp", "Prior"},      {"PgUp", "Prior"}, {"PageDown", "Next"},
    {"PgDn", "Next"},        {"Esc", "Escape"},        {"Del", "Delete"}, {"Ins", "Insert"},
    {"CapsLock", "Capital"}, {"ScrollLock", "Scroll"}, {"Grave", "`"},    {"Plus", "+"},
};

bool SameName(std::string_view a, const char* b) {
    return a.size() == std::char_traits<char>::length(b) && NameMatches(a, 0, b);
}

// Every character must belong to a name of the table, and the names must be modifiers and
// then exactly one key ("Hyper" would otherwise read as the five letter keys).
std::uint32_t ParseWholeKeyName(std::string_view text) {
    std::uint32_t result = 0;
    int keys = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const KeyNameEntry* hit = nullptr;
        for (const KeyNameEntry* e = theKeyNameTable; e->name != nullptr; ++e) {
            if (NameMatches(text, pos, e->name)) {
                hit = e;
                break;
            }
        }
        if (hit == nullptr || keys > 0) return 0;
        if ((hit->code & kKeyMask) != 0) ++keys;
        result |= hit->code;
        pos += std::char_traits<char>::length(hit->name);
    }
    return keys == 1 ? result : 0;
}

}  // namespace

std::uint32_t ParseScriptKeyName(std::string_view text) {
    std::uint32_t modifiers = 0;
    for (bool more = true; more;) {
        more = false;
        for (std::uint32_t bit : {kKeyShift, kKeyCtrl, kKeyAlt}) {
            for (const KeyNameEntry* e = theKeyNameTable; e->name != nullptr; ++e) {
                const std::size_t n = std::char_traits<char>::length(e->name);
                if (e->code != bit || text.size() <= n + 1 || text[n] != '+' ||
                    !NameMatches(text, 0, e->name))
                    continue;
                modifiers |= bit;
                text.remove_prefix(n + 1);
                more = true;
                break;
            }
        }
    }
    for (const ReadableKeyName& r : kReadableKeyNames)
        if (SameName(text, r.readable)) text = r.name;
    const std::uint32_t code = ParseWholeKeyName(text);
    return code != 0 ? code | modifiers : 0;
}

std::uint32_t ParseKeyName(std::string_view text) {
    std::uint32_t result = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        // An "=" that another "=" follows is the key itself; a lone one starts the command list.
        if (text[pos] == '=' && (pos + 1 >= text.size() || text[pos + 1] != '=')) break;
        const KeyNameEntry* hit = nullptr;
        for (const KeyNameEntry* e = theKeyNameTable; e->name != nullptr; ++e) {
            if (NameMatches(text, pos, e->name)) {
                hit = e;
                break;
            }
        }
        if (hit == nullptr) {
            ++pos;
            continue;
        }
        if ((hit->code & kKeyMask) != 0) result &= ~kKeyMask;
        result |= hit->code;
        pos += std::char_traits<char>::length(hit->name);
    }
    return result;
}

std::uint32_t ParseKeyName(const char* text) {
    return text == nullptr ? 0 : ParseKeyName(std::string_view(text));
}

const char* KeyNameFromCode(std::uint32_t code) {
    if (code == 0) return "";
    for (const KeyNameEntry* e = theKeyNameTable; e->name != nullptr; ++e) {
        if (e->code == code) return e->name;
    }
    return "";
}

std::string KeyCodeText(std::uint32_t code) {
    std::string text;
    for (std::uint32_t bit = kKeyShift; bit != 0; bit <<= 1) {
        if ((code & bit) != 0) text += KeyNameFromCode(bit);
    }
    text += KeyNameFromCode(code & kKeyMask);
    return text;
}

const char* FormatKeyCode(std::uint32_t code) {
    const std::string text = KeyCodeText(code);
    if (text.empty()) return nullptr;
    // The longest possible text ("ShiftCtrlAltSlewPovRightForward") fits easily.
    const std::size_t n =
        text.size() < sizeof theFormatBuffer - 1 ? text.size() : sizeof theFormatBuffer - 1;
    text.copy(theFormatBuffer, n);
    theFormatBuffer[n] = '\0';
    return theFormatBuffer;
}

}  // namespace sim
