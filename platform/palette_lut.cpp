#include "platform/palette_lut.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace platform {

static_assert(std::endian::native == std::endian::little,
              "the pair table and the 8-byte loads assume little-endian order");

PaletteLut::PaletteLut() : pairs_(65536, 0xFF000000FF000000ull) {}

bool PaletteLut::Update(const Palette& palette) {
    if (valid_ && std::memcmp(palette.data(), source_.data(), sizeof(source_)) == 0) return false;
    source_ = palette;
    for (int i = 0; i < 256; ++i)
        table_[i] = 0xFF000000u | (palette[i] & 0x00FFFFFFu);
    for (int second = 0; second < 256; ++second) {
        const std::uint64_t high = static_cast<std::uint64_t>(table_[second]) << 32;
        std::uint64_t* row = &pairs_[static_cast<std::size_t>(second) << 8];
        for (int first = 0; first < 256; ++first)
            row[first] = high | table_[first];
    }
    valid_ = true;
    ++rebuilds_;
    return true;
}

ChangedRows::Band ChangedRows::Take(const std::uint8_t* src, int srcPitch, int width, int height,
                                    bool all, const std::uint8_t* rowsChanged) {
    if (width != width_ || height != height_) {
        width_ = width;
        height_ = height;
        kept_.assign(static_cast<std::size_t>(width) * height, 0);
        all = true;
    }
    // On the caller's word the rows are neither compared nor kept; without it, rows kept
    // out of date are no measure of what the screen shows.
    const bool trusted = !all && rowsChanged != nullptr;
    if (!trusted && stale_) all = true;
    differs_.assign(static_cast<std::size_t>(height), 0);
    Band band;
    band.first = height;
    const auto w = static_cast<std::size_t>(width);
    for (int y = 0; y < height; ++y) {
        if (trusted) {
            if (rowsChanged[y] == 0) continue;
            stale_ = true;
        } else {
            const std::uint8_t* s = src + static_cast<std::ptrdiff_t>(y) * srcPitch;
            std::uint8_t* k = &kept_[static_cast<std::size_t>(y) * w];
            if (!all && std::memcmp(k, s, w) == 0) continue;
            std::memcpy(k, s, w);
        }
        differs_[static_cast<std::size_t>(y)] = 1;
        band.first = std::min(band.first, y);
        band.last = y;
    }
    if (!trusted) stale_ = false;
    return band;
}

void ConvertIndexed(const std::uint8_t* src, int srcPitch, const PaletteLut& lut,
                    std::uint32_t* dst, int dstPitchPixels, int width, int height) {
    const std::uint32_t* table = lut.Table();
    const std::uint64_t* pairs = lut.Pairs();
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* s = src + static_cast<std::ptrdiff_t>(y) * srcPitch;
        std::uint32_t* d = dst + static_cast<std::ptrdiff_t>(y) * dstPitchPixels;
        int x = 0;
        // Eight indices a load, two pixels a lookup and a store; the lookups are independent,
        // so they overlap.
        for (; x + 8 <= width; x += 8) {
            std::uint64_t q;
            std::memcpy(&q, s + x, 8);
            const std::uint64_t a = pairs[q & 0xFFFF];
            const std::uint64_t b = pairs[(q >> 16) & 0xFFFF];
            const std::uint64_t c = pairs[(q >> 32) & 0xFFFF];
            const std::uint64_t e = pairs[q >> 48];
            std::memcpy(d + x, &a, 8);
            std::memcpy(d + x + 2, &b, 8);
            std::memcpy(d + x + 4, &c, 8);
            std::memcpy(d + x + 6, &e, 8);
        }
        for (; x < width; ++x)
            d[x] = table[s[x]];
    }
}

}  // namespace platform
