// Each type flown the way its handbook's figures were flown, in the starter installation, and
// measured from its places alone: the best-rate climb at full power near sea level against the
// published rate, and the take-off from a sea-level runway, its ground roll and its distance to
// 50 feet, against the published ones.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "flight/published_performance.h"
#include "support/flight_track.h"
#include "support/starter_run.h"

namespace {

using testsupport::Reported;
using testsupport::SavedValue;
using testsupport::StarterRun;

constexpr double kMetresPerFoot = 0.3048;
constexpr double kGravity = 9.80665;

long long Get(const std::string& flight, const char* key) {
    return SavedValue(flight, key).value_or(0);
}

// A saved place (metres) and the one a second later: the speed between them.
struct Place {
    double x, y, z;
};
Place PlaceIn(const std::string& flight) {
    return {Get(flight, "fmPosX") / 256.0, Get(flight, "fmPosY") / 256.0,
            Get(flight, "fmPosZ") / 256.0};
}
double MetresPerSecond(const Place& a, const Place& b, double seconds) {
    return std::sqrt((b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y) +
                     (b.z - a.z) * (b.z - a.z)) /
           seconds;
}

struct Climber {
    int type;
    const char* flight;  // the type's in-air start
    const char* name;
    double knots;  // indicated airspeed flown where the book publishes no best-rate speed
};

class BookClimb : public ::testing::TestWithParam<Climber> {};

// The in-air start taken down to 100 ft over the water at the climb speed, full power, the pilot
// holding the speed with wings level. After 45 s to settle, a minute of climb: the height gained
// and the kinetic energy lost or won (from the speeds between places a second apart) give the
// steady climb rate.
TEST_P(BookClimb, FullPowerClimbNearSeaLevelMeetsTheBook) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    const Climber& c = GetParam();
    const flight::PublishedPerformance& pub = flight::PublishedPerformanceForType(c.type);
    const double knots = pub.bestClimbKnots > 0 ? pub.bestClimbKnots : c.knots;
    StarterRun run("zephlon-climb");
    std::string flight = run.Dir().Read(std::string("Flights/") + c.flight);
    const double scale =
        knots / testsupport::kKnotsPerMetrePerSecond * 65536.0 / Get(flight, "fmTAVel");
    testsupport::ScaleSavedSpeed(flight, scale);
    testsupport::PutSavedValue(flight, "fmPosY", std::llround(100 * kMetresPerFoot * 256.0));
    run.Dir().Write("Flights/Startup.Flt", flight);

    std::string script = "frame-interval 1000\nwait 1000\nmenu 687\nwait 1000\n";
    for (long long lever = Get(flight, "throttle"); lever < 31; ++lever) script += "key = press\n";
    script += "pilot ias " + std::to_string(knots) + "\npilot bank 0\nwait 45000\n";
    for (const char* at : {"a", "b"}) {
        script += std::string("save ") + run.Dir().Path(std::string(at) + "0.flt") +
                  "\nwait 1000\nsave " + run.Dir().Path(std::string(at) + "1.flt") +
                  "\nreport alt_ft\n" + (at[0] == 'a' ? "wait 59000\n" : "");
    }
    const auto r = run.Play(script + "quit\n");
    ASSERT_EQ(r.status, 0) << r.out;
    const Place a0 = PlaceIn(run.Dir().Read("a0.flt")), a1 = PlaceIn(run.Dir().Read("a1.flt"));
    const Place b0 = PlaceIn(run.Dir().Read("b0.flt")), b1 = PlaceIn(run.Dir().Read("b1.flt"));
    const double va = MetresPerSecond(a0, a1, 1.0), vb = MetresPerSecond(b0, b1, 1.0);
    const double metres = (b0.y - a0.y) + (vb * vb - va * va) / (2.0 * kGravity);
    const double feetPerMinute = metres / kMetresPerFoot;
    // The turbines, flat-rated, climb as well at 6,000 ft as at sea level.
    EXPECT_LT(b1.y / kMetresPerFoot, pub.type >= 3 ? 6000.0 : 3000.0) << "no longer near sea level";
    EXPECT_NEAR(feetPerMinute, pub.climbFeetPerMinute, 0.10 * pub.climbFeetPerMinute)
        << "steady climb at " << knots << " kt (height gained " << (b0.y - a0.y) / kMetresPerFoot
        << " ft, true airspeed " << va * testsupport::kKnotsPerMetrePerSecond << " then "
        << vb * testsupport::kKnotsPerMetrePerSecond << " kt)";
}

// The jet's flight manual publishes no best-rate speed: it climbs at 160 knots, near the speed of
// its steepest climb at full thrust.
const Climber kClimbers[] = {{0, "C172Air.Flt", "Skyhawk", 0},
                             {1, "BonAir.Flt", "Bonanza", 0},
                             {2, "BarAir.Flt", "Baron", 0},
                             {3, "KingAir.Flt", "KingAir", 0},
                             {4, "JetAir.Flt", "CitationJet", 160}};

INSTANTIATE_TEST_SUITE_P(EveryType, BookClimb, ::testing::ValuesIn(kClimbers),
                         [](const auto& info) { return std::string(info.param.name); });

struct Runner {
    int type;
    const char* flight;  // the type's ready-to-fly flight
    const char* name;
    // The book's figures are for a sea-level runway: a ready flight on a high field is moved to
    // the Skyhawk's (its place and heading), its trim and power kept.
    bool moveToSeaLevel;
};

class BookTakeOff : public ::testing::TestWithParam<Runner> {};

// The ready flight on a sea-level runway: full power, brakes off, the nose lifted at the rotation
// speed (Down held a second and a half), then the climb flown at five knots above it, wings
// level, as the books' obstacle speeds are. The run from the brakes' release to the first place
// above the runway is the ground roll, to the first place 50 feet above it the take-off distance.
TEST_P(BookTakeOff, RunMeetsTheBook) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    const Runner& t = GetParam();
    const flight::PublishedPerformance& pub = flight::PublishedPerformanceForType(t.type);
    StarterRun run("zephlon-roll");
    std::string flight = run.Dir().Read(std::string("Flights/") + t.flight);
    if (t.moveToSeaLevel) {
        const std::string field = run.Dir().Read("Flights/C172Fly.Flt");
        for (const char* key : {"fmPosX", "fmPosY", "fmPosZ", "fmHead"})
            testsupport::PutSavedValue(flight, key, Get(field, key));
    }
    run.Dir().Write("Flights/Startup.Flt", flight);
    constexpr int kStepMs = 250;
    const std::string start =
        "frame-interval 250\nwait 1000\nmenu 687\nwait 2000\nreport alt_ft ac_x ac_y ac_z\n"
        "key Backspace press\nkey B press\n";
    std::string script = start;
    for (int ms = kStepMs; ms <= 40000; ms += kStepMs)
        script += "wait 250\nreport ac_x ac_y ac_z alt_ft\n";
    auto r = run.Play(script + "quit\n");
    ASSERT_EQ(r.status, 0) << r.out;
    // Hands off first, to find when the rotation speed comes.
    std::vector<testsupport::ScenePlace> places;
    for (std::size_t at = r.out.find("report ac_x"); at != std::string::npos;
         at = r.out.find("report ac_x", at + 1))
        places.push_back(testsupport::ReportedPlace(r.out, at));
    const double field = Reported(r.out, "alt_ft");
    EXPECT_LT(field, 100.0) << "the book's runway is at sea level";
    constexpr std::size_t kSpan = 8;
    std::size_t rotate = kSpan;
    while (rotate + kSpan < places.size() &&
           testsupport::IndicatedForTrue(
               testsupport::SpeedAt(places, rotate, kSpan, kStepMs / 1000.0), field) <
               pub.rotationKnots)
        ++rotate;
    ASSERT_LT(rotate + kSpan, places.size()) << "never reached rotation speed";

    const int pullMs = static_cast<int>(rotate + 1) * kStepMs;
    script = start;
    for (int ms = kStepMs; ms <= pullMs + 20000; ms += kStepMs) {
        script += "wait 250\n";
        if (ms == pullMs) script += "key Down down\n";
        if (ms == pullMs + 1500)
            script += "key Down up\npilot bank 0\npilot ias " +
                      std::to_string(pub.rotationKnots + 5) + "\n";
        script += "report ac_x ac_y ac_z alt_ft\n";
    }
    r = run.Play(script + "quit\n");
    ASSERT_EQ(r.status, 0) << r.out;
    const std::size_t first = r.out.find("report alt_ft=");
    ASSERT_NE(first, std::string::npos) << r.out;
    const testsupport::ScenePlace released = testsupport::ReportedPlace(r.out, first);
    // Feet along the ground from the release to the first place `height` feet above the runway.
    auto runTo = [&](double height) {
        for (std::size_t at = r.out.find("report ac_x"); at != std::string::npos;
             at = r.out.find("report ac_x", at + 1)) {
            if (Reported(r.out, "alt_ft", at) > field + height) {
                const testsupport::ScenePlace off = testsupport::ReportedPlace(r.out, at);
                return std::hypot(off.x - released.x, off.y - released.y) * 1.2890625;  // z is up
            }
        }
        return -1.0;
    };
    const double roll = runTo(0.1), over50 = runTo(50.0);
    ASSERT_GT(roll, 0) << "never left the runway";
    if (pub.groundRollFeet > 0) {
        EXPECT_NEAR(roll, pub.groundRollFeet, 0.20 * pub.groundRollFeet) << "ground roll, feet";
    }
    if (pub.over50FeetFeet > 0) {
        EXPECT_NEAR(over50, pub.over50FeetFeet, 0.20 * pub.over50FeetFeet)
            << "distance to 50 feet (ground roll " << roll << " ft)";
    }
}

// The types with a published take-off figure (none is at hand for the Bonanza). The King Air's
// ready flight stands on a field near 5,900 ft.
const Runner kRunners[] = {{0, "C172Fly.Flt", "Skyhawk", false},
                           {2, "BarFly.Flt", "Baron", false},
                           {3, "KingFly.Flt", "KingAir", true},
                           {4, "JetFly.Flt", "CitationJet", false}};

INSTANTIATE_TEST_SUITE_P(EveryType, BookTakeOff, ::testing::ValuesIn(kRunners),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
