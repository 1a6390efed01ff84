// The date-and-time dialog: the zone mode, the manual zone and six two-digit fields that the
// up-downs step with wrap-around; the fields show UTC in UTC mode and local time otherwise.
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "ui/dialog_helpers.h"
#include "ui/option_dialogs.h"
#include "ui/ui_services.h"
#include "win/controls.h"
#include "win/timing.h"

namespace ui {

using namespace optiondialogs;

int ClampTwoDigitYear(int year) {
    if (year < 0) return 0;
    if (year > 99) return 99;
    if (year >= 36 && year <= 53) return 35;
    if (year >= 54 && year <= 69) return 70;
    return year;
}

namespace {

struct Range {
    int low, high;
};

bool IsTimeField(int f) {
    return f <= DateAndTimeDialog::kSecond;
}

}  // namespace

DateAndTimeDialog::DateAndTimeDialog(DialogClock& t) : Dialog("TimeDate", 550), time(t) {}

int DateAndTimeDialog::Clamped(Field f, int v) const {
    switch (f) {
        case kHour:
            return std::clamp(v, 0, 23);
        case kMinute:
        case kSecond:
            return std::clamp(v, 0, 59);
        case kMonth:
            return std::clamp(v, 1, 12);
        case kDay:
            return std::clamp(v, 1, MonthLength(fields[kMonth], fields[kYear]));
        default:
            return ClampTwoDigitYear(v);
    }
}

int DateAndTimeDialog::Stepped(Field f, int delta) const {
    const int v = fields[f];
    auto wrap = [](int x, int low, int high) {
        const int n = high - low + 1;
        return low + ((x - low) % n + n) % n;
    };
    switch (f) {
        case kHour:
            return wrap(v + delta, 0, 23);
        case kMinute:
        case kSecond:
            return wrap(v + delta, 0, 59);
        case kMonth:
            return wrap(v + delta, 1, 12);
        case kDay:
            return wrap(v + delta, 1, MonthLength(fields[kMonth], fields[kYear]));
        default: {
            const int next = wrap(v + delta, 0, 99);
            // The years 2036 to 1969 do not exist here: stepping into the gap stops at its edge.
            if (delta < 0 && v >= 70 && next < 70 && next > 35) return 70;
            if (delta > 0 && v < 36 && next > 35 && next < 70) return 35;
            return ClampTwoDigitYear(next);
        }
    }
}

DateAndTimeDialog::Field DateAndTimeDialog::FieldAt(int displayId, int x) {
    const bool timeDisplay = displayId == kTimeDisplay;
    if (x >= 60) return timeDisplay ? kSecond : kYear;
    if (x >= 28) return timeDisplay ? kMinute : kDay;
    return timeDisplay ? kHour : kMonth;
}

int DateAndTimeDialog::ZoneOffset() const {
    const int mode = ComboSelection(window, kModeCombo);
    if (mode == 1) return std::clamp(ComboSelection(window, kZoneCombo), 0, 3) + firstZone;
    if (mode == 2) return time.GetAutoZone();
    return 0;
}

void DateAndTimeDialog::ShowField(Field f) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d", fields[f]);
    win::SetDlgItemText(window, kFieldIds[f], text);
}

void DateAndTimeDialog::SetField(Field f, int value) {
    fields[f] = value;
    ShowField(f);
    // A shorter month or a year without 29 February takes the day back into the month.
    if ((f == kMonth || f == kYear) && fields[kDay] > MonthLength(fields[kMonth], fields[kYear])) {
        fields[kDay] = MonthLength(fields[kMonth], fields[kYear]);
        ShowField(kDay);
    }
}

void DateAndTimeDialog::FocusField(Field f) {
    focused = f;
    const Range ranges[kFieldCount] = {
        {0, 23}, {0, 59}, {0, 59}, {1, 12}, {1, MonthLength(fields[kMonth], fields[kYear])},
        {0, 99}};
    win::HWND upDown = win::GetDlgItem(window, IsTimeField(f) ? kTimeUpDown : kDateUpDown);
    win::SendMessage(upDown, win::UDM_SETRANGE, 0,
                     win::MAKELPARAM(static_cast<std::uint16_t>(ranges[f].high),
                                     static_cast<std::uint16_t>(ranges[f].low)));
    win::SendMessage(upDown, win::UDM_SETPOS, 0,
                     win::MAKELPARAM(static_cast<std::uint16_t>(fields[f]), 0));
    win::SendMessage(upDown, win::UDM_SETBUDDY, win::GetDlgItem(window, kFieldIds[f]).id, 0);
}

void DateAndTimeDialog::ReadField(Field f) {
    bool ok = false;
    const int typed = ParseNumber(win::GetWindowText(win::GetDlgItem(window, kFieldIds[f])), &ok);
    SetField(f, Clamped(f, ok ? typed : 0));
}

int DateAndTimeDialog::OnInitDialog(win::HWND dialog) {
    const int r = Dialog::OnInitDialog(dialog);
    BeginOptionDialog(*this, 20003);
    const int mode = std::clamp(time.GetZoneMode(), 0, 2);
    FillCombo(dialog, kModeCombo, {"UTC Time", "Manual Local Time", "Automatic Local Time"}, mode);
    // The zones are named, and their hours counted, as they stand at the clock's date.
    const ClockReading t = time.ReadClock(mode == 0);
    const bool daylight = UsDaylightTimeInForce(t.year % 100, t.mon + 1, t.mday);
    firstZone = daylight ? 4 : 5;
    const char* const kind = daylight ? " Daylight Time" : " Standard Time";
    std::vector<std::string> zones;
    for (const char* name : {"Eastern", "Central", "Mountain", "Pacific"})
        zones.push_back(name + std::string(kind));
    FillCombo(dialog, kZoneCombo,
              {zones[0].c_str(), zones[1].c_str(), zones[2].c_str(), zones[3].c_str()},
              std::clamp(time.GetManualZone() - firstZone, 0, 3));
    ShowAutoZone();
    win::EnableWindow(win::GetDlgItem(dialog, kZoneCombo), mode == 1);
    offsetInUse = ZoneOffset();
    fields = {t.hour, t.min, t.sec, t.mon + 1, t.mday, ClampTwoDigitYear(t.year % 100)};
    for (int f = 0; f < kFieldCount; ++f) {
        win::SendMessage(win::GetDlgItem(dialog, kFieldIds[f]), win::EM_LIMITTEXT, 2, 0);
        ShowField(static_cast<Field>(f));
    }
    for (int i = 0; i < 2; ++i) {
        win::HWND display = win::GetDlgItem(dialog, i == 0 ? kTimeDisplay : kDateDisplay);
        if (!display) continue;
        oldDisplayProc[i] =
            reinterpret_cast<win::WNDPROC>(win::GetWindowLong(display, win::GWL_WNDPROC));
        win::SetWindowLong(display, win::GWL_WNDPROC,
                           reinterpret_cast<win::LParam>(&DateAndTimeDialog::DisplayProc));
    }
    FocusField(kHour);
    return r;
}

int DateAndTimeDialog::OnDestroy() {
    for (int i = 0; i < 2; ++i) {
        win::HWND display = win::GetDlgItem(window, i == 0 ? kTimeDisplay : kDateDisplay);
        if (display && oldDisplayProc[i])
            win::SetWindowLong(display, win::GWL_WNDPROC,
                               reinterpret_cast<win::LParam>(oldDisplayProc[i]));
    }
    return Dialog::OnDestroy();
}

win::LResult DateAndTimeDialog::DisplayProc(win::HWND h, std::uint32_t m, win::WParam w,
                                            win::LParam l) {
    auto* self = reinterpret_cast<DateAndTimeDialog*>(
        win::GetWindowLong(win::GetParent(h), win::GWL_USERDATA));
    const int id = win::GetDlgCtrlID(h);
    if (self == nullptr) return win::DefWindowProc(h, m, w, l);
    if (m == win::WM_LBUTTONDOWN) {
        win::SetFocus(win::GetDlgItem(self->window, kFieldIds[FieldAt(id, win::GET_X_LPARAM(l))]));
        return 0;
    }
    const win::WNDPROC old = self->oldDisplayProc[id == kTimeDisplay ? 0 : 1];
    return old ? win::CallWindowProc(old, h, m, w, l) : win::DefWindowProc(h, m, w, l);
}

win::LResult DateAndTimeDialog::OnNotify(int controlId, win::NMHDR* header) {
    if (header == nullptr || header->code != win::UDN_DELTAPOS) return 0;
    if (controlId != kTimeUpDown && controlId != kDateUpDown) return 0;
    auto* step = reinterpret_cast<win::NMUPDOWN*>(header);
    Field f = static_cast<Field>(focused);
    // An up-down serves the field of its own row that last had the focus.
    if (IsTimeField(f) != (controlId == kTimeUpDown)) f = controlId == kTimeUpDown ? kHour : kMonth;
    const int next = Stepped(f, step->iDelta > 0 ? 1 : -1);
    SetField(f, next);
    // The up-down's position is set so that its own step lands on the value just shown.
    win::SendMessage(win::GetDlgItem(window, controlId), win::UDM_SETPOS, 0,
                     win::MAKELPARAM(static_cast<std::uint16_t>(next), 0));
    step->iDelta = 0;
    return 0;
}

void DateAndTimeDialog::StepDay(int days) {
    int day = fields[kDay] + days, month = fields[kMonth], year = fields[kYear];
    if (day < 1) {
        if (--month < 1) {
            month = 12;
            year = year == 0 ? 99 : year - 1;
        }
        day = MonthLength(month, year);
    } else if (day > MonthLength(month, year)) {
        day = 1;
        if (++month > 12) {
            month = 1;
            year = year == 99 ? 0 : year + 1;
        }
    }
    // The first and last days the two-digit year can hold keep their date.
    if (ClampTwoDigitYear(year) != year) return;
    fields[kYear] = year;
    fields[kMonth] = month;
    fields[kDay] = day;
    for (Field f : {kMonth, kDay, kYear})
        ShowField(f);
}

// In automatic local time the greyed zone box names the place's zone, not the manual one. Its
// name is a fifth row, there only in that mode: the place may keep a zone none of the four rows
// names at the date (Arizona keeps Mountain Standard Time in summer).
void DateAndTimeDialog::ShowAutoZone() {
    constexpr int kPlaceRow = 4;
    const auto count = win::SendDlgItemMessage(window, kZoneCombo, win::CB_GETCOUNT, 0, 0);
    if (count > kPlaceRow)
        win::SendDlgItemMessage(window, kZoneCombo, win::CB_DELETESTRING, kPlaceRow, 0);
    const int row = std::clamp(time.GetAutoZone() - firstZone, 0, 3);
    if (ComboSelection(window, kModeCombo) != 2) {
        // Leaving automatic local time, the manual choice starts at the place's row.
        const int selected = ComboSelection(window, kZoneCombo);
        if (selected < 0 || selected >= kPlaceRow)
            win::SendDlgItemMessage(window, kZoneCombo, win::CB_SETCURSEL,
                                    static_cast<win::WParam>(row), 0);
        return;
    }
    const std::string name = time.GetAutoZoneName();
    win::SendDlgItemMessage(window, kZoneCombo, win::CB_ADDSTRING, 0,
                            reinterpret_cast<win::LParam>(name.c_str()));
    win::SendDlgItemMessage(window, kZoneCombo, win::CB_SETCURSEL, kPlaceRow, 0);
}

void DateAndTimeDialog::OnZoneChanged() {
    const int mode = ComboSelection(window, kModeCombo);
    win::EnableWindow(win::GetDlgItem(window, kZoneCombo), mode == 1);
    ShowAutoZone();
    const int offset = ZoneOffset();
    // The fields show the same moment in the new zone: the hour moves, and the date with it
    // when the hour passes midnight (so OK leaves the clock where it was).
    const int hour = fields[kHour] + offsetInUse - offset;
    SetField(kHour, (hour % 24 + 24) % 24);
    if (hour < 0) StepDay(-1);
    if (hour > 23) StepDay(1);
    offsetInUse = offset;
}

void DateAndTimeDialog::Apply() {
    for (int f = 0; f < kFieldCount; ++f)
        ReadField(static_cast<Field>(f));
    const int mode = std::clamp(ComboSelection(window, kModeCombo), 0, 2);
    time.SetZoneMode(mode);
    if (mode == 1)
        time.SetManualZone(std::clamp(ComboSelection(window, kZoneCombo), 0, 3) + firstZone);
    ClockReading t;
    t.hour = fields[kHour];
    t.min = fields[kMinute];
    t.sec = fields[kSecond];
    t.mon = fields[kMonth] - 1;
    t.mday = fields[kDay];
    t.year = fields[kYear] < 70 ? fields[kYear] + 100 : fields[kYear];
    if (mode != 0) time.ApplyZoneMode();
    time.SetClock(t, mode == 0);
    if (theUiServices.syncSky) theUiServices.syncSky();
}

int DateAndTimeDialog::OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) {
    const int id = win::LOWORD(wParam);
    if (EndButtons(*this, wParam, [this] { Apply(); })) return 1;
    for (int f = 0; f < kFieldCount; ++f) {
        if (id != kFieldIds[f]) continue;
        if (notifyCode == win::EN_SETFOCUS)
            FocusField(static_cast<Field>(f));
        else if (notifyCode == win::EN_KILLFOCUS)
            ReadField(static_cast<Field>(f));
        return 1;
    }
    if (id == kModeCombo || (id == kZoneCombo && notifyCode == win::CBN_SELCHANGE)) {
        OnZoneChanged();
        return 1;
    }
    if (id == kNowButton && notifyCode == win::BN_CLICKED) {
        const auto now = static_cast<std::time_t>(win::CalendarTime());
        std::tm local{};
        localtime_r(&now, &local);
        fields = {local.tm_hour,    local.tm_min,  std::min(local.tm_sec, 59),
                  local.tm_mon + 1, local.tm_mday, ClampTwoDigitYear(local.tm_year % 100)};
        for (int f = 0; f < kFieldCount; ++f)
            ShowField(static_cast<Field>(f));
        return 1;
    }
    return Dialog::OnCommand(notifyCode, wParam, control);
}

}  // namespace ui
