// Saving a whole situation: about 300 keys in a dozen sections written one by one through the
// settings accessor into one file, as a saved flight is written. Each write rewrites the file,
// so the cost grows with the file; this shows what one save costs.
#include <benchmark/benchmark.h>

#include <unistd.h>
#include <cstdio>
#include <filesystem>
#include <string>

#include "core/ini_file.h"

namespace {

void BM_SaveSituation(benchmark::State& state) {
    const int keys = static_cast<int>(state.range(0));
    const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                      ("zephlon_ini_bench_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string file = (dir / "situation.flt").string();
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove(file);
        state.ResumeTiming();
        core::IniFile ini(file.c_str());
        for (int i = 0; i < keys; ++i) {
            const std::string section = "Section" + std::to_string(i / 25);
            const std::string key = "Key" + std::to_string(i);
            ini.PutInt(section.c_str(), key.c_str(), i * 37 - 1000);
        }
    }
    state.SetItemsProcessed(state.iterations() * keys);
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_SaveSituation)->Arg(300)->Unit(benchmark::kMillisecond);

}  // namespace
