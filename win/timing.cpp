#include "win/timing.h"

#include "platform/backend.h"

namespace win {

std::int64_t CalendarTime() {
    return platform::CurrentBackend().GetClock().CalendarSeconds();
}

std::uint32_t timeGetTime() {
    return platform::CurrentBackend().GetClock().Milliseconds();
}

bool QueryPerformanceCounter(std::int64_t* count) {
    if (count == nullptr) return false;
    *count = static_cast<std::int64_t>(platform::CurrentBackend().GetClock().Counter());
    return true;
}

bool QueryPerformanceFrequency(std::int64_t* frequency) {
    if (frequency == nullptr) return false;
    *frequency =
        static_cast<std::int64_t>(platform::CurrentBackend().GetClock().CounterFrequency());
    return *frequency != 0;
}

void Sleep(std::uint32_t ms) {
    platform::CurrentBackend().GetClock().Sleep(ms);
}

}  // namespace win
