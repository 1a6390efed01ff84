// The world accessors the flight step needs (slew, the terrain refresh, the time-acceleration
// index). The world singleton installs its own when it is built; the defaults describe a world
// that never slews, refreshes nothing and runs at normal speed.
#pragma once

namespace sim {

struct FlightWorldServices {
    int (*isSlewing)();
    void (*slewStep)();
    void (*refreshTerrain)();
    int (*timeAcceleration)();  // the speed-up exponent k, 0..4
};

extern FlightWorldServices theFlightWorldServices;
[[nodiscard]] FlightWorldServices DefaultFlightWorldServices();

}  // namespace sim
