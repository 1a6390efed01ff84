// Restart after Resume Flight goes back to the flight resumed, not to the first flight: the
// aircraft and the place are the resumed flight's again after flying on from it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "support/starter_run.h"

namespace {

using testsupport::SavedValue;
using testsupport::StarterRun;

TEST(RestartRun, RestartAfterResumeFlightRestartsTheResumedFlight) {
    if (!StarterRun::Built()) GTEST_SKIP() << "the starter installation is not built";
    StarterRun run("zephlon-restart");
    // The lessons' cruise start: in the air, where the first flight stands on the ground.
    const std::string resumed = run.Dir().Read("Flights/Cruise.Flt");
    const std::string first = run.Dir().Read("Flights/Startup.Flt");
    ASSERT_GT(SavedValue(resumed, "fmPosY").value_or(0) - SavedValue(first, "fmPosY").value_or(0),
              300 * 256);
    const testsupport::CommandResult r = run.Play(
        "frame-interval 20\nwait 500\nmenu 109\ndialog \"Resume Flight\"\nset 1120 "
        "Cruise.Flt\nkey Return press\nwait 4000\nsave " +
        run.Dir().Path("flown.flt") + "\nmenu 687\nwait 100\nsave " +
        run.Dir().Path("restarted.flt") + "\nquit\n");
    ASSERT_EQ(r.status, 0) << r.out;
    const std::string flown = run.Dir().Read("flown.flt");
    const std::string restarted = run.Dir().Read("restarted.flt");
    // The in-air flight moved on before the restart (positions in 1/256 m).
    const auto metres = [](const std::string& a, const std::string& b, const char* key) {
        return std::llabs(SavedValue(a, key).value_or(0) - SavedValue(b, key).value_or(0)) / 256.0;
    };
    ASSERT_GT(metres(flown, resumed, "fmPosX") + metres(flown, resumed, "fmPosZ"), 50.0);
    EXPECT_EQ(SavedValue(restarted, "type"), SavedValue(resumed, "type")) << r.out;
    // A tenth of a second of flight at most from where the resumed flight starts, at its height.
    EXPECT_LT(metres(restarted, resumed, "fmPosX") + metres(restarted, resumed, "fmPosZ"), 20.0);
    EXPECT_LT(metres(restarted, resumed, "fmPosY"), 5.0);
}

}  // namespace
