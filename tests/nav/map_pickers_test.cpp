// The runway, en-route and approach pickers on the resource pack's templates, worked as a user
// would through their controls: what they show on opening, typed values held to their ranges,
// the radios they tune, the course they set, and where they leave the aircraft.
#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <functional>

#include "cockpit/gauges.h"
#include "cockpit/nav_course.h"
#include "core/resource_pack.h"
#include "map_fixture.h"
#include "nav/airports_wizard.h"
#include "nav/atc_services.h"
#include "nav/navaid_directory.h"
#include "nav/map_pickers.h"
#include "nav/position_placement.h"
#include "nav/station_setup.h"
#include "sim/main_window.h"
#include "win/controls.h"
#include "win/dialog.h"
#include "support/step_player.h"

namespace {

using navtest::LatLon;

class MapPickersTest : public navtest::MapDialogFixture {
protected:
    void SetUp() override {
        MapDialogFixture::SetUp();
        if (IsSkipped()) return;
        nav::theTuneNav1Option = nav::theTuneNav2Option = nav::theTuneAdfOption = 0;
        cockpit::ResetNavCourses();
        nav::theAtcState.startPos = nav::theAtcState.enabledATC = 0;
    }
    // The picker's window, made modeless so the test can work it.
    win::HWND Open(ui::Dialog& d) {
        EXPECT_EQ(d.CreateModeless(parent), 1);
        return d.window;
    }
    static std::string Text(win::HWND d, int id) { return win::GetDlgItemText(d, id); }
    static void Type(win::HWND d, int id, const char* text) {
        win::SetDlgItemText(d, id, text);
        win::SendMessage(d, win::WM_COMMAND, win::MAKEWPARAM(static_cast<std::uint16_t>(id), win::EN_KILLFOCUS),
                         static_cast<win::LParam>(win::GetDlgItem(d, id).id));
    }
    static void Click(win::HWND d, int id) {
        win::SendMessage(win::GetDlgItem(d, id), win::BM_CLICK, 0, 0);
    }
    static void Command(win::HWND d, int id) {
        win::SendMessage(d, win::WM_COMMAND, static_cast<win::WParam>(id), 0);
    }
};

TEST_F(MapPickersTest, EnrouteFromAVorTunesSetsTheCourseAndPlacesOnTheRadial) {
    OpenMap(navtest::kKsql, 10.0);
    flight::theFlightModelState.fmPosY = nav::FeetToWorldAltitude(1500);
    nav::MapEnrouteDialog d(2);  // TWA, 117.30
    const win::HWND w = Open(d);
    ASSERT_TRUE(w);
    EXPECT_EQ(Text(w, 1971), "TWA");
    EXPECT_EQ(Text(w, 1972), "Terminal VOR");
    EXPECT_EQ(Text(w, 15516), "117.30");
    EXPECT_EQ(Text(w, 1782), "0");
    EXPECT_EQ(Text(w, 1783), "1500");
    EXPECT_EQ(Text(w, 1784), "10");
    EXPECT_EQ(Text(w, 1780), "190");
    EXPECT_FALSE(win::IsWindowEnabled(win::GetDlgItem(w, 1787)));
    // Radial 180 with the heading back to the VOR is 360, not 0.
    Type(w, 1780, "180");
    Click(w, 1069);
    EXPECT_EQ(Text(w, 1784), "360");
    // Bad typing is held to the ranges and written back when the field is left.
    Type(w, 1782, "abc");
    EXPECT_EQ(Text(w, 1782), "0");
    Type(w, 1782, "-5");
    EXPECT_EQ(Text(w, 1782), "0");
    Type(w, 1780, "");
    EXPECT_EQ(Text(w, 1780), "1");
    win::SetDlgItemText(w, 1783, "45000");  // written back while typing
    EXPECT_EQ(Text(w, 1783), "30000");
    // Radial 090, 10 nm, 3000 ft, heading back to the VOR, NAV1 and its course.
    Type(w, 1780, "090");
    Type(w, 1782, "10");
    Type(w, 1783, "3000");
    Click(w, 1069);
    EXPECT_EQ(Text(w, 1784), "270");
    Click(w, 1693);
    EXPECT_EQ(nav::theTuneNav1Option, 1);
    ASSERT_TRUE(win::IsWindowEnabled(win::GetDlgItem(w, 1787)));
    Click(w, 1787);
    Command(w, win::IDOK);
    const nav::VorRecord& vor = nav::theNavDatabase.vors[2];
    // 10 nm along the grid's radial 090 (the fixture has no grid values).
    EXPECT_NEAR(nav::theMapView.resultX - vor.x, 4741120, 1);
    EXPECT_NEAR(nav::theMapView.resultZ - vor.z, 0, 1);
    EXPECT_EQ(nav::theMapView.resultAltitude, static_cast<std::int32_t>(3000 * 0.3048780487804878 * 256));
    EXPECT_EQ(nav::theMapView.resultHeading, nav::DegreesToAngle(270));
    EXPECT_EQ(cockpit::theNav1Radio.activeMHz, 17);
    EXPECT_EQ(cockpit::theNav1Radio.activeKHz, 30);
    EXPECT_EQ(cockpit::theNav2Radio.activeMHz, 0);
    // The course is the radial turned back to the VOR: 270; the card shows 360 less it.
    EXPECT_EQ(cockpit::theNav1Course.selectedCourse, 270);
    EXPECT_EQ(cockpit::theNav1Course.obsCard, 90);
    EXPECT_EQ(cockpit::theNav1Course.obsCardPosition, 36);
    EXPECT_EQ(cockpit::theNav1Course.courseSet, 1);
    d.DestroyModeless();
}

TEST_F(MapPickersTest, ApproachStartsOutOnTheLocalizerCourse) {
    OpenMap(navtest::kKsql);
    nav::theTuneNav2Option = 1;
    nav::MapApproachDialog d(0);
    const win::HWND w = Open(d);
    ASSERT_TRUE(w);
    EXPECT_EQ(Text(w, 1971), "I-OAK");
    EXPECT_EQ(Text(w, 1972), "Localizer/Glideslope");
    EXPECT_EQ(Text(w, 15516), "108.70");
    EXPECT_EQ(Text(w, 1538), "270");
    EXPECT_EQ(Text(w, 1540), "270");
    EXPECT_EQ(win::IsDlgButtonChecked(w, 1532), 1u);
    EXPECT_EQ(win::IsDlgButtonChecked(w, 1694), 1u);
    Type(w, 1542, "99");  // at most 28
    EXPECT_EQ(Text(w, 1542), "28");
    Type(w, 1542, "5");
    Type(w, 1541, "1800");
    Command(w, win::IDOK);
    const nav::IlsRecord& ils = nav::theNavDatabase.ils[0];
    // 5 nm out along the course's reciprocal (course 270: east of the localizer), heading in.
    EXPECT_NEAR(nav::theMapView.resultX - ils.x, 5 * 474112, 2);
    EXPECT_NEAR(nav::theMapView.resultZ - ils.z, 0, 2);
    EXPECT_EQ(nav::theMapView.resultHeading, nav::DegreesToAngle(270));
    EXPECT_EQ(cockpit::theNav1Radio.activeMHz, 8);
    EXPECT_EQ(cockpit::theNav1Radio.activeKHz, 70);
    EXPECT_EQ(cockpit::theNav2Radio.activeKHz, 70);
    d.DestroyModeless();
}

TEST_F(MapPickersTest, RunwayPickerListsTheEndsAndTakesTheChosenThreshold) {
    OpenMap(navtest::kKsql);
    nav::MapRunwayDialog d(1);  // KOAK
    const win::HWND w = Open(d);
    ASSERT_TRUE(w);
    EXPECT_EQ(Text(w, 1934), "KOAK Metropolitan Oakland International");
    const win::HWND list = win::GetDlgItem(w, 1929);
    ASSERT_EQ(win::SendMessage(list, win::LB_GETCOUNT, 0, 0), 8);
    auto row = [&](int i) {
        char text[128] = {};
        win::SendMessage(list, win::LB_GETTEXT, static_cast<win::WParam>(i), reinterpret_cast<win::LParam>(text));
        return std::string(text);
    };
    EXPECT_EQ(row(0), "9R\t5000\tX\t200\tILS: IOAK");
    EXPECT_EQ(row(6), "15C\t5000\tX\t60");
    EXPECT_EQ(win::SendMessage(list, win::LB_GETCURSEL, 0, 0), 0);
    win::SendMessage(list, win::LB_SETCURSEL, 3, 0);
    Command(w, 1928);
    EXPECT_EQ(nav::theMapView.resultHeading, 270 * 65536 / 360);
    std::int32_t x, z;
    navtest::World(LatLon{navtest::kKoak.lat - 0.004, navtest::kKoak.lon - 0.012}, &x, &z);
    EXPECT_EQ(nav::theMapView.resultX, x);
    EXPECT_EQ(nav::theMapView.resultZ, z);
    EXPECT_EQ(flight::theFlightModelState.fmPosY, 6);
    EXPECT_EQ(nav::theAtcState.startPos, 3);
    d.DestroyModeless();

    // An airport without runways: nothing to take, nothing placed.
    nav::theMapView.resultX = 777;
    nav::MapRunwayDialog none(2);
    const win::HWND w2 = Open(none);
    ASSERT_TRUE(w2);
    EXPECT_EQ(win::SendDlgItemMessage(w2, 1929, win::LB_GETCOUNT, 0, 0), 0);
    Command(w2, 1928);
    EXPECT_EQ(nav::theMapView.resultX, 777);
    none.DestroyModeless();
}

TEST_F(MapPickersTest, AnAirportNameRunningPastItsEntryIsCutAtTheEntry) {
    // The name-list entry of Oakland loses its terminator: the name runs into the next entry.
    platform::ForgetFolderListings();
    std::string bytes = folder.Read("Data/Sms/flp.sms");
    const std::size_t at = bytes.find("International");
    ASSERT_NE(at, std::string::npos);
    bytes[at + 13] = 'X';
    WriteText("Data/Sms/flp.sms", bytes);
    OpenMap(navtest::kKsql);
    nav::MapRunwayDialog d(1);
    const win::HWND w = Open(d);
    ASSERT_TRUE(w);
    const std::string name = Text(w, 1934);
    EXPECT_EQ(name.rfind("KOAK Metropolitan Oakland InternationalX", 0), 0u);
    EXPECT_LE(name.size(), 100u);
    d.DestroyModeless();
}

}  // namespace

// ---- The station set-up dialogs of the navaid directory ------------------------------------------

namespace {

class StationSetupTest : public MapPickersTest {
protected:
    static void ExpectAt(navtest::LatLon station, double eastNm, double northNm) {
        std::int32_t x, z;
        navtest::World(station, &x, &z);
        EXPECT_NEAR(flight::theFlightModelState.fmPosX - x, eastNm * 474112, 2);
        EXPECT_NEAR(flight::theFlightModelState.fmPosZ - z, northNm * 474112, 2);
    }
};

nav::SetupStation StationAt(navtest::LatLon p, std::uint16_t bcd) {
    nav::SetupStation s;
    s.frequency = bcd;
    navtest::World(p, &s.x, &s.z);
    return s;
}

TEST_F(StationSetupTest, VorSetupTunesSetsTheCourseAndPlacesOnTheRadial) {
    nav::theTuneNav1Option = 1;
    int placed = -1;
    nav::VorSetupDialog d(StationAt(navtest::kOsi, 0x1390), &placed);
    const win::HWND w = Open(d);
    ASSERT_TRUE(w);
    EXPECT_EQ(win::IsDlgButtonChecked(w, 1787), 1u);
    // Heading typed as 360 stays 360; 0 becomes 1.
    Type(w, 1784, "360");
    EXPECT_EQ(Text(w, 1784), "360");
    Type(w, 1784, "0");
    EXPECT_EQ(Text(w, 1784), "1");
    Type(w, 1780, "90");
    Type(w, 1782, "200");  // at most 130
    EXPECT_EQ(Text(w, 1782), "130");
    Type(w, 1782, "10");
    Type(w, 1783, "3000");
    Click(w, 1069);
    Command(w, win::IDOK);
    EXPECT_EQ(placed, 1);
    ExpectAt(navtest::kOsi, 10, 0);
    EXPECT_EQ(flight::theFlightModelState.fmPosY, nav::FeetToWorldAltitude(3000));
    EXPECT_EQ(flight::theFlightModelState.fmHead, nav::DegreesToAngle(270));
    EXPECT_EQ(cockpit::theNav1Radio.activeMHz, 13);
    EXPECT_EQ(cockpit::theNav1Radio.activeKHz, 90);
    EXPECT_EQ(cockpit::theNav1Course.selectedCourse, 270);
    d.DestroyModeless();
}

TEST_F(StationSetupTest, NdbSetupPutsTheStationOnTheBearingAndTurnsTheCard) {
    nav::theTuneAdfOption = 1;
    int placed = -1;
    nav::NDBSetupDialog d(StationAt(navtest::kNdbPa, 0x0385), &placed);
    const win::HWND w = Open(d);
    ASSERT_TRUE(w);
    EXPECT_EQ(win::IsDlgButtonChecked(w, 1532), 1u);
    EXPECT_EQ(win::IsDlgButtonChecked(w, 1567), 1u);
    Type(w, 1538, "90");   // the NDB bears 090 from the aircraft
    Type(w, 1540, "45");
    Type(w, 1542, "5");
    Command(w, win::IDOK);
    EXPECT_EQ(placed, 1);
    ExpectAt(navtest::kNdbPa, -5, 0);
    EXPECT_EQ(cockpit::theAdfRadio.activeMHz, 3);
    EXPECT_EQ(cockpit::theAdfRadio.activeKHz, 85);
    EXPECT_NE(nav::theNavReceptionFlags & nav::kAdfReception, 0);
    EXPECT_EQ(cockpit::theAdfCard.card, 315);
    EXPECT_EQ(cockpit::theAdfCard.position, 126);
    d.DestroyModeless();
}

TEST_F(StationSetupTest, IlsSetupStartsOutOnTheCourseAndWaypointSetupFliesTowardTheFix) {
    nav::theTuneNav1Option = 1;
    int placed = -1;
    nav::ILSSetupDialog ils(StationAt(navtest::kLocalizer, 0x0870), nav::theNavDatabase.ils[0], &placed);
    win::HWND w = Open(ils);
    ASSERT_TRUE(w);
    EXPECT_EQ(Text(w, 1538), "270");
    Type(w, 1542, "5");
    Command(w, win::IDOK);
    EXPECT_EQ(placed, 1);
    ExpectAt(navtest::kLocalizer, 5, 0);
    EXPECT_EQ(cockpit::theNav1Radio.activeMHz, 8);
    EXPECT_EQ(cockpit::theNav1Radio.activeKHz, 70);
    EXPECT_EQ(cockpit::theHsiGauge.course, 0);  // no HSI in the 172
    ils.DestroyModeless();

    placed = -1;
    nav::WPTSetupDialog wpt(StationAt(navtest::kBriny, 0), &placed);
    w = Open(wpt);
    ASSERT_TRUE(w);
    Type(w, 1540, "90");
    Type(w, 1542, "250");  // at most 200
    EXPECT_EQ(Text(w, 1542), "200");
    Type(w, 1542, "20");
    Command(w, win::IDOK);
    EXPECT_EQ(placed, 1);
    ExpectAt(navtest::kBriny, -20, 0);
    EXPECT_EQ(flight::theFlightModelState.fmHead, nav::DegreesToAngle(90));
    wpt.DestroyModeless();
}

}  // namespace

// ---- The directory's dialogs -------------------------------------------------------------------------

namespace {

TEST(NavAidDirectory, IlsIdentsFromTheirRowTexts) {
    const struct {
        const char* row;
        const char* ident;
    } cases[] = {{"I-OAK Oakland 27R", "I-OAK"},         {"Oakland I-INB (Rwy 29)", "I-INB"},
                 {"Palo Alto (IPAO)", "IPAO"},           {"Oakland (Rwy 29)", "Oakland"},
                 {"I-SFO) extra", "I-SFO"},              {"", ""}};
    for (const auto& c : cases) EXPECT_EQ(nav::IlsIdentOfRow(c.row), c.ident) << c.row;
    const int situations[] = {3, 3, 9, 8, 6, 25, 3};
    for (int item = -1; item < 6; ++item)
        EXPECT_EQ(nav::StartingSituation(item), situations[item + 1]) << item;
}

TEST_F(MapPickersTest, TheWizardStartsNothingAtAnAirportWithoutRunways) {
    OpenMap(navtest::kKsql);
    nav::SmsDatabase directory;
    // The wizard, and its page that holds a control.
    auto wizard = [] {
        // The wizard's caption is its page's title.
        const win::HWND w = win::FindWindow("#32770", "Airports");
        return w ? w : win::FindWindow("#32770", "Runways");
    };
    auto pageWith = [&](int control) {
        for (win::HWND c = win::GetWindow(wizard(), win::GW_CHILD); c; c = win::GetWindow(c, win::GW_HWNDNEXT))
            if (win::GetDlgItem(c, control)) return c;
        return win::HWND{};
    };
    bool towerBox = true;
    Play({[&] {
              // The airports page: the airport without runways (the list is in file order).
              const win::HWND p = pageWith(1045);
              win::SendDlgItemMessage(p, 1045, win::LB_SETCURSEL, 2, 0);
              win::SendMessage(p, win::WM_COMMAND, win::MAKEWPARAM(1045, win::LBN_SELCHANGE), 0);
          },
          [&] { win::PostMessage(wizard(), win::WM_COMMAND, 1717, 0); },
          [&] {
              const win::HWND p = pageWith(1059);
              towerBox = p && win::IsWindowEnabled(win::GetDlgItem(p, 1567));
              win::PostMessage(wizard(), win::WM_COMMAND, 1717, 0);
          }});
    EXPECT_EQ(directory.RunAirportsWizard(parent), 0);
    EXPECT_FALSE(towerBox);
    EXPECT_EQ(directory.confirmed, 0);
}

}  // namespace
