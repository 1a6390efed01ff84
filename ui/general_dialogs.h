// The small general dialogs and the help commands, as the spine calls them: the pause notice,
// the flight-plan save and close questions, the profile-options question, the About box, and
// the help topics of the Help menu. The option dialogs are in option_dialogs.h.
//
// `RunTemplateDialog` stands in for the dialogs other subsystems have not built yet: it records
// the template in the run's trace and answers what the installed answerer gives for its template
// (the headless runner's "answer"), else as if cancelled (0), so a command that depends on an OK
// does nothing more.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/dialog.h"
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

// Help commands: HELP_CONTEXT with a topic number, HELP_KEY with a keyword (empty: the index).
inline constexpr unsigned kHelpCommandContext = 1;
inline constexpr unsigned kHelpCommandKey = 0x101;
// Leaves full screen and shows the topic, or the index, in the help window (help_window.h).
void OpenPopupHelpTopic(unsigned command, unsigned long data);

// The pause notice: Escape, OK or Cancel ends it (always 1). The simulation is paused by the
// dialog mode while it is up.
class PausedDialog : public Dialog {
public:
    PausedDialog() : Dialog("PAUSED", 754) {}
    int OnInitDialog(win::HWND dialog) override;
    int OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) override;
};

// A question whose text is in its template: OK answers 1, Cancel 0.
class QuestionDialog : public Dialog {
public:
    QuestionDialog(const char* templateName, std::uint32_t palette, bool cancelButtonToo)
        : Dialog(templateName, palette), alsoCancel(cancelButtonToo) {}
    int OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) override;

private:
    bool alsoCancel;  // the help-row Cancel (1817) answers 0 as well
};

// "Save it before going on?": Save answers 1, Don't Save 2 (IDNO), Cancel 0.
class SaveFPDialog : public QuestionDialog {
public:
    static constexpr int kDontSave = 2;
    SaveFPDialog() : QuestionDialog("FP_SAVE", 761, false) {}
    int OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) override;
};
class CloseFPDialog : public QuestionDialog {
public:
    CloseFPDialog() : QuestionDialog("FP_CLOSE", 766, false) {}
};
class FlightProfileOptionsDialog : public QuestionDialog {
public:
    FlightProfileOptionsDialog() : QuestionDialog("PROFILEOPTIONS", 0, true) {}
};

// The About box: list 1789 with the strings 2000 to 2184 of the resource library.
class AboutDialog : public Dialog {
public:
    static constexpr int kList = 1789;
    static constexpr unsigned kFirstString = 2000;
    static constexpr unsigned kStringCount = 185;
    AboutDialog() : Dialog("ABOUTBOX", 746) {}
    int OnInitDialog(win::HWND dialog) override;
    int OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) override;
};

void ShowPausedDialog(win::HWND parent);
// 1 close the plan, 0 cancel.
int RunCloseFPDialog(win::HWND parent);
// 1 save the plan, SaveFPDialog::kDontSave go on without saving it, 0 cancel.
int RunSaveFPDialog(win::HWND parent);

}  // namespace ui
