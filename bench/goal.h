// Goals stated as ratios to a reference measured in the same run, and the line a benchmark
// prints for them: every goal shows its measured ratio, the goal and whether it is met, so a
// missed goal is seen in the output rather than worked out by hand from two rows.
//
// Times are the thread's processor time (a loaded machine's other work does not count) and the
// reference is the median of many short runs, taken in the same process just before or after the
// measurement it is compared with.
#pragma once

#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace benchsupport {

// The processor time this thread has used, in seconds.
inline double ThreadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// The median of a list of times (the list is reordered).
inline double Median(std::vector<double> times) {
    if (times.empty()) return 0.0;
    const auto mid = times.begin() + static_cast<std::ptrdiff_t>(times.size() / 2);
    std::nth_element(times.begin(), mid, times.end());
    return *mid;
}

// The median processor time of `runs` calls of `work`, in seconds. Each call must take well
// above the clock's resolution (a microsecond or more): shorter work repeats itself inside.
template <class Work>
double MedianSeconds(Work&& work, int runs = 101) {
    std::vector<double> times;
    times.reserve(static_cast<std::size_t>(runs));
    for (int i = 0; i < runs; ++i) {
        const double t0 = ThreadSeconds();
        work();
        times.push_back(ThreadSeconds() - t0);
    }
    return Median(std::move(times));
}

// Bytes aligned to 64, so that a memcpy reference is not the library's slow case for a
// destination a few bytes off a cache line (on some processors `rep movsb` runs at a tenth of
// its speed there, which made an 8-bit frame's memcpy slower than a 32-bit one's).
struct AlignedBuffer {
    explicit AlignedBuffer(std::size_t n)
        : bytes(static_cast<std::uint8_t*>(std::aligned_alloc(64, (n + 63) / 64 * 64))), size(n) {}
    ~AlignedBuffer() { std::free(bytes); }
    AlignedBuffer(const AlignedBuffer&) = delete;
    AlignedBuffer& operator=(const AlignedBuffer&) = delete;
    std::uint8_t* bytes;
    std::size_t size;
};

// A benchmark loop of memcpy of `n` bytes between aligned buffers, for reading beside the
// benchmarks that take it as their reference.
inline void MemcpyLoop(benchmark::State& state, std::size_t n) {
    AlignedBuffer from(n), to(n);
    std::memset(from.bytes, 7, n);
    for (auto _ : state) {
        std::memcpy(to.bytes, from.bytes, n);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(n));
}

// The median processor time of one memcpy of `n` bytes between aligned buffers (small copies
// are timed a few hundred kilobytes' worth at a time).
inline double MemcpySeconds(std::size_t n) {
    AlignedBuffer from(n), to(n);
    std::memset(from.bytes, 7, n);
    std::memset(to.bytes, 0, n);
    const std::size_t repeats = std::max<std::size_t>(1, (256 * 1024) / std::max<std::size_t>(n, 1));
    return MedianSeconds([&] {
               for (std::size_t i = 0; i < repeats; ++i) {
                   std::memcpy(to.bytes, from.bytes, n);
                   benchmark::ClobberMemory();
               }
           }) /
           static_cast<double>(repeats);
}

// The reference of the frame goals: one memcpy of a 640 x 480 frame of 32-bit pixels.
inline double MemcpyFrame32Seconds() {
    return MemcpySeconds(640 * 480 * 4);
}

// The same for the 8-bit frame.
inline double MemcpyFrame8Seconds() {
    return MemcpySeconds(640 * 480);
}

// The thread's processor time of a benchmark's timed loop, per iteration: made just before the
// loop, read just after it (so paused stretches inside the loop count too; loops that pause use
// MedianSeconds instead).
class LoopClock {
public:
    LoopClock() : start_(ThreadSeconds()) {}
    [[nodiscard]] double PerIteration(const benchmark::State& state) const {
        const auto n = std::max<benchmark::IterationCount>(state.iterations(), 1);
        return (ThreadSeconds() - start_) / static_cast<double>(n);
    }

private:
    double start_;
};

// Collects the goals of one benchmark and prints them in its label:
// "frame_ms 1.21 (goal <= 1.5: met)". Each measured value is also a counter of that name, for
// the JSON output.
class Goals {
public:
    explicit Goals(benchmark::State& state) : state_(state) {}
    Goals(const Goals&) = delete;
    Goals& operator=(const Goals&) = delete;
    ~Goals() { Publish(); }

    // A value that meets its goal when at most `goal` (a time ratio, a count, ...).
    bool AtMost(std::string_view name, double value, double goal) {
        return Add(name, value, goal, value <= goal, "<=");
    }
    // A value that meets its goal when at least `goal` (an occupancy, a speed-up, ...).
    bool AtLeast(std::string_view name, double value, double goal) {
        return Add(name, value, goal, value >= goal, ">=");
    }
    // A plain figure shown beside the goals.
    void Note(std::string_view name, double value) {
        state_.counters[std::string(name)] = value;
        Append(std::string(name) + " " + Format(value));
    }
    // A text shown beside the goals (a digest of the picture, say).
    void Text(std::string_view name, std::string_view text) {
        Append(std::string(name) + " " + std::string(text));
    }
    [[nodiscard]] bool AllMet() const { return allMet_; }

    void Publish() {
        if (published_) return;
        published_ = true;
        if (!label_.empty()) state_.SetLabel(label_);
    }

private:
    bool Add(std::string_view name, double value, double goal, bool met, const char* relation) {
        const std::string key(name);
        state_.counters[key] = value;
        Append(key + " " + Format(value) + " (goal " + relation + " " + Format(goal) + ": " +
               (met ? "met" : "MISSED") + ")");
        allMet_ = allMet_ && met;
        return met;
    }
    void Append(const std::string& text) {
        if (!label_.empty()) label_ += "; ";
        label_ += text;
    }
    static std::string Format(double v) {
        char text[32];
        std::snprintf(text, sizeof text, "%.3g", v);
        return text;
    }

    benchmark::State& state_;
    std::string label_;
    bool allMet_ = true;
    bool published_ = false;
};

}  // namespace benchsupport
