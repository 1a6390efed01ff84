// The cockpit services the simulation's spine calls each frame and tick, and the panel's
// situation sections: the panel mouse record, the full-redraw flags, the per-tick updates, the
// radios' "NavAids" section (nav_receivers.*, nav_aids_section.cpp) and, through the headers
// below, the redraw and the cockpit systems.
#pragma once

#include <cstdint>

#include "cockpit/cockpit_systems.h"
#include "cockpit/panel_redraw.h"

namespace core {
class IniFile;
}

namespace cockpit {

// The panel mouse record shared by the main window and the click regions. Kinds: 1 left down,
// 2 left up, 3 left held (repeated), 5 right down, 6 right up.
struct PanelMouse {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t prevX = 0;
    std::int32_t prevY = 0;
    std::int32_t kind = 0;
    std::int32_t heldCount = 0;
    // Set while a press turns a knob (from the press to the release): the flight step routes the
    // record on every tick from the press on, so the knob steps evenly
    // (sim/input/panel_clicks.cpp).
    std::int32_t knobHeld = 0;
    std::int32_t knobTicks = 0;
    // The panel's vertical offset in the current view, set before an aircraft's regions run.
    std::int32_t panelOffset = 0;
    // Hands the record to the GPS window, the help hotspots or the panel's click regions
    // (sim/input/panel_clicks.cpp).
    void OnClick();
    // Runs the click regions of an aircraft type (0..4) with the panel at the offset.
    void DispatchAircraft(int aircraftType, std::int32_t offset);
};
extern PanelMouse thePanelMouse;
// How many records reached OnClick, by kind.
extern std::uint32_t thePanelClicks[8];

// Full-redraw flags (bit set) that start-up, reloads and menu commands raise; the frame clears
// the two "reload" flags at its end.
extern std::uint32_t theCockpitFullRedraw;
inline constexpr std::uint32_t kRedrawStartupFlags = 0x7F;
inline constexpr std::uint32_t kRedrawReloadFlags = 0x3;

// Every third tick: the instrument values (the gear lamps follow the gear).
void UpdateGauges();
// After a flight is loaded: the instrument values at once, and for about a second the gauges
// that otherwise follow their values smoothly stand at them (no sweep from the saved needles).
void SettleGauges();
// The trim indicators' positions from the trims themselves; the painter runs it every frame, so
// a marker follows the trim while it turns (by key, click or autopilot), not only after a load.
void UpdateTrimIndicators();
void UpdateNavRadios();
// Shows the GPS display for an aircraft type, or hides it and keeps its place (-1).
void LoadGpsDisplay(int type);

// Situation section "NavAids": 1 or 0.
int ReadNavRadios(core::IniFile& file);
int WriteNavRadios(core::IniFile& file);

}  // namespace cockpit
