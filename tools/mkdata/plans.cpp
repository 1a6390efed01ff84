// The sample flight plans in "FlightPlans": a route along VORs, a short hop, a climb to a field
// above 9,000 ft and a 64-node tour, each station placed from the public data and the files
// written through the program's own plan writer. The weather is the standard day, calm and
// clear.
#include <algorithm>
#include <cmath>
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
    int kind = 0;  // 1 airport, 2 VOR
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

int LoadStations(const std::string& dataDir, std::map<std::string, Station>* airports,
                 std::map<std::string, Station>* vors, std::string* error) {
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

}  // namespace

int MakePlans(Installation& installation, std::string* error) {
    std::map<std::string, Station> airports, vors;
    if (!LoadStations(installation.DataDir(), &airports, &vors, error)) return 0;
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
            planning::FlightPlanNode& n = plan.nodes[i];
            n.ident = it->first;
            n.kind = it->second.kind;
            n.frequency = it->second.frequency;
            n.elevation = it->second.elevationFt;
            // The world counts longitudes positive west.
            nav::LatLonToWorld(&n.x, &n.y, it->second.lat, -it->second.lon);
        }
        plan.nodeCount = static_cast<std::int32_t>(s.route.size());
        // The standard day: 29.92 inches and 15 degrees C at every station, calm and clear.
        for (planning::RouteWeatherStation* w :
             {&plan.environment.departure, &plan.environment.enRoute,
              &plan.environment.destination}) {
            w->P = (2992 - 2800) * 65536 / 800;
            w->T = 15 * 256;
        }
        const std::string path = installation.PrepareFile(std::string("FlightPlans\\") + s.file);
        int written = 0;
        {
            win::ProfileWriteBatch batch;
            core::IniFile file(path.c_str());
            written = plan.WriteSections(file);
            if (!batch.Flush()) written = 0;
        }
        if (written == 0) {
            *error = std::string("could not write ") + path;
            return 0;
        }
    }
    return 1;
}

}  // namespace mkdata
