// The height grid against the test's own reading of the cells it wrote: heights and normals at
// random points of a tile made from an analytic surface, the descent through linked blocks, the
// filling of corners without data, wide products, and damaged tile files.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <random>

#include "core/endian.h"
#include "support/temp_folder.h"
#include "world/terrain_grid.h"
#include "world/terrain_materials.h"
#include "world/terrain_test_support.h"

namespace {

using terraintest::HeightField;
using world::TerrainGrid;
using world::TerrainTileModel;

HeightField Hills(int n) {
    return terraintest::MakeField(n, [](int x, int y) {
        return 4000.0 + 2500.0 * std::sin(x * 0.21) * std::cos(y * 0.13) + 31.0 * x - 17.0 * y;
    });
}

TEST(TerrainGrid, HeightsAndNormalsMatchTheTrianglesOfTheQuantisedCorners) {
    testsupport::TempFolder dir;
    const HeightField field = Hills(128);
    terraintest::WriteTile(dir.Path("hills.ted"), terraintest::TileOf(field));
    TerrainGrid grid;
    ASSERT_EQ(grid.Open(dir.Path("hills.ted")), 1);
    const std::int32_t size = 512;  // level-0 cells with scale shift 9
    EXPECT_EQ(grid.Bounds()[2], 128 * size);
    std::mt19937 rng(7);
    std::uniform_int_distribution<std::int32_t> pick(0, 128 * size - 1);
    for (int i = 0; i < 100000; ++i) {
        const std::int32_t x = pick(rng), y = pick(rng);
        const int cx = x / size, cy = y / size;
        const double h0 = field.Corner(cx, cy), h1 = field.Corner(cx, cy + 1),
                     h2 = field.Corner(cx + 1, cy + 1), h3 = field.Corner(cx + 1, cy);
        const double u = x % size, v = y % size;
        const double want = terraintest::TriangleHeight(h0, h1, h2, h3, size, u, v);
        const world::TerrainHeightResult& r = grid.GetHeightAt(x, y);
        ASSERT_NEAR(r.height, want, 0.02) << x << "," << y;
        // The normal is the triangle's, scaled so its upward component is the cell size.
        const double dzdu = (terraintest::TriangleHeight(h0, h1, h2, h3, size, u + 0.25, v) -
                             terraintest::TriangleHeight(h0, h1, h2, h3, size, u - 0.25, v)) /
                            0.5;
        const double dzdv = (terraintest::TriangleHeight(h0, h1, h2, h3, size, u, v + 0.25) -
                             terraintest::TriangleHeight(h0, h1, h2, h3, size, u, v - 0.25)) /
                            0.5;
        const bool nearDiagonal = std::abs(u - v) < 1 || std::abs(u + v - size) < 1;
        if (!nearDiagonal && u > 0.5 && v > 0.5 && u < size - 0.5 && v < size - 0.5) {
            ASSERT_NEAR(r.normal[0], -dzdu * size, 0.05) << x << "," << y;
            ASSERT_NEAR(r.normal[1], -dzdv * size, 0.05) << x << "," << y;
        }
        ASSERT_EQ(r.normal[2], size);
    }
}

TEST(TerrainGrid, BoundsFlatCellsAndLevels) {
    testsupport::TempFolder dir;
    const HeightField flat = terraintest::MakeField(16, [](int, int) { return 250.0; });
    terraintest::WriteTile(dir.Path("flat.ted"), terraintest::TileOf(flat));
    TerrainGrid grid;
    ASSERT_EQ(grid.Open(dir.Path("flat.ted")), 1);
    struct Case {
        std::int32_t x, y;
        bool inside;
    } cases[] = {{0, 0, true}, {16 * 512 - 1, 16 * 512 - 1, true}, {16 * 512, 5, false},
                 {5, 16 * 512, false}, {-1, 0, false}};
    for (const Case& c : cases) {
        world::TerrainCellLookup at;
        EXPECT_EQ(grid.FindCell(c.x, c.y, &at, 0), c.inside ? 1 : 0) << c.x << "," << c.y;
        const world::TerrainHeightResult& r = grid.GetHeightAt(c.x, c.y);
        EXPECT_EQ(r.height, c.inside ? flat.table[0] : 0.0f);
        EXPECT_EQ(r.normal[0], 0.0f);
        EXPECT_EQ(r.normal[1], 0.0f);
        EXPECT_EQ(r.normal[2], c.inside ? 512.0f : 1.0f);
    }
    // A descent may stop at a coarser level; the origin moves the bounds in root cells.
    world::TerrainCellLookup at;
    ASSERT_EQ(grid.FindCell(3000, 3000, &at, 2), 1);
    EXPECT_EQ(at.level, 2);
    EXPECT_EQ(at.cellX, 3000 >> 11);
    grid.SetOrigin(-1, 2);
    EXPECT_EQ(grid.Bounds()[0], -(1 << 12));
    EXPECT_EQ(grid.Bounds()[1], 2 << 12);
    EXPECT_EQ(grid.Bounds()[2], 16 * 512 - (1 << 12));
}

// A root of one square at level 1 (cells of 1024) whose cell (1, 0) continues in block 301.
TerrainTileModel LinkedTile() {
    TerrainTileModel tile;
    world::TerrainBlockModel root;
    root.firstLevel = root.topLevel = 1;
    root.levels.resize(1);
    root.levels[0].AddSquare();
    for (int i = 0; i < 255; ++i)
        root.heights[static_cast<std::size_t>(i)] = 10 * i;
    for (int c = 0; c < 4; ++c)
        world::SetTerrainCell(root.levels[0].Cell(0, c), world::kLinkLeaf, 1, 2, 3, 4, 0);
    world::SetTerrainCell(root.levels[0].Cell(0, 1), world::kLinkBlock | 301, 5, 5, 5, 5, 0);
    world::TerrainBlockModel sub;
    sub.id = 301;
    sub.firstLevel = sub.topLevel = 0;
    sub.levels.resize(1);
    sub.levels[0].AddSquare();
    for (int i = 0; i < 255; ++i)
        sub.heights[static_cast<std::size_t>(i)] = 1000 + i;
    for (int c = 0; c < 4; ++c) {
        const auto k = static_cast<std::uint8_t>(10 * c);
        world::SetTerrainCell(sub.levels[0].Cell(0, c), world::kLinkLeaf, k, k, k, k, 0);
    }
    tile.blocks.push_back(root);
    tile.blocks.push_back(sub);
    return tile;
}

TEST(TerrainGrid, ALinkedBlockCoversExactlyItsCellWithItsOwnTable) {
    testsupport::TempFolder dir;
    terraintest::WriteTile(dir.Path("linked.ted"), LinkedTile());
    TerrainGrid grid;
    ASSERT_EQ(grid.Open(dir.Path("linked.ted")), 1);
    EXPECT_EQ(grid.LoadedBlockCount(), 1u);  // blocks load when a lookup reaches them
    struct Case {
        std::int32_t x, y;
        float height;
    } cases[] = {
        {1024 + 100, 100, 1000},       // sub-cell (0, 0)
        {1024 + 700, 300, 1010},       // sub-cell (1, 0)
        {1024 + 100, 900, 1020},       // sub-cell (0, 1)
        {1024 + 1000, 1000, 1030},     // sub-cell (1, 1)
        {0, 0, 10},                    // root cell (0, 0): its corner h0
    };
    for (const Case& c : cases)
        EXPECT_FLOAT_EQ(grid.GetHeightAt(c.x, c.y).height, c.height) << c.x << "," << c.y;
    EXPECT_EQ(grid.LoadedBlockCount(), 2u);
    std::vector<world::TerrainPathStep> path;
    ASSERT_EQ(grid.CollectPath(1024 + 700, 300, &path), 1);
    ASSERT_EQ(path.size(), 2u);
    EXPECT_EQ(path[1].block->id, 301u);
    EXPECT_EQ(path[1].cellX, 1);
    EXPECT_EQ(path[1].level, 0);
    // With the conversion on, the linked block's table is in terrain units like the root's.
    TerrainGrid converted;
    ASSERT_EQ(converted.Open(dir.Path("linked.ted")), 1);
    converted.ConvertHeightsToTerrain(true);
    EXPECT_FLOAT_EQ(converted.GetHeightAt(1024 + 100, 100).height,
                    static_cast<float>(world::ConvertHeightToTerrain(1000)));
}

TEST(TerrainGrid, ALinkToABlockWithoutARecordFindsNoTerrain) {
    testsupport::TempFolder dir;
    TerrainTileModel tile = LinkedTile();
    tile.blocks.pop_back();
    terraintest::WriteTile(dir.Path("orphan.ted"), tile);
    TerrainGrid grid;
    ASSERT_EQ(grid.Open(dir.Path("orphan.ted")), 1);
    world::TerrainCellLookup at;
    EXPECT_EQ(grid.FindCell(1024 + 100, 100, &at, 0), 0);
    EXPECT_EQ(grid.FindCell(100, 100, &at, 0), 1);
}

TEST(TerrainGrid, CornersWithoutDataComeFromTheParentThenFromTheCell) {
    testsupport::TempFolder dir;
    TerrainTileModel tile;
    world::TerrainBlockModel b;
    b.firstLevel = 0;
    b.topLevel = 1;
    b.startLevelIndex = 1;
    b.levels.resize(2);
    b.levels[1].AddSquare();
    b.levels[0].AddSquare();
    for (int i = 0; i < 255; ++i)
        b.heights[static_cast<std::size_t>(i)] = 100 * i;
    // Root cell (0,0), parent corners 10, 20, 30, 40 (heights 1000..4000), subdivided.
    world::SetTerrainCell(b.levels[1].Cell(0, 0), world::kLinkSubdivided | 0, 10, 20, 30, 40, 0);
    // Sub-cell (0,0) misses h0 and h2: even x, so h0 = (P1 + P0) / 2, h2 = (P1 + P2) / 2.
    world::SetTerrainCell(b.levels[0].Cell(0, 0), world::kLinkLeaf, 255, 5, 255, 5, 0);
    // Root cell (1,0) has no parent: its missing corner takes its largest index (7).
    world::SetTerrainCell(b.levels[1].Cell(0, 1), world::kLinkLeaf, 255, 7, 3, 7, 0);
    // Root cell (0,1) has no data at all: height 0.
    world::SetTerrainCell(b.levels[1].Cell(0, 2), world::kLinkLeaf, 255, 255, 255, 255, 0);
    tile.blocks.push_back(b);
    terraintest::WriteTile(dir.Path("gaps.ted"), tile);
    TerrainGrid grid;
    ASSERT_EQ(grid.Open(dir.Path("gaps.ted")), 1);
    world::TerrainCellLookup at;
    ASSERT_EQ(grid.FindCell(10, 10, &at, 0), 1);
    const world::TerrainCorners c = TerrainGrid::CellCorners(at);
    EXPECT_EQ(c.h[0], (2000 + 1000) / 2);
    EXPECT_EQ(c.h[1], 500);
    EXPECT_EQ(c.h[2], (2000 + 3000) / 2);
    EXPECT_EQ(c.h[3], 500);
    ASSERT_EQ(grid.FindCell(1024 + 10, 10, &at, 0), 1);
    EXPECT_EQ(TerrainGrid::CellCorners(at).h[0], 700);
    EXPECT_EQ(grid.GetHeightAt(10, 1024 + 10).height, 0.0f);
}

TEST(TerrainGrid, WideCellsAndHugeHeightsAreComputedWithoutOverflow) {
    world::TerrainCorners c;
    c.h[0] = 0;
    c.h[1] = 0;
    c.h[2] = 2000000000;
    c.h[3] = 0;
    world::TerrainHeightResult r;
    const std::int32_t shift = 18;  // a root cell: 262144 units
    const std::int32_t u = 200000, v = 250000;
    TerrainGrid::EvaluateCell(c, shift, u, v, &r);
    // Twist > 0, and size - u <= v: the triangle (h1, h2, h3).
    const double s = 262144.0;
    const double want = 2e9 + (0 - 2e9) * (s - v) / s + (0 - 2e9) * (s - u) / s;
    EXPECT_NEAR(r.height, want, std::abs(want) * 1e-6);
    // Averaging two parent corners near the top of the range does not wrap.
    const std::uint8_t cell[8] = {0, 0, 255, 255, 255, 255, 0, 0};
    const std::uint8_t parent[8] = {0x00, 0x40, 0, 1, 2, 3, 0, 3};
    std::int32_t table[256];
    for (int i = 0; i < 256; ++i)
        table[i] = 2147483000 + i;
    world::TerrainCellPyramid block;
    block.heights = table;
    world::TerrainCellLookup at;
    at.block = &block;
    at.cell = world::TerrainCellView{cell};
    at.parent = world::TerrainCellView{parent};
    at.parentHeights = table;
    at.cellX = 1;  // odd: h0 = (P3 + P0) / 2
    const world::TerrainCorners wide = TerrainGrid::CellCorners(at);
    EXPECT_EQ(wide.h[0], (2147483003LL + 2147483000LL) / 2);
    EXPECT_EQ(wide.h[1], (2147483002LL + 2147483001LL) / 2);
}

// ---- damaged files -------------------------------------------------------------------------

using Members = std::map<std::uint32_t, std::vector<std::uint8_t>>;

Members ReadMembers(const std::string& path) {
    core::VolumeRStream v;
    Members m;
    if (!v.OpenVolume(path)) return m;
    for (const core::VolumeEntry& e : v.Entries()) {
        std::vector<std::uint8_t>& bytes = m[e.id];
        bytes.resize(e.size);
        if (v.OpenEntryById(e.id)) {
            if (e.size != 0) (void)core::ReadAll(v, e.size, bytes.data());
            v.Close();
        }
    }
    return m;
}

void WriteMembers(const std::string& path, const Members& m,
                  std::uint8_t coding = core::kVolumeStored) {
    core::VolumeRWStream v;
    ASSERT_TRUE(v.CreateVolume(path, 0, static_cast<std::uint32_t>(m.size())));
    for (const auto& [id, bytes] : m) {
        const auto n = static_cast<std::uint32_t>(bytes.size());
        ASSERT_TRUE(v.AddEntryById(id, coding, n));
        if (n != 0) {
            ASSERT_TRUE(v.Write(n, bytes.data()));
        }
        ASSERT_TRUE(v.CloseEntry());
    }
    ASSERT_TRUE(v.CloseVolume());
}

TEST(TerrainGrid, DamagedTilesOpenAsNoTerrain) {
    testsupport::TempFolder dir;
    terraintest::WriteTile(dir.Path("good.ted"), LinkedTile());
    const Members good = ReadMembers(dir.Path("good.ted"));
    ASSERT_EQ(good.size(), 6u);
    const std::uint32_t rootData = 300 | world::kTerrainDataEntryFlag;
    struct Case {
        const char* what;
        std::function<void(Members&)> damage;
    } cases[] = {
        {"another version", [](Members& m) { core::WriteU32(m[100].data(), 101); }},
        {"no header", [](Members& m) { m.erase(100); }},
        {"no block list", [](Members& m) { m.erase(200); }},
        {"short header", [](Members& m) { m[100].resize(20); }},
        {"count past the list", [](Members& m) { core::WriteU32(m[200].data() + 4, 9); }},
        {"huge count", [](Members& m) { core::WriteU32(m[200].data() + 4, 0xFFFFFFF0u); }},
        {"no root header", [](Members& m) { m.erase(300); }},
        {"no root data", [=](Members& m) { m.erase(rootData); }},
        {"short square data", [=](Members& m) { m[rootData].resize(m[rootData].size() - 1); }},
        {"huge square count",
         [=](Members& m) { core::WriteU32(m[rootData].data() + 8, 0x10000000u); }},
        {"level count against the levels", [](Members& m) { core::WriteU32(&m[300].back() - 3, 3); }},
        {"start level outside", [](Members& m) { core::WriteU32(m[300].data() + 8, 4); }},
        {"string past the list",
         [](Members& m) {
             core::WriteU32(m[200].data() + 8, 1);  // the root now claims a name
         }},
    };
    for (const std::uint8_t coding : {core::kVolumeStored, core::kVolumeLzh}) {
        for (const Case& c : cases) {
            Members m = good;
            c.damage(m);
            WriteMembers(dir.Path("bad.ted"), m, coding);
            TerrainGrid grid;
            EXPECT_EQ(grid.Open(dir.Path("bad.ted")), 0) << c.what << " coding " << int{coding};
            EXPECT_EQ(grid.GetHeightAt(100, 100).height, 0.0f) << c.what;
        }
    }
}

// Coded members (the installation codes them where that pays) read as their stored twins: the
// squares of a coded block are decoded into the block's own memory.
TEST(TerrainGrid, CodedMembersReadAsTheirStoredTwins) {
    testsupport::TempFolder dir;
    terraintest::WriteTile(dir.Path("good.ted"), LinkedTile());
    const Members good = ReadMembers(dir.Path("good.ted"));
    TerrainGrid stored;
    WriteMembers(dir.Path("stored.ted"), good, core::kVolumeStored);
    ASSERT_EQ(stored.Open(dir.Path("stored.ted")), 1);
    for (const std::uint8_t coding : {core::kVolumeRunLength, core::kVolumeLzh}) {
        WriteMembers(dir.Path("coded.ted"), good, coding);
        TerrainGrid coded;
        ASSERT_EQ(coded.Open(dir.Path("coded.ted")), 1) << int{coding};
        for (std::int32_t y = 0; y < 2048; y += 37)
            for (std::int32_t x = 0; x < 2048; x += 41) {
                const float want = stored.GetHeightAt(x, y).height;
                ASSERT_EQ(coded.GetHeightAt(x, y).height, want) << x << "," << y;
            }
    }
}

TEST(TerrainGrid, ALooseEntryBesideTheTileTakesThePlaceOfItsArchivedOne) {
    testsupport::TempFolder dir;
    terraintest::WriteTile(dir.Path("t.ted"), LinkedTile());
    Members m = ReadMembers(dir.Path("t.ted"));
    // Files of eight-character names that are not entry numbers change nothing.
    dir.Write("GridText.bin", "x");
    dir.Write("TedCache.lst", "x");
    dir.Write("0000006G.hdr", "x");
    {
        TerrainGrid grid;
        EXPECT_EQ(grid.Open(dir.Path("t.ted")), 1);
    }
    // Entry 100 as a loose file, with any extension or none: here another version.
    std::vector<std::uint8_t> header = m[100];
    core::WriteU32(header.data(), 101);
    for (const char* name : {"00000064.hdr", "00000064"}) {
        dir.Write(name, std::string(header.begin(), header.end()));
        TerrainGrid grid;
        EXPECT_EQ(grid.Open(dir.Path("t.ted")), 0) << name;
        std::remove(dir.Path(name).c_str());
    }
    // The tile's own header as a loose file reads as before.
    dir.Write("00000064.dat", std::string(m[100].begin(), m[100].end()));
    TerrainGrid grid;
    EXPECT_EQ(grid.Open(dir.Path("t.ted")), 1);
}

TEST(TerrainGrid, DamagedLinksAndMaterialsReadAsEmptyCells) {
    testsupport::TempFolder dir;
    TerrainTileModel tile = LinkedTile();
    // Cell (0,1) subdivides into a square the (missing) finer level lacks; cell (1,1) names
    // material 9 of a two-material list.
    world::SetTerrainCell(tile.blocks[0].levels[0].Cell(0, 2), world::kLinkSubdivided | 5, 1, 1,
                          1, 1, 0);
    world::SetTerrainCell(tile.blocks[0].levels[0].Cell(0, 3), world::kLinkLeaf, 1, 1, 1, 1, 9);
    // Block 301 starts at the level of the linking cell: no progress, so no terrain.
    world::TerrainTileModel loop = tile;
    loop.blocks[1].firstLevel = loop.blocks[1].topLevel = 1;
    terraintest::WriteTile(dir.Path("links.ted"), tile);
    terraintest::WriteTile(dir.Path("loop.ted"), loop);
    world::TerrainMaterialList list;
    list.materials.resize(2);
    TerrainGrid grid;
    ASSERT_EQ(grid.Open(dir.Path("links.ted")), 1);
    grid.SetRootMaterialList(&list);
    world::TerrainCellLookup at;
    EXPECT_EQ(grid.FindCell(100, 1024 + 100, &at, 0), 0);
    EXPECT_EQ(grid.FindCell(1024 + 100, 1024 + 100, &at, 0), 0);
    EXPECT_EQ(grid.FindCell(100, 100, &at, 0), 1);
    EXPECT_EQ(grid.GetHeightAt(100, 100).material, &list.materials[0]);
    TerrainGrid looping;
    ASSERT_EQ(looping.Open(dir.Path("loop.ted")), 1);
    EXPECT_EQ(looping.FindCell(1024 + 100, 100, &at, 0), 0);
}

// A 64 x 64 hill whose level-4 cell (1, 2) continues in block 301, a 16 x 16 hill with a leaf
// among its top cells; with `faults`, a coarse leaf, a coarse link past its finer level and a
// coarse cell naming material 7 and one naming 0 (the others name none); with `fineMaterial`,
// the finest cells name material 1.
TerrainTileModel LayeredTile(bool faults, bool fineMaterial) {
    TerrainTileModel tile = terraintest::TileOf(Hills(64));
    world::TerrainBlockModel& root = tile.blocks[0];
    auto setLink = [](std::uint8_t* cell, std::uint16_t link) {
        cell[0] = static_cast<std::uint8_t>(link & 0xFF);
        cell[1] = static_cast<std::uint8_t>(link >> 8);
    };
    setLink(root.Level(4).DenseCell(1, 2), world::kLinkBlock | 301);
    world::TerrainBlockModel sub = terraintest::TileOf(Hills(16)).blocks[0];
    sub.id = 301;
    setLink(sub.Level(3).DenseCell(1, 1), world::kLinkLeaf);
    if (faults) {
        setLink(root.Level(2).DenseCell(5, 9), world::kLinkLeaf);
        setLink(root.Level(2).DenseCell(12, 3), world::kLinkSubdivided | world::kLinkValueMask);
        root.Level(3).DenseCell(6, 1)[6] = 7;
        root.Level(3).DenseCell(5, 6)[6] = 0;
    }
    if (fineMaterial) {
        world::FillLevelMaterial(root, 0, 1);
        world::FillLevelMaterial(sub, 0, 1);
    }
    tile.blocks.push_back(sub);
    return tile;
}

TEST(TerrainGrid, EveryLookupFindsTheCellOfAStepByStepDescent) {
    // Plain lookups may skip the coarse levels every descent passes; they must end where the
    // traced descent (which takes every step) ends, whatever level they may stop at, and
    // must still meet every damaged cell on the way.
    testsupport::TempFolder dir;
    terraintest::WriteTile(dir.Path("plain.ted"), LayeredTile(false, false));
    terraintest::WriteTile(dir.Path("faults.ted"), LayeredTile(true, false));
    terraintest::WriteTile(dir.Path("fine.ted"), LayeredTile(true, true));
    struct Case {
        const char* file;
        int materials;  // the root's list, 0 for none
        int base;       // the list's base index
        bool damaged;   // some points pass a cell naming a material outside the list
        bool found;     // some points find terrain
    } cases[] = {{"plain.ted", 0, 0, false, true},
                 {"faults.ted", 0, 0, false, true},
                 {"faults.ted", 8, 0, false, true},
                 {"faults.ted", 2, 0, true, true},
                 // Material 0 is not in the list, 1 and 7 are.
                 {"fine.ted", 8, -1, true, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " with " + std::to_string(c.materials) + " materials");
        TerrainGrid grid;
        ASSERT_EQ(grid.Open(dir.Path(c.file)), 1);
        world::TerrainMaterialList list;
        list.materials.resize(static_cast<std::size_t>(c.materials));
        list.baseIndex = c.base;
        if (c.materials > 0) grid.SetRootMaterialList(&list);
        std::mt19937 rng(5);
        std::map<std::string, int> outcomes;
        for (int i = 0; i < 4000; ++i) {
            const auto x = static_cast<std::int32_t>(rng() % (66 * 512)) - 512;
            const auto y = static_cast<std::int32_t>(rng() % (66 * 512)) - 512;
            std::vector<world::TerrainPathStep> path;
            const int traced = grid.CollectPath(x, y, &path);
            for (const std::int32_t minLevel : {0, 1, 2, 4}) {
                // Where the traced descent stops when it may not go below minLevel.
                const world::TerrainPathStep* want = nullptr;
                bool found = false;
                for (std::size_t k = 0; k < path.size(); ++k) {
                    const world::TerrainPathStep& st = path[k];
                    const std::uint8_t m = st.cell.Material();
                    if (m != world::kNoMaterial && c.materials > 0 &&
                        (m + c.base < 0 || m + c.base >= c.materials)) {
                        ++outcomes["damaged"];
                        break;
                    }
                    const bool subdivided =
                        (st.cell.Link() & world::kLinkKindMask) == world::kLinkSubdivided;
                    if ((subdivided && st.level <= minLevel) || k + 1 == path.size()) {
                        want = &st;
                        found = (subdivided && st.level <= minLevel) || traced == 1;
                        break;
                    }
                }
                world::TerrainCellLookup at;
                ASSERT_EQ(grid.FindCell(x, y, &at, minLevel), found ? 1 : 0)
                    << x << "," << y << " " << minLevel;
                if (!found) continue;
                ++outcomes[at.block == grid.Root() ? "root" : "linked"];
                EXPECT_EQ(at.block, want->block);
                EXPECT_EQ(at.cell, want->cell) << x << "," << y << " " << minLevel;
                EXPECT_EQ(at.parent, want->parent) << x << "," << y << " " << minLevel;
                EXPECT_EQ(at.level, want->level);
                EXPECT_EQ(at.cellX, want->cellX);
                EXPECT_EQ(at.cellY, want->cellY);
            }
            // The height lookup agrees with the traced descent on where there is terrain.
            const world::TerrainHeightResult& r = grid.GetHeightAt(x, y);
            EXPECT_EQ(r.normal[2] != 1.0f, traced == 1) << x << "," << y;
        }
        EXPECT_EQ(outcomes["root"] > 1000, c.found);
        EXPECT_EQ(outcomes["linked"] > 100, c.found);
        EXPECT_EQ(outcomes["damaged"] > 0, c.damaged);
    }
}

TEST(TerrainGrid, RandomlyDamagedTilesNeverCrash) {
    testsupport::TempFolder dir;
    const HeightField field = Hills(16);
    TerrainTileModel tile = terraintest::TileOf(field);
    tile.blocks.push_back(LinkedTile().blocks[1]);
    world::SetTerrainCell(tile.blocks[0].levels[1].Cell(0, 1), world::kLinkBlock | 301, 1, 1, 1,
                          1, 0);
    terraintest::WriteTile(dir.Path("seed.ted"), tile);
    const std::string seed = dir.Read("seed.ted");
    std::mt19937 rng(99);
    int opened = 0;
    for (int round = 0; round < 400; ++round) {
        std::string bytes = seed;
        const int flips = 1 + static_cast<int>(rng() % 8);
        for (int f = 0; f < flips; ++f)
            bytes[rng() % bytes.size()] = static_cast<char>(rng());
        dir.Write("m.ted", bytes);
        TerrainGrid grid;
        if (grid.Open(dir.Path("m.ted")) == 0) continue;
        ++opened;
        for (int i = 0; i < 200; ++i) {
            const auto x = static_cast<std::int32_t>(rng() % (20 * 512)) - 512;
            const auto y = static_cast<std::int32_t>(rng() % (20 * 512)) - 512;
            const world::TerrainHeightResult& r = grid.GetHeightAt(x, y);
            ASSERT_TRUE(std::isfinite(r.height));
        }
    }
    EXPECT_GT(opened, 0);
}

}  // namespace
