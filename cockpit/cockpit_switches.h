// The panel switches, knobs and display flags that the cockpit commands work, beside the ones in
// cockpit_services.h and panel_controls.h, by the names the commands use: each switch, knob and
// display flag is a word of one of the panel's gauges; the flight-model values the switches set
// (reverse thrust, drags), the electrical floors and the pitot-heat countdown are kept here.
#pragma once

#include <cstdint>

#include "cockpit/gauges.h"

namespace cockpit {

struct CockpitSwitches {
    std::int32_t& avionicsMaster;
    std::int32_t& leftBoost;
    std::int32_t& rightBoost;
    std::int32_t& speedBrake;       // CitationJet
    std::int32_t& propSync;         // Baron and King Air
    std::int16_t& carbHeatKnob;     // 15 off, 0 on (Cessna 172)
    std::int16_t& cowlFlapKnob;     // 0 open, 15 closed
    std::int32_t& baronCowlSwitch;  // 1 open
    std::uint16_t& altimeterSetting;  // hundredths of an inch of mercury
    std::int32_t& elapsedTimeMode;    // the clock shows the timer
    std::int32_t& timerRunning;       // the stopwatch counts (the world adds a second a second)
    std::int32_t& clockRedraw;
    std::int32_t& engineMeterSwap;  // the Baron's swapped panel ("swapPanel")
    std::int32_t* temperatureFlags;  // the temperature readout's two display flags
    std::int32_t& temperatureRedraw;
    std::int32_t& nav2ShowsAdf;  // the 172's shared NAV2/ADF instrument ("C172navCompass")
    std::int32_t& nav2AdfRedraw;
    // Kept here, not drawn.
    std::uint32_t clockPresent = 1;
    std::uint8_t reverseThrust[2] = {0, 0};
    std::int16_t speedBrakeDrag = 0;
    std::int16_t cowlFlapDrag = 0;
    // Electrical gauge values that the battery gives a floor to.
    std::int32_t electricalGauges[4] = {0, 0, 0, 0};
    std::int32_t electricalMinimum[2] = {0, 0};
    // Slow ticks left until the pitot heat clears the pitot-static failures; -1 when idle.
    std::int32_t pitotHeatCountdown = -1;
};
extern CockpitSwitches theCockpitSwitches;

// The Baron's swapped panel and the second panel bitmap's use ("swapPanel").
extern std::int32_t theSwapPanel;

// Engine starts: the commands call them; tests may put their own in. The defaults are the
// cockpit's start requests.
struct EngineStartServices {
    void (*startSingleEngine)();
    void (*startLeftEngine)();
    void (*startRightEngine)();
};
extern EngineStartServices theEngineStartServices;
[[nodiscard]] EngineStartServices PlainEngineStartServices();

// The crash display the repair command ends: shown while the crash picture is up.
extern std::uint32_t theCrashShown;
// Set when the crash suspended the sound; the repair resumes it.
extern std::uint32_t theCrashSuspendedSound;

// One step of the slow tick for the pitot heat: at 0 the pitot-static failures are cleared, then
// the countdown goes on to -1 and stops.
void TickPitotHeat();

// Puts every value above back to its start value.
void ResetCockpitSwitches();

// Sets the altimeter to the air's surface pressure (the weather's pressure word), within the
// knob's 28.10 .. 31.00: a flight loaded reads its true altitude until the pilot turns the knob.
void SetAltimeterToSurfacePressure();

}  // namespace cockpit
