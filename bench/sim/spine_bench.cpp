// The spine's speed: turns of the idle loop with the other subsystems' least bodies, and the
// frame that runs the owed ticks after a 2-second stall at speed-up 4 (16 flight steps a tick).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/goal.h"
#include "core/ini_file.h"
#include "flight/flight_model.h"
#include "sim/main_window.h"
#include "sim/saved_flight.h"
#include "sim/sim_world.h"

namespace {

// A world that is up and running, with its settings in a scratch file.
class RunningWorld {
public:
    RunningWorld() : saved(core::theIniFile) {
        core::theIniFile = core::IniFile(path.c_str());
        core::theIniFile.PutInt("Aircraft", "AutoComplex", 0);
        flight::ResetFlightModel();
        sim::theSimWorld.Init(win::HWND{});
        sim::theSimWorld.SetRunning(1);
    }
    ~RunningWorld() {
        sim::theSimWorld.Shutdown();
        core::theIniFile = saved;
        std::remove(path.c_str());
    }

private:
    std::string path = "/tmp/zephlon-spine-bench.ini";
    core::IniFile saved;
};

void BM_IdleLoopTurn(benchmark::State& state) {
    RunningWorld world;
    for (auto _ : state)
        sim::IdleStep();
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_IdleLoopTurn);

void BM_FrameAfterStallAtSpeedUp4(benchmark::State& state) {
    RunningWorld world;
    sim::theSimWorld.SetSpeedUp(4);
    // 2 s of real time at 16 times is 32 s of simulated time owed to one frame.
    const auto owed = static_cast<std::uint32_t>(32000 * sim::kTicksPerMs + 0.5);
    for (auto _ : state)
        sim::theSimWorld.Clock()->RunTicks(owed);
    state.counters["ticks"] = owed;
    state.counters["flight_steps"] = owed * 16.0;
}
BENCHMARK(BM_FrameAfterStallAtSpeedUp4)->Unit(benchmark::kMillisecond);

// Saving the running world's flight as the menu does: every section into a temporary file
// written once, renamed over the old one. The goal is under 20 ms.
void BM_SaveFlight(benchmark::State& state) {
    RunningWorld world;
    // A folder of its own, as the installation's Flights folder is: the file layer looks names up
    // by listing their folder, and a shared temporary folder may hold thousands.
    const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                         ("zephlon-spine-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string path = (folder / "Bench.flt").string();
    // The goal is the processor's work; the wall clock, with the file system's wait (long on a
    // busy machine), is shown beside it.
    std::vector<double> saves, walls;
    for (auto _ : state) {
        const auto w0 = std::chrono::steady_clock::now();
        const double t0 = benchsupport::ThreadSeconds();
        if (sim::SaveFlight(path.c_str()) == 0) {
            state.SkipWithError("the flight was not saved");
            break;
        }
        saves.push_back(benchsupport::ThreadSeconds() - t0);
        walls.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - w0).count());
    }
    std::error_code ec;
    state.counters["file_bytes"] = static_cast<double>(std::filesystem::file_size(path, ec));
    std::filesystem::remove_all(folder, ec);
    benchsupport::Goals goals(state);
    goals.AtMost("ms", benchsupport::Median(saves) * 1e3, 20.0);
    goals.Note("wall_ms", benchsupport::Median(walls) * 1e3);
}
BENCHMARK(BM_SaveFlight)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
