// The airports a pilot means by a city's name, for the airport lists' search by city: each city
// of data/places-us/cities.csv with the airports near it, best first.
#pragma once

#include <string>
#include <vector>

#include "tools/mkdata/navigation_sources.h"

namespace mkdata {

struct City {
    std::string name, state, stateName;
    double lat = 0, lon = 0;
};

// The cities of data/places-us/cities.csv, most populous first. A row without its source, or
// whose numbers do not read, stops the maker, naming the file's line.
int ReadCities(const std::string& dataDir, std::vector<City>* cities, std::string* error);

// The airports a city's name means, best first (at most three): the towered land airports within
// 60 km, the airports of the airline traffic (Class B and C) before the fields about the city:
// a Class B airport counts as near as a tenth of its way, a Class C one as a seventh. So O'Hare
// 25 km from Chicago's centre comes before Meigs Field 4 km away, St. Louis Lambert 19 km out
// before the downtown field 7 km out, while Burbank's own Class C field 5 km away comes before
// Los Angeles International 28 km away, and Oakland's 11 km away before San Francisco's 22 km
// away. A military field counts ten times its way. A city without a tower near has its nearest
// airport of a four-letter code within 40 km.
std::vector<std::string> RankCityAirports(const City& city, const NavSources& sources);

// The installation's list: a line a city, "name|state|state name|code code code", most populous
// first; a city with no airport near is left out.
std::string CityAirportsText(const std::vector<City>& cities, const NavSources& sources);

}  // namespace mkdata
