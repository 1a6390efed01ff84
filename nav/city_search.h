// The airport lists' search by city: a typed city's name ("las vegas", "St. Louis, MO", "jackson
// mississippi") gives the airports a pilot means by it, best first, from the installation's list
// of cities that the data maker ranks.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace nav {

// The list's member of the navigation volume: a line a city, "name|state|state name|codes", the
// codes best first and apart by spaces, the most populous city first.
inline constexpr char kCityAirportsMember[] = "cities.txt";

// The words of a name as a search compares them: lower case letters and digits, anything else
// apart; "st" reads "saint", "ft" "fort" and "mt" "mount".
[[nodiscard]] std::vector<std::string> CityWords(std::string_view text);

// The airports of the first city of `list` that `typed` names: its name alone, or followed by its
// state's code or name, or by "city"; empty when it names none.
[[nodiscard]] std::vector<std::string> AirportsOfCity(std::string_view list,
                                                      std::string_view typed);

// Whether `typed` names a place rather than an airport: a city of `list` (with its airports or
// with none, as a city outside the world), or any name followed by a listed state's code or name.
// An airport elsewhere whose name begins so is not what was meant.
[[nodiscard]] bool NamesAPlaceOnly(std::string_view list, std::string_view typed);

// The same from the installation's list (read once).
[[nodiscard]] std::vector<std::string> AirportsOfTypedCity(std::string_view typed);
[[nodiscard]] bool TypedNamesAPlaceOnly(std::string_view typed);

}  // namespace nav
