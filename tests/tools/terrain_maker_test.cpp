// The country's terrain in the build's starter installation, checked against public facts by a
// reader of the tile and grid files written here, independently of the program's own: every
// land airport stands at its published elevation, land and sea lie on the right sides of the
// coast outline, the approaches of the busiest airports are clear of the ground, no scenery
// obstacle stands in water, and the magnetic grids turn every ILS localizer's true course into
// its runway number; where the public heights show a plain the ground rises gently, every
// airport stands on a floor, the markers lie at their own elevations, and the ground runs on
// across the tiles' borders.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "core/endian.h"
#include "core/volume_stream.h"
#include "nav/lat_lon.h"
#include "platform/file_system.h"
#include "support/elevation_grid.h"
#include "support/navdata_csv.h"
#include "world/terrain_materials.h"
#include "world/terrain_test_support.h"

namespace {

namespace fs = std::filesystem;

constexpr double kTile = 1048576.0;
constexpr double kFeetPerUnit = 1.2890625;

fs::path Installation() {
    return fs::path(ZEPHLON_BINARY_DIR) / "install";
}

using testsupport::ReadNavdataCsv;

// World units of a place (east-positive longitude), from the south-west corner of the world.
void World(double lat, double lon, double* x, double* y) {
    std::int32_t fx = 0, fz = 0;
    nav::LatLonToWorld(&fx, &fz, lat, -lon);
    *x = fx / 100.584 + 9 * kTile;
    *y = fz / 100.584 + 5 * kTile;
}

// A tile file read by this test alone: its header, block list, block tables and squares, and a
// descent of its own.
class Tile {
public:
    bool Open(const fs::path& path) {
        if (!volume.OpenVolume(path.string())) return false;
        std::vector<std::uint8_t> h, list;
        if (!Member(100, &h) || h.size() < 52 || core::ReadU32(h.data()) != 100) return false;
        shift = core::ReadU32(h.data() + 8);
        return Member(200, &list);
    }

    // Height in feet and material index at a tile-local point; false where there is none.
    bool At(double x, double y, double* feet, int* material) {
        const Block* b = Load(300);
        if (b == nullptr) return false;
        std::int64_t lx = static_cast<std::int64_t>(std::floor(x));
        std::int64_t ly = static_cast<std::int64_t>(std::floor(y));
        int level = b->first + static_cast<int>(b->start);
        const std::uint8_t* cell = Dense(*b, level, lx, ly);
        for (int guard = 0; cell != nullptr && guard < 64; ++guard) {
            const std::uint16_t link = core::ReadU16(cell);
            const int kind = link >> 14, value = link & 0x3FFF;
            if (kind == 0) break;
            if (kind == 3) return false;
            const std::int64_t size = std::int64_t{1} << (shift + level);
            if (kind == 1) {
                --level;
                const Level& l = b->levels[static_cast<std::size_t>(level - b->first)];
                const std::int64_t cx = lx >> (shift + level), cy = ly >> (shift + level);
                cell = l.squares + value * 32 + ((cy & 1) * 2 + (cx & 1)) * 8;
            } else {
                lx &= size - 1;
                ly &= size - 1;
                b = Load(static_cast<std::uint32_t>(value));
                if (b == nullptr) return false;
                level = b->first + static_cast<int>(b->start);
                cell = Dense(*b, level, lx, ly);
            }
        }
        if (cell == nullptr) return false;
        const double s = std::ldexp(1.0, static_cast<int>(shift) + level);
        double h[4];
        for (int k = 0; k < 4; ++k)
            h[k] = b->table[cell[2 + k]];
        const double u = static_cast<double>(lx & (static_cast<std::int64_t>(s) - 1));
        const double v = static_cast<double>(ly & (static_cast<std::int64_t>(s) - 1));
        *feet = terraintest::TriangleHeight(h[0], h[1], h[2], h[3], s, u, v) * kFeetPerUnit;
        *material = cell[6];
        return true;
    }

private:
    struct Level {
        std::uint32_t count = 0, w = 0;
        const std::uint8_t* squares = nullptr;
    };
    struct Block {
        std::uint32_t start = 0;
        int first = 0;
        double table[256] = {};
        std::vector<std::uint8_t> data;
        std::vector<Level> levels;
    };

    bool Member(std::uint32_t id, std::vector<std::uint8_t>* out) {
        const std::int64_t size = volume.GetEntrySizeById(id);
        if (size < 0 || !volume.OpenEntryById(id)) return false;
        out->resize(static_cast<std::size_t>(size));
        const bool ok =
            size == 0 || core::ReadAll(volume, static_cast<std::uint32_t>(size), out->data());
        volume.Close();
        return ok;
    }

    const Block* Load(std::uint32_t id) {
        auto it = blocks.find(id);
        if (it != blocks.end()) return it->second.get();
        auto b = std::make_unique<Block>();
        std::vector<std::uint8_t> h;
        if (!Member(id, &h) || h.size() < 44) return nullptr;
        b->start = core::ReadU32(h.data() + 8);
        b->first = core::ReadI32(h.data() + 16);
        std::size_t at = 36;
        if (core::ReadU32(h.data() + 32) == 0) {
            for (int i = 0; i < 256; ++i) {
                // The file's unit becomes terrain units by two truncating float products.
                const float once =
                    static_cast<float>(core::ReadI32(h.data() + 36 + 4 * i)) * 0.77575755f;
                b->table[i] = static_cast<std::int32_t>(
                    static_cast<float>(static_cast<std::int32_t>(once)) * 0.77575755f);
            }
            at += 1024;
        } else {
            const Block* root = Load(300);
            if (root == nullptr) return nullptr;
            std::copy(root->table, root->table + 256, b->table);
        }
        const std::uint32_t count = core::ReadU32(h.data() + at + 4);
        if (!Member(id | 0x40000, &b->data)) return nullptr;
        std::size_t squares = 4 + 24 * std::size_t{count};
        for (std::uint32_t i = 0; i < count; ++i) {
            Level l;
            l.count = core::ReadU32(b->data.data() + 4 + 24 * i + 4);
            l.w = core::ReadU32(b->data.data() + 4 + 24 * i + 8);
            l.squares = b->data.data() + squares;
            squares += 32 * std::size_t{l.count};
            b->levels.push_back(l);
        }
        if (squares > b->data.size()) return nullptr;
        return (blocks[id] = std::move(b)).get();
    }

    const std::uint8_t* Dense(const Block& b, int level, std::int64_t lx, std::int64_t ly) const {
        const Level& l = b.levels[static_cast<std::size_t>(level - b.first)];
        const std::int64_t cx = lx >> (shift + level), cy = ly >> (shift + level);
        const std::int64_t square = ((cy >> 1) << l.w) + (cx >> 1);
        if (cx < 0 || cy < 0 || square >= l.count) return nullptr;
        return l.squares + square * 32 + ((cy & 1) * 2 + (cx & 1)) * 8;
    }

    core::VolumeRStream volume;
    std::uint32_t shift = 9;
    std::map<std::uint32_t, std::unique_ptr<Block>> blocks;
};

class CountryTerrain : public ::testing::Test {
protected:
    void SetUp() override {
        folder = Installation() / "Art" / "Terrain" / "USA";
        if (!fs::exists(folder / "stub.ted"))
            GTEST_SKIP() << "the starter installation is not built";
        // The material list names the sea's material.
        std::ifstream in(folder / "DML" / "terrain.dml", std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
        materials = world::TerrainMaterialList::FromBytes(
            reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        ASSERT_NE(materials, nullptr);
        water = MaterialNamed("water");
        ASSERT_GE(water, 0);
    }

    // The index of the land cover of that name in the textured material list; -1 if none.
    [[nodiscard]] int MaterialNamed(const std::string& name) const {
        for (int i = 0; i < materials->Count(); ++i)
            if (materials->materials[static_cast<std::size_t>(i)].textureName == name) return i;
        return -1;
    }

    // Whether the installation holds the whole country rather than a small world.
    [[nodiscard]] bool CountryMade() const {
        int n = 0;
        for (const auto& e : fs::directory_iterator(folder))
            n += e.path().extension() == ".TED" ? 1 : 0;
        return n >= 100;
    }

    Tile* TileAt(double x, double y, double* lx, double* ly) {
        const int c = static_cast<int>(std::floor(x / kTile)),
                  r = static_cast<int>(std::floor(y / kTile));
        *lx = x - c * kTile;
        *ly = y - r * kTile;
        const int key = c * 16 + r;
        auto it = tiles.find(key);
        if (it != tiles.end()) return it->second.get();
        char name[32];
        std::snprintf(name, sizeof name, "NA_%02dX%02d.TED", r, c);
        std::unique_ptr<Tile> t;
        if (c >= 0 && c < 16 && r >= 0 && r < 16 && fs::exists(folder / name)) {
            t = std::make_unique<Tile>();
            if (!t->Open(folder / name)) t.reset();
        }
        return (tiles[key] = std::move(t)).get();
    }

    fs::path folder;
    std::unique_ptr<world::TerrainMaterialList> materials;
    int water = -1;
    std::map<int, std::unique_ptr<Tile>> tiles;
};

TEST_F(CountryTerrain, EveryLandAirportStandsAtItsPublishedElevation) {
    std::set<std::string> conflicts;
    {
        std::ifstream in(folder / "PadConflicts.txt");
        std::string line;
        std::getline(in, line);
        while (std::getline(in, line))
            conflicts.insert(line.substr(0, line.find(' ')));
    }
    int checked = 0, wrong = 0;
    for (const auto& r : ReadNavdataCsv("airport.csv")) {
        if (r.size() < 7 || r[2] != "land") continue;
        double x = 0, y = 0, lx = 0, ly = 0, feet = 0;
        World(std::stod(r[4]), std::stod(r[5]), &x, &y);
        Tile* t = TileAt(x, y, &lx, &ly);
        int material = 0;
        if (t == nullptr) continue;
        ASSERT_TRUE(t->At(lx, ly, &feet, &material)) << r[0];
        if (conflicts.count(r[0]) != 0) continue;
        ++checked;
        if (std::fabs(feet - std::stod(r[3])) > 5.0) {
            ++wrong;
            ADD_FAILURE() << r[0] << " published " << r[3] << " ft, ground " << feet << " ft";
        }
        EXPECT_NE(material, water) << r[0] << " lies in water";
    }
    EXPECT_GT(checked, 0);
    EXPECT_LT(conflicts.size() * 50, static_cast<std::size_t>(checked) + 50);  // few, and listed
    EXPECT_EQ(wrong, 0);
}

TEST_F(CountryTerrain, ThePlainGroundNamesTheSameMaterialsAsTheTexturedGround) {
    // A cell's material is the same land cover however the ground is drawn: the plain colours'
    // list names each one as the textured list does, in the same order.
    auto read = [&](const char* set) {
        std::ifstream in(folder / set / "terrain.dml", std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
        return world::TerrainMaterialList::FromBytes(
            reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    };
    const auto textured = read("DML"), plain = read("DML-LOW");
    ASSERT_NE(textured, nullptr);
    ASSERT_NE(plain, nullptr);
    ASSERT_EQ(plain->Count(), textured->Count());
    for (std::size_t i = 0; i < plain->materials.size(); ++i) {
        EXPECT_EQ(plain->materials[i].textureName, textured->materials[i].textureName) << i;
        EXPECT_EQ(plain->materials[i].type, world::kMaterialPalette) << i;
        EXPECT_EQ(plain->materials[i].paletteIndex, textured->materials[i].paletteIndex) << i;
    }
    EXPECT_EQ(plain->materials[static_cast<std::size_t>(water)].textureName, "water");
}

TEST_F(CountryTerrain, LandAndSeaLieOnTheirSidesOfTheCoast) {
    std::ifstream in(std::string(ZEPHLON_SOURCE_DIR) + "/data/outlines-us/coast_intermediate.txt");
    std::vector<std::vector<std::pair<double, double>>> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty()) continue;
        if (line[0] == '>') {
            lines.emplace_back();
            continue;
        }
        std::istringstream s(line);
        double lon = 0, lat = 0;
        if (s >> lon >> lat && !lines.empty()) lines.back().push_back({lon, lat});
    }
    const double offset = 1500.0 / 0.392906;  // 1.5 km either side
    // Every segment in buckets, to find the shore nearest a point.
    struct Segment {
        double x0, y0, x1, y1;
    };
    const double bucket = 16384.0;
    std::map<std::pair<int, int>, std::vector<Segment>> buckets;
    for (const auto& l : lines)
        for (std::size_t k = 0; k + 1 < l.size(); ++k) {
            Segment g{};
            World(l[k].second, l[k].first, &g.x0, &g.y0);
            World(l[k + 1].second, l[k + 1].first, &g.x1, &g.y1);
            const int i0 = static_cast<int>(std::floor(std::min(g.x0, g.x1) / bucket));
            const int i1 = static_cast<int>(std::floor(std::max(g.x0, g.x1) / bucket));
            const int j0 = static_cast<int>(std::floor(std::min(g.y0, g.y1) / bucket));
            const int j1 = static_cast<int>(std::floor(std::max(g.y0, g.y1) / bucket));
            for (int i = i0; i <= i1 && i - i0 < 64; ++i)
                for (int j = j0; j <= j1 && j - j0 < 64; ++j)
                    buckets[{i, j}].push_back(g);
        }
    auto shoreDistance = [&](double x, double y) {
        double best = 1e300;
        const int i = static_cast<int>(std::floor(x / bucket)),
                  j = static_cast<int>(std::floor(y / bucket));
        for (int a = i - 1; a <= i + 1; ++a)
            for (int b = j - 1; b <= j + 1; ++b) {
                auto it = buckets.find({a, b});
                if (it == buckets.end()) continue;
                for (const Segment& g : it->second) {
                    const double dx = g.x1 - g.x0, dy = g.y1 - g.y0;
                    const double len2 = dx * dx + dy * dy;
                    const double t =
                        len2 > 0 ? std::clamp(((x - g.x0) * dx + (y - g.y0) * dy) / len2, 0.0, 1.0)
                                 : 0.0;
                    best = std::min(best, std::hypot(x - g.x0 - t * dx, y - g.y0 - t * dy));
                }
            }
        return best;
    };
    int tested = 0, land = 0, sea = 0;
    for (const auto& l : lines) {
        if (l.size() < 40) continue;  // long shores only: small islands are narrower than this
        for (std::size_t k = 0; k + 1 < l.size(); k += 3) {
            const double lat = 0.5 * (l[k].second + l[k + 1].second);
            const double lon = 0.5 * (l[k].first + l[k + 1].first);
            if (lat < 21 || lat > 54 || lon < -124 || lon > -66) continue;
            double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
            World(l[k].second, l[k].first, &x0, &y0);
            World(l[k + 1].second, l[k + 1].first, &x1, &y1);
            const double len = std::hypot(x1 - x0, y1 - y0);
            if (len < 1.0) continue;
            // Land lies on the left of the outline's direction.
            const double nx = -(y1 - y0) / len, ny = (x1 - x0) / len;
            const double mx = 0.5 * (x0 + x1), my = 0.5 * (y0 + y1);
            // Only where this stretch of shore is the nearest to both points: across narrow
            // bays, sounds and barrier islands the other side is another shore.
            if (shoreDistance(mx + nx * offset, my + ny * offset) < 0.9 * offset ||
                shoreDistance(mx - nx * offset, my - ny * offset) < 0.9 * offset) {
                continue;
            }
            double lx = 0, ly = 0, feet = 0;
            int left = 0, right = 0;
            Tile* a = TileAt(mx + nx * offset, my + ny * offset, &lx, &ly);
            if (a == nullptr || !a->At(lx, ly, &feet, &left)) continue;
            Tile* b = TileAt(mx - nx * offset, my - ny * offset, &lx, &ly);
            if (b == nullptr || !b->At(lx, ly, &feet, &right)) continue;
            ++tested;
            land += left != water ? 1 : 0;
            sea += right == water ? 1 : 0;
        }
    }
    // The country has hundreds of such places; a small world (made with a terrain box) a few.
    ASSERT_GT(tested, CountryMade() ? 500 : 0);
    // The outline is followed to within a cell of 400 m; lakes and rivers by the shore take a
    // few points of the land side.
    EXPECT_GT(land, tested * 0.95) << land << " of " << tested;
    EXPECT_GT(sea, tested * 0.97) << sea << " of " << tested;
}

// The made-up obstacles (masts at radio beacons, towers round airports) stand on land: the
// ground under each and 200 m round it is not water.
TEST_F(CountryTerrain, NoObstacleStandsInWater) {
    core::VolumeRStream data;
    ASSERT_TRUE(data.OpenVolume((Installation() / "Data" / "Data.Vol").string()));
    const std::int64_t size = data.GetEntrySize("obstacle.bin");
    ASSERT_GE(size, 4);
    std::vector<std::uint8_t> b(static_cast<std::size_t>(size));
    ASSERT_TRUE(data.OpenEntry("obstacle.bin") &&
                core::ReadAll(data, static_cast<std::uint32_t>(size), b.data()));
    const std::uint32_t count = core::ReadU32(b.data());
    ASSERT_EQ(b.size(), 4u + 16u * count);
    const double around = 200.0 / 0.392906;
    int standing = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint8_t* o = b.data() + 4 + 16 * i;
        const double x = core::ReadI32(o + 4), z = core::ReadI32(o + 8);
        for (const auto& [dx, dz] :
             {std::pair{0.0, 0.0}, {around, 0.0}, {-around, 0.0}, {0.0, around}, {0.0, -around}}) {
            double lx = 0, ly = 0, feet = 0;
            int material = 0;
            Tile* t = TileAt(x + dx, z + dz, &lx, &ly);
            if (t == nullptr || !t->At(lx, ly, &feet, &material)) continue;
            standing += dx == 0.0 && dz == 0.0 ? 1 : 0;
            EXPECT_NE(material, water)
                << "obstacle " << i << " of type " << int{o[0]} << " at " << x << ", " << z
                << " has water " << dx << ", " << dz << " units off";
        }
    }
    EXPECT_GT(standing, CountryMade() ? 2000 : 0);
}

TEST_F(CountryTerrain, MagneticGridsTurnEveryLocalizerCourseIntoItsRunwayNumber) {
    core::VolumeRStream data;
    ASSERT_TRUE(data.OpenVolume((Installation() / "Data" / "Data.Vol").string()));
    std::map<std::string, std::vector<std::uint8_t>> grids;
    auto value = [&](const char* ext, int c, int r, int col, int row, bool* found) {
        char name[32];
        std::snprintf(name, sizeof name, "%02dX%02d.%s", r, c, ext);
        auto it = grids.find(name);
        if (it == grids.end()) {
            std::vector<std::uint8_t> bytes;
            const std::int64_t size = data.GetEntrySize(name);
            if (size == 32768 && data.OpenEntry(name)) {
                bytes.resize(32768);
                if (!core::ReadAll(data, 32768, bytes.data())) bytes.clear();
                data.Close();
            }
            it = grids.emplace(name, std::move(bytes)).first;
        }
        *found = !it->second.empty();
        return *found ? core::ReadI16(it->second.data() + 2 * (row * 128 + col)) : 0;
    };
    std::vector<double> errors;
    for (const auto& r : ReadNavdataCsv("ils.csv")) {
        if (r.size() < 10) continue;
        const std::string& rw = r[1];
        const int number = std::atoi(rw.c_str());
        if (number < 1 || number > 36) continue;
        double x = 0, y = 0;
        World(std::stod(r[4]), std::stod(r[5]), &x, &y);
        const int c = static_cast<int>(std::floor(x / kTile)),
                  row = static_cast<int>(std::floor(y / kTile));
        const int col = static_cast<int>((x - c * kTile) / 8192),
                  line = static_cast<int>((y - row * kTile) / 8192);
        bool m = false, n = false;
        const int mag = value("mag", c, row, col, line, &m);
        const int nor = value("nor", c, row, col, line, &n);
        if (!m || !n) continue;
        // World-grid course = true course + north part; magnetic = grid - (variation + north).
        const double grid = std::stod(r[9]) + nor * 360.0 / 65536.0;
        const double magnetic = grid - (mag + nor) * 360.0 / 65536.0;
        double e = std::fmod(magnetic - number * 10.0 + 540.0, 360.0) - 180.0;
        errors.push_back(std::fabs(e));
    }
    ASSERT_GT(errors.size(), 0u);
    std::sort(errors.begin(), errors.end());
    EXPECT_LE(errors[errors.size() / 2], 3.0) << "median error over " << errors.size();
    EXPECT_LE(errors[errors.size() * 9 / 10], 8.0);
}

// The 40 busiest airports of the 48 states by passenger boardings (FAA, Passenger Boarding Data,
// calendar year 2022, the largest 41 less Honolulu, which lies outside the terrain; the table
// "Enplanements at All Commercial Service Airports (by Rank)" linked from
// https://www.faa.gov/airports/planning_capacity/passenger_allcargo_stats/passenger). The first
// ten, in this order, with the FAA's 2022 boardings as quoted by
// https://www.datapandas.org/ranking/busiest-airports-in-the-us (45.4 million at Atlanta down to
// 23.1 million at Charlotte).
constexpr const char* kBusiestAirports[] = {
    "KATL", "KDFW", "KDEN", "KORD", "KLAX", "KJFK", "KLAS", "KMCO", "KMIA", "KCLT",
    "KSEA", "KPHX", "KEWR", "KSFO", "KIAH", "KBOS", "KFLL", "KMSP", "KLGA", "KDTW",
    "KPHL", "KSLC", "KBWI", "KDCA", "KSAN", "KIAD", "KTPA", "KBNA", "KAUS", "KMDW",
    "KDAL", "KPDX", "KSTL", "KRDU", "KHOU", "KSMF", "KMSY", "KSJC", "KSNA", "KSAT",
};

// Every runway end of those airports: the ground under its 3 degree approach surface (the
// extended centre line and a band either side that widens outward, as an approach's protected
// area does) lies below the surface, from the threshold out to five nautical miles. The same
// path is the departure path of the other end.
TEST_F(CountryTerrain, TheApproachesOfTheBusiestAirportsAreClearToFiveMiles) {
    if (!CountryMade()) GTEST_SKIP() << "a small world: the airports' tiles are not all made";
    const double kMetresPerUnit = 0.392906, kTan3 = std::tan(3.0 * 3.14159265358979 / 180.0);
    std::map<std::string, int> runways;
    int ends = 0, samples = 0;
    for (const auto& r : ReadNavdataCsv("runway.csv")) {
        if (r.size() < 11 || std::find(std::begin(kBusiestAirports), std::end(kBusiestAirports),
                                       r[0]) == std::end(kBusiestAirports)) {
            continue;
        }
        ++runways[r[0]];
        double ax = 0, ay = 0, bx = 0, by = 0;
        World(std::stod(r[4]), std::stod(r[5]), &ax, &ay);
        World(std::stod(r[8]), std::stod(r[9]), &bx, &by);
        for (int end = 0; end < 2; ++end, ++ends) {
            // Outward from this end, away from the other.
            const double tx = end == 0 ? ax : bx, ty = end == 0 ? ay : by;
            const double len = std::hypot(bx - ax, by - ay);
            const double ux = (end == 0 ? ax - bx : bx - ax) / len,
                         uy = (end == 0 ? ay - by : by - ay) / len;
            double lx = 0, ly = 0, threshold = 0;
            int material = 0;
            Tile* t = TileAt(tx, ty, &lx, &ly);
            ASSERT_NE(t, nullptr) << r[0];
            ASSERT_TRUE(t->At(lx, ly, &threshold, &material)) << r[0];
            double worst = -1e9, worstAt = 0;
            for (double metres = 300.0; metres <= 9260.0; metres += 100.0) {
                const double d = metres / kMetresPerUnit;
                const double surface = threshold + metres / 0.3048 * kTan3;
                const double half = (75.0 + 0.1 * metres) / kMetresPerUnit;
                for (const double side : {-half, 0.0, half}) {
                    const double x = tx + ux * d - uy * side, y = ty + uy * d + ux * side;
                    double feet = 0;
                    Tile* u = TileAt(x, y, &lx, &ly);
                    if (u == nullptr || !u->At(lx, ly, &feet, &material)) continue;
                    ++samples;
                    if (feet - surface > worst) {
                        worst = feet - surface;
                        worstAt = metres;
                    }
                }
            }
            EXPECT_LE(worst, 0.0) << r[0] << " " << (end == 0 ? r[3] : r[7])
                                  << ": the ground stands " << worst << " ft above the surface "
                                  << worstAt << " m out";
        }
    }
    EXPECT_EQ(runways.size(), std::size(kBusiestAirports));
    EXPECT_GT(ends, 200);
    EXPECT_GT(samples, ends * 250);
}

// The public heights the ground is made from: airports, radio stations and markers (an
// elevation of 0 says "not known" in the station tables) and the towns of places-us.
struct PublicHeight {
    double x = 0, y = 0, feet = 0;
};

class PublicHeights {
public:
    PublicHeights() {
        auto add = [&](const std::string& lat, const std::string& lon, const std::string& feet,
                       bool zeroKnown) {
            double x = 0, y = 0;
            if (lat.empty() || lon.empty() || feet.empty()) return;
            const double f = std::stod(feet);
            if (f == 0.0 && !zeroKnown) return;
            World(std::stod(lat), std::stod(lon), &x, &y);
            buckets[Key(x, y)].push_back({x, y, f});
        };
        for (const auto& r : ReadNavdataCsv("airport.csv"))
            if (r.size() >= 6) add(r[4], r[5], r[3], true);
        for (const char* table : {"vor.csv", "ndb.csv", "dme.csv"})
            for (const auto& r : ReadNavdataCsv(table))
                if (r.size() >= 5) add(r[2], r[3], r[4], false);
        for (const auto& r : ReadNavdataCsv("ils.csv")) {
            if (r.size() >= 7) add(r[4], r[5], r[6], false);
            if (r.size() >= 13) add(r[10], r[11], r[12], false);
        }
        for (const auto& r : ReadNavdataCsv("marker.csv"))
            if (r.size() >= 6) add(r[3], r[4], r[5], false);
        for (const auto& f : testsupport::ReadDataCsv("places-us", "heights.csv"))
            if (f.size() >= 4) add(f[1], f[2], f[3], true);
    }
    // Calls f(height, distance) for each public height within `radius` units.
    template <typename F>
    void ForNear(double x, double y, double radius, F&& f) const {
        const int n = static_cast<int>(std::ceil(radius / kBucket));
        const auto [i, j] = Key(x, y);
        for (int a = i - n; a <= i + n; ++a)
            for (int b = j - n; b <= j + n; ++b) {
                const auto it = buckets.find({a, b});
                if (it == buckets.end()) continue;
                for (const PublicHeight& p : it->second) {
                    const double d = std::hypot(p.x - x, p.y - y);
                    if (d <= radius) f(p, d);
                }
            }
    }

private:
    static constexpr double kBucket = 16384.0;
    static std::pair<int, int> Key(double x, double y) {
        return {static_cast<int>(std::floor(x / kBucket)),
                static_cast<int>(std::floor(y / kBucket))};
    }
    std::map<std::pair<int, int>, std::vector<PublicHeight>> buckets;
};

constexpr double kUnitsPerMetre = 1.0 / 0.392906;

// Where the public heights show a plain (at least three within 8 km, all within 300 ft of each
// other), nothing asks for a step: the ground rises no more than 150 ft in any half mile beyond
// what the real ground's large shape rises there (the elevation grid's means, which may show a
// valley's side the public heights do not). A seeded sample of the country's land.
TEST_F(CountryTerrain, TheGroundOfThePlainsRisesNoMoreThan150FeetInHalfAMile) {
    const PublicHeights heights;
    const double halfMile = 804.672 * kUnitsPerMetre, around = 8000.0 * kUnitsPerMetre;
    std::uint32_t seed = 12345;
    auto next = [&] {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) / 16777216.0;
    };
    const testsupport::ElevationGrid grid;
    int plains = 0, steps = 0;
    std::ostringstream seen;
    for (int k = 0; k < 40000; ++k) {
        const double lat = 25.0 + 24.0 * next(), lon = -124.0 + 57.0 * next();
        double x = 0, y = 0;
        World(lat, lon, &x, &y);
        int count = 0;
        double lo = 1e9, hi = -1e9;
        heights.ForNear(x, y, around, [&](const PublicHeight& p, double) {
            ++count;
            lo = std::min(lo, p.feet);
            hi = std::max(hi, p.feet);
        });
        if (count < 3 || hi - lo > 300.0) continue;
        double h[3];
        int material[3];
        bool read = true;
        const double at[3][2] = {{x, y}, {x + halfMile, y}, {x, y + halfMile}};
        for (int i = 0; i < 3 && read; ++i) {
            double lx = 0, ly = 0;
            Tile* t = TileAt(at[i][0], at[i][1], &lx, &ly);
            read = t != nullptr && t->At(lx, ly, &h[i], &material[i]) && material[i] != water;
        }
        if (!read) continue;
        ++plains;
        // The real ground's own rise there, from the elevation grid's means (none outside it).
        double g[3] = {0, 0, 0};
        for (int i = 0; i < 3; ++i) {
            double a = 0, o = 0;
            nav::WorldToLatLon(&a, &o, static_cast<std::int32_t>((at[i][0] - 9 * kTile) * 100.584),
                               static_cast<std::int32_t>((at[i][1] - 5 * kTile) * 100.584));
            g[i] = grid.Feet(a, -o);
            if (std::isnan(g[i])) g[i] = g[0] = 0.0;
        }
        for (int i = 1; i < 3; ++i)
            if (std::fabs((h[i] - h[0]) - (g[i] - g[0])) > 150.0) {
                ++steps;
                seen << "\nat " << lat << ", " << lon << " the ground steps " << h[i] - h[0]
                     << " ft in half a mile " << (i == 1 ? "east" : "north")
                     << " where the public heights span " << lo << " to " << hi << " ft";
            }
    }
    EXPECT_GT(plains, CountryMade() ? 800 : 0);
    // A few places, where the relief meets a valley's floor, step more than the real ground's
    // large shape (the elevation grid's means) rises there.
    EXPECT_LE(steps, plains / 200) << plains << " places of plain" << seen.str();
}

// Every land airport stands on a floor: a mile and a half from its runways the ground rises no
// more than the floor's 1 in 400 above the field (it may fall away), unless a public height
// above the field stands within three miles and asks for the ground to rise sooner. Nor does an
// airport stand on a plinth: 800 m from its reference point (400 m beyond its pad's disc) the
// land lies no more than 1 in 2 of those 400 m below the field, whatever cut the ground round it. The markers
// on the final approaches lie at their published elevations, which the ground follows where it
// falls away from the runway.
TEST_F(CountryTerrain, AirportsStandOnFloorsAndTheApproachesFollowThePublicHeights) {
    const PublicHeights heights;
    const testsupport::ElevationGrid grid;
    const double nm = 1852.0 * kUnitsPerMetre;
    int airports = 0, high = 0, plinths = 0;
    std::ostringstream seen;
    for (const auto& r : ReadNavdataCsv("airport.csv")) {
        if (r.size() < 7 || r[2] != "land") continue;
        const double field = std::stod(r[3]);
        double x = 0, y = 0;
        World(std::stod(r[4]), std::stod(r[5]), &x, &y);
        for (int k = 0; k < 8; ++k) {
            const double a = k * 3.14159265358979 / 4, out = 800.0 * kUnitsPerMetre;
            double lx = 0, ly = 0, feet = 0;
            int material = 0;
            Tile* t = TileAt(x + out * std::cos(a), y + out * std::sin(a), &lx, &ly);
            if (t != nullptr && t->At(lx, ly, &feet, &material) && material != water &&
                field - feet > 400.0 / 0.3048 / 2 + 25.0 && ++plinths <= 20)
                seen << "\n" << r[0] << " stands " << field - feet << " ft above the land 800 m off";
        }
        bool asked = false;
        heights.ForNear(x, y, 3.0 * nm, [&](const PublicHeight& p, double d) {
            asked = asked || p.feet > field + 30.0 + d * kFeetPerUnit / 300.0;
        });
        if (asked) continue;
        bool read = false;
        double worst = -1e9;
        for (int k = 0; k < 8; ++k) {
            const double a = k * 3.14159265358979 / 4;
            const double px = x + 1.5 * nm * std::cos(a), py = y + 1.5 * nm * std::sin(a);
            // Where the elevation grid's mean there stands as far above the field, the real
            // ground rises there and a floor may end sooner.
            double lat = 0, lon = 0;
            nav::WorldToLatLon(&lat, &lon, static_cast<std::int32_t>((px - 9 * kTile) * 100.584),
                               static_cast<std::int32_t>((py - 5 * kTile) * 100.584));
            if (grid.Feet(lat, -lon) > field + 50.0) continue;
            double lx = 0, ly = 0, feet = 0;
            int material = 0;
            Tile* t = TileAt(px, py, &lx, &ly);
            if (t == nullptr || !t->At(lx, ly, &feet, &material) || material == water) continue;
            read = true;
            worst = std::max(worst, feet - field);
        }
        if (!read) continue;
        ++airports;
        // 1 in 400 over a mile and a half is 23 ft; the cells follow the ground within 25.
        if (worst > 50.0) {
            ++high;
            if (high <= 20)
                seen << "\n"
                     << r[0] << ": the ground 1.5 nm out stands " << worst << " ft above the field";
        }
    }
    EXPECT_GT(airports, CountryMade() ? 5000 : 0);
    // A few (seventeen) stand by a neighbour's pad or floor at another elevation.
    EXPECT_LE(high, airports / 500) << "of " << airports << " airports" << seen.str();
    EXPECT_EQ(plinths, 0) << seen.str();

    // Most markers repeat their airport's elevation, and a few differ from it more than the
    // ground between them can (30 ft and 1 in 20 of the distance): the others give the ground's
    // own height.
    struct Field {
        double feet = 0, x = 0, y = 0;
    };
    std::map<std::string, Field> fields;
    for (const auto& r : ReadNavdataCsv("airport.csv")) {
        if (r.size() < 6 || r[3].empty()) continue;
        Field f{std::stod(r[3])};
        World(std::stod(r[4]), std::stod(r[5]), &f.x, &f.y);
        fields.emplace(r[0], f);
    }
    // Past every runway end of the busy fields whose own stations there (localizer, DME, inner
    // marker) stand as high as the runway's end, up to 120 ft below the field's highest point,
    // the floor holds the field's elevation: no ditch to roll into off the end. Nor does a
    // lesser field's floor cut it (Colorado Springs' 35L ends a mile from a strip 187 ft lower).
    const std::set<std::string> busy = {"KDEN", "KAPA", "KATL", "KSTL",
                                        "KTUL", "KGSO", "KDFW", "KCOS"};
    int ends = 0, ditches = 0;
    std::ostringstream past;
    for (const auto& r : ReadNavdataCsv("runway.csv")) {
        if (r.size() < 10 || busy.count(r[0]) == 0) continue;
        double ax = 0, ay = 0, bx = 0, by = 0;
        World(std::stod(r[4]), std::stod(r[5]), &ax, &ay);
        World(std::stod(r[8]), std::stod(r[9]), &bx, &by);
        const double len = std::hypot(bx - ax, by - ay), field = fields[r[0]].feet;
        for (int end = 0; end < 2; ++end) {
            const double sign = end == 0 ? 1.0 : -1.0;
            const double ux = sign * (bx - ax) / len, uy = sign * (by - ay) / len;
            ++ends;
            for (const double out : {0.2, 0.4, 0.6}) {
                double lx = 0, ly = 0, feet = 0;
                int material = 0;
                const double px = (end == 0 ? bx : ax) + ux * out * nm,
                             py = (end == 0 ? by : ay) + uy * out * nm;
                Tile* t = TileAt(px, py, &lx, &ly);
                if (t == nullptr || !t->At(lx, ly, &feet, &material) || material == water)
                    continue;
                if (std::fabs(feet - field) > 30.0 && ++ditches <= 20)
                    past << "\n"
                         << r[0] << " " << r[end == 0 ? 7 : 3] << ": " << feet - field << " ft "
                         << out << " nm past the end";
            }
        }
    }
    EXPECT_GE(ends, CountryMade() ? 50 : 0);
    EXPECT_EQ(ditches, 0) << past.str();


    int markers = 0, off = 0;
    for (const auto& r : ReadNavdataCsv("marker.csv")) {
        if (r.size() < 6 || fields.count(r[0]) == 0) continue;
        const Field& f = fields[r[0]];
        double x = 0, y = 0, lx = 0, ly = 0, feet = 0;
        World(std::stod(r[3]), std::stod(r[4]), &x, &y);
        const double apart = std::fabs(std::stod(r[5]) - f.feet);
        if (apart < 0.5 || apart > 30.0 + std::hypot(x - f.x, y - f.y) * kFeetPerUnit / 20.0)
            continue;
        int material = 0;
        Tile* t = TileAt(x, y, &lx, &ly);
        if (t == nullptr || !t->At(lx, ly, &feet, &material) || material == water) continue;
        ++markers;
        if (std::fabs(feet - std::stod(r[5])) > 60.0) {
            ++off;
            if (off <= 20)
                seen << "\n"
                     << r[0] << " " << r[1] << " " << r[2] << " published " << r[5]
                     << " ft, ground " << feet << " ft";
        }
    }
    EXPECT_GT(markers, CountryMade() ? 300 : 0);
    // A few markers' elevations disagree with their neighbours' (an inner marker 114 ft below
    // its threshold); the ground between keeps to both as far as it can.
    EXPECT_LE(off, markers / 20) << "of " << markers << " markers" << seen.str();
}

// Every runway end of the country whose approach passes over public heights lying below the
// runway (more than neighbours that agree with it would: 30 ft and 1 in 300 of the distance): on
// the extended centre line abeam each of them a mile or more out the ground stands no higher
// than that height, and five miles out no higher than the line from the field through them in
// turn, so the ground falls where they fall and no ridge stands across a valley the approach
// follows down. Away from the published summits, whose mountains the approaches leave standing.
TEST_F(CountryTerrain, TheGroundUnderAnApproachFallsWhereItsPublicHeightsFall) {
    if (!CountryMade()) GTEST_SKIP() << "a small world: the airports' tiles are not all made";
    const double nm = 1852.0 * kUnitsPerMetre;
    struct Height {
        double x, y, feet;
    };
    std::vector<Height> heights, summits;
    std::map<std::string, double> fields;
    auto add = [&](std::vector<Height>& to, const std::string& lat, const std::string& lon,
                   const std::string& feet) {
        if (lat.empty() || lon.empty() || feet.empty() || std::stod(feet) == 0.0) return;
        Height h{0, 0, std::stod(feet)};
        World(std::stod(lat), std::stod(lon), &h.x, &h.y);
        to.push_back(h);
    };
    for (const auto& r : ReadNavdataCsv("airport.csv")) {
        if (r.size() < 6) continue;
        add(heights, r[4], r[5], r[3]);
        if (r[2] == "land" && !r[3].empty()) fields.emplace(r[0], std::stod(r[3]));
    }
    for (const char* table : {"vor.csv", "ndb.csv", "dme.csv"})
        for (const auto& r : ReadNavdataCsv(table))
            if (r.size() >= 5) add(heights, r[2], r[3], r[4]);
    for (const auto& f : testsupport::ReadDataCsv("places-us", "heights.csv"))
        if (f.size() >= 4) add(heights, f[1], f[2], f[3]);
    for (const auto& f : testsupport::ReadDataCsv("places-us", "summits.csv"))
        if (f.size() >= 4) add(summits, f[1], f[2], f[3]);
    std::map<std::pair<int, int>, std::vector<Height>> cells;  // six miles a side
    for (const Height& h : heights)
        cells[{static_cast<int>(std::floor(h.x / (6.0 * nm))),
               static_cast<int>(std::floor(h.y / (6.0 * nm)))}]
            .push_back(h);
    int ends = 0, samples = 0, high = 0;
    std::ostringstream seen;
    auto ground = [&](double x, double y, double* feet) {
        double lx = 0, ly = 0;
        int material = 0;
        Tile* t = TileAt(x, y, &lx, &ly);
        return t != nullptr && t->At(lx, ly, feet, &material) && material != water;
    };
    for (const auto& r : ReadNavdataCsv("runway.csv")) {
        if (r.size() < 11 || fields.count(r[0]) == 0 || fields[r[0]] == 0.0) continue;
        const double field = fields[r[0]], halfWidth = std::stod(r[1]) / 2 * kUnitsPerMetre;
        double ax = 0, ay = 0, bx = 0, by = 0;
        World(std::stod(r[4]), std::stod(r[5]), &ax, &ay);
        World(std::stod(r[8]), std::stod(r[9]), &bx, &by);
        const double len = std::hypot(bx - ax, by - ay);
        if (len <= 0.0) continue;
        for (int end = 0; end < 2; ++end) {
            const double tx = end == 0 ? ax : bx, ty = end == 0 ? ay : by;
            const double ux = (end == 0 ? ax - bx : bx - ax) / len,
                         uy = (end == 0 ? ay - by : by - ay) / len;
            const bool nearSummit = std::any_of(summits.begin(), summits.end(), [&](const Height& s) {
                return std::hypot(s.x - tx, s.y - ty) < 15.0 * nm;
            });
            if (nearSummit) continue;
            std::vector<std::pair<double, double>> falls;  // along, feet
            const int ci = static_cast<int>(std::floor(tx / (6.0 * nm))),
                      cj = static_cast<int>(std::floor(ty / (6.0 * nm)));
            std::vector<Height> near;
            for (int i = ci - 1; i <= ci + 1; ++i)
                for (int j = cj - 1; j <= cj + 1; ++j) {
                    const auto it = cells.find({i, j});
                    if (it != cells.end()) near.insert(near.end(), it->second.begin(), it->second.end());
                }
            for (const Height& h : near) {
                const double px = h.x - tx, py = h.y - ty;
                const double along = px * ux + py * uy;
                if (along <= 0.0 || along > 6.0 * nm) continue;
                const double side = std::fabs(-px * uy + py * ux);
                if (side > halfWidth + 150.0 * kUnitsPerMetre + 0.15 * along) continue;
                if (h.feet >= field ||
                    std::fabs(field - h.feet) <= 30.0 + along * kFeetPerUnit / 300.0)
                    continue;
                // The field's own stations just past the end (a localizer, a DME) stand as high
                // as the runway's end: a runway falls up to 1 in 100 over its length.
                const double runwayFall = (len + 600.0 * kUnitsPerMetre) * kFeetPerUnit / 100.0;
                if (along <= 1.5 * nm && field - h.feet <= runwayFall) continue;
                falls.emplace_back(along, h.feet);
            }
            if (falls.empty()) continue;
            ++ends;
            std::sort(falls.begin(), falls.end());
            // Five miles out the ground stands no higher than the line through the field and
            // the public heights in turn (level beyond the last), the field's floor level for a
            // mile and a half or half way to the nearest.
            double fromAlong = std::min(1.5 * nm, 0.5 * falls.front().first), fromFeet = field;
            double fiveOut = falls.back().second;
            for (const auto& [along, feet] : falls) {
                if (along >= 5.0 * nm) {
                    fiveOut = fromFeet + (feet - fromFeet) * (5.0 * nm - fromAlong) /
                                             (along - fromAlong);
                    break;
                }
                fromAlong = along;
                fromFeet = feet;
            }
            for (const auto& [along, feet] : falls) {
                // Within a mile of the runway its pad and floor keep the field's elevation.
                if (along < 0.8 * nm) continue;
                double at = 0;
                if (!ground(tx + ux * along, ty + uy * along, &at)) continue;
                ++samples;
                if (at > feet + 60.0 && ++high <= 20)
                    seen << "\n" << r[0] << " " << r[end == 0 ? 3 : 7] << ": " << at
                         << " ft abeam a public height of " << feet << " ft "
                         << along / nm << " nm out";
            }
            double at = 0;
            if (!ground(tx + ux * 5.0 * nm, ty + uy * 5.0 * nm, &at)) continue;
            ++samples;
            if (at > fiveOut + 60.0 && ++high <= 20)
                seen << "\n" << r[0] << " " << r[end == 0 ? 3 : 7] << ": " << at
                     << " ft five miles out, above the public heights' line there, " << fiveOut;
        }
    }
    EXPECT_GT(ends, CountryMade() ? 100 : 0);
    EXPECT_LE(high, samples / 50) << "of " << samples << " samples at " << ends << " ends"
                                  << seen.str();
}

// The ground runs on across every border between two tiles: read a unit either side of the
// border, every 256 units along it where both sides are land, the two tiles' heights differ by
// no more than the ground itself rises beside the border.
TEST_F(CountryTerrain, NoStepAtTheBordersOfTheTiles) {
    int borders = 0, samples = 0, steps = 0;
    double worst = 0.0;
    std::string where;
    for (int c = 0; c < 16; ++c)
        for (int r = 0; r < 16; ++r)
            for (int side = 0; side < 2; ++side) {
                double lx = 0, ly = 0;
                if (TileAt((c + 0.5) * kTile, (r + 0.5) * kTile, &lx, &ly) == nullptr) continue;
                const int nc = c + (side == 0 ? 1 : 0), nr = r + (side == 0 ? 0 : 1);
                if (TileAt((nc + 0.5) * kTile, (nr + 0.5) * kTile, &lx, &ly) == nullptr) continue;
                ++borders;
                for (double along = 128.0; along < kTile; along += 256.0) {
                    // The border lies at the far edge of tile (c, r).
                    const double bx = side == 0 ? nc * kTile : c * kTile + along;
                    const double by = side == 0 ? r * kTile + along : nr * kTile;
                    double h[4];
                    int material = 0;
                    bool read = true;
                    const double dx = side == 0 ? 1.0 : 0.0, dy = side == 0 ? 0.0 : 1.0;
                    const double at[4] = {-2.0, -1.0, 0.0, 1.0};
                    for (int k = 0; k < 4 && read; ++k) {
                        Tile* t = TileAt(bx + at[k] * dx, by + at[k] * dy, &lx, &ly);
                        read = t != nullptr && t->At(lx, ly, &h[k], &material) && material != water;
                    }
                    if (!read) continue;
                    ++samples;
                    // The step across the border less the ground's own rise beside it.
                    const double step = std::fabs(h[2] - h[1]) - std::fabs(h[1] - h[0]) - 0.5;
                    steps += step > 0.0 ? 1 : 0;
                    if (step > worst) {
                        worst = step;
                        char text[96];
                        std::snprintf(text, sizeof text,
                                      "NA_%02dX%02d | NA_%02dX%02d at %.0f: %.1f ft", r, c, nr, nc,
                                      along, h[2] - h[1]);
                        where = text;
                    }
                }
            }
    EXPECT_GT(borders, CountryMade() ? 200 : 0);
    EXPECT_GT(samples, borders * 1000);
    EXPECT_EQ(steps, 0) << "of " << samples << "; the largest: " << where;
}

// The land's cover against the share of forest the Forest Service's inventory gives each state
// (Forest cover by state and territory in the United States, en.wikipedia.org, from the FIA's
// 2016 figures: Maine 89.46 %, New Hampshire 84.32 %, West Virginia 79.01 %, Vermont 77.81 %,
// Alabama 70.57 %, Georgia 67.28 %, Pennsylvania 58.60 %, Tennessee 52.83 %, Ohio 30.92 %,
// Indiana 21.06 %), read over a box well inside each; of the Great Smoky Mountains National
// Park, "over 70 %" to "almost 95 %" of it forest (smokymountains.wiki, and the park's own
// surveys); and of Lancaster County's farmland, "Agriculture Land is 65% of Lancaster County"
// (lancasteragcouncil.com). A box is not its state: each box's share is asked within 20 points
// of the published one, the park's forest at 70 % or more. Fields used to cover two fifths of
// Maine, West Virginia and the Smokies, Indiana had no wood at all, and after the woods were
// first mended Lancaster's valley was two thirds forest.
TEST_F(CountryTerrain, TheWoodedStatesAndMountainsOfTheEastAreForest) {
    if (!CountryMade()) GTEST_SKIP() << "a small world";
    const int forest = MaterialNamed("forest"), farmland = MaterialNamed("farmland");
    ASSERT_GE(forest, 0);
    ASSERT_GE(farmland, 0);
    const struct {
        const char* name;
        double south, north, west, east;  // degrees, west longitudes positive
        double published;                 // share of forest (of farmland where `fields`), %
        double within;                    // points either side
        bool fields;
    } boxes[] = {
        {"Maine", 44.6, 46.4, 70.4, 68.6, 89.46, 20.0, false},
        {"New Hampshire", 43.4, 44.7, 71.9, 71.3, 84.32, 20.0, false},
        {"West Virginia", 37.9, 39.1, 81.4, 80.1, 79.01, 20.0, false},
        {"Vermont", 43.3, 44.7, 73.0, 72.4, 77.81, 20.0, false},
        {"Alabama", 32.0, 34.5, 88.0, 86.0, 70.57, 20.0, false},
        {"Georgia", 31.5, 33.5, 84.5, 82.5, 67.28, 20.0, false},
        {"Pennsylvania", 40.3, 41.8, 80.0, 76.0, 58.60, 20.0, false},
        {"Tennessee", 35.4, 36.2, 87.4, 84.6, 52.83, 20.0, false},
        {"Ohio", 39.6, 41.2, 84.2, 81.4, 30.92, 20.0, false},
        {"Indiana", 38.9, 41.0, 87.1, 85.3, 21.06, 20.0, false},
        {"the Great Smoky Mountains", 35.52, 35.70, 83.85, 83.25, 95.0, 25.0, false},
        {"Lancaster County", 39.95, 40.2, 76.45, 75.95, 65.0, 20.0, true},
    };
    for (const auto& b : boxes) {
        int land = 0, woods = 0, fields = 0;
        for (double lat = b.south; lat <= b.north; lat += 0.01)
            for (double lon = b.east; lon <= b.west; lon += 0.01) {
                double x = 0, y = 0, lx = 0, ly = 0, feet = 0;
                int material = 0;
                World(lat, -lon, &x, &y);
                Tile* t = TileAt(x, y, &lx, &ly);
                if (t == nullptr || !t->At(lx, ly, &feet, &material) || material == water) continue;
                ++land;
                woods += material == forest ? 1 : 0;
                fields += material == farmland ? 1 : 0;
            }
        ASSERT_GT(land, 100) << b.name;
        const double woodsShare = 100.0 * woods / land, fieldsShare = 100.0 * fields / land;
        EXPECT_NEAR(b.fields ? fieldsShare : woodsShare, b.published, b.within)
            << b.name << ": forest " << woodsShare << " %, farmland " << fieldsShare << " %";
    }
}

}  // namespace
