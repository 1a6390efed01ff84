// The command registry (priority order, null handlers, repeat flag), the program's registration
// order, and the binding files: reading sections, bad input, and writing them back.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "sim/input/command_services.h"
#include "sim/input/key_commands.h"
#include "sim/input/key_names.h"

namespace {

using sim::FindKeyCommand;
using sim::KeyBindingTable;
using sim::KeyCommand;
using sim::KeyCommandName;
using sim::KeyCommandNode;
using sim::RegisterKeyCommands;
using sim::RunKeyCommandByCode;

std::vector<std::string> theCalls;
void CallA() {
    theCalls.push_back("A");
}
void CallB() {
    theCalls.push_back("B");
}
void CallC() {
    theCalls.push_back("C");
}

const KeyCommand kTableA[] = {
    {0x41, &CallA, "AlphaOne"},
    {0x200042, &CallA, "AlphaRepeat"},
    {0x43, nullptr, "AlphaEmpty"},
    {0x43, &CallA, "AlphaShadowed"},  // never reached: a null row sends the key to the next table
};
const KeyCommand kTableB[] = {
    {0x41, &CallB, "BetaOne"},
    {0x43, &CallB, "BetaC"},
    {0x44, &CallB, "Shared"},
    {0x45, &CallB, nullptr},
};
const KeyCommand kTableC[] = {
    {0x44, &CallC, "Shared"},
    {0x46, &CallC, "gamma"},
};

// Each test starts with an empty registry and leaves it as it found it.
class KeyRegistry : public ::testing::Test {
protected:
    void SetUp() override {
        saved = sim::theKeyCommandRegistry;
        sim::theKeyCommandRegistry = nullptr;
        theCalls.clear();
    }
    void TearDown() override { sim::theKeyCommandRegistry = saved; }

    std::vector<int> Priorities() const {
        std::vector<int> out;
        for (const KeyCommandNode* n = sim::theKeyCommandRegistry; n != nullptr; n = n->next)
            out.push_back(n->priority);
        return out;
    }

    KeyCommandNode a, b, c;
    KeyCommandNode* saved = nullptr;
};

TEST_F(KeyRegistry, DescendingPriorityLaterFirstAmongEquals) {
    RegisterKeyCommands(&a, kTableA, 4, 0);
    RegisterKeyCommands(&b, kTableB, 4, 5);
    RegisterKeyCommands(&c, kTableC, 2, 0);
    EXPECT_EQ(sim::theKeyCommandRegistry, &b);
    EXPECT_EQ(b.next, &c);
    EXPECT_EQ(c.next, &a);
    // Re-registering moves a node instead of linking it twice.
    RegisterKeyCommands(&a, kTableA, 4, 9);
    EXPECT_EQ(Priorities(), (std::vector<int>{9, 5, 0}));
    sim::UnregisterKeyCommands(&b);
    sim::UnregisterKeyCommands(&b);
    EXPECT_EQ(Priorities(), (std::vector<int>{9, 0}));
    KeyCommandNode empty;
    EXPECT_EQ(RegisterKeyCommands(&empty, nullptr, 0, 3), &empty);
    EXPECT_EQ(empty.priority, 3);
    EXPECT_EQ(Priorities(), (std::vector<int>{9, 0}));
}

TEST_F(KeyRegistry, RunsTheFirstTableThatHasTheKey) {
    RegisterKeyCommands(&a, kTableA, 4, 5);
    RegisterKeyCommands(&b, kTableB, 4, 0);
    const struct {
        std::uint32_t code;
        int ran;
        const char* who;
        std::uint32_t repeat;
    } cases[] = {
        {0x41, 1, "A", 0},
        {0x200041, 1, "A", 0},  // the repeat bit is ignored in the code asked for
        {0x42, 1, "A", 1},      // and in the row, whose flag is published
        {0x43, 1, "B", 0},      // null handler: next table, not next row
        {0x44, 1, "B", 0},
        {0x47, 0, "", 0},
        {0x10041, 0, "", 0},  // modifiers are part of the key
    };
    for (const auto& c : cases) {
        theCalls.clear();
        sim::theKeyRepeatFlag = 7;
        EXPECT_EQ(RunKeyCommandByCode(c.code), c.ran) << std::hex << c.code;
        EXPECT_EQ(theCalls.empty() ? std::string() : theCalls.front(), c.who);
        EXPECT_EQ(sim::theKeyRepeatFlag, c.repeat);
    }
}

TEST_F(KeyRegistry, NamesAndCodes) {
    RegisterKeyCommands(&b, kTableB, 4, 0);
    RegisterKeyCommands(&c, kTableC, 2, 0);
    EXPECT_EQ(FindKeyCommand("GAMMA"), 0x46u);
    EXPECT_EQ(FindKeyCommand("shared"), 0x44u);  // c was registered later and comes first
    EXPECT_EQ(FindKeyCommand("Missing"), 0u);
    EXPECT_EQ(FindKeyCommand(nullptr), 0u);
    EXPECT_STREQ(KeyCommandName(0x44), "Shared");
    EXPECT_STREQ(KeyCommandName(0x200046), "gamma");
    EXPECT_EQ(KeyCommandName(0x45), nullptr);
    EXPECT_EQ(KeyCommandName(0), nullptr);
}

TEST_F(KeyRegistry, ProgramTablesRegisterInTheirOrder) {
    sim::RegisterKeyCommandTables();
    sim::RegisterKeyCommandTables();  // a second start-up changes nothing
    // The GPS window's zoom keys, registered first among the priority-0 tables, stand last.
    EXPECT_EQ(Priorities(), (std::vector<int>{10, 8, 5, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(FindKeyCommand("GPSZoomIn"), 0x1006Bu);
    EXPECT_EQ(FindKeyCommand("GPSZoomOut"), 0x1006Du);
    EXPECT_EQ(sim::JoystickButtonCommands().size(), 17u);
    // Names shared with the joystick buttons resolve to the button rows.
    EXPECT_EQ(FindKeyCommand("TrimUp"), 0x200104u);
    EXPECT_EQ(FindKeyCommand("FlapsDown"), 0x107u);
    EXPECT_EQ(FindKeyCommand("ThrottleUp"), 0xBBu);
    EXPECT_EQ(FindKeyCommand("SlewLevel"), 0x100020u);
    EXPECT_EQ(FindKeyCommand("AltJoySlew"), 0x300101u);
    sim::UnregisterKeyCommandTables();
    EXPECT_EQ(sim::theKeyCommandRegistry, nullptr);
}

// Hat directions are key codes like any other; each reaches its look direction.
TEST_F(KeyRegistry, HatDirectionsLookRound) {
    sim::RegisterKeyCommandTables();
    const int directions[8] = {1, 0, 7, 2, 6, 3, 4, 5};  // hat 0x200..0x207
    for (std::uint32_t hat = 0; hat < 8; ++hat) {
        sim::theDefaultServiceState.lookDirection = -1;
        EXPECT_EQ(RunKeyCommandByCode(sim::kJoystickHatFirst + hat), 1);
        EXPECT_EQ(sim::theDefaultServiceState.lookDirection, directions[hat]) << hat;
        EXPECT_EQ(sim::theKeyRepeatFlag, 0u);
    }
    // The trim buttons repeat while held.
    EXPECT_EQ(RunKeyCommandByCode(0x104), 1);
    EXPECT_EQ(sim::theKeyRepeatFlag, 1u);
    sim::UnregisterKeyCommandTables();
}

// ---- binding files ------------------------------------------------------------------------------

class KeyBindings : public KeyRegistry {
protected:
    void SetUp() override {
        KeyRegistry::SetUp();
        RegisterKeyCommands(&a, kTableA, 4, 5);
        RegisterKeyCommands(&b, kTableB, 4, 0);
        RegisterKeyCommands(&c, kTableC, 2, 0);
    }
    std::string Write(const char* name, const std::string& text) {
        const std::string path = std::string(ZEPHLON_BINARY_DIR) + "/" + name;
        std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
        return path;
    }
    static std::vector<std::pair<std::uint32_t, std::vector<std::uint32_t>>> Flat(
        const KeyBindingTable& t) {
        std::vector<std::pair<std::uint32_t, std::vector<std::uint32_t>>> out;
        for (const auto& r : t.Records())
            out.emplace_back(r.code, r.commands);
        return out;
    }
    using Records = std::vector<std::pair<std::uint32_t, std::vector<std::uint32_t>>>;
};

TEST_F(KeyBindings, ReadsOnlyTheWantedSection) {
    const std::string path = Write("bind_sections.txt",
                                   "[Other]\nF2=BetaOne\n"
                                   "[keyboard]\r\n"
                                   "F1=AlphaOne, Bogus, AlphaOne\r\n"
                                   "F1 = gamma\n"
                                   "==BetaC\n"
                                   "ShiftCtrlF3 = Shared ,\tgamma\n"
                                   "no equals sign here\n"
                                   "F4=Bogus\n"
                                   "[Next]\nF5=AlphaOne\n");
    KeyBindingTable t;
    t.LoadKeyBindings(path.c_str(), "Keyboard");
    const Records want = {
        {0x70, {0x41, 0x41}},
        {0x70, {0x46}},
        {0xBB, {0x43}},
        {0x30072, {0x44, 0x46}},
    };
    EXPECT_EQ(Flat(t), want);

    EXPECT_EQ(t.GetCommandCount(0x70), 2);
    EXPECT_EQ(t.GetCommandCount(0x200070), 2);
    std::uint32_t out[3] = {0, 0, 0};
    EXPECT_EQ(t.GetCommands(0x70, out, 1), 1);
    EXPECT_EQ(out[0], 0x41u);
    EXPECT_EQ(out[1], 0u);
    EXPECT_EQ(t.GetCommands(0x71, out, 3), 0);

    // The first record of a key wins, and runs all its commands.
    EXPECT_EQ(t.Dispatch(0x70), 1);
    EXPECT_EQ(theCalls, (std::vector<std::string>{"A", "A"}));
    EXPECT_EQ(t.Dispatch(0x75), 0);

    // A section the file lacks keeps the table; an empty one empties it.
    t.LoadKeyBindings(path.c_str(), "Missing");
    EXPECT_EQ(t.Records().size(), 4u);
    t.LoadKeyBindings((std::string(ZEPHLON_BINARY_DIR) + "/no_such_file.txt").c_str(), "Keyboard");
    EXPECT_EQ(t.Records().size(), 4u);
    const std::string empty = Write("bind_empty.txt", "[Keyboard]\n[Other]\nF1=AlphaOne\n");
    t.LoadKeyBindings(empty.c_str(), "Keyboard");
    EXPECT_TRUE(t.HasBuffer());
    EXPECT_EQ(t.Used(), 0u);
    EXPECT_EQ(t.Capacity(), KeyBindingTable::kInitialBytes);
    EXPECT_TRUE(t.Records().empty());
    t.Clear();
    EXPECT_FALSE(t.HasBuffer());
}

TEST_F(KeyBindings, BadLinesAreSkippedAndTheRestLoads) {
    std::string text = "[Keyboard]\n";
    // Over-long line: its tail, read on its own, would bind F2.
    text += "F3=" + std::string(1100, ' ') + ",F2=AlphaOne\n";
    // A name too long for any command ends its line; names before it stay.
    text += "F4=BetaOne," + std::string(64, 'x') + ",gamma\n";
    text += "F5=BetaOne," + std::string(63, 'x') + ",gamma\n";
    // Bytes of 0x80 and up and control bytes separate names like blanks do.
    text += std::string(
        "F6=\x80\xff"
        "BetaOne\x01\x90"
        "gamma\n");
    text += std::string("\0\0\xfe=\xfe", 5) + "\n";
    text += "F7=AlphaOne\n";
    const std::string path = Write("bind_bad.txt", text);
    KeyBindingTable t;
    t.LoadKeyBindings(path.c_str(), "Keyboard");
    // BetaOne names B's row 0x41, the same code as A's: a code is the command's identity.
    const Records want = {
        {0x73, {0x41}},
        {0x74, {0x41, 0x46}},
        {0x75, {0x41, 0x46}},
        {0x76, {0x41}},
    };
    EXPECT_EQ(Flat(t), want);

    // Random bytes never crash the reader.
    std::uint32_t seed = 12345;
    for (int round = 0; round < 50; ++round) {
        std::string junk = "[Keyboard]\n";
        for (int i = 0; i < 3000; ++i) {
            seed = seed * 214013u + 2531011u;
            const char pick = static_cast<char>(seed >> 16);
            junk += (seed >> 28) == 0 ? '\n' : (seed >> 28) == 1 ? '=' : pick;
        }
        const std::string junkPath = Write("bind_junk.txt", junk);
        KeyBindingTable j;
        j.LoadKeyBindings(junkPath.c_str(), "Keyboard");
        for (const auto& r : j.Records()) {
            EXPECT_NE(r.code, 0u);
            EXPECT_FALSE(r.commands.empty());
        }
    }
}

TEST_F(KeyBindings, ManyBindingsGrowTheBuffer) {
    std::string text = "[Keyboard]\n";
    for (int i = 0; i < 300; ++i)
        text += "F" + std::to_string(1 + i % 24) + "=AlphaOne,BetaC,gamma\n";
    const std::string path = Write("bind_many.txt", text);
    KeyBindingTable t;
    t.LoadKeyBindings(path.c_str(), "Keyboard");
    EXPECT_EQ(t.Records().size(), 300u);
    EXPECT_EQ(t.Used(), 300u * 20u);
    EXPECT_GT(t.Capacity(), t.Used());
}

TEST_F(KeyBindings, WrittenSectionsReadBackTheSame) {
    const std::string source = Write("bind_source.txt",
                                     "[Joystick]\n"
                                     "Button3=gamma,AlphaOne\n"
                                     "AltBackslash=gamma\n"
                                     "ShiftNumpad+=Shared\n"
                                     "SlewButton1=AlphaRepeat\n"
                                     "==gamma\n"
                                     "Button3=BetaC\n");
    KeyBindingTable t;
    t.LoadKeyBindings(source.c_str(), "Joystick");
    const std::string ini = std::string(ZEPHLON_BINARY_DIR) + "/bind_written.ini";
    std::remove(ini.c_str());
    Write("bind_written.ini", "[Joystick]\nStale=1\n[Keep]\nx=1\n");
    ASSERT_EQ(t.SaveKeyBindings(ini.c_str(), "Joystick"), 1);

    KeyBindingTable back;
    back.LoadKeyBindings(ini.c_str(), "Joystick");
    // The unreachable second Button3 record is not written over the first.
    Records want = Flat(t);
    want.pop_back();
    EXPECT_EQ(Flat(back), want);

    std::ifstream in(ini);
    const std::string written((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
    EXPECT_NE(written.find("AltBackslash=gamma"), std::string::npos);
    EXPECT_NE(written.find("Button3=gamma, AlphaOne"), std::string::npos);
    EXPECT_NE(written.find("ShiftNumpad+=Shared"), std::string::npos);
    EXPECT_EQ(written.find("Stale"), std::string::npos);
    EXPECT_NE(written.find("[Keep]"), std::string::npos);
}

TEST_F(KeyBindings, WriterCutsLongListsAtANameBoundary) {
    std::string line = "F9=";
    for (int i = 0; i < 160; ++i)
        line += "gamma,";  // written back with ", " between names
    ASSERT_LT(line.size(), KeyBindingTable::kMaxLine);
    const std::string source = Write("bind_long.txt", "[K]\n" + line + "\n");
    KeyBindingTable t;
    t.LoadKeyBindings(source.c_str(), "K");
    ASSERT_EQ(t.GetCommandCount(0x78), 160);
    const std::string ini = std::string(ZEPHLON_BINARY_DIR) + "/bind_long.ini";
    std::remove(ini.c_str());
    ASSERT_EQ(t.SaveKeyBindings(ini.c_str(), "K"), 1);
    KeyBindingTable back;
    back.LoadKeyBindings(ini.c_str(), "K");
    // 1023 characters hold 146 names of 5 with their separators (146 x 7 - 2 = 1020).
    EXPECT_EQ(back.GetCommandCount(0x78), 146);
}

TEST_F(KeyBindings, AFileThatCannotBeStoredIsReported) {
    const std::string source = Write("bind_unstored.txt", "[K]\nF9=gamma\n");
    KeyBindingTable t;
    t.LoadKeyBindings(source.c_str(), "K");
    const std::string ini = std::string(ZEPHLON_BINARY_DIR) + "/no_such_folder/bind.ini";
    EXPECT_EQ(t.SaveKeyBindings(ini.c_str(), "K"), 0);
    EXPECT_FALSE(std::ifstream(ini).good());
}

TEST_F(KeyBindings, MissingArgumentsDoNothing) {
    KeyBindingTable t;
    t.LoadKeyBindings(nullptr, "Keyboard");
    t.LoadKeyBindings("x", nullptr);
    EXPECT_FALSE(t.HasBuffer());
    EXPECT_EQ(t.SaveKeyBindings(nullptr, "K"), 0);
    EXPECT_EQ(t.Dispatch(0x70), 0);
    std::uint32_t out[1];
    EXPECT_EQ(t.GetCommands(0x70, out, 1), 0);
}

}  // namespace
