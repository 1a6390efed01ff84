// The civil time zone of a place in North America and the Caribbean, from its latitude and
// longitude: the zone's name in the system's time-zone database and the name a pilot says. The
// boundaries are those a pilot meets, drawn roughly (to a few miles), with the well-known
// departures from the plain north-south lines. The offsets and daylight rules of a zone on a date
// are the database's, read through the date library, never written here.
#pragma once

#include <cstdint>
#include <string>

namespace sim {

struct PlaceZone {
    const char* id = "America/New_York";  // the zone in the time-zone database
    const char* name = "Eastern";          // "Eastern", "Central", "Atlantic", ...
};

// Latitude positive north, longitude positive WEST (degrees).
[[nodiscard]] PlaceZone ZoneOfPlace(double lat, double lonWest);

// A zone at one moment.
struct ZoneMoment {
    int secondsBehind = 0;  // behind UTC: Eastern Standard Time 18000
    bool daylight = false;  // daylight (summer) time in force
};

// The zone's offset at a moment (seconds since 1970-01-01 UTC). A zone the system's database
// does not hold reads as the place's mean solar hour (its longitude over 15, rounded).
[[nodiscard]] ZoneMoment ZoneAt(const PlaceZone& zone, std::int64_t utcSeconds,
                                double lonWest = 0.0);

// The moment a wall-clock time of the zone names (local seconds since 1970-01-01 read as if
// UTC). A time the spring-forward gap skips reads as a clock set forward over the gap does
// (02:30 becomes 03:30 daylight time); a time the fall-back hour repeats reads as the first.
[[nodiscard]] std::int64_t LocalToUtc(const PlaceZone& zone, std::int64_t localSeconds,
                                      double lonWest = 0.0);

}  // namespace sim
