// What the drawing layer's file formats and pixel buffers share: aligned buffers, and field and
// chunk access over a StreamIO. The drawing layer's own files ("PBMP", "PPAL", "PFNT", "PBMA")
// are runs of chunks, each a u32 tag (first character in the lowest byte) and a u32 body size
// followed by exactly that many bytes, without padding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <string_view>

#include "core/endian.h"
#include "core/file_stream.h"
#include "core/stream_io.h"

namespace gfx {

// Pixel buffers are 16-byte aligned (some fillers depend on it); lookup tables may ask for more.
struct AlignedDeleter {
    std::size_t alignment = 16;
    void operator()(std::uint8_t* p) const { ::operator delete[](p, std::align_val_t{alignment}); }
};
using AlignedBytes = std::unique_ptr<std::uint8_t[], AlignedDeleter>;

// A buffer of n bytes (at least 1) aligned to `alignment`; empty when the memory cannot be had.
[[nodiscard]] inline AlignedBytes AllocAligned(std::size_t n, std::size_t alignment = 16) {
    if (n == 0) n = 1;
    auto* p =
        static_cast<std::uint8_t*>(::operator new[](n, std::align_val_t{alignment}, std::nothrow));
    return AlignedBytes(p, AlignedDeleter{alignment});
}

// The largest body the readers accept for one buffer: far beyond any picture or table the
// program draws, and small enough that a damaged size cannot ask for the whole address space.
inline constexpr std::uint32_t kMaxChunkBody = 64u << 20;

namespace chunkio {

[[nodiscard]] inline bool ReadBytes(core::StreamIO& s, void* dst, std::uint32_t n) {
    if (n == 0) return true;
    // A layered stream may report success for a read clipped at its end; only whole reads count.
    return s.Read(n, dst) != 0 && s.GetLastCount() == n;
}

[[nodiscard]] inline bool ReadU32(core::StreamIO& s, std::uint32_t* v) {
    std::uint8_t b[4];
    if (!ReadBytes(s, b, 4)) return false;
    *v = core::ReadU32(b);
    return true;
}

[[nodiscard]] inline bool ReadI32(core::StreamIO& s, std::int32_t* v) {
    std::uint32_t u = 0;
    if (!ReadU32(s, &u)) return false;
    *v = static_cast<std::int32_t>(u);
    return true;
}

[[nodiscard]] inline bool ReadHeader(core::StreamIO& s, std::uint32_t* tag, std::uint32_t* size) {
    return ReadU32(s, tag) && ReadU32(s, size);
}

// Skips a chunk body by seeking from the current position.
[[nodiscard]] inline bool Skip(core::StreamIO& s, std::uint32_t n) {
    const std::uint64_t to = static_cast<std::uint64_t>(s.GetPosition()) + n;
    if (to > 0x7FFFFFFFu) return false;
    return s.SetPosition(static_cast<std::int32_t>(to)) != 0;
}

inline void WriteBytes(core::StreamIO& s, const void* src, std::uint32_t n) {
    if (n != 0) s.Write(n, src);
}

inline void WriteU32(core::StreamIO& s, std::uint32_t v) {
    std::uint8_t b[4];
    core::WriteU32(b, v);
    s.Write(4, b);
}

inline void WriteI32(core::StreamIO& s, std::int32_t v) {
    WriteU32(s, static_cast<std::uint32_t>(v));
}

inline void WriteHeader(core::StreamIO& s, std::uint32_t tag, std::uint32_t size) {
    WriteU32(s, tag);
    WriteU32(s, size);
}

[[nodiscard]] inline bool StreamOk(core::StreamIO& s) {
    return s.GetStatus() == core::kStreamOk;
}

// Writes a whole new file (an old one is emptied first) through `write`, which answers 1 when
// every byte went out; 1 when the file was made and flushed.
template <typename WriteFn>
int SaveNewFile(std::string_view fileName, WriteFn&& write) {
    core::FileWStream s;
    if (!s.OpenTruncated(fileName)) return 0;
    const int ok = write(s) && s.Flush();
    s.Close();
    return ok ? 1 : 0;
}

}  // namespace chunkio

}  // namespace gfx
