#include "platform/palette_lut.h"

#include <cstring>

namespace platform {

PaletteLut::PaletteLut() = default;

bool PaletteLut::Update(const Palette& palette) {
    if (valid_ && std::memcmp(palette.data(), source_.data(), sizeof(source_)) == 0) return false;
    source_ = palette;
    for (int i = 0; i < 256; ++i)
        table_[i] = 0xFF000000u | (palette[i] & 0x00FFFFFFu);
    valid_ = true;
    ++rebuilds_;
    return true;
}

void ConvertIndexed(const std::uint8_t* src, int srcPitch, const std::uint32_t* table,
                    std::uint32_t* dst, int dstPitchPixels, int width, int height) {
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* s = src + static_cast<std::ptrdiff_t>(y) * srcPitch;
        std::uint32_t* d = dst + static_cast<std::ptrdiff_t>(y) * dstPitchPixels;
        int x = 0;
        // Four pixels a step: the lookups are independent, so they overlap.
        for (; x + 4 <= width; x += 4) {
            const std::uint32_t a = table[s[x]];
            const std::uint32_t b = table[s[x + 1]];
            const std::uint32_t c = table[s[x + 2]];
            const std::uint32_t e = table[s[x + 3]];
            d[x] = a;
            d[x + 1] = b;
            d[x + 2] = c;
            d[x + 3] = e;
        }
        for (; x < width; ++x)
            d[x] = table[s[x]];
    }
}

}  // namespace platform
