#include "platform/palette_lut.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define ZEPHLON_PALETTE_BYTE_PERMUTES 1
#endif

namespace platform {

static_assert(std::endian::native == std::endian::little,
              "the pair table and the 8-byte loads assume little-endian order");

PaletteLut::PaletteLut() {
    table_.fill(0xFF000000u);
}

bool PaletteLut::Update(const Palette& palette) {
    if (valid_ && std::memcmp(palette.data(), source_.data(), sizeof(source_)) == 0) return false;
    source_ = palette;
    for (int i = 0; i < 256; ++i) {
        table_[i] = 0xFF000000u | (palette[i] & 0x00FFFFFFu);
        for (int c = 0; c < 3; ++c)
            planes_[static_cast<std::size_t>(c * 256 + i)] =
                static_cast<std::uint8_t>(table_[i] >> (8 * c));
    }
    pairsMade_ = false;
    valid_ = true;
    ++rebuilds_;
    return true;
}

const std::uint64_t* PaletteLut::Pairs() const {
    if (!pairsMade_) {
        pairs_.resize(65536);
        for (int second = 0; second < 256; ++second) {
            const std::uint64_t high = static_cast<std::uint64_t>(table_[second]) << 32;
            std::uint64_t* row = &pairs_[static_cast<std::size_t>(second) << 8];
            for (int first = 0; first < 256; ++first)
                row[first] = high | table_[first];
        }
        pairsMade_ = true;
    }
    return pairs_.data();
}

ChangedRows::Band ChangedRows::Take(const std::uint8_t* src, int srcPitch, int width, int height,
                                    bool all, const std::uint8_t* rowsChanged) {
    if (width != width_ || height != height_) {
        width_ = width;
        height_ = height;
        kept_.assign(static_cast<std::size_t>(width) * height, 0);
        all = true;
    }
    // On the caller's word the rows are neither compared nor kept; without it, rows kept
    // out of date are no measure of what the screen shows.
    const bool trusted = !all && rowsChanged != nullptr;
    if (!trusted && stale_) all = true;
    differs_.assign(static_cast<std::size_t>(height), 0);
    Band band;
    band.first = height;
    const auto w = static_cast<std::size_t>(width);
    for (int y = 0; y < height; ++y) {
        if (trusted) {
            if (rowsChanged[y] == 0) continue;
            stale_ = true;
        } else {
            const std::uint8_t* s = src + static_cast<std::ptrdiff_t>(y) * srcPitch;
            std::uint8_t* k = &kept_[static_cast<std::size_t>(y) * w];
            if (!all && std::memcmp(k, s, w) == 0) continue;
            std::memcpy(k, s, w);
        }
        differs_[static_cast<std::size_t>(y)] = 1;
        band.first = std::min(band.first, y);
        band.last = y;
    }
    if (!trusted) stale_ = false;
    return band;
}

namespace {

#if defined(ZEPHLON_PALETTE_BYTE_PERMUTES)
// Rows through byte permutes, 64 indices at a time and no table in memory: each colour byte's
// 256 entries sit in four registers, and one permute over two of them with a blend on the
// index's top bit looks up 64 pixels' blue (then green, then red). Interleaving the three with
// the constant alpha works within 16-byte lanes, so the indices are first put in the order that
// makes each of the four 16-pixel stores hold neighbouring pixels: the byte at p = 16l + 4k + j
// is pixel 16k + 4l + j. Returns the pixels done (whole groups of 64).
__attribute__((target("avx512f,avx512bw,avx512vbmi"))) int ConvertGroups(
    const std::uint8_t* src, int srcPitch, const std::uint8_t* planes, std::uint32_t* dst,
    int dstPitchPixels, int width, int height) {
    const int groups = width / 64;
    if (groups == 0) return 0;
    alignas(64) std::uint8_t order[64];
    for (int p = 0; p < 64; ++p)
        order[p] = static_cast<std::uint8_t>(16 * ((p % 16) / 4) + 4 * (p / 16) + p % 4);
    const __m512i ordered = _mm512_load_si512(order);
    __m512i t[12];
    for (int i = 0; i < 12; ++i)
        t[i] = _mm512_loadu_si512(planes + 64 * i);
    const __m512i alpha = _mm512_set1_epi8(-1);
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* s = src + static_cast<std::ptrdiff_t>(y) * srcPitch;
        std::uint32_t* d = dst + static_cast<std::ptrdiff_t>(y) * dstPitchPixels;
        for (int g = 0; g < groups; ++g, s += 64, d += 64) {
            // The zero-masked form: the plain one's unset source upsets the compiler's checks.
            const __m512i idx =
                _mm512_maskz_permutexvar_epi8(~0ull, ordered, _mm512_loadu_si512(s));
            const __mmask64 high = _mm512_movepi8_mask(idx);
            __m512i colour[3];
            for (int c = 0; c < 3; ++c)
                colour[c] = _mm512_mask_blend_epi8(
                    high, _mm512_permutex2var_epi8(t[4 * c], idx, t[4 * c + 1]),
                    _mm512_permutex2var_epi8(t[4 * c + 2], idx, t[4 * c + 3]));
            const __m512i b = colour[0], gr = colour[1], r = colour[2];
            const __m512i bgLow = _mm512_unpacklo_epi8(b, gr), bgHigh = _mm512_unpackhi_epi8(b, gr);
            const __m512i raLow = _mm512_unpacklo_epi8(r, alpha);
            const __m512i raHigh = _mm512_unpackhi_epi8(r, alpha);
            _mm512_storeu_si512(d, _mm512_unpacklo_epi16(bgLow, raLow));
            _mm512_storeu_si512(d + 16, _mm512_unpackhi_epi16(bgLow, raLow));
            _mm512_storeu_si512(d + 32, _mm512_unpacklo_epi16(bgHigh, raHigh));
            _mm512_storeu_si512(d + 48, _mm512_unpackhi_epi16(bgHigh, raHigh));
        }
    }
    return groups * 64;
}

bool HasBytePermutes() {
    static const bool has = __builtin_cpu_supports("avx512f") != 0 &&
                            __builtin_cpu_supports("avx512bw") != 0 &&
                            __builtin_cpu_supports("avx512vbmi") != 0;
    return has;
}
#endif

}  // namespace

void ConvertIndexed(const std::uint8_t* src, int srcPitch, const PaletteLut& lut,
                    std::uint32_t* dst, int dstPitchPixels, int width, int height) {
    int from = 0;
#if defined(ZEPHLON_PALETTE_BYTE_PERMUTES)
    if (HasBytePermutes())
        from = ConvertGroups(src, srcPitch, lut.Planes(), dst, dstPitchPixels, width, height);
#endif
    if (from == width) return;
    const std::uint32_t* table = lut.Table();
    const std::uint64_t* pairs = lut.Pairs();
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* s = src + static_cast<std::ptrdiff_t>(y) * srcPitch;
        std::uint32_t* d = dst + static_cast<std::ptrdiff_t>(y) * dstPitchPixels;
        int x = from;
        // Eight indices a load, two pixels a lookup and a store; the lookups are independent,
        // so they overlap.
        for (; x + 8 <= width; x += 8) {
            std::uint64_t q;
            std::memcpy(&q, s + x, 8);
            const std::uint64_t a = pairs[q & 0xFFFF];
            const std::uint64_t b = pairs[(q >> 16) & 0xFFFF];
            const std::uint64_t c = pairs[(q >> 32) & 0xFFFF];
            const std::uint64_t e = pairs[q >> 48];
            std::memcpy(d + x, &a, 8);
            std::memcpy(d + x + 2, &b, 8);
            std::memcpy(d + x + 4, &c, 8);
            std::memcpy(d + x + 6, &e, 8);
        }
        for (; x < width; ++x)
            d[x] = table[s[x]];
    }
}

}  // namespace platform
