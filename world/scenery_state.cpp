#include "world/scenery_state.h"

#include "core/ini_file.h"

namespace world {

std::uint32_t theFlightStepCounter = 0;

namespace {
std::uint32_t theRunwayLightMask = 1;
}  // namespace

int WeatherState::LoadIni(core::IniFile&) {
    return 1;
}

int WeatherState::SaveIni(core::IniFile&) {
    return 1;
}

float DayCurveLight(int hour, int minute, int second) {
    const float h = static_cast<float>(hour) + static_cast<float>(minute) / 60.0f +
                    static_cast<float>(second) / 3600.0f;
    if (h < 5.0f || h >= 19.0f) return 0.0f;
    if (h < 8.0f) return (h - 5.0f) / 3.0f;
    if (h <= 16.0f) return 1.0f;
    return (19.0f - h) / 3.0f;
}

void Sky::PlaceForLocalTime(int hour, int minute, int second) {
    ambient = DayCurveLight(hour, minute, second);
}

void StepRunwayLightMask() {
    theRunwayLightMask = (theRunwayLightMask << 1) | (theRunwayLightMask >> 31);
}

}  // namespace world
