// A surface that draws into a rectangle of another surface, its parent: locking it yields the
// parent's pixels offset to the rectangle's corner with the parent's stride, so every drawing
// routine works on it unchanged. The bordered window mode draws through one over the centre of
// a larger surface, so that drawing that runs past the picture lands in the border.
#pragma once

#include <cstdint>
#include <memory>

#include "gfx/surface.h"

namespace gfx {

class GFXSubSurface : public GFXSurface {
public:
    GFXSubSurface();
    ~GFXSubSurface() override;

    // rect is {left, top, right, bottom} with right and bottom exclusive. The rectangle must be
    // non-empty and lie inside the parent; otherwise the answer is null.
    [[nodiscard]] static std::unique_ptr<GFXSubSurface> Create(GFXSurface* parent,
                                                               const GFXRect& rect);
    void SetParent(GFXSurface* newParent);
    // Moves and resizes the view (right and bottom exclusive); the clip rectangle is cut to the
    // new size. 0, and nothing changed, when the rectangle does not fit the parent.
    int SetRect(const GFXRect& rect);

    [[nodiscard]] GFXSurface* GetParent() const { return parent; }

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
    void Blit(GFXSurface* source, const GFXRect& sourceRect, GFXPoint dest) override;

    std::int32_t originX = 0;
    std::int32_t originY = 0;

private:
    [[nodiscard]] bool Fits(const GFXRect& rect) const;

    GFXSurface* parent = nullptr;  // not owned
};

}  // namespace gfx
