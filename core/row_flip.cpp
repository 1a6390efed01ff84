#include "core/row_flip.h"

#include <algorithm>
#include <cstring>

namespace core {

void FlipRows(std::uint8_t* firstRow, std::uint8_t* lastRow, std::uint32_t rowLength) {
    if (rowLength == 0 || firstRow == nullptr || lastRow == nullptr) return;
    // Swap through a small stack buffer: whole chunks, then the tail, so any row length works.
    constexpr std::size_t kChunk = 256;
    std::uint8_t temporary[kChunk];
    // Rows that would overlap (a last row not a whole number of rows away) are left alone.
    for (std::uint8_t *low = firstRow, *high = lastRow;
         low < high && static_cast<std::size_t>(high - low) >= rowLength;
         low += rowLength, high -= rowLength) {
        for (std::uint32_t done = 0; done < rowLength;) {
            const std::size_t n = std::min<std::size_t>(kChunk, rowLength - done);
            std::memcpy(temporary, low + done, n);
            std::memcpy(low + done, high + done, n);
            std::memcpy(high + done, temporary, n);
            done += static_cast<std::uint32_t>(n);
        }
    }
}

}  // namespace core
