#include "world/terrain_services.h"

namespace world {

std::uint32_t theTerrainSampleRestart = 0;

}  // namespace world
