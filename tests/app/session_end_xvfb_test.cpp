// The real program on a real X display, ended the way a desktop session ends it: SIGTERM (and
// Ctrl+C's SIGINT) close it at once, without the exit question, and the settings it keeps are
// written on the way out.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "support/starter_run.h"
#include "support/xvfb.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Starts zephlon in the run's folder on the display; its settings file is the executable's path
// with ".ini", so the executable and its resource pack are linked into the folder.
pid_t StartZephlon(const testsupport::TempFolder& dir, const std::string& display,
                   const std::string& errors = {}) {
    const fs::path bin = fs::path(ZEPHLON_BINARY_DIR) / "bin";
    std::error_code ec;
    fs::create_hard_link(bin / "zephlon", dir.Path("zephlon"), ec);
    if (ec) fs::copy_file(bin / "zephlon", dir.Path("zephlon"), ec);
    fs::create_hard_link(bin / "Zephlon.pack", dir.Path("Zephlon.pack"), ec);
    if (ec) fs::copy_file(bin / "Zephlon.pack", dir.Path("Zephlon.pack"), ec);
    const pid_t child = fork();
    if (child == 0) {
        setenv("DISPLAY", display.c_str(), 1);
        setenv("SDL_VIDEODRIVER", "x11", 1);
        setenv("SDL_RENDER_DRIVER", "software", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        // The display's own libraries keep memory to the end; their leaks are not the program's.
        setenv("ASAN_OPTIONS", "detect_leaks=0", 1);
        if (!errors.empty()) {
            const int fd = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd >= 0) dup2(fd, 2);
        }
        const std::string exe = dir.Path("zephlon");
        execl(exe.c_str(), exe.c_str(), "--dir", dir.Root().c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    return child;
}

// Waits for the child to end, at most `limit`; its wait status, or -1 when it still runs.
int WaitFor(pid_t child, std::chrono::milliseconds limit, Clock::duration* took) {
    const Clock::time_point start = Clock::now();
    for (;;) {
        int status = 0;
        if (waitpid(child, &status, WNOHANG) == child) {
            *took = Clock::now() - start;
            return status;
        }
        if (Clock::now() - start > limit) return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

// Waits until the start-up has stored its settings (it does once it is done; the program then
// flies) and a moment more; false, with the child killed, when it never got there.
bool WaitForStart(pid_t child, const std::string& ini) {
    bool started = false;
    for (int i = 0; i < 1200 && !started; ++i) {
        started = fs::exists(ini);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    if (!started) {
        Clock::duration took{};
        kill(child, SIGKILL);
        WaitFor(child, std::chrono::seconds(10), &took);
        return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    return true;
}

TEST(SessionEndOnXvfb, SigtermAndSigintCloseWithoutAskingAndKeepTheSettings) {
    if (!testsupport::StarterRun::Built()) GTEST_SKIP() << "the starter installation is not built";
    xvfb::Server server(320, 380);
    if (!server.Start()) GTEST_SKIP() << "Xvfb missing or not startable";
    for (const int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal == SIGTERM ? "SIGTERM" : "SIGINT");
        testsupport::StarterRun run("zephlon-session-end");
        const std::string ini = run.Dir().Path("zephlon.ini");
        const pid_t child = StartZephlon(run.Dir(), server.Display());
        ASSERT_GT(child, 0);
        if (!WaitForStart(child, ini)) FAIL() << "the program did not start";
        Clock::duration took{};
        // Only the close can write it again.
        fs::remove(ini);
        kill(child, signal);
        const int status = WaitFor(child, std::chrono::seconds(30), &took);
        if (status == -1) {
            kill(child, SIGKILL);
            WaitFor(child, std::chrono::seconds(10), &took);
            FAIL() << "the program did not end after the signal";
        }
        EXPECT_TRUE(WIFEXITED(status)) << status;
        EXPECT_EQ(WEXITSTATUS(status), 0);
        const auto closeMs = std::chrono::duration_cast<std::chrono::milliseconds>(took).count();
        RecordProperty(signal == SIGTERM ? "sigterm_close_ms" : "sigint_close_ms",
                       static_cast<int>(closeMs));
        EXPECT_LT(closeMs, 2000);
        const std::string settings = run.Dir().Read("zephlon.ini");
        EXPECT_NE(settings.find("[Settings]"), std::string::npos) << settings;
        EXPECT_NE(settings.find("[Views]"), std::string::npos) << settings;
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
    if (!WaitForStart(child, run.Dir().Path("zephlon.ini"))) FAIL() << "the program did not start";
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

}  // namespace
