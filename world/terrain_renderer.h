// The terrain renderer: a painter's algorithm over the tile window's cell pyramids. Each frame it
// works out which cells of which level are visible (a ground octagon of the view range round the
// eye, clipped by the camera's frustum and scan-converted per level), walks every tile's pyramid
// from coarse to fine choosing the level by distance, records the cells to draw back to front,
// turns every grid point they use into one shared vertex (height, distance, normal, light,
// screen position), and then draws the cells in that order, each followed by the render items
// (buildings, runways, shadows, aircraft) filed at it. There is no depth buffer: order is all.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "gfx/raster/haze_dither.h"
#include "gfx/raster/poly_request.h"
#include "gfx/surface_types.h"
#include "ts/maths.h"
#include "ts/perspective_camera.h"
#include "world/terrain_grid.h"

namespace ts {
class TSRenderItem;
}

namespace world {

class TerrainTile;
struct TerrainMaterial;

inline constexpr int kTerrainViewLevels = 10;
inline constexpr std::int32_t kUnusedBand = 0x1FFFFFFF;

struct TerrainLevelView {
    std::int32_t lower = kUnusedBand;  // the level's distance band
    std::int32_t upper = kUnusedBand;
    std::int32_t second = 0;  // kept, not used
    std::int32_t eyeCellX = 0;
    std::int32_t eyeCellY = 0;
    std::int32_t firstRow = 0;  // visible rows (absolute cell rows); last < first: none
    std::int32_t lastRow = -1;
    std::vector<std::int32_t> rowFirst;  // per visible row, its first and last visible cell
    std::vector<std::int32_t> rowLast;
};

class TerrainViewArea {
public:
    TerrainViewArea();

    // The band bounds: level 0 runs to bound 0, level k from bound k - 1 to bound k, the next
    // level has no upper limit and later levels are not used.
    void SetBands(const std::int32_t* bounds, int count);
    void SetSecondDistances(const std::int32_t* distances, int count);
    void SetRange(std::int32_t range);
    [[nodiscard]] bool IsVisible(int level, std::int32_t cx, std::int32_t cy) const;

    std::int32_t firstLevel = 0;
    std::int32_t lastLevel = 0;
    std::int32_t lowestLevel = 0;
    std::int32_t highestLevel = 0;
    std::int32_t rangeLevel = 0;
    std::array<TerrainLevelView, kTerrainViewLevels> levels;
    float eye[3] = {0, 0, 0};
    float direction[3] = {0, 0, 0};
    ts::CameraRect screen;
    std::uint32_t flag = 1;
    std::uint32_t scaleShift = 9;
    std::int32_t lowestHeight = 0;
    std::int32_t highestHeight = 0;
    std::int32_t gridLowestLevel = 0;
    std::int32_t gridHighestLevel = 9;
    std::int32_t range = 100000;
    std::int32_t stored10000 = 10000;
    std::int32_t hazeNear = 25000;
    std::int32_t hazeFar = 100000;
    float hazeScale = 65535.0f / 75000.0f;
    std::int32_t words[3] = {3, 0, 100000};
};

// What an item is, for the order of the items of one cell: pavement lies on the ground and
// goes down first, shadows lie on the pavement, and whatever stands goes last, the farthest
// first.
enum class TerrainItemLayer : std::uint8_t { kGround = 0, kShadow = 1, kStanding = 2 };

// A drawable filed at a cell: the sphere that bounds it (grid position, radius), the place whose
// cell it is filed at (an object that covers many cells is filed at the one nearest the eye, so
// that the ground between it and the eye does not paint over it) and its layer.
struct TerrainRenderItem {
    ts::TSRenderItem* item = nullptr;
    float position[3] = {0, 0, 0};
    float radius = 0.0f;
    float at[2] = {0, 0};
    TerrainItemLayer layer = TerrainItemLayer::kStanding;
    std::int32_t next = -1;  // the item filed after it at the same cell
};

// One cell to draw, in drawing order.
struct TerrainCellRecord {
    TerrainCellPyramid* block = nullptr;
    TerrainCellView cell;
    std::int32_t cellX = 0;  // absolute cell coordinates at its level
    std::int32_t cellY = 0;
    std::int32_t level = 0;
    const TerrainMaterial* material = nullptr;   // the cell's own or the one in force above it
    std::int32_t items = -1;                     // the first item filed here
    std::int32_t lastItem = -1;                  // and the last
    std::int32_t corners[4] = {-1, -1, -1, -1};  // vertex indices h0..h3
};

// A grid point as the frame uses it: one cache line, so that a cell's four corners cost four.
struct alignas(64) TerrainVertex {
    std::int32_t gx = 0, gy = 0;  // grid position
    float height = 0.0f;
    float distance = 0.0f;
    gfx::GFXColourTriple colour;
    ts::Vector3F eye;
    gfx::GFXScreenPoint screen;
    std::uint8_t level = 0;
    std::uint8_t behind = 0;   // nearer than the near plane
    std::uint8_t wide = 0;     // in front, but beyond the guard band round the screen
    std::uint8_t outcode = 0;  // off-screen sides: 1 left, 2 right, 4 above, 8 below
    std::uint8_t haze = 0;     // the haze level at its distance; the last level + 1 beyond range
};
static_assert(sizeof(TerrainVertex) == 64);

// An open-addressed table of keys for one frame: emptied by a new stamp. It starts small, so
// that a frame's lookups stay in the processor's cache, and doubles when half full, up to
// 2^maxBits slots; at that size a half-full table takes no more keys.
class TerrainKeyTable {
public:
    void Resize(std::size_t maxBits);
    void Clear();
    [[nodiscard]] std::int32_t Get(std::uint64_t key) const;
    // Adds a key; false when it was there (its value in *existing) or the table is full.
    bool Put(std::uint64_t key, std::int32_t value, std::int32_t* existing);

private:
    struct Slot {
        std::uint64_t key = 0;
        std::uint32_t stamp = 0;
        std::int32_t value = -1;
    };
    [[nodiscard]] std::size_t Find(std::uint64_t key) const;
    void SetBits(std::size_t bits);
    // Twice the slots, with this frame's keys moved over.
    void Grow();
    std::vector<Slot> slots;
    std::size_t bits = 0;
    std::size_t maxBits = 0;
    std::uint32_t shift = 64;
    std::uint32_t stamp = 1;
    std::size_t used = 0;
};

// The render-item sorter, and the frame's cache of terrain vertices. Vertices are filed by
// grid point: one lookup finds a point's vertices at every level, so that the search for the
// finer neighbours' points along an edge costs one lookup however many levels it covers.
class TerrainRenderItemSorter {
public:
    TerrainRenderItemSorter();
    void Reset();
    // The vertex of a grid point at a level, made (without its light and screen position) when
    // it is new; its index, or -1 when the frame has no room left.
    std::int32_t Vertex(std::int32_t level, std::int32_t gx, std::int32_t gy, float height);
    // A grid point, made when it is new: its index for VertexAt, or -1 when the frame has no
    // room left.
    std::int32_t Point(std::int32_t gx, std::int32_t gy);
    // The vertex of a point (gx, gy) at a level (0 .. kTerrainViewLevels - 1), made when it is
    // new, with its height and anything else set by init(vertex); -1 when the frame has no room.
    template <class Init>
    std::int32_t VertexAt(std::int32_t point, std::int32_t level, std::int32_t gx, std::int32_t gy,
                          Init init);
    // The vertex of a grid point when the frame has one; -1 otherwise.
    [[nodiscard]] std::int32_t FindVertex(std::int32_t level, std::int32_t gx,
                                          std::int32_t gy) const;
    // The vertex of a grid point at the coarsest level below `below` that has one; -1 when
    // no finer level has one.
    [[nodiscard]] std::int32_t FindFinerVertex(int below, std::int32_t gx, std::int32_t gy) const;
    // Gives every vertex of a grid point the height and distance of the point's finest vertex:
    // the levels' height tables need not agree on a point, and cells of two levels meeting there
    // must put it on the same pixel, or a sliver of what lies behind shows between them.
    void ShareFinestHeights();
    // The recorded cell of a level's cell coordinates (cx, cy), whose first corner (its lowest
    // x and y) stands on `point` at (gx, gy), for filing items: the first filed there stays.
    void AddCell(std::int32_t level, std::int32_t cx, std::int32_t cy, std::int32_t point,
                 std::int32_t index);
    [[nodiscard]] std::int32_t FindCell(std::int32_t level, std::int32_t cx, std::int32_t cy,
                                        std::int32_t gx, std::int32_t gy) const;

    std::vector<TerrainVertex> vertices;
    // Beside each vertex, its neighbours one step west, east, south and north at the same level
    // that a cell the two share has met; -1 when none has (the frame may still have that
    // neighbour).
    std::vector<std::array<std::int32_t, 4>> beside;
    std::vector<TerrainRenderItem> items;

private:
    // A grid point's vertex at each level, -1 where it has none.
    using PointVertices = std::array<std::int32_t, kTerrainViewLevels>;
    [[nodiscard]] static std::uint64_t PointKey(std::int32_t gx, std::int32_t gy);
    [[nodiscard]] const PointVertices* FindPoint(std::int32_t gx, std::int32_t gy) const;
    // Whether a point may be in the table: one bit per hash of its key, small enough to stay
    // in the processor's nearest cache, so that most searches for a point the frame does not
    // have end without reaching the table.
    [[nodiscard]] static std::size_t PointBit(std::uint64_t key);
    TerrainKeyTable pointTable;
    std::vector<std::uint64_t> pointBits;
    // The points made or met last, by a hash of their key: neighbouring cells share corners,
    // and most of a cell's corners were a neighbour's a moment before.
    struct RecentPoint {
        std::uint64_t key = ~std::uint64_t{0};  // no key is all ones
        std::int32_t point = -1;
    };
    std::array<RecentPoint, 64> recent;
    std::vector<PointVertices> points;
    // The recorded cell whose first corner each point is, as index * kTerrainViewLevels +
    // level, -1 for none; a point is that of one cell (tiles do not overlap), and any further
    // cell is filed by its key in cellTable.
    std::vector<std::int32_t> pointCells;
    TerrainKeyTable cellTable;
};

using TerrainRenderCallback = void (*)(TerrainRenderItem* items, std::int32_t first);

class TerrainRenderer {
public:
    TerrainRenderer();

    // A new frame: no cells, no items, no vertices.
    void Reset(TerrainViewArea& area, TerrainRenderItemSorter& sorter);
    // Walks a tile's pyramid and records its visible cells back to front.
    void WalkTile(TerrainTile& tile);
    // Lights and projects the frame's vertices through the current camera and light set.
    void FinishVertices();
    // Draws the recorded cells and their items; the number of cells drawn.
    int Draw();

    // Files an item at the cell of its own position.
    int AddRenderItemGrid(const float position[3], float radius, ts::TSRenderItem* item,
                          TerrainItemLayer layer = TerrainItemLayer::kStanding);
    // Files an item at the cell of record.at; 0 when no recorded cell holds that place.
    int AddTerrainRenderItem(const TerrainRenderItem& record);
    void SetRenderCallback(TerrainRenderCallback callback);
    void SetTexturesOn(bool on) { texturesOn = on; }

    [[nodiscard]] const std::vector<TerrainCellRecord>& Cells() const { return cells; }
    [[nodiscard]] int CellsDrawn() const { return cellsDrawn; }

private:
    // Where the walk keeps the point and the vertex of each of a cell's corners once it has
    // them (-1 until then): the four sub-cells of a split cell share the nine points of their
    // sixteen corners, and the outer four are the split cell's own.
    struct CornerSlots {
        std::int32_t* point[4];
        std::int32_t* vertex[4];
    };
    void VisitCell(TerrainTile& tile, TerrainCellPyramid* block, TerrainCellView cell, int level,
                   std::int32_t cx, std::int32_t cy, const TerrainMaterial* inForce,
                   const CornerSlots& slots);
    void VisitStartCells(TerrainTile& tile, TerrainCellPyramid* block, std::int32_t originX,
                         std::int32_t originY, const TerrainMaterial* inForce);
    // Records a cell to draw, with its corners when the walk has made them already.
    void Record(TerrainCellPyramid* block, TerrainCellView cell, int level, std::int32_t cx,
                std::int32_t cy, const TerrainMaterial* material, const CornerSlots& slots,
                const std::int32_t* corners = nullptr);
    void MakeCorners(TerrainCellPyramid* block, TerrainCellView cell, int level, std::int32_t cx,
                     std::int32_t cy, const CornerSlots& slots, std::int32_t out[4]);
    // Files corners a and b of a cell, next to each other round it, as neighbours.
    void LinkCorners(const std::int32_t corners[4], int a, int b);
    [[nodiscard]] float MeanDistance(const std::int32_t corners[4]) const;
    void DrawCell(const TerrainCellRecord& r);
    void DrawItems(const TerrainCellRecord& r);
    // Points along a cell edge from finer neighbours (between a and b, not including them).
    void EdgePoints(int level, std::int32_t ax, std::int32_t ay, std::int32_t bx, std::int32_t by,
                    std::vector<std::int32_t>* out) const;
    // Where a cell's textures start: a whole number of textures, and one texture's reciprocal.
    struct TextureOrigin {
        float perTexture = 1.0f;
        float x = 0.0f;
        float y = 0.0f;
    };
    // The frame's haze: its levels (0: none), the borders' distances and their squares, and
    // every vertex's level; the cuts of the last frame forgotten.
    void PrepareHaze();
    [[nodiscard]] int HazeLevel(float distance) const;
    // The level at a squared distance, by the borders' squares.
    [[nodiscard]] int HazeLevelOfSquared(double squared) const;
    // A triangle cut along the lines where the haze changes level, each piece drawn in its own
    // level: the haze thickens smoothly over a large cell instead of in one step per cell.
    // Large triangles are first halved along their sides where those cross a border, so that
    // the borders follow the circles round the eye (`depth` halvings so far).
    void DrawHazedTriangle(const TerrainVertex* const corners[3], const TerrainMaterial* material,
                           const TextureOrigin& texture, int depth = 0);
    // One triangle cut along the borders as they cross its sides.
    void DrawHazedPiece(const TerrainVertex* const corners[3], const TerrainMaterial* material,
                        const TextureOrigin& texture);
    static constexpr int kMostHalvings = 8;
    // Where a side crosses the haze borders, worked out once a frame for the two triangles
    // that share it: from its lesser end a (by grid x, then y) to b, `count` points from
    // sideCutPoints[first], crossing borders firstBorder, firstBorder + step, ...
    struct SideCuts {
        std::int32_t ax = 0, ay = 0, bx = 0, by = 0;
        std::int32_t first = 0;
        int count = 0;
        int firstBorder = 0;
        int step = 1;
    };
    struct CutPoint {
        float t = 0.0f;  // the share of the way from a to b
        ts::Vector3F eye;
        gfx::GFXScreenPoint screen;
        std::uint8_t behind = 0;
        std::uint8_t wide = 0;
    };
    // The side from a to b (a before b) cut at the borders between their levels.
    const SideCuts& CutSide(const TerrainVertex& a, const TerrainVertex& b);
    // The pieces of a triangle over haze levels first to top, one a level, without what lies
    // beyond the range (level top past the last). Each border between two levels, and the
    // range, is cut once on each side, at the point the neighbour across that side cuts too,
    // and the pieces meet only along their borders, so every pixel is drawn once and in its
    // own level.
    void DrawHazeLevels(const TerrainVertex* const corners[3], int first, int top,
                        const TerrainMaterial* material, const TextureOrigin& texture);
    // The haze dither over plain ground (gfx/raster/haze_dither.h): open water anywhere, and
    // any ground in the last two levels, whose texture has run together; elsewhere the texture
    // hides the steps between levels. Made for the frame from the camera and the palette's
    // shade table (the colour of each level one level down and up, remade only when the table
    // changes).
    void PrepareDither(gfx::GFXPalette* palette);
    // The triangle's plane into the dither; false when the eye lies in that plane.
    bool DitherPlane(const TerrainVertex* const corners[3]);
    // A polygon in the palette's current level, dithered when its triangle is.
    void DrawPolygon(const TerrainVertex* const* vertices, int count,
                     const TerrainMaterial* material, const TextureOrigin& texture);
    // DrawPolygon for kCount corners (any number when 0).
    template <int kCount>
    void DrawCorners(const TerrainVertex* const* vertices, int count,
                     const TerrainMaterial* material, const TextureOrigin& texture);
    // A polygon with a corner nearer than the near plane or beyond the guard band, cut at those
    // planes in eye space (its texture coordinates already in clipTex).
    void DrawClipped(const TerrainVertex* const* vertices, int count,
                     const TerrainMaterial* material);
    // Hands a polygon's corners to the rasterizer in the material's kind, as fans of at most 12
    // points; nearest and farthest are its corners' depths.
    void SubmitPolygon(int count, const gfx::GFXScreenPoint* const* points,
                       const gfx::GFXColourTriple* const* colours,
                       const gfx::GFXTexCoord* const* tex, float nearest, float farthest,
                       const TerrainMaterial* material);

    TerrainViewArea* area = nullptr;
    TerrainRenderItemSorter* sorter = nullptr;
    std::vector<TerrainCellRecord> cells;
    TerrainRenderCallback callback = nullptr;
    bool texturesOn = true;
    int cellsDrawn = 0;
    // Scratch of the drawing, kept between frames.
    // Where a triangle's sides cross haze borders: at most every border of 16 levels on each of
    // its sides.
    static constexpr int kMostBorders = 15;
    static constexpr int kMostCuts = 3 * kMostBorders;
    static constexpr int kMostPiecePoints = 3 + 2 * 3;  // a piece has at most two points a side
    std::array<TerrainVertex, kMostCuts> cutPoints{};
    static constexpr int kMostHazeLevels = 255;
    struct Haze {
        int levels = 0;
        float perUnit = 0.0f;
        std::array<double, kMostHazeLevels + 1> radius{};
        std::array<double, kMostHazeLevels + 1> squared{};
    };
    Haze haze;
    bool ditherOn = false;        // the frame's target takes the dither
    bool ditherTriangle = false;  // the triangle being drawn has its plane in `dither`
    int ditherFar = 0;            // the first level dithered on any ground
    double ditherScale = 1.0, ditherCx = 0.0, ditherCy = 0.0;  // the camera's, for the planes
    gfx::HazeDither dither;
    // The squared distances where the dither's shares of each level step.
    std::array<std::array<double, 4>, kMostHazeLevels + 1> ditherEdges{};
    // Each level's colours one level lower (256) and higher (256).
    std::vector<std::uint8_t> ditherMaps;
    const gfx::GFXPalette* mapsPalette = nullptr;
    const std::uint8_t* mapsTable = nullptr;
    std::uint32_t mapsSerial = 0;
    int mapsLevels = -1;
    // The material last looked at, and whether it is open water (the cell being drawn is).
    const TerrainMaterial* waterChecked = nullptr;
    bool waterMaterial = false;
    TerrainKeyTable sideTable;
    std::vector<SideCuts> sideCuts;
    std::vector<CutPoint> sideCutPoints;
    SideCuts scratchSide;
    std::vector<std::int32_t> polygon;
    std::vector<std::int32_t> edge;
    std::array<ts::Vector3F, 24> clipEye{};
    std::array<gfx::GFXTexCoord, 24> clipTex{};
    std::array<gfx::GFXColourTriple, 24> clipColour{};
    std::array<gfx::GFXScreenPoint, 24> clipScreen{};
    struct OrderedItem {
        float distance;
        std::int32_t index;
        TerrainItemLayer layer;
    };
    std::vector<OrderedItem> ordered;
    // The face of the material drawn last, kept for the next polygon of the same material
    // within one drawing of the frame.
    struct FaceKind {
        bool valid = false;
        const TerrainMaterial* material = nullptr;
        gfx::GFXFaceMaterial face;
        std::uint32_t type = 0;     // a TerrainMaterialType
        std::uint32_t shading = 0;  // a TerrainShading
    };
    FaceKind faceKind;
    // The frame's vertices' grid positions and whether each lies behind the near plane, for the
    // camera's one pass over them.
    std::vector<ts::Vector3F> positions;
    std::vector<std::uint32_t> behindFlags;
};

}  // namespace world
