#include "planning/plan_sheet.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "flight/flight_model_state.h"
#include "nav/dialog_controls.h"
#include "nav/nav_database.h"
#include "nav/position_dialog.h"
#include "planning/flight_plan.h"
#include "planning/nav_log.h"
#include "planning/pilot_file.h"
#include "planning/planning_host.h"
#include "ui/dialog_services.h"
#include "win/controls.h"
#include "win/dialog.h"
#include "win/input.h"
#include "win/program_entry.h"

namespace planning {

std::unique_ptr<PlanningRecord> thePlanningRecord;
std::unique_ptr<FlightPlan> theWorkingFlightPlan;
std::unique_ptr<nav::SmsDatabase> theSheetDirectory;

namespace {

// The code of the airport nearest the aircraft; empty without airports.
std::string NearestAirportIdent() {
    const flight::FlightModelState& s = flight::theFlightModelState;
    const nav::AirportIndexRecord* nearest = nullptr;
    std::int64_t best = 0;
    for (const nav::AirportIndexRecord& a : nav::theNavDatabase.airports) {
        const std::int64_t dx = static_cast<std::int64_t>(a.x) - s.fmPosX;
        const std::int64_t dz = static_cast<std::int64_t>(a.z) - s.fmPosZ;
        const std::int64_t d = dx * dx + dz * dz;
        if (nearest == nullptr || d < best) {
            nearest = &a;
            best = d;
        }
    }
    return nearest != nullptr ? nearest->ident : std::string();
}

constexpr int kAltitudeEdit = 1783;
constexpr int kPowerEdit = 1962;
constexpr int kAltitudeSpin = 1965;
constexpr int kPowerSpin = 1964;
constexpr int kVisualRadio = 1906;
constexpr int kInstrumentRadio = 1907;
constexpr int kAircraftCombo = 1908;
constexpr int kSearchEdit = 1479;
constexpr std::size_t kSearchLength = 50;
constexpr int kAircraftTypes = 5;

// The leading number of a typed value ("5500 ft" is 5500, "abc" 0); one too large for an int is
// held at the int's ends, and the page's limits follow.
std::int32_t LeadingNumber(const std::string& text) {
    const long long v = std::strtoll(text.c_str(), nullptr, 10);
    return static_cast<std::int32_t>(std::clamp<long long>(v, INT_MIN, INT_MAX));
}

std::string Format(const char* format, std::int32_t value) {
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

void Cursor(std::uint32_t id) { thePlanningHost.setCursor(id); }

}  // namespace

void AircraftRouteLimits(int aircraft, std::int32_t* maximumAltitude, std::int32_t* minimumPower) {
    static constexpr std::int32_t kAltitude[kAircraftTypes] = {12000, 16000, 16000, 35000, 35000};
    static constexpr std::int32_t kPower[kAircraftTypes] = {50, 45, 55, 50, 50};
    const auto i = static_cast<std::size_t>(std::clamp(aircraft, 0, kAircraftTypes - 1));
    *maximumAltitude = kAltitude[i];
    *minimumPower = kPower[i];
}

void TakePlanningRecord(FlightPlan& plan, const PlanningRecord& r) {
    plan.ifr = static_cast<std::int16_t>(r.ifr);
    plan.aircraft = static_cast<std::int16_t>(r.aircraft);
    plan.cruiseAltitude = r.cruiseAltitude;
    plan.power = static_cast<std::int16_t>(r.power);
    plan.departureRadius = r.departureRadius;
    plan.destinationRadius = r.destinationRadius;
    plan.SetEnvironment(r.environment);
}

int CopyAirportList(win::HWND from, win::HWND to) {
    const auto count = static_cast<int>(win::SendMessage(from, win::LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        const std::string text = nav::ListRowText(from, i);
        win::SendMessage(to, win::LB_ADDSTRING, 0, reinterpret_cast<win::LParam>(text.c_str()));
    }
    return std::max(count, 0);
}

void FreePlanningSheet() {
    thePlanningRecord.reset();
    if (theSheetDirectory) theSheetDirectory->Close();
    theSheetDirectory.reset();
    theNavLog.reset();
    theNavLogList.reset();
    theWorkingFlightPlan.reset();
}

// ---- Flight rules, aircraft, altitude and power ---------------------------------------------------

RouteSelection::RouteSelection() : FakePropertyPage("FLIGHTPLANROUTEPG", "Route Selection") {}

void RouteSelection::WriteRouteSettings() {
    PlanningRecord* r = thePlanningRecord.get();
    if (r == nullptr) return;
    r->ifr = static_cast<std::uint16_t>(ifr);
    r->aircraft = static_cast<std::uint16_t>(aircraft);
    r->requestedAltitude = altitude;
    r->power = static_cast<std::uint16_t>(power);
}

void RouteSelection::ClampRequestedAltitude() {
    altitude = std::clamp(altitude, minimumAltitude, maximumAltitude);
    win::SetDlgItemText(window, kAltitudeEdit, Format("%d ft", altitude));
    WriteRouteSettings();
}

void RouteSelection::ClampPower() {
    power = std::clamp(power, minimumPower, maximumPower);
    win::SetDlgItemText(window, kPowerEdit, Format("%d%%", power));
    WriteRouteSettings();
}

int RouteSelection::OnInitDialog(win::HWND dialog) {
    Cursor(win::IDC_WAIT);
    FakePropertyPage::OnInitDialog(dialog);
    SetHelpId(20036);
    maximumAltitude = 12000;
    minimumAltitude = 2000;
    maximumPower = 75;
    minimumPower = 50;
    altitude = 5000;
    power = 70;
    ClampRequestedAltitude();
    ClampPower();
    for (int i = 0; i < kAircraftTypes; ++i)
        win::SendDlgItemMessage(dialog, kAircraftCombo, win::CB_ADDSTRING, 0,
                                reinterpret_cast<win::LParam>(GetAircraftName(i)));
    aircraft = std::clamp(static_cast<int>(thePlanningHost.aircraftType()), 0, kAircraftTypes - 1);
    win::SendDlgItemMessage(dialog, kAircraftCombo, win::CB_SETCURSEL, static_cast<win::WParam>(aircraft), 0);
    ifr = 0;
    win::CheckDlgButton(dialog, kVisualRadio, win::BST_CHECKED);
    win::CheckDlgButton(dialog, kInstrumentRadio, win::BST_UNCHECKED);
    WriteRouteSettings();
    Cursor(win::IDC_ARROW);
    return 1;
}

int RouteSelection::OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) {
    switch (win::LOWORD(wParam)) {
        case kAltitudeEdit:
            if (notifyCode == win::EN_KILLFOCUS) {
                altitude = LeadingNumber(win::GetDlgItemText(window, kAltitudeEdit));
                ClampRequestedAltitude();
            }
            return 1;
        case kPowerEdit:
            if (notifyCode == win::EN_KILLFOCUS) {
                power = LeadingNumber(win::GetDlgItemText(window, kPowerEdit));
                ClampPower();
            }
            return 1;
        case kVisualRadio:
        case kInstrumentRadio: {
            const int clicked = win::LOWORD(wParam);
            const bool checked = win::IsDlgButtonChecked(window, clicked) == win::BST_CHECKED;
            const bool instrument = clicked == kInstrumentRadio ? checked : !checked;
            ifr = instrument ? 1 : 0;
            win::CheckDlgButton(window, kVisualRadio, instrument ? win::BST_UNCHECKED : win::BST_CHECKED);
            win::CheckDlgButton(window, kInstrumentRadio, instrument ? win::BST_CHECKED : win::BST_UNCHECKED);
            WriteRouteSettings();
            return 1;
        }
        case kAircraftCombo: {
            const auto chosen = static_cast<int>(
                win::SendDlgItemMessage(window, kAircraftCombo, win::CB_GETCURSEL, 0, 0));
            if (chosen < 0 || chosen >= kAircraftTypes) return 1;
            aircraft = chosen;
            AircraftRouteLimits(aircraft, &maximumAltitude, &minimumPower);
            // The fields show the new limits at once; the values follow when the fields are left.
            if (aircraft <= 2) {
                if (LeadingNumber(win::GetDlgItemText(window, kAltitudeEdit)) > maximumAltitude)
                    win::SetDlgItemText(window, kAltitudeEdit, Format("%d ft", maximumAltitude));
                if (LeadingNumber(win::GetDlgItemText(window, kPowerEdit)) < minimumPower)
                    win::SetDlgItemText(window, kPowerEdit, Format("%d%%", minimumPower));
            }
            WriteRouteSettings();
            return 1;
        }
        default:
            return ClosesPage(win::LOWORD(wParam)) ? 1 : FakePropertyPage::OnCommand(notifyCode, wParam, control);
    }
}

win::LResult RouteSelection::OnNotify(int controlId, win::NMHDR* header) {
    if (header == nullptr || static_cast<std::int32_t>(header->code) != win::UDN_DELTAPOS) return 0;
    const auto* spin = reinterpret_cast<const win::NMUPDOWN*>(header);
    // The arrow pointing up gives a negative step.
    const int sign = spin->iDelta >= 0 ? -1 : 1;
    if (controlId == kAltitudeSpin) {
        altitude += sign * 500;
        ClampRequestedAltitude();
    } else if (controlId == kPowerSpin) {
        power += sign * 5;
        ClampPower();
    }
    return 0;
}

// ---- Departure and destination ----------------------------------------------------------------------

AirportChoicePage::AirportChoicePage(const char* templateName, const char* title, std::uint32_t helpId,
                                     std::int32_t PlanningRecord::*recordRow)
    : FakePropertyPage(templateName, title), help(helpId), row(recordRow) {}

FlightPlanDepart::FlightPlanDepart()
    : AirportChoicePage("FLIGHTPLANDEPARTPG", "Departure", 20037, &PlanningRecord::departureRow) {}

FlightPlanDest::FlightPlanDest()
    : AirportChoicePage("FLIGHTPLANDESTPG", "Destination", 20038, &PlanningRecord::destinationRow) {}

// The chosen row becomes the directory's and the record's; its text goes into the search box
// (from the list) and its information onto the page.
void AirportChoicePage::Choose(int chosen, bool fromList) {
    if (chosen < 0 || !theSheetDirectory || !thePlanningRecord) return;
    theSheetDirectory->SetSelectedRow(nav::kSmsAirport, chosen);
    thePlanningRecord.get()->*row = chosen;
    if (fromList) {
        search = nav::ListRowText(win::GetDlgItem(window, listId), chosen).substr(0, kSearchLength);
        win::SetDlgItemText(window, kSearchEdit, search);
        win::SendDlgItemMessage(window, kSearchEdit, win::EM_SETSEL, 0, -1);
    }
    theSheetDirectory->ShowAirportInfo(window, chosen);
}

int AirportChoicePage::OnInitDialog(win::HWND dialog) {
    if (!theSheetDirectory || !thePlanningRecord) return 0;
    Cursor(win::IDC_WAIT);
    FakePropertyPage::OnInitDialog(dialog);
    SetHelpId(help);
    win::SendDlgItemMessage(dialog, kSearchEdit, win::EM_LIMITTEXT, kSearchLength, 0);
    const win::HWND list = win::GetDlgItem(dialog, listId);
    CopyAirportList(win::GetDlgItem(win::GetParent(dialog), kSheetAirportList), list);
    const int chosen = thePlanningRecord.get()->*row;
    win::SendMessage(list, win::LB_SETCURSEL, static_cast<win::WParam>(chosen), 0);
    Choose(static_cast<int>(win::SendMessage(list, win::LB_GETCURSEL, 0, 0)), true);
    Cursor(win::IDC_ARROW);
    return 1;
}

int AirportChoicePage::OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) {
    const win::HWND list = win::GetDlgItem(window, listId);
    const int id = win::LOWORD(wParam);
    if (id == listId) {
        Choose(static_cast<int>(win::SendMessage(list, win::LB_GETCURSEL, 0, 0)), true);
        if (notifyCode == win::LBN_DBLCLK)
            win::PostMessage(win::GetParent(window), win::WM_COMMAND, ui::kNextButtonId, 0);
        return 1;
    }
    switch (id) {
        case kSearchEdit: {
            if (notifyCode != win::EN_CHANGE ||
                win::SendDlgItemMessage(window, kSearchEdit, win::EM_GETMODIFY, 0, 0) == 0)
                return 1;
            search = win::GetDlgItemText(window, kSearchEdit).substr(0, kSearchLength);
            const auto found = nav::SelectTypedStation(list, search, [](int r) {
                return theSheetDirectory ? theSheetDirectory->AirportRowRank(r) : 0;
            });
            if (found < 0) return 1;
            win::SendMessage(list, win::LB_SETTOPINDEX, static_cast<win::WParam>(std::max(found - 1, 0)), 0);
            Choose(found, false);
            return 1;
        }
        default:
            return ClosesPage(win::LOWORD(wParam)) ? 1 : FakePropertyPage::OnCommand(notifyCode, wParam, control);
    }
}

void AirportChoicePage::OnPageActivate(win::HWND, int) {
    if (!theSheetDirectory || !thePlanningRecord) return;
    const int chosen = thePlanningRecord.get()->*row;
    theSheetDirectory->SetSelectedRow(nav::kSmsAirport, chosen);
    const win::HWND list = win::GetDlgItem(window, listId);
    win::ShowWindow(list, win::SW_SHOW);
    win::SendMessage(list, win::LB_SETCURSEL, static_cast<win::WParam>(chosen), 0);
}

// ---- The sheet --------------------------------------------------------------------------------------

NewFlightPlan::NewFlightPlan() : FakePropertySheet("FLIGHTPLANBKGNDSHEET", nav::kPositionPaletteId) {
    FreePlanningSheet();
    thePlanningRecord = std::make_unique<PlanningRecord>();
    theSheetDirectory = std::make_unique<nav::SmsDatabase>();
    theWorkingFlightPlan = std::make_unique<FlightPlan>();
    theWorkingFlightPlan->Reset();
    theWorkingFlightPlan->active = 1;
    AddPage(&routePage);
    AddPage(&departurePage);
    AddPage(&destinationPage);
    AddPage(&mapPage);
    AddPage(&weatherPage);
    AddPage(&logPage);
    PlanningRecord& r = *thePlanningRecord;
    WeatherBriefingLinks& l = weatherPage.links;
    l.ifr = &r.ifr;
    l.aircraft = &r.aircraft;
    l.requestedAltitude = &r.requestedAltitude;
    l.cruiseAltitude = &r.cruiseAltitude;
    l.departureRow = &r.departureRow;
    l.destinationRow = &r.destinationRow;
    l.departureRadius = &r.departureRadius;
    l.destinationRadius = &r.destinationRadius;
    l.environment = &r.environment;
    l.workingPlan = theWorkingFlightPlan.get();
    l.directory = theSheetDirectory.get();
    createAllPages = 0;
}

NewFlightPlan::~NewFlightPlan() {
    // A sheet that ends without Finish or Cancel (its window destroyed) frees its objects too.
    mapPage.RestoreToolbarBrush();
    FreePlanningSheet();
}

int NewFlightPlan::OnInitDialog(win::HWND dialog) {
    const int r = FakePropertySheet::OnInitDialog(dialog);
    SetHelpId(20039);
    weatherPage.links.airportList =
        win::CreateWindowEx(0, "LISTBOX", "", win::WS_CHILD, 0, 0, 10, 10, dialog,
                            win::HMENU{static_cast<std::uint32_t>(kSheetAirportList)}, win::HINSTANCE{}, 0);
    if (theSheetDirectory && theSheetDirectory->Open(dialog) != 0) {
        theSheetDirectory->FillStationList(dialog, nav::kSmsAirport);
        // Both airport pages start on the field the aircraft is at (or nearest to): the pilot
        // plans from where he is, and a plan pressed straight through is refused for want of a
        // destination instead of running to the list's first field across the country.
        const std::string ident = NearestAirportIdent();
        const int here = ident.empty() ? -1
                                       : nav::SelectTypedStation(
                                             win::GetDlgItem(dialog, kSheetAirportList), ident);
        if (here >= 0 && thePlanningRecord)
            thePlanningRecord->departureRow = thePlanningRecord->destinationRow = here;
    }
    return r;
}

void NewFlightPlan::OnPageChanging() {
    win::ShowWindow(win::GetDlgItem(window, kRoutePageFrame), win::SW_SHOW);
    win::ShowWindow(win::GetDlgItem(window, kMapPageFrame), win::SW_HIDE);
}

namespace {

constexpr int kMapPage = 3;

// A route with a leg of some length; otherwise says why there is none, over the sheet.
bool RouteGoesSomewhere(win::HWND sheet, const FlightPlan& plan) {
    const int count = std::min(plan.nodeCount, kMaxPlanNodes);
    for (int i = 1; i < count; ++i) {
        const FlightPlanNode& n = plan.nodes[static_cast<std::size_t>(i)];
        if (n.x != plan.nodes[0].x || n.y != plan.nodes[0].y) return true;
    }
    const std::string departure = count > 0 ? plan.nodes[0].ident : std::string("the departure");
    ui::ShowMessageBox(sheet,
                       "The route begins and ends at " + departure +
                           " with no station between. Choose another destination, or add a "
                           "station on the route map.",
                       ui::MB_ICONEXCLAMATION);
    return false;
}

// Whether the pilot takes a plan whose log lands with less than its reserve (visual rules: 30
// minutes by day, 45 at night; instrument rules 45) or burns more fuel than the aircraft starts with; asked over the
// sheet with the need, what the aircraft carries and the reserve. A plan within its reserve is
// taken.
bool TakesPlanShortOfItsReserve(win::HWND sheet, const FlightPlan& plan) {
    plan.BuildNavLog();
    const NavLog* log = theNavLog.get();
    if (log == nullptr || log->startingFuel <= 0 || log->fuelFlow <= 0.0f) return true;
    // Under instrument rules the reserve is 45 minutes by day or night.
    const int reserve = plan.ifr != 0 ? 45 : VfrReserveMinutes(plan, *log);
    const double reserveFuel = reserve / 60.0 * log->fuelFlow;
    const double left = log->startingFuel - static_cast<double>(log->totalFuel);
    if (left >= reserveFuel) return true;
    char need[160];
    const char* unit = plan.aircraft <= 2 ? "gallons" : "pounds";
    std::snprintf(need, sizeof need, "%s is %d nm and needs %.1f %s of fuel; the aircraft carries %d",
                  log->title.c_str(), log->totalDistance, static_cast<double>(log->totalFuel), unit,
                  log->startingFuel);
    char lands[96] = ".";
    if (left >= 0.0)
        std::snprintf(lands, sizeof lands, " and lands with %.1f, %d minutes of flight.", left,
                      static_cast<int>(left / log->fuelFlow * 60.0));
    char text[512];
    std::snprintf(text, sizeof text,
                  "%s%s A flight under %s keeps %d minutes of fuel (%.1f %s) in reserve. Take "
                  "the plan as it is (Yes), or go back to add a fuel stop on the route map (No)?",
                  need, lands,
                  plan.ifr != 0 ? "instrument rules"
                                : (reserve > 30 ? "visual rules at night" : "visual rules by day"),
                  reserve, reserveFuel, unit);
    return ui::ShowMessageBox(sheet, text, ui::MB_YESNO | ui::MB_ICONEXCLAMATION) == win::IDYES;
}

}  // namespace

int NewFlightPlan::NextPage() {
    if (currentPage == kMapPage && theWorkingFlightPlan &&
        !RouteGoesSomewhere(window, *theWorkingFlightPlan))
        return 1;
    return FakePropertySheet::NextPage();
}

int NewFlightPlan::Finish() {
    FlightPlan* plan = theWorkingFlightPlan.get();
    if (plan == nullptr) return 0;
    if (!RouteGoesSomewhere(window, *plan)) return 1;
    Cursor(win::IDC_WAIT);
    if (const PlanningRecord* r = thePlanningRecord.get()) TakePlanningRecord(*plan, *r);
    if (!TakesPlanShortOfItsReserve(window, *plan)) {
        Cursor(win::IDC_ARROW);
        return 1;
    }
    plan->active = 1;
    plan->saved = 0;
    plan->currentNode = 0;
    plan->UpdateLegWeather();
    thePlanningHost.setWorldPlan(plan);
    if (const FlightPlan* world = thePlanningHost.worldPlan()) ApplyPlanAircraft(*world);
    mapPage.RestoreToolbarBrush();
    win::TraceLine("plan: new " + DefaultPlanFileName(*plan) + " (" + std::to_string(plan->nodeCount) +
                   " nodes)");
    // The pages close first: a field losing the focus may still write into the record.
    const int r = FakePropertySheet::Finish();
    FreePlanningSheet();
    Cursor(win::IDC_ARROW);
    return r;
}

int NewFlightPlan::Cancel() {
    mapPage.RestoreToolbarBrush();
    const int r = FakePropertySheet::Cancel();
    FreePlanningSheet();
    return r;
}

void RunNewFlightPlan(win::HWND parent) {
    NewFlightPlan sheet;
    sheet.DoModal(parent);
}

}  // namespace planning
