// Flight steps per second for each aircraft type, and the worst catch-up burst: 182 ticks of
// 16 steps each in one frame (a 10-second stall at the highest speed-up). Each checks that the
// aircraft flew (its position moved). The burst's goal: at most 1.3 times as long as as many
// single steps of the same type measured in the same run (nothing in a burst may cost more than
// the steps it is made of).
#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <vector>

#include "bench/goal.h"
#include "flight/flight_model.h"
#include "flight/flight_model_state.h"
#include "flight/flight_probe.h"

namespace {

constexpr int kBurstSteps = 182 * 16;

// Where the aircraft is: east, height and north.
std::array<std::int64_t, 3> Position() {
    const auto& s = flight::theFlightModelState;
    return {s.fmPosX, s.fmPosY, s.fmPosZ};
}

void Prepare(int type) {
    flight::ProbeSelectAircraft(type);
    flight::ProbePlaceInFlight(6000, 120 + 30 * type);
    flight::theFlightModelState.fmThrot = flight::theFlightModelState.fmThrotRight = 24000;
    flight::ProbeEngageAltitudeHold();
}

// The median processor time of one step of a type in cruise.
double StepSeconds(int type) {
    Prepare(type);
    return benchsupport::MedianSeconds(
               [] {
                   for (int i = 0; i < 200; ++i)
                       flight::UpdateFlight();
                   benchmark::DoNotOptimize(flight::theFlightModelState.fmPosX);
               },
               51) /
           200.0;
}

void FlightStep(benchmark::State& state) {
    const int type = static_cast<int>(state.range(0));
    Prepare(type);
    const auto start = Position();
    bool moved = false;
    int steps = 0;
    for (auto _ : state) {
        flight::UpdateFlight();
        benchmark::DoNotOptimize(flight::theFlightModelState.fmPosX);
        // Start over now and then so the aircraft stays in cruise.
        if (++steps == 20000) {
            state.PauseTiming();
            moved = moved || Position() != start;
            Prepare(type);
            steps = 0;
            state.ResumeTiming();
        }
    }
    moved = moved || Position() != start;
    if (!moved) state.SkipWithError("the aircraft did not move");
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(FlightStep)->DenseRange(0, 4);

void WorstCatchUp(benchmark::State& state) {
    const int type = static_cast<int>(state.range(0));
    bool moved = true;
    std::vector<double> bursts;
    for (auto _ : state) {
        state.PauseTiming();
        Prepare(type);
        const auto start = Position();
        state.ResumeTiming();
        const double t0 = benchsupport::ThreadSeconds();
        for (int i = 0; i < kBurstSteps; ++i)
            flight::UpdateFlight();
        benchmark::DoNotOptimize(flight::theFlightModelState.fmPosX);
        bursts.push_back(benchsupport::ThreadSeconds() - t0);
        moved = moved && Position() != start;
    }
    const double burst = benchsupport::Median(bursts);
    if (!moved) state.SkipWithError("the aircraft did not move");
    state.SetItemsProcessed(state.iterations() * kBurstSteps);
    benchsupport::Goals goals(state);
    goals.AtMost("per_single_steps", burst / (kBurstSteps * StepSeconds(type)), 1.3);
}
BENCHMARK(WorstCatchUp)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

}  // namespace
