// The spine's answers to what the cockpit asks of it (the compass option, the situation hold, the
// trim and keyboard-control words; the flight plan and the menu commands of the radio commands;
// the flight plan and airport objects the GPS pages show).
#pragma once

namespace sim {

void InstallPanelHost();

}  // namespace sim
