// The end of the session as a user's machine sends it (SIGTERM from the desktop, SIGINT from
// Ctrl+C, SIGHUP from a terminal closed under the program) at the moments the program waits for
// the user at start-up and in flight: the program closes in order (status 0, no sanitizer
// report), writes its settings, and leaves the files it read as they were. A run the runner
// gives up during a start-up dialog ends as cleanly.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "support/run_command.h"
#include "support/starter_run.h"
#include "support/temp_folder.h"

namespace {

using testsupport::CommandResult;

void ExpectNoSanitizerReport(const CommandResult& r) {
    for (const char* report : {"AddressSanitizer", "runtime error:", "LeakSanitizer"})
        EXPECT_EQ(r.out.find(report), std::string::npos) << report << "\n" << r.out;
}

// A pilot file too short for its header: start-up names it in a message box, then asks for a
// pilot with Select Pilot.
const std::string kDamagedPilot(50, '\x07');

struct Moment {
    const char* name;
    bool damagedPilot;
    const char* reach;          // the script up to the moment
    const char* settingsSaved;  // a section the close writes at that moment
};

const Moment kMoments[] = {
    {"AtTheDamagedPilotMessage", true, "dialog GENERIC\n", "[Settings]"},
    {"InSelectPilot", true, "dialog GENERIC\nkey Return press\ndialog SelectPilot\n", "[Settings]"},
    {"InFlight", false, "frame-interval 20\nwait 500\n", "[Views]"},
    // The menus' dialogs and boxes.
    {"InSaveFlight", false, "frame-interval 20\nwait 300\nmenu 108\ndialog \"Save Flight\"\n", "[Views]"},
    {"InSelectAircraft", false, "frame-interval 20\nwait 300\nmenu 130\ndialog FlightModel\n", "[Views]"},
    {"InTheExitQuestion", false, "frame-interval 20\nwait 300\nmenu 168\ndialog Exit\n", "[Views]"},
};

struct Signal {
    const char* name;
    const char* kill;
};
const Signal kSignals[] = {{"SIGTERM", "TERM"}, {"SIGINT", "INT"}, {"SIGHUP", "HUP"}};

// The starter installation with the folders a run writes copied: flights, plans, pilots.
class SignalRun : public testsupport::StarterRunTest {
protected:
    SignalRun() : StarterRunTest("zephlon-signals") {}
};

class SessionSignals : public SignalRun,
                       public ::testing::WithParamInterface<std::tuple<int, int>> {};

TEST_P(SessionSignals, CloseInOrderAndKeepTheSettings) {
    const Moment& m = kMoments[std::get<0>(GetParam())];
    const Signal& s = kSignals[std::get<1>(GetParam())];
    if (m.damagedPilot) dir.Write("PILOT/Student.PLT", kDamagedPilot);
    // The runner's shell sends the signal to the runner, which runs the program.
    const CommandResult r =
        Play(std::string(m.reach) + "shell \"kill -" + s.kill + " $PPID\"\nwait 1000\n");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("exit=0"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("end of session: closing without questions"), std::string::npos) << r.out;
    ExpectNoSanitizerReport(r);
    EXPECT_NE(dir.Read("Zephlon.ini").find(m.settingsSaved), std::string::npos)
        << dir.Read("Zephlon.ini");
    if (m.damagedPilot) {
        EXPECT_EQ(dir.Read("PILOT/Student.PLT"), kDamagedPilot);
    }
}

std::string CaseName(const ::testing::TestParamInfo<std::tuple<int, int>>& info) {
    return std::string(kMoments[std::get<0>(info.param)].name) + "By" +
           kSignals[std::get<1>(info.param)].name;
}

// Each signal at the damaged pilot's message and in flight; Select Pilot meets one of them.
INSTANTIATE_TEST_SUITE_P(StartUpAndFlight, SessionSignals,
                         ::testing::Values(std::make_tuple(0, 0), std::make_tuple(0, 1),
                                           std::make_tuple(0, 2), std::make_tuple(1, 2),
                                           std::make_tuple(2, 0), std::make_tuple(2, 1),
                                           std::make_tuple(2, 2)),
                         CaseName);

// Each signal in each dialog and box the menus open.
INSTANTIATE_TEST_SUITE_P(Menus, SessionSignals,
                         ::testing::Combine(::testing::Values(3, 4, 5), ::testing::Values(0, 1, 2)),
                         CaseName);

// The runner gives up while a start-up dialog waits (a dialog the script waits for never opens):
// it closes the program as the program's own close would and ends with its failure status,
// without a sanitizer report.
TEST_F(SignalRun, ARunGivenUpInAStartUpDialogEndsCleanly) {
    dir.Write("PILOT/Student.PLT", kDamagedPilot);
    const CommandResult r = Play("dialog GENERIC\ndialog NoSuchDialog\nquit\n");
    EXPECT_EQ(r.status, 3) << r.out;
    EXPECT_NE(r.out.find("no dialog \"NoSuchDialog\" opened"), std::string::npos) << r.out;
    ExpectNoSanitizerReport(r);
    EXPECT_EQ(dir.Read("PILOT/Student.PLT"), kDamagedPilot);
}

}  // namespace
