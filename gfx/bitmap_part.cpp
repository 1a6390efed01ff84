#include "gfx/bitmap_part.h"

#include <algorithm>
#include <cstdlib>

namespace gfx {

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
    table->DrawBitmapPart(surface, bitmap, source, at, 0);
    return true;
}

}  // namespace gfx
