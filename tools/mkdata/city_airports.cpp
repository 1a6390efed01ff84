#include "tools/mkdata/city_airports.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <set>
#include <tuple>
#include <utility>

#include "nav/city_search.h"
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

using Words = std::vector<std::string>;

// Whether `part` stands in `text` word for word.
bool Holds(const Words& text, const Words& part) {
    if (part.empty() || part.size() > text.size()) return false;
    for (std::size_t at = 0; at + part.size() <= text.size(); ++at)
        if (std::equal(part.begin(), part.end(), text.begin() + static_cast<std::ptrdiff_t>(at)))
            return true;
    return false;
}

// A military field (an air force or naval air station, an army airfield, a guard base): no pilot
// of ours flies there. A base that shares its runways with an airline airport ("Charleston AFB
// Intl") is the city's airport.
bool Military(const Words& name) {
    if (Holds(name, {"intl"})) return false;
    for (const char* mark : {"afb", "nas", "naval", "army", "aaf", "mcas", "jrb", "angb", "arb",
                             "mcalf", "mcolf", "nolf", "olf", "lrrs", "ahp", "afld", "ang"})
        if (Holds(name, {mark})) return true;
    return false;
}

// Whether an airport's name is named for the city: it holds the city's name, and no longer name
// of a listed city that holds it ("North Las Vegas" is not Las Vegas's).
bool NamedFor(const Words& name, const Words& city, const std::vector<City>& cities) {
    if (!Holds(name, city)) return false;
    for (const City& other : cities) {
        const Words words = nav::CityWords(other.name);
        if (words.size() > city.size() && Holds(words, city) && Holds(name, words)) return false;
    }
    return true;
}

// Whether the airport's name begins with the name of a listed city other than `city`
// ("Minneapolis St Paul Intl" for St Paul): the airport is that city's first.
bool NamedFirstForAnother(const Words& name, const Words& city, const std::vector<City>& cities) {
    if (name.size() >= city.size() && std::equal(city.begin(), city.end(), name.begin()))
        return false;
    for (const City& other : cities) {
        const Words words = nav::CityWords(other.name);
        if (!words.empty() && words != city && words.size() <= name.size() &&
            std::equal(words.begin(), words.end(), name.begin()))
            return true;
    }
    return false;
}

// Whether the airline airport's airspace area ("Dallas-Fort Worth TX") names the city.
bool AreaNames(const std::string& area, const Words& city, const std::string& state) {
    return area.size() > 3 && area.compare(area.size() - 2, 2, state) == 0 &&
           Holds(nav::CityWords(area.substr(0, area.size() - 3)), city);
}

constexpr double kTowerReachKm = 60, kFieldReachKm = 40, kOwnFieldReachKm = 20;
constexpr double kInTheCityKm = 12;  // a towered field this near is the city's before an airline
                                     // airport of a neighbouring city
constexpr double kUntoweredFactor = 2;

}  // namespace

std::vector<std::string> RankCityAirports(const City& city, const std::vector<City>& cities,
                                          const NavSources& sources) {
    const Words cityWords = nav::CityWords(city.name);
    // (group, measure, code): the groups of the header, best first.
    std::vector<std::tuple<int, double, std::string>> ranked;
    for (const SourceAirport& a : sources.airports) {
        if (a.kind != "land" || a.name.rfind("[X]", 0) == 0) continue;  // [X]: closed
        const double km = Distance(city.lat, city.lon, a.lat, a.lon) / 1000.0;
        const bool coded =
            a.icao.size() == 4 && std::all_of(a.icao.begin(), a.icao.end(), [](char c) {
                return std::isalpha(static_cast<unsigned char>(c)) != 0;
            });
        if (km > kTowerReachKm || (!a.towered && (km > kFieldReachKm || !coded))) continue;
        const Words name = nav::CityWords(a.name);
        const auto listed = sources.airspaceClass.find(a.icao);
        const auto area = sources.airspaceArea.find(a.icao);
        const bool namedFor = NamedFor(name, cityWords, cities);
        // An airline airport named first for another city is this one's only by its way.
        const double worth = listed == sources.airspaceClass.end() ||
                                     (namedFor && NamedFirstForAnother(name, cityWords, cities))
                                 ? 1.0
                             : listed->second == 'B' ? 10.0
                                                     : 7.0;
        const bool own =
            namedFor ||
            (area != sources.airspaceArea.end() && AreaNames(area->second, cityWords, city.state));
        if (Military(name))
            ranked.emplace_back(3, km, a.icao);
        else if (own && a.towered)
            ranked.emplace_back(0, km / worth, a.icao);
        else if (own && km <= kOwnFieldReachKm)
            ranked.emplace_back(1, km, a.icao);
        else if (!a.towered)
            ranked.emplace_back(2, km * kUntoweredFactor, a.icao);
        else
            ranked.emplace_back(
                2, km <= kInTheCityKm ? km : kInTheCityKm + (km - kInTheCityKm) / worth, a.icao);
    }
    std::sort(ranked.begin(), ranked.end());
    std::vector<std::string> codes;
    for (std::size_t i = 0; i < ranked.size() && i < 3; ++i)
        codes.push_back(std::get<2>(ranked[i]));
    return codes;
}

std::string CityAirportsText(const std::vector<City>& cities, const NavSources& sources) {
    std::string text;
    for (const City& c : cities) {
        const std::vector<std::string> codes = RankCityAirports(c, cities, sources);
        text += c.name + "|" + c.state + "|" + c.stateName + "|";
        for (std::size_t i = 0; i < codes.size(); ++i)
            text += (i > 0 ? " " : "") + codes[i];
        text += "\n";
    }
    return text;
}

namespace {

struct Point {
    double lat, lon;  // lon positive west, as the outlines read
};

// Whether the segments p-q and a-b cross (touching counts as neither side).
bool Cross(Point p, Point q, Point a, Point b) {
    const auto side = [](Point u, Point v, Point w) {
        return (v.lon - u.lon) * (w.lat - u.lat) - (v.lat - u.lat) * (w.lon - u.lon) > 0;
    };
    return side(p, q, a) != side(p, q, b) && side(a, b, p) != side(a, b, q);
}

// The borders' segments, found by the whole degrees of latitude and longitude they span.
class BorderIndex {
public:
    explicit BorderIndex(const std::vector<std::vector<nav::MapOutlinePoint>>& borders) {
        for (const auto& line : borders)
            for (std::size_t i = 1; i < line.size(); ++i) {
                const Point a{line[i - 1].lat, line[i - 1].lon}, b{line[i].lat, line[i].lon};
                const std::size_t n = segments.size();
                segments.push_back({a, b});
                ForCells(a, b, [&](long cell) { cells[cell].push_back(n); });
            }
    }

    bool Crossed(Point p, Point q) const {
        bool crossed = false;
        std::set<std::size_t> seen;
        ForCells(p, q, [&](long cell) {
            const auto found = cells.find(cell);
            if (crossed || found == cells.end()) return;
            for (const std::size_t n : found->second)
                if (seen.insert(n).second && Cross(p, q, segments[n].first, segments[n].second)) {
                    crossed = true;
                    return;
                }
        });
        return crossed;
    }

private:
    template <typename F>
    static void ForCells(Point a, Point b, F&& f) {
        for (long lat = std::lround(std::floor(std::min(a.lat, b.lat)));
             lat <= std::lround(std::floor(std::max(a.lat, b.lat))); ++lat)
            for (long lon = std::lround(std::floor(std::min(a.lon, b.lon)));
                 lon <= std::lround(std::floor(std::max(a.lon, b.lon))); ++lon)
                f(lat * 1000 + lon);
    }

    std::vector<std::pair<Point, Point>> segments;
    std::map<long, std::vector<std::size_t>> cells;
};

// A code of the international form of a country other than ours: four letters, not K (the
// contiguous states) or P (the Pacific's).
bool ForeignCode(const std::string& code) {
    return code.size() == 4 && code[0] != 'K' && code[0] != 'P' &&
           std::all_of(code.begin(), code.end(),
                       [](char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; });
}

}  // namespace

std::map<std::string, std::string> AirportStates(
    const std::vector<City>& cities, const NavSources& sources,
    const std::vector<std::vector<nav::MapOutlinePoint>>& borders) {
    const BorderIndex index(borders);
    std::map<std::string, std::string> states;
    std::vector<std::pair<double, const City*>> near;
    for (const SourceAirport& a : sources.airports) {
        if (ForeignCode(a.icao)) continue;
        near.clear();
        for (const City& c : cities) {
            if (c.state == "AK" || c.state == "HI") continue;  // outside the world
            const double km = Distance(a.lat, a.lon, c.lat, c.lon) / 1000.0;
            if (km <= kStateReachKm) near.emplace_back(km, &c);
        }
        std::sort(near.begin(), near.end());
        for (const auto& [km, c] : near)
            if (!index.Crossed({a.lat, -a.lon}, {c->lat, -c->lon})) {
                states[a.icao] = c->state;
                break;
            }
    }
    return states;
}

std::string AirportStatesText(const std::map<std::string, std::string>& states) {
    std::string text;
    for (const auto& [code, state] : states)
        text += code + "|" + state + "\n";
    return text;
}

}  // namespace mkdata
