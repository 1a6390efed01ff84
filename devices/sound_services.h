// The sound calls the flight model and the aircraft make (declared in flight/flight_hooks.h).
// The sound subsystem installs its routines there; until then they do nothing.
#pragma once

#include <cstdint>

#include "flight/flight_hooks.h"

namespace devices {

// The sound channels a command of the keyboard or the panel plays an effect on.
enum class EffectChannel { PanelClick, Avionics, Flap };

using flight::SetSoundSuspended;
using flight::SilentSoundServices;
using flight::SoundServices;
using flight::StartEngineSounds;
using flight::StopEngineSounds;
using flight::theSoundServices;

}  // namespace devices
