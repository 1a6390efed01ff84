#include "cockpit/panel_help_hotspots.h"

#include <cstring>

#include "cockpit/panel_click_regions.h"

namespace cockpit {

namespace {

constexpr PanelHelpHotspot kEnd = {-1, -1, -1, -1, -1, -1};

// The Cessna 172: the radio stack on the right, the flight instruments in the middle, the
// switches, levers and trim wheel along the bottom edge.
constexpr PanelHelpHotspot kC172[] = {
    {1, 10000, 485, 238, 560, 262},  // COM1
    {1, 10001, 486, 265, 560, 291},  // COM2
    {1, 10002, 563, 238, 638, 261},  // NAV1
    {1, 10003, 563, 265, 638, 290},  // NAV2
    {1, 10004, 484, 191, 637, 210},  // audio panel
    {1, 10005, 484, 291, 561, 318},  // ADF receiver
    {1, 10006, 562, 291, 631, 318},  // transponder
    {1, 10007, 485, 318, 639, 343},  // autopilot
    {1, 10008, 485, 213, 635, 233},  // DME
    {1, 10012, 247, 202, 352, 283},  // altimeter (two rows)
    {1, 10012, 265, 281, 352, 308},
    {1, 10013, 362, 202, 468, 307},  // NAV1 course indicator
    {1, 10014, 365, 322, 466, 426},  // NAV2 course indicator or ADF
    {1, 10045, 127, 319, 232, 404},  // heading indicator (two rows)
    {1, 10045, 142, 398, 210, 429},
    {1, 10026, 387, 439, 418, 478},  // elevator trim
    {1, 10027, 423, 439, 473, 479},  // flaps
    {1, 10030, 0, 435, 33, 480},     // fuel selector
    {1, 10031, 35, 435, 72, 480},    // ignition
    {1, 10032, 79, 435, 91, 480},    // battery master
    {1, 10033, 101, 435, 113, 480},  // avionics master
    {1, 10034, 123, 435, 135, 480},  // pitot heat
    {1, 10035, 145, 435, 157, 480},  // strobe
    {1, 10036, 166, 435, 178, 480},  // beacon
    {1, 10037, 187, 435, 199, 480},  // navigation lights
    {1, 10038, 208, 435, 220, 480},  // taxi light
    {1, 10039, 229, 435, 241, 480},  // landing light
    {1, 10040, 242, 433, 294, 480},  // carburettor heat
    {1, 10041, 295, 433, 340, 480},  // throttle
    {1, 10042, 341, 433, 386, 480},  // mixture
    kEnd,
};

constexpr PanelHelpHotspot kEmpty[] = {kEnd};

// The other panels' hotspots are their click regions: one popup per kind of control, the same
// text on every panel.
std::int32_t AreaPopup(PanelArea area) {
    switch (area) {
        case PanelArea::AudioGroup:
            return 10004;
        case PanelArea::AutopilotGroup:
            return 10007;
        case PanelArea::DmeGroup:
            return 10008;
        case PanelArea::Com1Group:
            return 10000;
        case PanelArea::Com2Group:
            return 10001;
        case PanelArea::AdfGroup:
            return 10005;
        case PanelArea::Nav1Group:
            return 10002;
        case PanelArea::Nav2Group:
            return 10003;
        case PanelArea::TransponderGroup:
            return 10006;
        case PanelArea::HeadingCoursePair:
            return 10045;
        case PanelArea::Nav1CourseKnob:
            return 10013;
        case PanelArea::AltimeterKnob:
            return 10012;
        case PanelArea::Nav2CourseKnob:
        case PanelArea::Nav2CourseKnobIfCard:
            return 10014;
        case PanelArea::AdfCourseKnob:
            return 10015;
        case PanelArea::ElevatorTrim:
            return 10026;
        case PanelArea::RudderTrim:
            return 10028;
        case PanelArea::AileronTrim:
            return 10029;
        case PanelArea::FlapLever:
            return 10027;
        case PanelArea::GearLever:
            return 10025;
        case PanelArea::LeverQuadrant:
            return 10043;
        case PanelArea::Buttons:
            return 0;
    }
    return 0;
}

// A switch's popup by the start of its command's name.
std::int32_t ButtonPopup(const char* command) {
    static constexpr struct {
        const char* prefix;
        std::int32_t id;
    } kRows[] = {
        {"CycleFuelSwitch", 10030},
        {"SetIgnition", 10031},
        {"ToggleBatteryPower", 10032},
        {"ToggleAvionicPower", 10033},
        {"TogglePitotHeat", 10034},
        {"ToggleStrobeLight", 10035},
        {"ToggleBeaconLight", 10036},
        {"ToggleNavLight", 10037},
        {"ToggleTaxiLight", 10038},
        {"ToggleLandingLight", 10039},
        {"SetCarbHeat", 10040},
        {"Throttle", 10041},
        {"Mixture", 10042},
        {"PropPitch", 10044},
        {"CloseCowlFlaps", 10046},
        {"OpenCowlFlaps", 10046},
        {"ToggleCowlFlaps", 10046},
        {"ToggleLeftBoost", 10047},
        {"ToggleRightBoost", 10047},
        {"ToggleSpeedBrake", 10048},
        {"RMI", 10049},
        {"ToggleTemperature", 10050},
    };
    for (const auto& r : kRows)
        if (std::strncmp(command, r.prefix, std::strlen(r.prefix)) == 0) return r.id;
    return 0;
}

std::int32_t ScanRegions(int type, std::int32_t x, std::int32_t y) {
    const PanelClickTable& t = kPanelClickTables[type];
    for (int i = 0; i < t.count; ++i) {
        const PanelClickRegion& r = t.regions[i];
        if (x < r.rect.left || x > r.rect.right || y < r.rect.top || y > r.rect.bottom) continue;
        if (r.area != PanelArea::Buttons) return AreaPopup(r.area);
        for (int b = 0; b < r.buttonCount; ++b) {
            const ClickRect& c = r.buttons[b].rect;
            if (c.left <= x && x <= c.right && c.top <= y && y <= c.bottom)
                return ButtonPopup(r.buttons[b].command);
        }
        return 0;
    }
    return 0;
}

}  // namespace

// The end row is not tested: with all its fields -1 it would hold the point (-1, -1), which a
// captured mouse outside the window can report, and give the popup id -1.
std::int32_t ScanHotspots(const PanelHelpHotspot* row, std::int32_t x, std::int32_t y) {
    for (; row->popupId != -1; ++row)
        if (row->enabled != 0 && row->left <= x && x <= row->right && row->top <= y &&
            y <= row->bottom)
            return row->popupId;
    return 0;
}

const PanelHelpHotspot* HotspotTable(int aircraftType) {
    return aircraftType == 0 ? kC172 : kEmpty;
}

const PanelHelpHotspot* BaronRadioHotspots(bool) {
    return kEmpty;
}

std::int32_t FindHotspot(int aircraftType, int panelVariant, std::int32_t x, std::int32_t y,
                         std::int32_t swapPanel) {
    if ((panelVariant != 0 && panelVariant != 1) || aircraftType < 0 || aircraftType > 4) return 0;
    if (panelVariant == 1) {
        if (aircraftType == 0) y -= 44;
        if (aircraftType == 1) y -= 42;
    }
    std::int32_t id = ScanHotspots(HotspotTable(aircraftType), x, y);
    if (id == 0 && aircraftType == 2) id = ScanHotspots(BaronRadioHotspots(swapPanel != 0), x, y);
    if (id == 0 && aircraftType != 0) id = ScanRegions(aircraftType, x, y);
    return id;
}

}  // namespace cockpit
