// Saving a whole situation: about 300 keys in a dozen sections written one by one through the
// settings accessor into one file, as a saved flight is written: each write on its own rewrites
// the file (argument 0), while a write batch gathers them and stores the file once (argument 1).
// The reference is one atomic replacement of the same file with the same bytes; the goal is the
// batched save within 150 of it in processor time (the milliseconds and the wall clock's
// ratio beside it).
// Loading a large flight: the 41 keys of its "Aircraft" section read one by one from an 8 MB
// file, as a flight is loaded; the file is parsed once for all of them. The reference is one
// read of the whole file, both on the thread's processor time (goal: within 18 reads).
// Taking back kept settings: 40,000 keys kept in a stand-in copied into the settings file, then
// the start's settings written and read back in one batch (300 of each, a key read after each
// write), as a start after a session on the stand-in does; goal: within a second of processor
// time, and a file of 600,000 keys (argument) within ten.
#include <benchmark/benchmark.h>

#include <unistd.h>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "bench/file_reference.h"
#include "bench/goal.h"
#include "bench/paired.h"
#include "core/ini_file.h"
#include "platform/file_system.h"
#include "win/profile.h"

namespace {

// The batched save of a situation against one atomic write of its bytes: at most this.
constexpr double kSaveGoal = 150.0;

void BM_SaveSituation(benchmark::State& state) {
    const int keys = 300;
    const bool batched = state.range(0) != 0;
    const benchsupport::ScratchFolder dir("zephlon_ini_bench");
    const std::string file = (dir.Path() / "situation.flt").string();
    const auto save = [&] {
        std::optional<win::ProfileWriteBatch> batch;
        if (batched) batch.emplace();
        core::IniFile ini(file.c_str());
        for (int i = 0; i < keys; ++i) {
            const std::string section = "Section" + std::to_string(i / 25);
            const std::string key = "Key" + std::to_string(i);
            ini.PutInt(section.c_str(), key.c_str(), i * 37 - 1000);
        }
    };
    std::vector<double> saves, cpus;
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove(file);
        state.ResumeTiming();
        const auto t0 = std::chrono::steady_clock::now();
        const double c0 = benchsupport::ThreadSeconds();
        save();
        cpus.push_back(benchsupport::ThreadSeconds() - c0);
        saves.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    }
    std::error_code ec;
    const auto bytes = std::filesystem::file_size(file, ec);
    state.counters["file_bytes"] = ec ? 0.0 : static_cast<double>(bytes);
    if (ec || bytes == 0) state.SkipWithError("nothing was saved");
    // The reference, measured here: the same bytes stored by one atomic replacement, as the
    // settings are stored (not forced to disc).
    std::string text(static_cast<std::size_t>(ec ? 0 : bytes), '\0');
    if (FILE* in = std::fopen(file.c_str(), "rb")) {
        text.resize(std::fread(text.data(), 1, text.size(), in));
        std::fclose(in);
    }
    std::vector<double> writes;
    for (int i = 0; i < 21; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        (void)platform::ReplaceFileAtomically(file, text, false);
        writes.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    }
    // The goal is the batched save's processor work against the write's (the unbatched one, a
    // rewrite per key, shows why); beside it, on the wall clock as both wait for the file
    // system, the save against one atomic write of its bytes.
    const double wall = benchsupport::Median(saves);
    const double cpu = benchsupport::Median(cpus);
    const benchsupport::AtomicWriteReference once(file);
    if (once.Empty()) state.SkipWithError("nothing was saved");
    const double ratio = benchsupport::PairedRatio(save, once, batched ? 21 : 3,
                                                   [&] { std::filesystem::remove(file); });
    benchsupport::Goals goals(state);
    if (batched)
        goals.AtMost("per_one_write", ratio, kSaveGoal);
    else
        goals.Note("per_one_write", ratio);
    goals.Note("ms", cpu * 1e3);
    goals.Note("wall_per_one_write", wall / benchsupport::Median(writes));
    state.SetItemsProcessed(state.iterations() * keys);
}
BENCHMARK(BM_SaveSituation)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// Loading the 41 keys against one read of the file: at most this.
constexpr double kLoadGoal = 18.0;

void BM_LoadLargeFlight(benchmark::State& state) {
    const benchsupport::ScratchFolder dir("zephlon_ini_bench_large");
    const std::string file = (dir.Path() / "large.flt").string();
    std::string text;
    for (int i = 0; text.size() < (8u << 20); ++i)
        text += "[Padding" + std::to_string(i) + "]\nkey=" + std::string(60, 'x') + "\n";
    text += "[Aircraft]\ntype=0\n";
    constexpr int kKeys = 41;
    for (int k = 0; k < kKeys; ++k)
        text += "fm" + std::to_string(k) + "=" + std::to_string(k * 1000) + "\n";
    long long sum = 0;
    const auto load = [&] {
        core::IniFile ini(file.c_str());
        for (int k = 0; k < kKeys; ++k)
            sum += ini.GetInt("Aircraft", ("fm" + std::to_string(k)).c_str(), -1);
    };
    // A file written afresh, as a flight just saved: nothing of it is known yet.
    const auto writeAfresh = [&] { (void)platform::ReplaceFileAtomically(file, text, false); };
    for (auto _ : state) {
        state.PauseTiming();
        writeAfresh();
        state.ResumeTiming();
        load();
    }
    // Every key read its value: 1000 × (0 + 1 + … + 40) per load.
    if (sum != static_cast<long long>(state.iterations()) * 1000 * kKeys * (kKeys - 1) / 2)
        state.SkipWithError("the keys were not read");
    state.counters["file_bytes"] = static_cast<double>(text.size());
    std::string read;
    std::size_t bytes = 0;
    const double ratio = benchsupport::PairedRatio(
        load,
        [&] {
            (void)platform::ReadTextFile(file, &read);
            bytes += read.size();
        },
        11, writeAfresh);
    if (bytes == 0) state.SkipWithError("the file was not read");
    benchsupport::Goals goals(state);
    goals.AtMost("per_one_read", ratio, kLoadGoal);
    state.SetItemsProcessed(state.iterations() * kKeys);
}
BENCHMARK(BM_LoadLargeFlight)->Unit(benchmark::kMillisecond)->UseRealTime();

// Taking back 40,000 kept keys and writing the start's settings into the result: at most this
// many seconds, ten for 600,000.
constexpr double kTakeBackGoal = 1.0;

void BM_TakeBackKeptSettings(benchmark::State& state) {
    const int kept = static_cast<int>(state.range(0));
    const benchsupport::ScratchFolder dir("zephlon_ini_bench_kept");
    const std::string file = (dir.Path() / "Zephlon.ini").string();
    const std::string standIn = (dir.Path() / "Zephlon.kept.ini").string();
    std::string text = "[Settings]\ncrashdetect=0\n";
    for (int i = 0; i < kept; ++i)
        text += (i % 100 == 0 ? "[Many" + std::to_string(i / 100) + "]\n" : std::string()) + "key" +
                std::to_string(i) + "=" + std::to_string(i * 7) + "\n";
    long long sum = 0;
    std::vector<double> cpus;
    for (auto _ : state) {
        state.PauseTiming();
        (void)platform::ReplaceFileAtomically(file, std::string_view("[Settings]\ncrashdetect=1\n"), false);
        (void)platform::ReplaceFileAtomically(standIn, std::string_view(text), false);
        state.ResumeTiming();
        const double c0 = benchsupport::ThreadSeconds();
        {
            win::ProfileWriteBatch batch;
            (void)win::CopyPrivateProfile(standIn, file);
        }
        {
            win::ProfileWriteBatch batch;
            core::IniFile ini(file.c_str());
            for (int i = 0; i < 300; ++i) {
                const std::string key = "Setting" + std::to_string(i);
                ini.PutInt("Start", key.c_str(), i);
                sum += ini.GetInt("Start", key.c_str(), -1);
            }
        }
        cpus.push_back(benchsupport::ThreadSeconds() - c0);
    }
    if (sum != static_cast<long long>(state.iterations()) * 300 * 299 / 2 ||
        win::GetPrivateProfileInt("Many0", "key99", -1, file) != 693)
        state.SkipWithError("the settings were not written");
    benchsupport::Goals goals(state);
    goals.AtMost("cpu_seconds", benchsupport::Median(cpus), kTakeBackGoal * (kept > 40000 ? 10 : 1));
    state.SetItemsProcessed(state.iterations() * kept);
}
BENCHMARK(BM_TakeBackKeptSettings)->Arg(40000)->Arg(600000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
