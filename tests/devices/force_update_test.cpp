// The forces of the flight on the headless stick: the centring spring against airspeed, ground
// and trim, the stall buffet, turbulence, the triggers' clamps on bad values, the actuators, and
// the stick coming and going with the window's focus and the plug.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

#include "cockpit/panel_controls.h"
#include "core/ini_file.h"
#include "devices/joystick.h"
#include "flight/airspeed.h"
#include "force_fixture.h"
#include "support/temp_folder.h"

namespace {

using namespace devices;
using devicestest::ForceFixture;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

// Device effect ids after a start: the spring, then the standard effects in order.
constexpr int kSpring = 0, kJolt = 1, kVector = 2, kX = 3, kY = 4, kYWave = 6;

class ForceUpdate : public ForceFixture {
protected:
    void SetUp() override {
        ForceFixture::SetUp();
        Plug(true);
        Start();
        theForceRefresh = 1;
    }
    const platform::HapticEffect& Effect(int id) { return Device().effects.at(id).effect; }
    bool Playing(int id) { return machine.Forces().Playing(id); }
    flight::FlightModelState& fm = flight::theFlightModelState;
};

TEST_F(ForceUpdate, TheSpringStiffensWithAirspeedAndIsSofterOnTheGround) {
    const struct {
        int knots;
        bool ground;
        std::int16_t coefficient;
    } cases[] = {
        {300, false, 32767},  // 2.0, held to 100 %
        {300, true, 21626},   // 0.6667: 66 %
        {150, false, 32767},  // exactly 100 %
        {60, false, 13106},   // 40 %
        {1, false, 0},        // the stick is free
    };
    for (const auto& c : cases) {
        fm.fmIAS = flight::AirspeedWordFromKnots(c.knots);
        fm.fmOTG = c.ground ? 1 : 0;
        theForceRefresh = 1;
        UpdateStickForces();
        EXPECT_EQ(Effect(kSpring).right[0], c.coefficient) << c.knots << " " << c.ground;
        EXPECT_EQ(Effect(kSpring).right[1], c.coefficient);
        EXPECT_EQ(Effect(kSpring).center, (std::array<std::int16_t, 2>{0, 0}));
    }
}

TEST_F(ForceUpdate, TheStickCentresOnTheTrimmedControls) {
    fm.fmIAS = flight::AirspeedWordFromKnots(60);  // 0.4
    fm.fmAil = 1200;
    sim::theAileronTrim = 1200;
    fm.fmElv = -3000;
    fm.fmApElvTrim = -3000;
    UpdateStickForces();
    EXPECT_EQ(Effect(kSpring).center, (std::array<std::int16_t, 2>{0, 0}));
    EXPECT_EQ(Effect(kSpring).right[0], 13106);
    // The offset follows the deflection from trim (held at 85.5 degrees) and stiffens the
    // spring with it.
    fm.fmAil = 32767;
    sim::theAileronTrim = -32768;
    fm.fmElv = 4000;  // e = pi / 4
    fm.fmApElvTrim = 2000;
    UpdateStickForces();
    const double a = 1.4922565104551517, e = std::numbers::pi / 4;
    const double ox = -0.25 * std::sin(a) / std::sqrt(std::cos(a));
    const double oy = -0.25 * std::sin(e) / std::sqrt(std::cos(e));
    const auto device = [](double v) {
        return static_cast<int>(std::trunc(v * 100)) * 100 * 32767 / 10000;
    };
    EXPECT_EQ(Effect(kSpring).center[0], device(ox));
    EXPECT_EQ(Effect(kSpring).center[1], device(oy));
    EXPECT_EQ(Effect(kSpring).right[0], device((std::fabs(ox) + 1) * 0.4));
    EXPECT_EQ(Effect(kSpring).right[1], device((std::fabs(oy) + 1) * 0.4));
    EXPECT_LT(Effect(kSpring).center[0], 0);
}

TEST_F(ForceUpdate, TheStickShakesPastTheStallAngle) {
    fm.fmIAS = flight::AirspeedWordFromKnots(50);
    fm.fmAlpha = 2185;  // low 0.49931, high 0.50069, 3.0069 Hz
    UpdateStickForces();
    EXPECT_TRUE(Playing(kYWave));
    EXPECT_EQ(Effect(kYWave).period, 333);
    EXPECT_EQ(Effect(kYWave).magnitude, 16383);
    EXPECT_EQ(Effect(kYWave).offset, 0);
    EXPECT_EQ(theForceUpdateMemory.buffetLow, 49);
    EXPECT_EQ(theForceUpdateMemory.buffetHigh, 50);
    EXPECT_EQ(theForceUpdateMemory.buffetFrequency, 300);

    fm.fmAlpha = 2184;
    UpdateStickForces();
    EXPECT_FALSE(Playing(kYWave)) << "exactly at the stall angle";

    // Eight degrees past it: pushed all the way one way, at 13 Hz.
    fm.fmAlpha = 2184 + 1456;
    UpdateStickForces();
    EXPECT_TRUE(Playing(kYWave));
    EXPECT_EQ(Effect(kYWave).period, 77);
    EXPECT_EQ(Effect(kYWave).offset, -16383);
    fm.fmAlpha = 32767;
    UpdateStickForces();
    EXPECT_EQ(Effect(kYWave).period, 20) << "50 Hz at most";

    sim::theSlewControl.SetActive(1);
    UpdateStickForces();
    EXPECT_FALSE(Playing(kYWave)) << "no buffet while slewing";
}

TEST_F(ForceUpdate, SteadyFlightSendsNothingAfterTheFirstUpdate) {
    fm.fmIAS = flight::AirspeedWordFromKnots(110);
    fm.fmAil = 300;
    fm.fmAlpha = 2500;
    flight::theFlightStep.stickBumpX = 0.25f;
    UpdateStickForces();
    EXPECT_TRUE(Playing(kX));
    const std::uint64_t calls = machine.Forces().Calls();
    for (int i = 0; i < 1000; ++i)
        UpdateStickForces();
    EXPECT_EQ(machine.Forces().Calls(), calls);
    // A bump of the same hundredths is the same force.
    flight::theFlightStep.stickBumpX = 0.2549f;
    UpdateStickForces();
    EXPECT_EQ(machine.Forces().Calls(), calls);
    flight::theFlightStep.stickBumpY = -0.5f;
    UpdateStickForces();
    EXPECT_EQ(Effect(kY).level, -16383);
    EXPECT_EQ(Effect(kX).level, 8191);
}

TEST_F(ForceUpdate, JoltsLastUpToTwoAndAHalfSeconds) {
    const struct {
        int ms;
        std::uint32_t length;
    } cases[] = {{0, 2500}, {4000, 2500}, {-5, 2500}, {300, 300}, {2500, 2500}};
    for (const auto& c : cases) {
        JoltStick(90, c.ms, 0.75f);
        EXPECT_EQ(Effect(kJolt).length, c.length) << c.ms;
        EXPECT_EQ(theForceEffects[kJoltEffect]->GetDuration(), c.length * 1000) << c.ms;
        EXPECT_EQ(Effect(kJolt).level, 24575);
        EXPECT_EQ(Effect(kJolt).direction, 9000);
        EXPECT_TRUE(Playing(kJolt));
    }
}

TEST_F(ForceUpdate, TriggersClampValuesThatAreNotNumbersNegativeOrHuge) {
    SetStickXYForce(kNaN, kInf);
    EXPECT_EQ(Effect(kX).level, 0);
    EXPECT_EQ(Effect(kY).level, 32767);
    SetStickXYForce(-kInf, 1e30f);
    EXPECT_EQ(Effect(kX).level, -32767);
    SetStickXYForce(1.5f, -2.0f);
    EXPECT_EQ(Effect(kX).level, 32767);
    EXPECT_EQ(Effect(kY).level, -32767);

    for (float v : {kNaN, -3.0f, -kInf}) {
        SetStickCenterStiffness(0, v);
        EXPECT_EQ(Effect(kSpring).right[0], 0) << v;
        EXPECT_EQ(GetStickCenterStiffness(0), 0.0f);
    }
    SetStickCenterStiffness(0, 1e9f);
    EXPECT_EQ(Effect(kSpring).right[0], 32767);
    SetStickCenterOffset(1, -1e9f);
    EXPECT_EQ(Effect(kSpring).center[1], -32767);
    EXPECT_FLOAT_EQ(GetStickCenterOffset(1), -100.0f);

    StartYVibration(0.3f, 0.9f, 8.0f);
    EXPECT_TRUE(Playing(kYWave));
    StartYVibration(kNaN, kInf, kNaN);
    EXPECT_FALSE(Playing(kYWave)) << "a frequency of 0 stops the wave";

    StartStickEffect(3, -450, kNaN, 1e9f);
    auto* slot = static_cast<FFPeriodicEffect*>(Stick().slots[3].get());
    ASSERT_NE(slot, nullptr);
    EXPECT_EQ(slot->periodic.dwPeriod, 20000u) << "50 Hz";
    EXPECT_EQ(slot->GetDirection(), 27000);
    EXPECT_EQ(slot->periodic.dwMagnitude, 0u);
    const std::size_t lines = Lines().size();
    StartStickEffect(16, 0, 1, 0);
    StartStickEffect(-3, 0, 1, 0);
    StopStickEffect(99);
    EXPECT_TRUE(Lines().empty()) << lines;

    JoltStick(725, -5, kNaN);
    EXPECT_EQ(Effect(kJolt).direction, 500);
    EXPECT_EQ(Effect(kJolt).level, 0);
}

TEST_F(ForceUpdate, WithTheActuatorsOffNothingChangesButStopsStillStop) {
    StartYVibration(0.2f, 0.8f, 5);
    SetStickXYForce(0.3f, 0.3f);
    ASSERT_TRUE(Playing(kYWave));
    theForceActuatorsOn = 0;
    Lines();
    SetStickXYForce(-0.3f, 0.6f);
    JoltStick(0, 100, 1);
    SetStickCenterStiffness(2, 0.1f);
    StartXVibration(0.5f, 0.5f, 10);
    SetStickVectorForce(0, 1);
    StartBuffeting(1);
    EXPECT_TRUE(Lines().empty());
    StopYVibration();
    ClearStickForce();
    StopBuffeting();
    EXPECT_FALSE(Playing(kYWave));
    EXPECT_FALSE(Playing(kX));
    EXPECT_FALSE(Playing(kY));
}

TEST_F(ForceUpdate, TheVectorForceAndItsComponentsTakeTurns) {
    SetStickXYForce(0.2f, 0.3f);
    EXPECT_TRUE(Playing(kX) && Playing(kY));
    SetStickVectorForce(90, 0.5f);
    EXPECT_FALSE(Playing(kX) || Playing(kY));
    EXPECT_TRUE(Playing(kVector));
    EXPECT_EQ(Effect(kVector).direction, 9000);
    SetStickXYForce(0.2f, 0.3f);
    EXPECT_FALSE(Playing(kVector));
    EXPECT_TRUE(Playing(kX) && Playing(kY));
}

TEST_F(ForceUpdate, FocusLostAndRegainedReleasesEverythingAndSendsEverythingAgain) {
    ReleaseForceFeedback(true);
    Lines();
    theJoystickFound = 1;
    fm.fmIAS = flight::AirspeedWordFromKnots(90);
    fm.fmAlpha = 2600;
    StartForceFeedback(win::HWND{1});
    ASSERT_EQ(theForceFeedbackActive, 1u);
    UpdateStickForces();
    EXPECT_TRUE(Playing(kYWave));
    EXPECT_EQ(theForceRefresh, 0u);

    ShutdownForceFeedback();
    EXPECT_EQ(theForceFeedbackActive, 0u);
    EXPECT_EQ(theForceActuatorsOn, 0);
    EXPECT_EQ(theForceStick, nullptr);
    EXPECT_EQ(machine.Forces().OpenDevices(), 0);
    Lines();
    UpdateStickForces();  // the frame that was under way
    EXPECT_TRUE(Lines().empty());

    // Back: the spring is made again and the same buffet starts again although nothing changed.
    StartForceFeedback(win::HWND{1});
    UpdateStickForces();
    EXPECT_TRUE(Playing(kYWave));
    EXPECT_EQ(Effect(kSpring).right[0], 19660);  // 90 kt of 150
}

TEST_F(ForceUpdate, AStickThatFailedIsNotTriedAgainUntilAnotherArrives) {
    ReleaseForceFeedback(true);
    win::RegisterModule(kStickLibraryName, {});  // a library without its entry points
    ASSERT_TRUE(machine.Sticks().Unplug(0));
    Plug(false, "Plain Stick");
    theJoystickFound = 1;
    StartForceFeedback(win::HWND{1});
    EXPECT_EQ(theForceFeedbackActive, 0u);
    EXPECT_EQ(win::ModuleLoads(kStickLibraryName), 1);
    StartForceFeedback(win::HWND{1});
    EXPECT_EQ(win::ModuleLoads(kStickLibraryName), 1) << "the same stick is not tried again";
    ASSERT_TRUE(machine.Sticks().Unplug(0));
    Plug(true, "Other Stick");
    StartForceFeedback(win::HWND{1});
    EXPECT_EQ(theForceFeedbackActive, 1u);
}

TEST_F(ForceUpdate, AStickUnpluggedWithEffectsRunningTakesItsForcesAlong) {
    ReleaseForceFeedback(true);
    testsupport::TempFolder folder{"zephlon-force-stick"};
    core::theIniFile.DeleteSection("Joysticks");
    theJoystickIniFile = core::IniFile(folder.Path("joystick.ini").c_str());
    Joystick stick;
    stick.Detect(win::HWND{1});
    ASSERT_EQ(theForceFeedbackActive, 1u);
    stick.SetInUse(true);
    fm.fmIAS = flight::AirspeedWordFromKnots(120);
    fm.fmAlpha = 3000;
    stick.Poll();
    EXPECT_TRUE(Playing(kYWave));

    ASSERT_TRUE(machine.Sticks().Unplug(0));
    stick.Poll();
    EXPECT_EQ(theForceFeedbackActive, 0u);
    EXPECT_EQ(theForceStick, nullptr);
    EXPECT_EQ(theForceActuatorsOn, 0);
    stick.Poll();

    Plug(true);
    stick.Detect(win::HWND{1});
    ASSERT_EQ(theForceFeedbackActive, 1u);
    stick.Poll();
    EXPECT_TRUE(Playing(kYWave));
    cockpit::ResetPanelControls();
    sim::theElevatorInput = 0;
}

}  // namespace
