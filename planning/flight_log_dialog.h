// The flight log: the navigation log of the plan being flown, leg by leg, with what was planned
// (heading, wind, ground speed, distance, time, fuel) and what was flown so far. Its reset ends
// the plan's active use (and any ATC session); OK keeps what the dialog shows as the plan.
#pragma once

#include <array>
#include <memory>
#include <string>

#include "planning/planning_services.h"
#include "planning/settings_dialog.h"
#include "ui/owner_draw_list_view.h"

namespace planning {

struct NavLogRow;

// The fourteen cells of a log row as the list shows them; an unknown value is an empty cell.
[[nodiscard]] std::array<std::string, 14> FlightLogCells(const NavLogRow& row);

class FlightLogDialog : public SettingsDialog {
public:
    // Shows the log of a copy of `plan` (the world's plan, or none).
    explicit FlightLogDialog(const FlightPlan* plan);
    int OnInitDialog(win::HWND dialog) override;
    int OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) override;
    win::LResult OnNotify(int controlId, win::NMHDR* header) override;
    int OnDrawItem(int controlId, win::DRAWITEMSTRUCT* item) override;
    int OnMeasureItem(int controlId, win::MEASUREITEMSTRUCT* item) override;

    FlightPlan plan;  // what OK makes the world's plan
    bool hasPlan = false;

protected:
    void Apply() override;

private:
    void ShowLog();
    std::unique_ptr<ui::OwnerDrawListView> list;
};

}  // namespace planning
