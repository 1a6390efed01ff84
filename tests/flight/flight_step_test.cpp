// The integration core, the per-step update and the forces: the edge cases of each.
#include <gtest/gtest.h>

#include <cmath>

#include "flight/aircraft_parameters.h"
#include "flight/flight_harness.h"
#include "flight/flight_model.h"
#include "flight/flight_model_state.h"
#include "world/terrain_services.h"
#include "world/weather_services.h"

namespace {

using flight::theFlightModelState;
using flighttest::FlightHarness;

constexpr double kUnitsPerDegree = 65536.0 / 360.0;

std::uint16_t Degrees(double d) {
    return static_cast<std::uint16_t>(static_cast<std::int32_t>(std::lround(d * kUnitsPerDegree)));
}

TEST(FlightCore, ZeroMassLeavesTheSpeedsAlone) {
    FlightHarness h(0);
    h.PlaceInFlight(3000, 100);
    theFlightModelState.fmMass = 0;
    const std::int32_t hv = theFlightModelState.fmHVel;
    const std::int32_t vv = theFlightModelState.fmVVel;
    flight::ComputeAeroForces();
    flight::IntegrateMotion();
    EXPECT_EQ(theFlightModelState.fmHVel, hv);
    EXPECT_EQ(theFlightModelState.fmVVel, vv);
}

// A record that was never set up for an aircraft has a zero step time: the step must not
// divide by it, and nothing moves.
TEST(FlightCore, ZeroStepTimeMovesNothing) {
    FlightHarness h(0);
    h.PlaceInFlight(3000, 100);
    theFlightModelState.fmStepTime = 0;
    theFlightModelState.fmBank = Degrees(20);
    theFlightModelState.fmElv = 8000;
    theFlightModelState.fmElvCur = 8000;
    const std::int32_t hv = theFlightModelState.fmHVel;
    const std::int32_t vv = theFlightModelState.fmVVel;
    flight::ComputeAeroForces();
    flight::IntegrateMotion();
    EXPECT_EQ(theFlightModelState.fmHVel, hv);
    EXPECT_EQ(theFlightModelState.fmVVel, vv);
    EXPECT_EQ(theFlightModelState.fmTurnRate, 0);
}

TEST(FlightCore, BrakedAircraftNeverRollsBackwards) {
    FlightHarness h(0);
    h.PlaceOnRunway();
    h.SetScript({{0, flighttest::Control::Brakes, -1}, {0, flighttest::Control::Throttle, 0}});
    h.Run(200);
    EXPECT_EQ(theFlightModelState.fmHVel, 0);
    EXPECT_EQ(theFlightModelState.fmPosZ, 0);
    EXPECT_EQ(theFlightModelState.fmDeltaX, 0);
    EXPECT_EQ(theFlightModelState.fmDeltaZ, 0);
}

// Reverse thrust on the ground: friction, brakes and the air oppose the motion either way, so a
// braked aircraft stays put, a rolling one stops before it backs up, and backing up never
// outruns a walking pace or lifts the aircraft off.
TEST(FlightCore, ReverseThrustOnTheGroundIsHeldByTheWheels) {
    struct Case {
        const char* what;
        int type;
        bool brakes;
        double startKnots;
        double maxBackwardMetres;  // how far back the aircraft may be after 10 s
    } cases[] = {
        {"braked Skyhawk", 0, true, 0, 1.0},
        {"braked King Air", 3, true, 0, 1.0},
        {"Skyhawk rolling out", 0, false, 40, 21.0},
        {"free King Air", 3, false, 0, 21.0},
    };
    for (const Case& c : cases) {
        FlightHarness h(c.type);
        h.PlaceOnRunway();
        flight::FlightModelState& s = theFlightModelState;
        s.fmHVel = static_cast<std::int32_t>(c.startKnots * 0.514444 * 65536);
        s.fmRThrust = 1;
        h.SetScript({{0, flighttest::Control::Brakes, c.brakes ? -1 : 0},
                     {0, flighttest::Control::Throttle, 32767}});
        std::int64_t backwards = 0;
        std::int32_t slowest = 0;
        for (int i = 0; i < 182; ++i) {
            h.Run(1);
            slowest = std::min(slowest, s.fmHVel);
            EXPECT_EQ(s.fmOTG, 1) << c.what;
        }
        backwards = -static_cast<std::int64_t>(s.fmPosZ);
        EXPECT_GE(slowest, -(2 << 16)) << c.what;
        EXPECT_LT(static_cast<double>(backwards) / 256.0, c.maxBackwardMetres) << c.what;
        if (c.brakes) {
            EXPECT_EQ(s.fmHVel, 0) << c.what;
        }
    }
}

TEST(FlightCore, PullingThroughTheVerticalFlipsHeadingAndBank) {
    FlightHarness h(0);
    h.PlaceInFlight(5000, 100, Degrees(30));
    flight::FlightModelState& s = theFlightModelState;
    // Climbing straight up at 60 m/s with the stick back: the pitch passes the vertical.
    s.fmHVel = 1 << 16;
    s.fmVVel = 60 << 16;
    s.fmAllowWA = -0x3F80;
    s.fmElvCur = s.fmElv = 16000;
    const std::uint16_t head = s.fmHead;
    const std::uint16_t bank = s.fmBank;
    const std::int8_t invert = s.fmInvert;
    flight::IntegrateMotion();
    EXPECT_NE(s.fmInvert, invert);
    EXPECT_EQ(static_cast<std::uint16_t>(s.fmBank - bank), 0x8000);
    EXPECT_NEAR(static_cast<std::int16_t>(static_cast<std::uint16_t>(s.fmHead - head - 0x8000)), 0,
                200);
    EXPECT_LT(std::abs(static_cast<std::int16_t>(s.fmPitch)), 0x4000);
}

TEST(FlightCore, GroundStepSettlesOnTheTerrainAndLeavesIt) {
    FlightHarness h(0);
    const std::int32_t gear = flight::theAircraftParameters.apGearHeight;
    struct Case {
        std::int32_t terrain;
        std::int32_t posY;
        std::int32_t expectY;
        int otg;
    };
    const Case cases[] = {{0, -500, gear, 1},
                          {0, gear, gear, 1},
                          {2560, gear + 100, 2560 + gear, 1},
                          {2560, gear + 2561, gear + 2561, 0}};
    for (const Case& c : cases) {
        world::theTerrainHeight = c.terrain;
        theFlightModelState.fmPosY = c.posY;
        flight::SettleOnGround();
        EXPECT_EQ(theFlightModelState.fmPosY, c.expectY) << c.posY;
        EXPECT_EQ(theFlightModelState.fmOTG, c.otg) << c.posY;
    }
}

TEST(FlightUpdate, TurnFromBankUsesTheFoldedBank) {
    // 90 degrees turns as 90 (the tangent's limit), 120 as 60, and no airspeed means no turn.
    struct Case {
        double bank;
        double knots;
        double turnAsBank;
    };
    const Case cases[] = {
        {30, 100, 30}, {120, 100, 60}, {-45, 120, 45}, {90, 100, 90}, {30, 0, -1}};
    for (const Case& c : cases) {
        FlightHarness h(0);
        h.PlaceInFlight(5000, c.knots > 0 ? c.knots : 100);
        flight::FlightModelState& s = theFlightModelState;
        s.fmBank = Degrees(c.bank);
        if (c.knots == 0) {
            // Standing still in the air with the engine off and no mass to fall: nothing builds
            // speed this step (the slow step, which weighs the aircraft, is not due).
            s.fmEngines = 0;
            s.fmNetThrust = 0;
            s.fmHVel = 0;
            s.fmVVel = 0;
            s.fmAllowWA = 0;
            s.fmMass = 0;
            s.fmCoreCountdown = 5;
        }
        const std::uint16_t before = s.fmHead;
        flight::FlightStepState& st = flight::theFlightStep;
        // Only the bank's share of the step.
        s.fmTAVel = c.knots > 0 ? static_cast<std::int32_t>(c.knots * 0.514444 * 65536) : 0;
        const double v = s.fmTAVel * 3.0517578125e-05;
        flight::UpdateFlight();
        if (c.turnAsBank < 0) {
            EXPECT_EQ(st.turnIncrement, 0.0);
            continue;
        }
        const double expected =
            std::tan(c.turnAsBank * 0.017453292) * 1091.57 / v * 10.113333333333332;
        EXPECT_NEAR(std::fabs(st.turnIncrement), std::min(std::trunc(expected), 32767.0), 1.0)
            << c.bank;
        EXPECT_NE(s.fmHead, before);
    }
}

TEST(FlightUpdate, LevelTurnRateMatchesGravityOverSpeed) {
    for (int type = 0; type < 5; ++type) {
        FlightHarness h(type);
        h.PlaceInFlight(5000, 120 + 40 * type);
        flight::FlightModelState& s = theFlightModelState;
        s.fmBank = Degrees(-30);
        const double v = s.fmTAVel / 65536.0;
        flight::UpdateFlight();
        const double perSecond =
            flight::theFlightStep.turnIncrement / (1800.0 / 32768.0) * 360.0 / 65536.0;
        const double expected = 9.80665 * std::tan(30 * M_PI / 180) / v * 180.0 / M_PI;
        EXPECT_NEAR(perSecond / expected, 1.0, 0.05) << "type " << type;
    }
}

TEST(FlightUpdate, VerticalSpeedAverageUsesEighteenEntriesAcrossTheWrap) {
    FlightHarness h(0);
    flight::FlightStepState& st = flight::theFlightStep;
    for (int i = 0; i < 36; ++i)
        st.vsRing[i] = 1000 * i;
    st.vsIndex = 35;
    h.PlaceInFlight(5000, 100);
    theFlightModelState.fmVVel = 0;
    // The step stores the new value at index 0 and averages index 0 with 19 to 35.
    flight::UpdateFlight();
    double sum = theFlightModelState.fmVVel;
    for (int i = 19; i <= 35; ++i)
        sum += 1000.0 * i;
    EXPECT_EQ(st.vsIndex, 0);
    EXPECT_NEAR(st.averagedVerticalSpeed, sum / 18.0, 1e-6);
}

TEST(FlightUpdate, ParkedAircraftHasNoWorldVelocity) {
    FlightHarness h(2);
    h.PlaceOnRunway();
    flight::FlightModelState& s = theFlightModelState;
    s.fmDeltaX = 500;
    s.fmDeltaZ = -300;
    s.fmForceSide = 77;
    h.Run(1);
    EXPECT_EQ(s.fmDeltaX, 0);
    EXPECT_EQ(s.fmDeltaY, 0);
    EXPECT_EQ(s.fmDeltaZ, 0);
    EXPECT_EQ(s.fmForceSide, 0);
}

TEST(FlightUpdate, FrozenFramesHoldTheAircraft) {
    FlightHarness h(0);
    h.PlaceInFlight(5000, 100);
    flight::theFlightFreezeFrames = 10;
    const std::uint64_t before = h.StateHash();
    h.Run(10);
    EXPECT_EQ(h.StateHash(), before);
    flight::theFlightFreezeFrames = 0;
    h.Run(1);
    EXPECT_NE(h.StateHash(), before);
}

TEST(FlightUpdate, WindDriftsOnlyInTheAir) {
    FlightHarness h(0);
    h.PlaceInFlight(5000, 100, 0);
    h.SetWind(2560, 0);  // 10 m/s from the west
    const std::int32_t x = theFlightModelState.fmPosX;
    h.RunSeconds(10);
    EXPECT_NEAR((theFlightModelState.fmPosX - x) / 256.0, 100.0, 15.0);
}

TEST(FlightForces, LiftIsCappedAtThreeAndAHalfWeights) {
    FlightHarness h(0);
    h.PlaceInFlight(0, 200);
    flight::FlightModelState& s = theFlightModelState;
    for (std::int16_t alpha : {static_cast<std::int16_t>(2500), static_cast<std::int16_t>(-2500)}) {
        s.fmElvAlpha = alpha;
        s.fmPitch = 0;
        flight::ComputeAeroForces();
        EXPECT_EQ(std::abs(s.fmLift), static_cast<std::int32_t>(3.5 * s.fmWeight)) << alpha;
    }
}

TEST(FlightForces, BankLoadFollowsHalfDegreeRows) {
    FlightHarness h(0);
    h.PlaceInFlight(3000, 100);
    flight::FlightModelState& s = theFlightModelState;
    struct Case {
        double bank;
        double factor;
    };
    const Case cases[] = {
        {0, 1.0},   {45, 1.42}, {60, 2.0},  {88, 50.0},
        {90, 50.0}, {-60, 2.0}, {120, 1.92}};  // 120 folds to 32767 - |a|, a hair under 60
    for (const Case& c : cases) {
        s.fmBank = Degrees(c.bank);
        flight::ComputeAeroForces();
        EXPECT_EQ(s.fmGravityLoad, static_cast<std::int32_t>(c.factor * s.fmWeight)) << c.bank;
    }
}

TEST(FlightForces, InducedDragFadesBetweenTheLowAndHighSpeeds) {
    FlightHarness h(0);
    flight::FlightModelState& s = theFlightModelState;
    h.PlaceInFlight(3000, 60);
    auto dragAt = [&](double sUnits) {
        s.fmTAVel = static_cast<std::int32_t>(sUnits * 32768.0);
        const std::uint64_t t = static_cast<std::uint32_t>(s.fmTAVel);
        s.fmTASq = static_cast<std::int32_t>((t * t) >> 32);
        s.fmRudEff = 0;
        flight::ComputeAeroForces();
        return s.fmDrag;
    };
    // Above the high speed (123 for the 172) only the parasite drag is left: the drag then
    // grows smoothly, with no step from the induced part.
    const std::int32_t above = dragAt(123.0 + 1.0 / 32768.0);
    const std::int32_t at = dragAt(123.0);
    EXPECT_LE(std::abs(above - at), 2);
    // At exactly the low speed the full induced drag applies; just above, the fade's value.
    const std::int32_t low = dragAt(51.0);
    const std::int32_t justAbove = dragAt(51.01);
    EXPECT_GT(low, 0);
    EXPECT_GT(justAbove, 0);
}

TEST(FlightForces, AtmosphereHoldsItsTemperatureAboveThirtyFiveThousandFeet) {
    double mach1 = 0;
    double q1 = 0;
    double mach2 = 0;
    double q2 = 0;
    flight::StandardAtmosphere(800, 35000, mach1, q1);
    flight::StandardAtmosphere(800, 40000, mach2, q2);
    EXPECT_DOUBLE_EQ(mach1, mach2);  // 390 degrees Rankine both
    EXPECT_LT(q2, q1);               // density keeps falling
    EXPECT_NEAR(mach1, 800 / std::sqrt(2402.82 * 390.0), 1e-12);
    // Far above the model's ceiling the atmosphere stays real.
    EXPECT_GT(flight::AirDensityAt(200000), 0.0);
    EXPECT_TRUE(std::isfinite(flight::AirDensityAt(200000)));
}

}  // namespace

namespace {

int Gusty() {
    return 1;
}
int Windy() {
    return 12;
}
double LayersEvery3000Feet(int index) {
    return index * 3000.0;
}

TEST(FlightTurbulence, LevelFollowsTheWeatherAndTheAutopilot) {
    struct Case {
        double feet;
        bool gusty;
        bool autopilot;
        int level;
        int intensity;
        int direct;
    };
    // Layers start every 3000 ft: 4000 ft lies in layer 1, 7000 ft in layer 2, 10000 ft in 3.
    const Case cases[] = {{1000, false, true, 0, 0, 0},  {1000, true, true, 1, 1, 0},
                          {4000, false, true, 1, 1, 0},  {7000, false, true, 2, 1, 0},
                          {10000, false, true, 1, 1, 0}, {13000, false, true, 0, 0, 0},
                          {13000, false, false, 1, 1, 1}};
    for (const Case& c : cases) {
        FlightHarness h(0);
        h.PlaceInFlight(c.feet, 110);
        world::theWeatherServices.windLayerBottomFeet = &LayersEvery3000Feet;
        if (c.gusty) {
            world::theWeatherServices.surfaceWindCharacter = &Gusty;
            world::theWeatherServices.surfaceWindSpeed = &Windy;
        }
        theFlightModelState.fmAutopilotModes = c.autopilot ? 1 : 0;
        flight::SelectTurbulenceLevel();
        EXPECT_EQ(flight::theFlightStep.turbulenceLevel, c.level) << c.feet;
        EXPECT_EQ(flight::theFlightStep.turbulenceIntensity, c.intensity) << c.feet;
        EXPECT_EQ(flight::theFlightStep.directTurbulence, c.direct) << c.feet;
    }
}

// Over a high field in calm air: near its ground the aircraft flies in the surface wind's air,
// not in the turbulent layer aloft at that altitude above sea level.
TEST(FlightTurbulence, CalmNearTheGroundOfAHighField) {
    FlightHarness h(0);
    h.PlaceInFlight(6300, 110);
    world::theWeatherServices.windLayerBottomFeet = &LayersEvery3000Feet;
    theFlightModelState.fmAutopilotModes = 0;
    const std::int32_t altitude = theFlightModelState.fmPosY + flight::theTerrainDatum;
    // 400 ft above the ground of a field 5,900 ft up, at the same altitude.
    theFlightModelState.fmPosY = static_cast<std::int32_t>(400 * 0.3048 * 256);
    flight::theTerrainDatum = altitude - theFlightModelState.fmPosY;
    flight::SelectTurbulenceLevel();
    EXPECT_EQ(flight::theFlightStep.directTurbulence, 0);
    EXPECT_EQ(flight::theFlightStep.turbulenceLevel, 0);
    EXPECT_EQ(flight::theFlightStep.turbulenceIntensity, 0);
}

TEST(FlightTurbulence, EventsShakeTheStickOrMoveTheAircraftRepeatably) {
    auto fly = [](bool autopilot) {
        FlightHarness h(0, 42);
        h.PlaceInFlight(7000, 110);
        world::theWeatherServices.windLayerBottomFeet = &LayersEvery3000Feet;
        theFlightModelState.fmAutopilotModes = autopilot ? 1 : 0;
        float bump = 0.0f;
        for (int i = 0; i < 400; ++i) {
            h.Run(1);
            bump += std::fabs(flight::theFlightStep.stickBumpX) +
                    std::fabs(flight::theFlightStep.stickBumpY);
        }
        return std::make_pair(bump, h.StateHash());
    };
    const auto shaken = fly(false);
    EXPECT_GT(shaken.first, 0.0f);
    EXPECT_EQ(fly(false), shaken);  // the seeded generator makes it repeatable
    EXPECT_NE(fly(true).second, shaken.second);
}

TEST(FlightCore, SlowStepMovesFlapsAndBankAndWeighs) {
    FlightHarness h(0);
    h.PlaceInFlight(3000, 80);
    flight::FlightModelState& s = theFlightModelState;
    s.fmFlaps = 3;
    s.fmBank = 20;
    s.fmFlapAlpha = s.fmFlapLift = s.fmFlapDrag = 0;
    flight::StepFlightModelCore();
    EXPECT_EQ(s.fmFlapAlpha, 32);  // each moves by its rate towards the notch's value
    EXPECT_EQ(s.fmFlapLift, 4);
    EXPECT_EQ(s.fmFlapDrag, 5);
    EXPECT_EQ(s.fmBank, 12);
    for (int i = 0; i < 40; ++i)
        flight::StepFlightModelCore();
    EXPECT_EQ(s.fmFlapAlpha, 768);
    EXPECT_EQ(s.fmFlapLift, 30);
    EXPECT_EQ(s.fmFlapDrag, 36);
    EXPECT_EQ(s.fmBank, 0);  // decays to level without crossing
    EXPECT_EQ(s.fmWeight, 643 + s.fmPLoad + (s.fmFuel1 + s.fmFuel2 + s.fmFuel3) / 256);
    EXPECT_EQ(s.fmMass, s.fmWeight * 3344 / 32768);
    // No empty weight: the weight stays as it was.
    flight::theAircraftParameters.apEmptyWeight = 0;
    const std::int32_t weight = s.fmWeight;
    s.fmPLoad += 500;
    flight::StepFlightModelCore();
    EXPECT_EQ(s.fmWeight, weight);
}

TEST(FlightForces, OutsideAndTotalTemperature) {
    FlightHarness h(4);
    h.PlaceInFlight(30000, 400);
    flight::UpdateAtmosphere();
    const flight::FlightModelState& s = theFlightModelState;
    const double feet = flighttest::AltitudeFeet();
    EXPECT_EQ(s.fmOAT, 3840 - static_cast<int>(0.50688 * feet + 0.5));
    EXPECT_GT(s.fmMach100, 60);
    EXPECT_GT(s.fmTAT, s.fmOAT);  // ram rise at speed
    h.PlaceInFlight(0, 0);
    theFlightModelState.fmTAVel = 0;
    theFlightModelState.fmTASq = 0;
    flight::UpdateAtmosphere();
    EXPECT_EQ(theFlightModelState.fmTAT, theFlightModelState.fmOAT);
}

}  // namespace
