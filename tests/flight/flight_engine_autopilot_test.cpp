// Engines (power, fuel, the three speed models, mixture) and the autopilot.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "cockpit/cockpit_services.h"
#include "flight/aircraft_parameters.h"
#include "flight/flight_harness.h"
#include "flight/flight_model.h"
#include "flight/flight_model_state.h"
#include "flight/flight_probe.h"
#include "flight/published_performance.h"
#include "nav/nav_services.h"

namespace {

using flight::theFlightModelState;
using flighttest::FlightHarness;

// Runs the engine step at the altitude with the throttle, engines running.
void Engines(int type, double feet, std::int16_t throttle) {
    flight::ProbeSelectAircraft(type);
    flight::ProbePlaceInFlight(feet, 100);
    theFlightModelState.fmThrot = throttle;
    theFlightModelState.fmThrotRight = throttle;
    flight::StepEngines();
}

TEST(FlightEngines, PowerWordFollowsThrottleIdleAndLimit) {
    // Every engine adds its idle power to the throttle's share, at sea level as high up; an
    // open throttle never gives less than a closed one.
    Engines(0, 0, 16384);
    EXPECT_EQ(theFlightModelState.fmEnginePower[0], ((16384 * 580) >> 16) + 75);
    Engines(0, 0, 1057);
    EXPECT_EQ(theFlightModelState.fmEnginePower[0], ((1057 * 580) >> 16) + 75);
    Engines(0, 0, 0);
    EXPECT_EQ(theFlightModelState.fmEnginePower[0], 75);
    Engines(3, 0, 16384);
    EXPECT_EQ(theFlightModelState.fmEnginePower[0], ((16384 * 390) >> 16) + 46);
    Engines(0, 5000, 16384);
    EXPECT_EQ(theFlightModelState.fmEnginePower[0], ((16384 * 580) >> 16) + 75);
    Engines(0, 40000, 32767);
    EXPECT_EQ(theFlightModelState.fmEnginePower[0], flight::theEngines.powerLimit);
    // A stopped engine makes nothing.
    flight::ProbeSelectAircraft(0);
    theFlightModelState.fmEngines = 0;
    theFlightModelState.fmThrot = 30000;
    flight::StepEngines();
    EXPECT_EQ(theFlightModelState.fmEnginePower[0], 0);
    EXPECT_EQ(theFlightModelState.fmEngineSpeed[0], 0);
}

// Climbing through the first band's floor (304 m above sea level, just under 1,000 ft) the
// pistons' full-throttle power and thrust change only as much as the air does between two
// heights 20 ft apart: no step of the idle power or of the band's loss.
TEST(FlightEngines, FullThrottleThrustHasNoStepWhereTheBandsBegin) {
    for (int type : {0, 1, 2}) {
        double thrust[2] = {};
        int power[2] = {};
        const double feet[2] = {985.0, 1005.0};
        for (int i = 0; i < 2; ++i) {
            Engines(type, feet[i], 32767);
            flight::EngineThrust();
            flight::StepEngines();  // the mixture's share of the thrust just computed
            power[i] = theFlightModelState.fmEnginePower[0];
            thrust[i] = theFlightModelState.fmNetThrust;
        }
        EXPECT_NEAR(power[1], power[0], 0.01 * power[0]) << "type " << type;
        EXPECT_NEAR(thrust[1], thrust[0], 0.01 * thrust[0]) << "type " << type;
    }
}

TEST(FlightEngines, FuelComesFromTheSelectedTanks) {
    struct Case {
        int type;
        int single;
        int left;
        int right;
        double burn1;  // share of 2b taken from tank 1
        double burn2;
    };
    const Case cases[] = {{0, 1, 0, 0, 1.0, 0.0}, {0, 2, 0, 0, 0.5, 0.5}, {0, 3, 0, 0, 0.0, 1.0},
                          {0, 0, 0, 0, 0.0, 0.0}, {2, 0, 1, 1, 1.0, 1.0}, {2, 0, 2, 1, 0.0, 2.0},
                          {2, 0, 1, 2, 2.0, 0.0}};
    for (const Case& c : cases) {
        Engines(c.type, 5000, 20000);
        cockpit::theFuelTankSelector = static_cast<std::uint8_t>(c.single);
        cockpit::theLeftEngineTankSelector = static_cast<std::uint8_t>(c.left);
        cockpit::theRightEngineTankSelector = static_cast<std::uint8_t>(c.right);
        const double t1 = flight::theEngines.tank[0];
        const double t2 = flight::theEngines.tank[1];
        flight::StepEngines();
        const double p = theFlightModelState.fmEnginePower[0];
        const double b = p * 1536.0 / 65536.0 * 0.1;
        // Each engine burns b from the tank of each selector on every call: a single engine's
        // 2b per step, and a twin's 2b per engine.
        EXPECT_NEAR(t1 - flight::theEngines.tank[0], c.burn1 * 2 * b, 1e-6)
            << c.type << " " << c.single << c.left << c.right;
        EXPECT_NEAR(t2 - flight::theEngines.tank[1], c.burn2 * 2 * b, 1e-6)
            << c.type << " " << c.single << c.left << c.right;
        EXPECT_EQ(theFlightModelState.fmFuel1,
                  static_cast<std::int32_t>(flight::theEngines.tank[0]));
    }
}

TEST(FlightEngines, FixedPitchSpeedFollowsThrottleAndAirspeed) {
    Engines(0, 3000, 8000);
    const int low = theFlightModelState.fmEngineSpeed[0];
    Engines(0, 3000, 30000);
    const int high = theFlightModelState.fmEngineSpeed[0];
    EXPECT_LT(low, high);
    theFlightModelState.fmTAVel *= 2;
    flight::StepEngines();
    EXPECT_GT(theFlightModelState.fmEngineSpeed[0], high);  // windmilling
}

TEST(FlightEngines, MagnetoCheckDropsTheSkyhawksSpeed) {
    Engines(0, 3000, 20000);
    const int normal = theFlightModelState.fmEngineSpeed[0];
    cockpit::theEngineSpeedDrop[0] = 75;
    cockpit::theEngineSpeedDrop[1] = 50;
    flight::StepEngines();
    EXPECT_EQ(theFlightModelState.fmEngineSpeed[0], normal - 125);
}

TEST(FlightEngines, ConstantSpeedGovernorSteps) {
    // Full throttle takes the propeller lever fully forward; the Bonanza, whose handbook speeds the
    // record does not hold, steps by its second output below.
    struct Case {
        int type;
        std::int16_t throttle;
        int speed;
    };
    const Case cases[] = {
        {1, 0x7FF8, 2700}, {1, 0x7FFF, 2700}, {1, 20000, 2500}, {2, 0x7FFF, 2700}};
    for (const Case& c : cases) {
        Engines(c.type, 3000, c.throttle);
        EXPECT_EQ(theFlightModelState.fmEngineSpeed[0], c.speed) << c.type << " " << c.throttle;
    }
    // At a closed throttle and little airflow the blades sit on their fine stop, below any set
    // speed; the airflow of a cruise speed windmills them up to the governor's.
    for (int type : {1, 2}) {
        flight::ProbeSelectAircraft(type);
        flight::ProbePlaceInFlight(3000, 30);
        theFlightModelState.fmThrot = theFlightModelState.fmThrotRight = 0;
        flight::StepEngines();
        EXPECT_LT(theFlightModelState.fmEngineSpeed[0], 2000) << type;
        flight::ProbePlaceInFlight(3000, 160);
        theFlightModelState.fmThrot = theFlightModelState.fmThrotRight = 0;
        flight::StepEngines();
        EXPECT_GE(theFlightModelState.fmEngineSpeed[0], 2100) << type;
    }
}

// The Baron at every power its handbook sets a propeller speed for, flown level at the cruise
// table's fuel flow from 2,000 to 16,000 ft: the governor holds the handbook's speed within 100
// rpm at every height (the needle's reading is checked in the whole program).
TEST(FlightEngines, BaronGovernsItsHandbooksRpmAtEveryHeight) {
    const flight::PublishedPerformance& pub = flight::PublishedPerformanceForType(2);
    ASSERT_FALSE(pub.cruiseRpm.empty());
    for (const flight::CruiseRpm& book : pub.cruiseRpm)
        for (const flight::CruisePoint& p : pub.cruise) {
            if (p.powerPercent != book.powerPercent) continue;
            flight::ProbeSelectAircraft(2);
            flight::ProbePlaceInFlight(p.altitudeFeet, p.trueAirspeedKnots);
            theFlightModelState.fmThrot = theFlightModelState.fmThrotRight =
                flight::ProbeThrottleForFuelFlow(
                    flight::ProbeTableFuelToKgPerHourPerEngine(2, p.fuelFlow));
            flight::StepEngines();
            EXPECT_NEAR(theFlightModelState.fmEngineSpeed[0], book.rpm, 100)
                << p.altitudeFeet << " ft, " << p.powerPercent << " %";
            EXPECT_EQ(theFlightModelState.fmEngineSpeed[1], theFlightModelState.fmEngineSpeed[0]);
        }
}

TEST(FlightEngines, KingAirConditionLeversHoldIdle) {
    // Low down the levers hold the full idle; higher up the idle shrinks with the band's power
    // limit as the full power does, so it is never a reserve of power at altitude.
    struct Case {
        double feet;
        std::int16_t lever;
        int power;
        int speed;
    };
    const Case cases[] = {{0, 15, 88, 560}, {0, 31, 122, 700}, {900, 31, 122, 700}};
    for (const Case& c : cases) {
        flight::ProbeSelectAircraft(3);
        flight::ProbePlaceInFlight(c.feet, 200);
        cockpit::theLeftMixtureLever = c.lever;
        cockpit::theRightConditionLever = c.lever;
        theFlightModelState.fmThrot = theFlightModelState.fmThrotRight = 0;
        flight::StepEngines();
        EXPECT_EQ(theFlightModelState.fmEnginePower[0], c.power) << c.feet;
        EXPECT_EQ(theFlightModelState.fmEnginePower[1], c.power) << c.feet;
        EXPECT_EQ(theFlightModelState.fmEngineSpeed[0], c.speed) << c.feet;
    }
    const flight::AircraftParameters& ap = flight::AircraftParametersForType(3);
    const double full = ap.apMaxPower / 2 + ap.apIdlePower;
    for (double feet : {25000.0, 35000.0, 60000.0}) {
        flight::ProbeSelectAircraft(3);
        flight::ProbePlaceInFlight(feet, 200);
        cockpit::theLeftMixtureLever = cockpit::theRightConditionLever = 31;
        theFlightModelState.fmThrot = theFlightModelState.fmThrotRight = 0;
        flight::StepEngines();
        const double limit = flight::theEngines.powerLimit;
        ASSERT_LT(limit, full) << feet;
        EXPECT_NEAR(theFlightModelState.fmEnginePower[0], 122 * limit / full, 1.0) << feet;
        EXPECT_LE(theFlightModelState.fmEnginePower[0], limit) << feet;
    }
}

// The thrust the equations of motion get (after the mixture correction) at a throttle word.
double NetThrust(int type, double feet, double knots, std::int16_t throttle) {
    flight::ProbeSelectAircraft(type);
    flight::ProbePlaceInFlight(feet, knots);
    theFlightModelState.fmThrot = theFlightModelState.fmThrotRight = throttle;
    flight::StepEngines();
    flight::EngineThrust();
    flight::StepEngines();
    return theFlightModelState.fmNetThrust;
}

// More throttle is never less thrust, for every type at every height and speed it meets: each
// lever step (1057) from closed to full gives at least the thrust of the step before.
TEST(FlightEngines, ThrustNeverFallsAsTheThrottleRises) {
    for (int type = 0; type < 5; ++type) {
        for (double feet = 0; feet <= 40000; feet += 2000) {
            for (double knots : {50.0, 80.0, 110.0, 140.0, 170.0, 200.0, 250.0, 300.0, 350.0}) {
                double last = -1;
                for (int lever = 0; lever <= 31; ++lever) {
                    const double t =
                        NetThrust(type, feet, knots,
                                  static_cast<std::int16_t>(std::min(lever * 1057, 32767)));
                    ASSERT_GE(t, last - 1.0) << "type " << type << " at " << feet << " ft, "
                                             << knots << " kt, lever " << lever;
                    last = t;
                }
            }
        }
    }
}

// The Skyhawk's tachometer at every power of the cruise table, flown level at its fuel flow up to
// 8,000 ft: within 100 rpm of what its handbook's cruise table turns for that power (about 2,200
// rpm at 55 % and 2,400 at 75 %, a fixed-pitch propeller's power rising as the cube of its speed
// between them), so that a pilot setting the book's rpm flies the book's speed.
TEST(FlightEngines, SkyhawkTurnsItsHandbooksRpmAtEveryCruisePower) {
    const flight::PublishedPerformance& pub = flight::PublishedPerformanceForType(0);
    for (const flight::CruisePoint& p : pub.cruise) {
        if (p.altitudeFeet > 8000) continue;
        flight::ProbeLevelFlight(0, p.altitudeFeet,
                                 flight::ProbeTableFuelToKgPerHourPerEngine(0, p.fuelFlow),
                                 p.trueAirspeedKnots, pub.testWeightKg);
        EXPECT_NEAR(theFlightModelState.fmAdjustedTach, 2400 * std::cbrt(p.powerPercent / 75.0),
                    100)
            << p.altitudeFeet << " ft, " << p.powerPercent << " %";
    }
}

TEST(FlightEngines, EfficiencyByPowerReadsTheIndicatedSpeedOverThePowersReferenceSpeed) {
    // The Bonanza and the Baron read their efficiency by power: a faster indicated speed or a
    // lower reference speed (a richer, fuller power setting) both give less thrust per word.
    for (int type : {1, 2}) {
        ASSERT_EQ(flight::AircraftParametersForType(type).apEfficiencyMode,
                  flight::EfficiencyMode::ByPower);
        std::int64_t last = INT64_MAX;
        for (double knots : {110.0, 140.0, 170.0, 200.0}) {
            flight::ProbeSelectAircraft(type);
            flight::ProbePlaceInFlight(0, knots);
            theFlightModelState.fmThrot = theFlightModelState.fmThrotRight = 20000;
            flight::StepEngines();
            flight::EngineThrust();
            EXPECT_GT(theFlightModelState.fmIAS, 0) << type;
            EXPECT_LT(theFlightModelState.fmThrust, last) << type << " at " << knots;
            last = theFlightModelState.fmThrust;
        }
        // A closed throttle in flight gives little thrust beside a full one.
        auto thrustAt = [type](std::int16_t throttle) {
            flight::ProbeSelectAircraft(type);
            flight::ProbePlaceInFlight(5000, 110);
            theFlightModelState.fmThrot = theFlightModelState.fmThrotRight = throttle;
            flight::StepEngines();
            flight::EngineThrust();
            return static_cast<double>(theFlightModelState.fmThrust);
        };
        EXPECT_LT(thrustAt(0), 0.2 * thrustAt(32767)) << type;
        // At zero indicated speed the table's first (static) entry applies whatever the power.
        flight::ProbeSelectAircraft(type);
        flight::ProbePlaceInFlight(0, 0);
        theFlightModelState.fmIAS = 0;
        theFlightModelState.fmThrot = theFlightModelState.fmThrotRight = 32767;
        flight::StepEngines();
        flight::EngineThrust();
        const flight::AircraftParameters& ap = flight::theAircraftParameters;
        const std::int64_t p = theFlightModelState.fmEnginePower[0];
        const std::int64_t raw = p * 2 + ((p * ap.apThrustFactor) >> 16);
        const std::int64_t perEngine = (((raw * 32767) >> 15) * ap.apEfficiency[0]) >> 16;
        EXPECT_NEAR(static_cast<double>(theFlightModelState.fmThrust),
                    static_cast<double>(perEngine * ap.apEngineCount), 2.0 * ap.apEngineCount)
            << type;
    }
}

TEST(FlightEngines, TurbineSpeedRisesWithThrottleAndReportsItsPowerShare) {
    Engines(4, 10000, 3000);
    const int idle = theFlightModelState.fmEngineSpeed[0];
    Engines(4, 10000, 32767);
    EXPECT_GT(theFlightModelState.fmEngineSpeed[0], idle);
    const double share = theFlightModelState.fmPowerFraction[0] / 65536.0;
    EXPECT_NEAR(share,
                theFlightModelState.fmEnginePower[0] /
                    static_cast<double>(theFlightModelState.fmEngineConstant),
                0.001);
}

TEST(FlightEngines, ZeroReferenceSpeedLeavesTheEfficiencyAtOne) {
    // Type 0 reads the efficiency by true airspeed, type 1 by power: either reference speed at 0
    // leaves the thrust uncorrected rather than dividing by it.
    for (int type : {0, 1}) {
        Engines(type, 0, 20000);
        flight::theAircraftParameters.apThrottleCurveOn = 0;  // the Skyhawk's: not this test's
        flight::theAircraftParameters.apFixedReferenceSpeed = 0;
        for (std::int16_t& v : flight::theAircraftParameters.apReferenceSpeed)
            v = 0;
        flight::EngineThrust();
        const std::int64_t p = theFlightModelState.fmEnginePower[0];
        const std::int64_t base =
            ((p * 2 + ((p * flight::theAircraftParameters.apThrustFactor) >> 16)) * 32767) >> 15;
        const double lapse = type == 1 ? flight::theAircraftParameters.apLapse[0] / 65536.0 : 1.0;
        EXPECT_NEAR(theFlightModelState.fmThrust, base * lapse, 1.0) << type;
    }
}

TEST(FlightEngines, TwinOnOneEngineGetsItsBoostOncePerThrustUpdate) {
    FlightHarness h(2);
    h.PlaceInFlight(5000, 150);
    flight::FlightModelState& s = theFlightModelState;
    s.fmThrot = s.fmThrotRight = 20000;
    s.fmEngines = 1;
    // Just after a slow step the new thrust carries the boost once, and keeps it unchanged
    // until the next slow step (no compounding from step to step).
    while (s.fmCoreCountdown != 12)
        h.Run(1);
    const std::int32_t boosted = s.fmThrust;
    h.Run(10);
    EXPECT_EQ(s.fmThrust, boosted);
    flight::EngineThrust();
    EXPECT_NEAR(boosted / (s.fmThrust * 1.055), 1.0, 0.01);  // the speed moved a little since
}

// A fresh flight model must not inherit the last flight's "boost given" mark: its first step
// on one engine gives the boost.
TEST(FlightEngines, ResetModelGivesTheOneEngineBoostAgain) {
    flight::FlightModelState& s = theFlightModelState;
    for (int flight = 0; flight < 2; ++flight) {
        FlightHarness h(2);
        h.PlaceInFlight(5000, 150);
        s.fmEngines = 1;
        const std::int32_t thrust = s.fmThrust;
        ASSERT_GT(s.fmCoreCountdown, 1);
        flight::FlightStep();
        EXPECT_EQ(s.fmThrust, static_cast<std::int32_t>(thrust * 1.055)) << flight;
    }
}

TEST(FlightEngines, LeaningCostsThrustAndSpeed) {
    Engines(0, 3000, 20000);
    flight::EngineThrust();
    flight::StepEngines();
    const double thrust = theFlightModelState.fmThrust;
    const std::int32_t rich = theFlightModelState.fmNetThrust;
    cockpit::theLeftMixtureLever = 10;
    flight::StepEngines();
    const int n = static_cast<int>(flight::theEngines.powerRatio * 31.0);
    ASSERT_GT(n, 10);
    const double q = 10.0 / n;
    EXPECT_NEAR(theFlightModelState.fmNetThrust, thrust - (1 - q) * thrust / 6.0, 1.0);
    EXPECT_LT(theFlightModelState.fmNetThrust, thrust);
    EXPECT_LE(rich, thrust);  // full rich above the ideal costs its own share
    EXPECT_LT(theFlightModelState.fmAdjustedTach, theFlightModelState.fmEngineSpeed[0]);
}

// The heading hold banks 2 degrees a degree of heading error, at most 25 degrees, with the
// ailerons 400 a degree of bank error (at most 1,024), and the rudder helps beyond 10 degrees of
// bank: a small error still turns the aircraft, so it settles on the bug.
TEST(FlightAutopilot, BanksInProportionToTheHeadingError) {
    struct Case {
        double errorDegrees;
        int aileron;  // from wings level; positive rolls right
        int rudder;
    };
    const Case cases[] = {{0, 0, 0},    {0.5, 400, 0},    {1, 800, 0},      {-1, -800, 0},
                          {5, 1024, 0}, {7.5, 1024, 500}, {30, 1024, 1500}, {-30, -1024, -1500}};
    for (const Case& c : cases) {
        FlightHarness h(0);
        h.PlaceInFlight(5000, 100, 0);
        flight::FlightModelState& s = theFlightModelState;
        s.fmAutopilotModes = 0x1 | 0x8;
        s.fmApHeadingSel =
            static_cast<std::uint16_t>(std::lround(c.errorDegrees * 65536.0 / 360.0));
        s.fmHead = static_cast<std::uint16_t>(flight::theMagneticVariation);
        s.fmBank = 0;
        flight::RunAutopilot();
        EXPECT_NEAR(s.fmAil, c.aileron, 15) << c.errorDegrees;  // and what one step learned
        EXPECT_NEAR(s.fmRud, c.rudder, 2) << c.errorDegrees;
    }
}

TEST(FlightAutopilot, OnTheGroundItLeavesTheControlsAlone) {
    FlightHarness h(0);
    h.PlaceOnRunway();
    flight::FlightModelState& s = theFlightModelState;
    s.fmAutopilotModes = 0x1 | 0x8;
    s.fmApHeadingSel = 0x3000;
    s.fmAil = 123;
    s.fmElv = 456;
    flight::RunAutopilot();
    EXPECT_EQ(s.fmAil, 123);
    EXPECT_EQ(s.fmElv, 456);
}

TEST(FlightAutopilot, PitchHoldSteps) {
    struct Case {
        int error;
        int change;
    };
    const Case cases[] = {{8, 8}, {20, 80}, {40, 256}, {-8, -8}, {-40, -256}, {1, 1}, {10, 20}};
    for (const Case& c : cases) {
        FlightHarness h(0);
        h.PlaceInFlight(5000, 100);
        flight::FlightModelState& s = theFlightModelState;
        s.fmAutopilotModes = 0x1;
        s.fmBank = 0;
        s.fmApPitchTarget = 0;
        s.fmPitch = static_cast<std::uint16_t>(c.error);
        const std::int16_t before = s.fmElv;
        flight::RunAutopilot();
        EXPECT_EQ(s.fmElv - before, c.change) << c.error;
        EXPECT_EQ(s.fmApElvTrim, c.change);
    }
}

TEST(FlightAutopilot, HoldsHeadingAndAltitudeInFlight) {
    for (int type = 0; type < 5; ++type) {
        FlightHarness h(type);
        const double knots =
            flight::PublishedPerformanceForType(type).cruise.back().trueAirspeedKnots;
        h.PlaceInFlight(8000, knots * 0.95, 0x1000);
        flight::FlightModelState& s = theFlightModelState;
        s.fmThrot = s.fmThrotRight = 26000;
        flight::ProbeEngageAltitudeHold();
        s.fmApHeadingSel = 0x3000;  // a 45-degree turn to the right
        h.RunSeconds(180);
        // On the bug, not a degree short of it.
        EXPECT_NEAR(static_cast<std::int16_t>(static_cast<std::uint16_t>(s.fmHead - 0x3000)), 0,
                    0xB6 / 4)
            << type;
        EXPECT_NEAR(flighttest::AltitudeFeet(), 8000, 300) << type;
        EXPECT_EQ(flight::theCrashed, 0u);
    }
}

TEST(FlightAutopilot, AltitudeHoldSettlesOnABadlyTrimmedAircraft) {
    // Engaged with the elevator far from the trim either way, the hold winds the elevator in
    // (at the pitch hold's limited rate), swings about the height it was engaged at and settles
    // there; the height from the aircraft's place. The Bonanza's swing is the longest: from
    // 1,500 to 2,500 off it takes from one to nearly three minutes to die down.
    for (int type = 0; type < 5; ++type) {
        for (const int mistrim : {-2000, 2000}) {
            FlightHarness h(type);
            const double knots =
                flight::PublishedPerformanceForType(type).cruise.back().trueAirspeedKnots;
            h.PlaceInFlight(5000, knots * 0.95);
            flight::FlightModelState& s = theFlightModelState;
            s.fmThrot = s.fmThrotRight = 26000;
            s.fmElv = s.fmElvCur = static_cast<std::int16_t>(s.fmElv + mistrim);
            const double engaged = flighttest::AltitudeFeet();
            flight::ProbeEngageAltitudeHold();
            h.RunSeconds(180);
            double worst = 0;
            for (int second = 0; second < 30; ++second) {
                h.RunSeconds(1);
                worst = std::max(worst, std::fabs(flighttest::AltitudeFeet() - engaged));
            }
            EXPECT_LT(worst, 50.0) << "type " << type << ", elevator " << mistrim << " off";
        }
    }
}

// The glide slope is captured from a live needle near the path with the localizer held: a needle
// at its stop (0.7 degrees off) says nothing of how far off the path the aircraft is, near the
// antenna as far out; once captured the path is kept while the needle stays live.
TEST(FlightAutopilot, CapturesTheGlideSlopeOnlyFromALiveNeedleNearThePath) {
    const struct {
        double antennaMetres, feetAbovePath;
        int courseDeviation, alreadyCaptured, captured;
    } cases[] = {
        {8000, 0, 0, 0, 1},     {8000, 30, 0, 0, 1},     {8000, -30, 0, 0, 1},
        {8000, 150, 0, 0, 0},   {8000, -150, 0, 0, 0},   {8000, 0, 80, 0, 0},
        {8000, 0, 80, 1, 1},    {8000, 0, 110, 1, 0},    {8000, 150, 0, 1, 1},
        {600, 600, 0, 0, 0},    {300, 1500, 0, 0, 0},    {600, -60, 0, 0, 0},
        {600, 600, 0, 1, 0},    {1200, 0, 0, 0, 1},
    };
    for (const auto& c : cases) {
        FlightHarness h(0);
        h.PlaceInFlight(1000, 90, 0);
        flight::FlightModelState& s = theFlightModelState;
        s.fmAutopilotModes = 0x1 | 0x4;
        s.fmAutopilotState = c.alreadyCaptured ? 0x8 : 0x20;
        const double path = 3.0 * M_PI / 180.0;
        const double height = c.antennaMetres * std::tan(path) + c.feetAbovePath * 0.3048;
        const double off = std::atan2(height, c.antennaMetres) - path;
        nav::AutopilotNavInput& in = nav::theAutopilotNavInput;
        in = nav::AutopilotNavInput{};
        in.signalValid = 1;
        in.flags = 0x10;
        in.localizer = 1;
        in.courseDeviation = static_cast<std::int8_t>(c.courseDeviation);
        in.rangeMetres = static_cast<std::uint32_t>(c.antennaMetres + 3000);
        in.glideSlopeRangeMetres = static_cast<std::uint32_t>(c.antennaMetres);
        in.glideSlopeAngle = static_cast<std::uint16_t>(3.0 * 65536.0 / 360.0);
        in.glideSlopeDeviation = static_cast<std::uint8_t>(static_cast<std::int8_t>(
            std::clamp(off * 32768.0 / M_PI, -127.0, 127.0)));
        flight::RunAutopilot();
        EXPECT_EQ((s.fmAutopilotState & 0x8) != 0, c.captured != 0)
            << c.antennaMetres << " m out, " << c.feetAbovePath << " ft above, course "
            << c.courseDeviation << (c.alreadyCaptured ? ", captured before" : "");
        in = nav::AutopilotNavInput{};
    }
}

TEST(FlightAutopilot, FollowsALocalizerAndGlideSlopeFromTheReceiver) {
    // Below the glide path and 150 m right of the localizer.
    FlightHarness h(0);
    h.PlaceInFlight(1000, 90, 0);
    flight::FlightModelState& s = theFlightModelState;
    s.fmPosX = 150 * 256;
    s.fmThrot = 12000;
    flight::ProbeEngageAltitudeHold();
    s.fmAutopilotModes = 0x1 | 0x4;
    // A receiver double with the receivers' scales: the localizer (full scale 2.5 degrees) lies
    // along heading 0 from an antenna 2 km beyond the threshold, 8 km north of the start, and the
    // glide slope (3 degrees, 127 units of 1/182 degree at most) rises from the threshold.
    nav::AutopilotNavInput& in = nav::theAutopilotNavInput;
    const double thresholdZ = 8000.0, antennaZ = thresholdZ + 2000.0;
    double worstOff = 0;
    for (int second = 0; second < 150; ++second) {
        const double x = s.fmPosX / 256.0;
        const double z = s.fmPosZ / 256.0;
        const double height = (s.fmPosY / 256.0);
        const double distance = thresholdZ - z;
        if (distance < 300) break;
        const double courseDeg = std::atan2(x, antennaZ - z) * 180.0 / M_PI;  // right of course
        const double glideDeg = std::atan2(height, distance) * 180.0 / M_PI - 3.0;
        in.signalValid = 1;
        in.flags = 0x10;
        in.selectedCourse = 0;
        in.localizer = 1;
        in.rangeMetres = static_cast<std::uint32_t>(std::hypot(x, antennaZ - z));
        in.glideSlopeRangeMetres = static_cast<std::uint32_t>(std::hypot(x, distance));
        in.glideSlopeAngle = static_cast<std::uint16_t>(3.0 * 65536.0 / 360.0);
        in.distance = static_cast<std::uint16_t>(in.rangeMetres / 185.2);
        in.courseDeviation =
            static_cast<std::int8_t>(std::clamp(-courseDeg * 127.0 / 2.5, -127.0, 127.0));
        in.glideSlopeDeviation = static_cast<std::uint8_t>(
            static_cast<std::int8_t>(std::clamp(glideDeg * 65536.0 / 360.0, -127.0, 127.0)));
        if (s.fmAutopilotState & 0x8)
            worstOff =
                std::max(worstOff, std::fabs(height - distance * std::tan(3.0 * M_PI / 180)));
        h.RunSeconds(1);
    }
    EXPECT_LT(std::abs(s.fmPosX / 256.0), 15.0);
    EXPECT_TRUE(s.fmAutopilotState & 0x8);  // glide slope captured
    EXPECT_LT(worstOff, 30.0);
    in = nav::AutopilotNavInput{};
}

}  // namespace
