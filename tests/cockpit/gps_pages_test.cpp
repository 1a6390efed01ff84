// The GPS pages: distances and bearings against a great-circle computation, the nearest item,
// airports' records read from "flp.sms" (whole records only, however the file is broken), the
// flight plan's leg, and golden pictures of the map, north up round an airport and heading up
// in the nearest mode, in the installation's fonts.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <vector>

#include "cockpit/gps_display.h"
#include "core/ini_file.h"
#include "core/resource_volume.h"
#include "flight/flight_model_state.h"
#include "gfx/font.h"
#include "gfx/palette.h"
#include "nav/independent_projection.h"
#include "nav/lat_lon.h"
#include "nav/nav_database.h"
#include "planning/planning_services.h"
#include "support/golden_image.h"
#include "world/airport_objects.h"
#include "world/airport_records.h"
#include "installed_art.h"

namespace {

using cockpit::GpsDisplay;
using cockpit::theGpsSources;

constexpr double kUnitsPerMile = 1852.0 * 256.0;

std::vector<std::uint8_t> theSms;
planning::FlightPlan thePlan;
bool thePlanActive = false;

int ReadFixture(std::uint32_t offset, std::uint8_t* buffer, int size) {
    if (offset >= theSms.size()) return 0;
    const auto n = std::min<std::size_t>(static_cast<std::size_t>(size), theSms.size() - offset);
    std::memcpy(buffer, theSms.data() + offset, n);
    return static_cast<int>(n);
}

// An airport with two crossing runways (12/30 and 3L/21R), its frequencies, and where its
// name-list entry lies.
std::uint32_t BuildAirportFile() {
    nav::SmsAirportHeader h;
    h.elevation = 12;
    h.atis = 0x3565;
    h.tower = 0x1930;
    h.ground = 0x2170;
    const auto end = [](std::uint8_t rwy, double x, double z, double headingDeg) {
        nav::SmsRunwayRecord r;
        r.runway = rwy;
        r.x = static_cast<std::int32_t>(x);
        r.z = static_cast<std::int32_t>(z);
        r.heading = static_cast<std::uint16_t>(headingDeg / 360.0 * 65536.0);
        r.length = 4000;
        r.width = 100;
        return r;
    };
    const double m = kUnitsPerMile;
    const std::vector<nav::SmsRunwayRecord> rows = {
        end(12, -0.3 * m, 0.17 * m, 120), end(30, 0.3 * m, -0.17 * m, 300),
        end(3 | nav::kRunwayLeft, -0.1 * m, -0.3 * m, 30),
        end(21 | nav::kRunwayRight, 0.1 * m, 0.3 * m, 210)};
    nav::SmsBytes record;
    EXPECT_TRUE(nav::EncodeAirportRecord(h, rows, &record));
    nav::SmsFileBuilder builder;
    EXPECT_TRUE(builder.Add(0, "KTST Test Field", record));
    std::vector<std::uint32_t> entries, records;
    theSms = builder.Build(&entries, &records);
    return entries.at(0);
}

class GpsPages : public ::testing::Test {
protected:
    void SetUp() override {
        saved = theGpsSources;
        theGpsSources.readSms = &ReadFixture;
        theGpsSources.flightPlan = [] {
            return thePlanActive ? &thePlan : static_cast<const planning::FlightPlan*>(nullptr);
        };
        theGpsSources.airportObjects = [] {
            return static_cast<const world::AirportObjectDatabase*>(nullptr);
        };
        theGpsSources.variation = [] { return std::int16_t{0}; };
        const std::uint32_t entry = BuildAirportFile();
        nav::NavDatabase& db = nav::theNavDatabase;
        db.Clear();
        const auto mi = [](double miles) { return static_cast<std::int32_t>(miles * kUnitsPerMile); };
        db.airports.push_back({"KTST", 0, 0, 12, entry});
        db.airports.push_back({"KFAR", mi(40), mi(40), 100, 0x7FFFFFF0});
        db.vors.push_back({"TST", 11390, mi(1.5), mi(0.4), 30, nav::kVorFlag | nav::kVortacFlag});
        db.ndbs.push_back({"TS", 350, mi(-1.0), mi(1.2), 10, 0});
        db.waypoints.push_back({"ALPHA", mi(-1.4), mi(-1.1)});
        db.waypoints.push_back({"BRAVO", mi(1.2), mi(-1.3)});
        nav::IlsRecord ils;
        ils.ident = "I-TST";
        ils.frequency = 10990;
        ils.x = mi(-0.35), ils.z = mi(0.2);
        ils.course = static_cast<std::uint16_t>(300.0 / 360.0 * 65536.0);
        db.ils.push_back(ils);
        db.airways.push_back({27, {{"ALPHA", mi(-3), mi(-3)}, {"TST", mi(1.5), mi(0.4)}, {"X", mi(3), mi(3)}}});
        db.airways.push_back({109, {{"ALPHA", mi(-3), mi(-3)}, {"TST", mi(1.5), mi(0.4)}}});
        db.airways.push_back({200, {}});
        db.airways.push_back({201, {{"FAR", 2000000000, -2000000000}, {"NEAR", -2000000000, 2000000000}}});
        flight::theFlightModelState = {};
        thePlanActive = false;
    }
    void TearDown() override {
        theGpsSources = saved;
        nav::theNavDatabase.Clear();
        flight::theFlightModelState = {};
    }
    cockpit::GpsSources saved{};
};

TEST_F(GpsPages, DistancesAndBearingsMatchAGreatCircle) {
    // Real places round San Carlos: the distance on the plane against the haversine distance,
    // the bearing with the plane's convergence taken as the variation.
    const struct {
        double lat0, lon0, lat1, lon1;
    } cases[] = {
        {37.5119, -122.2495, 37.3925, -122.2813},  // KSQL to the Woodside VOR
        {37.5119, -122.2495, 37.6189, -122.3750},  // to San Francisco
        {37.5119, -122.2495, 37.7213, -122.2208},  // to Oakland, nearly north
        {37.5119, -122.2495, 38.5125, -121.4935},  // to Sacramento, 68 NM
        {37.5119, -122.2495, 37.5119, -121.9000},  // due east
    };
    for (const auto& c : cases) {
        std::int32_t x0, z0, x1, z1;
        // The world's longitudes count west.
        nav::LatLonToWorld(&x0, &z0, c.lat0, -c.lon0);
        nav::LatLonToWorld(&x1, &z1, c.lat1, -c.lon1);
        const double miles = navtest::Metres(c.lat0, c.lon0, c.lat1, c.lon1) / 1852.0;
        const double trueBearing = navtest::GcBearing(c.lat0, c.lon0, c.lat1, c.lon1);
        const double dx = static_cast<double>(x1) - x0, dz = static_cast<double>(z1) - z0;
        const double shown = cockpit::GpsTenthsOfMile(dx, dz) / 10.0;
        EXPECT_NEAR(shown, miles, std::max(0.1, miles * 0.01)) << c.lat1 << "," << c.lon1;
        const double convergence = nav::MeridianConvergence(-(c.lon0 + c.lon1) / 2);
        const int bearing = cockpit::GpsBearing(
            dx, dz, static_cast<std::int16_t>(std::lround(convergence / 360.0 * 65536.0)));
        EXPECT_LE(std::fabs(std::remainder(bearing - trueBearing, 360.0)), 2.0)
            << bearing << " against " << trueBearing;
    }
    // North shows as 360, never 0.
    EXPECT_EQ(cockpit::GpsBearing(0, 1000, 0), 360);
    EXPECT_EQ(cockpit::GpsBearing(1000, 0, 0), 90);
    EXPECT_EQ(cockpit::GpsBearing(0, -1000, 0), 180);
}

// Without a bezel the page is outlined, and so are the borders inside it: every pixel on those
// lines is the frame's colour, for borders of none, one pixel, uneven widths and wider than the
// page.
TEST_F(GpsPages, TheFrameOutlinesThePageAndItsBordersAtEveryWidth) {
    struct Borders {
        int left, right, top, bottom;
    };
    const Borders cases[] = {
        {0, 0, 0, 0}, {1, 1, 1, 1}, {3, 5, 2, 7}, {12, 12, 16, 24}, {300, 2, 250, 1}};
    for (const Borders& b : cases) {
        SCOPED_TRACE(testing::Message()
                     << b.left << " " << b.right << " " << b.top << " " << b.bottom);
        GpsDisplay gps;
        // The default colours matched to a ramp, so that the frame's differs from the page's.
        std::array<cockpit::GpsRgb, 256> ramp{};
        for (int i = 0; i < 256; ++i)
            ramp[i] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                       static_cast<std::uint8_t>(i / 2)};
        core::theIniFile.DeleteSection("GPSColors");
        gps.LoadColors(1, &ramp);
        ASSERT_NE(gps.Color(cockpit::kInfText), gps.Color(cockpit::kBgnFill));
        gps.SetWindowRect(0, 0, 40, 30);
        gps.SetBorders(b.left, b.right, b.top, b.bottom);
        gps.DrawPage();
        const int w = gps.Width(), h = gps.Height();
        ASSERT_GT(w * h, 0);
        const int bl = std::max(1, b.left), br = std::max(1, b.right);
        const int bt = std::max(1, b.top), bb = std::max(1, b.bottom);
        int lined = 0, wrong = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const bool line = x == 0 || y == 0 || x == w - 1 || y == h - 1 ||
                                  ((x == bl - 1 || x == w - br) && y >= bt - 1 && y <= h - bb) ||
                                  ((y == bt - 1 || y == h - bb) && x >= bl - 1 && x <= w - br);
                if (!line) continue;
                ++lined;
                wrong += gps.Page()[static_cast<std::size_t>(y * w + x)] !=
                         gps.Color(cockpit::kInfText);
            }
        EXPECT_GE(lined, 2 * (w + h) - 4);
        EXPECT_EQ(wrong, 0);
    }
}

TEST_F(GpsPages, NearestItemIsTheFirstOfTheLeastDistance) {
    nav::NavDatabase& db = nav::theNavDatabase;
    db.waypoints = {{"A", 500, 0}, {"B", 0, 300}, {"C", -300, 0}, {"D", 0, -300}};
    flight::theFlightModelState.fmPosX = 0;
    EXPECT_EQ(GpsDisplay::NearestItem(3), 1);  // B, C and D tie: the first stays
    flight::theFlightModelState.fmPosX = 400;
    EXPECT_EQ(GpsDisplay::NearestItem(3), 0);
    db.waypoints.clear();
    EXPECT_EQ(GpsDisplay::NearestItem(3), -1);
    EXPECT_EQ(GpsDisplay::NearestItem(0), 0);  // KTST is nearer than KFAR
}

TEST_F(GpsPages, AirportRecordsAreReadWholeOrNotAtAll) {
    const std::uint32_t entry = nav::theNavDatabase.airports[0].entryOffset;
    const cockpit::GpsAirport whole = cockpit::ReadGpsAirport(entry, &ReadFixture);
    ASSERT_TRUE(whole.valid);
    ASSERT_EQ(whole.runways.size(), 4u);
    EXPECT_EQ(whole.header.atis, 0x3565);
    EXPECT_EQ(whole.runways[2].runway, 3 | nav::kRunwayLeft);

    // Every truncation, a count beyond the file, a record offset beyond it, an entry that is not
    // an airport and entry offsets outside the file: a record is whole or invalid, never a crash.
    const std::vector<std::uint8_t> file = theSms;
    for (std::size_t size = 0; size < file.size(); ++size) {
        theSms.assign(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(size));
        const cockpit::GpsAirport a = cockpit::ReadGpsAirport(entry, &ReadFixture);
        if (a.valid) {
            EXPECT_EQ(a.runways.size(), 4u) << size;
        }
    }
    const std::uint32_t record = file[entry + 1] | file[entry + 2] << 8 | file[entry + 3] << 16 |
                                 static_cast<std::uint32_t>(file[entry + 4]) << 24;
    const struct {
        std::size_t at;
        std::uint8_t value;
    } breaks[] = {{record, 255}, {entry + 4, 0x7F}, {entry, 1}, {entry, 0x35}};
    for (const auto& b : breaks) {
        theSms = file;
        theSms[b.at] = b.value;
        EXPECT_FALSE(cockpit::ReadGpsAirport(entry, &ReadFixture).valid) << b.at;
    }
    theSms = file;
    for (std::uint32_t offset : {0xFFFFFFFFu, 0x7FFFFFFFu, static_cast<std::uint32_t>(file.size() - 2)})
        EXPECT_FALSE(cockpit::ReadGpsAirport(offset, &ReadFixture).valid) << offset;

    // The frame of an airport without a record is 0, which the scale setter refuses.
    GpsDisplay g;
    EXPECT_GT(g.AirportFrameRange(0), 0.3);
    EXPECT_EQ(g.AirportFrameRange(1), 0.0);
    g.SetScale(7.0);
    g.SetScale(g.AirportFrameRange(1));
    EXPECT_EQ(g.Range(), 7.0);
}

TEST_F(GpsPages, TheFlightPlanChoosesTheNavigationPage) {
    GpsDisplay g;
    g.SetPageState(1, 4, 0, -1, 0x10F);
    const char* idents[] = {"KTST", "TST", "TS", "KFAR"};
    const int kinds[] = {1, 2, 3, 1};
    for (int i = 0; i < 4; ++i) {
        thePlan.nodes[static_cast<std::size_t>(i)].ident = idents[i];
        thePlan.nodes[static_cast<std::size_t>(i)].kind = kinds[i];
    }
    thePlan.active = 1;
    const struct {
        bool active;
        int nodes, current, page;
        const char* from;
        const char* to;
    } cases[] = {
        {false, 4, 0, 4, "", ""},   {true, 0, 0, 4, "", ""},
        {true, 4, 0, 5, "KTST", "TST"}, {true, 4, 1, 6, "TST", "TS"},
        {true, 4, 2, 7, "TS", "KFAR"},  {true, 4, 9, 7, "KFAR", ""},
    };
    for (const auto& c : cases) {
        thePlanActive = c.active;
        thePlan.nodeCount = c.nodes;
        thePlan.currentNode = c.current;
        g.UpdateFlightPlanProgress();
        EXPECT_EQ(g.CurrentPage(), c.page) << c.current;
        EXPECT_EQ(g.FromSlot().ident, c.from);
        EXPECT_EQ(g.ToSlot().valid ? g.ToSlot().ident : "", c.to);
    }
    thePlanActive = true;
    thePlan.currentNode = 1;
    g.UpdateFlightPlanProgress();
    EXPECT_EQ(g.FromSlot().x, nav::theNavDatabase.vors[0].x);
    EXPECT_EQ(g.ToSlot().z, nav::theNavDatabase.ndbs[0].z);
    std::int32_t x, z;
    EXPECT_FALSE(GpsDisplay::FindWaypoint(4, "TST", &x, &z));  // kinds 4 and 5 are not looked up
}

TEST_F(GpsPages, TheEnRouteBoxTellsWhichWayTheNextWaypointLies) {
    // A leg due north from SOUTH to NORTH, 10 NM long.
    nav::NavDatabase& db = nav::theNavDatabase;
    db.waypoints = {{"SOUTH", 0, 0}, {"NORTH", 0, static_cast<std::int32_t>(10 * kUnitsPerMile)}};
    const char* idents[] = {"KTST", "SOUTH", "NORTH", "KFAR"};
    const int kinds[] = {1, 6, 6, 1};
    for (int i = 0; i < 4; ++i) {
        thePlan.nodes[static_cast<std::size_t>(i)].ident = idents[i];
        thePlan.nodes[static_cast<std::size_t>(i)].kind = kinds[i];
    }
    thePlan.active = 1;
    thePlan.nodeCount = 4;
    thePlan.currentNode = 1;
    thePlanActive = true;
    const struct {
        double east, north;
        const char* bearing;
        const char* offCourse;
    } cases[] = {
        {0.0, 5.0, "360 deg BRG  5.0 NM", "R0 DEG"},
        {1.0, 0.0, "354 deg BRG  10.1 NM", "L5 DEG"},
        {-1.0, 0.0, "6 deg BRG  10.1 NM", "R5 DEG"},
        {0.0, 12.0, "180 deg BRG  2.0 NM", "R180 DEG"},
    };
    GpsDisplay g;
    g.SetPageState(1, 4, 0, -1, 0x10F);
    for (const auto& c : cases) {
        flight::theFlightModelState.fmPosX = static_cast<std::int32_t>(c.east * kUnitsPerMile);
        flight::theFlightModelState.fmPosZ = static_cast<std::int32_t>(c.north * kUnitsPerMile);
        g.UpdateFlightPlanProgress();
        g.DrawPage();
        ASSERT_EQ(g.CurrentPage(), 6);
        ASSERT_EQ(g.BoxLines().size(), 5u);
        EXPECT_EQ(g.BoxLines()[0], "SOUTH --> NORTH");
        EXPECT_EQ(g.BoxLines()[1], c.bearing);
        EXPECT_EQ(g.BoxLines()[4], c.offCourse);
    }
}

TEST_F(GpsPages, TheInstalledAirportsAgreeWithThePublicData) {
    // The starter installation's airport table: the nearest airport to a point equals a
    // brute-force nearest, and distances and bearings between real airports match a great-circle
    // computation from their reference points in the public data.
    const std::string install = cockpittest::Install();
    if (!std::filesystem::exists(install + "/Data/Data.Vol")) GTEST_SKIP() << "no installation";
    core::ResourceVolume data((install + "/Data/Data.Vol").c_str(), (install + "/Data/Nav").c_str(), 0);
    const std::string bytes = cockpittest::MemberBytes(data, "na.apt");
    ASSERT_GT(bytes.size(), 4u);
    nav::NavDatabase& db = nav::theNavDatabase;
    db.airports.clear();
    const auto* raw = reinterpret_cast<const std::uint8_t*>(bytes.data());
    for (std::size_t at = 4; at + nav::kAirportRowBytes <= bytes.size(); at += nav::kAirportRowBytes)
        db.airports.push_back(nav::DecodeAirportRow(raw + at));
    ASSERT_GT(db.airports.size(), 1000u);
    const auto find = [&](const char* ident) -> const nav::AirportIndexRecord* {
        for (const auto& a : db.airports)
            if (a.ident == ident) return &a;
        return nullptr;
    };
    // The public data's reference points, degrees north and east.
    struct Place {
        std::string ident;
        double lat = 0, lon = 0;
    };
    std::vector<Place> places;
    const auto rows = navtest::ReadNavCsv("airport.csv");
    for (const char* ident : {"KSQL", "KSFO", "KOAK", "KSJC", "KSMF", "KBOS", "KDEN"})
        for (const auto& row : rows)
            if (row.size() > 5 && row[0] == ident) places.push_back({ident, std::stod(row[4]), std::stod(row[5])});
    ASSERT_EQ(places.size(), 7u);
    for (const auto& to : places) {
        const auto* a = find(places[0].ident.c_str());
        const auto* b = find(to.ident.c_str());
        ASSERT_TRUE(a != nullptr && b != nullptr) << to.ident;
        flight::theFlightModelState.fmPosX = a->x + 3000;
        flight::theFlightModelState.fmPosZ = b->z - 2000;
        int brute = 0;
        for (std::size_t i = 1; i < db.airports.size(); ++i) {
            const auto d = [&](std::size_t k) {
                return std::hypot(double(db.airports[k].x) - flight::theFlightModelState.fmPosX,
                                  double(db.airports[k].z) - flight::theFlightModelState.fmPosZ);
            };
            if (d(i) < d(static_cast<std::size_t>(brute))) brute = static_cast<int>(i);
        }
        EXPECT_EQ(GpsDisplay::NearestItem(0), brute) << to.ident;
        if (b == a) continue;
        const double miles = navtest::Metres(places[0].lat, places[0].lon, to.lat, to.lon) / 1852.0;
        const double bearing = navtest::GcBearing(places[0].lat, places[0].lon, to.lat, to.lon);
        const double dx = double(b->x) - a->x, dz = double(b->z) - a->z;
        EXPECT_NEAR(cockpit::GpsTenthsOfMile(dx, dz) / 10.0, miles, std::max(0.1, miles * 0.01)) << to.ident;
        // A straight line on the plane leaves the great circle over long distances: bearings
        // are compared within 200 NM, with the plane's convergence at the start.
        if (miles > 200.0) continue;
        const double convergence = nav::MeridianConvergence(-places[0].lon);
        const int shown = cockpit::GpsBearing(
            dx, dz, static_cast<std::int16_t>(std::lround(convergence / 360.0 * 65536.0)));
        const double diff = std::fabs(std::remainder(shown - bearing, 360.0));
        EXPECT_LE(diff, 2.0) << to.ident << ": " << shown << " against " << bearing;
    }
}

class GpsGolden : public GpsPages {
protected:
    void SetUp() override {
        GpsPages::SetUp();
        const std::string install = cockpittest::Install();
        if (!std::filesystem::exists(install + "/Art/Panel.Vol")) GTEST_SKIP() << "no installation";
        core::ResourceVolume panel((install + "/Art/Panel.Vol").c_str(),
                                   (install + "/Art/Panel").c_str(), 0);
        auto small = panel.LoadFont("gps5.pft");
        auto large = panel.LoadFont("gps7.pft");
        auto symbols = panel.LoadFont("gpsSymbl.pft");
        auto palette = panel.LoadPalette("gps.pal", 0);
        if (!small || !large || !symbols || !palette) GTEST_SKIP() << "no GPS art installed";
        for (int i = 0; i < 256; ++i)
            colours[i] = {palette->entries[i].red, palette->entries[i].green, palette->entries[i].blue};
        gps.SetFonts(std::move(small), std::move(large), std::move(symbols));
        gps.SetWindowRect(0, 0, 256, 256);
        gps.SetBorders(12, 12, 16, 24);
        // The default colours, whatever an earlier test left in the settings.
        core::theIniFile.DeleteSection("GPSColors");
        gps.LoadColors(1, &colours);
    }

    testsupport::IndexedImage Picture() {
        gps.DrawPage();
        testsupport::IndexedImage image;
        image.width = gps.Width();
        image.height = gps.Height();
        image.pixels = gps.Page();
        for (int i = 0; i < 256; ++i)
            image.colours[static_cast<std::size_t>(i)] =
                static_cast<std::uint32_t>(colours[i].r << 16 | colours[i].g << 8 | colours[i].b);
        return image;
    }
    int Count(const testsupport::IndexedImage& image, cockpit::GpsColor c) const {
        return static_cast<int>(std::count(image.pixels.begin(), image.pixels.end(), gps.Color(c)));
    }

    GpsDisplay gps;
    std::array<cockpit::GpsRgb, 256> colours{};
};

TEST_F(GpsGolden, NorthUpRoundAnAirport) {
    // The waypoint page of the airport, framed on its runways.
    gps.SetPageState(0, 0, 0, 0, 0x30F);
    gps.SetScale(gps.AirportFrameRange(0));
    flight::theFlightModelState.fmPosX = static_cast<std::int32_t>(2.0 * kUnitsPerMile);
    flight::theFlightModelState.fmHead = 0x4000;
    const testsupport::IndexedImage image = Picture();
    EXPECT_EQ(testsupport::CompareGolden("gps_north_up.bmp", image), "");
    EXPECT_GT(Count(image, cockpit::kRwyLine), 40);
    EXPECT_GT(Count(image, cockpit::kRwyText), 10);
    ASSERT_GE(gps.BoxLines().size(), 6u);
    EXPECT_EQ(gps.BoxLines()[0], "ID: KTST");
    EXPECT_EQ(gps.BoxLines()[1], "Type: Airport");
    EXPECT_EQ(gps.BoxLines()[4], "12.0 FT");
    EXPECT_EQ(gps.BoxLines()[5], "270 deg BRG  2.0 NM");
    // Runway 12/30 runs from upper left to lower right on a north-up map.
    int px0, py0, px1, py1;
    gps.WorldToMap(-0.3 * kUnitsPerMile, 0.17 * kUnitsPerMile, &px0, &py0);
    gps.WorldToMap(0.3 * kUnitsPerMile, -0.17 * kUnitsPerMile, &px1, &py1);
    EXPECT_LT(px0, px1);
    EXPECT_LT(py0, py1);
}

TEST_F(GpsGolden, HeadingUpInTheNearestMode) {
    // Heading 300 (the runway), a mile and a half south-east of the field: the field ahead.
    gps.SetPageState(2, 8, 0, -1, 0x70F);
    gps.SetScale(5.0);
    flight::theFlightModelState.fmPosX = static_cast<std::int32_t>(1.3 * kUnitsPerMile);
    flight::theFlightModelState.fmPosZ = static_cast<std::int32_t>(-0.75 * kUnitsPerMile);
    flight::theFlightModelState.fmHead = static_cast<std::uint16_t>(300.0 / 360.0 * 65536.0);
    flight::theFlightModelState.fmDeltaX = -90 * 256 / 2;
    flight::theFlightModelState.fmDeltaZ = 52 * 256 / 2;
    const testsupport::IndexedImage image = Picture();
    EXPECT_EQ(testsupport::CompareGolden("gps_heading_up.bmp", image), "");
    int ax, ay;
    gps.WorldToMap(0, 0, &ax, &ay);
    EXPECT_NEAR(ax, 128, 3);  // straight ahead
    EXPECT_LT(ay, 100);
    EXPECT_GT(Count(image, cockpit::kVicLine), 20);
    EXPECT_GT(Count(image, cockpit::kIlsLeft), 5);
    EXPECT_GT(Count(image, cockpit::kPlnIcon), 8);
    ASSERT_EQ(gps.BoxLines().size(), 1u);
    EXPECT_EQ(gps.BoxLines()[0].substr(0, 7), "300 TRK");
    // Standing still but for the wheels settling, it shows no track.
    flight::theFlightModelState.fmDeltaX = 3;
    flight::theFlightModelState.fmDeltaZ = -2;
    (void)Picture();
    EXPECT_EQ(gps.BoxLines()[0].substr(0, 7), "--- TRK");
}

TEST_F(GpsGolden, TheRangeShowsOnlyWhenTheWindowIsWideEnoughForThePage) {
    const struct {
        int mode, page, width;
        bool shown;
    } cases[] = {
        {0, 0, 199, false}, {0, 0, 200, true},  {1, 6, 255, false}, {1, 6, 256, true},
        {2, 8, 159, false}, {2, 8, 160, true},  {0, 1, 128, true},
    };
    for (const auto& c : cases) {
        gps.SetWindowRect(0, 0, c.width, 200);
        gps.SetPageState(c.mode, c.page, 0, -1, 0);
        gps.DrawPage();
        int ink = 0;
        for (int y = 1; y < 15; ++y)
            for (int x = 12; x < c.width - 12; ++x)
                ink += gps.Page()[static_cast<std::size_t>(y * c.width + x)] == gps.Color(cockpit::kInfText);
        EXPECT_EQ(ink > 0, c.shown) << c.page << " " << c.width;
    }
}

TEST_F(GpsGolden, FieldsJustOffTheMapStillShowWhatReachesIntoIt) {
    // The field's centre lies off the map, but within about 4.35 NM of its centre: its runway
    // (1 NM range) or its localiser wedge (15 NM) still reaches in; farther fields are not drawn.
    const struct {
        double range, milesEast;
        cockpit::GpsColor colour;
        bool drawn;
    } cases[] = {
        {1.0, 0.75, cockpit::kRwyLine, true},   // the field 0.75 NM west, the map 0.55 NM wide
        {1.0, 6.0, cockpit::kRwyLine, false},
        {15.0, 6.0, cockpit::kIlsLeft, true},   // the map reaches 8 NM, the localiser 6 NM west
        {15.0, 12.0, cockpit::kIlsLeft, false},
    };
    for (const auto& c : cases) {
        gps.SetPageState(2, 8, 0, -1, 0x101);
        gps.SetScale(c.range);
        flight::theFlightModelState.fmPosX = static_cast<std::int32_t>(c.milesEast * kUnitsPerMile);
        flight::theFlightModelState.fmHead = 0;
        // Inside the map only: the range label and the box share the runways' grey.
        const testsupport::IndexedImage image = Picture();
        int ink = 0;
        for (int y = 16; y < 215; ++y)
            for (int x = 12; x < 244; ++x)
                ink += image.pixels[static_cast<std::size_t>(y * image.width + x)] == gps.Color(c.colour);
        EXPECT_EQ(ink > 0, c.drawn) << c.range << " " << c.milesEast;
    }
}

TEST_F(GpsGolden, ObstaclesNearTheCentreWhenTheirLayerIsOn) {
    // Two masts near the field and one far away; only the near ones are drawn, and only with the
    // obstacle layer on.
    static world::AirportObjectDatabase objects;
    const auto mast = [](double milesEast) {
        world::ObstacleRecord o;
        o.x = world::kWorldOriginX + static_cast<std::int32_t>(milesEast * kUnitsPerMile * 0.009941939075797343);
        o.z = world::kWorldOriginZ;
        return o;
    };
    objects.SetRecords({}, {}, {mast(0.5), mast(-0.8), mast(60.0)});
    theGpsSources.airportObjects = [] { return static_cast<const world::AirportObjectDatabase*>(&objects); };
    gps.SetScale(4.0);
    gps.SetPageState(2, 8, 0, -1, 0x100);
    const int without = Count(Picture(), cockpit::kObsIcon);
    gps.SetPageState(2, 8, 0, -1, 0x500);
    const int with = Count(Picture(), cockpit::kObsIcon);
    EXPECT_GE(with - without, 2 * 8);
    EXPECT_LE(with - without, 2 * 20);
}

}  // namespace
