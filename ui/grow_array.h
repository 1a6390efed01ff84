// A growable array of word-sized values (page pointers of the sheets), growing by a fixed step.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ui {

class GrowArray {
public:
    explicit GrowArray(std::int16_t step = 5) : growBy(step > 0 ? step : 1) {}
    ~GrowArray();
    GrowArray(const GrowArray&) = delete;
    GrowArray& operator=(const GrowArray&) = delete;

    // Appends a value: the capacity grows to the smallest multiple of the step that holds it.
    // When the storage cannot grow, the array keeps what it held and the value is not stored.
    bool Append(std::uintptr_t value);
    [[nodiscard]] std::uintptr_t At(int index) const {
        return index >= 0 && index < count ? data[index] : 0;
    }

    std::int32_t count = 0;
    std::int32_t capacity = 0;
    std::int16_t growBy;
    std::int16_t ownsStorage = 0;
    std::uintptr_t* data = nullptr;

    // The allocator, replaceable so tests can refuse memory; realloc's contract.
    static void* (*reallocate)(void* block, std::size_t bytes);
};

}  // namespace ui
