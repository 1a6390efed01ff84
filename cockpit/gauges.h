// The panel's instruments: 72 gauges and the heading instrument, one global object per role,
// shared by all five aircraft and built before the program's entry in this order. The cockpit
// systems, commands, clicks and saved situations write their state words; the panel routines draw
// them at each aircraft's positions with its art.
#pragma once

#include <cstdint>

#include "cockpit/panel_gauge.h"

namespace cockpit {

extern PanelGauge theAirspeedIndicator;
extern PanelGauge theAltimeter;
extern PanelGauge theVerticalSpeedIndicator;
extern PanelGauge theNav1Indicator;
extern PanelGauge theNav2Indicator;
extern PanelGauge theNav1Radio;
extern PanelGauge theNav2Radio;
extern PanelGauge theAdfIndicator;
extern PanelGauge theAdfRadio;
extern PanelGauge theTurnCoordinator;
extern PanelGauge theTachometer1;
extern PanelGauge theTachometer2;
extern PanelGauge theEnginePowerGauge;
extern PanelGauge theEnginePowerGauge2;
extern PanelGauge theAttitudeIndicator;
extern PanelGauge theMagneticCompass;
extern PanelGauge theGearLever;
extern PanelGauge theThrottleLever;
extern PanelGauge theThrottleLever2;
extern PanelGauge theCowlFlapSwitch;
extern PanelGauge thePropPitchLever;
extern PanelGauge thePropPitchLever2;
extern PanelGauge theMixtureLever;
extern PanelGauge theMixtureLever2;
extern PanelGauge theFlapsLever;
extern PanelGauge theCarbHeatKnob;
extern PanelGauge theLeftFuelGauge;
extern PanelGauge theRightFuelGauge;
extern PanelGauge theFuelSelector;
extern PanelGauge theFuelSelector2;
extern PanelGauge theOilTempGauge;
extern PanelGauge theOilTempGauge2;
extern PanelGauge theOilPressureGauge;
extern PanelGauge theOilPressureGauge2;
extern PanelGauge thePropSyncSwitch;
extern PanelGauge theSpeedBrakeSwitch;
extern PanelGauge theSynchroscope;
extern PanelGauge theLeftFuelBoostSwitch;
extern PanelGauge theRightFuelBoostSwitch;
extern PanelGauge theTaxiLightSwitch;
extern PanelGauge theLandingLightSwitch;
extern PanelGauge thePitotHeatSwitch;
extern PanelGauge theNavLightSwitch;
extern PanelGauge theBeaconSwitch;
extern PanelGauge theStrobeSwitch;
extern PanelGauge theAvionicsSwitch;
extern PanelGauge theMasterSwitch;
extern PanelGauge theIgnitionSwitch;
extern PanelGauge theIgnitionSwitch2;
extern PanelGauge theIgnitionLight;
extern PanelGauge theIgnitionLight2;
extern PanelGauge theElevatorTrimIndicator;
extern PanelGauge theRudderTrimIndicator;
extern PanelGauge theAileronTrimIndicator;
extern PanelGauge theCom1Radio;
extern PanelGauge theCom2Radio;
extern PanelGauge theClock;
extern PanelGauge theTemperatureGauge;
extern PanelGauge theTransponder;
extern PanelGauge theAudioPanel;
extern PanelGauge theAutopilotPanel;
extern PanelGauge theDmeRadio;
extern PanelGauge theExhaustTempGauge;
extern PanelGauge theExhaustTempGauge2;
extern PanelGauge theAngleOfAttackIndicator;
extern PanelGauge theAmmeter;
extern PanelGauge theAmmeter2;
extern PanelGauge theGearTransitLight;
extern PanelGauge theNoseGearLight;
extern PanelGauge theRightGearLight;
extern PanelGauge theLeftGearLight;
extern PanelGauge theDmeSelector;

inline constexpr int kPanelGaugeCount = 72;
// The 72 gauges in construction order.
extern PanelGauge* const thePanelGauges[kPanelGaugeCount];

// The heading indicator and HSI: the gauge record with three drawn areas per buffer and the
// heading instrument's own words. Its drawing comes with the instruments.
class HsiGauge {
public:
    HsiGauge();
    HsiGauge(const HsiGauge&) = delete;
    HsiGauge& operator=(const HsiGauge&) = delete;
    // Forgets every drawn area and value so that the next draw repaints; buffer index 0.
    void ResetHsiDrawnState();

    std::int32_t alwaysDraw = 1;
    std::int32_t slot = 0;
    std::int32_t slotCount = 3;
    std::int32_t eraseNeeded[kGaugeSlots][3] = {};
    IntRect drawnRect[kGaugeSlots][3];
    IntPoint drawnAt[kGaugeSlots][3];
    std::int32_t drawnCard[kGaugeSlots] = {};
    std::int32_t drawnBug[kGaugeSlots] = {};
    std::int32_t drawnDeviation[kGaugeSlots] = {};
    std::int32_t drawnGlideSlope[kGaugeSlots] = {};
    // Everything else a buffer shows (course, flags, digits) in one word, and a per-buffer
    // repaint flag that `dirty` sets for every buffer.
    std::uint64_t drawnKey[kGaugeSlots] = {};
    std::int32_t repaint[kGaugeSlots] = {};
    std::uint32_t advancedInFrame = 0;
    GaugePolygonOf<3> polygon;

    std::uint16_t classFlags = 0;
    std::int16_t dmeDistance = 0;
    std::int16_t dmeSpeed = 0;
    std::int16_t dmeTime = 0;
    std::int16_t toFrom = 0;
    std::int16_t glideSlope = 0;
    std::int16_t courseDeviation = 0;
    std::int16_t course = 360;
    std::int16_t cardRotation = 0;
    std::int16_t headingDigits = 360;
    std::int16_t headingBug = 0;
    std::int32_t courseKnobSelected = 0;
    std::int32_t navWarning = 0;
    std::int32_t headingWarning = 0;
    std::int32_t signalFlag = 0;
    std::int32_t glideSlopeFlag = 0;
    std::int32_t dirty = 0;
    std::int32_t hidden = 0;
    std::int16_t compassFrame = 0;  // 0..143, 2.5 degrees a frame
    std::int16_t coursePointerFrame = 0;
    std::int32_t dmeValid = 0;  // the DME readout's valid flag, copied by the turbine types
};
extern HsiGauge theHsiGauge;

// The ground half of the attitude indicators.
extern GaugePolygon theHorizonPolygon;

// Puts every gauge back as it was built (tests and a fresh start).
void RebuildAllGauges();

}  // namespace cockpit
