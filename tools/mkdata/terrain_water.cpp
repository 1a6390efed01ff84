// Sea, lakes and rivers. The outlines come as pieces cut at the bins of their source, land on
// the left of the direction of travel (lakes keep water on their right): the pieces are joined
// end to end into chains, and chains cut by the edge of the outlines' box are closed by going
// straight out from the box and round it, so land that reaches the box's edge goes on beyond it.
// Each tile then fills the rings into a raster of 1024-unit cells (with a margin, so tiles agree
// at their edges) and measures every cell's distance to the nearest sea or lake and to the
// nearest river. A lake lies at its published level; where several levels are published for
// one lake (the upper Great Lakes are one outline), each holds the part nearest to it.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
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
constexpr double kShoreSpacing = 1500.0 / kMetresPerUnit;  // between shore samples
// A shore sample counts a tenth of a station: as much shore as one sample every 15 km.
constexpr double kShoreWeight = 0.1;

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

// Calls f at points `spacing` apart along a polyline, its first point first.
template <typename F>
void AlongChain(const std::vector<Vec2>& line, double spacing, F&& f) {
    double left = 0.0;  // how far along the current segment the next point lies
    for (std::size_t k = 0; k + 1 < line.size(); ++k) {
        const Vec2 a = line[k], b = line[k + 1];
        const double len = std::hypot(b.x - a.x, b.y - a.y);
        for (; left <= len; left += spacing) {
            const double t = len > 0.0 ? left / len : 0.0;
            f(Vec2{a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t});
        }
        left -= len;
    }
}

// The ring's winding round a point, counted as the tiles fill rings: positive inside a ring
// with its inside on the left.
int Winding(const std::vector<Vec2>& r, Vec2 p) {
    int winding = 0;
    for (std::size_t k = 0; k + 1 < r.size(); ++k) {
        const Vec2 a = r[k], b = r[k + 1];
        if (a.y == b.y || p.y < std::min(a.y, b.y) || p.y >= std::max(a.y, b.y)) continue;
        if (a.x + (p.y - a.y) * (b.x - a.x) / (b.y - a.y) < p.x) winding += b.y < a.y ? 1 : -1;
    }
    return winding;
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
    std::vector<Chain> chains = Join(std::move(coast));
    for (const Chain& c : chains) {
        // The coast itself, in pieces between the stretches where the box cuts it.
        std::vector<Vec2> piece;
        auto sample = [&] {
            AlongChain(piece, kShoreSpacing, [&](Vec2 p) { out->coast.push_back(p); });
            piece.clear();
        };
        for (std::size_t k = 0; k < c.size(); ++k) {
            if (k > 0 && OnBoxEdge(c[k - 1]) && OnBoxEdge(c[k])) sample();
            piece.push_back(ToWorld(c[k].lat, c[k].lon));
        }
        sample();
    }
    for (const Chain& ring : CloseRings(std::move(chains), kOutward))
        out->land.push_back(Project(ring));
    // Lakes keep water on their right: turned round, they fill like land. What lies beyond
    // the box is not known to be lake, so lakes cut by it end at its edge.
    for (Chain& c : lakes)
        std::reverse(c.begin(), c.end());
    for (const Chain& ring : CloseRings(Join(std::move(lakes)), 0.0))
        out->lakes.push_back(Project(ring));
    out->lakeLevels.assign(out->lakes.size(), {});
    out->lakePublished.assign(out->lakes.size(), 0);
    for (const Chain& r : rivers)
        out->rivers.push_back(Project(r));
    if (out->land.empty()) {
        *error = "no coast outlines in " + dir;
        return 0;
    }
    return 1;
}

int PlaceLakeLevels(const std::vector<PublishedLevel>& levels, Outlines* o, std::string* error) {
    std::vector<std::array<double, 4>> boxes;
    for (const auto& r : o->lakes) {
        std::array<double, 4> b{1e300, 1e300, -1e300, -1e300};
        for (const Vec2& p : r)
            b = {std::min(b[0], p.x), std::min(b[1], p.y), std::max(b[2], p.x),
                 std::max(b[3], p.y)};
        boxes.push_back(b);
    }
    for (const PublishedLevel& level : levels) {
        const Vec2 p = level.at;
        std::size_t found = o->lakes.size();
        for (std::size_t l = 0; l < o->lakes.size() && found == o->lakes.size(); ++l) {
            const auto& b = boxes[l];
            if (p.x >= b[0] && p.x <= b[2] && p.y >= b[1] && p.y <= b[3] &&
                Winding(o->lakes[l], p) > 0)
                found = l;
        }
        if (found == o->lakes.size()) {
            double lat = 0, lon = 0;
            ToGeo(p, &lat, &lon);
            char where[64];
            std::snprintf(where, sizeof where, " (%.4f, %.4f)", lat, lon);
            *error = "the level of " + level.name + where + " lies in no lake of the outlines";
            return 0;
        }
        if (!o->lakePublished[found]) o->lakeLevels[found].clear();
        o->lakePublished[found] = 1;
        o->lakeLevels[found].push_back(ElevationPoint{p, level.feet});
    }
    return 1;
}

double LakeLevelAt(const Outlines& o, std::size_t lake, Vec2 p) {
    const auto& levels = o.lakeLevels[lake];
    double best = 1e300, feet = 0.0;
    for (const ElevationPoint& e : levels) {
        const double d = (e.at.x - p.x) * (e.at.x - p.x) + (e.at.y - p.y) * (e.at.y - p.y);
        if (d < best) {
            best = d;
            feet = e.feet;
        }
    }
    return feet;
}

std::vector<ElevationPoint> ShoreSamples(const Outlines& o) {
    std::vector<ElevationPoint> out;
    for (const Vec2& p : o.coast)
        out.push_back(ElevationPoint{p, 0.0, kShoreWeight});
    for (std::size_t l = 0; l < o.lakes.size(); ++l) {
        if (!o.lakePublished[l]) continue;
        AlongChain(o.lakes[l], kShoreSpacing, [&](Vec2 p) {
            out.push_back(ElevationPoint{p, LakeLevelAt(o, l, p), kShoreWeight});
        });
    }
    return out;
}

void EstimateLakeLevels(const ElevationField& field, Outlines* o) {
    for (std::size_t l = 0; l < o->lakes.size(); ++l) {
        if (o->lakePublished[l]) continue;
        std::vector<double> shore;
        for (const Vec2& p : o->lakes[l])
            shore.push_back(field.Base(p.x, p.y));
        std::sort(shore.begin(), shore.end());
        const Vec2 at = o->lakes[l].empty() ? Vec2{} : o->lakes[l].front();
        o->lakeLevels[l] = {
            ElevationPoint{at, shore.empty() ? 0.0 : std::round(shore[shore.size() / 4])}};
    }
}

WaterIndex::WaterIndex(const Outlines& o) {
    double lo = 1e300, hi = -1e300;
    for (const auto* lines : {&o.land, &o.lakes, &o.rivers})
        for (const auto& r : *lines)
            for (const Vec2& p : r) {
                lo = std::min(lo, p.y);
                hi = std::max(hi, p.y);
            }
    band = 16384.0;
    y0 = lo - 2 * band;
    bands.resize(static_cast<std::size_t>((hi - y0) / band) + 3);
    auto add = [&](const std::vector<Vec2>& r, Kind kind) {
        for (std::size_t k = 0; k + 1 < r.size(); ++k) {
            const Vec2 a = r[k], b = r[k + 1];
            // Each edge is filed a band beyond its ends, for distances up to a band.
            const auto j0 = static_cast<std::size_t>((std::min(a.y, b.y) - band - y0) / band);
            const auto j1 = static_cast<std::size_t>((std::max(a.y, b.y) + band - y0) / band);
            for (std::size_t j = j0; j <= j1 && j < bands.size(); ++j)
                bands[j].push_back(Edge{a, b, kind});
        }
    };
    for (const auto& r : o.land)
        add(r, kCoast);
    for (const auto& r : o.lakes)
        add(r, kLakeShore);
    for (const auto& r : o.rivers)
        add(r, kRiverBank);
}

const std::vector<WaterIndex::Edge>* WaterIndex::Band(double y) const {
    if (y < y0 || y >= y0 + band * static_cast<double>(bands.size())) return nullptr;
    return &bands[static_cast<std::size_t>((y - y0) / band)];
}

bool WaterIndex::InWater(Vec2 p) const {
    const std::vector<Edge>* edges = Band(p.y);
    if (edges == nullptr) return true;
    int land = 0, lake = 0;
    for (const Edge& e : *edges) {
        if (e.kind == kRiverBank || e.a.y == e.b.y || p.y < std::min(e.a.y, e.b.y) ||
            p.y >= std::max(e.a.y, e.b.y)) {
            continue;
        }
        if (e.a.x + (p.y - e.a.y) * (e.b.x - e.a.x) / (e.b.y - e.a.y) >= p.x) continue;
        (e.kind == kLakeShore ? lake : land) += e.b.y < e.a.y ? 1 : -1;
    }
    return land <= 0 || lake > 0;
}

bool WaterIndex::NearWater(Vec2 p, double distance) const {
    const std::vector<Edge>* edges = Band(p.y);
    if (edges == nullptr) return false;
    for (const Edge& e : *edges) {
        const double dx = e.b.x - e.a.x, dy = e.b.y - e.a.y, len2 = dx * dx + dy * dy;
        const double t =
            len2 > 0.0 ? std::clamp(((p.x - e.a.x) * dx + (p.y - e.a.y) * dy) / len2, 0.0, 1.0)
                       : 0.0;
        if (std::hypot(p.x - e.a.x - t * dx, p.y - e.a.y - t * dy) < distance) return true;
    }
    return false;
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

namespace {

// Distances (units) from every cell to the nearest of the cells `from` marks: two chamfer passes
// (3 along, 4 across), in thirds of a cell, remembering which cell is nearest when `nearest` is
// given. The arrays carry a border of far cells, so the passes need no bounds tests.
template <typename IsSource>
void Chamfer(int n, double cell, IsSource&& from, std::vector<float>* distance,
             std::vector<std::int32_t>* nearest) {
    const std::int32_t far = 1 << 28;
    const int w = n + 2;
    std::vector<std::int32_t> d(static_cast<std::size_t>(w) * w, far);
    std::vector<std::int32_t> src(nearest != nullptr ? static_cast<std::size_t>(w) * w : 0, -1);
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            const std::size_t k = static_cast<std::size_t>(j) * n + i;
            if (!from(k)) continue;
            const std::size_t q = static_cast<std::size_t>(j + 1) * w + i + 1;
            d[q] = 0;
            if (nearest != nullptr) src[q] = static_cast<std::int32_t>(k);
        }
    auto relax = [&](std::size_t to, std::size_t other, std::int32_t step) {
        if (d[other] + step < d[to]) {
            d[to] = d[other] + step;
            if (nearest != nullptr) src[to] = src[other];
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
    const std::size_t cells = static_cast<std::size_t>(n) * n;
    distance->resize(cells);
    if (nearest != nullptr) nearest->resize(cells);
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            const std::size_t k = static_cast<std::size_t>(j) * n + i;
            const std::size_t q = static_cast<std::size_t>(j + 1) * w + i + 1;
            (*distance)[k] = d[q] >= far ? 1e9f : static_cast<float>(d[q] * cell / 3.0);
            if (nearest != nullptr) (*nearest)[k] = src[q];
        }
}

}  // namespace

TileWater::TileWater(const Outlines& o, int column, int row) {
    n = static_cast<int>(kTileUnits / kCell) + 2 * kMargin;
    ox = column * kTileUnits - kMargin * kCell;
    oy = row * kTileUnits - kMargin * kCell;
    const std::size_t cells = static_cast<std::size_t>(n) * n;
    cls.assign(cells, kSea);
    level.assign(cells, -1);
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
        const auto first = static_cast<std::int32_t>(levels.size());
        for (const ElevationPoint& e : o.lakeLevels[l])
            levels.push_back(e.feet);
        const auto count = static_cast<std::int32_t>(levels.size()) - first;
        FillRings({&o.lakes[l]}, ox, oy, kCell, n, [&](int j, int i0, int i1) {
            for (int i = i0; i <= i1; ++i) {
                const std::size_t k = static_cast<std::size_t>(j) * n + i;
                if (cls[k] != kLand) continue;
                cls[k] = kLake;
                std::int32_t at = first;
                if (count > 1) {
                    // The part of the lake nearest to each published level takes that level.
                    const Vec2 c{ox + (i + 0.5) * kCell, oy + (j + 0.5) * kCell};
                    double best = 1e300;
                    for (std::int32_t e = 0; e < count; ++e) {
                        const Vec2 p = o.lakeLevels[l][static_cast<std::size_t>(e)].at;
                        const double d = (p.x - c.x) * (p.x - c.x) + (p.y - c.y) * (p.y - c.y);
                        if (d < best) {
                            best = d;
                            at = first + e;
                        }
                    }
                }
                level[k] = at;
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
    Chamfer(
        n, kCell, [&](std::size_t k) { return cls[k] == kSea || cls[k] == kLake; }, &shoreDistance,
        &shore);
    Chamfer(
        n, kCell, [&](std::size_t k) { return cls[k] == kRiver; }, &riverDistance, nullptr);
    waterSum.assign(static_cast<std::size_t>(n + 1) * (n + 1), 0);
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            const std::size_t k = static_cast<std::size_t>(j) * n + i;
            waterSum[static_cast<std::size_t>(j + 1) * (n + 1) + i + 1] =
                (cls[k] != kLand ? 1u : 0u) + waterSum[static_cast<std::size_t>(j) * (n + 1) + i + 1] +
                waterSum[static_cast<std::size_t>(j + 1) * (n + 1) + i] -
                waterSum[static_cast<std::size_t>(j) * (n + 1) + i];
        }
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
    const std::int32_t at = level[static_cast<std::size_t>(Index(x, y))];
    return at >= 0 ? levels[static_cast<std::size_t>(at)] : 0.0;
}

// A distance field read between cell centres, so the slopes it shapes have no steps.
double TileWater::Between(const std::vector<float>& field, double x, double y) const {
    const double fx = (x - ox) / kCell - 0.5, fy = (y - oy) / kCell - 0.5;
    const int i = std::clamp(static_cast<int>(std::floor(fx)), 0, n - 2);
    const int j = std::clamp(static_cast<int>(std::floor(fy)), 0, n - 2);
    const double u = std::clamp(fx - i, 0.0, 1.0), v = std::clamp(fy - j, 0.0, 1.0);
    auto at = [&](int a, int b) {
        return static_cast<double>(field[static_cast<std::size_t>(b) * n + a]);
    };
    return (at(i, j) * (1 - u) + at(i + 1, j) * u) * (1 - v) +
           (at(i, j + 1) * (1 - u) + at(i + 1, j + 1) * u) * v;
}

void TileWater::NearestShore(double x, double y, double* distance, double* feet) const {
    *distance = Between(shoreDistance, x, y);
    const std::int32_t s = shore[static_cast<std::size_t>(Index(x, y))];
    const std::int32_t at = s >= 0 ? level[static_cast<std::size_t>(s)] : -1;
    *feet = at >= 0 ? levels[static_cast<std::size_t>(at)] : 0.0;
}

double TileWater::RiverDistance(double x, double y) const {
    return Between(riverDistance, x, y);
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
