// The small training and records dialogs worked as a user works them: the reliability boxes that
// end a failure in progress, the partial-panel covers by aircraft type and from bad settings, the
// copilot's help with its three 172-only kinds and bad settings, the exit question's buttons; the
// flight log's cells, and what a lesson's trap mode holds back.
#include <gtest/gtest.h>

#include <string>

#include "cockpit/cockpit_systems.h"
#include "cockpit/gauges.h"
#include "core/ini_file.h"
#include "flight/system_failures.h"
#include "nav/copilot.h"
#include "planning/copilot_dialog.h"
#include "planning/flight_log_dialog.h"
#include "planning/lesson_traps.h"
#include "planning/nav_log.h"
#include "planning/reliability_dialogs.h"
#include "support/temp_folder.h"
#include "ui/ui_test_support.h"

namespace {

using namespace win;
using flight::Instrument;
using flight::SystemReliability;

class RecordDialogTest : public uitest::DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        FreeResourceLibrary(uitest::theTestLibrary);
        uitest::theTestLibrary = uitest::LoadDialogTemplates(false, {"records_dialogs.rc"});
    }
    static HWND Item(const ui::Dialog& d, int id) { return GetDlgItem(d.window, id); }
    static int Checked(const ui::Dialog& d, int id) {
        return static_cast<int>(SendMessage(Item(d, id), BM_GETCHECK, 0, 0));
    }
    // A click on a box: its check toggles and the dialog hears of it.
    static void Toggle(const ui::Dialog& d, int id) {
        SendMessage(Item(d, id), BM_SETCHECK, Checked(d, id) != 0 ? BST_UNCHECKED : BST_CHECKED, 0);
        SendMessage(d.window, WM_COMMAND, MAKEWPARAM(static_cast<std::uint16_t>(id), BN_CLICKED),
                    static_cast<LParam>(Item(d, id).id));
    }
    // An INI file of one section with the keys given.
    core::IniFile Settings(const char* section, std::initializer_list<std::pair<const char*, const char*>> keys) {
        core::IniFile f(dir.Path("flight.ini").c_str());
        for (const auto& [k, v] : keys) f.PutString(section, k, v);
        return f;
    }
    testsupport::TempFolder dir{"zephlon-records-dialogs"};
};

constexpr int kReliabilityBoxes[] = {1567, 1536, 1587, 1588, 1613, 1614, 1615,
                                     1652, 1654, 1656, 1658, 1660, 1661};

TEST_F(RecordDialogTest, UncheckingEveryFailureBoxEndsAFailureInProgress) {
    SystemReliability::SetVacuumReliability(0);  // fails at its first roll
    SystemReliability::SetMayFail(Instrument::Attitude, 1);
    SystemReliability::ResetAll();
    SystemReliability::Create(0)->Update();
    ASSERT_FALSE(SystemReliability::IsWorking(Instrument::Attitude));

    // Cancel changes nothing, whatever the boxes showed.
    planning::SystemReliabilityDialog cancelled;
    Play({[&] { Toggle(cancelled, 1567); }, [&] { Press(cancelled.window, IDCANCEL); }});
    EXPECT_EQ(cancelled.DoModal({}), 0);
    EXPECT_FALSE(SystemReliability::IsWorking(Instrument::Attitude));
    EXPECT_EQ(SystemReliability::GetMayFail(Instrument::Attitude), 1);

    planning::SystemReliabilityDialog d;
    Play({[&] {
              EXPECT_EQ(SendMessage(Item(d, 1793), TBM_GETPOS, 0, 0), 0);
              EXPECT_EQ(SendMessage(Item(d, 1617), TBM_GETPOS, 0, 0), 100);
              EXPECT_EQ(Checked(d, 1567), 1);
              for (int id : kReliabilityBoxes)
                  if (Checked(d, id) != 0) Toggle(d, id);
              SendMessage(Item(d, 1620), TBM_SETPOS, 1, 75);
          },
          [&] { Press(d.window, IDOK); }});
    EXPECT_EQ(d.DoModal({}), 1);
    EXPECT_TRUE(SystemReliability::IsWorking(Instrument::Attitude));
    for (int i = 0; i < flight::kInstrumentCount; ++i)
        EXPECT_EQ(SystemReliability::GetMayFail(static_cast<Instrument>(i)), 0) << i;
    EXPECT_EQ(SystemReliability::GetVacuumReliability(), 0);
    EXPECT_EQ(SystemReliability::GetPitotStaticReliability(), 75);
    SystemReliability::SetVacuumReliability(100);
    SystemReliability::SetPitotStaticReliability(100);
    SystemReliability::ResetAll();
}

// The covers by aircraft type, from settings that may hold anything: any number but 0 covers.
TEST_F(RecordDialogTest, PartialPanelCoversByTypeAndFromBadSettings) {
    const struct {
        int type;
        const char* asHide;
        bool enabled;
        int shown;  // the airspeed box
    } cases[] = {{0, "1", true, 1}, {0, "7", true, 1}, {0, "-2", true, 1}, {0, "x", true, 0},
                 {5, "1", true, 1}, {1, "1", false, 0}, {4, "1", false, 0}};
    for (const auto& c : cases) {
        core::IniFile f = Settings("PartialPanel", {{"asHide", c.asHide}, {"attHide", "1"}});
        cockpit::LoadPartialPanelSettings(f);
        planning::PartialPanelDialog d(c.type);
        Play({[&] {
                  EXPECT_EQ(IsWindowEnabled(Item(d, 1567)), c.enabled) << c.type;
                  EXPECT_EQ(Checked(d, 1567), c.shown) << c.type << " " << c.asHide;
              },
              [&] { Press(d.window, IDOK); }});
        EXPECT_EQ(d.DoModal({}), 1);
        // OK keeps what the boxes showed: the other types come back uncovered.
        EXPECT_EQ(cockpit::theAirspeedIndicator.hidden, c.shown) << c.type;
        EXPECT_EQ(cockpit::theAttitudeIndicator.hidden, c.enabled ? 1 : 0) << c.type;
        EXPECT_EQ(cockpit::theAirspeedIndicator.dirty, 1);
    }
    cockpit::theAirspeedIndicator.hidden = cockpit::theAttitudeIndicator.hidden = 0;
}

TEST_F(RecordDialogTest, CopilotHelpFromBadSettingsAndTheTypesWithoutAdvice) {
    nav::CopilotSettings& c = nav::theCopilotSettings;
    const struct {
        const char* master;
        const char* takeoff;
        int masterShown, takeoffShown;
    } cases[] = {{"1", "1", 1, 1}, {"2", "7", 1, 1}, {"-1", "-3", 1, 1}, {"yes", "1", 0, 0}, {"0", "1", 0, 0}};
    for (const auto& k : cases) {
        core::IniFile f = Settings("CoPilot", {{"CoPilot", k.master}, {"Takeoff", k.takeoff}, {"Heading", "1"}});
        nav::LoadCopilotSettings(f);
        planning::CopilotAssitanceDialog d(0);
        Play({[&] {
                  EXPECT_EQ(Checked(d, 1245), k.masterShown) << k.master;
                  EXPECT_EQ(Checked(d, 1251), k.takeoffShown) << k.takeoff;
              },
              [&] { Press(d.window, IDOK); }});
        EXPECT_EQ(d.DoModal({}), 1);
        // What OK keeps is 0 or 1, whatever was read.
        EXPECT_EQ(c.master, k.masterShown) << k.master;
        EXPECT_EQ(c.takeoff, k.takeoffShown) << k.takeoff;
    }

    // The Bonanza: advice, altitude and heading go as the dialog opens, even on Cancel; the
    // last help unchecked switches the copilot off, a help checked does not switch it on.
    c.master = c.takeoff = c.advice = c.altitude = c.heading = 1;
    c.radios = c.navigation = 0;
    planning::CopilotAssitanceDialog bonanza(1);
    Play({[&] {
              EXPECT_FALSE(IsWindowEnabled(Item(bonanza, 1253)));
              EXPECT_EQ(Checked(bonanza, 1247), 0);
              Toggle(bonanza, 1251);
              EXPECT_EQ(Checked(bonanza, 1245), 0);
              Toggle(bonanza, 1248);
              EXPECT_EQ(Checked(bonanza, 1245), 0);
          },
          [&] { Press(bonanza.window, IDCANCEL); }});
    EXPECT_EQ(bonanza.DoModal({}), 0);
    EXPECT_EQ(c.advice + c.altitude + c.heading, 0);
    EXPECT_EQ(c.master, 1);  // Cancel kept the rest
    EXPECT_EQ(c.takeoff, 1);
    c = nav::CopilotSettings{};
}

TEST_F(RecordDialogTest, OnlyYesLeaves) {
    for (const auto& [button, result] : {std::pair{IDYES, 1}, {IDNO, 0}, {IDCANCEL, 0}, {ui::kCancelButtonId, 0}}) {
        planning::ExitDialog d;
        Play({[&, b = button] { Press(d.window, b); }});
        EXPECT_EQ(d.DoModal({}), result) << button;
    }
    // Enter takes the default answer, Yes.
    planning::ExitDialog d;
    Play({[&] {
        const LResult def = SendMessage(d.window, DM_GETDEFID, 0, 0);
        Press(d.window, LOWORD(static_cast<std::uintptr_t>(def)));
    }});
    EXPECT_EQ(d.DoModal({}), 1);
}

TEST(FlightLogCells, WhatIsNotKnownIsLeftBlank) {
    planning::NavLogRow flown;
    flown.fix = "SJC";
    flown.magneticHeading = 142;
    flown.windComponent = -12;
    flown.groundSpeed = 97;
    flown.distance = 45;
    flown.remaining = 12;
    flown.estimatedMinutes = 28;
    flown.actualMinutes = 75;
    flown.actualGroundSpeed = 36;
    flown.estimatedArrival = 13 * 60 + 5;
    flown.legFuel = 3.04F;
    flown.fuelRemaining = 35.8F;
    flown.actualFuelRemaining = 31.25F;
    const std::array<std::string, 14> expected = {"SJC", "142", "-12", "97", "45",  "12",   "00:28",
                                                  "01:15", "36", "13:05", "",  "3.0", "35.8", "31.2"};
    EXPECT_EQ(planning::FlightLogCells(flown), expected);

    // A wind stronger than the aircraft: no time and no fuel; nothing flown yet.
    planning::NavLogRow stopped;
    stopped.fix = "SNS";
    const auto cells = planning::FlightLogCells(stopped);
    for (int c : {6, 7, 8, 9, 10, 11, 12, 13})
        EXPECT_EQ(cells[static_cast<std::size_t>(c)], "") << c;
}

TEST(LessonTraps, WhatEachModeHoldsBack) {
    const struct {
        const char* command;
        bool yoke, yokeAndThrottle;
    } commands[] = {{"ElevatorUp", true, true},  {"AileronLeft", true, true},  {"TrimDown", true, true},
                    {"ThrottleUp", false, true}, {"ThrottleMin", false, true}, {"Pause", false, false},
                    {"LookLeft", false, false},  {"FlapsDown", false, false},  {"", false, false}};
    for (const auto& c : commands) {
        EXPECT_FALSE(planning::IsLessonCommandHeldBack(0, c.command)) << c.command;
        EXPECT_EQ(planning::IsLessonCommandHeldBack(1, c.command), c.yoke) << c.command;
        EXPECT_EQ(planning::IsLessonCommandHeldBack(2, c.command), c.yokeAndThrottle) << c.command;
        EXPECT_FALSE(planning::IsLessonCommandHeldBack(3, c.command)) << c.command;
    }
    // The 172's throttle knob, edges inside.
    EXPECT_TRUE(planning::IsLessonPanelPointHeldBack(2, 295, 433));
    EXPECT_TRUE(planning::IsLessonPanelPointHeldBack(2, 340, 480));
    EXPECT_FALSE(planning::IsLessonPanelPointHeldBack(2, 341, 450));
    EXPECT_FALSE(planning::IsLessonPanelPointHeldBack(1, 300, 450));
    EXPECT_FALSE(planning::IsLessonPanelPointHeldBack(0, 300, 450));
}

}  // namespace
