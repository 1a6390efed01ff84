#include "sim/input/panel_clicks.h"

#include <cstring>
#include <unordered_map>

#include "cockpit/aircraft_kind.h"
#include "cockpit/audio_panel.h"
#include "cockpit/autopilot_panel.h"
#include "cockpit/cockpit_switches.h"
#include "cockpit/gauges.h"
#include "cockpit/gps_display.h"
#include "cockpit/nav_receivers.h"
#include "cockpit/panel_controls.h"
#include "cockpit/panel_help_hotspots.h"
#include "cockpit/panel_services.h"
#include "cockpit/radio_commands.h"
#include "flight/aircraft.h"
#include "sim/input/cockpit_commands.h"
#include "sim/input/command_services.h"
#include "sim/input/flight_controls.h"
#include "sim/input/key_commands.h"
#include "sim/input/key_names.h"
#include "sim/main_window.h"
#include "sim/view_controller.h"
#include "ui/help_popup.h"

namespace sim {

std::int32_t theAltimeterKnobOffset = 0;

namespace {

using cockpit::IntPoint;
using cockpit::PanelArea;
using cockpit::PanelButton;
using cockpit::PanelClickRegion;
using cockpit::thePanelMouse;

IntPoint Point() {
    return IntPoint{thePanelMouse.x, thePanelMouse.y};
}
bool KindIs(std::uint8_t kinds) {
    const int k = thePanelMouse.kind;
    return k >= 0 && k < 8 && (kinds & (1u << k)) != 0;
}
bool ClickOrHold() {
    return thePanelMouse.kind == 2 || thePanelMouse.kind == 3;
}
// A knob turns a step at the press and then one every kKnobRepeatTicks flight ticks for as long
// as the button stays down, and the release adds none: it turns at one even pace from the first
// moment and stops where the pilot lets go (waiting for the held state and stepping on release
// made it stand still, then run, then overshoot by a step).
constexpr int kKnobRepeatTicks = 2;
bool KnobStepDue() {
    cockpit::PanelMouse& m = thePanelMouse;
    if (m.kind == 1 && m.knobHeld == 0) {
        m.knobHeld = 1;
        m.knobTicks = 0;
        return true;
    }
    if ((m.kind == 1 || m.kind == 3) && m.knobHeld != 0)
        return ++m.knobTicks % kKnobRepeatTicks == 0;
    return false;
}
// The panel offset added to a table's y.
int Off() {
    return thePanelMouse.panelOffset;
}
bool In(int left, int top, int right, int bottom) {
    return Point().IsInRect(left, top + Off(), right, bottom + Off()) != 0;
}

// ---- the panel's own operations (no key runs them) ----

void SetCarbHeat(bool on) {
    // The knob stands at 0 while the heat is on.
    if ((cockpit::theCockpitSwitches.carbHeatKnob == 0) != on) CmdToggleCarbHeat();
}
void SetCowlFlaps(bool open) {
    if ((cockpit::theCockpitSwitches.cowlFlapKnob == 0) != open) CmdToggleCowlFlaps();
}
void AutopilotModeButton(int index) {
    cockpit::theAutopilotModeIndex = index;
    cockpit::AutoPilotMode();
}
void AutopilotTrimRelease() {
    cockpit::theAutopilotTrimButton = 0;
    cockpit::theAutopilotPanel.dirty = 1;
}
// A DME source button that is not on already turns itself on and the other two off; leaving the
// hold frees the held station.
void DmeMode(int which) {
    cockpit::DmeSelector& d = cockpit::theDmeSource;
    std::int32_t* words[3] = {&d.dmeN1, &d.dmeHLD, &d.dmeN2};
    if (*words[which] != 0) return;
    cockpit::PlayPanelClick(9500, 100);
    if (d.dmeHLD != 0) cockpit::theDmeHold.captured = 0;
    for (int i = 0; i < 3; ++i)
        *words[i] = i == which ? 1 : 0;
    cockpit::theDmeRadio.dirty = 1;
}

struct NamedOperation {
    const char* name;
    void (*run)();
};
constexpr NamedOperation kOperations[] = {
    {"SetCarbHeatOn", [] { SetCarbHeat(true); }},
    {"SetCarbHeatOff", [] { SetCarbHeat(false); }},
    {"OpenCowlFlaps", [] { SetCowlFlaps(true); }},
    {"CloseCowlFlaps", [] { SetCowlFlaps(false); }},
    {"AutopilotHeadingMode", [] { AutopilotModeButton(0); }},
    {"AutopilotNavMode", [] { AutopilotModeButton(1); }},
    {"AutopilotApproachMode", [] { AutopilotModeButton(2); }},
    {"AutopilotBackCourseMode", [] { AutopilotModeButton(3); }},
    {"AutopilotTrimRelease", &AutopilotTrimRelease},
    {"DmeModeN1", [] { DmeMode(0); }},
    {"DmeModeHLD", [] { DmeMode(1); }},
    {"DmeModeN2", [] { DmeMode(2); }},
    {"SetIgnitionOffLeft", [] { IgnitionOff(0); }},
    {"SetIgnitionRightMagLeft", [] { SetMagneto(0, 1); }},
    {"SetIgnitionLeftMagLeft", [] { SetMagneto(0, 2); }},
    {"SetIgnitionBothMagLeft", [] { SetMagneto(0, 3); }},
    {"SetIgnitionStartLeft", [] { Starter(0); }},
    {"CycleFuelSwitchLeft", &CmdCycleFuelSwitch},
};

KeyCommandFunction FindFunction(const char* name) {
    for (const NamedOperation& op : kOperations)
        if (std::strcmp(op.name, name) == 0) return op.run;
    for (const KeyCommandNode* n = theKeyCommandRegistry; n != nullptr; n = n->next)
        for (int i = 0; i < n->count; ++i)
            if (n->rows[i].name != nullptr && n->rows[i].function != nullptr &&
                std::strcmp(n->rows[i].name, name) == 0)
                return n->rows[i].function;
    return nullptr;
}

// ---- the groups ----

// The radio groups act on the radio their selection command picks first; then the group's
// buttons (its own, or the shared table of its kind) are tried.
void RadioGroup(const PanelClickRegion& r) {
    switch (r.area) {
        case PanelArea::DmeGroup:
            cockpit::DME();
            break;
        case PanelArea::Com1Group:
            cockpit::Comm1();
            break;
        case PanelArea::Com2Group:
            cockpit::Comm2();
            break;
        case PanelArea::AdfGroup:
            cockpit::ADF();
            break;
        case PanelArea::Nav1Group:
            cockpit::Nav1();
            break;
        case PanelArea::Nav2Group:
            cockpit::Nav2();
            break;
        case PanelArea::TransponderGroup:
            cockpit::Transponder();
            break;
        default:
            break;
    }
    const cockpit::RegionButtons g = cockpit::ButtonsOf(r);
    if (g.buttons != nullptr) ClickButtons(g.buttons, g.count, g.dx, g.dy);
}

// Whether a region takes clicks in the view and with the stack as it is: the rows the lower
// view leaves out take none there, and the radio stack none while something else stands in its
// place.
bool RegionActive(const PanelClickRegion& r) {
    switch (r.shown) {
        case cockpit::RegionShown::FullView:
            return theViewController.GetViewMode() == 0;
        case cockpit::RegionShown::Stack:
            return cockpit::theSwapPanel == 0;
        case cockpit::RegionShown::Always:
            break;
    }
    return true;
}

// The twins' and the jet's levers: columns of throttle, propeller and mixture, left then
// right; the upper part (y above 445) pushes, the lower pulls. x on c1 or c3 does nothing.
void LeverQuadrant(const PanelClickRegion& r) {
    if (!ClickOrHold()) return;
    const int x = thePanelMouse.x;
    const int up = thePanelMouse.y < 445 ? 1 : -1;
    const bool sync = theCommandServices.isMultiEngineSynch() != 0;
    const int c[6] = {r.a, r.b, r.c, r.d, r.e, r.f};
    int lever = -1;
    bool right = false;
    if (x < c[0]) {
        lever = 0;
    } else if (x < c[1]) {
        lever = 0;
        right = true;
    } else if (c[1] < x && x < c[2]) {
        lever = 1;
    } else if (c[2] <= x && x < c[3]) {
        lever = 1;
        right = true;
    } else if (c[3] < x && x < c[4]) {
        lever = 2;
    } else if (c[4] <= x && x < c[5]) {
        lever = 2;
        right = true;
    }
    if (lever < 0) return;
    static constexpr const char* kNames[3][2][2] = {
        {{"ThrottleDown", "ThrottleUp"}, {"ThrottleDownRight", "ThrottleUpRight"}},
        {{"PropPitchDown", "PropPitchUp"}, {"PropPitchDownRight", "PropPitchUpRight"}},
        {{"MixtureDown", "MixtureUp"}, {"MixtureDownRight", "MixtureUpRight"}}};
    RunPanelCommand(kNames[lever][right ? 1 : 0][up > 0 ? 1 : 0]);
    if (right && sync) LeftLeverStep(lever, up);
}

// Tries the regions in order; the first that holds the point acts (or declines) and ends the
// search.
void RunRegions(const PanelClickRegion* regions, int count) {
    const IntPoint p = Point();
    for (int i = 0; i < count; ++i) {
        const PanelClickRegion& r = regions[i];
        if (!p.IsInRect(r.rect.left, r.rect.top + Off(), r.rect.right, r.rect.bottom + Off()) ||
            !RegionActive(r))
            continue;
        switch (r.area) {
            case PanelArea::HeadingCoursePair:
                ClickHeadingCoursePair(r.a, r.b, r.c, r.d, r.e, r.f);
                return;
            case PanelArea::Nav1CourseKnob:
                cockpit::Nav1();
                ClickCourseKnob(r.a, r.b, r.c);
                return;
            case PanelArea::Nav2CourseKnobIfCard:
                // The C172's lower right instrument shows NAV2's course card or the ADF's card;
                // its knob turns the one shown.
                if (cockpit::theCockpitSwitches.nav2ShowsAdf == 0) {
                    cockpit::ADF();
                    ClickCourseKnob(r.a, r.b, r.c);
                    return;
                }
                [[fallthrough]];
            case PanelArea::Nav2CourseKnob:
                cockpit::Nav2();
                ClickCourseKnob(r.a, r.b, r.c);
                return;
            case PanelArea::AdfCourseKnob:
                cockpit::ADF();
                ClickCourseKnob(r.a, r.b, r.c);
                return;
            case PanelArea::AltimeterKnob:
                ClickAltimeterKnob(r.a, r.b, r.c);
                return;
            case PanelArea::ElevatorTrim:
                ClickElevatorTrim(r.a, r.b, r.c, r.d);
                return;
            case PanelArea::RudderTrim:
                ClickSideTrim(r.a, r.b, r.c, r.d, "RudderTrimLeft", "RudderTrimRight");
                return;
            case PanelArea::AileronTrim:
                ClickSideTrim(r.a, r.b, r.c, r.d, "AileronTrimLeft", "AileronTrimRight");
                return;
            case PanelArea::FlapLever:
                ClickFlapLever(r.a, r.b, r.c, r.d);
                return;
            case PanelArea::GearLever:
                ClickGearLever();
                return;
            case PanelArea::Buttons:
                ClickButtons(r.buttons, r.buttonCount, 0, 0);
                return;
            case PanelArea::LeverQuadrant:
                LeverQuadrant(r);
                return;
            default:
                RadioGroup(r);
                return;
        }
    }
}

int AircraftType() {
    return flight::theAircraftServices.aircraftType();
}

}  // namespace

int RunPanelCommand(const char* name) {
    if (name == nullptr) return 0;
    static std::unordered_map<const char*, KeyCommandFunction> found;
    auto it = found.find(name);
    if (it == found.end() || it->second == nullptr)
        it = found.insert_or_assign(name, FindFunction(name)).first;
    if (it->second == nullptr) return 0;
    it->second();
    return 1;
}

int ClickButtons(const PanelButton* buttons, int count, int dx, int dy) {
    const IntPoint p = Point();
    for (int i = 0; i < count; ++i) {
        const cockpit::ClickRect& r = buttons[i].rect;
        if (!p.IsInRect(r.left + dx, r.top + dy + Off(), r.right + dx, r.bottom + dy + Off()))
            continue;
        if (!KindIs(buttons[i].kinds)) continue;
        RunPanelCommand(buttons[i].command);
        if (buttons[i].twin != nullptr && theCommandServices.isMultiEngineSynch() != 0)
            RunPanelCommand(buttons[i].twin);
        return 1;
    }
    return 0;
}

void ClickCourseKnob(int x, int y, int s) {
    const bool down = In(x, y, x + s / 2, y + s);
    if (!down && !In(x + s / 2, y, x + s, y + s)) return;
    if (!KnobStepDue()) return;
    if (down)
        cockpit::OBSDown();
    else
        cockpit::OBSUp();
}

void ClickAltimeterKnob(int x, int y, int s) {
    if (!In(x, y, x + s, y + s) || !KnobStepDue()) return;
    std::uint16_t& setting = cockpit::theCockpitSwitches.altimeterSetting;
    if (In(x, y, x + s / 2, y + s)) {
        if (setting <= 2810) return;
        if (theAltimeterKnobOffset > -576) theAltimeterKnobOffset -= 3;
        --setting;
    } else if (In(x + s / 2, y, x + s, y + s)) {
        if (setting >= 3100) return;
        if (theAltimeterKnobOffset < 624) theAltimeterKnobOffset += 3;
        ++setting;
    }
}

void ClickHeadingCoursePair(int x1, int y1, int s1, int x2, int y2, int s2) {
    if (!In(x1, y1, x1 + s1, y1 + s1) && !In(x2, y2, x2 + s2, y2 + s2)) return;
    if (!KnobStepDue()) return;
    int step = 0;
    if (In(x1, y1, x1 + s1 / 2, y1 + s1))
        step = -1;
    else if (In(x1 + s1 / 2, y1, x1 + s1, y1 + s1))
        step = 1;
    if (step != 0 && !cockpit::C172Kind(AircraftType())) {
        // The HSI's course knob is NAV1's: it selects NAV1, as the other course knobs select
        // their radio, and turns NAV1's course.
        cockpit::Nav1();
        if (step < 0)
            cockpit::OBSDown();
        else
            cockpit::OBSUp();
        return;
    }
    if (step != 0) {
        std::int16_t& course = cockpit::theHsiGauge.course;
        int c = course + step;
        if (c < 1) c = 360;
        if (c > 360) c = 1;
        course = static_cast<std::int16_t>(c);
        cockpit::theHsiGauge.dirty = 1;
        cockpit::UpdateObsCourses();
        cockpit::UpdateNav1CourseAngle();
        cockpit::theNav1Radio.dirty = 1;
        return;
    }
    if (In(x2, y2, x2 + s2 / 2, y2 + s2))
        cockpit::StepHeadingBug(-1);
    else if (In(x2 + s2 / 2, y2, x2 + s2, y2 + s2))
        cockpit::StepHeadingBug(1);
}

// A click exactly on the middle row acts once, as the upper half.
void ClickElevatorTrim(int x, int y, int w, int h) {
    if (!ClickOrHold()) return;
    if (In(x, y, x + w, y + h / 2))
        RunPanelCommand("TrimDown");
    else if (In(x, y + h / 2, x + w, y + h))
        RunPanelCommand("TrimUp");
}

void ClickSideTrim(int x, int y, int w, int h, const char* left, const char* right) {
    if (!ClickOrHold()) return;
    if (In(x, y, x + w / 2, y + h))
        RunPanelCommand(left);
    else if (In(x + w / 2 + 1, y, x + w, y + h))
        RunPanelCommand(right);
}

void ClickFlapLever(int x, int y, int w, int h) {
    if (thePanelMouse.kind != 2) return;
    if (In(x, y, x + w, y + h / 2))
        RunPanelCommand("FlapsUp");
    else if (In(x, y + h / 2, x + w, y + h))
        RunPanelCommand("FlapsDown");
}

// The gear lever follows the gear keys' rules (fixed gear, on the ground, no battery).
void ClickGearLever() {
    if (thePanelMouse.kind != 2) return;
    if (cockpit::theGearUp == 0)
        cockpit::RaiseGear();
    else
        cockpit::LowerGear();
}

KeyCommandTable GpsZoomCommands() {
    static constexpr KeyCommand kRows[] = {
        {kKeyShift | 0x6B, [] { cockpit::theGpsDisplay.ZoomIn(); }, "GPSZoomIn"},
        {kKeyShift | 0x6D, [] { cockpit::theGpsDisplay.ZoomOut(); }, "GPSZoomOut"},
    };
    return kRows;
}

std::int32_t FindPanelPopup(int aircraftType, int panelVariant, std::int32_t x, std::int32_t y) {
    if (theViewController.GetLookDirection() != 0) return 0;
    return cockpit::FindHotspot(aircraftType, panelVariant, x, y, cockpit::theSwapPanel);
}

void HandleViewRightClick(std::int32_t, std::int32_t) {}

}  // namespace sim

namespace cockpit {

void PanelMouse::DispatchAircraft(int aircraftType, std::int32_t offset) {
    panelOffset = offset;
    if (aircraftType < 0 || aircraftType > 4) return;
    const PanelClickTable& t = kPanelClickTables[aircraftType];
    sim::RunRegions(t.regions, t.count);
}

void PanelMouse::OnClick() {
    ++thePanelClicks[kind & 7];
    if (theGpsDisplay.ContainsPoint(x, y)) return;
    const int view = sim::theViewController.GetViewMode();
    const int type = sim::AircraftType();
    if (kind == 6) {
        if (view >= 2 && view <= 5) sim::HandleViewRightClick(x, y);
        const std::int32_t id = sim::FindPanelPopup(type, view, x, y);
        if (id != 0)
            ui::theHelpPopup.Show(sim::theMainWindow.window, static_cast<std::uint32_t>(id));
        else
            sim::HandleViewRightClick(x, y);
        return;
    }
    if (type < 0 || type > 4 || (view != 0 && view != 1)) return;
    const PanelThreshold& t = kPanelThresholds[type];
    if (y <= t.top[view]) return;
    DispatchAircraft(type, t.offset[view]);
}

}  // namespace cockpit
