// The flight model's entries: the per-step update and its pieces, the integration core, forces
// and air data, engines, the autopilot, and ground contact with crash detection.
#pragma once

#include <cstdint>

namespace flight {

// ---- per-step update -------------------------------------------------------------------

struct TurbulenceChannel {
    std::int16_t kind = 0;  // 0 idle, 1 first half, 2 second half
    std::int16_t stepsLeft = 0;
    float strength = 0.0f;
    float r = 0.0f, c = 0.0f, d = 0.0f;
    float u = 0.0f, v = 0.0f, w = 0.0f;
};

// The globals of the flight step, beside the state record.
struct FlightStepState {
    std::int32_t freezeFrames = 0;    // theFlightFreezeFrames
    std::uint8_t running = 0;         // set by every step that is not slewing
    double turnIncrement = 0.0;       // heading change from the bank, read by the turn gauge
    std::int16_t yawHeadingWord = 0;  // heading change from the yaw rate, from IntegrateMotion
    std::int32_t yawAccumulator = 0;
    std::int32_t pathLagRemainder = 0;  // the lagged path angle's move below a unit, in 1/32768
    std::int32_t vsRing[36] = {};
    std::int32_t vsIndex = 0;
    double averagedVerticalSpeed = 0.0;
    std::uint8_t timeAcceleration = 0;  // k
    std::int32_t slowStepCounter = 0;
    std::int16_t spiralTerm = 0;
    std::int16_t engineAsymmetryTerm = 0;
    TurbulenceChannel channels[4];
    std::int32_t turbulenceLevel = 0;
    std::int32_t turbulenceIntensity = 0;
    float stickBumpX = 0.0f;
    float stickBumpY = 0.0f;
    std::int32_t directTurbulence = 0;
    // A twin on one engine gets its 5.5 % once per recomputed thrust; kept here so that a
    // reset of the flight model clears it with the rest of the step.
    std::uint8_t singleEngineBoostApplied = 0;
    // The jet's stall break: set when its wing passes the angle of its greatest lift, cleared
    // once the angle has fallen well below it; `breakPitch` is how far (binary angle) the break
    // has dropped the nose below where the elevator holds it.
    std::uint8_t stallBreak = 0;
    std::int32_t breakPitch = 0;
    std::int32_t stepsPastPeak = 0;  // steps the wing has stayed past the angle of greatest lift
    // Set by the break: the flow has let go of the wing and stays off it until the wing's angle
    // has come well below the angle of greatest lift.
    std::uint8_t flowSeparated = 0;
    std::int32_t lastPathAngle = 0;  // the flight-path angle of the step before
    // Set from the break while the pilot holds the wing at its stall; the path's turn rate
    // (degrees a second, smoothed) and the drag coefficient its swing adds meanwhile.
    std::uint8_t stallHeld = 0;
    double pathDegreesPerSecond = 0.0;
    double swingDrag = 0.0;
    // Set when a flight is read: its first step works out the air data, weight, thrust and
    // elevator's angle of attack the read leaves unset before its forces.
    std::uint8_t firstStepAfterRead = 0;
    // The ground along the track over the last step: how far the ground under the aircraft rose
    // (negative where it fell) and how far the aircraft moved over it, both 1/256 m, measured
    // from the terrain's datum as it followed the aircraft. `groundAtX`, `groundAtZ` and
    // `groundDatum` are where that step ended: once the aircraft has been put elsewhere (a
    // flight loaded, slew, a new airport) the measure no longer describes its ground.
    std::int32_t groundRise = 0;
    std::int32_t groundRun = 0;
    std::int32_t groundAtX = 0;
    std::int32_t groundAtZ = 0;
    std::int32_t groundDatum = 0;
};
extern FlightStepState theFlightStep;
inline std::int32_t& theFlightFreezeFrames = theFlightStep.freezeFrames;

void UpdateFlight();
void FlightStep();
void StepEngineAndCore();
void SelectTurbulenceLevel();
void StartTurbulenceEvent(int channel);
void ReverseTurbulenceEvent(int channel);
void ClearTurbulenceChannel(int channel);
void ApplyTurbulence();

// ---- integration core ------------------------------------------------------------------

void IntegrateMotion();
// The elevator's share of the wing's angle of attack (binary angle, `fmElvAlpha`): its lagged
// position's term, what the controls keep of it at low speed, within the travel the wing answers
// (MostElevatorTerm), reversed inverted.
[[nodiscard]] std::int32_t ElevatorAlphaTerm();
// The largest elevator term (binary angle, nose up or nose down) the wing answers: the lookup's
// angle of attack a little past its greatest lift either way.
[[nodiscard]] std::int32_t MostElevatorTerm(bool noseUp);
void SettleOnGround();
void StepFlightModelCore();
// The IAS factor and full-control speed at the height, and the weight and mass (part of the slow
// core step).
void UpdateAltitudeFactorsAndWeight();

// ---- forces and air data ---------------------------------------------------------------

struct AirDataExtras {
    double dynamicPressure = 0.0;  // lb/ft^2
    double trueAirspeedFps = 0.0;
};
extern AirDataExtras theAirData;

void ComputeAeroForces();
void UpdateAtmosphere();
void UpdateAirData();
void StandardAtmosphere(double speedFps, double altitudeFt, double& mach, double& q);
[[nodiscard]] double AirDensityAt(double altitudeFt);
[[nodiscard]] double AircraftAltitudeFeet();
// The current type's wing span, metres.
[[nodiscard]] double WingSpanMetres();
// The wing's lift coefficient (the flaps' share included) over the most it reaches before the
// stall at the flaps' setting: 1 at the stall.
[[nodiscard]] double WingLiftShare();
// The most the wing can lift at the present dynamic pressure (the flaps' share included) over the
// weight: (V / Vs)^2 in level flight, where Vs is the stall speed at the flaps' setting.
[[nodiscard]] double GreatestLiftOverWeight();
// The airspeed over the stall speed with the flaps up, at the present dynamic pressure and
// weight: what the wing alone could lift at it is this ratio squared times the weight.
[[nodiscard]] double AirspeedOverCleanStallSpeed();
extern const double kBankLoadTable[46];
extern const std::int32_t kRamRiseTable[17];

// ---- engines ---------------------------------------------------------------------------

struct EngineState {
    std::uint8_t altitudeFlag = 0;
    std::uint16_t band = 0;
    std::uint16_t bandFraction = 0;
    std::uint16_t altitudeFactor = 0;
    std::uint16_t powerLimit = 0;
    double powerRatio = 1.0;
    double tank[2] = {0.0, 0.0};
};
extern EngineState theEngines;
// The cockpit's low-speed thrust cut command flag of the turboprop and the jet.
extern std::uint32_t theLowSpeedThrustCut;

void StepEngines();
std::uint16_t ComputeEnginePower(std::int16_t throttle, int engineBit, std::uint16_t altitudeFactor,
                                 std::uint16_t powerLimit);
struct EngineSpeedResult {
    std::int16_t speed;
    std::int16_t second;
    std::uint16_t powerFraction;
};
EngineSpeedResult EngineSpeed(std::uint16_t power);
// The share (0..1) of its rated power an engine (0 left or only, 1 right) gives now: for the
// pistons read off the type's cruise table by the fuel it burns at the height, for the others its
// power word over its full power; 0 while it does not run.
[[nodiscard]] double EngineRatedPowerShare(int engine);
void EngineThrust();
// The power position (Q16 of the maximum plus the idle power) the efficiency by power reads its
// reference speed at: the larger engine's power, scaled up on records that read it by the share
// of the height's power (apWorthByHeightShare).
[[nodiscard]] std::int64_t EfficiencyPowerPosition();
// The drag (pounds) of a turboprop's propellers at flight idle at the dynamic pressure (pounds per
// square foot); 0 for the other types and for open power levers.
[[nodiscard]] double FlightIdlePropellerDrag(double dynamicPressurePsf);

// ---- autopilot -------------------------------------------------------------------------

// The bits of `fmAutopilotModes` (what the pilot selected) and of `fmAutopilotState` (what the
// autopilot is doing), set by the cockpit's autopilot commands and read by the autopilot.
inline constexpr std::uint16_t kApModeEngaged = 0x01;
inline constexpr std::uint16_t kApModeNav = 0x02;
inline constexpr std::uint16_t kApModeApproach = 0x04;
inline constexpr std::uint16_t kApModeHeading = 0x08;
inline constexpr std::uint16_t kApModeAltitude = 0x10;
inline constexpr std::uint16_t kApModeBackCourse = 0x20;
inline constexpr std::uint16_t kApStateAltitude = 0x04;
inline constexpr std::uint16_t kApStateGlideSlope = 0x08;
inline constexpr std::uint16_t kApStatePitchHold = 0x20;

struct AutopilotWork {
    std::uint8_t passageLatched = 0;
    std::int8_t passageDeviation = 0;
    std::uint8_t glideSlopeMemory = 0;
    std::uint8_t glideSlopeCountdown = 0;
    std::uint8_t climbing = 0;
    // The hold's pitch attitude for a level path, learned while it flies (binary angle, nose
    // down positive); not a number when the hold begins.
    double holdPitch = 0.0;
    // The heading the radio tracking has learned to hold against the wind, degrees off the course.
    double windCorrection = 0.0;
    // Whether the tracking has come near the course since the mode was chosen: from then on it
    // learns the wind.
    std::uint8_t trackEstablished = 0;
    // The bank (degrees, positive to the right) the heading hold has learned to add to a small
    // heading error.
    double turnLearned = 0.0;
    // The modes those were learned in.
    std::uint16_t learnedModes = 0;
    // The climb (m/s, negative descending) of a path the altitude hold's target is moved along,
    // flown as the hold's own rate with the height error closed on top of it: the level-flight
    // trim's descents on the approach path, faster than the hold closes an error. 0 in flight.
    double holdPathClimb = 0.0;
    // An armed approach that has not captured its glide slope holds the height (m) it was armed
    // at; once captured, losing the path leaves the pitch as it was.
    std::uint8_t approachArmed = 0;
    std::uint8_t approachCaptured = 0;
    double approachHeight = 0.0;
};
extern AutopilotWork theAutopilotWork;

void RunAutopilot();

// ---- ground contact and crash ----------------------------------------------------------

struct CrashLimits {
    std::int32_t bouncePct = 90;
    std::int32_t maxBounceVSpeed = 98304;
    std::int32_t maxCrashVSpeed = 1310720;
    std::int32_t maxCrashPitch = 2731;
    std::int32_t maxCrashBank = 2276;
    std::int32_t showWhyCrash = 0;
};
extern CrashLimits theCrashLimits;
extern std::uint32_t theCrashDetectEnabled;
extern std::uint32_t theCrashed;
// Shows the crash report text; the dialog framework installs the program's message box.
extern void (*theShowCrashReport)(const char* text, const char* title);
// The report of a world that shows none.
void DefaultShowCrashReport(const char* text, const char* title);

// Reads the six "Feq" keys of the settings file; returns "showWhyCrash".
int ReadCrashLimits();
void CheckCrash();
void SetCrashMotion();
// The ground's rise under the aircraft as it moves, as a vertical speed (16.16 m/s, positive
// where the ground rises along the track): the slope under the last stretch of its track times
// its speed over the ground in the last step; 0 when the step did not measure the ground.
[[nodiscard]] std::int64_t GroundRiseSpeed();

// ---- whole model -----------------------------------------------------------------------

// Puts the state record and every global of the flight model back to zero (program start).
void ResetFlightModel();
// Forgets what the steps, the engines and the autopilot worked out while the last flight flew
// (filters, the stall's flags, integrator memories, the tanks' fractions), and starts the random
// sequence of turbulence and gusts afresh, so that a flight read next flies as it would first
// thing after the start. The freeze of the next frames stays.
void ForgetFlownFlight();
// A flight just read in the air counts as one that has flown for the contact rules.
void CountFlightFromRead();

}  // namespace flight
