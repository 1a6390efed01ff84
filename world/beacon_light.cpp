#include "world/beacon_light.h"

#include "core/numeric.h"

namespace world {

void BeaconLight::DrawIntervals() {
    interval[0] = static_cast<std::int16_t>(6 + (core::rand() & 1));
    interval[1] = static_cast<std::int16_t>(12 + (core::rand() & 3));
    phase = 1;
}

}  // namespace world
