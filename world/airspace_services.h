// The edge of the covered world, as slew meets it.
#pragma once

#include <cstdint>

namespace world {

// Moves a flight-model position (1/256 m) that left the covered area to the opposite side. This
// first body leaves every position as it is; the terrain code gives it the world's extent.
void WrapPositionToAirspace(std::int32_t& x, std::int32_t& z);

}  // namespace world
