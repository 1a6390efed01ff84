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
constexpr std::int32_t kMostNoseUp = 0xAAB;   // 15 degrees
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
void Hold() {
    FlightModelState& s = theFlightModelState;
    AutopilotWork& w = theAutopilotWork;
    const double metres =
        (static_cast<double>(s.fmPosY) + 256.0 * TerrainDatumMetres()) / 256.0;
    const double error = static_cast<double>(s.fmApTargetAlt) - metres;
    const double climb = s.fmVVel / 65536.0;
    const double wanted = std::clamp(error * kCloseRate, -kMaxHoldRate, kMaxHoldRate);
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

void Steer(std::int32_t bankTarget, std::int32_t rudder);

// Bank target and rudder for a heading error.
void Turn(std::int32_t error) {
    const std::int32_t mag = std::abs(error);
    std::int32_t bankTarget;
    std::int32_t rudder;
    if (mag <= 0xB6) {
        bankTarget = 0;
        rudder = 0;
    } else if (mag <= 0x2D8) {
        bankTarget = 0x222;
        rudder = 0;
    } else if (mag <= 0x5B0) {
        bankTarget = 0x444;
        rudder = 0;
    } else if (mag <= 0xE38) {
        bankTarget = 0xCCD;
        rudder = -1024;
    } else {
        bankTarget = 0x11C7;
        rudder = -2048;
    }
    if (error >= 0) {
        bankTarget = -bankTarget;
        rudder = -rudder;
    }
    Steer(bankTarget, rudder);
}

// Ailerons towards the bank target, and the rudder.
void Steer(std::int32_t bankTarget, std::int32_t rudder) {
    FlightModelState& s = theFlightModelState;
    const std::int32_t bank = static_cast<std::int16_t>(s.fmBank);
    const std::int32_t e = bankTarget - bank;
    std::int32_t ail = 0;
    if (std::abs(e) > 0x16C) {
        ail = 1024;
    } else if (std::abs(e) > 0x5B) {
        ail = 256;
    }
    if (bankTarget >= bank) ail = -ail;
    s.fmAil = static_cast<std::int16_t>(ail);
    s.fmRud = static_cast<std::int16_t>(rudder);
}

}  // namespace

void RunAutopilot() {
    FlightModelState& s = theFlightModelState;
    AutopilotWork& w = theAutopilotWork;
    if ((s.fmAutopilotModes & kApModeEngaged) == 0 || s.fmOTG == 1) return;

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
        s.fmApCourse = static_cast<std::uint16_t>(65 * deviation + course);
        if (deviation >= 0 && deviation <= 15) {
            Steer(0, 0);
        } else {
            std::uint16_t target = s.fmApCourse;
            if (!toBearing) target = static_cast<std::uint16_t>(target + theMagneticVariation);
            Turn(static_cast<std::int16_t>(static_cast<std::uint16_t>(target - s.fmHead)));
        }
    } else if (!radio && (s.fmAutopilotModes & kApModeHeading)) {
        const std::uint16_t target =
            static_cast<std::uint16_t>(s.fmApHeadingSel + theMagneticVariation);
        Turn(static_cast<std::int16_t>(static_cast<std::uint16_t>(target - s.fmHead)));
    }

    if (s.fmAutopilotModes & kApModeApproach) {
        const std::uint8_t gs = in.glideSlopeDeviation;
        // Once captured the glide slope is kept while the localizer stays within a quarter of
        // full scale: a small wander off the centre line must not drop the descent into the
        // pitch hold half way down.
        const bool captured = (s.fmAutopilotState & kApStateGlideSlope) != 0;
        const bool onCourse = captured ? deviation >= -32 && deviation <= 32
                                       : deviation >= -8 && deviation <= 6;
        const bool capture = in.signalValid && onCourse && (gs < 0x81 || gs > 0xB1) &&
                             (in.flags & 0x10);
        if (capture) {
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
        const std::int32_t g = static_cast<std::int8_t>(in.glideSlopeDeviation);
        const std::int32_t mag = std::abs(g);
        if (mag > w.glideSlopeMemory || w.glideSlopeCountdown == 0) {
            w.glideSlopeMemory = static_cast<std::uint8_t>(mag);
            w.glideSlopeCountdown = static_cast<std::uint8_t>(mag / 4 + 1);
            s.fmApPitchTarget = Add16(s.fmApPitchTarget, 2 * g);
        } else {
            --w.glideSlopeCountdown;
        }
        PitchHold();
    } else if (s.fmAutopilotState & kApStateAltitude) {
        AltitudeHold();
    } else if (s.fmAutopilotState & kApStatePitchHold) {
        PitchHold();
    }
}

}  // namespace flight
