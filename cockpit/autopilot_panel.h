// The autopilot panel's trim button as the world's once-a-second task reads and writes it: the
// button's frame (0 none, 1 up, 2 down) that the autopilot's trim commands set, the rocker word
// (`lever`) of `theAutopilotPanel` (gauges.h), whose `buttons` are the panel's lamps.
#pragma once

#include <cstdint>

namespace cockpit {

// The lamp word of `theAutopilotPanel.buttons` that says the autopilot is engaged ("APap").
inline constexpr int kAutopilotEngaged = 5;

extern std::int16_t& theAutopilotTrimButton;

}  // namespace cockpit
