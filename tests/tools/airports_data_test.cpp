// The airport object files of the starter installation, read by a reader of their own here and
// held against the public data they were made from: every runway where its published ends put
// it, buildings clear of the runways, the made-up obstacles sorted and of every type.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/resource_volume.h"
#include "core/stream_io.h"
#include "nav/lat_lon.h"
#include "platform/file_system.h"
#include "support/navdata_csv.h"

namespace {

namespace fs = std::filesystem;
constexpr double kPi = 3.14159265358979323846;

std::uint32_t U32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (std::uint32_t{b[at + 3]} << 24);
}
std::int16_t I16(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::int16_t>(b[at] | (b[at + 1] << 8));
}

std::vector<std::vector<std::string>> Csv(const char* name) {
    return testsupport::ReadNavdataCsv(name);
}

struct World {
    double x, z;  // world units
};
World ToWorld(double lat, double lonEast) {
    std::int32_t fx = 0, fz = 0;
    nav::LatLonToWorld(&fx, &fz, lat, -lonEast);
    return {fx / 100.584 + 9437184.0, fz / 100.584 + 5242880.0};
}

class AirportData : public ::testing::Test {
protected:
    void SetUp() override {
        const fs::path install = fs::path(ZEPHLON_BINARY_DIR) / "install";
        if (!fs::exists(install / "Data" / "Data.Vol")) GTEST_SKIP() << "no starter installation";
        previous = fs::current_path();
        fs::current_path(install);
        platform::ForgetFolderListings();
    }
    void TearDown() override {
        if (!previous.empty()) fs::current_path(previous);
        platform::ForgetFolderListings();
    }
    static std::vector<std::uint8_t> Member(const char* folder, const char* name) {
        core::ResourceVolume volume("Data\\Data.Vol", folder, 0);
        std::vector<std::uint8_t> bytes;
        if (volume.OpenFile(name) == 0) return bytes;
        const std::int64_t size = volume.GetStream()->GetEntrySize(name);
        if (size <= 0) return bytes;
        bytes.resize(static_cast<std::size_t>(size));
        if (core::ReadAll(*volume.GetStream(), static_cast<std::uint32_t>(size), bytes.data()) == 0)
            bytes.clear();
        volume.CloseFile();
        return bytes;
    }
    fs::path previous;
};

TEST_F(AirportData, EveryRunwayStandsWhereItsPublishedEndsPutIt) {
    const std::vector<std::uint8_t> b = Member("Data\\Runways", "rwys.bin");
    ASSERT_GE(b.size(), 4u);
    const std::uint32_t count = U32(b, 0);
    ASSERT_EQ(b.size(), 4u + count * 30u);
    // The records by tile-sized buckets of their centres, to find each row's record.
    struct Rec {
        double x, z, heading, width, length;
        std::uint8_t code1, code2, flags;
        std::uint32_t bits;
        bool used = false;
    };
    std::vector<Rec> recs;
    std::map<std::pair<int, int>, std::vector<std::size_t>> grid;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t at = 4 + i * 30u;
        float heading = 0;
        const std::uint32_t bits = U32(b, at + 8);
        std::memcpy(&heading, &bits, 4);
        Rec r{static_cast<double>(static_cast<std::int32_t>(U32(b, at))),
              static_cast<double>(static_cast<std::int32_t>(U32(b, at + 4))),
              heading,
              static_cast<double>(I16(b, at + 12)),
              static_cast<double>(I16(b, at + 14)),
              b[at + 19],
              b[at + 20],
              b[at + 21],
              U32(b, at + 26)};
        EXPECT_EQ(b[at + 18], (static_cast<int>(r.x) >> 20) * 16 + (static_cast<int>(r.z) >> 20));
        grid[{static_cast<int>(r.x) >> 12, static_cast<int>(r.z) >> 12}].push_back(recs.size());
        recs.push_back(r);
    }
    std::set<std::string> land;
    for (const auto& a : Csv("airport.csv"))
        if (a.size() >= 3 && a[2] == "land") land.insert(a[0]);
    std::set<std::string> ils;
    for (const auto& r : Csv("ils.csv"))
        if (r.size() >= 4 && r[3].rfind("ILS", 0) == 0) ils.insert(r[0] + " " + r[1]);
    int matched = 0, precision = 0;
    for (const auto& row : Csv("runway.csv")) {
        if (row.size() < 11 || land.count(row[0]) == 0) continue;
        const double lat1 = std::stod(row[4]), lon1 = std::stod(row[5]);
        const double lat2 = std::stod(row[8]), lon2 = std::stod(row[9]);
        const World e1 = ToWorld(lat1, lon1), e2 = ToWorld(lat2, lon2);
        const World c{(e1.x + e2.x) / 2.0, (e1.z + e2.z) / 2.0};
        if (c.x < 0 || c.z < 0 || c.x >= 16 << 20 || c.z >= 16 << 20) continue;
        const double lengthFeet = std::hypot(e2.x - e1.x, e2.z - e1.z) * 1.2890625;
        const double widthFeet = std::stod(row[1]) / 0.3048;
        // A runway too long for the record's length field is left out.
        if (lengthFeet < 1.0 || widthFeet < 1.0 || lengthFeet > 32767.0) continue;
        // The nearest unused record within 30 m of the centre.
        const Rec* best = nullptr;
        double bestD = 30.0 / 0.392906;
        const int gx = static_cast<int>(c.x) >> 12, gz = static_cast<int>(c.z) >> 12;
        for (int dx = -1; dx <= 1; ++dx)
            for (int dz = -1; dz <= 1; ++dz) {
                const auto it = grid.find({gx + dx, gz + dz});
                if (it == grid.end()) continue;
                for (const std::size_t i : it->second) {
                    const Rec& r = recs[i];
                    const double d = std::hypot(r.x - c.x, r.z - c.z);
                    if (!r.used && d < bestD && std::fabs(r.length - lengthFeet) <= 2.0) {
                        bestD = d;
                        best = &r;
                    }
                }
            }
        ASSERT_NE(best, nullptr) << row[0] << " " << row[3] << "/" << row[7] << " " << lengthFeet << " " << widthFeet;
        const_cast<Rec*>(best)->used = true;
        ++matched;
        EXPECT_NEAR(best->width, widthFeet, 2.0) << row[0];
        // The heading: the true course between the published ends (an independent great-circle
        // bearing at the runway's middle) turned onto the world grid by the convergence there.
        const double p1 = lat1 * kPi / 180, p2 = lat2 * kPi / 180, dl = (lon2 - lon1) * kPi / 180;
        const double trueCourse =
            std::atan2(std::sin(dl) * std::cos(p2),
                       std::cos(p1) * std::sin(p2) - std::sin(p1) * std::cos(p2) * std::cos(dl)) *
                180 / kPi;
        const double grid = trueCourse + nav::MeridianConvergence(-(lon1 + lon2) / 2.0);
        double diff = std::fmod(std::fabs(-best->heading * 180 / kPi - grid), 360.0);
        if (diff > 180.0) diff = 360.0 - diff;
        if (lengthFeet > 300.0) {
            EXPECT_LT(diff, 0.2) << row[0] << " " << row[3];
        }
        if (ils.count(row[0] + " " + row[3]) != 0 && (best->flags & 1) != 0) {
            EXPECT_EQ(best->bits & 7u, 1u) << row[0] << " " << row[3];
            ++precision;
        }
        if (ils.count(row[0] + " " + row[7]) != 0 && (best->flags & 1) != 0) {
            EXPECT_EQ((best->bits >> 15) & 7u, 1u) << row[0] << " " << row[7];
            ++precision;
        }
        if (row[0] == "KSQL") {
            EXPECT_EQ(best->code1, 12 * 4);
            EXPECT_EQ(best->code2, 30 * 4);
            EXPECT_EQ(best->flags & 1, 1);
            EXPECT_EQ(best->bits & 7u, 3u);  // a short paved runway: basic markings
        }
    }
    EXPECT_EQ(static_cast<std::uint32_t>(matched), count);
    EXPECT_GT(matched, 15000);
    EXPECT_GT(precision, 1000);
}

TEST_F(AirportData, BuildingsStandClearOfRunwaysAndObstaclesAreSortedAndOfEveryType) {
    const std::vector<std::uint8_t> rw = Member("Data\\Runways", "rwys.bin");
    const std::vector<std::uint8_t> bd = Member("Data\\Buildings", "buildings.bin");
    const std::vector<std::uint8_t> ob = Member("Data\\Obstacle", "obstacle.bin");
    ASSERT_GE(rw.size(), 4u);
    ASSERT_GE(bd.size(), 4u);
    ASSERT_GE(ob.size(), 4u);
    ASSERT_EQ(bd.size(), 4u + U32(bd, 0) * 23u);
    ASSERT_EQ(ob.size(), 4u + U32(ob, 0) * 16u);
    // Runway rectangles by tile, to test every building against the runways near it.
    struct Strip {
        double x, z, ux, uz, halfLength, halfWidth;
    };
    std::map<int, std::vector<Strip>> strips;
    for (std::uint32_t i = 0; i < U32(rw, 0); ++i) {
        const std::size_t at = 4 + i * 30u;
        float heading = 0;
        const std::uint32_t bits = U32(rw, at + 8);
        std::memcpy(&heading, &bits, 4);
        const double x = static_cast<std::int32_t>(U32(rw, at)), z = static_cast<std::int32_t>(U32(rw, at + 4));
        strips[(static_cast<int>(x) >> 14) * 10000 + (static_cast<int>(z) >> 14)].push_back(
            {x, z, -std::sin(heading), std::cos(heading), I16(rw, at + 14) / 2.0 / 1.2890625,
             I16(rw, at + 12) / 2.0 / 1.2890625});
    }
    std::map<std::string, int> names;
    std::vector<World> towers;
    for (std::uint32_t i = 0; i < U32(bd, 0); ++i) {
        const std::size_t at = 4 + i * 23u;
        const double x = static_cast<std::int32_t>(U32(bd, at)), z = static_cast<std::int32_t>(U32(bd, at + 4));
        const char* name = reinterpret_cast<const char*>(bd.data() + at + 12);
        ASSERT_LT(strnlen(name, 9), 9u);
        ++names[std::string(name)];
        if (std::string(name) == "ctower") towers.push_back({x, z});
        EXPECT_LE(bd[at + 22], 4);
        for (int dx = -1; dx <= 1; ++dx)
            for (int dz = -1; dz <= 1; ++dz) {
                const auto it = strips.find(((static_cast<int>(x) >> 14) + dx) * 10000 +
                                            (static_cast<int>(z) >> 14) + dz);
                if (it == strips.end()) continue;
                for (const Strip& s : it->second) {
                    const double along = (x - s.x) * s.ux + (z - s.z) * s.uz;
                    const double across = -(x - s.x) * s.uz + (z - s.z) * s.ux;
                    EXPECT_FALSE(std::fabs(along) < s.halfLength && std::fabs(across) < s.halfWidth + 100.0)
                        << name << " on a runway at " << x << ", " << z;
                }
            }
    }
    // Every towered airport in the world has its tower, near its runways.
    std::map<std::string, World> towered;
    std::set<std::string> isTowered;
    for (const auto& a : Csv("airport.csv"))
        if (a.size() >= 7 && a[2] == "land" && a[6] == "1") isTowered.insert(a[0]);
    for (const auto& row : Csv("runway.csv")) {
        if (row.size() < 11 || isTowered.count(row[0]) == 0 || towered.count(row[0]) != 0) continue;
        const World e1 = ToWorld(std::stod(row[4]), std::stod(row[5]));
        const World e2 = ToWorld(std::stod(row[8]), std::stod(row[9]));
        const World c{(e1.x + e2.x) / 2.0, (e1.z + e2.z) / 2.0};
        if (c.x >= 0 && c.z >= 0 && c.x < 16 << 20 && c.z < 16 << 20) towered[row[0]] = c;
    }
    EXPECT_GT(towered.size(), 850u);
    for (const auto& [ident, c] : towered) {
        bool near = false;
        for (const World& t : towers)
            near = near || std::hypot(t.x - c.x, t.z - c.z) < 3.0 * 1852.0 / 0.392906;
        EXPECT_TRUE(near) << ident << " has no tower";
    }
    EXPECT_EQ(names["beacon"], names["ctower"]);
    EXPECT_GT(names["hangar"], 0);
    EXPECT_GT(names["tree1"] + names["tree2"], 0);
    std::set<int> types;
    int previousTile = -1;
    for (std::uint32_t i = 0; i < U32(ob, 0); ++i) {
        const std::size_t at = 4 + i * 16u;
        EXPECT_LE(ob[at], 14);
        EXPECT_LE(ob[at + 1], 7);
        EXPECT_GE(ob[at + 13], previousTile);
        previousTile = ob[at + 13];
        types.insert(ob[at]);
    }
    EXPECT_EQ(types.size(), 15u);
}

}  // namespace
