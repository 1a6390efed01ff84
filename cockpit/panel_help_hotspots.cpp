#include "cockpit/panel_help_hotspots.h"

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

// The other panels' rows are added with their art; until then they find nothing.
constexpr PanelHelpHotspot kEmpty[] = {kEnd};

}  // namespace

std::int32_t ScanHotspots(const PanelHelpHotspot* row, std::int32_t x, std::int32_t y) {
    for (;; ++row) {
        if (row->enabled != 0 && row->left <= x && x <= row->right && row->top <= y &&
            y <= row->bottom)
            return row->popupId;
        if (row->popupId == -1) return 0;
    }
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
    const std::int32_t id = ScanHotspots(HotspotTable(aircraftType), x, y);
    if (id != 0 || aircraftType != 2) return id;
    return ScanHotspots(BaronRadioHotspots(swapPanel != 0), x, y);
}

}  // namespace cockpit
