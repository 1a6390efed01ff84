#include "planning/route_weather.h"

namespace planning {

world::WeatherState theDepartureWeather;
world::WeatherState theEnrouteWeather;
world::WeatherState theDestinationWeather;

}  // namespace planning
