// Bearings and ranges on the world plane, which the navigation receivers, the reception checks,
// the traffic aircraft and ATC share: a bearing is a 16-bit binary angle (65536 = 360 degrees)
// counted clockwise from the world's north (+z).
#pragma once

#include <cstdint>

namespace cockpit {

struct WorldPoint {
    std::int32_t x = 0;  // east
    std::int32_t z = 0;  // north
};

// The bearing of an offset (east, north) through the flight model's fixed-point arctangent; 0
// for a zero offset.
[[nodiscard]] std::uint16_t VectorBearing(std::int64_t east, std::int64_t north);

// With `isOffset` 0, the bearing of the aircraft seen from `point` (the vector aircraft position
// minus point: the radial from the point); otherwise the bearing of `point` taken as an offset.
// The straight-line length of the vector goes to theBearingRange.
std::uint16_t BearingAndRangeFromAircraft(WorldPoint point, int isOffset);

// The range of the last BearingAndRangeFromAircraft, in world units (1/256 m), held at
// 0xFFFFFFFF for vectors longer than that.
extern std::uint32_t theBearingRange;

}  // namespace cockpit
