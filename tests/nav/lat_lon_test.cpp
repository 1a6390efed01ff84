// The world projection: round trips over every airport and station of the public data, the
// degree/minute/second texts, the airspace wrap, the grid cells and the identifier extractor.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "nav/lat_lon.h"
#include "support/navdata_csv.h"

namespace {

struct Place {
    std::string ident;
    double lat;
    double lonEast;
};

// The ident, latitude and longitude columns of one of data/'s tables.
std::vector<Place> ReadPlaces(const char* file, int latColumn) {
    std::vector<Place> places;
    for (const std::vector<std::string>& f : testsupport::ReadNavdataCsv(file)) {
        if (static_cast<int>(f.size()) <= latColumn + 1) continue;
        places.push_back({f[0], std::stod(f[latColumn]), std::stod(f[latColumn + 1])});
    }
    return places;
}

TEST(LatLon, EveryAirportAndStationRoundTrips) {
    const struct {
        const char* file;
        int latColumn;
        std::size_t atLeast;
    } tables[] = {{"airport.csv", 4, 13000}, {"vor.csv", 2, 1000}};
    for (const auto& t : tables) {
        const std::vector<Place> places = ReadPlaces(t.file, t.latColumn);
        ASSERT_GE(places.size(), t.atLeast) << t.file;
        double worst = 0.0;
        std::string worstIdent;
        for (const Place& p : places) {
            std::int32_t x = 0, z = 0;
            nav::LatLonToWorld(&x, &z, p.lat, -p.lonEast);
            double lat = 0.0, lon = 0.0;
            nav::WorldToLatLon(&lat, &lon, x, z);
            const double error = std::max(std::fabs(lat - p.lat), std::fabs(lon + p.lonEast));
            if (error > worst) {
                worst = error;
                worstIdent = p.ident;
            }
        }
        EXPECT_LT(worst, 1e-6) << t.file << ": worst at " << worstIdent;
    }
}

TEST(LatLon, GrowsEastAndNorth) {
    std::int32_t x0 = 0, z0 = 0, xEast = 0, zNorth = 0;
    nav::LatLonToWorld(&x0, &z0, 40.0, 100.0);
    nav::LatLonToWorld(&xEast, nullptr, 40.0, 99.0);
    nav::LatLonToWorld(nullptr, &zNorth, 41.0, 100.0);
    EXPECT_GT(xEast, x0);
    EXPECT_GT(zNorth, z0);
    // A degree of latitude is about 111 km: 28.4 million units of 1/256 m, give or take the
    // projection's scale.
    EXPECT_NEAR((zNorth - z0) / 256.0, 111000.0, 2000.0);
}

TEST(LatLon, CentralMeridianHasNoDivisionByZero) {
    for (const double lat : {20.0, 37.5, 55.0}) {
        std::int32_t x = 0, z = 0;
        nav::LatLonToWorld(&x, &z, lat, 89.5);
        double backLat = std::numeric_limits<double>::quiet_NaN(), backLon = backLat;
        nav::WorldToLatLon(&backLat, &backLon, x, z);
        EXPECT_NEAR(backLat, lat, 1e-6);
        EXPECT_NEAR(backLon, 89.5, 1e-6);
    }
    // The exact meridian line of the plane, where the projected X is zero, lies between two
    // integer positions; both sides convert.
    for (const std::int32_t x : {-23081124, -23081123}) {
        double lat = 0.0, lon = 0.0;
        nav::WorldToLatLon(&lat, &lon, x, 0);
        EXPECT_TRUE(std::isfinite(lat));
        EXPECT_NEAR(lon, 89.5, 1e-6);
    }
}

TEST(LatLon, OutputsMayBeAbsent) {
    std::int32_t x = 0;
    nav::LatLonToWorld(&x, nullptr, 30.0, 95.0);
    std::int32_t z = 0;
    nav::LatLonToWorld(nullptr, &z, 30.0, 95.0);
    double lat = 0.0;
    nav::WorldToLatLon(&lat, nullptr, x, z);
    EXPECT_NEAR(lat, 30.0, 1e-6);
    nav::WorldToLatLon(nullptr, nullptr, x, z);
}

TEST(LatLon, FarPositionsSaturateInsteadOfWrapping) {
    std::int32_t x = 0;
    nav::LatLonToWorld(&x, nullptr, 0.0, 0.0);  // far east of the covered area
    EXPECT_EQ(x, std::numeric_limits<std::int32_t>::max());
}

// True north in the plane, measured from a short step north along the meridian.
TEST(LatLon, MeridianConvergenceIsTheDirectionOfNorth) {
    for (const double lon : {122.3, 104.8, 89.5, 74.1, 60.0}) {
        std::int32_t x0 = 0, z0 = 0, x1 = 0, z1 = 0;
        nav::LatLonToWorld(&x0, &z0, 40.0, lon);
        nav::LatLonToWorld(&x1, &z1, 40.01, lon);
        const double north =
            std::atan2(double(x1) - x0, double(z1) - z0) * 180.0 / 3.14159265358979;
        EXPECT_NEAR(nav::MeridianConvergence(lon), north, 0.01) << lon;
    }
    EXPECT_NEAR(nav::MeridianConvergence(122.3), 20.68, 0.01);  // west coast: about 21 degrees
}

TEST(LatLon, FormatsDegreesMinutesSeconds) {
    // Positions from data/ and their published texts; the degree sign is byte 0xB0.
    const struct {
        double lat, lonWest;
        const char* latText;
        const char* lonText;
    } cases[] = {
        {37.511735, 122.249386,
         " 37\xB0"
         "30'42.24\"N",
         "122\xB0"
         "14'57.78\"W"},  // KSQL
        {47.533580, 122.303731,
         " 47\xB0"
         "32' 0.88\"N",
         "122\xB0"
         "18'13.43\"W"},  // KBFI
        {40.848273, 74.059663,
         " 40\xB0"
         "50'53.78\"N",
         " 74\xB0"
         " 3'34.78\"W"},  // KTEB
    };
    for (const auto& c : cases) {
        std::int32_t x = 0, z = 0;
        nav::LatLonToWorld(&x, &z, c.lat, c.lonWest);
        std::string lat, lon;
        nav::FormatLatLon(&lat, &lon, x, z);
        EXPECT_EQ(lat, c.latText);
        EXPECT_EQ(lon, c.lonText);
    }
}

TEST(LatLon, HemisphereLetters) {
    const struct {
        double lat, lonWest;
        char latLetter, lonLetter;
    } cases[] = {
        {30.0, 95.0, 'N', 'W'},
        {-4.0, 89.5, 'S', 'W'},   // south of the equator on the central meridian
        {60.0, -20.0, 'N', 'E'},  // 20 degrees east, still inside the plane at 60 N
    };
    for (const auto& c : cases) {
        std::int32_t x = 0, z = 0;
        nav::LatLonToWorld(&x, &z, c.lat, c.lonWest);
        ASSERT_LT(x, std::numeric_limits<std::int32_t>::max());
        std::string lat, lon;
        nav::FormatLatLon(&lat, &lon, x, z);
        EXPECT_EQ(lat.back(), c.latLetter) << lat;
        EXPECT_EQ(lon.back(), c.lonLetter) << lon;
    }
    // Zero is north and west.
    EXPECT_EQ(nav::FormatDegrees(0.0, 'N'), "  0\xB0 0' 0.00\"N");
    EXPECT_EQ(nav::FormatDegrees(std::numeric_limits<double>::quiet_NaN(), 'W'),
              "  0\xB0 0' 0.00\"W");
}

int theWrapNotices = 0;
void CountWrap() {
    ++theWrapNotices;
}

TEST(LatLon, WrapMovesToTheOppositeSide) {
    std::int32_t west160 = 0, west155 = 0, west35 = 0, west30 = 0;
    nav::LatLonToWorld(&west160, nullptr, 32.5, 160.0);
    nav::LatLonToWorld(&west155, nullptr, 32.5, 155.0);
    nav::LatLonToWorld(&west35, nullptr, 32.5, 35.0);
    nav::LatLonToWorld(&west30, nullptr, 32.5, 30.0);
    std::int32_t north70 = 0, north65 = 0, north10 = 0, north5 = 0;
    nav::LatLonToWorld(nullptr, &north70, 70.0, 65.0);
    nav::LatLonToWorld(nullptr, &north65, 65.0, 65.0);
    nav::LatLonToWorld(nullptr, &north10, 10.0, 65.0);
    nav::LatLonToWorld(nullptr, &north5, 5.0, 65.0);
    std::int32_t midX = 0, midZ = 0;
    nav::LatLonToWorld(&midX, &midZ, 40.0, 95.0);

    const struct {
        std::int32_t x, z, wantX, wantZ;
        int moved;
    } cases[] = {
        {midX, midZ, midX, midZ, 0},
        {west160, midZ, west160, midZ, 0},  // on the limit stays
        {west160 - 1, midZ, west35, midZ, 1},
        {west30 + 1, midZ, west155, midZ, 1},
        {midX, north5 - 1, midX, north65, 1},
        {midX, north70 + 1, midX, north10, 1},
        {west160 - 1, north70 + 1, west35, north10, 1},  // both at once
    };
    nav::theAirspaceWrapNotify = CountWrap;
    for (const auto& c : cases) {
        theWrapNotices = 0;
        std::int32_t x = c.x, z = c.z;
        EXPECT_EQ(nav::WrapPositionToAirspace(x, z), c.moved);
        EXPECT_EQ(x, c.wantX);
        EXPECT_EQ(z, c.wantZ);
        EXPECT_EQ(theWrapNotices, c.moved);
    }
    nav::theAirspaceWrapNotify = nullptr;
}

TEST(LatLon, GridCells) {
    const struct {
        std::int32_t x, z;
        std::uint16_t cellX, cellZ;
        std::uint32_t fracX, fracZ;
    } cases[] = {
        {0, 0, 9, 5, 0, 0},
        // 1e8 x 0.009941939... = 994193.9 -> 994193, still in cell 9.
        {100000000, -100000000, 9, 4, 994193, 0x100000 - 994193},
        // 2e8 -> 1988387: one cell on.
        {200000000, 0, 10, 5, 1988387 - 0x100000, 0},
    };
    for (const auto& c : cases) {
        std::uint16_t cx = 0, cz = 0;
        std::uint32_t fx = 0, fz = 0;
        nav::WorldToGridCell(c.x, c.z, &cx, &cz, &fx, &fz);
        EXPECT_EQ(cx, c.cellX);
        EXPECT_EQ(cz, c.cellZ);
        EXPECT_EQ(fx, c.fracX);
        EXPECT_EQ(fz, c.fracZ);
    }
}

TEST(LatLon, AirportIdentOfALabel) {
    const struct {
        const char* label;
        const char* ident;
    } cases[] = {
        {"San Carlos (SQL)", "SQL"},
        {"Boise Air Terminal (Gowen Field) (KBOI)", "KBOI"},
        {"KSQL-San Carlos", "KSQL"},
        {"ABCDEFG", "ABCD"},
        {"OAK VORTAC", "OAK"},
        {"(TOOLONG)", "TOOL"},
        {"Open (ABC", "ABC"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(nav::ExtractAirportIdent(c.label), c.ident) << c.label;
}

}  // namespace
