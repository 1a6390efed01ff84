// Keyboard input: modifiers into key codes, bindings before default keys, slew codes first while
// slewing, NumLock kept off, unhandled keys passed to the default handling, joystick codes.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "sim/flight_tape.h"
#include "sim/input/key_commands.h"
#include "sim/input/key_names.h"
#include "sim/input/keyboard_input.h"
#include "sim/slew.h"
#include "win/input.h"
#include "win/window.h"

namespace {

using sim::KeyCommand;

std::array<bool, 256> theHeld{};
std::array<std::uint8_t, 256> theState{};
struct DefCall {
    std::uint32_t message;
    win::WParam wParam;
    win::LParam lParam;
};
std::vector<DefCall> theDefCalls;
std::vector<std::string> theRan;

std::int16_t Async(int key) {
    return theHeld[static_cast<std::size_t>(key) & 255] ? static_cast<std::int16_t>(0x8000) : 0;
}
bool GetState(std::array<std::uint8_t, 256>* s) {
    *s = theState;
    return true;
}
bool SetState(const std::array<std::uint8_t, 256>& s) {
    theState = s;
    return true;
}
win::LResult Def(win::HWND, std::uint32_t m, win::WParam w, win::LParam l) {
    theDefCalls.push_back({m, w, l});
    return 0;
}

void RunA() {
    theRan.emplace_back("A");
}
void RunShiftA() {
    theRan.emplace_back("ShiftA");
}
void RunSlewA() {
    theRan.emplace_back("SlewA");
}
void RunHigh() {
    theRan.emplace_back("High");
}
void RunButton() {
    theRan.emplace_back("Button");
}
void RunHat() {
    theRan.emplace_back("Hat");
}
void RunEndSlew() {
    theRan.emplace_back("EndSlew");
    sim::theSlewControl.SetActive(0);
}

const KeyCommand kLowRows[] = {
    {0x41, &RunA, "TestA"},
    {0x10041, &RunShiftA, "TestShiftA"},
    {0x100041, &RunSlewA, "TestSlewA"},
    {0x42, &RunA, "TestB"},
    {0x101, &RunButton, "TestButton"},
    {0x203, &RunHat, "TestHat"},
    {0x100045, &RunEndSlew, "TestEndSlew"},
    {0x45, &RunA, "TestE"},
};
// A higher table with the same plain key, and one row with the repeat flag.
const KeyCommand kHighRows[] = {
    {sim::kKeyRepeat | 0x42, &RunHigh, "TestHighB"},
};

class KeyboardInput : public ::testing::Test {
protected:
    void SetUp() override {
        savedRegistry = sim::theKeyCommandRegistry;
        sim::theKeyCommandRegistry = nullptr;
        sim::RegisterKeyCommands(&low, kLowRows, 8, 0);
        sim::RegisterKeyCommands(&high, kHighRows, 1, 5);
        saved = sim::theKeyboardInputServices;
        sim::theKeyboardInputServices = {&Async, &GetState, &SetState, &Def};
        theHeld.fill(false);
        theState.fill(0);
        theDefCalls.clear();
        theRan.clear();
        sim::theKeyboardBindings.Clear();
        sim::theJoystickBindings.Clear();
        sim::theSlewControl.SetActive(0);
    }
    void TearDown() override {
        sim::theKeyCommandRegistry = savedRegistry;
        sim::theKeyboardInputServices = saved;
        sim::theKeyboardBindings.Clear();
        sim::theJoystickBindings.Clear();
        sim::theSlewControl.SetActive(0);
        sim::theFlightTape.Close();
    }
    static void Press(unsigned key) { sim::OnKeyMessage({}, key, 1, 1, 0x1E); }
    static std::string Path(const char* name) {
        const std::string p = std::string(ZEPHLON_BINARY_DIR) + "/" + name;
        std::remove(p.c_str());
        return p;
    }

    sim::KeyCommandNode low;
    sim::KeyCommandNode high;
    sim::KeyCommandNode* savedRegistry = nullptr;
    sim::KeyboardInputServices saved{};
};

TEST_F(KeyboardInput, ModifiersMakeTheCode) {
    const struct {
        std::vector<unsigned> held;
        unsigned key;
        const char* ran;
    } cases[] = {{{}, 0x41, "A"},
                 {{win::VK_SHIFT}, 0x41, "ShiftA"},
                 {{}, 0x42, "High"},  // higher priority wins; the repeat flag is ignored
                 {{win::VK_CONTROL}, 0x41, nullptr},
                 {{win::VK_SHIFT, win::VK_CONTROL}, 0x41, nullptr}};
    for (const auto& c : cases) {
        theHeld.fill(false);
        theRan.clear();
        theDefCalls.clear();
        for (unsigned k : c.held)
            theHeld[k] = true;
        Press(c.key);
        if (c.ran != nullptr) {
            ASSERT_EQ(theRan.size(), 1u) << c.key;
            EXPECT_EQ(theRan[0], c.ran);
            EXPECT_EQ(sim::theKeyHandled, 1u);
            EXPECT_TRUE(theDefCalls.empty());
        } else {
            EXPECT_TRUE(theRan.empty());
            EXPECT_EQ(sim::theKeyHandled, 0u);
            ASSERT_EQ(theDefCalls.size(), 1u);
            EXPECT_EQ(theDefCalls[0].message, win::WM_KEYDOWN);
            EXPECT_EQ(theDefCalls[0].wParam, 0x41u);
            EXPECT_EQ(theDefCalls[0].lParam, 0x1E0001);
        }
    }
}

TEST_F(KeyboardInput, KeyUpsAndBareModifiersNeverRun) {
    sim::OnKeyMessage({}, 0x41, 0, 1, 0xC01E);
    sim::OnSysKeyMessage({}, 0x41, 0, 1, 0xC01E);
    theHeld[win::VK_SHIFT] = true;
    Press(win::VK_SHIFT);
    sim::OnSysKeyMessage({}, win::VK_MENU, 1, 1, 0x2038);
    EXPECT_TRUE(theRan.empty());
    ASSERT_EQ(theDefCalls.size(), 4u);
    EXPECT_EQ(theDefCalls[0].message, win::WM_KEYUP);
    EXPECT_EQ(theDefCalls[1].message, win::WM_SYSKEYUP);
    EXPECT_EQ(theDefCalls[2].message, win::WM_KEYDOWN);
    EXPECT_EQ(theDefCalls[3].message, win::WM_SYSKEYDOWN);
}

TEST_F(KeyboardInput, NumLockIsTurnedOffAndGoesNowhere) {
    theState[win::VK_NUMLOCK] = 1;
    theState[0x41] = 0x80;
    Press(win::VK_NUMLOCK);
    EXPECT_EQ(theState[win::VK_NUMLOCK], 0);
    EXPECT_EQ(theState[0x41], 0x80);
    EXPECT_TRUE(theDefCalls.empty());
    EXPECT_TRUE(theRan.empty());
}

TEST_F(KeyboardInput, SlewCodesComeFirstWhileSlewing) {
    sim::theSlewControl.SetActive(1);
    Press(0x41);
    Press(0x42);  // no slew command: the ordinary one
    EXPECT_EQ(theRan, (std::vector<std::string>{"SlewA", "High"}));
    // A command that ends slew.
    theRan.clear();
    Press(0x45);
    EXPECT_EQ(theRan, (std::vector<std::string>{"EndSlew"}));
    EXPECT_FALSE(sim::theSlewControl.IsActive());
    Press(0x41);
    EXPECT_EQ(theRan.back(), "A");
}

TEST_F(KeyboardInput, BindingsComeBeforeDefaultKeysJoystickFirst) {
    const std::string path = Path("keyboard_input_bindings.txt");
    {
        std::ofstream out(path);
        out << "[Keys]\nA=TestB\n[Stick]\nA=TestShiftA\nButton1=TestHat\n";
    }
    sim::theKeyboardBindings.LoadKeyBindings(path.c_str(), "Keys");
    Press(0x41);
    EXPECT_EQ(theRan, (std::vector<std::string>{"High"}));
    sim::theJoystickBindings.LoadKeyBindings(path.c_str(), "Stick");
    theRan.clear();
    Press(0x41);
    EXPECT_EQ(theRan, (std::vector<std::string>{"ShiftA"}));
    theRan.clear();
    EXPECT_EQ(sim::DispatchKeyCode(0x101), 1);
    EXPECT_EQ(theRan, (std::vector<std::string>{"Hat"}));
}

TEST_F(KeyboardInput, JoystickCodesDispatch) {
    EXPECT_EQ(sim::DispatchKeyCode(0x101), 1);
    EXPECT_EQ(sim::DispatchKeyCode(0x203), 1);
    EXPECT_EQ(sim::DispatchKeyCode(0x102), 0);
    EXPECT_EQ(sim::theKeyHandled, 0u);
    EXPECT_EQ(theRan, (std::vector<std::string>{"Button", "Hat"}));
}

TEST_F(KeyboardInput, RecordingTapeNotesEveryKeyDown) {
    const std::string path = Path("keyboard_input.cam");
    ASSERT_EQ(sim::theFlightTape.OpenTapeFile({}, path.c_str()), 1);
    theHeld[win::VK_MENU] = true;
    sim::OnSysKeyMessage({}, 0x58, 1, 1, 0x2000);
    sim::OnSysKeyMessage({}, 0x58, 0, 1, 0xE000);
    sim::theFlightTape.Close();
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(bytes.size(), 855u + 5 + 1);
    EXPECT_EQ(static_cast<std::uint8_t>(bytes[855]), 0x8D);
    EXPECT_EQ(static_cast<std::uint8_t>(bytes[858]), 0x04);  // Alt+X = 0x40058
    EXPECT_EQ(static_cast<std::uint8_t>(bytes[856]), 0x58);
}

}  // namespace
