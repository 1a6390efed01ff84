// The radio, autopilot and communication commands: selections, tuning and its wraps, the
// transponder's octal digits and VFR code, course knobs and the heading bug, standby flips with
// their reception checks, idents and audio buttons, the autopilot's modes on the flight model's
// words, ATC requests; and the NavAids section's round trip and bad values.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "cockpit/audio_panel.h"
#include "cockpit/cockpit_services.h"
#include "cockpit/cockpit_systems.h"
#include "cockpit/gauges.h"
#include "cockpit/nav_course.h"
#include "cockpit/nav_receivers.h"
#include "cockpit/panel_services.h"
#include "cockpit/radio_commands.h"
#include "core/ini_file.h"
#include "devices/beacon_sound.h"
#include "flight/aircraft.h"
#include "flight/flight_model_state.h"
#include "nav/atc_services.h"
#include "nav/nav_database.h"
#include "support/temp_folder.h"

namespace {

using namespace cockpit;

int theType = 0;
int TypeOf() {
    return theType;
}

class RadioCommands : public ::testing::Test {
protected:
    void SetUp() override {
        flight::theAircraftServices.aircraftType = &TypeOf;
        theType = 0;
        flight::theFlightModelState = flight::FlightModelState{};
        ResetCockpitServices();
        ResetRadioCommands();
        ResetNavCourses();
        nav::ResetNavReception();
        nav::theNavDatabase.Clear();
        theMasterSwitch.switchState = theAvionicsSwitch.switchState = 1;
        nav::theAtcState = nav::AtcState{};
        nav::theFlightEvaluation = nav::FlightEvaluation{};
    }
    void TearDown() override {
        flight::theAircraftServices = flight::DefaultAircraftServices();
        ResetCockpitServices();
        ResetRadioCommands();
        nav::ResetNavReception();
        nav::theNavDatabase.Clear();
        flight::theFlightModelState = flight::FlightModelState{};
        nav::theAtcState = nav::AtcState{};
        nav::theFlightEvaluation = nav::FlightEvaluation{};
    }
    static void Repeat(void (*command)(), int n) {
        for (int i = 0; i < n; ++i)
            command();
    }
};

TEST_F(RadioCommands, SelectionsExcludeTheirOwnSide) {
    Nav1();
    ADF();
    EXPECT_EQ(theNav1Radio.selected, 0);
    EXPECT_EQ(theAdfRadio.selected, 1);
    EXPECT_EQ(theNav1Radio.selectedChanged, 1);
    DME();
    Comm1();  // a COM-side choice clears the NAV side, but not the DME
    EXPECT_EQ(theDmeRadio.selected, 1);
    EXPECT_EQ(theCom1Radio.selected, 1);
    EXPECT_EQ(nav::theAtcRadioIndex, 0);
    SelectHeadingBug();
    EXPECT_EQ(theDmeRadio.selected, 0);
    EXPECT_EQ(theHsiGauge.courseKnobSelected, 1);
    Transponder();
    EXPECT_EQ(theHsiGauge.courseKnobSelected, 0);
    EXPECT_EQ(theCom1Radio.selected, 0);
    EXPECT_EQ(nav::theAtcRadioIndex, 2);
    Comm2();
    EXPECT_EQ(theTransponder.selected, 0);
    EXPECT_EQ(nav::theAtcRadioIndex, 1);
}

TEST_F(RadioCommands, TuningWrapsOnEveryRadio) {
    const struct {
        void (*select)();
        PanelGauge* radio;
        void (*command)();
        int mhz, khz;  // standby before
        int wantMhz, wantKhz;
    } cases[] = {
        {&Nav1, &theNav1Radio, &NavMHzUp, 17, 0, 8, 0},
        {&Nav2, &theNav2Radio, &NavMHzDown, 8, 50, 17, 50},
        {&Nav1, &theNav1Radio, &NavKHzDown, 10, 0, 10, 95},
        {&Nav1, &theNav1Radio, &NavKHzUp, 10, 95, 10, 0},
        {&ADF, &theAdfRadio, &NavMHzUp, 19, 5, 0, 5},
        {&ADF, &theAdfRadio, &NavKHzDown, 3, 0, 3, 99},
        {&Comm1, &theCom1Radio, &CommMHzUp, 35, 0, 18, 0},
        {&Comm2, &theCom2Radio, &CommMHzDown, 18, 0, 35, 0},
        {&Comm1, &theCom1Radio, &CommKHzDown, 20, 0, 20, 95},
    };
    for (const auto& c : cases) {
        c.select();
        c.radio->standbyMHz = static_cast<std::uint16_t>(c.mhz);
        c.radio->standbyKHz = static_cast<std::uint16_t>(c.khz);
        c.command();
        EXPECT_EQ(c.radio->standbyMHz, c.wantMhz) << c.mhz << "." << c.khz;
        EXPECT_EQ(c.radio->standbyKHz, c.wantKhz) << c.mhz << "." << c.khz;
    }
    // NAV1 showing its bearing keeps its standby frequency.
    Nav1();
    theNav1Radio.bearingMode = 1;
    theNav1Radio.standbyMHz = 12;
    NavMHzUp();
    NavKHzUp();
    EXPECT_EQ(theNav1Radio.standbyMHz, 12);
    EXPECT_EQ(theNav1Radio.standbyKHz, 0);
}

TEST_F(RadioCommands, TransponderDigitsStayOctalAndVfrSetsTwelveHundred) {
    Transponder();
    const struct {
        void (*command)();
        int first, second;
        int wantFirst, wantSecond;
    } cases[] = {
        {&CommMHzDown, 10, 0, 7, 0},   {&CommMHzUp, 7, 0, 10, 0},    {&CommMHzUp, 77, 0, 0, 0},
        {&CommMHzDown, 0, 0, 77, 0},   {&CommMHzDown, 70, 0, 67, 0}, {&CommKHzUp, 45, 27, 45, 30},
        {&CommKHzDown, 45, 0, 45, 77},
    };
    for (const auto& c : cases) {
        theTransponder.activeMHz = static_cast<std::uint16_t>(c.first);
        theTransponder.activeKHz = static_cast<std::uint16_t>(c.second);
        c.command();
        EXPECT_EQ(theTransponder.activeMHz, c.wantFirst) << c.first << " " << c.second;
        EXPECT_EQ(theTransponder.activeKHz, c.wantSecond) << c.first << " " << c.second;
    }
    ToggleVFR();
    EXPECT_EQ(theTransponder.buttons[1], 1);
    EXPECT_EQ(theTransponder.activeMHz * 100 + theTransponder.activeKHz, 1200);
    CommKHzUp();
    EXPECT_EQ(theTransponder.buttons[1], 0);
    ToggleIdent();
    EXPECT_EQ(theTransponder.buttons[0], 1);
    // With COM1 selected the transponder's keys leave it alone.
    Comm1();
    ToggleIdent();
    ToggleVFR();
    EXPECT_EQ(theTransponder.buttons[0], 1);
    EXPECT_EQ(theTransponder.buttons[1], 0);
}

TEST_F(RadioCommands, CourseKnobsCardsAndHeadingBug) {
    Nav1();
    theNav1Indicator.courseDegrees = 1;
    OBSUp();
    EXPECT_EQ(theNav1Indicator.courseDegrees, 360);
    EXPECT_EQ(theNavReceiverWords.vor1_obs_setting, 360);
    OBSDown();
    OBSDown();
    EXPECT_EQ(theNav1Indicator.courseDegrees, 2);
    EXPECT_EQ(theNavReceiverWords.vor1_obs_setting, 358);
    EXPECT_EQ(theNavReceiverWords.vor1_obs_pd,
              static_cast<std::uint16_t>(std::trunc(358 * 182.04 + 0.5)));
    EXPECT_EQ(theNav1Indicator.cardFrame, 1);
    theType = 1;  // the HSI's course
    theHsiGauge.course = 360;
    OBSUp();
    EXPECT_EQ(theHsiGauge.course, 1);
    EXPECT_EQ(theNavReceiverWords.vor1_obs_setting, 1);
    OBSDown();
    OBSDown();
    EXPECT_EQ(theHsiGauge.course, 359);
    Nav2();
    theNav2Indicator.courseDegrees = 270;
    OBSDown();
    EXPECT_EQ(theNavReceiverWords.vor2_obs_setting, 89);
    ADF();
    theAdfIndicator.cardFrame = 143;
    OBSDown();
    EXPECT_EQ(theAdfIndicator.cardFrame, 0);
    OBSUp();
    EXPECT_EQ(theAdfIndicator.cardFrame, 143);
    // The heading bug wraps round the whole circle and sets the autopilot's heading.
    SelectHeadingBug();
    const struct {
        void (*command)();
        int from, to;
    } bug[] = {
        {&NavMHzUp, 355, 5}, {&NavMHzDown, 5, 355}, {&NavKHzUp, 359, 0}, {&NavKHzDown, 0, 359}};
    for (const auto& b : bug) {
        theHsiGauge.headingBug = static_cast<std::int16_t>(b.from);
        b.command();
        EXPECT_EQ(theHsiGauge.headingBug, b.to) << b.from;
        EXPECT_EQ(flight::theFlightModelState.fmApHeadingSel,
                  static_cast<std::uint16_t>(std::trunc(b.to * 182.04)));
    }
    // The ATC's leg course on the selected NAV1.
    theType = 0;
    Nav1();
    SetSelectedRadioCourse(90);
    EXPECT_EQ(theNav1Indicator.courseDegrees, 270);
    EXPECT_EQ(theNavReceiverWords.vor1_obs_setting, 90);
}

// The positioning dialogs set a course in their words; the cards turn to it, and the words follow
// the knobs afterwards.
TEST_F(RadioCommands, CoursesSetByTheDialogsTurnTheCards) {
    struct Case {
        int type;
        int course;
        std::int16_t nav1Card;  // the C172's NAV1 card; the HSI keeps its own course
    } cases[] = {{0, 270, 90}, {0, 360, 360}, {0, 1, 359}, {1, 45, 180}};
    for (const Case& c : cases) {
        theType = c.type;
        theNav1Indicator.courseDegrees = 180;
        theHsiGauge.course = 135;
        for (NavCourseWords* w : {&theNav1Course, &theNav2Course}) {
            w->courseRedraw = 1;
            w->selectedCourse = static_cast<std::uint16_t>(c.course);
        }
        UpdateObsCourses();
        EXPECT_EQ(theNav1Indicator.courseDegrees, c.nav1Card) << c.course;
        EXPECT_EQ(theNavReceiverWords.vor1_obs_setting, c.type == 0 ? c.course : 135) << c.course;
        EXPECT_EQ(theNavReceiverWords.vor2_obs_setting, c.course) << c.course;
        EXPECT_EQ(theNav2Course.obsCard, 360 - c.course) << c.course;
    }
    // A knob turned later is not undone by the dialogs' old words.
    theType = 0;
    Nav2();
    OBSDown();
    UpdateObsCourses();
    EXPECT_EQ(theNavReceiverWords.vor2_obs_setting, 44);
    EXPECT_EQ(theNav2Course.selectedCourse, 44);
    // The ADF card turns once per change of the dialogs' card.
    theAdfCard.card = 315;
    theAdfCard.position = 126;
    UpdateObsCourses();
    EXPECT_EQ(theAdfIndicator.cardFrame, 126);
    ADF();
    OBSUp();
    UpdateObsCourses();
    EXPECT_NE(theAdfIndicator.cardFrame, 126);
}

TEST_F(RadioCommands, StandbyFlipRunsTheReceptionCheck) {
    nav::VorRecord vor;
    vor.ident = "OAK";
    vor.frequency = 11680;
    vor.flags = 0x0C01;
    nav::theNavDatabase.vors.push_back(vor);
    Nav1();
    theNav1Radio.activeMHz = 13;
    theNav1Radio.activeKHz = 90;
    theNav1Radio.standbyMHz = 16;
    theNav1Radio.standbyKHz = 80;
    NavFlipStandby();
    EXPECT_EQ(theNav1Radio.activeMHz, 16);
    EXPECT_EQ(theNav1Radio.activeKHz, 80);
    EXPECT_EQ(theNav1Radio.standbyMHz, 13);
    EXPECT_EQ(theNav1Radio.transferLamp, 1);
    EXPECT_EQ(nav::theNavReceptionFlags & nav::kNav1Reception, nav::kNav1Reception);
    EXPECT_EQ(nav::theNav1Station.ident, "OAK");
    NavFlipStandby();
    EXPECT_EQ(nav::theNavReceptionFlags & nav::kNav1Reception, 0);
    // The COM flip tells the ATC.
    Comm1();
    const int before = nav::theAtcSpeech.ComChanges();
    theCom1Radio.standbyMHz = 21;
    CommFlipStandby();
    EXPECT_EQ(theCom1Radio.activeMHz, 21);
    EXPECT_EQ(nav::theAtcSpeech.ComChanges(), before + 1);
}

TEST_F(RadioCommands, IdentsBearingAndAudioButtons) {
    devices::BeaconSound& b = devices::theBeaconSound;
    Nav1();
    ToggleIDT();
    EXPECT_EQ(theNav1Radio.buttons[0], 1);
    EXPECT_EQ(theNavReceiverWords.nav1IdentGlobal, 1);
    SetStationIdent(devices::BeaconSound::kNav1, "OSI");
    SetStationIdent(devices::BeaconSound::kAdf, "OA");
    ToggleIDT();
    EXPECT_TRUE(b.Ident(devices::BeaconSound::kNav1).empty());
    ToggleBRG();
    EXPECT_EQ(theNav1Radio.bearingMode, 1);
    EXPECT_EQ(theNav1Radio.buttons[1], 1);
    ToggleAudioADF();
    EXPECT_EQ(theAudioPanelButtons.audioMixADF, 1);
    ToggleAudioADF();
    EXPECT_TRUE(b.Ident(devices::BeaconSound::kAdf).empty());
    // NAV1's ident stays while the DME button is in.
    SetStationIdent(devices::BeaconSound::kNav1, "OSI");
    ToggleAudioDME();
    ToggleAudioNav1();
    ToggleAudioNav1();
    EXPECT_EQ(b.Ident(devices::BeaconSound::kNav1), "OSI");
    ToggleAudioDME();
    EXPECT_TRUE(b.Ident(devices::BeaconSound::kNav1).empty());
    ToggleTimer();
    EXPECT_EQ(theClock.buttons[0], 1);
    // The RMI buttons exist on the turbines only.
    RMI1();
    EXPECT_EQ(theAdfIndicator.buttons[0], 0);
    theType = 4;
    RMI1();
    RMI2();
    EXPECT_EQ(theAdfIndicator.buttons[0], 1);
    EXPECT_EQ(theAdfIndicator.buttons[1], 1);
    EXPECT_EQ(theAdfIndicator.needle2, 90);
}

TEST_F(RadioCommands, DmeSelectorSteps) {
    theDmeSource.dmeN1 = 1;
    DME();
    NavMHzUp();
    EXPECT_EQ(theDmeSource.dmeHLD, 1);
    theDmeHold.captured = 1;
    NavMHzUp();
    EXPECT_EQ(theDmeSource.dmeN2, 1);
    EXPECT_EQ(theDmeHold.captured, 0);  // leaving HLD frees the hold
    NavMHzUp();
    EXPECT_EQ(theDmeSource.dmeN1, 1);
    NavMHzDown();
    EXPECT_EQ(theDmeSource.dmeN2, 1);
    NavKHzUp();  // the kilohertz keys leave the selector
    EXPECT_EQ(theDmeSource.dmeN2, 1);
}

TEST_F(RadioCommands, AutopilotModesOnTheFlightModelsWords) {
    flight::FlightModelState& s = flight::theFlightModelState;
    s.fmPitch = 0xFF00;
    s.fmAil = 300;
    AutoPilotMaster();
    EXPECT_EQ(theAutopilotPanel.buttons[5], 1);
    EXPECT_EQ(s.fmAutopilotModes, 0x01);
    EXPECT_EQ(s.fmApPitchTarget, static_cast<std::int16_t>(0xFF00));
    EXPECT_EQ(s.fmAil, 0);
    // Five presses: heading, navigation, approach, back course, all off.
    const struct {
        int lamp;  // which of HDG, NAV, APR, BC is lit; -1 none
        std::uint16_t modes;
    } cycle[] = {{1, 0x09}, {2, 0x03}, {3, 0x05}, {4, 0x21}, {-1, 0x01}};
    for (const auto& c : cycle) {
        AutoPilotMode();
        for (int lamp = 1; lamp <= 4; ++lamp)
            EXPECT_EQ(theAutopilotPanel.buttons[lamp], lamp == c.lamp ? 1 : 0) << c.lamp;
        EXPECT_EQ(s.fmAutopilotModes, c.modes) << c.lamp;
    }
    // Altitude hold from the present altitude, with the climb's lead.
    s.fmPosY = 1000 * 256;
    s.fmVVel = 0;
    AutoPilotAltHold();
    EXPECT_EQ(s.fmApTargetAlt, 1000);
    EXPECT_EQ(s.fmAutopilotModes & 0x10, 0x10);
    EXPECT_EQ(s.fmAutopilotState & 0x04, 0x04);
    // Trim moves the pitch target only without a vertical mode.
    const std::int16_t target = s.fmApPitchTarget;
    AutoPilotTrimUp();
    EXPECT_EQ(s.fmApPitchTarget, target);
    EXPECT_EQ(theAutopilotPanel.lever, 1);
    AutoPilotAltHold();
    EXPECT_EQ(s.fmAutopilotModes & 0x10, 0);
    AutoPilotTrimDown();
    EXPECT_EQ(s.fmApPitchTarget, target + 18);
    EXPECT_EQ(theAutopilotPanel.lever, 2);
    // Disengaged: the engaged bit and the lateral bits go.
    AutoPilotMode();
    AutoPilotMaster();
    EXPECT_EQ(theAutopilotPanel.buttons[5], 0);
    EXPECT_EQ(s.fmAutopilotModes, 0);
    // Engaging without avionics power lights the lamp but flies nothing.
    theAvionicsSwitch.switchState = 0;
    AutoPilotMaster();
    EXPECT_EQ(s.fmAutopilotModes & 1, 0);
}

TEST_F(RadioCommands, AtcRequestsAndTheDialog) {
    // Without a session nobody hears a request; during one it is posted.
    AtcGoAround();
    EXPECT_EQ(nav::theAtcState.missed, 0);
    nav::theAtcState.atcOn = 1;
    AtcGoAround();
    AtcCancel();
    EXPECT_EQ(nav::theAtcState.missed, 1);
    EXPECT_EQ(nav::theAtcState.atcCan, 1);
    nav::theAtcState.atcOn = 0;
    AtcAutoTaxi();
    EXPECT_EQ(nav::theAtcState.autoTaxi, 1);
    ATCComm();
    EXPECT_EQ(theLastPostedMenuCommand, 400u);
    // Altitude requests only during a session, a thousand feet up from the last one asked for;
    // never into positive-control airspace.
    AtcNewAltitude();
    EXPECT_EQ(nav::theFlightEvaluation.spPropAlt, 0);
    nav::theAtcState.atcOn = 1;
    nav::theAtcState.ceilAlt = 4500;
    AtcNewAltitude();
    // 5,500 rounded up to the next visual altitude, then the eastbound rule (odd thousands).
    EXPECT_EQ(nav::theFlightEvaluation.spPropAlt, 7500);
    nav::theFlightEvaluation.spPropAlt = 17500;
    AtcNewAltitude();
    EXPECT_EQ(nav::theFlightEvaluation.spPropAlt, 17500);
    // Without a flight plan a runway change is not the pilot's to ask for.
    nav::theAtcState.selRwy = 1;
    AtcNewRunway();
    EXPECT_EQ(nav::theAtcState.selRwy, 1);
    nav::theAtcState.atcOn = 0;
}

// ---- the NavAids section -----------------------------------------------------------------------

TEST_F(RadioCommands, NavAidsRoundTrip) {
    testsupport::TempFolder dir("zephlon-navaids");
    theNav1Radio.activeMHz = 13;
    theNav1Radio.activeKHz = 90;
    theNav1Radio.standbyMHz = 16;
    theNav1Radio.standbyKHz = 80;
    theNav1Radio.buttons[0] = theNavReceiverWords.nav1IdentGlobal = 1;
    theNav1Radio.bearingMode = theNav1Radio.buttons[1] = 1;
    theNav1Radio.bearing = 123;
    theNav1Indicator.courseDegrees = 237;
    theNav1Indicator.cardFrame = 95;
    theHsiGauge.course = 45;
    theHsiGauge.headingBug = 310;
    theNavReceiverWords.vor1_obs_setting = 123;
    UpdateNav1CourseAngle();
    theNavReceiverWords.vor1_dir_flag = 2;
    theNav2Radio.activeMHz = 8;
    theNav2Radio.activeKHz = 70;
    theNav2Radio.selected = 1;
    theNav2Indicator.altFace = 1;
    theCom1Radio.activeMHz = 21;
    theCom1Radio.activeKHz = 80;
    theCom2Radio.standbyMHz = 35;
    theCom2Radio.standbyKHz = 95;
    theTransponder.activeMHz = 45;
    theTransponder.activeKHz = 23;
    theTransponder.buttons[1] = 1;
    theAdfIndicator.buttons[1] = 1;
    theAdfRadio.activeMHz = 3;
    theAdfRadio.activeKHz = 74;
    theAdfRadio.mode = 1;
    {
        core::IniFile out(dir.Path("a.flt").c_str());
        EXPECT_EQ(WriteNavRadios(out), 1);
    }
    ResetCockpitServices();
    core::IniFile in(dir.Path("a.flt").c_str());
    EXPECT_EQ(ReadNavRadios(in), 1);
    EXPECT_EQ(theNav1Radio.activeMHz, 13);
    EXPECT_EQ(theNav1Radio.standbyKHz, 80);
    EXPECT_EQ(theNav1Radio.bearing, 123);
    EXPECT_EQ(theHsiGauge.headingBug, 310);
    EXPECT_EQ(theNav2Radio.selected, 1);
    EXPECT_EQ(theTransponder.activeMHz * 100 + theTransponder.activeKHz, 4523);
    EXPECT_EQ(theAdfRadio.activeKHz, 74);
    {
        core::IniFile again(dir.Path("b.flt").c_str());
        EXPECT_EQ(WriteNavRadios(again), 1);
    }
    EXPECT_EQ(dir.Read("a.flt"), dir.Read("b.flt"));
}

TEST_F(RadioCommands, NavAidsBadValuesTakeTheirDefaults) {
    testsupport::TempFolder dir("zephlon-navaids");
    dir.Write("bad.flt",
              "[NavAids]\r\nnav1=11390\r\nnav1Standby=1893\r\nnav2=abc\r\ncom2=99999999999\r\n"
              "com2Standby=-2400\r\nxpndr=1289\r\nadf=2050\r\nadfStandby=374\r\n"
              "nav1SmallCompHeading=0\r\nnav1HSIbug=360\r\nnav1Ident=7\r\nvor1_dir_flag=9\r\n"
              "nav2RadioRadioBearing=65535\r\nvor2_obs_setting=361\r\n");
    core::IniFile in(dir.Path("bad.flt").c_str());
    EXPECT_EQ(ReadNavRadios(in), 1);
    const struct {
        const PanelGauge* radio;
        bool standby;
        int first, second;
    } cases[] = {
        {&theNav1Radio, false, 13, 90},   // whole megahertz
        {&theNav1Radio, true, 8, 0},      // 18.93 is no NAV frequency
        {&theNav2Radio, false, 8, 0},     // text
        {&theCom1Radio, false, 24, 0},    // missing
        {&theCom2Radio, false, 24, 0},    // too large
        {&theCom2Radio, true, 24, 0},     // negative
        {&theTransponder, false, 12, 0},  // not octal
        {&theAdfRadio, false, 0, 0},      // 20.50 is out of range
        {&theAdfRadio, true, 3, 74},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.standby ? c.radio->standbyMHz : c.radio->activeMHz, c.first);
        EXPECT_EQ(c.standby ? c.radio->standbyKHz : c.radio->activeKHz, c.second);
    }
    EXPECT_EQ(theNav1Indicator.courseDegrees, 360);
    EXPECT_EQ(theHsiGauge.headingBug, 0);
    EXPECT_EQ(theNav1Radio.buttons[0], 0);
    EXPECT_EQ(theNavReceiverWords.vor1_dir_flag, 0);
    EXPECT_EQ(theNav2Radio.bearing, -1);
    EXPECT_EQ(theNavReceiverWords.vor2_obs_setting, 360);
}

}  // namespace
