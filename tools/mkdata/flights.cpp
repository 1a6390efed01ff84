// The default flights in "Flights": "Startup.Flt" and, for each aircraft, the parked ("Stop")
// and ready-to-fly ("Fly") pair that a restart loads. Each stands on the centre line of a real
// runway of a real airport of data/, a little past the landing threshold, facing along the
// runway as the world plane lays it out, its wheels on the ground. "Lesson.Flt" is where the
// flight lessons start.
#include <cmath>
#include <map>
#include <string>

#include "cockpit/cockpit_services.h"
#include "cockpit/cockpit_systems.h"
#include "cockpit/panel_controls.h"
#include "core/ini_file.h"
#include "flight/aircraft.h"
#include "flight/aircraft_parameters.h"
#include "flight/flight_model_state.h"
#include "nav/lat_lon.h"
#include "tools/mkdata/geodesy.h"
#include "tools/mkdata/installation.h"

namespace mkdata {

namespace {

// How far past the threshold (after any displacement) the aircraft stands.
constexpr double kPastThreshold = 40.0;
// Noon on the west coast on midsummer day 2026 (19:00 UTC), seconds since 1970.
constexpr std::int32_t kStartTime = 1782068400;

enum class Start { kParked, kReady };

struct DefaultFlight {
    const char* file;
    int type;  // aircraft type 0..4
    Start start;
    const char* airport;
    const char* runway;  // the end the aircraft takes off from
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

// The cockpit as the flight leaves it, written by the cockpit's own writers: a ready flight with
// battery and avionics on, fuel on both tanks (own side on the twins), mixtures rich, magnetos
// on both (igniters on the turbines), throttles closed; a parked one cold with the masters off.
int theFlightType = 0;
int FlightType() {
    return theFlightType;
}
int WriteCockpit(core::IniFile& file, const DefaultFlight& f) {
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
    cockpit::theThrottleLever.lever = cockpit::theThrottleLever2.lever = 0;
    cockpit::theGearUp = 0;
    cockpit::theGearLever.knob = 0;
    int ok = cockpit::WritePanelState(file);
    ok &= cockpit::SavePartialPanelSettings(file);
    cockpit::ResetCockpitServices();
    flight::theAircraftServices = saved;
    return ok;
}

int WriteFlight(Installation& installation, const DefaultFlight& f, const RunwayEnd& end,
                std::string* error) {
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
    s.fmOTG = 1;
    s.fmGear = 1;
    s.fmFlaps = 0;
    s.fmThrot = 0;
    // Every flight starts with the brakes set (255); a ready flight with its engines running.
    s.fmLBrake = -1;
    s.fmRBrake = -1;
    s.fmEngines = f.start == Start::kParked ? 0 : static_cast<std::int8_t>(f.type >= 2 ? 3 : 1);

    const std::string path = installation.PrepareFile(std::string("Flights\\") + f.file);
    core::IniFile file(path.c_str());
    int ok = file.PutInt("Aircraft", "type", f.type);
    ok &= flight::WriteAircraftState(file);
    ok &= WriteCockpit(file, f);
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
    for (const DefaultFlight& f : kFlights) {
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
        if (!WriteFlight(installation, f, end->second, error)) return 0;
    }
    return 1;
}

}  // namespace mkdata
