#include "world/terrain_renderer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "gfx/palette.h"
#include "gfx/raster/span_state.h"
#include "gfx/surface.h"
#include "platform/file_system.h"
#include "ts/light_set.h"
#include "ts/part_tree.h"
#include "world/sky.h"
#include "world/terrain_manager.h"
#include "world/terrain_materials.h"

namespace world {

namespace {

constexpr std::size_t kTableBits = 17;
constexpr std::uint8_t kDefaultGround = 88;  // the world palette's ground colour

std::uint64_t VertexKey(std::int32_t level, std::int32_t gx, std::int32_t gy) {
    const auto x =
        static_cast<std::uint64_t>(static_cast<std::int64_t>(gx) + (1 << 28)) & 0x1FFFFFFFu;
    const auto y =
        static_cast<std::uint64_t>(static_cast<std::int64_t>(gy) + (1 << 28)) & 0x1FFFFFFFu;
    return (static_cast<std::uint64_t>(level & 31) << 58) | (x << 29) | y;
}

// The order of n cells starting at `base` by falling distance from the eye's cell `eye`.
int FarFirst(std::int32_t base, int n, std::int32_t eye, int* out) {
    int k = 0;
    int lo = 0, hi = n - 1;
    while (lo <= hi) {
        const std::int64_t dl = std::llabs(static_cast<std::int64_t>(base) + lo - eye);
        const std::int64_t dh = std::llabs(static_cast<std::int64_t>(base) + hi - eye);
        out[k++] = dl >= dh ? lo++ : hi--;
    }
    return k;
}

std::int32_t Shifted(std::int32_t c, std::uint32_t shift) {
    return static_cast<std::int32_t>(static_cast<std::int64_t>(c) * (std::int64_t{1} << shift));
}

// The nearest whole level to v (halves up), held to 0 .. levels. Below 1 after the half is
// added, not a number, or beyond any int, the level is 0, as the processor's conversion of the
// floor (the lowest int, clamped) makes it.
// Selections, not branches: the levels of neighbouring corners follow no pattern.
int RoundedLevel(float v, int levels) {
    float x = v + 0.5f;
    x = x > 0.0f ? x : 0.0f;
    x = x < 2147483648.0f ? x : 0.0f;
    const auto top = static_cast<float>(levels);
    return static_cast<int>(x < top ? x : top);  // not negative: the truncation is the floor
}

// The nearest whole number to x, halves away from zero, as std::llround makes it, without the
// library's call (the truncation and the remainder are exact below 2^52).
std::int64_t RoundHalfAway(double x) {
    const auto whole = static_cast<std::int64_t>(x);
    const double rest = x - static_cast<double>(whole);
    return whole + (rest >= 0.5 ? 1 : 0) - (rest <= -0.5 ? 1 : 0);
}

// Whether a vertex comes before another in the order a side's cuts are worked out from.
bool Before(const TerrainVertex& a, const TerrainVertex& b) {
    return a.gx < b.gx || (a.gx == b.gx && a.gy < b.gy);
}

// The terrain's screen points are in 1 / 256 pixel: a point where a haze border crosses a side
// lies on the side's very line, and the rasterizer cuts every polygon at the screen's edges to
// the same precision, so that neighbours meet pixel for pixel there too.
constexpr int kSubPixelShift = 8;
constexpr double kSubPixelScale = 1 << kSubPixelShift;

// An eye point's screen point in the terrain's sub-pixels (the camera's centre in its own
// units, 1 / cameraScale pixel), worked out from the eye point rather than from the camera's
// whole pixels: near the horizon a nearer point may lie less than a pixel below a farther one,
// and rounded to whole pixels the two could change places. Only points within the guard band
// are converted, so the result is far inside 32 bits.
gfx::GFXScreenPoint ScreenOf(const ts::Vector3F& e, double cx, double cy, float cameraScale) {
    const double k = kSubPixelScale / static_cast<double>(cameraScale);
    const double inverse = 1.0 / static_cast<double>(e.y);
    gfx::GFXScreenPoint p;
    p.x = static_cast<std::int32_t>(RoundHalfAway((e.x * inverse + cx) * k));
    p.y = static_cast<std::int32_t>(RoundHalfAway((cy - e.z * inverse) * k));
    p.z = ts::FloatToInt(e.y);
    p.w = 1.0f / e.y;
    return p;
}

// The guard band: 16,384 pixels either side of the screen's centre, across and up. A corner
// beyond it (a corner of a coarse cell far to the side just in front of the near plane) has
// a screen point past what 32 bits hold, and one clamped there would bend the edges that meet
// at it: polygons with such a corner are cut at the band's edges in eye space instead, where
// the cut changes nothing that lies on the screen.
constexpr float kGuardPixels = 16384.0f;

// An eye point's distances inside the guard band's four planes and the near plane (negative
// outside); the eye points are the camera's screen space before the division, so each guard
// plane is a side of the band times the depth. `guard` is the band in the camera's units.
struct ClipDistances {
    float d[5];
};
ClipDistances Distances(const ts::Vector3F& e, float guard, float nearY) {
    const float g = guard * e.y;
    return ClipDistances{{e.y - nearY, g + e.x, g - e.x, g + e.z, g - e.z}};
}
bool BeyondGuard(const ts::Vector3F& e, float guard) {
    const ClipDistances c = Distances(e, guard, 0.0f);
    return c.d[1] < 0.0f || c.d[2] < 0.0f || c.d[3] < 0.0f || c.d[4] < 0.0f;
}

float CornerHeight(const TerrainCellPyramid* block, TerrainCellView cell, int corner) {
    std::uint8_t index = cell.Height(corner);
    if (index == kNoHeightIndex) index = cell.MaxIndex();
    if (index == kNoHeightIndex || block->heights == nullptr) return 0.0f;
    const std::int32_t h = block->heights[index];
    return h == kTerrainNoData ? 0.0f : static_cast<float>(h);
}

}  // namespace

// ---- the view area --------------------------------------------------------------------------

TerrainViewArea::TerrainViewArea() {
    const std::int32_t initial[3] = {25000, 55000, 70000};
    SetBands(initial, 3);
    for (TerrainLevelView& l : levels) {
        l.rowFirst.reserve(1024);
        l.rowLast.reserve(1024);
    }
}

void TerrainViewArea::SetBands(const std::int32_t* bounds, int count) {
    std::int32_t lower = 0;
    for (int l = 0; l < kTerrainViewLevels; ++l) {
        TerrainLevelView& v = levels[static_cast<std::size_t>(l)];
        if (l < count) {
            v.lower = lower;
            v.upper = bounds[l];
            lower = bounds[l];
        } else if (l == count) {
            v.lower = lower;
            v.upper = kUnusedBand;
        } else {
            v.lower = v.upper = kUnusedBand;
        }
    }
}

void TerrainViewArea::SetSecondDistances(const std::int32_t* distances, int count) {
    for (int l = 0; l < kTerrainViewLevels; ++l)
        levels[static_cast<std::size_t>(l)].second = l < count ? distances[l] : kUnusedBand;
}

void TerrainViewArea::SetRange(std::int32_t r) {
    range = std::max(r, 1);
    hazeNear = range / 4;
    hazeFar = range;
    hazeScale = 65535.0f / static_cast<float>(std::max(1, hazeFar - hazeNear));
    words[0] = 3;
    words[1] = 0;
    words[2] = range;
}

bool TerrainViewArea::IsVisible(int level, std::int32_t cx, std::int32_t cy) const {
    if (level < 0 || level >= kTerrainViewLevels) return false;
    const TerrainLevelView& v = levels[static_cast<std::size_t>(level)];
    if (cy < v.firstRow || cy > v.lastRow) return false;
    const auto row = static_cast<std::size_t>(cy - v.firstRow);
    return cx >= v.rowFirst[row] && cx <= v.rowLast[row];
}

// ---- the sorter and vertex cache ------------------------------------------------------------

// The size a table starts at: 4,096 slots (64 KB).
constexpr std::size_t kFirstTableBits = 12;

void TerrainKeyTable::Resize(std::size_t most) {
    maxBits = most;
    SetBits(std::min(kFirstTableBits, most));
    stamp = 1;
    used = 0;
}

void TerrainKeyTable::SetBits(std::size_t n) {
    bits = n;
    slots.assign(std::size_t{1} << n, Slot{});
    shift = static_cast<std::uint32_t>(64 - n);
}

void TerrainKeyTable::Grow() {
    std::vector<Slot> live;
    live.reserve(used);
    for (const Slot& s : slots)
        if (s.stamp == stamp) live.push_back(s);
    SetBits(bits + 1);
    for (const Slot& s : live)
        slots[Find(s.key)] = s;
}

void TerrainKeyTable::Clear() {
    // A new stamp empties the table without touching it.
    if (++stamp == 0) {
        for (Slot& s : slots)
            s.stamp = 0;
        stamp = 1;
    }
    used = 0;
}

std::size_t TerrainKeyTable::Find(std::uint64_t key) const {
    const std::size_t mask = slots.size() - 1;
    // Every bit of both coordinates and the level reaches the slot's index: keys on a regular
    // grid would otherwise crowd into a few runs of slots, and the probes grow long.
    std::size_t i =
        static_cast<std::size_t>(((key ^ (key >> 29)) * 0x9E3779B97F4A7C15ull) >> shift);
    for (std::size_t probe = 0; probe < slots.size(); ++probe, i = (i + 1) & mask)
        if (slots[i].stamp != stamp || slots[i].key == key) return i;
    return slots.size();
}

std::int32_t TerrainKeyTable::Get(std::uint64_t key) const {
    const std::size_t i = Find(key);
    return i < slots.size() && slots[i].stamp == stamp ? slots[i].value : -1;
}

bool TerrainKeyTable::Put(std::uint64_t key, std::int32_t value, std::int32_t* existing) {
    const std::size_t i = Find(key);
    if (i >= slots.size()) return false;
    if (slots[i].stamp == stamp) {
        *existing = slots[i].value;
        return false;
    }
    // Kept at most half full, so lookups stay short; a frame never comes near the largest.
    if (used * 2 >= slots.size()) {
        if (bits >= maxBits) return false;
        Grow();
        return Put(key, value, existing);
    }
    slots[i] = Slot{key, stamp, value};
    ++used;
    return true;
}

// A frame's vertices are limited to half the largest point table.
constexpr std::size_t kMostVertices = std::size_t{1} << (kTableBits - 1);

// 2^17 bits (16 KB): a frame's points set about one in ten.
constexpr std::size_t kPointBits = 17;

TerrainRenderItemSorter::TerrainRenderItemSorter() {
    pointTable.Resize(kTableBits);
    pointBits.assign(std::size_t{1} << (kPointBits - 6), 0);
    cellTable.Resize(kTableBits - 2);
    vertices.reserve(32768);
    beside.reserve(32768);
    points.reserve(32768);
    pointCells.reserve(32768);
    items.reserve(1000);
}

void TerrainRenderItemSorter::Reset() {
    vertices.clear();
    beside.clear();
    points.clear();
    pointCells.clear();
    std::fill(pointBits.begin(), pointBits.end(), 0);
    recent.fill(RecentPoint{});
    items.clear();
    pointTable.Clear();
    cellTable.Clear();
}

std::uint64_t TerrainRenderItemSorter::PointKey(std::int32_t gx, std::int32_t gy) {
    return VertexKey(0, gx, gy);
}

std::size_t TerrainRenderItemSorter::PointBit(std::uint64_t key) {
    return static_cast<std::size_t>(((key ^ (key >> 31)) * 0xD6E8FEB86659FD93ull) >>
                                    (64 - kPointBits));
}

const TerrainRenderItemSorter::PointVertices* TerrainRenderItemSorter::FindPoint(
    std::int32_t gx, std::int32_t gy) const {
    const std::uint64_t key = PointKey(gx, gy);
    const std::size_t bit = PointBit(key);
    if ((pointBits[bit >> 6] & (std::uint64_t{1} << (bit & 63))) == 0) return nullptr;
    const std::int32_t p = pointTable.Get(key);
    return p >= 0 ? &points[static_cast<std::size_t>(p)] : nullptr;
}

std::int32_t TerrainRenderItemSorter::FindVertex(std::int32_t level, std::int32_t gx,
                                                 std::int32_t gy) const {
    if (level < 0 || level >= kTerrainViewLevels) return -1;
    const PointVertices* p = FindPoint(gx, gy);
    return p != nullptr ? (*p)[static_cast<std::size_t>(level)] : -1;
}

std::int32_t TerrainRenderItemSorter::FindFinerVertex(int below, std::int32_t gx,
                                                      std::int32_t gy) const {
    const PointVertices* p = FindPoint(gx, gy);
    if (p == nullptr) return -1;
    for (int level = std::min(below, kTerrainViewLevels) - 1; level >= 0; --level)
        if ((*p)[static_cast<std::size_t>(level)] >= 0)
            return (*p)[static_cast<std::size_t>(level)];
    return -1;
}

std::int32_t TerrainRenderItemSorter::Vertex(std::int32_t level, std::int32_t gx, std::int32_t gy,
                                             float height) {
    if (level < 0 || level >= kTerrainViewLevels) return -1;
    const std::int32_t point = Point(gx, gy);
    if (point < 0) return -1;
    return VertexAt(point, level, gx, gy, [height](TerrainVertex& v) { v.height = height; });
}

std::int32_t TerrainRenderItemSorter::Point(std::int32_t gx, std::int32_t gy) {
    std::int32_t point = -1;
    const std::uint64_t key = PointKey(gx, gy);
    const std::size_t bit = PointBit(key);
    RecentPoint& seen = recent[bit & (recent.size() - 1)];
    if (seen.key == key) return seen.point;
    if (pointTable.Put(key, static_cast<std::int32_t>(points.size()), &point)) {
        pointBits[bit >> 6] |= std::uint64_t{1} << (bit & 63);
        point = static_cast<std::int32_t>(points.size());
        PointVertices none;
        none.fill(-1);
        points.push_back(none);
        pointCells.push_back(-1);
    }
    if (point >= 0) seen = RecentPoint{key, point};
    return point;
}

template <class Init>
std::int32_t TerrainRenderItemSorter::VertexAt(std::int32_t point, std::int32_t level,
                                               std::int32_t gx, std::int32_t gy, Init init) {
    std::int32_t& slot = points[static_cast<std::size_t>(point)][static_cast<std::size_t>(level)];
    if (slot >= 0) return slot;
    if (vertices.size() >= kMostVertices) return -1;
    slot = static_cast<std::int32_t>(vertices.size());
    beside.push_back({-1, -1, -1, -1});
    TerrainVertex& v = vertices.emplace_back();
    v.gx = gx;
    v.gy = gy;
    v.level = static_cast<std::uint8_t>(level);
    v.distance = -1.0f;
    init(v);
    return slot;
}

void TerrainRenderItemSorter::ShareFinestHeights() {
    for (const PointVertices& p : points) {
        std::size_t level = 0;
        while (level < p.size() && p[level] < 0)
            ++level;
        if (level == p.size()) continue;
        const TerrainVertex& finest = vertices[static_cast<std::size_t>(p[level])];
        for (std::size_t l = level + 1; l < p.size(); ++l) {
            if (p[l] < 0) continue;
            TerrainVertex& v = vertices[static_cast<std::size_t>(p[l])];
            v.height = finest.height;
            v.distance = finest.distance;
        }
    }
}

void TerrainRenderItemSorter::AddCell(std::int32_t level, std::int32_t cx, std::int32_t cy,
                                      std::int32_t point, std::int32_t index) {
    std::int32_t& first = pointCells[static_cast<std::size_t>(point)];
    if (first < 0) {
        first = index * kTerrainViewLevels + level;
        return;
    }
    if (first % kTerrainViewLevels == level) return;  // the first cell filed there stays
    std::int32_t existing = -1;
    (void)cellTable.Put(VertexKey(level, cx, cy), index, &existing);
}

std::int32_t TerrainRenderItemSorter::FindCell(std::int32_t level, std::int32_t cx, std::int32_t cy,
                                               std::int32_t gx, std::int32_t gy) const {
    const PointVertices* p = FindPoint(gx, gy);
    if (p == nullptr) return -1;
    const std::int32_t first = pointCells[static_cast<std::size_t>(p - points.data())];
    if (first < 0) return -1;
    if (first % kTerrainViewLevels == level) return first / kTerrainViewLevels;
    return cellTable.Get(VertexKey(level, cx, cy));
}

// ---- walking ---------------------------------------------------------------------------------

TerrainRenderer::TerrainRenderer() {
    cells.reserve(8192);
    positions.reserve(32768);
    behindFlags.reserve(32768);
    ordered.reserve(64);
    polygon.reserve(64);
    edge.reserve(64);
    sideTable.Resize(kTableBits - 2);
    sideCuts.reserve(8192);
    sideCutPoints.reserve(16384);
}

void TerrainRenderer::Reset(TerrainViewArea& a, TerrainRenderItemSorter& s) {
    area = &a;
    sorter = &s;
    cells.clear();
    cellsDrawn = 0;
    sorter->Reset();
}

void TerrainRenderer::WalkTile(TerrainTile& tile) {
    if (area == nullptr || tile.Root() == nullptr || !tile.IsLoaded()) return;
    VisitStartCells(tile, tile.Root(), tile.Bounds()[0], tile.Bounds()[1], nullptr);
}

void TerrainRenderer::VisitStartCells(TerrainTile& tile, TerrainCellPyramid* block,
                                      std::int32_t originX, std::int32_t originY,
                                      const TerrainMaterial* inForce) {
    const int level = block->StartLevel();
    if (level < 0 || level >= kTerrainViewLevels) return;
    const TerrainLevel* lv = block->Level(level);
    if (lv == nullptr) return;
    const std::uint32_t sh = area->scaleShift + static_cast<std::uint32_t>(level);
    const std::int32_t cx0 = originX >> sh, cy0 = originY >> sh;
    const int nx = std::min(2 << lv->widthExp, 64), ny = std::min(2 << lv->heightExp, 64);
    const TerrainLevelView& v = area->levels[static_cast<std::size_t>(level)];
    int rows[64], columns[64];
    const int rn = FarFirst(cy0, ny, v.eyeCellY, rows);
    const int cn = FarFirst(cx0, nx, v.eyeCellX, columns);
    for (int r = 0; r < rn; ++r) {
        for (int c = 0; c < cn; ++c) {
            const int i = columns[c], j = rows[r];
            const std::uint64_t square = (static_cast<std::uint64_t>(j >> 1) << lv->widthExp) +
                                         static_cast<std::uint64_t>(i >> 1);
            if (square >= lv->squareCount) continue;
            const TerrainCellView cell{lv->squares + square * kTerrainSquareBytes +
                                       static_cast<std::size_t>(((j & 1) * 2 + (i & 1)) * 8)};
            std::int32_t points[4] = {-1, -1, -1, -1}, made[4] = {-1, -1, -1, -1};
            const CornerSlots slots{{&points[0], &points[1], &points[2], &points[3]},
                                    {&made[0], &made[1], &made[2], &made[3]}};
            VisitCell(tile, block, cell, level, cx0 + i, cy0 + j, inForce, slots);
        }
    }
}

void TerrainRenderer::VisitCell(TerrainTile& tile, TerrainCellPyramid* block, TerrainCellView cell,
                                int level, std::int32_t cx, std::int32_t cy,
                                const TerrainMaterial* inForce, const CornerSlots& slots) {
    if (!area->IsVisible(level, cx, cy)) return;
    const std::uint16_t link = cell.Link();
    const std::uint16_t kind = link & kLinkKindMask;
    const std::uint16_t value = link & kLinkValueMask;
    const TerrainMaterial* material = inForce;
    if (cell.Material() != kNoMaterial && block->materials != nullptr) {
        if (const TerrainMaterial* m = block->materials->At(cell.Material())) material = m;
    }
    if (kind == kLinkEmpty) return;
    if (kind == kLinkBlock) {
        TerrainCellPyramid* next = tile.GetBlock(block, value);
        if (next == nullptr || next->heights == nullptr || next->StartLevel() >= level) return;
        const std::uint32_t sh = area->scaleShift + static_cast<std::uint32_t>(level);
        VisitStartCells(tile, next, Shifted(cx, sh), Shifted(cy, sh), material);
        return;
    }
    bool split = false;
    bool cornersMade = false;
    std::int32_t corners[4];
    const TerrainLevel* finer = block->Level(level - 1);
    if (kind == kLinkSubdivided && finer != nullptr && value < finer->squareCount) {
        if (level > area->rangeLevel) {
            split = true;
        } else if (level > area->lowestLevel) {
            MakeCorners(block, cell, level, cx, cy, slots, corners);
            cornersMade = true;
            split = MeanDistance(corners) <
                    static_cast<float>(area->levels[static_cast<std::size_t>(level)].lower);
        }
    }
    if (!split) {
        Record(block, cell, level, cx, cy, material, slots, cornersMade ? corners : nullptr);
        return;
    }
    // A split cell's corners are made too: a neighbour drawn whole finds its points on their
    // shared side through them, down to the finest cells beside it, even where the sub-cells
    // round one of them lie out of view and make none.
    if (!cornersMade) MakeCorners(block, cell, level, cx, cy, slots, corners);
    // The sub-cells' sixteen corners stand on nine points, a 3 x 3 grid (x across, y up) whose
    // outer four are the cell's own corners' points.
    std::int32_t points[9], made[9];
    std::fill(std::begin(points), std::end(points), -1);
    std::fill(std::begin(made), std::end(made), -1);
    static constexpr int kOuter[4] = {0, 6, 8, 2};
    static constexpr int kAcross[4] = {0, 0, 1, 1}, kUp[4] = {0, 1, 1, 0};
    for (int k = 0; k < 4; ++k)
        points[kOuter[k]] = *slots.point[k];
    // The four sub-cells, the farthest from the eye first.
    const TerrainLevelView& v = area->levels[static_cast<std::size_t>(level - 1)];
    const int xs[2] = {v.eyeCellX <= 2 * cx ? 1 : 0, v.eyeCellX <= 2 * cx ? 0 : 1};
    const int ys[2] = {v.eyeCellY <= 2 * cy ? 1 : 0, v.eyeCellY <= 2 * cy ? 0 : 1};
    for (int y : ys)
        for (int x : xs) {
            const TerrainCellView sub{finer->squares + std::size_t{value} * kTerrainSquareBytes +
                                      static_cast<std::size_t>((y * 2 + x) * 8)};
            CornerSlots inner{};
            for (int k = 0; k < 4; ++k) {
                const int g = (y + kUp[k]) * 3 + x + kAcross[k];
                inner.point[k] = &points[g];
                inner.vertex[k] = &made[g];
            }
            VisitCell(tile, block, sub, level - 1, 2 * cx + x, 2 * cy + y, material, inner);
        }
}

void TerrainRenderer::MakeCorners(TerrainCellPyramid* block, TerrainCellView cell, int level,
                                  std::int32_t cx, std::int32_t cy, const CornerSlots& slots,
                                  std::int32_t out[4]) {
    const std::uint32_t sh = area->scaleShift + static_cast<std::uint32_t>(level);
    const std::int32_t x0 = Shifted(cx, sh), y0 = Shifted(cy, sh);
    const std::int32_t s = std::int32_t{1} << sh;
    const std::int32_t gx[4] = {x0, x0, x0 + s, x0 + s};
    const std::int32_t gy[4] = {y0, y0 + s, y0 + s, y0};
    // A corner's height and distance are worked out once, when its vertex is made.
    for (int k = 0; k < 4; ++k) {
        std::int32_t& point = *slots.point[k];
        if (point < 0) point = sorter->Point(gx[k], gy[k]);
        std::int32_t& made = *slots.vertex[k];
        if (made < 0 && point >= 0) {
            made = sorter->VertexAt(point, level, gx[k], gy[k], [&](TerrainVertex& v) {
                v.height = CornerHeight(block, cell, k);
                const float dx = static_cast<float>(v.gx) - area->eye[0];
                const float dy = static_cast<float>(v.gy) - area->eye[1];
                const float dz = v.height - area->eye[2];
                v.distance = std::sqrt(dx * dx + dy * dy + dz * dz);
            });
        }
        out[k] = point >= 0 ? made : -1;
        // Corners next to each other round the cell are neighbours at this level.
        if (k > 0 && out[k] >= 0 && out[k - 1] >= 0) LinkCorners(out, k - 1, k);
        if (k == 3 && out[3] >= 0 && out[0] >= 0) LinkCorners(out, 3, 0);
    }
}

void TerrainRenderer::LinkCorners(const std::int32_t corners[4], int a, int b) {
    // Round the cell 0 -> 1 -> 2 -> 3 -> 0 runs north, east, south, west: where b lies from a,
    // and where a lies from b (sides 0 west, 1 east, 2 south, 3 north).
    static constexpr int kTowards[4] = {3, 1, 2, 0};
    static constexpr int kBack[4] = {2, 0, 3, 1};
    sorter->beside[static_cast<std::size_t>(corners[a])][kTowards[a]] = corners[b];
    sorter->beside[static_cast<std::size_t>(corners[b])][kBack[a]] = corners[a];
}

float TerrainRenderer::MeanDistance(const std::int32_t corners[4]) const {
    float sum = 0.0f;
    for (int k = 0; k < 4; ++k) {
        if (corners[k] < 0) return 0.0f;
        sum += sorter->vertices[static_cast<std::size_t>(corners[k])].distance;
    }
    return sum * 0.25f;
}

void TerrainRenderer::Record(TerrainCellPyramid* block, TerrainCellView cell, int level,
                             std::int32_t cx, std::int32_t cy, const TerrainMaterial* material,
                             const CornerSlots& slots, const std::int32_t* corners) {
    TerrainCellRecord r;
    r.block = block;
    r.cell = cell;
    r.cellX = cx;
    r.cellY = cy;
    r.level = level;
    r.material = material;
    if (corners != nullptr) {
        std::copy(corners, corners + 4, r.corners);
    } else {
        MakeCorners(block, cell, level, cx, cy, slots, r.corners);
    }
    for (std::int32_t k : r.corners)
        if (k < 0) return;
    // Render items find the cell holding them through its first corner's point.
    sorter->AddCell(level, cx, cy, *slots.point[0], static_cast<std::int32_t>(cells.size()));
    cells.push_back(r);
}

// ---- vertices --------------------------------------------------------------------------------

void TerrainRenderer::FinishVertices() {
    ts::TSCamera* camera = ts::theCurrentCamera;
    ts::TSLightSet* lights = ts::theActiveLightSet;
    const float subPixel = camera != nullptr ? camera->GetSubPixelScale() : 1.0f;
    sorter->ShareFinestHeights();
    positions.resize(sorter->vertices.size());
    behindFlags.resize(sorter->vertices.size());
    for (std::size_t n = 0; n < sorter->vertices.size(); ++n) {
        TerrainVertex& v = sorter->vertices[n];
        const std::array<std::int32_t, 4>& beside = sorter->beside[n];
        const std::int32_t step = std::int32_t{1}
                                  << (area->scaleShift + static_cast<std::uint32_t>(v.level));
        // A neighbour a shared cell has not linked is looked up.
        auto heightAt = [&](int side, std::int32_t gx, std::int32_t gy) {
            std::int32_t i = beside[static_cast<std::size_t>(side)];
            if (i < 0) i = sorter->FindVertex(v.level, gx, gy);
            return i >= 0 ? sorter->vertices[static_cast<std::size_t>(i)].height : v.height;
        };
        // Central differences over the neighbours the frame has at this level.
        const float nx = 0.5f * (heightAt(0, v.gx - step, v.gy) - heightAt(1, v.gx + step, v.gy));
        const float ny = 0.5f * (heightAt(2, v.gx, v.gy - step) - heightAt(3, v.gx, v.gy + step));
        const float nz = static_cast<float>(step);
        const float len = std::sqrt(nx * nx + ny * ny + nz * nz);
        const ts::Vector3F normal{nx / len, ny / len, nz / len};
        const ts::Vector3F p{static_cast<float>(v.gx), static_cast<float>(v.gy), v.height};
        if (lights != nullptr) {
            lights->LightPointsAlt(ts::LightPoint{p, normal}, &v.colour);
        } else {
            v.colour = gfx::GFXColourTriple{65535, 65535, 65535};
        }
        positions[n] = p;
    }
    if (camera == nullptr || sorter->vertices.empty()) return;
    // Every vertex through the camera in one pass: eye point and screen point into the vertex.
    const int count = static_cast<int>(sorter->vertices.size());
    std::uint32_t any = 0;
    camera->WorldToScreenPoints(count, positions.data(), &sorter->vertices[0].eye,
                                &sorter->vertices[0].screen, sizeof(ts::Vector3F),
                                sizeof(TerrainVertex), sizeof(TerrainVertex), behindFlags.data(),
                                &any);
    const ts::CameraRect& r = camera->GetScreenRect();
    const float guard = kGuardPixels * subPixel;
    const double cx = camera->GetCentreX(), cy = camera->GetCentreY();
    for (std::size_t n = 0; n < sorter->vertices.size(); ++n) {
        TerrainVertex& v = sorter->vertices[n];
        v.behind = static_cast<std::uint8_t>(behindFlags[n] & 1);
        v.wide = 0;
        std::uint32_t outcode = 0;
        if (v.behind == 0) {
            // The sides from the eye point, which never wraps as a far point's integer does.
            const double x = (v.eye.x / static_cast<double>(v.eye.y) + cx) / subPixel;
            const double y = (cy - v.eye.z / static_cast<double>(v.eye.y)) / subPixel;
            if (x < static_cast<double>(r.left)) outcode |= 1u;
            if (x > static_cast<double>(r.right + 1)) outcode |= 2u;
            if (y < static_cast<double>(r.top)) outcode |= 4u;
            if (y > static_cast<double>(r.bottom + 1)) outcode |= 8u;
            v.wide = static_cast<std::uint8_t>(BeyondGuard(v.eye, guard) ? 1 : 0);
            if (v.wide == 0) v.screen = ScreenOf(v.eye, cx, cy, subPixel);
        }
        v.outcode = static_cast<std::uint8_t>(outcode);
    }
}

// ---- render items ----------------------------------------------------------------------------

int TerrainRenderer::AddRenderItemGrid(const float position[3], float radius,
                                       ts::TSRenderItem* item, TerrainItemLayer layer) {
    TerrainRenderItem r;
    r.item = item;
    for (int i = 0; i < 3; ++i)
        r.position[i] = position[i];
    r.at[0] = position[0];
    r.at[1] = position[1];
    r.radius = radius;
    r.layer = layer;
    return AddTerrainRenderItem(r);
}

int TerrainRenderer::AddTerrainRenderItem(const TerrainRenderItem& record) {
    if (area == nullptr || sorter == nullptr || record.item == nullptr) return 0;
    if (!std::isfinite(record.at[0]) || !std::isfinite(record.at[1]) ||
        std::fabs(record.at[0]) > 2e9f || std::fabs(record.at[1]) > 2e9f) {
        return 0;
    }
    const auto x = static_cast<std::int32_t>(std::floor(record.at[0]));
    const auto y = static_cast<std::int32_t>(std::floor(record.at[1]));
    // The finest recorded cell holding the item's place; the cell keeps its items in the order
    // they were filed.
    for (int level = 0; level < kTerrainViewLevels; ++level) {
        const std::uint32_t sh = area->scaleShift + static_cast<std::uint32_t>(level);
        const std::int32_t cx = x >> sh, cy = y >> sh;
        const std::int32_t found =
            sorter->FindCell(level, cx, cy, Shifted(cx, sh), Shifted(cy, sh));
        if (found < 0) continue;
        const auto cell = static_cast<std::size_t>(found);
        if (cell >= cells.size()) return 0;
        const auto index = static_cast<std::int32_t>(sorter->items.size());
        TerrainRenderItem r = record;
        r.next = -1;
        sorter->items.push_back(r);
        TerrainCellRecord& c = cells[cell];
        if (c.lastItem >= 0)
            sorter->items[static_cast<std::size_t>(c.lastItem)].next = index;
        else
            c.items = index;
        c.lastItem = index;
        return 1;
    }
    return 0;
}

void TerrainRenderer::SetRenderCallback(TerrainRenderCallback c) {
    callback = c;
}

void TerrainRenderer::DrawItems(const TerrainCellRecord& r) {
    if (r.items < 0) return;
    ts::TSCamera* camera = ts::theCurrentCamera;
    if (callback != nullptr) {
        callback(sorter->items.data(), r.items);
    } else {
        // The cell's items by layer (pavement, shadows, what stands), each layer the farthest
        // first; equal ones in the order they were filed.
        ordered.clear();
        for (std::int32_t i = r.items; i >= 0;
             i = sorter->items[static_cast<std::size_t>(i)].next) {
            const TerrainRenderItem& item = sorter->items[static_cast<std::size_t>(i)];
            const float dx = item.position[0] - area->eye[0];
            const float dy = item.position[1] - area->eye[1];
            const float dz = item.position[2] - area->eye[2];
            ordered.push_back(OrderedItem{dx * dx + dy * dy + dz * dz, i, item.layer});
        }
        // A cell holds a few items: an insertion sort keeps equal ones in filing order and
        // allocates nothing.
        auto before = [](const OrderedItem& a, const OrderedItem& b) {
            if (a.layer != b.layer) return a.layer < b.layer;
            return a.distance > b.distance;
        };
        for (std::size_t k = 1; k < ordered.size(); ++k) {
            const OrderedItem o = ordered[k];
            std::size_t j = k;
            for (; j > 0 && before(o, ordered[j - 1]); --j)
                ordered[j] = ordered[j - 1];
            ordered[j] = o;
        }
        // Each item is tested in world coordinates, so the transform the item before it left on
        // the camera goes first.
        bool moved = false;
        for (const OrderedItem& o : ordered) {
            TerrainRenderItem& item = sorter->items[static_cast<std::size_t>(o.index)];
            int cull = ts::kCullUntested;
            if (camera != nullptr) {
                if (moved) camera->SetTransform(ts::Transform3F{});
                cull = camera->TestSphere(
                    ts::Vector3F{item.position[0], item.position[1], item.position[2]},
                    item.radius);
                if (cull == ts::kCullOutside) continue;
            }
            item.item->Render(cull);
            moved = true;
        }
    }
    if (camera != nullptr) camera->SetTransform(ts::Transform3F{});
}

// ---- drawing ---------------------------------------------------------------------------------

int TerrainRenderer::Draw() {
    cellsDrawn = 0;
    ts::TSCamera* camera = ts::theCurrentCamera;
    gfx::GFXDrawTarget* target = gfx::theCurrentDrawTarget;
    if (area == nullptr || camera == nullptr || target == nullptr || target->surface == nullptr)
        return 0;
    camera->SetTransform(ts::Transform3F{});
    faceKind.valid = false;  // materials and the texture switch may have changed since
    PrepareHaze();
    gfx::GFXPalette* palette = target->surface->palette;
    const std::int32_t savedHaze = palette != nullptr ? palette->shadeLevel : 0;
    // The cells in sub-pixels, their items as they expect.
    const std::uint32_t flags = target->flags;
    const std::int32_t shift = target->coordinateShift;
    for (const TerrainCellRecord& r : cells) {
        target->flags = flags | gfx::kPolySubpixel;
        target->coordinateShift = kSubPixelShift;
        DrawCell(r);
        target->flags = flags;
        target->coordinateShift = shift;
        DrawItems(r);
    }
    if (palette != nullptr) palette->shadeLevel = savedHaze;
    return cellsDrawn;
}

void TerrainRenderer::EdgePoints(int level, std::int32_t ax, std::int32_t ay, std::int32_t bx,
                                 std::int32_t by, std::vector<std::int32_t>* out) const {
    if (level <= 0) return;
    const std::int32_t mx = ax + (bx - ax) / 2, my = ay + (by - ay) / 2;
    // The neighbour across the edge may be several levels finer than the next one: its point
    // at the edge's middle is then filed at its own level.
    const std::int32_t mid = sorter->FindFinerVertex(level, mx, my);
    if (mid < 0) return;
    EdgePoints(level - 1, ax, ay, mx, my, out);
    out->push_back(mid);
    EdgePoints(level - 1, mx, my, bx, by, out);
}

void TerrainRenderer::DrawCell(const TerrainCellRecord& r) {
    const TerrainVertex* c[4];
    for (int k = 0; k < 4; ++k)
        c[k] = &sorter->vertices[static_cast<std::size_t>(r.corners[k])];
    bool anyBehind = false;
    std::uint32_t allOut = 0xF;
    for (const TerrainVertex* v : c) {
        anyBehind |= v->behind != 0;
        allOut &= v->outcode;
    }
    // All four corners off the same side of the screen: nothing of the cell shows, unless a
    // point finer neighbours put on its sides reaches into the screen.
    if (!anyBehind && allOut != 0) {
        for (int k = 0; k < 4 && allOut != 0; ++k) {
            edge.clear();
            EdgePoints(r.level, c[k]->gx, c[k]->gy, c[(k + 1) % 4]->gx, c[(k + 1) % 4]->gy, &edge);
            for (std::int32_t i : edge) {
                const TerrainVertex& v = sorter->vertices[static_cast<std::size_t>(i)];
                if (v.behind != 0) allOut = 0;
                allOut &= v.outcode;
            }
        }
        if (allOut != 0) return;
    }
    const float d = 0.25f * (c[0]->distance + c[1]->distance + c[2]->distance + c[3]->distance);
    if (r.material != waterChecked) {
        waterChecked = r.material;
        waterMaterial = r.material != nullptr &&
                        platform::EqualIgnoringCase(r.material->textureName, "water");
    }
    gfx::GFXPalette* palette = gfx::theCurrentDrawTarget->surface->palette;
    std::int32_t cellHaze = 0;
    if (palette != nullptr) {
        const std::int32_t haze = std::clamp(
            ts::FloatToInt((d - static_cast<float>(area->hazeNear)) * area->hazeScale), 0, 65535);
        // Rounded to the nearest level, so that the last level (the haze colour the ground
        // plane beyond the terrain takes) is reached at the far end of the range.
        cellHaze = static_cast<std::int32_t>(
            (((std::int64_t{1} << palette->shadeBits) - 1) * haze + 32767) >> 16);
        palette->shadeLevel = cellHaze;
    }
    const int detail =
        d < 0.0f
            ? 0
            : (d <= static_cast<float>(area->range) ? static_cast<int>(2.0f * d) / area->range : 2);
    const std::uint32_t sh = area->scaleShift + static_cast<std::uint32_t>(r.level);
    const std::int32_t size = std::int32_t{1} << sh;
    // One texture over four level-0 cells (about 800 m) out to half the range, twice and four
    // times as much further out; nearer than 2048 units (the camera views look at the ground
    // from a few yards, where a texel of that texture would fill a tenth of the screen) over
    // two cells, and within 1024 over one. Never more than 32 repeats across one polygon (the
    // fillers' 16.16 texel coordinates).
    const int nearScale = d < 1024.0f ? 2 : (d < 2048.0f ? 1 : 0);
    const float texSize =
        static_cast<float>(std::max((2048 << std::clamp(detail, 0, 2)) >> nearScale, size / 32));
    const std::int32_t x0 = Shifted(r.cellX, sh), y0 = Shifted(r.cellY, sh);
    // Texture coordinates from the cell's corner, taken modulo one texture so they stay small:
    // the corner less its remainder, a whole number of textures towards zero. The texture's size
    // is a power of two, so times its reciprocal is the very quotient, and its whole part times
    // the size is exact (the zero added makes a negative zero plain).
    TextureOrigin texture;
    texture.perTexture = 1.0f / texSize;
    texture.x = std::trunc(static_cast<float>(x0) * texture.perTexture) * texSize + 0.0f;
    texture.y = std::trunc(static_cast<float>(y0) * texture.perTexture) * texSize + 0.0f;

    // The diagonal: a cell that twists upward along 0-2 is split along 1-3 (and a planar one).
    const float twist = c[2]->height - c[3]->height - c[1]->height + c[0]->height;
    int tris[2][3];
    if (twist >= 0.0f) {
        const int a[2][3] = {{0, 3, 1}, {3, 2, 1}};
        std::copy(&a[0][0], &a[0][0] + 6, &tris[0][0]);
    } else {
        const int a[2][3] = {{0, 3, 2}, {0, 2, 1}};
        std::copy(&a[0][0], &a[0][0] + 6, &tris[0][0]);
    }
    bool drew = false;
    // No point of the cell lies nearer than its nearest corner less twice its size (whatever
    // the heights of the points finer neighbours put on its sides), so no side of its triangles
    // passes nearer than the level there, `plainTop`: a triangle whose corners share a level no
    // farther than that is drawn in it whole, without the halving's tests. A triangle whose
    // corners share a farther level may pass into a nearer one between them, and the triangle
    // across that side halves it there: this one must too, or the two would meet at a point off
    // its straight side. Without haze every triangle goes the halving's way, which draws it whole.
    int plainTop = -1;
    if (haze.levels != 0) {
        const float nearest =
            std::min({c[0]->distance, c[1]->distance, c[2]->distance, c[3]->distance});
        const double reach = static_cast<double>(nearest) - 2.0 * static_cast<double>(size);
        plainTop = reach > 0.0 ? HazeLevelOfSquared(reach * reach) : 0;
    }
    // Whether a triangle faces the eye: by its screen winding, counter-clockwise round the ground
    // seen from above being counter-clockwise on the screen too when it faces the eye (a
    // negative cross product of two screen edges), as the rasterizer itself tells a face from a
    // back; only a corner behind the near plane, which has no screen point, makes it a test
    // against the triangle's plane in 3-D, in whole units as the engine's test takes them; so
    // does a corner beyond the guard band. (A corner just off the screen has its point: a grazing
    // sliver of the far band that the 3-D test's whole units call turned away would leave a line of
    // what lies behind.)
    auto faces = [&](const TerrainVertex& a, const TerrainVertex& b, const TerrainVertex& e) {
        const bool off = a.behind != 0 || b.behind != 0 || e.behind != 0 || a.wide != 0 ||
                         b.wide != 0 || e.wide != 0;
        if (!off) {
            const auto d = [](std::int32_t p, std::int32_t q) {
                return static_cast<double>(p) - static_cast<double>(q);
            };
            const double cross = d(b.screen.x, a.screen.x) * d(e.screen.y, a.screen.y) -
                                 d(b.screen.y, a.screen.y) * d(e.screen.x, a.screen.x);
            return cross < 0.0;
        }
        const ts::Vector3F u{static_cast<float>(b.gx - a.gx), static_cast<float>(b.gy - a.gy),
                             b.height - a.height};
        const ts::Vector3F w{static_cast<float>(e.gx - a.gx), static_cast<float>(e.gy - a.gy),
                             e.height - a.height};
        // The normal is scaled to a fixed length first: a coarse cell's cross product would not
        // fit the test's 32-bit components.
        const double nx = static_cast<double>(u.y) * w.z - static_cast<double>(u.z) * w.y;
        const double ny = static_cast<double>(u.z) * w.x - static_cast<double>(u.x) * w.z;
        const double nz = static_cast<double>(u.x) * w.y - static_cast<double>(u.y) * w.x;
        const double len = std::sqrt(nx * nx + ny * ny + nz * nz);
        if (len <= 0.0) return false;
        const double k = 65536.0 / len;
        const ts::Point3I n{static_cast<std::int32_t>(nx * k), static_cast<std::int32_t>(ny * k),
                            static_cast<std::int32_t>(nz * k)};
        return ts::IsPointInFront(ts::Point3I{a.gx, a.gy, static_cast<std::int32_t>(a.height)},
                                  ts::Point3I{static_cast<std::int32_t>(area->eye[0]),
                                              static_cast<std::int32_t>(area->eye[1]),
                                              static_cast<std::int32_t>(area->eye[2])},
                                  n) != 0;
    };
    // A triangle drawn when it faces the eye; the rasterizer takes its corners clockwise on the
    // screen, the outline reversed.
    auto triangle = [&](std::int32_t a, std::int32_t b, std::int32_t e) {
        const auto& vs = sorter->vertices;
        if (!faces(vs[static_cast<std::size_t>(a)], vs[static_cast<std::size_t>(b)],
                   vs[static_cast<std::size_t>(e)])) {
            return;
        }
        const TerrainVertex* const corners[3] = {&vs[static_cast<std::size_t>(e)],
                                                 &vs[static_cast<std::size_t>(b)],
                                                 &vs[static_cast<std::size_t>(a)]};
        drew = true;
        const int level = corners[0]->haze;
        ditherTriangle =
            ditherOn &&
            (waterMaterial ||
             std::max({level, int{corners[1]->haze}, int{corners[2]->haze}}) >= ditherFar) &&
            DitherPlane(corners);
        if (level > plainTop || corners[1]->haze != level || corners[2]->haze != level) {
            DrawHazedTriangle(corners, r.material, texture);
        } else if (level <= haze.levels) {
            palette->shadeLevel = level;
            DrawPolygon(corners, 3, r.material, texture);
        }
        ditherTriangle = false;
    };
    for (const auto& t : tris) {
        // The points finer neighbours put on the triangle's two edges along the square's sides
        // (corners next to each other round it); the diagonal has none. The diagonal runs from
        // p to q, the sides from q to the corner v and from v back to p.
        int diagonal = 0;
        for (int k = 0; k < 3; ++k)
            if ((t[k] + t[(k + 1) % 3]) % 2 == 0) diagonal = k;
        const int p = t[diagonal], q = t[(diagonal + 1) % 3], v = t[(diagonal + 2) % 3];
        polygon.clear();  // the side from q to v
        EdgePoints(r.level, c[q]->gx, c[q]->gy, c[v]->gx, c[v]->gy, &polygon);
        edge.clear();  // the side from v to p
        EdgePoints(r.level, c[v]->gx, c[v]->gy, c[p]->gx, c[p]->gy, &edge);
        const std::int32_t cp = r.corners[p], cq = r.corners[q], cv = r.corners[v];
        if (polygon.empty() && edge.empty()) {
            triangle(r.corners[t[0]], r.corners[t[1]], r.corners[t[2]]);
            continue;
        }
        // Whole triangles only, each with the points as its own corners and facing the eye or
        // not on its own, so that no outline bends inward on the screen and every finer
        // neighbour's edge is met exactly: a fan from p over the first side, then a fan from the
        // first fan's last point over the second.
        std::int32_t from = cq;
        const std::size_t fromP = edge.empty() ? polygon.size() + 1 : polygon.size();
        for (std::size_t i = 0; i < fromP; ++i) {
            const std::int32_t to = i < polygon.size() ? polygon[i] : cv;
            triangle(cp, from, to);
            from = to;
        }
        if (!edge.empty()) {
            const std::int32_t hub = from;
            std::int32_t at = cv;
            for (std::size_t i = 0; i <= edge.size(); ++i) {
                const std::int32_t to = i < edge.size() ? edge[i] : cp;
                triangle(hub, at, to);
                at = to;
            }
        }
    }
    if (drew) ++cellsDrawn;
    // The cell's render items take the cell's own haze.
    if (palette != nullptr) palette->shadeLevel = cellHaze;
}

void TerrainRenderer::PrepareHaze() {
    gfx::GFXPalette* palette = gfx::theCurrentDrawTarget->surface->palette;
    const int levels = palette != nullptr ? (1 << palette->shadeBits) - 1 : 0;
    haze.levels = ts::theCurrentCamera != nullptr ? std::min(levels, kMostHazeLevels) : 0;
    sideTable.Clear();
    sideCuts.clear();
    sideCutPoints.clear();
    if (haze.levels == 0) return;
    // Level n covers n - 0.5 .. n + 0.5 of the continuous level (the distance less the haze's
    // near distance, times levels per unit); the border after level n lies at n + 0.5, the
    // range after the last level.
    haze.perUnit = static_cast<float>(haze.levels) * area->hazeScale / 65536.0f;
    for (int n = 0; n <= haze.levels; ++n) {
        const double g = n < haze.levels ? n + 0.5 : static_cast<double>(haze.levels);
        const double r = g / haze.perUnit + area->hazeNear;
        haze.radius[static_cast<std::size_t>(n)] = r;
        haze.squared[static_cast<std::size_t>(n)] = r * r;
    }
    for (TerrainVertex& v : sorter->vertices)
        v.haze = static_cast<std::uint8_t>(HazeLevel(v.distance));
    PrepareDither(palette);
}

void TerrainRenderer::PrepareDither(gfx::GFXPalette* palette) {
    ditherOn = false;
    ts::TSCamera* camera = ts::theCurrentCamera;
    if (palette == nullptr || palette->shadeTable == nullptr || haze.levels < 2 ||
        gfx::theCurrentDrawTarget->surface->bitsPerPixel == 16) {
        return;
    }
    const int levels = haze.levels;
    if (mapsPalette != palette || mapsTable != palette->shadeTable ||
        mapsSerial != palette->shadeSerial || mapsLevels != levels) {
        mapsPalette = palette;
        mapsTable = palette->shadeTable;
        mapsSerial = palette->shadeSerial;
        mapsLevels = levels;
        ditherMaps.resize(static_cast<std::size_t>(levels + 1) * 512);
        const std::uint64_t block = std::uint64_t{256} << palette->shadeShift;
        for (int n = 0; n <= levels; ++n) {
            std::uint8_t* lower = &ditherMaps[static_cast<std::size_t>(n) * 512];
            std::uint8_t* higher = lower + 256;
            const std::uint8_t* here = palette->ShadeRowsFrom(block * static_cast<std::uint64_t>(n));
            const std::uint8_t* below =
                n > 0 ? palette->ShadeRowsFrom(block * static_cast<std::uint64_t>(n - 1)) : here;
            const std::uint8_t* above =
                n < levels ? palette->ShadeRowsFrom(block * static_cast<std::uint64_t>(n + 1))
                           : here;
            // A colour that several entries of the level give (a texel and a shade each) takes,
            // of those entries' colours in the other level, the one nearest itself: the haze
            // moves each colour a step toward its own, and a colour far off is another's.
            std::array<int, 256> lowerOff{}, higherOff{};
            for (int c = 0; c < 256; ++c) {
                lower[c] = static_cast<std::uint8_t>(c);
                higher[c] = static_cast<std::uint8_t>(c);
                lowerOff[c] = higherOff[c] = std::numeric_limits<int>::max();
            }
            auto off = [&](std::uint8_t a, std::uint8_t b) {
                const gfx::GFXPaletteEntry& p = palette->entries[a];
                const gfx::GFXPaletteEntry& q = palette->entries[b];
                const int dr = p.red - q.red, dg = p.green - q.green, db = p.blue - q.blue;
                return dr * dr + dg * dg + db * db;
            };
            // Nor is it ever one of the sky's own entries, which among the ground would read as
            // the sky seen through it.
            auto sky = [](std::uint8_t e) { return e == kSkyColour || e == kAlternativeSkyColour; };
            for (std::uint64_t i = 0; i < block; ++i) {
                const std::uint8_t c = here[i];
                if (below[i] != c && !sky(below[i])) {
                    const int o = off(c, below[i]);
                    if (o < lowerOff[c]) {
                        lowerOff[c] = o;
                        lower[c] = below[i];
                    }
                }
                if (above[i] != c && !sky(above[i])) {
                    const int o = off(c, above[i]);
                    if (o < higherOff[c]) {
                        higherOff[c] = o;
                        higher[c] = above[i];
                    }
                }
            }
        }
    }
    // Level n covers n - 0.5 .. n + 0.5 of the continuous level; a quarter of its pixels step
    // 1/8 and 3/8 of a level either side of n, half of them from there to the borders.
    constexpr double kSteps[4] = {-0.375, -0.125, 0.125, 0.375};
    for (int n = 0; n <= levels; ++n) {
        for (int k = 0; k < 4; ++k) {
            const double r = std::max((n + kSteps[k]) / haze.perUnit + area->hazeNear, 0.0);
            ditherEdges[static_cast<std::size_t>(n)][static_cast<std::size_t>(k)] = r * r;
        }
    }
    ditherFar = levels - 1;
    // A pixel (x, y) shows the point at depth Y along the eye ray (x s - cx, 1, cy - y s) of
    // the screen space (s the sub-pixel scale); the world's offset from the eye is that point
    // through the inverse of the camera's turn, so the squared distance is Y² rᵀ G r.
    const float* e = camera->GetModelToScreen().matrix.m;
    const double a[3][3] = {{e[0], e[2], e[6]}, {e[1], e[3], e[7]}, {e[4], e[5], e[8]}};
    const double det = a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) -
                       a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
                       a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
    if (!(std::abs(det) > 0.0)) return;
    double b[3][3];
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            const int i1 = (j + 1) % 3, i2 = (j + 2) % 3, j1 = (i + 1) % 3, j2 = (i + 2) % 3;
            b[i][j] = (a[i1][j1] * a[i2][j2] - a[i1][j2] * a[i2][j1]) / det;
        }
    }
    double g[3][3];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            g[i][j] = b[0][i] * b[0][j] + b[1][i] * b[1][j] + b[2][i] * b[2][j];
    const double s = camera->GetSubPixelScale();
    const double cx = camera->GetCentreX(), cy = camera->GetCentreY();
    const double r0[3] = {-cx, 1.0, cy};
    double gr[3];
    for (int i = 0; i < 3; ++i)
        gr[i] = g[i][0] * r0[0] + g[i][1] * r0[1] + g[i][2] * r0[2];
    dither.qxx = s * s * g[0][0];
    dither.qyy = s * s * g[2][2];
    dither.qxy = -2.0 * s * s * g[0][2];
    dither.qx = 2.0 * s * gr[0];
    dither.qy = -2.0 * s * gr[2];
    dither.q0 = r0[0] * gr[0] + r0[1] * gr[1] + r0[2] * gr[2];
    ditherScale = s;
    ditherCx = cx;
    ditherCy = cy;
    ditherOn = true;
}

bool TerrainRenderer::DitherPlane(const TerrainVertex* const corners[3]) {
    const ts::Vector3F& p = corners[0]->eye;
    const double ux = static_cast<double>(corners[1]->eye.x) - p.x;
    const double uy = static_cast<double>(corners[1]->eye.y) - p.y;
    const double uz = static_cast<double>(corners[1]->eye.z) - p.z;
    const double vx = static_cast<double>(corners[2]->eye.x) - p.x;
    const double vy = static_cast<double>(corners[2]->eye.y) - p.y;
    const double vz = static_cast<double>(corners[2]->eye.z) - p.z;
    const double nx = uy * vz - uz * vy, ny = uz * vx - ux * vz, nz = ux * vy - uy * vx;
    const double d = nx * p.x + ny * p.y + nz * p.z;
    const double scale = std::abs(nx) + std::abs(ny) + std::abs(nz);
    if (!(std::abs(d) > 1e-6 * scale)) return false;
    // Along the ray r the plane lies at depth d / (n . r): the reciprocal depth is linear in
    // the pixel's place.
    dither.l0 = (ny - nx * ditherCx + nz * ditherCy) / d;
    dither.lx = nx * ditherScale / d;
    dither.ly = -nz * ditherScale / d;
    return true;
}

int TerrainRenderer::HazeLevel(float distance) const {
    const float g = (distance - static_cast<float>(area->hazeNear)) * haze.perUnit;
    return g > static_cast<float>(haze.levels) ? haze.levels + 1 : RoundedLevel(g, haze.levels);
}

int TerrainRenderer::HazeLevelOfSquared(double squared) const {
    int n = 0;
    while (n <= haze.levels && squared >= haze.squared[static_cast<std::size_t>(n)])
        ++n;
    return n;
}

void TerrainRenderer::DrawHazedTriangle(const TerrainVertex* const corners[3],
                                        const TerrainMaterial* material,
                                        const TextureOrigin& texture, int depth) {
    if (haze.levels == 0) {
        DrawPolygon(corners, 3, material, texture);
        return;
    }
    // A haze border cuts a triangle along a straight line between the points where it crosses
    // the sides, while the border itself is a circle round the eye: across a large triangle the
    // line would stand well inside the circle, and the borders would run as straight diagonals
    // over open water. A side that crosses a border and is long beside its distance from the
    // eye is halved, the triangle drawn as the pieces between the halves, until the lines
    // follow the circles. Whether a side is halved depends on the side alone, taken from its
    // lesser end whichever triangle asks, so the triangle across it halves it too, at the very
    // same point. Distances are compared squared.
    auto halved = [&](const TerrainVertex* a, const TerrainVertex* b) {
        // Both ends in the first level: no border crosses the side, nearer or farther.
        if (depth >= kMostHalvings || (a->haze == 0 && b->haze == 0)) return false;
        if (Before(*b, *a)) std::swap(a, b);
        const double dx = static_cast<double>(b->gx) - a->gx, dy = static_cast<double>(b->gy) - a->gy;
        const double dz = static_cast<double>(b->height) - a->height;
        const double squared = dx * dx + dy * dy + dz * dz;
        if (squared <= 256.0 * 256.0) return false;
        if (a->haze == b->haze) {
            // Ends in one level: only a side long enough to reach the border before it from
            // its end can pass nearer.
            const double reach = a->distance - haze.radius[static_cast<std::size_t>(a->haze) - 1];
            if (squared < reach * reach) return false;
        }
        const double ex = a->gx - static_cast<double>(area->eye[0]);
        const double ey = a->gy - static_cast<double>(area->eye[1]);
        const double ez = static_cast<double>(a->height) - area->eye[2];
        // The side's point nearest the eye: a side passing the eye at its middle may reach a
        // nearer level there than at either end.
        const double along = ex * dx + ey * dy + ez * dz;
        const double fromA = ex * ex + ey * ey + ez * ez;
        int level = std::min(a->haze, b->haze);
        double nearest = 0.0;
        if (along >= 0.0) {
            nearest = fromA;
        } else if (-along >= squared) {
            nearest = fromA + 2.0 * along + squared;
        } else {
            nearest = fromA - along * along / squared;
            level = std::min(level, HazeLevelOfSquared(nearest));
        }
        if (level == a->haze && level == b->haze) return false;
        return squared > 0.0625 * nearest;  // longer than a quarter of its nearest distance
    };
    bool split[3];
    int splits = 0;
    for (int k = 0; k < 3; ++k) {
        split[k] = halved(corners[k], corners[(k + 1) % 3]);
        splits += split[k] ? 1 : 0;
    }
    if (splits == 0) {
        DrawHazedPiece(corners, material, texture);
        return;
    }
    ts::TSCamera* camera = ts::theCurrentCamera;
    const float nearY = camera->GetNear();
    const float subPixel = camera->GetSubPixelScale();
    const double cx = camera->GetCentreX(), cy = camera->GetCentreY();
    TerrainVertex middle[3];
    for (int k = 0; k < 3; ++k) {
        if (!split[k]) continue;
        const TerrainVertex& a = *corners[k];
        const TerrainVertex& b = *corners[(k + 1) % 3];
        // The same from either end: sums and halves taken in an order that does not matter.
        TerrainVertex& m = middle[k];
        m.gx = static_cast<std::int32_t>((static_cast<std::int64_t>(a.gx) + b.gx) >> 1);
        m.gy = static_cast<std::int32_t>((static_cast<std::int64_t>(a.gy) + b.gy) >> 1);
        m.height = (a.height + b.height) * 0.5f;
        m.level = std::min(a.level, b.level);
        const double ex = (static_cast<double>(a.gx) + b.gx) * 0.5 - area->eye[0];
        const double ey = (static_cast<double>(a.gy) + b.gy) * 0.5 - area->eye[1];
        const double ez = static_cast<double>(m.height) - area->eye[2];
        // The middle's distance from its squared value by Newton's steps from the ends' mean,
        // which is never nearer (the distance is convex along the side).
        const double s = ex * ex + ey * ey + ez * ez;
        double r = std::max(0.5 * (static_cast<double>(a.distance) + b.distance), 1.0);
        for (int i = 0; i < 4; ++i)
            r = 0.5 * (r + s / r);
        m.distance = static_cast<float>(r);
        m.haze = static_cast<std::uint8_t>(HazeLevel(m.distance));
        m.colour =
            gfx::GFXColourTriple{(a.colour.r + b.colour.r) / 2, (a.colour.g + b.colour.g) / 2,
                                 (a.colour.b + b.colour.b) / 2};
        // The eye space is the world's turned and moved: the middle's eye point is the ends'.
        m.eye = ts::Vector3F{(a.eye.x + b.eye.x) * 0.5f, (a.eye.y + b.eye.y) * 0.5f,
                             (a.eye.z + b.eye.z) * 0.5f};
        m.behind = static_cast<std::uint8_t>(m.eye.y < nearY ? 1 : 0);
        m.wide = static_cast<std::uint8_t>(
            m.behind == 0 && BeyondGuard(m.eye, kGuardPixels * subPixel) ? 1 : 0);
        m.outcode = 0;
        if (m.behind == 0 && m.wide == 0) m.screen = ScreenOf(m.eye, cx, cy, subPixel);
    }
    const TerrainVertex* c0 = corners[0];
    const TerrainVertex* c1 = corners[1];
    const TerrainVertex* c2 = corners[2];
    auto draw = [&](const TerrainVertex* a, const TerrainVertex* b, const TerrainVertex* e) {
        const TerrainVertex* const t[3] = {a, b, e};
        DrawHazedTriangle(t, material, texture, depth + 1);
    };
    if (splits == 3) {
        draw(c0, &middle[0], &middle[2]);
        draw(&middle[0], c1, &middle[1]);
        draw(&middle[2], &middle[1], c2);
        draw(&middle[0], &middle[1], &middle[2]);
        return;
    }
    // The sides in turn from the first one halved (after one not halved, when two are).
    int k = 0;
    while (!split[k] || (splits == 2 && split[(k + 2) % 3]))
        ++k;
    const TerrainVertex* p = corners[k];
    const TerrainVertex* q = corners[(k + 1) % 3];
    const TerrainVertex* r = corners[(k + 2) % 3];
    if (splits == 1) {
        draw(p, &middle[k], r);
        draw(&middle[k], q, r);
        return;
    }
    // Sides k (p to q) and k + 1 (q to r) halved, side k + 2 (r to p) whole.
    const TerrainVertex* m1 = &middle[k];
    const TerrainVertex* m2 = &middle[(k + 1) % 3];
    draw(m1, q, m2);
    draw(p, m1, m2);
    draw(p, m2, r);
}

void TerrainRenderer::DrawHazedPiece(const TerrainVertex* const corners[3],
                                     const TerrainMaterial* material,
                                     const TextureOrigin& texture) {
    gfx::GFXPalette* palette = gfx::theCurrentDrawTarget->surface->palette;
    const int h0 = corners[0]->haze, h1 = corners[1]->haze, h2 = corners[2]->haze;
    const int first = std::min({h0, h1, h2}), top = std::max({h0, h1, h2});
    // Beyond the range (the level after the last) nothing is drawn: the ground ends at the
    // range along a border of the same kind, so that the far edge runs round the eye instead
    // of along the ragged outline of the cells that reach past it, whose farther parts would
    // stand on the sky above a line of it.
    if (first > haze.levels) return;
    if (first == top) {
        palette->shadeLevel = first;
        DrawPolygon(corners, 3, material, texture);
        return;
    }
    if (top - first >= kMostBorders) {  // a palette of more levels than the pieces have room for
        palette->shadeLevel = std::min(haze.levels, (h0 + h1 + h2 + 1) / 3);
        DrawPolygon(corners, 3, material, texture);
        return;
    }
    DrawHazeLevels(corners, first, top, material, texture);
}

const TerrainRenderer::SideCuts& TerrainRenderer::CutSide(const TerrainVertex& a,
                                                          const TerrainVertex& b) {
    // A side is cut once a frame, from its lesser end, and the cuts kept for the triangle
    // across it. The key mixes both ends' grid positions; the record holds them whole.
    const auto ua = static_cast<std::uint64_t>(static_cast<std::uint32_t>(a.gx)) << 32 |
                    static_cast<std::uint32_t>(a.gy);
    const auto ub = static_cast<std::uint64_t>(static_cast<std::uint32_t>(b.gx)) << 32 |
                    static_cast<std::uint32_t>(b.gy);
    const std::uint64_t key = (ua * 0x9E3779B97F4A7C15ull) ^ (ub + 0x632BE59BD9B4E019ull) ^
                              ((ub >> 29) * 0xC2B2AE3D27D4EB4Full);
    std::int32_t existing = -1;
    const bool fresh = sideCuts.size() < sideCuts.capacity() &&
                       sideTable.Put(key, static_cast<std::int32_t>(sideCuts.size()), &existing);
    if (!fresh && existing >= 0) {
        const SideCuts& s = sideCuts[static_cast<std::size_t>(existing)];
        if (s.ax == a.gx && s.ay == a.gy && s.bx == b.gx && s.by == b.gy) return s;
    }
    // New, or not kept (a full table, or another side under the same key): cut here, and kept
    // in the scratch record when not filed.
    SideCuts made;
    made.ax = a.gx;
    made.ay = a.gy;
    made.bx = b.gx;
    made.by = b.gy;
    made.first = static_cast<std::int32_t>(sideCutPoints.size());
    const int lo = std::min(a.haze, b.haze), hi = std::max(a.haze, b.haze);
    made.count = hi - lo;
    made.firstBorder = a.haze <= b.haze ? lo : hi - 1;
    made.step = a.haze <= b.haze ? 1 : -1;
    ts::TSCamera* camera = ts::theCurrentCamera;
    const double ex = a.gx - static_cast<double>(area->eye[0]);
    const double ey = a.gy - static_cast<double>(area->eye[1]);
    const double ez = a.height - static_cast<double>(area->eye[2]);
    const double dx = static_cast<double>(b.gx) - a.gx;
    const double dy = static_cast<double>(b.gy) - a.gy;
    const double dz = static_cast<double>(b.height) - a.height;
    const double qa = dx * dx + dy * dy + dz * dz;
    const double qb = ex * dx + ey * dy + ez * dz;
    const double fromA = ex * ex + ey * ey + ez * ez;
    const bool onScreen = a.behind == 0 && b.behind == 0 && a.wide == 0 && b.wide == 0;
    for (int c = 0; c < made.count; ++c) {
        const auto border = static_cast<std::size_t>(made.firstBorder + c * made.step);
        // Where the side reaches the border's distance from the eye, worked out in space: the
        // distance does not change evenly along a side, and a cut at the even share would fall
        // short of the border's circle round the eye by more the longer the side, so that the
        // borders of large and small triangles beside each other would not meet. Newton's steps
        // on the squared distance along the side, from the even share of the distance.
        const double da = a.distance, db = b.distance;
        double t = db != da ? (haze.radius[border] - da) / (db - da) : 0.5;
        t = std::clamp(t, 0.0, 1.0);
        const double qc = fromA - haze.squared[border];
        for (int i = 0; i < 4; ++i) {
            const double slope = 2.0 * (qa * t + qb);
            if (slope == 0.0) break;
            const double next = std::clamp(t - ((qa * t + 2.0 * qb) * t + qc) / slope, 0.0, 1.0);
            if (next == t) break;
            t = next;
        }
        CutPoint p;
        if (onScreen) {
            // The fraction of the way across the screen (the depth weighs the way in space),
            // taken to a whole number of 65,536ths, and the way in space back from it, so that
            // on the screen the point lies on the line between the ends' points (to the
            // sub-pixel the division truncates to) and the pieces along the side meet the
            // neighbour's pieces, or its whole triangle, pixel for pixel.
            constexpr std::int64_t kSteps = std::int64_t{1} << 16;
            const float ya = a.eye.y, yb = b.eye.y;
            const auto tf = static_cast<float>(t);
            const float across = tf * yb / (ya + tf * (yb - ya));
            const std::int64_t k = std::clamp<std::int64_t>(
                RoundHalfAway(across * static_cast<double>(kSteps)), 0, kSteps);
            const float s = static_cast<float>(k) / static_cast<float>(kSteps);
            p.t = s * ya / (yb - s * (yb - ya));
            const auto step = [&](std::int32_t from, std::int32_t to) {
                return static_cast<std::int32_t>(from + k * (static_cast<std::int64_t>(to) - from) /
                                                            kSteps);
            };
            p.screen.x = step(a.screen.x, b.screen.x);
            p.screen.y = step(a.screen.y, b.screen.y);
            p.eye = a.eye + (b.eye - a.eye) * p.t;
            p.screen.z = ts::FloatToInt(p.eye.y);
            p.screen.w = 1.0f / p.eye.y;
        } else {
            // An end behind the near plane or beyond the guard band has no pixel: the point is
            // projected, and a piece that reaches past those planes is cut there anyway.
            p.t = static_cast<float>(t);
            const ts::Vector3F w{static_cast<float>(a.gx) + static_cast<float>(b.gx - a.gx) * p.t,
                                 static_cast<float>(a.gy) + static_cast<float>(b.gy - a.gy) * p.t,
                                 a.height + (b.height - a.height) * p.t};
            std::uint32_t flag = 0, any = 0;
            camera->WorldToScreenPoints(1, &w, &p.eye, &p.screen, sizeof(ts::Vector3F),
                                        sizeof(ts::Vector3F), sizeof(gfx::GFXScreenPoint), &flag,
                                        &any);
            p.behind = static_cast<std::uint8_t>(flag & 1);
            const float subPixel = camera->GetSubPixelScale();
            p.wide = static_cast<std::uint8_t>(
                p.behind == 0 && BeyondGuard(p.eye, kGuardPixels * subPixel) ? 1 : 0);
            if (p.behind == 0 && p.wide == 0)
                p.screen = ScreenOf(p.eye, camera->GetCentreX(), camera->GetCentreY(), subPixel);
        }
        sideCutPoints.push_back(p);
    }
    if (fresh) {
        sideCuts.push_back(made);
        return sideCuts.back();
    }
    scratchSide = made;
    return scratchSide;
}

void TerrainRenderer::DrawHazeLevels(const TerrainVertex* const corners[3], int first, int top,
                                     const TerrainMaterial* material,
                                     const TextureOrigin& texture) {
    gfx::GFXPalette* palette = gfx::theCurrentDrawTarget->surface->palette;
    // Every side's crossings of the borders, in order from its start: the side's cuts, made
    // from its lesser end, read forward or back.
    int sideFirst[3] = {0, 0, 0}, sideCount[3] = {0, 0, 0};
    int sideBorder[3] = {0, 0, 0}, sideStep[3] = {1, 1, 1};
    int made = 0;
    for (int i = 0; i < 3; ++i) {
        const TerrainVertex* a = corners[i];
        const TerrainVertex* b = corners[(i + 1) % 3];
        if (a->haze == b->haze) continue;
        const bool reversed = Before(*b, *a);
        const SideCuts& s = reversed ? CutSide(*b, *a) : CutSide(*a, *b);
        // A cut point of this triangle's own: its grid position, height, distance and light
        // from its own ends (a grid point's vertices of two levels share height and distance,
        // not light).
        const TerrainVertex* from = reversed ? b : a;
        const TerrainVertex* to = reversed ? a : b;
        for (int c = 0; c < s.count; ++c) {
            const CutPoint& p = sideCutPoints[static_cast<std::size_t>(s.first + c)];
            const int at = reversed ? made + s.count - 1 - c : made + c;
            TerrainVertex& out = cutPoints[static_cast<std::size_t>(at)];
            const float t = p.t;
            out.gx = static_cast<std::int32_t>(RoundHalfAway(
                static_cast<float>(from->gx) + static_cast<float>(to->gx - from->gx) * t));
            out.gy = static_cast<std::int32_t>(RoundHalfAway(
                static_cast<float>(from->gy) + static_cast<float>(to->gy - from->gy) * t));
            out.height = from->height + (to->height - from->height) * t;
            out.distance = from->distance + (to->distance - from->distance) * t;
            out.level = from->level;
            out.colour = gfx::GFXColourTriple{
                static_cast<std::int32_t>(from->colour.r + (to->colour.r - from->colour.r) * t),
                static_cast<std::int32_t>(from->colour.g + (to->colour.g - from->colour.g) * t),
                static_cast<std::int32_t>(from->colour.b + (to->colour.b - from->colour.b) * t)};
            out.eye = p.eye;
            out.screen = p.screen;
            out.behind = p.behind;
            out.wide = p.wide;
            out.outcode = 0;
        }
        // Kept by value: a later side's record may be the scratch one.
        sideFirst[i] = made;
        sideCount[i] = s.count;
        sideBorder[i] = reversed ? s.firstBorder + (s.count - 1) * s.step : s.firstBorder;
        sideStep[i] = reversed ? -s.step : s.step;
        made += s.count;
    }
    // The pieces, one a level (the border after level n is border n), sharing their borders
    // and the points on the triangle's sides with each other and with the neighbours across
    // those sides: together they cover the triangle's pixels once, each in its own level.
    const int last = std::min(top, haze.levels);
    std::array<const TerrainVertex*, kMostPiecePoints> piece{};
    for (int level = first; level <= last; ++level) {
        int points = 0;
        for (int i = 0; i < 3; ++i) {
            if (corners[i]->haze == level) piece[static_cast<std::size_t>(points++)] = corners[i];
            // The side's crossings of this piece's two borders, in their order along it: the
            // side's borders step by one, so each is found at once.
            const int below = (level - 1 - sideBorder[i]) * sideStep[i];
            const int above = (level - sideBorder[i]) * sideStep[i];
            for (const int c : {std::min(below, above), std::max(below, above)}) {
                if (c >= 0 && c < sideCount[i])
                    piece[static_cast<std::size_t>(points++)] =
                        &cutPoints[static_cast<std::size_t>(sideFirst[i] + c)];
            }
        }
        if (points < 3) continue;
        palette->shadeLevel = level;
        DrawPolygon(piece.data(), points, material, texture);
    }
}

void TerrainRenderer::DrawPolygon(const TerrainVertex* const* vertices, int count,
                                  const TerrainMaterial* material, const TextureOrigin& texture) {
    gfx::SpanRasterState& span = gfx::theSpanState;
    if (ditherTriangle) {
        const int level = gfx::theCurrentDrawTarget->surface->palette->shadeLevel;
        // In the first level nothing moves nearer, and nothing farther short of its share's
        // edge: a polygon whose farthest corner (the distance is convex across it) is nearer
        // is left as drawn, as is most of the ground round the eye.
        double farthest = 0.0;
        if (level == 0) {
            for (int i = 0; i < count; ++i)
                farthest = std::max(farthest, static_cast<double>(vertices[i]->distance));
        }
        if ((waterMaterial || level >= ditherFar) && level >= 0 && level <= haze.levels &&
            (level > 0 || farthest * farthest >= ditherEdges[0][2])) {
            const auto n = static_cast<std::size_t>(level);
            for (std::size_t k = 0; k < 4; ++k)
                dither.edges[k] = ditherEdges[n][k];
            // The first level has none nearer (all the ground within the haze's near distance
            // is in it), the last none farther.
            dither.lower = level > 0 ? &ditherMaps[n * 512] : nullptr;
            dither.higher = level < haze.levels ? &ditherMaps[n * 512 + 256] : nullptr;
            span.hazeDither = &dither;
        }
    }
    if (count == 3) {
        DrawCorners<3>(vertices, count, material, texture);
    } else {
        DrawCorners<0>(vertices, count, material, texture);
    }
    span.hazeDither = nullptr;
}

template <int kCount>
void TerrainRenderer::DrawCorners(const TerrainVertex* const* vertices, int count,
                                  const TerrainMaterial* material, const TextureOrigin& texture) {
    const int n = kCount != 0 ? kCount : std::min(count, static_cast<int>(clipEye.size()) - 6);
    const float perTexture = texture.perTexture, ox = texture.x, oy = texture.y;
    bool behind = false;
    for (int i = 0; i < n; ++i) {
        const TerrainVertex& v = *vertices[i];
        clipTex[static_cast<std::size_t>(i)] =
            gfx::GFXTexCoord{(static_cast<float>(v.gx) - ox) * perTexture,
                             (static_cast<float>(v.gy) - oy) * perTexture};
        behind |= v.behind != 0 || v.wide != 0;
    }
    if (behind) {
        DrawClipped(vertices, n, material);
        return;
    }
    // Wholly in front of the near plane and within the guard band: the corners go to the
    // rasterizer as they are.
    std::array<const gfx::GFXScreenPoint*, 24> points;
    std::array<const gfx::GFXColourTriple*, 24> colours;
    std::array<const gfx::GFXTexCoord*, 24> tex;
    float nearest = 1e30f, farthest = 0.0f;
    for (int i = 0; i < n; ++i) {
        const TerrainVertex& v = *vertices[i];
        points[static_cast<std::size_t>(i)] = &v.screen;
        colours[static_cast<std::size_t>(i)] = &v.colour;
        tex[static_cast<std::size_t>(i)] = &clipTex[static_cast<std::size_t>(i)];
        nearest = std::min(nearest, v.eye.y);
        farthest = std::max(farthest, v.eye.y);
    }
    SubmitPolygon(n, points.data(), colours.data(), tex.data(), nearest, farthest, material);
}

void TerrainRenderer::DrawClipped(const TerrainVertex* const* vertices, int n,
                                  const TerrainMaterial* material) {
    ts::TSCamera* camera = ts::theCurrentCamera;
    const float nearY = camera->GetNear();
    const float subPixel = camera->GetSubPixelScale();
    const float guard = kGuardPixels * subPixel;
    // The outline in two buffers, cut by one plane after another: the near plane first, so that
    // every point the guard planes see lies in front. A corner that survives every cut keeps
    // its pixel (null for a cut, and for a corner whose own point was never made).
    struct Point {
        ts::Vector3F eye;
        gfx::GFXTexCoord tex;
        gfx::GFXColourTriple colour;
        const gfx::GFXScreenPoint* screen;
    };
    constexpr int kMost = 24;
    std::array<Point, kMost> buffers[2];
    int m = 0;
    for (int i = 0; i < n && i < kMost; ++i) {
        const TerrainVertex& v = *vertices[i];
        buffers[0][static_cast<std::size_t>(m++)] =
            Point{v.eye, clipTex[static_cast<std::size_t>(i)], v.colour,
                  v.behind == 0 && v.wide == 0 ? &v.screen : nullptr};
    }
    int from = 0;
    for (int plane = 0; plane < 5 && m >= 3; ++plane) {
        const std::array<Point, kMost>& in = buffers[from];
        std::array<Point, kMost>& out = buffers[1 - from];
        float d[kMost];
        bool all = true;
        for (int i = 0; i < m; ++i) {
            d[i] = Distances(in[static_cast<std::size_t>(i)].eye, guard, nearY).d[plane];
            all &= d[i] >= 0.0f;
        }
        if (all) continue;
        int k = 0;
        for (int i = 0; i < m && k < kMost - 1; ++i) {
            const int j = (i + 1) % m;
            const bool ain = d[i] >= 0.0f, bin = d[j] >= 0.0f;
            if (ain) out[static_cast<std::size_t>(k++)] = in[static_cast<std::size_t>(i)];
            if (ain == bin) continue;
            // From the side's ends in one order whichever polygon asks, so that the neighbour
            // across the side is cut at the very same point.
            int a = i, b = j;
            const ts::Vector3F& p = in[static_cast<std::size_t>(i)].eye;
            const ts::Vector3F& q = in[static_cast<std::size_t>(j)].eye;
            if (p.x > q.x || (p.x == q.x && (p.y > q.y || (p.y == q.y && p.z > q.z))))
                std::swap(a, b);
            const Point& pa = in[static_cast<std::size_t>(a)];
            const Point& pb = in[static_cast<std::size_t>(b)];
            const float s = d[a] / (d[a] - d[b]);
            out[static_cast<std::size_t>(k++)] =
                Point{pa.eye + (pb.eye - pa.eye) * s,
                      gfx::GFXTexCoord{pa.tex.u + (pb.tex.u - pa.tex.u) * s,
                                       pa.tex.v + (pb.tex.v - pa.tex.v) * s},
                      gfx::GFXColourTriple{
                          static_cast<std::int32_t>(pa.colour.r + (pb.colour.r - pa.colour.r) * s),
                          static_cast<std::int32_t>(pa.colour.g + (pb.colour.g - pa.colour.g) * s),
                          static_cast<std::int32_t>(pa.colour.b + (pb.colour.b - pa.colour.b) * s)},
                      nullptr};
        }
        m = k;
        from = 1 - from;
    }
    if (m < 3) return;
    // The vertices' eye points are the camera's screen space (scaled across, depth as it
    // is): the cuts only need the division, to sub-pixels as every vertex has them.
    const float cx = camera->GetCentreX(), cy = camera->GetCentreY();
    const std::array<Point, kMost>& kept = buffers[from];
    for (int i = 0; i < m; ++i) {
        const Point& q = kept[static_cast<std::size_t>(i)];
        clipEye[static_cast<std::size_t>(i)] = q.eye;
        clipTex[static_cast<std::size_t>(i)] = q.tex;
        clipColour[static_cast<std::size_t>(i)] = q.colour;
        gfx::GFXScreenPoint& o = clipScreen[static_cast<std::size_t>(i)];
        if (q.screen != nullptr) {
            o = *q.screen;
            continue;
        }
        o = ScreenOf(q.eye, cx, cy, subPixel);
    }
    std::array<const gfx::GFXScreenPoint*, kMost> points;
    std::array<const gfx::GFXColourTriple*, kMost> colours;
    std::array<const gfx::GFXTexCoord*, kMost> tex;
    float nearest = 1e30f, farthest = 0.0f;
    for (int i = 0; i < m; ++i) {
        points[static_cast<std::size_t>(i)] = &clipScreen[static_cast<std::size_t>(i)];
        colours[static_cast<std::size_t>(i)] = &clipColour[static_cast<std::size_t>(i)];
        tex[static_cast<std::size_t>(i)] = &clipTex[static_cast<std::size_t>(i)];
        nearest = std::min(nearest, clipEye[static_cast<std::size_t>(i)].y);
        farthest = std::max(farthest, clipEye[static_cast<std::size_t>(i)].y);
    }
    SubmitPolygon(m, points.data(), colours.data(), tex.data(), nearest, farthest, material);
}

void TerrainRenderer::SubmitPolygon(int m, const gfx::GFXScreenPoint* const* points,
                                    const gfx::GFXColourTriple* const* colours,
                                    const gfx::GFXTexCoord* const* tex, float nearest,
                                    float farthest, const TerrainMaterial* material) {
    gfx::GFXDrawTarget& target = *gfx::theCurrentDrawTarget;
    // The polygons of a cell share its material: its face is worked out once for them.
    if (!faceKind.valid || faceKind.material != material) {
        FaceKind k;
        k.valid = true;
        k.material = material;
        k.face.colour = kDefaultGround;
        k.type = kMaterialPalette;
        k.shading = kShadingSmooth;
        if (material != nullptr) {
            k.face.colour = material->paletteIndex;
            k.type = material->type;
            k.shading = material->shading;
            k.face.textureFlags = material->flags & (kMaterialTransparent | kMaterialTranslucent);
            if (k.type == kMaterialTexture && texturesOn && material->texture != nullptr) {
                k.face.texture = material->texture;
            } else if (k.type == kMaterialTexture) {
                k.type = kMaterialPalette;  // a texture that is not there draws in its colour
            }
        }
        faceKind = k;
    }
    const gfx::GFXFaceMaterial& face = faceKind.face;
    const std::uint32_t type = faceKind.type, shading = faceKind.shading;
    if (type == kMaterialNull) return;
    // Perspective where the polygon's depth varies much: affine textures would swim.
    const bool perspective = farthest > 1.5f * nearest;
    auto draw = [&](int k, const gfx::GFXScreenPoint* const* p,
                    const gfx::GFXColourTriple* const* cl, const gfx::GFXTexCoord* const* tx) {
        if (face.texture != nullptr) {
            if (perspective)
                gfx::DrawPolygonPerspectiveSmooth(target, face, k, p, cl, tx);
            else
                gfx::DrawPolygonTexturedSmooth(target, face, k, p, cl, tx);
        } else if (shading == kShadingFlat) {
            gfx::DrawPolygonFlatShaded(target, face, k, p, cl);
        } else if (shading == kShadingSmooth) {
            gfx::DrawPolygonSmooth(target, face, k, p, cl);
        } else {
            gfx::DrawPolygonSolid(target, face, k, p);
        }
    };
    if (m <= 12) {
        if (m >= 3) draw(m, points, colours, tex);
        return;
    }
    // The fillers take at most 12 attributed points: longer outlines go as fans from point 0,
    // each piece sharing its last edge with the next.
    for (int start = 1; start + 1 < m;) {
        const int end = std::min(m - 1, start + 10);
        const int k = end - start + 2;
        const gfx::GFXScreenPoint* p[12];
        const gfx::GFXColourTriple* cl[12];
        const gfx::GFXTexCoord* tx[12];
        auto take = [&](int slot, int i) {
            p[slot] = points[i];
            cl[slot] = colours[i];
            tx[slot] = tex[i];
        };
        take(0, 0);
        for (int i = start; i <= end; ++i)
            take(i - start + 1, i);
        draw(k, p, cl, tx);
        start = end;
    }
}

}  // namespace world
