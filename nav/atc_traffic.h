// The two traffic aircraft the ATC keeps in the pattern with the user: their records (the
// world's TrafficAircraft with the ATC's call and voice), their start, their destinations and
// the fields the situation section saves.
#pragma once

#include <cstdint>

namespace nav {

// The saved fields of traffic aircraft n, by the keys' order.
struct AtcTrafficFields {
    std::uint16_t* number;
    std::uint16_t* place;
    std::int16_t* call;
    std::int16_t* voice;
    std::int32_t* destX;  // map units
    std::int32_t* destY;
    std::int32_t* locX;
    std::int32_t* locY;
    std::int32_t* distance;
    double* angle;
    std::uint32_t* active;
    std::uint32_t* model;  // not saved: a loaded flight's traffic gets new models
};
[[nodiscard]] AtcTrafficFields AtcTrafficFieldsOf(int n);
// The places loaded from a situation are all pattern places (0 for none, 3..10).
[[nodiscard]] bool AtcTrafficPlacesValid();
// A traffic aircraft is at `place`.
[[nodiscard]] bool AtcTrafficHolds(int place);
// Whether a traffic aircraft at `place` is within `distance` (map units) of the point it flies to
// next: on base (8), how near it is to turning final.
[[nodiscard]] bool AtcTrafficNearing(int place, double distance);
// Whether a traffic aircraft on base (8) or final (9) would land within `seconds` flying on as
// it does: a departure cleared now would still be rolling when it touches down.
[[nodiscard]] bool AtcTrafficLandsWithin(double seconds);
// Each aircraft gets its number and voice and a new model, sector and start place.
void AtcSpawnTraffic();
// New destinations for both: anywhere among 4..8 (from 0 or less), or among the places reached
// from the user's start place.
void AtcTrafficChooseDestinations(int from);
// The circuit the traffic flies: the runway, the side, the altitudes and the place table, from
// the ATC's pattern.
void AtcPublishCircuit();
[[nodiscard]] int AtcTrafficPlace(int aircraft);
[[nodiscard]] int AtcTrafficModel(int aircraft);

}  // namespace nav
