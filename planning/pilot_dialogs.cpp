#include "planning/pilot_dialogs.h"

#include <cstdio>
#include <string>

#include "planning/pilot_file.h"
#include "ui/dialog_services.h"
#include "win/controls.h"
#include "win/dialog.h"
#include "win/file_api.h"
#include "win/program_entry.h"

namespace planning {
namespace {

constexpr int kNames = 1630;
constexpr int kDeleteButton = 1580;
constexpr std::uint32_t kStopIcon = 16;
// What a refused name is told: every character a name may hold.
constexpr char kPilotNameRefusal[] = "Pilot names may hold only letters, digits, blanks, - and _.";

std::string ComboText(win::HWND dialog, int row) {
    const auto length = win::SendDlgItemMessage(dialog, kNames, win::CB_GETLBTEXTLEN, static_cast<win::WParam>(row), 0);
    if (length < 0) return {};
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    win::SendDlgItemMessage(dialog, kNames, win::CB_GETLBTEXT, static_cast<win::WParam>(row),
                            reinterpret_cast<win::LParam>(text.data()));
    text.resize(text.find('\0'));
    return text;
}

}  // namespace

int SelectPilotDialog::OnInitDialog(win::HWND dialog) {
    const int r = ui::Dialog::OnInitDialog(dialog);
    PilotFile current;
    hadPilot = current.LoadCurrent() != 0;
    win::FindData found;
    const win::FindHandle search = win::FindFirstFile(PilotFolder() + "\\*.PLT", &found);
    if (search.IsValid()) {
        do {
            std::string pilot = found.fileName;
            if (pilot.size() > 4) pilot.resize(pilot.size() - 4);
            if ((found.fileAttributes & win::FILE_ATTRIBUTE_DIRECTORY) == 0 && IsValidPilotName(pilot))
                win::SendDlgItemMessage(dialog, kNames, win::CB_ADDSTRING, 0, reinterpret_cast<win::LParam>(pilot.c_str()));
        } while (win::FindNextFile(search, &found));
        win::FindClose(search);
    }
    if (!hadPilot) {
        win::EnableWindow(win::GetDlgItem(dialog, win::IDCANCEL), false);
        win::EnableWindow(win::GetDlgItem(dialog, ui::kCancelButtonId), false);
        if (win::SendDlgItemMessage(dialog, kNames, win::CB_FINDSTRINGEXACT, static_cast<win::WParam>(-1),
                                    reinterpret_cast<win::LParam>("Student")) < 0)
            win::SendDlgItemMessage(dialog, kNames, win::CB_ADDSTRING, 0, reinterpret_cast<win::LParam>("Student"));
        win::SendDlgItemMessage(dialog, kNames, win::CB_SETCURSEL, 0, 0);
    } else {
        const auto at = win::SendDlgItemMessage(dialog, kNames, win::CB_FINDSTRING, static_cast<win::WParam>(-1),
                                                reinterpret_cast<win::LParam>(current.name.c_str()));
        if (at >= 0) win::SendDlgItemMessage(dialog, kNames, win::CB_SETCURSEL, static_cast<win::WParam>(at), 0);
    }
    UpdateDeleteButton();
    return r;
}

void SelectPilotDialog::UpdateDeleteButton() {
    const auto count = win::SendDlgItemMessage(window, kNames, win::CB_GETCOUNT, 0, 0);
    win::EnableWindow(win::GetDlgItem(window, kDeleteButton), count >= 2);
}

void SelectPilotDialog::Choose() {
    const auto row = win::SendDlgItemMessage(window, kNames, win::CB_GETCURSEL, 0, 0);
    std::string pilot = row >= 0 && !typedName ? ComboText(window, static_cast<int>(row)) : win::GetDlgItemText(window, kNames);
    if (pilot.size() > 512) pilot.resize(512);
    // Blanks around a typed name are no part of it: " Jo " is Jo, and a name of blanks is none.
    const std::size_t first = pilot.find_first_not_of(' ');
    pilot = first == std::string::npos ? std::string() : pilot.substr(first, pilot.find_last_not_of(' ') - first + 1);
    if (pilot.size() > kPilotNameLimit) {
        ui::ShowMessageBox(window, "Pilot names may be at most 64 characters long.", kStopIcon);
        return;
    }
    // A refused name is said once, and the dialog stays for another.
    if (!pilot.empty() && !IsValidPilotName(pilot)) {
        ui::ShowMessageBox(window, kPilotNameRefusal, kStopIcon);
        return;
    }
    if (pilot.empty()) {
        ui::ShowMessageBox(window, "You Must Select a Pilot.", kStopIcon);
        return;
    }
    PilotFile chosen;
    if (chosen.SelectPilot(pilot) == 0) {
        TellPilotFailure(window, chosen, "The pilot file %s could not be made.");
        return;
    }
    win::TraceLine("pilot: " + pilot);
    TellPilotLoad(window, chosen);
    for (const std::string& gone : deleted)
        if (gone != pilot) win::DeleteFile(PilotPath(gone));
    win::EndDialog(window, 1);
}

int SelectPilotDialog::OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) {
    const int id = win::LOWORD(wParam);
    // A typed name is the choice, not the row that was selected before typing.
    if (id == kNames && (notifyCode == win::CBN_EDITCHANGE || notifyCode == win::CBN_SELCHANGE)) {
        typedName = notifyCode == win::CBN_EDITCHANGE;
        return 1;
    }
    if (id == kDeleteButton) {
        const auto row = win::SendDlgItemMessage(window, kNames, win::CB_GETCURSEL, 0, 0);
        if (row >= 0) {
            deleted.push_back(ComboText(window, static_cast<int>(row)));
            win::SendDlgItemMessage(window, kNames, win::CB_DELETESTRING, static_cast<win::WParam>(row), 0);
            win::SendDlgItemMessage(window, kNames, win::CB_SETCURSEL, 0, 0);
        }
        UpdateDeleteButton();
        return 1;
    }
    if (id == win::IDOK) {
        Choose();
        return 1;
    }
    if (id == win::IDCANCEL || id == ui::kCancelButtonId) {
        PilotFile current;
        if (current.LoadCurrent() == 0) {
            ui::ShowMessageBox(window, "You Must Select a Pilot.", kStopIcon);
            return 1;
        }
        win::EndDialog(window, 0);
        return 1;
    }
    return ui::Dialog::OnCommand(notifyCode, wParam, control);
}

void TellPilotFailure(win::HWND owner, const PilotFile& pilot, const char* sentence) {
    char text[700];
    const std::string file = ShownPilotPath(pilot.failedFile);
    const std::string noFile = win::DescribeNoPlainFile(pilot.failedFile);
    if (pilot.damagedFile && pilot.failedFile == CurrentPilotPath() &&
        pilot.failedError == win::ERROR_FILE_INVALID) {
        // A plain file that names no pilot: the choice is written over it.
        win::TraceLine("pilot: " + file + " is damaged");
        std::snprintf(text, sizeof text,
                      "The file %s, which names the current pilot, cannot be read: it is empty or "
                      "damaged. Choose a pilot, or type a new name to make a new one; the file "
                      "will name the pilot chosen.",
                      file.c_str());
        ui::ShowMessageBox(owner, text, kStopIcon);
        return;
    }
    if (pilot.damagedFile && pilot.failedFile == CurrentPilotPath()) {
        win::TraceLine("pilot: " + file + " is damaged");
        const std::string why = win::DescribeFileErrorAt(pilot.failedFile, pilot.failedError);
        std::snprintf(text, sizeof text,
                      "The file %s, which names the current pilot, cannot be read: %s. It is kept "
                      "as it is, and the pilot chosen now is not remembered for the next start. "
                      "Choose a pilot, or type a new name to make a new one.",
                      file.c_str(), why.c_str());
        ui::ShowMessageBox(owner, text, kStopIcon);
        return;
    }
    if (pilot.damagedFile && !noFile.empty()) {
        win::TraceLine("pilot: " + file + ": " + noFile);
        std::snprintf(text, sizeof text,
                      "The pilot file %s cannot be read: %s. It is kept as it is. Choose another "
                      "pilot, or type a new name to make a new one.",
                      file.c_str(), noFile.c_str());
        ui::ShowMessageBox(owner, text, kStopIcon);
        return;
    }
    if (pilot.damagedFile) {
        win::TraceLine("pilot: " + file + " is damaged");
        std::snprintf(text, sizeof text,
                      "The pilot file %s is damaged and cannot be read; it is kept as it is. "
                      "Choose another pilot, or type a new name to make a new one.",
                      file.c_str());
        ui::ShowMessageBox(owner, text, kStopIcon);
        return;
    }
    win::TraceLine("pilot: " + file + ": " + win::DescribeFileError(pilot.failedError));
    ui::ShowFileMessage(owner, sentence, file, pilot.failedError);
}

void TellPilotLoad(win::HWND owner, PilotFile& pilot) {
    if (!pilot.repairedFile && pilot.uncounted.empty()) return;
    const std::string file = ShownPilotPath(PilotPath(pilot.name));
    const std::size_t kept = pilot.entries.size() + pilot.UncountedEntries();
    if (pilot.repairedFile && pilot.Save() == 0) {
        TellPilotFailure(owner, pilot, "The pilot file %s could not be saved.");
        return;
    }
    char text[700];
    if (pilot.uncounted.empty()) {
        std::snprintf(text, sizeof text,
                      "The pilot file %s counted %d logbook entries but holds %zu; it was repaired "
                      "and keeps all %zu.",
                      file.c_str(), pilot.countRead, kept, kept);
        win::TraceLine("pilot: " + file + " repaired");
    } else {
        // The count cannot say more: the user learns why the logbook shows only part of the file.
        std::snprintf(text, sizeof text,
                      "The pilot file %s holds %zu logbook entries, more than the %d a logbook can "
                      "count. The logbook shows the first %d; the file keeps the other %zu as they "
                      "are.",
                      file.c_str(), kept, kMaxLogbookEntries, kMaxLogbookEntries,
                      pilot.UncountedEntries());
        win::TraceLine("pilot: " + file + " holds more entries than a logbook counts");
    }
    ui::ShowMessageBox(owner, text, ui::MB_ICONEXCLAMATION);
}

int RunSelectPilotDialog(win::HWND parent) {
    SelectPilotDialog dialog;
    return static_cast<int>(dialog.DoModal(parent));
}

}  // namespace planning
