// Ground contact: soft touchdown, bounce, crash and coming to rest.
#include <gtest/gtest.h>

#include "core/ini_file.h"
#include "flight/aircraft_parameters.h"
#include "flight/airspeed.h"
#include "flight/flight_harness.h"
#include "flight/flight_hooks.h"
#include "flight/flight_model.h"
#include "flight/flight_model_state.h"
#include "flight/flight_world_services.h"

namespace {

using flight::theFlightModelState;
using flighttest::FlightHarness;

// A first contact of a moving aircraft with the given sink, pitch and bank.
void Touch(std::int32_t vvel, std::int16_t pitch, std::int16_t bank) {
    flight::FlightModelState& s = theFlightModelState;
    s.fmOTG = 1;
    s.fmOGV = 0;
    s.fmHVel = 30 << 16;
    s.fmVVel = vvel;
    s.fmPitch = static_cast<std::uint16_t>(pitch);
    s.fmBank = static_cast<std::uint16_t>(bank);
    s.fmEngines = 1;
    s.fmThrot = 20000;
    flight::CheckCrash();
}

TEST(FlightCrash, TouchdownLimits) {
    enum Outcome { Soft, Bounce, Crash };
    struct Case {
        std::int32_t vvel;
        std::int16_t pitch;
        std::int16_t bank;
        Outcome outcome;
    };
    const Case cases[] = {
        {-98304, 0, 0, Soft},     {-98305, 0, 0, Bounce},    {-1310720, 0, 0, Bounce},
        {-1310721, 0, 0, Crash},  {-50000, 0, 2276, Soft},   {-50000, 0, -2276, Soft},
        {-50000, 0, 2277, Crash}, {-50000, 0, -2277, Crash}, {-50000, 2731, 0, Soft},
        {-50000, -2731, 0, Soft}, {-50000, 2732, 0, Crash},  {-50000, -2732, 0, Crash},
    };
    for (const Case& c : cases) {
        FlightHarness h(0);
        Touch(c.vvel, c.pitch, c.bank);
        switch (c.outcome) {
            case Soft:
                EXPECT_EQ(theFlightModelState.fmOGV, 1)
                    << c.vvel << " " << c.pitch << " " << c.bank;
                EXPECT_EQ(flight::theCrashed, 0u);
                EXPECT_EQ(FlightHarness::calls.impactSounds, 1);
                break;
            case Bounce:
                EXPECT_EQ(theFlightModelState.fmOTG, 0) << c.vvel;
                EXPECT_GT(theFlightModelState.fmVVel, 0);
                EXPECT_EQ(flight::theCrashed, 0u);
                break;
            case Crash:
                EXPECT_EQ(flight::theCrashed, 1u) << c.vvel << " " << c.pitch << " " << c.bank;
                EXPECT_EQ(theFlightModelState.fmOGV, 3);
                EXPECT_EQ(theFlightModelState.fmVVel, -2000000);
                EXPECT_EQ(theFlightModelState.fmHVel, 0);
                EXPECT_EQ(theFlightModelState.fmThrot, 0);
                EXPECT_EQ(theFlightModelState.fmEngines, 0);
                EXPECT_EQ(FlightHarness::calls.stopEngineSounds, 1);
                break;
        }
    }
}

TEST(FlightCrash, BounceReturnsNinetyPercentTruncatedTowardZero) {
    FlightHarness h(0);
    Touch(-98305, 0, 0);
    EXPECT_EQ(theFlightModelState.fmVVel, 88474);
    // Deep sinks are clamped before the share is taken.
    FlightHarness h2(0);
    flight::theCrashDetectEnabled = 0;
    Touch(-900000, 0, 0);
    EXPECT_EQ(theFlightModelState.fmVVel, 360000);
    // An out-of-range share is held to 0..100.
    FlightHarness h3(0);
    flight::theCrashLimits.bouncePct = 250;
    Touch(-200000, 0, 0);
    EXPECT_EQ(theFlightModelState.fmVVel, 200000);
    flight::theCrashDetectEnabled = 1;
}

TEST(FlightCrash, WithDetectionOffNothingCrashesAndInvertedTouchdownsRightTheAircraft) {
    FlightHarness h(0);
    flight::theCrashDetectEnabled = 0;
    Touch(-5000000, 8000, 9000);
    EXPECT_EQ(flight::theCrashed, 0u);
    EXPECT_EQ(theFlightModelState.fmOTG, 0);  // bounced
    FlightHarness h2(0);
    flight::theCrashDetectEnabled = 0;
    theFlightModelState.fmInvert = 1;
    Touch(-500000, 100, 100);
    EXPECT_EQ(theFlightModelState.fmInvert, 0);
    EXPECT_EQ(theFlightModelState.fmBank, 0);
    EXPECT_EQ(theFlightModelState.fmPitch, 0);
    EXPECT_EQ(theFlightModelState.fmVVel, 0);
    EXPECT_EQ(theFlightModelState.fmOTG, 0);
    flight::theCrashDetectEnabled = 1;
}

TEST(FlightCrash, ContactWithoutMotionJustFollowsTheGroundFlag) {
    FlightHarness h(0);
    for (std::int32_t hv : {0, 30 << 16}) {
        flight::FlightModelState& s = theFlightModelState;
        s.fmOTG = 1;
        s.fmOGV = 0;
        s.fmHVel = hv;
        s.fmVVel = hv ? 0 : -5000000;
        flight::CheckCrash();
        EXPECT_EQ(s.fmOGV, 1);
        EXPECT_EQ(flight::theCrashed, 0u);
    }
}

TEST(FlightCrash, CrashSlidesToRestOnceSlowAndPlaysItsSoundOnce) {
    FlightHarness h(0);
    Touch(-3000000, 0, 0);
    ASSERT_EQ(theFlightModelState.fmOGV, 3);
    flight::FlightModelState& s = theFlightModelState;
    for (int i = 0; i < 5; ++i) {
        s.fmOTG = 1;
        s.fmIAS = flight::AirspeedWordFromKnots(16.0);  // still moving
        flight::CheckCrash();
        EXPECT_EQ(s.fmOGV, 3);
    }
    s.fmIAS = flight::AirspeedWordFromKnots(16.0) - 1;
    s.fmDeltaX = 100;
    flight::CheckCrash();
    EXPECT_EQ(s.fmOGV, 1);
    EXPECT_EQ(s.fmDeltaX, 0);
    EXPECT_EQ(s.fmIAS, 0);
    EXPECT_EQ(FlightHarness::calls.crashSounds, 1);
    // The wreck at rest, lifted off the ground by it and set down again nose low, hard or soft,
    // is not crashed (nor reported) again.
    flight::theCrashLimits.showWhyCrash = 1;
    for (const std::int32_t vvel : {-3000000, -50000, -25167}) {
        s.fmOTG = 0;
        flight::CheckCrash();
        Touch(vvel, 10425, 0);
        EXPECT_EQ(s.fmOGV, 1) << vvel;
    }
    EXPECT_EQ(FlightHarness::calls.stopEngineSounds, 1);
    EXPECT_EQ(FlightHarness::calls.crashReports, 0);
    flight::theCrashLimits.showWhyCrash = 0;
}

TEST(FlightCrash, AirborneStatesFollowTheContactTable) {
    FlightHarness h(0);
    struct Case {
        std::int8_t before;
        std::int8_t after;
    };
    const Case cases[] = {{0, 0}, {1, 0}, {2, 2}, {3, 2}};
    for (const Case& c : cases) {
        theFlightModelState.fmOTG = 0;
        theFlightModelState.fmOGV = c.before;
        flight::CheckCrash();
        EXPECT_EQ(theFlightModelState.fmOGV, c.after) << int{c.before};
    }
}

TEST(FlightCrash, ReportTextNamesTheLimits) {
    FlightHarness h(0);
    flight::theCrashLimits.showWhyCrash = 1;
    Touch(-50000, -3000, 100);
    EXPECT_EQ(FlightHarness::calls.crashReports, 1);
    EXPECT_EQ(FlightHarness::calls.lastCrashReport,
              "vS: -50000 [-1310720], pi: 3000 [2731], ba: 100 [2276]");
}

// Limits written by hand in the settings file may be any 32-bit number; the most negative ones
// must still compare and print as numbers.
TEST(FlightCrash, ExtremeLimitsFromTheSettingsStayNumbers) {
    struct Case {
        std::int32_t vSpeed;
        std::int32_t pitch;
        std::int32_t bank;
        bool crash;
        const char* report;
    };
    const Case cases[] = {
        {INT32_MIN, 2731, 2276, true, "vS: -50000 [2147483648], pi: 0 [2731], ba: 0 [2276]"},
        {1310720, INT32_MIN, 2276, true,
         "vS: -50000 [-1310720], pi: 0 [-2147483648], ba: 0 [2276]"},
        {1310720, 2731, INT32_MIN, true,
         "vS: -50000 [-1310720], pi: 0 [2731], ba: 0 [-2147483648]"},
        {INT32_MAX, INT32_MAX, INT32_MAX, false, ""},
    };
    for (const Case& c : cases) {
        FlightHarness h(0);
        flight::theCrashLimits.maxCrashVSpeed = c.vSpeed;
        flight::theCrashLimits.maxCrashPitch = c.pitch;
        flight::theCrashLimits.maxCrashBank = c.bank;
        flight::theCrashLimits.showWhyCrash = 1;
        Touch(-50000, 0, 0);
        EXPECT_EQ(flight::theCrashed != 0, c.crash) << c.vSpeed << " " << c.pitch << " " << c.bank;
        EXPECT_EQ(FlightHarness::calls.lastCrashReport, c.report);
    }
    flight::theCrashLimits = flight::CrashLimits{};
}

TEST(FlightCrash, LimitsComeFromTheSettingsWithBuiltInDefaults) {
    core::theIniFile.PutInt("Feq", "bouncePct", 50);
    core::theIniFile.PutInt("Feq", "showWhyCrash", 1);
    EXPECT_EQ(flight::ReadCrashLimits(), 1);
    EXPECT_EQ(flight::theCrashLimits.bouncePct, 50);
    EXPECT_EQ(flight::theCrashLimits.maxCrashVSpeed, 1310720);
    EXPECT_EQ(flight::theCrashLimits.maxCrashBank, 2276);
    core::theIniFile.PutString("Feq", "bouncePct", nullptr);
    core::theIniFile.PutString("Feq", "showWhyCrash", nullptr);
    EXPECT_EQ(flight::ReadCrashLimits(), 0);
    EXPECT_EQ(flight::theCrashLimits.bouncePct, 90);
}

// The ground along the track over the last step, as the terrain's datum measured it: a slope
// (rise over run) at a speed over the ground, in a step of 1800/32768 s, in calm sea-level air
// (the airspeed the same; dynamic pressure 1/2 rho V^2, lb/ft^2).
void GroundAhead(double slope, double knots) {
    theFlightModelState.fmStepTime = 1800;
    const double run = knots * 0.514444 * 1800.0 / 32768.0 * 256.0;
    flight::theFlightStep.groundRun = static_cast<std::int32_t>(run);
    flight::theFlightStep.groundRise = static_cast<std::int32_t>(run * slope);
    const double fps = knots * 1.68781;
    flight::theAirData.trueAirspeedFps = fps;
    flight::theAirData.dynamicPressure = 0.5 * 0.0023769 * fps * fps;
}

int OpenCountry() {
    return 0;
}

TEST(FlightCrash, RisingGroundCountsIntoTheContactAndASteepSlopeAtSpeedCrashes) {
    enum Outcome { Soft, Bounce, Crash, Rolls };
    struct Case {
        const char* what;
        std::int8_t state;  // 0 a first contact, 1 rolling
        double sink;        // the aircraft's own, m/s
        double slope;
        double knots;
        Outcome outcome;
        int type = 0;  // the 172 unless said; the Bonanza's and Baron's gear retracts
        bool gearUp = false;
        bool field = false;  // open country rather than a runway
    };
    const Case cases[] = {
        {"flat touchdown", 0, 1.2, 0.0, 60, Soft},
        {"level into a gentle rise", 0, 0.0, 0.05, 100, Bounce},
        {"sinking into a rise: 15 + 6.2 m/s", 0, 15.0, 0.12, 100, Crash},
        {"onto a falling slope, no faster than it falls", 0, 3.0, -0.1, 60, Soft},
        {"level into a hillside", 0, 0.0, 0.3, 95, Crash},
        {"rolling up a hillside", 1, 0.0, 0.3, 50, Crash},
        {"taxiing up a hillside", 1, 0.0, 0.3, 20, Rolls},
        {"rolling fast up a field's slope", 1, 0.0, 0.03, 150, Rolls},
        {"rolling up a bank just under one in ten, faster than the gear takes", 1, 0.0, 0.09, 100,
         Crash},
        {"rolling up a bank just under one in ten at 50 kt", 1, 0.0, 0.09, 50, Rolls},
        {"level into one in twenty at a Bonanza's cruise", 0, 0.0, 0.05, 150, Crash, 1},
        {"level into one in fifteen at the 172's cruise", 0, 0.0, 0.067, 110, Crash},
        {"level into one in twelve at cruise, climbing 1 m/s", 0, -1.0, 0.083, 150, Crash, 2},
        {"rolling up one in twelve at 90 kt", 1, 0.0, 0.083, 90, Crash},
        {"rolling up one in twenty at 60 kt", 1, 0.0, 0.05, 60, Rolls},
        {"wheels up onto a runway, soft", 0, 0.5, 0.0, 70, Crash, 1, true},
        {"wheels up onto one in forty at cruise", 0, 0.0, 0.025, 160, Crash, 2, true},
        {"wheels up rolling at 40 kt", 1, 0.0, 0.0, 40, Crash, 2, true},
        {"wheels up, moved at a taxi's pace", 1, 0.0, 0.0, 10, Rolls, 1, true},
        {"wheels down onto a runway, soft", 0, 0.5, 0.0, 70, Soft, 1},
        {"the ground rising faster than a touchdown's limit", 1, 0.0, 0.08, 500, Crash},
        {"level into one in nine at an approach's speed", 0, 0.0, 0.11, 65, Crash},
        {"level into one in six at cruise", 0, 0.0, 0.17, 110, Crash},
        {"climbing with a hillside as it grazes it", 0, -5.5, 0.11, 95, Soft},
        {"touching down on a runway's upslope", 0, 0.5, 0.02, 70, Soft},
        {"a hard touchdown on a runway's upslope", 0, 3.0, 0.02, 70, Bounce},
        {"rolling off a runway's end onto a one-in-six bank at 30 kt", 1, 0.0, 0.17, 30, Rolls},
        {"rolling onto a one-in-six bank at 45 kt", 1, 0.0, 0.17, 45, Crash},
        {"level into one in eight at cruise, climbing 2 m/s", 0, -2.0, 0.125, 115, Crash},
        // Away from a runway: the gear meets the ground at flying speed (the types' flaps-up
        // stall speeds in the model: about 49, 59, 72, 87 and 85 kt) and the aircraft crashes;
        // at a landing's pace it lands, rolls and taxis.
        {"level into one in thirty off a runway at cruise", 0, 0.0, 0.033, 110, Crash, 0, false,
         true},
        {"level into one in twenty-five off a runway at cruise", 0, 0.0, 0.04, 105, Crash, 0,
         false, true},
        {"level into one in twenty off a runway at cruise", 0, 0.0, 0.05, 115, Crash, 0, false,
         true},
        {"rolling up one in twenty off a runway at cruise", 1, 0.0, 0.05, 100, Crash, 0, false,
         true},
        {"rolling up one in seventeen off a runway at 65 kt", 1, 0.0, 0.06, 65, Crash, 0, false,
         true},
        {"onto one in twelve off a runway at 60 kt", 0, 0.0, 0.08, 60, Crash, 0, false, true},
        {"a Baron rolling up one in twenty off a runway at 90 kt", 1, 0.0, 0.05, 90, Crash, 2,
         false, true},
        {"rolling up one in twenty-five off a runway at 55 kt", 1, 0.0, 0.04, 55, Rolls, 0, false,
         true},
        {"a touchdown in a flat field at cruise", 0, 0.5, 0.0, 110, Crash, 0, false, true},
        {"rolling on from a runway's end over a flat field at cruise", 1, 0.0, 0.0, 105, Rolls, 0,
         false, true},
        {"a Bonanza's touchdown in a field at cruise", 0, 0.3, 0.0, 150, Crash, 1, false, true},
        {"a Baron into one in thirty off a runway", 0, 0.0, 0.033, 160, Crash, 2, false,
         true},
        {"a King Air's touchdown in a field at cruise", 0, 0.5, 0.0, 200, Crash, 3, false, true},
        {"a jet rolling up one in thirty off a runway", 1, 0.0, 0.035, 150, Crash, 4, false,
         true},
        {"a soft-field landing at touchdown speed", 0, 0.5, 0.0, 50, Soft, 0, false, true},
        {"a field landing onto one in twenty-five at touchdown speed", 0, 0.3, 0.04, 50, Soft, 0,
         false, true},
        {"a Bonanza's field landing at an approach's speed", 0, 0.5, 0.0, 75, Soft, 1, false,
         true},
        {"a take-off roll from a field at the rotation speed", 1, 0.0, 0.0, 55, Rolls, 0, false,
         true},
        {"taxiing up one in eight off a runway", 1, 0.0, 0.125, 15, Rolls, 0, false, true},
        {"a touchdown on a runway at cruise", 0, 0.5, 0.0, 110, Soft},
        {"a touch-and-go's roll on a runway at full power", 1, 0.0, 0.01, 80, Rolls},
    };
    for (const Case& c : cases) {
        FlightHarness h(c.type);
        GroundAhead(c.slope, c.knots);
        if (c.field) flight::theFlightWorldServices.groundIsRunway = &OpenCountry;
        flight::FlightModelState& s = theFlightModelState;
        s.fmGear = c.gearUp ? 0 : 1;
        if (c.state == 0) {
            // Down from a flight: some seconds in the air before the contact.
            for (int i = 0; i < 60; ++i) {
                s.fmOTG = 0;
                flight::CheckCrash();
            }
            Touch(-static_cast<std::int32_t>(c.sink * 65536), 0, 0);
        } else {
            s.fmOTG = 1;
            s.fmOGV = 1;
            s.fmHVel = static_cast<std::int32_t>(c.knots * 0.514444 * 65536);
            flight::CheckCrash();
        }
        EXPECT_EQ(flight::theCrashed != 0, c.outcome == Crash) << c.what;
        if (c.outcome == Soft || c.outcome == Rolls) {
            EXPECT_EQ(s.fmOGV, 1) << c.what;
        }
        if (c.outcome == Bounce) {
            EXPECT_EQ(s.fmOTG, 0) << c.what;
        }
    }
    // With crash detection off the aircraft climbs the hillside.
    FlightHarness h(0);
    flight::theCrashDetectEnabled = 0;
    GroundAhead(0.3, 60);
    theFlightModelState.fmOTG = theFlightModelState.fmOGV = 1;
    flight::CheckCrash();
    EXPECT_EQ(flight::theCrashed, 0u);
    flight::theCrashDetectEnabled = 1;
}

// Ground rising `theHillSlope` (one in three unless a test says otherwise) east of x = 0, which
// the terrain's datum follows as the world's does: the aircraft keeps its altitude, its height
// above the ground moves the other way.
double theHillSlope = 1.0 / 3.0;
void FollowHillsideEast() {
    flight::FlightModelState& s = theFlightModelState;
    const auto datum = static_cast<std::int32_t>(s.fmPosX > 0 ? s.fmPosX * theHillSlope : 0.0);
    s.fmPosY -= datum - flight::theTerrainDatum;
    flight::theTerrainDatum = datum;
}

// A hillside met rolling east at speed is a crash; the measure of the last step does not follow
// an aircraft that has been put elsewhere since.
TEST(FlightCrash, TheFlightStepMeasuresTheGroundItRollsOnto) {
    for (const bool moved : {false, true}) {
        FlightHarness h(0);
        flight::theFlightWorldServices.refreshTerrain = &FollowHillsideEast;
        flight::theTerrainDatum = 0;
        h.PlaceOnRunway(0x4000);
        flight::FlightModelState& s = theFlightModelState;
        s.fmPosX = -256;
        s.fmHVel = 60 << 16;
        s.fmThrot = 32767;
        // Onto the hillside, not yet judged: this step's refresh measures it.
        flight::theCrashDetectEnabled = 0;
        h.Run(1);
        flight::theCrashDetectEnabled = 1;
        if (moved) {
            // Put back before the hill between two steps, as a new airport puts it.
            s.fmPosX = -100 * 256;
            flight::theTerrainDatum = 0;
            s.fmPosY = flight::theAircraftParameters.apGearHeight;
        }
        h.Run(1);
        EXPECT_EQ(flight::theCrashed != 0, !moved);
        flight::theTerrainDatum = 0;
    }
}

// Met in the air or on the wheels, the ground is judged in the step that meets it: every step ends
// with the wheels on or above the ground, so nothing drawn between two steps has a height to mend.
// Flown level into a hillside at cruise each type crashes; a taxi up a bank does not.
TEST(FlightCrash, EveryStepEndsOnOrAboveTheGroundUnderTheAircraft) {
    const struct {
        int type;
        double slope, knots, feet;  // feet above the hill's foot; 0 rolling on the wheels
        bool crash;
    } cases[] = {{0, 1.0 / 3, 110, 20, true}, {0, 0.1, 110, 20, true},  {0, 0.05, 110, 10, true},
                 {1, 0.1, 165, 20, true},     {2, 0.2, 190, 20, true},  {3, 0.1, 230, 20, true},
                 {4, 0.05, 330, 20, true},    {0, 0.05, 12, 0, false}, {3, 0.02, 15, 0, false}};
    for (const auto& c : cases) {
        FlightHarness h(c.type);
        flight::theFlightWorldServices.refreshTerrain = &FollowHillsideEast;
        theHillSlope = c.slope;
        flight::FlightModelState& s = theFlightModelState;
        const std::int32_t gear = flight::theAircraftParameters.apGearHeight;
        if (c.feet > 0) h.PlaceInFlight(c.feet + gear / 256.0 / 0.3048, c.knots, 0x4000);
        if (c.feet == 0) h.PlaceOnRunway(0x4000);
        s.fmHVel = static_cast<std::int32_t>(c.knots * 0.514444 * 65536);
        s.fmPosX = (c.feet > 0 ? -300 : -10) * 256;  // more than 2 s of flight before the foot
        for (int i = 0; i < 400 && s.fmPosY >= gear; ++i) h.Run(1);
        EXPECT_GE(s.fmPosY, gear) << c.type << " at " << c.knots << " kt up " << c.slope;
        EXPECT_EQ(flight::theCrashed != 0, c.crash) << c.type << " at " << c.knots << " kt";
        EXPECT_GT(s.fmPosX, 0) << "never reached the hill";
    }
    theHillSlope = 1.0 / 3.0;
}

// Rolling on along a level runway at each speed, over a step up in the ground (the edge of an
// airport's floor) and on over level ground: a step within the gear's stroke is no crash at any
// speed; a hillside that keeps rising at the rate the step had is one beyond a taxi's pace.
TEST(FlightCrash, AStepInTheGroundIsTakenUpByTheGearAHillsideIsNot) {
    struct Case {
        double knots;
        double stepMetres;  // in one step of the roll
        int stepsRising;    // how many steps rise so
        bool crash;
    };
    const Case cases[] = {
        {20, 0.43, 1, false}, {30, 0.43, 1, false},  {60, 0.43, 1, false},
        {88, 0.43, 1, false}, {130, 0.43, 1, false}, {88, 0.25, 2, false},
        {88, 0.43, 40, true}, {45, 0.43, 40, true},  {20, 0.43, 40, false},
    };
    for (const Case& c : cases) {
        FlightHarness h(3);
        flight::FlightModelState& s = theFlightModelState;
        s.fmGear = 1;
        GroundAhead(0.0, c.knots);
        const std::int32_t run = flight::theFlightStep.groundRun;
        for (int i = 0; i < 60 + c.stepsRising + 20 && flight::theCrashed == 0; ++i) {
            const bool rising = i >= 60 && i < 60 + c.stepsRising;
            flight::theFlightStep.groundRise =
                rising ? static_cast<std::int32_t>(c.stepMetres * 256) : 0;
            s.fmOTG = 1;
            s.fmOGV = 1;
            s.fmVVel = 0;
            s.fmHVel = static_cast<std::int32_t>(c.knots * 0.514444 * 65536);
            flight::theFlightStep.groundRun = run;
            flight::CheckCrash();
        }
        EXPECT_EQ(flight::theCrashed != 0, c.crash)
            << c.knots << " kt, " << c.stepMetres << " m x " << c.stepsRising;
    }
}

TEST(FlightCrash, LandingsBySinkRate) {
    // Fly a steady descent onto flat ground: 3 m/s sink lands, 10 m/s with a pitch past the
    // limit crashes.
    struct Case {
        double sink;
        bool crash;
    };
    for (const Case c : {Case{1.2, false}, Case{25.0, true}}) {
        FlightHarness h(0);
        h.PlaceInFlight(0, 70);
        flight::FlightModelState& s = theFlightModelState;
        s.fmPosY = flight::theAircraftParameters.apGearHeight + 256;
        s.fmVVel = -static_cast<std::int32_t>(c.sink * 65536);
        h.Run(40);
        EXPECT_EQ(flight::theCrashed != 0, c.crash) << c.sink;
    }
}

}  // namespace
