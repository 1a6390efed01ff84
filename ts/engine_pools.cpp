#include "ts/engine_pools.h"

#include <cstdlib>
#include <new>

#include "core/pool_alloc.h"

namespace ts {

namespace {

struct PoolRow {
    const char* key;
    std::uint16_t defaultCapacity;
};

constexpr PoolRow kPools[static_cast<int>(EnginePool::kCount)] = {
    {"NumTSShape", 7000}, {"NumTSMesh", 8000}, {"NumTSMat", 6000},
    {"NumTSCell", 16000}, {"NumMapDef", 6000}, {"NumSheet", 6000},
};

struct PoolState {
    std::uint16_t capacity;
    core::PoolAlloc* allocator;
};

PoolState* States() {
    static PoolState states[static_cast<int>(EnginePool::kCount)] = {
        {kPools[0].defaultCapacity, nullptr}, {kPools[1].defaultCapacity, nullptr},
        {kPools[2].defaultCapacity, nullptr}, {kPools[3].defaultCapacity, nullptr},
        {kPools[4].defaultCapacity, nullptr}, {kPools[5].defaultCapacity, nullptr},
    };
    return states;
}

int Index(EnginePool pool) {
    const int i = static_cast<int>(pool);
    return (i >= 0 && i < static_cast<int>(EnginePool::kCount)) ? i : 0;
}

}  // namespace

const char* EnginePoolKey(EnginePool pool) {
    return kPools[Index(pool)].key;
}

std::uint16_t EnginePoolDefaultCapacity(EnginePool pool) {
    return kPools[Index(pool)].defaultCapacity;
}

std::uint16_t EnginePoolCapacity(EnginePool pool) {
    return States()[Index(pool)].capacity;
}

std::uint16_t SetEnginePoolCapacity(EnginePool pool, std::int32_t count) {
    PoolState& s = States()[Index(pool)];
    if (count <= 0) return s.capacity;
    const std::uint16_t capacity = core::ClampPoolCount(count);
    if (capacity != s.capacity) {
        s.capacity = capacity;
        if (s.allocator != nullptr) s.allocator->Reset(capacity);
    }
    return s.capacity;
}

void AttachEnginePool(EnginePool pool, core::PoolAlloc* allocator) {
    PoolState& s = States()[Index(pool)];
    s.allocator = allocator;
    if (allocator != nullptr && allocator->Capacity() != s.capacity) allocator->Reset(s.capacity);
}

void ResetEnginePoolCapacities() {
    for (int i = 0; i < static_cast<int>(EnginePool::kCount); ++i) {
        States()[i].capacity = kPools[i].defaultCapacity;
        if (States()[i].allocator != nullptr) States()[i].allocator->Reset(kPools[i].defaultCapacity);
    }
}

core::PoolAlloc& ClassPool(EnginePool pool, std::size_t elementSize) {
    static core::PoolAlloc* pools[static_cast<int>(EnginePool::kCount)] = {};
    core::PoolAlloc*& p = pools[Index(pool)];
    if (p == nullptr) {
        p = new core::PoolAlloc(static_cast<std::uint16_t>(elementSize), EnginePoolDefaultCapacity(pool));
        AttachEnginePool(pool, p);
    }
    return *p;
}

void* PoolNew(core::PoolAlloc& pool, std::size_t size) {
    void* p = size == pool.ElementSize() ? pool.Alloc() : std::malloc(size);
    if (p == nullptr) throw std::bad_alloc();
    return p;
}

void PoolDelete(core::PoolAlloc& pool, void* block, std::size_t size) {
    if (block == nullptr) return;
    if (size == pool.ElementSize())
        pool.Free(block);
    else
        std::free(block);
}

}  // namespace ts
