// Little-endian field access for on-disk records: every file format is read and written field
// by field, never by copying a struct.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace core {

[[nodiscard]] inline std::uint16_t ReadU16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
[[nodiscard]] inline std::uint32_t ReadU32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
[[nodiscard]] inline std::int16_t ReadI16(const std::uint8_t* p) {
    return static_cast<std::int16_t>(ReadU16(p));
}
[[nodiscard]] inline std::int32_t ReadI32(const std::uint8_t* p) {
    return static_cast<std::int32_t>(ReadU32(p));
}
inline void WriteU16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void WriteU32(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
    p[2] = static_cast<std::uint8_t>(v >> 16);
    p[3] = static_cast<std::uint8_t>(v >> 24);
}

// A four-character tag as it is stored: the first character in the lowest byte.
[[nodiscard]] constexpr std::uint32_t FourCC(const char (&s)[5]) {
    return static_cast<std::uint32_t>(static_cast<std::uint8_t>(s[0])) |
           (static_cast<std::uint32_t>(static_cast<std::uint8_t>(s[1])) << 8) |
           (static_cast<std::uint32_t>(static_cast<std::uint8_t>(s[2])) << 16) |
           (static_cast<std::uint32_t>(static_cast<std::uint8_t>(s[3])) << 24);
}

}  // namespace core
