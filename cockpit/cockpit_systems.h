// The cockpit systems: the rules that tie switches, levers, engines, gear and electrical power
// together, the engine start and stop sequences, the slow cockpit step and the "Panel" section of
// a saved situation. All state lives in the panel's gauges; every change marks its gauge dirty.
#pragma once

#include <cstdint>

#include "cockpit/panel_gauge.h"

namespace core {
class IniFile;
}

namespace cockpit {

// What the cockpit asks of the spine; the world installs its own. The defaults describe a
// cockpit view looking forward, the compass shown, nothing held.
struct PanelHostServices {
    int (*compassShown)();     // the magnetic-compass display option (menu 120)
    int (*simulationHeld)();   // throttle writes are skipped while it is set
    // The spine's trim and keyboard-control words: 0 elevator trim, 1 aileron trim, 2 rudder
    // trim, 3 keyboard elevator, 4 keyboard rudder, 5 keyboard aileron.
    std::int16_t* (*controlWord)(int which);
    std::uint32_t (*simTimeMs)();                 // the simulated clock (the panel clock redraws
                                                  // when it moves)
    void (*clockText)(char* out, int size);       // the time of day as the clock shows it
    std::uint32_t (*stopwatchSeconds)();          // the world's stopwatch
};
extern PanelHostServices thePanelHost;
[[nodiscard]] PanelHostServices DefaultPanelHostServices();

// The attitude layout of the current type: reference point, window, horizon size and colours.
struct AttitudeLayout {
    std::int32_t a = 0, b = 0, c = 0, d = 0, e = 0, f = 0;
    std::int16_t g = 0, h = 0, i = 0;
    std::int16_t pitch = 0;
    std::int16_t bank = 0;
};
extern AttitudeLayout theAttitudeLayout;
[[nodiscard]] AttitudeLayout AttitudeLayoutForType(int type);

// The engine flags of one engine. "On" is running or a sequence under way; the flight model's
// engine bit is the one truth of "running".
enum class EnginePhase { Stopped, Cranking, Catching, Running, SpinningDown };
struct EngineSequence {
    EnginePhase phase = EnginePhase::Stopped;
    std::int32_t countdown = 0;  // 2-tick steps left in the phase
    std::int32_t starterEngaged = 0;
    std::int32_t stopRequested = 0;
};
extern EngineSequence theEngineSequences[2];
// The aircraft's engine-state word (0 stopped, 4 starting on a twin).
extern std::int32_t theEngineStateWord;
// The blink phase the slow step toggles.
extern std::int32_t theBlinkPhase;
// Starvation counters (single or left, right).
extern std::int32_t theStarvationTicks[2];

// Requests, as the commands, the crash, the mixture and the failure step make them.
void StartSingleEngineNow();
void StartLeftEngineNow();
void StartRightEngineNow();
void StopSingleEngineNow();
void StopLeftEngineNow();
void StopRightEngineNow();
// One 2-tick step of every engine's start or stop sequence (the world's 2nd-tick task).
void StepEngineSequences();
// Makes the sequences agree with the flight model's engine bits (after a load or a selection):
// a set bit is a running engine, a cleared one a stopped engine; every gauge's words are then
// brought up to the flight model.
void SyncEnginesWithFlightModel();
// The oil temperature gauges of engines that have not run: at the cold end.
void SetOilTemperaturesCold();
void ResetEngineSequences();
// The trace's words for engine state changes ("engine 1 running").
extern void (*theEngineTrace)(const char* line);

void ApplyEngineLevers();
void CockpitSlowTick();
void CheckFuelStarvation();
void UpdateElectricalPower(int reset);
// The piston panels' oil gauges read nothing without the battery; with it, the oil's temperature
// (kept meanwhile) and the pressure of the engine as it runs now. Done at every paint.
void ShowOilWithPower();
// An engine's oil temperature needle, also while its gauge reads nothing; and the kept
// temperatures forgotten (a flight read over them).
[[nodiscard]] std::int16_t OilTemperatureNeedle(int engine);
void ForgetDarkOil();
// The gear lamps follow the gear (each instrument update).
void UpdateGearLamps();
// The gear motor's countdown (one step per instrument update) and its start.
extern std::int32_t theGearTransitCountdown;
void StartGearTransit();

int ReadPanelState(core::IniFile& file);
int WritePanelState(core::IniFile& file);
int LoadPartialPanelSettings(core::IniFile& file);
int SavePartialPanelSettings(core::IniFile& file);

}  // namespace cockpit
