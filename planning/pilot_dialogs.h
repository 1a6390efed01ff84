// The pilot selection dialog: choose, make or delete pilots. At start-up without a loadable
// current pilot it offers "Student" and cannot be cancelled.
#pragma once

#include <string>
#include <vector>

#include "ui/dialog.h"

namespace planning {

class SelectPilotDialog : public ui::Dialog {
public:
    SelectPilotDialog() : ui::Dialog("SelectPilot", 680) { SetHelpId(20008); }
    int OnInitDialog(win::HWND dialog) override;
    int OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) override;

    std::vector<std::string> deleted;  // pilots whose files go when the choice is confirmed
    bool hadPilot = false;
    bool typedName = false;  // the edit's text, not the selected row, is the choice

private:
    void UpdateDeleteButton();
    void Choose();
};

// Runs the pilot selection over `parent`: 1 when a pilot was chosen, 0 when cancelled.
int RunSelectPilotDialog(win::HWND parent);

class PilotFile;
// Tells the user why an operation of `pilot` failed: a damaged pilot file is named as damaged,
// with the way on (another pilot, or a new one); any other failure with its file and reason.
// `sentence` is the program's text for the failed operation ("The pilot file %s could not be
// saved."), formatted with the failed file.
void TellPilotFailure(win::HWND owner, const PilotFile& pilot, const char* sentence);
// What the load of a pilot file found that the user must know: a count that was off
// (`PilotFile::repairedFile`), saved at once with every whole entry the file holds; entries
// beyond the 32,767 a logbook counts, kept in the file but not shown. Nothing when the file was
// whole.
void TellPilotLoad(win::HWND owner, PilotFile& pilot);

}  // namespace planning
