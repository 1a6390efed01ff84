// The airport object database: records by tile, the map's obstacle queries, the debug reports
// and their unwritable files, and the beacon lights' set-up and blinking.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <vector>

#include "core/ini_file.h"
#include "core/numeric.h"
#include "core/resource_volume.h"
#include "support/temp_folder.h"
#include "world/airport_objects.h"
#include "world/beacon_light.h"

namespace {

using world::AirportObjectDatabase;
using world::BuildingRecord;
using world::ObstacleRecord;
using world::RunwayRecord;

// A sequence state of up to three sequences, as a shape gives them.
struct FakeSequences {
    int count = 3;
    int lengths[3] = {2, 2, 3};
    std::uint32_t values[3] = {9, 9, 9};
    [[nodiscard]] int Count() const { return count; }
    [[nodiscard]] bool Has(int i) const { return i >= 0 && i < count; }
    [[nodiscard]] int Length(int i) const { return Has(i) ? lengths[i] : 0; }
    void SetValue(int i, std::uint32_t v) {
        if (Has(i)) values[i] = v;
    }
};

TEST(BeaconLight, KindsSetTheirSequencesAndModes) {
    struct Case {
        int kind, count, length2;
        std::uint16_t mode;
        std::uint32_t v0, v1, v2;
        bool report;
    };
    const std::uint32_t kUnset = 9;
    for (const Case c : {Case{0, 3, 2, 2, 1, 1, 0, false}, Case{1, 2, 2, 0, 0, 0, kUnset, false},
                         Case{2, 3, 3, 3, 0, 0, 2, false}, Case{7, 3, 2, 0, 0, 0, 1, true},
                         Case{2, 2, 2, 0, 0, 0, kUnset, false}, Case{3, 3, 2, 2, 0, 0, 1, false},
                         Case{4, 1, 2, 0, 0, kUnset, kUnset, false},
                         Case{5, 3, 2, world::kNoBlinking, 1, 1, 0, false},
                         Case{6, 2, 2, world::kNoBlinking, 1, 1, kUnset, false},
                         Case{9, 3, 2, 2, 0, 0, 1, false}, Case{6, 0, 0, 0, kUnset, kUnset, kUnset, false}}) {
        FakeSequences s;
        s.count = c.count;
        s.lengths[2] = c.length2;
        world::BeaconLight b;
        b.kind = static_cast<std::uint8_t>(c.kind);
        std::string report;
        b.SetUp(s, "TWR_0500", &report);
        EXPECT_EQ(b.mode, c.mode) << c.kind << "/" << c.count;
        EXPECT_EQ(s.values[0], c.v0) << c.kind << "/" << c.count;
        EXPECT_EQ(s.values[1], c.v1) << c.kind << "/" << c.count;
        EXPECT_EQ(s.values[2], c.v2) << c.kind << "/" << c.count;
        EXPECT_EQ(!report.empty(), c.report) << c.kind;
        if (c.report) {
            EXPECT_EQ(report, "Bad shape: TWR_0500 lacks extended white/red sequence");
        }
    }
}

TEST(BeaconLight, IntervalsStayInRangeAndALightBehindRestartsFromNow) {
    core::srand(99);
    for (int i = 0; i < 2000; ++i) {
        world::BeaconLight b;
        b.DrawIntervals();
        ASSERT_TRUE(b.interval[0] >= 6 && b.interval[0] <= 7);
        ASSERT_TRUE(b.interval[1] >= 12 && b.interval[1] <= 15);
    }
    world::BeaconLight b;
    b.DrawIntervals();
    b.mode = 2;
    FakeSequences s;
    // Blinking by night: off for the first interval, on for the second, round again.
    std::vector<std::uint32_t> frames;
    for (std::uint32_t step = 0; step < 60; ++step) {
        b.Advance(s, step, 3);
        frames.push_back(s.values[2]);
    }
    int changes = 0;
    for (std::size_t i = 1; i < frames.size(); ++i)
        changes += frames[i] != frames[i - 1] ? 1 : 0;
    const int period = b.interval[0] + b.interval[1];
    EXPECT_NEAR(changes, 2 * 60 / period, 2);
    // Out of sight for a long time: one change now, then the intervals again from now.
    b.Advance(s, 100000, 3);
    EXPECT_EQ(b.nextSwitch, 100000u);
    b.Advance(s, 100001, 3);
    EXPECT_GE(b.nextSwitch, 100000u + 6u);
    const std::uint32_t before = s.values[2];
    b.Advance(s, 100002, 3);
    EXPECT_EQ(s.values[2], before);
    // By full day, and without blinking, nothing moves.
    world::BeaconLight day = b;
    day.Advance(s, 200000, 1);
    EXPECT_EQ(day.nextSwitch, b.nextSwitch);
    world::BeaconLight steady;
    steady.mode = world::kNoBlinking;
    steady.Advance(s, 200000, 3);
    EXPECT_EQ(steady.nextSwitch, 0u);
    // Mode 3 writes the phase to sequence 0 and white (1) or red (2) to sequence 2.
    world::BeaconLight strobe;
    strobe.mode = 3;
    strobe.Advance(s, 0, 0);
    EXPECT_EQ(s.values[0], 0u);
    EXPECT_EQ(s.values[2], 2u);
}

class Database : public ::testing::Test {
protected:
    void SetUp() override {
        RunwayRecord r;
        r.width = 100;
        r.length = 3000;
        r.tileId = 0x95;
        BuildingRecord tree;
        tree.name = "tree";
        tree.tileId = 0x95;
        tree.cls = 0;
        BuildingRecord beacon = tree;
        beacon.name = "beacon";
        beacon.cls = world::kBeaconClass;
        beacon.x = (9 << 20) + 100;
        beacon.z = (5 << 20) + 100;
        BuildingRecord tower = tree;
        tower.name = "tower";
        tower.cls = world::kTowerClass;
        ObstacleRecord o;
        o.tileId = 0x94;
        o.x = (9 << 20) + 500;
        o.z = (4 << 20) + 1000;
        ObstacleRecord p = o;
        p.tileId = 0x95;
        p.x = (9 << 20) + 2000;
        p.z = (5 << 20) + 3000;
        ObstacleRecord q = p;
        q.x += 100000;
        runwayBytes = world::WriteRunwayRecords({r, r});
        buildingBytes = world::WriteBuildingRecords({tree, beacon, tower});
        obstacleBytes = world::WriteObstacleRecords({o, p, q});
        db.SetRecords(world::ReadRunwayRecords(runwayBytes), world::ReadBuildingRecords(buildingBytes),
                      world::ReadObstacleRecords(obstacleBytes));
    }
    AirportObjectDatabase db;
    std::vector<std::uint8_t> runwayBytes, buildingBytes, obstacleBytes;
    testsupport::TempFolder dir{"zephlon-objects"};
};

TEST_F(Database, RecordsByTileWithTheDensityAndTheTowersApart) {
    EXPECT_EQ(db.RunwaysInTile(0x95).size(), 2u);
    EXPECT_TRUE(db.RunwaysInTile(world::kNoTile).empty());
    EXPECT_EQ(db.BuildingsInTile(0x95, 0).size(), 2u);  // never the tower
    EXPECT_EQ(db.BuildingsInTile(0x95, 3).size(), 1u);  // the beacon only
    EXPECT_EQ(db.BuildingsInTile(0x95, 4).size(), 0u);
    EXPECT_EQ(db.TowersInTile(0x95).size(), 1u);
    EXPECT_EQ(db.ObstaclesInTile(0x95).size(), 2u);
    EXPECT_EQ(db.ObstaclesInTile(0x94).size(), 1u);
    EXPECT_TRUE(db.ObstaclesInTile(0x96).empty());
    const auto points = db.CollectObstaclesInTile((9 << 20) + 7, (5 << 20) + 7);
    ASSERT_EQ(points.size(), 2u);
    EXPECT_EQ(points[0].x, 2000);
    EXPECT_EQ(points[0].z, 3000);
}

TEST_F(Database, ObstaclesNearAPointOneByOne) {
    // Searching round the second obstacle, 1 km: it alone (the third lies 39 km east).
    const std::int32_t x = world::WorldXToFlight((9 << 20) + 2100);
    const std::int32_t z = world::WorldZToFlight((5 << 20) + 2900);
    std::size_t cursor = 0;
    const auto first = db.FindNextObstacleNear(&cursor, x, z, 256000);
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ((*first)[0], world::WorldXToFlight((9 << 20) + 2000));
    EXPECT_FALSE(db.FindNextObstacleNear(&cursor, x, z, 256000).has_value());
    cursor = 0;
    int all = 0;
    while (db.FindNextObstacleNear(&cursor, x, z, 2000000000).has_value())
        ++all;
    EXPECT_EQ(all, 3);
}

TEST_F(Database, DebugReportsAreWrittenWhenAskedAndSkippedWhenTheyCannotBe) {
    dir.Write("settings.ini",
              "[Debug]\nDumpRunways=1\nDumpBuildings=1\nDumpObstacles=1\nVerifyBeacons=1\n");
    core::IniFile settings(dir.Path("settings.ini").c_str());
    // Members from loose files in their folders, as the installation's override works.
    for (const auto& [name, bytes] : {std::pair{"rwys.bin", &runwayBytes},
                                      std::pair{"buildings.bin", &buildingBytes},
                                      std::pair{"obstacle.bin", &obstacleBytes}})
        dir.Write(name, std::string(bytes->begin(), bytes->end()));
    core::ResourceVolume volume(nullptr, dir.Root().c_str(), 0);
    AirportObjectDatabase loaded;
    loaded.Load(&volume, &volume, &volume, &settings, dir.Root());
    EXPECT_EQ(loaded.Runways().size(), 2u);
    EXPECT_EQ(loaded.Obstacles().size(), 3u);
    EXPECT_EQ(dir.Read("DmpRwy.out"), "gI: 95\ngI: 95\n");
    EXPECT_NE(dir.Read("DmpBuild.out").find("[gI: 95] [p: 3] ["), std::string::npos);
    EXPECT_NE(dir.Read("DmpOb.out").find("TWR_0050"), std::string::npos);
    ASSERT_EQ(loaded.BeaconEntries(), 1u);
    const double aircraft[3] = {(9 << 20) + 100.0, (5 << 20) + 400.0, 0};
    world::thePlaceServices.name = [] { return "San Carlos"; };
    loaded.CheckBeacons(aircraft);
    loaded.WriteBeaconReport();
    EXPECT_NE(dir.Read("BeacErr.Out").find("[    300] [arlos]"), std::string::npos);
    world::thePlaceServices.name = [] { return "Ab"; };  // shorter than the tag
    const double nearer[3] = {(9 << 20) + 100.0, (5 << 20) + 100.0, 0};
    loaded.CheckBeacons(nearer);
    loaded.WriteBeaconReport();
    EXPECT_NE(dir.Read("BeacErr.Out").find("[   Ab]"), std::string::npos);
    world::thePlaceServices.name = [] { return ""; };
    // A folder nobody may write: the reports are skipped and the records still load.
    const std::string locked = dir.Path("locked");
    ::mkdir(locked.c_str(), 0500);
    AirportObjectDatabase again;
    again.Load(&volume, &volume, &volume, &settings, locked);
    again.WriteBeaconReport();
    EXPECT_EQ(again.Runways().size(), 2u);
    // No volume at all: empty, no complaint.
    AirportObjectDatabase none;
    none.Load(nullptr, nullptr, nullptr, &settings, locked);
    EXPECT_TRUE(none.Runways().empty() && none.Buildings().empty() && none.Obstacles().empty());
}

}  // namespace
