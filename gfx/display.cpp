// Display set-up: the window modes here, the full-screen modes through dd_surface_modes.
#include "gfx/display.h"

#include <memory>

#include "gfx/dd_surface_modes.h"

namespace gfx {

std::int32_t theDisplayMode = kDisplayNone;
std::int32_t theDisplayWidth = 0;
std::int32_t theDisplayHeight = 0;
std::int32_t theDisplayDepth = 0;
win::HWND theDisplayWindow;
win::HWND theDrawWindow;
std::int32_t theBufferCount = 0;
GFXCDSSurface* theWindowSurface = nullptr;
GFXCDSSurface* theBorderSurface = nullptr;
GFXSubSurface* theBorderView = nullptr;
const GFXPixelFormat theDefaultPixelFormat = kPixelFormat565;

namespace {

win::HWND DrawWindow() {
    return theDrawWindow ? theDrawWindow : theDisplayWindow;
}

// Carries the palette, span region and (with keepPicture) the picture of `from` into `to`;
// the caller sets the flags.
void CarryOver(GFXSurface* from, GFXSurface* to, int keepPicture) {
    if (from == nullptr || to == nullptr) return;
    to->SetPalette(from->palette, 0, 256);
    to->spanRegion = from->spanRegion;
    to->subclassWord = from->subclassWord;
    if (keepPicture) {
        to->AcquireLock();
        to->Blit(from, GFXRect{0, 0, from->width - 1, from->height - 1}, GFXPoint{0, 0});
        to->ReleaseLock();
    }
}

void DestroyBorder() {
    delete theBorderView;
    theBorderView = nullptr;
    delete theBorderSurface;
    theBorderSurface = nullptr;
}

void DestroySurfaces() {
    DestroyBorder();
    delete theWindowSurface;
    theWindowSurface = nullptr;
}

int MakeBorder() {
    std::unique_ptr<GFXCDSSurface> border;
    // The bordered surface lies 50 pixels up and left of the window, so that the window shows
    // its centre, the picture the program draws through the view.
    const GFXPoint origin{-kDisplayBorder, -kDisplayBorder};
    if (!CreateCDSSurface(&border, DrawWindow(), 1, &origin, theDisplayWidth + 2 * kDisplayBorder,
                          theDisplayHeight + 2 * kDisplayBorder, theDisplayDepth,
                          theDefaultPixelFormat))
        return 0;
    std::unique_ptr<GFXSubSurface> view = GFXSubSurface::Create(
        border.get(), GFXRect{kDisplayBorder, kDisplayBorder, theDisplayWidth + kDisplayBorder,
                              theDisplayHeight + kDisplayBorder});
    if (!view) return 0;
    theBorderSurface = border.release();
    theBorderView = view.release();
    return 1;
}

}  // namespace

void SetDisplayOptions(win::HWND mainWindow, win::HWND drawWindow, std::int32_t extraBuffers) {
    theDisplayWindow = mainWindow;
    theDrawWindow = drawWindow ? drawWindow : mainWindow;
    theBufferCount = extraBuffers + 1;
}

int SetDisplayMode(std::int32_t mode, int keepPicture) {
    if (mode < kDisplayFullScreen || mode > kDisplayNone) return 0;
    if (theDisplayMode == kDisplayNone) {
        if (mode == kDisplayNone) return 1;
        std::unique_ptr<GFXCDSSurface> surface;
        if (!CreateCDSSurface(&surface, DrawWindow(), 1, nullptr, theDisplayWidth, theDisplayHeight,
                              theDisplayDepth, theDefaultPixelFormat))
            return 0;
        theWindowSurface = surface.release();
        theDisplayMode = kDisplayWindow;
    }
    if (mode == theDisplayMode) return 1;
    const auto fullScreen = [](std::int32_t m) {
        return m == kDisplayFullScreen || m == kDisplayFullScreen3D;
    };
    // One full-screen mode to the other passes through the window.
    if (fullScreen(mode) && fullScreen(theDisplayMode) && !SetDisplayMode(kDisplayWindow, 1))
        return 0;

    if (mode == kDisplayBordered && theBorderSurface == nullptr && !MakeBorder()) return 0;

    // Leaving the bordered mode hands its picture back to the window surface, unless every
    // surface is about to go.
    if (theDisplayMode == kDisplayBordered && mode != kDisplayNone) {
        CarryOver(theBorderView, theWindowSurface, keepPicture);
        theWindowSurface->flags = theBorderView->flags;
    }

    if (mode == kDisplayFullScreen || mode == kDisplayFullScreen3D) {
        const int ok = mode == kDisplayFullScreen
                           ? EnterFlipChainMode(theDisplayWindow, theDisplayWidth, theDisplayHeight,
                                                theDisplayDepth, theBufferCount, theWindowSurface)
                           : EnterD3DMode(theDisplayWindow, theDisplayWidth, theDisplayHeight,
                                          theWindowSurface);
        if (!ok) return 0;
        theDisplayMode = mode;
        return 1;
    }
    if (theDisplayMode == kDisplayFullScreen)
        LeaveFlipChainMode(mode == kDisplayNone ? nullptr : theWindowSurface);
    if (theDisplayMode == kDisplayFullScreen3D)
        LeaveD3DMode(mode == kDisplayNone ? nullptr : theWindowSurface);

    if (mode == kDisplayNone) {
        DestroySurfaces();
        theDisplayMode = kDisplayNone;
        return 1;
    }

    if (mode == kDisplayBordered) {
        theBorderView->SetPalette(theWindowSurface->palette, 0, 256);
        theBorderSurface->SetPalette(theWindowSurface->palette, 0, 256);
        theBorderView->spanRegion = theWindowSurface->spanRegion;
        theBorderView->subclassWord = theWindowSurface->subclassWord;
        theBorderView->flags = theWindowSurface->flags;
        if (keepPicture) {
            theBorderView->AcquireLock();
            theBorderView->Blit(
                theWindowSurface,
                GFXRect{0, 0, theWindowSurface->width - 1, theWindowSurface->height - 1},
                GFXPoint{0, 0});
            theBorderView->ReleaseLock();
        }
    }
    theDisplayMode = mode;
    return 1;
}

int InitDisplay(std::int32_t width, std::int32_t height, std::int32_t depth) {
    theDisplayWidth = width;
    theDisplayHeight = height;
    theDisplayDepth = depth;
    if (theDisplayMode == kDisplayNone) return 1;
    GFXSurface* target = GetDrawSurface();
    GFXPalette* remembered = target != nullptr ? target->palette : nullptr;
    const std::int32_t mode = theDisplayMode;
    // The full-screen surfaces go first; the full-screen device itself stays for mode 0.
    if (mode == kDisplayFullScreen) LeaveFlipChainMode(nullptr, 1);
    if (mode == kDisplayFullScreen3D) LeaveD3DMode(nullptr);
    DestroySurfaces();
    theDisplayMode = kDisplayNone;
    if (!SetDisplayMode(mode, 0)) {
        if (mode == kDisplayFullScreen) {
            RestoreDDrawDisplayMode();
            ReleaseDirectDraw();
        }
        return 0;
    }
    if (mode == kDisplayFullScreen) theFlipChain[1]->SetPalette(remembered, 0, 256);
    theWindowSurface->SetPalette(remembered, 0, 256);
    // The bordered mode draws through the view: it needs the palette as much as the window.
    if (mode == kDisplayBordered) {
        theBorderSurface->SetPalette(remembered, 0, 256);
        theBorderView->SetPalette(remembered, 0, 256);
    }
    return 1;
}

GFXSurface* GetDrawSurface() {
    switch (theDisplayMode) {
        case kDisplayWindow:
            return theWindowSurface;
        case kDisplayFullScreen:
            return theFlipChain[1];
        case kDisplayFullScreen3D:
            return theD3DChain[1];
        case kDisplayBordered:
            return theBorderView;
        default:
            return nullptr;
    }
}

GFXSurface* GetDisplaySurface() {
    switch (theDisplayMode) {
        case kDisplayWindow:
            return theWindowSurface;
        case kDisplayFullScreen:
            return theFlipChain[0];
        case kDisplayFullScreen3D:
            return theD3DChain[0];
        case kDisplayBordered:
            return theBorderSurface;
        default:
            return nullptr;
    }
}

}  // namespace gfx
