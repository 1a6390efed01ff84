// The real program full screen on a 1920×1080 X display against its 640×480 window on the same
// display, parked and in cruise: a full screen sends the display a picture only when one of its
// rows changed, so its loop wakes about as often as the window's and the X server, which does the
// work of every picture sent, stays about as idle.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "support/run_command.h"
#include "support/starter_run.h"
#include "support/xvfb.h"
#include "support/zephlon_on_display.h"

namespace {

// A process's processor time so far, in clock ticks; its voluntary context switches (the times
// its thread gave the processor away, a wait for the display among them).
long CpuTicks(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), {});
    const std::size_t close = text.rfind(')');
    if (close == std::string::npos) return -1;
    std::istringstream fields(text.substr(close + 2));
    std::string f;
    long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && fields >> f; ++i) {
        if (i == 14) utime = std::stol(f);
        if (i == 15) stime = std::stol(f);
    }
    return utime + stime;
}

long WakeUps(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(in, line);)
        if (line.rfind("voluntary_ctxt_switches:", 0) == 0) return std::stol(line.substr(24));
    return -1;
}

struct Rest {
    double wakeUpsPerSecond = -1;
    double serverTicksPerSecond = -1;  // the X server's processor time
};

Rest Measure(const xvfb::Server& server, const char* flight, bool fullScreen) {
    testsupport::StarterRun run("zephlon-fullrest", flight);
    Rest r;
    const pid_t pid = testsupport::StartZephlon(run.Dir(), server.Display());
    if (pid <= 0 || !testsupport::WaitForStart(pid, run.Dir().Path("Zephlon.ini"))) {
        ADD_FAILURE() << "the program did not start";
        return r;
    }
    if (fullScreen) {
        testsupport::RunCommand("DISPLAY=" + server.Display() + " " + xvfb::FindTool("xdotool") +
                                " key alt+Return 2>&1");
        std::this_thread::sleep_for(std::chrono::seconds(2));
    }
    const long wake0 = WakeUps(pid), server0 = CpuTicks(server.Pid());
    const auto t0 = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(4));
    const long wake1 = WakeUps(pid), server1 = CpuTicks(server.Pid());
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    if (fullScreen) {
        // Full screen indeed: the picture reaches the screen's last row.
        const std::vector<unsigned char> photo =
            xvfb::Photograph(server.Display(), xvfb::FindTool("convert"));
        EXPECT_EQ(photo.size(), 1920u * 1080 * 3);
        if (photo.size() == 1920u * 1080 * 3) {
            EXPECT_NE(xvfb::At(photo, 960, 1075, 1920), 0u) << "not full screen";
        }
    }
    testsupport::Close(pid);
    if (wake0 >= 0 && wake1 >= wake0)
        r.wakeUpsPerSecond = static_cast<double>(wake1 - wake0) / seconds;
    if (server0 >= 0 && server1 >= server0)
        r.serverTicksPerSecond = static_cast<double>(server1 - server0) / seconds;
    return r;
}

TEST(FullScreenRestOnXvfb, PresentsOnlyWhatChangedLikeTheWindow) {
    if (!testsupport::StarterRun::Built()) GTEST_SKIP() << "the starter installation is not built";
    if (xvfb::FindTool("xdotool").empty() || xvfb::FindTool("xwd").empty() ||
        xvfb::FindTool("convert").empty())
        GTEST_SKIP() << "xdotool, xwd or convert missing";
    xvfb::Server server(440, 500, "1920x1080x24");
    if (!server.Start()) GTEST_SKIP() << "Xvfb missing or not startable";
    // Parked, a full screen that sent its whole picture every tick woke 18 more times a second
    // than the window and kept the X server at 2 % of a core against nothing.
    for (const char* flight : {"Startup.Flt", "Cruise.Flt"}) {
        const Rest window = Measure(server, flight, false);
        const Rest full = Measure(server, flight, true);
        ASSERT_GT(window.wakeUpsPerSecond, 0) << flight;
        ASSERT_GE(full.wakeUpsPerSecond, 0) << flight;
        EXPECT_LT(full.wakeUpsPerSecond, window.wakeUpsPerSecond + 8) << flight;
        if (std::string(flight) == "Startup.Flt") {
            EXPECT_LE(full.serverTicksPerSecond, window.serverTicksPerSecond + 1.0) << flight;
        }
        std::printf("%s: window %.1f wake-ups/s, server %.2f ticks/s; full screen %.1f, %.2f\n",
                    flight, window.wakeUpsPerSecond, window.serverTicksPerSecond,
                    full.wakeUpsPerSecond, full.serverTicksPerSecond);
    }
}

}  // namespace
