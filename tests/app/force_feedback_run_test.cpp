// The whole program on the starter installation with a scripted stick that pushes back: the 172's
// ready flight, the engine started and the throttle axis full for 25 s on the runway. The trace
// shows the centring spring made at 50 % with the actuators on, then stiffening with the speed
// to what the saved flight's ground speed gives; losing the focus releases every effect and
// regaining it makes them again; a stick that cannot push back flies the same flight silently.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "core/ini_file.h"
#include "support/run_command.h"
#include "support/starter_flight.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

class ForceFeedbackRun : public ::testing::Test {
protected:
    void SetUp() override {
        bin = std::string(ZEPHLON_BINARY_DIR) + "/bin/simrun";
        // The shipped data, with the 172's ready-to-fly flight as the first flight.
        if (!fs::exists(bin) || !testsupport::UseStarterInstallation(dir, "C172Fly.Flt"))
            GTEST_SKIP() << "simrun or the starter installation is not built";
    }
    // The stick in use, the brakes off, the engine started at idle, then full throttle for
    // 25 s; the flight is saved, and the program loses and regains the focus.
    std::string Fly(const std::string& name, bool haptic, const std::string& environment = {}) {
        core::IniFile start(dir.Path("Flights/Startup.Flt").c_str());
        const bool braked = start.GetInt("Aircraft", "fmLBrake", 0) != 0;
        const std::string script =
            std::string("joystick plug \"Force Stick\" axes 4 buttons 8 hats 1") +
            (haptic ? " haptic" : "") +
            "\njoystick axis 2 32767\nframe-interval 20\nwait 500\nkey alt+j press\n" +
            (braked ? "key b press\n" : "") +
            "key s press\nwait 6000\njoystick axis 2 -32768\nwait 16000\nsave " +
            dir.Path(name + ".flt") +
            "\nfocus lost\nwait 500\nfocus gained\nwait 500\nquit\n";
        dir.Write(name + ".txt", script);
        const testsupport::CommandResult r = testsupport::RunCommand(
            environment + bin + " --dir " + dir.Root() + " " + dir.Path(name + ".txt") + " 2>&1");
        EXPECT_EQ(r.status, 0) << r.out;
        EXPECT_EQ(r.out.find("simrun:"), std::string::npos) << r.out;
        return r.out;
    }
    // The trace's lines without their time stamps.
    static std::vector<std::string> Lines(const std::string& out) {
        std::vector<std::string> lines;
        std::istringstream in(out);
        for (std::string l; std::getline(in, l);) {
            const std::size_t close = l.find("] ");
            lines.push_back(close != std::string::npos ? l.substr(close + 2) : l);
        }
        return lines;
    }
    static std::size_t Find(const std::vector<std::string>& lines, const std::string& what,
                            std::size_t from = 0) {
        for (std::size_t i = from; i < lines.size(); ++i)
            if (lines[i].rfind(what, 0) == 0) return i;
        return lines.size();
    }

    std::string bin;
    testsupport::TempFolder dir{"zephlon-force-run"};
};

constexpr const char* kSpringAtHalf =
    "haptic: new 0 spring right=16383,16383 left=16383,16383 center=0,0 deadband=0,0 length=inf";

TEST_F(ForceFeedbackRun, TheSpringStiffensWithSpeedAndFocusReleasesAndRemakesIt) {
    const std::vector<std::string> lines = Lines(Fly("force", true));
    const std::size_t saved = Find(lines, "save ");
    const std::size_t lost = Find(lines, "focus lost");
    const std::size_t gained = Find(lines, "focus gained");
    ASSERT_LT(saved, lost);
    ASSERT_LT(lost, gained);
    ASSERT_LT(gained, lines.size());

    // Made at 50 % at start, with the actuators on.
    const std::size_t spring = Find(lines, kSpringAtHalf);
    ASSERT_LT(spring, saved);
    EXPECT_EQ(lines[spring + 1], "haptic: run 0");
    EXPECT_LT(Find(lines, "haptic: unpause", spring), saved);

    // Then updates: the first pair sets each axis for the speed at rest, the rest rise with it.
    const std::regex update(
        R"(haptic: update 0 spring right=(-?\d+),(-?\d+) left=\1,\2 center=(-?\d+),(-?\d+) .*)");
    int lastX = 0, lastY = 0, updates = 0, centerX = 0;
    for (std::size_t i = spring + 1; i < saved; ++i) {
        std::smatch m;
        if (!std::regex_match(lines[i], m, update)) continue;
        const int x = std::stoi(m[1]), y = std::stoi(m[2]);
        if (updates >= 2) {
            EXPECT_GE(x, lastX) << lines[i];
            EXPECT_GE(y, lastY) << lines[i];
        }
        lastX = x;
        lastY = y;
        centerX = std::stoi(m[3]);
        ++updates;
    }
    ASSERT_GT(updates, 5);
    // On the ground: (|offset| + 1) x knots / 150 / 3, at the saved flight's ground speed.
    core::IniFile flight(dir.Path("force.flt").c_str());
    ASSERT_EQ(flight.GetInt("Aircraft", "fmOTG", 0), 1) << "still rolling";
    const double knots = flight.GetInt("Aircraft", "fmHVel", 0) / 65536.0 * 1.9438445;
    ASSERT_GT(knots, 30) << "the throttle opened";
    const double offset = std::fabs(centerX / 32767.0);
    const double expected = (offset + 1) * knots / 150 / 3 * 100;
    EXPECT_NEAR(lastX * 100.0 / 32767, expected, 5) << knots << " kt";
    EXPECT_NEAR(lastY * 100.0 / 32767, expected, 5);

    // Focus lost: every effect released; regained: the spring is made again.
    int destroyed = 0;
    for (std::size_t i = lost; i < gained; ++i)
        destroyed += lines[i].rfind("haptic: destroy ", 0) == 0;
    EXPECT_EQ(destroyed, 7) << "the spring and the six standard effects";
    EXPECT_LT(Find(lines, kSpringAtHalf, gained), lines.size());
}

TEST_F(ForceFeedbackRun, AStickWithoutForceFeedbackFliesTheSameWithoutAHapticLine) {
    const std::string force = Fly("force", true);
    const std::string plain = Fly("plain", false);
    EXPECT_NE(force.find("haptic: "), std::string::npos);
    EXPECT_EQ(plain.find("haptic"), std::string::npos) << plain;
    EXPECT_EQ(dir.Read("plain.flt"), dir.Read("force.flt"));
}

// The stick that pushes back, pulled out in flight and plugged back: its forces start again on it
// (the centring spring is made afresh and then follows the speed).
TEST_F(ForceFeedbackRun, AStickPluggedBackGetsItsForcesAgain) {
    const std::string plug = "joystick plug \"Force Stick\" axes 4 buttons 8 hats 1 haptic\n";
    dir.Write("replug.txt", plug +
                                "frame-interval 20\nwait 500\nkey alt+j press\nwait 1000\n"
                                "joystick unplug\nwait 1000\n" +
                                plug + "wait 2000\nquit\n");
    const testsupport::CommandResult r = testsupport::RunCommand(
        bin + " --dir " + dir.Root() + " " + dir.Path("replug.txt") + " 2>&1");
    ASSERT_EQ(r.status, 0) << r.out;
    const std::vector<std::string> lines = Lines(r.out);
    const std::size_t unplugged = Find(lines, "joystick unplug");
    const std::size_t back = Find(lines, "joystick plug Force Stick", unplugged);
    ASSERT_LT(back, lines.size());
    ASSERT_LT(Find(lines, kSpringAtHalf), unplugged) << "the forces ran before";
    const std::size_t spring = Find(lines, kSpringAtHalf, back);
    ASSERT_LT(spring, lines.size()) << r.out;
    EXPECT_EQ(lines[spring + 1], "haptic: run 0");
    EXPECT_LT(Find(lines, "haptic: update 0 spring", spring), lines.size());
}

// A stick without force feedback of its own, beside the vendor force stick's library: the library
// is bound by the names of its entry points and driven in its order: the port, the stick's start
// on it, both centring springs at rest, the forces on; the springs then follow the speed; at the
// end the forces go off and are cleared, and the springs rest again.
TEST_F(ForceFeedbackRun, TheVendorStickLibraryIsBoundAndDrivenInItsOrder) {
    const std::string library =
        "LD_LIBRARY_PATH=" + std::string(ZEPHLON_BINARY_DIR) + "/test-libs/complete ";
    const std::vector<std::string> lines = Lines(Fly("library", false, library));
    std::vector<std::string> calls;
    for (const std::string& l : lines)
        if (l.rfind("stick library: ", 0) == 0) calls.push_back(l.substr(15));
    ASSERT_GE(calls.size(), 9u);
    const std::vector<std::string> start(calls.begin(), calls.begin() + 5);
    EXPECT_EQ(start,
              (std::vector<std::string>{"_SetJoystickPort(1)", "_InitStick(buffer)",
                                        "_XSpring(0,0,0)", "_YSpring(0,0,0)", "_EnableForces()"}));
    // The springs at speed: the coefficient (half the stiffness percent) passed twice, rising.
    const std::regex spring(R"(_XSpring\((-?\d+),(\d+),(\d+)\))");
    int highest = 0;
    for (const std::string& c : calls) {
        std::smatch m;
        if (!std::regex_match(c, m, spring)) continue;
        EXPECT_EQ(m[2], m[3]) << c;
        highest = std::max(highest, std::stoi(m[2]));
    }
    // On the ground: (|offset| + 1) x knots / 150 / 3 percent of stiffness at the saved speed.
    core::IniFile flight(dir.Path("library.flt").c_str());
    const double knots = flight.GetInt("Aircraft", "fmHVel", 0) / 65536.0 * 1.9438445;
    ASSERT_GT(knots, 30) << "the throttle opened";
    EXPECT_GE(highest, static_cast<int>(knots / 150 / 3 * 100 / 2) - 2);
    // The last calls: forces off, cleared, the springs at rest.
    const std::vector<std::string> end(calls.end() - 4, calls.end());
    EXPECT_EQ(end, (std::vector<std::string>{"_DisableForces()", "_ClearForces()",
                                             "_XSpring(0,0,0)", "_YSpring(0,0,0)"}));
    for (const std::string& c : calls)
        for (const char* never : {"_Echo", "_GetStickError", "PositionReporting",
                                  "_GetStickPosition", "SpringClear", "_CloseStick"})
            EXPECT_EQ(c.find(never), std::string::npos) << c;
}

// The library without one of its entry points is not used at all: nothing of it is called and
// the flight flies as without it.
TEST_F(ForceFeedbackRun, AVendorLibraryMissingAnEntryPointLeavesTheStickAlone) {
    const std::string library =
        "LD_LIBRARY_PATH=" + std::string(ZEPHLON_BINARY_DIR) + "/test-libs/partial ";
    const std::string out = Fly("partial", false, library);
    EXPECT_EQ(out.find("stick library:"), std::string::npos) << out;
    EXPECT_NE(out.find("exit=0"), std::string::npos) << out;
}

}  // namespace
