#include "planning/flight_log_dialog.h"

#include <cstdio>

#include "nav/atc_services.h"
#include "nav/speakers.h"
#include "planning/nav_log.h"
#include "planning/planning_host.h"
#include "ui/dialog_services.h"
#include "win/controls.h"
#include "win/dialog.h"

namespace planning {
namespace {

constexpr int kFlightLogDialogList = 78;
constexpr int kResetLog = 2019;

struct FlightLogDialogColumn {
    const char* title;
    int width;
};
constexpr FlightLogDialogColumn kColumns[14] = {
    {"Fix", 40},      {"Hdg", 45},     {"Winds(-HW)", kWindsColumnWidth},
    {"Est GS", 70},   {"Dist", 55},    {"Dist Rem", 60},
    {"ETE", 40},      {"ATE", 40},     {"Act GS", 55},
    {"ETA", 40},      {"ATA", 40},     {"Est Fuel", 50},
    {"Fuel Rem", 58}, {"Act Rem", 60},
};

template <typename... Args>
std::string Format(const char* format, Args... args) {
    char text[128];
    std::snprintf(text, sizeof text, format, args...);
    return text;
}

// Minutes as hours and minutes, or nothing when not known (yet).
std::string Clock(std::uint16_t minutes) {
    return minutes == kNotKnown ? std::string() : Format("%02d:%02d", minutes / 60, minutes % 60);
}

}  // namespace

std::array<std::string, 14> FlightLogCells(const NavLogRow& r) {
    // Without a ground speed the leg has no time and no fuel.
    const bool moving = r.groundSpeed > 0;
    return {r.fix,
            Format("%d", r.magneticHeading),
            Format("%d", r.windComponent),
            Format("%d", r.groundSpeed),
            Format("%d", r.distance),
            Format("%d", r.remaining),
            moving ? Clock(r.estimatedMinutes) : std::string(),
            Clock(r.actualMinutes),
            r.actualGroundSpeed == kNotKnown ? std::string() : Format("%d", r.actualGroundSpeed),
            Clock(r.estimatedArrival),
            Clock(r.actualArrival),
            moving ? Format("%3.1f", static_cast<double>(r.legFuel)) : std::string(),
            moving ? Format("%3.1f", static_cast<double>(r.fuelRemaining)) : std::string(),
            r.actualFuelRemaining < 0 ? std::string()
                                      : Format("%3.1f", static_cast<double>(r.actualFuelRemaining))};
}

FlightLogDialog::FlightLogDialog(const FlightPlan* worldPlan) : SettingsDialog("FLIGHTLOG", 0) {
    SetHelpId(20012);
    if (worldPlan != nullptr) {
        plan = *worldPlan;
        hasPlan = true;
    }
}

int FlightLogDialog::OnInitDialog(win::HWND dialog) {
    const int r = ui::Dialog::OnInitDialog(dialog);
    list = std::make_unique<ui::OwnerDrawListView>(
        win::WS_CHILD | win::WS_VISIBLE | win::LVS_REPORT | win::LVS_SINGLESEL |
            win::LVS_SHOWSELALWAYS | win::LVS_OWNERDRAWFIXED | win::LVS_NOSORTHEADER,
        69, 190, 428, 205, dialog, kFlightLogDialogList, 14);
    list->Create();
    for (int c = 0; c < 14; ++c) list->InsertColumn(c, kColumns[c].width, win::LVCFMT_LEFT, kColumns[c].title);
    ShowLog();
    return r;
}

void FlightLogDialog::ShowLog() {
    list->DeleteAllItems();
    if (hasPlan) plan.BuildNavLog();
    if (!theNavLog) return;
    const NavLog& log = *theNavLog;
    const char* flow = FuelFlowFormat(plan.aircraft);
    const struct {
        int id;
        std::string text;
    } fields[] = {
        {2018, log.title},
        {1989, Format("%d", log.cruiseAltitude)},
        {1990, Format("%d %%", log.power)},
        {1993, Format("%d", log.startingFuel)},
        {1991, Format("%d Kts", log.trueAirspeed)},
        {1992, Format(flow, static_cast<double>(log.fuelFlow))},
        {2006, log.departure},
        {2008, Format("%d", log.totalDistance)},
        {2012, Format("%02d:%02d", log.totalHours, log.totalMinutes)},
        {2010, log.departed ? Format("%02d:%02d", log.departureHour, log.departureMinute) : std::string("--:--")},
        {2013, Format("%3.1f", static_cast<double>(log.totalFuel))},
    };
    for (const auto& f : fields) win::SetDlgItemText(window, f.id, f.text);
    for (const NavLogRow& row : log.rows) {
        const std::array<std::string, 14> cells = FlightLogCells(row);
        const int at = list->GetItemCount();
        list->InsertItem(at, cells[0].c_str(), 0);
        for (int c = 1; c < 14; ++c) list->SetItemText(at, c, cells[static_cast<std::size_t>(c)].c_str());
    }
}

int FlightLogDialog::OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) {
    if (win::LOWORD(wParam) != kResetLog) return SettingsDialog::OnCommand(notifyCode, wParam, control);
    // Resetting closes the plan flown: the user says so first.
    if (!hasPlan || plan.active == 0 ||
        ui::ShowMessageBox(window, "Reset the log? The flight plan is closed.",
                           ui::MB_YESNO | ui::MB_ICONEXCLAMATION) != win::IDYES)
        return 1;
    // The plan is no longer flown: the controllers let go of it too.
    if (nav::IsAtcActive()) nav::AtcReset();
    plan.active = 0;
    ShowLog();
    return 1;
}

void FlightLogDialog::Apply() {
    if (hasPlan) thePlanningHost.setWorldPlan(&plan);
}

win::LResult FlightLogDialog::OnNotify(int controlId, win::NMHDR* header) {
    return list && header != nullptr ? list->OnNotify(controlId, header) : 0;
}

int FlightLogDialog::OnDrawItem(int controlId, win::DRAWITEMSTRUCT* item) {
    return list ? list->OnDrawItem(controlId, item) : 0;
}

int FlightLogDialog::OnMeasureItem(int controlId, win::MEASUREITEMSTRUCT* item) {
    return list ? list->OnMeasureItem(controlId, item) : 0;
}

}  // namespace planning
