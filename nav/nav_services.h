// The navigation receiver output that the autopilot follows (declared in flight/flight_hooks.h).
// The receivers fill it in; until they exist it says "no signal".
#pragma once

#include "flight/flight_hooks.h"

namespace nav {

using flight::AutopilotNavInput;
using flight::theAutopilotNavInput;

}  // namespace nav
