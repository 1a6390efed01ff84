// The surface wind in the running program: the cruise flight (the 172 trimmed level a little
// over 1,000 ft above the bay) flown hands off twice over the same minutes, once through winds a
// pilot sets in the Surface Conditions dialog and once with the dialog set calm. What the wind
// does is the difference of the two runs' ground velocities, from the aircraft's places second
// by second: it pushes at the speed set, from the direction set, and a change from 350 to 010
// swings the drift the 20 degrees through north, never the long way round.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "nav/independent_projection.h"
#include "support/flight_track.h"
#include "support/starter_run.h"

namespace {

using testsupport::StarterRun;

constexpr double kPi = 3.14159265358979;
constexpr double kKnotsPerUnitPerSecond = 1.2890625 * 0.3048 * testsupport::kKnotsPerMetrePerSecond;
// San Carlos's magnetic declination: about 13 degrees east today and 16 in the 1990s (NOAA's
// magnetic field models); the dialog's directions are magnetic, as a tower gives them.
constexpr double kDeclination = 15.0, kDeclinationSpread = 2.0;

struct Phase {
    int direction;   // magnetic, where the wind blows from
    int settleMs;    // after the dialog, before the first place
    int places;      // reported a second apart
};
// From 350, settled while the aircraft glides down into the surface wind's band (below about
// 1,000 ft); then from 010 with its places from the moment it is set until a little before the
// glide ends on the water.
constexpr Phase kPhases[] = {{350, 100000, 6}, {10, 0, 22}};

std::string Script(bool windy) {
    std::string s = "frame-interval 100\nwait 1000\n";
    for (const Phase& p : kPhases) {
        s += "menu 342\ndialog \"Surface Conditions\"\nset 1768 " + std::to_string(p.direction) +
             "\nset 1769 " + (windy ? "30" : "0") + "\nclick 1\n";
        if (p.settleMs > 0) s += "wait " + std::to_string(p.settleMs) + "\n";
        for (int i = 0; i < p.places; ++i) s += "report ac_x ac_y ac_z\nwait 1000\n";
    }
    return s + "quit\n";
}

// The places in the order reported.
std::vector<testsupport::ScenePlace> Places(const std::string& out) {
    std::vector<testsupport::ScenePlace> all;
    for (std::size_t at = out.find("report ac_x="); at != std::string::npos;
         at = out.find("report ac_x=", at + 1))
        all.push_back(testsupport::ReportedPlace(out, at));
    return all;
}

struct Drift {
    double knots, towardDegrees;  // toward, clockwise from the scene's north
};

// The wind's push between places i and i + span: the windy run's ground velocity less the calm
// run's (scene x grows east, y north, z up).
Drift DriftAt(const std::vector<testsupport::ScenePlace>& windy,
              const std::vector<testsupport::ScenePlace>& calm, std::size_t i, std::size_t span) {
    const double dx = (windy[i + span].x - windy[i].x) - (calm[i + span].x - calm[i].x);
    const double dz = (windy[i + span].y - windy[i].y) - (calm[i + span].y - calm[i].y);
    const double seconds = static_cast<double>(span);
    double toward = std::atan2(dx, dz) * 180.0 / kPi;
    if (toward < 0.0) toward += 360.0;
    return {std::hypot(dx, dz) / seconds * kKnotsPerUnitPerSecond, toward};
}

// The signed difference a - b folded into -180 .. 180.
double Turn(double a, double b) {
    double d = std::fmod(a - b, 360.0);
    if (d > 180.0) d -= 360.0;
    if (d <= -180.0) d += 360.0;
    return d;
}

TEST(WindDriftRun, TheAircraftDriftsWithTheSetWindAndANewOneTurnsTheShorterWay) {
    if (!StarterRun::Built()) GTEST_SKIP() << "simrun or the starter installation is not built";
    StarterRun windyRun("zephlon-wind", "Cruise.Flt"), calmRun("zephlon-calm", "Cruise.Flt");
    const testsupport::CommandResult windyOut = windyRun.Play(Script(true));
    ASSERT_EQ(windyOut.status, 0) << windyOut.out;
    const testsupport::CommandResult calmOut = calmRun.Play(Script(false));
    ASSERT_EQ(calmOut.status, 0) << calmOut.out;
    const auto windy = Places(windyOut.out), calm = Places(calmOut.out);
    ASSERT_EQ(windy.size(), 28u);
    ASSERT_EQ(calm.size(), 28u);

    // From 350 at 30 knots: a push of 30 knots toward 170 magnetic, which the world plane's
    // cone turns by its meridian's angle at San Carlos (public coordinates, data/navdata-us).
    double x0 = 0, z0 = 0, x1 = 0, z1 = 0;
    navtest::GeographicToWorld(37.511735, -122.249386, &x0, &z0);
    navtest::GeographicToWorld(37.521735, -122.249386, &x1, &z1);
    const double trueNorth = std::atan2(x1 - x0, z1 - z0) * 180.0 / kPi;
    const Drift north = DriftAt(windy, calm, 0, 5);
    EXPECT_NEAR(north.knots, 30.0, 3.0);
    EXPECT_NEAR(Turn(north.towardDegrees, 170.0 + kDeclination + trueNorth), 0.0, kDeclinationSpread + 6.0)
        << north.towardDegrees;
    // To 010: every two seconds' push lies on the short arc, from the 350 wind's direction 20
    // degrees on (a few degrees of the wind's own wander either side), at its speed, and has
    // turned a good part of the way by the end (the turn takes about half a minute).
    for (std::size_t i = 6; i + 2 < windy.size(); ++i) {
        const Drift d = DriftAt(windy, calm, i, 2);
        const double on = Turn(d.towardDegrees, north.towardDegrees);
        EXPECT_GT(on, -8.0) << "second " << i - 6 << ": " << d.towardDegrees;
        EXPECT_LT(on, 28.0) << "second " << i - 6 << ": " << d.towardDegrees;
        EXPECT_NEAR(d.knots, 30.0, 4.0) << "second " << i - 6;
    }
    const Drift last = DriftAt(windy, calm, windy.size() - 6, 5);
    EXPECT_NEAR(Turn(last.towardDegrees, north.towardDegrees), 15.0, 7.0) << last.towardDegrees;
}

}  // namespace
