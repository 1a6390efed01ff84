#include "gfx/sub_surface.h"

#include <algorithm>

namespace gfx {

GFXSubSurface::GFXSubSurface() {
    kind = kSurfaceKindSub;
    displayed = 0;
}

GFXSubSurface::~GFXSubSurface() = default;

bool GFXSubSurface::Fits(const GFXRect& r) const {
    if (parent == nullptr) return false;
    return r.left >= 0 && r.top >= 0 && r.left < r.right && r.top < r.bottom &&
           r.right <= parent->width && r.bottom <= parent->height;
}

std::unique_ptr<GFXSubSurface> GFXSubSurface::Create(GFXSurface* parent, const GFXRect& rect) {
    auto s = std::make_unique<GFXSubSurface>();
    s->SetParent(parent);
    if (!s->Fits(rect)) return nullptr;
    s->originX = rect.left;
    s->originY = rect.top;
    s->width = rect.right - rect.left;
    s->height = rect.bottom - rect.top;
    s->clipRect = {0, 0, s->width - 1, s->height - 1};
    return s;
}

void GFXSubSurface::SetParent(GFXSurface* newParent) {
    parent = newParent;
    bitsPerPixel = parent != nullptr ? parent->bitsPerPixel : 0;
}

int GFXSubSurface::SetRect(const GFXRect& rect) {
    if (!Fits(rect)) return 0;
    originX = rect.left;
    originY = rect.top;
    width = rect.right - rect.left;
    height = rect.bottom - rect.top;
    // The clip rectangle is intersected with the new size: a clip wholly outside it leaves an
    // empty rectangle (nothing drawn), not a strip along the new edge.
    clipRect.left = std::max(clipRect.left, 0);
    clipRect.top = std::max(clipRect.top, 0);
    clipRect.right = std::min(clipRect.right, width - 1);
    clipRect.bottom = std::min(clipRect.bottom, height - 1);
    return 1;
}

void GFXSubSurface::SetPalette(GFXPalette* newPalette, std::int32_t first, std::int32_t count,
                               std::uint32_t /*unused*/) {
    // Nothing reaches a device: the display set-up gives the parent its palette itself.
    StorePalette(newPalette, first, count);
}

void GFXSubSurface::SetPaletteDeferred(GFXPalette* newPalette, std::int32_t first,
                                       std::int32_t count, std::uint32_t unused) {
    SetPalette(newPalette, first, count, unused);
}

int GFXSubSurface::Lock() {
    if (parent == nullptr) return 0;
    const int ok = parent->AcquireLock();
    if (!ok || parent->pixels == nullptr) {
        pixels = nullptr;
        stride = 0;
        return 0;
    }
    stride = parent->stride;
    pixels = parent->pixels + static_cast<std::ptrdiff_t>(originY) * stride +
             static_cast<std::ptrdiff_t>(originX) * (parent->bitsPerPixel >> 3);
    return 1;
}

void GFXSubSurface::Unlock() {
    pixels = nullptr;
    stride = 0;
    if (parent != nullptr) parent->ReleaseLock();
}

const GFXDrawTable* GFXSubSurface::GetDrawTable() {
    return parent != nullptr ? parent->GetDrawTable() : nullptr;
}

int GFXSubSurface::GetPixelFormat(GFXPixelFormat* out) {
    return parent != nullptr ? parent->GetPixelFormat(out) : 0;
}

void GFXSubSurface::Blit(GFXSurface* source, const GFXRect& sourceRect, GFXPoint dest) {
    if (parent != nullptr) parent->Blit(source, sourceRect, {dest.x + originX, dest.y + originY});
}

}  // namespace gfx
