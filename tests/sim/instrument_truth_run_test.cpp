// What the pilot reads and hears after loading a shipped flight in the starter installation,
// against the truth: every altimeter reads the aircraft's true altitude and rises by about
// 1,000 ft an inch when its knob turns the setting up; the oil gauges of a running engine sit in
// their green bands; every in-air flight holds its height hands off; and the first flight's engine
// is silent until the starter turns it, then sounds and follows the throttle.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "cockpit/gauges.h"
#include "cockpit/panel_art_tables.h"
#include "cockpit/panel_click_regions.h"
#include "cockpit/panel_layouts.h"
#include "core/ini_file.h"
#include "support/audio.h"
#include "support/dial_reading.h"
#include "support/screenshot.h"
#include "support/starter_run.h"

namespace {

namespace fs = std::filesystem;
using testsupport::StarterRun;

constexpr int kWidth = 640, kHeight = 480;

double Reported(const std::string& out, const std::string& key, std::size_t from = 0) {
    const std::size_t at = out.find(" " + key + "=", from);
    if (at == std::string::npos) return std::nan("");
    return std::atof(out.c_str() + at + key.size() + 2);
}

std::vector<std::uint32_t> Shot(const StarterRun& run, const std::string& name) {
    return testsupport::ReadScreenshot(run.Dir().Read(name), kWidth, kHeight);
}

// The shipped flights, with their aircraft types and whether they start in the air.
struct ShippedFlight {
    std::string name;
    int type;
    bool inAir;
};
std::vector<ShippedFlight> ShippedFlights() {
    std::vector<ShippedFlight> out;
    for (const fs::directory_entry& e : fs::directory_iterator(StarterRun::Install() / "Flights")) {
        core::IniFile f(e.path().string().c_str());
        out.push_back({e.path().filename().string(),
                       static_cast<int>(f.GetInt("Aircraft", "type", 0)),
                       f.GetInt("Aircraft", "fmOTG", 1) == 0});
    }
    std::sort(out.begin(), out.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    return out;
}

// A run that loads a shipped flight as the pilot does, from the restart of the first flight.
std::string LoadFlight(StarterRun& run, const std::string& name) {
    run.Dir().Write("Flights/Startup.Flt", run.Dir().Read("Flights/" + name));
    return "frame-interval 100\nwait 1000\nmenu 687\n";
}

const cockpit::PanelRow* RowOf(int type, const cockpit::PanelGauge* gauge,
                               cockpit::PanelSection section) {
    int count = 0;
    const cockpit::PanelRow* rows = cockpit::PanelRowsOf(type, &count);
    for (int i = 0; i < count; ++i)
        if (rows[i].gauge == gauge && rows[i].section == section) return &rows[i];
    for (int i = 0; i < count; ++i)
        if (rows[i].gauge == gauge) return &rows[i];
    return nullptr;
}

// ---- the altimeters --------------------------------------------------------------------------

// `shot` with the altimeter's windows (setting, low-altitude flag, drums) taken from `other`:
// their digits change with the setting, and only the hands are to be read.
std::vector<std::uint32_t> WithoutWindows(const cockpit::PanelRow& row, int offset,
                                          std::vector<std::uint32_t> shot,
                                          const std::vector<std::uint32_t>& other) {
    const int x = row.x, y = row.y + offset;
    auto mask = [&](int left, int top, int right, int bottom) {
        for (int v = top - 1; v <= bottom + 1; ++v)
            for (int u = left - 1; u <= right + 1; ++u)
                if (u >= 0 && v >= 0 && u < kWidth && v < kHeight)
                    shot[static_cast<std::size_t>(v) * kWidth + u] =
                        other[static_cast<std::size_t>(v) * kWidth + u];
    };
    if (row.op == cockpit::PanelOp::CounterAltimeter) {
        mask(x - 20, y, x + cockpit::kDrumWidth - 1, y + 18);
        mask(x + cockpit::kBaroDigitsX, y + cockpit::kBaroDigitsY - cockpit::kSmallDigitHeight,
             x + cockpit::kBaroDigitsX + cockpit::kBaroWindowWidth - 1,
             y + cockpit::kBaroDigitsY - 1);
    } else {
        const cockpit::ThreePointerVariant& v = cockpit::kThreePointer[row.arg[0]];
        mask(x + v.baro.x, y + v.baro.y, x + v.baro.x + cockpit::kBaroStripWidth - 1,
             y + v.baro.y + 14);
        mask(x + v.lowFlag.x, y + v.lowFlag.y, x + v.lowFlag.x + 17, y + v.lowFlag.y + 10);
    }
    return shot;
}

// Feet the altimeter shows in `shot`, read against `other` (the same dial at another height):
// three pointers (the long hand's hundreds, the fat hand's thousands, the ten-thousands taken
// nearest to `near`) or the counter's pointer (hundreds, the thousands taken nearest to `near`).
// Nothing when a hand cannot be found.
std::optional<double> AltimeterFeet(int type, const std::vector<std::uint32_t>& shot,
                                    const std::vector<std::uint32_t>& other, double near) {
    const cockpit::PanelRow* row =
        RowOf(type, &cockpit::theAltimeter, cockpit::PanelSection::Always);
    if (row == nullptr) return std::nullopt;
    const int offset = cockpit::PanelOffsetFor(type, 0);
    const bool counter = row->op == cockpit::PanelOp::CounterAltimeter;
    const int px = row->x + (counter ? 13 : 0), py = row->y + offset + (counter ? 9 : 0);
    const std::vector<std::uint32_t> hands = WithoutWindows(*row, offset, shot, other);
    const std::optional<double> hundredHand =
        testsupport::NeedleDegrees(hands, other, kWidth, px, py, 26, 38);
    if (!hundredHand) return std::nullopt;
    const double hundreds = *hundredHand / 360.0 * 1000.0;
    // The thousands the fat hand shows (a tenth of a turn each); the counter's drums are not read.
    double step = 1000.0, base = hundreds;
    if (!counter) {
        const std::optional<double> thousandHand =
            testsupport::HandDegrees(hands, other, kWidth, px, py, 10, 22, *hundredHand, 8, 6);
        const double turn = (thousandHand ? *thousandHand : *hundredHand) / 36.0;
        const double thousands = std::fmod(std::round(turn - hundreds / 1000.0) + 10.0, 10.0);
        step = 10000.0;
        base = thousands * 1000.0 + hundreds;
    }
    // The turns the hands cannot tell apart, nearest to `near`.
    return base + std::round((near - base) / step) * step;
}

class AltimeterTruth : public ::testing::TestWithParam<const char*> {};

TEST_P(AltimeterTruth, ReadsTheTrueAltitudeAndRisesWithItsKnob) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    const std::string name = GetParam();
    StarterRun run("zephlon-altimeter");
    core::IniFile flight((StarterRun::Install() / "Flights" / name).string().c_str());
    const int type = flight.GetInt("Aircraft", "type", 0);
    // The setting knob's right half, clicked 50 times: 0.50 inHg up.
    const cockpit::PanelClickTable& table = cockpit::kPanelClickTables[type];
    const cockpit::PanelClickRegion* knob = nullptr;
    for (int i = 0; i < table.count; ++i)
        if (table.regions[i].area == cockpit::PanelArea::AltimeterKnob) knob = &table.regions[i];
    ASSERT_NE(knob, nullptr);
    const std::string at =
        std::to_string(knob->a + knob->c * 3 / 4) + " " + std::to_string(knob->b + knob->c / 2);
    std::string script = LoadFlight(run, name) + "wait 5000\nscreenshot " +
                         run.Dir().Path("before.bmp") + "\nreport alt_ft\n";
    for (int i = 0; i < 50; ++i)
        script += "mouse " + at + " left-click\nwait 100\n";
    script += "wait 5000\nscreenshot " + run.Dir().Path("after.bmp") + "\nreport alt_ft\nquit\n";
    const auto r = run.Play(script);
    ASSERT_EQ(r.status, 0) << r.out;
    const std::size_t first = r.out.find("report alt_ft");
    const double before = Reported(r.out, "alt_ft", first);
    const double after = Reported(r.out, "alt_ft", r.out.find("report alt_ft", first + 1));
    const auto shotBefore = Shot(run, "before.bmp");
    const auto shotAfter = Shot(run, "after.bmp");
    ASSERT_FALSE(shotBefore.empty());
    ASSERT_FALSE(shotAfter.empty());
    const std::optional<double> read = AltimeterFeet(type, shotBefore, shotAfter, before);
    ASSERT_TRUE(read.has_value()) << "no hands found";
    EXPECT_NEAR(*read, before, 20.0) << "the altimeter, against the true altitude";
    const std::optional<double> raised = AltimeterFeet(type, shotAfter, shotBefore, after + 500);
    ASSERT_TRUE(raised.has_value()) << "no hands found after the knob";
    // The reading's rise, less the aircraft's own climb meanwhile.
    const double rise = *raised - *read - (after - before);
    EXPECT_GE(rise, 450.0) << "0.50 inHg more setting";
    EXPECT_LE(rise, 550.0) << "0.50 inHg more setting";
}

// The flights the data maker ships.
INSTANTIATE_TEST_SUITE_P(ShippedFlights, AltimeterTruth,
                         ::testing::Values("Startup.Flt", "Lesson.Flt", "Cruise.Flt",
                                           "C172Stop.Flt", "C172Fly.Flt", "BonStop.Flt",
                                           "BonFly.Flt", "BarStop.Flt", "BarFly.Flt",
                                           "KingStop.Flt", "KingFly.Flt", "JetStop.Flt",
                                           "JetFly.Flt"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             std::string n = info.param;
                             return n.substr(0, n.find('.'));
                         });

// ---- the oil gauges ----------------------------------------------------------------------------

// Whether the bar pointer of a gauge is drawn in its band's green (the pointer's upper part takes
// the band's light green inside the band, and white outside it).
bool PointerInGreen(const std::vector<std::uint32_t>& shot, int type,
                    const cockpit::PanelGauge* gauge) {
    const cockpit::PanelSection section =
        type == 2 ? cockpit::PanelSection::StackSwapped : cockpit::PanelSection::FullView;
    const cockpit::PanelRow* row = RowOf(type, gauge, section);
    if (row == nullptr) return false;
    const int top = row->y + cockpit::PanelOffsetFor(type, 0);
    const int upper = row->arg[0];
    int green = 0;
    for (int y = top; y <= top + upper; ++y)
        for (int x = row->x; x <= row->x + 50; ++x) {
            const std::uint32_t c = shot[static_cast<std::size_t>(y) * kWidth + x];
            const int red = (c >> 16) & 0xFF, grn = (c >> 8) & 0xFF, blue = c & 0xFF;
            green += grn >= 150 && grn > red + 40 && grn > blue + 40;
        }
    return green >= upper + 1;
}

// Also after the battery master was switched off and on again with the engines running: the
// gauges read nothing without power and the oil's state again with it.
TEST(InstrumentTruth, OilNeedlesSitInTheirGreenBandsFiveSecondsAfterALoad) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    for (const char* name : {"C172Fly.Flt", "BonFly.Flt", "BarFly.Flt", "Cruise.Flt"})
        for (const bool batteryCycled : {false, true}) {
            SCOPED_TRACE(std::string(name) + (batteryCycled ? ", battery off and on" : ""));
            StarterRun run("zephlon-oil");
            core::IniFile flight((StarterRun::Install() / "Flights" / name).string().c_str());
            const int type = flight.GetInt("Aircraft", "type", 0);
            // The Baron shows its oil gauges in the radio stack's place (Tab).
            const auto r =
                run.Play(LoadFlight(run, name) + (type == 2 ? "key Tab press\n" : "") +
                         (batteryCycled ? "wait 2000\nkey Z press\nwait 3000\nkey Z press\n" : "") +
                         "wait 5000\nscreenshot " + run.Dir().Path("oil.bmp") + "\nquit\n");
            ASSERT_EQ(r.status, 0) << r.out;
            const auto shot = Shot(run, "oil.bmp");
            ASSERT_FALSE(shot.empty());
            std::vector<const cockpit::PanelGauge*> gauges = {&cockpit::theOilTempGauge,
                                                              &cockpit::theOilPressureGauge};
            if (type == 2) {
                gauges.push_back(&cockpit::theOilTempGauge2);
                gauges.push_back(&cockpit::theOilPressureGauge2);
            }
            for (std::size_t i = 0; i < gauges.size(); ++i)
                EXPECT_TRUE(PointerInGreen(shot, type, gauges[i])) << "gauge " << i;
        }
}

// ---- the first frame after a load ------------------------------------------------------------

// Pixels of `a` that differ from `b`, and red ones of `a` (a warning flag's), within `radius` of
// a point.
struct DialPixels {
    int changed = 0, red = 0;
};
DialPixels Within(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b, int cx,
                  int cy, int radius) {
    DialPixels out;
    for (int y = cy - radius; y <= cy + radius; ++y)
        for (int x = cx - radius; x <= cx + radius; ++x) {
            if (x < 0 || y < 0 || x >= kWidth || y >= kHeight) continue;
            if ((x - cx) * (x - cx) + (y - cy) * (y - cy) > radius * radius) continue;
            const std::uint32_t c = a[static_cast<std::size_t>(y) * kWidth + x];
            out.changed += c != b[static_cast<std::size_t>(y) * kWidth + x] ? 1 : 0;
            out.red += ((c >> 16) & 0xFF) >= 180 && ((c >> 8) & 0xFF) < 90 && (c & 0xFF) < 90;
        }
    return out;
}

// The first frame drawn after an in-air flight is loaded (by the restart) already shows its
// airspeed and heading, with no receiver's flag that the flight a second later does not show:
// the airspeed needle points where it points a second later, the heading instrument barely
// changes, and it shows as much red.
TEST(InstrumentTruth, TheFirstFrameAfterALoadShowsTheFlightsAirspeedAndHeading) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    for (const char* name :
         {"C172Air.Flt", "BonAir.Flt", "BarAir.Flt", "KingAir.Flt", "JetAir.Flt"}) {
        SCOPED_TRACE(name);
        StarterRun run("zephlon-first-frame", name);
        core::IniFile flight((StarterRun::Install() / "Flights" / name).string().c_str());
        const int type = flight.GetInt("Aircraft", "type", 0);
        const auto r = run.Play("frame-interval 20\nwait 1000\nmenu 687\nwait 20\nscreenshot " +
                                run.Dir().Path("first.bmp") + "\nwait 1000\nscreenshot " +
                                run.Dir().Path("later.bmp") + "\nquit\n");
        ASSERT_EQ(r.status, 0) << r.out;
        const auto first = Shot(run, "first.bmp"), later = Shot(run, "later.bmp");
        ASSERT_FALSE(first.empty());
        ASSERT_FALSE(later.empty());
        const int offset = cockpit::PanelOffsetFor(type, 0);
        int count = 0;
        const cockpit::PanelRow* rows = cockpit::PanelRowsOf(type, &count);
        for (int i = 0; i < count; ++i) {
            const cockpit::PanelRow& row = rows[i];
            const int x = row.x, y = row.y + offset;
            if (row.gauge == &cockpit::theAirspeedIndicator) {
                const auto was = testsupport::NeedleDegrees(first, later, kWidth, x, y, 12, 34);
                const auto is = testsupport::NeedleDegrees(later, first, kWidth, x, y, 12, 34);
                if (was || is) {
                    ASSERT_TRUE(was && is) << "a needle on one frame only";
                    const double apart = std::abs(std::remainder(*was - *is, 360.0));
                    EXPECT_LE(apart, 8.0)
                        << "airspeed needle at " << *was << " degrees, then " << *is;
                }
            } else if (row.op == cockpit::PanelOp::HsiC172 || row.op == cockpit::PanelOp::HsiTwin ||
                       row.op == cockpit::PanelOp::HsiTurbine) {
                const DialPixels was = Within(first, later, x, y, 38);
                const DialPixels is = Within(later, first, x, y, 38);
                EXPECT_LE(was.changed, 150) << "the heading instrument, first against later";
                EXPECT_NEAR(was.red, is.red, 4) << "red on the heading instrument";
            }
        }
    }
}

// ---- the in-air flights ------------------------------------------------------------------------

TEST(InstrumentTruth, EveryInAirFlightHoldsItsHeightOrPathForAMinuteHandsOff) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    int flown = 0;
    for (const ShippedFlight& f : ShippedFlights()) {
        if (!f.inAir) continue;
        SCOPED_TRACE(f.name);
        ++flown;
        StarterRun run("zephlon-in-air");
        std::string script = LoadFlight(run, f.name) + "frame-interval 500\nwait 1000\n";
        for (int i = 0; i <= 60; ++i)
            script += "report alt_ft\nwait 1000\n";
        const auto r = run.Play(script + "quit\n");
        ASSERT_EQ(r.status, 0) << r.out;
        std::vector<double> feet;
        for (std::size_t at = r.out.find("report alt_ft"); at != std::string::npos;
             at = r.out.find("report alt_ft", at + 1))
            feet.push_back(Reported(r.out, "alt_ft", at));
        ASSERT_EQ(feet.size(), 61u);
        // The finals descend on their approach path, steadily: measured from the straight line
        // of that descent; the others level.
        const bool final = std::string(f.name).find("Final") != std::string::npos;
        const double perSecond = final ? (feet.back() - feet.front()) / 60.0 : 0.0;
        if (final) {
            EXPECT_GT(-perSecond * 60.0, 250.0) << "feet a minute down the approach";
            EXPECT_LT(-perSecond * 60.0, 650.0) << "feet a minute down the approach";
        }
        double worst = 0;
        for (std::size_t i = 0; i < feet.size(); ++i)
            worst = std::max(worst, std::abs(feet[i] - feet.front() - perSecond * i));
        EXPECT_LE(worst, 100.0) << "feet from the height (or path) it was loaded at";
    }
    EXPECT_GE(flown, 1) << "the lessons' cruise, at least";
}

// ---- the engine sound
// ----------------------------------------------------------------------------

TEST(InstrumentTruth, TheFirstFlightsEngineIsSilentUntilStartedThenFollowsTheThrottle) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    StarterRun run("zephlon-engine-sound");
    const auto r =
        run.Play(testsupport::CommittedScript("sim/scripts/engine-sound.simrun", run.Dir().Root()));
    ASSERT_EQ(r.status, 0) << r.out;
    const testsupport::WavFile before = testsupport::ReadWav16(run.Dir().Read("before.wav"));
    const testsupport::WavFile idle = testsupport::ReadWav16(run.Dir().Read("idle.wav"));
    const testsupport::WavFile full = testsupport::ReadWav16(run.Dir().Read("full.wav"));
    ASSERT_GT(before.samples.size(), 2u * 11025);
    EXPECT_LT(testsupport::Rms(testsupport::Channel(before.samples, 0)), 1.0)
        << "an engine sounds before the starter turned it";
    auto tail = [](const testsupport::WavFile& w) {
        const std::size_t frames = w.samples.size() / 2, two = 2 * 11025;
        return testsupport::Channel(w.samples, 0, frames > two ? frames - two : 0);
    };
    EXPECT_GT(testsupport::Rms(tail(idle)), 100.0) << "the started engine is silent";
    const double idlePitch = testsupport::Pitch(tail(idle), 11025, 25, 150);
    const double fullPitch = testsupport::Pitch(tail(full), 11025, 25, 150);
    ASSERT_GT(idlePitch, 0);
    EXPECT_GE(fullPitch, 1.5 * idlePitch)
        << idlePitch << " Hz at idle, " << fullPitch << " at full";
}

}  // namespace
