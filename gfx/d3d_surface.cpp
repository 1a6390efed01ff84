// The 3D layer and GFXD3DSurface.
#include "gfx/d3d_surface.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "gfx/d3d_batch.h"
#include "gfx/d3d_draw_table.h"
#include "gfx/draw_table.h"
#include "gfx/palette.h"
#include "gfx/sheet_cache.h"
#include "gfx/system_palette.h"

namespace gfx {

const win::DirectDrawLibrary* theD3DModule = nullptr;
win::DirectDraw* theD3DDirectDraw = nullptr;
win::DirectDrawSurface* theD3DFrontSurface = nullptr;
win::DirectDrawSurface* theD3DBackSurface = nullptr;
std::int32_t theD3DWidth = 0;
std::int32_t theD3DHeight = 0;
std::int32_t theD3DDepth = 0;
std::int32_t theD3DWriteOnly = 0;
win::Direct3D* theDirect3D = nullptr;
win::Direct3DDevice* theD3DDevice = nullptr;
win::Direct3DViewport* theD3DViewport = nullptr;
SheetCache* theTextureCache = nullptr;
D3DDeviceRecord theD3DDevices[kMaxD3DDevices];
std::int32_t theD3DDeviceCount = 0;
std::int32_t theD3DDeviceChoice = -1;
std::int32_t theD3DHardware = 0;
D3DTextureFormatRecord theTextureFormats[kMaxTextureFormats];
std::int32_t theTextureFormatCount = 0;
std::int32_t theTextureFormat1555 = -1;
std::int32_t theTextureFormat4444 = -1;
win::DDCAPS theD3DDriverCaps;
win::DDCAPS theD3DHelCaps;

namespace {

const GFXDrawTable* theD3DSurfaceTable = &theDrawTableD3D;

constexpr std::uint32_t kFullScreenLevel = win::DDSCL_FULLSCREEN | win::DDSCL_ALLOWREBOOT |
                                           win::DDSCL_NOWINDOWCHANGES | win::DDSCL_EXCLUSIVE |
                                           win::DDSCL_ALLOWMODEX;

// Copies at most size − 1 characters, so that the field always ends in a terminator.
template <std::size_t N>
void CopyName(char (&to)[N], const char* from) {
    std::memset(to, 0, N);
    if (from != nullptr) std::strncpy(to, from, N - 1);
}

void MaskBits(std::uint32_t mask, std::uint32_t* bits, std::uint32_t* shift) {
    *bits = 0;
    *shift = 0;
    if (mask == 0) return;
    while (!(mask & 1u))
        mask >>= 1, ++*shift;
    while (mask & 1u)
        mask >>= 1, ++*bits;
}

int EnumDriver(win::GUID* guid, const char*, const char*, void* context) {
    if (guid == nullptr) return 1;  // the primary display driver is the fall-back
    auto* kept = static_cast<win::DirectDraw**>(context);
    win::DirectDraw* dd = nullptr;
    if (win::FAILED(theD3DModule->DirectDrawCreate(guid, &dd, nullptr))) return 1;
    win::DDCAPS driver, hel;
    if (win::SUCCEEDED(dd->GetCaps(&driver, &hel)) && (driver.dwCaps & win::DDCAPS_3D)) {
        *kept = dd;
        return 0;
    }
    dd->Release();
    return 1;
}

win::HRESULT EnumDevice(win::GUID* guid, const char* description, const char* name,
                        win::D3DDEVICEDESC* hardware, win::D3DDEVICEDESC* software, void*) {
    if (theD3DDeviceCount >= kMaxD3DDevices) return win::DDENUMRET_CANCEL;
    const win::D3DDEVICEDESC* chosen = nullptr;
    std::uint32_t isHardware = 0;
    if (software != nullptr && software->dcmColorModel == win::D3DCOLOR_RGB) {
        chosen = software;
    } else if (hardware != nullptr && hardware->dcmColorModel != 0) {
        chosen = hardware;
        isHardware = 1;
    }
    if (chosen == nullptr) return win::DDENUMRET_OK;
    D3DDeviceRecord& r = theD3DDevices[theD3DDeviceCount];
    CopyName(r.name, name);
    CopyName(r.description, description);
    r.desc = *chosen;
    r.guid = guid != nullptr ? *guid : win::GUID{};
    r.isHardware = isHardware;
    r.perspectiveTextures =
        (chosen->dpcTriCaps.dwTextureCaps & win::D3DPTEXTURECAPS_PERSPECTIVE) ? 1 : 0;
    r.hasDepthBuffer = chosen->dwDeviceZBufferBitDepth != 0 ? 1 : 0;
    if (isHardware) theD3DDeviceChoice = theD3DDeviceCount;  // the last hardware device wins
    ++theD3DDeviceCount;
    return win::DDENUMRET_OK;
}

win::HRESULT EnumFormat(win::DDSURFACEDESC* desc, void*) {
    if (theTextureFormatCount >= kMaxTextureFormats) return win::DDENUMRET_CANCEL;
    D3DTextureFormatRecord& r = theTextureFormats[theTextureFormatCount++];
    r = D3DTextureFormatRecord{};
    r.desc = *desc;
    r.palettised8 = (desc->ddpfPixelFormat.dwFlags & win::DDPF_PALETTEINDEXED8) ? 1 : 0;
    return win::DDENUMRET_OK;
}

void FillFormatBits(D3DTextureFormatRecord& r, bool withAlpha) {
    const win::DDPIXELFORMAT& f = r.desc.ddpfPixelFormat;
    MaskBits(f.dwRBitMask, &r.redBits, &r.redShift);
    MaskBits(f.dwGBitMask, &r.greenBits, &r.greenShift);
    MaskBits(f.dwBBitMask, &r.blueBits, &r.blueShift);
    if (withAlpha) MaskBits(f.dwRGBAlphaBitMask, &r.alphaBits, &r.alphaShift);
}

bool HasColourMasks(const D3DTextureFormatRecord& r) {
    const win::DDPIXELFORMAT& f = r.desc.ddpfPixelFormat;
    return f.dwRBitMask != 0 && f.dwGBitMask != 0 && f.dwBBitMask != 0;
}

// The first render states of the device, in one execute buffer of 128 bytes.
int SendInitialStates() {
    static constexpr std::uint32_t kStates[15][2] = {
        {win::D3DRENDERSTATE_CULLMODE, win::D3DCULL_NONE},
        {win::D3DRENDERSTATE_SHADEMODE, win::D3DSHADE_GOURAUD},
        {win::D3DRENDERSTATE_TEXTUREPERSPECTIVE, 1},
        {win::D3DRENDERSTATE_ZENABLE, 0},
        {win::D3DRENDERSTATE_ZWRITEENABLE, 0},
        {win::D3DRENDERSTATE_ZFUNC, win::D3DCMP_LESSEQUAL},
        {win::D3DRENDERSTATE_TEXTUREMAG, win::D3DFILTER_NEAREST},
        {win::D3DRENDERSTATE_TEXTUREMIN, win::D3DFILTER_NEAREST},
        {win::D3DRENDERSTATE_TEXTUREMAPBLEND, win::D3DTBLEND_MODULATE},
        {win::D3DRENDERSTATE_FILLMODE, win::D3DFILL_SOLID},
        {win::D3DRENDERSTATE_DITHERENABLE, 1},
        {win::D3DRENDERSTATE_DITHERENABLE, 0},
        {win::D3DRENDERSTATE_ANTIALIAS, win::D3DANTIALIAS_NONE},
        {win::D3DRENDERSTATE_FOGENABLE, 0},
        {win::D3DRENDERSTATE_SPECULARENABLE, 0},
    };
    win::D3DEXECUTEBUFFERDESC desc;
    desc.dwFlags = win::D3DDEB_BUFSIZE;
    desc.dwBufferSize = 128;
    win::Direct3DExecuteBuffer* buffer = nullptr;
    if (win::FAILED(theD3DDevice->CreateExecuteBuffer(&desc, &buffer, nullptr))) return 0;
    int ok = 0;
    if (win::SUCCEEDED(buffer->Lock(&desc))) {
        auto* p = static_cast<std::uint8_t*>(desc.lpData);
        win::WriteInstruction(p, win::D3DOP_STATERENDER, 8, 15);
        for (int i = 0; i < 15; ++i)
            win::WriteState(p + 4 + i * 8, kStates[i][0], kStates[i][1]);
        win::WriteInstruction(p + 124, win::D3DOP_EXIT, 0, 0);
        buffer->Unlock();
        win::D3DEXECUTEDATA data;
        data.dwInstructionOffset = 0;
        data.dwInstructionLength = 128;
        buffer->SetExecuteData(&data);
        theD3DDevice->BeginScene();
        ok = win::SUCCEEDED(
            theD3DDevice->Execute(buffer, theD3DViewport, win::D3DEXECUTE_UNCLIPPED));
        theD3DDevice->EndScene();
    }
    buffer->Release();
    return ok;
}

}  // namespace

// ---- The layer ------------------------------------------------------------------------------

int InitDirect3DLayer(win::HWND window) {
    InstallDDrawTable();
    InstallD3DDrawTable();
    if (theD3DModule == nullptr) theD3DModule = win::LoadDirectDrawLibrary();
    if (theD3DModule == nullptr || theD3DModule->DirectDrawCreate == nullptr ||
        theD3DModule->DirectDrawEnumerate == nullptr) {
        if (theD3DModule != nullptr) win::FreeDirectDrawLibrary();
        theD3DModule = nullptr;
        return 0;
    }
    win::DirectDraw* kept = nullptr;
    if (win::FAILED(theD3DModule->DirectDrawEnumerate(&EnumDriver, &kept))) {
        if (kept != nullptr) kept->Release();
        return 0;
    }
    if (kept == nullptr && win::FAILED(theD3DModule->DirectDrawCreate(nullptr, &kept, nullptr)))
        return 0;
    theD3DDirectDraw = kept;
    if (win::FAILED(kept->SetCooperativeLevel(window, kFullScreenLevel))) {
        ReleaseDirect3D();
        return 0;
    }
    theD3DDriverCaps = win::DDCAPS{};
    theD3DHelCaps = win::DDCAPS{};
    if (win::FAILED(kept->GetCaps(&theD3DDriverCaps, &theD3DHelCaps))) {
        ReleaseDirect3D();
        return 0;
    }
    theD3DWriteOnly = (theD3DDriverCaps.ddsCaps.dwCaps & win::DDSCAPS_WRITEONLY) ? 1 : 0;
    if (win::FAILED(win::QueryDirect3D(kept, &theDirect3D))) {
        ReleaseDirect3D();
        return 0;
    }
    theD3DDeviceCount = 0;
    theD3DDeviceChoice = -1;
    if (win::FAILED(theDirect3D->EnumDevices(&EnumDevice, nullptr))) {
        ReleaseDirect3D();
        return 0;
    }
    if (theD3DDeviceChoice >= 0) {
        theD3DHardware = 1;
    } else if (theD3DDeviceCount == 0) {
        ReleaseDirect3D();
        return 0;
    } else {
        theD3DDeviceChoice = 0;
        theD3DHardware = 0;
    }
    return 1;
}

int SetD3DDisplayMode(std::int32_t width, std::int32_t height, std::int32_t depth) {
    if (theD3DDirectDraw == nullptr || width <= 0 || height <= 0 || depth <= 0) return 0;
    if (win::FAILED(theD3DDirectDraw->SetDisplayMode(static_cast<std::uint32_t>(width),
                                                     static_cast<std::uint32_t>(height),
                                                     static_cast<std::uint32_t>(depth))))
        return 0;
    theD3DWidth = width;
    theD3DHeight = height;
    theD3DDepth = depth;
    return 1;
}

void GetD3DDisplayMode(std::int32_t* width, std::int32_t* height, std::int32_t* depth) {
    if (width != nullptr) *width = theD3DWidth;
    if (height != nullptr) *height = theD3DHeight;
    if (depth != nullptr) *depth = theD3DDepth;
}

void RestoreD3DDisplayMode() {
    if (theD3DDirectDraw != nullptr) theD3DDirectDraw->RestoreDisplayMode();
}

int CreateD3DViewport(const GFXRect* rect) {
    if (theDirect3D == nullptr || theD3DDevice == nullptr) return 0;
    if (theD3DViewport != nullptr) theD3DViewport->Release();
    theD3DViewport = nullptr;
    // The batch must not execute on the viewport just released, should no new one be made.
    if (theD3DBatch != nullptr) theD3DBatch->viewport = nullptr;
    win::Direct3DViewport* vp = nullptr;
    if (win::FAILED(theDirect3D->CreateViewport(&vp, nullptr))) return 0;
    if (win::FAILED(theD3DDevice->AddViewport(vp))) {
        vp->Release();
        return 0;
    }
    win::D3DVIEWPORT v;
    if (rect != nullptr) {
        v.dwX = static_cast<std::uint32_t>(std::max(rect->left, 0));
        v.dwY = static_cast<std::uint32_t>(std::max(rect->top, 0));
        v.dwWidth = static_cast<std::uint32_t>(std::max(rect->right - rect->left + 1, 0));
        v.dwHeight = static_cast<std::uint32_t>(std::max(rect->bottom - rect->top + 1, 0));
    } else {
        v.dwWidth = static_cast<std::uint32_t>(theD3DWidth);
        v.dwHeight = static_cast<std::uint32_t>(theD3DHeight);
    }
    v.dvMinZ = 100.0f;
    v.dvMaxZ = 10000.0f;
    if (win::FAILED(vp->SetViewport(&v))) {
        vp->Release();
        return 0;
    }
    theD3DViewport = vp;
    // The batch executes on the viewport of the moment.
    if (theD3DBatch != nullptr) theD3DBatch->viewport = vp;
    return 1;
}

int ChooseTextureFormats() {
    if (theD3DDevice == nullptr) return 0;
    theTextureFormatCount = 0;
    if (win::FAILED(theD3DDevice->EnumTextureFormats(&EnumFormat, nullptr))) return 0;
    std::int32_t palettised = -1;
    for (std::int32_t i = 0; i < theTextureFormatCount; ++i)
        if (theTextureFormats[i].palettised8) palettised = i;
    if (palettised < 0) {
        auto is16 = [](const D3DTextureFormatRecord& r) {
            return r.desc.ddpfPixelFormat.dwRGBBitCount == 16;
        };
        auto hasAlpha = [](const D3DTextureFormatRecord& r) {
            return (r.desc.ddpfPixelFormat.dwFlags & win::DDPF_ALPHAPIXELS) != 0;
        };
        bool any = false;
        for (std::int32_t i = 0; i < theTextureFormatCount; ++i) {
            D3DTextureFormatRecord& r = theTextureFormats[i];
            if (!is16(r) || hasAlpha(r)) continue;
            if (!HasColourMasks(r)) break;
            FillFormatBits(r, false);
            any = true;
        }
        for (std::int32_t i = 0; i < theTextureFormatCount; ++i) {
            D3DTextureFormatRecord& r = theTextureFormats[i];
            if (!is16(r) || !hasAlpha(r)) continue;
            if (!HasColourMasks(r)) break;
            FillFormatBits(r, true);
            any = true;
        }
        if (!any)
            for (std::int32_t i = 0; i < theTextureFormatCount; ++i) {
                D3DTextureFormatRecord& r = theTextureFormats[i];
                if (r.desc.ddpfPixelFormat.dwRGBAlphaBitMask == 0) continue;
                if (!HasColourMasks(r)) break;
                FillFormatBits(r, true);
            }
    }
    theTextureFormat1555 = -1;
    theTextureFormat4444 = -1;
    for (std::int32_t i = 0; i < theTextureFormatCount; ++i) {
        const win::DDPIXELFORMAT& f = theTextureFormats[i].desc.ddpfPixelFormat;
        if (f.dwRGBBitCount != 16) continue;
        if (f.dwRGBAlphaBitMask == 0x8000 && f.dwRBitMask == 0x7C00 && f.dwGBitMask == 0x03E0 &&
            f.dwBBitMask == 0x001F)
            theTextureFormat1555 = i;
        if (f.dwRGBAlphaBitMask == 0xF000 && f.dwRBitMask == 0x0F00 && f.dwGBitMask == 0x00F0 &&
            f.dwBBitMask == 0x000F)
            theTextureFormat4444 = i;
    }
    return theTextureFormat1555 >= 0 && theTextureFormat4444 >= 0 ? 1 : 0;
}

void ReleaseDirect3D() {
    delete theTextureCache;
    theTextureCache = nullptr;
    // The batch's buffer belongs to the device: it goes first.
    DestroyD3DBatch();
    ResetD3DFrame();
    if (theD3DViewport != nullptr) theD3DViewport->Release();
    theD3DViewport = nullptr;
    if (theD3DDevice != nullptr) theD3DDevice->Release();
    theD3DDevice = nullptr;
    if (theD3DBackSurface != nullptr) theD3DBackSurface->Release();
    theD3DBackSurface = nullptr;
    if (theD3DFrontSurface != nullptr)
        while (theD3DFrontSurface->Release() != 0) {
        }
    theD3DFrontSurface = nullptr;
    if (theDirect3D != nullptr) theDirect3D->Release();
    theDirect3D = nullptr;
    if (theD3DDirectDraw != nullptr)
        while (theD3DDirectDraw->Release() != 0) {
        }
    theD3DDirectDraw = nullptr;
    if (theD3DModule != nullptr) win::FreeDirectDrawLibrary();
    theD3DModule = nullptr;
    for (D3DDeviceRecord& r : theD3DDevices)
        r = D3DDeviceRecord{};
    for (D3DTextureFormatRecord& r : theTextureFormats)
        r = D3DTextureFormatRecord{};
    theD3DDeviceCount = 0;
    theTextureFormatCount = 0;
    theD3DDeviceChoice = -1;
    theTextureFormat1555 = -1;
    theTextureFormat4444 = -1;
    theD3DHardware = 0;
    theD3DWriteOnly = 0;
}

int CreateD3DChain(GFXD3DSurface** out, std::int32_t) {
    if (out == nullptr || theD3DDirectDraw == nullptr || theD3DDeviceChoice < 0) return 0;
    out[0] = out[1] = nullptr;
    auto front = std::make_unique<GFXD3DSurface>();
    auto back = std::make_unique<GFXD3DSurface>();
    GFXD3DSurface* pair[2] = {front.get(), back.get()};
    for (int i = 0; i < 2; ++i) {
        if (theD3DWriteOnly) pair[i]->flags |= kSurfaceWriteOnly;
        pair[i]->chainNext = pair[1 - i];
        pair[i]->chainCount = 2;
    }
    win::DDSURFACEDESC desc;
    desc.dwFlags = win::DDSD_CAPS | win::DDSD_BACKBUFFERCOUNT;
    desc.dwBackBufferCount = 1;
    desc.ddsCaps.dwCaps = win::DDSCAPS_PRIMARYSURFACE | win::DDSCAPS_FLIP | win::DDSCAPS_COMPLEX |
                          win::DDSCAPS_3DDEVICE | win::DDSCAPS_VIDEOMEMORY;
    bool video = true;
    win::DirectDrawSurface* primary = nullptr;
    if (win::FAILED(theD3DDirectDraw->CreateSurface(&desc, &primary, nullptr))) {
        if (theD3DHardware) return 0;
        desc.ddsCaps.dwCaps &= ~win::DDSCAPS_VIDEOMEMORY;
        video = false;
        if (win::FAILED(theD3DDirectDraw->CreateSurface(&desc, &primary, nullptr))) return 0;
    }
    theD3DFrontSurface = primary;
    auto fail = [&] {
        front->surface = nullptr;
        back->surface = nullptr;
        DestroyD3DBatch();
        if (theD3DViewport != nullptr) theD3DViewport->Release();
        theD3DViewport = nullptr;
        if (theD3DDevice != nullptr) theD3DDevice->Release();
        theD3DDevice = nullptr;
        if (theD3DBackSurface != nullptr) theD3DBackSurface->Release();
        theD3DBackSurface = nullptr;
        while (theD3DFrontSurface->Release() != 0) {
        }
        theD3DFrontSurface = nullptr;
        return 0;
    };
    win::DDSCAPS caps{win::DDSCAPS_BACKBUFFER};
    if (win::FAILED(primary->GetAttachedSurface(&caps, &theD3DBackSurface))) return fail();
    front->surface = theD3DFrontSurface;
    back->surface = theD3DBackSurface;
    for (int i = 0; i < 2; ++i) {
        pair[i]->displayed = i == 0 ? 1 : 0;
        pair[i]->width = theD3DWidth;
        pair[i]->height = theD3DHeight;
        pair[i]->bitsPerPixel = theD3DDepth;
        if (video) pair[i]->flags |= kSurfaceVideoMemory;
        pair[i]->clipRect = GFXRect{0, 0, theD3DWidth - 1, theD3DHeight - 1};
    }
    if (win::FAILED(win::QueryDevice(theD3DBackSurface, theD3DDevices[theD3DDeviceChoice].guid,
                                     &theD3DDevice)))
        return fail();
    if (!CreateD3DViewport(nullptr)) return fail();
    ChooseTextureFormats();
    if (theTextureCache == nullptr)
        theTextureCache = new SheetCache(theD3DDirectDraw, theDirect3D, theD3DDevice);
    // A device that cannot give the batch its buffer cannot show mode 3 at all.
    DestroyD3DBatch();
    theD3DBatch =
        new D3DBatch(D3DBatch::kVertices, D3DBatch::kInstructionBytes, D3DBatch::kVertexReserve,
                     D3DBatch::kInstructionReserve, theD3DDevice, theD3DViewport);
    if (!theD3DBatch->IsValid() || !SendInitialStates()) {
        delete theTextureCache;
        theTextureCache = nullptr;
        return fail();
    }
    ResetD3DFrame();
    out[0] = front.release();
    out[1] = back.release();
    return 1;
}

// ---- The surface ----------------------------------------------------------------------------

GFXD3DSurface::GFXD3DSurface() {
    kind = kSurfaceKindDirect3D;
}

GFXD3DSurface::~GFXD3DSurface() {
    if (material != nullptr) material->Release();
    material = nullptr;
    surface = nullptr;  // the layer owns the platform surfaces
}

const GFXDrawTable* GFXD3DSurface::SetDrawTable(const GFXDrawTable* table) {
    const GFXDrawTable* old = theD3DSurfaceTable;
    theD3DSurfaceTable = table;
    return old;
}

const GFXDrawTable* GFXD3DSurface::GetDrawTable() {
    return theD3DSurfaceTable;
}

void GFXD3DSurface::Unlock() {
    if (surface != nullptr && win::SUCCEEDED(surface->Unlock(nullptr))) {
        pixels = nullptr;
        stride = 0;
    }
}

GFXDeviceContext GFXD3DSurface::GetDC() {
    win::HDC h;
    if (surface == nullptr || win::FAILED(surface->GetDC(&h))) {
        dc = nullptr;
        return nullptr;
    }
    dc = ToSurfaceDeviceContext(h);
    return dc;
}

void GFXD3DSurface::ApplyPalette(GFXDDSurface* primary, std::int32_t first, std::int32_t count) {
    if (palette == nullptr) return;
    // The reserved colours are the system's.
    win::PALETTEENTRY system[256];
    win::GetSystemPaletteEntries(win::HDC{}, 0, 256, system);
    for (int i = 0; i < 256; ++i)
        if (i < 10 || i >= 246)
            palette->entries[i] = GFXPaletteEntry{system[i].peRed, system[i].peGreen,
                                                  system[i].peBlue, palette->entries[i].flags};
    win::DirectDrawPalette* ddPalette = nullptr;
    if (primary != nullptr && primary->surface != nullptr &&
        win::SUCCEEDED(primary->surface->GetPalette(&ddPalette))) {
        if (theD3DDirectDraw != nullptr)
            theD3DDirectDraw->WaitForVerticalBlank(win::DDWAITVB_BLOCKBEGIN, nullptr);
        win::PALETTEENTRY entries[256];
        for (int i = 0; i < 256; ++i)
            entries[i] = win::PALETTEENTRY{palette->entries[i].red, palette->entries[i].green,
                                           palette->entries[i].blue, 0};
        const std::int32_t lo = std::max(first, 0);
        const std::int32_t hi = static_cast<std::int32_t>(
            std::min<std::int64_t>(static_cast<std::int64_t>(first) + count, 256));
        if (hi > lo)
            ddPalette->SetEntries(0, static_cast<std::uint32_t>(lo),
                                  static_cast<std::uint32_t>(hi - lo), entries + lo);
        ddPalette->Release();
    }
    palettePending = 0;
}

void GFXD3DSurface::Flip() {
    if (palettePending && pendingPrimary != nullptr)
        ApplyPalette(pendingPrimary, pendingStart, pendingCount);
    GFXSurface* next = chainNext;
    const bool cursor = next != nullptr && (next->flags & kSurfaceCursor);
    if (cursor) {
        if (width != 320) RestoreUnderCursor(this);
        DrawCursor(next);
    }
    if (theD3DFrontSurface != nullptr) {
        if (theD3DFrontSurface->IsLost() == win::DDERR_SURFACELOST) theD3DFrontSurface->Restore();
        theD3DFrontSurface->Flip(theD3DBackSurface, win::DDFLIP_WAIT);
    }
    if (cursor && width == 320) RestoreUnderCursor(next);
}

void GFXD3DSurface::ClearTarget(GFXSurface* s) {
    if (theD3DViewport == nullptr || s == nullptr) return;
    win::D3DRECT r{0, 0, s->width, s->height};
    theD3DViewport->Clear(1, &r, win::D3DCLEAR_TARGET);
}

void GFXD3DSurface::ClearDepth(GFXSurface* s) {
    if (theD3DViewport == nullptr || s == nullptr) return;
    win::D3DRECT r{s->clipRect.left, s->clipRect.top, s->clipRect.right, s->clipRect.bottom};
    theD3DViewport->Clear(1, &r, win::D3DCLEAR_ZBUFFER);
}

void GFXD3DSurface::SetBackground(GFXSurface* s, std::uint32_t index) {
    if (s == nullptr || s->kind != kSurfaceKindDirect3D || theDirect3D == nullptr ||
        theD3DDevice == nullptr || theD3DViewport == nullptr)
        return;
    auto* d = static_cast<GFXD3DSurface*>(s);
    GFXPaletteEntry e{0, 0, 0, 0};
    if (d->palette != nullptr) e = d->palette->entries[index & 0xFF];
    if (d->material != nullptr) d->material->Release();
    d->material = nullptr;
    d->materialHandle = 0;
    win::Direct3DMaterial* m = nullptr;
    if (win::FAILED(theDirect3D->CreateMaterial(&m, nullptr))) return;
    win::D3DMATERIAL mat;
    mat.diffuse = win::D3DCOLORVALUE{e.red / 255.0f, e.green / 255.0f, e.blue / 255.0f, 1.0f};
    m->SetMaterial(&mat);
    m->GetHandle(theD3DDevice, &d->materialHandle);
    d->material = m;
    d->backgroundIndex = static_cast<std::int32_t>(index & 0xFF);
    theD3DViewport->SetBackground(d->materialHandle);
}

}  // namespace gfx
