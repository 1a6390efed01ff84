// The pilot's logbook: flights are typed in, listed oldest first with totals by day, night and
// instrument time, and saved into the pilot file on OK (the whole file replaced at once).
#pragma once

#include <memory>
#include <string>

#include "planning/pilot_file.h"
#include "ui/dialog.h"
#include "ui/owner_draw_list_view.h"

namespace planning {

// Date rules of the logbook's fields (two-digit years; 36..69 is no year the logbook keeps).
[[nodiscard]] int DaysInMonth(int month, int year);
[[nodiscard]] int CorrectLogbookYear(int year);
// One step of the shared spin control on a date field (0 month, 1 day, 2 year).
[[nodiscard]] int StepDateField(int field, int value, int delta, int month, int year);

class LogbooksDialog : public ui::Dialog {
public:
    LogbooksDialog() : ui::Dialog("LOGBOOKS", 0) { SetHelpId(20011); }
    int OnInitDialog(win::HWND dialog) override;
    int OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) override;
    win::LResult OnNotify(int controlId, win::NMHDR* header) override;
    int OnDrawItem(int controlId, win::DRAWITEMSTRUCT* item) override;
    int OnMeasureItem(int controlId, win::MEASUREITEMSTRUCT* item) override;

    int aircraftType = 0;  // the type the aircraft selection chose last
    PilotFile pilot;
    std::unique_ptr<ui::OwnerDrawListView> list;
    int month = 1, day = 1, year = 0;
    int spinField = 0;  // which date field the spin control serves

private:
    void AddRow(const LogbookEntry& entry);
    void SortRows();
    void ShowDate();
    void ReadDate();
    void ShowTotals();
    void AddFromFields();
    void ShowRow(int row);
    void Save();
    std::string Cell(int row, int column);
};

}  // namespace planning
