#include "cockpit/autopilot_panel.h"

#include "cockpit/gauges.h"

namespace cockpit {

std::int16_t& theAutopilotTrimButton = theAutopilotPanel.lever;

}  // namespace cockpit
