// Level flight found by flying the flight model: the in-air flights the installation ships start
// from it, so that an aircraft loaded in the air flies on level, hands off, at the speed its power
// gives.
#pragma once

#include <cstdint>

namespace flight {

struct LevelFlightRequest {
    int type = 0;                 // aircraft type 0..4
    double altitudeFeet = 3000;   // above the ground under the aircraft
    double indicatedKnots = 0;    // a speed to hold with the throttle; 0 flies the throttle below
    std::int16_t throttle = 0;    // throttle word of every engine when no speed is asked for
    std::int16_t mixtureLever = 31;  // mixture (the King Air's condition) levers, 0..31
    int flaps = 0;                // flap notch
    bool gearDown = true;
    std::uint16_t heading = 0;    // true heading, binary angle
    // A steady descent (negative) or climb to trim for instead of level flight, feet a minute:
    // the flight is left at the request's height on that path, trimmed to stay on it.
    double climbFeetPerMinute = 0;
};

struct LevelFlightTrim {
    bool trimmed = false;          // holds its altitude (or path) within kTrimToleranceFeet hands off
    double worstDeviationFeet = 0;  // over the hands-off check
    double indicatedKnots = 0;
    std::int16_t throttle = 0;
    std::int16_t elevator = 0;     // the trimmed elevator, the flight's elevator trim
};

// How far a trimmed aircraft may stray from its height in the hands-off check.
inline constexpr double kTrimToleranceFeet = 50.0;
// The hands-off check's length.
inline constexpr double kTrimCheckSeconds = 60.0;

// Leaves `flight::theFlightModelState` in trimmed level flight at the request's height, engines
// running, autopilot off, and the cockpit's mixture levers as asked. Thrust is first balanced
// against drag on the model's own forces (the throttle for the asked speed, or the speed for the
// asked throttle); the altitude hold then flies the aircraft until its speed settles (the throttle
// corrected until the asked speed holds), and the elevator is refined, flying hands off, until the
// height holds. The experiment runs over flat calm ground at sea level; the world's services it
// borrows are put back, the cockpit's are left reset (with the mixture levers asked for).
// Without a level flight (a wing that cannot carry the weight, a throttle too weak to hold the
// height) the result says it is not trimmed.
LevelFlightTrim TrimForLevelFlight(const LevelFlightRequest& request);

// An in-air flight trimmed over sea level and moved to another height keeps its indicated
// airspeed, but its engines give a different share of their power there: it climbs or descends
// more steeply or more shallowly than it did. Finds the throttles with which the flight as it is
// placed, flown hands off in the air where it now is (calm), follows the straight path that
// descends `feetToDescend` (negative: climbs) over the next `feetAlong` of ground (the same slope
// over 20 seconds' flight at the least, five minutes' at the most), flying copies of it: each
// copy is flown until it has covered the way, so the path's end is where the aircraft gets there
// whatever its speed does meanwhile. The flight is left as it was but for the throttles (the
// best found, or as they were when none comes nearer the path's end) and, where even those
// leave it below the path (the engines short of the power in thin air), the elevator trim that
// holds the path at a lower speed. Gives whether they end the path within kPathToleranceFeet.
inline constexpr double kPathToleranceFeet = 8.0;
bool RetrimThrottleForPath(double feetToDescend, double feetAlong);

// The same for level flight at the height the flight is placed at, over the next `seconds`
// (20 s to five minutes).
bool RetrimThrottleForLevelFlight(double seconds);
// How long an in-air start placed level is trimmed to hold its height.
inline constexpr double kLevelStartSeconds = 120.0;

}  // namespace flight
