// The long swing of speed and height after a change of power, hands off: trimmed, the elevator
// holds the wing at one angle of attack, and once the power changes the aircraft trades speed for
// height about its new path. A wing held at one lift coefficient swings by an amount set by the
// change of the path alone (the lift grows with the square of the speed, gravity pays along the
// path); the flown swing is checked against that, integrated here as a point mass, with the new
// path and the drag taken from the aircraft's positions once it has settled.
//
// Disabled: the model swings 1.6 to 2.5 times as far. Measured (power cut / full power, the flown
// drop or rise over the constant-lift one): C172 1.56 / 1.82, Bonanza 1.61 / 1.94, Baron
// 2.10 / 2.05, King Air 1.72 / 1.58, CitationJet 2.16 / 2.50. The cause is the lagged path angle
// the attitude follows: its speed counts the accelerations only up to half a metre a second
// squared, so through the swing the nose trails the bending path by 0.9 s (C172, Bonanza), 1.8 s
// (Baron, King Air) and 3.5 s (jet), and the wing's angle of attack, the elevator's angle plus the
// path less the lagged path, leaves its trim: the King Air's goes from 4.61 to 5.20 degrees (lift
// coefficient 0.729 to 0.791) while the path steepens after the power cut. That lift holds the
// path against the change, and the speed swings the further (about sqrt(1 + g k tau / V) times,
// k the lift curve's slope over the lift coefficient). With the wing's angle of attack taken from
// a path that follows within the time to fly 12 m (the attitude's lag left as it is) the ratios
// come to 1.22 / 1.31, 1.13 / 1.30, 1.34 / 1.08, 1.14 / 1.06, 1.28 / 1.34. But the pitch hold and
// the altitude hold are tuned on the slow lift: with the wing following within 60 m already the
// altitude hold of the Baron, King Air and jet swings 1,700 to 5,000 ft, the pitch-held glide does
// not settle, and within 40 m the level-flight trim, which settles on the altitude hold, fails;
// softer pitch-hold steps or halved hold gains do not bring them back. The autopilot has to be
// retuned with the faster wing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "flight/flight_model.h"
#include "flight/flight_model_state.h"
#include "flight/level_flight_trim.h"
#include "world/terrain_services.h"

namespace {

constexpr double kGravity = 9.80665;
constexpr double kStepSeconds = 1800.0 / 32768.0;
constexpr int kSpeedSpan = 4;  // steps either side of a speed taken from the places

struct Place {
    double x, y, z;  // metres, y up from sea level
};

Place Here() {
    const flight::FlightModelState& s = flight::theFlightModelState;
    return {s.fmPosX / 256.0, (s.fmPosY + static_cast<double>(world::theTerrainDatum)) / 256.0,
            s.fmPosZ / 256.0};
}

double Distance(const Place& a, const Place& b) {
    return std::hypot(a.x - b.x, a.y - b.y, a.z - b.z);
}

// Places of every step for the time flown.
std::vector<Place> Fly(double seconds) {
    std::vector<Place> places{Here()};
    const int steps = static_cast<int>(seconds / kStepSeconds);
    for (int i = 0; i < steps; ++i) {
        flight::UpdateFlight();
        places.push_back(Here());
    }
    return places;
}

// Speeds (m/s) along the places, from the way flown over kSpeedSpan steps either side.
std::vector<double> Speeds(const std::vector<Place>& p) {
    std::vector<double> v;
    for (std::size_t i = kSpeedSpan; i + kSpeedSpan < p.size(); ++i)
        v.push_back(Distance(p[i + kSpeedSpan], p[i - kSpeedSpan]) /
                    (2 * kSpeedSpan * kStepSeconds));
    return v;
}

// The steady path over the last `seconds` of the places: speed (m/s), path angle (radians,
// climbing positive) and height (m) in the middle.
struct SteadyPath {
    double speed, angle, height;
};

SteadyPath SteadyOver(const std::vector<Place>& p, double seconds) {
    const std::size_t n = static_cast<std::size_t>(seconds / kStepSeconds);
    const std::size_t first = p.size() - 1 - n;
    double way = 0;
    for (std::size_t i = first; i + 1 < p.size(); ++i)
        way += Distance(p[i + 1], p[i]);
    return {way / (n * kStepSeconds), std::asin((p.back().y - p[first].y) / way),
            0.5 * (p.back().y + p[first].y)};
}

// The standard atmosphere's density relative to sea level.
double DensityRatio(double metres) {
    return std::pow(1.0 - 2.25577e-5 * metres, 4.2559);
}

// A point mass flying with a constant lift coefficient, started on a steady path at `start`:
// lift over weight cos(path) (rho v^2) / (rho0 v0^2); drag over weight dragFactor rho v^2 (the
// drag coefficient stays with the lift's); thrust over weight thrust (v1 / v)^thrustPower, where
// v1 is the speed it is given at. The first swing of speed after the change: the speed where the
// speed first turns back (m/s).
struct PointMassCase {
    SteadyPath start;
    double dragFactor;   // drag over weight per unit of rho v^2 (rho relative to sea level)
    double thrust;       // over weight, at thrustSpeed
    double thrustSpeed;  // m/s
    double thrustPower;  // 0: constant thrust (a jet); 1: constant power (a propeller)
};

std::vector<double> PointMassSpeeds(const PointMassCase& c, double seconds) {
    double v = c.start.speed;
    double gamma = c.start.angle;
    double h = c.start.height;
    const double liftFactor =
        std::cos(c.start.angle) / (DensityRatio(c.start.height) * c.start.speed * c.start.speed);
    std::vector<double> speeds;
    const double dt = 0.01;
    for (double t = 0; t < seconds; t += dt) {
        const double rho = DensityRatio(h);
        const double lift = liftFactor * rho * v * v;
        const double drag = c.dragFactor * rho * v * v;
        const double thrust = c.thrust * std::pow(c.thrustSpeed / v, c.thrustPower);
        const double dv = kGravity * (thrust - drag - std::sin(gamma));
        const double dg = kGravity / v * (lift - std::cos(gamma));
        v += dv * dt;
        gamma += dg * dt;
        h += v * std::sin(gamma) * dt;
        speeds.push_back(v);
    }
    return speeds;
}

// Where a speed series first turns back from the way it set out: its first lowest (falling) or
// highest (rising) value, once it has come back by `turn` m/s.
double FirstTurn(const std::vector<double>& v, bool falling, double turn = 0.3) {
    double extreme = v.front();
    for (const double x : v) {
        if (falling) {
            extreme = std::min(extreme, x);
            if (x > extreme + turn) break;
        } else {
            extreme = std::max(extreme, x);
            if (x < extreme - turn) break;
        }
    }
    return extreme;
}

struct TypeCase {
    int type;
    double feet;
    double knots;        // indicated, trimmed level
    double thrustPower;  // how the thrust falls with speed
};

constexpr TypeCase kTypes[] = {
    {0, 9000, 100, 1},  {1, 10000, 150, 1}, {2, 11000, 165, 1},
    {3, 16000, 180, 1}, {4, 16000, 220, 0},
};

constexpr double kSettleSeconds = 420;
constexpr double kMeasureSeconds = 150;
constexpr double kSwingSeconds = 90;

TEST(Phugoid, DISABLED_FirstSwingAfterAPowerChangeIsTheConstantLiftOne) {
    for (const TypeCase& c : kTypes) {
        const flight::LevelFlightTrim trim = flight::TrimForLevelFlight({.type = c.type,
                                                                         .altitudeFeet = c.feet,
                                                                         .indicatedKnots = c.knots,
                                                                         .gearDown = c.type == 0});
        ASSERT_TRUE(trim.trimmed) << c.type;
        flight::FlightModelState& s = flight::theFlightModelState;
        const Place start = Here();
        const std::vector<Place> level = Fly(2);
        const SteadyPath cruise{Speeds(level).front(), 0.0, start.y};

        // Power off: the swing, then the glide it settles into.
        s.fmThrot = s.fmThrotRight = 0;
        const std::vector<Place> glide = Fly(kSettleSeconds);
        const SteadyPath settledGlide = SteadyOver(glide, kMeasureSeconds);
        const double dragFactor =
            -std::sin(settledGlide.angle) /
            (DensityRatio(settledGlide.height) * settledGlide.speed * settledGlide.speed);
        std::vector<double> flown = Speeds(glide);
        flown.resize(static_cast<std::size_t>(kSwingSeconds / kStepSeconds));
        const double flownLow = FirstTurn(flown, true);
        const double modelLow = FirstTurn(
            PointMassSpeeds({cruise, dragFactor, 0.0, cruise.speed, c.thrustPower}, kSwingSeconds),
            true);

        // Full power from the glide: the swing, then the climb.
        const SteadyPath glideStart{
            Speeds(std::vector<Place>(glide.end() - 2 * kSpeedSpan - 1, glide.end())).front(),
            settledGlide.angle, Here().y};
        s.fmThrot = s.fmThrotRight = 32767;
        const std::vector<Place> climb = Fly(kSettleSeconds);
        const SteadyPath settledClimb = SteadyOver(climb, kMeasureSeconds);
        const double climbThrust =
            std::sin(settledClimb.angle) + dragFactor * DensityRatio(settledClimb.height) *
                                               settledClimb.speed * settledClimb.speed;
        std::vector<double> flownUp = Speeds(climb);
        flownUp.resize(static_cast<std::size_t>(kSwingSeconds / kStepSeconds));
        const double flownHigh = FirstTurn(flownUp, false);
        const double modelHigh = FirstTurn(PointMassSpeeds({glideStart, dragFactor, climbThrust,
                                                            settledClimb.speed, c.thrustPower},
                                                           kSwingSeconds),
                                           false);

        const double downRatio = (cruise.speed - flownLow) / (cruise.speed - modelLow);
        const double upRatio = (flownHigh - glideStart.speed) / (modelHigh - glideStart.speed);
        std::printf(
            "type %d: cruise %.1f m/s, glide %.2f deg at %.1f, climb %.2f deg at %.1f\n"
            "  off: flown low %.3f, constant-lift low %.3f, ratio %.2f\n"
            "  on:  flown high %.3f, constant-lift high %.3f, ratio %.2f\n",
            c.type, cruise.speed, settledGlide.angle * 57.2958, settledGlide.speed,
            settledClimb.angle * 57.2958, settledClimb.speed, flownLow / cruise.speed,
            modelLow / cruise.speed, downRatio, flownHigh / glideStart.speed,
            modelHigh / glideStart.speed, upRatio);
        EXPECT_LE(downRatio, 1.25) << c.type;
        EXPECT_LE(upRatio, 1.25) << c.type;
    }
}

}  // namespace
