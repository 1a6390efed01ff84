#include "cockpit/cockpit_switches.h"

#include "cockpit/cockpit_services.h"
#include "flight/flight_model_state.h"
#include "flight/system_failures.h"

namespace cockpit {

CockpitSwitches theCockpitSwitches;
TuningTarget theTuningTarget = TuningTarget::None;
std::uint32_t theCrashShown = 0;
std::uint32_t theCrashSuspendedSound = 0;

namespace {

void StartSingle() {
    theEngineStarted = 1;
    theEngineRunning = 1;
    flight::theFlightModelState.fmEngines =
        static_cast<std::int8_t>(flight::theFlightModelState.fmEngines | 1);
}
void StartLeft() {
    StartSingle();
}
void StartRight() {
    theRightEngineStarted = 1;
    flight::theFlightModelState.fmEngines =
        static_cast<std::int8_t>(flight::theFlightModelState.fmEngines | 2);
}

}  // namespace

EngineStartServices PlainEngineStartServices() {
    return EngineStartServices{&StartSingle, &StartLeft, &StartRight};
}
EngineStartServices theEngineStartServices = PlainEngineStartServices();

void TickPitotHeat() {
    if (theCockpitSwitches.pitotHeatCountdown <= 0) return;
    if (--theCockpitSwitches.pitotHeatCountdown == 0) flight::SystemReliability::ResetPitotStatic();
}

void ResetCockpitSwitches() {
    theCockpitSwitches = CockpitSwitches{};
    theTuningTarget = TuningTarget::None;
    theCrashShown = 0;
    theCrashSuspendedSound = 0;
    theEngineStartServices = PlainEngineStartServices();
}

}  // namespace cockpit
