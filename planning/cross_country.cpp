#include "planning/cross_country.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "core/ini_file.h"
#include "core/run_report.h"
#include "nav/map_view.h"
#include "nav/position_dialog.h"
#include "planning/flight_plan.h"
#include "planning/nav_log.h"
#include "planning/planning_host.h"
#include "planning/route_weather.h"
#include "win/controls.h"
#include "win/dialog.h"
#include "win/file_api.h"
#include "win/input.h"
#include "win/program_entry.h"
#include "win/resource.h"

namespace planning {

std::array<FlightPlan, kAssignmentCount> theAssignments;
int theCurrentAssignment = 0;
std::unique_ptr<NavLog> theAssignmentLog;

namespace {

constexpr std::uint32_t kSheetHelp = 20046;
constexpr std::uint32_t kPreflightHelp = 20049;
constexpr std::uint32_t kWeatherHelp = 20050;
constexpr std::uint32_t kMapHelp = 20051;
constexpr std::uint32_t kLogHelp = 20052;
constexpr int kBriefingText = 1865;
constexpr int kNextAssignment = 1867;
constexpr int kSheetMapFrame = 1718;
constexpr int kMapPageDrop = 24;
constexpr int kToolbarId = 1;
constexpr int kToolbarButtons = 16;
constexpr int kClassBackground = -10;  // the class word of the background brush
constexpr int kLogList = 76;

struct Column {
    const char* title;
    int width;
};
constexpr Column kLogColumns[10] = {
    {"Fix", 40},     {"Hdg", 45},  {"Winds(-HW)", kWindsColumnWidth},
    {"Est GS", 70},  {"Dist", 55}, {"Dist Rem", 60},
    {"ETE", 40},     {"ETA", 40},  {"Est Fuel", 50},
    {"Fuel Rem", 58}};

// A read-only text hands the focus on: to the sheet's Next button (the page itself would give
// it straight back to its first control).
bool GivesFocusBack(unsigned notifyCode, win::HWND page) {
    if (notifyCode != win::EN_SETFOCUS) return false;
    if (const win::HWND next = win::GetDlgItem(win::GetParent(page), ui::kNextButtonId)) win::SetFocus(next);
    return true;
}

FlightPlan& CurrentAssignment() {
    theCurrentAssignment = std::clamp(theCurrentAssignment, 0, kAssignmentCount - 1);
    return theAssignments[static_cast<std::size_t>(theCurrentAssignment)];
}

std::vector<nav::MapRouteNode> RouteOf(const FlightPlan& plan) {
    std::vector<nav::MapRouteNode> route;
    for (int i = 0; i < std::clamp(plan.nodeCount, 0, kMaxPlanNodes); ++i)
        route.push_back({plan.nodes[static_cast<std::size_t>(i)].kind,
                         plan.nodes[static_cast<std::size_t>(i)].ident});
    return route;
}

void SetText(win::HWND dialog, int id, const char* format, auto... values) {
    char text[128];
    std::snprintf(text, sizeof text, format, values...);
    win::SetDlgItemText(dialog, id, text);
}

}  // namespace

// ---- The assignments -------------------------------------------------------------------------

std::string AssignmentPath(int index, const char* extension) {
    char path[64];
    std::snprintf(path, sizeof path, "FlightPlans\\Assign\\xc%02d.%s", index + 1, extension);
    return path;
}

int LoadAssignment(int index, FlightPlan* plan) {
    *plan = FlightPlan{};
    const std::string path = AssignmentPath(index, "Pln");
    if (!thePlanningHost.isReadableFile(path)) return 0;
    core::IniFile file(path.c_str());
    // A station without a name is no route to fly.
    const auto unnamed = [&] {
        for (int i = 0; i < plan->nodeCount; ++i)
            if (plan->nodes[static_cast<std::size_t>(i)].ident.empty()) return true;
        return false;
    };
    if (plan->ReadSections(file) == 0 || unnamed()) {
        *plan = FlightPlan{};
        return 0;
    }
    plan->name = path;
    std::string briefing;
    if (win::ReadTextFile(AssignmentPath(index, "txt"), &briefing))
        plan->description = briefing.substr(0, kMaxBriefing);
    return 1;
}

void LoadAssignments() {
    for (int i = 0; i < kAssignmentCount; ++i)
        LoadAssignment(i, &theAssignments[static_cast<std::size_t>(i)]);
}

std::string FormatAssignmentTime(int hours, int minutes) {
    char text[32];
    std::snprintf(text, sizeof text, "%d:%d", hours, minutes);
    return text;
}

void BuildAssignmentLog(const FlightPlan& plan, NavLog* log) {
    *log = NavLog{};
    const int count = std::clamp(plan.nodeCount, 0, kMaxPlanNodes);
    if (count <= 0) return;
    log->title = plan.nodes[0].ident + " to " + plan.nodes[static_cast<std::size_t>(count - 1)].ident;
    log->cruiseAltitude = plan.cruiseAltitude;
    log->power = plan.power;
    log->departure = plan.nodes[0].ident;
    // The aircraft's cruise at the plan's altitude and power, from its table, as the planning
    // sheet's log has it.
    LookupCruisePerformance(plan.aircraft, plan.cruiseAltitude, plan.power, &log->trueAirspeed,
                            &log->fuelFlow);
    log->startingFuel = StartingFuel(plan.aircraft);
    std::vector<std::int32_t> legs(static_cast<std::size_t>(count), 0);
    std::int32_t total = 0;
    for (int i = 1; i < count; ++i) {
        const FlightPlanNode& a = plan.nodes[static_cast<std::size_t>(i - 1)];
        const FlightPlanNode& b = plan.nodes[static_cast<std::size_t>(i)];
        const double miles = std::hypot(static_cast<double>(b.x) - a.x, static_cast<double>(b.y) - a.y) *
                             kNauticalMilesPerUnit;
        // Whole miles, rounded; the total is their sum, so the column adds up and nothing
        // remains at the destination.
        legs[static_cast<std::size_t>(i)] = static_cast<std::int32_t>(miles + 0.5);
        total += legs[static_cast<std::size_t>(i)];
    }
    log->totalDistance = total;
    std::int32_t remaining = log->totalDistance;
    for (int i = 0; i < count; ++i) {
        NavLogRow row;
        row.fix = plan.nodes[static_cast<std::size_t>(i)].ident;
        row.distance = legs[static_cast<std::size_t>(i)];
        remaining -= row.distance;
        row.remaining = remaining;
        row.estimatedArrival = 0;
        log->rows.push_back(std::move(row));
    }
}

// ---- Preflight briefing -------------------------------------------------------------------

CrossPreflight::CrossPreflight() : FakePropertyPage("ASSIGNMENTPREFLIGHT", "Preflight Briefing") {}

void CrossPreflight::ShowBriefing() {
    win::SetDlgItemText(window, kBriefingText, CurrentAssignment().description);
}

int CrossPreflight::OnInitDialog(win::HWND dialog) {
    FakePropertyPage::OnInitDialog(dialog);
    SetHelpId(kPreflightHelp);
    ShowBriefing();
    return 1;
}

int CrossPreflight::OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) {
    switch (win::LOWORD(wParam)) {
        case kBriefingText:
            GivesFocusBack(notifyCode, window);
            return 1;
        case kNextAssignment:
            theCurrentAssignment = (std::clamp(theCurrentAssignment, 0, kAssignmentCount - 1) + 1) % kAssignmentCount;
            ShowBriefing();
            return 1;
        default:
            return FakePropertyPage::OnCommand(notifyCode, wParam, control);
    }
}

// ---- Weather briefing ---------------------------------------------------------------------

CrossWxBrief::CrossWxBrief() : FakePropertyPage("ASSIGNMENTWXBRIEF", "Weather Briefing") {
    alwaysScaled = {1478, 1482, 1486};
}

int CrossWxBrief::OnInitDialog(win::HWND dialog) {
    FakePropertyPage::OnInitDialog(dialog);
    SetHelpId(kWeatherHelp);
    return 1;
}

int CrossWxBrief::OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) {
    const int id = win::LOWORD(wParam);
    if ((id == 2020 || id == 1539 || id == 2021) && GivesFocusBack(notifyCode, window)) return 1;
    return FakePropertyPage::OnCommand(notifyCode, wParam, control);
}

// ---- The route on the map -------------------------------------------------------------------

CrossPlanningMap::CrossPlanningMap() : FakePropertyPage("ASSIGNPLANMAP", "Flight Plan") {}

int CrossPlanningMap::OnInitDialog(win::HWND dialog) {
    thePlanningHost.setCursor(win::IDC_WAIT);
    FakePropertyPage::OnInitDialog(dialog);
    SetHelpId(kMapHelp);
    win::RECT r;
    win::GetWindowRect(dialog, &r);
    win::MapWindowPoints({}, win::GetParent(dialog), &r);
    win::SetWindowPos(dialog, {}, r.left, r.top + kMapPageDrop, 0, 0,
                      win::SWP_NOSIZE | win::SWP_NOZORDER | win::SWP_NOACTIVATE);
    nav::MapView& map = nav::theMapView;
    map.dialog = dialog;
    map.mapControl = win::GetDlgItem(dialog, nav::kMapControlId);
    // The control shows the map's picture pixel for pixel, whatever the template's units.
    win::SetWindowPos(map.mapControl, {}, 0, 0, 481, 280,
                      win::SWP_NOMOVE | win::SWP_NOZORDER | win::SWP_NOACTIVATE);
    toolbar = nav::CreateMapToolbar(dialog, kToolbarId, 10, 356, 392, 26, kToolbarButtons);
    // The page shows through the toolbar; the class brush comes back when the page goes.
    savedToolbarBrush = win::SetClassLong(
        toolbar, kClassBackground, static_cast<std::intptr_t>(win::GetStockObject(win::NULL_BRUSH).id));
    map.toolbar = toolbar;
    map.InitForCrossPlanningMap();
    win::SetWindowPos(toolbar, {}, 10, 356, 392, 26, win::SWP_NOZORDER | win::SWP_NOACTIVATE);
    win::ShowWindow(toolbar, win::SW_SHOW);
    thePlanningHost.setCursor(win::IDC_ARROW);
    return 1;
}

void CrossPlanningMap::DrawRoute() {
    nav::MapView& map = nav::theMapView;
    if (!map.memoryDc || !map.drawingBitmap) return;
    const win::HBITMAP old = win::SelectObject(map.memoryDc, map.drawingBitmap);
    map.DrawRoute(map.memoryDc, RouteOf(CurrentAssignment()));
    win::SelectObject(map.memoryDc, old);
    if (map.mapControl) win::InvalidateRect(map.mapControl, nullptr, false);
}

void CrossPlanningMap::OnPageActivate(win::HWND, int) {
    const win::HWND sheet = win::GetParent(window);
    win::ShowWindow(win::GetDlgItem(sheet, kSheetMapFrame), win::SW_SHOW);
    win::ShowWindow(win::GetDlgItem(sheet, ui::kFrameControlId), win::SW_HIDE);
    nav::MapView& map = nav::theMapView;
    map.BuildRoute(RouteOf(CurrentAssignment()));
    map.Refresh();
    map.ShowZoomLabel();
    DrawRoute();
}

void CrossPlanningMap::Release() {
    if (!toolbar) return;
    nav::theMapView.Shutdown();
    win::SetClassLong(toolbar, kClassBackground, savedToolbarBrush);
    nav::theMapView.toolbar = win::HWND{};
    nav::theMapView.mapControl = win::HWND{};
    nav::theMapView.dialog = win::HWND{};
    toolbar = win::HWND{};
}

int CrossPlanningMap::OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) {
    nav::MapView& map = nav::theMapView;
    const int id = win::LOWORD(wParam);
    if (id == win::IDOK || id == win::IDCANCEL || id == ui::kCancelButtonId) {
        Release();
        return 1;
    }
    if (std::uint32_t nav::MapView::*layer = nav::MapLayerOf(id)) {
        map.*layer = map.*layer ? 0 : 1;
    } else if (id == nav::kFrequenciesButton) {
        map.showFrequencies = win::SendMessage(toolbar, win::TB_ISBUTTONCHECKED, id, 0) != 0;
    } else if (id == nav::kZoomInButton || id == nav::kZoomOutButton) {
        // One zoom tool at a time.
        const bool in = id == nav::kZoomInButton;
        const std::uint32_t on = win::SendMessage(toolbar, win::TB_ISBUTTONCHECKED, id, 0) != 0;
        (in ? map.zoomInTool : map.zoomOutTool) = on;
        (in ? map.zoomOutTool : map.zoomInTool) = 0;
        win::SendMessage(toolbar, win::TB_CHECKBUTTON, in ? nav::kZoomOutButton : nav::kZoomInButton, 0);
        return 1;
    } else if (id >= nav::kScrollUpButton && id <= nav::kScrollRightButton) {
        map.Scroll(id - nav::kScrollUpButton);
        DrawRoute();
        return 1;
    } else {
        return FakePropertyPage::OnCommand(notifyCode, wParam, control);
    }
    map.Refresh();
    DrawRoute();
    return 1;
}

int CrossPlanningMap::OnSetCursor(win::HWND dialog, win::WParam wParam, win::LParam lParam) {
    nav::MapView& map = nav::theMapView;
    const win::HWND under{static_cast<std::uint32_t>(wParam)};
    if (!map.mapControl || under != map.mapControl) return 0;
    nav::ReadMapPointer();
    const std::uint32_t message = win::HIWORD(static_cast<std::uintptr_t>(lParam));
    if (message == win::WM_LBUTTONDOWN) {
        map.StepZoom();
        DrawRoute();
    }
    return nav::EndRouteMapPointerMessage(dialog, message);
}

win::LResult CrossPlanningMap::OnCtlColorStatic(win::HWND dialog, win::HDC dc, win::HWND control) {
    FakePropertyPage::OnCtlColorStatic(dialog, dc, control);
    return 0;
}

win::LResult CrossPlanningMap::OnNotify(int, win::NMHDR* header) {
    nav::FillMapToolTip(header);
    return 0;
}

// ---- The log --------------------------------------------------------------------------------

CrossFlightLog::CrossFlightLog() : FakePropertyPage("ASSIGNFLIGHTLOG", "Flight Log") { SetHelpId(kLogHelp); }
CrossFlightLog::~CrossFlightLog() = default;

int CrossFlightLog::OnInitDialog(win::HWND dialog) {
    FakePropertyPage::OnInitDialog(dialog);
    list = std::make_unique<ui::OwnerDrawListView>(
        win::WS_CHILD | win::WS_VISIBLE | win::LVS_REPORT | win::LVS_SINGLESEL | win::LVS_SHOWSELALWAYS |
            win::LVS_OWNERDRAWFIXED | win::LVS_NOSORTHEADER,
        69, 185, 428, 195, dialog, kLogList, 10);
    list->Create();
    for (int c = 0; c < 10; ++c)
        list->InsertColumn(c, kLogColumns[c].width, win::LVCFMT_CENTER, kLogColumns[c].title);
    return 1;
}

void CrossFlightLog::OnPageActivate(win::HWND, int) {
    if (!theAssignmentLog) theAssignmentLog = std::make_unique<NavLog>();
    BuildAssignmentLog(CurrentAssignment(), theAssignmentLog.get());
    Fill();
}

void CrossFlightLog::Fill() {
    const NavLog& log = *theAssignmentLog;
    list->DeleteAllItems();
    SetText(window, 2018, "%s", log.title.c_str());
    SetText(window, 1989, "%d", log.cruiseAltitude);
    SetText(window, 1990, "%d %%", log.power);
    SetText(window, 1993, "%d", log.startingFuel);
    SetText(window, 1991, "%d Kts", log.trueAirspeed);
    SetText(window, 1992, FuelFlowFormat(CurrentAssignment().aircraft), static_cast<double>(log.fuelFlow));
    SetText(window, 2006, "%s", log.departure.c_str());
    SetText(window, 2008, "%d", log.totalDistance);
    win::SetDlgItemText(window, 2012, FormatAssignmentTime(log.totalHours, log.totalMinutes));
    SetText(window, 2013, "%3.1f", static_cast<double>(log.totalFuel));
    for (std::size_t i = 0; i < log.rows.size(); ++i) {
        const NavLogRow& r = log.rows[i];
        const int item = static_cast<int>(i);
        list->InsertItem(item, r.fix.c_str(), reinterpret_cast<win::LParam>(&r));
        char cells[9][32];
        std::snprintf(cells[0], 32, "%d", r.magneticHeading);
        std::snprintf(cells[1], 32, "%d", r.windComponent);
        std::snprintf(cells[2], 32, "%d", r.groundSpeed);
        std::snprintf(cells[3], 32, "%d", r.distance);
        std::snprintf(cells[4], 32, "%d", r.remaining);
        std::snprintf(cells[5], 32, "%s", FormatAssignmentTime(r.estimatedMinutes / 60, r.estimatedMinutes % 60).c_str());
        std::snprintf(cells[6], 32, "%s", FormatAssignmentTime(r.estimatedArrival / 60, r.estimatedArrival % 60).c_str());
        std::snprintf(cells[7], 32, "%3.1f", static_cast<double>(r.legFuel));
        std::snprintf(cells[8], 32, "%3.1f", static_cast<double>(r.fuelRemaining));
        for (int c = 0; c < 9; ++c) list->SetItemText(item, c + 1, cells[c]);
    }
}

win::LResult CrossFlightLog::OnNotify(int controlId, win::NMHDR* header) {
    return list ? list->OnNotify(controlId, header) : 0;
}

int CrossFlightLog::OnDrawItem(int controlId, win::DRAWITEMSTRUCT* item) {
    return list ? list->OnDrawItem(controlId, item) : 0;
}

int CrossFlightLog::OnMeasureItem(int controlId, win::MEASUREITEMSTRUCT* item) {
    return list ? list->OnMeasureItem(controlId, item) : 0;
}

// ---- The sheet ------------------------------------------------------------------------------

XCountry::XCountry() : FakePropertySheet("ASSIGNMENTBKGND", 0) {
    SetHelpId(kSheetHelp);
    AddPage(&preflight);
    AddPage(&weather);
    AddPage(&map);
    AddPage(&log);
}

void XCountry::OnPageChanging() {
    win::ShowWindow(win::GetDlgItem(window, ui::kFrameControlId), win::SW_SHOW);
    win::ShowWindow(win::GetDlgItem(window, kSheetMapFrame), win::SW_HIDE);
}

int XCountry::Finish() {
    FlightPlan& chosen = CurrentAssignment();
    int result = 0;
    if (chosen.nodeCount >= 2) {
        // As a new plan: flown from its departure, in its weather, by its aircraft.
        chosen.active = 1;
        chosen.currentNode = 0;
        chosen.UpdateLegWeather();
        thePlanningHost.setWorldPlan(&chosen);
        if (const FlightPlan* world = thePlanningHost.worldPlan()) ApplyPlanAircraft(*world);
        result = 1;
        win::TraceLine("assignment: " + chosen.name + " active (" + std::to_string(chosen.nodeCount) +
                       " nodes)");
    }
    for (int i = 0; i < pages.count; ++i) Page(i)->Close(win::IDOK);
    win::EndDialog(window, result);
    currentPage = previousPage = 0;
    return 1;
}

int RunCrossCountryAssignment(win::HWND parent) {
    LoadAssignments();
    XCountry sheet;
    return sheet.DoModal(parent) == 1 ? 1 : 0;
}

}  // namespace planning

namespace planning {
namespace {

// The runner's `report` field of the flight mode the assignment sets (2, cross-country).
const bool kReportFields = [] {
    core::RegisterReportField("flight_mode",
                              [] { return std::to_string(thePlanningHost.flightMode()); });
    return true;
}();

}  // namespace
}  // namespace planning
