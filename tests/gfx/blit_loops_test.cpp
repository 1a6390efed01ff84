#include "gfx/raster/blit_loops.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/numeric.h"
#include "gfx/bitmap_draw.h"
#include "gfx/draw_table.h"
#include "gfx/mem_surface.h"
#include "gfx/raster/span_fillers.h"
#include "gfxbase_support.h"

namespace {

using Buffer = std::vector<std::uint8_t>;

TEST(BlitLoops, ThreePixelRowsAtEveryAlignmentWriteExactlyThreePixels) {
    const std::uint8_t src[3] = {1, 0, 3};
    std::uint8_t blend[256 * 256];
    for (int s = 0; s < 256; ++s)
        for (int d = 0; d < 256; ++d)
            blend[s * 256 + d] = static_cast<std::uint8_t>(s + d + 1);
    std::uint32_t colors[256];
    for (int i = 0; i < 256; ++i)
        colors[i] = 0xAB000000u | static_cast<std::uint32_t>(i * 257);
    for (int align = 0; align < 4; ++align) {
        struct Case {
            const char* name;
            std::vector<std::uint8_t> want;
            std::function<void(std::uint8_t*)> run;
        };
        const std::vector<Case> cases = {
            {"copy", {1, 0, 3}, [&](std::uint8_t* d) { gfx::BlitCopy(d, src, 3, 1, 0, 0, 0); }},
            {"key", {1, 0x77, 3}, [&](std::uint8_t* d) { gfx::BlitKey(d, src, 3, 1, 0, 0, 0); }},
            {"blend",
             {0x79, 0x78, 0x7B},
             [&](std::uint8_t* d) { gfx::BlitBlend(d, src, 3, 1, 0, 0, 0, blend); }},
            {"mirror",
             {3, 0, 1},
             [&](std::uint8_t* d) { gfx::BlitCopy(d, src + 2, 3, 1, 0, 0, gfx::kBlitMirror); }},
        };
        for (const auto& c : cases) {
            std::uint8_t buf[16];
            std::memset(buf, 0x77, sizeof buf);
            c.run(buf + align);
            for (int i = 0; i < 16; ++i) {
                const int k = i - align;
                const std::uint8_t want = (k >= 0 && k < 3) ? c.want[k] : 0x77;
                EXPECT_EQ(buf[i], want) << c.name << " align " << align << " byte " << i;
            }
        }
        // 16-bit: three pixels of two bytes, low 16 bits of the colour word.
        std::uint8_t buf16[24];
        std::memset(buf16, 0x77, sizeof buf16);
        gfx::BlitKey16(buf16 + align * 2, src, 3, 1, 0, 0, 0, colors);
        for (int i = 0; i < 24; ++i) {
            const int px = i / 2 - align;
            std::uint8_t want = 0x77;
            if (px == 0)
                want = 0x01;  // colour 1 is 0x0101
            else if (px == 2)
                want = 0x03;  // colour 3 is 0x0303
            EXPECT_EQ(buf16[i], want) << "key16 align " << align << " byte " << i;
        }
    }
}

TEST(BlitLoops, KeyLeavesEveryZeroUntouchedInsideWideGroups) {
    core::CrtRandom rnd(7);
    Buffer src(37 * 5), dst(41 * 5), ref;
    for (auto& p : src)
        p = (rnd.Next() & 3) ? static_cast<std::uint8_t>(rnd.Next()) : 0;
    for (auto& p : dst)
        p = static_cast<std::uint8_t>(rnd.Next());
    ref = dst;
    gfx::BlitKey(dst.data() + 1, src.data(), 35, 5, 37 - 35, 41 - 35, 0);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 35; ++x) {
            const std::uint8_t s = src[y * 37 + x];
            if (s != 0) ref[y * 41 + 1 + x] = s;
        }
    EXPECT_EQ(dst, ref);
}

// Rows of every width from 1 to 200 pixels (the short-row, group-tail and solid-block paths),
// keyed and copied, at two source offsets, from a source half transparent and from one solid but
// for a rare transparent pixel (whole blocks without one, and blocks with one): each must equal
// the pixel-by-pixel result and leave the bytes beside the rectangle alone.
TEST(BlitLoops, KeyAndCopyMatchThePixelRuleAtEveryWidth) {
    core::CrtRandom rnd(11);
    constexpr int kRows = 3, kSrcStride = 210, kDstStride = 220;
    // Every register width the loops can take on this processor.
    for (const gfx::BlitPath path :
         {gfx::BlitPath::kMasked, gfx::BlitPath::kWide, gfx::BlitPath::kNarrow}) {
        gfx::LimitBlitPath(path);
        for (const std::uint32_t keyOneIn : {2u, 97u}) {
            Buffer src(kRows * kSrcStride);
            for (auto& p : src)
                p = (rnd.Next() % keyOneIn) != 0 ? static_cast<std::uint8_t>(rnd.Next() | 1) : 0;
            for (int keyed = 0; keyed < 2; ++keyed) {
                for (int offset = 0; offset < 2; ++offset) {
                    for (int w = 1; w <= 200; ++w) {
                        Buffer dst(kRows * kDstStride);
                        for (auto& p : dst)
                            p = static_cast<std::uint8_t>(rnd.Next());
                        Buffer ref = dst;
                        const std::uint8_t* from = src.data() + offset;
                        for (int y = 0; y < kRows; ++y)
                            for (int x = 0; x < w; ++x) {
                                const std::uint8_t s = from[y * kSrcStride + x];
                                if (keyed == 0 || s != 0) ref[y * kDstStride + 3 + x] = s;
                            }
                        if (keyed != 0) {
                            gfx::BlitKey(dst.data() + 3, from, w, kRows, kSrcStride - w,
                                         kDstStride - w, 0);
                        } else {
                            gfx::BlitCopy(dst.data() + 3, from, w, kRows, kSrcStride - w,
                                          kDstStride - w, 0);
                        }
                        ASSERT_EQ(dst, ref) << (keyed != 0 ? "key" : "copy") << " width " << w
                                            << " offset " << offset << " one in " << keyOneIn
                                            << " path " << static_cast<int>(path);
                    }
                }
            }
        }
    }
    gfx::LimitBlitPath(gfx::BlitPath::kMasked);
}

// Wide rows at every place across a cache line, and rectangles whose rows follow each other in
// both the source and the destination (the loops may take those as one long row): the pixel rule
// holds and the bytes before and after the rectangle stay as they were.
TEST(BlitLoops, WideRowsMatchThePixelRuleAtEveryLineOffset) {
    core::CrtRandom rnd(13);
    struct Case {
        int width, rows, srcStride, dstStride;
    };
    const Case cases[] = {{64, 1, 64, 64},    {65, 3, 65, 65},    {127, 2, 130, 191},
                          {200, 4, 200, 200}, {640, 3, 640, 640}, {640, 2, 640, 704}};
    for (const Case& c : cases) {
        Buffer src(static_cast<std::size_t>(c.rows) * c.srcStride);
        for (auto& p : src)
            p = (rnd.Next() % 5) != 0 ? static_cast<std::uint8_t>(rnd.Next() | 1) : 0;
        for (int keyed = 0; keyed < 2; ++keyed) {
            for (int offset = 0; offset < 64; ++offset) {
                Buffer dst(static_cast<std::size_t>(c.rows) * c.dstStride + 192);
                for (auto& p : dst)
                    p = static_cast<std::uint8_t>(rnd.Next());
                // The destination at `offset` bytes past a 64-byte boundary.
                std::uint8_t* base = dst.data();
                base += (64 - reinterpret_cast<std::uintptr_t>(base) % 64) % 64 + offset;
                const auto at = static_cast<std::size_t>(base - dst.data());
                Buffer ref = dst;
                for (int y = 0; y < c.rows; ++y)
                    for (int x = 0; x < c.width; ++x) {
                        const std::uint8_t s = src[static_cast<std::size_t>(y * c.srcStride + x)];
                        if (keyed == 0 || s != 0)
                            ref[at + static_cast<std::size_t>(y * c.dstStride + x)] = s;
                    }
                if (keyed != 0)
                    gfx::BlitKey(base, src.data(), c.width, c.rows, c.srcStride - c.width,
                                 c.dstStride - c.width, 0);
                else
                    gfx::BlitCopy(base, src.data(), c.width, c.rows, c.srcStride - c.width,
                                  c.dstStride - c.width, 0);
                ASSERT_EQ(dst, ref) << (keyed != 0 ? "key" : "copy") << " width " << c.width
                                    << " rows " << c.rows << " offset " << offset;
            }
        }
    }
}

// Blended rows (through a table whose every entry differs, so a wrong source or destination
// byte shows) and mirrored copies and blends, at every width from 1 to 40 (the groups and the
// pixels after them): each equals the pixel rule, rows stepping by their advances, and leaves
// the bytes beside the rectangle alone.
TEST(BlitLoops, BlendAndMirrorMatchThePixelRuleAtEveryWidth) {
    core::CrtRandom rnd(5);
    Buffer blend(256 * 256);
    for (std::size_t i = 0; i < blend.size(); ++i)
        blend[i] = static_cast<std::uint8_t>((i * 2654435761u) >> 24);
    constexpr int kRows = 3, kSrcStride = 48, kDstStride = 52;
    Buffer src(kRows * kSrcStride);
    for (auto& p : src)
        p = static_cast<std::uint8_t>(rnd.Next());
    struct Case {
        const char* name;
        bool mirror, blended;
    };
    for (const Case c : {Case{"blend", false, true}, Case{"mirror", true, false},
                         Case{"mirrored blend", true, true}}) {
        for (int w = 1; w <= 40; ++w) {
            Buffer dst(kRows * kDstStride);
            for (auto& p : dst)
                p = static_cast<std::uint8_t>(rnd.Next());
            Buffer ref = dst;
            for (int y = 0; y < kRows; ++y)
                for (int x = 0; x < w; ++x) {
                    const std::uint8_t s = src[y * kSrcStride + 1 + (c.mirror ? w - 1 - x : x)];
                    std::uint8_t& d = ref[y * kDstStride + 3 + x];
                    d = c.blended ? blend[s * 256 + d] : s;
                }
            // Mirrored, the source is the row's last pixel and walks left, then on by its advance.
            const std::uint8_t* from = src.data() + 1 + (c.mirror ? w - 1 : 0);
            const std::int32_t srcAdvance = c.mirror ? kSrcStride + w : kSrcStride - w;
            const std::uint32_t flags = c.mirror ? gfx::kBlitMirror : 0;
            if (c.blended)
                gfx::BlitBlend(dst.data() + 3, from, w, kRows, srcAdvance, kDstStride - w, flags,
                               blend.data());
            else
                gfx::BlitCopy(dst.data() + 3, from, w, kRows, srcAdvance, kDstStride - w, flags);
            ASSERT_EQ(dst, ref) << c.name << " width " << w;
        }
    }
}

TEST(BlitLoops, RectFillsWriteExactlyTheirWidthAtEveryWidth) {
    // Up to past the 64-byte runs stored without a library call.
    constexpr int kRows = 2, kPitch = 80;
    for (int w = 0; w <= 70; ++w) {
        Buffer dst(kRows * kPitch, 0xEE), ref = dst;
        for (int y = 0; y < kRows; ++y)
            std::fill_n(ref.begin() + y * kPitch + 5, w, std::uint8_t{0x42});
        gfx::FillRect8(dst.data() + 5, kRows, w, kPitch, 0x42);
        ASSERT_EQ(dst, ref) << "width " << w;
    }
}

TEST(BlitLoops, StretchRepeatsOrSkipsSourcePixels) {
    const std::uint8_t row[4] = {10, 20, 30, 40};
    struct Case {
        int d;
        std::vector<std::uint8_t> want;
    };
    for (const Case& c :
         {Case{8, {10, 10, 20, 20, 30, 30, 40, 40}}, Case{2, {10, 30}}, Case{3, {10, 20, 30}}}) {
        std::vector<std::uint8_t> out(c.d, 0);
        gfx::GFXStretchArgs a;
        a.src = row;
        a.srcStride = 4;
        a.srcWidth = 4;
        a.srcHeight = 1;
        a.dst = out.data();
        a.drawnWidth = c.d;
        a.drawnHeight = 1;
        a.fullWidth = c.d;
        a.fullHeight = 1;
        gfx::StretchCopy(a);
        EXPECT_EQ(out, c.want) << c.d;
    }
}

TEST(BlitLoops, SpanCopiesSkipHiddenRecordsButKeepTheirRows) {
    // A 4 x 3 source; three rows of spans, the middle one hidden.
    const std::uint8_t src[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    gfx::GFXSpanRecord r[3];
    r[0] = {0, 1, 2, &r[1], 0, 0, 1, {}};
    r[1] = {gfx::kSpanNewRow | gfx::kSpanHidden, 0, 3, &r[2], 0, 0, 0, {}};
    r[2] = {gfx::kSpanNewRow, 0, 1, nullptr, 0, 0, 2, {}};
    gfx::GFXSpanShape shape;
    shape.first = &r[0];
    shape.sourceStep = 1;
    std::uint8_t dst[3 * 8] = {};
    gfx::SpanBlitCopy(shape, dst, 8, src, 4);
    const std::uint8_t want[24] = {0, 2, 3, 4, 0,  0,  0, 0, 0, 0, 0, 0,
                                   0, 0, 0, 0, 11, 12, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(dst, want, sizeof want), 0);
}

TEST(BlitLoops, ScaledSpanCopiesStepTheSourceInBothDirections) {
    // A 4 x 2 source drawn twice as wide and twice as tall through a four-row span list.
    const std::uint8_t src[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    gfx::GFXSpanRecord r[4];
    for (int i = 0; i < 4; ++i) {
        r[i] = {i ? gfx::kSpanNewRow : 0u, 0, 7, i < 3 ? &r[i + 1] : nullptr, 0, 0, 0, {}};
    }
    gfx::GFXSpanShape shape;
    shape.first = &r[0];
    gfx::GFXSpanStretchArgs a;
    a.src = src;
    a.srcStride = 4;
    a.srcWidth = 4;
    a.fullWidth = 8;
    a.srcHeight = 2;
    a.fullHeight = 4;
    std::uint8_t dst[4 * 8] = {};
    gfx::SpanStretchCopy(shape, dst, 8, a);
    const std::uint8_t row0[8] = {1, 1, 2, 2, 3, 3, 4, 4};
    EXPECT_EQ(std::memcmp(dst, row0, 8), 0);
    EXPECT_EQ(std::memcmp(dst + 8, row0, 8), 0);  // the second row repeats the first
    EXPECT_EQ(dst[24], 5);                        // the fourth row reads source row 1
    // Leftwards: the second source row read from column 3 down to 0.
    shape.first = &r[2];
    r[2].flags = 0;
    r[2].source = 3 << 16;
    a.dir = -1;
    a.src = src + 4;
    std::uint8_t left[8] = {};
    r[2].next = nullptr;
    gfx::SpanStretchCopy(shape, left, 8, a);
    const std::uint8_t want[8] = {8, 8, 7, 7, 6, 6, 5, 5};
    EXPECT_EQ(std::memcmp(left, want, 8), 0);
}

TEST(BitmapDraw, SixteenBitSurfacesShowTheColourWords) {
    gfx::GFXPalette pal;
    pal.entries[1] = {255, 0, 0, 0};
    pal.entries[2] = {0, 0, 255, 0};
    pal.BuildColors16(gfx::kPixelFormat565);
    auto bmp = gfx::GFXBitmap::Create(3, 1, 8);
    const std::uint8_t px[3] = {1, 0, 2};
    std::memcpy(bmp->pixels, px, 3);
    auto surf = gfx::GFXMemSurface::Create(5, 2, 16);
    surf->SetPalette(&pal, 0, 256);
    for (std::uint32_t mode : {0u, gfx::kBitmapTransparent}) {
        bmp->flags = (bmp->flags & ~gfx::kBitmapModeMask) | mode;
        std::memset(surf->GetBitmap()->pixels, 0x11, surf->GetBitmap()->size);
        gfx::SoftDrawBitmap(surf.get(), bmp.get(), {1, 1}, gfx::kMirrorX);
        auto at = [&](int x) {
            std::uint16_t v;
            std::memcpy(&v, surf->GetBitmap()->Row(1) + 2 * x, 2);
            return v;
        };
        EXPECT_EQ(at(0), 0x1111);
        EXPECT_EQ(at(1), 0x001F);  // mirrored: index 2 first
        EXPECT_EQ(at(2), mode == 0 ? 0x0000 : 0x1111);
        EXPECT_EQ(at(3), 0xF800);
        EXPECT_EQ(at(4), 0x1111);
    }
}

// Bitmap drawing onto a memory surface, against a pixel-by-pixel model, at every edge.
struct DrawCase {
    int x, y;
    std::uint32_t mirror;
    std::uint32_t mode;
    bool clipFlag;
};

TEST(BitmapDraw, PartsAreClippedAtEveryEdgeLikeThePixelModel) {
    const int sw = 7, sh = 5;
    auto bmp = gfx::GFXBitmap::Create(sw, sh, 8);
    for (int y = 0; y < sh; ++y)
        for (int x = 0; x < sw; ++x)
            bmp->Row(y)[x] = static_cast<std::uint8_t>((x + y) % 3 ? 10 * y + x + 1 : 0);
    auto surf = gfx::GFXMemSurface::Create(20, 12, 8);
    const gfx::GFXRect clip{2, 1, 15, 9};
    std::vector<DrawCase> cases;
    for (int x : {-9, -3, 0, 5, 12, 17, 25})
        for (int y : {-6, -2, 0, 4, 9, 14})
            for (std::uint32_t m = 0; m < 4; ++m)
                for (std::uint32_t mode : {0u, gfx::kBitmapTransparent})
                    for (bool clipFlag : {false, true})
                        cases.push_back({x, y, m, mode, clipFlag});
    for (const DrawCase& c : cases) {
        bmp->flags = (bmp->flags & ~gfx::kBitmapModeMask) | c.mode;
        surf->flags = c.clipFlag ? gfx::kSurfaceClipRect : 0;
        surf->clipRect = clip;
        gfx::GFXBitmap* pic = surf->GetBitmap();
        std::memset(pic->pixels, 0xCC, pic->size);
        gfx::SoftDrawBitmap(surf.get(), bmp.get(), {c.x, c.y}, c.mirror);
        for (int y = 0; y < 12; ++y) {
            for (int x = 0; x < 20; ++x) {
                std::uint8_t want = 0xCC;
                const int u = x - c.x, v = y - c.y;
                const bool inClip = !c.clipFlag || (x >= clip.left && x <= clip.right &&
                                                    y >= clip.top && y <= clip.bottom);
                if (u >= 0 && u < sw && v >= 0 && v < sh && inClip) {
                    const int su = (c.mirror & 1) ? sw - 1 - u : u;
                    const int sv = (c.mirror & 2) ? sh - 1 - v : v;
                    const std::uint8_t s = bmp->Row(sv)[su];
                    if (s != 0 || c.mode == 0) want = s;
                }
                ASSERT_EQ(pic->Row(y)[x], want)
                    << "at " << c.x << "," << c.y << " mirror " << c.mirror << " mode " << c.mode
                    << " clip " << c.clipFlag << " pixel " << x << "," << y;
            }
        }
        EXPECT_EQ(surf->drawnRect, (gfx::GFXRect{c.x, c.y, c.x + sw - 1, c.y + sh - 1}));
    }
}

TEST(BitmapDraw, ScaledDrawsClipToTheSameImageAsUnclipped) {
    const int sw = 6, sh = 4;
    auto bmp = gfx::GFXBitmap::Create(sw, sh, 8);
    for (int i = 0; i < bmp->size; ++i)
        bmp->pixels[i] = static_cast<std::uint8_t>(i + 1);
    auto big = gfx::GFXMemSurface::Create(64, 64, 8);
    auto small = gfx::GFXMemSurface::Create(14, 11, 8);
    for (std::uint32_t mirror = 0; mirror < 4; ++mirror) {
        for (gfx::GFXSize size : {gfx::GFXSize{13, 9}, gfx::GFXSize{4, 3}, gfx::GFXSize{17, 10}}) {
            for (int at : {-5, 0, 3, 8}) {
                // The reference: drawn whole at (20, 20) of a large surface.
                std::memset(big->GetBitmap()->pixels, 0, big->GetBitmap()->size);
                gfx::SoftDrawBitmapScaled(big.get(), bmp.get(), {20, 20}, size, mirror);
                std::memset(small->GetBitmap()->pixels, 0, small->GetBitmap()->size);
                gfx::SoftDrawBitmapScaled(small.get(), bmp.get(), {at, at - 1}, size, mirror);
                for (int y = 0; y < 11; ++y)
                    for (int x = 0; x < 14; ++x) {
                        const int u = x - at, v = y - (at - 1);
                        const std::uint8_t want = (u >= 0 && u < size.w && v >= 0 && v < size.h)
                                                      ? big->GetBitmap()->Row(20 + v)[20 + u]
                                                      : 0;
                        ASSERT_EQ(small->GetBitmap()->Row(y)[x], want)
                            << "mirror " << mirror << " size " << size.w << "x" << size.h << " at "
                            << at << " pixel " << x << "," << y;
                    }
            }
        }
    }
    // Mirroring in x reverses the scaled row.
    std::memset(big->GetBitmap()->pixels, 0, big->GetBitmap()->size);
    gfx::SoftDrawBitmapScaled(big.get(), bmp.get(), {0, 0}, {12, 4}, 1);
    EXPECT_EQ(big->GetBitmap()->Row(0)[0], 6);
    EXPECT_EQ(big->GetBitmap()->Row(0)[1], 6);
    EXPECT_EQ(big->GetBitmap()->Row(0)[11], 1);
}

TEST(BitmapDraw, TranslucentModesFollowThePaletteLevel) {
    gfx::GFXPalette pal;
    std::vector<std::uint8_t> table(2 * 2 * 256);
    for (std::size_t i = 0; i < table.size(); ++i)
        table[i] = static_cast<std::uint8_t>(100 + i / 256);
    ASSERT_EQ(
        pal.SetTranslucentTable(20, 2, 4, table.data(), static_cast<std::uint32_t>(table.size())),
        1);
    auto bmp = gfx::GFXBitmap::Create(4, 1, 8);
    const std::uint8_t px[4] = {20, 21, 0, 9};
    std::memcpy(bmp->pixels, px, 4);
    bmp->flags |= gfx::kBitmapTranslucent;
    auto surf = gfx::GFXMemSurface::Create(4, 1, 8);
    surf->SetPalette(&pal, 0, 256);
    auto draw = [&] {
        std::memset(surf->GetBitmap()->pixels, 50, 4);
        gfx::SoftDrawBitmap(surf.get(), bmp.get(), {0, 0}, 0);
        return std::vector<std::uint8_t>(surf->GetBitmap()->pixels, surf->GetBitmap()->pixels + 4);
    };
    pal.translucentLevel = 0;  // drawn as a transparent bitmap
    EXPECT_EQ(draw(), (std::vector<std::uint8_t>{20, 21, 50, 9}));
    pal.translucentLevel = 2;  // second level: rows 2 and 3 of the table
    EXPECT_EQ(draw(), (std::vector<std::uint8_t>{102, 103, 50, 9}));
    pal.translucentLevel = 3;  // last - level = 1: nothing at all
    EXPECT_EQ(draw(), (std::vector<std::uint8_t>{50, 50, 50, 50}));
}

}  // namespace
