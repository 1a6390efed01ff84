// The bitmap entries of the clip-rectangle draw table: a whole bitmap, a part of one, or a
// scaled one put onto a surface in the bitmap's drawing mode (opaque, transparent or
// translucent through the surface palette), mirrored on request. Each entry records the
// primitive's rectangle in the surface's drawnRect, clips the source to the bitmap and the
// destination to the surface (and to clipRect when the surface's clip flag is set), and hands
// the rows to the copy loops. The entries take their own lock bracket, so they work inside or
// outside one.
#pragma once

#include <algorithm>
#include <cstdint>

#include "gfx/bitmap.h"
#include "gfx/raster/blit_loops.h"
#include "gfx/surface.h"

namespace gfx {

// Mirror flags (as the draw table's): bit 0 left to right, bit 1 top to bottom.
void SoftDrawBitmap(GFXSurface* surface, const GFXBitmap* bitmap, GFXPoint at,
                    std::uint32_t mirror);
void SoftDrawBitmapPart(GFXSurface* surface, const GFXBitmap* bitmap, const GFXRect& source,
                        GFXPoint at, std::uint32_t mirror);
void SoftDrawBitmapScaled(GFXSurface* surface, const GFXBitmap* bitmap, GFXPoint at, GFXSize size,
                          std::uint32_t mirror);

// A locked 8-bit surface's pixels and clip box, read once for a run of small blits (a text's
// glyphs, a gauge's pieces): each blit then costs its clipping and its rows, not the surface's
// look-ups. Valid while the caller holds the lock and leaves the clip alone.
struct BlitTarget {
    GFXSurface* surface = nullptr;
    std::uint8_t* pixels = nullptr;
    std::int32_t stride = 0;
    GFXRect clip{};
};

// The whole of an 8-bit bitmap, unmirrored, with its top-left corner at `at`, in its drawing mode
// (the same pixels as SoftDrawBitmap). The surface's drawnRect is left alone.
void BlitBitmap(const BlitTarget& target, const GFXBitmap& bitmap, GFXPoint at);

// `w` x `h` pixels of an opaque or keyed 8-bit bitmap from `from` to `to` on the target, all of
// them inside both, through the copy loops in the bitmap's mode.
inline void BlitBitmapRect(const BlitTarget& t, const GFXBitmap& b, GFXPoint from, std::int32_t w,
                           std::int32_t h, GFXPoint to) {
    const std::uint8_t* sp = b.pixels + static_cast<std::ptrdiff_t>(from.y) * b.stride + from.x;
    std::uint8_t* dp = t.pixels + static_cast<std::ptrdiff_t>(to.y) * t.stride + to.x;
    if (b.DrawMode() == kBitmapTransparent)
        BlitKey(dp, sp, w, h, b.stride - w, t.stride - w, 0);
    else
        BlitCopy(dp, sp, w, h, b.stride - w, t.stride - w, 0);
}

// Copies `sourceRect` of a locked `source` to `at` on `target`, every pixel (drawing mode 0) and
// without the span region, through the target's draw table when it has the entry.
void DrawSurfacePart(GFXSurface* target, const GFXSurface& source, const GFXRect& sourceRect,
                     GFXPoint at);

// The rectangle every primitive on `surface` is held to: its own bounds, and clipRect as well
// when the clip flag is set. Answers 0 when nothing of the surface is left. Inline, as is
// PrepareBlitTarget: every draw asks, and a call each cost more than the work.
inline int SurfaceClipBox(const GFXSurface& s, GFXRect* out) {
    GFXRect c{0, 0, s.width - 1, s.height - 1};
    if (s.flags & kSurfaceClipRect) {
        c.left = std::max(c.left, s.clipRect.left);
        c.top = std::max(c.top, s.clipRect.top);
        c.right = std::min(c.right, s.clipRect.right);
        c.bottom = std::min(c.bottom, s.clipRect.bottom);
    }
    *out = c;
    return (c.left <= c.right && c.top <= c.bottom) ? 1 : 0;
}

// For a surface whose lock the caller holds (and got). False when its pixels are not 8 bits or
// nothing of it is left inside the clip box: the caller then draws through the table.
inline bool PrepareBlitTarget(GFXSurface& s, BlitTarget* out) {
    if (s.pixels == nullptr || s.bitsPerPixel != 8) return false;
    out->surface = &s;
    out->pixels = s.pixels;
    out->stride = s.stride;
    return SurfaceClipBox(s, &out->clip) != 0;
}

}  // namespace gfx
