// The spine's answers to the dialogs, help windows and video windows (ui/ui_services.h and the
// dialog and help-popup hooks).
#pragma once

namespace sim {

void InstallUiHost();

}  // namespace sim
