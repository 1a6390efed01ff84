// The first flight's engine has not run: its oil temperature gauge reads cold, its pointer left
// of the green band, as the screenshot of the starter installation's first flight shows.
#include <gtest/gtest.h>

#include "cockpit/gauges.h"
#include "cockpit/panel_art_tables.h"
#include "cockpit/panel_layouts.h"
#include "support/panel_art.h"
#include "support/starter_run.h"

namespace {

using testsupport::StarterRun;

TEST(FirstFlight, TheOilOfTheNeverStartedEngineReadsCold) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    int count = 0;
    const cockpit::PanelRow* rows = cockpit::PanelRowsOf(0, &count);
    const cockpit::PanelRow* row = nullptr;
    for (int i = 0; i < count; ++i)
        if (rows[i].gauge == &cockpit::theOilTempGauge && rows[i].op == cockpit::PanelOp::BarPointer)
            row = &rows[i];
    ASSERT_NE(row, nullptr);
    StarterRun run("zephlon-firstoil");
    const auto r = run.Play("frame-interval 40\nwait 2000\nscreenshot " + run.Dir().Path("first.bmp") +
                            "\nquit\n");
    ASSERT_EQ(r.status, 0) << r.out;
    const testsupport::IndexedPicture shot = testsupport::ScreenIndices(run.Dir().Read("first.bmp"));
    ASSERT_EQ(shot.width, 640);
    // The pointer's upper part: the bar colour outside the band, the band's colour inside it.
    const cockpit::PanelColours& c = cockpit::ColoursOf(0);
    const int y = row->y + cockpit::kFullViewOffset[0] + 1;
    const int bandLow = row->arg[2], bandHigh = row->arg[3];
    int at = -1, colour = -1;
    for (int dx = 0; dx <= bandHigh + 6 && at < 0; ++dx) {
        const int p = shot.At(row->x + dx, y);
        if (p == c.bar1 || p == c.band1) {
            at = dx;
            colour = p;
        }
    }
    ASSERT_GE(at, 0) << "no oil temperature pointer";
    EXPECT_LE(at, bandLow) << "the oil of an engine that never ran reads warm";
    EXPECT_EQ(colour, c.bar1);
}

}  // namespace
