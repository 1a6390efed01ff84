// The real program on a real X display, ended the way a desktop session ends it: SIGTERM (and
// Ctrl+C's SIGINT, and the SIGHUP of a terminal closed under it) close it at once, without the
// exit question, and the settings it keeps are written on the way out, at whatever moment of
// start-up or flight the signal comes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/starter_run.h"
#include "support/xvfb.h"
#include "support/zephlon_on_display.h"

namespace {

namespace fs = std::filesystem;
using Clock = testsupport::ProcessClock;

using testsupport::Close;
using testsupport::StartZephlon;
using testsupport::WaitFor;
using testsupport::WaitForStart;

const char* SignalName(int signal) {
    return signal == SIGTERM ? "SIGTERM" : signal == SIGINT ? "SIGINT" : "SIGHUP";
}

TEST(SessionEndOnXvfb, SigtermSigintAndSighupCloseWithoutAskingAndKeepTheSettings) {
    if (!testsupport::StarterRun::Built()) GTEST_SKIP() << "the starter installation is not built";
    xvfb::Server server(320, 380);
    if (!server.Start()) GTEST_SKIP() << "Xvfb missing or not startable";
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(SignalName(signal));
        testsupport::StarterRun run("zephlon-session-end");
        const std::string ini = run.Dir().Path("Zephlon.ini");
        const pid_t child = StartZephlon(run.Dir(), server.Display());
        ASSERT_GT(child, 0);
        if (!WaitForStart(child, ini)) FAIL() << "the program did not start";
        Clock::duration took{};
        // Only the close can write it again.
        fs::remove(ini);
        const int status = Close(child, signal, &took);
        if (status == -1) FAIL() << "the program did not end after the signal";
        EXPECT_TRUE(WIFEXITED(status)) << status;
        EXPECT_EQ(WEXITSTATUS(status), 0);
        const auto closeMs = std::chrono::duration_cast<std::chrono::milliseconds>(took).count();
        RecordProperty(std::string(SignalName(signal)) + "_close_ms", static_cast<int>(closeMs));
        // In order and at once: a close that waited on something (a question, a box, the disc)
        // would never end; a loaded machine under the sanitizers takes a few seconds.
        EXPECT_LT(closeMs, 15000);
        const std::string settings = run.Dir().Read("Zephlon.ini");
        EXPECT_NE(settings.find("[Settings]"), std::string::npos) << settings;
        EXPECT_NE(settings.find("[Views]"), std::string::npos) << settings;
    }
}

// A signal at moments of start-up, counted from the program's first step (the window coming up,
// the world loading, the damaged pilot file's message waiting for the user), closes the program
// in order as well: status 0, no sanitizer report, the window's place written; the damaged
// pilot file stays as it was.
TEST(SessionEndOnXvfb, ASignalAtAnyMomentOfStartUpClosesInOrder) {
    if (!testsupport::StarterRun::Built()) GTEST_SKIP() << "the starter installation is not built";
    xvfb::Server server(320, 380);
    if (!server.Start()) GTEST_SKIP() << "Xvfb missing or not startable";
    const struct {
        int signal;
        int afterMs;
        bool damagedPilot;  // start-up then waits in the pilot file's message
    } moments[] = {{SIGTERM, 300, false}, {SIGINT, 800, false}, {SIGHUP, 1500, false},
                   {SIGTERM, 3000, true}, {SIGINT, 3000, true}, {SIGHUP, 3000, true}};
    const std::string damaged(50, '\x07');
    for (const auto& m : moments) {
        SCOPED_TRACE(std::string(SignalName(m.signal)) + " after " + std::to_string(m.afterMs) +
                     " ms" + (m.damagedPilot ? " with a damaged pilot file" : ""));
        testsupport::StarterRun run("zephlon-start-signal");
        if (m.damagedPilot) {
            fs::remove_all(run.Dir().Path("PILOT"));  // the starter's pilot
            run.Dir().MakeFolders("PILOT");
            run.Dir().Write("PILOT/CURRENT", std::string("Student", 8));
            run.Dir().Write("PILOT/Student.PLT", damaged);
        }
        const std::string errors = run.Dir().Path("stderr.txt");
        const pid_t child = StartZephlon(run.Dir(), server.Display(), errors);
        ASSERT_GT(child, 0);
        // The moments count from the program's first step, when it takes charge of the signals
        // (the loader before it takes as long as the machine's load makes it).
        if (!testsupport::WaitForSignalsTaken(child, std::chrono::seconds(60))) {
            ADD_FAILURE() << "the program never took charge of the signals";
            Close(child, SIGKILL);
            continue;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(m.afterMs));
        const int status = Close(child, m.signal);
        if (status == -1) {
            ADD_FAILURE() << "the program did not end after the signal";
            continue;
        }
        const std::string said = run.Dir().Read("stderr.txt");
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status << "\n" << said;
        for (const char* report : {"Sanitizer", "runtime error"})
            EXPECT_EQ(said.find(report), std::string::npos) << said;
        EXPECT_NE(run.Dir().Read("Zephlon.ini").find("[Settings]"), std::string::npos) << said;
        if (m.damagedPilot) {
            EXPECT_EQ(run.Dir().Read("PILOT/Student.PLT"), damaged);
        }
    }
}

// The display going away under the running program (its server killed): the program ends at once
// with status 1 and says why, instead of tearing its objects down under itself from inside the
// display's library (which corrupted the heap).
TEST(SessionEndOnXvfb, ALostDisplayEndsTheProgramAndSaysWhy) {
    if (!testsupport::StarterRun::Built()) GTEST_SKIP() << "the starter installation is not built";
    auto server = std::make_unique<xvfb::Server>(320, 380);
    if (!server->Start()) GTEST_SKIP() << "Xvfb missing or not startable";
    testsupport::StarterRun run("zephlon-lost-display");
    const std::string errors = run.Dir().Path("stderr.txt");
    const pid_t child = StartZephlon(run.Dir(), server->Display(), errors);
    ASSERT_GT(child, 0);
    if (!WaitForStart(child, run.Dir().Path("Zephlon.ini"))) FAIL() << "the program did not start";
    Clock::duration took{};
    server.reset();
    const int status = WaitFor(child, std::chrono::seconds(30), &took);
    if (status == -1) {
        kill(child, SIGKILL);
        WaitFor(child, std::chrono::seconds(10), &took);
        FAIL() << "the program did not end when its display went away";
    }
    const std::string said = run.Dir().Read("stderr.txt");
    EXPECT_TRUE(WIFEXITED(status)) << status << "\n" << said;
    EXPECT_EQ(WEXITSTATUS(status), 1) << said;
    EXPECT_NE(said.find("the connection to the display was lost"), std::string::npos) << said;
    EXPECT_EQ(said.find("Sanitizer"), std::string::npos) << said;
    EXPECT_EQ(said.find("runtime error"), std::string::npos) << said;
}

// Started where there is no display at all, the program says why on its error output and ends at
// once with an error status, instead of running on without a window.
TEST(SessionEndOnXvfb, WithoutADisplayTheProgramSaysWhyAndEnds) {
    if (!testsupport::StarterRun::Built()) GTEST_SKIP() << "the starter installation is not built";
    testsupport::StarterRun run("zephlon-no-display");
    const std::string errors = run.Dir().Path("stderr.txt");
    const pid_t child = StartZephlon(run.Dir(), "", errors);
    ASSERT_GT(child, 0);
    Clock::duration took{};
    const int status = WaitFor(child, std::chrono::seconds(10), &took);
    if (status == -1) {
        kill(child, SIGKILL);
        WaitFor(child, std::chrono::seconds(10), &took);
        FAIL() << "the program ran on without a display";
    }
    const std::string said = run.Dir().Read("stderr.txt");
    EXPECT_TRUE(WIFEXITED(status)) << status << "\n" << said;
    EXPECT_NE(WEXITSTATUS(status), 0) << said;
    EXPECT_NE(said.find("no display"), std::string::npos) << said;
    EXPECT_NE(said.find("DISPLAY"), std::string::npos) << said;
}

// Two installations started from one copy of the program each read their own settings file at
// start and write it back at the end; the program's own folder, read-only here, gets nothing and
// costs no setting. A file of the older lower-case name is the installation's file.
TEST(SessionEndOnXvfb, EachInstallationKeepsItsOwnSettings) {
    if (!testsupport::StarterRun::Built()) GTEST_SKIP() << "the starter installation is not built";
    xvfb::Server server(320, 380);
    if (!server.Start()) GTEST_SKIP() << "Xvfb missing or not startable";
    testsupport::TempFolder program("zephlon-program");
    const fs::path bin = fs::path(ZEPHLON_BINARY_DIR) / "bin";
    for (const char* name : {"zephlon", "Zephlon.pack"}) {
        std::error_code ec;
        fs::create_hard_link(bin / name, program.Path(name), ec);
        if (ec) fs::copy_file(bin / name, program.Path(name));
    }
    fs::permissions(program.Root(),
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    testsupport::StarterRun a("zephlon-install-a");
    testsupport::StarterRun b("zephlon-install-b");
    a.Dir().Write("Zephlon.ini", "[Aircraft]\ncrashdetect=0\n[Mark]\nA=1\n");
    b.Dir().Write("zephlon.ini", "[Mark]\nB=1\n");
    const struct {
        const testsupport::StarterRun& run;
        const char* file;
    } runs[] = {{a, "Zephlon.ini"}, {b, "zephlon.ini"}};
    for (const auto& r : runs) {
        SCOPED_TRACE(r.run.Dir().Root());
        const pid_t child =
            StartZephlon(r.run.Dir(), server.Display(), {}, program.Path("zephlon"));
        ASSERT_GT(child, 0);
        if (!WaitForStart(child, r.run.Dir().Path(r.file))) {
            ADD_FAILURE() << "the installation's settings were not written";
            continue;
        }
        const int status = Close(child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    const std::string first = a.Dir().Read("Zephlon.ini");
    const std::string second = b.Dir().Read("zephlon.ini");
    EXPECT_EQ(testsupport::SavedValue(first, "crashdetect"), 0) << first;
    EXPECT_EQ(testsupport::SavedValue(second, "crashdetect"), 1) << second;
    EXPECT_NE(first.find("[Views]"), std::string::npos) << first;
    EXPECT_NE(second.find("[Views]"), std::string::npos) << second;
    EXPECT_EQ(testsupport::SavedValue(first, "A"), 1);
    EXPECT_EQ(testsupport::SavedValue(first, "B"), std::nullopt);
    EXPECT_EQ(testsupport::SavedValue(second, "B"), 1);
    EXPECT_FALSE(fs::exists(b.Dir().Path("Zephlon.ini")));
    std::vector<std::string> beside;
    for (const fs::directory_entry& e : fs::directory_iterator(program.Root()))
        beside.push_back(e.path().filename().string());
    std::sort(beside.begin(), beside.end());
    EXPECT_EQ(beside, (std::vector<std::string>{"Zephlon.pack", "zephlon"}));
    fs::permissions(program.Root(), fs::perms::owner_write, fs::perm_options::add);
}

}  // namespace
