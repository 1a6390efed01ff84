// The tick scheduler: rounding of elapsed time, the fraction of a tick kept across frames, owed
// ticks after marked frames, task order and one flight step a tick at any speed-up.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "sim/sim_clock.h"

namespace {

class FakeWorld final : public sim::TickTarget {
public:
    std::uint32_t now = 1000;
    int flightSteps = 0;
    std::vector<std::string> tasks;  // tasks of the last ticks, "2", "3", "6", "18"
    std::uint32_t GetSimTimeMs() override { return now; }
    void FlightTick() override { ++flightSteps; }
    void TickEvery2() override { tasks.push_back("2"); }
    void TickEvery3() override { tasks.push_back("3"); }
    void TickEvery6() override { tasks.push_back("6"); }
    void TickEvery18() override { tasks.push_back("18"); }
};

TEST(ClockScheduler, FirstAdvanceCountsNothingAndRoundsAfterwards) {
    struct Case {
        std::uint32_t elapsed;
        std::uint32_t ticks;
    };
    for (const Case c : {Case{27, 0}, Case{28, 1}, Case{82, 1}, Case{83, 2}, Case{0, 0}}) {
        FakeWorld w;
        sim::SimClock clock(w);
        EXPECT_EQ(clock.Advance(), 0u);  // the first call
        w.now += c.elapsed;
        EXPECT_EQ(clock.Advance(), c.ticks) << c.elapsed << " ms";
    }
}

TEST(ClockScheduler, EighteenPointTwoTicksASecondAtAnyFrameInterval) {
    for (std::uint32_t interval : {1u, 16u, 33u, 50u, 83u, 200u}) {
        FakeWorld w;
        sim::SimClock clock(w);
        clock.Advance();
        std::uint32_t ticks = 0;
        for (std::uint32_t t = 0; t < 60000; t += interval) {
            w.now += interval;
            ticks += clock.Advance();
        }
        EXPECT_NEAR(static_cast<double>(ticks), 1092.0, 1.0) << interval << " ms frames";
        EXPECT_EQ(clock.TickCount(), ticks);
    }
}

// The loop rests until the next tick is due: a millisecond short of the time it is told no tick
// runs, and at that time one does (a tick is 1000 / 18.2 = 54.9 ms), whatever fraction of a tick
// the frames before left owed.
TEST(ClockScheduler, TheTimeToTheNextTickEndsWhereAnAdvanceRunsOne) {
    for (std::uint32_t interval : {1u, 7u, 16u, 40u}) {
        FakeWorld w;
        sim::SimClock clock(w);
        clock.Advance();
        for (int step = 0; step < 500; ++step) {
            w.now += interval;
            clock.Advance();
            const double due = clock.MsToNextTick();
            ASSERT_GE(due, 0.0);
            ASSERT_LE(due, 55.0);
            const auto whole = static_cast<std::uint32_t>(std::ceil(due));
            if (whole == 0) {
                ASSERT_EQ(clock.Advance(), 1u) << interval << " ms, step " << step;
                continue;
            }
            w.now += whole - 1;
            ASSERT_EQ(clock.Advance(), 0u) << interval << " ms, step " << step;
            ASSERT_NEAR(clock.MsToNextTick(), due - (whole - 1), 1e-6);
            w.now += 1;
            ASSERT_EQ(clock.Advance(), 1u) << interval << " ms, step " << step;
        }
    }
}

TEST(ClockScheduler, MarkedFramesCountNoTicksAndTheTimeStaysOwed) {
    FakeWorld w;
    sim::SimClock clock(w);
    clock.Advance();
    // 2 s of frames forced by a flooded queue: each is marked.
    std::uint32_t during = 0;
    for (int i = 0; i < 8; ++i) {
        clock.Mark();
        w.now += 250;
        during += clock.Advance();
    }
    EXPECT_EQ(during, 0u);
    const std::uint32_t before = clock.LastTickTime();
    w.now += 20;
    EXPECT_EQ(clock.Advance(), 37u);  // 2020 ms of owed time, at once
    EXPECT_NE(clock.LastTickTime(), before);

    // The edge case of a single mark: 300 ms owed and 20 more give 6 ticks.
    FakeWorld v;
    sim::SimClock c2(v);
    c2.Advance();
    c2.Mark();
    v.now += 300;
    EXPECT_EQ(c2.Advance(), 0u);
    v.now += 20;
    EXPECT_EQ(c2.Advance(), 6u);
}

TEST(ClockScheduler, TasksRunInOrderOnTheSameCount) {
    FakeWorld w;
    sim::SimClock clock(w);
    clock.RunTicks(17);
    w.tasks.clear();
    clock.RunTicks(1);  // tick 18
    EXPECT_EQ(w.tasks, (std::vector<std::string>{"2", "3", "6", "18"}));
    clock.RunTicks(5);
    w.tasks.clear();
    clock.RunTicks(1);  // tick 24
    EXPECT_EQ(w.tasks, (std::vector<std::string>{"2", "3", "6"}));
    w.tasks.clear();
    clock.RunTicks(1);  // tick 25
    EXPECT_TRUE(w.tasks.empty());
}

// At 8x the simulated clock hands out 8000 ms a real second: that is 145.6 ticks, each one flight
// step, so the flight and the slower tasks both run eight times as often, never 64.
TEST(ClockScheduler, AcceleratedTimeRunsOneFlightStepATick) {
    FakeWorld w;
    sim::SimClock clock(w);
    clock.Advance();
    int eighteens = 0;
    for (int frame = 0; frame < 40; ++frame) {
        w.now += 200;  // 25 ms of real time at 8x
        clock.Advance();
    }
    for (const std::string& t : w.tasks) eighteens += t == "18";
    EXPECT_EQ(w.flightSteps, 146);
    EXPECT_EQ(eighteens, 146 / 18);
}

TEST(ClockScheduler, TimeWrapsCleanly) {
    FakeWorld w;
    w.now = 0xFFFFFF00u;
    sim::SimClock clock(w);
    clock.Advance();
    w.now += 0x200;  // 512 ms across the wrap
    EXPECT_EQ(clock.Advance(), 9u);
}

}  // namespace
