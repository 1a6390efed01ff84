// One flight step in its fixed order: slow core step, forces, equations of motion, turbulence,
// the turn from bank, the averaged vertical speed, air data, wind drift, position advance,
// ground step and crash check.
#include <cmath>
#include <cstdlib>

#include "core/numeric.h"
#include "flight/aircraft_parameters.h"
#include "flight/airspeed.h"
#include "flight/fixed_point.h"
#include "flight/flight_hooks.h"
#include "flight/flight_model.h"
#include "flight/flight_model_state.h"
#include "flight/flight_world_services.h"
#include "flight/ground_track.h"

namespace flight {

FlightStepState theFlightStep;

namespace {

constexpr double kFlightUpdateDegreesPerUnit = 0.005493298176225006;
constexpr float kTurbulenceGains[5] = {0.0f, 8.669867f, 17.339733f, 34.679466f, 69.358932f};
constexpr int kTurbulenceRows[9][2] = {{0, 0}, {1, 1}, {2, 1}, {1, 1}, {0, 0},
                                       {0, 0}, {0, 0}, {0, 0}, {0, 0}};

std::int16_t FlightUpdateTo16(double v) {
    return core::ClampToInt16(core::ClampToInt32(v));
}

bool FlightUpdateAutopilotOn() {
    return (theFlightModelState.fmAutopilotModes & 1) != 0;
}

// The density-altitude offset (metres) the outside air's temperature gives.
std::int32_t DensityAltitudeOffset(std::int16_t oat) {
    return oat < 3840 ? 0 : core::ClampToInt32(((oat - 3840) / 1792) * 304.8);
}

// A flight just read holds its place, attitude, speeds, controls and levers, but not what the
// steps work out from them as they go (the read clears the net thrust; the air data, the weight,
// the elevator's angle of attack, the engines' power and thrust come from the slow core step or
// from the motion, which use them before they would come): they are worked out before the first
// step's forces, in the order they depend on each other, so that the flight goes on as it was
// saved. A loaded King Air's cruise had its first step without lift and its first second without
// thrust, and sank 70 ft in its first minute hands off.
void SettleAfterRead() {
    FlightModelState& s = theFlightModelState;
    UpdateAtmosphere();
    s.fmDensityAltOffset = DensityAltitudeOffset(s.fmOAT);
    UpdateAltitudeFactorsAndWeight();
    const std::uint64_t tav = static_cast<std::uint32_t>(s.fmTAVel);
    s.fmTASq = static_cast<std::int32_t>((tav * tav) >> 32);
    s.fmElvAlpha = FlightUpdateTo16(ElevatorAlphaTerm());
    UpdateAirData();
    // The engines' power and thrust at that air; the mixture correction then takes that thrust.
    StepEngines();
    EngineThrust();
    StepEngines();
}

// Refreshes the terrain under the aircraft, which moved from (fromX, fromZ) in this step, and
// keeps how the ground rose under it: the datum follows the ground and the aircraft's height
// above it moves the other way, so the altitude is unchanged. Where it changed, the terrain
// started afresh (a new window of tiles) and the rise is not known.
void MeasureGroundAlongTrack(std::int32_t fromX, std::int32_t fromZ) {
    FlightModelState& s = theFlightModelState;
    FlightStepState& st = theFlightStep;
    const std::int32_t datum = theTerrainDatum;
    const std::int64_t altitude = static_cast<std::int64_t>(s.fmPosY) + datum;
    theFlightWorldServices.refreshTerrain();
    const std::int64_t rise = static_cast<std::int64_t>(theTerrainDatum) - datum;
    const bool followed = static_cast<std::int64_t>(s.fmPosY) + theTerrainDatum == altitude;
    st.groundRise = followed ? Saturate32(rise) : 0;
    st.groundRun = followed ? Saturate32(static_cast<std::int64_t>(std::hypot(
                                  static_cast<double>(s.fmPosX) - fromX,
                                  static_cast<double>(s.fmPosZ) - fromZ)))
                            : 0;
    st.groundAtX = s.fmPosX;
    st.groundAtZ = s.fmPosZ;
    st.groundDatum = theTerrainDatum;
}

}  // namespace

void UpdateFlight() {
    FlightModelState& s = theFlightModelState;
    FlightStepState& st = theFlightStep;
    if (st.freezeFrames != 0) return;

    if (theFlightWorldServices.isSlewing()) {
        StepEngines();
        theFlightWorldServices.slewStep();
        theFlightWorldServices.refreshTerrain();
        st.groundRise = st.groundRun = 0;
        ForgetGroundAlongTrack();
        return;
    }
    // Put elsewhere since the last step: what that step measured is another place's ground.
    if (s.fmPosX != st.groundAtX || s.fmPosZ != st.groundAtZ || theTerrainDatum != st.groundDatum) {
        st.groundRise = st.groundRun = 0;
        ForgetGroundAlongTrack();
    }

    st.running = 1;
    const std::uint16_t heading = s.fmHead;
    FlightStep();

    if (s.fmOTG) {
        s.fmBank = 0;
        s.fmRVel = 0;
        if (s.fmTAVel == 0) {
            s.fmYVel = 0;
            s.fmDeltaX = s.fmDeltaY = s.fmDeltaZ = 0;
            s.fmForceFwd = s.fmForceBack = s.fmForceSide = 0;
        }
    }

    // The heading is driven only by the turn from bank and the yaw below.
    s.fmHead = heading;
    const std::int32_t bank = static_cast<std::int16_t>(s.fmBank);
    if (bank != 0) {
        double b = std::abs(bank) * kFlightUpdateDegreesPerUnit;
        if (b > 90.0) b = 180.0 - b;
        const double t = std::tan(b * 0.017453292) * 1091.57;
        const double v = s.fmTAVel * 3.0517578125e-05;
        const double increment = v == 0.0 ? 0.0 : t / v;
        double r = increment * 10.113333333333332;
        if (s.fmOTG) r = 0.0;
        const std::int16_t turn = FlightUpdateTo16(r);
        if (bank > 0) {
            s.fmHead = static_cast<std::uint16_t>(s.fmHead - turn);
            st.turnIncrement = -static_cast<double>(turn);
        } else {
            s.fmHead = static_cast<std::uint16_t>(s.fmHead + turn);
            st.turnIncrement = turn;
        }
    } else {
        st.turnIncrement = 0.0;
    }

    if (s.fmTAVel * 3.0517578125e-05 > 5.0) {
        s.fmHead = static_cast<std::uint16_t>(s.fmHead + st.yawHeadingWord);
        st.yawAccumulator += st.yawHeadingWord;
        if (st.yawAccumulator > 4551) st.yawAccumulator = 4551;
        if (st.yawAccumulator < -4551) st.yawAccumulator = -4551;
    } else {
        st.yawAccumulator = 0;
    }

    st.vsIndex = st.vsIndex >= 35 ? 0 : st.vsIndex + 1;
    st.vsRing[st.vsIndex] = s.fmVVel;
    double sum = 0.0;
    for (int i = 0; i < 18; ++i)
        sum += st.vsRing[(st.vsIndex - i + 36) % 36];
    st.averagedVerticalSpeed = sum * 0.05555555555555555;

    UpdateAirData();

    if (!s.fmOTG) {
        s.fmDeltaX = Saturate32(static_cast<std::int64_t>(s.fmDeltaX) + theWindAtAircraftX);
        s.fmDeltaZ = Saturate32(static_cast<std::int64_t>(s.fmDeltaZ) + theWindAtAircraftZ);
    }

    const std::int32_t fromX = s.fmPosX;
    const std::int32_t fromZ = s.fmPosZ;
    s.fmPosX =
        Saturate32(s.fmPosX + ((static_cast<std::int64_t>(s.fmDeltaX) * s.fmStepTime) >> 15));
    s.fmPosY =
        Saturate32(s.fmPosY + ((static_cast<std::int64_t>(s.fmDeltaY) * s.fmStepTime) >> 15));
    s.fmPosZ =
        Saturate32(s.fmPosZ + ((static_cast<std::int64_t>(s.fmDeltaZ) * s.fmStepTime) >> 15));

    // The datum follows the ground under the new place before the wheels are set on it and the
    // contact is judged: the ground met in this step is judged in this step, and the step leaves
    // the aircraft on or above the ground under it. Nothing between two steps (a picture) finds
    // it below the ground.
    MeasureGroundAlongTrack(fromX, fromZ);
    SettleOnGround();
    CheckCrash();
}

void FlightStep() {
    FlightModelState& s = theFlightModelState;
    FlightStepState& st = theFlightStep;
    const AircraftParameters& ap = theAircraftParameters;

    if (st.firstStepAfterRead) {
        st.firstStepAfterRead = 0;
        SettleAfterRead();
    }
    if (s.fmCoreCountdown > 0) --s.fmCoreCountdown;
    if (s.fmCoreCountdown == 0) {
        s.fmCoreCountdown = static_cast<std::uint8_t>(s.fmCorePeriod + 1);
        StepEngineAndCore();
    }

    ComputeAeroForces();

    if (!s.fmOTG && !s.fmAutoCoordination) {
        st.engineAsymmetryTerm = 0;
        const int type = FlightModelBaseType();
        double p1 = 0.0;
        double p2 = 0.0;
        if (type == 2) {
            p1 = s.fmEngineSecond[0] / 3000.0;
            p2 = s.fmEngineSecond[1] / 3000.0;
        } else if (type == 3 || type == 4) {
            p1 = s.fmEngineSpeed[0] * 0.001;
            p2 = s.fmEngineSpeed[1] * 0.001;
        }
        if (type >= 2 && type <= 4) {
            // The yaw goes towards the weaker engine: positive when the right one is weaker.
            if (p1 > p2)
                st.engineAsymmetryTerm = FlightUpdateTo16((p1 - p2) * (type == 4 ? 320.0 : 640.0));
            if (p2 > p1)
                st.engineAsymmetryTerm = FlightUpdateTo16(-(p2 - p1) * (type == 4 ? 320.0 : 768.0));
        }

        if (!FlightUpdateAutopilotOn()) {
            if (st.yawAccumulator > 2000) st.yawAccumulator = 2000;
            if (st.yawAccumulator < -2000) st.yawAccumulator = -2000;
            if (s.fmRud != 0) {
                st.spiralTerm = FlightUpdateTo16(
                    -(std::abs(st.yawAccumulator) * 0.00022888742400937524 * s.fmRudEff));
            } else {
                st.spiralTerm = static_cast<std::int16_t>(-(st.yawAccumulator * 8));
                st.yawAccumulator =
                    static_cast<std::int16_t>(core::ClampToInt32(st.yawAccumulator * 0.995));
            }
        } else {
            st.spiralTerm = 0;
            st.yawAccumulator = 0;
        }
    }

    if (ap.apEngineCount == 2 && (s.fmEngines == 1 || s.fmEngines == 2) &&
        !st.singleEngineBoostApplied) {
        s.fmThrust = core::ClampToInt32(s.fmThrust * 1.055);
        st.singleEngineBoostApplied = 1;
    }

    IntegrateMotion();
    ApplyTurbulence();
}

void StepEngineAndCore() {
    FlightModelState& s = theFlightModelState;
    FlightStepState& st = theFlightStep;
    int k = theFlightWorldServices.timeAcceleration();
    if (k < 0) k = 0;
    if (k > 4) k = 4;
    st.timeAcceleration = static_cast<std::uint8_t>(k);
    if ((++st.slowStepCounter & 3) == 0) {
        UpdateAtmosphere();
        s.fmCNAdj = 32767;
    }
    s.fmSlipBall = s.fmOTG ? 0 : static_cast<std::int16_t>((s.fmAil - s.fmRud) >> 3);
    s.fmDensityAltOffset = DensityAltitudeOffset(s.fmOAT);
    StepEngines();
    StepFlightModelCore();
    st.singleEngineBoostApplied = 0;
}

// ---- turbulence --------------------------------------------------------------------------

void SelectTurbulenceLevel() {
    FlightStepState& st = theFlightStep;
    const double altitudeWorld = static_cast<double>(static_cast<std::uint32_t>(
                                     theFlightModelState.fmPosY + theTerrainDatum)) *
                                 0.009941939075797343;
    const double feet = altitudeWorld * 1.2890625 + 0.5;
    // The surface wind's air is the lowest 1,500 ft above the ground, at a high field as at the
    // coast: measured from sea level, an aircraft on final at Denver flew in the turbulence of a
    // layer aloft, which below its hands-off height jolted its bank and heading in calm air.
    const double aboveGroundFeet =
        theFlightModelState.fmPosY * 0.009941939075797343 * 1.2890625 + 0.5;
    if (feet <= 1500.0 || aboveGroundFeet <= 1500.0) {
        const bool gusty = theWeatherServices.surfaceWindCharacter() != 0 &&
                           theWeatherServices.surfaceWindSpeed() != 0;
        st.turbulenceLevel = gusty ? 1 : 0;
        st.turbulenceIntensity = gusty ? 1 : 0;
    } else {
        // The containing layer is the highest one whose bottom lies at or below the aircraft.
        int layer = -1;
        for (int i = 0; i < 9; ++i) {
            const double bottom = theWeatherServices.windLayerBottomFeet(i);
            if (bottom >= 0.0 && bottom <= feet) layer = i;
        }
        if (layer >= 0) {
            st.turbulenceLevel = kTurbulenceRows[layer][0];
            st.turbulenceIntensity = kTurbulenceRows[layer][1];
        }
    }
    std::int32_t bumps = 0;
    if (!FlightUpdateAutopilotOn() &&
        theFlightModelState.fmPosY > theAircraftParameters.apMinTurbulenceHeight * 256) {
        if (st.turbulenceLevel < 1) st.turbulenceLevel = 1;
        if (st.turbulenceIntensity < 1) st.turbulenceIntensity = 1;
        bumps = 1;
    }
    // An event felt as stick bumps sums the push it stands for without giving it; carried down
    // through the aircraft's turbulence height it would throw the bank and heading all at once
    // (a couple of degrees of heading on a calm hands-off final). The events end where the way
    // turbulence acts changes.
    if (bumps != st.directTurbulence)
        for (int i = 0; i < 4; ++i)
            ClearTurbulenceChannel(i);
    st.directTurbulence = bumps;
}

void StartTurbulenceEvent(int channel) {
    FlightStepState& st = theFlightStep;
    TurbulenceChannel& ch = st.channels[channel];
    int level = st.turbulenceLevel;
    if (level < 0) level = 0;
    if (level > 4) level = 4;
    const float sign = 2.0f * static_cast<float>(core::rand()) / 32767.0f - 1.0f;
    // The jolt grows with the airspeed as 16.16 knots x 2^-20, that is knots / 16.
    ch.strength = static_cast<float>(AirspeedWordKnots16(theFlightModelState.fmIAS)) *
                  theAircraftParameters.apTurbulenceFactor * 9.5367431640625e-07f * sign *
                  kTurbulenceGains[level];
    ch.stepsLeft = static_cast<std::int16_t>((core::rand() * st.turbulenceIntensity * 18) / 32767);
    ch.r = static_cast<float>(core::rand()) / 32767.0f;
    const float s1 = static_cast<float>(core::rand()) / 32767.0f;
    ch.c = (1.0f - ch.r) * s1 / 4.0f;
    const float s2 = static_cast<float>(core::rand()) / 32767.0f;
    ch.d = (1.0f - ch.r) * (1.0f - s2) / 4.0f;
    ch.u = 0.0f;
    ch.v = 0.0f;
    ch.kind = 1;
}

void ReverseTurbulenceEvent(int channel) {
    FlightStepState& st = theFlightStep;
    TurbulenceChannel& ch = st.channels[channel];
    ch.strength = -ch.strength;
    ch.stepsLeft = static_cast<std::int16_t>((core::rand() * st.turbulenceIntensity * 18) / 32767);
    ch.u = ch.v = ch.w = 0.0f;
    ch.kind = 2;
}

void ClearTurbulenceChannel(int channel) {
    theFlightStep.channels[channel].kind = 0;
}

void ApplyTurbulence() {
    FlightModelState& s = theFlightModelState;
    FlightStepState& st = theFlightStep;
    SelectTurbulenceLevel();
    if (s.fmOTG) return;
    st.stickBumpX = 0.0f;
    st.stickBumpY = 0.0f;
    for (int i = 0; i < 4; ++i) {
        TurbulenceChannel& ch = st.channels[i];
        if (ch.kind == 0) {
            const int n = (core::rand() * 288) / 32767;
            if (n <= st.turbulenceIntensity) StartTurbulenceEvent(i);
            continue;
        }
        st.stickBumpX += ch.strength * ch.c;
        st.stickBumpY += ch.strength * ch.d;
        ch.u += ch.strength * (1.0f - ch.r);
        ch.v += ch.strength * ch.c;
        ch.w += ch.strength * ch.d;
        if (st.directTurbulence == 0) {
            s.fmDeltaY =
                Saturate32(static_cast<std::int64_t>(s.fmDeltaY) + core::ClampToInt32(ch.u / 2.0f));
            const std::int32_t roll = core::ClampToInt32(ch.v / 2.0f);
            s.fmBank = static_cast<std::uint16_t>(s.fmBank + roll);
            s.fmHead = static_cast<std::uint16_t>(s.fmHead + roll);
            s.fmPitch = static_cast<std::uint16_t>(s.fmPitch + core::ClampToInt32(ch.w / 2.0f));
        }
        if (--ch.stepsLeft < 0) {
            if (ch.kind == 1) {
                ReverseTurbulenceEvent(i);
            } else {
                ClearTurbulenceChannel(i);
            }
        }
    }
    st.stickBumpX *= 0.015625f;
    st.stickBumpY *= 0.015625f;
}

}  // namespace flight
