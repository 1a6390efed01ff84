// Restart (Ctrl+E) as a user meets it: the first flight comes back as the program started it,
// engines stopped and cold, for each of the five aircraft's ready-to-fly flights standing as the
// first flight; the engine the user started in between is stopped again.
#include <gtest/gtest.h>

#include <string>

#include "support/run_command.h"
#include "support/starter_flight.h"
#include "support/starter_run.h"
#include "support/temp_folder.h"

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

}  // namespace
