// The tick scheduler: turns elapsed simulated milliseconds into ticks of 1/18.2 second and runs,
// per tick, the flight step once and the slower tasks of every 2nd, 3rd, 6th and 18th tick, in
// that order. Time acceleration speeds the simulated clock, so at N times the ticks (and with
// them the flight and every slower task) come N times as often a real second.
//
// The clock keeps the fraction of a tick it has not run yet, so the simulation runs at 18.2
// ticks a second whatever the frame rate: a frame of 33 ms is 0.6 of a tick, and dropping the
// rest at every frame would make the aircraft fly at a speed that depends on the frame rate.
#pragma once

#include <cstdint>

namespace sim {

// What the clock drives; the world is the one real target, tests give their own.
class TickTarget {
public:
    virtual ~TickTarget() = default;
    virtual std::uint32_t GetSimTimeMs() = 0;
    virtual void FlightTick() = 0;
    virtual void TickEvery2() = 0;
    virtual void TickEvery3() = 0;
    virtual void TickEvery6() = 0;
    virtual void TickEvery18() = 0;
};

inline constexpr double kTicksPerMs = 0.0182;

class SimClock {
public:
    explicit SimClock(TickTarget& target);

    // Reads the simulated time, counts whole ticks and runs them. Returns the ticks run.
    std::uint32_t Advance();
    void RunTicks(std::uint32_t count);
    // The next advance counts no ticks; the time stays owed and is run by a later advance.
    void Mark() { firstCall = 1; }

    [[nodiscard]] std::uint32_t TickCount() const { return tickCount; }
    [[nodiscard]] std::uint32_t LastTickTime() const { return lastTickTime; }
    [[nodiscard]] std::uint32_t CurrentTime() const { return currentTime; }
    [[nodiscard]] double Owed() const { return owed; }
    // Simulated milliseconds until an advance would run a tick (0 when one is due already).
    [[nodiscard]] double MsToNextTick() const;

private:
    TickTarget& target;
    std::uint32_t lastTickTime = 0;
    std::uint32_t currentTime = 0;
    std::uint32_t tickCount = 0;
    std::uint32_t firstCall = 1;
    double owed = 0.0;  // ticks of simulated time not yet run (may be slightly negative)
};

}  // namespace sim
