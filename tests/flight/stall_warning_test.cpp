// The stall warning: silent on the ground and in cruise, sounding as the pilot slows towards
// the stall, on every aircraft.
#include <gtest/gtest.h>

#include <vector>

#include "flight/flight_harness.h"
#include "flight/flight_model_state.h"
#include "flight/published_performance.h"

namespace {

using flight::theFlightModelState;
using flighttest::Control;
using flighttest::FlightHarness;
using flighttest::ScriptedInput;

// The published clean stall speed; the jet publishes none, so a figure near its own.
double StallKnots(int type) {
    const double published = flight::PublishedPerformanceForType(type).stallCleanKnots;
    return published > 0 ? published : 85;
}

// The number of steps, of those run, on which the warning sounded.
int StepsWarned(FlightHarness& h, int steps) {
    int warned = 0;
    for (int i = 0; i < steps; ++i) {
        h.Run(1);
        warned += theFlightModelState.fmStallWarning != 0;
    }
    return warned;
}

TEST(StallWarning, SilentParkedAndInCruise) {
    for (int type = 0; type < 5; ++type) {
        FlightHarness parked(type);
        parked.PlaceOnRunway();
        EXPECT_EQ(StepsWarned(parked, 400), 0) << "parked, type " << type;

        FlightHarness cruising(type);
        cruising.PlaceInFlight(5000, StallKnots(type) * 2);
        EXPECT_EQ(StepsWarned(cruising, 400), 0) << "cruise, type " << type;
    }
}

// Power off and the stick brought back slowly from 1.5 times the stall speed: the warning comes
// while the aircraft still flies faster than it stalls.
TEST(StallWarning, SoundsBeforeTheStall) {
    for (int type = 0; type < 5; ++type) {
        FlightHarness h(type);
        const double stall = StallKnots(type);
        h.PlaceInFlight(5000, stall * 1.5);
        std::vector<ScriptedInput> script{{0, Control::Throttle, 0}};
        for (int i = 1; i <= 30; ++i)
            script.push_back({i * 15, Control::Elevator, i * 1000});
        h.SetScript(script);
        double warnedAt = -1;
        for (int i = 0; i < 900 && warnedAt < 0; ++i) {
            h.Run(1);
            if (theFlightModelState.fmStallWarning != 0) warnedAt = flighttest::TrueAirspeedKnots();
        }
        EXPECT_GT(warnedAt, stall) << "type " << type;
        EXPECT_LT(warnedAt, stall * 1.5) << "type " << type;
    }
}

}  // namespace
