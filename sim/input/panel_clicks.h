// The cockpit panel's mouse: `PanelMouse::OnClick` routes each press, release, hold and right
// click of the main window to the GPS window, the help hotspots or the current aircraft's click
// regions (cockpit/panel_click_regions.h), which run the same commands as the keys.
#pragma once

#include <cstdint>

#include "cockpit/panel_click_regions.h"
#include "cockpit/panel_gauge.h"
#include "sim/input/key_commands.h"

namespace sim {

// The help popup id under a point for an aircraft type and panel variant (the view mode); 0
// while looking sideways, outside the two cockpit views or with no hotspot there.
[[nodiscard]] std::int32_t FindPanelPopup(int aircraftType, int panelVariant, std::int32_t x,
                                          std::int32_t y);

// A right click that no panel control took; the outside views give it no meaning.
void HandleViewRightClick(std::int32_t x, std::int32_t y);

// Runs a panel command by its name (a key command or one of the panel's own operations); 1 when
// one ran.
int RunPanelCommand(const char* name);

// The first button of a group that holds the point (displaced by dx, dy) and takes the kind; its
// command runs. Returns 1 when a button held the point, whether or not it took the kind.
int ClickButtons(const cockpit::PanelButton* buttons, int count, int dx, int dy);

// The knob routines, for the record's kind (2 and 3 act).
void ClickCourseKnob(int x, int y, int size);
void ClickAltimeterKnob(int x, int y, int size);
void ClickHeadingCoursePair(int x1, int y1, int s1, int x2, int y2, int s2);
void ClickElevatorTrim(int x, int y, int w, int h);
// A rudder or aileron trim wheel: the left half runs `left`, the right half `right`.
void ClickSideTrim(int x, int y, int w, int h, const char* left, const char* right);
void ClickFlapLever(int x, int y, int w, int h);
void ClickGearLever();

// The GPS window's zoom keys, Shift with the numeric pad's plus and minus (priority 0).
[[nodiscard]] KeyCommandTable GpsZoomCommands();

// The altimeter needle's offset that the setting knob moves with the setting.
extern std::int32_t theAltimeterKnobOffset;

}  // namespace sim
