#include "world/terrain_services.h"

namespace world {

std::int32_t theTerrainDatum = 0;
std::int32_t theTerrainHeight = 0;
std::int16_t theSeaLevelTemp = 3840;
std::int16_t theMagneticVariation = 0;
std::uint32_t theTerrainSampleRestart = 0;

}  // namespace world
