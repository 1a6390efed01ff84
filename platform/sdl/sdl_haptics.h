// The SDL side of force feedback, for the SDL machine only (SDL types stay inside platform/sdl/).
#pragma once

#include <SDL.h>

#include <functional>
#include <memory>

#include "platform/backend.h"

namespace platform {

// Devices are opened from the machine's joysticks: `joystickAt` gives the open SDL joystick of an
// index (null when none). SDL's haptic subsystem is started by the caller; without it nothing
// opens.
std::unique_ptr<Haptics> CreateSdlHaptics(std::function<SDL_Joystick*(int)> joystickAt);

}  // namespace platform
