// The autopilot: wing leveller, heading hold, radio tracking with glide slope, pitch hold and
// altitude capture and hold. It flies by writing the control positions.
#include <cstdlib>

#include "core/numeric.h"
#include "flight/flight_hooks.h"
#include "flight/flight_model.h"
#include "flight/flight_model_state.h"

namespace flight {

AutopilotWork theAutopilotWork;

namespace {

constexpr std::int16_t kPitchStep = 0x12;

std::int16_t Add16(std::int32_t a, std::int32_t b) {
    return core::ClampToInt16(static_cast<std::int64_t>(a) + b);
}

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
    AutopilotWork& w = theAutopilotWork;
    theFlightModelState.fmApAltSubMode = 8;
    w.huntingCountdown = 16;
    w.holdSubState = 0;
    w.stepCounter = 0;
    for (std::int32_t& v : w.ring)
        v = 0;
    w.ringSum = 0;
    w.ringIndex = 0;
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
        s.fmApAltSubMode = 8;
        return;
    }
    // Nose down (positive) while climbing towards the target, nose up while descending.
    s.fmApPitchTarget = Add16(s.fmApPitchTarget, w.climbing ? kPitchStep : -kPitchStep);
}

void Hold(std::int32_t error) {
    FlightModelState& s = theFlightModelState;
    AutopilotWork& w = theAutopilotWork;
    w.ringSum -= w.ring[w.ringIndex];
    w.ring[w.ringIndex] = s.fmVVel;
    w.ringSum += s.fmVVel;
    w.ringIndex = (w.ringIndex + 1) & 15;
    if (error > 91) {
        s.fmApPitchTarget = Add16(s.fmApPitchTarget, -2 * kPitchStep);
        return;
    }
    if (error < -91) {
        s.fmApPitchTarget = Add16(s.fmApPitchTarget, 2 * kPitchStep);
        return;
    }
    switch (w.holdSubState) {
        case 0:
            if (error > 23 || error < -23) {
                w.stepCounter = 0;
                if (error >= 0) {
                    w.holdSubState = 1;
                    s.fmApPitchTarget = Add16(s.fmApPitchTarget, -kPitchStep);
                } else {
                    w.holdSubState = 2;
                    s.fmApPitchTarget = Add16(s.fmApPitchTarget, kPitchStep);
                }
            } else if (--w.huntingCountdown <= 0) {
                // Trim out the mean vertical speed (1/256 m/s after the shift).
                const std::int32_t m = w.ringSum >> 12;
                const std::int32_t correction = ((std::abs(m) * 0x2764) >> 16) >> 3;
                s.fmApPitchTarget = Add16(s.fmApPitchTarget, m > 0 ? correction : -correction);
                w.huntingCountdown = 10;
            }
            break;
        case 1:
        case 2:
            if (error >= -3 && error <= 3) {
                w.holdSubState = 0;
                w.huntingCountdown = 10;
            } else {
                const bool wrongWay = w.holdSubState == 1 ? s.fmVVel < 0 : s.fmVVel >= 0;
                if (wrongWay && (++w.stepCounter & 7) == 0) {
                    s.fmApPitchTarget =
                        Add16(s.fmApPitchTarget, w.holdSubState == 1 ? -kPitchStep : kPitchStep);
                }
            }
            break;
        default:
            w.holdSubState = 0;
            break;
    }
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
            Hold(error);
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
        const bool capture = in.signalValid && deviation >= -8 && deviation <= 6 &&
                             (gs < 0x81 || gs > 0xB1) && (in.flags & 0x10);
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
