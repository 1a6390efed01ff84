// Span rules of the rasterizer: pixel coverage of spans, edge presteps, clipping of polygons,
// the untextured fillers and the coverage-list stages.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "core/numeric.h"
#include "gfx/raster/coverage_list.h"
#include "gfx/raster/poly_clip.h"
#include "gfx/raster/poly_raster.h"
#include "gfx/raster/span_fillers.h"
#include "gfx/raster/span_state.h"
#include "raster_test_support.h"

namespace gfx {
namespace {

using test::Face;
using test::GuardedSurface;

struct alignas(16) Row {
    std::array<std::uint8_t, 64> px{};
};

// Runs the plain stage over one span of a 64-pixel row with FillSolid in colour 9.
Row PlainSpan(std::int32_t spanX, std::int32_t spanWidth) {
    static Row row;
    row.px.fill(0);
    SpanRasterState& s = theSpanState;
    s.rowPtr = row.px.data();
    s.colour = 9;
    s.clipLeft = 0;
    s.clipRight = 64;
    FillSolid(0);
    s.activeFill = s.selectedFill;
    SelectPlainSpans();
    s.spanX = spanX;
    s.spanWidth = spanWidth;
    s.clipFn();
    return row;
}

TEST(RasterSpan, PixelCentresDecideCoverage) {
    struct Case {
        double from, to;
        std::vector<int> drawn;
    };
    const Case cases[] = {
        {2.0, 5.0, {2, 3, 4}}, {2.5, 5.5, {3, 4, 5}}, {2.25, 2.75, {}},
        {3.0, 3.0, {}},        {0.0, 1.0, {0}},
    };
    for (const Case& c : cases) {
        const auto x = static_cast<std::int32_t>(c.from * 65536);
        const auto w = static_cast<std::int32_t>((c.to - c.from) * 65536);
        const Row r = PlainSpan(x, w);
        std::vector<int> got;
        for (int i = 0; i < 64; ++i) {
            if (r.px[static_cast<std::size_t>(i)] == 9) got.push_back(i);
        }
        EXPECT_EQ(got, c.drawn) << c.from << " to " << c.to;
    }
}

TEST(RasterSpan, FillSolidWritesExactlyItsRangeAtEveryAlignment) {
    for (int length : {1, 3, 4, 5}) {
        for (int start = 8; start < 12; ++start) {
            const Row r = PlainSpan(start << 16, length << 16);
            for (int i = 0; i < 64; ++i) {
                const bool inside = i >= start && i < start + length;
                ASSERT_EQ(r.px[static_cast<std::size_t>(i)], inside ? 9 : 0)
                    << "length " << length << " start " << start << " pixel " << i;
            }
        }
    }
}

// Records what the walker hands over, row by row.
struct Recorded {
    std::int32_t y, spanX, x0, x1;
};
std::vector<Recorded> recorded;
void Recorder(std::int32_t x0, std::int32_t x1) {
    recorded.push_back({theSpanState.spanY, theSpanState.spanX, x0, x1});
}

void RunFlat(Face& f) {
    static std::array<std::uint8_t, 256 * 256> sink{};
    SpanRasterState& s = theSpanState;
    recorded.clear();
    s.rowPtr = sink.data();
    s.pitch = 0;
    s.clipLeft = -1000;
    s.clipRight = 1000;
    s.coverage = nullptr;
    SelectPlainSpans();
    s.selectedFill = Recorder;
    RasterTriangle(f.req);
}

TEST(RasterSpan, EdgePrestepFromQuarterRow) {
    // Top at y = 10.25 in quarter pixels; the left edge falls half a pixel per row.
    Face f;
    f.pts = {{40, 41, 0, 0}, {80, 121, 0, 0}, {0, 121, 0, 0}};
    f.Finish(kPolySubpixel, 1);
    f.req.subpixelShift = 2;
    RunFlat(f);
    ASSERT_FALSE(recorded.empty());
    EXPECT_EQ(recorded.front().y, 11);
    // 10 - 0.5 x 0.75 pixels.
    EXPECT_EQ(recorded.front().spanX, 630784);
    EXPECT_EQ(recorded.back().y, 30);

    // A point exactly on row 10 starts there with no prestep: row 10 is the bare apex (no
    // width), row 11 lies one whole step further.
    f.pts = {{40, 40, 0, 0}, {80, 120, 0, 0}, {0, 120, 0, 0}};
    f.Finish(kPolySubpixel, 1);
    f.req.subpixelShift = 2;
    RunFlat(f);
    ASSERT_FALSE(recorded.empty());
    EXPECT_EQ(recorded.front().y, 11);
    EXPECT_EQ(recorded.front().spanX, (10 << 16) - 32768);
}

TEST(RasterSpan, OneInstructionConversionsAgreeWithTheSaturatingOne) {
    const double big = 2147483648.0;
    const double cases[] = {0.0,        -0.0,       0.999,     -0.999, 65535.5,
                            -65535.5,   big - 1.0,  big - 0.5, big,    -big,
                            -big - 0.5, -big - 1.0, 1e300,     -1e300, INFINITY,
                            -INFINITY,  NAN,        1.5e9,     -2.5e9};
    for (double v : cases) {
        EXPECT_EQ(TruncateSaturate(v), core::SaturateToInt32(v)) << v;
        if (std::isfinite(v) && !(std::abs(v) < 1e38)) continue;  // no float holds it
        const auto f = static_cast<float>(v);
        EXPECT_EQ(TruncateSaturate(f), core::SaturateToInt32(f)) << f;
    }
}

TEST(RasterSpan, FlatTopAndFlatBottomTriangles) {
    Face f;
    f.pts = {{0, 0, 0, 0}, {10, 0, 0, 0}, {5, 10, 0, 0}};  // flat top
    f.Finish(0, 1);
    RunFlat(f);
    ASSERT_EQ(recorded.size(), 10u);
    EXPECT_EQ(recorded[0].x0 >> 16, 0);
    EXPECT_EQ(recorded[0].x1 >> 16, 10);
    f.pts = {{5, 0, 0, 0}, {10, 10, 0, 0}, {0, 10, 0, 0}};  // flat bottom
    f.Finish(0, 1);
    RunFlat(f);
    ASSERT_EQ(recorded.size(), 9u);  // row 0 is a single point of zero width
    EXPECT_EQ(recorded.back().y, 9);
}

TEST(RasterClip, SquareAcrossTheLeftBound) {
    Face f;
    f.pts = {{-10, 0, 0, 0}, {10, 0, 0, 0}, {10, 10, 0, 0}, {-10, 10, 0, 0}};
    f.Finish(0, 1);
    const GFXPolyRequest& r = ClipPolygonX(f.req, {0, 0, 640, 480});
    ASSERT_EQ(r.count, 4);
    const std::int32_t want[4][2] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(r.points[i]->x, want[i][0]) << i;
        EXPECT_EQ(r.points[i]->y, want[i][1]) << i;
    }
}

TEST(RasterClip, EdgeCrossingBothBoundsGivesTwoCrossingsInWalkOrder) {
    Face f;
    // The edge from the last point to the first runs from beyond the high bound to before the
    // low one; the one from point 1 to point 2 the other way.
    f.pts = {{-10, 0, 0, 0}, {-10, 5, 0, 0}, {50, 10, 0, 0}, {50, 20, 0, 0}};
    f.Finish(0, 1);
    const GFXPolyRequest& r = ClipPolygonX(f.req, {0, 0, 40, 100});
    ASSERT_EQ(r.count, 4);
    EXPECT_EQ(r.points[0]->x, 40);  // high first (walking from point 3 to point 0)
    EXPECT_EQ(r.points[1]->x, 0);
    EXPECT_EQ(r.points[2]->x, 0);  // low first (point 1 to point 2)
    EXPECT_EQ(r.points[3]->x, 40);
    // Everything beyond one bound: nothing left.
    f.pts = {{50, 0, 0, 0}, {60, 0, 0, 0}, {60, 9, 0, 0}};
    f.Finish(0, 1);
    EXPECT_LT(ClipPolygonX(f.req, {0, 0, 40, 100}).count, 3);
}

// A request at the corner limit, cut once at every side: the x stage hands the y stage more
// corners than a request may have, and the y stage must still clip them.
TEST(RasterClip, FullRequestCutAtEverySideKeepsItsShape) {
    Face f;
    // Centre and radius at 8 sub-pixel bits: one corner lies past each side of 40 x 40.
    const double c = 5120, r = 5200;
    for (int i = 0; i < kPolyMaxPoints; ++i) {
        const double a = i * 2 * M_PI / kPolyMaxPoints;
        f.pts.push_back({static_cast<std::int32_t>(std::lround(c + r * std::cos(a))),
                         static_cast<std::int32_t>(std::lround(c + r * std::sin(a))), 0, 0});
    }
    f.Finish(kPolySubpixel, 9);
    f.req.subpixelShift = 8;
    const GFXClipBounds bounds{0, 0, 40 << 8, 40 << 8};
    const GFXPolyRequest& x = ClipPolygonX(f.req, bounds);
    EXPECT_EQ(x.count, kPolyMaxPoints + 2);
    const GFXPolyRequest& y = ClipPolygonY(x, bounds);
    ASSERT_EQ(y.count, kPolyMaxPoints + 4);
    for (int i = 0; i < y.count; ++i) {
        EXPECT_GE(y.points[i]->x, 0) << i;
        EXPECT_LE(y.points[i]->x, 40 << 8) << i;
        EXPECT_GE(y.points[i]->y, 0) << i;
        EXPECT_LE(y.points[i]->y, 40 << 8) << i;
    }
    GuardedSurface s(40, 40);
    test::Draw(s, f);
    EXPECT_EQ(s.At(20, 20), 9);
    EXPECT_EQ(s.At(20, 0), 9);
    EXPECT_EQ(s.At(0, 0), 0);
    EXPECT_TRUE(s.GuardIntact());
}

TEST(RasterPolygon, CounterClockwiseAndDepthFacesDrawNothing) {
    GuardedSurface s(64, 64);
    Face f;
    f.pts = {{5, 5, 0, 0}, {5, 40, 0, 0}, {40, 40, 0, 0}};  // counter-clockwise on the screen
    f.Finish(0, 7);
    // Turned away before any set-up: the triangle state is not even touched.
    theSpanState.isTriangle = false;
    test::Draw(s, f);
    EXPECT_FALSE(theSpanState.isTriangle);
    f.Finish(kPolySmooth, 7);
    test::Draw(s, f);
    f.pts = {{5, 5, 0, 0}, {40, 40, 0, 0}, {5, 40, 0, 0}};  // clockwise, but with depth
    f.Finish(kPolyDepth, 7);
    test::Draw(s, f);
    for (std::uint8_t b : s.Picture())
        ASSERT_EQ(b, 0);
    f.Finish(0, 7);  // the same face without depth draws
    test::Draw(s, f);
    EXPECT_EQ(s.At(10, 30), 7);
    EXPECT_TRUE(s.GuardIntact());
}

TEST(RasterFill, LitPairsShareOneLookupInTheAlignedMiddle) {
    alignas(16) static std::array<std::uint8_t, 64 * 256> shade{};
    for (int row = 0; row < 64; ++row) {
        for (int c = 0; c < 256; ++c)
            shade[static_cast<std::size_t>(row * 256 + c)] = static_cast<std::uint8_t>(row);
    }
    alignas(16) static std::array<std::uint8_t, 32> out{};
    out.fill(0xFF);
    SpanRasterState& s = theSpanState;
    s.rowPtr = out.data();
    s.shadeTable = shade.data();
    s.shadeMask = 0x3F00;
    s.colour = 0;
    s.spanX = 8 << 16;
    s.spanLight = 0;
    s.spanLightDX = 0x101;  // one row per pixel (after the step loses one unit, just under)
    FillLit(0);
    s.selectedFill(8 << 16, 16 << 16);
    for (int i = 0; i < 8; i += 2)
        EXPECT_EQ(out[8 + i], out[8 + i + 1]) << i;
    EXPECT_LT(out[8], out[10]);
    EXPECT_EQ(out[7], 0xFF);
    EXPECT_EQ(out[16], 0xFF);
}

TEST(RasterFill, ShadePastTheLastRowWrapsToRowZero) {
    static std::vector<std::uint8_t> shade(65536);
    for (int row = 0; row < 256; ++row) {
        for (int c = 0; c < 256; ++c)
            shade[static_cast<std::size_t>(row * 256 + c)] = static_cast<std::uint8_t>(row);
    }
    alignas(16) static std::array<std::uint8_t, 16> out{};
    SpanRasterState& s = theSpanState;
    s.rowPtr = out.data();
    s.shadeTable = shade.data();
    s.colour = 3;
    s.spanX = 0;
    s.spanShade = 0xFF0000 + 0xE666;  // 255.9
    s.spanShadeDX = 0x10000;
    FillShade(0);
    s.selectedFill(0, 3 << 16);
    EXPECT_EQ(out[0], 255);
    EXPECT_EQ(out[1], 0);
    EXPECT_EQ(out[2], 1);
}

// Coverage-list stages on one row of a 640-pixel band.
struct CoverageRow {
    CoverageList list;
    std::array<std::uint8_t, 640> px{};
    CoverageRow() {
        list.Allocate(0, 1, 8);
        list.Reset(0, 0, 639, 0);
    }
    std::vector<std::pair<int, int>> Intervals() const {
        std::vector<std::pair<int, int>> v;
        for (const CoverageNode* n = list.rowHeads[0]; n != nullptr; n = n->next)
            v.emplace_back(n->x0, n->x1);
        return v;
    }
    // Draws the span [from, to) through the occluding or masked stage.
    void Span(int from, int to, bool occlude) {
        SpanRasterState& s = theSpanState;
        s.rowPtr = px.data();
        s.colour = 1;
        s.clipLeft = 0;
        s.clipRight = 640;
        s.coverage = &list;
        s.freeNodes = list.freeList;
        static const std::vector<std::uint8_t> addOne = [] {
            std::vector<std::uint8_t> v(65536);
            for (int i = 0; i < 65536; ++i)
                v[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>((i & 255) + 1);
            return v;
        }();
        s.blendTable = addOne.data();
        FillBlend(0);
        if (occlude) {
            SelectOccludingSpans();
        } else {
            SelectMaskedSpans();
        }
        s.activeFill = s.selectedFill;
        s.spanY = 0;
        s.spanX = from << 16;
        s.spanWidth = (to - from) << 16;
        s.clipFn();
        list.freeList = s.freeNodes;
        s.coverage = nullptr;
    }
};

TEST(RasterCoverage, OccludingSplitsMergesAndMasks) {
    CoverageRow c;
    const int free0 = c.list.FreeCount();
    c.Span(100, 200, true);
    EXPECT_EQ(c.Intervals(), (std::vector<std::pair<int, int>>{{0, 99}, {200, 639}}));
    EXPECT_EQ(c.list.FreeCount(), free0 - 1);

    // Masked drawing over the split row draws both pieces and leaves the list alone.
    c.px.fill(0);
    c.Span(0, 640, false);
    EXPECT_EQ(c.px[50], 1);
    EXPECT_EQ(c.px[150], 0);
    EXPECT_EQ(c.px[300], 1);
    EXPECT_EQ(c.Intervals(), (std::vector<std::pair<int, int>>{{0, 99}, {200, 639}}));

    // Occluding the whole row draws the same pieces and frees both nodes.
    c.px.fill(0);
    c.Span(0, 640, true);
    EXPECT_EQ(c.px[50], 1);
    EXPECT_EQ(c.px[150], 0);
    EXPECT_EQ(c.px[639], 1);
    EXPECT_TRUE(c.Intervals().empty());
    EXPECT_EQ(c.list.FreeCount(), free0 + 1);
}

TEST(RasterCoverage, NoFreeNodeLeavesTheIntervalWhole) {
    CoverageRow c;
    c.list.freeList = nullptr;  // every spare node taken
    c.Span(100, 200, true);
    EXPECT_EQ(c.px[150], 1);
    EXPECT_EQ(c.Intervals(), (std::vector<std::pair<int, int>>{{0, 639}}));
}

TEST(RasterCoverage, PolygonOutsideTheBandDrawsNothingAndStopsAtItsEnd) {
    GuardedSurface s(64, 64);
    CoverageList list;
    list.Allocate(20, 20, 64);
    list.Reset(0, 20, 63, 39);
    s.spanRegion = &list;
    s.flags |= kSurfaceClipRegion;
    Face f;
    f.pts = {{0, 0, 0, 0}, {60, 0, 0, 0}, {60, 15, 0, 0}, {0, 15, 0, 0}};
    f.Finish(0, 5);
    test::Draw(s, f);
    for (std::uint8_t b : s.Picture())
        ASSERT_EQ(b, 0);
    f.pts = {{0, 30, 0, 0}, {60, 30, 0, 0}, {60, 60, 0, 0}, {0, 60, 0, 0}};
    f.Finish(0, 5);
    test::Draw(s, f);
    EXPECT_EQ(s.At(10, 30), 5);
    EXPECT_EQ(s.At(10, 39), 5);
    EXPECT_EQ(s.At(10, 40), 0);
    // With the coverage test flag a face wholly inside a covered area is dropped early.
    f.pts = {{0, 20, 0, 0}, {60, 20, 0, 0}, {60, 40, 0, 0}, {0, 40, 0, 0}};
    f.Finish(kPolyOcclude, 6);
    test::Draw(s, f);
    f.Finish(kPolyCoverageTest, 8);
    theSpanState.pixelsWritten = 0;
    test::Draw(s, f);
    EXPECT_EQ(theSpanState.pixelsWritten, 0u);
    EXPECT_EQ(s.At(10, 25), 6);
}

// The flat walker fills a solid face's rows itself; the same walk through a filler that is not
// the solid one goes row by row through the stage. Both must give the same pixels, count and end
// state, wherever the edges lie: inside, across either clip side, crossed, one row, none, and
// stepping past the 16.16 range.
std::vector<std::int32_t> theRanges;
void RecordRange(std::int32_t x0, std::int32_t x1) {
    theRanges.push_back(x0 >> 16);
    theRanges.push_back(x1 >> 16);
    for (std::int32_t x = x0 >> 16; x < x1 >> 16; ++x)
        theSpanState.rowPtr[x] = 9;
    theSpanState.pixelsWritten += static_cast<std::uint64_t>((x1 >> 16) - (x0 >> 16));
}

TEST(RasterSpan, FlatWalkOfASolidFaceFillsTheRowsTheStageWould) {
    struct Case {
        const char* what;
        double left, right, leftStep, rightStep;
        std::int32_t rows, clipLeft, clipRight;
    };
    const Case cases[] = {
        {"inside, narrowing", 10.5, 50.25, 0.75, -0.5, 20, 0, 64},
        {"across the left clip", -8.0, 20.0, 1.25, 0.0, 12, 4, 64},
        {"across the right clip", 30.0, 70.0, 0.0, 1.5, 12, 0, 60},
        {"wider than the clip", -10.0, 90.0, 0.0, 0.0, 3, 2, 62},
        {"edges crossing", 20.0, 30.0, 1.0, -1.0, 16, 0, 64},
        {"one row", 3.0, 40.0, 5.0, 5.0, 1, 0, 64},
        {"no row", 3.0, 40.0, 0.0, 0.0, 0, 0, 64},
        {"zero width", 12.0, 12.0, 0.0, 0.0, 4, 0, 64},
        {"a long row", 0.0, 200.0, 0.0, -1.0, 6, 0, 256},
        {"wrapping steps", 32767.0, 32767.5, 0.0, 1.0, 4, 0, 64},
    };
    for (const Case& c : cases) {
        struct Result {
            std::vector<std::uint8_t> px;
            std::uint64_t written;
            std::int32_t curY, leftX, rightX, spanX, spanWidth, spanY;
            std::ptrdiff_t rowOffset;
        };
        auto walk = [&c](bool solid) {
            Result r;
            r.px.assign(256 * 24, 0);
            SpanRasterState& s = theSpanState;
            s.rowPtr = r.px.data();
            s.pitch = 256;
            s.colour = 9;
            s.clipLeft = c.clipLeft;
            s.clipRight = c.clipRight;
            s.leftX = static_cast<std::int32_t>(c.left * 65536);
            s.rightX = static_cast<std::int32_t>(c.right * 65536);
            s.leftDX = static_cast<std::int32_t>(c.leftStep * 65536);
            s.rightDX = static_cast<std::int32_t>(c.rightStep * 65536);
            s.curY = 2;
            s.endY = 2 + c.rows;
            s.pixelsWritten = 0;
            s.spanX = s.spanWidth = s.spanY = -7;
            FillSolid(0);
            if (!solid) s.selectedFill = RecordRange;
            SelectPlainSpans();
            WalkerSetupFor(0, true)();
            s.walkFn();
            r.written = s.pixelsWritten;
            r.curY = s.curY;
            r.leftX = s.leftX;
            r.rightX = s.rightX;
            r.spanX = s.spanX;
            r.spanWidth = s.spanWidth;
            r.spanY = s.spanY;
            r.rowOffset = s.rowPtr - r.px.data();
            return r;
        };
        theRanges.clear();
        const Result solid = walk(true);
        EXPECT_TRUE(theRanges.empty()) << c.what;
        const Result rows = walk(false);
        EXPECT_EQ(solid.px, rows.px) << c.what;
        EXPECT_EQ(solid.written, rows.written) << c.what;
        EXPECT_EQ(solid.curY, rows.curY) << c.what;
        EXPECT_EQ(solid.leftX, rows.leftX) << c.what;
        EXPECT_EQ(solid.rightX, rows.rightX) << c.what;
        EXPECT_EQ(solid.rowOffset, rows.rowOffset) << c.what;
        if (c.rows > 0) {
            EXPECT_EQ(solid.spanX, rows.spanX) << c.what;
            EXPECT_EQ(solid.spanWidth, rows.spanWidth) << c.what;
            EXPECT_EQ(solid.spanY, rows.spanY) << c.what;
        }
    }
}

}  // namespace
}  // namespace gfx
