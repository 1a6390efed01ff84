// The world accessors the flight step and the aircraft need (slew, the terrain refresh, the
// time-acceleration index, the view, the terrain window, the throttle command, the shape cache,
// the runways). The world singleton installs its own when it is built; the defaults describe a
// world that never slews, refreshes nothing, runs at normal speed, has no shapes and is one
// flat runway everywhere (the flight model's own tests take off and land wherever they are).
#pragma once

namespace ts {
class TSShape;
}

namespace flight {

struct FlightWorldServices {
    int (*isSlewing)();
    void (*slewStep)();
    void (*refreshTerrain)();
    int (*timeAcceleration)();  // the speed-up exponent k, 0..4
    int (*viewMode)();          // 0 and 1 cockpit views, 2 to 5 outside views
    int (*lookDirection)();     // 0 forward, 1 to 7 round the aircraft, 8 down
    void (*terrainWindowOrigin)(float out[2]);
    void (*throttleDown)();                         // the "ThrottleDown" command
    int (*loadFlight)(const char* name, int flag);  // a saved flight from "Flights"; 1 or 0
    // The world's shape cache: a shared shape by name from the aircraft shapes' folder (null
    // when missing), and its release.
    ts::TSShape* (*acquireShape)(const char* name);
    void (*releaseShape)(ts::TSShape* shape);
    // 1 where the ground under the aircraft is a runway's (with the margin round it that a
    // landing may stray onto), 0 over open country.
    int (*groundIsRunway)();
};

extern FlightWorldServices theFlightWorldServices;
[[nodiscard]] FlightWorldServices DefaultFlightWorldServices();

}  // namespace flight
