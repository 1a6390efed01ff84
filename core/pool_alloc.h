// Per-class element pools. Classes made and destroyed in large numbers route their allocation
// and release operators through a static PoolAlloc named after its element size and capacity.
// Every element is its own heap block; the reserved block that Reset makes is kept (with a free
// list over it) for callers that size pools up front, but allocation never draws from it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace core {

class PoolAlloc {
public:
    PoolAlloc() = default;
    PoolAlloc(std::uint16_t elementSize, std::uint16_t capacity);
    virtual ~PoolAlloc();
    PoolAlloc(const PoolAlloc&) = delete;
    PoolAlloc& operator=(const PoolAlloc&) = delete;

    // Replaces the reserved block with one of capacity x elementSize bytes; null when the
    // capacity is 0 or memory is short.
    virtual void* AllocBlock();
    // A new element of elementSize bytes from the heap (null when the heap is exhausted).
    virtual void* Alloc();
    // Gives an element back to the heap; null is ignored.
    virtual void Free(void* element);
    // Sizes the reserved block for `capacity` elements (a new block only when the capacity
    // changed or there is none yet) and links all its elements into the free list. 1 when a
    // block exists afterwards.
    virtual int Reset(std::uint16_t capacity);

    // Links every element of the reserved block, first to last, and clears the count in use.
    void BuildFreeList();

    [[nodiscard]] std::uint16_t ElementSize() const { return elementSize; }
    [[nodiscard]] std::uint16_t Capacity() const { return capacity; }
    [[nodiscard]] std::uint32_t InUse() const { return inUse; }
    [[nodiscard]] const void* Block() const { return block.get(); }
    // The free list: its first element, and the element after a given one (null at the end).
    // The links live beside the block, so elements smaller than a pointer can be linked too.
    [[nodiscard]] void* FreeHead() const { return freeHead; }
    [[nodiscard]] void* NextFree(const void* element) const;

protected:
    std::unique_ptr<std::uint8_t[]> block;
    void* freeHead = nullptr;
    std::vector<std::uint32_t> freeLinks;  // per element: index of the next free one
    std::uint16_t elementSize = 0;
    std::uint16_t capacity = 0;
    std::uint32_t inUse = 0;
};

// A pool that counts its live elements and, when destroyed, appends the element size and the
// largest count seen to "malloc.out" in the working folder.
class CountPoolAlloc : public PoolAlloc {
public:
    explicit CountPoolAlloc(std::uint16_t elementSize);
    ~CountPoolAlloc() override;

    void* Alloc() override;
    void Free(void* element) override;
    // Counting pools keep no reserved block.
    int Reset(std::uint16_t capacity) override;

    [[nodiscard]] std::uint32_t MaxInUse() const { return maxInUse; }

    static constexpr const char* kReportFile = "malloc.out";

private:
    std::uint32_t maxInUse = 0;
};

// Hands out consecutive pieces of one block, without alignment and without release of single
// pieces; Reset zeroes the block and starts over.
class BlockAlloc {
public:
    BlockAlloc() = default;
    explicit BlockAlloc(std::uint16_t size);
    virtual ~BlockAlloc();
    BlockAlloc(const BlockAlloc&) = delete;
    BlockAlloc& operator=(const BlockAlloc&) = delete;

    virtual void Reset();
    // The next n bytes, or null when fewer than n are left.
    virtual void* Alloc(std::uint16_t n);

    [[nodiscard]] std::uint32_t Size() const { return size; }
    [[nodiscard]] std::uint32_t Used() const { return used; }

private:
    std::unique_ptr<std::uint8_t[]> block;
    std::uint8_t* next = nullptr;
    std::uint32_t size = 0;
    std::uint32_t used = 0;
};

// A pool count read from the settings ("MemControl"): 0 keeps the built-in size, and counts
// beyond what a pool can hold are held at 65535.
[[nodiscard]] std::uint16_t ClampPoolCount(std::int64_t count);

}  // namespace core
