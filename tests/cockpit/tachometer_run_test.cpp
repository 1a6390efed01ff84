// The Skyhawk's tachometer as the pilot reads it: in level cruise on the altitude hold at the
// cruise table's 75 % power (the throttle lever that burns its fuel flow), the needle in the
// screenshot, read about its pivot by the dial's graduation, shows the handbook's 2,400 rpm.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

#include "cockpit/gauges.h"
#include "cockpit/instruments.h"
#include "cockpit/panel_layouts.h"
#include "flight/flight_probe.h"
#include "flight/published_performance.h"
#include "support/dial_reading.h"
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

cockpit::IntPoint TachometerPivot() {
    int count = 0;
    const cockpit::PanelRow* rows = cockpit::PanelRowsOf(0, &count);
    for (int i = 0; i < count; ++i)
        if (rows[i].gauge == &cockpit::theTachometer1)
            return {rows[i].x, rows[i].y + cockpit::PanelOffsetFor(0, 0)};
    return {-1, -1};
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
    flight::ProbeSelectAircraft(0);
    flight::ProbePlaceInFlight(feet, point->trueAirspeedKnots);
    const int target = std::clamp(
        static_cast<int>(std::lround(flight::ProbeThrottleForFuelFlow(flight::ProbeTableFuelToKgPerHourPerEngine(
                                         0, point->fuelFlow)) /
                                     1057.0)),
        0, 31);
    int lever = static_cast<int>(SavedValue(flight, "throttle").value_or(0));
    std::string script = "frame-interval 250\nwait 1000\nscreenshot " + run.Dir().Path("rest.bmp") +
                         "\nmenu 687\nwait 1000\nkey Shift+C press\nkey Shift+X press\n"
                         "key Shift+Z press\nframe-interval 1000\n";
    for (; lever < target; ++lever) script += "key = press\n";
    for (; lever > target; --lever) script += "key - press\n";
    script += "wait 120000\nframe-interval 250\nwait 1000\nscreenshot " + run.Dir().Path("cruise.bmp") +
              "\nquit\n";
    const auto r = run.Play(script);
    ASSERT_EQ(r.status, 0) << r.out;

    const auto rest = testsupport::ReadScreenshot(run.Dir().Read("rest.bmp"), kWidth, kHeight);
    const auto cruise = testsupport::ReadScreenshot(run.Dir().Read("cruise.bmp"), kWidth, kHeight);
    ASSERT_FALSE(rest.empty());
    ASSERT_FALSE(cruise.empty());
    const cockpit::IntPoint pivot = TachometerPivot();
    const std::optional<double> degrees =
        testsupport::NeedleDegrees(cruise, rest, kWidth, pivot.x, pivot.y, 6, 16);
    ASSERT_TRUE(degrees.has_value()) << "no needle on the tachometer";
    const std::optional<double> rpm = testsupport::DialValue(*degrees, &TachometerFrame, 0, 3500, 1);
    ASSERT_TRUE(rpm.has_value()) << *degrees << " degrees";
    EXPECT_NEAR(*rpm, 2400, 100) << "needle at " << *degrees << " degrees, lever " << target;
}

}  // namespace
