// The real program in a window on an X display, parked at San Carlos and in cruise over it: its
// loop rests until the flight's next tick, the sound card's next feed or input, so the system
// counts few wake-ups of its thread (the kernel's count of the times it gave the processor away),
// and the engine's sound, captured by SDL's disk driver as a card would play it, never breaks.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "support/run_command.h"
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

// A file's size; 0 while it is not there.
std::uintmax_t FileSize(const std::string& path) {
    std::error_code ec;
    const auto n = std::filesystem::file_size(path, ec);
    return ec ? std::uintmax_t{0} : n;
}

// The program's window, brought to the front by xdotool (`x` runs it on the display); its id.
std::string FrontWindow(const std::string& x, pid_t pid) {
    std::string window =
        testsupport::RunCommand(x + "search --pid " + std::to_string(pid) + " | head -1").out;
    while (!window.empty() && (window.back() == '\n' || window.back() == ' '))
        window.pop_back();
    testsupport::RunCommand(x + "windowactivate " + window + " 2>&1");
    return window;
}

// The starter's sound, from the key to the card, parked and silent before. SDL's disk driver
// writes the card's sound (11,025 Hz, stereo, 16 bits) as its time comes, through a file buffer
// that reaches the file 4 KB at a time: each time the file grows, its bytes have played no
// later than then, which places the file's first frame in time. The frame playing when the
// key is pressed follows from that; the milliseconds from it to the first frame of the
// starter's sound are what the pilot waits.
TEST(WindowRestOnXvfb, AKeysSoundIsHeardWithinATenthOfASecond) {
    if (!testsupport::StarterRun::Built()) GTEST_SKIP() << "the starter installation is not built";
    const std::string xdotool = xvfb::FindTool("xdotool");
    if (xdotool.empty()) GTEST_SKIP() << "xdotool missing";
    xvfb::Server server(380, 440);
    if (!server.Start()) GTEST_SKIP() << "Xvfb missing or not startable";
    testsupport::StarterRun run("zephlon-latency", "Startup.Flt");
    const std::string audio = run.Dir().Path("audio.raw");
    const pid_t pid = Start(run.Dir(), server.Display(), audio);
    ASSERT_GT(pid, 0);
    constexpr double kRate = 11025;
    const auto size = [&] { return FileSize(audio); };
    // The time the file's first frame played: the latest that every growth allows.
    double first = -1e9, pressed = 0;
    int growths = 0;
    const Clock::time_point origin = Clock::now();
    const auto now = [&] { return std::chrono::duration<double>(Clock::now() - origin).count(); };
    if (Started(run.Dir())) {
        std::this_thread::sleep_for(std::chrono::seconds(2));
        const std::string x = "DISPLAY=" + server.Display() + " " + xdotool + " ";
        const std::string window = FrontWindow(x, pid);
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        std::uintmax_t last = size();
        for (const double until = now() + 1.5; now() < until;) {
            const std::uintmax_t n = size();
            if (n == last) continue;
            last = n;
            ++growths;
            first = std::max(first, now() - static_cast<double>(n) / (kRate * 4));
        }
        pressed = now();
        testsupport::RunCommand(x + "key --window " + window + " s");
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    } else {
        ADD_FAILURE() << "the program did not start";
    }
    Stop(pid);
    ASSERT_GT(growths, 3) << "the card's sound did not grow";
    std::ifstream in(audio, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    const auto loud = [&](std::size_t f) {
        for (std::size_t c = 0; c < 2; ++c) {
            const auto v =
                static_cast<std::int16_t>(static_cast<std::uint8_t>(bytes[4 * f + 2 * c]) |
                                          static_cast<std::uint8_t>(bytes[4 * f + 2 * c + 1]) << 8);
            if (std::abs(v) > 200) return true;
        }
        return false;
    };
    const auto playing = static_cast<std::size_t>((pressed - first) * kRate);
    ASSERT_LT(playing, bytes.size() / 4);
    // Quiet for the half second before the key, so that the first sound is the key's.
    for (std::size_t f = playing > 5512 ? playing - 5512 : 0; f < playing; ++f)
        ASSERT_FALSE(loud(f)) << "sound before the key at " << f << " of " << playing;
    std::size_t heard = 0;
    for (std::size_t f = playing; f < bytes.size() / 4 && heard == 0; ++f)
        if (loud(f)) heard = f;
    ASSERT_GT(heard, 0u) << "no sound after the key";
    const double ms = static_cast<double>(heard - playing) * 1000.0 / kRate;
    std::printf("key to sound: %.0f ms\n", ms);
    EXPECT_LT(ms, 100.0) << "from frame " << playing << " to " << heard;
}

// A dialog stops the flight's clock but leaves the sound card open: SDL's disk driver starts its
// file afresh each time the card opens, so the file that only grows through a dialog (Save
// Flight, opened with Ctrl+F and closed with Escape, twice) shows the card stayed open.
TEST(WindowRestOnXvfb, TheSoundCardStaysOpenAcrossDialogs) {
    if (!testsupport::StarterRun::Built()) GTEST_SKIP() << "the starter installation is not built";
    const std::string xdotool = xvfb::FindTool("xdotool");
    if (xdotool.empty()) GTEST_SKIP() << "xdotool missing";
    xvfb::Server server(380, 440);
    if (!server.Start()) GTEST_SKIP() << "Xvfb missing or not startable";
    testsupport::StarterRun run("zephlon-card-open", "Cruise.Flt");
    const std::string audio = run.Dir().Path("audio.raw");
    const pid_t pid = Start(run.Dir(), server.Display(), audio);
    ASSERT_GT(pid, 0);
    const auto size = [&] { return FileSize(audio); };
    std::vector<std::uintmax_t> sizes;
    if (Started(run.Dir())) {
        std::this_thread::sleep_for(std::chrono::seconds(1));
        const std::string x = "DISPLAY=" + server.Display() + " " + xdotool + " ";
        const std::string window = FrontWindow(x, pid);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        sizes.push_back(size());
        for (int i = 0; i < 2; ++i) {
            testsupport::RunCommand(x + "key --window " + window + " ctrl+f");
            std::this_thread::sleep_for(std::chrono::milliseconds(700));
            sizes.push_back(size());
            testsupport::RunCommand(x + "key Escape");
            std::this_thread::sleep_for(std::chrono::milliseconds(700));
            sizes.push_back(size());
        }
    } else {
        ADD_FAILURE() << "the program did not start";
    }
    Stop(pid);
    ASSERT_EQ(sizes.size(), 5u);
    for (const auto n : sizes)
        std::printf("audio file: %ju bytes\n", n);
    for (std::size_t i = 1; i < sizes.size(); ++i)
        EXPECT_GE(sizes[i], sizes[i - 1]) << "the card was opened again before look " << i;
    // The whole time was written (11,025 four-byte frames a second), less the file buffer's
    // 4 KB at either end.
    EXPECT_GT(sizes.back() + 8192, sizes.front() + static_cast<std::uintmax_t>(2.5 * 11025 * 4));
}

}  // namespace
