// The aircraft's cockpit art: the panel bitmaps of the view, the side views, the crash picture
// and its cracked-glass overlay, loaded from the panel and cockpit volumes and drawn through the
// surface's draw table. Missing or unreadable members leave their bitmap empty.
#include <algorithm>
#include <cstdlib>
#include <string>

#include "core/resource_volume.h"
#include "flight/aircraft.h"
#include "flight/flight_hooks.h"
#include "flight/flight_world_services.h"
#include "gfx/bitmap.h"
#include "gfx/bitmap_part.h"
#include "gfx/draw_table.h"
#include "gfx/surface.h"

namespace flight {

namespace {

struct ArtNames {
    const char* panel;      // view mode 0
    const char* swapPanel;  // the second panel of view mode 0
    const char* lowPanel;   // view mode 1
    const char* forward;    // view mode 2, cockpit volume
    const char* crash;
    const char* sidePrefix;
};

constexpr ArtNames kArt[5] = {
    {"172panel.bmp", nullptr, "172lopan.bmp", "172_f.bmp", "172_Crsh.bmp", "172_"},
    {"b_panel.bmp", nullptr, "b_lwpnl.bmp", "bon_f.bmp", "Bon_Crsh.bmp", "bon_"},
    {"ba_pnl.bmp", "ba_swap.bmp", nullptr, "bar_f.bmp", "Bar_Crsh.bmp", "bar_"},
    {"k_pnl.bmp", "kin_gps.bmp", nullptr, "kin_f.bmp", "Kng_Crsh.bmp", "kin_"},
    {"j_pnl.bmp", "cit_gps.bmp", nullptr, "cit_f.bmp", "Cit_Crsh.bmp", "cit_"},
};

constexpr const char* kSideSuffix[8] = {"", "fl", "l", "bl", "b", "br", "r", "fr"};

std::unique_ptr<gfx::GFXBitmap> LoadArtBitmap(core::ResourceVolume& volume, const char* name) {
    if (name == nullptr) return nullptr;
    std::unique_ptr<gfx::GFXBitmap> b = volume.LoadBitmap(name, 0);
    // Only 8-bit pictures fit the panel's palette; anything else counts as missing.
    if (b && (b->bitsPerPixel != 8 || b->pixels == nullptr || b->width <= 0)) b.reset();
    if (b) b->flags |= 1;
    return b;
}

void DrawPart(gfx::GFXSurface* surface, const gfx::GFXBitmap* b, gfx::GFXRect source,
              gfx::GFXPoint at) {
    if (surface == nullptr) return;
    gfx::DrawBitmapPartInside(surface, surface->GetDrawTable(), b, source, at);
}

void DrawWhole(gfx::GFXSurface* surface, const gfx::GFXBitmap* b, gfx::GFXPoint at) {
    if (b == nullptr) return;
    DrawPart(surface, b, {0, 0, b->width - 1, std::abs(b->height) - 1}, at);
}

}  // namespace

void Aircraft::UpdatePanelBitmaps(int viewMode) {
    if (viewMode == panelMode) return;
    ReleasePanelBitmaps();
    panelMode = viewMode;
    if (type < 0) return;
    // Type 5 has no panel of its own; it takes the 172's other art.
    const int base = type > 4 ? 0 : type;
    const ArtNames& a = kArt[base];
    if (type <= 4) {
        if (viewMode == 0) {
            panelBitmap = LoadArtBitmap(core::thePanelVolume, a.panel);
            altPanelBitmap = LoadArtBitmap(core::thePanelVolume, a.swapPanel);
        } else if (viewMode == 1) {
            panelBitmap = LoadArtBitmap(core::thePanelVolume, a.lowPanel);
        }
    }
    if (viewMode == 2) panelBitmap = LoadArtBitmap(core::theCockpitVolume, a.forward);
    crashBitmap = LoadArtBitmap(core::thePanelVolume, a.crash);
    crackedBitmap = LoadArtBitmap(core::thePanelVolume, "cracked.bmp");
    theFlightHooks.invalidateAllGauges();
}

void Aircraft::ReleasePanelBitmaps() {
    panelBitmap.reset();
    altPanelBitmap.reset();
    crashBitmap.reset();
    crackedBitmap.reset();
    panelMode = -1;
}

void Aircraft::UpdateSideViewBitmap(int lookDirection) {
    if (lookDirection == sideView) return;
    ReleaseSideViewBitmap();
    sideView = lookDirection;
    if (type < 0 || lookDirection < 1 || lookDirection > 7) return;
    const std::string name =
        std::string(kArt[type > 4 ? 0 : type].sidePrefix) + kSideSuffix[lookDirection] + ".bmp";
    sideBitmap = LoadArtBitmap(core::theCockpitVolume, name.c_str());
}

void Aircraft::ReleaseSideViewBitmap() {
    sideBitmap.reset();
    sideView = -1;
}

void Aircraft::UpdateViewBitmaps(int viewMode, int lookDirection) {
    if (viewMode == 4 || viewMode == 5) return;
    if (lookDirection != 0) {
        UpdateSideViewBitmap(lookDirection);
    } else {
        UpdatePanelBitmaps(viewMode);
    }
}

void Aircraft::DrawPanelBackground(gfx::GFXSurface* surface) const {
    const gfx::GFXBitmap* b = panelBitmap.get();
    if (b == nullptr) return;
    if (panelMode == 2) {
        // The forward frame's bottom-right corner sits on the screen's.
        DrawWhole(surface, b, {640 - b->width, 480 - std::abs(b->height)});
        return;
    }
    if (panelMode != 0 && panelMode != 1) return;
    const int bottom = GetViewportBottom(panelMode, 0);
    DrawWhole(surface, b, {0, bottom});
    if (type == 2 && panelMode == 0 && theFlightHooks.swapPanel() != 0)
        DrawWhole(surface, altPanelBitmap.get(), {483, bottom + 179});
}

void Aircraft::DrawPanelBitmap(gfx::GFXSurface* surface, const gfx::GFXRect& source,
                               gfx::GFXPoint at) const {
    DrawPart(surface, panelBitmap.get(), source, at);
}

void Aircraft::DrawAltPanelBitmap(gfx::GFXSurface* surface, const gfx::GFXRect& source,
                                  gfx::GFXPoint at) const {
    DrawPart(surface, altPanelBitmap.get(), source, at);
}

void Aircraft::DrawSideViewBitmap(gfx::GFXSurface* surface, const gfx::GFXRect& source,
                                  gfx::GFXPoint at) const {
    DrawPart(surface, sideBitmap.get(), source, at);
}

void Aircraft::DrawViewBitmaps(gfx::GFXSurface* surface) const {
    const int look = theFlightWorldServices.lookDirection();
    if (look >= 1 && look <= 7) {
        const gfx::GFXBitmap* b = sideBitmap.get();
        if (b != nullptr) DrawWhole(surface, b, {0, 480 - std::abs(b->height)});
        return;
    }
    if (panelMode == 2) DrawPanelBackground(surface);
}

void Aircraft::DrawPanel(gfx::GFXSurface* surface) const {
    const int mode = theFlightWorldServices.viewMode();
    if ((mode != 0 && mode != 1) || theFlightWorldServices.lookDirection() != 0) return;
    if (theFlightHooks.crashShown() != 0) {
        const gfx::GFXBitmap* crash = crashBitmap.get();
        if (crash != nullptr)
            DrawWhole(surface, crash, {(640 - crash->width) / 2, (480 - std::abs(crash->height)) / 2});
        if (crackedBitmap) DrawWhole(surface, crackedBitmap.get(), {0, 0});
        return;
    }
    theFlightHooks.drawPanel(type, mode);
}

}  // namespace flight
