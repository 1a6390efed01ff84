// The weather expected along a flight plan's route: one weather state per route station
// (departure, en route, destination), kept for the briefings. They are built with the default
// layers when the program starts and live until it ends; the planning code fills their winds
// from the plan's stations.
#pragma once

#include "world/weather_state.h"

namespace planning {

extern world::WeatherState theDepartureWeather;
extern world::WeatherState theEnrouteWeather;
extern world::WeatherState theDestinationWeather;

}  // namespace planning
