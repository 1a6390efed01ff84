// Whole polygons: shared edges are watertight, and no request, however wild, writes outside
// its surface.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "gfx/bitmap.h"
#include "gfx/palette.h"
#include "gfx/raster/coverage_list.h"
#include "gfx/raster/poly_raster.h"
#include "raster_test_support.h"

namespace gfx {
namespace {

using test::Face;
using test::GuardedSurface;

constexpr int kShift = 8;  // sub-pixel bits of the watertightness test

std::vector<std::uint8_t>& AddOneTable() {
    static std::vector<std::uint8_t> t = [] {
        std::vector<std::uint8_t> v(65536);
        for (int i = 0; i < 65536; ++i)
            v[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>((i & 255) + 1);
        return v;
    }();
    return t;
}

// Draws a request straight through the rasterizer into a 64 x 64 byte buffer.
void Rasterize(std::vector<std::uint8_t>& px, const GFXPolyRequest& q, const std::uint8_t* blend,
               int shift = kShift) {
    SpanRasterState& s = theSpanState;
    s.rowPtr = px.data();
    s.pitch = 64;
    s.colour = 1;
    s.coverage = nullptr;
    s.blendTable = blend;
    const std::int32_t one = 1 << shift;
    RasterizeRequest(q, {0, 0, 64 * one, 64 * one}, {0, 0, 64, 64});
}

// A flat shape of a panel (a needle's arrow, a bug, a pointer) listed either way round draws the
// same pixels once its corners are put clockwise, while a face given anticlockwise is seen from
// behind and draws nothing; a clockwise list is left as it was.
TEST(RasterOrder, AFlatShapeShowsWhicheverWayRoundItWasListed) {
    const std::vector<std::vector<GFXScreenPoint>> shapes = {
        {{10, 5, 0, 1}, {30, 20, 0, 1}, {4, 28, 0, 1}},                  // a triangle
        {{31, 40, 0, 1}, {36, 37, 0, 1}, {36, 43, 0, 1}},                // a small pointer
        {{32, 2, 0, 1}, {36, 60, 0, 1}, {28, 60, 0, 1}},                 // a long thin needle
        {{5, 35, 0, 1}, {60, 33, 0, 1}, {63, 63, 0, 1}, {0, 63, 0, 1}},  // a horizon's ground
    };
    for (std::size_t n = 0; n < shapes.size(); ++n) {
        Face clockwise, reversed;
        clockwise.pts = shapes[n];
        reversed.pts.assign(shapes[n].rbegin(), shapes[n].rend());
        clockwise.Finish(0, 1);
        reversed.Finish(0, 1);
        ASSERT_GT(TwiceSignedArea(clockwise.req.points, clockwise.req.count), 0) << n;
        std::vector<std::uint8_t> front(64 * 64), back(64 * 64), turned(64 * 64);
        Rasterize(front, clockwise.req, nullptr, 0);
        Rasterize(back, reversed.req, nullptr, 0);
        EXPECT_TRUE(std::all_of(back.begin(), back.end(), [](std::uint8_t v) { return v == 0; }))
            << n;
        const std::vector<const GFXScreenPoint*> before = clockwise.pp;
        OrderClockwise(clockwise.pp.data(), clockwise.req.count);
        EXPECT_EQ(clockwise.pp, before) << n;
        OrderClockwise(reversed.pp.data(), reversed.req.count);
        Rasterize(turned, reversed.req, nullptr, 0);
        EXPECT_GT(std::count(front.begin(), front.end(), 1), 0) << n;
        EXPECT_EQ(turned, front) << n;
    }
}

TEST(RasterWatertight, QuadSplitOnADiagonalCoversEveryPixelOnce) {
    std::mt19937 rng(12345);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<std::uint8_t> pair(64 * 64), whole(64 * 64);
    int drawn = 0;
    for (int n = 0; n < 10000; ++n) {
        // A convex quad: four angles around a centre, clockwise on the screen (y down).
        const double cx = 8 + unit(rng) * 48, cy = 8 + unit(rng) * 48;
        double a[4];
        for (double& v : a)
            v = unit(rng) * 2 * M_PI;
        std::sort(a, a + 4);
        Face q;
        for (double ang : a) {
            const double r = 2 + unit(rng) * 20;
            q.pts.push_back(
                {static_cast<std::int32_t>(std::lround((cx + r * std::cos(ang)) * (1 << kShift))),
                 static_cast<std::int32_t>(std::lround((cy + r * std::sin(ang)) * (1 << kShift))),
                 0, 0});
        }
        // Keep only convex quads.
        bool convex = true;
        for (int i = 0; i < 4; ++i) {
            const auto& p0 = q.pts[static_cast<std::size_t>(i)];
            const auto& p1 = q.pts[static_cast<std::size_t>((i + 1) % 4)];
            const auto& p2 = q.pts[static_cast<std::size_t>((i + 2) % 4)];
            const double cross = static_cast<double>(p1.x - p0.x) * (p2.y - p1.y) -
                                 static_cast<double>(p1.y - p0.y) * (p2.x - p1.x);
            convex = convex && cross > 0;
        }
        if (!convex) continue;
        ++drawn;
        q.Finish(kPolySubpixel, 1);
        q.req.subpixelShift = kShift;
        std::fill(whole.begin(), whole.end(), 0);
        Rasterize(whole, q.req, nullptr);
        const int d = static_cast<int>(rng() % 2);  // diagonal 0-2 or 1-3
        Face t1, t2;
        const std::size_t i0 = static_cast<std::size_t>(d);
        t1.pts = {q.pts[i0], q.pts[i0 + 1], q.pts[(i0 + 2) % 4]};
        t2.pts = {q.pts[(i0 + 2) % 4], q.pts[(i0 + 3) % 4], q.pts[i0]};
        t1.Finish(kPolySubpixel | kPolyTranslucent, 0);
        t2.Finish(kPolySubpixel | kPolyTranslucent, 0);
        t1.req.subpixelShift = t2.req.subpixelShift = kShift;
        std::fill(pair.begin(), pair.end(), 0);
        Rasterize(pair, t1.req, AddOneTable().data());
        Rasterize(pair, t2.req, AddOneTable().data());
        ASSERT_EQ(pair, whole) << "quad " << n;
    }
    EXPECT_GT(drawn, 3000);
}

// The test that passes over a face before its set-up never passes over one that draws: random
// triangles and quads, each drawn into a cleared buffer. With sub-pixel corners, many of them
// are slivers between two rows or lie beyond a side of the bounds (within the guard band and far
// past it); with corners on whole pixels, as far terrain draws, they are a few pixels across and
// most reach over one or two rows, some past a side.
struct NoPixelCase {
    const char* name;
    bool wholePixels;
    int minPassedOver;  // faces passed over
    int minOnRows;      // of them, faces inside the bounds that reach over a row
    int minDrew;
};

void PrintTo(const NoPixelCase& c, std::ostream* os) {
    *os << c.name;
}

class RasterNoPixel : public ::testing::TestWithParam<NoPixelCase> {};

TEST_P(RasterNoPixel, AFacePassedOverWouldHaveDrawnNothing) {
    const NoPixelCase& c = GetParam();
    std::mt19937 rng(54);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<std::uint8_t> px(64 * 64);
    const int shift = c.wholePixels ? 0 : kShift;
    const std::int32_t one = 1 << shift;
    const GFXClipBounds bounds{0, 0, 64 * one, 64 * one};
    int passedOver = 0, onRows = 0, drew = 0;
    for (int n = 0; n < 20000; ++n) {
        Face f;
        const int corners = 3 + static_cast<int>(rng() % 2);
        if (c.wholePixels) {
            const int cx = static_cast<int>(rng() % 70) - 3, cy = static_cast<int>(rng() % 70) - 3;
            for (int k = 0; k < corners; ++k) {
                f.pts.push_back({cx + static_cast<int>(rng() % 9) - 4,
                                 cy + static_cast<int>(rng() % 3), 0, 0.0f});
            }
            f.Finish(0, 1);
        } else {
            const double spread = n % 3 == 0 ? 20000.0 : 120.0;
            const double cx = (unit(rng) - 0.5) * spread + 32, cy = (unit(rng) - 0.5) * spread + 32;
            const bool sliver = n % 2 == 0;
            for (int k = 0; k < corners; ++k) {
                // Clockwise round the centre on the screen (y down).
                const double a = (k + unit(rng) * 0.8) * 2 * M_PI / corners;
                const double r = 1 + unit(rng) * 40;
                const double y = cy + (sliver ? 0.4 * unit(rng) : r * std::sin(a));
                f.pts.push_back(
                    {static_cast<std::int32_t>(std::lround((cx + r * std::cos(a)) * one)),
                     static_cast<std::int32_t>(std::lround(y * one)), 0, 0.0f});
            }
            f.Finish(kPolySubpixel, 1);
            f.req.subpixelShift = kShift;
        }
        std::fill(px.begin(), px.end(), 0);
        Rasterize(px, f.req, nullptr, shift);
        const bool wrote = std::any_of(px.begin(), px.end(), [](std::uint8_t v) { return v != 0; });
        if (DrawsNoPixel(f.req, bounds)) {
            ++passedOver;
            ASSERT_FALSE(wrote) << c.name << " face " << n;
            const auto [low, high] = std::minmax_element(
                f.pts.begin(), f.pts.end(), [](const auto& a, const auto& b) { return a.y < b.y; });
            const bool inside = std::all_of(f.pts.begin(), f.pts.end(), [&](const auto& p) {
                return p.x > 0 && p.x < 64 * one && p.y > 0 && p.y < 64 * one;
            });
            onRows += inside && high->y - low->y >= one ? 1 : 0;
        }
        drew += wrote ? 1 : 0;
    }
    EXPECT_GT(passedOver, c.minPassedOver) << c.name;
    EXPECT_GT(onRows, c.minOnRows) << c.name;
    EXPECT_GT(drew, c.minDrew) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Faces, RasterNoPixel,
                         ::testing::Values(NoPixelCase{"sub-pixel", false, 8000, -1, 1000},
                                           NoPixelCase{"whole pixels", true, 3000, 1000, 3000}),
                         [](const auto& info) {
                             return std::string(info.param.wholePixels ? "WholePixels"
                                                                       : "SubPixel");
                         });

// Three triangles of a terrain mesh at the surface's left side: a sliver between the other two,
// turned over by its corners' rounding, is culled; its neighbours overlap across it, one of them
// reaching past the side. Cut at the side, that one's edge moved by its rounded new corner and
// left a dotted line of pixels between them; drawn uncut and clamped row by row, it does not.
TEST(RasterWatertight, ANeighbourReachingPastTheSideMeetsItsUncutNeighbour) {
    constexpr int kWidth = 160, kHeight = 100;
    std::vector<std::uint8_t> px(kWidth * kHeight);
    const std::int32_t corners[3][6] = {{19, 85, 4, 77, 125, 63},    // uncut
                                        {4, 77, -10, 79, 125, 63},   // the sliver, culled
                                        {94, 59, 125, 63, -10, 79}};  // past the side
    for (const auto& c : corners) {
        Face f;
        for (int k = 0; k < 3; ++k) f.pts.push_back({c[2 * k], c[2 * k + 1], 0, 0.0f});
        f.Finish(0, 1);
        SpanRasterState& s = theSpanState;
        s.rowPtr = px.data();
        s.pitch = kWidth;
        s.colour = 1;
        s.coverage = nullptr;
        s.blendTable = nullptr;
        RasterizeRequest(f.req, {0, 0, kWidth, kHeight}, {0, 0, kWidth, kHeight});
    }
    // Along the stretch the two share (x 10 to 110), every row between the upper triangle's top
    // and the lower one's bottom is drawn.
    for (int x = 10; x <= 110; ++x) {
        int top = -1, bottom = -1;
        for (int y = 0; y < kHeight; ++y)
            if (px[static_cast<std::size_t>(y * kWidth + x)] != 0) {
                if (top < 0) top = y;
                bottom = y;
            }
        ASSERT_GE(top, 0) << "column " << x;
        for (int y = top; y <= bottom; ++y)
            EXPECT_NE(px[static_cast<std::size_t>(y * kWidth + x)], 0) << x << ", " << y;
    }
}

// A palette with every table the polygon entry may use.
std::unique_ptr<GFXPalette> FullPalette() {
    auto p = std::make_unique<GFXPalette>();
    for (int i = 0; i < 256; ++i) {
        p->entries[i] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                         static_cast<std::uint8_t>(i * 7), 0};
    }
    std::vector<std::uint8_t> shade(std::size_t{1} << 16);
    for (std::size_t i = 0; i < shade.size(); ++i)
        shade[i] = static_cast<std::uint8_t>(i * 31 >> 8);
    EXPECT_EQ(p->SetShadeTable(5, 3, shade.data()), 1);
    std::vector<std::uint8_t> trans(4 * 65536);
    for (std::size_t i = 0; i < trans.size(); ++i)
        trans[i] = static_cast<std::uint8_t>(i * 13 >> 4);
    EXPECT_EQ(
        p->SetTranslucentTable(0, 4, 200, trans.data(), static_cast<std::uint32_t>(trans.size())),
        1);
    p->BuildColors16(kPixelFormat565);
    p->BuildBlend16(kPixelFormat565);
    p->BuildLightTables16(kPixelFormat565, 5, 2, GFXPaletteEntry{128, 128, 128, 0});
    return p;
}

TEST(RasterFuzz, WildPolygonsStayInsideTheSurface) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_UNDEFINED__)
    constexpr int kCount = 10000;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    constexpr int kCount = 10000;
#else
    constexpr int kCount = 100000;
#endif
#else
    constexpr int kCount = 100000;
#endif
    auto palette = FullPalette();
    GuardedSurface s8(640, 480, 8);
    GuardedSurface s16(640, 480, 16);
    s8.palette = s16.palette = palette.get();
    auto tex = GFXBitmap::Create(256, 256, 8);
    auto odd = GFXBitmap::Create(37, 19, 8);
    ASSERT_TRUE(tex && odd);
    for (int y = 0; y < 256; ++y) {
        for (int x = 0; x < 256; ++x)
            tex->Row(y)[x] = static_cast<std::uint8_t>(x ^ y);
    }
    for (int y = 0; y < 19; ++y) {
        for (int x = 0; x < 37; ++x)
            odd->Row(y)[x] = static_cast<std::uint8_t>(x + y);
    }
    GFXBitmap empty;  // no pixels at all
    CoverageList region;
    ASSERT_EQ(region.Allocate(0, 480, 4000), 1);

    std::mt19937 rng(777);
    const float oddValues[] = {0.0f,
                              -1.0f,
                              std::numeric_limits<float>::quiet_NaN(),
                              std::numeric_limits<float>::infinity(),
                              1e30f,
                              1e-30f};
    for (int n = 0; n < kCount; ++n) {
        GuardedSurface& s = (n % 8 == 7) ? s16 : s8;
        if (n % 500 == 0) region.Reset(0, 0, 639, 479);
        const bool useRegion = n % 3 == 0;
        s.spanRegion = useRegion ? &region : nullptr;
        s.flags = kSurfaceClipRect | (useRegion ? kSurfaceClipRegion : 0);
        s.clipRect = n % 5 == 0 ? GFXRect{-100, -100, 900, 900} : GFXRect{20, 10, 600, 470};
        if (n % 11 == 0) s.flags = 0;  // clipping off: the surface bounds still hold
        Face f;
        const int count = 3 + static_cast<int>(rng() % 18);
        // A box of random size somewhere in +-2000, so that most faces stay small enough to
        // keep the test quick while some span the whole surface.
        const double size = std::pow(2.0, (rng() % 1200) / 100.0);
        const double cx = static_cast<double>(static_cast<int>(rng() % 4000)) - 2000;
        const double cy = static_cast<double>(static_cast<int>(rng() % 4000)) - 2000;
        const int shift = (rng() % 4 == 0) ? static_cast<int>(rng() % 17) : 0;
        for (int i = 0; i < count; ++i) {
            const double x = cx + (static_cast<double>(rng() % 10000) / 10000.0 - 0.5) * size;
            const double y = cy + (static_cast<double>(rng() % 10000) / 10000.0 - 0.5) * size;
            GFXScreenPoint p{static_cast<std::int32_t>(x * (1 << shift)),
                             static_cast<std::int32_t>(y * (1 << shift)),
                             static_cast<std::int32_t>(rng()),
                             0.5f + static_cast<float>(rng() % 100) / 50.0f};
            if (rng() % 50 == 0) p.w = oddValues[rng() % 6];
            if (rng() % 200 == 0) p.x = static_cast<std::int32_t>(rng()) * (rng() % 2 ? 1 : -1);
            f.pts.push_back(p);
        }
        std::uint32_t flags = static_cast<std::uint32_t>(rng()) & 0xFFF;
        if (rng() % 4 == 0) flags |= kPolyCoverageTest;
        if (rng() % 4 == 0) flags |= kPolyOcclude;
        if (rng() % 64 == 0) flags |= kPolyOutline;
        f.Finish(flags, static_cast<std::uint32_t>(rng()));
        for (std::size_t i = 0; i < f.tex.size(); ++i) {
            f.tex[i] = {static_cast<float>(static_cast<int>(rng() % 4000) - 2000) / 500.0f,
                        static_cast<float>(static_cast<int>(rng() % 4000) - 2000) / 500.0f};
            if (rng() % 100 == 0) f.tex[i].u = oddValues[rng() % 6];
        }
        for (auto& v : f.verts) {
            v = {static_cast<std::int32_t>(rng()),         static_cast<std::int32_t>(rng() % 70000),
                 static_cast<std::int32_t>(rng() % 70000), static_cast<std::int32_t>(rng() % 70000),
                 static_cast<std::int32_t>(rng() % 70000), static_cast<std::int32_t>(rng() % 6)};
            if (rng() % 50 == 0) v.r = static_cast<std::int32_t>(rng());
        }
        f.req.subpixelShift = shift;
        const int pick = static_cast<int>(rng() % 10);
        f.req.texture = pick < 7 ? tex.get() : (pick < 9 ? odd.get() : &empty);
        test::Draw(s, f);
        if (n % 1000 == 0) {
            ASSERT_TRUE(s8.GuardIntact()) << n;
            ASSERT_TRUE(s16.GuardIntact()) << n;
        }
    }
    EXPECT_TRUE(s8.GuardIntact());
    EXPECT_TRUE(s16.GuardIntact());
}

TEST(RasterFuzz, RequestsOutsideTheLimitsDrawNothing) {
    GuardedSurface s(64, 64);
    Face f;
    for (int i = 0; i < 21; ++i) {
        const double a = -i * 2 * M_PI / 21;
        f.pts.push_back({32 + static_cast<std::int32_t>(20 * std::cos(a)),
                         32 + static_cast<std::int32_t>(20 * std::sin(a)), 0, 0});
    }
    f.Finish(0, 3);
    test::Draw(s, f);  // 21 points
    f.pts.resize(13);
    f.Finish(kPolySmooth, 3);
    test::Draw(s, f);  // 13 points with colours
    f.pts.resize(2);
    f.Finish(0, 3);
    test::Draw(s, f);  // 2 points
    for (std::uint8_t b : s.Picture())
        ASSERT_EQ(b, 0);
    f.pts.resize(12);
    f.pts = {{10, 10, 0, 0}, {50, 10, 0, 0}, {50, 50, 0, 0}};
    f.Finish(kPolyTextured, 3);
    f.req.texture = nullptr;  // textured without a texture
    test::Draw(s, f);
    for (std::uint8_t b : s.Picture())
        ASSERT_EQ(b, 0);
    EXPECT_TRUE(s.GuardIntact());
}

// Textured, smoothly shaded faces in whole pixels (the terrain's) take a path of their own
// through the polygon entry; the same faces flagged as sub-pixel with no fraction bits take the
// general one. Both must give the same picture, on a surface near the origin and on one too
// wide for the short path's 16.16 shortcut.
TEST(RasterKinds, TexturedSmoothFacesDrawAsTheGeneralPathDoes) {
    auto texture = GFXBitmap::Create(256, 256, 8);
    std::uint32_t seed = 5;
    for (int y = 0; y < 256; ++y) {
        for (int x = 0; x < 256; ++x) {
            seed = seed * 214013u + 2531011u;
            texture->Row(y)[x] = static_cast<std::uint8_t>(seed >> 16);
        }
    }
    std::vector<std::uint8_t> rows(std::size_t{1} << (5 + 2 + 8));
    for (std::uint8_t& b : rows) {
        seed = seed * 214013u + 2531011u;
        b = static_cast<std::uint8_t>(seed >> 16);
    }
    GFXPalette palette;
    ASSERT_EQ(palette.SetShadeTable(5, 2, rows.data()), 1);
    palette.shadeLevel = 1;
    struct Shape {
        const char* what;
        std::vector<GFXScreenPoint> pts;
    };
    const Shape shapes[] = {
        {"a general triangle", {{2, 1, 0, 1}, {60, 6, 0, 1}, {20, 44, 0, 1}}},
        {"a flat top", {{4, 4, 0, 1}, {50, 4, 0, 1}, {30, 40, 0, 1}}},
        {"a flat bottom", {{30, 3, 0, 1}, {55, 40, 0, 1}, {5, 40, 0, 1}}},
        {"a sliver two rows high", {{10, 10, 0, 1}, {40, 11, 0, 1}, {20, 12, 0, 1}}},
        {"one corner alone on its row", {{20, 20, 0, 1}, {30, 21, 0, 1}, {10, 21, 0, 1}}},
        {"all corners on one row", {{5, 30, 0, 1}, {40, 30, 0, 1}, {20, 30, 0, 1}}},
        {"reaching past every side", {{-30, -10, 0, 1}, {90, 20, 0, 1}, {10, 70, 0, 1}}},
        {"wholly off to the left", {{-40, 5, 0, 1}, {-5, 10, 0, 1}, {-20, 30, 0, 1}}},
        {"wholly below", {{5, 50, 0, 1}, {40, 60, 0, 1}, {10, 70, 0, 1}}},
        {"a quadrilateral", {{5, 5, 0, 1}, {60, 8, 0, 1}, {58, 40, 0, 1}, {8, 44, 0, 1}}},
        {"a pentagon",
         {{30, 2, 0, 1}, {62, 10, 0, 1}, {55, 40, 0, 1}, {20, 46, 0, 1}, {3, 20, 0, 1}}},
        {"a quadrilateral past both sides",
         {{-10, 5, 0, 1}, {70, 5, 0, 1}, {70, 40, 0, 1}, {-10, 40, 0, 1}}},
    };
    auto draw = [&](GuardedSurface& s, const Shape& shape, bool general) {
        Face f;
        f.pts = shape.pts;
        // Clockwise on the screen, as faces seen from the front run.
        std::int64_t area = 0;
        for (std::size_t i = 0; i < f.pts.size(); ++i) {
            const GFXScreenPoint& a = f.pts[i];
            const GFXScreenPoint& b = f.pts[(i + 1) % f.pts.size()];
            area += static_cast<std::int64_t>(a.x) * b.y - static_cast<std::int64_t>(b.x) * a.y;
        }
        if (area < 0) std::reverse(f.pts.begin(), f.pts.end());
        f.Finish(kPolyTextured | kPolySmooth | (general ? kPolySubpixel : 0), 0);
        for (std::size_t i = 0; i < f.pts.size(); ++i) {
            const auto k = static_cast<std::int32_t>(i);
            f.verts[i].r = 9000 + 17000 * k;
            f.verts[i].g = 60000 - 9000 * k;
            f.verts[i].b = 30000 + 5000 * (k % 2);
            f.tex[i] = {0.1f + 0.23f * static_cast<float>(k), 0.9f - 0.31f * static_cast<float>(k)};
        }
        f.req.texture = texture.get();
        f.req.subpixelShift = 0;
        test::Draw(s, f);
    };
    for (const std::int32_t width : {64, 30000}) {
        for (const Shape& shape : shapes) {
            GuardedSurface own(width, 48), general(width, 48);
            own.palette = &palette;
            general.palette = &palette;
            draw(own, shape, false);
            draw(general, shape, true);
            ASSERT_TRUE(own.GuardIntact()) << shape.what;
            ASSERT_EQ(own.Picture(), general.Picture()) << shape.what << ", width " << width;
        }
    }
}

}  // namespace
}  // namespace gfx
