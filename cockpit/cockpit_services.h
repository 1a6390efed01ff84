// The cockpit values the flight model and the aircraft read and write (declared in
// flight/flight_hooks.h): the fuel-tank selector bytes the flight model keeps (the cockpit keeps
// them equal to its selector gauges), the engine flags, the switch words the aircraft selection
// carries over (words of the panel's gauges, one storage), and the engine start and stop
// requests.
#pragma once

#include <cstdint>

#include "cockpit/gauges.h"
#include "flight/flight_hooks.h"

namespace cockpit {

using flight::theEngineRunning;
using flight::theEngineSpeedDrop;
using flight::theEngineStarted;
using flight::theFuelTankSelector;
using flight::theLeftEngineTankSelector;
using flight::theLeftMixtureLever;
using flight::theRightConditionLever;
using flight::theRightEngineTankSelector;

// The right engine is on. The engine sequences keep it.
extern std::uint32_t theRightEngineStarted;

// The battery master: the switch word of theMasterSwitch.
extern std::int32_t& theBatteryPower;

// The switch words the aircraft selection and the cockpit commands work.
using flight::PanelSwitches;
extern PanelSwitches thePanelSwitches;

// Engine stops (the defaults are the cockpit's engine sequences).
using flight::EngineStopServices;
using flight::StopLeftEngine;
using flight::StopRightEngine;
using flight::StopSingleEngine;
using flight::theEngineStopServices;
[[nodiscard]] EngineStopServices PlainEngineStopServices();

// Set-up when an aircraft is selected.
void SetupGaugesForAircraft();
// Asks for a full repaint of the panel and marks every gauge of the type for redraw.
void InvalidateAllGauges();
// Centres the course and glide-slope needles after an airborne flight is loaded.
void CenterNavIndicators();

// Puts every value above back to its start value.
void ResetCockpitServices();

}  // namespace cockpit
