// Counts every allocation of the benchmark program while counting is on (the program's
// operator new is replaced in allocation_counter.cpp).
#pragma once

#include <atomic>
#include <cstdint>

namespace benchworld {

extern std::atomic<bool> theCounting;
extern std::atomic<std::uint64_t> theAllocations;

}  // namespace benchworld
