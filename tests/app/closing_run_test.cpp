// The program closed (its close box, or the end of the session) while a command that would end
// the active flight plan asks about it: "A flight plan is active. Close it?", "Save it before
// going on?" or the Save Flight Plan dialog under them. From every command that asks, the
// program ends in order (status 0, no sanitizer report) and the plan is saved only when the user
// saved it.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "support/run_command.h"
#include "support/starter_run.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using testsupport::CommandResult;

// A new plan from San Carlos to Fresno, finished on the planning sheet: active and not saved.
const char* const kUnsavedPlan =
    "frame-interval 20\n"
    "wait 300\n"
    "menu 303\n"
    "dialog FLIGHTPLANROUTEPG\n"
    "dialog FLIGHTPLANBKGNDSHEET\n"
    "click 1717\n"
    "dialog FLIGHTPLANDEPARTPG\n"
    "set 1045 \"(KSQL)\"\n"
    "dialog FLIGHTPLANBKGNDSHEET\n"
    "click 1717\n"
    "dialog FLIGHTPLANDESTPG\n"
    "set 1479 \"Fresno Air T\"\n"
    "dialog FLIGHTPLANBKGNDSHEET\n"
    "click 1717\n"
    "dialog FLIGHTPLANMAPPG\n"
    "dialog FLIGHTPLANBKGNDSHEET\n"
    "click 1717\n"
    "dialog FLIGHTPLANWEATHERPG\n"
    "dialog FLIGHTPLANBKGNDSHEET\n"
    "click 1717\n"
    "dialog FLIGHTPLANLOGPG\n"
    "dialog FLIGHTPLANBKGNDSHEET\n"
    "click 1717\n"
    "wait 300\n";

struct Caller {
    const char* name;
    // The lines from the active plan up to the first question about it.
    const char* reach;
    bool asksSaveFirst;  // the flight save asks "Save it?" before "Close it?"
    bool asksSaveOnly = false;  // Exit asks only "Save it?": its answer also answers the quitting
};

const Caller kCallers[] = {
    {"Restart", "menu 687\n", false},
    {"GroundSchool", "menu 104\n", false},
    {"FlightLesson", "menu 103\n", false},
    {"Maneuvers", "menu 105\n", false},
    {"CrossCountry", "menu 106\n", false},
    {"SaveFlight", "menu 108\n", true},
    {"ResumeFlight", "menu 109\n", false},
    {"SelectAircraft", "menu 130\ndialog FlightModel\nclick 1743\nclick 1\n", false},
    {"Position",
     "menu 133\nwait 300\ndialog PositionAircraft\nmouse 89 191 move\nmouse 89 191 left-down\n"
     "mouse 189 191 move\nmouse 189 191 left-up\nclick 1\n",
     false},
    {"OpenPlan", "menu 159\n", false},
    {"Exit", "menu 168\n", false, true},
    {"NewPlan", "menu 303\n", false},
    {"Airports",
     "menu 320\ndialog AIRPORTS_PAGE\nset 1045 \"(KSQL)\"\ndialog AIRPORTS_WIZBKGND\nclick 1717\n"
     "dialog RUNWAY_PAGE\nset 1059 \"30\"\nset 1958 \"On the runway\"\nclick 1567\n"
     "dialog AIRPORTS_WIZBKGND\nclick 1717\n",
     false},
    {"SelectPilot", "menu 673\n", false},
    {"NavaidSetup",
     "menu 321\ndialog NAVAIDSTABSHEET\nclick 1902\ndialog NAVAIDSILSFAKE\n"
     "set 1485 \"I-INB KOAK Rwy 29\"\nclick 1587\nclick 1760\ndialog ILSSetup\nset 1542 8\n"
     "set 1541 1600\nclick 1\n",
     false},
};

// Where the close comes: each question open, or the save dialog under them.
enum class Stage { kCloseQuestion, kSaveQuestion, kSaveDialog, kSavedThenClosed };
enum class Ending { kCloseBox, kEndOfSession };

std::string StageLines(const Caller& c, Stage stage) {
    const std::string save = "dialog FP_SAVE\n";
    const std::string close = "dialog FP_CLOSE\n";
    const std::string file = "click 1\ndialog \"Save Flight Plan\"\n";
    switch (stage) {
        case Stage::kCloseQuestion:
            if (c.asksSaveOnly) return save;
            return c.asksSaveFirst ? save + "click 2\n" + close : close;
        case Stage::kSaveQuestion:
            return c.asksSaveFirst || c.asksSaveOnly ? save : close + "click 1\n" + save;
        case Stage::kSaveDialog:
            return StageLines(c, Stage::kSaveQuestion) + file;
        case Stage::kSavedThenClosed:
            return StageLines(c, Stage::kSaveDialog) + "set 1152 Kept\nclick 1\nwait 300\n";
    }
    return {};
}

struct CloseCase {
    int caller;
    Stage stage;
    Ending ending;
};

class ClosingRun : public ::testing::TestWithParam<CloseCase> {
protected:
    void SetUp() override {
        if (!testsupport::StarterRun::Built()) GTEST_SKIP() << "the starter installation is not built";
        testsupport::LinkStarterFolders(dir, {"Flights", "FlightPlans", "PILOT"});
    }
    std::set<std::string> Plans() const {
        std::set<std::string> names;
        for (const auto& e : fs::directory_iterator(dir.Path("FlightPlans")))
            names.insert(e.path().filename().string());
        return names;
    }
    testsupport::TempFolder dir{"zephlon-closing"};
};

TEST_P(ClosingRun, EndsInOrderAndSavesThePlanOnlyAsAnswered) {
    const CloseCase& c = GetParam();
    const Caller& caller = kCallers[c.caller];
    const std::set<std::string> before = Plans();
    const std::string end = c.ending == Ending::kCloseBox ? "quit\n" : "terminate\nwait 1000\n";
    dir.Write("script.txt", std::string(kUnsavedPlan) + caller.reach + StageLines(caller, c.stage) + end);
    const CommandResult r = testsupport::RunCommand(testsupport::StarterRun::Simrun() + " --dir " +
                                                    dir.Root() + " " + dir.Path("script.txt") + " 2>&1");
    EXPECT_EQ(r.status, 0) << r.out;
    for (const char* report : {"AddressSanitizer", "runtime error:", "LeakSanitizer"})
        EXPECT_EQ(r.out.find(report), std::string::npos) << report << "\n" << r.out;
    EXPECT_NE(r.out.find("exit=0"), std::string::npos) << r.out;
    std::set<std::string> after = Plans();
    if (c.stage == Stage::kSavedThenClosed) {
        ASSERT_EQ(after.erase("Kept.Pln"), 1u) << r.out;
        EXPECT_NE(dir.Read("FlightPlans/Kept.Pln").find("ptIdent"), std::string::npos);
    }
    EXPECT_EQ(after, before);
}

// Every command meets the close at two places, one by the close box and one by the end of the
// session, the places turning with the commands so that each place meets both endings; every
// third command is also closed after its plan was saved.
std::vector<CloseCase> Cases() {
    std::vector<CloseCase> cases;
    const int n = static_cast<int>(std::size(kCallers));
    for (int i = 0; i < n; ++i) {
        cases.push_back({i, static_cast<Stage>(i % 3), Ending::kCloseBox});
        cases.push_back({i, static_cast<Stage>((i + 1) % 3), Ending::kEndOfSession});
        if (i % 3 == 0)
            cases.push_back({i, Stage::kSavedThenClosed, i % 2 == 0 ? Ending::kCloseBox : Ending::kEndOfSession});
    }
    return cases;
}

std::string CaseName(const ::testing::TestParamInfo<CloseCase>& info) {
    static const char* const kStages[] = {"AtCloseQuestion", "AtSaveQuestion", "AtSaveDialog",
                                          "AfterSaving"};
    const CloseCase& c = info.param;
    return std::string(kCallers[c.caller].name) + kStages[static_cast<int>(c.stage)] +
           (c.ending == Ending::kCloseBox ? "ByCloseBox" : "ByEndOfSession");
}

INSTANTIATE_TEST_SUITE_P(EveryAskingCommand, ClosingRun, ::testing::ValuesIn(Cases()), CaseName);

}  // namespace

namespace {

// A second copy started in the folder of one that runs brings the first to the front and ends;
// whoever started it reads why on the error output.
TEST(SecondCopy, SaysOnTheErrorOutputThatAnotherCopyRuns) {
    if (!testsupport::StarterRun::Built()) GTEST_SKIP() << "the starter installation is not built";
    // In cruise, where every tick draws: its simulated seconds take real time.
    testsupport::StarterRun run("zephlon-second-copy", "Cruise.Flt");
    const testsupport::TempFolder& dir = run.Dir();
    // The first copy flies 40 simulated seconds, a few of real time, answering the second.
    dir.Write("first.txt", "frame-interval 20\nwait 300\nshell \"touch " + dir.Path("ready") +
                               "\"\nwait 40000\nquit\n");
    dir.Write("second.txt", "wait 300\nquit\n");
    const std::string simrun = testsupport::StarterRun::Simrun() + " --dir " + dir.Root() + " ";
    const CommandResult r = testsupport::RunCommand(
        simrun + dir.Path("first.txt") + " > " + dir.Path("first.out") + " 2>&1 & " +
        // The second starts once the first has started up and flies (a slow build takes its time).
        "for i in $(seq 600); do test -e " + dir.Path("ready") + " && break; sleep 0.1; done; " +
        simrun + dir.Path("second.txt") +
        " 2>&1; echo second=$?; wait");
    EXPECT_NE(r.out.find("zephlon: another copy of the program runs in this folder"), std::string::npos)
        << r.out;
    EXPECT_EQ(r.out.find("second=0"), std::string::npos) << r.out;
    EXPECT_NE(dir.Read("first.out").find("exit=0"), std::string::npos) << dir.Read("first.out");
}

}  // namespace
