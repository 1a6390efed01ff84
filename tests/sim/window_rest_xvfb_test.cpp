// The real program in a window on an X display, parked at San Carlos and in cruise over it: its
// loop rests until the flight's next tick, the sound card's next feed or input, so the system
// counts few wake-ups of its thread (the kernel's count of the times it gave the processor away),
// and the engine's sound, captured by SDL's disk driver as a card would play it, never breaks.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "support/starter_run.h"
#include "support/xvfb.h"

namespace {

using Clock = std::chrono::steady_clock;

// The program's own thread's voluntary context switches so far; -1 when it is gone.
long WakeUps(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/task/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(in, line);)
        if (line.rfind("voluntary_ctxt_switches:", 0) == 0) return std::stol(line.substr(24));
    return -1;
}

// zephlon on the installation in `dir`, its sound written raw to `audio`.
pid_t Start(const testsupport::TempFolder& dir, const std::string& display,
            const std::string& audio) {
    const std::string exe = std::string(ZEPHLON_BINARY_DIR) + "/bin/zephlon";
    std::vector<std::string> env = {"DISPLAY=" + display, "SDL_VIDEODRIVER=x11",
                                    "SDL_RENDER_DRIVER=software", "SDL_AUDIODRIVER=disk",
                                    "SDL_DISKAUDIOFILE=" + audio,
                                    // The display's libraries keep memory to the end.
                                    "ASAN_OPTIONS=detect_leaks=0", "HOME=" + dir.Root()};
    std::vector<std::string> args = {exe, "--dir", dir.Root()};
    std::vector<char*> argv, envp;
    for (std::string& a : args)
        argv.push_back(a.data());
    for (std::string& e : env)
        envp.push_back(e.data());
    argv.push_back(nullptr);
    envp.push_back(nullptr);
    pid_t pid = -1;
    return posix_spawn(&pid, exe.c_str(), nullptr, nullptr, argv.data(), envp.data()) == 0 ? pid
                                                                                           : -1;
}

// Whether the start-up is done: it writes the settings once it is.
bool Started(const testsupport::TempFolder& dir) {
    for (auto until = Clock::now() + std::chrono::seconds(60); Clock::now() < until;) {
        if (dir.Read("Zephlon.ini").find("[Joysticks]") != std::string::npos) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

void Stop(pid_t pid) {
    kill(pid, SIGTERM);
    for (int i = 0; i < 300 && waitpid(pid, nullptr, WNOHANG) == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    if (kill(pid, 0) == 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
}

struct Measured {
    double wakeUpsPerSecond = -1;
    std::vector<std::int16_t> sound;  // 22,050 Hz stereo
};

Measured Fly(const xvfb::Server& server, const char* flight) {
    testsupport::StarterRun run("zephlon-rest", flight);
    const std::string audio = run.Dir().Path("audio.raw");
    Measured m;
    const pid_t pid = Start(run.Dir(), server.Display(), audio);
    EXPECT_GT(pid, 0);
    if (pid <= 0) return m;
    if (Started(run.Dir())) {
        std::this_thread::sleep_for(std::chrono::seconds(1));
        const long from = WakeUps(pid);
        const Clock::time_point t0 = Clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(3));
        const long to = WakeUps(pid);
        const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
        if (from >= 0 && to >= from) m.wakeUpsPerSecond = static_cast<double>(to - from) / seconds;
    } else {
        ADD_FAILURE() << "the program did not start";
    }
    Stop(pid);
    std::ifstream in(audio, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    m.sound.resize(bytes.size() / 2);
    for (std::size_t i = 0; i < m.sound.size(); ++i)
        m.sound[i] = static_cast<std::int16_t>(static_cast<std::uint8_t>(bytes[2 * i]) |
                                               static_cast<std::uint8_t>(bytes[2 * i + 1]) << 8);
    return m;
}

// The longest run of silence (both channels 0) in the sound after its first half second, in
// frames.
std::size_t LongestSilence(const std::vector<std::int16_t>& sound) {
    std::size_t longest = 0, run = 0;
    for (std::size_t f = 11025; f < sound.size() / 2; ++f) {
        run = sound[2 * f] == 0 && sound[2 * f + 1] == 0 ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return longest;
}

TEST(WindowRestOnXvfb, TheLoopWakesForTicksSoundAndInputAlone) {
    if (!testsupport::StarterRun::Built()) GTEST_SKIP() << "the starter installation is not built";
    xvfb::Server server(380, 440);
    if (!server.Start()) GTEST_SKIP() << "Xvfb missing or not startable";
    // A loop that rested 5 ms at a time woke about 200 times a second, parked or flying. The
    // flight ticks 18.2 times a second, and in flight the sound fed as the loop wakes to draw
    // lasts until the next picture: about one wake-up a tick. Parked, the card is fed about
    // every 70 ms.
    const Measured parked = Fly(server, "Startup.Flt");
    EXPECT_GT(parked.wakeUpsPerSecond, 0);
    EXPECT_LT(parked.wakeUpsPerSecond, 100);
    const Measured cruise = Fly(server, "Cruise.Flt");
    EXPECT_GT(cruise.wakeUpsPerSecond, 0);
    EXPECT_LT(cruise.wakeUpsPerSecond, 40);
    // Seconds of the engine's sound, never silent for 10 ms (a card that ran dry plays zeros).
    ASSERT_GT(cruise.sound.size(), 2u * 22050 * 2);
    EXPECT_LT(LongestSilence(cruise.sound), 220u);
}

}  // namespace
