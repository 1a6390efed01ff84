#include "tools/mkdata/city_airports.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "tools/mkdata/geodesy.h"
#include "tools/mkdata/installation.h"

namespace mkdata {

int ReadCities(const std::string& dataDir, std::vector<City>* cities, std::string* error) {
    const std::string path = dataDir + "/places-us/cities.csv";
    std::vector<std::vector<std::string>> rows;
    if (!ReadCsv(path, &rows, error)) return 0;
    int line = 1;  // the header
    for (const auto& r : rows) {
        ++line;
        City c;
        if (r.size() < 8 || r[0].empty() || r[1].size() != 2 || r[7].rfind("https://", 0) != 0 ||
            !ParseNumber(r[4], &c.lat) || !ParseNumber(r[5], &c.lon)) {
            *error = path + " line " + std::to_string(line) +
                     ": a city needs its name, state, position and source";
            return 0;
        }
        c.name = r[0];
        c.state = r[1];
        c.stateName = r[2];
        cities->push_back(std::move(c));
    }
    return 1;
}

namespace {

// A military field (an air force or naval air station, an army airfield): no pilot of ours
// flies there, so it comes after the fields about the city.
bool Military(const std::string& name) {
    std::string words = " ";
    for (const char c : name)
        words += std::isalnum(static_cast<unsigned char>(c))
                     ? static_cast<char>(std::tolower(static_cast<unsigned char>(c)))
                     : ' ';
    words += " ";
    for (const char* mark : {" afb ", " nas ", " naval ", " army ", " aaf ", " mcas ", " jrb "})
        if (words.find(mark) != std::string::npos) return true;
    return false;
}

}  // namespace

std::vector<std::string> RankCityAirports(const City& city, const NavSources& sources) {
    std::vector<std::pair<double, std::string>> towered, near;
    for (const SourceAirport& a : sources.airports) {
        if (a.kind != "land") continue;
        const double km = Distance(city.lat, city.lon, a.lat, a.lon) / 1000.0;
        if (a.towered && km <= 60.0) {
            const auto listed = sources.airspaceClass.find(a.icao);
            const double worth = listed == sources.airspaceClass.end() ? 1.0
                                 : listed->second == 'B'               ? 10.0
                                                                       : 7.0;
            towered.emplace_back(km / worth * (Military(a.name) ? 10.0 : 1.0), a.icao);
        } else if (a.icao.size() == 4 && km <= 40.0) {
            near.emplace_back(km, a.icao);
        }
    }
    std::vector<std::pair<double, std::string>>& chosen = towered.empty() ? near : towered;
    std::sort(chosen.begin(), chosen.end());
    std::vector<std::string> codes;
    for (std::size_t i = 0; i < chosen.size() && i < 3; ++i)
        codes.push_back(chosen[i].second);
    return codes;
}

std::string CityAirportsText(const std::vector<City>& cities, const NavSources& sources) {
    std::string text;
    for (const City& c : cities) {
        const std::vector<std::string> codes = RankCityAirports(c, sources);
        if (codes.empty()) continue;
        text += c.name + "|" + c.state + "|" + c.stateName + "|";
        for (std::size_t i = 0; i < codes.size(); ++i)
            text += (i > 0 ? " " : "") + codes[i];
        text += "\n";
    }
    return text;
}

}  // namespace mkdata
