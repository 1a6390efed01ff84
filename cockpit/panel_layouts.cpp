#include "cockpit/panel_layouts.h"

namespace cockpit {

std::int16_t thePanelOffset = 0;

const LayoutItem theC172Layout[] = {
    {"theAttitudeIndicator", Instrument::Attitude, 179, 239, 48},
    {"theAirspeedIndicator", Instrument::Dial, 60, 239, 50},
    {"theHsiGauge", Instrument::Heading, 180, 358, 48},
    {"theAltimeter", Instrument::Dial, 298, 239, 50},
    {"theTurnCoordinator", Instrument::Dial, 60, 357, 50},
    {"theVerticalSpeedIndicator", Instrument::Dial, 298, 357, 50},
    {"theNav1Indicator", Instrument::Dial, 417, 239, 50},
    {"theAdfIndicator", Instrument::Dial, 417, 357, 50},
    {"theTachometer1", Instrument::Dial, 527, 375, 36},
    {"theClock", Instrument::Readout, 582, 342, 40},
    {"theLeftFuelGauge", Instrument::BarGauge, 586, 355, 24},
    {"theRightFuelGauge", Instrument::BarGauge, 586, 384, 24},
    {"theDmeRadio", Instrument::Radio, 586, 183, 48},
    {"theNav1Radio", Instrument::Radio, 568, 235, 70},
    {"theNav2Radio", Instrument::Radio, 568, 262, 70},
    {"theAdfRadio", Instrument::Radio, 497, 289, 50},
    {"theCom1Radio", Instrument::Radio, 491, 235, 70},
    {"theCom2Radio", Instrument::Radio, 491, 262, 70},
    {"theTransponder", Instrument::Radio, 608, 289, 30},
    {"theOilTempGauge", Instrument::BarGauge, 512, 430, 24},
    {"theOilPressureGauge", Instrument::BarGauge, 587, 430, 24},
    {"theMixtureLever", Instrument::Lever, 343, 445, 20},
    {"theThrottleLever", Instrument::Lever, 296, 445, 20},
    {"theCarbHeatKnob", Instrument::Lever, 255, 451, 14},
    {"theElevatorTrimIndicator", Instrument::Trim, 391, 427, 44},
    {"theFlapsLever", Instrument::Flaps, 440, 424, 0},
    {"theFuelSelector", Instrument::Switch, 8, 440, 24},
    {"theIgnitionSwitch", Instrument::Switch, 41, 439, 24},
    {"theMasterSwitch", Instrument::Switch, 81, 444, 10},
    {"theAvionicsSwitch", Instrument::Switch, 103, 444, 10},
    {"thePitotHeatSwitch", Instrument::Switch, 125, 444, 10},
    {"theStrobeSwitch", Instrument::Switch, 147, 444, 10},
    {"theBeaconSwitch", Instrument::Switch, 168, 444, 10},
    {"theNavLightSwitch", Instrument::Switch, 189, 444, 10},
    {"theTaxiLightSwitch", Instrument::Switch, 210, 444, 10},
    {"theLandingLightSwitch", Instrument::Switch, 231, 444, 10},
};
const int theC172LayoutCount = static_cast<int>(sizeof theC172Layout / sizeof theC172Layout[0]);

int PanelOffsetFor(int type, int viewMode) {
    if (viewMode == 0) {
        switch (type) {
            case 0:
                return 14;
            case 1:
                return 36;
            case 2:
            case 3:
                return 0;
            case 4:
                return 34;
            default:
                return -1;
        }
    }
    if (viewMode == 1) {
        if (type == 0) return 58;
        if (type == 1) return 78;
    }
    return -1;
}

// The instruments join these routines with their drawing operations; until then a panel is its
// background, its edge line and its compass.
void DrawPanelC172(std::int16_t offset) {
    thePanelOffset = offset;
}
void DrawPanelBonanza(std::int16_t offset) {
    thePanelOffset = offset;
}
void DrawPanelBaron(std::int16_t offset) {
    thePanelOffset = offset;
}
void DrawPanelKingAir(std::int16_t offset) {
    thePanelOffset = offset;
}
void DrawPanelCitationJet(std::int16_t offset) {
    thePanelOffset = offset;
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
