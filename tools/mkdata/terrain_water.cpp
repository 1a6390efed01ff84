// Sea, lakes and rivers. The outlines come as pieces cut at the bins of their source, land on
// the left of the direction of travel (lakes keep water on their right): the pieces are joined
// end to end into chains, and chains cut by the edge of the outlines' box are closed by going
// straight out from the box and round it, so land that reaches the box's edge goes on beyond it.
// Each tile then fills the rings into a raster of 1024-unit cells (with a margin, so tiles agree
// at their edges) and measures every cell's distance to the nearest water.
#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <sstream>

#include "tools/mkdata/terrain_maker.h"

namespace mkdata::terrain {

namespace {

struct Geo {
    double lon = 0.0, lat = 0.0;
    bool operator==(const Geo& o) const { return lon == o.lon && lat == o.lat; }
    bool operator<(const Geo& o) const { return lon != o.lon ? lon < o.lon : lat < o.lat; }
};
using Chain = std::vector<Geo>;

const GeoBox kBox;
constexpr double kOutward = 10.0;  // degrees beyond the box that land edges are carried
constexpr double kOnEdge = 1e-6;

int ReadPolylines(const std::string& path, std::vector<Chain>* out, std::string* error) {
    std::ifstream in(path);
    if (!in) {
        *error = "cannot read " + path;
        return 0;
    }
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty()) continue;
        if (line[0] == '>') {
            out->emplace_back();
            continue;
        }
        std::istringstream s(line);
        Geo g;
        if (!(s >> g.lon >> g.lat) || !std::isfinite(g.lon) || !std::isfinite(g.lat) ||
            out->empty()) {
            continue;
        }
        out->back().push_back(g);
    }
    std::erase_if(*out, [](const Chain& c) { return c.size() < 2; });
    return 1;
}

// Joins pieces whose ends meet; closed pieces stay as they are.
std::vector<Chain> Join(std::vector<Chain> pieces) {
    std::vector<Chain> done;
    std::vector<Chain> open;
    for (Chain& c : pieces) {
        if (c.front() == c.back() && c.size() > 3)
            done.push_back(std::move(c));
        else
            open.push_back(std::move(c));
    }
    std::map<Geo, std::vector<std::size_t>> starts;
    std::map<Geo, int> endCount;
    for (std::size_t i = 0; i < open.size(); ++i) {
        starts[open[i].front()].push_back(i);
        ++endCount[open[i].back()];
    }
    std::vector<bool> used(open.size(), false);
    auto follow = [&](std::size_t first) {
        Chain chain = open[first];
        used[first] = true;
        for (;;) {
            if (chain.front() == chain.back() && chain.size() > 3) break;
            const auto it = starts.find(chain.back());
            if (it == starts.end()) break;
            std::size_t next = open.size();
            for (std::size_t k : it->second)
                if (!used[k]) {
                    next = k;
                    break;
                }
            if (next == open.size()) break;
            used[next] = true;
            chain.insert(chain.end(), open[next].begin() + 1, open[next].end());
        }
        return chain;
    };
    // Heads first (a start no piece ends at), then what is left forms loops.
    for (std::size_t i = 0; i < open.size(); ++i)
        if (!used[i] && endCount.count(open[i].front()) == 0) done.push_back(follow(i));
    for (std::size_t i = 0; i < open.size(); ++i)
        if (!used[i]) done.push_back(follow(i));
    return done;
}

bool OnBoxEdge(const Geo& g) {
    return std::fabs(g.lon - kBox.west) < kOnEdge || std::fabs(g.lon - kBox.east) < kOnEdge ||
           std::fabs(g.lat - kBox.south) < kOnEdge || std::fabs(g.lat - kBox.north) < kOnEdge;
}

// Position along the box's edge, counter-clockwise from its south-west corner: 0..4.
double EdgeParameter(const Geo& g) {
    const double w = kBox.east - kBox.west, h = kBox.north - kBox.south;
    if (std::fabs(g.lat - kBox.south) < kOnEdge) return (g.lon - kBox.west) / w;
    if (std::fabs(g.lon - kBox.east) < kOnEdge) return 1.0 + (g.lat - kBox.south) / h;
    if (std::fabs(g.lat - kBox.north) < kOnEdge) return 2.0 + (kBox.east - g.lon) / w;
    return 3.0 + (kBox.north - g.lat) / h;
}

Geo Outward(const Geo& g, double outward) {
    const double s = EdgeParameter(g);
    if (s < 1.0) return {g.lon, kBox.south - outward};
    if (s < 2.0) return {kBox.east + outward, g.lat};
    if (s < 3.0) return {g.lon, kBox.north + outward};
    return {kBox.west - outward, g.lat};
}

// The way round the box, enlarged by `outward` degrees, from the point outside `from` to the one
// outside `to`, counter-clockwise, with points along the curved parallels.
void WalkRound(const Geo& from, const Geo& to, double outward, Chain* out) {
    const double s0 = EdgeParameter(from);
    double s1 = EdgeParameter(to);
    if (s1 < s0) s1 += 4.0;
    const Geo corners[4] = {{kBox.east + outward, kBox.south - outward},
                            {kBox.east + outward, kBox.north + outward},
                            {kBox.west - outward, kBox.north + outward},
                            {kBox.west - outward, kBox.south - outward}};
    Geo at = Outward(from, outward);
    out->push_back(at);
    auto lineTo = [&](const Geo& g) {
        // Along a parallel the world's edge is curved: one point a degree.
        const int steps =
            std::fabs(g.lat - at.lat) < 1e-9 ? static_cast<int>(std::fabs(g.lon - at.lon)) + 1 : 1;
        for (int k = 1; k <= steps; ++k)
            out->push_back({at.lon + (g.lon - at.lon) * k / steps, at.lat + (g.lat - at.lat) * k / steps});
        at = g;
    };
    for (int c = static_cast<int>(std::floor(s0)) + 1; c <= static_cast<int>(std::floor(s1)); ++c)
        lineTo(corners[(c - 1) % 4]);
    lineTo(Outward(to, outward));
}

// Closed rings from joined chains: chains cut by the box are connected round it, `outward`
// degrees outside it.
std::vector<Chain> CloseRings(std::vector<Chain> chains, double outward) {
    std::vector<Chain> rings;
    std::vector<Chain> cut;
    for (Chain& c : chains) {
        if (c.front() == c.back()) {
            rings.push_back(std::move(c));
        } else if (OnBoxEdge(c.front()) && OnBoxEdge(c.back())) {
            cut.push_back(std::move(c));
        } else {
            c.push_back(c.front());  // a broken piece: closed on itself
            rings.push_back(std::move(c));
        }
    }
    std::vector<bool> used(cut.size(), false);
    for (std::size_t first = 0; first < cut.size(); ++first) {
        if (used[first]) continue;
        Chain ring;
        std::size_t cur = first;
        used[cur] = true;
        for (std::size_t guard = 0; guard <= cut.size(); ++guard) {
            ring.insert(ring.end(), cut[cur].begin(), cut[cur].end());
            const double s = EdgeParameter(cut[cur].back());
            std::size_t next = first;
            double best = 5.0;
            for (std::size_t k = 0; k < cut.size(); ++k) {
                if (used[k] && k != first) continue;
                double d = EdgeParameter(cut[k].front()) - s;
                if (d < 0) d += 4.0;
                if (d < best) {
                    best = d;
                    next = k;
                }
            }
            WalkRound(cut[cur].back(), cut[next].front(), outward, &ring);
            if (next == first) break;
            used[next] = true;
            cur = next;
        }
        ring.push_back(ring.front());
        rings.push_back(std::move(ring));
    }
    return rings;
}

std::vector<Vec2> Project(const Chain& c) {
    std::vector<Vec2> out;
    out.reserve(c.size());
    for (const Geo& g : c)
        out.push_back(ToWorld(g.lat, g.lon));
    return out;
}

}  // namespace

int ReadOutlines(const std::string& dataDir, Outlines* out, std::string* error) {
    const std::string dir = dataDir + "/outlines-us/";
    std::vector<Chain> coast, lakes, rivers;
    if (!ReadPolylines(dir + "coast_intermediate.txt", &coast, error) ||
        !ReadPolylines(dir + "lakes.txt", &lakes, error) ||
        !ReadPolylines(dir + "major_rivers.txt", &rivers, error)) {
        return 0;
    }
    for (const Chain& ring : CloseRings(Join(std::move(coast)), kOutward))
        out->land.push_back(Project(ring));
    // Lakes keep water on their right: turned round, they fill like land. What lies beyond
    // the box is not known to be lake, so lakes cut by it end at its edge.
    for (Chain& c : lakes)
        std::reverse(c.begin(), c.end());
    for (const Chain& ring : CloseRings(Join(std::move(lakes)), 0.0))
        out->lakes.push_back(Project(ring));
    out->lakeFeet.assign(out->lakes.size(), 0.0);
    for (const Chain& r : rivers)
        out->rivers.push_back(Project(r));
    if (out->land.empty()) {
        *error = "no coast outlines in " + dir;
        return 0;
    }
    return 1;
}

// ---- one tile's water -----------------------------------------------------------------------

namespace {

struct Crossing {
    int row;
    double x;
    int dir;
    bool operator<(const Crossing& o) const { return row != o.row ? row < o.row : x < o.x; }
};

// Calls mark(row, firstColumn, lastColumn) for every run of cells whose centres lie inside the
// rings (nonzero winding, counter-clockwise rings positive).
template <typename Mark>
void FillRings(const std::vector<const std::vector<Vec2>*>& rings, double ox, double oy,
               double cell, int n, Mark&& mark) {
    std::vector<Crossing> crossings;
    const double right = ox + n * cell;
    for (const std::vector<Vec2>* ring : rings) {
        const std::vector<Vec2>& r = *ring;
        for (std::size_t k = 0; k + 1 < r.size(); ++k) {
            const Vec2 a = r[k], b = r[k + 1];
            if (a.y == b.y || std::min(a.x, b.x) >= right) continue;
            const double lo = std::min(a.y, b.y), hi = std::max(a.y, b.y);
            int j0 = static_cast<int>(std::ceil((lo - oy) / cell - 0.5));
            int j1 = static_cast<int>(std::ceil((hi - oy) / cell - 0.5)) - 1;
            j0 = std::max(j0, 0);
            j1 = std::min(j1, n - 1);
            for (int j = j0; j <= j1; ++j) {
                const double yc = oy + (j + 0.5) * cell;
                const double x = a.x + (yc - a.y) * (b.x - a.x) / (b.y - a.y);
                // Counted from the left: a counter-clockwise ring's left side runs downward.
                crossings.push_back({j, x, b.y < a.y ? 1 : -1});
            }
        }
    }
    std::sort(crossings.begin(), crossings.end());
    std::size_t k = 0;
    while (k < crossings.size()) {
        const int row = crossings[k].row;
        int winding = 0;
        for (; k < crossings.size() && crossings[k].row == row; ++k) {
            winding += crossings[k].dir;
            if (winding <= 0) continue;
            // Cells whose centres lie between this crossing and the next (crossings beyond the
            // window's right edge were left out: the last one reaches to the edge).
            const bool last = k + 1 >= crossings.size() || crossings[k + 1].row != row;
            const double x0 = crossings[k].x, x1 = last ? right : crossings[k + 1].x;
            const int i0 = std::max(0, static_cast<int>(std::ceil((x0 - ox) / cell - 0.5)));
            const int i1 = std::min(n - 1, static_cast<int>(std::ceil((x1 - ox) / cell - 0.5)) - 1);
            if (i0 <= i1) mark(row, i0, i1);
        }
    }
}

bool Overlaps(const std::vector<Vec2>& r, double x0, double y0, double x1, double y1) {
    double a = 1e300, b = -1e300, c = 1e300, d = -1e300;
    for (const Vec2& p : r) {
        a = std::min(a, p.x);
        b = std::max(b, p.x);
        c = std::min(c, p.y);
        d = std::max(d, p.y);
    }
    return b >= x0 && a <= x1 && d >= y0 && c <= y1;
}

}  // namespace

TileWater::TileWater(const Outlines& o, int column, int row) {
    n = static_cast<int>(kTileUnits / kCell) + 2 * kMargin;
    ox = column * kTileUnits - kMargin * kCell;
    oy = row * kTileUnits - kMargin * kCell;
    const std::size_t cells = static_cast<std::size_t>(n) * n;
    cls.assign(cells, kSea);
    lake.assign(cells, -1);
    const double x1 = ox + n * kCell, y1 = oy + n * kCell;
    std::vector<const std::vector<Vec2>*> land;
    for (const auto& r : o.land)
        if (Overlaps(r, -1e300, oy, 1e300, y1)) land.push_back(&r);
    FillRings(land, ox, oy, kCell, n, [&](int j, int i0, int i1) {
        std::fill(cls.begin() + static_cast<std::ptrdiff_t>(j) * n + i0,
                  cls.begin() + static_cast<std::ptrdiff_t>(j) * n + i1 + 1, kLand);
    });
    for (std::size_t l = 0; l < o.lakes.size(); ++l) {
        if (!Overlaps(o.lakes[l], ox, oy, x1, y1)) continue;
        FillRings({&o.lakes[l]}, ox, oy, kCell, n, [&](int j, int i0, int i1) {
            for (int i = i0; i <= i1; ++i) {
                const std::size_t k = static_cast<std::size_t>(j) * n + i;
                if (cls[k] == kLand) {
                    cls[k] = kLake;
                    lake[k] = static_cast<std::int32_t>(l);
                }
            }
        });
    }
    for (const auto& r : o.rivers) {
        if (!Overlaps(r, ox - kCell, oy - kCell, x1 + kCell, y1 + kCell)) continue;
        for (std::size_t k = 0; k + 1 < r.size(); ++k) {
            const double len = std::hypot(r[k + 1].x - r[k].x, r[k + 1].y - r[k].y);
            const int steps = static_cast<int>(len / (kCell / 4)) + 1;
            for (int s = 0; s <= steps; ++s) {
                const double x = r[k].x + (r[k + 1].x - r[k].x) * s / steps;
                const double y = r[k].y + (r[k + 1].y - r[k].y) * s / steps;
                const int i = static_cast<int>(std::floor((x - ox) / kCell));
                const int j = static_cast<int>(std::floor((y - oy) / kCell));
                if (i < 0 || i >= n || j < 0 || j >= n) continue;
                std::uint8_t& c = cls[static_cast<std::size_t>(j) * n + i];
                if (c == kLand) c = kRiver;
            }
        }
    }
    // Distance to the nearest water cell: two chamfer passes (3 along, 4 across), in thirds of
    // a cell, remembering which cell is nearest. The arrays carry a border of far cells, so the
    // passes need no bounds tests.
    const std::int32_t far = 1 << 28;
    const int w = n + 2;
    std::vector<std::int32_t> d(static_cast<std::size_t>(w) * w, far);
    std::vector<std::int32_t> src(static_cast<std::size_t>(w) * w, -1);
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            const std::size_t k = static_cast<std::size_t>(j) * n + i;
            if (cls[k] == kLand) continue;
            const std::size_t q = static_cast<std::size_t>(j + 1) * w + i + 1;
            d[q] = 0;
            src[q] = static_cast<std::int32_t>(k);
        }
    auto relax = [&](std::size_t to, std::size_t from, std::int32_t step) {
        if (d[from] + step < d[to]) {
            d[to] = d[from] + step;
            src[to] = src[from];
        }
    };
    for (int j = 1; j <= n; ++j)
        for (int i = 1; i <= n; ++i) {
            const std::size_t q = static_cast<std::size_t>(j) * w + i;
            relax(q, q - 1, 3);
            relax(q, q - w, 3);
            relax(q, q - w - 1, 4);
            relax(q, q - w + 1, 4);
        }
    for (int j = n; j >= 1; --j)
        for (int i = n; i >= 1; --i) {
            const std::size_t q = static_cast<std::size_t>(j) * w + i;
            relax(q, q + 1, 3);
            relax(q, q + w, 3);
            relax(q, q + w + 1, 4);
            relax(q, q + w - 1, 4);
        }
    dist.resize(cells);
    source.resize(cells);
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            const std::size_t k = static_cast<std::size_t>(j) * n + i;
            const std::size_t q = static_cast<std::size_t>(j + 1) * w + i + 1;
            dist[k] = d[q] >= far ? 1e9f : static_cast<float>(d[q] * kCell / 3.0);
            source[k] = src[q];
        }
    waterSum.assign(static_cast<std::size_t>(n + 1) * (n + 1), 0);
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            const std::size_t k = static_cast<std::size_t>(j) * n + i;
            waterSum[static_cast<std::size_t>(j + 1) * (n + 1) + i + 1] =
                (cls[k] != kLand ? 1u : 0u) + waterSum[static_cast<std::size_t>(j) * (n + 1) + i + 1] +
                waterSum[static_cast<std::size_t>(j + 1) * (n + 1) + i] -
                waterSum[static_cast<std::size_t>(j) * (n + 1) + i];
        }
    lakeLevels = o.lakeFeet;
}

int TileWater::Index(double x, double y) const {
    const int i = std::clamp(static_cast<int>(std::floor((x - ox) / kCell)), 0, n - 1);
    const int j = std::clamp(static_cast<int>(std::floor((y - oy) / kCell)), 0, n - 1);
    return j * n + i;
}

WaterClass TileWater::ClassAt(double x, double y) const {
    return static_cast<WaterClass>(cls[static_cast<std::size_t>(Index(x, y))]);
}

double TileWater::LevelAt(double x, double y) const {
    const std::size_t k = static_cast<std::size_t>(Index(x, y));
    if (cls[k] == kLake && lake[k] >= 0) return lakeLevels[static_cast<std::size_t>(lake[k])];
    return 0.0;
}

void TileWater::NearestWater(double x, double y, double* distance, WaterClass* kind,
                             double* level) const {
    // The distance is read between cell centres, so the shore's slopes have no steps.
    const double fx = (x - ox) / kCell - 0.5, fy = (y - oy) / kCell - 0.5;
    const int i = std::clamp(static_cast<int>(std::floor(fx)), 0, n - 2);
    const int j = std::clamp(static_cast<int>(std::floor(fy)), 0, n - 2);
    const double u = std::clamp(fx - i, 0.0, 1.0), v = std::clamp(fy - j, 0.0, 1.0);
    auto at = [&](int a, int b) { return static_cast<double>(dist[static_cast<std::size_t>(b) * n + a]); };
    *distance = (at(i, j) * (1 - u) + at(i + 1, j) * u) * (1 - v) +
                (at(i, j + 1) * (1 - u) + at(i + 1, j + 1) * u) * v;
    const std::int32_t s = source[static_cast<std::size_t>(Index(x, y))];
    if (s < 0) {
        *kind = kLand;
        *level = 0.0;
        return;
    }
    *kind = static_cast<WaterClass>(cls[static_cast<std::size_t>(s)]);
    *level = *kind == kLake && lake[static_cast<std::size_t>(s)] >= 0
                 ? lakeLevels[static_cast<std::size_t>(lake[static_cast<std::size_t>(s)])]
                 : 0.0;
}

bool TileWater::IsMixed(double x0, double y0, double x1, double y1) const {
    const int i0 = std::clamp(static_cast<int>(std::floor((x0 - ox) / kCell)), 0, n - 1);
    const int j0 = std::clamp(static_cast<int>(std::floor((y0 - oy) / kCell)), 0, n - 1);
    const int i1 = std::clamp(static_cast<int>(std::ceil((x1 - ox) / kCell)) - 1, i0, n - 1);
    const int j1 = std::clamp(static_cast<int>(std::ceil((y1 - oy) / kCell)) - 1, j0, n - 1);
    auto sum = [&](int i, int j) { return waterSum[static_cast<std::size_t>(j) * (n + 1) + i]; };
    const std::uint32_t water = sum(i1 + 1, j1 + 1) - sum(i0, j1 + 1) - sum(i1 + 1, j0) + sum(i0, j0);
    const auto total = static_cast<std::uint32_t>((i1 - i0 + 1) * (j1 - j0 + 1));
    return water > 0 && water < total;
}

}  // namespace mkdata::terrain
