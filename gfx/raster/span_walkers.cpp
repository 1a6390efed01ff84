// Edge walkers of the span rasterizer. One template serves every family: the family's bits say
// which attributes run down the edges and what is handed to the filler per row. Triangle
// families step only the left edge (the per-pixel changes are constant for the face); general
// polygon families step both edges and derive the per-pixel changes of each visible row in a
// gradient stage that runs before the row's first filler call.
#include <algorithm>
#include <cmath>

#include "core/numeric.h"
#include "gfx/raster/short_runs.h"
#include "gfx/raster/span_fillers.h"
#include "gfx/raster/span_state.h"

namespace gfx {

SpanRasterState theSpanState;

namespace {

// Integer attributes step with wrap-around: a level that runs past its range wraps as the
// fixed-point registers did, without undefined behaviour.
inline void WrapAdd(std::int32_t& v, std::int32_t d) {
    v = static_cast<std::int32_t>(static_cast<std::uint32_t>(v) + static_cast<std::uint32_t>(d));
}

[[gnu::always_inline]] inline int PlainClipStage() {
    SpanRasterState& s = theSpanState;
    // Both ends rounded up to whole pixels (pixel centres lie at integer x). Computed in 64 bits
    // so that an edge near the top of the 16.16 range cannot wrap.
    const std::int64_t left = static_cast<std::int64_t>(s.spanX) + 0xFFFF;
    const std::int64_t x0 = std::max(left & ~static_cast<std::int64_t>(0xFFFF),
                                     static_cast<std::int64_t>(s.clipLeft) << 16);
    const std::int64_t x1 = std::min((left + s.spanWidth) & ~static_cast<std::int64_t>(0xFFFF),
                                     static_cast<std::int64_t>(s.clipRight) << 16);
    if (x0 < x1) s.activeFill(static_cast<std::int32_t>(x0), static_cast<std::int32_t>(x1));
    return 1;
}

// Family bits.
constexpr unsigned kShade = 1;     // shade ramp
constexpr unsigned kRGB = 2;       // three channel levels (16-bit targets)
constexpr unsigned kLight = 4;     // light level handed over as spanLight
constexpr unsigned kLightRow = 8;  // per-span shade row from the two edge lights
constexpr unsigned kUV = 16;       // texture coordinates
constexpr unsigned kW = 32;        // reciprocal depth
constexpr unsigned kPoly = 64;     // general polygon: both edges, per-row gradients
constexpr unsigned kFlatRows = 0;  // no attribute at all: the flat walker's family

inline std::int32_t MeanLight(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>((static_cast<std::int64_t>(a) + b) >> 1);
}

template <unsigned F>
void GradientStage(std::int32_t x0, std::int32_t x1) {
    SpanRasterState& s = theSpanState;
    const double r = s.rowRecip;
    if constexpr ((F & kShade) != 0) {
        s.spanShadeDX = TruncateSaturate((static_cast<double>(s.rightShade) - s.leftShade) * r);
    }
    if constexpr ((F & kRGB) != 0) {
        s.spanRDX = TruncateSaturate((static_cast<double>(s.rightR) - s.leftR) * r);
        s.spanGDX = TruncateSaturate((static_cast<double>(s.rightG) - s.leftG) * r);
        s.spanBDX = TruncateSaturate((static_cast<double>(s.rightB) - s.leftB) * r);
    }
    if constexpr ((F & kLight) != 0) {
        s.spanLightDX = TruncateSaturate((static_cast<double>(s.rightLight) - s.leftLight) * r);
    }
    if constexpr ((F & kUV) != 0) {
        s.spanDUDX = static_cast<float>((s.rightU - s.leftU) * r);
        s.spanDVDX = static_cast<float>((s.rightV - s.leftV) * r);
        s.spanUStep = TruncateSaturate(s.spanDUDX);
        s.spanVStep = TruncateSaturate(s.spanDVDX);
    }
    if constexpr ((F & kW) != 0) {
        s.spanDWDX = static_cast<float>((s.rightW - s.leftW) * r);
    }
    if constexpr ((F & kLightRow) != 0) {
        s.spanLightRow = s.shadeTable + (MeanLight(s.leftLight, s.rightLight) & s.shadeMask);
    }
    s.activeFill = s.selectedFill;
    s.selectedFill(x0, x1);
}

// The rows of a flat face in one solid colour through the plain stage: the same ends and
// pixels as the stage and the solid filler row by row, with the edges held in registers instead
// of the shared state and no call per row (an instrument's horizon or needle is a few dozen
// rows of a few dozen pixels, where the calls cost more than the stores). The state is left as
// the row-by-row walk leaves it.
void WalkSolidRows(std::uint8_t colour) {
    SpanRasterState& s = theSpanState;
    if (s.curY >= s.endY) return;
    std::int32_t leftX = s.leftX, rightX = s.rightX, spanX = 0, width = 0;
    const std::int32_t leftDX = s.leftDX, rightDX = s.rightDX;
    const std::int64_t clipLeft = static_cast<std::int64_t>(s.clipLeft) << 16;
    const std::int64_t clipRight = static_cast<std::int64_t>(s.clipRight) << 16;
    const std::int32_t pitch = s.pitch, endY = s.endY;
    std::uint8_t* row = s.rowPtr;
    std::uint64_t written = 0;
    std::int32_t y = s.curY;
    for (; y < endY; ++y) {
        spanX = leftX;
        width = static_cast<std::int32_t>(static_cast<std::uint32_t>(rightX) -
                                          static_cast<std::uint32_t>(leftX));
        const std::int64_t left = static_cast<std::int64_t>(leftX) + 0xFFFF;
        const std::int64_t x0 = std::max(left & ~static_cast<std::int64_t>(0xFFFF), clipLeft);
        const std::int64_t x1 =
            std::min((left + width) & ~static_cast<std::int64_t>(0xFFFF), clipRight);
        if (x0 < x1) {
            const int first = static_cast<std::int32_t>(x0) >> 16;
            const int n = (static_cast<std::int32_t>(x1) >> 16) - first;
            written += static_cast<std::uint64_t>(n);
            FillRun(row + first, colour, n);
        }
        WrapAdd(leftX, leftDX);
        WrapAdd(rightX, rightDX);
        row += pitch;
    }
    s.spanY = y - 1;
    s.spanX = spanX;
    s.spanWidth = width;
    s.curY = y;
    s.leftX = leftX;
    s.rightX = rightX;
    s.rowPtr = row;
    s.pixelsWritten += written;
}

template <unsigned F>
void Walk() {
    SpanRasterState& s = theSpanState;
    // The plain stage, the one of every polygon drawn without a coverage list, is called
    // directly: one indirect call less per row.
    const bool plain = s.clipFn == PlainClipStage;
    if constexpr (F == kFlatRows) {
        std::uint8_t colour = 0;
        if (plain && FillsSolid(&colour)) {
            WalkSolidRows(colour);
            return;
        }
    }
    while (s.curY < s.endY) {
        s.spanY = s.curY;
        s.spanX = s.leftX;
        // Edges that step past the 16.16 range wrap, as their steps do (WrapAdd).
        s.spanWidth = static_cast<std::int32_t>(static_cast<std::uint32_t>(s.rightX) -
                                                static_cast<std::uint32_t>(s.leftX));
        if constexpr ((F & kShade) != 0) s.spanShade = s.leftShade;
        if constexpr ((F & kRGB) != 0) {
            s.spanR = s.leftR;
            s.spanG = s.leftG;
            s.spanB = s.leftB;
        }
        if constexpr ((F & kLight) != 0) s.spanLight = s.leftLight;
        if constexpr ((F & kUV) != 0) {
            s.spanU = static_cast<float>(s.leftU);
            s.spanV = static_cast<float>(s.leftV);
        }
        if constexpr ((F & kW) != 0) s.spanW = static_cast<float>(s.leftW);
        bool visit = true;
        if constexpr ((F & kPoly) != 0) {
            // A row of width exactly zero has nothing to divide by and nothing to draw.
            if (s.spanWidth == 0) {
                visit = false;
            } else {
                s.rowRecip = s.pixelsPerUnit / s.spanWidth;
                s.activeFill = GradientStage<F>;
            }
        } else if constexpr ((F & kLightRow) != 0) {
            s.spanLightRow = s.shadeTable + (MeanLight(s.leftLight, s.rightLight) & s.shadeMask);
        }
        if (visit) {
            if (plain) {
                PlainClipStage();
            } else if (s.clipFn() == 0) {
                s.abortFn();
                return;
            }
        }
        ++s.curY;
        WrapAdd(s.leftX, s.leftDX);
        WrapAdd(s.rightX, s.rightDX);
        if constexpr ((F & kShade) != 0) {
            WrapAdd(s.leftShade, s.leftShadeDY);
            if constexpr ((F & kPoly) != 0) WrapAdd(s.rightShade, s.rightShadeDY);
        }
        if constexpr ((F & kRGB) != 0) {
            WrapAdd(s.leftR, s.leftRDY);
            WrapAdd(s.leftG, s.leftGDY);
            WrapAdd(s.leftB, s.leftBDY);
            if constexpr ((F & kPoly) != 0) {
                WrapAdd(s.rightR, s.rightRDY);
                WrapAdd(s.rightG, s.rightGDY);
                WrapAdd(s.rightB, s.rightBDY);
            }
        }
        if constexpr ((F & (kLight | kLightRow)) != 0) {
            WrapAdd(s.leftLight, s.leftLightDY);
            WrapAdd(s.rightLight, s.rightLightDY);
        }
        if constexpr ((F & kUV) != 0) {
            s.leftU += s.leftUDY;
            s.leftV += s.leftVDY;
            if constexpr ((F & kPoly) != 0) {
                s.rightU += s.rightUDY;
                s.rightV += s.rightVDY;
            }
        }
        if constexpr ((F & kW) != 0) {
            s.leftW += s.leftWDY;
            if constexpr ((F & kPoly) != 0) s.rightW += s.rightWDY;
        }
        s.rowPtr += s.pitch;
    }
}

// Entered from a coverage stage when the rows have passed the end of the coverage list: the
// trapezoid is consumed.
void AbortWalk() {
    theSpanState.curY = theSpanState.endY;
}

template <unsigned F>
void SetupWalker() {
    SpanRasterState& s = theSpanState;
    s.rowPtr += static_cast<std::intptr_t>(s.pitch) * s.curY;
    s.walkFn = Walk<F>;
    s.abortFn = AbortWalk;
    s.activeFill = s.selectedFill;
}

void RowsWalk() {
    SpanRasterState& s = theSpanState;
    while (s.curY < s.endY) {
        s.spanY = s.curY;
        if (s.clipFn() == 0) {
            s.abortFn();
            return;
        }
        ++s.curY;
        s.rowPtr += s.pitch;
    }
}

constexpr unsigned kFlat = 0;
constexpr unsigned kTextured = kUV | kLightRow;
constexpr unsigned kPerspective = kUV | kW | kLightRow;

}  // namespace

void SelectPlainSpans() {
    theSpanState.clipFn = PlainClipStage;
}

void SetupRowsWalker() {
    SpanRasterState& s = theSpanState;
    s.rowPtr += static_cast<std::intptr_t>(s.pitch) * s.curY;
    s.walkFn = RowsWalk;
    s.abortFn = AbortWalk;
    s.activeFill = s.selectedFill;
}

// Triangle half, then general-polygon half. The Flat walker is the same in both.
const WalkerSetupFn theWalkerSetupTable[80] = {
    // 0..7: none, smooth, textured, textured smooth, -, -, perspective, perspective smooth
    SetupWalker<kFlat>,
    SetupWalker<kShade>,
    SetupWalker<kTextured>,
    SetupWalker<kTextured | kShade>,
    nullptr,
    nullptr,
    SetupWalker<kPerspective>,
    SetupWalker<kPerspective | kShade>,
    // 8..15: depth (no software walker)
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    // 16..23: per-pixel light
    SetupWalker<kLight>,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    SetupWalker<kUV | kW | kLight>,
    nullptr,
    // 24..31
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    // 32..39: 16-bit target
    SetupWalker<kFlat>,
    SetupWalker<kRGB>,
    SetupWalker<kTextured>,
    SetupWalker<kUV | kRGB>,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    // General polygons.
    SetupWalker<kFlat>,
    SetupWalker<kPoly | kShade>,
    SetupWalker<kPoly | kTextured>,
    SetupWalker<kPoly | kTextured | kShade>,
    nullptr,
    nullptr,
    SetupWalker<kPoly | kPerspective>,
    SetupWalker<kPoly | kPerspective | kShade>,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    SetupWalker<kPoly | kLight>,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    SetupWalker<kPoly | kUV | kW | kLight>,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    SetupWalker<kFlat>,
    SetupWalker<kPoly | kRGB>,
    SetupWalker<kPoly | kTextured>,
    SetupWalker<kPoly | kUV | kRGB>,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
};

}  // namespace gfx
