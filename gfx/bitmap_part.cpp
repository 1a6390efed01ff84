#include "gfx/bitmap_part.h"

#include <algorithm>
#include <cstdlib>

#include "gfx/bitmap_draw.h"

namespace gfx {

namespace {

// The plain table's part entry for the commonest case, a part of an opaque or keyed 8-bit bitmap
// (already held inside it) lying wholly inside the clip box: the same rectangle and pixels,
// straight to the copy loops. False, drawing nothing, in every other case.
bool DrawPlainPart(GFXSurface* s, const GFXBitmap* b, const GFXRect& source, GFXPoint at) {
    if (b->bitsPerPixel != 8 || s->bitsPerPixel != 8 || b->DrawsTranslucent()) return false;
    const std::int32_t w = source.right - source.left + 1;
    const std::int32_t h = source.bottom - source.top + 1;
    const std::int64_t right = static_cast<std::int64_t>(at.x) + w - 1;
    const std::int64_t bottom = static_cast<std::int64_t>(at.y) + h - 1;
    GFXSurfaceLock lock(*s);
    BlitTarget t;
    if (!lock.Ok() || !PrepareBlitTarget(*s, &t) || at.x < t.clip.left || at.y < t.clip.top ||
        right > t.clip.right || bottom > t.clip.bottom)
        return false;
    s->drawnRect = {at.x, at.y, static_cast<std::int32_t>(right),
                    static_cast<std::int32_t>(bottom)};
    BlitBitmapRect(t, *b, {source.left, source.top}, w, h, at);
    return true;
}

}  // namespace

bool DrawBitmapPartInside(GFXSurface* surface, const GFXDrawTable* table, const GFXBitmap* bitmap,
                          GFXRect source, GFXPoint at) {
    if (surface == nullptr || table == nullptr || table->DrawBitmapPart == nullptr ||
        bitmap == nullptr || bitmap->pixels == nullptr)
        return false;
    if (source.left < 0) {
        at.x -= source.left;
        source.left = 0;
    }
    if (source.top < 0) {
        at.y -= source.top;
        source.top = 0;
    }
    source.right = std::min(source.right, bitmap->width - 1);
    source.bottom = std::min(source.bottom, std::abs(bitmap->height) - 1);
    if (source.right < source.left || source.bottom < source.top) return false;
    if (table->DrawBitmapPart == &SoftDrawBitmapPart && DrawPlainPart(surface, bitmap, source, at))
        return true;
    table->DrawBitmapPart(surface, bitmap, source, at, 0);
    return true;
}

}  // namespace gfx
