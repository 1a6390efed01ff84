// The ignition turned to OFF, by its key or by a click on the switch, stops a running piston
// engine, as a real magneto switch does: the saved flight says it stopped and its tachometer
// reads nothing a few seconds on.
#include <gtest/gtest.h>

#include <string>

#include "support/starter_run.h"

namespace {

using testsupport::SavedValue;
using testsupport::StarterRun;

struct Case {
    const char* name;
    const char* flight;  // running on the runway
    const char* off;     // the pilot's action
    int runningAfter;    // engines still running (fmEngines bits)
};

class IgnitionOff : public ::testing::TestWithParam<Case> {};

TEST_P(IgnitionOff, StopsTheEngineItServes) {
    if (!StarterRun::Built()) GTEST_SKIP() << "the starter installation is not built";
    const Case c = GetParam();
    StarterRun run("zephlon-ignition-off");
    const testsupport::CommandResult r = run.Play(
        std::string("frame-interval 50\nwait 500\nmenu 109\ndialog \"Resume Flight\"\nset 1120 ") +
        c.flight + "\nkey Return press\nwait 2000\nsave " + run.Dir().Path("before.flt") + "\n" +
        c.off + "\nwait 8000\nsave " + run.Dir().Path("after.flt") + "\nquit\n");
    ASSERT_EQ(r.status, 0) << r.out;
    const std::string before = run.Dir().Read("before.flt"), after = run.Dir().Read("after.flt");
    const int runningBefore = static_cast<int>(SavedValue(before, "fmEngines").value_or(0));
    ASSERT_NE(runningBefore, 0) << "the flight's engines did not run";
    EXPECT_EQ(SavedValue(after, "fmEngines"), c.runningAfter) << r.out;
    EXPECT_EQ(SavedValue(after, "ignition"), c.runningAfter & 1 ? 3 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    PistonTypes, IgnitionOff,
    ::testing::Values(Case{"C172Key", "C172Fly.Flt", "key O press", 0},
                      Case{"BonanzaKey", "BonFly.Flt", "key O press", 0},
                      // The C172's switch, clicked at its OFF position.
                      Case{"C172Click", "C172Fly.Flt", "mouse 38 460 left-click", 0},
                      // The Baron's right switch at OFF, the two switches linked as the flight
                      // has them: both engines stop.
                      Case{"BaronRightClick", "BarFly.Flt", "mouse 97 465 left-click", 0}),
    [](const ::testing::TestParamInfo<Case>& i) { return std::string(i.param.name); });

}  // namespace
