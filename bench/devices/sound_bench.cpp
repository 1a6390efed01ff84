// The sound and stick hot paths, each beside a peer measured in the same run:
// - mixing 11 buffers at other rates than the card's, 10 ms of output a turn, against real time
//   (goal: 50 times faster than real time on one core) and against memcpy of the output;
// - playing a clip on a channel (lookup, RIFF parse, buffer fill) against reading its member
//   (goal: 2 times or less);
// - a speech step that copies one word into the ring against copying the word's bytes
//   (goal: 3 times or less);
// - a joystick poll against the time a flight step may take at speed-up 4 (goal: under 1 % of a
//   tick for the 16 polls of a tick).
// Each counts what it produced (frames, bytes, words, polls) and fails when it produced nothing.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <numbers>
#include <string>
#include <vector>

#include "bench/goal.h"
#include "core/ini_file.h"
#include "core/resource_volume.h"
#include "core/volume_stream.h"
#include "devices/joystick.h"
#include "devices/sound_device.h"
#include "devices/speech_queue.h"
#include "devices/wave.h"
#include "platform/headless/headless_backend.h"
#include "win/dsound.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> Tone(double hz, int rate, double seconds) {
    std::vector<std::uint8_t> v(static_cast<std::size_t>(rate * seconds));
    for (std::size_t i = 0; i < v.size(); ++i)
        v[i] = static_cast<std::uint8_t>(std::lround(
            128 + 90 * std::sin(2 * std::numbers::pi * hz * static_cast<double>(i) / rate)));
    return v;
}

// A folder of its own with a volume of clips, the settings file in it, and sound open on the
// headless machine.
struct SoundBench {
    SoundBench() {
        char pattern[] = "/tmp/zephlon-sound-bench-XXXXXX";
        if (mkdtemp(pattern) == nullptr) return;
        dir = pattern;
        platform::SetCurrentBackend(&machine);
        core::theIniFile = core::IniFile((dir + "/bench.ini").c_str());
        core::VolumeRWStream v;
        const std::string path = dir + "/fx.vol";
        bool ok = v.CreateVolume(path, 256, 8) != 0;
        const std::vector<std::uint8_t> click = Tone(2000, 11025, 0.1);
        const std::vector<std::uint8_t> word = Tone(700, 11025, 0.5);
        for (const auto& [id, samples] :
             {std::pair{12, click}, std::pair{7, word}, std::pair{195, word}}) {
            const std::vector<std::uint8_t> image =
                devices::MakeWaveImage(11025, 1, 8, samples.data(), samples.size());
            ok = ok && v.AddEntry(devices::CWave::LoadFile(nullptr, id), core::kVolumeStored, 0) &&
                 v.Write(static_cast<std::uint32_t>(image.size()), image.data()) && v.CloseEntry();
        }
        ok = ok && v.CloseVolume();
        ready = ok;
        core::theSoundEffectsVolume.SetNames(path.c_str(), (dir + "/none").c_str(), 0);
        core::theTowerAtcVolume.SetNames(path.c_str(), (dir + "/none").c_str(), 0);
        ready = ready && devices::InitSound(win::HWND{}) == 1;
    }
    ~SoundBench() {
        devices::ShutdownSound();
        platform::SetCurrentBackend(nullptr);
        std::error_code ignored;
        if (!dir.empty()) fs::remove_all(dir, ignored);
    }
    platform::HeadlessBackend machine;
    std::string dir;
    bool ready = false;
};

constexpr int kOutputRate = 11025;
constexpr std::uint32_t kTurnMs = 10;

void BM_MixElevenResampledBuffers(benchmark::State& state) {
    SoundBench bench;
    if (!bench.ready) return state.SkipWithError("no sound");
    std::vector<win::DirectSoundBuffer*> buffers;
    // Engines, wind, speech and effects at the rates the program gives them.
    const std::uint32_t rates[11] = {16500, 10125, 10875, 13000, 22050, 8000,
                                     11025, 31900, 9000,  14625, 15375};
    for (std::uint32_t rate : rates) {
        const std::vector<std::uint8_t> samples = Tone(300, 11025, 1.0);
        win::WAVEFORMATEX f = {win::WAVE_FORMAT_PCM, 1, 11025, 11025, 1, 8, 0};
        win::DSBUFFERDESC d;
        d.dwFlags = win::DSBCAPS_STATIC | win::DSBCAPS_CTRLDEFAULT;
        d.dwBufferBytes = static_cast<std::uint32_t>(samples.size());
        d.lpwfxFormat = &f;
        win::DirectSoundBuffer* b = nullptr;
        if (devices::theSoundDevice.CreateBuffer(d, &b) == 0) return state.SkipWithError("buffer");
        void* p1 = nullptr;
        std::uint32_t n1 = 0;
        b->Lock(0, d.dwBufferBytes, &p1, &n1, nullptr, nullptr, 0);
        std::memcpy(p1, samples.data(), n1);
        b->Unlock(p1, n1, nullptr, 0);
        b->SetFrequency(rate);
        b->SetVolume(-600);
        b->Play(0, 0, win::DSBPLAY_LOOPING);
        buffers.push_back(b);
    }
    std::size_t frames = 0;
    const benchsupport::LoopClock clock;
    for (auto _ : state) {
        bench.machine.Time().Advance(kTurnMs);
        win::MixDirectSound();
        frames += kOutputRate * kTurnMs / 1000;
        if (bench.machine.Sound().QueuedSamples() > (1u << 22))
            bench.machine.Sound().ClearCaptured();
    }
    const double turn = clock.PerIteration(state);
    for (win::DirectSoundBuffer* b : buffers)
        b->Release();
    if (frames == 0) state.SkipWithError("nothing mixed");
    // Seconds of sound mixed per second: how many times faster than real time.
    benchsupport::Goals goals(state);
    goals.AtLeast("x_real_time", kTurnMs / 1000.0 / turn, 50.0);
    goals.Note("per_memcpy_of_the_output", turn / benchsupport::MemcpySeconds(4 * kOutputRate * kTurnMs / 1000));
    state.SetBytesProcessed(static_cast<std::int64_t>(frames) * 4);
}
BENCHMARK(BM_MixElevenResampledBuffers);

void BM_MemcpyOfTheMixedOutput(benchmark::State& state) {
    std::vector<std::int16_t> from(2 * kOutputRate * kTurnMs / 1000, 3), to(from.size());
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size() * 2);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(from.size() * 2));
}
BENCHMARK(BM_MemcpyOfTheMixedOutput);

// Reads clip 12's member whole; its size, 0 when it cannot be read.
std::uint32_t ReadClipMember(std::vector<std::uint8_t>& into) {
    core::ResourceVolume& v = core::theSoundEffectsVolume;
    if (!v.OpenFile("12.wav")) return 0;
    const auto n = static_cast<std::uint32_t>(v.GetStream()->GetEntrySize("12.wav"));
    const bool read = n <= into.size() && core::ReadAll(*v.GetStream(), n, into.data());
    v.CloseFile();
    return read ? n : 0;
}

void BM_PlayAClip(benchmark::State& state) {
    SoundBench bench;
    if (!bench.ready) return state.SkipWithError("no sound");
    std::int64_t bytes = 0;
    const benchsupport::LoopClock clock;
    for (auto _ : state) {
        if (devices::theEffectSound.Play(12, 0, 0, 0, 0, 0) != 1)
            return state.SkipWithError("play");
        bytes += devices::theEffectSound.bufferBytes;
    }
    const double play = clock.PerIteration(state);
    state.SetBytesProcessed(bytes);
    std::vector<std::uint8_t> into(64 * 1024);
    const double read = benchsupport::MedianSeconds([&] {
        for (int i = 0; i < 20; ++i) ReadClipMember(into);
    }) / 20.0;
    benchsupport::Goals goals(state);
    goals.AtMost("per_member_read", play / read, 2.0);
}
BENCHMARK(BM_PlayAClip);

void BM_ReadTheClipsMember(benchmark::State& state) {
    SoundBench bench;
    if (!bench.ready) return state.SkipWithError("no sound");
    std::vector<std::uint8_t> into(64 * 1024);
    std::int64_t bytes = 0;
    for (auto _ : state) {
        const std::uint32_t n = ReadClipMember(into);
        if (n == 0) return state.SkipWithError("member");
        bytes += n;
    }
    state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_ReadTheClipsMember);

void BM_SpeechStepOfOneWord(benchmark::State& state) {
    SoundBench bench;
    if (!bench.ready) return state.SkipWithError("no sound");
    devices::SpeechQueue q;
    if (q.OpenWordFolder("w") == 0) return state.SkipWithError("buffer");
    std::int64_t words = 0;
    // The buffer stands at 0; each turn writes the word there again.
    q.QueuePhrase(0, 0, 0);
    const benchsupport::LoopClock clock;
    for (auto _ : state) {
        q.writePos = 0;
        q.AppendWord(7);
        words += q.PutWordsFromQueueIntoBuffer(win::HWND{}, 1);
    }
    const double step = clock.PerIteration(state);
    if (words == 0) state.SkipWithError("no word copied");
    state.SetBytesProcessed(words * 5512);
    benchsupport::Goals goals(state);
    goals.AtMost("per_memcpy_of_the_word", step / benchsupport::MemcpySeconds(5512), 3.0);
}
BENCHMARK(BM_SpeechStepOfOneWord);

void BM_CopyingAWordsBytes(benchmark::State& state) {
    std::vector<std::uint8_t> from(5512, 0x80), to(150000);
    for (auto _ : state) {
        std::memcpy(to.data() + 1000, from.data(), from.size());
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 5512);
}
BENCHMARK(BM_CopyingAWordsBytes);

void BM_JoystickPoll(benchmark::State& state) {
    platform::HeadlessBackend machine;
    platform::SetCurrentBackend(&machine);
    char pattern[] = "/tmp/zephlon-stick-bench-XXXXXX";
    const std::string dir = mkdtemp(pattern) != nullptr ? pattern : "/tmp";
    core::theIniFile = core::IniFile((dir + "/bench.ini").c_str());
    platform::JoystickInfo info;
    info.name = "Bench Stick";
    info.axes = 4;
    info.buttons = 8;
    info.hats = 1;
    machine.Sticks().Plug(info);
    devices::Joystick stick;
    if (stick.Detect(win::HWND{}) != 1 || !stick.IsPresent())
        return state.SkipWithError("no stick");
    std::int64_t polls = 0;
    std::int16_t x = 0;
    const benchsupport::LoopClock clock;
    for (auto _ : state) {
        machine.Sticks().SetAxis(0, 0, x += 97);
        stick.Poll();
        ++polls;
    }
    const double poll = clock.PerIteration(state);
    platform::SetCurrentBackend(nullptr);
    std::error_code ignored;
    fs::remove_all(dir, ignored);
    if (polls == 0) state.SkipWithError("no poll");
    // The share of a tick (1/18.2 s) the 16 polls of a tick at speed-up 4 take.
    benchsupport::Goals goals(state);
    goals.AtMost("of_tick", 16.0 * poll * 18.2, 0.01);
}
BENCHMARK(BM_JoystickPoll);

}  // namespace
