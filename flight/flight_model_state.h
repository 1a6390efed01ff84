// The flown aircraft's state: one global record shared by the flight model, the cockpit, sound,
// ATC and the views, and the "Aircraft" section of a saved situation that stores its head.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace core {
class IniFile;
}

namespace flight {

// The record's fields keep the widths of the program's packed record; the in-memory layout is
// ordinary C++ (the flight-state record of tapes writes fields one by one).
struct FlightModelState {
    // --- saved head, in the order of the "Aircraft" section ---
    std::int32_t fmPosX = 0;    // east-west, 1/256 m
    std::int32_t fmPosY = 0;    // height above the terrain datum, 1/256 m
    std::int32_t fmPosZ = 0;    // north-south, 1/256 m
    std::uint16_t fmPitch = 0;  // binary angle, positive nose down
    std::uint16_t fmBank = 0;   // binary angle, read as signed
    std::uint16_t fmHead = 0;   // true heading, binary angle
    std::int32_t fmHVel = 0;    // forward speed, m/s 16.16
    std::int32_t fmVVel = 0;    // vertical speed, m/s 16.16, positive up
    std::int32_t fmSVel = 0;    // side speed, m/s 16.16
    std::int32_t fmTAVel = 0;   // true airspeed, m/s 16.16 (fmTAVel / 32768 is twice the speed)
    std::int16_t fmYVel = 0;    // yaw rate, binary angle per second
    std::int16_t fmRVel = 0;    // roll rate
    std::int32_t fmDeltaX = 0;  // world velocity, 1/256 m/s
    std::int32_t fmDeltaY = 0;
    std::int32_t fmDeltaZ = 0;
    std::int16_t fmElvCur = 0;   // lagged elevator
    std::int16_t fmWndANG = 0;   // flight-path angle, positive descending
    std::int16_t fmAllowWA = 0;  // lagged flight-path angle
    std::int16_t fmCNAdj = 0;    // trim effectiveness
    std::int16_t fmDeltaH = 0;   // heading offset from the elevator in a bank
    std::int8_t fmOTG = 0;       // 1 on the ground
    std::int8_t fmInvert = 0;    // 1 while inverted
    std::int8_t fmEngines = 0;   // running bits: 1 left (or only), 2 right
    std::int8_t fmOGV = 0;       // ground-contact state 0..3
    std::int16_t fmSpoil = 0;
    std::int16_t fmElv = 0;  // elevator control (input plus trim)
    std::int16_t fmAil = 0;
    std::int16_t fmRud = 0;
    std::int16_t fmThrot = 0;  // throttle of the left (or only) engine
    std::int8_t fmFlaps = 0;
    std::int8_t fmGear = 0;
    std::uint8_t fmUnsavedByte = 0;
    std::int8_t fmAfter = 0;
    std::int8_t fmRBrake = 0;
    std::int8_t fmLBrake = 0;
    std::int8_t fmRThrust = 0;
    std::uint8_t fmAutoCoordination = 0;  // not saved with the head
    std::int32_t fmFuel1 = 0;             // tank contents, 1/256 kg
    std::int32_t fmFuel2 = 0;
    std::int32_t fmFuel3 = 0;
    std::int32_t fmPLoad = 0;  // payload, kg
    // --- copied aircraft constants (empty weight first: the gauges divide by it) ---
    std::int32_t fmEmptyWeight = 0;
    std::int32_t fmMaxTakeoffWeight = 0;
    std::int32_t fmMaxFuel = 0;
    // --- working values of the core ---
    std::int32_t fmTASq = 0;
    std::int32_t fmWeight = 0;
    std::int32_t fmMass = 0;
    std::int32_t fmLift = 0;
    std::int32_t fmDrag = 0;
    std::int32_t fmGravityLoad = 0;
    std::int32_t fmThrust = 0;
    std::int32_t fmNetThrust = 0;     // the companion of fmAdjustedTach
    std::int16_t fmAdjustedTach = 0;  // saved beside the head
    std::int16_t fmAlpha = 0;
    std::int16_t fmElvAlpha = 0;
    std::int16_t fmFlapAlpha = 0;
    std::int16_t fmFlapLift = 0;
    std::int16_t fmFlapDrag = 0;
    std::int16_t fmRudEff = 0;
    std::int16_t fmAilEff = 0;
    std::int32_t fmForceUp = 0;
    std::int32_t fmForceDown = 0;
    std::int32_t fmForceFwd = 0;
    std::int32_t fmForceBack = 0;
    std::int32_t fmForceSide = 0;
    std::int32_t fmAccelFwd = 0;
    std::int32_t fmAccelUp = 0;
    std::int16_t fmTurnRate = 0;
    std::int16_t fmFullControlSpeed = 0;
    std::uint8_t fmCoreCountdown = 0;
    std::uint8_t fmCorePeriod = 0;
    std::int16_t fmElvRateFast = 0;
    std::int16_t fmElvRateSlow = 0;
    std::int16_t fmStepTime = 0;
    std::int16_t fmGearHeight = 0;
    std::int16_t fmTrimStep = 0;
    std::int8_t fmMaxFlaps = 0;
    std::uint8_t fmStallWarning = 0;
    std::int32_t fmEngineConstant = 0;
    std::int16_t fmThrotRight = 0;       // right engine throttle
    std::int8_t fmMultiEngineSynch = 1;  // saved beside the head
    // air data
    std::int32_t fmIAS = 0;        // indicated airspeed, knots x 32768 (flight/airspeed.h)
    std::int32_t fmIASFactor = 0;  // IAS over TAS, Q15 scaled by knots per m/s over two
    std::int16_t fmOAT = 0;        // 1/256 degree Celsius
    std::int16_t fmTAT = 0;
    std::int16_t fmMach100 = 0;
    std::int32_t fmHeightAGL = 0;  // 1/256 m
    std::int16_t fmSlipBall = 0;
    std::int32_t fmDensityAltOffset = 0;  // metres
    // engines, one entry per engine
    std::int16_t fmEnginePower[2] = {0, 0};
    std::int16_t fmEngineSpeed[2] = {0, 0};
    std::int16_t fmEngineSecond[2] = {0, 0};
    std::uint16_t fmPowerFraction[2] = {0, 0};
    // autopilot
    std::uint16_t fmAutopilotModes = 0;
    std::uint16_t fmAutopilotState = 0;
    std::uint16_t fmApTargetAlt = 0;
    std::uint16_t fmApHeadingSel = 0;
    std::int16_t fmApPitchTarget = 0;
    std::uint16_t fmApCourse = 0;
    std::int16_t fmApElvTrim = 0;
    std::uint8_t fmApAltSubMode = 0;  // 1 climb capture, 2 descent capture, 4 level-off, 8 hold
};

extern FlightModelState theFlightModelState;

// Outputs of the coefficient lookup, beside the record.
struct AeroLookupResult {
    std::int16_t alphaWord = 0;
    double alphaDegrees = 0.0;
    double referenceDegrees = 0.0;
    double cl = 0.0;
    double cd = 0.0;
    double referenceCd = 0.0;
};
extern AeroLookupResult theAeroLookup;

// One coefficient table: 541 rows {angle of attack in degrees, CL, CD}.
struct AeroCoefficientRow {
    double alpha;
    double cl;
    double cd;
};
constexpr int kAeroRows = 541;
constexpr int kAeroZeroRow = 270;
const AeroCoefficientRow* AeroCoefficientTable(int aircraftType);

// Row search of the lookup: the first row at or beyond x, away from zero, kept inside the table.
[[nodiscard]] int FindAeroRow(const AeroCoefficientRow* table, double x);

// The row of the type's table with the greatest lift before the stall, and how far (degrees)
// the angle of attack of the last lookup, as the table reads it, lies beyond that row's angle.
[[nodiscard]] const AeroCoefficientRow& PeakLiftRow(int aircraftType);
[[nodiscard]] double DegreesBeyondPeakLift();
// The angle of attack (degrees, as the lookup's sum reads it) of the type's greatest lift, or of
// its greatest negative lift when `positive` is false.
[[nodiscard]] double PeakLiftAlphaDegrees(int aircraftType, bool positive);

void LookupAeroCoefficients();

// The "Aircraft" section of a situation (fm keys, then fmAdjustedTach and fmMultiEngineSynch).
// Each value read is held to what the world and the current aircraft allow; the keys whose
// values had to be held are listed in theHeldAircraftKeys (empty when the section was sound).
int ReadAircraftState(core::IniFile& file);
extern std::vector<std::string> theHeldAircraftKeys;
int WriteAircraftState(core::IniFile& file);

}  // namespace flight
