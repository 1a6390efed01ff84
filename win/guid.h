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

constexpr GUID MakeGuid(std::uint32_t d1, std::uint16_t d2, std::uint16_t d3,
                        std::array<std::uint8_t, 8> d4) {
    GUID g;
    g.data1 = d1;
    g.data2 = d2;
    g.data3 = d3;
    g.data4 = d4;
    return g;
}

}  // namespace win
