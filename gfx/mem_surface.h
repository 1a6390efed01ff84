// The off-screen surface: a GFXSurface over a GFXBitmap in ordinary memory. It lets every draw
// entry draw into a bitmap (off-screen pictures, the GPS window's picture, the cursor's save
// area) and lets bitmaps be blitted onto other surfaces. Locking only exposes the bitmap's
// pixels; the palette operations store or copy palette entries.
#pragma once

#include <cstdint>
#include <memory>

#include "gfx/bitmap.h"
#include "gfx/surface.h"

namespace gfx {

class GFXMemSurface : public GFXSurface {
public:
    GFXMemSurface();
    ~GFXMemSurface() override;

    // A surface over an existing bitmap (not owned); null when the bitmap is missing.
    [[nodiscard]] static std::unique_ptr<GFXMemSurface> CreateForBitmap(GFXBitmap* bitmap);
    // A surface over a new bitmap of its own; null when the bitmap cannot be made.
    [[nodiscard]] static std::unique_ptr<GFXMemSurface> Create(std::int32_t width,
                                                               std::int32_t height,
                                                               std::int32_t bitsPerPixel);

    [[nodiscard]] GFXBitmap* GetBitmap() const { return bitmap; }
    // Deletes the current bitmap when owned, then draws into `newBitmap` (not owned).
    void SetBitmap(GFXBitmap* newBitmap);
    // The one draw table of every memory surface; answers the previous one.
    static const GFXDrawTable* SetDrawTable(const GFXDrawTable* table);

    void SetPalette(GFXPalette* newPalette, std::int32_t first, std::int32_t count,
                    std::uint32_t unused = 0) override;
    void SetPaletteDeferred(GFXPalette* newPalette, std::int32_t first, std::int32_t count,
                            std::uint32_t unused = 0) override;
    int Lock() override;
    void Unlock() override;
    GFXDeviceContext GetDC() override { return nullptr; }
    void ReleaseDC() override {}
    [[nodiscard]] const GFXDrawTable* GetDrawTable() override;
    int GetPixelFormat(GFXPixelFormat* out) override;
    void Flip() override {}
    void Present(const GFXRect* /*rect*/) override {}
    // Copies a rectangle of `source` here, every pixel (index 0 included), clipped to this
    // surface (and its clipRect when the clip flag is set).
    void Blit(GFXSurface* source, const GFXRect& sourceRect, GFXPoint dest) override;

private:
    void UseBitmap(GFXBitmap* b);

    GFXBitmap* bitmap = nullptr;
    std::unique_ptr<GFXBitmap> ownedBitmap;  // set when the surface owns its bitmap
};

extern const GFXDrawTable* theMemSurfaceDrawTable;

}  // namespace gfx
