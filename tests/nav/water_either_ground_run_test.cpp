// Water under the wheels in the running program, with the ground drawn textured and in plain
// colours alike ("TerrainTexture" on and off): rolling off a runway's end into a bay or a harbour
// crashes there and rolling off onto land does not; touching down on the open sea off a coast or
// on a lake crashes; taking off from, and landing on, runways whose approach lies over the water do
// not. What is water comes from the public coast outline (read here on its own), the crash from the
// picture the pilot sees and from the aircraft at rest in its saved places.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "core/ini_file.h"
#include "independent_projection.h"
#include "script_run.h"
#include "support/screenshot.h"
#include "support/starter_run.h"

namespace {

constexpr const char* kTypeNames[5] = {"C172", "Bon", "Bar", "King", "Jet"};

// `end` of `airport` from the public runway table.
navtest::RunwayEnd Find(const char* airport, const char* end) {
    return navtest::FindRunwayEnd(airport, end);
}

// Whether the public coast outline puts `lat`, `lon` in the sea: its nearest stretch of shore,
// which has the land on its left, has the point on its right.
bool SeaByTheCoast(double lat, double lon) {
    static const std::vector<std::vector<std::pair<double, double>>> lines = [] {
        std::vector<std::vector<std::pair<double, double>>> read;
        std::ifstream in(std::string(ZEPHLON_SOURCE_DIR) +
                         "/data/outlines-us/coast_intermediate.txt");
        for (std::string line; std::getline(in, line);) {
            if (line.empty()) continue;
            if (line[0] == '>') {
                read.emplace_back();
                continue;
            }
            std::istringstream s(line);
            double x = 0, y = 0;
            if (s >> x >> y && !read.empty()) read.back().emplace_back(x, y);
        }
        return read;
    }();
    // Degrees of longitude scaled to those of latitude round the point.
    const double k = std::cos(lat * navtest::kPi / 180.0);
    double best = 1e9, side = 0;
    for (const auto& l : lines)
        for (std::size_t i = 0; i + 1 < l.size(); ++i) {
            const double ax = (l[i].first - lon) * k, ay = l[i].second - lat;
            const double bx = (l[i + 1].first - lon) * k, by = l[i + 1].second - lat;
            if (std::fabs(ax) > 0.2 || std::fabs(ay) > 0.2) continue;
            const double dx = bx - ax, dy = by - ay, len2 = dx * dx + dy * dy;
            const double t = len2 > 0 ? std::clamp(-(ax * dx + ay * dy) / len2, 0.0, 1.0) : 0.0;
            const double d = std::hypot(ax + t * dx, ay + t * dy);
            if (d < best) {
                best = d;
                side = dx * ay - dy * ax;  // the point (the origin) on the stretch's right: > 0
            }
        }
    return best < 1e9 && side > 0;
}

class WaterRun : public navtest::ScriptRun {
protected:
    // The ground drawn textured (1) or in plain colours (0), for every run of this test.
    void UseTexture(int textured) {
        dir.Write("Zephlon.ini",
                  "[Main Scenery Graphics]\r\nTerrainTexture=" + std::to_string(textured) + "\r\n");
    }
    // `flight` of the installation saved as "Moved.Flt" at a place, heading `heading` degrees on
    // the world plane, `metres` up when given (resumed far from the flight before it, the
    // aircraft keeps that height above the ground under it).
    void Move(const std::string& flight, double lat, double lon, double heading,
              double metres = -1) {
        std::string text = dir.Read("Flights/" + flight);
        double x = 0, z = 0;
        navtest::GeographicToWorld(lat, lon, &x, &z);
        testsupport::PutSavedValue(text, "fmPosX", std::llround(x));
        testsupport::PutSavedValue(text, "fmPosZ", std::llround(z));
        if (metres >= 0) testsupport::PutSavedValue(text, "fmPosY", std::llround(metres * 256.0));
        testsupport::PutSavedValue(text, "fmHead",
                                   std::llround(heading * 65536.0 / 360.0) & 0xFFFF);
        dir.Write("Flights/Moved.Flt", text);
    }
    // The world plane's heading from one place to another.
    static double PlaneHeading(double lat, double lon, double toLat, double toLon) {
        double x = 0, z = 0, tx = 0, tz = 0;
        navtest::GeographicToWorld(lat, lon, &x, &z);
        navtest::GeographicToWorld(toLat, toLon, &tx, &tz);
        return std::atan2(tx - x, tz - z) * 180.0 / navtest::kPi;
    }
    struct Flown {
        std::vector<Saved> places;  // every 2 seconds
        int red = 0;                // the crash picture at the end
    };
    // Resumes "Moved.Flt", runs `then` (keys), saves the flight every 2 seconds for `seconds`
    // and shoots the screen at the end.
    Flown Fly(const std::string& then, int seconds) {
        std::string script =
            "frame-interval 500\nwait 300\nmenu 109\ndialog \"Resume Flight\"\nset 1120 "
            "Moved.Flt\nkey Return press\nwait 1000\n" +
            then;
        const int places = seconds / 2 + 1;
        for (int i = 0; i < places; ++i)
            script += "save " + dir.Path("p" + std::to_string(i) + ".flt") + "\nwait 2000\n";
        const auto r = run.Play(script + "screenshot " + dir.Path("end.bmp") + "\nquit\n");
        EXPECT_EQ(r.status, 0) << r.out;
        Flown f;
        for (int i = 0; i < places; ++i)
            f.places.push_back(Read(("p" + std::to_string(i) + ".flt").c_str()));
        const auto picture = testsupport::ReadScreenshot(dir.Read("end.bmp"), 640, 480);
        EXPECT_FALSE(picture.empty());
        if (!picture.empty()) f.red = testsupport::CrashWordPixels(picture);
        return f;
    }
    // Feet moved over the last 4 seconds.
    static double LastMoved(const Flown& f) {
        const Saved &a = f.places[f.places.size() - 3], &b = f.places.back();
        return navtest::Metres(a.lat, a.lon, b.lat, b.lon) / 0.3048;
    }
};

// ---- rolling off a runway's end ------------------------------------------------------------

struct RollOff {
    const char* airport;
    const char* end;  // rolled along from its threshold to the runway's far end
    bool water;       // beyond the far end: a bay or a harbour (else land)
};

// San Francisco 10L ends at the bay, Oakland 11 at San Leandro Bay, La Guardia 13 on Flushing
// Bay, Boston 9 and 15R at the harbour; San Francisco 28R, San Jose 11 and San Diego 27 end on
// land, and so do Telluride 9 and Aspen 15 in the mountains, past the edges of their floors.
constexpr RollOff kRollOffs[] = {
    {"KSFO", "10L", true}, {"KOAK", "11", true},   {"KLGA", "13", true},  {"KBOS", "09", true},
    {"KBOS", "15R", true}, {"KSFO", "28R", false}, {"KSJC", "11", false}, {"KSAN", "27", false},
    {"KTEX", "09", false}, {"KASE", "15", false}};
constexpr int kRollOffCount = static_cast<int>(std::size(kRollOffs));

class RollOffEitherGround : public WaterRun,
                            public ::testing::WithParamInterface<std::tuple<int, int>> {};

// The type's flight ready to fly moved onto the centreline 800 ft before the far end: brakes
// off, full power for 10 seconds, then idle, so that it rolls off the end at 30 to 40 knots and
// stays on the ground; the types with retractable gear in turn.
TEST_P(RollOffEitherGround, CrashesInTheWaterAndRollsOnOnLand) {
    const auto [which, textured] = GetParam();
    const RollOff& c = kRollOffs[which];
    const int type = 1 + which % 4;
    const navtest::RunwayEnd rw = Find(c.airport, c.end);
    ASSERT_GT(rw.feet, 0.0) << c.airport << " " << c.end;
    const std::string what = std::string(c.airport) + " " + c.end + " type " +
                             std::to_string(type) + (textured != 0 ? " textured" : " plain");
    // The coast outline agrees: sea (or land) from 1,500 to 2,000 ft beyond the end.
    for (const double feet : {1500.0, 2000.0}) {
        const double f = 1.0 + feet / rw.feet;
        EXPECT_EQ(
            SeaByTheCoast(rw.lat + f * (rw.farLat - rw.lat), rw.lon + f * (rw.farLon - rw.lon)),
            c.water)
            << what << " at " << feet << " ft";
    }
    UseTexture(textured);
    const double f = (rw.feet - 800.0) / rw.feet;
    const double lat = rw.lat + f * (rw.farLat - rw.lat), lon = rw.lon + f * (rw.farLon - rw.lon);
    Move(std::string(kTypeNames[type]) + "Fly.Flt", lat, lon,
         PlaneHeading(lat, lon, rw.farLat, rw.farLon));
    const Flown flown = Fly("key B press\nkey Backspace press\nwait 10000\nkey 0 press\n", 40);

    const navtest::OutAndAcross last = navtest::FromThreshold(
        rw.farLat, rw.farLon, rw.course, flown.places.back().lat, flown.places.back().lon);
    const double past = -last.out;  // out counts back from the far end along the approach
    const double moved = LastMoved(flown);
    std::printf("%s: %.0f ft past the end, moved %.0f ft in the last 4 s, crash picture %d\n",
                what.c_str(), past, moved, flown.red);
    EXPECT_GT(past, 0.0) << what << ": never rolled off the end";
    if (c.water) {
        EXPECT_GT(flown.red, 500) << what << ": no crash in the water";
        EXPECT_LT(moved, 10.0) << what << ": still moving";
        EXPECT_LT(past, 2500.0) << what << ": stopped too far out";
    } else {
        EXPECT_LT(flown.red, 20) << what << ": crashed on land";
        EXPECT_GT(moved, 50.0) << what << ": stopped on land";
    }
}

INSTANTIATE_TEST_SUITE_P(EightRunwayEndsBothGrounds, RollOffEitherGround,
                         ::testing::Combine(::testing::Range(0, kRollOffCount),
                                            ::testing::Values(1, 0)));

// ---- touching down on the sea and on lakes -------------------------------------------------

struct OpenWater {
    const char* where;
    double lat, lon;  // miles off a coast; for a lake, its point in the public levels' table,
                      // which lies in the lake's outline
};

constexpr OpenWater kOpenWater[] = {{"west of the Golden Gate", 37.70, -122.75},
                                    {"Santa Monica Bay", 33.85, -118.60},
                                    {"Massachusetts Bay", 42.35, -70.75},
                                    {"south of Long Island", 40.45, -73.40},
                                    {"the Gulf off St Petersburg", 27.70, -82.95},
                                    {"Lake Michigan (south)", 0, 0},
                                    {"Lake Erie", 0, 0},
                                    {"Lake Tahoe", 0, 0}};
constexpr int kOpenWaterCount = static_cast<int>(std::size(kOpenWater));

class WaterLanding : public WaterRun, public ::testing::WithParamInterface<std::tuple<int, int>> {};

// The type's final-approach flight (configured, descending at about 500 ft a minute, a sink the
// wheels take on land) moved there, 150 ft above the water (a flight resumed far away keeps its
// height above the ground under it): the touchdown is a crash, and the aircraft comes to rest.
TEST_P(WaterLanding, TouchingDownOnTheWaterIsACrash) {
    const auto [which, textured] = GetParam();
    OpenWater w = kOpenWater[which];
    if (w.lat == 0) {
        std::ifstream in(std::string(ZEPHLON_SOURCE_DIR) + "/data/water-us/levels.csv");
        for (std::string line; std::getline(in, line);) {
            std::istringstream row(line);
            std::string name, kind, lat, lon;
            if (std::getline(row, name, ',') && name == w.where && std::getline(row, kind, ',') &&
                std::getline(row, lat, ',') && std::getline(row, lon, ',')) {
                w.lat = std::stod(lat);
                w.lon = std::stod(lon);
                break;
            }
        }
        ASSERT_NE(w.lat, 0.0) << w.where;
    } else {
        ASSERT_TRUE(SeaByTheCoast(w.lat, w.lon)) << w.where;
    }
    const int type = which % 5;
    const std::string what = std::string(w.where) + " type " + std::to_string(type) +
                             (textured != 0 ? " textured" : " plain");
    UseTexture(textured);
    Move(std::string(kTypeNames[type]) + "Final.Flt", w.lat, w.lon, 45.0 + 70.0 * which,
         150.0 * 0.3048);
    const Flown flown = Fly("", 60);
    const double moved = LastMoved(flown);
    std::printf("%s: moved %.0f ft in the last 4 s, crash picture %d\n", what.c_str(), moved,
                flown.red);
    EXPECT_GT(flown.red, 500) << what << ": no crash on the water";
    EXPECT_LT(moved, 10.0) << what << ": still moving";
}

INSTANTIATE_TEST_SUITE_P(EightPlacesBothGrounds, WaterLanding,
                         ::testing::Combine(::testing::Range(0, kOpenWaterCount),
                                            ::testing::Values(1, 0)));

// ---- runways by the water ------------------------------------------------------------------

// Runway ends whose approach lies over the water: San Francisco 28R over the bay, Oakland 29 over
// San Leandro Bay, La Guardia 31 over Flushing Bay, Boston 27 and 33L over the harbour.
constexpr const char* kByTheWater[][2] = {
    {"KSFO", "28R"}, {"KOAK", "29"}, {"KLGA", "31"}, {"KBOS", "27"}, {"KBOS", "33L"}};

class ByTheWater : public WaterRun, public ::testing::WithParamInterface<std::tuple<int, int>> {
protected:
    void SetUp() override {
        WaterRun::SetUp();
        const auto [which, textured] = GetParam();
        rw = Find(kByTheWater[which][0], kByTheWater[which][1]);
        ASSERT_GT(rw.feet, 0.0);
        what = std::string(kByTheWater[which][0]) + " " + kByTheWater[which][1] +
               (textured != 0 ? " textured" : " plain");
        // The coast outline agrees: sea 1,500 ft before the threshold.
        const double f = -1500.0 / rw.feet;
        ASSERT_TRUE(
            SeaByTheCoast(rw.lat + f * (rw.farLat - rw.lat), rw.lon + f * (rw.farLon - rw.lon)))
            << what;
        UseTexture(textured);
    }
    // The place `feet` along the runway from its threshold (before it when negative).
    void Along(double feet, double* lat, double* lon) const {
        const double f = feet / rw.feet;
        *lat = rw.lat + f * (rw.farLat - rw.lat);
        *lon = rw.lon + f * (rw.farLon - rw.lon);
    }
    navtest::RunwayEnd rw;
    std::string what;
};

// The Cessna 172 ready to fly moved onto the centreline 100 ft past the threshold: brakes off and
// full power, it leaves the ground and climbs away without a crash.
TEST_P(ByTheWater, TakingOffFromTheThresholdIsNoCrash) {
    double lat = 0, lon = 0;
    Along(100.0, &lat, &lon);
    Move("C172Fly.Flt", lat, lon, PlaneHeading(lat, lon, rw.farLat, rw.farLon));
    const Flown flown = Fly("key B press\nkey Backspace press\n", 50);
    const double moved = LastMoved(flown);
    const double climbed = (flown.places.back().y - flown.places.front().y) / 256.0 / 0.3048;
    std::printf("%s: climbed %.0f ft, moved %.0f ft in the last 4 s, crash picture %d\n",
                what.c_str(), climbed, moved, flown.red);
    EXPECT_LT(flown.red, 20) << what << ": crashed";
    EXPECT_GT(moved, 200.0) << what << ": stopped";
    EXPECT_GT(climbed, 100.0) << what << ": never climbed away";
}

// Each type's final-approach flight moved onto the centreline 2,500 ft before the threshold,
// over the water, on the 3-degree path to a point 1,000 ft past the threshold: it crosses the
// threshold in the air, touches down on the runway and, its power taken off after 30 seconds,
// rolls on along it; no crash.
TEST_P(ByTheWater, LandingOverTheWaterIsNoCrash) {
    const int type = std::get<0>(GetParam()) % 5;
    what += " type " + std::to_string(type);
    double field = 0;
    for (const auto& a : navtest::ReadNavCsv("airport.csv"))
        if (a[0] == kByTheWater[std::get<0>(GetParam())][0]) field = std::stod(a[3]);
    double lat = 0, lon = 0;
    Along(-2500.0, &lat, &lon);
    const double path = 3500.0 * std::tan(3.0 * navtest::kPi / 180.0);
    Move(std::string(kTypeNames[type]) + "Final.Flt", lat, lon,
         PlaneHeading(lat, lon, rw.farLat, rw.farLon), (field + path) * 0.3048);
    const Flown flown = Fly("wait 29000\nkey 0 press\n", 20);
    const Saved& end = flown.places.back();
    const navtest::OutAndAcross at =
        navtest::FromThreshold(rw.lat, rw.lon, rw.course, end.lat, end.lon);
    const double above = end.y / 256.0 / 0.3048 - field;
    std::printf(
        "%s: %.0f ft along the runway, %.0f ft across, %.0f ft above the field, crash "
        "picture %d\n",
        what.c_str(), -at.out, at.across, above, flown.red);
    EXPECT_LT(flown.red, 20) << what << ": crashed";
    EXPECT_GT(-at.out, 0.0) << what << ": short of the runway";
    EXPECT_LT(-at.out, rw.feet) << what << ": past the runway";
    EXPECT_LT(std::fabs(at.across), 100.0) << what << ": off the runway";
    EXPECT_LT(above, 20.0) << what << ": never landed";
    EXPECT_GT(LastMoved(flown), 50.0) << what << ": stopped";
}

INSTANTIATE_TEST_SUITE_P(FiveRunwaysBothGrounds, ByTheWater,
                         ::testing::Combine(::testing::Range(0, 5), ::testing::Values(1, 0)));

}  // namespace
