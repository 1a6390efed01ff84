#include "cockpit/panel_layouts.h"

#include <array>

#include "cockpit/cockpit_switches.h"
#include "cockpit/cockpit_systems.h"
#include "cockpit/gauges.h"
#include "cockpit/instruments.h"
#include "cockpit/panel_art.h"
#include "cockpit/panel_art_tables.h"

namespace cockpit {

std::int16_t thePanelOffset = 0;

namespace {

using S = PanelSection;
using O = PanelOp;
using A = PanelArt;

// The radio rows: active window, standby window, lamps, transfer lamp, then the radio is done.
// The active window stands a few pixels left of the standby one, so that the two frequencies
// read apart ("119.00  118.30").
#define NAV_RADIO(sec, g, ax, ay, sx, sy, l1x, l1y, l2x, l2y, tx, ty, kind, type, index, off, on) \
    {sec, O::RadioActive, &g, ax, ay, {A::PanelFont}, {kFrequencySecondField, 1, kind}},                                \
        {sec, O::RadioStandby, &g, sx, sy, {A::PanelFont}, {kFrequencySecondField, 1}},                                  \
        {sec, O::LampPair, &g, l1x, l1y, {}, {l2x, l2y, 14, off, on}},                                \
        {sec, O::TransferLamp, &g, tx, ty, {A::PanelFont}, {14, off, on, 18, sx, sy, 1}},             \
        {sec, O::NavRadioLamp, &g, 0, 0, {}, {type, index}},                                          \
        {sec, O::ClearDirty, &g, 0, 0, {}, {}}
#define COM_RADIO(sec, g, ax, ay, sx, sy, tx, ty, kind, off, on)                      \
    {sec, O::RadioActive, &g, ax, ay, {A::PanelFont}, {kFrequencySecondField, 1, kind}},                 \
        {sec, O::RadioStandby, &g, sx, sy, {A::PanelFont}, {kFrequencySecondField, 1}},                  \
        {sec, O::TransferLamp, &g, tx, ty, {A::PanelFont}, {14, off, on, 18, sx, sy, 1}}, \
        {sec, O::ClearDirty, &g, 0, 0, {}, {}}
#define ADF_RADIO(sec, ax, ay, sx, sy, lx, ly, tx, ty, off, on)                                  \
    {sec, O::RadioActive, &theAdfRadio, ax, ay, {A::PanelFont}, {12, 0, -1}},                    \
        {sec, O::RadioStandby, &theAdfRadio, sx, sy, {A::PanelFont}, {12, 0}},                   \
        {sec, O::SingleLamp, &theAdfRadio, lx, ly, {}, {14, off, on}},                           \
        {sec, O::TransferLamp, &theAdfRadio, tx, ty, {A::PanelFont}, {14, off, on, 12, sx, sy, 0}}, \
        {sec, O::ClearDirty, &theAdfRadio, 0, 0, {}, {}}
#define TRANSPONDER(sec, ax, ay, l1x, l1y, l2x, l2y, altx, alty, off, on)               \
    {sec, O::RadioActive, &theTransponder, ax, ay, {A::PanelFont}, {12, 0, -2}},        \
        {sec, O::LampPair, &theTransponder, l1x, l1y, {}, {l2x, l2y, 14, off, on}},     \
        {sec, O::TransponderAltitude, &theTransponder, altx, alty, {A::PanelFont}, {}}, \
        {sec, O::ClearDirty, &theTransponder, 0, 0, {}, {}}
#define DME(sec, x1, y1, x2, y2, x3, y3, type, off, on)                                      \
    {sec, O::DmeReadout, &theDmeRadio, 0, 0, {A::PanelFont}, {type}},                        \
        {sec, O::LampTriple, &theDmeRadio, x1, y1, {}, {x2, y2, x3, y3, 13, off, on}},       \
        {sec, O::ClearDirty, &theDmeRadio, 0, 0, {}, {}}
#define BAR(sec, g, x, y, a, b, c, d, type) {sec, O::BarPointer, &g, x, y, {}, {a, b, c, d, type}}
#define TOGGLE_FRAME(g, x, y, base) {S::Always, O::ToggleFrame, &g, x, y, {A::Misc}, {base}}
#define LAMP(sec, g, x, y, base) {sec, O::PoweredLamp, &g, x, y, {A::Misc}, {base}}

const PanelRow kC172Rows[] = {
    {S::Always, O::AttitudeIndicator, &theAttitudeIndicator, 0, 0, {A::AttitudeCard, A::AttitudeRing}, {}},
    {S::Always, O::SingleNeedle, &theAirspeedIndicator, 60, 239, {A::LongNeedle}, {}},
    {S::Always, O::HsiC172, nullptr, 180, 358, {A::HeadingCard}, {}},
    {S::Always, O::ThreePointerAltimeter, &theAltimeter, 298, 239,
     {A::TenThousandNeedle, A::FatNeedle, A::LongNeedle, A::AltimeterStrip, A::AltimeterLowFlag}, {0}},
    {S::Always, O::TurnCoordinator, &theTurnCoordinator, 60, 357, {A::Turn}, {1}},
    {S::Always, O::SingleNeedle, &theVerticalSpeedIndicator, 298, 357, {A::LongNeedle}, {}},
    {S::Always, O::CourseIndicator, &theNav1Indicator, 417, 239, {A::NavCard}, {0}},
    {S::Nav2Face, O::CourseIndicator, &theNav2Indicator, 417, 357, {A::NavCard}, {0}},
    {S::AdfFace, O::AdfIndicator, &theAdfIndicator, 417, 357, {A::NavCard}, {0}},
    {S::Always, O::TachometerHourMeter, &theTachometer1, 527, 375, {A::SmallNeedle, A::HourMeter}, {}},
    {S::Always, O::AudioPanel, &theAudioPanel, 0, -74, {A::AudioPanel, A::Misc}, {0}},
    {S::Always, O::AutopilotPanel, &theAutopilotPanel, 0, -74, {A::Autopilot}, {0}},
    {S::Always, O::Clock, &theClock, kClockPoint[0].x, kClockPoint[0].y, {A::PanelFont}, {}},
    // The fuel gauges stand clear of the clock's buttons and of each other's names.
    BAR(S::Always, theLeftFuelGauge, 586, 362, 2, 6, 7, 24, 0),
    BAR(S::Always, theRightFuelGauge, 586, 388, 2, 6, 7, 24, 0),
    DME(S::Always, 586, 183, 603, 183, 620, 183, 0, 59, 33),
    NAV_RADIO(S::Always, theNav1Radio, 564, 235, 602, 235, 603, 239, 621, 239, 585, 239, 1, 0, 4, 59, 33),
    NAV_RADIO(S::Always, theNav2Radio, 564, 262, 602, 262, 603, 266, 621, 266, 585, 266, 2, 0, 8, 59, 33),
    ADF_RADIO(S::Always, 497, 289, 531, 289, 538, 293, 520, 293, 59, 33),
    COM_RADIO(S::Always, theCom1Radio, 487, 235, 525, 235, 520, 239, 1, 59, 33),
    COM_RADIO(S::Always, theCom2Radio, 487, 262, 525, 262, 520, 266, 2, 59, 33),
    TRANSPONDER(S::Always, 608, 289, 597, 293, 616, 293, 578, 289, 59, 33),
    {S::Always, O::DmeSelectorLamps, &theDmeSelector, 0, 0, {A::PanelFont}, {0}},
    BAR(S::FullView, theOilTempGauge, 512, 430, 2, 6, 7, 24, 0),
    BAR(S::FullView, theOilPressureGauge, 587, 430, 2, 6, 7, 24, 0),
    {S::FullView, O::LeverKnob, &theMixtureLever, 343, 445, {A::Misc}, {20}},
    {S::FullView, O::LeverKnob, &theThrottleLever, 296, 445, {A::Misc}, {20}},
    {S::FullView, O::LeverKnob, &theCarbHeatKnob, 255, 451, {A::Misc}, {14}},
    {S::FullView, O::TrimWheel, &theElevatorTrimIndicator, 391, 427, {}, {44}},
    {S::FullView, O::Flaps, &theFlapsLever, 440, 424, {A::Flaps}, {0}},
    {S::FullView, O::RotarySelector, &theFuelSelector, 8, 440, {A::Switch}, {7, 0}},
    {S::FullView, O::RotarySelector, &theIgnitionSwitch, 41, 439, {A::IgnitionKey}, {2, 0}},
    {S::FullView, O::ToggleC172, &theMasterSwitch, 81, 444, {A::Switch}, {1, 0}},
    {S::FullView, O::ToggleC172, &theAvionicsSwitch, 103, 444, {A::Switch}, {0, 0}},
    {S::FullView, O::ToggleC172, &thePitotHeatSwitch, 125, 444, {A::Switch}, {0, 0}},
    {S::FullView, O::ToggleC172, &theStrobeSwitch, 147, 444, {A::Switch}, {0, 0}},
    {S::FullView, O::ToggleC172, &theBeaconSwitch, 168, 444, {A::Switch}, {0, 0}},
    {S::FullView, O::ToggleC172, &theNavLightSwitch, 189, 444, {A::Switch}, {0, 0}},
    {S::FullView, O::ToggleC172, &theTaxiLightSwitch, 210, 444, {A::Switch}, {0, 0}},
    {S::FullView, O::ToggleC172, &theLandingLightSwitch, 231, 444, {A::Switch}, {0, 0}},
};

const PanelRow kBonanzaRows[] = {
    {S::Always, O::SingleNeedle, &theAirspeedIndicator, 65, 230, {A::LongNeedle}, {}},
    {S::Always, O::TurnCoordinator, &theTurnCoordinator, 65, 344, {A::Turn}, {1}},
    {S::Always, O::AttitudeIndicator, &theAttitudeIndicator, 0, 0, {A::AttitudeCard, A::AttitudeRing}, {}},
    {S::Always, O::HsiTwin, nullptr, 187, 345, {A::HeadingCard}, {1}},
    {S::Always, O::ThreePointerAltimeter, &theAltimeter, 312, 229,
     {A::TenThousandNeedle, A::FatNeedle, A::LongNeedle, A::AltimeterStrip, A::AltimeterLowFlag}, {1}},
    {S::Always, O::SingleNeedle, &theVerticalSpeedIndicator, 312, 344, {A::LongNeedle}, {}},
    {S::Always, O::AdfIndicator, &theAdfIndicator, 425, 231, {A::NavCard}, {1}},
    {S::Always, O::CourseIndicator, &theNav2Indicator, 425, 343, {A::NavCard}, {1}},
    {S::Always, O::TachometerHourMeter, &theTachometer1, 600, 214, {A::SmallNeedle, A::HourMeter}, {}},
    {S::Always, O::TwinNeedle, &theEnginePowerGauge, 525, 214, {A::SmallNeedle}, {}},
    {S::Always, O::Clock, &theClock, kClockPoint[1].x, kClockPoint[1].y, {A::PanelFont}, {}},
    {S::Always, O::AudioPanel, &theAudioPanel, 0, 0, {A::AudioPanel, A::Misc}, {1}},
    {S::Always, O::AutopilotPanel, &theAutopilotPanel, 0, 0, {A::Autopilot}, {1}},
    NAV_RADIO(S::Always, theNav1Radio, 564, 309, 602, 309, 603, 313, 621, 313, 585, 313, 1, 1, 4, 47, 24),
    NAV_RADIO(S::Always, theNav2Radio, 564, 336, 602, 336, 603, 340, 621, 340, 585, 340, 2, 1, 8, 47, 24),
    COM_RADIO(S::Always, theCom1Radio, 487, 309, 525, 309, 520, 313, 1, 47, 24),
    COM_RADIO(S::Always, theCom2Radio, 487, 336, 525, 336, 520, 340, 2, 47, 24),
    TRANSPONDER(S::Always, 608, 363, 597, 367, 616, 367, 578, 363, 47, 24),
    ADF_RADIO(S::Always, 497, 363, 531, 363, 538, 367, 520, 367, 47, 24),
    DME(S::Always, 587, 257, 603, 257, 619, 257, 1, 47, 24),
    {S::Always, O::DmeSelectorLamps, &theDmeSelector, 0, 0, {A::PanelFont}, {1}},
    // Two rows of bar gauges under the autopilot, each with its name above it.
    BAR(S::FullView, theLeftFuelGauge, 490, 411, 2, 5, 7, 27, 1),
    BAR(S::FullView, theRightFuelGauge, 490, 429, 2, 5, 7, 27, 1),
    BAR(S::FullView, theExhaustTempGauge, 544, 411, 1, 4, 7, 27, 1),
    BAR(S::FullView, theAmmeter, 544, 429, 1, 5, 7, 27, 1),
    BAR(S::FullView, theOilTempGauge, 593, 411, 1, 4, 7, 27, 1),
    BAR(S::FullView, theOilPressureGauge, 593, 429, 1, 4, 7, 27, 1),
    LAMP(S::FullView, theGearTransitLight, 424, 414, 82),
    LAMP(S::FullView, theNoseGearLight, 424, 425, 80),
    LAMP(S::FullView, theRightGearLight, 428, 433, 80),
    LAMP(S::FullView, theLeftGearLight, 420, 433, 80),
    {S::FullView, O::GearLever, &theGearLever, 407, 427, {A::GearKnob}, {16}},
    {S::FullView, O::BonanzaQuadrant, &theMixtureLever, 241, 407, {A::LeverKnob}, {}},
    {S::FullView, O::TrimWheel, &theElevatorTrimIndicator, 373, 403, {}, {48}},
    {S::FullView, O::Flaps, &theFlapsLever, 456, 412, {A::Flaps}, {1}},
    // The switches' full height stands above the screen's last row.
    {S::FullView, O::ToggleBonanza, &theMasterSwitch, 69, 416, {A::Switch}, {1}},
    {S::FullView, O::ToggleBonanza, &theAvionicsSwitch, 90, 416, {A::Switch}, {1}},
    {S::FullView, O::ToggleBonanza, &thePitotHeatSwitch, 112, 416, {A::Switch}, {1}},
    {S::FullView, O::ToggleBonanza, &theStrobeSwitch, 133, 416, {A::Switch}, {1}},
    {S::FullView, O::ToggleBonanza, &theBeaconSwitch, 154, 416, {A::Switch}, {1}},
    {S::FullView, O::ToggleBonanza, &theNavLightSwitch, 175, 416, {A::Switch}, {1}},
    {S::FullView, O::ToggleBonanza, &theTaxiLightSwitch, 196, 416, {A::Switch}, {1}},
    {S::FullView, O::ToggleBonanza, &theLandingLightSwitch, 217, 416, {A::Switch}, {1}},
    {S::FullView, O::RotarySelector, &theFuelSelector, 6, 420, {A::Switch}, {7, 1}},
    {S::FullView, O::RotarySelector, &theIgnitionSwitch, 33, 416, {A::IgnitionKey}, {2, 1}},
};

const PanelRow kBaronRows[] = {
    {S::Always, O::SingleNeedle, &theAirspeedIndicator, 61, 231, {A::LongNeedle}, {}},
    {S::Always, O::TurnCoordinator, &theTurnCoordinator, 61, 346, {A::Turn}, {1}},
    {S::Always, O::AttitudeIndicator, &theAttitudeIndicator, 0, 0, {A::AttitudeCard, A::AttitudeRing}, {}},
    {S::Always, O::HsiTwin, nullptr, 180, 345, {A::HeadingCard}, {2}},
    {S::Always, O::ThreePointerAltimeter, &theAltimeter, 301, 231,
     {A::TenThousandNeedle, A::FatNeedle, A::LongNeedle, A::AltimeterStrip, A::AltimeterLowFlag}, {2}},
    {S::Always, O::SingleNeedle, &theVerticalSpeedIndicator, 301, 346, {A::LongNeedle}, {}},
    {S::Always, O::AdfIndicator, &theAdfIndicator, 419, 230, {A::NavCard}, {2}},
    {S::Always, O::CourseIndicator, &theNav2Indicator, 419, 345, {A::NavCard}, {2}},
    {S::Always, O::TwinNeedle, &theEnginePowerGauge, 518, 210, {A::SmallNeedle}, {}},
    {S::Always, O::TwinNeedle, &theEnginePowerGauge2, 598, 210, {A::SmallNeedle}, {}},
    {S::Always, O::TwinTachometer, &theTachometer1, 518, 289, {A::SmallNeedle}, {}},
    {S::Always, O::TwinTachometer, &theTachometer2, 598, 289, {A::SmallNeedle}, {}},
    {S::Always, O::Clock, &theClock, kClockPoint[2].x, kClockPoint[2].y, {A::PanelFont}, {}},
    TOGGLE_FRAME(theMasterSwitch, 15, 427, 1),
    TOGGLE_FRAME(theAvionicsSwitch, 37, 427, 1),
    TOGGLE_FRAME(thePitotHeatSwitch, 59, 427, 1),
    TOGGLE_FRAME(theStrobeSwitch, 84, 427, 1),
    TOGGLE_FRAME(theBeaconSwitch, 105, 427, 1),
    TOGGLE_FRAME(theNavLightSwitch, 126, 427, 1),
    TOGGLE_FRAME(theTaxiLightSwitch, 147, 427, 1),
    TOGGLE_FRAME(theLandingLightSwitch, 168, 427, 1),
    TOGGLE_FRAME(thePropSyncSwitch, 193, 427, 1),
    TOGGLE_FRAME(theCowlFlapSwitch, 193, 466, 3),
    TOGGLE_FRAME(theLeftFuelBoostSwitch, 147, 466, 3),
    TOGGLE_FRAME(theRightFuelBoostSwitch, 168, 466, 3),
    {S::Always, O::Flaps, &theFlapsLever, 458, 426, {A::Flaps}, {2}},
    LAMP(S::Always, theGearTransitLight, 437, 422, 82),
    LAMP(S::Always, theNoseGearLight, 429, 430, 80),
    LAMP(S::Always, theRightGearLight, 434, 437, 80),
    LAMP(S::Always, theLeftGearLight, 424, 437, 80),
    {S::Always, O::GearLever, &theGearLever, 426, 461, {A::GearKnob}, {18}},
    {S::Always, O::TrimWheel, &theElevatorTrimIndicator, 387, 420, {}, {17}},
    {S::Always, O::SideTrim, &theRudderTrimIndicator, 385, 463, {}, {47}},
    {S::Always, O::LeverFrame, &theSynchroscope, 558, 249, {A::Synchroscope}, {1, 0}},
    {S::Always, O::RotarySelector, &theFuelSelector, 3, 460, {A::Switch}, {7, 2}},
    {S::Always, O::RotarySelector, &theFuelSelector2, 32, 460, {A::Switch}, {7, 2}},
    {S::Always, O::RotarySelector, &theIgnitionSwitch, 55, 453, {A::IgnitionKey}, {2, 2}},
    {S::Always, O::RotarySelector, &theIgnitionSwitch2, 96, 453, {A::IgnitionKey}, {2, 2}},
    // The quadrants stand so that a lever at its lowest step (idle, feather, cut-off) still shows
    // its handle above the slot's bottom and at its highest below the slot's top.
    {S::Always, O::TwinQuadrant, &theMixtureLever, 204, kQuadrantIdleRow, {A::Misc}, {2}},
    {S::Always, O::DmeSelectorLamps, &theDmeSelector, 0, 0, {A::PanelFont}, {2}},
    {S::StackShown, O::AudioPanel, &theAudioPanel, -1, 77, {A::AudioPanel, A::Misc}, {2}},
    {S::StackShown, O::AutopilotPanel, &theAutopilotPanel, -1, 77, {A::Autopilot}, {2}},
    DME(S::StackShown, 585, 334, 602, 334, 619, 334, 2, 48, 17),
    NAV_RADIO(S::StackShown, theNav1Radio, 563, 386, 601, 386, 602, 390, 620, 390, 584, 390, 1, 2, 4, 48, 17),
    NAV_RADIO(S::StackShown, theNav2Radio, 563, 413, 601, 413, 602, 417, 620, 417, 584, 417, 2, 2, 8, 48, 17),
    COM_RADIO(S::StackShown, theCom1Radio, 486, 386, 524, 386, 519, 390, 1, 48, 17),
    COM_RADIO(S::StackShown, theCom2Radio, 486, 413, 524, 413, 519, 417, 2, 48, 17),
    TRANSPONDER(S::StackShown, 607, 440, 596, 444, 615, 444, 577, 440, 48, 17),
    ADF_RADIO(S::StackShown, 496, 440, 530, 440, 537, 444, 519, 444, 48, 17),
    BAR(S::StackSwapped, theLeftFuelGauge, 497, 339, 1, 6, 10, 40, 2),
    BAR(S::StackSwapped, theRightFuelGauge, 575, 339, 1, 6, 10, 40, 2),
    BAR(S::StackSwapped, theAmmeter, 502, 395, 1, 6, 10, 40, 2),
    BAR(S::StackSwapped, theAmmeter2, 580, 395, 1, 6, 10, 40, 2),
    BAR(S::StackSwapped, theOilTempGauge, 500, 422, 2, 8, 10, 40, 2),
    BAR(S::StackSwapped, theOilTempGauge2, 578, 422, 1, 9, 10, 40, 2),
    BAR(S::StackSwapped, theOilPressureGauge, 499, 454, 1, 9, 7, 27, 2),
    BAR(S::StackSwapped, theOilPressureGauge2, 577, 454, 1, 9, 7, 27, 2),
    BAR(S::StackSwapped, theExhaustTempGauge, 500, 367, 1, 6, 7, 27, 2),
    BAR(S::StackSwapped, theExhaustTempGauge2, 579, 367, 1, 6, 7, 27, 2),
};

const PanelRow kKingAirRows[] = {
    {S::Always, O::AttitudeDirector, &theAttitudeIndicator, 0, 0, {A::AttitudeCard}, {64}},
    {S::Always, O::SingleNeedle, &theAirspeedIndicator, 51, 228, {A::LongNeedle}, {}},
    {S::Always, O::CounterAltimeter, &theAltimeter, 276, 220, {A::FatNeedle, A::AltimeterCounter, A::Baro}, {}},
    {S::Always, O::TurnCoordinator, &theTurnCoordinator, 169, 282, {A::Turn}, {0}},
    {S::Always, O::HsiTurbine, nullptr, 170, 366, {A::HeadingCard, A::HsiText}, {3}},
    {S::Always, O::SingleNeedle, &theVerticalSpeedIndicator, 289, 333, {A::LongNeedle}, {}},
    {S::Always, O::Rmi, &theAdfIndicator, 51, 333, {A::NavCard}, {3}},
    {S::Always, O::TwinNeedle, &theTachometer1, 379, 288, {A::SmallNeedle}, {}},
    {S::Always, O::TwinNeedle, &theTachometer2, 454, 288, {A::SmallNeedle}, {}},
    {S::Always, O::TwinNeedle, &theEnginePowerGauge, 529, 210, {A::SmallNeedle}, {}},
    {S::Always, O::TwinNeedle, &theEnginePowerGauge2, 604, 210, {A::SmallNeedle}, {}},
    {S::Always, O::TwinNeedleSlewFirst, &theOilTempGauge, 529, 288, {A::SmallNeedle}, {}},
    {S::Always, O::TwinNeedleSlewFirst, &theOilTempGauge2, 604, 288, {A::SmallNeedle}, {}},
    {S::Always, O::SingleNeedle, &theExhaustTempGauge, 379, 210, {A::SmallNeedle}, {}},
    {S::Always, O::SingleNeedle, &theExhaustTempGauge2, 454, 210, {A::SmallNeedle}, {}},
    {S::Always, O::Clock, &theClock, kClockPoint[3].x, kClockPoint[3].y, {A::PanelFont}, {}},
    TOGGLE_FRAME(theMasterSwitch, 11, 425, 1),
    TOGGLE_FRAME(theAvionicsSwitch, 31, 425, 1),
    TOGGLE_FRAME(thePitotHeatSwitch, 51, 425, 1),
    TOGGLE_FRAME(theIgnitionSwitch, 11, 465, 3),
    TOGGLE_FRAME(theIgnitionSwitch2, 31, 465, 3),
    TOGGLE_FRAME(theStrobeSwitch, 56, 465, 3),
    TOGGLE_FRAME(theBeaconSwitch, 76, 465, 3),
    TOGGLE_FRAME(theNavLightSwitch, 96, 465, 3),
    TOGGLE_FRAME(theTaxiLightSwitch, 116, 465, 3),
    TOGGLE_FRAME(theLandingLightSwitch, 136, 465, 3),
    TOGGLE_FRAME(thePropSyncSwitch, 161, 465, 3),
    TOGGLE_FRAME(theLeftFuelBoostSwitch, 186, 465, 3),
    TOGGLE_FRAME(theRightFuelBoostSwitch, 206, 465, 3),
    {S::Always, O::Flaps, &theFlapsLever, 457, 416, {A::Flaps}, {3}},
    LAMP(S::Always, theGearTransitLight, 433, 407, 82),
    LAMP(S::Always, theNoseGearLight, 428, 420, 80),
    LAMP(S::Always, theRightGearLight, 434, 431, 80),
    LAMP(S::Always, theLeftGearLight, 422, 431, 80),
    {S::Always, O::GearLever, &theGearLever, 427, 461, {A::GearKnob}, {18}},
    {S::Always, O::TrimWheel, &theElevatorTrimIndicator, 386, 401, {}, {44}},
    {S::Always, O::SideTrim, &theRudderTrimIndicator, 385, 444, {}, {54}},
    {S::Always, O::SideTrim, &theAileronTrimIndicator, 385, 465, {}, {54}},
    {S::Always, O::LeverFrame, &theSynchroscope, 416, 249, {A::Synchroscope}, {1, 0}},
    {S::Always, O::LeverFrame, &theFuelSelector, 71, 425, {A::Misc}, {5, 1}},
    {S::Always, O::LeverFrame, &theFuelSelector2, 94, 425, {A::Misc}, {5, 1}},
    {S::Always, O::TwinQuadrant, &theMixtureLever, 232, kQuadrantIdleRow, {A::Misc}, {3}},
    BAR(S::Always, theLeftFuelGauge, 349, 336, 2, 7, 9, 45, 3),
    BAR(S::Always, theRightFuelGauge, 419, 336, 2, 7, 9, 45, 3),
    BAR(S::Always, theAmmeter, 350, 365, 2, 7, 9, 45, 3),
    BAR(S::Always, theAmmeter2, 420, 365, 2, 7, 9, 45, 3),
    {S::Always, O::DmeSelectorLamps, &theDmeSelector, 0, 0, {A::PanelFont}, {3}},
    DME(S::Always, 587, 335, 604, 335, 621, 335, 3, 55, 50),
    {S::StackShown, O::AudioPanel, &theAudioPanel, 1, 78, {A::AudioPanel, A::Misc}, {3}},
    {S::StackShown, O::AutopilotPanel, &theAutopilotPanel, 1, 78, {A::Autopilot}, {3}},
    NAV_RADIO(S::StackShown, theNav1Radio, 565, 387, 603, 387, 604, 391, 622, 391, 586, 391, 1, 3, 4, 55, 50),
    NAV_RADIO(S::StackShown, theNav2Radio, 565, 414, 603, 414, 604, 418, 622, 418, 586, 418, 2, 3, 8, 55, 50),
    COM_RADIO(S::StackShown, theCom1Radio, 488, 387, 526, 387, 521, 391, 1, 55, 50),
    COM_RADIO(S::StackShown, theCom2Radio, 488, 414, 526, 414, 521, 418, 2, 55, 50),
    TRANSPONDER(S::StackShown, 609, 441, 598, 445, 617, 445, 579, 441, 55, 50),
    ADF_RADIO(S::StackShown, 498, 441, 532, 441, 539, 445, 521, 445, 55, 50),
};

#define JET_NAV(g, y, ly, by, ty, kind, index)                                                      \
    {S::StackShown, O::RadioActive, &g, 498, y, {A::PanelFont}, {kFrequencySecondField, 1, kind}},                    \
        {S::StackShown, O::RadioStandby, &g, 546, y, {A::PanelFont}, {kFrequencySecondField, 1}},                     \
        {S::StackShown, O::SecondLamp, &g, 550, ly, {}, {14, 52, 50}},                             \
        {S::StackShown, O::RadioButtonLamp, &g, 594, by, {A::Misc}, {}},                           \
        {S::StackShown, O::TransferLamp, &g, 531, ty, {A::PanelFont}, {14, 52, 50, 18, 546, y, 1}}, \
        {S::StackShown, O::NavRadioLamp, &g, 0, 0, {}, {4, index}},                                \
        {S::StackShown, O::ClearDirty, &g, 0, 0, {}, {}}

const PanelRow kCitationJetRows[] = {
    {S::Always, O::AttitudeDirector, &theAttitudeIndicator, 0, 0, {A::AttitudeCard}, {20}},
    {S::Always,
     O::MachAirspeed,
     &theAirspeedIndicator,
     51,
     186,
     {A::LongNeedle, A::Baro},
     {44, 203}},
    {S::Always, O::SingleNeedle, &theVerticalSpeedIndicator, 313, 294, {A::LongNeedle}, {}},
    {S::Always,
     O::CounterAltimeter,
     &theAltimeter,
     301,
     178,
     {A::FatNeedle, A::AltimeterCounter, A::Baro},
     {}},
    {S::Always, O::Rmi, &theAdfIndicator, 53, 295, {A::NavCard}, {4}},
    {S::Always, O::HsiTurbine, nullptr, 183, 338, {A::HeadingCard, A::HsiText}, {4}},
    {S::Always, O::TurnCoordinator, &theTurnCoordinator, 183, 245, {A::Turn}, {0}},
    // The engines' readouts in one row, each pair named above it: N1 and the turbine
    // temperatures over their own tapes, the fuel flows over the fuel's.
    {S::Always, O::EngineReadout, &theEnginePowerGauge, 587, 159, {A::JetReadout}, {3}},
    {S::Always, O::ClearDirty, &theEnginePowerGauge, 0, 0, {}, {}},
    {S::Always, O::EngineReadout, &theEnginePowerGauge2, 608, 159, {A::JetReadout}, {3}},
    {S::Always, O::ClearDirty, &theEnginePowerGauge2, 0, 0, {}, {}},
    {S::Always, O::EngineReadout, &thePropPitchLever, 433, 159, {A::JetReadout}, {3}},
    TOGGLE_FRAME(thePropPitchLever, 424, 157, 82),
    {S::Always, O::ClearDirty, &thePropPitchLever, 0, 0, {}, {}},
    {S::Always, O::EngineReadout, &thePropPitchLever2, 455, 159, {A::JetReadout}, {3}},
    TOGGLE_FRAME(thePropPitchLever2, 470, 157, 82),
    {S::Always, O::ClearDirty, &thePropPitchLever2, 0, 0, {}, {}},
    {S::Always, O::EngineReadout, &theTachometer1, 383, 159, {A::JetReadout}, {3, 1}},
    {S::Always, O::TapeGauge, &theTachometer1, 386, 251, {}, {21}},
    {S::Always, O::EngineReadout, &theTachometer2, 405, 159, {A::JetReadout}, {3, 1}},
    {S::Always, O::TapeGauge, &theTachometer2, 416, 251, {}, {21}},
    {S::Always, O::TapeGauge, &theExhaustTempGauge, 428, 251, {}, {21}},
    {S::Always, O::TapeGauge, &theExhaustTempGauge2, 462, 251, {}, {21}},
    {S::Always, O::TapeGauge, &theLeftFuelGauge, 591, 257, {}, {21}},
    {S::Always, O::TapeGauge, &theRightFuelGauge, 622, 257, {}, {21}},
    {S::Always, O::TapeGauge, &theOilTempGauge, 531, 257, {}, {21}},
    {S::Always, O::TapeGauge, &theOilTempGauge2, 560, 257, {}, {21}},
    {S::Always, O::TapeGauge, &theOilPressureGauge, 493, 257, {}, {21}},
    {S::Always, O::TapeGauge, &theOilPressureGauge2, 523, 257, {}, {21}},
    {S::Always, O::ThreeDigitReadout, &theAngleOfAttackIndicator, 451, 382, {A::PanelFont}, {}},
    {S::Always, O::Clock, &theClock, kClockPoint[4].x, kClockPoint[4].y, {A::PanelFont}, {}},
    TOGGLE_FRAME(theMasterSwitch, 13, 397, 1),
    TOGGLE_FRAME(theAvionicsSwitch, 33, 397, 1),
    TOGGLE_FRAME(thePitotHeatSwitch, 53, 397, 1),
    TOGGLE_FRAME(theIgnitionSwitch, 0, 429, 10),
    TOGGLE_FRAME(theIgnitionSwitch2, 26, 429, 10),
    TOGGLE_FRAME(theIgnitionLight, 14, 419, 84),
    TOGGLE_FRAME(theIgnitionLight2, 41, 419, 84),
    TOGGLE_FRAME(theStrobeSwitch, 63, 435, 3),
    TOGGLE_FRAME(theBeaconSwitch, 86, 435, 3),
    TOGGLE_FRAME(theNavLightSwitch, 109, 435, 3),
    TOGGLE_FRAME(theTaxiLightSwitch, 132, 435, 3),
    TOGGLE_FRAME(theLandingLightSwitch, 155, 435, 3),
    TOGGLE_FRAME(theSpeedBrakeSwitch, 184, 435, 3),
    TOGGLE_FRAME(theLeftFuelBoostSwitch, 213, 435, 3),
    TOGGLE_FRAME(theRightFuelBoostSwitch, 238, 435, 3),
    {S::Always, O::Flaps, &theFlapsLever, 416, 383, {A::Flaps}, {4}},
    {S::Always, O::OutsideAirTemperature, &theTemperatureGauge, 448, 422, {A::PanelFont}, {}},
    LAMP(S::Always, theGearTransitLight, 393, 374, 88),
    LAMP(S::Always, theNoseGearLight, 387, 387, 86),
    LAMP(S::Always, theRightGearLight, 393, 398, 86),
    LAMP(S::Always, theLeftGearLight, 381, 398, 86),
    {S::Always, O::GearLever, &theGearLever, 385, 427, {A::GearKnob}, {18}},
    {S::Always, O::TrimWheel, &theElevatorTrimIndicator, 346, 368, {}, {60}},
    {S::Always, O::SideTrim, &theRudderTrimIndicator, 344, 411, {}, {45}},
    {S::Always, O::SideTrim, &theAileronTrimIndicator, 344, 432, {}, {45}},
    {S::Always, O::LeverFrame, &theFuelSelector, 73, 397, {A::Misc}, {5, 1}},
    {S::Always, O::LeverFrame, &theFuelSelector2, 96, 397, {A::Misc}, {5, 1}},
    {S::Always, O::JetThrottles, &theMixtureLever, 262, kQuadrantIdleRow - 34, {A::Misc}, {}},
    BAR(S::Always, theAmmeter, 383, 323, 2, 9, 2, 26, 4),
    BAR(S::Always, theAmmeter2, 439, 323, 2, 9, 2, 26, 4),
    {S::Always, O::DmeSelectorLamps, &theDmeSelector, 0, 0, {A::PanelFont}, {4}},
    DME(S::Always, 585, 289, 602, 289, 619, 289, 4, 52, 50),
    {S::StackShown, O::AudioPanel, &theAudioPanel, -1, 43, {A::AudioPanel, A::Misc}, {4}},
    {S::StackShown, O::AutopilotPanel, &theAutopilotPanel, -1, 47, {A::Autopilot}, {4}},
    JET_NAV(theNav1Radio, 354, 357, 347, 357, 1, 4),
    JET_NAV(theNav2Radio, 374, 377, 367, 377, 2, 8),
    {S::StackShown, O::RadioActive, &theCom1Radio, 498, 314, {A::PanelFont}, {kFrequencySecondField, 1, 1}},
    {S::StackShown, O::RadioStandby, &theCom1Radio, 546, 314, {A::PanelFont}, {kFrequencySecondField, 1}},
    {S::StackShown,
     O::TransferLamp,
     &theCom1Radio,
     531,
     317,
     {A::PanelFont},
     {14, 52, 50, 18, 546, 314, 1}},
    {S::StackShown, O::ClearDirty, &theCom1Radio, 0, 0, {}, {}},
    {S::StackShown, O::RadioActive, &theCom2Radio, 498, 334, {A::PanelFont}, {kFrequencySecondField, 1, 2}},
    {S::StackShown, O::RadioStandby, &theCom2Radio, 546, 334, {A::PanelFont}, {kFrequencySecondField, 1}},
    {S::StackShown,
     O::TransferLamp,
     &theCom2Radio,
     531,
     337,
     {A::PanelFont},
     {14, 52, 50, 18, 546, 334, 1}},
    {S::StackShown, O::ClearDirty, &theCom2Radio, 0, 0, {}, {}},
    TRANSPONDER(S::StackShown, 568, 414, 496, 407, 531, 417, 528, 414, 52, 50),
    {S::StackShown, O::RadioActive, &theAdfRadio, 507, 394, {A::PanelFont}, {12, 0, -1}},
    {S::StackShown, O::RadioStandby, &theAdfRadio, 552, 394, {A::PanelFont}, {12, 0}},
    {S::StackShown, O::RadioButtonLamp, &theAdfRadio, 594, 387, {A::Misc}, {}},
    {S::StackShown,
     O::TransferLamp,
     &theAdfRadio,
     531,
     397,
     {A::PanelFont},
     {14, 52, 50, 12, 552, 394, 0}},
    {S::StackShown, O::ClearDirty, &theAdfRadio, 0, 0, {}, {}},
};

#undef NAV_RADIO
#undef COM_RADIO
#undef ADF_RADIO
#undef TRANSPONDER
#undef DME
#undef BAR
#undef TOGGLE_FRAME
#undef LAMP
#undef JET_NAV

template <std::size_t N>
int CountOf(const PanelRow (&)[N]) {
    return static_cast<int>(N);
}

IntPoint At(const PanelRow& r, int offset) {
    return {r.x, r.y + offset};
}
IntPoint Arg(const PanelRow& r, int i, int offset) {
    return {r.arg[i], r.arg[i + 1] + offset};
}

void DrawRow(const PanelRow& r, int offset, int type) {
    PanelGauge* gp = r.gauge;
    if (gp == nullptr && r.op != O::HsiC172 && r.op != O::HsiTwin && r.op != O::HsiTurbine) return;
    PanelGauge& g = gp != nullptr ? *gp : theDmeSelector;
    const IntPoint p = At(r, offset);
    const GFXFont* f0 = PanelArtFont(r.art[0]);
    const GFXFont* f1 = PanelArtFont(r.art[1]);
    const GFXBitmap* b0 = PanelArtBitmap(r.art[0]);
    const std::int32_t* a = r.arg;
    switch (r.op) {
        case O::SingleNeedle:
            DrawSingleNeedleGauge(g, f0, p.x, p.y);
            break;
        case O::MachAirspeed:
            DrawMachAirspeedIndicator(g, f0, f1, p, Arg(r, 0, offset));
            break;
        case O::TurnCoordinator:
            DrawTurnCoordinator(g, f0, p, a[0]);
            break;
        case O::ThreePointerAltimeter:
            DrawThreePointerAltimeter(g, f0, f1, PanelArtFont(r.art[2]), PanelArtBitmap(r.art[3]),
                                      PanelArtBitmap(r.art[4]), p.x, p.y, a[0]);
            break;
        case O::CounterAltimeter:
            DrawCounterAltimeter(g, f0, PanelArtBitmap(r.art[1]), PanelArtFont(r.art[2]), p.x, p.y);
            break;
        case O::AttitudeIndicator:
            DrawAttitudeIndicator(g, f0, f1, theAttitudeLayout);
            break;
        case O::AttitudeDirector:
            DrawAttitudeDirector(g, f0, a[0], theAttitudeLayout);
            break;
        case O::HsiC172:
            DrawHsiC172(theHsiGauge, f0, p.x, p.y);
            break;
        case O::HsiTwin:
            DrawHsiTwin(theHsiGauge, f0, p.x, p.y, a[0]);
            break;
        case O::HsiTurbine:
            DrawHsiTurbine(theHsiGauge, f0, f1, p.x, p.y, a[0]);
            break;
        case O::CourseIndicator:
            DrawCourseIndicator(g, f0, p, a[0]);
            break;
        case O::AdfIndicator:
            DrawAdfIndicator(g, f0, p, a[0]);
            break;
        case O::Rmi:
            DrawRmi(g, f0, p, a[0]);
            break;
        case O::TachometerHourMeter:
            DrawTachometerWithHourMeter(g, f0, PanelArtBitmap(r.art[1]), p);
            break;
        case O::TwinTachometer:
            DrawTwinTachometer(g, f0, p);
            break;
        case O::TwinNeedle:
            DrawTwinNeedleGauge(g, f0, p.x, p.y);
            break;
        case O::TwinNeedleSlewFirst:
            DrawTwinNeedleGaugeSlewFirst(g, f0, p.x, p.y);
            break;
        case O::LeverKnob:
            DrawLeverKnob(g, f0, p, a[0]);
            break;
        case O::BonanzaQuadrant:
            DrawBonanzaQuadrant(g, b0, p.x, p.y);
            break;
        case O::TwinQuadrant:
            DrawTwinQuadrant(g, f0, p.x, p.y, a[0]);
            break;
        case O::JetThrottles:
            DrawJetThrottles(g, f0, p.x, p.y);
            break;
        case O::GearLever:
            DrawGearLever(g, b0, GearKnobSource(type), p, g.knob, a[0]);
            break;
        case O::AudioPanel:
            DrawAudioPanel(g, b0, f1, p.x, p.y, a[0]);
            break;
        case O::AutopilotPanel:
            DrawAutopilotPanel(g, b0, p.x, p.y, a[0]);
            break;
        case O::Clock:
            DrawClock(g, f0, p);
            break;
        case O::BarPointer:
            DrawBarPointerGauge(g, p.x, p.y, a[0], a[1], a[2], a[3], a[4]);
            break;
        case O::ToggleC172:
            DrawToggleSwitchC172(g, b0, p, a[0], a[1]);
            break;
        case O::ToggleBonanza:
            DrawToggleSwitchBonanza(g, b0, p, a[0]);
            break;
        case O::ToggleFrame:
            DrawToggleSwitchFrame(g, f0, p, a[0]);
            break;
        case O::PoweredLamp:
            DrawPoweredLamp(g, f0, p, a[0]);
            break;
        case O::RotarySelector:
            DrawRotarySelector(g, b0, p, a[0], a[1]);
            break;
        case O::LeverFrame:
            DrawLeverFrame(g, f0, p, a[0], a[1]);
            break;
        case O::Flaps:
            DrawFlapsIndicator(g, b0, p, a[0]);
            break;
        case O::TrimWheel:
            DrawTrimWheelIndicator(g, p, a[0]);
            break;
        case O::SideTrim:
            DrawSideTrimIndicator(g, p, a[0]);
            break;
        case O::TapeGauge:
            DrawTapeGauge(g, p.x, p.y, a[0]);
            break;
        case O::EngineReadout:
            DrawEngineReadout(g, f0, p, a[0], a[1]);
            break;
        case O::ThreeDigitReadout:
            DrawThreeDigitReadout(g, f0, p);
            break;
        case O::OutsideAirTemperature:
            DrawOutsideAirTemperature(g, f0, p,
                                      {p.x + kTemperatureUnitOffset.x, p.y + kTemperatureUnitOffset.y});
            break;
        case O::RadioActive:
            DrawRadioActiveFrequency(g, f0, p, a[0], a[1], a[2]);
            break;
        case O::RadioStandby:
            DrawRadioStandbyWindow(g, f0, p, a[0], a[1]);
            break;
        case O::TransferLamp:
            DrawTransferLamp(g, p, a[0], a[1], a[2], f0, a[3], Arg(r, 4, offset), a[6]);
            break;
        case O::SingleLamp:
            DrawSingleLamp(g, p, a[0], a[1], a[2]);
            break;
        case O::LampPair:
            DrawLampPair(g, p, Arg(r, 0, offset), a[2], a[3], a[4]);
            break;
        case O::SecondLamp:
            DrawSecondLamp(g, p, a[0], a[1], a[2]);
            break;
        case O::LampTriple:
            DrawLampTriple(g, p, Arg(r, 0, offset), Arg(r, 2, offset), a[4], a[5], a[6]);
            break;
        case O::TransponderAltitude:
            DrawTransponderAltitude(g, f0, p);
            break;
        case O::DmeReadout:
            DrawDmeReadout(g, f0, offset, a[0]);
            break;
        case O::DmeSelectorLamps:
            DrawDmeSelectorLamps(g, f0, offset, a[0]);
            break;
        case O::NavRadioLamp:
            DrawNavRadioLamp(g, offset, a[0], a[1]);
            break;
        case O::RadioButtonLamp:
            DrawRadioButtonLamp(g, f0, p);
            break;
        case O::ClearDirty:
            g.dirty = 0;
            break;
    }
}

void DrawPanelRows(int type, std::int16_t offset) {
    thePanelOffset = offset;
    BeginPanelFrame();
    // The heading card is drawn from the frame the instrument keeps for the magnetic heading.
    theHsiGauge.cardRotation = theHsiGauge.compassFrame;
    // The low-panel view is the one whose offset the routine was called with.
    const int viewMode = (type == 0 || type == 1) && offset == PanelOffsetFor(type, 1) ? 1 : 0;
    int count = 0;
    const PanelRow* rows = PanelRowsOf(type, &count);
    for (int i = 0; i < count; ++i)
        if (SectionShown(rows[i].section, viewMode)) DrawRow(rows[i], offset, type);
}

// Every panel pass looks up three pieces of art a row: by table, not by a switch's jump, which
// the rows' changing kinds kept mispredicting. The tables hold the places the art is loaded
// into, by PanelArt; a font's place is null among the bitmaps and the other way round.
constexpr std::size_t kArtCount = static_cast<std::size_t>(A::Synchroscope) + 1;

template <class T>
using ArtPlaces = std::array<T* const*, kArtCount>;

constexpr std::size_t ArtIndex(PanelArt art) {
    return static_cast<std::size_t>(art);
}

constexpr ArtPlaces<GFXFont> FontPlaces() {
    ArtPlaces<GFXFont> t{};
    t[ArtIndex(A::PanelFont)] = &thePanelFont;
    t[ArtIndex(A::JetReadout)] = &theJetReadoutFont;
    t[ArtIndex(A::Baro)] = &theBaroFont;
    t[ArtIndex(A::LongNeedle)] = &theLongNeedleFont;
    t[ArtIndex(A::SmallNeedle)] = &theSmallNeedleFont;
    t[ArtIndex(A::TenThousandNeedle)] = &theTenThousandNeedleFont;
    t[ArtIndex(A::FatNeedle)] = &theFatNeedleFont;
    t[ArtIndex(A::HeadingCard)] = &theHeadingCardFont;
    t[ArtIndex(A::HsiText)] = &theHsiTextFont;
    t[ArtIndex(A::NavCard)] = &theNavCardFont;
    t[ArtIndex(A::Turn)] = &theTurnFont;
    t[ArtIndex(A::AttitudeRing)] = &theAttitudeRingFont;
    t[ArtIndex(A::AttitudeCard)] = &theAttitudeCardFont;
    t[ArtIndex(A::Misc)] = &theMiscSpriteFont;
    t[ArtIndex(A::Synchroscope)] = &theSynchroscopeFont;
    return t;
}

constexpr ArtPlaces<GFXBitmap> BitmapPlaces() {
    ArtPlaces<GFXBitmap> t{};
    t[ArtIndex(A::AltimeterStrip)] = &theAltimeterStripArt;
    t[ArtIndex(A::AltimeterLowFlag)] = &theAltimeterLowFlagArt;
    t[ArtIndex(A::AltimeterCounter)] = &theAltimeterCounterArt;
    t[ArtIndex(A::GearKnob)] = &theGearKnobArt;
    t[ArtIndex(A::LeverKnob)] = &theLeverKnobArt;
    t[ArtIndex(A::Flaps)] = &theFlapsArt;
    t[ArtIndex(A::Switch)] = &theSwitchArt;
    t[ArtIndex(A::IgnitionKey)] = &theIgnitionKeyArt;
    t[ArtIndex(A::HourMeter)] = &theHourMeterArt;
    t[ArtIndex(A::Autopilot)] = &theAutopilotArt;
    t[ArtIndex(A::AudioPanel)] = &theAudioPanelArt;
    return t;
}

constexpr ArtPlaces<GFXFont> kFontPlaces = FontPlaces();
constexpr ArtPlaces<GFXBitmap> kBitmapPlaces = BitmapPlaces();

// The art loaded into the place the table holds for `art`, or null.
template <class T>
const T* ArtAt(const ArtPlaces<T>& places, PanelArt art) {
    const std::size_t i = ArtIndex(art);
    return i < places.size() && places[i] != nullptr ? *places[i] : nullptr;
}

}  // namespace

const GFXFont* PanelArtFont(PanelArt art) {
    return ArtAt(kFontPlaces, art);
}

const GFXBitmap* PanelArtBitmap(PanelArt art) {
    return ArtAt(kBitmapPlaces, art);
}

const PanelRow* PanelRowsOf(int type, int* count) {
    switch (type) {
        case 0:
            *count = CountOf(kC172Rows);
            return kC172Rows;
        case 1:
            *count = CountOf(kBonanzaRows);
            return kBonanzaRows;
        case 2:
            *count = CountOf(kBaronRows);
            return kBaronRows;
        case 3:
            *count = CountOf(kKingAirRows);
            return kKingAirRows;
        case 4:
            *count = CountOf(kCitationJetRows);
            return kCitationJetRows;
        default:
            *count = 0;
            return nullptr;
    }
}

bool SectionShown(PanelSection section, int viewMode) {
    // Most rows are drawn always or in the full view: tested before the others' jump.
    if (section == S::Always) return true;
    if (section == S::FullView) return viewMode == 0;
    switch (section) {
        case S::Always:
            return true;
        case S::FullView:
            return viewMode == 0;
        case S::Nav2Face:
            return theNav2Indicator.altFace != 0;
        case S::AdfFace:
            return theNav2Indicator.altFace == 0;
        case S::StackShown:
            return theSwapPanel == 0;
        case S::StackSwapped:
            return theSwapPanel != 0;
    }
    return false;
}

int PanelRowShift(int type) {
    return PanelOffsetFor(type, 0) - (type == 0 ? 171 : type == 1 ? 193 : type == 4 ? 143 : 150);
}

int PanelOffsetFor(int type, int viewMode) {
    if (viewMode == 0) return type >= 0 && type < kAircraftTypes ? kFullViewOffset[type] : -1;
    if (viewMode == 1) {
        if (type == 0) return 58;
        if (type == 1) return 78;
    }
    return -1;
}

void DrawPanelC172(std::int16_t offset) {
    DrawPanelRows(0, offset);
}
void DrawPanelBonanza(std::int16_t offset) {
    DrawPanelRows(1, offset);
}
void DrawPanelBaron(std::int16_t offset) {
    DrawPanelRows(2, offset);
}
void DrawPanelKingAir(std::int16_t offset) {
    DrawPanelRows(3, offset);
}
void DrawPanelCitationJet(std::int16_t offset) {
    DrawPanelRows(4, offset);
}

void DrawPanelForType(int type, int viewMode) {
    const int offset = PanelOffsetFor(type, viewMode);
    if (offset < 0) return;
    const auto o = static_cast<std::int16_t>(offset);
    switch (type) {
        case 0:
            DrawPanelC172(o);
            break;
        case 1:
            DrawPanelBonanza(o);
            break;
        case 2:
            DrawPanelBaron(o);
            break;
        case 3:
            DrawPanelKingAir(o);
            break;
        case 4:
            DrawPanelCitationJet(o);
            break;
        default:
            break;
    }
}

}  // namespace cockpit
