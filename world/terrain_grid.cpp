#include "world/terrain_grid.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <cmath>

#include "core/endian.h"
#include "win/file_api.h"
#include "world/terrain_materials.h"

namespace world {

namespace {

constexpr std::uint32_t kHeaderBytes = 52;
constexpr std::uint32_t kBlockRecordBytes = 48;
constexpr std::uint32_t kBlockHeaderFixed = 44;
// A block list beyond this many records or bytes is not a tile.
constexpr std::uint32_t kMaxBlockRecords = 1u << 16;
constexpr std::int64_t kMaxBlockListBytes = 16 << 20;
// The largest scale shift that leaves room for the deepest pyramid in 31 bits.
constexpr std::uint32_t kMaxScaleShift = 24;
// The most cells a block's jump table may hold (16 bytes each).
constexpr std::size_t kMaxJumps = 1024;

TerrainHeightResult theHeightResult;

int ReadEntry(core::VolumeRStream& volume, std::uint32_t id, std::int64_t maxBytes,
              std::vector<std::uint8_t>* out) {
    const std::int64_t size = volume.GetEntrySizeById(id);
    if (size < 0 || size > maxBytes) return 0;
    if (!volume.OpenEntryById(id)) return 0;
    out->resize(static_cast<std::size_t>(size));
    const int ok = size == 0 || core::ReadAll(volume, static_cast<std::uint32_t>(size), out->data());
    volume.Close();
    return ok;
}

// Whether a folder holds a loose entry: a file named by an entry number in eight hexadecimal
// digits, with any extension.
bool HasLooseEntries(const std::string& folder) {
    win::FindData found;
    win::FindHandle search = win::FindFirstFile(folder + "\\*", &found);
    if (!search.IsValid()) return false;
    bool any = false;
    do {
        const std::string& n = found.fileName;
        if ((found.fileAttributes & win::FILE_ATTRIBUTE_DIRECTORY) != 0 || n.size() < 8 ||
            (n.size() > 8 && n[8] != '.')) {
            continue;
        }
        any = std::all_of(n.begin(), n.begin() + 8,
                          [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; });
    } while (!any && win::FindNextFile(search, &found));
    win::FindClose(search);
    return any;
}

std::int64_t Average(std::int64_t a, std::int64_t b) {
    if (a == kTerrainNoData || b == kTerrainNoData) return kTerrainNoData;
    return (a + b) / 2;
}

std::int64_t TableHeight(const std::int32_t* table, std::uint8_t index) {
    return index == kNoHeightIndex ? kTerrainNoData : table[index];
}

}  // namespace

std::int32_t ConvertHeightToTerrain(std::int32_t fileHeight) {
    // Each product is truncated toward zero, as the tile's heights have always been converted.
    const float once = static_cast<float>(fileHeight) * kTerrainHeightFactor;
    const auto first = static_cast<std::int32_t>(once);
    return static_cast<std::int32_t>(static_cast<float>(first) * kTerrainHeightFactor);
}

const TerrainLevel* TerrainCellPyramid::Level(std::int32_t levelNumber) const {
    const std::int64_t i = static_cast<std::int64_t>(levelNumber) - firstLevel;
    if (i < 0 || i >= static_cast<std::int64_t>(levelCount)) return nullptr;
    return &levels[static_cast<std::size_t>(i)];
}

TerrainGrid::TerrainGrid() {
    blocks.reserve(5);
}

TerrainGrid::~TerrainGrid() {
    Close();
}

int TerrainGrid::Open(std::string_view fileName) {
    Close();
    blocks.clear();
    blockIndex.clear();
    loadedById.clear();
    const std::size_t slash = fileName.find_last_of("\\/");
    looseFolder = slash == std::string_view::npos ? std::string(".")
                                                  : std::string(fileName.substr(0, slash));
    // Each entry is looked for as a loose file beside the tile first; a lookup that misses reads
    // the folder again, so a folder without loose entries when the tile opens is not searched
    // for each entry.
    volume.SetLooseDirs(HasLooseEntries(looseFolder) ? &looseFolder : nullptr);
    if (!volume.OpenVolume(fileName)) return 0;
    if (!ReadHeader() || !ReadBlockList()) {
        Close();
        return 0;
    }
    root = GetBlock(nullptr, kTerrainRootBlock);
    if (root == nullptr || root->heights == nullptr) {
        root = nullptr;
        Close();
        return 0;
    }
    FindRecord(kTerrainRootBlock)->stamp = kPinnedStamp;
    SetOrigin(originX, originY);
    loaded = 1;
    return 1;
}

void TerrainGrid::Close() {
    if (TerrainBlockRecord* r = FindRecord(kTerrainRootBlock)) r->stamp = 0;
    FreeBlocks(0);
    root = nullptr;
    volume.Close();
    volume.FreeIndex();
    loaded = 0;
}

void TerrainGrid::FreeBlocks(std::size_t keep) {
    // Pinned blocks first, then the most recently used; everything after `keep` goes.
    std::vector<TerrainBlockRecord*> order;
    for (TerrainBlockRecord& r : blocks)
        if (r.block) order.push_back(&r);
    auto key = [](const TerrainBlockRecord* r) {
        return r->stamp == kPinnedStamp ? 0x2000000 : r->stamp;
    };
    std::stable_sort(order.begin(), order.end(),
                     [&](const TerrainBlockRecord* a, const TerrainBlockRecord* b) {
                         return key(a) > key(b);
                     });
    for (std::size_t i = keep; i < order.size(); ++i) {
        if (order[i]->block.get() == root) root = nullptr;
        if (order[i]->id < loadedById.size()) loadedById[order[i]->id] = nullptr;
        order[i]->block.reset();
    }
}

int TerrainGrid::ReadHeader() {
    std::vector<std::uint8_t> h;
    if (!ReadEntry(volume, kTerrainHeaderEntry, 4096, &h) || h.size() < kHeaderBytes) return 0;
    const std::uint8_t* p = h.data();
    if (core::ReadU32(p) != kTerrainGridVersion) return 0;
    headerA = core::ReadU32(p + 4);
    scaleShift = core::ReadU32(p + 8);
    if (scaleShift > kMaxScaleShift) return 0;
    originX = core::ReadI32(p + 12);
    originY = core::ReadI32(p + 16);
    for (int i = 0; i < 4; ++i)
        bounds[i] = core::ReadI32(p + 20 + 4 * i);
    levelRange[0] = core::ReadI32(p + 36);
    levelRange[1] = core::ReadI32(p + 40);
    heightRange[0] = core::ReadI32(p + 44);
    heightRange[1] = core::ReadI32(p + 48);
    return 1;
}

int TerrainGrid::ReadBlockList() {
    std::vector<std::uint8_t> data;
    if (!ReadEntry(volume, kTerrainBlockListEntry, kMaxBlockListBytes, &data)) return 0;
    if (data.size() < 8) return 0;
    const std::uint32_t count = core::ReadU32(data.data() + 4);
    if (count > kMaxBlockRecords || 8 + std::uint64_t{count} * kBlockRecordBytes > data.size())
        return 0;
    std::size_t at = 8 + std::size_t{count} * kBlockRecordBytes;
    auto readString = [&](std::string* out) {
        if (at + 4 > data.size()) return false;
        const std::uint32_t length = core::ReadU32(data.data() + at);
        at += 4;
        if (length > data.size() - at) return false;
        const char* s = reinterpret_cast<const char*>(data.data() + at);
        std::size_t n = 0;
        while (n < length && s[n] != '\0')
            ++n;
        out->assign(s, n);
        at += length;
        return true;
    };
    blocks.reserve(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint8_t* r = data.data() + 8 + std::size_t{i} * kBlockRecordBytes;
        TerrainBlockRecord rec;
        rec.id = core::ReadU32(r + 4);
        rec.widthExpPlusOne = core::ReadU32(r + 12);
        rec.heightExpPlusOne = core::ReadU32(r + 16);
        rec.firstLevel = core::ReadI32(r + 20);
        rec.topLevel = core::ReadI32(r + 24);
        rec.lowest = core::ReadI32(r + 28);
        rec.highest = core::ReadI32(r + 32);
        rec.stamp = core::ReadI32(r + 44);
        if (rec.stamp == kPinnedStamp) rec.stamp = 0;
        blocks.push_back(std::move(rec));
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint8_t* r = data.data() + 8 + std::size_t{i} * kBlockRecordBytes;
        if (core::ReadU32(r) != 0 && !readString(&blocks[i].name)) return 0;
        if (core::ReadU32(r + 40) != 0 && !readString(&blocks[i].materialFile)) return 0;
    }
    // Block ids are small numbers, a table by id; a record whose id lies among the data
    // entries names no block that could load, and is left out.
    std::uint32_t largest = 0;
    for (const TerrainBlockRecord& b : blocks)
        if (b.id < kTerrainDataEntryFlag) largest = std::max(largest, b.id);
    blockIndex.assign(std::size_t{largest} + 1, -1);
    loadedById.assign(std::size_t{largest} + 1, nullptr);
    for (std::uint32_t i = count; i-- > 0;)
        if (blocks[i].id < kTerrainDataEntryFlag) blockIndex[blocks[i].id] = static_cast<std::int32_t>(i);
    return 1;
}

TerrainBlockRecord* TerrainGrid::FindRecord(std::uint32_t id) {
    if (id >= blockIndex.size() || blockIndex[id] < 0) return nullptr;
    return &blocks[static_cast<std::size_t>(blockIndex[id])];
}

std::unique_ptr<TerrainCellPyramid> TerrainGrid::LoadBlock(std::uint32_t id) {
    if (id >= kTerrainDataEntryFlag) return nullptr;
    std::vector<std::uint8_t> h;
    if (!ReadEntry(volume, id, kBlockHeaderFixed + 1024 + 64, &h) || h.size() < 36)
        return nullptr;
    auto b = std::make_unique<TerrainCellPyramid>();
    const std::uint8_t* p = h.data();
    b->id = core::ReadU32(p + 4);
    b->startLevelIndex = core::ReadU32(p + 8);
    b->reserved = core::ReadU32(p + 12);
    b->firstLevel = core::ReadI32(p + 16);
    b->topLevel = core::ReadI32(p + 20);
    b->lowest = core::ReadI32(p + 24);
    b->highest = core::ReadI32(p + 28);
    b->sharedHeights = core::ReadU32(p + 32);
    std::size_t at = 36;
    if (b->sharedHeights == 0) {
        if (h.size() < at + 1024 + 8) return nullptr;
        for (int i = 0; i < 256; ++i)
            b->ownHeights[static_cast<std::size_t>(i)] = core::ReadI32(p + at + 4 * i);
        b->ownHeights[255] = kTerrainNoData;
        if (convertHeights) {
            for (int i = 0; i < 255; ++i) {
                std::int32_t& v = b->ownHeights[static_cast<std::size_t>(i)];
                if (v != kTerrainNoData) v = ConvertHeightToTerrain(v);
            }
        }
        b->heights = b->ownHeights.data();
        at += 1024;
    }
    if (h.size() < at + 8) return nullptr;
    b->inheritMaterial = core::ReadU32(p + at);
    b->levelCount = core::ReadU32(p + at + 4);
    // The pyramid must be whole and shiftable: levels first..top, lookups starting inside.
    if (b->id != id || b->firstLevel < 0 || b->topLevel < b->firstLevel ||
        b->levelCount != static_cast<std::uint32_t>(b->topLevel - b->firstLevel + 1) ||
        b->levelCount > static_cast<std::uint32_t>(kMaxTerrainLevels) ||
        scaleShift + static_cast<std::uint32_t>(b->topLevel) > 30 ||
        b->startLevelIndex >= b->levelCount) {
        return nullptr;
    }
    if (!MapBlockData(*b)) return nullptr;
    BuildJumps(*b);
    return b;
}

void TerrainGrid::BuildJumps(TerrainCellPyramid& b) const {
    const std::uint8_t* base = b.levels[0].squares;
    const TerrainLevel& top = b.levels[b.levelCount - 1];
    const auto bytes = static_cast<std::uint64_t>(top.squares - base) +
                       std::uint64_t{top.squareCount} * kTerrainSquareBytes;
    if (bytes / kTerrainCellBytes > TerrainJump::kIndexMask) return;
    struct Spot {
        const std::uint8_t* cell;
        const std::uint8_t* parent;
        std::int32_t level;
    };
    const TerrainLevel& start = b.levels[b.startLevelIndex];
    std::uint32_t wExp = start.widthExp + 1;
    std::uint32_t hExp = start.heightExp + 1;
    // A start level too wide for a table one level down has nothing to skip.
    if (b.startLevelIndex == 0 || (std::size_t{4} << (wExp + hExp)) > kMaxJumps) return;
    std::int32_t level = b.StartLevel();
    std::vector<Spot> spots(std::size_t{1} << (wExp + hExp));
    for (std::uint32_t cy = 0; cy < (1u << hExp); ++cy) {
        for (std::uint32_t cx = 0; cx < (1u << wExp); ++cx) {
            const std::size_t square = (std::size_t{cy >> 1} << start.widthExp) + (cx >> 1);
            spots[(std::size_t{cy} << wExp) + cx] = {
                start.squares + square * kTerrainSquareBytes +
                    ((cy & 1) * 2 + (cx & 1)) * kTerrainCellBytes,
                nullptr, level};
        }
    }
    int low = kNoMaterial, high = -1;
    // A level is skipped while most of the descents standing on it go on down (a table of cells
    // that mostly stop would cost more to read than the levels it saves).
    auto goesOn = [](TerrainCellView c, const TerrainLevel& finer) {
        return (c.Link() & kLinkKindMask) == kLinkSubdivided &&
               (c.Link() & kLinkValueMask) < finer.squareCount;
    };
    for (std::uint32_t li = b.startLevelIndex; li > 0; --li) {
        const TerrainLevel& finer = b.levels[li - 1];
        std::size_t standing = 0, going = 0;
        for (const Spot& sp : spots) {
            if (sp.level != level) continue;
            ++standing;
            going += goesOn(TerrainCellView{sp.cell}, finer) ? 1 : 0;
        }
        if (going * 4 < standing * 3 || spots.size() * 4 > kMaxJumps) break;
        std::vector<Spot> next(spots.size() * 4);
        for (std::uint32_t y = 0; y < (1u << hExp); ++y) {
            for (std::uint32_t x = 0; x < (1u << wExp); ++x) {
                const Spot& sp = spots[(std::size_t{y} << wExp) + x];
                const TerrainCellView c{sp.cell};
                const bool on = sp.level == level && goesOn(c, finer);
                if (on && c.Material() != kNoMaterial) {
                    low = std::min<int>(low, c.Material());
                    high = std::max<int>(high, c.Material());
                }
                for (std::uint32_t q = 0; q < 4; ++q) {
                    Spot child = sp;
                    if (on) {
                        child = {finer.squares +
                                     static_cast<std::size_t>(c.Link() & kLinkValueMask) *
                                         kTerrainSquareBytes +
                                     q * kTerrainCellBytes,
                                 sp.cell, level - 1};
                    }
                    next[(std::size_t{2 * y + (q >> 1)} << (wExp + 1)) + 2 * x + (q & 1)] = child;
                }
            }
        }
        spots = std::move(next);
        ++wExp;
        ++hExp;
        --level;
    }
    if (level == b.StartLevel()) return;
    b.jumps.resize(spots.size());
    auto number = [&](const std::uint8_t* c) {
        return static_cast<std::uint64_t>(c - base) / kTerrainCellBytes;
    };
    for (std::size_t i = 0; i < spots.size(); ++i) {
        const Spot& sp = spots[i];
        TerrainJump& j = b.jumps[i];
        j.Place(number(sp.cell), sp.parent != nullptr ? number(sp.parent) : 0, sp.parent != nullptr,
                sp.level);
        std::copy(sp.cell, sp.cell + kTerrainCellBytes, j.contents);
    }
    b.jumpCells = b.jumps.data();
    b.firstSquare = base;
    b.jumpLevel = static_cast<std::int8_t>(level);
    b.jumpShift = static_cast<std::uint8_t>(scaleShift + static_cast<std::uint32_t>(level));
    b.jumpWidthExp = static_cast<std::uint8_t>(wExp);
    b.jumpHeightExp = static_cast<std::uint8_t>(hExp);
    b.jumpMaterialLow = static_cast<std::uint8_t>(high < 0 ? kNoMaterial : low);
    b.jumpMaterialHigh = static_cast<std::uint8_t>(high < 0 ? kNoMaterial : high);
}

int TerrainGrid::MapBlockData(TerrainCellPyramid& b) {
    const std::uint32_t id = b.id | kTerrainDataEntryFlag;
    const std::uint8_t* data = nullptr;
    std::uint64_t size = 0;
    const core::VolumeEntry* e = volume.HasLooseMember(id) ? nullptr : volume.FindEntry(id);
    if (e != nullptr && e->compression == core::kVolumeStored) {
        // A stored member's squares are used in place in the mapping.
        data = volume.GetEntryData(id);
        if (data == nullptr || volume.GetStoredSize(*e) < e->size) return 0;
        size = e->size;
        b.mappedData = data;
    } else {
        // A loose file, or a coded member, is read (decoded) into the block's own memory.
        if (!ReadEntry(volume, id, std::int64_t{1} << 30, &b.ownedData)) return 0;
        data = b.ownedData.data();
        size = b.ownedData.size();
    }
    const std::uint64_t headers = 4 + std::uint64_t{b.levelCount} * kTerrainLevelHeaderBytes;
    if (size < headers) return 0;
    std::uint64_t squaresAt = headers;
    for (std::uint32_t i = 0; i < b.levelCount; ++i) {
        const std::uint8_t* lh = data + 4 + std::size_t{i} * kTerrainLevelHeaderBytes;
        TerrainLevel& level = b.levels[i];
        level.squareCount = core::ReadU32(lh + 4);
        level.widthExp = core::ReadU32(lh + 8);
        level.heightExp = core::ReadU32(lh + 12);
        if (level.widthExp > 15 || level.heightExp > 15) return 0;
        const std::uint64_t bytes = std::uint64_t{level.squareCount} * kTerrainSquareBytes;
        if (bytes > size - squaresAt) return 0;
        level.squares = data + squaresAt;
        squaresAt += bytes;
    }
    // Lookups index the starting level's squares directly by cell position.
    const TerrainLevel& start = b.levels[b.startLevelIndex];
    if (std::uint64_t{start.squareCount} < (std::uint64_t{1} << (start.widthExp + start.heightExp)))
        return 0;
    return 1;
}

TerrainCellPyramid* TerrainGrid::LoadRecordBlock(TerrainBlockRecord& rec) {
    std::unique_ptr<TerrainCellPyramid> b = LoadBlock(rec.id);
    if (!b) return nullptr;
    b->materials = rec.materials;
    if (b->materials != nullptr) b->inheritMaterial = 0;
    b->record = static_cast<std::uint32_t>(&rec - blocks.data());
    rec.block = std::move(b);
    loadedById[rec.id] = rec.block.get();
    return rec.block.get();
}

TerrainCellPyramid* TerrainGrid::GetBlock(TerrainCellPyramid* from, std::uint32_t id) {
    if (id >= blockIndex.size() || blockIndex[id] < 0) return nullptr;
    if (loadedById[id] == nullptr &&
        LoadRecordBlock(blocks[static_cast<std::size_t>(blockIndex[id])]) == nullptr) {
        return nullptr;
    }
    return Reach(from, id);
}

[[gnu::always_inline]] inline TerrainCellPyramid* TerrainGrid::Reach(TerrainCellPyramid* from,
                                                                     std::uint32_t id) {
    TerrainCellPyramid* b = id < loadedById.size() ? loadedById[id] : nullptr;
    if (b == nullptr) [[unlikely]]
        return GetBlock(from, id);
    if (from != nullptr) {
        if (b->sharedHeights != 0 && b->heights == nullptr) b->heights = from->heights;
        if (b->materials == nullptr && b->inheritMaterial != 0) b->materials = from->materials;
    }
    // Only the root's record is pinned (while the tile is open); the stamp is only written, so
    // a lookup does not wait for the record.
    if (b != root) blocks[b->record].stamp = ++accessCounter;
    return b;
}

void TerrainGrid::SetOrigin(std::int32_t x, std::int32_t y) {
    originX = x;
    originY = y;
    if (root == nullptr || root->levelCount == 0) {
        bounds[0] = bounds[2] = x;
        bounds[1] = bounds[3] = y;
        return;
    }
    const TerrainLevel& top = root->levels[root->levelCount - 1];
    const std::int64_t t = std::int64_t{scaleShift} + root->topLevel;
    auto clamp = [](std::int64_t v) {
        return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
    };
    const std::int64_t minX = std::int64_t{x} * (std::int64_t{1} << t);
    const std::int64_t minY = std::int64_t{y} * (std::int64_t{1} << t);
    bounds[0] = clamp(minX);
    bounds[1] = clamp(minY);
    bounds[2] = clamp(minX + (std::int64_t{1} << (top.widthExp + 1 + t)));
    bounds[3] = clamp(minY + (std::int64_t{1} << (top.heightExp + 1 + t)));
}

namespace {

// The material indices a block's list holds, as the byte test a descent makes on every cell it
// passes: an index past the list is a damaged cell (255: no material). Without a list every
// index passes.
struct MaterialCheck {
    std::int64_t first = 0;            // the list's first index
    std::uint64_t count = UINT64_MAX;  // how many follow it
    explicit MaterialCheck(const TerrainMaterialList* list) {
        if (list == nullptr) return;
        first = -static_cast<std::int64_t>(list->baseIndex);
        count = static_cast<std::uint64_t>(list->Count());
    }
    [[nodiscard]] bool Damaged(std::uint8_t m) const {
        return m != kNoMaterial && static_cast<std::uint64_t>(m - first) >= count;
    }
};

// The cell at the block's start level holding a block-local point (not negative), or none.
inline TerrainCellView StartCell(const TerrainCellPyramid& b, std::uint32_t cellShift,
                                 std::int64_t lx, std::int64_t ly) {
    const TerrainLevel& lv = b.levels[b.startLevelIndex];
    const std::int64_t cx = lx >> cellShift;
    const std::int64_t cy = ly >> cellShift;
    // The start level holds every square of its extent (checked when the block loads).
    if (cx >= (std::int64_t{2} << lv.widthExp) || cy >= (std::int64_t{2} << lv.heightExp))
        return {};
    const std::uint64_t square =
        (static_cast<std::uint64_t>(cy >> 1) << lv.widthExp) + static_cast<std::uint64_t>(cx >> 1);
    return {lv.squares + square * kTerrainSquareBytes +
            static_cast<std::size_t>(((cy & 1) * 2 + (cx & 1)) * kTerrainCellBytes)};
}

// The sub-cell of a subdivided cell's square holding the point; cellShift is the sub-cell's.
inline TerrainCellView SubCell(const TerrainLevel& finer, std::uint16_t square,
                               std::uint32_t cellShift, std::int64_t lx, std::int64_t ly) {
    const std::size_t which =
        static_cast<std::size_t>(((ly >> cellShift) & 1) * 2 + ((lx >> cellShift) & 1));
    return {finer.squares + std::size_t{square} * kTerrainSquareBytes + which * kTerrainCellBytes};
}

// Where a descent stands inside a block.
struct DescentSpot {
    TerrainCellView cell;
    const std::uint8_t* contents = nullptr;  // the cell's bytes, or a copy of them
    TerrainCellView parent;
    const std::int32_t* parentHeights = nullptr;
    std::int32_t level = 0;
};

// Enters a block at its start level, or straight at the level its jump table reaches when the
// descent may go that far (no trace, minLevel above it) and no skipped cell is damaged. The
// parent is kept when the entry passes no cell of the block. False: the point is outside.
inline bool EnterBlock(const TerrainCellPyramid& b, const MaterialCheck& materials, std::uint32_t s,
                       std::int64_t lx, std::int64_t ly, std::int32_t minLevel, bool traced,
                       DescentSpot* at) {
    if (b.jumpCells != nullptr && !traced && b.jumpLevel >= minLevel &&
        !materials.Damaged(b.jumpMaterialLow) && !materials.Damaged(b.jumpMaterialHigh)) {
        const auto jx = static_cast<std::uint64_t>(lx >> b.jumpShift);
        const auto jy = static_cast<std::uint64_t>(ly >> b.jumpShift);
        if (((jx >> b.jumpWidthExp) | (jy >> b.jumpHeightExp)) != 0) return false;
        const TerrainJump& j = b.jumpCells[(jy << b.jumpWidthExp) + jx];
        at->cell = {b.firstSquare + j.Cell() * kTerrainCellBytes};
        at->contents = j.contents;
        at->level = j.Level();
        if (j.HasParent()) {
            at->parent = {b.firstSquare + j.Parent() * kTerrainCellBytes};
            at->parentHeights = b.heights;
        }
        return true;
    }
    at->level = b.StartLevel();
    at->cell = StartCell(b, s + static_cast<std::uint32_t>(at->level), lx, ly);
    at->contents = at->cell.p;
    return !at->cell.IsNull();
}

}  // namespace

// Inlined into its three callers, so that the plain lookups carry no path code. Each step goes
// at least one level down (a linked block must start below the linking cell), so a descent
// ends within the deepest pyramid's levels.
[[gnu::always_inline]] inline int TerrainGrid::Descend(std::int32_t x, std::int32_t y,
                                                       TerrainCellLookup* out,
                                                       std::int32_t minLevel,
                                                       std::vector<TerrainPathStep>* path,
                                                       const std::uint8_t** contents) {
    if (loaded == 0 || root == nullptr || root->heights == nullptr) return 0;
    if (x < bounds[0] || x >= bounds[2] || y < bounds[1] || y >= bounds[3]) return 0;
    const std::uint32_t s = scaleShift;
    TerrainCellPyramid* block = root;
    const std::int64_t t = std::int64_t{s} + root->topLevel;
    std::int64_t lx = std::int64_t{x} - std::int64_t{originX} * (std::int64_t{1} << t);
    std::int64_t ly = std::int64_t{y} - std::int64_t{originY} * (std::int64_t{1} << t);
    if ((lx | ly) < 0) return 0;
    // The block's materials, checked against every cell passed (each block entered has a table).
    MaterialCheck materials(block->materials);
    DescentSpot at;
    if (!EnterBlock(*block, materials, s, lx, ly, minLevel, path != nullptr, &at)) return 0;
    TerrainCellView cell = at.cell;
    const std::uint8_t* bytes = at.contents;  // where the cell is read
    std::int32_t level = at.level;
    for (;;) {
        const std::uint32_t cellShift = s + static_cast<std::uint32_t>(level);
        if (path != nullptr) {
            path->push_back(TerrainPathStep{block, static_cast<std::int32_t>(x - lx),
                                            static_cast<std::int32_t>(y - ly), cell, at.parent,
                                            static_cast<std::int32_t>(lx >> cellShift),
                                            static_cast<std::int32_t>(ly >> cellShift), level});
        }
        // A material index past the block's list is a damaged cell: no terrain here.
        const TerrainCellView read{bytes};
        if (materials.Damaged(read.Material())) return 0;
        const std::uint16_t link = read.Link();
        const std::uint16_t value = link & kLinkValueMask;
        const std::uint16_t kind = link & kLinkKindMask;
        if (kind == kLinkSubdivided) {
            if (level <= minLevel) break;
            const std::int32_t finer = level - 1 - block->firstLevel;
            if (finer < 0 || value >= block->levels[static_cast<std::size_t>(finer)].squareCount)
                return 0;
            --level;
            at.parent = cell;
            at.parentHeights = block->heights;
            cell = SubCell(block->levels[static_cast<std::size_t>(finer)], value, cellShift - 1, lx,
                           ly);
            bytes = cell.p;
            continue;
        }
        if (kind == kLinkLeaf) break;
        if (kind == kLinkEmpty) return 0;
        // Another block covering exactly this cell: its corner is the cell's corner, and its
        // pyramid must start below this level, so every link makes progress.
        TerrainCellPyramid* next = Reach(block, value);
        if (next == nullptr || next->heights == nullptr) return 0;
        const std::int64_t size = std::int64_t{1} << cellShift;
        lx &= size - 1;
        ly &= size - 1;
        if (next->StartLevel() >= level) return 0;
        at.parent = cell;
        at.parentHeights = block->heights;
        block = next;
        materials = MaterialCheck(block->materials);
        if (!EnterBlock(*block, materials, s, lx, ly, minLevel, path != nullptr, &at)) return 0;
        cell = at.cell;
        bytes = at.contents;
        level = at.level;
    }
    if (out != nullptr) {
        const std::uint32_t sh = s + static_cast<std::uint32_t>(level);
        out->block = block;
        out->cell = cell;
        out->parent = at.parent;
        out->parentHeights = at.parentHeights;
        out->level = level;
        out->cellX = static_cast<std::int32_t>(lx >> sh);
        out->cellY = static_cast<std::int32_t>(ly >> sh);
        out->localX = static_cast<std::int32_t>(lx);
        out->localY = static_cast<std::int32_t>(ly);
    }
    if (contents != nullptr) *contents = bytes;
    return 1;
}

int TerrainGrid::FindCell(std::int32_t x, std::int32_t y, TerrainCellLookup* out,
                          std::int32_t minLevel) {
    return Descend(x, y, out, minLevel, nullptr, nullptr);
}

int TerrainGrid::CollectPath(std::int32_t x, std::int32_t y, std::vector<TerrainPathStep>* list) {
    return Descend(x, y, nullptr, 0, list, nullptr);
}

TerrainCorners TerrainGrid::CellCorners(const TerrainCellLookup& at) {
    TerrainCorners c;
    const std::int32_t* table = at.block->heights;
    bool missing = false;
    for (int i = 0; i < 4; ++i) {
        c.h[i] = TableHeight(table, at.cell.Height(i));
        missing |= c.h[i] == kTerrainNoData;
    }
    if (!missing) return c;
    if (!at.parent.IsNull() && at.parentHeights != nullptr) {
        std::int64_t p[4];
        for (int i = 0; i < 4; ++i)
            p[i] = TableHeight(at.parentHeights, at.parent.Height(i));
        const int b = at.cellX & 1;
        const std::int64_t fill[4] = {Average(p[2 * b + 1], p[0]), Average(p[2 * b], p[1]),
                                      Average(p[2 * b + 1], p[2]), Average(p[2 * b], p[3])};
        for (int i = 0; i < 4; ++i)
            if (c.h[i] == kTerrainNoData) c.h[i] = fill[i];
    }
    bool anyData = false;
    for (int i = 0; i < 4; ++i)
        anyData |= at.cell.Height(i) != kNoHeightIndex;
    std::int64_t fallback = 0;
    if (anyData) {
        const std::int64_t v = TableHeight(table, at.cell.MaxIndex());
        fallback = v == kTerrainNoData ? 0 : v;
    }
    for (int i = 0; i < 4; ++i)
        if (c.h[i] == kTerrainNoData) c.h[i] = fallback;
    return c;
}

namespace {

[[gnu::always_inline]] inline void Evaluate(const TerrainCorners& c, std::int32_t shiftLevel,
                                            std::int32_t u, std::int32_t v,
                                            TerrainHeightResult* out) {
    const std::int64_t h0 = c.h[0], h1 = c.h[1], h2 = c.h[2], h3 = c.h[3];
    const std::int64_t size = std::int64_t{1} << shiftLevel;
    // 2^-shiftLevel exactly, made from its exponent (cells are at most 2^30 units across).
    const float k = std::bit_cast<float>(static_cast<std::uint32_t>(127 - shiftLevel) << 23);
    const std::int64_t d = h2 - h3 - h1 + h0;
    // Products in 64 bits: a cell may span more heights than 32-bit products can hold.
    std::int64_t base = 0;
    std::int64_t num = 0;
    std::int64_t n0 = 0, n1 = 0;
    if (d == 0) {
        base = h0;
        num = (h1 - h0) * v + (h3 - h0) * u;
        n0 = h1 - h2;
        n1 = h0 - h1;
    } else if (d < 0) {
        if (v < u) {
            base = h3;
            num = (size - u) * (h0 - h3) + (h2 - h3) * v;
            n0 = h0 - h3;
            n1 = h3 - h2;
        } else {
            base = h1;
            num = (size - v) * (h0 - h1) + (h2 - h1) * u;
            n0 = h1 - h2;
            n1 = h0 - h1;
        }
    } else if (size - u <= v) {
        base = h2;
        num = (h3 - h2) * (size - v) + (h1 - h2) * (size - u);
        n0 = h1 - h2;
        n1 = h3 - h2;
    } else {
        base = h0;
        num = (h1 - h0) * v + (h3 - h0) * u;
        n0 = h0 - h3;
        n1 = h0 - h1;
    }
    out->height = static_cast<float>(base) + static_cast<float>(num) * k;
    out->normal[0] = static_cast<float>(n0);
    out->normal[1] = static_cast<float>(n1);
    out->normal[2] = static_cast<float>(size);
}

}  // namespace

void TerrainGrid::EvaluateCell(const TerrainCorners& c, std::int32_t shiftLevel, std::int32_t u,
                               std::int32_t v, TerrainHeightResult* out) {
    Evaluate(c, shiftLevel, u, v, out);
}

const TerrainHeightResult& TerrainGrid::GetHeightAt(std::int32_t x, std::int32_t y) {
    TerrainHeightResult& r = theHeightResult;
    TerrainCellLookup at;
    const std::uint8_t* contents = nullptr;
    if (!Descend(x, y, &at, 0, nullptr, &contents)) {
        r = TerrainHeightResult{};
        return r;
    }
    const std::int32_t sl = static_cast<std::int32_t>(scaleShift) + at.level;
    const std::int32_t mask = (std::int32_t{1} << sl) - 1;
    // Every table holds "no data" at index 255, so the four corners are read without testing
    // their indices; a corner without data takes the long way.
    const std::int32_t* table = at.block->heights;
    const TerrainCellView cell{contents};
    const std::int32_t h0 = table[cell.Height(0)];
    const std::int32_t h1 = table[cell.Height(1)];
    const std::int32_t h2 = table[cell.Height(2)];
    const std::int32_t h3 = table[cell.Height(3)];
    TerrainCorners c;
    if (h0 == kTerrainNoData || h1 == kTerrainNoData || h2 == kTerrainNoData ||
        h3 == kTerrainNoData) [[unlikely]] {
        // A copy, so that the lookup itself stays in registers on the common path.
        const TerrainCellLookup found = at;
        c = CellCorners(found);
    } else {
        c.h[0] = h0;
        c.h[1] = h1;
        c.h[2] = h2;
        c.h[3] = h3;
    }
    Evaluate(c, sl, at.localX & mask, at.localY & mask, &r);
    r.material = nullptr;
    if (cell.Material() != kNoMaterial && at.block->materials != nullptr)
        r.material = at.block->materials->At(cell.Material());
    return r;
}

void TerrainGrid::SetRootMaterialList(TerrainMaterialList* list) {
    if (root == nullptr) return;
    root->materials = list;
    root->inheritMaterial = 0;
    if (TerrainBlockRecord* r = FindRecord(kTerrainRootBlock)) r->materials = list;
}

void TerrainGrid::SetBlockMaterialList(std::uint32_t id, TerrainMaterialList* list) {
    TerrainBlockRecord* r = FindRecord(id);
    if (r == nullptr) return;
    r->materials = list;
    if (r->block) {
        r->block->materials = list;
        r->block->inheritMaterial = 0;
    }
}

void TerrainGrid::SetRootHeights(const std::int32_t* table) {
    if (root == nullptr) return;
    std::copy(table, table + 256, root->ownHeights.begin());
    root->ownHeights[255] = kTerrainNoData;
    root->heights = root->ownHeights.data();
    std::int32_t lo = kTerrainNoData, hi = kTerrainNoHeights;
    for (int i = 0; i < 255; ++i) {
        const std::int32_t v = root->ownHeights[static_cast<std::size_t>(i)];
        if (v == kTerrainNoData) continue;
        lo = std::min(lo, v);
        hi = std::max(hi, v);
    }
    root->lowest = lo;
    root->highest = hi;
    if (TerrainBlockRecord* r = FindRecord(kTerrainRootBlock)) {
        r->lowest = lo;
        r->highest = hi;
    }
    RecomputeRanges();
}

void TerrainGrid::RecomputeRanges() {
    bool first = true;
    for (const TerrainBlockRecord& r : blocks) {
        if (first) {
            levelRange[0] = r.firstLevel;
            levelRange[1] = r.topLevel;
            heightRange[0] = kTerrainNoData;
            heightRange[1] = kTerrainNoHeights;
            first = false;
        }
        levelRange[0] = std::min(levelRange[0], r.firstLevel);
        levelRange[1] = std::max(levelRange[1], r.topLevel);
        if (r.lowest == kTerrainNoData || r.highest == kTerrainNoHeights) continue;
        heightRange[0] = std::min(heightRange[0], r.lowest);
        heightRange[1] = std::max(heightRange[1], r.highest);
    }
    if (heightRange[0] == kTerrainNoData) heightRange[0] = heightRange[1] = 0;
}

void TerrainGrid::SetBlockName(std::uint32_t id, std::string_view name) {
    if (TerrainBlockRecord* r = FindRecord(id)) r->name.assign(name);
}

void TerrainGrid::SetBlockMaterialFile(std::uint32_t id, std::string_view name) {
    if (TerrainBlockRecord* r = FindRecord(id)) r->materialFile.assign(name);
}

void TerrainGrid::ConvertHeightsToTerrain(bool on) {
    if (on && !convertHeights) {
        // The ranges of blocks not loaded yet are in the file's unit too.
        for (TerrainBlockRecord& r : blocks) {
            if (r.block && r.block->sharedHeights == 0 && r.block.get() != root) {
                for (int i = 0; i < 255; ++i) {
                    std::int32_t& v = r.block->ownHeights[static_cast<std::size_t>(i)];
                    if (v != kTerrainNoData) v = ConvertHeightToTerrain(v);
                }
            }
            if (r.lowest != kTerrainNoData) r.lowest = ConvertHeightToTerrain(r.lowest);
            if (r.highest != kTerrainNoHeights) r.highest = ConvertHeightToTerrain(r.highest);
        }
    }
    convertHeights = on;
}

std::uint32_t TerrainGrid::LoadedBlockCount() const {
    std::uint32_t n = 0;
    for (const TerrainBlockRecord& r : blocks)
        n += r.block ? 1u : 0u;
    return n;
}

}  // namespace world
