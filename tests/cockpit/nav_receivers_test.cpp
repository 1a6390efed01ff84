// The navigation receivers on synthetic stations: the course comparison and its bands, reception
// by height and class, VOR, localizer, glide slope and markers on each aircraft's instruments,
// the ADF, the DME's distance, speed and time (also under time acceleration), the DME hold, the
// idents, the autopilot's input, and stations the data gets wrong.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "cockpit/audio_panel.h"
#include "cockpit/cockpit_services.h"
#include "cockpit/cockpit_systems.h"
#include "cockpit/gauges.h"
#include "cockpit/nav_receivers.h"
#include "cockpit/panel_services.h"
#include "devices/beacon_sound.h"
#include "flight/aircraft.h"
#include "flight/flight_model_state.h"
#include "nav/nav_database.h"
#include "nav/nav_services.h"
#include "world/scenery_state.h"
#include "world/terrain_services.h"

namespace {

using cockpit::theNavReceiverWords;

// World units (1/256 m) in a nautical mile, and feet in a world unit of height.
constexpr double kNm = 1852.0 * 256.0;
constexpr double kFoot = 0.3048 * 256.0;

std::uint16_t Angle(double degrees) {
    return static_cast<std::uint16_t>(
        std::lround(std::fmod(degrees + 720.0, 360.0) * 65536.0 / 360.0) & 0xFFFF);
}

int theType = 0;
int TypeOf() {
    return theType;
}
int theHeld = 0;
int Held() {
    return theHeld;
}

class NavReceivers : public ::testing::Test {
protected:
    void SetUp() override {
        flight::theAircraftServices.aircraftType = &TypeOf;
        cockpit::thePanelHost.simulationHeld = &Held;
        theType = 0;
        theHeld = 0;
        flight::theFlightModelState = flight::FlightModelState{};
        world::theTerrainDatum = 0;
        world::theFlightStepCounter = 0;
        cockpit::ResetCockpitServices();
        nav::ResetNavReception();
        cockpit::theMasterSwitch.switchState = 1;
        cockpit::theAvionicsSwitch.switchState = 1;
        cockpit::theDmeSource.dmeN1 = 1;
    }
    void TearDown() override {
        flight::theAircraftServices = flight::DefaultAircraftServices();
        cockpit::thePanelHost = cockpit::DefaultPanelHostServices();
        cockpit::ResetCockpitServices();
        nav::ResetNavReception();
        flight::theFlightModelState = flight::FlightModelState{};
    }
    // A VOR at the origin (high-altitude class unless said), heard on NAV1 or NAV2.
    static void TuneVor(nav::TunedNavStation& s, std::uint16_t flags = 0x0401,
                        const char* ident = "OSI") {
        s = nav::TunedNavStation{};
        s.frequency = 11390;
        s.flags = flags;
        s.ident = ident;
        nav::theNavReceptionFlags |=
            &s == &nav::theNav1Station ? nav::kNav1Reception : nav::kNav2Reception;
    }
    // The aircraft on a radial from the origin, `nm` out, `feet` above sea level.
    static void Place(double radial, double nm, double feet = 3000) {
        const double a = radial * M_PI / 180.0;
        flight::theFlightModelState.fmPosX = static_cast<std::int32_t>(std::sin(a) * nm * kNm);
        flight::theFlightModelState.fmPosZ = static_cast<std::int32_t>(std::cos(a) * nm * kNm);
        flight::theFlightModelState.fmPosY = static_cast<std::int32_t>(feet * kFoot);
    }
    static void SetObs1(int degrees) {
        theNavReceiverWords.vor1_obs_setting = static_cast<std::uint16_t>(degrees);
        cockpit::UpdateNav1CourseAngle();
    }
    static void SetObs2(int degrees) {
        theNavReceiverWords.vor2_obs_setting = static_cast<std::uint16_t>(degrees);
        theNavReceiverWords.vor2_obs_pd =
            static_cast<std::uint16_t>(std::trunc(degrees * 182.04 + 0.5));
    }
    // One update after `steps` flight steps.
    static void Update(std::uint32_t steps = 3) {
        world::theFlightStepCounter += steps;
        cockpit::UpdateNavRadios();
    }
};

TEST(CourseComparison, DirectionBandsAndFullScale) {
    const struct {
        double off;  // course input minus reference, degrees
        bool localizer;
        int direction;
        int deviation;
    } cases[] = {
        {0, false, 2, 0},     {5, false, 2, -63},   {-5, false, 2, 63},   {9.9, false, 2, -126},
        {11, false, 2, -127}, {-11, false, 2, 127}, {84, false, 2, -127}, {90, false, 0, -127},
        {-90, false, 0, 127}, {96, false, 1, -127}, {175, false, 1, -63}, {185, false, 1, 63},
        {180, false, 1, 0},   {270, false, 0, 127}, {1, true, 3, -50},    {2.6, true, 3, -127},
        {-2.6, true, 3, 127}, {178, true, 3, -101},
    };
    for (const auto& c : cases) {
        const cockpit::CourseComparison r =
            cockpit::CompareCourse(Angle(100 + c.off), Angle(100), c.localizer);
        EXPECT_EQ(r.direction, c.direction) << c.off;
        EXPECT_NEAR(r.deviation, c.deviation, 1) << c.off;
    }
    // 11 degrees off a VOR and 2.6 off a localizer are the full needle.
    EXPECT_EQ(cockpit::CourseNeedleValue(-127), -20);
    EXPECT_EQ(cockpit::CourseNeedleValue(127), 20);
    EXPECT_EQ(cockpit::CourseNeedleValue(0), 0);
    EXPECT_EQ(cockpit::CourseNeedleValue(-3), 0);
    EXPECT_EQ(cockpit::CourseNeedleValue(-4), -1);
    EXPECT_EQ(cockpit::GlideSlopeNeedleValue(127), 25);
    EXPECT_EQ(cockpit::GlideSlopeNeedleValue(-127), -25);
}

TEST(ReceptionRange, ByHeightAndClass) {
    const struct {
        std::uint16_t flags;
        int feet;
        int nm;
    } cases[] = {
        {0x0010, 40000, 28},  {0x0401, 61000, 0},   {0x0401, 60000, 100}, {0x0401, 45001, 100},
        {0x0401, 45000, 130}, {0x0401, 18001, 130}, {0x0401, 18000, 100}, {0x0401, 14500, 40},
        {0x0401, 1000, 40},   {0x0401, 999, 39},    {0x0401, 0, 10},      {0x0201, 18001, 0},
        {0x0201, 500, 25},    {0x0101, 12001, 0},   {0x0101, 12000, 25},  {0x0101, 1000, 25},
        {0x0101, 500, 16},    {0x0001, 18001, 0},   {0x0001, 900, 36},    {0x0001, 5000, 40},
    };
    for (const auto& c : cases)
        EXPECT_EQ(cockpit::ReceptionRangeNm(c.flags, c.feet), c.nm)
            << std::hex << c.flags << " " << std::dec << c.feet;
}

TEST_F(NavReceivers, HighAltitudeVorHeardTo130NmOnlyBelow60000Feet) {
    TuneVor(nav::theNav1Station);
    SetObs1(90);
    Place(90, 125, 25000);
    Update();
    EXPECT_EQ(theNavReceiverWords.vor1_dir_flag, 2);
    Place(90, 135, 25000);
    Update();
    EXPECT_EQ(theNavReceiverWords.vor1_dir_flag, 0);
    Place(90, 20, 61000);
    Update();
    EXPECT_EQ(theNavReceiverWords.vor1_dir_flag, 0);
    Place(90, 20, 50000);
    Update();
    EXPECT_EQ(theNavReceiverWords.vor1_dir_flag, 2);
}

TEST_F(NavReceivers, VorNeedlesFlagsAndBearingReadoutOnEveryPanel) {
    TuneVor(nav::theNav1Station);
    const struct {
        int type;
        double radial;
        int obs;
        int toFrom;
        int needle;  // sign: -1 left, 1 right, 0 centred
    } cases[] = {
        {0, 90, 90, 2, 0},  {0, 95, 90, 2, -1}, {0, 85, 270, 1, -1}, {0, 180, 90, 0, 0},
        {1, 95, 90, 2, -1}, {2, 85, 90, 2, 1},  {3, 90, 270, 1, 0},  {4, 97, 90, 2, -1},
    };
    for (const auto& c : cases) {
        theType = c.type;
        cockpit::CenterNavIndicators();
        SetObs1(c.obs);
        Place(c.radial, 20);
        Update();
        const bool c172 = c.type == 0;
        const int needle =
            c172 ? cockpit::theNav1Indicator.courseNeedle : cockpit::theHsiGauge.courseDeviation;
        const int toFrom = c172 ? cockpit::theNav1Indicator.toFrom : cockpit::theHsiGauge.toFrom;
        EXPECT_EQ(toFrom, c.toFrom) << c.type << " " << c.radial;
        EXPECT_EQ((needle > 0) - (needle < 0), c.needle) << c.type << " " << c.radial;
        if (c.needle != 0 && c.toFrom != 0) {
            EXPECT_LT(std::abs(needle), 20);
        }
        if (c.type >= 3) {
            EXPECT_EQ(cockpit::theAttitudeIndicator.courseNeedle, std::clamp(needle, -20, 20));
            EXPECT_EQ(cockpit::theAttitudeIndicator.navFlag2, c.toFrom);
        }
    }
    // Turned 90 degrees off the course: no TO or FROM, the needle at full scale, the flag down.
    theType = 0;
    SetObs1(90);
    Place(90, 20);
    Update();
    EXPECT_EQ(cockpit::theNav1Indicator.navFlag2, 2);
    SetObs1(360);
    Update();
    EXPECT_EQ(theNavReceiverWords.vor1_dir_flag, 0);
    EXPECT_EQ(std::abs(cockpit::theNav1Indicator.courseNeedle), 20);
    EXPECT_EQ(cockpit::theNav1Indicator.toFrom, 0);
    EXPECT_EQ(cockpit::theNav1Indicator.navFlag2, 0);
    EXPECT_EQ(std::abs(cockpit::theNavReceiverOutputs[0].deviation), 127);
    // The bearing readout shows the course while a station is usable, dashes when not.
    cockpit::theNav1Radio.bearingMode = 1;
    SetObs1(90);
    Update();
    EXPECT_EQ(cockpit::theNav1Radio.bearing, 90);
    nav::theNavReceptionFlags = 0;
    Update();
    EXPECT_EQ(cockpit::theNav1Radio.bearing, -1);
    EXPECT_EQ(cockpit::theNav1Indicator.navFlag2, 0);
}

TEST_F(NavReceivers, NothingMovesWithoutPowerOrWhileASituationLoads) {
    TuneVor(nav::theNav1Station);
    SetObs1(90);
    Place(90, 20);
    cockpit::theAvionicsSwitch.switchState = 0;
    Update();
    EXPECT_EQ(theNavReceiverWords.vor1_dir_flag, 0);
    cockpit::theAvionicsSwitch.switchState = 1;
    theHeld = 1;
    Update();
    EXPECT_EQ(theNavReceiverWords.vor1_dir_flag, 0);
    theHeld = 0;
    Update();
    EXPECT_EQ(theNavReceiverWords.vor1_dir_flag, 2);
}

TEST_F(NavReceivers, LocalizerGlideSlopeAndMarkers) {
    // A runway heading north: the localizer at the origin, the aircraft south of it on final.
    nav::TunedNavStation& s = nav::theNav1Station;
    s = nav::TunedNavStation{};
    s.frequency = 10870;
    s.flags = 0x0010 | 0x2000 | 0x4000;
    s.ident = "I-OAK";
    s.localizerCourse = Angle(0);
    s.glideSlopeAngle = Angle(3);
    s.x2 = 0;
    s.z2 = static_cast<std::int32_t>(-2.0 * kNm);  // the glide-slope antenna 2 NM short of it
    s.pointZ[0] = static_cast<std::int32_t>(-7.0 * kNm);  // outer marker
    s.pointZ[1] = static_cast<std::int32_t>(-2.5 * kNm);  // middle marker
    nav::theNavReceptionFlags = nav::kNav1Reception;
    cockpit::theAudioPanelButtons.audioMixMKR = 1;

    // On the centre line, on the glide path 5 NM from the antenna, right over the outer marker.
    const double onPath = std::tan(3.0 * M_PI / 180.0) * 5.0 * kNm / kFoot;
    Place(180, 7, onPath);
    Update();
    EXPECT_EQ(theNavReceiverWords.vor1_dir_flag, 3);
    EXPECT_EQ(cockpit::theNav1Indicator.toFrom, 3);
    EXPECT_EQ(cockpit::theNav1Indicator.courseNeedle, 0);
    EXPECT_EQ(cockpit::theNav1Indicator.navFlag1, 1);
    EXPECT_LE(std::abs(cockpit::theNav1Indicator.glideSlopeNeedle), 1);
    EXPECT_EQ(cockpit::theMarkerReceiver.outer, 1);
    EXPECT_EQ(cockpit::theMarkerReceiver.middle, 0);
    // High and east of the centre line: fly down, fly left; away from the marker its lamp goes out.
    Place(175, 6, onPath + 400);
    Update();
    EXPECT_GT(cockpit::theNav1Indicator.glideSlopeNeedle, 3);
    EXPECT_EQ(cockpit::theNav1Indicator.courseNeedle, -20);
    EXPECT_EQ(cockpit::theMarkerReceiver.outer, 0);
    // The autopilot hears the same: signal, deviation, glide slope valid and its deviation.
    const nav::AutopilotNavInput& in = nav::theAutopilotNavInput;
    EXPECT_EQ(in.signalValid, 1);
    EXPECT_EQ(in.courseDeviation, -127);
    EXPECT_EQ(in.flags & 0x10, 0x10);
    EXPECT_GT(static_cast<std::int8_t>(in.glideSlopeDeviation), 10);
    // Retuned to a VOR the glide-slope flag drops and the lamps stay out.
    TuneVor(nav::theNav1Station);
    Update();
    EXPECT_EQ(cockpit::theNav1Indicator.navFlag1, 0);
    EXPECT_EQ(cockpit::theNav1Indicator.glideSlopeNeedle, 0);
    EXPECT_EQ(in.flags & 0x10, 0);
}

// A marker's fan is about 2,400 ft along the course by 4,200 ft across at 1,000 ft above the
// antenna, and grows with the height up to 2,000 ft: flying the localizer a little off the centre
// line still passes through it, flying well beside it does not.
TEST_F(NavReceivers, MarkerFansFollowThePublishedPattern) {
    nav::TunedNavStation& s = nav::theNav1Station;
    s = nav::TunedNavStation{};
    s.frequency = 10870;
    s.flags = 0x0010 | 0x2000;
    s.localizerCourse = Angle(90);  // the course runs east; the outer marker at the origin
    s.z2 = 0;
    s.x2 = static_cast<std::int32_t>(4.0 * kNm);
    nav::theNavReceptionFlags = nav::kNav1Reception;
    const struct {
        double alongFt, acrossFt, heightFt;
        int lit;
    } cases[] = {
        {0, 0, 1000, 1},     {1100, 0, 1000, 1},  {-1100, 0, 1000, 1}, {1300, 0, 1000, 0},
        {0, 2000, 1000, 1},  {0, -2000, 1000, 1}, {0, 2300, 1000, 0},  {800, 1500, 1000, 1},
        {1000, 1500, 1000, 0},
        // 110 m beside the beacon at an approach height of 1,600 ft: heard.
        {0, 361, 1600, 1},   {2000, 0, 2000, 1},  {2000, 0, 1500, 0},
        // Low over the field the fan is small, never below its size at 100 ft; high above it, no
        // larger than at 2,000 ft.
        {100, 0, 30, 1},     {150, 0, 30, 0},     {2300, 0, 30000, 1}, {2500, 0, 30000, 0},
        {0, 4000, 30000, 1}, {0, 4400, 30000, 0},
    };
    for (const auto& c : cases) {
        flight::theFlightModelState.fmPosX = static_cast<std::int32_t>(c.alongFt * kFoot);
        flight::theFlightModelState.fmPosZ = static_cast<std::int32_t>(-c.acrossFt * kFoot);
        flight::theFlightModelState.fmPosY = static_cast<std::int32_t>(c.heightFt * kFoot);
        Update();
        EXPECT_EQ(cockpit::theMarkerReceiver.outer, c.lit)
            << c.alongFt << " along, " << c.acrossFt << " across, " << c.heightFt << " ft";
    }
}

TEST_F(NavReceivers, AdfNeedleAndItsRange) {
    nav::TunedNavStation& s = nav::theAdfStation;
    s = nav::TunedNavStation{};
    s.frequency = 374;
    s.ident = "OA";
    nav::theNavReceptionFlags = nav::kAdfReception;
    const struct {
        int type;
        double radial;  // of the aircraft from the NDB
        double heading;
        double nm;
        int needle;
        int needle2;
    } cases[] = {
        {0, 180, 0, 10, 0, 90}, {0, 180, 90, 10, 270, 90}, {1, 90, 0, 50, 270, 90},
        {2, 0, 180, 74, 0, 90}, {0, 180, 0, 80, 90, 90},   {3, 180, 0, 10, 0, 0},
    };
    for (const auto& c : cases) {
        theType = c.type;
        cockpit::CenterNavIndicators();
        Place(c.radial, c.nm);
        flight::theFlightModelState.fmHead = Angle(c.heading);
        Update();
        EXPECT_NEAR(cockpit::theAdfIndicator.needle, c.needle, 1) << c.type << " " << c.nm;
        EXPECT_EQ(cockpit::theAdfIndicator.needle2, c.needle2) << c.type;
    }
    // The 172 showing NAV2 in the ADF's place leaves the ADF needle where it was.
    theType = 0;
    cockpit::theNav2Indicator.altFace = 1;
    cockpit::theAdfIndicator.needle = 33;
    Update();
    EXPECT_EQ(cockpit::theAdfIndicator.needle, 33);
}

TEST_F(NavReceivers, DmeSpeedAndTimeAlsoUnderTimeAcceleration) {
    for (int speedUp : {0, 3}) {
        cockpit::ResetCockpitServices();
        nav::ResetNavReception();
        cockpit::theMasterSwitch.switchState = cockpit::theAvionicsSwitch.switchState = 1;
        cockpit::theDmeSource.dmeN1 = 1;
        TuneVor(nav::theNav1Station, 0x0C01);  // a VOR-DME
        SetObs1(270);
        // 120 knots west toward the station from 30 NM east at 5000 feet, one update every
        // third tick.
        const int steps = 3 << speedUp;
        const double perUpdate = 120.0 / 3600.0 / 18.2 * steps;
        double nm = 30.0, read = 0.0;
        int readings = 0;
        for (int u = 0; u < 60; ++u) {
            Place(90, nm, 5000);
            Update(static_cast<std::uint32_t>(steps));
            if (cockpit::theNavReceiverOutputs[0].dmeCountdown == 12) {
                ++readings;
                read = nm;
            }
            nm -= perUpdate;
            // From the second reading on the speed and time are shown.
            if (readings == 1) {
                EXPECT_EQ(cockpit::theDmeRadio.dmeDigits[1], 0) << speedUp;
            }
        }
        ASSERT_GE(readings, 4);
        const int distance = cockpit::theDmeRadio.dmeDigits[0];
        EXPECT_NEAR(distance, read * 10, 1) << speedUp;
        EXPECT_NEAR(cockpit::theDmeRadio.dmeDigits[1], 120, 2) << speedUp;
        EXPECT_NEAR(cockpit::theDmeRadio.dmeDigits[2], distance / 10.0 / 2.0, 1) << speedUp;
    }
    // Losing the signal starts the speed over: the first reading after it shows no new speed.
    nav::theNavReceptionFlags = 0;
    Update();
    EXPECT_EQ(cockpit::theNavReceiverOutputs[0].previousSlant, -1.0);
}

// A glide slope is received within about ten miles of its antenna (its published coverage), and
// the armed approach mode's GS lamp lights as soon as it is, long before the capture.
// The glide slope is received within its coverage (its flag raised); the GS lamp stays dark
// until the autopilot captures it.
TEST_F(NavReceivers, GlideSlopeReceivedWithinItsCoverageAndTheGsLampLitOnCapture) {
    nav::TunedNavStation& s = nav::theNav1Station;
    s = nav::TunedNavStation{};
    s.frequency = 10870;
    s.flags = 0x0010;
    s.localizerCourse = Angle(0);
    s.glideSlopeAngle = Angle(3);
    s.z2 = static_cast<std::int32_t>(-2.0 * kNm);
    nav::theNavReceptionFlags = nav::kNav1Reception;
    std::int32_t* ap = cockpit::theAutopilotPanel.buttons;  // ALT HDG NAV APR BC AP GS TRIM
    ap[3] = ap[5] = 1;
    // Along the course from the antenna (negative past it), and the radial from the localizer: in
    // front of the antenna within 10 nm and 8 degrees of the course, nowhere else.
    const struct {
        double fromAntennaNm, radial;
        int received;
    } cases[] = {{14, 180, 0}, {11, 180, 0}, {9, 180, 1},   {6, 180, 1},    {1, 180, 1},
                 {12, 180, 0}, {0.05, 180, 1}, {-0.1, 180, 0}, {-1, 180, 0},  {-4, 180, 0},
                 {6, 187, 1},  {6, 173, 1},  {6, 189.5, 0}, {6, 170, 0},    {3, 200, 0}};
    for (const auto& c : cases) {
        const double nm = c.fromAntennaNm + 2.0;
        Place(c.radial, nm,
              1000 + std::tan(3.0 * M_PI / 180.0) * std::fabs(c.fromAntennaNm) * kNm / kFoot);
        Update();
        cockpit::CockpitSlowTick();
        EXPECT_EQ(cockpit::theNav1Indicator.navFlag1, c.received) << c.fromAntennaNm;
        EXPECT_EQ(ap[6], 0) << c.fromAntennaNm;
        // Still on the localizer throughout.
        EXPECT_EQ(theNavReceiverWords.vor1_dir_flag, 3) << c.fromAntennaNm;
    }
    flight::theFlightModelState.fmAutopilotState |= 0x8;  // captured
    cockpit::CockpitSlowTick();
    EXPECT_EQ(ap[6], 1);
    flight::theFlightModelState.fmAutopilotState &= ~0x8;
    cockpit::CockpitSlowTick();
    EXPECT_EQ(ap[6], 0);
    // The trim lamp shows the engaged autopilot, not the avionics power alone.
    EXPECT_EQ(ap[7], 1);
    ap[5] = 0;
    cockpit::CockpitSlowTick();
    EXPECT_EQ(ap[7], 0);
}

// A retuned DME, or one put somewhere else, shows the new distance at its next computation, and
// no speed or time left from before until its next reading gives them.
TEST_F(NavReceivers, DmeShowsANewStationOrPlaceAtOnce) {
    TuneVor(nav::theNav1Station, 0x0C01);
    SetObs1(270);
    for (int u = 0; u < 40; ++u) {
        Place(90, 30.0 - u * 0.01, 5000);
        Update();
    }
    ASSERT_NEAR(cockpit::theDmeRadio.dmeDigits[0], 296, 2);
    ASSERT_GT(cockpit::theDmeRadio.dmeDigits[1], 50);
    // Another VOR-DME, 20 NM farther east.
    nav::theNav1Station.x = static_cast<std::int32_t>(20.0 * kNm);
    Update();
    EXPECT_NEAR(cockpit::theDmeRadio.dmeDigits[0], 96, 2);
    EXPECT_EQ(cockpit::theDmeRadio.dmeDigits[1], 0);
    EXPECT_EQ(cockpit::theDmeRadio.dmeDigits[2], 0);
    for (int u = 0; u < 30; ++u) Update();
    // Put 40 NM east of the origin: 20 NM from the station at once.
    Place(90, 40, 5000);
    Update();
    EXPECT_NEAR(cockpit::theDmeRadio.dmeDigits[0], 200, 3);
    EXPECT_EQ(cockpit::theDmeRadio.dmeDigits[1], 0);
}

TEST_F(NavReceivers, DmeHoldKeepsTheCapturedStationOnNav2sWords) {
    // NAV1 on a VOR-DME to the east, NAV2 on a VOR to the north.
    TuneVor(nav::theNav1Station, 0x0C01, "AAA");
    TuneVor(nav::theNav2Station, 0x0401, "BBB");
    nav::theNav2Station.z = static_cast<std::int32_t>(30 * kNm);
    nav::theNav2Station.frequency = 11680;
    SetObs1(90);
    SetObs2(90);
    Place(90, 20);  // on A's 090 radial and B's 146
    for (int u = 0; u < 12; ++u)
        Update();
    EXPECT_EQ(cockpit::theDmeHold.lastReader, 1);
    cockpit::theDmeSource.dmeN1 = 0;
    cockpit::theDmeSource.dmeHLD = 1;
    SetObs2(180);  // B: FROM; A: 90 degrees off, no signal
    Update();
    EXPECT_EQ(cockpit::theDmeHold.captured, 1);
    EXPECT_EQ(cockpit::theDmeHold.fromNav, 1);
    EXPECT_EQ(cockpit::theDmeHoldStation.ident, "AAA");
    // NAV2's needles follow B, its direction word and status carry the held A.
    EXPECT_EQ(cockpit::theNav2Indicator.toFrom, 2);
    EXPECT_EQ(theNavReceiverWords.vor2_dir_flag, 0);
    EXPECT_EQ(cockpit::theNavReceiverOutputs[1].flags & cockpit::kStatusDme, cockpit::kStatusDme);
    for (int u = 0; u < 12; ++u)
        Update();
    // With 056 set, A reads FROM while B, 90 degrees off, has no signal.
    SetObs2(56);
    Update();
    EXPECT_EQ(theNavReceiverWords.vor2_dir_flag, 2);
    EXPECT_EQ(cockpit::theNav2Indicator.toFrom, 0);
}

TEST_F(NavReceivers, IdentsFollowSwitchesAudioAndReception) {
    TuneVor(nav::theNav1Station, 0x0C01, "OSI");
    SetObs1(90);
    Place(90, 20);
    const devices::BeaconSound& b = devices::theBeaconSound;
    Update();
    EXPECT_TRUE(b.Ident(devices::BeaconSound::kNav1).empty());  // ident switch off
    theNavReceiverWords.nav1IdentGlobal = 1;
    cockpit::theNav1Radio.buttons[0] = 1;
    Update();
    EXPECT_TRUE(b.Ident(devices::BeaconSound::kNav1).empty());  // no audio button
    cockpit::theAudioPanelButtons.audioMixNav1 = 1;
    Update();
    EXPECT_EQ(b.Ident(devices::BeaconSound::kNav1), "OSI");
    EXPECT_EQ(b.navStates[0], 2u);
    EXPECT_EQ(theNavReceiverWords.identsActive, 1);
    // NAV2's ident the same way.
    TuneVor(nav::theNav2Station, 0x0401, "SFO");
    theNavReceiverWords.nav2IdentGlobal = 1;
    cockpit::theNav2Radio.buttons[0] = 1;
    cockpit::theAudioPanelButtons.audioMixNav2 = 1;
    Update();
    EXPECT_EQ(b.Ident(devices::BeaconSound::kNav2), "SFO");
    EXPECT_EQ(b.navStates[1], 1u);
    // Out of range the idents go and the queue is flushed.
    Place(90, 200);
    Update();
    EXPECT_TRUE(b.Ident(devices::BeaconSound::kNav1).empty());
    EXPECT_TRUE(b.Ident(devices::BeaconSound::kNav2).empty());
    EXPECT_EQ(theNavReceiverWords.identsActive, 0);
}

TEST_F(NavReceivers, StationsTheDataGetsWrong) {
    // Every class bit at once, an ident longer than the strings, the aircraft right over the
    // station at its elevation: defined results, no division by zero.
    nav::TunedNavStation& s = nav::theNav1Station;
    s = nav::TunedNavStation{};
    s.flags = 0xFFFF;
    s.ident = std::string(40, 'X');
    s.elevation = 30000;
    nav::theNavReceptionFlags = nav::kNav1Reception | nav::kNav2Reception | nav::kAdfReception;
    nav::theNav2Station = s;
    nav::theNav2Station.flags = 0;
    nav::theAdfStation = s;
    theNavReceiverWords.nav1IdentGlobal = 1;
    cockpit::theAudioPanelButtons.audioMixNav1 = 1;
    for (int type = 0; type <= 5; ++type) {
        theType = type;
        Place(0, 0, 0);
        for (int u = 0; u < 13; ++u)
            Update();
        EXPECT_LE(devices::theBeaconSound.Ident(0).size(), 9u);
        EXPECT_LE(std::abs(cockpit::theNav1Indicator.courseNeedle), 20);
        EXPECT_LE(cockpit::theDmeRadio.dmeDigits[2], 99);
    }
    // A frequency without a station: flags down.
    nav::theNavReceptionFlags = 0;
    theType = 0;
    Update();
    EXPECT_EQ(cockpit::theNav1Indicator.navFlag2, 0);
    EXPECT_EQ(cockpit::theNavReceiverOutputs[0].station, 0);
    EXPECT_EQ(nav::theAutopilotNavInput.signalValid, 0);
}

TEST_F(NavReceivers, CentringParksEveryNeedle) {
    for (int type : {0, 2, 4}) {
        theType = type;
        cockpit::theNav1Indicator.courseNeedle = cockpit::theNav2Indicator.courseNeedle = 7;
        cockpit::theHsiGauge.courseDeviation = cockpit::theAttitudeIndicator.courseNeedle = 7;
        cockpit::theAdfIndicator.needle = cockpit::theAdfIndicator.needle2 = 12;
        cockpit::CenterNavIndicators();
        EXPECT_EQ(cockpit::theNav2Indicator.courseNeedle, 0);
        EXPECT_EQ(cockpit::theAdfIndicator.needle, 90) << type;
        EXPECT_EQ(cockpit::theAdfIndicator.needle2, 90);
        if (type == 0) {
            EXPECT_EQ(cockpit::theNav1Indicator.courseNeedle, 0);
        }
        if (type != 0) {
            EXPECT_EQ(cockpit::theHsiGauge.courseDeviation, 0);
        }
        if (type == 4) {
            EXPECT_EQ(cockpit::theAttitudeIndicator.courseNeedle, 0);
        }
    }
}

}  // namespace
