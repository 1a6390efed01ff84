// The sound and stick hot paths, each beside a peer measured in the same run:
// - mixing 11 buffers at other rates than the card's, 10 ms of output a turn, against memcpy of
//   the output (goal: within 260 memcpys), how many times faster than real time beside it;
// - playing a clip on a channel (lookup, RIFF parse, buffer fill) against reading its member
//   (goal: 0.013 of a read or less: the clip's sound is kept after its first play);
// - a speech step that copies one word into the ring against copying the word's bytes
//   (goal: within 2.6 times);
// - a joystick poll against the device read it starts with, joyGetPosEx alone, the stick moved
//   before each (goal: within 5 times), its share of a tick at speed-up 4 (16 polls)
//   beside it.
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
#include "bench/paired.h"
#include "core/ini_file.h"
#include "core/resource_volume.h"
#include "core/volume_stream.h"
#include "devices/joystick.h"
#include "devices/sound_device.h"
#include "devices/speech_queue.h"
#include "devices/wave.h"
#include "platform/headless/headless_backend.h"
#include "win/dsound.h"
#include "win/joystick.h"

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

// A turn of the mixer against memcpy of its output: at most this.
constexpr double kMixGoal = 260.0;

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
    const auto mixTurn = [&] {
        bench.machine.Time().Advance(kTurnMs);
        win::MixDirectSound();
        frames += kOutputRate * kTurnMs / 1000;
        if (bench.machine.Sound().QueuedSamples() > (1u << 22))
            bench.machine.Sound().ClearCaptured();
    };
    const benchsupport::LoopClock clock;
    for (auto _ : state)
        mixTurn();
    const double turn = clock.PerIteration(state);
    benchsupport::MemcpyReference output(4 * kOutputRate * kTurnMs / 1000, 100);
    const double ratio = benchsupport::PairedRatio(
                             [&] {
                                 for (int i = 0; i < 10; ++i)
                                     mixTurn();
                             },
                             output) *
                         10.0;
    for (win::DirectSoundBuffer* b : buffers)
        b->Release();
    if (frames == 0) state.SkipWithError("nothing mixed");
    // Seconds of sound mixed per second: how many times faster than real time.
    benchsupport::Goals goals(state);
    goals.AtMost("per_memcpy_of_the_output", ratio, kMixGoal);
    goals.Note("x_real_time", kTurnMs / 1000.0 / turn);
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

// Playing the clip against reading its member: at most this.
constexpr double kPlayGoal = 0.013;

void BM_PlayAClip(benchmark::State& state) {
    SoundBench bench;
    if (!bench.ready) return state.SkipWithError("no sound");
    std::int64_t bytes = 0;
    for (auto _ : state) {
        if (devices::theEffectSound.Play(12, 0, 0, 0, 0, 0) != 1)
            return state.SkipWithError("play");
        bytes += devices::theEffectSound.bufferBytes;
    }
    state.SetBytesProcessed(bytes);
    std::vector<std::uint8_t> into(64 * 1024);
    std::int64_t read = 0;
    const double ratio = benchsupport::PairedRatio(
                             [&] {
                                 for (int i = 0; i < 100; ++i)
                                     bytes += devices::theEffectSound.Play(12, 0, 0, 0, 0, 0);
                             },
                             [&] {
                                 for (int i = 0; i < 10; ++i)
                                     read += ReadClipMember(into);
                             }) /
                         10.0;
    if (read == 0) state.SkipWithError("the member was not read");
    benchsupport::Goals goals(state);
    goals.AtMost("per_member_read", ratio, kPlayGoal);
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

// A speech step against copying its word's bytes: at most this.
constexpr double kSpeechGoal = 2.6;

void BM_SpeechStepOfOneWord(benchmark::State& state) {
    SoundBench bench;
    if (!bench.ready) return state.SkipWithError("no sound");
    devices::SpeechQueue q;
    if (q.OpenWordFolder("w") == 0) return state.SkipWithError("buffer");
    std::int64_t words = 0;
    // The buffer stands at 0; each turn writes the word there again.
    q.QueuePhrase(0, 0, 0);
    const auto step = [&] {
        q.writePos = 0;
        q.AppendWord(7);
        words += q.PutWordsFromQueueIntoBuffer(win::HWND{}, 1);
    };
    for (auto _ : state)
        step();
    if (words == 0) state.SkipWithError("no word copied");
    state.SetBytesProcessed(words * 5512);
    benchsupport::MemcpyReference word(5512, 100);
    const double ratio = benchsupport::PairedRatio(
        [&] {
            for (int i = 0; i < 100; ++i)
                step();
        },
        word);
    benchsupport::Goals goals(state);
    goals.AtMost("per_memcpy_of_the_word", ratio, kSpeechGoal);
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

// A poll against the device read alone: at most this.
constexpr double kPollGoal = 5.0;

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
    const auto poll = [&] {
        machine.Sticks().SetAxis(0, 0, x += 97);
        stick.Poll();
        ++polls;
    };
    const benchsupport::LoopClock clock;
    for (auto _ : state)
        poll();
    const double once = clock.PerIteration(state);
    // The reference: the device read the poll starts with, on the same stick.
    std::int64_t reads = 0;
    const double ratio = benchsupport::PairedRatio(
        [&] {
            for (int i = 0; i < 1000; ++i)
                poll();
        },
        [&] {
            for (int i = 0; i < 1000; ++i) {
                machine.Sticks().SetAxis(0, 0, x += 97);
                win::JOYINFOEX info{};
                info.dwFlags = win::JOY_RETURNALL;
                reads += win::joyGetPosEx(stick.deviceId, &info) == win::JOYERR_NOERROR ? 1 : 0;
                benchmark::DoNotOptimize(info);
            }
        });
    platform::SetCurrentBackend(nullptr);
    std::error_code ignored;
    fs::remove_all(dir, ignored);
    if (polls == 0 || reads == 0) state.SkipWithError("no poll");
    benchsupport::Goals goals(state);
    goals.AtMost("per_device_read", ratio, kPollGoal);
    // The share of a tick (1/18.2 s) the 16 polls of a tick at speed-up 4 take.
    goals.Note("of_tick", 16.0 * once * 18.2);
}
BENCHMARK(BM_JoystickPoll);

}  // namespace
