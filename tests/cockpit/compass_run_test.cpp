// The magnetic compass of the turbines' panels, in the running program: a small case with its
// tape, hung from the windscreen's top, not a column that hides the world down to the panel. The
// compass's footprint is what changes when the compass option (menu command 120) takes it away.
#include <gtest/gtest.h>

#include <string>

#include "cockpit/panel_redraw.h"
#include "support/panel_art.h"
#include "support/starter_run.h"

namespace {

using testsupport::IndexedPicture;
using testsupport::StarterRun;

class TurbineCompass : public ::testing::TestWithParam<int> {};

TEST_P(TurbineCompass, IsASmallCaseHungFromTheWindscreen) {
    const int type = GetParam();
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    cockpit::PanelRegion region{};
    ASSERT_TRUE(cockpit::PanelRegionFor(type, 0, &region));
    const cockpit::IntRect w = region.compass;
    StarterRun run("zephlon-compass", type == 3 ? "KingStop.Flt" : "JetStop.Flt");
    const auto r = run.Play("frame-interval 40\nwait 800\nscreenshot " + run.Dir().Path("with.bmp") +
                            "\nmenu 120\nwait 400\nscreenshot " + run.Dir().Path("without.bmp") +
                            "\nquit\n");
    ASSERT_EQ(r.status, 0) << r.out;
    const IndexedPicture with = testsupport::ScreenIndices(run.Dir().Read("with.bmp"));
    const IndexedPicture without = testsupport::ScreenIndices(run.Dir().Read("without.bmp"));
    ASSERT_EQ(with.width, 640);
    ASSERT_EQ(without.width, 640);
    int area = 0, compass = 0, lowest = -1;
    for (int y = w.top; y <= w.bottom; ++y)
        for (int x = w.left; x <= w.right; ++x) {
            ++area;
            if (with.At(x, y) == without.At(x, y)) continue;
            ++compass;
            lowest = y;
        }
    // The case holds the tape (14 rows across the window) and its label; the mount is a post.
    EXPECT_GT(compass, 14 * (w.right - w.left - 1)) << "no compass drawn";
    EXPECT_LT(compass, area * 2 / 5) << "the compass hides most of its place";
    EXPECT_LT(lowest, w.bottom - 20) << "the compass reaches down to the panel";
}

INSTANTIATE_TEST_SUITE_P(Turbines, TurbineCompass, ::testing::Values(3, 4));

}  // namespace
