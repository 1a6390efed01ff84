// The segment query against a brute-force march along the segment over the test's own reading
// of the quantised surface, and its single-cell cases.
#include <gtest/gtest.h>

#include <random>

#include "support/temp_folder.h"
#include "world/terrain_segment_query.h"
#include "world/terrain_test_support.h"

namespace {

using terraintest::HeightField;

constexpr int kCells = 64;
constexpr double kSize = 512.0;

double Ground(const HeightField& f, double x, double y, bool* inside) {
    *inside = x >= 0 && y >= 0 && x < kCells * kSize && y < kCells * kSize;
    if (!*inside) return 0.0;
    const int cx = static_cast<int>(x / kSize), cy = static_cast<int>(y / kSize);
    return terraintest::TriangleHeight(f.Corner(cx, cy), f.Corner(cx, cy + 1),
                                       f.Corner(cx + 1, cy + 1), f.Corner(cx + 1, cy), kSize,
                                       x - cx * kSize, y - cy * kSize);
}

class SegmentQuery : public ::testing::Test {
protected:
    void SetUp() override {
        field = terraintest::MakeField(kCells, [](int x, int y) {
            return 3000.0 + 1800.0 * std::sin(x * 0.37) * std::cos(y * 0.29) +
                   600.0 * std::sin(x * 1.3 + y * 0.7);
        });
        terraintest::WriteTile(dir.Path("t.ted"), terraintest::TileOf(field));
        ASSERT_EQ(grid.Open(dir.Path("t.ted")), 1);
    }
    testsupport::TempFolder dir;
    HeightField field;
    world::TerrainGrid grid;
};

TEST_F(SegmentQuery, AgreesWithABruteForceMarch) {
    std::mt19937 rng(5);
    std::uniform_real_distribution<double> pos(-2000.0, kCells * kSize + 2000.0);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    world::TerrainSegmentQuery query(&grid);
    int hits = 0, misses = 0, skipped = 0;
    for (int i = 0; i < 10000; ++i) {
        const double x0 = pos(rng), y0 = pos(rng);
        double x1 = x0 + (unit(rng) - 0.5) * 30000.0, y1 = y0 + (unit(rng) - 0.5) * 30000.0;
        if (i % 10 == 0) x1 = x0, y1 = y0;  // some straight down or up
        bool in0 = false, in1 = false;
        const double z0 = Ground(field, x0, y0, &in0) + 50.0 + unit(rng) * 4000.0;
        const double z1 = Ground(field, x1, y1, &in1) - 3000.0 + unit(rng) * 5000.0;
        const float seg[6] = {static_cast<float>(x0), static_cast<float>(y0),
                              static_cast<float>(z0), static_cast<float>(x1),
                              static_cast<float>(y1), static_cast<float>(z1)};
        // The march uses the float segment the query sees.
        const double sx0 = seg[0], sy0 = seg[1], sz0 = seg[2], sx1 = seg[3], sy1 = seg[4],
                     sz1 = seg[5];
        const int steps = 8000;
        double first = -1.0, closest = 1e300;
        bool wasInside = false, throughTheEdge = false;
        std::vector<std::pair<double, double>> clearance;
        for (int k = 0; k <= steps; ++k) {
            const double t = static_cast<double>(k) / steps;
            bool inside = false;
            const double g = Ground(field, sx0 + (sx1 - sx0) * t, sy0 + (sy1 - sy0) * t, &inside);
            if (!inside) {
                wasInside = false;
                continue;
            }
            const double c = sz0 + (sz1 - sz0) * t - g;
            if (c <= 0.0) {
                // Coming in from beyond the grid below its surface meets no surface, only
                // the grid's edge: the walk tests the ground where it leaves cells.
                throughTheEdge = !wasInside && k > 0;
                first = t;
                break;
            }
            wasInside = true;
            clearance.push_back({t, c});
        }
        const double length = std::hypot(sx1 - sx0, sy1 - sy0, sz1 - sz0);
        // The nearest approach before the crossing (or along a segment that misses), leaving
        // out the last few units where a clean crossing comes close anyway.
        for (const auto& [t, c] : clearance)
            if (first < 0 || (first - t) * length > 30.0) closest = std::min(closest, c);
        if (throughTheEdge) {
            ++skipped;
            continue;
        }
        if (closest < 2.0 || (first >= 0 && first * length < 2.0)) {
            ++skipped;  // grazing the ground: either answer is fair
            continue;
        }
        const int got = query.Intersect(seg, -1);
        ASSERT_EQ(got, first >= 0.0 ? 1 : 0) << "segment " << i;
        if (got == 0) {
            ++misses;
            continue;
        }
        ++hits;
        const double want[3] = {sx0 + (sx1 - sx0) * first, sy0 + (sy1 - sy0) * first,
                                sz0 + (sz1 - sz0) * first};
        const double tolerance = length / steps + 1.5;
        ASSERT_NEAR(query.hit[0], want[0], tolerance) << "segment " << i;
        ASSERT_NEAR(query.hit[1], want[1], tolerance) << "segment " << i;
        ASSERT_NEAR(query.hit[2], want[2], tolerance + 8.0) << "segment " << i;
        EXPECT_EQ(query.normal[2], kSize);
    }
    EXPECT_GT(hits, 2000);
    EXPECT_GT(misses, 1000);
    EXPECT_LT(skipped, 1000);
}

TEST_F(SegmentQuery, OneCellSegmentsAndTheGridsEdge) {
    world::TerrainSegmentQuery q(&grid);
    bool inside = false;
    const double g = Ground(field, 1000.0, 1000.0, &inside);
    struct Case {
        const char* what;
        float seg[6];
        int hit;
    } cases[] = {
        {"same cell, above", {1000, 1000, float(g + 100), 1010, 1005, float(g + 50)}, 0},
        {"same cell, into the ground", {1000, 1000, float(g + 100), 1010, 1005, float(g - 50)}, 1},
        {"straight down", {1000, 1000, float(g + 100), 1000, 1000, float(g - 100)}, 1},
        {"straight down, short", {1000, 1000, float(g + 100), 1000, 1000, float(g + 10)}, 0},
        {"beyond the grid", {-100, 1000, 50000, -30000, 1000, -50000}, 0},
        {"leaving the grid",
         {kCells * kSize - 100, 1000, 50000, kCells * kSize + 20000, 1000, -50000},
         0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(q.Intersect(c.seg, -1), c.hit) << c.what;
        if (c.hit == 1) {
            bool in = false;
            EXPECT_NEAR(q.hit[2], Ground(field, q.hit[0], q.hit[1], &in), 1.0) << c.what;
        }
    }
    // At a level the walk reports contact where it crosses that level's cell edges.
    const float across[6] = {100, 100, 20000, 30000, 100, -20000};
    EXPECT_EQ(q.Intersect(across, 2), 1);
    EXPECT_LT(q.hit[0], 30000.0f);
}

}  // namespace
