// Every way of starting in the air, in each of the five aircraft, in the running program on the
// starter installation: the map's VOR tool, the navaid directory's VOR, NDB, ILS and waypoint
// set-ups, the airports wizard's downwind, base, final and en-route starts. Each start is at the
// altitude asked for above sea level (for the wizard, its heights above the airport's published
// elevation), and half a minute later the aircraft still flies within 300 ft of it (the base and
// final descending toward the runway), clear of the ground, at least as fast as the type's
// published stall speed with full flaps, measured from its positions ten seconds apart.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "core/ini_file.h"
#include "flight/published_performance.h"
#include "script_run.h"

namespace {

class AirborneRun : public navtest::ScriptRun, public ::testing::WithParamInterface<int> {};

// The `report alt_ft=... ground_ft=...` lines of a run, in order.
struct Heights {
    double altitude, ground;
};
std::vector<Heights> ReportedHeights(const std::string& out) {
    std::vector<Heights> h;
    for (std::size_t at = out.find("report alt_ft="); at != std::string::npos;
         at = out.find("report alt_ft=", at + 1)) {
        const std::size_t g = out.find("ground_ft=", at);
        h.push_back({std::stod(out.substr(at + 14)), std::stod(out.substr(g + 10))});
    }
    return h;
}

TEST_P(AirborneRun, EveryStartInTheAirFliesOn) {
    const int type = GetParam();
    {
        core::IniFile start(dir.Path("Flights/Startup.Flt").c_str());
        ASSERT_EQ(start.PutInt("Aircraft", "type", type), 1);
    }
    const testsupport::CommandResult r = Play("airborne_starts.simrun");
    ASSERT_EQ(r.status, 0) << r.out;

    double oakland = -1;
    for (const auto& row : navtest::ReadNavCsv("airport.csv"))
        if (row[0] == "KOAK") oakland = std::stod(row[3]);
    ASSERT_GE(oakland, 0);
    // The wizard's heights: 80,000 flight-model units on the downwind and 320,000 en route, at
    // 256 units a metre; the final on the 3-degree path from 12,300 shape units (1.2890625 ft)
    // out to 1,000 ft past the threshold; the base on the steady descent from the pattern height
    // abeam the threshold to that path at the final turn, 12,300 units down the downwind and
    // 8,200 across on base.
    const double unit = 1.0 / 256.0 / 0.3048;
    const double final = (12300 * 1.2890625 + 1000) * std::tan(3.0 * 3.14159265358979 / 180.0);
    const double base = final + (80000 * unit - final) * 8200 / (12300 + 8200);
    // The final descends on that path at the type's approach speed for the half minute: 101.3
    // ft/min a knot times tan 3 degrees.
    constexpr double kApproachKnots[5] = {65, 80, 95, 110, 115};
    const double finalSink =
        kApproachKnots[type] * 6076.12 / 60.0 * std::tan(3.0 * 3.14159265358979 / 180.0) * 0.5;
    const struct {
        const char* start;
        double feet;
        double sink = 0;  // over the half minute
    } starts[] = {{"map VOR tool", 3000},
                  {"directory VOR", 4500},
                  {"directory NDB", 3000},
                  {"directory ILS", 1600},
                  {"directory waypoint", 4500},
                  {"wizard downwind", oakland + 80000 * unit},
                  {"wizard base", oakland + base},
                  {"wizard final", oakland + final, finalSink},
                  {"wizard en route", oakland + 320000 * unit}};
    const std::vector<Heights> heights = ReportedHeights(r.out);
    ASSERT_EQ(heights.size(), 2 * std::size(starts)) << r.out;
    const double stall = flight::PublishedPerformanceForType(type).stallFlapsKnots;
    for (std::size_t i = 0; i < std::size(starts); ++i) {
        const char* what = starts[i].start;
        const Heights& placed = heights[2 * i];
        const Heights& later = heights[2 * i + 1];
        EXPECT_NEAR(placed.altitude, starts[i].feet, 15.0) << what;
        EXPECT_NEAR(later.altitude, starts[i].feet - starts[i].sink, 300.0) << what;
        EXPECT_GT(later.altitude - later.ground, 100.0) << what;
        const Saved a = Read(("start" + std::to_string(i) + "_a.flt").c_str());
        const Saved b = Read(("start" + std::to_string(i) + "_b.flt").c_str());
        const double knots = navtest::Metres(a.lat, a.lon, b.lat, b.lon) / 10.0 / 0.514444;
        EXPECT_GT(knots, stall) << what;
        EXPECT_LT(knots, 400.0) << what;
    }
}

INSTANTIATE_TEST_SUITE_P(FiveAircraft, AirborneRun, ::testing::Values(0, 1, 2, 3, 4));

}  // namespace
