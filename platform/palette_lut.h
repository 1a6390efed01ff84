// The one place 8-bit frames become 32-bit pixels: a 256-entry table rebuilt only when the
// colour table changes, and a plain conversion loop.
#pragma once

#include <cstdint>

#include "platform/backend.h"

namespace platform {

class PaletteLut {
public:
    PaletteLut();
    // Rebuilds the lookup table when `palette` differs from the last one; true if it did.
    bool Update(const Palette& palette);
    [[nodiscard]] const std::uint32_t* Table() const { return table_.data(); }
    [[nodiscard]] std::uint32_t Rebuilds() const { return rebuilds_; }

private:
    Palette source_{};
    std::array<std::uint32_t, 256> table_{};  // 0xFFRRGGBB
    std::uint32_t rebuilds_ = 0;
    bool valid_ = false;
};

void ConvertIndexed(const std::uint8_t* src, int srcPitch, const std::uint32_t* table,
                    std::uint32_t* dst, int dstPitchPixels, int width, int height);

}  // namespace platform
