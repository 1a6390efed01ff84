// The tile window: a 3 x 3 window of terrain tiles around the user's aircraft, paged as the
// aircraft moves, with the ground datum kept equal to the terrain height under the aircraft,
// height queries anywhere in the window, the disk cache of tile files, the shared material
// lists of the tiles, and the ground textures of "GridText.bin".
//
// Units: the flight model's position uses 100.584 units per terrain unit; a tile is 2^20
// terrain units on a side; tile column = floor(fmPosX / (2^20 x 100.584)) + 9, row likewise
// with fmPosZ and + 5, 16 x 16 tiles in the world. Grid coordinates are centred on the middle
// of the window's centre tile: the tile in window column a and row b has its grid origin at
// (4a - 6, 4b - 6) root cells of 2^18 units.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/resource_volume.h"
#include "win/file_api.h"
#include "world/terrain_disk_cache.h"
#include "world/terrain_grid.h"
#include "world/terrain_materials.h"
#include "world/terrain_renderer.h"

namespace gfx {
class GFXBitmap;
}
namespace ts {
class TSRenderItem;
}

namespace world {

inline constexpr std::int32_t kTileUnits = 1 << 20;
inline constexpr double kFlightUnitsPerTerrainUnit = 100.584;
inline constexpr int kWorldTiles = 16;
inline constexpr std::uint8_t kNoTileId = 254;
inline constexpr std::uint32_t kLeavingAirspaceCommand = 690;

// What the terrain needs of the simulation: the aircraft's flight-model position, simulated
// time, the scenery settings, the main window and its cursor. The world installs its own; the
// defaults describe an aircraft at the origin, time standing still and the default settings.
struct TerrainServices {
    void (*aircraftPosition)(std::int32_t out[3]);  // fmPosX, fmPosY, fmPosZ
    void (*setAircraftHeight)(std::int32_t fmPosY);
    std::uint32_t (*simTimeMs)();
    std::int32_t (*graphicsSetting)(int index);
    void (*postCommand)(std::uint32_t id);  // WM_COMMAND to the main window
    void (*waitCursor)(int on);
};
extern TerrainServices theTerrainServices;
[[nodiscard]] TerrainServices DefaultTerrainServices();

class TerrainTile;

// The scenery objects of a tile (its runways, buildings, towers and obstacles): built by the
// airport objects once the tile is read and placed in the window, freed just before it goes.
// The defaults build nothing.
struct TerrainTileObjectHooks {
    void (*build)(TerrainTile* tile);
    void (*free)(TerrainTile* tile);
};
extern TerrainTileObjectHooks theTileObjectHooks;
[[nodiscard]] TerrainTileObjectHooks NoTileObjects();

// An object of a tile's scenery lists as the window's searches see it: its world position and,
// for runways, its own containment test. The airport objects own the objects themselves.
struct TerrainObjectEntry {
    double position[3] = {0, 0, 0};
    const void* object = nullptr;
    int (*contains)(const void* object, const double position[3]) = nullptr;
    // Set while position[2] is not yet the ground's height there: stands the object on the ground
    // and gives its height. The searches call it when an answer may depend on the height.
    void (*ground)(const void* object, double position[3]) = nullptr;
};

class TerrainTile : public TerrainGrid {
public:
    TerrainTile(std::int32_t column, std::int32_t row);
    // column x 16 + row, or 254 when either lies outside 0..15.
    [[nodiscard]] static std::uint8_t IdFor(std::int32_t column, std::int32_t row);

    std::uint32_t state = 0;  // 1: read from "stub.ted" because its own file is missing
    // The scenery object lists, filled by the airport objects' builders.
    std::vector<TerrainObjectEntry> runways;
    std::vector<TerrainObjectEntry> buildings;
    std::vector<TerrainObjectEntry> towers;
    std::vector<TerrainObjectEntry> obstacles;
    bool objectsBuilt = false;  // the object hooks have built them
    std::int32_t column = 0;
    std::int32_t row = 0;
    std::uint8_t id = kNoTileId;
    std::string fileName;  // the file it was read from
};

// The tile of a flight-model position and the thirds of the tile it lies in.
struct TilePosition {
    std::int32_t column = 0;
    std::int32_t row = 0;
    std::uint32_t flags = 0;  // 1 first third in x, 2 last third in x, 4 and 8 likewise in z
};
[[nodiscard]] TilePosition TileOfPosition(std::int32_t fmPosX, std::int32_t fmPosZ);

class TerrainManager {
public:
    TerrainManager();
    ~TerrainManager();
    TerrainManager(const TerrainManager&) = delete;
    TerrainManager& operator=(const TerrainManager&) = delete;

    // Once the installation source is known: the disk cache and the ground textures.
    void InitDiskCache();

    // The per-tick update: pages the window, updates the ground datum, and warns once through
    // command 690 when the aircraft reaches a tile without terrain 5 s or more after real
    // terrain.
    void TrackAircraft();
    TerrainTile* LoadTerrainTile(std::int32_t dx, std::int32_t dz);
    void ReleaseTiles();

    // World points are in world units (tiles of 2^20 from the world's south-west corner).
    [[nodiscard]] TerrainTile* GetTileAt(const double worldPoint[3]);
    const TerrainHeightResult& GetHeightAt(const double worldPoint[3]);
    // The same at a grid point of the window (the tile whose bounds hold it).
    const TerrainHeightResult& GetHeightAtGrid(std::int32_t x, std::int32_t y);
    [[nodiscard]] TerrainTile* GetTileAtGrid(std::int32_t x, std::int32_t y);
    // The grid position of the flight model's origin.
    void GetWindowOrigin(double out[3]) const;
    void GridToWorld(const double grid[3], double world[3]) const;
    void WorldToGrid(const double world[3], double grid[3]) const;
    int HasTerrainAt(const double worldPoint[3]);

    // Scenery searches over the window's object lists: the centre tile first, then all eight
    // neighbours in slot order.
    const TerrainObjectEntry* FindNearestTower(const double aircraftWorld[3]);
    int IsOnRunway(const double worldPosition[3]);

    // The frame: levels, visible area, cell walk and vertices for an eye (grid coordinates);
    // then the drawing, each cell followed by the items filed at it.
    void PrepareView(const float eye[3], const float direction[3]);
    int Render();
    // Files a drawable at the cell holding a world point; 1 when filed.
    int AddRenderItem(const double worldPoint[3], float radius, ts::TSRenderItem* item);
    int AddTerrainRenderItem(const TerrainRenderItem& record);
    // The view range for the aircraft's height above the ground, and the three band bounds.
    void ApplyRange();
    static void BandsForRange(std::int32_t range, std::int32_t out[3]);
    // What paging hands the view area: the centre tile's grid, the bands, the fixed distances.
    void ApplyViewParameters();
    [[nodiscard]] std::int32_t ViewRange() const { return area.range; }
    [[nodiscard]] const std::int32_t* BandValues() const { return bandValues; }
    [[nodiscard]] const TerrainViewArea& ViewArea() const { return area; }
    [[nodiscard]] TerrainRenderer& Renderer() { return renderer; }
    [[nodiscard]] const TerrainRenderItemSorter& Sorter() const { return sorter; }
    [[nodiscard]] int CellsDrawn() const { return renderer.CellsDrawn(); }

    // TerrainRange, then TerrainTexture; when the texture stays, every tile's objects are
    // built again from the settings.
    void ApplyGraphicsSettings();
    void RebuildTileObjects();
    int SetTerrainTexture(std::uint32_t choice);
    void SetTerrainRange(std::int32_t setting);
    [[nodiscard]] float BaseRange() const { return baseRange; }

    TerrainMaterialList* AcquireMaterialList(const std::string& name);
    void ReleaseMaterialList(TerrainMaterialList* list);
    [[nodiscard]] std::size_t MaterialListCount() const { return materialLists.size(); }

    // The ground textures read from "GridText.bin" (while it is mapped), by name.
    [[nodiscard]] const gfx::GFXBitmap* FindGroundTexture(std::string_view name) const;
    [[nodiscard]] bool IsGridTextMapped() const { return gridText.IsMapped(); }
    [[nodiscard]] std::size_t GroundTextureCount() const { return groundTextures.size(); }

    [[nodiscard]] TerrainTile* Slot(int index) const { return tiles[static_cast<std::size_t>(index)].get(); }
    [[nodiscard]] TerrainTile* CentreTile() const { return centre; }
    [[nodiscard]] std::int32_t CentreColumn() const { return centreColumn; }
    [[nodiscard]] std::int32_t CentreRow() const { return centreRow; }
    [[nodiscard]] std::uint32_t PositionFlags() const { return positionFlags; }
    [[nodiscard]] TerrainDiskCache& DiskCache() { return diskCache; }
    [[nodiscard]] std::uint32_t TextureChoice() const { return textureChoice; }
    [[nodiscard]] bool IsLowTerrain() const { return lowTerrain; }
    void SetRegion(std::string_view name);

    // The tile folder and a tile's path ("art\terrain\USA\NA_05X09.TED", row first).
    [[nodiscard]] std::string TilePath(std::int32_t column, std::int32_t row) const;

private:
    void PageWindow(const TilePosition& at);
    void ComputeVisibleArea();
    // Loads the centre and the neighbours next to the aircraft's corner third, places every
    // tile of the window and reads the centre tile's magnetic grids.
    void LoadWindow();
    void UnloadSlot(int index);
    void UpdateDatum(std::int32_t fmPosX, std::int32_t fmPosZ);
    void OpenTextureVolume();
    void MapGridText();
    void UnmapGridText();
    [[nodiscard]] double GridOffsetX() const;
    [[nodiscard]] double GridOffsetY() const;

    std::array<std::unique_ptr<TerrainTile>, 9> tiles;
    TerrainViewArea area;
    TerrainRenderItemSorter sorter;
    TerrainRenderer renderer;
    TerrainDiskCache diskCache;
    std::int32_t bandValues[3] = {25000, 55000, 70000};
    std::uint32_t positionFlags = 0;
    std::int32_t centreColumn = -1;
    std::int32_t centreRow = -1;
    TerrainTile* centre = nullptr;
    win::FileMapping gridText;
    struct GroundTexture {
        std::string name;
        std::unique_ptr<gfx::GFXBitmap> bitmap;
    };
    std::vector<GroundTexture> groundTextures;
    std::uint32_t textureChoice = 1;
    float baseRange = 76000.0f;
    struct MaterialListHolder {
        std::unique_ptr<TerrainMaterialList> list;
        std::string name;
        std::uint32_t uses = 0;
    };
    std::vector<MaterialListHolder> materialLists;
    std::unique_ptr<core::ResourceVolume> textureVolume;
    std::string region = "USA";
    bool lowTerrain = false;
    bool deadlineArmed = false;
    std::uint32_t deadline = 0;
    // The tile HasTerrainAt opened last.
    std::int32_t askedColumn = -1;
    std::int32_t askedRow = -1;
    int askedAnswer = 0;
};

}  // namespace world
