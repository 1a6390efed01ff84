// The flight model's fixed-point routines: binary angles (65536 = 360 degrees), Q15 fractions
// (32767 = 1.0) and 16.16 values. They are also used for bearings outside the flight model.
#pragma once

#include <cstdint>

namespace flight {

struct SinCos {
    std::int32_t sine;    // Q15, sign-extended
    std::int32_t cosine;  // Q15, sign-extended
};

// Sine and cosine of a binary angle from a 257-entry quarter-wave table, interpolated on the
// low 6 bits of the angle.
[[nodiscard]] SinCos FixedSinCos(std::int32_t angle);

// Binary angle (0..65535) of the vector (second, first), measured from the second component's
// axis towards the first.
[[nodiscard]] std::uint16_t FixedAtan2(std::int32_t first, std::int32_t second);

// Table interpolation at an unsigned 16-bit position: 17 entries (16 segments), 33 and 65
// entries, and a variant with 32-bit entries.
[[nodiscard]] std::int32_t Interpolate16(const std::int16_t* table, std::uint16_t x);
[[nodiscard]] std::int32_t Interpolate16U(const std::uint16_t* table, std::uint16_t x);
[[nodiscard]] std::int32_t Interpolate33(const std::int16_t* table, std::uint16_t x);
[[nodiscard]] std::int32_t Interpolate65(const std::int16_t* table, std::uint16_t x);
[[nodiscard]] std::int32_t Interpolate16Wide(const std::int32_t* table, std::uint16_t x);

// Square root of a 16.16 value as a 16.16 value.
[[nodiscard]] std::uint32_t FixedSqrt32(std::uint32_t x);

// The core's 32-by-16 divide: (high:low) / divisor, unsigned, saturating at 0xFFFF, 0 for a zero
// divisor.
[[nodiscard]] std::uint32_t Divide16(std::uint32_t dividend, std::uint32_t divisor);

// Q15 product with the arithmetic shift the core uses everywhere.
[[nodiscard]] inline std::int32_t MulQ15(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>((static_cast<std::int64_t>(a) * b) >> 15);
}

// Clamps a 64-bit intermediate to the 32-bit range (force and acceleration products).
[[nodiscard]] inline std::int32_t Saturate32(std::int64_t v) {
    if (v > INT32_MAX) return INT32_MAX;
    if (v < INT32_MIN) return INT32_MIN;
    return static_cast<std::int32_t>(v);
}

// Negation and magnitude that hold the most negative value at the other end of the range
// rather than overflow (a loaded state may hold any 32-bit value).
[[nodiscard]] inline std::int32_t Negate32(std::int32_t v) {
    return v == INT32_MIN ? INT32_MAX : -v;
}
[[nodiscard]] inline std::int32_t Abs32(std::int32_t v) {
    return v < 0 ? Negate32(v) : v;
}

// The quarter-wave and arctangent tables, exposed for the reference checks.
extern const std::int16_t kQuarterSineTable[257];
extern const std::int16_t kArcTanTable[129];

}  // namespace flight
