// The ATC's state block, its situation section "ATCComm", the sessions' starts and ends, the
// once-a-second step and the transition primitive.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "cockpit/audio_panel.h"
#include "core/ini_file.h"
#include "flight/aircraft.h"
#include "flight/airspeed.h"
#include "flight/flight_model_state.h"
#include "nav/atc_services.h"
#include "nav/atc_traffic.h"
#include "nav/nav_database.h"
#include "planning/planning_services.h"
#include "win/profile.h"
#include "world/weather_services.h"
#include "world/weather_state.h"
#include "win/program_entry.h"

namespace nav {

AtcState theAtcState;
FlightEvaluation theFlightEvaluation;

namespace {

// ---- the host's defaults: no world yet (the world installs its own) ----

std::uint32_t NoTime() {
    return 0;
}
planning::FlightPlan* NoPlan() {
    return nullptr;
}
void Midnight(int* hour, int* minute) {
    *hour = 0;
    *minute = 0;
}
void NoFlightMode(int) {}
int CalmWindDirection() {
    return 360;
}
int ClearSky() {
    return 0;
}
int WeatherWindSpeed() {
    return world::theWeatherServices.surfaceWindSpeed();
}
int WeatherTemperatureF() {
    return static_cast<int>(world::WeatherState::GetSurfaceTemperatureF());
}
int WeatherPressure() {
    return static_cast<int>(world::WeatherState::GetSurfaceBaroPressure());
}
double FlatGround(double, double) {
    return 0.0;
}
int GroundLoaded(double, double) {
    return 1;
}
void NoShapes() {}

}  // namespace

AtcHost DefaultAtcHost() {
    AtcHost h{};
    h.now = &NoTime;
    h.flightPlan = &NoPlan;
    h.zuluTime = &Midnight;
    h.setFlightMode = &NoFlightMode;
    h.surfaceWindDirection = &CalmWindDirection;
    h.surfaceWindSpeed = &WeatherWindSpeed;
    h.cloudBase = &ClearSky;
    h.cloudCoverage = &ClearSky;
    h.temperatureF = &WeatherTemperatureF;
    h.pressure = &WeatherPressure;
    h.groundAt = &FlatGround;
    h.terrainLoadedAt = &GroundLoaded;
    h.destroyTrafficShapes = &NoShapes;
    return h;
}

AtcHost theAtcHost = DefaultAtcHost();

namespace {

std::uint32_t AtcStateNow() {
    return theAtcHost.now();
}

planning::FlightPlan* AtcStatePlan() {
    return theAtcHost.flightPlan();
}

std::int32_t NowTick() {
    return static_cast<std::int32_t>(AtcStateNow());
}

// ---- the keys of "ATCComm" ----

enum class KeyKind { I32, I16, U16, U32, U8, Text, Real };
struct Key {
    std::string name;
    KeyKind kind;
    void* field;
    std::size_t width = 0;  // texts: characters kept
};

template <typename T>
Key K(const char* name, T& field);
template <>
Key K(const char* name, std::int32_t& f) {
    return {name, KeyKind::I32, &f};
}
template <>
Key K(const char* name, std::int16_t& f) {
    return {name, KeyKind::I16, &f};
}
template <>
Key K(const char* name, std::uint16_t& f) {
    return {name, KeyKind::U16, &f};
}
template <>
Key K(const char* name, std::uint32_t& f) {
    return {name, KeyKind::U32, &f};
}
template <>
Key K(const char* name, std::uint8_t& f) {
    return {name, KeyKind::U8, &f};
}
template <>
Key K(const char* name, double& f) {
    return {name, KeyKind::Real, &f};
}
Key T(const char* name, std::string& f, std::size_t width) {
    return {name, KeyKind::Text, &f, width};
}
std::string Nth(const char* name, int n) {
    char text[32];
    std::snprintf(text, sizeof text, "%s%d", name, n);
    return text;
}

// Every key in the section's order.
std::vector<Key> AtcKeys() {
    AtcState& a = theAtcState;
    FlightEvaluation& e = theFlightEvaluation;
    std::vector<Key> k = {
        T("toRwy", a.toRwy, kRunwayTextChars),
        T("lndRwy", a.lndRwy, kRunwayTextChars),
        T("atisFreq", a.atisFreq, kFrequencyTextChars),
        K("atisLetter", a.atisLetter),
        K("atcOn", a.atcOn),
        K("atcCan", a.atcCan),
        K("lHand", a.lHand),
        K("listen", a.listen),
        K("autoTaxi", a.autoTaxi),
        K("repMsg", a.repMsg),
        K("missed", a.missed),
        K("tandgo", a.tandgo),
        K("reqClosed", a.reqClosed),
        K("listenVP", a.listenVP),
        K("seeVP", a.seeVP),
        K("clearTuned", a.clearTuned),
        K("groundTuned", a.groundTuned),
        K("towerTuned", a.towerTuned),
        K("departTuned", a.departTuned),
        K("approachTuned", a.approachTuned),
        K("centerTuned", a.centerTuned),
        K("clearNum", a.clearNum),
        K("groundNum", a.groundNum),
        K("towerNum", a.towerNum),
        K("departNum", a.departNum),
        K("approachNum", a.approachNum),
        K("centerNum", a.centerNum),
        K("pilotNum", a.pilotNum),
        T("clearFreq", a.clearFreq, kFrequencyTextChars),
        T("groundFreq", a.groundFreq, kFrequencyTextChars),
        T("towerFreq", a.towerFreq, kFrequencyTextChars),
        T("departFreq", a.departFreq, kFrequencyTextChars),
        T("approachFreq", a.approachFreq, kFrequencyTextChars),
        T("centerFreq", a.centerFreq, kFrequencyTextChars),
        K("fac", a.fac),
        T("squawk", a.squawk, kSquawkTextChars),
        K("xRwy", a.xRwy),
        K("zRwy", a.zRwy),
        K("headRwy", a.headRwy),
        K("lenRwy", a.lenRwy),
        K("elev", a.elev),
        K("patAlt", a.patAlt),
        K("ceilAlt", a.ceilAlt),
        K("finalLen", a.finalLen),
        K("vPilots", a.vPilots),
        K("initAlt", a.initAlt),
        K("curNode", a.curNode),
        K("spEval", e.spEval),
        K("spPos", e.spPos),
        K("spCom", e.spCom),
        K("spPCom", e.spPCom),
        K("spVoice", e.spVoice),
        K("spWait", e.spWait),
        K("spTick", e.spTick),
        K("spActive", e.spActive),
        K("spROC", e.spROC),
        K("spROD", e.spROD),
        K("spPropAlt", e.spPropAlt),
        K("spPropAS", e.spPropAS),
        K("spDestX", e.spDestX),
        K("spDestY", e.spDestY),
        K("spPropRad", e.spPropRad),
        K("spDist", e.spDist),
        K("spD2D", e.spD2D),
        K("spR2D", e.spR2D),
        K("spHOff", e.spHOff),
        K("spVFlag", e.spVFlag),
        K("spHdgWait", e.spHdgWait),
        K("spHsgTick", e.spHsgTick),
        K("spAltWait", e.spAltWait),
        K("spAltTick", e.spAltTick),
        K("spAirWait", e.spAirWait),
        K("spAirTick", e.spAirTick),
        K("spGenWait", e.spGenWait),
        K("spGenTick", e.spGenTick),
        K("spSeq", a.spSeq),
        T("spPropHead", e.spPropHead, kHeadingTextChars),
        K("spTHand", e.spTHand),
        K("spTCon", e.spTCon),
    };
    for (int n = 0; n < 2; ++n) {
        AtcTrafficFields f = AtcTrafficFieldsOf(n);
        k.push_back(K(Nth("vpNum_", n).c_str(), *f.number));
        k.push_back(K(Nth("vpPos_", n).c_str(), *f.place));
        k.push_back(K(Nth("vpCom_", n).c_str(), *f.call));
        k.push_back(K(Nth("vpVoice_", n).c_str(), *f.voice));
        k.push_back(K(Nth("vpDestX_", n).c_str(), *f.destX));
        k.push_back(K(Nth("vpDestY_", n).c_str(), *f.destY));
        k.push_back(K(Nth("vpPLocX_", n).c_str(), *f.locX));
        k.push_back(K(Nth("vpPLocY_", n).c_str(), *f.locY));
        k.push_back(K(Nth("vpD2D_", n).c_str(), *f.distance));
        k.push_back(K(Nth("vpAngle_", n).c_str(), *f.angle));
        k.push_back(K(Nth("vpActive_", n).c_str(), *f.active));
    }
    for (const Key& key : {K("pickedRwy", a.pickedRwy), K("enabledATC", a.enabledATC),
                           K("nonTwrdDept", a.nonTwrdDept), K("airportIndex", a.airportIndex),
                           K("selRwy", a.selRwy), K("numOfRwys", a.numOfRwys),
                           K("takeRwyNum", a.takeRwyNum), K("startPos", a.startPos),
                           K("rwyAngle", a.rwyAngle), K("RwyLen", a.RwyLen),
                           K("RwyElev", a.RwyElev)})
        k.push_back(key);
    for (int n = 0; n < kAtcRunwayRows; ++n) {
        AtcRunwayChoice& r = a.rwySel[static_cast<std::size_t>(n)];
        k.push_back(K(Nth("rwySelHdg_", n).c_str(), r.heading));
        k.push_back(K(Nth("rwySelLen_", n).c_str(), r.length));
        k.push_back(K(Nth("rwySelILS_", n).c_str(), r.ils));
        k.push_back(K(Nth("rwySelPos_", n).c_str(), r.usable));
    }
    for (int n = 0; n < kAtcPatternRows; ++n) {
        AtcPatternPoint& p = a.pattern[static_cast<std::size_t>(n)];
        k.push_back(K(Nth("atcX_", n).c_str(), p.x));
        k.push_back(K(Nth("atcY_", n).c_str(), p.y));
    }
    return k;
}

constexpr const char* kSection = "ATCComm";

// A whole number of a real field, written as an integer truncated toward zero; a value beyond
// the 32-bit range is held at its end.
std::int32_t RealKey(double v) {
    if (!(v == v)) return 0;
    return static_cast<std::int32_t>(std::clamp(std::trunc(v), -2147483648.0, 2147483647.0));
}

// The waits a loaded session can have: a dialogue step never waits longer than this.
constexpr std::int32_t kLongestWait = 600000;

}  // namespace

int SaveAtcState(core::IniFile& file) {
    // The section's texts first, then one write of them all: one rewrite of the file.
    const std::vector<Key> keys = AtcKeys();
    std::vector<std::string> texts(keys.size());
    std::vector<win::ProfileEntry> entries(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const Key& k = keys[i];
        std::int64_t number = 0;
        switch (k.kind) {
            case KeyKind::I32:
                number = *static_cast<std::int32_t*>(k.field);
                break;
            case KeyKind::I16:
                number = *static_cast<std::int16_t*>(k.field);
                break;
            case KeyKind::U16:
                number = *static_cast<std::uint16_t*>(k.field);
                break;
            case KeyKind::U8:
                number = *static_cast<std::uint8_t*>(k.field);
                break;
            case KeyKind::U32:
                // The full 32-bit value: the INI text is its decimal, unsigned.
                number = *static_cast<std::uint32_t*>(k.field);
                break;
            case KeyKind::Text:
                // Up to a NUL, as the text's C string reads.
                texts[i] = static_cast<std::string*>(k.field)->c_str();
                break;
            case KeyKind::Real:
                number = RealKey(*static_cast<double*>(k.field));
                break;
        }
        if (k.kind != KeyKind::Text) texts[i] = std::to_string(number);
        entries[i] = win::ProfileEntry{k.name, texts[i]};
    }
    return file.PutStrings(kSection, entries);
}

int LoadAtcState(core::IniFile& file) {
    for (const Key& k : AtcKeys()) {
        const char* name = k.name.c_str();
        switch (k.kind) {
            case KeyKind::I32:
                *static_cast<std::int32_t*>(k.field) = file.GetInt(kSection, name, 0);
                break;
            case KeyKind::I16:
                *static_cast<std::int16_t*>(k.field) =
                    static_cast<std::int16_t>(file.GetInt(kSection, name, 0));
                break;
            case KeyKind::U16:
                *static_cast<std::uint16_t*>(k.field) =
                    static_cast<std::uint16_t>(file.GetInt(kSection, name, 0));
                break;
            case KeyKind::U8:
                *static_cast<std::uint8_t*>(k.field) = static_cast<std::uint8_t>(
                    file.GetInt(kSection, name, k.field == &theAtcState.atisLetter ? 'A' : 0));
                break;
            case KeyKind::U32: {
                // Read whole: "4294967295" and "-1" both give every bit.
                const std::string text = file.GetString(kSection, name, "0");
                const long long v = std::strtoll(text.c_str(), nullptr, 10);
                *static_cast<std::uint32_t*>(k.field) = static_cast<std::uint32_t>(v);
                break;
            }
            case KeyKind::Text: {
                std::string text = file.GetString(kSection, name, "");
                if (text.size() > k.width) text.resize(k.width);
                *static_cast<std::string*>(k.field) = text;
                break;
            }
            case KeyKind::Real:
                *static_cast<double*>(k.field) = file.GetInt(kSection, name, 0);
                break;
        }
    }
    AtcState& a = theAtcState;
    FlightEvaluation& e = theFlightEvaluation;
    AtcSetPatternConstants();
    // The saved ticks count on the clock of the run that saved them: the timers start again now,
    // and a wait a damaged file made negative or endless is held to what a step ever waits.
    const std::int32_t now = NowTick();
    for (auto [tick, wait] : {std::pair{&e.spTick, &e.spWait}, {&e.spAltTick, &e.spAltWait},
                              {&e.spHsgTick, &e.spHdgWait}, {&e.spAirTick, &e.spAirWait},
                              {&e.spGenTick, &e.spGenWait}}) {
        *wait = std::clamp(*wait, 0, kLongestWait);
        if (*tick != 0) *tick = now;
    }
    // A session whose indexes lie outside their tables cannot go on: it ends, the rest of what
    // was read stays for the dialogs.
    planning::FlightPlan* plan = AtcStatePlan();
    const bool bad =
        // The airport index is checked against the table when it is there (a start-up flight
        // is read before the navigation database); every later use checks it again.
        a.airportIndex < 0 ||
        (theNavDatabase.AirportCount() > 0 && a.airportIndex >= theNavDatabase.AirportCount()) ||
        a.numOfRwys < 0 || a.numOfRwys > kAtcRunwayRows || a.selRwy < 0 ||
        a.selRwy >= std::max(a.numOfRwys, 1) || a.curNode < 0 ||
        (plan != nullptr && a.curNode >= std::max(plan->nodeCount, 1)) || a.spSeq < 0 ||
        a.spSeq > 2 || e.spPos < 0 || (e.spPos >= kAtcPatternRows && e.spPos != 25) ||
        !AtcTrafficPlacesValid();
    if (bad && a.atcOn != 0) {
        a.atcOn = 0;
        win::TraceLine("atc: saved session out of range, ended");
    }
    return 1;
}

// ---- facilities and helpers ------------------------------------------------------------------

bool FrequencySet(const std::string& text) {
    return !text.empty() && text != kNoFrequency;
}

bool AtcTimerRunOut(std::int32_t tick, std::int32_t wait) {
    return AtcStateNow() - static_cast<std::uint32_t>(tick) >= static_cast<std::uint32_t>(wait);
}

int AtcAircraftType() {
    return flight::theAircraftServices.aircraftType();
}

bool CopilotOn() {
    return theCopilotSettings.master != 0;
}

bool CopilotRadioHelp() {
    return CopilotOn() && theAtcState.copilotRadios != 0;
}

bool AtcPlaceBusy(int place) {
    return theFlightEvaluation.spPos == place || AtcTrafficHolds(place);
}

bool IsAtcActive() {
    return theAtcState.atcOn != 0;
}

// ---- sessions --------------------------------------------------------------------------------

void AtcSetUpAirport() {
    AtcCopyAirportFromDirectory();
    AtcSetAircraftLimits();
    AtcBuildPattern();
    AtcSetPatternAltitude();
}

void AtcClearSession(int tuned) {
    AtcState& a = theAtcState;
    AtcPickVoices();
    if (tuned == 0) {
        theAtisSpeech.atcContact = 0;
        theAtisSpeech.atisAirport.clear();
    }
    const std::int16_t roc = theFlightEvaluation.spROC, rod = theFlightEvaluation.spROD;
    const std::uint32_t eval = theFlightEvaluation.spEval;
    theFlightEvaluation = FlightEvaluation{};
    theFlightEvaluation.spROC = roc;
    theFlightEvaluation.spROD = rod;
    theFlightEvaluation.spEval = eval;
    a.fac = kFacNone;
    a.vPilots = 0;
    a.atcCan = 0;
    a.repMsg = 0;
    a.missed = 0;
    theCopilotSettings.taxiAdviceGiven = 0;
    theCopilotSettings.lineUpAdviceGiven = 0;
    theCopilotSettings.baseAdviceGiven = 0;
    a.clearTuned = a.groundTuned = a.towerTuned = a.departTuned = a.approachTuned =
        a.centerTuned = 0;
    a.patAlt = a.ceilAlt = a.initAlt = 0;
    a.nonTwrdDept = 0;
    a.groundLatch = 0;
    a.pilotNum = CopilotRadioHelp() ? 200 : 0;
}

void AtcReset() {
    AtcState& a = theAtcState;
    theAtisSpeech.atcContact = 0;
    theAtisSpeech.atisAirport.clear();
    for (std::string* f : {&a.atisFreq, &a.clearFreq, &a.groundFreq, &a.towerFreq, &a.departFreq,
                           &a.approachFreq, &a.centerFreq})
        f->clear();
    const std::int16_t roc = theFlightEvaluation.spROC, rod = theFlightEvaluation.spROD;
    theFlightEvaluation = FlightEvaluation{};
    theFlightEvaluation.spROC = roc;
    theFlightEvaluation.spROD = rod;
    a.fac = kFacNone;
    a.vPilots = 0;
    a.atcCan = 0;
    a.repMsg = 0;
    a.missed = 0;
    a.tandgo = 0;
    a.reqClosed = 0;
    a.clearTuned = a.groundTuned = a.towerTuned = a.departTuned = a.approachTuned =
        a.centerTuned = 0;
    a.groundLatch = 0;
    const bool wasOn = a.atcOn != 0;
    a.atcOn = 0;
    theAtisSpeech.Flush();
    theAtcSpeech.Flush();
    if (a.seeVP != 0) theAtcHost.destroyTrafficShapes();
    if (wasOn) win::TraceLine("atc: reset");
}

namespace {

void Trace(const std::string& line) {
    win::TraceLine("atc: " + line);
}

// The session's airport is ready: the runway, the pattern, the altitudes, and a tower to talk to.
// Otherwise the session ends before it starts.
bool HasTower() {
    return FrequencySet(theAtcState.towerFreq);
}

std::string SessionLine() {
    return "session " + AtcAirportIdent() + " runway " + theAtcState.toRwy;
}

}  // namespace

namespace {

// While a session starts (its start flight loaded, its radios preset), the radios' changes are
// its own: they start no session of their own.
bool theSessionStarting = false;
struct StartingSession {
    bool outer = !theSessionStarting;
    StartingSession() { theSessionStarting = true; }
    ~StartingSession() {
        if (outer) theSessionStarting = false;
    }
};

}  // namespace

bool AtcSessionStarting() {
    return theSessionStarting;
}

void AtcStartSession(int tuned) {
    const StartingSession starting;
    AtcState& a = theAtcState;
    if (a.startPos == 3 && AtcStatePlan() != nullptr) {
        AtcStartAtAirport();
        return;
    }
    if (a.atcOn != 0) AtcReset();
    a.atcOn = 0;
    AtcClearSession(tuned);
    bool found = true;
    if (tuned != 0) {
        const bool onGround = flight::theFlightModelState.fmOTG != 0;
        a.startPos = onGround ? 0 : 25;
        found = AtcSelectAirport(onGround ? 0 : 1, theAtisSpeech.atisAirport) != 0;
        // Tuned on a runway, the aircraft is ready for departure: the tower's, not ground's.
        if (found && onGround && AtcTakeRunwayUnderAircraft() != 0) a.startPos = 3;
    } else {
        found = AtcTakeDirectoryRunway() != 0;
    }
    if (!found) {
        Trace("no runway");
        AtcReset();
        return;
    }
    AtcSetAircraftLimits();
    AtcBuildPattern();
    AtcSetPatternAltitude();
    AtcSetCeilingAltitude();
    if (tuned == 0) AtcPlaceAircraftAtStartPos();
    if (!HasTower()) {
        Trace("no tower at " + AtcAirportIdent());
        AtcReset();
        return;
    }
    AtcSpawnTraffic();
    AtcNewSquawk();
    AtcBeginSequence(tuned);
    theFlightEvaluation.spEval = 0;
    a.atcOn = 1;
    Trace(SessionLine());
}

void AtcStartAtAirport() {
    const StartingSession starting;
    AtcState& a = theAtcState;
    planning::FlightPlan* plan = AtcStatePlan();
    if (plan == nullptr || plan->nodeCount < 1) return;
    a.startPos = 3;
    if (a.atcOn != 0) AtcReset();
    AtcClearSession(0);
    if (!AtcSelectAirport(0, plan->nodes[0].ident)) {
        Trace("no runway");
        AtcReset();
        return;
    }
    a.curNode = 0;
    AtcSetAircraftLimits();
    AtcBuildPattern();
    AtcSetPatternAltitude();
    AtcSetInitialAltitude();
    a.nonTwrdDept = HasTower() ? 0 : 1;
    // The plan is flown from its departure runway: lined up on the threshold, towered or not.
    AtcTaxiToRunway();
    if (a.nonTwrdDept == 0) AtcSpawnTraffic();
    AtcNewSquawk();
    AtcBeginSequence(0);
    theFlightEvaluation.spEval = 0;
    a.atcOn = 1;
    Trace(SessionLine());
}

void AtcStartArrival() {
    const StartingSession starting;
    AtcState& a = theAtcState;
    planning::FlightPlan* plan = AtcStatePlan();
    if (plan == nullptr || plan->nodeCount < 1) return;
    if (a.seeVP != 0) theAtcHost.destroyTrafficShapes();
    AtcClearSession(0);
    if (!AtcSelectAirport(1, plan->nodes[static_cast<std::size_t>(plan->nodeCount - 1)].ident) ||
        !HasTower()) {
        Trace(HasTower() ? "no runway" : "no tower at " + AtcAirportIdent());
        AtcReset();
        return;
    }
    AtcSetAircraftLimits();
    AtcBuildPattern();
    AtcSetPatternAltitude();
    AtcSetCeilingAltitude();
    AtcSpawnTraffic();
    AtcNewSquawk();
    a.startPos = 25;
    AtcBeginSequence(0);
    a.atcOn = 1;
    a.curNode = plan->nodeCount - 1;
    Trace(SessionLine());
}

void AtcGroundContact() {
    AtcState& a = theAtcState;
    if (FrequencySet(a.atisFreq)) {
        AtcPresetComFrequency(a.atisFreq);
    } else if (FrequencySet(a.groundFreq)) {
        theAtisSpeech.atcContact = 1;
        AtcPresetComFrequency(a.groundFreq);
    } else if (FrequencySet(a.towerFreq)) {
        theAtisSpeech.atcContact = 1;
        AtcPresetComFrequency(a.towerFreq);
    }
}

void AtcArrivalContact() {
    AtcState& a = theAtcState;
    if (FrequencySet(a.atisFreq)) {
        AtcPresetComFrequency(a.atisFreq);
    } else if (FrequencySet(a.approachFreq)) {
        theAtisSpeech.atcContact = 1;
        AtcPresetComFrequency(a.approachFreq);
    } else if (FrequencySet(a.towerFreq)) {
        theAtisSpeech.atcContact = 1;
        AtcPresetComFrequency(a.towerFreq);
    }
}

namespace {

void TargetRow(int row) {
    const AtcPatternPoint& p = theAtcState.pattern[static_cast<std::size_t>(row)];
    theFlightEvaluation.spDestX = static_cast<std::int32_t>(p.x);
    theFlightEvaluation.spDestY = static_cast<std::int32_t>(p.y);
    theFlightEvaluation.spDist = p.arrive;
    theFlightEvaluation.spVFlag = p.vectors;
}

}  // namespace

void AtcBeginSequence(int tuned) {
    AtcState& a = theAtcState;
    FlightEvaluation& e = theFlightEvaluation;
    a.spSeq = kSeqArrival;
    const bool towered = a.nonTwrdDept == 0 && HasTower();
    if (a.startPos != 0 && a.startPos != 25) {
        // Placed in the pattern: the tower works the aircraft from the start.
        theAtisSpeech.atcContact = 1;
        e.spActive = 1;
        a.fac = kFacTower;
        if (towered) AtcPresetComFrequency(a.towerFreq);
    } else {
        a.fac = kFacNone;
        theAtisSpeech.atcContact = 0;
        e.spActive = 0;
        if (a.startPos == 0) {
            AtcGroundContact();
            a.spSeq = kSeqDeparture;
        } else {
            AtcArrivalContact();
        }
    }
    switch (a.startPos) {
        case 3:
            e.spPos = 2;
            a.spSeq = kSeqDeparture;
            e.spCom = 505;
            TargetRow(3);
            break;
        case 6:
            e.spPos = 6;
            e.spCom = 519;
            TargetRow(7);
            break;
        case 8:
            e.spPos = 8;
            e.spCom = 511;
            TargetRow(9);
            break;
        case 9:
            e.spPos = 9;
            e.spCom = 499;
            TargetRow(10);
            break;
        default:
            break;
    }
    if (towered) {
        if (a.startPos == 3)
            AtcTrafficChooseDestinations(0);
        else if (a.startPos != 0)
            AtcTrafficChooseDestinations(a.startPos);
    }
    if (tuned == 0 && cockpit::theAudioPanelButtons.audioMixCom1 != 0) AtcSelectAndSwapCom1();
    if (!IsSkyhawk(AtcAircraftType())) {
        theCopilotSettings.advice = 0;
        theCopilotSettings.altitude = 0;
        theCopilotSettings.heading = 0;
    }
    e.spTick = NowTick();
    e.spWait = 10000;
}

void AtcGroundDepartureStart() {
    FlightEvaluation& e = theFlightEvaluation;
    AtcState& a = theAtcState;
    const AtcPatternPoint& nine = a.pattern[9];
    e.spDestX = static_cast<std::int32_t>(nine.x);
    e.spDestY = static_cast<std::int32_t>(nine.y);
    e.spDist = a.pattern[3].arrive;
    e.spVFlag = a.pattern[3].vectors;
    if (AtcReachedTarget() == 0) {
        TargetRow(0);
        return;
    }
    if (!FrequencySet(a.approachFreq)) AtcTrafficChooseDestinations(-1);
    theAtisSpeech.atcContact = 1;
    e.spActive = 1;
    if (!FrequencySet(a.approachFreq)) {
        AtcPresetComFrequency(a.towerFreq);
        if (CopilotRadioHelp()) AtcCopilotTuneRadio();
    }
}

void AtcInitTraffic() {
    AtcState& a = theAtcState;
    const AtcPatternPoint& t = a.pattern[0];
    if (theAtcHost.terrainLoadedAt(t.x, t.y) == 0) return;  // tried again next step
    a.RwyElev =
        std::trunc(theAtcHost.groundAt(t.x, t.y) * 1.2890625 + 0.5);
    AtcSetCeilingAltitude();
    if (a.startPos != 25) {
        a.vPilots = 1;
        return;
    }
    if (flight::theFlightModelState.fmOTG == 0) {
        a.fac = FrequencySet(a.approachFreq) ? kFacApproach : kFacTower;
        a.spSeq = kSeqArrival;
    } else {
        a.fac = FrequencySet(a.groundFreq) ? kFacGround : kFacTower;
        a.spSeq = kSeqDeparture;
        AtcGroundDepartureStart();
    }
    a.vPilots = 1;
}

void AtcFrameStep(win::HWND) {
    AtcState& a = theAtcState;
    if (a.atcCan != 0) {
        AtcReset();
        return;
    }
    if (a.vPilots == 0 && a.nonTwrdDept == 0) AtcInitTraffic();
    switch (a.spSeq) {
        case kSeqDeparture:
            if (a.nonTwrdDept != 0)
                AtcNonToweredDepartureStep();
            else
                AtcDepartureStep();
            break;
        case kSeqArrival:
            if (flight::IndicatedAirspeedKnots() > 0.0) AtcArrivalStep();
            break;
        case kSeqEnRoute:
            AtcEnRouteStep();
            break;
        default:
            break;
    }
    if (a.atcOn != 0 && a.vPilots != 0) {
        AtcTrafficStep(0);
        AtcTrafficStep(1);
    }
}

void AtcIssue(int state, int message, int wait) {
    AtcState& a = theAtcState;
    FlightEvaluation& e = theFlightEvaluation;
    e.spPos = static_cast<std::int16_t>(state);
    e.spCom = static_cast<std::int16_t>(message);
    e.spWait = wait;
    e.spTick = NowTick();
    Trace("state " + std::to_string(state) + " message " + std::to_string(message));
    switch (a.spSeq) {
        case kSeqDeparture:
            theAtcSpeech.SayDeparture(message);
            break;
        case kSeqArrival:
            theAtcSpeech.SayArrival(message);
            break;
        case kSeqEnRoute:
            theAtcSpeech.SayEnRoute(message);
            break;
        default:
            break;
    }
    if (a.spSeq != kSeqEnRoute) AtcSetLegTarget(state);
    if (e.spPCom != 499) e.spPCom = e.spCom;
    AtcUpdateTargetBearing();
    e.spPropRad = e.spR2D;
}

// ---- requests --------------------------------------------------------------------------------

int theAtcRadioIndex = 0;

void AtcPostRequest(AtcRequest request) {
    AtcState& a = theAtcState;
    static constexpr const char* kNames[] = {"cancel", "repeat", "touch-and-go", "go-around",
                                             "closed traffic"};
    std::int32_t* fields[] = {&a.atcCan, &a.repMsg, &a.tandgo, &a.missed, &a.reqClosed};
    const int i = static_cast<int>(request);
    // Without a session, a call on a controller's frequency begins one: the request is the
    // pilot's first call, and the controller then answers it.
    if (a.atcOn == 0 && request != AtcRequest::Cancel) theAtcSpeech.OnComFrequencyChanged(0);
    // No controller on the frequency (a field without a tower, its common traffic frequency
    // dialled): nobody hears the call, and a session begun later does not act on it.
    if (a.atcOn == 0) {
        win::TraceLine(std::string("atc: request ") + kNames[i] + " unanswered");
        return;
    }
    *fields[i] = 1;
    win::TraceLine(std::string("atc: request ") + kNames[i]);
}

void AtcChangeRunway(int index) {
    AtcState& a = theAtcState;
    if (AtcStatePlan() == nullptr) return;
    const bool arriving = a.spSeq == kSeqArrival || a.startPos == 25;
    AtcReset();
    a.pickedRwy = 1;
    a.selRwy = index;
    if (arriving)
        AtcStartArrival();
    else
        AtcStartAtAirport();
    a.pickedRwy = 0;
}

int AtcCanChangeRunway() {
    const AtcState& a = theAtcState;
    const int pos = theFlightEvaluation.spPos;
    if (AtcStatePlan() == nullptr || a.atcOn == 0) return 0;
    if (a.spSeq == kSeqDeparture)
        return pos < 4 && flight::theFlightModelState.fmOTG != 0 ? 1 : 0;
    if (a.spSeq == kSeqArrival) return pos == 25 || (pos >= 12 && pos <= 19) ? 1 : 0;
    return 0;
}

int AtcCanRequestAltitude() {
    const AtcState& a = theAtcState;
    const int pos = theFlightEvaluation.spPos;
    if (a.atcOn == 0) return 0;
    switch (a.spSeq) {
        case kSeqDeparture:
            return pos == 4 ? 1 : 0;
        case kSeqArrival:
            return pos == 25 || (pos >= 12 && pos <= 19) || (pos >= 5 && pos <= 7) ? 1 : 0;
        case kSeqEnRoute:
            return 1;
        default:
            return 0;
    }
}

void AtcRequestAltitude(int feet) {
    AtcState& a = theAtcState;
    FlightEvaluation& e = theFlightEvaluation;
    if (a.atcOn == 0) return;
    const int wanted = AtcRoundVfrAltitude(feet - 10);
    const int pos = e.spPos;
    switch (a.spSeq) {
        case kSeqDeparture:
            a.ceilAlt = wanted;
            break;
        case kSeqArrival:
            if ((pos >= 12 && pos <= 19) || pos == 25)
                a.ceilAlt = wanted;
            else if (pos >= 5 && pos <= 7)
                a.patAlt = wanted;
            break;
        case kSeqEnRoute:
            a.initAlt = wanted;
            break;
        default:
            break;
    }
    AtcProposeAltitude();
    e.spAltTick = 0;
    e.spAltWait = 0;
}

}  // namespace nav
