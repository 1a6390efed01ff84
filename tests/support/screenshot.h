// A screenshot the runner wrote (a Windows bitmap, rows bottom first): 24-bit, or 8-bit with its
// colour table when the frame was shot as it went to the screen, as indices.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "support/golden_image.h"

namespace testsupport {

// The picture as 0xRRGGBB pixels, top row first; empty when the bytes are not a bitmap of that
// size.
inline std::vector<std::uint32_t> ReadScreenshot(const std::string& bmp, std::uint32_t width,
                                                 std::uint32_t height) {
    const auto* b = reinterpret_cast<const std::uint8_t*>(bmp.data());
    auto u16 = [&](std::size_t at) { return static_cast<std::uint32_t>(b[at] | b[at + 1] << 8); };
    auto u32 = [&](std::size_t at) { return u16(at) | u16(at + 2) << 16; };
    if (bmp.size() < 54 || b[0] != 'B' || b[1] != 'M') return {};
    const std::uint32_t bytes = u16(28) / 8, offset = u32(10), table = 14 + u32(14);
    if ((bytes != 1 && bytes != 3) || u32(18) != width || u32(22) != height) return {};
    const std::size_t stride = (width * bytes + 3) / 4 * 4;
    if (bmp.size() < offset + stride * height || (bytes == 1 && bmp.size() < table + 1024))
        return {};
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x) {
            std::size_t at = offset + stride * (height - 1 - y) + bytes * x;
            if (bytes == 1) at = table + 4u * b[at];
            pixels[static_cast<std::size_t>(y) * width + x] = u32(at) & 0xFFFFFF;
        }
    return pixels;
}

// The crash picture's red word in the middle of the panel of a 640x480 screenshot, as every
// type's crash art has it: its count of strongly red pixels.
inline int CrashWordPixels(const std::vector<std::uint32_t>& p) {
    if (p.size() < 640u * 480u) return 0;
    int n = 0;
    for (int y = 145; y < 190; ++y)
        for (int x = 250; x < 390; ++x) {
            const std::uint32_t c = p[static_cast<std::size_t>(y) * 640 + x];
            n += (c >> 16) > 180 && ((c >> 8) & 0xFF) < 80 && (c & 0xFF) < 80 ? 1 : 0;
        }
    return n;
}

// An 8-bit screenshot as its indices and colour table, to compare with a golden picture; nothing
// when the bytes are not an 8-bit bitmap of that size.
inline std::optional<IndexedImage> ReadIndexedScreenshot(const std::string& bmp,
                                                         std::uint32_t width,
                                                         std::uint32_t height) {
    const auto* b = reinterpret_cast<const std::uint8_t*>(bmp.data());
    auto u16 = [&](std::size_t at) { return static_cast<std::uint32_t>(b[at] | b[at + 1] << 8); };
    auto u32 = [&](std::size_t at) { return u16(at) | u16(at + 2) << 16; };
    if (bmp.size() < 54 || b[0] != 'B' || b[1] != 'M' || u16(28) != 8 || u32(30) != 0 ||
        u32(18) != width || u32(22) != height)
        return std::nullopt;
    const std::uint32_t offset = u32(10), table = 14 + u32(14);
    const std::size_t stride = (width + 3) / 4 * 4;
    if (bmp.size() < offset + stride * height || bmp.size() < table + 1024) return std::nullopt;
    IndexedImage image;
    image.width = static_cast<int>(width);
    image.height = static_cast<int>(height);
    for (std::size_t i = 0; i < 256; ++i)
        image.colours[i] = u32(table + 4 * i) & 0xFFFFFF;
    image.pixels.resize(static_cast<std::size_t>(width) * height);
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x)
            image.pixels[static_cast<std::size_t>(y) * width + x] =
                b[offset + stride * (height - 1 - y) + x];
    return image;
}

}  // namespace testsupport
