#include "cockpit/gauges.h"

#include <initializer_list>
#include <new>

namespace cockpit {

PanelGauge theAirspeedIndicator;
PanelGauge theAltimeter;
PanelGauge theVerticalSpeedIndicator;
PanelGauge theNav1Indicator;
PanelGauge theNav2Indicator;
PanelGauge theNav1Radio;
PanelGauge theNav2Radio;
PanelGauge theAdfIndicator;
PanelGauge theAdfRadio;
PanelGauge theTurnCoordinator;
PanelGauge theTachometer1;
PanelGauge theTachometer2;
PanelGauge theEnginePowerGauge;
PanelGauge theEnginePowerGauge2;
PanelGauge theAttitudeIndicator;
PanelGauge theMagneticCompass;
PanelGauge theGearLever;
PanelGauge theThrottleLever;
PanelGauge theThrottleLever2;
PanelGauge theCowlFlapSwitch;
PanelGauge thePropPitchLever;
PanelGauge thePropPitchLever2;
PanelGauge theMixtureLever;
PanelGauge theMixtureLever2;
PanelGauge theFlapsLever;
PanelGauge theCarbHeatKnob;
PanelGauge theLeftFuelGauge;
PanelGauge theRightFuelGauge;
PanelGauge theFuelSelector;
PanelGauge theFuelSelector2;
PanelGauge theOilTempGauge;
PanelGauge theOilTempGauge2;
PanelGauge theOilPressureGauge;
PanelGauge theOilPressureGauge2;
PanelGauge thePropSyncSwitch;
PanelGauge theSpeedBrakeSwitch;
PanelGauge theSynchroscope;
PanelGauge theLeftFuelBoostSwitch;
PanelGauge theRightFuelBoostSwitch;
PanelGauge theTaxiLightSwitch;
PanelGauge theLandingLightSwitch;
PanelGauge thePitotHeatSwitch;
PanelGauge theNavLightSwitch;
PanelGauge theBeaconSwitch;
PanelGauge theStrobeSwitch;
PanelGauge theAvionicsSwitch;
PanelGauge theMasterSwitch;
PanelGauge theIgnitionSwitch;
PanelGauge theIgnitionSwitch2;
PanelGauge theIgnitionLight;
PanelGauge theIgnitionLight2;
PanelGauge theElevatorTrimIndicator;
PanelGauge theRudderTrimIndicator;
PanelGauge theAileronTrimIndicator;
PanelGauge theCom1Radio;
PanelGauge theCom2Radio;
PanelGauge theClock;
PanelGauge theTemperatureGauge;
PanelGauge theTransponder;
PanelGauge theAudioPanel;
PanelGauge theAutopilotPanel;
PanelGauge theDmeRadio;
PanelGauge theExhaustTempGauge;
PanelGauge theExhaustTempGauge2;
PanelGauge theAngleOfAttackIndicator;
PanelGauge theAmmeter;
PanelGauge theAmmeter2;
PanelGauge theGearTransitLight;
PanelGauge theNoseGearLight;
PanelGauge theRightGearLight;
PanelGauge theLeftGearLight;
PanelGauge theDmeSelector;
HsiGauge theHsiGauge;
GaugePolygon theHorizonPolygon;

PanelGauge* const thePanelGauges[kPanelGaugeCount] = {
    &theAirspeedIndicator,
    &theAltimeter,
    &theVerticalSpeedIndicator,
    &theNav1Indicator,
    &theNav2Indicator,
    &theNav1Radio,
    &theNav2Radio,
    &theAdfIndicator,
    &theAdfRadio,
    &theTurnCoordinator,
    &theTachometer1,
    &theTachometer2,
    &theEnginePowerGauge,
    &theEnginePowerGauge2,
    &theAttitudeIndicator,
    &theMagneticCompass,
    &theGearLever,
    &theThrottleLever,
    &theThrottleLever2,
    &theCowlFlapSwitch,
    &thePropPitchLever,
    &thePropPitchLever2,
    &theMixtureLever,
    &theMixtureLever2,
    &theFlapsLever,
    &theCarbHeatKnob,
    &theLeftFuelGauge,
    &theRightFuelGauge,
    &theFuelSelector,
    &theFuelSelector2,
    &theOilTempGauge,
    &theOilTempGauge2,
    &theOilPressureGauge,
    &theOilPressureGauge2,
    &thePropSyncSwitch,
    &theSpeedBrakeSwitch,
    &theSynchroscope,
    &theLeftFuelBoostSwitch,
    &theRightFuelBoostSwitch,
    &theTaxiLightSwitch,
    &theLandingLightSwitch,
    &thePitotHeatSwitch,
    &theNavLightSwitch,
    &theBeaconSwitch,
    &theStrobeSwitch,
    &theAvionicsSwitch,
    &theMasterSwitch,
    &theIgnitionSwitch,
    &theIgnitionSwitch2,
    &theIgnitionLight,
    &theIgnitionLight2,
    &theElevatorTrimIndicator,
    &theRudderTrimIndicator,
    &theAileronTrimIndicator,
    &theCom1Radio,
    &theCom2Radio,
    &theClock,
    &theTemperatureGauge,
    &theTransponder,
    &theAudioPanel,
    &theAutopilotPanel,
    &theDmeRadio,
    &theExhaustTempGauge,
    &theExhaustTempGauge2,
    &theAngleOfAttackIndicator,
    &theAmmeter,
    &theAmmeter2,
    &theGearTransitLight,
    &theNoseGearLight,
    &theRightGearLight,
    &theLeftGearLight,
    &theDmeSelector,
};

HsiGauge::HsiGauge() {
    ResetHsiDrawnState();
    alwaysDraw = 1;
}

void HsiGauge::ResetHsiDrawnState() {
    for (int s = 0; s < kGaugeSlots; ++s) {
        for (int a = 0; a < 3; ++a) {
            eraseNeeded[s][a] = 0;
            drawnRect[s][a] = IntRect{};
            drawnAt[s][a] = IntPoint{};
        }
        drawnCard[s] = drawnBug[s] = drawnDeviation[s] = drawnGlideSlope[s] = -1;
    }
    slot = 0;
}

namespace {

// The controls as a new cockpit has them: rich mixtures and fine propellers (no lever of a new
// cockpit stops an engine), carburettor heat and cowl flaps closed, fuel on both tanks.
void SetStartValues() {
    for (PanelGauge* g : {&theMixtureLever, &theMixtureLever2, &thePropPitchLever,
                          &thePropPitchLever2})
        g->lever = 31;
    theCarbHeatKnob.knob = 15;
    theCowlFlapSwitch.knob = 15;
    theFuelSelector.lever = 2;
    theFuelSelector2.lever = 1;
    // The radios as a new cockpit has them: NAV on 108.00, COM on 124.00, the transponder on
    // 1200, the course cards on 360.
    for (PanelGauge* g : {&theNav1Radio, &theNav2Radio}) {
        g->activeMHz = g->standbyMHz = 8;
    }
    for (PanelGauge* g : {&theCom1Radio, &theCom2Radio}) {
        g->activeMHz = g->standbyMHz = 24;
    }
    theTransponder.activeMHz = 12;
    theNav1Indicator.courseDegrees = theNav2Indicator.courseDegrees = 360;
}

struct StartValues {
    StartValues() { SetStartValues(); }
} theStartValues;

}  // namespace

void RebuildAllGauges() {
    for (PanelGauge* g : thePanelGauges) {
        g->~PanelGauge();
        new (g) PanelGauge();
    }
    theHsiGauge.~HsiGauge();
    new (&theHsiGauge) HsiGauge();
    SetStartValues();
}

}  // namespace cockpit
