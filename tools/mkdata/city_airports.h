// The airports a pilot means by a city's name, for the airport lists' search by city: each city
// of data/places-us/cities.csv with the airports near it, best first.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "nav/map_outline.h"
#include "tools/mkdata/navigation_sources.h"

namespace mkdata {

struct City {
    std::string name, state, stateName;
    double lat = 0, lon = 0;
    // A city beyond the borders (its "state" a province's or a country's code): its airports
    // are those of its own country.
    bool abroad = false;
    // A city beyond the borders that is its nation's capital.
    bool nationsCapital = false;
    // The city's airline airport where the row names it (the code of a field beyond the
    // borders whose name may be none of the city's): the city's first airport.
    std::string airport;
};

// The cities of data/places-us/cities.csv, most populous first. A row without its source, or
// whose numbers do not read, or whose airport is no code, stops the maker, naming the file's
// line.
int ReadCities(const std::string& dataDir, std::vector<City>* cities, std::string* error);

// The airports a city's name means, best first (at most three), among the land airports of our
// country within 60 km that are open (`abroad`: the codes of those beyond the national borders),
// the airline airport its row names first:
//  1. its own towered airports: those whose name holds the city's (and no longer name of a listed
//     city: North Las Vegas's field is not Las Vegas's), and the airline airports of Class B or C
//     whose airspace area names the city ("Fort Myers FL", "Dallas-Fort Worth TX"), or, for a
//     city beyond the borders, whose tower answers to its name ("MONTERREY TWR"); the airline
//     airports first, a Class B one counting as near as a tenth of its way, a Class C one a
//     seventh, so O'Hare 25 km from Chicago's centre comes before the lakefront field; but an
//     airline airport named first for another city ("Minneapolis St Paul Intl", "Dallas Love
//     Field" for Fort Worth) counts by its way alone, so St Paul's and Fort Worth's own fields
//     come first;
//  2. its own untowered fields of a four-letter code within 20 km (Burlington's, Greenville's);
//  3. the other civil fields, the nearest first, so that a town without a field of its own selects
//     the nearest that serves it, not the metro's airline airport 50 km off: a towered one by its
//     way; an untowered public one (a four-letter code, or the three characters public fields
//     are given; a private strip's code has four, with digits) within 40 km as if half again as
//     far when it is the town's own (Homestead's), twice when of a four-letter code, three times
//     when of three characters;
//  4. military fields (an air force base, a naval air station...), where no pilot of ours lands.
std::vector<std::string> RankCityAirports(const City& city, const std::vector<City>& cities,
                                          const NavSources& sources,
                                          const std::set<std::string>& abroad);

// The installation's list: a line a city, "name|state|state name|code code code", the nations'
// capitals beyond the borders first (Canada's Ottawa before the Kansas town), then the rest in
// the order read; a city with no airport near ("name|state|state name|") is listed, so that
// typing it selects nothing.
std::string CityAirportsText(const std::vector<City>& cities, const NavSources& sources,
                             const std::set<std::string>& abroad);

// The polylines of a file of data/outlines-us ("lon lat" lines, each polyline opened by a line
// starting with '>'), longitudes positive west. An unreadable point stops the maker, naming the
// file's line.
int ReadPolylines(const std::string& path, std::vector<std::vector<nav::MapOutlinePoint>>* out,
                  std::string* error);

// Each airport's state: that of the nearest listed town (within kStateReachKm) that a straight
// line reaches without crossing a state border, so a field across a river from the town it
// serves takes its own side's state. A field of another country (a four-letter code not
// beginning with K or P, or one beyond the national borders, drawn on out to sea so that an
// island's or a bay's field falls on its own country's side), or one far from any listed town,
// has none. `stateBorders` and `nationalBorders` are the borders' polylines.
inline constexpr double kStateReachKm = 300;
std::map<std::string, std::string> AirportStates(
    const std::vector<City>& cities, const NavSources& sources,
    const std::vector<std::vector<nav::MapOutlinePoint>>& stateBorders,
    const std::vector<std::vector<nav::MapOutlinePoint>>& nationalBorders);

// The codes of the airports of other countries: a four-letter code not beginning with K or P, or
// a field beyond the national borders drawn on out to sea (see AirportStates).
std::set<std::string> AirportsAbroad(
    const NavSources& sources,
    const std::vector<std::vector<nav::MapOutlinePoint>>& nationalBorders);

// The installation's list of them: a line an airport, "code|state", by code; an airport without a
// state is not listed.
std::string AirportStatesText(const std::map<std::string, std::string>& states);

}  // namespace mkdata
