// What the command tables need of the world, the aircraft, the views and the sound while those are
// still being built: one set of routines that the world singleton replaces with its own when it
// starts. The defaults act on the current aircraft and keep their own small world state (speed-up
// index, last posted menu command, look direction) so that the commands work on their own; their
// effects go to the sound channels, which play nothing while sound is closed.
#pragma once

#include <cstdint>

#include "devices/sound_services.h"

namespace sim {

// The sound channels a command plays an effect on.
using EffectChannel = devices::EffectChannel;

struct CommandServices {
    int (*postMenuCommand)(std::uint32_t id);  // WM_COMMAND to the main window
    int (*isMultiEngineSynch)();
    int (*speedUp)();  // time-acceleration index 0..4
    void (*setSpeedUp)(int index);
    void (*cockpitView)();  // the view commands shared with the joystick buttons
    void (*skyCamView)();
    void (*setLookDirection)(int direction);
    void (*playEffect)(EffectChannel channel, int effect, int pan, int volume, int priority);
};

extern CommandServices theCommandServices;
[[nodiscard]] CommandServices DefaultCommandServices();

// What the default services recorded, for callers that run without a world.
struct DefaultServiceState {
    int speedUp = 0;
    std::uint32_t lastMenuCommand = 0;
    int lookDirection = 0;
};
extern DefaultServiceState theDefaultServiceState;

}  // namespace sim
