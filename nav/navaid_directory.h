// The navaid directory ("NAVAIDSTABSHEET"): four tabbed pages list the VORs, NDBs, ILSs and
// waypoints of the station directory with a type-ahead box, show the chosen station, tune NAV1,
// NAV2 or the ADF to it on OK, and open the station set-up dialog that starts the aircraft near
// it. SmsDatabase::RunNavAidDirectory runs it for the menu.
#pragma once

#include <string>

#include "nav/sms_database.h"
#include "ui/property_sheets.h"
#include "win/file_api.h"

namespace nav {

// The directory file opened raw for the pages' record reads ("DATA\SMS\flp.SMS"); invalid when
// it did not open, and the reads go through the volume instead.
extern win::FileHandle theSmsFileHandle;
void OpenSmsFileHandle();
void CloseSmsFileHandle();

// What distinguishes the four pages.
struct NavAidPageKind {
    const char* templateName;
    const char* title;
    std::uint32_t help;
    int kind;       // kSmsVor, kSmsNdb, kSmsIls, kSmsWaypoint
    int list;       // the station list
    int typeAhead;  // the type-ahead box
    int tune1;      // NAV1 (the ADF on the NDB page); 0 none
    int tune2;      // NAV2; 0 none
    int place;      // the button that opens the set-up dialog
};

class NavAidPage : public ui::FakeTabPropertyPage {
public:
    NavAidPage(const NavAidPageKind& kind, SmsDatabase* directory);
    int OnInitDialog(win::HWND dialog) override;
    int OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) override;

    // Set to 1 by a set-up dialog that moved the aircraft, 0 when it did not.
    int placed = 0;
    std::string typed;  // the type-ahead text, at most 50 characters

private:
    void ShowInfo(int row);
    void ShowRow(int row);
    // The set-up dialog of the page's kind for the current station; its result.
    int RunSetup();
    void TuneOnOk();
    [[nodiscard]] int CurrentRow() const;
    const NavAidPageKind& page;
    SmsDatabase* directory;
};

class NavAidTabDialog : public ui::FakeTabPropertySheet {
public:
    explicit NavAidTabDialog(SmsDatabase* directory);
    ~NavAidTabDialog() override;

    NavAidPage vorPage;
    NavAidPage ndbPage;
    NavAidPage ilsPage;
    NavAidPage waypointPage;
};

// Builds the sheet over `parent`, runs it modally and takes it down.
void RunNavAidTabDialog(win::HWND parent, SmsDatabase* directory);

// The ident of an ILS row of the directory: the text when it starts with "I-", else from its
// first "I-", else after its last "(" when that part holds no "Rwy", else the whole text; cut
// at the first ")" and the first blank.
[[nodiscard]] std::string IlsIdentOfRow(const std::string& text);

}  // namespace nav
