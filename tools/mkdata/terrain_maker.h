// The terrain maker's parts. The country's ground takes its large shape from the public
// elevation grid (data/elevation-us, each cell's mean height) where it has cells, with made-up
// detail inside the cells that keeps their means; beyond it (Canada, Mexico, the sea) from the
// published elevations of airports, radio stations, the coast and the lakes' surfaces,
// interpolated smoothly, with procedural relief whose height follows how much those elevations
// vary nearby. On top of either: the published summits, passes and towns; each land airport on a
// level pad at its published elevation, on a floor as wide as its neighbours' elevations show
// flat; sea, lakes at their published levels, basin floors and rivers; land cover from height,
// slope, climate and noise.
//
// Coordinates are world units (the terrain unit, 1.2890625 ft), measured from the world's
// south-west corner: x = fmPosX / 100.584 + 9 x 2^20, y = fmPosZ / 100.584 + 5 x 2^20, so tile
// (column, row) spans [column x 2^20, (column + 1) x 2^20) and likewise in y. Heights are in
// feet until they are written.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace mkdata {

class Installation;

namespace terrain {

constexpr double kTileUnits = 1 << 20;
constexpr double kMetresPerUnit = 0.392906;  // a terrain unit
constexpr double kFeetPerUnit = 1.2890625;

// The Catmull-Rom weights of the four samples round a point a fraction t past the second.
inline void CatmullRomWeights(double t, double out[4]) {
    const double t2 = t * t, t3 = t2 * t;
    out[0] = 0.5 * (-t3 + 2 * t2 - t);
    out[1] = 0.5 * (3 * t3 - 5 * t2 + 2);
    out[2] = 0.5 * (-3 * t3 + 4 * t2 + t);
    out[3] = 0.5 * (t3 - t2);
}

// The Catmull-Rom surface through a 4 x 4 block of samples at (u, v) past its second column and
// row; sample(a, b) is the sample a columns and b rows from the block's first.
template <typename Sample>
double CatmullRomSurface(double u, double v, Sample sample) {
    double wu[4], wv[4];
    CatmullRomWeights(u, wu);
    CatmullRomWeights(v, wv);
    double sum = 0.0;
    for (int b = 0; b < 4; ++b) {
        double row = 0.0;
        for (int a = 0; a < 4; ++a) row += wu[a] * sample(a, b);
        sum += wv[b] * row;
    }
    return sum;
}

struct Vec2 {
    double x = 0.0;
    double y = 0.0;
};

// A box of longitudes (east positive) and latitudes.
struct GeoBox {
    double west = -125.0;
    double south = 20.0;
    double east = -65.0;
    double north = 55.0;
};

// Latitude and longitude (east positive) to world units, and back.
[[nodiscard]] Vec2 ToWorld(double lat, double lon);
void ToGeo(Vec2 p, double* lat, double* lon);

// The tiles (column, row) a box touches, in column-then-row order.
struct TileId {
    int column = 0;
    int row = 0;
};
[[nodiscard]] std::vector<TileId> TilesOfBox(const GeoBox& box);
// The tiles the maker makes: those of the outlines' box, or of the box the option
// "--terrain-box=WEST,SOUTH,EAST,NORTH" gives (tests make small worlds with it).
int TilesToMake(const Installation& installation, std::vector<TileId>* tiles, std::string* error);

// ---- public point elevations ----------------------------------------------------------------

struct ElevationPoint {
    Vec2 at;
    double feet = 0.0;
    // How much the point counts in the averages: samples along a shore stand closer together
    // than stations do, and count for less each.
    double weight = 1.0;
    // How far its own height reaches in the local detail (units; 0 for the widest).
    double reach = 0.0;
};

struct Runway {
    Vec2 end1, end2;
    double widthUnits = 0.0;
    // Its length and direction once measured (MeasureRunway), the length below zero before.
    double length = -1.0, ux = 0.0, uy = 0.0;
};
// Measures a runway's length and direction for the distances taken to it.
void MeasureRunway(Runway* r);

struct Airport {
    std::string ident;
    Vec2 at;
    double feet = 0.0;
    bool towered = false;
    std::vector<Runway> runways;
};

struct PublicData {
    std::vector<ElevationPoint> points;  // airports and radio stations
    std::vector<Airport> landAirports;
    struct Vor {
        Vec2 at;
        double variationDeg = 0.0;  // east positive
    };
    std::vector<Vor> vors;
};

int ReadPublicData(const std::string& dataDir, PublicData* out, std::string* error);
// The published heights of towns (data/places-us/heights.csv), added to `points`.
int ReadPlaceHeights(const std::string& dataDir, std::vector<ElevationPoint>* points,
                     std::string* error);
// Where the towns of data/places-us/cities.csv stand (none without the file): towns are built on
// gentle ground, so the made-up relief dies down round them as round a public height.
int ReadTowns(const std::string& dataDir, std::vector<Vec2>* towns, std::string* error);

// The published summits beside busy airports and where pilots fly (data/places-us/summits.csv),
// which the stations and towns round them do not show. Each stands at its height on a mountain
// whose flanks fall 1 in 4 from a rounded top, or as much more steeply as the public heights
// round it ask (its top then rounded over more), cut by gullies; the ground is the higher of the
// mountains and what the rest makes.
struct Summit {
    Vec2 at;
    double feet = 0.0;
    double slope = 0.25;  // feet per foot of distance, away from the rounded top
};
// A stretch of crest between two published places a few miles apart, summits or passes
// (data/places-us/ridges.csv): the ground along it runs straight from one's height to the
// other's, and falls away on either side as a summit's flanks do, so that a range stays high
// between its summits and comes down to its passes rather than to the valleys.
struct Crest {
    Vec2 from, to;
    double fromFeet = 0.0, toFeet = 0.0;
    double slope = 0.25;
};
// The summits, the passes (data/places-us/passes.csv: the low points of crests, where the ground
// across the crest falls away on both sides, so they are no public height for the valleys
// round them) and the crests of ridges.csv between them. A crest naming a place neither
// summits.csv nor passes.csv holds, or joining two places more than kLongestCrest apart, stops
// the maker naming its line; an installation's data without passes.csv or ridges.csv has none.
struct Mountains {
    std::vector<Summit> summits;
    std::vector<ElevationPoint> passes;
    std::vector<Crest> crests;
};
int ReadMountains(const std::string& dataDir, Mountains* out, std::string* error);
constexpr double kLongestCrest = 25000.0 / kMetresPerUnit;

class SummitSet {
public:
    // Each pass stands on the mountains' ground as a summit's rounded top would (the crests
    // ending at it carry it on). Steepens each summit's, each pass's and each crest's flanks so
    // that they come down to every public height in `stations` and every pass within reach
    // (with a fifth to spare).
    SummitSet(Mountains mountains, const std::vector<ElevationPoint>& stations);
    // The mountains' ground at a point, feet; far below the sea where none reaches.
    [[nodiscard]] double Ground(double x, double y) const;
    // How high the rest of the ground may stand near the passes: a pass is the low point of its
    // crest, so nothing the valleys' heights make stands above it there; from each pass the
    // limit rises along the crest as a summit's flank falls (1 in 4 from a rounded top), and
    // the crests and summits stand above it. Across the crest (square to the line its crests
    // make through the pass) the limit falls instead, kSaddleDrop over the first kSaddleRun and
    // level beyond, so the pass is a saddle: the road climbs to it from both valleys. Between
    // the two the limit blends with the square of the angle. From kSaddleFree out it gives way,
    // rising without bound at kSaddleReach of every pass, beyond which there is none.
    [[nodiscard]] double Saddle(double x, double y) const;
    static constexpr double kSaddleReach = 8000.0 / kMetresPerUnit;
    static constexpr double kSaddleFree = 5000.0 / kMetresPerUnit;
    static constexpr double kSaddleGiveWay = 800.0;                // feet, half way out
    static constexpr double kSaddleDrop = 250.0;                   // feet
    static constexpr double kSaddleRun = 1852.0 / kMetresPerUnit;  // a nautical mile
    // Whether a summit or a pass lies in a box (its cell is followed down to the finest level).
    [[nodiscard]] bool AnyIn(double x0, double y0, double x1, double y1) const;
    static constexpr double kNone = -1e9;

private:
    std::vector<Summit> summits;
    std::vector<double> reach;  // units: beyond it the summit's flank stands below the sea
    std::vector<Crest> crests;
    std::vector<double> crestReach;
    std::vector<ElevationPoint> passes;
    std::vector<Vec2> passAxis;  // unit, along the crests through each pass; zero without one
    // The summits, crests and passes whose reach touches each square of kBucket units.
    struct Bucket {
        std::vector<std::uint32_t> summits, crests, passes;
    };
    static constexpr double kBucket = 16384.0;
    [[nodiscard]] const Bucket* BucketAt(double x, double y) const;
    double bx0 = 0, by0 = 0;
    int bnx = 0, bny = 0;
    std::vector<Bucket> buckets;
};

// The public elevation grid (data/elevation-us): each cell's mean height, 1/24 degree apart,
// rows north to south. The ground's large shape wherever it has cells.
class ElevationGrid {
public:
    static constexpr int kRows = 585, kColumns = 1386;
    static constexpr double kStep = 1.0 / 24.0;
    static constexpr double kNorth = 49.4, kWest = -124.7666667;  // the first cell's centre
    // Reads the grid; a data folder without it has none (the ground everywhere as beyond it).
    int Read(const std::string& dataDir, std::string* error);
    // Cells the source clipped at 3,276.7 m rise toward the published summits round them.
    void RaiseClipped(const std::vector<Summit>& summits);
    // The mean height read between the cell centres at a point (feet); `cover` gets how much
    // of it the grid holds (1 inside, 0 beyond it, between at its edge) and `rough` (when
    // given) how much the cells there differ from their neighbours (feet).
    [[nodiscard]] double At(double lat, double lon, double* cover, double* rough) const;
    [[nodiscard]] bool Empty() const { return feet.empty(); }

private:
    [[nodiscard]] static std::size_t Index(int r, int c) {
        return static_cast<std::size_t>(r) * kColumns + static_cast<std::size_t>(c);
    }
    std::vector<float> feet, rough;
    std::vector<std::uint8_t> valid, clipped;
};

// Published surface elevations of lakes and reservoirs, each at a point in its water, and the
// floors of dry basins, flat over a radius (data/water-us/levels.csv).
struct PublishedLevel {
    std::string name;
    Vec2 at;
    double feet = 0.0;
    double radiusUnits = 0.0;  // a basin's floor
};
struct WaterLevels {
    std::vector<PublishedLevel> lakes;
    std::vector<PublishedLevel> basins;
};
int ReadWaterLevels(const std::string& dataDir, WaterLevels* out, std::string* error);

// Points in square buckets, for neighbourhood searches.
class PointBuckets {
public:
    PointBuckets(const std::vector<ElevationPoint>& points, double minX, double minY, double maxX,
                 double maxY, double bucket);
    // Calls f(point, squared distance) for every point within `radius` of (x, y).
    template <typename F>
    void ForNear(double x, double y, double radius, F&& f) const;
    // Calls f(point) for every point filed in a bucket that the box touches, bucket by bucket
    // in rows from the lowest (the order ForNear visits them in, so that sums gathered either
    // way add in the same order).
    template <typename F>
    void ForBox(double minX, double minY, double maxX, double maxY, F&& f) const;

private:
    double x0 = 0, y0 = 0, size = 1;
    int nx = 0, ny = 0;
    std::vector<std::vector<ElevationPoint>> cells;
};

// ---- the smooth field and the relief --------------------------------------------------------

// Rasters over a rectangle of tiles: the interpolated elevation and the local spread that sets
// the relief's height.
class ElevationField {
public:
    // Where the elevation grid (when given, and not empty) has cells, its means are the base.
    ElevationField(const std::vector<ElevationPoint>& points, int column0, int row0, int column1,
                   int row1, const ElevationGrid* grid = nullptr);
    // Interpolated public elevation, feet.
    [[nodiscard]] double Base(double x, double y) const;
    // The same read finely: inside the elevation grid its cells' means read bicubically at the
    // point itself, not from the coarser raster, so a valley a cell wide keeps its depth. The
    // point's latitude and longitude come from a raster of the whole field, so every tile reads
    // the same height at the same point.
    [[nodiscard]] double Fine(double x, double y) const;
    // The relief's height, feet.
    [[nodiscard]] double Amplitude(double x, double y) const;
    // How much of the base the elevation grid gives (0 beyond it, 1 inside).
    [[nodiscard]] double GridShare(double x, double y) const;
    // The height of the detail inside the grid's cells, feet (CellRelief's scale).
    [[nodiscard]] double CellAmplitude(double x, double y) const;

private:
    struct Raster {
        double x0 = 0, y0 = 0, step = 1;
        int nx = 0, ny = 0;
        std::vector<float> v;
        [[nodiscard]] float At(int i, int j) const;
        [[nodiscard]] double Bilinear(double x, double y) const;
        [[nodiscard]] double Bicubic(double x, double y) const;
    };
    Raster base;
    Raster spread;
    Raster share;  // on the base's raster: the grid's share, and the cells' roughness
    Raster rough;
    const ElevationGrid* cells = nullptr;
    Raster lat, lon;  // on the spread's raster: where its nodes lie, for Fine
};

// What the smooth field misses near the public points, over one tile and a margin: the points'
// own departures from the field, averaged over a few kilometres (so the ground passes through
// each public height), and how far the nearest station, airport or town lies (the relief grows
// only away from what is known).
class LocalDetail {
public:
    // `departures` holds each public point with its elevation less the field's there and its
    // reach; `stations` the points whose distance counts.
    LocalDetail(const PointBuckets& departures, const PointBuckets& stations, int column, int row);
    // The departure to add to the field, feet.
    [[nodiscard]] double Departure(double x, double y) const;
    // Distance to the nearest station, airport or town, units (at most kFar).
    [[nodiscard]] double Nearest(double x, double y) const;
    // The relief's height where the stations nearby agree: a regional `amplitude` brought down
    // toward how much the stations within a few kilometres differ, as far as there are any.
    [[nodiscard]] double Amplitude(double x, double y, double amplitude) const;
    static constexpr double kFar = 12000.0 / kMetresPerUnit;

private:
    [[nodiscard]] double Bilinear(const std::vector<float>& v, double x, double y) const;
    double x0 = 0, y0 = 0;
    int n = 0;
    std::vector<float> departure, nearest, variation, known;
};

// Ridged fractal noise in 0..1, the same everywhere for the same point.
[[nodiscard]] double Relief(double x, double y);
// The detail inside a grid cell: ridged noise a few kilometres across and finer, less its own
// mean, so a cell keeps its mean height; about -0.4 to 0.6.
[[nodiscard]] double CellRelief(double x, double y);
// Smooth value noise in 0..1 at a wavelength (world units), seeded.
[[nodiscard]] double ValueNoise(double x, double y, double wavelength, std::uint32_t seed);

// ---- airport pads ---------------------------------------------------------------------------

struct Pad {
    int airport = 0;  // index into the land airports
    double feet = 0.0;
    double minX = 0, minY = 0, maxX = 0, maxY = 0;  // the pad with its blend zone
    std::vector<Runway> strips;                     // runway rectangles with margins
    Vec2 centre;
    double radius = 0.0;
};

class PadSet {
public:
    PadSet(const std::vector<Airport>& airports, double x0, double y0, double x1, double y1);
    // The ground after the pads: a point on a pad takes the pad's elevation (the first pad by
    // priority when several hold it); near pads the ground blends toward them. `onPad` gets the
    // pad index or -1.
    [[nodiscard]] double Apply(double x, double y, double ground, int* onPad) const;
    // The least height of the ground beside the pads: a pad falls away no more steeply than
    // 1 in kShoulder from its edge, so whatever cuts the ground round it (another airport's
    // approach) leaves a hillside, not a plinth; kNone away from every pad.
    [[nodiscard]] double Shoulder(double x, double y) const;
    static constexpr double kShoulder = 2.0;
    // Pads whose pad or blend zone touches a box, and whether a box crosses a pad's edge.
    void Near(double x0, double y0, double x1, double y1, std::vector<int>* out) const;
    [[nodiscard]] bool CrossesEdge(int pad, double x0, double y0, double x1, double y1) const;
    [[nodiscard]] bool Contains(int pad, double x, double y) const;
    [[nodiscard]] const std::vector<Pad>& Pads() const { return pads; }

private:
    [[nodiscard]] double Distance(const Pad& p, double x, double y) const;
    std::vector<Pad> pads;  // by priority
    double gx0 = 0, gy0 = 0;
    int gnx = 0, gny = 0;
    std::vector<std::vector<int>> grid;  // pads per bucket
};

// ---- approach and departure paths, floors ---------------------------------------------------

// How far an airport's (or a basin's) floor reaches from its centre, in units: as far as the
// public elevations round it show the ground flat, the farthest station or airport, or the
// nearest shore of water, whose elevation agrees with its own (within 30 ft and 1 in 300 of the
// distance) before any that disagrees; at most half way to the nearest that disagrees and at
// most 9 km. `points` holds the stations and airports, `shores` the samples of the coast and of
// lakes of published level; a radius of 0 where nothing agrees. A floor that reaches water it
// agrees with is that water's plain. A pass (`passes`) is the low point of a crest, higher than
// the valleys on either side, and tells nothing of how far a valley's floor runs: it neither
// ends the floor nor halves it, but keeps it as far off as the floor's sides need to climb to
// the pass (its own mountain stands above the sides). The points `own` names (an airport's own
// stations at its runways' ends) count for nothing.
struct Floor {
    double radius = 0.0;
    bool byWater = false;
    double higher = 1e300;  // distance to the nearest point that stands above it and disagrees
    double lower = 1e300;   // and to the nearest that lies below it and disagrees
};
[[nodiscard]] Floor FloorOf(const PointBuckets& points, const PointBuckets& passes,
                            const PointBuckets& shores, Vec2 at, double feet,
                            const std::function<bool(const ElevationPoint&)>& own = {});

// The ground the airports keep clear. Every runway: from each end outward a surface rising 1 in
// 70 (well under a 3 degree approach) for 6 nautical miles, 150 m either side of the runway
// widening by 15 in 100; beside the runway the ground rises from its elevation. Every airport
// stands on a floor of its own elevation as far as FloorOf reaches, rising 1 in 400 at most (a
// valley's or a coast's plain); on the plain of a water, it rises from the water's edge, not
// from the airport. A basin's floor is flat over its radius and then rises the same way. Beyond
// each, sides rise 1 in 12 and then ever steeper, so that hills round an approach or a floor
// become valley sides rather than walls.
class AirportSurfaces {
public:
    // `field` (when given) tells where an airport stands on a bench or a mesa: where the
    // elevation grid's smooth ground lies below its floor by more than kBenchLeast, the floor
    // lifts the ground less and less, none kBenchLeast + kBenchRange below (the valley below
    // keeps its own height).
    AirportSurfaces(const std::vector<Airport>& airports, const std::vector<PublishedLevel>& basins,
                    const PointBuckets& points, const PointBuckets& passes,
                    const PointBuckets& shores, double x0, double y0, double x1, double y1,
                    const ElevationField* field = nullptr);
    static constexpr double kBenchLeast = 150.0;  // feet
    static constexpr double kBenchRange = 200.0;  // feet
    // The ground at a point (feet) brought down under every surface; `shoreDistance` (units) and
    // `shoreLevel` (feet) are the nearest sea's or lake's. Approach and departure paths leave
    // the ground the public heights give (`known`, feet) where it stands above them, up to a
    // surface rising 1 in 55 over the last three miles and 1 in 10 more beyond, and a published
    // summit's mountain (`summit`, feet) whole; the floors bring both down, the mountain only to
    // a rise of 1 in 2 from a mile and a half beyond the runways. Where public heights under an
    // approach lie below the runway, the ground under it falls with them (FallOf).
    [[nodiscard]] double Clear(double x, double y, double feet, double shoreDistance,
                               double shoreLevel, double known, double summit) const;
    // The ground brought up toward the floors it lies on: flat at the airport's elevation out to
    // a mile and a half beyond the runways (a water's plain at its rise from the edge), returning
    // to `feet` at the floor's edge or a mile beyond the mile and a half, or half way to
    // the nearest public height that lies below the airport and disagrees with it, where that is
    // nearer (the floor's least mile and a half keeps hills down, but lifts no valley a town
    // shows lower).
    [[nodiscard]] double Lift(double x, double y, double feet, double shoreDistance,
                              double shoreLevel) const;
    // How much of the made-up relief may stand at a point: none on an airport's floor or under a
    // runway's approach and departure path, all of it a couple of kilometres beyond them.
    [[nodiscard]] double Calm(double x, double y) const;

private:
    const ElevationField* field = nullptr;
    struct End {
        Vec2 at;               // the runway's end, or the floor's centre
        Vec2 out;              // unit vector away from the runway (none for a floor)
        double length = 0;     // the runway's length, units (0 for a floor)
        double halfWidth = 0;  // a floor's flat centre: the airport's disc, a basin's radius
        double feet = 0;
        double reach = 0;  // how far a floor reaches beyond its centre
        bool floor = false;
        bool byWater = false;        // a floor on a water's plain
        std::vector<Runway> strips;  // a floor's runways: it reaches this far from each
        // An approach's public heights that lie under it lower than the runway (a valley falling
        // away from the field): distance out from the end (units) and feet, nearest first.
        std::vector<std::pair<double, double>> falls;
        double lift = 0;  // how far beyond its centre a floor brings the ground up
        // The floor (an index into ends) of a higher field whose mile and a half this lesser
        // field's approach lies in, and which that approach leaves standing; -1 for none.
        int holder = -1;
    };
    // Distance from a floor's flat centre (its disc and runways), units.
    [[nodiscard]] static double FromCentre(const End& e, double x, double y);
    // Distance outside an end's surface or floor (0 inside), units.
    [[nodiscard]] static double Outside(const End& e, double x, double y);
    [[nodiscard]] static double CeilingOf(const End& e, double x, double y, double shoreDistance,
                                          double shoreLevel);
    // How high the ground may stand under an approach whose public heights fall away from the
    // field: along the path, level with the field over the floor's mile and a half (or half way
    // to the nearest of them), then through each of them in turn, level beyond the last; beside
    // the path it rises as the surface's sides do. Unlimited where none fall.
    [[nodiscard]] static double FallOf(const End& e, double x, double y);
    void File(int index, double x0, double y0, double x1, double y1);
    std::vector<End> ends;
    double gx0 = 0, gy0 = 0;
    int gnx = 0, gny = 0;
    std::vector<std::vector<int>> grid;  // surfaces per bucket
    std::vector<double> lowest;          // the lowest surface elevation per bucket
};

// ---- water ----------------------------------------------------------------------------------

struct Outlines {
    std::vector<std::vector<Vec2>> land;   // rings, land on the left
    std::vector<std::vector<Vec2>> lakes;  // rings, water on the left
    // Each lake's levels: the published ones whose points lie in it, each holding the part of
    // the lake nearest to it, or one estimated where none is published.
    std::vector<std::vector<ElevationPoint>> lakeLevels;
    std::vector<std::uint8_t> lakePublished;
    std::vector<std::vector<Vec2>> rivers;
    std::vector<Vec2> coast;  // the sea's shore (not the box's edge), a point about every 1.5 km
};

int ReadOutlines(const std::string& dataDir, Outlines* out, std::string* error);
// Gives each published level to the lake its point lies in; a level whose point lies in no lake
// is an error that names it.
int PlaceLakeLevels(const std::vector<PublishedLevel>& levels, Outlines* outlines,
                    std::string* error);
// Points of known elevation along the water: the coast at sea level and the shores of lakes of
// published level at their level, about every 1.5 km, each counting a quarter of a station.
[[nodiscard]] std::vector<ElevationPoint> ShoreSamples(const Outlines& outlines);
// The level of a lake of no published level: the lower quarter of the ground round its shore.
void EstimateLakeLevels(const ElevationField& field, Outlines* outlines);
// The level of lake `lake` at a point: that of its nearest level.
[[nodiscard]] double LakeLevelAt(const Outlines& outlines, std::size_t lake, Vec2 p);

enum WaterClass : std::uint8_t { kLand = 0, kSea = 1, kLake = 2, kRiver = 3 };

// The water of one tile and a margin round it, in cells of 1024 units (level 1).
class TileWater {
public:
    static constexpr double kCell = 1024.0;
    // The margin covers a tile's border cells and the cells across the border from them (at
    // most kSeen cells deep), with the shores kSeen cells beyond those.
    static constexpr int kMargin = 24;
    static constexpr int kSeen = 16;  // cells: how far a shore counts
    TileWater(const Outlines& outlines, int column, int row);
    [[nodiscard]] WaterClass ClassAt(double x, double y) const;
    // The level of the water at a point (feet), when it is water.
    [[nodiscard]] double LevelAt(double x, double y) const;
    // Distance to the nearest sea or lake (units) and its level; a distance of 1e9 where there
    // is none.
    void NearestShore(double x, double y, double* distance, double* level) const;
    // Distance to the nearest river (units).
    [[nodiscard]] double RiverDistance(double x, double y) const;
    // How a box of cells is covered: land only, water only, or both.
    [[nodiscard]] bool IsMixed(double x0, double y0, double x1, double y1) const;

private:
    [[nodiscard]] int Index(double x, double y) const;
    [[nodiscard]] double Between(const std::vector<float>& field, double x, double y) const;
    double ox = 0, oy = 0;
    int n = 0;
    std::vector<std::uint8_t> cls;
    std::vector<std::int32_t> level;  // a lake cell's entry of `levels`, or -1
    std::vector<double> levels;       // the levels of the lakes the tile reaches
    std::vector<float> shoreDistance;
    std::vector<std::int32_t> shore;  // the nearest sea or lake cell
    std::vector<float> riverDistance;
    std::vector<std::uint32_t> waterSum;  // summed-area table of water cells
};

// Whether points lie in open water (the sea or a lake of the outlines) or near its edge or a
// river, for what must stand on land.
class WaterIndex {
public:
    explicit WaterIndex(const Outlines& outlines);
    [[nodiscard]] bool InWater(Vec2 p) const;
    // Whether a shore or a river runs within `distance` (units, at most 16384) of a point.
    [[nodiscard]] bool NearWater(Vec2 p, double distance) const;

private:
    enum Kind : std::uint8_t { kCoast, kLakeShore, kRiverBank };
    struct Edge {
        Vec2 a, b;
        Kind kind = kCoast;
    };
    [[nodiscard]] const std::vector<Edge>* Band(double y) const;
    double y0 = 0, band = 1;
    std::vector<std::vector<Edge>> bands;  // the edges by the rows of world they cross
};

// ---- land cover -----------------------------------------------------------------------------

enum Material : std::uint8_t {
    kWater = 0,
    kGrass = 1,
    kFarmland = 2,
    kForest = 3,
    kScrub = 4,
    kDesert = 5,
    kRock = 6,
    kSnow = 7,
};
inline constexpr int kMaterialCount = 8;
extern const char* const kMaterialNames[kMaterialCount];

[[nodiscard]] Material LandCover(double lat, double lon, double feet, double slope, double x,
                                 double y);

template <typename F>
void PointBuckets::ForNear(double x, double y, double radius, F&& f) const {
    const int i0 = std::max(0, static_cast<int>(std::floor((x - radius - x0) / size)));
    const int i1 = std::min(nx - 1, static_cast<int>(std::floor((x + radius - x0) / size)));
    const int j0 = std::max(0, static_cast<int>(std::floor((y - radius - y0) / size)));
    const int j1 = std::min(ny - 1, static_cast<int>(std::floor((y + radius - y0) / size)));
    const double r2 = radius * radius;
    for (int j = j0; j <= j1; ++j)
        for (int i = i0; i <= i1; ++i)
            for (const ElevationPoint& p : cells[static_cast<std::size_t>(j) * nx + i]) {
                const double dx = p.at.x - x, dy = p.at.y - y;
                const double d2 = dx * dx + dy * dy;
                if (d2 <= r2) f(p, d2);
            }
}

template <typename F>
void PointBuckets::ForBox(double minX, double minY, double maxX, double maxY, F&& f) const {
    const int i0 = std::max(0, static_cast<int>(std::floor((minX - x0) / size)));
    const int i1 = std::min(nx - 1, static_cast<int>(std::floor((maxX - x0) / size)));
    const int j0 = std::max(0, static_cast<int>(std::floor((minY - y0) / size)));
    const int j1 = std::min(ny - 1, static_cast<int>(std::floor((maxY - y0) / size)));
    for (int j = j0; j <= j1; ++j)
        for (int i = i0; i <= i1; ++i)
            for (const ElevationPoint& p : cells[static_cast<std::size_t>(j) * nx + i])
                f(p);
}

}  // namespace terrain
}  // namespace mkdata
