// Bitmap copy loops against memcpy of the same bytes: a 640 x 480 8-bit picture copied opaque,
// colour-keyed and blended, one-to-one and scaled. Items per second are pixels per second.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "core/numeric.h"
#include "gfx/raster/blit_loops.h"

namespace {

constexpr int kW = 640;
constexpr int kH = 480;

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
    Pictures& p = The();
    for (auto _ : state) {
        gfx::BlitCopy(p.dst.data(), p.src.data(), kW, kH, 0, 0, 0);
        benchmark::ClobberMemory();
    }
    Count(state, kW * kH);
}
BENCHMARK(BM_BlitCopy);

void BM_BlitKey(benchmark::State& state) {
    Pictures& p = The();
    for (auto _ : state) {
        gfx::BlitKey(p.dst.data(), p.src.data(), kW, kH, 0, 0, 0);
        benchmark::ClobberMemory();
    }
    Count(state, kW * kH);
}
BENCHMARK(BM_BlitKey);

void BM_BlitBlend(benchmark::State& state) {
    Pictures& p = The();
    for (auto _ : state) {
        gfx::BlitBlend(p.dst.data(), p.src.data(), kW, kH, 0, 0, 0, p.blend.data());
        benchmark::ClobberMemory();
    }
    Count(state, kW * kH);
}
BENCHMARK(BM_BlitBlend);

void BM_BlitCopyMirrored(benchmark::State& state) {
    Pictures& p = The();
    for (auto _ : state) {
        gfx::BlitCopy(p.dst.data(), p.src.data() + kW - 1, kW, kH, 2 * kW, 0, gfx::kBlitMirror);
        benchmark::ClobberMemory();
    }
    Count(state, kW * kH);
}
BENCHMARK(BM_BlitCopyMirrored);

void BM_StretchCopy(benchmark::State& state) {
    Pictures& p = The();
    gfx::GFXStretchArgs a;
    a.src = p.src.data();
    a.srcStride = kW;
    a.srcWidth = kW / 2;
    a.srcHeight = kH / 2;
    a.dst = p.dst.data();
    a.drawnWidth = a.fullWidth = kW;
    a.drawnHeight = a.fullHeight = kH;
    a.dstAdvance = 0;
    for (auto _ : state) {
        gfx::StretchCopy(a);
        benchmark::ClobberMemory();
    }
    Count(state, kW * kH);
}
BENCHMARK(BM_StretchCopy);

}  // namespace
