#include "planning/flight_plan_map.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "nav/lat_lon.h"
#include "nav/map_view.h"
#include "nav/position_dialog.h"
#include "planning/nav_log.h"
#include "planning/plan_sheet.h"
#include "planning/weather_briefing.h"
#include "planning/planning_host.h"
#include "win/controls.h"
#include "win/dialog.h"
#include "win/input.h"
#include "win/program_entry.h"
#include "win/resource.h"

namespace planning {

std::unique_ptr<ui::OwnerDrawListView> theNavLogList;

namespace {

constexpr int kFlightPlanMapToolbarId = 1;
constexpr int kCancelButton = 1817;
constexpr int kFlightPlanMapClassBackground = -10;  // the class word of the background brush
constexpr int kMapWidth = 481;
constexpr int kMapHeight = 280;
constexpr int kToolbarWidth = 450;  // room for all 19 buttons and their separators

constexpr nav::MapToolButton kFlightPlanMapButtons[19] = {
    {0, nav::kAirportsButton, win::TBSTYLE_CHECK},
    {1, nav::kVorsButton, win::TBSTYLE_CHECK},
    {2, nav::kNdbsButton, win::TBSTYLE_CHECK},
    {3, nav::kLocalizersButton, win::TBSTYLE_CHECK},
    {4, nav::kWaypointsButton, win::TBSTYLE_CHECK},
    {5, nav::kAirwaysButton, win::TBSTYLE_CHECK},
    {6, nav::kObstaclesButton, win::TBSTYLE_CHECK},
    {18, nav::kFrequenciesButton, win::TBSTYLE_CHECK},
    {0, 0, win::TBSTYLE_SEP},
    {7, nav::kZoomInButton, win::TBSTYLE_CHECK},
    {8, nav::kZoomOutButton, win::TBSTYLE_CHECK},
    {0, 0, win::TBSTYLE_SEP},
    {9, 5010, win::TBSTYLE_BUTTON},
    {10, 5011, win::TBSTYLE_BUTTON},
    {11, 5012, win::TBSTYLE_BUTTON},
    {12, 5013, win::TBSTYLE_BUTTON},
    {0, 0, win::TBSTYLE_SEP},
    {16, kAddStationButton, win::TBSTYLE_CHECK},
    {17, kDeleteStationButton, win::TBSTYLE_CHECK},
};

// The four exclusive tools: the two zoom tools (flags in the map) and the two station tools.
std::uint32_t theAddTool = 0;
std::uint32_t theDeleteTool = 0;
struct Tool {
    int button;
    std::uint32_t* flag;
};
std::vector<Tool> Tools() {
    return {{nav::kZoomInButton, &nav::theMapView.zoomInTool},
            {nav::kZoomOutButton, &nav::theMapView.zoomOutTool},
            {kAddStationButton, &theAddTool},
            {kDeleteStationButton, &theDeleteTool}};
}

std::vector<nav::MapRouteNode> FlightPlanMapRouteOf(const FlightPlan& plan) {
    std::vector<nav::MapRouteNode> route;
    const int count = std::clamp(plan.nodeCount, 0, kMaxPlanNodes);
    for (int i = 0; i < count; ++i) {
        const FlightPlanNode& n = plan.nodes[static_cast<std::size_t>(i)];
        route.push_back(nav::MapRouteNode{n.kind, n.ident});
    }
    return route;
}

// The airport of a row of the sheet's directory, as the route's first or last node.
void InsertAirport(FlightPlan& plan, win::HWND combo, int row) {
    if (!theSheetDirectory) return;
    const char* text = theSheetDirectory->DescribeStation(row, nav::kSmsAirport);
    if (text == nullptr) return;
    if (plan.InsertNode(nav::kMapItemAirport, nav::ExtractAirportIdent(text), plan.currentNode + 1))
        InsertCurrentIntoRouteCombo(plan, combo);
}

}  // namespace

std::string FormatHoursMinutes(int minutes) {
    const auto m = static_cast<std::int16_t>(minutes);
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d", m / 60, m % 60);
    return text;
}

void InsertCurrentIntoRouteCombo(const FlightPlan& plan, win::HWND combo) {
    const int at = plan.currentNode;
    if (at < 0 || at >= plan.nodeCount) return;
    const std::string& ident = plan.nodes[static_cast<std::size_t>(at)].ident;
    win::SendMessage(combo, win::CB_INSERTSTRING, static_cast<win::WParam>(at),
                     reinterpret_cast<win::LParam>(ident.c_str()));
    win::SendMessage(combo, win::CB_SETCURSEL, static_cast<win::WParam>(at), 0);
}

void RemoveFromRouteCombo(win::HWND combo, int deletedIndex) {
    win::SendMessage(combo, win::CB_DELETESTRING, static_cast<win::WParam>(deletedIndex), 0);
    win::SendMessage(combo, win::CB_SETCURSEL, static_cast<win::WParam>(std::max(deletedIndex - 1, 0)), 0);
}

// ---- The route on the map ---------------------------------------------------------------------------

FlightPlanMap::FlightPlanMap() : FakePropertyPage("FLIGHTPLANMAPPG", "Flight Plan") {}

void FlightPlanMap::SetButton(int id, bool enabled) {
    win::SendMessage(toolbar, win::TB_ENABLEBUTTON, static_cast<win::WParam>(id), enabled ? 1 : 0);
}

void FlightPlanMap::EndStationTool(int button) {
    (button == kAddStationButton ? theAddTool : theDeleteTool) = 0;
    win::SendMessage(toolbar, win::TB_CHECKBUTTON, static_cast<win::WParam>(button), 0);
}

// Deleting needs a station between the two airports; adding needs room and a node that is not
// the destination.
void FlightPlanMap::UpdateStationButtons() {
    const FlightPlan* plan = theWorkingFlightPlan.get();
    if (plan == nullptr) return;
    SetButton(kDeleteStationButton, plan->nodeCount > 2);
    const bool room = plan->nodeCount < kMaxPlanNodes && plan->currentNode < plan->nodeCount - 1;
    SetButton(kAddStationButton, room);
    if (!room) EndStationTool(kAddStationButton);
}

void FlightPlanMap::DrawRoute() {
    nav::MapView& map = nav::theMapView;
    if (!map.memoryDc || !map.drawingBitmap || !theWorkingFlightPlan) return;
    const win::HBITMAP old = win::SelectObject(map.memoryDc, map.drawingBitmap);
    const win::HFONT oldFont = win::SelectObject(map.memoryDc, map.labelFont);
    win::SetBkMode(map.memoryDc, win::TRANSPARENT);
    map.DrawRoute(map.memoryDc, FlightPlanMapRouteOf(*theWorkingFlightPlan));
    win::SelectObject(map.memoryDc, oldFont);
    win::SelectObject(map.memoryDc, old);
    if (map.mapControl) win::InvalidateRect(map.mapControl, nullptr, false);
}

void FlightPlanMap::Redraw() {
    nav::MapView& map = nav::theMapView;
    if (theWorkingFlightPlan) map.BuildRoute(FlightPlanMapRouteOf(*theWorkingFlightPlan));
    map.SyncLayerButtons();
    map.Refresh();
    map.ShowZoomLabel();
    DrawRoute();
}

void FlightPlanMap::RestoreToolbarBrush() {
    if (brushReplaced && toolbar)
        win::SetClassLong(toolbar, kFlightPlanMapClassBackground, savedBrush);
    brushReplaced = false;
}

int FlightPlanMap::OnInitDialog(win::HWND dialog) {
    thePlanningHost.setCursor(win::IDC_WAIT);
    FakePropertyPage::OnInitDialog(dialog);
    SetHelpId(20034);
    win::RECT r;
    win::GetWindowRect(dialog, &r);
    win::MapWindowPoints({}, win::GetParent(dialog), &r);
    win::SetWindowPos(dialog, {}, r.left, r.top + 24, 0, 0, win::SWP_NOSIZE | win::SWP_NOZORDER | win::SWP_NOACTIVATE);
    nav::MapView& map = nav::theMapView;
    map.dialog = dialog;
    map.mapControl = win::GetDlgItem(dialog, nav::kMapControlId);
    // The control shows the map's picture pixel for pixel, whatever the template's units.
    win::SetWindowPos(map.mapControl, {}, 0, 0, kMapWidth, kMapHeight,
                      win::SWP_NOMOVE | win::SWP_NOZORDER | win::SWP_NOACTIVATE);
    toolbar = nav::CreateMapToolbar(dialog, kFlightPlanMapToolbarId, 0, 386, kToolbarWidth, 26,
                                    kFlightPlanMapButtons, 19);
    savedBrush =
        win::SetClassLong(toolbar, kFlightPlanMapClassBackground,
                          static_cast<std::intptr_t>(win::GetStockObject(win::NULL_BRUSH).id));
    brushReplaced = true;
    map.toolbar = toolbar;
    theAddTool = theDeleteTool = 0;
    map.InitForFlightPlanMap();
    win::SetWindowPos(toolbar, {}, 17, 368, kToolbarWidth, 26, win::SWP_NOZORDER | win::SWP_NOACTIVATE);
    win::ShowWindow(toolbar, win::SW_SHOW);
    SetButton(kDeleteStationButton, theWorkingFlightPlan && theWorkingFlightPlan->nodeCount >= 3);
    const win::HWND sheet = win::GetParent(dialog);
    win::ShowWindow(win::GetDlgItem(sheet, kMapPageFrame), win::SW_SHOW);
    win::ShowWindow(win::GetDlgItem(sheet, kRoutePageFrame), win::SW_HIDE);
    thePlanningHost.setCursor(win::IDC_ARROW);
    return 1;
}

void FlightPlanMap::OnPageActivate(win::HWND, int) {
    const win::HWND sheet = win::GetParent(window);
    win::ShowWindow(win::GetDlgItem(sheet, kMapPageFrame), win::SW_SHOW);
    win::ShowWindow(win::GetDlgItem(sheet, kRoutePageFrame), win::SW_HIDE);
    FlightPlan* plan = theWorkingFlightPlan.get();
    const PlanningRecord* record = thePlanningRecord.get();
    if (plan == nullptr || record == nullptr) return;
    const win::HWND combo = win::GetDlgItem(window, kRouteCombo);
    // New airports start a new route; the same two keep the stations the user added.
    const bool changed = record->departureRow != departureRow || record->destinationRow != destinationRow;
    theRouteChanged = changed ? 1 : 0;
    if (changed) {
        departureRow = record->departureRow;
        destinationRow = record->destinationRow;
        plan->Reset();
        win::SendMessage(combo, win::CB_RESETCONTENT, 0, 0);
        InsertAirport(*plan, combo, departureRow);
        InsertAirport(*plan, combo, destinationRow);
    }
    plan->currentNode = 0;
    win::SendMessage(combo, win::CB_SETCURSEL, 0, 0);
    nav::MapView& map = nav::theMapView;
    map.BuildRoute(FlightPlanMapRouteOf(*plan));
    map.ClearLayerButtons();
    map.Refresh();
    map.ShowZoomLabel();
    DrawRoute();
    UpdateStationButtons();
}

// The one station of a shown layer at the map control's point (none without a working plan).
std::unique_ptr<nav::MapHitItem> FlightPlanMap::StationAt(int x, int y) {
    if (!theWorkingFlightPlan) return nullptr;
    nav::MapView& map = nav::theMapView;
    map.cursorX = x;
    map.cursorY = y;
    std::unique_ptr<nav::MapHitItem> item = map.CollectItemsAt();
    if (item || map.showAirports == 0) return item;
    // A VOR, NDB or fix standing on an airport (San Jose's VOR, Salinas') is the station meant:
    // its symbol is a point, where the airport's box covers its label too.
    const std::uint32_t airports = map.showAirports;
    map.showAirports = 0;
    item = map.CollectItemsAt();
    map.showAirports = airports;
    return item;
}

int FlightPlanMap::AddStationAt(int x, int y) {
    FlightPlan* plan = theWorkingFlightPlan.get();
    const std::unique_ptr<nav::MapHitItem> item = StationAt(x, y);
    if (!item || plan->InsertNode(item->kind, item->ident, plan->currentNode + 1) == 0) return 0;
    Redraw();
    EndStationTool(kAddStationButton);
    InsertCurrentIntoRouteCombo(*plan, win::GetDlgItem(window, kRouteCombo));
    UpdateStationButtons();
    win::TraceLine("plan: added " + item->ident + " (" + std::to_string(plan->nodeCount) + " nodes)");
    return 1;
}

int FlightPlanMap::DeleteStationAt(int x, int y) {
    FlightPlan* plan = theWorkingFlightPlan.get();
    const std::unique_ptr<nav::MapHitItem> item = StationAt(x, y);
    if (!item) return 0;
    FlightPlanNode wanted;
    wanted.ident = item->ident.substr(0, 7);
    wanted.kind = item->kind;
    if (plan->SelectNode(wanted) == 0) return 0;
    const int deleted = plan->currentNode;
    if (plan->DeleteNode(deleted) < 0) return 0;  // the two airports stay
    Redraw();
    EndStationTool(kDeleteStationButton);
    RemoveFromRouteCombo(win::GetDlgItem(window, kRouteCombo), deleted);
    UpdateStationButtons();
    win::TraceLine("plan: removed " + item->ident + " (" + std::to_string(plan->nodeCount) + " nodes)");
    return 1;
}

int FlightPlanMap::OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) {
    nav::MapView& map = nav::theMapView;
    FlightPlan* plan = theWorkingFlightPlan.get();
    const int id = win::LOWORD(wParam);
    switch (id) {
        case win::IDOK:
        case win::IDCANCEL:
        case kCancelButton:
            map.Shutdown();
            RestoreToolbarBrush();
            map.toolbar = map.mapControl = map.dialog = win::HWND{};
            return 1;
        case nav::kFrequenciesButton:
            map.showFrequencies = win::SendMessage(toolbar, win::TB_ISBUTTONCHECKED, nav::kFrequenciesButton, 0) != 0;
            map.Refresh();
            map.SyncLayerButtons();
            DrawRoute();
            return 1;
        case kRouteCombo:
            if (notifyCode == win::CBN_SELENDOK && plan != nullptr) {
                const auto chosen = static_cast<int>(win::SendMessage(control, win::CB_GETCURSEL, 0, 0));
                if (chosen >= 0 && chosen < plan->nodeCount) plan->currentNode = chosen;
                UpdateStationButtons();
            }
            return 1;
        default:
            break;
    }
    if (std::uint32_t nav::MapView::*layer = nav::MapLayerOf(id)) {
        map.*layer = map.*layer ? 0 : 1;
        map.Refresh();
        map.SyncLayerButtons();
        DrawRoute();
        return 1;
    }
    for (const Tool& t : Tools()) {
        if (t.button != id) continue;
        *t.flag = win::SendMessage(toolbar, win::TB_ISBUTTONCHECKED, static_cast<win::WParam>(id), 0) != 0;
        for (const Tool& other : Tools()) {
            if (other.button == id) continue;
            *other.flag = 0;
            win::SendMessage(toolbar, win::TB_CHECKBUTTON, static_cast<win::WParam>(other.button), 0);
        }
        if (plan != nullptr && id == kAddStationButton && plan->nodeCount < 3)
            SetButton(kDeleteStationButton, false);
        if (plan != nullptr && id == kDeleteStationButton && plan->nodeCount >= kMaxPlanNodes)
            SetButton(kAddStationButton, false);
        return 1;
    }
    if (id >= nav::kScrollUpButton && id <= nav::kScrollRightButton) {
        map.Scroll(id - nav::kScrollUpButton);
        DrawRoute();
        return 1;
    }
    return FakePropertyPage::OnCommand(notifyCode, wParam, control);
}

int FlightPlanMap::OnSetCursor(win::HWND dialog, win::WParam wParam, win::LParam lParam) {
    nav::MapView& map = nav::theMapView;
    const win::HWND under{static_cast<std::uint32_t>(wParam)};
    if (!map.mapControl || under != map.mapControl) return 0;
    const std::uint32_t message = win::HIWORD(static_cast<std::uintptr_t>(lParam));
    nav::ReadMapPointer();
    if (message == win::WM_LBUTTONDOWN) {
        if (theAddTool) {
            AddStationAt(map.cursorX, map.cursorY);
        } else if (theDeleteTool) {
            DeleteStationAt(map.cursorX, map.cursorY);
        } else {
            map.StepZoom();
            DrawRoute();
        }
    }
    return nav::EndRouteMapPointerMessage(dialog, message);
}

win::LResult FlightPlanMap::OnCtlColorStatic(win::HWND dialog, win::HDC dc, win::HWND control) {
    FakePropertyPage::OnCtlColorStatic(dialog, dc, control);
    return 0;
}

win::LResult FlightPlanMap::OnNotify(int, win::NMHDR* header) {
    nav::FillMapToolTip(header);
    return 0;
}

// ---- The navigation log -----------------------------------------------------------------------------

FlightLog::FlightLog() : FakePropertyPage("FLIGHTPLANLOGPG", "Flight Log") {}

void CreateNavLogList(win::HWND page) {
    static constexpr struct {
        const char* title;
        int width;
    } kColumns[9] = {{"Fix", 40},    {"Hdg", 45},      {"Winds(-HW)", kWindsColumnWidth},
                     {"Est GS", 70}, {"Dist", 55},     {"Dist Rem", 60},
                     {"ETE", 40},    {"Est Fuel", 50}, {"Fuel Rem", 58}};
    theNavLogList.reset();
    theNavLogList = std::make_unique<ui::OwnerDrawListView>(
        win::WS_CHILD | win::WS_VISIBLE | win::LVS_REPORT | win::LVS_SINGLESEL | win::LVS_SHOWSELALWAYS |
            win::LVS_OWNERDRAWFIXED | win::LVS_NOSORTHEADER,
        69, 190, 428, 205, page, kNavLogListId, 9);
    theNavLogList->Create();
    for (int c = 0; c < 9; ++c)
        theNavLogList->InsertColumn(c, kColumns[c].width, win::LVCFMT_CENTER, kColumns[c].title);
}

void FillNavLogPage(win::HWND page) {
    const NavLog* log = theNavLog.get();
    if (log == nullptr) return;
    if (theNavLogList) theNavLogList->DeleteAllItems();
    char text[64];
    auto show = [&](int id, const char* format, auto value) {
        std::snprintf(text, sizeof text, format, value);
        win::SetDlgItemText(page, id, text);
    };
    win::SetDlgItemText(page, 2018, log->title);
    show(1989, "%d", log->cruiseAltitude);
    show(1990, "%d %%", static_cast<int>(log->power));
    show(1993, "%d", static_cast<int>(log->startingFuel));
    show(1991, "%d Kts", static_cast<int>(log->trueAirspeed));
    const int aircraft = theWorkingFlightPlan ? theWorkingFlightPlan->aircraft : 0;
    show(1992, FuelFlowFormat(aircraft), static_cast<double>(log->fuelFlow));
    win::SetDlgItemText(page, 2006, log->departure);
    show(2008, "%d", log->totalDistance);
    std::snprintf(text, sizeof text, "%02d:%02d", log->totalHours, log->totalMinutes);
    win::SetDlgItemText(page, 2012, text);
    show(2013, "%3.1f", static_cast<double>(log->totalFuel));
    if (!theNavLogList) return;
    for (std::size_t i = 0; i < log->rows.size(); ++i) {
        const NavLogRow& row = log->rows[i];
        const int item = static_cast<int>(i);
        theNavLogList->InsertItem(item, row.fix.c_str(), reinterpret_cast<win::LParam>(&row));
        const std::string cells[8] = {
            std::to_string(row.magneticHeading),  std::to_string(row.windComponent),
            std::to_string(row.groundSpeed),      std::to_string(row.distance),
            std::to_string(row.remaining),        FormatHoursMinutes(row.estimatedMinutes),
            [&] { std::snprintf(text, sizeof text, "%3.1f", static_cast<double>(row.legFuel)); return std::string(text); }(),
            [&] { std::snprintf(text, sizeof text, "%3.1f", static_cast<double>(row.fuelRemaining)); return std::string(text); }()};
        for (int c = 0; c < 8; ++c) theNavLogList->SetItemText(item, c + 1, cells[c].c_str());
    }
}

int FlightLog::OnInitDialog(win::HWND dialog) {
    thePlanningHost.setCursor(win::IDC_WAIT);
    ifrSeen = thePlanningRecord ? thePlanningRecord->ifr : 0;
    CreateNavLogList(dialog);
    FakePropertyPage::OnInitDialog(dialog);
    SetHelpId(20033);
    thePlanningHost.setCursor(win::IDC_ARROW);
    return 1;
}

void FlightLog::OnPageActivate(win::HWND, int) {
    FlightPlan* plan = theWorkingFlightPlan.get();
    const PlanningRecord* r = thePlanningRecord.get();
    if (plan == nullptr || r == nullptr) return;
    TakePlanningRecord(*plan, *r);
    plan->BuildNavLog();
    FillNavLogPage(window);
}

int FlightLog::OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) {
    return ClosesPage(win::LOWORD(wParam)) ? 1 : FakePropertyPage::OnCommand(notifyCode, wParam, control);
}

win::LResult FlightLog::OnNotify(int controlId, win::NMHDR* header) {
    return theNavLogList ? theNavLogList->OnNotify(controlId, header) : 0;
}

int FlightLog::OnDrawItem(int controlId, win::DRAWITEMSTRUCT* item) {
    return theNavLogList ? theNavLogList->OnDrawItem(controlId, item) : 0;
}

int FlightLog::OnMeasureItem(int controlId, win::MEASUREITEMSTRUCT* item) {
    return theNavLogList ? theNavLogList->OnMeasureItem(controlId, item) : 0;
}

}  // namespace planning
