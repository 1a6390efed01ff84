// Plans in the running program: opened from the plan files, sequenced, kept by a saved flight
// and resumed from it, and saved again, in the starter installation.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

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

// Two plan files refused one after the other: the second is said with no word of the first's
// reason.
TEST_F(PlanRun, EachRefusedFileIsSaidForItsOwnReason) {
    dir.MakeFolders("FlightPlans");
    dir.Write("FlightPlans/NoPlace.Pln",
              "[Settings]\nstCount=2\n[Points]\nptIdent0=KSQL\nptY0=5\n");
    dir.Write("FlightPlans/OnePoint.Pln", "[Points]\nptIdent0=KSQL\nptX0=1\nptY0=1\n");  // no count
    std::string script = "frame-interval 20\nwait 300\n";
    for (const char* file : {"NoPlace.Pln", "OnePoint.Pln"})
        script += "menu 159\ndialog \"Load Flight Plan\"\nset 1120 " + std::string(file) +
                  "\nclick 1\nwait 300\ndialog GENERIC\nread 2023\nkey Return press\nwait 300\n";
    const testsupport::CommandResult r = run.Play(script + "quit\n");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("NoPlace.Pln could not be loaded: its point 1 (KSQL) has no ptX."),
              std::string::npos)
        << r.out;
    const std::size_t second = r.out.find("OnePoint.Pln could not be loaded");
    ASSERT_NE(second, std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("has no ptX", second), std::string::npos) << r.out;
}

// A plan that cannot be written is said, and the file of that name keeps what it held: the
// write goes to a side file of the save's own, here refused by a full disk; a folder standing
// where an older save put its side file is none of its business and stays.
TEST_F(PlanRun, AFailedSaveIsSaidAndKeepsTheFileItWouldReplace) {
    const std::int32_t dx[4] = {-200000, -40000, 600000, 1200000};
    WriteLinePlan("Hop.Pln", dx);
    const std::string kept = "[Settings]\nstCount=2\n; kept\n";
    dir.Write("FlightPlans/Kept.Pln", kept);
    dir.MakeFolders("FlightPlans/Kept.Pln.tmp/blocked");
    const std::string script =
        "frame-interval 20\nwait 300\nmenu 159\ndialog \"Load Flight Plan\"\nset 1120 Hop.Pln\n"
        "click 1\nwait 300\ndisk full\nmenu 713\ndialog \"Save Flight Plan\"\nset 1152 Kept\n"
        "click 1\ndialog GENERIC\nread 2023\nclick 6\nwait 300\ndialog GENERIC\nread 2023\n"
        "key Return press\ndisk ok\nwait 300\nquit\n";
    const testsupport::CommandResult r = run.Play(script);
    ASSERT_EQ(r.status, 0) << r.out;
    // The trace's order (the error output, unbuffered, says it too, ahead of the trace).
    const std::size_t asked = r.out.find("already exists.");
    ASSERT_NE(asked, std::string::npos) << r.out;
    const std::size_t said = r.out.find("could not be saved.", asked);
    ASSERT_NE(said, std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Kept.Pln not saved"), std::string::npos) << r.out;
    EXPECT_EQ(dir.Read("FlightPlans/Kept.Pln"), kept);
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path("FlightPlans/Kept.Pln.tmp/blocked")));
}

// A new plan from San Carlos to Fresno, finished on the planning sheet: active and not saved.
const char* const kUnsavedPlan =
    "frame-interval 20\nwait 300\nmenu 303\ndialog FLIGHTPLANROUTEPG\ndialog FLIGHTPLANBKGNDSHEET\n"
    "click 1717\ndialog FLIGHTPLANDEPARTPG\nset 1045 \"(KSQL)\"\ndialog FLIGHTPLANBKGNDSHEET\n"
    "click 1717\ndialog FLIGHTPLANDESTPG\nset 1479 \"Fresno Air T\"\ndialog FLIGHTPLANBKGNDSHEET\n"
    "click 1717\ndialog FLIGHTPLANMAPPG\ndialog FLIGHTPLANBKGNDSHEET\nclick 1717\n"
    "dialog FLIGHTPLANWEATHERPG\ndialog FLIGHTPLANBKGNDSHEET\nclick 1717\ndialog FLIGHTPLANLOGPG\n"
    "dialog FLIGHTPLANBKGNDSHEET\nclick 1717\nwait 300\n";

// Open Flight Plan over the unsaved plan, closed at the first question: each answer to "Save it
// before going on?". Cancel, and Save cancelled in the file dialog, keep the plan and open
// nothing; Don't Save and Save go on to the Open dialog, and cancelling that keeps the plan too.
TEST_F(PlanRun, EachAnswerToTheSaveQuestionKeepsOrSavesThePlanAsAsked) {
    const struct {
        const char* name;
        const char* answer;  // the lines at the save question
        bool opens;          // the Open dialog follows
        const char* saved;   // the plan file written, if any
    } cases[] = {
        {"cancel", "click 2\n", false, nullptr},
        {"save, then cancel the file dialog", "click 1\ndialog \"Save Flight Plan\"\nclick 2\n",
         false, nullptr},
        {"don't save, then cancel Open", "click 7\ndialog \"Load Flight Plan\"\nclick 2\n", true,
         nullptr},
        {"save, then cancel Open",
         "click 1\ndialog \"Save Flight Plan\"\nset 1152 Kept\nclick 1\nwait 300\n"
         "dialog \"Load Flight Plan\"\nclick 2\n",
         true, "Kept.Pln"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(dir.Path("FlightPlans/Kept.Pln"));
        const std::string script =
            std::string(kUnsavedPlan) + "menu 159\ndialog FP_CLOSE\nclick 1\ndialog FP_SAVE\n" +
            c.answer + "wait 300\nsave " + dir.Path("after.flt") + "\nquit\n";
        const testsupport::CommandResult r = run.Play(script);
        ASSERT_EQ(r.status, 0) << r.out;
        EXPECT_EQ(r.out.find("simrun:"), std::string::npos) << r.out;
        EXPECT_EQ(r.out.find("dialog Load Flight Plan ended") != std::string::npos, c.opens)
            << r.out;
        // The plan flies on, in the saved flight.
        EXPECT_EQ(Key("after.flt", "flightPlan", "active"), 1) << r.out;
        core::IniFile after(dir.Path("after.flt").c_str());
        EXPECT_EQ(std::string(after.GetString("flightPlan", "planname", "")).find("Kept.Pln") !=
                      std::string::npos,
                  c.saved != nullptr);
        EXPECT_EQ(std::filesystem::exists(dir.Path("FlightPlans/Kept.Pln")), c.saved != nullptr);
    }
}

// Next pressed through the new plan's pages without choosing: departure and destination are the
// same first airport of the list, a route that goes nowhere, which the sheet refuses past the
// route map, saying why; a destination chosen after going back makes the plan.
TEST_F(PlanRun, APlanPressedThroughTheWizardIsRefusedUntilItGoesSomewhere) {
    const std::string script =
        "frame-interval 20\nwait 300\nmenu 303\ndialog FLIGHTPLANBKGNDSHEET\n"
        "click 1717\nclick 1717\nclick 1717\nclick 1717\ndialog GENERIC\nread 2023\n"
        "key Return press\ndialog FLIGHTPLANBKGNDSHEET\nclick 1716\ndialog FLIGHTPLANDESTPG\n"
        "set 1479 \"Fresno Air T\"\ndialog FLIGHTPLANBKGNDSHEET\n"
        "click 1717\nclick 1717\nclick 1717\nclick 1717\nwait 300\nquit\n";
    const testsupport::CommandResult r = run.Play(script);
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out.find("simrun:"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("no station between"), std::string::npos) << r.out;
    // Both airport pages start on the field the aircraft stands on.
    EXPECT_NE(r.out.find("begins and ends at KSQL"), std::string::npos) << r.out;
    const std::size_t made = r.out.find("plan: new ");
    ASSERT_NE(made, std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("plan: new ", made + 1), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("KSQLtoKFAT.Pln (2 nodes)", made), std::string::npos) << r.out;
}

// Exit with a plan not saved since it was made asks one question, whether to save it, from the
// menu and by its key alike. Cancelled, the program flies on with its plan; answered, it closes
// without asking again.
TEST_F(PlanRun, QuittingWithAnUnsavedPlanAsksOnlyWhetherToSaveIt) {
    const testsupport::CommandResult r = run.Play(
        "frame-interval 20\nwait 300\nmenu 303\ndialog FLIGHTPLANBKGNDSHEET\nclick 1717\nclick 1717\n"
        "dialog FLIGHTPLANDESTPG\nset 1479 \"KFAT\"\ndialog FLIGHTPLANBKGNDSHEET\n"
        "click 1717\nclick 1717\nclick 1717\nclick 1717\nwait 300\n"
        "menu 168\nanswer \"has changed\" Cancel\nwait 300\nsave " + dir.Path("kept.flt") + "\n"
        "key Alt+F4 press\nanswer \"has changed\" \"Don't Save\"\nwait 300\n");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(r.out.find("simrun:"), std::string::npos) << r.out;
    // The questions asked: the save question once for each try, nothing else.
    std::vector<std::string> asked;
    std::istringstream lines(r.out);
    for (std::string line; std::getline(lines, line);)
        if (line.find("] dialog ") != std::string::npos && line.find(" \"") != std::string::npos &&
            line.find("FLIGHTPLAN") == std::string::npos)
            asked.push_back(line);
    ASSERT_EQ(asked.size(), 2u) << r.out;
    for (const std::string& line : asked) EXPECT_NE(line.find("has changed since it was last saved"), std::string::npos) << line;
    EXPECT_EQ(Key("kept.flt", "flightPlan", "active"), 1);
}

// On the route map, San Jose's VOR stands on its airport: with the airports shown, a click of the
// add tool on the VOR's symbol adds the VOR, where both under the pointer added nothing.
TEST_F(PlanRun, AVorOnAnAirportIsAddedFromTheMap) {
    const testsupport::CommandResult r = run.Play(
        "frame-interval 20\nwait 300\nmenu 303\ndialog FLIGHTPLANBKGNDSHEET\nclick 1717\n"
        "dialog FLIGHTPLANDEPARTPG\nset 1045 \"(KSQL)\"\ndialog FLIGHTPLANBKGNDSHEET\nclick 1717\n"
        "dialog FLIGHTPLANDESTPG\nset 1479 \"KSJC\"\ndialog FLIGHTPLANBKGNDSHEET\nclick 1717\n"
        "dialog FLIGHTPLANMAPPG\nclick 5002\nwait 100\nclick 5017\nmouse 435 262 move\n"
        "mouse 435 262 left-down\nmouse 435 262 left-up\nwait 300\nread 1914\n"
        "dialog FLIGHTPLANBKGNDSHEET\nclick 1817\nwait 300\nquit\n");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("plan: added SJC (3 nodes)"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("read 1914 row 1: \"SJC\""), std::string::npos) << r.out;
}

TEST_F(PlanRun, AnInstalledPlanForAnotherAircraftMakesItCurrentAndIsLoggedForIt) {
    // The tour is planned for the Baron; the start flight is the 172's.
    ASSERT_EQ(Key("FlightPlans/CaliforniaTour.Pln", "Settings", "stAirc"), 2);
    ASSERT_EQ(Key("Flights/Startup.Flt", "Aircraft", "type"), 0);
    const std::string script =
        "frame-interval 20\nwait 300\nmenu 159\ndialog \"Load Flight Plan\"\n"
        "set 1120 CaliforniaTour.Pln\nclick 1\nwait 500\nsave " + dir.Path("baron.flt") +
        "\nmenu 693\ndialog FLIGHTLOG\nread 1992\nread 78\nclick 2\nquit\n";
    const testsupport::CommandResult r = run.Play(script);
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("plan: loaded FlightPlans\\CaliforniaTour.Pln (64 nodes)"), std::string::npos)
        << r.out;
    EXPECT_EQ(Key("baron.flt", "Aircraft", "type"), 2);

    // The log plans both engines: a Baron 58's two IO-550s burn 12 to 16 gal/h each at 65 to
    // 75 % (its handbook's cruise rows), so its 194 gallons last 6 to 8 hours, some 1,100 to
    // 1,600 nm at 180 to 200 knots true; the tour's 2,700 nm run the tanks dry on the way.
    const std::size_t flow = r.out.find("read 1992 Static \"");
    ASSERT_NE(flow, std::string::npos) << r.out;
    const double gph = std::stod(r.out.substr(flow + 18));
    EXPECT_GE(gph, 24.0);
    EXPECT_LE(gph, 33.0);
    double flown = 0.0;
    bool dry = false;
    for (int row = 0; row < 64 && !dry; ++row) {
        const std::vector<std::string> cells = planningtest::ListRow(r.out, 78, row);
        ASSERT_EQ(cells.size(), 14u) << row << r.out;
        flown += std::stod(cells[4]);
        dry = std::stod(cells[12]) == 0.0;
    }
    EXPECT_TRUE(dry);
    EXPECT_GE(flown, 1000.0);
    EXPECT_LE(flown, 1700.0);
}

// A flight resumed in another aircraft is planned for it: New Flight Plan offers the type flown.
TEST_F(PlanRun, ANewPlanAfterAResumedFlightIsForItsAircraft) {
    for (const auto& [flight, name] : {std::pair{"KingStop.Flt", "King Air"}, std::pair{"JetStop.Flt", "CitationJet"}}) {
        const testsupport::CommandResult r = run.Play(
            std::string("frame-interval 20\nwait 300\nmenu 109\ndialog \"Resume Flight\"\nset 1120 ") + flight +
            "\nclick 1\nwait 500\nmenu 303\ndialog FLIGHTPLANROUTEPG\nread 1908\nquit\n");
        const std::size_t read = r.out.find("read 1908 ");
        ASSERT_NE(read, std::string::npos) << r.out;
        EXPECT_NE(r.out.substr(read, r.out.find('\n', read) - read).find(name), std::string::npos) << r.out;
    }
}

// Tab goes through the controls of the wizard's page in their order, then the sheet's buttons,
// and back to the page: on the route, departure and destination pages, each shown with the focus
// on its first control (not on the sheet's Next button).
TEST_F(PlanRun, TabVisitsEveryControlOfEachWizardPageInOrder) {
    struct Page {
        const char* name;
        std::vector<int> controls;  // the page's own that the keyboard reaches, in order
    };
    const Page pages[] = {{"FLIGHTPLANROUTEPG", {1906, 1908, 1783, 1962}},
                          {"FLIGHTPLANDEPARTPG", {1479, 1045}},
                          {"FLIGHTPLANDESTPG", {1479, 1045}}};
    const std::vector<int> buttons = {1716, 1717, 1817, 1816};  // Back, Next, Cancel, Help
    std::string script = "frame-interval 20\nwait 300\nmenu 303\n";
    // After each press: which control holds the focus, of the page's and the sheet's.
    const auto focus = [&](const Page& page) {
        std::string lines = "dialog " + std::string(page.name) + "\n";
        for (int id : page.controls) lines += "read " + std::to_string(id) + "\n";
        lines += "dialog FLIGHTPLANBKGNDSHEET\n";
        for (int id : buttons) lines += "read " + std::to_string(id) + "\n";
        return lines + "wait 20\n";
    };
    for (const Page& page : pages) {
        script += "report view\n" + focus(page);
        for (std::size_t i = 0; i < page.controls.size() + buttons.size(); ++i) script += "key Tab press\n" + focus(page);
        script += "dialog FLIGHTPLANBKGNDSHEET\nclick 1717\n";
    }
    const testsupport::CommandResult r = run.Play(script + "quit\n");
    ASSERT_EQ(r.status, 0) << r.out;
    // The focused control after each press, page by page.
    std::vector<std::vector<int>> seen;
    std::istringstream in(r.out);
    for (std::string line; std::getline(in, line);) {
        if (line.find("report view") != std::string::npos) seen.emplace_back();
        const std::size_t read = line.find("] read ");
        if (read != std::string::npos && line.find(" focus=1") != std::string::npos && !seen.empty())
            seen.back().push_back(std::stoi(line.substr(read + 7)));
    }
    ASSERT_EQ(seen.size(), 3u) << r.out;
    for (std::size_t p = 0; p < 3; ++p) {
        SCOPED_TRACE(pages[p].name);
        std::vector<int> cycle = pages[p].controls;
        for (int b : buttons)
            if (p > 0 || b != 1716) cycle.push_back(b);  // Back is off on the first page
        // Each page starts with the focus on its first control, and Tab goes round from there.
        std::vector<int> expected;
        for (std::size_t i = 0; i <= pages[p].controls.size() + buttons.size(); ++i)
            expected.push_back(cycle[i % cycle.size()]);
        EXPECT_EQ(seen[p], expected) << r.out;
    }
}


// Typing an airport's code in any case, or its name as written, finds it in each airport search:
// the world's airports wizard (typed key by key, the focus starting in its search box, so the
// blank in a name stays in the box) and the new plan's departure and destination pages. The
// airport shown is told by its latitude, against the public data's.
TEST_F(PlanRun, TypingACodeOrANameFindsTheAirportInEverySearch) {
    const struct {
        const char* typed;
        double latitude;  // data/navdata-us/airport.csv
    } wanted[] = {{"KSQL", 37.511735}, {"San Carlos", 37.511735}, {"ksba", 34.427708}};
    std::string script = "frame-interval 20\nwait 300\nmenu 320\ndialog AIRPORTS_PAGE\nread 1479\n";
    for (const char* key : {"ShiftS", "A", "N", "Space", "ShiftC", "A", "R", "L", "O", "S"})
        script += "key " + std::string(key) + " press\n";
    script += "dialog AIRPORTS_PAGE\nread 1307\n";
    for (const auto& w : wanted) script += "set 1479 \"" + std::string(w.typed) + "\"\nread 1307\n";
    script += "dialog AIRPORTS_WIZBKGND\nclick 1817\nmenu 303\ndialog FLIGHTPLANBKGNDSHEET\nclick 1717\n";
    for (const char* page : {"FLIGHTPLANDEPARTPG", "FLIGHTPLANDESTPG"}) {
        script += "dialog " + std::string(page) + "\n";
        for (const auto& w : wanted) script += "set 1479 \"" + std::string(w.typed) + "\"\nread 1307\n";
        script += "dialog FLIGHTPLANBKGNDSHEET\nclick 1717\n";
    }
    const testsupport::CommandResult r = run.Play(script + "click 1817\nquit\n");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("read 1479 Edit"), std::string::npos);
    EXPECT_NE(r.out.find(" focus=1", r.out.find("read 1479 Edit")), std::string::npos) << "the search box has the focus";
    EXPECT_LT(r.out.find(" focus=1", r.out.find("read 1479 Edit")), r.out.find('\n', r.out.find("read 1479 Edit")));
    // The latitude each read shows: degrees, the minutes and seconds after the degree sign.
    std::vector<double> shown;
    std::istringstream in(r.out);
    for (std::string line; std::getline(in, line);) {
        const std::size_t at = line.find("] read 1307 Static \"");
        if (at == std::string::npos) continue;
        const std::string text = line.substr(at + 20);
        const std::size_t minutes = text.find_first_of("0123456789", text.find_first_not_of(" 0123456789"));
        shown.push_back(std::stoi(text) + std::stoi(text.substr(minutes)) / 60.0 +
                        std::stod(text.substr(text.find('\'', minutes) + 1)) / 3600.0);
    }
    ASSERT_EQ(shown.size(), 10u) << r.out;
    // San Carlos typed key by key, then each search three times over.
    for (std::size_t i = 0; i < shown.size(); ++i)
        EXPECT_NEAR(shown[i], i == 0 ? wanted[1].latitude : wanted[(i - 1) % 3].latitude, 0.01) << i << "\n" << r.out;
}

}  // namespace
