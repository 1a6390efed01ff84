// The per-type parameter record that drives the flight model, and the live copy of the current
// aircraft's record.
#pragma once

#include <cstdint>

namespace flight {

enum class EngineSpeedModel : std::uint8_t { FixedPitch = 0, ConstantSpeed = 1, Turbine = 2 };
enum class EfficiencyMode : std::uint8_t { None = 0, ByPower = 1, ByTrueAirspeed = 2 };

constexpr int kAltitudeBands = 61;  // bands of 304 m of density altitude
constexpr int kTurbineAltitudeRows = 4;

struct TurbineAltitudeRow {
    std::int16_t altitude;             // metres
    std::int16_t speedByThrottle[17];  // engine speed by throttle position
};

// Key presses that turn the elevator trim wheel from one stop to the other.
inline constexpr int kTrimPressesStopToStop = 200;

struct AircraftParameters {
    std::uint16_t apModelCode;  // 5 C172, 2 Bonanza, 3 Baron, 4 King Air, 1 CitationJet
    // weights and loading
    std::int16_t apGearHeight;        // 1/256 m
    std::int32_t apEmptyWeight;       // kgf
    std::int32_t apMaxTakeoffWeight;  // kgf
    std::int32_t apMaxFuel;           // kg
    std::int32_t apInitialPayload;    // kg
    std::int32_t apInitialFuel[3];    // 1/256 kg
    std::int16_t apTrimStep;          // the elevator trim one key press turns (trim units)
    // The elevator trim wheel's stops (trim units, nose up positive): they span the trims the
    // type flies, from a dive's to a slow approach's; both 0 for a record without stops.
    std::int16_t apTrimNoseDown;
    std::int16_t apTrimNoseUp;
    // control and handling
    std::int16_t apYawGain;
    std::int16_t apRudderFullSpeed;  // m/s
    std::int16_t apAdverseYaw;
    std::int16_t apFullControlScale;
    std::int16_t apMinControlSpeed;  // m/s
    std::uint8_t apHighAlphaYaw;
    std::int16_t apHighAlphaThreshold;
    std::int16_t apHighAlphaGain;
    std::int32_t apStaticFriction;   // kgf
    std::int32_t apRollingFriction;  // kgf
    std::uint8_t apBrakeGain;
    std::int16_t apGroundEffectHeight;  // m
    std::uint16_t apGroundEffectGain;
    std::int16_t apRollGain;
    std::int16_t apSideForceGain;
    std::int8_t apMaxFlaps;
    std::int16_t apIncidence;
    std::int16_t apEngineCount;
    std::int16_t apFlapAlpha[5];
    std::int16_t apFlapLift[5];
    std::int16_t apFlapDrag[5];
    std::int16_t apFlapAlphaRate;
    std::int16_t apFlapLiftRate;
    std::int16_t apFlapDragRate;
    // altitude tables over 0..32768 m (position = metres x 2)
    std::uint16_t apIASFactor[17];    // knots per m/s / 2 x sqrt(density ratio), Q15
    std::int32_t apControlSpeed[17];  // Q15 of the full-control-speed scale
    // turbulence
    float apTurbulenceFactor;
    std::int16_t apMinTurbulenceHeight;  // metres
    // engines
    EngineSpeedModel apEngineModel;
    std::int16_t apMaxPower;
    std::int16_t apIdlePower;
    std::uint8_t apAltitudeCompensated;
    std::uint16_t apBoostGain;  // 0: no boost
    std::int16_t apBoostThreshold;
    std::uint16_t apAltitudeFactor[kAltitudeBands + 1];  // Q16
    std::uint16_t apPowerLimit[kAltitudeBands + 1];      // power words
    // How the power limit is built: flat-rated turbines keep full power up to a rating
    // altitude (0 for the pistons' density law); above the top of the cruise tables the limit
    // falls off exponentially, which sets the service ceiling.
    double apFlatRatedMetres;
    double apFalloffStartMetres;
    double apFalloffPerMetre;
    // The altitude factor of engines with altitude-compensated power: a straight line in
    // altitude (Q16 share at sea level, loss per metre); 0 and 0 take the density ratio.
    double apCompensationAtSeaLevel;
    double apCompensationPerMetre;
    // A normally aspirated piston whose pilot leans its full throttle as it climbs: the full
    // throttle's power word (the fuel it burns) falls, beside the air's density, from the
    // full-rich word at apLeanFromMetres to apLeanedShare of it at apLeanByMetres and above,
    // straight between; a share of 1 keeps it rich at every height.
    double apLeanedShare = 1.0;
    double apLeanFromMetres = 0.0;
    double apLeanByMetres = 0.0;
    // Efficiency by power: the ratio (of the full-rich word's reference speed) below which the
    // thrust of a word worth more than the full-rich one stands level, and the efficiency's fall
    // above it; both follow the efficiency's shape when it is rebuilt. 0: each word's own knee.
    double apKneeAtFullReference = 0.0;
    double apKneeExponent = 0.0;  // A / r^n above the knee: n
    // Share of the type's airframe drag (the parasite drag and the induced drag between the low
    // and high speeds) the record flies with; the thrust tables are tuned with it.
    double apDragScale = 1.0;
    std::uint16_t apThrustFactor;  // k, Q16
    std::uint8_t apDoubleThrust;
    std::uint8_t apThrottleCurveOn;
    std::int16_t apThrottleCurve[17];  // Q15 by throttle x 2
    // A normally aspirated piston whose power word's worth in thrust (the reference speed by power,
    // the throttle curve) is read at the word scaled by (full power / the height's power limit) to
    // this exponent: high up full throttle's word, held by the air below the full-rich one, keeps
    // (with 1) the full-rich word's thrust for each unit instead of a leaned cruise setting's. 0:
    // the word as it stands.
    double apWorthByHeightShare = 0.0;
    std::uint8_t apLapseOn;
    std::uint16_t apLapse[17];  // Q16 by altitude in quarter metres
    std::uint8_t apHighAltLimiter;
    std::int16_t apLimiterThrottle;
    std::int16_t apLimiterAltitude;
    std::int16_t apLimiterSpan;
    std::int16_t apLimiterDepth;
    EfficiencyMode apEfficiencyMode;
    std::int16_t apReferenceSpeed[17];    // knots by power position
    std::uint16_t apFixedReferenceSpeed;  // knots, for the true-airspeed mode
    std::int32_t apEfficiency[17];        // Q16 by speed ratio
    std::int16_t apAfterburnerGain;
    std::uint8_t apLowSpeedCutOn;
    std::int16_t apLowSpeedCut;  // Q15
    // fixed-pitch engine speed
    std::int16_t apStaticRpm[17];    // by throttle x 2
    std::int16_t apWindmillRpm[17];  // by throttle x 2, x fmTAVel >> 24
    // constant-speed engine speed
    std::uint16_t apPropAltA[17];  // by altitude in quarter metres
    std::uint16_t apPropAltB[17];
    std::uint16_t apPropThrottle[17];  // by throttle x 2
    std::int16_t apPropLowRpm[4];      // by throttle / 10800
    std::int16_t apPropLowWindmill;    // x fmTAVel >> 24
    std::int16_t apGovernorThreshold;  // 10800
    std::int16_t apGovernorSpeeds[3];  // 2700, 2500, 2400
    std::int16_t apGovernorLimits[2];  // 2500, 2400
    // turbine engine speed
    TurbineAltitudeRow apTurbineRows[kTurbineAltitudeRows];
    std::int16_t apTurbineGovernor;  // 3277
    std::int16_t apTurbineIdle[kAltitudeBands + 1];
    std::int16_t apTurbineMaxSpeed[kAltitudeBands + 1];
    std::uint8_t apStoreSecondOutput;
};

// The five records (types 0..4); type 5 flies with type 0's.
const AircraftParameters& AircraftParametersForType(int type);
// Mutable access for the calibration tool, which tunes the tables in place.
AircraftParameters& MutableAircraftParametersForType(int type);

// The live block and the type it was loaded for (5 stays 5; the record is type 0's).
extern AircraftParameters theAircraftParameters;
extern int theFlightModelType;

// Rebuilds the altitude factor and power limit bands from the three values above.
void RebuildAltitudeBands(AircraftParameters& ap);

// Fills the efficiency table of a record whose efficiency goes by power from its shape
// {A, r0, n, k, r1}: A / r^n between the speed ratios r0 and r1 (r1 0: no upper ratio), rising
// below r0 by the share k standing, level above r1.
void RebuildPowerEfficiency(AircraftParameters& ap, const double (&shape)[5]);

// Copies the type's record into the live block.
void LoadAircraftParameters(int type);
// Sets the core's constants and copies the record's initial values into the state.
void InitFlightModelForAircraft();

// Type with 5 folded onto 0, for the per-type tables.
[[nodiscard]] inline int FlightModelBaseType() {
    return theFlightModelType == 5 ? 0 : theFlightModelType;
}

}  // namespace flight
