// The traffic aircraft with a stand-in for air traffic control's circuit: model, sector and
// place choices that never collide, the steering law, turns across north, climbs and descents,
// and a whole circuit flown from place to place.
#include <gtest/gtest.h>

#include <cmath>

#include "core/numeric.h"
#include "world/traffic_aircraft.h"

namespace {

using world::TrafficAircraft;

// A left-hand circuit round a runway heading 300 (degrees), its rows as ATC lays them: each
// place flies from its row toward the next along its leg (3 and 4 upwind, 5 crosswind, 6 and
// 7 downwind, 8 base, 9 final back to the threshold at row 3).
double thePlaces[12][3];

class Traffic : public ::testing::Test {
protected:
    void SetUp() override {
        const double h = 300.0 * 3.14159265358979323846 / 180.0;
        const double ax = std::sin(h), az = std::cos(h);  // along the runway
        const double lx = -az, lz = ax;                   // to its left
        auto set = [&](int p, double along, double left) {
            thePlaces[p][0] = 9437184.0 + along * ax + left * lx;
            thePlaces[p][1] = 5242880.0 + along * az + left * lz;
            thePlaces[p][2] = 0.0;
        };
        for (int p = 0; p < 12; ++p)
            set(p, 0.0, 0.0);
        set(3, 0.0, 0.0);
        set(4, 2000.0, 0.0);
        set(5, 6000.0, 0.0);
        set(6, 6000.0, 3000.0);
        set(7, 0.0, 3000.0);
        set(8, -4000.0, 3000.0);
        set(9, -4000.0, 0.0);
        set(10, 2000.0, 0.0);
        set(11, 6000.0, 0.0);
        world::TrafficCircuit c;
        c.runwayHeading = 300.0;
        c.leftHand = 1;
        c.circuitAltitude = 1000.0;
        c.groundElevation = 5.0;
        c.places = thePlaces;
        c.placeCount = 12;
        world::theTrafficCircuit = c;
        a.index = 0;
        b.index = 1;
        a.other = &b;
        b.other = &a;
    }
    void TearDown() override { world::theTrafficCircuit = world::TrafficCircuit{}; }
    TrafficAircraft a, b;
};

TEST_F(Traffic, SeededSpawnsAndDestinationsNeverShareAModelSectorOrPlace) {
    for (std::uint32_t seed = 0; seed < 100000; ++seed) {
        core::srand(seed);
        a = TrafficAircraft{};
        b = TrafficAircraft{};
        a.index = 0;
        b.index = 1;
        a.other = &b;
        b.other = &a;
        a.Spawn();
        b.Spawn();
        ASSERT_NE(a.model, b.model) << seed;
        ASSERT_NE(a.sector, b.sector) << seed;
        ASSERT_NE(a.place, b.place) << seed;
        ASSERT_LE(a.sector, 8);
        ASSERT_LE(b.sector, 8);
        ASSERT_LE(a.model, 4u);
        a.ChooseDestination();
        ASSERT_NE(a.place, b.place) << seed;
        b.ChooseDestinationFrom(seed % 2 == 0 ? 6 : 8);
        ASSERT_NE(a.place, b.place) << seed;
        ASSERT_TRUE(b.place >= 3 && b.place <= 9) << seed;
        b.ChangeModel();
        ASSERT_NE(a.model, b.model) << seed;
    }
}

TEST_F(Traffic, DrawsAtTheTopOfTheGeneratorsRangeStayInRange) {
    // The generator's state whose next draw is 32767 (found by search, so the test does not
    // depend on a table).
    std::uint32_t seed = 0;
    for (;; ++seed) {
        core::CrtRandom r(seed);
        if (r.Next() == 32767) break;
    }
    b.model = 3;
    b.place = 5;
    core::srand(seed);
    a.ChooseModel();
    EXPECT_EQ(a.model, 0u);  // 5 becomes 0
    core::srand(seed);
    a.ChooseStartPlace();
    EXPECT_EQ(a.place, 8);
    EXPECT_EQ(a.active, 1u);
    EXPECT_EQ(a.altitude, 1000.0f);
}

TEST_F(Traffic, TurnsTakeTheShortWayAndSnapWithinOneStep) {
    a.performance = world::TrafficPerformanceRow(0);
    a.place = 0;  // steers straight at the target
    auto aimAt = [&](double degrees) {
        const double r = degrees * 3.14159265358979323846 / 180.0;
        a.targetX = a.x + static_cast<std::int32_t>(std::sin(r) * 1e6);
        a.targetZ = a.z + static_cast<std::int32_t>(std::cos(r) * 1e6);
    };
    a.heading = 359.8f;
    aimAt(10.0);
    a.Fly();
    EXPECT_NEAR(a.heading, 0.3f, 1e-4f);
    EXPECT_GT(a.bank, 0.0f);
    a.heading = 45.0f;
    aimAt(45.4);
    a.Fly();
    EXPECT_NEAR(a.heading, a.course, 1e-3);
    // Near north the steering law corrects by the short way round: a track of 359 with the
    // target bearing 1 degree is a small correction, not a turn the wrong way.
    a.place = 3;
    world::theTrafficCircuit.runwayHeading = 359.0;
    a.heading = 0.0f;
    aimAt(1.0);
    a.SteerToTarget();
    EXPECT_NEAR(a.course < 180.0 ? a.course : a.course - 360.0, 17.0, 1.0);
}

TEST_F(Traffic, FliesTheWholeCircuitClimbingOutAndDescendingToLand) {
    core::srand(3);
    a.Spawn();
    a.place = 3;
    a.altitude = 5.0f;
    a.x = static_cast<std::int32_t>(thePlaces[3][0]);
    a.z = static_cast<std::int32_t>(thePlaces[3][1]);
    a.targetX = static_cast<std::int32_t>(thePlaces[4][0]);
    a.targetZ = static_cast<std::int32_t>(thePlaces[4][1]);
    a.heading = 300.0f;
    a.verticalMode = 0;
    float highest = 0.0f;
    bool climbed = false, landed = false;
    int visited = 0;
    for (int step = 0; step < 20000 && !landed; ++step) {
        a.Fly();
        highest = std::max(highest, a.altitude);
        if (a.verticalMode == 1) climbed = true;
        // Stand-in for the tower: on reaching a place, the next one.
        if (a.distance < 400) {
            const int next = a.place == 9 ? 3 : (a.place == 3 ? 4 : a.place + 1);
            if (a.place == 9 && a.altitude <= 5.0f) landed = true;
            a.place = static_cast<std::uint16_t>(next);
            const int after = next == 9 ? 3 : next + 1;
            a.targetX = static_cast<std::int32_t>(thePlaces[after][0]);
            a.targetZ = static_cast<std::int32_t>(thePlaces[after][1]);
            if (next == 9) {
                // Final: aim at the threshold from here.
                a.targetX = static_cast<std::int32_t>(thePlaces[3][0]);
                a.targetZ = static_cast<std::int32_t>(thePlaces[3][1]);
            }
            ++visited;
        }
        ASSERT_TRUE(a.pitch >= -4.0f && a.pitch <= 7.0f);
        ASSERT_TRUE(std::fabs(a.bank) <= 30.0f + 1.7f);
    }
    EXPECT_TRUE(climbed);
    EXPECT_FLOAT_EQ(highest, 1000.0f);  // levels off at exactly the circuit altitude
    EXPECT_GE(visited, 6);
    EXPECT_TRUE(landed);
}

}  // namespace
