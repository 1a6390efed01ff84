// The autopilot panel's state that the world's once-a-second task reads and writes: the on flag,
// the trim indicator (0 dark, 1 up, 2 down) and the display's redraw flag. The panel's gauges
// own them when they are built; until then they are plain globals.
#pragma once

#include <cstdint>

namespace cockpit {

struct AutopilotPanel {
    std::uint32_t on = 0;
    std::uint32_t trimIndicator = 0;
    std::uint32_t redraw = 0;
};
extern AutopilotPanel theAutopilotPanel;

}  // namespace cockpit
