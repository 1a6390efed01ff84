// The heading offset at the aircraft, as the frame painter leaves it each frame: the magnetic
// grid's variation part and north part and their 16-bit sum (a world-grid direction = magnetic
// direction + offset). The radios, the compass and air traffic control read it.
#pragma once

#include <cstdint>

namespace nav {

extern std::int16_t theMagGridValue;    // the ".mag" value (binary angle)
extern std::int16_t theNorGridValue;    // the ".nor" value (binary angle)
extern std::int16_t theMagneticOffset;  // their sum

}  // namespace nav
