#include "planning/planning_services.h"

#include "core/ini_file.h"
#include "flight/aircraft.h"
#include "planning/reliability_dialogs.h"
#include "planning/planning_host.h"
#include "ui/dialog_services.h"
#include "win/program_entry.h"

namespace planning {

namespace {
std::function<int()> theExitAnswerer;
}  // namespace

void FlightPlan::MarkDeparture() {
    departureTime = static_cast<std::int16_t>(thePlanningHost.minutesOfDay());
    nodes[0].arrivalTime = static_cast<std::uint16_t>(departureTime);
}

int FlightPlan::ReadActiveFlag(core::IniFile& file) {
    return file.GetInt("flightPlan", "active", 0) != 0 ? 1 : 0;
}

std::string FlightPlan::ReadPlanName(core::IniFile& file) {
    std::string n = file.GetString("flightPlan", "planname", "BAD");
    return n == "BAD" ? std::string() : n;
}

int RunExitDialog(win::HWND parent) {
    win::TraceLine("dialog Exit");
    if (theExitAnswerer) return theExitAnswerer();
    ExitDialog dialog;
    const std::intptr_t r = dialog.DoModal(parent);
    // A question that cannot be asked (its template gone from the pack) must not keep the user
    // from leaving: the close box and File > Exit asked to end the program.
    return r == 1 || r == -1 ? 1 : 0;
}

void SetExitDialogAnswerer(std::function<int()> answerer) {
    theExitAnswerer = std::move(answerer);
}

}  // namespace planning
