// The sound system and the joystick as the simulation's spine drives them: opening and closing
// sound (InitSound, ShutdownSound, SuspendSound and the pause state), the per-tick sound steps,
// the "Sound" section, the world's Joystick and its force-feedback link.
#pragma once

#include "devices/engine_sounds.h"
#include "devices/force_feedback.h"
#include "devices/joystick.h"
#include "devices/sound_device.h"
