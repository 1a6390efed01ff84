#include "ui/general_dialogs.h"

#include "win/program_entry.h"

namespace ui {

std::vector<std::string> theDialogsRun;

int RunTemplateDialog(win::HWND, const char* templateName) {
    theDialogsRun.emplace_back(templateName);
    win::TraceLine(std::string("dialog ") + templateName);
    return 0;
}

void ShowPausedDialog(win::HWND parent) {
    RunTemplateDialog(parent, "Paused");
}

void OpenPopupHelpTopic(unsigned command, unsigned long data) {
    win::TraceLine("help " + std::to_string(command) + " " + std::to_string(data));
}

int RunCloseFPDialog(win::HWND parent) {
    return RunTemplateDialog(parent, "CloseFP");
}

int RunSaveFPDialog(win::HWND parent) {
    return RunTemplateDialog(parent, "SaveFP");
}

}  // namespace ui
