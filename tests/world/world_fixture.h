// A small world on disc for the tile-window tests: an installation folder made current, tiles of
// the standard layout (a root of 4 x 4 cells of 2^18 units at level 9) written with the
// program's tile writer, and terrain services that a test steers (the aircraft's position,
// simulated time, the commands posted).
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "platform/file_system.h"
#include "support/temp_folder.h"
#include "world/terrain_manager.h"
#include "world/terrain_services.h"
#include "world/terrain_tile_writer.h"

namespace worldtest {

// The heights of a tile's 5 x 5 root corners (file units), by corner column and row.
using CornerHeights = std::function<std::int32_t(int cx, int cy)>;

inline world::TerrainTileModel StandardTile(const CornerHeights& h) {
    world::TerrainTileModel tile;
    world::TerrainBlockModel root;
    root.firstLevel = root.topLevel = 9;
    root.levels.resize(1);
    root.levels[0].widthExp = root.levels[0].heightExp = 1;
    for (int i = 0; i < 4; ++i)
        root.levels[0].AddSquare();
    for (int cy = 0; cy < 5; ++cy)
        for (int cx = 0; cx < 5; ++cx)
            root.heights[static_cast<std::size_t>(cy * 5 + cx)] = h(cx, cy);
    auto index = [](int cx, int cy) { return static_cast<std::uint8_t>(cy * 5 + cx); };
    for (std::uint32_t y = 0; y < 4; ++y)
        for (std::uint32_t x = 0; x < 4; ++x) {
            const int cx = static_cast<int>(x), cy = static_cast<int>(y);
            world::SetTerrainCell(root.levels[0].DenseCell(x, y), world::kLinkLeaf,
                                  index(cx, cy), index(cx, cy + 1), index(cx + 1, cy + 1),
                                  index(cx + 1, cy), 0);
        }
    root.materialFile = "Art\\Terrain\\USA\\DML\\terrain.dml";
    tile.blocks.push_back(std::move(root));
    return tile;
}

inline std::string TileName(int column, int row) {
    char name[32];
    std::snprintf(name, sizeof name, "NA_%02dX%02d.TED", row, column);
    return name;
}

struct Steering {
    std::int32_t pos[3] = {0, 0, 0};
    std::uint32_t time = 0;
    int posted = 0;
    std::int32_t setting[14] = {60, 1, 1, 60, 2, 1, 1, 1, 1, 1, 0, 0, 1, 1};
};
inline Steering theSteering;

inline world::TerrainServices SteeredServices() {
    return world::TerrainServices{
        [](std::int32_t out[3]) {
            for (int i = 0; i < 3; ++i)
                out[i] = theSteering.pos[i];
        },
        [](std::int32_t y) { theSteering.pos[1] = y; },
        [] { return theSteering.time; },
        [](int i) { return i >= 0 && i < 14 ? theSteering.setting[i] : 0; },
        [](std::uint32_t id) { theSteering.posted += id == 690 ? 1 : 0; },
        [](int) {},
    };
}

// The flight-model position of a point of a tile: (fx, fz) in 0..1 across it.
inline void PlaceInTile(int column, int row, double fx, double fz) {
    const double unit = world::kTileUnits * world::kFlightUnitsPerTerrainUnit;
    theSteering.pos[0] = static_cast<std::int32_t>(std::floor((column - 9 + fx) * unit));
    theSteering.pos[2] = static_cast<std::int32_t>(std::floor((row - 5 + fz) * unit));
}

class WorldFixture : public ::testing::Test {
protected:
    void SetUp() override {
        here = std::make_unique<testsupport::ScopedCurrentFolder>(dir.Root());
        dir.MakeFolders("art/terrain/USA");
        platform::ForgetFolderListings();
        theSteering = Steering{};
        world::theTerrainServices = SteeredServices();
        world::theTerrainDatum = 0;
        world::theTerrainHeight = 0;
        world::theTerrainSampleRestart = 0;
        WriteTile("stub.ted", StandardTile([](int, int) { return 0; }));
    }
    void TearDown() override {
        world::theTerrainServices = world::DefaultTerrainServices();
        here.reset();
        platform::ForgetFolderListings();
    }
    void WriteTile(const std::string& name, const world::TerrainTileModel& tile) {
        std::string error;
        ASSERT_EQ(world::WriteTerrainTile(dir.Path("art/terrain/USA/" + name), tile, &error), 1)
            << error;
        platform::ForgetFolderListings();
    }

    testsupport::TempFolder dir;
    std::unique_ptr<testsupport::ScopedCurrentFolder> here;
};

}  // namespace worldtest
