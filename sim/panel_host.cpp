#include "sim/panel_host.h"

#include <cstdint>
#include <cstdio>

#include "cockpit/cockpit_systems.h"
#include "cockpit/gps_display.h"
#include "cockpit/radio_commands.h"
#include "flight/flight_model_state.h"
#include "planning/planning_services.h"
#include "sim/input/flight_controls.h"
#include "sim/input/general_commands.h"
#include "sim/sim_world.h"

namespace sim {

namespace {

int CompassShown() {
    return theSimWorld.IsMag() ? 1 : 0;
}
int SimulationHeld() {
    return theSimWorld.IsSituationHold() ? 1 : 0;
}
std::int16_t* ControlWord(int which) {
    switch (which) {
        case 0:
            return &flight::theFlightModelState.fmApElvTrim;
        case 1:
            return &theAileronTrim;
        case 2:
            return &theRudderTrim;
        case 3:
            return &theElevatorInput;
        case 4:
            return &theRudderInput;
        default:
            return &theAileronInput;
    }
}

std::uint32_t SimTimeMs() {
    return theSimWorld.GetSimTimeMs();
}
void ClockText(char* out, int size) {
    if (size > 0)
        std::snprintf(out, static_cast<std::size_t>(size), "%s",
                      theSimWorld.FormatClockTime().c_str());
}
std::uint32_t StopwatchSeconds() {
    return theSimWorld.GetStopwatchSeconds();
}
int HasFlightPlan() {
    return theSimWorld.HasFlightPlan() ? 1 : 0;
}
int FlightPlanDirection() {
    const planning::FlightPlan* plan = theSimWorld.GetFlightPlan();
    return plan != nullptr && plan->ifr != 0 ? 1 : 0;
}

const planning::FlightPlan* ActiveFlightPlan() {
    return theSimWorld.HasFlightPlan() ? theSimWorld.GetFlightPlan() : nullptr;
}
const world::AirportObjectDatabase* AirportObjects() {
    return theSimWorld.AirportObjects();
}

}  // namespace

void InstallPanelHost() {
    cockpit::thePanelHost = cockpit::PanelHostServices{
        &CompassShown, &SimulationHeld, &ControlWord, &SimTimeMs, &ClockText, &StopwatchSeconds};
    cockpit::theRadioCommandHost =
        cockpit::RadioCommandHost{&HasFlightPlan, &FlightPlanDirection, &PostMenuCommand};
    cockpit::theGpsSources.flightPlan = &ActiveFlightPlan;
    cockpit::theGpsSources.airportObjects = &AirportObjects;
}

}  // namespace sim
