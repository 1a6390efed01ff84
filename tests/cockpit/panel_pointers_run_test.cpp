// The pointers a pilot sets and reads, in the running program: the heading bug turns round the
// heading indicator of every panel as its knob is clicked, to the place the saved bug says; the
// turbines' attitude directors show their bank pointer at the flight's bank; the jet's outside-air
// readout shows the air's temperature from the first frame after a load; and a click on the
// autopilot's GS or TRIM word, which only annunciate, works no mode.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "cockpit/cockpit_systems.h"
#include "cockpit/panel_art_tables.h"
#include "cockpit/panel_click_regions.h"
#include "cockpit/panel_layouts.h"
#include "support/panel_art.h"
#include "support/starter_run.h"

namespace {

using testsupport::IndexedPicture;
using testsupport::StarterRun;

constexpr double kPi = 3.14159265358979;

// The compass angle (clockwise from up) of the middle of the pixels of one colour within a
// ring round a centre, and how many there are; `except` leaves out those of a picture that
// already held them.
struct Spot {
    double degrees = 0;
    int pixels = 0;
};
Spot SpotOf(const IndexedPicture& p, int colour, double cx, double cy, double inner, double outer,
            const IndexedPicture* except = nullptr) {
    double sx = 0, sy = 0;
    Spot s;
    for (int y = static_cast<int>(cy - outer); y <= cy + outer; ++y)
        for (int x = static_cast<int>(cx - outer); x <= cx + outer; ++x) {
            const double r = std::hypot(x - cx, y - cy);
            if (r < inner || r > outer || !p.Holds(x, y) || p.At(x, y) != colour) continue;
            if (except != nullptr && except->At(x, y) == colour) continue;
            sx += x - cx;
            sy += y - cy;
            ++s.pixels;
        }
    s.degrees = std::atan2(sx, -sy) * 180 / kPi;
    return s;
}

// The difference of two compass angles, -180..180.
double Turn(double from, double to) {
    double d = std::fmod(to - from, 360.0);
    if (d > 180) d -= 360;
    if (d < -180) d += 360;
    return d;
}

const cockpit::PanelRow* RowOf(int type, bool (*wanted)(cockpit::PanelOp)) {
    int count = 0;
    const cockpit::PanelRow* rows = cockpit::PanelRowsOf(type, &count);
    for (int i = 0; i < count; ++i)
        if (wanted(rows[i].op)) return &rows[i];
    return nullptr;
}

// Each type parked on its runway.
constexpr const char* kParked[5] = {"C172Stop.Flt", "BonStop.Flt", "BarStop.Flt", "KingStop.Flt",
                                    "JetStop.Flt"};

class HeadingBug : public ::testing::TestWithParam<int> {};

// Clicked 45 times on the right half of the heading knob, then 90 times on its left half: both
// times the bug shows in its colour on the instrument's rim, turned round the centre by what the
// saved flights' bugs differ by (the card stands still, parked).
TEST_P(HeadingBug, TurnsRoundTheCardAsItsKnobIsClicked) {
    const int type = GetParam();
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    const cockpit::PanelRow* hsi = RowOf(type, [](cockpit::PanelOp op) {
        return op == cockpit::PanelOp::HsiC172 || op == cockpit::PanelOp::HsiTwin ||
               op == cockpit::PanelOp::HsiTurbine;
    });
    ASSERT_NE(hsi, nullptr);
    const double cx = hsi->x + 0.5, cy = hsi->y + cockpit::kFullViewOffset[type] + 0.5;
    const cockpit::PanelClickTable& table = cockpit::kPanelClickTables[type];
    const cockpit::PanelClickRegion* knobs = nullptr;
    for (int i = 0; i < table.count; ++i)
        if (table.regions[i].area == cockpit::PanelArea::HeadingCoursePair)
            knobs = &table.regions[i];
    ASSERT_NE(knobs, nullptr);
    // The heading knob's square: its right half turns the bug up, its left half down.
    const int kx = knobs->d, ky = knobs->e + knobs->f / 2, size = knobs->f;
    auto clicks = [](int x, int y, int n) {
        std::string s;
        for (int i = 0; i < n; ++i)
            s += "mouse " + std::to_string(x) + " " + std::to_string(y) + " left-click\nwait 20\n";
        return s;
    };
    StarterRun run("zephlon-bug", kParked[type]);
    auto shot = [&](const std::string& name) {
        return "wait 300\nscreenshot " + run.Dir().Path(name + ".bmp") + "\nsave " +
               run.Dir().Path(name + ".flt") + "\n";
    };
    const auto r =
        run.Play("frame-interval 20\nwait 600\n" + clicks(kx + size - size / 4, ky, 45) +
                 shot("right") + clicks(kx + size / 4, ky, 90) + shot("left") + "quit\n");
    ASSERT_EQ(r.status, 0) << r.out;
    const int colour = cockpit::ColoursOf(type).bug;
    // The bug's tip stands at its radius, its base a bug's size further out.
    const cockpit::HsiStyle& style = cockpit::HsiStyleOf(type);
    const IndexedPicture right = testsupport::ScreenIndices(run.Dir().Read("right.bmp"));
    const IndexedPicture left = testsupport::ScreenIndices(run.Dir().Read("left.bmp"));
    ASSERT_EQ(right.width, 640);
    ASSERT_EQ(left.width, 640);
    const double inner = style.bugRadius - 3, outer = style.bugRadius + style.bugSize + 3;
    const Spot a = SpotOf(right, colour, cx, cy, inner, outer);
    const Spot b = SpotOf(left, colour, cx, cy, inner, outer);
    EXPECT_GT(a.pixels, 5) << "no bug after the clicks to the right";
    EXPECT_GT(b.pixels, 5) << "no bug after the clicks to the left";
    const auto bugA = testsupport::SavedValue(run.Dir().Read("right.flt"), "nav1HSIbug");
    const auto bugB = testsupport::SavedValue(run.Dir().Read("left.flt"), "nav1HSIbug");
    ASSERT_TRUE(bugA && bugB);
    EXPECT_NEAR(Turn(static_cast<double>(*bugA), static_cast<double>(*bugB)), -90, 0.5);
    EXPECT_NEAR(Turn(a.degrees, b.degrees), -90, 6)
        << "the bug stood at " << a.degrees << " and " << b.degrees;
}

INSTANTIATE_TEST_SUITE_P(Panels, HeadingBug, ::testing::Range(0, 5));

class DirectorBank : public ::testing::TestWithParam<int> {};

// The King Air's and the jet's attitude directors in cruise, loaded level and loaded in a 20
// degree bank: the bank pointer shows in its colour at the top of the dial level, and 20 degrees
// round from there in the bank.
TEST_P(DirectorBank, ThePointerStandsAtTheFlightsBank) {
    const int type = GetParam();
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    const char* flight = type == 3 ? "KingAir.Flt" : "JetAir.Flt";
    const cockpit::PanelRow* director =
        RowOf(type, [](cockpit::PanelOp op) { return op == cockpit::PanelOp::AttitudeDirector; });
    ASSERT_NE(director, nullptr);
    const cockpit::AttitudeLayout l = cockpit::AttitudeLayoutForType(type);
    const double cx = l.a + 43 + 0.5, cy = l.b + 43 + 0.5;
    auto shotAt = [&](int bankDegrees) {
        StarterRun run("zephlon-director", flight);
        std::string saved = run.Dir().Read("Flights/Startup.Flt");
        testsupport::PutSavedValue(saved, "fmBank", (bankDegrees * 182 + 65536) % 65536);
        run.Dir().Write("Flights/Startup.Flt", saved);
        const auto r =
            run.Play("frame-interval 20\nwait 300\nscreenshot " + run.Dir().Path("shot.bmp") +
                     "\nsave " + run.Dir().Path("shot.flt") + "\nquit\n");
        EXPECT_EQ(r.status, 0) << r.out;
        const auto bank = testsupport::SavedValue(run.Dir().Read("shot.flt"), "fmBank");
        EXPECT_TRUE(bank.has_value());
        return std::make_pair(testsupport::ScreenIndices(run.Dir().Read("shot.bmp")),
                              static_cast<std::int16_t>(bank.value_or(0)) / 182.0);
    };
    const auto [level, levelBank] = shotAt(0);
    const auto [banked, bank] = shotAt(20);
    ASSERT_EQ(level.width, 640);
    ASSERT_EQ(banked.width, 640);
    const int colour = director->arg[0];
    const Spot top = SpotOf(level, colour, cx, cy, 28, 42, &banked);
    const Spot turned = SpotOf(banked, colour, cx, cy, 28, 42, &level);
    ASSERT_GT(top.pixels, 5) << "no bank pointer level";
    ASSERT_GT(turned.pixels, 5) << "no bank pointer in the bank";
    EXPECT_NEAR(top.degrees, levelBank, 5);
    EXPECT_NEAR(std::fabs(Turn(top.degrees, turned.degrees)), std::fabs(bank - levelBank), 5)
        << "the pointer stood at " << top.degrees << " and " << turned.degrees << " for a bank of "
        << bank;
}

INSTANTIATE_TEST_SUITE_P(Turbines, DirectorBank, ::testing::Values(3, 4));

// The jet loaded on a hot day and on a cold one: a fifth of a second after the load its
// outside-air window already shows the air's temperature, the day's surface temperature less at
// most 8 F (the standard lapse of 3.6 F a thousand feet to any field below 2,200 ft), not the
// freezing point of air not yet worked out.
TEST(OutsideAir, TheJetsReadoutIsRightFromTheFirstFrame) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    const cockpit::PanelRow* oat =
        RowOf(4, [](cockpit::PanelOp op) { return op == cockpit::PanelOp::OutsideAirTemperature; });
    ASSERT_NE(oat, nullptr);
    auto font = testsupport::InstalledPanelFont("panel_j.pft");
    ASSERT_TRUE(font);
    for (const int surface : {86, 41}) {
        StarterRun run("zephlon-oat", "JetFly.Flt");
        run.Dir().Write("Flights/Startup.Flt",
                        run.Dir().Read("Flights/Startup.Flt") +
                            "[Weather]\nsurfTemp=" + std::to_string(surface) + "\n");
        const auto r = run.Play("frame-interval 20\nwait 200\nscreenshot " +
                                run.Dir().Path("shot.bmp") + "\nquit\n");
        ASSERT_EQ(r.status, 0) << r.out;
        const IndexedPicture shot = testsupport::ScreenIndices(run.Dir().Read("shot.bmp"));
        ASSERT_EQ(shot.width, 640);
        const std::string text =
            testsupport::ReadPanelText(shot, *font, oat->x, oat->y + cockpit::kFullViewOffset[4], 3,
                                       cockpit::kDigitPitch, "0123456789");
        ASSERT_EQ(text.find('?'), std::string::npos) << text;
        const int shown = std::stoi(text);
        EXPECT_LE(shown, surface) << "a surface temperature of " << surface;
        EXPECT_GE(shown, surface - 8) << "a surface temperature of " << surface;
    }
}

class AutopilotWords : public ::testing::TestWithParam<int> {};

// With the battery and the avionics on, a click on the middle of the GS word and one on the
// middle of the TRIM word leave every autopilot key of the saved flight as it was; a click on
// the HDG word beside them engages the heading mode.
TEST_P(AutopilotWords, AClickOnAnAnnunciatorWorksNoMode) {
    const int type = GetParam();
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    const cockpit::PanelRow* strip =
        RowOf(type, [](cockpit::PanelOp op) { return op == cockpit::PanelOp::AutopilotPanel; });
    ASSERT_NE(strip, nullptr);
    auto middle = [&](int word) {
        const cockpit::IntRect& r = cockpit::kAutopilotLit[word];
        const cockpit::IntPoint at = cockpit::kAutopilotLabels[word];
        return std::to_string(strip->x + at.x + (r.right - r.left) / 2) + " " +
               std::to_string(strip->y + cockpit::kFullViewOffset[type] + at.y +
                              (r.bottom - r.top) / 2);
    };
    StarterRun run("zephlon-apwords", kParked[type]);
    auto save = [&](const char* name) { return "wait 300\nsave " + run.Dir().Path(name) + "\n"; };
    const auto r = run.Play(
        "frame-interval 20\nwait 300\nkey Z press\nkey X press\n" + save("before.flt") + "mouse " +
        middle(6) + " left-click\n" + save("gs.flt") + "mouse " + middle(7) + " left-click\n" +
        save("trim.flt") + "mouse " + middle(1) + " left-click\n" + save("hdg.flt") + "quit\n");
    ASSERT_EQ(r.status, 0) << r.out;
    static const char* const kKeys[] = {"APalt", "APhdg", "APnav", "APapr",
                                        "APbc",  "APap",  "APgs",  "APtrim"};
    const std::string before = run.Dir().Read("before.flt");
    for (const char* file : {"gs.flt", "trim.flt"}) {
        const std::string after = run.Dir().Read(file);
        for (const char* key : kKeys)
            EXPECT_EQ(testsupport::SavedValue(after, key), testsupport::SavedValue(before, key))
                << file << " " << key;
    }
    EXPECT_EQ(testsupport::SavedValue(run.Dir().Read("hdg.flt"), "APhdg").value_or(0), 1);
}

INSTANTIATE_TEST_SUITE_P(Panels, AutopilotWords, ::testing::Range(0, 5));

}  // namespace
