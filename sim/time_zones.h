// The civil time zone of a place in the United States and its neighbours, from its latitude and
// longitude: the zone's standard hours behind UTC, whether the place keeps daylight time, and
// the zone's name. The boundaries are those a pilot meets, drawn roughly (to a few miles), with
// the well-known departures from the plain north-south lines.
#pragma once

#include <string>

namespace sim {

struct PlaceZone {
    int standardHours = 5;  // hours behind UTC in standard time (Eastern is 5)
    bool keepsDaylightTime = true;
    const char* name = "Eastern";  // "Eastern", "Central", ...
};

// Latitude positive north, longitude positive WEST (degrees).
[[nodiscard]] PlaceZone ZoneOfPlace(double lat, double lonWest);

}  // namespace sim
