#include "nav/copilot_state.h"

namespace nav {

std::uint32_t theCopilotFlag = 0;
std::uint32_t theCopilotRadioHelp = 0;
std::int32_t theAtcReplyDelay = 0;

}  // namespace nav
