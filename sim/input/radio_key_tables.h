// The cockpit's two command tables of the radio stack: the radios and the autopilot (28 rows), the
// communication radios, the transponder and the ATC requests (21 rows). Both are registered at
// priority 0, last in the registry's order, so their keys win among the tables of priority 0.
#pragma once

#include "sim/input/key_commands.h"

namespace sim {

[[nodiscard]] KeyCommandTable RadioCommands();
[[nodiscard]] KeyCommandTable CommCommands();

}  // namespace sim
