// The help's engine start for the first flight, done as a user reads it: every key the steps put
// in parentheses, pressed in their order on the installation's first flight, starts the engine:
// the saved flight's engine runs, and with the brakes off and the throttle open the aircraft rolls.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "support/starter_run.h"

namespace {

using testsupport::SavedValue;
using testsupport::StarterRun;

// The sentence of the installation's help that starts the first flight's engine.
std::string EngineStartSteps() {
    std::ifstream in(StarterRun::Install() / "help" / "popups.hlp");
    std::stringstream text;
    text << in.rdbuf();
    const std::string all = text.str();
    const std::size_t at = all.find("To start the Cessna 172");
    if (at == std::string::npos) return {};
    const std::size_t end = all.find_first_of("\n", at);
    const std::string paragraph = all.substr(at, end - at);
    const std::size_t stop = paragraph.find(". ");
    return stop == std::string::npos ? paragraph : paragraph.substr(0, stop + 1);
}

TEST(HelpEngineStart, TheStepsForTheFirstFlightStartTheEngine) {
    if (!StarterRun::Built()) GTEST_SKIP() << "the starter installation is not built";
    const std::string steps = EngineStartSteps();
    ASSERT_FALSE(steps.empty()) << "the help names no engine start";
    std::vector<std::string> keys;
    const std::regex key(R"(\(([A-Z0-9])\))");
    for (std::sregex_iterator it(steps.begin(), steps.end(), key), end; it != end; ++it)
        keys.push_back((*it)[1]);
    ASSERT_FALSE(keys.empty()) << steps;

    StarterRun run("zephlon-help-start");
    std::string script = "frame-interval 20\nwait 1000\n";
    for (const std::string& k : keys)
        script += "key " + k + " press\nwait 2500\n";
    script += "save " + run.Dir().Path("started.flt") +
              "\nkey B press\nkey Back press\nwait 8000\nsave " + run.Dir().Path("rolled.flt") +
              "\nquit\n";
    const testsupport::CommandResult r = run.Play(script);
    ASSERT_EQ(r.status, 0) << r.out;
    const std::string started = run.Dir().Read("started.flt");
    const std::string rolled = run.Dir().Read("rolled.flt");
    EXPECT_EQ(SavedValue(started, "fmEngines").value_or(0) & 1, 1) << steps;
    // Positions in 1/256 m.
    const double dx = static_cast<double>(SavedValue(rolled, "fmPosX").value_or(0) -
                                          SavedValue(started, "fmPosX").value_or(0));
    const double dz = static_cast<double>(SavedValue(rolled, "fmPosZ").value_or(0) -
                                          SavedValue(started, "fmPosZ").value_or(0));
    EXPECT_GT(std::hypot(dx, dz) / 256.0, 10.0) << steps;
}

}  // namespace
