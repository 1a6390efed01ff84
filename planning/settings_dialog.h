// A dialog that edits settings: OK applies what it shows and ends with 1; Cancel, Escape and the
// help row's Cancel end with 0 and change nothing.
#pragma once

#include "ui/dialog.h"

namespace planning {

class SettingsDialog : public ui::Dialog {
public:
    using ui::Dialog::Dialog;
    int OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) override;

protected:
    // Writes the controls into the settings, on OK.
    virtual void Apply() = 0;
    // A check box of the dialog.
    static bool Checked(win::HWND dialog, int id);
    static void Check(win::HWND dialog, int id, bool on);
};

}  // namespace planning
