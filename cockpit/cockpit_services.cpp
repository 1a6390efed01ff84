#include "cockpit/cockpit_services.h"

#include "cockpit/cockpit_switches.h"
#include "cockpit/cockpit_systems.h"

namespace cockpit {

std::uint32_t theRightEngineStarted = 0;

std::int32_t& theBatteryPower = theMasterSwitch.switchState;

PanelSwitches thePanelSwitches{
    theMasterSwitch.switchState,     theStrobeSwitch.switchState,
    theBeaconSwitch.switchState,     theNavLightSwitch.switchState,
    theTaxiLightSwitch.switchState,  theLandingLightSwitch.switchState,
    theIgnitionSwitch.lever,         theIgnitionSwitch2.lever,
    theIgnitionSwitch.dirty,         theIgnitionSwitch2.dirty,
    theIgnitionSwitch.switchState,   theIgnitionSwitch2.switchState,
    theIgnitionLight.switchState,    theIgnitionLight2.switchState,
    theFuelSelector.lever,           theFuelSelector2.lever,
    theFuelSelector.dirty,           theFuelSelector2.dirty,
};

EngineStopServices PlainEngineStopServices() {
    return EngineStopServices{&StopSingleEngineNow, &StopLeftEngineNow, &StopRightEngineNow};
}

}  // namespace cockpit

flight::EngineStopServices flight::theEngineStopServices = cockpit::PlainEngineStopServices();

namespace cockpit {

void ResetCockpitServices() {
    theFuelTankSelector = 2;
    theLeftEngineTankSelector = 1;
    theRightEngineTankSelector = 1;
    theLeftMixtureLever = 31;
    theRightConditionLever = 31;
    theEngineSpeedDrop[0] = theEngineSpeedDrop[1] = 0;
    theEngineStarted = theEngineRunning = theRightEngineStarted = 0;
    // The gauges and the switches' own values go back together.
    ResetCockpitSwitches();
    theEngineStopServices = PlainEngineStopServices();
}

}  // namespace cockpit
