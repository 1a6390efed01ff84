// Fillers and walkers in isolation: textured and 16-bit fillers over a raw row, the hand-over
// of the walkers, and the flag words of the face submission functions.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <utility>
#include <vector>

#include "gfx/bitmap.h"
#include "gfx/palette.h"
#include "gfx/raster/coverage_list.h"
#include "gfx/raster/poly_raster.h"
#include "gfx/raster/span_fillers.h"
#include "raster_test_support.h"

namespace gfx {
namespace {

using test::Face;
using test::GuardedSurface;

struct alignas(16) Row8 {
    std::array<std::uint8_t, 64> px{};
};

// A texture whose texel (u, v) is u, except a few zero texels.
std::vector<std::uint8_t>& ColumnTexture() {
    static std::vector<std::uint8_t> t = [] {
        std::vector<std::uint8_t> v(65536);
        for (int i = 0; i < 65536; ++i)
            v[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i & 255);
        return v;
    }();
    return t;
}

void PrepareTexture(std::uint8_t* row, float u0, float du) {
    SpanRasterState& s = theSpanState;
    s.rowPtr = row;
    s.texels = ColumnTexture().data();
    s.texStride = 256;
    s.texWidth = s.texHeight = 256;
    s.spanX = 0;
    s.spanU = u0 * 65536.0f;
    s.spanV = 0;
    s.spanW = 1.0f;
    s.spanDUDX = du * 65536.0f;
    s.spanDVDX = 0;
    s.spanDWDX = 0;
    s.spanUStep = static_cast<std::int32_t>(du * 65536.0f);
    s.spanVStep = 0;
}

TEST(RasterTexturedFill, OnePixelSpansAndWrapPast255) {
    for (FillSetupFn setup : {SetupTexAffine, SetupTexPerspective}) {
        Row8 r;
        r.px.fill(0xEE);
        PrepareTexture(r.px.data(), 254.0f, 1.0f);
        setup(1);
        theSpanState.selectedFill(5 << 16, 6 << 16);  // one pixel: u = 259 wraps to 3
        EXPECT_EQ(r.px[5], 3);
        EXPECT_EQ(r.px[4], 0xEE);
        EXPECT_EQ(r.px[6], 0xEE);
        theSpanState.selectedFill(0, 4 << 16);  // 254, 255, 0, 1
        EXPECT_EQ(r.px[0], 254);
        EXPECT_EQ(r.px[1], 255);
        EXPECT_EQ(r.px[2], 0);
        EXPECT_EQ(r.px[3], 1);
    }
}

// The shaded affine filler picks each pixel's shade row from the shade's integer part, whether
// the shade is one along the span (a hazed face) or stepped; rows past 255 wrap.
TEST(RasterTexturedFill, ShadedAffineRowsFollowTheShade) {
    static std::vector<std::uint8_t> shades(65536);
    for (int i = 0; i < 65536; ++i)
        shades[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>((i >> 8) * 7 + (i & 255));
    struct Case {
        std::uint32_t shade;
        std::int32_t step;
    };
    for (const Case c : {Case{0x00230000u, 0}, Case{0x01FF8000u, 0}, Case{0x00108000u, 0x4000},
                         Case{0x00FE0000u, 0x18000}, Case{0x00400000u, -0x9000}}) {
        Row8 r;
        r.px.fill(0xEE);
        PrepareTexture(r.px.data(), 250.0f, 1.0f);
        theSpanState.shadeTable = shades.data();
        theSpanState.spanShade = static_cast<std::int32_t>(c.shade);
        theSpanState.spanShadeDX = c.step;
        SetupTexAffineShaded(1);
        theSpanState.selectedFill(2 << 16, 40 << 16);
        for (int x = 0; x < 64; ++x) {
            if (x < 2 || x >= 40) {
                EXPECT_EQ(r.px[static_cast<std::size_t>(x)], 0xEE) << x;
                continue;
            }
            const std::uint32_t shade =
                c.shade + static_cast<std::uint32_t>((static_cast<std::int64_t>(x) << 16) *
                                                         c.step >> 16);
            const std::uint32_t row = (shade >> 16) & 255u, texel = (250u + x) & 255u;
            EXPECT_EQ(r.px[static_cast<std::size_t>(x)], shades[(row << 8) | texel])
                << "shade " << std::hex << c.shade << " step " << c.step << " x " << std::dec << x;
        }
    }
}

TEST(RasterTexturedFill, ZeroTexelsLeaveTheDestination) {
    for (FillSetupFn setup : {SetupTexAffineTransparent, SetupTexPerspectiveTransparent,
                              SetupTexAffineBlend, SetupTexPerspectiveBlend}) {
        static std::vector<std::uint8_t> blend(65536);
        for (int i = 0; i < 65536; ++i)
            blend[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i >> 8);
        Row8 r;
        r.px.fill(0xEE);
        PrepareTexture(r.px.data(), 254.0f, 1.0f);
        theSpanState.blendTable = blend.data();
        setup(1);
        theSpanState.selectedFill(0, 4 << 16);  // texels 254, 255, 0, 1
        EXPECT_EQ(r.px[0], 254);
        EXPECT_EQ(r.px[2], 0xEE);
        EXPECT_EQ(r.px[3], 1);
    }
}

// Over a face at one depth the perspective fillers step exactly as an affine one: each pixel
// shows the texel its 16.16 coordinates reach, in every mode and wherever the span starts
// and ends (spans long enough to be filled four pixels at a time, and short ones).
TEST(RasterTexturedFill, PerspectiveAtOneDepthShowsTheTexelEachPixelReaches) {
    static std::vector<std::uint8_t> texels(65536), shades(65536);
    for (int v = 0; v < 256; ++v)
        for (int u = 0; u < 256; ++u)
            texels[static_cast<std::size_t>(v * 256 + u)] =
                (u + v) % 5 == 0 ? 0 : static_cast<std::uint8_t>((u * 3 + v * 5) | 1);
    for (int i = 0; i < 65536; ++i)
        shades[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>((i >> 8) * 11 + (i & 255));
    enum class Mode { kCopy, kOneShade, kKeyed };
    constexpr std::uint32_t kShadeRow = 9;
    for (const Mode mode : {Mode::kCopy, Mode::kOneShade, Mode::kKeyed}) {
        for (const auto& [first, end] : {std::pair{0, 64}, std::pair{1, 62}, std::pair{3, 10},
                                        std::pair{2, 33}, std::pair{5, 12}}) {
            Row8 r;
            r.px.fill(0xEE);
            SpanRasterState& s = theSpanState;
            PrepareTexture(r.px.data(), 0.0f, 0.0f);
            s.texels = texels.data();
            s.shadeTable = shades.data();
            s.spanShade = static_cast<std::int32_t>(kShadeRow << 16);
            s.spanShadeDX = 0;
            s.spanU = 250.5f * 65536.0f;  // runs past 255 and wraps
            s.spanV = 3.25f * 65536.0f;
            s.spanDUDX = 1.5f * 65536.0f;
            s.spanDVDX = -0.75f * 65536.0f;  // runs below 0 and wraps
            switch (mode) {
                case Mode::kCopy: SetupTexPerspective(1); break;
                case Mode::kOneShade: SetupTexPerspectiveShaded(1); break;
                case Mode::kKeyed: SetupTexPerspectiveTransparent(1); break;
            }
            s.selectedFill(first << 16, end << 16);
            for (int x = 0; x < 64; ++x) {
                const auto at = static_cast<std::size_t>(x);
                if (x < first || x >= end) {
                    EXPECT_EQ(r.px[at], 0xEE) << x;
                    continue;
                }
                const auto u = static_cast<std::uint32_t>(static_cast<std::int32_t>(
                    (250.5 + 1.5 * x) * 65536.0));
                const auto v = static_cast<std::uint32_t>(static_cast<std::int32_t>(
                    (3.25 - 0.75 * x) * 65536.0));
                const std::uint8_t t = texels[((v >> 8) & 0xFF00u) | ((u >> 16) & 0xFFu)];
                std::uint8_t want = t;
                if (mode == Mode::kOneShade) want = shades[(kShadeRow << 8) | t];
                if (mode == Mode::kKeyed && t == 0) want = 0xEE;
                EXPECT_EQ(r.px[at], want)
                    << "mode " << static_cast<int>(mode) << " span " << first << ".." << end
                    << " x " << x;
            }
        }
    }
}

TEST(RasterTexturedFill, PerspectiveRunsRestartOnTheExactTexel) {
    // 25 pixels from an address with (address & 3) = 1: runs of 23 and 2. A steep depth change
    // makes the linear steps inside a run differ from the exact division, so pixel 23 of the
    // span shows whether a new run started there.
    Row8 r;
    PrepareTexture(r.px.data(), 0.0f, 0.0f);
    SpanRasterState& s = theSpanState;
    s.spanU = 0;
    s.spanW = 1.0f;
    s.spanDWDX = 0.05f;
    s.spanDUDX = 4.0f * 65536.0f;  // U = u x w grows 4 per pixel
    SetupTexPerspective(1);
    s.spanX = 1 << 16;
    s.selectedFill(1 << 16, 26 << 16);
    for (int x : {1, 24}) {
        const double p = x - 1;
        const int want = static_cast<int>(4.0 * p / (1.0 + 0.05 * p)) & 255;
        EXPECT_EQ(r.px[static_cast<std::size_t>(x)], want) << x;
    }
}

TEST(RasterFill16, KeyedTexelsAndSolidWords) {
    std::array<std::uint32_t, 256> words{};
    for (int i = 0; i < 256; ++i)
        words[static_cast<std::size_t>(i)] = 0x1000u + static_cast<std::uint32_t>(i);
    static std::vector<std::uint8_t> tex(65536, 0);
    tex[1] = 5;
    tex[2] = 5;  // texels 0, 5, 5, 0 along u
    alignas(16) std::array<std::uint16_t, 16> row{};
    row.fill(0xBEEF);
    SpanRasterState& s = theSpanState;
    s.rowPtr = reinterpret_cast<std::uint8_t*>(row.data());
    s.texels = tex.data();
    s.texStride = 256;
    s.texWidth = s.texHeight = 256;
    s.colourWords = words.data();
    s.spanX = 0;
    s.spanU = 0;
    s.spanV = 0;
    s.spanDUDX = 65536.0f;
    s.spanDVDX = 0;
    s.spanUStep = 65536;
    s.spanVStep = 0;
    FillTexturedKey16(1);
    s.selectedFill(0, 4 << 16);
    EXPECT_EQ(row[0], 0xBEEF);
    EXPECT_EQ(row[1], 0x1005);
    EXPECT_EQ(row[2], 0x1005);
    EXPECT_EQ(row[3], 0xBEEF);
    s.colour = 7;
    FillSolid16(0);
    s.selectedFill(5 << 16, 8 << 16);
    EXPECT_EQ(row[4], 0xBEEF);
    EXPECT_EQ(row[5], 0x1007);
    EXPECT_EQ(row[7], 0x1007);
    EXPECT_EQ(row[8], 0xBEEF);
}

TEST(RasterFill16, GeneralPolygonsTakeTheirChannelStepsFromEachRange) {
    // Channel rows: level L of entry c gives L in the red bits.
    static std::vector<std::uint32_t> red(256 * 256), zero(256 * 256, 0);
    for (int l = 0; l < 256; ++l) {
        for (int c = 0; c < 256; ++c)
            red[static_cast<std::size_t>(l * 256 + c)] = static_cast<std::uint32_t>(l) << 8;
    }
    alignas(16) std::array<std::uint16_t, 8> row{};
    SpanRasterState& s = theSpanState;
    s.rowPtr = reinterpret_cast<std::uint8_t*>(row.data());
    s.redTable = red.data();
    s.greenTable = zero.data();
    s.blueTable = zero.data();
    s.channelMaxLevel = 255;
    s.colour = 0;
    s.spanX = 0;
    s.spanR = 10 << 16;
    s.spanG = s.spanB = 0;
    s.spanRDX = 1 << 16;  // the triangle's step, fixed at set-up
    s.spanGDX = s.spanBDX = 0;
    FillRGB16(1);
    s.spanRDX = 5 << 16;  // ignored for a triangle
    s.selectedFill(0, 2 << 16);
    EXPECT_EQ(row[1] >> 8, 11);
    FillRGB16(0);  // a general polygon: the current range's step
    s.selectedFill(0, 2 << 16);
    EXPECT_EQ(row[1] >> 8, 15);
}

// A texture smaller than 256 x 256 on a 16-bit surface repeats at its own size, and no texel
// outside the bitmap is read.
TEST(RasterFill16, SmallTexturesWrapAtTheirOwnSize) {
    GFXPalette pal;
    for (int i = 0; i < 256; ++i)
        pal.entries[i] = {static_cast<std::uint8_t>(i), 0, static_cast<std::uint8_t>(255 - i), 0};
    pal.BuildColors16(kPixelFormat565);
    auto tex = GFXBitmap::Create(4, 4, 8);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x)
            tex->Row(y)[x] = static_cast<std::uint8_t>(1 + x + 4 * y);
    }
    for (const std::uint32_t flags : {kPolyTextured, kPolyTextured | kPolyTransparent}) {
        GuardedSurface s(16, 16, 16);
        s.palette = &pal;
        Face f;
        f.pts = {{0, 0, 0, 1}, {16, 0, 0, 1}, {16, 16, 0, 1}, {0, 16, 0, 1}};
        f.Finish(flags, 0);
        const float e = 16.0f / 256.0f;  // one texel per pixel
        f.tex = {{0, 0}, {e, 0}, {e, e}, {0, e}};
        f.req.texture = tex.get();
        test::Draw(s, f);
        int bad = 0;
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x)
                bad += s.At16(x, y) != (pal.colors16[1 + x % 4 + 4 * (y % 4)] & 0xFFFF);
        }
        EXPECT_EQ(bad, 0) << flags;
        EXPECT_TRUE(s.GuardIntact());
    }
}

TEST(RasterFill16, PolygonsOnA16BitSurface) {
    GFXPalette pal;
    for (int i = 0; i < 256; ++i)
        pal.entries[i] = {static_cast<std::uint8_t>(i), 0, static_cast<std::uint8_t>(255 - i), 0};
    pal.BuildColors16(kPixelFormat565);
    pal.BuildLightTables16(kPixelFormat565, 4, 0, GFXPaletteEntry{});
    GuardedSurface s(32, 32, 16);
    s.palette = &pal;
    Face f;
    f.pts = {{0, 0, 0, 0}, {16, 0, 0, 0}, {16, 16, 0, 0}, {0, 16, 0, 0}};
    f.Finish(0, 200);  // no 16-bit flag: the surface decides
    test::Draw(s, f);
    EXPECT_EQ(s.At16(5, 5), pal.colors16[200] & 0xFFFF);
    // Face-lit at full intensity: the brightest row of each channel.
    f.pts = {{16, 16, 0, 0}, {32, 16, 0, 0}, {32, 32, 0, 0}, {16, 32, 0, 0}};
    f.Finish(kPolyFaceShade, 200);
    f.verts[0].r = f.verts[0].g = f.verts[0].b = 65535;
    auto tex = GFXBitmap::Create(256, 256, 8);
    for (int y = 0; y < 256; ++y)
        std::memset(tex->Row(y), 200, 256);
    f.Finish(kPolyFaceShade | kPolyTextured, 0);
    f.verts[0].r = f.verts[0].g = f.verts[0].b = 65535;
    f.req.texture = tex.get();
    test::Draw(s, f);
    const std::size_t top = 15 * 256 + 200;
    EXPECT_EQ(s.At16(20, 20),
              (pal.light16Red[top] | pal.light16Green[top] | pal.light16Blue[top]) & 0xFFFF);
    EXPECT_TRUE(s.GuardIntact());
}

TEST(RasterFill, FullIntensityUsesTheLastRowOfTheRamp) {
    GFXPalette pal;
    std::vector<std::uint8_t> rows(32 * 2 * 256);
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i] = static_cast<std::uint8_t>(i >> 8);     // row number
    ASSERT_EQ(pal.SetShadeTable(5, 1, rows.data()), 1);  // two levels of 32 rows
    GuardedSurface s(32, 32);
    s.palette = &pal;
    Face f;
    f.pts = {{0, 0, 0, 0}, {32, 0, 0, 0}, {32, 32, 0, 0}, {0, 32, 0, 0}};
    f.Finish(kPolySmooth, 0);
    for (auto& v : f.verts)
        v.r = v.g = v.b = 65536;
    test::Draw(s, f);
    EXPECT_EQ(s.At(16, 16), 31);
    for (auto& v : f.verts)
        v.r = v.g = v.b = 0;
    test::Draw(s, f);
    EXPECT_EQ(s.At(16, 16), 0);
}

// Walker hand-over, observed through a recording filler.
struct Seen {
    std::int32_t y, shade;
    const std::uint8_t* lightRow;
};
std::vector<Seen> seen;
void Watch(std::int32_t, std::int32_t) {
    seen.push_back({theSpanState.spanY, theSpanState.spanShade, theSpanState.spanLightRow});
}

TEST(RasterWalker, TexturedTrianglesUseTheMeanOfTheEdgeLights) {
    static std::array<std::uint8_t, 1 << 16> table{};
    SpanRasterState& s = theSpanState;
    s.shadeTable = table.data();
    s.shadeMask = 0x3F00;
    s.selectedFill = Watch;
    SelectPlainSpans();
    s.clipLeft = -100;
    s.clipRight = 100;
    s.pitch = 0;
    s.rowPtr = table.data();
    s.curY = 0;
    theWalkerSetupTable[2]();  // Textured
    s.leftX = 0;
    s.rightX = 10 << 16;
    s.leftDX = s.rightDX = 0;
    s.leftLight = 0x1000;
    s.rightLight = 0x1300;
    s.leftLightDY = s.rightLightDY = 0;
    s.endY = 1;
    seen.clear();
    s.walkFn();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].lightRow - table.data(), 0x1100);
}

TEST(RasterWalker, SecondTrapezoidContinuesTheLeftEdge) {
    // The right edge ends first (at row 10); the left edge carries its shade on into the
    // second band without restarting.
    Face f;
    f.pts = {{0, 0, 0, 0}, {40, 10, 0, 0}, {0, 20, 0, 0}};
    f.Finish(kPolySmooth, 0);
    f.verts[0].shade = 0;
    f.verts[1].shade = 0;
    f.verts[2].shade = 200 << 16;
    SpanRasterState& s = theSpanState;
    ComputeTriangleGradients(f.req);
    s.selectedFill = Watch;
    SelectPlainSpans();
    s.clipLeft = -100;
    s.clipRight = 100;
    s.rowPtr = nullptr;
    s.pitch = 0;
    seen.clear();
    static std::array<std::uint8_t, 64> sink{};
    s.rowPtr = sink.data();
    RasterTriangle(f.req);
    ASSERT_GE(seen.size(), 15u);
    for (std::size_t i = 1; i < seen.size(); ++i) {
        EXPECT_EQ(seen[i].shade - seen[i - 1].shade, 10 << 16) << "row " << seen[i].y;
    }
}

// The submission functions: the flag word and colour a request reaches the polygon entry with.
GFXPolyRequest lastRequest;
void CapturePolygon(GFXSurface*, GFXPolyRequest* q) {
    lastRequest = *q;
}

TEST(RasterSubmit, FlagWordsOfTheFaceKinds) {
    GuardedSurface s(8, 8);
    GFXDrawTable table = theSoftwareDrawTable;
    table.DrawPolygon = CapturePolygon;
    s.table = &table;
    GFXDrawTarget target(&s);
    target.flags = 0x100;
    const GFXScreenPoint p[3] = {};
    const GFXScreenPoint* pp[3] = {&p[0], &p[1], &p[2]};
    const GFXTexCoord t[3] = {};
    const GFXTexCoord* tp[3] = {&t[0], &t[1], &t[2]};
    const GFXColourTriple c[3] = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}};
    const GFXColourTriple* cp[3] = {&c[0], &c[1], &c[2]};
    struct Case {
        std::uint32_t textureFlags, want;
        void (*draw)(GFXDrawTarget&, const GFXFaceMaterial&, GFXPointList, GFXColourList,
                     GFXTexCoordList);
    };
    const Case cases[] = {
        {0, 0x100 | kPolyTextured | kPolyFaceShade, DrawTriangleTexturedFlat},
        {0, 0x100 | kPolyTextured | kPolyPerspective | kPolySmooth, DrawTrianglePerspectiveSmooth},
        {1, 0x100 | kPolyTextured | kPolySmooth | kPolyTransparent, DrawTriangleTexturedSmooth},
        {2, 0x100 | kPolyTextured | kPolyPerspective | kPolyFaceShade | kPolyTranslucent,
         DrawTrianglePerspectiveFlat},
    };
    for (const Case& k : cases) {
        target.vertexRecords[0].blendLevel = 0;
        k.draw(target, GFXFaceMaterial{9, nullptr, k.textureFlags}, pp, cp, tp);
        EXPECT_EQ(lastRequest.flags, k.want);
        EXPECT_EQ(lastRequest.count, 3);
        EXPECT_EQ(target.vertexRecords[0].blendLevel, (k.textureFlags & 2) != 0 ? 1 : 0);
        EXPECT_EQ(target.vertexRecords[0].r, 1);
    }
    target.vertexRecords[1].r = 0;
    DrawQuadFlatShaded(target, GFXFaceMaterial{9, nullptr, 0}, pp, cp);  // only the first triple
    EXPECT_EQ(target.vertexRecords[1].r, 0);
    EXPECT_EQ(lastRequest.flags, 0x100u | kPolyFaceShade);
    EXPECT_EQ(lastRequest.colour, 9u);
}

// A translucent bitmap on a palette one step short of its last level draws nothing, through
// both tables and both bitmap entries, also while the palette's level is 0.
TEST(RasterRegion, TranslucentBitmapsHideOneStepBeforeTheLastLevel) {
    GFXPalette pal;
    pal.translucentLevel = 0;
    pal.translucentLast = 1;
    auto b = GFXBitmap::Create(4, 4, 8);
    for (int y = 0; y < 4; ++y)
        std::memset(b->Row(y), 77, 4);
    b->flags = (b->flags & ~kBitmapModeMask) | 4u;
    CoverageList region;
    ASSERT_EQ(region.Allocate(0, 8, 32), 1);
    region.Reset(0, 0, 15, 7);
    for (const GFXDrawTable* table : {&theSoftwareDrawTable, &theRegionDrawTable}) {
        for (const bool scaled : {false, true}) {
            GuardedSurface s(16, 8);
            s.table = table;
            s.palette = &pal;
            s.spanRegion = &region;
            s.flags |= kSurfaceClipRegion;
            if (scaled) {
                table->DrawBitmapScaled(&s, b.get(), {2, 2}, {6, 5}, 0);
            } else {
                table->DrawBitmap(&s, b.get(), {2, 2}, 0);
            }
            EXPECT_EQ(s.At(3, 3), 0) << (table == &theRegionDrawTable) << scaled;
            EXPECT_TRUE(s.GuardIntact());
        }
    }
}

TEST(RasterRegion, LinesAndPixelsHonourTheSpanRegion) {
    GuardedSurface s(32, 8);
    s.table = &theRegionDrawTable;
    CoverageList region;
    ASSERT_EQ(region.Allocate(0, 8, 32), 1);
    region.rowList.clear();
    for (int y = 0; y < 8; ++y)
        region.rowList.insert(region.rowList.end(), {2, 0, 9, 20, 31});
    BuildCoverageList(region);
    s.spanRegion = &region;
    s.flags |= kSurfaceClipRegion;
    s.table->DrawSegment(&s, {0, 3}, {31, 3}, 4);
    s.table->DrawPixel(&s, {15, 5}, 4);
    s.table->DrawPixel(&s, {25, 5}, 4);
    EXPECT_EQ(s.At(5, 3), 4);
    EXPECT_EQ(s.At(15, 3), 0);
    EXPECT_EQ(s.At(25, 3), 4);
    EXPECT_EQ(s.At(15, 5), 0);
    EXPECT_EQ(s.At(25, 5), 4);
    // A bitmap across the gap keeps its columns on both sides, also mirrored.
    auto b = GFXBitmap::Create(30, 2, 8);
    for (int x = 0; x < 30; ++x)
        b->Row(0)[x] = b->Row(1)[x] = static_cast<std::uint8_t>(100 + x);
    s.table->DrawBitmap(&s, b.get(), {1, 6}, 0);
    EXPECT_EQ(s.At(1, 6), 100);
    EXPECT_EQ(s.At(9, 7), 108);
    EXPECT_EQ(s.At(12, 6), 0);
    EXPECT_EQ(s.At(20, 7), 119);
    s.table->FillRectangle(&s, {0, 4, 31, 5}, 6);  // rows through the region as well
    EXPECT_EQ(s.At(0, 4), 6);
    EXPECT_EQ(s.At(15, 4), 0);
    EXPECT_EQ(s.At(31, 4), 6);
    // Scaled: the region and the rectangle tables agree wherever the region is open.
    GuardedSurface plain(32, 8);
    for (std::uint32_t m = 0; m < 4; ++m) {
        s.ClearInside(0);
        plain.ClearInside(0);
        s.table->DrawBitmapScaled(&s, b.get(), {-3, -1}, {37, 9}, m);
        plain.table->DrawBitmapScaled(&plain, b.get(), {-3, -1}, {37, 9}, m);
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 32; ++x) {
                const bool open = x < 10 || x >= 20;
                ASSERT_EQ(s.At(x, y), open ? plain.At(x, y) : 0)
                    << "mirror " << m << " at " << x << "," << y;
            }
        }
    }
    s.ClearInside(0);
    s.table->DrawBitmap(&s, b.get(), {1, 0}, kMirrorX);
    EXPECT_EQ(s.At(1, 0), 129);
    EXPECT_EQ(s.At(20, 1), 110);
    EXPECT_EQ(s.At(15, 0), 0);
    EXPECT_TRUE(s.GuardIntact());
}

}  // namespace
}  // namespace gfx
