#include "planning/logbook_dialog.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <vector>

#include "ui/dialog_services.h"
#include "win/controls.h"
#include "win/file_api.h"
#include "win/dialog.h"
#include "win/program_entry.h"
#include "win/timing.h"

namespace planning {
namespace {

constexpr int kLogbookDialogList = 77;
constexpr int kSpin = 1530;
constexpr int kMonth = 1634, kDay = 1636, kYear = 1638, kDateFrame = 1641;
constexpr int kAircraft = 1908, kFrom = 1539, kTo = 1542, kRemarks = 1959;
constexpr int kCategory = 1631, kConditions = 1632, kPilotingTime = 1633, kDuration = 1964;
constexpr int kAdd = 1974, kDelete = 1975, kPilotName = 1973;
constexpr int kTotalDay = 1970, kTotalNight = 1971, kTotalInstrument = 1972, kTotalAll = 1976;

struct LogbookDialogColumn {
    const char* title;
    int width;
};
constexpr LogbookDialogColumn kLogbookDialogColumns[9] = {
    {"Date", 60},     {"Aircraft", 65},   {"From", 45},          {"To", 45},      {"Remarks", 115},
    {"Category", 80}, {"Conditions", 75}, {"Piloting Time", 95}, {"Duration", 70}};

int CompareKeys(win::LParam a, win::LParam b, win::LParam) {
    const std::uint32_t ka = SortingDateKey(static_cast<std::uint32_t>(a));
    const std::uint32_t kb = SortingDateKey(static_cast<std::uint32_t>(b));
    return ka < kb ? -1 : ka > kb ? 1 : 0;
}

void FillCombo(win::HWND dialog, int id, const char* (*row)(int), int count) {
    for (int i = 0; i < count; ++i)
        win::SendDlgItemMessage(dialog, id, win::CB_ADDSTRING, 0, reinterpret_cast<win::LParam>(row(i)));
    win::SendDlgItemMessage(dialog, id, win::CB_SETCURSEL, 0, 0);
}

int ComboRow(win::HWND dialog, int id) {
    return static_cast<int>(win::SendDlgItemMessage(dialog, id, win::CB_GETCURSEL, 0, 0));
}

std::string Text(win::HWND dialog, int id) {
    std::string t = win::GetDlgItemText(dialog, id);
    if (t.size() > 512) t.resize(512);
    return t;
}

}  // namespace

int DaysInMonth(int month, int year) {
    switch (month) {
        case 4: case 6: case 9: case 11: return 30;
        case 2: return year % 4 == 0 ? 29 : 28;
        default: return 31;
    }
}

int CorrectLogbookYear(int year) {
    if (year >= 36 && year <= 69) return year < 54 ? 35 : 70;
    if (year < 0) return 0;
    if (year > 99) return 99;
    return year;
}

int StepDateField(int field, int value, int delta, int month, int year) {
    const int next = value + (delta > 0 ? 1 : delta < 0 ? -1 : 0);
    switch (field) {
        case 0: return next > 12 ? 1 : next < 1 ? 12 : next;
        case 1: {
            const int last = DaysInMonth(month, year);
            return next > last ? 1 : next < 1 ? last : next;
        }
        default:
            if (next > 99) return 0;
            if (next < 0) return 99;
            if (value >= 70 && next < 70) return 70;
            if (value <= 35 && next > 35 && next <= 69) return 35;
            return next;
    }
}

int LogbooksDialog::OnInitDialog(win::HWND dialog) {
    const int r = ui::Dialog::OnInitDialog(dialog);
    list = std::make_unique<ui::OwnerDrawListView>(
        win::WS_CHILD | win::WS_VISIBLE | win::LVS_REPORT | win::LVS_SINGLESEL |
            win::LVS_SHOWSELALWAYS | win::LVS_OWNERDRAWFIXED | win::LVS_NOSORTHEADER,
        66, 131, 507, 112, dialog, kLogbookDialogList, 9);
    list->Create();
    for (int c = 0; c < 9; ++c)
        list->InsertColumn(c, kLogbookDialogColumns[c].width, win::LVCFMT_LEFT,
                           kLogbookDialogColumns[c].title);
    if (pilot.LoadCurrent() == 0) pilot.entries.clear();
    win::SetDlgItemText(dialog, kPilotName, pilot.name);
    FillCombo(dialog, kAircraft, &GetAircraftName, kAircraftCodeCount);
    FillCombo(dialog, kCategory, &GetCategoryName, 2);
    FillCombo(dialog, kConditions, &GetConditionsName, 3);
    FillCombo(dialog, kPilotingTime, &GetPilotingTimeName, 3);
    // A new entry starts as the common flight, by day as pilot in command; the rows keep the
    // order the pilot file numbers them in.
    win::SendDlgItemMessage(dialog, kConditions, win::CB_SETCURSEL,
                            static_cast<win::WParam>(ParseConditions("Day")), 0);
    win::SendDlgItemMessage(dialog, kPilotingTime, win::CB_SETCURSEL,
                            static_cast<win::WParam>(ParsePilotingTime("Pilot-In-Command")), 0);
    const auto now = static_cast<std::time_t>(win::CalendarTime());
    std::tm today{};
    localtime_r(&now, &today);
    month = today.tm_mon + 1;
    day = today.tm_mday;
    year = CorrectLogbookYear(today.tm_year % 100);
    ShowDate();
    for (const LogbookEntry& e : pilot.entries) AddRow(e);
    SortRows();
    if (aircraftType >= 0 && aircraftType < kAircraftCodeCount)
        win::SendDlgItemMessage(dialog, kAircraft, win::CB_SETCURSEL, static_cast<win::WParam>(aircraftType), 0);
    win::SendDlgItemMessage(dialog, kSpin, win::UDM_SETRANGE, 0, win::MAKELONG(12, 1));
    win::SendDlgItemMessage(dialog, kSpin, win::UDM_SETPOS, 0, month);
    win::EnableWindow(win::GetDlgItem(dialog, kDelete), list->GetItemCount() > 0);
    ShowTotals();
    return r;
}

void LogbooksDialog::AddRow(const LogbookEntry& e) {
    const int row = list->GetItemCount();
    char date[40];
    std::snprintf(date, sizeof date, "%d/%d/%d", e.month, e.day, e.year);
    list->InsertItem(row, date, static_cast<win::LParam>(e.dateKey));
    char hours[32];
    std::snprintf(hours, sizeof hours, "%1.1f", static_cast<double>(e.duration));
    // An aircraft code no row matches is kept as its index and shown blank.
    const char* cells[8] = {GetAircraftCode(e.aircraft), e.from.c_str(),
                            e.to.c_str(), e.remarks.c_str(),
                            GetCategoryName(e.category), GetConditionsName(e.conditions),
                            GetPilotingTimeName(e.pilotingTime), hours};
    for (int c = 0; c < 8; ++c) list->SetItemText(row, c + 1, cells[c]);
}

void LogbooksDialog::SortRows() {
    list->SortItems(&CompareKeys, 0);
}

std::string LogbooksDialog::Cell(int row, int column) {
    char text[600] = {};
    list->GetItemText(row, column, text, sizeof text);
    return text;
}

void LogbooksDialog::ShowDate() {
    char t[16];
    std::snprintf(t, sizeof t, "%02d", month);
    win::SetDlgItemText(window, kMonth, t);
    std::snprintf(t, sizeof t, "%02d", day);
    win::SetDlgItemText(window, kDay, t);
    std::snprintf(t, sizeof t, "%02d", year);
    win::SetDlgItemText(window, kYear, t);
}

// The typed fields corrected: month 1..12, day within the month, a year no logbook keeps moved
// to the nearer end of the kept ones. Text that is no number counts as 0 and is corrected too.
void LogbooksDialog::ReadDate() {
    month = std::clamp(std::atoi(Text(window, kMonth).c_str()), 1, 12);
    year = CorrectLogbookYear(std::atoi(Text(window, kYear).c_str()));
    day = std::clamp(std::atoi(Text(window, kDay).c_str()), 1, DaysInMonth(month, year));
    ShowDate();
}

void LogbooksDialog::ShowTotals() {
    double totals[3] = {0, 0, 0};  // night, instrument, day
    for (int row = 0; row < list->GetItemCount(); ++row) {
        const int c = ParseConditions(Cell(row, 6));
        if (c < 3) totals[c] += ParseLogbookHours(Cell(row, 8));
    }
    const struct {
        int id;
        double value;
    } shown[4] = {{kTotalDay, totals[2]},
                  {kTotalNight, totals[0]},
                  {kTotalInstrument, totals[1]},
                  {kTotalAll, totals[0] + totals[1] + totals[2]}};
    for (const auto& s : shown) {
        char t[32];
        std::snprintf(t, sizeof t, "%1.1f", s.value);
        win::SetDlgItemText(window, s.id, t);
    }
}

void LogbooksDialog::AddFromFields() {
    ReadDate();
    // The duration as typed, in hours: a flight of no time, or more than a logbook keeps, or
    // text that is no plain number ("inf", "0x7fffffff") is no flight: nothing is added, and
    // the hours are asked for again, as typed.
    const std::optional<float> flown = TypedLogbookHours(Text(window, kDuration));
    if (!flown || !(*flown >= 0.05F)) {
        char ask[120];
        std::snprintf(ask, sizeof ask,
                      "Enter the hours flown, from 0.1 to %.1f (1.5 for an hour and a half).",
                      kLongestLogbookHours);
        ui::ShowMessageBox(window, ask, 16);
        win::SetFocus(win::GetDlgItem(window, kDuration));
        return;
    }
    // A logbook counts at most 32,767 flights: one more could not be saved.
    if (list->GetItemCount() >= kMaxLogbookEntries) {
        char full[160];
        std::snprintf(full, sizeof full,
                      "The logbook is full: it keeps at most %d flights. Delete a flight to add "
                      "another.",
                      kMaxLogbookEntries);
        ui::ShowMessageBox(window, full, 16);
        return;
    }
    char hours[32];
    std::snprintf(hours, sizeof hours, "%1.1f", static_cast<double>(*flown));
    win::SetDlgItemText(window, kDuration, hours);
    const int row = list->GetItemCount();
    char date[40];
    std::snprintf(date, sizeof date, "%d/%d/%d", month, day, year);
    list->InsertItem(row, date, static_cast<win::LParam>(MakeDateKey(month, day, year)));
    int aircraft = ComboRow(window, kAircraft);
    if (aircraft < 0) aircraft = 0;
    const auto comboText = [&](int id, const char* (*name)(int)) { return std::string(name(std::max(0, ComboRow(window, id)))); };
    const std::string cells[8] = {GetAircraftCode(aircraft),
                                  Text(window, kFrom),
                                  Text(window, kTo),
                                  Text(window, kRemarks),
                                  comboText(kCategory, &GetCategoryName),
                                  comboText(kConditions, &GetConditionsName),
                                  comboText(kPilotingTime, &GetPilotingTimeName),
                                  Text(window, kDuration)};
    for (int c = 0; c < 8; ++c) list->SetItemText(row, c + 1, cells[c].c_str());
    SortRows();
    ShowTotals();
    win::EnableWindow(win::GetDlgItem(window, kDelete), true);
}

void LogbooksDialog::ShowRow(int row) {
    const std::string date = Cell(row, 0);
    month = std::clamp(ParseEntryMonth(date), 1, 12);
    year = CorrectLogbookYear(ParseEntryYear(date));
    day = std::clamp(ParseEntryDay(date), 1, DaysInMonth(month, year));
    ShowDate();
    const int aircraft = ParseAircraftCode(Cell(row, 1));
    win::SendDlgItemMessage(window, kAircraft, win::CB_SETCURSEL, static_cast<win::WParam>(aircraft < kAircraftCodeCount ? aircraft : -1), 0);
    win::SetDlgItemText(window, kFrom, Cell(row, 2));
    win::SetDlgItemText(window, kTo, Cell(row, 3));
    win::SetDlgItemText(window, kRemarks, Cell(row, 4));
    win::SendDlgItemMessage(window, kCategory, win::CB_SETCURSEL, static_cast<win::WParam>(ParseCategory(Cell(row, 5))), 0);
    win::SendDlgItemMessage(window, kConditions, win::CB_SETCURSEL, static_cast<win::WParam>(ParseConditions(Cell(row, 6))), 0);
    win::SendDlgItemMessage(window, kPilotingTime, win::CB_SETCURSEL, static_cast<win::WParam>(ParsePilotingTime(Cell(row, 7))), 0);
    win::SetDlgItemText(window, kDuration, Cell(row, 8));
}

// The list, in its order (oldest first), becomes the pilot file's logbook in one replacement, so
// a failure keeps the old logbook whole.
void LogbooksDialog::Save() {
    if (pilot.name.empty()) {
        win::EndDialog(window, 1);
        return;
    }
    std::vector<LogbookEntry> entries;
    for (int row = 0; row < list->GetItemCount(); ++row) {
        LogbookEntry e;
        const std::string date = Cell(row, 0);
        e.month = static_cast<std::int16_t>(ParseEntryMonth(date));
        e.day = static_cast<std::int16_t>(ParseEntryDay(date));
        e.year = static_cast<std::int16_t>(ParseEntryYear(date));
        e.dateKey = MakeDateKey(e.month, e.day, e.year);
        e.aircraft = static_cast<std::int16_t>(ParseAircraftCode(Cell(row, 1)));
        e.from = Cell(row, 2).substr(0, kLogbookTextSize - 1);
        e.to = Cell(row, 3).substr(0, kLogbookTextSize - 1);
        e.remarks = Cell(row, 4).substr(0, kLogbookTextSize - 1);
        e.category = static_cast<std::int16_t>(ParseCategory(Cell(row, 5)));
        e.conditions = static_cast<std::int16_t>(ParseConditions(Cell(row, 6)));
        e.pilotingTime = static_cast<std::int16_t>(ParsePilotingTime(Cell(row, 7)));
        e.duration = ParseLogbookHours(Cell(row, 8));
        entries.push_back(e);
    }
    if (pilot.ReplaceLogbook(entries) == 0) {
        const std::uint32_t error = win::GetLastError();
        win::TraceLine("logbook: not saved for " + pilot.name + ": " + win::DescribeFileError(error));
        ui::ShowFileMessage(window, "The logbook could not be saved.",
                            ShownPilotPath(PilotPath(pilot.name)), error);
        // The dialog stays with the rows as they are, so nothing typed is lost: OK tries again,
        // Cancel leaves the file as it was.
        return;
    }
    win::TraceLine("logbook: saved " + std::to_string(entries.size()) + " entries for " + pilot.name);
    win::EndDialog(window, 1);
}

int LogbooksDialog::OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) {
    const int id = win::LOWORD(wParam);
    if (id == kMonth || id == kDay || id == kYear) {
        if (notifyCode == win::EN_SETFOCUS) {
            spinField = id == kMonth ? 0 : id == kDay ? 1 : 2;
            return 1;
        }
        if (notifyCode == win::EN_KILLFOCUS) {
            ReadDate();
            return 1;
        }
    }
    if (id == kDateFrame) {
        const std::uint32_t at = win::GetMessagePos();
        win::POINT p{static_cast<std::int16_t>(at & 0xFFFF), static_cast<std::int16_t>(at >> 16)};
        win::ScreenToClient(win::GetDlgItem(window, kDateFrame), &p);
        win::SetFocus(win::GetDlgItem(window, p.x < 28 ? kMonth : p.x >= 60 ? kYear : kDay));
        return 1;
    }
    switch (id) {
        case kAdd:
            AddFromFields();
            return 1;
        case kDelete: {
            const int row = list->GetFocusedItem();
            if (row >= 0) list->DeleteItem(row);
            win::EnableWindow(win::GetDlgItem(window, kDelete), list->GetItemCount() > 0);
            ShowTotals();
            return 1;
        }
        case win::IDOK:
            ReadDate();
            Save();
            return 1;
        case win::IDCANCEL:
        case ui::kCancelButtonId:
            win::EndDialog(window, 0);
            return 1;
        default:
            return ui::Dialog::OnCommand(notifyCode, wParam, control);
    }
}

win::LResult LogbooksDialog::OnNotify(int controlId, win::NMHDR* header) {
    if (header == nullptr) return 0;
    if (controlId == kSpin && header->code == win::UDN_DELTAPOS) {
        const auto* step = reinterpret_cast<win::NMUPDOWN*>(header);
        ReadDate();
        const int value = spinField == 0 ? month : spinField == 1 ? day : year;
        const int next = StepDateField(spinField, value, step->iDelta, month, year);
        (spinField == 0 ? month : spinField == 1 ? day : year) = next;
        day = std::min(day, DaysInMonth(month, year));
        ShowDate();
        return 1;  // the fields hold the value; the control's own position does not matter
    }
    if (controlId == kLogbookDialogList && list) {
        if (header->code == win::LVN_ITEMCHANGED) {
            const auto* change = reinterpret_cast<win::NMLISTVIEW*>(header);
            if ((change->uNewState & win::LVIS_SELECTED) != 0 && change->iItem >= 0) ShowRow(change->iItem);
        }
        return list->OnNotify(controlId, header);
    }
    return 0;
}

int LogbooksDialog::OnDrawItem(int controlId, win::DRAWITEMSTRUCT* item) {
    return list ? list->OnDrawItem(controlId, item) : 0;
}

int LogbooksDialog::OnMeasureItem(int controlId, win::MEASUREITEMSTRUCT* item) {
    return list ? list->OnMeasureItem(controlId, item) : 0;
}

}  // namespace planning
