// Engines as a user starts them: Restart (Ctrl+E) brings the first flight back as the program
// started it, engines stopped and cold, for each of the five aircraft's ready-to-fly flights
// standing as the first flight; a twin's or the jet's engine that dies at its start because its
// boost pump is off says so, and with the pumps on none dies.
#include <gtest/gtest.h>

#include <string>

#include "support/run_command.h"
#include "support/starter_flight.h"
#include "support/starter_run.h"
#include "support/temp_folder.h"

#include <regex>

namespace {

// The engine figures of a saved flight that tell a running engine from a stopped one.
std::string EngineState(const std::string& flight) {
    std::string state;
    for (const char* key : {"fmEngines", "fmAdjustedTach"}) {
        const auto value = testsupport::SavedValue(flight, key);
        state += std::string(key) + "=" + (value ? std::to_string(*value) : "none") + " ";
    }
    return state;
}

TEST(RestartRun, TheFirstFlightComesBackAsTheProgramStartedIt) {
    for (const char* first :
         {"C172Fly.Flt", "BonFly.Flt", "BarFly.Flt", "KingFly.Flt", "JetFly.Flt"}) {
        SCOPED_TRACE(first);
        testsupport::TempFolder dir("zephlon-restart");
        if (!testsupport::StarterRun::Built() || !testsupport::UseStarterInstallation(dir, first))
            GTEST_SKIP() << "simrun or the starter installation is not built";
        // The boost pumps on, so that no engine dies at its start (and says so in a box).
        std::string flight = dir.Read("Flights/Startup.Flt");
        for (const char* key : {"fuelBoostLeft", "fuelBoostRight"})
            if (flight.find(std::string("\n") + key + "=") != std::string::npos)
                testsupport::PutSavedValue(flight, key, 1);
        dir.Write("Flights/Startup.Flt", flight);
        // Saved at the start, then the engines started and run, then restarted.
        dir.Write("script.txt", "frame-interval 20\nwait 500\nsave " + dir.Path("start.flt") +
                                    "\nkey s press\nwait 8000\nsave " + dir.Path("running.flt") +
                                    "\nkey ctrl+e press\nwait 500\nsave " +
                                    dir.Path("restarted.flt") + "\nquit\n");
        const testsupport::CommandResult r =
            testsupport::RunCommand(testsupport::StarterRun::Simrun() + " --dir " + dir.Root() +
                                    " " + dir.Path("script.txt") + " 2>&1");
        ASSERT_EQ(r.status, 0) << r.out;
        const std::string start = dir.Read("start.flt");
        const std::string restarted = dir.Read("restarted.flt");
        EXPECT_EQ(testsupport::SavedValue(start, "fmEngines"), 0) << start;
        EXPECT_EQ(EngineState(restarted), EngineState(start));
        EXPECT_EQ(testsupport::SavedValue(restarted, "fmPosX"),
                  testsupport::SavedValue(start, "fmPosX"));
        EXPECT_EQ(testsupport::SavedValue(restarted, "fmPosZ"),
                  testsupport::SavedValue(start, "fmPosZ"));
    }
}

// The starter key with the boost pumps as the flight saved them (off), then on: every engine that
// stopped at once after it ran is named in a box with the reason; with the pumps on, all run.
TEST(EngineStartRun, AnEngineThatDiesWithoutItsBoostPumpSaysWhy) {
    int died = 0;
    for (const char* first : {"BarFly.Flt", "KingFly.Flt", "JetFly.Flt"}) {
        for (const int pumps : {0, 1}) {
            SCOPED_TRACE(std::string(first) + (pumps != 0 ? " pumps on" : " pumps off"));
            testsupport::TempFolder dir("zephlon-boost");
            if (!testsupport::StarterRun::Built() ||
                !testsupport::UseStarterInstallation(dir, first))
                GTEST_SKIP() << "simrun or the starter installation is not built";
            std::string flight = dir.Read("Flights/Startup.Flt");
            for (const char* key : {"fuelBoostLeft", "fuelBoostRight"})
                testsupport::PutSavedValue(flight, key, pumps);
            dir.Write("Flights/Startup.Flt", flight);
            dir.Write("script.txt", "frame-interval 20\nwait 500\nkey s press\nwait 6000\nquit\n");
            const testsupport::CommandResult r =
                testsupport::RunCommand(testsupport::StarterRun::Simrun() + " --dir " + dir.Root() +
                                        " " + dir.Path("script.txt") + " 2>&1");
            ASSERT_EQ(r.status, 0) << r.out;
            for (const char* side : {"left", "right"}) {
                const int number = std::string(side) == "left" ? 1 : 2;
                // The engine ran and stopped in the same moment: it died.
                const std::regex death("\\[ *([0-9]+)\\] engine " + std::to_string(number) +
                                       " running\n\\[ *\\1\\] engine " + std::to_string(number) +
                                       " stopping");
                const bool dead = std::regex_search(r.out, death);
                const bool told =
                    r.out.find(
                        std::string("\"Zephlon\": The ") + side +
                        " engine stopped as soon as it started: its fuel boost pump is off.") !=
                    std::string::npos;
                EXPECT_EQ(told, dead) << side << "\n" << r.out;
                if (pumps != 0) {
                    EXPECT_FALSE(dead) << side << "\n" << r.out;
                }
                died += dead ? 1 : 0;
            }
        }
    }
    // One start in three dies without its pump: at least one of six did.
    EXPECT_GT(died, 0);
}

}  // namespace
