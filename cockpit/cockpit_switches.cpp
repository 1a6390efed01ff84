#include "cockpit/cockpit_switches.h"

#include <algorithm>

#include "cockpit/cockpit_services.h"
#include "cockpit/cockpit_systems.h"
#include "cockpit/nav_receivers.h"
#include "cockpit/radio_commands.h"
#include "flight/system_failures.h"

namespace cockpit {

std::int32_t theSwapPanel = 0;

CockpitSwitches theCockpitSwitches{
    theAvionicsSwitch.switchState,
    theLeftFuelBoostSwitch.switchState,
    theRightFuelBoostSwitch.switchState,
    theSpeedBrakeSwitch.switchState,
    thePropSyncSwitch.switchState,
    theCarbHeatKnob.knob,
    theCowlFlapSwitch.knob,
    theCowlFlapSwitch.switchState,
    theAltimeter.baroSetting,
    theClock.buttons[0],
    theClock.buttons[1],
    theClock.dirty,
    theSwapPanel,
    theTemperatureGauge.buttons,
    theTemperatureGauge.dirty,
    theNav2Indicator.altFace,
    theNav2Indicator.dirty,
};
std::uint32_t theCrashShown = 0;
std::uint32_t theCrashSuspendedSound = 0;

EngineStartServices PlainEngineStartServices() {
    return EngineStartServices{&StartSingleEngineNow, &StartLeftEngineNow, &StartRightEngineNow};
}
EngineStartServices theEngineStartServices = PlainEngineStartServices();

void TickPitotHeat() {
    CockpitSwitches& c = theCockpitSwitches;
    if (c.pitotHeatCountdown < 0) return;
    if (c.pitotHeatCountdown == 0) flight::SystemReliability::ResetPitotStatic();
    --c.pitotHeatCountdown;
}

void SetAltimeterToSurfacePressure() {
    const std::int32_t hundredths = 2800 + ((std::int32_t{theBarometricPressureWord} * 800) >> 16);
    theCockpitSwitches.altimeterSetting =
        static_cast<std::uint16_t>(std::clamp(hundredths, 2810, 3100));
    theAltimeter.dirty = 1;
}

void ResetCockpitSwitches() {
    CockpitSwitches& c = theCockpitSwitches;
    RebuildAllGauges();
    ResetNavReceivers();
    theAutopilotModeIndex = 0;
    ResetEngineSequences();
    c.carbHeatKnob = 15;
    c.cowlFlapKnob = 15;
    c.altimeterSetting = 2992;
    c.temperatureFlags[0] = 1;
    c.temperatureFlags[1] = 0;
    theSwapPanel = 0;
    c.clockPresent = 1;
    c.reverseThrust[0] = c.reverseThrust[1] = 0;
    c.speedBrakeDrag = c.cowlFlapDrag = 0;
    for (std::int32_t& v : c.electricalGauges)
        v = 0;
    c.electricalMinimum[0] = c.electricalMinimum[1] = 0;
    c.pitotHeatCountdown = -1;
    theCrashShown = 0;
    theCrashSuspendedSound = 0;
    theEngineStartServices = PlainEngineStartServices();
}

}  // namespace cockpit
