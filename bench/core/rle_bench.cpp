// Run-length decoding against a plain copy of the same number of output bytes (goal: within
// 3.2 memcpys of the output with half of it in runs, 2.8 with nine tenths, alone and through the
// tagged block). The material is what volumes hold in run-length members: art with long runs of one
// colour between stretches of detail.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "bench/goal.h"
#include "bench/paired.h"
#include "core/block_stream.h"
#include "core/endian.h"
#include "core/mem_stream.h"
#include "core/rle_stream.h"

namespace {

constexpr std::size_t kSize = 1 << 20;

// Decoding a megabyte against memcpy of it, with half and nine tenths of it in runs: at most this.
double DecodeGoal(std::int64_t runShare) {
    return runShare == 50 ? 3.2 : 2.8;
}

// The goal line of a decoding loop: a pass against one memcpy of the output, in turns.
template <class Decode>
void DecodeGoals(benchmark::State& state, Decode&& decode) {
    benchsupport::MemcpyReference copy(kSize);
    const double ratio = benchsupport::PairedRatio(decode, copy);
    benchsupport::Goals goals(state);
    goals.AtMost("per_memcpy", ratio, DecodeGoal(state.range(0)));
}

std::vector<std::uint8_t> Material(int runShare) {
    std::mt19937 rng(42);
    std::vector<std::uint8_t> v;
    v.reserve(kSize);
    while (v.size() < kSize) {
        const std::size_t len = rng() % 400 + 1;
        const bool run = static_cast<int>(rng() % 100) < runShare;
        const auto fill = static_cast<std::uint8_t>(rng());
        for (std::size_t i = 0; i < len && v.size() < kSize; ++i) {
            v.push_back(run ? fill : static_cast<std::uint8_t>(rng()));
        }
    }
    return v;
}

std::vector<std::uint8_t> Encode(const std::vector<std::uint8_t>& in) {
    std::vector<std::uint8_t> code(in.size() * 2);
    core::MemRWStream out(static_cast<std::uint32_t>(code.size()), code.data());
    core::RLEWStream w(&out);
    w.Write(static_cast<std::uint32_t>(in.size()), in.data());
    w.Flush();
    code.resize(out.GetPosition());
    return code;
}

// Arg: percentage of sections that are runs.
void BM_RleDecode(benchmark::State& state) {
    const auto data = Material(static_cast<int>(state.range(0)));
    const auto code = Encode(data);
    std::vector<std::uint8_t> out(kSize);
    bool decoded = true;
    const auto decode = [&] {
        core::MemRWStream in(static_cast<std::uint32_t>(code.size()),
                             static_cast<const void*>(code.data()));
        core::RLERStream r(&in);
        decoded = r.Read(static_cast<std::uint32_t>(kSize), out.data()) && decoded;
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    };
    for (auto _ : state)
        decode();
    if (!decoded) state.SkipWithError("decode");
    if (out != data) state.SkipWithError("decoded bytes differ");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kSize);
    DecodeGoals(state, decode);
}
BENCHMARK(BM_RleDecode)->Arg(50)->Arg(90);

// As volumes read a member: through the tagged block that holds the code.
void BM_RleDecodeInBlock(benchmark::State& state) {
    const auto data = Material(static_cast<int>(state.range(0)));
    const auto code = Encode(data);
    std::vector<std::uint8_t> file(8 + code.size());
    core::WriteU32(file.data(), core::FourCC("VBLK"));
    core::WriteU32(file.data() + 4, static_cast<std::uint32_t>(code.size()));
    std::memcpy(file.data() + 8, code.data(), code.size());
    std::vector<std::uint8_t> out(kSize);
    bool decoded = true;
    const auto decode = [&] {
        core::MemRWStream in(static_cast<std::uint32_t>(file.size()),
                             static_cast<const void*>(file.data()));
        core::BlockRStream block;
        block.Open(&in);
        core::RLERStream r(&block);
        decoded = r.Read(static_cast<std::uint32_t>(kSize), out.data()) && decoded;
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    };
    for (auto _ : state)
        decode();
    if (!decoded) state.SkipWithError("decode");
    if (out != data) state.SkipWithError("decoded bytes differ");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kSize);
    DecodeGoals(state, decode);
}
BENCHMARK(BM_RleDecodeInBlock)->Arg(50)->Arg(90);

void BM_Memcpy(benchmark::State& state) {
    const auto data = Material(50);
    std::vector<std::uint8_t> out(kSize);
    for (auto _ : state) {
        std::memcpy(out.data(), data.data(), kSize);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kSize);
}
BENCHMARK(BM_Memcpy);

}  // namespace
