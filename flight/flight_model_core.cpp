// The integration core: equations of motion in fixed point, the ground step, the slow core
// step, and the set-up from the aircraft's parameter record.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "core/numeric.h"
#include "flight/aircraft_parameters.h"
#include "flight/fixed_point.h"
#include "flight/flight_hooks.h"
#include "flight/flight_model.h"
#include "flight/flight_model_state.h"

namespace flight {

AircraftParameters theAircraftParameters{};
int theFlightModelType = 0;

namespace {

// The stall warning's vane: it needs air flowing past it (about 20 knots, in 16.16 m/s) and
// sounds from an angle of attack of 12 degrees, a few degrees before the wing stalls.
constexpr std::int32_t kStallVaneAirflow = 10 << 16;
constexpr std::int32_t kStallWarningAlpha = 0x888;

std::int16_t To16(std::int64_t v) {
    return core::ClampToInt16(v);
}

bool AutopilotOn() {
    return (theFlightModelState.fmAutopilotModes & 1) != 0;
}

// Whether the stall warning sounds: a high angle of attack with air flowing over the wing (an
// aircraft standing still, whatever its angle, has none).
bool StallWarning(const FlightModelState& s) {
    return s.fmTAVel >= kStallVaneAirflow && s.fmAlpha >= kStallWarningAlpha;
}

// Moves value towards target by at most step.
std::int16_t Approach(std::int32_t value, std::int32_t target, std::int32_t step) {
    if (value < target) return To16(value + step > target ? target : value + step);
    if (value > target) return To16(value - step < target ? target : value - step);
    return To16(value);
}

// The lagged path angle's move towards the path: diff * g / 32768 of a unit per step, the
// fraction carried to the next step, never past the path. Shifted down instead (rounding towards
// minus infinity) the lag crept after a path below it and froze short of one above it, and in
// steady flight, where g is small, the attitude stuck degrees off the path.
std::int32_t PathLagStep(std::int32_t diff, std::int32_t g, std::int32_t& remainder) {
    if (diff == 0) {
        remainder = 0;
        return 0;
    }
    const std::int64_t total = static_cast<std::int64_t>(diff) * g + remainder;
    std::int64_t step = total / 32768;  // towards zero: the same either way
    remainder = static_cast<std::int32_t>(total - step * 32768);
    step = std::clamp<std::int64_t>(step, std::min(diff, 0), std::max(diff, 0));
    return static_cast<std::int32_t>(step);
}

// Q15 factor num / den for a 16.16 numerator over a whole-unit denominator, at most 32767.
std::int32_t SpeedFactor(std::int64_t num, std::int64_t denWhole) {
    if (denWhole <= 0 || num <= 0) return 0;
    const std::int64_t f = (num << 15) / (denWhole << 16);
    return f > 32767 ? 32767 : static_cast<std::int32_t>(f);
}

// Angle of |a| over |b| through the arctangent table (0 when a is 0, 0x4000 when b is 0).
std::int32_t PathAngle(std::int32_t a, std::int32_t b) {
    return static_cast<std::int16_t>(FixedAtan2(a, b));
}

// The direction of the path flown now: the cosine and the negated sine of its angle (positive
// descending, as Q15) and whether the aircraft flies backwards along its heading (on the ground
// the backward roll has its own rule).
struct AirPath {
    std::int32_t cosine;
    std::int32_t negSine;
    bool backward;
};

AirPath AirPathNow(const FlightModelState& s) {
    const SinCos path =
        FixedSinCos(static_cast<std::uint16_t>(PathAngle(Negate32(s.fmVVel), Abs32(s.fmHVel))));
    return AirPath{path.cosine, -path.sine, s.fmHVel < 0 && s.fmOTG == 0};
}

// Reverse thrust may back the aircraft up to 2 m/s (16.16), no faster.
constexpr std::int64_t kMaxBackwardSpeed = 2 << 16;

// The push along the path while the aircraft stands or rolls backwards on the ground: the air
// and the wheels (friction and brakes, in `resistance`) oppose the motion, and at rest they
// hold the aircraft until the applied push is larger than they are.
std::int64_t BackwardRollForce(std::int64_t applied, std::int64_t resistance, std::int32_t speed,
                               std::int64_t weight) {
    std::int64_t F;
    if (speed < 0) {
        F = applied + resistance;
    } else if (std::llabs(applied) <= resistance) {
        F = 0;
    } else {
        F = applied < 0 ? applied + resistance : applied - resistance;
    }
    return std::clamp(F, -weight, weight);
}

// Past the angle of its greatest lift the wing's moment breaks the pitch: the elevator, which the
// wing's angle no longer obeys, holds the nose up no longer, and the path, which bends down only
// as fast as the lift is lost, would let the nose follow slowly (a degree a second on the jet,
// whose table falls gently there). While the break lasts the elevator's nose-up term `d` is taken
// away at kBreakRate a step (the nose falls up to about 10 degrees a second, whatever the elevator
// holds); once the wing's angle has come down kBreakLetGoDegrees below the peak the term comes
// back at the same rate. The lift curve is flat there (a degree below the peak the wing has 98 %
// of its greatest lift back), so the break lets go soon after the wing flies again: held on until
// the wing was 5 degrees below the peak, the nose fell with the break, the speed built, and the
// pull threw it up into the next break, a bob of 30 degrees every 13 seconds that never settled.
// The wing breaks once it has stayed past the peak for kBreakDelaySteps (a sixth of a second): a
// moment past it, as a quick pull or a pilot's hands working the elevator take it, carries its
// lift on (the flow takes that long to let go).
//
// The flow that has let go comes back onto the wing only once its angle is kReattachDegrees
// below the peak. Until then the wing breaks no more: the break holds it kMushHoldDegrees below
// the peak, taking away as much of `d` as that needs, so a wing held fully back mushes at its
// greatest lift, at the stall speed. Left to break again near the peak, the piston and turboprop
// wing (14 % of its lift gone a degree past the peak) sat a degree past it with a seventh of its
// lift gone through the dive of each swing and took it back with the next break at the bottom:
// the Baron swung 20 degrees and 18 kt every 18 seconds from 6,500 to 7,500 ft, the Skyhawk 17
// degrees from 1,000 to 2,500 ft, and held there the wing flew 5 to 15 kt above the stall speed.
// The jet's wing, whose lift falls gently past its peak, once broke again wherever it had settled
// into a sinking mush: each break threw its nose into another swing, 0.63 to 0.70 of the one
// before, and a late one of 12 degrees came near the ground; held like the others it settles.
// Returns how much of `d` the break takes away.
constexpr std::int32_t kBreakRate = 100;  // binary angle a step
constexpr int kBreakDelaySteps = 3;
constexpr double kReattachDegrees = 3.0;
constexpr double kMushHoldDegrees = 1.0;
// The break lets go this far below the peak, and the hold then brings the wing back up to its
// mush: the nose falls clearly at the break (held only to the mush's angle it fell 0.7 degrees in
// the heavy Baron's second after the break), then steadies.
constexpr double kBreakLetGoDegrees = 2.5;

// While the wing is held at its stall its separated flow drags the more the faster the path
// swings: kSwingDrag of drag coefficient for each degree a second the path turns, up to
// kMostSwingDrag. A wing held at its greatest lift swings with the speed like any other (the
// nose through 50 to 80 degrees after an abrupt pull from cruise), and with the drag of its lift
// alone each swing was 0.6 to 0.65 of the one before; now the first after the pull is a quarter
// to a half and the nose settles within two. In a steady mush the path hardly turns and the
// drag is the wing's own. The stall lasts from the break, or from the moment the elevator alone
// holds the wing at its peak, until the elevator alone holds it kStallOverDegrees below the peak
// (the pilot has eased the pull). Counted only from the break, the jet's wing, which a long pull
// from cruise takes up and over the top of a zoom and down again with the flow still on it, swung
// its nose through a second cycle two thirds of the first (46 then 30 degrees) before it ever
// broke; held at the peak through the pull-out, its second swing is under half the first.
constexpr double kSwingDrag = 0.15;
constexpr double kMostSwingDrag = 0.4;
constexpr double kStallOverDegrees = 2.0;
constexpr double kPathRateSmoothing = 0.2;  // of the gap a step

constexpr double kDegreesPerBinary = 360.0 / 65536.0;

std::int32_t StallBreakPitch(const FlightModelState& s, bool onGround, std::int32_t d) {
    FlightStepState& st = theFlightStep;
    const std::int32_t pathStep = s.fmWndANG - st.lastPathAngle;
    st.lastPathAngle = s.fmWndANG;
    if (onGround || s.fmInvert || s.fmHVel <= 0) {
        st.stallBreak = 0;
        st.breakPitch = 0;
        st.stepsPastPeak = 0;
        st.flowSeparated = 0;
        st.stallHeld = 0;
        st.swingDrag = 0.0;
        st.pathDegreesPerSecond = 0.0;
        return 0;
    }
    const double beyond = DegreesBeyondPeakLift();
    if (beyond < -kReattachDegrees) st.flowSeparated = 0;
    st.stepsPastPeak = beyond > 0.0 ? std::min(st.stepsPastPeak + 1, kBreakDelaySteps) : 0;
    if (st.stepsPastPeak >= kBreakDelaySteps && !st.flowSeparated) {
        st.stallBreak = 1;
        st.flowSeparated = 1;
    }
    if (beyond < -kBreakLetGoDegrees) st.stallBreak = 0;
    std::int32_t target = st.stallBreak && d > 0 ? d : 0;
    if (st.flowSeparated && !st.stallBreak) {
        const double held = st.breakPitch + (beyond + kMushHoldDegrees) / kDegreesPerBinary;
        target = std::clamp(static_cast<std::int32_t>(held), 0, std::max(d, 0));
    }
    st.breakPitch = Approach(st.breakPitch, target, kBreakRate);

    // The stall's drag: the angle the elevator alone gives the wing, without the path's lag and
    // the break, tells whether the pilot still holds it at the stall.
    const double elevatorBeyond = beyond - (s.fmWndANG - s.fmAllowWA) * kDegreesPerBinary +
                                  st.breakPitch * kDegreesPerBinary;
    if (elevatorBeyond < -kStallOverDegrees) {
        st.stallHeld = 0;
    } else if (st.flowSeparated || elevatorBeyond >= 0.0) {
        st.stallHeld = 1;
    }
    const double stepsPerSecond = s.fmStepTime > 0 ? 32768.0 / s.fmStepTime : 0.0;
    st.pathDegreesPerSecond += (pathStep * kDegreesPerBinary * stepsPerSecond -
                                st.pathDegreesPerSecond) *
                               kPathRateSmoothing;
    st.swingDrag =
        st.stallHeld ? std::min(kMostSwingDrag, kSwingDrag * std::max(0.0, -st.pathDegreesPerSecond))
                     : 0.0;
    return std::min(st.breakPitch, std::max(d, 0));
}

// The elevator moves the wing's angle of attack (the lookup adds the elevator term and the
// attitude's share of it, 1 + 0.711 |cos bank| times the term) only so far: a wing held fully
// back sits a little past the angle of its greatest lift, never tens of degrees past it, so it
// mushes with a high sink and takes its lift back as the speed builds. The same holds pushing,
// past the table's negative peak, and at any bank: the attitude's share shrinks with the bank's
// cosine, and a limit set for the wings level held the wing of a 25-degree bank a few tenths of a
// degree short of its peak (the jet's nose swung 16 degrees every 24 seconds for as long as the
// yoke was held, never settling into the mush). Binary angle of the elevator term at the limits,
// for an attitude share of `share` (Q15).
constexpr double kElevatorPastPeakDegrees = 1.0;
constexpr std::int32_t kElevatorAttitudeShare = 0x5B00;

std::int32_t ElevatorTermLimit(bool noseUp, std::int32_t share = 32768) {
    const double alpha = PeakLiftAlphaDegrees(FlightModelBaseType(), noseUp) +
                         (noseUp ? 1.0 : -1.0) * kElevatorPastPeakDegrees;
    const double gain = 1.0 + kElevatorAttitudeShare / 32768.0 * share / 32768.0;
    return static_cast<std::int32_t>(alpha / gain * 65536.0 / 360.0);
}

// Past the angle of its greatest lift the wing's own moment turns the nose down into the path
// it flies: the attitude follows the path several times faster than the accelerations alone
// would take it (half the gap a step), so the angle of attack comes back to what the elevator
// holds instead of growing as the path falls away, and the nose drops with the break.
constexpr std::int64_t kStalledPathLagGain = 16384;

// The accelerations count towards the lag's speed up to half a metre a second squared, and in
// ordinary flying (the autopilot's corrections, a change of power, the climb after the take-off,
// the stall and its break) the lag is that slow. Pulling out of a dive hard, beyond a fifth of g,
// with the lagged path still steeper than the path (the wing below the angle its elevator holds),
// the rest counts too, up to a limit that grows with the dynamic pressure above 1.4 times the
// stall speed: the air turns the nose into the path it flies with a moment that grows with the
// dynamic pressure. Held at half a metre a second squared at any speed, the nose of a pull-out at
// twice the trimmed speed trailed the bending path by a degree and a half, the wing flew that
// much below its trimmed angle (a third of its lift at a cruise trim), and a dive let go at a low
// speed with the elevator at its cruise trim swung faster than a wing with no drag would. The lag
// never closes more than half the gap a step.
constexpr std::int64_t kPathLagAccelerationLimit = 32767;  // 16.16 m/s^2
constexpr std::int64_t kHardManoeuvreAcceleration = 2 << 16;
constexpr double kPathLagPressureFromStall = 2.0;  // (1.4 Vs / Vs)^2
constexpr std::int64_t kFastestPathLagGain = 16384;

// The share of the accelerations `a` (16.16 m/s^2) the lag's speed counts, for the path and the
// lagged path (binary angles, positive descending).
std::int64_t PathLagAcceleration(std::int64_t a, bool onGround, std::int32_t path,
                                 std::int32_t lagged) {
    const bool pullOut = path > 0 && lagged > path;
    if (onGround || !pullOut || a <= kHardManoeuvreAcceleration)
        return std::min(a, kPathLagAccelerationLimit);
    const double pressure = GreatestLiftOverWeight() / kPathLagPressureFromStall;
    if (!(pressure > 1.0)) return kPathLagAccelerationLimit;
    const auto limit =
        static_cast<std::int64_t>(kPathLagAccelerationLimit * std::min(pressure, 64.0));
    return std::min(kPathLagAccelerationLimit + (a - kHardManoeuvreAcceleration), limit);
}

bool WingStalled(const FlightModelState& s) {
    if (s.fmOTG || s.fmInvert || s.fmHVel <= 0) return false;
    const int type = FlightModelBaseType();
    const double alpha = theAeroLookup.alphaDegrees;
    return alpha > PeakLiftAlphaDegrees(type, true) || alpha < PeakLiftAlphaDegrees(type, false);
}

// The share (Q15) of their authority the controls keep below the full-control speed.
std::int32_t LowSpeedAuthority(const FlightModelState& s) {
    const AircraftParameters& ap = theAircraftParameters;
    if ((s.fmTAVel >> 16) < ap.apMinControlSpeed) return 0;
    return SpeedFactor(static_cast<std::int64_t>(s.fmTAVel) -
                           (static_cast<std::int64_t>(ap.apMinControlSpeed) << 16),
                       s.fmFullControlSpeed - ap.apMinControlSpeed);
}

}  // namespace

std::int32_t ElevatorAlphaTerm() {
    const FlightModelState& s = theFlightModelState;
    const std::int32_t c = s.fmElvCur >> 2;
    std::int32_t e = c - (c >> 3);
    if ((s.fmTAVel >> 16) < s.fmFullControlSpeed) e = MulQ15(e, LowSpeedAuthority(s));
    // The wing's angle of attack the elevator may hold.
    const std::int32_t share = std::abs(FixedSinCos(s.fmBank).cosine);
    e = std::clamp(e, ElevatorTermLimit(false, share), ElevatorTermLimit(true, share));
    return s.fmInvert ? -e : e;
}

std::int32_t MostElevatorTerm(bool noseUp) {
    return ElevatorTermLimit(noseUp);
}

void LoadAircraftParameters(int type) {
    theFlightModelType = (type >= 0 && type <= 5) ? type : 0;
    theAircraftParameters =
        AircraftParametersForType(theFlightModelType == 5 ? 0 : theFlightModelType);
}

void InitFlightModelForAircraft() {
    FlightModelState& s = theFlightModelState;
    const AircraftParameters& ap = theAircraftParameters;
    s.fmCoreCountdown = 11;
    s.fmCorePeriod = 11;
    s.fmElvRateFast = 384;
    s.fmElvRateSlow = 48;
    s.fmStepTime = 1800;
    s.fmPLoad = ap.apInitialPayload;
    s.fmFuel1 = ap.apInitialFuel[0];
    s.fmFuel2 = ap.apInitialFuel[1];
    s.fmFuel3 = ap.apInitialFuel[2];
    s.fmEmptyWeight = ap.apEmptyWeight;
    s.fmMaxTakeoffWeight = ap.apMaxTakeoffWeight;
    s.fmMaxFuel = ap.apMaxFuel;
    s.fmGearHeight = ap.apGearHeight;
    s.fmTrimStep = ap.apTrimStep;
    s.fmMaxFlaps = ap.apMaxFlaps;
    if (ap.apModelCode == 4 || ap.apModelCode == 5) s.fmGear = 1;
    if (ap.apModelCode == 1 || ap.apModelCode == 4) s.fmSpoil = 0;
    if (s.fmFlaps > s.fmMaxFlaps) s.fmFlaps = s.fmMaxFlaps;
    if (s.fmFlaps < 0) s.fmFlaps = 0;
    s.fmEngineConstant =
        static_cast<std::int32_t>((32767ll * ap.apMaxPower) / 65536 + ap.apIdlePower + 1);
    theEngines.tank[0] = s.fmFuel1;
    theEngines.tank[1] = s.fmFuel2;
}

void IntegrateMotion() {
    FlightModelState& s = theFlightModelState;
    const AircraftParameters& ap = theAircraftParameters;
    FlightStepState& st = theFlightStep;
    const bool onGround = s.fmOTG != 0;
    const bool assisted = s.fmAutoCoordination != 0 || AutopilotOn();

    // 1. Elevator lag.
    {
        const std::int32_t diff = std::abs(s.fmElv - s.fmElvCur);
        s.fmElvCur = Approach(s.fmElvCur, s.fmElv, diff >= 48 ? s.fmElvRateFast : s.fmElvRateSlow);
    }

    // 2. Control terms.
    // Every step is 1/18 s of simulated time at any time acceleration (the clock hands out the
    // steps faster), so nothing of the step depends on the speed-up.
    s.fmRudEff = s.fmRud;
    s.fmAilEff = s.fmAil;
    if (ap.apHighAlphaYaw && !assisted) {
        const std::int32_t term =
            ((theAeroLookup.alphaWord - ap.apHighAlphaThreshold) >> 3) * ap.apHighAlphaGain;
        const std::int32_t result = s.fmRudEff - term;
        if (term >= -32768 && term <= 32767 && result >= -32768 && result <= 32767) {
            s.fmRudEff = static_cast<std::int16_t>(result);
        }
    }

    // 3. Low-speed control authority.
    const std::int32_t T = s.fmTAVel >> 16;
    if (T < s.fmFullControlSpeed) {
        const std::int32_t f = LowSpeedAuthority(s);
        s.fmAilEff = To16(MulQ15(s.fmAilEff, f));
        if (T < ap.apRudderFullSpeed) {
            s.fmRudEff = To16(MulQ15(s.fmRudEff, SpeedFactor(s.fmTAVel, ap.apRudderFullSpeed)));
        }
    } else if (ap.apEngineCount == 1 && T < s.fmFullControlSpeed + 15) {
        s.fmRudEff = To16(MulQ15(s.fmRudEff, SpeedFactor(s.fmTAVel, s.fmFullControlSpeed + 15)));
    }

    // 4. Inverted flight reverses pitch and yaw controls.
    const std::int32_t e = ElevatorAlphaTerm();
    if (s.fmInvert) s.fmRudEff = To16(-static_cast<std::int32_t>(s.fmRudEff));

    // 5. Angle of attack, and the stall warning of the twins' model codes.
    s.fmAlpha = theAeroLookup.alphaWord;
    s.fmElvAlpha = To16(e);
    if ((ap.apModelCode == 1 || ap.apModelCode == 3) && st.running)
        s.fmStallWarning = StallWarning(s) ? 1 : 0;

    // 6. Sines and cosines.
    const SinCos pitch = FixedSinCos(s.fmPitch);
    const SinCos bank = FixedSinCos(s.fmBank);
    const SinCos head = FixedSinCos(s.fmHead);
    const SinCos head90 = FixedSinCos(static_cast<std::uint16_t>(s.fmHead + 0x4000));
    const std::int32_t negSinPitch = -pitch.sine;
    const std::int32_t cosPitch = pitch.cosine;
    const std::int32_t absSinPitch = std::abs(pitch.sine);
    const std::int32_t sinBank = bank.sine;
    const std::int32_t negSinBank = -bank.sine;
    const std::int32_t absCosBank = std::abs(bank.cosine);

    // 7. Square of the true airspeed.
    {
        const std::uint64_t tav = static_cast<std::uint32_t>(s.fmTAVel);
        s.fmTASq = static_cast<std::int32_t>((tav * tav) >> 32);
    }

    // 8. Drag, with rolling and static friction and the brakes on the ground. The brake bytes
    // are 0 or 255: read unsigned, so full brakes add drag rather than push.
    std::int64_t D = s.fmDrag;
    // Rolling backwards on reverse thrust (or standing with it on) the air and the wheels
    // resist the other way round and the wing, flown tail first, lifts nothing.
    const bool backwards = onGround && (s.fmHVel < 0 || (s.fmHVel == 0 && s.fmRThrust));
    if (onGround) {
        D += ap.apRollingFriction;
        if ((Abs32(s.fmHVel) >> 16) <= 2) D += ap.apStaticFriction;
        D += (static_cast<std::int64_t>(ap.apBrakeGain) * static_cast<std::uint8_t>(s.fmLBrake)) >>
             2;
        D += (static_cast<std::int64_t>(ap.apBrakeGain) * static_cast<std::uint8_t>(s.fmRBrake)) >>
             2;
    }
    s.fmDrag = Saturate32(D);
    // The air's forces act along and across the path the aircraft flies now, never along the
    // lagged path angle the attitude follows: lift across a path it no longer flies would push
    // it along, and the dive would gain more speed than its height pays for. Drag opposes the
    // motion whichever way along the heading it goes.
    const AirPath air = AirPathNow(s);
    std::int64_t forceBack = (static_cast<std::int64_t>(s.fmDrag) * air.cosine) >> 15;
    if (air.backward) forceBack = -forceBack;
    // The lift carries the weight; the bank's load factor is already in the lift's share that
    // points up (below), so gravity is the weight, never the weight times that factor.
    std::int64_t forceDown =
        s.fmWeight + ((static_cast<std::int64_t>(s.fmDrag) * air.negSine) >> 15);

    // 9. Thrust along the pitch attitude; reverse thrust gives half, backwards.
    std::int64_t forceFwd = (static_cast<std::int64_t>(s.fmNetThrust) * cosPitch) >> 15;
    std::int64_t forceUp = (static_cast<std::int64_t>(s.fmNetThrust) * negSinPitch) >> 15;
    if (s.fmRThrust) {
        forceFwd = -(forceFwd / 2);
        forceUp = -(forceUp / 2);
    }

    // 10. Lift, with ground effect close to the ground. The ground shapes the flow under a wing
    // no higher than about its span above it: fading over a greater height, the lift it adds
    // carries an aircraft off the runway and drops it back as it climbs out of it.
    std::int64_t L = backwards ? 0 : s.fmLift;
    const std::int64_t effectHeight =
        std::min<std::int64_t>(static_cast<std::int64_t>(ap.apGroundEffectHeight) * 256,
                               std::llround(WingSpanMetres() * 256.0));
    if (effectHeight > 0 && s.fmHeightAGL < effectHeight) {
        const std::int64_t h = s.fmHeightAGL < 0 ? 0 : s.fmHeightAGL;
        const std::int64_t closeness = 32768 - (h * 32768) / effectHeight;  // Q15 of 1 - h / H
        const std::int64_t gain = (closeness * ap.apGroundEffectGain) / 65536;
        L += (L * gain) / 32768;
        s.fmLift = Saturate32(L);
        L = s.fmLift;
    }
    const std::int64_t Lv = (L * absCosBank) >> 15;
    forceUp += ((Lv * air.cosine) >> 15) * (air.backward ? -1 : 1);
    forceBack += (Lv * air.negSine) >> 15;
    s.fmForceUp = Saturate32(forceUp);
    s.fmForceDown = Saturate32(forceDown);
    s.fmForceFwd = Saturate32(forceFwd);
    s.fmForceBack = Saturate32(forceBack);

    // 11 and 12. Vertical and horizontal accelerations; a zero mass leaves the speeds alone.
    if (s.fmMass != 0) {
        const std::int64_t up = static_cast<std::int64_t>(s.fmForceUp) - s.fmForceDown;
        s.fmAccelUp = Saturate32((up * 65536) / s.fmMass);
        std::int64_t vv =
            s.fmVVel + ((static_cast<std::int64_t>(s.fmAccelUp) * s.fmStepTime) >> 15);
        if (onGround && vv < 0) vv = 0;
        s.fmVVel = Saturate32(vv);

        std::int64_t F = static_cast<std::int64_t>(s.fmForceFwd) - s.fmForceBack;
        if (backwards) F = BackwardRollForce(s.fmForceFwd, s.fmForceBack, s.fmHVel, s.fmWeight);
        if (F > s.fmWeight) F = s.fmWeight;
        s.fmAccelFwd = Saturate32((F * 65536) / s.fmMass);
        const std::int64_t hv =
            s.fmHVel + ((static_cast<std::int64_t>(s.fmAccelFwd) * s.fmStepTime) >> 15);
        if (onGround) {
            // The wheels stop the aircraft before they let it roll the other way, and reverse
            // thrust backs it up at a walking pace at most.
            const bool crosses = (s.fmHVel > 0 && hv < 0) || (s.fmHVel < 0 && hv > 0);
            if (crosses || (hv < 0 && !s.fmRThrust && s.fmHVel >= 0)) {
                s.fmHVel = 0;
            } else {
                s.fmHVel = Saturate32(std::max<std::int64_t>(hv, -kMaxBackwardSpeed));
            }
        } else if (hv >= 0 || s.fmHVel < 0) {
            s.fmHVel = Saturate32(hv);
        }
        // In the air a sum that would turn a forward speed backwards is undone: the speed keeps
        // its old value. Flying backwards along the heading (after going over the vertical) the
        // speed follows the forces like any other.
    } else {
        s.fmAccelUp = 0;
        s.fmAccelFwd = 0;
    }

    // 13. Yaw rate.
    std::int32_t yaw =
        ((static_cast<std::int32_t>(s.fmRudEff) + st.spiralTerm) * ap.apYawGain >> 15) +
        st.engineAsymmetryTerm;
    const std::int32_t adverse = (static_cast<std::int32_t>(s.fmAilEff) * ap.apAdverseYaw) >> 15;
    yaw = assisted ? yaw + adverse : yaw - adverse;
    s.fmYVel = To16(yaw);

    // 14. Nose-wheel steering on the ground.
    if (onGround && static_cast<std::int16_t>(s.fmPitch) <= 0x71C && s.fmHVel != 0) {
        const std::int32_t r = s.fmRud >> 4;
        s.fmYVel = To16(r + r / 4 + yaw);
    }

    std::int32_t lift32 = s.fmLift;
    if (!onGround) {
        // 15. Roll rate, with the rudder's roll beyond 8000.
        std::int32_t roll = MulQ15(ap.apRollGain, s.fmAilEff);
        if (!assisted) {
            if (s.fmRudEff > 8000) roll += ((s.fmRudEff - 8000) * ap.apAdverseYaw) >> 15;
            if (s.fmRudEff < -8000) roll += ((s.fmRudEff + 8000) * ap.apAdverseYaw) >> 15;
        }
        s.fmRVel = To16(roll);

        // 16. Side force and side speed.
        std::int64_t side = (static_cast<std::int64_t>(lift32) * negSinBank) >> 15;
        if (s.fmInvert) side = -side;
        s.fmForceSide = Saturate32(side);
        const std::int64_t product = static_cast<std::int64_t>(s.fmForceSide) * ap.apSideForceGain;
        std::uint64_t magnitude = static_cast<std::uint64_t>(product < 0 ? -product : product) << 5;
        if (magnitude > 0xFFFFFFFFull) magnitude = 0xFFFFFFFFull;
        const std::int32_t sv =
            static_cast<std::int32_t>(FixedSqrt32(static_cast<std::uint32_t>(magnitude)) / 4);
        s.fmSVel = product < 0 ? -sv : sv;
    }

    // 17. World velocity.
    {
        const std::int64_t hv = s.fmHVel >> 8;
        const std::int64_t sv = s.fmSVel >> 8;
        s.fmDeltaZ = Saturate32(((hv * head.cosine) >> 15) + ((sv * head90.cosine) >> 15));
        s.fmDeltaX = Saturate32(((hv * head.sine) >> 15) + ((sv * head90.sine) >> 15));
        s.fmDeltaY = s.fmVVel >> 8;
    }

    // 18. Heading from yaw, and the yaw-roll coupling.
    std::int32_t headingChange = 0;
    std::int32_t coupling = 0;
    st.yawHeadingWord = 0;
    {
        const std::int32_t y = MulQ15(s.fmYVel, s.fmStepTime);
        if (y != 0) {
            const std::int32_t h = MulQ15(y, cosPitch);
            s.fmHead = static_cast<std::uint16_t>(s.fmHead + h);
            st.yawHeadingWord = To16(h);
            headingChange += h;
            const std::int32_t p = MulQ15(absSinPitch, y);
            coupling = (p + (y >= 0 ? 15 : -15)) / 4;
        }
    }

    // 19. Bank from the roll rate; crossing the vertical turns the aircraft over.
    {
        const std::int32_t before = static_cast<std::int16_t>(s.fmBank);
        const std::int32_t delta = MulQ15(s.fmRVel, s.fmStepTime) + coupling;
        const std::uint16_t nb = static_cast<std::uint16_t>(s.fmBank - delta);
        const std::int32_t after = static_cast<std::int16_t>(nb);
        const bool uprightBefore = std::abs(before) <= 0x4000;
        const bool uprightAfter = std::abs(after) <= 0x4000;
        s.fmBank = nb;
        if (delta != 0 && uprightBefore != uprightAfter)
            s.fmInvert = static_cast<std::int8_t>(s.fmInvert ^ 1);
    }

    // 20. Flight-path angle, positive descending.
    s.fmWndANG = static_cast<std::int16_t>(PathAngle(Negate32(s.fmVVel), Abs32(s.fmHVel)));

    // 21. Path-angle lag, faster while the aircraft accelerates (pulling out of a dive hard, the
    // faster the air flows).
    {
        std::int64_t g =
            static_cast<std::int64_t>(std::llabs(s.fmAccelFwd)) + std::llabs(s.fmAccelUp);
        g = PathLagAcceleration(g, onGround, s.fmWndANG, s.fmAllowWA);
        int shift = 5;
        if (ap.apModelCode == 1) shift = 6;
        if (ap.apModelCode == 2 || ap.apModelCode == 5) shift = 4;
        g >>= shift;
        g = std::min(g, kFastestPathLagGain);
        if (WingStalled(s)) g = std::max<std::int64_t>(g, kStalledPathLagGain);
        const std::int32_t diff = static_cast<std::int32_t>(s.fmWndANG) - s.fmAllowWA;
        s.fmAllowWA = To16(s.fmAllowWA +
                           PathLagStep(diff, static_cast<std::int32_t>(g), st.pathLagRemainder));
    }

    // 22. Pitch from the path angle and the elevator; over the vertical the aircraft flips.
    const std::int32_t ePrime = MulQ15(e, kElevatorAttitudeShare);
    {
        std::int32_t d = MulQ15(ePrime, absCosBank);
        if (!onGround && s.fmHVel < 0) d = -d;
        // On its wheels a nose-wheel aircraft raises its nose only as the wing takes its weight
        // off the nose wheel: the elevator's nose-up term counts by the wing's share of the
        // weight to the power 1.5. Counted whole from the first knots of the roll, a take-off
        // trim tilted every type 3 to 4 degrees nose up at 20 to 40 knots, and the runway left
        // the forward view for the whole roll.
        if (onGround && d > 0 && s.fmWeight > 0) {
            const double share = std::clamp(
                static_cast<double>(s.fmLift) / static_cast<double>(s.fmWeight), 0.0, 1.0);
            d = static_cast<std::int32_t>(static_cast<double>(d) * share * std::sqrt(share));
        }
        d -= StallBreakPitch(s, onGround, d);
        std::int32_t p = s.fmAllowWA - d;
        if (onGround && p > 0) p = 0;
        bool over = false;
        if (p >= 0x4000) {
            p = 0x8000 - p;
            over = true;
        } else if (p <= -0x4000) {
            p = -0x8000 - p;
            over = true;
        }
        if (over && s.fmHVel >= 0) {
            s.fmInvert = static_cast<std::int8_t>(s.fmInvert ^ 1);
            s.fmHVel = Negate32(s.fmHVel);
            s.fmBank = static_cast<std::uint16_t>(s.fmBank + 0x8000);
            s.fmHead = static_cast<std::uint16_t>(s.fmHead + 0x8000);
        }
        s.fmPitch = static_cast<std::uint16_t>(p);
    }

    // 23. Heading from the side speed.
    if (s.fmSVel != 0 && s.fmHVel != 0) {
        const std::int32_t ang = PathAngle(Abs32(s.fmSVel), Abs32(s.fmHVel));
        std::int32_t h = (ang * (2 * s.fmStepTime)) >> 16;
        if (s.fmSVel < 0) h = -h;
        h = MulQ15(h, cosPitch);
        s.fmHead = static_cast<std::uint16_t>(s.fmHead + h);
        headingChange += h;
    }

    // 24. Elevator in a bank turns the heading.
    {
        const std::int32_t b = MulQ15(ePrime, sinBank);
        const std::int32_t change = b - s.fmDeltaH;
        s.fmHead = static_cast<std::uint16_t>(s.fmHead - change);
        headingChange -= change;
        s.fmDeltaH = To16(b);
    }

    // 25. Turn rate. A zero step time (a record never set up for an aircraft) moves nothing,
    // so there is no rate to report.
    if (s.fmStepTime == 0) {
        s.fmTurnRate = 0;
    } else {
        std::int64_t rate =
            (static_cast<std::int64_t>(std::abs(headingChange)) << 16) / (2 * s.fmStepTime);
        if (rate > 32767) rate = 32767;
        s.fmTurnRate = static_cast<std::int16_t>(headingChange < 0 ? -rate : rate);
    }

    // 26. True airspeed: the length of the velocity along the heading and up, never the
    // horizontal speed over the cosine of a lagged path angle, which overstates it while the path
    // steepens and understates it while the path flattens.
    s.fmTAVel = Saturate32(static_cast<std::int64_t>(std::sqrt(
        static_cast<double>(s.fmHVel) * s.fmHVel + static_cast<double>(s.fmVVel) * s.fmVVel)));
}

void SettleOnGround() {
    FlightModelState& s = theFlightModelState;
    const std::int32_t g = theAircraftParameters.apGearHeight;
    const std::int64_t wheels = static_cast<std::int64_t>(s.fmPosY) - g;
    if (wheels <= 0) {
        s.fmPosY = g;
        s.fmOTG = 1;
    } else if (wheels > theTerrainHeight) {
        s.fmOTG = 0;
    } else {
        s.fmPosY = Saturate32(static_cast<std::int64_t>(theTerrainHeight) + g);
        s.fmOTG = 1;
    }
    const std::uint16_t code = theAircraftParameters.apModelCode;
    if (code != 1 && code != 3) s.fmStallWarning = StallWarning(s) ? 1 : 0;
}

namespace {

// Table position of an altitude in metres (two positions per metre), held at the ends.
std::uint16_t AltitudePosition(std::int64_t metres) {
    std::int64_t x = metres * 2;
    if (x < 0) x = 0;
    if (x > 0xFFFF) x = 0xFFFF;
    return static_cast<std::uint16_t>(x);
}

}  // namespace

void UpdateAltitudeFactorsAndWeight() {
    FlightModelState& s = theFlightModelState;
    const AircraftParameters& ap = theAircraftParameters;
    const std::int64_t metres =
        (s.fmPosY >> 8) + TerrainDatumMetres() + static_cast<std::int64_t>(s.fmDensityAltOffset);
    const std::uint16_t pos = AltitudePosition(metres);
    s.fmIASFactor = Interpolate16U(ap.apIASFactor, pos);
    s.fmFullControlSpeed =
        To16((static_cast<std::int64_t>(Interpolate16Wide(ap.apControlSpeed, pos)) *
              (ap.apFullControlScale / 2)) >>
             15);
    // Without an empty weight there is no aircraft to weigh; the weight and mass stay.
    if (ap.apEmptyWeight != 0) {
        const std::int64_t fuel =
            (static_cast<std::int64_t>(s.fmFuel1) + s.fmFuel2 + s.fmFuel3) / 256;
        s.fmWeight = Saturate32(ap.apEmptyWeight + static_cast<std::int64_t>(s.fmPLoad) + fuel);
        s.fmMass = Saturate32((static_cast<std::int64_t>(s.fmWeight) * 3344) / 32768);
    }
}

void StepFlightModelCore() {
    FlightModelState& s = theFlightModelState;
    const AircraftParameters& ap = theAircraftParameters;
    EngineThrust();
    UpdateAltitudeFactorsAndWeight();

    int notch = s.fmFlaps;
    if (notch < 0) notch = 0;
    if (notch > ap.apMaxFlaps) notch = ap.apMaxFlaps;
    if (notch > 4) notch = 4;
    s.fmFlapAlpha = Approach(s.fmFlapAlpha, ap.apFlapAlpha[notch], ap.apFlapAlphaRate);
    s.fmFlapLift = Approach(s.fmFlapLift, ap.apFlapLift[notch], ap.apFlapLiftRate);
    s.fmFlapDrag = Approach(s.fmFlapDrag, ap.apFlapDrag[notch], ap.apFlapDragRate);

    const std::int32_t bank = static_cast<std::int16_t>(s.fmBank);
    if (bank != 0) {
        s.fmBank = static_cast<std::uint16_t>(Approach(bank, 0, 8));
    }
    RunAutopilot();
}

}  // namespace flight
