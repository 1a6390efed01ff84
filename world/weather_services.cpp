#include "world/weather_services.h"

namespace world {

std::int16_t theWindAtAircraftX = 0;
std::int16_t theWindAtAircraftZ = 0;

namespace {
int Steady() {
    return 0;
}
int Calm() {
    return 0;
}
double NoLayer(int) {
    return -1.0;
}
}  // namespace

WeatherServices CalmWeatherServices() {
    return WeatherServices{&Steady, &Calm, &NoLayer};
}

WeatherServices theWeatherServices = CalmWeatherServices();

}  // namespace world
