#include "world/terrain_segment_query.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace world {

namespace {

// The ground inside a cell at a local point, by the cell's own triangle rule (as the height
// query computes it, in double so that points on edges are exact).
double CellHeight(const TerrainCorners& c, double s, double u, double v) {
    const double h0 = static_cast<double>(c.h[0]), h1 = static_cast<double>(c.h[1]),
                 h2 = static_cast<double>(c.h[2]), h3 = static_cast<double>(c.h[3]);
    const double d = h2 - h3 - h1 + h0;
    if (d == 0) return h0 + ((h1 - h0) * v + (h3 - h0) * u) / s;
    if (d < 0) {
        if (v < u) return h3 + ((s - u) * (h0 - h3) + (h2 - h3) * v) / s;
        return h1 + ((s - v) * (h0 - h1) + (h2 - h1) * u) / s;
    }
    if (s - u <= v) return h2 + ((h3 - h2) * (s - v) + (h1 - h2) * (s - u)) / s;
    return h0 + ((h1 - h0) * v + (h3 - h0) * u) / s;
}

}  // namespace

bool TerrainSegmentQuery::LookUp(double x, double y) {
    current = false;
    if (!std::isfinite(x) || !std::isfinite(y) || std::fabs(x) > 2.0e9 || std::fabs(y) > 2.0e9)
        return false;
    const auto xi = static_cast<std::int32_t>(std::floor(x));
    const auto yi = static_cast<std::int32_t>(std::floor(y));
    if (!grid->FindCell(xi, yi, &cell, level)) return false;
    cellShift = static_cast<std::int32_t>(grid->ScaleShift()) + cell.level;
    const std::int32_t mask = (std::int32_t{1} << cellShift) - 1;
    cornerX = static_cast<double>(xi) - (cell.localX & mask);
    cornerY = static_cast<double>(yi) - (cell.localY & mask);
    corners = TerrainGrid::CellCorners(cell);
    current = true;
    return true;
}

double TerrainSegmentQuery::GroundAt(double x, double y) const {
    return CellHeight(corners, std::ldexp(1.0, cellShift), x - cornerX, y - cornerY);
}

double TerrainSegmentQuery::Clearance(double t) const {
    const double x = p0[0] + (p1[0] - p0[0]) * t, y = p0[1] + (p1[1] - p0[1]) * t;
    return p0[2] + (p1[2] - p0[2]) * t - GroundAt(x, y);
}

double TerrainSegmentQuery::DiagonalCrossing() const {
    const double s = std::ldexp(1.0, cellShift);
    const double ax = p0[0] - cornerX, ay = p0[1] - cornerY;
    const double dx = p1[0] - p0[0], dy = p1[1] - p0[1];
    const double twist = static_cast<double>(corners.h[2] - corners.h[3] - corners.h[1] +
                                             corners.h[0]);
    if (twist < 0) {  // diagonal u = v
        const double denom = dx - dy;
        return denom != 0.0 ? (ay - ax) / denom : -1.0;
    }
    const double denom = dx + dy;  // diagonal u + v = s
    return denom != 0.0 ? (s - ax - ay) / denom : -1.0;
}

bool TerrainSegmentQuery::ExactHit() {
    const double s = std::ldexp(1.0, cellShift);
    const double ax = p0[0] - cornerX, ay = p0[1] - cornerY;
    const double dx = p1[0] - p0[0], dy = p1[1] - p0[1], dz = p1[2] - p0[2];
    // The part of the segment over the cell's square.
    double tIn = 0.0, tOut = 1.0;
    auto clip = [&](double start, double delta) {
        if (delta == 0.0) return start >= 0.0 && start <= s;
        double t0 = (0.0 - start) / delta, t1 = (s - start) / delta;
        if (t0 > t1) std::swap(t0, t1);
        tIn = std::max(tIn, t0);
        tOut = std::min(tOut, t1);
        return tIn <= tOut;
    };
    if (!clip(ax, dx) || !clip(ay, dy)) return false;
    // Inside each triangle both the segment and the ground are linear in t, so the pieces
    // between the square's edges and the diagonal can be solved exactly.
    double breaks[3] = {tIn, tOut, tOut};
    int n = 2;
    const double tDiag = DiagonalCrossing();
    if (tDiag > tIn && tDiag < tOut) {
        breaks[1] = tDiag;
        breaks[2] = tOut;
        n = 3;
    }
    auto f = [&](double t) {
        return (p0[2] + dz * t) - CellHeight(corners, s, ax + dx * t, ay + dy * t);
    };
    double found = -1.0;
    for (int i = 0; i + 1 < n && found < 0.0; ++i) {
        const double ta = breaks[i], tb = breaks[i + 1];
        const double fa = f(ta), fb = f(tb);
        if (fa <= 0.0) {
            found = ta;
        } else if (fb <= 0.0) {
            found = ta + (tb - ta) * fa / (fa - fb);
        }
    }
    if (found < 0.0) return false;
    const double u = std::clamp(ax + dx * found, 0.0, s - 1.0);
    const double v = std::clamp(ay + dy * found, 0.0, s - 1.0);
    TerrainHeightResult r;
    TerrainGrid::EvaluateCell(corners, cellShift, static_cast<std::int32_t>(u),
                              static_cast<std::int32_t>(v), &r);
    hit[0] = static_cast<float>(cornerX + u);
    hit[1] = static_cast<float>(cornerY + v);
    hit[2] = static_cast<float>(p0[2] + dz * found);
    for (int i = 0; i < 3; ++i)
        normal[i] = r.normal[i];
    return true;
}

int TerrainSegmentQuery::Intersect(const float segment[6], std::int32_t wanted) {
    if (grid == nullptr || !grid->IsLoaded()) return 0;
    for (int i = 0; i < 3; ++i) {
        p0[i] = segment[i];
        p1[i] = segment[3 + i];
        if (!std::isfinite(p0[i]) || !std::isfinite(p1[i])) return 0;
    }
    const bool exact = wanted < 0;
    level = std::max(wanted, 0);
    shift = static_cast<std::int32_t>(grid->ScaleShift()) + level;
    current = false;
    const double size = std::ldexp(1.0, shift);
    auto cellOf = [&](double c) { return static_cast<std::int64_t>(std::floor(c / size)); };
    std::int64_t ix = cellOf(p0[0]), iy = cellOf(p0[1]);
    const std::int64_t ex = cellOf(p1[0]), ey = cellOf(p1[1]);
    const double dx = p1[0] - p0[0], dy = p1[1] - p0[1];
    const double inf = std::numeric_limits<double>::infinity();
    const int stepX = dx > 0 ? 1 : -1, stepY = dy > 0 ? 1 : -1;
    double tMaxX = dx != 0 ? ((static_cast<double>(ix + (dx > 0 ? 1 : 0)) * size) - p0[0]) / dx
                           : inf;
    double tMaxY = dy != 0 ? ((static_cast<double>(iy + (dy > 0 ? 1 : 0)) * size) - p0[1]) / dy
                           : inf;
    const double tDeltaX = dx != 0 ? size / std::fabs(dx) : inf;
    const double tDeltaY = dy != 0 ? size / std::fabs(dy) : inf;
    // One cell per crossed line; a segment longer than any tile crosses a bounded number.
    const std::int64_t steps = std::llabs(ex - ix) + std::llabs(ey - iy) + 2;
    if (steps > (std::int64_t{1} << 22)) return 0;
    double t = 0.0;
    double contact = -1.0;
    for (std::int64_t step = 0; step < steps; ++step) {
        if (ix == ex && iy == ey) break;
        const double tExit = std::min({tMaxX, tMaxY, 1.0});
        const double mid = 0.5 * (t + tExit);
        if (LookUp(p0[0] + dx * mid, p0[1] + dy * mid)) {
            // Between its edges the ground along the segment bends only at the cell's
            // diagonal, so the terrain is tested there too: no ridge is passed unseen.
            const double tDiag = DiagonalCrossing();
            if (tDiag > t && tDiag < tExit && Clearance(tDiag) <= 0.0) {
                contact = tDiag;
                break;
            }
            if (Clearance(tExit) <= 0.0) {
                contact = tExit;
                break;
            }
        }
        if (tExit >= 1.0) break;
        if (tMaxX < tMaxY) {
            ix += stepX;
            t = tMaxX;
            tMaxX += tDeltaX;
        } else {
            iy += stepY;
            t = tMaxY;
            tMaxY += tDeltaY;
        }
    }
    if (!exact) {
        if (contact < 0.0) return 0;
        for (int i = 0; i < 3; ++i)
            hit[i] = static_cast<float>(p0[i] + (p1[i] - p0[i]) * contact);
        return 1;
    }
    if (contact >= 0.0) {
        if (ExactHit()) return 1;
        // Rounding left the crossing on the cell's edge: report the contact point itself.
        const double x = p0[0] + dx * contact, y = p0[1] + dy * contact;
        hit[0] = static_cast<float>(x);
        hit[1] = static_cast<float>(y);
        hit[2] = static_cast<float>(GroundAt(x, y));
        normal[0] = normal[1] = 0.0f;
        normal[2] = static_cast<float>(std::ldexp(1.0, cellShift));
        return 1;
    }
    if (!LookUp(p1[0], p1[1])) return 0;
    if (GroundAt(p1[0], p1[1]) < p1[2]) return 0;  // the segment ends above the ground
    return ExactHit() ? 1 : 0;
}

}  // namespace world
