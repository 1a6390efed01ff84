// Every control drawn on a panel answers the mouse: its place lies inside one of the panel's
// click rectangles, and a right click there finds its help; every instrument has help too.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

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

bool Overlap(const cockpit::ClickRect& a, const cockpit::ClickRect& b) {
    return a.left <= b.right && b.left <= a.right && a.top <= b.bottom && b.top <= a.bottom;
}
bool Within(const cockpit::ClickRect& in, const cockpit::ClickRect& out) {
    return in.left >= out.left && in.right <= out.right && in.top >= out.top &&
           in.bottom <= out.bottom;
}
std::string Text(const cockpit::ClickRect& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "-" + std::to_string(r.right) +
           "," + std::to_string(r.bottom);
}

// A click acts on one control only: the regions of a panel stand apart, each button lies inside
// its region (where the routing finds it), the buttons of a region stand apart unless they take
// different kinds of event (a trim rocker's press and its release), a knob's square, a trim's or
// a flap lever's box lies in its region, and all of it lies on the screen below the panel's top.
TEST(PanelRegions, NoTwoRectanglesOfAPanelOverlapAndAllLieOnTheScreen) {
    for (int type = 0; type < 5; ++type) {
        const cockpit::PanelClickTable& t = cockpit::kPanelClickTables[type];
        const int top = cockpit::kPanelThresholds[type].top[0] + 1;
        const cockpit::ClickRect screen{0, top, 639, 479};
        for (int i = 0; i < t.count; ++i) {
            const cockpit::PanelClickRegion& r = t.regions[i];
            const std::string where = "type " + std::to_string(type) + " region " +
                                      std::to_string(i) + " " + Text(r.rect);
            EXPECT_TRUE(Within(r.rect, screen)) << where;
            for (int j = i + 1; j < t.count; ++j)
                EXPECT_FALSE(Overlap(r.rect, t.regions[j].rect))
                    << where << " and region " << j << " " << Text(t.regions[j].rect);
            const cockpit::RegionButtons g = cockpit::ButtonsOf(r);
            for (int k = 0; k < g.count; ++k) {
                const cockpit::ClickRect a = cockpit::ButtonRect(g, k);
                EXPECT_TRUE(Within(a, r.rect)) << where << " " << g.buttons[k].command << " " << Text(a);
                for (int m = k + 1; m < g.count; ++m) {
                    if ((g.buttons[k].kinds & g.buttons[m].kinds) == 0) continue;
                    EXPECT_FALSE(Overlap(a, cockpit::ButtonRect(g, m)))
                        << where << " " << g.buttons[k].command << " and " << g.buttons[m].command;
                }
            }
            // The knobs' squares and the trims' and flap levers' boxes.
            using cockpit::PanelArea;
            cockpit::ClickRect squares[2];
            std::vector<cockpit::ClickRect> parts(squares, squares + cockpit::KnobSquares(r, squares));
            if (r.area == PanelArea::ElevatorTrim || r.area == PanelArea::RudderTrim ||
                r.area == PanelArea::AileronTrim || r.area == PanelArea::FlapLever)
                parts.push_back({r.a, r.b, r.a + r.c, r.b + r.d});
            for (const cockpit::ClickRect& p : parts) EXPECT_TRUE(Within(p, r.rect)) << where << " " << Text(p);
        }
    }
}

}  // namespace
