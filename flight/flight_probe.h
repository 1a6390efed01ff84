// Headless flight experiments on the real flight step: trimmed level flight at a power
// setting, stall speed, best climb and ceiling. The calibration tool tunes the aircraft records
// with them and the tests check the records against the published figures.
#pragma once

#include <cstdint>

namespace flight {

// Puts the flight model and its neighbouring services into a known state for the type: the
// record loaded and initialised, calm air, flat ground at sea level, the 15-bit generator
// seeded.
void ProbeSelectAircraft(int type, std::uint32_t seed = 1);

// Sets the total weight (kg) by changing the payload.
void ProbeSetWeight(double kilograms);

// Puts the aircraft in level flight at the altitude (feet) and true airspeed (knots), engines
// running, elevator near the trim for that speed.
void ProbePlaceInFlight(double altitudeFeet, double trueAirspeedKnots, std::uint16_t heading = 0);

// Throttle word that makes one engine burn the fuel flow (kg/h) at the current altitude.
[[nodiscard]] std::int16_t ProbeThrottleForFuelFlow(double kilogramsPerHourPerEngine);

// Engages heading and altitude hold on the current heading and altitude.
void ProbeEngageAltitudeHold();

// Runs whole seconds of flight steps (1800 / 32768 s each).
void ProbeRunSeconds(double seconds);

struct LevelFlightResult {
    double trueAirspeedKnots;
    double fuelFlowKgPerHour;  // whole aircraft
    double altitudeErrorFeet;  // mean over the measuring window
    bool crashed;
};

// Trimmed level flight: the autopilot holds heading and altitude with the throttle set for the
// fuel flow; returns the means over the last part of the run.
LevelFlightResult ProbeLevelFlight(int type, double altitudeFeet, double fuelFlowKgPerHourPerEngine,
                                   double startKnots, double weightKg);

// Power-off stall speed (calibrated knots) at the flap notch and weight: the slowest speed at
// which the wing still carries the weight at its best angle of attack, from the model's forces.
double ProbeStallSpeed(int type, int flapNotch, double weightKg);

// Steady climb rate (ft/min) at full throttle at the altitude, at the best speed found.
double ProbeBestClimb(int type, double altitudeFeet, double weightKg, double* bestKnots = nullptr);

// The climb (ft/min) a pilot flies at full throttle holding the indicated airspeed with the
// elevator and the wings level: from kFlownClimbStartFeet, after kFlownClimbSettleSeconds to
// settle, the height gained in a minute with the kinetic energy lost or won counted in.
inline constexpr double kFlownClimbStartFeet = 100.0;
inline constexpr double kFlownClimbSettleSeconds = 45.0;
double ProbeFlownClimb(int type, double weightKg, double knots);

// The run (feet) from brake release to the indicated airspeed, full throttle from a standstill on
// a sea-level runway, the elevator neutral; a negative value when the speed never comes within
// two minutes.
double ProbeGroundRun(int type, double weightKg, double knots);

// The stall a pilot flies with the keys: level at the altitude and indicated airspeed, throttles
// closed, the elevator pulled `pull` past its trim in six equal steps three seconds apart and held
// for `holdSeconds` from the first step; then the recovery, the elevator let go back to its trim
// and full power, for `releaseSeconds`.
struct ElevatorStallResult {
    double lowestPitch = 0, highestPitch = 0;   // degrees nose up while held
    double slowestKnots = 0, fastestKnots = 0;  // indicated, while held
    double heightLostFeet = 0;                  // from the start to the lowest point while held
    double recoveryLossFeet = 0;   // from the release to the lowest point before it climbs again
    double fastestAfterKnots = 0;  // indicated, after the release
    bool crashed = false;
};
ElevatorStallResult ProbeElevatorStall(int type, double weightKg, double feet, double knots,
                                       int pull, double holdSeconds, double releaseSeconds);

// The altitude hold left on with the throttles closed, from level flight at the altitude and
// indicated airspeed: the fastest indicated airspeed, the lowest height and the attitudes flown.
struct IdleHoldResult {
    double fastestKnots = 0, slowestKnots = 0;
    double lowestFeet = 0;
    double lowestPitch = 0, highestPitch = 0;
    bool crashed = false;
};
IdleHoldResult ProbeIdleAltitudeHold(int type, double weightKg, double feet, double knots,
                                     double seconds);

// Level flight on the altitude hold at a throttle word (both engines): the true airspeed (knots)
// it settles at.
double ProbeLevelSpeedAtThrottle(int type, double weightKg, double feet, std::int16_t throttle,
                                 double startKnots);

// Rolling on a sea-level runway from `knots` (indicated) with the throttles closed, no brakes and
// the elevator at its trim for level flight at that speed: the indicated airspeed after `seconds`.
double ProbeIdleRoll(int type, double weightKg, double knots, double seconds);

// The keyboard take-off from a runway `fieldFeet` above the sea: full power from brake release with the elevator
// trimmed to `trim`; from `pullFromKnots` (indicated) the pilot holds the Down key `holds` times,
// the elevator staying where the pull leaves it, and `giveBackSeconds` after the lift-off (never
// when negative) holds the Up key as often to give the pull back: one hold after the other, or,
// with `giveBackSpacingSeconds` longer than a hold, each that long after the one before, or, with
// it below 0, a single press of Up (one step) every -`giveBackSpacingSeconds` (a pilot easing the
// pull off as the speed builds). The lift-off speed, the speed and nose of the climb
// that follows (means over kTakeOffSettleFrom to kTakeOffSettleTo after the lift-off, the speed
// swings of a climb's first minutes averaged out), the highest nose in the minute after it and
// the most sink once 50 ft up or the pull given back.
struct KeyboardTakeOffResult {
    bool liftedOff = false;
    double liftOffKnots = 0;
    double climbKnots = 0;
    double climbPitch = 0;
    double highestPitch = 0;
    double lowestKnots = 0;  // after 50 ft or the giving back
    double mostSinkFpm = 0;  // over any 2 s from then to a minute after the lift-off
};
inline constexpr double kTakeOffSettleFrom = 30.0;
inline constexpr double kTakeOffSettleTo = 150.0;
// One hold of an elevator key: the press and the keyboard's repeats (after half a second, thirty
// a second) move the elevator kKeyHoldSteps of its steps in about 1.3 s, and the hand lets go and
// presses again.
inline constexpr int kKeyHoldSteps = 25;
inline constexpr double kKeyHoldSeconds = 1.4;
KeyboardTakeOffResult ProbeKeyboardTakeOff(int type, double weightKg, std::int16_t trim, int holds,
                                           double pullFromKnots, double giveBackSeconds,
                                           double giveBackSpacingSeconds = 0.0,
                                           double fieldFeet = 0.0);

// Highest altitude (feet) at which the best climb still reaches 100 ft/min.
double ProbeServiceCeiling(int type, double weightKg);

// Fuel flow units of the published tables: kg/h per engine for a table entry.
double ProbeTableFuelToKgPerHourPerEngine(int type, double tableFuelFlow);

}  // namespace flight
