#include "sim/sim_clock.h"

#include <algorithm>
#include <cmath>

namespace sim {

SimClock::SimClock(TickTarget& t) : target(t) {
    lastTickTime = currentTime = target.GetSimTimeMs();
}

std::uint32_t SimClock::Advance() {
    const std::uint32_t now = target.GetSimTimeMs();
    const std::uint32_t elapsed = now - currentTime;  // since the last reading, wraps cleanly
    currentTime = now;
    owed += static_cast<double>(elapsed) * kTicksPerMs;
    std::uint32_t ticks = 0;
    if (firstCall != 0) {
        firstCall = 0;
    } else if (owed > 0.0) {
        ticks = static_cast<std::uint32_t>(std::trunc(owed + 0.5));
        owed -= ticks;
    }
    if (ticks > 0) lastTickTime = now;
    RunTicks(ticks);
    return ticks;
}

double SimClock::MsToNextTick() const {
    const double passed = static_cast<double>(target.GetSimTimeMs() - currentTime);
    return std::max(0.0, (0.5 - owed) / kTicksPerMs - passed);
}

// Time acceleration is the simulated clock's alone: it already hands out N times the ticks a
// real second, so each tick runs one flight step (running 2^k would fly N^2 times as fast).
void SimClock::RunTicks(std::uint32_t count) {
    for (std::uint32_t i = 0; i < count; ++i) {
        ++tickCount;
        target.FlightTick();
        if (tickCount % 2 == 0) target.TickEvery2();
        if (tickCount % 3 == 0) target.TickEvery3();
        if (tickCount % 6 == 0) target.TickEvery6();
        if (tickCount % 18 == 0) target.TickEvery18();
    }
}

}  // namespace sim
