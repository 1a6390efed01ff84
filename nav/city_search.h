// The airport lists' search by city: a typed city's name ("las vegas", "St. Louis, MO", "jackson
// mississippi") gives the airports a pilot means by it, best first, from the installation's list
// of cities that the data maker ranks.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace nav {

// The list's member of the navigation volume: a line a city, "name|state|state name|codes", the
// codes best first and apart by spaces, the most populous city first.
inline constexpr char kCityAirportsMember[] = "cities.txt";
// Each airport's state, as the data maker finds it from the listed towns near it: a line an
// airport, "code|state"; an airport outside the states, or far from every town, is not listed.
inline constexpr char kAirportStatesMember[] = "aptstate.txt";

// The words of a name as a search compares them: lower case letters and digits, anything else
// apart but an apostrophe, which is left out; "st" reads "saint", "ft" "fort" and "mt" "mount".
[[nodiscard]] std::vector<std::string> CityWords(std::string_view text);

// The airports of the first city of `list` that `typed` names: its name alone, or followed by its
// state's code or name, or by "city"; empty when it names none.
[[nodiscard]] std::vector<std::string> AirportsOfCity(std::string_view list,
                                                      std::string_view typed);

// Whether `typed` names a place rather than an airport: a city of `list` (with its airports or
// with none, as a city outside the world), or any name followed by a listed state's code or name.
// An airport elsewhere whose name begins so is not what was meant.
[[nodiscard]] bool NamesAPlaceOnly(std::string_view list, std::string_view typed);

// A place typed with a state: `typed` ends with the code or name of a state of `list` after at
// least one word ("san carlos ca", "vail colorado"); the words before it, and the state's code.
[[nodiscard]] bool PlaceWithState(std::string_view list, std::string_view typed,
                                  std::vector<std::string>* place, std::string* state);

// Airports' states read from lines of "code|state", by code.
using AirportStateTable = std::map<std::string, std::string, std::less<>>;
[[nodiscard]] AirportStateTable ReadAirportStates(std::string_view states);
// The state of airport `code` in a table, or in the lines themselves; empty when not listed.
[[nodiscard]] std::string StateOfAirport(const AirportStateTable& table, std::string_view code);
[[nodiscard]] std::string StateOfAirport(std::string_view states, std::string_view code);

// The same from the installation's lists (read once).
[[nodiscard]] std::vector<std::string> AirportsOfTypedCity(std::string_view typed);
[[nodiscard]] bool TypedPlaceWithState(std::string_view typed, std::vector<std::string>* place,
                                       std::string* state);
[[nodiscard]] std::string StateOfListedAirport(std::string_view code);

}  // namespace nav
