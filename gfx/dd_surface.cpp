// The full-screen binding and GFXDDSurface.
#include "gfx/dd_surface.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "gfx/bitmap.h"
#include "gfx/bitmap_draw.h"
#include "gfx/draw_table.h"
#include "gfx/palette.h"
#include "gfx/system_palette.h"

namespace gfx {

const win::DirectDrawLibrary* theDDrawModule = nullptr;
win::DirectDraw* theDirectDraw = nullptr;
win::HWND theDDrawWindow;
std::int32_t theDDrawWidth = 0;
std::int32_t theDDrawHeight = 0;
std::int32_t theDDrawDepth = 0;
win::DDCAPS theDDrawDriverCaps;
win::DDCAPS theDDrawHelCaps;
std::int32_t theDDrawWriteOnly = 0;

namespace {

const GFXDrawTable* theDDSurfaceTable = &theDrawTableDD;

// The cooperative level of full screen: full screen, exclusive, reboot and mode X allowed, the
// window left as it is.
constexpr std::uint32_t kDdSurfaceFullScreenLevel = win::DDSCL_FULLSCREEN | win::DDSCL_ALLOWREBOOT |
                                                    win::DDSCL_NOWINDOWCHANGES |
                                                    win::DDSCL_EXCLUSIVE | win::DDSCL_ALLOWMODEX;

void PaletteFromSystem(win::PALETTEENTRY* out) {
    const win::PALETTEENTRY* saved = GetSavedSystemEntries();
    for (int i = 0; i < 256; ++i)
        out[i] = saved[i];
}

// Counts the low zero bits of a mask and the ones above them; a zero mask gives 0, 0.
void MaskToBits(std::uint32_t mask, std::int32_t* bits, std::int32_t* shift) {
    *bits = 0;
    *shift = 0;
    if (mask == 0) return;
    while (!(mask & 1u)) {
        mask >>= 1;
        ++*shift;
    }
    while (mask & 1u) {
        mask >>= 1;
        ++*bits;
    }
}

}  // namespace

// ---- Binding --------------------------------------------------------------------------------

void InstallDDrawTable() {
    theDrawTableDD.Clear = &GFXDDSurface::Clear;
}

int InitDirectDraw(win::HWND window) {
    SaveSystemPalette();
    InstallDDrawTable();
    if (theDDrawModule == nullptr) theDDrawModule = win::LoadDirectDrawLibrary();
    if (theDDrawModule == nullptr || theDDrawModule->DirectDrawCreate == nullptr) {
        if (theDDrawModule != nullptr) win::FreeDirectDrawLibrary();
        theDDrawModule = nullptr;
        return 0;
    }
    win::DirectDraw* dd = nullptr;
    if (win::FAILED(theDDrawModule->DirectDrawCreate(nullptr, &dd, nullptr)) || dd == nullptr)
        return 0;
    // A failure past creation releases the object, so that nothing is left half made.
    if (win::FAILED(dd->SetCooperativeLevel(window, kDdSurfaceFullScreenLevel))) {
        dd->Release();
        return 0;
    }
    theDDrawDriverCaps = win::DDCAPS{};
    theDDrawHelCaps = win::DDCAPS{};
    theDDrawDriverCaps.dwSize = 316;
    theDDrawHelCaps.dwSize = 316;
    if (win::FAILED(dd->GetCaps(&theDDrawDriverCaps, &theDDrawHelCaps))) {
        dd->Release();
        return 0;
    }
    theDirectDraw = dd;
    theDDrawWindow = window;
    theDDrawWriteOnly = (theDDrawDriverCaps.ddsCaps.dwCaps & win::DDSCAPS_WRITEONLY) ? 1 : 0;
    return 1;
}

void ReleaseDirectDraw() {
    ForgetSystemPalette();
    if (theDirectDraw != nullptr)
        while (theDirectDraw->Release() != 0) {
        }
    theDirectDraw = nullptr;
    theDDrawWindow = win::HWND{};
}

int SetDDrawDisplayMode(std::int32_t width, std::int32_t height, std::int32_t depth) {
    if (theDirectDraw == nullptr || width <= 0 || height <= 0 || depth <= 0) return 0;
    if (win::FAILED(theDirectDraw->SetDisplayMode(static_cast<std::uint32_t>(width),
                                                  static_cast<std::uint32_t>(height),
                                                  static_cast<std::uint32_t>(depth))))
        return 0;
    theDDrawWidth = width;
    theDDrawHeight = height;
    theDDrawDepth = depth;
    return 1;
}

void RestoreDDrawDisplayMode() {
    if (theDirectDraw != nullptr) theDirectDraw->RestoreDisplayMode();
}

// ---- Surface --------------------------------------------------------------------------------

GFXDDSurface::GFXDDSurface() {
    kind = kSurfaceKindDirectDraw;
}

GFXDDSurface::~GFXDDSurface() {
    // The primary owns its chain; a single off-screen surface owns itself. Back buffers of a
    // chain are freed with their primary.
    if (surface != nullptr && (displayed != 0 || chainCount == 1))
        while (surface->Release() != 0) {
        }
    surface = nullptr;
}

const GFXDrawTable* GFXDDSurface::SetDrawTable(const GFXDrawTable* table) {
    const GFXDrawTable* old = theDDSurfaceTable;
    theDDSurfaceTable = table;
    return old;
}

const GFXDrawTable* GFXDDSurface::GetDrawTable() {
    return theDDSurfaceTable;
}

int GFXDDSurface::Create(GFXDDSurface** out, int primary, std::int32_t w, std::int32_t h) {
    if (out == nullptr) return 0;
    *out = nullptr;
    if (theDirectDraw == nullptr) return 0;
    auto s = std::make_unique<GFXDDSurface>();
    win::DDSURFACEDESC desc;
    if (primary) {
        desc.dwFlags = win::DDSD_CAPS;
        desc.ddsCaps.dwCaps = win::DDSCAPS_PRIMARYSURFACE;
    } else {
        if (w <= 0 || h <= 0) return 0;
        desc.dwFlags = win::DDSD_CAPS | win::DDSD_HEIGHT | win::DDSD_WIDTH;
        desc.dwWidth = static_cast<std::uint32_t>(w);
        desc.dwHeight = static_cast<std::uint32_t>(h);
        desc.ddsCaps.dwCaps =
            win::DDSCAPS_OFFSCREENPLAIN | win::DDSCAPS_3DDEVICE | win::DDSCAPS_VIDEOMEMORY;
    }
    if (win::FAILED(theDirectDraw->CreateSurface(&desc, &s->surface, nullptr))) return 0;
    if (theDDrawDepth == 8) {
        win::PALETTEENTRY entries[256];
        PaletteFromSystem(entries);
        win::DirectDrawPalette* pal = nullptr;
        if (win::FAILED(theDirectDraw->CreatePalette(win::DDPCAPS_8BIT, entries, &pal, nullptr)))
            return 0;
        const win::HRESULT r = s->surface->SetPalette(pal);
        pal->Release();
        if (win::FAILED(r)) return 0;
    }
    win::DDSURFACEDESC made;
    s->surface->GetSurfaceDesc(&made);
    s->displayed = primary ? 1 : 0;
    s->width = static_cast<std::int32_t>(made.dwWidth);
    s->height = static_cast<std::int32_t>(made.dwHeight);
    s->bitsPerPixel = theDDrawDepth;
    s->clipRect = GFXRect{0, 0, s->width - 1, s->height - 1};
    if (s->AcquireLock()) {
        const GFXDrawTable* table = s->GetDrawTable();
        if (table != nullptr && table->Clear != nullptr) table->Clear(s.get(), 0);
    }
    s->ReleaseLock();
    *out = s.release();
    return 1;
}

int CreateFlipChain(GFXDDSurface** out, std::int32_t count) {
    if (out == nullptr || count < 1 || count > 3 || theDirectDraw == nullptr) return 0;
    std::unique_ptr<GFXDDSurface> members[3];
    for (std::int32_t i = 0; i < count; ++i)
        members[i] = std::make_unique<GFXDDSurface>();
    for (std::int32_t i = 0; i < count; ++i) {
        if (theDDrawWriteOnly) members[i]->flags |= kSurfaceWriteOnly;
        members[i]->chainNext = members[(i + 1) % count].get();
        members[i]->chainCount = count;
    }
    win::DDSURFACEDESC desc;
    desc.dwFlags = win::DDSD_CAPS | win::DDSD_BACKBUFFERCOUNT;
    desc.dwBackBufferCount = static_cast<std::uint32_t>(count - 1);
    desc.ddsCaps.dwCaps = win::DDSCAPS_PRIMARYSURFACE | win::DDSCAPS_FLIP | win::DDSCAPS_COMPLEX |
                          win::DDSCAPS_3DDEVICE | win::DDSCAPS_VIDEOMEMORY;
    if (count == 1) {
        // A chain of one is the primary alone.
        desc.dwFlags = win::DDSD_CAPS;
        desc.ddsCaps.dwCaps = win::DDSCAPS_PRIMARYSURFACE | win::DDSCAPS_VIDEOMEMORY;
    }
    bool video = true;
    win::DirectDrawSurface* primary = nullptr;
    if (win::FAILED(theDirectDraw->CreateSurface(&desc, &primary, nullptr))) {
        // Fewer back buffers first, then system memory. The caller still sees `count` members;
        // the ones past the device's chain share its last buffer's place.
        if (count > 1) desc.dwBackBufferCount = 1;
        if (win::FAILED(theDirectDraw->CreateSurface(&desc, &primary, nullptr))) {
            desc.ddsCaps.dwCaps &= ~win::DDSCAPS_VIDEOMEMORY;
            video = false;
            if (win::FAILED(theDirectDraw->CreateSurface(&desc, &primary, nullptr))) return 0;
        }
    }
    members[0]->surface = primary;
    struct EnumState {
        std::unique_ptr<GFXDDSurface>* members;
        std::int32_t count;
        std::int32_t next;
    } state{members, count, 1};
    primary->EnumAttachedSurfaces(
        &state, [](win::DirectDrawSurface* s, const win::DDSURFACEDESC*, void* context) {
            auto* st = static_cast<EnumState*>(context);
            if (st->next < st->count) st->members[st->next++]->surface = s;
            return win::DDENUMRET_OK;
        });
    if (state.next < count) {
        // The device gave fewer back buffers than asked: the chain shrinks to what exists.
        for (std::int32_t i = state.next; i < count; ++i)
            members[i].reset();
        count = state.next;
        for (std::int32_t i = 0; i < count; ++i) {
            members[i]->chainNext = members[(i + 1) % count].get();
            members[i]->chainCount = count;
        }
    }
    if (theDDrawDepth == 8) {
        win::PALETTEENTRY entries[256];
        PaletteFromSystem(entries);
        win::DirectDrawPalette* pal = nullptr;
        if (win::FAILED(theDirectDraw->CreatePalette(win::DDPCAPS_8BIT, entries, &pal, nullptr))) {
            members[0]->displayed = 1;  // so that the destructor frees the chain
            return 0;
        }
        primary->SetPalette(pal);
        pal->Release();
    }
    for (std::int32_t i = 0; i < count; ++i) {
        GFXDDSurface* m = members[i].get();
        m->displayed = i == 0 ? 1 : 0;
        m->width = theDDrawWidth;
        m->height = theDDrawHeight;
        m->bitsPerPixel = theDDrawDepth;
        if (video) m->flags |= kSurfaceVideoMemory;
        m->clipRect = GFXRect{0, 0, m->width - 1, m->height - 1};
    }
    for (std::int32_t i = 0; i < 3; ++i)
        out[i] = i < count ? members[i].release() : nullptr;
    return 1;
}

void GFXDDSurface::Clear(GFXSurface* s, std::uint32_t colour) {
    auto* dd = static_cast<GFXDDSurface*>(s);
    const std::int32_t held = s->lockCount;
    if (held > 0 && --s->lockCount == 0) s->Unlock();
    win::DDBLTFX fx;
    fx.dwFillColor = colour;
    const bool filled = dd->surface != nullptr && win::SUCCEEDED(dd->surface->Blt(
                                                      nullptr, nullptr, nullptr,
                                                      win::DDBLT_COLORFILL | win::DDBLT_WAIT, &fx));
    if (held > 0 && s->lockCount++ == 0) s->Lock();
    if (!filled && s->pixels != nullptr) theSoftwareDrawTable.Clear(s, colour);
}

// ---- Palettes -------------------------------------------------------------------------------

void GFXDDSurface::ChangePalette(GFXPalette* newPalette, std::int32_t first, std::int32_t count,
                                 bool deferred) {
    if (newPalette == nullptr) return;
    FixStaticColours(newPalette);
    if ((first == 0 && count == 256) || palette == nullptr) {
        GFXSurface* m = this;
        for (std::int32_t i = 0; i < chainCount && m != nullptr; ++i, m = m->chainNext)
            m->palette = newPalette;
        palette = newPalette;
    } else if (newPalette != palette) {
        CopyPaletteEntries(palette, newPalette, first, count);
    }
    GFXSurface* shown = FindDisplayedInChain();
    auto* primary =
        shown != nullptr && shown->kind == kind ? static_cast<GFXDDSurface*>(shown) : this;
    if (bitsPerPixel != 8) return;
    if (deferred) {
        pendingStart = first;
        pendingCount = count;
        pendingPrimary = primary;
        palettePending = 1;
        return;
    }
    ApplyPalette(primary, first, count);
}

void GFXDDSurface::ApplyPalette(GFXDDSurface* primary, std::int32_t first, std::int32_t count) {
    if (palette == nullptr) return;
    win::DirectDrawPalette* ddPalette = nullptr;
    if (primary != nullptr && primary->surface != nullptr &&
        win::SUCCEEDED(primary->surface->GetPalette(&ddPalette))) {
        if (Device() != nullptr) Device()->WaitForVerticalBlank(win::DDWAITVB_BLOCKBEGIN, nullptr);
        win::PALETTEENTRY entries[256];
        for (int i = 0; i < 256; ++i)
            entries[i] = win::PALETTEENTRY{palette->entries[i].red, palette->entries[i].green,
                                           palette->entries[i].blue, palette->entries[i].flags};
        const std::int32_t lo = std::max(first, 0);
        const std::int32_t hi = static_cast<std::int32_t>(
            std::min<std::int64_t>(static_cast<std::int64_t>(first) + count, 256));
        if (hi > lo)
            ddPalette->SetEntries(0, static_cast<std::uint32_t>(lo),
                                  static_cast<std::uint32_t>(hi - lo), entries + lo);
        ddPalette->Release();
    }
    if (theDDrawWindow) {
        const win::HDC dc = win::GetDC(theDDrawWindow);
        SelectProgramPalette(dc, palette);
        win::ReleaseDC(theDDrawWindow, dc);
    }
    if (chainNext != nullptr && chainNext->kind == kSurfaceKindDIB)
        chainNext->SetPaletteDeferred(palette, 0, 256);
    palettePending = 0;
}

void GFXDDSurface::SetPalette(GFXPalette* p, std::int32_t first, std::int32_t count,
                              std::uint32_t) {
    ChangePalette(p, first, count, false);
}

void GFXDDSurface::SetPaletteDeferred(GFXPalette* p, std::int32_t first, std::int32_t count,
                                      std::uint32_t) {
    ChangePalette(p, first, count, true);
}

// ---- Pixels and device contexts -------------------------------------------------------------

int GFXDDSurface::Lock() {
    if (surface == nullptr) return 0;
    if (surface->IsLost() == win::DDERR_SURFACELOST) surface->Restore();
    win::DDSURFACEDESC desc;
    if (win::FAILED(surface->Lock(nullptr, &desc, win::DDLOCK_WAIT, nullptr))) return 0;
    pixels = static_cast<std::uint8_t*>(desc.lpSurface);
    stride = desc.lPitch;
    return 1;
}

void GFXDDSurface::Unlock() {
    if (surface != nullptr) surface->Unlock(nullptr);
    pixels = nullptr;
    stride = 0;
}

GFXDeviceContext GFXDDSurface::GetDC() {
    win::HDC h;
    if (surface == nullptr || win::FAILED(surface->GetDC(&h))) {
        dc = nullptr;
        return nullptr;
    }
    dc = ToSurfaceDeviceContext(h);
    if (theProgramPaletteHandle) win::SelectPalette(h, theProgramPaletteHandle, false);
    return dc;
}

void GFXDDSurface::ReleaseDC() {
    if (surface != nullptr && dc != nullptr) surface->ReleaseDC(FromSurfaceDeviceContext(dc));
    dc = nullptr;
}

int GFXDDSurface::GetPixelFormat(GFXPixelFormat* out) {
    if (out == nullptr || bitsPerPixel == 8 || surface == nullptr) return 0;
    win::DDPIXELFORMAT pf;
    if (win::FAILED(surface->GetPixelFormat(&pf))) return 0;
    *out = GFXPixelFormat{};
    MaskToBits(pf.dwRBitMask, &out->redBits, &out->redShift);
    MaskToBits(pf.dwGBitMask, &out->greenBits, &out->greenShift);
    MaskToBits(pf.dwBBitMask, &out->blueBits, &out->blueShift);
    return 1;
}

// ---- Presenting -----------------------------------------------------------------------------

void GFXDDSurface::FlipBody(win::DirectDrawSurface* target) {
    if (palettePending && pendingPrimary != nullptr)
        ApplyPalette(pendingPrimary, pendingStart, pendingCount);
    GFXSurface* next = chainNext;
    const bool cursor = next != nullptr && (next->flags & kSurfaceCursor);
    if (cursor) {
        if (width != 320) RestoreUnderCursor(this);
        DrawCursor(next);
    }
    if (surface != nullptr && surface->IsLost() == win::DDERR_SURFACELOST) surface->Restore();
    if (next != nullptr && next->kind == kSurfaceKindDIB) {
        // The two-buffer chain: the DIB back buffer is copied into the primary through GDI.
        if (next->dcCount++ == 0) next->GetDC();
        win::HDC mine;
        if (surface != nullptr && win::SUCCEEDED(surface->GetDC(&mine))) {
            win::BitBlt(mine, 0, 0, width, height, FromSurfaceDeviceContext(next->dc), 0, 0,
                        win::SRCCOPY);
            surface->ReleaseDC(mine);
        }
        if (--next->dcCount == 0) {
            next->ReleaseDC();
            next->dc = nullptr;
        }
    } else if (surface != nullptr) {
        surface->Flip(target, win::DDFLIP_WAIT);
    }
    if (cursor && width == 320) RestoreUnderCursor(next);
}

void GFXDDSurface::Flip() {
    FlipBody(nullptr);
}

void GFXDDSurface::Present(const GFXRect* rect) {
    GFXSurface* next = chainNext;
    if (next == nullptr || next == this) return;
    const bool cursor = (next->flags & kSurfaceCursor) != 0;
    if (cursor) DrawCursor(next);
    const GFXRect r = rect != nullptr ? *rect : GFXRect{0, 0, width - 1, height - 1};
    Blit(next, r, GFXPoint{r.left, r.top});
    if (cursor) RestoreUnderCursor(next);
}

void GFXDDSurface::FlipCopy() {
    Flip();
    GFXSurface* next = chainNext;
    if (copiesLeft > 0 && (flags & kSurfaceVideoMemory) && next != nullptr && next != this) {
        if (next->flags & kSurfaceCursor) RestoreUnderCursor(this);
        --copiesLeft;
        next->AcquireLock();
        next->Blit(this, GFXRect{0, 0, width - 1, height - 1}, GFXPoint{0, 0});
        next->ReleaseLock();
    }
}

void GFXDDSurface::Blit(GFXSurface* source, const GFXRect& rect, GFXPoint point) {
    if (source == nullptr) return;
    if (source->kind == kSurfaceKindDirectDraw && surface != nullptr) {
        auto* src = static_cast<GFXDDSurface*>(source);
        const win::RECT r{rect.left, rect.top, rect.right + 1, rect.bottom + 1};
        if (src->surface != nullptr && point.x >= 0 && point.y >= 0 &&
            win::SUCCEEDED(surface->BltFast(static_cast<std::uint32_t>(point.x),
                                            static_cast<std::uint32_t>(point.y), src->surface, &r,
                                            win::DDBLTFAST_NOCOLORKEY)))
            return;
    }
    GFXSurfaceLock sourceLock(*source);
    if (!sourceLock.Ok() || source->pixels == nullptr) return;
    GFXSurfaceLock ownLock(*this);
    if (!ownLock.Ok() || pixels == nullptr) return;
    DrawSurfacePart(this, *source, rect, point);
}

void GFXDDSurface::FlipToGdiSurface() {
    if (Device() == nullptr || surface == nullptr) return;
    // A chain never needs more flips than it has members; more would mean GDI's buffer is gone.
    for (std::int32_t i = 0; i <= chainCount; ++i) {
        win::DirectDrawSurface* gdi = nullptr;
        if (win::FAILED(Device()->GetGDISurface(&gdi))) return;
        const bool front = gdi == surface;
        gdi->Release();
        if (front) return;
        GFXSurface* next = chainNext;
        if (next == nullptr || next == this) return;
        {
            GFXSurfaceLock a(*this);
            GFXSurfaceLock b(*next);
            if (a.Ok() && b.Ok() && pixels != nullptr && next->pixels != nullptr &&
                stride == next->stride)
                std::memcpy(next->pixels, pixels, static_cast<std::size_t>(stride) * height);
        }
        Flip();
    }
}

}  // namespace gfx
