// Every type flown hands off from its in-air cruise start, the elevator left at its cruise trim,
// as a pilot sees it from the aircraft's places (the speed from the distance flown, the indicated
// airspeed from the standard atmosphere at the height flown).
//
// A statically stable aircraft holds the angle of attack its elevator is trimmed for. Let go at a
// low speed, it dives until its speed has built and pulls out on its own; holding its trimmed lift
// coefficient it swings no faster than a wing with no drag at all would (the height lost paying
// for the kinetic energy gained), and its drag takes some of that away.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "flight/published_performance.h"
#include "support/flight_track.h"
#include "support/starter_run.h"

namespace {

using testsupport::StarterRun;

constexpr double kFeetPerSceneUnit = 1.2890625;
constexpr int kIntervalMs = 500;
constexpr std::size_t kSpan = 4;  // places either side of a speed's parabola (2 s)

struct Type {
    int type;
    const char* air;  // the in-air cruise start
    const char* name;
};

const Type kTypes[] = {{0, "C172Air.Flt", "Skyhawk"},
                       {1, "BonAir.Flt", "Bonanza"},
                       {2, "BarAir.Flt", "Baron"},
                       {3, "KingAir.Flt", "KingAir"},
                       {4, "JetAir.Flt", "CitationJet"}};

struct Track {
    std::vector<testsupport::ScenePlace> places;
    std::size_t At(double seconds) const {
        return std::min(places.size() - kSpan - 1,
                        static_cast<std::size_t>(seconds * 1000.0 / kIntervalMs));
    }
    double KnotsAt(std::size_t i) const {
        i = std::clamp(i, kSpan, places.size() - kSpan - 1);
        return testsupport::IndicatedForTrue(
            testsupport::SpeedAt(places, i, kSpan, kIntervalMs / 1000.0),
            places[i].z * kFeetPerSceneUnit);
    }
};

// Restarts into the start flight and flies it hands off for `seconds`; the places every half
// second from the restart.
Track Fly(const StarterRun& run, int seconds) {
    std::string script = "frame-interval 250\nwait 1000\nmenu 687\nwait 500\n";
    for (int ms = 0; ms <= seconds * 1000; ms += kIntervalMs)
        script += "report ac_x ac_y ac_z\nwait " + std::to_string(kIntervalMs) + "\n";
    const auto r = run.Play(script + "quit\n");
    EXPECT_EQ(r.status, 0) << r.out;
    Track t;
    for (std::size_t at = r.out.find("report ac_x"); at != std::string::npos;
         at = r.out.find("report ac_x", at + 1))
        t.places.push_back(testsupport::ReportedPlace(r.out, at));
    return t;
}

// The fastest a wing with no drag swings to, let go level at `fromShare` of the speed its lift
// coefficient carries the weight at: with the coefficient held, the height and the speed trade
// at constant energy, and the path's angle g and the speed ratio r keep
// cos g = r^2 / 3 + C / r (C from the start, g = 0); the fastest is the next level point.
double DragFreePeakShare(double fromShare) {
    const double u0 = fromShare * fromShare;
    const double c = (1.0 - u0 / 3.0) * std::sqrt(u0);
    double lo = 1.0, hi = 3.0;  // in the square of the ratio
    for (int i = 0; i < 60; ++i) {
        const double mid = 0.5 * (lo + hi);
        (mid / 3.0 + c / std::sqrt(mid) < 1.0 ? lo : hi) = mid;
    }
    return std::sqrt(0.5 * (lo + hi));
}

class SpeedStability : public ::testing::TestWithParam<Type> {
protected:
    StarterRun run{"zephlon-speed-stability"};
    void Start(const std::string& flight) { run.Dir().Write("Flights/Startup.Flt", flight); }
};

// The cruise start slowed to a little above its stall speed (the path, the attitude and the trim
// kept), the power as it was, hands off: the aircraft dives and pulls out by itself, never faster
// than the drag-free swing from that speed (the nose used to trail the path through the pull-out,
// the wing flew below its trimmed angle, and the Bonanza and the Baron went past that bound).
TEST_P(SpeedStability, LetGoSlowAtCruiseTrimPullsOutBelowTheDragFreeSwing) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    const Type& p = GetParam();
    const flight::PublishedPerformance& pub = flight::PublishedPerformanceForType(p.type);
    const std::string flight = run.Dir().Read(std::string("Flights/") + p.air);
    // The trimmed indicated airspeed, flown first.
    Start(flight);
    const Track cruise = Fly(run, 10);
    ASSERT_GT(cruise.places.size(), cruise.At(9.0));
    double trimmed = 0;
    for (double s = 5.0; s <= 7.0; s += 0.5)
        trimmed += cruise.KnotsAt(cruise.At(s)) / 5.0;
    // A little above the clean stall speed (the jet's book gives only its landing one).
    const double stall = pub.stallCleanKnots > 0 ? pub.stallCleanKnots : 1.2 * pub.stallFlapsKnots;
    const double from = std::max(1.15 * stall, 0.45 * trimmed);
    std::string slow = flight;
    testsupport::ScaleSavedSpeed(slow, from / trimmed);
    Start(slow);
    constexpr int kSeconds = 90;
    const Track t = Fly(run, kSeconds);
    ASSERT_GT(t.places.size(), t.At(kSeconds - 1.0));
    double fastest = 0;
    for (std::size_t i = t.At(5.0); i <= t.At(kSeconds - 3.0); ++i)
        fastest = std::max(fastest, t.KnotsAt(i));
    const double bound = trimmed * DragFreePeakShare(from / trimmed);
    EXPECT_LE(fastest, bound) << "fastest KIAS; trimmed " << trimmed << ", let go at " << from;
    EXPECT_GT(fastest, trimmed) << "the dive gathers speed past the trimmed one";
}

INSTANTIATE_TEST_SUITE_P(EveryType, SpeedStability, ::testing::ValuesIn(kTypes),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
