// Key names: the whole table round-trips, longer names shadow nothing, and combinations parse
// and format as the binding file writes them.
#include <gtest/gtest.h>

#include <strings.h>

#include <cstring>
#include <string>

#include "sim/input/key_names.h"

namespace {

using sim::FormatKeyCode;
using sim::KeyNameFromCode;
using sim::ParseKeyName;
using sim::theKeyNameTable;

TEST(KeyNames, TableHasItsRowsAndEnds) {
    int n = 0;
    while (theKeyNameTable[n].name != nullptr)
        ++n;
    EXPECT_EQ(n, sim::kKeyNameCount);
    EXPECT_EQ(theKeyNameTable[n].code, 0u);
}

// Every row parses to its own code; its code is named by the first row of that code; and the
// whole code's text parses back to the code.
TEST(KeyNames, EveryRowRoundTrips) {
    for (int i = 0; i < sim::kKeyNameCount; ++i) {
        const sim::KeyNameEntry& e = theKeyNameTable[i];
        SCOPED_TRACE(e.name);
        // A lone "=" ends the key part of a binding line, so the "=" key is written "==".
        const std::string written = std::string(e.name) == "=" ? "==" : e.name;
        EXPECT_EQ(ParseKeyName(written), e.code);
        int first = 0;
        while (theKeyNameTable[first].code != e.code)
            ++first;
        EXPECT_STREQ(KeyNameFromCode(e.code), theKeyNameTable[first].name);
        const char* text = FormatKeyCode(e.code);
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(ParseKeyName(std::string(text)), e.code);
    }
}

// Matching in table order finds whole names only if no name is preceded by a shorter name that
// begins it (case-insensitively).
TEST(KeyNames, NoNameIsShadowedByAnEarlierPrefix) {
    for (int i = 0; i < sim::kKeyNameCount; ++i) {
        for (int j = 0; j < i; ++j) {
            const char* longer = theKeyNameTable[i].name;
            const char* earlier = theKeyNameTable[j].name;
            const std::size_t n = std::strlen(earlier);
            if (n < std::strlen(longer)) {
                EXPECT_NE(strncasecmp(longer, earlier, n), 0) << earlier << " shadows " << longer;
            }
        }
    }
}

TEST(KeyNames, ParsesCombinations) {
    const struct {
        const char* text;
        std::uint32_t code;
    } cases[] = {
        {"ShiftCtrlF1", 0x30070},
        {"AltBackslash", 0x400DC},
        {"F10", 0x79},
        {"shiftf1", 0x10070},
        {"Alt+F1", 0x50070},  // "+" is Shift with "=", and F1 replaces the key
        {"!", 0x10031},
        {"Alt`", 0x400C0},
        {"AltTilda", 0x400C0},
        {"`", 0xC0},
        {"'", 0xDE},
        {"Apostrophe", 0xDE},
        {"~", 0x100C0},
        {"\"", 0x100DE},
        {"SlewButton1", 0x100101},
        {"Button12", 0x10C},
        {"PovLeftForward", 0x200},
        {"ControlAltDelete", 0x6002E},
        {"A B", 0x42},  // the last key named wins
        {"  F2  ", 0x71},
        {"==ThrottleUp", 0xBB},
        {"F1=ThrottleUp", 0x70},
        {"ShiftF1 = A", 0x10070},
        {"=F1", 0},
        {"", 0},
        {"#*", 0x10038},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseKeyName(c.text), c.code) << c.text;
    EXPECT_EQ(ParseKeyName(static_cast<const char*>(nullptr)), 0u);
}

TEST(KeyNames, FormatsCodes) {
    const struct {
        std::uint32_t code;
        const char* text;
    } cases[] = {
        {0x30070, "ShiftCtrlF1"},  {0x100101, "SlewButton1"}, {0x400DC, "AltBackslash"},
        {0x1006B, "ShiftNumpad+"}, {0x400C0, "AltTilda"},     {0x170027, "ShiftCtrlAltSlewRight"},
        {0x200070, "F1"},    // the repeat flag has no name
        {0x100FF, "Shift"},  // an unnamed key leaves the modifiers
        {0x20000, "Ctrl"},         {0x6C, "NumpadEnter"},
    };
    for (const auto& c : cases) {
        const char* text = FormatKeyCode(c.code);
        ASSERT_NE(text, nullptr) << c.text;
        EXPECT_STREQ(text, c.text);
    }
    EXPECT_EQ(FormatKeyCode(0), nullptr);
    EXPECT_EQ(FormatKeyCode(0xFF), nullptr);
    EXPECT_STREQ(KeyNameFromCode(0), "");
    EXPECT_STREQ(KeyNameFromCode(0x10070), "");  // a whole combination is no single row
}

}  // namespace

// A script's key: the table's combinations, "+" after a modifier, a few readable names, and
// nothing that is not one key (a word of letters is not a key).
TEST(KeyNames, ScriptKeysSpeakTheTablesNames) {
    using sim::ParseScriptKeyName;
    for (int i = 0; i < sim::kKeyNameCount; ++i) {
        const sim::KeyNameEntry& e = theKeyNameTable[i];
        if ((e.code & sim::kKeyMask) == 0) continue;
        EXPECT_EQ(ParseScriptKeyName(e.name), e.code) << e.name;
        EXPECT_EQ(ParseScriptKeyName(std::string("ShiftCtrl") + e.name),
                  e.code | sim::kKeyShift | sim::kKeyCtrl)
            << e.name;
    }
    const struct {
        const char* text;
        std::uint32_t code;
    } cases[] = {
        {"Ctrl+O", 0x2004F},
        {"Alt+Return", 0x4000D},
        {"Alt+Shift+Return", 0x5000D},
        {"Alt+`", 0x400C0},
        {"Alt`", 0x400C0},
        {"AltNumpad+", 0x4006B},
        {"Alt+Numpad+", 0x4006B},
        {"Backspace", 0x08},
        {"backspace", 0x08},
        {"PageUp", 0x21},
        {"PgDn", 0x22},
        {"Esc", 0x1B},
        {"=", 0xBB},
        {"+", 0x100BB},
        {"Shift+", 0x100BB},
        {"Hyper+Q", 0},
        {"Shift", 0},
        {"Ctrl+", 0x300BB},
        {"==", 0},
        {"F1F2", 0},
        {"", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseScriptKeyName(c.text), c.code) << c.text;
}
