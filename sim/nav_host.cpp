#include "sim/nav_host.h"

#include <cstdint>
#include <string>

#include "nav/atc_services.h"
#include "nav/nav_host.h"
#include "sim/date_time.h"
#include "sim/main_window.h"
#include "sim/menu_commands.h"
#include "sim/sim_world.h"
#include "world/weather_state.h"

namespace sim {

namespace {

flight::Aircraft* WorldAircraft() {
    return theSimWorld.GetAircraft();
}
std::string* StartFlightName() {
    return &theStartFlightName;
}
void RefreshTerrain() {
    theSimWorld.RefreshTerrain();
}
void DrawReadoutText(int x, int y, const std::string& text, std::uint32_t colour) {
    theSimWorld.DrawReadoutText(x, y, text, colour);
}

std::uint32_t WorldNow() {
    return theSimWorld.GetSimTimeMs();
}
planning::FlightPlan* WorldPlan() {
    return theSimWorld.HasFlightPlan() ? theSimWorld.GetFlightPlan() : nullptr;
}
void WorldZulu(int* hour, int* minute) {
    CalendarTime t;
    theSimWorld.GetZuluDateTime(&t);
    *hour = t.hour;
    *minute = t.min;
}
void WorldFlightMode(int mode) {
    theSimWorld.SetFlightMode(mode);
}
// The world's weather as the controllers report it: a calm wind is "from 360".
int WeatherWindDirection() {
    const world::WeatherState* w = theSimWorld.Weather();
    if (w == nullptr || w->GetSurfaceWindSpeed() <= 0) return 360;
    return static_cast<int>(w->GetSurfaceWindDirection());
}
// The lowest layer that covers any of the sky; none reads as 0 (clear).
const world::CloudLayer* LowestCloud() {
    const world::WeatherState* w = theSimWorld.Weather();
    if (w == nullptr) return nullptr;
    const world::CloudLayer* lowest = nullptr;
    for (int i = 0; i < world::kCloudLayers; ++i) {
        const world::CloudLayer* c = w->GetCloudLayer(i);
        if (c != nullptr && c->GetCoverage() > 0 &&
            (lowest == nullptr || c->GetBase() < lowest->GetBase()))
            lowest = c;
    }
    return lowest;
}
int WeatherCloudBase() {
    const world::CloudLayer* c = LowestCloud();
    return c == nullptr ? 0 : static_cast<int>(c->GetBase());
}
int WeatherCloudCoverage() {
    const world::CloudLayer* c = LowestCloud();
    return c == nullptr ? 0 : static_cast<int>(c->GetCoverage());
}

}  // namespace

void InstallNavHost() {
    nav::theNavHost =
        nav::NavHostServices{&WorldAircraft,  &StartFlightName, &LoadAndSetCursor,
                             &RefreshTerrain, &DrawReadoutText, &ConfirmCloseFlightPlan};
    nav::AtcHost& atc = nav::theAtcHost;
    atc.now = &WorldNow;
    atc.flightPlan = &WorldPlan;
    atc.zuluTime = &WorldZulu;
    atc.setFlightMode = &WorldFlightMode;
    atc.surfaceWindDirection = &WeatherWindDirection;
    atc.cloudBase = &WeatherCloudBase;
    atc.cloudCoverage = &WeatherCloudCoverage;
}

}  // namespace sim
