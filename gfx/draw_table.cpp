// The software draw tables. Every entry brackets its work in the surface's lock, clips against
// the surface (the clip rectangle when asked, the surface's own bounds always), records what
// it covered in drawnRect and hands the clipped work to the rasterizer, the span-list shapes or
// the copy loops.
#include "gfx/draw_table.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "gfx/bitmap.h"
#include "gfx/bitmap_draw.h"
#include "gfx/font.h"
#include "gfx/palette.h"
#include "gfx/raster/blit_loops.h"
#include "gfx/raster/coverage_list.h"
#include "gfx/raster/poly_raster.h"
#include "gfx/raster/span_fillers.h"
#include "gfx/raster/span_shapes.h"
#include "gfx/raster/span_state.h"

namespace gfx {

namespace {

constexpr std::int32_t kDefaultSpanPool = 3000;

// Tables used when the palette has none of its own: every shade row is the identity, and the
// "blend" of a colour over anything is the colour itself.
const std::uint8_t* IdentityShade() {
    static const std::vector<std::uint8_t> t = [] {
        std::vector<std::uint8_t> v(65536);
        for (std::size_t i = 0; i < v.size(); ++i)
            v[i] = static_cast<std::uint8_t>(i & 255);
        return v;
    }();
    return t.data();
}
const std::uint8_t* OpaqueBlend() {
    static const std::vector<std::uint8_t> t = [] {
        std::vector<std::uint8_t> v(65536);
        for (std::size_t i = 0; i < v.size(); ++i)
            v[i] = static_cast<std::uint8_t>(i >> 8);
        return v;
    }();
    return t.data();
}

// The palette's shade rows from `offset`: the fillers read up to 256 rows from there (or the
// whole table for per-vertex light), and rows past the table's end read as its last row.
const std::uint8_t* ShadeWindow(const GFXPalette* pal, std::uint64_t offset) {
    if (pal == nullptr || pal->shadeTable == nullptr) return IdentityShade();
    return pal->ShadeRowsFrom(offset);
}

// The 256 x 256 translucency block of level `level`, or the opaque table when the palette has
// no such block.
const std::uint8_t* TranslucentBlock(const GFXPalette* pal, std::int32_t level) {
    if (pal == nullptr || pal->translucentTable == nullptr || level < 1) return OpaqueBlend();
    const std::int64_t row =
        (static_cast<std::int64_t>(level) - 1) * pal->translucentLevels - pal->translucentFirst;
    if (row < 0 || (row + 256) * 256 > static_cast<std::int64_t>(pal->TranslucentTableSize())) {
        return OpaqueBlend();
    }
    return pal->translucentTable + row * 256;
}

bool EnsureSpanPool(std::int32_t records) {
    if (theSpanPool.records == nullptr && GFXSurface::InitSpanPool(kDefaultSpanPool) == 0)
        return false;
    return records <= theSpanPool.capacity;
}

bool PixelsReady(const GFXSurface& s) {
    return s.pixels != nullptr && s.width > 0 && s.height > 0 &&
           (s.bitsPerPixel == 8 || s.bitsPerPixel == 16);
}

std::uint8_t* PixelAt(GFXSurface& s, std::int32_t x, std::int32_t y) {
    return s.pixels + static_cast<std::intptr_t>(y) * s.stride +
           static_cast<std::intptr_t>(x) * (s.bitsPerPixel / 8);
}

std::uint32_t Colour16(const GFXSurface& s, std::uint32_t colour, bool* ok) {
    *ok = s.palette != nullptr && s.palette->colors16 != nullptr;
    return *ok ? s.palette->colors16[colour & 255] & 0xFFFFu : 0;
}

// A 16.16 intensity held to 0 .. 1.0.
std::int64_t UnitIntensity(std::int64_t v) {
    return std::clamp<std::int64_t>(v, 0, 65536);
}

bool Translucent(const GFXSurface& s) {
    return s.palette != nullptr && s.palette->translucentLevel != 0;
}

// --------------------------------------------------------------------------------------------

void Clear(GFXSurface* s, std::uint32_t colour) {
    GFXSurfaceLock lock(*s);
    if (!lock.Ok() || !PixelsReady(*s)) return;
    if (s->bitsPerPixel == 16) {
        bool ok;
        const std::uint32_t c = Colour16(*s, colour, &ok);
        if (!ok) return;
        for (std::int32_t y = 0; y < s->height; ++y) {
            std::uint8_t* d = PixelAt(*s, 0, y);
            for (std::int32_t x = 0; x < s->width; ++x)
                std::memcpy(d + 2 * x, &c, 2);
        }
        return;
    }
    const std::int32_t rounded = (s->width + 3) & ~3;
    if (rounded == s->stride) {
        std::memset(s->pixels, static_cast<int>(colour & 255),
                    static_cast<std::size_t>(s->stride) * s->height);
    } else {
        FillRect8(s->pixels, s->height, s->width, s->stride, static_cast<std::uint8_t>(colour));
    }
}

void DrawPixel(GFXSurface* s, GFXPoint p, std::uint32_t colour) {
    GFXSurfaceLock lock(*s);
    if (!lock.Ok() || !PixelsReady(*s)) return;
    GFXRect clip;
    if (SurfaceClipBox(*s, &clip) == 0 || PointInRect(p, clip) == 0) return;
    if (s->bitsPerPixel == 16) {
        bool ok;
        const std::uint32_t c = Colour16(*s, colour, &ok);
        if (ok) std::memcpy(PixelAt(*s, p.x, p.y), &c, 2);
        return;
    }
    *PixelAt(*s, p.x, p.y) = static_cast<std::uint8_t>(colour);
}

void DrawShape(GFXSurface* s, std::uint32_t colour, bool translucent, bool region) {
    GFXSpanShape& shape = theSpanPool;
    shape.color = colour;
    if (region && (s->flags & kSurfaceClipRegion) != 0 && s->spanRegion != nullptr) {
        ClipSpansToCoverage(shape, *s->spanRegion);
        FixSpanRecords(shape);
    }
    if (s->bitsPerPixel == 16) {
        bool ok;
        const std::uint32_t c = Colour16(*s, colour, &ok);
        if (ok) DrawSpansFill16(s->pixels, s->stride, shape, static_cast<std::uint16_t>(c));
        return;
    }
    if (translucent) {
        shape.blendTable = TranslucentBlock(s->palette, s->palette->translucentLevel);
        DrawSpansBlend(s->pixels, s->stride, shape);
    } else {
        DrawSpansFill(s->pixels, s->stride, shape);
    }
}

void SegmentImpl(GFXSurface* s, GFXPoint p0, GFXPoint p1, std::uint32_t colour, bool region) {
    GFXSurfaceLock lock(*s);
    if (!lock.Ok() || !PixelsReady(*s)) return;
    GFXRect clip;
    if (SurfaceClipBox(*s, &clip) == 0 || ClipLine(&p0, &p1, clip) == 0) return;
    // The clipper works in 16.16 steps; keep the ends inside whatever it rounded.
    p0.x = std::clamp(p0.x, clip.left, clip.right);
    p1.x = std::clamp(p1.x, clip.left, clip.right);
    p0.y = std::clamp(p0.y, clip.top, clip.bottom);
    p1.y = std::clamp(p1.y, clip.top, clip.bottom);
    s->drawnRect = {std::min(p0.x, p1.x), std::min(p0.y, p1.y), std::max(p0.x, p1.x),
                    std::max(p0.y, p1.y)};
    const std::int32_t rows = std::abs(p1.y - p0.y) + 1;
    if (!EnsureSpanPool(rows + 1)) return;
    // A plain 8-bit line needs no records: its runs go straight into the picture.
    if (s->bitsPerPixel == 8 && !Translucent(*s) &&
        !(region && (s->flags & kSurfaceClipRegion) != 0 && s->spanRegion != nullptr)) {
        DrawLineFill8(s->pixels, s->stride, p0, p1, static_cast<std::uint8_t>(colour));
        return;
    }
    GFXSpanShape& shape = theSpanPool;
    shape.first = shape.records;
    shape.firstRow = std::min(p0.y, p1.y);
    shape.rowCount = BuildLineSpans(shape.records, p0, p1);
    shape.spareCount = shape.capacity - rows - 1;
    shape.nextSpare = shape.spareCount > 0 ? shape.records + shape.capacity - 1 : nullptr;
    DrawShape(s, colour, Translucent(*s), region);
}

void DrawSegment(GFXSurface* s, GFXPoint p0, GFXPoint p1, std::uint32_t colour) {
    SegmentImpl(s, p0, p1, colour, false);
}
void DrawSegmentRegion(GFXSurface* s, GFXPoint p0, GFXPoint p1, std::uint32_t colour) {
    SegmentImpl(s, p0, p1, colour, true);
}

void EllipseImpl(GFXSurface* s, const GFXRect& rect, std::uint32_t colour, bool outline,
                 bool region) {
    GFXSurfaceLock lock(*s);
    if (!lock.Ok() || !PixelsReady(*s)) return;
    GFXRect clip;
    if (SurfaceClipBox(*s, &clip) == 0) return;
    const std::int64_t h = static_cast<std::int64_t>(rect.bottom) - rect.top + 1;
    if (h < 1 || h > kMaxEllipseExtent) return;
    // Rows above and below the clip are cut by ClipSpanList; a shape taller than the pool is
    // refused.
    const std::int64_t records = outline ? 2 * h : h;
    if (!EnsureSpanPool(static_cast<std::int32_t>(records) + 1)) return;
    GFXSpanShape& shape = theSpanPool;
    const int rows = outline ? BuildEllipseOutlineSpans(shape.records, rect)
                             : BuildEllipseSpans(shape.records, rect);
    if (rows == 0) return;
    shape.first = shape.records;
    shape.firstRow = rect.top;
    shape.rowCount = rows;
    shape.spareCount = shape.capacity - static_cast<std::int32_t>(records) - 1;
    shape.nextSpare = shape.spareCount > 0 ? shape.records + shape.capacity - 1 : nullptr;
    GFXRect o = clip;
    if (ClipSpanList(&shape, clip, &o) != 0) return;
    s->drawnRect = {std::max(clip.left, rect.left), o.top, std::min(clip.right, rect.right),
                    o.bottom};
    DrawShape(s, colour, !outline && Translucent(*s), region);
}

void DrawEllipse(GFXSurface* s, const GFXRect& r, std::uint32_t c) {
    EllipseImpl(s, r, c, true, false);
}
void FillEllipse(GFXSurface* s, const GFXRect& r, std::uint32_t c) {
    EllipseImpl(s, r, c, false, false);
}
void DrawEllipseRegion(GFXSurface* s, const GFXRect& r, std::uint32_t c) {
    EllipseImpl(s, r, c, true, true);
}
void FillEllipseRegion(GFXSurface* s, const GFXRect& r, std::uint32_t c) {
    EllipseImpl(s, r, c, false, true);
}

void RectangleImpl(GFXSurface* s, const GFXRect& r, std::uint32_t colour,
                   void (*line)(GFXSurface*, GFXPoint, GFXPoint, std::uint32_t)) {
    if (r.top == r.bottom || r.left == r.right) {
        DrawSegmentRegion(s, {r.left, r.top}, {r.right, r.bottom}, colour);
        return;
    }
    line(s, {r.left, r.top}, {r.right, r.top}, colour);
    line(s, {r.right, r.top}, {r.right, r.bottom}, colour);
    line(s, {r.left, r.top}, {r.left, r.bottom}, colour);
    line(s, {r.left, r.bottom}, {r.right, r.bottom}, colour);
}
void DrawRectangle(GFXSurface* s, const GFXRect& r, std::uint32_t c) {
    RectangleImpl(s, r, c, DrawSegment);
}
void DrawRectangleRegion(GFXSurface* s, const GFXRect& r, std::uint32_t c) {
    RectangleImpl(s, r, c, DrawSegmentRegion);
}

void FillRectangle(GFXSurface* s, const GFXRect& rect, std::uint32_t colour) {
    GFXSurfaceLock lock(*s);
    if (!lock.Ok() || !PixelsReady(*s)) return;
    // The clip rectangle applies whatever flags bit 0 says; a rectangle one pixel wide or high
    // after it is empty, as IntersectRect counts.
    GFXRect r = rect;
    GFXRect bounds = s->clipRect;
    if (IntersectRect(&bounds, {0, 0, s->width - 1, s->height - 1}) == 0) return;
    if (IntersectRect(&r, bounds) == 0) return;
    s->drawnRect = r;
    SpanRasterState& st = theSpanState;
    st.rowPtr = s->pixels;
    st.pitch = s->stride;
    st.colour = colour;
    st.clipLeft = r.left;
    st.clipRight = r.right + 1;
    const bool wide = s->bitsPerPixel == 16;
    FillSetupFn setup = FillSolid;
    if (wide) {
        if (s->palette == nullptr || s->palette->colors16 == nullptr) return;
        st.colourWords = s->palette->colors16;
        setup = FillSolid16;
    } else if (Translucent(*s)) {
        st.blendTable = TranslucentBlock(s->palette, s->palette->translucentLevel);
        setup = FillBlend;
    }
    if ((s->flags & kSurfaceClipRegion) != 0 && s->spanRegion != nullptr) {
        st.coverage = s->spanRegion;
        SelectMaskedSpans();
    } else if (setup == FillSolid) {
        FillRect8(PixelAt(*s, r.left, r.top), r.bottom - r.top + 1, r.right - r.left + 1, s->stride,
                  static_cast<std::uint8_t>(colour));
        return;
    } else {
        st.coverage = nullptr;
        SelectPlainSpans();
    }
    setup(0);
    st.spanX = r.left * 65536;
    st.spanWidth = (r.right + 1 - r.left) * 65536;
    st.curY = r.top;
    st.endY = r.bottom + 1;
    SetupRowsWalker();
    st.walkFn();
    st.coverage = nullptr;
}

bool BitmapReady(const GFXBitmap* b) {
    return b != nullptr && b->pixels != nullptr && b->bitsPerPixel == 8 && b->width > 0 &&
           b->height != 0 && b->stride > 0;
}

// The region table's whole-bitmap entry: one span per row through the span pool, so that the
// span region can cut the rows; 16-bit surfaces and surfaces without a region take the
// rectangle copy.
void DrawBitmapRegion(GFXSurface* s, const GFXBitmap* b, GFXPoint at, std::uint32_t mirror) {
    if (!BitmapReady(b)) return;
    if (s->bitsPerPixel != 8 || (s->flags & kSurfaceClipRegion) == 0 || s->spanRegion == nullptr) {
        SoftDrawBitmap(s, b, at, mirror);
        return;
    }
    GFXSurfaceLock lock(*s);
    if (!lock.Ok() || !PixelsReady(*s)) return;
    const std::int32_t bh = std::abs(b->height);
    GFXRect dst{at.x, at.y, at.x + b->width - 1, at.y + bh - 1};
    GFXRect src{0, 0, b->width - 1, bh - 1};
    s->drawnRect = dst;
    GFXRect clip;
    if (SurfaceClipBox(*s, &clip) == 0 || ClipBlit(&src, &dst, clip) == 0) return;
    const std::int32_t rows = dst.bottom - dst.top + 1;
    if (rows <= 0 || dst.right < dst.left || !EnsureSpanPool(rows + 1)) return;
    const bool mx = (mirror & kMirrorX) != 0;
    const bool my = (mirror & kMirrorY) != 0;
    GFXSpanShape& shape = theSpanPool;
    shape.firstRow = dst.top;
    shape.sourceStep = mx ? -1 : 1;
    shape.rowStep = 0;
    BuildBitmapSpans(shape, rows, dst.left, dst.right - dst.left,
                     mx ? b->width - 1 - src.left : src.left, my ? bh - 1 - src.top : src.top,
                     my ? -1 : 1);
    shape.spareCount = shape.capacity - rows - 1;
    shape.nextSpare = shape.spareCount > 0 ? shape.records + shape.capacity - 1 : nullptr;
    ClipSpansToCoverage(shape, *s->spanRegion);
    FixBitmapSpanRecords(shape);
    std::uint8_t* row = PixelAt(*s, 0, shape.firstRow);
    const std::int32_t srcStride = my ? -b->stride : b->stride;
    const std::uint32_t mode = b->DrawMode();
    const bool translucent = b->DrawsTranslucent();
    const GFXPalette* pal = s->palette;
    // A palette one step short of its last level hides translucent bitmaps, whatever its level.
    if (translucent && pal != nullptr && pal->translucentLast - pal->translucentLevel == 1) {
        return;
    }
    if (mode == kBitmapTransparent ||
        (translucent && (pal == nullptr || pal->translucentLevel == 0))) {
        SpanBlitKey(shape, row, s->stride, b->pixels, srcStride);
    } else if (translucent) {
        SpanBlitBlend(shape, row, s->stride, b->pixels, srcStride,
                      TranslucentBlock(pal, pal->translucentLevel));
    } else {
        SpanBlitCopy(shape, row, s->stride, b->pixels, srcStride);
    }
}

// The 16.16 source column of a scaled row's piece whose first pixel is destination pixel k of
// D, in the form the scaled span copies read: the whole part is the column of the piece's first
// pixel, the fraction starts the copy's accumulator (raised by one unit, so that its stepping
// never falls short of a column it should reach). A mirrored row is the mirror image of the
// plain one: its piece starts at column floor((D - 1 - k) x S / D) and the copy counts down, so
// the fraction holds the distance to the next lower column boundary instead.
std::int32_t ScaledColumn(std::int64_t k, std::int64_t S, std::int64_t D, bool mirror) {
    if (!mirror) return static_cast<std::int32_t>(k * S * 65536 / D + 1);
    const std::int64_t a = (D - 1 - k) * S;
    const std::int64_t frac = ((D - 1 - a % D) << 16) / D;
    return static_cast<std::int32_t>(((a / D) << 16) | frac);
}

// The region table's scaled entry: rows of the scaled image through the span pool, cut by the
// span region; each piece's source column is taken from its own first pixel.
void DrawBitmapScaledRegion(GFXSurface* s, const GFXBitmap* b, GFXPoint at, GFXSize size,
                            std::uint32_t mirror) {
    if (!BitmapReady(b) || size.w <= 0 || size.h <= 0) return;
    if (s->bitsPerPixel != 8 || (s->flags & kSurfaceClipRegion) == 0 || s->spanRegion == nullptr) {
        SoftDrawBitmapScaled(s, b, at, size, mirror);
        return;
    }
    GFXSurfaceLock lock(*s);
    if (!lock.Ok() || !PixelsReady(*s)) return;
    const std::int64_t S = b->width, T = std::abs(b->height);
    const GFXRect full{at.x, at.y, at.x + size.w - 1, at.y + size.h - 1};
    s->drawnRect = full;
    GFXRect clip;
    if (SurfaceClipBox(*s, &clip) == 0) return;
    const GFXRect vis{std::max(full.left, clip.left), std::max(full.top, clip.top),
                      std::min(full.right, clip.right), std::min(full.bottom, clip.bottom)};
    if (vis.left > vis.right || vis.top > vis.bottom) return;
    const std::int32_t rows = vis.bottom - vis.top + 1;
    if (!EnsureSpanPool(rows + 1)) return;
    const bool mx = (mirror & kMirrorX) != 0;
    const bool my = (mirror & kMirrorY) != 0;
    GFXSpanShape& shape = theSpanPool;
    shape.firstRow = vis.top;
    BuildBitmapSpans(shape, rows, vis.left, vis.right - vis.left, 0, 0, 0);
    shape.spareCount = shape.capacity - rows - 1;
    shape.nextSpare = shape.spareCount > 0 ? shape.records + shape.capacity - 1 : nullptr;
    ClipSpansToCoverage(shape, *s->spanRegion);
    FixSpanRecords(shape);
    for (GFXSpanRecord* r = shape.first; r != nullptr; r = r->next) {
        r->source = ScaledColumn(r->x - full.left, S, size.w, mx);  // k counts from the left
    }
    const std::int64_t rowPos =
        static_cast<std::int64_t>(shape.firstRow - full.top) * T * 65536 / size.h;
    const std::int64_t srcRow = my ? T - 1 - (rowPos >> 16) : rowPos >> 16;
    if (shape.first == nullptr || srcRow < 0 || srcRow >= T) return;
    shape.first->attributes[kSpanAttrSourceRow] = static_cast<std::int32_t>(rowPos & 0xFFFF);
    GFXSpanStretchArgs a;
    a.src = b->pixels + srcRow * b->stride;
    a.srcStride = my ? -b->stride : b->stride;
    a.srcWidth = static_cast<std::int32_t>(S);
    a.fullWidth = size.w;
    a.srcHeight = static_cast<std::int32_t>(T);
    a.fullHeight = size.h;
    a.dir = mx ? -1 : 1;
    std::uint8_t* row = PixelAt(*s, 0, shape.firstRow);
    const std::uint32_t mode = b->DrawMode();
    const bool translucent = b->DrawsTranslucent();
    const GFXPalette* pal = s->palette;
    if (translucent && pal != nullptr && pal->translucentLast - pal->translucentLevel == 1) {
        return;
    }
    if (mode == kBitmapTransparent ||
        (translucent && (pal == nullptr || pal->translucentLevel == 0))) {
        SpanStretchKey(shape, row, s->stride, a);
    } else if (translucent) {
        SpanStretchBlend(shape, row, s->stride, a, TranslucentBlock(pal, pal->translucentLevel));
    } else {
        SpanStretchCopy(shape, row, s->stride, a);
    }
}

void Reserved10(GFXSurface*, std::uint32_t, std::uint32_t, std::uint32_t) {}
void NoFrame(GFXSurface*) {}

// --------------------------------------------------------------------------------------------
// Polygons.

// A record the submission has just filled in, copied field by field, each read on its own: a
// wide load over the narrow stores still in flight (a whole-record copy) cannot be served from
// them, and the processor stalls until they drain.
template <auto... kFields, class Record>
void CopyFieldsAlone(const Record& from, Record* to) {
    auto copy = [&](auto field) {
        auto v = from.*field;
#if defined(__x86_64__) || defined(__i386__)
        asm("" : "+r"(v));
#endif
        to->*field = v;
    };
    (copy(kFields), ...);
}

void CopyVertex(const GFXPolyVertex& from, GFXPolyVertex* to) {
    using V = GFXPolyVertex;
    CopyFieldsAlone<&V::shade, &V::light, &V::r, &V::g, &V::b, &V::blendLevel>(from, to);
}

void CopyRequest(const GFXPolyRequest& from, GFXPolyRequest* to) {
    using Q = GFXPolyRequest;
    CopyFieldsAlone<&Q::points, &Q::texCoords, &Q::vertices, &Q::count, &Q::flags, &Q::colour,
                    &Q::texture, &Q::subpixelShift>(from, to);
}

struct Converted {
    GFXPolyRequest request;
    GFXPolyVertex vertices[kPolyMaxAttributedPoints];
    GFXPolyVertex* vertexPointers[kPolyMaxPoints] = {};
    GFXTexCoord tex[kPolyMaxAttributedPoints];
    const GFXTexCoord* texPointers[kPolyMaxPoints] = {};
};
Converted converted;

// The kind of face the terrain draws most: a textured, smoothly shaded triangle on an 8-bit
// surface, drawn by a copy of the polygon entry compiled for it.
constexpr std::uint32_t kTexturedSmooth = kPolyTextured | kPolySmooth;

// The polygon entry on a locked surface, with the request's flags already its mode. kCount and
// kMode, when not 0, are the request's count and mode.
template <std::int32_t kCount, std::uint32_t kMode>
[[gnu::always_inline]] inline void PolygonOnLocked(GFXSurface* s, GFXPolyRequest* q, bool region) {
    const std::uint32_t mode = kMode != 0 ? kMode : q->flags;
    const std::int32_t n = kCount != 0 ? kCount : q->count;
    if (n < 3 || n > kPolyMaxPoints || q->points == nullptr) return;
    for (std::int32_t i = 0; i < n; ++i) {
        if (q->points[i] == nullptr) return;
    }
    const bool subpixel = (mode & kPolySubpixel) != 0;
    const std::int32_t shift = subpixel ? q->subpixelShift : 0;
    if (shift < 0 || shift > 16) return;
    GFXRect clip;
    if (SurfaceClipBox(*s, &clip) == 0) return;

    if ((mode & kPolyOutline) != 0) {
        auto line = region ? DrawSegmentRegion : DrawSegment;
        for (std::int32_t i = 0; i < n; ++i) {
            const GFXScreenPoint& a = *q->points[i];
            const GFXScreenPoint& b = *q->points[(i + 1) % n];
            line(s, {a.x >> shift, a.y >> shift}, {b.x >> shift, b.y >> shift}, q->colour);
        }
        return;
    }

    const bool attributed =
        (mode & (kPolySmooth | kPolyTextured | kPolyLit | kPolyPixelLight)) != 0;
    if (attributed && n > kPolyMaxAttributedPoints) return;
    const bool needVertices =
        (mode & (kPolySmooth | kPolyFaceShade | kPolyLit | kPolyPixelLight | kPolyTranslucent)) !=
        0;
    if (needVertices) {
        if (q->vertices == nullptr) return;
        const std::int32_t need = (mode & (kPolySmooth | kPolyLit | kPolyPixelLight)) != 0 ? n : 1;
        for (std::int32_t i = 0; i < need; ++i) {
            if (q->vertices[i] == nullptr) return;
        }
    }
    const GFXClipBounds bounds = ScaledBounds(clip, shift);
    // A face that covers no pixel (a sliver between two scan lines, or wholly off the clip box)
    // is passed over before its colour tables and vertices are set up.
    const bool none = kCount == 3 && kMode == kTexturedSmooth
                          ? DrawsNoPixelOfWholePixelTriangle(*q, bounds)
                          : DrawsNoPixel(*q, bounds);
    if (none) return;
    SpanRasterState& st = theSpanState;
    const GFXPalette* pal = s->palette;
    const int index = FillSetupIndex(mode);
    const GFXPolyVertex* v0 = needVertices ? q->vertices[0] : nullptr;

    // Colour tables by mode.
    st.shadeShift = 8 + (pal != nullptr ? pal->shadeShift : 0);
    const std::int32_t levelBits =
        pal != nullptr && pal->shadeTable != nullptr ? pal->shadeBits : 0;
    st.shadeMask = ((1 << levelBits) - 1) << st.shadeShift;
    if ((mode & kPoly16Bit) != 0) {
        if (pal == nullptr || pal->colors16 == nullptr) return;
        st.colourWords = pal->colors16;
        st.shadeTable = IdentityShade();
        if ((mode & (kPolySmooth | kPolyFaceShade)) != 0) {
            if (pal->light16Red == nullptr) return;
            const std::int32_t rows = 1 << (pal->light16Bits + pal->haze16Bits);
            st.channelMaxLevel = std::min(rows - 1, 255);
            st.redTable = pal->light16Red;
            st.greenTable = pal->light16Green;
            st.blueTable = pal->light16Blue;
            if ((mode & kPolySmooth) == 0) {
                auto rowOf = [&](std::int32_t c) {
                    const std::int32_t r = std::clamp(c, 0, 65535) >> (16 - pal->light16Bits);
                    return static_cast<std::size_t>(std::min(r, st.channelMaxLevel)) * 256;
                };
                st.redTable += rowOf(v0->r);
                st.greenTable += rowOf(v0->g);
                st.blueTable += rowOf(v0->b);
            }
        }
        if ((mode & kPolyTranslucent) != 0) {
            if (pal->blend16 == nullptr || pal->code16 == nullptr) return;
            st.blendWords = pal->blend16;
            st.blendTable = pal->code16;
        }
    } else {
        std::uint64_t offset = 0;
        if ((mode & kPolyFaceShade) != 0 && (mode & kPolySmooth) == 0 && v0 != nullptr &&
            pal != nullptr) {
            const std::int64_t intensity = v0->r / 4 + v0->g / 2 + v0->b / 4;
            const auto scaled =
                static_cast<std::uint32_t>(intensity * ((std::int64_t{1} << pal->shadeShift) - 1));
            offset = ((scaled & 0xFFFF00FFu) >> 8) +
                     (static_cast<std::uint64_t>(pal->shadeLevel) << (pal->shadeShift + 8));
        } else if ((mode & (kPolySmooth | kPolyLit)) != 0 && pal != nullptr) {
            offset = static_cast<std::uint64_t>(pal->shadeLevel) << (pal->shadeShift + 8);
        }
        st.shadeTable = ShadeWindow(pal, offset);
        st.blendTable = OpaqueBlend();
        if ((index & 0x20) != 0)
            st.blendTable = TranslucentBlock(pal, v0 != nullptr ? v0->blendLevel : 0);
    }

    // Vertices converted for the rasterizer.
    Converted& c = converted;
    CopyRequest(*q, &c.request);
    if constexpr (kMode == kTexturedSmooth) {
        // Of this kind's vertices only the shade is read: the colour's intensity times the
        // ramp's rows less one, as for every smooth 8-bit face.
        const std::int64_t rows = std::int64_t{1} << (pal != nullptr ? pal->shadeShift : 0);
        for (std::int32_t i = 0; i < n; ++i) {
            const GFXPolyVertex& from = *q->vertices[i];
            GFXPolyVertex& v = c.vertices[i];
            v.shade = static_cast<std::int32_t>(
                UnitIntensity(from.r / 4 + from.g / 2 + from.b / 4) * (rows - 1));
            c.vertexPointers[i] = &v;
        }
        c.request.vertices = c.vertexPointers;
    } else if ((mode & (kPolySmooth | kPolyLit | kPolyPixelLight)) != 0) {
        for (std::int32_t i = 0; i < n; ++i) {
            GFXPolyVertex& v = c.vertices[i];
            CopyVertex(*q->vertices[i], &v);
            if ((mode & kPolySmooth) != 0) {
                // Full intensity (1.0) lands on the last row of the ramp, not on the first row
                // after it: the level is the intensity times (rows - 1).
                if ((mode & kPoly16Bit) == 0) {
                    const std::int64_t in = UnitIntensity(v.r / 4 + v.g / 2 + v.b / 4);
                    const std::int64_t rows = std::int64_t{1}
                                              << (pal != nullptr ? pal->shadeShift : 0);
                    v.shade = static_cast<std::int32_t>(in * (rows - 1));
                } else if (pal != nullptr) {
                    const std::int64_t levels = (std::int64_t{1} << pal->light16Bits) - 1;
                    v.r = static_cast<std::int32_t>(UnitIntensity(v.r) * levels);
                    v.g = static_cast<std::int32_t>(UnitIntensity(v.g) * levels);
                    v.b = static_cast<std::int32_t>(UnitIntensity(v.b) * levels);
                }
            }
            if ((mode & (kPolyLit | kPolyPixelLight)) != 0 && pal != nullptr) {
                const std::int32_t sh = pal->shadeBits + pal->shadeShift - 8;
                v.light = sh >= 0
                              ? static_cast<std::int32_t>(static_cast<std::int64_t>(v.light) << sh)
                              : v.light >> -sh;
            }
            c.vertexPointers[i] = &v;
        }
        c.request.vertices = c.vertexPointers;
    }
    st.texels = nullptr;
    if ((mode & kPolyTextured) != 0) {
        const GFXBitmap* t = q->texture;
        if (!BitmapReady(t) || q->texCoords == nullptr) return;
        st.texels = t->pixels;
        st.texStride = t->stride;
        st.texWidth = t->width;
        st.texHeight = std::abs(t->height);
        for (std::int32_t i = 0; i < n; ++i) {
            const GFXTexCoord* tc = q->texCoords[i];
            if (tc == nullptr) return;
            float w = 1.0f;
            if ((mode & kPolyPerspective) != 0) w = q->points[i]->w;
            c.tex[i].u = tc->u * 16777216.0f * w;
            c.tex[i].v = tc->v * 16777216.0f * w;
            c.texPointers[i] = &c.tex[i];
        }
        c.request.texCoords = c.texPointers;
    }

    st.rowPtr = s->pixels;
    st.pitch = s->stride;
    st.colour = q->colour;
    st.coverage = (s->flags & kSurfaceClipRegion) != 0 ? s->spanRegion : nullptr;
    const GFXClipBounds pixelBounds{clip.left, clip.top, clip.right + 1, clip.bottom + 1};
    if constexpr (kCount == 3 && kMode == kTexturedSmooth) {
        RasterizeTexturedSmoothTriangle(c.request, bounds, pixelBounds);
    } else if constexpr (kMode == kTexturedSmooth) {
        RasterizeTexturedSmoothPolygon(c.request, bounds, pixelBounds);
    } else {
        RasterizeRequest(c.request, bounds, pixelBounds);
    }
    st.coverage = nullptr;
}

void PolygonImpl(GFXSurface* s, GFXPolyRequest* q, bool region) {
    if (q == nullptr) return;
    GFXSurfaceLock lock(*s);
    if (!lock.Ok() || !PixelsReady(*s)) return;
    std::uint32_t mode = (q->flags | s->polyForceBits) & s->polyAllowBits;
    // The pixel size decides between the 8-bit and the 16-bit fillers, never the request.
    if (s->bitsPerPixel == 16) {
        mode |= kPoly16Bit;
    } else {
        mode &= ~kPoly16Bit;
    }
    q->flags = mode;
    if (q->count == 3 && mode == kTexturedSmooth) {
        PolygonOnLocked<3, kTexturedSmooth>(s, q, region);
    } else if (mode == kTexturedSmooth) {
        PolygonOnLocked<0, kTexturedSmooth>(s, q, region);
    } else {
        PolygonOnLocked<0, 0>(s, q, region);
    }
}

void DrawPolygon(GFXSurface* s, GFXPolyRequest* q) {
    PolygonImpl(s, q, false);
}
void DrawPolygonRegion(GFXSurface* s, GFXPolyRequest* q) {
    PolygonImpl(s, q, true);
}

void DrawPixelRegion(GFXSurface* s, GFXPoint p, std::uint32_t colour) {
    GFXSurfaceLock lock(*s);
    if (!lock.Ok() || !PixelsReady(*s)) return;
    if (p.x < 0 || p.y < 0 || p.x >= s->width || p.y >= s->height) return;
    if ((s->flags & kSurfaceClipRegion) != 0 && s->spanRegion != nullptr) {
        const CoverageList& l = *s->spanRegion;
        const std::int32_t row = p.y - l.firstRow;
        if (row < 0 || row >= l.rowCount) return;
        bool open = false;
        for (const CoverageNode* n = l.rowHeads[row]; n != nullptr && !open; n = n->next) {
            open = n->x0 <= p.x && p.x <= n->x1;
        }
        if (!open) return;
    }
    if (s->bitsPerPixel == 16) {
        bool ok;
        const std::uint32_t c = Colour16(*s, colour, &ok);
        if (ok) std::memcpy(PixelAt(*s, p.x, p.y), &c, 2);
        return;
    }
    *PixelAt(*s, p.x, p.y) = static_cast<std::uint8_t>(colour);
}

GFXDrawTable MakeSoftwareTable() {
    GFXDrawTable t{};
    t.Clear = Clear;
    t.DrawPixel = DrawPixel;
    t.DrawSegment = DrawSegment;
    t.DrawEllipse = DrawEllipse;
    t.FillEllipse = FillEllipse;
    t.DrawRectangle = DrawRectangle;
    t.FillRectangle = FillRectangle;
    t.DrawBitmap = SoftDrawBitmap;
    t.DrawBitmapPart = SoftDrawBitmapPart;
    t.DrawBitmapScaled = SoftDrawBitmapScaled;
    t.Reserved10 = Reserved10;
    t.DrawPolygon = DrawPolygon;
    t.DrawText = GFXFont::DrawString;
    t.DrawTextInRect = GFXFont::DrawStringInRect;
    t.BeginFrame = NoFrame;
    t.EndFrame = NoFrame;
    return t;
}

GFXDrawTable MakeRegionTable() {
    GFXDrawTable t = MakeSoftwareTable();
    t.DrawPixel = DrawPixelRegion;
    t.DrawSegment = DrawSegmentRegion;
    t.DrawEllipse = DrawEllipseRegion;
    t.FillEllipse = FillEllipseRegion;
    t.DrawRectangle = DrawRectangleRegion;
    t.DrawPolygon = DrawPolygonRegion;
    t.DrawBitmap = DrawBitmapRegion;
    t.DrawBitmapScaled = DrawBitmapScaledRegion;
    t.Reserved10 = nullptr;
    return t;
}

// ---------------------------------------------------------------------------------------------
// The software cursor overlay.

struct CursorOverlay {
    const GFXBitmap* bitmap = nullptr;
    GFXPoint hotSpot;
    GFXPoint requested;
    GFXPoint drawn;
    bool saved = false;
    std::int32_t saveWidth = 0, saveHeight = 0;
    std::vector<std::uint8_t> save;  // 8-bit pixels of the save area, row by row
    GFXRect savedRect;               // the part of the save area that lay on the surface
};
CursorOverlay theCursor;

}  // namespace

GFXDrawTable theSoftwareDrawTable = MakeSoftwareTable();
GFXDrawTable theDrawTableDD = MakeSoftwareTable();
GFXDrawTable theRegionDrawTable = MakeRegionTable();
GFXDrawTable theDrawTableD3D{};

void SetCursorSaveSize(std::int32_t width, std::int32_t height) {
    FreeCursorSave();
    if (width <= 0 || height <= 0 || width > 4096 || height > 4096) return;
    theCursor.saveWidth = width;
    theCursor.saveHeight = height;
    theCursor.save.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
}

void FreeCursorSave() {
    theCursor.save.clear();
    theCursor.save.shrink_to_fit();
    theCursor.saveWidth = theCursor.saveHeight = 0;
    theCursor.saved = false;
}

void SetCursorBitmap(const GFXBitmap* bitmap, GFXPoint hotSpot) {
    theCursor.bitmap = bitmap;
    theCursor.hotSpot = hotSpot;
}

void SetCursorPosition(GFXPoint p) {
    theCursor.requested = p;
}

void DrawCursor(GFXSurface* surface) {
    CursorOverlay& c = theCursor;
    if (c.bitmap == nullptr || surface == nullptr || c.save.empty()) {
        c.saved = false;
        return;
    }
    c.drawn = c.requested;
    const GFXPoint at{c.drawn.x - c.hotSpot.x, c.drawn.y - c.hotSpot.y};
    {
        GFXSurfaceLock lock(*surface);
        if (!lock.Ok() || surface->pixels == nullptr || surface->bitsPerPixel != 8) {
            c.saved = false;
            return;
        }
        // Only the part of the save area that lies on the surface is kept and put back.
        const GFXRect r{std::max(at.x, 0), std::max(at.y, 0),
                        std::min(at.x + c.saveWidth, surface->width) - 1,
                        std::min(at.y + c.saveHeight, surface->height) - 1};
        c.savedRect = r;
        c.saved = true;
        for (std::int32_t y = r.top; y <= r.bottom; ++y) {
            if (r.left > r.right) break;
            std::memcpy(&c.save[static_cast<std::size_t>(y - at.y) * c.saveWidth + (r.left - at.x)],
                        PixelAt(*surface, r.left, y),
                        static_cast<std::size_t>(r.right - r.left + 1));
        }
    }
    const GFXDrawTable* table = surface->GetDrawTable();
    if (table != nullptr && table->DrawBitmapPart != nullptr) {
        const std::int32_t w = std::min(c.bitmap->width, c.saveWidth);
        const std::int32_t h = std::min(std::abs(c.bitmap->height), c.saveHeight);
        const std::uint32_t saved = surface->flags;
        surface->flags |= kSurfaceClipRect;
        const GFXRect savedClip = surface->clipRect;
        surface->clipRect = {0, 0, surface->width - 1, surface->height - 1};
        table->DrawBitmapPart(surface, c.bitmap, {0, 0, w - 1, h - 1}, at, 0);
        surface->clipRect = savedClip;
        surface->flags = saved;
    }
}

void RestoreUnderCursor(GFXSurface* surface) {
    CursorOverlay& c = theCursor;
    if (!c.saved || surface == nullptr) return;
    c.saved = false;
    GFXSurfaceLock lock(*surface);
    if (!lock.Ok() || surface->pixels == nullptr || surface->bitsPerPixel != 8) return;
    const GFXPoint at{c.drawn.x - c.hotSpot.x, c.drawn.y - c.hotSpot.y};
    // The save area was taken from the surface the cursor was drawn on; the one it goes back to
    // may be smaller (a surface recreated in between), so it is clipped again here.
    const GFXRect r{c.savedRect.left, c.savedRect.top,
                    std::min(c.savedRect.right, surface->width - 1),
                    std::min(c.savedRect.bottom, surface->height - 1)};
    for (std::int32_t y = r.top; y <= r.bottom; ++y) {
        if (r.left > r.right) break;
        std::memcpy(PixelAt(*surface, r.left, y),
                    &c.save[static_cast<std::size_t>(y - at.y) * c.saveWidth + (r.left - at.x)],
                    static_cast<std::size_t>(r.right - r.left + 1));
    }
}

}  // namespace gfx
