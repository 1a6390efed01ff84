// The cross-country assignment ("ASSIGNMENTBKGND"): a four-page wizard in which the user picks
// one of twenty assignment plans, reads its briefing and weather, sees its route on the map and
// its log, and on Finish makes it the world's active plan. The assignments are read each time
// the sheet opens from "FlightPlans\Assign\xc01.Pln" ... "xc20.Pln", each with its briefing
// ("xc01.txt" ..., the first 255 characters); a missing or unreadable one is an empty plan.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "planning/nav_log.h"
#include "planning/planning_services.h"
#include "ui/owner_draw_list_view.h"
#include "ui/property_sheets.h"

namespace planning {

inline constexpr int kAssignmentCount = 20;
inline constexpr std::size_t kMaxBriefing = 255;

// The twenty assignment plans (empty until the sheet reads them) and the one chosen (0..19).
extern std::array<FlightPlan, kAssignmentCount> theAssignments;
extern int theCurrentAssignment;
// The assignment page's own log, kept apart from the planning sheet's.
extern std::unique_ptr<NavLog> theAssignmentLog;

// "FlightPlans\Assign\xc01.Pln" for assignment 0.
[[nodiscard]] std::string AssignmentPath(int index, const char* extension);
// Reads one assignment with its briefing: 1, or 0 with an empty plan.
int LoadAssignment(int index, FlightPlan* plan);
void LoadAssignments();
// The log of an assignment from its distances alone: the title, altitude and power of the plan,
// a row per node with the leg distance and the distance still to go (truncated nautical miles),
// nothing flown yet. An empty plan gives "No Flight Plan" without rows.
void BuildAssignmentLog(const FlightPlan& plan, NavLog* log);
// Hours and minutes as the assignment log shows them: "%d:%d".
[[nodiscard]] std::string FormatAssignmentTime(int hours, int minutes);

class CrossPreflight : public ui::FakePropertyPage {
public:
    CrossPreflight();
    int OnInitDialog(win::HWND dialog) override;
    int OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) override;

private:
    void ShowBriefing();
};

class CrossWxBrief : public ui::FakePropertyPage {
public:
    CrossWxBrief();
    int OnInitDialog(win::HWND dialog) override;
    int OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) override;
};

class CrossPlanningMap : public ui::FakePropertyPage {
public:
    CrossPlanningMap();
    int OnInitDialog(win::HWND dialog) override;
    int OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) override;
    void OnPageActivate(win::HWND previousPage, int previousIndex) override;
    int OnSetCursor(win::HWND dialog, win::WParam wParam, win::LParam lParam) override;
    win::LResult OnCtlColorStatic(win::HWND dialog, win::HDC dc, win::HWND control) override;
    win::LResult OnNotify(int controlId, win::NMHDR* header) override;

private:
    void DrawRoute();
    void Release();
    win::HWND toolbar;
    std::intptr_t savedToolbarBrush = 0;
};

class CrossFlightLog : public ui::FakePropertyPage {
public:
    CrossFlightLog();
    ~CrossFlightLog() override;
    int OnInitDialog(win::HWND dialog) override;
    void OnPageActivate(win::HWND previousPage, int previousIndex) override;
    win::LResult OnNotify(int controlId, win::NMHDR* header) override;
    int OnDrawItem(int controlId, win::DRAWITEMSTRUCT* item) override;
    int OnMeasureItem(int controlId, win::MEASUREITEMSTRUCT* item) override;

private:
    void Fill();
    std::unique_ptr<ui::OwnerDrawListView> list;
};

// Finish activates the chosen assignment and ends the sheet with 1; Cancel, or Finish on an
// empty assignment, ends it with 0.
class XCountry : public ui::FakePropertySheet {
public:
    XCountry();
    int Finish() override;
    void OnPageChanging() override;

    CrossPreflight preflight;
    CrossWxBrief weather;
    CrossPlanningMap map;
    CrossFlightLog log;
};

// Reads the assignments and runs the sheet: 1 when an assignment became the world's plan.
int RunCrossCountryAssignment(win::HWND parent);

}  // namespace planning
