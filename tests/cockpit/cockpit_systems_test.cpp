// The gauge core's arithmetic and the cockpit systems' rules: rounding, needle geometry, the
// engine sequences with and without sound, starvation, gear, electrical refresh counts and the
// Panel section's clamping.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "cockpit/cockpit_services.h"
#include "cockpit/cockpit_switches.h"
#include "cockpit/cockpit_systems.h"
#include "cockpit/gauges.h"
#include "cockpit/panel_controls.h"
#include "cockpit/panel_redraw.h"
#include "cockpit/vector_needles.h"
#include "core/ini_file.h"
#include "flight/aircraft.h"
#include "flight/flight_model_state.h"
#include "support/temp_folder.h"

namespace {

int theType = 0;
int TypeOf() {
    return theType;
}

class Cockpit : public ::testing::Test {
protected:
    void SetUp() override {
        flight::theAircraftServices.aircraftType = &TypeOf;
        flight::theFlightModelState = flight::FlightModelState{};
        cockpit::ResetCockpitServices();
        cockpit::theEngineTrace = nullptr;
        theType = 0;
    }
    void TearDown() override {
        flight::theAircraftServices = flight::DefaultAircraftServices();
        cockpit::ResetCockpitServices();
        flight::theFlightModelState = flight::FlightModelState{};
    }
    static void Steps(int n) {
        for (int i = 0; i < n; ++i)
            cockpit::StepEngineSequences();
    }
};

TEST(GaugeCore, RoundingAndNeedleTips) {
    const struct {
        double x;
        int r;
    } rounds[] = {{2.5, 2}, {-2.5, -2}, {0.5, 0}, {-0.5, 0}, {2.6, 3}, {-2.6, -3}};
    for (const auto& c : rounds)
        EXPECT_EQ(cockpit::RoundNearest(c.x), c.r) << c.x;
    const cockpit::IntPoint centre{100, 80};
    const struct {
        double angle;
        int x, y;
    } tips[] = {{0, 100, 50}, {90, 130, 80}, {180, 100, 110}, {270, 70, 80}};
    for (const auto& t : tips) {
        const cockpit::IntPoint p = cockpit::NeedlePoint(centre, 30, t.angle);
        EXPECT_EQ(p.x, t.x) << t.angle;
        EXPECT_EQ(p.y, t.y) << t.angle;
    }
}

TEST(GaugeCore, MarkDirtyAndSlewing) {
    cockpit::PanelGauge g;
    g.BindSlots(3);
    cockpit::IntRect out;
    cockpit::IntPoint at{10, 300};
    g.MarkDirty({0, 0, 20, 30}, &out, &at);
    EXPECT_EQ(g.eraseNeeded[0], 1);
    EXPECT_EQ(out.left, 10);
    EXPECT_EQ(out.right, 31);
    EXPECT_EQ(out.bottom - out.top, 31);
    EXPECT_EQ(g.Slew(10, 20), 11);
    EXPECT_EQ(g.Slew(20, 10), 19);
    g.force = 1;
    EXPECT_EQ(g.Slew(10, 20), 20);
    // The gear words start down.
    EXPECT_EQ(g.gearDownFlag, 1);
    EXPECT_EQ(g.knob, 0);
}

TEST_F(Cockpit, StartNeedsTheBatteryAndRunsWithoutSound) {
    cockpit::StartSingleEngineNow();
    EXPECT_EQ(cockpit::theEngineStarted, 0u);
    cockpit::theBatteryPower = 1;
    cockpit::theThrottleLever.lever = 20;  // opened during the start
    cockpit::StartSingleEngineNow();
    EXPECT_EQ(cockpit::theEngineStarted, 1u);
    Steps(60);
    EXPECT_EQ(flight::theFlightModelState.fmEngines & 1, 1);
    EXPECT_EQ(flight::theFlightModelState.fmThrot, 20 * 1057);
    // A second start of a running engine does nothing.
    cockpit::StartSingleEngineNow();
    EXPECT_EQ(cockpit::theEngineSequences[0].phase, cockpit::EnginePhase::Running);
}

TEST_F(Cockpit, MixtureCutOffStopsEveryTypeButTheJet) {
    for (int type : {0, 1, 2, 3, 4}) {
        SetUp();
        theType = type;
        flight::theFlightModelState.fmEngines = type >= 2 ? 3 : 1;
        cockpit::SyncEnginesWithFlightModel();
        cockpit::theMixtureLever.lever = 0;
        cockpit::UpdateMixtureLever();
        EXPECT_EQ((flight::theFlightModelState.fmEngines & 1) != 0, type == 4) << type;
    }
}

TEST_F(Cockpit, ATwinStopsAndRestartsWithSoundOff) {
    theType = 2;
    cockpit::theBatteryPower = 1;
    cockpit::theLeftFuelBoostSwitch.switchState = 1;
    flight::theFlightModelState.fmEngines = 3;
    cockpit::SyncEnginesWithFlightModel();
    cockpit::StopLeftEngineNow();
    EXPECT_EQ(flight::theFlightModelState.fmEngines, 2);
    Steps(20);
    EXPECT_EQ(cockpit::theEngineSequences[0].phase, cockpit::EnginePhase::Stopped);
    cockpit::StartLeftEngineNow();
    Steps(40);
    EXPECT_EQ(flight::theFlightModelState.fmEngines, 3);
}

// Open cowl flaps cool the oil by 5: the Bonanza's knob at frame 0, the Baron's switch at 1.
TEST_F(Cockpit, OpenCowlFlapsLowerTheOilTemperature) {
    const struct {
        int type;
        bool open;
        int settles;
    } cases[] = {{1, false, 25}, {1, true, 20}, {2, false, 32}, {2, true, 27}};
    for (const auto& c : cases) {
        SetUp();
        theType = c.type;
        cockpit::theBatteryPower = 1;
        flight::theFlightModelState.fmEngines = c.type == 2 ? 3 : 1;
        flight::theFlightModelState.fmFuel1 = flight::theFlightModelState.fmFuel2 = 100000;
        cockpit::theFuelSelector.lever = cockpit::theFuelSelector2.lever = 1;
        if (c.type == 1)
            cockpit::theCowlFlapSwitch.knob = c.open ? 0 : 15;
        else
            cockpit::theCowlFlapSwitch.switchState = c.open ? 1 : 0;
        cockpit::theOilTempGauge.needle = 22;
        // One step of the needle every 30 slow ticks.
        for (int i = 0; i < 30 * 15; ++i)
            cockpit::CockpitSlowTick();
        EXPECT_EQ(cockpit::theOilTempGauge.needle, c.settles) << c.type << " " << c.open;
        EXPECT_NE(flight::theFlightModelState.fmEngines & 1, 0) << "starved";
    }
}

TEST_F(Cockpit, TheSixthConsecutiveStarvedTickStopsTheEngine) {
    flight::theFlightModelState.fmEngines = 1;
    cockpit::SyncEnginesWithFlightModel();
    cockpit::theFuelSelector.lever = 0;
    for (int i = 0; i < 5; ++i)
        cockpit::CheckFuelStarvation();
    // Fed once: the count starts over.
    cockpit::theFuelSelector.lever = 2;
    flight::theFlightModelState.fmFuel1 = flight::theFlightModelState.fmFuel2 = 100;
    cockpit::CheckFuelStarvation();
    cockpit::theFuelSelector.lever = 0;
    for (int i = 0; i < 5; ++i)
        cockpit::CheckFuelStarvation();
    EXPECT_EQ(flight::theFlightModelState.fmEngines, 1);
    cockpit::CheckFuelStarvation();
    EXPECT_EQ(flight::theFlightModelState.fmEngines, 0);
}

TEST_F(Cockpit, GearIsTheRetractablesAndTransitEndsByItsCountdown) {
    cockpit::theBatteryPower = 1;
    cockpit::RaiseGear();
    EXPECT_EQ(cockpit::theGearUp, 0);  // the 172 has fixed gear
    theType = 1;
    cockpit::RaiseGear();
    EXPECT_EQ(cockpit::theGearUp, 1);
    EXPECT_EQ(cockpit::theGearTransitLight.switchState, 1);
    for (int i = 0; i < 30; ++i)
        cockpit::UpdateGearLamps();
    EXPECT_EQ(cockpit::theGearTransitLight.switchState, 0);
}

TEST_F(Cockpit, ElectricalRefreshRunsOncePerBuffer) {
    for (int buffers : {1, 3}) {
        cockpit::thePanelBufferCount = buffers;
        cockpit::UpdateElectricalPower(1);
        int runs = 1;
        for (int frame = 0; frame < 6; ++frame) {
            cockpit::theClock.dirty = 0;
            cockpit::UpdateElectricalPower(0);
            runs += cockpit::theClock.dirty;
        }
        EXPECT_EQ(runs, buffers + 1) << buffers;
    }
    cockpit::thePanelBufferCount = 1;
}

TEST_F(Cockpit, PanelSectionIsClampedAndRoundTrips) {
    testsupport::TempFolder dir("zephlon-panel");
    dir.Write("bad.Flt",
              "[Panel]\r\nmaster=5\r\nthrottle=99999999999\r\nmixture=-7\r\nfuelSel=9\r\n"
              "carbHeat=text\r\ndmeHLD=1\r\ndmeN2=1\r\nignition=12\r\n");
    core::IniFile bad(dir.Path("bad.Flt").c_str());
    cockpit::ReadPanelState(bad);
    EXPECT_EQ(cockpit::theMasterSwitch.switchState, 1);
    EXPECT_EQ(cockpit::theThrottleLever.lever, 31);
    EXPECT_EQ(cockpit::theMixtureLever.lever, 0);
    EXPECT_EQ(cockpit::theFuelSelector.lever, 3);
    EXPECT_EQ(cockpit::theCarbHeatKnob.knob, 0);
    EXPECT_EQ(cockpit::theIgnitionSwitch.lever, 4);
    EXPECT_EQ(cockpit::theDmeRadio.buttons[1], 1);
    EXPECT_EQ(cockpit::theDmeRadio.buttons[2], 0);

    cockpit::theThrottleLever.lever = 17;
    cockpit::theAvionicsSwitch.switchState = 1;
    cockpit::theAltimeter.hidden = 1;
    core::IniFile out(dir.Path("out.Flt").c_str());
    ASSERT_EQ(cockpit::WritePanelState(out), 1);
    ASSERT_EQ(cockpit::SavePartialPanelSettings(out), 1);
    cockpit::ResetCockpitServices();
    core::IniFile in(dir.Path("out.Flt").c_str());
    cockpit::ReadPanelState(in);
    cockpit::LoadPartialPanelSettings(in);
    EXPECT_EQ(cockpit::theThrottleLever.lever, 17);
    EXPECT_EQ(cockpit::theAvionicsSwitch.switchState, 1);
    EXPECT_EQ(cockpit::theAltimeter.hidden, 1);
    EXPECT_EQ(cockpit::theDmeRadio.buttons[1], 1);
}

}  // namespace
