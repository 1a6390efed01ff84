#include "flight/flight_hooks.h"

namespace flight {

std::int32_t theTerrainDatum = 0;
std::int32_t theTerrainHeight = 0;
std::uint8_t theGroundIsWater = 0;
std::int16_t theSeaLevelTemp = 3840;
std::int16_t theMagneticVariation = 0;

std::int16_t theWindAtAircraftX = 0;
std::int16_t theWindAtAircraftZ = 0;

std::uint8_t theFuelTankSelector = 2;
std::uint8_t theLeftEngineTankSelector = 1;
std::uint8_t theRightEngineTankSelector = 1;
std::int16_t theLeftMixtureLever = 31;
std::int16_t theRightConditionLever = 31;
std::int16_t theEngineSpeedDrop[2] = {0, 0};
std::uint32_t theEngineStarted = 0;
std::uint32_t theEngineRunning = 0;

AutopilotNavInput theAutopilotNavInput;

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
void Nothing() {}
void NothingWith(int) {}
}  // namespace

WeatherServices CalmWeatherServices() {
    return WeatherServices{&Steady, &Calm, &NoLayer};
}

WeatherServices theWeatherServices = CalmWeatherServices();

SoundServices SilentSoundServices() {
    return SoundServices{&Nothing, &Nothing,     &Nothing,    &Nothing,
                         &Nothing, &NothingWith, &NothingWith};
}

SoundServices theSoundServices = SilentSoundServices();

}  // namespace flight
