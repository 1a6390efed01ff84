// Plan files and the open and save commands.
#include <algorithm>
#include <cstdio>

#include "core/ini_file.h"
#include "planning/flight_plan.h"
#include "planning/planning_services.h"
#include "planning/planning_host.h"
#include "ui/dialog_services.h"
#include "ui/file_dialogs.h"
#include "win/file_api.h"
#include "win/profile.h"
#include "win/program_entry.h"

namespace planning {

namespace {

constexpr const char* kPlansFolder = "FlightPlans";

bool HasFolder(const std::string& path) {
    return path.find('\\') != std::string::npos || path.find('/') != std::string::npos;
}

// A name without a folder is meant from the working folder, not beside the executable.
std::string FromWorkingFolder(const std::string& path) {
    return HasFolder(path) ? path : ".\\" + path;
}

void ShowPlanMessage(win::HWND owner, const char* format, const std::string& path) {
    char text[600];
    std::snprintf(text, sizeof text, format, win::ShownPath(path).c_str());
    ui::ShowMessageBox(owner, text, ui::MB_OK);
}

// The last point a cut plan kept, by its name, or by its number when it has none.
std::string LastKeptPoint(const FlightPlan& plan) {
    const std::string& ident = plan.nodes[static_cast<std::size_t>(plan.nodeCount - 1)].ident;
    return ident.find_first_not_of(' ') == std::string::npos ? PointName(ident, plan.nodeCount - 1)
                                                             : ident;
}

// The plan dialogs' common request; the working folder comes back afterwards.
int RunPlanDialog(ui::FileDialogRequest& r, std::string* path) {
    r.filterName = "Flight Plan Files (*.Pln)";
    r.filterPattern = "*.Pln";
    r.filterIndex = 1;
    r.defaultExtension = "Pln";
    r.bufferSize = 256;
    const std::string folder = win::GetCurrentDirectory();
    const int chosen = thePlanningHost.showFileDialog(r);
    win::SetCurrentDirectory(folder);
    if (chosen == 0) return 0;
    *path = r.file;
    return 1;
}

}  // namespace

std::string DefaultPlanFileName(const FlightPlan& plan) {
    const int count = std::min(plan.nodeCount, kMaxPlanNodes);
    if (count <= 0) return "NewPlan.Pln";
    return plan.nodes[0].ident + "to" + plan.nodes[static_cast<std::size_t>(count - 1)].ident +
           ".Pln";
}

int WriteFlightPlanFile(const std::string& path) {
    FlightPlan* plan = thePlanningHost.worldPlan();
    if (plan == nullptr || path.empty()) return 0;
    // Saved over a symbolic link, the plan goes into the file the link names and the link
    // stays, as the settings and flights do; a folder, a device or a pipe is never replaced.
    const int keepSaved = plan->saved;
    const int result = core::SaveWholeIniFile(FromWorkingFolder(path), [](core::IniFile& file) {
        return thePlanningHost.saveWorldPlan(file);
    });
    if (result == 0) {
        const std::uint32_t error = win::GetLastError();
        plan->saved = keepSaved;
        win::SetLastError(error);
    }
    return result;
}

int ReadFlightPlanFile(const std::string& path) {
    FlightPlan* plan = thePlanningHost.worldPlan();
    if (plan == nullptr) return 0;
    plan->refusal.clear();
    if (!thePlanningHost.isReadableFile(FromWorkingFolder(path))) return 0;
    core::IniFile file(FromWorkingFolder(path).c_str());
    return thePlanningHost.loadWorldPlan(file) != 0 ? 1 : 0;
}

void ApplyPlanAircraft(const FlightPlan& plan) {
    const int type = std::clamp(static_cast<int>(plan.aircraft), 0, 5);
    if (static_cast<std::uint32_t>(type) == thePlanningHost.aircraftType()) return;
    thePlanningHost.selectAircraftType(type);
}

int ShowPlanFileDialog(std::string* result, win::HWND owner, int save) {
    ui::FileDialogRequest r;
    r.owner = owner;
    r.save = save != 0;
    r.title = save != 0 ? "Save Flight Plan" : "Load Flight Plan";
    r.initialFolder = "Flights";
    r.flags = ui::OFN_HIDEREADONLY | ui::OFN_NOCHANGEDIR |
              (save != 0 ? ui::OFN_OVERWRITEPROMPT : ui::OFN_FILEMUSTEXIST);
    std::string path;
    if (RunPlanDialog(r, &path) == 0) return 0;
    if (result != nullptr) *result = path;
    return 1;
}

int PromptSaveFlightPlan(win::HWND window) {
    FlightPlan* plan = thePlanningHost.worldPlan();
    if (plan == nullptr) return 0;
    win::CreateDirectory(kPlansFolder);
    ui::FileDialogRequest r;
    r.owner = window;
    r.save = true;
    r.title = "Save Flight Plan";
    r.initialFolder = kPlansFolder;
    r.file = DefaultPlanFileName(*plan);
    r.flags = ui::OFN_PATHMUSTEXIST | ui::OFN_OVERWRITEPROMPT | ui::OFN_HIDEREADONLY |
              ui::OFN_NOCHANGEDIR;
    std::string path;
    if (RunPlanDialog(r, &path) == 0) return 0;
    // The program may have closed while the dialog was open, and the plan with it.
    plan = thePlanningHost.worldPlan();
    if (plan == nullptr) return 0;
    if (WriteFlightPlanFile(path) == 0) {
        const std::uint32_t error = win::GetLastError();
        win::TraceLine("plan: " + path + " not saved: " + win::DescribeFileError(error));
        ui::ShowFileMessage(window, "The flight plan %s could not be saved.", path, error);
        return 0;
    }
    plan->name = path.substr(0, 260);
    win::TraceLine("plan: saved " + path);
    return 1;
}

int PromptLoadFlightPlan(win::HWND window, int) {
    FlightPlan* plan = thePlanningHost.worldPlan();
    if (plan == nullptr) return 0;
    if (plan->active != 0 && plan->saved == 0) {
        const int answer = ui::ShowMessageBox(
            window, "The current flight plan is not saved.  Save it first?", ui::MB_YESNOCANCEL);
        if (answer == win::IDCANCEL) return 0;
        if (answer == win::IDYES) PromptSaveFlightPlan(window);
    }
    win::CreateDirectory(kPlansFolder);
    ui::FileDialogRequest r;
    r.owner = window;
    r.title = "Load Flight Plan";
    r.initialFolder = kPlansFolder;
    r.file = "*.Pln";
    r.flags = ui::OFN_FILEMUSTEXIST | ui::OFN_HIDEREADONLY | ui::OFN_NOCHANGEDIR;
    std::string path;
    if (RunPlanDialog(r, &path) == 0) return 0;
    if (ReadFlightPlanFile(path) == 0) {
        win::TraceLine("plan: " + path + " not loaded" + (plan->refusal.empty() ? "" : ": " + plan->refusal));
        if (win::IsOtherThanPlainFile(FromWorkingFolder(path))) {
            // A pipe, a device, a folder or a loop of links: why is said with the file.
            ui::ShowFileMessage(window, "The flight plan %s could not be loaded.", path,
                                win::ERROR_BAD_FILE_TYPE);
        } else if (plan->refusal.empty()) {
            ShowPlanMessage(window, "The flight plan %s could not be loaded.", path);
        } else {
            const std::string text = "The flight plan " + win::ShownPath(path) +
                                     " could not be loaded: its " + plan->refusal + ".";
            ui::ShowMessageBox(window, text, ui::MB_ICONEXCLAMATION);
        }
        return 0;
    }
    plan->name = path.substr(0, 260);
    plan->ApplyRouteWeather();
    ApplyPlanAircraft(*plan);
    win::TraceLine("plan: loaded " + path + " (" + std::to_string(plan->nodeCount) + " nodes)");
    if (plan->pointsLeftOut > 0) {
        // A plan holds 64 points; the user learns that the route was cut, and where.
        const std::string count = std::to_string(plan->nodeCount + plan->pointsLeftOut);
        win::TraceLine("plan: " + path + " cut from " + count + " points to " +
                       std::to_string(plan->nodeCount));
        char text[700];
        std::snprintf(text, sizeof text,
                      "The flight plan %s has %s points; a plan holds at most %d, so the points "
                      "after %s were left out.",
                      win::ShownPath(path).c_str(), count.c_str(), kMaxPlanNodes,
                      LastKeptPoint(*plan).c_str());
        ui::ShowMessageBox(window, text, ui::MB_ICONEXCLAMATION);
    }
    return 1;
}

}  // namespace planning
