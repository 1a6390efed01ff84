// General and view commands: the menu commands they post, the world switches, gamma limits, the
// flight-plan condition of the weather briefing, and the view keys through the registry.
#include <gtest/gtest.h>

#include <vector>

#include "flight/aircraft.h"
#include "sim/flight_tape.h"
#include "sim/input/cockpit_commands.h"
#include "sim/input/command_services.h"
#include "sim/input/general_commands.h"
#include "sim/input/key_commands.h"
#include "sim/sim_world.h"
#include "sim/view_controller.h"

namespace {

std::vector<std::uint32_t> thePosted;
int Post(std::uint32_t id) {
    thePosted.push_back(id);
    return 1;
}
int theTower = 0;
int Tower(double out[3]) {
    out[0] = out[1] = out[2] = 0.0;
    return theTower;
}

class GeneralCommands : public ::testing::Test {
protected:
    void SetUp() override {
        saved = sim::theCommandServices;
        sim::theCommandServices.postMenuCommand = &Post;
        sim::theGeneralCommandServices = sim::DefaultGeneralCommandServices();
        sim::theGeneralCommandState = sim::GeneralCommandState{};
        sim::theViewServices = sim::DefaultViewServices();
        sim::theViewServices.nearestTower = &Tower;
        sim::theViewController.ResetPresets();
        flight::theAircraft.SelectByType(0);
        thePosted.clear();
        theTower = 0;
        savedRegistry = sim::theKeyCommandRegistry;
        sim::theKeyCommandRegistry = nullptr;
        sim::RegisterKeyCommandTables();
    }
    void TearDown() override {
        sim::UnregisterKeyCommandTables();
        sim::theKeyCommandRegistry = savedRegistry;
        sim::theCommandServices = saved;
        sim::theViewServices = sim::DefaultViewServices();
        sim::theViewController.ResetPresets();
    }
    sim::CommandServices saved{};
    sim::KeyCommandNode* savedRegistry = nullptr;
};

TEST_F(GeneralCommands, TablesHaveTheirRows) {
    EXPECT_EQ(sim::GeneralCommands().size(), 18u);
    EXPECT_EQ(sim::ViewCommands().size(), 23u);
}

TEST_F(GeneralCommands, DialogKeysPostTheirMenuCommands) {
    const struct {
        std::uint32_t code;
        std::uint32_t menu;
    } cases[] = {{0x40058, 463}, {0x4000D, 677}, {0x71, 102},    {0x72, 565},
                 {0x73, 133},    {0x75, 693},    {0x10075, 108}, {0x40071, 687}};
    for (const auto& c : cases) {
        thePosted.clear();
        EXPECT_EQ(sim::RunKeyCommandByCode(c.code), 1) << std::hex << c.code;
        EXPECT_EQ(thePosted, (std::vector<std::uint32_t>{c.menu})) << std::hex << c.code;
    }
}

TEST_F(GeneralCommands, WorldSwitches) {
    auto& s = sim::theGeneralCommandState;
    sim::RunKeyCommandByCode(0x50);
    EXPECT_EQ(s.pauseRequested, 1);
    sim::RunKeyCommandByCode(0x13);
    EXPECT_EQ(s.pauseRequested, 0);
    sim::RunKeyCommandByCode(0x4004A);
    EXPECT_EQ(s.joystick, 1);
    sim::RunKeyCommandByCode(0x4004B);
    EXPECT_EQ(s.joystick, 0);
    sim::RunKeyCommandByCode(0x10052);
    EXPECT_EQ(s.frameRateShown, 1);
    sim::RunKeyCommandByCode(0x5000D);
    EXPECT_EQ(s.pageFlipping, 1);
}

TEST_F(GeneralCommands, GammaStaysWithinItsRange) {
    const struct {
        int start;
        void (*cmd)();
        int end;
    } cases[] = {{98, &sim::CmdGammaUp, 100},
                 {100, &sim::CmdGammaUp, 100},
                 {50, &sim::CmdGammaUp, 55},
                 {3, &sim::CmdGammaDown, 0},
                 {0, &sim::CmdGammaDown, 0}};
    for (const auto& c : cases) {
        sim::theGeneralCommandState.gamma = c.start;
        c.cmd();
        EXPECT_EQ(sim::theGeneralCommandState.gamma, c.end) << c.start;
    }
}

TEST_F(GeneralCommands, WeatherBriefingNeedsAnActivePlan) {
    sim::CmdWxBrief();
    EXPECT_TRUE(thePosted.empty());
    sim::theGeneralCommandState.flightPlanActive = 1;
    sim::CmdWxBrief();
    EXPECT_EQ(thePosted, (std::vector<std::uint32_t>{688}));
}

TEST_F(GeneralCommands, CockpitViewCyclesOnlyLookingForward) {
    sim::theViewController.SetLookDirection(2);
    sim::RunKeyCommandByCode(0x76);
    EXPECT_EQ(sim::theViewController.GetViewMode(), 0);
    EXPECT_EQ(sim::theViewController.GetLookDirection(), 0);
    sim::RunKeyCommandByCode(0x76);
    EXPECT_EQ(sim::theViewController.GetViewMode(), 1);
}

TEST_F(GeneralCommands, SkyCamKeyEntersThenStepsPresets) {
    for (int i = 0; i < 3; ++i)
        sim::RunKeyCommandByCode(0x40076);
    EXPECT_EQ(sim::theViewController.GetViewMode(), 4);
    EXPECT_EQ(sim::theViewController.GetSkyCamPreset(), 2);
    sim::RunKeyCommandByCode(0x76);  // back to the cockpit
    EXPECT_EQ(sim::theViewController.GetViewMode(), 0);
}

TEST_F(GeneralCommands, TowerCamAndLookKeys) {
    sim::RunKeyCommandByCode(0x10076);
    EXPECT_EQ(sim::theViewController.GetViewMode(), 0);
    const struct {
        std::uint32_t code;
        int direction;
    } cases[] = {{0x10061, 3}, {0x10065, 8}, {0x10069, 7}, {0x10023, 3},
                 {0x1000C, 8}, {0x10026, 0}, {0x10021, 7}, {0x10025, 2}};
    for (const auto& c : cases) {
        EXPECT_EQ(sim::RunKeyCommandByCode(c.code), 1);
        EXPECT_EQ(sim::theViewController.GetLookDirection(), c.direction) << std::hex << c.code;
    }
    theTower = 1;
    sim::RunKeyCommandByCode(0x10076);
    EXPECT_EQ(sim::theViewController.GetViewMode(), 5);
    sim::RunKeyCommandByCode(0x10062);  // ignored in the tower
    EXPECT_EQ(sim::theViewController.GetLookDirection(), 2);
}

TEST_F(GeneralCommands, GpsDisplayToggle) {
    sim::CmdShowGpsDisplay();
    EXPECT_EQ(sim::theGeneralCommandState.gpsShown, 1);
    EXPECT_EQ(sim::theGeneralCommandState.gpsReload, 0);
    sim::theGeneralCommandState.gpsAvailable = 1;
    sim::CmdShowGpsDisplay();
    EXPECT_EQ(sim::theGeneralCommandState.gpsShown, 0);
    EXPECT_EQ(sim::theGeneralCommandState.gpsReload, -1);
}

TEST_F(GeneralCommands, WorldServicesReachTheWorldAndTheViews) {
    const sim::FlightTapeServices savedTape = sim::theFlightTapeServices;
    void (*const savedReset)() = sim::theResetElapsedTime;
    sim::InstallWorldCommandServices();
    EXPECT_NE(sim::theResetElapsedTime, savedReset);
    const bool paused = sim::theSimWorld.IsPauseRequested();
    sim::RunKeyCommandByCode(0x50);
    EXPECT_NE(sim::theSimWorld.IsPauseRequested(), paused);
    sim::RunKeyCommandByCode(0x50);
    EXPECT_EQ(sim::theSimWorld.IsPauseRequested(), paused);
    // The joystick's hat looks through the view controller now.
    EXPECT_EQ(sim::RunKeyCommandByCode(0x203), 1);
    EXPECT_EQ(sim::theViewController.GetLookDirection(), 2);
    EXPECT_EQ(sim::RunKeyCommandByCode(0x102), 1);
    EXPECT_EQ(sim::theViewController.GetViewMode(), 4);
    sim::theGeneralCommandServices = sim::DefaultGeneralCommandServices();
    sim::theFlightTapeServices = savedTape;
    sim::theResetElapsedTime = savedReset;
}

}  // namespace
