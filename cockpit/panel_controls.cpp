#include "cockpit/panel_controls.h"

#include <initializer_list>

#include "cockpit/cockpit_services.h"
#include "devices/engine_sounds.h"
#include "flight/aircraft.h"
#include "flight/flight_model_state.h"

namespace cockpit {

LeverGauge theThrottleLever;
LeverGauge theThrottleLeverRight;
LeverGauge thePropPitchLever;
LeverGauge thePropPitchLeverRight;
LeverGauge theMixtureLever;
LeverGauge theMixtureLeverRight;
TrimWheelGauge theElevatorTrimWheel;
TrimWheelGauge theRudderTrimWheel;
TrimWheelGauge theAileronTrimWheel;
std::uint32_t theGearUp = 0;
std::uint32_t thePitotHeatOn = 0;

namespace {

int Type() {
    return flight::theAircraftServices.aircraftType();
}

// The twins and the jet have the finer knob art.
std::int16_t KnobFrame(std::int16_t lever, bool fine) {
    return fine ? static_cast<std::int16_t>(lever * 1.45) : static_cast<std::int16_t>(lever / 2);
}

bool FineKnobs() {
    const int t = Type();
    return t == 2 || t == 3 || t == 4;
}

bool SingleEngine() {
    const int t = Type();
    return t == 0 || t == 1 || t == 5;
}

}  // namespace

void UpdateThrottleLever() {
    LeverGauge& g = theThrottleLever;
    g.knobFrame = KnobFrame(g.position, FineKnobs());
    if ((flight::theFlightModelState.fmEngines & 1) != 0)
        flight::theFlightModelState.fmThrot = static_cast<std::int16_t>(g.position * 1057);
}

void UpdateThrottleLeverRight() {
    LeverGauge& g = theThrottleLeverRight;
    g.knobFrame = KnobFrame(g.position, FineKnobs());
    if ((flight::theFlightModelState.fmEngines & 2) != 0)
        flight::theFlightModelState.fmThrotRight = static_cast<std::int16_t>(g.position * 1057);
}

void UpdatePropPitchLever() {
    const int t = Type();
    thePropPitchLever.knobFrame = KnobFrame(thePropPitchLever.position, t == 2 || t == 3);
}

void UpdatePropPitchLeverRight() {
    thePropPitchLeverRight.knobFrame = KnobFrame(thePropPitchLeverRight.position, true);
}

void UpdateMixtureLever() {
    LeverGauge& g = theMixtureLever;
    g.knobFrame = KnobFrame(g.position, FineKnobs());
    theLeftMixtureLever = g.position;
    if (g.position == 0) {
        if (SingleEngine())
            StopSingleEngine();
        else
            StopLeftEngine();
    }
}

void UpdateMixtureLeverRight() {
    LeverGauge& g = theMixtureLeverRight;
    g.knobFrame = KnobFrame(g.position, FineKnobs());
    if (Type() == 3) theRightConditionLever = g.position;
    if (g.position == 0 && !SingleEngine()) StopRightEngine();
}

namespace {

bool GearMayMove() {
    const int t = Type();
    if (t == 0 || t == 5) return false;
    if (flight::theFlightModelState.fmOTG != 0) return false;
    return thePanelSwitches.batteryPower != 0;
}

}  // namespace

void LowerGear() {
    if (!GearMayMove() || theGearUp == 0) return;
    theGearUp = 0;
    devices::PlayGearMotorSound();
    flight::theAircraftServices.animateGear(1);
    flight::theFlightModelState.fmGear = 1;
}

void RaiseGear() {
    if (!GearMayMove() || theGearUp != 0) return;
    theGearUp = 1;
    devices::PlayGearMotorSound();
    flight::theAircraftServices.animateGear(0);
    flight::theFlightModelState.fmGear = 0;
}

void ResetPanelControls() {
    for (LeverGauge* g : {&theThrottleLever, &theThrottleLeverRight, &thePropPitchLever,
                          &thePropPitchLeverRight, &theMixtureLever, &theMixtureLeverRight})
        *g = LeverGauge{};
    for (TrimWheelGauge* w : {&theElevatorTrimWheel, &theRudderTrimWheel, &theAileronTrimWheel})
        *w = TrimWheelGauge{};
    theGearUp = 0;
    thePitotHeatOn = 0;
}

}  // namespace cockpit
