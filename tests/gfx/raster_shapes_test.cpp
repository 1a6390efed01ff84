// Span-list shapes and the 2D entries: lines, ellipses, rectangles and bitmaps against a golden
// picture, ellipse symmetry, span fix-ups, and the software cursor.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "gfx/bitmap.h"
#include "gfx/palette.h"
#include "gfx/raster/coverage_list.h"
#include "gfx/raster/short_runs.h"
#include "gfx/raster/span_shapes.h"
#include "raster_test_support.h"

namespace gfx {
namespace {

using test::GuardedSurface;

std::vector<GFXSpanRecord> records(4096);

TEST(RasterShapes, EveryEllipseIsSymmetric) {
    std::vector<std::pair<int, int>> sizes;
    for (int w = 1; w <= 24; ++w) {
        for (int h = 1; h <= 24; ++h)
            sizes.emplace_back(w, h);
    }
    sizes.insert(sizes.end(), {{400, 300}, {300, 1}, {1, 300}, {639, 479}, {101, 37}});
    for (const auto& [w, h] : sizes) {
        const GFXRect r{10, 20, 10 + w - 1, 20 + h - 1};
        ASSERT_EQ(BuildEllipseSpans(records.data(), r), h);
        int drawnRows = 0;
        for (int i = 0; i < h; ++i) {
            const GFXSpanRecord& a = records[static_cast<std::size_t>(i)];
            const GFXSpanRecord& b = records[static_cast<std::size_t>(h - 1 - i)];
            ASSERT_EQ(a.flags & kSpanHidden, b.flags & kSpanHidden)
                << w << "x" << h << " row " << i;
            if ((a.flags & kSpanHidden) != 0) continue;
            ++drawnRows;
            ASSERT_EQ(a.x + (a.x + a.lastOffset), r.left + r.right)
                << w << "x" << h << " row " << i;
            ASSERT_EQ(a.x, b.x);
            ASSERT_EQ(a.lastOffset, b.lastOffset);
            ASSERT_GE(a.x, r.left);
        }
        // The middle row spans the whole width.
        if (h % 2 == 1) {
            EXPECT_EQ(records[static_cast<std::size_t>(h / 2)].lastOffset, w - 1) << w << "x" << h;
        }
        EXPECT_GT(drawnRows, 0) << w << "x" << h;
        ASSERT_EQ(BuildEllipseOutlineSpans(records.data(), r), h);
        for (int i = 0; i < h; ++i) {
            const GFXSpanRecord& left = records[static_cast<std::size_t>(i)];
            const GFXSpanRecord& right = records[static_cast<std::size_t>(h + i)];
            if ((right.flags & kSpanHidden) != 0) continue;
            ASSERT_EQ(left.x + right.x + right.lastOffset, r.left + r.right) << w << "x" << h;
        }
    }
    EXPECT_EQ(BuildEllipseSpans(records.data(), {5, 5, 4, 9}), 0);  // inverted
}

TEST(RasterShapes, LinesCoverOneRecordPerRowInBothDirections) {
    EXPECT_EQ(BuildLineSpans(records.data(), {3, 7}, {40, 7}), 1);
    EXPECT_EQ(records[0].x, 3);
    EXPECT_EQ(records[0].lastOffset, 37);
    ASSERT_EQ(BuildLineSpans(records.data(), {5, 0}, {5, 9}), 10);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(records[static_cast<std::size_t>(i)].x, 5);
        EXPECT_EQ(records[static_cast<std::size_t>(i)].lastOffset, 0);
    }
    // An upward line covers the same rows and pixels as the same line drawn downward.
    for (const auto& [a, b] :
         std::vector<std::pair<GFXPoint, GFXPoint>>{{{0, 0}, {37, 11}}, {{30, 2}, {1, 40}}}) {
        const int n = BuildLineSpans(records.data(), a, b);
        std::vector<GFXSpanRecord> down(records.begin(), records.begin() + n);
        ASSERT_EQ(BuildLineSpans(records.data(), b, a), n);
        int total = 0;
        for (int i = 0; i < n; ++i) {
            EXPECT_EQ(records[static_cast<std::size_t>(i)].x, down[static_cast<std::size_t>(i)].x);
            total += down[static_cast<std::size_t>(i)].lastOffset + 1;
        }
        EXPECT_EQ(total, std::max(std::abs(b.x - a.x) + 1, n));
    }
}

// Every slope in both directions: a shallow line's row runs end at the pixel nearest to the
// ideal line's crossing (halves rounded up) and cover each column once; a steep line's pixel
// sits nearest to the ideal line in every row.
TEST(RasterShapes, LinePixelsLieNearestTheIdealLineAtEverySlope) {
    const GFXPoint a{100, 10};
    for (int dy = 0; dy <= 60; ++dy) {
        for (int dx = -70; dx <= 70; ++dx) {
            const GFXPoint b{a.x + dx, a.y + dy};
            const int rows = BuildLineSpans(records.data(), a, b);
            ASSERT_EQ(rows, dy + 1);
            const int total = std::abs(dx) + 1;
            const int dir = dx < 0 ? -1 : 1;
            int covered = 0;
            for (int i = 0; i < rows; ++i) {
                const GFXSpanRecord& r = records[static_cast<std::size_t>(i)];
                if (total >= rows) {
                    const auto end = static_cast<int>(
                        std::floor(static_cast<double>(i + 1) * total / rows + 0.5));
                    const int first = dir > 0 ? r.x - a.x : a.x - (r.x + r.lastOffset);
                    ASSERT_EQ(first, covered) << dx << "," << dy << " row " << i;
                    covered += r.lastOffset + 1;
                    ASSERT_EQ(covered, end) << dx << "," << dy << " row " << i;
                } else {
                    const auto off = static_cast<int>(std::floor(
                        static_cast<double>(i) * (total - 1) / (rows - 1) + 0.5));
                    ASSERT_EQ(r.x, a.x + dir * off) << dx << "," << dy << " row " << i;
                    ASSERT_EQ(r.lastOffset, 0);
                }
            }
            if (total >= rows) {
                ASSERT_EQ(covered, total) << dx << "," << dy;
            }
        }
    }
}

// Whether a line from a to b written straight into a picture of kWidth by kHeight covers exactly
// the pixels of its records, and nothing else.
template <int kWidth, int kHeight>
bool DirectLineCoversItsRecordsPixels(GFXPoint a, GFXPoint b) {
    std::vector<std::uint8_t> direct(kWidth * kHeight), fromRecords(kWidth * kHeight);
    DrawLineFill8(direct.data(), kWidth, a, b, 9);
    const int rows = BuildLineSpans(records.data(), a, b);
    for (int i = 0; i < rows; ++i) {
        const GFXSpanRecord& r = records[static_cast<std::size_t>(i)];
        for (int k = 0; k <= r.lastOffset; ++k)
            fromRecords[static_cast<std::size_t>((std::min(a.y, b.y) + i) * kWidth + r.x + k)] = 9;
    }
    return direct == fromRecords;
}

// A line written straight into the picture covers exactly the pixels of its records, whichever
// end comes first, and nothing else.
TEST(RasterShapes, LinesWrittenDirectlyCoverTheirRecordsPixels) {
    const GFXPoint a{100, 65};
    for (int dy = -60; dy <= 60; dy += 3)
        for (int dx = -90; dx <= 90; dx += 7)
            ASSERT_TRUE((DirectLineCoversItsRecordsPixels<200, 130>(a, {a.x + dx, a.y + dy})))
                << "to " << dx << "," << dy;
}

// A run of every length up to well past the widest inline one, at every alignment of a 16-byte
// group: exactly its own bytes take the colour.
TEST(RasterShapes, FilledRunsCoverExactlyTheirOwnBytes) {
    std::vector<std::uint8_t> row(200);
    for (int offset = 0; offset < 16; ++offset) {
        for (int n = 0; n <= 150; ++n) {
            std::fill(row.begin(), row.end(), 1);
            FillRun(row.data() + 20 + offset, 9, n);
            for (int i = 0; i < static_cast<int>(row.size()); ++i) {
                const bool inside = i >= 20 + offset && i < 20 + offset + n;
                ASSERT_EQ(row[static_cast<std::size_t>(i)], inside ? 9 : 1)
                    << "run of " << n << " at " << offset << ", byte " << i;
            }
        }
    }
}

// Lines along a row or a column, and single points, take their own way into the picture: the
// same pixels as their records, at the picture's edges too, whichever end comes first.
TEST(RasterShapes, LinesAlongARowOrAColumnCoverTheirRecordsPixels) {
    const std::pair<GFXPoint, GFXPoint> lines[] = {
        {{3, 7}, {40, 7}},    {{40, 7}, {3, 7}},     {{0, 0}, {159, 0}},   {{159, 39}, {0, 39}},
        {{5, 0}, {5, 39}},    {{5, 39}, {5, 0}},     {{159, 3}, {159, 4}}, {{0, 20}, {0, 20}},
        {{80, 10}, {80, 10}}, {{10, 12}, {130, 12}}, {{17, 5}, {33, 5}},   {{2, 30}, {66, 30}},
    };
    for (const auto& [a, b] : lines)
        ASSERT_TRUE((DirectLineCoversItsRecordsPixels<160, 40>(a, b)))
            << a.x << "," << a.y << " to " << b.x << "," << b.y;
}

TEST(RasterShapes, SpansCutToAnEllipseMatchTheFilledEllipse) {
    // A full-width rectangle of rows cut to the ellipse gives the filled ellipse's spans.
    const GFXRect r{3, 4, 40, 30};
    std::vector<GFXSpanRecord> ellipse(64);
    const int rows = BuildEllipseSpans(ellipse.data(), r);
    GFXSpanShape shape;
    shape.first = records.data();
    shape.firstRow = r.top;
    for (int i = 0; i < rows; ++i) {
        records[static_cast<std::size_t>(i)] = {
            i == 0 ? 0u : kSpanNewRow,
            0,
            100,
            i + 1 < rows ? &records[static_cast<std::size_t>(i + 1)] : nullptr,
            0,
            0,
            0,
            {}};
    }
    ClipSpansToEllipse(shape, r);
    FixSpanRecords(shape);
    for (int i = 0; i < rows; ++i) {
        const GFXSpanRecord& a = records[static_cast<std::size_t>(i)];
        const GFXSpanRecord& b = ellipse[static_cast<std::size_t>(i)];
        ASSERT_EQ(a.flags & kSpanHidden, b.flags & kSpanHidden) << i;
        if ((a.flags & kSpanHidden) != 0) continue;
        EXPECT_EQ(a.x, b.x) << i;
        EXPECT_EQ(a.lastOffset, b.lastOffset) << i;
    }
}

TEST(RasterShapes, FixUpsTurnClippedRecordsIntoPlainOnes) {
    GFXSpanShape shape;
    GFXSpanRecord r[3];
    r[0] = {kSpanStartClipped | kSpanEndClipped, 10, 20, &r[1], 15, 25, 100, {}};
    r[1] = {kSpanEndClipped | kSpanNewRow, 10, 20, &r[2], 10, 18, 100, {}};
    r[2] = {kSpanHidden | kSpanStartClipped | kSpanNewRow, 10, 20, nullptr, 15, 25, 100, {}};
    shape.first = r;
    shape.sourceStep = 2;
    FixBitmapSpanRecords(shape);
    EXPECT_EQ(r[0].x, 15);
    EXPECT_EQ(r[0].lastOffset, 10);
    EXPECT_EQ(r[0].source, 110);
    EXPECT_EQ(r[1].x, 10);
    EXPECT_EQ(r[1].lastOffset, 8);
    EXPECT_EQ(r[2].x, 10);
    EXPECT_EQ(r[2].lastOffset, 20);
}

TEST(RasterShapes, CoverageClippingSplitsAndHides) {
    CoverageList list;
    ASSERT_EQ(list.Allocate(0, 4, 16), 1);
    list.rowList = {2, 0, 9, 20, 29, 1, 0, 99, 0, 1, 0, 99};
    BuildCoverageList(list);
    GFXSpanRecord r[8];
    for (int i = 0; i < 4; ++i) {
        r[i] = {i == 0 ? 0u : kSpanNewRow, 5, 19, i < 3 ? &r[i + 1] : nullptr, 0, 0, 0, {}};
    }
    GFXSpanShape shape;
    shape.first = r;
    shape.records = r;
    shape.capacity = 8;
    shape.firstRow = 0;
    shape.rowCount = 4;
    shape.spareCount = 3;
    shape.nextSpare = &r[7];
    ClipSpansToCoverage(shape, list);
    FixSpanRecords(shape);
    // Row 0 overlaps two intervals: two pieces.
    EXPECT_EQ(r[0].x, 5);
    EXPECT_EQ(r[0].lastOffset, 4);
    ASSERT_EQ(r[0].next, &r[7]);
    EXPECT_EQ(r[7].x, 20);
    EXPECT_EQ(r[7].x + r[7].lastOffset, 24);
    EXPECT_EQ(r[1].flags & kSpanHidden, 0u);  // wholly inside its interval
    EXPECT_EQ(r[1].lastOffset, 19);
    EXPECT_NE(r[2].flags & kSpanHidden, 0u);  // an empty row
}

// ---------------------------------------------------------------------------------------------
// The golden picture of the 2D entries.

std::unique_ptr<GFXPalette> GoldenPalette() {
    auto p = std::make_unique<GFXPalette>();
    std::vector<std::uint8_t> table(4 * 256 * 256);
    for (std::size_t i = 0; i < table.size(); ++i) {
        const std::size_t c = (i >> 8) & 255, d = i & 255;
        table[i] = static_cast<std::uint8_t>((c + d) / 2);
    }
    EXPECT_EQ(
        p->SetTranslucentTable(0, 1, 200, table.data(), static_cast<std::uint32_t>(table.size())),
        1);
    return p;
}

std::unique_ptr<GFXBitmap> Sprite() {
    auto b = GFXBitmap::Create(12, 8, 8);
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 12; ++x)
            b->Row(y)[x] = static_cast<std::uint8_t>((x + y) % 5 == 0 ? 0 : 40 + x * 8 + y);
    }
    return b;
}

void DrawScript(GuardedSurface& s, GFXPalette& pal) {
    const GFXDrawTable& t = *s.table;
    t.Clear(&s, 1);
    // Lines in all eight octants from one centre.
    const GFXPoint c{120, 120};
    const GFXPoint ends[] = {{220, 150}, {150, 220}, {90, 220}, {20, 150},
                             {20, 90},   {90, 20},   {150, 20}, {220, 90}};
    std::uint32_t colour = 10;
    for (const GFXPoint& e : ends)
        t.DrawSegment(&s, c, e, colour++);
    // Lines running off the surface.
    t.DrawSegment(&s, {-50, 300}, {700, 330}, 30);
    t.DrawSegment(&s, {630, -20}, {600, 500}, 31);
    // Ellipses from 1 x 1 up, outlines and filled, and a thin one.
    int x = 250;
    for (int size : {1, 2, 3, 5, 8, 13, 21, 34}) {
        t.FillEllipse(&s, {x, 10, x + size - 1, 10 + size - 1}, 50);
        t.DrawEllipse(&s, {x, 60, x + size - 1, 60 + size - 1}, 51);
        x += size + 4;
    }
    t.DrawEllipse(&s, {200, 150, 599, 449}, 52);
    t.FillEllipse(&s, {300, 250, 599, 250}, 53);
    t.FillEllipse(&s, {560, 400, 700, 520}, 54);  // off the corner
    // Rectangles.
    t.DrawRectangle(&s, {10, 300, 110, 360}, 60);
    t.FillRectangle(&s, {20, 310, 100, 350}, 61);
    t.DrawRectangle(&s, {10, 370, 110, 370}, 62);
    // Bitmaps in every drawing mode, plain, mirrored and scaled.
    auto sprite = Sprite();
    std::int32_t y = 400;
    for (std::uint32_t mode : {0u, 1u, 4u}) {
        sprite->flags = (sprite->flags & ~kBitmapModeMask) | mode;
        pal.translucentLevel = mode == 4 ? 1 : 0;
        for (std::uint32_t mirror = 0; mirror < 4; ++mirror) {
            t.DrawBitmap(&s, sprite.get(), {10 + 16 * static_cast<std::int32_t>(mirror), y},
                         mirror);
            t.DrawBitmapScaled(&s, sprite.get(), {80 + 30 * static_cast<std::int32_t>(mirror), y},
                               {25, 13}, mirror);
        }
        t.DrawBitmapPart(&s, sprite.get(), {2, 1, 9, 6}, {210, y}, 0);
        y += 22;
    }
    pal.translucentLevel = 0;
    t.DrawBitmapScaled(&s, sprite.get(), {600, 440}, {60, 50}, 0);  // cut by the corner
}

TEST(RasterShapes, PrimitivesMatchTheGoldenPicture) {
    auto pal = GoldenPalette();
    GuardedSurface s(640, 480);
    s.palette = pal.get();
    DrawScript(s, *pal);
    EXPECT_TRUE(s.GuardIntact());
    const std::vector<std::uint8_t> picture = s.Picture();
    const std::string path =
        std::string(ZEPHLON_SOURCE_DIR) + "/tests/golden/raster_primitives.pgm";
    const std::string header = "P5\n640 480\n255\n";
    const char* update = std::getenv("ZEPHLON_UPDATE_GOLDEN");
    if (update != nullptr && std::string(update) == "1") {
        std::ofstream out(path, std::ios::binary);
        out << header;
        out.write(reinterpret_cast<const char*>(picture.data()),
                  static_cast<std::streamsize>(picture.size()));
        GTEST_SKIP() << "golden picture rewritten";
    }
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in) << "missing " << path << " (run with ZEPHLON_UPDATE_GOLDEN=1)";
    const std::vector<char> raw((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
    const std::vector<std::uint8_t> file(raw.begin(), raw.end());
    ASSERT_EQ(file.size(), header.size() + picture.size());
    const bool same = std::equal(picture.begin(), picture.end(),
                                 file.begin() + static_cast<std::ptrdiff_t>(header.size()));
    EXPECT_TRUE(same);
    if (!same) {
        // Leave the picture beside the build for a look.
        std::ofstream out(std::string(ZEPHLON_BINARY_DIR) + "/raster_primitives.actual.pgm",
                          std::ios::binary);
        out << header;
        out.write(reinterpret_cast<const char*>(picture.data()),
                  static_cast<std::streamsize>(picture.size()));
    }
}

TEST(RasterShapes, StretchCopyRepeatsEachPixelTwice) {
    GuardedSurface s(16, 2);
    auto b = GFXBitmap::Create(4, 1, 8);
    for (int i = 0; i < 4; ++i)
        b->Row(0)[i] = static_cast<std::uint8_t>(10 + i);
    s.table->DrawBitmapScaled(&s, b.get(), {0, 0}, {8, 1}, 0);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(s.At(i, 0), 10 + i / 2) << i;
    EXPECT_EQ(s.At(8, 0), 0);
}

TEST(RasterShapes, SinglePixelFillIsEmptyAndPixelsRespectTheClip) {
    GuardedSurface s(32, 32);
    s.table->FillRectangle(&s, {5, 5, 5, 20}, 9);  // one pixel wide
    s.flags = 0;
    s.clipRect = {10, 10, 12, 12};
    s.table->FillRectangle(&s, {0, 0, 31, 31}, 7);  // the clip holds even with the flag off
    s.table->DrawPixel(&s, {40, 40}, 8);            // beyond the surface: never written
    s.table->DrawPixel(&s, {1, 1}, 8);              // the flag is off: drawn
    EXPECT_EQ(s.At(5, 10), 0);
    EXPECT_EQ(s.At(11, 11), 7);
    EXPECT_EQ(s.At(13, 13), 0);
    EXPECT_EQ(s.At(1, 1), 8);
    EXPECT_TRUE(s.GuardIntact());
}

TEST(RasterShapes, WildPrimitivesStayInsideTheSurface) {
    auto pal = GoldenPalette();
    GuardedSurface s(160, 120);
    s.palette = pal.get();
    auto sprite = Sprite();
    std::mt19937 rng(4242);
    auto coord = [&]() -> std::int32_t {
        switch (rng() % 6) {
            case 0:
                return static_cast<std::int32_t>(rng());  // anywhere in the 32-bit range
            case 1:
                return static_cast<std::int32_t>(rng() % 20000) - 10000;
            default:
                return static_cast<std::int32_t>(rng() % 240) - 40;
        }
    };
    for (int n = 0; n < 20000; ++n) {
        s.flags = (rng() % 3 == 0) ? 0 : kSurfaceClipRect;
        s.clipRect = {coord(), coord(), coord(), coord()};
        if (rng() % 2 == 0) s.clipRect = {5, 5, 150, 110};
        pal->translucentLevel = static_cast<std::int32_t>(rng() % 2);
        sprite->flags = (sprite->flags & ~kBitmapModeMask) | static_cast<std::uint32_t>(rng() % 6);
        const GFXDrawTable& t = (rng() % 2 == 0) ? theSoftwareDrawTable : theRegionDrawTable;
        const GFXRect r{coord(), coord(), coord(), coord()};
        const std::uint32_t c = static_cast<std::uint32_t>(rng());
        switch (rng() % 8) {
            case 0:
                t.DrawSegment(&s, {r.left, r.top}, {r.right, r.bottom}, c);
                break;
            case 1:
                t.DrawEllipse(&s, r, c);
                break;
            case 2:
                t.FillEllipse(&s, r, c);
                break;
            case 3:
                t.DrawRectangle(&s, r, c);
                break;
            case 4:
                t.FillRectangle(&s, r, c);
                break;
            case 5:
                t.DrawPixel(&s, {r.left, r.top}, c);
                break;
            case 6:
                t.DrawBitmap(&s, sprite.get(), {r.left, r.top}, c & 3);
                break;
            default:
                t.DrawBitmapScaled(&s, sprite.get(), {r.left, r.top},
                                   {static_cast<std::int32_t>(rng() % 400) - 20,
                                    static_cast<std::int32_t>(rng() % 400) - 20},
                                   c & 3);
                break;
        }
        if (n % 500 == 0) {
            ASSERT_TRUE(s.GuardIntact()) << n;
        }
    }
    EXPECT_TRUE(s.GuardIntact());
    // An ellipse taller than the span pool is refused whole.
    s.ClearInside(0);
    s.flags = kSurfaceClipRect;
    s.clipRect = {0, 0, 159, 119};
    theSoftwareDrawTable.FillEllipse(&s, {0, -5000, 159, 5000}, 3);
    for (std::uint8_t b : s.Picture())
        ASSERT_EQ(b, 0);
}

TEST(RasterCursor, DrawnAndRemovedLeavesTheFrameAsItWas) {
    GuardedSurface s(64, 48);
    for (int y = 0; y < 48; ++y) {
        for (int x = 0; x < 64; ++x)
            s.Origin()[y * s.RowBytes() + x] = static_cast<std::uint8_t>(x * 3 + y);
    }
    const std::vector<std::uint8_t> before = s.Picture();
    auto arrow = GFXBitmap::Create(11, 16, 8);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 11; ++x)
            arrow->Row(y)[x] = static_cast<std::uint8_t>(x <= y ? 250 : 0);
    }
    arrow->flags = (arrow->flags & ~kBitmapModeMask) | kBitmapTransparent;
    SetCursorSaveSize(11, 16);
    SetCursorBitmap(arrow.get(), {1, 1});
    for (const GFXPoint p : {GFXPoint{30, 20}, GFXPoint{0, 0}, GFXPoint{63, 0}, GFXPoint{0, 47},
                             GFXPoint{63, 47}, GFXPoint{-5, -5}, GFXPoint{70, 60}}) {
        SetCursorPosition(p);
        DrawCursor(&s);
        if (p.x >= 0 && p.x < 64 && p.y >= 0 && p.y < 48) {
            EXPECT_NE(s.Picture(), before) << p.x << "," << p.y;
        }
        RestoreUnderCursor(&s);
        EXPECT_EQ(s.Picture(), before) << p.x << "," << p.y;
        EXPECT_TRUE(s.GuardIntact());
    }
    // Put back onto a smaller surface than the one it was drawn on: only what fits is written.
    GuardedSurface small(8, 8);
    SetCursorPosition({5, 5});
    DrawCursor(&s);
    RestoreUnderCursor(&small);
    EXPECT_TRUE(small.GuardIntact());
    SetCursorBitmap(nullptr, {0, 0});
    FreeCursorSave();
}

}  // namespace
}  // namespace gfx
