// Airport pads: every land airport lies on level ground at its published elevation, covering its
// runways with a margin and a disc round its reference point; beyond the pad the ground blends
// back into the surrounding terrain over 1.2 km. Where pads overlap, the airport with the longest
// runway (then a tower, then the ident) keeps its elevation.
#include <algorithm>
#include <cmath>

#include "tools/mkdata/terrain_maker.h"

namespace mkdata::terrain {

namespace {

constexpr double kMargin = 300.0 / kMetresPerUnit;
constexpr double kDiscRadius = 400.0 / kMetresPerUnit;
constexpr double kBlend = 1200.0 / kMetresPerUnit;
constexpr double kBucket = 8192.0;

double Length(const Runway& r) {
    return std::hypot(r.end2.x - r.end1.x, r.end2.y - r.end1.y);
}

// Distance from a point to a runway rectangle (0 inside).
double RectDistance(const Runway& r, double x, double y) {
    const double dx = r.end2.x - r.end1.x, dy = r.end2.y - r.end1.y;
    const double len = std::hypot(dx, dy);
    if (len < 1e-6) return std::max(0.0, std::hypot(x - r.end1.x, y - r.end1.y) - r.widthUnits / 2);
    const double ux = dx / len, uy = dy / len;
    const double px = x - r.end1.x, py = y - r.end1.y;
    const double t = px * ux + py * uy;
    const double s = -px * uy + py * ux;
    const double a = std::max(std::fabs(t - len / 2) - len / 2, 0.0);
    const double b = std::max(std::fabs(s) - r.widthUnits / 2, 0.0);
    return std::sqrt(a * a + b * b);
}

double Smooth(double t) {
    t = std::clamp(t, 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

}  // namespace

PadSet::PadSet(const std::vector<Airport>& airports, double x0, double y0, double x1, double y1) {
    std::vector<int> order;
    for (int i = 0; i < static_cast<int>(airports.size()); ++i) {
        const Airport& a = airports[static_cast<std::size_t>(i)];
        if (a.at.x < x0 - 2 * kBlend || a.at.x > x1 + 2 * kBlend || a.at.y < y0 - 2 * kBlend ||
            a.at.y > y1 + 2 * kBlend) {
            continue;
        }
        order.push_back(i);
    }
    auto longest = [&](int i) {
        double m = 0.0;
        for (const Runway& r : airports[static_cast<std::size_t>(i)].runways)
            m = std::max(m, Length(r));
        return m;
    };
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const double la = longest(a), lb = longest(b);
        if (la != lb) return la > lb;
        const bool ta = airports[static_cast<std::size_t>(a)].towered;
        const bool tb = airports[static_cast<std::size_t>(b)].towered;
        if (ta != tb) return ta;
        return airports[static_cast<std::size_t>(a)].ident < airports[static_cast<std::size_t>(b)].ident;
    });
    for (int i : order) {
        const Airport& a = airports[static_cast<std::size_t>(i)];
        Pad p;
        p.airport = i;
        p.feet = a.feet;
        p.centre = a.at;
        p.radius = kDiscRadius;
        p.minX = a.at.x - kDiscRadius;
        p.maxX = a.at.x + kDiscRadius;
        p.minY = a.at.y - kDiscRadius;
        p.maxY = a.at.y + kDiscRadius;
        for (const Runway& r : a.runways) {
            const double len = Length(r);
            // Far from the airport the runway record is in error; the disc stands alone.
            if (len < 1e-6 || len > 6000.0 / kMetresPerUnit ||
                std::hypot(r.end1.x - a.at.x, r.end1.y - a.at.y) > 8000.0 / kMetresPerUnit) {
                continue;
            }
            const double ux = (r.end2.x - r.end1.x) / len, uy = (r.end2.y - r.end1.y) / len;
            Runway s{Vec2{r.end1.x - ux * kMargin, r.end1.y - uy * kMargin},
                     Vec2{r.end2.x + ux * kMargin, r.end2.y + uy * kMargin},
                     r.widthUnits + 2 * kMargin};
            const double half = s.widthUnits / 2;
            for (const Vec2& e : {s.end1, s.end2}) {
                p.minX = std::min(p.minX, e.x - half);
                p.maxX = std::max(p.maxX, e.x + half);
                p.minY = std::min(p.minY, e.y - half);
                p.maxY = std::max(p.maxY, e.y + half);
            }
            p.strips.push_back(s);
        }
        p.minX -= kBlend;
        p.minY -= kBlend;
        p.maxX += kBlend;
        p.maxY += kBlend;
        pads.push_back(std::move(p));
    }
    gx0 = x0 - 4 * kBlend;
    gy0 = y0 - 4 * kBlend;
    gnx = static_cast<int>((x1 - x0 + 8 * kBlend) / kBucket) + 1;
    gny = static_cast<int>((y1 - y0 + 8 * kBlend) / kBucket) + 1;
    grid.resize(static_cast<std::size_t>(gnx) * gny);
    for (int k = 0; k < static_cast<int>(pads.size()); ++k) {
        const Pad& p = pads[static_cast<std::size_t>(k)];
        const int i0 = std::max(0, static_cast<int>((p.minX - gx0) / kBucket));
        const int i1 = std::min(gnx - 1, static_cast<int>((p.maxX - gx0) / kBucket));
        const int j0 = std::max(0, static_cast<int>((p.minY - gy0) / kBucket));
        const int j1 = std::min(gny - 1, static_cast<int>((p.maxY - gy0) / kBucket));
        for (int j = j0; j <= j1; ++j)
            for (int i = i0; i <= i1; ++i)
                grid[static_cast<std::size_t>(j) * gnx + i].push_back(k);
    }
}

double PadSet::Distance(const Pad& p, double x, double y) const {
    const double dx = x - p.centre.x, dy = y - p.centre.y;
    double d = std::max(0.0, std::sqrt(dx * dx + dy * dy) - p.radius);
    for (const Runway& s : p.strips)
        d = std::min(d, RectDistance(s, x, y));
    return d;
}

bool PadSet::Contains(int pad, double x, double y) const {
    return Distance(pads[static_cast<std::size_t>(pad)], x, y) <= 0.0;
}

double PadSet::Apply(double x, double y, double ground, int* onPad) const {
    *onPad = -1;
    const int i = static_cast<int>(std::floor((x - gx0) / kBucket));
    const int j = static_cast<int>(std::floor((y - gy0) / kBucket));
    if (i < 0 || i >= gnx || j < 0 || j >= gny) return ground;
    double weights = 0.0, weighted = 0.0;
    for (int k : grid[static_cast<std::size_t>(j) * gnx + i]) {
        const Pad& p = pads[static_cast<std::size_t>(k)];
        if (x < p.minX || x > p.maxX || y < p.minY || y > p.maxY) continue;
        const double d = Distance(p, x, y);
        if (d <= 0.0) {
            // Buckets list pads by priority: the first pad holding the point is the one.
            *onPad = k;
            return p.feet;
        }
        if (d < kBlend) {
            const double w = 1.0 - Smooth(d / kBlend);
            weights += w;
            weighted += w * p.feet;
        }
    }
    if (weights <= 0.0) return ground;
    if (weights > 1.0) {
        weighted /= weights;
        weights = 1.0;
    }
    return weighted + (1.0 - weights) * ground;
}

void PadSet::Near(double x0, double y0, double x1, double y1, std::vector<int>* out) const {
    out->clear();
    const int i0 = std::max(0, static_cast<int>(std::floor((x0 - gx0) / kBucket)));
    const int i1 = std::min(gnx - 1, static_cast<int>(std::floor((x1 - gx0) / kBucket)));
    const int j0 = std::max(0, static_cast<int>(std::floor((y0 - gy0) / kBucket)));
    const int j1 = std::min(gny - 1, static_cast<int>(std::floor((y1 - gy0) / kBucket)));
    for (int j = j0; j <= j1; ++j)
        for (int i = i0; i <= i1; ++i)
            for (int k : grid[static_cast<std::size_t>(j) * gnx + i]) {
                const Pad& p = pads[static_cast<std::size_t>(k)];
                if (p.maxX < x0 || p.minX > x1 || p.maxY < y0 || p.minY > y1) continue;
                out->push_back(k);
            }
    std::sort(out->begin(), out->end());
    out->erase(std::unique(out->begin(), out->end()), out->end());
}

bool PadSet::CrossesEdge(int pad, double x0, double y0, double x1, double y1) const {
    const Pad& p = pads[static_cast<std::size_t>(pad)];
    // Does the pad itself (without its blend zone) reach into the box?
    const double cx = std::clamp(p.centre.x, x0, x1), cy = std::clamp(p.centre.y, y0, y1);
    bool touches = std::hypot(cx - p.centre.x, cy - p.centre.y) <= p.radius;
    for (const Runway& s : p.strips) {
        if (touches) break;
        const double half = s.widthUnits / 2;
        touches = std::min(s.end1.x, s.end2.x) - half <= x1 &&
                  std::max(s.end1.x, s.end2.x) + half >= x0 &&
                  std::min(s.end1.y, s.end2.y) - half <= y1 &&
                  std::max(s.end1.y, s.end2.y) + half >= y0;
    }
    if (!touches) return false;
    const double mx = 0.5 * (x0 + x1), my = 0.5 * (y0 + y1);
    return !(Contains(pad, x0, y0) && Contains(pad, x1, y0) && Contains(pad, x0, y1) &&
             Contains(pad, x1, y1) && Contains(pad, mx, my));
}

}  // namespace mkdata::terrain
