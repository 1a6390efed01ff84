// Plans in the running program: opened from the plan files, sequenced, kept by a saved flight
// and resumed from it, and saved again, in the starter installation.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <fstream>
#include <string>

#include "core/ini_file.h"
#include "planning_run.h"

namespace {

class PlanRun : public planningtest::ScriptRun {
protected:
    PlanRun() : ScriptRun("zephlon-planrun") {}
};

TEST_F(PlanRun, AnOpenedPlanIsSequencedKeptInASavedFlightAndResumed) {
    // The route runs east through the aircraft's parking place: the first station lies 40,000
    // units behind it, the next one far ahead.
    const std::int32_t x = Key("Flights/Startup.Flt", "Aircraft", "fmPosX");
    const std::int32_t dx[4] = {-200000, -40000, 600000, 1200000};
    WriteLinePlan("Hop.Pln", dx);

    const testsupport::CommandResult r = Play("plan_resume.simrun");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("plan: loaded"), std::string::npos) << r.out;

    // Node 1 passed and stamped with the fuel on board; the destination not reached.
    for (const char* flight : {"Flights/mid.flt", "declined.flt", "resumed.flt"}) {
        SCOPED_TRACE(flight);
        EXPECT_EQ(Key(flight, "flightPlan", "active"), 1);
        EXPECT_EQ(Key(flight, "flightPlan", "currentnode"), 1);
        EXPECT_GE(Key(flight, "flightPlan", "node01ATA"), 0);
        EXPECT_LT(Key(flight, "flightPlan", "node01ATA"), 1440);
        // The fuel on board when node 1 was passed; the running engine has burnt a little since.
        const std::int32_t left = Key(flight, "flightPlan", "fuel1") + Key(flight, "flightPlan", "fuel2");
        EXPECT_GE(Key(flight, "flightPlan", "node01AFR"), left);
        EXPECT_LE(Key(flight, "flightPlan", "node01AFR"), left + 20);
        EXPECT_EQ(Key(flight, "flightPlan", "node02ATA"), -99);
    }
    core::IniFile mid(dir.Path("Flights/mid.flt").c_str());
    EXPECT_NE(std::string(mid.GetString("flightPlan", "planname", "")).find("Hop.Pln"),
              std::string::npos);
    // Declining the plan question left the aircraft where it stood.
    EXPECT_EQ(Key("declined.flt", "Aircraft", "fmPosX"), Key("Flights/mid.flt", "Aircraft", "fmPosX"));
    EXPECT_EQ(Key("declined.flt", "Aircraft", "fmPosZ"), Key("Flights/mid.flt", "Aircraft", "fmPosZ"));
    // The saved plan holds the same route.
    core::IniFile kept(dir.Path("FlightPlans/Kept.Pln").c_str());
    EXPECT_EQ(kept.GetInt("Settings", "stCount", 0), 4);
    EXPECT_STREQ(kept.GetString("Points", "ptIdent3", ""), "KFAT");
    EXPECT_EQ(kept.GetInt("Points", "ptX2", 0), x + dx[2]);
    EXPECT_EQ(kept.GetInt("Settings", "stPower", 0), 65);
}

TEST_F(PlanRun, AFileThatHoldsNoPlanIsRefusedAndSaid) {
    dir.MakeFolders("FlightPlans");
    dir.Write("FlightPlans/Hop.Pln", "[Settings]\nstCount=1\n[Points]\nptIdent0=KSQL\n");
    std::string script =
        "frame-interval 20\nwait 300\nmenu 159\ndialog \"Load Flight Plan\"\nset 1120 Hop.Pln\n"
        "click 1\nwait 300\ndialog GENERIC\nkey Return press\nwait 300\nsave " + dir.Path("after.flt") + "\nquit\n";
    const testsupport::CommandResult r = run.Play(script);
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("not loaded"), std::string::npos) << r.out;
    EXPECT_EQ(Key("after.flt", "flightPlan", "active"), -99);
}

// A plan that cannot be written is said, and the file of that name keeps what it held: the
// write goes to a side file, here blocked by a folder of its name.
TEST_F(PlanRun, AFailedSaveIsSaidAndKeepsTheFileItWouldReplace) {
    const std::int32_t dx[4] = {-200000, -40000, 600000, 1200000};
    WriteLinePlan("Hop.Pln", dx);
    const std::string kept = "[Settings]\nstCount=2\n; kept\n";
    dir.Write("FlightPlans/Kept.Pln", kept);
    dir.MakeFolders("FlightPlans/Kept.Pln.tmp/blocked");
    const std::string script =
        "frame-interval 20\nwait 300\nmenu 159\ndialog \"Load Flight Plan\"\nset 1120 Hop.Pln\n"
        "click 1\nwait 300\nmenu 713\ndialog \"Save Flight Plan\"\nset 1152 Kept\nclick 1\n"
        "dialog GENERIC\nread 2023\nclick 6\nwait 300\ndialog GENERIC\nread 2023\nkey Return press\n"
        "wait 300\nquit\n";
    const testsupport::CommandResult r = run.Play(script);
    ASSERT_EQ(r.status, 0) << r.out;
    // The trace's order (the error output, unbuffered, says it too, ahead of the trace).
    const std::size_t asked = r.out.find("already exists.");
    ASSERT_NE(asked, std::string::npos) << r.out;
    const std::size_t said = r.out.find("could not be saved.", asked);
    ASSERT_NE(said, std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Kept.Pln not saved"), std::string::npos) << r.out;
    EXPECT_EQ(dir.Read("FlightPlans/Kept.Pln"), kept);
}

TEST_F(PlanRun, AnInstalledPlanForAnotherAircraftMakesItCurrent) {
    // The tour is planned for the Baron; the start flight is the 172's.
    ASSERT_EQ(Key("FlightPlans/CaliforniaTour.Pln", "Settings", "stAirc"), 2);
    ASSERT_EQ(Key("Flights/Startup.Flt", "Aircraft", "type"), 0);
    const std::string script =
        "frame-interval 20\nwait 300\nmenu 159\ndialog \"Load Flight Plan\"\n"
        "set 1120 CaliforniaTour.Pln\nclick 1\nwait 500\nsave " + dir.Path("baron.flt") +
        "\nquit\n";
    const testsupport::CommandResult r = run.Play(script);
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("plan: loaded FlightPlans\\CaliforniaTour.Pln (64 nodes)"), std::string::npos)
        << r.out;
    EXPECT_EQ(Key("baron.flt", "Aircraft", "type"), 2);
}

}  // namespace
