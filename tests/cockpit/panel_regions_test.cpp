// Every control drawn on a panel answers the mouse: its place lies inside one of the panel's
// click rectangles, and a right click there finds its help; every instrument has help too; and
// every word drawn on a panel lies inside the one control it names, clear of every other.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "cockpit/gauges.h"
#include "cockpit/instruments.h"
#include "cockpit/panel_click_regions.h"
#include "cockpit/panel_help_hotspots.h"
#include "cockpit/panel_layouts.h"
#include "support/panel_art.h"

namespace {

using cockpit::PanelArea;
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

namespace {

// Where a click acts on a panel: each button of a region with buttons, and each region without
// them (a knob, a trim wheel, a lever) whole; only those a view with the stack as given shows.
struct ClickArea {
    cockpit::ClickRect rect;
    std::string what;   // the button's command, or the region's number
    std::string label;  // the word the art draws on a labelled button
    PanelArea area;     // the region's
};
std::vector<ClickArea> ClickAreas(int type, bool swapped) {
    std::vector<ClickArea> out;
    const cockpit::PanelClickTable& t = cockpit::kPanelClickTables[type];
    for (int i = 0; i < t.count; ++i) {
        const cockpit::PanelClickRegion& r = t.regions[i];
        if (swapped && r.shown == cockpit::RegionShown::Stack) continue;
        const cockpit::RegionButtons g = cockpit::ButtonsOf(r);
        if (g.count == 0) out.push_back({r.rect, "region " + std::to_string(i), "", r.area});
        for (int k = 0; k < g.count; ++k) {
            const char* label = g.buttons[k].label;
            out.push_back({cockpit::ButtonRect(g, k), g.buttons[k].command,
                           label != nullptr ? label : "", r.area});
        }
    }
    return out;
}

// A word's box against the click areas: where it touches one it lies wholly inside it and
// touches no other; `owner` (when given) is the command of the one it must lie in, and a word
// without one (an annunciator) touches none.
void ExpectWordAlone(const std::vector<ClickArea>& areas, const cockpit::ClickRect& word,
                     const std::string& what, const char* owner, bool named) {
    std::vector<const ClickArea*> touched;
    for (const ClickArea& a : areas)
        if (Overlap(a.rect, word)) touched.push_back(&a);
    const std::string where = what + " at " + Text(word);
    if (named && owner == nullptr) {
        EXPECT_TRUE(touched.empty()) << where << " is in " << touched.front()->what;
        return;
    }
    if (touched.empty()) {
        EXPECT_FALSE(named) << where << " is in no click area of " << owner;
        return;
    }
    EXPECT_EQ(touched.size(), 1u) << where << " is in " << touched[0]->what << " and "
                                  << touched[1]->what;
    EXPECT_TRUE(Within(word, touched[0]->rect))
        << where << " reaches out of " << touched[0]->what << " " << Text(touched[0]->rect);
    if (owner != nullptr) {
        EXPECT_EQ(touched[0]->what, owner) << where;
    }
}

// The autopilot's words (the program draws them, lit or not): each mode's inside its button, GS
// and TRIM, which only annunciate, in none; on every panel.
TEST(PanelRegions, EveryAutopilotWordLiesInItsOwnButtonOnly) {
    static const char* const kOwners[8] = {"AutoPilotAltHold",
                                           "AutopilotHeadingMode",
                                           "AutopilotNavMode",
                                           "AutopilotApproachMode",
                                           "AutopilotBackCourseMode",
                                           "AutoPilotMaster",
                                           nullptr,
                                           nullptr};
    static const char* const kWords[8] = {"ALT", "HDG", "NAV", "APR", "BC", "AP", "GS", "TRIM"};
    for (int type = 0; type < 5; ++type) {
        int count = 0;
        const cockpit::PanelRow* rows = cockpit::PanelRowsOf(type, &count);
        const std::vector<ClickArea> areas = ClickAreas(type, false);
        for (int i = 0; i < count; ++i) {
            if (rows[i].op != PanelOp::AutopilotPanel) continue;
            const int x = rows[i].x, y = rows[i].y + cockpit::PanelOffsetFor(type, 0);
            for (int w = 0; w < 8; ++w) {
                const cockpit::IntRect& lit = cockpit::kAutopilotLit[w];
                const cockpit::IntRect& unlit = cockpit::kAutopilotUnlit[w];
                const cockpit::IntPoint at = cockpit::kAutopilotLabels[w];
                const int width = std::max(lit.right - lit.left, unlit.right - unlit.left);
                const int height = std::max(lit.bottom - lit.top, unlit.bottom - unlit.top);
                const cockpit::ClickRect word{x + at.x, y + at.y, x + at.x + width,
                                              y + at.y + height};
                ExpectWordAlone(areas, word, "type " + std::to_string(type) + " " + kWords[w],
                                kOwners[w], true);
            }
        }
    }
}

// The controls a name of the panel art may stand on: switches by their commands' beginnings,
// knobs and levers by their areas.
struct ControlName {
    const char* name;
    std::vector<std::string> commands;
    std::vector<PanelArea> areas;
};
const std::vector<ControlName>& ControlNames() {
    using A = PanelArea;
    static const std::vector<ControlName> names = {
        {"BAT", {"ToggleBatteryPower"}, {}},
        {"AVN", {"ToggleAvionicPower"}, {}},
        {"PITOT", {"TogglePitotHeat"}, {}},
        {"STRB", {"ToggleStrobeLight"}, {}},
        {"BCN", {"ToggleBeaconLight"}, {}},
        {"NAV", {"ToggleNavLight"}, {}},
        {"TAXI", {"ToggleTaxiLight"}, {}},
        {"LDG", {"ToggleLandingLight"}, {}},
        {"BST", {"ToggleLeftBoost", "ToggleRightBoost"}, {}},
        {"COWL", {"ToggleCowlFlaps"}, {}},
        {"FUEL", {"CycleFuelSwitch"}, {}},
        {"MAG", {"SetIgnition"}, {}},
        {"IGN", {"SetIgnitionStart"}, {}},
        {"SYNC", {"ToggleSpeedBrake"}, {}},
        {"SPD BRK", {"ToggleSpeedBrake"}, {}},
        {"UP", {}, {A::GearLever}},
        {"DN", {}, {A::GearLever}},
        {"TRIM", {}, {A::ElevatorTrim}},
        {"FLAPS", {}, {A::FlapLever}},
        {"CRS", {}, {A::HeadingCoursePair}},
        {"HDG", {}, {A::HeadingCoursePair}},
        {"OBS", {}, {A::Nav1CourseKnob, A::Nav2CourseKnob, A::Nav2CourseKnobIfCard}},
        {"CARD", {}, {A::AdfCourseKnob}},
        {"BARO", {}, {A::AltimeterKnob}},
    };
    return names;
}

// Every text the panel art carries, in the full views and with the Baron's engine gauges swapped
// into its stack's place: a control's name touches that control's click areas only; a button's
// label lies wholly inside its button; any other word touches at most one control. So a click on
// a word never works another control than the one it names.
TEST(PanelRegions, EveryLabelLiesOnItsOwnControlOnly) {
    int status = -1;
    const std::vector<testsupport::PanelLayout> layouts = testsupport::ReadPanelLayouts(&status);
    if (status != 0 || layouts.empty()) GTEST_SKIP() << "the data maker is not built";
    int named = 0;
    for (const testsupport::PanelLayout& l : layouts) {
        if (l.lower) continue;  // the same places as the full view's
        const std::vector<ClickArea> areas = ClickAreas(l.type, l.swapped);
        for (const testsupport::LayoutBox& t : l.texts) {
            const cockpit::ClickRect word{t.left, t.top, t.right, t.bottom};
            const std::string where =
                "type " + std::to_string(l.type) + " \"" + t.what + "\" at " + Text(word);
            const ControlName* name = nullptr;
            for (const ControlName& n : ControlNames())
                if (t.what == n.name) name = &n;
            named += name != nullptr;
            std::vector<const ClickArea*> touched;
            for (const ClickArea& a : areas) {
                if (!Overlap(a.rect, word)) continue;
                touched.push_back(&a);
                if (a.label == t.what) {
                    EXPECT_TRUE(Within(word, a.rect))
                        << where << " reaches out of its button " << Text(a.rect);
                }
                if (name == nullptr) continue;
                bool own =
                    std::find(name->areas.begin(), name->areas.end(), a.area) != name->areas.end();
                for (const std::string& c : name->commands)
                    own = own || a.what.rfind(c, 0) == 0;
                EXPECT_TRUE(own) << where << " stands on " << a.what << ", another control";
            }
            if (name == nullptr && touched.size() > 1) {
                ADD_FAILURE() << where << " stands on " << touched[0]->what << " and "
                              << touched[1]->what;
            }
        }
    }
    EXPECT_GT(named, 60);
}

}  // namespace
