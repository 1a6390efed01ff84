#include "planning/planning_services.h"

#include "core/ini_file.h"
#include "ui/dialog_services.h"
#include "win/program_entry.h"

namespace planning {

namespace {
std::function<int()> theExitAnswerer;
}

int PilotFile::LoadCurrent() {
    return 0;
}

int PilotFile::Save() {
    return 1;
}

int FlightPlan::ReadActiveFlag(core::IniFile& file) {
    return file.GetInt("flightPlan", "active", 0) != 0 ? 1 : 0;
}

std::string FlightPlan::ReadPlanName(core::IniFile& file) {
    std::string n = file.GetString("flightPlan", "name", "BAD");
    return n == "BAD" ? std::string() : n;
}

int FlightPlan::ReadProgress(core::IniFile&) {
    return 1;
}

int FlightPlan::WriteProgress(core::IniFile&) {
    return 1;
}

int FlightPlan::ReadSections(core::IniFile&) {
    return 0;
}

int FlightPlan::WriteSections(core::IniFile&) {
    return 1;
}

int RunExitDialog(win::HWND parent) {
    win::TraceLine("dialog Exit");
    if (theExitAnswerer) return theExitAnswerer();
    return ui::ShowMessageBox(parent, "Do you really want to quit?", ui::MB_YESNO) == win::IDYES
               ? 1
               : 0;
}

void SetExitDialogAnswerer(std::function<int()> answerer) {
    theExitAnswerer = std::move(answerer);
}

int PromptLoadFlightPlan(win::HWND, int) {
    win::TraceLine("dialog open flight plan");
    return 0;
}

void PromptSaveFlightPlan(win::HWND) {
    win::TraceLine("dialog save flight plan");
}

void StartGroundSchool(int) {
    win::TraceLine("ground school");
}

}  // namespace planning
