// Saving a whole situation: about 300 keys in a dozen sections written one by one through the
// settings accessor into one file, as a saved flight is written: each write on its own rewrites
// the file (argument 0), while a write batch gathers them and stores the file once (argument 1).
// The goal is a save under 20 ms; the reference is one atomic replacement of the same file.
// Loading a large flight: the 41 keys of its "Aircraft" section read one by one from an 8 MB
// file, as a flight is loaded; the file is parsed once for all of them. The reference is one
// read of the whole file.
#include <benchmark/benchmark.h>

#include <unistd.h>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "bench/goal.h"
#include "core/ini_file.h"
#include "platform/file_system.h"
#include "win/profile.h"

namespace {

void BM_SaveSituation(benchmark::State& state) {
    const int keys = 300;
    const bool batched = state.range(0) != 0;
    const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                      ("zephlon_ini_bench_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string file = (dir / "situation.flt").string();
    std::vector<double> saves, cpus;
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove(file);
        state.ResumeTiming();
        const auto t0 = std::chrono::steady_clock::now();
        const double c0 = benchsupport::ThreadSeconds();
        std::optional<win::ProfileWriteBatch> batch;
        if (batched) batch.emplace();
        core::IniFile ini(file.c_str());
        for (int i = 0; i < keys; ++i) {
            const std::string section = "Section" + std::to_string(i / 25);
            const std::string key = "Key" + std::to_string(i);
            ini.PutInt(section.c_str(), key.c_str(), i * 37 - 1000);
        }
        batch.reset();
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
    // The goal is the batched save's processor work (the unbatched one, a rewrite per key,
    // shows why); beside it, on the wall clock as both wait for the file system, the save
    // against one atomic write of its bytes.
    const double save = benchsupport::Median(saves);
    benchsupport::Goals goals(state);
    if (batched)
        goals.AtMost("ms", benchsupport::Median(cpus) * 1e3, 20.0);
    else
        goals.Note("ms", benchsupport::Median(cpus) * 1e3);
    goals.Note("per_one_write", save / benchsupport::Median(writes));
    state.SetItemsProcessed(state.iterations() * keys);
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_SaveSituation)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_LoadLargeFlight(benchmark::State& state) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                      ("zephlon_ini_bench_large_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string file = (dir / "large.flt").string();
    std::string text;
    for (int i = 0; text.size() < (8u << 20); ++i)
        text += "[Padding" + std::to_string(i) + "]\nkey=" + std::string(60, 'x') + "\n";
    text += "[Aircraft]\ntype=0\n";
    constexpr int kKeys = 41;
    for (int k = 0; k < kKeys; ++k)
        text += "fm" + std::to_string(k) + "=" + std::to_string(k * 1000) + "\n";
    long long sum = 0;
    for (auto _ : state) {
        state.PauseTiming();
        // A file written afresh, as a flight just saved: nothing of it is known yet.
        (void)platform::ReplaceFileAtomically(file, text, false);
        state.ResumeTiming();
        core::IniFile ini(file.c_str());
        for (int k = 0; k < kKeys; ++k)
            sum += ini.GetInt("Aircraft", ("fm" + std::to_string(k)).c_str(), -1);
    }
    // Every key read its value: 1000 × (0 + 1 + … + 40) per load.
    if (sum != static_cast<long long>(state.iterations()) * 1000 * kKeys * (kKeys - 1) / 2)
        state.SkipWithError("the keys were not read");
    state.counters["file_bytes"] = static_cast<double>(text.size());
    const auto t0 = std::chrono::steady_clock::now();
    constexpr int kReads = 10;
    std::string read;
    for (int i = 0; i < kReads; ++i)
        (void)platform::ReadTextFile(file, &read);
    const double oneRead =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count() / kReads;
    state.counters["ratio_to_one_read"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * oneRead,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.SetItemsProcessed(state.iterations() * kKeys);
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_LoadLargeFlight)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
