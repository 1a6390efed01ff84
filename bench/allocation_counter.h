// Counts every heap allocation of a benchmark program while counting is on. The program's
// operator new and delete are replaced: exactly one source file of each benchmark program
// defines ZEPHLON_ALLOCATION_COUNTER_HERE before including this header.
#pragma once

#include <atomic>
#include <cstdint>

namespace benchsupport {

extern std::atomic<bool> theCounting;
extern std::atomic<std::uint64_t> theAllocations;

}  // namespace benchsupport

#ifdef ZEPHLON_ALLOCATION_COUNTER_HERE
#include <cstdlib>
#include <new>

namespace benchsupport {
std::atomic<bool> theCounting{false};
std::atomic<std::uint64_t> theAllocations{0};
}  // namespace benchsupport

namespace {
// The heap is reached through pointers the compiler cannot see through, so that it does not
// pair this new with a free.
void* (*volatile theAllocate)(std::size_t) = &std::malloc;
void (*volatile theRelease)(void*) = &std::free;
}  // namespace

void* operator new(std::size_t size) {
    if (benchsupport::theCounting.load(std::memory_order_relaxed))
        benchsupport::theAllocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = theAllocate(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    theRelease(p);
}
void operator delete(void* p, std::size_t) noexcept {
    theRelease(p);
}
#endif
