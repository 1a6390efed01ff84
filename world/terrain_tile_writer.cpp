#include "world/terrain_tile_writer.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "core/endian.h"
#include "core/volume_coding.h"
#include "gfx/bitmap.h"

namespace world {

namespace {

void TerrainTileWriterPutU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    std::uint8_t b[4];
    core::WriteU32(b, v);
    out.insert(out.end(), b, b + 4);
}
void PutI32(std::vector<std::uint8_t>& out, std::int32_t v) {
    TerrainTileWriterPutU32(out, static_cast<std::uint32_t>(v));
}
void PutString(std::vector<std::uint8_t>& out, const std::string& s) {
    TerrainTileWriterPutU32(out, static_cast<std::uint32_t>(s.size() + 1));
    out.insert(out.end(), s.begin(), s.end());
    out.push_back(0);
}

struct Range {
    std::int32_t lo = kTerrainNoData;
    std::int32_t hi = kTerrainNoHeights;
};

Range TableRange(const TerrainBlockModel& b) {
    Range r;
    if (b.sharedHeights) return r;
    for (int i = 0; i < 255; ++i) {
        r.lo = std::min(r.lo, b.heights[static_cast<std::size_t>(i)]);
        r.hi = std::max(r.hi, b.heights[static_cast<std::size_t>(i)]);
    }
    return r;
}


}  // namespace

std::uint32_t TerrainLevelModel::AddSquare() {
    const std::uint32_t index = SquareCount();
    squares.resize(squares.size() + kTerrainSquareBytes, 0);
    for (int i = 0; i < 4; ++i)
        SetTerrainCell(Cell(index, i), kLinkLeaf, kNoHeightIndex, kNoHeightIndex, kNoHeightIndex,
                       kNoHeightIndex, kNoMaterial);
    return index;
}

void SetTerrainCell(std::uint8_t* cell, std::uint16_t link, std::uint8_t h0, std::uint8_t h1,
                    std::uint8_t h2, std::uint8_t h3, std::uint8_t material) {
    core::WriteU16(cell, link);
    cell[2] = h0;
    cell[3] = h1;
    cell[4] = h2;
    cell[5] = h3;
    cell[6] = material;
    std::uint8_t largest = 0;
    for (std::uint8_t h : {h0, h1, h2, h3})
        if (h != kNoHeightIndex && h > largest) largest = h;
    cell[7] = largest;
}

int CodeTerrainTile(const TerrainTileModel& tile, CodedTerrainTile* out, std::string* error) {
    if (tile.blocks.empty() || tile.blocks[0].id != kTerrainRootBlock) {
        *error = "a tile needs its root block first";
        return 0;
    }
    const TerrainBlockModel& root = tile.blocks[0];
    std::int32_t firstLevel = root.firstLevel, topLevel = root.topLevel;
    Range heights;
    for (const TerrainBlockModel& b : tile.blocks) {
        firstLevel = std::min(firstLevel, b.firstLevel);
        topLevel = std::max(topLevel, b.topLevel);
        const Range r = TableRange(b);
        if (r.lo != kTerrainNoData) {
            heights.lo = std::min(heights.lo, r.lo);
            heights.hi = std::max(heights.hi, r.hi);
        }
    }
    if (heights.lo == kTerrainNoData) heights = Range{0, 0};

    // The members in the order of their numbers: the header, the block list, every block's
    // header, then every block's squares.
    std::vector<std::pair<std::uint32_t, std::vector<std::uint8_t>>> members;
    {
        std::vector<std::uint8_t> h;
        TerrainTileWriterPutU32(h, kTerrainGridVersion);
        TerrainTileWriterPutU32(h, tile.headerA);
        TerrainTileWriterPutU32(h, tile.scaleShift);
        PutI32(h, tile.originX);
        PutI32(h, tile.originY);
        const TerrainLevelModel& top = root.levels.back();
        const std::int64_t t = std::int64_t{tile.scaleShift} + root.topLevel;
        const std::int64_t minX = std::int64_t{tile.originX} << t;
        const std::int64_t minY = std::int64_t{tile.originY} << t;
        PutI32(h, static_cast<std::int32_t>(minX));
        PutI32(h, static_cast<std::int32_t>(minY));
        PutI32(h, static_cast<std::int32_t>(minX + (std::int64_t{2} << (top.widthExp + t))));
        PutI32(h, static_cast<std::int32_t>(minY + (std::int64_t{2} << (top.heightExp + t))));
        PutI32(h, firstLevel);
        PutI32(h, topLevel);
        PutI32(h, heights.lo);
        PutI32(h, heights.hi);
        members.emplace_back(kTerrainHeaderEntry, std::move(h));
    }
    {
        std::vector<std::uint8_t> list;
        TerrainTileWriterPutU32(list, 0);
        TerrainTileWriterPutU32(list, static_cast<std::uint32_t>(tile.blocks.size()));
        for (const TerrainBlockModel& b : tile.blocks) {
            const Range r = TableRange(b);
            const TerrainLevelModel& top = b.levels.back();
            TerrainTileWriterPutU32(list, b.name.empty() ? 0 : 1);
            TerrainTileWriterPutU32(list, b.id);
            TerrainTileWriterPutU32(list, 0);
            TerrainTileWriterPutU32(list,
                                    top.widthExp + static_cast<std::uint32_t>(b.topLevel) + 1);
            TerrainTileWriterPutU32(list,
                                    top.heightExp + static_cast<std::uint32_t>(b.topLevel) + 1);
            PutI32(list, b.firstLevel);
            PutI32(list, b.topLevel);
            PutI32(list, r.lo);
            PutI32(list, r.hi);
            TerrainTileWriterPutU32(list, 0);
            TerrainTileWriterPutU32(list, b.materialFile.empty() ? 0 : 1);
            PutI32(list, 0);
        }
        for (const TerrainBlockModel& b : tile.blocks) {
            if (!b.name.empty()) PutString(list, b.name);
            if (!b.materialFile.empty()) PutString(list, b.materialFile);
        }
        members.emplace_back(kTerrainBlockListEntry, std::move(list));
    }
    for (const TerrainBlockModel& b : tile.blocks) {
        const Range r = TableRange(b);
        std::vector<std::uint8_t> h;
        TerrainTileWriterPutU32(h, 0);
        TerrainTileWriterPutU32(h, b.id);
        TerrainTileWriterPutU32(h, b.startLevelIndex);
        TerrainTileWriterPutU32(h, 0);
        PutI32(h, b.firstLevel);
        PutI32(h, b.topLevel);
        PutI32(h, r.lo);
        PutI32(h, r.hi);
        TerrainTileWriterPutU32(h, b.sharedHeights ? 1 : 0);
        if (!b.sharedHeights) {
            for (int i = 0; i < 256; ++i)
                PutI32(h, i == 255 ? 0 : b.heights[static_cast<std::size_t>(i)]);
        }
        TerrainTileWriterPutU32(h, b.inheritMaterial ? 1 : 0);
        TerrainTileWriterPutU32(h, static_cast<std::uint32_t>(b.levels.size()));
        members.emplace_back(b.id, std::move(h));
    }
    for (const TerrainBlockModel& b : tile.blocks) {
        std::size_t bytes = 4 + b.levels.size() * kTerrainLevelHeaderBytes;
        for (const TerrainLevelModel& l : b.levels)
            bytes += l.squares.size();
        std::vector<std::uint8_t> data;
        data.reserve(bytes);
        TerrainTileWriterPutU32(data, 0);
        for (const TerrainLevelModel& l : b.levels) {
            TerrainTileWriterPutU32(data, 0);
            TerrainTileWriterPutU32(data, l.SquareCount());
            TerrainTileWriterPutU32(data, l.widthExp);
            TerrainTileWriterPutU32(data, l.heightExp);
            TerrainTileWriterPutU32(data, 1);
            TerrainTileWriterPutU32(data, 1u << (l.widthExp + 2));
        }
        for (const TerrainLevelModel& l : b.levels)
            data.insert(data.end(), l.squares.begin(), l.squares.end());
        members.emplace_back(b.id | kTerrainDataEntryFlag, std::move(data));
    }
    // Every member is coded as pays for it; the squares come to the grid decoded when coded.
    out->members.clear();
    for (auto& [id, bytes] : members)
        out->members.emplace_back(id, core::CodeVolumeMember(bytes));
    return 1;
}

int WriteCodedTerrainTile(std::string_view path, const CodedTerrainTile& tile, std::string* error) {
    core::VolumeRWStream v;
    if (!v.CreateVolume(path, 0, static_cast<std::uint32_t>(tile.members.size()))) {
        *error = "cannot create " + std::string(path);
        return 0;
    }
    bool ok = true;
    for (const auto& [id, m] : tile.members) {
        const auto n = static_cast<std::uint32_t>(m.code.size());
        ok = ok && v.AddCodedEntryById(id, m.compression, m.size) &&
             (n == 0 || v.Write(n, m.code.data())) && v.CloseEntry();
    }
    ok = v.CloseVolume() && ok;
    if (!ok) *error = "cannot write " + std::string(path);
    return ok ? 1 : 0;
}

int WriteTerrainTile(std::string_view path, const TerrainTileModel& tile, std::string* error) {
    CodedTerrainTile coded;
    return CodeTerrainTile(tile, &coded, error) && WriteCodedTerrainTile(path, coded, error) ? 1
                                                                                             : 0;
}

TerrainTileModel BuildTileFromHeightBitmap(const gfx::GFXBitmap& bitmap, std::int32_t levelCount) {
    TerrainTileModel tile;
    TerrainBlockModel block;
    block.id = kTerrainRootBlock;
    for (int i = 0; i < 256; ++i)
        block.heights[static_cast<std::size_t>(i)] = i;
    const std::int32_t w = bitmap.width;
    const std::int32_t h = bitmap.height;
    auto log2 = [](std::int32_t n) {
        int e = 0;
        while ((1 << (e + 1)) <= n)
            ++e;
        return e;
    };
    if (bitmap.bitsPerPixel != 8 || w < 2 || h < 2) return tile;
    const std::uint32_t wExp = static_cast<std::uint32_t>(log2(w)) - 1;
    const std::uint32_t hExp = static_cast<std::uint32_t>(log2(h)) - 1;
    const std::int32_t most = static_cast<std::int32_t>(std::min(wExp, hExp)) + 1;
    const std::int32_t levels = levelCount < 0 ? most : std::clamp(levelCount, 1, most);
    block.firstLevel = 0;
    block.topLevel = levels - 1;
    block.startLevelIndex = static_cast<std::uint32_t>(levels - 1);
    block.levels.resize(static_cast<std::size_t>(levels));
    auto pixel = [&](std::int32_t x, std::int32_t y) {
        x = std::min(x, w - 1);
        y = std::min(y, h - 1);
        const std::uint8_t v = bitmap.Row(h - 1 - y)[x];
        return static_cast<std::uint8_t>(v == 255 ? 254 : v);
    };
    const std::uint32_t cellsX = 2u << wExp, cellsY = 2u << hExp;
    {
        TerrainLevelModel& l0 = block.levels[0];
        l0.widthExp = wExp;
        l0.heightExp = hExp;
        l0.squares.assign((std::size_t{1} << (wExp + hExp)) * kTerrainSquareBytes, 0);
        for (std::uint32_t y = 0; y < cellsY; ++y) {
            for (std::uint32_t x = 0; x < cellsX; ++x) {
                const auto xi = static_cast<std::int32_t>(x), yi = static_cast<std::int32_t>(y);
                SetTerrainCell(l0.DenseCell(x, y), kLinkLeaf, pixel(xi, yi), pixel(xi, yi + 1),
                               pixel(xi + 1, yi + 1), pixel(xi + 1, yi), kNoMaterial);
            }
        }
    }
    for (std::int32_t l = 1; l < levels; ++l) {
        TerrainLevelModel& fine = block.levels[static_cast<std::size_t>(l - 1)];
        TerrainLevelModel& coarse = block.levels[static_cast<std::size_t>(l)];
        coarse.widthExp = fine.widthExp - 1;
        coarse.heightExp = fine.heightExp - 1;
        coarse.squares.assign((std::size_t{1} << (coarse.widthExp + coarse.heightExp)) *
                                  kTerrainSquareBytes,
                              0);
        const std::uint32_t nx = 2u << coarse.widthExp, ny = 2u << coarse.heightExp;
        for (std::uint32_t y = 0; y < ny; ++y) {
            for (std::uint32_t x = 0; x < nx; ++x) {
                // The four finer cells of this cell form one finer square.
                const std::uint32_t square = (y << fine.widthExp) + x;
                const std::uint8_t* c0 = fine.Cell(square, 0);
                SetTerrainCell(coarse.DenseCell(x, y),
                               static_cast<std::uint16_t>(kLinkSubdivided | square), c0[2],
                               fine.Cell(square, 2)[3], fine.Cell(square, 3)[4],
                               fine.Cell(square, 1)[5], c0[6]);
            }
        }
    }
    tile.blocks.push_back(std::move(block));
    return tile;
}

int WriteLevelBitmap(const TerrainBlockModel& block, std::int32_t level, bool materials,
                     std::string_view fileName) {
    if (level < block.firstLevel || level > block.topLevel) return 0;
    const TerrainLevelModel& l = block.Level(level);
    const std::uint32_t w = 2u << l.widthExp, h = 2u << l.heightExp;
    if (l.SquareCount() < (1u << (l.widthExp + l.heightExp))) return 0;
    std::unique_ptr<gfx::GFXBitmap> bmp =
        gfx::GFXBitmap::Create(static_cast<std::int32_t>(w), static_cast<std::int32_t>(h), 8);
    if (!bmp) return 0;
    gfx::GFXPaletteEntry grey[256];
    for (int i = 0; i < 256; ++i) {
        const auto v = static_cast<std::uint8_t>(i);
        grey[i] = gfx::GFXPaletteEntry{v, v, v, 0};
    }
    bmp->palette = gfx::GFXPalette::CreateFromEntries(grey);
    for (std::uint32_t y = 0; y < h; ++y) {
        std::uint8_t* row = bmp->Row(static_cast<std::int32_t>(h - 1 - y));
        for (std::uint32_t x = 0; x < w; ++x) {
            const std::uint8_t* c = l.DenseCell(x, y);
            row[x] = materials ? c[6] : c[2];
        }
    }
    return bmp->Save(fileName, gfx::kBitmapWriteBmp | gfx::kBitmapKeepPalette);
}

void SetMaterialAtPoint(TerrainBlockModel& block, std::uint32_t scaleShift, std::int32_t x,
                        std::int32_t y, std::uint8_t material) {
    if (x < 0 || y < 0) return;
    for (TerrainLevelModel& l : block.levels) {
        const std::int32_t level =
            block.firstLevel + static_cast<std::int32_t>(&l - block.levels.data());
        const std::uint32_t sh = scaleShift + static_cast<std::uint32_t>(level);
        const std::uint32_t cx = static_cast<std::uint32_t>(x) >> sh;
        const std::uint32_t cy = static_cast<std::uint32_t>(y) >> sh;
        if (cx >= (2u << l.widthExp) || cy >= (2u << l.heightExp)) continue;
        if (((cy >> 1) << l.widthExp) + (cx >> 1) >= l.SquareCount()) continue;
        l.DenseCell(cx, cy)[6] = material;
    }
}

void FillLevelMaterial(TerrainBlockModel& block, std::int32_t level, std::uint8_t material) {
    if (level < block.firstLevel || level > block.topLevel) return;
    TerrainLevelModel& l = block.Level(level);
    for (std::size_t i = 6; i < l.squares.size(); i += kTerrainCellBytes)
        l.squares[i] = material;
}

}  // namespace world
