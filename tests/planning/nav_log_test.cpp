// The navigation log against hand-worked figures: the cruise tables' interpolation, the wind
// triangle, times across midnight and legs the wind stops.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "planning/nav_log.h"
#include "planning/planning_services.h"
#include "planning/route_weather.h"

namespace {

using planning::FlightPlan;

TEST(CruisePerformance, InterpolatesInAltitudeAndPowerAndHoldsToTheTableEdges) {
    struct Case {
        int type, altitude, power;
        int tas;
        double flow;
    };
    for (const Case& c : {
             Case{0, 5000, 60, 104, 6.7},     // exact
             Case{0, 5500, 62, 106, 6.94},    // between 5000/6000 and 60/65
             Case{0, 7500, 72, 117, 8.1},     // 115, 119.5 -> 116.8; 7.9, 8.4 -> 8.1
             Case{1, 16000, 75, 165, 12.6},   // above the Bonanza's table: its top row
             Case{2, 1000, 40, 152, 18.8},    // below both axes: the first entry, both engines
             Case{2, 4000, 75, 199, 32.8},    // the Baron's book: 16.4 gal/h each engine
             Case{3, 19000, 70, 288, 754.5},  // King Air between 18000 and 20000
             Case{5, 5000, 65, 0, 0.0},       // no table
         }) {
        std::uint16_t tas = 0;
        float flow = 0;
        planning::LookupCruisePerformance(c.type, c.altitude, c.power, &tas, &flow);
        EXPECT_EQ(tas, c.tas) << c.type << " " << c.altitude << " " << c.power;
        EXPECT_NEAR(flow, c.flow, 0.02) << c.type << " " << c.altitude << " " << c.power;
    }
}

TEST(WindTriangle, CrosswindHeadwindAndAWindStrongerThanTheAircraft) {
    EXPECT_EQ(planning::WindCorrectedGroundSpeed(90, 360, 20, 110),
              static_cast<int>(std::sqrt(110.0 * 110 - 400)));
    EXPECT_EQ(planning::WindCorrectedGroundSpeed(90, 90, 20, 110), 90);
    EXPECT_EQ(planning::WindCorrectedGroundSpeed(90, 270, 20, 110), 130);
    EXPECT_EQ(planning::WindCorrectedGroundSpeed(90, 90, 120, 110), 0);
    EXPECT_EQ(planning::WindCorrectedGroundSpeed(0, 0, 0, 0), 0);
    // Heading into a wind from the north on an eastbound leg: left of the course.
    const double h = planning::WindCorrectedHeading(90, 360, 20, 108);
    EXPECT_NEAR(h, 90.0 - std::atan2(20.0, 108.0) * 180.0 / 3.141592653589793, 0.01);
}

TEST(LegCourse, FourQuadrantsWithDueNorthAndDueSouth) {
    planning::FlightPlanNode a, b;
    struct Case {
        int dx, dy, course;
    };
    for (const Case& c : {Case{0, 100, 0}, Case{100, 0, 90}, Case{0, -100, 180}, Case{-100, 0, 270},
                          Case{100, 100, 45}, Case{-100, 100, 315}}) {
        b.x = c.dx;
        b.y = c.dy;
        const int course = planning::LegCourse(a, b);
        EXPECT_EQ(course % 360, c.course) << c.dx << "," << c.dy;
    }
}

// The log's whole degrees come out as the library's arctangents give them, also where a leg or
// a heading lies a hair either side of a half or whole degree.
TEST(LegCourse, WholeDegreesAgreeWithTheLibrarysArctangents) {
    constexpr double kDegree = std::numbers::pi / 180.0;
    planning::FlightPlanNode a, b;
    int courses = 0, headings = 0;
    for (int scale : {1, 977, 200003})
        for (int dy = -120; dy <= 120; ++dy)
            for (int dx = -120; dx <= 120; ++dx) {
                b.x = dx * scale;
                b.y = dy * scale;
                const int whole = static_cast<int>(std::floor(std::atan2(b.y, b.x) / kDegree + 0.5));
                courses += planning::LegCourse(a, b) != (whole > 90 ? 450 - whole : 90 - whole);
            }
    for (int course = 0; course <= 360; ++course)
        for (int wind = 10; wind <= 360; wind += 10)
            for (int speed : {0, 7, 20, 45, 90})
                for (double offset : {0.5, 0.5 + 1.0 / 3.0, -13.73, 17.25}) {
                    const int gs = planning::WindCorrectedGroundSpeed(course, wind, speed, 120);
                    int want = static_cast<int>(planning::WindCorrectedHeading(course, wind, speed, gs) -
                                                offset) % 360 + 1;
                    if (want < 1) want += 360;
                    headings += planning::WindCorrectedMagneticHeading(course, wind, speed, gs, offset) != want;
                }
    EXPECT_EQ(courses, 0);
    EXPECT_EQ(headings, 0);
}

FlightPlan EastboundPlan() {
    FlightPlan p;
    p.active = 1;
    p.nodeCount = 3;
    p.aircraft = 0;
    p.cruiseAltitude = 5500;
    p.power = 62;
    const double unitsPerMile = 1.0 / planning::kNauticalMilesPerUnit;
    for (int i = 0; i < 3; ++i) {
        p.nodes[static_cast<std::size_t>(i)].ident = i == 0 ? "KSQL" : (i == 1 ? "OSI" : "KFAT");
        p.nodes[static_cast<std::size_t>(i)].x = i * static_cast<std::int32_t>(std::ceil(53.0 * unitsPerMile));
    }
    // A 20-knot wind from due north at every station.
    for (planning::RouteWeatherStation* s :
         {&p.environment.departure, &p.environment.enRoute, &p.environment.destination}) {
        s->WsTop = s->W1Top = s->W2Top = 100000;
        s->WsDir = 0;
        s->WsVel = 20;
    }
    return p;
}

TEST(NavLog, LegsTakeTheWindTriangleAndTheTablesFigures) {
    FlightPlan p = EastboundPlan();
    p.departureTime = 23 * 60 + 50;
    p.nodes[0].arrivalTime = 23 * 60 + 50;
    p.nodes[1].arrivalTime = 5;  // after midnight
    p.nodes[1].fuel = 30 * 256 * 6 / 2.2;
    p.BuildNavLog();
    const planning::NavLog& log = *planning::theNavLog;
    EXPECT_EQ(log.title, "KSQL to KFAT");
    EXPECT_EQ(log.trueAirspeed, 106);
    EXPECT_EQ(log.startingFuel, 40);
    EXPECT_EQ(log.totalDistance, 106);
    ASSERT_EQ(log.rows.size(), 3u);
    const planning::NavLogRow& r = log.rows[0];
    const int gs = static_cast<int>(std::sqrt(106.0 * 106 - 400));
    EXPECT_EQ(r.groundSpeed, gs);
    EXPECT_EQ(r.windComponent, 0);
    EXPECT_EQ(r.distance, 53);
    EXPECT_EQ(r.remaining, 53);
    const double t = 53.0 / gs;
    EXPECT_EQ(r.estimatedMinutes, static_cast<int>(t * 60 + 0.5));
    EXPECT_NEAR(r.legFuel, t * log.fuelFlow, 1e-4);
    EXPECT_EQ(r.actualMinutes, 15);
    EXPECT_EQ(r.actualGroundSpeed, static_cast<int>(53.0 / 15 * 60));
    EXPECT_NEAR(r.actualFuelRemaining, 30.0, 0.01);
    EXPECT_EQ(r.estimatedArrival, (23 * 60 + 50 + r.estimatedMinutes) % 1440);
    EXPECT_EQ(log.rows[1].actualMinutes, planning::kNotKnown) << "node 2 not passed";
    EXPECT_EQ(log.rows[2].fix, "KFAT");

    // One leg of 53.6 nm: the leg, the total and what remains add up as the sheet shows them.
    FlightPlan single = EastboundPlan();
    single.nodeCount = 2;
    single.nodes[1].x = static_cast<std::int32_t>(53.6 / planning::kNauticalMilesPerUnit);
    single.BuildNavLog();
    EXPECT_EQ(planning::theNavLog->totalDistance, 54);
    EXPECT_EQ(planning::theNavLog->rows[0].distance, 54);
    EXPECT_EQ(planning::theNavLog->rows[0].remaining, 0);
    EXPECT_EQ(planning::theNavLog->rows[1].remaining, 0);
}

TEST(NavLog, NoPlanAStoppingWindAndSmallPlansDoNotFail) {
    FlightPlan idle = EastboundPlan();
    idle.active = 0;
    idle.BuildNavLog();
    EXPECT_EQ(planning::theNavLog->title, "No Flight Plan");
    EXPECT_TRUE(planning::theNavLog->rows.empty());

    FlightPlan stopped = EastboundPlan();
    stopped.environment.departure.WsVel = stopped.environment.enRoute.WsVel = 300;
    stopped.environment.departure.WsDir = stopped.environment.enRoute.WsDir = 16384;  // from the east
    stopped.BuildNavLog();
    EXPECT_EQ(planning::theNavLog->rows[0].groundSpeed, 0);
    EXPECT_EQ(planning::theNavLog->rows[0].estimatedMinutes, planning::kNotKnown);
    EXPECT_EQ(planning::theNavLog->rows[0].legFuel, 0.0f);

    FlightPlan one = EastboundPlan();
    one.nodeCount = 1;
    one.aircraft = 5;
    one.BuildNavLog();
    EXPECT_EQ(planning::theNavLog->title, "KSQL to KSQL");
    EXPECT_EQ(planning::theNavLog->rows.size(), 1u);
    EXPECT_EQ(planning::theNavLog->trueAirspeed, 0);
}

}  // namespace
