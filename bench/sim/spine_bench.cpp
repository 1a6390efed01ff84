// The spine's speed: turns of the idle loop with the other subsystems' least bodies, and the
// frame that runs the owed ticks after a 2-second stall at speed-up 4 (16 flight steps a tick).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/file_reference.h"
#include "bench/goal.h"
#include "bench/paired.h"
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
    const std::uint32_t before = sim::theSimWorld.Clock()->TickCount();
    for (auto _ : state)
        sim::theSimWorld.Clock()->RunTicks(owed);
    if (sim::theSimWorld.Clock()->TickCount() - before !=
        owed * static_cast<std::uint32_t>(state.iterations()))
        state.SkipWithError("the owed ticks did not run");
    state.counters["ticks"] = owed;
    state.counters["flight_steps"] = owed * 16.0;
}
BENCHMARK(BM_FrameAfterStallAtSpeedUp4)->Unit(benchmark::kMillisecond);

// Saving the running world's flight as the menu does: every section into a temporary file
// written once, renamed over the old one, against storing the same bytes over the old file by
// one atomic replacement (goal: within 170 times in processor time, its milliseconds and
// the wall clock beside it).
constexpr double kSaveGoal = 170.0;

void BM_SaveFlight(benchmark::State& state) {
    RunningWorld world;
    // A folder of its own, as the installation's Flights folder is: the file layer looks names up
    // by listing their folder, and a shared temporary folder may hold thousands.
    const benchsupport::ScratchFolder folder("zephlon-spine-bench");
    const std::string path = (folder.Path() / "Bench.flt").string();
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
    const auto bytes = std::filesystem::file_size(path, ec);
    state.counters["file_bytes"] = ec ? 0.0 : static_cast<double>(bytes);
    const double save = benchsupport::Median(saves);
    const benchsupport::AtomicWriteReference once(path);
    int saved = 0;
    const double ratio =
        benchsupport::PairedRatio([&] { saved += sim::SaveFlight(path.c_str()); }, once, 31);
    if (once.Empty() || saved == 0) state.SkipWithError("the saved flight is empty");
    benchsupport::Goals goals(state);
    goals.AtMost("per_one_write", ratio, kSaveGoal);
    goals.Note("ms", save * 1e3);
    goals.Note("wall_ms", benchsupport::Median(walls) * 1e3);
}
BENCHMARK(BM_SaveFlight)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
