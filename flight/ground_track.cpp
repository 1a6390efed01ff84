// The ground's rise along the aircraft's track, smoothed over the gear's run.
#include "flight/ground_track.h"

#include <array>
#include <cstddef>

namespace flight {

namespace {

struct Measure {
    double rise = 0.0;  // metres
    double run = 0.0;   // metres, > 0
};

// Enough steps for the smoothing run at a taxi's pace and the shortest step time.
constexpr std::size_t kSteps = 256;

struct Track {
    std::array<Measure, kSteps> steps{};
    std::size_t newest = 0;
    std::size_t count = 0;
};

Track theTrack;

}  // namespace

void RecordGroundAlongTrack(std::int32_t rise, std::int32_t run) {
    if (run <= 0) return;
    Track& t = theTrack;
    t.newest = (t.newest + 1) % kSteps;
    t.steps[t.newest] = Measure{rise / 256.0, run / 256.0};
    if (t.count < kSteps) ++t.count;
}

void ForgetGroundAlongTrack() {
    theTrack = Track{};
}

double GroundSlopeAlongTrack() {
    const Track& t = theTrack;
    double rise = 0.0;
    double run = 0.0;
    for (std::size_t i = 0; i < t.count && run < kGroundTrackMetres; ++i) {
        const Measure& m = t.steps[(t.newest + kSteps - i) % kSteps];
        // The oldest step counts by the share of its run that falls within the smoothing run.
        const double share =
            run + m.run > kGroundTrackMetres ? (kGroundTrackMetres - run) / m.run : 1.0;
        rise += m.rise * share;
        run += m.run * share;
    }
    return run > 0.0 ? rise / run : 0.0;
}

}  // namespace flight
