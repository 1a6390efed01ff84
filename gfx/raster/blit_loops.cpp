#include "gfx/raster/blit_loops.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define GFX_MASKED_KEY 1
#endif

#include "gfx/raster/short_runs.h"

namespace gfx {

namespace {

// Pixel treatments. Each is a small value type so that every loop below is instantiated with
// its treatment inlined: no call per pixel.
struct Opaque {
    static void Put(std::uint8_t* d, std::uint8_t s) { *d = s; }
};
struct Key {
    static void Put(std::uint8_t* d, std::uint8_t s) {
        if (s != 0) *d = s;
    }
};
struct Blend {
    const std::uint8_t* table;
    void Put(std::uint8_t* d, std::uint8_t s) const { *d = table[s * 256u + *d]; }
};
struct Opaque16 {
    const std::uint32_t* colors;
    void Put(std::uint8_t* d, std::uint8_t s) const {
        const auto v = static_cast<std::uint16_t>(colors[s]);
        std::memcpy(d, &v, 2);
    }
};
struct Key16 {
    const std::uint32_t* colors;
    void Put(std::uint8_t* d, std::uint8_t s) const {
        if (s == 0) return;
        const auto v = static_cast<std::uint16_t>(colors[s]);
        std::memcpy(d, &v, 2);
    }
};

struct BlitLoopsTranslucent {
    GFXTranslucentRows t;
    void Put(std::uint8_t* d, std::uint8_t s) const {
        const std::int32_t k = static_cast<std::int32_t>(s) - t.first;
        if (k >= 0 && k < t.levels) {
            *d = t.rows[static_cast<std::uint32_t>(k) * 256u + *d];
        } else if (s != 0) {
            *d = s;
        }
    }
};

// Keyed groups of pixels: a source byte of 0 keeps the destination byte. The groups never
// branch on their contents (mixed groups would mispredict). A keyed write is idempotent, so a
// row's last group may overlap the one before it; it is worked out from the row's bytes before
// anything is stored, so no read waits on an overlapping store.
template <typename W>
inline W KeyedWord(W sv, W dv) {
    constexpr W kLow7 = static_cast<W>(0x7F7F7F7F7F7F7F7Full);
    W t = ((sv & kLow7) + kLow7) | sv;
    t &= static_cast<W>(~kLow7);                  // top bit of each non-zero byte
    const W m = static_cast<W>((t >> 7) * 0xFF);  // widen each top bit to its whole byte
    return (dv & static_cast<W>(~m)) | (sv & m);
}

template <typename W>
inline W Load(const std::uint8_t* p) {
    W v;
    std::memcpy(&v, p, sizeof(W));
    return v;
}

template <typename W>
inline void Store(std::uint8_t* p, W v) {
    std::memcpy(p, &v, sizeof(W));
}

// Two keyed words covering 4 to 16 pixels: both read before either is written.
template <typename W>
inline void KeyTwoWords(std::uint8_t* d, const std::uint8_t* s, std::int32_t w) {
    constexpr std::int32_t k = sizeof(W);
    const W a = KeyedWord<W>(Load<W>(s), Load<W>(d));
    const W b = KeyedWord<W>(Load<W>(s + w - k), Load<W>(d + w - k));
    Store<W>(d, a);
    Store<W>(d + w - k, b);
}

#if defined(__SSE2__)
inline __m128i KeyedSixteen(const std::uint8_t* d, const std::uint8_t* s) {
    const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
    const __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d));
    const __m128i keyed = _mm_cmpeq_epi8(sv, _mm_setzero_si128());
    return _mm_or_si128(_mm_and_si128(keyed, dv), _mm_andnot_si128(keyed, sv));
}
#endif

// One keyed row of w pixels.
inline void KeyRow(std::uint8_t* d, const std::uint8_t* s, std::int32_t w) {
#if defined(__SSE2__)
    if (w >= 16) {
        const __m128i last = KeyedSixteen(d + w - 16, s + w - 16);
        std::int32_t x = 0;
        // Wide rows (a panel, a background) are mostly solid: 64 source bytes without a key
        // byte go out as they are, without reading the destination; the branch is taken once a
        // block, and only blocks that hold both kinds fall back to the keyed groups.
        for (; x + 64 <= w; x += 64) {
            const __m128i* from = reinterpret_cast<const __m128i*>(s + x);
            const __m128i a = _mm_loadu_si128(from);
            const __m128i b = _mm_loadu_si128(from + 1);
            const __m128i c = _mm_loadu_si128(from + 2);
            const __m128i e = _mm_loadu_si128(from + 3);
            const __m128i zero = _mm_setzero_si128();
            const __m128i keys =
                _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(a, zero), _mm_cmpeq_epi8(b, zero)),
                             _mm_or_si128(_mm_cmpeq_epi8(c, zero), _mm_cmpeq_epi8(e, zero)));
            __m128i* to = reinterpret_cast<__m128i*>(d + x);
            if (_mm_movemask_epi8(keys) == 0) {
                _mm_storeu_si128(to, a);
                _mm_storeu_si128(to + 1, b);
                _mm_storeu_si128(to + 2, c);
                _mm_storeu_si128(to + 3, e);
            } else {
                for (int k = 0; k < 4; ++k)
                    _mm_storeu_si128(to + k, KeyedSixteen(d + x + 16 * k, s + x + 16 * k));
            }
        }
        for (; x + 16 <= w; x += 16)
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + x), KeyedSixteen(d + x, s + x));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + w - 16), last);
        return;
    }
#else
    if (w >= 16) {
        const std::uint64_t last =
            KeyedWord(Load<std::uint64_t>(s + w - 8), Load<std::uint64_t>(d + w - 8));
        for (std::int32_t x = 0; x + 8 <= w; x += 8)
            Store(d + x, KeyedWord(Load<std::uint64_t>(s + x), Load<std::uint64_t>(d + x)));
        Store(d + w - 8, last);
        return;
    }
#endif
    if (w >= 8) {
        KeyTwoWords<std::uint64_t>(d, s, w);
    } else if (w >= 4) {
        KeyTwoWords<std::uint32_t>(d, s, w);
    } else {
        for (std::int32_t x = 0; x < w; ++x)
            if (s[x] != 0) d[x] = s[x];
    }
}

template <int kBytes, typename T>
void RectLoop(std::uint8_t* dst, const std::uint8_t* src, std::int32_t w, std::int32_t h,
              std::int32_t srcAdv, std::int32_t dstAdv, bool mirror, T t) {
    const std::ptrdiff_t sstep = mirror ? -1 : 1;
    for (std::int32_t y = 0; y < h; ++y) {
        for (std::int32_t x = 0; x < w; ++x) {
            t.Put(dst, *src);
            dst += kBytes;
            src += sstep;
        }
        src += srcAdv;
        dst += dstAdv;
    }
}

// One blended row of w pixels, the source read leftwards when kMirror. Four pixels are looked up
// before any of them is stored: the compiler cannot tell the destination from the table or the
// source, so it would otherwise keep every lookup behind the store before it.
template <bool kMirror>
inline void BlendRow(std::uint8_t* d, const std::uint8_t* s, std::int32_t w,
                     const std::uint8_t* table) {
    constexpr std::ptrdiff_t kStep = kMirror ? -1 : 1;
    auto at = [&](std::int32_t x) { return table[s[x * kStep] * 256u + d[x]]; };
    std::int32_t x = 0;
    for (; x + 4 <= w; x += 4) {
        const std::uint8_t a = at(x), b = at(x + 1), c = at(x + 2), e = at(x + 3);
        d[x] = a;
        d[x + 1] = b;
        d[x + 2] = c;
        d[x + 3] = e;
    }
    for (; x < w; ++x)
        d[x] = at(x);
}

// One row of w pixels copied from a source read leftwards (`s` is its first, rightmost pixel):
// eight bytes at a time, loaded from the source's left end of the group and byte-reversed.
inline void MirrorRow(std::uint8_t* d, const std::uint8_t* s, std::int32_t w) {
    std::int32_t x = 0;
    for (; x + 8 <= w; x += 8)
        Store(d + x, __builtin_bswap64(Load<std::uint64_t>(s - x - 7)));
    for (; x < w; ++x)
        d[x] = s[-x];
}

// 32-bit digital differential analysis: whole and fraction steps of S over D.
struct Dda {
    std::int32_t whole = 0;
    std::uint32_t frac = 0;
};

Dda MakeDda(std::int32_t s, std::int32_t d) {
    Dda r;
    if (d <= 0 || s < 0) return r;
    r.whole = s / d;
    r.frac = static_cast<std::uint32_t>((static_cast<std::uint64_t>(s % d) << 32) /
                                        static_cast<std::uint64_t>(d));
    return r;
}

template <typename T>
void StretchLoop(const GFXStretchArgs& a, T t) {
    if (a.drawnWidth <= 0 || a.drawnHeight <= 0 || a.fullWidth <= 0 || a.fullHeight <= 0) return;
    const Dda dx = MakeDda(a.srcWidth, a.fullWidth);
    const Dda dy = MakeDda(a.srcHeight, a.fullHeight);
    const std::uint32_t frac0 = dx.frac * static_cast<std::uint32_t>(a.skipCols);
    std::uint32_t rowFrac = dy.frac * static_cast<std::uint32_t>(a.skipRows);
    const std::ptrdiff_t dstep = a.mirror ? -1 : 1;
    const std::uint8_t* srcRow = a.src;
    std::uint8_t* dst = a.dst;
    for (std::int32_t y = 0; y < a.drawnHeight; ++y) {
        std::uint32_t frac = frac0;
        std::ptrdiff_t pos = 0;
        for (std::int32_t x = 0; x < a.drawnWidth; ++x) {
            t.Put(dst, srcRow[pos]);
            dst += dstep;
            const std::uint32_t next = frac + dx.frac;
            pos += dx.whole + (next < frac ? 1 : 0);
            frac = next;
        }
        dst += a.dstAdvance;
        const std::uint32_t nextRow = rowFrac + dy.frac;
        srcRow += static_cast<std::ptrdiff_t>(dy.whole + (nextRow < rowFrac ? 1 : 0)) * a.srcStride;
        rowFrac = nextRow;
    }
}

template <typename T>
void SpanLoop(const GFXSpanShape& shape, std::uint8_t* dst, std::int32_t pitch,
              const std::uint8_t* srcPixels, std::int32_t srcStride, T t) {
    const GFXSpanRecord* r = shape.first;
    if (r == nullptr) return;
    const std::uint8_t* srcRow =
        srcPixels + static_cast<std::ptrdiff_t>(r->attributes[kSpanAttrSourceRow]) *
                        std::abs(static_cast<std::ptrdiff_t>(srcStride));
    const std::ptrdiff_t step = shape.sourceStep;
    for (; r != nullptr; r = r->next) {
        if (r->flags & kSpanNewRow) {
            dst += pitch;
            srcRow += srcStride;
        }
        if (r->flags & kSpanHidden) continue;
        const std::uint8_t* s = srcRow + r->source;
        std::uint8_t* d = dst + r->x;
        for (std::int32_t n = r->lastOffset; n >= 0; --n) {
            t.Put(d++, *s);
            s += step;
        }
    }
}

template <typename T>
void SpanStretchLoop(const GFXSpanShape& shape, std::uint8_t* dst, std::int32_t pitch,
                     const GFXSpanStretchArgs& a, T t) {
    const GFXSpanRecord* r = shape.first;
    if (r == nullptr || a.fullWidth <= 0 || a.fullHeight <= 0) return;
    const Dda dx = MakeDda(a.srcWidth, a.fullWidth);
    const Dda dy = MakeDda(a.srcHeight, a.fullHeight);
    // The horizontal fraction step is biased up by one so that a span that ends exactly on a
    // source pixel boundary reaches it.
    const std::uint64_t step =
        (static_cast<std::uint64_t>(dx.whole) << 32) + dx.frac + (dx.frac != 0 ? 1 : 0);
    std::uint32_t rowFrac = static_cast<std::uint32_t>(r->attributes[kSpanAttrSourceRow] & 0xFFFF)
                            << 16;
    const std::uint8_t* srcRow = a.src;
    for (; r != nullptr; r = r->next) {
        if (r->flags & kSpanNewRow) {
            dst += pitch;
            const std::uint32_t next = rowFrac + dy.frac;
            srcRow +=
                static_cast<std::ptrdiff_t>(dy.whole + (next < rowFrac ? 1 : 0)) * a.srcStride;
            rowFrac = next;
        }
        if (r->flags & kSpanHidden) continue;
        // The record's 16.16 column: the whole part is the first column, the fraction starts the
        // accumulator's top half. Leftwards the same offsets are taken from the first column
        // down, so a mirrored span is the exact mirror of the rightward one.
        const std::int64_t base = r->source >> 16;
        std::uint64_t acc = static_cast<std::uint64_t>(r->source & 0xFFFF) << 16;
        const std::int64_t dir = a.dir < 0 ? -1 : 1;
        std::uint8_t* d = dst + r->x;
        for (std::int32_t n = r->lastOffset; n >= 0; --n) {
            t.Put(d++, srcRow[base + dir * static_cast<std::int64_t>(acc >> 32)]);
            acc += step;
        }
    }
}

#if defined(GFX_MASKED_KEY)
// Rows of at least 64 bytes through 64-byte registers. Each row's first group goes up to the
// destination's next cache line, so that every store after it lies on one line (a store across
// two lines costs two); the last group loads and stores only the row's own bytes. Rows that
// follow each other in both the source and the destination are one long row.
template <bool kKeyed>
__attribute__((target("avx2,avx512f,avx512bw,avx512vl,bmi2"))) void RowsMasked64(
    std::uint8_t* dp, const std::uint8_t* sp, std::ptrdiff_t w, std::int32_t h,
    std::ptrdiff_t srcStride, std::ptrdiff_t dstStride) {
    if (srcStride == w && dstStride == w) {
        w *= h;
        h = 1;
    }
    for (std::int32_t y = 0; y < h; ++y, sp += srcStride, dp += dstStride) {
        const auto head = static_cast<std::ptrdiff_t>(-reinterpret_cast<std::uintptr_t>(dp) & 63);
        const __mmask64 headMask = _bzhi_u64(~0ull, static_cast<std::uint32_t>(head));
        const __m512i first = _mm512_loadu_si512(sp);
        _mm512_mask_storeu_epi8(
            dp, kKeyed ? _mm512_test_epi8_mask(first, first) & headMask : headMask, first);
        std::ptrdiff_t x = head;
        for (; x + 64 <= w; x += 64) {
            const __m512i v = _mm512_loadu_si512(sp + x);
            if constexpr (kKeyed)
                _mm512_mask_storeu_epi8(dp + x, _mm512_test_epi8_mask(v, v), v);
            else
                _mm512_store_si512(dp + x, v);
        }
        if (x < w) {
            const __mmask64 tail = _bzhi_u64(~0ull, static_cast<std::uint32_t>(w - x));
            const __m512i v = _mm512_maskz_loadu_epi8(tail, sp + x);
            _mm512_mask_storeu_epi8(dp + x, kKeyed ? _mm512_test_epi8_mask(v, v) : tail, v);
        }
    }
}

// A rectangle through wide registers and byte-masked stores. Keyed, each group of source bytes
// goes out in one store that leaves the destination's bytes under key bytes untouched, so the
// destination is never read and a solid group costs what a plain copy does; plain, the groups
// are stored whole. A row's last group loads and stores only its own bytes. Rows of 64 bytes or
// more go 64 at a time, narrower ones 32 at a time.
template <bool kKeyed>
__attribute__((target("avx2,avx512f,avx512bw,avx512vl,bmi2"))) void RectMasked(
    std::uint8_t* dp, const std::uint8_t* sp, std::int32_t w, std::int32_t h,
    std::ptrdiff_t srcStride, std::ptrdiff_t dstStride) {
    if (w >= 64) {
        RowsMasked64<kKeyed>(dp, sp, w, h, srcStride, dstStride);
        return;
    }
    const std::int32_t whole = w & ~31;
    const __mmask32 tail = _bzhi_u32(~0u, static_cast<std::uint32_t>(w - whole));
    for (std::int32_t y = 0; y < h; ++y, sp += srcStride, dp += dstStride) {
        for (std::int32_t x = 0; x < whole; x += 32) {
            const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(sp + x));
            if constexpr (kKeyed)
                _mm256_mask_storeu_epi8(dp + x, _mm256_test_epi8_mask(v, v), v);
            else
                _mm256_storeu_si256(reinterpret_cast<__m256i*>(dp + x), v);
        }
        if (tail != 0) {
            // Bytes beyond the row load as 0, so a keyed row's test leaves them out too.
            const __m256i v = _mm256_maskz_loadu_epi8(tail, sp + whole);
            _mm256_mask_storeu_epi8(dp + whole, kKeyed ? _mm256_test_epi8_mask(v, v) : tail, v);
        }
    }
}

// Rectangles through 32-byte registers without masked stores. Every row's width class is chosen
// once for the whole rectangle. Keyed, a group blends the source over the destination it read
// (a group without a key byte is stored as it is), and a row's last group, which may overlap the
// one before it, is worked out before anything of the row is stored; plain, the last group
// simply overlaps.
template <bool kKeyed>
__attribute__((target("avx2"))) inline __m256i Group32(const std::uint8_t* s,
                                                       const std::uint8_t* d) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s));
    if constexpr (!kKeyed) {
        return v;
    } else {
        const __m256i keys = _mm256_cmpeq_epi8(v, _mm256_setzero_si256());
        if (_mm256_movemask_epi8(keys) == 0) return v;
        return _mm256_blendv_epi8(v, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d)), keys);
    }
}

// The first 16 or 8 bytes at `p` (the rest of the register 0).
template <int kBytes>
inline __m128i LoadXmm(const std::uint8_t* p) {
    if constexpr (kBytes == 16)
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    else
        return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
}

// A group of 16 or 8 source bytes as it goes out: keyed, the destination's bytes under key
// bytes.
template <bool kKeyed, int kBytes>
__attribute__((target("avx2"))) inline __m128i GroupXmm(const std::uint8_t* s,
                                                        const std::uint8_t* d) {
    const __m128i v = LoadXmm<kBytes>(s);
    if constexpr (!kKeyed) {
        return v;
    } else {
        const __m128i keys = _mm_cmpeq_epi8(v, _mm_setzero_si128());
        return _mm_blendv_epi8(v, LoadXmm<kBytes>(d), keys);
    }
}

// Rows of kBytes to 2 * kBytes bytes as two groups, the row's first and its last kBytes (they
// overlap when the row is shorter than two groups), both taken before either is stored.
template <bool kKeyed, int kBytes>
__attribute__((target("avx2"))) void RowsOfTwoGroups(std::uint8_t* dp, const std::uint8_t* sp,
                                                     std::int32_t w, std::int32_t h,
                                                     std::ptrdiff_t srcStride,
                                                     std::ptrdiff_t dstStride) {
    for (std::int32_t y = 0; y < h; ++y, sp += srcStride, dp += dstStride) {
        const __m128i a = GroupXmm<kKeyed, kBytes>(sp, dp);
        const __m128i b = GroupXmm<kKeyed, kBytes>(sp + w - kBytes, dp + w - kBytes);
        if constexpr (kBytes == 16) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(dp), a);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(dp + w - kBytes), b);
        } else {
            _mm_storel_epi64(reinterpret_cast<__m128i*>(dp), a);
            _mm_storel_epi64(reinterpret_cast<__m128i*>(dp + w - kBytes), b);
        }
    }
}

template <bool kKeyed>
__attribute__((target("avx2"))) void RectWide(std::uint8_t* dp, const std::uint8_t* sp,
                                              std::int32_t w, std::int32_t h,
                                              std::ptrdiff_t srcStride, std::ptrdiff_t dstStride) {
    if (w >= 32) {
        for (std::int32_t y = 0; y < h; ++y, sp += srcStride, dp += dstStride) {
            const __m256i last = Group32<kKeyed>(sp + w - 32, dp + w - 32);
            for (std::int32_t x = 0; x < w - 32; x += 32)
                _mm256_storeu_si256(reinterpret_cast<__m256i*>(dp + x),
                                    Group32<kKeyed>(sp + x, dp + x));
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(dp + w - 32), last);
        }
    } else if (w >= 16) {
        RowsOfTwoGroups<kKeyed, 16>(dp, sp, w, h, srcStride, dstStride);
    } else if (w >= 8) {
        RowsOfTwoGroups<kKeyed, 8>(dp, sp, w, h, srcStride, dstStride);
    } else {
        for (std::int32_t y = 0; y < h; ++y, sp += srcStride, dp += dstStride) {
            if constexpr (kKeyed)
                KeyRow(dp, sp, w);
            else
                CopyRun(dp, sp, w);
        }
    }
}

// One band of opaque pieces: every piece's row loaded into its place in a 64-byte register (a
// masked load reads only the piece's own bytes), then the row stored once under the pieces'
// mask.
__attribute__((target("avx2,avx512f,avx512bw,avx512vl,bmi2"))) void BandMasked(
    std::uint8_t* dst, std::int32_t dstStride, std::int32_t rows, const BlitPiece* pieces,
    int count) {
    __mmask64 masks[kMaxBandPieces];
    std::uintptr_t from[kMaxBandPieces];
    __mmask64 all = 0;
    for (int i = 0; i < count; ++i) {
        masks[i] = _bzhi_u64(~0ull, static_cast<std::uint32_t>(pieces[i].width))
                   << pieces[i].offset;
        all |= masks[i];
        // The row's address less the piece's offset: lanes below the offset are never read.
        from[i] = reinterpret_cast<std::uintptr_t>(pieces[i].pixels) -
                  static_cast<std::uintptr_t>(pieces[i].offset);
    }
    for (std::int32_t y = 0; y < rows; ++y, dst += dstStride) {
        __m512i row = _mm512_maskz_loadu_epi8(masks[0], reinterpret_cast<const void*>(from[0]));
        from[0] += static_cast<std::uintptr_t>(static_cast<std::intptr_t>(pieces[0].stride));
        for (int i = 1; i < count; ++i) {
            row = _mm512_mask_loadu_epi8(row, masks[i], reinterpret_cast<const void*>(from[i]));
            from[i] += static_cast<std::uintptr_t>(static_cast<std::intptr_t>(pieces[i].stride));
        }
        _mm512_mask_storeu_epi8(dst, all, row);
    }
}

__attribute__((target("avx2,avx512f,avx512bw,avx512vl,bmi2"))) void OverBackgroundMasked(
    std::uint8_t* dst, std::int32_t dstStride, const std::uint8_t* background,
    std::int32_t backgroundStride, std::int32_t width, std::int32_t rows, const BlitPiece& sprite,
    std::int32_t spriteTop, std::int32_t spriteRows, bool keyed) {
    const __mmask64 whole = _bzhi_u64(~0ull, static_cast<std::uint32_t>(width));
    const __mmask64 piece = _bzhi_u64(~0ull, static_cast<std::uint32_t>(sprite.width))
                            << sprite.offset;
    std::uintptr_t from = reinterpret_cast<std::uintptr_t>(sprite.pixels) -
                          static_cast<std::uintptr_t>(sprite.offset);
    for (std::int32_t y = 0; y < rows; ++y, dst += dstStride, background += backgroundStride) {
        __m512i row = _mm512_maskz_loadu_epi8(whole, background);
        if (y >= spriteTop && y < spriteTop + spriteRows) {
            const __m512i v = _mm512_maskz_loadu_epi8(piece, reinterpret_cast<const void*>(from));
            from += static_cast<std::uintptr_t>(static_cast<std::intptr_t>(sprite.stride));
            row = _mm512_mask_mov_epi8(row, keyed ? _mm512_test_epi8_mask(v, v) : piece, v);
        }
        _mm512_mask_storeu_epi8(dst, whole, row);
    }
}

// The widest path the processor has, and the one the loops take (the widest unless a test
// limited it; a loop run before the program's start-up takes the 16-byte path).
BlitPath Widest() {
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512bw") != 0 && __builtin_cpu_supports("avx512vl") != 0 &&
        __builtin_cpu_supports("bmi2") != 0)
        return BlitPath::kMasked;
    return __builtin_cpu_supports("avx2") != 0 ? BlitPath::kWide : BlitPath::kNarrow;
}
BlitPath theBlitPath = Widest();

bool Takes(BlitPath path) {
    return theBlitPath == path;
}
#endif

}  // namespace

BlitPath CurrentBlitPath() {
#if defined(GFX_MASKED_KEY)
    return theBlitPath;
#else
    return BlitPath::kNarrow;
#endif
}

void LimitBlitPath(BlitPath widest) {
#if defined(GFX_MASKED_KEY)
    theBlitPath = std::min(widest, Widest());
#else
    (void)widest;
#endif
}

bool BlitBand(std::uint8_t* dst, std::int32_t dstStride, std::int32_t rows, const BlitPiece* pieces,
              int count) {
#if defined(GFX_MASKED_KEY)
    if (!Takes(BlitPath::kMasked) || count < 1 || count > kMaxBandPieces) return false;
    BandMasked(dst, dstStride, rows, pieces, count);
    return true;
#else
    (void)dst, (void)dstStride, (void)rows, (void)pieces, (void)count;
    return false;
#endif
}

bool BlitOverBackground(std::uint8_t* dst, std::int32_t dstStride, const std::uint8_t* background,
                        std::int32_t backgroundStride, std::int32_t width, std::int32_t rows,
                        const BlitPiece& sprite, std::int32_t spriteTop, std::int32_t spriteRows,
                        bool keyed) {
#if defined(GFX_MASKED_KEY)
    if (!Takes(BlitPath::kMasked) || width < 1 || width > 64 || sprite.offset < 0 ||
        sprite.width < 0 || sprite.offset + sprite.width > width)
        return false;
    OverBackgroundMasked(dst, dstStride, background, backgroundStride, width, rows, sprite,
                         spriteTop, spriteRows, keyed);
    return true;
#else
    (void)dst, (void)dstStride, (void)background, (void)backgroundStride, (void)width;
    (void)rows, (void)sprite, (void)spriteTop, (void)spriteRows, (void)keyed;
    return false;
#endif
}

void BlitCopy(std::uint8_t* dst, const std::uint8_t* src, std::int32_t w, std::int32_t h,
              std::int32_t srcAdv, std::int32_t dstAdv, std::uint32_t flags) {
    if (w <= 0 || h <= 0) return;
    if (flags & kBlitMirror) {
        for (std::int32_t y = 0; y < h; ++y) {
            MirrorRow(dst, src, w);
            src += srcAdv - w;
            dst += w + dstAdv;
        }
        return;
    }
#if defined(GFX_MASKED_KEY)
    // Narrow rows through byte-masked stores where the processor has them, else through 32-byte
    // registers; wide ones to the library's block move, which is at its best there.
    if (w < 256 && Takes(BlitPath::kMasked)) {
        RectMasked<false>(dst, src, w, h, static_cast<std::ptrdiff_t>(w) + srcAdv,
                          static_cast<std::ptrdiff_t>(w) + dstAdv);
        return;
    }
    if (w < 256 && Takes(BlitPath::kWide)) {
        RectWide<false>(dst, src, w, h, static_cast<std::ptrdiff_t>(w) + srcAdv,
                        static_cast<std::ptrdiff_t>(w) + dstAdv);
        return;
    }
#endif
    // The plain copy is a row-wise block move: the library's move already does the
    // head/aligned-middle/tail split the hardware likes.
    for (std::int32_t y = 0; y < h; ++y) {
        CopyRun(dst, src, w);
        src += w + srcAdv;
        dst += w + dstAdv;
    }
}

void BlitKey(std::uint8_t* dst, const std::uint8_t* src, std::int32_t w, std::int32_t h,
             std::int32_t srcAdv, std::int32_t dstAdv, std::uint32_t flags) {
    if (w <= 0 || h <= 0) return;
    if (flags & kBlitMirror) {
        RectLoop<1>(dst, src, w, h, srcAdv, dstAdv, true, Key{});
        return;
    }
#if defined(GFX_MASKED_KEY)
    if (Takes(BlitPath::kMasked)) {
        RectMasked<true>(dst, src, w, h, static_cast<std::ptrdiff_t>(w) + srcAdv,
                         static_cast<std::ptrdiff_t>(w) + dstAdv);
        return;
    }
    if (Takes(BlitPath::kWide)) {
        RectWide<true>(dst, src, w, h, static_cast<std::ptrdiff_t>(w) + srcAdv,
                       static_cast<std::ptrdiff_t>(w) + dstAdv);
        return;
    }
#endif
    for (std::int32_t y = 0; y < h; ++y) {
        KeyRow(dst, src, w);
        src += w + srcAdv;
        dst += w + dstAdv;
    }
}

void BlitBlend(std::uint8_t* dst, const std::uint8_t* src, std::int32_t w, std::int32_t h,
               std::int32_t srcAdv, std::int32_t dstAdv, std::uint32_t flags,
               const std::uint8_t* blend) {
    if (w <= 0 || h <= 0 || blend == nullptr) return;
    const bool mirror = (flags & kBlitMirror) != 0;
    for (std::int32_t y = 0; y < h; ++y) {
        if (mirror)
            BlendRow<true>(dst, src, w, blend);
        else
            BlendRow<false>(dst, src, w, blend);
        src += (mirror ? -w : w) + srcAdv;
        dst += w + dstAdv;
    }
}

void BlitCopy16(std::uint8_t* dst, const std::uint8_t* src, std::int32_t w, std::int32_t h,
                std::int32_t srcAdv, std::int32_t dstAdv, std::uint32_t flags,
                const std::uint32_t* colors) {
    if (w <= 0 || h <= 0 || colors == nullptr) return;
    RectLoop<2>(dst, src, w, h, srcAdv, dstAdv, (flags & kBlitMirror) != 0, Opaque16{colors});
}

void BlitKey16(std::uint8_t* dst, const std::uint8_t* src, std::int32_t w, std::int32_t h,
               std::int32_t srcAdv, std::int32_t dstAdv, std::uint32_t flags,
               const std::uint32_t* colors) {
    if (w <= 0 || h <= 0 || colors == nullptr) return;
    RectLoop<2>(dst, src, w, h, srcAdv, dstAdv, (flags & kBlitMirror) != 0, Key16{colors});
}

void BlitTranslucent(std::uint8_t* dst, const std::uint8_t* src, std::int32_t w, std::int32_t h,
                     std::int32_t srcAdv, std::int32_t dstAdv, std::uint32_t flags,
                     const GFXTranslucentRows& t) {
    if (w <= 0 || h <= 0 || t.rows == nullptr) return;
    RectLoop<1>(dst, src, w, h, srcAdv, dstAdv, (flags & kBlitMirror) != 0,
                BlitLoopsTranslucent{t});
}

void StretchTranslucent(const GFXStretchArgs& a, const GFXTranslucentRows& t) {
    if (t.rows != nullptr) StretchLoop(a, BlitLoopsTranslucent{t});
}

void StretchCopy(const GFXStretchArgs& a) {
    StretchLoop(a, Opaque{});
}
void StretchKey(const GFXStretchArgs& a) {
    StretchLoop(a, Key{});
}
void StretchBlend(const GFXStretchArgs& a, const std::uint8_t* blend) {
    if (blend != nullptr) StretchLoop(a, Blend{blend});
}

void SpanBlitCopy(const GFXSpanShape& shape, std::uint8_t* dst, std::int32_t pitch,
                  const std::uint8_t* srcPixels, std::int32_t srcStride) {
    SpanLoop(shape, dst, pitch, srcPixels, srcStride, Opaque{});
}
void SpanBlitKey(const GFXSpanShape& shape, std::uint8_t* dst, std::int32_t pitch,
                 const std::uint8_t* srcPixels, std::int32_t srcStride) {
    SpanLoop(shape, dst, pitch, srcPixels, srcStride, Key{});
}
void SpanBlitBlend(const GFXSpanShape& shape, std::uint8_t* dst, std::int32_t pitch,
                   const std::uint8_t* srcPixels, std::int32_t srcStride,
                   const std::uint8_t* blend) {
    if (blend != nullptr) SpanLoop(shape, dst, pitch, srcPixels, srcStride, Blend{blend});
}

void SpanStretchCopy(const GFXSpanShape& shape, std::uint8_t* dst, std::int32_t pitch,
                     const GFXSpanStretchArgs& a) {
    SpanStretchLoop(shape, dst, pitch, a, Opaque{});
}
void SpanStretchKey(const GFXSpanShape& shape, std::uint8_t* dst, std::int32_t pitch,
                    const GFXSpanStretchArgs& a) {
    SpanStretchLoop(shape, dst, pitch, a, Key{});
}
void SpanStretchBlend(const GFXSpanShape& shape, std::uint8_t* dst, std::int32_t pitch,
                      const GFXSpanStretchArgs& a, const std::uint8_t* blend) {
    if (blend != nullptr) SpanStretchLoop(shape, dst, pitch, a, Blend{blend});
}

}  // namespace gfx
