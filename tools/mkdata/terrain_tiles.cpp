// The "terrain" module: the country's tiles "art\terrain\USA\NA_<row>X<column>.TED" for every
// tile the outlines' box touches (or a smaller box given to the maker, for tests), built on the
// program's tile writer.
//
// A tile's root block holds levels 9 to 7 (4 x 4 cells of 2^18 units down to 16 x 16 cells of
// 2^16, about 26 km). A level-7 cell that needs more detail continues in a block of its own
// covering exactly that cell (levels 6 down to 0, cells of 512 units, about 200 m), with its own
// table of 256 heights, so each block spends its table on its own range of heights. Cells are
// split where the ground is not yet followed closely enough, at the edges of water and of
// airport pads; land is never coarser than level 5 and open sea stays at level 7. Heights that
// must be exact (pads, sea, lakes) get table entries of their own, in the file unit whose double
// conversion gives the nearest terrain height.
#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <optional>
#include <set>
#include <sstream>
#include <thread>

#include "tools/mkdata/installation.h"
#include "tools/mkdata/terrain_maker.h"
#include "world/terrain_disk_cache.h"
#include "world/terrain_grid.h"
#include "world/terrain_tile_writer.h"

namespace mkdata {

namespace terrain {

namespace {

constexpr int kRootTop = 9;
constexpr int kRootFinest = 7;
constexpr int kBlockTop = 6;
constexpr int kLandLevel = 5;        // land cells are never coarser than this
constexpr int kShoreLevel = 1;       // water edges are followed down to this level
constexpr int kReliefLevel = 2;      // the ground's shape is followed down to this level
constexpr double kTolerance = 25.0;  // feet between a cell's surface and the ground
// What the made-up relief adds is followed less closely: 15 % of its height more.
constexpr double kReliefSlack = 0.15;
constexpr double kShoreZone = 3000.0 / kMetresPerUnit;
constexpr double kRiverZone = 2500.0 / kMetresPerUnit;
constexpr double kKnownZone = 500.0 / kMetresPerUnit;    // flat this near a public height,
constexpr double kReliefZone = 6000.0 / kMetresPerUnit;  // the relief whole this far beyond
constexpr double kLocalReach = 7500.0 / kMetresPerUnit;  // a public height's detail at most
constexpr double kGridReach = 1200.0 / kMetresPerUnit;   // and inside the elevation grid
constexpr const char* kFolder = "Art\\Terrain\\USA\\";
constexpr const char* kMaterialList = "Art\\Terrain\\USA\\DML\\terrain.dml";

double Smooth(double t) {
    t = std::clamp(t, 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

// The file unit: feet x 1.2890625, which the double conversion turns into terrain units.
std::int32_t FileUnits(double feet) {
    return static_cast<std::int32_t>(std::lround(feet * kFeetPerUnit));
}

// The file value whose converted height is nearest to a height that must be met.
std::int32_t ExactFileUnits(double feet) {
    const std::int32_t guess = FileUnits(feet);
    std::int32_t best = guess;
    double bestError = 1e300;
    for (std::int32_t f = guess - 4; f <= guess + 4; ++f) {
        const double e = std::fabs(world::ConvertHeightToTerrain(f) * kFeetPerUnit - feet);
        if (e < bestError) {
            bestError = e;
            best = f;
        }
    }
    return best;
}

double TriangleHeight(const double h[4], double s, double u, double v) {
    const double d = h[2] - h[3] - h[1] + h[0];
    if (d == 0) return h[0] + ((h[1] - h[0]) * v + (h[3] - h[0]) * u) / s;
    if (d < 0) {
        if (v < u) return h[3] + ((s - u) * (h[0] - h[3]) + (h[2] - h[3]) * v) / s;
        return h[1] + ((s - v) * (h[0] - h[1]) + (h[2] - h[1]) * u) / s;
    }
    if (s - u <= v) return h[2] + ((h[3] - h[2]) * (s - v) + (h[1] - h[2]) * (s - u)) / s;
    return h[0] + ((h[1] - h[0]) * v + (h[3] - h[0]) * u) / s;
}

struct Sample {
    double feet = 0.0;
    bool exact = false;  // a pad, the sea or a lake: the table must hold it exactly
    int pad = -1;
    WaterClass water = kLand;
    float slack = 0.0f;  // feet the cells may leave the ground by beyond kTolerance
};

// The corner heights of one block, memoised on its finest grid.
struct CornerGrid {
    double x0 = 0, y0 = 0, spacing = 1;
    int size = 0;
    std::vector<Sample> samples;
    std::vector<std::uint8_t> done;
};

struct BlockBuild {
    CornerGrid grid;
    int baseLevel = 0;  // the level whose cells are one grid step
    world::TerrainBlockModel model;
    // Per level, per cell (squares x 4), the grid indices of its four corners.
    std::vector<std::vector<std::array<std::int32_t, 4>>> corners;
};

class TileBuilder {
public:
    TileBuilder(const ElevationField& field, const LocalDetail& detail, const SummitSet& summits,
                const PadSet& pads, const AirportSurfaces& surfaces, const TileWater& water,
                int column, int row)
        : field(field),
          detail(detail),
          summits(summits),
          pads(pads),
          surfaces(surfaces),
          water(water),
          column(column),
          row(row) {
        // Latitude and longitude on a coarse grid, read back bilinearly for land cover.
        for (int j = 0; j <= 64; ++j)
            for (int i = 0; i <= 64; ++i) {
                double lat = 0, lon = 0;
                ToGeo(Vec2{column * kTileUnits + i * 16384.0, row * kTileUnits + j * 16384.0}, &lat,
                      &lon);
                geo[static_cast<std::size_t>(j * 65 + i)] = {lat, lon};
            }
    }

    world::TerrainTileModel Build(std::uint64_t* samplesTaken);

private:
    Sample Height(double x, double y) const;
    Sample& Corner(BlockBuild& b, int i, int j) const;
    std::uint8_t MaterialOf(const Sample& centre, double x, double y, const double h[4],
                            double size) const;
    bool NeedsSplit(BlockBuild& b, int level, int i0, int j0, int step, const double h[4]);
    // Whether a cell's own ground, water, pads or summits ask for it to be split; `b` is null
    // for a cell of the tile beside this one.
    bool CellNeeds(BlockBuild* b, int level, double x0, double y0, double size, int i0, int j0,
                   int step, const double h[4]);
    void BuildCell(BlockBuild& b, int level, std::uint32_t square, int which, int ci, int cj,
                   bool dense);
    void Quantise(BlockBuild& b) const;
    void Geo(double x, double y, double* lat, double* lon) const;
    // Whether a box touches the tile's border.
    [[nodiscard]] bool OnBorder(double x0, double y0, double x1, double y1) const {
        const double left = column * kTileUnits, bottom = row * kTileUnits;
        return x0 <= left || y0 <= bottom || x1 >= left + kTileUnits || y1 >= bottom + kTileUnits;
    }

    const ElevationField& field;
    const LocalDetail& detail;
    const SummitSet& summits;
    const PadSet& pads;
    const AirportSurfaces& surfaces;
    const TileWater& water;
    int column, row;
    std::array<std::pair<double, double>, 65 * 65> geo{};
    std::vector<world::TerrainBlockModel> subBlocks;
    std::vector<int> nearPads;
    std::vector<Sample> blockSamples;
    std::vector<std::uint8_t> blockDone;
    mutable std::uint64_t samples = 0;
};

void TileBuilder::Geo(double x, double y, double* lat, double* lon) const {
    const double fx = std::clamp((x - column * kTileUnits) / 16384.0, 0.0, 63.999);
    const double fy = std::clamp((y - row * kTileUnits) / 16384.0, 0.0, 63.999);
    const int i = static_cast<int>(fx), j = static_cast<int>(fy);
    const double u = fx - i, v = fy - j;
    auto at = [&](int a, int b) { return geo[static_cast<std::size_t>(b * 65 + a)]; };
    *lat = (at(i, j).first * (1 - u) + at(i + 1, j).first * u) * (1 - v) +
           (at(i, j + 1).first * (1 - u) + at(i + 1, j + 1).first * u) * v;
    *lon = (at(i, j).second * (1 - u) + at(i + 1, j).second * u) * (1 - v) +
           (at(i, j + 1).second * (1 - u) + at(i + 1, j + 1).second * u) * v;
}

Sample TileBuilder::Height(double x, double y) const {
    ++samples;
    Sample s;
    double distance = 0, level = 0;
    water.NearestShore(x, y, &distance, &level);
    // A shore farther off is not seen by every tile the point borders on: none counts there,
    // so that both tiles make the same ground.
    if (distance > TileWater::kSeen * TileWater::kCell) distance = 1e9;
    // The public heights, passed through; the made-up relief only away from them: it dies down
    // toward rivers (they run in valleys), toward stations, airports and towns (the ground there
    // is known), and on the airports' floors and under their approaches.
    const double reliefScale = Smooth(water.RiverDistance(x, y) / kRiverZone) *
                               Smooth((detail.Nearest(x, y) - kKnownZone) / kReliefZone) *
                               surfaces.Calm(x, y);
    const double known = field.Fine(x, y) + detail.Departure(x, y);
    double h = known;
    if (reliefScale > 0.0) {
        // Inside the elevation grid the relief is only the detail a cell's mean hides, and
        // keeps the mean; beyond it, relief as high as the public heights round it vary.
        const double share = field.GridShare(x, y);
        double relief = 0.0;
        if (share > 0.0) relief += share * field.CellAmplitude(x, y) * CellRelief(x, y);
        if (share < 1.0)
            relief +=
                (1.0 - share) * detail.Amplitude(x, y, field.Amplitude(x, y)) * Relief(x, y);
        h += relief * reliefScale;
        s.slack = static_cast<float>(kReliefSlack * reliefScale * reliefScale *
                                     (share * field.CellAmplitude(x, y) +
                                      (1.0 - share) * detail.Amplitude(x, y, field.Amplitude(x, y))));
    }
    // Near a pass nothing stands above the pass but its crests and summits; the published
    // summits stand above it all; they come down to the shores like the rest, and the
    // approaches leave them standing.
    const double mountain = summits.Ground(x, y);
    const double relieved = h;
    h = std::max(std::min(h, summits.Saddle(x, y)), mountain);
    if (h != relieved) s.slack = 0.0f;  // a summit's, a crest's or a pass's ground
    s.water = water.ClassAt(x, y);
    if (s.water == kSea) {
        h = 0.0;
        s.exact = true;
    } else if (s.water == kLake) {
        h = water.LevelAt(x, y);
        s.exact = true;
    } else if (s.water == kLand && distance < kShoreZone) {
        // Shores come down to the water, a few feet above it, and stand no lower.
        // The public heights near the shore stand (a town on a hill above the water).
        const double shore = level + 3.0;
        h = std::max(shore + std::max(0.0, h - shore) * Smooth(distance / kShoreZone),
                     std::min(h, known));
        // A summit's mountain stands above the shore's blend, rising from the water's edge no
        // more steeply than 1 in 2 at first.
        const double fade = 1.0 - Smooth(distance / kShoreZone);
        const double rise = fade <= 0.0 ? mountain : shore + 0.5 * distance * kFeetPerUnit / fade;
        h = std::max(h, std::min(mountain, rise));
    }
    int pad = -1;
    const double before = h;
    h = pads.Apply(x, y, h, &pad);
    if (pad >= 0) {
        s.pad = pad;
        s.exact = true;
        s.water = kLand;
    } else if (h != before) {
        s.exact = false;  // blended toward a pad: no longer the water's own level
    }
    if (pad < 0 && s.water == kLand) {
        const double made = h;
        h = surfaces.Clear(x, y, h, distance, level, known, mountain);
        h = surfaces.Clear(x, y, surfaces.Lift(x, y, h, distance, level), distance, level, known,
                           mountain);
        // A pad standing above what was cleared round it keeps a hillside.
        h = std::max(h, std::min(pads.Shoulder(x, y), made));
        // A floor or an approach holds the ground: followed as closely as the rest.
        if (h != made) s.slack = 0.0f;
    }
    s.feet = h;
    if (s.exact || s.water != kLand) s.slack = 0.0f;
    return s;
}

Sample& TileBuilder::Corner(BlockBuild& b, int i, int j) const {
    CornerGrid& g = b.grid;
    const std::size_t k = static_cast<std::size_t>(j) * g.size + i;
    if (!g.done[k]) {
        g.samples[k] = Height(g.x0 + i * g.spacing, g.y0 + j * g.spacing);
        g.done[k] = 1;
    }
    return g.samples[k];
}

std::uint8_t TileBuilder::MaterialOf(const Sample& c, double x, double y, const double h[4],
                                     double size) const {
    if (c.pad >= 0) return kGrass;
    if (c.water != kLand) return kWater;
    const double rise = std::max({std::fabs(h[0] - h[2]), std::fabs(h[1] - h[3]),
                                  std::fabs(h[0] - h[1]), std::fabs(h[0] - h[3])});
    double lat = 0, lon = 0;
    Geo(x, y, &lat, &lon);
    return LandCover(lat, lon, c.feet, rise / (size * kFeetPerUnit), x, y);
}

bool TileBuilder::NeedsSplit(BlockBuild& b, int level, int i0, int j0, int step,
                             const double h[4]) {
    if (level == 0) return false;
    const CornerGrid& g = b.grid;
    const double x0 = g.x0 + i0 * g.spacing, y0 = g.y0 + j0 * g.spacing;
    const double size = step * g.spacing;
    if (CellNeeds(&b, level, x0, y0, size, i0, j0, step, h)) return true;
    if (level > kLandLevel || !OnBorder(x0, y0, x0 + size, y0 + size)) return false;
    auto allWater = [&](double ax, double ay) {
        return !water.IsMixed(ax, ay, ax + size, ay + size) &&
               water.ClassAt(ax + size / 2, ay + size / 2) != kLand;
    };
    if (level == kLandLevel && !allWater(x0, y0)) return true;
    // Along the tile's border a cell is split as far as it or the cell across the border in the
    // tile beside it needs, which finds the same: both draw the border with the same corners,
    // and the ground runs on across it. Land cells of the coarsest land level there are split
    // once more, so the cells across are looked at no deeper than the water's margin sees.
    const double left = column * kTileUnits, bottom = row * kTileUnits;
    // At a corner of the tile the cell across the corner counts too: the four cells round it
    // then look at the same four.
    double dx = 0.0, dy = 0.0;
    if (x0 <= left) dx = -size;
    if (x0 + size >= left + kTileUnits) dx = size;
    if (y0 <= bottom) dy = -size;
    if (y0 + size >= bottom + kTileUnits) dy = size;
    std::vector<std::pair<double, double>> across;
    if (dx != 0.0) across.emplace_back(x0 + dx, y0);
    if (dy != 0.0) across.emplace_back(x0, y0 + dy);
    if (dx != 0.0 && dy != 0.0) across.emplace_back(x0 + dx, y0 + dy);
    for (const auto& [ax, ay] : across) {
        if (level == kLandLevel && !allWater(ax, ay)) return true;
        const double a[4] = {Height(ax, ay).feet, Height(ax, ay + size).feet,
                             Height(ax + size, ay + size).feet, Height(ax + size, ay).feet};
        if (CellNeeds(nullptr, level, ax, ay, size, 0, 0, step, a)) return true;
    }
    return false;
}

bool TileBuilder::CellNeeds(BlockBuild* b, int level, double x0, double y0, double size, int i0,
                            int j0, int step, const double h[4]) {
    const double x1 = x0 + size, y1 = y0 + size;
    // A corner or a point of the cell: from the block's memory, or afresh for a cell of the
    // tile beside this one.
    auto at = [&](double dx, double dy) -> Sample {
        if (b != nullptr && std::fmod(dx, b->grid.spacing) == 0.0 &&
            std::fmod(dy, b->grid.spacing) == 0.0) {
            return Corner(*b, i0 + static_cast<int>(dx / b->grid.spacing),
                          j0 + static_cast<int>(dy / b->grid.spacing));
        }
        return Height(x0 + dx, y0 + dy);
    };
    const bool mixed = water.IsMixed(x0, y0, x1, y1);
    if (mixed && level > kShoreLevel) return true;
    const bool allWater = !mixed && water.ClassAt(x0 + size / 2, y0 + size / 2) != kLand;
    if (!allWater && level > kLandLevel) return true;
    // A cell of water whose far corner lies on the land beyond it would tilt its water.
    if (allWater) {
        for (const auto& [dx, dy] : {std::pair{0.0, 0.0}, {size, 0.0}, {size, size}, {0.0, size}})
            if (at(dx, dy).water == kLand) return true;
    }
    pads.Near(x0, y0, x1, y1, &nearPads);
    for (int p : nearPads)
        if (pads.CrossesEdge(p, x0, y0, x1, y1)) return true;
    // A summit stands on a corner of the finest cells round it, not between coarse ones.
    if (summits.AnyIn(x0, y0, x1, y1)) return true;
    if (level <= kReliefLevel && nearPads.empty()) return false;
    // The ground at the cell's centre and edge midpoints against the cell's own triangles.
    (void)step;
    const double half = size / 2;
    const double probes[5][2] = {{half, half}, {half, 0}, {0, half}, {size, half}, {half, size}};
    for (const auto& p : probes) {
        const Sample probe = at(p[0], p[1]);
        if (std::fabs(probe.feet - TriangleHeight(h, size, p[0], p[1])) > kTolerance + probe.slack)
            return true;
    }
    return false;
}

void TileBuilder::BuildCell(BlockBuild& b, int level, std::uint32_t square, int which, int ci,
                            int cj, bool dense) {
    const int step = 1 << (level - b.baseLevel);
    const int i0 = ci * step, j0 = cj * step;
    const std::array<std::int32_t, 4> idx = {j0 * b.grid.size + i0, (j0 + step) * b.grid.size + i0,
                                             (j0 + step) * b.grid.size + i0 + step,
                                             j0 * b.grid.size + i0 + step};
    double h[4];
    for (int k = 0; k < 4; ++k)
        h[k] = Corner(b, idx[static_cast<std::size_t>(k)] % b.grid.size,
                      idx[static_cast<std::size_t>(k)] / b.grid.size)
                   .feet;
    const double size = step * b.grid.spacing;
    const double x0 = b.grid.x0 + i0 * b.grid.spacing, y0 = b.grid.y0 + j0 * b.grid.spacing;
    // The centre is a grid corner for every cell but the finest.
    const Sample centre =
        step >= 2 ? Corner(b, i0 + step / 2, j0 + step / 2) : Height(x0 + size / 2, y0 + size / 2);
    const std::uint8_t material = MaterialOf(centre, x0 + size / 2, y0 + size / 2, h, size);
    const std::size_t slot = static_cast<std::size_t>(square) * 4 + static_cast<std::size_t>(which);
    auto& levelCorners = b.corners[static_cast<std::size_t>(level - b.model.firstLevel)];
    if (levelCorners.size() <= slot) levelCorners.resize(slot + 1);
    levelCorners[slot] = idx;
    std::uint16_t link = world::kLinkLeaf;
    if (dense) {
        // The root's dense levels: the four sub-cells form the finer level's square at once.
        const world::TerrainLevelModel& finer = b.model.Level(level - 1);
        link = static_cast<std::uint16_t>(
            world::kLinkSubdivided |
            ((static_cast<std::uint32_t>(cj) << finer.widthExp) + static_cast<std::uint32_t>(ci)));
    } else if (level == kRootFinest && b.baseLevel == kRootFinest) {
        if (NeedsSplit(b, level, i0, j0, step, h)) {
            const std::uint32_t id =
                world::kTerrainRootBlock + 1 + static_cast<std::uint32_t>(cj * 16 + ci);
            link = static_cast<std::uint16_t>(world::kLinkBlock | id);
            // The block covering this cell.
            BlockBuild sub;
            sub.baseLevel = 0;
            sub.grid.x0 = x0;
            sub.grid.y0 = y0;
            sub.grid.spacing = 512.0;
            sub.grid.size = 129;
            // The corner memory of one block is reused for the next.
            sub.grid.samples.swap(blockSamples);
            sub.grid.done.swap(blockDone);
            sub.grid.samples.resize(129 * 129);
            sub.grid.done.assign(129 * 129, 0);
            sub.model.id = id;
            sub.model.firstLevel = 0;
            sub.model.topLevel = kBlockTop;
            sub.model.startLevelIndex = kBlockTop;
            sub.model.inheritMaterial = true;
            sub.model.levels.resize(kBlockTop + 1);
            sub.corners.resize(kBlockTop + 1);
            for (int l = 0; l <= kBlockTop; ++l) {
                sub.model.levels[static_cast<std::size_t>(l)].widthExp =
                    static_cast<std::uint32_t>(kBlockTop - l);
                sub.model.levels[static_cast<std::size_t>(l)].heightExp =
                    static_cast<std::uint32_t>(kBlockTop - l);
            }
            const std::uint32_t top = sub.model.Level(kBlockTop).AddSquare();
            for (int k = 0; k < 4; ++k)
                BuildCell(sub, kBlockTop, top, k, k & 1, k >> 1, false);
            Quantise(sub);
            subBlocks.push_back(std::move(sub.model));
            blockSamples.swap(sub.grid.samples);
            blockDone.swap(sub.grid.done);
        }
    } else if (NeedsSplit(b, level, i0, j0, step, h)) {
        const std::uint32_t sq = b.model.Level(level - 1).AddSquare();
        link = static_cast<std::uint16_t>(world::kLinkSubdivided | sq);
        for (int k = 0; k < 4; ++k)
            BuildCell(b, level - 1, sq, k, 2 * ci + (k & 1), 2 * cj + (k >> 1), false);
    }
    std::uint8_t* cell = b.model.Level(level).Cell(square, which);
    world::SetTerrainCell(cell, link, 0, 0, 0, 0, material);
}

// The block's table of 256 heights (entry 255 unused) and every cell's corner indices.
void TileBuilder::Quantise(BlockBuild& b) const {
    // The grid corners the cells use.
    std::vector<std::uint8_t> isUsed(b.grid.samples.size(), 0);
    for (const auto& level : b.corners)
        for (const auto& c : level)
            for (std::int32_t k : c)
                isUsed[static_cast<std::size_t>(k)] = 1;
    std::vector<std::int32_t> target(b.grid.samples.size(), 0);  // wanted file value per corner
    std::set<std::int32_t> exact;
    std::vector<double> free;
    // The corners on the tile's border first: the tile beside it holds the same heights there,
    // and both must meet them exactly. Each edge of the block on the border rounds its inner
    // corners to a step of its own, found from those corners alone (as the tile beside it finds
    // it), coarse enough that two edges fit the table.
    const int n = b.grid.size;
    std::vector<std::int32_t> rounding(isUsed.size(), 1);
    auto edge = [&](int i0, int j0, int di, int dj) {
        const double x = b.grid.x0 + (i0 + di) * b.grid.spacing;
        const double y = b.grid.y0 + (j0 + dj) * b.grid.spacing;
        if (!OnBorder(x, y, x, y)) return;
        std::vector<std::int32_t> values;
        for (int t = 1; t < n - 1; ++t)
            values.push_back(ExactFileUnits(Corner(b, i0 + t * di, j0 + t * dj).feet));
        std::int32_t step = 1;
        for (;; step *= 2) {
            std::set<std::int32_t> distinct;
            for (const std::int32_t v : values)
                distinct.insert(
                    static_cast<std::int32_t>(std::lround(static_cast<double>(v) / step)));
            if (distinct.size() <= 100) break;
        }
        for (int t = 1; t < n - 1; ++t)
            rounding[static_cast<std::size_t>((j0 + t * dj) * n + i0 + t * di)] = step;
    };
    edge(0, 0, 1, 0);
    edge(0, n - 1, 1, 0);
    edge(0, 0, 0, 1);
    edge(n - 1, 0, 0, 1);
    std::vector<std::uint8_t> border(isUsed.size(), 0);
    for (std::size_t k = 0; k < isUsed.size(); ++k) {
        if (!isUsed[k]) continue;
        const double x = b.grid.x0 + static_cast<double>(k % b.grid.size) * b.grid.spacing;
        const double y = b.grid.y0 + static_cast<double>(k / b.grid.size) * b.grid.spacing;
        if (!OnBorder(x, y, x, y)) continue;
        const std::int32_t step = rounding[k];
        const std::int32_t f = static_cast<std::int32_t>(
            std::lround(static_cast<double>(ExactFileUnits(b.grid.samples[k].feet)) / step) * step);
        if (exact.size() >= 245 && exact.count(f) == 0) continue;
        border[k] = 1;
        target[k] = f;
        exact.insert(f);
    }
    for (std::size_t k = 0; k < isUsed.size(); ++k) {
        if (!isUsed[k] || border[k]) continue;
        const Sample& s = b.grid.samples[k];
        if (s.exact && (exact.size() < 245 || exact.count(ExactFileUnits(s.feet)) != 0)) {
            target[k] = ExactFileUnits(s.feet);
            exact.insert(target[k]);
        } else {
            target[k] = FileUnits(s.feet);
            free.push_back(s.feet);
        }
    }
    std::vector<std::int32_t> entries(exact.begin(), exact.end());
    std::sort(free.begin(), free.end());
    if (!free.empty()) {
        // Half the room spread evenly over the range, the rest where the heights are; what
        // coincides is merged, so a flat block keeps few entries.
        const std::size_t room = 255 - entries.size();
        const std::size_t even = room / 2, rest = room - even;
        const double lo = free.front(), hi = free.back();
        for (std::size_t k = 0; k < even; ++k)
            entries.push_back(
                FileUnits(lo + (hi - lo) * static_cast<double>(k) /
                                   static_cast<double>(std::max<std::size_t>(1, even - 1))));
        for (std::size_t k = 0; k < rest; ++k)
            entries.push_back(
                FileUnits(free[k * (free.size() - 1) / std::max<std::size_t>(1, rest - 1)]));
    }
    if (entries.empty()) entries.push_back(0);
    std::sort(entries.begin(), entries.end());
    entries.erase(std::unique(entries.begin(), entries.end()), entries.end());
    for (std::size_t i = 0; i < 255; ++i)
        b.model.heights[i] = entries[std::min(i, entries.size() - 1)];
    // Each corner's entry: the nearest (an exact height finds itself).
    std::vector<std::uint8_t> index(b.grid.samples.size(), 0);
    for (std::size_t k = 0; k < isUsed.size(); ++k) {
        if (!isUsed[k]) continue;
        const std::int32_t f = target[k];
        const auto it = std::lower_bound(entries.begin(), entries.end(), f);
        std::size_t at = 0;
        if (it == entries.end()) {
            at = entries.size() - 1;
        } else if (it != entries.begin() && f - *(it - 1) <= *it - f) {
            at = static_cast<std::size_t>(it - entries.begin()) - 1;
        } else {
            at = static_cast<std::size_t>(it - entries.begin());
        }
        index[k] = static_cast<std::uint8_t>(at);
    }
    for (std::size_t l = 0; l < b.corners.size(); ++l) {
        world::TerrainLevelModel& level = b.model.levels[l];
        for (std::size_t slot = 0; slot < b.corners[l].size(); ++slot) {
            std::uint8_t* cell =
                level.Cell(static_cast<std::uint32_t>(slot / 4), static_cast<int>(slot % 4));
            const auto& c = b.corners[l][slot];
            world::SetTerrainCell(cell, static_cast<std::uint16_t>(cell[0] | (cell[1] << 8)),
                                  index[static_cast<std::size_t>(c[0])],
                                  index[static_cast<std::size_t>(c[1])],
                                  index[static_cast<std::size_t>(c[2])],
                                  index[static_cast<std::size_t>(c[3])], cell[6]);
        }
    }
}

world::TerrainTileModel TileBuilder::Build(std::uint64_t* samplesTaken) {
    BlockBuild root;
    root.baseLevel = kRootFinest;
    root.grid.x0 = column * kTileUnits;
    root.grid.y0 = row * kTileUnits;
    root.grid.spacing = 65536.0;
    root.grid.size = 17;
    root.grid.samples.resize(17 * 17);
    root.grid.done.assign(17 * 17, 0);
    root.model.id = world::kTerrainRootBlock;
    root.model.firstLevel = kRootFinest;
    root.model.topLevel = kRootTop;
    root.model.startLevelIndex = kRootTop - kRootFinest;
    root.model.materialFile = kMaterialList;
    root.model.levels.resize(kRootTop - kRootFinest + 1);
    root.corners.resize(root.model.levels.size());
    for (int l = kRootFinest; l <= kRootTop; ++l) {
        world::TerrainLevelModel& lv = root.model.Level(l);
        lv.widthExp = lv.heightExp = static_cast<std::uint32_t>(kRootTop - l + 1);
        for (std::uint32_t k = 0; k < (1u << (2 * lv.widthExp)); ++k)
            lv.AddSquare();
    }
    for (int l = kRootTop; l >= kRootFinest; --l) {
        const world::TerrainLevelModel& lv = root.model.Level(l);
        const int cells = 2 << lv.widthExp;
        for (int cj = 0; cj < cells; ++cj)
            for (int ci = 0; ci < cells; ++ci)
                BuildCell(root, l,
                          static_cast<std::uint32_t>(((cj >> 1) << lv.widthExp) + (ci >> 1)),
                          (cj & 1) * 2 + (ci & 1), ci, cj, l > kRootFinest);
    }
    Quantise(root);
    world::TerrainTileModel tile;
    tile.blocks.push_back(std::move(root.model));
    for (world::TerrainBlockModel& b : subBlocks)
        tile.blocks.push_back(std::move(b));
    subBlocks.clear();
    *samplesTaken += samples;
    return tile;
}

std::string TileFile(const TileId& t) {
    char name[32];
    std::snprintf(name, sizeof name, "NA_%02dX%02d.TED", t.row, t.column);
    return std::string(kFolder) + name;
}

// Each land airport must stand at its published elevation in the tile as the program reads it;
// where another airport's pad holds its place, it is listed.
int CheckAirports(const std::string& path, const TileId& t, const std::vector<Airport>& airports,
                  std::vector<std::string>* conflicts, std::string* error) {
    world::TerrainGrid grid;
    if (!grid.Open(path)) {
        *error = "the tile " + path + " does not read back";
        return 0;
    }
    std::int32_t converted[256];
    for (int i = 0; i < 256; ++i)
        converted[i] =
            world::ConvertHeightToTerrain(grid.Root()->ownHeights[static_cast<std::size_t>(i)]);
    grid.ConvertHeightsToTerrain(true);
    grid.SetRootHeights(converted);
    for (const Airport& a : airports) {
        const double lx = a.at.x - t.column * kTileUnits, ly = a.at.y - t.row * kTileUnits;
        if (lx < 0 || ly < 0 || lx >= kTileUnits || ly >= kTileUnits) continue;
        const double feet = grid.GetHeightAt(static_cast<std::int32_t>(std::floor(lx)),
                                             static_cast<std::int32_t>(std::floor(ly)))
                                .height *
                            kFeetPerUnit;
        if (std::fabs(feet - a.feet) > 4.5) {
            char line[160];
            std::snprintf(line, sizeof line, "%s %.0f ft: the ground there is %.0f ft",
                          a.ident.c_str(), a.feet, feet);
            conflicts->push_back(line);
        }
    }
    return 1;
}

// The threads that build tiles: the maker's option "--threads=N", else one for each core up to
// eight (each holds about 35 MB while it builds).
unsigned TileThreads(const Installation& installation, std::size_t tiles) {
    unsigned threads = std::clamp(std::thread::hardware_concurrency(), 1u, 8u);
    const std::string text = installation.Option("threads");
    if (!text.empty()) threads = static_cast<unsigned>(std::strtoul(text.c_str(), nullptr, 10));
    return static_cast<unsigned>(
        std::clamp<std::size_t>(threads, 1, std::max<std::size_t>(tiles, 1)));
}

}  // namespace

}  // namespace terrain

int MakeTerrain(Installation& installation, std::string* error) {
    using namespace terrain;
    const auto started = std::chrono::steady_clock::now();
    std::vector<TileId> tiles;
    if (!TilesToMake(installation, &tiles, error)) return 0;
    PublicData data;
    if (!ReadPublicData(installation.DataDir(), &data, error)) return 0;
    Outlines outlines;
    if (!ReadOutlines(installation.DataDir(), &outlines, error)) return 0;
    WaterLevels levels;
    if (!ReadWaterLevels(installation.DataDir(), &levels, error) ||
        !PlaceLakeLevels(levels.lakes, &outlines, error)) {
        return 0;
    }
    int c0 = 16, r0 = 16, c1 = -1, r1 = -1;
    for (const TileId& t : tiles) {
        c0 = std::min(c0, t.column);
        c1 = std::max(c1, t.column);
        r0 = std::min(r0, t.row);
        r1 = std::max(r1, t.row);
    }
    // The public elevations: stations and airports, the basins' floors, the coast and the
    // shores of lakes of published level.
    std::vector<ElevationPoint> stations = data.points;
    if (!ReadPlaceHeights(installation.DataDir(), &stations, error)) return 0;
    for (const PublishedLevel& b : levels.basins)
        stations.push_back(ElevationPoint{b.at, b.feet});
    Mountains mountains;
    if (!ReadMountains(installation.DataDir(), &mountains, error)) return 0;
    // The ground's large shape: the public elevation grid's cell means, where it has cells.
    ElevationGrid grid;
    if (!grid.Read(installation.DataDir(), error)) return 0;
    grid.RaiseClipped(mountains.summits);
    // The passes are known ground where the made-up relief dies down, and the floors round the
    // airports keep clear of them; they are no height for the smooth field, which would lift the
    // valleys on either side of the crest toward them, nor for the floors' own extent.
    const std::vector<ElevationPoint> passes = mountains.passes;
    std::vector<ElevationPoint> known = stations;
    known.insert(known.end(), passes.begin(), passes.end());
    // The towns without a published height: known ground for the relief, of no weight in the
    // stations' spread.
    std::vector<Vec2> towns;
    if (!ReadTowns(installation.DataDir(), &towns, error)) return 0;
    for (const Vec2& t : towns)
        known.push_back(ElevationPoint{t, 0.0, 0.0});
    // Round a published summit its mountain is the ground: the relief dies down there too.
    for (const Summit& m : mountains.summits)
        known.push_back(ElevationPoint{m.at, 0.0, 0.0});
    const SummitSet summits(std::move(mountains), stations);
    const std::vector<ElevationPoint> shores = ShoreSamples(outlines);
    std::vector<ElevationPoint> all = stations;
    all.insert(all.end(), shores.begin(), shores.end());
    const ElevationField field(all, c0, r0, c1, r1, &grid);
    EstimateLakeLevels(field, &outlines);
    const double x0 = c0 * kTileUnits, y0 = r0 * kTileUnits;
    const double x1 = (c1 + 1) * kTileUnits, y1 = (r1 + 1) * kTileUnits;
    const double margin = 0.25 * kTileUnits;
    const PointBuckets stationBuckets(known, x0 - margin, y0 - margin, x1 + margin, y1 + margin,
                                      16384.0);
    const PointBuckets shoreBuckets(shores, x0 - margin, y0 - margin, x1 + margin, y1 + margin,
                                    16384.0);
    const PointBuckets floorBuckets(stations, x0 - margin, y0 - margin, x1 + margin, y1 + margin,
                                    16384.0);
    const PointBuckets passBuckets(passes, x0 - margin, y0 - margin, x1 + margin, y1 + margin,
                                   16384.0);
    // Each public height's departure from the smooth field, which the tiles' detail adds back.
    // Each reaches a third of the way to its nearest neighbour, so that the ground passes
    // through both of two stations close together.
    std::vector<ElevationPoint> departures = all;
    {
        const PointBuckets allBuckets(all, x0 - margin, y0 - margin, x1 + margin, y1 + margin,
                                      16384.0);
        for (ElevationPoint& p : departures) {
            p.feet -= field.Fine(p.at.x, p.at.y);
            double nearest = kLocalReach * kLocalReach;
            allBuckets.ForNear(p.at.x, p.at.y, kLocalReach, [&](const ElevationPoint&, double d2) {
                if (d2 > 1.0) nearest = std::min(nearest, d2);
            });
            p.reach = std::sqrt(nearest) / 3.0;
            // Inside the elevation grid the cells' means give the ground's shape: a public
            // height above them tells of its own hill or bench only, while one below them tells
            // where a valley narrower than a cell has its floor, and reaches along it as far as
            // beyond the grid.
            if (p.feet > 0.0 && field.GridShare(p.at.x, p.at.y) >= 0.99)
                p.reach = std::min(p.reach, kGridReach);
        }
    }
    const PointBuckets departureBuckets(departures, x0 - margin, y0 - margin, x1 + margin,
                                        y1 + margin, 16384.0);
    const PadSet pads(data.landAirports, x0, y0, x1, y1);
    const AirportSurfaces surfaces(data.landAirports, levels.basins, floorBuckets, passBuckets,
                                   shoreBuckets, x0, y0, x1, y1, &field);

    // Tiles are built and coded on every thread and written here in their order as they come,
    // so the files are the same whatever the number of threads; the builders keep at most two
    // tiles each ahead of the writing.
    const unsigned threads = TileThreads(installation, tiles.size());
    std::vector<std::optional<world::CodedTerrainTile>> built(tiles.size());
    std::vector<std::string> errors(tiles.size());
    std::vector<std::uint64_t> samplesOf(tiles.size(), 0);
    std::mutex lock;
    std::condition_variable changed;
    std::size_t next = 0, written = 0;
    bool stop = false;
    auto build = [&](std::size_t i) {
        const TileWater water(outlines, tiles[i].column, tiles[i].row);
        const LocalDetail detail(departureBuckets, stationBuckets, tiles[i].column, tiles[i].row);
        TileBuilder builder(field, detail, summits, pads, surfaces, water, tiles[i].column,
                            tiles[i].row);
        world::CodedTerrainTile coded;
        if (!world::CodeTerrainTile(builder.Build(&samplesOf[i]), &coded, &errors[i]))
            coded.members.clear();
        return coded;
    };
    auto work = [&] {
        for (;;) {
            std::size_t i = 0;
            {
                std::unique_lock<std::mutex> hold(lock);
                changed.wait(hold, [&] {
                    return stop || next >= tiles.size() || next < written + 2 * threads;
                });
                if (stop || next >= tiles.size()) return;
                i = next++;
            }
            world::CodedTerrainTile coded = build(i);
            std::lock_guard<std::mutex> hold(lock);
            built[i] = std::move(coded);
            changed.notify_all();
        }
    };
    std::vector<std::thread> pool;
    if (threads > 1)
        for (unsigned t = 0; t < threads; ++t)
            pool.emplace_back(work);
    std::uint64_t bytes = 0;
    std::vector<std::string> conflicts;
    int ok = 1;
    for (std::size_t i = 0; i < tiles.size() && ok; ++i) {
        world::CodedTerrainTile coded;
        if (pool.empty()) {
            coded = build(i);
        } else {
            std::unique_lock<std::mutex> hold(lock);
            changed.wait(hold, [&] { return built[i].has_value(); });
            coded = std::move(*built[i]);
            built[i].reset();
        }
        const std::string path = installation.PrepareFile(TileFile(tiles[i]));
        if (coded.members.empty()) {
            *error = errors[i];
            ok = 0;
        } else {
            ok = world::WriteCodedTerrainTile(path, coded, error) &&
                 CheckAirports(path, tiles[i], data.landAirports, &conflicts, error);
        }
        if (ok) bytes += std::filesystem::file_size(path);
        std::lock_guard<std::mutex> hold(lock);
        written = i + 1;
        stop = !ok;
        changed.notify_all();
    }
    for (std::thread& t : pool)
        t.join();
    if (!ok) return 0;
    std::uint64_t samples = 0;
    for (const std::uint64_t n : samplesOf)
        samples += n;
    std::string list =
        "Airports whose published elevation the ground does not meet (another "
        "airport's pad holds the place):\n";
    for (const std::string& c : conflicts) {
        list += c;
        list += '\n';
        std::printf("mkdata: terrain: pad conflict: %s\n", c.c_str());
    }
    installation.AddFile(std::string(kFolder) + "PadConflicts.txt",
                         Bytes(list.begin(), list.end()));
    // The tiles shipped, so the program can tell a tile that went missing from open sea.
    std::vector<std::string> names;
    for (const TileId& t : tiles) {
        const std::string file = TileFile(t);
        names.push_back(file.substr(file.find_last_of('\\') + 1));
    }
    std::sort(names.begin(), names.end());
    std::string shipped = std::string(world::kShippedTilesTitle) + "\n";
    for (const std::string& n : names)
        shipped += n + "\n";
    installation.AddFile(std::string(kFolder) + world::kShippedTilesFile,
                         Bytes(shipped.begin(), shipped.end()));
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf(
        "mkdata: terrain: %zu tiles, %.1f MB, %llu height samples, %zu pad conflicts, "
        "%u threads, %.1f s\n",
        tiles.size(), bytes / 1048576.0, static_cast<unsigned long long>(samples), conflicts.size(),
        threads, seconds);
    return 1;
}

}  // namespace mkdata
