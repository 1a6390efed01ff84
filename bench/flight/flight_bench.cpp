// Flight steps per second for each aircraft type, and the worst catch-up burst: 182 ticks of
// 16 steps each in one frame (a 10-second stall at the highest speed-up).
#include <benchmark/benchmark.h>

#include "flight/flight_model.h"
#include "flight/flight_model_state.h"
#include "flight/flight_probe.h"

namespace {

void Prepare(int type) {
    flight::ProbeSelectAircraft(type);
    flight::ProbePlaceInFlight(6000, 120 + 30 * type);
    flight::theFlightModelState.fmThrot = flight::theFlightModelState.fmThrotRight = 24000;
    flight::ProbeEngageAltitudeHold();
}

void FlightStep(benchmark::State& state) {
    const int type = static_cast<int>(state.range(0));
    Prepare(type);
    int steps = 0;
    for (auto _ : state) {
        flight::UpdateFlight();
        benchmark::DoNotOptimize(flight::theFlightModelState.fmPosX);
        // Start over now and then so the aircraft stays in cruise.
        if (++steps == 20000) {
            state.PauseTiming();
            Prepare(type);
            steps = 0;
            state.ResumeTiming();
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(FlightStep)->DenseRange(0, 4);

void WorstCatchUp(benchmark::State& state) {
    const int type = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        Prepare(type);
        state.ResumeTiming();
        for (int i = 0; i < 182 * 16; ++i) flight::UpdateFlight();
        benchmark::DoNotOptimize(flight::theFlightModelState.fmPosX);
    }
    state.SetItemsProcessed(state.iterations() * 182 * 16);
}
BENCHMARK(WorstCatchUp)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

}  // namespace
