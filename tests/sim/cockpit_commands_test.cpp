// Cockpit switch commands: per-type behaviour, clamps, the starter's fuel check, the sounds the
// switches make, and the repair after a crash.
#include <gtest/gtest.h>

#include <vector>

#include "cockpit/cockpit_services.h"
#include "cockpit/cockpit_switches.h"
#include "cockpit/panel_controls.h"
#include "flight/aircraft.h"
#include "flight/flight_model.h"
#include "flight/flight_model_state.h"
#include "flight/system_failures.h"
#include "sim/input/cockpit_commands.h"
#include "sim/input/command_services.h"
#include "sim/input/key_commands.h"
#include "sim/view_controller.h"

namespace {

struct Sound {
    int effect;
    int pan;
    int volume;
};
std::vector<Sound> theSounds;
int theType = 0;
int theSynch = 0;
std::vector<std::uint32_t> theMenus;

void Record(sim::EffectChannel, int effect, int pan, int volume, int) {
    theSounds.push_back({effect, pan, volume});
}
int TypeOf() {
    return theType;
}
int Synch() {
    return theSynch;
}
int Post(std::uint32_t id) {
    theMenus.push_back(id);
    return 1;
}

class CockpitCommands : public ::testing::Test {
protected:
    void SetUp() override {
        saved = sim::theCommandServices;
        sim::theCommandServices.playEffect = &Record;
        flight::theAircraftServices.aircraftType = &TypeOf;
        sim::theCommandServices.isMultiEngineSynch = &Synch;
        sim::theCommandServices.postMenuCommand = &Post;
        cockpit::ResetCockpitSwitches();
        cockpit::ResetCockpitServices();
        cockpit::ResetPanelControls();
        flight::theFlightModelState = flight::FlightModelState{};
        flight::theCrashed = 0;
        flight::ResetSystemFailures();
        theSounds.clear();
        theMenus.clear();
        theType = 0;
        theSynch = 0;
    }
    void TearDown() override {
        sim::theCommandServices = saved;
        flight::theAircraftServices = flight::DefaultAircraftServices();
        cockpit::ResetCockpitSwitches();
        cockpit::ResetCockpitServices();
        cockpit::ResetPanelControls();
        flight::theFlightModelState = flight::FlightModelState{};
    }
    sim::CommandServices saved{};
};

TEST_F(CockpitCommands, TableRowsAndCodes) {
    const auto rows = sim::CockpitCommands();
    ASSERT_EQ(rows.size(), 38u);
    EXPECT_EQ(rows[0].code, 0xDCu);
    EXPECT_EQ(rows[37].code, 0x40052u);
    EXPECT_STREQ(rows[37].name, "ToggleDigitalReadout");
    for (const auto& r : rows)
        EXPECT_NE(r.function, nullptr) << r.name;
}

TEST_F(CockpitCommands, AltimeterStopsAtItsEnds) {
    auto& a = cockpit::theCockpitSwitches.altimeterSetting;
    const struct {
        std::int16_t start;
        void (*cmd)();
        std::int16_t end;
    } cases[] = {{3099, &sim::CmdAltimeterUp, 3100},   {3100, &sim::CmdAltimeterUp, 3100},
                 {3200, &sim::CmdAltimeterUp, 3200},   {2811, &sim::CmdAltimeterDown, 2810},
                 {2810, &sim::CmdAltimeterDown, 2810}, {2700, &sim::CmdAltimeterDown, 2700}};
    for (const auto& c : cases) {
        a = c.start;
        c.cmd();
        EXPECT_EQ(a, c.end) << c.start;
    }
}

TEST_F(CockpitCommands, FuelSelectorCyclesByType) {
    const struct {
        int type;
        std::uint8_t* stored;
        int sequence[5];
    } cases[] = {{0, &cockpit::theFuelTankSelector, {1, 2, 3, 0, 1}},
                 {1, &cockpit::theFuelTankSelector, {1, 2, 0, 1, 2}},
                 {3, &cockpit::theLeftEngineTankSelector, {1, 2, 0, 1, 2}}};
    for (const auto& c : cases) {
        cockpit::ResetCockpitServices();
        cockpit::thePanelSwitches.fuelSelectorSwitchLeft = 0;
        cockpit::thePanelSwitches.fuelSelectorSwitchRight = 0;
        theType = c.type;
        for (int expected : c.sequence) {
            sim::CmdCycleFuelSwitch();
            EXPECT_EQ(cockpit::thePanelSwitches.fuelSelectorSwitchLeft, expected) << c.type;
            EXPECT_EQ(*c.stored, expected) << c.type;
        }
    }
    theSounds.clear();
    theType = 4;
    sim::CmdCycleFuelSwitchRight();
    EXPECT_EQ(cockpit::theRightEngineTankSelector, 1);
    ASSERT_EQ(theSounds.size(), 1u);
    EXPECT_EQ(theSounds[0].effect, 23);
    EXPECT_EQ(theSounds[0].pan, -6800);
}

TEST_F(CockpitCommands, StarterNeedsFuelInTheSelectedTank) {
    auto& s = flight::theFlightModelState;
    const struct {
        std::uint8_t selector;
        std::uint8_t twinLeft;  // checked on every type
        int fuel1;
        int fuel2;
        bool starts;
    } cases[] = {{1, 0, 0, 100, false}, {1, 0, 100, 0, true},  {2, 0, 0, 0, false},
                 {2, 0, 0, 100, true},  {3, 0, 100, 0, false}, {3, 0, 0, 100, true},
                 {0, 0, 0, 0, true},    {3, 1, 0, 100, false}, {1, 2, 100, 0, false}};
    for (const auto& c : cases) {
        cockpit::ResetCockpitServices();
        cockpit::theBatteryPower = 1;
        theSounds.clear();
        cockpit::theFuelTankSelector = c.selector;
        cockpit::theLeftEngineTankSelector = c.twinLeft;
        s.fmFuel1 = c.fuel1;
        s.fmFuel2 = c.fuel2;
        sim::CmdSetIgnitionStart();
        EXPECT_EQ(cockpit::theEngineStarted != 0, c.starts) << int(c.selector) << int(c.twinLeft);
        EXPECT_EQ(cockpit::thePanelSwitches.ignitionLeft, c.starts ? 4 : 0);
        EXPECT_EQ(theSounds.empty(), !c.starts);
    }
    cockpit::ResetCockpitServices();
    s.fmFuel1 = 100;
    flight::theCrashed = 1;
    sim::CmdSetIgnitionStart();
    EXPECT_EQ(cockpit::theEngineStarted, 0u);
}

TEST_F(CockpitCommands, TurbineStarterTogglesIgnition) {
    theType = 3;
    cockpit::theBatteryPower = 1;
    flight::theFlightModelState.fmFuel1 = 100;
    sim::CmdSetIgnitionStart();
    EXPECT_EQ(cockpit::thePanelSwitches.turbineIgnitionLeft, 1u);
    EXPECT_EQ(cockpit::theEngineStarted, 1u);
    sim::CmdSetIgnitionStart();
    EXPECT_EQ(cockpit::thePanelSwitches.turbineIgnitionLeft, 0u);

    theType = 4;
    cockpit::thePanelSwitches.batteryPower = 1;
    flight::theFlightModelState.fmFuel2 = 100;
    cockpit::theRightEngineTankSelector = 1;
    sim::CmdSetIgnitionStartRight();
    EXPECT_EQ(cockpit::thePanelSwitches.igniterRight, 1u);
    EXPECT_EQ(cockpit::theRightEngineStarted, 1u);
    theSounds.clear();
    sim::CmdSetIgnitionOffRight();
    EXPECT_EQ(cockpit::thePanelSwitches.igniterRight, 0u);
    ASSERT_EQ(theSounds.size(), 1u);
    EXPECT_EQ(theSounds[0].pan, -7000);
}

TEST_F(CockpitCommands, MagnetosSetTheTachDropOnTheSingles) {
    flight::theFlightModelState.fmEngineSpeed[0] = 2000;
    const struct {
        int type;
        void (*cmd)();
        int position;
        int drop;
    } cases[] = {{0, &sim::CmdSetIgnitionRightMag, 1, 130},
                 {1, &sim::CmdSetIgnitionLeftMag, 2, 120},
                 {0, &sim::CmdSetIgnitionBothMag, 3, 0},
                 {2, &sim::CmdSetIgnitionLeftMag, 2, 0},
                 {3, &sim::CmdSetIgnitionLeftMag, 0, 0}};
    for (const auto& c : cases) {
        cockpit::thePanelSwitches.ignitionLeft = 0;
        cockpit::theEngineSpeedDrop[0] = 0;
        theType = c.type;
        c.cmd();
        EXPECT_EQ(cockpit::thePanelSwitches.ignitionLeft, c.position) << c.type;
        EXPECT_EQ(cockpit::theEngineSpeedDrop[0], c.drop) << c.type;
    }
    // Synchronised, the Baron's right magneto follows.
    theType = 2;
    theSynch = 1;
    sim::CmdSetIgnitionBothMag();
    EXPECT_EQ(cockpit::thePanelSwitches.ignitionRight, 3);
}

TEST_F(CockpitCommands, TypeOnlySwitches) {
    const struct {
        int type;
        void (*cmd)();
        std::int32_t* flag;
        std::int32_t after;
    } cases[] = {
        {0, &sim::CmdSwapEngineMeters, &cockpit::theCockpitSwitches.engineMeterSwap, 0},
        {2, &sim::CmdSwapEngineMeters, &cockpit::theCockpitSwitches.engineMeterSwap, 1},
        {0, &sim::CmdToggleLeftBoost, &cockpit::theCockpitSwitches.leftBoost, 0},
        {3, &sim::CmdToggleRightBoost, &cockpit::theCockpitSwitches.rightBoost, 1},
        {2, &sim::CmdToggleSpeedBrake, &cockpit::theCockpitSwitches.propSync, 1},
        {4, &sim::CmdToggleSpeedBrake, &cockpit::theCockpitSwitches.speedBrake, 1},
        {1, &sim::CmdToggleNavOrADF, &cockpit::theCockpitSwitches.nav2ShowsAdf, 0},
        {5, &sim::CmdToggleNavOrADF, &cockpit::theCockpitSwitches.nav2ShowsAdf, 1},
    };
    for (const auto& c : cases) {
        cockpit::ResetCockpitSwitches();
        theType = c.type;
        c.cmd();
        EXPECT_EQ(*c.flag, c.after) << c.type;
    }
    // The last toggle showed NAV2 in the ADF's place: the tuning keys act on NAV2.
    EXPECT_EQ(cockpit::theNav2Radio.selected, 1);
    EXPECT_EQ(cockpit::theAdfRadio.selected, 0);
}

TEST_F(CockpitCommands, CowlFlapsAndCarbHeat) {
    theType = 1;
    sim::CmdToggleCowlFlaps();
    EXPECT_EQ(cockpit::theCockpitSwitches.cowlFlapKnob, 0u);
    EXPECT_EQ(cockpit::theCockpitSwitches.cowlFlapDrag, 6);
    theType = 2;
    sim::CmdToggleCowlFlaps();
    EXPECT_EQ(cockpit::theCockpitSwitches.cowlFlapDrag, 8);
    sim::CmdToggleCowlFlaps();
    EXPECT_EQ(cockpit::theCockpitSwitches.cowlFlapKnob, 15u);
    EXPECT_EQ(cockpit::theCockpitSwitches.cowlFlapDrag, 0);

    theType = 0;
    flight::theFlightModelState.fmEngineSpeed[0] = 2410;
    sim::CmdToggleCarbHeat();
    EXPECT_EQ(cockpit::theEngineSpeedDrop[1], 96);
    sim::CmdToggleCarbHeat();
    EXPECT_EQ(cockpit::theEngineSpeedDrop[1], 0);
    EXPECT_EQ(cockpit::theCockpitSwitches.carbHeatKnob, 15u);
}

TEST_F(CockpitCommands, LightSwitchesClickWithOrWithoutBattery) {
    flight::theAircraft.SelectByType(0);
    sim::CmdToggleStrobeLight();
    EXPECT_EQ(cockpit::thePanelSwitches.strobe, 1u);
    ASSERT_EQ(theSounds.size(), 1u);
    EXPECT_EQ(theSounds[0].pan, -5000);
    sim::CmdToggleBatteryPower();
    EXPECT_EQ(cockpit::thePanelSwitches.batteryPower, 1u);
    EXPECT_EQ(cockpit::thePanelSwitches.strobe, 1u);
    sim::CmdToggleBatteryPower();
    EXPECT_EQ(cockpit::thePanelSwitches.batteryPower, 0u);
}

TEST_F(CockpitCommands, AvionicsSoundsNeedTheBattery) {
    theType = 3;
    sim::CmdToggleAvionicPower();  // no battery: the click only
    ASSERT_EQ(theSounds.size(), 1u);
    theSounds.clear();
    sim::CmdToggleBatteryPower();  // avionics on: effect 7 when the battery comes on
    ASSERT_EQ(theSounds.size(), 2u);
    EXPECT_EQ(theSounds[1].effect, 7);
    EXPECT_EQ(theSounds[1].pan, 2000);
    EXPECT_EQ(theSounds[1].volume, -2000);
    theSounds.clear();
    theType = 0;
    sim::CmdToggleAvionicPower();
    ASSERT_EQ(theSounds.size(), 2u);
    EXPECT_EQ(theSounds[1].effect, 6);
    EXPECT_EQ(theSounds[1].volume, -3000);
}

TEST_F(CockpitCommands, PitotHeatStartsTheCountdownOnlyWithAFailure) {
    sim::CmdTogglePitotHeat();
    EXPECT_EQ(cockpit::thePitotHeatOn, 1);
    EXPECT_EQ(cockpit::theCockpitSwitches.pitotHeatCountdown, -1);
    sim::CmdTogglePitotHeat();
    flight::thePitotStaticSystem.Instrument(0).failed = 1;
    sim::CmdTogglePitotHeat();
    EXPECT_EQ(cockpit::theCockpitSwitches.pitotHeatCountdown, 5);
    // 5, 4, 3, 2, 1, then at 0 the failures clear and the countdown stops at -1.
    for (int i = 0; i < 5; ++i)
        cockpit::TickPitotHeat();
    EXPECT_FALSE(flight::SystemReliability::IsWorking(flight::Instrument::Airspeed));
    cockpit::TickPitotHeat();
    EXPECT_EQ(cockpit::theCockpitSwitches.pitotHeatCountdown, -1);
    EXPECT_TRUE(flight::SystemReliability::IsWorking(flight::Instrument::Airspeed));
}

TEST_F(CockpitCommands, RepairOnlyWhileTheCrashIsShown) {
    auto& s = flight::theFlightModelState;
    s.fmBank = 5000;
    s.fmHVel = 12345;
    cockpit::thePanelSwitches.batteryPower = 1;
    flight::theCrashed = 1;
    sim::CmdRepairPlane();
    EXPECT_EQ(s.fmBank, 5000);

    cockpit::theCrashShown = 1;
    s.fmAutopilotModes = 7;
    cockpit::theFuelTankSelector = 2;
    sim::theViewController.SetViewMode(3);
    sim::CmdRepairPlane();
    EXPECT_EQ(s.fmBank, 0);
    EXPECT_EQ(s.fmHVel, 0);
    EXPECT_EQ(s.fmOTG, 1);
    EXPECT_EQ(s.fmOGV, 1);
    EXPECT_EQ(s.fmGear, 1);
    EXPECT_EQ(s.fmAutopilotModes, 0);
    EXPECT_EQ(flight::theCrashed, 0u);
    EXPECT_EQ(cockpit::theFuelTankSelector, 0);
    EXPECT_EQ(cockpit::thePanelSwitches.batteryPower, 0u);
    EXPECT_EQ(cockpit::theCrashShown, 0u);
    EXPECT_EQ(sim::theViewController.GetViewMode(), 0);
}

TEST_F(CockpitCommands, MenuPostsAndReverseThrust) {
    sim::CmdLinkLeftAndRightEquipment();
    sim::CmdToggleMagCompass();
    sim::CmdToggleDigitalReadout();
    EXPECT_EQ(theMenus, (std::vector<std::uint32_t>{696, 120, 712}));
    theSynch = 1;
    sim::CmdReverseThrust();
    EXPECT_EQ(cockpit::theCockpitSwitches.reverseThrust[0], 1);
    EXPECT_EQ(cockpit::theCockpitSwitches.reverseThrust[1], 1);
    EXPECT_EQ(flight::theFlightModelState.fmRThrust, 1);
    sim::CmdReverseThrustRight();
    EXPECT_EQ(cockpit::theCockpitSwitches.reverseThrust[1], 0);
}

}  // namespace
