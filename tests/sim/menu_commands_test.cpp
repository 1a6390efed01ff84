// Menu commands: the menu carries every command id a user can use, each id does its work, ids
// without a command say so, the menu shows the states, and the Exit question is honoured.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "cockpit/cockpit_services.h"
#include "cockpit/panel_controls.h"
#include "core/ini_file.h"
#include "core/resource_pack.h"
#include "flight/aircraft.h"
#include "flight/flight_model.h"
#include "flight/flight_model_state.h"
#include "nav/atc_services.h"
#include "nav/nav_database.h"
#include "planning/planning_services.h"
#include "resources/main_menu_ids.h"
#include "sim/input/key_commands.h"
#include "sim/input/key_names.h"
#include "sim/main_window_services.h"
#include "sim/menu_commands.h"
#include "sim/sim_world.h"
#include "sim/slew.h"
#include "sim/startup.h"
#include "sim/view_controller.h"
#include "support/temp_folder.h"
#include "ui/general_dialogs.h"
#include "ui/help_window.h"
#include "win/input.h"
#include "win/menu.h"
#include "win/program_entry.h"

namespace {

const unsigned kEveryId[] = {
    101, 102, 104, 106,  108,  109,  119,  120,  124,  125,  129,  130,  133,  159, 163, 168, 177,
    178, 179, 180, 298,  303,  309,  319,  320,  321,  339,  340,  342,  400,  455, 463, 464, 466,
    509, 532, 537, 538,  539,  540,  541,  544,  545,  565,  672,  673,  675,  677, 679, 687, 688,
    690, 692, 693, 695,  696,  697,  698,  699,  700,  701,  702,  703,  704,  705, 706, 707, 708,
    710, 712, 713, 1663, 1664, 1665, 1666, 1681, 1686, 1929, 1930, 1931, 1932, 1933};

class MenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved = core::theIniFile;
        core::theIniFile = core::IniFile(dir.Path("zephlon.ini").c_str());
        dir.Write("zephlon.ini", "[Aircraft]\nAutoComplex=0\n");
        sim::theSimWorld.Init(win::HWND{});
        nav::theAtcState.startPos = 0;
        win::SetTraceSink([this](std::string_view line) { trace.emplace_back(line); });
    }
    void TearDown() override {
        win::SetTraceSink(nullptr);
        planning::SetExitDialogAnswerer(nullptr);
        sim::theSimWorld.Shutdown();
        core::theIniFile = saved;
    }
    bool Traced(const std::string& line) const {
        for (const auto& t : trace)
            if (t == line) return true;
        return false;
    }
    testsupport::TempFolder dir;
    core::IniFile saved;
    std::vector<std::string> trace;
};

// Every item of the menu bar and of each of its menus can be reached by its letter: each names
// one (a "&"), and no two items of one menu share it, since the keys take the first that has it.
TEST_F(MenuTest, EveryMenuItemHasALetterOfItsOwn) {
    std::string error;
    win::HINSTANCE pack =
        core::OpenResourcePack(std::string(ZEPHLON_BINARY_DIR) + "/bin/Zephlon.pack", &error);
    if (!pack) GTEST_SKIP() << "resource pack not built: " << error;
    const auto letterOf = [](const std::string& text) {
        for (std::size_t i = 0; i + 1 < text.size(); ++i)
            if (text[i] == '&') return text[i + 1] == '&' ? (++i, '\0') : static_cast<char>(std::toupper(text[i + 1]));
        return '\0';
    };
    std::vector<win::HMENU> menus{win::LoadMenu(pack, "MAINPULLDOWN")};
    ASSERT_TRUE(menus[0]);
    for (std::size_t m = 0; m < menus.size(); ++m) {
        std::string seen;
        for (int i = 0; i < win::GetMenuItemCount(menus[m]); ++i) {
            std::string text;
            win::GetMenuString(menus[m], static_cast<std::uint32_t>(i), &text, win::MF_BYPOSITION);
            if (text.empty()) continue;  // a separator
            if (win::HMENU sub = win::GetSubMenu(menus[m], i)) menus.push_back(sub);
            const char letter = letterOf(text);
            EXPECT_NE(letter, '\0') << text;
            EXPECT_EQ(seen.find(letter), std::string::npos) << text << " shares its letter in its menu";
            seen += letter;
        }
    }
    EXPECT_GT(menus.size(), 9u);
}

TEST_F(MenuTest, TheMenuBarCarriesEveryCommand) {
    std::string error;
    win::HINSTANCE pack =
        core::OpenResourcePack(std::string(ZEPHLON_BINARY_DIR) + "/bin/Zephlon.pack", &error);
    if (!pack) GTEST_SKIP() << "resource pack not built: " << error;
    win::HMENU menu = win::LoadMenu(pack, "MAINPULLDOWN");
    ASSERT_TRUE(menu);
    EXPECT_EQ(win::GetMenuItemCount(menu), 8);
    // Posted by the program itself (its start, the edge of the airspace), or kept for the
    // command's number alone: the user never sees them.
    const unsigned unseen[] = {CMD_STARTUP, CMD_AIRSPACE_EDGE, CMD_IGNORED};
    for (unsigned id : kEveryId) {
        const bool shown = std::find(std::begin(unseen), std::end(unseen), id) == std::end(unseen);
        EXPECT_EQ(win::GetMenuState(menu, id, win::MF_BYCOMMAND) != win::kMenuError, shown) << id;
    }
    EXPECT_TRUE(win::LoadAccelerators(pack, "CORVEXACCEL"));
    EXPECT_TRUE(win::LoadCursor(pack, CURSOR_ARROW));
    EXPECT_TRUE(win::LoadCursor(pack, CURSOR_WAIT));
    for (std::uint32_t id : {CURSOR_SIZE_NWSE, CURSOR_SIZE_NESW, CURSOR_SIZE_NS, CURSOR_SIZE_WE})
        EXPECT_TRUE(win::LoadCursor(pack, id)) << id;

    sim::theSimWorld.SetCrashDetect(1);
    sim::theSimWorld.SetAutoComplex(1);
    sim::theSimWorld.SetSpeedUp(2);
    sim::UpdateMainMenuState(menu);
    EXPECT_NE(win::GetMenuState(menu, CMD_CRASH_DETECT, 0) & win::MF_CHECKED, 0u);
    EXPECT_NE(win::GetMenuState(menu, CMD_PILOT_IN_COMMAND, 0) & win::MF_CHECKED, 0u);
    EXPECT_EQ(win::GetMenuState(menu, CMD_COPILOT, 0) & win::MF_CHECKED, 0u);
    EXPECT_NE(win::GetMenuState(menu, CMD_GRAPHICS, 0) & win::MF_GRAYED, 0u);
    EXPECT_NE(win::GetMenuState(menu, CMD_ALT_GRAPHICS, 0) & win::MF_GRAYED, 0u);
    EXPECT_NE(win::GetMenuState(menu, CMD_SAVE_PLAN, 0) & win::MF_GRAYED, 0u);
    EXPECT_NE(win::GetMenuState(menu, CMD_SPEED_4X, 0) & win::MF_CHECKED, 0u);
    EXPECT_EQ(win::GetMenuState(menu, CMD_SPEED_1X, 0) & win::MF_CHECKED, 0u);
    sim::theSimWorld.SetAutoComplex(0);
    sim::UpdateMainMenuState(menu);
    EXPECT_EQ(win::GetMenuState(menu, CMD_GRAPHICS, 0) & win::MF_GRAYED, 0u);
    win::DestroyMenu(menu);
    win::FreeResourceLibrary(pack);
}

// An accelerator takes its key before any key command sees it, so none may hold a key that a
// command table uses: the program's tables, and those of the radios, ATC, the GPS and the
// debug keys still to come.
TEST(Accelerators, LeaveEveryKeyCommandItsKey) {
    std::string error;
    win::HINSTANCE pack =
        core::OpenResourcePack(std::string(ZEPHLON_BINARY_DIR) + "/bin/Zephlon.pack", &error);
    if (!pack) GTEST_SKIP() << "resource pack not built: " << error;
    const win::HACCEL table = win::LoadAccelerators(pack, "CORVEXACCEL");
    ASSERT_TRUE(table);
    sim::KeyCommandNode* saved = sim::theKeyCommandRegistry;
    sim::theKeyCommandRegistry = nullptr;
    sim::RegisterKeyCommandTables();
    const std::uint32_t comingTables[] = {
        0x10043, 0x10041, 0x10051, 0x10058, 0x1005A, 0x10031, 0x10032, 0x10033, 0x10034, 0x10035,
        0x10036, 0x10039, 0x10030, 0x100BD, 0x100BB, 0x100DB, 0x100DD, 0x10049, 0x10042, 0x10053,
        0x10054, 0x40031, 0x40032, 0x40033, 0x40034, 0x40035, 0x40036, 0x40037, 0x20043, 0x20047,
        0x2004D, 0x20051, 0x20052, 0x20054, 0x20041, 0x200BF, 0x400C0, 0x20031, 0x20032, 0x20049,
        0x20056, 0x20033, 0x20053, 0x200BD, 0x200BB, 0x200DB, 0x200DD, 0x40042, 0x10073, 0x1006B,
        0x1006D, 0x400DC, 0x40044, 0x77,    0x78,    0x79};
    const std::vector<win::ACCEL> entries = win::GetAcceleratorEntries(table);
    EXPECT_FALSE(entries.empty());
    for (const win::ACCEL& a : entries) {
        ASSERT_NE(a.flags & win::FVIRTKEY, 0) << a.cmd;
        const std::uint32_t code = a.key | ((a.flags & win::FSHIFT) ? sim::kKeyShift : 0) |
                                   ((a.flags & win::FCONTROL) ? sim::kKeyCtrl : 0) |
                                   ((a.flags & win::FALT) ? sim::kKeyAlt : 0);
        EXPECT_EQ(sim::KeyCommandName(code), nullptr) << sim::KeyCodeText(code);
        for (std::uint32_t used : comingTables)
            EXPECT_NE(code, used) << sim::KeyCodeText(code);
    }
    sim::UnregisterKeyCommandTables();
    sim::theKeyCommandRegistry = saved;
    win::FreeResourceLibrary(pack);
}

TEST_F(MenuTest, SwitchCommandsToggleTheirState) {
    sim::SimWorld& w = sim::theSimWorld;
    struct Case {
        unsigned id;
        bool (*state)();
    };
    const Case cases[] = {
        {CMD_CRASH_DETECT, [] { return sim::theSimWorld.IsCrashDetect(); }},
        {CMD_AUTO_COORDINATION, [] { return sim::theSimWorld.IsAutoCoordination(); }},
        {CMD_ENGINE_SYNCH, [] { return sim::theSimWorld.IsMultiEngineSynch(); }},
        {CMD_STATUS_LINE, [] { return sim::theSimWorld.IsStatusLine(); }},
        {CMD_MAG, [] { return sim::theSimWorld.IsMag(); }},
        {CMD_PAUSE, [] { return sim::theSimWorld.IsPauseRequested(); }},
        {CMD_SLEW, [] { return sim::theSlewControl.IsActive(); }},
        {CMD_GPS, [] { return sim::theSimWorld.IsGpsShown(); }},
        {CMD_AUTO_COMPLEX, [] { return sim::theSimWorld.IsAutoComplex(); }},
    };
    for (const Case& c : cases) {
        const bool before = c.state();
        sim::HandleMenuCommand(w.Window(), c.id, {}, 0);
        EXPECT_NE(c.state(), before) << c.id;
        sim::HandleMenuCommand(w.Window(), c.id, {}, 0);
        EXPECT_EQ(c.state(), before) << c.id;
    }
}

TEST_F(MenuTest, IdsSelectSpeedViewAndTimeOfDay) {
    sim::SimWorld& w = sim::theSimWorld;
    sim::HandleMenuCommand({}, CMD_SPEED_16X, {}, 0);
    EXPECT_EQ(w.GetSpeedUp(), 4);
    sim::HandleMenuCommand({}, CMD_SPEED_2X, {}, 0);
    EXPECT_EQ(w.GetSpeedUp(), 1);
    sim::HandleMenuCommand({}, CMD_VIEW_FORWARD, {}, 0);
    EXPECT_EQ(w.GetViewMode(), 2);
    sim::HandleMenuCommand({}, CMD_NIGHT, {}, 0);
    EXPECT_EQ(w.GetDayPeriod(), 3);
    sim::HandleMenuCommand({}, CMD_DAY, {}, 0);
    EXPECT_EQ(w.GetDayPeriod(), 1);
    w.SetAutoComplex(1);
    ui::theDialogsRun.clear();
    sim::HandleMenuCommand({}, CMD_GRAPHICS, {}, 0);
    EXPECT_TRUE(ui::theDialogsRun.empty());  // locked while the preset is on
    const int profile = w.GetGraphicsProfile();
    sim::HandleMenuCommand({}, CMD_ALT_GRAPHICS, {}, 0);
    EXPECT_EQ(w.GetGraphicsProfile(), profile);
}

// The radio groups mark the current choice: the SkyCam preset the camera flies to, the speed-up.
TEST_F(MenuTest, RadioGroupsFollowSkyCamPresetAndSpeedUp) {
    win::HMENU menu = win::CreatePopupMenu();
    ASSERT_TRUE(menu);
    for (unsigned id = CMD_SKYCAM_1; id <= CMD_SKYCAM_4; ++id)
        win::AppendMenu(menu, win::MF_STRING, id, "cam");
    for (unsigned id = CMD_SPEED_1X; id <= CMD_SPEED_16X; ++id)
        win::AppendMenu(menu, win::MF_STRING, id, "speed");
    for (int preset : {2, 0, 3}) {
        sim::HandleMenuCommand({}, CMD_SKYCAM_1 + static_cast<unsigned>(preset), {}, 0);
        sim::HandleMenuCommand({}, CMD_SPEED_1X + static_cast<unsigned>(preset), {}, 0);
        sim::UpdateMainMenuState(menu);
        for (int i = 0; i < 4; ++i) {
            const bool cam = (win::GetMenuState(menu, CMD_SKYCAM_1 + i, 0) & win::MF_CHECKED) != 0;
            const bool speed =
                (win::GetMenuState(menu, CMD_SPEED_1X + i, 0) & win::MF_CHECKED) != 0;
            EXPECT_EQ(cam, i == preset) << "preset " << preset << " item " << i;
            EXPECT_EQ(speed, i == preset) << "speed-up " << preset << " item " << i;
        }
    }
    win::DestroyMenu(menu);
}

TEST_F(MenuTest, DialogCommandsRunTheirTemplates) {
    struct Case {
        unsigned id;
        const char* templateName;
    };
    // Every dialog command builds and runs its dialog (without a resource pack their templates
    // cannot load, and the run ends at once); the dialog mode lets time go again.
    for (const Case c : {Case{125, "YokeSensitivityBox"}, Case{309, "TimeDate"},
                         Case{455, "SoundVolume"}, Case{509, "SETUPCAMS"}, Case{532, "GRAPHICS"},
                         Case{545, "ABOUTBOX"}, Case{692, "Brightness"}, Case{673, "SelectPilot"},
                         Case{163, "LOGBOOKS"}, Case{339, "WindAloft"}, Case{340, "CLOUDS"},
                         Case{342, "SurfaceConditions"}, Case{688, "WxBrief"}, Case{119, "SystemReliability"},
                         Case{129, "PartialPanel"}, Case{679, "PilotStatus"}, Case{693, "FLIGHTLOG"},
                         Case{675, "CopilotBox"}, Case{124, "Loading"}, Case{565, "Checklists"},
                         Case{130, "FlightModel"}}) {
        trace.clear();
        sim::HandleMenuCommand({}, c.id, {}, 0);
        EXPECT_TRUE(Traced(std::string("dialog ") + c.templateName + " ended -1")) << c.id;
        EXPECT_FALSE(sim::theSimWorld.IsPaused());
    }
}

TEST_F(MenuTest, UnknownIdsSayNotYetImplementedAndQuietOnesSayNothing) {
    // 121 is no command (no menu item or key sends it).
    sim::HandleMenuCommand({}, 121, {}, 0);
    EXPECT_TRUE(Traced("message: Not yet implemented!"));
    trace.clear();
    sim::HandleMenuCommand({}, CMD_IGNORED, {}, 0);
    EXPECT_TRUE(trace.empty());
    // Without a display to take over, full screen is refused and the window goes on.
    sim::HandleMenuCommand({}, CMD_FULL_SCREEN, {}, 0);
    EXPECT_TRUE(Traced("window: full screen refused"));
    EXPECT_FALSE(sim::IsFullScreen());
    trace.clear();
    sim::HandleMenuCommand({}, 700, {}, 0);
    EXPECT_TRUE(Traced("help topic 10676: No Help Topic is associated with this item."));
    sim::HandleMenuCommand({}, CMD_HELP_INDEX, {}, 0);
    EXPECT_TRUE(Traced("help index: 0 entries"));
    ui::theHelpWindow.Close();
}

TEST_F(MenuTest, ExitAnsweredStayKeepsRunningAndQuitShutsDownInOrder) {
    planning::SetExitDialogAnswerer([] { return 0; });
    sim::HandleMenuCommand({}, CMD_EXIT, {}, 0);
    EXPECT_TRUE(sim::theSimWorld.IsInitialised());

    sim::theSimWorld.GetAircraft()->AddHobbsTime(0, 42);
    planning::SetExitDialogAnswerer([] { return 1; });
    sim::HandleMenuCommand({}, CMD_EXIT, {}, 0);
    EXPECT_FALSE(sim::theSimWorld.IsInitialised());
    EXPECT_EQ(sim::theShutdownLog,
              (std::vector<std::string>{"WindowPlacement", "HobbsMeter", "Timer", "World",
                                        "PanelArt", "Display", "Window"}));
    const std::string ini = dir.Read("zephlon.ini");
    EXPECT_NE(ini.find("MainX="), std::string::npos);
    EXPECT_NE(ini.find("[Hobbs Meter]"), std::string::npos);
    EXPECT_NE(ini.find("crashdetect="), std::string::npos);
}

TEST_F(MenuTest, RestartLoadsTheStartFlightAndRestsTheAircraft) {
    dir.MakeFolders("Flights");
    dir.Write("Flights/StartUp.Flt", "[Aircraft]\ntype=0\nfmPosX=5000\n");
    testsupport::ScopedCurrentFolder here(dir.Root());
    sim::theSimWorld.SetCrashDetect(1);
    sim::HandleMenuCommand({}, CMD_RESTART, {}, 0);
    EXPECT_TRUE(Traced("flight: loaded Flights\\StartUp.Flt"));
    EXPECT_TRUE(sim::theSimWorld.IsCrashDetect());
    EXPECT_EQ(sim::DefaultFlightName(5, true), "C172Stop.Flt");
    EXPECT_EQ(sim::DefaultFlightName(3, false), "KingFly.Flt");
    EXPECT_EQ(sim::DefaultFlightName(9, false), "");
}

// A reload into the air puts the gear down, as a fresh flight has it; a quiet reload leaves it.
TEST_F(MenuTest, AReloadIntoTheAirLowersTheGear) {
    dir.MakeFolders("Flights");
    dir.Write("Flights/BonFly.Flt", "[Aircraft]\ntype=1\nfmPosY=400000\n");
    testsupport::ScopedCurrentFolder here(dir.Root());
    sim::theSimWorld.GetAircraft()->SelectByType(1);
    for (const bool quiet : {true, false}) {
        cockpit::thePanelSwitches.batteryPower = 1;
        flight::theFlightModelState.fmOTG = 0;
        cockpit::theGearUp = 1;
        flight::theFlightModelState.fmGear = 0;
        if (quiet)
            sim::ReloadAircraftFlightQuiet({});
        else
            sim::ReloadAircraftFlight({}, 0, 0);
        EXPECT_EQ(cockpit::theGearUp, quiet ? 1u : 0u) << quiet;
    }
    EXPECT_TRUE(Traced("flight: loaded Flights\\BonFly.Flt"));
}

// Synchronising the engines puts the right engine's throttle, propeller and mixture levers where
// the left's stand; switching it off moves nothing.
TEST_F(MenuTest, EngineSynchronisationMatchesTheRightLeversToTheLeft) {
    cockpit::LeverGauge* const left[3] = {&cockpit::theThrottleLever, &cockpit::thePropPitchLever,
                                          &cockpit::theMixtureLever};
    cockpit::LeverGauge* const right[3] = {&cockpit::theThrottleLever2,
                                           &cockpit::thePropPitchLever2,
                                           &cockpit::theMixtureLever2};
    sim::theSimWorld.SetMultiEngineSynch(0);
    for (int i = 0; i < 3; ++i) {
        left[i]->lever = static_cast<std::int16_t>(10 + 5 * i);
        right[i]->lever = 3;
    }
    sim::HandleMenuCommand({}, CMD_ENGINE_SYNCH, {}, 0);
    ASSERT_TRUE(sim::theSimWorld.IsMultiEngineSynch());
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(right[i]->lever, left[i]->lever) << i;
    for (int i = 0; i < 3; ++i)
        right[i]->lever = 3;
    sim::HandleMenuCommand({}, CMD_ENGINE_SYNCH, {}, 0);
    ASSERT_FALSE(sim::theSimWorld.IsMultiEngineSynch());
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(right[i]->lever, 3) << i;
}

}  // namespace
