// Airport pads: every land airport lies on level ground at its published elevation, covering its
// runways with a margin and a disc round its reference point; beyond the pad the ground blends
// back into the surrounding terrain over 1.2 km. Where pads overlap, the airport with the longest
// runway (then a tower, then the ident) keeps its elevation. Round the pads, the surfaces the
// airports keep clear (approach and departure paths, the floors the airports and the basins
// stand on) bring the ground down under them.
#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <map>
#include <utility>

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

// Whether a runway record reads as one: of some length, not absurdly long, near its airport
// (far from it the record is in error, and the airport's disc stands alone).
bool RunwayReads(const Airport& a, const Runway& r) {
    const double len = Length(r);
    return len >= 1e-6 && len <= 6000.0 / kMetresPerUnit &&
           std::hypot(r.end1.x - a.at.x, r.end1.y - a.at.y) <= 8000.0 / kMetresPerUnit;
}

// Distance from a point to a runway rectangle (0 inside).
double RectDistance(const Runway& r, double x, double y) {
    Runway measured;
    if (r.length < 0.0) {
        measured = r;
        MeasureRunway(&measured);
    }
    const Runway& m = r.length < 0.0 ? measured : r;
    const double len = m.length;
    if (len < 1e-6) return std::max(0.0, std::hypot(x - r.end1.x, y - r.end1.y) - r.widthUnits / 2);
    const double ux = m.ux, uy = m.uy;
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

void MeasureRunway(Runway* r) {
    const double dx = r->end2.x - r->end1.x, dy = r->end2.y - r->end1.y;
    r->length = std::hypot(dx, dy);
    r->ux = r->length < 1e-6 ? 0.0 : dx / r->length;
    r->uy = r->length < 1e-6 ? 0.0 : dy / r->length;
}

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
        return airports[static_cast<std::size_t>(a)].ident <
               airports[static_cast<std::size_t>(b)].ident;
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
            if (!RunwayReads(a, r)) continue;
            const double len = Length(r);
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
            MeasureRunway(&s);
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

double PadSet::Shoulder(double x, double y) const {
    double least = SummitSet::kNone;
    const int i = static_cast<int>(std::floor((x - gx0) / kBucket));
    const int j = static_cast<int>(std::floor((y - gy0) / kBucket));
    if (i < 0 || i >= gnx || j < 0 || j >= gny) return least;
    for (int k : grid[static_cast<std::size_t>(j) * gnx + i]) {
        const Pad& p = pads[static_cast<std::size_t>(k)];
        if (x < p.minX || x > p.maxX || y < p.minY || y > p.maxY) continue;
        const double d = std::max(0.0, Distance(p, x, y));
        if (d < kBlend) least = std::max(least, p.feet - d * kFeetPerUnit / kShoulder);
    }
    return least;
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

namespace mkdata::terrain {

namespace {

constexpr double kUnitsPerNm = 1852.0 / kMetresPerUnit;
constexpr double kSurfaceLength = 6.0 * kUnitsPerNm;
constexpr double kSurfaceSlope = 1.0 / 70.0;
// Public heights stand under the path up to this on the final miles, and this beyond them.
constexpr double kKnownSlope = 1.0 / 55.0;
constexpr double kKnownFinal = 3.0 * kUnitsPerNm;
constexpr double kKnownBeyond = 1.0 / 10.0;
constexpr double kSurfaceHalfWidth = 150.0 / kMetresPerUnit;
constexpr double kSurfaceSplay = 0.15;
constexpr double kFloorSlope = 1.0 / 400.0;
constexpr double kFloorMost = 9000.0 / kMetresPerUnit;
constexpr double kAgreeFeet = 30.0;          // neighbours this close in elevation agree,
constexpr double kAgreeSlope = 1.0 / 300.0;  // and more by this much of their distance
constexpr double kSideSlope = 1.0 / 18.0;
constexpr double kSideCurve = 150000.0;  // feet: the sides steepen by (excess / this) per foot
constexpr double kSideReach = 5000.0 / kMetresPerUnit;  // beyond this the sides stand above all
constexpr double kSurfaceBucket = 16384.0;
constexpr double kFloorLeast = 1.5 * kUnitsPerNm;      // the least floor beyond the runways
constexpr double kMountainRise = 1.0 / 2.0;  // a summit's mountain on a floor's side, at most
constexpr double kLiftFade = 1.0 * kUnitsPerNm;  // a floor's lift fades over this at least
// Past a runway's end the floor holds whatever the grid says (no ditch to roll into): a bench
// lifts less only beyond kBenchFree, fully so kBenchFade farther.
constexpr double kBenchFree = 0.5 * kUnitsPerNm;
constexpr double kBenchFade = 0.75 * kUnitsPerNm;
constexpr double kCalmZone = 2000.0 / kMetresPerUnit;  // the relief returns over this
// A runway falls at most this along its length.
constexpr double kRunwayFall = 1.0 / 100.0;

}  // namespace

namespace {

bool Agrees(double feet, double other, double distance) {
    return std::fabs(other - feet) <= kAgreeFeet + distance * kFeetPerUnit * kAgreeSlope;
}

// How far (units) beyond a floor's edge its sides take to rise `feet`: they rise 1 in 18 and
// steepen by the excess over kSideCurve.
double SideRun(double feet) {
    const double b = kSideSlope, c = 1.0 / kSideCurve;
    return (std::sqrt(b * b + 4.0 * c * std::max(0.0, feet)) - b) / (2.0 * c) / kFeetPerUnit;
}

}  // namespace

Floor FloorOf(const PointBuckets& points, const PointBuckets& passes, const PointBuckets& shores,
              Vec2 at, double feet, const std::function<bool(const ElevationPoint&)>& own) {
    enum Kind { kStation, kPass, kShore };
    struct Near {
        double d2;
        double feet;
        Kind kind;
        bool operator<(const Near& o) const {
            return d2 != o.d2 ? d2 < o.d2 : (feet != o.feet ? feet < o.feet : kind < o.kind);
        }
    };
    std::vector<Near> near;
    const double search = 2.0 * kFloorMost;
    points.ForNear(at.x, at.y, search, [&](const ElevationPoint& p, double d2) {
        if (!own || !own(p)) near.push_back({d2, p.feet, kStation});
    });
    passes.ForNear(at.x, at.y, search, [&](const ElevationPoint& p, double d2) {
        near.push_back({d2, p.feet, kPass});
    });
    shores.ForNear(at.x, at.y, search, [&](const ElevationPoint& p, double d2) {
        near.push_back({d2, p.feet, kShore});
    });
    std::sort(near.begin(), near.end());
    double agreeing = 0.0, water = 0.0, most = kFloorMost;
    bool ended = false;
    Floor f;
    for (const Near& p : near) {
        const double d = std::sqrt(p.d2);
        if (p.kind == kPass) {
            // The floor keeps clear of the pass by the run its sides take to climb to it, and
            // at least half way.
            if (Agrees(feet, p.feet, d)) continue;
            most = std::min(most, std::max(0.5 * d, d - SideRun(p.feet - feet)));
            if (p.feet > feet) f.higher = std::min(f.higher, d);
            continue;
        }
        if (!Agrees(feet, p.feet, d)) {
            if (!ended) most = std::min(most, 0.5 * d);
            ended = true;
            if (p.feet > feet) {
                f.higher = std::min(f.higher, d);
                break;
            }
            f.lower = std::min(f.lower, d);
            continue;
        }
        if (ended) continue;
        if (p.kind == kShore && water == 0.0) water = d;
        if (p.kind == kStation) agreeing = d;
    }
    f.radius = std::min(std::max(agreeing, water), most);
    f.byWater = water > 0.0 && water <= f.radius;
    return f;
}

namespace {

// For each airport, the higher field (an index into `airports`) whose mile and a half beyond its
// runways holds this lesser field's runways or reference point, lower than the higher field by
// more than neighbours that agree; -1 for none. Higher: the longer longest runway, then a
// tower, then the ident, as the pads rank them.
std::vector<int> Holders(const std::vector<Airport>& airports, double x0, double y0, double x1,
                         double y1) {
    std::vector<int> holders(airports.size(), -1);
    std::vector<double> longest(airports.size(), 0.0);
    for (std::size_t i = 0; i < airports.size(); ++i)
        for (const Runway& r : airports[i].runways)
            longest[i] = std::max(longest[i], Length(r));
    auto higher = [&](std::size_t a, std::size_t b) {
        if (longest[a] != longest[b]) return longest[a] > longest[b];
        if (airports[a].towered != airports[b].towered) return airports[a].towered;
        return airports[a].ident < airports[b].ident;
    };
    // The airports by squares, a reading runway lying at most 8 km from its airport.
    constexpr double kSquare = 32768.0;
    std::map<std::pair<int, int>, std::vector<std::size_t>> squares;
    auto squareOf = [&](Vec2 p) {
        return std::pair{static_cast<int>(std::floor(p.x / kSquare)),
                         static_cast<int>(std::floor(p.y / kSquare))};
    };
    for (std::size_t i = 0; i < airports.size(); ++i) {
        const Vec2 at = airports[i].at;
        if (at.x < x0 || at.x > x1 || at.y < y0 || at.y > y1) continue;
        squares[squareOf(at)].push_back(i);
    }
    const int around = static_cast<int>(
        std::ceil((kFloorLeast + 2.0 * 8000.0 / kMetresPerUnit) / kSquare));
    for (const auto& [square, members] : squares)
        for (const std::size_t b : members) {
            const Airport& lesser = airports[b];
            std::vector<Vec2> places = {lesser.at};
            for (const Runway& r : lesser.runways)
                if (RunwayReads(lesser, r)) {
                    places.push_back(r.end1);
                    places.push_back(r.end2);
                }
            int best = -1;
            for (int dj = -around; dj <= around; ++dj)
                for (int di = -around; di <= around; ++di) {
                    const auto it = squares.find({square.first + di, square.second + dj});
                    if (it == squares.end()) continue;
                    for (const std::size_t a : it->second) {
                        const Airport& field = airports[a];
                        if (a == b || !higher(a, b) || field.feet <= lesser.feet) continue;
                        if (best >= 0 && !higher(a, static_cast<std::size_t>(best))) continue;
                        double d = 1e300;
                        for (const Runway& r : field.runways)
                            if (RunwayReads(field, r))
                                for (const Vec2& p : places)
                                    d = std::min(d, RectDistance(r, p.x, p.y));
                        if (d > kFloorLeast || Agrees(field.feet, lesser.feet, d)) continue;
                        best = static_cast<int>(a);
                    }
                }
            holders[b] = best;
        }
    return holders;
}

}  // namespace

AirportSurfaces::AirportSurfaces(const std::vector<Airport>& airports,
                                 const std::vector<PublishedLevel>& basins,
                                 const PointBuckets& points, const PointBuckets& passes,
                                 const PointBuckets& shores, double x0, double y0, double x1,
                                 double y1, const ElevationField* field)
    : field(field) {
    const double reach =
        kSurfaceLength + kSideReach + kSurfaceHalfWidth + kSurfaceSplay * kSurfaceLength;
    auto outside = [&](Vec2 p) {
        return p.x < x0 - reach || p.x > x1 + reach || p.y < y0 - reach || p.y > y1 + reach;
    };
    for (const PublishedLevel& b : basins) {
        if (outside(b.at)) continue;
        const Floor f = FloorOf(points, passes, shores, b.at, b.feet);
        ends.push_back(End{b.at,
                           Vec2{},
                           0.0,
                           b.radiusUnits,
                           b.feet,
                           std::max(0.0, f.radius - b.radiusUnits),
                           true,
                           f.byWater,
                           {},
                           {},
                           std::max(0.0, f.radius - b.radiusUnits)});
    }
    // Where a lesser field (a shorter longest runway, then no tower, then the ident, as the
    // pads rank them) lies within a mile and a half of a higher field's runways and lower than
    // it, the higher field's floor holds: the lesser field's elevation does not bound it, the
    // lesser field's floor ends at its pad's margin (its sides rise from there) and its
    // approaches do not cut it.
    const std::vector<int> holders = Holders(airports, x0 - reach, y0 - reach, x1 + reach,
                                             y1 + reach);
    std::vector<std::vector<Vec2>> yielding(airports.size());
    for (std::size_t b = 0; b < airports.size(); ++b)
        if (holders[b] >= 0)
            yielding[static_cast<std::size_t>(holders[b])].push_back(airports[b].at);
    std::vector<int> floorOf(airports.size(), -1);
    std::vector<std::pair<std::size_t, std::size_t>> held;  // approach end, airport holding it
    for (std::size_t ai = 0; ai < airports.size(); ++ai) {
        const Airport& a = airports[ai];
        if (outside(a.at)) continue;
        // The airport's own stations by its runways (a localizer past an end, a glide slope or
        // an inner marker before it) stand as high as the runway there, below the field's
        // highest point by no more than its longest runway falls from end to end (with the
        // pad's margin past each): they tell how the runways lie, not where the ground round
        // them falls.
        double span = 0.0;
        for (const Runway& r : a.runways)
            if (RunwayReads(a, r)) span = std::max(span, Length(r) + 2.0 * kMargin);
        auto own = [&](const ElevationPoint& p) {
            for (const Vec2& at : yielding[ai])
                if (p.at.x == at.x && p.at.y == at.y) return true;
            if (p.feet >= a.feet || a.feet - p.feet > span * kFeetPerUnit * kRunwayFall)
                return false;
            for (const Runway& r : a.runways)
                if (RunwayReads(a, r) && RectDistance(r, p.at.x, p.at.y) <= kFloorLeast)
                    return true;
            return false;
        };
        const Floor f = FloorOf(points, passes, shores, a.at, a.feet, own);
        // Every airport stands on a floor reaching at least a mile and a half from its runways,
        // unless a public height above it stands nearer than twice that.
        const double least = std::min(kFloorLeast, 0.5 * f.higher);
        const double reach = holders[ai] >= 0 ? kMargin : std::max(f.radius - kDiscRadius, least);
        End floor{a.at,
                  Vec2{},
                  0.0,
                  kDiscRadius,
                  a.feet,
                  reach,
                  true,
                  f.byWater,
                  {},
                  {},
                  // lifted whole over its mile and a half, fading over a mile beyond
                  std::min(std::max(reach, kFloorLeast + kLiftFade),
                           0.5 * f.lower - kDiscRadius)};
        for (Runway r : a.runways)
            if (RunwayReads(a, r)) {
                MeasureRunway(&r);
                floor.strips.push_back(r);
            }
        if (floor.reach > 0.0) {
            floorOf[ai] = static_cast<int>(ends.size());
            ends.push_back(std::move(floor));
        }
        for (const Runway& r : a.runways) {
            if (!RunwayReads(a, r)) continue;
            const double len = Length(r);
            const Vec2 u{(r.end2.x - r.end1.x) / len, (r.end2.y - r.end1.y) / len};
            const double half = r.widthUnits / 2 + kSurfaceHalfWidth;
            for (const auto& [at, out] :
                 {std::pair{r.end1, Vec2{-u.x, -u.y}}, std::pair{r.end2, u}}) {
                End e{at, out, len, half, a.feet, 0.0, false, false, {}, {}, 0.0};
                // The public heights under the path that lie below the runway, more than a
                // neighbour that agrees with it would (not an elevation of 0, as often a strip's
                // unknown one as the sea's).
                const double mid = 0.5 * kSurfaceLength;
                points.ForNear(at.x + out.x * mid, at.y + out.y * mid,
                               mid + half + kSurfaceSplay * kSurfaceLength,
                               [&](const ElevationPoint& p, double) {
                                   const double along =
                                       (p.at.x - at.x) * out.x + (p.at.y - at.y) * out.y;
                                   if (along <= 0.0 || along > kSurfaceLength ||
                                       Outside(e, p.at.x, p.at.y) > 0.0 || p.feet >= a.feet ||
                                       p.feet == 0.0 || Agrees(a.feet, p.feet, along) ||
                                       own(p))
                                       return;
                                   e.falls.emplace_back(along, p.feet);
                               });
                std::sort(e.falls.begin(), e.falls.end());
                if (holders[ai] >= 0)
                    held.emplace_back(ends.size(), static_cast<std::size_t>(holders[ai]));
                ends.push_back(std::move(e));
            }
        }
    }
    for (const auto& [end, holder] : held)
        ends[end].holder = floorOf[holder];
    gx0 = x0 - reach;
    gy0 = y0 - reach;
    gnx = static_cast<int>((x1 - x0 + 2 * reach) / kSurfaceBucket) + 1;
    gny = static_cast<int>((y1 - y0 + 2 * reach) / kSurfaceBucket) + 1;
    grid.resize(static_cast<std::size_t>(gnx) * gny);
    lowest.assign(grid.size(), 1e300);
    for (int k = 0; k < static_cast<int>(ends.size()); ++k) {
        const End& e = ends[static_cast<std::size_t>(k)];
        if (e.floor) {
            const double r = e.halfWidth + e.reach + kSideReach;
            double bx0 = e.at.x - r, by0 = e.at.y - r, bx1 = e.at.x + r, by1 = e.at.y + r;
            const double beyond = e.reach + kSideReach;
            for (const Runway& s : e.strips)
                for (const Vec2& p : {s.end1, s.end2}) {
                    bx0 = std::min(bx0, p.x - beyond);
                    by0 = std::min(by0, p.y - beyond);
                    bx1 = std::max(bx1, p.x + beyond);
                    by1 = std::max(by1, p.y + beyond);
                }
            File(k, bx0, by0, bx1, by1);
            continue;
        }
        // The box round the surface, the runway behind it and the sides' reach.
        const double side = e.halfWidth + kSurfaceSplay * kSurfaceLength + kSideReach;
        const Vec2 far{e.at.x + e.out.x * (kSurfaceLength + kSideReach),
                       e.at.y + e.out.y * (kSurfaceLength + kSideReach)};
        const Vec2 back{e.at.x - e.out.x * (e.length + kSideReach),
                        e.at.y - e.out.y * (e.length + kSideReach)};
        File(k, std::min(far.x, back.x) - side, std::min(far.y, back.y) - side,
             std::max(far.x, back.x) + side, std::max(far.y, back.y) + side);
    }
}

void AirportSurfaces::File(int index, double bx0, double by0, double bx1, double by1) {
    const int i0 = std::max(0, static_cast<int>((bx0 - gx0) / kSurfaceBucket));
    const int i1 = std::min(gnx - 1, static_cast<int>((bx1 - gx0) / kSurfaceBucket));
    const int j0 = std::max(0, static_cast<int>((by0 - gy0) / kSurfaceBucket));
    const int j1 = std::min(gny - 1, static_cast<int>((by1 - gy0) / kSurfaceBucket));
    for (int j = j0; j <= j1; ++j)
        for (int i = i0; i <= i1; ++i) {
            const std::size_t b = static_cast<std::size_t>(j) * gnx + i;
            grid[b].push_back(index);
            const End& e = ends[static_cast<std::size_t>(index)];
            lowest[b] = std::min(lowest[b], e.feet);
            for (const auto& fall : e.falls)
                lowest[b] = std::min(lowest[b], fall.second);
        }
}

double AirportSurfaces::FromCentre(const End& e, double x, double y) {
    double d = 1e300;
    for (const Runway& s : e.strips)
        d = std::min(d, RectDistance(s, x, y));
    // The disc's distance is no less than the farther of the two axes' (less its radius): only
    // where that lies nearer than every runway is the square root taken.
    const double dx = x - e.at.x, dy = y - e.at.y;
    if (std::max(std::fabs(dx), std::fabs(dy)) - e.halfWidth < d)
        d = std::min(d, std::hypot(dx, dy) - e.halfWidth);
    return std::max(0.0, d);
}

double AirportSurfaces::Outside(const End& e, double x, double y) {
    if (e.floor) return std::max(0.0, FromCentre(e, x, y) - e.reach);
    const double px = x - e.at.x, py = y - e.at.y;
    const double t = px * e.out.x + py * e.out.y;  // outward from the end
    const double s = std::fabs(-px * e.out.y + py * e.out.x);
    const double half = e.halfWidth + kSurfaceSplay * std::clamp(t, 0.0, kSurfaceLength);
    const double beyond =
        t > kSurfaceLength ? t - kSurfaceLength : (t < -e.length ? -e.length - t : 0.0);
    const double aside = std::max(0.0, s - half);
    // Mostly one of the two is nothing (under the surface, beside it or past its end), and the
    // distance is the other: no square root.
    if (beyond == 0.0) return aside;
    if (aside == 0.0) return beyond;
    return std::hypot(aside, beyond);
}

double AirportSurfaces::CeilingOf(const End& e, double x, double y, double shoreDistance,
                                  double shoreLevel) {
    double rise = 0.0;
    if (e.floor) {
        rise = std::min(FromCentre(e, x, y), e.reach) * kFloorSlope;
    } else {
        const double t = (x - e.at.x) * e.out.x + (y - e.at.y) * e.out.y;
        rise = std::clamp(t, 0.0, kSurfaceLength) * kSurfaceSlope;
    }
    const double excess = Outside(e, x, y);
    if (excess > kSideReach) return std::numeric_limits<double>::infinity();
    const double excessFeet = excess * kFeetPerUnit;
    double ceiling = e.feet + rise * kFeetPerUnit + excessFeet * kSideSlope +
                     excessFeet * excessFeet / kSideCurve;
    if (e.byWater && excess <= 0.0 && Agrees(e.feet, shoreLevel, e.halfWidth + e.reach)) {
        // The water's plain rises from its edge.
        ceiling = std::min(
            ceiling,
            std::max(e.feet, shoreLevel + 3.0 + shoreDistance * kFeetPerUnit * kFloorSlope));
    }
    return ceiling;
}

double AirportSurfaces::FallOf(const End& e, double x, double y) {
    if (e.falls.empty()) return std::numeric_limits<double>::infinity();
    const double excess = Outside(e, x, y);
    if (excess > kSideReach) return std::numeric_limits<double>::infinity();
    const double t =
        std::clamp((x - e.at.x) * e.out.x + (y - e.at.y) * e.out.y, 0.0, kSurfaceLength);
    // Level with the field over its floor's mile and a half (half way to the nearest public
    // height only, where that is nearer), then through each public height in turn, nearest
    // first; level beyond the last.
    double fromT = std::min(kFloorLeast, 0.5 * e.falls.front().first), fromFeet = e.feet;
    double path = e.falls.back().second;
    for (const auto& [along, feet] : e.falls) {
        if (t <= along) {
            path =
                along > fromT
                    ? fromFeet + (feet - fromFeet) * std::max(0.0, t - fromT) / (along - fromT)
                    : feet;
            break;
        }
        fromT = along;
        fromFeet = feet;
    }
    const double excessFeet = excess * kFeetPerUnit;
    return path + excessFeet * kSideSlope + excessFeet * excessFeet / kSideCurve;
}

double AirportSurfaces::Clear(double x, double y, double feet, double shoreDistance,
                              double shoreLevel, double known, double summit) const {
    const int i = static_cast<int>(std::floor((x - gx0) / kSurfaceBucket));
    const int j = static_cast<int>(std::floor((y - gy0) / kSurfaceBucket));
    if (i < 0 || i >= gnx || j < 0 || j >= gny) return feet;
    const std::size_t b = static_cast<std::size_t>(j) * gnx + i;
    if (feet <= lowest[b]) return feet;  // no surface lies lower than its airport or its falls
    for (int k : grid[b]) {
        const End& e = ends[static_cast<std::size_t>(k)];
        const double ceiling = CeilingOf(e, x, y, shoreDistance, shoreLevel);
        if (e.floor) {
            // A published summit's mountain stands on the floor's sides from a mile and a half
            // beyond the runways, rising at most 1 in 2 from there.
            const double beyond = FromCentre(e, x, y) - kFloorLeast;
            const double mountain =
                beyond > 0.0 ? std::min(summit, e.feet + beyond * kFeetPerUnit * kMountainRise)
                             : -std::numeric_limits<double>::infinity();
            feet = std::min(feet, std::max(ceiling, mountain));
            continue;
        }
        // The public heights stand above the path, but on the last three miles never above 1 in
        // 55 from the runway's end, clear of the aircraft on final; farther out they may rise
        // 1 in 10 more (a town on the hillside beyond). A published summit's mountain stands
        // whole: the pilot flies round it.
        const double along =
            std::clamp((x - e.at.x) * e.out.x + (y - e.at.y) * e.out.y, 0.0, kSurfaceLength);
        const double near = std::min(along, kKnownFinal), far = along - near;
        const double steeper = ceiling + near * kFeetPerUnit * (kKnownSlope - kSurfaceSlope) +
                               far * kFeetPerUnit * (kKnownBeyond - kSurfaceSlope);
        // Where the public heights under the path fall away from the field, the ground falls
        // with them.
        double path = std::min(std::max(ceiling, std::min(known, steeper)), FallOf(e, x, y));
        if (e.holder >= 0) {
            // A higher field's floor holds here: whole over its mile and a half, less and less
            // over a mile beyond.
            const End& h = ends[static_cast<std::size_t>(e.holder)];
            const double beyond = FromCentre(h, x, y) - kFloorLeast;
            const double whole = beyond <= 0.0 ? 1.0 : 1.0 - Smooth(beyond / kLiftFade);
            if (whole > 0.0) path += (std::max(path, h.feet) - path) * whole;
        }
        feet = std::min(feet, std::max(path, summit));
    }
    return feet;
}

double AirportSurfaces::Lift(double x, double y, double feet, double shoreDistance,
                             double shoreLevel) const {
    const int i = static_cast<int>(std::floor((x - gx0) / kSurfaceBucket));
    const int j = static_cast<int>(std::floor((y - gy0) / kSurfaceBucket));
    if (i < 0 || i >= gnx || j < 0 || j >= gny) return feet;
    double lifted = feet;
    for (int k : grid[static_cast<std::size_t>(j) * gnx + i]) {
        const End& e = ends[static_cast<std::size_t>(k)];
        if (!e.floor || e.feet <= feet) continue;
        const double d = FromCentre(e, x, y);
        if (d > 0.0 && d >= e.lift) continue;
        double target = e.feet;
        if (e.byWater)
            target =
                std::min(target, shoreLevel + 3.0 + shoreDistance * kFeetPerUnit * kFloorSlope);
        if (target <= feet) continue;
        // A floor's own centre (a basin's flat) stands at its height, however low the ground
        // round it lies.
        if (d <= 0.0) {
            lifted = std::max(lifted, target);
            continue;
        }
        // Whole out to a mile and a half beyond the runways where the floor reaches a mile
        // beyond that, fading over the rest; and less and less where the elevation grid's
        // ground lies below the floor (an airport on a bench or a mesa lifts no valley).
        const double flat = std::clamp(e.lift - kLiftFade, 0.0, kFloorLeast);
        double share = 1.0 - Smooth((d - flat) / (e.lift - flat));
        if (field != nullptr && e.length == 0.0 && field->GridShare(x, y) >= 0.99) {
            const double below = target - field->Base(x, y);
            const double bench =
                Smooth((d - kBenchFree) / kBenchFade) *
                (1.0 - std::clamp(1.0 - (below - kBenchLeast) / kBenchRange, 0.0, 1.0));
            share *= 1.0 - bench;
        }
        lifted = std::max(lifted, feet + (target - feet) * share);
    }
    return lifted;
}

double AirportSurfaces::Calm(double x, double y) const {
    const int i = static_cast<int>(std::floor((x - gx0) / kSurfaceBucket));
    const int j = static_cast<int>(std::floor((y - gy0) / kSurfaceBucket));
    if (i < 0 || i >= gnx || j < 0 || j >= gny) return 1.0;
    double outside = kCalmZone;
    for (int k : grid[static_cast<std::size_t>(j) * gnx + i])
        outside = std::min(outside, Outside(ends[static_cast<std::size_t>(k)], x, y));
    return Smooth(outside / kCalmZone);
}

}  // namespace mkdata::terrain
