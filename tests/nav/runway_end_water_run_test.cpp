// An aircraft rolling off a runway's end at speed, in the running program: where the runway ends
// at the water of a bay or a harbour it crashes there (the crash picture shown, the aircraft
// stopped just past the end); where it ends on land it rolls on. The aircraft starts with the
// type's flight ready to fly moved onto the centreline 800 ft before the far end and rolls from
// there at full power with the brakes off, on the four types with retractable gear (the Cessna 172
// is off the ground in a shorter run, before it reaches the water).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "core/ini_file.h"
#include "independent_projection.h"
#include "script_run.h"
#include "support/screenshot.h"

namespace {

struct Case {
    const char* airport;
    const char* end;  // rolled along from its threshold to the runway's far end
    bool water;       // beyond the far end: the bay or the harbour (else land)
};

// San Francisco 10L ends at the bay, La Guardia 4 at Flushing Bay; Denver 16R and San Jose 11 end
// in fields.
constexpr Case kCases[] = {{"KSFO", "10L", true},
                           {"KLGA", "04", true},
                           {"KDEN", "16R", false},
                           {"KSJC", "11", false}};

struct Runway {
    double lat = 0, lon = 0, farLat = 0, farLon = 0, course = 0;
};

Runway Find(const Case& c) {
    Runway r;
    for (const auto& rw : navtest::ReadNavCsv("runway.csv")) {
        if (rw.size() < 11 || rw[0] != c.airport) continue;
        const bool first = rw[3] == c.end;
        if (!first && rw[7] != c.end) continue;
        r.lat = std::stod(first ? rw[4] : rw[8]);
        r.lon = std::stod(first ? rw[5] : rw[9]);
        r.farLat = std::stod(first ? rw[8] : rw[4]);
        r.farLon = std::stod(first ? rw[9] : rw[5]);
        r.course = navtest::GcBearing(r.lat, r.lon, r.farLat, r.farLon);
    }
    return r;
}

class RunwayEndRollOff : public navtest::ScriptRun,
                         public ::testing::WithParamInterface<std::tuple<int, int>> {};

TEST_P(RunwayEndRollOff, CrashesInTheWaterAndRollsOnOnLand) {
    const auto [which, type] = GetParam();
    const Case& c = kCases[which];
    const Runway rw = Find(c);
    ASSERT_NE(rw.lat, 0.0) << c.airport << " " << c.end;
    const std::string what =
        std::string(c.airport) + " " + c.end + " type " + std::to_string(type);

    // The type's flight ready to fly, its engines running and its brakes set, moved to the
    // centreline 800 ft before the far end and turned along the runway on the world plane.
    const char* const kReady[5] = {"C172Fly.Flt", "BonFly.Flt", "BarFly.Flt", "KingFly.Flt",
                                   "JetFly.Flt"};
    std::filesystem::copy_file(dir.Path(std::string("Flights/") + kReady[type]),
                               dir.Path("Flights/RollOff.Flt"),
                               std::filesystem::copy_options::overwrite_existing);
    const double length = navtest::Metres(rw.lat, rw.lon, rw.farLat, rw.farLon);
    const double f = (length - 800.0 * 0.3048) / length;
    double x = 0, z = 0, farX = 0, farZ = 0;
    navtest::GeographicToWorld(rw.lat + f * (rw.farLat - rw.lat), rw.lon + f * (rw.farLon - rw.lon),
                               &x, &z);
    navtest::GeographicToWorld(rw.farLat, rw.farLon, &farX, &farZ);
    const double heading = std::atan2(farX - x, farZ - z) * 180.0 / navtest::kPi;
    {
        core::IniFile flight(dir.Path("Flights/RollOff.Flt").c_str());
        ASSERT_EQ(flight.PutInt("Aircraft", "fmPosX", static_cast<std::int32_t>(x)), 1);
        ASSERT_EQ(flight.PutInt("Aircraft", "fmPosZ", static_cast<std::int32_t>(z)), 1);
        ASSERT_EQ(flight.PutInt("Aircraft", "fmHead",
                                static_cast<std::int32_t>(std::lround(heading * 65536.0 / 360.0)) &
                                    0xFFFF),
                  1);
    }

    // Brakes off, full power, its place saved every 2 seconds for 40 seconds.
    std::string script =
        "frame-interval 500\nwait 300\nmenu 109\ndialog \"Resume Flight\"\nset 1120 "
        "RollOff.Flt\nkey Return press\nwait 1000\nkey B press\nkey Backspace press\n";
    constexpr int kPlaces = 21;
    for (int i = 0; i < kPlaces; ++i)
        script += "save " + dir.Path("p" + std::to_string(i) + ".flt") + "\nwait 2000\n";
    const auto r = run.Play(script + "screenshot " + dir.Path("end.bmp") + "\nquit\n");
    ASSERT_EQ(r.status, 0) << r.out;

    // Where it went along the runway's course from the far end, and whether it stopped.
    std::vector<navtest::OutAndAcross> at;
    for (int i = 0; i < kPlaces; ++i) {
        const Saved p = Read(("p" + std::to_string(i) + ".flt").c_str());
        at.push_back(navtest::FromThreshold(rw.farLat, rw.farLon, rw.course, p.lat, p.lon));
    }
    // The ground covered over the last 4 seconds, and how far past the end it came.
    const navtest::OutAndAcross &last = at.back(), &before = at[kPlaces - 3];
    const double moved = std::hypot(last.out - before.out, last.across - before.across);
    const double past = -last.out;  // out counts back from the far end along the approach
    const auto picture = testsupport::ReadScreenshot(run.Dir().Read("end.bmp"), 640, 480);
    ASSERT_FALSE(picture.empty());
    const int red = testsupport::CrashWordPixels(picture);
    std::printf("%s: %.0f ft past the end, moved %.0f ft in the last 4 s, crash picture %d\n",
                what.c_str(), past, moved, red);
    EXPECT_GT(past, 0.0) << what << ": never rolled off the end";
    if (c.water) {
        EXPECT_GT(red, 500) << what << ": no crash in the water";
        EXPECT_LT(moved, 10.0) << what << ": still moving";
        EXPECT_LT(past, 3000.0) << what << ": stopped too far out";
    } else {
        EXPECT_LT(red, 20) << what << ": crashed on land";
        EXPECT_GT(moved, 50.0) << what << ": stopped on land";
    }
}

INSTANTIATE_TEST_SUITE_P(FourRunwayEndsFourTypes, RunwayEndRollOff,
                         ::testing::Combine(::testing::Values(0, 1, 2, 3),
                                            ::testing::Values(1, 2, 3, 4)));

}  // namespace
