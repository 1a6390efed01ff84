// The panel's redraw: how many back buffers the panel is painted into, the priming of all of them
// after a full-repaint request, the per-frame order of the cockpit drawing, and the fixed regions
// (the panel's top edge line and the magnetic compass) drawn in every cockpit frame.
#pragma once

#include <cstdint>

#include "cockpit/panel_gauge.h"

namespace cockpit {

// Back buffers the panel is painted into: 1 in a window, 3 in full screen with page flipping.
extern std::int32_t thePanelBufferCount;
// 1 once every buffer holds a fresh background; cleared to ask for a full repaint.
extern std::int32_t thePanelPrimed;
// Frames of the current priming painted so far.
extern std::int32_t thePanelPrimeCount;

// Binds every gauge to the buffer count and forgets what each drew.
void ResetPanelGauges();
// The full-screen switch: the buffer count for the new mode, and a full repaint.
void SetPanelBufferCount(std::int32_t count);

// One cockpit frame after the 3D view, in the view mode and look direction: priming in the panel
// views looking forward, the electrical refresh (every frame), the aircraft's panel, then the
// fixed regions (or the side view when looking sideways). Camera modes 4 and 5 draw no cockpit.
void PaintCockpit(int viewMode, int lookDirection);
// Priming alone (the first step of PaintCockpit); 1 when this frame primed.
int PrimePanel(int viewMode, int lookDirection);

// The edge line and, with the compass option on, the magnetic compass.
void RefreshPanelRegions(int type, int viewMode);

struct PanelRegion {
    std::int32_t edgeRow;
    std::int16_t edgeColour;
    IntRect compass;  // inclusive window
};
// The fixed regions of a type in a view mode; false when it has none.
bool PanelRegionFor(int type, int viewMode, PanelRegion* out);

// The compass tape: the window (frame, 0)-(frame + 34, 13) of the strip at (stripX, stripY),
// then the overlay whole at (overlayX, overlayY), clipped to `window`. Frames outside 0..143
// show 0.
void DrawCompassTape(const gfx::GFXBitmap* strip, const gfx::GFXBitmap* overlay,
                     std::int32_t overlayX, std::int32_t overlayY, std::int32_t stripX,
                     std::int32_t stripY, std::int32_t frame, const IntRect& window);

// A line per priming frame and per engine change goes to the runner's trace through this.
extern void (*thePanelTrace)(const char* line);

}  // namespace cockpit
