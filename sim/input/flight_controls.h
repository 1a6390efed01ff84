// The keyboard's flight controls: elevator, ailerons and rudder in fixed steps, the three trims,
// the engine levers in 32 positions, flaps, gear, brakes and the time acceleration. The commands
// move control inputs; the flight model reads the combined positions fmElv, fmAil and fmRud.
#pragma once

#include <cstdint>

#include "sim/input/key_commands.h"

namespace sim {

// Control inputs and trims beside the state record (the elevator trim is fmApElvTrim, which the
// autopilot moves too). The joystick writes the inputs as well.
extern std::int16_t theElevatorInput;
extern std::int16_t theRudderInput;
extern std::int16_t theRudderTrim;
extern std::int16_t theAileronInput;
extern std::int16_t theAileronTrim;

// Combined position = trim + input, clamped to the 16-bit range.
void UpdateElevatorPosition();
void UpdateRudderPosition();
void UpdateAileronPosition();

// Steps: the elevator ones are scaled by the trim effectiveness fmCNAdj (Q15); the others are
// added as given. A sum outside what the value accepts leaves it unchanged (inputs accept the
// whole 16-bit range, trims stop at 32766); the position is recomputed either way.
void AddElevatorInput(std::int16_t step);
void AddElevatorTrim(std::int16_t step);
void AddRudderInput(std::int16_t step);
void AddRudderTrim(std::int16_t step);
void AddAileronInput(std::int16_t step);
void AddAileronTrim(std::int16_t step);

// Command functions shared with the joystick-button table.
void CmdTrimUp();
void CmdTrimDown();
void CmdFlapsUp();
void CmdFlapsDown();
void CmdToggleGear();
void CmdToggleBrakes();
void CmdThrottleDown();
// One step of the left engine's lever alone (0 throttle, 1 propeller, 2 mixture): the panel's
// right-engine levers move it as well while the engines are synchronised.
void LeftLeverStep(int lever, int direction);

// The 61 rows (priority 0).
[[nodiscard]] KeyCommandTable FlightControlCommands();

// Puts the inputs and trims back to zero.
void ResetFlightControls();

}  // namespace sim
