// The flight beyond the fitted points, headless: the elevator held back, the altitude hold at idle,
// a closed throttle on the roll, and what the gauges make of an engine's power.
#include <gtest/gtest.h>

#include <algorithm>

#include "cockpit/gauge_values.h"
#include "flight/aircraft.h"
#include "flight/flight_model.h"
#include "flight/flight_model_state.h"
#include "flight/flight_probe.h"
#include "flight/published_performance.h"

namespace {

using flight::theFlightModelState;

// Each type from 1.5 times its stall speed at 5,000 ft, throttles closed: the elevator pulled to
// its stop mushes the aircraft with its nose within about 30 degrees either way and never dives
// it faster than it flew; the altitude hold left on at idle does the same, its elevator never past
// the travel the wing answers.
TEST(FlightEnvelopeProbe, HeldStallAndIdleHoldMushInsteadOfDiving) {
    for (int type = 0; type <= 4; ++type) {
        SCOPED_TRACE("type " + std::to_string(type));
        const flight::PublishedPerformance& pub = flight::PublishedPerformanceForType(type);
        const double start = type == 4 ? 130.0 : 1.5 * pub.stallCleanKnots;
        const flight::ElevatorStallResult held =
            flight::ProbeElevatorStall(type, pub.testWeightKg, 5000, start, 60000, 60, 60);
        EXPECT_FALSE(held.crashed);
        EXPECT_GE(held.lowestPitch, -35.0);
        EXPECT_LE(held.highestPitch, 40.0);
        EXPECT_LE(held.fastestKnots, start + 1.0);
        EXPECT_LT(held.fastestAfterKnots, 2.0 * start) << "the recovery dives";
        const flight::IdleHoldResult hold =
            flight::ProbeIdleAltitudeHold(type, pub.testWeightKg, 5000, start, 180);
        EXPECT_FALSE(hold.crashed);
        EXPECT_GE(hold.lowestPitch, -20.0);
        EXPECT_LE(hold.highestPitch, 20.0);
        EXPECT_LE(hold.fastestKnots, start + 1.0);
        EXPECT_LE(theFlightModelState.fmElv, flight::MostElevatorTerm(true) * 32 / 7 + 1)
            << "the pitch hold's elevator";
    }
}

// A closed throttle pulls at a walking pace but not at 60 kt: rolling with it and no brakes,
// every type slows; more throttle is still never less thrust at any speed.
TEST(FlightEnvelopeProbe, ClosedThrottleStopsPullingAsTheAirMeetsIt) {
    for (int type = 0; type <= 4; ++type) {
        SCOPED_TRACE("type " + std::to_string(type));
        const double weight = flight::PublishedPerformanceForType(type).testWeightKg;
        EXPECT_LT(flight::ProbeIdleRoll(type, weight, 60, 24), 55.0);
        for (double knots : {0.0, 20.0, 60.0}) {
            double last = -1;
            for (int lever = 0; lever <= 6; ++lever) {
                flight::ProbeSelectAircraft(type);
                flight::ProbePlaceInFlight(0, knots);
                theFlightModelState.fmThrot = theFlightModelState.fmThrotRight =
                    static_cast<std::int16_t>(lever * 1057);
                flight::StepEngines();
                flight::EngineThrust();
                EXPECT_GE(theFlightModelState.fmThrust, last) << knots << " kt, lever " << lever;
                last = theFlightModelState.fmThrust;
            }
        }
    }
}

// The gauges at the Baron's maximum cruise power, 24.5 in. Hg at 2,500 rpm (its handbook) on the
// 75 % row at 2,000 ft, and each engine's own fuel flow (the table's, per engine).
TEST(FlightEnvelopeProbe, BaronGaugesReadItsCruiseSetting) {
    const flight::PublishedPerformance& pub = flight::PublishedPerformanceForType(2);
    const flight::AircraftServices saved = flight::theAircraftServices;
    flight::theAircraftServices.aircraftType = [] { return 2; };
    for (const flight::CruisePoint& p : pub.cruise) {
        if (p.altitudeFeet != 2000) continue;
        SCOPED_TRACE(std::to_string(p.powerPercent) + " %");
        flight::ProbeLevelFlight(2, p.altitudeFeet,
                                 flight::ProbeTableFuelToKgPerHourPerEngine(2, p.fuelFlow),
                                 p.trueAirspeedKnots, pub.testWeightKg);
        for (int engine = 0; engine < 2; ++engine)
            EXPECT_NEAR(cockpit::PistonFuelFlowGallons(engine), p.fuelFlow, 0.1 * p.fuelFlow);
        if (p.powerPercent == 75) {
            EXPECT_NEAR(cockpit::ManifoldPressure(0), 24.5, 2.45);
        }
    }
    flight::theAircraftServices = saved;
}

}  // namespace
