// The map of the United States that the positioning, flight-plan and cross-country dialogs
// embed. For now it answers the variation lookup at a point; the map's drawing joins it later.
#pragma once

#include <cstdint>

namespace nav {

// The two grid values at a point, 16-bit binary angles: a direction on the world grid is the
// magnetic direction plus both.
struct GridValues {
    std::int16_t variation = 0;  // the .mag tile
    std::int16_t north = 0;      // the .nor tile
};

class MapView {
public:
    // The grid values at a world point; a tile that is missing or short gives 0 for its part.
    [[nodiscard]] GridValues LookupGridValues(std::int32_t x, std::int32_t z);
};

extern MapView theMapView;

}  // namespace nav
