// The video window against the clip's own clock: decoding every 320×240 RLE8 frame of a
// ground-school video (the starter installation's "Controls", or a made clip of changing
// slides when there is none), painting it into the window and composing the 640×480 frame,
// against a memcpy of the 32-bit frame for each frame presented (goal: within 49), the
// multiple of real time beside it; and a minute of headless play in 10 ms steps with its sound,
// which must never let the card overtake the sound written.
#include <benchmark/benchmark.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench/goal.h"
#include "bench/paired.h"
#include "platform/headless/headless_backend.h"
#include "win/avi_file.h"
#include "win/compositor.h"
#include "win/video_window.h"
#include "win/window.h"
#include "win/window_internal.h"

namespace {

using namespace win;

// Slides of stripes that move every `every` frames, 4 frames a second, with sound.
std::vector<std::uint8_t> MadeClip(int seconds, int every) {
    AviContents s;
    s.width = 320;
    s.height = 240;
    s.rate = 4;
    for (int i = 0; i < 256; ++i) s.palette[i] = static_cast<std::uint32_t>(i * 0x010101);
    std::vector<std::uint8_t> previous, picture(320 * 240);
    for (int f = 0; f < seconds * 4; ++f) {
        const int slide = f / every;
        for (int y = 0; y < 240; ++y)
            for (int x = 0; x < 320; ++x)
                picture[y * 320 + x] = static_cast<std::uint8_t>(((x + slide * 13) / 9 + (y / 17) * (slide + 1)) % 12 + 20);
        s.frames.push_back(EncodeRle8(picture.data(), previous.empty() ? nullptr : previous.data(), 320, 240));
        s.keyFrames.push_back(previous.empty());
        previous = picture;
    }
    s.soundRate = 11025;
    s.sound.resize(static_cast<std::size_t>(seconds) * 11025);
    for (std::size_t i = 0; i < s.sound.size(); ++i) s.sound[i] = static_cast<std::uint8_t>(128 + 60 * ((i / 25) % 2));
    return MakeAviImage(s);
}

std::string ClipPath() {
    const std::string installed = ZEPHLON_BINARY_DIR "/install/train/f98.avi";
    if (std::ifstream(installed).good()) return installed;
    const std::string made = "/tmp/zephlon-video-bench.avi";
    const auto bytes = MadeClip(40, 40);
    std::ofstream(made, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return made;
}

LResult Plain(HWND h, std::uint32_t m, WParam w, LParam l) {
    return DefWindowProc(h, m, w, l);
}

struct Machine {
    platform::HeadlessBackend backend;
    HWND main;
    Machine() {
        platform::SetCurrentBackend(&backend);
        detail::ResetWindowSystem();
        WNDCLASS wc;
        wc.className = "BenchMain";
        wc.wndProc = Plain;
        RegisterClass(wc);
        main = CreateWindowEx(0, "BenchMain", "Main", WS_VISIBLE, 0, 0, 640, 480, {}, {}, {}, 0);
    }
    ~Machine() {
        detail::ResetWindowSystem();
        platform::SetCurrentBackend(nullptr);
    }
};

// Decoding, painting, composing and presenting a frame against memcpy of the 32-bit frame: at
// most this.
constexpr double kVideoGoal = 49.0;

void BM_DecodeAndPresentAgainstTheClipsClock(benchmark::State& state) {
    Machine m;
    const std::string path = ClipPath();
    // Maximised, as a full-screen video plays: each frame is doubled to 640×480 and composed.
    const HWND v = MCIWndCreate(m.main, {}, WS_POPUP | WS_VISIBLE | WS_MAXIMIZE | MCIWNDF_NOPLAYBAR, path);
    AviClip clip;
    std::ifstream in(path, std::ios::binary);
    std::string why;
    if (!v || !ReadAviClip({std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()}, &clip, &why)) {
        state.SkipWithError("the clip does not open");
        return;
    }
    const long frames = static_cast<long>(clip.FrameCount());
    ResetVideoWindowStats();
    const std::uint64_t presentsBefore = m.backend.Screen().Frames();
    double seconds = 0;
    const auto play = [&] {
        SendMessage(v, MCI_SEEK, 0, 0);
        for (long f = 1; f < frames; ++f) {
            SendMessage(v, MCI_SEEK, 0, f);
            PresentNow();
        }
    };
    for (auto _ : state) {
        const double t0 = benchsupport::ThreadSeconds();
        play();
        seconds += benchsupport::ThreadSeconds() - t0;
    }
    const auto& stats = GetVideoWindowStats();
    const std::uint64_t presents = m.backend.Screen().Frames() - presentsBefore;
    if (stats.framesDecoded == 0 || presents == 0) {
        state.SkipWithError("nothing was decoded or presented");
        return;
    }
    const double clipSeconds = static_cast<double>(clip.VideoMicros()) / 1e6 * static_cast<double>(state.iterations());
    state.counters["frames"] = static_cast<double>(stats.framesDecoded);
    state.counters["presents"] = static_cast<double>(presents);
    // A pass of the clip against as many memcpys of the 32-bit frame as it presents.
    const auto presentsPerPass =
        static_cast<int>(presents / static_cast<std::uint64_t>(state.iterations()));
    benchsupport::MemcpyReference memcpy32(640 * 480 * 4, std::max(presentsPerPass, 1));
    const double ratio = benchsupport::PairedRatio(play, memcpy32, 11);
    benchsupport::Goals goals(state);
    goals.AtMost("per_memcpy32", ratio, kVideoGoal);
    goals.Note("x_real_time", clipSeconds / seconds);
}
BENCHMARK(BM_DecodeAndPresentAgainstTheClipsClock)->Unit(benchmark::kMillisecond);

void BM_HeadlessMinuteWithoutUnderrun(benchmark::State& state) {
    Machine m;
    const std::string path = "/tmp/zephlon-video-bench-minute.avi";
    const auto bytes = MadeClip(60, 12);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    double seconds = 0;
    std::uint64_t underruns = 0;
    for (auto _ : state) {
        ResetVideoWindowStats();
        const HWND v = MCIWndCreate(m.main, {}, WS_CHILD | WS_VISIBLE | MCIWNDF_NOPLAYBAR, path);
        const double t0 = benchsupport::ThreadSeconds();
        SendMessage(v, MCI_PLAY, 0, 0);
        int steps = 0;
        while (SendMessage(v, MCIWNDM_GETMODEA, 0, 0) == MCI_MODE_PLAY && steps < 7000) {
            m.backend.Time().Advance(10);
            MSG msg;
            while (PeekMessage(&msg, {}, 0, 0, PM_REMOVE)) DispatchMessage(&msg);
            PresentNow();
            ++steps;
        }
        seconds += benchsupport::ThreadSeconds() - t0;
        DestroyWindow(v);
        const auto& stats = GetVideoWindowStats();
        if (stats.soundUnderruns != 0 || stats.framesShown < 240 || steps >= 7000) {
            state.SkipWithError("the sound ran dry or the clip did not play to its end");
            return;
        }
        underruns += stats.soundUnderruns;
        state.counters["frames_shown"] = static_cast<double>(stats.framesShown);
        state.counters["sound_bytes"] = static_cast<double>(stats.soundBytesWritten);
    }
    benchsupport::Goals goals(state);
    goals.AtMost("underruns", static_cast<double>(underruns), 0);
    goals.Note("x_real_time", 60.0 * static_cast<double>(state.iterations()) / seconds);
}
BENCHMARK(BM_HeadlessMinuteWithoutUnderrun)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
