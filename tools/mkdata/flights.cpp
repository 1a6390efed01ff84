// The default flights in "Flights": "Startup.Flt" and, for each aircraft, the parked ("Stop")
// and ready-to-fly ("Fly") pair that a restart loads. "Startup.Flt" is the first flight as the
// pilot meets it, at the start and again at every restart: ready on the runway, masters on, its
// engine not yet started (a turbine's ignition off). Each stands on the centre line of a real
// runway of a real airport of data/, a little past the landing threshold, facing along the
// runway as the world plane lays it out, its wheels on the ground. Its radios are tuned from the
// public data: NAV1 on the VOR nearest the airport, NAV2 on the runway's ILS (else the next
// VOR), each with the other's station on standby, the ADF on the nearest NDB, COM1 on the tower
// (else the common traffic frequency), COM2 on the ATIS, the transponder on 1200, and the courses
// and heading bug on the runway's magnetic heading. "Cruise.Flt" is where the flight lessons
// start: the 172 trimmed in level cruise 3,000 ft above KSQL, flown there by the flight model
// itself with the autopilot holding the altitude, then handed over with the autopilot off and
// its elevator (the flight's elevator trim) refined until it holds its height hands off.
// Each type's three in-air starts ("C172Air.Flt", "C172Pattern.Flt", "C172Final.Flt" and the
// others'), which the placements in the air load, are found the same way: level and trimmed in
// cruise at a published cruise speed, at pattern speed with the first flaps and the gear down,
// and at approach speed with landing flaps, the throttle lever chosen by flying each one; they
// fly over KSQL with the lessons' cruise.
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
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
#include "flight/airspeed.h"
#include "flight/flight_model.h"
#include "flight/flight_model_state.h"
#include "flight/level_flight_trim.h"
#include "flight/published_performance.h"
#include "nav/lat_lon.h"
#include "tools/mkdata/com_channels.h"
#include "tools/mkdata/geodesy.h"
#include "tools/mkdata/installation.h"

namespace mkdata {

namespace {

// How far past the threshold (after any displacement) the aircraft stands.
constexpr double kPastThreshold = 40.0;
// Noon on the west coast on midsummer day 2026 (19:00 UTC), seconds since 1970.
constexpr std::int32_t kStartTime = 1782068400;

// kFirst: ready on the runway as kReady, its engines not yet started.
enum class Start { kParked, kFirst, kReady, kCruise, kInAir };

// The lessons' cruise: 3,000 ft above the ground, throttle lever 22 of 31 (about 70 % power).
constexpr double kCruiseFeet = 3000.0;
constexpr std::int16_t kCruiseLever = 22;
// The condition lever's low idle.
constexpr std::int16_t kLowIdle = 15;

struct DefaultFlight {
    const char* file;
    int type;  // aircraft type 0..4
    Start start;
    const char* airport;
    const char* runway;                                     // the end the aircraft takes off from
    flight::AirborneLeg leg = flight::AirborneLeg::Cruise;  // an in-air start's
};

constexpr DefaultFlight kFlights[] = {
    {"Startup.Flt", 0, Start::kFirst, "KSQL", "30"},
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

// The elevator trim each type's ready-to-fly flight (and the first flight) is set to for the
// take-off, found by flying the README's keyboard take-off (tools/fmfit --take-off-trim flies it
// headless, at sea level and from fields at 5,883 and 7,539 ft): full power; 3 knots before the
// handbook's rotation speed the Down key held until it stops moving the elevator (the
// CitationJet, whose steps are a quarter of the Skyhawk's, four times from 76 knots; the Bonanza
// twice from 65); once climbing the Up key held as long (as often) to give the pull back: the
// King Air and the jet about ten seconds after the lift-off; the others eased off a press of Up at
// a time as the speed builds (the Skyhawk one every 1.2 s and the Bonanza, whose pull is twice as
// long, one every 1.5 s, from three seconds after it; the Baron two a second from ten seconds
// after it). The wheels leave the runway up to 4 knots above the rotation speed in the probe (up
// to 6 on the airspeed indicator in the program), and on this trim, hands off, the aircraft
// climbs near its book's best-rate speed on the airspeed indicator, averaged over the speed
// swings of its first two and a half minutes (the jet at the peak of its climb curve, its manual
// giving none: its old trim, 2875, settled at 139 KIAS, 11 below it), its nose under 20 degrees,
// never sinking once 50 ft up or the pull given back, at sea level or high up (given back a hold
// at a time the Skyhawk settled 3 to 10 ft at the high fields, the Bonanza 20 to 40). The Bonanza's best-rate climb lies 37
// knots above its rotation speed: on its trim one hold of the pull lifts it off 8 to 9 knots
// late, hence its two. It keeps 2250: fmfit, averaging the climb over the test's two minutes,
// takes 2375, but the program's Bonanza climbs slower than the probe's on a trim (on 2800, 93
// KIAS against 102), and on 2250 it climbs within the 8 knots.
constexpr std::int16_t kTakeOffTrim[5] = {2900, 2250, 4625, 4275, 2525};

// The first flight and the ready-to-fly flights of the aircraft menu (not the lesson flight, which
// keeps the trim its lessons set).
bool ShipsTakeOffTrim(const DefaultFlight& f) {
    const std::string name = f.file;
    return f.start == Start::kFirst || (f.start == Start::kReady && name.size() > 7 &&
                                        name.compare(name.size() - 7, 7, "Fly.Flt") == 0);
}

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
    if (!ReadRunwayCsv(dataDir + "/navdata-us/runway.csv", &rows, error)) return 0;
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
    std::map<std::string, int> ilsByRunway;  // "KOAK 29" -> 10870
    AirportComChannels coms;                 // airport -> kind -> first channel, dialable
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
            channels.push_back(SourceFrequency{r[0], r[1], static_cast<int>(f), {}});
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
// battery and avionics on, fuel on both tanks (own side on the twins), mixtures rich (the King
// Air's condition levers at low idle), magnetos on both (igniters on the turbines), throttles
// closed; a parked one cold with the masters off. The first flight is ready but for its engines,
// whose turbine ignition is off, so that the starter command (ignition on, then the start) starts
// them.
int theFlightType = 0;
int FlightType() {
    return theFlightType;
}

// `inAirLever`: an in-air start's throttle levers.
int WriteCockpit(core::IniFile& file, const DefaultFlight& f, const RunwayEnd& end,
                 const RadioFacts& facts, std::int16_t inAirLever) {
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
            f.start != Start::kParked && f.start != Start::kFirst ? 1 : 0;
    } else {
        cockpit::theIgnitionSwitch.lever = static_cast<std::int16_t>(ready ? 3 : 0);
        cockpit::theIgnitionSwitch2.lever = static_cast<std::int16_t>(f.type == 2 && ready ? 3 : 0);
    }
    cockpit::theThrottleLever.lever = cockpit::theThrottleLever2.lever =
        f.start == Start::kCruise ? kCruiseLever : (f.start == Start::kInAir ? inAirLever : 0);
    // The King Air's condition levers (its mixture levers) at low idle, where its handbook runs
    // them and its cruise figures hold.
    if (f.type == 3) cockpit::theMixtureLever.lever = cockpit::theMixtureLever2.lever = kLowIdle;
    // The gear as the flight flies; its elevator is the elevator trim, from which the keys and
    // the stick move it.
    const bool gearUp = flight::theFlightModelState.fmGear == 0;
    cockpit::theGearUp = gearUp ? 1 : 0;
    cockpit::theGearLever.knob = static_cast<std::int16_t>(gearUp ? 15 : 0);
    *cockpit::thePanelHost.controlWord(0) = flight::theFlightModelState.fmElv;
    *cockpit::thePanelHost.controlWord(3) = 0;
    if (f.start == Start::kInAir) {
        // The gear lamps show the gear as it is; in the air the pilot listens to both COM radios.
        const std::int32_t down = gearUp ? 0 : 1;
        cockpit::theNoseGearLight.switchState = cockpit::theLeftGearLight.switchState =
            cockpit::theRightGearLight.switchState = down;
        cockpit::theAudioPanelButtons.audioMixCom1 = cockpit::theAudioPanelButtons.audioMixCom2 = 1;
    }
    // Every flight listens to COM1, as a pilot does from the start: the tower is heard as soon
    // as it is tuned.
    cockpit::theAudioPanelButtons.audioMixCom1 = 1;
    int ok = cockpit::WritePanelState(file);
    *cockpit::thePanelHost.controlWord(0) = 0;
    ok &= cockpit::SavePartialPanelSettings(file);
    SetRadios(f.type, f, end, facts);
    ok &= cockpit::WriteNavRadios(file);
    cockpit::ResetCockpitServices();
    flight::theAircraftServices = saved;
    return ok;
}

// ---- the in-air starts ----

// Where and how each leg is flown. Cruise: a row of the type's published cruise table (altitude,
// power), its true airspeed the speed aimed at. The pattern and the final: the indicated speeds
// the types' handbooks fly them at (about 1.6 and 1.3 times the stall speed), the pattern 1,500 ft
// up and the final 600 ft up. Neither at 1,000 ft: a piston engine's power steps by its idle
// power where the air thins to that of 1,000 ft, and a flight trimmed on one side of the step
// climbs or sinks on the other. The airports wizard's downwind and base legs fly above it, its
// final below. The final descends on a 3-degree path at its true airspeed, as a pilot flies the
// approach with landing flaps and approach power: over 600 ft a minute on the jet.
constexpr double kPatternFeet = 1500.0;
constexpr double kFinalFeet = 600.0;
constexpr double kApproachPathDegrees = 3.0;
struct LegTrim {
    double feet;
    double knots;
    bool indicated;  // the knots are indicated (else true) airspeed
    std::int8_t flaps;
    bool gearDown;
    double climbFpm = 0;  // negative: a descent
};

// The sink (ft/min) of the approach path at an indicated airspeed (knots) at the final's height,
// where the standard atmosphere's thinner air makes the true airspeed a little higher.
double ApproachSinkFpm(double indicatedKnots) {
    const double sigma = std::pow(1.0 - 6.87559e-6 * kFinalFeet, 4.25588);
    const double trueKnots = indicatedKnots / std::sqrt(sigma);
    return trueKnots * 6076.12 / 60.0 * std::tan(kApproachPathDegrees * 3.14159265358979 / 180.0);
}
LegTrim TrimOfLeg(int type, flight::AirborneLeg leg) {
    struct Row {
        int cruiseFeet, cruisePower;
        double patternKnots;
        std::int8_t patternFlaps;
        double finalKnots;
        std::int8_t finalFlaps;
    };
    // The finals' speeds: the Skyhawk's 65 KIAS with 30 degrees of flaps (a 172 training
    // supplement's normal approach, "When wings-level on final, select flaps 30 and slow to 65
    // KIAS", yumpu.com/en/document/view/66370196/cessna-172-training-supplement/46; the 172N
    // handbook's normal landing 60-70 KIAS flaps down); the King Air's 110 KIAS on the final
    // approach course (C90A/C90GT flight manual supplement 190-00682-02, page 59: "Airspeed
    // MAINTAIN 110 KIAS OR GREATER (Recommended)"). No public page is at hand for the Bonanza's,
    // the Baron's and the jet's.
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
            return LegTrim{kPatternFeet, r.patternKnots, true, r.patternFlaps, true};
        case flight::AirborneLeg::Final:
            return LegTrim{kFinalFeet, r.finalKnots, true, r.finalFlaps, true,
                           -ApproachSinkFpm(r.finalKnots)};
        default:
            break;
    }
    double knots = 0;
    for (const flight::CruisePoint& p : flight::PublishedPerformanceForType(type).cruise)
        if (p.altitudeFeet == r.cruiseFeet && p.powerPercent == r.cruisePower)
            knots = p.trueAirspeedKnots;
    return LegTrim{static_cast<double>(r.cruiseFeet), knots, false, 0, fixedGear};
}

// The throttle lever whose level flight comes nearest the leg's airspeed among those that hold
// their height hands off; the flight is left trimmed at it, or for an indicated speed at the
// power between the notches that flies it, the lever at the nearer notch. 0 when no lever holds
// it.
std::int16_t FlyToLegTrim(int type, std::uint16_t heading, flight::AirborneLeg leg) {
    const LegTrim t = TrimOfLeg(type, leg);
    flight::LevelFlightRequest request;
    request.type = type;
    request.altitudeFeet = t.feet;
    request.mixtureLever = type == 3 ? kLowIdle : 31;
    request.flaps = t.flaps;
    request.gearDown = t.gearDown;
    request.heading = heading;
    request.climbFeetPerMinute = t.climbFpm;
    std::int16_t best = 0;
    double bestMiss = 1e300;
    for (std::int16_t lever = 1; lever <= 31; ++lever) {
        request.throttle = static_cast<std::int16_t>(lever * 1057);  // as the lever sets it
        if (!flight::TrimForLevelFlight(request).trimmed) continue;
        const double knots = t.indicated ? flight::IndicatedAirspeedKnots()
                                         : flight::theFlightModelState.fmTAVel / 65536.0 / 0.514444;
        if (std::fabs(knots - t.knots) < bestMiss) {
            bestMiss = std::fabs(knots - t.knots);
            best = lever;
        }
    }
    if (best == 0) return 0;
    request.throttle = static_cast<std::int16_t>(best * 1057);
    if (t.indicated) {
        // The pattern and the final at the handbook's speed: a pilot sets the power between two
        // of the lever's notches that flies it, and the flight keeps that power with the lever
        // at the nearer notch.
        flight::LevelFlightRequest exact = request;
        exact.indicatedKnots = t.knots;
        const flight::LevelFlightTrim trim = flight::TrimForLevelFlight(exact);
        if (trim.trimmed && std::fabs(trim.indicatedKnots - t.knots) < bestMiss)
            return static_cast<std::int16_t>(
                std::clamp<long>(std::lround(trim.throttle / 1057.0), 1, 31));
    }
    return flight::TrimForLevelFlight(request).trimmed ? best : 0;
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
    std::int16_t inAirLever = 0;
    if (f.start == Start::kCruise) {
        const std::int32_t x = s.fmPosX, z = s.fmPosZ;
        flight::LevelFlightRequest cruise;
        cruise.type = f.type;
        cruise.altitudeFeet = kCruiseFeet;
        cruise.throttle = static_cast<std::int16_t>(kCruiseLever * 1057);  // as the lever sets it
        cruise.heading = s.fmHead;
        const flight::LevelFlightTrim trim = flight::TrimForLevelFlight(cruise);
        if (!trim.trimmed) {
            *error = std::string(f.file) + ": no level flight found";
            return 0;
        }
        s.fmPosX = x;
        s.fmPosZ = z;
    } else if (f.start == Start::kInAir) {
        // Over the airport; the placements put it where the pilot asks. Its height is the
        // altitude it was trimmed at, over flat ground at sea level.
        const std::int32_t x = s.fmPosX, z = s.fmPosZ;
        inAirLever = FlyToLegTrim(f.type, s.fmHead, f.leg);
        if (inAirLever == 0) {
            *error = std::string(f.file) + ": no level flight found";
            return 0;
        }
        s.fmPosX = x;
        s.fmPosZ = z;
    } else {
        s.fmOTG = 1;
        s.fmGear = 1;
        s.fmFlaps = 0;
        s.fmThrot = 0;
        // Every flight on the ground starts with the brakes set (255); a ready flight with its
        // engines running, but for the first flight.
        s.fmLBrake = -1;
        s.fmRBrake = -1;
        s.fmEngines = f.start == Start::kReady ? static_cast<std::int8_t>(f.type >= 2 ? 3 : 1) : 0;
        if (ShipsTakeOffTrim(f)) s.fmElv = s.fmElvCur = kTakeOffTrim[f.type];
    }

    const std::string path = installation.PrepareFile(std::string("Flights\\") + f.file);
    core::IniFile file(path.c_str());
    int ok = file.PutInt("Aircraft", "type", f.type);
    ok &= flight::WriteAircraftState(file);
    ok &= WriteCockpit(file, f, end, facts, inAirLever);
    ok &= file.PutInt("Time", "cur", kStartTime);
    ok &= file.PutInt("Time", "tZone", 7);
    ok &= file.PutInt("Time", "tZoneDiff", 7 * 3600);
    ok &= file.PutInt("Time", "tZoneMode", 2);  // the zone follows the aircraft
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
    // Each type's in-air starts fly where the lessons' cruise does, over San Carlos: a saved
    // height counts from the ground under the aircraft, and over ground at sea level it is the
    // altitude the flight was trimmed at, as the placements take it. Over the King Air's home
    // field, a mile up, the flight would load into air thinner than it was trimmed in, and sink.
    std::vector<DefaultFlight> flights(std::begin(kFlights), std::end(kFlights));
    for (int type = 0; type <= 4; ++type)
        for (const flight::AirborneLeg leg :
             {flight::AirborneLeg::Cruise, flight::AirborneLeg::Pattern,
              flight::AirborneLeg::Final})
            flights.push_back(DefaultFlight{flight::AirborneFlightName(type, leg), type,
                                            Start::kInAir, "KSQL", "30", leg});
    const auto writeType = [&](int type, std::string* why) {
        for (const DefaultFlight& f : flights) {
            if (f.type != type) continue;
            const auto a = airports.find(f.airport);
            if (a == airports.end()) {
                *why = std::string("no airport ") + f.airport + " in the data";
                return 0;
            }
            const auto end = a->second.ends.find(f.runway);
            if (end == a->second.ends.end()) {
                *why = std::string("no runway ") + f.runway + " at " + f.airport;
                return 0;
            }
            if (!WriteFlight(installation, f, end->second, facts, why)) return 0;
        }
        return 1;
    };
    // The flight model the flights are trimmed with is global state, so each aircraft type's
    // flights are made in a process of its own (a fork shares nothing it changes), all at once
    // unless one thread is asked for; each writes only its own files. A type that fails is made
    // again here, for its error.
    const bool serial = installation.Option("threads") == "1";
    std::vector<pid_t> workers(5, -1);
    std::fflush(nullptr);
    for (int type = 0; type <= 4 && !serial; ++type) {
        workers[static_cast<std::size_t>(type)] = fork();
        if (workers[static_cast<std::size_t>(type)] == 0) {
            std::string ignored;
            std::fflush(nullptr);
            _exit(writeType(type, &ignored) ? 0 : 1);
        }
    }
    int ok = 1;
    for (int type = 0; type <= 4; ++type) {
        const pid_t worker = workers[static_cast<std::size_t>(type)];
        int status = 0;
        const bool made = worker > 0 && waitpid(worker, &status, 0) == worker && WIFEXITED(status) &&
                          WEXITSTATUS(status) == 0;
        if (!made && ok && !writeType(type, error)) ok = 0;
    }
    return ok;
}

}  // namespace mkdata
