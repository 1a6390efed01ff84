#include "ui/grow_array.h"

#include <cstdlib>

namespace ui {

void* (*GrowArray::reallocate)(void*, std::size_t) = &std::realloc;

GrowArray::~GrowArray() {
    if (ownsStorage != 0) std::free(data);
}

bool GrowArray::Append(std::uintptr_t value) {
    const std::int32_t wanted = count + 1;
    if (wanted > capacity) {
        const std::int32_t grown = (wanted + growBy - 1) / growBy * growBy;
        void* block = reallocate(data, static_cast<std::size_t>(grown) * sizeof(std::uintptr_t));
        // A refused allocation leaves the old block and its elements as they were.
        if (block == nullptr) return false;
        data = static_cast<std::uintptr_t*>(block);
        capacity = grown;
        ownsStorage = 1;
    }
    data[count] = value;
    count = wanted;
    return true;
}

}  // namespace ui
