// The aircraft table and the current aircraft.
#include <gtest/gtest.h>

#include <climits>

#include <cmath>
#include <cstdio>
#include <string>

#include "cockpit/cockpit_services.h"
#include "core/ini_file.h"
#include "flight/aircraft.h"
#include "flight/aircraft_parameters.h"
#include "flight/airspeed.h"
#include "flight/flight_harness.h"
#include "flight/flight_model_state.h"

namespace {

using flight::Aircraft;
using flight::theFlightModelState;

std::string Situation(const char* name) {
    const std::string path = std::string(ZEPHLON_BINARY_DIR) + "/" + name;
    std::remove(path.c_str());
    return path;
}

TEST(Aircraft, TypeOutsideTheTableSelectsTheSkyhawk) {
    for (int bad : {9, -1, 6}) {
        flighttest::FlightHarness h(0);
        const std::string path = Situation("aircraft_type.Flt");
        core::IniFile file(path.c_str());
        file.PutInt("Aircraft", "type", bad);
        Aircraft a;
        a.LoadType(file);
        EXPECT_EQ(a.GetType(), 0) << bad;
        EXPECT_STREQ(a.GetFullName(), "Cessna 172 Skyhawk");
    }
}

TEST(Aircraft, TypeFiveUsesTheSkyhawksRecordAndParts) {
    flighttest::FlightHarness h(0);
    Aircraft a;
    a.SelectByType(5);
    EXPECT_EQ(a.GetType(), 5);
    EXPECT_EQ(flight::theAircraftParameters.apModelCode, 5);
    EXPECT_EQ(flight::theAircraftParameters.apEmptyWeight, 643);
    ASSERT_NE(a.GetPart(0), nullptr);
    EXPECT_EQ(a.GetPart(0)->frameCount, 12);
    EXPECT_EQ(a.GetPart(9), nullptr);           // fixed gear
    EXPECT_EQ(a.GetViewportBottom(0, 0), 479);  // no panel bitmap: the 3D view fills the screen
    EXPECT_FLOAT_EQ(a.GetModelHeightOffset(), 0.7757576f);
}

TEST(Aircraft, SelectingCopiesTheRecordAndInitialisesTheCore) {
    flighttest::FlightHarness h(0);
    Aircraft a;
    theFlightModelState.fmFlaps = 9;
    a.SelectByType(2);
    EXPECT_EQ(flight::theAircraftParameters.apModelCode, 3);
    EXPECT_EQ(theFlightModelState.fmStepTime, 1800);
    EXPECT_EQ(theFlightModelState.fmCoreCountdown, 11);
    EXPECT_EQ(theFlightModelState.fmFlaps, 2);
    EXPECT_EQ(theFlightModelState.fmPLoad, flight::theAircraftParameters.apInitialPayload);
    EXPECT_EQ(a.GetElevatorStep(), 48);
}

TEST(Aircraft, FuelSelectionCarriesOverBetweenSinglesAndTwins) {
    flighttest::FlightHarness h(0);
    Aircraft a;
    a.SelectByType(2);
    cockpit::theLeftEngineTankSelector = 1;
    a.SelectByType(0);
    EXPECT_EQ(cockpit::theFuelTankSelector, 2);
    cockpit::theFuelTankSelector = 2;
    a.SelectByType(3);
    EXPECT_EQ(cockpit::theLeftEngineTankSelector, 1);
    EXPECT_EQ(cockpit::theRightEngineTankSelector, 1);
    cockpit::theLeftEngineTankSelector = 0;
    a.SelectByType(1);
    EXPECT_EQ(cockpit::theFuelTankSelector, 0);
    EXPECT_EQ(cockpit::thePanelSwitches.fuelSelectorSwitchLeft, 0);
}

TEST(Aircraft, FirstSelectionCarriesNoFuelSelectionOver) {
    flighttest::FlightHarness h(0);
    cockpit::theFuelTankSelector = 0;
    cockpit::theLeftEngineTankSelector = 2;
    cockpit::theRightEngineTankSelector = 2;
    Aircraft a;
    a.SelectByType(2);
    EXPECT_EQ(cockpit::theLeftEngineTankSelector, 2);
    EXPECT_EQ(cockpit::theRightEngineTankSelector, 2);
}

TEST(Aircraft, RunningEnginesCarryOverToATwin) {
    flighttest::FlightHarness h(0);
    Aircraft a;
    a.SelectByType(0);
    theFlightModelState.fmEngines = 1;
    cockpit::thePanelSwitches.ignitionLeft = 3;
    a.SelectByType(2);
    EXPECT_EQ(theFlightModelState.fmEngines, 3);
    EXPECT_EQ(cockpit::thePanelSwitches.ignitionRight, 3);
    EXPECT_EQ(flighttest::FlightHarness::calls.startEngineSounds, 1);
    a.SelectByType(1);
    EXPECT_EQ(theFlightModelState.fmEngines, 1);
}

TEST(Aircraft, ViewportAndViewWindowByTypeAndMode) {
    flighttest::FlightHarness h(0);
    Aircraft a;
    struct Case {
        int type;
        int mode;
        int look;
        int bottom;
        float h;
    };
    const Case cases[] = {{0, 0, 0, 171, 30.0f}, {1, 0, 0, 193, 30.0f}, {1, 0, 2, 479, 30.0f},
                          {0, 1, 0, 215, 13.5f}, {1, 1, 0, 235, 14.5f}, {2, 1, 0, 150, 9.5f},
                          {4, 2, 0, 479, 10.5f}, {0, 2, 0, 479, 10.5f}, {1, 3, 0, 479, 12.0f}};
    for (const Case& c : cases) {
        a.SelectByType(c.type);
        EXPECT_EQ(a.GetViewportBottom(c.mode, c.look), c.bottom) << c.type << " " << c.mode;
        flight::ViewWindow w{};
        a.GetViewWindow(c.mode, w);
        EXPECT_FLOAT_EQ(w.top, c.h) << c.type << " " << c.mode;
        EXPECT_FLOAT_EQ(w.bottom, -c.h);
        EXPECT_FLOAT_EQ(w.left, -40.0f);
    }
}

TEST(Aircraft, PartsRunOnceLoopAndRunBackwards) {
    flighttest::FlightHarness h(0);
    Aircraft a;
    a.SelectByType(1);
    // The gear (entries 9 to 15) retracts forward to its last frame and stops there.
    a.AnimateGearUp();
    for (int i = 0; i < 3 * 30; ++i)
        a.AnimateParts();
    EXPECT_EQ(a.GetPart(9)->frame, 16);
    EXPECT_EQ(a.GetPart(9)->state, 0);
    EXPECT_EQ(a.GetSlotValue(9), 16u);
    // Lowering runs it backwards to frame 0.
    a.AnimateGearDown();
    for (int i = 0; i < 3 * 30; ++i)
        a.AnimateParts();
    EXPECT_EQ(a.GetPart(10)->frame, 0);
    EXPECT_EQ(a.GetPart(10)->state, 0);
    // The landing and taxi lights are not gear.
    EXPECT_EQ(a.GetPart(7)->state, 0);
    // A running propeller loops.
    a.SetPropellerRunning(0);
    for (int i = 0; i < 12; ++i)
        a.AnimateParts();
    EXPECT_EQ(a.GetPart(1)->frame, 0);
    EXPECT_EQ(a.GetPart(1)->state, 1);
    // The strobe animates while on and rests at frame 0 when off.
    a.ShowStrobeLights(1);
    EXPECT_EQ(a.GetPart(5)->state, 1);
    a.ShowStrobeLights(0);
    EXPECT_EQ(a.GetPart(5)->frame, 0);
    EXPECT_EQ(a.GetPart(5)->state, 0);
}

TEST(Aircraft, TaxiLightNeedsTheGearOnTheBaron) {
    flighttest::FlightHarness h(0);
    Aircraft a;
    a.SelectByType(2);
    theFlightModelState.fmGear = 0;
    a.ShowTaxiLight(1);
    EXPECT_EQ(a.GetPart(8)->frame, 0);
    theFlightModelState.fmGear = 1;
    a.ShowTaxiLight(1);
    EXPECT_EQ(a.GetPart(8)->frame, 1);
}

TEST(Aircraft, HobbsMetersAreKeptUnderTheFullName) {
    flighttest::FlightHarness h(0);
    // Other tests share the program's INI file: start from an empty meter.
    core::theIniFile.PutString("Hobbs Meter", "Cessna 172 Skyhawk", nullptr);
    Aircraft a;
    a.SelectByType(0);
    a.AddHobbsTime(0, 40);
    a.AddHobbsTime(1, 7);
    a.SaveHobbsMeter();
    EXPECT_STREQ(core::theIniFile.GetString("Hobbs Meter", "Cessna 172 Skyhawk", ""), "40,7");
    Aircraft b;
    b.SelectByType(5);  // the variant shares the Skyhawk's meter
    EXPECT_EQ(b.GetHobbs(0), 40u);
    EXPECT_EQ(b.GetHobbs(1), 7u);
    core::theIniFile.PutString("Hobbs Meter", "Cessna 172 Skyhawk", nullptr);
}

// Hand-edited meters: negative, huge and text values load without harm.
TEST(Aircraft, HobbsMetersReadBadValuesSafely) {
    flighttest::FlightHarness h(0);
    const struct {
        const char* text;
        std::int32_t first, second;
    } cases[] = {{"-360,5", -360, 5},
                 {"99999999999,-99999999999", INT32_MAX, INT32_MIN},
                 {"hours,7", 0, 0},
                 {"12", 12, 0},
                 {"", 0, 0}};
    for (const auto& c : cases) {
        core::theIniFile.PutString("Hobbs Meter", "Cessna 172 Skyhawk", c.text);
        Aircraft a;
        a.SelectByType(0);
        EXPECT_EQ(static_cast<std::int32_t>(a.GetHobbs(0)), c.first) << c.text;
        EXPECT_EQ(static_cast<std::int32_t>(a.GetHobbs(1)), c.second) << c.text;
    }
    core::theIniFile.PutString("Hobbs Meter", "Cessna 172 Skyhawk", nullptr);
}

TEST(Aircraft, BrakesToggleAndRestartTheBump) {
    flighttest::FlightHarness h(0);
    Aircraft a;
    a.SelectByType(0);
    theFlightModelState.fmOTG = 1;
    theFlightModelState.fmIAS = flight::AirspeedWordFromKnots(5);
    a.ToggleBrakes();
    EXPECT_EQ(static_cast<std::uint8_t>(theFlightModelState.fmRBrake), 255);
    EXPECT_EQ(static_cast<std::uint8_t>(theFlightModelState.fmLBrake), 255);
    float total = 0.0f;
    int nonZero = 0;
    for (int i = 0; i < 40; ++i) {
        const float b = a.GetGroundBump();
        total += b;
        if (b != 0.0f) ++nonZero;
    }
    EXPECT_EQ(nonZero, 32);
    a.ToggleBrakes();
    EXPECT_EQ(theFlightModelState.fmRBrake, 0);
}

TEST(Aircraft, EngineVibrationAlternatesAndStaysOffForTheJet) {
    flighttest::FlightHarness h(0);
    Aircraft a;
    a.SelectByType(0);
    theFlightModelState.fmOTG = 1;
    cockpit::theEngineStarted = 1;
    theFlightModelState.fmEngineSpeed[0] = 1000;
    const float first = a.GetEngineVibration();
    const float second = a.GetEngineVibration();
    EXPECT_GT(first, 0.0f);
    EXPECT_FLOAT_EQ(second, -first);
    a.SelectByType(4);
    theFlightModelState.fmOTG = 1;
    EXPECT_EQ(a.GetEngineVibration(), 0.0f);
}

TEST(Aircraft, PaletteNamesByViewAndLook) {
    flighttest::FlightHarness h(0);
    Aircraft a;
    struct Case {
        int type;
        int mode;
        int look;
        const char* name;
    };
    const Case cases[] = {{0, 0, 0, "s_pnl3.pal"},
                          {2, 1, 0, "ba_pnl3.pal"},
                          {3, 2, 0, "kin_f3.pal"},
                          {4, 3, 0, "cit_f3.pal"},
                          {1, 4, 0, ""},
                          {1, 2, 1, "bon_fl3.pal"},
                          {5, 0, 7, "172_fr3.pal"},
                          {2, 5, 8, "bar_f3.pal"},
                          {4, 0, 4, "cit_b3.pal"}};
    for (const Case& c : cases) {
        a.SelectByType(c.type);
        EXPECT_EQ(a.GetPaletteName(3, c.mode, c.look), c.name)
            << c.type << " " << c.mode << " " << c.look;
    }
    a.SelectByType(5);
    EXPECT_STREQ(a.GetAirborneFlightName(), "C172Air.Flt");
    a.SelectByType(3);
    EXPECT_STREQ(a.GetAirborneFlightName(), "KingAir.Flt");
    EXPECT_STREQ(flight::AirborneFlightName(2, flight::AirborneLeg::Final), "BarFinal.Flt");
    EXPECT_STREQ(flight::AirborneFlightName(9, flight::AirborneLeg::Pattern), "C172Pattern.Flt");
}

TEST(Aircraft, PositionConversions) {
    flighttest::FlightHarness h(0);
    theFlightModelState.fmPosX = 100584;
    theFlightModelState.fmPosZ = -100584;
    theFlightModelState.fmPosY = 100584 * 2;
    theFlightModelState.fmHead = 0x4000;
    EXPECT_NEAR(flight::GetAircraftHeightAboveTerrain(), 2000.0, 1e-6);
    EXPECT_NEAR(flight::GetAircraftAltitude(), 2000.0, 1e-6);
    EXPECT_NEAR(flight::GetAircraftHeadingRadians(), -M_PI / 2, 1e-6);
    double w[3];
    flight::GetAircraftWorldPosition(w);
    EXPECT_NEAR(w[0], 9438184.0, 1e-6);
    EXPECT_NEAR(w[1], 5241880.0, 1e-6);
}

}  // namespace
