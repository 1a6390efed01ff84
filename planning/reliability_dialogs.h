// The aircraft's reliability, the partial panel and the question before leaving: how often each
// system fails and which instruments may fail with it, which of the six flight instruments are
// covered for practice (the 172 only), and whether the user really wants to quit.
#pragma once

#include "planning/settings_dialog.h"

namespace planning {

// Four reliability percentages (0..100) and the thirteen may-fail boxes. OK writes them all and
// resets every system, so failures in progress end and the new rates count from now.
class SystemReliabilityDialog : public SettingsDialog {
public:
    SystemReliabilityDialog() : SettingsDialog("SystemReliability", 0) { SetHelpId(20043); }
    int OnInitDialog(win::HWND dialog) override;

protected:
    void Apply() override;
};

// The six covers of the flight instruments. Only the 172's panel has them: for the other types
// the boxes are disabled and empty, so OK uncovers everything.
class PartialPanelDialog : public SettingsDialog {
public:
    explicit PartialPanelDialog(int aircraftType) : SettingsDialog("PartialPanel", 0), type(aircraftType) {
        SetHelpId(20044);
    }
    int OnInitDialog(win::HWND dialog) override;

protected:
    void Apply() override;

private:
    int type;
};

// Yes ends with 1; No, Cancel and the help row's Cancel with 0.
class ExitDialog : public ui::Dialog {
public:
    ExitDialog() : ui::Dialog("Exit", 0) { SetHelpId(20045); }
    int OnInitDialog(win::HWND dialog) override;
    int OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) override;
};

}  // namespace planning
