// The element pools of the engine's classes and their capacities. The settings' "MemControl"
// counts (NumTSShape, NumTSMesh, NumTSMat, NumTSCell, NumMapDef, NumSheet) are applied at window
// creation; each class attaches its own pool here when it is built, and a capacity set before
// that is applied on attachment.
#pragma once

#include <cstddef>
#include <cstdint>

namespace core {
class PoolAlloc;
}

namespace ts {

enum class EnginePool : int {
    kShape = 0,      // "NumTSShape", 7000
    kMesh,           // "NumTSMesh", 8000
    kMaterial,       // "NumTSMat", 6000
    kSequenceState,  // "NumTSCell", 16000
    kTextureEntry,   // "NumMapDef", 6000
    kSheet,          // "NumSheet", 6000
    kCount
};

// The settings key of a pool's count.
[[nodiscard]] const char* EnginePoolKey(EnginePool pool);
[[nodiscard]] std::uint16_t EnginePoolDefaultCapacity(EnginePool pool);
[[nodiscard]] std::uint16_t EnginePoolCapacity(EnginePool pool);
// A count above 0 becomes the pool's capacity (held at 65535); 0 or less keeps the one it has.
// Returns the capacity in force afterwards.
std::uint16_t SetEnginePoolCapacity(EnginePool pool, std::int32_t count);
// The class's pool, resized to the capacity in force; null detaches it.
void AttachEnginePool(EnginePool pool, core::PoolAlloc* allocator);
// Back to the built-in capacities (the pools stay attached).
void ResetEnginePoolCapacities();

// The pool of a class of the engine: made on first use with the capacity in force, attached,
// and never destroyed (objects still alive at exit go back to it).
[[nodiscard]] core::PoolAlloc& ClassPool(EnginePool pool, std::size_t elementSize);

// The allocation operators of pooled classes: objects of the pool's element size come from the
// pool, others (a derived class's) from the heap. Throws std::bad_alloc when memory is short.
[[nodiscard]] void* PoolNew(core::PoolAlloc& pool, std::size_t size);
void PoolDelete(core::PoolAlloc& pool, void* block, std::size_t size);

}  // namespace ts
