#include "core/mem_stream.h"

#include <cstring>

namespace core {

MemRWStream::MemRWStream() {
    status = kStreamClosed;
}

MemRWStream::MemRWStream(std::uint32_t count, void* mem) {
    Open(count, mem);
}

MemRWStream::MemRWStream(std::uint32_t count, const void* mem) {
    OpenReadOnly(count, mem);
}

MemRWStream::~MemRWStream() {
    MemRWStream::Close();
}

void MemRWStream::Open(std::uint32_t count, void* mem) {
    start = static_cast<std::uint8_t*>(mem);
    end = start + (start ? count : 0);
    current = start;
    readOnly = false;
    status = kStreamOk;
}

void MemRWStream::OpenReadOnly(std::uint32_t count, const void* mem) {
    // The pointer is only ever read through while readOnly is set.
    Open(count, const_cast<void*>(mem));
    readOnly = true;
}

std::uint32_t MemRWStream::GetPosition() {
    return static_cast<std::uint32_t>(current - start);
}

int MemRWStream::SetPosition(std::int32_t pos) {
    if (status == kStreamEnd) status = kStreamOk;
    if (status != kStreamOk) return 0;
    if (pos < 0 || static_cast<std::uint32_t>(pos) > GetSize()) {
        // A failed seek does not move; it tells whether the stream already stood at the end.
        status = current == end ? kStreamEnd : kStreamNotFound;
        return 0;
    }
    current = start + pos;
    return 1;
}

std::uint32_t MemRWStream::GetCapability(std::uint32_t kind) {
    switch (kind) {
        case kCapType:
            return kStreamTypeMemRW;
        case kCapWritable:
            return readOnly ? 0 : 1;
        case kCapReadable:
        case kCapPositionable:
            return 1;
        default:
            return 0;
    }
}

int MemRWStream::Write(std::uint32_t count, const void* src) {
    if (status != kStreamOk) return 0;
    if (readOnly) {
        status = kStreamNotAllowed;
        return 0;
    }
    if (count == 0) return 1;
    const std::uint32_t room = static_cast<std::uint32_t>(end - current);
    const std::uint32_t n = count <= room ? count : room;
    if (n) std::memcpy(current, src, n);
    current += n;
    lastCount = n;
    if (n < count) {
        status = kStreamNotFound;  // out of room
        return 0;
    }
    return 1;
}

int MemRWStream::Read(std::uint32_t count, void* dst) {
    if (status != kStreamOk) return 0;
    if (count == 0) return 1;
    const std::uint32_t left = static_cast<std::uint32_t>(end - current);
    const std::uint32_t n = count <= left ? count : left;
    if (n <= 2) {
        // Layered coders read single bytes and pairs often; a library call costs more than the
        // copy.
        auto* d = static_cast<std::uint8_t*>(dst);
        if (n >= 1) d[0] = current[0];
        if (n == 2) d[1] = current[1];
    } else {
        std::memcpy(dst, current, n);
    }
    current += n;
    lastCount = n;
    if (n < count) {
        status = kStreamEnd;
        return 0;
    }
    return 1;
}

void MemRWStream::Close() {
    start = end = current = nullptr;
    readOnly = false;
    status = kStreamClosed;
}

}  // namespace core
