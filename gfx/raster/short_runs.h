// Runs of 8-bit pixels filled or copied without a library call when they are short (a line's
// span, a glyph's row): stores of the largest size that fits, the last ones overlapping those
// before them. Long runs go to memset and memcpy. Source and destination never overlap.
#pragma once

#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace gfx {

inline void FillRun(std::uint8_t* d, std::uint8_t c, std::int32_t n) {
#if defined(__SSE2__)
    if (n > 16 && n <= 128) {
        // A needle's or a small polygon's row: the first and the last 16, 32 or 64 bytes (an
        // attitude window's row is about 90).
        const __m128i v = _mm_set1_epi8(static_cast<char>(c));
        auto* to = reinterpret_cast<__m128i*>(d);
        auto* tail = reinterpret_cast<__m128i*>(d + n - 16);
        _mm_storeu_si128(to, v);
        _mm_storeu_si128(tail, v);
        if (n > 32) {
            _mm_storeu_si128(to + 1, v);
            _mm_storeu_si128(tail - 1, v);
        }
        if (n > 64) {
            _mm_storeu_si128(to + 2, v);
            _mm_storeu_si128(to + 3, v);
            _mm_storeu_si128(tail - 2, v);
            _mm_storeu_si128(tail - 3, v);
        }
        return;
    }
#endif
    if (n > 16) {
        std::memset(d, c, static_cast<std::size_t>(n));
    } else if (n >= 8) {
        const std::uint64_t v = c * 0x0101010101010101ull;
        std::memcpy(d, &v, 8);
        std::memcpy(d + n - 8, &v, 8);
    } else if (n >= 4) {
        const std::uint32_t v = c * 0x01010101u;
        std::memcpy(d, &v, 4);
        std::memcpy(d + n - 4, &v, 4);
    } else {
        for (std::int32_t i = 0; i < n; ++i)
            d[i] = c;
    }
}

inline void CopyRun(std::uint8_t* d, const std::uint8_t* s, std::int32_t n) {
#if defined(__SSE2__)
    if (n > 64) {
        std::memcpy(d, s, static_cast<std::size_t>(n));
        return;
    }
    if (n > 32) {
        // A compass strip's or a wide glyph's row: the first and the last 32 bytes.
        const auto* from = reinterpret_cast<const __m128i*>(s);
        const auto* tail = reinterpret_cast<const __m128i*>(s + n - 32);
        const __m128i a = _mm_loadu_si128(from);
        const __m128i b = _mm_loadu_si128(from + 1);
        const __m128i c = _mm_loadu_si128(tail);
        const __m128i e = _mm_loadu_si128(tail + 1);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d), a);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d) + 1, b);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + n - 32), c);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + n - 32) + 1, e);
        return;
    }
    if (n >= 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + n - 16));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d), a);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + n - 16), b);
        return;
    }
#else
    if (n >= 16) {
        std::memcpy(d, s, static_cast<std::size_t>(n));
        return;
    }
#endif
    if (n >= 8) {
        std::uint64_t a, b;
        std::memcpy(&a, s, 8);
        std::memcpy(&b, s + n - 8, 8);
        std::memcpy(d, &a, 8);
        std::memcpy(d + n - 8, &b, 8);
    } else if (n >= 4) {
        std::uint32_t a, b;
        std::memcpy(&a, s, 4);
        std::memcpy(&b, s + n - 4, 4);
        std::memcpy(d, &a, 4);
        std::memcpy(d + n - 4, &b, 4);
    } else {
        for (std::int32_t i = 0; i < n; ++i)
            d[i] = s[i];
    }
}

}  // namespace gfx
