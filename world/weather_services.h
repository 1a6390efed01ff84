// What the flight model needs of the weather (declared in flight/flight_hooks.h): the wind at
// the aircraft for this step and the surface and layer values that pick the turbulence. The
// weather fills these in; until it exists the air is calm and has no wind layers.
#pragma once

#include "flight/flight_hooks.h"

namespace world {

using flight::CalmWeatherServices;
using flight::theWeatherServices;
using flight::theWindAtAircraftX;
using flight::theWindAtAircraftZ;
using flight::WeatherServices;

}  // namespace world
