// The panel's click routing: a press routed through the C172's regions (the GPS test, the
// threshold, the region tables, the selection commands of the radio stack) against a plain loop
// that only finds the first rectangle holding the point, the two timed in turns on the thread's
// processor clock (the median of the turns' ratios). Goal: within 2.45 times the plain
// loop.
#include <benchmark/benchmark.h>

#include "bench/goal.h"
#include "bench/paired.h"
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

// A routed press against the plain first-hit loop: at most this.
constexpr double kRoutingGoal = 2.45;

// A press at every point of the grid, routed through the panel's regions.
void RoutePresses() {
    for (int i = 0; i < kColumns; ++i)
        for (int j = 0; j < kRows; ++j) {
            cockpit::thePanelMouse.x = i * 10;
            cockpit::thePanelMouse.y = 180 + j * 12;
            cockpit::thePanelMouse.kind = 1;
            cockpit::thePanelMouse.OnClick();
        }
}

// The plain loop over the same points; the points that hit a region.
long PlainHits() {
    long hits = 0;
    for (int i = 0; i < kColumns; ++i)
        for (int j = 0; j < kRows; ++j) {
            const int h = PlainFirstHit(i * 10, 180 + j * 12);
            benchmark::DoNotOptimize(h);
            hits += h != 0;
        }
    return hits;
}

void BM_C172PressRoutedAgainstPlainLoop(benchmark::State& state) {
    sim::RegisterKeyCommandTables();
    long hits = 0;
    for (auto _ : state) {
        RoutePresses();
        hits += PlainHits();
    }
    const double ratio = benchsupport::PairedRatio(
        RoutePresses, [&] { hits += PlainHits(); }, 41);
    cockpit::thePanelMouse.kind = 0;
    sim::UnregisterKeyCommandTables();
    if (hits == 0) state.SkipWithError("no point hit a region");
    state.counters["hits"] = static_cast<double>(hits);
    benchsupport::Goals goals(state);
    goals.AtMost("per_plain_loop", ratio, kRoutingGoal);
}
BENCHMARK(BM_C172PressRoutedAgainstPlainLoop);

}  // namespace
