// The panel's lever and trim-wheel gauges, the gear lever and the pitot-heat switch, as the
// flight-control commands and the failure model use them. These are the first, least bodies: the
// positions, frames and flags are complete; the art (knob pictures, sounds) joins them when the
// panel is built.
#pragma once

#include <cstdint>

namespace cockpit {

// One of the six engine levers: position 0..31, redraw flag, and the knob frame last computed.
// The throttles start closed, the propellers and mixtures full forward.
struct LeverGauge {
    std::int16_t position = 0;
    std::uint32_t redraw = 0;
    std::int16_t knobFrame = 0;
};
extern LeverGauge theThrottleLever;
extern LeverGauge theThrottleLeverRight;
extern LeverGauge thePropPitchLever;
extern LeverGauge thePropPitchLeverRight;
extern LeverGauge theMixtureLever;
extern LeverGauge theMixtureLeverRight;

// A trim wheel picture: frame 0..3 and a redraw counter.
struct TrimWheelGauge {
    std::int16_t frame = 0;
    std::uint32_t redraw = 0;
};
extern TrimWheelGauge theElevatorTrimWheel;
extern TrimWheelGauge theRudderTrimWheel;
extern TrimWheelGauge theAileronTrimWheel;

extern std::uint32_t theGearUp;       // 1 while the gear is up
extern std::uint32_t thePitotHeatOn;  // the pitot-heat switch

// Lever positions into knob pictures and flight-model values: the throttle into fmThrot (lever x
// 1057) while its engine runs; a mixture at 0 stops its engine.
void UpdateThrottleLever();
void UpdateThrottleLeverRight();
void UpdatePropPitchLever();
void UpdatePropPitchLeverRight();
void UpdateMixtureLever();
void UpdateMixtureLeverRight();
// All six in the order mixture, propeller, throttle, left then right: after a situation is
// loaded the flight model and the knobs follow the lever words.
void ApplyEngineLevers();

// The gear lever: nothing for the fixed-gear types, on the ground, without battery power or with
// the gear already where it was asked to go.
void LowerGear();
void RaiseGear();

// Puts every value above back to its start value.
void ResetPanelControls();

}  // namespace cockpit
