// The dialogs the menu commands and the frame run, as the spine calls them. Least bodies until
// the dialog framework builds them: each records its template in the run's trace and answers
// as if cancelled (0), so a command that depends on an OK does nothing more.
#pragma once

#include <string>
#include <vector>

#include "win/handles.h"

namespace ui {

// Builds the dialog of `templateName`, runs it modally over `parent`; its result.
int RunTemplateDialog(win::HWND parent, const char* templateName);
// The templates run so far, in order.
extern std::vector<std::string> theDialogsRun;
void ShowPausedDialog(win::HWND parent);
// WinHelp commands: HELP_CONTEXT 1 with a topic, HELP_KEY 0x101 with a keyword.
void OpenPopupHelpTopic(unsigned command, unsigned long data);
int RunCloseFPDialog(win::HWND parent);
int RunSaveFPDialog(win::HWND parent);

}  // namespace ui
