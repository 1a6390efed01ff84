#include "planning/lesson_dialogs.h"

#include <algorithm>

#include "planning/lesson_controller.h"
#include "planning/lesson_script.h"
#include "planning/pilot_dialogs.h"
#include "planning/pilot_file.h"
#include "win/controls.h"
#include "win/dialog.h"

namespace planning {
namespace {

constexpr int kLessonDialogsDescription = 1967;
constexpr int kNextLesson = 1601;
constexpr int kPreviousLesson = 1580;
constexpr int kStartNow = 1723;
constexpr int kLessonDialogsList = 1802;
constexpr int kText = 1804;
// More manoeuvres than this are not looked for.
constexpr int kManeuverLimit = 100;

}  // namespace

int FltLessonPreflight::OnInitDialog(win::HWND dialog) {
    const int r = ui::Dialog::OnInitDialog(dialog);
    PilotFile pilot;
    lesson = pilot.LoadCurrent() != 0 ? std::max(1, pilot.LessonNumber()) : 1;
    win::CheckDlgButton(dialog, kStartNow, win::BST_CHECKED);
    ShowDescription();
    return r;
}

// The lesson shown is the nearest one at or below the number that has a description.
void FltLessonPreflight::ShowDescription() {
    std::string text;
    const int found = LoadLessonDescription(&text, lesson);
    if (found > 0) lesson = found;
    win::SetDlgItemText(window, kLessonDialogsDescription, text);
}

int FltLessonPreflight::OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) {
    switch (win::LOWORD(wParam)) {
        case kNextLesson:
            ++lesson;
            ShowDescription();
            return 1;
        case kPreviousLesson:
            lesson = std::max(1, lesson - 1);
            ShowDescription();
            return 1;
        case win::IDOK: {
            PilotFile pilot;
            if (lesson != 0 && pilot.LoadCurrent() != 0) {
                pilot.SetLessonNumber(lesson);
                if (pilot.Save() == 0)
                    TellPilotFailure(window, pilot, "The pilot file %s could not be saved.");
            }
            startNow = win::IsDlgButtonChecked(window, kStartNow) == win::BST_CHECKED ? 1 : 0;
            win::EndDialog(window, 1);
            return 1;
        }
        case win::IDCANCEL:
        case ui::kCancelButtonId:
            win::EndDialog(window, 0);
            return 1;
        default:
            return ui::Dialog::OnCommand(notifyCode, wParam, control);
    }
}

int FlightManeuverDialog::OnInitDialog(win::HWND dialog) {
    const int r = ui::Dialog::OnInitDialog(dialog);
    for (int n = 0; n < kManeuverLimit; ++n) {
        const std::optional<std::string> title = LoadManeuverLesson(n);
        if (!title) break;
        win::SendDlgItemMessage(dialog, kLessonDialogsList, win::LB_ADDSTRING, 0,
                                reinterpret_cast<win::LParam>(title->c_str()));
    }
    win::SendDlgItemMessage(dialog, kLessonDialogsList, win::LB_SETCURSEL,
                            static_cast<win::WParam>(chosen), 0);
    win::SetDlgItemText(dialog, kText, LoadManeuverDescription(chosen));
    return r;
}

int FlightManeuverDialog::OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) {
    const int id = win::LOWORD(wParam);
    if (id == kLessonDialogsList &&
        (notifyCode == win::LBN_SELCHANGE || notifyCode == win::LBN_DBLCLK)) {
        const auto row = static_cast<int>(
            win::SendDlgItemMessage(window, kLessonDialogsList, win::LB_GETCURSEL, 0, 0));
        if (row >= 0) {
            chosen = row;
            win::SetDlgItemText(window, kText, LoadManeuverDescription(chosen));
        }
        return 1;
    }
    if (id == win::IDOK) {
        const auto count = static_cast<int>(
            win::SendDlgItemMessage(window, kLessonDialogsList, win::LB_GETCOUNT, 0, 0));
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
