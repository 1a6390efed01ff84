// The 128-bit identifiers of the device interfaces: drivers, interfaces, effect kinds, axes.
#pragma once

#include <array>
#include <cstdint>

namespace win {

struct GUID {
    std::uint32_t data1 = 0;
    std::uint16_t data2 = 0;
    std::uint16_t data3 = 0;
    std::array<std::uint8_t, 8> data4{};
    friend bool operator==(const GUID&, const GUID&) = default;
};

}  // namespace win
