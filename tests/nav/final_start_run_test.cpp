// The airports wizard's in-air approach starts at Oakland 29 in the running program, on each of the
// five aircraft. "On final approach": the aircraft starts on the 3-degree approach path to the
// threshold (its height against its distance from the threshold of the public data), configured
// for landing (gear down, landing flaps) and, hands off, descends steadily at a pilot's approach
// rate of a few hundred feet a minute, its speed holding. "On base leg": across the extended
// centreline toward it, on the profile from the pattern height to the approach path at the final
// turn (which loses only tens of feet on base), gear down and flaps out.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "core/ini_file.h"
#include "independent_projection.h"
#include "script_run.h"

namespace {

class FinalStart : public navtest::ScriptRun, public ::testing::WithParamInterface<int> {
protected:
    // Starts the wizard's `start` at Oakland 29, then reports the height and saves the flight at
    // the start and once a second for `seconds` seconds from 5 seconds on (the loaded flight
    // settled); the heights in order.
    std::vector<double> Fly(const std::string& start, int seconds) {
        std::string script =
            "frame-interval 500\nwait 300\nmenu 320\ndialog AIRPORTS_PAGE\nset 1045 \"(KOAK)\"\n"
            "dialog AIRPORTS_WIZBKGND\nclick 1717\ndialog RUNWAY_PAGE\nset 1059 \"29\"\n"
            "set 1958 \"" +
            start +
            "\"\ndialog AIRPORTS_WIZBKGND\nclick 1717\nwait 200\n"
            "save " +
            dir.Path("start.flt") + "\nreport alt_ft\nwait 5000\n";
        for (int s = 0; s <= seconds; ++s)
            script += "report alt_ft\nsave " + dir.Path("p" + std::to_string(s) + ".flt") +
                      "\nwait 1000\n";
        const auto r = run.Play(script + "quit\n");
        EXPECT_EQ(r.status, 0) << r.out;
        std::vector<double> feet;
        for (std::size_t at = r.out.find("report alt_ft="); at != std::string::npos;
             at = r.out.find("report alt_ft=", at + 1))
            feet.push_back(std::atof(r.out.c_str() + at + 14));
        EXPECT_EQ(feet.size(), static_cast<std::size_t>(seconds + 2)) << r.out;
        return feet;
    }
    void SetType(int type) {
        core::IniFile start(dir.Path("Flights/Startup.Flt").c_str());
        ASSERT_EQ(start.PutInt("Aircraft", "type", type), 1);
    }
};

// The field's elevation and runway 29's threshold and course (toward the far end), of the public
// data.
struct Runway29 {
    double field = 0, lat = 0, lon = 0, course = 0;
};
Runway29 Oakland29() {
    Runway29 r;
    for (const auto& a : navtest::ReadNavCsv("airport.csv"))
        if (a[0] == "KOAK") r.field = std::stod(a[3]);
    for (const auto& rw : navtest::ReadNavCsv("runway.csv"))
        if (rw[0] == "KOAK" && rw[7] == "29") {
            r.lat = std::stod(rw[8]);
            r.lon = std::stod(rw[9]);
            r.course = navtest::GcBearing(r.lat, r.lon, std::stod(rw[4]), std::stod(rw[5]));
        }
    return r;
}

navtest::OutAndAcross FromThreshold(const Runway29& rw, double lat, double lon) {
    return navtest::FromThreshold(rw.lat, rw.lon, rw.course, lat, lon);
}

TEST_P(FinalStart, BaseOnTheProfileConfigured) {
    const int type = GetParam();
    SetType(type);
    constexpr int kSeconds = 20;
    std::vector<double> feet = Fly("On base leg", kSeconds);
    ASSERT_EQ(feet.size(), static_cast<std::size_t>(kSeconds + 2));
    const double placed = feet.front();
    const Runway29 rw = Oakland29();
    ASSERT_NE(rw.lat, 0.0);

    // Between the approach path (3 degrees to 1,000 ft past the threshold) at the distance out it
    // is abeam and the published pattern height of 1,000 ft above the field.
    const Saved start = Read("start.flt");
    const navtest::OutAndAcross at = FromThreshold(rw, start.lat, start.lon);
    const double path = (at.out + 1000.0) * std::tan(3.0 * navtest::kPi / 180.0);
    EXPECT_GT(placed - rw.field, path) << at.out << " ft out";
    EXPECT_LT(placed - rw.field, 1000.0) << at.out << " ft out";

    // Hands off on base, over 20 seconds, it keeps to the profile's gentle slope: no more than
    // a couple of hundred feet a minute either way.
    const double sink = (feet[1] - feet[1 + kSeconds]) * 60.0 / kSeconds;
    EXPECT_LT(std::fabs(sink), 200.0);

    // Along base: across toward the extended centreline, hardly closer to the threshold.
    const Saved end = Read(("p" + std::to_string(kSeconds) + ".flt").c_str());
    const navtest::OutAndAcross later = FromThreshold(rw, end.lat, end.lon);
    const double across = std::abs(at.across) - std::abs(later.across);
    EXPECT_GT(across, 1000.0);
    EXPECT_LT(std::abs(later.out - at.out), 0.2 * across);
    std::printf(
        "type %d: base %.0f ft above the field %.0f ft out %.0f across (path %.0f), "
        "sinking %.0f ft/min\n",
        type, placed - rw.field, at.out, at.across, path, sink);

    // Configured to descend: the gear down (fixed on the trainer), the flaps out.
    core::IniFile saved(dir.Path("start.flt").c_str());
    EXPECT_EQ(saved.GetInt("Aircraft", "fmGear", 0), 1);
    EXPECT_GE(saved.GetInt("Aircraft", "fmFlaps", 0), 1);
}

TEST_P(FinalStart, DescendsOnThePathConfiguredAndTrimmed) {
    const int type = GetParam();
    SetType(type);
    constexpr int kSeconds = 30;
    std::vector<double> feet = Fly("On final approach", kSeconds);
    ASSERT_EQ(feet.size(), static_cast<std::size_t>(kSeconds + 2));
    const double placed = feet.front();
    feet.erase(feet.begin());
    const Runway29 rw = Oakland29();
    ASSERT_NE(rw.lat, 0.0);
    const double field = rw.field, thrLat = rw.lat, thrLon = rw.lon;

    // On the path: 3 degrees down to a point 1,000 ft past the threshold, within 100 ft.
    const Saved start = Read("start.flt");
    const double out = navtest::Metres(thrLat, thrLon, start.lat, start.lon) / 0.3048;
    const double path = (out + 1000.0) * std::tan(3.0 * navtest::kPi / 180.0);
    EXPECT_NEAR(placed - field, path, 100.0) << out << " ft out";

    // Descending steadily: the sink of each 15 seconds a few hundred feet a minute (up to the
    // 3-degree path's 620 at the jet's 117 kt), the second within 15 % of the first (the loaded
    // flight's gentle swing in pitch has not died out in the first).
    const double sink1 = (feet[0] - feet[15]) * 4.0, sink2 = (feet[15] - feet[30]) * 4.0;
    EXPECT_GT(sink1, 250.0);
    EXPECT_LT(sink1, 700.0);
    EXPECT_NEAR(sink2, sink1, 0.15 * sink1);

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
