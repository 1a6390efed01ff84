// The in-air starts flown hands off in the running program, on the five aircraft, measured from
// the saved places against the public data: the airports wizard's approach and pattern starts at
// four airports (Oakland 29 by the bay, San Carlos 30 with its right-hand pattern, Denver 16R a
// mile above the sea, Lake County 16 near 10,000 ft), its en-route start, and the VOR set-up.
// "On final approach": the aircraft flies the type's published approach speed (indicated, from the
// ground covered in still air by the standard atmosphere) and keeps the runway's course down to
// 200 ft above the field. "On base leg": flown on across the extended centreline,
// it crosses it at the final turn on the pattern's height profile, which loses only the last
// tens of feet of the pattern height to the 3-degree approach path there, and descends across on
// base to meet it. "On the downwind leg": level at the pattern height at the pattern speed.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <tuple>
#include <vector>

#include "core/ini_file.h"
#include "independent_projection.h"
#include "script_run.h"

namespace {

using navtest::kPi;

// The types' approach and pattern speeds (KIAS) of their handbooks and manuals, as the flights
// are made.
constexpr double kApproachKnots[5] = {65, 80, 95, 110, 115};
constexpr double kPatternKnots[5] = {80, 100, 115, 140, 150};

struct Runway {
    const char* airport = "";
    const char* end = "";
    double field = 0, lat = 0, lon = 0, course = 0;  // the threshold and the course along it
};

Runway Find(const char* airport, const char* end) {
    Runway r{airport, end};
    for (const auto& a : navtest::ReadNavCsv("airport.csv"))
        if (a[0] == airport) r.field = std::stod(a[3]);
    const navtest::RunwayEnd e = navtest::FindRunwayEnd(airport, end);
    r.lat = e.lat;
    r.lon = e.lon;
    r.course = e.course;
    return r;
}

navtest::OutAndAcross FromThreshold(const Runway& rw, double lat, double lon) {
    return navtest::FromThreshold(rw.lat, rw.lon, rw.course, lat, lon);
}

// Degrees from `a` to `b`, -180..180.
double Turn(double a, double b) {
    return std::fmod(b - a + 540.0, 360.0) - 180.0;
}

const char* const kRunways[4][2] = {
    {"KOAK", "29"}, {"KSQL", "30"}, {"KDEN", "16R"}, {"KLXV", "16"}};

// The indicated airspeed of a flight that covered the ground between two places in `seconds` in
// still air at the mean of their heights (feet above sea level): the true airspeed's share of the
// square root of the density's ratio to sea level's in the standard atmosphere.
double IndicatedKnots(double lat0, double lon0, double feet0, double lat1, double lon1,
                      double feet1, double seconds) {
    const double trueKnots = navtest::Metres(lat0, lon0, lat1, lon1) / seconds / 0.514444;
    const double sigma = std::pow(1.0 - 6.8756e-6 * 0.5 * (feet0 + feet1), 4.2559);
    return trueKnots * std::sqrt(sigma);
}

class ApproachStarts : public navtest::ScriptRun,
                       public ::testing::WithParamInterface<std::tuple<int, int>> {
protected:
    struct Sample {
        double feet;  // above sea level
        Saved at;
    };
    // Starts the wizard's `start` at the airport, then saves the flight every 2 seconds for
    // `seconds` seconds.
    std::vector<Sample> Fly(const Runway& rw, const std::string& start, int seconds) {
        return FlyScript(
            "frame-interval 500\nwait 300\nmenu 320\ndialog AIRPORTS_PAGE\nset 1045 \"(" +
                std::string(rw.airport) +
                ")\"\ndialog AIRPORTS_WIZBKGND\nclick 1717\ndialog RUNWAY_PAGE\nset 1059 \"" +
                rw.end + "\"\nset 1958 \"" + start +
                "\"\ndialog AIRPORTS_WIZBKGND\nclick 1717\nwait 200\n",
            seconds);
    }
    // Plays `script`, then saves the flight every 2 seconds for `seconds` seconds.
    std::vector<Sample> FlyScript(std::string script, int seconds) {
        for (int s = 0; s * 2 <= seconds; ++s)
            script += "report alt_ft\nsave " + dir.Path("p" + std::to_string(s) + ".flt") +
                      "\nwait 2000\n";
        const auto r = run.Play(script + "quit\n");
        EXPECT_EQ(r.status, 0) << r.out;
        std::vector<Sample> samples;
        std::size_t at = 0;
        for (int s = 0; s * 2 <= seconds; ++s) {
            at = r.out.find("report alt_ft=", at);
            if (at == std::string::npos) break;
            samples.push_back({std::atof(r.out.c_str() + at + 14),
                               Read(("p" + std::to_string(s) + ".flt").c_str())});
            ++at;
        }
        EXPECT_EQ(samples.size(), static_cast<std::size_t>(seconds / 2 + 1)) << r.out;
        return samples;
    }
    // The parameters' runway and aircraft, `start` flown there (`rw` and `what` set).
    std::vector<Sample> FlyStart(const char* start, int seconds) {
        const auto [which, type] = GetParam();
        rw = Find(kRunways[which][0], kRunways[which][1]);
        EXPECT_NE(rw.lat, 0.0);
        core::IniFile startup(dir.Path("Flights/Startup.Flt").c_str());
        EXPECT_EQ(startup.PutInt("Aircraft", "type", type), 1);
        what = std::string(rw.airport) + " " + rw.end + " type " + std::to_string(type);
        return Fly(rw, start, seconds);
    }
    // Level hands off from 4 seconds (the loaded flight moving on) to the last place: the mean
    // rate of climb or descent within 30 ft a minute and no place more than 50 ft off the
    // first; gives the first's height above sea level.
    double ExpectLevel(const std::vector<Sample>& s) {
        const double h0 = s[2].feet;
        double worst = 0;
        for (std::size_t i = 2; i < s.size(); ++i)
            if (std::fabs(s[i].feet - h0) > std::fabs(worst)) worst = s[i].feet - h0;
        const double rate = (s.back().feet - h0) / (2.0 * static_cast<double>(s.size() - 3)) * 60.0;
        EXPECT_NEAR(rate, 0.0, 30.0) << what << ": ft/min";
        EXPECT_LT(std::fabs(worst), 50.0) << what;
        std::printf("%s: %+.0f ft/min over %zu s, at most %+.0f ft off\n", what.c_str(), rate,
                    2 * (s.size() - 3), worst);
        return h0;
    }
    Runway rw;
    std::string what;
};

TEST_P(ApproachStarts, FinalAtTheApproachSpeedAlongTheRunway) {
    const int type = std::get<1>(GetParam());
    const std::vector<Sample> s = FlyStart("On final approach", 200);
    ASSERT_GT(s.size(), 20u);

    // The speed over 20 seconds once the loaded flight moves on (from 10 s): the ground covered
    // in still air is the true airspeed, the indicated speed its share of the square root of the
    // density's ratio to sea level's in the standard atmosphere.
    const Sample &a = s[5], &b = s[15];
    const double indicated =
        IndicatedKnots(a.at.lat, a.at.lon, a.feet, b.at.lat, b.at.lon, b.feet, 20.0);
    EXPECT_NEAR(indicated, kApproachKnots[type], 5.0) << what;

    // Along the runway: every 4 seconds' track within 2 degrees of its course, down to 200 ft
    // (from when the loaded flight moves on).
    double worst = 0;
    for (std::size_t i = 2; i < s.size() && s[i].feet - rw.field > 200.0; ++i) {
        const Saved &from = s[i - 2].at, &to = s[i].at;
        if (navtest::Metres(from.lat, from.lon, to.lat, to.lon) < 50.0) continue;
        const double track = navtest::GcBearing(from.lat, from.lon, to.lat, to.lon);
        if (std::fabs(Turn(rw.course, track)) > std::fabs(worst)) worst = Turn(rw.course, track);
    }
    EXPECT_LT(std::fabs(worst), 2.0) << what;
    std::printf("%s: final at %.1f KIAS, track off the runway by at most %.1f degrees\n",
                what.c_str(), indicated, worst);
}

TEST_P(ApproachStarts, BaseReachesTheFinalTurnOnTheProfile) {
    const std::vector<Sample> s = FlyStart("On base leg", 150);
    ASSERT_GT(s.size(), 2u);

    // Where the flight crosses the extended centreline, and its height there against the
    // approach path (3 degrees down to 1,000 ft past the threshold) at that distance out.
    const navtest::OutAndAcross first = FromThreshold(rw, s[0].at.lat, s[0].at.lon);
    for (std::size_t i = 1; i < s.size(); ++i) {
        const navtest::OutAndAcross p = FromThreshold(rw, s[i - 1].at.lat, s[i - 1].at.lon);
        const navtest::OutAndAcross q = FromThreshold(rw, s[i].at.lat, s[i].at.lon);
        if ((p.across < 0) == (q.across < 0)) continue;
        const double f = p.across / (p.across - q.across);
        const double out = p.out + f * (q.out - p.out);
        const double height = s[i - 1].feet + f * (s[i].feet - s[i - 1].feet) - rw.field;
        const double path = (out + 1000.0) * std::tan(3.0 * kPi / 180.0);
        EXPECT_NEAR(height, path, 25.0) << what << ": " << out << " ft out";
        std::printf(
            "%s: base from %.0f ft across crosses the centreline %.0f ft out %.0f ft up "
            "(the path %.0f)\n",
            what.c_str(), first.across, out, height, path);
        return;
    }
    ADD_FAILURE() << what << ": never crossed the extended centreline";
}

TEST_P(ApproachStarts, DownwindLevelAtThePatternHeightAndSpeed) {
    const int type = std::get<1>(GetParam());
    const std::vector<Sample> s = FlyStart("On the downwind leg", 100);
    ASSERT_EQ(s.size(), 51u);
    // About 1,000 ft above the field, and level there.
    EXPECT_NEAR(ExpectLevel(s) - rw.field, 1000.0, 60.0) << what;
    // The pattern speed over 20 seconds, and the track the runway's reciprocal.
    const Sample &a = s[5], &b = s[15];
    EXPECT_NEAR(IndicatedKnots(a.at.lat, a.at.lon, a.feet, b.at.lat, b.at.lon, b.feet, 20.0),
                kPatternKnots[type], 5.0)
        << what;
    const double track = navtest::GcBearing(a.at.lat, a.at.lon, b.at.lat, b.at.lon);
    EXPECT_LT(std::fabs(Turn(rw.course + 180.0, track)), 3.0) << what;
}

INSTANTIATE_TEST_SUITE_P(FourAirportsFiveAircraft, ApproachStarts,
                         ::testing::Combine(::testing::Values(0, 1, 2, 3),
                                            ::testing::Values(0, 1, 2, 3, 4)));

// "En route, inbound" at a field by the sea and one a mile up: level, about 4,100 ft above the
// field (the cruise flight's power found for the air there).
class EnRouteStart : public ApproachStarts {};

TEST_P(EnRouteStart, Level) {
    const std::vector<Sample> s = FlyStart("En route, inbound", 100);
    ASSERT_EQ(s.size(), 51u);
    EXPECT_NEAR(ExpectLevel(s) - rw.field, 4100.0, 60.0) << what;
}

INSTANTIATE_TEST_SUITE_P(TwoAirportsFiveAircraft, EnRouteStart,
                         ::testing::Combine(::testing::Values(0, 2),
                                            ::testing::Values(0, 1, 2, 3, 4)));

// The VOR set-up (Woodside, 10 nm out on the 270 radial, heading in) at a low and a middling
// altitude: level at the altitude typed.
class VorSetupStart : public ApproachStarts {};

TEST_P(VorSetupStart, LevelAtTheAltitudeTyped) {
    const auto [feet, type] = GetParam();
    core::IniFile startup(dir.Path("Flights/Startup.Flt").c_str());
    ASSERT_EQ(startup.PutInt("Aircraft", "type", type), 1);
    what = "VOR set-up at " + std::to_string(feet) + " ft type " + std::to_string(type);
    const std::vector<Sample> s = FlyScript(
        "frame-interval 500\nwait 300\nmenu 321\ndialog NAVAIDSVORFAKE\nset 1487 \"(OSI)\"\n"
        "click 1692\ndialog VorSetup\nset 1780 270\nset 1782 10\nset 1783 " +
            std::to_string(feet) + "\nclick 1069\nclick 1\nwait 200\n",
        100);
    ASSERT_EQ(s.size(), 51u);
    EXPECT_NEAR(ExpectLevel(s), feet, 30.0) << what;
}

INSTANTIATE_TEST_SUITE_P(TwoAltitudesFiveAircraft, VorSetupStart,
                         ::testing::Combine(::testing::Values(1500, 8000),
                                            ::testing::Values(0, 1, 2, 3, 4)));

// The final flown hands off to the threshold: it descends on the 3-degree path at its approach
// speed, so that it crosses the threshold near the path's 52 ft (its aiming point 1,000 ft on),
// and crabbed into a crosswind it stays over the centreline.
class FinalFlown : public navtest::ScriptRun {
protected:
    // Flies the final start to `rw` on `type` with a 15 kt wind from 90 degrees off the runway on
    // the `side` (0 calm), set in the Surface Conditions dialog before the start; checks the sink
    // against the path's and the crossing of the threshold between `lowest` and `highest` ft above
    // the field.
    void FlyToTheThreshold(const Runway& rw, int type, int side, double lowest, double highest) {
        ASSERT_NE(rw.lat, 0.0);
        core::IniFile startup(dir.Path("Flights/Startup.Flt").c_str());
        ASSERT_EQ(startup.PutInt("Aircraft", "type", type), 1);
        const std::string what = std::string(rw.airport) + " " + rw.end + " type " +
                                 std::to_string(type) + " wind " + std::to_string(side);
        // The runway's number is its magnetic heading to ten degrees; the wind from 90 degrees
        // off it.
        // Side 2 is a 15 kt headwind, 3 a 10 kt tailwind, -4 and 4 a 25 kt crosswind.
        const int off = side == 2 ? 0 : side == 3 ? 180 : side == 4 ? 90 : side == -4 ? -90 : 90 * side;
        int from = (std::atoi(rw.end) * 10 + off + 360) % 360;
        if (from == 0) from = 360;
        std::string script =
            "frame-interval 500\nwait 300\nmenu 342\ndialog \"Surface Conditions\"\n"
            "set 1768 " +
            std::to_string(from) + "\nset 1769 " + (side == 0 ? "0" : side == 3 ? "10" : std::abs(side) == 4 ? "25" : "15") +
            "\nclick 1\nwait 40000\n" + "menu 320\ndialog AIRPORTS_PAGE\nset 1045 \"(" +
            rw.airport + ")\"\ndialog AIRPORTS_WIZBKGND\nclick 1717\ndialog RUNWAY_PAGE\nset 1059 \"" +
            rw.end +
            "\"\nset 1958 \"On final approach\"\ndialog AIRPORTS_WIZBKGND\n"
            "click 1717\nwait 200\n";
        constexpr int kPlaces = 100;  // 2 seconds apart: more than the slowest final takes
        for (int i = 0; i < kPlaces; ++i)
            script += "report alt_ft\nsave " + dir.Path("p" + std::to_string(i) + ".flt") +
                      "\nwait 2000\n";
        const auto r = run.Play(script + "quit\n");
        ASSERT_EQ(r.status, 0) << r.out;
        struct Place {
            double feet;  // above the field
            navtest::OutAndAcross at;
        };
        std::vector<Place> places;
        std::size_t at = 0;
        for (int i = 0; i < kPlaces; ++i) {
            at = r.out.find("report alt_ft=", at);
            ASSERT_NE(at, std::string::npos) << what;
            const Saved p = Read(("p" + std::to_string(i) + ".flt").c_str());
            places.push_back({std::atof(r.out.c_str() + at + 14) - rw.field,
                              navtest::FromThreshold(rw.lat, rw.lon, rw.course, p.lat, p.lon)});
            ++at;
        }

        // The sink of the first 40 seconds (from 4 s, the loaded flight moving on; its first
        // gentle swing in pitch dies out in that time) against the 3-degree path's at the speed
        // over the ground: 101.3 ft/min a knot times tan 3 degrees.
        const Place &a = places[2], &b = places[22];
        const double knots =
            std::hypot(b.at.out - a.at.out, b.at.across - a.at.across) * 0.3048 / 40.0 / 0.514444;
        const double sink = (a.feet - b.feet) * 1.5;
        const double pathSink = knots * 6076.12 / 60.0 * std::tan(3.0 * kPi / 180.0);
        EXPECT_NEAR(sink, pathSink, 0.1 * pathSink) << what << " at " << knots << " kt";

        // Over the threshold: above the runway and no higher than a pilot still lands from, and
        // within a runway's width of the centreline (the wind wanders a few degrees round the
        // set one, which a pilot corrects in the last seconds).
        for (std::size_t i = 1; i < places.size(); ++i) {
            const Place &p = places[i - 1], &q = places[i];
            if (p.at.out <= 0 || q.at.out > 0) continue;
            const double f = p.at.out / (p.at.out - q.at.out);
            const double height = p.feet + f * (q.feet - p.feet);
            const double across = p.at.across + f * (q.at.across - p.at.across);
            EXPECT_GT(height, lowest) << what;
            EXPECT_LT(height, highest) << what;
            // A wind along the runway is not crabbed for; its wander of a few degrees carries the
            // aircraft sideways over the 3 nm final, which a pilot corrects as the runway nears.
            // In a 25 kt crosswind the Skyhawk, crabbed 24 degrees, drifts up to about 210 ft.
            EXPECT_LT(std::fabs(across), std::abs(side) == 4 ? 250.0 : side >= 2 ? 200.0 : 150.0)
                << what;
            std::printf(
                "%s: sinking %.0f ft/min (the path %.0f at %.0f kt), over the threshold %.0f "
                "ft up, %.0f ft across\n",
                what.c_str(), sink, pathSink, knots, height, across);
            return;
        }
        ADD_FAILURE() << what << ": never reached the threshold";
    }
};

// Each type in calm air and in a 15 kt crosswind from either side at Oakland 29 and San Carlos 30:
// in calm air over the threshold between 30 and 70 ft up (the path 52 ft).
class HandsOffFinal : public FinalFlown,
                      public ::testing::WithParamInterface<std::tuple<int, int, int>> {};

TEST_P(HandsOffFinal, CrossesTheThresholdOnThePathAndTheCentreline) {
    const auto [which, type, side] = GetParam();
    if (side == 0)
        FlyToTheThreshold(Find(kRunways[which][0], kRunways[which][1]), type, side, 30.0, 70.0);
    else
        FlyToTheThreshold(Find(kRunways[which][0], kRunways[which][1]), type, side, 5.0, 130.0);
}

INSTANTIATE_TEST_SUITE_P(TwoAirportsFiveAircraftThreeWinds, HandsOffFinal,
                         ::testing::Combine(::testing::Values(0, 1),
                                            ::testing::Values(0, 1, 2, 3, 4),
                                            ::testing::Values(0, -1, 1)));

// Each type in a 15 kt headwind and a 10 kt tailwind at Oakland 29 and San Carlos 30: the start
// sinks on the path over the ground, so it crosses the threshold between 25 and 80 ft up, not
// short in the bay or high.
class WindAlongFinal : public FinalFlown,
                       public ::testing::WithParamInterface<std::tuple<int, int, int>> {};

TEST_P(WindAlongFinal, CrossesTheThresholdOnThePath) {
    const auto [which, type, side] = GetParam();
    FlyToTheThreshold(Find(kRunways[which][0], kRunways[which][1]), type, side, 25.0, 80.0);
}

INSTANTIATE_TEST_SUITE_P(TwoAirportsFiveAircraftHeadAndTail, WindAlongFinal,
                         ::testing::Combine(::testing::Values(0, 1),
                                            ::testing::Values(0, 1, 2, 3, 4),
                                            ::testing::Values(2, 3)));

// A 25 kt crosswind from either side: crabbed, the aircraft makes less way along the runway than
// through the air, and the start's power still holds the path over the ground to the threshold.
INSTANTIATE_TEST_SUITE_P(TwoAirportsTwoAircraftStrongCrosswind, WindAlongFinal,
                         ::testing::Combine(::testing::Values(0, 1), ::testing::Values(0, 1),
                                            ::testing::Values(-4, 4)));

// High fields, from Reno's 4,400 ft to Lake County's 9,900 ft, where the air is thinner than the
// start was trimmed in at sea level: each type still sinks on the path and crosses the threshold
// between 30 and 70 ft up (its 52 ft).
const char* const kHighRunways[6][2] = {{"KRNO", "16L"}, {"KASE", "15"}, {"KDEN", "16R"},
                                        {"KCOS", "17L"}, {"KEGE", "25"}, {"KLXV", "16"}};

class HighFieldFinal : public FinalFlown,
                       public ::testing::WithParamInterface<std::tuple<int, int>> {};

TEST_P(HighFieldFinal, CrossesTheThresholdOnThePath) {
    const auto [which, type] = GetParam();
    FlyToTheThreshold(Find(kHighRunways[which][0], kHighRunways[which][1]), type, 0, 30.0, 70.0);
}

INSTANTIATE_TEST_SUITE_P(SixHighFieldsFiveAircraft, HighFieldFinal,
                         ::testing::Combine(::testing::Values(0, 1, 2, 3, 4, 5),
                                            ::testing::Values(0, 1, 2, 3, 4)));

// A crosswind at the high fields, far from where the flight began: the crab takes the magnetic
// variation of the field, not of the place the aircraft left, and it stays over the centreline.
class FarFieldCrosswindFinal : public FinalFlown,
                               public ::testing::WithParamInterface<std::tuple<int, int, int>> {};

TEST_P(FarFieldCrosswindFinal, CrossesTheThresholdOverTheCentreline) {
    const auto [which, type, side] = GetParam();
    FlyToTheThreshold(Find(kHighRunways[which][0], kHighRunways[which][1]), type, side, 5.0,
                      130.0);
}

INSTANTIATE_TEST_SUITE_P(SixHighFieldsTwoAircraftBothSides, FarFieldCrosswindFinal,
                         ::testing::Combine(::testing::Values(0, 1, 2, 3, 4, 5),
                                            ::testing::Values(0, 2), ::testing::Values(-1, 1)));

}  // namespace
