// Flying the starter installation with the keys a pilot uses: the take-off the project ships as
// a script, a ready-to-fly flight reloaded with its engines, levers and fuel, time acceleration
// from the keys, and reverse thrust against the parking brake. Each run ends in a saved flight.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <string>

#include "support/starter_run.h"

namespace {

using testsupport::RunFigure;
using testsupport::SavedValue;
using testsupport::StarterRun;

long long Value(const StarterRun& run, const std::string& file, const std::string& key) {
    const std::optional<long long> v = SavedValue(run.Dir().Read(file), key);
    EXPECT_TRUE(v.has_value()) << key << " missing from " << file;
    return v.value_or(0);
}

// The degrees from one binary angle to another, -180..180.
double AngleBetween(double a, double b) {
    return std::remainder(b - a, 65536.0) * 360.0 / 65536.0;
}

TEST(Flying, TheShippedTakeOffLeavesTheRunwayClimbingAlongIt) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    StarterRun run("zephlon-takeoff");
    std::ifstream in(std::string(ZEPHLON_SOURCE_DIR) + "/scripts/takeoff.simrun");
    ASSERT_TRUE(in);
    std::string script;
    for (std::string line; std::getline(in, line);)
        script += (line.rfind("save ", 0) == 0 ? "save " + run.Dir().Path("takeoff.flt") : line) +
                  "\n";
    const auto r = run.Play(script);
    ASSERT_EQ(r.status, 0) << r.out;
    ASSERT_NE(r.out.find("exit=0"), std::string::npos) << r.out;

    const std::string start = run.Dir().Read("Flights/Startup.Flt");
    EXPECT_EQ(Value(run, "takeoff.flt", "fmOTG"), 0) << "still on the ground";
    EXPECT_GT(Value(run, "takeoff.flt", "fmPosY"), 5 * 256) << "not 5 m above the ground";
    EXPECT_GT(Value(run, "takeoff.flt", "fmVVel"), 0) << "not climbing";
    EXPECT_EQ(Value(run, "takeoff.flt", "fmEngines"), 1);
    // The track, from the world velocity, and the heading both stay the runway's.
    const double runway = static_cast<double>(SavedValue(start, "fmHead").value_or(-1));
    const double track = std::atan2(static_cast<double>(Value(run, "takeoff.flt", "fmDeltaX")),
                                    static_cast<double>(Value(run, "takeoff.flt", "fmDeltaZ"))) *
                         32768.0 / M_PI;
    EXPECT_NEAR(AngleBetween(runway, track), 0.0, 5.0);
    EXPECT_NEAR(AngleBetween(runway, static_cast<double>(Value(run, "takeoff.flt", "fmHead"))), 0.0,
                5.0);
}

// A start flight saved in the air with 5000 in each tank, engines running and the throttle at
// lever 23 (its Panel lever and its flight-model word): start-up stops the engines, the restart brings the flight back as it was stored,
// and the first lever keys move the levers from where the flight left them.
TEST(Flying, RestartKeepsEnginesLeversAndFuel) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    StarterRun run("zephlon-restart");
    std::string flight = run.Dir().Read("Flights/Startup.Flt");
    for (const auto& [key, value] :
         {std::pair<std::string, std::string>{"fmFuel1", "5000"}, {"fmFuel2", "5000"},
          {"fmEngines", "1"}, {"fmOTG", "0"}, {"fmPosY", "200000"}, {"fmThrot", "24311"},
          {"fmHVel", "3500000"}, {"fmRBrake", "0"}, {"fmLBrake", "0"}, {"throttle", "23"}}) {
        const std::size_t at = flight.find("\n" + key + "=");
        ASSERT_NE(at, std::string::npos) << key;
        flight.replace(at + 1, flight.find('\n', at + 1) - at - 1, key + "=" + value);
    }
    run.Dir().Write("Flights/Startup.Flt", flight);
    const auto r = run.Play("wait 2000\nsave " + run.Dir().Path("started.flt") +
                            "\nmenu 687\nwait 3000\nsave " + run.Dir().Path("restarted.flt") +
                            "\nkey = press\nkey Numpad/ press\nwait 500\nsave " +
                            run.Dir().Path("keys.flt") + "\nquit\n");
    ASSERT_EQ(r.status, 0) << r.out;

    EXPECT_EQ(Value(run, "started.flt", "fmEngines"), 0);
    EXPECT_EQ(Value(run, "started.flt", "fmFuel1"), 5000);
    EXPECT_EQ(Value(run, "restarted.flt", "fmEngines"), 1);
    EXPECT_EQ(Value(run, "restarted.flt", "fmLBrake"), 0);
    EXPECT_EQ(Value(run, "restarted.flt", "fmThrot"), 23 * 1057);
    EXPECT_EQ(Value(run, "restarted.flt", "throttle"), 23);
    EXPECT_EQ(Value(run, "restarted.flt", "mixture"), 31);
    for (const char* tank : {"fmFuel1", "fmFuel2"}) {
        EXPECT_LE(Value(run, "restarted.flt", tank), 5000) << tank;
        EXPECT_GT(Value(run, "restarted.flt", tank), 4950) << tank;
    }
    // "=" opens the throttle one step from 23; the mixture leans one step and the engine runs on.
    EXPECT_EQ(Value(run, "keys.flt", "fmThrot"), 24 * 1057);
    EXPECT_EQ(Value(run, "keys.flt", "mixture"), 30);
    EXPECT_EQ(Value(run, "keys.flt", "fmEngines"), 1);
}

// Two presses of the speed-up key run four times the ticks in the same time, as menu 539 does.
TEST(Flying, SpeedUpKeysAccelerateTimeLikeTheMenu) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    const char* starts[] = {"", "key AltNumpad+ press\nkey Alt+Numpad+ press\n", "menu 539\n"};
    unsigned long ticks[3] = {};
    for (int i = 0; i < 3; ++i) {
        StarterRun run("zephlon-speed");
        const auto r = run.Play(std::string("wait 500\n") + starts[i] + "wait 6000\nquit\n");
        ASSERT_EQ(r.status, 0) << r.out;
        ticks[i] = RunFigure(r.out, "ticks");
    }
    ASSERT_GT(ticks[0], 50u);
    EXPECT_NEAR(static_cast<double>(ticks[1]) / ticks[0], 3.8, 0.3);
    EXPECT_NEAR(static_cast<double>(ticks[1]), static_cast<double>(ticks[2]), 4.0);
}

// The lessons' cruise on the autopilot's altitude and heading hold, settled at 1x, then flown for
// a stretch of the script's (real) time at each time acceleration: the distance between the
// saved positions and the calendar time the saved flights keep both grow N times a real second,
// so the aircraft covers the same distance a second of the panel clock at any speed-up.
TEST(Flying, TimeAccelerationSpeedsFlightAndClockAlike) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    double metresPerSecond[5] = {}, clockPerSecond[5] = {}, metresPerClock[5] = {};
    for (int k = 0; k < 5; ++k) {
        const int seconds = k == 0 ? 60 : 20;  // the clock keeps whole seconds
        StarterRun run("zephlon-accel", "Cruise.Flt");
        std::string script = "frame-interval 200\nwait 1000\nmenu 687\nwait 1000\nkey Shift+C press\n"
                             "key Shift+X press\nkey Shift+Z press\nwait 20000\n";
        for (int i = 0; i < k; ++i) script += "key Alt+Numpad+ press\n";
        script += "wait 200\nsave " + run.Dir().Path("a.flt") + "\nwait " +
                  std::to_string(seconds * 1000) + "\nsave " + run.Dir().Path("b.flt") + "\nquit\n";
        const auto r = run.Play(script);
        ASSERT_EQ(r.status, 0) << r.out;
        const std::string a = run.Dir().Read("a.flt"), b = run.Dir().Read("b.flt");
        auto moved = [&](const char* key) {
            return static_cast<double>(SavedValue(b, key).value_or(0) - SavedValue(a, key).value_or(0)) /
                   256.0;
        };
        const double metres = std::hypot(moved("fmPosX"), moved("fmPosZ"));
        const double clock =
            static_cast<double>(SavedValue(b, "cur").value_or(0) - SavedValue(a, "cur").value_or(0));
        metresPerSecond[k] = metres / seconds;
        clockPerSecond[k] = clock / seconds;
        metresPerClock[k] = clock > 0 ? metres / clock : 0;
    }
    ASSERT_GT(metresPerSecond[0], 40.0) << "the cruise did not fly at 1x";
    EXPECT_NEAR(clockPerSecond[0], 1.0, 0.02);
    for (int k = 1; k < 5; ++k) {
        const double n = 1 << k;
        EXPECT_NEAR(metresPerSecond[k] / metresPerSecond[0], n, 0.05 * n)
            << n << "x: metres flown a real second";
        EXPECT_NEAR(clockPerSecond[k], n, 0.05 * n) << n << "x: clock seconds a real second";
        EXPECT_NEAR(metresPerClock[k] / metresPerClock[0], 1.0, 0.05)
            << n << "x: metres flown a second of the panel clock";
    }
}

// The engine started, full throttle, reverse thrust, parking brake set: ten seconds later the
// aircraft stands where it stood.
TEST(Flying, ReverseThrustAgainstTheParkingBrakeStaysPut) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    StarterRun run("zephlon-reverse");
    const auto r = run.Play("wait 500\nkey S press\nwait 4000\n"
                            "key Back press\nkey Backslash press\nwait 10000\nsave " +
                            run.Dir().Path("reverse.flt") + "\nquit\n");
    ASSERT_EQ(r.status, 0) << r.out;
    const std::string start = run.Dir().Read("Flights/Startup.Flt");
    EXPECT_EQ(Value(run, "reverse.flt", "fmEngines"), 1);
    EXPECT_EQ(Value(run, "reverse.flt", "fmRThrust"), 1);
    EXPECT_EQ(Value(run, "reverse.flt", "fmOTG"), 1);
    const double dx = static_cast<double>(Value(run, "reverse.flt", "fmPosX") -
                                          SavedValue(start, "fmPosX").value_or(0));
    const double dz = static_cast<double>(Value(run, "reverse.flt", "fmPosZ") -
                                          SavedValue(start, "fmPosZ").value_or(0));
    EXPECT_LT(std::hypot(dx, dz) / 256.0, 1.0) << "metres moved";
}

// The aircraft selection: the flight goes on in the chosen aircraft (its saved flight says so),
// and choosing it again, or choosing another and cancelling, changes nothing.
TEST(Flying, TheAircraftSelectionChangesTheAircraft) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    StarterRun run("zephlon-select");
    const auto r = run.Play("wait 500\nmenu 130\ndialog FlightModel\nclick 1742\nclick 1\nwait 500\nsave " +
                            run.Dir().Path("baron.flt") +
                            "\nmenu 130\ndialog FlightModel\nclick 1742\nclick 1\nwait 200\nmenu 130\n"
                            "dialog FlightModel\nclick 1745\nclick 2\nwait 200\nsave " +
                            run.Dir().Path("still.flt") + "\nquit\n");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(Value(run, "baron.flt", "type"), 2);
    EXPECT_EQ(Value(run, "still.flt", "type"), 2);
}

}  // namespace
