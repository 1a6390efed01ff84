// The draw table of the 3D surfaces (theDrawTableD3D): entry 0 clears through the device,
// entry 3 draws ellipses in software, entry 11 hands polygons to the device through the
// execute-buffer batch and the texture sheet cache, entries 20 and 21 open and close the
// device's scene. Text entries answer 0; the others do nothing.
#pragma once

#include <cstdint>

#include "gfx/surface.h"

namespace gfx {

struct GFXPolyRequest;

// The frame bracket's state: the clip rectangle the viewport was made for and the locks the
// surface held when the scene opened.
struct D3DFrameState {
    bool sceneOpen = false;
    bool clipRecorded = false;
    GFXRect clip;
    std::int32_t heldLocks = 0;
};

// Fills theDrawTableD3D (window creation; the 3D layer does it too).
void InstallD3DDrawTable();
void D3DDrawPolygon(GFXSurface* surface, GFXPolyRequest* request);
D3DFrameState& D3DFrame();
// Forgets the frame state (when the device goes).
void ResetD3DFrame();

}  // namespace gfx
