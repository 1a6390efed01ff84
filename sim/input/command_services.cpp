#include "sim/input/command_services.h"

#include "sim/aircraft.h"
#include "sim/flightmodel/flight_model_state.h"

namespace sim {

DefaultServiceState theDefaultServiceState;

namespace {

// Before the first selection the aircraft has no type; the commands then act as for the 172.
int CurrentAircraftType() {
    const int type = theAircraft.GetType();
    return type < 0 ? 0 : type;
}
void ToggleAircraftBrakes() {
    theAircraft.ToggleBrakes();
}
void AnimateAircraftGear(int down) {
    if (down != 0)
        theAircraft.AnimateGearDown();
    else
        theAircraft.AnimateGearUp();
}
int DefaultPostMenuCommand(std::uint32_t id) {
    theDefaultServiceState.lastMenuCommand = id;
    return 1;
}
int DefaultMultiEngineSynch() {
    return theFlightModelState.fmMultiEngineSynch != 0;
}
int DefaultSpeedUp() {
    return theDefaultServiceState.speedUp;
}
void DefaultSetSpeedUp(int index) {
    theDefaultServiceState.speedUp = index;
}
void NoView() {}
void DefaultSetLookDirection(int direction) {
    theDefaultServiceState.lookDirection = direction;
}
void Silent(EffectChannel, int, int, int, int) {}

}  // namespace

CommandServices DefaultCommandServices() {
    return CommandServices{&CurrentAircraftType,
                           &ToggleAircraftBrakes,
                           &AnimateAircraftGear,
                           &DefaultPostMenuCommand,
                           &DefaultMultiEngineSynch,
                           &DefaultSpeedUp,
                           &DefaultSetSpeedUp,
                           &NoView,
                           &NoView,
                           &DefaultSetLookDirection,
                           &Silent};
}

CommandServices theCommandServices = DefaultCommandServices();

}  // namespace sim
