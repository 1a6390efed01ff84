// The positioning map in the running program, driven by the committed runner scripts in the
// starter installation: OK at once keeps the aircraft, a drag moves it by the pixels travelled,
// the airport tool puts it on a runway threshold, the VOR tool on a radial and the approach
// tool on a localizer; the directory tunes and its four set-up dialogs start near a station;
// each checked against the public data with a second projection; the screenshot shows the coast
// by San Francisco where the outline data puts it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "nav/lat_lon.h"
#include "script_run.h"

namespace {

namespace fs = std::filesystem;

// Where the map control's top-left pixel lies on the 640 x 480 screen while the dialog is up.
constexpr int kMapLeft = 64;
constexpr int kMapTop = 31;

using PositionRun = navtest::ScriptRun;

TEST_F(PositionRun, OkAtOnceKeepsTheAircraftAndShowsTheWholeCountry) {
    const testsupport::CommandResult r = Play("position_ok_at_once.simrun");
    ASSERT_EQ(r.status, 0) << r.out;
    for (const char* line :
         {"read 1819 Static \"4800 nm\"", "read 1823 Static \"50\xB0\"",
          "read 1834 Static \"120\xB0\"", "read 1855 Static \"65\xB0\"", "ended 1"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line << "\n" << r.out;
    // Seven parallels (50 to 20): the eighth label stays empty.
    EXPECT_NE(r.out.find("read 1832 Static \"\""), std::string::npos) << r.out;
    const Saved before = Read("before.flt"), after = Read("after.flt");
    EXPECT_LT(navtest::Metres(before.lat, before.lon, after.lat, after.lon), 1.0);
    EXPECT_EQ(before.heading, after.heading);

    // The coast by San Francisco, Monterey to Cape Mendocino: every point of the low-resolution
    // coast there is drawn in water blue within a pixel of where the grid puts it.
    std::ifstream shot(dir.Path("map.bmp"), std::ios::binary);
    const std::string bmp((std::istreambuf_iterator<char>(shot)), std::istreambuf_iterator<char>());
    ASSERT_GT(bmp.size(), 54u);
    auto u32 = [&](std::size_t at) {
        return static_cast<std::uint32_t>(static_cast<std::uint8_t>(bmp[at])) |
               static_cast<std::uint32_t>(static_cast<std::uint8_t>(bmp[at + 1])) << 8 |
               static_cast<std::uint32_t>(static_cast<std::uint8_t>(bmp[at + 2])) << 16 |
               static_cast<std::uint32_t>(static_cast<std::uint8_t>(bmp[at + 3])) << 24;
    };
    const std::uint32_t offset = u32(10), width = u32(18), height = u32(22);
    const int bytes = static_cast<int>(u32(28) & 0xFFFF) / 8;
    ASSERT_EQ(width, 640u);
    const std::size_t stride = (width * bytes + 3) & ~3u;
    auto water = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= 640 || y >= 480) return false;
        const std::size_t at = offset + (height - 1 - y) * stride + x * bytes;
        return static_cast<std::uint8_t>(bmp[at]) == 190 && static_cast<std::uint8_t>(bmp[at + 1]) == 80 &&
               static_cast<std::uint8_t>(bmp[at + 2]) == 30;
    };
    // The aircraft symbol, drawn over everything at San Carlos, covers a few pixels of the bay.
    double acLat = 0, acLon = 0;
    nav::WorldToLatLon(&acLat, &acLon, after.x, after.z);
    const int symbolX = kMapLeft + static_cast<int>(552.0 / -60.0 * (acLon - 125.0));
    const int symbolY = kMapTop + static_cast<int>(322.0 / -35.0 * (acLat - 55.0));
    std::ifstream coast(std::string(ZEPHLON_SOURCE_DIR) + "/data/outlines-us/coast_low.txt");
    int points = 0, found = 0;
    for (std::string line; std::getline(coast, line);) {
        double lon = 0, lat = 0;
        if (line.empty() || line[0] == '>' || !(std::istringstream(line) >> lon >> lat)) continue;
        if (lat < 36.0 || lat > 40.5 || lon < -124.6 || lon > -121.5) continue;
        const int x = kMapLeft + static_cast<int>(552.0 / -60.0 * (-lon - 125.0));
        const int y = kMapTop + static_cast<int>(322.0 / -35.0 * (lat - 55.0));
        if (std::abs(x - symbolX) <= 6 && std::abs(y - symbolY) <= 6) continue;
        ++points;
        bool near = false;
        for (int dy = -1; dy <= 1 && !near; ++dy)
            for (int dx = -1; dx <= 1 && !near; ++dx)
                near = water(x + dx, y + dy);
        found += near;
    }
    ASSERT_GT(points, 5);
    EXPECT_EQ(found, points);
}

TEST_F(PositionRun, DraggingTheSymbolMovesTheAircraftByThePixelsTravelled) {
    const testsupport::CommandResult r = Play("position_drag.simrun");
    ASSERT_EQ(r.status, 0) << r.out;
    double lat0 = 0, lon0 = 0, lat1 = 0, lon1 = 0;
    const Saved before = Read("before.flt"), after = Read("after.flt");
    nav::WorldToLatLon(&lat0, &lon0, before.x, before.z);
    nav::WorldToLatLon(&lat1, &lon1, after.x, after.z);
    // 100 pixels east at 4800 nm is 100 x 60 / 552 degrees of longitude, counted from the
    // pixel the symbol stood on (a pixel is 60 / 552 degrees).
    const double pixel = 60.0 / 552.0;
    EXPECT_NEAR(lon0 - lon1, 100.0 * pixel, pixel);
    EXPECT_NEAR(lat1, lat0, 35.0 / 322.0);
    // Same height above the ground and the same heading over it.
    EXPECT_EQ(after.y, before.y);
}

TEST_F(PositionRun, TheAirportToolPutsTheAircraftOnTheChosenThreshold) {
    const testsupport::CommandResult r = Play("position_runway.simrun");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("read 1819 Static \"160 nm\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("read 1934 Static \"San Carlos (KSQL)\""), std::string::npos) << r.out;
    // Runway 30's end of the public data (not displaced), facing runway 12's end.
    std::vector<std::string> runway;
    for (const auto& row : navtest::ReadNavCsv("runway.csv"))
        if (row[0] == "KSQL") runway = row;
    ASSERT_EQ(runway.size(), 11u);
    ASSERT_EQ(runway[7], "30");
    ASSERT_EQ(runway[10], "0.00");
    const Saved after = Read("after.flt");
    EXPECT_LT(navtest::Metres(after.lat, after.lon, std::stod(runway[8]), std::stod(runway[9])), 1.0);
    std::int32_t x12, z12, x30, z30;
    nav::LatLonToWorld(&x12, &z12, std::stod(runway[4]), -std::stod(runway[5]));
    nav::LatLonToWorld(&x30, &z30, std::stod(runway[8]), -std::stod(runway[9]));
    const double along = std::atan2(double(x12) - x30, double(z12) - z30) * 180.0 / navtest::kPi;
    EXPECT_LT(std::fabs(std::remainder(after.heading - along, 360.0)), 0.1);
}

// The maker installs the magnetic and grid-north tiles (in Data\\Data.Vol) with the terrain.
bool GridsInstalled() {
    return fs::exists(fs::path(ZEPHLON_BINARY_DIR) / "install" / "Art" / "Terrain" / "USA" / "stub.ted");
}

TEST_F(PositionRun, TheVorToolPutsTheAircraftOnTheRadial) {
    const testsupport::CommandResult r = Play("position_vor.simrun");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("read 1971 Static \"OSI\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("report nav1=113.90 nav1_course=270 nav1_obs=90"), std::string::npos)
        << r.out;
    std::vector<std::string> osi;
    for (const auto& row : navtest::ReadNavCsv("vor.csv"))
        if (row[0] == "OSI") osi = row;
    ASSERT_EQ(osi.size(), 9u);
    const Saved after = Read("after.flt");
    // The altitude typed is above sea level, whatever the ground below.
    EXPECT_NEAR(Reported(r.out, "alt_ft"), 3000.0, 2.0) << r.out;
    // 10 nm from the station: the second projection's great circle.
    const double nm = navtest::Metres(std::stod(osi[2]), std::stod(osi[3]), after.lat, after.lon) / 1852.0;
    EXPECT_NEAR(nm, 10.0, 0.2);
    // The direction from the station: radial 090 on the magnetic grids. Until the world's
    // magnetic and grid-north tiles are installed the grid is the world plane itself, and the
    // radial runs along the plane's east.
    const bool grids = GridsInstalled();
    std::int32_t sx, sz;
    nav::LatLonToWorld(&sx, &sz, std::stod(osi[2]), -std::stod(osi[3]));
    if (!grids) {
        const double bearing = std::atan2(double(after.x) - sx, double(after.z) - sz) * 180.0 / navtest::kPi;
        EXPECT_NEAR(bearing, 90.0, 0.5);
        EXPECT_NEAR(after.heading, 270.0, 0.1);
    } else {
        const double y = std::sin((after.lon - std::stod(osi[3])) * navtest::kPi / 180.0) *
                         std::cos(after.lat * navtest::kPi / 180.0);
        const double lat1 = std::stod(osi[2]) * navtest::kPi / 180.0, lat2 = after.lat * navtest::kPi / 180.0;
        const double x = std::cos(lat1) * std::sin(lat2) - std::sin(lat1) * std::cos(lat2) *
                                                               std::cos((after.lon - std::stod(osi[3])) * navtest::kPi / 180.0);
        const double trueBearing = std::atan2(y, x) * 180.0 / navtest::kPi;
        EXPECT_LT(std::fabs(std::remainder(trueBearing - (90.0 + std::stod(osi[7])), 360.0)), 2.0);
    }
}

}  // namespace

namespace {

// A runway end of the public data: its landing threshold (the end moved in along the runway by
// its displaced length) and the world heading from it to the other end.
struct RunwayEnd {
    double lat = 0, lon = 0;
    double heading = 0;
};
RunwayEnd EndOf(const std::string& airport, const std::string& id) {
    for (const auto& row : navtest::ReadNavCsv("runway.csv")) {
        if (row[0] != airport || (row[3] != id && row[7] != id)) continue;
        const bool first = row[3] == id;
        RunwayEnd e;
        const double lat0 = std::stod(row[first ? 4 : 8]), lon0 = std::stod(row[first ? 5 : 9]);
        const double lat1 = std::stod(row[first ? 8 : 4]), lon1 = std::stod(row[first ? 9 : 5]);
        const double moved = std::stod(row[first ? 6 : 10]) / navtest::Metres(lat0, lon0, lat1, lon1);
        e.lat = lat0 + (lat1 - lat0) * moved;
        e.lon = lon0 + (lon1 - lon0) * moved;
        std::int32_t x0, z0, x1, z1;
        nav::LatLonToWorld(&x0, &z0, lat0, -lon0);
        nav::LatLonToWorld(&x1, &z1, lat1, -lon1);
        e.heading = std::atan2(double(x1) - x0, double(z1) - z0) * 180.0 / navtest::kPi;
        return e;
    }
    ADD_FAILURE() << "no runway " << id << " at " << airport;
    return {};
}

TEST_F(PositionRun, TheDirectoryTunesBothNavRadiosToTheChosenVor) {
    const testsupport::CommandResult r = Play("directory_tune.simrun");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("read 1501 Static \"112.80\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("report nav1=112.80 nav2=112.80"), std::string::npos) << r.out;
}

TEST_F(PositionRun, TheDirectorysVorSetUpStartsTheAircraftOnTheRadial) {
    const testsupport::CommandResult r = Play("directory_vor_setup.simrun");
    ASSERT_EQ(r.status, 0) << r.out;
    // NAV1 was checked: the set-up dialog sets its course.
    EXPECT_NE(r.out.find("read 1787 Button \"Set the course\" enabled=1 focus=0 checked=1"),
              std::string::npos) << r.out;
    EXPECT_NE(r.out.find("report nav1=113.90 nav1_course=270"), std::string::npos) << r.out;
    std::vector<std::string> osi;
    for (const auto& row : navtest::ReadNavCsv("vor.csv"))
        if (row[0] == "OSI") osi = row;
    ASSERT_EQ(osi.size(), 9u);
    const Saved after = Read("after.flt");
    EXPECT_NEAR(navtest::Metres(std::stod(osi[2]), std::stod(osi[3]), after.lat, after.lon) / 1852.0, 10.0, 0.2);
    EXPECT_NEAR(Reported(r.out, "alt_ft"), 3000.0, 2.0) << r.out;
    if (!GridsInstalled()) {
        EXPECT_NEAR(after.heading, 270.0, 0.5);
    }
}

// The public position of a row of one of the navigation tables, by its ident column.
struct Place {
    double lat = 0, lon = 0;
};
Place PlaceOf(const char* table, const std::string& ident, int latColumn) {
    for (const auto& row : navtest::ReadNavCsv(table))
        if (row[0] == ident)
            return {std::stod(row[static_cast<std::size_t>(latColumn)]),
                    std::stod(row[static_cast<std::size_t>(latColumn) + 1])};
    ADD_FAILURE() << ident << " not in " << table;
    return {};
}

// Degrees clockwise from the world plane's north, from `from` to the saved aircraft.
template <class Saved>
double PlaneBearing(const Place& from, const Saved& to) {
    std::int32_t x, z;
    nav::LatLonToWorld(&x, &z, from.lat, -from.lon);
    return std::atan2(double(to.x) - x, double(to.z) - z) * 180.0 / navtest::kPi;
}

// The great-circle bearing from `from` to the saved aircraft, degrees from true north.
template <class Saved>
double TrueBearing(const Place& from, const Saved& to) {
    const double r = navtest::kPi / 180.0;
    const double y = std::sin((to.lon - from.lon) * r) * std::cos(to.lat * r);
    const double x = std::cos(from.lat * r) * std::sin(to.lat * r) -
                     std::sin(from.lat * r) * std::cos(to.lat * r) * std::cos((to.lon - from.lon) * r);
    return std::atan2(y, x) / r;
}

double AngleBetween(double a, double b) {
    return std::fabs(std::remainder(a - b, 360.0));
}

// The aircraft `nm` out from Oakland 29's localizer along the reciprocal of its published true
// course (within the projection's error), heading along the course toward the localizer.
template <class Saved>
void ExpectOnOakland29Approach(const Saved& after, double nm) {
    std::vector<std::string> ils;
    for (const auto& row : navtest::ReadNavCsv("ils.csv"))
        if (row[0] == "KOAK" && row[1] == "29") ils = row;
    ASSERT_GE(ils.size(), 10u);
    const Place localizer{std::stod(ils[4]), std::stod(ils[5])};
    EXPECT_NEAR(navtest::Metres(localizer.lat, localizer.lon, after.lat, after.lon) / 1852.0, nm, 0.2);
    EXPECT_LT(AngleBetween(TrueBearing(localizer, after), std::stod(ils[9]) + 180.0), 2.0);
    EXPECT_LT(AngleBetween(after.heading, PlaneBearing(localizer, after) + 180.0), 0.5);
}

// The NDB page with the ADF box checked: the ADF tuned, its card turned to the heading, the
// aircraft 10 nm out on the far side of the bearing flown to the station.
TEST_F(PositionRun, TheDirectorysNdbSetUpTunesTheAdfAndStartsOnTheBearing) {
    const testsupport::CommandResult r = Play("directory_ndb_setup.simrun");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("read 1493 Edit \"KANAN (CC)\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("read 1532 Button \"Bearing to the NDB\" enabled=1 focus=0 checked=1"),
              std::string::npos) << r.out;
    EXPECT_NE(r.out.find("report adf=335 adf_card=270"), std::string::npos) << r.out;
    const Place cc = PlaceOf("ndb.csv", "CC", 2);
    const Saved after = Read("after.flt");
    EXPECT_NEAR(navtest::Metres(cc.lat, cc.lon, after.lat, after.lon) / 1852.0, 10.0, 0.2);
    EXPECT_NEAR(Reported(r.out, "alt_ft"), 3000.0, 2.0) << r.out;
    // Flying 090 to the station puts the aircraft west of it (on the plane until the magnetic
    // grids are installed).
    if (!GridsInstalled()) {
        EXPECT_LT(AngleBetween(PlaneBearing(cc, after), 270.0), 0.5);
        EXPECT_LT(AngleBetween(after.heading, 90.0), 0.1);
    }
}

// The ILS page: NAV1 on the localizer's frequency, the aircraft 5 nm out on the extended
// centre line of Oakland 29, heading along the course toward the localizer.
TEST_F(PositionRun, TheDirectorysIlsSetUpStartsOnTheApproach) {
    const testsupport::CommandResult r = Play("directory_ils_setup.simrun");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("read 1532 Button \"From the localizer\" enabled=1 focus=0 checked=1"),
              std::string::npos) << r.out;
    EXPECT_NE(r.out.find("report nav1=108.70"), std::string::npos) << r.out;
    const Saved after = Read("after.flt");
    ExpectOnOakland29Approach(after, 5.0);
    EXPECT_NEAR(Reported(r.out, "alt_ft"), 1600.0, 2.0) << r.out;
}

// The map's approach tool: the localizer's picker starts the aircraft 5 nm out on the extended
// centre line, heading along the course, NAV1 on the localizer.
TEST_F(PositionRun, TheApproachToolStartsOnTheLocalizer) {
    const testsupport::CommandResult r = Play("position_approach.simrun");
    ASSERT_EQ(r.status, 0) << r.out;
    for (const char* line : {"read 1819 Static \"40 nm\"", "read 1971 Static \"I-INB\"",
                             "read 15516 Static \"108.70\"", "report nav1=108.70"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line << "\n" << r.out;
    const Saved after = Read("after.flt");
    ExpectOnOakland29Approach(after, 5.0);
    EXPECT_NEAR(Reported(r.out, "alt_ft"), 1600.0, 2.0) << r.out;
}

// The waypoint page: the aircraft 20 nm short of the waypoint, flying toward it.
TEST_F(PositionRun, TheDirectorysWaypointSetUpStartsFlyingTowardIt) {
    const testsupport::CommandResult r = Play("directory_waypoint_setup.simrun");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("read 1947 Edit \"ACMAN\""), std::string::npos) << r.out;
    const Place acman = PlaceOf("fix.csv", "ACMAN", 1);
    const Saved after = Read("after.flt");
    EXPECT_NEAR(navtest::Metres(acman.lat, acman.lon, after.lat, after.lon) / 1852.0, 20.0, 0.2);
    EXPECT_NEAR(Reported(r.out, "alt_ft"), 4500.0, 2.0) << r.out;
    EXPECT_LT(AngleBetween(after.heading, PlaneBearing(acman, after) + 180.0), 0.5);
    if (!GridsInstalled()) {
        EXPECT_LT(AngleBetween(after.heading, 180.0), 0.1);
    }
}

// Typed values out of range are held to the field's range and written back when the focus
// leaves; cancelling the set-up and the directory moves nothing.
TEST_F(PositionRun, TypedValuesAreHeldToTheirRangesAndCancelMovesNothing) {
    const testsupport::CommandResult r = Play("directory_typed_values.simrun");
    ASSERT_EQ(r.status, 0) << r.out;
    for (const char* line : {"read 1782 Edit \"130\"", "read 1783 Edit \"1\"", "read 1780 Edit \"20\"",
                             "dialog VorSetup ended 0"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line << "\n" << r.out;
    const Saved before = Read("before.flt"), after = Read("after.flt");
    EXPECT_EQ(after.x, before.x);
    EXPECT_EQ(after.y, before.y);
    EXPECT_EQ(after.z, before.z);
}

TEST_F(PositionRun, TheAirportsWizardStartsOnTheChosenRunway) {
    testsupport::CommandResult r = Play("airports_oakland.simrun");
    ASSERT_EQ(r.status, 0) << r.out;
    // Oakland has a tower: air traffic control may be asked for.
    EXPECT_NE(r.out.find("read 1567 Button \"Air traffic control\" enabled=1"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("report atc_start=9 atc_enabled=1"), std::string::npos) << r.out;
    // The tower's session starts there, the aircraft on final: 12,300 map units (4,833 m) short
    // of the threshold on the 3-degree approach path to a point 1,000 ft past it (883 ft above
    // the airport's published elevation), heading along the runway.
    EXPECT_NE(r.out.find("atc: session KOAK runway 29"), std::string::npos) << r.out;
    const RunwayEnd oak29 = EndOf("KOAK", "29");
    Saved after = Read("after.flt");
    EXPECT_NEAR(navtest::Metres(after.lat, after.lon, oak29.lat, oak29.lon), 4833.0, 30.0);
    double elevation = -1;
    for (const auto& row : navtest::ReadNavCsv("airport.csv"))
        if (row[0] == "KOAK") elevation = std::stod(row[3]);
    ASSERT_GE(elevation, 0);
    EXPECT_NEAR(Reported(r.out, "alt_ft"), elevation + 883.0, 5.0) << r.out;
    EXPECT_LT(std::fabs(std::remainder(after.heading - oak29.heading, 360.0)), 0.5);

    // Half Moon Bay has none: the box is off, and the untouched situation starts on the runway.
    r = Play("airports_half_moon_bay.simrun");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("read 1567 Button \"Air traffic control\" enabled=0"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("report atc_start=3 atc_enabled=0"), std::string::npos) << r.out;
    const std::size_t first = r.out.find("read 1059 row 0: \"");
    ASSERT_NE(first, std::string::npos) << r.out;
    const std::string id = r.out.substr(first + 18, r.out.find_first_of(" \t", first + 18) - first - 18);
    const RunwayEnd hmb = EndOf("KHAF", id);
    after = Read("after.flt");
    EXPECT_LT(navtest::Metres(after.lat, after.lon, hmb.lat, hmb.lon), 30.0);
    EXPECT_LT(std::fabs(std::remainder(after.heading - hmb.heading, 360.0)), 0.5);
}

// At a field without a tower the wizard says so under the greyed box, and a tick given at a
// towered field chosen before does not carry over. On the field, masters on, the pilot who
// dials its common traffic frequency (and its automatic weather, where it has one) and makes a
// call hears no controller: no session starts and no tower speaks.
TEST_F(PositionRun, AFieldWithoutATowerSaysSoAndNoControllerAnswersThere) {
    const struct {
        const char* icao;
        const char* ctaf;
        const char* weather;  // an automatic station on the ATIS's line (as the radio dials it)
    } fields[] = {{"KHAF", "122.80", ""}, {"KWVI", "122.80", "132.15"}, {"KHAO", "123.05", "121.40"}};
    for (const auto& f : fields) {
        SCOPED_TRACE(f.icao);
        std::string script =
            "frame-interval 100\nwait 300\nmenu 320\ndialog AIRPORTS_PAGE\nset 1045 \"(KPAO)\"\n"
            "dialog AIRPORTS_WIZBKGND\nclick 1717\ndialog RUNWAY_PAGE\nclick 1567\nread 1568\n"
            "dialog AIRPORTS_WIZBKGND\nclick 1716\ndialog AIRPORTS_PAGE\nset 1045 \"(" +
            std::string(f.icao) +
            ")\"\ndialog AIRPORTS_WIZBKGND\nclick 1717\ndialog RUNWAY_PAGE\nread 1567\nread 1568\n"
            "dialog AIRPORTS_WIZBKGND\nclick 1717\nwait 300\nkey Z press\nkey X press\n"
            "radio COM1 " + f.ctaf + "\nwait 300\nkey Ctrl+T press\nwait 1000\n";
        if (*f.weather != 0)
            script += std::string("radio COM1 ") + f.weather + "\nwait 1000\nkey Ctrl+T press\nwait 1000\n";
        script += "save " + dir.Path("untowered.flt") + "\nreport atc_enabled\nquit\n";
        const testsupport::CommandResult r = run.Play(script);
        ASSERT_EQ(r.status, 0) << r.out;
        for (const char* line : {"read 1568 Static \"\"", "read 1568 Static \"No control tower at this airport.\"",
                                 "read 1567 Button \"Air traffic control\" enabled=0 focus=0 checked=0",
                                 "report atc_enabled=0"})
            EXPECT_NE(r.out.find(line), std::string::npos) << line << "\n" << r.out;
        for (const char* said : {"atc: session", "atc: state"})
            EXPECT_EQ(r.out.find(said), std::string::npos) << said << "\n" << r.out;
        // The unanswered call is not kept for a session begun later.
        EXPECT_EQ(core::IniFile(dir.Path("untowered.flt").c_str()).GetInt("ATCComm", "tandgo", -1), 0);
    }
}

}  // namespace
