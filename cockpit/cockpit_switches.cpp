#include "cockpit/cockpit_switches.h"

#include "cockpit/cockpit_services.h"
#include "devices/engine_sounds.h"
#include "flight/aircraft.h"
#include "flight/flight_model_state.h"
#include "flight/system_failures.h"

namespace cockpit {

CockpitSwitches theCockpitSwitches;
TuningTarget theTuningTarget = TuningTarget::None;
std::uint32_t theCrashShown = 0;
std::uint32_t theCrashSuspendedSound = 0;

namespace {

int Type() {
    return flight::theAircraftServices.aircraftType();
}

// The starter clip of a twin's engine: Baron 9, King Air 24, CitationJet 17.
int TwinStarterClip() {
    const int t = Type();
    return t == 3 ? 24 : (t == 4 ? 17 : 9);
}

void StartSingle() {
    // The Bonanza's starter is its own, a little softer.
    const bool bonanza = Type() == 1;
    devices::PlayStarterSound(0, bonanza ? 9 : 4, 0, bonanza ? -200 : 0);
    theEngineStarted = 1;
    theEngineRunning = 1;
    flight::theFlightModelState.fmEngines =
        static_cast<std::int8_t>(flight::theFlightModelState.fmEngines | 1);
}
void StartLeft() {
    devices::PlayStarterSound(0, TwinStarterClip(), -10000, -300);
    theEngineStarted = 1;
    theEngineRunning = 1;
    flight::theFlightModelState.fmEngines =
        static_cast<std::int8_t>(flight::theFlightModelState.fmEngines | 1);
}
void StartRight() {
    devices::PlayStarterSound(1, TwinStarterClip(), 10000, -300);
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
