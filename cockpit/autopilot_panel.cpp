#include "cockpit/autopilot_panel.h"

namespace cockpit {

std::int32_t theAutopilotTrimButton = 0;

}  // namespace cockpit
