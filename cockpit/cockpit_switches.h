// The panel switches, knobs and display flags that the cockpit commands work, beside the ones in
// cockpit_services.h and panel_controls.h. These are least bodies: the states and redraw flags
// are complete; the gauges that draw them, and the engine start sequences, join them when the
// panel is built.
#pragma once

#include <cstdint>

namespace cockpit {

struct CockpitSwitches {
    std::uint32_t avionicsMaster = 0;
    std::uint32_t leftBoost = 0;
    std::uint32_t rightBoost = 0;
    std::uint32_t speedBrake = 0;     // CitationJet
    std::uint32_t propSync = 0;       // Baron and King Air
    std::uint32_t carbHeatKnob = 15;  // 15 off, 0 on (Cessna 172)
    std::uint32_t cowlFlapKnob = 15;  // 0 open, 15 closed
    std::uint32_t baronCowlSwitch = 0;
    std::int16_t altimeterSetting = 2992;  // hundredths of an inch of mercury
    std::uint32_t clockPresent = 1;
    std::uint32_t elapsedTimeMode = 0;
    std::uint32_t clockRedraw = 0;
    std::uint32_t engineMeterSwap = 0;  // Baron
    std::uint32_t temperatureFlags[2] = {1, 0};
    std::uint32_t temperatureRedraw = 0;
    std::uint32_t nav2ShowsAdf = 0;  // the 172's shared NAV2/ADF instrument
    std::uint32_t nav2AdfRedraw = 0;
    // Flight-model values set by the switches.
    std::uint8_t reverseThrust[2] = {0, 0};
    std::int16_t speedBrakeDrag = 0;
    std::int16_t cowlFlapDrag = 0;
    // Electrical gauge values that the battery gives a floor to.
    std::int32_t electricalGauges[4] = {0, 0, 0, 0};
    std::int32_t electricalMinimum[2] = {0, 0};
    // Steps of the slow tick left until the pitot heat clears the pitot-static failures.
    std::int32_t pitotHeatCountdown = 0;
};
extern CockpitSwitches theCockpitSwitches;

// What the tuning keys (the radio commands' plus and minus) act on.
enum class TuningTarget { None, HeadingBug, Nav2, Adf };
extern TuningTarget theTuningTarget;

// Engine starts (the starter's sequence and sounds live in the engine code): the defaults mark
// the engine started and running.
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

// One step of the panel's slow tick for the pitot heat: when its countdown runs out, the
// pitot-static failures are cleared. The cockpit's slow tick calls it.
void TickPitotHeat();

// Puts every value above back to its start value.
void ResetCockpitSwitches();

}  // namespace cockpit
