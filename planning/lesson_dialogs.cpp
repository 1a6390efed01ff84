#include "planning/lesson_dialogs.h"

#include "planning/lesson_controller.h"
#include "planning/lesson_script.h"
#include "win/controls.h"
#include "win/dialog.h"

namespace planning {
namespace {

constexpr int kList = 1802;
constexpr int kText = 1804;
// More manoeuvres than this are not looked for.
constexpr int kManeuverLimit = 100;

}  // namespace

int FlightManeuverDialog::OnInitDialog(win::HWND dialog) {
    const int r = ui::Dialog::OnInitDialog(dialog);
    for (int n = 0; n < kManeuverLimit; ++n) {
        const std::optional<std::string> title = LoadManeuverLesson(n);
        if (!title) break;
        win::SendDlgItemMessage(dialog, kList, win::LB_ADDSTRING, 0, reinterpret_cast<win::LParam>(title->c_str()));
    }
    win::SendDlgItemMessage(dialog, kList, win::LB_SETCURSEL, static_cast<win::WParam>(chosen), 0);
    win::SetDlgItemText(dialog, kText, "");
    return r;
}

int FlightManeuverDialog::OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) {
    const int id = win::LOWORD(wParam);
    if (id == kList && (notifyCode == win::LBN_SELCHANGE || notifyCode == win::LBN_DBLCLK)) {
        const auto row = static_cast<int>(win::SendDlgItemMessage(window, kList, win::LB_GETCURSEL, 0, 0));
        if (row >= 0) chosen = row;
        return 1;
    }
    if (id == win::IDOK) {
        const auto count = static_cast<int>(win::SendDlgItemMessage(window, kList, win::LB_GETCOUNT, 0, 0));
        if (chosen < 0 || chosen >= count) return 1;
        win::EndDialog(window, theLessonController.LoadManeuverScript(chosen) != 0 ? 1 : 0);
        return 1;
    }
    if (id == win::IDCANCEL || id == ui::kCancelButtonId) {
        win::EndDialog(window, 0);
        return 1;
    }
    return ui::Dialog::OnCommand(notifyCode, wParam, control);
}

}  // namespace planning
