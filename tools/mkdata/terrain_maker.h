// The terrain maker's parts. No public elevation model is at hand, so the country's ground is
// made from what data/ knows: the published elevations of airports and radio stations,
// interpolated smoothly, with procedural relief whose height follows how much those elevations
// vary nearby; each land airport on a level pad at its published elevation; sea, lakes and
// rivers from the outlines; land cover from height, slope, climate and noise.
//
// Coordinates are world units (the terrain unit, 1.2890625 ft), measured from the world's
// south-west corner: x = fmPosX / 100.584 + 9 x 2^20, y = fmPosZ / 100.584 + 5 x 2^20, so tile
// (column, row) spans [column x 2^20, (column + 1) x 2^20) and likewise in y. Heights are in
// feet until they are written.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace mkdata {

class Installation;

namespace terrain {

constexpr double kTileUnits = 1 << 20;
constexpr double kMetresPerUnit = 0.392906;  // a terrain unit
constexpr double kFeetPerUnit = 1.2890625;

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
};

struct Runway {
    Vec2 end1, end2;
    double widthUnits = 0.0;
};

struct Airport {
    std::string ident;
    Vec2 at;
    double feet = 0.0;
    bool towered = false;
    std::vector<Runway> runways;
};

struct PublicData {
    std::vector<ElevationPoint> points;
    std::vector<Airport> landAirports;
    struct Vor {
        Vec2 at;
        double variationDeg = 0.0;  // east positive
    };
    std::vector<Vor> vors;
};

int ReadPublicData(const std::string& dataDir, PublicData* out, std::string* error);

// ---- the smooth field and the relief --------------------------------------------------------

// Rasters over a rectangle of tiles: the interpolated elevation and the local spread that sets
// the relief's height.
class ElevationField {
public:
    ElevationField(const std::vector<ElevationPoint>& points, int column0, int row0, int column1,
                   int row1);
    // Interpolated public elevation, feet.
    [[nodiscard]] double Base(double x, double y) const;
    // The relief's height, feet.
    [[nodiscard]] double Amplitude(double x, double y) const;

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
};

// Ridged fractal noise in 0..1, the same everywhere for the same point.
[[nodiscard]] double Relief(double x, double y);
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

// ---- approach and departure paths, coast plains ---------------------------------------------

// The ground the airports keep clear. Every runway: from each end outward a surface rising 1 in
// 70 (well under a 3 degree approach) for 6 nautical miles, 150 m either side of the runway
// widening by 15 in 100; beside the runway the ground rises from its elevation. Every airport
// published within 100 ft of sea level stands on a plain (a coast or a river's): within 6 km the
// ground rises 1 in 100 at most. Beyond each, sides rise 1 in 7 and then ever steeper, so that
// hills round an approach or a plain become valley sides rather than walls.
class AirportSurfaces {
public:
    AirportSurfaces(const std::vector<Airport>& airports, double x0, double y0, double x1,
                    double y1);
    // The ground at a point (feet) brought down under every surface.
    [[nodiscard]] double Clear(double x, double y, double feet) const;

private:
    struct End {
        Vec2 at;            // the runway's end, or the plain's centre
        Vec2 out;           // unit vector away from the runway (none for a plain)
        double length = 0;  // the runway's length, units (0 for a plain)
        double halfWidth = 0;
        double feet = 0;
        bool plain = false;
    };
    [[nodiscard]] static double CeilingOf(const End& e, double x, double y);
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
    std::vector<double> lakeFeet;          // each lake's level
    std::vector<std::vector<Vec2>> rivers;
};

int ReadOutlines(const std::string& dataDir, Outlines* out, std::string* error);

enum WaterClass : std::uint8_t { kLand = 0, kSea = 1, kLake = 2, kRiver = 3 };

// The water of one tile and a margin round it, in cells of 1024 units (level 1).
class TileWater {
public:
    static constexpr double kCell = 1024.0;
    static constexpr int kMargin = 16;
    TileWater(const Outlines& outlines, int column, int row);
    [[nodiscard]] WaterClass ClassAt(double x, double y) const;
    // The level of the water at a point (feet), when it is water.
    [[nodiscard]] double LevelAt(double x, double y) const;
    // Distance to the nearest water (units), its kind and its level.
    void NearestWater(double x, double y, double* distance, WaterClass* kind, double* level) const;
    // How a box of cells is covered: land only, water only, or both.
    [[nodiscard]] bool IsMixed(double x0, double y0, double x1, double y1) const;

private:
    [[nodiscard]] int Index(double x, double y) const;
    double ox = 0, oy = 0;
    int n = 0;
    std::vector<std::uint8_t> cls;
    std::vector<std::int32_t> lake;  // lake index or -1
    std::vector<float> dist;
    std::vector<std::int32_t> source;  // nearest water cell
    std::vector<std::uint32_t> waterSum;  // summed-area table of water cells
    std::vector<double> lakeLevels;
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

}  // namespace terrain
}  // namespace mkdata
