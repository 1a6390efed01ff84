#include "core/pool_alloc.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "win/file_api.h"

namespace core {
namespace {

constexpr std::uint32_t kEndOfList = 0xFFFFFFFFu;

// Appends one line to a text file in the working folder; nothing when it cannot be opened.
void AppendLine(const char* fileName, const char* line) {
    const win::FileHandle file =
        win::CreateFile(fileName, win::GENERIC_WRITE, win::FILE_SHARE_READ, win::OPEN_ALWAYS);
    if (!file.IsValid()) {
        // Written as the program ends: the error output is where it is said.
        std::fprintf(stderr, "zephlon: the report %s could not be written: %s.\n", fileName,
                     win::DescribeFileErrorAt(fileName, win::GetLastError()).c_str());
        return;
    }
    if (win::SetFilePointer(file, 0, win::FILE_END) != win::INVALID_SET_FILE_POINTER ||
        win::GetLastError() == win::ERROR_SUCCESS) {
        std::uint32_t written = 0;
        win::WriteFile(file, line, static_cast<std::uint32_t>(std::strlen(line)), &written);
    }
    win::CloseHandle(file);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// PoolAlloc

PoolAlloc::PoolAlloc(std::uint16_t elementSize, std::uint16_t capacity)
    : elementSize(elementSize), capacity(capacity) {}

PoolAlloc::~PoolAlloc() = default;

void* PoolAlloc::AllocBlock() {
    block.reset();
    freeHead = nullptr;
    freeLinks.clear();
    const std::size_t bytes = std::size_t{elementSize} * capacity;
    if (bytes > 0) block.reset(new (std::nothrow) std::uint8_t[bytes]);
    return block.get();
}

void* PoolAlloc::Alloc() {
    // The heap of operator new, so that a class's allocation operator may hand a block to the
    // pool or to the heap and take it back through either.
    return ::operator new(std::max<std::size_t>(elementSize, 1), std::nothrow);
}

void PoolAlloc::Free(void* element) {
    ::operator delete(element);
}

int PoolAlloc::Reset(std::uint16_t newCapacity) {
    // A pool sized in its constructor has no block until the first Reset asks for one.
    if (newCapacity != capacity || block == nullptr) {
        capacity = newCapacity;
        AllocBlock();
    }
    BuildFreeList();
    return block != nullptr ? 1 : 0;
}

void PoolAlloc::BuildFreeList() {
    inUse = 0;
    freeLinks.clear();
    freeHead = nullptr;
    if (block == nullptr || capacity == 0 || elementSize == 0) return;
    freeLinks.resize(capacity);
    for (std::uint32_t i = 0; i + 1 < capacity; ++i)
        freeLinks[i] = i + 1;
    freeLinks[capacity - 1u] = kEndOfList;
    freeHead = block.get();
}

void* PoolAlloc::NextFree(const void* element) const {
    if (block == nullptr || elementSize == 0 || element == nullptr) return nullptr;
    const auto* p = static_cast<const std::uint8_t*>(element);
    const std::uint8_t* base = block.get();
    const std::size_t bytes = std::size_t{elementSize} * capacity;
    if (p < base || p >= base + bytes || (p - base) % elementSize != 0) return nullptr;
    const std::uint32_t next = freeLinks[static_cast<std::size_t>(p - base) / elementSize];
    return next == kEndOfList ? nullptr : block.get() + std::size_t{next} * elementSize;
}

// ---------------------------------------------------------------------------------------------
// CountPoolAlloc

CountPoolAlloc::CountPoolAlloc(std::uint16_t elementSize) : PoolAlloc(elementSize, 0) {}

CountPoolAlloc::~CountPoolAlloc() {
    char line[64];
    std::snprintf(line, sizeof line, "Size: %6d, max: %5u\n", static_cast<int>(elementSize),
                  static_cast<unsigned>(maxInUse));
    AppendLine(kReportFile, line);
}

void* CountPoolAlloc::Alloc() {
    ++inUse;
    maxInUse = std::max(maxInUse, inUse);
    return PoolAlloc::Alloc();
}

void CountPoolAlloc::Free(void* element) {
    if (element == nullptr) return;
    PoolAlloc::Free(element);
    if (inUse > 0) --inUse;
}

int CountPoolAlloc::Reset(std::uint16_t) {
    return 1;
}

// ---------------------------------------------------------------------------------------------
// BlockAlloc

BlockAlloc::BlockAlloc(std::uint16_t size) : size(size) {
    block.reset(new (std::nothrow) std::uint8_t[std::max<std::uint32_t>(size, 1)]());
    if (block == nullptr) this->size = 0;
    next = block.get();
}

BlockAlloc::~BlockAlloc() = default;

void BlockAlloc::Reset() {
    if (block != nullptr) std::memset(block.get(), 0, size);
    next = block.get();
    used = 0;
}

void* BlockAlloc::Alloc(std::uint16_t n) {
    if (block == nullptr || used + n > size) return nullptr;
    void* piece = next;
    next += n;
    used += n;
    return piece;
}

std::uint16_t ClampPoolCount(std::int64_t count) {
    return static_cast<std::uint16_t>(std::clamp<std::int64_t>(count, 0, 65535));
}

}  // namespace core
