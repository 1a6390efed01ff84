// The cockpit values the flight model and the aircraft read and write: the fuel-tank selector
// bytes the flight model keeps (the cockpit keeps them equal to its selector gauges), the engine
// flags, the switch words the aircraft selection carries over (words of the panel's gauges, one
// storage), and the engine start and stop requests.
#pragma once

#include <cstdint>

#include "cockpit/gauges.h"

namespace cockpit {

// Fuel selectors as the flight model reads them: single-engine 1 left tank, 2 both, 3 right
// tank; twins 1 own side, 2 other.
extern std::uint8_t theFuelTankSelector;
extern std::uint8_t theLeftEngineTankSelector;
extern std::uint8_t theRightEngineTankSelector;

// Mixture lever 0..31 of the left (or only) engine; the King Air's left condition lever
// (15 low idle, 31 high idle). The King Air's right condition lever.
extern std::int16_t theLeftMixtureLever;
extern std::int16_t theRightConditionLever;

// The Cessna 172's two engine-speed drop words (magneto check), subtracted from engine speed.
extern std::int16_t theEngineSpeedDrop[2];

// The left (or only) engine is on (running or a start or stop under way) and running; the right
// engine is on. The engine sequences keep them.
extern std::uint32_t theEngineStarted;
extern std::uint32_t theEngineRunning;
extern std::uint32_t theRightEngineStarted;

// The battery master: the switch word of theMasterSwitch.
extern std::int32_t& theBatteryPower;

// The switch words the aircraft selection and the cockpit commands work, by their old names:
// each is a word of one of the panel's gauges.
struct PanelSwitches {
    std::int32_t& batteryPower;
    std::int32_t& strobe;
    std::int32_t& beacon;
    std::int32_t& navLights;
    std::int32_t& taxiLight;
    std::int32_t& landingLights;
    std::int16_t& ignitionLeft;  // piston: 0 OFF, 1 R, 2 L, 3 BOTH, 4 START
    std::int16_t& ignitionRight;
    std::int32_t& ignitionLeftRedraw;
    std::int32_t& ignitionRightRedraw;
    std::int32_t& turbineIgnitionLeft;  // King Air and CitationJet
    std::int32_t& turbineIgnitionRight;
    std::int32_t& igniterLeft;  // the CitationJet's ignition lamps
    std::int32_t& igniterRight;
    std::int16_t& fuelSelectorSwitchLeft;
    std::int16_t& fuelSelectorSwitchRight;
    std::int32_t& fuelSelectorLeftRedraw;
    std::int32_t& fuelSelectorRightRedraw;
};
extern PanelSwitches thePanelSwitches;

// Engine stops: the crash, the mixture, starvation, failures and the commands call them; tests
// may put their own in. The defaults are the cockpit's engine sequences.
struct EngineStopServices {
    void (*stopSingleEngine)();
    void (*stopLeftEngine)();
    void (*stopRightEngine)();
};
extern EngineStopServices theEngineStopServices;
[[nodiscard]] EngineStopServices PlainEngineStopServices();

inline void StopSingleEngine() {
    theEngineStopServices.stopSingleEngine();
}
inline void StopLeftEngine() {
    theEngineStopServices.stopLeftEngine();
}
inline void StopRightEngine() {
    theEngineStopServices.stopRightEngine();
}

// Set-up when an aircraft is selected.
void SetupGaugesForAircraft();
// Asks for a full repaint of the panel and marks every gauge of the type for redraw.
void InvalidateAllGauges();
// Centres the course and glide-slope needles after an airborne flight is loaded.
void CenterNavIndicators();

// Puts every value above back to its start value.
void ResetCockpitServices();

}  // namespace cockpit
