// The height field of one terrain tile. A tile file (".TED") is a volume archive whose members
// are addressed by number: 100 the grid header, 200 the block list, and per block its header
// (the block id) and its square data (the id | 0x40000). A block is a pyramid of levels of
// 8-byte cells, grouped four to a 32-byte square; each cell holds a link, four corner height
// indices into its block's 256-entry height table and a material index. Level L cells are
// 2^(shift + L) grid units on a side. A link either ends the descent (leaf), names the square of
// the four sub-cells at the next finer level, continues in another block that covers exactly
// this cell, or says there is no terrain here.
//
// Heights are integers in the file's unit; the tile loader converts every table to terrain units
// (ConvertHeightsToTerrain). Square data is used in place from the mapped volume, so opening a
// tile reads only the header, the block list and the root block's header.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/volume_stream.h"

namespace world {

class TerrainMaterialList;
struct TerrainMaterial;

inline constexpr std::uint32_t kTerrainGridVersion = 100;
inline constexpr std::uint32_t kTerrainHeaderEntry = 100;
inline constexpr std::uint32_t kTerrainBlockListEntry = 200;
inline constexpr std::uint32_t kTerrainRootBlock = 300;
inline constexpr std::uint32_t kTerrainDataEntryFlag = 0x40000;
inline constexpr std::int32_t kTerrainNoData = 0x7FFFFFFF;
inline constexpr std::int32_t kTerrainNoHeights = static_cast<std::int32_t>(0x80000000u);
inline constexpr std::int32_t kPinnedStamp = -1;

// Cell links: the kind in the top two bits, the value in the low 14.
inline constexpr std::uint16_t kLinkKindMask = 0xC000;
inline constexpr std::uint16_t kLinkValueMask = 0x3FFF;
inline constexpr std::uint16_t kLinkLeaf = 0x0000;
inline constexpr std::uint16_t kLinkSubdivided = 0x4000;
inline constexpr std::uint16_t kLinkBlock = 0x8000;
inline constexpr std::uint16_t kLinkEmpty = 0xC000;
inline constexpr std::uint8_t kNoMaterial = 255;
inline constexpr std::uint8_t kNoHeightIndex = 255;

inline constexpr std::uint32_t kTerrainSquareBytes = 32;
inline constexpr std::uint32_t kTerrainCellBytes = 8;
inline constexpr std::uint32_t kTerrainLevelHeaderBytes = 24;
// The deepest pyramid a block may hold; a level number outside -1..31 cannot be shifted.
inline constexpr std::int32_t kMaxTerrainLevels = 24;

// The file unit of heights is 1.2890625 per foot; two truncating multiplications by this
// 32-bit constant turn it into terrain units (1.2890625 ft).
inline constexpr float kTerrainHeightFactor = 0.77575755f;
[[nodiscard]] std::int32_t ConvertHeightToTerrain(std::int32_t fileHeight);

// One 8-byte cell, read in place.
struct TerrainCellView {
    const std::uint8_t* p = nullptr;
    [[nodiscard]] std::uint16_t Link() const {
        return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
    }
    [[nodiscard]] std::uint8_t Height(int corner) const { return p[2 + corner]; }
    [[nodiscard]] std::uint8_t Material() const { return p[6]; }
    [[nodiscard]] std::uint8_t MaxIndex() const { return p[7]; }
    [[nodiscard]] bool IsNull() const { return p == nullptr; }
    friend bool operator==(TerrainCellView a, TerrainCellView b) { return a.p == b.p; }
};

// Where a descent inside one block stands after the levels a jump skips: its cell, and the
// cell it came from when it passed any, as 8-byte cell numbers counted from the block's first
// square, with the cell's level; and a copy of the cell, so that a descent ending there (or
// leaving the block there) reads one line.
struct TerrainJump {
    std::uint64_t bits = 0;
    std::uint8_t contents[kTerrainCellBytes] = {};
    static constexpr std::uint64_t kIndexMask = (std::uint64_t{1} << 28) - 1;
    static constexpr std::uint64_t kHasParent = std::uint64_t{1} << 63;
    // Sets the place: the cell, the cell it came from (when it passed one) and its level.
    void Place(std::uint64_t cell, std::uint64_t parent, bool hasParent, std::int32_t level) {
        bits = cell | (parent << 28) | (static_cast<std::uint64_t>(level) << 56) |
               (hasParent ? kHasParent : 0);
    }
    [[nodiscard]] std::uint64_t Cell() const { return bits & kIndexMask; }
    [[nodiscard]] std::uint64_t Parent() const { return (bits >> 28) & kIndexMask; }
    [[nodiscard]] bool HasParent() const { return (bits & kHasParent) != 0; }
    [[nodiscard]] std::int32_t Level() const {
        return static_cast<std::int32_t>((bits >> 56) & 31);
    }
};

struct TerrainLevel {
    std::uint32_t squareCount = 0;
    std::uint32_t widthExp = 0;   // 2^w squares across at the dense levels
    std::uint32_t heightExp = 0;  // 2^h squares down
    const std::uint8_t* squares = nullptr;
};

// A loaded block. What a descent reads on entering a block (its tables, its jump table, its
// start level) sits in the block's first cache line, so that crossing into a block waits on one
// line besides the cells and heights it reads.
struct alignas(64) TerrainCellPyramid {
    const std::int32_t* heights = nullptr;  // ownHeights, or the table of the block it came from
    TerrainMaterialList* materials = nullptr;
    // A shortcut past the coarse levels: where a descent from the start level stands on
    // reaching level jumpLevel, by the point's cell position at that level (row by row,
    // 2^jumpWidthExp cells across; jumpShift is the level's cell shift in grid units). Null
    // when no level is worth skipping. A jump may only be taken while the materials of the
    // cells it passes (jumpMaterialLow..High, 255 when none) are all in the block's list, and
    // when the descent may go down to jumpLevel.
    const TerrainJump* jumpCells = nullptr;
    const std::uint8_t* firstSquare = nullptr;  // the first square of the first level
    std::uint32_t startLevelIndex = 0;
    std::int32_t firstLevel = 0;
    std::uint32_t sharedHeights = 0;
    std::uint32_t inheritMaterial = 0;
    std::uint32_t record = 0;  // the index of its record in the block list
    std::int8_t jumpLevel = 0;
    std::uint8_t jumpShift = 0;
    std::uint8_t jumpWidthExp = 0;
    std::uint8_t jumpHeightExp = 0;
    std::uint8_t jumpMaterialLow = kNoMaterial;
    std::uint8_t jumpMaterialHigh = kNoMaterial;
    std::uint32_t id = 0;
    std::uint32_t levelCount = 0;
    std::int32_t topLevel = 0;
    std::uint32_t reserved = 0;
    std::int32_t lowest = kTerrainNoData;
    std::int32_t highest = kTerrainNoHeights;
    // Level number L is entry L - firstLevel; the first levelCount entries are in use.
    std::array<TerrainLevel, kMaxTerrainLevels> levels{};
    const std::uint8_t* mappedData = nullptr;  // set when the squares live in the mapped volume
    std::vector<std::uint8_t> ownedData;       // a loose override, read into memory
    std::vector<TerrainJump> jumps;            // the storage of jumpCells
    std::array<std::int32_t, 256> ownHeights{};

    [[nodiscard]] const TerrainLevel* Level(std::int32_t levelNumber) const;
    [[nodiscard]] std::int32_t StartLevel() const {
        return firstLevel + static_cast<std::int32_t>(startLevelIndex);
    }
};

struct TerrainBlockRecord {
    std::string name;
    std::uint32_t id = 0;
    std::unique_ptr<TerrainCellPyramid> block;
    std::uint32_t widthExpPlusOne = 0;
    std::uint32_t heightExpPlusOne = 0;
    std::int32_t firstLevel = 0;
    std::int32_t topLevel = 0;
    std::int32_t lowest = kTerrainNoData;
    std::int32_t highest = kTerrainNoHeights;
    TerrainMaterialList* materials = nullptr;
    std::string materialFile;
    std::int32_t stamp = 0;
};

// Where a point's descent ended.
struct TerrainCellLookup {
    TerrainCellPyramid* block = nullptr;
    TerrainCellView cell;
    TerrainCellView parent;                          // the cell entered before it, or none
    const std::int32_t* parentHeights = nullptr;     // the parent's height table
    std::int32_t level = 0;
    std::int32_t cellX = 0;  // cell coordinates at that level inside the block
    std::int32_t cellY = 0;
    std::int32_t localX = 0;  // the point relative to the block's corner
    std::int32_t localY = 0;
};

// The result of a height query. One static record, overwritten by every query.
struct TerrainHeightResult {
    float height = 0.0f;
    float normal[3] = {0.0f, 0.0f, 1.0f};
    const TerrainMaterial* material = nullptr;
};

// One step of a traced descent.
struct TerrainPathStep {
    TerrainCellPyramid* block = nullptr;
    std::int32_t originX = 0;
    std::int32_t originY = 0;
    TerrainCellView cell;
    TerrainCellView parent;
    std::int32_t cellX = 0;
    std::int32_t cellY = 0;
    std::int32_t level = 0;
};

// The four corner heights of a cell, with missing corners filled from its parent.
struct TerrainCorners {
    std::int64_t h[4] = {0, 0, 0, 0};
};

class TerrainGrid {
public:
    TerrainGrid();
    virtual ~TerrainGrid();
    TerrainGrid(const TerrainGrid&) = delete;
    TerrainGrid& operator=(const TerrainGrid&) = delete;

    // Opens the tile file; 1 when its header, block list and root block read.
    int Open(std::string_view fileName);
    void Close();
    [[nodiscard]] bool IsLoaded() const { return loaded != 0; }

    void SetOrigin(std::int32_t x, std::int32_t y);
    [[nodiscard]] std::int32_t OriginX() const { return originX; }
    [[nodiscard]] std::int32_t OriginY() const { return originY; }

    int FindCell(std::int32_t x, std::int32_t y, TerrainCellLookup* out, std::int32_t minLevel);
    int CollectPath(std::int32_t x, std::int32_t y, std::vector<TerrainPathStep>* list);
    const TerrainHeightResult& GetHeightAt(std::int32_t x, std::int32_t y);
    // The corner heights of a found cell (no-data corners from its parent, then from the cell's
    // own largest index, then 0).
    [[nodiscard]] static TerrainCorners CellCorners(const TerrainCellLookup& at);
    // Height, normal and material inside a cell whose corners are known; (u, v) is the offset
    // inside the cell of size 2^shiftLevel.
    static void EvaluateCell(const TerrainCorners& c, std::int32_t shiftLevel, std::int32_t u,
                             std::int32_t v, TerrainHeightResult* out);

    // The loaded block of that id (loading it when needed), or null. Reached from `from`
    // through a link, a block without its own table or material list takes the caller's.
    TerrainCellPyramid* GetBlock(TerrainCellPyramid* from, std::uint32_t id);

    void SetRootMaterialList(TerrainMaterialList* list);
    void SetBlockMaterialList(std::uint32_t id, TerrainMaterialList* list);
    void SetRootHeights(const std::int32_t* table);
    void SetBlockName(std::uint32_t id, std::string_view name);
    void SetBlockMaterialFile(std::uint32_t id, std::string_view name);
    // When set, every block loaded later with its own table has it converted to terrain units.
    // The ranges of the records and any block already loaded (other than the root, which the
    // tile loader converts itself through SetRootHeights) are converted at once.
    void ConvertHeightsToTerrain(bool on);

    [[nodiscard]] std::uint32_t HeaderWordA() const { return headerA; }
    [[nodiscard]] std::uint32_t ScaleShift() const { return scaleShift; }
    [[nodiscard]] TerrainCellPyramid* Root() const { return root; }
    [[nodiscard]] const std::vector<TerrainBlockRecord>& Blocks() const { return blocks; }
    [[nodiscard]] std::vector<TerrainBlockRecord>& Blocks() { return blocks; }
    [[nodiscard]] const std::int32_t* Bounds() const { return bounds; }
    [[nodiscard]] std::int32_t LowestLevel() const { return levelRange[0]; }
    [[nodiscard]] std::int32_t HighestLevel() const { return levelRange[1]; }
    [[nodiscard]] std::int32_t LowestHeight() const { return heightRange[0]; }
    [[nodiscard]] std::int32_t HighestHeight() const { return heightRange[1]; }
    [[nodiscard]] std::uint32_t LoadedBlockCount() const;
    [[nodiscard]] core::VolumeRStream& Volume() { return volume; }

private:
    int ReadHeader();
    int ReadBlockList();
    std::unique_ptr<TerrainCellPyramid> LoadBlock(std::uint32_t id);
    void BuildJumps(TerrainCellPyramid& block) const;
    // GetBlock for a block already loaded, kept inline for the descent.
    TerrainCellPyramid* Reach(TerrainCellPyramid* from, std::uint32_t id);
    // Loads a record's block on its first use (kept out of line: lookups rarely need it).
    [[gnu::noinline]] TerrainCellPyramid* LoadRecordBlock(TerrainBlockRecord& rec);
    int MapBlockData(TerrainCellPyramid& block);
    TerrainBlockRecord* FindRecord(std::uint32_t id);
    void RecomputeRanges();
    // Descends to the cell; `path` gets every step when given.
    // `contents` gets where the found cell's bytes may be read (a copy when a jump ended there).
    int Descend(std::int32_t x, std::int32_t y, TerrainCellLookup* out, std::int32_t minLevel,
                std::vector<TerrainPathStep>* path, const std::uint8_t** contents);
    void FreeBlocks(std::size_t keep);

    std::uint32_t headerA = 500;
    std::uint32_t scaleShift = 0;
    TerrainCellPyramid* root = nullptr;
    std::vector<TerrainBlockRecord> blocks;
    // The first record of each id, by id (-1: none), for FindRecord.
    std::vector<std::int32_t> blockIndex;
    // The loaded block of each id (null: not loaded), beside blockIndex: a lookup that crosses
    // into a block finds it here without touching the record.
    std::vector<TerrainCellPyramid*> loadedById;
    std::int32_t accessCounter = 0;
    std::int32_t originX = 0;
    std::int32_t originY = 0;
    std::int32_t bounds[4] = {0, 0, 0, 0};
    std::int32_t levelRange[2] = {0, 0};
    std::int32_t heightRange[2] = {0, 0};
    std::uint32_t loaded = 0;
    bool convertHeights = false;
    core::VolumeRStream volume;
    std::string looseFolder;
};

}  // namespace world
