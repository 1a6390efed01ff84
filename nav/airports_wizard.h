// The airports wizard ("AIRPORTS_WIZBKGND"): the first page lists the station directory's
// airports with a type-ahead box and shows the chosen one; the second lists its runways, offers
// the five starting situations and air traffic control, and on Finish leaves the chosen runway's
// threshold and heading in the directory for the menu to start the flight there.
// SmsDatabase::RunAirportsWizard runs it.
#pragma once

#include <string>

#include "nav/sms_database.h"
#include "ui/property_sheets.h"

namespace nav {

class AirportsPage : public ui::FakePropertyPage {
public:
    explicit AirportsPage(SmsDatabase* directory);
    int OnInitDialog(win::HWND dialog) override;
    int OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) override;
    std::string typed;  // at most 50 characters
    // Whether an airport is chosen (a place typed that has none leaves none).
    [[nodiscard]] bool HasAirport() const;

private:
    void ShowRow(int row, bool fromList);
    void ShowNoAirport();
    SmsDatabase* directory;
};

class RunwaysPage : public ui::FakePropertyPage {
public:
    explicit RunwaysPage(SmsDatabase* directory);
    int OnInitDialog(win::HWND dialog) override;
    int OnCommand(unsigned notifyCode, win::WParam wParam, win::HWND control) override;
    void OnPageActivate(win::HWND previousPage, int previousIndex) override;

private:
    void Finish();
    SmsDatabase* directory;
};

class AirportsWizard : public ui::FakePropertySheet {
public:
    explicit AirportsWizard(SmsDatabase* directory);
    ~AirportsWizard() override;
    int NextPage() override;
    AirportsPage airportsPage;
    RunwaysPage runwaysPage;
};

// The starting situation of the combo box's item (the ATC's "startPos"): 0 on the runway (3),
// 1 final (9), 2 base (8), 3 downwind (6), 4 en route (25); none or any other item 3.
[[nodiscard]] int StartingSituation(int comboItem);

}  // namespace nav
