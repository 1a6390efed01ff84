// Which route weather station holds where, and the moments the world's weather follows the
// plan: after a plan is loaded or restored, and when sequencing moves into another station's
// area.
#include "planning/route_weather.h"

#include <algorithm>
#include <cmath>

#include "planning/planning_services.h"
#include "sim/sim_world.h"
#include "win/program_entry.h"

namespace planning {

world::WeatherState theDepartureWeather;
world::WeatherState theEnrouteWeather;
world::WeatherState theDestinationWeather;

namespace {

double MilesBetween(const FlightPlanNode& a, const FlightPlanNode& b) {
    const double dx = (static_cast<double>(b.x) - a.x) * kNauticalMilesPerUnit;
    const double dz = (static_cast<double>(b.y) - a.y) * kNauticalMilesPerUnit;
    return std::sqrt(dx * dx + dz * dz);
}

}  // namespace

int PickLegWeatherArea(const FlightPlan& plan, int point) {
    const int count = std::min(plan.nodeCount, kMaxPlanNodes);
    if (count <= 0) return 0;
    const FlightPlanNode& at = plan.nodes[static_cast<std::size_t>(std::clamp(point, 0, count - 1))];
    if (plan.departureRadius > MilesBetween(plan.nodes[0], at)) return 0;
    if (plan.destinationRadius > MilesBetween(at, plan.nodes[static_cast<std::size_t>(count - 1)]))
        return 2;
    return 1;
}

const RouteWeatherStation& RouteStation(const FlightPlan& plan, int area) {
    return area == 0   ? plan.environment.departure
           : area == 2 ? plan.environment.destination
                       : plan.environment.enRoute;
}

void FlightPlan::UpdateLegWeather() {
    const int c = currentNode;
    if (c < 0 || c >= static_cast<std::int16_t>(nodeCount) || c >= kMaxPlanNodes) return;
    const int area = PickLegWeatherArea(*this, c);
    // Within one area the weather is not put back: the user may have changed it.
    if (c > 0 && PickLegWeatherArea(*this, c - 1) == area) return;
    static const char* const kAreas[3] = {"departure", "en route", "destination"};
    win::TraceLine(std::string("plan: weather ") + kAreas[area]);
    sim::theSimWorld.UpdateCloudLayers();
}

void FlightPlan::ApplyRouteWeather() {
    if (FlightPlan* world = sim::theSimWorld.GetFlightPlan()) world->UpdateLegWeather();
}

}  // namespace planning
