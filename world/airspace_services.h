// The edge of the covered world, as slew meets it.
#pragma once

#include <cstdint>

namespace world {

// Moves a flight-model position (1/256 m) that left the covered area to the opposite side; the
// projection code holds the limits and tells the main window through its wrap notice.
void WrapPositionToAirspace(std::int32_t& x, std::int32_t& z);

}  // namespace world
