// 16.16 fixed-point products and quotients of the rasterizer, also used by the line clipper and
// the terrain code. All four widen to 64 bits; a quotient that leaves the 32-bit range saturates
// instead of wrapping, and a division by zero gives the largest value of the dividend's sign.
#pragma once

#include <cstdint>
#include <limits>

namespace gfx {

namespace detail {
[[nodiscard]] constexpr std::int32_t SaturateInt64(std::int64_t v) {
    if (v > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    if (v < std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(v);
}
}  // namespace detail

// (a * b) >> 16, rounding toward minus infinity (arithmetic shift of the 64-bit product).
[[nodiscard]] constexpr std::int32_t FixedMul(std::int32_t a, std::int32_t b) {
    return detail::SaturateInt64((static_cast<std::int64_t>(a) * b) >> 16);
}

// (a * b + 0.5) >> 16 on the 64-bit product.
[[nodiscard]] constexpr std::int32_t FixedMulRound(std::int32_t a, std::int32_t b) {
    return detail::SaturateInt64((static_cast<std::int64_t>(a) * b + 0x8000) >> 16);
}

// (a << 16) / b with the quotient truncated toward zero.
[[nodiscard]] constexpr std::int32_t FixedDiv(std::int32_t a, std::int32_t b) {
    if (b == 0) {
        return a < 0 ? std::numeric_limits<std::int32_t>::min()
                     : std::numeric_limits<std::int32_t>::max();
    }
    return detail::SaturateInt64(static_cast<std::int64_t>(a) * 65536 / b);
}

// (|a| << 16) / |b| rounded half up, negated when the signs differ.
[[nodiscard]] constexpr std::int32_t FixedDivRound(std::int32_t a, std::int32_t b) {
    if (b == 0) {
        return a < 0 ? std::numeric_limits<std::int32_t>::min()
                     : std::numeric_limits<std::int32_t>::max();
    }
    const std::int64_t na = a < 0 ? -static_cast<std::int64_t>(a) : a;
    const std::int64_t nb = b < 0 ? -static_cast<std::int64_t>(b) : b;
    const std::int64_t dividend = na << 16;
    std::int64_t q = dividend / nb;
    if (dividend % nb >= (nb + 1) / 2) ++q;
    return detail::SaturateInt64((a < 0) != (b < 0) ? -q : q);
}

}  // namespace gfx
