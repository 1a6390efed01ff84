// Shaded polygons in haze. A palette's shade table holds one block of rows per haze level; the
// fillers address the rows of the current level (up to 256 of them, or every row for per-vertex
// light) from the level's first row, and rows past the table's end read as its last row. The
// oracle: the same polygons drawn at level 0 through a second palette whose table starts with
// the first palette's rows from that level on (rows past the end repeated by hand), large enough
// that no lookup leaves it. Every haze level, including levels past the last, must give the
// same picture byte for byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "gfx/bitmap.h"
#include "gfx/palette.h"
#include "gfx/raster/haze_dither.h"
#include "raster_test_support.h"

namespace gfx {
namespace {

using test::Face;
using test::GuardedSurface;

std::vector<std::uint8_t> RandomRows(std::size_t size, std::uint32_t seed) {
    std::vector<std::uint8_t> t(size);
    for (std::uint8_t& b : t) {
        seed = seed * 214013u + 2531011u;
        b = static_cast<std::uint8_t>(seed >> 16);
    }
    return t;
}

// The oracle's palette: rows from `level` on, the last row repeated past the end.
std::unique_ptr<GFXPalette> LevelAtZero(const GFXPalette& from, std::int32_t level,
                                        std::int32_t bits) {
    const std::size_t rowsFrom = from.ShadeTableSize() / 256;
    const std::size_t rows = std::size_t{1} << (from.shadeShift + bits);
    std::vector<std::uint8_t> t(rows * 256);
    for (std::size_t r = 0; r < rows; ++r) {
        const std::size_t source =
            std::min((static_cast<std::size_t>(level) << from.shadeShift) + r, rowsFrom - 1);
        std::copy_n(from.shadeTable + source * 256, 256, t.begin() + static_cast<long>(r * 256));
    }
    auto p = std::make_unique<GFXPalette>();
    EXPECT_EQ(p->SetShadeTable(from.shadeShift, bits, t.data()), 1);
    return p;
}

// Triangles and a quadrilateral over a 64 x 48 surface with dark, bright and over-bright
// corners, so that spans reach the ends of a level's rows.
void DrawScene(GuardedSurface& s, std::uint32_t mode, const GFXBitmap* texture) {
    struct Shape {
        std::vector<GFXScreenPoint> pts;
        std::vector<std::int32_t> light;  // 16.16 intensities of the corners
    };
    const Shape shapes[] = {
        {{{2, 1, 0, 1}, {60, 6, 0, 1}, {20, 44, 0, 1}}, {0, 65536, 32768}},
        {{{5, 30, 0, 1}, {63, 20, 0, 1}, {40, 47, 0, 1}}, {70000, 1000, 65535}},
        {{{30, 2, 0, 1}, {62, 2, 0, 1}, {62, 28, 0, 1}, {30, 28, 0, 1}}, {0, 20000, 65536, 45000}},
    };
    for (const Shape& shape : shapes) {
        Face f;
        f.pts = shape.pts;
        f.Finish(mode, 137);
        for (std::size_t i = 0; i < f.pts.size(); ++i) {
            GFXPolyVertex& v = f.verts[i];
            v.r = v.g = v.b = shape.light[i];
            v.light = shape.light[i] >> 8;  // per-vertex light, 8.8
            f.tex[i] = {static_cast<float>(f.pts[i].x) * 3.0f, static_cast<float>(f.pts[i].y) * 5.0f};
        }
        if ((mode & kPolyTextured) != 0) f.req.texture = texture;
        test::Draw(s, f);
    }
}

TEST(RasterHaze, EveryLevelDrawsItsOwnRowsAndTheLastRowPastTheTable) {
    auto texture = GFXBitmap::Create(256, 256, 8);
    const std::vector<std::uint8_t> texels = RandomRows(256 * 256, 99);
    for (int y = 0; y < 256; ++y)
        std::copy_n(texels.begin() + y * 256, 256, texture->Row(y));
    const struct {
        std::int32_t shift, bits;
    } tables[] = {{5, 3}, {5, 1}, {3, 2}, {2, 0}, {6, 3}, {8, 1}};
    const std::uint32_t modes[] = {
        kPolySmooth,
        kPolySmooth | kPolyTextured,
        kPolySmooth | kPolyTextured | kPolyPerspective,
        kPolySmooth | kPolyTextured | kPolyTransparent,
        kPolyFaceShade,
        kPolyFaceShade | kPolyTextured,
        kPolyLit,
        kPolyLit | kPolyTextured,
        kPolyPixelLight | kPolyTextured,
    };
    for (const auto& t : tables) {
        GFXPalette hazy;
        const std::size_t size = std::size_t{1} << (t.shift + t.bits + 8);
        ASSERT_EQ(hazy.SetShadeTable(t.shift, t.bits, RandomRows(size, 7).data()), 1);
        const std::int32_t levels = 1 << t.bits;
        for (std::int32_t level = 0; level <= levels + 1; ++level) {
            for (const std::uint32_t mode : modes) {
                // Per-vertex light masks its rows with the table's own levels; the other modes
                // reach 256 rows, so the oracle's table holds at least that many.
                const bool lit = (mode & (kPolyLit | kPolyPixelLight)) != 0;
                const std::int32_t bits = lit ? t.bits : std::max(t.bits, 8 - t.shift);
                const std::unique_ptr<GFXPalette> oracle = LevelAtZero(hazy, level, bits);
                hazy.shadeLevel = level;
                GuardedSurface a(64, 48), b(64, 48);
                a.palette = &hazy;
                b.palette = oracle.get();
                DrawScene(a, mode, texture.get());
                DrawScene(b, mode, texture.get());
                ASSERT_TRUE(a.GuardIntact());
                ASSERT_EQ(a.Picture(), b.Picture())
                    << "shift " << t.shift << " bits " << t.bits << " level " << level
                    << " mode 0x" << std::hex << mode;
            }
        }
    }
}

TEST(RasterHaze, ShadeRowsPastTheTableReadAsItsLastRow) {
    GFXPalette p;
    const std::vector<std::uint8_t> rows = RandomRows(32 * 256, 3);
    ASSERT_EQ(p.SetShadeTable(5, 0, rows.data()), 1);  // 32 rows, 8 KB
    const std::uint8_t* last = rows.data() + 31 * 256;
    for (const std::uint64_t offset : {std::uint64_t{0}, std::uint64_t{31 * 256},
                                       std::uint64_t{32 * 256}, std::uint64_t{1} << 40}) {
        const std::uint8_t* w = p.ShadeRowsFrom(offset);
        const std::uint64_t first = std::min<std::uint64_t>(offset / 256, 31);
        for (std::uint64_t r = 0; r < 256; ++r) {
            const std::uint8_t* want = first + r < 32 ? rows.data() + (first + r) * 256 : last;
            ASSERT_TRUE(std::equal(want, want + 256, w + r * 256)) << offset << " row " << r;
        }
    }
}

// The haze dither against its definition pixel by pixel: the continuous level g of a pixel's
// distance, the pixel's class k (b = (2k + 1) / 8) and the level floor(g + b), one below or one
// above the polygon's (level 0 here, g from -0.5 to 0.5). Rows whose distance falls, rises,
// turns in the middle or stands still, each a sweep of spans.
TEST(HazeDither, MovesThePixelsItsSharesOfTheLevelName) {
    // The squared distance q / l² with the level's shares at g = -3/8, -1/8, 1/8, 3/8 of a
    // distance 1 + g / 4 (so g = 4 (distance - 1)).
    struct Row {
        double qxx, qx, q0, lx, l0;
    };
    const Row rows[] = {
        {0, 0, 1, 0.0004, 0.9},                // nearer to the right
        {0, 0, 1, -0.0005, 1.1},               // farther to the right
        {6.4e-6, -2.048e-3, 1.15, 0, 1},       // nearest in the middle (x = 160)
        {-6.4e-6, 2.048e-3, 0.85, 0, 1},       // farthest in the middle
        {0, 0, 1.075 * 1.075, 0, 1},           // one share throughout (g = 0.3)
    };
    std::uint8_t lower[256], higher[256];
    for (int c = 0; c < 256; ++c) {
        lower[c] = static_cast<std::uint8_t>(c + 1);
        higher[c] = static_cast<std::uint8_t>(c + 2);
    }
    for (const Row& r : rows) {
        HazeDither d;
        d.qxx = r.qxx;
        d.qx = r.qx;
        d.q0 = r.q0;
        d.lx = r.lx;
        d.l0 = r.l0;
        const double steps[4] = {-0.375, -0.125, 0.125, 0.375};
        for (int k = 0; k < 4; ++k) d.edges[k] = (1 + steps[k] / 4) * (1 + steps[k] / 4);
        d.lower = lower;
        d.higher = higher;
        for (const auto& [first, end] : {std::pair{0, 320}, std::pair{3, 17}, std::pair{101, 299},
                                          std::pair{150, 170}, std::pair{7, 8}}) {
            for (int y = 0; y < 4; ++y) {
                std::vector<std::uint8_t> row(320, 10);
                ApplyHazeDither(d, row.data(), y, first, end);
                for (int x = 0; x < 320; ++x) {
                    const double l = d.l0 + d.lx * x;
                    const double g =
                        4 * (std::sqrt((d.q0 + x * (d.qx + d.qxx * x)) / (l * l)) - 1);
                    const int level = static_cast<int>(
                        std::floor(g + (2 * HazeDitherClass(x, y) + 1) / 8.0));
                    const int want = x < first || x >= end ? 10 : level < 0 ? 11 : level > 0 ? 12 : 10;
                    ASSERT_EQ(row[static_cast<std::size_t>(x)], want)
                        << "row " << (&r - rows) << " span " << first << ".." << end << " x " << x
                        << " y " << y << " g " << g;
                }
            }
        }
    }
    // Each class is one pixel of every row and every column of a 4 x 4 tile.
    for (int k = 0; k < 4; ++k) {
        for (int i = 0; i < 4; ++i) {
            int inRow = 0, inColumn = 0;
            for (int j = 0; j < 4; ++j) {
                inRow += HazeDitherClass(j, i) == k ? 1 : 0;
                inColumn += HazeDitherClass(i, j) == k ? 1 : 0;
            }
            EXPECT_EQ(inRow, 1);
            EXPECT_EQ(inColumn, 1);
        }
    }
}

}  // namespace
}  // namespace gfx
