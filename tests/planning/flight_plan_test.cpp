// The flight plan: its file sections written and read back, damaged files, stations inserted
// and removed, legs sequenced along a track, and the progress a saved flight keeps.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <string>
#include <vector>

#include "core/ini_file.h"
#include "flight/flight_model_state.h"
#include "nav/nav_database.h"
#include "planning/flight_plan.h"
#include "planning/planning_services.h"
#include "planning/route_weather.h"
#include "sim/sim_world.h"
#include "support/temp_folder.h"
#include "win/profile.h"

namespace {

using planning::FlightPlan;

FlightPlan FivePointPlan() {
    FlightPlan p;
    const char* idents[5] = {"KSQL", "OSI", "PYE", "SGD", "KFAT"};
    for (int i = 0; i < 5; ++i) {
        planning::FlightPlanNode& n = p.nodes[static_cast<std::size_t>(i)];
        n.ident = idents[i];
        n.kind = i == 0 || i == 4 ? 1 : (i == 3 ? 3 : 2);
        n.frequency = i == 1 ? 11390 : 0;
        n.x = -1000000 + i * 250000;
        n.y = 300000 - i * 70000;
        n.elevation = 5 + i * 100;
    }
    p.nodeCount = 5;
    p.ifr = 1;
    p.aircraft = 2;
    p.cruiseAltitude = 6500;
    p.power = 65;
    p.departureRadius = 12;
    p.destinationRadius = 8;
    planning::RouteEnvironment& e = p.environment;
    e.hour = 14;
    e.minute = 30;
    e.day = 7;
    e.month = 11;
    e.enRouteX = 12345;
    e.enRouteZ = -6789;
    e.destinationX = -500000;
    e.destinationZ = 20000;
    e.course = 40000;
    // A station's weather in its units (pressure code, 1/256 degrees, feet and eighths for the
    // clouds, metres, binary angles and knots for the winds), each station a little different.
    const std::int32_t weather[24] = {15000, 4608, 9000,  5000,  6,     25000, 21000, 3,
                                      914,   12,   40000, 12,    2743,  914,   41000, 25,
                                      4572,  2743, 42000, 40,    13716, 4572,  43000, 55};
    std::int32_t k = 0;
    for (planning::RouteWeatherStation* s : {&e.departure, &e.enRoute, &e.destination}) {
        std::size_t i = 0;
        for (std::int32_t* f : {&s->P, &s->T, &s->C1Top, &s->C1Base, &s->C1Cover, &s->C2Top,
                                &s->C2Base, &s->C2Cover, &s->WsTop, &s->WsBase, &s->WsDir,
                                &s->WsVel, &s->W1Top, &s->W1Base, &s->W1Dir, &s->W1Vel, &s->W2Top,
                                &s->W2Base, &s->W2Dir, &s->W2Vel, &s->W3Top, &s->W3Base,
                                &s->W3Dir, &s->W3Vel})
            *f = weather[i++] - k;
        ++k;
    }
    return p;
}

void ExpectSameRoute(const FlightPlan& a, const FlightPlan& b) {
    ASSERT_EQ(a.nodeCount, b.nodeCount);
    for (int i = 0; i < a.nodeCount; ++i) {
        const auto &x = a.nodes[static_cast<std::size_t>(i)], &y = b.nodes[static_cast<std::size_t>(i)];
        EXPECT_EQ(x.ident, y.ident);
        EXPECT_EQ(x.kind, y.kind);
        EXPECT_EQ(x.frequency, y.frequency);
        EXPECT_EQ(x.x, y.x);
        EXPECT_EQ(x.y, y.y);
        EXPECT_EQ(x.elevation, y.elevation);
    }
    EXPECT_EQ(a.ifr, b.ifr);
    EXPECT_EQ(a.aircraft, b.aircraft);
    EXPECT_EQ(a.cruiseAltitude, b.cruiseAltitude);
    EXPECT_EQ(a.power, b.power);
    EXPECT_EQ(a.departureRadius, b.departureRadius);
    EXPECT_EQ(a.destinationRadius, b.destinationRadius);
    const auto &e = a.environment, &f = b.environment;
    EXPECT_EQ(std::vector<int>({e.hour, e.minute, e.day, e.month, e.enRouteX, e.enRouteZ,
                                e.destinationX, e.destinationZ, e.course}),
              std::vector<int>({f.hour, f.minute, f.day, f.month, f.enRouteX, f.enRouteZ,
                                f.destinationX, f.destinationZ, f.course}));
    EXPECT_EQ(0, std::memcmp(&e.departure, &f.departure, sizeof e.departure));
    EXPECT_EQ(0, std::memcmp(&e.enRoute, &f.enRoute, sizeof e.enRoute));
    EXPECT_EQ(0, std::memcmp(&e.destination, &f.destination, sizeof e.destination));
}

class FlightPlanFile : public ::testing::Test {
protected:
    testsupport::TempFolder dir{"zephlon-plan"};
    std::string Write(const FlightPlan& p, const char* name = "p.Pln") {
        FlightPlan copy = p;
        win::ProfileWriteBatch batch;
        core::IniFile file(dir.Path(name).c_str());
        EXPECT_EQ(copy.WriteSections(file), 1);
        EXPECT_TRUE(batch.Flush());
        return dir.Read(name);
    }
    int Read(FlightPlan& p, const std::string& text) {
        dir.Write("in.Pln", text);
        core::IniFile file(dir.Path("in.Pln").c_str());
        return p.ReadSections(file);
    }
};

TEST_F(FlightPlanFile, FivePointPlanWritesItsThreeSectionsAndReadsBackFieldForField) {
    const FlightPlan plan = FivePointPlan();
    Write(plan);
    EXPECT_EQ(win::GetPrivateProfileSectionNames(dir.Path("p.Pln")),
              (std::vector<std::string>{"Points", "Environ", "Settings"}));
    EXPECT_EQ(win::GetPrivateProfileKeyNames("Points", dir.Path("p.Pln")).size(), 30u);
    EXPECT_EQ(win::GetPrivateProfileKeyNames("Settings", dir.Path("p.Pln")),
              (std::vector<std::string>{"stCount", "stIFR", "stAirc", "stAlt", "stPower"}));
    const auto environ = win::GetPrivateProfileKeyNames("Environ", dir.Path("p.Pln"));
    ASSERT_EQ(environ.size(), 11u + 72u);
    EXPECT_EQ(environ[0], "enDepRad");
    EXPECT_EQ(environ[10], "enCourse");
    EXPECT_EQ(environ[11], "enDpP");
    EXPECT_EQ(environ.back(), "enDsW3Vel");

    FlightPlan back;
    core::IniFile file(dir.Path("p.Pln").c_str());
    ASSERT_EQ(back.ReadSections(file), 1);
    ExpectSameRoute(plan, back);
    EXPECT_EQ(back.currentNode, 0);
    EXPECT_EQ(back.nodes[3].arrivalTime, 0xFFFF);
}

TEST_F(FlightPlanFile, HandWrittenFilesReadWithDefaults) {
    // LF-only lines, keys in another case, and no radius, hour or course.
    FlightPlan p;
    ASSERT_EQ(Read(p, "[settings]\nSTCOUNT=2\nstalt=4500\n[POINTS]\nptident0=KSQL\nPTTYPE0=1\n"
                      "ptX0=77\npty0=5\nptIdent1=KFAT\nptType1=1\nPTX1=1\nPTY1=2\n[Environ]\nenDay=3\n"),
              1);
    EXPECT_EQ(p.nodeCount, 2);
    EXPECT_EQ(p.cruiseAltitude, 4500);
    EXPECT_EQ(p.nodes[0].ident, "KSQL");
    EXPECT_EQ(p.nodes[0].x, 77);
    EXPECT_EQ(p.nodes[1].ident, "KFAT");
    EXPECT_EQ(p.departureRadius, 10);
    EXPECT_EQ(p.destinationRadius, 10);
    EXPECT_EQ(p.environment.hour, -1);
    EXPECT_EQ(p.environment.minute, -1);
    EXPECT_EQ(p.environment.course, -1);
    EXPECT_EQ(p.environment.day, 3);
}

TEST_F(FlightPlanFile, DamagedFilesNeverReplaceThePlanHeld) {
    const FlightPlan held = FivePointPlan();
    const std::string points = "[Points]\nptIdent0=A\nptIdent1=B\n";
    for (const std::string& text :
         {std::string(), std::string("\x01\xff garbage [[[ ==\n\n"),
          "[Settings]\nstCount=-3\n" + points, "[Settings]\nstCount=abc\n" + points,
          "[Settings]\nstCount=1\n" + points, "[Settings]\nstCount=65536\n" + points,
          std::string("[Settings]\nstCount=2\n")}) {
        FlightPlan p = held;
        const int r = Read(p, text);
        EXPECT_EQ(r, 0) << text;
        ExpectSameRoute(held, p);
    }
    // A point without its place (missing, blank, not a number) refuses the plan, naming it.
    const std::pair<std::string, std::string> refused[] = {
        {"[Settings]\nstCount=2\n", "point 1 has no ptX"},
        {"[Settings]\nstCount=2\n[Points]\nptIdent0=A\nptX0=1\nptY0=1\nptIdent1=B\nptX1=2\n",
         "point 2 (B) has no ptY"},
        {"[Settings]\nstCount=2\n[Points]\nptX0=1\nptY0=1e5\nptX1=2\nptY1=2\n",
         "point 1 has no readable ptY"},
        {"[Settings]\nstCount=2\n[Points]\nptX0= \nptY0=1\nptX1=2\nptY1=2\n", "point 1 has no ptX"},
    };
    for (const auto& [text, why] : refused) {
        FlightPlan p = held;
        EXPECT_EQ(Read(p, text), 0) << text;
        EXPECT_EQ(p.refusal, why) << text;
        ExpectSameRoute(held, p);
        // A file refused next for another fault gives no reason of this one.
        EXPECT_EQ(Read(p, "[Settings]\nstCount=0\n"), 0);
        EXPECT_EQ(p.refusal, "") << text;
    }
}

TEST_F(FlightPlanFile, CountsAndIdentsAreHeldToThePlansSlots) {
    std::string text = "[Settings]\nstCount=200\n[Points]\nptIdent0=ABCDEFGHIJ\n";
    for (int i = 0; i < planning::kMaxPlanNodes; ++i)
        text += "ptX" + std::to_string(i) + "=" + std::to_string(i) + "\nptY" + std::to_string(i) + "=0\n";
    FlightPlan p;
    ASSERT_EQ(Read(p, text), 1);
    EXPECT_EQ(p.nodeCount, planning::kMaxPlanNodes);
    EXPECT_EQ(p.nodes[0].ident, "ABCDEFG");
    // A full plan round-trips too.
    FlightPlan full = FivePointPlan();
    for (int i = 5; i < planning::kMaxPlanNodes; ++i)
        full.nodes[static_cast<std::size_t>(i)] = full.nodes[static_cast<std::size_t>(i % 5)];
    full.nodeCount = planning::kMaxPlanNodes;
    FlightPlan back;
    ASSERT_EQ(Read(back, Write(full)), 1);
    ExpectSameRoute(full, back);
}

// Values no plan can hold, from a damaged or hand-made file, read held to what their fields
// mean before any arithmetic sees them; points past the plan's 64 are counted as left out.
TEST_F(FlightPlanFile, ValuesOutOfRangeAreHeldAndACutPlanIsCounted) {
    std::string text = "[Settings]\nstCount=65\nstAirc=0\nstAlt=2147483647\nstPower=-1\n"
                       "stIFR=7\n[Environ]\nenDpWsBase=700000000\nenDpWsTop=-5\nenDpC1Cover=99\n"
                       "enDpWsVel=100000\nenDpT=-99999999\nenErW3Dir=70000\nenHour=300\n"
                       "enMinute=-7\nenDepRad=-5\nenDestRad=2147483647\nenCourse=-2\n[Points]\n";
    for (int i = 0; i < 65; ++i)
        text += "ptIdent" + std::to_string(i) + "=P" + std::to_string(i) + "\nptType" +
                std::to_string(i) + "=6\nptX" + std::to_string(i) + "=" + std::to_string(i) + "\nptY" +
                std::to_string(i) + "=0\nptElev" + std::to_string(i) + "=" +
                (i == 3 ? "99999999" : "-99999999") + "\n";
    FlightPlan p;
    ASSERT_EQ(Read(p, text), 1);
    EXPECT_EQ(p.nodeCount, 64);
    EXPECT_EQ(p.pointsLeftOut, 1);
    EXPECT_EQ(p.nodes[63].ident, "P63");
    EXPECT_EQ(p.nodes[3].elevation, 30000);
    EXPECT_EQ(p.nodes[4].elevation, -2000);
    EXPECT_EQ(p.ifr, 1);
    EXPECT_EQ(p.cruiseAltitude, 12000);  // the 172's highest
    EXPECT_EQ(p.power, 50);              // its lowest power
    const planning::RouteWeatherStation& d = p.environment.departure;
    EXPECT_EQ(d.WsBase, 20000);
    EXPECT_EQ(d.WsTop, 0);
    EXPECT_EQ(d.C1Cover, 8);
    EXPECT_EQ(d.WsVel, 300);
    EXPECT_EQ(d.T, -25600);
    EXPECT_EQ(p.environment.enRoute.W3Dir, 65535);
    EXPECT_EQ(p.environment.hour, 23);
    EXPECT_EQ(p.environment.minute, -1);
    EXPECT_EQ(p.departureRadius, 0);
    EXPECT_EQ(p.destinationRadius, 5000);
    EXPECT_EQ(p.environment.course, -1);
    // The Baron's plan keeps its own limits; an aircraft no row names is held to the table.
    FlightPlan baron;
    ASSERT_EQ(Read(baron, "[Settings]\nstCount=2\nstAirc=2\nstAlt=20000\nstPower=99\n"
                          "[Points]\nptIdent0=A\nptIdent1=B\nptX0=1\nptY0=1\nptX1=2\nptY1=2\n"),
              1);
    EXPECT_EQ(baron.cruiseAltitude, 16000);
    EXPECT_EQ(baron.power, 75);
    EXPECT_EQ(baron.pointsLeftOut, 0);
    FlightPlan odd;
    ASSERT_EQ(Read(odd, "[Settings]\nstCount=2\nstAirc=-40\n[Points]\nptIdent0=A\nptIdent1=B\n"
                        "ptX0=1\nptY0=1\nptX1=2\nptY1=2\n"), 1);
    EXPECT_EQ(odd.aircraft, 0);
    // Any other caller's conversion of a height stays defined.
    EXPECT_EQ(planning::MetresToFeet(700000000), 2147483647);
    EXPECT_EQ(planning::MetresToFeet(-700000000), -2147483647 - 1);
    EXPECT_EQ(planning::MetresToFeet(914), 2998);
}

// ---- stations in and out ----------------------------------------------------------------------

class FlightPlanRoute : public ::testing::Test {
protected:
    void SetUp() override {
        nav::theNavDatabase.Clear();
        nav::theNavDatabase.airports.push_back({"KSQL", 100, 200, 5, 0});
        nav::theNavDatabase.airports.push_back({"KLXV", 900, 950, 9927, 0});
        nav::theNavDatabase.vors.push_back({"OSI", 11390, 300, 400, 2200, 0});
        nav::theNavDatabase.waypoints.push_back({"SUNOL", 700, 800});
        nav::theNavDatabase.airports.push_back({"L06", 50, 60, -210, 0});
    }
    void TearDown() override { nav::theNavDatabase.Clear(); }
};

TEST_F(FlightPlanRoute, InsertionLooksStationsUpAndRefusesRepeats) {
    FlightPlan p;
    ASSERT_EQ(p.InsertNode(1, "ksql", 0), 1);
    EXPECT_EQ(p.nodes[0].x, 100);
    EXPECT_EQ(p.nodes[0].elevation, 5);
    ASSERT_EQ(p.InsertNode(1, "KLXV", 5), 1);  // clamped to the end
    EXPECT_EQ(p.nodes[1].elevation, 9927);
    EXPECT_EQ(p.GetMaxElevation(), 9927);
    ASSERT_EQ(p.InsertNode(2, "OSI", 1), 1);
    EXPECT_EQ(p.nodes[1].frequency, 11390);
    EXPECT_EQ(p.nodes[1].elevation, 7218) << "the table's metres in feet";
    EXPECT_EQ(p.currentNode, 1);
    EXPECT_EQ(p.InsertNode(2, "osi", 2), 0) << "the node before repeats it";
    EXPECT_EQ(p.InsertNode(1, "Ksql", 1), 0) << "the node at the place repeats it";
    EXPECT_EQ(p.InsertNode(6, "OSI", 2), 1) << "another kind is another station";
    ASSERT_EQ(p.InsertNode(2, "NOWHERE99", 2), 1);
    EXPECT_EQ(p.nodes[2].ident, "NOWHERE");
    EXPECT_EQ(p.nodes[2].x, 0) << "a station not found has no position";
    EXPECT_EQ(p.nodeCount, 5);

    EXPECT_EQ(p.DeleteNode(0), -1);
    EXPECT_EQ(p.DeleteNode(4), -1);
    EXPECT_EQ(p.DeleteNode(2), 1);
    EXPECT_EQ(p.nodeCount, 4);
    EXPECT_EQ(p.nodes[2].ident, "OSI");
    EXPECT_EQ(p.nodes[2].kind, 6);

    while (p.nodeCount < planning::kMaxPlanNodes)
        ASSERT_EQ(p.InsertNode(p.nodeCount % 2 == 0 ? 2 : 6, "OSI", p.nodeCount - 1), 1);
    EXPECT_EQ(p.InsertNode(1, "KSQL", 1), 0) << "a full plan takes no more";

    FlightPlan low;
    ASSERT_EQ(low.InsertNode(1, "L06", 0), 1);
    EXPECT_EQ(low.nodes[0].elevation, -210) << "a field below sea level";
    ASSERT_EQ(low.InsertNode(6, "SUNOL", 1), 1);
    EXPECT_EQ(low.nodes[1].x, 700);
    EXPECT_EQ(low.GetMaxElevation(), 0);
}

// ---- sequencing ---------------------------------------------------------------------------------

TEST(FlightPlanSequence, AdvancesOnlyOncePastAbeamAndStampsTheNode) {
    // A leg due east from (0,0) to (100000,0): abeam the next node is x = 100000.
    FlightPlan p;
    p.nodeCount = 3;
    p.nodes[1].x = 100000;
    p.nodes[2].x = 200000;
    p.nodes[2].y = 100000;
    p.active = 1;
    flight::FlightModelState& fm = flight::theFlightModelState;
    fm.fmFuel1 = 1000;
    fm.fmFuel2 = 2000;
    fm.fmOTG = 1;  // rolling along the ground: not departed
    struct Case {
        std::int32_t x, z;
        int node;
    };
    for (const Case& c : {Case{50000, 0, 0}, Case{99999, 5000, 0}, Case{100000, 30000, 0},
                          Case{100001, 30000, 1}, Case{150000, 0, 1}, Case{300000, 200000, 2},
                          Case{-300000, -200000, 2}}) {
        fm.fmPosX = c.x;
        fm.fmPosZ = c.z;
        p.SequenceLeg();
        EXPECT_EQ(p.currentNode, c.node) << c.x << "," << c.z;
    }
    std::int32_t time = 0, fuel = 0;
    EXPECT_EQ(p.GetNodeActuals(1, &time, &fuel), 1);
    EXPECT_EQ(fuel, 3000);
    EXPECT_EQ(time, planning::SimulatedMinutesOfDay());
    EXPECT_EQ(p.GetNodeActuals(0, &time, &fuel), 0) << "not departed yet";
    EXPECT_EQ(p.GetNodeActuals(3, &time, &fuel), 0);
    fm.fmOTG = 0;
}

// The departure is stamped when the aircraft leaves the ground at the departure, with or without
// ATC; a stamp ATC made first stays, and a plan past its departure is not stamped again.
TEST(FlightPlanSequence, LeavingTheGroundStampsTheDeparture) {
    flight::FlightModelState& fm = flight::theFlightModelState;
    struct Case {
        std::int8_t onGround;
        std::int32_t current;
        std::int16_t stampedBefore;
        std::int16_t departure;
    };
    const std::int16_t now = static_cast<std::int16_t>(planning::SimulatedMinutesOfDay());
    for (const Case& c : {Case{1, 0, -1, -1}, Case{0, 0, -1, now}, Case{0, 0, 600, 600},
                          Case{0, 1, -1, -1}}) {
        FlightPlan p;
        p.nodeCount = 3;
        p.nodes[1].x = 100000;
        p.nodes[2].x = 200000;
        p.currentNode = c.current;
        if (c.stampedBefore >= 0) {
            p.departureTime = c.stampedBefore;
            p.nodes[0].arrivalTime = static_cast<std::uint16_t>(c.stampedBefore);
        }
        fm.fmOTG = c.onGround;
        fm.fmPosX = 10;  // just off the departure, short of abeam the next node
        fm.fmPosZ = 0;
        p.SequenceLeg();
        EXPECT_EQ(p.departureTime, c.departure) << int{c.onGround} << " " << c.current;
        std::int32_t time = 0;
        EXPECT_EQ(p.GetNodeActuals(0, &time, nullptr), c.departure >= 0 ? 1 : 0);
        if (c.departure >= 0) {
            EXPECT_EQ(time, c.departure);
        }
    }
    fm.fmOTG = 0;
}

// ---- progress in a saved flight ----------------------------------------------------------------

class FlightPlanProgress : public ::testing::Test {
protected:
    testsupport::TempFolder dir{"zephlon-planprogress"};
    FlightPlan Flying(int current) {
        FlightPlan p = FivePointPlan();
        p.active = 1;
        p.name = "FlightPlans\\KSQLtoKFAT.Pln";
        p.currentNode = current;
        for (int i = 0; i <= current; ++i) {
            p.nodes[static_cast<std::size_t>(i)].arrivalTime = static_cast<std::uint16_t>(1430 + i * 7);
            p.nodes[static_cast<std::size_t>(i)].fuel = 5000 - i * 100;
        }
        return p;
    }
    std::string Save(FlightPlan p) {
        core::IniFile file(dir.Path("s.flt").c_str());
        EXPECT_EQ(p.WriteProgress(file), 1);
        return dir.Read("s.flt");
    }
    int Load(FlightPlan& p, const std::string& text) {
        dir.Write("l.flt", text);
        core::IniFile file(dir.Path("l.flt").c_str());
        return p.ReadProgress(file);
    }
};

TEST_F(FlightPlanProgress, AFlightSavedMidRouteResumesTheSameNodeAndStamps) {
    flight::theFlightModelState.fmFuel1 = 111;
    flight::theFlightModelState.fmFuel2 = 222;
    const std::string saved = Save(Flying(2));
    EXPECT_NE(saved.find("planname=FlightPlans\\KSQLtoKFAT.Pln"), std::string::npos) << saved;
    EXPECT_NE(saved.find("node02ATA=1444"), std::string::npos) << saved;
    EXPECT_EQ(saved.find("node03ATA"), std::string::npos) << saved;
    core::IniFile file(dir.Path("s.flt").c_str());
    FlightPlan reader;
    EXPECT_EQ(reader.ReadActiveFlag(file), 1);
    EXPECT_EQ(reader.ReadPlanName(file), "FlightPlans\\KSQLtoKFAT.Pln");

    flight::theFlightModelState.fmFuel1 = flight::theFlightModelState.fmFuel2 = 0;
    FlightPlan resumed = FivePointPlan();
    ASSERT_EQ(Load(resumed, saved), 1);
    EXPECT_EQ(resumed.currentNode, 2);
    EXPECT_EQ(resumed.nodes[2].arrivalTime, 1444);
    EXPECT_EQ(resumed.nodes[1].fuel, 4900);
    EXPECT_EQ(resumed.departureTime, 1430);
    EXPECT_EQ(flight::theFlightModelState.fmFuel1, 111);
    EXPECT_EQ(flight::theFlightModelState.fmFuel2, 222);
}

TEST_F(FlightPlanProgress, FinishedOrInactivePlansWriteNothing) {
    EXPECT_EQ(Save(Flying(4)), "");
    FlightPlan idle = Flying(1);
    idle.active = 0;
    EXPECT_EQ(Save(idle), "");
}

TEST_F(FlightPlanProgress, DamagedProgressLeavesThePlanAtItsStart) {
    for (const char* text :
         {"[flightPlan]\nactive=1\n", "[flightPlan]\ncurrentnode=-2\n",
          "[flightPlan]\ncurrentnode=5\nnode00ATA=1\n", "[flightPlan]\ncurrentnode=9999999\n",
          "[flightPlan]\ncurrentnode=1\nnode00ATA=10\nnode01ATA=-4\n",
          "[flightPlan]\ncurrentnode=1\nnode00ATA=10\n"}) {
        FlightPlan p = FivePointPlan();
        p.currentNode = 3;
        EXPECT_EQ(Load(p, text), 0) << text;
        EXPECT_EQ(p.currentNode, 0) << text;
    }
    for (const char* text : {"[flightPlan]\nactive=1\n", "[flightPlan]\nactive=1\nplanname=BAD\n"}) {
        dir.Write("n.flt", text);
        core::IniFile file(dir.Path("n.flt").c_str());
        EXPECT_EQ(FlightPlan().ReadPlanName(file), "") << text;
    }
}

TEST(FlightPlanFileName, ProposedNamesJoinTheEndsOrSayNewPlan) {
    FlightPlan p = FivePointPlan();
    EXPECT_EQ(planning::DefaultPlanFileName(p), "KSQLtoKFAT.Pln");
    p.nodes[4].ident = "KSQL";
    EXPECT_EQ(planning::DefaultPlanFileName(p), "KSQLtoKSQL.Pln");
    p.nodeCount = 0;
    EXPECT_EQ(planning::DefaultPlanFileName(p), "NewPlan.Pln");
}

}  // namespace
