#include "ui/general_dialogs.h"

#include <algorithm>
#include <cctype>

#include "ui/dialog_services.h"
#include "win/controls.h"
#include "win/program_entry.h"
#include "win/resource.h"

namespace ui {

std::vector<std::string> theDialogsRun;

namespace {
TemplateDialogAnswerer& Answerer() {
    static TemplateDialogAnswerer answerer;
    return answerer;
}

bool SameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}
}  // namespace

void SetTemplateDialogAnswerer(TemplateDialogAnswerer answerer) {
    Answerer() = std::move(answerer);
}

std::optional<std::string> RunTemplateDialogForChoice(win::HWND, const char* templateName) {
    theDialogsRun.emplace_back(templateName);
    win::TraceLine(std::string("dialog ") + templateName);
    if (!Answerer()) return std::nullopt;
    return Answerer()(templateName);
}

int TemplateDialogResult(const std::optional<std::string>& choice) {
    if (!choice || SameText(*choice, "Cancel") || SameText(*choice, "No")) return 0;
    if (!choice->empty() && choice->size() < 10 &&
        std::all_of(choice->begin(), choice->end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::stoi(*choice);
    return 1;
}

int RunTemplateDialog(win::HWND parent, const char* templateName) {
    return TemplateDialogResult(RunTemplateDialogForChoice(parent, templateName));
}

// ---- the pause notice -------------------------------------------------------------------------

int PausedDialog::OnInitDialog(win::HWND dialog) {
    const int r = Dialog::OnInitDialog(dialog);
    // A hidden Cancel button, so that Escape resumes too.
    win::CreateWindowEx(0, win::WC_BUTTON, "", win::WS_CHILD, 0, 0, 100, 50, dialog,
                        win::HMENU{static_cast<std::uint32_t>(win::IDCANCEL)}, {}, 0);
    return r;
}

int PausedDialog::OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) {
    const int id = win::LOWORD(wParam);
    if (id == win::IDOK || id == win::IDCANCEL) {
        win::EndDialog(window, 1);
        return 1;
    }
    return Dialog::OnCommand(notifyCode, wParam, control);
}

void ShowPausedDialog(win::HWND parent) {
    PausedDialog dialog;
    dialog.DoModal(parent);
}

// ---- questions --------------------------------------------------------------------------------

int QuestionDialog::OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) {
    const int id = win::LOWORD(wParam);
    if (id == win::IDOK) {
        win::EndDialog(window, 1);
        return 1;
    }
    if (id == win::IDCANCEL || (alsoCancel && id == kCancelButtonId)) {
        win::EndDialog(window, 0);
        return 1;
    }
    return Dialog::OnCommand(notifyCode, wParam, control);
}

int SaveFPDialog::OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) {
    if (win::LOWORD(wParam) == win::IDNO) {
        win::EndDialog(window, kDontSave);
        return 1;
    }
    return QuestionDialog::OnCommand(notifyCode, wParam, control);
}

// A template that cannot be shown cancels.
int RunCloseFPDialog(win::HWND parent) {
    CloseFPDialog dialog;
    return dialog.DoModal(parent) == 1 ? 1 : 0;
}

int RunSaveFPDialog(win::HWND parent) {
    SaveFPDialog dialog;
    const int r = dialog.DoModal(parent);
    return r == 1 || r == SaveFPDialog::kDontSave ? r : 0;
}

// ---- About ------------------------------------------------------------------------------------

int AboutDialog::OnInitDialog(win::HWND dialog) {
    using namespace win;
    const int r = Dialog::OnInitDialog(dialog);
    HWND list = GetDlgItem(dialog, kList);
    SendMessage(list, LB_RESETCONTENT, 0, 0);
    const int tabStop = 25;
    SendMessage(list, LB_SETTABSTOPS, 1, reinterpret_cast<LParam>(&tabStop));
    const HINSTANCE library =
        theDialogHost.resourceLibrary ? theDialogHost.resourceLibrary() : HINSTANCE{};
    for (unsigned i = 0; i < kStringCount; ++i) {
        char text[101];
        if (LoadString(library, kFirstString + i, text, sizeof text) <= 0) {
            // One notice is enough: the list keeps what was read.
            ShowMessageBox(dialog, "Could not load string.", 0);
            break;
        }
        const LResult added = SendMessage(list, LB_ADDSTRING, 0, reinterpret_cast<LParam>(text));
        if (added < 0) {
            ShowMessageBox(dialog, "Could not add to list box.", 0);
            break;
        }
    }
    // The list is there to be read: no line stands out as if it were chosen.
    SendMessage(list, LB_SETCURSEL, static_cast<WParam>(-1), 0);
    return r;
}

int AboutDialog::OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) {
    const int id = win::LOWORD(wParam);
    if (id == win::IDOK) {
        win::EndDialog(window, 1);
        return 1;
    }
    if (id == win::IDCANCEL || id == kCancelButtonId) {
        win::EndDialog(window, 0);
        return 1;
    }
    return Dialog::OnCommand(notifyCode, wParam, control);
}

}  // namespace ui
