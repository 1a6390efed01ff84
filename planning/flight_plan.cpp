// The flight plan's route: inserting and deleting stations, sequencing legs as the aircraft
// flies, and the three sections of a plan file.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "core/ini_file.h"
#include "flight/flight_model_state.h"
#include "nav/lat_lon.h"
#include "nav/map_view.h"
#include "nav/nav_database.h"
#include "planning/planning_host.h"
#include "planning/planning_services.h"
#include "planning/route_weather.h"
#include "planning/weather_briefing.h"
#include "win/profile.h"

namespace planning {

namespace {

bool SameIdent(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::string Key(const char* name, int index) {
    char key[32];
    std::snprintf(key, sizeof key, "%s%d", name, index);
    return key;
}

// A number of a plan file held to the range its field can mean: a damaged or hand-made file
// never reaches the arithmetic with a value it could not hold.
std::int32_t Held(core::IniFile& file, const char* section, const char* key, std::int32_t missing,
                  std::int32_t lowest, std::int32_t highest) {
    return std::clamp(file.GetInt(section, key, missing), lowest, highest);
}

// A whole decimal number as a plan writes one: an optional sign and digits, blanks around.
bool IsWholeNumber(const std::string& text) {
    std::size_t i = text.find_first_not_of(" \t");
    if (i == std::string::npos) return false;
    if (text[i] == '-' || text[i] == '+') ++i;
    const std::size_t digits = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
    if (i == digits || i - digits > 10) return false;
    return text.find_first_not_of(" \t", i) == std::string::npos;
}

}  // namespace

std::string PointName(const std::string& ident, int index) {
    const std::string number = "point " + std::to_string(index + 1);
    return ident.find_first_not_of(' ') == std::string::npos ? number : number + " (" + ident + ")";
}

namespace {

// The highest power the route page offers, and the lowest by aircraft (type 5 is a 172).
constexpr std::int32_t kHighestPower = 75;
std::int32_t LowestPower(int aircraft) {
    constexpr std::int32_t kLowest[6] = {50, 45, 55, 50, 50, 50};
    return kLowest[std::clamp(aircraft, 0, 5)];
}

// Physical ranges of a route weather station's fields, in the station's units.
struct FieldRange {
    std::int32_t lowest, highest;
};
constexpr FieldRange kCloudHeightFeet{0, 60000};
constexpr FieldRange kCloudCover{0, 8};
constexpr FieldRange kWindHeightMetres{0, 20000};
constexpr FieldRange kDirection{0, 65535};
constexpr FieldRange kWindKnots{0, 300};
// In the order of the station's fields: P, T (1/256 degrees Celsius, -100 to +60), the two cloud
// decks, then the four wind bands.
constexpr FieldRange kStationRanges[24] = {
    {0, 65535},         {-25600, 15360},   kCloudHeightFeet,  kCloudHeightFeet,
    kCloudCover,        kCloudHeightFeet,  kCloudHeightFeet,  kCloudCover,
    kWindHeightMetres,  kWindHeightMetres, kDirection,        kWindKnots,
    kWindHeightMetres,  kWindHeightMetres, kDirection,        kWindKnots,
    kWindHeightMetres,  kWindHeightMetres, kDirection,        kWindKnots,
    kWindHeightMetres,  kWindHeightMetres, kDirection,        kWindKnots};

// The radio stations' tables keep metres; a plan's elevations are feet, as the airports'.
std::int32_t FeetOfMetres(std::int32_t metres) {
    return static_cast<std::int32_t>(std::lround(metres / 0.3048));
}

template <typename Record>
void TakeRadioStation(FlightPlanNode& n, const Record& r) {
    n.frequency = r.frequency;
    n.x = r.x;
    n.y = r.z;
    n.elevation = FeetOfMetres(r.elevation);
}

// The station's position and elevation from the navigation tables; a station that is not
// there (or a kind that is not looked up) gets none.
void FillFromDatabase(FlightPlanNode& n) {
    n.frequency = n.x = n.y = n.elevation = 0;
    const nav::NavDatabase& db = nav::theNavDatabase;
    switch (n.kind) {
        case 1:
            for (const nav::AirportIndexRecord& r : db.airports)
                if (SameIdent(r.ident, n.ident)) {
                    n.x = r.x;
                    n.y = r.z;
                    n.elevation = r.elevation;  // fields below sea level exist
                    return;
                }
            return;
        case 2:
            for (const nav::VorRecord& r : db.vors)
                if (SameIdent(r.ident, n.ident)) return TakeRadioStation(n, r);
            return;
        case 3: {
            // Beacons share idents across the country: the one the map shows is meant.
            const nav::MapView& map = nav::theMapView;
            for (const nav::NdbRecord& r : db.ndbs) {
                if (!SameIdent(r.ident, n.ident)) continue;
                double lat = 0.0, lon = 0.0;
                nav::WorldToLatLon(&lat, &lon, r.x, r.z);
                if (lat < map.topLat && lat > map.bottomLat && lon < map.leftLon &&
                    lon > map.rightLon)
                    return TakeRadioStation(n, r);
            }
            return;
        }
        case 6:
            for (const nav::WaypointRecord& r : db.waypoints)
                if (SameIdent(r.name, n.ident)) {
                    n.x = r.x;
                    n.y = r.z;
                    return;
                }
            return;
        default:
            return;
    }
}

double Bearing(double dy, double dx) {
    const double a = std::atan2(dy, dx);
    return a < 0.0 ? a + 2.0 * std::numbers::pi : a;
}

constexpr const char* kStationFields[24] = {
    "P",      "T",      "C1Top", "C1Base", "C1Cover", "C2Top", "C2Base", "C2Cover",
    "WsTop",  "WsBase", "WsDir", "WsVel",  "W1Top",   "W1Base", "W1Dir", "W1Vel",
    "W2Top",  "W2Base", "W2Dir", "W2Vel",  "W3Top",   "W3Base", "W3Dir", "W3Vel"};

std::int32_t* StationField(RouteWeatherStation& s, int i) {
    std::int32_t* fields[24] = {&s.P,      &s.T,      &s.C1Top, &s.C1Base, &s.C1Cover, &s.C2Top,
                                &s.C2Base, &s.C2Cover, &s.WsTop, &s.WsBase, &s.WsDir,  &s.WsVel,
                                &s.W1Top,  &s.W1Base, &s.W1Dir, &s.W1Vel,  &s.W2Top,   &s.W2Base,
                                &s.W2Dir,  &s.W2Vel,  &s.W3Top, &s.W3Base, &s.W3Dir,   &s.W3Vel};
    return fields[i];
}

}  // namespace

std::int32_t SimulatedMinutesOfDay();

void FlightPlan::Reset() {
    nodeCount = 0;
    currentNode = 0;
    departureTime = -1;
}

int FlightPlan::InsertNode(int kind, const std::string& ident, int position) {
    if (nodeCount >= kMaxPlanNodes) return 0;
    const int count = std::max(nodeCount, 0);
    position = std::clamp(position, 0, count);
    const std::string cut = ident.substr(0, 7);
    if (count > 1) {
        auto repeats = [&](int i) {
            return i >= 0 && i < count && nodes[static_cast<std::size_t>(i)].kind == kind &&
                   SameIdent(nodes[static_cast<std::size_t>(i)].ident, cut);
        };
        if (repeats(position - 1) || repeats(position)) return 0;
    }
    std::move_backward(nodes.begin() + position, nodes.begin() + count, nodes.begin() + count + 1);
    FlightPlanNode& n = nodes[static_cast<std::size_t>(position)];
    n.ident = cut;
    n.kind = kind;
    n.arrivalTime = 0xFFFF;
    n.fuel = 0;
    nodeCount = count + 1;
    currentNode = position;
    FillFromDatabase(n);
    return 1;
}

int FlightPlan::DeleteNode(int index) {
    if (index <= 0 || index >= nodeCount - 1) return -1;
    std::move(nodes.begin() + index + 1, nodes.begin() + nodeCount, nodes.begin() + index);
    --nodeCount;
    currentNode = index - 1;
    return index - 1;
}

int FlightPlan::SelectNode(const FlightPlanNode& node) {
    for (int i = 0; i < nodeCount; ++i)
        if (nodes[static_cast<std::size_t>(i)].ident == node.ident &&
            nodes[static_cast<std::size_t>(i)].kind == node.kind) {
            currentNode = i;
            return 1;
        }
    return 0;
}

std::int32_t FlightPlan::GetMaxElevation() const {
    std::int32_t highest = 0;
    for (int i = 0; i < std::clamp(nodeCount, 0, kMaxPlanNodes); ++i)
        highest = std::max(highest, nodes[static_cast<std::size_t>(i)].elevation);
    return highest;
}

void FlightPlan::RecordArrival(int index) {
    if (index < 0 || index >= std::min(nodeCount, kMaxPlanNodes)) return;
    FlightPlanNode& n = nodes[static_cast<std::size_t>(index)];
    n.arrivalTime = static_cast<std::uint16_t>(SimulatedMinutesOfDay());
    n.fuel = flight::theFlightModelState.fmFuel1 + flight::theFlightModelState.fmFuel2;
}

int FlightPlan::GetNodeActuals(int index, std::int32_t* time, std::int32_t* fuel) const {
    if (index < 0 || index >= std::min(nodeCount, kMaxPlanNodes)) return 0;
    const FlightPlanNode& n = nodes[static_cast<std::size_t>(index)];
    if (static_cast<std::int16_t>(n.arrivalTime) < 0) return 0;
    if (time != nullptr) *time = n.arrivalTime;
    if (fuel != nullptr) *fuel = n.fuel;
    return 1;
}

void FlightPlan::SequenceLeg() {
    const int n = std::min(nodeCount, kMaxPlanNodes);
    const int c = currentNode;
    if (n <= 1 || c < 0 || c >= n - 1) return;
    // Leaving the ground at the departure stamps the departure, whether or not ATC cleared it
    // (its clearance stamps it first when it runs).
    if (c == 0 && departureTime < 0 && flight::theFlightModelState.fmOTG == 0) MarkDeparture();
    const FlightPlanNode& from = nodes[static_cast<std::size_t>(c)];
    const FlightPlanNode& to = nodes[static_cast<std::size_t>(c + 1)];
    const double leg = Bearing(static_cast<double>(to.y) - from.y, static_cast<double>(to.x) - from.x);
    const double toNext =
        Bearing(static_cast<double>(to.y) - flight::theFlightModelState.fmPosZ,
                static_cast<double>(to.x) - flight::theFlightModelState.fmPosX);
    const double d = std::fabs(leg - toNext);
    if (d > std::numbers::pi / 2.0 && d < 3.0 * std::numbers::pi / 2.0) {
        currentNode = c + 1;
        RecordArrival(c + 1);
        UpdateLegWeather();
    }
}

// ---- plan-file sections ---------------------------------------------------------------------

int FlightPlan::WritePoints(core::IniFile& file) const {
    int ok = 1;
    for (int i = 0; i < std::clamp(nodeCount, 0, kMaxPlanNodes); ++i) {
        const FlightPlanNode& n = nodes[static_cast<std::size_t>(i)];
        ok &= file.PutString("Points", Key("ptIdent", i).c_str(), n.ident.c_str());
        ok &= file.PutInt("Points", Key("ptType", i).c_str(), n.kind);
        ok &= file.PutInt("Points", Key("ptFreq", i).c_str(), n.frequency);
        ok &= file.PutInt("Points", Key("ptX", i).c_str(), n.x);
        ok &= file.PutInt("Points", Key("ptY", i).c_str(), n.y);
        ok &= file.PutInt("Points", Key("ptElev", i).c_str(), n.elevation);
    }
    return ok;
}

int FlightPlan::WriteSettings(core::IniFile& file) const {
    int ok = file.PutInt("Settings", "stCount", std::clamp(nodeCount, 0, kMaxPlanNodes));
    ok &= file.PutInt("Settings", "stIFR", ifr);
    ok &= file.PutInt("Settings", "stAirc", aircraft);
    ok &= file.PutInt("Settings", "stAlt", cruiseAltitude);
    ok &= file.PutInt("Settings", "stPower", power);
    return ok;
}

int FlightPlan::WriteEnvironment(core::IniFile& file) const {
    const RouteEnvironment& e = environment;
    int ok = file.PutInt("Environ", "enDepRad", departureRadius);
    ok &= file.PutInt("Environ", "enDestRad", destinationRadius);
    ok &= file.PutInt("Environ", "enHour", e.hour);
    ok &= file.PutInt("Environ", "enMinute", e.minute);
    ok &= file.PutInt("Environ", "enDay", e.day);
    ok &= file.PutInt("Environ", "enMonth", e.month);
    ok &= file.PutInt("Environ", "enErX", e.enRouteX);
    ok &= file.PutInt("Environ", "enErZ", e.enRouteZ);
    ok &= file.PutInt("Environ", "enDsX", e.destinationX);
    ok &= file.PutInt("Environ", "enDsZ", e.destinationZ);
    ok &= file.PutInt("Environ", "enCourse", e.course);
    const std::pair<const char*, const RouteWeatherStation*> stations[3] = {
        {"enDp", &e.departure}, {"enEr", &e.enRoute}, {"enDs", &e.destination}};
    for (const auto& [prefix, station] : stations) {
        RouteWeatherStation s = *station;
        for (int i = 0; i < 24; ++i)
            ok &= file.PutInt("Environ", (std::string(prefix) + kStationFields[i]).c_str(),
                              *StationField(s, i));
    }
    return ok;
}

int FlightPlan::ReadSettings(core::IniFile& file) {
    // The count is a 16-bit field; a negative one is no count at all, and points past the
    // plan's 64 slots are left out (and counted, so the loader can say so).
    const std::int32_t count =
        static_cast<std::int16_t>(file.GetInt("Settings", "stCount", 0) & 0xFFFF);
    nodeCount = count < 0 ? 0 : std::min(count, kMaxPlanNodes);
    pointsLeftOut = std::max(count - kMaxPlanNodes, 0);
    ifr = file.GetInt("Settings", "stIFR", 0) != 0 ? 1 : 0;
    aircraft = static_cast<std::int16_t>(Held(file, "Settings", "stAirc", 0, 0, 5));
    // The altitudes and powers the route page offers the plan's aircraft (type 5 is a 172).
    cruiseAltitude =
        Held(file, "Settings", "stAlt", 0, 0, CapCruiseAltitude(aircraft == 5 ? 0 : aircraft, 45000));
    power = static_cast<std::int16_t>(
        Held(file, "Settings", "stPower", 0, LowestPower(aircraft), kHighestPower));
    return 1;
}

int FlightPlan::ReadPoints(core::IniFile& file) {
    // Each file read says why it was refused, or nothing: never a reason of a file before it.
    refusal.clear();
    if (nodeCount <= 0) return 0;
    for (FlightPlanNode& n : nodes) {
        n.arrivalTime = 0xFFFF;
        n.fuel = 0;
    }
    for (int i = 0; i < std::min(nodeCount, kMaxPlanNodes); ++i) {
        FlightPlanNode& n = nodes[static_cast<std::size_t>(i)];
        n.ident = std::string(file.GetString("Points", Key("ptIdent", i).c_str(), "")).substr(0, 7);
        n.kind = file.GetInt("Points", Key("ptType", i).c_str(), 0);
        n.frequency = file.GetInt("Points", Key("ptFreq", i).c_str(), 0);
        // A point without its place is no point: read as 0 it would lie off the country and
        // stretch the route by thousands of miles.
        for (const char* key : {"ptX", "ptY"}) {
            const std::string text = file.GetString("Points", Key(key, i).c_str(), "");
            if (!IsWholeNumber(text)) {
                refusal = PointName(n.ident, i) + (text.empty() ? " has no " : " has no readable ") + key;
                return 0;
            }
        }
        n.x = file.GetInt("Points", Key("ptX", i).c_str(), 0);
        n.y = file.GetInt("Points", Key("ptY", i).c_str(), 0);
        // Feet, from below the lowest dry land to above the highest summit.
        n.elevation = Held(file, "Points", Key("ptElev", i).c_str(), 0, -2000, 30000);
    }
    return 1;
}

int FlightPlan::ReadEnvironment(core::IniFile& file) {
    RouteEnvironment& e = environment;
    // Nautical miles: no radius is wider than the country.
    departureRadius = Held(file, "Environ", "enDepRad", 10, 0, 5000);
    destinationRadius = Held(file, "Environ", "enDestRad", 10, 0, 5000);
    e.hour = static_cast<std::int8_t>(Held(file, "Environ", "enHour", -1, -1, 23));
    e.minute = static_cast<std::int8_t>(Held(file, "Environ", "enMinute", -1, -1, 59));
    e.day = static_cast<std::int8_t>(Held(file, "Environ", "enDay", 0, 0, 31));
    e.month = static_cast<std::int8_t>(Held(file, "Environ", "enMonth", 0, 0, 12));
    e.enRouteX = file.GetInt("Environ", "enErX", 0);
    e.enRouteZ = file.GetInt("Environ", "enErZ", 0);
    e.destinationX = file.GetInt("Environ", "enDsX", 0);
    e.destinationZ = file.GetInt("Environ", "enDsZ", 0);
    e.course = Held(file, "Environ", "enCourse", -1, -1, 65535);
    const std::pair<const char*, RouteWeatherStation*> stations[3] = {
        {"enDp", &e.departure}, {"enEr", &e.enRoute}, {"enDs", &e.destination}};
    for (const auto& [prefix, station] : stations)
        for (int i = 0; i < 24; ++i)
            *StationField(*station, i) =
                Held(file, "Environ", (std::string(prefix) + kStationFields[i]).c_str(), 0,
                     kStationRanges[i].lowest, kStationRanges[i].highest);
    return 1;
}

// ---- situation and whole-file sections ----------------------------------------------------

int FlightPlan::ReadProgress(core::IniFile& file) {
    const std::int32_t current = file.GetInt("flightPlan", "currentnode", -1);
    // A node the plan does not have cannot be where the flight stood.
    if (current < 0 || current >= std::min(nodeCount, kMaxPlanNodes)) {
        currentNode = 0;
        return 0;
    }
    currentNode = current;
    char key[32];
    for (int i = 0; i <= current; ++i) {
        FlightPlanNode& n = nodes[static_cast<std::size_t>(i)];
        std::snprintf(key, sizeof key, "node%02dATA", i);
        const std::int32_t arrival = file.GetInt("flightPlan", key, -1);
        if (arrival < 0) {
            currentNode = 0;
            return 0;
        }
        n.arrivalTime = static_cast<std::uint16_t>(arrival);
        std::snprintf(key, sizeof key, "node%02dAFR", i);
        n.fuel = file.GetInt("flightPlan", key, -1);
    }
    departureTime = static_cast<std::int16_t>(nodes[0].arrivalTime);
    const std::int32_t fuel1 = file.GetInt("flightPlan", "fuel1", -1);
    const std::int32_t fuel2 = file.GetInt("flightPlan", "fuel2", -1);
    if (fuel1 >= 0 && fuel2 >= 0) {
        flight::theFlightModelState.fmFuel1 = fuel1;
        flight::theFlightModelState.fmFuel2 = fuel2;
    }
    return 1;
}

int FlightPlan::WriteProgress(core::IniFile& file) {
    // A plan flown to its end is not resumed.
    if (active == 0 || currentNode < 0 || currentNode >= std::min(nodeCount, kMaxPlanNodes) - 1)
        return 1;
    int ok = file.PutInt("flightPlan", "active", 1);
    ok &= file.PutString("flightPlan", "planname", name.c_str());
    ok &= file.PutInt("flightPlan", "currentnode", currentNode);
    ok &= file.PutInt("flightPlan", "fuel1", flight::theFlightModelState.fmFuel1);
    ok &= file.PutInt("flightPlan", "fuel2", flight::theFlightModelState.fmFuel2);
    char key[32];
    for (int i = 0; i <= currentNode; ++i) {
        const FlightPlanNode& n = nodes[static_cast<std::size_t>(i)];
        std::snprintf(key, sizeof key, "node%02dATA", i);
        ok &= file.PutInt("flightPlan", key, static_cast<std::int16_t>(n.arrivalTime));
        std::snprintf(key, sizeof key, "node%02dAFR", i);
        ok &= file.PutInt("flightPlan", key, n.fuel);
    }
    return ok;
}

int FlightPlan::ReadSections(core::IniFile& file) {
    // Read into a copy: a file that is no plan leaves this one as it was. The file is looked at
    // once for all its keys.
    win::ProfileReadBatch batch;
    FlightPlan read = *this;
    read.ReadSettings(file);
    if (read.ReadPoints(file) == 0 || read.nodeCount < 2) {
        refusal = read.refusal;
        return 0;
    }
    read.ReadEnvironment(file);
    read.currentNode = 0;
    read.departureTime = -1;
    *this = std::move(read);
    return 1;
}

int FlightPlan::WriteSections(core::IniFile& file) {
    int ok = WritePoints(file);
    ok &= WriteEnvironment(file);
    ok &= WriteSettings(file);
    return ok;
}

std::int32_t SimulatedMinutesOfDay() {
    return thePlanningHost.minutesOfDay();
}

}  // namespace planning
