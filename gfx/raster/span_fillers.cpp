// Fillers of the untextured 8-bit modes and of every 16-bit mode, the rectangle fill, and the
// fill set-up table. Each set-up copies the per-polygon values into the filler's constants
// block; the filler loads them into locals before its pixel loop.
#include "gfx/raster/span_fillers.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "core/numeric.h"
#include "gfx/raster/short_runs.h"
#include "gfx/raster/span_state.h"

namespace gfx {

namespace {

inline void Store16(std::uint8_t* p, std::uint32_t v) {
    const auto h = static_cast<std::uint16_t>(v);
    std::memcpy(p, &h, 2);
}
inline std::uint16_t Load16(const std::uint8_t* p) {
    std::uint16_t h;
    std::memcpy(&h, p, 2);
    return h;
}

// Moves a per-pixel value from the exact left edge to the centre of the first pixel drawn.
inline std::int32_t AdvanceToFirst(std::int32_t value, std::int32_t change, std::int32_t x0) {
    const std::int64_t distance = static_cast<std::int64_t>(x0) - theSpanState.spanX;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value) +
                                     static_cast<std::uint32_t>((distance * change) >> 16));
}

inline std::uint32_t Wrap(std::uint32_t v, std::int32_t d) {
    return v + static_cast<std::uint32_t>(d);
}

// The step of the lit fillers: one unit toward zero, so that the lookups shared by pixel pairs
// never overshoot the far edge.
inline std::int32_t LitStep(std::int32_t d) {
    return d > 0 ? d - 1 : (d < 0 ? d + 1 : 0);
}

// Per-polygon constants of the 8-bit untextured fillers.
struct {
    std::uint8_t colour;
    const std::uint8_t* shadeTable;
    const std::uint8_t* blendRow;
    std::int32_t shadeMask;
} flat8;

void FillSolidSpan(std::int32_t x0, std::int32_t x1) {
    SpanRasterState& s = theSpanState;
    const int first = x0 >> 16;
    const int n = (x1 >> 16) - first;
    s.pixelsWritten += static_cast<std::uint64_t>(n);
    FillRun(s.rowPtr + first, flat8.colour, n);
}

void FillShadeSpan(std::int32_t x0, std::int32_t x1) {
    SpanRasterState& s = theSpanState;
    const int first = x0 >> 16;
    const int n = (x1 >> 16) - first;
    s.pixelsWritten += static_cast<std::uint64_t>(n);
    const std::uint8_t* table = flat8.shadeTable + flat8.colour;
    const std::int32_t step = s.spanShadeDX;
    auto shade = static_cast<std::uint32_t>(AdvanceToFirst(s.spanShade, step, x0));
    std::uint8_t* d = s.rowPtr + first;
    for (int i = 0; i < n; ++i) {
        d[i] = table[((shade >> 16) & 255) << 8];
        shade = Wrap(shade, step);
    }
}

void FillLitSpan(std::int32_t x0, std::int32_t x1) {
    SpanRasterState& s = theSpanState;
    const int first = x0 >> 16;
    const int n = (x1 >> 16) - first;
    s.pixelsWritten += static_cast<std::uint64_t>(n);
    const std::uint8_t* table = flat8.shadeTable + flat8.colour;
    const std::uint32_t mask = static_cast<std::uint32_t>(flat8.shadeMask);
    const std::int32_t step = LitStep(s.spanLightDX);
    auto light = static_cast<std::uint32_t>(AdvanceToFirst(s.spanLight, step, x0));
    std::uint8_t* d = s.rowPtr + first;
    std::uint8_t* const end = d + n;
    // Single pixels up to the 4-byte boundary, then one lookup per aligned pixel pair, then
    // single pixels again: the pairs are part of the picture.
    if (n > 3) {
        while ((reinterpret_cast<std::uintptr_t>(d) & 3) != 0) {
            *d++ = table[light & mask];
            light = Wrap(light, step);
        }
        const std::int32_t step2 = static_cast<std::int32_t>(static_cast<std::uint32_t>(step) * 2u);
        while (end - d >= 4) {
            const std::uint8_t a = table[light & mask];
            light = Wrap(light, step2);
            const std::uint8_t b = table[light & mask];
            light = Wrap(light, step2);
            d[0] = a;
            d[1] = a;
            d[2] = b;
            d[3] = b;
            d += 4;
        }
    }
    while (d < end) {
        *d++ = table[light & mask];
        light = Wrap(light, step);
    }
}

void FillBlendSpan(std::int32_t x0, std::int32_t x1) {
    SpanRasterState& s = theSpanState;
    const int first = x0 >> 16;
    const int n = (x1 >> 16) - first;
    s.pixelsWritten += static_cast<std::uint64_t>(n);
    const std::uint8_t* row = flat8.blendRow;
    std::uint8_t* d = s.rowPtr + first;
    for (int i = 0; i < n; ++i)
        d[i] = row[d[i]];
}

void SetFlat8() {
    const SpanRasterState& s = theSpanState;
    flat8.colour = static_cast<std::uint8_t>(s.colour);
    flat8.shadeTable = s.shadeTable;
    flat8.blendRow = s.blendTable + (static_cast<std::size_t>(s.colour & 255) << 8);
    flat8.shadeMask = s.shadeMask;
}

// ---------------------------------------------------------------------------------------------
// 16-bit targets.

struct {
    std::uint32_t colour;
    const std::uint8_t* texels;
    const std::uint32_t* colourWords;
    const std::uint32_t* blendWords;
    const std::uint8_t* blendTable;
    const std::uint32_t* red;
    const std::uint32_t* green;
    const std::uint32_t* blue;
    std::uint32_t maxLevel;
    bool fixedSteps;
    std::int32_t uStep, vStep, rStep, gStep, bStep;
    // The texture's size: offsets wrap at 256 only for a 256 x 256 texture, else modulo the size.
    bool tex256;
    std::int32_t texStride, texWidth, texHeight;
} flat16;

void SetFlat16(int isTriangle) {
    const SpanRasterState& s = theSpanState;
    flat16.colour = s.colour;
    flat16.texels = s.texels;
    flat16.colourWords = s.colourWords;
    flat16.blendWords = s.blendWords;
    flat16.blendTable = s.blendTable;
    flat16.red = s.redTable;
    flat16.green = s.greenTable;
    flat16.blue = s.blueTable;
    flat16.maxLevel = static_cast<std::uint32_t>(s.channelMaxLevel);
    flat16.fixedSteps = isTriangle != 0;
    flat16.uStep = s.spanUStep;
    flat16.vStep = s.spanVStep;
    flat16.rStep = s.spanRDX;
    flat16.gStep = s.spanGDX;
    flat16.bStep = s.spanBDX;
    flat16.tex256 = s.texWidth == 256 && s.texHeight == 256 && s.texStride == 256;
    flat16.texStride = s.texStride;
    flat16.texWidth = std::max(s.texWidth, 1);
    flat16.texHeight = std::max(s.texHeight, 1);
}

inline std::uint32_t Level(std::uint32_t v, std::uint32_t maxLevel) {
    const std::uint32_t l = (v >> 16) & 255u;
    return l < maxLevel ? l : maxLevel;
}

inline std::uint32_t ChannelPixel(std::uint32_t c, std::uint32_t r, std::uint32_t g,
                                  std::uint32_t b) {
    const std::uint32_t m = flat16.maxLevel;
    return flat16.red[(Level(r, m) << 8) | c] | flat16.green[(Level(g, m) << 8) | c] |
           flat16.blue[(Level(b, m) << 8) | c];
}

inline std::int32_t PositiveMod(std::int32_t a, std::int32_t m) {
    const std::int32_t r = a % m;
    return r < 0 ? r + m : r;
}

inline std::size_t TexelIndex(std::uint32_t u, std::uint32_t v) {
    if (flat16.tex256) return ((v >> 8) & 0xFF00u) | ((u >> 16) & 0xFFu);
    const std::int32_t tx = PositiveMod(static_cast<std::int32_t>(u) >> 16, flat16.texWidth);
    const std::int32_t ty = PositiveMod(static_cast<std::int32_t>(v) >> 16, flat16.texHeight);
    return static_cast<std::size_t>(ty) * static_cast<std::size_t>(flat16.texStride) +
           static_cast<std::size_t>(tx);
}

// u and v at the first pixel drawn, from the span's float values.
inline void AffineStart(std::int32_t x0, std::uint32_t& u, std::uint32_t& v) {
    const SpanRasterState& s = theSpanState;
    const float p = static_cast<float>(static_cast<std::int64_t>(x0) - s.spanX) * s.pixelScale;
    u = static_cast<std::uint32_t>(core::SaturateToInt32(s.spanU + p * s.spanDUDX));
    v = static_cast<std::uint32_t>(core::SaturateToInt32(s.spanV + p * s.spanDVDX));
}

void FillSolid16Span(std::int32_t x0, std::int32_t x1) {
    SpanRasterState& s = theSpanState;
    const int first = x0 >> 16;
    const int n = (x1 >> 16) - first;
    s.pixelsWritten += static_cast<std::uint64_t>(n);
    const std::uint32_t c = flat16.colour;
    std::uint8_t* d = s.rowPtr + 2 * first;
    for (int i = 0; i < n; ++i)
        Store16(d + 2 * i, c);
}

template <bool kTextured, bool kKey>
void FillRGB16Span(std::int32_t x0, std::int32_t x1) {
    SpanRasterState& s = theSpanState;
    const int first = x0 >> 16;
    const int n = (x1 >> 16) - first;
    s.pixelsWritten += static_cast<std::uint64_t>(n);
    const bool fixed = flat16.fixedSteps;
    const std::int32_t rs = fixed ? flat16.rStep : s.spanRDX;
    const std::int32_t gs = fixed ? flat16.gStep : s.spanGDX;
    const std::int32_t bs = fixed ? flat16.bStep : s.spanBDX;
    const std::int32_t us = fixed ? flat16.uStep : s.spanUStep;
    const std::int32_t vs = fixed ? flat16.vStep : s.spanVStep;
    auto r = static_cast<std::uint32_t>(s.spanR);
    auto g = static_cast<std::uint32_t>(s.spanG);
    auto b = static_cast<std::uint32_t>(s.spanB);
    std::uint32_t u = 0, v = 0;
    if constexpr (kTextured) AffineStart(x0, u, v);
    const std::uint8_t* texels = flat16.texels;
    const std::uint32_t c0 = flat16.colour & 255;
    std::uint8_t* d = s.rowPtr + 2 * first;
    for (int i = 0; i < n; ++i) {
        std::uint32_t c = c0;
        if constexpr (kTextured) {
            c = texels[TexelIndex(u, v)];
            u = Wrap(u, us);
            v = Wrap(v, vs);
        }
        if (!kKey || c != 0) Store16(d + 2 * i, ChannelPixel(c, r, g, b));
        r = Wrap(r, rs);
        g = Wrap(g, gs);
        b = Wrap(b, bs);
    }
}

// Textured 16-bit fillers with one lookup per texel: plain colour words, face-lit channel rows
// or the blend words.
enum class Tex16 { kPlain, kFace, kBlend };

template <Tex16 kMode, bool kKey>
void FillTextured16Span(std::int32_t x0, std::int32_t x1) {
    SpanRasterState& s = theSpanState;
    const int first = x0 >> 16;
    const int n = (x1 >> 16) - first;
    s.pixelsWritten += static_cast<std::uint64_t>(n);
    const bool fixed = flat16.fixedSteps;
    const std::int32_t us = fixed ? flat16.uStep : s.spanUStep;
    const std::int32_t vs = fixed ? flat16.vStep : s.spanVStep;
    std::uint32_t u, v;
    AffineStart(x0, u, v);
    const std::uint8_t* texels = flat16.texels;
    const std::uint32_t* words = flat16.colourWords;
    const std::uint32_t* blendWords = flat16.blendWords;
    const std::uint8_t* toIndex = flat16.blendTable;
    const std::uint32_t* red = flat16.red;
    const std::uint32_t* green = flat16.green;
    const std::uint32_t* blue = flat16.blue;
    std::uint8_t* d = s.rowPtr + 2 * first;
    for (int i = 0; i < n; ++i, d += 2) {
        const std::uint32_t t = texels[TexelIndex(u, v)];
        u = Wrap(u, us);
        v = Wrap(v, vs);
        if constexpr (kMode == Tex16::kPlain) {
            if (!kKey || t != 0) Store16(d, words[t]);
        } else if constexpr (kMode == Tex16::kFace) {
            if (!kKey || t != 0) Store16(d, red[t] | green[t] | blue[t]);
        } else {
            Store16(d, blendWords[(t << 8) | toIndex[Load16(d)]]);
        }
    }
}

}  // namespace

bool FillsSolid(std::uint8_t* colour) {
    if (theSpanState.activeFill != FillSolidSpan) return false;
    *colour = flat8.colour;
    return true;
}

void FillSolid(int) {
    SetFlat8();
    theSpanState.selectedFill = FillSolidSpan;
}
void FillSolidFace(int) {
    SetFlat8();
    // The face's light picked its shade row: the colour is looked up there once.
    if (flat8.shadeTable != nullptr) flat8.colour = flat8.shadeTable[theSpanState.colour & 255];
    theSpanState.selectedFill = FillSolidSpan;
}
void FillShade(int) {
    SetFlat8();
    theSpanState.selectedFill = FillShadeSpan;
}
void FillLit(int) {
    SetFlat8();
    theSpanState.selectedFill = FillLitSpan;
}
void FillBlend(int) {
    SetFlat8();
    theSpanState.selectedFill = FillBlendSpan;
}

void FillSolid16(int isTriangle) {
    SetFlat16(isTriangle);
    const std::uint32_t c = theSpanState.colourWords[theSpanState.colour & 255] & 0xFFFFu;
    flat16.colour = c | (c << 16);
    theSpanState.selectedFill = FillSolid16Span;
}
void FillRGB16(int isTriangle) {
    SetFlat16(isTriangle);
    theSpanState.selectedFill = FillRGB16Span<false, false>;
}
void FillTextured16(int isTriangle) {
    SetFlat16(isTriangle);
    theSpanState.selectedFill = FillTextured16Span<Tex16::kPlain, false>;
}
void FillTexturedKey16(int isTriangle) {
    SetFlat16(isTriangle);
    theSpanState.selectedFill = FillTextured16Span<Tex16::kPlain, true>;
}
void FillTexturedRGB16(int isTriangle) {
    SetFlat16(isTriangle);
    theSpanState.selectedFill = FillRGB16Span<true, false>;
}
void FillTexturedRGBKey16(int isTriangle) {
    SetFlat16(isTriangle);
    theSpanState.selectedFill = FillRGB16Span<true, true>;
}
void FillTexturedFace16(int isTriangle) {
    SetFlat16(isTriangle);
    theSpanState.selectedFill = FillTextured16Span<Tex16::kFace, false>;
}
void FillTexturedFaceKey16(int isTriangle) {
    SetFlat16(isTriangle);
    theSpanState.selectedFill = FillTextured16Span<Tex16::kFace, true>;
}
void FillTexturedBlend16(int isTriangle) {
    SetFlat16(isTriangle);
    theSpanState.selectedFill = FillTextured16Span<Tex16::kBlend, false>;
}

void FillRect8(std::uint8_t* destination, int rows, int width, int pitch, std::uint8_t colour) {
    if (width <= 0) return;
    for (int y = 0; y < rows; ++y) {
        FillRun(destination, colour, width);
        destination += pitch;
    }
}

namespace {
constexpr std::array<FillSetupFn, 128> MakeFillSetupTable() {
    std::array<FillSetupFn, 128> t{};
    t[0] = FillSolid;
    t[16] = FillSolidFace;
    t[1] = FillShade;
    t[17] = FillLit;
    t[32] = FillBlend;
    t[2] = SetupTexAffine;
    t[3] = SetupTexAffineShaded;
    t[10] = SetupTexAffineTransparent;
    t[11] = SetupTexAffineTransparentShaded;
    t[18] = SetupTexAffineFaceShade;
    t[26] = SetupTexAffineTransparentFaceShade;
    t[34] = t[42] = SetupTexAffineBlend;
    t[6] = SetupTexPerspective;
    t[7] = SetupTexPerspectiveShaded;
    t[14] = SetupTexPerspectiveTransparent;
    t[15] = SetupTexPerspectiveTransparentShaded;
    t[22] = SetupTexPerspectiveFaceShade;
    t[23] = SetupTexPerspectiveLit;
    t[30] = SetupTexPerspectiveTransparentFaceShade;
    t[38] = t[46] = SetupTexPerspectiveBlend;
    // 16-bit targets. The 8-bit fillers that the original table also listed in this half
    // (perspective, blended affine, blended flat) would write bytes into a 16-bit row; those
    // entries stay empty, so such polygons draw nothing.
    t[64] = t[80] = t[81] = FillSolid16;
    t[65] = FillRGB16;
    t[66] = FillTextured16;
    t[67] = FillTexturedRGB16;
    t[74] = FillTexturedKey16;
    t[75] = FillTexturedRGBKey16;
    t[82] = FillTexturedFace16;
    t[90] = FillTexturedFaceKey16;
    t[98] = FillTexturedBlend16;
    return t;
}
}  // namespace

const std::array<FillSetupFn, 128> theFillSetupTable = MakeFillSetupTable();

}  // namespace gfx
