// The navigation receiver output that the autopilot follows. The receivers fill it in; until
// they exist it says "no signal".
#pragma once

#include <cstdint>

namespace nav {

struct AutopilotNavInput {
    std::uint8_t signalValid = 0;     // 0 no signal
    std::int8_t courseDeviation = 0;  // -128..127
    std::uint8_t flags = 0;           // bit 1 close to the station, bit 3 steer to the bearing,
                                      // bit 4 glide slope valid
    std::uint16_t distance = 0;
    std::uint16_t selectedCourse = 0;      // binary angle
    std::uint16_t bearing = 0;             // binary angle
    std::uint8_t glideSlopeDeviation = 0;  // read as signed for tracking
};

extern AutopilotNavInput theAutopilotNavInput;

}  // namespace nav
