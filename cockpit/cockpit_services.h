// The cockpit values the flight model and the aircraft read and write: levers, selectors,
// switches and the engine start state. The cockpit owns them; until it is built they are plain
// globals with their start values, and the engine-stop routines only clear the running bits.
#pragma once

#include <cstdint>

namespace cockpit {

// Fuel selectors: single-engine 1 left tank, 2 both, 3 right tank; twins 1 own side, 2 other.
extern std::uint8_t theFuelSelector;
extern std::uint8_t theLeftEngineTankSelector;
extern std::uint8_t theRightEngineTankSelector;

// Mixture lever 0..31 of the left (or only) engine; the King Air's left condition lever
// (15 low idle, 31 high idle). The King Air's right condition lever.
extern std::int16_t theLeftMixtureLever;
extern std::int16_t theRightConditionLever;

// The Cessna 172's two engine-speed drop words (magneto check), subtracted from engine speed.
extern std::int16_t theEngineSpeedDrop[2];

extern std::uint32_t theEngineStarted;
extern std::uint32_t theEngineRunning;
extern std::uint32_t theRightEngineStarted;

// The switch states the aircraft selection carries over from one type to the next.
struct PanelSwitches {
    std::uint32_t batteryPower = 0;
    std::uint32_t strobe = 0;
    std::uint32_t beacon = 0;
    std::uint32_t navLights = 0;
    std::uint32_t taxiLight = 0;
    std::uint32_t landingLights = 0;
    std::uint16_t ignitionLeft = 0;  // 0 OFF, 1 R, 2 L, 3 BOTH, 4 START
    std::uint16_t ignitionRight = 0;
    std::uint32_t ignitionLeftRedraw = 0;
    std::uint32_t ignitionRightRedraw = 0;
    std::uint32_t turbineIgnitionLeft = 0;
    std::uint32_t turbineIgnitionRight = 0;
    std::uint32_t igniterLeft = 0;
    std::uint32_t igniterRight = 0;
    std::uint16_t fuelSelectorSwitchLeft = 0;
    std::uint16_t fuelSelectorSwitchRight = 0;
    std::uint32_t fuelSelectorLeftRedraw = 0;
    std::uint32_t fuelSelectorRightRedraw = 0;
};
extern PanelSwitches thePanelSwitches;

// Engine stops used by the crash: each acts only on the engines the aircraft has and that run.
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

// Panel art and gauge set-up run when an aircraft is selected; the cockpit fills them in.
void BuildPanelC172();
void BuildPanelBonanza();
void BuildPanelBaron();
void BuildPanelKingAir();
void BuildPanelCitationJet();
void ReleasePanelArt();
void SetupGaugesForAircraft();
void InvalidateAllGauges();
// Centres the course and glide-slope needles after an airborne flight is loaded.
void CenterNavIndicators();

// Puts every value above back to its start value.
void ResetCockpitServices();

}  // namespace cockpit
