// The keys a user binds in the settings file, in the running program from its start: one command
// of every command table bound to a key of its own (and one bound over another command's default
// key), each key pressed once, and what the user keeps or sees checked: the saved flight, the
// dialog that opens, the GPS picture.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/screenshot.h"
#include "support/starter_run.h"

namespace {

using testsupport::SavedValue;
using testsupport::StarterRun;

// One binding: the settings line, the script lines that press it, and what it shows in the
// flight saved after the presses (`key` of the saved flight against the first flight's value).
struct Binding {
    const char* table;
    const char* line;
    const char* presses;
    const char* key;   // a key of the saved flight, or null when the check is of another kind
    long long before;  // its value in the first flight (C172Fly.Flt)
    long long after;   // its value once the bound key was pressed
};

const Binding kBindings[] = {
    {"joystick buttons", "F11=FlapsDown", "key F11 press\n", "fmFlaps", 0, 1},
    {"cockpit", "F12=ToggleStrobeLight", "key F12 press\n", "strobes", 0, 1},
    // Over the parking brake's default key: the bound command acts, the brake stays set.
    {"flight controls", "B=ThrottleMax", "key B press\n", "throttle", 0, 31},
    {"flight controls (the default it replaces)", nullptr, "", "fmRBrake", -1, -1},
    {"navigation radios and autopilot", "ShiftF11=Nav1, NavFlipStandby", "key ShiftF11 press\n",
     "nav1", 1680, 1580},
    {"communication and ATC", "ShiftF12=Comm1, CommMHzUp", "key ShiftF12 press\n", "com1Standby",
     1830, 1930},
    {"general", "CtrlF11=Checklists", "key CtrlF11 press\nwait 300\n", nullptr, 0, 0},
    {"views", "CtrlF12=TowerCamView", "key CtrlF12 press\nwait 300\n", nullptr, 0, 0},
    {"GPS", "ShiftCtrlF11=GPSZoomIn", "", nullptr, 0, 0},
    // Slew's own codes count only while slewing: its mode on, the bound key held, its mode off.
    {"slew", "SlewShiftCtrlF12=SlewMoveUp",
     "key Alt+X press\nkey ShiftCtrlF12 press\nwait 1000\nkey Alt+X press\n", nullptr, 0, 0},
    {"navigation-database debug", "AltF11=DebugAdvanceAirport", "", nullptr, 0, 0},
};

std::vector<std::uint32_t> Picture(const StarterRun& run, const char* name) {
    return testsupport::ReadScreenshot(run.Dir().Read(name), 640, 480);
}

int Differing(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b, int x0,
              int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            n += a[static_cast<std::size_t>(y) * 640 + x] !=
                 b[static_cast<std::size_t>(y) * 640 + x];
    return n;
}

double Metres(const std::string& a, const std::string& b, const char* key) {
    return std::llabs(SavedValue(a, key).value_or(0) - SavedValue(b, key).value_or(0)) / 256.0;
}

TEST(KeyBindingsRun, EveryTablesBoundKeyActsFromTheStart) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    StarterRun run("zephlon-key-bindings", "C172Fly.Flt");
    std::string settings = "[Debug]\nKBEnable=1\n[Keyboard]\n";
    for (const Binding& b : kBindings)
        if (b.line != nullptr) settings += std::string(b.line) + "\n";
    run.Dir().Write("Zephlon.ini", settings);

    const std::string dir = run.Dir().Root();
    std::string script = "frame-interval 50\nanswer Checklists OK always\nwait 1000\n";
    script += "save " + dir + "/start.flt\n";
    for (const Binding& b : kBindings)
        script += b.presses;
    script += "wait 300\nscreenshot " + dir + "/tower.bmp\nkey CtrlF12 press\nkey F7 press\n";
    script += "wait 300\nsave " + dir + "/pressed.flt\n";
    // The GPS shown, then zoomed in by its bound key.
    script += "menu 1681\nwait 1200\nscreenshot " + dir + "/gps.bmp\nwait 600\nscreenshot " + dir +
              "/gps-still.bmp\nkey ShiftCtrlF11 press\nwait 1200\nscreenshot " + dir +
              "/gps-zoomed.bmp\nmenu 1681\n";
    // The debug key moves the aircraft to the next airport of the directory.
    script += "key AltF11 press\nwait 300\nsave " + dir + "/moved.flt\nquit\n";
    const testsupport::CommandResult r = run.Play(script);
    ASSERT_EQ(r.status, 0) << r.out;

    const std::string start = run.Dir().Read("start.flt"), pressed = run.Dir().Read("pressed.flt");
    for (const Binding& b : kBindings) {
        if (b.key == nullptr) continue;
        EXPECT_EQ(SavedValue(start, b.key).value_or(-999), b.before) << b.table;
        EXPECT_EQ(SavedValue(pressed, b.key).value_or(-999), b.after) << b.table << ": " << b.key;
    }
    // General: the checklist opened (and was closed by the runner's answer).
    EXPECT_NE(r.out.find("dialog Checklists"), std::string::npos) << "general: no checklist shown";
    // Views: the tower's camera shows no panel; the cockpit view (F9) brings it back.
    const auto tower = Picture(run, "tower.bmp"), gps = Picture(run, "gps.bmp");
    ASSERT_FALSE(tower.empty() || gps.empty());
    EXPECT_GT(Differing(tower, gps, 0, 300, 640, 480), 640 * 180 / 3) << "views: no tower view";
    // Slew: the aircraft rose while the bound key's slew command ran.
    EXPECT_GT(SavedValue(pressed, "fmPosY").value_or(0) - SavedValue(start, "fmPosY").value_or(0),
              64)
        << "slew: the aircraft did not rise";
    // GPS: the map zoomed (the window's picture changed, where waiting alone changed little).
    const auto still = Picture(run, "gps-still.bmp"), zoomed = Picture(run, "gps-zoomed.bmp");
    ASSERT_FALSE(still.empty() || zoomed.empty());
    const int noise = Differing(gps, still, 32, 32, 288, 288);
    EXPECT_GT(Differing(still, zoomed, 32, 32, 288, 288), noise + 500) << "GPS: no zoom";
    // Navigation-database debug: the aircraft stands at another airport, kilometres away.
    const std::string moved = run.Dir().Read("moved.flt");
    EXPECT_GT(Metres(pressed, moved, "fmPosX") + Metres(pressed, moved, "fmPosZ"), 2000.0)
        << "debug: the aircraft did not move";
}

}  // namespace
