#include "sim/input/command_services.h"

#include "devices/engine_sounds.h"
#include "flight/flight_model_state.h"

namespace sim {

DefaultServiceState theDefaultServiceState;

namespace {

int DefaultPostMenuCommand(std::uint32_t id) {
    theDefaultServiceState.lastMenuCommand = id;
    return 1;
}
int DefaultMultiEngineSynch() {
    return flight::theFlightModelState.fmMultiEngineSynch != 0;
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

}  // namespace

CommandServices DefaultCommandServices() {
    return CommandServices{&DefaultPostMenuCommand,
                           &DefaultMultiEngineSynch,
                           &DefaultSpeedUp,
                           &DefaultSetSpeedUp,
                           &NoView,
                           &NoView,
                           &DefaultSetLookDirection,
                           &devices::PlayCommandEffect};
}

CommandServices theCommandServices = DefaultCommandServices();

}  // namespace sim
