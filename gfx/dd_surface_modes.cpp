// Entering and leaving the full-screen display modes.
#include "gfx/dd_surface_modes.h"

#include <algorithm>
#include <memory>

#include "gfx/draw_table.h"

namespace gfx {

GFXSurface* theFlipChain[3] = {};
GFXD3DSurface* theD3DChain[2] = {};

namespace {

void CopyPicture(GFXSurface* from, GFXSurface* to) {
    to->AcquireLock();
    to->Blit(from, GFXRect{0, 0, from->width - 1, from->height - 1}, GFXPoint{0, 0});
    to->ReleaseLock();
}

void DestroyChainMembers() {
    // Back members first: the primary frees the device's chain.
    for (int i = 2; i >= 0; --i) {
        delete theFlipChain[i];
        theFlipChain[i] = nullptr;
    }
}

}  // namespace

int EnterFlipChainMode(win::HWND mainWindow, std::int32_t width, std::int32_t height,
                       std::int32_t depth, std::int32_t bufferCount, GFXCDSSurface* window) {
    if (window == nullptr) return 0;
    if (theDirectDraw == nullptr && !InitDirectDraw(mainWindow)) {
        ReleaseDirectDraw();
        return 0;
    }
    if (!SetDDrawDisplayMode(width, height, depth)) {
        ReleaseDirectDraw();
        DestroyChainMembers();
        return 0;
    }
    const std::int32_t asked = width == 320 ? 2 : std::clamp(bufferCount, 2, 3);
    GFXDDSurface* made[3] = {};
    if (!CreateFlipChain(made, asked)) {
        RestoreDDrawDisplayMode();
        ReleaseDirectDraw();
        return 0;
    }
    // The device may have cut the chain down.
    const std::int32_t size = made[0]->chainCount;
    for (int i = 0; i < 3; ++i)
        theFlipChain[i] = made[i];
    if (size == 2) {
        // Two buffers: the back buffer is a DIB surface copied into the primary through GDI.
        GFXSurface* savedNext = theFlipChain[1]->chainNext;
        delete theFlipChain[1];
        theFlipChain[1] = nullptr;
        std::unique_ptr<GFXCDSSurface> dib;
        if (!CreateCDSSurface(&dib, mainWindow, 1, nullptr, width, height, depth,
                              kPixelFormat565)) {
            made[0]->chainNext = made[0];
            made[0]->chainCount = 1;
            DestroyChainMembers();
            RestoreDDrawDisplayMode();
            ReleaseDirectDraw();
            return 0;
        }
        dib->flags |= kSurfaceKeepSysPal;
        dib->chainNext = savedNext;
        dib->chainCount = 2;
        theFlipChain[1] = dib.release();
        theFlipChain[0]->chainNext = theFlipChain[1];
    }
    theFlipChain[0]->SetPalette(window->palette, 0, 256);
    for (int i = 0; i < size; ++i) {
        theFlipChain[i]->spanRegion = window->spanRegion;
        theFlipChain[i]->subclassWord = window->subclassWord;
    }
    CopyPicture(window, theFlipChain[1]);
    theFlipChain[1]->flags |= window->flags;
    theFlipChain[0]->copiesLeft = size - 1;
    theFlipChain[0]->FlipCopy();
    return 1;
}

void LeaveFlipChainMode(GFXCDSSurface* window, int keepDevice) {
    GFXSurface* member = theFlipChain[1];
    if (window != nullptr && member != nullptr) {
        window->SetPalette(member->palette, 0, 256);
        window->spanRegion = member->spanRegion;
        window->subclassWord = member->subclassWord;
        bool lost = false;
        if (member->kind == kSurfaceKindDirectDraw) {
            auto* dd = static_cast<GFXDDSurface*>(member);
            lost = dd->surface == nullptr || dd->surface->IsLost() != win::DD_OK;
        }
        if (!lost) CopyPicture(member, window);
        window->flags = member->flags & ~kSurfaceWriteOnly;
    }
    DestroyChainMembers();
    if (keepDevice) return;
    RestoreDDrawDisplayMode();
    ReleaseDirectDraw();
}

int EnterD3DMode(win::HWND mainWindow, std::int32_t width, std::int32_t height,
                 GFXCDSSurface* window) {
    if (window == nullptr) return 0;
    if (theD3DDirectDraw == nullptr && !InitDirect3DLayer(mainWindow)) {
        ReleaseDirect3D();
        return 0;
    }
    if (!SetD3DDisplayMode(width, height, 16)) {
        ReleaseDirect3D();
        return 0;
    }
    if (!CreateD3DChain(theD3DChain, 2)) {
        RestoreD3DDisplayMode();
        ReleaseDirect3D();
        return 0;
    }
    GFXD3DSurface* back = theD3DChain[1];
    back->SetPalette(window->palette, 0, 256);
    if (const GFXDrawTable* t = back->GetDrawTable(); t != nullptr && t->Clear != nullptr)
        t->Clear(back, 0);
    back->flags |= window->flags;
    theD3DChain[0]->FlipCopy();
    return 1;
}

void LeaveD3DMode(GFXCDSSurface* window) {
    GFXD3DSurface* back = theD3DChain[1];
    if (window != nullptr && back != nullptr) {
        window->SetPalette(back->palette, 0, 256);
        window->spanRegion = back->spanRegion;
        window->subclassWord = back->subclassWord;
        window->flags = back->flags & ~kSurfaceWriteOnly;
    }
    RestoreD3DDisplayMode();
    delete theD3DChain[1];
    delete theD3DChain[0];
    theD3DChain[0] = theD3DChain[1] = nullptr;
    ReleaseDirect3D();
}

}  // namespace gfx
