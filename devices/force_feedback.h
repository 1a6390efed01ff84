// The force-feedback stick as the joystick and the main window reach it: started when a stick is
// found and whenever the window is activated, stopped when the window is deactivated, at exit and
// on a fatal exit, and given the forces of the flight once per poll.
#pragma once

#include <cstdint>
#include <string>

#include "win/handles.h"

namespace devices {

// A joystick was found (set by detection).
extern std::uint32_t theJoystickFound;
// Force feedback runs; the next update sends every force again.
extern std::uint32_t theForceFeedbackActive;
extern std::uint32_t theForceRefresh;
// The stick of the last start and whether it worked: a stick that failed is not tried again
// until another one is plugged in.
extern std::string theForceStickName;
extern bool theForceStickWorked;

void StartForceFeedback(win::HWND window);
void ShutdownForceFeedback();
// Stops the forces of the stick held and starts them again (a stick plugged back).
void RestartForceFeedback(win::HWND window);
// The centring spring, the stall buffet and the turbulence bumps of one poll.
void UpdateStickForces();

}  // namespace devices
