// The scenery objects that stand on the terrain: runways, buildings, control towers and
// obstacles with their warning lights. The database reads the three record files once when the
// world starts and answers, for a terrain tile, which records stand in it; the artifacts built
// from them are drawn with the tile. It also finds obstacles for the map and writes the debug
// reports the "Debug" settings ask for.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "world/airport_records.h"
#include "world/artifacts.h"

namespace core {
class IniFile;
class ResourceVolume;
}  // namespace core

namespace world {

// A point of the map's obstacle layer: the offset inside its tile (world units).
struct ObstaclePoint {
    std::int32_t x = 0;
    std::int32_t z = 0;
};

// What the tower and beacon checks read of the navigation subsystem: the current place's
// letter ('A'..'D' for an airport) and its name.
struct PlaceServices {
    char (*letter)();
    const char* (*name)();
};
extern PlaceServices thePlaceServices;

class AirportObjectDatabase {
public:
    AirportObjectDatabase() = default;
    // Reads "rwys.bin", "buildings.bin" and "obstacle.bin" from their volumes (a null volume
    // or a member that cannot be opened gives no records of its kind) and writes the debug
    // dumps the settings ask for into `dumpFolder` (the working folder when empty).
    void Load(core::ResourceVolume* runways, core::ResourceVolume* buildings,
              core::ResourceVolume* obstacles, core::IniFile* settings,
              const std::string& dumpFolder = "");
    // The records as given (tests and tools).
    void SetRecords(std::vector<RunwayRecord> r, std::vector<BuildingRecord> b,
                    std::vector<ObstacleRecord> o);

    [[nodiscard]] const std::vector<RunwayRecord>& Runways() const { return runways; }
    [[nodiscard]] const std::vector<BuildingRecord>& Buildings() const { return buildings; }
    [[nodiscard]] const std::vector<ObstacleRecord>& Obstacles() const { return obstacles; }

    // The records of a tile (none for tile id 254): runways; buildings of class at least
    // `density` except towers; towers; obstacles (found from the first record of the tile on,
    // the file being sorted by tile).
    [[nodiscard]] std::vector<const RunwayRecord*> RunwaysInTile(std::uint8_t tile) const;
    [[nodiscard]] std::vector<const BuildingRecord*> BuildingsInTile(std::uint8_t tile,
                                                                     int density) const;
    [[nodiscard]] std::vector<const BuildingRecord*> TowersInTile(std::uint8_t tile) const;
    [[nodiscard]] std::vector<const ObstacleRecord*> ObstaclesInTile(std::uint8_t tile) const;

    // Every obstacle in the tile that holds the world position, as offsets inside the tile.
    [[nodiscard]] std::vector<ObstaclePoint> CollectObstaclesInTile(std::int32_t x,
                                                                    std::int32_t z) const;
    // The next obstacle from *cursor on within `radius` of (x, z), all in flight-model units
    // (1/256 m from the world's centre); the cursor moves past it. Nothing at the end.
    [[nodiscard]] std::optional<std::array<std::int32_t, 2>> FindNextObstacleNear(
        std::size_t* cursor, std::int32_t x, std::int32_t z, std::int32_t radius) const;

    // The tower and beacon checks of the "Debug" settings: called while a tile's towers are
    // built, with the aircraft's world position.
    void CheckTowers(const std::vector<const BuildingRecord*>& towers, const double aircraft[3]);
    void CheckBeacons(const double aircraft[3]);
    // Writes the beacon report, when the check is on ("BeacErr.Out").
    void WriteBeaconReport() const;

    [[nodiscard]] bool TowerCheck() const { return towerCheck; }
    [[nodiscard]] std::size_t BeaconEntries() const { return beacons.size(); }

    // ---- the artifacts ----
    // The shape folders: buildings and towers, obstacles, and the aircraft (traffic).
    void SetShapeFolders(core::ResourceVolume* buildingShapes, core::ResourceVolume* obstacleShapes,
                         core::ResourceVolume* planeShapes);
    // The objects of a terrain tile, built when the tile loads: its runways (with the runway
    // settings given), its buildings of class at least `density` (towers apart), its towers
    // (with the tower and beacon checks for the aircraft's world position) and its obstacles.
    // Null for tile id 254; a shape that cannot be had leaves its object out.
    [[nodiscard]] std::unique_ptr<TileArtifacts> BuildRunways(std::uint8_t tile, int markings,
                                                              int lighting) const;
    [[nodiscard]] std::unique_ptr<TileArtifacts> BuildBuildings(std::uint8_t tile, int density);
    [[nodiscard]] std::unique_ptr<TileArtifacts> BuildTowers(std::uint8_t tile,
                                                             const double aircraft[3]);
    [[nodiscard]] std::unique_ptr<TileArtifacts> BuildObstacles(std::uint8_t tile);

    // The frame: the viewer's world position (the near list emptied), then every loaded tile's
    // objects within `maxDistance` collected (animated ones advance their lights), then the
    // near list filed far to near with the ground, and the created objects near the viewer.
    void SetView(const double viewer[3]);
    void CollectNearObjects(TileArtifacts& tile, double maxDistance);
    void QueueVisibleObjects(int panCamera);
    [[nodiscard]] std::size_t NearCount() const { return nearList.size(); }
    [[nodiscard]] const std::vector<Artifact*>& Near() const { return nearList; }

    // A free-standing object (a traffic aircraft) with the named aircraft shape; null when the
    // shape cannot be had. Owned by the database until destroyed.
    Artifact* CreateArtifact(const char* shapeName);
    void DestroyCreatedArtifact(Artifact* a);
    void DestroyCreatedArtifacts();
    [[nodiscard]] std::size_t CreatedCount() const { return created.size(); }
    // The last "Bad shape" report of a beacon's set-up.
    [[nodiscard]] const std::string& LastShapeReport() const { return shapeReport; }

    ~AirportObjectDatabase();

private:
    std::vector<RunwayRecord> runways;
    std::vector<BuildingRecord> buildings;
    std::vector<ObstacleRecord> obstacles;
    struct BeaconEntry {
        const BuildingRecord* record;
        std::int32_t distance;
        std::string tag;
    };
    std::vector<BeaconEntry> beacons;
    bool towerCheck = false;
    std::string folder;
    core::ResourceVolume* buildingShapes = nullptr;
    core::ResourceVolume* obstacleShapes = nullptr;
    core::ResourceVolume* planeShapes = nullptr;
    double viewer[3] = {0.0, 0.0, 0.0};
    std::vector<Artifact*> nearList;
    std::vector<Artifact*> created;
    std::string shapeReport;
};

// The position of a record in flight-model units, as the map and the reports give it.
[[nodiscard]] std::int32_t WorldXToFlight(std::int32_t x);
[[nodiscard]] std::int32_t WorldZToFlight(std::int32_t z);

}  // namespace world
