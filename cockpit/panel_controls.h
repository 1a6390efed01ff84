// The panel's lever and trim gauges, the gear lever and the pitot-heat switch, as the
// flight-control commands and the failure model use them: the six engine levers hold their
// position 0..31 in `lever` and their knob frame in `knob`; the trim indicators hold the wheel
// frame 0..3 in `lever`; every writer sets `dirty`.
#pragma once

#include <cstdint>

#include "cockpit/gauges.h"

namespace cockpit {

using LeverGauge = PanelGauge;
using TrimWheelGauge = PanelGauge;

extern std::int32_t& theGearUp;       // 1 while the gear is up (the gear lever's `mode`)
extern std::int32_t& thePitotHeatOn;  // the pitot-heat switch

// Lever positions into knob frames and flight-model values: the throttle into fmThrot (lever x
// 1057) while the simulation is not held, its engine running or not; a mixture at cut-off stops
// its engine (not the CitationJet's).
void UpdateThrottleLever();
void UpdateThrottleLeverRight();
void UpdatePropPitchLever();
void UpdatePropPitchLeverRight();
void UpdateMixtureLever();
void UpdateMixtureLeverRight();

// The gear lever: nothing for the fixed-gear types, on the ground, without battery power or with
// the gear already where it was asked to go.
void LowerGear();
void RaiseGear();

// Puts every value above back to its start value.
void ResetPanelControls();

}  // namespace cockpit
