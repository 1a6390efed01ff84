// The scripted machine with a real screen: the program's picture goes to an SDL window (an X
// display under test), while its input and clock stay the script's. What the display system
// itself sends (focus, exposure, its own close button) is taken from SDL and dropped, so the run
// stays the script's.
#pragma once

#include <memory>

#include "platform/headless/headless_backend.h"

namespace simrun {

// Null when SDL finds no display.
std::unique_ptr<platform::Backend> CreateSdlScreenBackend(platform::HeadlessBackend& machine);

}  // namespace simrun
