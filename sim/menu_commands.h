// Every menu choice, accelerator and posted command arrives at HandleMenuCommand; before the main
// menu opens, UpdateMainMenuState sets its check marks, radio marks and greyed items.
#pragma once

#include <cstdint>
#include <string>

#include "win/handles.h"

namespace sim {

void HandleMenuCommand(win::HWND window, unsigned id, win::HWND control, unsigned notification);
void UpdateMainMenuState(win::HMENU menu);
// 1 go on, 0 cancel.
int ConfirmCloseFlightPlan(win::HWND window);
int ConfirmSaveFlightPlan(win::HWND window);

// Runs a dialog of the given template modally over the window, in dialog mode.
int RunDialogOver(win::HWND window, const char* templateName);
void ShowPausedDialogFor(win::HWND window);

// The flight the restart command loads (aircraft and airport selection keep it).
extern std::string theStartFlightName;
extern std::uint32_t theCurrentAircraftType;
extern std::uint32_t theRememberedCockpitView;

}  // namespace sim
