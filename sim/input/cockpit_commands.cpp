#include "sim/input/cockpit_commands.h"

#include <array>
#include <cmath>

#include "cockpit/cockpit_services.h"
#include "cockpit/cockpit_switches.h"
#include "cockpit/panel_controls.h"
#include "cockpit/panel_services.h"
#include "cockpit/radio_commands.h"
#include "devices/sound_services.h"
#include "flight/aircraft.h"
#include "flight/flight_model.h"
#include "flight/flight_model_state.h"
#include "flight/system_failures.h"
#include "sim/input/command_services.h"
#include "sim/view_controller.h"

namespace sim {

namespace {

using cockpit::theCockpitSwitches;
using cockpit::thePanelSwitches;

constexpr int kClick = 23;
constexpr int kKnob = 15;
constexpr int kSelector = 14;
constexpr int kTurbine = 12;

void NoElapsedTime() {}

int Type() {
    return flight::theAircraftServices.aircraftType();
}
bool Synchronised() {
    return theCommandServices.isMultiEngineSynch() != 0;
}
void Click(int pan) {
    theCommandServices.playEffect(EffectChannel::PanelClick, kClick, pan, -50, 0);
}
void KnobSound(int pan) {
    theCommandServices.playEffect(EffectChannel::PanelClick, kKnob, pan, -50, 0);
}
void SelectorSound(int pan) {
    theCommandServices.playEffect(EffectChannel::PanelClick, kSelector, pan, -50, 0);
}
void TurbineSound(int pan) {
    theCommandServices.playEffect(EffectChannel::PanelClick, kTurbine, pan, -300, 100);
}
std::int32_t Toggle(std::int32_t& flag) {
    flag = flag != 0 ? 0 : 1;
    return flag;
}
std::int16_t EngineRpm() {
    return flight::theFlightModelState.fmEngineSpeed[0];
}
std::int16_t RpmFraction(double factor) {
    return static_cast<std::int16_t>(std::lround(EngineRpm() * factor));
}

// The avionics come alive or die with a sound of their own.
void AvionicsSound(bool on) {
    const bool turbine = Type() == 3 || Type() == 4;
    const int pan = turbine ? 2000 : 8000;
    const int volume = turbine ? (on ? -2000 : -2600) : (on ? -2600 : -3000);
    theCommandServices.playEffect(EffectChannel::Avionics, on ? 7 : 6, pan, volume, 20);
}

bool SinglePiston(int type) {
    return type == 0 || type == 1 || type == 5;
}

void LowerGearAfterRepair() {
    // On the ground the gear lever refuses to move; the repair puts the wheels down itself.
    cockpit::theGearUp = 0;
    flight::theAircraftServices.animateGear(1);
    flight::theFlightModelState.fmGear = 1;
}

void StepFuelSelector(int engine) {
    const int type = Type();
    if (engine == 0) {
        const int positions = (type == 0 || type == 5) ? 4 : 3;
        std::int16_t& sw = thePanelSwitches.fuelSelectorSwitchLeft;
        sw = static_cast<std::int16_t>((sw + 1) % positions);
        thePanelSwitches.fuelSelectorLeftRedraw = 1;
        if (type <= 1 || type == 5)
            cockpit::theFuelTankSelector = static_cast<std::uint8_t>(sw);
        else
            cockpit::theLeftEngineTankSelector = static_cast<std::uint8_t>(sw);
        if (type <= 2 || type == 5)
            SelectorSound(-10000);
        else
            Click(-7000);
        return;
    }
    if (type < 2 || type > 4) return;
    std::int16_t& sw = thePanelSwitches.fuelSelectorSwitchRight;
    sw = static_cast<std::int16_t>((sw + 1) % 3);
    thePanelSwitches.fuelSelectorRightRedraw = 1;
    cockpit::theRightEngineTankSelector = static_cast<std::uint8_t>(sw);
    if (type == 2)
        SelectorSound(-10000);
    else
        Click(-6800);
}

void PostMenu(std::uint32_t id) {
    theCommandServices.postMenuCommand(id);
}

}  // namespace

void (*theResetElapsedTime)() = &NoElapsedTime;

void UpdateExteriorLights() {
    const bool battery = thePanelSwitches.batteryPower != 0;
    flight::theAircraft.ShowStrobeLights(battery && thePanelSwitches.strobe != 0);
    flight::theAircraft.ShowBeaconLight(battery && thePanelSwitches.beacon != 0);
    flight::theAircraft.ShowNavLights(battery && thePanelSwitches.navLights != 0);
    flight::theAircraft.ShowTaxiLight(battery && thePanelSwitches.taxiLight != 0);
    flight::theAircraft.ShowLandingLights(battery && thePanelSwitches.landingLights != 0);
}

void SetMagneto(int engine, int position) {
    const int type = Type();
    if (engine == 0 ? !(type <= 2 || type == 5) : type != 2) return;
    std::int16_t& sw = engine == 0 ? thePanelSwitches.ignitionLeft : thePanelSwitches.ignitionRight;
    if (sw != position) KnobSound(-9000);
    (engine == 0 ? thePanelSwitches.ignitionLeftRedraw : thePanelSwitches.ignitionRightRedraw) = 1;
    sw = static_cast<std::int16_t>(position);
    if (engine == 0 && (type == 0 || type == 1)) {
        // The magneto check's engine-speed drop.
        cockpit::theEngineSpeedDrop[0] =
            position == 1 ? RpmFraction(0.065) : (position == 2 ? RpmFraction(0.06) : 0);
    }
}

void IgnitionOff(int engine) {
    const int type = Type();
    if (type == 3) {
        std::int32_t& on = engine == 0 ? thePanelSwitches.turbineIgnitionLeft
                                       : thePanelSwitches.turbineIgnitionRight;
        if (on != 0) {
            on = 0;
            Click(-8000);
        }
    } else if (type == 4) {
        std::int32_t& on = engine == 0 ? thePanelSwitches.turbineIgnitionLeft
                                       : thePanelSwitches.turbineIgnitionRight;
        if (on != 0) {
            on = 0;
            (engine == 0 ? thePanelSwitches.igniterLeft : thePanelSwitches.igniterRight) = 0;
            TurbineSound(engine == 0 ? -8000 : -7000);
            if (engine == 0)
                cockpit::StopLeftEngine();
            else
                cockpit::StopRightEngine();
        }
    } else {
        // Both magnetos off: a running piston engine has no spark and stops.
        SetMagneto(engine, 0);
        if (type == 2)
            engine == 0 ? cockpit::StopLeftEngine() : cockpit::StopRightEngine();
        else if (engine == 0 && (type <= 1 || type == 5))
            cockpit::StopSingleEngine();
    }
}

int StarterHasFuel(int engine) {
    const flight::FlightModelState& s = flight::theFlightModelState;
    const bool tank1 = s.fmFuel1 > 0;
    const bool tank2 = s.fmFuel2 > 0;
    if (engine != 0) {
        const int sel = cockpit::theRightEngineTankSelector;
        return (sel == 1 && !tank2) || (sel == 2 && !tank1) ? 0 : 1;
    }
    if (SinglePiston(Type())) {
        const int sel = cockpit::theFuelTankSelector;
        if ((sel == 1 && !tank1) || (sel == 2 && !tank1 && !tank2) || (sel == 3 && !tank2))
            return 0;
    }
    const int twin = cockpit::theLeftEngineTankSelector;
    return (twin == 1 && !tank1) || (twin == 2 && !tank2) ? 0 : 1;
}

void Starter(int engine) {
    if (StarterHasFuel(engine) == 0 || flight::theCrashed != 0) return;
    const int type = Type();
    if (engine == 0) {
        if (type == 0 || type == 1) cockpit::theEngineSpeedDrop[0] = 0;
        if (SinglePiston(type)) {
            if (cockpit::theEngineStarted == 0) {
                if (thePanelSwitches.ignitionLeft != 4) KnobSound(-9000);
                thePanelSwitches.ignitionLeft = 4;
                thePanelSwitches.ignitionLeftRedraw = 1;
                cockpit::theEngineStartServices.startSingleEngine();
            }
        } else if (type == 2) {
            if (thePanelSwitches.ignitionLeft != 4 && cockpit::theEngineStarted == 0) {
                KnobSound(-9000);
                thePanelSwitches.ignitionLeft = 4;
                thePanelSwitches.ignitionLeftRedraw = 1;
                cockpit::theEngineStartServices.startLeftEngine();
            }
        } else if (thePanelSwitches.turbineIgnitionLeft != 0) {
            IgnitionOff(0);
        } else {
            thePanelSwitches.turbineIgnitionLeft = 1;
            if (type == 3) {
                Click(-8000);
            } else {
                thePanelSwitches.igniterLeft = thePanelSwitches.batteryPower != 0 ? 1 : 0;
                TurbineSound(-8000);
            }
            if (cockpit::theEngineStarted == 0) cockpit::theEngineStartServices.startLeftEngine();
        }
        return;
    }
    if (type == 2) {
        if (thePanelSwitches.ignitionRight != 4 && cockpit::theRightEngineStarted == 0) {
            KnobSound(-9000);
            thePanelSwitches.ignitionRight = 4;
            thePanelSwitches.ignitionRightRedraw = 1;
            cockpit::theEngineStartServices.startRightEngine();
        }
    } else if (type == 3 || type == 4) {
        if (thePanelSwitches.turbineIgnitionRight != 0) {
            IgnitionOff(1);
            return;
        }
        thePanelSwitches.turbineIgnitionRight = 1;
        if (type == 3) {
            Click(-7000);
        } else {
            thePanelSwitches.igniterRight = thePanelSwitches.batteryPower != 0 ? 1 : 0;
            TurbineSound(-7000);
        }
        if (cockpit::theRightEngineStarted == 0) cockpit::theEngineStartServices.startRightEngine();
    }
}

void CmdReverseThrust() {
    theCockpitSwitches.reverseThrust[0] ^= 1;
    if (Synchronised()) theCockpitSwitches.reverseThrust[1] ^= 1;
    flight::theFlightModelState.fmRThrust =
        static_cast<std::int8_t>(theCockpitSwitches.reverseThrust[0] & 1);
}

void CmdReverseThrustRight() {
    theCockpitSwitches.reverseThrust[1] ^= 1;
}

void CmdRepairPlane() {
    if (cockpit::theCrashShown == 0) return;
    if (cockpit::theCrashSuspendedSound != 0) {
        cockpit::theCrashSuspendedSound = 0;
        devices::SetSoundSuspended(0);
    }
    flight::FlightModelState& s = flight::theFlightModelState;
    s.fmPitch = 0;
    s.fmBank = 0;
    s.fmHVel = s.fmVVel = s.fmSVel = 0;
    s.fmYVel = s.fmRVel = 0;
    s.fmDeltaX = s.fmDeltaY = s.fmDeltaZ = 0;
    s.fmIAS = 0;
    s.fmOTG = 1;
    s.fmOGV = 1;
    flight::theCrashed = 0;
    if (s.fmGear == 0) LowerGearAfterRepair();
    cockpit::theFuelTankSelector = 0;
    cockpit::theLeftEngineTankSelector = 0;
    cockpit::theRightEngineTankSelector = 0;
    thePanelSwitches.batteryPower = 0;
    theCockpitSwitches.avionicsMaster = 0;
    cockpit::thePitotHeatOn = 0;
    thePanelSwitches.strobe = thePanelSwitches.navLights = thePanelSwitches.beacon = 0;
    thePanelSwitches.taxiLight = thePanelSwitches.landingLights = 0;
    theCockpitSwitches.leftBoost = theCockpitSwitches.rightBoost = 0;
    theCockpitSwitches.speedBrake = 0;
    theCockpitSwitches.speedBrakeDrag = 0;
    theCockpitSwitches.propSync = 0;
    thePanelSwitches.ignitionLeft = 0;
    thePanelSwitches.ignitionLeftRedraw = 1;
    thePanelSwitches.fuelSelectorSwitchLeft = thePanelSwitches.fuelSelectorSwitchRight = 0;
    thePanelSwitches.fuelSelectorLeftRedraw = thePanelSwitches.fuelSelectorRightRedraw = 1;
    s.fmAutopilotModes = 0;
    UpdateExteriorLights();
    theViewController.SetViewMode(kViewFullPanel);
    theViewController.SetLookDirection(0);
    cockpit::InvalidateAllGauges();
    cockpit::theCrashShown = 0;
}

void CmdHeadingBug() {
    cockpit::SelectHeadingBug();
}

void CmdAltimeterDown() {
    if (theCockpitSwitches.altimeterSetting > 2810) --theCockpitSwitches.altimeterSetting;
}

void CmdAltimeterUp() {
    if (theCockpitSwitches.altimeterSetting < 3100) ++theCockpitSwitches.altimeterSetting;
}

// The stopwatch's start and stop: it works only while the clock shows the timer; a start counts
// from zero again.
void CmdCycleElapseTime() {
    cockpit::CockpitSwitches& c = theCockpitSwitches;
    if (c.clockPresent == 0 || c.elapsedTimeMode == 0) return;
    if (c.timerRunning != 0) {
        c.timerRunning = 0;
    } else {
        theResetElapsedTime();
        c.timerRunning = 1;
    }
    c.clockRedraw = 1;
}

void CmdSwapEngineMeters() {
    if (Type() != 2) return;
    Toggle(theCockpitSwitches.engineMeterSwap);
    theViewController.ApplyView();
}

void CmdCycleFuelSwitch() {
    StepFuelSelector(0);
    if (Synchronised()) StepFuelSelector(1);
}

void CmdCycleFuelSwitchRight() {
    StepFuelSelector(1);
}

void CmdTogglePitotHeat() {
    Click(-6000);
    if (Toggle(cockpit::thePitotHeatOn) == 0) return;
    if (!flight::SystemReliability::IsWorking(flight::Instrument::Airspeed) ||
        !flight::SystemReliability::IsWorking(flight::Instrument::Altimeter) ||
        !flight::SystemReliability::IsWorking(flight::Instrument::VerticalSpeed))
        theCockpitSwitches.pitotHeatCountdown = 5;
}

void CmdToggleStrobeLight() {
    Toggle(thePanelSwitches.strobe);
    Click(-5000);
    UpdateExteriorLights();
}

void CmdToggleBeaconLight() {
    Toggle(thePanelSwitches.beacon);
    Click(-4000);
    UpdateExteriorLights();
}

void CmdToggleNavLight() {
    Toggle(thePanelSwitches.navLights);
    Click(-3000);
    UpdateExteriorLights();
}

void CmdToggleTaxiLight() {
    Toggle(thePanelSwitches.taxiLight);
    Click(-2000);
    UpdateExteriorLights();
}

void CmdToggleLandingLight() {
    Toggle(thePanelSwitches.landingLights);
    Click(-1000);
    UpdateExteriorLights();
}

void CmdToggleSpeedBrake() {
    const int type = Type();
    if (type == 2 || type == 3) {
        Toggle(theCockpitSwitches.propSync);
        Click(-500);
    } else if (type == 4) {
        theCockpitSwitches.speedBrakeDrag = Toggle(theCockpitSwitches.speedBrake) != 0 ? 500 : 0;
        Click(-500);
    }
}

void CmdToggleLeftBoost() {
    const int type = Type();
    if (type >= 2 && type <= 4) {
        Toggle(theCockpitSwitches.leftBoost);
        Click(-300);
    }
}

void CmdToggleRightBoost() {
    const int type = Type();
    if (type >= 2 && type <= 4) {
        Toggle(theCockpitSwitches.rightBoost);
        Click(-100);
    }
}

void CmdToggleCowlFlaps() {
    const int type = Type();
    if (type == 1) {
        if (theCockpitSwitches.cowlFlapKnob == 0) {
            theCockpitSwitches.cowlFlapKnob = 15;
            theCockpitSwitches.cowlFlapDrag = 0;
        } else {
            theCockpitSwitches.cowlFlapKnob = 0;
            theCockpitSwitches.cowlFlapDrag = 6;
        }
    } else if (type == 2) {
        Click(-500);
        if (Toggle(theCockpitSwitches.baronCowlSwitch) != 0) {
            theCockpitSwitches.cowlFlapKnob = 0;
            theCockpitSwitches.cowlFlapDrag = 8;
        } else {
            theCockpitSwitches.cowlFlapKnob = 15;
            theCockpitSwitches.cowlFlapDrag = 0;
        }
    }
}

void CmdToggleCarbHeat() {
    const int type = Type();
    if (type != 0 && type != 5) return;
    if (theCockpitSwitches.carbHeatKnob != 0) {
        theCockpitSwitches.carbHeatKnob = 0;
        cockpit::theEngineSpeedDrop[1] = RpmFraction(0.04);
    } else {
        theCockpitSwitches.carbHeatKnob = 15;
        cockpit::theEngineSpeedDrop[1] = 0;
    }
}

void CmdToggleTemperature() {
    theCockpitSwitches.temperatureFlags[0] ^= 1;
    theCockpitSwitches.temperatureFlags[1] ^= 1;
    theCockpitSwitches.temperatureRedraw = 1;
    theCommandServices.playEffect(EffectChannel::PanelClick, kTurbine, 500, -300, 100);
}

void CmdToggleAvionicPower() {
    const bool on = Toggle(theCockpitSwitches.avionicsMaster) != 0;
    Click(-7000);
    if (thePanelSwitches.batteryPower != 0) AvionicsSound(on);
    cockpit::UpdateElectricalPower(1);
}

void CmdToggleBatteryPower() {
    const bool on = Toggle(thePanelSwitches.batteryPower) != 0;
    Click(-8000);
    if (theCockpitSwitches.avionicsMaster != 0) AvionicsSound(on);
    if (on && (flight::theFlightModelState.fmEngines & 1) != 0) {
        std::int32_t* g = theCockpitSwitches.electricalGauges;
        std::int32_t* m = theCockpitSwitches.electricalMinimum;
        const bool jet = Type() == 4;
        static constexpr std::int32_t kJetFloors[4] = {32, 32, 20, 20};
        for (int i = 0; i < (jet ? 4 : 2); ++i) {
            const std::int32_t floor = jet ? kJetFloors[i] : 19;
            if (g[i] < floor) g[i] = floor;
        }
        for (int i = 0; i < 2; ++i) {
            const std::int32_t floor = jet ? 2 : 3;
            if (m[i] < floor) m[i] = floor;
        }
    }
    cockpit::UpdateElectricalPower(1);
    UpdateExteriorLights();
}

void CmdSetIgnitionOff() {
    IgnitionOff(0);
    if (Synchronised()) IgnitionOff(1);
}

void CmdSetIgnitionLeftMag() {
    SetMagneto(0, 2);
    if (Synchronised()) SetMagneto(1, 2);
}

void CmdSetIgnitionStart() {
    if (flight::theCrashed != 0) return;
    Starter(0);
    if (Synchronised()) Starter(1);
}

void CmdSetIgnitionRightMag() {
    SetMagneto(0, 1);
    if (Synchronised()) SetMagneto(1, 1);
}

void CmdSetIgnitionBothMag() {
    SetMagneto(0, 3);
    if (Synchronised()) SetMagneto(1, 3);
}

void CmdSetIgnitionOffRight() {
    IgnitionOff(1);
}
void CmdSetIgnitionLeftMagRight() {
    SetMagneto(1, 2);
}
void CmdSetIgnitionStartRight() {
    Starter(1);
}
void CmdSetIgnitionRightMagRight() {
    SetMagneto(1, 1);
}
void CmdSetIgnitionBothMagRight() {
    SetMagneto(1, 3);
}

void CmdLinkLeftAndRightEquipment() {
    PostMenu(696);
}
void CmdToggleMagCompass() {
    PostMenu(120);
}
void CmdToggleDigitalReadout() {
    PostMenu(712);
}

void CmdToggleNavOrADF() {
    const int type = Type();
    if (type != 0 && type != 5) return;
    // The flag set shows NAV2's course indicator in the ADF's place; the tuning keys follow the
    // instrument now shown.
    const bool nav2 = Toggle(theCockpitSwitches.nav2ShowsAdf) != 0;
    theCockpitSwitches.nav2AdfRedraw = 1;
    cockpit::theAdfIndicator.dirty = 1;
    if (nav2)
        cockpit::Nav2();
    else
        cockpit::ADF();
}

namespace {

constexpr std::uint32_t kS = 0x10000;
constexpr std::uint32_t kA = 0x40000;

const std::array<KeyCommand, 38> kCockpitRows = {{
    {0xDC, &CmdReverseThrust, "ReverseThrust"},
    {kA | 0xDC, &CmdReverseThrustRight, "ReverseThrustRight"},
    {0x1B, &CmdRepairPlane, "RepairPlane"},
    {kS | 0x37, &CmdHeadingBug, "HeadingBug"},
    {kS | 0xBC, &CmdAltimeterDown, "AltimeterDown"},
    {kS | 0xBE, &CmdAltimeterUp, "AltimeterUp"},
    {kS | 0x45, &CmdCycleElapseTime, "CycleElapseTime"},
    {0x09, &CmdSwapEngineMeters, "SwapEngineMeters"},
    {0x46, &CmdCycleFuelSwitch, "CycleFuelSwitch"},
    {kA | 0x46, &CmdCycleFuelSwitchRight, "CycleFuelSwitchRight"},
    {0x31, &CmdTogglePitotHeat, "TogglePitotHeat"},
    {0x32, &CmdToggleStrobeLight, "ToggleStrobeLight"},
    {0x33, &CmdToggleBeaconLight, "ToggleBeaconLight"},
    {0x34, &CmdToggleNavLight, "ToggleNavLight"},
    {0x35, &CmdToggleTaxiLight, "ToggleTaxiLight"},
    {0x36, &CmdToggleLandingLight, "ToggleLandingLight"},
    {0x37, &CmdToggleSpeedBrake, "ToggleSpeedBrake"},
    {0x38, &CmdToggleLeftBoost, "ToggleLeftBoost"},
    {0x39, &CmdToggleRightBoost, "ToggleRightBoost"},
    {0x43, &CmdToggleCowlFlaps, "ToggleCowlFlaps"},
    {0x48, &CmdToggleCarbHeat, "ToggleCarbHeat"},
    {0x54, &CmdToggleTemperature, "ToggleTemperature"},
    {0x58, &CmdToggleAvionicPower, "ToggleAvionicPower"},
    {0x5A, &CmdToggleBatteryPower, "ToggleBatteryPower"},
    {0x4F, &CmdSetIgnitionOff, "SetIgnitionOff"},
    {0x57, &CmdSetIgnitionLeftMag, "SetIgnitionLeftMag"},
    {0x53, &CmdSetIgnitionStart, "SetIgnitionStart"},
    {0x51, &CmdSetIgnitionRightMag, "SetIgnitionRightMag"},
    {0x45, &CmdSetIgnitionBothMag, "SetIgnitionBothMag"},
    {kA | 0x4F, &CmdSetIgnitionOffRight, "SetIgnitionOffRight"},
    {kA | 0x57, &CmdSetIgnitionLeftMagRight, "SetIgnitionLeftMagRight"},
    {kA | 0x53, &CmdSetIgnitionStartRight, "SetIgnitionStartRight"},
    {kA | 0x51, &CmdSetIgnitionRightMagRight, "SetIgnitionRightMagRight"},
    {kA | 0x45, &CmdSetIgnitionBothMagRight, "SetIgnitionBothMagRight"},
    {kA | 0x4C, &CmdLinkLeftAndRightEquipment, "LinkLeftAndRightEquipment"},
    {kA | 0x4D, &CmdToggleMagCompass, "ToggleMagCompass"},
    {kA | 0x4E, &CmdToggleNavOrADF, "ToggleNavOrADF"},
    {kA | 0x52, &CmdToggleDigitalReadout, "ToggleDigitalReadout"},
}};

}  // namespace

KeyCommandTable CockpitCommands() {
    return kCockpitRows;
}

}  // namespace sim
