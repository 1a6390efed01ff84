// The span rasterizer's one state block and its pluggable stages. A polygon is drawn by chaining
// three stages per row: a walker steps the two edges and the edge attributes and hands one span
// per row to a clip stage, which hands each visible pixel range to a filler. The polygon entry
// of the draw table picks the clip stage and the filler, the polygon rasterizer picks the walker
// from theWalkerSetupTable; everything is global and one polygon is drawn at a time.
#pragma once

#include <cstdint>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/numeric.h"

namespace gfx {

struct CoverageList;
struct CoverageNode;
struct HazeDither;

// A filler writes the pixels x0 >> 16 .. (x1 >> 16) - 1 of row spanY (16.16 with zero fraction).
using SpanFillFn = void (*)(std::int32_t x0, std::int32_t x1);
// A clip stage runs once per row; it returns 0 when the walk has to stop (the rows have left
// the band of the coverage list), 1 otherwise.
using SpanClipFn = int (*)();
using SpanStageFn = void (*)();

struct SpanRasterState {
    std::int32_t curY = 0;
    std::int32_t endY = 0;
    std::int32_t rightX = 0, rightDX = 0;  // 16.16
    std::int32_t leftX = 0, leftDX = 0;    // 16.16
    std::int32_t leftShade = 0, leftShadeDY = 0, rightShade = 0, rightShadeDY = 0;
    // Texture coordinates (texels x 65536; divided by depth in the perspective modes) and the
    // reciprocal depth. Kept in double down the edges so that long edges do not drift.
    double leftV = 0, leftVDY = 0, rightV = 0, rightVDY = 0;
    double leftU = 0, leftUDY = 0, rightU = 0, rightUDY = 0;
    double leftW = 0, leftWDY = 0, rightW = 0, rightWDY = 0;
    std::int32_t leftZ = 0, leftZDY = 0, rightZ = 0, rightZDY = 0;
    std::int32_t leftLight = 0, leftLightDY = 0, rightLight = 0, rightLightDY = 0;
    std::int32_t leftR = 0, leftRDY = 0, rightR = 0, rightRDY = 0;
    std::int32_t leftG = 0, leftGDY = 0, rightG = 0, rightGDY = 0;
    std::int32_t leftB = 0, leftBDY = 0, rightB = 0, rightBDY = 0;

    std::uint8_t* rowPtr = nullptr;  // first byte of row curY
    std::int32_t pitch = 0;
    const std::uint8_t* texels = nullptr;
    std::int32_t texStride = 0;
    // Size of the texture the texStride filler reads; its offsets wrap modulo this size so that
    // no read leaves the bitmap.
    std::int32_t texWidth = 0, texHeight = 0;
    const std::uint8_t* shadeTable = nullptr;
    const std::uint8_t* blendTable = nullptr;
    // 16-bit targets: rows of 256 words, [level x 256 + palette index] = the channel's bits of
    // the pixel, placed; channelMaxLevel is the last row, so that a level past the table's end
    // stays on it.
    const std::uint32_t* redTable = nullptr;
    const std::uint32_t* greenTable = nullptr;
    const std::uint32_t* blueTable = nullptr;
    std::int32_t channelMaxLevel = 0;
    // 16-bit targets: the 256 colour words of the palette, and the 65536 words of the blended
    // textured mode.
    const std::uint32_t* colourWords = nullptr;
    const std::uint32_t* blendWords = nullptr;

    CoverageList* coverage = nullptr;
    CoverageNode* freeNodes = nullptr;

    std::uint32_t colour = 0;
    std::int32_t shadeShift = 8;
    std::int32_t shadeMask = 0;

    SpanStageFn walkFn = nullptr;
    SpanClipFn clipFn = nullptr;
    SpanFillFn activeFill = nullptr;
    SpanFillFn selectedFill = nullptr;
    SpanStageFn abortFn = nullptr;
    // The haze dither of the 8-bit polygons drawn while it is set (gfx/raster/haze_dither.h),
    // and the filler it follows.
    const HazeDither* hazeDither = nullptr;
    SpanFillFn ditheredFill = nullptr;

    std::int32_t coverTop = 0, coverBottom = 0;
    // Whole pixel columns a span may touch, [clipLeft, clipRight): the last guard against an
    // edge that rounding carried a hair beyond the clipped polygon.
    std::int32_t clipLeft = 0, clipRight = 0;

    std::int32_t spanX = 0;  // 16.16, exact left edge
    std::int32_t spanY = 0;
    std::int32_t spanWidth = 0;  // 16.16
    float spanU = 0, spanDUDX = 0, spanV = 0, spanDVDX = 0;
    std::int32_t spanUStep = 0, spanVStep = 0;
    float spanW = 0, spanDWDX = 0;
    std::int32_t spanZDX = 0;
    std::int32_t spanShade = 0, spanShadeDX = 0;
    std::int32_t spanLight = 0, spanLightDX = 0;
    const std::uint8_t* spanLightRow = nullptr;
    std::int32_t spanR = 0, spanRDX = 0, spanG = 0, spanGDX = 0, spanB = 0, spanBDX = 0;

    // Working values: the reciprocal of the current row's width (general polygons), whether the
    // polygon being drawn is a triangle with constant steps, and a count of pixels written
    // (used by the occlusion tests and the benchmarks).
    double rowRecip = 0;
    bool isTriangle = false;
    std::uint64_t pixelsWritten = 0;

    double pixelsPerUnit = 65536.0;
    std::uint16_t fpuControl = 0x0F7F;
    float pixelScale = 1.0f / 65536.0f;
};

extern SpanRasterState theSpanState;

// core::SaturateToInt32 of a float or a double in one conversion instruction where the
// processor's own conversion gives the same answer (truncation, and INT32_MIN for NaN and
// values out of range).
template <typename Real>
inline std::int32_t TruncateSaturate(Real v) {
    static_assert(std::is_same_v<Real, float> || std::is_same_v<Real, double>);
#if defined(__SSE2__)
    if constexpr (std::is_same_v<Real, float>) {
        return _mm_cvttss_si32(_mm_set_ss(v));
    } else {
        return _mm_cvttsd_si32(_mm_set_sd(v));
    }
#else
    return core::SaturateToInt32(v);
#endif
}

// Attribute edge set-up: step = trunc(scale * (a1 - a0)), start = a0 + trunc(prestep * scale *
// (a1 - a0)). Computed in double; results outside the 32-bit range saturate.
inline void EdgeSetupInt(double scale, double prestep, std::int32_t a0, std::int32_t a1,
                         std::int32_t& step, std::int32_t& start) {
    const double slope = scale * (static_cast<double>(a1) - static_cast<double>(a0));
    step = TruncateSaturate(slope);
    const std::int64_t s = static_cast<std::int64_t>(a0) + TruncateSaturate(prestep * slope);
    start = s > INT32_MAX ? INT32_MAX : (s < INT32_MIN ? INT32_MIN : static_cast<std::int32_t>(s));
}
// The same on floating values without rounding: step = (a1 - a0) * scale, start = a0 + step *
// prestep.
inline void EdgeSetupFloat(double scale, double prestep, double a0, double a1, double& step,
                           double& start) {
    step = (a1 - a0) * scale;
    start = a0 + step * prestep;
}

// The plain clip stage: rounds both span ends up to whole pixels and fills what lies between.
void SelectPlainSpans();
// The polygon's filler, then the haze dither over what it wrote.
void DitheredSpan(std::int32_t x0, std::int32_t x1);

// Walker set-ups: 40 entries for the triangle rasterizers, then 40 for the general polygon
// rasterizer; entry 8 * ((flags >> 8) & 7) + (flags & 7) within a half. Empty entries are null.
using WalkerSetupFn = void (*)();
extern const WalkerSetupFn theWalkerSetupTable[80];
[[nodiscard]] constexpr int WalkerSetupIndex(std::uint32_t flags) {
    return static_cast<int>(8 * ((flags >> 8) & 7) + (flags & 7));
}
// The set-up for a flag word from the triangle or the general-polygon half; null when empty.
[[nodiscard]] inline WalkerSetupFn WalkerSetupFor(std::uint32_t flags, bool generalPolygon) {
    const int i = WalkerSetupIndex(flags);
    if (i >= 40) return nullptr;  // depth with per-pixel light and 16 bits: no walker
    return theWalkerSetupTable[(generalPolygon ? 40 : 0) + i];
}

// The Rows walker: rectangles through the span machinery. The caller sets spanX and spanWidth
// once, curY and endY, then calls walkFn.
void SetupRowsWalker();

}  // namespace gfx
