#include "flight/flight_harness.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "cockpit/cockpit_services.h"
#include "devices/sound_services.h"
#include "flight/aircraft_parameters.h"
#include "flight/flight_model.h"
#include "flight/flight_model_state.h"
#include "flight/flight_probe.h"
#include "flight/flight_world_services.h"
#include "world/terrain_services.h"
#include "world/weather_services.h"

namespace flighttest {

ServiceCalls FlightHarness::calls;

namespace {

int theAcceleration = 0;

void CountImpact() {
    ++FlightHarness::calls.impactSounds;
}
void CountCrash() {
    ++FlightHarness::calls.crashSounds;
}
void CountStopSounds() {
    ++FlightHarness::calls.stopEngineSounds;
}
void CountStartSounds() {
    ++FlightHarness::calls.startEngineSounds;
}
void IgnoreSuspend(int) {}
void CountReport(const char* text, const char*) {
    ++FlightHarness::calls.crashReports;
    FlightHarness::calls.lastCrashReport = text;
}
int Acceleration() {
    return theAcceleration;
}

}  // namespace

FlightHarness::FlightHarness(int type, std::uint32_t seed) {
    flight::ProbeSelectAircraft(type, seed);
    calls = ServiceCalls{};
    theAcceleration = 0;
    devices::theSoundServices =
        devices::SoundServices{&CountImpact,      &CountCrash,    &CountCrash,   &CountStopSounds,
                               &CountStartSounds, &IgnoreSuspend, &IgnoreSuspend};
    flight::theShowCrashReport = &CountReport;
    flight::theFlightWorldServices.timeAcceleration = &Acceleration;
}

FlightHarness::~FlightHarness() {
    devices::theSoundServices = devices::SilentSoundServices();
    flight::theFlightWorldServices = flight::DefaultFlightWorldServices();
    world::theWeatherServices = world::CalmWeatherServices();
    cockpit::ResetCockpitServices();
    world::theTerrainHeight = 0;
    world::theTerrainDatum = 0;
    world::theWindAtAircraftX = world::theWindAtAircraftZ = 0;
    flight::theShowCrashReport = [](const char*, const char*) {};
}

void FlightHarness::PlaceOnRunway(std::uint16_t heading) {
    flight::FlightModelState& s = flight::theFlightModelState;
    s.fmPosX = s.fmPosZ = 0;
    s.fmPosY = flight::theAircraftParameters.apGearHeight + world::theTerrainHeight;
    s.fmHead = heading;
    s.fmOTG = 1;
    s.fmOGV = 1;
    s.fmEngines = flight::theAircraftParameters.apEngineCount == 2 ? 3 : 1;
    s.fmGear = 1;
    cockpit::theEngineStarted = cockpit::theEngineRunning = 1;
}

void FlightHarness::PlaceInFlight(double altitudeFeet, double knots, std::uint16_t heading) {
    flight::ProbePlaceInFlight(altitudeFeet, knots, heading);
}

void FlightHarness::SetScript(std::vector<ScriptedInput> inputs) {
    script = std::move(inputs);
    std::stable_sort(
        script.begin(), script.end(),
        [](const ScriptedInput& a, const ScriptedInput& b) { return a.step < b.step; });
    next = 0;
}

void FlightHarness::Apply(const ScriptedInput& in) {
    flight::FlightModelState& s = flight::theFlightModelState;
    switch (in.control) {
        case Control::Elevator:
            s.fmElv = static_cast<std::int16_t>(in.value);
            break;
        case Control::Aileron:
            s.fmAil = static_cast<std::int16_t>(in.value);
            break;
        case Control::Rudder:
            s.fmRud = static_cast<std::int16_t>(in.value);
            break;
        case Control::Throttle:
            s.fmThrot = static_cast<std::int16_t>(in.value);
            break;
        case Control::ThrottleRight:
            s.fmThrotRight = static_cast<std::int16_t>(in.value);
            break;
        case Control::Flaps:
            s.fmFlaps = static_cast<std::int8_t>(in.value);
            break;
        case Control::Brakes:
            s.fmLBrake = s.fmRBrake = static_cast<std::int8_t>(in.value);
            break;
        case Control::Gear:
            s.fmGear = static_cast<std::int8_t>(in.value);
            break;
        case Control::Mixture:
            cockpit::theLeftMixtureLever = static_cast<std::int16_t>(in.value);
            break;
        case Control::Engines:
            s.fmEngines = static_cast<std::int8_t>(in.value);
            break;
    }
}

void FlightHarness::Run(int steps, int traceEvery) {
    for (int i = 0; i < steps; ++i) {
        while (next < script.size() && script[next].step <= step)
            Apply(script[next++]);
        flight::UpdateFlight();
        ++step;
        if (traceEvery > 0 && step % traceEvery == 0) {
            const flight::FlightModelState& s = flight::theFlightModelState;
            char line[256];
            std::snprintf(line, sizeof line,
                          "%6d %016llx x=%d y=%d z=%d p=%u b=%u h=%u tav=%d vv=%d otg=%d ogv=%d",
                          step, static_cast<unsigned long long>(StateHash()), s.fmPosX, s.fmPosY,
                          s.fmPosZ, s.fmPitch, s.fmBank, s.fmHead, s.fmTAVel, s.fmVVel, s.fmOTG,
                          s.fmOGV);
            trace.emplace_back(line);
        }
    }
}

void FlightHarness::RunSeconds(double seconds, int traceEvery) {
    Run(static_cast<int>(seconds * 32768.0 / 1800.0 + 0.5), traceEvery);
}

std::uint64_t FlightHarness::StateHash() const {
    const flight::FlightModelState& s = flight::theFlightModelState;
    const std::int64_t fields[] = {s.fmPosX,
                                   s.fmPosY,
                                   s.fmPosZ,
                                   s.fmPitch,
                                   s.fmBank,
                                   s.fmHead,
                                   s.fmHVel,
                                   s.fmVVel,
                                   s.fmSVel,
                                   s.fmTAVel,
                                   s.fmYVel,
                                   s.fmRVel,
                                   s.fmElvCur,
                                   s.fmWndANG,
                                   s.fmAllowWA,
                                   s.fmDeltaH,
                                   s.fmOTG,
                                   s.fmInvert,
                                   s.fmOGV,
                                   s.fmElv,
                                   s.fmAil,
                                   s.fmRud,
                                   s.fmFuel1,
                                   s.fmFuel2,
                                   s.fmLift,
                                   s.fmDrag,
                                   s.fmThrust,
                                   s.fmIAS,
                                   s.fmEngineSpeed[0],
                                   s.fmAdjustedTach};
    std::uint64_t h = 1469598103934665603ull;
    for (std::int64_t v : fields) {
        for (int i = 0; i < 8; ++i) {
            h ^= static_cast<std::uint8_t>(v >> (8 * i));
            h *= 1099511628211ull;
        }
    }
    return h;
}

std::string FlightHarness::TraceText() const {
    std::string out;
    for (const std::string& line : trace)
        out += line + "\n";
    return out;
}

void FlightHarness::SetTerrainHeightMetres(double metres) {
    world::theTerrainHeight = static_cast<std::int32_t>(metres * 256.0);
}

void FlightHarness::SetWind(std::int16_t eastWest, std::int16_t northSouth) {
    world::theWindAtAircraftX = eastWest;
    world::theWindAtAircraftZ = northSouth;
}

void FlightHarness::SetTimeAcceleration(int k) {
    theAcceleration = k;
}

double TrueAirspeedKnots() {
    return flight::theFlightModelState.fmTAVel / 65536.0 / 0.514444;
}

double AltitudeFeet() {
    return (flight::theFlightModelState.fmPosY + world::theTerrainDatum) / 256.0 / 0.3048;
}

double SignedDegrees(std::uint16_t angle) {
    return static_cast<std::int16_t>(angle) * 360.0 / 65536.0;
}

std::string CompareWithGolden(const std::string& name, const std::string& text) {
    const std::string path = std::string(ZEPHLON_SOURCE_DIR) + "/tests/golden/" + name;
    const char* update = std::getenv("ZEPHLON_UPDATE_GOLDEN");
    if (update && std::string(update) == "1") {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << text;
        return out ? std::string() : "cannot write " + path;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) return "missing golden file " + path + " (run with ZEPHLON_UPDATE_GOLDEN=1)";
    std::stringstream buffer;
    buffer << in.rdbuf();
    const std::string expected = buffer.str();
    if (expected == text) return std::string();
    std::istringstream a(expected);
    std::istringstream b(text);
    std::string la;
    std::string lb;
    int line = 1;
    while (true) {
        const bool ha = static_cast<bool>(std::getline(a, la));
        const bool hb = static_cast<bool>(std::getline(b, lb));
        if (!ha && !hb) break;
        if (!ha || !hb || la != lb)
            return "line " + std::to_string(line) + ": expected \"" + la + "\" got \"" + lb + "\"";
        ++line;
    }
    return "differs";
}

}  // namespace flighttest
