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
        for (int x = 0; x < width; ++x)
            d[x] = table[s[x]];
    }
}

}  // namespace platform
