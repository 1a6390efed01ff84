// Reading back pictures the program wrote: the colour of a pixel of an 8- or 24-bit BMP file
// held in memory.
#pragma once

#include <cstdint>
#include <string>

#include "core/endian.h"

namespace testsupport {

// The colour of pixel (x, y) as 0x00RRGGBB; ~0 when it cannot be read.
inline std::uint32_t PixelAt(const std::string& bytes, int x, int y) {
    const auto* b = reinterpret_cast<const std::uint8_t*>(bytes.data());
    if (bytes.size() < 54 || b[0] != 'B' || b[1] != 'M') return ~0u;
    const unsigned bytesPerPixel = core::ReadU16(b + 28) / 8u;
    if (bytesPerPixel != 1 && bytesPerPixel != 3) return ~0u;
    const auto width = static_cast<std::int32_t>(core::ReadU32(b + 18));
    const auto height = static_cast<std::int32_t>(core::ReadU32(b + 22));
    if (x < 0 || y < 0 || x >= width || y >= height) return ~0u;
    const std::size_t row = (static_cast<std::size_t>(width) * bytesPerPixel + 3) & ~std::size_t{3};
    const std::size_t at =
        core::ReadU32(b + 10) + row * static_cast<std::size_t>(height - 1 - y) + x * bytesPerPixel;
    if (at + bytesPerPixel > bytes.size()) return ~0u;
    const std::uint8_t* c = bytesPerPixel == 3 ? b + at : b + 54 + 4 * b[at];
    return (std::uint32_t{c[2]} << 16) | (std::uint32_t{c[1]} << 8) | c[0];
}

}  // namespace testsupport
