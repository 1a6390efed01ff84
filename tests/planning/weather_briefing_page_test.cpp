// The weather briefing page inside a wizard: the first showing draws the route weather into the
// sheet's record and writes the three briefings, showing it again keeps it, the button draws a
// new one, and typed radii are held to 50 nm and more.
#include <gtest/gtest.h>

#include <string>

#include "planning/weather_briefing.h"
#include "ui/ui_test_support.h"
#include "win/controls.h"
#include "win/dialog.h"

namespace {

using namespace win;

class Wizard : public ui::FakePropertySheet {
public:
    Wizard() : FakePropertySheet("", 0) {
        form_.style = WS_POPUP | WS_CAPTION | DS_SETFONT;
        form_.cx = 340;
        form_.cy = 240;
        form_.fontSize = 8;
        form_.fontFace = "MS Sans Serif";
        AddDialogItem(form_, "Button", "Next >", ui::kNextButtonId, WS_TABSTOP, 60, 220, 40, 14);
        AddDialogItem(form_, "Button", "Cancel", IDCANCEL, WS_TABSTOP, 110, 220, 40, 14);
        builtTemplate = &form_;
    }

private:
    DialogTemplate form_;
};

class BriefingPage : public uitest::DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        win::FreeResourceLibrary(uitest::theTestLibrary);
        uitest::theTestLibrary = uitest::LoadDialogTemplates(false, {"weather_dialogs.rc"});
    }
    static std::vector<std::string> Rows(HWND page, int id) {
        std::vector<std::string> rows;
        const int n = static_cast<int>(SendDlgItemMessage(page, id, LB_GETCOUNT, 0, 0));
        for (int i = 0; i < n; ++i) {
            std::string t(static_cast<std::size_t>(SendDlgItemMessage(page, id, LB_GETTEXTLEN, static_cast<WParam>(i), 0)) + 1, '\0');
            SendDlgItemMessage(page, id, LB_GETTEXT, static_cast<WParam>(i), reinterpret_cast<LParam>(t.data()));
            t.resize(t.find('\0'));
            rows.push_back(t);
        }
        return rows;
    }
};

TEST_F(BriefingPage, DrawsOnFirstShowingKeepsItAndDrawsAgainOnRequest) {
    std::uint16_t ifr = 0, aircraft = 0;
    std::int32_t requested = 5000, cruise = 0, departureRow = 0, destinationRow = 0;
    std::int32_t departureRadius = 0, destinationRadius = 0;
    planning::RouteEnvironment environment;
    Wizard sheet;
    planning::WeatherBriefing page;
    page.seed = 99;
    page.links.ifr = &ifr;
    page.links.aircraft = &aircraft;
    page.links.requestedAltitude = &requested;
    page.links.cruiseAltitude = &cruise;
    page.links.departureRow = &departureRow;
    page.links.destinationRow = &destinationRow;
    page.links.departureRadius = &departureRadius;
    page.links.destinationRadius = &destinationRadius;
    page.links.environment = &environment;
    sheet.AddPage(&page);

    std::vector<std::string> departure, enRoute;
    std::int32_t firstPressure = 0, drawnAgain = 0;
    std::string radiusShown;
    Play({[&] {
              departure = Rows(page.window, 1968);
              enRoute = Rows(page.window, 1969);
              firstPressure = environment.departure.P;
              // Shown again on the same route: the weather stays.
              page.OnPageActivate(page.window, 0);
              EXPECT_EQ(environment.departure.P, firstPressure);
              Press(page.window, 1575);
          },
          [&] {
              drawnAgain = environment.departure.P;
              SetDlgItemText(page.window, 1965, "10");
              SendMessage(page.window, WM_COMMAND, MAKEWPARAM(1965, EN_KILLFOCUS), 0);
              radiusShown = GetDlgItemText(page.window, 1965);
              Press(sheet.window, IDCANCEL);
          }});
    EXPECT_EQ(sheet.DoModal({}), 0);
    ASSERT_GE(departure.size(), 3u);
    EXPECT_EQ(departure[0].rfind("Temperature ", 0), std::string::npos);
    EXPECT_NE(departure[1].find("Altimeter "), std::string::npos);
    ASSERT_FALSE(enRoute.empty());
    EXPECT_EQ(enRoute[0].rfind("Enroute Temperature ", 0), 0u);
    EXPECT_EQ(cruise, 5500);  // 5,000 asked, the route north (one airport at both ends): odd + 500
    EXPECT_GE(environment.hour, 8);
    EXPECT_NE(firstPressure, 0);
    EXPECT_NE(drawnAgain, firstPressure);
    EXPECT_EQ(radiusShown, "50");
    EXPECT_EQ(departureRadius, 50);
    EXPECT_EQ(destinationRadius, 50);
}

}  // namespace
