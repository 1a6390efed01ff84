#include "ui/general_dialogs.h"

#include <algorithm>
#include <cctype>

#include "win/program_entry.h"

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
