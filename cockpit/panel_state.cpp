// The "Panel" and "PartialPanel" sections of a saved situation. Every value read is held inside
// what its control can show (a hand-edited or damaged file cannot put a lever at 5000 or a
// switch at 5), and keys of controls the current type lacks are left alone.
#include <algorithm>

#include "cockpit/cockpit_services.h"
#include "cockpit/cockpit_switches.h"
#include "cockpit/cockpit_systems.h"
#include "cockpit/gauges.h"
#include "cockpit/panel_controls.h"
#include "cockpit/panel_services.h"
#include "core/ini_file.h"
#include "flight/aircraft.h"
#include "flight/aircraft_parameters.h"
#include "flight/flight_model_state.h"

namespace cockpit {

namespace {

constexpr const char* kPanel = "Panel";

int PanelStateType() {
    return flight::theAircraftServices.aircraftType();
}
bool C172(int t) {
    return t == 0 || t == 5 || t < 0 || t > 5;
}
bool Turbine(int t) {
    return t == 3 || t == 4;
}
bool PanelStateTwin(int t) {
    return t == 2 || t == 3 || t == 4;
}

std::int32_t Get(core::IniFile& f, const char* key, std::int32_t def, std::int32_t lo,
                 std::int32_t hi) {
    return std::clamp(f.GetInt(kPanel, key, def), lo, hi);
}
std::int32_t Flag(core::IniFile& f, const char* key, std::int32_t def = 0) {
    return f.GetInt(kPanel, key, def) != 0 ? 1 : 0;
}
std::int16_t Word(core::IniFile& f, const char* key, std::int32_t def, std::int32_t lo,
                  std::int32_t hi) {
    return static_cast<std::int16_t>(Get(f, key, def, lo, hi));
}

// The fuel selector's last position on a type.
int LastFuelPosition(int t) {
    return C172(t) ? 3 : 2;
}

std::int16_t* Control(int which) {
    return thePanelHost.controlWord(which);
}

struct ControlKey {
    const char* key;
    int which;
};
constexpr ControlKey kControls[] = {{"elevatorTrim", 0}, {"aileronTrim", 1}, {"rudderTrim", 2},
                                    {"kbElevator", 3},   {"kbRudder", 4},    {"kbAileron", 5}};

const char* const kAutopilotKeys[8] = {"APalt", "APhdg", "APnav", "APapr",
                                       "APbc",  "APap",  "APgs",  "APtrim"};
const char* const kAudioKeys[7] = {"audioMixCom1", "audioMixCom2", "audioMixNav1", "audioMixNav2",
                                   "audioMixDME",  "audioMixMKR",  "audioMixADF"};
const char* const kDmeKeys[3] = {"dmeN1", "dmeHLD", "dmeN2"};

struct LightKey {
    const char* key;
    PanelGauge* gauge;
    void (flight::Aircraft::*show)(int);
};

}  // namespace

int ReadPanelState(core::IniFile& f) {
    const int t = PanelStateType();
    theSwapPanel = Flag(f, "swapPanel");
    if (C172(t)) {
        theNav2Indicator.altFace = Flag(f, "C172navCompass");
        theNav2Indicator.dirty = theAdfIndicator.dirty = 1;
    }
    theFuelSelector.lever = Word(f, "fuelSel", 2, 0, LastFuelPosition(t));
    theFuelSelector.dirty = 1;
    if (t == 1) {
        theCowlFlapSwitch.knob = Word(f, "cowlFlaps", 0, 0, 15);
    } else {
        theCowlFlapSwitch.switchState = Flag(f, "cowlFlaps");
    }
    theCowlFlapSwitch.dirty = 1;
    if (Turbine(t)) {
        theIgnitionSwitch.switchState = Flag(f, "ignition");
        theIgnitionSwitch2.switchState = Flag(f, "ignition2");
        theIgnitionLight.switchState = Flag(f, "ignitionLight");
        theIgnitionLight2.switchState = Flag(f, "ignitionLight2");
        theIgnitionLight.dirty = theIgnitionLight2.dirty = 1;
    } else {
        theIgnitionSwitch.lever = Word(f, "ignition", 0, 0, 4);
        theIgnitionSwitch2.lever = Word(f, "ignition2", 0, 0, 4);
    }
    theIgnitionSwitch.dirty = theIgnitionSwitch2.dirty = 1;

    const LightKey switches[] = {
        {"master", &theMasterSwitch, nullptr},
        {"avionics", &theAvionicsSwitch, nullptr},
        {"pitot", &thePitotHeatSwitch, nullptr},
        {"strobes", &theStrobeSwitch, &flight::Aircraft::ShowStrobeLights},
        {"beacon", &theBeaconSwitch, &flight::Aircraft::ShowBeaconLight},
        {"navLights", &theNavLightSwitch, &flight::Aircraft::ShowNavLights},
        {"taxiLights", &theTaxiLightSwitch, &flight::Aircraft::ShowTaxiLight},
        {"landingLights", &theLandingLightSwitch, &flight::Aircraft::ShowLandingLights},
        {"propSync", &thePropSyncSwitch, nullptr},
        {"speedBrake", &theSpeedBrakeSwitch, nullptr},
        {"fuelBoostLeft", &theLeftFuelBoostSwitch, nullptr},
        {"fuelBoostRight", &theRightFuelBoostSwitch, nullptr},
    };
    for (const LightKey& k : switches) {
        k.gauge->switchState = Flag(f, k.key);
        k.gauge->dirty = 1;
        if (k.show != nullptr) (flight::theAircraft.*k.show)(k.gauge->switchState);
    }
    theCarbHeatKnob.knob = Word(f, "carbHeat", 15, 0, 15);
    theCarbHeatKnob.dirty = 1;
    struct LeverKey {
        const char* key;
        PanelGauge* gauge;
        std::int32_t def;
    };
    for (const LeverKey& k : {LeverKey{"throttle", &theThrottleLever, 0},
                              LeverKey{"throttle2", &theThrottleLever2, 0},
                              LeverKey{"propPitch", &thePropPitchLever, 31},
                              LeverKey{"propPitch2", &thePropPitchLever2, 31},
                              LeverKey{"mixture", &theMixtureLever, 31},
                              LeverKey{"mixture2", &theMixtureLever2, 31}}) {
        k.gauge->lever = Word(f, k.key, k.def, 0, 31);
        k.gauge->dirty = 1;
    }
    const int maxFlaps = std::max<int>(0, flight::theAircraftParameters.apMaxFlaps);
    flight::theFlightModelState.fmFlaps =
        static_cast<std::int8_t>(Get(f, "flaps", 0, 0, std::min(maxFlaps, 127)));
    theFlapsLever.dirty = 1;
    theGearUp = Flag(f, "gear");
    theNoseGearLight.switchState = Flag(f, "noseGearLight");
    theRightGearLight.switchState = Flag(f, "rightGearLight");
    theLeftGearLight.switchState = Flag(f, "leftGearLight");
    theGearLever.knob = Word(f, "gearKnob", 0, 0, 15);
    theGearLever.dirty = 1;
    theOilTempGauge.value = Get(f, "oilTempIconNumber", 0, 0, 180);
    theOilTempGauge2.value = Get(f, "oilTemp2IconNumber", 0, 0, 180);
    theOilTempGauge.needle = Word(f, "oilTempNeedlePos", 0, 0, 360);
    theOilTempGauge2.needle = Word(f, "oilTemp2NeedlePos", 0, 0, 360);
    ForgetDarkOil();
    theTachometer1.value = Get(f, "tachometer1IconNum", 0, 0, 180);
    theTachometer2.value = Get(f, "tachometer2IconNum", 0, 0, 180);
    theTachometer1.needle = Word(f, "tachometer1NeedlePos", 0, 0, 360);
    theTachometer2.needle = Word(f, "tachometer2NeedlePos", 0, 0, 360);
    if (PanelStateTwin(t)) {
        theFuelSelector2.lever = Word(f, "fuelSel2", 1, 0, 2);
        theFuelSelector2.dirty = 1;
    }
    for (const ControlKey& c : kControls)
        *Control(c.which) = Word(f, c.key, 0, -32768, 32767);
    UpdateTrimIndicators();
    theElevatorTrimIndicator.dirty = theRudderTrimIndicator.dirty = theAileronTrimIndicator.dirty =
        1;
    // Exactly one DME source: the first of N1, HLD, N2 that is set, N1 when none is.
    int dme = -1;
    for (int i = 0; i < 3; ++i)
        if (dme < 0 && Flag(f, kDmeKeys[i]) != 0) dme = i;
    for (int i = 0; i < 3; ++i)
        theDmeRadio.buttons[i] = i == (dme < 0 ? 0 : dme) ? 1 : 0;
    theDmeRadio.dirty = 1;
    for (int i = 0; i < 8; ++i)
        theAutopilotPanel.buttons[i] = Flag(f, kAutopilotKeys[i]);
    for (int i = 0; i < 7; ++i)
        theAudioPanel.buttons[i] = Flag(f, kAudioKeys[i]);
    theAutopilotPanel.dirty = theAudioPanel.dirty = 1;
    // The flight model's copies of the selectors follow the gauges.
    if (C172(t) || t == 1) {
        theFuelTankSelector = static_cast<std::uint8_t>(theFuelSelector.lever);
    } else {
        theLeftEngineTankSelector = static_cast<std::uint8_t>(theFuelSelector.lever);
        theRightEngineTankSelector = static_cast<std::uint8_t>(theFuelSelector2.lever);
    }
    return 1;
}

int WritePanelState(core::IniFile& f) {
    const int t = PanelStateType();
    int ok = 1;
    auto put = [&](const char* key, std::int32_t v) { ok &= f.PutInt(kPanel, key, v) != 0; };
    put("swapPanel", theSwapPanel);
    put("C172navCompass", theNav2Indicator.altFace);
    put("fuelSel", theFuelSelector.lever);
    put("cowlFlaps", t == 1 ? theCowlFlapSwitch.knob : theCowlFlapSwitch.switchState);
    if (Turbine(t)) {
        put("ignition", theIgnitionSwitch.switchState);
        put("ignition2", theIgnitionSwitch2.switchState);
        put("ignitionLight", theIgnitionLight.switchState);
        put("ignitionLight2", theIgnitionLight2.switchState);
    } else {
        put("ignition", theIgnitionSwitch.lever);
        put("ignition2", theIgnitionSwitch2.lever);
    }
    put("master", theMasterSwitch.switchState);
    put("avionics", theAvionicsSwitch.switchState);
    put("pitot", thePitotHeatSwitch.switchState);
    put("strobes", theStrobeSwitch.switchState);
    put("beacon", theBeaconSwitch.switchState);
    put("navLights", theNavLightSwitch.switchState);
    put("taxiLights", theTaxiLightSwitch.switchState);
    put("landingLights", theLandingLightSwitch.switchState);
    put("propSync", thePropSyncSwitch.switchState);
    put("speedBrake", theSpeedBrakeSwitch.switchState);
    put("fuelBoostLeft", theLeftFuelBoostSwitch.switchState);
    put("fuelBoostRight", theRightFuelBoostSwitch.switchState);
    put("carbHeat", theCarbHeatKnob.knob);
    put("throttle", theThrottleLever.lever);
    put("throttle2", theThrottleLever2.lever);
    put("propPitch", thePropPitchLever.lever);
    put("propPitch2", thePropPitchLever2.lever);
    put("mixture", theMixtureLever.lever);
    put("mixture2", theMixtureLever2.lever);
    for (const ControlKey& c : kControls)
        put(c.key, *Control(c.which));
    put("flaps", flight::theFlightModelState.fmFlaps);
    put("gear", theGearUp);
    put("noseGearLight", theNoseGearLight.switchState);
    put("rightGearLight", theRightGearLight.switchState);
    put("leftGearLight", theLeftGearLight.switchState);
    put("gearKnob", theGearLever.knob);
    put("oilTempIconNumber", theOilTempGauge.value);
    put("oilTemp2IconNumber", theOilTempGauge2.value);
    put("oilTempNeedlePos", OilTemperatureNeedle(0));
    put("oilTemp2NeedlePos", OilTemperatureNeedle(1));
    put("tachometer1IconNum", theTachometer1.value);
    put("tachometer2IconNum", theTachometer2.value);
    put("tachometer1NeedlePos", theTachometer1.needle);
    put("tachometer2NeedlePos", theTachometer2.needle);
    for (int i = 0; i < 3; ++i)
        put(kDmeKeys[i], theDmeRadio.buttons[i]);
    for (int i = 0; i < 8; ++i)
        put(kAutopilotKeys[i], theAutopilotPanel.buttons[i]);
    for (int i = 0; i < 7; ++i)
        put(kAudioKeys[i], theAudioPanel.buttons[i]);
    if (PanelStateTwin(t)) put("fuelSel2", theFuelSelector2.lever);
    return ok;
}

namespace {

struct HideKey {
    const char* key;
    std::int32_t* hidden;
    std::int32_t* dirty;
};

}  // namespace

int LoadPartialPanelSettings(core::IniFile& f) {
    const HideKey keys[] = {
        {"altHide", &theAltimeter.hidden, &theAltimeter.dirty},
        {"asHide", &theAirspeedIndicator.hidden, &theAirspeedIndicator.dirty},
        {"attHide", &theAttitudeIndicator.hidden, &theAttitudeIndicator.dirty},
        {"headHide", &theHsiGauge.hidden, &theHsiGauge.dirty},
        {"tcHide", &theTurnCoordinator.hidden, &theTurnCoordinator.dirty},
        {"vsiHide", &theVerticalSpeedIndicator.hidden, &theVerticalSpeedIndicator.dirty},
    };
    for (const HideKey& k : keys) {
        *k.hidden = f.GetInt("PartialPanel", k.key, 0) != 0 ? 1 : 0;
        *k.dirty = 1;
    }
    return 1;
}

int SavePartialPanelSettings(core::IniFile& f) {
    const std::pair<const char*, std::int32_t> keys[] = {
        {"altHide", theAltimeter.hidden},
        {"asHide", theAirspeedIndicator.hidden},
        {"attHide", theAttitudeIndicator.hidden},
        {"headHide", theHsiGauge.hidden},
        {"tcHide", theTurnCoordinator.hidden},
        {"vsiHide", theVerticalSpeedIndicator.hidden},
    };
    int ok = 1;
    for (const auto& [key, value] : keys)
        ok &= f.PutInt("PartialPanel", key, value) != 0 ? 1 : 0;
    return ok;
}

}  // namespace cockpit
