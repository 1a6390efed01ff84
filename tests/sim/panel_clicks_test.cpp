// The panel's mouse: thresholds by view, edges, kinds, fall-through, the GPS window taking its
// points, and the right click's help hotspots.
#include <gtest/gtest.h>

#include "cockpit/audio_panel.h"
#include "cockpit/cockpit_services.h"
#include "cockpit/cockpit_switches.h"
#include "cockpit/gauges.h"
#include "cockpit/gps_display.h"
#include "cockpit/nav_receivers.h"
#include "cockpit/panel_controls.h"
#include "cockpit/panel_help_hotspots.h"
#include "cockpit/panel_services.h"
#include "cockpit/radio_commands.h"
#include "flight/aircraft.h"
#include "flight/flight_model_state.h"
#include "sim/input/command_services.h"
#include "sim/input/key_commands.h"
#include "sim/input/panel_clicks.h"
#include "sim/view_controller.h"

namespace {

int theType = 0;
int theSynch = 0;
int TypeOf() {
    return theType;
}
int Synch() {
    return theSynch;
}

class PanelClicks : public ::testing::Test {
protected:
    void SetUp() override {
        sim::RegisterKeyCommandTables();
        flight::theAircraftServices.aircraftType = &TypeOf;
        savedServices = sim::theCommandServices;
        sim::theCommandServices.isMultiEngineSynch = &Synch;
        theSynch = 0;
        cockpit::ResetCockpitSwitches();
        cockpit::ResetCockpitServices();
        cockpit::ResetPanelControls();
        cockpit::ResetRadioCommands();
        flight::theFlightModelState = flight::FlightModelState{};
        flight::theFlightModelState.fmTrimStep = 16;
        flight::theFlightModelState.fmCNAdj = 0x7FFF;
        sim::theViewController.SetViewMode(0);
        cockpit::theGpsDisplay.SaveGpsWindowRect();
        theType = 0;
    }
    void TearDown() override {
        flight::theAircraftServices = flight::DefaultAircraftServices();
        sim::theCommandServices = savedServices;
        cockpit::theGpsDisplay.SaveGpsWindowRect();
        sim::UnregisterKeyCommandTables();
    }
    sim::CommandServices savedServices{};
    // A press or a release (or a hold) at a point; a press forgets a knob held before, as the
    // main window's does.
    static void Mouse(int kind, int x, int y) {
        if (kind == 1) cockpit::thePanelMouse.knobHeld = 0;
        cockpit::thePanelMouse.x = x;
        cockpit::thePanelMouse.y = y;
        cockpit::thePanelMouse.kind = kind;
        cockpit::thePanelMouse.OnClick();
    }
};

TEST_F(PanelClicks, ThresholdsAndViewOffsetOfTheC172) {
    // The battery switch's column; the switch row starts 435 rows down. The lower view does not
    // draw the switch row, so there it takes no click.
    const struct {
        int view;
        int y;
        bool toggles;
    } cases[] = {{0, 435, true},  {0, 434, false}, {0, 479, true},
                 {1, 478, false}, {1, 479, false}, {1, 480, false}};
    for (const auto& c : cases) {
        sim::theViewController.SetViewMode(c.view);
        const int before = cockpit::theBatteryPower;
        Mouse(2, 85, c.y);
        EXPECT_EQ(cockpit::theBatteryPower != before, c.toggles) << c.view << " " << c.y;
    }
    // The radio stack is drawn in both views: 44 rows lower in the lower one.
    for (int view : {0, 1}) {
        sim::theViewController.SetViewMode(view);
        cockpit::theCom1Radio.standbyMHz = 20;
        Mouse(2, 535, 240 + 44 * view);
        EXPECT_EQ(cockpit::theCom1Radio.standbyMHz, 21) << view;
    }
}

TEST_F(PanelClicks, AltimeterKnobEdgesKindsAndLimits) {
    auto& setting = cockpit::theCockpitSwitches.altimeterSetting;
    // The knob's square is (240, 285) to (262, 307) inside its area, which ends at row 308; the
    // middle column 251 turns down. The press turns it; a release, or a hold without a press on
    // the knob, does not.
    const struct {
        int kind;
        int x;
        int y;
        int start;
        int offset;
        int end;
        int endOffset;
    } cases[] = {
        {1, 240, 285, 2992, 0, 2991, -3},    {1, 251, 306, 2992, 0, 2991, -3},
        {1, 252, 285, 2992, 0, 2993, 3},     {1, 262, 306, 2992, 0, 2993, 3},
        {3, 262, 300, 2992, 0, 2992, 0},     {2, 262, 300, 2992, 0, 2992, 0},
        {1, 263, 300, 2992, 0, 2992, 0},     {1, 262, 307, 2992, 0, 2993, 3},
        {1, 262, 308, 2992, 0, 2992, 0},     {1, 240, 290, 2810, 0, 2810, 0},
        {1, 260, 290, 3100, 0, 3100, 0},     {1, 240, 290, 2992, -576, 2991, -576},
        {1, 260, 290, 2992, 624, 2993, 624}, {1, 260, 290, 2992, 622, 2993, 625},
    };
    for (const auto& c : cases) {
        setting = static_cast<std::uint16_t>(c.start);
        sim::theAltimeterKnobOffset = c.offset;
        cockpit::thePanelMouse.knobHeld = 0;
        Mouse(c.kind, c.x, c.y);
        EXPECT_EQ(setting, c.end) << c.kind << " " << c.x << "," << c.y;
        EXPECT_EQ(sim::theAltimeterKnobOffset, c.endOffset) << c.x << "," << c.y;
    }
}

TEST_F(PanelClicks, SwitchesActOnceAndKnobsKeepTurning) {
    const int battery = cockpit::theBatteryPower;
    Mouse(1, 85, 450);
    Mouse(3, 85, 450);
    Mouse(3, 85, 450);
    EXPECT_EQ(cockpit::theBatteryPower, battery);
    Mouse(2, 85, 450);
    EXPECT_NE(cockpit::theBatteryPower, battery);

    // A knob turns at the press, then every second tick the button stays down (routed as a
    // press until it counts as held), evenly; the release adds nothing.
    auto& setting = cockpit::theCockpitSwitches.altimeterSetting;
    setting = 2992;
    Mouse(1, 260, 290);
    EXPECT_EQ(setting, 2993);
    for (int tick = 1; tick <= 12; ++tick) {
        cockpit::thePanelMouse.kind = tick <= 6 ? 1 : 3;
        cockpit::thePanelMouse.OnClick();
        EXPECT_EQ(setting, 2993 + tick / 2) << tick;
    }
    Mouse(2, 260, 290);
    EXPECT_EQ(setting, 2999);
}

TEST_F(PanelClicks, ElevatorTrimMiddleRowActsOnce) {
    auto& trim = flight::theFlightModelState.fmApElvTrim;
    // Upper half (nose down), the middle row 439 + 20, and the lower half.
    const int rows[] = {440, 459, 470};
    int steps[3] = {};
    for (int i = 0; i < 3; ++i) {
        trim = 0;
        Mouse(2, 400, rows[i]);
        steps[i] = trim;
    }
    EXPECT_LT(steps[0], 0);
    EXPECT_EQ(steps[1], steps[0]);
    EXPECT_EQ(steps[2], -steps[0]);
}

// The C172's lower right knob turns the card its instrument shows: the ADF's, or NAV2's.
TEST_F(PanelClicks, TheC172LowerRightKnobTurnsTheCardShown) {
    auto& shows = cockpit::theCockpitSwitches.nav2ShowsAdf;
    const int course = cockpit::theNav2Indicator.courseDegrees;
    const int card = cockpit::theAdfIndicator.cardFrame;
    shows = 0;
    Mouse(1, 370, 410);
    EXPECT_EQ(cockpit::theNav2Indicator.courseDegrees, course);
    EXPECT_NE(cockpit::theAdfIndicator.cardFrame, card);
    EXPECT_NE(cockpit::theAdfRadio.selected, 0);
    shows = 1;
    Mouse(1, 370, 410);
    EXPECT_NE(cockpit::theNav2Indicator.courseDegrees, course);
    EXPECT_NE(cockpit::theNav2Radio.selected, 0);
}

TEST_F(PanelClicks, NothingForType5OutsideViewsOrInsideTheGps) {
    auto& setting = cockpit::theCockpitSwitches.altimeterSetting;
    setting = 2992;
    theType = 5;
    Mouse(1, 260, 290);
    theType = 0;
    sim::theViewController.SetViewMode(2);
    Mouse(1, 260, 290);
    sim::theViewController.SetViewMode(0);
    EXPECT_EQ(setting, 2992);

    cockpit::theGpsDisplay.SetWindowRect(200, 250, 128, 144);
    cockpit::theGpsDisplay.Load(0);
    cockpit::theGpsDisplay.SetWindowRect(200, 250, 128, 144);
    Mouse(1, 260, 290);
    EXPECT_EQ(setting, 2992);
    cockpit::theGpsDisplay.SaveGpsWindowRect();
    Mouse(1, 260, 290);
    EXPECT_EQ(setting, 2993);
}

TEST_F(PanelClicks, TwinsRightEngineControlsTakeTheLeftAlongWhenSynchronised) {
    theType = 2;
    auto& left = cockpit::thePanelSwitches.ignitionLeft;
    auto& right = cockpit::thePanelSwitches.ignitionRight;
    // The right ignition's BOTH position, then the lever quadrant's columns.
    for (int synch : {0, 1}) {
        theSynch = synch;
        left = right = 0;
        Mouse(2, 122, 460);
        EXPECT_EQ(right, 3) << synch;
        EXPECT_EQ(left, synch != 0 ? 3 : 0) << synch;
    }
    const struct {
        int x;
        int y;
        int synch;
        int throttle;
        int throttle2;
    } cases[] = {
        {220, 420, 0, 1, 0}, {250, 420, 0, 0, 1},  {250, 420, 1, 1, 1},
        {281, 420, 1, 0, 0}, {250, 470, 0, 0, -1}, {241, 444, 0, 1, 0},
    };
    for (const auto& c : cases) {
        theSynch = c.synch;
        cockpit::theThrottleLever.lever = 10;
        cockpit::theThrottleLever2.lever = 10;
        Mouse(2, c.x, c.y);
        EXPECT_EQ(cockpit::theThrottleLever.lever - 10, c.throttle) << c.x << "," << c.y;
        EXPECT_EQ(cockpit::theThrottleLever2.lever - 10, c.throttle2) << c.x << "," << c.y;
    }
}

TEST_F(PanelClicks, DmeButtonLeavingHoldFreesTheHeldStation) {
    cockpit::DmeSelector& d = cockpit::theDmeSource;
    d.dmeN1 = 0;
    d.dmeHLD = 1;
    d.dmeN2 = 0;
    cockpit::theDmeHold.captured = 1;
    Mouse(2, 605, 200);  // HLD again: nothing changes
    EXPECT_EQ(cockpit::theDmeHold.captured, 1);
    Mouse(2, 590, 200);  // N1
    EXPECT_EQ(d.dmeN1, 1);
    EXPECT_EQ(d.dmeHLD, 0);
    EXPECT_EQ(cockpit::theDmeHold.captured, 0);
}

TEST_F(PanelClicks, CoordinatesFarOutsideHitNothing) {
    const int battery = cockpit::theBatteryPower;
    for (int x : {-32768, -1, 32767})
        for (int y : {-32768, 450, 32767})
            Mouse(2, x, y);
    EXPECT_EQ(cockpit::theBatteryPower, battery);
}

TEST(PanelHotspots, EdgesViewsAndTypes) {
    const struct {
        int type;
        int variant;
        int x;
        int y;
        int id;
        int swapPanel = 0;
    } cases[] = {
        {0, 0, 418, 478, 10026},
        {0, 0, 387, 439, 10026},
        {0, 0, 419, 478, 0},
        {0, 1, 418, 522, 10026},
        {0, 1, 418, 478, 0},
        {0, 0, 270, 300, 10012},
        {0, 0, 250, 300, 10012},  // the altimeter's knob
        {0, 0, 238, 300, 0},
        {0, 0, 150, 420, 10045},
        {0, 0, 120, 420, 10045},  // the heading indicator's knobs
        {0, 0, 236, 420, 10045},
        {0, 2, 418, 478, 0},
        {5, 0, 418, 478, 0},
        {0, 0, -1, -1, 0},
        {1, 0, 420, 450, 10025},
        {1, 1, 420, 492, 10025},
        {1, 0, 75, 450, 10032},
        {3, 0, 300, 420, 10044},
        {4, 0, 10, 360, 10049},
        {2, 0, 122, 460, 10074},
        {2, 0, 205, 460, 0},
        // The Baron's stack: its radios, or with the panel swapped the engine gauges there.
        {2, 0, 520, 340, 10108},
        {2, 0, 520, 340, 10066, 1},
        {2, 0, 478, 326, 10108},
        {2, 0, 477, 326, 0},
        {2, 0, 520, 479, 10107},
        {2, 0, 520, 479, 0, 1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(cockpit::FindHotspot(c.type, c.variant, c.x, c.y, c.swapPanel), c.id)
            << c.type << " " << c.variant << " " << c.x << "," << c.y << " " << c.swapPanel;
}

// Each table keeps to its panel's own run of popup ids, and is ended.
TEST(PanelHotspots, EveryIdInItsPanelsRangeAndRowsEnded) {
    const struct {
        const cockpit::PanelHelpHotspot* table;
        std::int32_t first, last;
    } tables[] = {
        {cockpit::HotspotTable(0), 10000, 10046},
        {cockpit::HotspotTable(1), 10022, 10140},
        {cockpit::HotspotTable(2), 10023, 10143},
        {cockpit::BaronRadioHotspots(false), 10024, 10274},
        {cockpit::BaronRadioHotspots(true), 10024, 10274},
        {cockpit::HotspotTable(3), 10024, 10274},
        {cockpit::HotspotTable(4), 10025, 10217},
    };
    for (const auto& t : tables) {
        int rows = 0;
        for (const cockpit::PanelHelpHotspot* r = t.table; r->popupId != -1; ++r, ++rows) {
            EXPECT_GE(r->popupId, t.first);
            EXPECT_LE(r->popupId, t.last);
            EXPECT_LE(r->left, r->right);
            EXPECT_LE(r->top, r->bottom);
        }
        EXPECT_GT(rows, 5) << t.first;
    }
    // The normal radio layout is its own rows, then the swapped layout's.
    EXPECT_EQ(cockpit::BaronRadioHotspots(false) + 9, cockpit::BaronRadioHotspots(true));
}

}  // namespace

// Looking to a side shows no panel: a right click finds no help; the swapped Baron panel finds
// the engine gauge where the radios stood.
TEST(PanelHotspots, LookingSidewaysFindsNothing) {
    const struct {
        int look;
        int swapPanel;
        std::int32_t id;
    } cases[] = {{0, 0, 10108}, {2, 0, 0}, {6, 0, 0}, {0, 1, 10066}};
    for (const auto& c : cases) {
        sim::theViewController.SetLookDirection(c.look);
        cockpit::theSwapPanel = c.swapPanel;
        EXPECT_EQ(sim::FindPanelPopup(2, 0, 520, 340), c.id) << c.look << " " << c.swapPanel;
    }
    sim::theViewController.SetLookDirection(0);
    cockpit::theSwapPanel = 0;
}
