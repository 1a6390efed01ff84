// The navigation log: a plan's legs as a pilot writes them on a cross-country log sheet
// (heading against the forecast wind, ground speed, distance, time and fuel, and what was flown),
// with the cruise true airspeed and fuel flow from the aircraft's published cruise table.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace planning {

class FlightPlan;
struct FlightPlanNode;
struct RouteWeatherStation;

inline constexpr std::uint16_t kNotKnown = 0xFFFF;
// The wind column of the logs' lists, wide enough for its heading "Winds(-HW)" in the dialogs'
// font between the header's margins.
inline constexpr int kWindsColumnWidth = 72;

struct NavLogRow {
    std::string fix;                       // the leg's first node
    std::int16_t magneticHeading = 0;      // 1..360
    std::int16_t windComponent = 0;        // along the course, a headwind negative
    std::int16_t groundSpeed = 0;          // knots; 0 when the wind stops the aircraft
    std::int32_t distance = 0;             // nautical miles, rounded
    std::int32_t remaining = 0;            // after the leg, truncated
    std::uint16_t estimatedMinutes = 0;    // 0 when there is no ground speed
    std::uint16_t actualMinutes = kNotKnown;
    std::uint16_t actualGroundSpeed = kNotKnown;
    std::uint16_t estimatedArrival = kNotKnown;  // minutes of day
    std::uint16_t actualArrival = kNotKnown;
    float legFuel = 0.0f;
    float fuelRemaining = 0.0f;
    float actualFuelRemaining = -1.0f;  // -1 not known
};

struct NavLog {
    std::string title = "No Flight Plan";
    std::int32_t cruiseAltitude = 0;
    std::int16_t power = 0;
    std::int16_t startingFuel = 0;
    std::uint16_t trueAirspeed = 0;
    float fuelFlow = 0.0f;  // gallons per hour (pistons) or pounds per hour (turbines)
    std::string departure;
    std::int32_t totalDistance = 0;
    std::int16_t totalHours = 0, totalMinutes = 0;
    std::int16_t departureHour = 0, departureMinute = 0;
    bool departed = false;  // the departure time holds only once the aircraft has left
    float totalFuel = 0.0f;
    std::vector<NavLogRow> rows;
};

// The log the planning pages and the log dialogs show; rebuilt by FlightPlan::BuildNavLog.
extern std::unique_ptr<NavLog> theNavLog;

// The aircraft's cruise true airspeed (rounded knots) and the whole aircraft's fuel flow (every
// engine's) at an altitude and power, interpolated in its table; values outside the table take its nearest edge. Type 5 and
// unknown types have neither (0, 0).
void LookupCruisePerformance(int type, std::int32_t altitudeFeet, int powerPercent,
                             std::uint16_t* trueAirspeed, float* fuelFlow);
// The fuel a plan starts with: gallons for the piston types (0 to 2), pounds for the turbines;
// 0 for type 5 and unknown types.
[[nodiscard]] std::int16_t StartingFuel(int type);
// The unit of a type's fuel flow as the logs print it: "%3.1f gph" or "%3.1f pph".
[[nodiscard]] const char* FuelFlowFormat(int type);
[[nodiscard]] double InterpolateLinear(double x0, double x1, double y0, double y1, double x);
// Whole degrees from north (0..360).
[[nodiscard]] int LegCourse(const FlightPlanNode& from, const FlightPlanNode& to);
// knots: trunc(sqrt(TAS^2 - W^2 + W^2 cos^2 d) - W cos d); 0 when the wind is the stronger.
[[nodiscard]] int WindCorrectedGroundSpeed(int course, int windDirection, int windSpeed,
                                           int trueAirspeed);
[[nodiscard]] double WindCorrectedHeading(int course, int windDirection, int windSpeed,
                                          int groundSpeed);
// The log's magnetic heading 1..360: the wind-corrected heading less `offset` (the grid's
// variation and north in degrees, plus 0.5), cut to a whole degree.
[[nodiscard]] int WindCorrectedMagneticHeading(int course, int windDirection, int windSpeed,
                                               int groundSpeed, double offset);
// The fuel a visual flight keeps at landing, in minutes of cruise: 30 by day, 45 when it takes
// off or lands at night (the sun more than 6 degrees below the horizon, past civil twilight), the
// flight departing now by the simulation's clock, landing after the log's time en route. Without
// that clock, by the plan's date and local time of departure; a plan without either is flown by day.
[[nodiscard]] int VfrReserveMinutes(const FlightPlan& plan, const NavLog& log);
// The simulation's clock: the moment it reads now (seconds since 1970-01-01 UTC). The simulation
// sets it as it starts.
using SimulationClock = std::int64_t (*)();
void SetSimulationClock(SimulationClock clock);
// The clock of a place: the moment (seconds since 1970-01-01 UTC) a wall-clock time there names
// (local seconds since 1970-01-01 read as if UTC; longitude positive WEST). The simulation sets
// it as it starts; unset, a place keeps its mean solar time (its longitude over 15 degrees).
using PlaceClock = std::int64_t (*)(double lat, double lonWest, std::int64_t localSeconds);
void SetPlaceClock(PlaceClock clock);
// The sun's height above the horizon (degrees) at a place (longitude positive WEST) and moment
// (seconds since 1970-01-01 UTC).
[[nodiscard]] double SunElevation(double lat, double lonWest, std::int64_t utcSeconds);
// The wind band (direction as a binary angle, speed in knots) of a station at an altitude.
void PickCruiseWindBand(const RouteWeatherStation& station, std::int32_t altitudeFeet,
                        std::int32_t* direction, std::int32_t* speed);

}  // namespace planning
