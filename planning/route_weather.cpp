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

void ApplyStationWinds(const RouteWeatherStation& s, world::WeatherState& weather) {
    world::WindLayer& surface = *weather.GetWindLayer(0);
    surface.SetDirection(static_cast<std::int32_t>(static_cast<std::uint16_t>(s.WsDir) / 182u));
    surface.SetSpeed(s.WsVel);
    int k = 1;
    for (; k < world::kWindLayers; ++k) {
        world::WindLayer& layer = *weather.GetWindLayer(k);
        if (layer.GetBottomAltitude() >= MetresToFeet(s.WsBase) + 100) break;
        layer.SetDirection(0);
        layer.SetSpeed(0);
        layer.SetGustSpeed(0);
    }
    struct Band {
        std::int32_t top, direction, speed;
    };
    const Band bands[4] = {{MetresToFeet(s.WsTop), s.WsDir, s.WsVel},
                           {MetresToFeet(s.W1Top), s.W1Dir, s.W1Vel},
                           {MetresToFeet(s.W2Top), s.W2Dir, s.W2Vel},
                           {0, s.W3Dir, s.W3Vel}};
    int band = 0;  // moves up only
    for (; k < world::kWindLayers; ++k) {
        world::WindLayer& layer = *weather.GetWindLayer(k);
        while (band < 3 && layer.GetMidAltitude() >= bands[band].top) ++band;
        layer.SetDirection(static_cast<std::int32_t>(bands[band].direction * 0.005493298176225006));
        layer.SetSpeed(bands[band].speed);
        layer.SetGustSpeed(bands[band].speed);
    }
}

void ApplyStationClouds(const RouteWeatherStation& s, world::WeatherState& weather) {
    // Tops and bases compare unsigned: a negative one lies above every band.
    const auto top = static_cast<std::uint32_t>(s.C1Top);
    const auto base = static_cast<std::uint32_t>(s.C1Base);
    std::int32_t cover = std::clamp(s.C1Cover, 0, 8);
    if (top > 20000 && cover > 5) cover = 5;
    static constexpr std::int32_t kBases[world::kCloudLayers] = {100, 6500, 20000};
    static constexpr std::uint32_t kTops[world::kCloudLayers] = {6499, 19999, 44999};
    for (int i = 0; i < world::kCloudLayers; ++i) {
        world::CloudLayer& layer = *weather.GetCloudLayer(i);
        layer.SetCoverage(0);
        layer.SetThickness(0);
        layer.SetBase(kBases[i]);
    }
    for (int i = 0; i < world::kCloudLayers; ++i) {
        if (base >= kTops[i]) continue;
        world::CloudLayer& layer = *weather.GetCloudLayer(i);
        layer.SetBase(base <= static_cast<std::uint32_t>(kBases[i]) && i > 0
                          ? kBases[i]
                          : static_cast<std::int32_t>(base));
        layer.SetCoverage(cover);
        layer.SetThickness(static_cast<std::int32_t>(std::min(top, kTops[i])) - layer.GetBase());
        if (top <= kTops[i]) return;
    }
}

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
    if (world::WeatherState* weather = sim::theSimWorld.Weather()) {
        ApplyStationWinds(RouteStation(*this, area), *weather);
        ApplyStationClouds(RouteStation(*this, area), *weather);
    }
    sim::theSimWorld.UpdateCloudLayers();
}

void FlightPlan::ApplyRouteWeather() {
    ApplyStationWinds(environment.departure, theDepartureWeather);
    ApplyStationWinds(environment.enRoute, theEnrouteWeather);
    ApplyStationWinds(environment.destination, theDestinationWeather);
    if (FlightPlan* world = sim::theSimWorld.GetFlightPlan()) world->UpdateLegWeather();
}

}  // namespace planning
