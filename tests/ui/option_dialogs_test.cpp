// The option dialogs as a user works them: sound volumes and mutes, the date-and-time fields with
// their wrap-around and zone changes, the graphics copy that Cancel throws away, the sky-camera
// steps and clamps, the brightness readout, the About list and the small questions.
#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "core/ini_file.h"
#include "devices/sound_device.h"
#include "nav/atc_services.h"
#include "nav/speakers.h"
#include "sim/date_time.h"
#include "sim/view_controller.h"
#include "support/temp_folder.h"
#include "ui/dialog_services.h"
#include "ui/general_dialogs.h"
#include "ui/option_dialogs.h"
#include "ui_test_support.h"
#include "win/controls.h"

namespace {

using namespace win;
using F = ui::DateAndTimeDialog;

class OptionDialogTest : public uitest::DialogTest {
protected:
    void SetUp() override {
        DialogTest::SetUp();
        FreeResourceLibrary(uitest::theTestLibrary);
        uitest::theTestLibrary =
            uitest::LoadDialogTemplates(false, {"option_dialogs.rc", "about_strings.rc"});
        savedIni = core::theIniFile;
        core::theIniFile = core::IniFile(dir.Path("zephlon.ini").c_str());
    }
    void TearDown() override {
        core::theIniFile = savedIni;
        DialogTest::TearDown();
    }
    // The control of the open dialog `d`.
    static HWND Item(const ui::Dialog& d, int id) { return GetDlgItem(d.window, id); }
    static void Type(const ui::Dialog& d, int id, const char* text) {
        SetFocus(Item(d, id));
        SetWindowText(Item(d, id), text);
        SetFocus(Item(d, IDOK));  // the field hears it lose the focus
    }
    static int Track(const ui::Dialog& d, int id) {
        return static_cast<int>(SendMessage(Item(d, id), TBM_GETPOS, 0, 0));
    }
    static void SetTrack(const ui::Dialog& d, int id, int pos) {
        SendMessage(Item(d, id), TBM_SETPOS, 1, pos);
    }
    static void Click(const ui::Dialog& d, int id) {
        SendMessage(d.window, WM_COMMAND, MAKEWPARAM(static_cast<std::uint16_t>(id), BN_CLICKED),
                    static_cast<LParam>(Item(d, id).id));
    }
    static void Select(const ui::Dialog& d, int id, int row) {
        SendMessage(Item(d, id), CB_SETCURSEL, static_cast<WParam>(row), 0);
        SendMessage(d.window, WM_COMMAND, MAKEWPARAM(static_cast<std::uint16_t>(id), CBN_SELCHANGE),
                    static_cast<LParam>(Item(d, id).id));
    }
    static void Step(const ui::Dialog& d, int upDown, int times) {
        for (int i = 0; i < std::abs(times); ++i)
            SendMessage(Item(d, upDown), WM_KEYDOWN, times > 0 ? VK_UP : VK_DOWN, 0);
    }
    testsupport::TempFolder dir{"zephlon-options"};
    core::IniFile savedIni;
};

// Loud on the right, where the dialog says "Louder": the right end is no attenuation, the left
// end silence.
TEST(SoundVolumes, PositionsShowAttenuation) {
    struct Case {
        int position;
        std::int32_t volume;
    };
    for (const Case c :
         {Case{100, 0}, Case{99, -30}, Case{50, -1500}, Case{1, -2970}, Case{0, -9500}}) {
        EXPECT_EQ(ui::PositionToVolume(c.position), c.volume);
        EXPECT_EQ(ui::VolumeToPosition(c.volume), c.position);
    }
    EXPECT_EQ(ui::VolumeToPosition(-10000), 0);
    EXPECT_EQ(ui::VolumeToPosition(100), 100);  // the settings' default "100" is no attenuation
    EXPECT_EQ(ui::PositionToVolume(250), 0);
}

TEST_F(OptionDialogTest, SoundStoresEveryChannelOfAGroupAndMutesOnlyWhatChanged) {
    using namespace devices;
    SoundChannel* engines[5] = {&theLeftStarterSound, &theRightStarterSound, &theLeftEngineSound,
                                &theRightEngineSound, &theAmbientSound};
    for (SoundChannel* c : engines)
        c->categoryVolume = -300;
    theAtcMuted = theEnginesMuted = theEffectsMuted = 0;
    nav::theAtisSpeech.muted = nav::theAtcSpeech.muted = 0;
    ui::SoundDialog d;
    Play({[&] {
              EXPECT_EQ(Track(d, 1701), 90);
              EXPECT_EQ(SendMessage(Item(d, 1705), BM_GETCHECK, 0, 0), 0);
              // The label over the slider's right end says "Louder".
              win::HWND louder{}, quieter{};
              for (win::HWND c = GetWindow(d.window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
                  if (GetWindowText(c) == "Louder") louder = c;
                  if (GetWindowText(c) == "Quieter") quieter = c;
              }
              RECT l{}, q{};
              GetWindowRect(louder, &l);
              GetWindowRect(quieter, &q);
              EXPECT_GT(l.left, q.left);
              SetTrack(d, 1701, 0);
              SetTrack(d, 1702, 1);
              SendMessage(Item(d, 1705), BM_SETCHECK, BST_CHECKED, 0);
          },
          [&] { Press(d.window, IDOK); }});
    EXPECT_EQ(d.DoModal({}), 1);
    for (SoundChannel* c : engines)
        EXPECT_EQ(c->categoryVolume, -9500);
    EXPECT_EQ(nav::theAtisSpeech.volume, -2970);
    EXPECT_EQ(nav::theAtcSpeech.volume, -2970);
    EXPECT_EQ(theAtcMuted, 1u);
    EXPECT_EQ(nav::theAtisSpeech.muted, 1u);
    EXPECT_EQ(nav::theAtcSpeech.muted, 1u);
    EXPECT_EQ(theEnginesMuted, 0u);
    EXPECT_EQ(theEffectSound.muted, 0u);

    // Cancel stores nothing.
    ui::SoundDialog again;
    Play({[&] { SetTrack(again, 1701, 100); }, [&] { Press(again.window, IDCANCEL); }});
    EXPECT_EQ(again.DoModal({}), 0);
    EXPECT_EQ(theLeftEngineSound.categoryVolume, -9500);
    theAtcMuted = 0;
    nav::theAtisSpeech.muted = nav::theAtcSpeech.muted = 0;
}

TEST(DateFields, YearsMonthsAndSteps) {
    struct Year {
        int typed, kept;
    };
    for (const Year y : {Year{0, 0}, Year{35, 35}, Year{36, 35}, Year{53, 35}, Year{54, 70},
                         Year{69, 70}, Year{70, 70}, Year{99, 99}, Year{-4, 0}, Year{250, 99}})
        EXPECT_EQ(ui::ClampTwoDigitYear(y.typed), y.kept) << y.typed;
    EXPECT_EQ(ui::MonthLength(2, 0), 29);  // 2000
    EXPECT_EQ(ui::MonthLength(2, 99), 28);
    EXPECT_EQ(ui::MonthLength(2, 96), 29);
    EXPECT_EQ(ui::MonthLength(4, 1), 30);
    EXPECT_EQ(ui::MonthLength(12, 1), 31);
    using F = ui::DateAndTimeDialog;
    EXPECT_EQ(F::FieldAt(F::kTimeDisplay, 0), F::kHour);
    EXPECT_EQ(F::FieldAt(F::kTimeDisplay, 28), F::kMinute);
    EXPECT_EQ(F::FieldAt(F::kTimeDisplay, 59), F::kMinute);
    EXPECT_EQ(F::FieldAt(F::kTimeDisplay, 60), F::kSecond);
    EXPECT_EQ(F::FieldAt(F::kDateDisplay, 27), F::kMonth);
    EXPECT_EQ(F::FieldAt(F::kDateDisplay, 30), F::kDay);
    EXPECT_EQ(F::FieldAt(F::kDateDisplay, 90), F::kYear);
}

std::uint32_t FixedClock() {
    return 1000;
}

// The clock at a UTC moment (years since 1900, months from 0).
void SetZulu(sim::DateAndTime& time, int year, int month, int day, int hour, int minute) {
    sim::CalendarTime t;
    t.year = year;
    t.mon = month;
    t.mday = day;
    t.hour = hour;
    t.min = minute;
    time.SetZuluTime(t);
}

TEST_F(OptionDialogTest, DateAndTimeStepsWrapsMovesZonesAndWritesOnOk) {
    sim::DateAndTime time(&FixedClock);
    SetZulu(time, 100, 1, 28, 2, 59);  // 28 February 2000, 02:59
    const std::int64_t before = time.GetCalendarSeconds();
    ui::DateAndTimeDialog d(time);
    Play({[&] {
              EXPECT_EQ(GetWindowText(Item(d, 1625)), "02");
              EXPECT_EQ(GetWindowText(Item(d, 1638)), "00");
              EXPECT_FALSE(IsWindowEnabled(Item(d, 1957)));
              // Day 28 of February 2000 steps to 29, then wraps to 1.
              SetFocus(Item(d, 1636));
              Step(d, 1530, 1);
              EXPECT_EQ(d.FieldValue(F::kDay), 29);
              Step(d, 1530, 1);
              EXPECT_EQ(GetWindowText(Item(d, 1636)), "01");
              // 02:59 steps a minute up to 00 without touching the hour.
              SetFocus(Item(d, 1748));
              Step(d, 1529, 1);
              EXPECT_EQ(d.FieldValue(F::kMinute), 0);
              EXPECT_EQ(d.FieldValue(F::kHour), 2);
              // UTC to manual Eastern Standard Time (in February): the hour 5 lower, and past
              // midnight the day before.
              Select(d, 1957, 0);
              Select(d, 1956, 1);
              EXPECT_TRUE(IsWindowEnabled(Item(d, 1957)));
              EXPECT_EQ(d.FieldValue(F::kHour), 21);
              Select(d, 1956, 1);  // the same mode again moves nothing
              EXPECT_EQ(d.FieldValue(F::kHour), 21);
              EXPECT_EQ(d.FieldValue(F::kDay), 31);
              EXPECT_EQ(d.FieldValue(F::kMonth), 1);
              EXPECT_EQ(GetWindowText(Item(d, 1636)), "31");
              // Years: down from 70 stays 70, up from 35 stays 35.
              Type(d, 1638, "70");
              SetFocus(Item(d, 1638));
              Step(d, 1530, -1);
              EXPECT_EQ(d.FieldValue(F::kYear), 70);
              Type(d, 1638, "35");
              SetFocus(Item(d, 1638));
              Step(d, 1530, 1);
              EXPECT_EQ(d.FieldValue(F::kYear), 35);
              // Typed letters, empty fields and big numbers clamp when the field is left.
              Type(d, 1625, "xy");
              EXPECT_EQ(GetWindowText(Item(d, 1625)), "00");
              Type(d, 1748, "99");
              EXPECT_EQ(GetWindowText(Item(d, 1748)), "59");
              Type(d, 1634, "");
              EXPECT_EQ(d.FieldValue(F::kMonth), 1);
              Type(d, 1638, "50");
              EXPECT_EQ(d.FieldValue(F::kYear), 35);
          },
          [&] { Press(d.window, IDCANCEL); }});
    EXPECT_EQ(d.DoModal({}), 0);
    EXPECT_EQ(time.GetCalendarSeconds(), before) << "Cancel leaves the clock as it was";
    EXPECT_EQ(time.GetZoneMode(), 0);

    // OK in manual Central Standard Time (the zone named at the clock's date, in February; 6
    // hours behind UTC): 10:30 local on 15 June 1999 is 16:30 UTC.
    ui::DateAndTimeDialog ok(time);
    Play({[&] {
              Select(ok, 1956, 1);
              Select(ok, 1957, 1);
              Type(ok, 1625, "10");
              Type(ok, 1748, "30");
              Type(ok, 1628, "0");
              Type(ok, 1634, "6");
              Type(ok, 1636, "15");
              Type(ok, 1638, "99");
          },
          [&] { Press(ok.window, IDOK); }});
    EXPECT_EQ(ok.DoModal({}), 1);
    EXPECT_EQ(time.GetZoneMode(), 1);
    EXPECT_EQ(time.GetManualZone(), 6);
    sim::CalendarTime z;
    time.GetZuluTime(&z);
    EXPECT_EQ(z.hour, 16);
    EXPECT_EQ(z.min, 30);
    EXPECT_EQ(z.mday, 15);
    EXPECT_EQ(z.mon, 5);
    EXPECT_EQ(z.year, 99);
}

// Choosing another zone shows the same moment in it, across midnight and the year's end, so
// OK without typing leaves the clock where it was.
TEST_F(OptionDialogTest, AnotherZoneShowsTheSameMoment) {
    sim::DateAndTime time(&FixedClock);
    SetZulu(time, 100, 0, 1, 3, 15);  // 1 January 2000, 03:15 UTC
    const std::int64_t before = time.GetCalendarSeconds();
    ui::DateAndTimeDialog d(time);
    struct Shown {
        int mode, zone, hour, day, month, year;
    };
    Play({[&] {
              for (const Shown& s : {Shown{1, 0, 22, 31, 12, 99},  // Eastern Standard (5 behind)
                                     Shown{1, 3, 19, 31, 12, 99},  // Pacific Standard (8 behind)
                                     Shown{1, 1, 21, 31, 12, 99},  // Central Standard (6 behind)
                                     Shown{0, 1, 3, 1, 1, 0}}) {   // UTC again
                  Select(d, 1956, s.mode);
                  Select(d, 1957, s.zone);
                  EXPECT_EQ(d.FieldValue(F::kHour), s.hour) << s.mode << " " << s.zone;
                  EXPECT_EQ(d.FieldValue(F::kDay), s.day);
                  EXPECT_EQ(d.FieldValue(F::kMonth), s.month);
                  EXPECT_EQ(d.FieldValue(F::kYear), s.year);
              }
              Select(d, 1956, 1);
              Select(d, 1957, 3);
          },
          [&] { Press(d.window, IDOK); }});
    EXPECT_EQ(d.DoModal({}), 1);
    EXPECT_EQ(time.GetManualZone(), 8);
    EXPECT_EQ(time.GetCalendarSeconds(), before);
}

// Each zone the list names is the zone whose time the dialog shows: the US zones' offsets from
// UTC by their common names, standard time except on the dates daylight time is in force (the
// rule of 1987 to 2006, and the one since), the days of the change counted as changed.
TEST_F(OptionDialogTest, EachZoneNamedShowsThatZonesTime) {
    const std::map<std::string, int> behind = {
        {"Eastern Standard Time", 5}, {"Eastern Daylight Time", 4}, {"Central Standard Time", 6},
        {"Central Daylight Time", 5}, {"Mountain Standard Time", 7}, {"Mountain Daylight Time", 6},
        {"Pacific Standard Time", 8}, {"Pacific Daylight Time", 7}};
    const struct {
        int year, month, day;  // month 0..11
        bool daylight;
    } dates[] = {{99, 5, 15, true},  {99, 11, 15, false}, {99, 3, 3, false},   {99, 3, 4, true},
                 {99, 9, 30, true},  {99, 9, 31, false},  {110, 2, 13, false}, {110, 2, 14, true},
                 {110, 10, 6, true}, {110, 10, 7, false}, {86, 3, 26, false},  {86, 3, 27, true}};
    for (const auto& date : dates) {
        SCOPED_TRACE(std::to_string(date.year) + "/" + std::to_string(date.month + 1) + "/" +
                     std::to_string(date.day));
        sim::DateAndTime time(&FixedClock);
        SetZulu(time, date.year, date.month, date.day, 12, 0);
        ui::DateAndTimeDialog d(time);
        Play({[&] {
                  Select(d, 1956, 1);
                  for (int row = 0; row < 4; ++row) {
                      Select(d, 1957, row);
                      char name[64] = {};
                      win::SendDlgItemMessage(d.window, 1957, win::CB_GETLBTEXT,
                                              static_cast<win::WParam>(row),
                                              reinterpret_cast<win::LParam>(name));
                      ASSERT_EQ(behind.count(name), 1u) << name;
                      EXPECT_EQ(std::string(name).find("Daylight") != std::string::npos,
                                date.daylight)
                          << name;
                      EXPECT_EQ((12 - d.FieldValue(F::kHour) + 24) % 24, behind.at(name)) << name;
                  }
              },
              [&] { Press(d.window, IDCANCEL); }});
        d.DoModal({});
    }
}

// Every value of both profiles and which one is in use.
std::vector<int> Values(world::SceneryGraphicsSettings s) {
    std::vector<int> v{s.ProfileInUse()};
    for (const int profile : {0, 1}) {
        s.SelectProfile(profile);
        for (int i = 0; i < 14; ++i)
            v.push_back(s.Get(i));
    }
    return v;
}

TEST_F(OptionDialogTest, GraphicsEditsItsCopyAndSwitchesProfiles) {
    world::SceneryGraphicsSettings world;
    world.SelectProfile(0);
    world.Set(0, 60);
    world.Set(1, 1);
    const world::SceneryGraphicsSettings original = world;
    ui::GraphicsDialog cancelled(world);
    Play({[&] {
              EXPECT_EQ(SendMessage(Item(cancelled, 1900), BM_GETCHECK, 0, 0), BST_CHECKED);
              EXPECT_EQ(Track(cancelled, 1924), 60);
              Click(cancelled, 1001);  // textured terrain off
              EXPECT_EQ(SendMessage(Item(cancelled, 1001), BM_GETCHECK, 0, 0), BST_UNCHECKED);
              Click(cancelled, 1925);
          },
          [&] { Press(cancelled.window, IDCANCEL); }});
    EXPECT_EQ(cancelled.DoModal({}), 0);
    EXPECT_EQ(Values(world), Values(original)) << "Cancel leaves the world's settings untouched";

    ui::GraphicsDialog d(world);
    Play({[&] {
              SetTrack(d, 1924, 80);
              Click(d, 1901);  // the main profile keeps 80; the alternate shows
              EXPECT_EQ(SendMessage(Item(d, 1901), BM_GETCHECK, 0, 0), BST_CHECKED);
              Click(d, 1926);
              EXPECT_EQ(Track(d, 1943), 100);
              SendMessage(Item(d, 1019), CB_SETCURSEL, 3, 0);
          },
          [&] { Press(d.window, IDOK); }});
    EXPECT_EQ(d.DoModal({}), 1);
    EXPECT_EQ(d.settings.ProfileInUse(), 1);
    EXPECT_EQ(d.settings.Get(4), 3);
    EXPECT_EQ(d.settings.Get(13), 1);
    d.settings.SelectProfile(0);
    EXPECT_EQ(d.settings.Get(0), 80);
    EXPECT_EQ(Values(world), Values(original));
}

TEST(SkyCameras, ClockPositionsAndStepsOfFifty) {
    for (int k = 0; k < 12; ++k)
        EXPECT_EQ(
            ui::SetupCamsDialog::ClockIndexOfHeading(ui::SetupCamsDialog::HeadingOfClockIndex(k)),
            k);
    EXPECT_EQ(ui::SetupCamsDialog::ClockIndexOfHeading(0.0f), 6);  // straight behind
    EXPECT_EQ(ui::SetupCamsDialog::ClockIndexOfHeading(5.0f), 6);  // outside: as 0
    EXPECT_EQ(std::trunc(ui::SetupCamsDialog::HeadingOfClockIndex(3) * 10000), -47123);
    struct Case {
        int value, delta, next;
    };
    for (const Case c :
         {Case{300, 1, 350}, Case{320, 1, 350}, Case{320, -1, 300}, Case{300, -1, 250},
          Case{980, 1, 1000}, Case{1000, 1, 1000}, Case{50, -1, 50}, Case{-120, 1, -100},
          Case{-100, -1, -150}, Case{0, -1, -50}})
        EXPECT_EQ(ui::SetupCamsDialog::StepToFifty(c.value, c.delta, c.value < 50 ? -500 : 50,
                                                   c.value < 50 ? 500 : 1000),
                  c.next)
            << c.value << " " << c.delta;
}

TEST_F(OptionDialogTest, SkyCamerasClampStepAndWriteTheViews) {
    sim::ViewController views;
    ui::SetupCamsDialog d(views, 1);
    Play({[&] {
              EXPECT_EQ(GetWindowText(Item(d, 1935)), "100");
              Type(d, 1935, "x");
              EXPECT_EQ(GetWindowText(Item(d, 1935)), "50");
              Type(d, 1936, "99999999999");
              EXPECT_EQ(GetWindowText(Item(d, 1936)), "1000");
              Type(d, 1939, "-900");
              EXPECT_EQ(GetWindowText(Item(d, 1939)), "-500");
              Type(d, 1937, "120");
              Step(d, 1948, 1);
              EXPECT_EQ(GetWindowText(Item(d, 1937)), "150");
              Step(d, 1948, -2);
              EXPECT_EQ(GetWindowText(Item(d, 1937)), "50");
              Select(d, 1932, 3);
              Select(d, 1639, 2);
              SendMessage(Item(d, 1942), BM_SETCHECK, BST_UNCHECKED, 0);
          },
          [&] { Press(d.window, IDOK); }});
    EXPECT_EQ(d.DoModal({}), 1);
    EXPECT_EQ(views.Preset(0).distance, 50.0f);
    EXPECT_EQ(views.Preset(0).altitude, -500.0f);
    EXPECT_EQ(views.Preset(1).distance, 1000.0f);
    EXPECT_EQ(views.Preset(2).distance, 50.0f);
    EXPECT_NEAR(views.Preset(0).heading, -4.712389f, 1e-5);
    EXPECT_EQ(views.GetViewMode(), sim::kViewSkyCam);
    EXPECT_EQ(views.GetSkyCamPreset(), 2);
    EXPECT_EQ(views.GetPanCamera(), 0);
    EXPECT_EQ(core::theIniFile.GetInt("Views", "sc0Head", 0), -47123);
    EXPECT_EQ(core::theIniFile.GetInt("Views", "sc1Dist", 0), 10000000);
    EXPECT_EQ(core::theIniFile.GetInt("Views", "mag", -1), 1);
}

TEST_F(OptionDialogTest, BrightnessShowsOnlyChangedPositions) {
    ui::BrightnessDialog d;
    ASSERT_EQ(d.CreateModeless({}), 1);
    const int start = d.LastShown();
    EXPECT_EQ(GetWindowText(Item(d, 1960)), std::to_string(start) + " %");
    struct Case {
        int position;  // of the message
        int trackbar;
        int shown;
    };
    for (const Case c : {Case{0, 45, 45}, Case{70, 45, 70}, Case{70, 10, 70}, Case{150, 10, 70},
                         Case{100, 10, 100}, Case{1, 10, 1}}) {
        SetTrack(d, 1959, c.trackbar);
        SendMessage(d.window, WM_HSCROLL,
                    MAKEWPARAM(TB_THUMBTRACK, static_cast<std::uint16_t>(c.position)),
                    static_cast<LParam>(Item(d, 1959).id));
        EXPECT_EQ(d.LastShown(), c.shown) << c.position;
        EXPECT_EQ(GetWindowText(Item(d, 1960)), std::to_string(c.shown) + " %");
    }
    d.DestroyModeless();
}

TEST_F(OptionDialogTest, AboutListsEveryStringAndQuestionsAnswerOneOrZero) {
    ui::AboutDialog about;
    int rows = 0, selected = -1;
    std::string first;
    Play({[&] {
              const HWND list = Item(about, 1789);
              rows = static_cast<int>(SendMessage(list, LB_GETCOUNT, 0, 0));
              selected = static_cast<int>(SendMessage(list, LB_GETCURSEL, 0, 0));
              char text[128] = {};
              SendMessage(list, LB_GETTEXT, 0, reinterpret_cast<LParam>(text));
              first = text;
          },
          [&] { Press(about.window, IDOK); }});
    EXPECT_EQ(about.DoModal({}), 1);
    EXPECT_EQ(rows, 185);
    EXPECT_EQ(selected, -1) << "no line highlighted";
    EXPECT_EQ(first, "Zephlon");

    // The save question's three answers: save, go on without saving, cancel.
    for (const auto& [button, answer] : {std::pair{IDOK, 1}, {IDNO, 2}, {IDCANCEL, 0}}) {
        Play({[&, button = button] { Press(Dialog("Flight Plan"), button); }});
        EXPECT_EQ(ui::RunSaveFPDialog({}), answer) << button;
    }
    for (const bool ok : {true, false}) {
        ui::FlightProfileOptionsDialog profile;
        Play({[&] { Press(profile.window, ok ? IDOK : 1817); }});
        EXPECT_EQ(profile.DoModal({}), ok ? 1 : 0);
    }
    // The pause notice ends with 1 also on Escape, through its hidden Cancel button.
    ui::PausedDialog paused;
    Play({[&] {
        ASSERT_TRUE(Item(paused, IDCANCEL));
        EXPECT_FALSE(IsWindowVisible(Item(paused, IDCANCEL)));
        platform::Event e;
        e.kind = platform::EventKind::KeyDown;
        e.scancode = platform::Scancode::Escape;
        machine.Input().Inject(e);
    }});
    EXPECT_EQ(paused.DoModal({}), 1);
    // Without its template a question cancels.
    FreeResourceLibrary(uitest::theTestLibrary);
    uitest::theTestLibrary = uitest::LoadDialogTemplates();
    EXPECT_EQ(ui::RunCloseFPDialog({}), 0);
}

}  // namespace
