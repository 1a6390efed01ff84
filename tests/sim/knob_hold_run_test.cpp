// A knob held down with the mouse in the running program, as a pilot sets a heading bug or a
// course: it turns at the press, then at one even pace for as long as the button is down, and
// stops where it was let go. The flight saved every half second tells where the knob stood.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/starter_run.h"

namespace {

using testsupport::StarterRun;

struct Knob {
    const char* name;
    int x, y;         // the knob's right half on the C172's full view
    const char* key;  // what it sets in the saved flight
};

TEST(KnobHoldRun, AHeldKnobTurnsEvenlyAndStopsWhereItIsLetGo) {
    if (!StarterRun::Built()) GTEST_SKIP() << "the starter installation is not built";
    for (const Knob& k :
         {Knob{"HDG", 228, 414, "nav1HSIbug"}, Knob{"OBS", 378, 293, "vor1_obs_setting"}}) {
        SCOPED_TRACE(k.name);
        StarterRun run("zephlon-knob-hold", "C172Fly.Flt");
        const std::string d = run.Dir().Root(),
                          at = std::to_string(k.x) + " " + std::to_string(k.y);
        std::string script = "frame-interval 50\nwait 1000\nsave " + d + "/before.flt\nmouse " +
                             at + " left-down\nsave " + d + "/pressed.flt\n";
        for (int i = 1; i <= 6; ++i)
            script += "wait 500\nsave " + d + "/" + std::to_string(i) + ".flt\n";
        script += "mouse " + at + " left-up\nsave " + d + "/released.flt\nwait 1000\nsave " + d +
                  "/later.flt\nquit\n";
        const auto r = run.Play(script);
        ASSERT_EQ(r.status, 0) << r.out;
        auto value = [&](const std::string& name) {
            return static_cast<int>(
                testsupport::SavedValue(run.Dir().Read(name + ".flt"), k.key).value_or(-1000));
        };
        const int before = value("before");
        EXPECT_EQ(value("pressed"), (before % 360) + 1) << "no step at the press";
        // Half a second is nine ticks: four or five steps of one every two ticks, in every half
        // second from the press on.
        std::vector<int> steps;
        int last = value("pressed");
        for (int i = 1; i <= 6; ++i) {
            const int now = value(std::to_string(i));
            steps.push_back((now - last + 360) % 360);
            last = now;
        }
        for (std::size_t i = 0; i < steps.size(); ++i) {
            EXPECT_GE(steps[i], 4) << "half second " << i + 1;
            EXPECT_LE(steps[i], 5) << "half second " << i + 1;
        }
        EXPECT_EQ(value("released"), last) << "the release turned it further";
        EXPECT_EQ(value("later"), last) << "it went on turning";
    }
}

}  // namespace
