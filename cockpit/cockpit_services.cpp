#include "cockpit/cockpit_services.h"

#include "cockpit/cockpit_switches.h"
#include "cockpit/cockpit_systems.h"

namespace cockpit {

std::uint8_t theFuelTankSelector = 2;
std::uint8_t theLeftEngineTankSelector = 1;
std::uint8_t theRightEngineTankSelector = 1;
std::int16_t theLeftMixtureLever = 31;
std::int16_t theRightConditionLever = 31;
std::int16_t theEngineSpeedDrop[2] = {0, 0};
std::uint32_t theEngineStarted = 0;
std::uint32_t theEngineRunning = 0;
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

EngineStopServices theEngineStopServices = PlainEngineStopServices();

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
