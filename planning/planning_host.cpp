#include "planning/planning_host.h"

namespace planning {

namespace {

FlightPlan* NoPlan() {
    return nullptr;
}
bool NoActivePlan() {
    return false;
}
void IgnorePlan(const FlightPlan*) {}
int NoPlanFile(core::IniFile&) {
    return 0;
}
world::WeatherState* NoWeather() {
    return nullptr;
}
void Nothing() {}
std::int32_t Midnight() {
    return 0;
}
int NoMode() {
    return 0;
}
void IgnoreMode(int) {}
std::uint32_t FirstAircraft() {
    return 0;
}
void NoCursor(std::uint32_t) {}
bool NoFile(const std::string&) {
    return false;
}
int NoFileDialog(ui::FileDialogRequest&) {
    return 0;
}

}  // namespace

constinit PlanningHost thePlanningHost{
    &NoPlan,   &NoActivePlan,  &IgnorePlan, &NoPlanFile, &NoPlanFile, &NoWeather,
    &Nothing,  &Midnight,      &NoMode,     &IgnoreMode, &FirstAircraft, &IgnoreMode,
    &Nothing,  &NoCursor,      &NoFile,     &NoFileDialog};

}  // namespace planning
