// The world-and-scenery objects the world singleton owns, as far as the simulation's spine uses
// them: the weather (weather_state.h), the sky (sky.h), the cloud decks (cloud_layers.h), the
// runway light step and the flight-step counter (the graphics profiles live in
// scenery_settings.h).
#pragma once

#include <cstdint>

#include "world/cloud_layers.h"
#include "world/runway_geometry.h"
#include "world/sky.h"
#include "world/weather_state.h"

namespace core {
class IniFile;
}

namespace world {

// The clock of the animated scenery objects: flight steps since start.
extern std::uint32_t theFlightStepCounter;

}  // namespace world
