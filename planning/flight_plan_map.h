// Two pages of the new-plan sheet: the route on the map ("FLIGHTPLANMAPPG"), where stations
// picked on the map are added after the route's current node or deleted with the toolbar, and
// the navigation log ("FLIGHTPLANLOGPG") as a summary and a nine-column list.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "ui/owner_draw_list_view.h"
#include "ui/property_sheets.h"

namespace nav {
struct MapHitItem;
}

namespace planning {

class FlightPlan;

// The log page's list (null when no log page is open).
extern std::unique_ptr<ui::OwnerDrawListView> theNavLogList;

inline constexpr int kRouteCombo = 1914;
inline constexpr int kAddStationButton = 5017;
inline constexpr int kDeleteStationButton = 5018;
inline constexpr int kNavLogListId = 79;

// "hh:mm" of a number of minutes.
[[nodiscard]] std::string FormatHoursMinutes(int minutes);
// The combo's text of a node: its ident.
void InsertCurrentIntoRouteCombo(const FlightPlan& plan, win::HWND combo);
// Removes the combo row of a deleted node and selects the one before it.
void RemoveFromRouteCombo(win::HWND combo, int deletedIndex);

class FlightPlanMap : public ui::FakePropertyPage {
public:
    FlightPlanMap();
    int OnInitDialog(win::HWND dialog) override;
    int OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) override;
    int OnSetCursor(win::HWND dialog, win::WParam wParam, win::LParam lParam) override;
    win::LResult OnCtlColorStatic(win::HWND dialog, win::HDC dc, win::HWND control) override;
    win::LResult OnNotify(int controlId, win::NMHDR* header) override;
    void OnPageActivate(win::HWND previousPage, int previousIndex) override;

    // The map's stations under the map control's point (x, y) go in after the current node (add
    // tool) or out of the route (delete tool); 1 when the route changed.
    int AddStationAt(int x, int y);
    int DeleteStationAt(int x, int y);
    // Puts back the toolbar class's own background brush (the sheet, when it ends).
    void RestoreToolbarBrush();

    std::int32_t departureRow = 65535;  // the airports the route was last built for
    std::int32_t destinationRow = 65535;
    win::HWND toolbar;

private:
    std::unique_ptr<nav::MapHitItem> StationAt(int x, int y);
    void DrawRoute();
    void Redraw();
    void SetButton(int id, bool enabled);
    void UpdateStationButtons();
    void EndStationTool(int button);
    std::intptr_t savedBrush = 0;
    bool brushReplaced = false;
};

class FlightLog : public ui::FakePropertyPage {
public:
    FlightLog();
    int OnInitDialog(win::HWND dialog) override;
    int OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) override;
    win::LResult OnNotify(int controlId, win::NMHDR* header) override;
    int OnDrawItem(int controlId, win::DRAWITEMSTRUCT* item) override;
    int OnMeasureItem(int controlId, win::MEASUREITEMSTRUCT* item) override;
    void OnPageActivate(win::HWND previousPage, int previousIndex) override;

    int ifrSeen = 0;
};

// Makes the log page's list (an earlier one is destroyed first) and fills the page from the
// navigation log (nothing without one).
void CreateNavLogList(win::HWND page);
void FillNavLogPage(win::HWND page);

}  // namespace planning
