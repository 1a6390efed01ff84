// The world's joystick on scripted sticks: the controls it gives for axis positions, the throttle,
// slew rates, buttons and hat as key codes, its settings and bindings, and sticks that come and go.
#include "devices/joystick.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "cockpit/panel_controls.h"
#include "core/ini_file.h"
#include "flight/flight_model_state.h"
#include "platform/headless/headless_backend.h"
#include "sim/device_host.h"
#include "sim/input/flight_controls.h"
#include "sim/input/key_commands.h"
#include "sim/input/key_names.h"
#include "sim/slew.h"
#include "support/temp_folder.h"
#include "win/window.h"

namespace {

using devices::Joystick;

std::vector<std::uint32_t> theDispatched;
void Record207() {
    theDispatched.push_back(0x207);
}
void Record203() {
    theDispatched.push_back(0x203);
}
void RecordButton1() {
    theDispatched.push_back(0x101);
}
void RecordButton2() {
    theDispatched.push_back(0x102);
}
void RecordBound() {
    theDispatched.push_back(0xB0);
}

const sim::KeyCommand kRows[] = {
    {0x207, &Record207, "TestLookBackRight"},
    {0x203, &Record203, "TestLookLeft"},
    {0x101, &RecordButton1, "TestOnce"},
    {sim::kKeyRepeat | 0x102, &RecordButton2, "TestRepeat"},
    {0x7B0, &RecordBound, "TestBound"},
};

class Stick : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetCurrentBackend(&machine);
        core::theIniFile.DeleteSection("Joysticks");
        devices::theJoystickIniFile = core::IniFile(folder.Path("joystick.ini").c_str());
        sim::RegisterKeyCommands(&node, kRows, 5, 100);
        theDispatched.clear();
        fm = flight::FlightModelState{};
        sim::theElevatorInput = 0;
        sim::InstallDeviceHost();
        cockpit::ResetPanelControls();
    }
    void TearDown() override {
        sim::UnregisterKeyCommands(&node);
        sim::theJoystickBindings.Clear();
        sim::theSlewControl.SetActive(0);
        fm = flight::FlightModelState{};
        platform::SetCurrentBackend(nullptr);
    }
    void Plug(const char* name = "Test Stick", int axes = 4, int buttons = 8, int hats = 1) {
        platform::JoystickInfo info;
        info.name = name;
        info.axes = axes;
        info.buttons = buttons;
        info.hats = hats;
        machine.Sticks().Plug(info);
    }
    // Positions as the platform gives them (-32768..32767, centred at 0).
    void Axis(int axis, int value) {
        machine.Sticks().SetAxis(0, axis, static_cast<std::int16_t>(value));
    }

    platform::HeadlessBackend machine;
    testsupport::TempFolder folder{"zephlon-stick"};
    sim::KeyCommandNode node;
    flight::FlightModelState& fm = flight::theFlightModelState;
    Joystick stick;
};

TEST_F(Stick, AxesGiveTheControlsPastTheDeadZoneAlongTheirCurve) {
    Plug();
    const struct {
        std::int32_t ailSens;  // -1 keeps the sensitivity
        int x;                 // the interface's 0..65535
        std::int16_t ail;
    } cases[] = {
        {-1, 32767, 0},       {-1, 40959, 0},      // the edge of the dead zone gives exactly 0
        {-1, 53246, 1745},    {-1, 12288, -1745},  // sensitivity 0: the output grows as |d|^2.5
        {8000, 53246, 2468},                       // 50 %: as |d|^2
        {16000, 53246, 3490},                      // 100 %: as |d|^1.5
    };
    for (const auto& c : cases) {
        core::theIniFile.PutInt("Joysticks", "AilSens", c.ailSens);
        ASSERT_EQ(stick.Detect(win::HWND{}), 1);
        Axis(0, c.x - 32768);
        stick.Poll();
        EXPECT_EQ(fm.fmAil, c.ail) << c.x << " at " << c.ailSens;
    }
    // Full travel stays finite at every setting, on every axis.
    for (int x : {0, 65535}) {
        Axis(0, x - 32768);
        Axis(1, x - 32768);
        Axis(3, x - 32768);
        stick.Poll();
        EXPECT_LT(std::abs(fm.fmAil), 11520);
    }
    EXPECT_EQ(core::theIniFile.GetInt("Joysticks", "Device", 9), 0);
}

TEST_F(Stick, SensitivityAndDeadZoneAsPercentages) {
    Plug();
    core::theIniFile.PutInt("Joysticks", "AilSens", 2500);
    ASSERT_EQ(stick.Detect(win::HWND{}), 1);
    EXPECT_EQ(stick.aileronSensitivity, 2.0) << "whole thousands";
    EXPECT_EQ(stick.GetAileronSensitivity(), 12);
    EXPECT_EQ(stick.GetDeadZone(), 50);
    stick.SetElevatorSensitivity(50);
    EXPECT_EQ(core::theIniFile.GetInt("Joysticks", "ElvSens", 0), 7000);
    EXPECT_EQ(stick.elevatorSensitivity, 7.0);
    stick.SetDeadZone(25);
    EXPECT_EQ(stick.deadZone, 4096);
    EXPECT_EQ(core::theIniFile.GetInt("Joysticks", "DZone", 0), 4096);
}

TEST_F(Stick, BadSettingsAreHeldAndNarrowAxesReadZero) {
    Plug();
    core::theIniFile.PutString("Joysticks", "Device", "first");
    core::theIniFile.PutInt("Joysticks", "DZSensMax", 99999);
    core::theIniFile.PutInt("Joysticks", "DZone", 70000);
    core::theIniFile.PutInt("Joysticks", "AilSensMin", 9000);
    core::theIniFile.PutInt("Joysticks", "AilSensMax", 100);
    core::theIniFile.PutInt("Joysticks", "AilSens", -5000);
    ASSERT_EQ(stick.Detect(win::HWND{}), 1);
    EXPECT_EQ(stick.deadZoneMax, 32767);
    EXPECT_EQ(stick.deadZone, 32766) << "below half the x travel";
    EXPECT_EQ(stick.aileronMax, 9000);
    EXPECT_EQ(stick.aileronSensitivity, 9.0);
    EXPECT_EQ(stick.GetAileronSensitivity(), 0) << "an empty range counts as 1000";
    Axis(0, 32767);
    stick.Poll();
    EXPECT_GE(fm.fmAil, 0);
    // An axis without travel, or a throttle without one, gives nothing.
    stick.xRange = 0;
    stick.zRange = 0;
    fm.fmAil = 77;
    cockpit::theThrottleLever.lever = 9;
    Axis(0, -32768);
    stick.Poll();
    EXPECT_EQ(fm.fmAil, 0);
    EXPECT_EQ(cockpit::theThrottleLever.lever, 9);
}

TEST_F(Stick, TheThirdAxisIsTheThrottle) {
    Plug();
    ASSERT_EQ(stick.Detect(win::HWND{}), 1);
    fm.fmMultiEngineSynch = 0;
    const struct {
        int z;
        std::int16_t lever;
    } cases[] = {{32767, 0}, {-32768, 31}, {0, 15}, {-16384, 23}};
    for (const auto& c : cases) {
        Axis(2, c.z);
        stick.Poll();
        EXPECT_EQ(cockpit::theThrottleLever.lever, c.lever) << c.z;
        EXPECT_EQ(cockpit::theThrottleLever2.lever, 0);
    }
    fm.fmMultiEngineSynch = 1;
    stick.Poll();
    EXPECT_EQ(cockpit::theThrottleLever2.lever, 23);
    // A stick of two axes leaves the throttle to the keys.
    machine.Sticks().Unplug(0);
    Plug("Two Axes", 2, 2, 0);
    ASSERT_EQ(stick.Detect(win::HWND{}), 1);
    cockpit::theThrottleLever.lever = 4;
    stick.Poll();
    EXPECT_EQ(cockpit::theThrottleLever.lever, 4);
}

TEST_F(Stick, RudderElevatorAndSlew) {
    Plug();
    ASSERT_EQ(stick.Detect(win::HWND{}), 1);
    Axis(0, 53246 - 32768);
    Axis(3, 12288 - 32768);
    fm.fmAutoCoordination = 1;
    stick.Poll();
    EXPECT_EQ(fm.fmRud, fm.fmAil) << "the rudder follows the aileron, rudder axis or not";
    fm.fmAutoCoordination = 0;
    stick.Poll();
    EXPECT_LT(fm.fmRud, 0);
    // The elevator moves a quarter of the way each poll.
    Axis(1, 53246 - 32768);
    stick.Poll();
    const std::int16_t first = sim::theElevatorInput;
    stick.Poll();
    EXPECT_GT(sim::theElevatorInput, first);
    EXPECT_EQ(first, 969 >> 2);
    EXPECT_EQ(fm.fmElv, sim::theElevatorInput + fm.fmApElvTrim);
    // Slewing, the stick gives rates.
    sim::theSlewControl.SetActive(1);
    fm.fmAil = 5;
    stick.Poll();
    EXPECT_EQ(fm.fmAil, 5);
    EXPECT_EQ(sim::theSlewControl.sideRate, static_cast<std::int32_t>(12287 * (12287.0 / 24575)));
    sim::theSlewControl.altJoystick = 1;
    stick.Poll();
    EXPECT_EQ(sim::theSlewControl.altJoystick, 0) << "every poll clears it";
}

TEST_F(Stick, ButtonsAndTheHatRunTheirCommands) {
    Plug();
    ASSERT_EQ(stick.Detect(win::HWND{}), 1);
    platform::HeadlessJoysticks& s = machine.Sticks();
    s.SetHat(0, 0, platform::kHatDown | platform::kHatRight);
    stick.Poll();
    s.SetHat(0, 0, platform::kHatLeft);
    stick.Poll();
    stick.Poll();  // unchanged: nothing
    s.SetHat(0, 0, 0);
    stick.Poll();  // centred: nothing
    EXPECT_EQ(theDispatched, (std::vector<std::uint32_t>{0x207, 0x203}));
    theDispatched.clear();
    s.SetButton(0, 1, true);
    s.SetButton(0, 2, true);
    for (int i = 0; i < 3; ++i)
        stick.Poll();
    // The held button fired once; the repeating command fired at every poll.
    EXPECT_EQ(std::count(theDispatched.begin(), theDispatched.end(), 0x101), 1);
    EXPECT_EQ(std::count(theDispatched.begin(), theDispatched.end(), 0x102), 3);
}

TEST_F(Stick, UnpluggedTheKeyboardFliesOn) {
    Plug();
    ASSERT_EQ(stick.Detect(win::HWND{}), 1);
    stick.SetInUse(true);
    machine.Sticks().Unplug(0);
    fm.fmAil = 1234;
    stick.Poll();
    EXPECT_EQ(fm.fmAil, 1234);
    EXPECT_TRUE(stick.IsPresent());
}

TEST_F(Stick, AStickPluggedInWhileWantedIsTaken) {
    ASSERT_EQ(stick.Detect(win::HWND{}), 1);
    EXPECT_FALSE(stick.IsPresent());
    EXPECT_EQ(core::theIniFile.GetInt("Joysticks", "Device", 0), -1);
    stick.SetInUse(true);
    EXPECT_FALSE(stick.IsInUse());
    Plug();
    platform::Event e;
    e.kind = platform::EventKind::JoystickAdded;
    machine.Input().Inject(e);
    win::MSG m;
    win::PeekMessage(&m, win::HWND{}, 0, 0, win::PM_REMOVE);
    stick.CheckArrival(win::HWND{});
    EXPECT_TRUE(stick.IsPresent());
    EXPECT_TRUE(stick.IsInUse());
    // Input turned off: a later stick is not taken.
    Joystick other;
    other.SetInUse(false);
    machine.Input().Inject(e);
    win::PeekMessage(&m, win::HWND{}, 0, 0, win::PM_REMOVE);
    other.CheckArrival(win::HWND{});
    EXPECT_FALSE(other.IsPresent());
}

TEST_F(Stick, NamesAndTheBindingsFiledUnderThem) {
    EXPECT_STREQ(devices::GetJoystickOEMName(0), "Generic");
    Plug("");
    EXPECT_STREQ(devices::GetJoystickOEMName(0), "Generic 8-button");
    machine.Sticks().Unplug(0);
    Plug("Pilot [Pro] Stick");
    EXPECT_STREQ(devices::GetJoystickOEMName(0), "Pilot  Pro  Stick");
    // Bindings in the joystick file, bad lines among them.
    folder.Write("joystick.ini",
                 "[Other]\nButton3=TestLookLeft\n"
                 "[Pilot  Pro  Stick]\nButton3=TestBound\nButton4=NoSuchCommand\n"
                 "Gibberish line\nButton99=TestBound\n=TestBound\n");
    ASSERT_EQ(stick.Detect(win::HWND{}), 1);
    machine.Sticks().SetButton(0, 3, true);
    machine.Sticks().SetButton(0, 4, true);
    stick.Poll();
    EXPECT_EQ(theDispatched, (std::vector<std::uint32_t>{0xB0}));
    // They were saved with the settings, under the stick's name.
    core::IniFile settings(core::theIniFile.Path().c_str());
    EXPECT_STREQ(settings.GetString("Pilot  Pro  Stick", "Button3", ""), "TestBound");
}

}  // namespace
