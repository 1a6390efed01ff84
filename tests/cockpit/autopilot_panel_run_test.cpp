// The autopilot's mode buttons as a pilot sees them in the running program, on every panel: with
// the autopilot off each button still shows its own word (no two of ALT, HDG, NAV, APR, BC, AP,
// GS and TRIM look alike), and switching the battery and the avionics on lights none of them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cockpit/panel_art_tables.h"
#include "cockpit/panel_layouts.h"
#include "support/panel_art.h"
#include "support/starter_run.h"

namespace {

using testsupport::IndexedPicture;
using testsupport::StarterRun;

// The pixels of each label's window on the screen.
std::vector<std::vector<int>> Labels(const IndexedPicture& screen, int x0, int y0) {
    std::vector<std::vector<int>> out;
    for (int i = 0; i < 8; ++i) {
        const cockpit::IntRect& r = cockpit::kAutopilotUnlit[i];
        std::vector<int> pixels;
        for (int v = 0; v <= r.bottom - r.top; ++v)
            for (int u = 0; u <= r.right - r.left; ++u)
                pixels.push_back(screen.At(x0 + cockpit::kAutopilotLabels[i].x + u,
                                           y0 + cockpit::kAutopilotLabels[i].y + v));
        out.push_back(pixels);
    }
    return out;
}

class AutopilotLabels : public ::testing::TestWithParam<int> {};

TEST_P(AutopilotLabels, UnlitButtonsSayWhatTheyAreAndPowerLightsNone) {
    const int type = GetParam();
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    static const char* const kFlights[5] = {"C172Stop.Flt", "BonStop.Flt", "BarStop.Flt",
                                            "KingStop.Flt", "JetStop.Flt"};
    static const char* const kNames[8] = {"ALT", "HDG", "NAV", "APR", "BC", "AP", "GS", "TRIM"};
    int count = 0;
    const cockpit::PanelRow* rows = cockpit::PanelRowsOf(type, &count);
    const cockpit::PanelRow* row = nullptr;
    for (int i = 0; i < count; ++i)
        if (rows[i].op == cockpit::PanelOp::AutopilotPanel) row = &rows[i];
    ASSERT_NE(row, nullptr);
    const int x0 = row->x, y0 = row->y + cockpit::kFullViewOffset[type];
    StarterRun run("zephlon-aplabels", kFlights[type]);
    const auto r = run.Play("frame-interval 40\nwait 600\nscreenshot " + run.Dir().Path("off.bmp") +
                            "\nkey Z press\nkey X press\nwait 3000\nscreenshot " +
                            run.Dir().Path("on.bmp") + "\nsave " + run.Dir().Path("on.flt") +
                            "\nquit\n");
    ASSERT_EQ(r.status, 0) << r.out;
    const IndexedPicture off = testsupport::ScreenIndices(run.Dir().Read("off.bmp"));
    const IndexedPicture on = testsupport::ScreenIndices(run.Dir().Read("on.bmp"));
    ASSERT_EQ(off.width, 640);
    ASSERT_EQ(on.width, 640);
    ASSERT_EQ(testsupport::SavedValue(run.Dir().Read("on.flt"), "avionics").value_or(-1), 1);
    const std::vector<std::vector<int>> unlit = Labels(off, x0, y0);
    const std::vector<std::vector<int>> powered = Labels(on, x0, y0);
    for (int i = 0; i < 8; ++i) {
        // Each label of a size is its own word (labels of different sizes differ anyway).
        for (int j = i + 1; j < 8; ++j) {
            if (unlit[i].size() != unlit[j].size()) continue;
            EXPECT_NE(unlit[i], unlit[j]) << "type " << type << ": " << kNames[i] << " and "
                                          << kNames[j] << " look alike unlit";
        }
        EXPECT_EQ(unlit[i], powered[i]) << "type " << type << ": " << kNames[i]
                                        << " lit by the power alone";
    }
}

INSTANTIATE_TEST_SUITE_P(Panels, AutopilotLabels, ::testing::Range(0, 5));

}  // namespace
