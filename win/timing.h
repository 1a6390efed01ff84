// Time as the program reads it: the millisecond system timer (wrapping at 2^32), the
// high-resolution counter, Sleep and the calendar. On the headless machine all four follow its
// virtual clock, so a run is the same every time.
#pragma once

#include <cstdint>

namespace win {

std::uint32_t timeGetTime();
bool QueryPerformanceCounter(std::int64_t* count);
bool QueryPerformanceFrequency(std::int64_t* frequency);
void Sleep(std::uint32_t ms);
// The calendar time, seconds since 1970-01-01 UTC (the headless machine's own, fixed start).
std::int64_t CalendarTime();

}  // namespace win
