#include "gfx/mem_surface.h"

#include <algorithm>
#include <cstdlib>

#include "gfx/bitmap_draw.h"
#include "gfx/draw_table.h"
#include "gfx/palette.h"

namespace gfx {

const GFXDrawTable* theMemSurfaceDrawTable = nullptr;

GFXMemSurface::GFXMemSurface() {
    kind = kSurfaceKindMemory;
}

GFXMemSurface::~GFXMemSurface() = default;

void GFXMemSurface::UseBitmap(GFXBitmap* b) {
    bitmap = b;
    width = b != nullptr ? b->width : 0;
    height = b != nullptr ? std::abs(b->height) : 0;
    bitsPerPixel = b != nullptr ? b->bitsPerPixel : 0;
    clipRect = {0, 0, width - 1, height - 1};
}

std::unique_ptr<GFXMemSurface> GFXMemSurface::CreateForBitmap(GFXBitmap* b) {
    if (b == nullptr) return nullptr;
    auto s = std::make_unique<GFXMemSurface>();
    s->UseBitmap(b);
    s->displayed = 0;
    return s;
}

std::unique_ptr<GFXMemSurface> GFXMemSurface::Create(std::int32_t w, std::int32_t h,
                                                     std::int32_t bpp) {
    std::unique_ptr<GFXBitmap> b = GFXBitmap::Create(w, h, bpp);
    if (!b) return nullptr;
    auto s = CreateForBitmap(b.get());
    s->ownedBitmap = std::move(b);
    return s;
}

void GFXMemSurface::SetBitmap(GFXBitmap* newBitmap) {
    ownedBitmap.reset();
    UseBitmap(newBitmap);
}

const GFXDrawTable* GFXMemSurface::SetDrawTable(const GFXDrawTable* table) {
    const GFXDrawTable* old = theMemSurfaceDrawTable;
    theMemSurfaceDrawTable = table;
    return old;
}

void GFXMemSurface::SetPalette(GFXPalette* newPalette, std::int32_t first, std::int32_t count,
                               std::uint32_t /*unused*/) {
    StorePalette(newPalette, first, count);
}

void GFXMemSurface::SetPaletteDeferred(GFXPalette* newPalette, std::int32_t first,
                                       std::int32_t count, std::uint32_t unused) {
    SetPalette(newPalette, first, count, unused);
}

int GFXMemSurface::Lock() {
    if (bitmap == nullptr || bitmap->pixels == nullptr) return 0;
    pixels = bitmap->pixels;
    stride = bitmap->stride;
    return 1;
}

void GFXMemSurface::Unlock() {
    pixels = nullptr;
    stride = 0;
}

const GFXDrawTable* GFXMemSurface::GetDrawTable() {
    return theMemSurfaceDrawTable;
}

int GFXMemSurface::GetPixelFormat(GFXPixelFormat* /*out*/) {
    return 0;
}

void GFXMemSurface::Blit(GFXSurface* source, const GFXRect& sourceRect, GFXPoint dest) {
    if (source == nullptr) return;
    GFXSurfaceLock sourceLock(*source);
    if (!sourceLock.Ok() || source->pixels == nullptr) return;
    DrawSurfacePart(this, *source, sourceRect, dest);
}

}  // namespace gfx
