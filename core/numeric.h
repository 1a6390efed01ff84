// Small numeric helpers shared by every subsystem: the saturating float-to-integer conversion
// and the program's one 15-bit pseudo-random generator.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

namespace core {

// Converts with truncation toward zero, as the processor's conversion instruction does; values
// outside the int32 range and NaN give INT32_MIN, the processor's "integer indefinite" answer,
// so that a bad coordinate degrades to a predictable value instead of undefined behaviour.
[[nodiscard]] inline std::int32_t SaturateToInt32(double v) {
    if (!(v > -2147483649.0 && v < 2147483648.0)) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(v);
}

// Clamping conversion for places that want the nearest representable value instead
// (NaN gives 0).
[[nodiscard]] inline std::int32_t ClampToInt32(double v) {
    if (std::isnan(v)) return 0;
    if (v <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
    if (v >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(v);
}

[[nodiscard]] inline std::int16_t ClampToInt16(std::int64_t v) {
    if (v < -32768) return -32768;
    if (v > 32767) return 32767;
    return static_cast<std::int16_t>(v);
}

// The C runtime's classic 15-bit linear congruential generator. The program's arithmetic
// depends on its range (0..32767), e.g. rand() / 4681 picks a digit 0..7.
class CrtRandom {
public:
    static constexpr int kMax = 0x7FFF;
    explicit CrtRandom(std::uint32_t seed = 1) : state_(seed) {}
    void Seed(std::uint32_t seed) { state_ = seed; }
    [[nodiscard]] int Next() {
        state_ = state_ * 214013u + 2531011u;
        return static_cast<int>((state_ >> 16) & 0x7FFF);
    }
    [[nodiscard]] std::uint32_t State() const { return state_; }

private:
    std::uint32_t state_;
};

// The program-wide generator, used everywhere the system says rand() and srand().
CrtRandom& TheRandom();
inline int rand() { return TheRandom().Next(); }
inline void srand(std::uint32_t seed) { TheRandom().Seed(seed); }

}  // namespace core
