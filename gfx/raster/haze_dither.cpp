#include "gfx/raster/haze_dither.h"

#include <algorithm>

#include "gfx/raster/span_state.h"

namespace gfx {

namespace {

// The classes of pixel that take another level in each share of the level, the shares counted
// by the edges the distance has reached: the classes turn in the order 0, 1 toward the nearer
// level and 3, 2 toward the farther one.
struct Share {
    int count;     // of classes moved
    int first;     // the classes moved: first, first + 1
    bool higher;   // toward the farther level
};
constexpr Share kShares[5] = {
    {2, 0, false}, {1, 0, false}, {0, 0, false}, {1, 3, true}, {2, 2, true}};
constexpr int kPure = 2;  // the middle quarter of the level: nothing moves

}  // namespace

void ApplyHazeDither(const HazeDither& d, std::uint8_t* row, std::int32_t y, std::int32_t first,
                     std::int32_t end) {
    if (first >= end) return;
    const double py = y;
    const double a = d.q0 + py * (d.qy + py * d.qyy), b = d.qx + d.qxy * py, c = d.qxx;
    const double l0 = d.l0 + d.ly * py, l1 = d.lx;
    const double e0 = d.edges[0], e1 = d.edges[1], e2 = d.edges[2], e3 = d.edges[3];
    // The share at pixel x: how many edges q / l² has reached, compared as q >= edge x l².
    auto share = [&](std::int32_t x) {
        const double px = x;
        const double l = l0 + l1 * px;
        const double q = a + px * (b + c * px), ll = l * l;
        return (q >= e0 * ll ? 1 : 0) + (q >= e1 * ll ? 1 : 0) + (q >= e2 * ll ? 1 : 0) +
               (q >= e3 * ll ? 1 : 0);
    };
    // The column of class k's pixel in the four from a multiple of 4.
    const int shift = HazeDitherClass(0, y);
    // The pixels of a share's classes in [from, to).
    auto move = [&](std::int32_t from, std::int32_t to, int z) {
        const Share& m = kShares[z];
        const std::uint8_t* map = m.higher ? d.higher : d.lower;
        if (map == nullptr) return;
        for (int k = m.first; k < m.first + m.count; ++k) {
            std::int32_t x = (from & ~3) + ((k - shift) & 3);
            if (x < from) x += 4;
            for (; x < to; x += 4) row[x] = map[row[x]];
        }
    };
    // Along the row the squared distance q / l² has one turning point, where
    // q' l = 2 q l', which is linear in x: on either side of it the distance only grows or only
    // shrinks, so a stretch whose ends lie in one share lies in it whole.
    auto stretch = [&](std::int32_t from, std::int32_t to) {
        if (from >= to) return;
        int z = share(from);
        if (z == share(to - 1)) {
            if (z != kPure) move(from, to, z);
            return;
        }
        constexpr std::int32_t kRun = 8;
        for (std::int32_t x = from; x < to; x += kRun) {
            const std::int32_t stop = std::min(to, x + kRun);
            const int next = share(stop < to ? stop : to - 1);
            if (z == next) {
                if (z != kPure) move(x, stop, z);
            } else {
                for (std::int32_t p = x; p < stop; ++p) move(p, p + 1, share(p));
            }
            z = next;
        }
    };
    const double slope = 2.0 * c * l0 - b * l1, at = 2.0 * l1 * a - b * l0;
    // The turning point at / slope lies between the first pixel and the last when the two
    // differences from it have opposite signs (no division for the spans without one).
    const double fromFirst = at - first * slope, fromLast = at - (end - 1) * slope;
    if ((fromFirst > 0.0 && fromLast < 0.0) || (fromFirst < 0.0 && fromLast > 0.0)) {
        const auto split = static_cast<std::int32_t>(at / slope) + 1;
        stretch(first, split);
        stretch(split, end);
    } else {
        stretch(first, end);
    }
}

void DitheredSpan(std::int32_t x0, std::int32_t x1) {
    SpanRasterState& s = theSpanState;
    s.ditheredFill(x0, x1);
    ApplyHazeDither(*s.hazeDither, s.rowPtr, s.spanY, x0 >> 16, x1 >> 16);
}

}  // namespace gfx
