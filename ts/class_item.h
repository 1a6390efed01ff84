// Persistent objects of the 3D engine. Every object that lives in a shape file (parts, meshes,
// materials, material lists) is a ClassItem: it knows its tag, its stored and in-memory sizes,
// how to read and write its data and how to dump itself. A stored object is a tagged block
// {u32 tag, u32 size, data, a zero pad byte when the size is odd}; the class registry maps each
// tag to a creation routine, and composite objects load their children with the same call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "core/stream_io.h"

namespace ts {

// (group << 16) | class id; every class of the engine is in group 20.
inline constexpr std::uint32_t kShapeGroup = 20;
constexpr std::uint32_t PersistTag(std::uint32_t group, std::uint32_t id) {
    return (group << 16) | id;
}
// A tag with any of the top four bits set is stored without a header.
constexpr bool IsHeaderlessTag(std::uint32_t tag) {
    return (tag & 0xF0000000u) != 0;
}
// Blocks nested deeper than this fail the whole load.
inline constexpr int kMaxBlockDepth = 64;

class ClassItem;
using ClassCreate = ClassItem* (*)(core::StreamIO& stream, std::uint32_t version);

// One row of a registered table: tag, creation routine (null object for classes that create
// nothing) and display name.
struct ClassRow {
    std::uint32_t tag;
    ClassCreate create;
    const char* name;
};

struct BlockHeader {
    std::uint32_t tag = 0;
    std::uint32_t size = 0;
};

// An allocation arena: bytes handed out from base in order.
struct ClassArena {
    std::uint8_t* base = nullptr;
    std::uint32_t capacity = 0;
    std::uint32_t used = 0;
};

class ClassItem {
public:
    ClassItem() = default;
    virtual ~ClassItem() = default;
    ClassItem(const ClassItem&) = delete;
    ClassItem& operator=(const ClassItem&) = delete;

    [[nodiscard]] virtual std::uint32_t getPersistTag() const = 0;
    // Data bytes write() will produce; 0 when the class does not know in advance.
    [[nodiscard]] virtual std::uint32_t getStoredSize() const = 0;
    // Bytes the object and everything it allocates occupy.
    [[nodiscard]] virtual std::uint32_t getMemorySize() const = 0;
    // 1 when the data was read whole; a reader checks every count against bytesLeft first.
    virtual int read(core::StreamIO& stream, std::uint32_t version) = 0;
    virtual int write(core::StreamIO& stream, std::uint32_t version) const = 0;
    // The first line of every dump: indent spaces, "Class type: G:I" and the registered name
    // in double quotes; subclasses add their fields when depth is above 0.
    virtual void dump(int depth, int indent) const;

    // ---- the registry ----
    static void registerClasses(const ClassRow* rows, int count);
    // The first row with the tag, tables in registration order; null when none.
    [[nodiscard]] static const ClassRow* findClass(std::uint32_t tag);

    // ---- blocks ----
    // Reads one block and returns the object it makes, or null. Unregistered and obsolete tags
    // give null and leave the stream at the block's end. A block that passes its enclosing
    // block or the stream, data its class cannot read, or nesting past kMaxBlockDepth fail the
    // whole load: the outermost call returns null then.
    [[nodiscard]] static ClassItem* loadObject(core::StreamIO& stream, std::uint32_t version);
    template <typename T>
    [[nodiscard]] static std::unique_ptr<T> load(core::StreamIO& stream, std::uint32_t version);
    // Writes one block. An object whose stored size is 0 gets its size patched afterwards; on a
    // stream that cannot reposition it is not written at all. 1 when the stream stayed good.
    static int storeObject(const ClassItem* object, core::StreamIO& stream, std::uint32_t version);
    // The stored length of the object's block; 0 when its stored size is 0.
    [[nodiscard]] static std::uint32_t getTotalStoredSize(const ClassItem* object);
    // The header at the current position; the stream goes back unless it ended. True when the
    // stream is good.
    static bool peekObject(core::StreamIO& stream, BlockHeader* header);
    // Moves past the block at the current position.
    static bool skipObject(core::StreamIO& stream);

    // ---- helpers of the readers ----
    // Bytes left before the end of the block being read (0 outside a block).
    [[nodiscard]] static std::uint32_t bytesLeft(core::StreamIO& stream);
    // Reads little-endian words; 0 when the stream fell short.
    static int readU32(core::StreamIO& stream, std::uint32_t* out);
    static int readI32(core::StreamIO& stream, std::int32_t* out);
    static int readF32(core::StreamIO& stream, float* out);
    static int writeU32(core::StreamIO& stream, std::uint32_t v);
    static int writeI32(core::StreamIO& stream, std::int32_t v);
    static int writeF32(core::StreamIO& stream, float v);
    // Marks the load in progress as failed (a creation routine whose read failed).
    static void markLoadFailed();
    [[nodiscard]] static bool loadFailed();
    // Creation helper: a new T read from the stream, or null (and the load failed).
    template <typename T>
    static ClassItem* createAndRead(core::StreamIO& stream, std::uint32_t version);

    // ---- allocation arenas ----
    // null for 0 bytes; from the heap (std::malloc, the caller frees) when no arena is given or
    // it is full; else base + used.
    static void* arenaAlloc(std::uint32_t bytes, ClassArena* arena);
    [[nodiscard]] static ClassArena* currentArena();
    static void* pushArena(void* base, std::uint32_t capacity, std::uint32_t used);
    // A fresh arena of the given size taken from the current one (or the heap).
    static void* pushNewArena(std::uint32_t bytes);
    static void popArena();
};

template <typename T>
ClassItem* ClassItem::createAndRead(core::StreamIO& stream, std::uint32_t version) {
    auto object = std::make_unique<T>();
    if (object->read(stream, version) == 0) {
        markLoadFailed();
        return nullptr;
    }
    return object.release();
}

template <typename T>
std::unique_ptr<T> ClassItem::load(core::StreamIO& stream, std::uint32_t version) {
    std::unique_ptr<ClassItem> item(loadObject(stream, version));
    if (T* typed = dynamic_cast<T*>(item.get())) {
        item.release();
        return std::unique_ptr<T>(typed);
    }
    return nullptr;
}

// Registers the engine's table of persistent classes (once; later calls do nothing). The
// world's constructor calls it before anything is loaded.
void InstallShapeClasses();

}  // namespace ts
