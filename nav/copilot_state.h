// The copilot's part of the ATC dialogue that the world's flight mode sets: the copilot flag, the
// copilot's radio-help option ("CoPilot" section) and the delay before ATC replies. Plain
// globals until the copilot and the ATC code exist.
#pragma once

#include <cstdint>

namespace nav {

extern std::uint32_t theCopilotFlag;
extern std::uint32_t theCopilotRadioHelp;
extern std::int32_t theAtcReplyDelay;  // ticks before ATC answers a call; 0 at once

}  // namespace nav
