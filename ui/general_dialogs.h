// The dialogs the menu commands and the frame run, as the spine calls them. Least bodies until
// the dialog framework builds them: each records its template in the run's trace and answers
// what the installed answerer gives for its template (the headless runner's "answer"), else as
// if cancelled (0), so a command that depends on an OK does nothing more.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "win/handles.h"

namespace ui {

// Builds the dialog of `templateName`, runs it modally over `parent`; its result: 1 for an answer
// "OK" or "Yes", the number of a numeric answer, 1 for any other choice, 0 when cancelled or
// unanswered.
int RunTemplateDialog(win::HWND parent, const char* templateName);

// Who answers a dialog that is still a least body: the choice for its template ("OK", "Cancel",
// "2", "Beechcraft 58 Baron"), or nothing. The real dialogs replace it template by template.
using TemplateDialogAnswerer = std::function<std::optional<std::string>(std::string_view)>;
void SetTemplateDialogAnswerer(TemplateDialogAnswerer answerer);
// Runs the dialog as RunTemplateDialog does and answers the choice itself (none when cancelled
// without a word or unanswered), for dialogs whose result is more than a button.
std::optional<std::string> RunTemplateDialogForChoice(win::HWND parent, const char* templateName);
// The result a choice stands for, as RunTemplateDialog gives it.
[[nodiscard]] int TemplateDialogResult(const std::optional<std::string>& choice);
// The templates run so far, in order.
extern std::vector<std::string> theDialogsRun;
void ShowPausedDialog(win::HWND parent);
// WinHelp commands: HELP_CONTEXT 1 with a topic, HELP_KEY 0x101 with a keyword.
void OpenPopupHelpTopic(unsigned command, unsigned long data);
int RunCloseFPDialog(win::HWND parent);
int RunSaveFPDialog(win::HWND parent);

}  // namespace ui
