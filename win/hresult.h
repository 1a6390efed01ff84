// The result codes of the device interfaces (display, sound): 0 or positive succeeds, negative
// fails.
#pragma once

#include <cstdint>

namespace win {

using HRESULT = std::int32_t;

inline constexpr bool FAILED(HRESULT r) {
    return r < 0;
}
inline constexpr bool SUCCEEDED(HRESULT r) {
    return r >= 0;
}

}  // namespace win
