#include "planning/pilot_status_dialog.h"

#include "planning/lesson_script.h"
#include "planning/pilot_file.h"
#include "win/controls.h"
#include "win/dialog.h"
#include "win/resource.h"

namespace planning {
namespace {

constexpr int kPilotStatusDialogList = 1624;
constexpr const char* kMarkNames[4] = {"GREENCHECK", "GRAYCHECK", "REDX", "NOCHECK"};
// More manoeuvres than this are not looked for.
constexpr int kPilotStatusDialogManeuverLimit = 100;
constexpr int kTextX = 22;
constexpr int kMarkSize = 16;

int MarkIndex(int status) {
    return status >= 0 && status <= 2 ? status : 3;
}

}  // namespace

const char* ManeuverStatusBitmapName(int status) {
    return kMarkNames[MarkIndex(status)];
}

int PilotStatusDialog::OnInitDialog(win::HWND dialog) {
    const int r = ui::Dialog::OnInitDialog(dialog);
    const win::HINSTANCE library =
        ui::theDialogHost.resourceLibrary ? ui::theDialogHost.resourceLibrary() : win::HINSTANCE{};
    for (int i = 0; i < 4; ++i)
        marks[static_cast<std::size_t>(i)] = win::LoadBitmap(library, kMarkNames[i]);
    // Rows as tall as a mark, with a pixel above and below it.
    win::SendDlgItemMessage(dialog, kPilotStatusDialogList, win::LB_SETITEMHEIGHT, 0,
                            kMarkSize + 2);
    // Each manoeuvre's result as the current pilot's file keeps it; no pilot, none flown.
    PilotFile pilot;
    const bool hasPilot = pilot.LoadCurrent() != 0;
    for (int n = 0; n < kPilotStatusDialogManeuverLimit; ++n) {
        const std::optional<std::string> title = LoadManeuverLesson(n);
        if (!title) break;
        const auto row = win::SendDlgItemMessage(dialog, kPilotStatusDialogList, win::LB_ADDSTRING,
                                                 0, reinterpret_cast<win::LParam>(title->c_str()));
        const int result = hasPilot ? pilot.ManeuverResult(n) : -1;
        const win::HBITMAP mark = marks[static_cast<std::size_t>(MarkIndex(result))];
        win::SendDlgItemMessage(dialog, kPilotStatusDialogList, win::LB_SETITEMDATA,
                                static_cast<win::WParam>(row), static_cast<win::LParam>(mark.id));
    }
    return r;
}

int PilotStatusDialog::OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) {
    const int id = win::LOWORD(wParam);
    if (id == win::IDOK || id == win::IDCANCEL || id == ui::kCancelButtonId) {
        win::EndDialog(window, id == win::IDOK ? 1 : 0);
        return 1;
    }
    return ui::Dialog::OnCommand(notifyCode, wParam, control);
}

// A row: its mark in a white square at the left, the title beside it in the list's colours.
int PilotStatusDialog::OnDrawItem(int controlId, win::DRAWITEMSTRUCT* item) {
    if (controlId != kPilotStatusDialogList || item == nullptr ||
        static_cast<int>(item->itemID) < 0 ||
        (item->itemAction != win::ODA_DRAWENTIRE && item->itemAction != win::ODA_SELECT))
        return 0;
    const bool selected = (item->itemState & win::ODS_SELECTED) != 0;
    win::SetBkColor(item->hDC, win::GetSysColor(selected ? win::COLOR_HIGHLIGHT : win::COLOR_WINDOW));
    win::SetTextColor(item->hDC,
                      win::GetSysColor(selected ? win::COLOR_HIGHLIGHTTEXT : win::COLOR_WINDOWTEXT));
    win::FillRect(item->hDC, &item->rcItem, win::HBRUSH{win::GetStockObject(win::WHITE_BRUSH).id});
    const win::HBITMAP mark{static_cast<std::uint32_t>(item->itemData)};
    win::BITMAP size;
    if (mark && win::GetObject(mark, &size)) {
        const win::HDC source = win::CreateCompatibleDC(item->hDC);
        const win::HBITMAP old = win::SelectObject(source, mark);
        win::BitBlt(item->hDC, item->rcItem.left, item->rcItem.top, size.bmWidth, size.bmHeight,
                    source, 0, 0, win::SRCCOPY);
        win::SelectObject(source, old);
        win::DeleteDC(source);
    }
    const auto length = win::SendMessage(item->hwndItem, win::LB_GETTEXTLEN, item->itemID, 0);
    std::string title(static_cast<std::size_t>(length > 0 ? length : 0) + 1, '\0');
    win::SendMessage(item->hwndItem, win::LB_GETTEXT, item->itemID,
                     reinterpret_cast<win::LParam>(title.data()));
    title.resize(title.find('\0'));
    win::SIZE text;
    win::GetTextExtentPoint32(item->hDC, title, &text);
    win::SetBkMode(item->hDC, win::OPAQUE);  // the title on the list's (or selection's) colour
    win::TextOut(item->hDC, item->rcItem.left + kTextX,
                 (item->rcItem.bottom - text.cy + item->rcItem.top) / 2, title);
    if (selected) {
        const win::RECT focus{item->rcItem.left, item->rcItem.top, item->rcItem.left + kMarkSize,
                              item->rcItem.top + kMarkSize};
        win::DrawFocusRect(item->hDC, &focus);
    }
    return 1;
}

int PilotStatusDialog::OnDestroy() {
    for (win::HBITMAP& mark : marks) {
        if (mark) win::DeleteObject(mark);
        mark = win::HBITMAP{};
    }
    return ui::Dialog::OnDestroy();
}

}  // namespace planning
