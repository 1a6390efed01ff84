#include "cockpit/panel_redraw.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "cockpit/cockpit_services.h"
#include "cockpit/cockpit_systems.h"
#include "cockpit/gauges.h"
#include "cockpit/panel_art.h"
#include "cockpit/panel_services.h"
#include "flight/aircraft.h"
#include "gfx/bitmap.h"
#include "gfx/draw_table.h"
#include "gfx/surface.h"
#include "win/program_entry.h"

namespace cockpit {

std::int32_t thePanelBufferCount = 1;
std::int32_t thePanelPrimed = 0;
std::int32_t thePanelPrimeCount = 0;

namespace {
void TracePanel(const char* line) {
    win::TraceLine(line);
}
}  // namespace
void (*thePanelTrace)(const char* line) = &TracePanel;

void ResetPanelGauges() {
    thePanelPrimed = 0;
    for (PanelGauge* g : thePanelGauges)
        g->BindSlots(thePanelBufferCount);
    theHsiGauge.slotCount = std::clamp(thePanelBufferCount, 1, kGaugeSlots);
    theHsiGauge.alwaysDraw = 0;
    theHsiGauge.ResetHsiDrawnState();
}

void SetPanelBufferCount(std::int32_t count) {
    thePanelBufferCount = std::clamp(count, 1, kGaugeSlots);
    thePanelPrimed = 0;
}

int PrimePanel(int viewMode, int lookDirection) {
    if ((viewMode != 0 && viewMode != 1) || lookDirection != 0) return 0;
    if (thePanelPrimed == 0) thePanelPrimeCount = 0;
    if (thePanelPrimed != 0 && thePanelPrimeCount >= thePanelBufferCount) return 0;
    if (thePanelPrimeCount == 0) ResetPanelGauges();
    flight::theAircraft.DrawPanelBackground(PanelSurface());
    InvalidateAllGauges();
    thePanelPrimed = 1;
    ++thePanelPrimeCount;
    if (thePanelTrace != nullptr) {
        char line[48];
        std::snprintf(line, sizeof line, "panel: primed %d of %d", thePanelPrimeCount,
                      thePanelBufferCount);
        thePanelTrace(line);
    }
    return 1;
}

void PaintCockpit(int viewMode, int lookDirection) {
    thePanelSliding = false;
    const PanelPass pass;
    gfx::GFXSurface* s = pass.Surface();
    if (s == nullptr) return;
    // The cockpit draws on the whole screen, whatever the 3D view clipped to.
    // One lock over the whole pass: each draw's own bracket then only counts. A lock that fails
    // is let go at once, so that each draw still finds the surface without pixels.
    std::optional<gfx::GFXSurfaceLock> lock(std::in_place, *s);
    if (!lock->Ok()) lock.reset();
    const gfx::GFXRect saved = s->clipRect;
    s->clipRect = {0, 0, std::min(639, s->width - 1), std::min(479, s->height - 1)};
    PrimePanel(viewMode, lookDirection);
    UpdateElectricalPower(0);
    UpdateTrimIndicators();
    flight::theAircraft.DrawPanel(s);
    if (viewMode != 4 && viewMode != 5) {
        if ((viewMode == 0 || viewMode == 1) && lookDirection == 0)
            RefreshPanelRegions(flight::theAircraft.GetType(), viewMode);
        else
            flight::theAircraft.DrawViewBitmaps(s);
    }
    s->clipRect = saved;
}

bool PanelRegionFor(int type, int viewMode, PanelRegion* out) {
    if (viewMode != 0 && viewMode != 1) return false;
    switch (type) {
        case 0:
            *out = viewMode == 0 ? PanelRegion{171, 12, {534, 135, 550, 157}}
                                 : PanelRegion{215, 12, {534, 179, 550, 201}};
            return true;
        case 1:
            *out = viewMode == 0 ? PanelRegion{193, 11, {529, 141, 546, 168}}
                                 : PanelRegion{235, 11, {529, 183, 546, 210}};
            return true;
        case 2:
            *out = PanelRegion{150, 13, {524, 99, 541, 126}};
            return true;
        case 3:
            *out = PanelRegion{150, 11, {527, 0, 550, 126}};
            return true;
        case 4:
            *out = PanelRegion{143, 62, {532, 0, 567, 119}};
            return true;
        default:
            return false;
    }
}

void RefreshPanelRegions(int type, int viewMode) {
    PanelRegion r;
    if (!PanelRegionFor(type, viewMode, &r)) return;
    theDmeSelector.DrawLine({0, r.edgeRow}, {639, r.edgeRow}, r.edgeColour);
    if (thePanelHost.compassShown() == 0) return;
    const IntRect& w = r.compass;
    const std::int32_t stripY = w.top + std::max(0, (w.bottom - w.top + 1 - 14) / 2);
    DrawCompassTape(theCompassCardArt, theCompassArt, w.left, w.top, w.left, stripY,
                    theHsiGauge.compassFrame, w);
}

void DrawCompassTape(const gfx::GFXBitmap* strip, const gfx::GFXBitmap* overlay,
                     std::int32_t overlayX, std::int32_t overlayY, std::int32_t stripX,
                     std::int32_t stripY, std::int32_t frame, const IntRect& window) {
    gfx::GFXSurface* s = PanelSurface();
    const gfx::GFXDrawTable* t = PanelTable(s);
    if (t == nullptr || t->DrawBitmapPart == nullptr) return;
    if (frame < 0 || frame > 143) frame = 0;
    const gfx::GFXRect saved = s->clipRect;
    gfx::GFXRect clip{window.left, window.top, window.right, window.bottom};
    clip.left = std::max(clip.left, saved.left);
    clip.top = std::max(clip.top, saved.top);
    clip.right = std::min(clip.right, saved.right);
    clip.bottom = std::min(clip.bottom, saved.bottom);
    if (clip.right >= clip.left && clip.bottom >= clip.top) {
        s->clipRect = clip;
        if (strip != nullptr && strip->pixels != nullptr) {
            gfx::GFXRect src{frame, 0, frame + 34, 13};
            src.right = std::min(src.right, strip->width - 1);
            src.bottom = std::min(src.bottom, std::abs(strip->height) - 1);
            if (src.right >= src.left && src.bottom >= src.top)
                t->DrawBitmapPart(s, strip, src, {stripX, stripY}, 0);
        }
        if (overlay != nullptr && overlay->pixels != nullptr)
            t->DrawBitmapPart(s, overlay,
                              {0, 0, overlay->width - 1, std::abs(overlay->height) - 1},
                              {overlayX, overlayY}, 0);
        s->clipRect = saved;
    }
}

}  // namespace cockpit
