// What the flight model reads of the terrain and the magnetic grid: plain globals (declared in
// flight/flight_hooks.h) that the terrain code keeps current for the aircraft's position. Until
// the terrain is built they stay at their start values (flat ground at sea level, no variation).
#pragma once

#include <cstdint>

#include "flight/flight_hooks.h"

namespace world {

using flight::theMagneticVariation;
using flight::theSeaLevelTemp;
using flight::theTerrainDatum;
using flight::theTerrainHeight;
using flight::theGroundIsWater;
extern std::uint32_t theTerrainSampleRestart;

}  // namespace world
