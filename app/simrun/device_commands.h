// The runner's device lines, registered with the script's commands:
//   joystick plug NAME [axes N] [buttons N] [hats N] [haptic]
//                                   (haptic: the stick pushes back; what the program asks of it
//                                    is traced as "haptic: ..." lines)
//   joystick unplug
//   joystick axis N VALUE           (axis 0 x, 1 y, 2 throttle, 3 rudder; -32768..32767)
//   joystick button N down|up|press (1..32; a press is let go 100 ms later)
//   joystick hat N centre|up|up-right|right|down-right|down|down-left|left|up-left
//   audio FILE                      (a 16-bit PCM WAV at the card's rate of what was played
//                                    since the previous audio line, or since sound first opened;
//                                    the card keeps only that, and nothing after the last line)
// The stick lines act on the stick plugged last. Joystick lines at the head of a script set the
// sticks up before the program starts; later plugs and unplugs arrive as hot-plug events.
#pragma once

#include <string>
#include <vector>

#include "platform/headless/headless_backend.h"
#include "script.h"

namespace simrun {

// Runs and removes the joystick lines at the head of the script, without hot-plug events. False
// with a reason when one cannot run.
bool SetUpScriptedSticks(std::vector<Command>& commands, platform::HeadlessBackend& machine,
                         std::string* error);
// The card keeps its capture only when the script has an audio line to write it.
void SetUpSoundCapture(platform::HeadlessBackend& machine);

}  // namespace simrun
