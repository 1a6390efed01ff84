#include "world/scenery_state.h"

namespace world {

std::uint32_t theFlightStepCounter = 0;

}  // namespace world
