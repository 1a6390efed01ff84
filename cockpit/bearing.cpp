#include "cockpit/bearing.h"

#include <cmath>

#include "flight/fixed_point.h"
#include "flight/flight_model_state.h"

namespace cockpit {

std::uint32_t theBearingRange = 0;

std::uint16_t VectorBearing(std::int64_t east, std::int64_t north) {
    // The arctangent takes 32-bit components; halving both keeps the direction of a longer
    // vector (the difference of two world positions needs 33 bits).
    while (east > INT32_MAX || east < INT32_MIN || north > INT32_MAX || north < INT32_MIN) {
        east /= 2;
        north /= 2;
    }
    return flight::FixedAtan2(static_cast<std::int32_t>(east), static_cast<std::int32_t>(north));
}

std::uint16_t BearingAndRangeFromAircraft(WorldPoint point, int isOffset) {
    std::int64_t east = point.x;
    std::int64_t north = point.z;
    if (isOffset == 0) {
        east = std::int64_t{flight::theFlightModelState.fmPosX} - point.x;
        north = std::int64_t{flight::theFlightModelState.fmPosZ} - point.z;
    }
    const double range = std::sqrt(static_cast<double>(east) * static_cast<double>(east) +
                                   static_cast<double>(north) * static_cast<double>(north));
    theBearingRange = range >= 4294967295.0 ? 0xFFFFFFFFu : static_cast<std::uint32_t>(range);
    return VectorBearing(east, north);
}

}  // namespace cockpit
