// The DIB surface over the window layer's GDI, and the library table it goes through.
#include "gfx/cds_surface.h"

#include <algorithm>

#include "gfx/bitmap.h"
#include "gfx/bitmap_draw.h"
#include "gfx/draw_table.h"
#include "gfx/palette.h"
#include "gfx/system_palette.h"

namespace gfx {

DibLibrary theDibLibrary;
std::int32_t theDibLibraryBound = 0;
const GFXDrawTable* theDrawTableCDS = &theSoftwareDrawTable;

namespace {

int GdiBlit(win::HDC dest, int x, int y, int width, int height, win::HDC source, int sx, int sy) {
    return win::BitBlt(dest, x, y, width, height, source, sx, sy, win::SRCCOPY) ? 1 : 0;
}

win::HBITMAP GdiCreateBitmap(win::HDC dc, const win::BITMAPINFO* info, void** bits) {
    return win::CreateDIBSection(dc, info, win::DIB_RGB_COLORS, bits, nullptr, 0);
}

int GdiRecommendFormat(win::BITMAPINFO* out) {
    if (out == nullptr) return 0;
    out->bmiHeader = win::BITMAPINFOHEADER{};
    out->bmiHeader.biSize = 40;
    out->bmiHeader.biPlanes = 1;
    out->bmiHeader.biHeight = -1;
    out->bmiHeader.biCompression = win::BI_RGB;
    return 1;
}

win::HDC GdiCreateDC() {
    return win::CreateCompatibleDC(win::HDC{});
}

int GdiStretchBlit(win::HDC dest, int x, int y, int w, int h, win::HDC source, int sx, int sy,
                   int sw, int sh) {
    return win::StretchBlt(dest, x, y, w, h, source, sx, sy, sw, sh, win::SRCCOPY) ? 1 : 0;
}

GFXDeviceContext ToSurfaceDC(win::HDC dc) {
    return reinterpret_cast<GFXDeviceContext>(static_cast<std::uintptr_t>(dc.id));
}

void ToQuads(const GFXPalette& palette, win::RGBQUAD* quads) {
    for (int i = 0; i < 256; ++i) {
        const GFXPaletteEntry& e = palette.entries[i];
        quads[i] = win::RGBQUAD{e.blue, e.green, e.red, 0};
    }
}

bool KeepsSystemPalette(const GFXSurface& s) {
    return (s.flags & kSurfaceKeepSysPal) != 0;
}

}  // namespace

int IsWin32s() {
    return 0;
}

int BindWinG() {
    return 0;
}

void BindGdiDib() {
    theDibLibrary.blit = GdiBlit;
    theDibLibrary.createBitmap = GdiCreateBitmap;
    theDibLibrary.recommendFormat = GdiRecommendFormat;
    theDibLibrary.createDC = GdiCreateDC;
    theDibLibrary.setColorTable = win::SetDIBColorTable;
    theDibLibrary.getColorTable = win::GetDIBColorTable;
    theDibLibrary.stretchBlit = GdiStretchBlit;
}

GFXCDSSurface::GFXCDSSurface() {
    kind = kSurfaceKindDIB;
    displayed = 0;
}

GFXCDSSurface::~GFXCDSSurface() {
    if (displayed) {
        if (memoryDC && previousBitmap) win::SelectObject(memoryDC, previousBitmap);
        if (!KeepsSystemPalette(*this)) ReleaseProgramPalette(windowDC);
        if (memoryDC) win::DeleteDC(memoryDC);
        if (windowDC) win::ReleaseDC(window, windowDC);
        memoryDC = {};
        windowDC = {};
    }
    if (bitmap) win::DeleteObject(bitmap);
}

const GFXDrawTable* GFXCDSSurface::SetDrawTable(const GFXDrawTable* table) {
    const GFXDrawTable* old = theDrawTableCDS;
    theDrawTableCDS = table;
    return old;
}

int GFXCDSSurface::Lock() {
    pixels = bits;
    stride = ((bitsPerPixel >> 3) * width + 3) & ~3;
    return bits != nullptr ? 1 : 0;
}

void GFXCDSSurface::Unlock() {
    pixels = nullptr;
    stride = 0;
}

GFXDeviceContext GFXCDSSurface::GetDC() {
    dc = ToSurfaceDC(memoryDC);
    return dc;
}

const GFXDrawTable* GFXCDSSurface::GetDrawTable() {
    return theDrawTableCDS;
}

int GFXCDSSurface::GetPixelFormat(GFXPixelFormat* out) {
    if (bitsPerPixel == 8) return 0;
    if (out != nullptr) *out = pixelFormat;
    return 1;
}

void GFXCDSSurface::Detach() {
    if (memoryDC) {
        if (bitmap && previousBitmap) win::SelectObject(memoryDC, previousBitmap);
        win::DeleteDC(memoryDC);
    }
    if (windowDC) win::ReleaseDC(window, windowDC);
    memoryDC = {};
    windowDC = {};
    previousBitmap = {};
}

void GFXCDSSurface::AttachWindow(GFXWindowHandle handle) {
    Detach();
    const win::HWND w = FromSurfaceWindow(handle);
    if (!w) return;
    window = w;
    windowDC = win::GetDC(w);
    if (!KeepsSystemPalette(*this) && palette != nullptr) SelectProgramPalette(windowDC, palette);
    memoryDC = theDibLibrary.createDC != nullptr ? theDibLibrary.createDC() : win::HDC{};
    if (memoryDC && bitmap) previousBitmap = win::SelectObject(memoryDC, bitmap);
}

void GFXCDSSurface::SetPalette(GFXPalette* newPalette, std::int32_t first, std::int32_t count,
                               std::uint32_t /*unused*/) {
    ChangePalette(newPalette, first, count, false);
}

void GFXCDSSurface::SetPaletteDeferred(GFXPalette* newPalette, std::int32_t first,
                                       std::int32_t count, std::uint32_t /*unused*/) {
    ChangePalette(newPalette, first, count, true);
}

void GFXCDSSurface::ChangePalette(GFXPalette* newPalette, std::int32_t first, std::int32_t count,
                                  bool deferred) {
    if (newPalette == nullptr) {
        if (!KeepsSystemPalette(*this)) SelectProgramPalette(windowDC, nullptr);
        return;
    }
    first = std::clamp(first, 0, 256);
    count = std::clamp(count, 0, 256 - first);
    if (first == 0 && count == 256)
        palette = newPalette;
    else if (newPalette != palette)
        CopyPaletteEntries(palette, newPalette, first, count);
    if (palette == nullptr) return;  // entries without a palette to put them in

    // The member shown on the display owns the window's palette.
    GFXCDSSurface* owner = this;
    if (displayed || chainCount > 1) {
        GFXSurface* member = this;
        for (std::int32_t i = 0; i < chainCount; ++i, member = member->chainNext) {
            member->palette = palette;
            if (member->displayed && member->kind == kSurfaceKindDIB)
                owner = static_cast<GFXCDSSurface*>(member);
        }
    }

    if (bitsPerPixel == 8) {
        FixStaticColours(palette);
        win::RGBQUAD quads[256];
        ToQuads(*palette, quads);
        GFXSurface* member = chainNext;
        for (std::int32_t i = 0; i < chainCount; ++i, member = member->chainNext) {
            if (member->kind != kSurfaceKindDIB) continue;
            auto* dib = static_cast<GFXCDSSurface*>(member);
            if (!dib->bitmap || theDibLibrary.setColorTable == nullptr) continue;
            // A member holding its bitmap in its own memory DC takes the table there; one
            // without device contexts borrows a memory DC for the call.
            if (dib->memoryDC && dib->previousBitmap) {
                theDibLibrary.setColorTable(dib->memoryDC, static_cast<unsigned>(first),
                                            static_cast<unsigned>(count), quads + first);
                continue;
            }
            const win::HDC borrowed = win::CreateCompatibleDC(win::HDC{});
            const win::HBITMAP before = win::SelectObject(borrowed, dib->bitmap);
            theDibLibrary.setColorTable(borrowed, static_cast<unsigned>(first),
                                        static_cast<unsigned>(count), quads + first);
            win::SelectObject(borrowed, before);
            win::DeleteDC(borrowed);
        }
    }

    if (deferred) {
        pendingStart = first;
        pendingCount = count;
        pendingOwner = owner;
        palettePending = 1;
    } else {
        if (!KeepsSystemPalette(*this)) SelectProgramPalette(owner->windowDC, palette);
        palettePending = 0;
    }
}

void GFXCDSSurface::Present(const GFXRect* rect) {
    if (palettePending) {
        GFXCDSSurface* owner = pendingOwner != nullptr ? pendingOwner : this;
        if (!KeepsSystemPalette(*this)) {
            // The first palette the program ever shows may come deferred: with no program
            // palette to update yet, it is installed whole.
            if (theSystemPaletteState.keptPalette)
                UpdateProgramPalette(owner->windowDC, pendingStart, pendingCount, palette);
            else
                SelectProgramPalette(owner->windowDC, palette);
        }
        palettePending = 0;
    }
    if (flags & kSurfaceCursor) DrawCursor(this);
    if (!KeepsSystemPalette(*this)) SelectProgramPalette(windowDC, nullptr);
    const GFXRect r = rect != nullptr ? *rect : GFXRect{0, 0, width - 1, height - 1};
    if (windowDC && memoryDC && theDibLibrary.blit != nullptr)
        theDibLibrary.blit(windowDC, originX + r.left, originY + r.top, r.right - r.left + 1,
                           r.bottom - r.top + 1, memoryDC, r.left, r.top);
    if (flags & kSurfaceCursor) RestoreUnderCursor(this);
}

void GFXCDSSurface::Blit(GFXSurface* source, const GFXRect& sourceRect, GFXPoint dest) {
    if (source == nullptr) return;
    GFXSurfaceLock sourceLock(*source);
    if (!sourceLock.Ok() || source->pixels == nullptr) return;
    DrawSurfacePart(this, *source, sourceRect, dest);
}

int CreateCDSSurface(std::unique_ptr<GFXCDSSurface>* out, win::HWND window, int attach,
                     const GFXPoint* origin, std::int32_t width, std::int32_t height,
                     std::int32_t depth, const GFXPixelFormat& pixelFormat) {
    if (out == nullptr || width <= 0 || height <= 0 || (depth != 8 && depth != 16)) return 0;
    if (!theDibLibraryBound) {
        // The Win32s branch would bind its own library here and complain when it is missing.
        if (IsWin32s()) {
            if (!BindWinG()) return 0;
        } else {
            BindGdiDib();
        }
        theDibLibraryBound = 1;
    }
    auto s = std::make_unique<GFXCDSSurface>();
    if (origin != nullptr) {
        s->originX = origin->x;
        s->originY = origin->y;
    }
    const win::HDC windowDc = win::GetDC(window);
    if (!windowDc) return 0;

    win::BITMAPINFO info;
    info.bmiHeader.biSize = 40;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = static_cast<std::uint16_t>(depth);
    info.bmiHeader.biSizeImage = static_cast<std::uint32_t>(((depth >> 3) * width + 3) & ~3) *
                                 static_cast<std::uint32_t>(height);
    if (depth == 8) {
        info.bmiHeader.biCompression = win::BI_RGB;
        win::PALETTEENTRY system[256];
        win::GetSystemPaletteEntries(windowDc, 0, 256, system);
        for (int i = 0; i < 256; ++i)
            info.bmiColors[i] =
                win::RGBQUAD{system[i].peBlue, system[i].peGreen, system[i].peRed, 0};
    } else {
        info.bmiHeader.biCompression = win::BI_BITFIELDS;
        const std::uint32_t masks[3] = {
            ((1u << pixelFormat.redBits) - 1) << pixelFormat.redShift,
            ((1u << pixelFormat.greenBits) - 1) << pixelFormat.greenShift,
            ((1u << pixelFormat.blueBits) - 1) << pixelFormat.blueShift};
        for (int i = 0; i < 3; ++i)
            info.bmiColors[i] = win::RGBQUAD{static_cast<std::uint8_t>(masks[i]),
                                             static_cast<std::uint8_t>(masks[i] >> 8),
                                             static_cast<std::uint8_t>(masks[i] >> 16),
                                             static_cast<std::uint8_t>(masks[i] >> 24)};
        s->pixelFormat = pixelFormat;
    }
    void* pixelBits = nullptr;
    s->bitmap = theDibLibrary.createBitmap(windowDc, &info, &pixelBits);
    win::ReleaseDC(window, windowDc);
    if (!s->bitmap || pixelBits == nullptr) return 0;
    s->bits = static_cast<std::uint8_t*>(pixelBits);
    s->displayed = attach ? 1u : 0u;
    s->width = width;
    s->height = height;
    s->bitsPerPixel = depth;
    if (attach) s->AttachWindow(ToSurfaceWindow(window));
    s->clipRect = {0, 0, width - 1, height - 1};
    *out = std::move(s);
    return 1;
}

}  // namespace gfx
