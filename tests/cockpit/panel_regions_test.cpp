// Every control drawn on a panel answers the mouse: its place lies inside one of the panel's
// click rectangles, and a right click there finds its help; every instrument has help too.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "cockpit/gauges.h"
#include "cockpit/instruments.h"
#include "cockpit/panel_click_regions.h"
#include "cockpit/panel_help_hotspots.h"
#include "cockpit/panel_layouts.h"

namespace {

using cockpit::PanelOp;

bool Inside(const cockpit::ClickRect& r, int x, int y) {
    return r.left <= x && x <= r.right && r.top <= y && y <= r.bottom;
}

// Whether a click at the point reaches one of the panel's controls (a switch row's point must
// lie on one of its switches, not only inside the row).
bool Clickable(int type, int x, int y) {
    const cockpit::PanelClickTable& t = cockpit::kPanelClickTables[type];
    for (int i = 0; i < t.count; ++i) {
        const cockpit::PanelClickRegion& r = t.regions[i];
        if (!Inside(r.rect, x, y)) continue;
        if (r.area != cockpit::PanelArea::Buttons) return true;
        for (int b = 0; b < r.buttonCount; ++b)
            if (Inside(r.buttons[b].rect, x, y)) return true;
    }
    return false;
}

// The controls a pilot works; the other rows show something.
bool IsControl(const cockpit::PanelRow& r) {
    switch (r.op) {
        case PanelOp::ToggleC172:
        case PanelOp::ToggleBonanza:
        case PanelOp::RotarySelector:
        case PanelOp::LeverKnob:
        case PanelOp::GearLever:
        case PanelOp::Flaps:
        case PanelOp::TrimWheel:
        case PanelOp::SideTrim:
            return true;
        case PanelOp::ToggleFrame:
            // The jet's ignition lights and readout lamps are lamps, not switches.
            return r.gauge != &cockpit::theIgnitionLight && r.gauge != &cockpit::theIgnitionLight2 &&
                   r.gauge != &cockpit::thePropPitchLever && r.gauge != &cockpit::thePropPitchLever2;
        case PanelOp::LeverFrame:
            return r.gauge != &cockpit::theSynchroscope;
        default:
            return false;
    }
}

// Rows drawn at no place of their own (the place is in their own tables, or they only mark).
bool HasNoPlace(PanelOp op) {
    switch (op) {
        case PanelOp::AttitudeIndicator:
        case PanelOp::AttitudeDirector:
        case PanelOp::AudioPanel:
        case PanelOp::AutopilotPanel:
        case PanelOp::DmeReadout:
        case PanelOp::DmeSelectorLamps:
        case PanelOp::NavRadioLamp:
        case PanelOp::ClearDirty:
        case PanelOp::BonanzaQuadrant:
        case PanelOp::TwinQuadrant:
        case PanelOp::JetThrottles:
            return true;
        default:
            return false;
    }
}

TEST(PanelRegions, EveryControlIsClickableAndEveryRowHasHelp) {
    for (int type = 0; type < 5; ++type) {
        int count = 0;
        const cockpit::PanelRow* rows = cockpit::PanelRowsOf(type, &count);
        const int offset = cockpit::PanelOffsetFor(type, 0);
        int controls = 0;
        for (int i = 0; i < count; ++i) {
            const cockpit::PanelRow& r = rows[i];
            if (HasNoPlace(r.op)) continue;
            const int x = r.x, y = r.y + offset;
            const std::string where = "type " + std::to_string(type) + " row " +
                                      std::to_string(i) + " at " + std::to_string(x) + "," +
                                      std::to_string(y);
            if (IsControl(r)) {
                ++controls;
                EXPECT_TRUE(Clickable(type, x + 2, y + 2)) << where;
            }
            // The Baron's engine gauges in the stack's place are found with the panel swapped.
            const int swapped = r.section == cockpit::PanelSection::StackSwapped ? 1 : 0;
            EXPECT_NE(cockpit::FindHotspot(type, 0, x, y, swapped), 0) << where;
        }
        EXPECT_GT(controls, 10) << type;
    }
}

}  // namespace
