#include "cockpit/panel_controls.h"

#include "cockpit/cockpit_services.h"
#include "cockpit/cockpit_switches.h"
#include "cockpit/cockpit_systems.h"
#include "flight/aircraft.h"
#include "flight/flight_model_state.h"

namespace cockpit {

std::int32_t& theGearUp = theGearLever.mode;
std::int32_t& thePitotHeatOn = thePitotHeatSwitch.switchState;

namespace {

int PanelControlsType() {
    return flight::theAircraftServices.aircraftType();
}

std::int16_t Fine(std::int16_t lever) {
    return static_cast<std::int16_t>(lever * 1.45);
}
std::int16_t Half(std::int16_t lever) {
    return static_cast<std::int16_t>(lever >> 1);
}

bool Twin(int t) {
    return t == 2 || t == 3 || t == 4;
}

void SetKnob(PanelGauge& g, std::int16_t frame) {
    g.knob = frame;
    g.dirty = 1;
}

// The flight model's throttle follows the lever while nothing holds the simulation, whether or
// not its engine runs: a stopped engine makes no power at any throttle, and one that catches
// runs at the throttle its lever shows, with nothing set aside for that moment.
bool MayThrottle() {
    return thePanelHost.simulationHeld() == 0;
}

}  // namespace

void UpdateThrottleLever() {
    const int t = PanelControlsType();
    SetKnob(theThrottleLever, Twin(t) ? Fine(theThrottleLever.lever) : Half(theThrottleLever.lever));
    if (MayThrottle())
        flight::theFlightModelState.fmThrot = static_cast<std::int16_t>(theThrottleLever.lever * 1057);
}

void UpdateThrottleLeverRight() {
    if (!Twin(PanelControlsType())) return;
    SetKnob(theThrottleLever2, Fine(theThrottleLever2.lever));
    if (MayThrottle())
        flight::theFlightModelState.fmThrotRight =
            static_cast<std::int16_t>(theThrottleLever2.lever * 1057);
}

void UpdatePropPitchLever() {
    const int t = PanelControlsType();
    SetKnob(thePropPitchLever, (t == 2 || t == 3) ? Fine(thePropPitchLever.lever)
                                                  : Half(thePropPitchLever.lever));
}

void UpdatePropPitchLeverRight() {
    SetKnob(thePropPitchLever2, Fine(thePropPitchLever2.lever));
}

void UpdateMixtureLever() {
    const int t = PanelControlsType();
    PanelGauge& g = theMixtureLever;
    SetKnob(g, (t == 2 || t == 3) ? Fine(g.lever) : Half(g.lever));
    theLeftMixtureLever = g.lever;
    if (g.lever != 0) return;
    if (t == 2 || t == 3)
        StopLeftEngine();
    else if (t != 4)
        StopSingleEngine();
}

void UpdateMixtureLeverRight() {
    const int t = PanelControlsType();
    PanelGauge& g = theMixtureLever2;
    SetKnob(g, (t == 2 || t == 3) ? Fine(g.lever) : Half(g.lever));
    if (t == 3) theRightConditionLever = g.lever;
    if (g.lever == 0 && (t == 2 || t == 3)) StopRightEngine();
}

namespace {

bool GearMayMove() {
    const int t = PanelControlsType();
    if (t == 0 || t == 5 || t < 0 || t > 5) return false;
    if (flight::theFlightModelState.fmOTG != 0) return false;
    return theBatteryPower != 0;
}

}  // namespace

void LowerGear() {
    if (!GearMayMove() || theGearUp == 0) return;
    theGearUp = 0;
    StartGearTransit();
    theGearLever.knob = 0;
    theGearLever.dirty = 1;
    theGearTransitLight.switchState = 1;
    theGearTransitLight.dirty = 1;
    flight::theFlightModelState.fmGear = 1;
    flight::theAircraftServices.animateGear(1);
}

void RaiseGear() {
    if (!GearMayMove() || theGearUp != 0) return;
    theGearUp = 1;
    StartGearTransit();
    theNoseGearLight.switchState = theRightGearLight.switchState = theLeftGearLight.switchState = 0;
    theNoseGearLight.dirty = theRightGearLight.dirty = theLeftGearLight.dirty = 1;
    theGearTransitLight.switchState = 1;
    theGearTransitLight.dirty = 1;
    theGearLever.knob = 15;
    theGearLever.dirty = 1;
    flight::theFlightModelState.fmGear = 0;
    flight::theAircraftServices.animateGear(0);
}

void ResetPanelControls() {
    ResetCockpitSwitches();
}

}  // namespace cockpit
