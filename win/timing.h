// Time as the program reads it: the millisecond system timer (wrapping at 2^32), the
// high-resolution counter, and Sleep. On the headless machine all three follow its virtual
// clock, so a run is the same every time.
#pragma once

#include <cstdint>

namespace win {

std::uint32_t timeGetTime();
bool QueryPerformanceCounter(std::int64_t* count);
bool QueryPerformanceFrequency(std::int64_t* frequency);
void Sleep(std::uint32_t ms);

}  // namespace win
