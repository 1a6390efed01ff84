// The tachometers as the pilot reads them: in level cruise on the altitude hold at a cruise
// table's power (the throttle lever that burns its fuel flow), the needle in the screenshot, read
// about its pivot by the dial's graduation, shows the handbook's rpm: the Skyhawk's 2,400 at 75 %,
// the Baron's governed propellers the speed its handbook sets for each power, at any height. A
// flight in the air resumed shows its engine's speed in the first frame after the load, where it
// stands a few seconds later, instead of sweeping up from zero for a second.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cockpit/gauges.h"
#include "cockpit/instruments.h"
#include "cockpit/panel_layouts.h"
#include "flight/flight_probe.h"
#include "flight/published_performance.h"
#include "support/dial_reading.h"
#include "support/flight_track.h"
#include "support/screenshot.h"
#include "support/starter_run.h"

namespace {

using testsupport::SavedValue;
using testsupport::StarterRun;

constexpr int kWidth = 640, kHeight = 480;

// The tachometer's needle frame for an engine speed, as the gauge update and drawing make it.
int TachometerFrame(double rpm) {
    const auto value = static_cast<std::int32_t>(
        rpm > 500 ? std::trunc((rpm - 500) * 0.0419992 + 0.5) + 7 : std::trunc(rpm * 0.0139997 + 0.5));
    return cockpit::SingleTachometerFrame(value);
}

// The Baron's left tachometer: its needle frame for an engine speed.
int BaronTachometerFrame(double rpm) {
    const auto value = static_cast<std::int32_t>(std::max(std::trunc(rpm * 0.036859565) + 26, 53.0));
    return cockpit::TwinTachometerFrame(value);
}

cockpit::IntPoint TachometerPivot(int type) {
    int count = 0;
    const cockpit::PanelRow* rows = cockpit::PanelRowsOf(type, &count);
    for (int i = 0; i < count; ++i)
        if (rows[i].gauge == &cockpit::theTachometer1)
            return {rows[i].x, rows[i].y + cockpit::PanelOffsetFor(type, 0)};
    return {-1, -1};
}

// The throttle lever (of 31 steps) that burns the cruise row's fuel flow at the height.
int CruiseLever(int type, const flight::CruisePoint& point, double feet) {
    flight::ProbeSelectAircraft(type);
    flight::ProbePlaceInFlight(feet, point.trueAirspeedKnots);
    return std::clamp(static_cast<int>(std::lround(
                          flight::ProbeThrottleForFuelFlow(
                              flight::ProbeTableFuelToKgPerHourPerEngine(type, point.fuelFlow)) /
                          1057.0)),
                      0, 31);
}

struct NeedleReading {
    double degrees = 0;
    double rpm = 0;
};

// Starts the run's first flight (`flight`, its text), takes a screenshot at rest (before the
// flight starts or just after), engages the altitude hold, moves the throttle from the flight's
// lever to `target`, cruises `cruiseMs`, and reads the type's left tachometer needle in a second
// screenshot against the first.
void CruiseAndReadTachometer(const StarterRun& run, const std::string& flight, bool restBeforeStart,
                             int target, int cruiseMs, int type, int (*frameOf)(double),
                             NeedleReading* out) {
    const std::string rest = "screenshot " + run.Dir().Path("rest.bmp") + "\n";
    std::string script = "frame-interval 250\nwait 1000\n" + (restBeforeStart ? rest : "") +
                         "menu 687\nwait 1000\n" + (restBeforeStart ? "" : rest) +
                         "key Shift+C press\nkey Shift+X press\nkey Shift+Z press\n"
                         "frame-interval 1000\n";
    int lever = static_cast<int>(SavedValue(flight, "throttle").value_or(0));
    for (; lever < target; ++lever) script += "key = press\n";
    for (; lever > target; --lever) script += "key - press\n";
    script += "wait " + std::to_string(cruiseMs) + "\nframe-interval 250\nwait 1000\nscreenshot " +
              run.Dir().Path("cruise.bmp") + "\nquit\n";
    const auto r = run.Play(script);
    ASSERT_EQ(r.status, 0) << r.out;
    const auto atRest = testsupport::ReadScreenshot(run.Dir().Read("rest.bmp"), kWidth, kHeight);
    const auto cruise = testsupport::ReadScreenshot(run.Dir().Read("cruise.bmp"), kWidth, kHeight);
    ASSERT_FALSE(atRest.empty());
    ASSERT_FALSE(cruise.empty());
    const cockpit::IntPoint pivot = TachometerPivot(type);
    const std::optional<double> degrees =
        testsupport::NeedleDegrees(cruise, atRest, kWidth, pivot.x, pivot.y, 6, 16);
    ASSERT_TRUE(degrees.has_value()) << "no needle on the tachometer";
    const std::optional<double> rpm = testsupport::DialValue(*degrees, frameOf, 0, 3500, 1);
    ASSERT_TRUE(rpm.has_value()) << *degrees << " degrees";
    *out = {*degrees, *rpm};
}

TEST(Tachometer, SkyhawkReadsItsHandbooksRpmAtCruisePower) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    StarterRun run("zephlon-tach", "C172Air.Flt");
    const std::string flight = run.Dir().Read("Flights/C172Air.Flt");
    const double feet = SavedValue(flight, "fmPosY").value_or(0) / 256.0 / 0.3048;
    // The cruise table's row nearest the height, its 75 % fuel flow, and the lever that burns it.
    const flight::PublishedPerformance& pub = flight::PublishedPerformanceForType(0);
    const flight::CruisePoint* point = nullptr;
    for (const flight::CruisePoint& p : pub.cruise)
        if (p.powerPercent == 75 &&
            (!point || std::fabs(p.altitudeFeet - feet) < std::fabs(point->altitudeFeet - feet)))
            point = &p;
    ASSERT_NE(point, nullptr);
    const int target = CruiseLever(0, *point, feet);
    NeedleReading needle;
    ASSERT_NO_FATAL_FAILURE(
        CruiseAndReadTachometer(run, flight, true, target, 120000, 0, &TachometerFrame, &needle));
    EXPECT_NEAR(needle.rpm, 2400, 100) << "needle at " << needle.degrees << " degrees, lever " << target;
}

// A flight with a key's value replaced.
void Put(std::string& flight, const std::string& key, long long value) {
    const std::size_t at = flight.find("\n" + key + "=");
    ASSERT_NE(at, std::string::npos) << key;
    flight.replace(at + 1, flight.find('\n', at + 1) - at - 1, key + "=" + std::to_string(value));
}

struct BaronCruise {
    int powerPercent;
    int altitudeFeet;
};

class BaronTachometer : public ::testing::TestWithParam<BaronCruise> {};

// The in-air start moved to the cruise row's height and true airspeed, the levers set for its
// fuel flow and the altitude hold engaged: after the needle settles it reads the handbook's rpm.
TEST_P(BaronTachometer, ReadsItsHandbooksRpmAtCruisePower) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    const BaronCruise& c = GetParam();
    const flight::PublishedPerformance& pub = flight::PublishedPerformanceForType(2);
    const flight::CruisePoint* point = nullptr;
    for (const flight::CruisePoint& p : pub.cruise)
        if (p.powerPercent == c.powerPercent && p.altitudeFeet == c.altitudeFeet) point = &p;
    ASSERT_NE(point, nullptr);
    double book = 0;
    for (const flight::CruiseRpm& r : pub.cruiseRpm)
        if (r.powerPercent == c.powerPercent) book = r.rpm;
    ASSERT_GT(book, 0) << "no handbook rpm for " << c.powerPercent << " %";
    const int target = CruiseLever(2, *point, point->altitudeFeet);

    StarterRun run("zephlon-tach");
    std::string flight = run.Dir().Read("Flights/BarAir.Flt");
    const double scale = point->trueAirspeedKnots / testsupport::kKnotsPerMetrePerSecond *
                         65536.0 / SavedValue(flight, "fmTAVel").value_or(1);
    for (const char* key : {"fmHVel", "fmTAVel", "fmDeltaX", "fmDeltaZ"})
        Put(flight, key, std::llround(SavedValue(flight, key).value_or(0) * scale));
    Put(flight, "fmPosY", std::llround(point->altitudeFeet * 0.3048 * 256.0));
    run.Dir().Write("Flights/Startup.Flt", flight);

    // At rest before the start (its engines stopped): a restarted flight shows its engines'
    // speed from the first frame.
    NeedleReading needle;
    ASSERT_NO_FATAL_FAILURE(CruiseAndReadTachometer(run, flight, true, target, 20000, 2,
                                                    &BaronTachometerFrame, &needle));
    EXPECT_NEAR(needle.rpm, book, 100) << "needle at " << needle.degrees << " degrees, lever " << target;
}

// Economy and maximum cruise, low and high: the governor holds the set speed at both heights.
const BaronCruise kBaronCruise[] = {{55, 4000}, {55, 12000}, {75, 4000}, {75, 12000}};

INSTANTIATE_TEST_SUITE_P(CruiseTable, BaronTachometer, ::testing::ValuesIn(kBaronCruise),
                         [](const auto& info) {
                             return std::to_string(info.param.powerPercent) + "PercentAt" +
                                    std::to_string(info.param.altitudeFeet) + "Feet";
                         });

// Pixels of the dial about the pivot (its needle's reach) where two pictures differ.
int DialDifference(const std::vector<std::uint32_t>& a, const std::vector<std::uint32_t>& b,
                   cockpit::IntPoint pivot) {
    int n = 0;
    for (int y = pivot.y - 24; y <= pivot.y + 24; ++y)
        for (int x = pivot.x - 24; x <= pivot.x + 24; ++x)
            if ((x - pivot.x) * (x - pivot.x) + (y - pivot.y) * (y - pivot.y) <= 24 * 24)
                n += a[static_cast<std::size_t>(y) * 640 + x] !=
                     b[static_cast<std::size_t>(y) * 640 + x];
    return n;
}

TEST(FirstFrameGaugesRun, AResumedFlightsTachometerStandsAtItsSpeedAtOnce) {
    if (!StarterRun::Built()) GTEST_SKIP() << "the starter installation is not built";
    const struct {
        int type;
        const char* stopped;
        const char* flying;
    } kCases[] = {{0, "C172Stop.Flt", "C172Air.Flt"}, {2, "BarStop.Flt", "BarAir.Flt"}};
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.flying);
        StarterRun run("zephlon-first-frame", c.stopped);
        const std::string d = run.Dir().Root();
        // The installation's flight in the air, kept as the user's own.
        run.Dir().Write("Flights/InAir.Flt", run.Dir().Read("Flights/" + std::string(c.flying)));
        // Parked with the engine stopped, then the flight in the air resumed; the first frame
        // after the dialog, then one three seconds on.
        const auto r = run.Play(std::string("frame-interval 50\nwait 800\nmenu 109\ndialog "
                                            "\"Resume Flight\"\nset 1120 InAir.Flt") +
                                "\nkey Return press\nwait 50\nscreenshot " + d +
                                "/first.bmp\nwait 3000\nscreenshot " + d + "/later.bmp\nquit\n");
        ASSERT_EQ(r.status, 0) << r.out;
        const auto first = testsupport::ReadScreenshot(run.Dir().Read("first.bmp"), 640, 480);
        const auto later = testsupport::ReadScreenshot(run.Dir().Read("later.bmp"), 640, 480);
        ASSERT_FALSE(first.empty() || later.empty());
        const cockpit::IntPoint pivot = TachometerPivot(c.type);
        ASSERT_GE(pivot.x, 0);
        EXPECT_LT(DialDifference(first, later, pivot), 12)
            << "the needle moved after the first frame";
    }
}

}  // namespace
