// FNV-1a, 64 bits: a digest of bytes that changes with any of them, for telling whether what a
// picture or a cache entry is made from has changed (not for security).
#pragma once

#include <cstddef>
#include <cstdint>

namespace core {

inline constexpr std::uint64_t kFnvOffset = 14695981039346656037ull;

// `h` (kFnvOffset to begin) with the `n` bytes at `data` mixed in.
inline std::uint64_t Fnv1a(std::uint64_t h, const void* data, std::size_t n) {
    const auto* p = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < n; ++i)
        h = (h ^ p[i]) * 1099511628211ull;
    return h;
}

}  // namespace core
