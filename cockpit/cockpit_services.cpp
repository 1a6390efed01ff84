#include "cockpit/cockpit_services.h"

#include "devices/engine_sounds.h"
#include "flight/aircraft_parameters.h"
#include "flight/flight_model_state.h"

namespace cockpit {

std::uint8_t theFuelSelector = 2;
std::uint8_t theLeftEngineTankSelector = 1;
std::uint8_t theRightEngineTankSelector = 1;
std::int16_t theLeftMixtureLever = 31;
std::int16_t theRightConditionLever = 31;
std::int16_t theEngineSpeedDrop[2] = {0, 0};
std::uint32_t theEngineStarted = 0;
std::uint32_t theEngineRunning = 0;
std::uint32_t theRightEngineStarted = 0;
PanelSwitches thePanelSwitches;

namespace {

// Until the cockpit's engine code exists, a stop clears the running bit and the start flags; an
// engine that was on spins down audibly.
void StopEngine(int engine) {
    const std::int8_t bit = static_cast<std::int8_t>(1 << engine);
    if ((flight::theFlightModelState.fmEngines & bit) != 0) devices::RequestEngineStopSound(engine);
    flight::theFlightModelState.fmEngines =
        static_cast<std::int8_t>(flight::theFlightModelState.fmEngines & ~bit);
}
void StopSingle() {
    if (flight::theAircraftParameters.apEngineCount != 1) return;
    StopEngine(0);
    theEngineStarted = 0;
    theEngineRunning = 0;
}
void StopLeft() {
    if (flight::theAircraftParameters.apEngineCount != 2) return;
    StopEngine(0);
    theEngineStarted = 0;
    theEngineRunning = 0;
}
void StopRight() {
    if (flight::theAircraftParameters.apEngineCount != 2) return;
    StopEngine(1);
    theRightEngineStarted = 0;
}

}  // namespace

EngineStopServices PlainEngineStopServices() {
    return EngineStopServices{&StopSingle, &StopLeft, &StopRight};
}

EngineStopServices theEngineStopServices = PlainEngineStopServices();

void BuildPanelC172() {}
void BuildPanelBonanza() {}
void BuildPanelBaron() {}
void BuildPanelKingAir() {}
void BuildPanelCitationJet() {}
void ReleasePanelArt() {}
void SetupGaugesForAircraft() {}
void InvalidateAllGauges() {}
void CenterNavIndicators() {}

void ResetCockpitServices() {
    theFuelSelector = 2;
    theLeftEngineTankSelector = 1;
    theRightEngineTankSelector = 1;
    theLeftMixtureLever = 31;
    theRightConditionLever = 31;
    theEngineSpeedDrop[0] = theEngineSpeedDrop[1] = 0;
    theEngineStarted = theEngineRunning = theRightEngineStarted = 0;
    thePanelSwitches = PanelSwitches{};
    theEngineStopServices = PlainEngineStopServices();
}

}  // namespace cockpit
