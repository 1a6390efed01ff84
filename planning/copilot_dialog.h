// The copilot's help: the master switch and six kinds of help (take-off calls, radios,
// navigation, advice, altitude, heading), kept in the copilot's settings and saved with the
// flight. Only the 172 gets advice, altitude and heading help: for the other types those three
// are switched off as soon as the dialog opens.
#pragma once

#include "planning/settings_dialog.h"

namespace planning {

class CopilotAssitanceDialog : public SettingsDialog {
public:
    explicit CopilotAssitanceDialog(int aircraftType) : SettingsDialog("CopilotBox", 0), type(aircraftType) {
        SetHelpId(20007);
    }
    int OnInitDialog(win::HWND dialog) override;
    int OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) override;

protected:
    void Apply() override;

private:
    int type;
};

}  // namespace planning
