// The cross-country assignments: reading them (damaged files give an empty assignment, never a
// crash) and the assignment log built from distances alone.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "planning/cross_country.h"
#include "planning/route_weather.h"
#include "support/temp_folder.h"

namespace {

using planning::FlightPlan;

FlightPlan Plan(const std::vector<std::pair<const char*, double>>& stations) {
    // Stations along one line, at these distances (nautical miles) from the first.
    FlightPlan p;
    for (std::size_t i = 0; i < stations.size(); ++i) {
        planning::FlightPlanNode& n = p.nodes[i];
        n.ident = stations[i].first;
        n.kind = i == 0 || i + 1 == stations.size() ? 1 : 2;
        const double units = stations[i].second / planning::kNauticalMilesPerUnit;
        n.x = static_cast<std::int32_t>(std::lround(units * 0.6));
        n.y = static_cast<std::int32_t>(std::lround(-units * 0.8));
    }
    p.nodeCount = static_cast<std::int32_t>(stations.size());
    p.cruiseAltitude = 6500;
    p.power = 65;
    return p;
}

TEST(AssignmentLog, RowsCarryRoundedLegsThatAddUpToTheTotal) {
    struct Case {
        const char* name;
        FlightPlan plan;
        const char* title;
        std::int32_t total;
        std::vector<std::int32_t> legs, remaining;
    };
    const std::vector<Case> cases = {
        {"empty", FlightPlan{}, "No Flight Plan", 0, {}, {}},
        {"two", Plan({{"KAAA", 0}, {"KBBB", 57.9}}), "KAAA to KBBB", 58, {0, 58}, {58, 0}},
        {"one short", Plan({{"KAAA", 0}, {"KBBB", 57.3}}), "KAAA to KBBB", 57, {0, 57}, {57, 0}},
        // 10.6 + 20.7 + 30.8 + 40.9: each leg rounded, the total their sum, nothing left at the end.
        {"five",
         Plan({{"KAAA", 0}, {"V1", 10.6}, {"V2", 31.3}, {"V3", 62.1}, {"KBBB", 103.02}}),
         "KAAA to KBBB", 104, {0, 11, 21, 31, 41}, {104, 93, 72, 41, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        planning::NavLog log;
        log.rows.resize(3);
        BuildAssignmentLog(c.plan, &log);
        EXPECT_EQ(log.title, c.title);
        EXPECT_EQ(log.totalDistance, c.total);
        ASSERT_EQ(log.rows.size(), c.legs.size());
        for (std::size_t i = 0; i < c.legs.size(); ++i) {
            EXPECT_EQ(log.rows[i].distance, c.legs[i]) << i;
            EXPECT_EQ(log.rows[i].remaining, c.remaining[i]) << i;
            // Nothing flown yet, nothing worked out.
            EXPECT_EQ(log.rows[i].groundSpeed, 0);
            EXPECT_EQ(log.rows[i].actualMinutes, planning::kNotKnown);
            EXPECT_EQ(log.rows[i].actualFuelRemaining, -1.0f);
        }
        if (!c.legs.empty()) {
            EXPECT_EQ(log.cruiseAltitude, 6500);
            EXPECT_EQ(log.power, 65);
            EXPECT_GT(log.trueAirspeed, 90);  // the Skyhawk's cruise from its table
            EXPECT_EQ(log.startingFuel, 40);
            EXPECT_EQ(log.departure, "KAAA");
        }
    }
    EXPECT_EQ(planning::FormatAssignmentTime(0, 5), "0:5");
    EXPECT_EQ(planning::FormatAssignmentTime(12, 30), "12:30");
}

TEST(Assignments, DamagedFilesGiveAnEmptyAssignment) {
    testsupport::TempFolder dir("zephlon-assign");
    dir.MakeFolders("FlightPlans/Assign");
    testsupport::ScopedCurrentFolder here(dir.Root());
    const std::string good =
        "[Settings]\r\nstCount=2\r\nstAlt=4500\r\n[Points]\r\nptIdent0=KAAA\r\nptType0=1\r\n"
        "ptX0=100\r\nptY0=200\r\nptIdent1=KBBB\r\nptType1=1\r\nptX1=300000\r\nptY1=400\r\n";
    struct Case {
        const char* name;
        const char* plan;  // nullptr: no file
        std::string briefing;
        int loaded;
        int nodes;
        std::size_t briefingLength;
    };
    const std::string longBriefing(400, 'x');
    const std::vector<Case> cases = {
        {"no file", nullptr, "", 0, 0, 0},
        {"empty", "", "orphan", 0, 0, 0},
        {"garbage", "\x01\xff[[[\0=\n==]]\x7f", "x", 0, 0, 0},
        {"one node", "[Settings]\nstCount=1\n[Points]\nptIdent0=KAAA\n", "x", 0, 0, 0},
        {"negative count", "[Settings]\nstCount=-4\n", "x", 0, 0, 0},
        {"count not a number", "[Settings]\nstCount=lots\n", "x", 0, 0, 0},
        {"count without points", "[Settings]\nstCount=99\n", "x", 0, 0, 0},
        {"good, LF lines",
         "[Settings]\nstCount=2\n[Points]\nptIdent0=KAAA\nptIdent1=KBBB\nptX0=1\nptY0=2\nptX1=3\nptY1=4\n",
         "Short.", 1, 2, 6},
        {"good, long briefing", good.c_str(), longBriefing, 1, 2, 255},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(dir.Path("FlightPlans/Assign/xc01.Pln"));
        std::filesystem::remove(dir.Path("FlightPlans/Assign/xc01.txt"));
        if (c.plan != nullptr) dir.Write("FlightPlans/Assign/xc01.Pln", c.plan);
        if (!c.briefing.empty()) dir.Write("FlightPlans/Assign/xc01.txt", c.briefing);
        FlightPlan plan;
        plan.nodeCount = 3;  // whatever was there before goes
        plan.description = "old";
        EXPECT_EQ(planning::LoadAssignment(0, &plan), c.loaded);
        EXPECT_EQ(plan.nodeCount, c.nodes);
        EXPECT_EQ(plan.description.size(), c.loaded ? c.briefingLength : 0u);
        EXPECT_EQ(plan.active, 0);
        if (c.loaded) {
            EXPECT_EQ(plan.name, "FlightPlans\\Assign\\xc01.Pln");
        }
        // Whatever was read, its log is built without a crash.
        planning::NavLog log;
        planning::BuildAssignmentLog(plan, &log);
        EXPECT_EQ(log.rows.size(), static_cast<std::size_t>(c.nodes));
    }
}

}  // namespace
