// The autopilot's NAV mode in the running program: the Skyhawk set up from the navaid
// directory's VOR page 10 nm out on Woodside's (OSI) 270 radial, flying 090 to the station with
// NAV1 on it, the course then turned 3 degrees (a third of the needle's scale) with the OBS knob
// (the card shows 360 less the course), and AP and NAV engaged. Measured from the saved places
// against the station's public position: the radial the aircraft settles on, and how soon it gets
// there from a third of the scale off.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "independent_projection.h"
#include "script_run.h"

namespace {

class NavTracking : public navtest::ScriptRun {};

TEST_F(NavTracking, CentresAThirdOfTheScaleInHalfAMinute) {
    double vorLat = 0, vorLon = 0;
    for (const auto& row : navtest::ReadNavCsv("vor.csv"))
        if (row[0] == "OSI") {
            vorLat = std::stod(row[2]);
            vorLon = std::stod(row[3]);
        }
    ASSERT_NE(vorLat, 0.0);
    constexpr int kSeconds = 150;
    std::string script =
        "frame-interval 1000\nwait 300\nmenu 321\ndialog NAVAIDSVORFAKE\nset 1487 \"(OSI)\"\n"
        "click 1693\nclick 1692\ndialog VorSetup\nset 1780 270\nset 1782 10\nset 1783 4500\n"
        "click 1069\nclick 1\nwait 1000\nradio NAV1 113.90\nkey Shift+0 press\nkey Shift+0 press\n"
        "key Shift+0 press\nreport nav1_obs\nkey Shift+C press\nkey Shift+X press\n"
        "key Shift+X press\n";
    for (int s = 0; s < kSeconds; ++s)
        script += "wait 1000\nsave " + dir.Path("p" + std::to_string(s) + ".flt") + "\n";
    script += "quit\n";
    const auto r = run.Play(script);
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("report nav1_obs=267"), std::string::npos) << r.out;

    // The radial (true) of each place, and the one the aircraft settles on: the mean of the last
    // 20 seconds.
    std::vector<double> radial;
    for (int s = 0; s < kSeconds; ++s) {
        const Saved p = Read(("p" + std::to_string(s) + ".flt").c_str());
        radial.push_back(navtest::GcBearing(vorLat, vorLon, p.lat, p.lon));
    }
    double settled = 0;
    for (int s = kSeconds - 20; s < kSeconds; ++s)
        settled += radial[static_cast<std::size_t>(s)] / 20;
    const double start = radial.front() - settled;
    EXPECT_GT(std::fabs(start), 2.5) << "the course was not turned a third of the scale";
    // Centred: within a quarter of a dot (a dot is 2 degrees); the overshoot past the radial.
    int centred = -1;
    double overshoot = 0;
    for (int s = 0; s < kSeconds; ++s) {
        const double off = radial[static_cast<std::size_t>(s)] - settled;
        if (centred < 0 && std::fabs(off) < 0.5) centred = s;
        if (off * start < 0) overshoot = std::max(overshoot, std::fabs(off));
    }
    std::printf("%.1f degrees off; centred after %d s, %.2f degrees past the radial\n", start,
                centred, overshoot);
    EXPECT_GE(centred, 0);
    EXPECT_LE(centred, 35) << "seconds to centre a third of the scale";
    EXPECT_LT(overshoot, 2.0) << "degrees past the radial";
    for (int s = kSeconds - 40; s < kSeconds; ++s)
        EXPECT_LT(std::fabs(radial[static_cast<std::size_t>(s)] - settled), 0.25) << s;
}

}  // namespace
