// The CitationJet's lamps beside its turbine temperatures, as the running program shows them:
// each has its name written on the panel under it (light letters on the dark paint).
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "cockpit/gauges.h"
#include "cockpit/panel_art_tables.h"
#include "cockpit/panel_layouts.h"
#include "support/screenshot.h"
#include "support/starter_run.h"

namespace {

using testsupport::StarterRun;

bool Light(std::uint32_t rgb) {
    return ((rgb >> 16) & 0xFF) > 150 && ((rgb >> 8) & 0xFF) > 150 && (rgb & 0xFF) > 150;
}

TEST(LampLabelsRun, TheJetsEngineLampsAreNamed) {
    if (!StarterRun::Built()) GTEST_SKIP() << "the starter installation is not built";
    StarterRun run("zephlon-lamp-labels", "JetFly.Flt");
    const auto r = run.Play("frame-interval 50\nwait 1000\nscreenshot " + run.Dir().Root() +
                            "/jet.bmp\nquit\n");
    ASSERT_EQ(r.status, 0) << r.out;
    const std::vector<std::uint32_t> shot =
        testsupport::ReadScreenshot(run.Dir().Read("jet.bmp"), 640, 480);
    ASSERT_FALSE(shot.empty());
    int count = 0, lamps = 0;
    const cockpit::PanelRow* rows = cockpit::PanelRowsOf(4, &count);
    for (int i = 0; i < count; ++i) {
        const cockpit::PanelRow& row = rows[i];
        if (row.op != cockpit::PanelOp::ToggleFrame ||
            (row.gauge != &cockpit::thePropPitchLever && row.gauge != &cockpit::thePropPitchLever2))
            continue;
        ++lamps;
        // The name's letters: under the lamp, a little wider than it.
        const int x = row.x, y = row.y + cockpit::kFullViewOffset[4];
        int letters = 0;
        for (int yy = y + 6; yy <= y + 13; ++yy)
            for (int xx = x - 6; xx <= x + 12; ++xx)
                letters += Light(shot[static_cast<std::size_t>(yy) * 640 + xx]) ? 1 : 0;
        EXPECT_GE(letters, 12) << "the lamp at (" << x << ", " << y << ") has no name";
    }
    EXPECT_EQ(lamps, 2);
}

}  // namespace
