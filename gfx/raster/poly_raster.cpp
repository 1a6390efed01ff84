#include "gfx/raster/poly_raster.h"

#include <algorithm>

#include "core/numeric.h"
#include "gfx/raster/coverage_list.h"
#include "gfx/raster/span_fillers.h"
#include "gfx/raster/span_state.h"

namespace gfx {

namespace {

struct EdgeVertex {
    std::int32_t x = 0, y = 0;  // 16.16
    std::int32_t row = 0;       // first scan line at or below y
    std::int32_t z = 0;
    double u = 0, v = 0, w = 0;
    std::int32_t light = 0, r = 0, g = 0, b = 0, shade = 0;
    int prev = 0, next = 0;
};

// The edge ring: 2n + 2 entries for the largest request, as the clip stages can hold.
constexpr int kRingCapacity = 2 * kPolyMaxPoints + 2;
EdgeVertex ring[kRingCapacity];

inline std::int32_t ToFixed(std::int32_t v, int s) {
    const std::int64_t r = static_cast<std::int64_t>(v) * (std::int64_t{1} << s);
    return r > INT32_MAX ? INT32_MAX : (r < INT32_MIN ? INT32_MIN : static_cast<std::int32_t>(r));
}

inline int Shift(const GFXPolyRequest& q) {
    if ((q.flags & kPolySubpixel) == 0) return 16;
    return 16 - std::clamp(q.subpixelShift, 0, 16);
}

// The flag bits the ring, the edges and the walker's choice read.
constexpr std::uint32_t kRingBits = kPolySmooth | kPolyTextured | kPolyPerspective | kPolyLit |
                                    kPolyDepth | kPolyPixelLight | kPoly16Bit;

// Fills the ring from the request; only the fields the flags name (`f`, the request's ring
// bits). Answers the entry count.
// With `small`, the points are whole pixels within 32,767 of the origin, whose 16.16 form needs
// no saturation.
[[gnu::always_inline]] inline int BuildRingAs(const GFXPolyRequest& q, bool attributes,
                                              std::uint32_t f, int count, bool small = false) {
    const int n = std::min(count, kRingCapacity);
    const int s = small ? 16 : Shift(q);
    for (int i = 0; i < n; ++i) {
        EdgeVertex& e = ring[i];
        const GFXScreenPoint& p = *q.points[i];
        e.x = small ? static_cast<std::int32_t>(static_cast<std::uint32_t>(p.x) << 16)
                    : ToFixed(p.x, s);
        e.y = small ? static_cast<std::int32_t>(static_cast<std::uint32_t>(p.y) << 16)
                    : ToFixed(p.y, s);
        e.row = static_cast<std::int32_t>((static_cast<std::int64_t>(e.y) + 0xFFFF) >> 16);
        e.prev = i == 0 ? n - 1 : i - 1;
        e.next = i == n - 1 ? 0 : i + 1;
        if (!attributes) continue;
        if ((f & kPolyDepth) != 0) e.z = ToFixed(p.z, s);
        if ((f & kPolyTextured) != 0) {
            e.u = q.texCoords[i]->u;
            e.v = q.texCoords[i]->v;
            if ((f & kPolyPerspective) != 0) e.w = p.w;
        }
        // Only what the edges step: the light, and the shade or the three channels.
        if ((f & (kPolyLit | kPolyPixelLight)) != 0) e.light = q.vertices[i]->light;
        if ((f & kPolySmooth) != 0) {
            const GFXPolyVertex& vx = *q.vertices[i];
            if ((f & kPoly16Bit) == 0) {
                e.shade = vx.shade;
            } else {
                e.r = vx.r;
                e.g = vx.g;
                e.b = vx.b;
            }
        }
    }
    return n;
}

int BuildRing(const GFXPolyRequest& q, bool attributes) {
    return BuildRingAs(q, attributes, q.flags, q.count);
}

constexpr unsigned kEdgeX = 0;
constexpr unsigned kEdgeLight = 1;
constexpr unsigned kEdgeAll = 2;

// Sets up the edge from a down to b on one side with the interpolants `what` asks for.
[[gnu::always_inline]] inline void SetupEdge(bool left, const EdgeVertex& a, const EdgeVertex& b,
                                             unsigned what, std::uint32_t f) {
    SpanRasterState& s = theSpanState;
    const std::int64_t dy = static_cast<std::int64_t>(b.y) - a.y;
    const double scale = dy > 0 ? 65536.0 / static_cast<double>(dy) : 0.0;
    const double prestep =
        static_cast<double>((-static_cast<std::int64_t>(a.y)) & 0xFFFF) / 65536.0;
    if (left) {
        EdgeSetupInt(scale, prestep, a.x, b.x, s.leftDX, s.leftX);
    } else {
        EdgeSetupInt(scale, prestep, a.x, b.x, s.rightDX, s.rightX);
    }
    if (what == kEdgeX) return;
    if ((f & (kPolyLit | kPolyPixelLight)) != 0) {
        if (left) {
            EdgeSetupInt(scale, prestep, a.light, b.light, s.leftLightDY, s.leftLight);
        } else {
            EdgeSetupInt(scale, prestep, a.light, b.light, s.rightLightDY, s.rightLight);
        }
    }
    if (what == kEdgeLight) return;
    if ((f & kPolySmooth) != 0) {
        if ((f & kPoly16Bit) == 0) {
            if (left) {
                EdgeSetupInt(scale, prestep, a.shade, b.shade, s.leftShadeDY, s.leftShade);
            } else {
                EdgeSetupInt(scale, prestep, a.shade, b.shade, s.rightShadeDY, s.rightShade);
            }
        } else if (left) {
            EdgeSetupInt(scale, prestep, a.r, b.r, s.leftRDY, s.leftR);
            EdgeSetupInt(scale, prestep, a.g, b.g, s.leftGDY, s.leftG);
            EdgeSetupInt(scale, prestep, a.b, b.b, s.leftBDY, s.leftB);
        } else {
            EdgeSetupInt(scale, prestep, a.r, b.r, s.rightRDY, s.rightR);
            EdgeSetupInt(scale, prestep, a.g, b.g, s.rightGDY, s.rightG);
            EdgeSetupInt(scale, prestep, a.b, b.b, s.rightBDY, s.rightB);
        }
    }
    if ((f & kPolyTextured) != 0) {
        if (left) {
            EdgeSetupFloat(scale, prestep, a.u, b.u, s.leftUDY, s.leftU);
            EdgeSetupFloat(scale, prestep, a.v, b.v, s.leftVDY, s.leftV);
            if ((f & kPolyPerspective) != 0)
                EdgeSetupFloat(scale, prestep, a.w, b.w, s.leftWDY, s.leftW);
        } else {
            EdgeSetupFloat(scale, prestep, a.u, b.u, s.rightUDY, s.rightU);
            EdgeSetupFloat(scale, prestep, a.v, b.v, s.rightVDY, s.rightV);
            if ((f & kPolyPerspective) != 0)
                EdgeSetupFloat(scale, prestep, a.w, b.w, s.rightWDY, s.rightW);
        }
    }
    if ((f & kPolyDepth) != 0) {
        if (left) {
            EdgeSetupInt(scale, prestep, a.z, b.z, s.leftZDY, s.leftZ);
        } else {
            EdgeSetupInt(scale, prestep, a.z, b.z, s.rightZDY, s.rightZ);
        }
    }
}

struct RingStart {
    int top = 0, left = 0, right = 0, maxRow = 0;
    bool ok = false;
};

[[gnu::always_inline]] inline RingStart FindStart(int n) {
    RingStart r;
    int top = 0;
    r.maxRow = ring[0].row;
    for (int i = 1; i < n; ++i) {
        if (ring[i].row < ring[top].row) top = i;
        r.maxRow = std::max(r.maxRow, ring[i].row);
    }
    const std::int32_t topRow = ring[top].row;
    int left = top;
    for (int k = 0; k < n && ring[ring[left].prev].row == topRow; ++k) {
        left = ring[left].prev;
        if (left == top) return r;  // every point on one row
    }
    int right = top;
    for (int k = 0; k < n && ring[ring[right].next].row == topRow; ++k)
        right = ring[right].next;
    r.top = top;
    r.left = left;
    r.right = right;
    r.ok = r.maxRow > topRow;
    return r;
}

// When the edge a-b of one side ended at or above row y, moves that side on to the next edge
// that reaches below y (the left side runs along prev, the right along next) and answers true.
[[gnu::always_inline]] inline bool NextEdge(int& a, int& b, bool left, std::int32_t y, int n) {
    if (ring[b].row > y) return false;
    int k = 0;
    do {
        a = b;
        b = left ? ring[b].prev : ring[b].next;
    } while (ring[b].row <= y && ++k < n);
    return true;
}

// The band loop shared by the three rasterizers. Triangle walkers interpolate the left edge
// only; general-polygon walkers both edges.
[[gnu::always_inline]] inline void RasterRingAs(int n, std::uint32_t f, bool generalPolygon) {
    SpanRasterState& s = theSpanState;
    const WalkerSetupFn setup = WalkerSetupFor(f, generalPolygon);
    if (setup == nullptr || n < 3) return;
    const RingStart st = FindStart(n);
    if (!st.ok) return;
    const bool lit = (f & (kPolyLit | kPolyPixelLight)) != 0;
    if (!lit) {
        s.leftLight = s.leftLightDY = s.rightLight = s.rightLightDY = 0;
    }
    const unsigned rightWhat = generalPolygon ? kEdgeAll : kEdgeLight;
    int leftA = st.left, leftB = ring[st.left].prev;
    int rightA = st.right, rightB = ring[st.right].next;
    s.curY = ring[st.top].row;
    setup();
    SetupEdge(true, ring[leftA], ring[leftB], kEdgeAll, f);
    SetupEdge(false, ring[rightA], ring[rightB], rightWhat, f);
    // Each pass consumes at least one edge of the ring; the bound keeps a tangled (non-convex or
    // self-crossing) polygon from walking forever.
    for (int guard = 0; guard <= 2 * n + 2; ++guard) {
        s.endY = std::min(ring[leftB].row, ring[rightB].row);
        s.walkFn();
        const std::int32_t y = std::max(s.curY, s.endY);
        if (y >= st.maxRow) break;
        if (NextEdge(leftA, leftB, true, y, n))
            SetupEdge(true, ring[leftA], ring[leftB], kEdgeAll, f);
        if (NextEdge(rightA, rightB, false, y, n)) {
            SetupEdge(false, ring[rightA], ring[rightB], rightWhat, f);
        }
        s.curY = y;
    }
}

void RasterRing(int n, std::uint32_t f, bool generalPolygon) {
    RasterRingAs(n, f, generalPolygon);
}

}  // namespace

void RasterTriangle(const GFXPolyRequest& request) {
    if (request.count != 3) return;
    RasterRing(BuildRing(request, true), request.flags, false);
}

void RasterClippedTriangle(const GFXPolyRequest& request) {
    RasterRing(BuildRing(request, true), request.flags, false);
}

void RasterPolygon(const GFXPolyRequest& request) {
    RasterRing(BuildRing(request, true), request.flags, true);
}

namespace {

[[gnu::always_inline]] inline void TriangleGradientsAs(const GFXPolyRequest& q, std::uint32_t f) {
    SpanRasterState& s = theSpanState;
    const int sh = (q.flags & kPolySubpixel) != 0 ? std::clamp(q.subpixelShift, 0, 16) : 0;
    const double unit = 1.0 / static_cast<double>(1 << sh);
    const GFXScreenPoint& p0 = *q.points[0];
    const GFXScreenPoint& p1 = *q.points[1];
    const GFXScreenPoint& p2 = *q.points[2];
    const double dx1 = (static_cast<double>(p1.x) - p0.x) * unit;
    const double dy1 = (static_cast<double>(p1.y) - p0.y) * unit;
    const double dx2 = (static_cast<double>(p2.x) - p0.x) * unit;
    const double dy2 = (static_cast<double>(p2.y) - p0.y) * unit;
    const double d = dx2 * dy1 - dx1 * dy2;
    s.spanDUDX = s.spanDVDX = s.spanDWDX = 0.0f;
    s.spanUStep = s.spanVStep = s.spanShadeDX = s.spanLightDX = 0;
    s.spanRDX = s.spanGDX = s.spanBDX = s.spanZDX = 0;
    if (d == 0.0) return;
    auto grad = [&](double a0, double a1, double a2) {
        return ((a2 - a0) * dy1 - (a1 - a0) * dy2) / d;
    };
    if ((f & kPolyTextured) != 0) {
        const GFXTexCoord& t0 = *q.texCoords[0];
        const GFXTexCoord& t1 = *q.texCoords[1];
        const GFXTexCoord& t2 = *q.texCoords[2];
        s.spanDUDX = static_cast<float>(grad(t0.u, t1.u, t2.u));
        s.spanDVDX = static_cast<float>(grad(t0.v, t1.v, t2.v));
        s.spanUStep = TruncateSaturate(s.spanDUDX);
        s.spanVStep = TruncateSaturate(s.spanDVDX);
        if ((f & kPolyPerspective) != 0) s.spanDWDX = static_cast<float>(grad(p0.w, p1.w, p2.w));
    }
    const GFXPolyVertex& v0 = *q.vertices[0];
    const GFXPolyVertex& v1 = *q.vertices[1];
    const GFXPolyVertex& v2 = *q.vertices[2];
    if ((f & kPolySmooth) != 0) {
        if ((f & kPoly16Bit) == 0) {
            s.spanShadeDX = TruncateSaturate(grad(v0.shade, v1.shade, v2.shade));
        } else {
            s.spanRDX = TruncateSaturate(grad(v0.r, v1.r, v2.r));
            s.spanGDX = TruncateSaturate(grad(v0.g, v1.g, v2.g));
            s.spanBDX = TruncateSaturate(grad(v0.b, v1.b, v2.b));
        }
    }
    if ((f & kPolyPixelLight) != 0) {
        s.spanLightDX = TruncateSaturate(grad(v0.light, v1.light, v2.light));
    }
    if ((f & kPolyDepth) != 0) {
        s.spanZDX = TruncateSaturate(grad(p0.z * unit, p1.z * unit, p2.z * unit) * 65536.0);
    }
}

}  // namespace

void ComputeTriangleGradients(const GFXPolyRequest& q) {
    TriangleGradientsAs(q, q.flags);
}

int PolygonCoverageTest(const GFXPolyRequest& request, CoverageList& coverage) {
    SpanRasterState& s = theSpanState;
    const int n = BuildRing(request, false);
    if (n < 3) return 0;
    const RingStart st = FindStart(n);
    if (!st.ok) return 0;
    CoverageList* const saved = s.coverage;
    s.coverage = &coverage;
    const std::int32_t bottom = coverage.firstRow + coverage.rowCount;
    int leftA = st.left, leftB = ring[st.left].prev;
    int rightA = st.right, rightB = ring[st.right].next;
    std::int32_t curY = ring[st.top].row;
    SetupEdge(true, ring[leftA], ring[leftB], kEdgeX, 0);
    SetupEdge(false, ring[rightA], ring[rightB], kEdgeX, 0);
    int result = 0;
    for (int guard = 0; guard <= 2 * n + 2; ++guard) {
        const std::int32_t endY = std::min(ring[leftB].row, ring[rightB].row);
        if (bottom <= curY) break;
        const std::int32_t end = std::min(endY, bottom);
        if (curY < coverage.firstRow && curY < end) {
            const std::int32_t to = std::min(coverage.firstRow, end);
            const std::int64_t rows = to - curY;
            s.leftX = static_cast<std::int32_t>(s.leftX + rows * s.leftDX);
            s.rightX = static_cast<std::int32_t>(s.rightX + rows * s.rightDX);
            curY = to;
        }
        if (curY < end) {
            s.curY = curY;
            s.endY = end;
            if (CoverageTestTrapezoid() != 0) {
                result = 1;
                break;
            }
            curY = end;
        }
        curY = std::max(curY, endY);
        if (curY >= bottom || curY >= st.maxRow) break;
        if (NextEdge(leftA, leftB, true, curY, n))
            SetupEdge(true, ring[leftA], ring[leftB], kEdgeX, 0);
        if (NextEdge(rightA, rightB, false, curY, n)) {
            SetupEdge(false, ring[rightA], ring[rightB], kEdgeX, 0);
        }
    }
    s.coverage = saved;
    return result;
}

namespace {

// A triangle of one of the kinds drawn most: its gradients, ring, edges and bands compiled for
// its flags.
template <std::uint32_t F>
void TriangleGradientsFor(const GFXPolyRequest& request) {
    TriangleGradientsAs(request, F);
}
template <std::uint32_t F, bool kSmall = false>
void RasterTriangleAs(const GFXPolyRequest& request) {
    RasterRingAs(BuildRingAs(request, true, F, 3, kSmall), F, false);
}

using TriangleFn = void (*)(const GFXPolyRequest&);
struct TriangleKind {
    TriangleFn gradients = ComputeTriangleGradients;
    TriangleFn raster = nullptr;  // the general one when null
};

template <std::uint32_t F>
constexpr TriangleKind kKind{TriangleGradientsFor<F>, RasterTriangleAs<F>};

// The triangle kind of a request's ring bits: one compiled for them, or the general one.
inline TriangleKind TriangleKindFor(std::uint32_t f) {
    switch (f & kRingBits) {
        case 0:
            return kKind<0>;
        case kPolySmooth:
            return kKind<kPolySmooth>;
        case kPolyTextured:
            return kKind<kPolyTextured>;
        case kPolyTextured | kPolySmooth:
            return kKind<kPolyTextured | kPolySmooth>;
        case kPolyTextured | kPolyPerspective:
            return kKind<kPolyTextured | kPolyPerspective>;
        case kPolyTextured | kPolyPerspective | kPolySmooth:
            return kKind<kPolyTextured | kPolyPerspective | kPolySmooth>;
        default:
            return TriangleKind{};
    }
}

// Every corner strictly inside the bounds, where the clip stages would cut nothing.
inline bool StrictlyInside(const GFXPolyRequest& q, const GFXClipBounds& b, int n) {
    for (int i = 0; i < n; ++i) {
        const GFXScreenPoint& p = *q.points[i];
        if (p.x <= b.left || p.x >= b.right || p.y <= b.top || p.y >= b.bottom) return false;
    }
    return true;
}

}  // namespace

void OrderClockwise(const GFXScreenPoint** points, int count) {
    if (TwiceSignedArea(points, count) < 0) std::reverse(points, points + count);
}

namespace {

// kCount, when not 0, is the request's count; kWholePixels says its flags have no kPolySubpixel.
template <int kCount, bool kWholePixels>
[[gnu::always_inline]] inline bool DrawsNoPixelAs(const GFXPolyRequest& q,
                                                  const GFXClipBounds& bounds) {
    const int n = kCount != 0 ? kCount : q.count;
    if (n < 3 || q.points == nullptr) return true;
    const int s = kWholePixels ? 16 : Shift(q);
    const GFXScreenPoint* p0 = q.points[0];
    if (p0 == nullptr) return true;
    std::int32_t minX = p0->x, maxX = p0->x, minY = p0->y, maxY = p0->y;
    for (int i = 1; i < n; ++i) {
        const GFXScreenPoint* p = q.points[i];
        if (p == nullptr) return true;
        minX = std::min(minX, p->x);
        maxX = std::max(maxX, p->x);
        minY = std::min(minY, p->y);
        maxY = std::max(maxY, p->y);
    }
    // The rows a walk covers run from the first row at or below the highest corner to the
    // last row above the lowest, as the edge ring counts them.
    // Whole pixels within 32,767 of the origin are their own rows.
    const bool small = kWholePixels && minY > -32768 && maxY < 32768;
    auto row = [s, small](std::int32_t y) {
        if (small) return y;
        return static_cast<std::int32_t>((static_cast<std::int64_t>(ToFixed(y, s)) + 0xFFFF) >> 16);
    };
    if (row(maxY) <= row(minY)) return true;
    if (maxY <= bounds.top || minY >= bounds.bottom) return true;
    // Across, a pixel's margin: an edge stepped down many rows may round a little past its
    // corners.
    const std::int64_t pixel = std::int64_t{1} << (16 - s);
    if (maxX <= bounds.left - pixel || minX >= bounds.right + pixel) return true;
    // A face that reaches over a single row from one corner lying exactly on that row (a small
    // face far away, its corners on whole pixels) meets the row only at that corner: both its
    // edges start there, and the row's span is empty. Only where no clip stage adds a corner.
    if ((!small && (ToFixed(minY, s) & 0xFFFF) != 0) || row(maxY) - row(minY) != 1 ||
        minX <= bounds.left || maxX >= bounds.right || minY <= bounds.top ||
        maxY >= bounds.bottom) {
        return false;
    }
    int onTop = 0;
    for (int i = 0; i < n; ++i) onTop += q.points[i]->y == minY ? 1 : 0;
    return onTop == 1;
}

}  // namespace

bool DrawsNoPixel(const GFXPolyRequest& q, const GFXClipBounds& bounds) {
    return DrawsNoPixelAs<0, false>(q, bounds);
}

bool DrawsNoPixelOfWholePixelTriangle(const GFXPolyRequest& q, const GFXClipBounds& bounds) {
    return DrawsNoPixelAs<3, true>(q, bounds);
}

namespace {

// The rasterizer half; kCount and kFlags, when not 0, are the request's count and flags.
template <int kCount, std::uint32_t kFlags>
[[gnu::always_inline]] inline int RasterizeAs(const GFXPolyRequest& request,
                                              const GFXClipBounds& bounds,
                                              const GFXClipBounds& pixelBounds) {
    SpanRasterState& s = theSpanState;
    const std::uint32_t f = kFlags != 0 ? kFlags : request.flags;
    const int n = kCount != 0 ? kCount : request.count;
    if (n < 3 || n > kPolyMaxPoints || request.points == nullptr) return 0;
    const bool attributed = (f & (kPolySmooth | kPolyTextured | kPolyLit | kPolyPixelLight)) != 0;
    if (attributed && n > kPolyMaxAttributedPoints) return 0;
    if ((f & kPolyTextured) != 0 && (s.texels == nullptr || request.texCoords == nullptr)) return 0;
    if ((f & kPolySubpixel) != 0 && (request.subpixelShift < 0 || request.subpixelShift > 16))
        return 0;
    // Per-pixel light is drawn only with a face colour: without it the walker hands over a
    // light level that the chosen filler does not read, and there is no defined picture.
    if ((f & kPolyPixelLight) != 0 && (f & kPolyFaceShade) == 0) return 0;
    const int index = FillSetupIndex(f);
    const FillSetupFn fillSetup = theFillSetupTable[static_cast<std::size_t>(index)];
    if (fillSetup == nullptr || WalkerSetupFor(f, false) == nullptr) return 0;
    if (pixelBounds.left >= pixelBounds.right || pixelBounds.top >= pixelBounds.bottom) return 0;
    // Points run clockwise on the screen; a face given the other way, or without area, is seen
    // from behind and would draw nothing. It is turned away here, before gradients, clipping
    // and edge set-up are spent on it.
    if (TwiceSignedArea(request.points, n) <= 0) return 0;

    const bool isTriangle = n == 3;
    s.isTriangle = isTriangle;
    const TriangleKind kind = isTriangle ? TriangleKindFor(f) : TriangleKind{};
    if (isTriangle && (f & 0x307) != 0) kind.gradients(request);

    // A triangle wholly inside the bounds is drawn as given: the clip stages would only pass it
    // on turned by a place, which does not change which corner a triangle's walk starts from.
    // Across, a polygon is cut only where it reaches far beyond the bounds (a guard band of
    // 8,192 pixels either side, within which every span's width fits the 16.16 walk): the rows'
    // ends are clamped to the bounds instead. A cut moves an edge by the rounding of its new
    // corner, and a neighbour drawn uncut beside it would leave a line of pixels between them.
    const std::int32_t guard = std::int32_t{1} << (13 + ((f & kPolySubpixel) != 0 ? request.subpixelShift : 0));
    GFXClipBounds across = bounds;
    across.left = std::min(bounds.left, -guard);
    across.right = std::max(bounds.right, guard);
    const GFXPolyRequest& clipped = isTriangle && StrictlyInside(request, bounds, n)
                                        ? request
                                        : ClipPolygonY(ClipPolygonX(request, across), bounds);
    if (clipped.count < 3) return 0;

    if ((f & kPolyCoverageTest) != 0 && s.coverage != nullptr &&
        PolygonCoverageTest(clipped, *s.coverage) == 0) {
        return 0;
    }
    if (s.coverage != nullptr) {
        s.freeNodes = s.coverage->freeList;
        if ((f & kPolyOcclude) != 0) {
            SelectOccludingSpans();
        } else {
            SelectMaskedSpans();
        }
    } else {
        SelectPlainSpans();
    }
    s.clipLeft = pixelBounds.left;
    s.clipRight = pixelBounds.right;
    fillSetup(isTriangle ? 1 : 0);
    if (s.hazeDither != nullptr && (f & kPoly16Bit) == 0) {
        s.ditheredFill = s.selectedFill;
        s.selectedFill = DitheredSpan;
    }
    if (index == 0) {
        RasterPolygon(clipped);
    } else if (clipped.count == 3 && isTriangle) {
        // In whole pixels with bounds near the origin, the clipped points are small.
        constexpr std::int32_t kNear = 32767 - 8192;
        if constexpr (kFlags != 0 && (kFlags & kPolySubpixel) == 0) {
            if (-kNear <= bounds.left && bounds.right <= kNear && -kNear <= bounds.top &&
                bounds.bottom <= kNear) {
                RasterTriangleAs<kFlags, true>(clipped);
            } else {
                kind.raster(clipped);
            }
        } else if (kind.raster != nullptr) {
            kind.raster(clipped);
        } else {
            RasterTriangle(clipped);
        }
    } else if (isTriangle) {
        RasterClippedTriangle(clipped);
    } else if constexpr (kFlags != 0) {
        RasterRingAs(BuildRingAs(clipped, true, kFlags, clipped.count), kFlags, true);
    } else {
        RasterPolygon(clipped);
    }
    if (s.coverage != nullptr) s.coverage->freeList = s.freeNodes;
    return 1;
}

}  // namespace

int RasterizeRequest(const GFXPolyRequest& request, const GFXClipBounds& bounds,
                     const GFXClipBounds& pixelBounds) {
    return RasterizeAs<0, 0>(request, bounds, pixelBounds);
}

int RasterizeTexturedSmoothTriangle(const GFXPolyRequest& request, const GFXClipBounds& bounds,
                                    const GFXClipBounds& pixelBounds) {
    return RasterizeAs<3, kPolyTextured | kPolySmooth>(request, bounds, pixelBounds);
}

int RasterizeTexturedSmoothPolygon(const GFXPolyRequest& request, const GFXClipBounds& bounds,
                                   const GFXClipBounds& pixelBounds) {
    return RasterizeAs<0, kPolyTextured | kPolySmooth>(request, bounds, pixelBounds);
}

}  // namespace gfx
