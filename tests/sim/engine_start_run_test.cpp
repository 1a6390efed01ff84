// Engines as a user starts them: a twin's or the jet's engine that dies at its start because its
// boost pump is off says so, and with the pumps on none dies.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>

#include "support/run_command.h"
#include "support/starter_flight.h"
#include "support/starter_run.h"
#include "support/temp_folder.h"

namespace {

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

// The throttle before the start, as a pilot sets it with the keys: it answers at once (the
// flight's throttle moves with its lever), and the engine that then catches runs at the throttle
// the lever shows, the starter's idle when it was brought back, not at full power.
TEST(EngineStartRun, TheThrottleAnswersBeforeTheStartAndTheEngineRunsAtIt) {
    const struct {
        const char* flight;
        const char* keys;  // before the start
        int lever;
    } cases[] = {
        {"C172Fly.Flt", "Back", 31},     {"C172Fly.Flt", "Back = - - -", 28},
        {"BonFly.Flt", "= = = = =", 5},  {"BarFly.Flt", "Back 0", 0},
        {"KingFly.Flt", "Back - -", 29}, {"JetFly.Flt", "= = =", 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.flight) + ": " + c.keys);
        if (!testsupport::StarterRun::Built())
            GTEST_SKIP() << "the starter installation is not built";
        testsupport::StarterRun run("zephlon-throttle-start", c.flight);
        const testsupport::TempFolder& dir = run.Dir();
        std::string flight = dir.Read("Flights/Startup.Flt");
        for (const char* key : {"fmEngines", "fmThrot", "throttle"})
            testsupport::PutSavedValue(flight, key, 0);
        for (const char* key : {"fuelBoostLeft", "fuelBoostRight"})
            testsupport::PutSavedValue(flight, key, 1);
        dir.Write("Flights/Startup.Flt", flight);
        std::string script = "frame-interval 50\nwait 500\n";
        std::istringstream keys(c.keys);
        for (std::string key; keys >> key;)
            script += "key " + key + " press\nwait 100\n";
        const auto r =
            run.Play(script + "wait 500\nsave " + dir.Path("before.flt") +
                     "\nkey s press\nwait 8000\nsave " + dir.Path("after.flt") + "\nquit\n");
        ASSERT_EQ(r.status, 0) << r.out;
        const std::string before = dir.Read("before.flt"), after = dir.Read("after.flt");
        EXPECT_EQ(testsupport::SavedValue(before, "fmEngines").value_or(-1), 0);
        EXPECT_EQ(testsupport::SavedValue(before, "throttle").value_or(-1), c.lever);
        EXPECT_EQ(testsupport::SavedValue(before, "fmThrot").value_or(-1), c.lever * 1057)
            << "the stopped engine's throttle, against its lever";
        EXPECT_EQ(testsupport::SavedValue(after, "fmEngines").value_or(0) & 1, 1) << r.out;
        EXPECT_EQ(testsupport::SavedValue(after, "fmThrot").value_or(-1), c.lever * 1057)
            << "the throttle the engine caught at";
    }
}

}  // namespace
