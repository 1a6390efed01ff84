// The spine's answers to what the cockpit asks of it (the compass option, the situation hold, the
// trim and keyboard-control words).
#pragma once

namespace sim {

void InstallPanelHost();

}  // namespace sim
