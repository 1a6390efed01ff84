#include "allocation_counter.h"

#include <cstdlib>
#include <new>

namespace benchworld {
std::atomic<bool> theCounting{false};
std::atomic<std::uint64_t> theAllocations{0};
}  // namespace benchworld

namespace {
// The heap is reached through pointers the compiler cannot see through, so that it does not
// pair this new with a free.
void* (*volatile theAllocate)(std::size_t) = &std::malloc;
void (*volatile theRelease)(void*) = &std::free;
}  // namespace

void* operator new(std::size_t size) {
    if (benchworld::theCounting.load(std::memory_order_relaxed))
        benchworld::theAllocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = theAllocate(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    theRelease(p);
}
void operator delete(void* p, std::size_t) noexcept {
    theRelease(p);
}
