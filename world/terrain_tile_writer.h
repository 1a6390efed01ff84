// Making tile files: a tile held in memory as blocks of levels of squares, written as the volume
// archive the grid reads (header 100, block list 200, each block's header and its square data
// stored plain so the reader can use them in place). The authoring operations build a one-block
// tile from a height bitmap, write a level's height or material indices as a grey-scale bitmap,
// and set materials; the data maker builds its tiles on the same model.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/volume_coding.h"

#include "world/terrain_grid.h"

namespace gfx {
class GFXBitmap;
}

namespace world {

struct TerrainLevelModel {
    std::uint32_t widthExp = 0;
    std::uint32_t heightExp = 0;
    std::vector<std::uint8_t> squares;  // 32 bytes a square

    [[nodiscard]] std::uint32_t SquareCount() const {
        return static_cast<std::uint32_t>(squares.size() / kTerrainSquareBytes);
    }
    // Appends a square of four leaf cells without data; its index.
    std::uint32_t AddSquare();
    // Cell `which` (0 even x even y, 1 odd x, 2 odd y, 3 both odd) of a square.
    [[nodiscard]] std::uint8_t* Cell(std::uint32_t square, int which) {
        return squares.data() + std::size_t{square} * kTerrainSquareBytes +
               static_cast<std::size_t>(which) * kTerrainCellBytes;
    }
    [[nodiscard]] const std::uint8_t* Cell(std::uint32_t square, int which) const {
        return squares.data() + std::size_t{square} * kTerrainSquareBytes +
               static_cast<std::size_t>(which) * kTerrainCellBytes;
    }
    // The cell at (x, y) of a dense level (square index (y >> 1) 2^w + (x >> 1)).
    [[nodiscard]] std::uint8_t* DenseCell(std::uint32_t x, std::uint32_t y) {
        return Cell(((y >> 1) << widthExp) + (x >> 1), static_cast<int>((y & 1) * 2 + (x & 1)));
    }
    [[nodiscard]] const std::uint8_t* DenseCell(std::uint32_t x, std::uint32_t y) const {
        return Cell(((y >> 1) << widthExp) + (x >> 1), static_cast<int>((y & 1) * 2 + (x & 1)));
    }
};

struct TerrainBlockModel {
    std::uint32_t id = kTerrainRootBlock;
    std::string name;
    std::string materialFile;  // the record's material-list file, empty for none
    std::int32_t firstLevel = 0;
    std::int32_t topLevel = 0;
    std::uint32_t startLevelIndex = 0;
    bool sharedHeights = false;
    std::array<std::int32_t, 256> heights{};  // file units; entry 255 is never used
    bool inheritMaterial = false;
    std::vector<TerrainLevelModel> levels;  // level number L is entry L - firstLevel

    [[nodiscard]] TerrainLevelModel& Level(std::int32_t l) {
        return levels[static_cast<std::size_t>(l - firstLevel)];
    }
    [[nodiscard]] const TerrainLevelModel& Level(std::int32_t l) const {
        return levels[static_cast<std::size_t>(l - firstLevel)];
    }
};

struct TerrainTileModel {
    std::uint32_t headerA = 500;
    std::uint32_t scaleShift = 9;
    std::int32_t originX = 0;
    std::int32_t originY = 0;
    std::vector<TerrainBlockModel> blocks;  // the root (block 300) first
};

// Fills a cell: link, corner indices h0..h3 (corners (0,0), (0,size), (size,size), (size,0)),
// material, and the largest index below 255.
void SetTerrainCell(std::uint8_t* cell, std::uint16_t link, std::uint8_t h0, std::uint8_t h1,
                    std::uint8_t h2, std::uint8_t h3, std::uint8_t material);

// A tile's members (by entry number) coded as its file stores them. Coding touches no file and
// nothing shared, so a maker may code many tiles at once and write them one by one.
struct CodedTerrainTile {
    std::vector<std::pair<std::uint32_t, core::VolumeMemberCode>> members;
};
int CodeTerrainTile(const TerrainTileModel& tile, CodedTerrainTile* out, std::string* error);
// Writes a coded tile; 1 when every member reached the file.
int WriteCodedTerrainTile(std::string_view path, const CodedTerrainTile& tile, std::string* error);
// Codes and writes the tile.
int WriteTerrainTile(std::string_view path, const TerrainTileModel& tile, std::string* error);

// A one-block tile from a square 8-bit height bitmap of 2^n x 2^n pixels (pixel values are
// height indices; 255 becomes 254; the table is the identity until the caller sets it). Level 0
// has a cell per pixel with corners from the pixel and its right, upper and upper-right
// neighbours, rows counted from the bitmap's bottom; each coarser level has a cell per square of
// the finer one. `levelCount` < 0 builds levels up to a single top square.
[[nodiscard]] TerrainTileModel BuildTileFromHeightBitmap(const gfx::GFXBitmap& bitmap,
                                                         std::int32_t levelCount);
// Writes the corner-0 height indices (or the material indices) of a dense level as a grey-scale
// 8-bit bitmap, bottom row first as the grid counts rows; 1 when written.
int WriteLevelBitmap(const TerrainBlockModel& block, std::int32_t level, bool materials,
                     std::string_view fileName);
// Sets the material of the cells holding a block-local point on every dense level.
void SetMaterialAtPoint(TerrainBlockModel& block, std::uint32_t scaleShift, std::int32_t x,
                        std::int32_t y, std::uint8_t material);
// Sets the material of every cell of a level.
void FillLevelMaterial(TerrainBlockModel& block, std::int32_t level, std::uint8_t material);

}  // namespace world
