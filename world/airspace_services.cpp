#include "world/airspace_services.h"

#include "nav/lat_lon.h"

namespace world {

void WrapPositionToAirspace(std::int32_t& x, std::int32_t& z) {
    nav::WrapPositionToAirspace(x, z);
}

}  // namespace world
