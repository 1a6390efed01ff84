// Air traffic control: one state block, `theAtcState`, and the user's dialogue record,
// `theFlightEvaluation`, stepped once a second by AtcFrameStep. A session talks the aircraft
// through a departure (clearance, ground, tower, departure), an arrival (ATIS, approach, a ring
// of arrival gates, the traffic pattern, landing, ground) or the legs of a flight plan between
// them (departure, centre, approach). Every step is a spoken exchange composed by the ATC
// speaker (speakers.h) from numbered messages; two traffic aircraft fly the same pattern.
//
// Units: horizontal positions and distances are map units of 1.2890625 ft (4713 a nautical
// mile; map = world x 0.009941939075797343 + 9437184 east, + 5242880 north); heights in the
// flight model's units (78 a foot); angles 16-bit binary angles; times simulated milliseconds,
// each timer a pair (tick, wait) that has run out when now - tick >= wait, unsigned.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "nav/copilot.h"
#include "nav/nav_records.h"
#include "nav/speakers.h"

namespace core {
class IniFile;
}
namespace flight {
enum class AirborneLeg;
}
namespace planning {
class FlightPlan;
}

namespace nav {

inline constexpr int kAtcRunwayRows = 30;
inline constexpr int kAtcPatternRows = 22;
// Field widths of the texts, without their terminator.
inline constexpr std::size_t kRunwayTextChars = 4;
inline constexpr std::size_t kFrequencyTextChars = 6;
inline constexpr std::size_t kHeadingTextChars = 3;
inline constexpr std::size_t kSquawkTextChars = 4;
inline constexpr char kNoFrequency[] = "NONE";
// The en-route centre's first channel; near airports that use it, another (see the geometry).
inline constexpr char kCenterFrequency[] = "132.35";

// Facilities the user works (`fac`).
enum AtcFacility : int {
    kFacNone = 0,
    kFacGround = 2,
    kFacTower = 3,
    kFacDeparture = 4,
    kFacCenter = 5,
    kFacApproach = 6
};
// Sequences (`spSeq`).
enum AtcSequence : int { kSeqDeparture = 0, kSeqArrival = 1, kSeqEnRoute = 2 };

// Event flags of `spEval`.
inline constexpr std::uint32_t kEvalSlowClimbOut = 0x1;
inline constexpr std::uint32_t kEvalSinkAfterTakeoff = 0x40;
inline constexpr std::uint32_t kEvalFlapsFast = 0x80;
inline constexpr std::uint32_t kEvalNotRolling = 0x1000;
inline constexpr std::uint32_t kEvalSlowFinal = 0x2000;
inline constexpr std::uint32_t kEvalFastFinal = 0x4000;
inline constexpr std::uint32_t kEvalCarbHeat = 0x8000;
inline constexpr std::uint32_t kEvalSlowBase = 0x10000;

struct AtcPatternPoint {
    double x = 0;  // map units
    double y = 0;
    std::int32_t vectors = 0;  // radar vectors are given on the way to it
    std::int32_t arrive = 0;   // map units: within this it counts as reached
};

struct AtcRunwayChoice {
    std::uint16_t heading = 0;  // binary angle
    std::uint16_t length = 0;   // feet
    std::int32_t ils = 0;
    std::int32_t usable = 0;
    std::int32_t soft = 0;  // turf, dirt, gravel: taken only where no paved runway serves the wind
};

struct AtcState {
    // Session and options.
    std::int32_t atcOn = 0;
    std::int32_t atcCan = 0;
    std::int32_t startPos = 0;  // 0 ground, 3 runway, 6 downwind, 8 base, 9 final, 25 en route
    std::int32_t spSeq = 0;
    std::int32_t nonTwrdDept = 0;
    std::int32_t vPilots = 0;
    std::int32_t curNode = 0;
    std::int16_t fac = 0;
    std::int32_t lHand = 0;
    std::int32_t listen = 0;
    std::int32_t autoTaxi = 0;
    std::int32_t tandgo = 0;
    std::int32_t reqClosed = 0;
    std::int32_t missed = 0;
    std::int32_t repMsg = 0;
    std::int32_t listenVP = 0;
    std::int32_t seeVP = 0;
    std::int32_t pickedRwy = 0;
    std::int32_t enabledATC = 0;
    std::int32_t atcAutoFreq = 0;  // not saved
    std::int32_t atcAutoNav = 0;   // not saved
    // The copilot handles the radios (the communication dialog's option, not saved here: the
    // "CoPilot" section's "Radios" gives it).
    std::int32_t copilotRadios = 0;

    // Airport and runway.
    std::int32_t airportIndex = 0;
    std::string toRwy;
    std::string lndRwy;
    std::int32_t xRwy = 0;  // world units of the flight model
    std::int32_t zRwy = 0;
    std::int32_t headRwy = 0;  // binary angle
    std::int32_t lenRwy = 0;   // feet
    std::int32_t elev = 0;     // feet
    std::int32_t numOfRwys = 0;
    std::int32_t selRwy = 0;
    std::int32_t takeRwyNum = 0;
    double rwyAngle = 0;  // degrees
    double RwyLen = 0;    // map units
    double RwyElev = 0;   // feet
    std::array<AtcRunwayChoice, kAtcRunwayRows> rwySel{};
    std::array<AtcPatternPoint, kAtcPatternRows> pattern{};

    // Frequencies: "121.80" or "NONE".
    std::string atisFreq;
    std::string clearFreq;
    std::string groundFreq;
    std::string towerFreq;
    std::string departFreq;
    std::string approachFreq;
    std::string centerFreq;
    std::uint8_t atisLetter = 'A';

    std::int32_t clearTuned = 0;
    std::int32_t groundTuned = 0;
    std::int32_t towerTuned = 0;
    std::int32_t departTuned = 0;
    std::int32_t approachTuned = 0;
    std::int32_t centerTuned = 0;

    // Voice offsets 0, 100, 200 or 300 of each facility; the readbacks' (0 the user, 200 the
    // copilot).
    std::int16_t clearNum = 0;
    std::int16_t groundNum = 0;
    std::int16_t towerNum = 0;
    std::int16_t departNum = 0;
    std::int16_t approachNum = 0;
    std::int16_t centerNum = 0;
    std::int16_t pilotNum = 0;

    std::int32_t patAlt = 0;  // feet
    std::int32_t ceilAlt = 0;
    std::int32_t initAlt = 0;
    std::int32_t finalLen = 0;  // map units

    std::string squawk;  // four octal digits

    // Not saved: the non-towered departure's on-ground latch.
    std::int32_t groundLatch = 0;
};

struct FlightEvaluation {
    std::uint32_t spEval = 0;
    std::int16_t spPos = 0;
    std::int16_t spCom = 0;
    std::int16_t spPCom = 0;
    std::int16_t spVoice = 0;
    std::int32_t spWait = 0;
    std::int32_t spTick = 0;
    std::int32_t spActive = 0;
    std::int16_t spROC = 300;
    std::int16_t spROD = 300;
    std::int16_t spPropAlt = 0;
    std::int16_t spPropAS = 0;
    std::string spPropHead;  // three digits, empty for none
    std::int32_t spDestX = 0;
    std::int32_t spDestY = 0;
    std::int32_t spDist = 0;
    std::int32_t spVFlag = 0;
    std::uint16_t spPropRad = 0;
    std::int32_t spD2D = 0;
    std::uint16_t spR2D = 0;
    std::uint16_t spHOff = 0;
    std::int32_t spAltWait = 0;
    std::int32_t spAltTick = 0;
    std::int32_t spHdgWait = 0;
    std::int32_t spHsgTick = 0;
    std::int32_t spAirWait = 0;
    std::int32_t spAirTick = 0;
    std::int32_t spGenWait = 0;
    std::int32_t spGenTick = 0;
    std::int16_t lastCallout = 0;  // not saved
    std::int32_t spTHand = 0;
    std::int32_t spTCon = 0;
};

extern AtcState theAtcState;
extern FlightEvaluation theFlightEvaluation;

// What the ATC asks of the world around it. The defaults read the simulation's world; tests
// put their own in.
struct AtcHost {
    std::uint32_t (*now)();  // simulated milliseconds
    planning::FlightPlan* (*flightPlan)();  // the active plan, or null
    void (*zuluTime)(int* hour, int* minute);
    void (*setFlightMode)(int mode);  // 0 pilot in command, 5 copilot assistance
    // The weather at the surface.
    int (*surfaceWindDirection)();  // degrees 1..360
    int (*surfaceWindSpeed)();      // knots
    int (*cloudBase)();             // feet, the lowest layer
    int (*cloudCoverage)();         // eighths
    int (*temperatureF)();
    int (*pressure)();  // hundredths of an inch of mercury
    // The terrain under a map point: its height in map-height units (x 1.2890625 gives feet),
    // and whether it is loaded.
    double (*groundAt)(double x, double y);
    int (*terrainLoadedAt)(double x, double y);
    // Removes the traffic aircraft's shapes from the scene.
    void (*destroyTrafficShapes)();
};
extern AtcHost theAtcHost;
[[nodiscard]] AtcHost DefaultAtcHost();

// ---- the situation sections ----
int LoadAtcState(core::IniFile& file);
int SaveAtcState(core::IniFile& file);

// ---- sessions ----
void AtcSetUpAirport();
void AtcStartSession(int tuned);
// True while a session starts: the radio changes its start makes begin no session of their own.
[[nodiscard]] bool AtcSessionStarting();
void AtcStartAtAirport();
void AtcStartArrival();
void AtcBeginSequence(int tuned);
void AtcReset();
void AtcClearSession(int tuned);
void AtcGroundContact();
void AtcArrivalContact();
void AtcInitTraffic();
void AtcGroundDepartureStart();
// The transition primitive: new state, message spoken, dialogue timer.
void AtcIssue(int state, int message, int wait);
void AtcRepeatMessage();

// ---- requests of the dialogs and the key commands ----
// The pilot's requests of the communication commands: each sets its field of the state
// (`atcCan`, `repMsg`, `tandgo`, `missed`, `reqClosed`), which the next step acts on, and is
// written to the trace.
enum class AtcRequest { Cancel, Repeat, TouchAndGo, GoAround, ClosedTraffic };
void AtcPostRequest(AtcRequest request);
// The radio the pilot talks on: 0 COM1, 1 COM2, 2 the transponder.
extern int theAtcRadioIndex;
void AtcChangeRunway(int index);
[[nodiscard]] int AtcCanChangeRunway();
[[nodiscard]] int AtcCanRequestAltitude();
void AtcRequestAltitude(int feet);

// ---- airport, pattern, vectors and altitudes ----
void ProjectPoint(double* outX, double* outY, double x, double y, double angleDegrees,
                  double distance);
// 1 when the directory's airport was read.
int AtcCopyAirportFromDirectory();
[[nodiscard]] std::string FormatRunwayNumber(std::uint8_t runway);
// 1 when the airport was found and read (its runway chosen); 0 leaves the state untouched.
int AtcSelectAirport(int mode, const std::string& ident);
int AtcSelectPlanAirport(int node);
// 1 when the directory gives the runways of the active plan's departure airport (a damaged
// directory is said once).
[[nodiscard]] int AtcPlanDepartureReadable();
// 1 when the aircraft stands on a runway of the selected airport, facing along it: that runway
// is taken for take-off and landing. 0 leaves the runway chosen.
int AtcTakeRunwayUnderAircraft();
// The directory's airport with the runway the wind gives (the one chosen in the directory
// where it serves as well). Starting on the runway, the aircraft is put on the chosen one and
// starts as at the ramp (`startPos` 0) when the session's runway is another. 1 when read.
int AtcTakeDirectoryRunway();
// Runway row `index` of the session's airport ("30L"); empty past the last, or with neither a
// session nor a flight plan.
[[nodiscard]] std::string AtcRunwayDesignator(int index);
// The heading offset (grid = magnetic + offset) at the session's airport, from its own grids.
[[nodiscard]] std::int16_t AtcFieldOffset();
[[nodiscard]] int AtcSelectRunwayIntoWind(int count, int arrival, int exclude);
void AtcBuildPattern();
// The fixed columns of the pattern table (whether vectors are given, the arrival distance).
void AtcSetPatternConstants();
void AtcSetPatternAltitude();
void AtcSetCeilingAltitude();
void AtcSetInitialAltitude();
[[nodiscard]] int AtcRoundVfrAltitude(int feet);
void AtcProposeAltitude();
[[nodiscard]] int AtcCapAltitude(int feet);
void AtcSetAircraftLimits();
// Puts the aircraft at its starting place: on the ground (hold-short line, threshold) or in the
// air above the airport's elevation, the in-air start flight of the place's leg loaded before.
void AtcPlaceAircraftAtStartPos();
// Whether a starting place (`startPos`) is in the air, and the leg whose in-air start flight
// it flies (final on 9, cruise en route on 25, the pattern's otherwise).
[[nodiscard]] bool AtcStartsInTheAir(int startPos);
[[nodiscard]] flight::AirborneLeg AtcStartLeg(int startPos);
void AtcTaxiToHoldShort();
void AtcTaxiToRunway();
void AtcSetLegTarget(int state);
void AtcUpdateTargetBearing();
[[nodiscard]] int AtcReachedTarget();
// Whether the user's aircraft stands on the session's runway: on the ground, from a little short
// of its threshold to its far end, within 150 ft of its centreline.
[[nodiscard]] bool AtcUserOnRunway();
// Whether the user's aircraft rolls along the session's runway faster than a taxi: its take-off
// has begun.
[[nodiscard]] bool AtcUserRolling();
// The designator of the session airport's runway the aircraft stands on ("13R"), whichever way
// it faces and whichever runway is in use; empty off every runway.
[[nodiscard]] std::string AtcRunwayUnderAircraft();
void AtcRevector();
[[nodiscard]] int AtcWithinRange(double x, double y, double radius);
[[nodiscard]] int AtcNearestGate();
void AtcNewSquawk();
[[nodiscard]] int AtcIsSquawkSet();
void AtcCopilotSetTransponder();
void AtcCopilotSetCourse();
int AtcHeadingAdvisory();
int AtcAltitudeAdvisory();
int AtcAirspeedAdvisory();

// ---- the dialogue sequences ----
void AtcDepartureStep();
void AtcNonToweredDepartureStep();
void AtcArrivalStep();
void AtcEnRouteStep();
void AtcJoinPattern();
void AtcTouchAndGo();
[[nodiscard]] int AtcWaitForHandoff(int state);
void AtcNextPlanNode();
void AtcMonitorAltitude();

// ---- the traffic aircraft ----
void AtcTrafficStep(int aircraft);
void AtcMoveTraffic();
void AtcResetTraffic();
[[nodiscard]] double AtcDistanceToTraffic(int aircraft);

// ---- facilities, presets and the copilot's radio work ----
// A frequency is set when its text is not "NONE" (and not empty).
[[nodiscard]] bool FrequencySet(const std::string& text);
void AtcPresetComFrequency(const std::string& text);
// Whether airport `ident` publishes the channel `text` ("128.20") for `service`: its first or
// any other it lists, so that a pilot is heard on every one.
[[nodiscard]] bool AirportHeardOn(const std::string& ident, ComService service,
                                  const std::string& text);
void AtcCopilotTuneRadio();
// The copilot is on; it handles the radios.
[[nodiscard]] bool CopilotOn();
[[nodiscard]] bool CopilotRadioHelp();
// The user's or a traffic aircraft's place is `place`.
[[nodiscard]] bool AtcPlaceBusy(int place);
[[nodiscard]] bool AtcTimerRunOut(std::int32_t tick, std::int32_t wait);

// New voices for the facilities and the ATIS at a session's start.
void AtcPickVoices();
// COM1 selected and its standby frequency swapped into use.
void AtcSelectAndSwapCom1();
// A world position (x east, z north) in map units.
[[nodiscard]] double AtcMapX(std::int32_t worldX);
[[nodiscard]] double AtcMapY(std::int32_t worldZ);
// The identifier of the session's airport (empty without one).
[[nodiscard]] std::string AtcAirportIdent();
// The airspeed in knots as the dialogue tests it.
[[nodiscard]] int AtcKnots();
// The call of traffic aircraft n (its last call id), with its voice and model.
int AtcTrafficCall(int n, int* voice, int* model);

// The current aircraft's type 0..5.
[[nodiscard]] int AtcAircraftType();
[[nodiscard]] inline bool IsSkyhawk(int type) {
    return type == 0 || type == 5;
}

}  // namespace nav
