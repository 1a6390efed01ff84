#include "gfx/surface.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "gfx/bitmap_draw.h"
#include "gfx/mem_surface.h"
#include "gfx/sub_surface.h"
#include "gfxbase_support.h"

namespace {

using gfx::GFXPoint;
using gfx::GFXRect;

TEST(SurfaceClip, IntersectRectNeedsMoreThanOnePixelEachWay) {
    struct Case {
        GFXRect a, b;
        int want;
    };
    for (const Case& c : {Case{{0, 0, 10, 10}, {5, 5, 20, 20}, 1},
                          Case{{0, 0, 10, 10}, {10, 0, 20, 10}, 0},  // one column
                          Case{{0, 0, 10, 10}, {0, 10, 10, 20}, 0},  // one row
                          Case{{0, 0, 10, 10}, {11, 11, 20, 20}, 0}}) {
        GFXRect r = c.a;
        EXPECT_EQ(gfx::IntersectRect(&r, c.b), c.want);
    }
}

TEST(SurfaceClip, ClipLineAtTheEdges) {
    const GFXRect c{0, 0, 99, 49};
    struct Case {
        GFXPoint p0, p1;
        int want;
        GFXPoint q0, q1;
    };
    const Case cases[] = {
        {{99, -10}, {99, 60}, 1, {99, 0}, {99, 49}},   // on the right edge: drawn
        {{100, -10}, {100, 60}, 0, {}, {}},            // one beyond: rejected
        {{-50, 25}, {150, 25}, 1, {0, 25}, {99, 25}},  // through both sides
        {{150, 25}, {-50, 25}, 1, {99, 25}, {0, 25}},  // order kept
        {{-10, -10}, {20, 20}, 1, {0, 0}, {20, 20}},   // diagonal into the corner
        {{10, 10}, {20, 20}, 1, {10, 10}, {20, 20}},   // inside: unchanged
        // Anti-diagonal: the 16.16 steps truncate the ratio and floor the product.
        {{-100, 200}, {200, -100}, 1, {51, 49}, {99, 1}},
        {{-2000000000, 5}, {2000000000, 5}, 1, {0, 5}, {99, 5}},  // far away, no overflow
    };
    for (const Case& k : cases) {
        GFXPoint a = k.p0, b = k.p1;
        ASSERT_EQ(gfx::ClipLine(&a, &b, c), k.want);
        if (k.want) {
            EXPECT_EQ(a.x, k.q0.x);
            EXPECT_EQ(a.y, k.q0.y);
            EXPECT_EQ(b.x, k.q1.x);
            EXPECT_EQ(b.y, k.q1.y);
        }
    }
}

TEST(SurfaceClip, BlitAndScaledBlitMoveTheSourceWithTheDestination) {
    GFXRect s{0, 0, 9, 9}, d{-3, 5, 6, 14};
    ASSERT_EQ(gfx::ClipBlit(&s, &d, {0, 0, 99, 9}), 1);
    EXPECT_EQ(s, (GFXRect{3, 0, 9, 4}));
    EXPECT_EQ(d, (GFXRect{0, 5, 6, 9}));

    GFXRect ss{0, 0, 9, 9}, sd{-10, 0, 9, 19};  // drawn twice the size
    std::int32_t kx = -1, ky = -1;
    ASSERT_EQ(gfx::ClipScaledBlit(&ss, &sd, {0, 0, 99, 99}, &kx, &ky, 0), 1);
    EXPECT_EQ(kx, 10);
    EXPECT_EQ(ky, 0);
    EXPECT_EQ(ss.left, 5);
    // Mirrored in x the skipped pixels are the ones cut at the right, where drawing starts.
    GFXRect ms{0, 0, 9, 9}, md{90, 0, 109, 19};
    ASSERT_EQ(gfx::ClipScaledBlit(&ms, &md, {0, 0, 99, 99}, &kx, &ky, 1), 1);
    EXPECT_EQ(kx, 10);
    EXPECT_EQ(ms.right, 4);
}

TEST(SurfaceClip, SpanListClipping) {
    // Rows 10..14, one record per row, spans x = 0..19.
    gfx::GFXSpanRecord rec[5];
    for (int i = 0; i < 5; ++i) {
        rec[i] = {i ? gfx::kSpanNewRow : 0u, 0, 19, i < 4 ? &rec[i + 1] : nullptr, 0, 0, 0, {}};
    }
    rec[1].x = 30;  // wholly right of the clip
    gfx::GFXSpanShape l;
    l.first = rec;
    l.firstRow = 10;
    l.rowCount = 5;
    GFXRect o{};
    ASSERT_EQ(gfx::ClipSpanList(&l, {5, 11, 25, 13}, &o), 0);
    EXPECT_EQ(l.firstRow, 12);  // row 11 holds only a hidden span
    EXPECT_EQ(l.first, &rec[2]);
    EXPECT_EQ(l.rowCount, 2);
    EXPECT_EQ(o.top, 12);
    EXPECT_EQ(o.bottom, 13);
    EXPECT_TRUE(rec[1].flags & gfx::kSpanHidden);
    EXPECT_EQ(rec[2].x, 5);
    EXPECT_EQ(rec[2].lastOffset, 14);
    EXPECT_TRUE(rec[2].flags & gfx::kSpanStartClipped);
    EXPECT_EQ(rec[2].clipStart, 5);
    EXPECT_EQ(rec[2].clipEnd, 19);    // both ends, though only the start was cut
    EXPECT_EQ(rec[3].next, nullptr);  // cut below the clip
    EXPECT_EQ(gfx::SpanListInRect(l, {5, 12, 25, 13}), 1);

    // A list ending just above the clip, or starting below it, leaves nothing.
    gfx::GFXSpanShape above = l;
    above.firstRow = 0;
    above.rowCount = 2;
    EXPECT_EQ(gfx::ClipSpanList(&above, {0, 2, 99, 99}, &o), 1);
    gfx::GFXSpanShape below = l;
    below.firstRow = 100;
    EXPECT_EQ(gfx::ClipSpanList(&below, {0, 0, 99, 99}, &o), 1);
}

// A surface that counts its platform locks.
class CountingSurface : public gfx::GFXMemSurface {
public:
    int locks = 0;
    int unlocks = 0;
    int Lock() override {
        ++locks;
        return GFXMemSurface::Lock();
    }
    void Unlock() override {
        ++unlocks;
        GFXMemSurface::Unlock();
    }
};

TEST(Surface, NestedBracketsLockOnce) {
    auto bmp = gfx::GFXBitmap::Create(740, 580, 8);
    CountingSurface parent;
    parent.SetBitmap(bmp.get());
    {
        gfx::GFXDrawTarget t(&parent);
        t.Begin();
        t.Begin();
        EXPECT_EQ(gfx::theCurrentDrawTarget, &t);
        t.End();
        EXPECT_NE(parent.pixels, nullptr);
        t.End();
        EXPECT_EQ(gfx::theCurrentDrawTarget, nullptr);
        EXPECT_EQ(parent.locks, 1);
        EXPECT_EQ(parent.unlocks, 1);
        EXPECT_EQ(parent.pixels, nullptr);
        EXPECT_EQ(gfx::thePolyVertexPointers[3], &t.vertexRecords[3]);
    }
    EXPECT_NE(gfx::thePolyVertexPointers[3], nullptr);

    // The bordered window's view: 640 x 480 at (50, 50) of the 740 x 580 surface.
    auto sub = gfx::GFXSubSurface::Create(&parent, {50, 50, 690, 530});
    ASSERT_TRUE(sub);
    EXPECT_EQ(sub->width, 640);
    EXPECT_EQ(sub->height, 480);
    EXPECT_EQ(sub->clipRect, (GFXRect{0, 0, 639, 479}));
    {
        gfx::GFXSurfaceLock a(*sub);
        gfx::GFXSurfaceLock b(parent);
        gfx::GFXSurfaceLock c(*sub);
        EXPECT_EQ(sub->pixels, bmp->Row(50) + 50);
        EXPECT_EQ(sub->stride, bmp->stride);
    }
    EXPECT_EQ(parent.locks, 2);
    EXPECT_EQ(parent.unlocks, 2);
    EXPECT_EQ(sub->pixels, nullptr);
    // A view must lie inside its parent.
    EXPECT_FALSE(gfx::GFXSubSurface::Create(&parent, {50, 50, 741, 530}));
    EXPECT_FALSE(gfx::GFXSubSurface::Create(&parent, {-1, 0, 10, 10}));
    EXPECT_FALSE(gfx::GFXSubSurface::Create(&parent, {10, 10, 10, 20}));
    // Resizing cuts the clip rectangle to the new size.
    EXPECT_EQ(sub->SetRect({0, 0, 100, 60}), 1);
    EXPECT_EQ(sub->clipRect, (GFXRect{0, 0, 99, 59}));
    EXPECT_EQ(sub->SetRect({0, 0, 800, 60}), 0);
    // A clip rectangle wholly outside the new size leaves nothing to draw.
    sub->clipRect = {80, 10, 99, 59};
    EXPECT_EQ(sub->SetRect({0, 0, 50, 40}), 1);
    EXPECT_EQ(sub->clipRect, (GFXRect{80, 10, 49, 39}));
    auto ink = gfx::GFXBitmap::Create(50, 40, 8);
    std::memset(ink->pixels, 9, static_cast<std::size_t>(ink->size));
    std::memset(bmp->pixels, 0, static_cast<std::size_t>(bmp->size));
    sub->flags = gfx::kSurfaceClipRect;
    gfx::SoftDrawBitmap(sub.get(), ink.get(), {0, 0}, 0);
    EXPECT_EQ(std::count(bmp->pixels, bmp->pixels + bmp->size, 9), 0);
}

TEST(Surface, SpanPool) {
    const std::int32_t before = gfx::theSpanPool.capacity;  // other tests may have sized it
    ASSERT_EQ(gfx::GFXSurface::InitSpanPool(3000), 1);
    EXPECT_EQ(gfx::theSpanPool.capacity, 3000);
    EXPECT_EQ(gfx::theSpanPool.spareCount, 3000);
    EXPECT_EQ(gfx::theSpanPool.nextSpare, gfx::theSpanPool.records);
    EXPECT_EQ(gfx::theSpanPool.first, nullptr);
    gfx::theSpanPool.records[2999].x = 1;  // every record is there
    gfx::GFXSurface::FreeSpanPool();
    EXPECT_EQ(gfx::theSpanPool.records, nullptr);
    EXPECT_EQ(gfx::GFXSurface::InitSpanPool(0), 0);
    if (before > 0) gfx::GFXSurface::InitSpanPool(before);
}

TEST(Surface, FindDisplayedInChain) {
    auto a = gfx::GFXMemSurface::Create(4, 4, 8);
    auto b = gfx::GFXMemSurface::Create(4, 4, 8);
    a->chainNext = b.get();
    b->chainNext = a.get();
    a->chainCount = b->chainCount = 2;
    EXPECT_EQ(a->FindDisplayedInChain(), nullptr);
    b->displayed = 1;
    EXPECT_EQ(a->FindDisplayedInChain(), b.get());
}

TEST(MemSurface, OwnershipPalettesAndBlits) {
    auto bmp = gfx::GFXBitmap::Create(8, 8, 8);
    {
        auto s = gfx::GFXMemSurface::CreateForBitmap(bmp.get());
        EXPECT_EQ(s->clipRect, (GFXRect{0, 0, 7, 7}));
        EXPECT_EQ(s->kind, gfx::kSurfaceKindMemory);
    }
    bmp->pixels[0] = 1;  // still alive after the surface is gone

    gfx::GFXPalette whole, part;
    part.entries[5] = {9, 9, 9, 0};
    part.entries[6] = {8, 8, 8, 0};
    auto s = gfx::GFXMemSurface::Create(6, 4, 8);
    s->SetPalette(&whole, 0, 256);
    EXPECT_EQ(s->palette, &whole);
    s->SetPalette(&part, 5, 1);
    EXPECT_EQ(s->palette, &whole);
    EXPECT_EQ(whole.entries[5].red, 9);
    EXPECT_EQ(whole.entries[6].red, 0);

    // Blits copy index 0 too and keep to the destination's clip rectangle.
    auto src = gfx::GFXMemSurface::Create(4, 4, 8);
    for (int i = 0; i < src->GetBitmap()->size; ++i)
        src->GetBitmap()->pixels[i] = i % 4 ? 7 : 0;
    std::memset(s->GetBitmap()->pixels, 0xEE, s->GetBitmap()->size);
    s->clipRect = {0, 0, 4, 3};
    s->flags = gfx::kSurfaceClipRect | gfx::kSurfaceClipRegion;
    {
        gfx::GFXSurfaceLock lock(*s);
        s->Blit(src.get(), {0, 0, 3, 3}, {2, 1});
    }
    EXPECT_EQ(s->flags, gfx::kSurfaceClipRect | gfx::kSurfaceClipRegion);
    const gfx::GFXBitmap* d = s->GetBitmap();
    EXPECT_EQ(d->Row(0)[2], 0xEE);
    EXPECT_EQ(d->Row(1)[2], 0);  // source index 0 copied
    EXPECT_EQ(d->Row(1)[3], 7);
    EXPECT_EQ(d->Row(1)[4], 7);
    EXPECT_EQ(d->Row(1)[5], 0xEE);  // beyond the clip rectangle
    EXPECT_EQ(src->lockCount, 0);
}

}  // namespace
