// The airport object files: "rwys.bin" (runways), "buildings.bin" (hangars, terminals, towers,
// beacons, trees) and "obstacle.bin" (masts, stacks, cranes ... sorted by tile id). Each is a
// u32 record count followed by that many packed little-endian records. The readers trust
// nothing: the count is capped at what the member holds, a name without its terminator is cut
// at its field, and records the scenery cannot use (unknown obstacle types, runways without
// width or length) are skipped. The writers are the data maker's.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace world {

// World units: the terrain's (1.2890625 ft), from the world's south-west corner; a tile is
// 2^20 units on a side and its id is column x 16 + row (254: no tile).
inline constexpr std::int32_t kWorldOriginX = 9437184;  // 9 x 2^20
inline constexpr std::int32_t kWorldOriginZ = 5242880;  // 5 x 2^20
inline constexpr std::uint8_t kNoTile = 254;
// Feet to shape units.
inline constexpr double kFeetToShapeUnits = 0.77575755;

struct RunwayRecord {
    static constexpr int kSize = 30;
    std::int32_t x = 0;  // world position of the centre
    std::int32_t z = 0;
    float heading = 0.0f;  // radians, the object's Euler z angle
    std::int16_t width = 0;   // feet
    std::int16_t length = 0;  // feet
    std::uint8_t spare[2] = {0, 0};
    std::uint8_t tileId = kNoTile;
    std::uint8_t end1Code = 0;  // runway number x 4 + designator (1 L, 2 R, 3 C)
    std::uint8_t end2Code = 0;
    std::uint8_t flags = 0;          // bit 0 hard surface
    std::int16_t threshold1 = 0;     // displaced threshold of end 1, feet
    std::int16_t threshold2 = 0;
    std::uint32_t markings = 0;      // marking and lighting bits

    void Read(const std::uint8_t* p);
    void Write(std::uint8_t* p) const;
};

inline constexpr int kBuildingNameSize = 9;  // 8 characters and the terminator

struct BuildingRecord {
    static constexpr int kSize = 23;
    std::int32_t x = 0;
    std::int32_t z = 0;
    float heading = 0.0f;
    std::string name;  // at most 8 characters
    std::uint8_t tileId = kNoTile;
    // 0..3 buildings of rising importance (3 also a beacon), 4 a control tower.
    std::uint8_t cls = 0;

    void Read(const std::uint8_t* p);
    // 0 when the name does not fit its field.
    int Write(std::uint8_t* p) const;
};

inline constexpr std::uint8_t kBeaconClass = 3;
inline constexpr std::uint8_t kTowerClass = 4;

struct ObstacleRecord {
    static constexpr int kSize = 16;
    std::uint8_t type = 0;   // 0..14 (0 and 14 lattice towers)
    std::uint8_t light = 0;  // light kind 0..7
    std::uint8_t spare[2] = {0, 0};
    std::int32_t x = 0;
    std::int32_t z = 0;
    std::uint8_t spare2 = 0;
    std::uint8_t tileId = kNoTile;
    std::int16_t height = 0;  // feet

    void Read(const std::uint8_t* p);
    void Write(std::uint8_t* p) const;
};

inline constexpr int kObstacleTypes = 15;

// The shape of an obstacle: the first row of its type whose limit is at least the height;
// null for an unknown type.
[[nodiscard]] const char* ObstacleShapeName(int type, int height);

// Record files from a member's bytes; bad records are skipped.
[[nodiscard]] std::vector<RunwayRecord> ReadRunwayRecords(const std::vector<std::uint8_t>& bytes);
[[nodiscard]] std::vector<BuildingRecord> ReadBuildingRecords(
    const std::vector<std::uint8_t>& bytes);
[[nodiscard]] std::vector<ObstacleRecord> ReadObstacleRecords(
    const std::vector<std::uint8_t>& bytes);

// The file of records (count first). Buildings with a name too long for the field are
// refused: the result is empty.
[[nodiscard]] std::vector<std::uint8_t> WriteRunwayRecords(const std::vector<RunwayRecord>& r);
[[nodiscard]] std::vector<std::uint8_t> WriteBuildingRecords(const std::vector<BuildingRecord>& r);
[[nodiscard]] std::vector<std::uint8_t> WriteObstacleRecords(const std::vector<ObstacleRecord>& r);

// The tile of a world position, or kNoTile outside the 16 x 16 tiles.
[[nodiscard]] std::uint8_t TileIdOf(std::int32_t x, std::int32_t z);
// The offset inside its tile of a world coordinate: its magnitude's low 20 bits, sign kept.
[[nodiscard]] std::int32_t OffsetInTile(std::int32_t v);

}  // namespace world
