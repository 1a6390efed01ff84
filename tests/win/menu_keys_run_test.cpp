// The menus from the keyboard in the running program. F10, or Alt pressed alone, selects the
// menu bar, and a menu's underlined letter then opens it; Alt with a menu's letter opens it at
// once where that key is no flight key. The item's letter then chooses it, and its dialog opens.
// Alt with a letter the flight keys use (the Baron's right fuel selector and magnetos) does its
// job in the cockpit and opens no menu.
#include <gtest/gtest.h>

#include <string>

#include "support/starter_run.h"

namespace {

class MenuKeysRun : public testsupport::StarterRunTest {
protected:
    MenuKeysRun() : StarterRunTest("zephlon-menu-keys") {}
};

std::string Press(const std::string& key) {
    return "key " + key + " press\nwait 300\n";
}

TEST_F(MenuKeysRun, TheKeyboardReachesEveryMenu) {
    struct Case {
        const char* keys;  // the menu's keys, then the item's letter
        const char* dialog;
    };
    const Case cases[] = {
        {"F10 F P", "SelectPilot"}, {"Alt L C", "CopilotBox"}, {"Alt+A S", "FlightModel"},
        {"F10 W D", "TimeDate"},    {"Alt N A", "RadioComm"},  {"Alt+V C", "SETUPCAMS"},
        {"F10 O S", "SoundVolume"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        std::string script = "frame-interval 100\nwait 500\n";
        for (std::size_t from = 0; from < std::string(c.keys).size();) {
            const std::string keys = c.keys;
            const std::size_t end = std::min(keys.find(' ', from), keys.size());
            script += Press(keys.substr(from, end - from));
            from = end + 1;
        }
        const testsupport::CommandResult r =
            Play(script + "dialog " + c.dialog + "\nkey Esc press\nwait 300\nquit\n");
        EXPECT_EQ(r.status, 0) << r.out;
        EXPECT_NE(r.out.find(std::string("dialog ") + c.dialog + " "), std::string::npos) << r.out;
    }
}

TEST_F(MenuKeysRun, AltWithAFlightKeysLetterDoesItsFlightJob) {
    dir.Write("Flights/Startup.Flt", dir.Read("Flights/BarStop.Flt"));
    const std::string before = dir.Read("Flights/Startup.Flt");
    struct Case {
        const char* key;
        const char* saved;   // the value it changes
        const char* letter;  // an item's letter in the menu Alt with the key's letter would open
        const char* dialog;  // and the item's dialog
    };
    for (const Case& c : {Case{"Alt+F", "fuelSel2", "L", "LOGBOOKS"},
                          Case{"Alt+W", "ignition2", "D", "TimeDate"}}) {
        SCOPED_TRACE(c.key);
        // Had the key opened its menu, the letter would choose an item and open its dialog.
        const testsupport::CommandResult r =
            Play("frame-interval 100\nwait 500\n" + Press(c.key) + "save " + dir.Path("after.flt") +
                 "\n" + Press(c.letter) + "quit\n");
        ASSERT_EQ(r.status, 0) << r.out;
        const std::string after = dir.Read("after.flt");
        ASSERT_TRUE(testsupport::SavedValue(before, c.saved).has_value());
        EXPECT_NE(testsupport::SavedValue(after, c.saved), testsupport::SavedValue(before, c.saved))
            << c.saved << " unchanged";
        EXPECT_EQ(r.out.find(std::string("dialog ") + c.dialog), std::string::npos) << r.out;
    }
}

}  // namespace
