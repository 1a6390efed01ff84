// What the flight model needs of the weather: the wind at the aircraft for this step and the
// surface and layer values that pick the turbulence. The weather fills these in; until it
// exists the air is calm and has no wind layers.
#pragma once

#include <cstdint>

namespace world {

// Written once per flight step by the weather before the aircraft steps: the wind at the
// aircraft, east-west and north-south, 1/256 m/s.
extern std::int16_t theWindAtAircraftX;
extern std::int16_t theWindAtAircraftZ;

struct WeatherServices {
    int (*surfaceWindCharacter)();             // 0 steady, non-zero gusty
    int (*surfaceWindSpeed)();                 // knots, 0 calm
    double (*windLayerBottomFeet)(int index);  // layer 0..8; negative when the layer is absent
};

// The services in use; a test or the weather replaces the entries.
extern WeatherServices theWeatherServices;
// The calm defaults, for restoring.
[[nodiscard]] WeatherServices CalmWeatherServices();

}  // namespace world
