// The flight plan's hot paths against plain peers measured in the same run:
// - BuildNavLog on a 64-node plan against a plain loop of as many square roots and atan2 calls
//   (goal: within 6.2 times);
// - SequenceLeg per call against the two bearings it works out, in a plain loop (goal: within
//   1.3 times, its nanoseconds beside it);
// - a 64-node plan written whole (one file write) against storing the same bytes by one atomic
//   replacement (goal: within 240 times in processor time, its milliseconds and the wall
//   clock beside it; the settings writer's one rewrite per key shown beside them), and read
//   back against reading the file's bytes once (goal: within kReadPlanGoal times).
// Each counts the legs, calls or keys it handled and fails when there were none.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/file_reference.h"
#include "bench/goal.h"
#include "bench/paired.h"
#include "core/ini_file.h"
#include "flight/flight_model_state.h"
#include "planning/nav_log.h"
#include "planning/planning_services.h"
#include "platform/file_system.h"
#include "win/profile.h"

namespace {

namespace fs = std::filesystem;

// Reading a 64-node plan against reading its file's bytes once: at most this.
constexpr double kReadPlanGoal = 12.0;

planning::FlightPlan FullPlan() {
    planning::FlightPlan p;
    p.active = 1;
    p.nodeCount = planning::kMaxPlanNodes;
    p.cruiseAltitude = 7500;
    p.power = 65;
    for (int i = 0; i < planning::kMaxPlanNodes; ++i) {
        planning::FlightPlanNode& n = p.nodes[static_cast<std::size_t>(i)];
        n.ident = "N" + std::to_string(i);
        n.kind = 2;
        n.x = i * 90000 + (i % 3) * 7000;
        n.y = i * 40000 - (i % 5) * 9000;
    }
    p.environment.enRoute.W1Top = p.environment.enRoute.WsTop = 1000;
    p.environment.enRoute.W2Top = 9000;
    p.environment.enRoute.W2Dir = 30000;
    p.environment.enRoute.W2Vel = 25;
    return p;
}

// The reference: the same number of legs' square roots and atan2 calls.
double PlainLegLoop(const planning::FlightPlan& p) {
    double sum = 0.0;
    for (int i = 0; i + 1 < p.nodeCount; ++i) {
        const double dx = p.nodes[static_cast<std::size_t>(i + 1)].x - p.nodes[static_cast<std::size_t>(i)].x;
        const double dz = p.nodes[static_cast<std::size_t>(i + 1)].y - p.nodes[static_cast<std::size_t>(i)].y;
        sum += std::sqrt(dx * dx + dz * dz) + std::atan2(dz, dx);
    }
    benchmark::DoNotOptimize(sum);
    return sum;
}

// The navigation log against the plain loop of one square root and atan2 a leg: at most this.
constexpr double kNavLogGoal = 6.2;

void BM_BuildNavLog(benchmark::State& state) {
    const planning::FlightPlan p = FullPlan();
    std::size_t rows = 0;
    const benchsupport::LoopClock clock;
    for (auto _ : state) {
        p.BuildNavLog();
        rows += planning::theNavLog->rows.size();
    }
    const double build = clock.PerIteration(state);
    if (rows == 0) state.SkipWithError("no rows built");
    const double ratio = benchsupport::PairedRatio([&] { p.BuildNavLog(); },
                                                   [&] {
                                                       for (int i = 0; i < 100; ++i)
                                                           PlainLegLoop(p);
                                                   }) *
                         100.0;
    benchsupport::Goals goals(state);
    // Each row works out distance, true course, the wind triangle (heading and ground speed), the
    // magnetic variation from the grid and the fuel, some four square roots, three divisions and
    // two arctangents against the reference's one of each per leg: a multiple of it.
    goals.AtMost("per_plain_leg_loop", ratio, kNavLogGoal);
    goals.Note("us", build * 1e6);
    goals.Note("rows", static_cast<double>(rows) / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_BuildNavLog);

void BM_PlainLegLoop(benchmark::State& state) {
    const planning::FlightPlan p = FullPlan();
    double sum = 0.0;
    for (auto _ : state)
        sum += PlainLegLoop(p);
    if (sum == 0.0) state.SkipWithError("no legs measured");
}
BENCHMARK(BM_PlainLegLoop);

// The peer of SequenceLeg: the two bearings it works out (along the leg and to the next node)
// and their difference, in a plain loop over the same nodes; their sum.
double PlainLegBearings(const planning::FlightPlan& p, int calls) {
    double sum = 0.0;
    const planning::FlightPlanNode& from = p.nodes[0];
    const planning::FlightPlanNode& to = p.nodes[1];
    for (int i = 0; i < calls; ++i) {
        const double x = flight::theFlightModelState.fmPosX;
        const double z = flight::theFlightModelState.fmPosZ;
        benchmark::DoNotOptimize(x);
        const double leg =
            std::atan2(static_cast<double>(to.y) - from.y, static_cast<double>(to.x) - from.x);
        const double toNext =
            std::atan2(static_cast<double>(to.y) - z, static_cast<double>(to.x) - x);
        sum += std::fabs(leg - toNext);
    }
    benchmark::DoNotOptimize(sum);
    return sum;
}

// SequenceLeg against the plain loop of its two bearings: at most this.
constexpr double kSequenceGoal = 1.3;

void BM_SequenceLeg(benchmark::State& state) {
    planning::FlightPlan p = FullPlan();
    flight::theFlightModelState.fmPosX = 10000;
    flight::theFlightModelState.fmPosZ = 5000;
    std::int64_t calls = 0;
    const benchsupport::LoopClock clock;
    for (auto _ : state) {
        p.SequenceLeg();
        ++calls;
    }
    const double call = clock.PerIteration(state);
    if (calls == 0 || p.currentNode != 0) state.SkipWithError("the plan moved or nothing ran");
    double bearings = 0.0;
    const double ratio = benchsupport::PairedRatio(
        [&] {
            for (int i = 0; i < 1000; ++i)
                p.SequenceLeg();
        },
        [&] { bearings += PlainLegBearings(p, 1000); });
    if (bearings == 0.0 || p.currentNode != 0) state.SkipWithError("no bearing worked out");
    benchsupport::Goals goals(state);
    goals.AtMost("per_two_bearings", ratio, kSequenceGoal);
    goals.Note("ns", call * 1e9);
}
BENCHMARK(BM_SequenceLeg);

struct Folder {
    fs::path root = fs::temp_directory_path() / ("zephlon_plan_bench_" + std::to_string(::getpid()));
    Folder() { fs::create_directories(root); }
    ~Folder() {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
};

// The plan written whole against one atomic write of its bytes, in processor time: at most this.
constexpr double kWriteGoal = 240.0;

void BM_WritePlanWhole(benchmark::State& state) {
    const benchsupport::ScratchFolder folder("zephlon_plan_write_bench");
    planning::FlightPlan p = FullPlan();
    const std::string path = (folder.Path() / "p.Pln").string();
    // The goal is the processor's work; the wall clock (with the disc's wait, long on a busy
    // machine) is shown beside it.
    std::vector<double> writes, walls;
    for (auto _ : state) {
        fs::remove(path);
        const auto w0 = std::chrono::steady_clock::now();
        const double t0 = benchsupport::ThreadSeconds();
        win::ProfileWriteBatch batch;
        core::IniFile file(path.c_str());
        p.WriteSections(file);
        batch.Flush();
        writes.push_back(benchsupport::ThreadSeconds() - t0);
        walls.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - w0).count());
    }
    const auto keys = win::GetPrivateProfileKeyNames("Points", path).size() +
                      win::GetPrivateProfileKeyNames("Environ", path).size() +
                      win::GetPrivateProfileKeyNames("Settings", path).size();
    if (keys == 0) state.SkipWithError("nothing written");
    const double write = benchsupport::Median(writes);
    const benchsupport::AtomicWriteReference once(path);
    if (once.Empty()) state.SkipWithError("the plan file is empty");
    const double ratio = benchsupport::PairedRatio(
        [&] {
            win::ProfileWriteBatch batch;
            core::IniFile file(path.c_str());
            p.WriteSections(file);
            batch.Flush();
        },
        once, 21, [&] { fs::remove(path); });
    benchsupport::Goals goals(state);
    goals.AtMost("per_one_write", ratio, kWriteGoal);
    goals.Note("ms", write * 1e3);
    goals.Note("wall_ms", benchsupport::Median(walls) * 1e3);
    goals.Note("keys", static_cast<double>(keys));
}
BENCHMARK(BM_WritePlanWhole)->Unit(benchmark::kMillisecond);

void BM_ReadPlan(benchmark::State& state) {
    Folder folder;
    planning::FlightPlan p = FullPlan();
    const std::string path = (folder.root / "p.Pln").string();
    {
        win::ProfileWriteBatch batch;
        core::IniFile file(path.c_str());
        p.WriteSections(file);
    }
    int nodes = 0;
    const benchsupport::LoopClock clock;
    for (auto _ : state) {
        planning::FlightPlan q;
        core::IniFile file(path.c_str());
        q.ReadSections(file);
        nodes += q.nodeCount;
    }
    const double read = clock.PerIteration(state);
    if (nodes == 0) state.SkipWithError("nothing read");
    // The reference: the file's bytes read once, as the reader takes them before it looks its
    // keys up.
    std::size_t bytes = 0;
    const double plain = benchsupport::MedianSeconds([&] {
        std::string text;
        if (platform::ReadTextFile(path, &text) == platform::kFileOk) bytes += text.size();
    });
    if (bytes == 0) state.SkipWithError("the file was not read");
    benchsupport::Goals goals(state);
    goals.AtMost("per_read_of_the_bytes", read / plain, kReadPlanGoal);
    goals.Note("ms", read * 1e3);
}
BENCHMARK(BM_ReadPlan)->Unit(benchmark::kMillisecond);

// The reference: the settings writer storing the file once per key.
void BM_WritePlanPerKey(benchmark::State& state) {
    Folder folder;
    planning::FlightPlan p = FullPlan();
    const std::string path = (folder.root / "p.Pln").string();
    for (auto _ : state) {
        fs::remove(path);
        core::IniFile file(path.c_str());
        p.WriteSections(file);
    }
    if (!fs::exists(path)) state.SkipWithError("nothing written");
}
BENCHMARK(BM_WritePlanPerKey)->Unit(benchmark::kMillisecond);

}  // namespace
