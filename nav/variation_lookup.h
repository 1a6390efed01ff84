// The variation lookup at any world point: the magnetic grids of the world's tiles, 128 x 128
// signed 16-bit binary angles a tile, read from "%02dX%02d.mag" in `theMagVolume` and
// "%02dX%02d.nor" in `theNorVolume` (row first, then column, as the terrain tiles are named).
// The world reads the same tiles for the aircraft; this is the navigation side's own reader, for
// stations, localizers and map points.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace nav {

inline constexpr int kGridTileSide = 128;
inline constexpr int kGridTileBytes = kGridTileSide * kGridTileSide * 2;
// A tile is 2^20 grid units square; a cell 8192.
inline constexpr std::uint32_t kGridCellUnits = 8192;

using GridTile = std::array<std::int16_t, kGridTileSide * kGridTileSide>;

// The tile of a world point (column east, row north) and the offsets inside it. A point on a
// tile's edge lies in the tile to its east or north.
void WorldToGridTile(std::int32_t x, std::int32_t z, std::uint16_t* column, std::uint16_t* row,
                     std::uint32_t* offsetX, std::uint32_t* offsetZ);

// "RRXCC.mag" and "RRXCC.nor".
[[nodiscard]] std::string MagTileName(int column, int row);
[[nodiscard]] std::string NorTileName(int column, int row);

// A tile read whole; null when its member does not open or is shorter than 32,768 bytes.
[[nodiscard]] std::unique_ptr<GridTile> LoadMagTile(int column, int row);
[[nodiscard]] std::unique_ptr<GridTile> LoadNorTile(int column, int row);

// The value of the cell holding the offsets: row offsetZ / 8192, column offsetX / 8192.
[[nodiscard]] std::int16_t MagTileValue(std::uint32_t offsetX, std::uint32_t offsetZ,
                                        const GridTile& grid);
[[nodiscard]] std::int16_t NorTileValue(std::uint32_t offsetX, std::uint32_t offsetZ,
                                        const GridTile& grid);

// The lookup keeps the last tile of each kind (two 32 KB grids), so repeated lookups in one tile
// read nothing; with the cache off every lookup reads its two tiles afresh.
void SetGridTileCache(bool on);
// Forgets the kept tiles (after the tiles on disc changed).
void ForgetGridTiles();

}  // namespace nav
