#include "ts/class_item.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "core/endian.h"

namespace ts {

namespace {

struct Table {
    const ClassRow* rows;
    int count;
};

std::vector<Table>& Registry() {
    static std::vector<Table> tables;
    return tables;
}

// The block being read or written at the current nesting level.
struct BlockContext {
    std::uint32_t tag = 0;
    std::int64_t start = 0;
    std::int64_t end = 0;  // start + stored length
    std::uint32_t padFlag = 0;  // no pad byte follows (the size is even)
    bool known = false;
};

BlockContext theContext;
int theDepth = 0;
bool theLoadError = false;

struct ArenaEntry {
    ClassArena arena;
    void* ownedBlock = nullptr;  // the heap block pushNewArena took when the current arena was full
};
std::vector<ArenaEntry>& ArenaStack() {
    static std::vector<ArenaEntry> stack;
    return stack;
}

// Reads and drops bytes up to `end`, in pieces; false when the stream fell short.
bool SkipTo(core::StreamIO& s, std::int64_t end) {
    std::uint8_t scratch[512];
    std::int64_t pos = s.GetPosition();
    while (pos < end) {
        const auto n = static_cast<std::uint32_t>(std::min<std::int64_t>(end - pos, sizeof scratch));
        if (!core::ReadAll(s, n, scratch)) return false;
        pos += n;
    }
    return true;
}

}  // namespace

// ---- registry ------------------------------------------------------------------------------

void ClassItem::registerClasses(const ClassRow* rows, int count) {
    if (rows == nullptr || count <= 0) return;
    Registry().push_back(Table{rows, count});
}

const ClassRow* ClassItem::findClass(std::uint32_t tag) {
    for (const Table& t : Registry())
        for (int i = 0; i < t.count; ++i)
            if (t.rows[i].tag == tag) return &t.rows[i];
    return nullptr;
}

void ClassItem::dump(int, int indent) const {
    const std::uint32_t tag = getPersistTag();
    std::printf("%*sClass type: %u:%u", indent > 0 ? indent : 0, "", tag >> 16, tag & 0xFFFFu);
    if (const ClassRow* row = findClass(tag)) std::printf(" \"%s\"", row->name);
    std::printf("\n");
}

// ---- loading ---------------------------------------------------------------------------------

void ClassItem::markLoadFailed() {
    theLoadError = true;
}

bool ClassItem::loadFailed() {
    return theLoadError;
}

std::uint32_t ClassItem::bytesLeft(core::StreamIO& stream) {
    if (!theContext.known) return 0;
    const std::int64_t left = theContext.end - static_cast<std::int64_t>(stream.GetPosition());
    return left > 0 ? static_cast<std::uint32_t>(left) : 0;
}

ClassItem* ClassItem::loadObject(core::StreamIO& stream, std::uint32_t version) {
    const bool outermost = theDepth == 0;
    if (outermost) theLoadError = false;
    if (theDepth >= kMaxBlockDepth) {
        theLoadError = true;
        return nullptr;
    }
    const BlockContext enclosing = theContext;
    ++theDepth;
    theContext = BlockContext{};
    ClassItem* object = nullptr;

    const std::int64_t start = stream.GetPosition();
    std::uint8_t raw[8];
    BlockHeader header{0xFFFFFFFFu, 0};
    if (core::ReadAll(stream, 8, raw)) {
        header.tag = core::ReadU32(raw);
        header.size = core::ReadU32(raw + 4);
    } else {
        // A header cut short: inside a block that is damage, at the top nothing was there.
        if (!outermost || stream.GetPosition() != start) theLoadError = true;
    }
    if (header.tag != 0xFFFFFFFFu) {
        const std::int64_t end = (start + 8 + static_cast<std::int64_t>(header.size) + 1) & ~std::int64_t{1};
        if (enclosing.known && end > enclosing.end) {
            theLoadError = true;  // the block passes the block that holds it
        } else {
            theContext = BlockContext{header.tag, start, end, (header.size & 1u) == 0 ? 1u : 0u, true};
            // Unregistered tags are skipped like the obsolete ones: nothing is made.
            if (const ClassRow* row = findClass(header.tag); row != nullptr && row->create != nullptr)
                object = row->create(stream, version);
            if (!theLoadError) {
                const std::int64_t pos = stream.GetPosition();
                if (stream.GetStatus() != core::kStreamOk || pos > end || !SkipTo(stream, end))
                    theLoadError = true;
            }
        }
    }
    --theDepth;
    theContext = enclosing;
    if (theLoadError && object != nullptr) {
        delete object;
        object = nullptr;
    }
    return object;
}

bool ClassItem::peekObject(core::StreamIO& stream, BlockHeader* header) {
    const std::uint32_t start = stream.GetPosition();
    std::uint8_t raw[8] = {};
    const int whole = core::ReadAll(stream, 8, raw);
    if (whole) {
        header->tag = core::ReadU32(raw);
        header->size = core::ReadU32(raw + 4);
    }
    if (stream.GetStatus() != core::kStreamEnd) stream.SetPosition(static_cast<std::int32_t>(start));
    return whole != 0 && stream.GetStatus() == core::kStreamOk;
}

bool ClassItem::skipObject(core::StreamIO& stream) {
    std::uint8_t raw[8];
    if (!core::ReadAll(stream, 8, raw)) return false;
    const std::int64_t end = (static_cast<std::int64_t>(stream.GetPosition()) + core::ReadU32(raw + 4) + 1) &
                             ~std::int64_t{1};
    if (end > 0x7FFFFFFF) return false;
    stream.SetPosition(static_cast<std::int32_t>(end));
    return stream.GetStatus() == core::kStreamOk;
}

// ---- storing ---------------------------------------------------------------------------------

std::uint32_t ClassItem::getTotalStoredSize(const ClassItem* object) {
    if (object == nullptr) return 0;
    const std::uint32_t size = object->getStoredSize();
    if (size == 0) return 0;
    if (IsHeaderlessTag(object->getPersistTag())) return size;
    return (size + 9u) & ~1u;
}

int ClassItem::storeObject(const ClassItem* object, core::StreamIO& stream, std::uint32_t version) {
    if (object == nullptr) return 0;
    const std::uint32_t size = object->getStoredSize();
    if (size == 0 && stream.GetCapability(core::kCapPositionable) == 0) return 1;
    const BlockContext enclosing = theContext;
    const std::uint32_t tag = object->getPersistTag();
    const bool headerless = IsHeaderlessTag(tag);
    const std::int64_t start = stream.GetPosition();
    const std::int64_t length = headerless ? size : ((static_cast<std::int64_t>(size) + 9) & ~std::int64_t{1});
    theContext = BlockContext{tag, start, start + length, (size & 1u) == 0 ? 1u : 0u, true};
    if (!headerless) {
        writeU32(stream, tag);
        writeU32(stream, size);
    }
    object->write(stream, version);
    if (!headerless) {
        const std::uint8_t zero = 0;
        if (size == 0) {
            // The length is known only now: patch it into the header, then go on after the
            // data and its pad byte.
            const std::int64_t dataLength = static_cast<std::int64_t>(stream.GetPosition()) - (start + 8);
            if (dataLength >= 0 && dataLength <= 0x7FFFFFF0) {
                if ((dataLength & 1) != 0) stream.Write(1, &zero);
                const std::int64_t after = stream.GetPosition();
                stream.SetPosition(static_cast<std::int32_t>(start + 4));
                writeU32(stream, static_cast<std::uint32_t>(dataLength));
                stream.SetPosition(static_cast<std::int32_t>(after));
            }
        } else if ((size & 1u) != 0) {
            stream.Write(1, &zero);
        }
    }
    theContext = enclosing;
    return stream.GetStatus() == core::kStreamOk ? 1 : 0;
}

// ---- words -----------------------------------------------------------------------------------

int ClassItem::readU32(core::StreamIO& stream, std::uint32_t* out) {
    std::uint8_t raw[4];
    if (!core::ReadAll(stream, 4, raw)) return 0;
    *out = core::ReadU32(raw);
    return 1;
}

int ClassItem::readI32(core::StreamIO& stream, std::int32_t* out) {
    std::uint32_t u = 0;
    if (!readU32(stream, &u)) return 0;
    *out = static_cast<std::int32_t>(u);
    return 1;
}

int ClassItem::readF32(core::StreamIO& stream, float* out) {
    std::uint32_t u = 0;
    if (!readU32(stream, &u)) return 0;
    std::memcpy(out, &u, 4);
    return 1;
}

int ClassItem::writeU32(core::StreamIO& stream, std::uint32_t v) {
    std::uint8_t raw[4];
    core::WriteU32(raw, v);
    return stream.Write(4, raw);
}

int ClassItem::writeI32(core::StreamIO& stream, std::int32_t v) {
    return writeU32(stream, static_cast<std::uint32_t>(v));
}

int ClassItem::writeF32(core::StreamIO& stream, float v) {
    std::uint32_t u;
    std::memcpy(&u, &v, 4);
    return writeU32(stream, u);
}

// ---- arenas ----------------------------------------------------------------------------------

void* ClassItem::arenaAlloc(std::uint32_t bytes, ClassArena* arena) {
    if (bytes == 0) return nullptr;
    if (arena == nullptr || arena->base == nullptr ||
        static_cast<std::uint64_t>(arena->used) + bytes > arena->capacity)
        return std::malloc(bytes);
    void* p = arena->base + arena->used;
    arena->used += bytes;
    return p;
}

ClassArena* ClassItem::currentArena() {
    std::vector<ArenaEntry>& stack = ArenaStack();
    return stack.empty() ? nullptr : &stack.back().arena;
}

void* ClassItem::pushArena(void* base, std::uint32_t capacity, std::uint32_t used) {
    ArenaStack().push_back(
        ArenaEntry{ClassArena{static_cast<std::uint8_t*>(base), capacity, used}, nullptr});
    return base;
}

void* ClassItem::pushNewArena(std::uint32_t bytes) {
    ClassArena* from = currentArena();
    const bool fits = from != nullptr && from->base != nullptr &&
                      static_cast<std::uint64_t>(from->used) + bytes <= from->capacity;
    void* base = arenaAlloc(bytes, from);
    pushArena(base, base != nullptr ? bytes : 0, 0);
    // A block that came from the heap belongs to the arena and goes with it.
    if (!fits && base != nullptr) ArenaStack().back().ownedBlock = base;
    return base;
}

void ClassItem::popArena() {
    std::vector<ArenaEntry>& stack = ArenaStack();
    if (stack.empty()) return;
    std::free(stack.back().ownedBlock);
    stack.pop_back();
}

}  // namespace ts
