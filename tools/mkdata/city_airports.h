// The airports a pilot means by a city's name, for the airport lists' search by city: each city
// of data/places-us/cities.csv with the airports near it, best first.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "nav/map_outline.h"
#include "tools/mkdata/navigation_sources.h"

namespace mkdata {

struct City {
    std::string name, state, stateName;
    double lat = 0, lon = 0;
};

// The cities of data/places-us/cities.csv, most populous first. A row without its source, or
// whose numbers do not read, stops the maker, naming the file's line.
int ReadCities(const std::string& dataDir, std::vector<City>* cities, std::string* error);

// The airports a city's name means, best first (at most three), among the land airports within
// 60 km that are open:
//  1. its own towered airports: those whose name holds the city's (and no longer name of a listed
//     city: North Las Vegas's field is not Las Vegas's), and the airline airports of Class B or C
//     whose airspace area names the city ("Fort Myers FL", "Dallas-Fort Worth TX"); the airline
//     airports first, a Class B one counting as near as a tenth of its way, a Class C one a
//     seventh, so O'Hare 25 km from Chicago's centre comes before the lakefront field; but an
//     airline airport named first for another city ("Minneapolis St Paul Intl") counts by its
//     way alone, so St Paul's own downtown field comes first;
//  2. its own untowered fields of a four-letter code within 20 km (Burlington's, Greenville's);
//  3. the other civil fields: a towered one by its way, the airline airport of a neighbouring
//     city as near as a tenth (B) or a seventh (C) of its way past 12 km, so a towered field in
//     the city comes first but the airline airport before fields farther out; an untowered field
//     of a four-letter code within 40 km as if twice as far;
//  4. military fields (an air force base, a naval air station...), where no pilot of ours lands.
std::vector<std::string> RankCityAirports(const City& city, const std::vector<City>& cities,
                                          const NavSources& sources);

// The installation's list: a line a city, "name|state|state name|code code code", most populous
// first; a city with no airport near ("name|state|state name|") is listed, so that typing it
// selects nothing.
std::string CityAirportsText(const std::vector<City>& cities, const NavSources& sources);

// The polylines of a file of data/outlines-us ("lon lat" lines, each polyline opened by a line
// starting with '>'), longitudes positive west. An unreadable point stops the maker, naming the
// file's line.
int ReadPolylines(const std::string& path, std::vector<std::vector<nav::MapOutlinePoint>>* out,
                  std::string* error);

// Each airport's state: that of the nearest listed town (within kStateReachKm) that a straight
// line reaches without crossing a state or national border, so a field across a river from the
// town it serves takes its own side's state. A field of another country (a four-letter code not
// beginning with K or P, or one that reaches no town without crossing the national border), or one
// far from any listed town, has none. `borders` are the state and national borders' polylines.
inline constexpr double kStateReachKm = 300;
std::map<std::string, std::string> AirportStates(
    const std::vector<City>& cities, const NavSources& sources,
    const std::vector<std::vector<nav::MapOutlinePoint>>& borders);

// The installation's list of them: a line an airport, "code|state", by code; an airport without a
// state is not listed.
std::string AirportStatesText(const std::map<std::string, std::string>& states);

}  // namespace mkdata
