#include "gfx/bitmap_draw.h"

#include <algorithm>
#include <cstdlib>

#include "gfx/draw_table.h"
#include "gfx/palette.h"
#include "gfx/raster/blit_loops.h"

namespace gfx {

namespace {

constexpr std::uint32_t kFlipX = 0x01;
constexpr std::uint32_t kFlipY = 0x02;

enum class Treatment { kNone, kOpaque, kKey, kTranslucent };

// How a bitmap of drawing mode `mode` goes onto `surface`; `rows` receives the translucency rows.
Treatment ChooseTreatment(const GFXSurface& surface, std::uint32_t mode, GFXTranslucentRows* rows) {
    if (mode == kBitmapTransparent) return Treatment::kKey;
    if (mode != 4 && mode != 5) return Treatment::kOpaque;
    const GFXPalette* p = surface.palette;
    if (p == nullptr || surface.bitsPerPixel != 8) return Treatment::kKey;
    if (p->translucentLast - p->translucentLevel == 1) return Treatment::kNone;
    if (p->translucentLevel == 0 || p->translucentTable == nullptr) return Treatment::kKey;
    // One level's rows must lie inside the table; a level beyond it draws transparent.
    const std::int64_t level = p->translucentLevel;
    const std::int64_t levels = p->translucentLevels;
    if (level < 1 || levels < 1 || level * levels * 256 > p->TranslucentTableSize())
        return Treatment::kKey;
    rows->rows = p->translucentTable + (level - 1) * levels * 256;
    rows->first = p->translucentFirst;
    rows->levels = p->translucentLevels;
    return Treatment::kTranslucent;
}

// Whole and carried steps of the DDA after k destination pixels of S over D.
std::int64_t DdaPosition(std::int64_t k, std::int32_t s, std::int32_t d) {
    const std::int64_t whole = s / d;
    const std::uint64_t frac =
        (static_cast<std::uint64_t>(s % d) << 32) / static_cast<std::uint64_t>(d);
    return k * whole + static_cast<std::int64_t>((static_cast<std::uint64_t>(k) * frac) >> 32);
}

}  // namespace

void BlitBitmap(const BlitTarget& t, const GFXBitmap& b, GFXPoint at) {
    if (b.pixels == nullptr || b.bitsPerPixel != 8) return;
    if (b.DrawsTranslucent()) {
        // Translucency goes through the palette's rows.
        SoftDrawBitmapPart(t.surface, &b, {0, 0, b.width - 1, std::abs(b.height) - 1}, at, 0);
        return;
    }
    // The destination clipped to the box, computed wide so that no corner wraps.
    const std::int64_t right = static_cast<std::int64_t>(at.x) + b.width - 1;
    const std::int64_t bottom = static_cast<std::int64_t>(at.y) + std::abs(b.height) - 1;
    const std::int32_t left = std::max(at.x, t.clip.left);
    const std::int32_t top = std::max(at.y, t.clip.top);
    const auto r = static_cast<std::int32_t>(std::min<std::int64_t>(right, t.clip.right));
    const auto btm = static_cast<std::int32_t>(std::min<std::int64_t>(bottom, t.clip.bottom));
    if (left > r || top > btm) return;
    BlitBitmapRect(t, b, {left - at.x, top - at.y}, r - left + 1, btm - top + 1, {left, top});
}

void SoftDrawBitmap(GFXSurface* s, const GFXBitmap* b, GFXPoint at, std::uint32_t mirror) {
    if (b == nullptr) return;
    if (mirror != 0 || s == nullptr || b->pixels == nullptr || b->bitsPerPixel != 8 ||
        s->bitsPerPixel != 8) {
        SoftDrawBitmapPart(s, b, {0, 0, b->width - 1, std::abs(b->height) - 1}, at, mirror);
        return;
    }
    // An unmirrored bitmap on 8 bits, the commonest draw of all (a glyph, a needle, a switch):
    // the same rectangle and pixels as the part's entry, without its general clipping.
    const std::int64_t right = static_cast<std::int64_t>(at.x) + b->width - 1;
    const std::int64_t bottom = static_cast<std::int64_t>(at.y) + std::abs(b->height) - 1;
    if (right > INT32_MAX || bottom > INT32_MAX || right < INT32_MIN || bottom < INT32_MIN) return;
    s->drawnRect = {at.x, at.y, static_cast<std::int32_t>(right),
                    static_cast<std::int32_t>(bottom)};
    GFXSurfaceLock lock(*s);
    BlitTarget target;
    if (lock.Ok() && PrepareBlitTarget(*s, &target)) BlitBitmap(target, *b, at);
}

void SoftDrawBitmapPart(GFXSurface* s, const GFXBitmap* b, const GFXRect& source, GFXPoint at,
                        std::uint32_t mirror) {
    if (s == nullptr || b == nullptr || b->pixels == nullptr || b->bitsPerPixel != 8) return;
    // The source's edges are read one by one into registers: callers have just written them
    // so, and a read of the whole rectangle at once would wait for those writes.
    std::int32_t sl = source.left, st = source.top, sr = source.right, sb = source.bottom;
    // The rectangle is computed wide so that wild arguments are refused, not wrapped.
    const std::int64_t right = static_cast<std::int64_t>(at.x) + sr - sl;
    const std::int64_t bottom = static_cast<std::int64_t>(at.y) + sb - st;
    if (right > INT32_MAX || bottom > INT32_MAX || right < INT32_MIN || bottom < INT32_MIN) return;
    GFXRect dst{at.x, at.y, static_cast<std::int32_t>(right), static_cast<std::int32_t>(bottom)};
    s->drawnRect = dst;
    GFXSurfaceLock lock(*s);
    if (!lock.Ok() || s->pixels == nullptr) return;
    GFXRect clip;
    if (!SurfaceClipBox(*s, &clip)) return;
    const std::int32_t bh = std::abs(b->height);
    // Most parts lie inside both the bitmap and the clip box, and need no clipping.
    const bool inside = sl >= 0 && st >= 0 && sr < b->width && sb < bh && dst.left >= clip.left &&
                        dst.top >= clip.top && dst.right <= clip.right && dst.bottom <= clip.bottom;
    if (!inside) {
        GFXRect cut = source;
        if (!ClipBlitToBitmap(&cut, {0, 0, b->width - 1, bh - 1}, &dst, clip)) return;
        sl = cut.left, st = cut.top, sr = cut.right, sb = cut.bottom;
    }
    if (dst.left > dst.right || dst.top > dst.bottom) return;
    const GFXRect src{sl, st, sr, sb};

    const std::int32_t w = src.right - src.left + 1;
    const std::int32_t h = src.bottom - src.top + 1;
    const std::int32_t sx = (mirror & kFlipX) ? b->width - 1 - src.left : src.left;
    const std::int32_t sy = (mirror & kFlipY) ? bh - 1 - src.top : src.top;
    const std::uint8_t* sp = b->pixels + static_cast<std::ptrdiff_t>(sy) * b->stride + sx;
    std::int32_t srcAdv = 0;
    switch (mirror & 3) {
        case 0:
            srcAdv = b->stride - w;
            break;
        case 1:
            srcAdv = b->stride + w;
            break;
        case 2:
            srcAdv = -(b->stride + w);
            break;
        default:
            srcAdv = w - b->stride;
            break;
    }
    const std::uint32_t loopFlags = (mirror & kFlipX) ? kBlitMirror : 0;
    const std::int32_t bytes = s->bitsPerPixel / 8;
    std::uint8_t* dp = s->pixels + static_cast<std::ptrdiff_t>(dst.top) * s->stride +
                       static_cast<std::ptrdiff_t>(dst.left) * bytes;
    const std::int32_t dstAdv = s->stride - w * bytes;

    GFXTranslucentRows rows;
    const Treatment t = ChooseTreatment(*s, b->DrawMode(), &rows);
    if (t == Treatment::kNone) return;
    if (s->bitsPerPixel == 16) {
        // 16-bit surfaces show palette indices through the palette's 16-bit colour words.
        if (s->palette == nullptr || s->palette->colors16 == nullptr) return;
        if (t == Treatment::kOpaque) {
            BlitCopy16(dp, sp, w, h, srcAdv, dstAdv, loopFlags, s->palette->colors16);
        } else {
            BlitKey16(dp, sp, w, h, srcAdv, dstAdv, loopFlags, s->palette->colors16);
        }
        return;
    }
    if (s->bitsPerPixel != 8) return;
    switch (t) {
        case Treatment::kOpaque:
            BlitCopy(dp, sp, w, h, srcAdv, dstAdv, loopFlags);
            break;
        case Treatment::kKey:
            BlitKey(dp, sp, w, h, srcAdv, dstAdv, loopFlags);
            break;
        case Treatment::kTranslucent:
            BlitTranslucent(dp, sp, w, h, srcAdv, dstAdv, loopFlags, rows);
            break;
        case Treatment::kNone:
            break;
    }
}

void SoftDrawBitmapScaled(GFXSurface* s, const GFXBitmap* b, GFXPoint at, GFXSize size,
                          std::uint32_t mirror) {
    if (s == nullptr || b == nullptr || b->pixels == nullptr || b->bitsPerPixel != 8) return;
    if (size.w <= 0 || size.h <= 0 || b->width <= 0 || b->height == 0) return;
    const std::int64_t right = static_cast<std::int64_t>(at.x) + size.w - 1;
    const std::int64_t bottom = static_cast<std::int64_t>(at.y) + size.h - 1;
    if (right > INT32_MAX || bottom > INT32_MAX) return;
    s->drawnRect = {at.x, at.y, static_cast<std::int32_t>(right),
                    static_cast<std::int32_t>(bottom)};
    GFXSurfaceLock lock(*s);
    if (!lock.Ok() || s->pixels == nullptr || s->bitsPerPixel != 8) return;
    GFXRect clip;
    if (!SurfaceClipBox(*s, &clip)) return;
    GFXRect v = s->drawnRect;
    v.left = std::max(v.left, clip.left);
    v.top = std::max(v.top, clip.top);
    v.right = std::min(v.right, clip.right);
    v.bottom = std::min(v.bottom, clip.bottom);
    if (v.left > v.right || v.top > v.bottom) return;

    // The source is walked forward from the pixel shown first; a mirrored axis is drawn from
    // its far end backwards instead, so both directions share one analysis.
    const std::int32_t srcW = b->width;
    const std::int32_t srcH = std::abs(b->height);
    const std::int64_t skipX = (mirror & kFlipX) ? right - v.right : v.left - at.x;
    const std::int64_t skipY = (mirror & kFlipY) ? bottom - v.bottom : v.top - at.y;
    const std::int64_t col = DdaPosition(skipX, srcW, size.w);
    const std::int64_t row = DdaPosition(skipY, srcH, size.h);
    if (col >= srcW || row >= srcH) return;

    GFXStretchArgs a;
    a.src = b->pixels + row * b->stride + col;
    a.srcStride = b->stride;
    a.srcWidth = srcW;
    a.srcHeight = srcH;
    a.fullWidth = size.w;
    a.fullHeight = size.h;
    a.skipCols = static_cast<std::int32_t>(skipX);
    a.skipRows = static_cast<std::int32_t>(skipY);
    a.drawnWidth = v.right - v.left + 1;
    a.drawnHeight = v.bottom - v.top + 1;
    a.mirror = (mirror & kFlipX) != 0;
    const std::int32_t dstRow = (mirror & kFlipY) ? v.bottom : v.top;
    const std::int32_t dstCol = (mirror & kFlipX) ? v.right : v.left;
    a.dst = s->pixels + static_cast<std::ptrdiff_t>(dstRow) * s->stride + dstCol;
    const std::int32_t rowStep = (mirror & kFlipY) ? -s->stride : s->stride;
    a.dstAdvance = a.mirror ? rowStep + a.drawnWidth : rowStep - a.drawnWidth;

    GFXTranslucentRows rows;
    switch (ChooseTreatment(*s, b->DrawMode(), &rows)) {
        case Treatment::kOpaque:
            StretchCopy(a);
            break;
        case Treatment::kKey:
            StretchKey(a);
            break;
        case Treatment::kTranslucent:
            StretchTranslucent(a, rows);
            break;
        case Treatment::kNone:
            break;
    }
}

void DrawSurfacePart(GFXSurface* target, const GFXSurface& source, const GFXRect& sourceRect,
                     GFXPoint at) {
    // The source's pixels as a borrowed bitmap of drawing mode 0, so that every pixel is
    // copied; the span region plays no part in a blit.
    GFXBitmap view;
    view.width = source.width;
    view.height = source.height;
    view.stride = source.stride;
    view.bitsPerPixel = source.bitsPerPixel;
    view.size = source.stride * source.height;
    view.pixels = source.pixels;
    view.detailCount = 1;
    view.detail[0] = source.pixels;
    const std::uint32_t saved = target->flags;
    target->flags &= ~kSurfaceClipRegion;
    const GFXDrawTable* table = target->GetDrawTable();
    if (table != nullptr && table->DrawBitmapPart != nullptr) {
        table->DrawBitmapPart(target, &view, sourceRect, at, 0);
    } else {
        SoftDrawBitmapPart(target, &view, sourceRect, at, 0);  // before any table is installed
    }
    target->flags = saved;
    view.pixels = nullptr;
    view.detail[0] = nullptr;
}

}  // namespace gfx
