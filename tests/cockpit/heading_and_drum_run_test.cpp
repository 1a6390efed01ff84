// What the running program shows on two instruments: the turbine panels' counter altimeter drums
// read the height the aircraft was put at (the drums read back from the screenshot against the
// installation's drum strip), and the C172's course knob turns a course pointer on its heading
// indicator.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "cockpit/gauges.h"
#include "cockpit/panel_art_tables.h"
#include "cockpit/panel_click_regions.h"
#include "cockpit/panel_layouts.h"
#include "core/ini_file.h"
#include "support/panel_art.h"
#include "support/starter_run.h"

namespace {

using testsupport::IndexedPicture;
using testsupport::StarterRun;

const cockpit::PanelRow* RowOf(int type, cockpit::PanelOp op) {
    int count = 0;
    const cockpit::PanelRow* rows = cockpit::PanelRowsOf(type, &count);
    for (int i = 0; i < count; ++i)
        if (rows[i].op == op) return &rows[i];
    return nullptr;
}

// The drum position a window of `rows` rows at (x, y) of the screen shows: the strip row whose
// pixels it matches best, as digits (0 at the strip's first digit, 10 its second 0; -1 blank).
double DrumDigits(const IndexedPicture& screen, const IndexedPicture& strip, int x, int y, int rows) {
    int best = -1, bestMisses = 1 << 30;
    for (int top = 0; top + rows <= strip.height; ++top) {
        int misses = 0;
        for (int v = 0; v < rows; ++v)
            for (int u = 0; u < cockpit::kDrumWidth; ++u)
                misses += screen.At(x + u, y + v) != strip.At(u, top + v);
        if (misses < bestMisses) {
            bestMisses = misses;
            best = top;
        }
    }
    if (best >= cockpit::kDrumBlankRow - rows / 2) return -1;
    return (best + (rows - 1) / 2.0 - cockpit::DrumDigitCentre(0)) / cockpit::kDrumPitch;
}

struct DrumReading {
    double hundreds = 0, thousands = 0, tenThousands = 0;
};

// The altitude the three drums show, or NaN when the thousands drum is not where the hundreds
// say it should be: it stands on its digit until the last hundred feet below the next thousand
// and rolls on over those, as does the ten-thousands drum below the next ten thousand.
double DrumFeet(const DrumReading& d) {
    const double r = std::fmod(d.hundreds, 10.0) * 100.0;
    const double roll = std::fmax(0.0, (r - 900.0) / 100.0);
    const double n = std::round(d.thousands - roll);
    if (std::fabs(d.thousands - (n + roll)) > 0.2) return std::nan("");
    double feet = std::fmod(n, 10.0) * 1000.0 + r;
    if (d.tenThousands >= 0) {
        const double tenRoll = std::fmod(n, 10.0) == 9 ? roll : 0.0;
        const double p = std::round(d.tenThousands - tenRoll);
        if (std::fabs(d.tenThousands - (p + tenRoll)) > 0.2) return std::nan("");
        feet += p * 10000.0;
    }
    return feet;
}

struct Turbine {
    int type;
    const char* flight;
    const char* strip;
    double fieldFeet;  // the parked flight's airport (FAA airport data: KAPA 5,885 ft, KOAK 9 ft)
};

class CounterDrums : public ::testing::TestWithParam<Turbine> {};

TEST_P(CounterDrums, ReadTheHeightJustBelowAndAboveAThousand) {
    const Turbine& t = GetParam();
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    const cockpit::PanelRow* row = RowOf(t.type, cockpit::PanelOp::CounterAltimeter);
    ASSERT_NE(row, nullptr);
    const int x = row->x, y = row->y + cockpit::kFullViewOffset[t.type];
    const auto stripArt = testsupport::InstalledPanelBitmap(t.strip);
    ASSERT_NE(stripArt, nullptr);
    const IndexedPicture strip = testsupport::Indices(*stripArt);

    // The parked aircraft lifted to each height and held there at once by the slew mode.
    for (const double feet : {11990.0, 12000.0, 12010.0, 12090.0, 17004.0}) {
        StarterRun run("zephlon-drums", t.flight);
        {
            core::IniFile f(run.Dir().Path("Flights/Startup.Flt").c_str());
            f.PutInt("Aircraft", "fmPosY", std::lround((feet - t.fieldFeet) * 0.3048 * 256.0));
            f.PutInt("Aircraft", "fmOTG", 0);
        }
        const auto r = run.Play("key alt+x press\nwait 800\nscreenshot " + run.Dir().Path("drums.bmp") +
                                "\nquit\n");
        ASSERT_EQ(r.status, 0) << r.out;
        const IndexedPicture screen = testsupport::ScreenIndices(run.Dir().Read("drums.bmp"));
        ASSERT_EQ(screen.width, 640);
        DrumReading d;
        d.hundreds = DrumDigits(screen, strip, x, y, 19);
        d.thousands = DrumDigits(screen, strip, x - 10, y + 4, 11);
        d.tenThousands = DrumDigits(screen, strip, x - 20, y + 4, 11);
        const double shown = DrumFeet(d);
        EXPECT_NEAR(shown, feet, 40.0) << t.flight << " at " << feet << " ft: drums " << d.tenThousands
                                       << " " << d.thousands << " " << d.hundreds;
    }
}

INSTANTIATE_TEST_SUITE_P(Turbines, CounterDrums,
                         ::testing::Values(Turbine{3, "KingStop.Flt", "k_alcntr.bmp", 5885},
                                           Turbine{4, "JetStop.Flt", "j_alcntr.bmp", 9}),
                         [](const ::testing::TestParamInfo<Turbine>& i) { return std::to_string(i.param.type); });

// The C172's CRS knob (the heading indicator's left knob) turns a course pointer across the card:
// 30 clicks of its right half move pixels of the pointer's colour inside the card, and 30 of its
// left half bring the picture back.
TEST(HeadingIndicator, TheC172CourseKnobTurnsACoursePointer) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    const cockpit::PanelRow* row = RowOf(0, cockpit::PanelOp::HsiC172);
    ASSERT_NE(row, nullptr);
    const int cx = row->x, cy = row->y + cockpit::kFullViewOffset[0];
    const cockpit::PanelClickTable& table = cockpit::kPanelClickTables[0];
    const cockpit::PanelClickRegion* knobs = nullptr;
    for (int i = 0; i < table.count; ++i)
        if (table.regions[i].area == cockpit::PanelArea::HeadingCoursePair) knobs = &table.regions[i];
    ASSERT_NE(knobs, nullptr);
    const int ky = knobs->b + knobs->c / 2;
    const std::string up = std::to_string(knobs->a + knobs->c * 3 / 4) + " " + std::to_string(ky);
    const std::string down = std::to_string(knobs->a + knobs->c / 4) + " " + std::to_string(ky);
    StarterRun run("zephlon-course", "C172Stop.Flt");
    std::string script = "frame-interval 40\nwait 600\nscreenshot " + run.Dir().Path("a.bmp") + "\n";
    for (int i = 0; i < 30; ++i) script += "mouse " + up + " left-click\nwait 40\n";
    script += "wait 300\nscreenshot " + run.Dir().Path("b.bmp") + "\n";
    for (int i = 0; i < 30; ++i) script += "mouse " + down + " left-click\nwait 40\n";
    script += "wait 300\nscreenshot " + run.Dir().Path("c.bmp") + "\nquit\n";
    const auto r = run.Play(script);
    ASSERT_EQ(r.status, 0) << r.out;
    const IndexedPicture a = testsupport::ScreenIndices(run.Dir().Read("a.bmp"));
    const IndexedPicture b = testsupport::ScreenIndices(run.Dir().Read("b.bmp"));
    const IndexedPicture c = testsupport::ScreenIndices(run.Dir().Read("c.bmp"));
    ASSERT_EQ(a.width, 640);
    ASSERT_EQ(b.width, 640);
    ASSERT_EQ(c.width, 640);
    const int pointer = cockpit::ColoursOf(0).hsi;
    int inA = 0, moved = 0, back = 0;
    for (int v = cy - 34; v <= cy + 34; ++v)
        for (int u = cx - 34; u <= cx + 34; ++u) {
            if ((u - cx) * (u - cx) + (v - cy) * (v - cy) > 34 * 34) continue;
            inA += a.At(u, v) == pointer;
            moved += a.At(u, v) != b.At(u, v) && (a.At(u, v) == pointer || b.At(u, v) == pointer);
            back += a.At(u, v) != c.At(u, v);
        }
    EXPECT_GT(inA, 20) << "no course pointer on the card";
    EXPECT_GT(moved, 20) << "the pointer did not turn with the knob";
    EXPECT_EQ(back, 0) << "turned back, the card is not as before";
}

}  // namespace
