// Headless flight experiments on the real flight step (see the header).
#include "flight/flight_probe.h"

#include <algorithm>
#include <cmath>

#include "core/numeric.h"
#include "flight/aircraft.h"
#include "flight/aircraft_parameters.h"
#include "flight/airspeed.h"
#include "flight/fixed_point.h"
#include "flight/flight_hooks.h"
#include "flight/flight_model.h"
#include "flight/flight_model_state.h"
#include "flight/flight_world_services.h"

namespace flight {

namespace {

constexpr double kStepSeconds = 1800.0 / 32768.0;
constexpr double kMetresPerFoot = 0.3048;
constexpr double kMetresPerSecondPerKnot = 0.514444;
constexpr double kPoundsPerKg = 2.2;  // the program's own conversion

double TankTotal() {
    return theEngines.tank[0] + theEngines.tank[1];
}

double AltitudeFeet() {
    return (theFlightModelState.fmPosY / 256.0 + theTerrainDatum / 256.0) / kMetresPerFoot;
}

// Sets the engines' derived values (power, net thrust) for the current throttles without
// burning fuel.
void SettleEngines() {
    const double tanks[2] = {theEngines.tank[0], theEngines.tank[1]};
    const std::int32_t fuel[2] = {theFlightModelState.fmFuel1, theFlightModelState.fmFuel2};
    StepEngines();
    EngineThrust();
    StepEngines();
    theEngines.tank[0] = tanks[0];
    theEngines.tank[1] = tanks[1];
    theFlightModelState.fmFuel1 = fuel[0];
    theFlightModelState.fmFuel2 = fuel[1];
}

// Weight and mass as the slow core step computes them.
void SettleWeight() {
    FlightModelState& s = theFlightModelState;
    const std::int64_t fuel = (static_cast<std::int64_t>(s.fmFuel1) + s.fmFuel2 + s.fmFuel3) / 256;
    s.fmWeight = static_cast<std::int32_t>(theAircraftParameters.apEmptyWeight + s.fmPLoad + fuel);
    s.fmMass = static_cast<std::int32_t>((static_cast<std::int64_t>(s.fmWeight) * 3344) / 32768);
}

// The indicated airspeed as the slow core step and the air data would leave it at this height
// and speed: the engines' efficiency by power reads it.
void SettleIndicatedAirspeed() {
    FlightModelState& s = theFlightModelState;
    std::int64_t pos =
        (static_cast<std::int64_t>(s.fmPosY >> 8) + TerrainDatumMetres() + s.fmDensityAltOffset) *
        2;
    if (pos < 0) pos = 0;
    if (pos > 0xFFFF) pos = 0xFFFF;
    s.fmIASFactor =
        Interpolate16U(theAircraftParameters.apIASFactor, static_cast<std::uint16_t>(pos));
    UpdateAirData();
}

void SetSpeed(double knots) {
    FlightModelState& s = theFlightModelState;
    const std::int32_t v = core::ClampToInt32(knots * kMetresPerSecondPerKnot * 65536.0);
    s.fmHVel = v;
    s.fmTAVel = v;
    const std::uint64_t tav = static_cast<std::uint32_t>(v);
    s.fmTASq = static_cast<std::int32_t>((tav * tav) >> 32);
    SettleIndicatedAirspeed();
}

// On its wheels on a runway `fieldFeet` above the sea (the ground there flat), level, wherever it
// was placed along it.
void StandOnRunway(double fieldFeet = 0.0) {
    FlightModelState& s = theFlightModelState;
    theTerrainHeight = core::ClampToInt32(fieldFeet * kMetresPerFoot * 256.0);
    s.fmPosY = theTerrainHeight + theAircraftParameters.apGearHeight;
    s.fmOTG = 1;
    s.fmPitch = 0;
    s.fmVVel = 0;
    s.fmWndANG = 0;
    s.fmAllowWA = 0;
}

// Lift minus weight at the angle-of-attack word, level and wings level.
double LiftExcess(std::int16_t alphaWord) {
    FlightModelState& s = theFlightModelState;
    s.fmElvAlpha = alphaWord;
    ComputeAeroForces();
    return static_cast<double>(s.fmLift) - s.fmGravityLoad;
}

// The smallest angle-of-attack word (below the stall) at which the wing carries the weight, or
// kNoTrim when it cannot.
constexpr int kNoTrim = -100000;

int TrimAlphaWord() {
    const int stallWord = static_cast<int>(15.0 / 0.005493298176225006);
    int lo = -1000;
    int hi = stallWord;
    if (LiftExcess(static_cast<std::int16_t>(hi)) < 0.0) {
        // Look for the best angle below the stall.
        int best = hi;
        double bestExcess = -1e300;
        for (int a = 0; a <= static_cast<int>(20.0 / 0.005493298176225006); a += 9) {
            const double e = LiftExcess(static_cast<std::int16_t>(a));
            if (e > bestExcess) {
                bestExcess = e;
                best = a;
            }
        }
        if (bestExcess < 0.0) return kNoTrim;
        hi = best;
    }
    while (hi - lo > 1) {
        const int mid = (lo + hi) / 2;
        if (LiftExcess(static_cast<std::int16_t>(mid)) >= 0.0) {
            hi = mid;
        } else {
            lo = mid;
        }
    }
    return hi;
}

std::int16_t FullThrottle() {
    return 32767;
}

// Thrust minus drag (kgf) in level flight at the speed, or a very negative value when the wing
// cannot carry the weight there.
double ExcessThrust(double altitudeFeet, double knots) {
    FlightModelState& s = theFlightModelState;
    s.fmPosY = core::ClampToInt32(altitudeFeet * kMetresPerFoot * 256.0);
    SetSpeed(knots);
    s.fmThrot = FullThrottle();
    s.fmThrotRight = FullThrottle();
    SettleEngines();
    const int alpha = TrimAlphaWord();
    if (alpha == kNoTrim) return -1e9;
    LiftExcess(static_cast<std::int16_t>(alpha));
    return static_cast<double>(s.fmNetThrust) - s.fmDrag;
}

}  // namespace

void ProbeSelectAircraft(int type, std::uint32_t seed) {
    ResetFlightModel();
    theFlightHooks.resetCockpit();
    theTerrainDatum = 0;
    theTerrainHeight = 0;
    theSeaLevelTemp = 3840;
    theMagneticVariation = 0;
    theWindAtAircraftX = 0;
    theWindAtAircraftZ = 0;
    theWeatherServices = CalmWeatherServices();
    theSoundServices = SilentSoundServices();
    theFlightWorldServices = DefaultFlightWorldServices();
    theCrashLimits = CrashLimits{};
    theCrashDetectEnabled = 1;
    core::srand(seed);
    LoadAircraftParameters(type);
    InitFlightModelForAircraft();
    SettleWeight();
}

void ProbeSetWeight(double kilograms) {
    FlightModelState& s = theFlightModelState;
    const double fuel = (static_cast<double>(s.fmFuel1) + s.fmFuel2 + s.fmFuel3) / 256.0;
    s.fmPLoad = static_cast<std::int32_t>(
        std::lround(kilograms - theAircraftParameters.apEmptyWeight - fuel));
    SettleWeight();
}

void ProbePlaceInFlight(double altitudeFeet, double trueAirspeedKnots, std::uint16_t heading) {
    FlightModelState& s = theFlightModelState;
    s.fmPosY = core::ClampToInt32(altitudeFeet * kMetresPerFoot * 256.0);
    s.fmHead = heading;
    s.fmPitch = 0;
    s.fmBank = 0;
    s.fmVVel = 0;
    s.fmOTG = 0;
    s.fmOGV = 0;
    s.fmGear =
        theAircraftParameters.apModelCode == 5 || theAircraftParameters.apModelCode == 4 ? 1 : 0;
    s.fmEngines = theAircraftParameters.apEngineCount == 2 ? 3 : 1;
    theEngineStarted = 1;
    theEngineRunning = 1;
    // The flaps' words as the slow core step leaves them once they have moved to the notch.
    const AircraftParameters& ap = theAircraftParameters;
    const int notch = std::clamp<int>(s.fmFlaps, 0, std::min<int>(ap.apMaxFlaps, 4));
    s.fmFlapAlpha = ap.apFlapAlpha[notch];
    s.fmFlapLift = ap.apFlapLift[notch];
    s.fmFlapDrag = ap.apFlapDrag[notch];
    SetSpeed(trueAirspeedKnots);
    SettleWeight();
    const int alpha = TrimAlphaWord();
    if (alpha != kNoTrim) {
        // The angle of attack in level flight is the elevator term times 1 + 0.711; the core's
        // elevator term is 7/32 of the lagged elevator.
        const double e = alpha / (1.0 + 0x5B00 / 32768.0);
        const std::int16_t elevator =
            core::ClampToInt16(static_cast<std::int64_t>(std::lround(e * 32.0 / 7.0)));
        s.fmElv = elevator;
        s.fmElvCur = elevator;
        s.fmElvAlpha = core::ClampToInt16(static_cast<std::int64_t>(std::lround(e)));
        s.fmPitch = static_cast<std::uint16_t>(
            -static_cast<std::int32_t>(std::lround(e * 0x5B00 / 32768.0)));
    }
    SettleEngines();
}

std::int16_t ProbeThrottleForFuelFlow(double kilogramsPerHourPerEngine) {
    const AircraftParameters& ap = theAircraftParameters;
    const bool turbine = ap.apModelCode == 1 || ap.apModelCode == 4;
    const double power = kilogramsPerHourPerEngine * (turbine ? 1.0 : 10.0);
    const double base = power - ap.apIdlePower;
    double throttle = std::ceil(base * 65536.0 / ap.apMaxPower);
    if (throttle < 0.0) throttle = 0.0;
    if (throttle > 32767.0) throttle = 32767.0;
    return static_cast<std::int16_t>(throttle);
}

void ProbeEngageAltitudeHold() {
    FlightModelState& s = theFlightModelState;
    s.fmAutopilotModes = 0x1 | 0x8 | 0x10;
    s.fmAutopilotState = 0x4;
    s.fmApHeadingSel = static_cast<std::uint16_t>(s.fmHead - theMagneticVariation);
    s.fmApTargetAlt = static_cast<std::uint16_t>((s.fmPosY >> 8) + TerrainDatumMetres());
    s.fmApPitchTarget = static_cast<std::int16_t>(s.fmPitch);
    s.fmApAltSubMode = 0;
}

void ProbeRunSeconds(double seconds) {
    const int steps = static_cast<int>(seconds / kStepSeconds + 0.5);
    for (int i = 0; i < steps; ++i)
        UpdateFlight();
}

LevelFlightResult ProbeLevelFlight(int type, double altitudeFeet, double fuelFlowKgPerHourPerEngine,
                                   double startKnots, double weightKg) {
    ProbeSelectAircraft(type);
    ProbeSetWeight(weightKg);
    ProbePlaceInFlight(altitudeFeet, startKnots);
    FlightModelState& s = theFlightModelState;
    s.fmThrot = ProbeThrottleForFuelFlow(fuelFlowKgPerHourPerEngine);
    s.fmThrotRight = s.fmThrot;
    // Full rich; the King Air cruises with its condition levers at low idle.
    theLeftMixtureLever = theAircraftParameters.apModelCode == 4 ? 15 : 31;
    theRightConditionLever = theLeftMixtureLever;
    SettleEngines();
    ProbeEngageAltitudeHold();
    ProbeRunSeconds(240.0);
    const int steps = static_cast<int>(120.0 / kStepSeconds);
    const double fuelBefore = TankTotal();
    double tas = 0.0;
    double altitudeError = 0.0;
    for (int i = 0; i < steps; ++i) {
        UpdateFlight();
        tas += s.fmTAVel / 65536.0 / kMetresPerSecondPerKnot;
        altitudeError += AltitudeFeet() - altitudeFeet;
    }
    LevelFlightResult r{};
    r.trueAirspeedKnots = tas / steps;
    r.altitudeErrorFeet = altitudeError / steps;
    r.fuelFlowKgPerHour = (fuelBefore - TankTotal()) / 256.0 / (steps * kStepSeconds / 3600.0);
    r.crashed = theCrashed != 0;
    return r;
}

double ProbeStallSpeed(int type, int flapNotch, double weightKg) {
    ProbeSelectAircraft(type);
    ProbeSetWeight(weightKg);
    FlightModelState& s = theFlightModelState;
    s.fmPosY = 0;
    s.fmOTG = 0;
    s.fmEngines = 0;
    const AircraftParameters& ap = theAircraftParameters;
    int notch = flapNotch > ap.apMaxFlaps ? ap.apMaxFlaps : flapNotch;
    s.fmFlapLift = ap.apFlapLift[notch];
    s.fmFlapDrag = ap.apFlapDrag[notch];
    double lo = 10.0;
    double hi = 300.0;
    while (hi - lo > 0.01) {
        const double mid = 0.5 * (lo + hi);
        SetSpeed(mid);
        if (TrimAlphaWord() != kNoTrim) {
            hi = mid;
        } else {
            lo = mid;
        }
    }
    return hi;
}

double ProbeBestClimb(int type, double altitudeFeet, double weightKg, double* bestKnots) {
    ProbeSelectAircraft(type);
    ProbeSetWeight(weightKg);
    FlightModelState& s = theFlightModelState;
    s.fmOTG = 0;
    s.fmEngines = theAircraftParameters.apEngineCount == 2 ? 3 : 1;
    theLeftMixtureLever = theAircraftParameters.apModelCode == 4 ? 15 : 31;
    theRightConditionLever = theLeftMixtureLever;
    double best = -1e9;
    double bestSpeed = 0.0;
    for (double knots = 40.0; knots <= 400.0; knots += 1.0) {
        const double excess = ExcessThrust(altitudeFeet, knots);
        if (excess < -1e8) continue;
        const double rate =
            excess / s.fmWeight * knots * kMetresPerSecondPerKnot / kMetresPerFoot * 60.0;
        if (rate > best) {
            best = rate;
            bestSpeed = knots;
        }
    }
    if (bestKnots) *bestKnots = bestSpeed;
    return best;
}

double ProbeFlownClimb(int type, double weightKg, double knots) {
    ProbeSelectAircraft(type);
    ProbeSetWeight(weightKg);
    ProbePlaceInFlight(kFlownClimbStartFeet, knots);
    FlightModelState& s = theFlightModelState;
    s.fmThrot = FullThrottle();
    s.fmThrotRight = FullThrottle();
    theLeftMixtureLever = theAircraftParameters.apModelCode == 4 ? 15 : 31;
    theRightConditionLever = theLeftMixtureLever;
    SettleEngines();
    // The pilot's hands, once a second: the nose up when too fast (the attitude found by
    // trying), the elevator that gets the nose there, and the wings held level.
    constexpr double kDegrees = 360.0 / 65536.0;
    double attitude = -static_cast<std::int16_t>(s.fmPitch) * kDegrees;
    double elevator = s.fmElv;
    double lastPitch = attitude;
    double lastBank = 0.0;
    double startMetres = 0.0;
    double startSpeed = 0.0;
    const int settle = static_cast<int>(kFlownClimbSettleSeconds);
    for (int second = 0; second < settle + 60; ++second) {
        if (second == settle) {
            startMetres = AltitudeFeet() * kMetresPerFoot;
            startSpeed = s.fmTAVel / 65536.0;
        }
        const double pitch = -static_cast<std::int16_t>(s.fmPitch) * kDegrees;
        const double bank = -static_cast<std::int16_t>(s.fmBank) * kDegrees;
        const double error = 0.25 * (IndicatedAirspeedKnots() - knots);
        attitude = std::clamp(attitude + 0.1 * error, -10.0, 20.0);
        const double wanted = std::clamp(attitude + error, -8.0, 14.0);
        elevator = std::clamp(elevator + 60.0 * (wanted - pitch), -32000.0, 32000.0);
        s.fmElv = core::ClampToInt16(std::lround(std::clamp(
            elevator + 150.0 * (wanted - pitch) - 300.0 * (pitch - lastPitch), -32000.0, 32000.0)));
        s.fmAil = core::ClampToInt16(
            std::lround(std::clamp(-100.0 * bank, -2500.0, 2500.0) - 60.0 * (bank - lastBank)));
        lastPitch = pitch;
        lastBank = bank;
        ProbeRunSeconds(1.0);
    }
    const double speed = s.fmTAVel / 65536.0;
    const double metres = AltitudeFeet() * kMetresPerFoot - startMetres +
                          (speed * speed - startSpeed * startSpeed) / (2.0 * 9.80665);
    return metres / kMetresPerFoot;
}

double ProbeGroundRun(int type, double weightKg, double knots) {
    ProbeSelectAircraft(type);
    ProbeSetWeight(weightKg);
    ProbePlaceInFlight(0.0, 0.0);
    StandOnRunway();
    FlightModelState& s = theFlightModelState;
    s.fmElv = 0;
    s.fmElvCur = 0;
    s.fmElvAlpha = 0;
    s.fmThrot = FullThrottle();
    s.fmThrotRight = FullThrottle();
    theLeftMixtureLever = theAircraftParameters.apModelCode == 4 ? 15 : 31;
    theRightConditionLever = theLeftMixtureLever;
    SettleEngines();
    const double x0 = s.fmPosX / 256.0;
    const double z0 = s.fmPosZ / 256.0;
    const int steps = static_cast<int>(120.0 / kStepSeconds);
    for (int i = 0; i < steps; ++i) {
        UpdateFlight();
        if (IndicatedAirspeedKnots() >= knots)
            return std::hypot(s.fmPosX / 256.0 - x0, s.fmPosZ / 256.0 - z0) / kMetresPerFoot;
    }
    return -1.0;
}

namespace {

constexpr double kFlightProbeDegreesPerUnit = 360.0 / 65536.0;

double PitchUpDegrees() {
    return -static_cast<std::int16_t>(theFlightModelState.fmPitch) * kFlightProbeDegreesPerUnit;
}

// The true airspeed (knots) that reads `knots` on the airspeed indicator at the altitude, in the
// model's atmosphere.
double TrueForIndicated(double knots, double feet) {
    return knots / std::sqrt(AirDensityAt(feet) / AirDensityAt(0.0));
}

// Level at the altitude and indicated airspeed, trimmed, the engines running at the throttle and
// the mixture (or the King Air's condition levers) as the handbooks' figures fly them.
void StartLevel(int type, double weightKg, double feet, double knots, std::int16_t throttle) {
    ProbeSelectAircraft(type);
    ProbeSetWeight(weightKg);
    ProbePlaceInFlight(feet, TrueForIndicated(knots, feet));
    FlightModelState& s = theFlightModelState;
    s.fmThrot = throttle;
    s.fmThrotRight = throttle;
    theLeftMixtureLever = theAircraftParameters.apModelCode == 4 ? 15 : 31;
    theRightConditionLever = theLeftMixtureLever;
    SettleEngines();
}

}  // namespace

ElevatorStallResult ProbeElevatorStall(int type, double weightKg, double feet, double knots,
                                       int pull, double holdSeconds, double releaseSeconds) {
    StartLevel(type, weightKg, feet, knots, 0);
    FlightModelState& s = theFlightModelState;
    const std::int16_t trim = s.fmElv;
    ElevatorStallResult r;
    r.lowestPitch = r.highestPitch = PitchUpDegrees();
    r.slowestKnots = r.fastestKnots = IndicatedAirspeedKnots();
    double lowest = AltitudeFeet();
    const int perSecond = static_cast<int>(1.0 / kStepSeconds + 0.5);
    const int held = static_cast<int>(holdSeconds * perSecond);
    for (int i = 0; i < held && !theCrashed; ++i) {
        if (i % (3 * perSecond) == 0 && i / (3 * perSecond) < 6)
            s.fmElv = core::ClampToInt16(s.fmElv + pull / 6);
        UpdateFlight();
        r.lowestPitch = std::min(r.lowestPitch, PitchUpDegrees());
        r.highestPitch = std::max(r.highestPitch, PitchUpDegrees());
        r.slowestKnots = std::min(r.slowestKnots, IndicatedAirspeedKnots());
        r.fastestKnots = std::max(r.fastestKnots, IndicatedAirspeedKnots());
        lowest = std::min(lowest, AltitudeFeet());
    }
    r.heightLostFeet = feet - lowest;
    // The recovery: the elevator let go to its trim and full power.
    s.fmElv = trim;
    s.fmThrot = 32767;
    s.fmThrotRight = 32767;
    const double released = AltitudeFeet();
    lowest = released;
    bool climbing = false;
    for (int i = 0; i < static_cast<int>(releaseSeconds * perSecond) && !theCrashed; ++i) {
        UpdateFlight();
        // The loss ends where the aircraft climbs again.
        climbing = climbing || (theFlightModelState.fmVVel > 0 && AltitudeFeet() > lowest + 20.0);
        if (!climbing) lowest = std::min(lowest, AltitudeFeet());
        r.fastestAfterKnots = std::max(r.fastestAfterKnots, IndicatedAirspeedKnots());
    }
    r.recoveryLossFeet = released - lowest;
    r.crashed = theCrashed != 0;
    return r;
}

IdleHoldResult ProbeIdleAltitudeHold(int type, double weightKg, double feet, double knots,
                                     double seconds) {
    StartLevel(type, weightKg, feet, knots, 0);
    ProbeEngageAltitudeHold();
    IdleHoldResult r;
    r.lowestPitch = r.highestPitch = PitchUpDegrees();
    r.slowestKnots = r.fastestKnots = IndicatedAirspeedKnots();
    r.lowestFeet = AltitudeFeet();
    const int steps = static_cast<int>(seconds / kStepSeconds);
    for (int i = 0; i < steps && !theCrashed; ++i) {
        UpdateFlight();
        r.lowestPitch = std::min(r.lowestPitch, PitchUpDegrees());
        r.highestPitch = std::max(r.highestPitch, PitchUpDegrees());
        r.slowestKnots = std::min(r.slowestKnots, IndicatedAirspeedKnots());
        r.fastestKnots = std::max(r.fastestKnots, IndicatedAirspeedKnots());
        r.lowestFeet = std::min(r.lowestFeet, AltitudeFeet());
    }
    r.crashed = theCrashed != 0;
    return r;
}

double ProbeLevelSpeedAtThrottle(int type, double weightKg, double feet, std::int16_t throttle,
                                 double startKnots) {
    StartLevel(type, weightKg, feet, startKnots, throttle);
    ProbeEngageAltitudeHold();
    ProbeRunSeconds(240.0);
    const int steps = static_cast<int>(60.0 / kStepSeconds);
    double tas = 0.0;
    for (int i = 0; i < steps; ++i) {
        UpdateFlight();
        tas += theFlightModelState.fmTAVel / 65536.0 / kMetresPerSecondPerKnot;
    }
    return tas / steps;
}

double ProbeIdleRoll(int type, double weightKg, double knots, double seconds) {
    StartLevel(type, weightKg, 0.0, knots, 0);
    StandOnRunway();
    ProbeRunSeconds(seconds);
    return IndicatedAirspeedKnots();
}

KeyboardTakeOffResult ProbeKeyboardTakeOff(int type, double weightKg, std::int16_t trim, int holds,
                                           double pullFromKnots, double giveBackSeconds,
                                           double giveBackSpacingSeconds, double fieldFeet) {
    StartLevel(type, weightKg, fieldFeet, 0.0, 32767);
    StandOnRunway(fieldFeet);
    FlightModelState& s = theFlightModelState;
    s.fmGear = 1;
    s.fmElv = trim;
    s.fmElvCur = trim;
    s.fmElvAlpha = 0;
    KeyboardTakeOffResult r;
    const int perSecond = static_cast<int>(1.0 / kStepSeconds + 0.5);
    // The keys: a hold moves the elevator kKeyHoldSteps of its steps (Down one more than its step
    // each, Up its step) over kKeyHoldSeconds.
    const int step = ElevatorStepForType(type);
    const int ramp = static_cast<int>(holds * kKeyHoldSeconds * perSecond);
    const std::int64_t pull = static_cast<std::int64_t>(holds) * kKeyHoldSteps * (step + 1);
    const std::int64_t back = static_cast<std::int64_t>(holds) * kKeyHoldSteps * step;
    const int giveBack = static_cast<int>(giveBackSeconds * perSecond);
    const bool spaced = holds > 1 && giveBackSpacingSeconds > kKeyHoldSeconds;
    const int holdRamp = static_cast<int>(kKeyHoldSeconds * perSecond);
    const int spacing = static_cast<int>(giveBackSpacingSeconds * perSecond);
    const bool tapped = giveBackSpacingSeconds < 0.0;
    const int tapEvery = std::max(1, static_cast<int>(-giveBackSpacingSeconds * perSecond));
    int pulled = -1;
    int off = -1;
    double knots = 0, pitch = 0;
    int counted = 0;
    const double field = AltitudeFeet();
    std::vector<double> heights;  // each step's, from 50 ft up to a minute after the lift-off
    for (int i = 0; i < 240 * perSecond && !theCrashed; ++i) {
        if (pulled < 0 && IndicatedAirspeedKnots() >= pullFromKnots) pulled = i;
        if (pulled >= 0 && i - pulled < ramp)
            s.fmElv = core::ClampToInt16(trim + pull * (i - pulled + 1) / ramp);
        // Once climbing, the pull given back as it was made.
        const int since = off < 0 || giveBackSeconds < 0 ? -1 : i - off - giveBack;
        if (since >= 0 && since < ramp && !spaced && !tapped)
            s.fmElv = core::ClampToInt16(trim + pull - back * (since + 1) / ramp);
        if (since >= 0 && tapped) {
            // One press of Up (one step) every `-giveBackSpacingSeconds`.
            const std::int64_t taps =
                std::min<std::int64_t>(since / tapEvery + 1, static_cast<std::int64_t>(holds) * kKeyHoldSteps);
            s.fmElv = core::ClampToInt16(trim + pull - taps * step);
        } else if (since >= 0 && spaced) {
            // Each hold of Up its own ramp, `spacing` after the one before.
            std::int64_t given = 0;
            for (int k = 0; k < holds; ++k) {
                const int into = since - k * spacing;
                if (into >= 0)
                    given += static_cast<std::int64_t>(kKeyHoldSteps) * step *
                             std::min(into + 1, holdRamp) / holdRamp;
            }
            s.fmElv = core::ClampToInt16(trim + pull - given);
        }
        UpdateFlight();
        if (off < 0 && s.fmOTG == 0 && AltitudeFeet() > field + 0.1) {
            off = i;
            r.liftedOff = true;
            r.liftOffKnots = IndicatedAirspeedKnots();
            r.lowestKnots = 1e9;
        }
        if (off < 0) continue;
        const double t = static_cast<double>(i - off) / perSecond;
        if (t > kTakeOffSettleTo) break;
        if (t <= 60.0) r.highestPitch = std::max(r.highestPitch, PitchUpDegrees());
        // The climb is watched from 50 ft up, or from the pull's giving back where that comes
        // first: once the pull is given back the aircraft may not sink, however low it is.
        if (AltitudeFeet() > field + 50.0 || since >= 0 || !heights.empty()) {
            r.lowestKnots = std::min(r.lowestKnots, IndicatedAirspeedKnots());
            if (t <= 60.0) heights.push_back(AltitudeFeet());
        }
        if (t >= kTakeOffSettleFrom) {
            knots += IndicatedAirspeedKnots();
            pitch += PitchUpDegrees();
            ++counted;
        }
    }
    if (counted > 0) {
        r.climbKnots = knots / counted;
        r.climbPitch = pitch / counted;
    }
    for (std::size_t i = 0; i + 2 * perSecond < heights.size(); ++i)
        r.mostSinkFpm = std::max(r.mostSinkFpm, (heights[i] - heights[i + 2 * perSecond]) * 30.0);
    return r;
}

double ProbeServiceCeiling(int type, double weightKg) {
    double lo = 0.0;
    double hi = 60000.0;
    if (ProbeBestClimb(type, lo, weightKg) < 100.0) return 0.0;
    while (hi - lo > 50.0) {
        const double mid = 0.5 * (lo + hi);
        if (ProbeBestClimb(type, mid, weightKg) >= 100.0) {
            lo = mid;
        } else {
            hi = mid;
        }
    }
    return lo;
}

double ProbeTableFuelToKgPerHourPerEngine(int type, double tableFuelFlow) {
    switch (type) {
        case 0:
        case 1:
        case 2:
            return tableFuelFlow * 6.0 / kPoundsPerKg;  // US gal/h per engine, 6 lb a gallon
        default:
            return tableFuelFlow / kPoundsPerKg / 2.0;  // lb/h for both engines
    }
}

}  // namespace flight
