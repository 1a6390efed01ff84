// Helpers shared by the drawing-layer tests: streams over byte vectors.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "core/mem_stream.h"

namespace gfxtest {

using Bytes = std::vector<std::uint8_t>;

// Runs `write` on a memory stream and answers the bytes written (empty when it answered 0).
inline Bytes WriteBytes(const std::function<int(core::StreamIO&)>& write) {
    Bytes buf(1u << 20);
    core::MemRWStream s(static_cast<std::uint32_t>(buf.size()), buf.data());
    if (!write(s)) return {};
    buf.resize(s.GetPosition());
    return buf;
}

// A read-only stream over `bytes`.
struct ByteReader {
    explicit ByteReader(const Bytes& bytes)
        : stream(static_cast<std::uint32_t>(bytes.size()), static_cast<const void*>(bytes.data())) {
    }
    core::MemRWStream stream;
};

}  // namespace gfxtest
