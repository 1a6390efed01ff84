#include "nav/airports_wizard.h"

#include <algorithm>

#include "nav/atc_services.h"
#include "nav/dialog_controls.h"
#include "nav/map_pickers.h"
#include "nav/nav_host.h"
#include "nav/navaid_directory.h"
#include "win/controls.h"
#include "win/dialog.h"
#include "win/input.h"
#include "win/resource.h"

namespace nav {

namespace {

constexpr std::uint32_t kWizardHelp = 20059;
constexpr int kAirportList = 1045;
constexpr int kAirportTypeAhead = 1479;
constexpr int kRunwayList = 1059;
constexpr int kSituationCombo = 1958;
constexpr int kAtcBox = 1567;
constexpr int kAtcNote = 1568;
constexpr int kNextButton = 1717;
constexpr int kCancelButton = 1817;
constexpr std::size_t kTypeAheadLength = 50;
constexpr std::uint32_t kFirstSituationString = 15511;
// The chosen airport's panel: elevation, latitude, longitude, airspace, facilities, and the two
// lines of frequencies.
constexpr int kAirportPanel[] = {1067, 1307, 1308, 1790, 1791, 1173, 1181};
constexpr int kAirportPanelLine = 1173;

win::HINSTANCE ResourceLibrary() {
    return ui::theDialogHost.resourceLibrary ? ui::theDialogHost.resourceLibrary()
                                             : win::HINSTANCE{};
}


}  // namespace

int StartingSituation(int comboItem) {
    switch (comboItem) {
        case 1:
            return 9;
        case 2:
            return 8;
        case 3:
            return 6;
        case 4:
            return 25;
        default:
            return 3;
    }
}

// ---- The airports ----------------------------------------------------------------------------------

AirportsPage::AirportsPage(SmsDatabase* dir) : FakePropertyPage("AIRPORTS_PAGE", "Airports"), directory(dir) {}

// The row's text kept and, from the list, put into the type-ahead box; the airport shown. The
// chosen airport is the directory's airport row, which the runways page reads.
void AirportsPage::ShowRow(int row, bool fromList) {
    if (row < 0) {
        ShowNoAirport();
        return;
    }
    win::EnableWindow(win::GetDlgItem(win::GetParent(window), kNextButton), true);
    directory->SetSelectedRow(kSmsAirport, row);
    const std::string text = ListRowText(win::GetDlgItem(window, kAirportList), row);
    if (fromList) {
        typed = text.substr(0, kTypeAheadLength);
        win::SetDlgItemText(window, kAirportTypeAhead, typed);
        win::SendDlgItemMessage(window, kAirportTypeAhead, win::EM_SETSEL, 0, -1);
    }
    // The developers' stepping loads the airport the wizard chose by this text.
    if (theSmsDatabase.IsStepped()) theSmsDatabase.selectedAirportText = text;
    directory->ShowAirportInfo(window, row);
}

// No airport chosen (a place typed that has none): the panel is empty and says so, and the
// wizard cannot go on to a field the user never chose.
void AirportsPage::ShowNoAirport() {
    directory->SetSelectedRow(kSmsAirport, -1);
    for (const int id : kAirportPanel)
        win::SetDlgItemText(window, id, "");
    win::SetDlgItemText(window, kAirportPanelLine, "No airport chosen: choose one from the list.");
    win::EnableWindow(win::GetDlgItem(win::GetParent(window), kNextButton), false);
}

bool AirportsPage::HasAirport() const { return directory->SelectedRow(kSmsAirport) >= 0; }

int AirportsPage::OnInitDialog(win::HWND dialog) {
    window = dialog;
    directory->Open(dialog);
    directory->FillStationList(dialog, kSmsAirport);
    FakePropertyPage::OnInitDialog(dialog);
    SetHelpId(20020);
    win::SendDlgItemMessage(dialog, kAirportTypeAhead, win::EM_LIMITTEXT, kTypeAheadLength, 0);
    const int row = static_cast<int>(win::SendDlgItemMessage(dialog, kAirportList, win::LB_GETCURSEL, 0, 0));
    ShowRow(row, true);
    return 1;
}

int AirportsPage::OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) {
    const int id = win::LOWORD(wParam);
    const win::HWND list = win::GetDlgItem(window, kAirportList);
    switch (id) {
        case kAirportList:
            if (notifyCode == win::LBN_SELCHANGE) {
                const int row = static_cast<int>(win::SendMessage(list, win::LB_GETCURSEL, 0, 0));
                if (row >= 0) ShowRow(row, true);
            } else if (notifyCode == win::LBN_DBLCLK) {
                win::PostMessage(win::GetParent(window), win::WM_COMMAND, kNextButton, 0);
            }
            return 1;
        case kAirportTypeAhead: {
            if (notifyCode != win::EN_CHANGE ||
                win::SendDlgItemMessage(window, kAirportTypeAhead, win::EM_GETMODIFY, 0, 0) == 0)
                return 1;
            typed = win::GetDlgItemText(window, kAirportTypeAhead).substr(0, kTypeAheadLength);
            const auto row = SelectTypedStation(
                list, typed, [this](int r) { return directory->AirportRowRank(r); });
            if (row < 0) {
                // Text that names no airport leaves no row selected: nothing is shown or chosen.
                if (win::SendMessage(list, win::LB_GETCURSEL, 0, 0) < 0) ShowNoAirport();
                return 1;
            }
            win::SendMessage(list, win::LB_SETTOPINDEX, static_cast<win::WParam>(std::max(row - 1, 0)), 0);
            ShowRow(row, false);
            return 1;
        }
        case win::IDOK:
        case win::IDCANCEL:
        case kCancelButton:
            directory->SetSelectedRow(kSmsAirport,
                                      static_cast<int>(win::SendMessage(list, win::LB_GETCURSEL, 0, 0)));
            return 1;
        default:
            return FakePropertyPage::OnCommand(notifyCode, wParam, control);
    }
}

// ---- The runways ------------------------------------------------------------------------------------

RunwaysPage::RunwaysPage(SmsDatabase* dir) : FakePropertyPage("RUNWAY_PAGE", "Runways"), directory(dir) {}

int RunwaysPage::OnInitDialog(win::HWND dialog) {
    FakePropertyPage::OnInitDialog(dialog);
    SetHelpId(20032);
    if (directory != nullptr) {
        for (std::uint32_t id = kFirstSituationString; id < kFirstSituationString + 5; ++id) {
            std::string text;
            win::LoadString(ResourceLibrary(), id, &text);
            win::SendDlgItemMessage(dialog, kSituationCombo, win::CB_ADDSTRING, 0,
                                    reinterpret_cast<win::LParam>(text.c_str()));
        }
        win::SendDlgItemMessage(dialog, kSituationCombo, win::CB_SETCURSEL, 0, 0);
    }
    return 1;
}

void RunwaysPage::OnPageActivate(win::HWND, int) {
    // Reached only with an airport chosen (the wizard keeps its Next from a page without one).
    if (directory->SelectedRow(kSmsAirport) < 0) return;
    directory->FillRunwayList(window, directory->SelectedRow(kSmsAirport));
    win::SendDlgItemMessage(window, kRunwayList, win::LB_SETCURSEL, 0, 0);
    // ATC needs a tower to talk to. Without one the box is cleared and greyed, and the note
    // under it says why: a tick left from a towered field chosen before must not carry over.
    const bool towered = !FrequencyText(directory->CurrentAirport().tower).empty();
    if (!towered) win::CheckDlgButton(window, kAtcBox, win::BST_UNCHECKED);
    win::EnableWindow(win::GetDlgItem(window, kAtcBox), towered);
    win::SetDlgItemText(window, kAtcNote,
                        towered ? "" : "No control tower at this airport.");
}

void RunwaysPage::Finish() {
    theNavHost.setCursor(win::IDC_WAIT);
    const int chosen = static_cast<int>(win::SendDlgItemMessage(window, kRunwayList, win::LB_GETCURSEL, 0, 0));
    const std::vector<RunwayListEntry>& runways = directory->RunwayList();
    // An airport without runways starts nothing: the wizard ends as if cancelled.
    if (chosen < 0 || static_cast<std::size_t>(chosen) >= runways.size()) {
        theNavHost.setCursor(win::IDC_ARROW);
        return;
    }
    const RunwayListEntry& r = runways[static_cast<std::size_t>(chosen)];
    directory->positionX = r.x;
    directory->positionZ = r.z;
    directory->positionHeading = r.heading;
    directory->shownLength = r.length;
    directory->shownRunway = r.runway;
    directory->confirmed = 1;
    theAtcState.startPos = StartingSituation(
        static_cast<int>(win::SendDlgItemMessage(window, kSituationCombo, win::CB_GETCURSEL, 0, 0)));
    if (win::IsDlgButtonChecked(window, kAtcBox) == win::BST_CHECKED &&
        win::IsWindowEnabled(win::GetDlgItem(window, kAtcBox))) {
        theAtcState.enabledATC = 1;
    } else {
        if (IsAtcActive()) AtcReset();
        theAtcState.enabledATC = 0;
    }
    if (theSmsDatabase.IsStepped()) theSmsDatabase.LoadAirportRunways(chosen);
    theNavHost.setCursor(win::IDC_ARROW);
}

int RunwaysPage::OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) {
    switch (win::LOWORD(wParam)) {
        case kRunwayList:
            if (notifyCode == win::LBN_DBLCLK)
                win::PostMessage(win::GetParent(window), win::WM_COMMAND, kNextButton, 0);
            return 1;
        case win::IDOK:
            Finish();
            return 1;
        case win::IDCANCEL:
        case kCancelButton:
            return 1;
        default:
            return FakePropertyPage::OnCommand(notifyCode, wParam, control);
    }
}

// ---- The wizard --------------------------------------------------------------------------------------

AirportsWizard::AirportsWizard(SmsDatabase* directory)
    : FakePropertySheet("AIRPORTS_WIZBKGND", kPositionPaletteId),
      airportsPage(directory),
      runwaysPage(directory) {
    SetHelpId(kWizardHelp);
    helpButtonId = ui::kHelpButtonId;
    OpenSmsFileHandle();
    AddPage(&airportsPage);
    AddPage(&runwaysPage);
}

int AirportsWizard::NextPage() {
    // Not on to the runways without an airport, whatever pressed Next (Enter, a double click).
    if (currentPage == 0 && !airportsPage.HasAirport()) return 1;
    return FakePropertySheet::NextPage();
}

AirportsWizard::~AirportsWizard() {
    CloseSmsFileHandle();
}

int SmsDatabase::RunAirportsWizard(win::HWND parent) {
    confirmed = 0;
    stationChosen = 0;
    {
        AirportsWizard wizard(this);
        wizard.DoModal(parent);
    }
    Close();
    return confirmed;
}

}  // namespace nav
