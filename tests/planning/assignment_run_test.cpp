// The cross-country assignment in the running program (starter installation): the first
// assignment's log lists its legs as the public data's great circles measure them, Finish
// makes its plan active in cross-country mode, and a flight saved then keeps the plan.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "core/ini_file.h"
#include "nav/independent_projection.h"
#include "planning_run.h"
#include "support/screenshot.h"

namespace {

class AssignmentRun : public planningtest::ScriptRun {
protected:
    AssignmentRun() : ScriptRun("zephlon-assignrun") {}
    // The trace lines "[time] read ID ..." of one control, in order.
    static std::vector<std::string> Reads(const std::string& out, const std::string& id) {
        std::vector<std::string> lines;
        std::istringstream in(out);
        for (std::string line; std::getline(in, line);)
            if (line.find("] read " + id + " ") != std::string::npos) lines.push_back(line);
        return lines;
    }
};

TEST_F(AssignmentRun, TheFirstAssignmentIsListedByItsGreatCirclesAndFlown) {
    const testsupport::CommandResult r = Play("scripts/assignment.simrun");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("report flight_mode=0"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("report flight_mode=2"), std::string::npos) << r.out;

    // The first briefing, the next one, and the first again after twenty presses.
    const std::vector<std::string> briefings = Reads(r.out, "1865");
    ASSERT_EQ(briefings.size(), 3u) << r.out;
    EXPECT_NE(briefings[0].find("Boston Logan to Albany"), std::string::npos) << briefings[0];
    EXPECT_NE(briefings[1].find("Seattle-Tacoma to Portland"), std::string::npos) << briefings[1];
    EXPECT_EQ(briefings[2], briefings[0]);

    // The log: the five stations with their legs, against great circles between the public
    // data's positions. The log shows whole miles, rounded: a leg may read half a mile off.
    EXPECT_NE(r.out.find("read 2018 Static \"KBOS to KALB\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("read 2012 Static \"0:0\""), std::string::npos) << r.out;
    // The Skyhawk's cruise at the plan's 6,500 ft and 65 % from its table, in gallons: the book
    // gives about 105 to 110 knots true and 7 gallons an hour at 6,000 ft and 65 %.
    const std::regex cruise("read 1991 Static \"(\\d+) Kts\"[^]*read 1992 Static \"([0-9.]+) gph\"[^]*"
                            "read 1993 Static \"40\"");
    std::smatch flown;
    ASSERT_TRUE(std::regex_search(r.out, flown, cruise)) << r.out;
    EXPECT_GE(std::stoi(flown[1]), 100);
    EXPECT_LE(std::stoi(flown[1]), 115);
    EXPECT_GE(std::stod(flown[2]), 6.0);
    EXPECT_LE(std::stod(flown[2]), 8.5);
    std::map<std::string, std::pair<double, double>> at;
    for (const auto& row : navtest::ReadNavCsv("airport.csv"))
        if (row[0] == "KBOS" || row[0] == "KALB") at[row[0]] = {std::stod(row[4]), std::stod(row[5])};
    for (const auto& row : navtest::ReadNavCsv("vor.csv"))
        if (row[0] == "BOS" || row[0] == "GDM" || row[0] == "ALB") at[row[0]] = {std::stod(row[2]), std::stod(row[3])};
    const char* route[5] = {"KBOS", "BOS", "GDM", "ALB", "KALB"};
    const std::regex cells("read 76 row (\\d): \"([A-Z]+) \\| 0 \\| 0 \\| 0 \\| (\\d+) \\| (\\d+) \\| 0:0 \\| 0:0 \\| 0.0 \\| 0.0\"");
    std::vector<int> legs;
    std::istringstream in(r.out);
    for (std::string line; std::getline(in, line);) {
        std::smatch m;
        if (!std::regex_search(line, m, cells)) continue;
        ASSERT_EQ(m[2].str(), route[legs.size()]) << line;
        legs.push_back(std::stoi(m[3]));
    }
    ASSERT_EQ(legs.size(), 5u) << r.out;
    EXPECT_EQ(legs[0], 0);
    double total = 0;
    for (int i = 1; i < 5; ++i) {
        const auto& a = at[route[i - 1]];
        const auto& b = at[route[i]];
        const double miles = navtest::Metres(a.first, a.second, b.first, b.second) / 1852.0;
        total += miles;
        SCOPED_TRACE(route[i]);
        EXPECT_LE(legs[static_cast<std::size_t>(i)], std::max(miles * 1.015, miles + 0.5));
        EXPECT_GE(legs[static_cast<std::size_t>(i)], std::min(miles * 0.985, miles - 1.0));
    }
    const std::regex distance("read 2008 Static \"(\\d+)\"");
    std::smatch m;
    ASSERT_TRUE(std::regex_search(r.out, m, distance)) << r.out;
    EXPECT_NEAR(std::stod(m[1]), total, total * 0.015 + 1.0);

    // The route is drawn on the map page: a yellow line of some 200 pixels from Boston to Albany.
    const auto yellow = [&](const char* shot) {
        std::ifstream in(dir.Path(shot), std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        const std::vector<std::uint32_t> pixels = testsupport::ReadScreenshot(bytes.str(), 640, 480);
        EXPECT_FALSE(pixels.empty()) << shot;
        return std::count(pixels.begin(), pixels.end(), 0xFFFF00u);
    };
    EXPECT_EQ(yellow("briefing.bmp"), 0);
    EXPECT_GT(yellow("map.bmp"), 150);

    // The saved flight resumes the assignment at its first leg.
    core::IniFile saved(dir.Path("assigned.flt").c_str());
    EXPECT_EQ(saved.GetInt("flightPlan", "active", 0), 1);
    EXPECT_STREQ(saved.GetString("flightPlan", "planname", ""), "FlightPlans\\Assign\\xc01.Pln");
    EXPECT_EQ(saved.GetInt("flightPlan", "currentnode", -1), 0);

    // The aircraft waits at Boston, ready at the end of a runway: within 200 m of a threshold of
    // Logan's runways as the public data places them (the runway's end, or its displaced
    // threshold), on the ground.
    double lat = 0, lon = 0;
    navtest::WorldToGeographic(saved.GetInt("Aircraft", "fmPosX", 0), saved.GetInt("Aircraft", "fmPosZ", 0), &lat, &lon);
    double nearest = 1e9;
    for (const auto& row : navtest::ReadNavCsv("runway.csv")) {
        if (row[0] != "KBOS") continue;
        for (int end = 0; end < 2; ++end) {
            const double la = std::stod(row[4 + 4 * end]), lo = std::stod(row[5 + 4 * end]);
            const double otherLa = std::stod(row[8 - 4 * end]), otherLo = std::stod(row[9 - 4 * end]);
            const double length = navtest::Metres(la, lo, otherLa, otherLo);
            const double displaced = std::stod(row[6 + 4 * end]);
            nearest = std::min(nearest, navtest::Metres(lat, lon, la, lo));
            if (displaced > 0 && length > 0) {
                const double f = displaced / length;
                nearest = std::min(nearest, navtest::Metres(lat, lon, la + (otherLa - la) * f, lo + (otherLo - lo) * f));
            }
        }
    }
    EXPECT_LT(nearest, 200.0) << lat << ", " << lon;
    EXPECT_EQ(saved.GetInt("Aircraft", "fmOTG", 0), 1);
}

TEST_F(AssignmentRun, ADamagedAssignmentIsEmptyAndFinishingOnItActivatesNothing) {
    dir.Write("FlightPlans/Assign/xc01.Pln", std::string("\x00\x01[Points]\nptIdent0=\xff\xfe\n[[[\n", 22));
    std::filesystem::remove(dir.Path("FlightPlans/Assign/xc02.Pln"));
    const std::string script =
        "frame-interval 20\nwait 300\nmenu 106\ndialog ASSIGNMENTBKGND\nread 1865\nclick 1867\n"
        "read 1865\nclick 1867\nread 1865\nclick 1867\nclick 1867\nclick 1867\nclick 1867\n"
        "click 1867\nclick 1867\nclick 1867\nclick 1867\nclick 1867\nclick 1867\nclick 1867\n"
        "click 1867\nclick 1867\nclick 1867\nclick 1867\nclick 1867\nclick 1867\nclick 1867\n"
        "click 1717\nwait 100\nclick 1717\nwait 300\nclick 1717\nwait 100\nread 2018\nread 76\n"
        "click 1717\nwait 300\nreport flight_mode\nsave " + dir.Path("after.flt") + "\nquit\n";
    const testsupport::CommandResult r = run.Play(script);
    ASSERT_EQ(r.status, 0) << r.out;
    const std::vector<std::string> briefings = Reads(r.out, "1865");
    ASSERT_EQ(briefings.size(), 3u) << r.out;
    EXPECT_NE(briefings[0].find("Edit \"\""), std::string::npos) << briefings[0];
    EXPECT_NE(briefings[1].find("Edit \"\""), std::string::npos) << briefings[1];
    EXPECT_NE(briefings[2].find("Key West to Miami"), std::string::npos) << briefings[2];
    EXPECT_NE(r.out.find("read 2018 Static \"No Flight Plan\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("rows=0"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("dialog ASSIGNMENTBKGND ended 0"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("report flight_mode=0"), std::string::npos) << r.out;
    core::IniFile saved(dir.Path("after.flt").c_str());
    EXPECT_EQ(saved.GetInt("flightPlan", "active", 0), 0);
}


// After a new plan, an opened plan and an assignment the aircraft waits ready on its departure
// runway: on a runway of the departure airport as the public data lays it out (within its half
// width of the centre line, between its ends), and, the brakes let go and full power, it rolls
// along that runway, within 10 degrees of its direction, some 50 m or more in 12 seconds.
struct Departure {
    const char* script;
    const char* airport;
};

class DepartureRun : public planningtest::ScriptRun, public ::testing::WithParamInterface<Departure> {
protected:
    DepartureRun() : ScriptRun("zephlon-departrun") {}
    void Geographic(const char* file, double* lat, double* lon) {
        navtest::WorldToGeographic(Key(file, "Aircraft", "fmPosX"), Key(file, "Aircraft", "fmPosZ"), lat, lon);
    }
};

TEST_P(DepartureRun, TheAircraftWaitsReadyOnItsDepartureRunway) {
    const testsupport::CommandResult r = Play(GetParam().script);
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out.find("simrun:"), std::string::npos) << r.out;
    double lat = 0, lon = 0, rolledLat = 0, rolledLon = 0;
    Geographic("ready.flt", &lat, &lon);
    Geographic("rolled.flt", &rolledLat, &rolledLon);
    const double rolled = navtest::Metres(lat, lon, rolledLat, rolledLon);
    EXPECT_GT(rolled, 50.0) << "the engine runs and the brakes let go";
    const double track = navtest::GcBearing(lat, lon, rolledLat, rolledLon);
    bool onRunway = false;
    std::string seen;
    for (const auto& row : navtest::ReadNavCsv("runway.csv")) {
        if (row[0] != GetParam().airport) continue;
        const double width = std::stod(row[1]);
        for (int end = 0; end < 2; ++end) {
            const double la = std::stod(row[4 + 4 * end]), lo = std::stod(row[5 + 4 * end]);
            const double otherLa = std::stod(row[8 - 4 * end]), otherLo = std::stod(row[9 - 4 * end]);
            const double length = navtest::Metres(la, lo, otherLa, otherLo);
            const double along = navtest::GcBearing(la, lo, otherLa, otherLo);
            // Where the aircraft stands from this end: across and along the centre line.
            const double d = navtest::Metres(la, lo, lat, lon);
            const double off = (navtest::GcBearing(la, lo, lat, lon) - along) * navtest::kPi / 180.0;
            const double across = std::fabs(d * std::sin(off)), down = d * std::cos(off);
            const double turn = std::fabs(std::remainder(track - along, 360.0));
            seen += row[3 + 4 * end] + ": across " + std::to_string(across) + " m, down " + std::to_string(down) +
                    " m, track off " + std::to_string(turn) + " deg\n";
            if (across <= width / 2 && down >= -10 && down <= length && turn <= 10) onRunway = true;
        }
    }
    EXPECT_TRUE(onRunway) << lat << ", " << lon << " rolled " << rolled << " m on " << track << "\n" << seen;
}

INSTANTIATE_TEST_SUITE_P(Plans, DepartureRun,
                         ::testing::Values(Departure{"scripts/depart-open.simrun", "KSQL"},
                                           Departure{"scripts/depart-new.simrun", "KSQL"},
                                           Departure{"scripts/depart-assignment.simrun", "KBOS"}),
                         [](const ::testing::TestParamInfo<Departure>& info) {
                             const std::string s = info.param.script;
                             return s.substr(s.find('-') + 1, s.find('.') - s.find('-') - 1);
                         });

}  // namespace
