#include "sim/panel_host.h"

#include <cstdint>
#include <cstdio>

#include "cockpit/cockpit_systems.h"
#include "flight/flight_model_state.h"
#include "sim/input/flight_controls.h"
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

}  // namespace

void InstallPanelHost() {
    cockpit::thePanelHost = cockpit::PanelHostServices{
        &CompassShown, &SimulationHeld, &ControlWord, &SimTimeMs, &ClockText, &StopwatchSeconds};
}

}  // namespace sim
