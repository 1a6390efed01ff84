// The world singleton: its creation and destruction order, situations saved and loaded section
// by section, the tick tasks it runs, graphics profiles and the time-of-day periods.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "cockpit/autopilot_panel.h"
#include "cockpit/cockpit_switches.h"
#include "cockpit/panel_controls.h"
#include "cockpit/panel_services.h"
#include "core/ini_file.h"
#include "flight/aircraft.h"
#include "flight/flight_model.h"
#include "flight/flight_model_state.h"
#include "gfx/surface.h"
#include "nav/copilot_state.h"
#include "nav/lat_lon.h"
#include "planning/planning_services.h"
#include "sim/input/key_commands.h"
#include "sim/sim_world.h"
#include "sim/slew.h"
#include "sim/view_controller.h"
#include "support/temp_folder.h"
#include "ts/light_set.h"
#include "ts/perspective_camera.h"
#include "win/profile.h"
#include "win/program_entry.h"

namespace {

// Points the program's settings file into a temporary folder for the test's lifetime.
class WorldTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved = core::theIniFile;
        core::theIniFile = core::IniFile(dir.Path("zephlon.ini").c_str());
        flight::ResetFlightModel();
    }
    void TearDown() override {
        sim::theSimWorld.Shutdown();
        core::theIniFile = saved;
    }
    testsupport::TempFolder dir;
    core::IniFile saved;
};

// Init makes the objects and reads the settings once; Shutdown writes the settings and takes
// the objects and the world's services down again, once.
TEST_F(WorldTest, InitAndShutdownRunOnceWithTheirEffects) {
    dir.Write("zephlon.ini", "[Aircraft]\ncrashdetect=0\n[Feq]\nmaxCrashPitch=1234\n");
    core::theIniFile = core::IniFile(dir.Path("zephlon.ini").c_str());
    sim::SimWorld w;
    w.Init(win::HWND{});
    EXPECT_TRUE(w.IsInitialised());
    EXPECT_FALSE(w.IsPaused());  // the constructor's pause ends with Init
    EXPECT_FALSE(w.IsCrashDetect());
    EXPECT_EQ(flight::theCrashLimits.maxCrashPitch, 1234);
    ASSERT_NE(w.GetAircraft(), nullptr);
    EXPECT_EQ(w.GetAircraft()->GetType(), 0);
    EXPECT_NE(w.Reliability(), nullptr);
    EXPECT_NE(w.Weather(), nullptr);
    EXPECT_NE(flight::theShowCrashReport, &flight::DefaultShowCrashReport);
    w.SetCrashDetect(1);
    w.Init(win::HWND{});  // a second Init changes nothing
    EXPECT_TRUE(w.IsCrashDetect());
    w.Shutdown();
    EXPECT_FALSE(w.IsInitialised());
    EXPECT_EQ(w.GetAircraft(), nullptr);
    EXPECT_EQ(flight::theShowCrashReport, &flight::DefaultShowCrashReport);
    EXPECT_NE(dir.Read("zephlon.ini").find("crashdetect=1"), std::string::npos);
    dir.Write("zephlon.ini", "");
    w.Shutdown();  // a second Shutdown writes nothing
    EXPECT_EQ(dir.Read("zephlon.ini"), "");
}

// Steps the world takes for its neighbours: the copilot's flag and ATC delay follow the flight
// mode, the autopilot's trim light goes out at the slow tick unless a click is held, a selection
// with the engine running steps the throttle down, the airborne flight loads from "Flights", and
// the crash check's explanation is shown.
TEST_F(WorldTest, StepsForTheNeighbours) {
    sim::SimWorld w;
    w.Init(win::HWND{});
    nav::theCopilotRadioHelp = 1;
    w.SetFlightMode(5);
    EXPECT_EQ(nav::theCopilotFlag, 1u);
    EXPECT_EQ(nav::theAtcReplyDelay, 200);
    w.SetFlightMode(0);
    EXPECT_EQ(nav::theCopilotFlag, 0u);
    EXPECT_EQ(nav::theAtcReplyDelay, 0);
    nav::theCopilotRadioHelp = 0;

    cockpit::PanelGauge& ap = cockpit::theAutopilotPanel;
    ap.buttons[cockpit::kAutopilotEngaged] = 1;
    for (const int held : {1, 0}) {
        cockpit::theAutopilotTrimButton = 2;
        ap.dirty = 0;
        cockpit::thePanelMouse.kind = held ? 3 : 0;
        w.TickEvery18();
        EXPECT_EQ(cockpit::theAutopilotTrimButton, held ? 2 : 0);
        EXPECT_EQ(ap.dirty, held ? 0 : 1);
    }
    ap.buttons[cockpit::kAutopilotEngaged] = 0;
    cockpit::theAutopilotTrimButton = 0;
    cockpit::thePanelMouse = cockpit::PanelMouse{};

    sim::RegisterKeyCommandTables();
    flight::theFlightModelState.fmEngines = 1;
    cockpit::theThrottleLever.lever = 20;
    w.GetAircraft()->SelectByType(1);
    EXPECT_EQ(cockpit::theThrottleLever.lever, 19);
    sim::UnregisterKeyCommandTables();

    dir.MakeFolders("Flights");
    dir.Write("Flights/BonAir.Flt", "[Aircraft]\ntype=1\nfmPosY=300000\n");
    {
        testsupport::ScopedCurrentFolder here(dir.Root());
        EXPECT_EQ(w.GetAircraft()->LoadAirborneFlight(), 1);
    }
    EXPECT_EQ(flight::theFlightModelState.fmPosY, 300000);  // a partial load: x and z stay

    std::vector<std::string> trace;
    win::SetTraceSink([&](std::string_view line) { trace.emplace_back(line); });
    flight::theCrashLimits.showWhyCrash = 1;
    flight::FlightModelState& s = flight::theFlightModelState;
    s.fmOTG = 1;
    s.fmOGV = 0;
    s.fmHVel = 30 << 16;
    s.fmVVel = -(40 << 16);
    flight::CheckCrash();
    win::SetTraceSink(nullptr);
    flight::theCrashLimits.showWhyCrash = 0;
    flight::theCrashed = 0;
    // The explanation is shown in the program's message box.
    ASSERT_FALSE(trace.empty());
    EXPECT_EQ(trace.back().rfind("dialog GENERIC ended", 0), 0u) << trace.back();
}

TEST_F(WorldTest, SaveLoadSaveIsByteIdentical) {
    {
        sim::SimWorld a;
        a.Init(win::HWND{});
        flight::theFlightModelState.fmPosX = 1234567;
        flight::theFlightModelState.fmPosY = 76543;
        flight::theFlightModelState.fmPosZ = -998877;
        flight::theFlightModelState.fmHead = 0x4000;
        core::IniFile first(dir.Path("first.flt").c_str());
        EXPECT_EQ(a.SaveSituation(first), 1);
    }
    flight::ResetFlightModel();
    sim::SimWorld b;
    b.Init(win::HWND{});
    core::IniFile first(dir.Path("first.flt").c_str());
    EXPECT_EQ(b.LoadSituation(first, 1), 1);
    EXPECT_EQ(flight::theFlightModelState.fmPosX, 1234567);
    EXPECT_EQ(flight::theFlightModelState.fmPosZ, -998877);
    core::IniFile second(dir.Path("second.flt").c_str());
    EXPECT_EQ(b.SaveSituation(second), 1);
    const std::string one = dir.Read("first.flt");
    EXPECT_FALSE(one.empty());
    EXPECT_NE(one.find("[Time]"), std::string::npos);
    EXPECT_NE(one.find("[Aircraft]"), std::string::npos);
    EXPECT_EQ(one, dir.Read("second.flt"));
}

TEST_F(WorldTest, PartialLoadKeepsThePlaceAndClearsMissingKeys) {
    sim::SimWorld w;
    w.Init(win::HWND{});
    w.SetAutoCoordination(1);
    dir.Write("p.flt", "[Aircraft]\ntype=0\n");
    flight::theFlightModelState.fmPosX = 4242;
    flight::theFlightModelState.fmPosZ = -4242;
    flight::theFlightModelState.fmPosY = 999;
    core::IniFile f(dir.Path("p.flt").c_str());
    w.LoadSituation(f, 0);
    EXPECT_EQ(flight::theFlightModelState.fmPosX, 4242);
    EXPECT_EQ(flight::theFlightModelState.fmPosZ, -4242);
    EXPECT_EQ(flight::theFlightModelState.fmPosY, 0);  // missing keys read as 0
    EXPECT_TRUE(w.IsAutoCoordination());               // survives the load
    w.LoadSituation(f, 1);
    EXPECT_EQ(flight::theFlightModelState.fmPosX, 0);
}

// A saved flight brings its plan back only from a readable plan file it names, at the node it
// was saved at when the stamps hold, else at the plan's start.
TEST_F(WorldTest, ASavedFlightsPlanComesBackOnlyFromAReadablePlanFile) {
    sim::theSimWorld.Init(win::HWND{});
    {
        planning::FlightPlan hop;
        const char* idents[3] = {"KSQL", "PXN", "KFAT"};
        for (int i = 0; i < 3; ++i) {
            hop.nodes[static_cast<std::size_t>(i)].ident = idents[i];
            hop.nodes[static_cast<std::size_t>(i)].kind = i == 1 ? 2 : 1;
            hop.nodes[static_cast<std::size_t>(i)].x = 1000 * i;
        }
        hop.nodeCount = 3;
        win::ProfileWriteBatch batch;
        core::IniFile file(dir.Path("hop.Pln").c_str());
        ASSERT_EQ(hop.WriteSections(file), 1);
        ASSERT_TRUE(batch.Flush());
    }
    const std::string hop = "planname=" + dir.Path("hop.Pln") + "\n";
    const std::string stamps = "node00ATA=600\nnode01ATA=610\n";
    struct Case {
        std::string flightPlan;
        bool hasPlan;
        int node;
    };
    const Case cases[] = {
        {"active=1\n", false, 0},
        {"active=1\nplanname=BAD\n", false, 0},
        {"active=1\nplanname=" + dir.Path("gone.Pln") + "\n", false, 0},
        {"active=0\n" + hop + "currentnode=1\n" + stamps, false, 0},
        {"active=1\n" + hop + "currentnode=1\n" + stamps, true, 1},
        {"active=1\n" + hop + "currentnode=3\n" + stamps, true, 0},
        {"active=1\n" + hop + "currentnode=1\nnode00ATA=600\nnode01ATA=-5\n", true, 0},
        {"active=1\n" + hop + "currentnode=x\n" + stamps, true, 0},
    };
    for (const Case& c : cases) {
        const planning::FlightPlan none;
        sim::theSimWorld.SetFlightPlan(&none);
        dir.Write("s.flt", "[Aircraft]\ntype=0\n[flightPlan]\n" + c.flightPlan);
        core::IniFile file(dir.Path("s.flt").c_str());
        sim::theSimWorld.LoadSituation(file, 1);
        EXPECT_EQ(sim::theSimWorld.HasFlightPlan(), c.hasPlan) << c.flightPlan;
        if (!c.hasPlan) continue;
        const planning::FlightPlan* plan = sim::theSimWorld.GetFlightPlan();
        EXPECT_EQ(plan->nodeCount, 3) << c.flightPlan;
        EXPECT_EQ(plan->currentNode, c.node) << c.flightPlan;
        EXPECT_EQ(plan->nodes[1].ident, "PXN") << c.flightPlan;
    }
}

TEST_F(WorldTest, SlowTasksBlinkWhilePausedAndHoldAPressedButton) {
    sim::SimWorld w;
    w.Init(win::HWND{});
    w.RequestPause(1);
    const int blink = w.GetBlink();
    w.TickEvery18();
    EXPECT_NE(w.GetBlink(), blink);
    w.RequestPause(0);

    cockpit::thePanelMouse = cockpit::PanelMouse{};
    cockpit::thePanelMouse.kind = 1;
    w.TickEvery6();
    EXPECT_EQ(cockpit::thePanelMouse.kind, 1);
    w.TickEvery6();
    EXPECT_EQ(cockpit::thePanelMouse.kind, 3);  // held after the second slow tick
    const std::uint32_t before = cockpit::thePanelClicks[3];
    w.FlightTick();
    EXPECT_EQ(cockpit::thePanelClicks[3], before + 1);  // a held click repeats each step
    cockpit::thePanelMouse = cockpit::PanelMouse{};
}

TEST_F(WorldTest, TicksDriveThePitotHeatTheCrashDisplayAndTheSlew) {
    sim::SimWorld w;
    w.Init(win::HWND{});
    cockpit::theCockpitSwitches.pitotHeatCountdown = 2;
    w.TickEvery18();
    EXPECT_EQ(cockpit::theCockpitSwitches.pitotHeatCountdown, 1);
    w.TickEvery18();
    EXPECT_EQ(cockpit::theCockpitSwitches.pitotHeatCountdown, 0);
    w.TickEvery18();
    EXPECT_EQ(cockpit::theCockpitSwitches.pitotHeatCountdown, -1);  // run out
    w.TickEvery18();
    EXPECT_EQ(cockpit::theCockpitSwitches.pitotHeatCountdown, -1);

    cockpit::theCrashShown = 0;
    flight::theCrashed = 1;
    w.FlightTick();
    EXPECT_EQ(cockpit::theCrashShown, 1u);
    flight::theCrashed = 0;
    cockpit::theCrashShown = 0;

    // Slew mode moves the aircraft through the flight step.
    sim::theSlewControl.SetActive(1);
    sim::theSlewControl.Freeze();
    const std::int32_t z = flight::theFlightModelState.fmPosZ;
    sim::theSlewControl.SetForwardRate(8);
    for (int i = 0; i < 4; ++i)
        w.FlightTick();
    EXPECT_NE(flight::theFlightModelState.fmPosZ, z);
    sim::theSlewControl.Freeze();
    sim::theSlewControl.SetActive(0);
}

TEST_F(WorldTest, SpeedUpDrivesTheClockAndTheTicks) {
    sim::SimWorld w;
    w.Init(win::HWND{});
    for (int id : {0, 3, 4, 7, -1}) {
        w.SetSpeedUp(id);
        EXPECT_EQ(w.GetSpeedUp(), id < 0 ? 0 : (id > 4 ? 4 : id));
        EXPECT_EQ(w.Time().GetAcceleration(), w.GetSpeedUp());
    }
}

TEST_F(WorldTest, GraphicsProfilesAndSettings) {
    sim::SimWorld w;
    w.Init(win::HWND{});
    w.SelectGraphicsProfile(1);
    EXPECT_EQ(w.GetGraphicsProfile(), 1);
    w.SelectGraphicsProfile(7);
    EXPECT_EQ(w.GetGraphicsProfile(), 0);
    w.SetGraphicsSetting(4, 3);
    EXPECT_EQ(w.GetGraphicsSetting(4), 3);
    EXPECT_EQ(w.GetGraphicsSetting(14), 0);
    EXPECT_EQ(w.GetGraphicsSetting(-1), 0);
    w.ToggleGraphicsProfile();
    EXPECT_EQ(w.GetGraphicsProfile(), 1);
    w.SetGammaLevel(120);
    EXPECT_EQ(w.GetGammaLevel(), 100);
    w.AdjustGamma(-5);
    EXPECT_EQ(w.GetGammaLevel(), 95);
    w.SetGammaLevel(-3);
    EXPECT_EQ(w.GetGammaLevel(), 0);
}

// The aircraft at San Carlos at noon on a day of 2026 (month 0 January), on the west coast's
// summer time (UTC - 7).
void NoonAtSanCarlos(sim::SimWorld& w, int month, int day) {
    nav::LatLonToWorld(&flight::theFlightModelState.fmPosX, &flight::theFlightModelState.fmPosZ,
                       37.5119, 122.2495);
    w.Time().SetManualZone(7);
    w.Time().SetZoneMode(1);
    w.Time().ApplyZoneMode();
    sim::CalendarTime noon;
    noon.year = 126;
    noon.mon = month;
    noon.mday = day;
    noon.hour = 19;
    w.SetZuluDateTime(noon);
}

TEST_F(WorldTest, DayPeriodsLandInTheirLightBands) {
    sim::SimWorld w;
    w.Init(win::HWND{});
    // San Carlos on midsummer day 2026; the moon is a young crescent that sets before two in
    // the morning.
    NoonAtSanCarlos(w, 5, 21);
    struct Case {
        int period;
        float low, high;
        int earliest, latest;  // local hours the period lands in
    };
    for (const Case c : {Case{0, 0.3f, 0.4f, 4, 6}, Case{1, 0.9f, 1.0f, 12, 12},
                         Case{2, 0.7f, 0.8f, 19, 21}, Case{3, 0.0f, 0.1f, 1, 3}}) {
        w.SetDayPeriod(c.period);
        EXPECT_EQ(w.GetDayPeriod(), c.period) << c.period;
        EXPECT_GE(w.GetAmbientLight(), c.low) << c.period;
        EXPECT_LE(w.GetAmbientLight(), c.high) << c.period;
        sim::CalendarTime local;
        w.Time().GetLocalTime(&local);
        EXPECT_GE(local.hour, c.earliest) << c.period;
        EXPECT_LE(local.hour, c.latest) << c.period;
        EXPECT_EQ(local.mday, 21) << c.period;
    }
}

// With a full moon high all the long night (2 January 2026) the night's band of light is never
// reached: the night command still takes the darkest time it found, darker than day. And at
// Boston in winter,
// with the zone following the aircraft (as the shipped flights have it) just after it was moved
// there from the west coast, dusk is Boston's afternoon, not the next morning.
TEST_F(WorldTest, NightWithTheMoonUpIsDarkAndDuskFollowsTheAircraftsZone) {
    sim::SimWorld w;
    w.Init(win::HWND{});
    NoonAtSanCarlos(w, 0, 2);
    w.SetDayPeriod(1);
    const float day = w.GetAmbientLight();
    w.SetDayPeriod(3);
    EXPECT_LT(w.GetAmbientLight(), 0.3f);
    EXPECT_LT(w.GetAmbientLight(), day);
    EXPECT_EQ(w.GetDayPeriod(), 3);
    // The clock shows a time of the night: on this clock (UTC - 7) the sun sets at about 18:00
    // and rises at about 8:25 in January.
    sim::CalendarTime night;
    w.Time().GetLocalTime(&night);
    EXPECT_TRUE(night.hour < 8 || night.hour >= 18) << night.hour << ":" << night.min;

    // Boston Logan, 21 December 2026 at noon local time; sunset there is at about 21:12 UTC.
    w.Time().SetZoneMode(2);
    sim::CalendarTime winter;
    winter.year = 126;
    winter.mon = 11;
    winter.mday = 21;
    winter.hour = 17;
    w.SetZuluDateTime(winter);
    nav::LatLonToWorld(&flight::theFlightModelState.fmPosX, &flight::theFlightModelState.fmPosZ,
                       42.3656, 71.0096);
    w.SetDayPeriod(2);
    EXPECT_EQ(w.GetDayPeriod(), 2);
    sim::CalendarTime zulu;
    w.Time().GetZuluTime(&zulu);
    EXPECT_EQ(zulu.mday, 21);
    EXPECT_GE(zulu.hour, 18);  // the afternoon's last light, not the next morning's first
    EXPECT_LE(zulu.hour, 22);
}

TEST_F(WorldTest, SettingsSurviveAndGarbageFallsBack) {
    dir.Write("zephlon.ini", "[Aircraft]\ncrashdetect=abc\nAutoComplex=0\n[Views]\nmag=0\n");
    sim::SimWorld w;
    w.Init(win::HWND{});
    EXPECT_FALSE(w.IsCrashDetect());  // no digits read as 0
    EXPECT_FALSE(w.IsMag());
    EXPECT_FALSE(w.IsAutoComplex());
    w.SetCrashDetect(1);
    w.Shutdown();
    sim::SimWorld v;
    v.Init(win::HWND{});
    EXPECT_TRUE(v.IsCrashDetect());
}

TEST_F(WorldTest, SunLightColourStaysFiniteAtTheHorizon) {
    sim::SimWorld w;
    w.Init(win::HWND{});
    struct Case {
        float z;
        float colour;
    };
    for (const Case c :
         {Case{1.0f, 0.8f}, Case{-0.5f, 1.6f}, Case{0.0f, 800.0f}, Case{4.0f, 0.3f}}) {
        const float dir[3] = {0.0f, 0.0f, c.z};
        w.SetSunDirection(dir);
        EXPECT_NEAR(w.GetLightColour(), c.colour, 1e-3f) << c.z;
        float back[3];
        w.GetLightDirection(back);
        EXPECT_EQ(back[2], c.z);
    }
}

}  // namespace

namespace {

TEST_F(WorldTest, TheFrameLightsTheSceneWithTheSunThroughTheViewsCamera) {
    sim::SimWorld w;
    w.Init(win::HWND{});
    ASSERT_NE(w.SunLight(), nullptr);
    ASSERT_NE(w.LightSet(), nullptr);
    EXPECT_EQ(w.LightSet()->Count(), 1);
    EXPECT_EQ(w.SunLight()->type, ts::TSLight::kDirectional);
    EXPECT_NEAR(w.SunLight()->worldDirection.z, -60.0f / std::sqrt(100.0f + 48 * 48 + 3600), 1e-6f);
    EXPECT_FLOAT_EQ(w.SunLight()->colour[1], 0.8f);
    // A low sun shines stronger; a sun on the horizon stays finite.
    const float low[3] = {0.0f, 0.8f, -0.5f};
    w.SetSunDirection(low);
    EXPECT_FLOAT_EQ(w.SunLight()->colour[0], 1.6f);
    EXPECT_FLOAT_EQ(w.SunLight()->worldDirection.y, 0.8f);
    const float flat[3] = {1.0f, 0.0f, 0.0f};
    w.SetSunDirection(flat);
    EXPECT_TRUE(std::isfinite(w.SunLight()->colour[2]));

    const float eye[3] = {10.0f, 20.0f, 30.0f};
    const float angles[3] = {0.0f, 0.0f, 0.5f};
    w.PrepareScene(eye, angles);
    EXPECT_EQ(ts::theCurrentCamera, sim::theViewController.Camera());
    EXPECT_EQ(ts::theActiveLightSet, w.LightSet());
    EXPECT_TRUE(w.LightSet()->IsCameraValid());
    EXPECT_NE(w.SunLight()->lightPoint, nullptr);
    EXPECT_EQ(gfx::theCurrentDrawTarget, w.DrawTarget());
    // The camera stands at the eye: world geometry there is at the eye's position.
    EXPECT_NEAR(ts::theCurrentCamera->GetEyePosition().z, 30.0f, 1e-3f);
    w.FinishFrame(1);
    EXPECT_EQ(ts::theActiveLightSet, nullptr);
    EXPECT_EQ(w.SunLight()->lightPoint, nullptr);
    EXPECT_EQ(gfx::theCurrentDrawTarget, nullptr);
}

}  // namespace
