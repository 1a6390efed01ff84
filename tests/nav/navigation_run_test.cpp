// The navigation world in the running program: the committed runner scripts in the starter
// installation, the radios' trace at San Carlos, and the debug keys' jumps onto real runway
// ends, checked against the public data by a second projection.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "script_run.h"

namespace {

namespace fs = std::filesystem;

using NavigationRun = navtest::ScriptRun;

TEST_F(NavigationRun, RadiosHearTheNearestStationsAtSanCarlos) {
    // The NDB nearest to San Carlos, from the public data.
    double bestMetres = 1e12;
    std::string ndb, khz;
    for (const auto& r : navtest::ReadNavCsv("ndb.csv")) {
        const double m = navtest::Metres(37.511735, -122.249386, std::stod(r[2]), std::stod(r[3]));
        if (m < bestMetres) {
            bestMetres = m;
            ndb = r[0];
            khz = r[5];
        }
    }
    ASSERT_EQ(khz, "374") << "the script tunes the ADF to the nearest NDB's frequency";

    const testsupport::CommandResult r = Play("radio_at_san_carlos.simrun");
    ASSERT_EQ(r.status, 0) << r.out;
    std::size_t at = r.out.find("nav: load na.ils: ");
    for (const std::string& line :
         {std::string("start-up done"), std::string("radio NAV1 113.90"),
          std::string("radio NAV1 113.90"), std::string("nav: NAV1 113.90 OSI "),
          "nav: ADF 374 " + ndb + " ", std::string("nav: NAV2 116.80 OAK "),
          std::string("radio COM1 121.80"), std::string("radio XPDR 4523"),
          std::string("nav: NAV1 108.05 none"), std::string("exit=0")}) {
        at = at == std::string::npos ? at : r.out.find(line, at);
        ASSERT_NE(at, std::string::npos) << "missing or out of order: " << line << "\n" << r.out;
        ++at;
    }
    // The starter flight comes tuned; with the masters off nothing is heard: the first OSI line
    // after start-up comes after the second tuning.
    const std::size_t first = r.out.find("radio NAV1 113.90");
    EXPECT_GT(r.out.find("nav: NAV1 113.90 OSI", r.out.find("start-up done")),
              r.out.find("radio NAV1 113.90", first + 1))
        << r.out;
    EXPECT_NE(r.out.find("nav: NAV1 113.90 OSI 7.2 nm"), std::string::npos) << r.out;
}

TEST_F(NavigationRun, DebugKeysJumpOntoRunwayEndsOnlyWhenEnabled) {
    // Without the setting the keys do nothing.
    testsupport::CommandResult r = Play("debug_airport_steps.simrun");
    ASSERT_EQ(r.status, 0) << r.out;
    const Saved parked = Read("before.flt");
    EXPECT_EQ(Read("f9.flt").x, parked.x);
    EXPECT_EQ(Read("f8.flt").z, parked.z);

    dir.Write("Zephlon.ini", "[Debug]\nKBEnable=1\n");
    r = Play("debug_airport_steps.simrun");
    ASSERT_EQ(r.status, 0) << r.out;
    // The first airport of the index is the first identifier of the data; F9 stands on the
    // landing threshold of its first runway's first end, F8 on the other end.
    std::string first = "~";
    for (const auto& a : navtest::ReadNavCsv("airport.csv"))
        first = std::min(first, a[0]);
    std::vector<std::string> runway;
    for (const auto& rw : navtest::ReadNavCsv("runway.csv"))
        if (rw[0] == first) {
            runway = rw;
            break;
        }
    ASSERT_FALSE(runway.empty()) << first;
    ASSERT_EQ(runway[6], "0.00");  // neither end displaced
    ASSERT_EQ(runway[10], "0.00");
    const Saved f9 = Read("f9.flt"), f8 = Read("f8.flt");
    double lat = 0, lon = 0;
    navtest::WorldToGeographic(f9.x, f9.z, &lat, &lon);
    EXPECT_LT(navtest::Metres(lat, lon, std::stod(runway[4]), std::stod(runway[5])), 1.0)
        << first << " " << runway[3];
    navtest::WorldToGeographic(f8.x, f8.z, &lat, &lon);
    EXPECT_LT(navtest::Metres(lat, lon, std::stod(runway[8]), std::stod(runway[9])), 1.0)
        << first << " " << runway[7];
    // Each end faces the other along the world plane.
    const double along =
        std::atan2(double(f8.x) - f9.x, double(f8.z) - f9.z) * 180.0 / navtest::kPi;
    EXPECT_LT(std::fabs(std::remainder(f9.heading - along, 360.0)), 0.1);
    EXPECT_LT(std::fabs(std::remainder(f8.heading - along - 180.0, 360.0)), 0.1);
}

}  // namespace
