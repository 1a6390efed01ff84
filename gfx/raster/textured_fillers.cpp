// The 8-bit textured fillers. Affine fillers step u and v linearly along the span; perspective
// fillers divide by the reciprocal depth at the ends of runs of 24 pixels and step linearly in
// between. Texture coordinates are 16.16 texels of a 256 x 256 texture; the 256-wide fillers
// wrap both integer parts at 256, the others address the bitmap with its own row length and
// wrap modulo its size, so no read ever leaves the bitmap.
#include <array>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/numeric.h"
#include "gfx/raster/span_fillers.h"
#include "gfx/raster/span_state.h"

namespace gfx {

namespace {

enum class Tex8 {
    kCopy,
    kShaded,
    kTransparent,
    kTransparentShaded,
    kFace,
    kTransparentFace,
    kBlend,
    kLit,
};

constexpr bool Transparent(Tex8 m) {
    return m == Tex8::kTransparent || m == Tex8::kTransparentShaded ||
           m == Tex8::kTransparentFace || m == Tex8::kBlend;
}
constexpr bool Shaded(Tex8 m) {
    return m == Tex8::kShaded || m == Tex8::kTransparentShaded;
}
constexpr bool Face(Tex8 m) {
    return m == Tex8::kFace || m == Tex8::kTransparentFace;
}

// What a set-up fixes for the face; the filler copies it into locals.
struct TexConstants {
    const std::uint8_t* texels = nullptr;
    std::int32_t texStride = 256;
    std::int32_t texWidth = 256;
    std::int32_t texHeight = 256;
    const std::uint8_t* shadeTable = nullptr;
    const std::uint8_t* blendTable = nullptr;
    std::uint32_t shadeMask = 0;
    bool fixedSteps = false;  // a triangle: the steps below hold for every span
    float dudx = 0, dvdx = 0, dwdx = 0;
    std::int32_t uStep = 0, vStep = 0, shadeStep = 0, lightStep = 0;
};
TexConstants texConst;

void SetTexConstants(int isTriangle) {
    const SpanRasterState& s = theSpanState;
    texConst.texels = s.texels;
    texConst.texStride = s.texStride;
    texConst.texWidth = s.texWidth;
    texConst.texHeight = s.texHeight;
    texConst.shadeTable = s.shadeTable;
    texConst.blendTable = s.blendTable;
    texConst.shadeMask = static_cast<std::uint32_t>(s.shadeMask);
    texConst.fixedSteps = isTriangle != 0;
    texConst.dudx = s.spanDUDX;
    texConst.dvdx = s.spanDVDX;
    texConst.dwdx = s.spanDWDX;
    texConst.uStep = s.spanUStep;
    texConst.vStep = s.spanVStep;
    texConst.shadeStep = s.spanShadeDX;
    texConst.lightStep = s.spanLightDX;
}

[[nodiscard]] bool Is256(const TexConstants& c) {
    return c.texWidth == 256 && c.texHeight == 256 && c.texStride == 256;
}

inline std::int32_t TexturedFillersPositiveMod(std::int32_t a, std::int32_t m) {
    const std::int32_t r = a % m;
    return r < 0 ? r + m : r;
}

// Texel lookup; u and v are 16.16 in two's complement.
template <bool k256>
struct TexelFetch {
    const std::uint8_t* texels;
    std::int32_t stride, width, height;
    [[nodiscard]] std::uint32_t operator()(std::uint32_t u, std::uint32_t v) const {
        if constexpr (k256) {
            return texels[((v >> 8) & 0xFF00u) | ((u >> 16) & 0xFFu)];
        } else {
            const std::int32_t tx =
                TexturedFillersPositiveMod(static_cast<std::int32_t>(u) >> 16, width);
            const std::int32_t ty =
                TexturedFillersPositiveMod(static_cast<std::int32_t>(v) >> 16, height);
            return texels[static_cast<std::size_t>(ty) * static_cast<std::size_t>(stride) +
                          static_cast<std::size_t>(tx)];
        }
    }
};

inline std::uint32_t TexturedFillersWrap(std::uint32_t v, std::int32_t d) {
    return v + static_cast<std::uint32_t>(d);
}
inline std::int32_t TexturedFillersLitStep(std::int32_t d) {
    return d > 0 ? d - 1 : (d < 0 ? d + 1 : 0);
}

// Writes one pixel of mode M for texel t; `row` is the face row, the shade row base or the lit
// row depending on the mode.
template <Tex8 M>
inline void PutTexel(std::uint8_t* d, std::uint32_t t, const std::uint8_t* shadeBase,
                     std::uint32_t shade, const std::uint8_t* faceRow, const std::uint8_t* blend) {
    if constexpr (Transparent(M)) {
        if (t == 0) return;
    }
    if constexpr (M == Tex8::kCopy || M == Tex8::kTransparent) {
        *d = static_cast<std::uint8_t>(t);
    } else if constexpr (Shaded(M)) {
        *d = shadeBase[(((shade >> 16) & 255u) << 8) | t];
    } else if constexpr (Face(M) || M == Tex8::kLit) {
        *d = faceRow[t];
    } else {
        *d = blend[(t << 8) | *d];
    }
}

// The per-pixel steps of a range: the face's constants for a triangle, the span's own values
// (which the general-polygon walker sets per row) otherwise.
struct RangeSteps {
    int first, n;
    float dudx, dvdx, dwdx;
    std::int32_t uStep, vStep, shadeStep, lightStep;
};

[[gnu::always_inline]] inline RangeSteps StepsFor(const TexConstants& c, std::int32_t x0,
                                                  std::int32_t x1) {
    SpanRasterState& s = theSpanState;
    const int first = x0 >> 16;
    const int n = (x1 >> 16) - first;
    s.pixelsWritten += static_cast<std::uint64_t>(n);
    if (c.fixedSteps) {
        return {first, n, c.dudx, c.dvdx, c.dwdx, c.uStep, c.vStep, c.shadeStep, c.lightStep};
    }
    return {first,       n,           s.spanDUDX,    s.spanDVDX,   s.spanDWDX,
            s.spanUStep, s.spanVStep, s.spanShadeDX, s.spanLightDX};
}

// A value the walker stored for this span on its own. The compiler would merge the loads of
// neighbouring span fields into one wide load, which the processor cannot serve from the
// separate narrow stores still in flight and stalls on; the empty asm keeps the load alone.
inline float LoadAlone(const float& field) {
    float v = field;
#if defined(__SSE2__)
    asm("" : "+x"(v));
#endif
    return v;
}

#if defined(__SSE2__)
// Texel coordinates of four pixels in a row, each lane one step on from the one before (16.16,
// wrapping as the scalar steps do), and their texel offsets in a 256 x 256 texture.
struct FourTexels {
    __m128i u, v, du, dv;
    FourTexels(std::uint32_t u0, std::uint32_t v0, std::int32_t us, std::int32_t vs) {
        const auto su = static_cast<std::uint32_t>(us), sv = static_cast<std::uint32_t>(vs);
        u = _mm_setr_epi32(static_cast<int>(u0), static_cast<int>(u0 + su),
                           static_cast<int>(u0 + 2u * su), static_cast<int>(u0 + 3u * su));
        v = _mm_setr_epi32(static_cast<int>(v0), static_cast<int>(v0 + sv),
                           static_cast<int>(v0 + 2u * sv), static_cast<int>(v0 + 3u * sv));
        du = _mm_set1_epi32(static_cast<int>(4u * su));
        dv = _mm_set1_epi32(static_cast<int>(4u * sv));
    }
    // The four offsets, then the lanes moved on by four pixels.
    void Next(std::uint32_t out[4]) {
        const __m128i row = _mm_and_si128(_mm_srli_epi32(v, 8), _mm_set1_epi32(0xFF00));
        const __m128i column = _mm_and_si128(_mm_srli_epi32(u, 16), _mm_set1_epi32(0xFF));
        _mm_store_si128(reinterpret_cast<__m128i*>(out), _mm_or_si128(row, column));
        u = _mm_add_epi32(u, du);
        v = _mm_add_epi32(v, dv);
    }
    [[nodiscard]] std::uint32_t U() const { return static_cast<std::uint32_t>(_mm_cvtsi128_si32(u)); }
    [[nodiscard]] std::uint32_t V() const { return static_cast<std::uint32_t>(_mm_cvtsi128_si32(v)); }
};

// The N texels (4 or 8) at the offsets `at`, packed low byte first.
template <int N>
inline std::uint64_t Gather(const std::uint8_t* texels, const std::uint32_t at[N]) {
    std::uint64_t word = 0;
    for (int k = 0; k < N; ++k)
        word |= static_cast<std::uint64_t>(texels[at[k]]) << (8 * k);
    return word;
}

// N texels (4 or 8) at the offsets `at` written over N pixels, a texel 0 keeping the pixel
// under it.
template <int N>
inline void PutKeyed(std::uint8_t* d, const std::uint8_t* texels, const std::uint32_t at[N]) {
    static_assert(N == 4 || N == 8);
    std::uint64_t under = 0;
    std::memcpy(&under, d, N);
    const __m128i t = _mm_cvtsi64_si128(static_cast<long long>(Gather<N>(texels, at)));
    const __m128i hole = _mm_cmpeq_epi8(t, _mm_setzero_si128());
    const __m128i out =
        _mm_or_si128(_mm_and_si128(hole, _mm_cvtsi64_si128(static_cast<long long>(under))),
                     _mm_andnot_si128(hole, t));
    const auto word = static_cast<std::uint64_t>(_mm_cvtsi128_si64(out));
    std::memcpy(d, &word, N);
}
#endif

template <Tex8 M, bool k256>
void AffineSpan(std::int32_t x0, std::int32_t x1) {
    SpanRasterState& s = theSpanState;
    const TexConstants c = texConst;
    const RangeSteps r = StepsFor(c, x0, x1);
    const int first = r.first, n = r.n;
    const float dudx = r.dudx, dvdx = r.dvdx;
    const std::int32_t us = r.uStep, vs = r.vStep, ss = r.shadeStep;
    const float p = static_cast<float>(static_cast<std::int64_t>(x0) - s.spanX) * s.pixelScale;
    // The processor's truncation: out of range and NaN give INT32_MIN, as core's saturation.
    auto u = static_cast<std::uint32_t>(TruncateSaturate(LoadAlone(s.spanU) + p * dudx));
    auto v = static_cast<std::uint32_t>(TruncateSaturate(LoadAlone(s.spanV) + p * dvdx));
    std::uint32_t shade = 0;
    if constexpr (Shaded(M)) {
        const std::int64_t distance = static_cast<std::int64_t>(x0) - s.spanX;
        shade = static_cast<std::uint32_t>(s.spanShade) +
                static_cast<std::uint32_t>((distance * ss) >> 16);
    }
    const TexelFetch<k256> fetch{c.texels, c.texStride, c.texWidth, c.texHeight};
    const std::uint8_t* faceRow = s.spanLightRow;
    std::uint8_t* d = s.rowPtr + first;
    if constexpr (M == Tex8::kShaded) {
        if (ss == 0) {
            // One shade along the whole span: one row of the shade table.
            const std::uint8_t* row = c.shadeTable + (((shade >> 16) & 255u) << 8);
            int i = 0;
#if defined(__SSE2__)
            if constexpr (k256) {
                // Four pixels at a time: their texel offsets worked out together.
                if (n >= 8) {
                    FourTexels q(u, v, us, vs);
                    alignas(16) std::uint32_t at[4];
                    for (; i + 4 <= n; i += 4) {
                        q.Next(at);
                        d[i] = row[c.texels[at[0]]];
                        d[i + 1] = row[c.texels[at[1]]];
                        d[i + 2] = row[c.texels[at[2]]];
                        d[i + 3] = row[c.texels[at[3]]];
                    }
                    u = q.U();
                    v = q.V();
                }
            }
#endif
            for (; i < n; ++i) {
                d[i] = row[fetch(u, v)];
                u = TexturedFillersWrap(u, us);
                v = TexturedFillersWrap(v, vs);
            }
            return;
        }
    }
    for (int i = 0; i < n; ++i) {
        PutTexel<M>(d + i, fetch(u, v), c.shadeTable, shade, faceRow, c.blendTable);
        u = TexturedFillersWrap(u, us);
        v = TexturedFillersWrap(v, vs);
        if constexpr (Shaded(M)) shade = TexturedFillersWrap(shade, ss);
    }
}

std::array<float, 2 * 513> reciprocals{};
bool reciprocalsBuilt = false;

void BuildReciprocals() {
    if (reciprocalsBuilt) return;
    for (int n = 512; n > 0; --n) {
        reciprocals[2 * n] = static_cast<float>(n);
        reciprocals[2 * n + 1] = 1.0f / static_cast<float>(n);
    }
    reciprocalsBuilt = true;
}

// The perspective divisions of a run's ends, issued together: {u0, v0} / w0 and {u1, v1} / w1.
// Each lane is the same IEEE single division the scalar form makes, so the quotients are equal.
struct RunEnds {
    float u0, v0, u1, v1;
};
inline RunEnds DivideEnds(float u0, float v0, float w0, float u1, float v1, float w1) {
#if defined(__SSE2__)
    alignas(16) float q[4];
    _mm_store_ps(q, _mm_div_ps(_mm_setr_ps(u0, v0, u1, v1), _mm_setr_ps(w0, w0, w1, w1)));
    return {q[0], q[1], q[2], q[3]};
#else
    return {u0 / w0, v0 / w0, u1 / w1, v1 / w1};
#endif
}

template <Tex8 M, bool k256>
void PerspectiveSpan(std::int32_t x0, std::int32_t x1) {
    SpanRasterState& s = theSpanState;
    const TexConstants c = texConst;
    if constexpr (Shaded(M)) {
        if ((c.fixedSteps ? c.shadeStep : s.spanShadeDX) == 0) {
            // One shade along the whole span: the face filler over that row of the shade table
            // writes the same pixels without stepping the shade.
            const std::uint8_t* const kept = s.spanLightRow;
            s.spanLightRow =
                c.shadeTable + ((static_cast<std::uint32_t>(s.spanShade) >> 16 & 255u) << 8);
            PerspectiveSpan<M == Tex8::kShaded ? Tex8::kFace : Tex8::kTransparentFace, k256>(x0, x1);
            s.spanLightRow = kept;
            return;
        }
    }
    const RangeSteps r = StepsFor(c, x0, x1);
    const int first = r.first, n = r.n;
    const float dudx = r.dudx, dvdx = r.dvdx, dwdx = r.dwdx;
    const std::int64_t distance = static_cast<std::int64_t>(x0) - s.spanX;
    const float p = static_cast<float>(distance) * s.pixelScale;
    const float ua = LoadAlone(s.spanU) + p * dudx;
    const float va = LoadAlone(s.spanV) + p * dvdx;
    const float wa = LoadAlone(s.spanW) + p * dwdx;

    std::uint32_t shade = 0;
    std::int32_t shadeStep = 0;
    if constexpr (Shaded(M)) {
        shadeStep = r.shadeStep;
        shade = static_cast<std::uint32_t>(s.spanShade) +
                static_cast<std::uint32_t>((distance * shadeStep) >> 16);
    }
    std::uint32_t light = 0;
    std::int32_t lightStep = 0;
    if constexpr (M == Tex8::kLit) {
        lightStep = TexturedFillersLitStep(r.lightStep);
        light =
            static_cast<std::uint32_t>(s.spanLight) +
            static_cast<std::uint32_t>(core::SaturateToInt32(p * static_cast<float>(lightStep)));
    }

    const TexelFetch<k256> fetch{c.texels, c.texStride, c.texWidth, c.texHeight};
    const std::uint8_t* faceRow = s.spanLightRow;
    std::uint8_t* d = s.rowPtr + first;
    std::uint8_t* const end = d + n;
    if (d >= end) return;
    // Later runs start on a 4-byte boundary.
    int run = n > kSubdivisionLength
                  ? kSubdivisionLength - static_cast<int>(reinterpret_cast<std::uintptr_t>(d) & 3)
                  : n;
    bool sharedPending = false;
    const std::uint8_t* sharedRow = nullptr;
    // The first run divides both of its ends at once; each later run divides its far end while
    // the run before it is drawn, so that the division's wait overlaps the pixels.
    float wb = wa + reciprocals[2 * static_cast<std::size_t>(run)] * dwdx;
    float ub = ua + reciprocals[2 * static_cast<std::size_t>(run)] * dudx;
    float vb = va + reciprocals[2 * static_cast<std::size_t>(run)] * dvdx;
    const RunEnds firstEnds = DivideEnds(ua, va, wa, ub, vb, wb);
    float uA = firstEnds.u0, vA = firstEnds.v0, uB = firstEnds.u1, vB = firstEnds.v1;
    for (;;) {
        const float inv = reciprocals[2 * static_cast<std::size_t>(run) + 1];
        const auto left = static_cast<int>(end - d) - run;
        const int next = left < kSubdivisionLength ? left : kSubdivisionLength;
        float wn = wb, un = ub, vn = vb;
        RunEnds nextEnds{};
        if (next > 0) {
            const float len = reciprocals[2 * static_cast<std::size_t>(next)];
            wn = wb + len * dwdx;
            un = ub + len * dudx;
            vn = vb + len * dvdx;
            nextEnds = DivideEnds(un, vn, wn, un, vn, wn);
        }
        auto u = static_cast<std::uint32_t>(TruncateSaturate(uA));
        auto v = static_cast<std::uint32_t>(TruncateSaturate(vA));
        const std::int32_t du = TruncateSaturate((uB - uA) * inv);
        const std::int32_t dv = TruncateSaturate((vB - vA) * inv);
        int i = 0;
#if defined(__SSE2__)
        if constexpr (M == Tex8::kTransparent && k256) {
            // Art with holes, four pixels at a time: no branch on the holes, which follow no
            // pattern the processor could predict.
            if (run >= 8) {
                FourTexels q(u, v, du, dv);
                alignas(16) std::uint32_t at[8];
                for (; i + 8 <= run; i += 8, d += 8) {
                    q.Next(at);
                    q.Next(at + 4);
                    PutKeyed<8>(d, c.texels, at);
                }
                for (; i + 4 <= run; i += 4, d += 4) {
                    q.Next(at);
                    PutKeyed<4>(d, c.texels, at);
                }
                u = q.U();
                v = q.V();
            }
        } else if constexpr ((M == Tex8::kCopy || M == Tex8::kFace) && k256) {
            // Opaque art, four pixels at a time: their texel offsets worked out together.
            if (run >= 8) {
                FourTexels q(u, v, du, dv);
                alignas(16) std::uint32_t at[4];
                for (; i + 4 <= run; i += 4, d += 4) {
                    q.Next(at);
                    if constexpr (M == Tex8::kCopy) {
                        const auto four = static_cast<std::uint32_t>(Gather<4>(c.texels, at));
                        std::memcpy(d, &four, 4);
                    } else {
                        d[0] = faceRow[c.texels[at[0]]];
                        d[1] = faceRow[c.texels[at[1]]];
                        d[2] = faceRow[c.texels[at[2]]];
                        d[3] = faceRow[c.texels[at[3]]];
                    }
                }
                u = q.U();
                v = q.V();
            }
        }
#endif
        for (; i < run; ++i, ++d) {
            const std::uint32_t t = fetch(u, v);
            if constexpr (M == Tex8::kLit) {
                // Pixel pairs at even addresses share one lookup of the light row.
                const std::uint8_t* row;
                if (sharedPending) {
                    row = sharedRow;
                    sharedPending = false;
                } else if ((reinterpret_cast<std::uintptr_t>(d) & 1) == 0 && d + 1 < end) {
                    row = c.shadeTable + (light & c.shadeMask);
                    sharedRow = row;
                    sharedPending = true;
                    light = TexturedFillersWrap(
                        light,
                        static_cast<std::int32_t>(2u * static_cast<std::uint32_t>(lightStep)));
                } else {
                    row = c.shadeTable + (light & c.shadeMask);
                    light = TexturedFillersWrap(light, lightStep);
                }
                PutTexel<M>(d, t, c.shadeTable, 0, row, c.blendTable);
            } else {
                PutTexel<M>(d, t, c.shadeTable, shade, faceRow, c.blendTable);
            }
            u = TexturedFillersWrap(u, du);
            v = TexturedFillersWrap(v, dv);
            if constexpr (Shaded(M)) shade = TexturedFillersWrap(shade, shadeStep);
        }
        if (next <= 0) break;
        wb = wn;
        ub = un;
        vb = vn;
        uA = uB;
        vA = vB;
        uB = nextEnds.u1;
        vB = nextEnds.v1;
        run = next;
    }
}

template <Tex8 M>
void SetAffine(int isTriangle) {
    SetTexConstants(isTriangle);
    theSpanState.selectedFill = Is256(texConst) ? AffineSpan<M, true> : AffineSpan<M, false>;
}

template <Tex8 M>
void SetPerspective(int isTriangle) {
    SetTexConstants(isTriangle);
    BuildReciprocals();
    theSpanState.selectedFill =
        Is256(texConst) ? PerspectiveSpan<M, true> : PerspectiveSpan<M, false>;
}

}  // namespace

const float* ReciprocalTable() {
    BuildReciprocals();
    return reciprocals.data();
}

void SetupTexAffine(int t) {
    SetAffine<Tex8::kCopy>(t);
}
void SetupTexAffineShaded(int t) {
    SetAffine<Tex8::kShaded>(t);
}
void SetupTexAffineTransparent(int t) {
    SetAffine<Tex8::kTransparent>(t);
}
void SetupTexAffineTransparentShaded(int t) {
    SetAffine<Tex8::kTransparentShaded>(t);
}
void SetupTexAffineFaceShade(int t) {
    SetAffine<Tex8::kFace>(t);
}
void SetupTexAffineTransparentFaceShade(int t) {
    SetAffine<Tex8::kTransparentFace>(t);
}
void SetupTexAffineBlend(int t) {
    SetAffine<Tex8::kBlend>(t);
}

void SetupTexPerspective(int t) {
    SetPerspective<Tex8::kCopy>(t);
}
void SetupTexPerspectiveShaded(int t) {
    SetPerspective<Tex8::kShaded>(t);
}
void SetupTexPerspectiveTransparent(int t) {
    SetPerspective<Tex8::kTransparent>(t);
}
void SetupTexPerspectiveTransparentShaded(int t) {
    SetPerspective<Tex8::kTransparentShaded>(t);
}
void SetupTexPerspectiveFaceShade(int t) {
    SetPerspective<Tex8::kFace>(t);
}
void SetupTexPerspectiveLit(int t) {
    SetPerspective<Tex8::kLit>(t);
}
void SetupTexPerspectiveTransparentFaceShade(int t) {
    SetPerspective<Tex8::kTransparentFace>(t);
}
void SetupTexPerspectiveBlend(int t) {
    SetPerspective<Tex8::kBlend>(t);
}

}  // namespace gfx
