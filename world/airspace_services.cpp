#include "world/airspace_services.h"

namespace world {

void WrapPositionToAirspace(std::int32_t&, std::int32_t&) {}

}  // namespace world
