// A goal's ratio measured in pairs: the measured work and its reference timed in turns, so that
// both meet the machine in the same state (a neighbour's burst of memory traffic, a frequency
// step, a busy file system) and the ratio holds steady where two medians taken apart, seconds
// from each other, drift by a third or more on a shared machine.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

#include "bench/goal.h"

namespace benchsupport {

// Nothing to prepare before a timed call.
struct NoSetup {
    void operator()() const {}
};

// The ratio of `work`'s processor time to `reference`'s, timed in turns: in each of `rounds`
// rounds, `tries` calls of the one and then of the other (which goes first swapping from round to
// round), and the round's ratio is the least time of the work's calls to the least of the
// reference's: each met its own data in the caches, and a call that met an interruption or a
// neighbour's burst of memory traffic does not count. The result is the median of the rounds'
// ratios (a first round warms both up and is not counted).
// `setup` runs untimed before every call of either (removing a file a save must make anew, say).
// Each call must take well above the clock's resolution (a few microseconds or more): short work
// repeats itself inside, and the caller scales the ratio by the repeats.
template <class Work, class Reference, class Setup = NoSetup>
double PairedRatio(Work&& work, Reference&& reference, int rounds = 21, Setup&& setup = Setup{},
                   int tries = 3) {
    const auto timed = [&](auto& f) {
        setup();
        const double t0 = ThreadSeconds();
        f();
        return ThreadSeconds() - t0;
    };
    timed(work);
    timed(reference);
    std::vector<double> ratios;
    ratios.reserve(static_cast<std::size_t>(rounds));
    for (int i = 0; i < rounds; ++i) {
        double w = 1e30;
        double r = 1e30;
        const auto works = [&] {
            for (int k = 0; k < tries; ++k)
                w = std::min(w, timed(work));
        };
        const auto references = [&] {
            for (int k = 0; k < tries; ++k)
                r = std::min(r, timed(reference));
        };
        if ((i & 1) == 0) {
            works();
            references();
        } else {
            references();
            works();
        }
        if (r > 0.0) ratios.push_back(w / r);
    }
    return Median(std::move(ratios));
}

// A memcpy of `n` bytes between aligned buffers, `repeats` times a call: the reference of the
// goals that copy or convert a picture or a buffer.
class MemcpyReference {
public:
    explicit MemcpyReference(std::size_t n, int repeats = 1) : from_(n), to_(n), repeats_(repeats) {
        std::memset(from_.bytes, 7, n);
        std::memset(to_.bytes, 0, n);
    }
    void operator()() {
        for (int i = 0; i < repeats_; ++i) {
            std::memcpy(to_.bytes, from_.bytes, from_.size);
            benchmark::ClobberMemory();
        }
    }

private:
    AlignedBuffer from_, to_;
    int repeats_;
};

}  // namespace benchsupport
