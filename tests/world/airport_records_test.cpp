// The airport object files: round trips through the writers, damaged files that skip what is
// bad and never read past the member, and the obstacle shape table.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/endian.h"
#include "world/airport_records.h"

namespace {

using world::BuildingRecord;
using world::ObstacleRecord;
using world::RunwayRecord;

TEST(AirportRecords, EveryKindRoundTripsThroughItsWriter) {
    RunwayRecord r;
    r.x = 9437184 + 123456;
    r.z = 5242880 - 77;
    r.heading = -1.25f;
    r.width = 150;
    r.length = 5000;
    r.tileId = 0x95;
    r.end1Code = 36 * 4 + 2;
    r.end2Code = 18 * 4 + 1;
    r.flags = 1;
    r.threshold1 = 300;
    r.threshold2 = -1;
    r.markings = 0x12345678;
    BuildingRecord b;
    b.x = 7;
    b.z = -9;
    b.heading = 3.0f;
    b.name = "tower";
    b.tileId = 17;
    b.cls = world::kTowerClass;
    ObstacleRecord o;
    o.type = 14;
    o.light = 7;
    o.x = 1 << 22;
    o.z = 1 << 21;
    o.tileId = 66;
    o.height = 1999;

    const auto runways = world::ReadRunwayRecords(world::WriteRunwayRecords({r, r}));
    ASSERT_EQ(runways.size(), 2u);
    EXPECT_EQ(std::memcmp(world::WriteRunwayRecords({runways[1]}).data(),
                          world::WriteRunwayRecords({r}).data(), 4 + RunwayRecord::kSize),
              0);
    EXPECT_EQ(runways[0].markings, 0x12345678u);
    EXPECT_EQ(runways[0].heading, -1.25f);
    const auto buildings = world::ReadBuildingRecords(world::WriteBuildingRecords({b}));
    ASSERT_EQ(buildings.size(), 1u);
    EXPECT_EQ(buildings[0].name, "tower");
    EXPECT_EQ(buildings[0].cls, world::kTowerClass);
    EXPECT_EQ(world::WriteBuildingRecords({b}).size(), 4u + BuildingRecord::kSize);
    const auto obstacles = world::ReadObstacleRecords(world::WriteObstacleRecords({o}));
    ASSERT_EQ(obstacles.size(), 1u);
    EXPECT_EQ(obstacles[0].height, 1999);
    EXPECT_EQ(obstacles[0].light, 7);
    // A name too long for its field is refused, not cut.
    b.name = "ninechars";
    EXPECT_TRUE(world::WriteBuildingRecords({b}).empty());
}

TEST(AirportRecords, DamagedFilesSkipTheBadRecordsAndStopAtTheMembersEnd) {
    RunwayRecord good;
    good.width = 100;
    good.length = 3000;
    RunwayRecord flat = good;
    flat.width = 0;
    RunwayRecord negative = good;
    negative.length = -20;
    std::vector<std::uint8_t> bytes = world::WriteRunwayRecords({good, flat, negative, good});
    EXPECT_EQ(world::ReadRunwayRecords(bytes).size(), 2u);
    // A count past the member: only the whole records there are read.
    core::WriteU32(bytes.data(), 0xFFFFFFFFu);
    bytes.resize(bytes.size() - 5);
    EXPECT_EQ(world::ReadRunwayRecords(bytes).size(), 1u);
    EXPECT_TRUE(world::ReadRunwayRecords({1, 0}).empty());
    EXPECT_TRUE(world::ReadRunwayRecords({}).empty());

    // An unterminated name stops at its field; an unknown obstacle type is skipped.
    std::vector<std::uint8_t> b(4 + BuildingRecord::kSize, 'A');
    core::WriteU32(b.data(), 1);
    const auto buildings = world::ReadBuildingRecords(b);
    ASSERT_EQ(buildings.size(), 1u);
    EXPECT_EQ(buildings[0].name, "AAAAAAAA");
    ObstacleRecord unknown;
    unknown.type = 15;
    ObstacleRecord mast;
    mast.type = 0;
    EXPECT_EQ(world::ReadObstacleRecords(world::WriteObstacleRecords({unknown, mast, unknown})).size(),
              1u);

    // Random bytes never read past what they are.
    std::mt19937 random(5);
    for (int i = 0; i < 2000; ++i) {
        std::vector<std::uint8_t> junk(random() % 200);
        for (auto& c : junk)
            c = static_cast<std::uint8_t>(random());
        const std::size_t room = junk.size() < 4 ? 0 : junk.size() - 4;
        EXPECT_LE(world::ReadRunwayRecords(junk).size(), room / RunwayRecord::kSize);
        EXPECT_LE(world::ReadBuildingRecords(junk).size(), room / BuildingRecord::kSize);
        EXPECT_LE(world::ReadObstacleRecords(junk).size(), room / ObstacleRecord::kSize);
    }
}

TEST(AirportRecords, ObstacleShapesByTypeAndHeight) {
    struct Case {
        int type, height;
        const char* shape;
    };
    for (const Case c : {Case{0, 91, "TWR_0100"}, Case{0, 90, "TWR_0050"}, Case{3, 551, "stk_0600.dts"},
                         Case{14, 2100, "TWR_2000"}, Case{8, 80, "pole0050.dts"},
                         Case{13, 5, "wind0200.dts"}, Case{12, 391, "cool0500.dts"},
                         Case{0, 40000, "TWR_2000"}}) {
        ASSERT_NE(world::ObstacleShapeName(c.type, c.height), nullptr) << c.type;
        EXPECT_STREQ(world::ObstacleShapeName(c.type, c.height), c.shape) << c.type << " " << c.height;
    }
    EXPECT_EQ(world::ObstacleShapeName(15, 100), nullptr);
    EXPECT_EQ(world::ObstacleShapeName(-1, 100), nullptr);
}

TEST(AirportRecords, TilesAndOffsetsInsideThem) {
    EXPECT_EQ(world::TileIdOf(9 << 20, 5 << 20), 9 * 16 + 5);
    EXPECT_EQ(world::TileIdOf((16 << 20), 0), world::kNoTile);
    EXPECT_EQ(world::TileIdOf(-1, 0), world::kNoTile);
    EXPECT_EQ(world::OffsetInTile((3 << 20) + 77), 77);
    EXPECT_EQ(world::OffsetInTile(-((3 << 20) + 77)), -77);
    EXPECT_EQ(world::OffsetInTile(INT32_MIN), 0);
}

}  // namespace
