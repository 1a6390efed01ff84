// Bitmap copy loops against memcpy of the same bytes: a 640 x 480 8-bit picture copied opaque,
// colour-keyed and blended, one-to-one and scaled. Items per second are pixels per second. Each
// first checks that it wrote pixels, and its goal is its time against a memcpy of the 8-bit
// frame between aligned buffers in the same run (kGoals: about a quarter above what each measures).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "bench/goal.h"
#include "core/numeric.h"
#include "gfx/raster/blit_loops.h"

namespace {

constexpr int kW = 640;
constexpr int kH = 480;
constexpr double kGoalCopy = 1.3, kGoalKey = 1.05, kGoalBlend = 24, kGoalMirrored = 3.2,
                 kGoalStretch = 36;

struct Pictures {
    std::vector<std::uint8_t> src = std::vector<std::uint8_t>(kW * kH);
    std::vector<std::uint8_t> dst = std::vector<std::uint8_t>(kW * kH);
    std::vector<std::uint8_t> blend = std::vector<std::uint8_t>(256 * 256);
    Pictures() {
        core::CrtRandom rnd(1);
        // A quarter of the source is the key colour, as in typical cockpit art.
        for (auto& p : src)
            p = (rnd.Next() & 3) ? static_cast<std::uint8_t>(rnd.Next()) : 0;
        for (std::size_t i = 0; i < blend.size(); ++i)
            blend[i] = static_cast<std::uint8_t>(i >> 3);
    }
};

Pictures& The() {
    static Pictures p;
    return p;
}

void Count(benchmark::State& state, std::int64_t pixels) {
    state.SetItemsProcessed(state.iterations() * pixels);
    state.SetBytesProcessed(state.iterations() * pixels);
}

// Times `blit` after checking that it writes pixels, against a memcpy of the 8-bit frame.
template <class Blit>
void RunBlit(benchmark::State& state, Blit blit, double goal) {
    Pictures& p = The();
    std::fill(p.dst.begin(), p.dst.end(), std::uint8_t{0xEE});
    blit(p);
    const auto written =
        std::count_if(p.dst.begin(), p.dst.end(), [](std::uint8_t c) { return c != 0xEE; });
    if (written == 0) {
        state.SkipWithError("the blit wrote no pixel");
        return;
    }
    const benchsupport::LoopClock clock;
    for (auto _ : state) {
        blit(p);
        benchmark::ClobberMemory();
    }
    const double each = clock.PerIteration(state);
    Count(state, kW * kH);
    benchsupport::Goals goals(state);
    goals.AtMost("per_memcpy8", each / benchsupport::MemcpyFrame8Seconds(), goal);
    goals.Note("pixels_written", static_cast<double>(written));
}

void BM_Memcpy(benchmark::State& state) {
    Pictures& p = The();
    for (auto _ : state) {
        std::memcpy(p.dst.data(), p.src.data(), p.src.size());
        benchmark::ClobberMemory();
    }
    Count(state, kW * kH);
}
BENCHMARK(BM_Memcpy);

void BM_BlitCopy(benchmark::State& state) {
    RunBlit(
        state, [](Pictures& p) { gfx::BlitCopy(p.dst.data(), p.src.data(), kW, kH, 0, 0, 0); },
        kGoalCopy);
}
BENCHMARK(BM_BlitCopy);

void BM_BlitKey(benchmark::State& state) {
    RunBlit(
        state, [](Pictures& p) { gfx::BlitKey(p.dst.data(), p.src.data(), kW, kH, 0, 0, 0); },
        kGoalKey);
}
BENCHMARK(BM_BlitKey);

void BM_BlitBlend(benchmark::State& state) {
    RunBlit(
        state,
        [](Pictures& p) {
            gfx::BlitBlend(p.dst.data(), p.src.data(), kW, kH, 0, 0, 0, p.blend.data());
        },
        kGoalBlend);
}
BENCHMARK(BM_BlitBlend);

void BM_BlitCopyMirrored(benchmark::State& state) {
    RunBlit(
        state,
        [](Pictures& p) {
            gfx::BlitCopy(p.dst.data(), p.src.data() + kW - 1, kW, kH, 2 * kW, 0, gfx::kBlitMirror);
        },
        kGoalMirrored);
}
BENCHMARK(BM_BlitCopyMirrored);

void BM_StretchCopy(benchmark::State& state) {
    Pictures& q = The();
    gfx::GFXStretchArgs a;
    a.src = q.src.data();
    a.srcStride = kW;
    a.srcWidth = kW / 2;
    a.srcHeight = kH / 2;
    a.dst = q.dst.data();
    a.drawnWidth = a.fullWidth = kW;
    a.drawnHeight = a.fullHeight = kH;
    a.dstAdvance = 0;
    RunBlit(
        state, [&](Pictures&) { gfx::StretchCopy(a); }, kGoalStretch);
}
BENCHMARK(BM_StretchCopy);

}  // namespace
