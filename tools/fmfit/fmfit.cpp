// fmfit: tunes the thrust tables of the five aircraft records until trimmed level flight meets
// the published cruise tables, then checks stall speed, climb and ceiling.
//
//   fmfit [--type N] [--check]        report the model against the published figures
//   fmfit --fit [--write FILE]        tune, report, and write the tuned tables to FILE
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cockpit/gauge_values.h"
#include "flight/aircraft.h"
#include "flight/aircraft_data.h"
#include "flight/aircraft_parameters.h"
#include "flight/airspeed.h"
#include "flight/fixed_point.h"
#include "flight/flight_model.h"
#include "flight/flight_model_state.h"
#include "flight/flight_probe.h"
#include "flight/published_performance.h"

namespace {

using flight::AircraftParameters;
using flight::PublishedPerformance;

constexpr double kMetresPerSecondPerKnot = 0.514444;

// Reference speed of a closed throttle, knots indicated.
constexpr int kIdleReferenceKnots = 70;

// Shapes of the by-power efficiency tables; --shape replaces the selected type's.
double kPowerEfficiencyShape[5][5];

struct PointResult {
    flight::CruisePoint point;
    double tas;
    double fuel;  // in the table's units
    double altitudeError;
    bool crashed;
};

std::vector<PointResult> FlyCruiseTable(int type) {
    const PublishedPerformance& pub = flight::PublishedPerformanceForType(type);
    std::vector<PointResult> out;
    for (const flight::CruisePoint& p : pub.cruise) {
        const double kgh = flight::ProbeTableFuelToKgPerHourPerEngine(type, p.fuelFlow);
        const flight::LevelFlightResult r = flight::ProbeLevelFlight(
            type, p.altitudeFeet, kgh, p.trueAirspeedKnots, pub.testWeightKg);
        double fuel = r.fuelFlowKgPerHour * 2.2;
        if (pub.fuelInGallons) fuel /= 6.0;
        if (pub.fuelPerEngine) fuel /= 2.0;
        out.push_back(PointResult{p, r.trueAirspeedKnots, fuel, r.altitudeErrorFeet, r.crashed});
    }
    return out;
}

struct Summary {
    double worstTas = 0.0;
    double worstFuel = 0.0;
};

Summary Report(int type, const std::vector<PointResult>& results, bool verbose) {
    Summary s;
    for (const PointResult& r : results) {
        const double et = (r.tas - r.point.trueAirspeedKnots) / r.point.trueAirspeedKnots * 100.0;
        const double ef = (r.fuel - r.point.fuelFlow) / r.point.fuelFlow * 100.0;
        s.worstTas = std::max(s.worstTas, std::fabs(et));
        s.worstFuel = std::max(s.worstFuel, std::fabs(ef));
        if (verbose) {
            std::printf(
                "type %d %5d ft %3d%%  TAS %6.1f (table %5.0f, %+5.1f%%)  fuel %7.2f (table %7.2f, "
                "%+5.1f%%)  alt %+.0f ft%s\n",
                type, r.point.altitudeFeet, r.point.powerPercent, r.tas, r.point.trueAirspeedKnots,
                et, r.fuel, r.point.fuelFlow, ef, r.altitudeError, r.crashed ? " CRASHED" : "");
        }
    }
    std::printf(
        "type %d cruise: worst true airspeed error %.2f %%, worst fuel flow error %.2f %%\n", type,
        s.worstTas, s.worstFuel);
    return s;
}

// The climb a pilot flies at full power and the book's best-rate speed (where the book has none,
// the speed of the best climb the forces allow).
double FlownClimb(int type) {
    const PublishedPerformance& pub = flight::PublishedPerformanceForType(type);
    double knots = pub.bestClimbKnots;
    if (knots <= 0.0) flight::ProbeBestClimb(type, 0.0, pub.testWeightKg, &knots);
    return flight::ProbeFlownClimb(type, pub.testWeightKg, knots);
}

// Take-off ground roll, where the book gives one: the run at full power from brake release to
// the rotation speed, then the lift-off, which a pilot's pull takes about a second and a half at
// that speed.
constexpr double kLiftOffSeconds = 1.5;

double FlownGroundRoll(int type) {
    const PublishedPerformance& pub = flight::PublishedPerformanceForType(type);
    const double run = flight::ProbeGroundRun(type, pub.testWeightKg, pub.rotationKnots);
    if (run < 0.0) return 1e9;
    return run + kLiftOffSeconds * pub.rotationKnots * kMetresPerSecondPerKnot / 0.3048;
}

// Position (0..16) of a cruise point's power word in the reference-speed table of a record
// whose efficiency goes by power.
double PowerPosition(int type, const flight::CruisePoint& p) {
    const AircraftParameters& ap = flight::AircraftParametersForType(type);
    const bool turbine = ap.apModelCode == 1 || ap.apModelCode == 4;
    const double power =
        flight::ProbeTableFuelToKgPerHourPerEngine(type, p.fuelFlow) * (turbine ? 1.0 : 10.0);
    return power * 16.0 / (ap.apMaxPower + ap.apIdlePower);
}

double ClimbPeakKnots(int type, double around);
extern const bool kShapedClimb[5];

// How far a record is from the targets: the worst cruise speed error, with misses of the fuel
// flow (5 %), of the best climb (10 %) and, where the fit shapes it, of the climb curve's peak
// (10 kt) counting against it.
double Score(int type, const Summary& s) {
    const PublishedPerformance& pub = flight::PublishedPerformanceForType(type);
    const double climbError = std::fabs(FlownClimb(type) / pub.climbFeetPerMinute - 1.0) * 100.0;
    const double peakError =
        kShapedClimb[type]
            ? std::fabs(ClimbPeakKnots(type, pub.bestClimbKnots) - pub.bestClimbKnots)
            : 0.0;
    return s.worstTas + std::max(0.0, s.worstFuel - 5.0) * 10.0 +
           std::max(0.0, climbError - 8.0) * 10.0 + std::max(0.0, peakError - 5.0);
}

// Thrust correction a point asks for: drag grows about as the square of the speed, so the
// thrust needed scales as the square of the speed ratio; one round moves at most 15 %.
double Correction(const PointResult& r, double gain) {
    // A point that crashed could not hold its height: it lacked thrust.
    if (r.tas <= 1.0 || r.crashed) return 1.15;
    const double c = std::pow(r.point.trueAirspeedKnots / r.tas, 2.0 * gain);
    return std::clamp(c, 0.87, 1.15);
}

// Corrections gathered on the 17 nodes of a table: a point's log correction goes to its two
// neighbouring nodes, weighted by its distance to each.
struct NodeCorrections {
    double num[17] = {};
    double den[17] = {};

    // `x` is the point's position on the nodes; points outside 0..16 count for none.
    void Add(double x, double correction) {
        const int i = static_cast<int>(x);
        if (i < 0 || i >= 16) return;
        const double f = x - i;
        num[i] += (1.0 - f) * std::log(correction);
        den[i] += 1.0 - f;
        num[i + 1] += f * std::log(correction);
        den[i + 1] += f;
    }
    // The weighted mean correction of node `i`, which must have a weight (den[i] > 0).
    [[nodiscard]] double Factor(int i) const { return std::exp(num[i] / den[i]); }
};

// More throttle is never less thrust. Where the efficiency goes by power, the thrust above the
// static speed ratio is the power P times A (v / IAS)^n, v the reference speed of P read linearly
// between the nodes: P v^n must not fall anywhere between two nodes, which holds when each node's
// v is at least n (i + 1) / (1 + n (i + 1)) of the node's below it (node i at power i / 16).
void KeepThrustRisingByPower(int type) {
    AircraftParameters& ap = flight::MutableAircraftParametersForType(type);
    if (ap.apEfficiencyMode != flight::EfficiencyMode::ByPower) return;
    // The efficiency table is linear between its nodes, so it falls a little faster than r^-n
    // in places: the rule takes n a fifth steeper.
    const double n = kPowerEfficiencyShape[type][2] * 1.2;
    for (int i = 1; i < 17; ++i) {
        const double least = std::ceil(ap.apReferenceSpeed[i - 1] * n * i / (1.0 + n * i));
        if (ap.apReferenceSpeed[i] < least)
            ap.apReferenceSpeed[i] = static_cast<std::int16_t>(least);
    }
}

// Below the cruise speeds a propeller or a fan never gives less thrust for being slower: where
// the efficiency goes by true airspeed, the nodes below the first one a cruise point reaches are
// at least the node above them, so that the best-climb and take-off speeds keep the thrust the
// cruise fit leaves at its slowest point.
void KeepThrustRisingAsSpeedFalls(int type) {
    AircraftParameters& ap = flight::MutableAircraftParametersForType(type);
    if (ap.apEfficiencyMode != flight::EfficiencyMode::ByTrueAirspeed) return;
    double lowest = 1e9;
    for (const flight::CruisePoint& p : flight::PublishedPerformanceForType(type).cruise)
        lowest = std::min(lowest, p.trueAirspeedKnots);
    const int first = std::min(
        16, static_cast<int>(lowest * kMetresPerSecondPerKnot / ap.apFixedReferenceSpeed * 16.0));
    for (int i = first - 1; i >= 0; --i)
        ap.apEfficiency[i] = std::max(ap.apEfficiency[i], ap.apEfficiency[i + 1]);
    // Nor does it give more for being faster: a thrust that rose with the speed between two cruise
    // speeds would hold the aircraft level at two speeds at one power, and full power would
    // settle at the faster.
    for (int i = first + 1; i < 17; ++i)
        ap.apEfficiency[i] = std::min(ap.apEfficiency[i], ap.apEfficiency[i - 1]);
}

// The turbines' thrust is the power P times the throttle curve c read at the power's throttle,
// both linear between two nodes a and b: P c does not fall anywhere between them when
// c_b >= c_a P_b / (2 P_b - P_a) (a node's power: its throttle word times the maximum power, plus
// the idle power the turbines always add). From the
// node below the high-altitude limiter's threshold on, where the limiter takes a share of what
// the power gains, the curve does not fall at all.
void KeepThrottleCurveRising(AircraftParameters& ap, const double (&curve)[17]) {
    auto power = [&ap](int i) { return (i * 2048.0 * ap.apMaxPower) / 65536.0 + ap.apIdlePower; };
    const int flatFrom = ap.apHighAltLimiter ? ap.apLimiterThrottle / 2048 : 17;
    double last = 0.0;
    for (int i = 0; i < 17; ++i) {
        double v = std::min(curve[i], 32767.0);
        if (i > 0)
            v = std::max(v, i > flatFrom
                                ? last
                                : std::ceil(last * power(i) / (2.0 * power(i) - power(i - 1))));
        ap.apThrottleCurve[i] = static_cast<std::int16_t>(std::min(v, 32767.0));
        last = ap.apThrottleCurve[i];
    }
}

// The table that carries the speed dependence: efficiency by TAS / reference speed.
// Each cruise point asks its two neighbouring nodes for a correction in proportion to the
// thrust it needs (drag grows about as the square of the speed, so the needed thrust scales as
// the square of the speed ratio), weighted by its distance to the node.
// Records whose efficiency goes by power tune instead the reference speed of each power
// position: above the static ratio the thrust is in proportion to it.
void TuneEfficiency(int type, const std::vector<PointResult>& results, double gain) {
    AircraftParameters& ap = flight::MutableAircraftParametersForType(type);
    const bool byPower = ap.apEfficiencyMode == flight::EfficiencyMode::ByPower;
    NodeCorrections nodes;
    for (const PointResult& r : results) {
        const double correction = Correction(r, gain);
        const double x = byPower ? PowerPosition(type, r.point)
                                 : r.point.trueAirspeedKnots * kMetresPerSecondPerKnot /
                                       ap.apFixedReferenceSpeed * 16.0;
        nodes.Add(x, correction);
    }
    for (int i = 0; i < 17; ++i) {
        if (nodes.den[i] <= 0.0) continue;
        if (byPower) {
            const double v = ap.apReferenceSpeed[i] * nodes.Factor(i);
            ap.apReferenceSpeed[i] = static_cast<std::int16_t>(std::clamp(v, 1.0, 32767.0));
        } else {
            ap.apEfficiency[i] = static_cast<std::int32_t>(ap.apEfficiency[i] * nodes.Factor(i));
        }
    }
    if (byPower) {
        // Below the cruise powers the reference speed falls towards the idle one, so that a
        // closed throttle gives little thrust in flight (at or above the idle reference speed
        // the efficiency is the table's last entry).
        int first = -1;
        for (int i = 16; i >= 0; --i)
            if (nodes.den[i] > 0.0) first = i;
        const int idle =
            static_cast<int>(std::ceil(ap.apIdlePower * 16.0 / (ap.apMaxPower + ap.apIdlePower)));
        for (int i = 0; i < first; ++i) {
            ap.apReferenceSpeed[i] = static_cast<std::int16_t>(
                i <= idle
                    ? kIdleReferenceKnots
                    : kIdleReferenceKnots + (ap.apReferenceSpeed[first] - kIdleReferenceKnots) *
                                                (i - idle) / (first - idle));
        }
        // Power positions beyond the tuned ones keep the last tuned value until the climb
        // tuning sets them.
        int last = -1;
        for (int i = 0; i < 17; ++i)
            if (nodes.den[i] > 0.0) last = i;
        for (int i = last + 1; i < 17 && last >= 0; ++i)
            if (ap.apReferenceSpeed[i] > ap.apReferenceSpeed[last])
                ap.apReferenceSpeed[i] = ap.apReferenceSpeed[last];
    }
}

// The altitude lapse of the piston twins and the Bonanza takes the part of the error that is
// common to every power at one altitude.
void TuneLapse(int type, const std::vector<PointResult>& results, double gain) {
    AircraftParameters& ap = flight::MutableAircraftParametersForType(type);
    if (!ap.apLapseOn) return;
    NodeCorrections nodes;
    for (const PointResult& r : results) {
        if (r.crashed) continue;
        const double correction = Correction(r, gain);
        const double x = r.point.altitudeFeet * 0.3048 / 1024.0;
        nodes.Add(x, correction);
    }
    // Sea level is the reference of the lapse: the climb there is the engines' own.
    for (int i = 1; i < 17; ++i) {
        if (nodes.den[i] > 0.0) {
            const double v = ap.apLapse[i] * nodes.Factor(i);
            ap.apLapse[i] = static_cast<std::uint16_t>(v > 65535.0 ? 65535.0 : v);
        }
    }
}

// The turbines' throttle curve takes the part of the error that follows the throttle.
void TuneThrottleCurve(int type, const std::vector<PointResult>& results, double gain) {
    AircraftParameters& ap = flight::MutableAircraftParametersForType(type);
    if (!ap.apThrottleCurveOn || ap.apEngineModel != flight::EngineSpeedModel::Turbine) return;
    NodeCorrections nodes;
    for (const PointResult& r : results) {
        if (r.crashed) continue;
        const double correction = Correction(r, gain);
        flight::ProbeSelectAircraft(type);
        flight::ProbePlaceInFlight(r.point.altitudeFeet, r.point.trueAirspeedKnots);
        const double throttle = flight::ProbeThrottleForFuelFlow(
            flight::ProbeTableFuelToKgPerHourPerEngine(type, r.point.fuelFlow));
        const double x = throttle * 2.0 / 4096.0;
        nodes.Add(x, correction);
    }
    double curve[17];
    for (int i = 0; i < 17; ++i)
        curve[i] = ap.apThrottleCurve[i] * (nodes.den[i] > 0.0 ? nodes.Factor(i) : 1.0);
    KeepThrottleCurveRising(ap, curve);
}

// The node of the efficiency by true airspeed that a true airspeed (knots) falls on.
double NodeOfKnots(const AircraftParameters& ap, double knots) {
    return knots * kMetresPerSecondPerKnot / ap.apFixedReferenceSpeed * 16.0;
}

// The lowest node of the efficiency by true airspeed that the cruise fit sets (the slowest cruise
// point lies between it and the next).
int FirstCruiseNode(int type) {
    const AircraftParameters& ap = flight::AircraftParametersForType(type);
    double lowest = 1e9;
    for (const flight::CruisePoint& p : flight::PublishedPerformanceForType(type).cruise)
        lowest = std::min(lowest, p.trueAirspeedKnots);
    return std::min(16, static_cast<int>(NodeOfKnots(ap, lowest)));
}

// The records whose thrust between the best-rate climb and the cruise speeds is shaped as a
// propeller's (TuneClimbPeak): the Baron's and the King Air's. Fitted to the cruise table and the
// climb rate alone, the King Air's thrust was flat from 107 to 294 knots, as a jet's, and its climb
// curve rose to 145 KIAS and past (the book's best rate: 125 KIAS); the Baron's fell faster than
// the speed rose, and its climb curve was flat from 80 to 100 KIAS (the book's: 105). The
// Skyhawk's and the Bonanza's peak within a few knots of their books'.
extern const bool kShapedClimb[5] = {false, false, true, true, false};

// A propeller turns its power into ever less thrust as it flies faster, T = eta P / v, its
// efficiency eta rising towards the cruise speeds but not as fast as the speed. Between the
// best-rate climb and the slowest cruise the efficiency nodes take the first cruise node's value
// times (its speed / theirs)^m: m = 0 a thrust flat with speed, m = 1 a propeller of constant
// efficiency. m is searched until the climb curve flown at full power (ClimbPeakKnots) peaks at
// the book's best-rate speed; the cruise nodes stay the cruise fit's, and the rate at the best-rate
// speed is the drag's share's (TuneDragScale scales the drag and the thrust together, which does
// not move the peak). The nodes below the climb's are the take-off fit's.

void ShapeClimbNodes(AircraftParameters& ap, int from, int to, double m) {
    for (int i = from; i < to; ++i)
        ap.apEfficiency[i] = static_cast<std::int32_t>(
            std::lround(ap.apEfficiency[to] * std::pow(static_cast<double>(to) / i, m)));
}

// Where the efficiency goes by power (A / r^n of r, the indicated airspeed over the power's
// reference speed), the exponent n sets how the thrust falls with the speed: n is searched the
// same way (the reference speeds keep the cruise, and the full throttle's the climb rate).
void TuneClimbPeakByPower(int type) {
    const PublishedPerformance& pub = flight::PublishedPerformanceForType(type);
    AircraftParameters& ap = flight::MutableAircraftParametersForType(type);
    double lo = 0.3, hi = 1.5;
    for (int i = 0; i < 10; ++i) {
        kPowerEfficiencyShape[type][2] = 0.5 * (lo + hi);
        flight::RebuildPowerEfficiency(ap, kPowerEfficiencyShape[type]);
        if (ClimbPeakKnots(type, pub.bestClimbKnots) > pub.bestClimbKnots)
            lo = kPowerEfficiencyShape[type][2];
        else
            hi = kPowerEfficiencyShape[type][2];
    }
    kPowerEfficiencyShape[type][2] = 0.5 * (lo + hi);
    flight::RebuildPowerEfficiency(ap, kPowerEfficiencyShape[type]);
    std::printf("type %d climb peak: thrust as r^-%.3f\n", type, kPowerEfficiencyShape[type][2]);
}

void TuneClimbPeak(int type) {
    const PublishedPerformance& pub = flight::PublishedPerformanceForType(type);
    AircraftParameters& ap = flight::MutableAircraftParametersForType(type);
    if (!kShapedClimb[type] || pub.bestClimbKnots <= 0.0) return;
    if (ap.apEfficiencyMode == flight::EfficiencyMode::ByPower) {
        TuneClimbPeakByPower(type);
        return;
    }
    if (ap.apEfficiencyMode != flight::EfficiencyMode::ByTrueAirspeed) return;
    const int to = FirstCruiseNode(type);
    const int from = std::max(1, static_cast<int>(NodeOfKnots(ap, pub.bestClimbKnots)));
    if (from >= to) return;
    double lo = 0.0, hi = 2.0;
    for (int i = 0; i < 10; ++i) {
        const double m = 0.5 * (lo + hi);
        ShapeClimbNodes(ap, from, to, m);
        if (ClimbPeakKnots(type, pub.bestClimbKnots) > pub.bestClimbKnots)
            lo = m;
        else
            hi = m;
    }
    ShapeClimbNodes(ap, from, to, 0.5 * (lo + hi));
    std::printf("type %d climb peak: propeller shape m = %.3f between nodes %d and %d\n", type,
                0.5 * (lo + hi), from, to);
}

// Best climb near sea level, flown at the book's best-rate speed: the thrust at full throttle
// there follows the published rate once the drag's share is within reach of it. The records
// whose efficiency goes by power take it in the reference speeds of the powers above the cruise
// settings, the turbines at full throttle (each as far as more throttle may not give less
// thrust), the others in the efficiency nodes below the cruise speeds.
void TuneClimb(int type, double gain) {
    const PublishedPerformance& pub = flight::PublishedPerformanceForType(type);
    AircraftParameters& ap = flight::MutableAircraftParametersForType(type);
    double knots = pub.bestClimbKnots;
    if (knots <= 0.0) flight::ProbeBestClimb(type, 0.0, pub.testWeightKg, &knots);
    if (knots <= 0.0) return;
    const double climb = FlownClimb(type);
    // Excess thrust needed, relative to the weight; thrust near the climb speed is about a
    // third of the weight for these aircraft.
    const double deltaRate = (pub.climbFeetPerMinute - climb) * 0.3048 / 60.0;
    const double deltaThrustShare = deltaRate / (knots * kMetresPerSecondPerKnot);
    const double factor = std::exp(gain * deltaThrustShare / 0.3);
    if (ap.apEfficiencyMode == flight::EfficiencyMode::ByPower) {
        // The power positions above the cruise settings belong to full throttle.
        double top = 0.0;
        for (const flight::CruisePoint& p : pub.cruise)
            top = std::max(top, PowerPosition(type, p));
        for (int i = static_cast<int>(top) + 1; i < 17; ++i) {
            const double v = ap.apReferenceSpeed[i] * factor;
            ap.apReferenceSpeed[i] = static_cast<std::int16_t>(std::clamp(v, 1.0, 32767.0));
        }
    } else if (ap.apThrottleCurveOn && ap.apEngineModel == flight::EngineSpeedModel::Turbine) {
        double curve[17];
        for (int i = 0; i < 17; ++i)
            curve[i] = ap.apThrottleCurve[i] * (i >= 15 ? factor : 1.0);
        KeepThrottleCurveRising(ap, curve);
    } else {
        double lowest = 1e9;
        for (const flight::CruisePoint& p : pub.cruise)
            lowest = std::min(lowest, p.trueAirspeedKnots);
        const int firstCruiseNode =
            static_cast<int>(lowest * kMetresPerSecondPerKnot / ap.apFixedReferenceSpeed * 16.0);
        // Only a best-climb speed below the cruise speeds is these nodes' to set.
        const double climbNode = knots * kMetresPerSecondPerKnot / ap.apFixedReferenceSpeed * 16.0;
        for (int i = 0; i < firstCruiseNode && climbNode < firstCruiseNode; ++i)
            ap.apEfficiency[i] = static_cast<std::int32_t>(ap.apEfficiency[i] * factor);
    }
}

// Full power level, where the book gives its speed: the throttle curve's top nodes (full
// throttle) carry it. A piston at full throttle runs its mixture rich and turns its fuel into
// power less thriftily than at a leaned cruise power, so the thrust of its power word falls
// there; the cruise and climb steps take the rest.
// The height a sea-level top speed is flown at: a height a probe's altitude hold cannot fly on
// the water.
constexpr double kTopSpeedFeet = 1000.0;
constexpr int kTopSpeedCurveNodes = 3;

// The model's full power level at a height and weight (KTAS).
double FlownFullPower(int type, double feet, double weightKg) {
    const PublishedPerformance& pub = flight::PublishedPerformanceForType(type);
    return flight::ProbeLevelSpeedAtThrottle(type, weightKg, feet, 32767,
                                             pub.cruise.back().trueAirspeedKnots);
}

// The model's full power level at the book's height and weight (KTAS); where the book names no
// height, the fastest over the cruise table's heights.
double FlownTopSpeed(int type) {
    const PublishedPerformance& pub = flight::PublishedPerformanceForType(type);
    const double weight = pub.topSpeedWeightKg > 0.0 ? pub.topSpeedWeightKg : pub.testWeightKg;
    const double start =
        pub.topSpeedKnots > 0.0 ? pub.topSpeedKnots : pub.cruise.back().trueAirspeedKnots;
    if (pub.topSpeedFeet != flight::kFastestHeight)
        return flight::ProbeLevelSpeedAtThrottle(
            type, weight, pub.topSpeedFeet > 0.0 ? pub.topSpeedFeet : kTopSpeedFeet, 32767, start);
    double fastest = 0.0;
    int last = -1;
    for (const flight::CruisePoint& p : pub.cruise) {
        if (p.altitudeFeet == last) continue;
        last = p.altitudeFeet;
        fastest = std::max(
            fastest, flight::ProbeLevelSpeedAtThrottle(type, weight, p.altitudeFeet, 32767, start));
    }
    return fastest;
}

void TuneTopSpeed(int type, double gain) {
    const PublishedPerformance& pub = flight::PublishedPerformanceForType(type);
    AircraftParameters& ap = flight::MutableAircraftParametersForType(type);
    if (pub.topSpeedKnots <= 0.0 || !ap.apThrottleCurveOn) return;
    const double top = FlownTopSpeed(type);
    const double factor = std::clamp(std::pow(pub.topSpeedKnots / top, 2.0 * gain), 0.87, 1.15);
    // The curve falls evenly (in the logarithm) over kTopSpeedCurveNodes nodes above the highest
    // cruise power's throttle to the share the top speed asks for and stays there: what full
    // throttle gives high up, where the air holds the power below the sea-level full power, runs
    // as rich.
    double highest = 0.0;
    flight::ProbeSelectAircraft(type);
    for (const flight::CruisePoint& p : pub.cruise) {
        flight::ProbePlaceInFlight(p.altitudeFeet, p.trueAirspeedKnots);
        highest = std::max<double>(
            highest, flight::ProbeThrottleForFuelFlow(
                         flight::ProbeTableFuelToKgPerHourPerEngine(type, p.fuelFlow)));
    }
    const int from = std::min(15, static_cast<int>(highest / 2048.0) + 1);
    const int to = std::min(16, from + kTopSpeedCurveNodes);
    const double share = std::clamp(ap.apThrottleCurve[16] / 32767.0 * factor, 0.3, 1.0);
    double curve[17];
    for (int i = 0; i < 17; ++i) {
        const double along = std::min(1.0, static_cast<double>(i - from) / (to - from));
        curve[i] = i <= from ? 32767.0 : 32767.0 * std::pow(share, along);
    }
    KeepThrottleCurveRising(ap, curve);
}

// Where only a heavier sibling's speed on less power bounds the top speed from below, the fit aims
// this share above the bound.
constexpr double kAboveTopSpeedBound = 1.02;

// The full-power speed a fit aims at and the model's: the book's top speed, or a little above a
// sibling's bound at the bound's height and the test weight; {0, 0} with neither.
std::pair<double, double> TopSpeedTargetAndFlown(int type) {
    const PublishedPerformance& pub = flight::PublishedPerformanceForType(type);
    if (pub.topSpeedKnots > 0.0) return {pub.topSpeedKnots, FlownTopSpeed(type)};
    if (pub.topSpeedAtLeastKnots > 0.0)
        return {kAboveTopSpeedBound * pub.topSpeedAtLeastKnots,
                FlownFullPower(type, pub.topSpeedAtLeastFeet, pub.testWeightKg)};
    return {0.0, 0.0};
}

// The speed ratio (indicated airspeed over the power's reference speed) the efficiency by power
// reads in the state the last probe left, as the engines read it.
double PowerEfficiencyRatio(const AircraftParameters& ap) {
    const flight::FlightModelState& s = flight::theFlightModelState;
    const std::int32_t reference = flight::Interpolate16(
        ap.apReferenceSpeed, static_cast<std::uint16_t>(flight::EfficiencyPowerPosition()));
    if (reference <= 0) return 0.0;
    return static_cast<double>(std::max<std::int64_t>(flight::AirspeedWordKnots16(s.fmIAS), 0)) /
           reference / 65536.0;
}

// Where the efficiency goes by power, full power near sea level flies at the highest speed ratio
// of any setting, above every cruise point's: fitted to the best-rate climb alone, its thrust kept
// falling as the speed rose, and the Bonanza's full throttle flew 4.5 kt over its 75 % row at
// 3,500 ft. Above the ratio r1 the thrust stays level; r1 is searched, never below the highest
// ratio a cruise point flies at (so the cruise table and the climb keep their thrust), until full
// power meets the book's top speed.
void TuneTopSpeedByPower(int type) {
    AircraftParameters& ap = flight::MutableAircraftParametersForType(type);
    if (ap.apEfficiencyMode != flight::EfficiencyMode::ByPower) return;
    double& r1 = kPowerEfficiencyShape[type][4];
    r1 = 0.0;
    flight::RebuildPowerEfficiency(ap, kPowerEfficiencyShape[type]);
    const auto [target, flown] = TopSpeedTargetAndFlown(type);
    if (target <= 0.0 || flown >= target) return;
    const PublishedPerformance& pub = flight::PublishedPerformanceForType(type);
    double cruiseRatio = kPowerEfficiencyShape[type][1];
    for (const flight::CruisePoint& p : pub.cruise) {
        flight::ProbeLevelFlight(type, p.altitudeFeet,
                                 flight::ProbeTableFuelToKgPerHourPerEngine(type, p.fuelFlow),
                                 p.trueAirspeedKnots, pub.testWeightKg);
        cruiseRatio = std::max(cruiseRatio, PowerEfficiencyRatio(ap));
    }
    // The table's nodes lie every sixteenth: r1 on the node above the cruise ratios leaves the
    // segments they read untouched.
    const double lowest = std::min(1.0, std::ceil(cruiseRatio * 16.0) / 16.0);
    double lo = lowest, hi = 1.0;
    for (int step = 0; step < 12; ++step) {
        r1 = 0.5 * (lo + hi);
        flight::RebuildPowerEfficiency(ap, kPowerEfficiencyShape[type]);
        if (TopSpeedTargetAndFlown(type).second < target)
            hi = r1;
        else
            lo = r1;
    }
    r1 = lo;
    flight::RebuildPowerEfficiency(ap, kPowerEfficiencyShape[type]);
    std::printf(
        "type %d top speed: thrust level above the ratio %.3f (cruise up to %.3f): %.1f "
        "KTAS, aiming at %.1f\n",
        type, r1, cruiseRatio, TopSpeedTargetAndFlown(type).second, target);
}

// A propeller pulls harder standing and slow than at the climb speed, its thrust falling about as
// the square of the speed: the efficiency nodes below the best-climb node c take the climb node's
// value times 1 + k (1 - (i / c)^2), still falling with speed, and k (at most 1) is searched
// until the roll meets the book. The nodes lie below every cruise speed and the climb speed, so
// only the take-off run and the slowest flight (the turbines' idle near the stall) feel them.
// The most a propeller's static thrust may be of its climb thrust.
constexpr double kMostStandingShare = 2.0;

// The roll a fit aims at: the book's, or, under a heavier sibling's bound, a twentieth below it.
double TakeOffRollTarget(const PublishedPerformance& pub) {
    if (pub.groundRollFeet > 0.0) return pub.groundRollFeet;
    return pub.groundRollAtMostFeet > 0.0 ? 0.95 * pub.groundRollAtMostFeet : 0.0;
}

// Where the efficiency goes by power, the take-off run lies below the ratio r0 of the indicated
// airspeed to the power's reference speed, where the thrust rises to 1 + k times its value at r0
// standing: k (at most kMostStandingShare - 1) is searched until the roll meets the book.
void TuneTakeOffByPower(int type) {
    const PublishedPerformance& pub = flight::PublishedPerformanceForType(type);
    AircraftParameters& ap = flight::MutableAircraftParametersForType(type);
    const double target = TakeOffRollTarget(pub);
    if (target <= 0.0) return;
    double lo = 0.0, hi = kMostStandingShare - 1.0;
    for (int i = 0; i < 12; ++i) {
        kPowerEfficiencyShape[type][3] = 0.5 * (lo + hi);
        flight::RebuildPowerEfficiency(ap, kPowerEfficiencyShape[type]);
        if (FlownGroundRoll(type) > target)
            lo = kPowerEfficiencyShape[type][3];
        else
            hi = kPowerEfficiencyShape[type][3];
    }
    kPowerEfficiencyShape[type][3] = hi;
    flight::RebuildPowerEfficiency(ap, kPowerEfficiencyShape[type]);
    std::printf("type %d take-off: ground roll %.0f ft (aimed at %.0f), standing %.2f of r0's\n",
                type, FlownGroundRoll(type), target, 1.0 + hi);
}

void TuneTakeOff(int type) {
    const PublishedPerformance& pub = flight::PublishedPerformanceForType(type);
    AircraftParameters& ap = flight::MutableAircraftParametersForType(type);
    if (ap.apEfficiencyMode == flight::EfficiencyMode::ByPower) {
        TuneTakeOffByPower(type);
        return;
    }
    if (pub.groundRollFeet <= 0.0 || pub.bestClimbKnots <= 0.0 ||
        ap.apEfficiencyMode != flight::EfficiencyMode::ByTrueAirspeed)
        return;
    const int climbNode =
        std::min(16, static_cast<int>(pub.bestClimbKnots * kMetresPerSecondPerKnot /
                                      ap.apFixedReferenceSpeed * 16.0));
    if (climbNode < 1) return;
    const double top = ap.apEfficiency[climbNode];
    auto shape = [&](double k) {
        for (int i = 0; i < climbNode; ++i)
            ap.apEfficiency[i] = static_cast<std::int32_t>(std::lround(
                top * (1.0 + k * (1.0 - std::pow(static_cast<double>(i) / climbNode, 2)))));
    };
    double lo = 0.0;
    double hi = kMostStandingShare - 1.0;
    const AircraftParameters before = ap;
    shape(hi);
    if (FlownGroundRoll(type) > pub.groundRollFeet) {
        std::printf("type %d take-off: the roll cannot meet the book\n", type);
        ap = before;
        return;
    }
    for (int i = 0; i < 12; ++i) {
        const double mid = 0.5 * (lo + hi);
        shape(mid);
        if (FlownGroundRoll(type) > pub.groundRollFeet) {
            lo = mid;
        } else {
            hi = mid;
        }
    }
    shape(hi);
    std::printf(
        "type %d take-off: ground roll %.0f ft (published %.0f), standing %.2f of the climb's\n",
        type, FlownGroundRoll(type), pub.groundRollFeet, 1.0 + hi);
}

// Best climb against the airframe's drag: the cruise tables fix only how thrust and drag balance
// at cruise speeds, so a record may fly with too much of both and climb far faster than the
// book. Both the drag (its share of the type's airframe drag) and the thrust at every power and
// speed then shrink together towards the ratio of the published climb to the flown one: the
// cruise speeds stay where they were while the excess of thrust over drag, and with it the climb,
// follows. Within 3 % of the book nothing moves.
bool TuneDragScale(int type) {
    const PublishedPerformance& pub = flight::PublishedPerformanceForType(type);
    AircraftParameters& ap = flight::MutableAircraftParametersForType(type);
    const double climb = FlownClimb(type);
    if (climb <= 0.0) return false;
    const double miss = pub.climbFeetPerMinute / climb;
    // A record that climbs too slowly lacks thrust at the climb speed, not drag elsewhere: the
    // climb tuning gives it that thrust. Where the propeller's shape sets the thrust at the climb
    // speed from the cruise's, the drag's share (and the thrust with it) grows instead.
    if (miss > 0.97 && !(kShapedClimb[type] && miss > 1.03)) return false;
    // Half the step in the logarithm: near the pilot's steepest attitude the climb answers the
    // excess thrust more than in proportion.
    const double ratio = std::clamp(std::sqrt(miss), 0.8, 1.25);
    ap.apDragScale *= ratio;
    if (ap.apEfficiencyMode == flight::EfficiencyMode::ByPower) {
        kPowerEfficiencyShape[type][0] *= ratio;
        flight::RebuildPowerEfficiency(ap, kPowerEfficiencyShape[type]);
    } else {
        for (std::int32_t& e : ap.apEfficiency)
            e = static_cast<std::int32_t>(std::lround(e * ratio));
    }
    return true;
}

// Service ceiling: the power limit falls off above the cruise tables at the rate that puts the
// ceiling at 98 % of the published one.
void TuneCeiling(int type) {
    const PublishedPerformance& pub = flight::PublishedPerformanceForType(type);
    AircraftParameters& ap = flight::MutableAircraftParametersForType(type);
    // Aim just under the published ceiling, but leave the top of the cruise table its power.
    double top = 0.0;
    for (const flight::CruisePoint& p : pub.cruise)
        top = std::max<double>(top, p.altitudeFeet);
    const double target =
        std::min(std::max(pub.ceilingFeet * 0.98, top + 1500.0), pub.ceilingFeet * 1.08);
    double lo = 0.0;
    double hi = 0.01;
    // A ceiling the engines reach by themselves within 8 % keeps the power the cruise table
    // needs up there.
    ap.apFalloffPerMetre = 0.0;
    flight::RebuildAltitudeBands(ap);
    if (flight::ProbeServiceCeiling(type, pub.testWeightKg) <= pub.ceilingFeet * 1.08) return;
    // Some ceilings are not the power limit's to set (the King Air's condition levers hold a
    // floor of power at any altitude): then the limit is left alone.
    ap.apFalloffPerMetre = hi;
    flight::RebuildAltitudeBands(ap);
    if (flight::ProbeServiceCeiling(type, pub.testWeightKg) > target) {
        ap.apFalloffPerMetre = 0.0;
        flight::RebuildAltitudeBands(ap);
        return;
    }
    for (int i = 0; i < 24; ++i) {
        const double mid = 0.5 * (lo + hi);
        ap.apFalloffPerMetre = mid;
        flight::RebuildAltitudeBands(ap);
        if (flight::ProbeServiceCeiling(type, pub.testWeightKg) > target) {
            lo = mid;
        } else {
            hi = mid;
        }
    }
    ap.apFalloffPerMetre = hi;
    flight::RebuildAltitudeBands(ap);
}

double WorstTasError(int type) {
    double worst = 0.0;
    for (const PointResult& r : FlyCruiseTable(type)) {
        worst = std::max(worst, std::fabs(r.tas / r.point.trueAirspeedKnots - 1.0));
    }
    return worst;
}

// For engines with altitude-compensated power, the altitude factor decides how much a full-rich
// mixture costs with height: search the straight line that, with the efficiency retuned,
// leaves the smallest worst cruise error.
void TuneCompensation(int type) {
    AircraftParameters& ap = flight::MutableAircraftParametersForType(type);
    if (!ap.apAltitudeCompensated) return;
    const AircraftParameters start = ap;
    AircraftParameters best = ap;
    double bestError = WorstTasError(type);
    for (double seaLevel : {1.0, 0.9, 0.8, 0.7}) {
        for (double perMetre : {0.0001, 0.0002, 0.00025, 0.0003, 0.00035, 0.0004, 0.0005}) {
            ap = start;
            ap.apCompensationAtSeaLevel = seaLevel;
            ap.apCompensationPerMetre = perMetre;
            flight::RebuildAltitudeBands(ap);
            for (int round = 0; round < 8; ++round) {
                TuneEfficiency(type, FlyCruiseTable(type), 0.8);
                KeepThrustRisingAsSpeedFalls(type);
            }
            const double e = WorstTasError(type);
            std::printf("compensation %.2f %.5f: worst %.2f %%\n", seaLevel, perMetre, e * 100.0);
            if (e < bestError) {
                bestError = e;
                best = ap;
            }
        }
    }
    ap = best;
}

// The Skyhawk's handbook propeller speeds at the cruise powers: its fixed-pitch propeller turns
// about 2,200 rpm at 55 % and 2,400 at 75 % (C172N handbook, cruise performance; power as the
// cube of the speed between). The governed types' settings are flight::PublishedCruiseGauges.
double HandbookCruiseRpm(int powerPercent) {
    return 2400.0 * std::cbrt(powerPercent / 75.0);
}
// The tachometer of the fixed-pitch propeller at the cruise powers: the handbook's cruise table
// turns about 2,200 rpm at 55 % power and 2,400 at 75 %, a propeller's power rising as the cube
// of its speed between them. The engine speed at a throttle position (the static speed, to which
// the airflow adds its windmilling share) is tuned until each cruise point, flown level, reads
// its rpm; more throttle never turns the engine slower.
void TuneFixedPitchSpeed(int type) {
    AircraftParameters& ap = flight::MutableAircraftParametersForType(type);
    if (ap.apEngineModel != flight::EngineSpeedModel::FixedPitch) return;
    const PublishedPerformance& pub = flight::PublishedPerformanceForType(type);
    for (int round = 0; round < 6; ++round) {
        NodeCorrections nodes;
        double worst = 0.0;
        for (const flight::CruisePoint& p : pub.cruise) {
            flight::ProbeLevelFlight(type, p.altitudeFeet,
                                     flight::ProbeTableFuelToKgPerHourPerEngine(type, p.fuelFlow),
                                     p.trueAirspeedKnots, pub.testWeightKg);
            const double rpm = flight::theFlightModelState.fmAdjustedTach;
            const double target = HandbookCruiseRpm(p.powerPercent);
            worst = std::max(worst, std::fabs(rpm - target));
            if (rpm > 0.0) nodes.Add(flight::theFlightModelState.fmThrot / 2048.0, target / rpm);
        }
        std::printf("engine speed round %d: worst %.0f rpm from the handbook's\n", round, worst);
        for (int i = 0; i < 17; ++i) {
            if (nodes.den[i] <= 0.0) continue;
            // The whole speed moves by the factor; the static part carries the change.
            ap.apStaticRpm[i] = static_cast<std::int16_t>(
                std::lround(ap.apStaticRpm[i] + (nodes.Factor(i) - 1.0) * 2300.0));
        }
        for (int i = 1; i < 17; ++i)
            ap.apStaticRpm[i] = std::max(ap.apStaticRpm[i], ap.apStaticRpm[i - 1]);
    }
}

// The flight beyond the fitted points: the keyboard's stall held and let go, the idle altitude
// hold, full power level at three heights and the idle roll.
void ReportEnvelope(int type) {
    const PublishedPerformance& pub = flight::PublishedPerformanceForType(type);
    const int pull = 6 * 25 * (flight::ElevatorStepForType(type) + 1);
    const double start = 1.5 * pub.stallCleanKnots > 0 ? 1.5 * pub.stallCleanKnots : 130.0;
    const flight::ElevatorStallResult st =
        flight::ProbeElevatorStall(type, pub.testWeightKg, 5000.0, start, pull, 60.0, 60.0);
    const flight::ElevatorStallResult full =
        flight::ProbeElevatorStall(type, pub.testWeightKg, 5000.0, start, 60000, 60.0, 60.0);
    std::printf(
        "type %d stall fully back: nose %+.0f..%+.0f deg, %.0f..%.0f KIAS, lost %.0f ft; released: "
        "lost %.0f ft, fastest %.0f KIAS%s\n",
        type, full.lowestPitch, full.highestPitch, full.slowestKnots, full.fastestKnots,
        full.heightLostFeet, full.recoveryLossFeet, full.fastestAfterKnots,
        full.crashed ? " CRASHED" : "");
    std::printf(
        "type %d stall held: nose %+.0f..%+.0f deg, %.0f..%.0f KIAS, lost %.0f ft; released: lost "
        "%.0f ft, fastest %.0f KIAS%s\n",
        type, st.lowestPitch, st.highestPitch, st.slowestKnots, st.fastestKnots, st.heightLostFeet,
        st.recoveryLossFeet, st.fastestAfterKnots, st.crashed ? " CRASHED" : "");
    const flight::IdleHoldResult hold =
        flight::ProbeIdleAltitudeHold(type, pub.testWeightKg, 5000.0, start, 180.0);
    std::printf(
        "type %d idle altitude hold: nose %+.0f..%+.0f deg, %.0f..%.0f KIAS, lowest %.0f ft%s\n",
        type, hold.lowestPitch, hold.highestPitch, hold.slowestKnots, hold.fastestKnots,
        hold.lowestFeet, hold.crashed ? " CRASHED" : "");
    for (double feet : {1000.0, 4000.0, 8000.0})
        std::printf("type %d full power at %.0f ft: %.1f KTAS\n", type, feet,
                    flight::ProbeLevelSpeedAtThrottle(type, pub.testWeightKg, feet, 32767,
                                                      pub.cruise.back().trueAirspeedKnots));
    for (double knots : {45.0, 60.0})
        std::printf("type %d idle roll from %.0f KIAS: %.1f KIAS after 24 s\n", type, knots,
                    flight::ProbeIdleRoll(type, pub.testWeightKg, knots, 24.0));
    for (double k = -20; k <= 20; k += 10) {
        const double knots = (pub.bestClimbKnots > 0 ? pub.bestClimbKnots : 160.0) + k;
        std::printf("type %d flown climb at %.0f KIAS: %.0f ft/min\n", type, knots,
                    flight::ProbeFlownClimb(type, pub.testWeightKg, knots));
    }
}

// ---- the table of every figure -------------------------------------------------------------

// One published figure against the model's: a miss beyond the tolerance (a share of the book's
// figure, or knots when `knots` is set) fails the fit. A figure with no public source is shown
// beside the model's value and never fails.
struct Figure {
    std::string what;
    double book = 0;  // NaN: no public figure
    double model = 0;
    double tolerance = 0.10;
    bool knots = false;
    std::string note;

    [[nodiscard]] bool Published() const { return !std::isnan(book); }
    [[nodiscard]] bool Met() const {
        if (!Published()) return true;
        return knots ? std::fabs(model - book) <= tolerance
                     : std::fabs(model - book) <= tolerance * std::fabs(book);
    }
};

Figure Fig(std::string what, double book, double model, double tolerance = 0.10, bool knots = false,
           std::string note = "") {
    return Figure{std::move(what), book, model, tolerance, knots, std::move(note)};
}

constexpr double kNoFigure = std::numeric_limits<double>::quiet_NaN();
// Notes of the figures that bound the model's from one side only.
constexpr const char* kSlowerThanStart = "slower than the start";
constexpr const char* kAtMost = "a heavier sibling's figure, at most";
// The ground roll is the first part of the type's own take-off distance (to 50 ft, or the jet's
// field length): where no page gives the roll itself, that distance bounds it.
constexpr const char* kWithinTakeOffDistance = "its take-off distance, at most";
constexpr const char* kAtLeast = "a heavier sibling's on less power, at least";
constexpr double kSpeedTolerance = 0.05;  // top and cruise speeds
constexpr double kBestRateKnots = 10.0;   // the climb curve's peak from the book's speed
// The idle roll: from 60 KIAS with the throttles closed and no brakes, a half-minute later at
// least this much slower (the rolling friction alone takes about 9 kt in 24 s).
constexpr double kIdleRollStartKnots = 60.0;
constexpr double kIdleRollSeconds = 24.0;
constexpr double kIdleRollSlowing = 5.0;

// The King Air's torque word in foot-pounds (200 at full power, the PT6A-42's 2,230 ft-lb).
constexpr double kFootPoundsPerTorqueUnit = 11.1496;
constexpr const char* kTorqueLimit = "the engine's limit, at most";

// The Bonanza's 65 % row at 8,000 ft (163 KTAS on 13.3 gal/h) as an earlier V35 of the same
// airframe and 285 hp flies it: "at 8,000 feet using a power setting of 21 inches (full
// throttle) at 2,300 rpm, and burns slightly more than 13 gallons an hour", for "165 knots TAS"
// (AOPA Pilot, January 2011, "A lucky find",
// aopa.org/news-and-media/all-news/2011/january/pilot/a-lucky-find).
constexpr int kBonanzaSettingFeet = 8000;
constexpr int kBonanzaSettingPercent = 65;
constexpr double kBonanzaSettingRpm = 2300.0;
constexpr double kBonanzaSettingInches = 21.0;

// The climb curve a pilot flies at full power (the book's best-rate speed +-20 kt in 5-kt steps):
// the speed of its peak, the vertex of the parabola fitted (least squares) to the best rate and the
// two either side of it; a propeller's curve is flat near its peak, and three points alone made
// the vertex jump by ten knots for a few feet a minute.
double ClimbPeakKnots(int type, double around) {
    const PublishedPerformance& pub = flight::PublishedPerformanceForType(type);
    std::array<double, 9> rate{};
    for (int i = 0; i < 9; ++i)
        rate[i] = flight::ProbeFlownClimb(type, pub.testWeightKg, around - 20.0 + 5.0 * i);
    const int best = static_cast<int>(std::max_element(rate.begin(), rate.end()) - rate.begin());
    const int first = std::max(0, best - 2), last = std::min(8, best + 2);
    // Normal equations of y = a + b x + c x^2, x in 5-kt steps from the best point.
    double m[3][4] = {};
    for (int i = first; i <= last; ++i) {
        const double x = i - best;
        const double p[3] = {1.0, x, x * x};
        for (int r = 0; r < 3; ++r) {
            for (int c = 0; c < 3; ++c)
                m[r][c] += p[r] * p[c];
            m[r][3] += p[r] * rate[i];
        }
    }
    const double at = around - 20.0 + 5.0 * best;
    if (last - first < 2) return at;
    for (int k = 0; k < 3; ++k)
        for (int r = k + 1; r < 3; ++r) {
            const double f = m[r][k] / m[k][k];
            for (int c = k; c < 4; ++c)
                m[r][c] -= f * m[k][c];
        }
    const double c2 = m[2][3] / m[2][2];
    const double c1 = (m[1][3] - m[1][2] * c2) / m[1][1];
    if (c2 >= 0.0) return at;
    const double vertex = std::clamp(-c1 / (2.0 * c2), first - best - 0.5, last - best + 0.5);
    return at + 5.0 * vertex;
}

std::vector<Figure> Figures(int type) {
    const PublishedPerformance& pub = flight::PublishedPerformanceForType(type);
    std::vector<Figure> rows;
    char what[160];
    // Full power, level on the altitude hold, at the book's height (a sea-level figure at
    // 1,000 ft) and weight.
    if (pub.topSpeedFeet == flight::kFastestHeight)
        std::snprintf(what, sizeof what,
                      "top speed, full power at its fastest height, %.0f kg (KTAS)",
                      pub.topSpeedWeightKg > 0 ? pub.topSpeedWeightKg : pub.testWeightKg);
    else
        std::snprintf(what, sizeof what, "top speed, full power at %.0f ft (KTAS)",
                      pub.topSpeedFeet > 0 ? pub.topSpeedFeet : kTopSpeedFeet);
    std::string sibling;
    if (pub.topSpeedSibling) sibling = std::string("the ") + pub.topSpeedSibling + "'s figure";
    if (pub.topSpeedKnots > 0 || pub.topSpeedAtLeastKnots <= 0) {
        rows.push_back(Fig(what, pub.topSpeedKnots > 0 ? pub.topSpeedKnots : kNoFigure,
                           FlownTopSpeed(type), kSpeedTolerance, false,
                           pub.topSpeedKnots > 0 ? sibling : "no public figure"));
    } else {
        std::snprintf(what, sizeof what, "top speed, full power at %.0f ft (KTAS, at least)",
                      pub.topSpeedAtLeastFeet);
        rows.push_back(Fig(what, pub.topSpeedAtLeastKnots,
                           FlownFullPower(type, pub.topSpeedAtLeastFeet, pub.testWeightKg), 0.0,
                           false, sibling + ", " + kAtLeast));
    }
    // The cruise table, with the gauges' readings where the handbook gives them.
    for (const flight::CruisePoint& p : pub.cruise) {
        const double kgh = flight::ProbeTableFuelToKgPerHourPerEngine(type, p.fuelFlow);
        const flight::LevelFlightResult r = flight::ProbeLevelFlight(
            type, p.altitudeFeet, kgh, p.trueAirspeedKnots, pub.testWeightKg);
        std::snprintf(what, sizeof what, "cruise %5d ft %2d%%: true airspeed (kt)", p.altitudeFeet,
                      p.powerPercent);
        rows.push_back(
            Fig(what, p.trueAirspeedKnots, r.crashed ? 0.0 : r.trueAirspeedKnots, kSpeedTolerance));
        std::snprintf(what, sizeof what, "cruise %5d ft %2d%%: fuel flow gauge (%s)",
                      p.altitudeFeet, p.powerPercent,
                      pub.fuelInGallons ? "gal/h an engine" : "lb/h an engine");
        double gauge = 0;
        if (pub.fuelInGallons)
            gauge = cockpit::PistonFuelFlowGallons(0);
        else if (type == 4)
            gauge = cockpit::TurbineTorque(type, 0) * 2.2;
        else
            gauge = flight::theFlightModelState.fmEnginePower[0] * 2.2;  // no flow gauge
        rows.push_back(
            Fig(what, pub.fuelPerEngine || pub.fuelInGallons ? p.fuelFlow : p.fuelFlow / 2.0, gauge,
                0.10, false, type == 3 ? "the burn (the panel shows no flow)" : ""));
        if (type == 0) {
            std::snprintf(what, sizeof what, "cruise %5d ft %2d%%: tachometer (rpm)",
                          p.altitudeFeet, p.powerPercent);
            rows.push_back(Fig(what, HandbookCruiseRpm(p.powerPercent),
                               static_cast<double>(flight::theFlightModelState.fmAdjustedTach),
                               0.10));
        }
        const flight::PublishedCruiseGauges& gauges = flight::PublishedCruiseGaugesForType(type);
        if (type == 1 || type == 2) {
            double bookRpm = kNoFigure;
            for (const flight::CruiseRpm& c : gauges.rpm)
                if (c.powerPercent == p.powerPercent) bookRpm = c.rpm;
            const bool v35 = type == 1 && p.altitudeFeet == kBonanzaSettingFeet &&
                             p.powerPercent == kBonanzaSettingPercent;
            if (v35) bookRpm = kBonanzaSettingRpm;
            std::snprintf(what, sizeof what, "cruise %5d ft %2d%%: tachometer (rpm)",
                          p.altitudeFeet, p.powerPercent);
            rows.push_back(Fig(what, bookRpm, flight::theFlightModelState.fmEngineSpeed[0], 0.10,
                               false,
                               v35                    ? "a V35's setting"
                               : std::isnan(bookRpm) ? "no public figure"
                                                     : ""));
            std::optional<double> inches =
                flight::BookManifoldInches(type, p.powerPercent, p.altitudeFeet,
                                           p.trueAirspeedKnots);
            if (v35) inches = kBonanzaSettingInches;
            std::snprintf(what, sizeof what, "cruise %5d ft %2d%%: manifold pressure (in. Hg)",
                          p.altitudeFeet, p.powerPercent);
            rows.push_back(Fig(what, inches.value_or(kNoFigure), cockpit::ManifoldPressure(0), 0.10,
                               false,
                               v35      ? "a V35's setting"
                               : inches ? ""
                                        : "no public figure"));
        }
        if (type == 3) {
            std::snprintf(what, sizeof what, "cruise %5d ft %2d%%: torque (ft-lb an engine, at most)",
                          p.altitudeFeet, p.powerPercent);
            const bool limit = gauges.torqueLimitFootPounds > 0;
            rows.push_back(Fig(what, limit ? gauges.torqueLimitFootPounds : kNoFigure,
                               cockpit::TurbineTorque(type, 0) * kFootPoundsPerTorqueUnit, 0.0, false,
                               limit ? kTorqueLimit : "no public figure"));
        }
    }
    // The best-rate climb and the speed of the climb curve's peak.
    double knots = pub.bestClimbKnots;
    if (knots <= 0.0) flight::ProbeBestClimb(type, 0.0, pub.testWeightKg, &knots);
    rows.push_back(Fig("climb at the best-rate speed (ft/min)", pub.climbFeetPerMinute,
                       flight::ProbeFlownClimb(type, pub.testWeightKg, knots)));
    rows.push_back(Fig("best-rate speed, the climb curve's peak (KIAS)",
                       pub.bestClimbKnots > 0 ? pub.bestClimbKnots : kNoFigure,
                       ClimbPeakKnots(type, knots), kBestRateKnots, true,
                       pub.bestClimbKnots > 0 ? "" : "no public figure"));
    rows.push_back(Fig("stall, flaps up (KCAS)",
                       pub.stallCleanKnots > 0 ? pub.stallCleanKnots : kNoFigure,
                       flight::ProbeStallSpeed(type, 0, pub.testWeightKg), 0.10, false,
                       pub.stallCleanKnots > 0 ? "" : "no public figure"));
    rows.push_back(Fig("stall, landing configuration (KCAS)", pub.stallFlapsKnots,
                       flight::ProbeStallSpeed(type, 9, pub.testWeightKg)));
    rows.push_back(Fig("service ceiling (ft)", pub.ceilingFeet,
                       flight::ProbeServiceCeiling(type, pub.testWeightKg)));
    if (pub.groundRollFeet > 0 || (pub.groundRollAtMostFeet <= 0 && pub.over50FeetFeet <= 0))
        rows.push_back(Fig(
            "take-off ground roll (ft)", pub.groundRollFeet > 0 ? pub.groundRollFeet : kNoFigure,
            FlownGroundRoll(type), 0.10, false, pub.groundRollFeet > 0 ? "" : "no public figure"));
    else if (pub.groundRollAtMostFeet > 0)
        rows.push_back(Fig("take-off ground roll (ft, at most)", pub.groundRollAtMostFeet,
                           FlownGroundRoll(type), 0.0, false, kAtMost));
    else
        rows.push_back(Fig("take-off ground roll (ft, at most)", pub.over50FeetFeet,
                           FlownGroundRoll(type), 0.0, false, kWithinTakeOffDistance));
    std::snprintf(what, sizeof what, "idle roll from %.0f KIAS, %.0f s later (KIAS, at most)",
                  kIdleRollStartKnots, kIdleRollSeconds);
    rows.push_back(
        Fig(what, kIdleRollStartKnots - kIdleRollSlowing,
            flight::ProbeIdleRoll(type, pub.testWeightKg, kIdleRollStartKnots, kIdleRollSeconds),
            0.0, true, kSlowerThanStart));
    return rows;
}

// Prints the figures of a type; returns how many miss.
int PrintFigures(int type, const std::vector<Figure>& rows) {
    int missed = 0;
    for (const Figure& f : rows) {
        const bool atMost = f.note == kSlowerThanStart || f.note == kAtMost ||
                            f.note == kWithinTakeOffDistance || f.note == kTorqueLimit;
        const bool atLeast = f.note.find(kAtLeast) != std::string::npos;
        const bool met = atMost ? f.model <= f.book : atLeast ? f.model >= f.book : f.Met();
        missed += met ? 0 : 1;
        if (!f.Published()) {
            std::printf("type %d  %-58s %9s %9.1f %8s  %s\n", type, f.what.c_str(), "-", f.model,
                        "", f.note.c_str());
        } else {
            const double error = f.knots ? f.model - f.book : (f.model / f.book - 1.0) * 100.0;
            std::printf("type %d  %-58s %9.1f %9.1f %+7.1f%s %s%s%s\n", type, f.what.c_str(),
                        f.book, f.model, error, f.knots ? "kt" : "% ", met ? "ok" : "MISS",
                        f.note.empty() ? "" : "  ", f.note.c_str());
        }
    }
    return missed;
}

// The take-off trim of the ready-to-fly flights and the first flight: the keyboard take-off (full
// power; at the rotation speed the Down key held until it stops moving the elevator, 25 of its
// steps; once climbing, about kGiveBackSeconds after the lift-off, the Up key held as long to give
// the pull back), flown at sea level and from two high fields (kTakeOffFieldFeet), lifts the
// aircraft off within kLiftOffKnots above the rotation speed with its
// nose under kMostTakeOffPitch, and among such trims the one whose climb, hands off on the trim,
// comes nearest the best-rate speed is taken (for the jet, whose manual gives none, the peak of
// its climb curve); searched in steps of 25. The trim holds the best-rate climb hands off; the
// pull lifts the aircraft off near the rotation speed. A hold takes a second and a third, in
// which the aircraft gains 3 to 5 knots, so the pilot begins it kPullLeadKnots before the rotation
// speed. The CitationJet's angle between its lift-off and its climb, its elevator moving in a
// quarter of the Skyhawk's steps, takes four holds, begun further ahead. The Bonanza's best-rate
// climb lies 37 knots above its rotation speed, beyond the reach of one hold: on a trim that
// climbs within 8 knots of 107 KIAS one hold lifts it off 8 to 9 knots late, so it takes two,
// begun 5 knots early. The elevator sets the wing's angle at once, so a pull given back faster
// than the speed builds sinks the aircraft: its two holds given back together ten seconds after
// the lift-off sink it 1,700 ft a minute (from the pulled climb's 62 to 66 knots to 100 the
// aircraft gains the kinetic energy of some 250 ft of height). Given back a hold at a time, 7 s
// after the lift-off and 18 s later, each hold still takes a sixth of the wing's lift at once:
// it climbs on at sea level, but high up, with less thrust to spare, each hold sinks it 200 to
// 300 ft a minute until the speed has caught up, at any trim and any timing of the two holds.
// Eased off a press of Up at a time, one every 1 to 1.2 s from 3 s after the lift-off (about as
// fast as the speed builds at full power), the wing's lift never falls far below the weight: it
// climbs without sinking at every field (`--type 1 --give-back 3 -1.2 --verbose`; faster
// presses, one every 0.6 s, sink it 300 to 400 ft a minute high up).
// The Skyhawk's one hold held ten seconds zooms it into a climb its engine cannot keep (1,200 ft a
// minute at sea level, 800 at 5,883 ft, the speed falling), and given back at the top of that
// zoom at 5,883 ft it sank 310 ft a minute, at 7,539 ft 400: with more thrust (a third more, its
// sea level's to spare) it did not, so the zoom, not the height's air data, sinks it. Given back
// in one hold three seconds after the lift-off, as the climb begins, it still settled 3 to 10 ft
// high up; eased off a press at a time, one every 1.2 s from then, it never sinks and climbs on
// at its best-rate speed. The Bonanza eases its fifty steps off one every 1.5 s: one a second
// still outran the speed at Gunnison (7,680 ft) and Leadville (9,934 ft), where the climb on the
// eased pull came to a stop and the aircraft sank 1 to 10 ft as the elevator reached its trim.
// The Baron's one hold given back at once sank it 3 ft at Leadville: it eases its 25 steps off
// two a second from 10 s after the lift-off.
int kPullHolds[5] = {1, 2, 1, 1, 4};
double kPullLeadKnots[5] = {3.0, 5.0, 3.0, 3.0, 24.0};
// Seconds from one hold of Up to the next as the pull is given back (0: one after the other;
// less than 0: single presses, one every that many seconds).
double kGiveBackSpacingSeconds[5] = {-1.2, -1.5, -0.5, 0.0, 0.0};
// A knot and more short of the 6 the README promises: the program's lift-off, read from its
// places, comes up to 3 knots later than the probe's.
constexpr double kLiftOffKnots = 4.0;
double kGiveBackSeconds[5] = {3.0, 3.0, 10.0, 10.0, 10.0};
constexpr double kMostTakeOffPitch = 19.0;
// No porpoise: once 50 ft up, the climb-out never sinks more than this over two seconds (the
// take-off test allows 200 ft a minute).
constexpr double kMostClimbOutSinkFpm = 100.0;
// High up, where the climb is slower, a brief settling as the pull is given back is allowed up to
// this (still a margin below the take-off test's 200).
constexpr double kMostHighFieldSinkFpm = 150.0;

// The fields the take-off is flown from: sea level and two high fields of the public data
// (Centennial, 5,883 ft; San Luis Valley, 7,539 ft). The indicated airspeeds of the lift-off and
// the climb are those of sea level; the climb is slower, and the pull's giving back may not sink
// it there either.
constexpr double kTakeOffFieldFeet[] = {0.0, 5883.0, 7539.0};

// The keyboard take-off at every field: the worst of each figure.
struct TakeOffAtFields {
    bool liftedOff = true;
    double lowestLiftOff = 1e9, highestLiftOff = 0, climbMiss = 0, highestPitch = 0,
           mostSink = 0, mostSinkHigh = 0;
    flight::KeyboardTakeOffResult seaLevel;
};

TakeOffAtFields FlyTakeOffAtFields(int type, int trim, double bestRate, bool verbose,
                                   bool seaLevelOnly) {
    const PublishedPerformance& pub = flight::PublishedPerformanceForType(type);
    TakeOffAtFields w;
    for (const double field : kTakeOffFieldFeet) {
        if (seaLevelOnly && field > 0.0) break;
        const flight::KeyboardTakeOffResult r = flight::ProbeKeyboardTakeOff(
            type, pub.testWeightKg, static_cast<std::int16_t>(trim), kPullHolds[type],
            pub.rotationKnots - kPullLeadKnots[type], kGiveBackSeconds[type],
            kGiveBackSpacingSeconds[type], field);
        if (field == 0.0) w.seaLevel = r;
        if (verbose && r.liftedOff)
            std::printf(
                "  trim %d at %.0f ft: lift-off %.1f KIAS, climb %.1f KIAS at %.1f deg, nose at "
                "most %.1f deg, slowest after 50 ft %.1f KIAS, sink at most %.0f fpm\n",
                trim, field, r.liftOffKnots, r.climbKnots, r.climbPitch, r.highestPitch,
                r.lowestKnots, r.mostSinkFpm);
        w.liftedOff = w.liftedOff && r.liftedOff && r.climbKnots > 0.0;
        w.lowestLiftOff = std::min(w.lowestLiftOff, r.liftOffKnots);
        w.highestLiftOff = std::max(w.highestLiftOff, r.liftOffKnots);
        w.climbMiss = std::max(w.climbMiss, std::fabs(r.climbKnots - bestRate));
        w.highestPitch = std::max(w.highestPitch, r.highestPitch);
        (field > 0.0 ? w.mostSinkHigh : w.mostSink) =
            std::max(field > 0.0 ? w.mostSinkHigh : w.mostSink, r.mostSinkFpm);
    }
    return w;
}

void ReportTakeOffTrim(int type, bool verbose) {
    const PublishedPerformance& pub = flight::PublishedPerformanceForType(type);
    const double bestRate =
        pub.bestClimbKnots > 0.0 ? pub.bestClimbKnots : ClimbPeakKnots(type, 150.0);
    // Where no trim meets the figures at every field, the sea level's alone are met and the
    // high fields' shortfall reported.
    for (const bool seaLevelOnly : {false, true}) {
        double bestMiss = 1e9;
        int bestTrim = 0;
        TakeOffAtFields best;
        for (int trim = -4000; trim <= 10000; trim += 25) {
            const TakeOffAtFields w = FlyTakeOffAtFields(type, trim, bestRate, verbose, seaLevelOnly);
            if (!w.liftedOff || w.lowestLiftOff < pub.rotationKnots - 1.0 ||
                w.highestLiftOff > pub.rotationKnots + kLiftOffKnots ||
                w.highestPitch > kMostTakeOffPitch || w.mostSink > kMostClimbOutSinkFpm ||
                w.mostSinkHigh > kMostHighFieldSinkFpm)
                continue;
            if (w.climbMiss < bestMiss) {
                bestMiss = w.climbMiss;
                bestTrim = trim;
                best = w;
            }
        }
        if (bestMiss >= 1e9) {
            std::printf("type %d: no take-off trim meets the figures at every field\n", type);
            continue;
        }
        const TakeOffAtFields all = FlyTakeOffAtFields(type, bestTrim, bestRate, false, false);
        const flight::KeyboardTakeOffResult& r = best.seaLevel;
        std::printf(
            "type %d take-off trim %d: lift-off %.1f KIAS (rotation %.0f), climb %.1f KIAS (best "
            "rate %.0f) at %.1f deg, nose at most %.1f deg, slowest after 50 ft %.1f KIAS, sink "
            "at most %.0f fpm; at every field lift-off %.1f to %.1f KIAS, climb within %.1f kt, "
            "sink at most %.0f fpm high up\n",
            type, bestTrim, r.liftOffKnots, pub.rotationKnots, r.climbKnots, bestRate,
            r.climbPitch, r.highestPitch, r.lowestKnots, r.mostSinkFpm, all.lowestLiftOff,
            all.highestLiftOff, all.climbMiss, all.mostSinkHigh);
        return;
    }
}

template <typename T>
std::string Row(const char* type, const char* name, const T* values) {
    std::string s = std::string("inline constexpr ") + type + " " + name + "[17] = {";
    for (int i = 0; i < 17; ++i) {
        s += std::to_string(values[i]);
        if (i < 16) s += ", ";
    }
    return s + "};\n";
}

// The five records' pairs of two fields, in `format` (two numbers, then the separator).
std::string PairRows(const char* format, double AircraftParameters::*first,
                     double AircraftParameters::*second) {
    std::string s;
    for (int t = 0; t < 5; ++t) {
        char buf[96];
        const AircraftParameters& ap = flight::AircraftParametersForType(t);
        std::snprintf(buf, sizeof buf, format, ap.*first, ap.*second, t < 4 ? ", " : "};\n");
        s += buf;
    }
    return s;
}

bool WriteTables(const char* path) {
    const char* names[5] = {"kEfficiency172", "kEfficiencyBonanza", "kEfficiencyBaron",
                            "kEfficiencyKingAir", "kEfficiencyCitationJet"};
    std::string text =
        "// The tuned thrust tables of the five aircraft records. tools/fmfit writes this file: "
        "it\n"
        "// tunes the tables until trimmed level flight meets the published cruise tables (run\n"
        "// \"fmfit --fit --write flight/aircraft_data.h\" from the source folder to "
        "regenerate).\n"
        "#pragma once\n\n#include <cstdint>\n\nnamespace flight {\n\n"
        "// Propeller (or fan) efficiency by true airspeed over the record's reference speed, "
        "Q16.\n";
    for (int t = 0; t < 5; ++t) {
        const AircraftParameters& ap = flight::AircraftParametersForType(t);
        if (ap.apEfficiencyMode != flight::EfficiencyMode::ByPower)
            text += Row("std::int32_t", names[t], ap.apEfficiency);
    }
    text +=
        "\n// Reference speed (knots indicated) by power position of the records whose efficiency "
        "goes by\n// power.\n";
    text += Row("std::int16_t", "kReferenceSpeedBonanza",
                flight::AircraftParametersForType(1).apReferenceSpeed);
    text += Row("std::int16_t", "kReferenceSpeedBaron",
                flight::AircraftParametersForType(2).apReferenceSpeed);
    text +=
        "\n// Efficiency by power {A, r0, n, k, r1}: A / r^n between the ratios r0 and r1, A / "
        "r0^n "
        "(1 + k (1 -\n// (r / r0)^2)) below r0, A / r1^n above r1 (r1 0: none).\n"
        "inline constexpr double kPowerEfficiency[5][5] = {";
    for (int t = 0; t < 5; ++t) {
        char buf[128];
        std::snprintf(buf, sizeof buf, "{%.9g, %.9g, %.9g, %.9g, %.9g}%s",
                      kPowerEfficiencyShape[t][0], kPowerEfficiencyShape[t][1],
                      kPowerEfficiencyShape[t][2], kPowerEfficiencyShape[t][3],
                      kPowerEfficiencyShape[t][4], t < 4 ? ", " : "};\n");
        text += buf;
    }
    text +=
        "\n// Altitude lapse of the constant-speed piston engines' thrust, Q16, every 1024 m.\n";
    text += Row("std::uint16_t", "kLapseBonanza", flight::AircraftParametersForType(1).apLapse);
    text += Row("std::uint16_t", "kLapseBaron", flight::AircraftParametersForType(2).apLapse);
    text +=
        "\n// Engine speed of the fixed-pitch propeller by throttle position, standing still "
        "(rpm); the\n// airflow adds its windmilling share.\n";
    text += Row("std::int16_t", "kStaticRpm172", flight::AircraftParametersForType(0).apStaticRpm);
    text += "\n// Thrust by throttle position of the turbines and the Skyhawk, Q15.\n";
    text += Row("std::int16_t", "kThrottleCurve172",
                flight::AircraftParametersForType(0).apThrottleCurve);
    text += Row("std::int16_t", "kThrottleCurveKingAir",
                flight::AircraftParametersForType(3).apThrottleCurve);
    text += Row("std::int16_t", "kThrottleCurveCitationJet",
                flight::AircraftParametersForType(4).apThrottleCurve);
    text +=
        "\n// Power-limit fall-off above the cruise tables {start in metres, rate per metre}; it "
        "sets the\n"
        "// service ceiling.\ninline constexpr double kCeilingFalloff[5][2] = {";
    text += PairRows("{%.0f, %.9g}%s", &AircraftParameters::apFalloffStartMetres,
                     &AircraftParameters::apFalloffPerMetre);
    text +=
        "\n// Altitude factor of the altitude-compensated engines {share at sea level, loss per "
        "metre};\n"
        "// {0, 0} takes the density ratio.\ninline constexpr double kCompensation[5][2] = {";
    text += PairRows("{%.9g, %.9g}%s", &AircraftParameters::apCompensationAtSeaLevel,
                     &AircraftParameters::apCompensationPerMetre);
    text +=
        "\n// Share of the type's airframe drag each record flies with (the parasite drag and the "
        "induced\n// drag between the low and high speeds).\n"
        "inline constexpr double kDragScale[5] = {";
    for (int t = 0; t < 5; ++t) {
        char buf[48];
        std::snprintf(buf, sizeof buf, "%.6g%s", flight::AircraftParametersForType(t).apDragScale,
                      t < 4 ? ", " : "};\n");
        text += buf;
    }
    text += "\n}  // namespace flight\n";
    std::FILE* f = std::fopen(path, "wb");
    if (!f) return false;
    const bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
    int only = -1;
    bool fit = false;
    bool verbose = false;
    bool handbook = true;
    int rounds = 12;
    const char* writePath = nullptr;
    std::memcpy(kPowerEfficiencyShape, flight::kPowerEfficiency, sizeof kPowerEfficiencyShape);
    bool newShape = false;
    bool takeOff = false;
    bool topSpeed = false;
    bool ceiling = false;
    bool envelope = false;
    bool takeOffTrim = false;
    bool compensation = false;
    int missed = 0;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--type") && i + 1 < argc) {
            only = std::atoi(argv[++i]);
            // The type indexes the shape table and the records: only the five types exist.
            if (only < 0 || only > 4) {
                std::fprintf(stderr, "fmfit: no aircraft type %s (0 to 4)\n", argv[i]);
                return 2;
            }
        } else if (!std::strcmp(argv[i], "--fit")) {
            fit = true;
        } else if (!std::strcmp(argv[i], "--rounds") && i + 1 < argc) {
            rounds = std::atoi(argv[++i]);
        } else if (!std::strcmp(argv[i], "--write") && i + 1 < argc) {
            writePath = argv[++i];
        } else if (!std::strcmp(argv[i], "--shape") && i + 3 < argc && only >= 0) {
            for (int k = 0; k < 3; ++k)
                kPowerEfficiencyShape[only][k] = std::atof(argv[++i]);
            newShape = true;
        } else if (!std::strcmp(argv[i], "--take-off")) {
            takeOff = true;
        } else if (!std::strcmp(argv[i], "--top-speed")) {
            topSpeed = true;
        } else if (!std::strcmp(argv[i], "--ceiling")) {
            ceiling = true;
        } else if (!std::strcmp(argv[i], "--verbose")) {
            verbose = true;
        } else if (!std::strcmp(argv[i], "--compensation")) {
            compensation = true;
        } else if (!std::strcmp(argv[i], "--take-off-trim")) {
            takeOffTrim = true;
        } else if (!std::strcmp(argv[i], "--holds") && i + 2 < argc && only >= 0) {
            // Another keyboard take-off for the type: holds of Down for the pull, begun LEAD
            // knots before the rotation speed.
            kPullHolds[only] = std::atoi(argv[++i]);
            kPullLeadKnots[only] = std::atof(argv[++i]);
            if (kPullHolds[only] < 1 || kPullHolds[only] > 8 || kPullLeadKnots[only] < 0.0 ||
                kPullLeadKnots[only] > 40.0) {
                std::fprintf(stderr, "fmfit: --holds takes 1 to 8 holds and 0 to 40 knots\n");
                return 2;
            }
        } else if (!std::strcmp(argv[i], "--give-back") && i + 2 < argc && only >= 0) {
            // The pull given back FIRST seconds after the lift-off, one hold at a time, SPACING
            // seconds apart (SPACING below 0: a press at a time, one every -SPACING seconds).
            kGiveBackSeconds[only] = std::atof(argv[++i]);
            kGiveBackSpacingSeconds[only] = std::atof(argv[++i]);
            if (kGiveBackSeconds[only] < 0.0 || kGiveBackSeconds[only] > 30.0 ||
                kGiveBackSpacingSeconds[only] < -5.0 || kGiveBackSpacingSeconds[only] > 60.0) {
                std::fprintf(stderr, "fmfit: --give-back takes 0 to 30 and 0 to 60 seconds\n");
                return 2;
            }
        } else if (!std::strcmp(argv[i], "--envelope")) {
            envelope = true;
        } else if (!std::strcmp(argv[i], "--no-handbook")) {
            handbook = false;
        } else {
            std::fprintf(stderr,
                         "usage: fmfit [--type N [--shape A R0 N] [--holds N LEAD] [--give-back "
                         "FIRST SPACING]] "
                         "[--fit [--rounds N] | "
                         "--take-off | --top-speed | --ceiling | --take-off-trim | --envelope] [--write FILE] "
                         "[--verbose] "
                         "[--no-handbook]\n");
            return 2;
        }
    }
    if (newShape) {
        AircraftParameters& ap = flight::MutableAircraftParametersForType(only);
        if (ap.apEfficiencyMode != flight::EfficiencyMode::ByPower) {
            // A record new to the by-power efficiency starts from a flat reference speed.
            ap.apEfficiencyMode = flight::EfficiencyMode::ByPower;
            for (std::int16_t& v : ap.apReferenceSpeed)
                v = 150;
        }
        flight::RebuildPowerEfficiency(ap, kPowerEfficiencyShape[only]);
    }
    for (int type = 0; type < 5; ++type) {
        if (only >= 0 && type != only) continue;
        if (fit) {
            // The rounds do not settle monotonically: keep the best record of the second half.
            AircraftParameters& ap = flight::MutableAircraftParametersForType(type);
            AircraftParameters best = ap;
            double bestScore = 1e9;
            for (int round = 0; round <= rounds; ++round) {
                std::vector<PointResult> results = FlyCruiseTable(type);
                std::printf("round %d: ", round);
                const Summary summary = Report(type, results, false);
                if (round > rounds / 2) {
                    const double score = Score(type, summary);
                    if (score < bestScore) {
                        bestScore = score;
                        best = ap;
                    }
                }
                if (round == rounds) break;
                const bool scaled = TuneDragScale(type);
                results = FlyCruiseTable(type);
                TuneLapse(type, results, 0.5);
                TuneThrottleCurve(type, results, 0.5);
                results = FlyCruiseTable(type);
                TuneEfficiency(type, results, 0.8);
                TuneTopSpeed(type, 0.7);
                if (!scaled && !kShapedClimb[type]) TuneClimb(type, 0.7);
                TuneClimbPeak(type);
                TuneTakeOff(type);
                KeepThrustRisingByPower(type);
                TuneTopSpeedByPower(type);
                KeepThrustRisingAsSpeedFalls(type);
                if (round >= rounds / 2) TuneCeiling(type);
            }
            if (bestScore < 1e9) ap = best;
        }
        if (fit && compensation) TuneCompensation(type);
        if (fit) TuneFixedPitchSpeed(type);
        if (takeOff && !fit) TuneTakeOff(type);
        if (topSpeed && !fit) TuneTopSpeedByPower(type);
        if (ceiling && !fit) TuneCeiling(type);
        Report(type, FlyCruiseTable(type), verbose);
        if (handbook) missed += PrintFigures(type, Figures(type));
        if (envelope) ReportEnvelope(type);
        if (takeOffTrim) ReportTakeOffTrim(type, verbose);
    }
    if (writePath && !WriteTables(writePath)) {
        std::fprintf(stderr, "fmfit: cannot write %s\n", writePath);
        return 1;
    }
    if (missed > 0) {
        std::printf("fmfit: %d figures miss their tolerance\n", missed);
        return 1;
    }
    return 0;
}
