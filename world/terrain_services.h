// What the flight model reads of the terrain and the magnetic grid: plain globals that the
// terrain code keeps current for the aircraft's position. Until the terrain is built they stay
// at their start values (flat ground at sea level, no variation).
#pragma once

#include <cstdint>

namespace world {

extern std::int32_t theTerrainDatum;       // 1/256 m; altitude above sea level = fmPosY + datum
extern std::int32_t theTerrainHeight;      // 1/256 m above the datum, under the aircraft
extern std::int16_t theSeaLevelTemp;       // 1/256 degree Celsius (3840 = 15 degrees)
extern std::int16_t theMagneticVariation;  // binary angle, true = magnetic + variation
extern std::uint32_t theTerrainSampleRestart;

// The whole-metre word of the datum, read on its own by the altitude tables.
[[nodiscard]] inline std::int32_t TerrainDatumMetres() {
    return theTerrainDatum >> 8;
}

}  // namespace world
