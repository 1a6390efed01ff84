// Dives and spirals against the conservation of energy, from the aircraft's positions alone:
// with the engines off the sum of kinetic and potential energy never grows, and along the path
// the aircraft never gains speed faster than gravity's share along it allows.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "flight/flight_harness.h"
#include "flight/flight_model.h"
#include "flight/flight_model_state.h"
#include "flight/published_performance.h"

namespace {

using flight::theFlightModelState;
using flighttest::Control;
using flighttest::FlightHarness;

constexpr double kGravity = 9.80665;
constexpr double kStepSeconds = 1800.0 / 32768.0;
constexpr int kSampleSteps = 9;  // about half a second between places
constexpr double kKnotsPerMetrePerSecond = 1.0 / 0.514444;

struct Place {
    double x, y, z;  // metres
};

Place Here() {
    const flight::FlightModelState& s = theFlightModelState;
    return {s.fmPosX / 256.0, s.fmPosY / 256.0, s.fmPosZ / 256.0};
}

double Distance(const Place& a, const Place& b) {
    return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) +
                     (a.z - b.z) * (a.z - b.z));
}

// Places every half second while the aircraft flies, stopping near the ground.
std::vector<Place> Fly(FlightHarness& h, double seconds) {
    std::vector<Place> places{Here()};
    const int samples = static_cast<int>(seconds / (kSampleSteps * kStepSeconds));
    for (int i = 0; i < samples && theFlightModelState.fmPosY > 300 * 256; ++i) {
        h.Run(kSampleSteps);
        places.push_back(Here());
    }
    return places;
}

// Speed through place i from its neighbours, m/s.
double SpeedAt(const std::vector<Place>& p, std::size_t i) {
    return Distance(p[i + 1], p[i - 1]) / (2 * kSampleSteps * kStepSeconds);
}

struct Findings {
    double worstEnergyRise = -1e9;          // J/kg per second
    double worstExcessAcceleration = -1e9;  // m/s^2 beyond g sin(path angle)
    double topIndicatedKnots = 0;           // equivalent airspeed in the standard atmosphere
};

Findings Examine(const std::vector<Place>& p) {
    Findings f;
    const double span = 2 * kSampleSteps * kStepSeconds;
    for (std::size_t i = 2; i + 2 < p.size(); ++i) {
        const double before = SpeedAt(p, i - 1);
        const double after = SpeedAt(p, i + 1);
        const double energyBefore = 0.5 * before * before + kGravity * p[i - 1].y;
        const double energyAfter = 0.5 * after * after + kGravity * p[i + 1].y;
        f.worstEnergyRise = std::max(f.worstEnergyRise, (energyAfter - energyBefore) / span);
        const double path = Distance(p[i + 1], p[i - 1]);
        if (path <= 0) continue;
        const double sinDescent = (p[i - 1].y - p[i + 1].y) / path;
        f.worstExcessAcceleration =
            std::max(f.worstExcessAcceleration, (after - before) / span - kGravity * sinDescent);
        const double sigma = std::pow(1.0 - 2.25577e-5 * p[i].y, 4.2559);  // density ratio
        f.topIndicatedKnots = std::max(f.topIndicatedKnots,
                                       SpeedAt(p, i) * std::sqrt(sigma) * kKnotsPerMetrePerSecond);
    }
    return f;
}

struct Manoeuvre {
    const char* name;
    double bankDegrees;  // set once, then hands off
    int elevator;        // held from the start (nose down is negative)
};

constexpr Manoeuvre kPowerOff[] = {
    {"spiral at 60 degrees of bank", 60, 0},
    {"steep spiral at 75 degrees", -75, 0},
    {"straight dive, stick forward", 0, -12000},
    {"spiralling dive", 45, -6000},
};

TEST(FlightEnergy, PowerOffDivesNeverGainEnergy) {
    for (int type = 0; type < 5; ++type) {
        const double cruise =
            flight::PublishedPerformanceForType(type).cruise.front().trueAirspeedKnots;
        for (const Manoeuvre& m : kPowerOff) {
            FlightHarness h(type);
            h.PlaceInFlight(9000, cruise);
            flight::FlightModelState& s = theFlightModelState;
            s.fmEngines = 0;
            s.fmThrot = s.fmThrotRight = 0;
            s.fmBank = static_cast<std::uint16_t>(std::lround(-m.bankDegrees * 65536.0 / 360.0));
            if (m.elevator != 0) h.SetScript({{0, Control::Elevator, s.fmElv + m.elevator}});
            const Findings f = Examine(Fly(h, 45));
            // Half a joule per kilogram a second and a tenth of a m/s^2 are the places' rounding.
            EXPECT_LE(f.worstEnergyRise, 0.5) << type << ", " << m.name;
            EXPECT_LE(f.worstExcessAcceleration, 0.1) << type << ", " << m.name;
        }
    }
}

TEST(FlightEnergy, HandsOffSpiralStaysBelowTheNeverExceedSpeed) {
    // Rolled into 60 degrees of bank at cruise power and let go, the trimmed wing needs twice
    // the lift and finds it near 1.4 times the trimmed speed; it must not run away. The C172N's
    // never-exceed speed is 160 knots indicated (its pilot's operating handbook).
    FlightHarness h(0);
    h.PlaceInFlight(8000, 100);
    theFlightModelState.fmBank = static_cast<std::uint16_t>(-60 * 65536 / 360);
    const Findings f = Examine(Fly(h, 60));
    EXPECT_LT(f.topIndicatedKnots, 160.0);
}

}  // namespace
