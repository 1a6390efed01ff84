// The lagged flight-path angle, which the attitude follows, comes to the real path from above
// and from below alike.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "flight/flight_harness.h"
#include "flight/flight_model.h"
#include "flight/flight_model_state.h"

namespace {

using flight::FlightModelState;
using flight::theFlightModelState;
using flighttest::Control;
using flighttest::FlightHarness;

constexpr double kUnitsPerDegree = 65536.0 / 360.0;
constexpr double kStepsPerSecond = 32768.0 / 1800.0;

// A climb (full power) or descent (power off), flown hands off from level flight for a minute and
// a half, when the swing the change of power started has mostly died down.
FlightModelState SteadyFlight(int type, double knots, bool climb) {
    FlightHarness h(type);
    h.PlaceInFlight(4000, knots);
    h.SetScript({{0, Control::Throttle, climb ? 32767 : 0}});
    h.RunSeconds(90);
    return theFlightModelState;
}

struct LagRun {
    int path;           // units, positive descending
    int finalError;     // lag minus path, units
    int stepsToSettle;  // steps to come within a tenth of a degree, -1 never
};

// Every step starts again from the steady state with the forces it had, so the path and the
// accelerations stay as they were and only the lagged angle moves, from offsetDegrees off the
// path.
LagRun HoldSteadyAndLag(const FlightModelState& steady, double offsetDegrees, int seconds) {
    theFlightModelState = steady;
    flight::ComputeAeroForces();
    flight::IntegrateMotion();
    const int path = theFlightModelState.fmWndANG;
    int lag = path + static_cast<int>(std::lround(offsetDegrees * kUnitsPerDegree));
    int settled = -1;
    const int steps = static_cast<int>(seconds * kStepsPerSecond);
    for (int i = 0; i < steps; ++i) {
        theFlightModelState = steady;
        flight::ComputeAeroForces();
        theFlightModelState.fmAllowWA = static_cast<std::int16_t>(lag);
        flight::IntegrateMotion();
        lag = theFlightModelState.fmAllowWA;
        if (settled < 0 && std::abs(lag - path) < 0.1 * kUnitsPerDegree) settled = i + 1;
    }
    return {path, lag - path, settled};
}

TEST(FlightPathLag, SettlesOnASteadyPathFromEitherSide) {
    const struct {
        int type;
        double knots;
    } types[] = {{0, 80}, {1, 90}, {2, 110}, {3, 130}, {4, 150}};
    for (const auto& t : types) {
        for (const bool climb : {true, false}) {
            const std::string what =
                "type " + std::to_string(t.type) + (climb ? " climbing" : " descending");
            const FlightModelState steady = SteadyFlight(t.type, t.knots, climb);
            for (const double offset : {3.0, -3.0, 0.5, -0.5}) {
                const LagRun run = HoldSteadyAndLag(steady, offset, 300);
                EXPECT_EQ(run.path < 0, climb) << what;
                EXPECT_LE(std::abs(run.finalError), 1) << what << " from " << offset << " deg";
                EXPECT_GT(run.stepsToSettle, 0) << what << " from " << offset << " deg";
            }
            // As fast from above as from below.
            EXPECT_NEAR(HoldSteadyAndLag(steady, 3.0, 300).stepsToSettle,
                        HoldSteadyAndLag(steady, -3.0, 300).stepsToSettle, 2)
                << what;
        }
    }
}

}  // namespace
