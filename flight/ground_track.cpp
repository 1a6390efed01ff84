// The ground's rise along the aircraft's track, smoothed over the gear's run.
#include "flight/ground_track.h"

#include <array>
#include <cstddef>

namespace flight {

namespace {

// One step's measure, 1/256 m: whole numbers, so that the running sums below add and take away
// exactly and never drift from what the steps they hold add up to.
struct Measure {
    std::int64_t rise = 0;
    std::int64_t run = 0;  // > 0
};

// Enough steps for the smoothing run at a taxi's pace and the shortest step time.
constexpr std::size_t kSteps = 256;
constexpr std::int64_t kTrackRun = static_cast<std::int64_t>(kGroundTrackMetres * 256.0);

// The newest steps whose runs reach back over the smoothing run: all of them but the oldest run
// less than it. Their sums are kept as steps come and go, so the slope costs the same whatever
// the pace.
struct Track {
    std::array<Measure, kSteps> steps{};
    std::size_t oldest = 0;
    std::size_t count = 0;
    std::int64_t rise = 0;
    std::int64_t run = 0;

    void DropOldest() {
        rise -= steps[oldest].rise;
        run -= steps[oldest].run;
        oldest = (oldest + 1) % kSteps;
        --count;
    }
};

Track theTrack;

}  // namespace

void RecordGroundAlongTrack(std::int32_t rise, std::int32_t run) {
    if (run <= 0) return;
    Track& t = theTrack;
    if (t.count == kSteps) t.DropOldest();
    t.steps[(t.oldest + t.count) % kSteps] = Measure{rise, run};
    ++t.count;
    t.rise += rise;
    t.run += run;
    // The oldest step leaves once the newer ones cover the smoothing run without it.
    while (t.count > 1 && t.run - t.steps[t.oldest].run >= kTrackRun) t.DropOldest();
}

void ForgetGroundAlongTrack() {
    theTrack = Track{};
}

double GroundSlopeAlongTrack() {
    const Track& t = theTrack;
    if (t.run <= 0) return 0.0;
    if (t.run <= kTrackRun) return static_cast<double>(t.rise) / static_cast<double>(t.run);
    // The oldest step counts by the share of its run that falls within the smoothing run.
    const Measure& m = t.steps[t.oldest];
    const std::int64_t inside = kTrackRun - (t.run - m.run);
    const double rise = static_cast<double>(t.rise - m.rise) +
                        static_cast<double>(m.rise) * static_cast<double>(inside) /
                            static_cast<double>(m.run);
    return rise / static_cast<double>(kTrackRun);
}

}  // namespace flight
