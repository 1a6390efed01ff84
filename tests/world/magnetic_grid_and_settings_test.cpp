// The magnetic grids of the centre tile and the two scenery profiles.
#include <gtest/gtest.h>

#include "core/endian.h"
#include "core/ini_file.h"
#include "core/resource_volume.h"
#include "platform/file_system.h"
#include "support/temp_folder.h"
#include "world/magnetic_grid.h"
#include "world/scenery_settings.h"

namespace {

using world::MagneticGrid;

std::string Grid(std::int16_t (*value)(int column, int row)) {
    std::string bytes(world::kMagneticGridBytes, '\0');
    for (int r = 0; r < 128; ++r)
        for (int c = 0; c < 128; ++c)
            core::WriteU16(reinterpret_cast<std::uint8_t*>(bytes.data()) + 2 * (r * 128 + c),
                           static_cast<std::uint16_t>(value(c, r)));
    return bytes;
}

TEST(MagneticGrid, TilesAreReadRowFirstAndHeldToTheirEdges) {
    testsupport::TempFolder dir;
    testsupport::ScopedCurrentFolder here(dir.Root());
    dir.MakeFolders("Data/Mag");
    dir.MakeFolders("Data/Nor");
    // Tile column 9, row 5 is named "05X09".
    dir.Write("Data/Mag/05X09.mag", Grid([](int c, int r) { return std::int16_t(c + 200 * r); }));
    dir.Write("Data/Nor/05X09.nor", Grid([](int c, int) { return std::int16_t(-c); }));
    dir.Write("Data/Mag/05X10.mag", std::string(100, '\1'));  // not a grid
    platform::ForgetFolderListings();
    EXPECT_EQ(MagneticGrid::MagName(9, 5), "05X09.mag");
    MagneticGrid::Clear();
    ASSERT_EQ(MagneticGrid::LoadMag(9, 5), 1);
    ASSERT_EQ(MagneticGrid::LoadNor(9, 5), 1);
    struct Case {
        float x, y;
        int column, row;
    } cases[] = {
        {-524288.0f, -524288.0f, 0, 0},   {524287.0f, 0.0f, 127, 64},
        {0.0f, 524287.0f, 64, 127},       {-9e6f, 9e6f, 0, 127},  // beyond the tile
        {8191.0f - 524288, 8192.0f - 524288, 0, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MagneticGrid::MagAt(c.x, c.y), c.column + 200 * c.row) << c.x << "," << c.y;
        EXPECT_EQ(MagneticGrid::NorAt(c.x, c.y), -c.column) << c.x << "," << c.y;
    }
    // A missing tile, or a member of the wrong size, leaves the previous values.
    EXPECT_EQ(MagneticGrid::LoadMag(10, 5), 0);
    EXPECT_EQ(MagneticGrid::LoadMag(3, 3), 0);
    EXPECT_EQ(MagneticGrid::MagAt(0.0f, 0.0f), 64 + 200 * 64);
    MagneticGrid::Clear();
}

TEST(SceneryGraphicsSettings, ValuesAreClampedAndProfilesSwitch) {
    testsupport::TempFolder dir;
    dir.Write("z.ini",
              "[Main Scenery Graphics]\nTerrainRange=150\nBuildingDensity=-3\nSkyTexture=yes\n"
              "RunwayLighting=99999999999\n"
              "[Alternate Scenery Graphics]\nTerrainRange=20\n"
              "[Scenery Graphics]\nGraphics Settings=2\n");
    core::IniFile file(dir.Path("z.ini").c_str());
    world::SceneryGraphicsSettings s;
    EXPECT_EQ(s.Get(world::kTerrainRange), 60);
    EXPECT_EQ(s.Get(world::kBuildingDensity), 2);
    EXPECT_EQ(s.ProfileInUse(), 0);
    s.LoadIni(file);
    EXPECT_EQ(s.ProfileInUse(), 1);  // 2 is held to 1: the alternate profile
    EXPECT_EQ(s.Get(world::kTerrainRange), 20);
    s.SelectProfile(0);
    struct Case {
        int index;
        std::int32_t value;
    } cases[] = {{world::kTerrainRange, 100}, {world::kBuildingDensity, 0},
                 {world::kSkyTexture, 0},    {world::kRunwayLighting, 2},
                 {world::kEnableObstacles, 1}, {14, 0}, {-1, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(s.Get(c.index), c.value) << c.index;
    // Saved and read back whole.
    s.Set(world::kCloudDistance, 33);
    core::IniFile out(dir.Path("out.ini").c_str());
    s.SaveIni(out);
    world::SceneryGraphicsSettings back;
    back.LoadIni(out);
    EXPECT_EQ(back.ProfileInUse(), 0);
    EXPECT_EQ(back.Get(world::kCloudDistance), 33);
    back.SelectProfile(1);
    EXPECT_EQ(back.Get(world::kTerrainRange), 20);
}

TEST(SceneryGraphicsSettings, AssignmentCopiesByIndexAndZeroesMissingRows) {
    world::SceneryGraphicsSettings a;
    a.Set(world::kTerrainRange, 7);
    a.SelectProfile(1);
    a.Set(world::kTerrainRange, 9);
    world::SceneryGraphicsSettings b;
    b = a;
    EXPECT_EQ(b.ProfileInUse(), 1);
    EXPECT_EQ(b.Get(world::kTerrainRange), 9);
    b.SelectProfile(0);
    EXPECT_EQ(b.Get(world::kTerrainRange), 7);
    // A profile that lacks a row gives that row 0.
    auto& rows = a.mainProfile.Rows();
    rows.erase(rows.begin() + world::kEnableSun);
    world::SceneryGraphicsSettings c;
    c = a;
    c.SelectProfile(0);
    EXPECT_EQ(c.Get(world::kEnableSun), 0);
    EXPECT_EQ(c.Get(world::kEnableMoon), 1);
}

}  // namespace
