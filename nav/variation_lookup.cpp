#include "nav/variation_lookup.h"

#include <cstdio>

#include "core/endian.h"
#include "core/resource_volume.h"
#include "nav/lat_lon.h"
#include "nav/map_view.h"

namespace nav {

namespace {

std::string TileName(int column, int row, const char* extension) {
    char name[40];
    std::snprintf(name, sizeof name, "%02dX%02d.%s", row, column, extension);
    return name;
}

std::unique_ptr<GridTile> LoadTile(core::ResourceVolume& volume, const std::string& name) {
    if (!volume.OpenFile(name)) {
        volume.CloseFile();
        return nullptr;
    }
    std::array<std::uint8_t, kGridTileBytes> bytes;
    const int read = volume.ReadRecords(bytes.data(), kGridTileBytes, 1);
    volume.CloseFile();
    if (read != 1) return nullptr;
    auto tile = std::make_unique<GridTile>();
    for (std::size_t i = 0; i < tile->size(); ++i)
        (*tile)[i] = core::ReadI16(bytes.data() + 2 * i);
    return tile;
}

std::int16_t TileValue(std::uint32_t offsetX, std::uint32_t offsetZ, const GridTile& grid) {
    // The offsets come from WorldToGridTile (below 2^20); larger ones are held to the tile.
    const std::uint32_t column =
        std::min<std::uint32_t>(offsetX / kGridCellUnits, kGridTileSide - 1);
    const std::uint32_t row = std::min<std::uint32_t>(offsetZ / kGridCellUnits, kGridTileSide - 1);
    return grid[row * kGridTileSide + column];
}

// The last tile of one kind, kept between lookups.
struct KeptTile {
    bool valid = false;
    std::uint16_t column = 0;
    std::uint16_t row = 0;
    std::unique_ptr<GridTile> grid;  // null: the tile is missing
};
KeptTile theKeptMag;
KeptTile theKeptNor;
bool theTileCacheOn = true;

std::int16_t LookupPart(KeptTile& kept, std::uint16_t column, std::uint16_t row,
                        std::uint32_t offsetX, std::uint32_t offsetZ,
                        std::unique_ptr<GridTile> (*load)(int, int)) {
    if (!theTileCacheOn) {
        const std::unique_ptr<GridTile> grid = load(column, row);
        return grid ? TileValue(offsetX, offsetZ, *grid) : 0;
    }
    if (!kept.valid || kept.column != column || kept.row != row) {
        kept.grid = load(column, row);
        kept.column = column;
        kept.row = row;
        kept.valid = true;
    }
    return kept.grid ? TileValue(offsetX, offsetZ, *kept.grid) : 0;
}

}  // namespace

void WorldToGridTile(std::int32_t x, std::int32_t z, std::uint16_t* column, std::uint16_t* row,
                     std::uint32_t* offsetX, std::uint32_t* offsetZ) {
    WorldToGridCell(x, z, column, row, offsetX, offsetZ);
}

std::string MagTileName(int column, int row) {
    return TileName(column, row, "mag");
}

std::string NorTileName(int column, int row) {
    return TileName(column, row, "nor");
}

std::unique_ptr<GridTile> LoadMagTile(int column, int row) {
    return LoadTile(core::theMagDataVolume, MagTileName(column, row));
}

std::unique_ptr<GridTile> LoadNorTile(int column, int row) {
    return LoadTile(core::theNorDataVolume, NorTileName(column, row));
}

std::int16_t MagTileValue(std::uint32_t offsetX, std::uint32_t offsetZ, const GridTile& grid) {
    return TileValue(offsetX, offsetZ, grid);
}

std::int16_t NorTileValue(std::uint32_t offsetX, std::uint32_t offsetZ, const GridTile& grid) {
    return TileValue(offsetX, offsetZ, grid);
}

void SetGridTileCache(bool on) {
    theTileCacheOn = on;
    ForgetGridTiles();
}

void ForgetGridTiles() {
    theKeptMag = KeptTile{};
    theKeptNor = KeptTile{};
}

GridValues MapView::LookupGridValues(std::int32_t x, std::int32_t z) {
    std::uint16_t column = 0, row = 0;
    std::uint32_t offsetX = 0, offsetZ = 0;
    WorldToGridTile(x, z, &column, &row, &offsetX, &offsetZ);
    GridValues v;
    v.variation = LookupPart(theKeptMag, column, row, offsetX, offsetZ, LoadMagTile);
    v.north = LookupPart(theKeptNor, column, row, offsetX, offsetZ, LoadNorTile);
    return v;
}

}  // namespace nav
