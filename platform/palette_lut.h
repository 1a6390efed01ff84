// The one place 8-bit frames become 32-bit pixels: a 256-entry table rebuilt only when the
// colour table changes, and a conversion loop. On processors with byte permutes over wide
// registers the rows go 64 pixels at a time through the table's three colour bytes held in
// registers (`Planes`), with no table in memory to push the frame's own data out of the cache.
// Elsewhere, and for a row's last pixels short of 64, one entry of every pair of neighbouring
// indices (65,536 entries of two pixels, made when first asked for): a frame's neighbours repeat
// a great deal (sky, ground, panel), so two pixels a lookup with one 8-byte store beat two
// lookups and two stores, and a frame of noise costs no more than single lookups do.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "platform/backend.h"

namespace platform {

class PaletteLut {
public:
    PaletteLut();
    // Rebuilds the tables when `palette` differs from the last one; true if it did.
    bool Update(const Palette& palette);
    [[nodiscard]] const std::uint32_t* Table() const { return table_.data(); }
    // Two pixels by the index pair (first | second << 8), the first in the low word.
    [[nodiscard]] const std::uint64_t* Pairs() const;
    // The table's blue, green and red bytes, 256 of each in that order.
    [[nodiscard]] const std::uint8_t* Planes() const { return planes_.data(); }
    [[nodiscard]] std::uint32_t Rebuilds() const { return rebuilds_; }

private:
    Palette source_{};
    std::array<std::uint32_t, 256> table_{};  // 0xFFRRGGBB
    std::array<std::uint8_t, 768> planes_{};
    mutable std::vector<std::uint64_t> pairs_;
    mutable bool pairsMade_ = false;
    std::uint32_t rebuilds_ = 0;
    bool valid_ = false;
};

// The rows of the picture a screen was last given: a new picture is compared with them row by
// row, so that only the rows that differ are converted or copied again (in a flight the world
// above the panel changes at every tick, the panel's rows only where a gauge moved). Rows are
// `width` bytes: an 8-bit picture's indices or a 32-bit picture's pixels.
class ChangedRows {
public:
    struct Band {
        int first = 0;
        int last = -1;
    };
    // Compares the picture with the rows kept and keeps it. Returns the band of rows that differ
    // (first > last when none does); every row differs when `all` is set or nothing is kept.
    // A row whose byte in `rowsChanged` (when given) is 0 is the caller's word that it is the
    // same as the row kept, and any other byte its word that the row differs: neither is
    // compared, and a row said to differ is not kept either (the rows kept are then out of
    // date, and the next picture without the caller's word differs in every row).
    Band Take(const std::uint8_t* src, int srcPitch, int width, int height, bool all,
              const std::uint8_t* rowsChanged = nullptr);
    // Whether row `y` of the band Take returned differed.
    [[nodiscard]] bool Differs(int y) const { return differs_[static_cast<std::size_t>(y)] != 0; }
    // What the rows were drawn onto no longer shows them (another kind of picture went out, the
    // screen was opened again): the next picture differs in every row.
    void Forget() { width_ = 0; }

private:
    std::vector<std::uint8_t> kept_;
    std::vector<std::uint8_t> differs_;
    int width_ = 0, height_ = 0;
    bool stale_ = false;  // a row taken on the caller's word was not kept
};

// Converts `height` rows of `width` indices into 0xFFRRGGBB pixels through the lookup tables.
void ConvertIndexed(const std::uint8_t* src, int srcPitch, const PaletteLut& lut,
                    std::uint32_t* dst, int dstPitchPixels, int width, int height);

}  // namespace platform
