// Full-screen display through the full-screen device: the binding (one device object for the
// program, exclusive full-screen cooperation, the display mode) and GFXDDSurface, the surface
// over a device surface: the primary with its back buffers (the flip chain), or a single
// surface. Palettes go to a device palette in step with the vertical blank, locks restore lost
// surfaces, presenting flips pages or copies a DIB back buffer through GDI, and blits fall back
// to the software copy when the device refuses.
#pragma once

#include <cstdint>

#include "gfx/surface.h"
#include "win/ddraw.h"

namespace gfx {

// Binding state.
extern const win::DirectDrawLibrary* theDDrawModule;
extern win::DirectDraw* theDirectDraw;
extern win::HWND theDDrawWindow;
extern std::int32_t theDDrawWidth;
extern std::int32_t theDDrawHeight;
extern std::int32_t theDDrawDepth;
extern win::DDCAPS theDDrawDriverCaps;
extern win::DDCAPS theDDrawHelCaps;
extern std::int32_t theDDrawWriteOnly;

int InitDirectDraw(win::HWND window);
void ReleaseDirectDraw();
int SetDDrawDisplayMode(std::int32_t width, std::int32_t height, std::int32_t depth);
void RestoreDDrawDisplayMode();
// Points entry 0 of theDrawTableDD at GFXDDSurface::Clear (window creation; InitDirectDraw
// does it too).
void InstallDDrawTable();

class GFXDDSurface : public GFXSurface {
public:
    GFXDDSurface();
    ~GFXDDSurface() override;

    static const GFXDrawTable* SetDrawTable(const GFXDrawTable* table);
    // One surface: the primary, or an off-screen surface of width × height in video memory.
    static int Create(GFXDDSurface** out, int primary, std::int32_t width, std::int32_t height);
    // Entry 0 of theDrawTableDD: a colour fill by the device, the software clear when refused.
    static void Clear(GFXSurface* surface, std::uint32_t colour);

    void SetPalette(GFXPalette* newPalette, std::int32_t first, std::int32_t count,
                    std::uint32_t unused = 0) override;
    void SetPaletteDeferred(GFXPalette* newPalette, std::int32_t first, std::int32_t count,
                            std::uint32_t unused = 0) override;
    int Lock() override;
    void Unlock() override;
    GFXDeviceContext GetDC() override;
    void ReleaseDC() override;
    [[nodiscard]] const GFXDrawTable* GetDrawTable() override;
    int GetPixelFormat(GFXPixelFormat* out) override;
    void Flip() override;
    void Present(const GFXRect* rect) override;
    void FlipCopy() override;
    void Blit(GFXSurface* source, const GFXRect& sourceRect, GFXPoint dest) override;

    // Flips until the buffer GDI draws into is in front (before dialogs over full screen).
    void FlipToGdiSurface();

    win::DirectDrawSurface* surface = nullptr;
    std::int32_t palettePending = 0;
    std::int32_t pendingStart = 0;
    std::int32_t pendingCount = 0;
    GFXDDSurface* pendingPrimary = nullptr;

protected:
    void ChangePalette(GFXPalette* newPalette, std::int32_t first, std::int32_t count,
                       bool deferred);
    // The device part of a palette change, on the primary's device palette.
    virtual void ApplyPalette(GFXDDSurface* primary, std::int32_t first, std::int32_t count);
    virtual win::DirectDraw* Device() const { return theDirectDraw; }
    // The chain's cursor, lost-surface and presenting steps of Flip, around the device flip.
    void FlipBody(win::DirectDrawSurface* target);
};

// Makes the primary and count − 1 back buffers (count 1 to 3); every member is written to
// out[0 .. count − 1]. 1, or 0 with nothing made.
int CreateFlipChain(GFXDDSurface** out, std::int32_t count);

// Window handles and device contexts travel through the surface interface as opaque pointers.
[[nodiscard]] inline GFXDeviceContext ToSurfaceDeviceContext(win::HDC h) {
    return reinterpret_cast<GFXDeviceContext>(static_cast<std::uintptr_t>(h.id));
}
[[nodiscard]] inline win::HDC FromSurfaceDeviceContext(GFXDeviceContext h) {
    return win::HDC{static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(h))};
}

}  // namespace gfx
