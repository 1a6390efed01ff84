// The sample flight plans in "FlightPlans": a route along VORs, a short hop, a climb to a field
// above 9,000 ft and a 64-node tour; and the twenty cross-country assignments in
// "FlightPlans\Assign" (xc01.Pln to xc20.Pln, each with its briefing xc01.txt to xc20.txt). Every
// station is placed from the public data and the files are written through the program's own
// plan writer. The weather is the standard day, calm and clear.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "core/ini_file.h"
#include "nav/lat_lon.h"
#include "planning/planning_services.h"
#include "tools/mkdata/installation.h"
#include "win/profile.h"

namespace mkdata {

namespace {

struct Station {
    int kind = 0;  // 1 airport, 2 VOR, 3 NDB
    double lat = 0, lon = 0;  // east-positive, as in data/
    int elevationFt = 0;
    int frequency = 0;
};

struct SamplePlan {
    const char* file;
    int aircraft;
    int altitude;
    int power;
    std::vector<const char*> route;  // airports first and last, VORs between
};

// Every VOR and NDB by ident: an ident may name stations in several places.
using Navaids = std::multimap<std::string, Station>;

int LoadStations(const std::string& dataDir, std::map<std::string, Station>* airports,
                 std::map<std::string, Station>* vors, Navaids* navaids, std::string* error) {
    std::vector<std::vector<std::string>> rows;
    if (!ReadCsv(dataDir + "/navdata-us/airport.csv", &rows, error)) return 0;
    for (const auto& r : rows) {
        Station s;
        double elevation = 0;
        if (r.size() < 7 || !ParseNumber(r[4], &s.lat) || !ParseNumber(r[5], &s.lon) ||
            !ParseNumber(r[3], &elevation))
            continue;
        s.kind = 1;
        s.elevationFt = static_cast<int>(std::lround(elevation));
        (*airports)[r[0]] = s;
    }
    rows.clear();
    if (!ReadCsv(dataDir + "/navdata-us/vor.csv", &rows, error)) return 0;
    for (const auto& r : rows) {
        Station s;
        double elevation = 0, frequency = 0;
        if (r.size() < 9 || !ParseNumber(r[2], &s.lat) || !ParseNumber(r[3], &s.lon) ||
            !ParseNumber(r[4], &elevation) || !ParseNumber(r[5], &frequency))
            continue;
        s.kind = 2;
        s.elevationFt = static_cast<int>(std::lround(elevation));
        s.frequency = static_cast<int>(frequency);
        vors->emplace(r[0], s);  // the first row of an ident, as the plan's lookup takes
        navaids->emplace(r[0], s);
    }
    rows.clear();
    if (!ReadCsv(dataDir + "/navdata-us/ndb.csv", &rows, error)) return 0;
    for (const auto& r : rows) {
        Station s;
        double elevation = 0, frequency = 0;
        if (r.size() < 6 || !ParseNumber(r[2], &s.lat) || !ParseNumber(r[3], &s.lon) ||
            !ParseNumber(r[4], &elevation) || !ParseNumber(r[5], &frequency))
            continue;
        s.kind = 3;
        s.elevationFt = static_cast<int>(std::lround(elevation));
        s.frequency = static_cast<int>(frequency);
        navaids->emplace(r[0], s);
    }
    return 1;
}

// The 64-node tour: from San Carlos, always on to the nearest VOR of California and western
// Nevada not yet visited, ending at Fresno.
std::vector<const char*> TourRoute(const std::map<std::string, Station>& vors) {
    std::vector<const std::pair<const std::string, Station>*> left;
    for (const auto& v : vors)
        if (v.second.lat > 32.5 && v.second.lat < 42.0 && v.second.lon > -124.5 &&
            v.second.lon < -114.5)
            left.push_back(&v);
    std::vector<const char*> route = {"KSQL"};
    double lat = 37.511735, lon = -122.249386;
    while (route.size() < planning::kMaxPlanNodes - 1 && !left.empty()) {
        const auto nearest = std::min_element(left.begin(), left.end(), [&](auto* a, auto* b) {
            const double ka = std::cos(lat * 3.141592653589793 / 180.0);
            const auto d = [&](const Station& s) {
                return std::hypot(s.lat - lat, (s.lon - lon) * ka);
            };
            return d(a->second) < d(b->second);
        });
        route.push_back((*nearest)->first.c_str());
        lat = (*nearest)->second.lat;
        lon = (*nearest)->second.lon;
        left.erase(nearest);
    }
    route.push_back("KFAT");
    return route;
}

// The assignments: a departure and a destination airport with the VORs and NDBs of the airways
// between them, flown at a cruise altitude for the direction and terrain, and the briefing.
struct Leg {
    const char* ident;
    int kind;  // 2 VOR, 3 NDB
};
struct Assignment {
    const char* departure;
    std::vector<Leg> route;
    const char* destination;
    int aircraft;
    int altitude;
    const char* briefing;  // at most 255 characters
};

const std::vector<Assignment>& Assignments() {
    static const std::vector<Assignment> list = {
        {"KBOS", {{"BOS", 2}, {"GDM", 2}, {"ALB", 2}}, "KALB", 0, 6500,
         "Boston Logan to Albany. Purpose: a first airway trip out of busy airspace. Route: "
         "Boston VOR, V431 to Gardner, V14 to Albany. Watch: Boston departure's calls, the "
         "Berkshire hills near 3,500 ft and haze over the Hudson valley."},
        {"KSEA", {{"SEA", 2}, {"BTG", 2}}, "KPDX", 0, 4500,
         "Seattle-Tacoma to Portland. Purpose: a straight run between two big airports. Route: "
         "Seattle VOR, V495 south to Battle Ground, then Portland. Watch: low ceilings off Puget "
         "Sound, Mount St. Helens to the east and Portland's approach."},
        {"KEYW", {{"EYW", 2}, {"MTH", 3}, {"DHP", 2}}, "KMIA", 0, 5500,
         "Key West to Miami. Purpose: a long leg over water with a beacon on the way. Route: Key "
         "West VOR, V157 up the Keys, the Marathon NDB, Dolphin VOR, Miami. Watch: gliding "
         "distance to land, afternoon storms and the Miami airspace."},
        {"KSUN", {{"HLE", 3}, {"BOI", 2}}, "KBOI", 1, 10500,
         "Hailey to Boise. Purpose: mountain flying from a field at 5,300 ft. Route: climb over "
         "the Hailey NDB, then V444 west to the Boise VOR. Watch: density altitude on the climb, "
         "peaks above 10,000 ft and the wind over the ridges."},
        {"KILM", {{"ILM", 2}, {"FAY", 2}, {"RDU", 2}}, "KRDU", 0, 4500,
         "Wilmington to Raleigh-Durham. Purpose: VOR to VOR inland from the coast. Route: "
         "Wilmington VOR, northwest to Fayetteville, north to Raleigh/Durham. Watch: the "
         "restricted areas near Fayetteville and the sea breeze at Wilmington."},
        {"KAPA", {{"FQF", 2}, {"PUB", 2}}, "KPUB", 1, 9500,
         "Centennial to Pueblo. Purpose: a high flight along the Front Range. Route: Falcon VOR "
         "east of Denver, then south to Pueblo. Watch: the Palmer Divide near 7,500 ft, the "
         "Colorado Springs airspace and wind off the mountains."},
        {"KPHX", {{"PXR", 2}, {"TUS", 2}}, "KTUS", 0, 5500,
         "Phoenix Sky Harbor to Tucson. Purpose: desert navigation between two busy airports. "
         "Route: Phoenix VOR, southeast to the Tucson VOR. Watch: the Phoenix airspace, heat and "
         "afternoon turbulence, and military jets near Tucson."},
        {"KMSY", {{"HRV", 2}, {"SJI", 2}}, "KMOB", 0, 3500,
         "New Orleans to Mobile. Purpose: a coastal flight across the marshes. Route: Harvey "
         "VOR, V198 east along the Gulf coast to Semmes VOR, then Mobile. Watch: few places to "
         "land over the marsh, summer storms and the Gulfport airspace."},
        {"KPDK", {{"ATL", 2}, {"GQO", 2}}, "KCHA", 0, 6500,
         "Peachtree-DeKalb to Chattanooga. Purpose: leaving Atlanta for the hills of Tennessee. "
         "Route: Atlanta VOR, V97 and V5 northwest to Choo Choo VOR, then Lovell Field. Watch: "
         "the Atlanta airspace above, ridges near 2,500 ft and valley fog."},
        {"KMDW", {{"OBK", 2}, {"MSN", 2}}, "KMSN", 0, 4500,
         "Chicago Midway to Madison. Purpose: navigating out of the Chicago area. Route: "
         "Northbrook VOR, northwest to the Madison VOR. Watch: the O'Hare airspace overhead, "
         "many small fields close together and cloud off the lake."},
        {"KMSP", {{"FGT", 2}, {"RST", 2}}, "KRST", 0, 3500,
         "Minneapolis-St Paul to Rochester. Purpose: a short hop over farmland. Route: "
         "Farmington VOR, southeast to the Rochester VOR. Watch: the Minneapolis airspace on "
         "departure, gusty crosswinds at Rochester and ice in winter."},
        {"KMCI", {{"MCI", 2}, {"EMP", 2}, {"ICT", 2}}, "KICT", 0, 4500,
         "Kansas City to Wichita. Purpose: a long leg across the plains. Route: Kansas City VOR, "
         "southwest to Emporia, then the Wichita VOR. Watch: strong southerly winds, storms "
         "building in the afternoon and jet traffic around Wichita."},
        {"KOKC", {{"IRW", 2}, {"TUL", 2}}, "KTUL", 0, 3500,
         "Oklahoma City to Tulsa. Purpose: a flight between two towered fields. Route: Will "
         "Rogers VOR, northeast to the Tulsa VOR. Watch: the Tinker AFB traffic, gusty winds and "
         "summer storm lines."},
        {"KABQ", {{"ABQ", 2}, {"RSK", 2}}, "KFMN", 1, 10500,
         "Albuquerque to Farmington. Purpose: high-desert flying across the Continental Divide. "
         "Route: Albuquerque VOR, northwest to Rattlesnake VOR, then Four Corners. Watch: ground "
         "above 8,000 ft, density altitude and few airports on the way."},
        {"KSLC", {{"OGD", 2}, {"MLD", 2}, {"PIH", 2}, {"IDA", 2}}, "KIDA", 1, 9500,
         "Salt Lake City to Idaho Falls. Purpose: a mountain valley route of four VORs. Route: "
         "Ogden, Malad City, Pocatello and Idaho Falls. Watch: the Salt Lake airspace, passes "
         "near 6,000 ft and winter weather."},
        {"KBIL", {{"BIL", 2}, {"LVM", 2}, {"BZN", 2}}, "KBZN", 1, 8500,
         "Billings to Bozeman. Purpose: flying west into the Rockies. Route: Billings VOR, west "
         "to Livingston, then the Bozeman VOR. Watch: the strong wind at Bozeman Pass, "
         "turbulence behind the mountains and rising ground."},
        {"KOMA", {{"OVR", 2}, {"DSM", 2}}, "KDSM", 0, 3500,
         "Omaha to Des Moines. Purpose: an easy eastbound leg to practise checkpoints. Route: "
         "Omaha VOR, east to the Des Moines VOR. Watch: the Offutt AFB airspace south of Omaha, "
         "tall towers over the farmland and the Des Moines airspace."},
        {"KMEM", {{"HLI", 2}, {"UJM", 2}, {"LIT", 2}}, "KLIT", 0, 4500,
         "Memphis to Little Rock. Purpose: crossing the Mississippi delta. Route: Holly Springs "
         "VOR, V16 to Marvell, V54 to Little Rock. Watch: the busy Memphis airspace, haze over "
         "the delta and the air base traffic near Little Rock."},
        {"KBNA", {{"BNA", 2}, {"LVT", 2}, {"VXV", 2}}, "KTYS", 0, 5500,
         "Nashville to Knoxville. Purpose: crossing the Cumberland Plateau. Route: Nashville "
         "VOR, east to Livingston, then Volunteer VOR at Knoxville. Watch: the plateau near "
         "2,000 ft, the change of time zone and the Smokies beyond."},
        {"KRNO", {{"FMG", 2}, {"SWR", 2}, {"SAC", 2}}, "KSMF", 1, 12500,
         "Reno to Sacramento. Purpose: crossing the Sierra Nevada. Route: Mustang VOR, V6 over "
         "the mountains to Squaw Valley and the Sacramento VOR. Watch: mountain wave and "
         "turbulence, peaks above 9,000 ft and the long descent."},
    };
    return list;
}

void PlaceNode(planning::FlightPlanNode* n, const std::string& ident, const Station& s) {
    n->ident = ident;
    n->kind = s.kind;
    n->frequency = s.frequency;
    n->elevation = s.elevationFt;
    // The world counts longitudes positive west.
    nav::LatLonToWorld(&n->x, &n->y, s.lat, -s.lon);
}

// The standard day: 29.92 inches and 15 degrees C at every station, calm and clear.
void SetStandardDay(planning::FlightPlan* plan) {
    for (planning::RouteWeatherStation* w :
         {&plan->environment.departure, &plan->environment.enRoute,
          &plan->environment.destination}) {
        w->P = (2992 - 2800) * 65536 / 800;
        w->T = 15 * 256;
    }
}

int WritePlan(Installation& installation, const std::string& relativePath,
              planning::FlightPlan& plan, std::string* error) {
    const std::string path = installation.PrepareFile(relativePath);
    int written = 0;
    {
        win::ProfileWriteBatch batch;
        core::IniFile file(path.c_str());
        written = plan.WriteSections(file);
        if (!batch.Flush()) written = 0;
    }
    if (written == 0) *error = "could not write " + path;
    return written;
}

// The station of this ident and kind nearest a point (an ident may repeat across the tables).
const Station* NearestNavaid(const Navaids& navaids, const Leg& leg, const Station& from) {
    const Station* best = nullptr;
    double bestDistance = 0;
    const auto [begin, end] = navaids.equal_range(leg.ident);
    for (auto it = begin; it != end; ++it) {
        if (it->second.kind != leg.kind) continue;
        const double d = std::hypot(it->second.lat - from.lat, it->second.lon - from.lon);
        if (best == nullptr || d < bestDistance) {
            best = &it->second;
            bestDistance = d;
        }
    }
    return best;
}

int MakeAssignments(Installation& installation, const std::map<std::string, Station>& airports,
                    const Navaids& navaids, std::string* error) {
    int number = 0;
    for (const Assignment& a : Assignments()) {
        char name[40];
        std::snprintf(name, sizeof name, "FlightPlans\\Assign\\xc%02d", ++number);
        const auto from = airports.find(a.departure);
        const auto to = airports.find(a.destination);
        if (from == airports.end() || to == airports.end()) {
            *error = std::string("no airport for ") + name;
            return 0;
        }
        planning::FlightPlan plan;
        plan.aircraft = static_cast<std::int16_t>(a.aircraft);
        plan.cruiseAltitude = a.altitude;
        plan.power = 65;
        PlaceNode(&plan.nodes[0], a.departure, from->second);
        const Station* last = &from->second;
        for (const Leg& leg : a.route) {
            const Station* s = NearestNavaid(navaids, leg, *last);
            if (s == nullptr) {
                *error = std::string("no station ") + leg.ident + " for " + name;
                return 0;
            }
            PlaceNode(&plan.nodes[static_cast<std::size_t>(plan.nodeCount + 1)], leg.ident, *s);
            ++plan.nodeCount;
            last = s;
        }
        PlaceNode(&plan.nodes[static_cast<std::size_t>(plan.nodeCount + 1)], a.destination,
                  to->second);
        plan.nodeCount += 2;
        SetStandardDay(&plan);
        if (WritePlan(installation, std::string(name) + ".Pln", plan, error) == 0) return 0;
        const std::string briefing = a.briefing;
        installation.AddFile(std::string(name) + ".txt", Bytes(briefing.begin(), briefing.end()));
    }
    return 1;
}

}  // namespace

int MakePlans(Installation& installation, std::string* error) {
    std::map<std::string, Station> airports, vors;
    Navaids navaids;
    if (!LoadStations(installation.DataDir(), &airports, &vors, &navaids, error)) return 0;
    const std::vector<SamplePlan> plans = {
        {"KSQLtoKFAT.Pln", 0, 6500, 65, {"KSQL", "SJC", "PXN", "CZQ", "KFAT"}},
        {"KSQLtoKMRY.Pln", 0, 4500, 65, {"KSQL", "SJC", "SNS", "KMRY"}},
        {"KAPAtoKLXV.Pln", 1, 12500, 65, {"KAPA", "BJC", "RLG", "KLXV"}},
        {"CaliforniaTour.Pln", 2, 8000, 65, TourRoute(vors)},
    };
    for (const SamplePlan& s : plans) {
        planning::FlightPlan plan;
        plan.aircraft = static_cast<std::int16_t>(s.aircraft);
        plan.cruiseAltitude = s.altitude;
        plan.power = static_cast<std::int16_t>(s.power);
        for (std::size_t i = 0; i < s.route.size(); ++i) {
            const bool end = i == 0 || i + 1 == s.route.size();
            const auto& table = end ? airports : vors;
            const auto it = table.find(s.route[i]);
            if (it == table.end()) {
                *error = std::string("no station ") + s.route[i] + " for " + s.file;
                return 0;
            }
            PlaceNode(&plan.nodes[i], it->first, it->second);
        }
        plan.nodeCount = static_cast<std::int32_t>(s.route.size());
        SetStandardDay(&plan);
        if (WritePlan(installation, std::string("FlightPlans\\") + s.file, plan, error) == 0)
            return 0;
    }
    return MakeAssignments(installation, airports, navaids, error);
}

}  // namespace mkdata
