// The flight-control commands: their rows and keys, the clamps and steps of the control
// surfaces and trims, the engine levers, flaps, gear and the time acceleration.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cockpit/cockpit_services.h"
#include "cockpit/panel_controls.h"
#include "flight/aircraft.h"
#include "flight/aircraft_parameters.h"
#include "flight/flight_model.h"
#include "flight/flight_model_state.h"
#include "sim/input/command_services.h"
#include "sim/input/flight_controls.h"
#include "sim/input/key_commands.h"
#include "sim/input/key_names.h"
#include "sim/input/keyboard_input.h"

namespace {

using flight::theFlightModelState;

struct EffectCall {
    sim::EffectChannel channel;
    int effect, pan, volume;
};
std::vector<EffectCall> theEffects;
void RecordEffect(sim::EffectChannel ch, int effect, int pan, int volume, int) {
    theEffects.push_back({ch, effect, pan, volume});
}
int theAnimatedGear = -1;
int theType = 0;
int TestType() {
    return theType;
}
void RecordGear(int down) {
    theAnimatedGear = down;
}

class FlightControls : public ::testing::Test {
protected:
    void SetUp() override {
        saved = sim::theKeyCommandRegistry;
        sim::theKeyCommandRegistry = nullptr;
        sim::RegisterKeyCommandTables();
        sim::theCommandServices = sim::DefaultCommandServices();
        sim::theCommandServices.playEffect = &RecordEffect;
        flight::theAircraftServices.animateGear = &RecordGear;
        flight::theAircraftServices.aircraftType = &TestType;
        theType = 0;
        sim::theDefaultServiceState = {};
        theFlightModelState = flight::FlightModelState{};
        theFlightModelState.fmCNAdj = 32767;
        theFlightModelState.fmTrimStep = 8;
        flight::theAircraftParameters.apTrimNoseDown = flight::theAircraftParameters.apTrimNoseUp =
            0;
        theFlightModelState.fmMaxFlaps = 3;
        theFlightModelState.fmMultiEngineSynch = 0;
        sim::ResetFlightControls();
        cockpit::ResetPanelControls();
        cockpit::ResetCockpitServices();
        flight::theCrashed = 0;
        theEffects.clear();
        theAnimatedGear = -1;
    }
    void TearDown() override {
        sim::UnregisterKeyCommandTables();
        sim::theKeyCommandRegistry = saved;
        sim::theCommandServices = sim::DefaultCommandServices();
        flight::theAircraftServices = flight::DefaultAircraftServices();
        theFlightModelState = flight::FlightModelState{};
        cockpit::ResetPanelControls();
        cockpit::ResetCockpitServices();
    }
    static void Press(const char* keys, int times = 1) {
        for (int i = 0; i < times; ++i)
            ASSERT_EQ(sim::RunKeyCommandByCode(sim::ParseKeyName(keys)), 1) << keys;
    }
    static void SetType(int type) { theType = type; }

    sim::KeyCommandNode* saved = nullptr;
};

// The rows in order, each as its key and command; the key goes through the key-name parser so
// a wrong code in the table shows up here.
TEST_F(FlightControls, RowsAndKeys) {
    const char* rows =
        "0 ThrottleMin|Back ThrottleMax|Equal ThrottleUp|Prior ThrottleUp|Numpad9 ThrottleUp|"
        "Minus ThrottleDown|Next ThrottleDown|Numpad3 ThrottleDown|Down ElevatorUp|Numpad2 "
        "ElevatorUp|"
        "Up ElevatorDown|Numpad8 ElevatorDown|Left AileronLeft|Numpad4 AileronLeft|Clear "
        "AileronCenter|"
        "Numpad5 AileronCenter|Right AileronRight|Numpad6 AileronRight|AltLeft AileronTrimLeft|"
        "AltNumpad4 AileronTrimLeft|AltRight AileronTrimRight|AltNumpad6 AileronTrimRight|"
        "Comma RudderLeft|L RudderCenter|Period RudderRight|AltComma RudderTrimLeft|"
        "AltPeriod RudderTrimRight|ForwardSlash AutoCoordination|Numpad+ FlapsDown|Numpad- FlapsUp|"
        "End TrimUp|Numpad1 TrimUp|Home TrimDown|Numpad7 TrimDown|LeftBracket GearDown|"
        "RightBracket GearUp|G ToggleGear|M ToggleBrakes|B ToggleBrakes|Numpad0 PropPitchUp|"
        "Insert PropPitchUp|Delete PropPitchDown|Numpad. PropPitchDown|Numpad* MixtureUp|"
        "Numpad/ MixtureDown|AltNumpad+ IncreaseSpeedup|AltNumpad- ReduceSpeedup|"
        "AltNumpad0 PropPitchUpRight|AltInsert PropPitchUpRight|AltDelete PropPitchDownRight|"
        "AltNumpad. PropPitchDownRight|AltNumpad* MixtureUpRight|AltNumpad/ MixtureDownRight|"
        "Alt0 ThrottleMinRight|AltBack ThrottleMaxRight|AltEqual ThrottleUpRight|"
        "AltPrior ThrottleUpRight|AltNumpad9 ThrottleUpRight|AltMinus ThrottleDownRight|"
        "AltNext ThrottleDownRight|AltNumpad3 ThrottleDownRight";
    const sim::KeyCommandTable table = sim::FlightControlCommands();
    ASSERT_EQ(table.size(), 61u);
    std::stringstream in(rows);
    std::string row;
    std::size_t i = 0;
    while (std::getline(in, row, '|')) {
        ASSERT_LT(i, table.size());
        const std::string key = row.substr(0, row.find(' '));
        const std::string name = row.substr(row.find(' ') + 1);
        EXPECT_EQ(table[i].code, sim::ParseKeyName(key)) << row;
        EXPECT_EQ(name, table[i].name);
        EXPECT_NE(table[i].function, nullptr);
        ++i;
    }
    EXPECT_EQ(i, 61u);
}

TEST_F(FlightControls, ElevatorStepsScaleWithTrimEffect) {
    const struct {
        int type;
        std::int16_t cnAdj;
        int up;
        int down;
    } cases[] = {
        {0, 32767, 64, -64}, {0, 16384, 32, -32}, {2, 32767, 48, -48},
        {4, 32767, 24, -24}, {3, 0, 0, 0},
    };
    for (const auto& c : cases) {
        SetUp();
        SetType(c.type);
        theFlightModelState.fmCNAdj = c.cnAdj;
        Press("Down");
        EXPECT_EQ(sim::theElevatorInput, c.up) << c.type << " " << c.cnAdj;
        sim::theElevatorInput = 0;
        Press("Up");
        EXPECT_EQ(sim::theElevatorInput, c.down) << c.type << " " << c.cnAdj;
        EXPECT_EQ(theFlightModelState.fmElv, c.down);
    }
}

// A held elevator key moves the elevator on its press and on at most 24 of its repeats, in
// either direction; the next press moves it again.
TEST_F(FlightControls, AHeldElevatorKeyMovesItABoundedWay) {
    const struct {
        const char* key;
        int step;
    } cases[] = {{"Down", 64}, {"Up", -64}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        sim::theElevatorInput = 0;
        Press(c.key);
        sim::theKeyIsRepeat = true;
        for (int i = 0; i < 100; ++i)
            Press(c.key);
        sim::theKeyIsRepeat = false;
        EXPECT_EQ(sim::theElevatorInput, 25 * c.step);
        Press(c.key);
        sim::theKeyIsRepeat = true;
        Press(c.key);
        sim::theKeyIsRepeat = false;
        EXPECT_EQ(sim::theElevatorInput, 27 * c.step);
    }
}

TEST_F(FlightControls, InputsAndTrimsStopAtTheirLimits) {
    // An input may reach 32767 exactly; the step beyond leaves it.
    sim::theElevatorInput = 32767 - 64;
    Press("Down");
    EXPECT_EQ(sim::theElevatorInput, 32767);
    Press("Down");
    EXPECT_EQ(sim::theElevatorInput, 32767);
    // A trim stops short of 32767: (9 x 32767) >> 15 = 8 per step.
    theFlightModelState.fmApElvTrim = 32766 - 8;
    Press("End");
    EXPECT_EQ(theFlightModelState.fmApElvTrim, 32766);
    Press("End");
    EXPECT_EQ(theFlightModelState.fmApElvTrim, 32766);
    // The combined position is clamped, not wrapped.
    EXPECT_EQ(theFlightModelState.fmElv, 32767);
    // A wheel with stops turns up to them; from beyond one (where the autopilot left it) it only
    // comes back.
    flight::theAircraftParameters.apTrimNoseDown = -20;
    flight::theAircraftParameters.apTrimNoseUp = 20;
    const struct {
        int from;
        const char* key;
        int times, to;
    } stops[] = {{0, "End", 2, 16},     {16, "End", 1, 20},    {20, "End", 1, 20},
                 {-16, "Home", 1, -20}, {-20, "Home", 1, -20}, {500, "End", 1, 500},
                 {500, "Home", 1, 492}, {-500, "End", 1, -492}};
    for (const auto& c : stops) {
        theFlightModelState.fmApElvTrim = static_cast<std::int16_t>(c.from);
        Press(c.key, c.times);
        EXPECT_EQ(theFlightModelState.fmApElvTrim, c.to) << c.from << " " << c.key;
    }
    flight::theAircraftParameters.apTrimNoseDown = flight::theAircraftParameters.apTrimNoseUp = 0;
    SetType(2);
    sim::theRudderTrim = -32768 + 32;
    sim::theRudderInput = -32768;
    Press("AltComma");
    EXPECT_EQ(sim::theRudderTrim, -32768 + 32);
    EXPECT_EQ(theFlightModelState.fmRud, -32768);
    sim::theAileronInput = 32767 - 200;
    Press("Right");
    EXPECT_EQ(sim::theAileronInput, 32767 - 200);
}

TEST_F(FlightControls, CrashFreezesControlsButNotRudderTrim) {
    SetType(2);
    flight::theCrashed = 1;
    Press("Comma");
    Press("Down");
    Press("Left");
    Press("End");
    EXPECT_EQ(sim::theRudderInput, 0);
    EXPECT_EQ(sim::theElevatorInput, 0);
    EXPECT_EQ(sim::theAileronInput, 0);
    EXPECT_EQ(theFlightModelState.fmApElvTrim, 0);
    Press("AltComma");
    EXPECT_EQ(sim::theRudderTrim, -64);
    EXPECT_EQ(theFlightModelState.fmRud, -64);
    EXPECT_EQ(cockpit::theRudderTrimIndicator.lever, 1);
}

TEST_F(FlightControls, AutoCoordinationAndCentring) {
    theFlightModelState.fmAutoCoordination = 1;
    Press("Left", 2);
    EXPECT_EQ(sim::theAileronInput, -512);
    EXPECT_EQ(sim::theRudderInput, -512);
    Press("Clear");
    EXPECT_EQ(theFlightModelState.fmAil, 0);
    EXPECT_EQ(theFlightModelState.fmRud, 0);
    theFlightModelState.fmAutoCoordination = 0;
    Press("Right");
    EXPECT_EQ(sim::theRudderInput, 0);
    Press("Period");
    Press("L");
    EXPECT_EQ(sim::theRudderInput, 0);
    Press("ForwardSlash");
    EXPECT_EQ(sim::theDefaultServiceState.lastMenuCommand, 695u);
}

TEST_F(FlightControls, TrimWheelsTurnByType) {
    const struct {
        int type;
        int aileronFrame;  // after AileronTrimLeft once
        int aileronTrim;
        int rudderFrame;  // after RudderTrimRight once
        int rudderTrim;
    } cases[] = {{0, 0, 0, 0, 0},  {1, 0, 0, 0, 0},    {5, 0, 0, 0, 0},
                 {2, 0, 0, 3, 64}, {3, 1, -64, 3, 64}, {4, 1, -64, 3, 64}};
    for (const auto& c : cases) {
        SetUp();
        SetType(c.type);
        Press("AltLeft");
        Press("AltPeriod");
        EXPECT_EQ(cockpit::theAileronTrimIndicator.lever, c.aileronFrame) << c.type;
        EXPECT_EQ(sim::theAileronTrim, c.aileronTrim) << c.type;
        EXPECT_EQ(cockpit::theRudderTrimIndicator.lever, c.rudderFrame) << c.type;
        EXPECT_EQ(sim::theRudderTrim, c.rudderTrim) << c.type;
    }
    // The elevator trim wheel cycles 0, 3, 2, 1, 0 going up.
    Press("End");
    EXPECT_EQ(cockpit::theElevatorTrimIndicator.lever, 3);
    Press("Home", 2);
    EXPECT_EQ(cockpit::theElevatorTrimIndicator.lever, 1);
    EXPECT_EQ(theFlightModelState.fmApElvTrim, 8 - 8 - 8);
}

TEST_F(FlightControls, EngineLevers) {
    theFlightModelState.fmEngines = 3;
    Press("Back");
    EXPECT_EQ(cockpit::theThrottleLever.lever, 31);
    EXPECT_EQ(theFlightModelState.fmThrot, 31 * 1057);
    cockpit::theThrottleLever.dirty = 0;
    Press("Equal");  // at the stop it stays, and is still redrawn
    EXPECT_EQ(cockpit::theThrottleLever.lever, 31);
    EXPECT_EQ(cockpit::theThrottleLever.dirty, 1);
    Press("Minus", 3);
    EXPECT_EQ(cockpit::theThrottleLever.lever, 28);
    EXPECT_EQ(cockpit::theThrottleLever2.lever, 0);  // not synchronised
    Press("0");
    Press("Minus");
    EXPECT_EQ(cockpit::theThrottleLever.lever, 0);

    // The right throttle is a twin's.
    theType = 2;
    cockpit::thePropPitchLever.lever = cockpit::thePropPitchLever2.lever = 0;
    theFlightModelState.fmMultiEngineSynch = 1;
    Press("Prior", 2);
    EXPECT_EQ(cockpit::theThrottleLever.lever, 2);
    EXPECT_EQ(cockpit::theThrottleLever2.lever, 2);
    EXPECT_EQ(theFlightModelState.fmThrotRight, 2 * 1057);
    Press("AltNumpad9");  // a Right command moves the right lever alone
    EXPECT_EQ(cockpit::theThrottleLever.lever, 2);
    EXPECT_EQ(cockpit::theThrottleLever2.lever, 3);
    Press("Insert");
    EXPECT_EQ(cockpit::thePropPitchLever.lever, 1);
    EXPECT_EQ(cockpit::thePropPitchLever2.lever, 1);
    Press("AltDelete", 3);
    EXPECT_EQ(cockpit::thePropPitchLever2.lever, 0);
}

TEST_F(FlightControls, MixtureStops) {
    const struct {
        int type;
        int from;
        int up;
        int down;
    } cases[] = {
        {0, 7, 8, 6}, {0, 31, 31, 30}, {3, 7, 7, 7}, {3, 0, 15, 0}, {3, 15, 31, 0}, {3, 31, 31, 15},
    };
    for (const auto& c : cases) {
        SetUp();
        SetType(c.type);
        cockpit::theMixtureLever.lever = static_cast<std::int16_t>(c.from);
        Press("Numpad*");
        EXPECT_EQ(cockpit::theMixtureLever.lever, c.up) << c.type << " from " << c.from;
        cockpit::theMixtureLever.lever = static_cast<std::int16_t>(c.from);
        Press("Numpad/");
        EXPECT_EQ(cockpit::theMixtureLever.lever, c.down) << c.type << " from " << c.from;
    }
}

TEST_F(FlightControls, FlapsStopAtTheirNotchesSilently) {
    Press("Numpad+", 5);
    EXPECT_EQ(theFlightModelState.fmFlaps, 3);
    ASSERT_EQ(theEffects.size(), 3u);
    EXPECT_EQ(theEffects[0].channel, sim::EffectChannel::Flap);
    EXPECT_EQ(theEffects[0].effect, 13);
    EXPECT_EQ(theEffects[0].pan, 100);
    EXPECT_EQ(theEffects[0].volume, -350);
    Press("Numpad-", 4);
    EXPECT_EQ(theFlightModelState.fmFlaps, 0);
    EXPECT_EQ(theEffects.size(), 6u);
}

TEST_F(FlightControls, GearNeedsRetractableGearAirAndBattery) {
    const struct {
        int type;
        int onGround;
        int battery;
        int movesUp;
    } cases[] = {{0, 0, 1, 0}, {5, 0, 1, 0}, {1, 1, 1, 0},
                 {1, 0, 0, 0}, {1, 0, 1, 1}, {4, 0, 1, 1}};
    for (const auto& c : cases) {
        SetUp();
        SetType(c.type);
        theFlightModelState.fmGear = 1;
        theFlightModelState.fmOTG = static_cast<std::int8_t>(c.onGround);
        cockpit::thePanelSwitches.batteryPower = static_cast<std::uint32_t>(c.battery);
        Press("G");
        EXPECT_EQ(cockpit::theGearUp, static_cast<std::uint32_t>(c.movesUp)) << c.type;
        EXPECT_EQ(theFlightModelState.fmGear, c.movesUp ? 0 : 1);
        if (c.movesUp) {
            EXPECT_EQ(theAnimatedGear, 0);
            Press("G");
            EXPECT_EQ(cockpit::theGearUp, 0u);
            EXPECT_EQ(theAnimatedGear, 1);
            Press("RightBracket");
            Press("RightBracket");
            EXPECT_EQ(cockpit::theGearUp, 1u);
            Press("LeftBracket");
            EXPECT_EQ(theFlightModelState.fmGear, 1);
        }
    }
}

TEST_F(FlightControls, BrakesAndTimeAcceleration) {
    Press("M");
    EXPECT_NE(theFlightModelState.fmLBrake, 0);
    EXPECT_NE(theFlightModelState.fmRBrake, 0);
    Press("B");
    EXPECT_EQ(theFlightModelState.fmLBrake, 0);
    EXPECT_EQ(theFlightModelState.fmRBrake, 0);
    // The keys step the world's index and stop at 0 and 4 (the whole program's test shows the
    // time running faster).
    static int index = 0;
    sim::theCommandServices.speedUp = [] { return index; };
    sim::theCommandServices.setSpeedUp = [](int k) { index = k; };
    Press("AltNumpad+", 6);
    EXPECT_EQ(index, 4);
    Press("AltNumpad-", 5);
    EXPECT_EQ(index, 0);
}

}  // namespace
