// The force-feedback stick as the joystick and the main window reach it: started when a stick is
// found and the window is active, stopped when the window is deactivated and at exit, and given
// the forces of the flight once per poll. Silent until the force-feedback layer is built: no
// stick pushes back yet.
#pragma once

#include "win/handles.h"

namespace devices {

void StartForceFeedback(win::HWND window);
void ShutdownForceFeedback();
// The centring spring, the stall buffet and the ground forces of one poll.
void UpdateStickForces();

}  // namespace devices
