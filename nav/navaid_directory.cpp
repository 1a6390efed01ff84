#include "nav/navaid_directory.h"

#include <algorithm>

#include "cockpit/radio_words.h"
#include "flight/flight_model_state.h"
#include "nav/dialog_controls.h"
#include "nav/map_pickers.h"
#include "nav/nav_database.h"
#include "nav/nav_host.h"
#include "nav/position_placement.h"
#include "nav/station_setup.h"
#include "win/controls.h"
#include "win/dialog.h"
#include "win/input.h"

namespace nav {

win::FileHandle theSmsFileHandle;

namespace {

constexpr std::uint32_t kSheetHelp = 20060;
constexpr std::size_t kNavaidDirectoryTypeAheadLength = 50;
constexpr int kNavaidDirectoryCancelButton = 1817;

const NavAidPageKind kVorPage{"NAVAIDSVORFAKE", "VORs", 20027, kSmsVor, 1487, 1489, 1693, 1694, 1692};
const NavAidPageKind kNdbPage{"NAVAIDSNDBFAKE", "NDBs", 20028, kSmsNdb, 1495, 1493, 1587, 0, 1759};
const NavAidPageKind kIlsPage{"NAVAIDSILSFAKE", "ILSs", 20029, kSmsIls, 1485, 1483, 1587, 1588, 1760};
const NavAidPageKind kWaypointPage{"NAVAIDSWPTFAKE", "Waypoints", 20030, kSmsWaypoint, 1948, 1947, 0, 0, 1863};


}  // namespace

void OpenSmsFileHandle() {
    CloseSmsFileHandle();
    theSmsFileHandle = win::CreateFile("DATA\\SMS\\flp.SMS", win::GENERIC_READ, win::FILE_SHARE_READ,
                                       win::OPEN_EXISTING);
}

void CloseSmsFileHandle() {
    if (theSmsFileHandle.IsValid()) win::CloseHandle(theSmsFileHandle);
    theSmsFileHandle = win::FileHandle{};
}

std::string IlsIdentOfRow(const std::string& text) {
    std::string ident;
    if (text.rfind("I-", 0) == 0) {
        ident = text;
    } else if (const std::size_t at = text.find("I-"); at != std::string::npos) {
        ident = text.substr(at);
    } else if (const std::size_t open = text.rfind('(');
               open != std::string::npos && text.find("Rwy", open) == std::string::npos) {
        ident = text.substr(open + 1);
    } else {
        ident = text;
    }
    ident = ident.substr(0, ident.find(')'));
    return ident.substr(0, ident.find(' '));
}

// ---- The pages -----------------------------------------------------------------------------------

NavAidPage::NavAidPage(const NavAidPageKind& kind, SmsDatabase* dir)
    : FakeTabPropertyPage(kind.templateName, kind.title), page(kind), directory(dir) {}

int NavAidPage::CurrentRow() const {
    return static_cast<int>(win::SendDlgItemMessage(window, page.list, win::LB_GETCURSEL, 0, 0));
}

void NavAidPage::ShowInfo(int row) {
    switch (page.kind) {
        case kSmsVor:
            directory->ShowVorInfo(window, row, theSmsFileHandle);
            break;
        case kSmsNdb:
            directory->ShowNdbInfo(window, row, theSmsFileHandle);
            break;
        case kSmsIls:
            directory->ShowIlsInfo(window, row, theSmsFileHandle);
            break;
        default:
            directory->ShowWaypointInfo(window, row, theSmsFileHandle);
            break;
    }
}

// The row's text into the type-ahead box, selected whole, and the row's station shown.
void NavAidPage::ShowRow(int row) {
    directory->SetSelectedRow(page.kind, row);
    typed = ListRowText(win::GetDlgItem(window, page.list), row)
                .substr(0, kNavaidDirectoryTypeAheadLength);
    win::SetDlgItemText(window, page.typeAhead, typed);
    win::SendDlgItemMessage(window, page.typeAhead, win::EM_SETSEL, 0, -1);
    ShowInfo(row);
}

int NavAidPage::OnInitDialog(win::HWND dialog) {
    theNavHost.setCursor(win::IDC_WAIT);
    window = dialog;
    // The first page opens the directory; each fills the list of its own kind.
    if (page.kind == kSmsVor) directory->Open(dialog);
    directory->FillStationList(dialog, page.kind);
    FakeTabPropertyPage::OnInitDialog(dialog);
    SetHelpId(page.help);
    win::SendDlgItemMessage(dialog, page.typeAhead, win::EM_LIMITTEXT,
                            kNavaidDirectoryTypeAheadLength, 0);
    const int row = CurrentRow();
    if (row >= 0) ShowRow(row);
    const int* options[2] = {page.kind == kSmsNdb ? &theTuneAdfOption : &theTuneNav1Option,
                             &theTuneNav2Option};
    const int boxes[2] = {page.tune1, page.tune2};
    for (int k = 0; k < 2; ++k)
        if (boxes[k] != 0) win::CheckDlgButton(dialog, boxes[k], *options[k] ? win::BST_CHECKED : 0);
    theNavHost.setCursor(win::IDC_ARROW);
    return 1;
}

int NavAidPage::RunSetup() {
    placed = 0;
    switch (page.kind) {
        case kSmsVor: {
            VorSetupDialog d(SetupStation{directory->VorFrequency(), directory->VorX(), directory->VorZ()},
                             &placed);
            return static_cast<int>(d.DoModal(window));
        }
        case kSmsNdb: {
            NDBSetupDialog d(SetupStation{directory->NdbFrequency(), directory->NdbX(), directory->NdbZ()},
                             &placed);
            return static_cast<int>(d.DoModal(window));
        }
        case kSmsIls: {
            // The localizer of the row's ident in the navigation tables, the one at the row's
            // place where several share the ident; without one nothing happens.
            const std::string ident = IlsIdentOfRow(ListRowText(win::GetDlgItem(window, page.list), CurrentRow()));
            const IlsRecord* found = nullptr;
            for (const IlsRecord& row : theNavDatabase.ils) {
                if (row.ident != ident) continue;
                if (found == nullptr) found = &row;
                if (row.x == directory->IlsX() && row.z == directory->IlsZ()) {
                    found = &row;
                    break;
                }
            }
            if (found == nullptr) return 0;
            ILSSetupDialog d(SetupStation{directory->IlsFrequency(), directory->IlsX(), directory->IlsZ()},
                             *found, &placed);
            return static_cast<int>(d.DoModal(window));
        }
        default: {
            WPTSetupDialog d(SetupStation{0, directory->WaypointX(), directory->WaypointZ()}, &placed);
            return static_cast<int>(d.DoModal(window));
        }
    }
}

void NavAidPage::TuneOnOk() {
    if (CurrentRow() < 0) return;  // no station chosen: the radios stay as they are
    const bool first = page.tune1 != 0 && win::IsDlgButtonChecked(window, page.tune1) == win::BST_CHECKED;
    const bool second = page.tune2 != 0 && win::IsDlgButtonChecked(window, page.tune2) == win::BST_CHECKED;
    switch (page.kind) {
        case kSmsVor:
        case kSmsIls: {
            theTuneNav1Option = first ? 1 : 0;
            theTuneNav2Option = second ? 1 : 0;
            const std::uint16_t bcd =
                page.kind == kSmsVor ? directory->VorFrequency() : directory->IlsFrequency();
            TuneNavRadios(NavWordsFromBcd(bcd), first, second);
            break;
        }
        case kSmsNdb:
            theTuneAdfOption = first ? 1 : 0;
            if (first) {
                const NavRadioWords w = AdfWordsFromBcd(directory->NdbFrequency());
                cockpit::SetActiveFrequency(cockpit::Radio::Adf, static_cast<std::int16_t>(w.mhz),
                                            static_cast<std::int16_t>(w.hundredths));
            }
            break;
        default:
            break;
    }
}

int NavAidPage::OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) {
    const int id = win::LOWORD(wParam);
    if (id == page.list) {
        if (notifyCode == win::LBN_SELCHANGE) {
            if (const int row = CurrentRow(); row >= 0) ShowRow(row);
        } else if (notifyCode == win::LBN_DBLCLK) {
            win::PostMessage(window, win::WM_COMMAND, static_cast<win::WParam>(page.place), 0);
        }
        return 1;
    }
    if (id == page.typeAhead) {
        // Only what the user typed moves the list.
        if (notifyCode != win::EN_CHANGE ||
            win::SendDlgItemMessage(window, page.typeAhead, win::EM_GETMODIFY, 0, 0) == 0)
            return 1;
        typed =
            win::GetDlgItemText(window, page.typeAhead).substr(0, kNavaidDirectoryTypeAheadLength);
        const win::HWND list = win::GetDlgItem(window, page.list);
        auto row = SelectTypedStation(list, typed);
        // A localizer's ident typed as it is heard, without its hyphen ("IBED" for I-BED).
        if (row < 0 && page.kind == kSmsIls && typed.size() > 1 &&
            (typed[0] == 'I' || typed[0] == 'i') && typed.find('-') == std::string::npos)
            row = SelectTypedStation(list, "I-" + typed.substr(1));
        if (row < 0) {
            // Nothing of the list is what was typed: no station stays chosen.
            win::SendMessage(list, win::LB_SETCURSEL, static_cast<win::WParam>(-1), 0);
            directory->SetSelectedRow(page.kind, -1);
            return 1;
        }
        win::SendMessage(list, win::LB_SETTOPINDEX, static_cast<win::WParam>(std::max(row - 1, 0)), 0);
        directory->SetSelectedRow(page.kind, row);
        ShowInfo(row);
        return 1;
    }
    if (id == page.place) {
        if (CurrentRow() < 0) return 1;
        if (page.tune1 != 0) {
            const int on = win::IsDlgButtonChecked(window, page.tune1) == win::BST_CHECKED ? 1 : 0;
            (page.kind == kSmsNdb ? theTuneAdfOption : theTuneNav1Option) = on;
        }
        if (page.tune2 != 0)
            theTuneNav2Option = win::IsDlgButtonChecked(window, page.tune2) == win::BST_CHECKED ? 1 : 0;
        if (RunSetup() == 0) return 1;
        if (placed != 0) {
            // The aircraft moved: its terrain and what its radios hear follow.
            theNavHost.refreshTerrain();
            CheckNavReception();
            directory->stationChosen = 1;
            directory->positionX = flight::theFlightModelState.fmPosX;
            directory->positionZ = flight::theFlightModelState.fmPosZ;
        }
        win::PostMessage(win::GetParent(window), win::WM_COMMAND, win::IDOK, 0);
        return 1;
    }
    switch (id) {
        case win::IDOK:
            TuneOnOk();
            directory->SetSelectedRow(page.kind, CurrentRow());
            directory->confirmed = 1;
            return 1;
        case win::IDCANCEL:
        case kNavaidDirectoryCancelButton:
            directory->SetSelectedRow(page.kind, CurrentRow());
            return 1;
        default:
            return FakeTabPropertyPage::OnCommand(notifyCode, wParam, control);
    }
}

// ---- The sheet -------------------------------------------------------------------------------------

NavAidTabDialog::NavAidTabDialog(SmsDatabase* directory)
    : FakeTabPropertySheet("NAVAIDSTABSHEET", kPositionPaletteId),
      vorPage(kVorPage, directory),
      ndbPage(kNdbPage, directory),
      ilsPage(kIlsPage, directory),
      waypointPage(kWaypointPage, directory) {
    SetHelpId(kSheetHelp);
    helpButtonId = ui::kHelpButtonId;
    OpenSmsFileHandle();
    AddPage(&vorPage);
    AddPage(&ndbPage);
    AddPage(&ilsPage);
    AddPage(&waypointPage);
}

NavAidTabDialog::~NavAidTabDialog() {
    CloseSmsFileHandle();
}

void RunNavAidTabDialog(win::HWND parent, SmsDatabase* directory) {
    NavAidTabDialog sheet(directory);
    sheet.DoModal(parent);
}

// ---- The menu's entry ------------------------------------------------------------------------------

int SmsDatabase::RunNavAidDirectory(win::HWND parent) {
    confirmed = 0;
    stationChosen = 0;
    RunNavAidTabDialog(parent, this);
    Close();
    return confirmed != 0 && stationChosen != 0 ? 1 : 0;
}

}  // namespace nav
