// The window's drawing surface: a device-independent bitmap whose pixels the program writes
// directly, held in a memory device context and copied into a window's device context to be
// seen. The bitmap and its device contexts come through a table of seven library operations,
// bound once at the first creation. Only the desktop branch exists here (DIB sections over the
// window layer's GDI); the Win32s branch is never bound because IsWin32s answers 0.
#pragma once

#include <cstdint>
#include <memory>

#include "gfx/surface.h"
#include "win/gdi.h"

namespace gfx {

// The DIB library table: the seven operations every DIB surface goes through.
struct DibLibrary {
    int (*blit)(win::HDC dest, int x, int y, int width, int height, win::HDC source, int sx,
                int sy) = nullptr;
    win::HBITMAP (*createBitmap)(win::HDC dc, const win::BITMAPINFO* info, void** bits) = nullptr;
    int (*recommendFormat)(win::BITMAPINFO* out) = nullptr;
    win::HDC (*createDC)() = nullptr;
    unsigned (*setColorTable)(win::HDC dc, unsigned start, unsigned count,
                              const win::RGBQUAD* colours) = nullptr;
    unsigned (*getColorTable)(win::HDC dc, unsigned start, unsigned count,
                              win::RGBQUAD* colours) = nullptr;
    int (*stretchBlit)(win::HDC dest, int x, int y, int w, int h, win::HDC source, int sx, int sy,
                       int sw, int sh) = nullptr;
};

extern DibLibrary theDibLibrary;
extern std::int32_t theDibLibraryBound;
// The draw table every DIB surface answers; the software table until someone installs another.
extern const GFXDrawTable* theDrawTableCDS;

// 1 on the old 16-bit-hosted system that lacks DIB sections; never here.
[[nodiscard]] int IsWin32s();
// The Win32s library is not part of this program: binding it always fails.
[[nodiscard]] int BindWinG();
void BindGdiDib();

// Window handles travel through the surface interface as opaque pointers.
[[nodiscard]] inline GFXWindowHandle ToSurfaceWindow(win::HWND h) {
    return reinterpret_cast<GFXWindowHandle>(static_cast<std::uintptr_t>(h.id));
}
[[nodiscard]] inline win::HWND FromSurfaceWindow(GFXWindowHandle h) {
    return win::HWND{static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(h))};
}

class GFXCDSSurface : public GFXSurface {
public:
    GFXCDSSurface();
    ~GFXCDSSurface() override;

    // Answers the previous table.
    static const GFXDrawTable* SetDrawTable(const GFXDrawTable* table);

    void SetPalette(GFXPalette* newPalette, std::int32_t first, std::int32_t count,
                    std::uint32_t unused = 0) override;
    void SetPaletteDeferred(GFXPalette* newPalette, std::int32_t first, std::int32_t count,
                            std::uint32_t unused = 0) override;
    int Lock() override;
    void Unlock() override;
    GFXDeviceContext GetDC() override;
    void ReleaseDC() override {}
    [[nodiscard]] const GFXDrawTable* GetDrawTable() override;
    int GetPixelFormat(GFXPixelFormat* out) override;
    void AttachWindow(GFXWindowHandle window) override;
    void Flip() override {}
    // Copies `rect` (inclusive; null for all) into the window, applying a waiting palette.
    void Present(const GFXRect* rect) override;
    void FlipCopy() override { Present(nullptr); }
    void Blit(GFXSurface* source, const GFXRect& sourceRect, GFXPoint dest) override;

    [[nodiscard]] win::HDC GetMemoryDC() const { return memoryDC; }
    [[nodiscard]] win::HDC GetWindowDC() const { return windowDC; }
    [[nodiscard]] win::HWND GetWindow() const { return window; }
    [[nodiscard]] bool IsPalettePending() const { return palettePending != 0; }

    win::HBITMAP bitmap;
    std::uint8_t* bits = nullptr;  // top-down rows
    win::HDC windowDC;
    win::HDC memoryDC;
    win::HBITMAP previousBitmap;
    win::HWND window;
    GFXPixelFormat pixelFormat;
    std::int32_t originX = 0;
    std::int32_t originY = 0;

private:
    friend int CreateCDSSurface(std::unique_ptr<GFXCDSSurface>*, win::HWND, int, const GFXPoint*,
                                std::int32_t, std::int32_t, std::int32_t, const GFXPixelFormat&);
    void ChangePalette(GFXPalette* newPalette, std::int32_t first, std::int32_t count,
                       bool deferred);
    void Detach();

    std::int32_t palettePending = 0;
    std::int32_t pendingStart = 0;
    std::int32_t pendingCount = 0;
    GFXCDSSurface* pendingOwner = nullptr;
};

// Makes a DIB surface of width × height at `depth` bits (8, or 16 laid out as `pixelFormat`).
// With `attach` it owns device contexts for `window` and is shown there at `origin` (null for
// 0, 0). 1 with the surface stored in `out`; 0 with nothing made.
int CreateCDSSurface(std::unique_ptr<GFXCDSSurface>* out, win::HWND window, int attach,
                     const GFXPoint* origin, std::int32_t width, std::int32_t height,
                     std::int32_t depth, const GFXPixelFormat& pixelFormat);

}  // namespace gfx
