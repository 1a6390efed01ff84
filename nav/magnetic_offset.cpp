#include "nav/magnetic_offset.h"

namespace nav {

std::int16_t theMagGridValue = 0;
std::int16_t theNorGridValue = 0;
std::int16_t theMagneticOffset = 0;

}  // namespace nav
