// The per-frame force update and what it costs the device:
// - one update per flight step with steady inputs, and with inputs that change every step
//   (every force sent: the effect records merged and the headless device writing its line),
//   against a plain loop of the same sines, square roots and comparisons (goal: steady within
//   1.4 times, and no allocation; changing within 49 times);
// - haptic calls over a minute of simulated flight on the real flight step: trimmed cruise on
//   the autopilot (goal 0) and a held stall, stick full back at idle (goal 33 a second or fewer,
//   against a device's report rate of a few hundred).
// Each counts the steps it ran and fails when there were none.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <new>
#include <numbers>

#include "bench/goal.h"
#include "bench/paired.h"
#include "devices/force_feedback.h"
#include "devices/force_stick.h"
#include "devices/force_triggers.h"
#include "flight/flight_model.h"
#include "flight/flight_model_state.h"
#include "flight/flight_probe.h"
#include "platform/headless/headless_backend.h"
#include "sim/input/flight_controls.h"

namespace {
std::atomic<std::uint64_t> theAllocations{0};
}  // namespace

// Counts every allocation of the program, so a loop can show it allocates nothing. The
// replacement pair is malloc and free underneath, which the compiler cannot see through.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
    ++theAllocations;
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

// A stick that pushes back, started as the program starts it.
struct ForceBench {
    ForceBench() {
        platform::SetCurrentBackend(&machine);
        platform::JoystickInfo info;
        info.name = "Bench Stick";
        info.axes = 4;
        info.haptic = true;
        machine.Sticks().Plug(info);
        // The device's lines are counted, not kept.
        machine.Forces().SetLineSink([](std::string_view) {});
        devices::theJoystickFound = 1;
        devices::StartForceFeedback(win::HWND{1});
        ready = devices::theForceFeedbackActive != 0;
    }
    ~ForceBench() {
        devices::ShutdownForceFeedback();
        platform::SetCurrentBackend(nullptr);
    }
    platform::HeadlessBackend machine;
    bool ready = false;
};

struct Inputs {
    std::int32_t ias;
    std::int16_t ail, elv, alpha;
    float bumpX, bumpY;
};

Inputs Changing(int i) {
    const double t = i * 0.37;
    return {static_cast<std::int32_t>((60 + 40 * std::sin(t)) * 65536),
            static_cast<std::int16_t>(3000 * std::sin(t * 1.3)),
            static_cast<std::int16_t>(2000 * std::cos(t * 0.7)),
            static_cast<std::int16_t>(2184 + 400 * std::sin(t * 2.1)),
            static_cast<float>(0.3 * std::sin(t * 3)), static_cast<float>(0.3 * std::cos(t * 5))};
}

void Apply(const Inputs& in) {
    flight::FlightModelState& fm = flight::theFlightModelState;
    fm.fmIAS = in.ias;
    fm.fmAil = in.ail;
    fm.fmElv = in.elv;
    fm.fmAlpha = in.alpha;
    flight::theFlightStep.stickBumpX = in.bumpX;
    flight::theFlightStep.stickBumpY = in.bumpY;
}

// The peer: the update's arithmetic and comparisons without a stick to tell.
struct PlainForce {
    std::vector<Inputs> table;
    int last[9] = {};
    std::int64_t steps = 0, changes = 0;
    PlainForce() {
        for (int i = 0; i < 256; ++i)
            table.push_back(Changing(i));
    }
    void Step() {
        const Inputs& in = table[static_cast<std::size_t>(steps & 255)];
        const double base = static_cast<double>(in.ias >> 16) / 75.0;
        const double a = std::clamp(in.ail * std::numbers::pi / 14000, -1.4922565104551517,
                                    1.4922565104551517);
        const double e = std::clamp(in.elv * std::numbers::pi / 8000, -1.4922565104551517,
                                    1.4922565104551517);
        const double ox = -0.25 * std::sin(a) / std::sqrt(std::cos(a));
        const double oy = -0.25 * std::sin(e) / std::sqrt(std::cos(e));
        const int d = in.alpha - 2184;
        const double keys[9] = {(std::fabs(ox) + 1) * base, ox, (std::fabs(oy) + 1) * base, oy,
                                0.5 - d / 1456.0, 0.5 + d / 1456.0, 3 + d * 10 / 1456.0,
                                in.bumpX, in.bumpY};
        for (int k = 0; k < 9; ++k) {
            const int key = static_cast<int>(keys[k] * 100);
            changes += key != last[k];
            last[k] = key;
        }
        benchmark::DoNotOptimize(changes);
        ++steps;
    }
};

// A steady update against the plain loop of its arithmetic: at most this.
constexpr double kSteadyGoal = 1.4;

void ForceUpdateSteady(benchmark::State& state) {
    ForceBench bench;
    if (!bench.ready) return state.SkipWithError("no force-feedback stick");
    Apply(Changing(3));
    devices::UpdateStickForces();
    const std::uint64_t calls = bench.machine.Forces().Calls();
    const std::uint64_t before = theAllocations;
    std::int64_t steps = 0;
    for (auto _ : state) {
        devices::UpdateStickForces();
        ++steps;
    }
    if (steps == 0) state.SkipWithError("no steps");
    const double allocations = static_cast<double>(theAllocations - before) / static_cast<double>(steps);
    PlainForce plain;
    const double ratio = benchsupport::PairedRatio(
        [] {
            for (int i = 0; i < 1000; ++i)
                devices::UpdateStickForces();
        },
        [&] {
            for (int i = 0; i < 1000; ++i)
                plain.Step();
        });
    if (bench.machine.Forces().Calls() != calls) state.SkipWithError("steady flight sent forces");
    benchsupport::Goals goals(state);
    goals.AtMost("per_plain_arithmetic", ratio, kSteadyGoal);
    goals.AtMost("allocations_per_step", allocations, 0);
    state.SetItemsProcessed(steps);
}
BENCHMARK(ForceUpdateSteady);

// An update whose inputs change every step against the same plain loop: at most this.
constexpr double kChangingGoal = 49.0;

void ForceUpdateChanging(benchmark::State& state) {
    ForceBench bench;
    if (!bench.ready) return state.SkipWithError("no force-feedback stick");
    std::vector<Inputs> table;
    for (int i = 0; i < 256; ++i)
        table.push_back(Changing(i));
    const std::uint64_t calls = bench.machine.Forces().Calls();
    const std::uint64_t before = theAllocations;
    std::int64_t steps = 0;
    const auto step = [&] {
        Apply(table[static_cast<std::size_t>(steps & 255)]);
        devices::UpdateStickForces();
        ++steps;
    };
    for (auto _ : state)
        step();
    if (steps == 0) state.SkipWithError("no steps");
    if (bench.machine.Forces().Calls() == calls) state.SkipWithError("no force was sent");
    const std::int64_t timedSteps = steps;
    const std::uint64_t timedCalls = bench.machine.Forces().Calls() - calls;
    const std::uint64_t timedAllocations = theAllocations - before;
    PlainForce plain;
    const double ratio = benchsupport::PairedRatio(
        [&] {
            for (int i = 0; i < 100; ++i)
                step();
        },
        [&] {
            for (int i = 0; i < 100; ++i)
                plain.Step();
        });
    benchsupport::Goals goals(state);
    goals.AtMost("per_plain_arithmetic", ratio, kChangingGoal);
    state.counters["haptic_calls_per_step"] =
        static_cast<double>(timedCalls) / static_cast<double>(timedSteps);
    state.counters["allocs_per_step"] =
        static_cast<double>(timedAllocations) / static_cast<double>(timedSteps);
    state.SetItemsProcessed(timedSteps);
}
BENCHMARK(ForceUpdateChanging);

void PlainForceArithmetic(benchmark::State& state) {
    PlainForce plain;
    for (auto _ : state)
        plain.Step();
    if (plain.steps == 0) state.SkipWithError("no steps");
    state.SetItemsProcessed(plain.steps);
}
BENCHMARK(PlainForceArithmetic);

// Haptic calls over a simulated minute of the real flight step, one force update per step.
void HapticCallsPerMinute(benchmark::State& state, bool stall) {
    ForceBench bench;
    if (!bench.ready) return state.SkipWithError("no force-feedback stick");
    const int steps = static_cast<int>(60.0 * 32768 / 1800);
    double perSecond = 0;
    std::int64_t ran = 0;
    for (auto _ : state) {
        state.PauseTiming();
        flight::ProbeSelectAircraft(0);
        flight::ProbePlaceInFlight(5000, stall ? 60 : 110);
        if (stall) {
            flight::theFlightModelState.fmThrot = 0;
            sim::theElevatorInput = 16000;  // stick held back
            sim::UpdateElevatorPosition();
        } else {
            flight::theFlightModelState.fmThrot = 20000;
            flight::ProbeEngageAltitudeHold();
            // Settled: the speed the power holds, not the speed it was placed at.
            flight::ProbeRunSeconds(300);
        }
        devices::theForceRefresh = 1;
        devices::UpdateStickForces();
        const std::uint64_t calls = bench.machine.Forces().Calls();
        state.ResumeTiming();
        for (int i = 0; i < steps; ++i) {
            flight::UpdateFlight();
            devices::UpdateStickForces();
        }
        ran += steps;
        perSecond = static_cast<double>(bench.machine.Forces().Calls() - calls) / 60.0;
    }
    sim::theElevatorInput = 0;
    if (ran == 0) state.SkipWithError("no steps");
    benchsupport::Goals goals(state);
    goals.AtMost("haptic_calls_per_s", perSecond, stall ? 33.0 : 0.0);
    state.SetItemsProcessed(ran);
}
BENCHMARK_CAPTURE(HapticCallsPerMinute, steady_cruise, false)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);
BENCHMARK_CAPTURE(HapticCallsPerMinute, held_stall, true)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);

}  // namespace
