#include "planning/settings_dialog.h"

#include "win/controls.h"
#include "win/dialog.h"

namespace planning {

int SettingsDialog::OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) {
    const int id = win::LOWORD(wParam);
    if (id == win::IDOK) {
        Apply();
        win::EndDialog(window, 1);
        return 1;
    }
    if (id == win::IDCANCEL || id == ui::kCancelButtonId) {
        win::EndDialog(window, 0);
        return 1;
    }
    return ui::Dialog::OnCommand(notifyCode, wParam, control);
}

bool SettingsDialog::Checked(win::HWND dialog, int id) {
    return win::IsDlgButtonChecked(dialog, id) == win::BST_CHECKED;
}

void SettingsDialog::Check(win::HWND dialog, int id, bool on) {
    win::CheckDlgButton(dialog, id, on ? win::BST_CHECKED : win::BST_UNCHECKED);
}

}  // namespace planning
