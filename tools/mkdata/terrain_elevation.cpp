// The smooth ground under the relief: public point elevations (stations, airports, the coast and
// the shores of lakes of published level) interpolated by Gaussian-weighted averages, a narrow
// kernel where stations are dense and a wide one filling the gaps, sampled on rasters and read back
// bicubically; and the local spread of those elevations, which sets how high the procedural relief
// rises (flat where the stations agree, mountains where they differ).
#include <algorithm>
#include <array>
#include <cmath>

#include "tools/mkdata/terrain_maker.h"

namespace mkdata::terrain {

namespace {

constexpr double kNarrowSigma = 12000.0 / kMetresPerUnit;  // 12 km
constexpr double kWideSigma = 60000.0 / kMetresPerUnit;
constexpr double kSpreadSigma = 30000.0 / kMetresPerUnit;
constexpr double kBaseStep = 8192.0;
constexpr double kSpreadStep = 32768.0;
constexpr double kBucket = 65536.0;
// Where the narrow kernel holds less weight than this, the wide field takes over.
constexpr double kWideWeight = 0.05;
// The detail inside a grid cell rises with how much the cells round it differ, up to a limit.
constexpr double kCellRelief = 0.8;
constexpr double kCellReliefMost = 3000.0;  // feet

// exp(-t) for t in 0..kExpRange, from a table (the kernels need no more precision).
constexpr int kExpTable = 4096;
constexpr double kExpRange = 12.0;
const std::array<float, kExpTable + 1>& ExpTable() {
    static const std::array<float, kExpTable + 1> table = [] {
        std::array<float, kExpTable + 1> t{};
        for (int i = 0; i <= kExpTable; ++i)
            t[static_cast<std::size_t>(i)] =
                static_cast<float>(std::exp(-kExpRange * i / kExpTable));
        return t;
    }();
    return table;
}
double FastExpNeg(double t) {
    if (t >= kExpRange) return 0.0;
    const double f = t * (kExpTable / kExpRange);
    const int i = static_cast<int>(f);
    const auto& e = ExpTable();
    return e[static_cast<std::size_t>(i)] +
           (e[static_cast<std::size_t>(i + 1)] - e[static_cast<std::size_t>(i)]) * (f - i);
}

std::uint32_t Hash(std::int64_t x, std::int64_t y, std::uint32_t seed) {
    std::uint64_t h = static_cast<std::uint64_t>(x) * 0x9E3779B97F4A7C15ull ^
                      static_cast<std::uint64_t>(y) * 0xC2B2AE3D27D4EB4Full ^
                      (static_cast<std::uint64_t>(seed) << 32);
    h ^= h >> 31;
    h *= 0xBF58476D1CE4E5B9ull;
    h ^= h >> 29;
    return static_cast<std::uint32_t>(h >> 32);
}

}  // namespace

PointBuckets::PointBuckets(const std::vector<ElevationPoint>& points, double minX, double minY,
                           double maxX, double maxY, double bucket)
    : x0(minX), y0(minY), size(bucket) {
    nx = static_cast<int>((maxX - minX) / size) + 1;
    ny = static_cast<int>((maxY - minY) / size) + 1;
    cells.resize(static_cast<std::size_t>(nx) * ny);
    for (const ElevationPoint& p : points) {
        const int i = static_cast<int>(std::floor((p.at.x - x0) / size));
        const int j = static_cast<int>(std::floor((p.at.y - y0) / size));
        if (i >= 0 && i < nx && j >= 0 && j < ny)
            cells[static_cast<std::size_t>(j) * nx + i].push_back(p);
    }
}

float ElevationField::Raster::At(int i, int j) const {
    i = std::clamp(i, 0, nx - 1);
    j = std::clamp(j, 0, ny - 1);
    return v[static_cast<std::size_t>(j) * nx + i];
}

double ElevationField::Raster::Bilinear(double x, double y) const {
    const double fx = (x - x0) / step, fy = (y - y0) / step;
    const int i = static_cast<int>(std::floor(fx)), j = static_cast<int>(std::floor(fy));
    const double u = fx - i, w = fy - j;
    return (At(i, j) * (1 - u) + At(i + 1, j) * u) * (1 - w) +
           (At(i, j + 1) * (1 - u) + At(i + 1, j + 1) * u) * w;
}

double ElevationField::Raster::Bicubic(double x, double y) const {
    const double fx = (x - x0) / step, fy = (y - y0) / step;
    const int i = static_cast<int>(std::floor(fx)), j = static_cast<int>(std::floor(fy));
    const double u = fx - i, w = fy - j;
    return CatmullRomSurface(u, w, [&](int a, int b) { return double{At(i - 1 + a, j - 1 + b)}; });
}

ElevationField::ElevationField(const std::vector<ElevationPoint>& points, int c0, int r0, int c1,
                               int r1, const ElevationGrid* grid)
    : cells(grid) {
    const double margin = 4 * kWideSigma;
    const double minX = c0 * kTileUnits - margin, minY = r0 * kTileUnits - margin;
    const double maxX = (c1 + 1) * kTileUnits + margin, maxY = (r1 + 1) * kTileUnits + margin;
    const PointBuckets buckets(points, minX, minY, maxX, maxY, kBucket);

    // The wide average and the spread, on the coarse raster.
    spread.step = kSpreadStep;
    spread.x0 = c0 * kTileUnits - 2 * kSpreadStep;
    spread.y0 = r0 * kTileUnits - 2 * kSpreadStep;
    spread.nx = static_cast<int>((c1 - c0 + 1) * kTileUnits / kSpreadStep) + 5;
    spread.ny = static_cast<int>((r1 - r0 + 1) * kTileUnits / kSpreadStep) + 5;
    spread.v.assign(static_cast<std::size_t>(spread.nx) * spread.ny, 0.0f);
    Raster wide = spread;
    const double wideK = 1.0 / (2 * kWideSigma * kWideSigma);
    const double spreadK = 1.0 / (2 * kSpreadSigma * kSpreadSigma);
    for (int j = 0; j < spread.ny; ++j) {
        for (int i = 0; i < spread.nx; ++i) {
            const double x = spread.x0 + i * kSpreadStep, y = spread.y0 + j * kSpreadStep;
            double w = 0, wv = 0, sw = 0, swv = 0, swv2 = 0;
            buckets.ForNear(x, y, 3.5 * kWideSigma, [&](const ElevationPoint& p, double d2) {
                const double a = p.weight * FastExpNeg(d2 * wideK);
                w += a;
                wv += a * p.feet;
                const double b = p.weight * FastExpNeg(d2 * spreadK);
                sw += b;
                swv += b * p.feet;
                swv2 += b * p.feet * p.feet;
            });
            const std::size_t k = static_cast<std::size_t>(j) * spread.nx + i;
            wide.v[k] = w > 1e-9 ? static_cast<float>(wv / w) : 0.0f;
            double sd = 0.0;
            if (sw > 0.5) {
                const double mean = swv / sw;
                sd = std::sqrt(std::max(0.0, swv2 / sw - mean * mean));
            }
            spread.v[k] = static_cast<float>(sd);
        }
    }

    // The narrow average, falling back on the wide one where stations are few.
    base.step = kBaseStep;
    base.x0 = c0 * kTileUnits - 2 * kBaseStep;
    base.y0 = r0 * kTileUnits - 2 * kBaseStep;
    base.nx = static_cast<int>((c1 - c0 + 1) * kTileUnits / kBaseStep) + 5;
    base.ny = static_cast<int>((r1 - r0 + 1) * kTileUnits / kBaseStep) + 5;
    base.v.assign(static_cast<std::size_t>(base.nx) * base.ny, 0.0f);
    const double narrowK = 1.0 / (2 * kNarrowSigma * kNarrowSigma);
    for (int j = 0; j < base.ny; ++j) {
        for (int i = 0; i < base.nx; ++i) {
            const double x = base.x0 + i * kBaseStep, y = base.y0 + j * kBaseStep;
            double w = 0, wv = 0;
            buckets.ForNear(x, y, 3.5 * kNarrowSigma, [&](const ElevationPoint& p, double d2) {
                const double a = p.weight * FastExpNeg(d2 * narrowK);
                w += a;
                wv += a * p.feet;
            });
            const double fill = wide.Bilinear(x, y);
            base.v[static_cast<std::size_t>(j) * base.nx + i] =
                static_cast<float>((wv + kWideWeight * fill) / (w + kWideWeight));
        }
    }
    // The elevation grid's cell means where it has them, the points' field beyond it.
    share = base;
    share.v.assign(base.v.size(), 0.0f);
    rough = share;
    if (grid == nullptr || grid->Empty()) return;
    lat = spread;
    lon = spread;
    for (int j = 0; j < spread.ny; ++j)
        for (int i = 0; i < spread.nx; ++i) {
            const std::size_t k = static_cast<std::size_t>(j) * spread.nx + i;
            double a = 0, o = 0;
            ToGeo(Vec2{spread.x0 + i * kSpreadStep, spread.y0 + j * kSpreadStep}, &a, &o);
            lat.v[k] = static_cast<float>(a);
            lon.v[k] = static_cast<float>(o);
        }
    for (int j = 0; j < base.ny; ++j) {
        for (int i = 0; i < base.nx; ++i) {
            const std::size_t k = static_cast<std::size_t>(j) * base.nx + i;
            double lat = 0, lon = 0, cover = 0, r = 0;
            ToGeo(Vec2{base.x0 + i * kBaseStep, base.y0 + j * kBaseStep}, &lat, &lon);
            const double feet = grid->At(lat, lon, &cover, &r);
            if (cover <= 0.0) continue;
            base.v[k] = static_cast<float>(cover * feet + (1.0 - cover) * base.v[k]);
            share.v[k] = static_cast<float>(cover);
            rough.v[k] = static_cast<float>(r);
        }
    }
}

double ElevationField::GridShare(double x, double y) const {
    return std::clamp(share.Bilinear(x, y), 0.0, 1.0);
}

double ElevationField::CellAmplitude(double x, double y) const {
    return std::clamp(kCellRelief * rough.Bilinear(x, y), 0.0, kCellReliefMost);
}

double ElevationField::Base(double x, double y) const {
    return base.Bicubic(x, y);
}

double ElevationField::Fine(double x, double y) const {
    const double base = Base(x, y);
    if (cells == nullptr || cells->Empty()) return base;
    double cover = 0.0;
    const double feet = cells->At(lat.Bilinear(x, y), lon.Bilinear(x, y), &cover, nullptr);
    return base + cover * (feet - base);
}

double ElevationField::Amplitude(double x, double y) const {
    return std::clamp(1.6 * spread.Bilinear(x, y), 40.0, 5000.0);
}

namespace {

constexpr double kDetailStep = 1024.0;
constexpr double kDetailMargin = 16384.0;
// Each departure spreads over a third of the way to its point's nearest neighbour, at least
// this far; where the kernels hold less weight than kDetailFade, the departure fades away.
constexpr double kDetailLeast = 300.0 / kMetresPerUnit;
constexpr double kDetailReach = 2500.0 / kMetresPerUnit;
constexpr double kDetailFade = 0.02;
constexpr double kDetailCover = 0.15;
// The stations' local spread, and how many of them it takes to trust it.
constexpr double kLocalSigma = 3000.0 / kMetresPerUnit;
constexpr double kLocalTrust = 0.3;

}  // namespace

LocalDetail::LocalDetail(const PointBuckets& departures, const PointBuckets& stations, int column,
                         int row) {
    x0 = column * kTileUnits - kDetailMargin;
    y0 = row * kTileUnits - kDetailMargin;
    n = static_cast<int>((kTileUnits + 2 * kDetailMargin) / kDetailStep) + 2;
    departure.assign(static_cast<std::size_t>(n) * n, 0.0f);
    nearest.assign(departure.size(), static_cast<float>(kFar));
    variation.assign(departure.size(), 0.0f);
    known.assign(departure.size(), 0.0f);
    const double local = 1.0 / (2 * kLocalSigma * kLocalSigma);
    const double reachD = 3.0 * kDetailReach, reachS = 3.0 * kLocalSigma;
    const double reachD2 = reachD * reachD, reachS2 = reachS * reachS;
    // Each point adds to the nodes within its reach, a band of rows at a time: every node's
    // sums take the points in the order a search round the node would visit them.
    constexpr int kBand = 32;
    const std::size_t across = static_cast<std::size_t>(n);
    std::vector<double> w(kBand * across), wv(w.size()), best(w.size()), sw(w.size()),
        swv(w.size()), swv2(w.size());
    const double right = x0 + (n - 1) * kDetailStep;
    // The nodes of the band within `reach` of a point: columns and rows, clamped.
    auto span = [&](double at, double origin, double reach, int lo, int hi, int* a, int* b) {
        *a = std::max(lo, static_cast<int>(std::floor((at - reach - origin) / kDetailStep)));
        *b = std::min(hi, static_cast<int>(std::floor((at + reach - origin) / kDetailStep)) + 1);
    };
    for (int j0 = 0; j0 < n; j0 += kBand) {
        const int j1 = std::min(n, j0 + kBand) - 1;
        const double bottom = y0 + j0 * kDetailStep, top = y0 + j1 * kDetailStep;
        std::fill(w.begin(), w.end(), 0.0);
        std::fill(wv.begin(), wv.end(), 0.0);
        std::fill(best.begin(), best.end(), kFar * kFar);
        std::fill(sw.begin(), sw.end(), 0.0);
        std::fill(swv.begin(), swv.end(), 0.0);
        std::fill(swv2.begin(), swv2.end(), 0.0);
        // Each node of the band within `reach` of the point, row by row, with its squared distance.
        const auto nodesNear = [&](const ElevationPoint& p, double reach, double reach2,
                                   const auto& add) {
            int ia = 0, ib = 0, ja = 0, jb = 0;
            span(p.at.x, x0, reach, 0, n - 1, &ia, &ib);
            span(p.at.y, y0, reach, j0, j1, &ja, &jb);
            for (int j = ja; j <= jb; ++j) {
                const double dy = p.at.y - (y0 + j * kDetailStep);
                const std::size_t base = static_cast<std::size_t>(j - j0) * across;
                for (int i = ia; i <= ib; ++i) {
                    const double dx = p.at.x - (x0 + i * kDetailStep);
                    const double d2 = dx * dx + dy * dy;
                    if (d2 <= reach2) add(base + i, d2);
                }
            }
        };
        departures.ForBox(x0 - reachD, bottom - reachD, right + reachD, top + reachD,
                          [&](const ElevationPoint& p) {
            const double sigma = std::clamp(p.reach, kDetailLeast, kDetailReach);
            nodesNear(p, reachD, reachD2, [&](std::size_t k, double d2) {
                const double a = p.weight * FastExpNeg(d2 / (2 * sigma * sigma));
                w[k] += a;
                wv[k] += a * p.feet;
            });
        });
        stations.ForBox(x0 - reachS, bottom - reachS, right + reachS, top + reachS,
                        [&](const ElevationPoint& p) {
            nodesNear(p, reachS, reachS2, [&](std::size_t k, double d2) {
                best[k] = std::min(best[k], d2);
                const double a = p.weight * FastExpNeg(d2 * local);
                sw[k] += a;
                swv[k] += a * p.feet;
                swv2[k] += a * p.feet * p.feet;
            });
        });
        for (int j = j0; j <= j1; ++j)
            for (int i = 0; i < n; ++i) {
                const std::size_t k = static_cast<std::size_t>(j - j0) * across + i;
                const std::size_t at = static_cast<std::size_t>(j) * n + i;
                // The average of the departures round the node; one above the smooth field (a
                // hill, a bench) fades where they hold little weight, a local fact and not a
                // plateau, while one below it (a valley's floor) holds along the valley.
                const double mean = wv[k] / (w[k] + kDetailFade);
                departure[at] = static_cast<float>(
                    mean > 0.0 ? mean * (1.0 - FastExpNeg(w[k] / kDetailCover)) : mean);
                nearest[at] = static_cast<float>(std::sqrt(best[k]));
                if (sw[k] > 1e-6) {
                    const double mean = swv[k] / sw[k];
                    variation[at] = static_cast<float>(
                        std::sqrt(std::max(0.0, swv2[k] / sw[k] - mean * mean)));
                }
                known[at] = static_cast<float>(sw[k] / (sw[k] + kLocalTrust));
            }
    }
}

double LocalDetail::Bilinear(const std::vector<float>& v, double x, double y) const {
    const double fx = std::clamp((x - x0) / kDetailStep, 0.0, n - 1.001);
    const double fy = std::clamp((y - y0) / kDetailStep, 0.0, n - 1.001);
    const int i = static_cast<int>(fx), j = static_cast<int>(fy);
    const double u = fx - i, w = fy - j;
    auto at = [&](int a, int b) { return v[static_cast<std::size_t>(b) * n + a]; };
    return (at(i, j) * (1 - u) + at(i + 1, j) * u) * (1 - w) +
           (at(i, j + 1) * (1 - u) + at(i + 1, j + 1) * u) * w;
}

double LocalDetail::Departure(double x, double y) const {
    return Bilinear(departure, x, y);
}

double LocalDetail::Nearest(double x, double y) const {
    return Bilinear(nearest, x, y);
}

double LocalDetail::Amplitude(double x, double y, double amplitude) const {
    const double trust = Bilinear(known, x, y);
    const double near = std::min(amplitude, 1.6 * Bilinear(variation, x, y));
    return trust * near + (1.0 - trust) * amplitude;
}

namespace {

// A summit's top is rounded over this distance (feet) on flanks of 1 in 4, and over as much
// more as its flanks are steeper (up to twice as far), so that a steep summit is no spike; the
// flanks fall no more steeply than 1 in 1, and public heights this close (units) stand on the
// mountain rather than below it.
constexpr double kGentlest = 0.25;
constexpr double kSummitTop = 600.0 / kMetresPerUnit * kFeetPerUnit;
constexpr double kSteepest = 1.0;
constexpr double kOnTheMountain = 1000.0 / kMetresPerUnit;

double TopOf(double slope) {
    return kSummitTop * std::min(slope / kGentlest, 2.0);
}

// How far a summit's ground has fallen at `feet` from it, before the gullies.
double Fall(double slope, double feet) {
    const double top = TopOf(slope);
    return slope * (std::sqrt(feet * feet + top * top) - top);
}

}  // namespace

namespace {

// Steepens `slope` as far as the flank of a height `top` must fall to lie below a station
// `feet` tall `d` feet away (with a fifth to spare); a station on the mountain itself, within
// kOnTheMountain, stands on it instead.
void ComeDownTo(double top, double d, double feet, double* slope) {
    const double drop = (top - feet) * 1.2;
    if (drop <= 0.0 || d < kOnTheMountain * kFeetPerUnit || Fall(*slope, d) >= drop) return;
    // The fall grows with the slope: the least slope that comes down far enough.
    double lo = *slope, hi = kSteepest;
    if (Fall(hi, d) < drop) {
        *slope = hi;
        return;
    }
    for (int k = 0; k < 40; ++k) {
        const double mid = 0.5 * (lo + hi);
        (Fall(mid, d) >= drop ? hi : lo) = mid;
    }
    *slope = hi;
}

// The point of a crest nearest (x, y): its distance (units) and the crest's height there.
void NearestOnCrest(const Crest& c, double x, double y, double* distance, double* feet) {
    const double dx = c.to.x - c.from.x, dy = c.to.y - c.from.y;
    const double t =
        std::clamp(((x - c.from.x) * dx + (y - c.from.y) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
    *distance = std::hypot(x - (c.from.x + t * dx), y - (c.from.y + t * dy));
    *feet = c.fromFeet + t * (c.toFeet - c.fromFeet);
}

// Gullies and spurs: the flanks fall up to half as fast again along the ridged noise's
// valleys, never less fast, so a summit or a crest keeps its height.
double Gully(double x, double y) {
    return 1.0 + 0.5 * (1.0 - Relief(x * 4.0, y * 4.0));
}

}  // namespace

SummitSet::SummitSet(Mountains mountains, const std::vector<ElevationPoint>& stations)
    : summits(std::move(mountains.summits)),
      crests(std::move(mountains.crests)),
      passes(mountains.passes) {
    for (const ElevationPoint& p : mountains.passes)
        summits.push_back(Summit{p.at, p.feet});
    std::vector<ElevationPoint> below = stations;
    below.insert(below.end(), mountains.passes.begin(), mountains.passes.end());
    for (Summit& s : summits) {
        s.slope = std::max(s.slope, kGentlest);
        for (const ElevationPoint& p : below)
            ComeDownTo(s.feet, std::hypot(p.at.x - s.at.x, p.at.y - s.at.y) * kFeetPerUnit, p.feet,
                       &s.slope);
        reach.push_back((s.feet / s.slope + TopOf(s.slope)) / kFeetPerUnit);
    }
    // The line the crests make through each pass: a crest's own, or the bisector of two that
    // leave it different ways.
    for (const ElevationPoint& p : passes) {
        std::vector<Vec2> ways;
        for (const Crest& c : crests) {
            const bool from = c.from.x == p.at.x && c.from.y == p.at.y;
            const bool to = c.to.x == p.at.x && c.to.y == p.at.y;
            if (!from && !to) continue;
            const Vec2 end = from ? c.to : c.from;
            const double length = std::hypot(end.x - p.at.x, end.y - p.at.y);
            if (length > 0.0) ways.push_back(Vec2{(end.x - p.at.x) / length, (end.y - p.at.y) / length});
        }
        Vec2 axis{0.0, 0.0};
        if (!ways.empty()) axis = ways[0];
        if (ways.size() > 1 && std::hypot(ways[0].x - ways[1].x, ways[0].y - ways[1].y) > 0.5) {
            const Vec2 d{ways[0].x - ways[1].x, ways[0].y - ways[1].y};
            const double length = std::hypot(d.x, d.y);
            axis = Vec2{d.x / length, d.y / length};
        }
        passAxis.push_back(axis);
    }
    for (Crest& c : crests) {
        c.slope = std::max(c.slope, kGentlest);
        for (const ElevationPoint& p : below) {
            double d = 0, top = 0;
            NearestOnCrest(c, p.at.x, p.at.y, &d, &top);
            ComeDownTo(top, d * kFeetPerUnit, p.feet, &c.slope);
        }
        crestReach.push_back((std::max(c.fromFeet, c.toFeet) / c.slope + TopOf(c.slope)) /
                             kFeetPerUnit);
    }
    // Each summit, crest and pass filed under every bucket its reach touches.
    struct Box {
        double x0, y0, x1, y1;
    };
    std::vector<Box> summitBox, crestBox, passBox;
    for (std::size_t i = 0; i < summits.size(); ++i)
        summitBox.push_back({summits[i].at.x - reach[i], summits[i].at.y - reach[i],
                             summits[i].at.x + reach[i], summits[i].at.y + reach[i]});
    for (std::size_t i = 0; i < crests.size(); ++i) {
        const Crest& c = crests[i];
        const double r = crestReach[i];
        crestBox.push_back({std::min(c.from.x, c.to.x) - r, std::min(c.from.y, c.to.y) - r,
                            std::max(c.from.x, c.to.x) + r, std::max(c.from.y, c.to.y) + r});
    }
    for (const ElevationPoint& p : passes)
        passBox.push_back({p.at.x - kSaddleReach, p.at.y - kSaddleReach, p.at.x + kSaddleReach,
                           p.at.y + kSaddleReach});
    double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
    for (const auto* boxes : {&summitBox, &crestBox, &passBox})
        for (const Box& b : *boxes) {
            x0 = std::min(x0, b.x0);
            y0 = std::min(y0, b.y0);
            x1 = std::max(x1, b.x1);
            y1 = std::max(y1, b.y1);
        }
    if (x0 > x1) return;
    bx0 = x0;
    by0 = y0;
    bnx = static_cast<int>((x1 - x0) / kBucket) + 1;
    bny = static_cast<int>((y1 - y0) / kBucket) + 1;
    buckets.resize(static_cast<std::size_t>(bnx) * static_cast<std::size_t>(bny));
    auto file = [&](const std::vector<Box>& boxes, std::vector<std::uint32_t> Bucket::*list) {
        for (std::size_t k = 0; k < boxes.size(); ++k) {
            const Box& b = boxes[k];
            const int i0 = static_cast<int>((b.x0 - bx0) / kBucket);
            const int i1 = std::min(bnx - 1, static_cast<int>((b.x1 - bx0) / kBucket));
            const int j0 = static_cast<int>((b.y0 - by0) / kBucket);
            const int j1 = std::min(bny - 1, static_cast<int>((b.y1 - by0) / kBucket));
            for (int j = j0; j <= j1; ++j)
                for (int i = i0; i <= i1; ++i)
                    (buckets[static_cast<std::size_t>(j) * static_cast<std::size_t>(bnx) +
                             static_cast<std::size_t>(i)].*list)
                        .push_back(static_cast<std::uint32_t>(k));
        }
    };
    file(summitBox, &Bucket::summits);
    file(crestBox, &Bucket::crests);
    file(passBox, &Bucket::passes);
}

const SummitSet::Bucket* SummitSet::BucketAt(double x, double y) const {
    if (buckets.empty() || x < bx0 || y < by0) return nullptr;
    const auto i = static_cast<std::size_t>((x - bx0) / kBucket);
    const auto j = static_cast<std::size_t>((y - by0) / kBucket);
    if (i >= static_cast<std::size_t>(bnx) || j >= static_cast<std::size_t>(bny)) return nullptr;
    return &buckets[j * static_cast<std::size_t>(bnx) + i];
}

bool SummitSet::AnyIn(double x0, double y0, double x1, double y1) const {
    return std::any_of(summits.begin(), summits.end(), [&](const Summit& s) {
        return s.at.x >= x0 && s.at.x <= x1 && s.at.y >= y0 && s.at.y <= y1;
    });
}

double SummitSet::Ground(double x, double y) const {
    double best = kNone;
    const Bucket* bucket = BucketAt(x, y);
    if (bucket == nullptr) return best;
    double gully = -1.0;  // found once, where a summit or a crest reaches
    for (const std::uint32_t i : bucket->summits) {
        const Summit& s = summits[i];
        if (s.feet <= best) continue;  // its ground stands no higher than its top
        const double dx = x - s.at.x, dy = y - s.at.y;
        if (std::fabs(dx) > reach[i] || std::fabs(dy) > reach[i]) continue;
        if (gully < 0.0) gully = Gully(x, y);
        best = std::max(best, s.feet - gully * Fall(s.slope, std::hypot(dx, dy) * kFeetPerUnit));
    }
    for (const std::uint32_t i : bucket->crests) {
        const Crest& c = crests[i];
        if (std::max(c.fromFeet, c.toFeet) <= best) continue;
        const double r = crestReach[i];
        if (x < std::min(c.from.x, c.to.x) - r || x > std::max(c.from.x, c.to.x) + r ||
            y < std::min(c.from.y, c.to.y) - r || y > std::max(c.from.y, c.to.y) + r) {
            continue;
        }
        double d = 0, top = 0;
        NearestOnCrest(c, x, y, &d, &top);
        if (gully < 0.0) gully = Gully(x, y);
        best = std::max(best, top - gully * Fall(c.slope, d * kFeetPerUnit));
    }
    return best;
}

double SummitSet::Saddle(double x, double y) const {
    double limit = 1e300;
    const Bucket* bucket = BucketAt(x, y);
    if (bucket == nullptr) return limit;
    for (const std::uint32_t i : bucket->passes) {
        const ElevationPoint& p = passes[i];
        const double dx = x - p.at.x, dy = y - p.at.y;
        if (std::fabs(dx) > kSaddleReach || std::fabs(dy) > kSaddleReach) continue;
        const double d = std::hypot(dx, dy);
        if (d >= kSaddleReach) continue;
        double rise = Fall(kGentlest, d * kFeetPerUnit);
        // Toward the edge of its reach the limit gives way, rising without bound, so that the
        // ground it held meets the ground beyond without a step.
        const double edge = std::max(0.0, (d - kSaddleFree) / (kSaddleReach - kSaddleFree));
        const double giveWay = kSaddleGiveWay * edge / (1.0 - edge);
        const Vec2 axis = passAxis[i];
        if (d > 0.0 && (axis.x != 0.0 || axis.y != 0.0)) {
            const double along = (dx * axis.x + dy * axis.y) / d;
            const double square = along * along;
            rise = rise * square - kSaddleDrop * std::min(d / kSaddleRun, 1.0) * (1.0 - square);
        }
        limit = std::min(limit, p.feet + rise + giveWay);
    }
    return limit;
}

double ValueNoise(double x, double y, double wavelength, std::uint32_t seed) {
    const double fx = x / wavelength, fy = y / wavelength;
    const double ix = std::floor(fx), iy = std::floor(fy);
    const auto i = static_cast<std::int64_t>(ix), j = static_cast<std::int64_t>(iy);
    double u = fx - ix, v = fy - iy;
    u = u * u * (3 - 2 * u);
    v = v * v * (3 - 2 * v);
    const double k = 1.0 / 4294967296.0;
    const double a = Hash(i, j, seed) * k, b = Hash(i + 1, j, seed) * k;
    const double c = Hash(i, j + 1, seed) * k, d = Hash(i + 1, j + 1, seed) * k;
    return (a * (1 - u) + b * u) * (1 - v) + (c * (1 - u) + d * u) * v;
}

namespace {

// Ridged noise over `octaves` octaves from `wavelength` (units) down, in 0..1.
double Ridged(double x, double y, double wavelength, std::uint32_t octaves) {
    // Each octave is weighted by the one above it, so small ridges sit on the big ones rather
    // than in the valleys.
    double sum = 0.0, norm = 0.0, amplitude = 1.0, weight = 1.0;
    for (std::uint32_t o = 0; o < octaves; ++o) {
        const double n = ValueNoise(x, y, wavelength, 17 + o);
        double r = 1.0 - std::fabs(2.0 * n - 1.0);
        r *= r;
        sum += r * amplitude * weight;
        norm += amplitude;
        weight = std::clamp(r * 1.5, 0.2, 1.0);
        amplitude *= 0.5;
        wavelength *= 0.5;
    }
    return sum / norm;
}

// A grid cell is about 10,000 units across: its detail from about that down to a quarter of it.
constexpr double kCellWavelength = 12000.0;
constexpr std::uint32_t kCellOctaves = 3;

// CellRelief's noise averaged over a wide square, so that what it adds keeps a cell's mean.
double CellReliefMean() {
    static const double mean = [] {
        double sum = 0.0;
        int n = 0;
        for (int j = 0; j < 400; ++j)
            for (int i = 0; i < 400; ++i) {
                sum += Ridged(i * 1733.0 + 0.5, j * 1907.0 + 0.5, kCellWavelength, kCellOctaves);
                ++n;
            }
        return sum / n;
    }();
    return mean;
}

}  // namespace

double CellRelief(double x, double y) {
    return Ridged(x, y, kCellWavelength, kCellOctaves) - CellReliefMean();
}

double Relief(double x, double y) {
    // Ridges from about 35 km down to 2 km.
    return Ridged(x, y, 90000.0, 5);
}

}  // namespace mkdata::terrain
