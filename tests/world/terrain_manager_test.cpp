// The tile window: paging along a long flight against a model of the window, the ground datum,
// the warning when the aircraft reaches a tile without terrain, queries across the window, the
// scenery searches, shared material lists and the ground textures.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <utility>

#include "core/endian.h"
#include "core/ini_file.h"
#include "gfx/bitmap.h"
#include "world/terrain_materials.h"
#include "world/world_fixture.h"

namespace {

using worldtest::PlaceInTile;
using worldtest::StandardTile;
using worldtest::theSteering;

// Hills of 0 to ~2,500 ft in file units that differ from tile to tile.
worldtest::CornerHeights Hills(int column, int row) {
    return [=](int cx, int cy) {
        const double x = column * 4 + cx, y = row * 4 + cy;
        return static_cast<std::int32_t>(1600 + 1500 * std::sin(x * 0.9) * std::cos(y * 0.7));
    };
}

class TileWindow : public worldtest::WorldFixture {
protected:
    void MakeTiles(int c0, int r0, int c1, int r1) {
        for (int c = c0; c <= c1; ++c)
            for (int r = r0; r <= r1; ++r)
                WriteTile(worldtest::TileName(c, r), StandardTile(Hills(c, r)));
    }
};

struct Tile {
    int column, row;
    bool operator<(const Tile& o) const {
        return column != o.column ? column < o.column : row < o.row;
    }
};

// What the window should hold: a move of one tile keeps what stays inside the 3 x 3 window, a
// longer one starts afresh; then the centre and the neighbours by the aircraft's corner third.
void ModelPage(std::set<Tile>& loaded, int& cc, int& cr, const world::TilePosition& at) {
    const bool near = cc >= 0 && std::abs(at.column - cc) <= 1 && std::abs(at.row - cr) <= 1;
    std::set<Tile> kept;
    if (near)
        for (const Tile& t : loaded)
            if (std::abs(t.column - at.column) <= 1 && std::abs(t.row - at.row) <= 1)
                kept.insert(t);
    loaded = kept;
    cc = at.column;
    cr = at.row;
    const int sx = (at.flags & 1) ? -1 : ((at.flags & 2) ? 1 : 0);
    const int sz = (at.flags & 4) ? -1 : ((at.flags & 8) ? 1 : 0);
    auto add = [&](int dx, int dz) {
        const int c = cc + dx, r = cr + dz;
        if (c >= 0 && c < 16 && r >= 0 && r < 16) loaded.insert({c, r});
    };
    if (sx != 0 && sz != 0) add(sx, sz);
    if (sx != 0) add(sx, 0);
    if (sz != 0) add(0, sz);
    add(0, 0);
}

TEST_F(TileWindow, AFlightOverFourTilesPagesAsTheWindowSaysAndKeepsItsAltitude) {
    MakeTiles(5, 7, 8, 10);
    world::TerrainManager m;
    m.InitDiskCache();
    std::set<Tile> model;
    int cc = -1, cr = -1;
    std::uint32_t flags = 0xFF;
    // A circle through the corners of tiles (6..7) x (8..9), well above every hill.
    const double altitude = 6000.0 * 256;  // 1/256 m
    theSteering.pos[1] = static_cast<std::int32_t>(altitude);
    double firstAltitude = 0.0;
    for (int tick = 0; tick < 10000; ++tick) {
        const double a = tick * 2.0 * 3.14159265358979 / 10000.0;
        PlaceInTile(7, 9, 0.05 + 0.9 * std::cos(a), 0.03 + 0.85 * std::sin(a));
        m.TrackAircraft();
        const world::TilePosition at =
            world::TileOfPosition(theSteering.pos[0], theSteering.pos[2]);
        if (at.column != cc || at.row != cr || at.flags != flags) {
            ModelPage(model, cc, cr, at);
            flags = at.flags;
        }
        std::set<Tile> got;
        for (int s = 0; s < 9; ++s) {
            if (const world::TerrainTile* t = m.Slot(s)) {
                got.insert({t->column, t->row});
                ASSERT_EQ(t->column - cc + 1, s / 3) << "tick " << tick;
                ASSERT_EQ(t->row - cr + 1, s % 3) << "tick " << tick;
                ASSERT_EQ(t->OriginX(), 4 * (s / 3) - 6);
            }
        }
        ASSERT_EQ(got.size(), model.size()) << "tick " << tick;
        ASSERT_TRUE(std::equal(got.begin(), got.end(), model.begin(),
                               [](const Tile& x, const Tile& y) {
                                   return x.column == y.column && x.row == y.row;
                               }))
            << "tick " << tick;
        const double asl = static_cast<double>(theSteering.pos[1]) + world::theTerrainDatum;
        if (tick == 0) firstAltitude = asl;
        ASSERT_NEAR(asl, firstAltitude, 1.0) << "tick " << tick;
        ASSERT_EQ(world::theTerrainHeight, 0);
    }
    EXPECT_EQ(theSteering.posted, 0);
}

TEST_F(TileWindow, TheDatumFollowsTheGroundAndAJumpKeepsTheHeightAboveIt) {
    MakeTiles(5, 5, 9, 6);
    world::TerrainManager m;
    m.InitDiskCache();
    // The first fix: the aircraft keeps its height above the new ground.
    PlaceInTile(6, 5, 0.5, 0.5);
    theSteering.pos[1] = 1000;
    m.TrackAircraft();
    const std::int32_t ground = world::theTerrainDatum;
    EXPECT_NE(ground, 0);
    EXPECT_EQ(theSteering.pos[1], 1000);
    // Within the window the altitude above sea level stays.
    PlaceInTile(6, 5, 0.9, 0.5);
    m.TrackAircraft();
    EXPECT_NEAR(theSteering.pos[1] + world::theTerrainDatum, 1000 + ground, 1);
    // Two tiles away: everything is reloaded, and the height above the ground is kept.
    PlaceInTile(9, 6, 0.5, 0.5);
    m.TrackAircraft();
    EXPECT_EQ(m.CentreColumn(), 9);
    const std::int32_t kept = theSteering.pos[1];
    PlaceInTile(9, 6, 0.5, 0.5);
    m.TrackAircraft();
    EXPECT_EQ(theSteering.pos[1], kept);
    // The ground under the aircraft matches the height query at its grid position.
    const world::TerrainHeightResult& h = m.GetHeightAtGrid(0, 0);
    EXPECT_EQ(world::theTerrainDatum, static_cast<std::int32_t>(std::trunc(h.height * 100.584)));
}

TEST_F(TileWindow, ReachingATileWithoutTerrainWarnsOnceAfterFiveSeconds) {
    MakeTiles(5, 5, 5, 5);
    world::TerrainManager m;
    m.InitDiskCache();
    PlaceInTile(5, 5, 0.5, 0.5);
    m.TrackAircraft();
    ASSERT_NE(m.CentreTile(), nullptr);
    EXPECT_EQ(m.CentreTile()->state, 0u);
    theSteering.time = 4000;
    m.TrackAircraft();
    // Too soon: onto the stub after four seconds says nothing.
    PlaceInTile(6, 5, 0.5, 0.5);
    m.TrackAircraft();
    EXPECT_EQ(m.CentreTile()->state, 1u);
    EXPECT_EQ(theSteering.posted, 0);
    // Back on real terrain long enough, then onto the stub again: one warning.
    PlaceInTile(5, 5, 0.5, 0.5);
    m.TrackAircraft();
    theSteering.time = 12000;
    m.TrackAircraft();
    PlaceInTile(6, 5, 0.5, 0.5);
    for (int i = 0; i < 100; ++i) {
        theSteering.time += 55;
        m.TrackAircraft();
    }
    EXPECT_EQ(theSteering.posted, 1);
    // Placed on a stub from afar (an airport chosen beyond the terrain), or back: no warning.
    for (const auto& [column, row] : {std::pair{5, 5}, {8, 5}, {5, 5}, {5, 8}}) {
        PlaceInTile(column, row, 0.5, 0.5);
        for (int i = 0; i < 200; ++i) {
            theSteering.time += 55;
            m.TrackAircraft();
        }
    }
    EXPECT_EQ(theSteering.posted, 1);
    // Beyond the world's edge there is no tile at all.
    PlaceInTile(16, 5, 0.5, 0.5);
    m.TrackAircraft();
    EXPECT_EQ(m.CentreTile(), nullptr);
    EXPECT_EQ(world::TerrainTile::IdFor(16, 5), world::kNoTileId);
    EXPECT_EQ(world::TerrainTile::IdFor(3, -1), world::kNoTileId);
    EXPECT_EQ(world::TerrainTile::IdFor(3, 4), 3 * 16 + 4);
    const double far[3] = {16.5 * world::kTileUnits, 5.5 * world::kTileUnits, 0};
    EXPECT_EQ(m.GetTileAt(far), nullptr);
    EXPECT_EQ(m.GetHeightAt(far).height, 0.0f);
    EXPECT_EQ(m.HasTerrainAt(far), 0);
}

TEST_F(TileWindow, QueriesFindTheTileOfAWorldPoint) {
    MakeTiles(5, 5, 7, 7);
    world::TerrainManager m;
    m.InitDiskCache();
    PlaceInTile(6, 6, 0.1, 0.9);  // west and north thirds: three neighbours load
    m.TrackAircraft();
    int loaded = 0;
    for (int s = 0; s < 9; ++s)
        loaded += m.Slot(s) != nullptr ? 1 : 0;
    EXPECT_EQ(loaded, 4);
    double origin[3];
    m.GetWindowOrigin(origin);
    EXPECT_EQ(origin[0], ((9 - 6) - 0.5) * world::kTileUnits);
    // A corner of tile (5, 7) in world units, and the same point in grid units.
    const double corner[3] = {5.0 * world::kTileUnits + 3, 7.0 * world::kTileUnits + 5, 0};
    ASSERT_NE(m.GetTileAt(corner), nullptr);
    EXPECT_EQ(m.GetTileAt(corner)->column, 5);
    double grid[3];
    m.WorldToGrid(corner, grid);
    EXPECT_EQ(grid[0], -1.5 * world::kTileUnits + 3);
    EXPECT_EQ(m.GetTileAtGrid(static_cast<std::int32_t>(grid[0]),
                              static_cast<std::int32_t>(grid[1])),
              m.GetTileAt(corner));
    EXPECT_NEAR(m.GetHeightAt(corner).height,
                static_cast<float>(world::ConvertHeightToTerrain(Hills(5, 7)(0, 0))), 0.1);
    double back[3];
    m.GridToWorld(grid, back);
    EXPECT_EQ(back[0], corner[0]);
    EXPECT_EQ(m.HasTerrainAt(corner), 1);
    const double missing[3] = {2.5 * world::kTileUnits, 2.5 * world::kTileUnits, 0};
    EXPECT_EQ(m.HasTerrainAt(missing), 0);
}

TEST_F(TileWindow, TheTowerAndRunwaySearchesVisitEveryNeighbour) {
    MakeTiles(5, 5, 7, 7);
    world::TerrainManager m;
    m.InitDiskCache();
    PlaceInTile(6, 6, 0.1, 0.5);  // west third: the centre and its west neighbour
    m.TrackAircraft();
    world::TerrainTile* west = m.Slot(1);
    ASSERT_NE(west, nullptr);
    ASSERT_EQ(west->column, 5);
    const double aircraft[3] = {6.05 * world::kTileUnits, 6.5 * world::kTileUnits, 100};
    EXPECT_EQ(m.FindNearestTower(aircraft), nullptr);
    // A tower across the western edge (an edge neighbour, not a corner one).
    world::TerrainObjectEntry tower;
    tower.position[0] = 5.98 * world::kTileUnits;
    tower.position[1] = 6.5 * world::kTileUnits;
    west->towers.push_back(tower);
    world::TerrainObjectEntry farTower = tower;
    farTower.position[0] = 6.6 * world::kTileUnits;
    m.CentreTile()->towers.push_back(farTower);
    const world::TerrainObjectEntry* found = m.FindNearestTower(aircraft);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->position[0], tower.position[0]);
    world::TerrainObjectEntry runway;
    for (int i = 0; i < 3; ++i)
        runway.position[i] = aircraft[i];
    runway.position[0] -= 0.004 * world::kTileUnits;
    runway.contains = [](const void*, const double*) { return 1; };
    EXPECT_EQ(m.IsOnRunway(aircraft), 0);
    west->runways.push_back(runway);
    EXPECT_EQ(m.IsOnRunway(aircraft), 1);
}

// Towers and runways still without their ground's height: the searches find it for the entries
// whose distance over the ground leaves the answer open, and answer as with every height known.
TEST_F(TileWindow, TheSearchesFindTheGroundOnlyWhereItDecides) {
    MakeTiles(5, 5, 7, 7);
    world::TerrainManager m;
    m.InitDiskCache();
    PlaceInTile(6, 6, 0.5, 0.5);
    m.TrackAircraft();
    static int asked = 0;
    asked = 0;
    // The object is the ground's height itself.
    static const double kLow = 0.0, kHigh = 4900.0;
    auto pending = [](double east, const double* height) {
        world::TerrainObjectEntry e;
        e.position[0] = 6.5 * world::kTileUnits + east;
        e.position[1] = 6.5 * world::kTileUnits;
        e.object = height;
        e.ground = [](const void* o, double p[3]) {
            ++asked;
            p[2] = *static_cast<const double*>(o);
        };
        return e;
    };
    const double aircraft[3] = {6.5 * world::kTileUnits, 6.5 * world::kTileUnits, 5000};
    // Nearest over the ground but 5 km below; a little farther, at the aircraft's height; far.
    world::TerrainTile* centre = m.CentreTile();
    centre->towers = {pending(1000, &kLow), pending(1200, &kHigh), pending(100000, &kLow)};
    const world::TerrainObjectEntry* found = m.FindNearestTower(aircraft);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found, &centre->towers[1]);
    EXPECT_EQ(asked, 2);  // the far one is farther over the ground than the nearest
    // A runway 6,000 away over the ground is never near enough to be on; one below the aircraft is.
    asked = 0;
    centre->runways = {pending(6000, &kLow), pending(0, &kHigh)};
    for (world::TerrainObjectEntry& r : centre->runways)
        r.contains = [](const void*, const double*) { return 1; };
    EXPECT_EQ(m.IsOnRunway(aircraft), 1);
    EXPECT_EQ(asked, 1);
}

TEST_F(TileWindow, MaterialListsAreSharedAndTexturesComeFromGridText) {
    MakeTiles(5, 5, 6, 5);
    // The tiles' material list in the textured folder, naming one ground texture.
    world::TerrainMaterialList list;
    list.perSet = 2;
    list.materials.resize(2);
    list.materials[0].type = world::kMaterialTexture;
    list.materials[0].shading = world::kShadingSmooth;
    list.materials[0].textureName = "grass";
    list.materials[1].type = world::kMaterialPalette;
    list.materials[1].shading = world::kShadingSmooth;
    list.materials[1].paletteIndex = 180;
    const std::vector<std::uint8_t> dml = list.Store();
    dir.MakeFolders("Art/Terrain/USA/DML");
    dir.Write("Art/Terrain/USA/DML/terrain.dml", std::string(dml.begin(), dml.end()));
    std::string grid(4 + 2 * 16 + 2 * 65536, '\0');
    core::WriteU32(reinterpret_cast<std::uint8_t*>(grid.data()), 2);
    std::memcpy(grid.data() + 4, "rock", 4);
    std::memcpy(grid.data() + 20, "grass", 5);
    grid[4 + 32 + 65536 + 7] = 42;  // a pixel of the second image
    dir.Write("art/terrain/USA/GridText.bin", grid);
    platform::ForgetFolderListings();

    world::TerrainManager m;
    m.InitDiskCache();
    ASSERT_TRUE(m.IsGridTextMapped());
    EXPECT_EQ(m.GroundTextureCount(), 2u);
    PlaceInTile(5, 5, 0.9, 0.5);  // east third: two tiles share the list
    m.TrackAircraft();
    ASSERT_NE(m.Slot(7), nullptr);
    EXPECT_EQ(m.MaterialListCount(), 1u);
    const world::TerrainHeightResult& h = m.GetHeightAtGrid(0, 0);
    ASSERT_NE(h.material, nullptr);
    EXPECT_EQ(h.material->type, world::kMaterialTexture);
    ASSERT_NE(h.material->texture, nullptr);
    EXPECT_EQ(h.material->texture->pixels[7], 42);
    const world::TerrainMaterialList* shared = m.Slot(4)->Root()->materials;
    EXPECT_EQ(shared->materials[1].shading, world::kShadingFlat);  // drawn flat on terrain
    m.ReleaseTiles();
    EXPECT_EQ(m.MaterialListCount(), 0u);
    EXPECT_FALSE(m.IsGridTextMapped());

    // A damaged texture file stays unmapped.
    for (const std::string& bad : {std::string(3, '\0'), grid.substr(0, grid.size() - 1)}) {
        dir.Write("art/terrain/USA/GridText.bin", bad);
        platform::ForgetFolderListings();
        world::TerrainManager broken;
        broken.InitDiskCache();
        EXPECT_FALSE(broken.IsGridTextMapped());
        EXPECT_EQ(broken.FindGroundTexture("grass"), nullptr);
    }
}

TEST_F(TileWindow, LowTerrainReadsEveryTileFromTheStub) {
    MakeTiles(5, 5, 5, 5);
    core::theIniFile.PutInt("Graphics", "LowTerrain", 1);
    world::TerrainManager m;
    core::theIniFile.PutInt("Graphics", "LowTerrain", 0);
    m.InitDiskCache();
    PlaceInTile(5, 5, 0.5, 0.5);
    m.TrackAircraft();
    ASSERT_NE(m.CentreTile(), nullptr);
    EXPECT_EQ(m.CentreTile()->state, 1u);
    EXPECT_EQ(m.GetHeightAtGrid(0, 0).height, 0.0f);
    // A damaged stub leaves the slot empty.
    dir.Write("art/terrain/USA/stub.ted", "VOL garbage");
    PlaceInTile(5, 5, 0.5, 0.5);
    world::TerrainManager m2;
    m2.InitDiskCache();
    PlaceInTile(7, 5, 0.5, 0.5);
    m2.TrackAircraft();
    EXPECT_EQ(m2.CentreTile(), nullptr);
}

}  // namespace
