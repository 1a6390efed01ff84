// Runways built from their records: number codes, light counts and colours, the sequenced
// flashers, the settings that drop pieces, the mesh's limits and degenerate runways.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "world/runway_geometry.h"

namespace {

using world::RunwayGeometry;
using world::RunwayLight;
using world::RunwayRecord;

// A precision runway: markings 1, touchdown and centre-line lights, approach type `approach`
// and glide-slope type `slope` at both ends.
RunwayRecord Precision(int width, int length, int approach = 1, int slope = 12) {
    RunwayRecord r;
    r.width = static_cast<std::int16_t>(width);
    r.length = static_cast<std::int16_t>(length);
    r.flags = 1;
    r.end1Code = 12 * 4 + 1;
    r.end2Code = 30 * 4 + 2;
    const std::uint32_t end = 1u | (static_cast<std::uint32_t>(slope) << 3) |
                              (static_cast<std::uint32_t>(approach) << 8) | (1u << 13) | (1u << 14);
    r.markings = end | (end << 15);
    return r;
}

int CountCode(const std::vector<RunwayLight>& list, std::uint16_t code) {
    return static_cast<int>(std::count_if(list.begin(), list.end(),
                                          [&](const RunwayLight& l) { return l.Code() == code; }));
}

// Edge lights stand outside the pavement's edges, by their x.
int EdgeLights(const RunwayGeometry& g, const std::vector<RunwayLight>& list, float side) {
    const float edge = static_cast<float>(g.widthFeet / 2.0 * world::kFeetToShapeUnits);
    return static_cast<int>(std::count_if(list.begin(), list.end(), [&](const RunwayLight& l) {
        return (l.Code() == world::kLightWhite || l.Code() == world::kLightAmber) &&
               side * l.x > edge && side * l.x < edge * 1.1f && std::fabs(l.y) <= g.maxY * 1.01f;
    }));
}

TEST(RunwayNumbers, CodesGiveDigitsAndDesignatorCells) {
    struct Case {
        int code, tens, units, designator;
    };
    for (const Case c : {Case{36 * 4 + 2, 3, 6, 11}, Case{9 * 4, -1, 9, -1}, Case{27 * 4 + 1, 2, 7, 15},
                         Case{1 * 4 + 3, -1, 1, 10}, Case{10 * 4, 1, 0, -1}}) {
        const world::RunwayNumber n = world::DecodeRunwayNumber(static_cast<std::uint8_t>(c.code));
        EXPECT_EQ(n.tens, c.tens) << c.code;
        EXPECT_EQ(n.units, c.units) << c.code;
        EXPECT_EQ(n.designator, c.designator) << c.code;
    }
}

TEST(RunwayLights, EdgeLightsByLengthWithCautionAmberAtTheFarEnd) {
    const RunwayGeometry g(Precision(150, 5000), 0, 0);
    // trunc((5000 + 2 x 5) / 200) a side.
    for (const float side : {-1.0f, 1.0f}) {
        const int n = EdgeLights(g, g.bothWays, side) +
                      (EdgeLights(g, g.towardEnd2, side) + EdgeLights(g, g.towardEnd1, side)) / 2;
        EXPECT_EQ(n, 25) << side;
    }
    // Amber only toward the end a landing aircraft rolls toward, on the far half.
    for (const RunwayLight& l : g.towardEnd2) {
        if (l.Code() == world::kLightAmber) {
            EXPECT_GT(l.y, 0.0f);
        }
    }
    for (const RunwayLight& l : g.towardEnd1) {
        if (l.Code() == world::kLightAmber) {
            EXPECT_LT(l.y, 0.0f);
        }
    }
    // The last ten lights toward end 2, the first nine toward end 1, on both sides.
    EXPECT_EQ(CountCode(g.towardEnd2, world::kLightAmber), 2 * 10);
    EXPECT_EQ(CountCode(g.towardEnd1, world::kLightAmber), 2 * 9);
    // A runway whose edge lights come to one stands it mid-runway.
    RunwayRecord tiny = Precision(100, 250, 0, 0);
    tiny.markings = 0;
    const RunwayGeometry t(tiny, 0, 0);
    int middle = 0;
    for (const RunwayLight& l : t.bothWays)
        if (std::fabs(l.y) < 1e-3f && std::fabs(l.x) > 50.0f * 0.77f) ++middle;
    EXPECT_EQ(middle, 2);
}

TEST(RunwayLights, ThresholdsShowGreenToTheApproachAndRedToTheRunway) {
    RunwayRecord r = Precision(100, 4000, 0, 0);
    r.threshold2 = 500;
    const RunwayGeometry g(r, 0, 0);
    // End 1: 8 green seen landing on it, 8 red seen rolling toward it.
    const float endY = static_cast<float>(-2000.0 * world::kFeetToShapeUnits);
    auto at = [&](const std::vector<RunwayLight>& list, std::uint16_t code, bool end1) {
        return std::count_if(list.begin(), list.end(), [&](const RunwayLight& l) {
            return l.Code() == code && (end1 ? l.y < endY + 1.0f : l.y > -endY - 1.0f);
        });
    };
    EXPECT_EQ(at(g.towardEnd2, world::kLightGreen, true), 8);
    EXPECT_EQ(at(g.towardEnd1, world::kLightRed, true), 8);
    // End 2 has a displaced threshold: red both ways at the pavement's end, and a green bar
    // at the displaced line.
    EXPECT_EQ(at(g.bothWays, world::kLightRed, false), 8);
    EXPECT_EQ(CountCode(g.towardEnd1, world::kLightGreen), 8);
}

TEST(RunwayLights, FlashersOfApproachTypeOneRunFromRow24ToRow10) {
    const RunwayGeometry g(Precision(150, 8000, 1, 0), 0, 0);
    std::vector<RunwayLight> flashers;
    for (const RunwayLight& l : g.towardEnd2)
        if (l.Code() == world::kLightFlasher) flashers.push_back(l);
    ASSERT_EQ(flashers.size(), 15u);
    // Step k of the 16-step cycle lights exactly the flasher of row 25 - k, the farthest first;
    // the last step lights none.
    world::SetRunwayLightMask(0x10000);
    for (int step = 1; step <= 16; ++step) {
        const std::uint32_t running = world::RunwayLightMask();
        int lit = 0;
        float litY = 0.0f;
        for (const RunwayLight& l : flashers)
            if (world::IsLightOn(l.Mask(), running)) {
                ++lit;
                litY = l.y;
            }
        if (step <= 15) {
            ASSERT_EQ(lit, 1) << step;
            const double row = (-4000.0 - litY / world::kFeetToShapeUnits) / 100.0;
            EXPECT_NEAR(row, 25 - step, 1e-3) << step;
        } else {
            EXPECT_EQ(lit, 0);
        }
        world::StepRunwayLightMask();
    }
    EXPECT_EQ(world::RunwayLightMask(), 0x10000u);  // round again
    // Steady lights are always on.
    EXPECT_TRUE(world::IsLightOn(world::kSteadyMask, 0x80000000u));
}

TEST(RunwayLights, SettingsDropLightsAndMarkings) {
    const RunwayRecord r = Precision(150, 8000, 1, 12);
    const RunwayGeometry all(r, 0, 0);
    const RunwayGeometry fewer(r, 1, 1);
    const RunwayGeometry least(r, 2, 2);
    EXPECT_GT(CountCode(all.towardEnd2, world::kLightFlasher), 0);
    EXPECT_GT(CountCode(all.towardEnd2, 1) + CountCode(all.towardEnd2, 9), 0);  // the indicator
    EXPECT_EQ(CountCode(fewer.towardEnd2, world::kLightFlasher), 0);
    EXPECT_EQ(CountCode(fewer.towardEnd2, 1), 0);
    EXPECT_GT(fewer.bothWays.size(), 0u);  // edges and thresholds stay
    EXPECT_TRUE(least.bothWays.empty() && least.towardEnd1.empty() && least.towardEnd2.empty());
    // Marking setting 1 keeps the numbers but drops the stripes; 2 keeps only the centre line.
    auto markings = [](const RunwayGeometry& g) {
        return std::count_if(g.faces.begin(), g.faces.end(), [](const world::RunwayFace& f) {
            return f.material == world::kMarkingMaterial;
        });
    };
    EXPECT_GT(markings(all), markings(fewer));
    EXPECT_GE(markings(fewer), 1 + 2 * 3);  // centre line, designator and two digits per end
    EXPECT_EQ(markings(least), 1);
}

TEST(RunwayGeometry, LimitsHoldAndDegenerateRunwaysBuildNothing) {
    for (int width = 20; width <= 300; width += 40)
        for (int length = 100; length <= 15000; length += 1300) {
            RunwayRecord r = Precision(width, length, 11, 23);
            r.threshold1 = static_cast<std::int16_t>(length / 5);
            r.threshold2 = 400;
            const RunwayGeometry g(r, 0, 0);
            ASSERT_LE(g.faces.size(), static_cast<std::size_t>(RunwayGeometry::kMaxFaces));
            ASSERT_LE(g.vertices.size(), static_cast<std::size_t>(RunwayGeometry::kMaxVertices));
            ASSERT_LE(g.texCoords.size(), static_cast<std::size_t>(RunwayGeometry::kMaxTexCoords));
            for (const world::RunwayFace& f : g.faces) {
                for (int i = 0; i < 4; ++i) {
                    ASSERT_LT(f.vertex[i], g.vertices.size());
                    ASSERT_LT(f.tex[i], g.texCoords.size());
                }
                ASSERT_LT(f.centre, g.vertices.size());
            }
            ASSERT_GE(g.faces.size(), 2u);  // at least the pavement
        }
    for (const auto& [w, l] : {std::pair{0, 5000}, std::pair{100, 0}, std::pair{-50, 3000}}) {
        RunwayRecord r = Precision(150, 5000);
        r.width = static_cast<std::int16_t>(w);
        r.length = static_cast<std::int16_t>(l);
        const RunwayGeometry g(r, 0, 0);
        EXPECT_TRUE(g.faces.empty() && g.bothWays.empty() && g.towardEnd2.empty());
    }
}

TEST(RunwayGeometry, PavementCoversTheRunwayAndTheMarkingsReadFromTheirOwnEnd) {
    const RunwayGeometry g(Precision(150, 6000), 0, 0);
    const float k = static_cast<float>(world::kFeetToShapeUnits);
    float lowY = 1e9f, highY = -1e9f;
    for (const world::RunwayFace& f : g.faces) {
        if (f.material != world::kHardPavementMaterial) continue;
        for (int i = 0; i < 4; ++i) {
            lowY = std::min(lowY, g.vertices[f.vertex[i]].y);
            highY = std::max(highY, g.vertices[f.vertex[i]].y);
        }
    }
    EXPECT_NEAR(lowY, -3000.0f * k, 0.01f);
    EXPECT_NEAR(highY, 3000.0f * k, 0.01f);
    // Every face winds the same way seen from above, whichever end it belongs to.
    for (const world::RunwayFace& f : g.faces) {
        double area = 0.0;
        for (int i = 0; i < 4; ++i) {
            const world::RunwayVertex& a = g.vertices[f.vertex[i]];
            const world::RunwayVertex& b = g.vertices[f.vertex[(i + 1) % 4]];
            area += static_cast<double>(a.x) * b.y - static_cast<double>(b.x) * a.y;
        }
        EXPECT_GT(area, 0.0);
    }
    // The designator of end 2 (code 30R: cell 11) lies near end 2 with its texture turned
    // round: its near edge (v at the cell's bottom) has the larger y.
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    world::MarkingCellRect(11, &x0, &y0, &x1, &y1);
    bool found = false;
    for (const world::RunwayFace& f : g.faces) {
        const world::RunwayTexCoord t0 = g.texCoords[f.tex[0]];
        if (f.material != world::kMarkingMaterial || std::fabs(t0.u * 256.0f - x0) > 1.0f ||
            std::fabs(t0.v * 256.0f - y1) > 1.0f)
            continue;
        if (g.vertices[f.vertex[0]].y < 0.0f) continue;
        found = true;
        EXPECT_GT(g.vertices[f.vertex[0]].y, g.vertices[f.vertex[3]].y);
    }
    EXPECT_TRUE(found);
}

}  // namespace
