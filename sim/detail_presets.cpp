#include "sim/detail_presets.h"

#include <cstdlib>

#include "sim/sim_world.h"
#include "win/timing.h"
#if defined(__x86_64__) || defined(__i386__)
#include <x86intrin.h>
#endif

namespace sim {

namespace {

constexpr std::int32_t k90[14] = {0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 2, 2, 0, 0};
constexpr std::int32_t k133[14] = {0, 1, 0, 0, 4, 0, 0, 0, 0, 0, 2, 2, 0, 0};
constexpr std::int32_t k166[14] = {0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 2, 2, 1, 0};
constexpr std::int32_t k200[14] = {100, 1, 1, 100, 0, 1, 1, 1, 1, 1, 0, 0, 1, 0};

constexpr int kNominalRates[30] = {60,  66,  75,  90,  100, 120, 133, 150, 166, 180,
                                   200, 233, 250, 266, 300, 333, 350, 366, 400, 433,
                                   450, 466, 500, 533, 550, 566, 600, 633, 650, 666};

const AutoComplex90 the90;
const AutoComplex133 the133;
const AutoComplex166 the166;
const AutoComplex200 the200;

std::int64_t (*theSampler)() = nullptr;

// Cycles of an empty loop against the high-resolution counter: MHz, or -1.
std::int64_t ProcessorSample() {
#if defined(__x86_64__) || defined(__i386__)
    std::int64_t frequency = 0;
    if (!win::QueryPerformanceFrequency(&frequency) || frequency < 1000000) return -1;
    std::int64_t start = 0;
    if (!win::QueryPerformanceCounter(&start)) return -1;
    const std::uint64_t c0 = __rdtsc();
    volatile int counter = 0;  // read and written each turn, so the loop stays
    for (int i = 0; i < 100000; ++i)
        counter = counter + 1;
    const std::uint64_t c1 = __rdtsc();
    std::int64_t end = 0;
    if (!win::QueryPerformanceCounter(&end)) return -1;
    const std::uint64_t cycles = c1 - c0;
    if (cycles > 0xFFFFFFFFull) return -1;
    const std::int64_t interval = end - start;
    if (interval <= 0) return -1;  // a zero interval says nothing about the rate
    return static_cast<std::int64_t>((cycles * static_cast<std::uint64_t>(frequency)) /
                                     (static_cast<std::uint64_t>(interval) * 1000000ull));
#else
    return -1;
#endif
}

}  // namespace

const AutoComplex* const theAutoComplexPresets[4] = {&the200, &the166, &the133, &the90};

void AutoComplex::Apply() const {
    const std::int32_t* v = Values();
    for (int i = 0; i < 14; ++i)
        theSimWorld.SetGraphicsSetting(i, v[i]);
}

const std::int32_t* AutoComplex90::Values() const {
    return k90;
}
const std::int32_t* AutoComplex133::Values() const {
    return k133;
}
const std::int32_t* AutoComplex166::Values() const {
    return k166;
}
const std::int32_t* AutoComplex200::Values() const {
    return k200;
}

int SnapProcessorSpeed(int m) {
    const int tolerance = m / 32;
    for (int r : kNominalRates)
        if (std::abs(r - m) < tolerance) return r;
    return (m + 5) / 10 * 10;
}

int JudgeSpeedSamples(const std::int64_t samples[4]) {
    std::int64_t sum = 0;
    for (int i = 0; i < 4; ++i) {
        if (samples[i] < 0) return -1;
        sum += samples[i];
    }
    const std::int64_t average = sum / 4;
    const std::int64_t tolerance = average / 32;
    for (int i = 0; i < 4; ++i)
        if (std::llabs(samples[i] - average) > tolerance) return -1;
    if (average > 1000000) return -1;
    return SnapProcessorSpeed(static_cast<int>(average));
}

int MeasureProcessorSpeed() {
    std::int64_t samples[4];
    for (auto& s : samples) {
        s = theSampler != nullptr ? theSampler() : ProcessorSample();
        if (s < 0) return -1;
    }
    return JudgeSpeedSamples(samples);
}

int DetectProcessorSpeed() {
    for (int attempt = 0; attempt < 4; ++attempt) {
        const int mhz = MeasureProcessorSpeed();
        if (mhz != -1) return mhz;
    }
    return -1;
}

const AutoComplex* PresetFor(int mhz) {
    for (const AutoComplex* p : theAutoComplexPresets)
        if (p->MHz() <= mhz) return p;
    return nullptr;
}

void ApplyAutoComplexity(int mhz) {
    if (const AutoComplex* p = PresetFor(mhz)) p->Apply();
}

void SetSpeedSampler(std::int64_t (*sampler)()) {
    theSampler = sampler;
}

}  // namespace sim
