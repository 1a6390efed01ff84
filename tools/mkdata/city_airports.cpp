#include "tools/mkdata/city_airports.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <set>
#include <string_view>
#include <tuple>
#include <utility>

#include "nav/city_search.h"
#include "tools/mkdata/geodesy.h"
#include "tools/mkdata/installation.h"

namespace mkdata {

namespace {

// The postal codes of the fifty states and the District of Columbia.
constexpr char kUsStates[] =
    "AL AK AZ AR CA CO CT DE DC FL GA HI ID IL IN IA KS KY LA ME MD MA MI MN MS MO MT NE NV NH NJ "
    "NM NY NC ND OH OK OR PA RI SC SD TN TX UT VT VA WA WV WI WY ";

}  // namespace

int ReadCities(const std::string& dataDir, std::vector<City>* cities, std::string* error) {
    const std::string path = dataDir + "/places-us/cities.csv";
    std::vector<std::vector<std::string>> rows;
    if (!ReadCsv(path, &rows, error)) return 0;
    int line = 1;  // the header
    for (const auto& r : rows) {
        ++line;
        City c;
        const std::string airport = r.size() > 8 ? r[8] : std::string();
        if (r.size() < 8 || r[0].empty() || r[1].size() != 2 || r[7].rfind("https://", 0) != 0 ||
            !ParseNumber(r[4], &c.lat) || !ParseNumber(r[5], &c.lon) || airport.size() > 4 ||
            !std::all_of(airport.begin(), airport.end(),
                         [](char ch) { return std::isupper(static_cast<unsigned char>(ch)) ||
                                              std::isdigit(static_cast<unsigned char>(ch)); })) {
            *error = path + " line " + std::to_string(line) +
                     ": a city needs its name, state, position and source";
            return 0;
        }
        c.name = r[0];
        c.state = r[1];
        c.stateName = r[2];
        c.abroad = std::string_view(kUsStates).find(r[1] + " ") == std::string_view::npos;
        c.nationsCapital = c.abroad && r[3] == "1";
        c.airport = airport;
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

// A military field (an air force or naval air station, an army airfield, a guard base, a test
// range): no pilot of ours flies there. A base that shares its runways with an airline or a town's
// airport ("Charleston AFB Intl", "Sheppard AFB Wichita Falls Muni") is the city's airport.
bool Military(const Words& name) {
    if (Holds(name, {"intl"}) || Holds(name, {"muni"})) return false;
    if (Holds(name, {"test", "range"})) return true;
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

// A field open to the public: one of a four-letter code, or of the three characters that public
// fields are given (a private strip's code has four, with digits: "CA35", "4AZ7").
bool PublicField(const std::string& code) {
    const bool letters = std::all_of(code.begin(), code.end(), [](char c) {
        return std::isalpha(static_cast<unsigned char>(c)) != 0;
    });
    return (code.size() == 4 && letters) || code.size() == 3;
}

constexpr double kTowerReachKm = 60, kFieldReachKm = 40, kOwnFieldReachKm = 20;
// How much farther than a towered field an untowered public one counts: the town's own of three
// characters, another of a four-letter code, another of three characters.
constexpr double kOwnFieldFactor = 1.5, kUntoweredFactor = 2, kSmallFieldFactor = 3;

}  // namespace

std::vector<std::string> RankCityAirports(const City& city, const std::vector<City>& cities,
                                          const NavSources& sources,
                                          const std::set<std::string>& abroad) {
    const Words cityWords = nav::CityWords(city.name);
    // A city beyond the borders has no airspace areas in our data: an airport whose tower
    // answers to the city's name ("MONTERREY TWR") is its own instead.
    std::set<std::string> calledFor;
    if (city.abroad)
        for (const SourceFrequency& f : sources.frequencies)
            if (f.kind == "tower" && Holds(nav::CityWords(f.name), cityWords))
                calledFor.insert(f.icao);
    // (group, measure, code): the groups of the header, best first.
    std::vector<std::tuple<int, double, std::string>> ranked;
    for (const SourceAirport& a : sources.airports) {
        if (a.kind != "land" || a.name.rfind("[X]", 0) == 0) continue;  // [X]: closed
        if (a.icao == city.airport) {
            ranked.emplace_back(-1, 0.0, a.icao);
            continue;
        }
        if ((abroad.count(a.icao) != 0) != city.abroad) continue;
        const double km = Distance(city.lat, city.lon, a.lat, a.lon) / 1000.0;
        if (km > kTowerReachKm || (!a.towered && (km > kFieldReachKm || !PublicField(a.icao))))
            continue;
        const Words name = nav::CityWords(a.name);
        const auto listed = sources.airspaceClass.find(a.icao);
        const auto area = sources.airspaceArea.find(a.icao);
        const bool namedFor = NamedFor(name, cityWords, cities);
        const bool own = namedFor || calledFor.count(a.icao) != 0 ||
                         (area != sources.airspaceArea.end() &&
                          AreaNames(area->second, cityWords, city.state));
        // An airline airport named first for another city is this one's only by its way.
        // Beyond the borders, where no airspace areas are listed, a city's own international
        // airport counts as its airline airport ("Toronto Lester B Pearson Intl" before
        // "Toronto City Centre").
        const bool airlineAbroad = city.abroad && own && Holds(name, {"intl"});
        const double worth =
            airlineAbroad ? 7.0
            : listed == sources.airspaceClass.end() || NamedFirstForAnother(name, cityWords, cities)
                ? 1.0
            : listed->second == 'B' ? 10.0
                                    : 7.0;
        if (Military(name))
            ranked.emplace_back(3, km, a.icao);
        else if (own && a.towered)
            ranked.emplace_back(0, km / worth, a.icao);
        else if (own && km <= kOwnFieldReachKm && a.icao.size() == 4)
            ranked.emplace_back(1, km, a.icao);
        else
            ranked.emplace_back(2,
                                a.towered                       ? km
                                : own && km <= kOwnFieldReachKm ? km * kOwnFieldFactor
                                : a.icao.size() == 4            ? km * kUntoweredFactor
                                                                : km * kSmallFieldFactor,
                                a.icao);
    }
    std::sort(ranked.begin(), ranked.end());
    std::vector<std::string> codes;
    for (std::size_t i = 0; i < ranked.size() && i < 3; ++i)
        codes.push_back(std::get<2>(ranked[i]));
    return codes;
}

std::string CityAirportsText(const std::vector<City>& cities, const NavSources& sources,
                             const std::set<std::string>& abroad) {
    std::vector<const City*> listed;
    for (const City& c : cities)
        listed.push_back(&c);
    std::stable_partition(listed.begin(), listed.end(),
                          [](const City* c) { return c->nationsCapital; });
    std::string text;
    for (const City* city : listed) {
        const City& c = *city;
        const std::vector<std::string> codes = RankCityAirports(c, cities, sources, abroad);
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

using Polylines = std::vector<std::vector<nav::MapOutlinePoint>>;

// The national borders drawn on out to sea, so that a field on an island or across a bay
// (Grand Manan, the Bahamas) falls on its country's side: the Canadian border west along the
// strait's mouth and east through Passamaquoddy Bay, between Eastport and Campobello and down
// the Grand Manan Channel into the Gulf of Maine; the Mexican border west into the Pacific
// south of San Clemente, and east across the Gulf north of Cuba, up the Straits of Florida
// between the Keys and the Bahamas and out into the Atlantic. Points (latitude, longitude
// positive west).
constexpr Point kCanadaWest[] = {{48.5, 140}, {48.50111, 124.75387}};
constexpr Point kCanadaEast[] = {{45.18387, 67.20500}, {45.08, 67.06}, {44.95, 66.99},
                                 {44.862, 66.985},     {44.78, 66.95}, {44.5, 67.0},
                                 {43.7, 66.5},         {41, 60},       {41, 50}};
constexpr Point kMexicoWest[] = {{30, 140}, {32, 118.6}, {32.53559, 117.12276}};
constexpr Point kMexicoEast[] = {{25.96635, 97.14}, {25.8, 90},   {24, 84}, {24, 81}, {24.2, 79.7},
                                 {27, 79.6},        {28.5, 79.5}, {33, 70}, {33, 50}};

// Which side of the national borders a point lies: inside the country when a line due north
// crosses the Canadian border (drawn on to sea) an odd number of times and a line due south the
// Mexican one likewise. The outline's pieces are joined across the small gaps it leaves.
class NationalBorders {
public:
    explicit NationalBorders(const Polylines& borders) {
        Polylines lines = borders;
        for (const auto& [points, count] : {std::pair{kCanadaWest, std::size(kCanadaWest)},
                                            std::pair{kCanadaEast, std::size(kCanadaEast)},
                                            std::pair{kMexicoWest, std::size(kMexicoWest)},
                                            std::pair{kMexicoEast, std::size(kMexicoEast)}}) {
            lines.emplace_back();
            for (std::size_t i = 0; i < count; ++i)
                lines.back().push_back(
                    {static_cast<float>(points[i].lat), static_cast<float>(points[i].lon)});
        }
        for (const auto& line : borders)
            for (std::size_t i = 1; i < line.size(); ++i)
                drawn.push_back({Of(line[i - 1]), Of(line[i])});
        // Each piece's end that begins no other joins the nearest beginning within a tenth of a
        // degree.
        std::vector<std::pair<Point, Point>> all;
        for (const auto& line : lines) {
            if (line.empty()) continue;
            for (std::size_t i = 1; i < line.size(); ++i)
                all.push_back({Of(line[i - 1]), Of(line[i])});
            const Point end = Of(line.back());
            double best = 0.1;
            Point join{};
            for (const auto& other : lines) {
                if (other.empty()) continue;
                const Point start = Of(other.front());
                const double apart = std::hypot(start.lat - end.lat, start.lon - end.lon);
                if (apart < best) {
                    best = apart;
                    join = start;
                }
            }
            if (best > 0 && best < 0.1) all.push_back({end, join});
        }
        // The Canadian border lies north of latitude 40, the Mexican south of it.
        for (const auto& s : all)
            (std::max(s.first.lat, s.second.lat) > 40 ? north : south).push_back(s);
    }

    // Whether a point lies in a country beyond the borders. A point within 100 m of the border
    // as drawn (a field on the line, its runway in both countries) counts as ours.
    bool Abroad(Point p) const {
        const bool inside =
            Crossings(north, p, true) % 2 == 1 && Crossings(south, p, false) % 2 == 1;
        return !inside && NearestKm(p) > 0.1;
    }

private:
    static Point Of(nav::MapOutlinePoint m) { return {m.lat, m.lon}; }

    // How many segments a line due north (or south) from `p` crosses.
    static int Crossings(const std::vector<std::pair<Point, Point>>& segments, Point p,
                         bool northward) {
        int n = 0;
        for (const auto& [a, b] : segments) {
            if ((a.lon <= p.lon) == (b.lon <= p.lon)) continue;
            const double lat = a.lat + (b.lat - a.lat) * (p.lon - a.lon) / (b.lon - a.lon);
            if ((lat > p.lat) == northward) ++n;
        }
        return n;
    }

    double NearestKm(Point p) const {
        const double east = std::cos(p.lat * 3.14159265358979 / 180.0) * 111.2;
        double nearest = 1e9;
        for (const auto& [a, b] : drawn) {
            const double ax = (a.lon - p.lon) * east, ay = (a.lat - p.lat) * 111.2;
            const double dx = (b.lon - a.lon) * east, dy = (b.lat - a.lat) * 111.2;
            const double length = dx * dx + dy * dy;
            const double t = length > 0 ? std::clamp(-(ax * dx + ay * dy) / length, 0.0, 1.0) : 0.0;
            nearest = std::min(nearest, std::hypot(ax + t * dx, ay + t * dy));
        }
        return nearest;
    }

    std::vector<std::pair<Point, Point>> north, south, drawn;
};

// Fields whose state is not the side of the river the borders' outline draws, the river having
// moved and the line stayed: St. Joseph's field lies in the bottoms west of the Missouri that
// remain Missouri's (its airport record gives Missouri).
constexpr std::pair<const char*, const char*> kStateAcrossTheRiver[] = {{"KSTJ", "MO"}};

}  // namespace

std::set<std::string> AirportsAbroad(const NavSources& sources, const Polylines& nationalBorders) {
    const NationalBorders national(nationalBorders);
    std::set<std::string> abroad;
    for (const SourceAirport& a : sources.airports)
        if (ForeignCode(a.icao) || national.Abroad({a.lat, -a.lon})) abroad.insert(a.icao);
    return abroad;
}

std::map<std::string, std::string> AirportStates(const std::vector<City>& cities,
                                                 const NavSources& sources,
                                                 const Polylines& stateBorders,
                                                 const Polylines& nationalBorders) {
    Polylines bothBorders = stateBorders;
    bothBorders.insert(bothBorders.end(), nationalBorders.begin(), nationalBorders.end());
    const BorderIndex stateLines(stateBorders), allLines(bothBorders);
    const NationalBorders national(nationalBorders);
    std::map<std::string, std::string> states;
    std::vector<std::pair<double, const City*>> near;
    for (const SourceAirport& a : sources.airports) {
        const Point at{a.lat, -a.lon};
        if (ForeignCode(a.icao) || national.Abroad(at)) continue;
        near.clear();
        for (const City& c : cities) {
            if (c.state == "AK" || c.state == "HI" || c.abroad) continue;  // outside the world
            const double km = Distance(a.lat, a.lon, c.lat, c.lon) / 1000.0;
            if (km <= kStateReachKm) near.emplace_back(km, &c);
        }
        std::sort(near.begin(), near.end());
        // A town reached without crossing any border; failing that (a field on the national
        // line, or one the border river's bends part from every town), without crossing a
        // state's.
        for (const BorderIndex* index : {&allLines, &stateLines}) {
            const auto reached = std::find_if(near.begin(), near.end(), [&](const auto& n) {
                return !index->Crossed(at, {n.second->lat, -n.second->lon});
            });
            if (reached != near.end()) {
                states[a.icao] = reached->second->state;
                break;
            }
        }
    }
    for (const auto& [code, state] : kStateAcrossTheRiver) {
        const auto found = states.find(code);
        if (found != states.end()) found->second = state;
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
