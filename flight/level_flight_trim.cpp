// Level flight found by flying the flight model (see the header).
#include "flight/level_flight_trim.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "flight/aircraft_parameters.h"
#include "flight/airspeed.h"
#include "flight/flight_hooks.h"
#include "flight/flight_model.h"
#include "flight/flight_model_state.h"
#include "flight/flight_probe.h"
#include "flight/flight_world_services.h"

namespace flight {

namespace {

constexpr double kLevelFlightTrimMetresPerFoot = 0.3048;
constexpr double kLevelFlightTrimStepSeconds = 1800.0 / 32768.0;
// The altitude hold's flight at a throttle, long enough for the speed to settle.
constexpr double kSettleSeconds = 240.0;

// The world's services and settings the experiment replaces, put back when it ends.
class BorrowedWorld {
public:
    BorrowedWorld()
        : weather_(theWeatherServices),
          sound_(theSoundServices),
          services_(theFlightWorldServices),
          limits_(theCrashLimits),
          crashDetect_(theCrashDetectEnabled),
          datum_(theTerrainDatum),
          ground_(theTerrainHeight),
          temperature_(theSeaLevelTemp),
          variation_(theMagneticVariation),
          windX_(theWindAtAircraftX),
          windZ_(theWindAtAircraftZ) {}
    ~BorrowedWorld() {
        theWeatherServices = weather_;
        theSoundServices = sound_;
        theFlightWorldServices = services_;
        theCrashLimits = limits_;
        theCrashDetectEnabled = crashDetect_;
        theTerrainDatum = datum_;
        theTerrainHeight = ground_;
        theSeaLevelTemp = temperature_;
        theMagneticVariation = variation_;
        theWindAtAircraftX = windX_;
        theWindAtAircraftZ = windZ_;
    }
    BorrowedWorld(const BorrowedWorld&) = delete;
    BorrowedWorld& operator=(const BorrowedWorld&) = delete;

private:
    WeatherServices weather_;
    SoundServices sound_;
    FlightWorldServices services_;
    CrashLimits limits_;
    std::uint32_t crashDetect_;
    std::int32_t datum_, ground_;
    std::int16_t temperature_, variation_;
    std::int16_t windX_, windZ_;
};

// The flight as it stands, to fly an experiment from and come back to.
struct FlightSnapshot {
    FlightModelState state = theFlightModelState;
    FlightStepState step = theFlightStep;
    EngineState engines = theEngines;
    std::uint32_t crashed = theCrashed;
    void Restore() const {
        theFlightModelState = state;
        theFlightStep = step;
        theEngines = engines;
        theCrashed = crashed;
    }
};

double LevelFlightTrimAltitudeFeet() {
    return (theFlightModelState.fmPosY + static_cast<double>(theTerrainDatum)) / 256.0 /
           kLevelFlightTrimMetresPerFoot;
}

struct HandsOff {
    double meanFeet;   // mean departure from the starting height (or the path from it)
    double worstFeet;  // largest departure either way
    double lastFeet;   // the departure at the end
};

// Flies hands off for the time and puts the flight back as it was; the departures count from the
// path that climbs at `climbFeetPerMinute` from the starting height.
HandsOff FlyHandsOff(double seconds, double climbFeetPerMinute) {
    const FlightSnapshot start;
    const double h0 = LevelFlightTrimAltitudeFeet();
    const int steps = static_cast<int>(seconds / kLevelFlightTrimStepSeconds + 0.5);
    HandsOff r{0.0, 0.0, 0.0};
    for (int i = 0; i < steps; ++i) {
        UpdateFlight();
        const double d = LevelFlightTrimAltitudeFeet() - h0 -
                         climbFeetPerMinute * (i + 1) * kLevelFlightTrimStepSeconds / 60.0;
        r.meanFeet += d / steps;
        r.worstFeet = std::max(r.worstFeet, std::abs(d));
        r.lastFeet = d;
        if (theCrashed != 0) {
            r.worstFeet = 1e9;
            break;
        }
    }
    start.Restore();
    return r;
}

// Flies hands off until the flight has gone `feetAlong` over the ground (or crashed, or five
// minutes have passed) and puts the flight back as it was; the departures count from the path
// that descends `feetToDescend` over that way.
HandsOff FlyHandsOffAlong(double feetAlong, double feetToDescend) {
    const FlightSnapshot start;
    const double h0 = LevelFlightTrimAltitudeFeet();
    const double x0 = theFlightModelState.fmPosX, z0 = theFlightModelState.fmPosZ;
    const int most = static_cast<int>(300.0 / kLevelFlightTrimStepSeconds);
    HandsOff r{0.0, 0.0, 0.0};
    int steps = 0;
    for (double along = 0; along < feetAlong && steps < most; ++steps) {
        UpdateFlight();
        along = std::hypot(theFlightModelState.fmPosX - x0, theFlightModelState.fmPosZ - z0) /
                256.0 / kLevelFlightTrimMetresPerFoot;
        const double d = LevelFlightTrimAltitudeFeet() - h0 +
                         feetToDescend * std::min(along, feetAlong) / feetAlong;
        r.meanFeet += d;
        r.worstFeet = std::max(r.worstFeet, std::abs(d));
        r.lastFeet = d;
        if (theCrashed != 0) {
            r.worstFeet = 1e9;
            break;
        }
    }
    if (steps > 0) r.meanFeet /= steps;
    start.Restore();
    return r;
}

void SetElevator(double e) {
    FlightModelState& s = theFlightModelState;
    const auto word = static_cast<std::int16_t>(std::clamp(std::lround(e), -32767L, 32767L));
    s.fmElv = word;
    s.fmElvCur = word;
}

// The configuration asked for, its flap words at the notch's values (the slow step would bring
// them there), and the mixture levers.
void SetConfiguration(const LevelFlightRequest& r) {
    FlightModelState& s = theFlightModelState;
    const AircraftParameters& ap = theAircraftParameters;
    const int notch = std::clamp(r.flaps, 0, static_cast<int>(ap.apMaxFlaps));
    s.fmFlaps = static_cast<std::int8_t>(notch);
    s.fmFlapAlpha = ap.apFlapAlpha[notch];
    s.fmFlapLift = ap.apFlapLift[notch];
    s.fmFlapDrag = ap.apFlapDrag[notch];
    theLeftMixtureLever = r.mixtureLever;
    theRightConditionLever = r.mixtureLever;
}

void SetThrottles(double throttle) {
    const auto word = static_cast<std::int16_t>(std::clamp(throttle, 0.0, 32767.0));
    theFlightModelState.fmThrot = word;
    theFlightModelState.fmThrotRight = word;
}

// Placed level at the true airspeed and throttle, the wing at the angle that carries the weight:
// thrust minus drag there (kgf) beyond what the request's climb takes (the weight's share along a
// climbing path; a descent takes less thrust), or nothing when the wing cannot carry it.
std::optional<double> PlaceLevel(const LevelFlightRequest& r, double trueKnots, double throttle) {
    FlightModelState& s = theFlightModelState;
    SetConfiguration(r);
    SetThrottles(throttle);
    s.fmElv = s.fmElvCur = s.fmElvAlpha = 0;
    ProbePlaceInFlight(r.altitudeFeet - r.climbFeetPerMinute * kSettleSeconds / 60.0, trueKnots,
                       r.heading);
    s.fmGear = r.gearDown ? 1 : 0;
    ComputeAeroForces();
    // Placing leaves the elevator at 0 when no angle below the stall carries the weight.
    if (s.fmLift < 0.99 * s.fmGravityLoad) return std::nullopt;
    const double climb = r.climbFeetPerMinute * kLevelFlightTrimMetresPerFoot / 60.0;
    const double speed = std::max(trueKnots, 1.0) * 0.514444;
    return static_cast<double>(s.fmNetThrust) - s.fmDrag - s.fmGravityLoad * climb / speed;
}

// The true airspeed that shows the indicated one at the request's height.
double TrueForIndicated(const LevelFlightRequest& r, double indicatedKnots) {
    PlaceLevel(r, indicatedKnots, 0);
    const double ias = IndicatedAirspeedKnots();
    return ias > 0 ? indicatedKnots * indicatedKnots / ias : indicatedKnots;
}

// The throttle at which thrust meets drag in level flight at the true airspeed (bisection; the
// closed or the full throttle when neither meets it).
double StaticThrottleFor(const LevelFlightRequest& r, double trueKnots) {
    double lo = 0, hi = 32767;
    const std::optional<double> atIdle = PlaceLevel(r, trueKnots, lo);
    const std::optional<double> atFull = PlaceLevel(r, trueKnots, hi);
    if (!atIdle || !atFull) return hi;
    if (*atIdle >= 0) return lo;
    if (*atFull <= 0) return hi;
    while (hi - lo > 16) {
        const double mid = 0.5 * (lo + hi);
        if (PlaceLevel(r, trueKnots, mid).value_or(-1) < 0)
            lo = mid;
        else
            hi = mid;
    }
    return 0.5 * (lo + hi);
}

// The fastest true airspeed at which the throttle's thrust meets drag in level flight (where a
// little more speed leaves less thrust than drag, the speed is stable), or nothing.
std::optional<double> StaticSpeedFor(const LevelFlightRequest& r, double throttle) {
    std::optional<double> found;
    double previousKnots = 0;
    std::optional<double> previous;
    for (double knots = 30; knots <= 600; knots += 2) {
        const std::optional<double> excess = PlaceLevel(r, knots, throttle);
        if (previous && excess && *previous >= 0 && *excess < 0) {
            double lo = previousKnots, hi = knots;
            while (hi - lo > 0.05) {
                const double mid = 0.5 * (lo + hi);
                if (PlaceLevel(r, mid, throttle).value_or(-1) >= 0)
                    lo = mid;
                else
                    hi = mid;
            }
            found = 0.5 * (lo + hi);
        }
        previous = excess;
        previousKnots = knots;
    }
    return found;
}

// Flies from the start with the altitude hold at the throttle until the speed settles, and leaves
// the flight there; the indicated airspeed it settled at, or nothing when the hold lost the
// height (too slow for it) or the aircraft crashed.
// A climb or descent is flown the same way with the hold's target moving along the path, from
// the height the path leaves at to end at the request's.
std::optional<double> SettleAtThrottle(const FlightSnapshot& start, const LevelFlightRequest& r,
                                       double throttle) {
    start.Restore();
    SetThrottles(throttle);
    ProbeEngageAltitudeHold();
    if (r.climbFeetPerMinute == 0) {
        ProbeRunSeconds(kSettleSeconds);
    } else {
        const double target0 = theFlightModelState.fmApTargetAlt;
        theAutopilotWork.holdPathClimb =
            r.climbFeetPerMinute * kLevelFlightTrimMetresPerFoot / 60.0;
        const int steps = static_cast<int>(kSettleSeconds / kLevelFlightTrimStepSeconds + 0.5);
        for (int i = 0; i < steps; ++i) {
            const double climbed = r.climbFeetPerMinute * i * kLevelFlightTrimStepSeconds / 60.0 *
                                   kLevelFlightTrimMetresPerFoot;
            theFlightModelState.fmApTargetAlt =
                static_cast<std::uint16_t>(std::lround(std::max(0.0, target0 + climbed)));
            UpdateFlight();
        }
        theAutopilotWork.holdPathClimb = 0.0;
    }
    if (theCrashed != 0 || std::abs(LevelFlightTrimAltitudeFeet() - r.altitudeFeet) > 150.0)
        return std::nullopt;
    return IndicatedAirspeedKnots();
}

}  // namespace

LevelFlightTrim TrimForLevelFlight(const LevelFlightRequest& request) {
    const BorrowedWorld borrowed;
    FlightModelState& s = theFlightModelState;
    ProbeSelectAircraft(request.type);
    LevelFlightTrim result;

    // Thrust meets drag with the wing carrying the weight: at the speed asked for, the throttle
    // that holds it; at the throttle asked for, the speed it holds.
    double trueKnots = 0, throttle = request.throttle;
    if (request.indicatedKnots > 0) {
        trueKnots = TrueForIndicated(request, request.indicatedKnots);
        throttle = StaticThrottleFor(request, trueKnots);
    } else {
        const std::optional<double> v = StaticSpeedFor(request, throttle);
        if (!v) return result;
        trueKnots = *v;
    }
    if (!PlaceLevel(request, trueKnots, throttle)) return result;

    // The model flies it there with the altitude hold until the speed settles; a speed asked for
    // is then met by the secant on the throttle, each try flown from the same start.
    const FlightSnapshot placed;
    std::optional<double> settled = SettleAtThrottle(placed, request, throttle);
    if (request.indicatedKnots > 0) {
        double bestThrottle = throttle;
        double bestError = settled ? std::abs(*settled - request.indicatedKnots) : 1e9;
        // The last throttle that held the height, and its speed error.
        double t0 = throttle, e0 = settled ? *settled - request.indicatedKnots : 0;
        bool haveGood = settled.has_value();
        double t1 = std::clamp(throttle + (settled && e0 > 0 ? -300.0 : 300.0), 0.0, 32767.0);
        for (int i = 0; i < 10 && bestError > 0.3; ++i) {
            const std::optional<double> v = SettleAtThrottle(placed, request, t1);
            if (!v) {
                // Too slow to hold the height: more throttle, or half way back to one that held.
                t1 = haveGood ? 0.5 * (t0 + t1) : std::min(t1 + 1000.0, 32767.0);
                continue;
            }
            const double e1 = *v - request.indicatedKnots;
            if (std::abs(e1) < bestError) {
                bestError = std::abs(e1);
                bestThrottle = t1;
            }
            double next = t1 + (e1 > 0 ? -300.0 : 300.0);
            if (haveGood && e1 != e0) next = t1 - e1 * (t1 - t0) / (e1 - e0);
            t0 = t1;
            e0 = e1;
            haveGood = true;
            t1 = std::clamp(std::clamp(next, t0 - 3000.0, t0 + 3000.0), 0.0, 32767.0);
        }
        settled = SettleAtThrottle(placed, request, bestThrottle);
    }
    if (!settled) return result;
    s.fmAutopilotModes = 0;
    s.fmAutopilotState = 0;
    s.fmApElvTrim = 0;
    s.fmPosY = static_cast<std::int32_t>(std::lround(
        request.altitudeFeet * kLevelFlightTrimMetresPerFoot * 256.0 - theTerrainDatum));
    if (request.climbFeetPerMinute == 0) s.fmVVel = 0;

    // The elevator the hold left is close; the secant on the mean height change of a hands-off
    // flight finds the one that holds it, and the best one tried is kept.
    double e0 = s.fmElv;
    HandsOff f0 = FlyHandsOff(kTrimCheckSeconds, request.climbFeetPerMinute);
    double bestElevator = e0;
    HandsOff best = f0;
    double e1 = e0 + 16.0;
    for (int i = 0; i < 24 && best.worstFeet > kTrimToleranceFeet / 3.0; ++i) {
        SetElevator(e1);
        const HandsOff f1 = FlyHandsOff(kTrimCheckSeconds, request.climbFeetPerMinute);
        if (f1.worstFeet < best.worstFeet) {
            best = f1;
            bestElevator = e1;
        }
        if (f1.meanFeet == f0.meanFeet) break;
        const double next = e1 - f1.meanFeet * (e1 - e0) / (f1.meanFeet - f0.meanFeet);
        e0 = e1;
        f0 = f1;
        e1 = std::clamp(next, e0 - 256.0, e0 + 256.0);
    }
    SetElevator(bestElevator);

    result.worstDeviationFeet = best.worstFeet;
    result.trimmed = best.worstFeet <= kTrimToleranceFeet;
    result.indicatedKnots = IndicatedAirspeedKnots();
    result.throttle = s.fmThrot;
    result.elevator = s.fmElv;
    return result;
}

namespace {

// The throttles with which the flight as it stands, flown hands off in the air where it is
// (calm), ends on the path that descends `feetToDescend` over `feetAlong` (see
// RetrimThrottleForPath).
bool RetrimThrottleAlong(double feetToDescend, double feetAlong) {
    FlightModelState& s = theFlightModelState;
    if (s.fmOTG != 0 || s.fmEngines == 0 || feetAlong <= 0) return false;
    const FlightSnapshot placed;
    bool held = false;
    double throttle = s.fmThrot;
    std::optional<double> elevator;  // a new elevator trim, when one is needed
    {
        // The experiment's world: the air where the aircraft is, calm and silent, the ground
        // far enough below for the whole path.
        const BorrowedWorld borrowed;
        theWeatherServices = CalmWeatherServices();
        theSoundServices = SilentSoundServices();
        theFlightWorldServices = DefaultFlightWorldServices();
        theCrashLimits = CrashLimits{};
        theCrashDetectEnabled = 1;
        theWindAtAircraftX = 0;
        theWindAtAircraftZ = 0;
        // The heights count from the datum, the ground under the aircraft at the least: the
        // datum moved down, the aircraft up by as much, at the same altitude.
        const double descent = std::max(0.0, feetToDescend);
        const auto lower = static_cast<std::int32_t>(
            std::lround((descent + 1000.0) * kLevelFlightTrimMetresPerFoot * 256.0));
        theTerrainDatum -= lower;
        s.fmPosY += lower;
        theTerrainHeight = 0;
        theFlightFreezeFrames = 0;
        theCrashed = 0;
        // The departure from the path where it ends: the secant on the throttle, from the
        // placed throttle and one a little below it (thinner air most often needs less).
        const auto departure = [&](double t) {
            SetThrottles(t);
            const HandsOff f = FlyHandsOffAlong(feetAlong, feetToDescend);
            return f.worstFeet >= 1e9 ? std::optional<double>() : std::optional<double>(f.lastFeet);
        };
        double t0 = throttle;
        std::optional<double> d0 = departure(t0);
        double t1 = std::clamp(t0 - 500.0, 0.0, 32767.0);
        if (t1 == t0) t1 = t0 + 500.0;
        double bestThrottle = t0;
        double best = d0 ? std::abs(*d0) : 1e9;
        const double placedDeparture = best;
        for (int i = 0; i < 12 && d0 && best > kPathToleranceFeet; ++i) {
            const std::optional<double> d1 = departure(t1);
            if (!d1) break;
            if (std::abs(*d1) < best) {
                best = std::abs(*d1);
                bestThrottle = t1;
            }
            if (*d1 == *d0) {
                // The engines' power moves in steps and the slowest climbs or descents not at
                // all: a change too small to tell is doubled.
                const double wider = std::clamp(t0 + 2.0 * (t1 - t0), 0.0, 32767.0);
                if (wider == t1) break;
                t1 = wider;
                continue;
            }
            const double next = t1 - *d1 * (t1 - t0) / (*d1 - *d0);
            t0 = t1;
            d0 = d1;
            t1 = std::clamp(std::clamp(next, t0 - 4000.0, t0 + 4000.0), 0.0, 32767.0);
            if (t1 == t0) break;
        }
        if (best < placedDeparture) throttle = bestThrottle;
        // Where the engines cannot give the power for the path at the trimmed speed (a cruise
        // placed high above the height it was trimmed at), a pilot trims for a slower speed that
        // they can hold: the elevator found the same way, at the best throttle.
        if (best > kPathToleranceFeet) {
            // The elevator's change starts a slow swing in pitch: the secant on the mean
            // departure, the one kept the one that strays least from the path.
            SetThrottles(throttle);
            const auto elevatorFlight = [&](double e) {
                SetElevator(e);
                const HandsOff f = FlyHandsOffAlong(feetAlong, feetToDescend);
                return f.worstFeet >= 1e9 ? std::optional<HandsOff>() : std::optional<HandsOff>(f);
            };
            double e0 = s.fmElv;
            std::optional<HandsOff> f0 = elevatorFlight(e0);
            if (f0 && f0->lastFeet > 0) f0.reset();  // above the path: the throttle's to close
            double bestWorst = f0 ? f0->worstFeet : 1e9;
            double e1 = e0 + 32.0;
            for (int i = 0; i < 12 && f0 && bestWorst > kPathToleranceFeet; ++i) {
                const std::optional<HandsOff> f1 = elevatorFlight(e1);
                if (!f1) break;
                if (f1->worstFeet < bestWorst) {
                    bestWorst = f1->worstFeet;
                    best = std::abs(f1->lastFeet);
                    elevator = e1;
                }
                if (f1->meanFeet == f0->meanFeet) break;
                const double next = e1 - f1->meanFeet * (e1 - e0) / (f1->meanFeet - f0->meanFeet);
                e0 = e1;
                f0 = f1;
                e1 = std::clamp(next, e0 - 512.0, e0 + 512.0);
            }
        }
        held = best <= kPathToleranceFeet;
    }
    placed.Restore();
    SetThrottles(throttle);
    if (elevator) SetElevator(*elevator);
    return held;
}

}  // namespace

// The speed over the ground in calm air, feet a second.
double GroundFeetPerSecond() {
    return theFlightModelState.fmHVel / 65536.0 / kLevelFlightTrimMetresPerFoot;
}

bool RetrimThrottleForPath(double feetToDescend, double feetAlong) {
    // Flown for 20 seconds at the least, five minutes at the most, on the same slope.
    const double speed = GroundFeetPerSecond();
    if (feetAlong <= 0 || speed < 2.0) return false;
    const double scale = std::clamp(feetAlong, 20.0 * speed, 300.0 * speed) / feetAlong;
    return RetrimThrottleAlong(feetToDescend * scale, feetAlong * scale);
}

bool RetrimThrottleForLevelFlight(double seconds) {
    const double speed = GroundFeetPerSecond();
    if (speed < 2.0) return false;
    return RetrimThrottleAlong(0.0, std::clamp(seconds, 20.0, 300.0) * speed);
}

}  // namespace flight
