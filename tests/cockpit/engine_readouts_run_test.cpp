// The engine readouts as a pilot reads them in the running program, photographed and read back:
// the CitationJet's N1 windows show percent with its tenth after a point two pixels square
// ("56.6"), whole from 100, and the turbine altimeters their setting as "29.92"; a stopped
// engine's hot parts cool toward the outside air over a few minutes (the jet's ITT readouts, the
// King Air's turbine temperature needles, the Bonanza's exhaust pointer), where they fell to their
// cold marks the moment it stopped, or stood still.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "cockpit/gauges.h"
#include "cockpit/instruments.h"
#include "cockpit/panel_art_tables.h"
#include "cockpit/panel_layouts.h"
#include "support/panel_art.h"
#include "support/screenshot.h"
#include "support/starter_run.h"

namespace {

using testsupport::IndexedPicture;
using testsupport::StarterRun;

const cockpit::PanelRow* RowOf(int type, cockpit::PanelOp op, const cockpit::PanelGauge* gauge) {
    int count = 0;
    const cockpit::PanelRow* rows = cockpit::PanelRowsOf(type, &count);
    for (int i = 0; i < count; ++i)
        if (rows[i].op == op && rows[i].gauge == gauge) return &rows[i];
    return nullptr;
}

cockpit::IntPoint OnScreen(int type, const cockpit::PanelRow& row) {
    return {row.x, row.y + cockpit::kFullViewOffset[type]};
}

// The jet's small digits: five pixels a cell, six rows above the baseline.
constexpr int kPitch = 5;
const char* const kDigits = "0123456789 -";

using Inks = testsupport::FontInks;
using testsupport::InksOf;

// A small-digit readout with a point, read back as the pilot reads it: `left` digits from x, a
// point two pixels square on the digits' two bottom rows with a clear column either side, then
// `right` digits ("56.6", "29.92"); a "?" where a cell or the point is not there.
std::string ReadWithPoint(const IndexedPicture& p, const gfx::GFXFont& font, const Inks& k, int x,
                          int baseline, int left, int right) {
    const int point = x + left * kPitch - 1;  // the clear column before the point
    bool shown = true;
    for (int y = baseline - 3; y <= baseline - 2; ++y)
        for (int c = 0; c < 4; ++c)
            shown = shown && p.At(point + c, y) == (c == 1 || c == 2 ? k.digit : k.window);
    return testsupport::ReadPanelText(p, font, x, baseline, left, kPitch, kDigits) +
           (shown ? "." : "?") +
           testsupport::ReadPanelText(p, font, point + 3, baseline, right, kPitch, kDigits);
}

// A jet N1 window: tenths after a point a column left of the field below 100 %, whole from 100.
std::string ReadN1(const IndexedPicture& p, const gfx::GFXFont& font, const Inks& k,
                   cockpit::IntPoint at) {
    const std::string whole = testsupport::ReadPanelText(p, font, at.x, at.y, 3, kPitch, kDigits);
    if (whole.find_first_not_of("0123456789") == std::string::npos) return whole;
    return ReadWithPoint(p, font, k, at.x - 1, at.y, 2, 1);
}

bool Numeric(const std::string& s) {
    return !s.empty() && s.find_first_not_of("0123456789.") == std::string::npos;
}

TEST(EngineReadoutsRun, TheJetsN1ShowsItsTenthsAfterAPoint) {
    if (!StarterRun::Built()) GTEST_SKIP() << "the starter installation is not built";
    StarterRun run("zephlon-n1", "JetFly.Flt");
    // Running engines at idle with the brakes set, then the throttles up a step at a time, then
    // full: each photographed and saved at once.
    std::string script = "frame-interval 100\nwait 1000\nmenu 687\nkey B press\nwait 3000\n";
    const auto shoot = [&](int i) {
        const std::string n = std::to_string(i);
        script += "screenshot " + run.Dir().Path(n + ".bmp") + "\nsave " +
                  run.Dir().Path(n + ".flt") + "\n";
    };
    shoot(0);
    constexpr int kSteps = 4;
    for (int i = 1; i <= kSteps; ++i) {
        for (int s = 0; s < 5; ++s)
            script += "key = press\n";
        script += "wait 3000\n";
        shoot(i);
    }
    script += "key Back press\nwait 4000\n";
    shoot(kSteps + 1);
    script += "quit\n";
    const auto r = run.Play(script);
    ASSERT_EQ(r.status, 0) << r.out;
    const auto font = testsupport::InstalledPanelFont("j_panel.pft");
    ASSERT_TRUE(font);
    const Inks k = InksOf(*font);
    ASSERT_GE(k.digit, 0);

    double last[2] = {0, 0};
    int lastTape[2] = {0, 0};
    for (int i = 0; i <= kSteps + 1; ++i) {
        SCOPED_TRACE("shot " + std::to_string(i));
        const std::string n = std::to_string(i);
        const IndexedPicture p = testsupport::ScreenIndices(run.Dir().Read(n + ".bmp"));
        ASSERT_GT(p.width, 0);
        const std::string flight = run.Dir().Read(n + ".flt");
        int e = 0;
        for (const cockpit::PanelGauge* g : {&cockpit::theTachometer1, &cockpit::theTachometer2}) {
            const cockpit::PanelRow* row = RowOf(4, cockpit::PanelOp::EngineReadout, g);
            ASSERT_NE(row, nullptr);
            const std::string shown = ReadN1(p, *font, k, OnScreen(4, *row));
            ASSERT_TRUE(Numeric(shown)) << "engine " << e << " reads \"" << shown << "\"";
            const double percent = std::stod(shown);
            // The engine's gas-generator speed the flight keeps, in tenths of a percent.
            const long long tenths = testsupport::SavedValue(flight, e == 0 ? "tachometer1IconNum"
                                                                            : "tachometer2IconNum")
                                         .value_or(-1);
            if (tenths < 1000) {
                EXPECT_NE(shown.find('.'), std::string::npos) << shown;
                EXPECT_NEAR(percent, tenths / 10.0, 0.01) << shown;
            } else {
                EXPECT_EQ(shown.find('.'), std::string::npos) << shown;
                EXPECT_EQ(static_cast<long long>(percent), tenths / 10) << shown;
            }
            // Idle near half the rated speed, full throttle about the rated speed; more
            // throttle, more speed.
            if (i == 0) {
                EXPECT_TRUE(percent > 45 && percent < 65) << shown;
            } else {
                EXPECT_GT(percent, last[e]) << shown;
            }
            if (i == kSteps + 1) {
                EXPECT_TRUE(percent >= 99 && percent <= 104) << shown;
            }
            last[e] = percent;
            // The ITT tape beside it stands a pixel for every 10 degrees its readout shows, and
            // rises with the power.
            const cockpit::PanelGauge* itt[2] = {&cockpit::thePropPitchLever,
                                                 &cockpit::thePropPitchLever2};
            const cockpit::PanelGauge* tapes[2] = {&cockpit::theExhaustTempGauge,
                                                   &cockpit::theExhaustTempGauge2};
            const cockpit::PanelRow* ittRow = RowOf(4, cockpit::PanelOp::EngineReadout, itt[e]);
            const cockpit::PanelRow* tapeRow = RowOf(4, cockpit::PanelOp::TapeGauge, tapes[e]);
            ASSERT_TRUE(ittRow != nullptr && tapeRow != nullptr);
            const cockpit::IntPoint ittAt = OnScreen(4, *ittRow), base = OnScreen(4, *tapeRow);
            const std::string degrees =
                testsupport::ReadPanelText(p, *font, ittAt.x, ittAt.y, 3, kPitch, kDigits);
            ASSERT_TRUE(Numeric(degrees)) << degrees;
            int tape = -1;
            while (tape < 100 && p.At(base.x, base.y - tape - 1) == tapeRow->arg[0])
                ++tape;
            EXPECT_NEAR(tape, std::stoi(degrees) / 10, 1) << "ITT " << degrees;
            if (i > 0) {
                EXPECT_GT(tape, lastTape[e]) << "ITT " << degrees;
            }
            lastTape[e] = tape;
            ++e;
        }
    }
}

// The jet's ITT readouts after both engines are stopped from idle: hot at once, falling every
// half minute, through half their excess over the air within two minutes, and within a few
// degrees of the outside air (the panel's OAT window) after six.
TEST(EngineReadoutsRun, TheJetsIttCoolsTowardTheOutsideAirAfterAStop) {
    if (!StarterRun::Built()) GTEST_SKIP() << "the starter installation is not built";
    StarterRun run("zephlon-itt", "JetFly.Flt");
    const int kAfter[] = {1, 30, 60, 120, 360};
    std::string script =
        "frame-interval 200\nwait 1000\nmenu 687\nkey B press\nwait 3000\n"
        "screenshot " +
        run.Dir().Path("run.bmp") + "\nkey O press\nkey Alt+O press\n";
    int at = 0;
    for (int s : kAfter) {
        script += "wait " + std::to_string((s - at) * 1000) + "\nscreenshot " +
                  run.Dir().Path("t" + std::to_string(s) + ".bmp") + "\n";
        at = s;
    }
    script += "save " + run.Dir().Path("stopped.flt") + "\nquit\n";
    const auto r = run.Play(script);
    ASSERT_EQ(r.status, 0) << r.out;
    ASSERT_EQ(testsupport::SavedValue(run.Dir().Read("stopped.flt"), "fmEngines"), 0) << r.out;
    const auto small = testsupport::InstalledPanelFont("j_panel.pft");
    const auto panel = testsupport::InstalledPanelFont("panel_j.pft");
    ASSERT_TRUE(small && panel);

    // The outside air, from the OAT window (degrees Fahrenheit).
    const cockpit::PanelRow* oatRow =
        RowOf(4, cockpit::PanelOp::OutsideAirTemperature, &cockpit::theTemperatureGauge);
    ASSERT_NE(oatRow, nullptr);
    const cockpit::IntPoint oatAt = OnScreen(4, *oatRow);
    const IndexedPicture last = testsupport::ScreenIndices(run.Dir().Read("t360.bmp"));
    const std::string oat = testsupport::ReadPanelText(last, *panel, oatAt.x, oatAt.y, 3,
                                                       cockpit::kDigitPitch, "0123456789-");
    ASSERT_TRUE(Numeric(oat)) << oat;
    const double air = (std::stod(oat) - 32) / 1.8;

    for (const cockpit::PanelGauge* g :
         {&cockpit::thePropPitchLever, &cockpit::thePropPitchLever2}) {
        const cockpit::PanelRow* row = RowOf(4, cockpit::PanelOp::EngineReadout, g);
        ASSERT_NE(row, nullptr);
        const cockpit::IntPoint p = OnScreen(4, *row);
        const auto read = [&](const std::string& name) {
            const std::string s =
                testsupport::ReadPanelText(testsupport::ScreenIndices(run.Dir().Read(name)), *small,
                                           p.x, p.y, 3, kPitch, kDigits);
            EXPECT_TRUE(Numeric(s)) << name << ": \"" << s << "\"";
            return Numeric(s) ? std::stod(s) : -1000.0;
        };
        const double running = read("run.bmp");
        EXPECT_GE(running, 400) << "an idling turbine runs hot";
        std::vector<double> after;
        for (int s : kAfter)
            after.push_back(read("t" + std::to_string(s) + ".bmp"));
        EXPECT_GE(after[0], running - 30) << "the readout fell at once";
        for (std::size_t i = 1; i < after.size(); ++i)
            EXPECT_LT(after[i], after[i - 1] - 2) << kAfter[i] << " s after the stop";
        EXPECT_LT(after[3] - air, (after[0] - air) / 2) << "two minutes after the stop";
        EXPECT_GT(after[3] - air, 10) << "cooled too fast";
        EXPECT_NEAR(after[4], air, 10) << "six minutes after the stop";
    }
}

// The turbine panels' altimeter setting windows show inches with a point: 29.92 at the start,
// 30.02 after ten hundredths up (the needle, a hundred feet on, clear of the window).
TEST(EngineReadoutsRun, TheCounterAltimetersShowTheSettingWithAPoint) {
    if (!StarterRun::Built()) GTEST_SKIP() << "the starter installation is not built";
    const struct {
        int type;
        const char* flight;
        const char* font;
    } kTypes[] = {{3, "KingFly.Flt", "k_baro.pft"}, {4, "JetFly.Flt", "j_baro.pft"}};
    for (const auto& c : kTypes) {
        SCOPED_TRACE(c.flight);
        StarterRun run("zephlon-baro", c.flight);
        std::string script =
            "frame-interval 100\nwait 1000\nscreenshot " + run.Dir().Path("0.bmp") + "\n";
        for (int i = 0; i < 10; ++i)
            script += "key Shift+. press\n";
        script += "wait 1000\nscreenshot " + run.Dir().Path("1.bmp") + "\nquit\n";
        const auto r = run.Play(script);
        ASSERT_EQ(r.status, 0) << r.out;
        const auto font = testsupport::InstalledPanelFont(c.font);
        ASSERT_TRUE(font);
        const Inks k = InksOf(*font);
        ASSERT_GE(k.digit, 0);
        const cockpit::PanelRow* row =
            RowOf(c.type, cockpit::PanelOp::CounterAltimeter, &cockpit::theAltimeter);
        ASSERT_NE(row, nullptr);
        const cockpit::IntPoint drums = OnScreen(c.type, *row);
        // The digits' first cell and baseline below the drums.
        const cockpit::IntPoint at{drums.x + 16, drums.y + 24};
        const char* wanted[2] = {"29.92", "30.02"};
        for (int i = 0; i < 2; ++i) {
            const IndexedPicture p =
                testsupport::ScreenIndices(run.Dir().Read(std::to_string(i) + ".bmp"));
            ASSERT_GT(p.width, 0);
            EXPECT_EQ(ReadWithPoint(p, *font, k, at.x, at.y, 2, 2), wanted[i]);
        }
    }
}

// The pixels of a screenshot about a point: within a rectangle, and within the radii and the
// clockwise sector from 12 o'clock when `rMax` is set.
struct Area {
    int left, top, right, bottom;
    double rMin = 0, rMax = 0, fromDegrees = 0, toDegrees = 360;
};
std::vector<int> Patch(const IndexedPicture& p, cockpit::IntPoint at, const Area& a) {
    std::vector<int> out;
    for (int y = at.y + a.top; y <= at.y + a.bottom; ++y)
        for (int x = at.x + a.left; x <= at.x + a.right; ++x) {
            if (a.rMax > 0) {
                const double r = std::hypot(x - at.x, y - at.y);
                double d = std::atan2(x - at.x, at.y - y) * 180.0 / 3.14159265358979323846;
                if (d < 0) d += 360.0;
                if (r < a.rMin || r > a.rMax || d < a.fromDegrees || d > a.toDegrees) continue;
            }
            out.push_back(p.At(x, y));
        }
    return out;
}

// How many pixels of two patches differ.
int Differ(const std::vector<int>& a, const std::vector<int>& b) {
    int n = 0;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i)
        n += a[i] != b[i];
    return n;
}

// The King Air's turbine temperature needles and the Bonanza's exhaust pointer after a stop: not
// at their cold marks a second after it, still moving after half a minute, and back where the
// flight showed them before its engines ever ran after six minutes. (The King Air's dial shares
// the turbine temperature with the gas generator's speed, whose needle stays left of 12 o'clock
// and whose short tail the sector's inner radius leaves out; the temperature's needle sweeps the
// upper right.)
TEST(EngineReadoutsRun, ThePropsHotGaugesCoolAfterAStop) {
    if (!StarterRun::Built()) GTEST_SKIP() << "the starter installation is not built";
    struct Gauge {
        const cockpit::PanelGauge* gauge;
        cockpit::PanelOp op;
        Area area;
    };
    const Area kTemperatureSector{-24, -24, 24, 24, 8, 22, 0, 100};
    const std::string cutOff = [] {
        std::string keys;
        for (int i = 0; i < 32; ++i)
            keys += "key Numpad/ press\n";
        return keys;
    }();
    const struct {
        int type;
        const char* flight;
        std::vector<Gauge> gauges;
    } kTypes[] = {
        {3,
         "KingFly.Flt",
         {{&cockpit::theTachometer1, cockpit::PanelOp::TwinNeedle, kTemperatureSector},
          {&cockpit::theTachometer2, cockpit::PanelOp::TwinNeedle, kTemperatureSector}}},
        {1,
         "BonFly.Flt",
         {{&cockpit::theExhaustTempGauge, cockpit::PanelOp::BarPointer, {0, 0, 35, 5}}}},
    };
    for (const auto& c : kTypes) {
        SCOPED_TRACE(c.flight);
        StarterRun run("zephlon-cooling", c.flight);
        const auto shot = [&](const std::string& name) {
            return "screenshot " + run.Dir().Path(name) + "\n";
        };
        // The flight stands with its engines stopped until it is restarted; the mixture or
        // condition levers to cut-off stop them.
        const auto r = run.Play("frame-interval 200\nwait 1000\n" + shot("cold.bmp") +
                                "menu 687\nkey B press\nwait 5000\n" + shot("run.bmp") + cutOff +
                                "wait 1000\n" + shot("t1.bmp") + "wait 30000\n" + shot("t31.bmp") +
                                "wait 330000\n" + shot("t361.bmp") + "save " +
                                run.Dir().Path("stopped.flt") + "\nquit\n");
        ASSERT_EQ(r.status, 0) << r.out;
        ASSERT_EQ(testsupport::SavedValue(run.Dir().Read("stopped.flt"), "fmEngines"), 0) << r.out;
        const char* names[] = {"cold.bmp", "run.bmp", "t1.bmp", "t31.bmp", "t361.bmp"};
        std::vector<IndexedPicture> shots;
        for (const char* n : names)
            shots.push_back(testsupport::ScreenIndices(run.Dir().Read(n)));
        for (const Gauge& g : c.gauges) {
            const cockpit::PanelRow* row = RowOf(c.type, g.op, g.gauge);
            ASSERT_NE(row, nullptr);
            const cockpit::IntPoint at = OnScreen(c.type, *row);
            std::vector<std::vector<int>> patch;
            for (const IndexedPicture& p : shots)
                patch.push_back(Patch(p, at, g.area));
            ASSERT_GT(Differ(patch[1], patch[0]), 0) << "the running engine's gauge reads cold";
            EXPECT_GT(Differ(patch[2], patch[0]), 0) << "cold a second after the stop";
            EXPECT_GT(Differ(patch[3], patch[2]), 0) << "standing still after the stop";
            EXPECT_GT(Differ(patch[3], patch[0]), 0) << "cold half a minute after the stop";
            EXPECT_EQ(Differ(patch[4], patch[0]), 0) << "not cold six minutes after the stop";
        }
    }
}

}  // namespace
