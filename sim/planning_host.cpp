#include "sim/planning_host.h"

#include <cstdint>

#include "cockpit/panel_redraw.h"
#include "cockpit/panel_services.h"
#include "flight/aircraft.h"
#include "planning/planning_host.h"
#include "sim/date_time.h"
#include "sim/main_window.h"
#include "sim/main_window_services.h"
#include "sim/menu_commands.h"
#include "sim/saved_flight.h"
#include "sim/sim_world.h"
#include "sim/view_controller.h"

namespace sim {

namespace {

planning::FlightPlan* PlanningHostWorldPlan() {
    return theSimWorld.GetFlightPlan();
}
bool WorldHasPlan() {
    return theSimWorld.HasFlightPlan();
}
void SetWorldPlan(const planning::FlightPlan* plan) {
    theSimWorld.SetFlightPlan(plan);
}
int LoadWorldPlan(core::IniFile& file) {
    return theSimWorld.LoadFlightPlan(file);
}
int SaveWorldPlan(core::IniFile& file) {
    return theSimWorld.SaveFlightPlan(file);
}
world::WeatherState* WorldWeather() {
    return theSimWorld.Weather();
}
void UpdateCloudLayers() {
    theSimWorld.UpdateCloudLayers();
}
// In the zone the clock shows: local time when it is set to local, else zulu.
std::int32_t MinutesOfDay() {
    CalendarTime t;
    if (theSimWorld.Time().GetZoneMode() != 0)
        theSimWorld.Time().GetLocalTime(&t);
    else
        theSimWorld.Time().GetZuluTime(&t);
    return t.hour * 60 + t.min;
}
int FlightMode() {
    return theSimWorld.GetFlightMode();
}
void SetFlightMode(int mode) {
    theSimWorld.SetFlightMode(mode);
}
// The aircraft flown: a resumed or loaded flight's, not only the last one chosen in the selection.
std::uint32_t PlanningHostAircraftType() {
    const flight::Aircraft* a = theSimWorld.GetAircraft();
    return a != nullptr ? static_cast<std::uint32_t>(a->GetType()) : theCurrentAircraftType;
}
// Another type: the panel is reloaded and its gauges reset, the view looks ahead from the cockpit.
void SelectAircraftType(int type) {
    theCurrentAircraftType = static_cast<std::uint32_t>(type);
    cockpit::theCockpitFullRedraw |= cockpit::kRedrawReloadFlags;
    cockpit::ResetPanelGauges();
    if (flight::Aircraft* a = theSimWorld.GetAircraft()) a->SelectByType(type);
    theSimWorld.SetViewMode(0);
    theSimWorld.SetLookDirection(0);
}
void ApplyView() {
    theViewController.ApplyView();
}
void SetCursor(std::uint32_t id) {
    LoadAndSetCursor(id);
}
bool ReadableFile(const std::string& path) {
    return IsReadableFile(path);
}
int FileDialog(ui::FileDialogRequest& request) {
    return ShowOpenFileDialog(request);
}

}  // namespace

void InstallPlanningHost() {
    planning::thePlanningHost = planning::PlanningHost{&PlanningHostWorldPlan,
                                                       &WorldHasPlan,
                                                       &SetWorldPlan,
                                                       &LoadWorldPlan,
                                                       &SaveWorldPlan,
                                                       &WorldWeather,
                                                       &UpdateCloudLayers,
                                                       &MinutesOfDay,
                                                       &FlightMode,
                                                       &SetFlightMode,
                                                       &PlanningHostAircraftType,
                                                       &SelectAircraftType,
                                                       &ApplyView,
                                                       &SetCursor,
                                                       &ReadableFile,
                                                       &FileDialog};
}

}  // namespace sim
