// The default flights in "Flights": "Startup.Flt" and, for each aircraft, the parked ("Stop")
// and ready-to-fly ("Fly") pair that a restart loads. Each stands on the centre line of a real
// runway of a real airport of data/, a little past the landing threshold, facing along the
// runway as the world plane lays it out, its wheels on the ground. Its radios are tuned from the
// public data: NAV1 on the VOR nearest the airport, NAV2 on the runway's ILS (else the next
// VOR), each with the other's station on standby, the ADF on the nearest NDB, COM1 on the tower
// (else the common traffic frequency), COM2 on the ATIS, the transponder on 1200, and the courses
// and heading bug on the runway's magnetic heading. "Cruise.Flt" is where the flight lessons
// start: the 172 trimmed in level cruise 3,000 ft above KSQL, flown there by the flight model
// itself with the autopilot holding the altitude, then handed over with the autopilot off.
// Each type's three in-air starts ("C172Air.Flt", "C172Pattern.Flt", "C172Final.Flt" and the
// others'), which the placements in the air load, are found the same way: level and trimmed in
// cruise at a published cruise speed, at pattern speed with the first flaps and the gear down,
// and at approach speed with landing flaps, the throttle lever chosen by flying each one.
#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "cockpit/audio_panel.h"
#include "cockpit/cockpit_services.h"
#include "cockpit/cockpit_systems.h"
#include "cockpit/nav_receivers.h"
#include "cockpit/panel_controls.h"
#include "cockpit/panel_services.h"
#include "core/ini_file.h"
#include "flight/aircraft.h"
#include "flight/aircraft_parameters.h"
#include "flight/flight_model.h"
#include "flight/flight_probe.h"
#include "flight/flight_world_services.h"
#include "flight/published_performance.h"
#include "flight/flight_model_state.h"
#include "nav/lat_lon.h"
#include "tools/mkdata/com_channels.h"
#include "tools/mkdata/geodesy.h"
#include "tools/mkdata/installation.h"
#include "world/terrain_services.h"
#include "world/weather_services.h"
#include "devices/sound_services.h"

namespace mkdata {

namespace {

// How far past the threshold (after any displacement) the aircraft stands.
constexpr double kPastThreshold = 40.0;
// Noon on the west coast on midsummer day 2026 (19:00 UTC), seconds since 1970.
constexpr std::int32_t kStartTime = 1782068400;

enum class Start { kParked, kReady, kCruise, kInAir };

// The lessons' cruise: 3,000 ft above the ground, throttle lever 22 of 31 (about 70 % power).
constexpr double kCruiseFeet = 3000.0;
constexpr std::int16_t kCruiseLever = 22;
constexpr double kCruiseSettleSeconds = 240.0;

struct DefaultFlight {
    const char* file;
    int type;  // aircraft type 0..4
    Start start;
    const char* airport;
    const char* runway;  // the end the aircraft takes off from
    flight::AirborneLeg leg = flight::AirborneLeg::Cruise;  // an in-air start's
};

constexpr DefaultFlight kFlights[] = {
    {"Startup.Flt", 0, Start::kReady, "KSQL", "30"},
    {"C172Stop.Flt", 0, Start::kParked, "KOAK", "27R"},
    {"C172Fly.Flt", 0, Start::kReady, "KOAK", "27R"},
    {"BonStop.Flt", 1, Start::kParked, "KBFI", "13R"},
    {"BonFly.Flt", 1, Start::kReady, "KBFI", "13R"},
    {"BarStop.Flt", 2, Start::kParked, "KTEB", "19"},
    {"BarFly.Flt", 2, Start::kReady, "KTEB", "19"},
    {"KingStop.Flt", 3, Start::kParked, "KAPA", "35R"},
    {"KingFly.Flt", 3, Start::kReady, "KAPA", "35R"},
    {"JetStop.Flt", 4, Start::kParked, "KOAK", "29"},
    {"JetFly.Flt", 4, Start::kReady, "KOAK", "29"},
    {"Lesson.Flt", 0, Start::kReady, "KSQL", "30"},
    {"Cruise.Flt", 0, Start::kCruise, "KSQL", "30"},
};

struct RunwayEnd {
    double lat = 0, lon = 0;  // east-positive, as in data/
    double displaced = 0;     // metres
    double farLat = 0, farLon = 0;
};

struct Airport {
    std::map<std::string, RunwayEnd> ends;
};

int LoadAirports(const std::string& dataDir, std::map<std::string, Airport>* airports,
                 std::string* error) {
    std::map<std::string, bool> wanted;
    for (const DefaultFlight& f : kFlights)
        wanted[f.airport] = true;
    std::vector<std::vector<std::string>> rows;
    if (!ReadCsv(dataDir + "/navdata-us/airport.csv", &rows, error)) return 0;
    // Only airports the table lists (land airports) are used.
    for (const auto& r : rows) {
        if (r.size() >= 7 && wanted.count(r[0]) != 0 && r[2] == "land") (*airports)[r[0]];
    }
    rows.clear();
    if (!ReadCsv(dataDir + "/navdata-us/runway.csv", &rows, error)) return 0;
    for (const auto& r : rows) {
        if (r.size() < 11 || airports->count(r[0]) == 0) continue;
        RunwayEnd one, two;
        // A row with a number that does not read is left out, as if the runway were absent.
        if (!ParseNumber(r[4], &one.lat) || !ParseNumber(r[5], &one.lon) ||
            !ParseNumber(r[6], &one.displaced) || !ParseNumber(r[8], &two.lat) ||
            !ParseNumber(r[9], &two.lon) || !ParseNumber(r[10], &two.displaced)) {
            continue;
        }
        one.farLat = two.lat;
        one.farLon = two.lon;
        two.farLat = one.lat;
        two.farLon = one.lon;
        Airport& a = (*airports)[r[0]];
        a.ends[r[3]] = one;
        a.ends[r[7]] = two;
    }
    return 1;
}

// The radio facts of data/: stations with their positions, frequency codes (MHz x 100 or kHz)
// and the VORs' published variation; each airport's ILS by runway and its frequencies by kind.
struct Station {
    double lat = 0, lon = 0;
    int frequency = 0;
    double variation = 0;  // degrees, east positive
};
struct RadioFacts {
    std::vector<Station> vors, ndbs;
    std::map<std::string, int> ilsByRunway;                  // "KOAK 29" -> 10870
    AirportComChannels coms;  // airport -> kind -> first channel, dialable
};

int LoadRadioFacts(const std::string& dataDir, RadioFacts* facts, std::string* error) {
    std::vector<std::vector<std::string>> rows;
    if (!ReadCsv(dataDir + "/navdata-us/vor.csv", &rows, error)) return 0;
    for (const auto& r : rows) {
        Station s;
        double f = 0;
        if (r.size() >= 8 && ParseNumber(r[2], &s.lat) && ParseNumber(r[3], &s.lon) &&
            ParseNumber(r[5], &f) && ParseNumber(r[7], &s.variation)) {
            s.frequency = static_cast<int>(f);
            facts->vors.push_back(s);
        }
    }
    rows.clear();
    if (!ReadCsv(dataDir + "/navdata-us/ndb.csv", &rows, error)) return 0;
    for (const auto& r : rows) {
        Station s;
        double f = 0;
        if (r.size() >= 6 && ParseNumber(r[2], &s.lat) && ParseNumber(r[3], &s.lon) &&
            ParseNumber(r[5], &f)) {
            s.frequency = static_cast<int>(f);
            facts->ndbs.push_back(s);
        }
    }
    rows.clear();
    if (!ReadCsv(dataDir + "/navdata-us/ils.csv", &rows, error)) return 0;
    for (const auto& r : rows) {
        double f = 0;
        if (r.size() >= 8 && ParseNumber(r[7], &f))
            facts->ilsByRunway.emplace(r[0] + " " + r[1], static_cast<int>(f));
    }
    rows.clear();
    if (!ReadCsv(dataDir + "/navdata-us/frequency.csv", &rows, error)) return 0;
    std::vector<SourceFrequency> channels;
    for (const auto& r : rows) {
        double f = 0;
        if (r.size() >= 3 && ParseNumber(r[2], &f))
            channels.push_back(SourceFrequency{r[0], r[1], static_cast<int>(f)});
    }
    // The channels the station directory holds, which ATC listens on.
    facts->coms = DialableComChannels(channels);
    return 1;
}

// The stations of a list nearest a place, nearest first.
std::vector<const Station*> Nearest(const std::vector<Station>& list, double lat, double lon,
                                    std::size_t count) {
    std::vector<std::pair<double, const Station*>> byDistance;
    for (const Station& s : list)
        byDistance.emplace_back(Distance(lat, lon, s.lat, s.lon), &s);
    const std::size_t n = std::min(count, byDistance.size());
    std::partial_sort(byDistance.begin(), byDistance.begin() + static_cast<std::ptrdiff_t>(n),
                      byDistance.end());
    std::vector<const Station*> out;
    for (std::size_t i = 0; i < n; ++i)
        out.push_back(byDistance[i].second);
    return out;
}

void Tune(cockpit::PanelGauge& radio, int code, int wholeOffset) {
    radio.activeMHz = radio.standbyMHz = static_cast<std::uint16_t>(code / 100 - wholeOffset);
    radio.activeKHz = radio.standbyKHz = static_cast<std::uint16_t>(code % 100);
}
void TuneStandby(cockpit::PanelGauge& radio, int code) {
    radio.standbyMHz = static_cast<std::uint16_t>(code / 100 - 100);
    radio.standbyKHz = static_cast<std::uint16_t>(code % 100);
}

// The radios as the flight leaves them (the cockpit's words, written by its own writer).
void SetRadios(int type, const DefaultFlight& f, const RunwayEnd& end, const RadioFacts& facts) {
    const std::vector<const Station*> vors = Nearest(facts.vors, end.lat, end.lon, 2);
    if (!vors.empty()) Tune(cockpit::theNav1Radio, vors[0]->frequency, 100);
    const auto ils = facts.ilsByRunway.find(std::string(f.airport) + " " + f.runway);
    if (ils != facts.ilsByRunway.end())
        Tune(cockpit::theNav2Radio, ils->second, 100);
    else if (vors.size() > 1)
        Tune(cockpit::theNav2Radio, vors[1]->frequency, 100);
    // The standby windows hold the other station, one swap away.
    if (vors.size() > 1) TuneStandby(cockpit::theNav1Radio, vors[1]->frequency);
    if (!vors.empty()) TuneStandby(cockpit::theNav2Radio, vors[0]->frequency);
    const std::vector<const Station*> ndbs = Nearest(facts.ndbs, end.lat, end.lon, 1);
    if (!ndbs.empty()) Tune(cockpit::theAdfRadio, ndbs[0]->frequency, 0);
    const auto coms = facts.coms.find(f.airport);
    if (coms != facts.coms.end()) {
        const auto tower = coms->second.find("tower");
        const auto ctaf = coms->second.find("unicom");
        if (tower != coms->second.end())
            Tune(cockpit::theCom1Radio, tower->second, 100);
        else if (ctaf != coms->second.end())
            Tune(cockpit::theCom1Radio, ctaf->second, 100);
        const auto atis = coms->second.find("atis");
        if (atis != coms->second.end()) Tune(cockpit::theCom2Radio, atis->second, 100);
    }
    cockpit::theTransponder.activeMHz = 12;
    cockpit::theTransponder.activeKHz = 0;
    // The runway's magnetic heading by the nearest VOR's published variation.
    const double trueHeading = Bearing(end.lat, end.lon, end.farLat, end.farLon);
    const double variation = vors.empty() ? 0.0 : vors[0]->variation;
    int course = static_cast<int>(std::lround(std::fmod(trueHeading - variation + 720.0, 360.0)));
    if (course <= 0) course += 360;
    const int card = 360 - course == 0 ? 360 : 360 - course;
    const auto frame = static_cast<std::int16_t>(std::trunc((360 - course) * 0.4 + 0.5));
    if (type == 0 || type == 5) {
        cockpit::theNav1Indicator.courseDegrees = static_cast<std::int16_t>(card);
        cockpit::theNav1Indicator.cardFrame = frame;
    }
    cockpit::theNav2Indicator.courseDegrees = static_cast<std::int16_t>(card);
    cockpit::theNav2Indicator.cardFrame = frame;
    cockpit::theHsiGauge.course = static_cast<std::int16_t>(course);
    cockpit::theHsiGauge.headingBug = static_cast<std::int16_t>(course % 360);
    cockpit::NavReceiverWords& w = cockpit::theNavReceiverWords;
    w.vor1_obs_setting = w.vor2_obs_setting = static_cast<std::uint16_t>(course);
    cockpit::UpdateNav1CourseAngle();
    w.vor2_obs_pd = w.vor1_obs_pd;
}

// The cockpit as the flight leaves it, written by the cockpit's own writers: a ready flight with
// battery and avionics on, fuel on both tanks (own side on the twins), mixtures rich, magnetos
// on both (igniters on the turbines), throttles closed; a parked one cold with the masters off.
int theFlightType = 0;
int FlightType() {
    return theFlightType;
}
// How an in-air start leaves its controls: the throttle levers, the elevator trim, the gear.
struct InAirControls {
    std::int16_t lever = 0;
    std::int16_t elevatorTrim = 0;
    bool gearUp = false;
};

int WriteCockpit(core::IniFile& file, const DefaultFlight& f, const RunwayEnd& end,
                 const RadioFacts& facts, const InAirControls& inAir) {
    const flight::AircraftServices saved = flight::theAircraftServices;
    flight::theAircraftServices.aircraftType = &FlightType;
    theFlightType = f.type;
    cockpit::ResetCockpitServices();
    const bool ready = f.start != Start::kParked;
    const bool turbine = f.type == 3 || f.type == 4;
    cockpit::theMasterSwitch.switchState = ready ? 1 : 0;
    cockpit::theAvionicsSwitch.switchState = ready ? 1 : 0;
    cockpit::theNavLightSwitch.switchState = ready ? 1 : 0;
    cockpit::theBeaconSwitch.switchState = ready ? 1 : 0;
    cockpit::theFuelSelector.lever = f.type >= 1 && f.type <= 4 ? 1 : 2;
    cockpit::theFuelSelector2.lever = 1;
    if (turbine) {
        cockpit::theIgnitionSwitch.switchState = cockpit::theIgnitionSwitch2.switchState =
            ready ? 1 : 0;
    } else {
        cockpit::theIgnitionSwitch.lever = static_cast<std::int16_t>(ready ? 3 : 0);
        cockpit::theIgnitionSwitch2.lever = static_cast<std::int16_t>(f.type == 2 && ready ? 3 : 0);
    }
    cockpit::theThrottleLever.lever = cockpit::theThrottleLever2.lever =
        f.start == Start::kCruise ? kCruiseLever : (f.start == Start::kInAir ? inAir.lever : 0);
    cockpit::theGearUp = inAir.gearUp ? 1 : 0;
    cockpit::theGearLever.knob = static_cast<std::int16_t>(inAir.gearUp ? 15 : 0);
    if (f.start == Start::kInAir) {
        // Trimmed hands off: the trim holds the elevator, the stick is centred; the gear lamps
        // show the gear as it is.
        *cockpit::thePanelHost.controlWord(0) = inAir.elevatorTrim;
        *cockpit::thePanelHost.controlWord(3) = 0;
        const std::int32_t down = inAir.gearUp ? 0 : 1;
        cockpit::theNoseGearLight.switchState = cockpit::theLeftGearLight.switchState =
            cockpit::theRightGearLight.switchState = down;
        // In the air the pilot listens to both COM radios.
        cockpit::theAudioPanelButtons.audioMixCom1 = cockpit::theAudioPanelButtons.audioMixCom2 = 1;
    }
    int ok = cockpit::WritePanelState(file);
    ok &= cockpit::SavePartialPanelSettings(file);
    SetRadios(f.type, f, end, facts);
    ok &= cockpit::WriteNavRadios(file);
    cockpit::ResetCockpitServices();
    flight::theAircraftServices = saved;
    return ok;
}

// The world's services a flying experiment replaces (calm air, flat ground at sea level, no
// sound), put back when it ends.
class ExperimentWorld {
public:
    ExperimentWorld()
        : weather(world::theWeatherServices),
          sound(devices::theSoundServices),
          worldServices(flight::theFlightWorldServices),
          limits(flight::theCrashLimits),
          crashDetect(flight::theCrashDetectEnabled),
          datum(world::theTerrainDatum),
          ground(world::theTerrainHeight),
          temperature(world::theSeaLevelTemp),
          variation(world::theMagneticVariation) {}
    ~ExperimentWorld() {
        world::theWeatherServices = weather;
        devices::theSoundServices = sound;
        flight::theFlightWorldServices = worldServices;
        flight::theCrashLimits = limits;
        flight::theCrashDetectEnabled = crashDetect;
        world::theTerrainDatum = datum;
        world::theTerrainHeight = ground;
        world::theSeaLevelTemp = temperature;
        world::theMagneticVariation = variation;
    }
    ExperimentWorld(const ExperimentWorld&) = delete;
    ExperimentWorld& operator=(const ExperimentWorld&) = delete;

private:
    const world::WeatherServices weather;
    const devices::SoundServices sound;
    const flight::FlightWorldServices worldServices;
    const flight::CrashLimits limits;
    const std::uint32_t crashDetect;
    const std::int32_t datum, ground;
    const std::int16_t temperature, variation;
};

// One flight at a throttle lever: placed level at the height near the trim for the speed, with
// the flaps and gear given, the autopilot holds the height while the speed settles where thrust
// meets drag; the autopilot is then let go. Its elevator is the trimmed one.
struct LevelSetting {
    double feet;
    double knots;  // true airspeed to start from
    std::int16_t lever;
    std::int8_t flaps;
    bool gearDown;
};
void FlyLevel(int type, std::uint16_t heading, const LevelSetting& l, double seconds) {
    flight::ProbeSelectAircraft(type);
    flight::ProbePlaceInFlight(l.feet, l.knots, heading);
    flight::FlightModelState& s = flight::theFlightModelState;
    s.fmFlaps = l.flaps;
    s.fmGear = l.gearDown ? 1 : 0;
    s.fmThrot = static_cast<std::int16_t>(l.lever * 1057);  // as the lever sets it
    if (type >= 2) s.fmThrotRight = s.fmThrot;
    flight::ProbeEngageAltitudeHold();
    flight::ProbeRunSeconds(seconds);
    s.fmAutopilotModes = 0;
    s.fmAutopilotState = 0;
}

// Holding the height the autopilot hunts round the trim: the trimmed flight is the mean of its
// elevator, speed and pitch over a minute more of it, level at the height, and the elevator
// trim holds that elevator hands off.
void TakeMeanOfHold(int type, std::uint16_t heading, const LevelSetting& l) {
    FlyLevel(type, heading, l, kCruiseSettleSeconds - 60.0);
    flight::FlightModelState& s = flight::theFlightModelState;
    flight::ProbeEngageAltitudeHold();
    double elevator = 0, forward = 0, air = 0, pitch = 0;
    constexpr int kSamples = 600;
    for (int i = 0; i < kSamples; ++i) {
        flight::ProbeRunSeconds(0.1);
        elevator += s.fmElv;
        forward += s.fmHVel;
        air += s.fmTAVel;
        pitch += static_cast<std::int16_t>(s.fmPitch);
    }
    s.fmAutopilotModes = 0;
    s.fmAutopilotState = 0;
    s.fmElv = s.fmElvCur = static_cast<std::int16_t>(std::lround(elevator / kSamples));
    s.fmApElvTrim = s.fmElv;
    s.fmHVel = static_cast<std::int32_t>(std::lround(forward / kSamples));
    s.fmTAVel = static_cast<std::int32_t>(std::lround(air / kSamples));
    const std::uint64_t tas = static_cast<std::uint32_t>(s.fmTAVel);
    s.fmTASq = static_cast<std::int32_t>((tas * tas) >> 32);
    s.fmPitch = static_cast<std::uint16_t>(std::lround(pitch / kSamples));
    s.fmVVel = 0;
    s.fmPosY = static_cast<std::int32_t>(std::lround(l.feet * 0.3048 * 256.0));
}

// Level cruise found by flying: 110 knots to start from with the cruise throttle.
void FlyToCruiseTrim(int type, std::uint16_t heading) {
    const ExperimentWorld experiment;
    FlyLevel(type, heading, LevelSetting{kCruiseFeet, 110.0, kCruiseLever, 0, type == 0},
             kCruiseSettleSeconds);
    flight::FlightModelState& s = flight::theFlightModelState;
    s.fmPosY = static_cast<std::int32_t>(std::lround(kCruiseFeet * 0.3048 * 256.0));
    s.fmVVel = 0;
}

// ---- the in-air starts ----

double TrueKnots() {
    return flight::theFlightModelState.fmTAVel / 65536.0 / 0.514444;
}
double AltitudeFeet() {
    return flight::theFlightModelState.fmPosY / 256.0 / 0.3048;
}

// Where and how each leg is flown. Cruise: a row of the type's published cruise table (altitude,
// power), its true airspeed the speed aimed at. The pattern and the final: the speeds the types'
// handbooks fly them at (about 1.6 and 1.3 times the stall speed), a thousand feet up.
struct LegTrim {
    double feet;
    double knots;
    std::int8_t flaps;
    bool gearDown;
};
LegTrim TrimOfLeg(int type, flight::AirborneLeg leg) {
    struct Row {
        int cruiseFeet, cruisePower;
        double patternKnots;
        std::int8_t patternFlaps;
        double finalKnots;
        std::int8_t finalFlaps;
    };
    static constexpr Row kRows[5] = {
        {4000, 75, 80, 1, 65, 3},     // Cessna 172: 10 degrees of flaps, then 30
        {6000, 75, 100, 1, 80, 2},    // Bonanza: approach, then full flaps
        {8000, 65, 115, 1, 95, 2},    // Baron
        {12000, 75, 140, 1, 110, 2},  // King Air
        {17000, 65, 150, 1, 115, 3},  // CitationJet: 15 degrees, then full
    };
    const Row& r = kRows[type >= 0 && type <= 4 ? type : 0];
    const bool fixedGear = type == 0;
    switch (leg) {
        case flight::AirborneLeg::Pattern:
            return LegTrim{1000.0, r.patternKnots, r.patternFlaps, true};
        case flight::AirborneLeg::Final:
            return LegTrim{1000.0, r.finalKnots, r.finalFlaps, true};
        default:
            break;
    }
    double knots = 0;
    for (const flight::CruisePoint& p : flight::PublishedPerformanceForType(type).cruise)
        if (p.altitudeFeet == r.cruiseFeet && p.powerPercent == r.cruisePower)
            knots = p.trueAirspeedKnots;
    return LegTrim{static_cast<double>(r.cruiseFeet), knots, 0, fixedGear};
}

// The lever whose trimmed speed lies nearest the leg's, preferring those whose trimmed flight
// holds its height within 50 ft for a minute hands off; the flight is left trimmed at it.
std::int16_t FlyToLegTrim(int type, std::uint16_t heading, flight::AirborneLeg leg) {
    const ExperimentWorld experiment;
    const LegTrim t = TrimOfLeg(type, leg);
    std::int16_t best = 31;
    double bestCost = 1e300;
    for (std::int16_t lever = 0; lever <= 31; ++lever) {
        TakeMeanOfHold(type, heading, LevelSetting{t.feet, t.knots, lever, t.flaps, t.gearDown});
        if (flight::theCrashed != 0) continue;
        const double knots = TrueKnots();
        const double start = AltitudeFeet();
        double drift = 0;
        for (int second = 0; second < 60 && flight::theCrashed == 0; ++second) {
            flight::ProbeRunSeconds(1.0);
            drift = std::max(drift, std::fabs(AltitudeFeet() - start));
        }
        if (flight::theCrashed != 0) continue;
        const double cost = std::fabs(knots - t.knots) + drift / 10.0 + (drift > 50.0 ? 1000.0 : 0.0);
        if (cost < bestCost) {
            bestCost = cost;
            best = lever;
        }
    }
    TakeMeanOfHold(type, heading, LevelSetting{t.feet, t.knots, best, t.flaps, t.gearDown});
    return best;
}

int WriteFlight(Installation& installation, const DefaultFlight& f, const RunwayEnd& end,
                const RadioFacts& facts, std::string* error) {
    // On the centre line, past the threshold.
    const double heading = Bearing(end.lat, end.lon, end.farLat, end.farLon);
    double lat = 0, lon = 0;
    Travel(end.lat, end.lon, heading, end.displaced + kPastThreshold, &lat, &lon);
    flight::FlightModelState& s = flight::theFlightModelState;
    s = flight::FlightModelState{};
    flight::LoadAircraftParameters(f.type);
    flight::InitFlightModelForAircraft();
    // The world counts longitudes positive west.
    nav::LatLonToWorld(&s.fmPosX, &s.fmPosZ, lat, -lon);
    // A saved height counts from the ground datum, which the terrain keeps at the height of the
    // ground under the aircraft (a flight loaded far away keeps its height above the new
    // ground): standing on the runway is the gear's height. The field's elevation comes from
    // the terrain; a height above sea level here would drop the aircraft from twice the
    // field's elevation.
    s.fmPosY = s.fmGearHeight;
    // Facing the far end in the world plane, where the aircraft moves: the runway's true
    // heading plus the meridian's convergence at the airport (up to 21 degrees on the west
    // coast), so the take-off run follows the runway as the world lays it out.
    std::int32_t farX = 0, farZ = 0;
    nav::LatLonToWorld(&farX, &farZ, end.farLat, -end.farLon);
    const double worldHeading = Degrees(
        std::atan2(static_cast<double>(farX) - s.fmPosX, static_cast<double>(farZ) - s.fmPosZ));
    s.fmHead = static_cast<std::uint16_t>(std::lround(worldHeading * 65536.0 / 360.0) & 0xFFFF);
    InAirControls inAir;
    if (f.start == Start::kCruise) {
        const std::int32_t x = s.fmPosX, z = s.fmPosZ;
        FlyToCruiseTrim(f.type, s.fmHead);
        s.fmPosX = x;
        s.fmPosZ = z;
    } else if (f.start == Start::kInAir) {
        // Over the airport; the placements put it where the pilot asks. Its height is the
        // altitude it was trimmed at, over flat ground at sea level.
        const std::int32_t x = s.fmPosX, z = s.fmPosZ;
        inAir.lever = FlyToLegTrim(f.type, s.fmHead, f.leg);
        inAir.elevatorTrim = s.fmApElvTrim;
        inAir.gearUp = s.fmGear == 0;
        s.fmPosX = x;
        s.fmPosZ = z;
    } else {
        s.fmOTG = 1;
        s.fmGear = 1;
        s.fmFlaps = 0;
        s.fmThrot = 0;
        // Every flight on the ground starts with the brakes set (255); a ready flight with its
        // engines running.
        s.fmLBrake = -1;
        s.fmRBrake = -1;
        s.fmEngines = f.start == Start::kParked ? 0 : static_cast<std::int8_t>(f.type >= 2 ? 3 : 1);
    }

    const std::string path = installation.PrepareFile(std::string("Flights\\") + f.file);
    core::IniFile file(path.c_str());
    int ok = file.PutInt("Aircraft", "type", f.type);
    ok &= flight::WriteAircraftState(file);
    ok &= WriteCockpit(file, f, end, facts, inAir);
    ok &= file.PutInt("Time", "cur", kStartTime);
    ok &= file.PutInt("Time", "tZone", 7);
    ok &= file.PutInt("Time", "tZoneDiff", 7 * 3600);
    ok &= file.PutInt("Time", "tZoneMode", 0);
    ok &= file.PutInt("Time", "tZoneManual", 7);
    if (!ok) {
        *error = std::string("cannot write ") + path;
        return 0;
    }
    return 1;
}

}  // namespace

int MakeFlights(Installation& installation, std::string* error) {
    std::map<std::string, Airport> airports;
    if (!LoadAirports(installation.DataDir(), &airports, error)) return 0;
    RadioFacts facts;
    if (!LoadRadioFacts(installation.DataDir(), &facts, error)) return 0;
    // Each type's in-air starts, over the airport of its ready-to-fly flight.
    std::vector<DefaultFlight> flights(std::begin(kFlights), std::end(kFlights));
    for (const DefaultFlight& f : kFlights) {
        const std::string name = f.file;
        if (f.start != Start::kReady || name.size() < 7 || name.substr(name.size() - 7) != "Fly.Flt")
            continue;
        for (const flight::AirborneLeg leg :
             {flight::AirborneLeg::Cruise, flight::AirborneLeg::Pattern, flight::AirborneLeg::Final})
            flights.push_back(DefaultFlight{flight::AirborneFlightName(f.type, leg), f.type,
                                            Start::kInAir, f.airport, f.runway, leg});
    }
    for (const DefaultFlight& f : flights) {
        const auto a = airports.find(f.airport);
        if (a == airports.end()) {
            *error = std::string("no airport ") + f.airport + " in the data";
            return 0;
        }
        const auto end = a->second.ends.find(f.runway);
        if (end == a->second.ends.end()) {
            *error = std::string("no runway ") + f.runway + " at " + f.airport;
            return 0;
        }
        if (!WriteFlight(installation, f, end->second, facts, error)) return 0;
    }
    return 1;
}

}  // namespace mkdata
