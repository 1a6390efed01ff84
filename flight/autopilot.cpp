// The autopilot: wing leveller, heading hold, radio tracking with glide slope, pitch hold and
// altitude capture and hold. It flies by writing the control positions.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "core/numeric.h"
#include "flight/flight_hooks.h"
#include "flight/flight_model.h"
#include "flight/flight_model_state.h"

namespace flight {

AutopilotWork theAutopilotWork;

namespace {

constexpr std::int16_t kPitchStep = 0x12;

// The altitude hold's laws: the vertical speed wanted per metre of height error (1/s), its
// limit (m/s, about 500 ft/min), the share of the vertical-speed error (as a flight-path angle)
// put straight onto the pitch target and the share added each slow step to the pitch the hold
// learns for level flight, the pitch error (binary angle, two thirds of a degree) beyond which the
// pitch hold is still catching up and nothing is learned, and the slowest airspeed (m/s) the
// angle is reckoned at.
constexpr double kCloseRate = 0.1;
constexpr double kMaxHoldRate = 2.5;
constexpr double kHoldProportional = 0.8;
constexpr double kHoldIntegral = 0.15;
constexpr std::int32_t kCatchingUp = 120;
constexpr double kSlowestSpeed = 20.0;
// The height off the glide path is closed a little faster than a height error (the path comes to
// the aircraft), though not so fast that the pitch and the descent swing about it.
constexpr double kGlidePathClose = 0.15;
// The glide slope, armed by the approach mode, is captured as the needle comes near its centre:
// from below when the path will reach the aircraft within the time the descent takes to set up
// (the path's descent for kCaptureLeadSeconds), from above only once the pilot has brought the
// aircraft as near the path (an aircraft high on the path is not dived at it). The height off the
// path is read from the needle, so only a live needle tells it: at its stop (kPeggedNeedle, 0.7
// degrees) the aircraft may be anywhere beyond, and close to the antenna a pegged needle's
// 0.7 degrees are only tens of feet. The capture waits for the localizer within half its scale
// (the intercept turn done), and the path is kept while the localizer stays within three
// quarters of it and the needle stays live.
constexpr double kCaptureLeadSeconds = 6.0;
constexpr std::int32_t kCaptureCourse = 64;
constexpr std::int32_t kKeepCourse = 96;
constexpr std::int32_t kPeggedNeedle = 127;
constexpr std::int32_t kMostNoseUp = 0xAAB;    // 15 degrees
constexpr std::int32_t kMostNoseDown = 0x71C;  // 10 degrees
constexpr double kUnitsPerRadian = 32768.0 / 3.14159265358979323846;

std::int16_t Add16(std::int32_t a, std::int32_t b) {
    return core::ClampToInt16(static_cast<std::int64_t>(a) + b);
}

// The elevator position (the control word) whose term is `term`: the core takes 7/32 of it.
std::int32_t ElevatorForTerm(std::int32_t term) {
    return term * 32 / 7;
}

// The pitch hold moves the elevator at most 256 a slow step, and only within the travel the wing
// answers (MostElevatorTerm): an autopilot that cannot hold its pitch (too little power for the
// height) stalls the wing gently and mushes, instead of winding the elevator on to its stop and
// zooming once the speed is back.
void PitchHold() {
    FlightModelState& s = theFlightModelState;
    const std::int32_t error = static_cast<std::int16_t>(s.fmPitch) - s.fmApPitchTarget;
    if (error == 0) return;
    std::int32_t x = error * 8;
    if (x > 256) x = 256;
    if (x < -256) x = -256;
    const std::int32_t mag = std::abs(x);
    if (mag <= 64) {
        x /= 8;
    } else if (mag <= 96) {
        x /= 4;
    } else if (mag <= 192) {
        x /= 2;
    }
    const std::int32_t highest = ElevatorForTerm(MostElevatorTerm(true));
    const std::int32_t lowest = ElevatorForTerm(MostElevatorTerm(false));
    // A move towards the travel's inside is always taken; one past its end only up to it.
    if (x > 0 && s.fmElv + x > highest) x = std::max(0, highest - s.fmElv);
    if (x < 0 && s.fmElv + x < lowest) x = std::min(0, lowest - s.fmElv);
    s.fmApElvTrim = Add16(s.fmApElvTrim, x);
    s.fmElv = Add16(s.fmElv, x);
}

void WingLeveller() {
    FlightModelState& s = theFlightModelState;
    const std::int32_t bank = static_cast<std::int16_t>(s.fmBank);
    if (std::abs(bank) > 0x100) {
        std::int32_t c = bank + ((bank * 0x1000) >> 15);
        if (c > 64) c = 64;
        if (c < -64) c = -64;
        s.fmAil = Add16(s.fmAil, c);
        s.fmRud = s.fmAil;
    } else {
        s.fmAil = 0;
        s.fmRud = 0;
    }
}

std::int32_t AltitudeError() {
    const FlightModelState& s = theFlightModelState;
    const std::int32_t altitude = static_cast<std::uint16_t>(s.fmPosY >> 8) + TerrainDatumMetres();
    return static_cast<std::int32_t>(s.fmApTargetAlt) - altitude;
}

void StartHold() {
    theFlightModelState.fmApAltSubMode = 8;
    theAutopilotWork.holdPitch = std::nan("");
}

void LevelOff(std::int32_t error) {
    FlightModelState& s = theFlightModelState;
    AutopilotWork& w = theAutopilotWork;
    s.fmApAltSubMode = 4;
    // Closing means still moving towards the target: a level-off that stopped short of it (the
    // climb's lead overestimated) hands over to the hold, which flies the rest of the way, instead
    // of lowering the nose for ever.
    const bool closing = w.climbing ? error >= 0 && s.fmVVel > 0 : error <= 0 && s.fmVVel < 0;
    if (!closing) {
        StartHold();
        return;
    }
    if (error >= -10 && error <= 10) {
        StartHold();
        return;
    }
    // Nose down (positive) while climbing towards the target, nose up while descending.
    s.fmApPitchTarget = Add16(s.fmApPitchTarget, w.climbing ? kPitchStep : -kPitchStep);
}

// The hold steers the vertical speed towards a rate that closes the height error (proportional,
// up to a cruise-climb rate). The pitch target is the pitch the hold has learned for level flight
// plus the vertical-speed error as the flight-path angle it stands for at the airspeed; the
// learned pitch takes in a share of that error each step, so a turn's lost lift or a change of
// power is trimmed out instead of leaving the aircraft sinking. It learns only while the pitch
// hold keeps up with the target: the elevator moves at a limited rate, and learning while a
// badly trimmed elevator is still being wound in would swing the target from one limit to the
// other and the aircraft up and down with it. The height is read to 1/256 m: a whole-metre
// error and a dead band of tens of metres would leave a standing sink of tens of feet a minute
// unseen.
void HoldVerticalSpeed(double wanted);

// The height above the sea (m) to 1/256 m.
double HeightMetres() {
    const FlightModelState& s = theFlightModelState;
    return (static_cast<double>(s.fmPosY) + 256.0 * TerrainDatumMetres()) / 256.0;
}

void Hold() {
    const FlightModelState& s = theFlightModelState;
    const double error = static_cast<double>(s.fmApTargetAlt) - HeightMetres();
    HoldVerticalSpeed(theAutopilotWork.holdPathClimb +
                      std::clamp(error * kCloseRate, -kMaxHoldRate, kMaxHoldRate));
}

// Steers the vertical speed (m/s, climbing positive) towards `wanted` through the pitch target.
void HoldVerticalSpeed(double wanted) {
    FlightModelState& s = theFlightModelState;
    AutopilotWork& w = theAutopilotWork;
    const double climb = s.fmVVel / 65536.0;
    const double speed = std::max(std::fabs(s.fmHVel / 65536.0), kSlowestSpeed);
    const double gap = (wanted - climb) / speed * kUnitsPerRadian;
    // The target stays within the attitudes an autopilot may command, so that a stall (too
    // little power to hold the height) does not wind it up into a zoom once the speed is back.
    const double lowest = -kMostNoseUp;
    const double highest = kMostNoseDown;
    if (std::isnan(w.holdPitch))
        w.holdPitch = std::clamp<double>(s.fmApPitchTarget, lowest, highest);
    const std::int32_t behind = std::abs(static_cast<std::int16_t>(s.fmPitch) - s.fmApPitchTarget);
    if (behind <= kCatchingUp)
        w.holdPitch = std::clamp(w.holdPitch - kHoldIntegral * gap, lowest, highest);
    s.fmApPitchTarget = static_cast<std::int16_t>(
        std::lround(std::clamp(w.holdPitch - kHoldProportional * gap, lowest, highest)));
}

void AltitudeHold() {
    FlightModelState& s = theFlightModelState;
    AutopilotWork& w = theAutopilotWork;
    const std::int32_t error = AltitudeError();
    const std::int32_t altitude = static_cast<std::uint16_t>(s.fmPosY >> 8) + TerrainDatumMetres();
    const std::int32_t ahead = altitude + 6 * (s.fmVVel >> 16);
    switch (s.fmApAltSubMode) {
        case 1:  // climb capture
            if (altitude >= 4572) s.fmApPitchTarget = -0x38E;
            if (static_cast<std::int32_t>(s.fmApTargetAlt) > ahead) break;
            w.climbing = 1;
            LevelOff(error);
            break;
        case 2:  // descent capture
            if (static_cast<std::int32_t>(s.fmApTargetAlt) < ahead) break;
            w.climbing = 0;
            LevelOff(error);
            break;
        case 4:
            LevelOff(error);
            break;
        case 8:
            Hold();
            break;
        default:  // start
            if (error >= -10 && error <= 10) {
                StartHold();
            } else {
                w.climbing = s.fmVVel >= 0 ? 1 : 0;
                s.fmApAltSubMode = 4;
            }
            break;
    }
    PitchHold();
}

// The heading hold banks in proportion to the heading error, up to a limit, and the ailerons
// roll in proportion to the bank error: a law of steps with a dead band of a degree settles
// anywhere within that degree of the bug and hunts between its steps.
constexpr double kBankPerHeadingDegree = 2.0;
constexpr double kMostBankDegrees = 25.0;
constexpr double kAileronPerBankDegree = 400.0;
constexpr std::int32_t kMostAileron = 1024;
// Beyond this bank the rudder helps the turn along, as the autopilot's yaw channel does.
constexpr double kRudderFromBankDegrees = 10.0;
constexpr double kRudderPerBankDegree = 100.0;
// The bank learned for a standing heading error: degrees of bank a second per degree of error,
// within a few degrees of the heading, and at most a few degrees of bank.
constexpr double kTurnLearnPerSecond = 0.042;
constexpr double kLearnTurnWithinDegrees = 3.0;
constexpr double kMostTurnLearned = 3.0;

// The radio tracking turns the deviation into the distance off the course (the receivers'
// scales: a localizer's full scale of 127 is 2.5 degrees, a VOR's 10) and steers an intercept
// that closes that distance in about kTrackSeconds, at most kMostIntercept degrees off the
// course; it learns the heading that holds the course against the wind, the integral of the
// intercept over kWindSeconds, once it has come near the course and while the intercept is
// within its limit (a wind that sets in on the way down, below the winds aloft, is learned at
// whatever distance off the course it has blown the aircraft).
constexpr double kLocalizerDeviationPerDegree = 127.0 / 2.5;
constexpr double kVorDeviationPerDegree = 127.0 / 10.0;
constexpr double kTrackSeconds = 12.0;
constexpr double kMostInterceptLocalizer = 30.0;
constexpr double kMostInterceptVor = 45.0;
constexpr double kWindSeconds = 25.0;
constexpr double kMostWindCorrection = 20.0;
constexpr double kAutopilotDegreesPerUnit = 360.0 / 65536.0;
constexpr double kRadiansPerDegree = 3.14159265358979323846 / 180.0;

// The time between two runs of the autopilot: it runs with the core, every fmCorePeriod + 1
// flight-model steps.
double StepSeconds() {
    const FlightModelState& s = theFlightModelState;
    const std::int32_t t = s.fmStepTime;
    return (t > 0 ? t : 1800) * (s.fmCorePeriod + 1.0) / 32768.0;
}

// The ground speed the laws reckon with (m/s), never below the slowest they are tuned for.
double TrackSpeed() {
    return std::max(std::fabs(theFlightModelState.fmHVel / 65536.0), kSlowestSpeed);
}

// Ailerons towards the bank target (binary angle), and the rudder.
void Steer(std::int32_t bankTarget, std::int32_t rudder) {
    FlightModelState& s = theFlightModelState;
    const std::int32_t bank = static_cast<std::int16_t>(s.fmBank);
    const double e = (bankTarget - bank) * kAutopilotDegreesPerUnit;
    // Positive bank is to the left: a bank target right of the bank takes negative aileron.
    s.fmAil = static_cast<std::int16_t>(
        std::clamp<std::int32_t>(static_cast<std::int32_t>(std::lround(-e * kAileronPerBankDegree)),
                                 -kMostAileron, kMostAileron));
    s.fmRud = static_cast<std::int16_t>(rudder);
}

// Bank target and rudder for a heading error (binary angle, positive to the right). The bank
// the wing keeps is less than the ailerons aim at (it rolls back towards level by itself), so the
// bank that a small error asks for is learned while the error stands: without it the aircraft
// settles short of the heading. The radio tracking learns its own correction (the wind's), so
// only the heading hold learns the bank.
void Turn(std::int32_t error, bool learn) {
    AutopilotWork& w = theAutopilotWork;
    const double degrees = error * kAutopilotDegreesPerUnit;
    if (!learn) w.turnLearned = 0;
    if (learn && std::fabs(degrees) < kLearnTurnWithinDegrees) {
        w.turnLearned = std::clamp(w.turnLearned + degrees * kTurnLearnPerSecond * StepSeconds(),
                                   -kMostTurnLearned, kMostTurnLearned);
    }
    const double bank = std::clamp(degrees * kBankPerHeadingDegree + w.turnLearned,
                                   -kMostBankDegrees, kMostBankDegrees);
    double rudder = 0;
    if (std::fabs(bank) > kRudderFromBankDegrees)
        rudder =
            (std::fabs(bank) - kRudderFromBankDegrees) * kRudderPerBankDegree * (bank > 0 ? 1 : -1);
    // The bank angle counts positive to the left, so a turn to the right banks negative.
    Steer(static_cast<std::int32_t>(std::lround(-bank / kAutopilotDegreesPerUnit)),
          static_cast<std::int32_t>(std::lround(rudder)));
}

// The heading (binary angle, before the magnetic variation) that brings the aircraft onto the
// course from deviation `d` (positive left of the course, where the needle says fly right).
std::uint16_t TrackingHeading(std::int32_t d, std::uint16_t course, bool localizer,
                              std::uint32_t rangeMetres) {
    AutopilotWork& w = theAutopilotWork;
    const double perDegree = localizer ? kLocalizerDeviationPerDegree : kVorDeviationPerDegree;
    const double off =
        static_cast<double>(rangeMetres) * std::sin(d / perDegree * kRadiansPerDegree);
    const double most = localizer ? kMostInterceptLocalizer : kMostInterceptVor;
    const double intercept =
        std::clamp(off / (TrackSpeed() * kTrackSeconds) / kRadiansPerDegree, -most, most);
    // The wind is learned only once the aircraft has come near the course, so that the
    // intercept itself is not taken for a wind.
    if (std::fabs(intercept) < most / 2) w.trackEstablished = 1;
    if (w.trackEstablished != 0 && std::fabs(intercept) < most)
        w.windCorrection = std::clamp(w.windCorrection + intercept * StepSeconds() / kWindSeconds,
                                      -kMostWindCorrection, kMostWindCorrection);
    const double degrees = intercept + w.windCorrection;
    return static_cast<std::uint16_t>(
        course + static_cast<std::int32_t>(std::lround(degrees / kAutopilotDegreesPerUnit)));
}

// The height (m) above the glide path: the deviation angle at the range to the glide-slope
// antenna.
double GlidePathAbove(std::int32_t g, const AutopilotNavInput& in) {
    const double path = in.glideSlopeAngle * kAutopilotDegreesPerUnit * kRadiansPerDegree;
    const double off = g * kAutopilotDegreesPerUnit * kRadiansPerDegree;
    return static_cast<double>(in.glideSlopeRangeMetres) * (std::tan(path + off) - std::tan(path));
}

// The glide path's own descent (m/s, positive) at the ground speed.
double GlidePathDescent(const AutopilotNavInput& in) {
    return TrackSpeed() *
           std::tan(in.glideSlopeAngle * kAutopilotDegreesPerUnit * kRadiansPerDegree);
}

// The vertical speed (m/s) that flies the glide path: the path's own descent, and a closing rate
// for the height off it.
double GlidePathVerticalSpeed(std::int32_t g, const AutopilotNavInput& in) {
    const double above = GlidePathAbove(g, in);
    const double closing = std::clamp(-above * kGlidePathClose, -kMaxHoldRate, kMaxHoldRate);
    return -GlidePathDescent(in) + closing;
}

}  // namespace

void RunAutopilot() {
    FlightModelState& s = theFlightModelState;
    AutopilotWork& w = theAutopilotWork;
    if ((s.fmAutopilotModes & kApModeEngaged) == 0 || s.fmOTG == 1) return;
    // What the lateral laws learned belongs to the mode and the flight it was learned in.
    if (s.fmAutopilotModes != w.learnedModes) {
        w.learnedModes = s.fmAutopilotModes;
        w.windCorrection = 0;
        w.trackEstablished = 0;
        w.turnLearned = 0;
        w.approachArmed = 0;
        w.approachCaptured = 0;
    }

    if ((s.fmAutopilotModes & ~kApModeEngaged) == 0) {
        WingLeveller();
        PitchHold();
        return;
    }
    if ((s.fmAutopilotModes & kApModeApproach) == 0) s.fmAutopilotState |= kApStatePitchHold;

    const AutopilotNavInput& in = theAutopilotNavInput;
    const bool radio = (s.fmAutopilotModes & (kApModeNav | kApModeApproach)) != 0;
    const bool backCourse = !radio && (s.fmAutopilotModes & kApModeHeading) == 0 &&
                            (s.fmAutopilotModes & kApModeBackCourse) != 0;
    std::int32_t deviation = 0;
    if ((radio || backCourse) && in.signalValid) {
        deviation = in.courseDeviation;
        std::uint16_t bearing = in.bearing;
        if (backCourse) {
            deviation = static_cast<std::int8_t>(
                static_cast<std::uint8_t>(255 - static_cast<std::uint8_t>(in.courseDeviation)));
            bearing = static_cast<std::uint16_t>(bearing + 0x8000);
        }
        const bool toBearing = (in.flags & 0x08) != 0;
        const std::uint16_t course = toBearing ? bearing : in.selectedCourse;
        if ((in.flags & 0x02) && in.distance < 7) {
            if (!w.passageLatched) {
                w.passageLatched = 1;
                w.passageDeviation = static_cast<std::int8_t>(deviation);
            }
            deviation = w.passageDeviation;
        } else {
            w.passageLatched = 0;
        }
        s.fmApCourse = TrackingHeading(deviation, course, in.localizer != 0, in.rangeMetres);
        std::uint16_t target = s.fmApCourse;
        if (!toBearing) target = static_cast<std::uint16_t>(target + theMagneticVariation);
        Turn(static_cast<std::int16_t>(static_cast<std::uint16_t>(target - s.fmHead)), false);
    } else if (!radio && (s.fmAutopilotModes & kApModeHeading)) {
        const std::uint16_t target =
            static_cast<std::uint16_t>(s.fmApHeadingSel + theMagneticVariation);
        Turn(static_cast<std::int16_t>(static_cast<std::uint16_t>(target - s.fmHead)), true);
    }

    if (s.fmAutopilotModes & kApModeApproach) {
        const std::int32_t g = static_cast<std::int8_t>(in.glideSlopeDeviation);
        // The glide slope is captured once the localizer is held and the glide path is near,
        // and kept while the localizer stays held: a capture gate narrower than what the
        // tracking holds would never open.
        const bool captured = (s.fmAutopilotState & kApStateGlideSlope) != 0;
        const std::int32_t gate = captured ? kKeepCourse : kCaptureCourse;
        const bool onCourse = deviation >= -gate && deviation <= gate;
        const double near = GlidePathDescent(in) * kCaptureLeadSeconds;
        const double above = GlidePathAbove(g, in);
        const bool live = std::abs(g) < kPeggedNeedle;
        const bool onPath = live && (captured || (above >= -near && above <= near));
        const bool capture =
            in.signalValid && onCourse && onPath && (in.flags & 0x10) && in.glideSlopeAngle != 0;
        if (!w.approachArmed) {
            w.approachArmed = 1;
            w.approachHeight = HeightMetres();
            w.holdPitch = std::nan("");
        }
        if (capture) {
            // The descent starts from the pitch the aircraft flies with.
            if (!captured) w.holdPitch = std::nan("");
            w.approachCaptured = 1;
            s.fmAutopilotState = static_cast<std::uint16_t>(
                (s.fmAutopilotState | kApStateGlideSlope) & ~kApStatePitchHold);
        } else {
            s.fmAutopilotState = static_cast<std::uint16_t>(
                (s.fmAutopilotState & ~kApStateGlideSlope) | kApStatePitchHold);
        }
    }

    if (s.fmAutopilotState & kApStateGlideSlope) {
        if (s.fmAutopilotState & kApStateAltitude) {
            s.fmAutopilotState = static_cast<std::uint16_t>(s.fmAutopilotState & ~kApStateAltitude);
            AltitudeHold();
            return;
        }
        HoldVerticalSpeed(
            GlidePathVerticalSpeed(static_cast<std::int8_t>(in.glideSlopeDeviation), in));
        PitchHold();
    } else if (s.fmAutopilotState & kApStateAltitude) {
        AltitudeHold();
    } else if ((s.fmAutopilotModes & kApModeApproach) && !w.approachCaptured) {
        // Armed, the approach holds its height until the glide path comes to it, through the
        // localizer's turns and wherever the localizer leads past its antenna.
        HoldVerticalSpeed(std::clamp((w.approachHeight - HeightMetres()) * kCloseRate,
                                     -kMaxHoldRate, kMaxHoldRate));
        PitchHold();
    } else if (s.fmAutopilotState & kApStatePitchHold) {
        PitchHold();
    }
}

}  // namespace flight
