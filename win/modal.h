// Modal loops and the routing of messages to modeless dialogs. A modal window disables its
// owner, runs a nested message loop until EndDialog gives its result, and enables the owner
// again; the dialog framework builds its dialogs and message boxes on these.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "win/window.h"

namespace win {

// Shows `dialog`, disables its owner and runs messages until EndDialog(dialog, result) or until
// the dialog is destroyed (result -1). A WM_QUIT ends the loop too and is posted again for the
// outer loop. The dialog is not destroyed here.
std::intptr_t RunModalLoop(HWND dialog);
// Ends the innermost modal loop of `dialog` with `result`; false when it runs none.
bool EndDialog(HWND dialog, std::intptr_t result);
bool IsModalLoopRunning(HWND dialog);
// How many modal loops run, one inside the other (0 in the program's own loop).
[[nodiscard]] int ModalLoopDepth();
// Whether a WM_QUIT waits to be taken (a modal loop that ended on one posts it again).
[[nodiscard]] bool IsQuitPosted();

// Handles keyboard navigation for a dialog (Escape = IDCANCEL, Enter = IDOK or the default
// button, Tab moves the focus) and dispatches any other message meant for the dialog or its
// controls. False for a message that is not the dialog's, and for a dialog that no longer
// exists.
bool IsDialogMessage(HWND dialog, MSG* msg);

// Dialog descriptions for observers: the template a window was made from.
void SetWindowTemplateName(HWND hwnd, std::string_view name);
std::string GetWindowTemplateName(HWND hwnd);

// Told whenever a modal loop starts (after the dialog is shown), e.g. by the headless runner
// that answers dialogs from its script.
void SetModalObserver(std::function<void(HWND dialog)> observer);

inline constexpr unsigned DM_GETDEFID = 0x0400;  // WM_USER
inline constexpr unsigned DC_HASDEFID = 0x534B;
inline constexpr unsigned DLGC_WANTALLKEYS = 0x0004;
inline constexpr unsigned DLGC_WANTTAB = 0x0002;

}  // namespace win
