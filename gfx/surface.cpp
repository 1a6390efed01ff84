#include "gfx/surface.h"

#include <algorithm>
#include <memory>
#include <new>

#include "gfx/palette.h"

namespace gfx {

namespace {

std::unique_ptr<GFXSpanRecord[]> theSpanRecords;

// Where the request's vertex pointers point while no drawing target exists, so that they never
// dangle after a target is destroyed.
GFXPolyVertex theSpareVertexRecords[20];

// The 16.16 steps of the line clipper, computed in 64 bits: the same answers as the 32-bit
// FixedDiv/FixedMul for ordinary coordinates, and no overflow for wild ones.
std::int64_t ClipStep(std::int64_t delta, std::int64_t along, std::int64_t across) {
    if (along == 0) return 0;
    const std::int64_t ratio = (delta * 65536) / along;  // truncates toward zero
    const std::int64_t prod = ratio * across;
    return prod >= 0 ? prod / 65536 : -((-prod + 65535) / 65536);  // floor
}

std::int32_t ToInt32(std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
}

}  // namespace

GFXSpanShape theSpanPool;
GFXDrawTarget* theCurrentDrawTarget = nullptr;
GFXPolyVertex* thePolyVertexPointers[20] = {
    &theSpareVertexRecords[0],  &theSpareVertexRecords[1],  &theSpareVertexRecords[2],
    &theSpareVertexRecords[3],  &theSpareVertexRecords[4],  &theSpareVertexRecords[5],
    &theSpareVertexRecords[6],  &theSpareVertexRecords[7],  &theSpareVertexRecords[8],
    &theSpareVertexRecords[9],  &theSpareVertexRecords[10], &theSpareVertexRecords[11],
    &theSpareVertexRecords[12], &theSpareVertexRecords[13], &theSpareVertexRecords[14],
    &theSpareVertexRecords[15], &theSpareVertexRecords[16], &theSpareVertexRecords[17],
    &theSpareVertexRecords[18], &theSpareVertexRecords[19]};

// ---------------------------------------------------------------------------------------------
// GFXSurface

namespace {
GFXSurface* theLiveSurfaces = nullptr;
}  // namespace

GFXSurface::GFXSurface() : liveNext(theLiveSurfaces) {
    if (liveNext != nullptr) liveNext->livePrev = this;
    theLiveSurfaces = this;
}

GFXSurface::~GFXSurface() {
    // Unlinked before the kept palette goes, so its own destructor does not find this surface.
    if (livePrev != nullptr) livePrev->liveNext = liveNext;
    if (liveNext != nullptr) liveNext->livePrev = livePrev;
    if (theLiveSurfaces == this) theLiveSurfaces = liveNext;
}

void GFXSurface::ForgetPalette(const GFXPalette* freed) {
    if (freed == nullptr) return;
    for (GFXSurface* s = theLiveSurfaces; s != nullptr; s = s->liveNext) {
        if (s->palette != freed) continue;
        std::unique_ptr<GFXPalette> copy = GFXPalette::CreateFromEntries(freed->entries);
        if (freed->format16) copy->BuildColors16(*freed->format16);
        s->palette = copy.get();
        // The copy this replaces may in turn be shown elsewhere; its destructor sees to that.
        s->keptPalette = std::move(copy);
    }
}

int GFXSurface::GetPixelFormat(GFXPixelFormat* /*out*/) {
    return 0;
}

void GFXSurface::AttachWindow(GFXWindowHandle /*window*/) {}

void GFXSurface::Present(const GFXRect* /*rect*/) {}

void GFXSurface::FlipCopy() {}

void GFXSurface::StorePalette(GFXPalette* newPalette, std::int32_t first, std::int32_t count) {
    if (first == 0 && count == 256) {
        palette = newPalette;
        return;
    }
    CopyPaletteEntries(palette, newPalette, first, count);
}

GFXSurface* GFXSurface::FindDisplayedInChain() {
    GFXSurface* s = this;
    for (std::int32_t i = 0; i < chainCount && s != nullptr; ++i) {
        if (s->displayed != 0) return s;
        s = s->chainNext;
    }
    return nullptr;
}

int GFXSurface::InitSpanPool(std::int32_t count) {
    FreeSpanPool();
    if (count <= 0) return 0;
    theSpanRecords.reset(new (std::nothrow) GFXSpanRecord[static_cast<std::size_t>(count)]);
    if (!theSpanRecords) return 0;
    theSpanPool.firstRow = 0;
    theSpanPool.rowCount = 0;
    theSpanPool.first = nullptr;
    theSpanPool.records = theSpanRecords.get();
    theSpanPool.nextSpare = theSpanRecords.get();
    theSpanPool.capacity = count;
    theSpanPool.spareCount = count;
    return 1;
}

void GFXSurface::FreeSpanPool() {
    theSpanRecords.reset();
    theSpanPool = GFXSpanShape{};
}

// ---------------------------------------------------------------------------------------------
// Rectangles

int PointInRect(GFXPoint p, const GFXRect& r) {
    return (p.x >= r.left && p.x <= r.right && p.y >= r.top && p.y <= r.bottom) ? 1 : 0;
}

int RectInRect(const GFXRect& a, const GFXRect& b) {
    return (PointInRect({a.left, a.top}, b) && PointInRect({a.right, a.bottom}, b)) ? 1 : 0;
}

int PolygonInRect(const GFXScreenPoint* const* points, std::int32_t count, const GFXRect& r) {
    if (points == nullptr) return 0;
    for (std::int32_t i = 0; i < count; ++i) {
        if (points[i] == nullptr || !PointInRect({points[i]->x, points[i]->y}, r)) return 0;
    }
    return 1;
}

void UnionRect(const GFXRect& a, const GFXRect& b, GFXRect* out) {
    *out = {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

int IntersectRect(GFXRect* dest, const GFXRect& other) {
    dest->left = std::max(dest->left, other.left);
    dest->top = std::max(dest->top, other.top);
    dest->right = std::min(dest->right, other.right);
    dest->bottom = std::min(dest->bottom, other.bottom);
    const std::int64_t w = static_cast<std::int64_t>(dest->right) - dest->left;
    const std::int64_t h = static_cast<std::int64_t>(dest->bottom) - dest->top;
    return (w > 0 && h > 0) ? 1 : 0;
}

int ClipLine(GFXPoint* p0, GFXPoint* p1, const GFXRect& c) {
    auto rejectX = [&](const GFXPoint& a, const GFXPoint& b) {
        return (a.x < c.left && b.x < c.left) || (a.x > c.right && b.x > c.right);
    };
    auto rejectY = [&](const GFXPoint& a, const GFXPoint& b) {
        return (a.y < c.top && b.y < c.top) || (a.y > c.bottom && b.y > c.bottom);
    };
    if (rejectX(*p0, *p1) || rejectY(*p0, *p1)) return 0;
    auto inside = [&](const GFXPoint& p) {
        return p.x >= c.left && p.x <= c.right && p.y >= c.top && p.y <= c.bottom;
    };
    // Most lines (a gauge's needle) lie wholly inside and stay as they are.
    if (inside(*p0) && inside(*p1)) return 1;

    GFXPoint a = *p0;
    GFXPoint b = *p1;
    bool swapped = false;
    if (a.x > b.x) {
        std::swap(a, b);
        swapped = true;
    }
    if (a.x < c.left) {
        a.y = ToInt32(a.y + ClipStep(static_cast<std::int64_t>(c.left) - a.x,
                                     static_cast<std::int64_t>(b.x) - a.x,
                                     static_cast<std::int64_t>(b.y) - a.y));
        a.x = c.left;
    }
    if (b.x > c.right) {
        b.y = ToInt32(a.y + ClipStep(static_cast<std::int64_t>(c.right) - a.x,
                                     static_cast<std::int64_t>(b.x) - a.x,
                                     static_cast<std::int64_t>(b.y) - a.y));
        b.x = c.right;
    }
    if (rejectY(a, b)) return 0;

    if (a.y > b.y) {
        std::swap(a, b);
        swapped = !swapped;
    }
    if (a.y < c.top) {
        a.x = ToInt32(a.x + ClipStep(static_cast<std::int64_t>(c.top) - a.y,
                                     static_cast<std::int64_t>(b.y) - a.y,
                                     static_cast<std::int64_t>(b.x) - a.x));
        a.y = c.top;
    }
    if (b.y > c.bottom) {
        b.x = ToInt32(a.x + ClipStep(static_cast<std::int64_t>(c.bottom) - a.y,
                                     static_cast<std::int64_t>(b.y) - a.y,
                                     static_cast<std::int64_t>(b.x) - a.x));
        b.y = c.bottom;
    }
    if (swapped) std::swap(a, b);
    *p0 = a;
    *p1 = b;
    return 1;
}

int ClipBlit(GFXRect* s, GFXRect* d, const GFXRect& c) {
    if (d->left < c.left) {
        s->left += c.left - d->left;
        d->left = c.left;
    }
    if (d->top < c.top) {
        s->top += c.top - d->top;
        d->top = c.top;
    }
    if (d->right > c.right) {
        s->right -= d->right - c.right;
        d->right = c.right;
    }
    if (d->bottom > c.bottom) {
        s->bottom -= d->bottom - c.bottom;
        d->bottom = c.bottom;
    }
    return (s->left <= s->right && s->top <= s->bottom) ? 1 : 0;
}

int ClipBlitToBitmap(GFXRect* s, const GFXRect& bounds, GFXRect* d, const GFXRect& c) {
    // The source against the bitmap is the same move with the roles swapped.
    ClipBlit(d, s, bounds);
    return ClipBlit(s, d, c);
}

namespace {

// One axis of the proportional clip. lo/hi are the edges of the rectangle being clipped
// against [clo, chi]; olo/ohi the other rectangle's, moved in proportion (other size over own
// size, sizes taken before clipping). Answers the own pixels cut at the low and the high end.
void ClipScaledAxis(std::int32_t* lo, std::int32_t* hi, std::int32_t clo, std::int32_t chi,
                    std::int32_t* olo, std::int32_t* ohi, std::int64_t* cutLo,
                    std::int64_t* cutHi) {
    const std::int64_t own = static_cast<std::int64_t>(*hi) - *lo + 1;
    const std::int64_t other = static_cast<std::int64_t>(*ohi) - *olo + 1;
    *cutLo = 0;
    *cutHi = 0;
    if (own <= 0) return;
    if (*lo < clo) {
        *cutLo = static_cast<std::int64_t>(clo) - *lo;
        *olo = ToInt32(*olo + (*cutLo * other) / own);
        *lo = clo;
    }
    if (*hi > chi) {
        *cutHi = static_cast<std::int64_t>(*hi) - chi;
        *ohi = ToInt32(*ohi - (*cutHi * other) / own);
        *hi = chi;
    }
}

}  // namespace

int ClipScaledBlit(GFXRect* s, GFXRect* d, const GFXRect& c, std::int32_t* skipX,
                   std::int32_t* skipY, std::uint32_t mirror) {
    std::int64_t cutL = 0, cutR = 0, cutT = 0, cutB = 0;
    // A mirrored axis draws from its high end, so the destination pixels cut there are the
    // ones skipped at the start, and they come off the source's low end once reflected.
    ClipScaledAxis(&d->left, &d->right, c.left, c.right, &s->left, &s->right, &cutL, &cutR);
    ClipScaledAxis(&d->top, &d->bottom, c.top, c.bottom, &s->top, &s->bottom, &cutT, &cutB);
    if (skipX) *skipX = ToInt32((mirror & 1) ? cutR : cutL);
    if (skipY) *skipY = ToInt32((mirror & 2) ? cutB : cutT);
    return (s->left <= s->right && s->top <= s->bottom && d->left <= d->right &&
            d->top <= d->bottom)
               ? 1
               : 0;
}

int ClipScaledBlitTwoStage(GFXRect* s, const GFXRect& sourceClip, GFXRect* d,
                           const GFXRect& destClip, std::int32_t* outX, std::int32_t* outY) {
    std::int64_t cutL = 0, cutR = 0, cutT = 0, cutB = 0;
    const GFXRect d0 = *d;
    ClipScaledAxis(&s->left, &s->right, sourceClip.left, sourceClip.right, &d->left, &d->right,
                   &cutL, &cutR);
    ClipScaledAxis(&s->top, &s->bottom, sourceClip.top, sourceClip.bottom, &d->top, &d->bottom,
                   &cutT, &cutB);
    ClipScaledAxis(&d->left, &d->right, destClip.left, destClip.right, &s->left, &s->right, &cutL,
                   &cutR);
    ClipScaledAxis(&d->top, &d->bottom, destClip.top, destClip.bottom, &s->top, &s->bottom, &cutT,
                   &cutB);
    // The destination pixels cut at the left and top by both stages together.
    if (outX) *outX = d->left - d0.left;
    if (outY) *outY = d->top - d0.top;
    return (s->left <= s->right && s->top <= s->bottom && d->left <= d->right &&
            d->top <= d->bottom)
               ? 1
               : 0;
}

// ---------------------------------------------------------------------------------------------
// Span lists

int ClipSpanList(GFXSpanShape* l, const GFXRect& c, GFXRect* o) {
    if (l->first == nullptr || l->rowCount <= 0) return 1;
    const std::int64_t endRow = static_cast<std::int64_t>(l->firstRow) + l->rowCount;
    if (l->firstRow > c.bottom || endRow <= c.top) return 1;

    // Row n of the list starts at the record n places after the first.
    std::int32_t skipped = 0;
    GFXSpanRecord* r = l->first;
    if (c.top > l->firstRow) {
        skipped = c.top - l->firstRow;
        r = l->first + skipped;
    }
    std::int32_t row = l->firstRow + skipped;
    std::int32_t lastRow = row;
    bool visible = false;
    GFXSpanRecord* prev = nullptr;
    for (; r != nullptr; prev = r, r = r->next) {
        if (prev != nullptr && (r->flags & kSpanNewRow)) {
            ++row;
            if (row > c.bottom) {
                prev->next = nullptr;
                break;
            }
            if (!visible) ++skipped;
        }
        lastRow = row;
        if (r->flags & kSpanHidden) continue;
        const std::int64_t end = static_cast<std::int64_t>(r->x) + r->lastOffset;
        if (r->x > c.right || end < c.left) {
            r->flags |= kSpanHidden;
            continue;
        }
        visible = true;
        if (r->x < c.left) {
            r->lastOffset -= c.left - r->x;
            r->x = c.left;
            r->clipStart = c.left;
            r->flags |= kSpanStartClipped;
        }
        if (static_cast<std::int64_t>(r->x) + r->lastOffset > c.right) {
            r->lastOffset = c.right - r->x;
            r->clipEnd = r->x + r->lastOffset;
            r->flags |= kSpanEndClipped;
        }
        // A clipped span carries both visible ends, so that later clippers and the fix-ups,
        // which read the pair whenever either flag is set, see the piece that is left.
        if (r->flags & (kSpanStartClipped | kSpanEndClipped)) {
            r->clipStart = r->x;
            r->clipEnd = r->x + r->lastOffset;
        }
    }
    if (!visible) return 1;
    // The new first record starts its row: it loses only the row-advance flag, so a hidden
    // or clipped first piece keeps its state.
    l->first += skipped;
    l->first->flags &= ~kSpanNewRow;
    l->firstRow += skipped;
    l->rowCount = lastRow - l->firstRow + 1;
    if (o != nullptr) {
        o->top = l->firstRow;
        o->bottom = lastRow;
    }
    return 0;
}

int SpanListInRect(const GFXSpanShape& l, const GFXRect& rc) {
    std::int32_t row = l.firstRow;
    const GFXSpanRecord* prev = nullptr;
    for (const GFXSpanRecord* r = l.first; r != nullptr; prev = r, r = r->next) {
        if (prev != nullptr && (r->flags & kSpanNewRow)) ++row;
        if (r->flags & kSpanHidden) continue;
        if (row < rc.top || row > rc.bottom || r->x < rc.left ||
            static_cast<std::int64_t>(r->x) + r->lastOffset > rc.right)
            return 0;
    }
    return 1;
}

// ---------------------------------------------------------------------------------------------
// Drawing target

GFXDrawTarget::GFXDrawTarget(GFXSurface* target) : surface(target) {
    for (int i = 0; i < 20; ++i)
        thePolyVertexPointers[i] = &vertexRecords[i];
}

GFXDrawTarget::~GFXDrawTarget() {
    if (theCurrentDrawTarget == this) theCurrentDrawTarget = nullptr;
    if (thePolyVertexPointers[0] == &vertexRecords[0]) {
        for (int i = 0; i < 20; ++i)
            thePolyVertexPointers[i] = &theSpareVertexRecords[i];
    }
}

void GFXDrawTarget::Begin() {
    if (surface != nullptr) surface->AcquireLock();
    theCurrentDrawTarget = this;
}

void GFXDrawTarget::End() {
    if (surface != nullptr) surface->ReleaseLock();
    theCurrentDrawTarget = nullptr;
}

}  // namespace gfx
