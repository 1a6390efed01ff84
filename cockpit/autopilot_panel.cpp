#include "cockpit/autopilot_panel.h"

namespace cockpit {

AutopilotPanel theAutopilotPanel;

}  // namespace cockpit
