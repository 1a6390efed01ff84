// The airports wizard's "On final approach" start at Oakland 29 in the running program, on each
// of the five aircraft: the aircraft starts on the 3-degree approach path to the threshold (its
// height against its distance from the threshold of the public data), configured for landing
// (gear down, landing flaps) and, hands off, descends steadily at a pilot's approach rate of a few
// hundred feet a minute, its speed holding.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "core/ini_file.h"
#include "independent_projection.h"
#include "script_run.h"

namespace {

class FinalStart : public navtest::ScriptRun, public ::testing::WithParamInterface<int> {};

TEST_P(FinalStart, DescendsOnThePathConfiguredAndTrimmed) {
    const int type = GetParam();
    {
        core::IniFile start(dir.Path("Flights/Startup.Flt").c_str());
        ASSERT_EQ(start.PutInt("Aircraft", "type", type), 1);
    }
    constexpr int kSeconds = 30;
    std::string script =
        "frame-interval 500\nwait 300\nmenu 320\ndialog AIRPORTS_PAGE\nset 1045 \"(KOAK)\"\n"
        "dialog AIRPORTS_WIZBKGND\nclick 1717\ndialog RUNWAY_PAGE\nset 1059 \"29\"\n"
        "set 1958 \"On final approach\"\ndialog AIRPORTS_WIZBKGND\nclick 1717\nwait 200\n"
        "save " +
        dir.Path("start.flt") + "\nreport alt_ft\nwait 5000\n";
    for (int s = 0; s <= kSeconds; ++s)
        script +=
            "report alt_ft\nsave " + dir.Path("p" + std::to_string(s) + ".flt") + "\nwait 1000\n";
    const auto r = run.Play(script + "quit\n");
    ASSERT_EQ(r.status, 0) << r.out;

    std::vector<double> feet;
    for (std::size_t at = r.out.find("report alt_ft="); at != std::string::npos;
         at = r.out.find("report alt_ft=", at + 1))
        feet.push_back(std::atof(r.out.c_str() + at + 14));
    // The first height is the start's; then one a second from 5 seconds on, when the loaded
    // flight has settled.
    ASSERT_EQ(feet.size(), static_cast<std::size_t>(kSeconds + 2));
    const double placed = feet.front();
    feet.erase(feet.begin());

    double field = 0, thrLat = 0, thrLon = 0;
    for (const auto& a : navtest::ReadNavCsv("airport.csv"))
        if (a[0] == "KOAK") field = std::stod(a[3]);
    for (const auto& rw : navtest::ReadNavCsv("runway.csv"))
        if (rw[0] == "KOAK" && rw[7] == "29") {
            thrLat = std::stod(rw[8]);
            thrLon = std::stod(rw[9]);
        }
    ASSERT_NE(thrLat, 0.0);

    // On the path: 3 degrees down to a point 1,000 ft past the threshold, within 100 ft.
    const Saved start = Read("start.flt");
    const double out = navtest::Metres(thrLat, thrLon, start.lat, start.lon) / 0.3048;
    const double path = (out + 1000.0) * std::tan(3.0 * navtest::kPi / 180.0);
    EXPECT_NEAR(placed - field, path, 100.0) << out << " ft out";

    // Descending steadily: the sink of each 15 seconds a few hundred feet a minute, the second
    // within a tenth of the first.
    const double sink1 = (feet[0] - feet[15]) * 4.0, sink2 = (feet[15] - feet[30]) * 4.0;
    EXPECT_GT(sink1, 250.0);
    EXPECT_LT(sink1, 650.0);
    EXPECT_NEAR(sink2, sink1, 0.1 * sink1);

    // The speed holds: the ground covered in the two halves.
    const Saved p0 = Read("p0.flt"), p15 = Read("p15.flt"), p30 = Read("p30.flt");
    const double early = navtest::Metres(p0.lat, p0.lon, p15.lat, p15.lon);
    const double late = navtest::Metres(p15.lat, p15.lon, p30.lat, p30.lon);
    EXPECT_NEAR(late, early, 0.05 * early);
    std::printf(
        "type %d: %.0f ft above the field %.0f ft out (path %.0f), sinking %.0f and %.0f "
        "ft/min at %.0f kt\n",
        type, placed - field, out, path, sink1, sink2, early / 15 / 0.514444);

    // Configured for landing: the gear down, the landing flaps set.
    core::IniFile saved(dir.Path("start.flt").c_str());
    EXPECT_EQ(saved.GetInt("Aircraft", "fmGear", 0), 1);
    EXPECT_GE(saved.GetInt("Aircraft", "fmFlaps", 0), 2);
}

INSTANTIATE_TEST_SUITE_P(FiveAircraft, FinalStart, ::testing::Values(0, 1, 2, 3, 4));

}  // namespace
