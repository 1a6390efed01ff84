// The new-plan sheet worked headless over a small world around the Bay: the route page's limits
// and spin steps, the airports chosen in the directory's list, the route on the map with the
// station tools up to a full plan, a route rebuilt for new airports, and Finish and Cancel.
#include <gtest/gtest.h>

#include <deque>
#include <functional>

#include "core/resource_pack.h"
#include "../nav/map_fixture.h"
#include "planning/nav_log.h"
#include "planning/plan_sheet.h"
#include "sim/main_window.h"
#include "win/controls.h"
#include "win/dialog.h"
#include "support/step_player.h"

namespace {

using navtest::LatLon;

class PlanSheetTest : public navtest::MapDialogFixture {
protected:
    win::HWND Page() const {
        const ui::FakePropertyPage* pages[] = {&sheet->routePage, &sheet->departurePage, &sheet->destinationPage,
                                               &sheet->mapPage, &sheet->weatherPage, &sheet->logPage};
        return pages[sheet->currentPage]->window;
    }
    void Next() const { win::PostMessage(sheet->window, win::WM_COMMAND, ui::kNextButtonId, 0); }
    void Back() const { win::PostMessage(sheet->window, win::WM_COMMAND, ui::kBackButtonId, 0); }
    static void Notify(win::HWND page, int id, unsigned code) {
        win::SendMessage(page, win::WM_COMMAND, win::MAKEWPARAM(static_cast<std::uint16_t>(id), static_cast<std::uint16_t>(code)),
                         static_cast<win::LParam>(win::GetDlgItem(page, id).id));
    }
    // The list row whose text holds the ident.
    static int RowOf(win::HWND page, const char* ident) {
        const win::HWND list = win::GetDlgItem(page, 1045);
        for (int i = 0; i < static_cast<int>(win::SendMessage(list, win::LB_GETCOUNT, 0, 0)); ++i)
            if (nav::ListRowText(list, i).find(ident) != std::string::npos) return i;
        return -1;
    }
    void Choose(const char* ident) const {
        const win::HWND page = Page();
        win::SendDlgItemMessage(page, 1045, win::LB_SETCURSEL, static_cast<win::WParam>(RowOf(page, ident)), 0);
        Notify(page, 1045, win::LBN_SELCHANGE);
    }
    bool Enabled(int button) const {
        return win::SendMessage(sheet->mapPage.toolbar, win::TB_ISBUTTONENABLED, static_cast<win::WParam>(button), 0) != 0;
    }
    void Tool(int button) const {
        win::SendMessage(sheet->mapPage.toolbar, win::TB_CHECKBUTTON, static_cast<win::WParam>(button), 1);
        win::SendMessage(Page(), win::WM_COMMAND, static_cast<win::WParam>(button), 0);
    }
    static win::POINT Pixel(LatLon p) {
        return {nav::theMapView.LongitudeToPixel(p.lon), nav::theMapView.LatitudeToPixel(p.lat)};
    }
    static planning::FlightPlan& Plan() { return *planning::theWorkingFlightPlan; }

    std::unique_ptr<planning::NewFlightPlan> sheet = [] {
        auto made = std::make_unique<planning::NewFlightPlan>();
        made->weatherPage.seed = 29;  // the route weather drawn the same way every run
        return made;
    }();
};

TEST_F(PlanSheetTest, RoutePageHoldsTheAircraftsLimitsAndStepsWithTheSpins) {
    planning::PlanningRecord seen;
    std::vector<std::string> texts;
    auto text = [&](int id) { texts.push_back(win::GetDlgItemText(Page(), id)); };
    auto spin = [&](int id, int delta) {
        win::NMUPDOWN n;
        n.hdr.idFrom = static_cast<std::uintptr_t>(id);
        n.hdr.code = static_cast<std::uint32_t>(win::UDN_DELTAPOS);
        n.iDelta = delta;
        sheet->routePage.OnNotify(id, &n.hdr);
    };
    Play({[&] {
              // The made record starts zeroed, then takes the page's values.
              text(1783);
              text(1962);
              win::SetDlgItemText(Page(), 1783, "18000 ft");
              win::SendDlgItemMessage(Page(), 1908, win::CB_SETCURSEL, 1, 0);  // Bonanza
              Notify(Page(), 1908, win::CBN_SELCHANGE);
              text(1783);
              Notify(Page(), 1783, win::EN_KILLFOCUS);
              spin(1965, 1);   // down
              spin(1965, -1);  // up
              spin(1965, -1);  // up, held at the ceiling
              text(1783);
              win::SetDlgItemText(Page(), 1783, "-99999999999 ft");
              Notify(Page(), 1783, win::EN_KILLFOCUS);
              text(1783);
              win::SetDlgItemText(Page(), 1783, "15000");
              Notify(Page(), 1783, win::EN_KILLFOCUS);
              win::SetDlgItemText(Page(), 1962, "abc");
              Notify(Page(), 1962, win::EN_KILLFOCUS);
              text(1962);
              spin(1964, -1);  // up
              text(1962);
              win::SendMessage(win::GetDlgItem(Page(), 1907), win::BM_CLICK, 0, 0);
              seen = *planning::thePlanningRecord;
          },
          [&] { win::PostMessage(sheet->window, win::WM_COMMAND, ui::kCancelButtonId, 0); }});
    sheet->DoModal(parent);
    EXPECT_EQ(texts, (std::vector<std::string>{"5000 ft", "70%", "16000 ft", "16000 ft", "2000 ft", "45%", "50%"}));
    EXPECT_EQ(seen.aircraft, 1);
    EXPECT_EQ(seen.requestedAltitude, 15000);
    EXPECT_EQ(seen.power, 50);
    EXPECT_EQ(seen.ifr, 1);
    EXPECT_EQ(seen.cruiseAltitude, 0);
    // Cancel frees everything the sheet made.
    EXPECT_FALSE(planning::thePlanningRecord);
    EXPECT_FALSE(planning::theWorkingFlightPlan);
    EXPECT_FALSE(planning::theSheetDirectory);
}

TEST_F(PlanSheetTest, StationToolsFillThePlanToSixtyFourAndTheRouteFollowsNewAirports) {
    int full = -1, afterDelete = -1, missed = -1, routeKept = -1, rebuilt = -1, logRows = -1;
    bool addAtFull = true, addAfterDelete = false, deleteAtTwo = true, addOnDestination = true;
    std::string firstIdent, lastIdent;
    Play({[&] { Next(); },
          [&] {
              Choose("KSQL");
              Next();
          },
          [&] {
              Choose("KOAK");
              Next();
          },
          [&] {
              firstIdent = Plan().nodes[0].ident;
              lastIdent = Plan().nodes[1].ident;
              deleteAtTwo = Enabled(planning::kDeleteStationButton);
              // The destination chosen in the route box: nothing may follow it.
              win::SendDlgItemMessage(Page(), planning::kRouteCombo, win::CB_SETCURSEL, 1, 0);
              Notify(Page(), planning::kRouteCombo, win::CBN_SELENDOK);
              addOnDestination = Enabled(planning::kAddStationButton);
              win::SendDlgItemMessage(Page(), planning::kRouteCombo, win::CB_SETCURSEL, 0, 0);
              Notify(Page(), planning::kRouteCombo, win::CBN_SELENDOK);
              // 61 radio stations between the airports: 63 nodes.
              for (int i = 0; i < 61; ++i)
                  Plan().InsertNode(2, i % 2 ? "OSI" : "SFO", Plan().currentNode + 1);
              Plan().currentNode = 0;
              win::SendMessage(Page(), win::WM_COMMAND, nav::kNdbsButton, 0);
              Tool(planning::kAddStationButton);
              missed = sheet->mapPage.AddStationAt(1, 1);
              const win::POINT pa = Pixel(navtest::kNdbX1);  // a beacon inside the view
              sheet->mapPage.AddStationAt(pa.x, pa.y);
              full = Plan().nodeCount;
              addAtFull = Enabled(planning::kAddStationButton);
              Tool(planning::kDeleteStationButton);
              // Adding fitted the view to the longer route: the beacon is found where it lies now.
              const win::POINT there = Pixel(navtest::kNdbX1);
              sheet->mapPage.DeleteStationAt(there.x, there.y);
              afterDelete = Plan().nodeCount;
              addAfterDelete = Enabled(planning::kAddStationButton);
              Next();
          },
          [&] { Next(); },  // the weather page
          [&] {
              logRows = static_cast<int>(planning::theNavLog->rows.size());
              Back();
          },
          [&] { Back(); },
          [&] {
              routeKept = Plan().nodeCount;
              Back();
          },
          [&] { Back(); },
          [&] {
              Choose("KSQL");  // the same airport: the route stays
              Next();
          },
          [&] { Next(); },
          [&] {
              if (Plan().nodeCount != routeKept) routeKept = -Plan().nodeCount;
              Back();
          },
          [&] { Back(); },
          [&] {
              Choose("KOAK");  // a new departure: the route starts again from the airports
              Next();
          },
          [&] {
              Choose("KSQL");  // and the way back, a route that goes somewhere
              Next();
          },
          [&] {
              rebuilt = Plan().nodeCount;
              Next();
          },
          [&] { Next(); }, [&] { Next(); }});  // Finish
    sheet->DoModal(parent);
    EXPECT_EQ(firstIdent, "KSQL");
    EXPECT_EQ(lastIdent, "KOAK");
    EXPECT_FALSE(deleteAtTwo);
    EXPECT_FALSE(addOnDestination);
    EXPECT_EQ(missed, 0);
    EXPECT_EQ(full, 64);
    EXPECT_FALSE(addAtFull);
    EXPECT_EQ(afterDelete, 63);
    EXPECT_TRUE(addAfterDelete);
    EXPECT_EQ(logRows, 63);
    EXPECT_EQ(routeKept, 63);
    EXPECT_EQ(rebuilt, 2);
    EXPECT_FALSE(planning::theWorkingFlightPlan);
}

}  // namespace

namespace {

TEST_F(PlanSheetTest, CancelWhileARadiusIsBeingTypedFreesEverything) {
    Play({[&] { Next(); },
          [&] { Next(); },
          [&] { Next(); },
          [&] { Next(); },
          [&] {
              // The departure radius has the focus, typed into, when the user cancels.
              const win::HWND radius = win::GetDlgItem(Page(), 1965);
              win::SetFocus(radius);
              win::SetWindowText(radius, "75");
              win::PostMessage(sheet->window, win::WM_COMMAND, ui::kCancelButtonId, 0);
          }});
    sheet->DoModal(parent);
    EXPECT_FALSE(planning::thePlanningRecord);
    EXPECT_FALSE(planning::theWorkingFlightPlan);
    EXPECT_FALSE(planning::theNavLog);
}

}  // namespace
