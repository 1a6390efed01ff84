// What a contact with the ground means: a soft touchdown, a bounce, a crash, or coming to rest
// after a crash.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "core/numeric.h"
#include "flight/aircraft_parameters.h"
#include "flight/airspeed.h"
#include "flight/flight_hooks.h"
#include "flight/flight_model.h"
#include "flight/flight_model_state.h"
#include "flight/flight_world_services.h"
#include "flight/ground_track.h"

namespace flight {

CrashLimits theCrashLimits;
std::uint32_t theCrashDetectEnabled = 1;
std::uint32_t theCrashed = 0;

namespace {
// The crash sound starts once per crash, not on every step of the slide.
bool theCrashSoundStarted = false;
// Flight steps since the wheels last touched. A hop over a field's bumps lasts a few; a flight
// that comes down onto the ground has been in the air for seconds.
std::int32_t theStepsAirborne = 0;
constexpr std::int32_t kStepsOfAFlight = 36;  // 2 s
}  // namespace

void DefaultShowCrashReport(const char*, const char*) {}
void (*theShowCrashReport)(const char* text, const char* title) = &DefaultShowCrashReport;

void SetCrashMotion() {
    FlightModelState& s = theFlightModelState;
    s.fmVVel = -2000000;
    s.fmHVel = 0;
    s.fmOGV = 3;
    if (!theCrashSoundStarted) {
        PlayCrashSoundOnce();
        theCrashSoundStarted = true;
    }
}

namespace {

// The engines stop and the aircraft slides to rest.
void Crash() {
    FlightModelState& s = theFlightModelState;
    theCrashed = 1;
    StopSingleEngine();
    StopLeftEngine();
    StopRightEngine();
    s.fmThrot = 0;
    StopEngineSounds();
    theCrashSoundStarted = false;
    SetCrashMotion();
}

// Up a slope steeper than one in ten, steeper than any runway that is flown and than the banks
// round the fields' floors, a rolling or touching aircraft meets the hillside with its nose gear
// and propeller rather than its main wheels; at a taxi's pace (up to 25 knots) it only labours
// up.
constexpr double kSteepestFieldSlope = 0.1;
constexpr double kTaxiMetresPerSecond = 25.0 * 0.514444;
// The steepest grade along a runway (2 %, FAA AC 150/5300-13B, 3.7.1): up to it the ground is a
// runway's or a taxiway's and a contact is a touchdown judged by the touchdown limits; beyond it
// the ground is a hillside, and the gear takes only what it is built to take.
constexpr double kSteepestRunwayGrade = 0.02;
// The closure into the ground a light aircraft's gear is built to take: the limit descent
// velocity its ground loads are designed for, 4.4 (W/S)^1/4 ft/s and at most 10 ft/s (14 CFR
// 23.473(d)), as 16.16 m/s. Beyond it the gear folds, the nose gear first, and the propeller
// strikes.
constexpr std::int64_t kGearLimitClosure = static_cast<std::int64_t>(10 * 0.3048 * 65536);
// The fastest a wheeled touchdown is flown at: a landing crosses the threshold at 1.3 times the
// stall speed and touches down slower; 1.4 times the stall speed with the flaps up is faster
// than any landing's touchdown. At that speed the aircraft still flies, and the ground it meets
// away from a runway (furrows, ditches, fences, the rise of a hillside) takes the gear and the
// propeller, whatever the sink.
constexpr double kFlyingSpeedOverStall = 1.4;
// The steepest a field is landed on or taken off from (3 %). Away from a runway, on ground that
// rises more steeply, the closure the gear takes falls with the speed, from all of it at the
// stall speed to nothing at flying speed: a hillside is met at a landing's pace or not at all.
constexpr double kSteepestFieldGrade = 0.03;

// The speed over the ground in the last step (m/s); the aircraft's own forward speed where the
// step did not measure the ground.
double GroundSpeed() {
    const FlightModelState& s = theFlightModelState;
    const FlightStepState& st = theFlightStep;
    if (st.groundRun > 0 && s.fmStepTime > 0)
        return st.groundRun / 256.0 / (s.fmStepTime / 32768.0);
    return std::abs(static_cast<double>(s.fmHVel)) / 65536.0;
}

// Its wheels are up in their wells (the fixed gear of the 172s never is).
bool GearRetracted() {
    const int type = FlightModelBaseType();
    return type != 0 && theFlightModelState.fmGear == 0;
}

// What makes a contact with the ground a crash rather than a touchdown or a roll. The contact is
// judged by the aircraft's own motion against the ground's slope, never by the height the ground
// has pushed it to: `closure` is how fast it moves into the surface (16.16 m/s; the ground's
// rise under the track, smoothed over the gear's run, less the aircraft's own climb). At more
// than a taxi's pace a contact is a crash
// - with the wheels up: the aircraft lands on its belly and propellers;
// - off a runway, met from the air at flying speed: a soft field is landed on at touchdown
//   speed, not at cruise (rolling on over level ground from a runway's end, hopping over its
//   bumps, is an overrun, not a touchdown); and on ground rising more steeply than a field,
//   faster than the stall speed, when the closure is more than the gear takes at that speed;
// - on ground rising more steeply than a runway, when the closure is more than the gear takes,
//   whatever the slope;
// - on a hillside steeper than one in ten, when the aircraft comes down onto it from the air
//   faster than a soft touchdown (nose low against the slope, the nose gear and the propeller
//   meet it first);
// and anywhere when the closure is beyond the touchdown's crash limit. Grazing a slope while
// climbing with it, or rolling onto a bank slowly enough for the wheels to ride it, is not.
struct RisingGround {
    const char* why = nullptr;  // empty when the ground is fine
    std::int64_t percent = 0;   // the slope along the track, rise over run
    std::int64_t knots = 0;     // the speed over the ground
};

RisingGround IntoRisingGround(std::int64_t closure, double slope, std::int32_t stepsAirborne,
                              const CrashLimits& lim) {
    const FlightModelState& s = theFlightModelState;
    RisingGround g;
    const double metresPerSecond = GroundSpeed();
    g.percent = static_cast<std::int64_t>(slope * 100.0);
    g.knots = static_cast<std::int64_t>(metresPerSecond / 0.514444);
    const bool atSpeed = metresPerSecond > kTaxiMetresPerSecond;
    const std::int64_t soft = lim.maxBounceVSpeed;
    if (slope > 0.0 && closure > static_cast<std::int64_t>(lim.maxCrashVSpeed))
        g.why = "Into the ground";
    else if (atSpeed && GearRetracted())
        g.why = "Wheels up";
    else if (atSpeed && slope > kSteepestRunwayGrade && closure > kGearLimitClosure)
        g.why = "Rising ground";
    else if (atSpeed && slope > kSteepestFieldSlope && s.fmOGV != 1 && closure > soft)
        g.why = "Rising ground";
    if (g.why != nullptr || !atSpeed) return g;
    // Off a runway: the airspeed over the flaps-up stall speed (asked of the world only when it
    // decides).
    const double v = AirspeedOverCleanStallSpeed();
    if (v <= 1.0 || (v <= kFlyingSpeedOverStall && slope <= kSteepestFieldGrade) ||
        theFlightWorldServices.groundIsRunway() != 0)
        return g;
    const double share = (kFlyingSpeedOverStall - v) / (kFlyingSpeedOverStall - 1.0);
    if (v > kFlyingSpeedOverStall && s.fmOGV != 1 && stepsAirborne >= kStepsOfAFlight)
        g.why = "Off the runway at flying speed";
    else if (slope > kSteepestFieldGrade &&
             static_cast<double>(closure) > share * static_cast<double>(kGearLimitClosure))
        g.why = "Rising ground off the runway";
    return g;
}

// The ground's rise under the track at the speed over it (16.16 m/s), known only where the last
// step measured the ground it moved over.
std::int64_t RiseSpeedOf(double slope) {
    if (theFlightStep.groundRun <= 0) return 0;
    return std::llround(slope * GroundSpeed() * 65536.0);
}

}  // namespace

std::int64_t GroundRiseSpeed() {
    return RiseSpeedOf(GroundSlopeAlongTrack());
}

void CheckCrash() {
    FlightModelState& s = theFlightModelState;
    const CrashLimits& lim = theCrashLimits;
    // This step's measure of the ground under the track joins the record, in the air too, so
    // that the ground met is known by the slope it rises at when it is touched.
    RecordGroundAlongTrack(theFlightStep.groundRise, theFlightStep.groundRun);
    if (s.fmOTG == 0) {
        if (s.fmOGV == 1) s.fmOGV = 0;
        if (s.fmOGV == 3) s.fmOGV = 2;
        if (theStepsAirborne < kStepsOfAFlight) ++theStepsAirborne;
        return;
    }
    // Every contact with the ground ends the count of steps in the air, however it is judged.
    const std::int32_t stepsAirborne = std::exchange(theStepsAirborne, 0);
    // Wheels on water, touching down on it or rolling off a runway's end into it: a crash,
    // whatever the sink and the attitude.
    if (theCrashDetectEnabled && theGroundIsWater && theCrashed == 0 && s.fmOGV != 3) {
        if (lim.showWhyCrash) theShowCrashReport("Water under the wheels", "Going To Crash!");
        Crash();
        return;
    }
    // The ground's own rise along the track counts as much as the aircraft's sink: flying level
    // into a hillside is a touchdown at the speed the hillside comes up.
    const double slope = GroundSlopeAlongTrack();
    const std::int64_t groundRise = RiseSpeedOf(slope);
    const std::int64_t sink = static_cast<std::int64_t>(s.fmVVel) - groundRise;
    if (theCrashDetectEnabled && theCrashed == 0 && s.fmOGV != 3) {
        const RisingGround ahead = IntoRisingGround(-sink, slope, stepsAirborne, lim);
        if (ahead.why != nullptr) {
            if (lim.showWhyCrash) {
                char text[160];
                std::snprintf(text, sizeof text, "%s: %lld%% at %lld kt", ahead.why,
                              static_cast<long long>(ahead.percent),
                              static_cast<long long>(ahead.knots));
                theShowCrashReport(text, "Going To Crash!");
            }
            Crash();
            return;
        }
    }
    // A wreck that came to rest and is lifted or settled by the ground under it lies where it
    // is: a crash is judged once, and what is left of the aircraft neither bounces nor crashes
    // again.
    if (theCrashed != 0 && s.fmOGV != 3) {
        s.fmOGV = s.fmOTG;
        return;
    }
    if (s.fmOGV == 0 && (s.fmVVel != 0 || groundRise > 0) && s.fmHVel != 0) {
        const std::int32_t pitch = static_cast<std::int16_t>(s.fmPitch);
        const std::int32_t bank = static_cast<std::int16_t>(s.fmBank);
        if (theCrashDetectEnabled) {
            // The limits come from the settings file: negate them in 64 bits so that any value
            // written there stays a number.
            const std::int64_t minVSpeed = -static_cast<std::int64_t>(lim.maxCrashVSpeed);
            const std::int64_t maxPitch = lim.maxCrashPitch;
            const std::int64_t maxBank = lim.maxCrashBank;
            const bool crash = sink < minVSpeed || pitch < -maxPitch || pitch > maxPitch ||
                               bank < -maxBank || bank > maxBank;
            if (crash) {
                if (lim.showWhyCrash) {
                    char text[160];
                    std::snprintf(text, sizeof text, "vS: %lld [%lld], pi: %d [%d], ba: %d [%d]",
                                  static_cast<long long>(sink), static_cast<long long>(minVSpeed),
                                  std::abs(pitch), lim.maxCrashPitch, bank, lim.maxCrashBank);
                    theShowCrashReport(text, "Going To Crash!");
                }
                Crash();
                return;
            }
        }
        if (sink >= -static_cast<std::int64_t>(lim.maxBounceVSpeed)) {
            s.fmOGV = 1;
            PlayImpactSound();
            return;
        }
        if (!theCrashDetectEnabled && s.fmInvert) {
            s.fmBank = 0;
            s.fmVVel = 0;
            s.fmPitch = 0;
            s.fmRVel = 0;
            s.fmOTG = 0;
            s.fmInvert = 0;
            PlayImpactSound();
            return;
        }
        // A bounce returns a share of the sink speed upwards.
        std::int64_t vv = sink;
        if (vv < -400000) vv = -400000;
        std::int64_t pct = lim.bouncePct;
        if (pct < 0) pct = 0;
        if (pct > 100) pct = 100;
        s.fmVVel = static_cast<std::int32_t>((pct * vv) / -100);
        s.fmOTG = 0;
        s.fmBank = 0;
        s.fmRVel = static_cast<std::int16_t>(-s.fmRVel);
        PlayImpactSound();
        return;
    }
    if (s.fmOGV == 3) {
        // At rest below 16 knots of indicated airspeed.
        if (AirspeedWordKnots(s.fmIAS) < 16.0) {
            for (int i = 0; i < 4; ++i)
                ClearTurbulenceChannel(i);
            s.fmRVel = 0;
            s.fmHVel = 0;
            s.fmYVel = 0;
            s.fmVVel = 0;
            s.fmSVel = 0;
            s.fmDeltaX = s.fmDeltaY = s.fmDeltaZ = 0;
            s.fmIAS = 0;
            s.fmOGV = 1;
            s.fmOTG = 1;
            theCrashSoundStarted = false;
        }
        return;
    }
    s.fmOGV = s.fmOTG;
}

void CountFlightFromRead() {
    // Wheels clear of the ground by more than a hop over a field's bumps: the flight read has
    // been flying, and meets the ground as one.
    const FlightModelState& s = theFlightModelState;
    const std::int64_t clear =
        static_cast<std::int64_t>(s.fmPosY) - theAircraftParameters.apGearHeight;
    theStepsAirborne = s.fmOTG == 0 && clear > 256 ? kStepsOfAFlight : 0;
}

void ResetFlightModel() {
    theFlightModelState = FlightModelState{};
    theFlightStep = FlightStepState{};
    theAeroLookup = AeroLookupResult{};
    theAirData = AirDataExtras{};
    theEngines = EngineState{};
    theAutopilotWork = AutopilotWork{};
    theCrashed = 0;
    theCrashSoundStarted = false;
    theStepsAirborne = 0;
    theLowSpeedThrustCut = 0;
    ForgetGroundAlongTrack();
}

void ForgetFlownFlight() {
    const std::int32_t freezeFrames = theFlightStep.freezeFrames;
    theFlightStep = FlightStepState{};
    theFlightStep.freezeFrames = freezeFrames;
    theAeroLookup = AeroLookupResult{};
    theAirData = AirDataExtras{};
    theEngines = EngineState{};
    theAutopilotWork = AutopilotWork{};
    theCrashSoundStarted = false;
    theStepsAirborne = 0;
    ForgetGroundAlongTrack();
    // The generator's own first seed, as at the start.
    core::srand(1);
}

}  // namespace flight
