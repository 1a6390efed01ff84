#include "cockpit/cockpit_systems.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "cockpit/cockpit_services.h"
#include "cockpit/cockpit_switches.h"
#include "cockpit/gauge_values.h"
#include "cockpit/gauges.h"
#include "cockpit/nav_receivers.h"
#include "cockpit/panel_controls.h"
#include "cockpit/panel_redraw.h"
#include "cockpit/panel_services.h"
#include "cockpit/radio_commands.h"
#include "core/numeric.h"
#include "devices/engine_sounds.h"
#include "flight/aircraft.h"
#include "flight/aircraft_parameters.h"
#include "flight/flight_hooks.h"
#include "flight/flight_model_state.h"
#include "flight/system_failures.h"
#include "nav/atc_services.h"
#include "win/program_entry.h"

namespace cockpit {

namespace {

int CompassShownByDefault() {
    return 1;
}
int NotHeld() {
    return 0;
}
std::int16_t theOwnControlWords[6] = {};
std::int16_t* OwnControlWord(int which) {
    return &theOwnControlWords[std::clamp(which, 0, 5)];
}
void TraceEngine(const char* line) {
    win::TraceLine(line);
}
std::uint32_t NoClock() {
    return 0;
}
void MidnightText(char* out, int size) {
    if (size > 0) std::snprintf(out, static_cast<std::size_t>(size), "00:00:00");
}

flight::FlightModelState& State() {
    return flight::theFlightModelState;
}
int Type() {
    return flight::theAircraftServices.aircraftType();
}
bool SingleType(int t) {
    return t == 0 || t == 1 || t == 5 || t < 0 || t > 5;
}
bool C172Type(int t) {
    return t == 0 || t == 5 || t < 0 || t > 5;
}
bool Battery() {
    return theMasterSwitch.switchState != 0;
}
bool Avionics() {
    return theAvionicsSwitch.switchState != 0;
}

// Per-type timing of the engine sequences, in 2-tick steps: the starter clip, the running sound's
// rise to its level, the spin-down to its floor (one frequency step every third tick).
struct EngineTiming {
    int starterEffect;
    int starterVolume;
    int cranking;
    int catching;
    int catchingLeftJet;
    int spinDown;
};
EngineTiming TimingFor(int type) {
    switch (type) {
        case 1:
            return {9, -200, 18, 5, 5, 5};
        case 2:
            return {9, -300, 18, 5, 5, 5};
        case 3:
            return {24, -300, 27, 5, 5, 18};
        case 4:
            return {17, -300, 27, 5, 4, 270};
        default:
            return {4, 0, 15, 3, 3, 8};
    }
}

void MarkGear(std::int32_t v) {
    theGearTransitLight.dirty = 1;
    theNoseGearLight.dirty = theRightGearLight.dirty = theLeftGearLight.dirty = v;
}

}  // namespace

PanelHostServices DefaultPanelHostServices() {
    return PanelHostServices{&CompassShownByDefault, &NotHeld, &OwnControlWord,
                             &NoClock,  &MidnightText,  &NoClock};
}
PanelHostServices thePanelHost = DefaultPanelHostServices();

AttitudeLayout theAttitudeLayout;
EngineSequence theEngineSequences[2];
std::int32_t theEngineStateWord = 0;
std::int32_t theBlinkPhase = 0;
std::int32_t theStarvationTicks[2] = {0, 0};
std::int32_t theGearTransitCountdown = 0;
void (*theEngineTrace)(const char* line) = &TraceEngine;

namespace {
std::int32_t theGearLampState = 0;
std::int32_t theSlowTicks = 0;
std::int32_t theElectricalCountdown = 0;
// The piston panels' oil temperatures while the battery is off and their gauges read nothing
// (-1 while the gauges show them): the oil keeps warming or cooling in the dark, and the needles
// come back where it stands when the power does.
std::int16_t theDarkOilTemperature[2] = {-1, -1};
constexpr std::int32_t kGearMotorTicks = 14;  // the gear motor clip, in instrument updates

void SetEngineBit(int engine, bool on) {
    const int bit = engine == 0 ? 1 : 2;
    State().fmEngines = static_cast<std::int8_t>(on ? (State().fmEngines | bit)
                                                    : (State().fmEngines & ~bit));
}

void SetOn(int engine, bool on) {
    if (engine == 0)
        theEngineStarted = on ? 1 : 0;
    else
        theRightEngineStarted = on ? 1 : 0;
}

void Trace(int engine, const char* what) {
    char line[48];
    std::snprintf(line, sizeof line, "engine %d %s", engine + 1, what);
    if (theEngineTrace != nullptr) theEngineTrace(line);
}

// Running (the flight model's bit) or a sequence under way.
bool EngineOn(int engine) {
    return theEngineSequences[engine].phase != EnginePhase::Stopped ||
           (State().fmEngines & (engine == 0 ? 1 : 2)) != 0;
}

// The request common to the three starts.
bool BeginStart(int engine, int effect, int pan, int volume) {
    if (!Battery() || EngineOn(engine)) return false;
    flight::theAircraft.StartPropeller(engine);
    devices::PlayStarterSound(engine, effect, pan, volume);
    EngineSequence& e = theEngineSequences[engine];
    e.phase = EnginePhase::Cranking;
    e.countdown = TimingFor(Type()).cranking;
    e.starterEngaged = 1;
    e.stopRequested = 0;
    SetOn(engine, true);
    Trace(engine, "starting");
    return true;
}

void RaiseTo(PanelGauge& g, std::int16_t floor) {
    if (g.needle < floor) g.needle = floor;
    g.dirty = 1;
}

bool PistonType(int t) {
    return t <= 2 || t == 5;
}

// The oil pressure of a running piston engine: the middle of its gauge's normal (green) band.
// The starter's 5 lies below it, so the pressure rises once the engine catches.
std::int16_t RunningOilPressure(int t) {
    return C172Type(t) ? 16 : 17;
}

// The oil temperature a warm running engine settles at (the slow step's high target).
int WarmOilTemperature(int t) {
    switch (t) {
        case 1: {
            int high = theTemperatureGauge.value > 80 ? 29 : 25;
            // The Bonanza's cowl flaps are open at knob frame 0.
            if (theCowlFlapSwitch.knob == 0) high -= 5;
            return high;
        }
        case 2: {
            int high = theTemperatureGauge.value > 80 ? 42 : 32;
            if (theCowlFlapSwitch.switchState != 0) high -= 5;
            return high;
        }
        case 3:
            return 135;
        case 4:
            return 57;
        default:
            // Warm oil sits inside the gauge's green band (7 .. 24).
            return 20;
    }
}

// The running engine's gauge values once it caught (the oil pressure up to its running value,
// the ignition at BOTH on the piston types).
void EngineCaught(int engine) {
    const int t = Type();
    PanelGauge& ignition = engine == 0 ? theIgnitionSwitch : theIgnitionSwitch2;
    if (PistonType(t)) {
        if (ignition.lever == 4) {
            ignition.lever = 3;
            ignition.dirty = 1;
        }
        PanelGauge& oilPressure = engine == 0 ? theOilPressureGauge : theOilPressureGauge2;
        if (Battery()) oilPressure.needle = RunningOilPressure(t);
        oilPressure.dirty = 1;
    }
    if (engine == 0)
        theEngineRunning = 1;
    theEngineStateWord = 0;
}

// A warm running engine's oil, pressure and turbine gauges, shown at once (a flight loaded with
// its engines running).
void ShowRunningEngineGauges(int engine) {
    const int t = Type();
    PanelGauge& oilTemp = engine == 0 ? theOilTempGauge : theOilTempGauge2;
    PanelGauge& oilPressure = engine == 0 ? theOilPressureGauge : theOilPressureGauge2;
    PanelGauge& exhaust = engine == 0 ? theExhaustTempGauge : theExhaustTempGauge2;
    const int warm = WarmOilTemperature(t);
    if (t == 3) {
        oilTemp.value = std::max(oilTemp.value, warm);
        oilTemp.value2 = 30;
    } else if (t == 4) {
        RaiseTo(oilTemp, static_cast<std::int16_t>(warm));
        oilPressure.needle = 32;
        exhaust.needle = 20;
    } else if (theDarkOilTemperature[engine] >= 0) {
        theDarkOilTemperature[engine] =
            std::max(theDarkOilTemperature[engine], static_cast<std::int16_t>(warm));
    } else {
        RaiseTo(oilTemp, static_cast<std::int16_t>(warm));
        oilPressure.needle = RunningOilPressure(t);
        // Without the battery the piston panels' oil gauges read nothing.
        ShowOilWithPower();
    }
    oilTemp.dirty = oilPressure.dirty = exhaust.dirty = 1;
}

// A stopped engine's pressure gauges (the oil keeps its temperature and cools in the slow step).
void ShowStoppedEngineGauges(int engine) {
    const int t = Type();
    PanelGauge& oilTemp = engine == 0 ? theOilTempGauge : theOilTempGauge2;
    PanelGauge& oilPressure = engine == 0 ? theOilPressureGauge : theOilPressureGauge2;
    PanelGauge& exhaust = engine == 0 ? theExhaustTempGauge : theExhaustTempGauge2;
    if (t == 3) {
        oilTemp.value2 = 8;
    } else if (t == 4) {
        oilPressure.needle = 2;
        exhaust.needle = 2;
    } else {
        oilPressure.needle = 0;
    }
    oilTemp.dirty = oilPressure.dirty = exhaust.dirty = 1;
}

void BeginStop(int engine, int spinDown) {
    EngineSequence& e = theEngineSequences[engine];
    e.phase = EnginePhase::SpinningDown;
    e.countdown = spinDown;
    e.stopRequested = 1;
    e.starterEngaged = 0;
    if (engine == 0) theEngineRunning = 0;
    flight::theAircraft.StopPropeller(engine);
    // The running sound spins down to its floor and the stop clip follows.
    devices::RequestEngineStopSound(engine);
    Trace(engine, "stopping");
}

}  // namespace

// ---- engines ----------------------------------------------------------------------------------

void StartSingleEngineNow() {
    const int t = Type();
    const bool bonanza = t == 1;
    if (!BeginStart(0, bonanza ? 9 : 4, 0, bonanza ? -200 : 0)) return;
    theEngineStateWord = 0;
    theOilPressureGauge.needle = 5;
    theOilPressureGauge.dirty = 1;
    RaiseTo(theOilTempGauge, 5);
}

namespace {
void StartTwin(int engine) {
    const int t = Type();
    const int pan = engine == 0 ? -10000 : 10000;
    PanelGauge& oilTemp = engine == 0 ? theOilTempGauge : theOilTempGauge2;
    PanelGauge& oilPressure = engine == 0 ? theOilPressureGauge : theOilPressureGauge2;
    PanelGauge& exhaust = engine == 0 ? theExhaustTempGauge : theExhaustTempGauge2;
    const int effect = t == 3 ? 24 : (t == 4 ? 17 : 9);
    if (!BeginStart(engine, effect, pan, -300)) return;
    if (t == 2) {
        theEngineStateWord = 4;
        RaiseTo(oilTemp, 6);
        oilPressure.needle = 5;
    } else if (t == 3) {
        theEngineStateWord = 4;
        if (oilTemp.value < 103) oilTemp.value = 103;
        oilTemp.value2 = 30;
    } else {
        RaiseTo(oilTemp, 10);
        oilPressure.needle = 32;
        exhaust.needle = 20;
    }
    oilTemp.dirty = oilPressure.dirty = exhaust.dirty = 1;
}
}  // namespace

void StartLeftEngineNow() {
    if (SingleType(Type())) return;
    StartTwin(0);
}
void StartRightEngineNow() {
    if (SingleType(Type())) return;
    StartTwin(1);
}

void StopSingleEngineNow() {
    if (!SingleType(Type()) || !EngineOn(0)) return;
    if (theEngineSequences[0].phase == EnginePhase::SpinningDown) return;
    theEngineStateWord = 0;
    theOilPressureGauge.needle = 0;
    theOilPressureGauge.dirty = 1;
    if (theOilTempGauge.needle < 3) theOilTempGauge.needle = 0;
    State().fmEngines = 0;
    BeginStop(0, TimingFor(Type()).spinDown);
}

namespace {
void StopTwin(int engine) {
    const int t = Type();
    const bool wasRunning = (State().fmEngines & (engine == 0 ? 1 : 2)) != 0;
    SetEngineBit(engine, false);
    const EnginePhase p = theEngineSequences[engine].phase;
    // Only a running engine (caught, or running by the flight model's bit) is stopped.
    if (p != EnginePhase::Running && p != EnginePhase::Catching && !wasRunning) return;
    ShowStoppedEngineGauges(engine);
    BeginStop(engine, TimingFor(t).spinDown);
}
}  // namespace

void StopLeftEngineNow() {
    if (SingleType(Type())) return;
    StopTwin(0);
}
void StopRightEngineNow() {
    if (SingleType(Type())) return;
    StopTwin(1);
}

void StepEngineSequences() {
    const int t = Type();
    const EngineTiming timing = TimingFor(t);
    for (int engine = 0; engine < 2; ++engine) {
        EngineSequence& e = theEngineSequences[engine];
        if (e.phase == EnginePhase::Stopped || e.phase == EnginePhase::Running) continue;
        if (--e.countdown > 0) continue;
        switch (e.phase) {
            case EnginePhase::Cranking:
                // The starter clip ended: the running sound starts and rises to its level.
                flight::theAircraft.SetPropellerRunning(engine);
                EngineCaught(engine);
                e.phase = EnginePhase::Catching;
                e.countdown = (t == 4 && engine == 0) ? timing.catchingLeftJet : timing.catching;
                break;
            case EnginePhase::Catching: {
                e.phase = EnginePhase::Running;
                e.starterEngaged = 0;
                SetEngineBit(engine, true);
                Trace(engine, "running");
                // The throttle as its lever stands (the lever set it all along).
                if (engine == 0)
                    UpdateThrottleLever();
                else
                    UpdateThrottleLeverRight();
                // A twin's engine may die at once without its boost pump.
                const PanelGauge& boost =
                    engine == 0 ? theLeftFuelBoostSwitch : theRightFuelBoostSwitch;
                if (!SingleType(t) && boost.switchState == 0 && core::rand() < 10813) {
                    if (engine == 0)
                        StopLeftEngine();
                    else
                        StopRightEngine();
                    Trace(engine, "died without its boost pump");
                    // The pilot learns why, and what to do about it.
                    const std::string text =
                        std::string("The ") + (engine == 0 ? "left" : "right") +
                        " engine stopped as soon as it started: its fuel boost pump is off. Turn "
                        "the boost pump on before starting the engine.";
                    flight::theFlightHooks.showMessage(text);
                }
                break;
            }
            case EnginePhase::SpinningDown:
                e.phase = EnginePhase::Stopped;
                e.stopRequested = 0;
                SetOn(engine, false);
                Trace(engine, "stopped");
                break;
            default:
                break;
        }
    }
}

void SyncEnginesWithFlightModel() {
    const int engines = SingleType(Type()) ? 1 : 2;
    for (int engine = 0; engine < 2; ++engine) {
        EngineSequence& e = theEngineSequences[engine];
        const bool bit = engine < engines && (State().fmEngines & (engine == 0 ? 1 : 2)) != 0;
        if (bit) {
            if (e.phase != EnginePhase::Running) {
                e = EngineSequence{};
                e.phase = EnginePhase::Running;
                SetOn(engine, true);
                if (engine == 0) theEngineRunning = 1;
            }
            ShowRunningEngineGauges(engine);
        } else if (e.phase == EnginePhase::Running || e.phase == EnginePhase::Catching ||
                   engine >= engines) {
            e = EngineSequence{};
            SetOn(engine, false);
            if (engine == 0) theEngineRunning = 0;
            if (engine < engines) ShowStoppedEngineGauges(engine);
        }
    }
    // The words follow the flight at once: a forced draw of words left from before (zero on the
    // first frame) would be slewed from, a frame a pass, for half a minute.
    UpdateGauges();
}

void ResetEngineSequences() {
    theEngineSequences[0] = theEngineSequences[1] = EngineSequence{};
    theEngineStateWord = 0;
    theStarvationTicks[0] = theStarvationTicks[1] = 0;
    theGearTransitCountdown = 0;
    theGearLampState = 0;
    theSlowTicks = 0;
    theElectricalCountdown = 0;
    theBlinkPhase = 0;
    ForgetDarkOil();
}

// ---- set-up -----------------------------------------------------------------------------------

AttitudeLayout AttitudeLayoutForType(int type) {
    AttitudeLayout l;
    switch (type) {
        case 1:
            l = {187, 232, 131, 21, 240, 126, 96, 68, 73, 0, 0};
            break;
        case 2:
            l = {180, 229, 124, 18, 233, 123, 96, 65, 73, 0, 0};
            break;
        case 3:
            l = {127, 194, 115, 185, 225, 287, 87, 67, 26, 0, 0};
            break;
        case 4:
            l = {140, 189, 129, 180, 239, 282, 87, 68, 35, 0, 0};
            break;
        default:
            l = {179, 239, 123, 10, 235, 116, 96, 71, 73, 0, 0};
            break;
    }
    return l;
}

void SetupGaugesForAircraft() {
    const int t = Type();
    theTurnCoordinator.value = 1;
    theTurnCoordinator.value2 = 27;
    theVerticalSpeedIndicator.value = 135;
    theHsiGauge.course = 360;
    theCarbHeatKnob.value = 1;
    theThrottleLever.value = 2;
    theMixtureLever.value = 3;
    theMixtureLever2.value = 3;
    UpdateMixtureLever();
    UpdatePropPitchLever();
    UpdateThrottleLever();
    theAttitudeLayout = AttitudeLayoutForType(t);
    switch (t) {
        case 1:
            theCowlFlapSwitch.knob = 15;
            theTachometer1.value = theTachometer2.value = 0;
            break;
        case 2:
            UpdateMixtureLeverRight();
            UpdatePropPitchLeverRight();
            UpdateThrottleLeverRight();
            theSynchroscope.lever = 1;
            theSynchroscope.dirty = 1;
            theTachometer1.value = theTachometer2.value = 28;
            break;
        case 3:
            UpdateMixtureLeverRight();
            UpdatePropPitchLeverRight();
            UpdateThrottleLeverRight();
            theTachometer1.value = theTachometer2.value = 98;
            theTachometer1.value2 = theTachometer2.value2 = 1;
            theOilTempGauge.value2 = theOilTempGauge2.value2 = 8;
            theExhaustTempGauge.value = theExhaustTempGauge2.value = 1;
            theSynchroscope.lever = 1;
            theSynchroscope.dirty = 1;
            theOilTempGauge.value = theOilTempGauge2.value = 99;
            break;
        case 4:
            theEnginePowerGauge.value = theEnginePowerGauge2.value = 0;
            theOilPressureGauge.needle = theOilPressureGauge2.needle = 2;
            theExhaustTempGauge.needle = theExhaustTempGauge2.needle = 2;
            thePropPitchLever.value = thePropPitchLever2.value = 0;
            theOilTempGauge.needle = theOilTempGauge2.needle = 2;
            theLeftFuelGauge.needle = theRightFuelGauge.needle = 2;
            theTachometer1.value = theTachometer2.value = 0;
            theTachometer1.value2 = theTachometer2.value2 = 0;
            theTachometer1.needle = theTachometer2.needle = 2;
            theTemperatureGauge.buttons[0] = 0;
            theTemperatureGauge.buttons[1] = 1;
            theTemperatureGauge.dirty = 1;
            theAttitudeLayout.i = 35;
            UpdateThrottleLeverRight();
            theIgnitionLight.switchState = theIgnitionSwitch.switchState != 0 ? 1 : 0;
            theIgnitionLight2.switchState = theIgnitionSwitch2.switchState != 0 ? 1 : 0;
            break;
        default:
            theCarbHeatKnob.knob = 15;
            theTachometer1.value = theTachometer2.value = 0;
            break;
    }
    theDmeRadio.buttons[0] = 1;
    theDmeRadio.buttons[1] = theDmeRadio.buttons[2] = 0;
    theDmeRadio.dirty = 1;
    theSwapPanel = 0;
    if (!C172Type(t)) {
        for (PanelGauge* g : {&theAirspeedIndicator, &theAttitudeIndicator, &theAltimeter,
                              &theTurnCoordinator, &theVerticalSpeedIndicator}) {
            g->hidden = 0;
            g->dirty = 1;
        }
        theHsiGauge.hidden = 0;
        theHsiGauge.dirty = 1;
    }
    SyncEnginesWithFlightModel();
    InvalidateAllGauges();
    CenterNavIndicators();
}

void InvalidateAllGauges() {
    const int t = Type();
    thePanelPrimed = 0;
    theFlapsLever.drawnValue1[0] = theFlapsLever.drawnValue1[1] = theFlapsLever.drawnValue1[2] =
        -1;
    if (!C172Type(t)) {
        theGearLever.knob = theGearUp != 0 ? 15 : 0;
        theGearLampState = theGearUp != 0 ? 0 : 1;
    }
    for (PanelGauge* g : thePanelGauges) {
        g->dirty = 1;
        g->force = 1;
    }
    theHsiGauge.dirty = 1;
    UpdateFuelQuantity();
    UpdateElectricalLoad();
    UpdateManifoldPressure();
    UpdateFuelFlow();
    if (C172Type(t)) {
        if (theNav2Indicator.altFace != 0)
            theNav2Indicator.dirty = 1;
        else
            theAdfIndicator.dirty = 1;
    }
    if (t == 4 && (State().fmEngines & 3) != 0) {
        theOilTempGauge.needle = theOilTempGauge2.needle = 10;
        theOilPressureGauge.needle = theOilPressureGauge2.needle = 32;
        theExhaustTempGauge.needle = theExhaustTempGauge2.needle = 20;
    }
}

void ApplyEngineLevers() {
    UpdateMixtureLever();
    UpdatePropPitchLever();
    UpdateThrottleLever();
    UpdateMixtureLeverRight();
    UpdatePropPitchLeverRight();
    UpdateThrottleLeverRight();
}

// ---- gear -------------------------------------------------------------------------------------

void UpdateGearLamps() {
    if (theGearTransitCountdown > 0) --theGearTransitCountdown;
    if (theGearUp == theGearLampState || theGearTransitCountdown > 0) return;
    if (theGearUp != 0) {
        theGearTransitLight.switchState = 0;
    } else {
        theNoseGearLight.switchState = theRightGearLight.switchState =
            theLeftGearLight.switchState = 1;
        theGearTransitLight.switchState = 0;
        theGearLever.gearDownFlag = 0;
    }
    MarkGear(1);
    theGearLampState = theGearUp;
}

void StartGearTransit() {
    theGearTransitCountdown = kGearMotorTicks;
    devices::PlayGearMotorSound();
}

// ---- electrical power ---------------------------------------------------------------------------

void ShowOilWithPower() {
    const int t = Type();
    if (!PistonType(t)) return;
    for (int engine = 0; engine < (SingleType(t) ? 1 : 2); ++engine) {
        PanelGauge& oilTemp = engine == 0 ? theOilTempGauge : theOilTempGauge2;
        PanelGauge& oilPressure = engine == 0 ? theOilPressureGauge : theOilPressureGauge2;
        std::int16_t& dark = theDarkOilTemperature[engine];
        if (!Battery()) {
            if (dark >= 0) continue;
            dark = oilTemp.needle;
            oilTemp.needle = oilPressure.needle = 0;
        } else {
            if (dark < 0) continue;
            oilTemp.needle = dark;
            dark = -1;
            // The pressure of the engine as it is now, not as it was when the power went.
            oilPressure.needle = (State().fmEngines & (engine == 0 ? 1 : 2)) != 0
                                     ? RunningOilPressure(t)
                                 : EngineOn(engine) ? std::int16_t{5}
                                                    : std::int16_t{0};
        }
        oilTemp.dirty = oilPressure.dirty = 1;
    }
}

std::int16_t OilTemperatureNeedle(int engine) {
    const std::int16_t dark = theDarkOilTemperature[engine == 0 ? 0 : 1];
    if (dark >= 0) return dark;
    return engine == 0 ? theOilTempGauge.needle : theOilTempGauge2.needle;
}

void ForgetDarkOil() {
    theDarkOilTemperature[0] = theDarkOilTemperature[1] = -1;
}

void UpdateElectricalPower(int reset) {
    ShowOilWithPower();
    if (reset != 0) {
        theElectricalCountdown = std::max(thePanelBufferCount, 1);
    } else {
        if (theElectricalCountdown <= 0) return;
        --theElectricalCountdown;
    }
    const int t = Type();
    for (PanelGauge* g : {&theNav1Radio, &theNav2Radio, &theCom1Radio, &theCom2Radio,
                          &theAdfRadio, &theTransponder, &theDmeRadio, &theDmeSelector,
                          &theAutopilotPanel, &theAudioPanel, &theClock, &theTemperatureGauge,
                          &theGearTransitLight, &theNoseGearLight, &theRightGearLight,
                          &theLeftGearLight})
        g->dirty = 1;
    theHsiGauge.dirty = 1;
    EmptyStationIdents();
    StopMarkerTone();
    std::int32_t* ap = theAutopilotPanel.buttons;  // APalt APhdg APnav APapr APbc APap APgs APtrim
    // The trim lamp shows the autopilot trimming: engaged with power, not the avionics alone.
    if (!Battery() || !Avionics()) {
        ap[6] = ap[7] = 0;
    } else {
        ap[7] = ap[5] != 0 ? 1 : 0;
    }
    if (t == 3 || t == 4) {
        // Both attitude directors cover their face without power, so both repaint on a change.
        theAttitudeIndicator.dirty = 1;
        theHsiGauge.dirty = 1;
        for (PanelGauge* g :
             {&theTachometer1, &theTachometer2, &theEnginePowerGauge, &theEnginePowerGauge2,
              &theOilTempGauge, &theOilTempGauge2, &theOilPressureGauge, &theOilPressureGauge2,
              &theExhaustTempGauge, &theExhaustTempGauge2, &theLeftFuelGauge, &theRightFuelGauge})
            g->dirty = 1;
        const bool powered = Battery() && Avionics();
        thePropPitchLever.switchState = powered && thePropPitchLever.value > 0 ? 1 : 0;
        thePropPitchLever2.switchState = powered && thePropPitchLever2.value > 0 ? 1 : 0;
        theIgnitionLight.switchState = powered && theIgnitionSwitch.switchState == 1 ? 1 : 0;
        theIgnitionLight2.switchState = powered && theIgnitionSwitch2.switchState == 1 ? 1 : 0;
        thePropPitchLever.dirty = thePropPitchLever2.dirty = 1;
        theIgnitionLight.dirty = theIgnitionLight2.dirty = 1;
    }
    if (ap[5] == 1) AutoPilotMaster();
    CenterNavIndicators();
    nav::theAtcSpeech.OnComFrequencyChanged(0);
}

// ---- the slow step --------------------------------------------------------------------------------

void CheckFuelStarvation() {
    const int t = Type();
    const flight::FlightModelState& s = State();
    const bool t1 = s.fmFuel1 < 1;
    const bool t2 = s.fmFuel2 < 1;
    bool starved[2] = {false, false};
    if (C172Type(t)) {
        const int sel = theFuelSelector.lever;
        starved[0] = sel == 0 || (sel == 1 && t1) || (sel == 2 && t1 && t2) || (sel == 3 && t2);
    } else if (t == 1) {
        const int sel = theFuelSelector.lever;
        starved[0] = sel == 0 || (sel == 1 && t1) || (sel == 2 && t2);
    } else {
        const int l = theFuelSelector.lever;
        const int r = theFuelSelector2.lever;
        starved[0] = l == 0 || (l == 1 && t1) || (l == 2 && t2);
        starved[1] = r == 0 || (r == 1 && t2) || (r == 2 && t1);
    }
    for (int engine = 0; engine < 2; ++engine) {
        const bool running = (s.fmEngines & (engine == 0 ? 1 : 2)) != 0;
        // Only consecutive starved ticks count: a fed engine starts over.
        if (!starved[engine] || !running) {
            theStarvationTicks[engine] = 0;
            continue;
        }
        if (++theStarvationTicks[engine] <= 5) continue;
        theStarvationTicks[engine] = 0;
        if (SingleType(t))
            StopSingleEngine();
        else if (engine == 0)
            StopLeftEngine();
        else
            StopRightEngine();
    }
}

namespace {

void StepTemperature(std::int16_t& n, bool running, int high, int low) {
    if (running) {
        if (n < high) n = static_cast<std::int16_t>(n + 1 > 360 ? 1 : n + 1);
        else if (n > high) n = static_cast<std::int16_t>(n - 1 < 0 ? 360 : n - 1);
    } else if (n > low) {
        n = static_cast<std::int16_t>(n - 1 < 0 ? 360 : n - 1);
    }
}

// Where a stopped engine's oil cools to on the piston panels' bar gauges.
constexpr std::int16_t kColdOilNeedle = 6;

void StepOilTemperatures() {
    const int t = Type();
    const std::int8_t engines = State().fmEngines;
    if (t == 3) {
        for (int e = 0; e < 2; ++e) {
            PanelGauge& g = e == 0 ? theOilTempGauge : theOilTempGauge2;
            const bool running = (engines & (e == 0 ? 1 : 2)) != 0;
            if (running && g.value < 135) ++g.value;
            if (!running && g.value > 99) --g.value;
            g.dirty = 1;
        }
        return;
    }
    // The kept temperatures agree with the battery before one of them steps.
    ShowOilWithPower();
    const int high = WarmOilTemperature(t), low = kColdOilNeedle;
    for (int e = 0; e < (SingleType(t) ? 1 : 2); ++e) {
        PanelGauge& g = e == 0 ? theOilTempGauge : theOilTempGauge2;
        const bool running = (engines & (e == 0 ? 1 : 2)) != 0;
        std::int16_t& dark = theDarkOilTemperature[e];
        if (PistonType(t) && dark >= 0) {
            StepTemperature(dark, running, high, low);
        } else {
            StepTemperature(g.needle, running, high, low);
            g.dirty = 1;
        }
    }
}

}  // namespace

void SetOilTemperaturesCold() {
    const int t = Type();
    if (t == 3) {
        theOilTempGauge.value = theOilTempGauge2.value = 99;
    } else if (t == 4) {
        theOilTempGauge.needle = theOilTempGauge2.needle = 2;
    } else {
        // Without the battery the piston panels' oil gauges read nothing; the oil is cold all
        // the same.
        ForgetDarkOil();
        theOilTempGauge.needle = theOilTempGauge2.needle = kColdOilNeedle;
        ShowOilWithPower();
    }
    theOilTempGauge.dirty = theOilTempGauge2.dirty = 1;
}

void CockpitSlowTick() {
    const int t = Type();
    theBlinkPhase = theBlinkPhase != 0 ? 0 : 1;
    if (SingleType(t)) theTachometer1.dirty = 1;
    // A received marker blinks with the phase.
    for (int m = 7; m <= 9; ++m)
        if (theAudioPanel.buttons[m] != 0) theAudioPanel.dirty = 1;
    CheckFuelStarvation();
    TickPitotHeat();
    // The glide-slope lamp lights once the autopilot has captured the glide slope (receiving it
    // only arms the capture); the trim lamp while the engaged autopilot trims.
    std::int32_t* ap = theAutopilotPanel.buttons;
    auto lamp = [](std::int32_t& word, bool on) {
        if (on == (word != 0)) return;
        word = on ? 1 : 0;
        theAutopilotPanel.dirty = 1;
    };
    if (ap[5] == 1 && ap[3] == 1) {
        const bool captured = (State().fmAutopilotState & 0x8) != 0;
        if (captured && ap[6] == 0) win::TraceLine("autopilot: glide slope captured");
        lamp(ap[6], captured);
    }
    lamp(ap[7], ap[5] == 1 && Battery() && Avionics());
    if (++theSlowTicks >= 30) {
        theSlowTicks = 0;
        StepOilTemperatures();
    }
}

}  // namespace cockpit
