// The two full-screen display modes as the display set-up switches them: the flip chain of the
// full-screen device (mode 0) and the 3D front/back pair (mode 3). Entering carries the window
// surface's palette, span region and picture into the new surfaces; leaving carries them back
// (the picture only from a flip chain whose buffer was not lost).
#pragma once

#include <cstdint>

#include "gfx/cds_surface.h"
#include "gfx/d3d_surface.h"
#include "gfx/dd_surface.h"

namespace gfx {

// Mode 0: the primary first, then the back buffer(s); the second member is a DIB surface in a
// chain of two. Mode 3: front, back.
extern GFXSurface* theFlipChain[3];
extern GFXD3DSurface* theD3DChain[2];

// Builds the chain of `bufferCount` members (2 at width 320) over `window`'s picture. 1, or 0
// with the device released and nothing made.
int EnterFlipChainMode(win::HWND mainWindow, std::int32_t width, std::int32_t height,
                       std::int32_t depth, std::int32_t bufferCount, GFXCDSSurface* window);
// Carries the chain's picture (unless lost), palette and flags into `window` when it is given,
// destroys the chain, restores the display mode and releases the device.
void LeaveFlipChainMode(GFXCDSSurface* window, int keepDevice = 0);
int EnterD3DMode(win::HWND mainWindow, std::int32_t width, std::int32_t height,
                 GFXCDSSurface* window);
// Carries palette, span region and flags (no picture) into `window` when it is given, then
// destroys the pair and releases the layer.
void LeaveD3DMode(GFXCDSSurface* window);

}  // namespace gfx
