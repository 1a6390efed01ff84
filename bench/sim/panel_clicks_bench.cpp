// The panel's click routing: a press routed through the C172's regions (the GPS test, the
// threshold, the region tables, the selection commands of the radio stack) against a plain loop
// that only finds the first rectangle holding the point. Goal: within 3 times the plain loop.
#include <benchmark/benchmark.h>

#include <chrono>

#include "bench/goal.h"
#include "cockpit/panel_click_regions.h"
#include "cockpit/panel_services.h"
#include "sim/input/key_commands.h"

namespace {

// Points over the lower half of the screen, where the panel lies.
constexpr int kColumns = 64;
constexpr int kRows = 24;

int PlainFirstHit(int x, int y) {
    for (const cockpit::PanelClickRegion& r : cockpit::kC172Regions)
        if (r.rect.left <= x && x <= r.rect.right && r.rect.top <= y && y <= r.rect.bottom)
            return static_cast<int>(r.area) + 1;
    return 0;
}

void BM_C172PressRoutedAgainstPlainLoop(benchmark::State& state) {
    sim::RegisterKeyCommandTables();
    using Clock = std::chrono::steady_clock;
    double routed = 0;
    double plain = 0;
    long hits = 0;
    for (auto _ : state) {
        auto t0 = Clock::now();
        for (int i = 0; i < kColumns; ++i)
            for (int j = 0; j < kRows; ++j) {
                cockpit::thePanelMouse.x = i * 10;
                cockpit::thePanelMouse.y = 180 + j * 12;
                cockpit::thePanelMouse.kind = 1;
                cockpit::thePanelMouse.OnClick();
            }
        auto t1 = Clock::now();
        for (int i = 0; i < kColumns; ++i)
            for (int j = 0; j < kRows; ++j) {
                const int h = PlainFirstHit(i * 10, 180 + j * 12);
                benchmark::DoNotOptimize(h);
                hits += h != 0;
            }
        auto t2 = Clock::now();
        routed += std::chrono::duration<double>(t1 - t0).count();
        plain += std::chrono::duration<double>(t2 - t1).count();
    }
    cockpit::thePanelMouse.kind = 0;
    sim::UnregisterKeyCommandTables();
    if (hits == 0) state.SkipWithError("no point hit a region");
    state.counters["hits"] = static_cast<double>(hits);
    benchsupport::Goals goals(state);
    goals.AtMost("per_plain_loop", plain > 0 ? routed / plain : 0, 3.0);
}
BENCHMARK(BM_C172PressRoutedAgainstPlainLoop);

}  // namespace
