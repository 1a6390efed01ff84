// Turning a bottom-up image (as device-independent bitmaps store it) top-down in place, or back.
#pragma once

#include <cstdint>

namespace core {

// Swaps rows pairwise in place: first with last, second with second-to-last, and so on; the
// middle row of an odd count stays. `lastRow` is firstRow + (rows - 1) x rowLength. Rows of any
// length are swapped byte for byte; a zero length, or a last row before the first, changes
// nothing.
void FlipRows(std::uint8_t* firstRow, std::uint8_t* lastRow, std::uint32_t rowLength);

}  // namespace core
