// The weather expected along a plan: which of its three stations (departure, en route,
// destination) holds at a point of the route, the units the stations keep, and one weather
// state per route station kept for the briefings (built with the default layers when the
// program starts, living until it ends).
#pragma once

#include <cstdint>

#include "core/numeric.h"
#include "world/weather_state.h"

namespace planning {

class FlightPlan;
struct RouteWeatherStation;

// Nautical miles per world unit, as the plans measure distances.
inline constexpr double kNauticalMilesPerUnit = 2.110635843197466e-6;

// Truncating, and held to the 32-bit range (plan files hold their heights to a physical range;
// this keeps any other caller's conversion defined).
[[nodiscard]] inline std::int32_t MetresToFeet(std::int32_t m) {
    return core::ClampToInt32(m * 3.2808);
}
[[nodiscard]] inline std::int32_t FeetToMetres(std::int32_t ft) {
    return static_cast<std::int32_t>(ft * 0.3048);
}

// 0 departure, 1 en route, 2 destination: the station that holds at node `point`. The
// departure's holds strictly inside its radius of the first node, then the destination's
// inside its radius of the last.
[[nodiscard]] int PickLegWeatherArea(const FlightPlan& plan, int point);
[[nodiscard]] const RouteWeatherStation& RouteStation(const FlightPlan& plan, int area);

// A station's winds into the nine wind layers: the surface wind into layer 0, aloft layers
// below the station's surface band calm, the others the band their middle lies in.
void ApplyStationWinds(const RouteWeatherStation& station, world::WeatherState& weather);
// A station's first cloud deck into the three cloud layers: one deck spanning several of the
// fixed base ranges becomes up to three stacked layers with one cover (at most 5 above
// 20,000 ft).
void ApplyStationClouds(const RouteWeatherStation& station, world::WeatherState& weather);

extern world::WeatherState theDepartureWeather;
extern world::WeatherState theEnrouteWeather;
extern world::WeatherState theDestinationWeather;

}  // namespace planning
