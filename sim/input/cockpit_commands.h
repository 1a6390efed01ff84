// The keyboard's cockpit switches: lights, pitot heat, boost pumps, cowl flaps, carburettor heat,
// fuel selectors, ignition and starters, battery and avionics masters, reverse thrust, the
// altimeter setting, the clock's elapsed-time mode, a few display toggles, and the repair after
// a crash. What a switch does depends on the aircraft type; every movement plays its click with
// the pan of the switch's place on the panel. The panel's mouse clicks and the lessons call the
// same functions.
#pragma once

#include <cstdint>

#include "sim/input/key_commands.h"

namespace sim {

// The cockpit table's 38 rows (priority 0).
[[nodiscard]] KeyCommandTable CockpitCommands();

// The world's elapsed-time counter that the clock's elapsed mode starts from zero; the world
// installs its own.
extern void (*theResetElapsedTime)();

// Magneto position of a piston engine (0 left or only, 1 right): 0 OFF, 1 R, 2 L, 3 BOTH, 4 START.
void SetMagneto(int engine, int position);
void IgnitionOff(int engine);
void Starter(int engine);
// The fuel check of a starter: 1 when the selected tank of the engine has fuel.
[[nodiscard]] int StarterHasFuel(int engine);
// Sets every exterior light part from the battery and its switch.
void UpdateExteriorLights();

void CmdReverseThrust();
void CmdReverseThrustRight();
void CmdRepairPlane();
void CmdHeadingBug();
void CmdAltimeterDown();
void CmdAltimeterUp();
void CmdCycleElapseTime();
void CmdSwapEngineMeters();
void CmdCycleFuelSwitch();
void CmdCycleFuelSwitchRight();
void CmdTogglePitotHeat();
void CmdToggleStrobeLight();
void CmdToggleBeaconLight();
void CmdToggleNavLight();
void CmdToggleTaxiLight();
void CmdToggleLandingLight();
void CmdToggleSpeedBrake();
void CmdToggleLeftBoost();
void CmdToggleRightBoost();
void CmdToggleCowlFlaps();
void CmdToggleCarbHeat();
void CmdToggleTemperature();
void CmdToggleAvionicPower();
void CmdToggleBatteryPower();
void CmdSetIgnitionOff();
void CmdSetIgnitionLeftMag();
void CmdSetIgnitionStart();
void CmdSetIgnitionRightMag();
void CmdSetIgnitionBothMag();
void CmdSetIgnitionOffRight();
void CmdSetIgnitionLeftMagRight();
void CmdSetIgnitionStartRight();
void CmdSetIgnitionRightMagRight();
void CmdSetIgnitionBothMagRight();
void CmdLinkLeftAndRightEquipment();
void CmdToggleMagCompass();
void CmdToggleNavOrADF();
void CmdToggleDigitalReadout();

}  // namespace sim
