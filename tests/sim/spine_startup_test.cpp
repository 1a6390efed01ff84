// The whole program headless: start-up on a test installation in its fixed order, frames and
// ticks at 18.2 a second, and the close from the menu.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "support/golden.h"
#include "support/run_command.h"
#include "support/starter_pilot.h"
#include "support/temp_folder.h"

namespace {

// The answer to the start-up's word about an installation without its volumes.
constexpr const char* kNoVolumesAnswer = "answer \"files of its installation\" OK\n";

struct Outcome {
    std::string out;
    int status = -1;
};

Outcome PlayScript(const testsupport::TempFolder& dir, const std::string& script) {
    Outcome r;
    const std::string exe = std::string(ZEPHLON_BINARY_DIR) + "/bin/simrun";
    if (!std::filesystem::exists(exe)) return r;
    testsupport::WriteStarterPilot(dir);
    // A test installation has no volumes: the start-up says so first.
    dir.Write("script.txt", std::string(kNoVolumesAnswer) + script);
    const std::string cmd = exe + " --dir " + dir.Root() + " " + dir.Path("script.txt") + " 2>&1";
    const testsupport::CommandResult run = testsupport::RunCommand(cmd);
    r.out = run.out;
    r.status = run.status;
    return r;
}

// Position of `text` in `out` after `from`; npos when absent.
std::size_t After(const std::string& out, const std::string& text, std::size_t from) {
    return from == std::string::npos ? from : out.find(text, from);
}

unsigned long Figure(const std::string& out, const std::string& name) {
    const std::size_t at = out.find(name + "=");
    return at == std::string::npos ? 0 : std::stoul(out.substr(at + name.size() + 1));
}

TEST(SpineStartup, StartsInOrderRunsFramesAndClosesFromTheMenu) {
    if (!std::filesystem::exists(std::string(ZEPHLON_BINARY_DIR) + "/bin/Zephlon.pack"))
        GTEST_SKIP() << "simrun or the resource pack is not built";
    testsupport::TempFolder dir("zephlon-spine");
    dir.MakeFolders("Flights");
    dir.MakeFolders("Data/Nav");
    dir.Write("Flights/Startup.Flt", "[Aircraft]\ntype=1\n");
    for (const char* f : {"na.vor", "na.ndb", "na.ils", "na.apt", "na.wpt", "na.vct"})
        dir.Write(std::string("Data/Nav/") + f, "");
    // Tables that read empty are named as damaged, and the start goes on without them.
    const Outcome r = PlayScript(dir, "answer \"is damaged\" OK always\nframe-interval 16\nwait 2000\nsave " +
                                          dir.Path("out.flt") + "\nmenu 168\nwait 300\n");
    ASSERT_EQ(r.status, 0) << r.out;
    std::size_t at = r.out.find("flight: loaded Flights\\Startup.Flt");
    for (const char* f : {"na.vor", "na.ndb", "na.ils", "na.apt", "na.wpt", "na.vct"})
        at = After(r.out, std::string("nav: load ") + f + ": no ", at);
    at = After(r.out, "start-up done", at);
    at = After(r.out, "dialog Exit", at);
    EXPECT_NE(at, std::string::npos) << r.out;
    EXPECT_NE(r.out.find("exit=0"), std::string::npos);
    // The saved situation carries the start flight's aircraft and the sections that exist.
    const std::string saved = dir.Read("out.flt");
    EXPECT_NE(saved.find("type=1"), std::string::npos) << saved;
    EXPECT_NE(saved.find("[Time]"), std::string::npos);
    // A picture for every tick of the flight.
    EXPECT_GE(Figure(r.out, "frames"), Figure(r.out, "ticks")) << r.out;
    EXPECT_NEAR(static_cast<double>(Figure(r.out, "ticks")), 2000 * 0.0182, 2.0) << r.out;
}

TEST(SpineStartup, MissingStartFlightAndNavigationFilesStillStart) {
    if (!std::filesystem::exists(std::string(ZEPHLON_BINARY_DIR) + "/bin/Zephlon.pack"))
        GTEST_SKIP() << "simrun or the resource pack is not built";
    testsupport::TempFolder dir("zephlon-spine");
    dir.Write("Zephlon.ini",
              "[Settings]\nMainX=5000\nMainY=-300\nMainW=800\nHideCursor=x\n"
              "[MemControl]\nNumBmp=-5\nNumSheet=999999999999\n"
              "[Aircraft]\nAutoComplex=banana\ncrashdetect=7\n");
    const Outcome r = PlayScript(dir,
                                 "answer \"is missing or damaged\" OK\n"
                                 "frame-interval 33\nwait 1000\nmenu 537\nmenu 541\nwait 500\n"
                                 "menu 168\nwait 100\n");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("flight: Flights\\Startup.Flt missing"), std::string::npos);
    EXPECT_NE(r.out.find("nav: load na.vct: missing"), std::string::npos);
    EXPECT_NE(r.out.find("start-up done"), std::string::npos);
    // The placement was pulled back on the 640×480 screen and written at the close.
    const std::string ini = dir.Read("Zephlon.ini");
    EXPECT_NE(ini.find("MainW=640"), std::string::npos) << ini;
    EXPECT_EQ(ini.find("MainX=5000"), std::string::npos) << ini;
    EXPECT_NE(ini.find("MainY=0"), std::string::npos) << ini;
    // 1 s at normal speed, then half a second at 16 times: the clock follows simulated time.
    EXPECT_NEAR(static_cast<double>(Figure(r.out, "ticks")), 18.2 + 0.5 * 16 * 18.2, 3.0) << r.out;
}

// The readouts over the picture, by night (white text, dark shadow) and by day (black text,
// light shadow): status line and brakes, compared with tests/golden/spine_readouts_*.bmp
// (ZEPHLON_UPDATE_GOLDEN=1 rewrites them).
TEST(SpineStartup, ReadoutsMatchTheirGoldenPictures) {
    if (!std::filesystem::exists(std::string(ZEPHLON_BINARY_DIR) + "/bin/Zephlon.pack"))
        GTEST_SKIP() << "simrun or the resource pack is not built";
    struct Case {
        const char* name;
        unsigned periodCommand;
    };
    for (const Case c : {Case{"night", 180}, Case{"day", 178}}) {
        testsupport::TempFolder dir("zephlon-spine");
        dir.MakeFolders("Flights");
        dir.Write("Flights/Startup.Flt",
                  "[Aircraft]\ntype=0\nfmLBrake=1\nfmRBrake=1\nfmHead=16384\n");
        const std::string shot = dir.Path("shot.bmp");
        const Outcome r =
            PlayScript(dir, "frame-interval 20\nwait 500\nmenu " + std::to_string(c.periodCommand) +
                                "\nmenu 1665\nmenu 712\nwait 500\nscreenshot " + shot +
                                "\nmenu 168\nwait 100\n");
        ASSERT_EQ(r.status, 0) << r.out;
        const std::string picture = dir.Read("shot.bmp");
        ASSERT_FALSE(picture.empty()) << r.out;
        EXPECT_TRUE(testsupport::MatchesGolden(std::string("spine_readouts_") + c.name + ".bmp", picture)) << c.name;
    }
}

// Leaving from the menu while the first start's pilot dialog waits ends the program there:
// the start-up goes no further once the world has gone down, and the exit is clean.
TEST(SpineStartup, LeavingWhileThePilotIsChosenEndsTheStartUp) {
    if (!std::filesystem::exists(std::string(ZEPHLON_BINARY_DIR) + "/bin/Zephlon.pack"))
        GTEST_SKIP() << "simrun or the resource pack is not built";
    testsupport::TempFolder dir("zephlon-spine");
    dir.Write("script.txt", std::string(kNoVolumesAnswer) + "wait 100\nmenu 168\nwait 100\n");
    const std::string exe = std::string(ZEPHLON_BINARY_DIR) + "/bin/simrun";
    const testsupport::CommandResult run =
        testsupport::RunCommand(exe + " --dir " + dir.Root() + " " + dir.Path("script.txt") + " 2>&1");
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_NE(run.out.find("dialog Exit ended 1"), std::string::npos) << run.out;
    EXPECT_EQ(run.out.find("start-up done"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("exit=0"), std::string::npos) << run.out;
}

// A second copy in the same installation activates the first and ends with -1 at once. The first
// copy keeps running (and answering the second) until the test lets it go, however fast or slow
// the machine is.
TEST(SpineStartup, SecondCopyEndsWithMinusOne) {
    const std::string exe = std::string(ZEPHLON_BINARY_DIR) + "/bin/simrun";
    if (!std::filesystem::exists(std::string(ZEPHLON_BINARY_DIR) + "/bin/Zephlon.pack"))
        GTEST_SKIP() << "simrun or the resource pack is not built";
    testsupport::TempFolder dir("zephlon-spine");
    const std::string go = dir.Path("go");
    std::string hold = "frame-interval 5\n";
    for (int i = 0; i < 400; ++i)
        hold += "wait 20\nshell \"[ -e " + go + " ] || sleep 0.1\"\n";
    dir.Write("long.txt", hold + "menu 168\nwait 100\n");
    const std::string first = exe + " --dir " + dir.Root() + " " + dir.Path("long.txt") + " 2>&1";
    FILE* p = popen(first.c_str(), "r");
    ASSERT_NE(p, nullptr);
    // The first copy holds the installation's lock once it has started.
    bool started = false;
    for (int i = 0; i < 1200 && !started; ++i) {
        const int fd = open(dir.Path(".zephlon.lock").c_str(), O_RDWR | O_CLOEXEC);
        if (fd >= 0) {
            if (flock(fd, LOCK_EX | LOCK_NB) != 0)
                started = true;
            else
                flock(fd, LOCK_UN);
            close(fd);
        }
        if (!started) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    const Outcome second = PlayScript(dir, "wait 100\n");
    std::ofstream(go) << "go\n";
    std::string out;
    char buf[512];
    while (std::fgets(buf, sizeof buf, p) != nullptr)
        out += buf;
    pclose(p);
    ASSERT_TRUE(started) << out;
    EXPECT_NE(second.out.find("exit=-1"), std::string::npos) << second.out;
    EXPECT_NE(out.find("exit=0"), std::string::npos) << out;
}

}  // namespace
