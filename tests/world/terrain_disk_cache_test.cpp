// The tile disk cache: a folder that stays within its size over a long run of copies, keeps what
// it did not copy, evicts by its own stamps, and gives up (opening tiles where they lie) when it
// cannot help.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/resource_volume.h"
#include "platform/file_system.h"
#include "support/temp_folder.h"
#include "world/terrain_disk_cache.h"
#include "world/world_fixture.h"

namespace {

namespace fs = std::filesystem;

class DiskCache : public ::testing::Test {
protected:
    void SetUp() override {
        here = std::make_unique<testsupport::ScopedCurrentFolder>(dir.Root());
        dir.MakeFolders("art/terrain/USA");
        dir.MakeFolders("src/Corvex/art/terrain/USA");
        core::SetCdRoot((dir.Root() + "/src/").c_str());
        platform::ForgetFolderListings();
    }
    void TearDown() override {
        core::SetCdRoot("");
        here.reset();
    }
    void Source(const std::string& name, std::size_t bytes) {
        dir.Write("src/Corvex/art/terrain/USA/" + name, std::string(bytes, 'x'));
        platform::ForgetFolderListings();
    }
    void Local(const std::string& name, std::size_t bytes) {
        dir.Write("art/terrain/USA/" + name, std::string(bytes, 'y'));
        platform::ForgetFolderListings();
    }
    [[nodiscard]] bool HasLocal(const std::string& name) const {
        return fs::exists(dir.Path("art/terrain/USA/" + name));
    }
    [[nodiscard]] std::uintmax_t FolderBytes() const {
        std::uintmax_t sum = 0;
        for (const auto& e : fs::directory_iterator(dir.Path("art/terrain/USA")))
            if (e.path().extension() == ".TED" || e.path().extension() == ".ted")
                sum += e.file_size();
        return sum;
    }
    static std::string Path(const std::string& name) { return "art\\terrain\\USA\\" + name; }

    testsupport::TempFolder dir;
    std::unique_ptr<testsupport::ScopedCurrentFolder> here;
};

TEST_F(DiskCache, AHundredAndTwentyTilesThroughAFiveMegabyteCache) {
    Local("stub.ted", 300 << 10);
    Local("NA_00X00.TED", 400 << 10);  // the user's own tile
    for (int i = 0; i < 120; ++i)
        Source(worldtest::TileName(i % 12, i / 12), (150 + 7 * (i % 13)) << 10);
    world::TerrainDiskCache cache;
    cache.Init("art\\terrain", "USA", 5);
    EXPECT_EQ(cache.Capacity(), 5u << 20);
    int copied = 0;
    // Every tile once, then the last ones again (already here: used as they are).
    for (int round = 0; round < 2; ++round) {
        for (int i = round == 0 ? 0 : 110; i < 120; ++i) {
            const std::string name = worldtest::TileName(i % 12, i / 12);
            const std::string path = cache.Fetch(Path(name));
            ASSERT_FALSE(path.empty()) << name;
            copied += path == Path(name) ? 1 : 0;
            ASSERT_LE(FolderBytes(), 5u << 20) << name;
            ASSERT_TRUE(HasLocal("stub.ted"));
            ASSERT_TRUE(HasLocal("NA_00X00.TED"));
            ASSERT_LE(cache.Entries().size(), 92u);
        }
    }
    EXPECT_EQ(copied, 130);
    // A second start reads the stamps back: the newest copies are the last ones fetched.
    world::TerrainDiskCache again;
    again.Init("art\\terrain", "USA", 5);
    ASSERT_FALSE(again.Entries().empty());
    EXPECT_EQ(again.Entries().front().name, worldtest::TileName(119 % 12, 119 / 12));
    EXPECT_EQ(again.BytesCached(), FolderBytes());
}

TEST_F(DiskCache, SizesAreClampedAndAFullFolderSwitchesItOff) {
    struct Case {
        std::int32_t megabytes;
        std::uint64_t capacity;
    } cases[] = {{0, 5u << 20}, {-7, 5u << 20}, {300, 200u << 20}, {25, 25u << 20}};
    for (const Case& c : cases) {
        world::TerrainDiskCache cache;
        cache.Init("art\\terrain", "USA", c.megabytes);
        EXPECT_EQ(cache.Capacity(), c.capacity) << c.megabytes;
    }
    for (int i = 0; i < 92; ++i)
        Local("F" + std::to_string(i) + ".ted", 10);
    Source("NA_03X04.TED", 100);
    world::TerrainDiskCache cache;
    cache.Init("art\\terrain", "USA", 25);
    EXPECT_FALSE(cache.IsOn());
    // Off: a tile found only on the source is opened where it lies.
    const std::string path = cache.Fetch(Path("NA_03X04.TED"));
    EXPECT_NE(path, Path("NA_03X04.TED"));
    EXPECT_TRUE(fs::exists(platform::ResolvePath(path).path));
    EXPECT_FALSE(HasLocal("NA_03X04.TED"));
    EXPECT_EQ(cache.Fetch(Path("NA_09X09.TED")), "");
}

TEST_F(DiskCache, AFullTableGivesUpItsOldestCopyFirst) {
    for (int i = 0; i < 91; ++i)
        Local("U" + std::to_string(i) + ".ted", 10);  // the user's files: never evicted
    Source("NA_01X01.TED", 100);
    Source("NA_01X02.TED", 100);
    Source("NA_01X03.TED", 100);
    world::TerrainDiskCache cache;
    cache.Init("art\\terrain", "USA", 200);
    ASSERT_TRUE(cache.IsOn());
    EXPECT_EQ(cache.Fetch(Path("NA_01X01.TED")), Path("NA_01X01.TED"));
    EXPECT_EQ(cache.Entries().size(), 92u);
    // The table is full: the one copy of the cache goes before the next comes in.
    EXPECT_EQ(cache.Fetch(Path("NA_01X02.TED")), Path("NA_01X02.TED"));
    EXPECT_EQ(cache.Entries().size(), 92u);
    EXPECT_FALSE(HasLocal("NA_01X01.TED"));
    // Protected copies stay; with nothing else to give up, the tile is opened on the source.
    fs::permissions(dir.Path("art/terrain/USA/NA_01X02.TED"), fs::perms::owner_read);
    const std::string path = cache.Fetch(Path("NA_01X03.TED"));
    EXPECT_NE(path, Path("NA_01X03.TED"));
    EXPECT_TRUE(HasLocal("NA_01X02.TED"));
    fs::permissions(dir.Path("art/terrain/USA/NA_01X02.TED"), fs::perms::owner_all);
}

TEST_F(DiskCache, LongNamesAndForeignFilesAreLeftAlone) {
    Local("a-very-long-tile-name.ted", 3 << 20);
    Local("NA_07X07.TED", 2 << 20);
    Source("NA_01X01.TED", 2 << 20);
    Source("NA_01X02.TED", 4 << 20);
    Source("a-very-long-source-name.ted", 100);
    world::TerrainDiskCache cache;
    cache.Init("art\\terrain", "USA", 5);
    // The long name is not in the table (and not counted); the user's tile is.
    EXPECT_EQ(cache.Entries().size(), 1u);
    EXPECT_EQ(cache.BytesCached(), 2u << 20);
    EXPECT_EQ(cache.Fetch(Path("NA_01X01.TED")), Path("NA_01X01.TED"));
    // No room without deleting what the cache did not copy: opened where it lies, and the
    // cache's own copy is not given up for nothing.
    const std::string second = cache.Fetch(Path("NA_01X02.TED"));
    EXPECT_NE(second, Path("NA_01X02.TED"));
    EXPECT_TRUE(HasLocal("NA_01X01.TED"));
    EXPECT_TRUE(HasLocal("NA_07X07.TED"));
    EXPECT_TRUE(HasLocal("a-very-long-tile-name.ted"));
    // A long name is never copied.
    EXPECT_NE(cache.Fetch(Path("a-very-long-source-name.ted")), Path("a-very-long-source-name.ted"));
    // A tile already here is used as it is and stamped, so it is the newest.
    EXPECT_EQ(cache.Fetch(Path("NA_01X01.TED")), Path("NA_01X01.TED"));
    EXPECT_EQ(cache.Entries().front().name, "NA_01X01.TED");
}

}  // namespace

namespace {

// The installation's list of shipped tiles: a listed tile is missing only when neither the local
// folder nor the installation source holds it (the cache deletes the copies it made); a list
// that is not one names nothing.
TEST_F(DiskCache, AShippedTileIsMissingOnlyWhenNowhere) {
    struct Case {
        const char* name;
        const char* list;  // nullptr: no list
        std::vector<std::string> missing;
        world::ShippedTilesList read;
    };
    const Case cases[] = {
        {"local, on the source only, and gone",
         "Zephlon terrain tiles\nNA_01X01.TED\nNA_01X02.TED\nNA_01X03.TED\n",
         {"art\\terrain\\USA\\NA_01X03.TED"},
         world::ShippedTilesList::Read},
        {"written on another system",
         "Zephlon terrain tiles\r\nNA_01X03.TED\r\n",
         {"art\\terrain\\USA\\NA_01X03.TED"},
         world::ShippedTilesList::Read},
        {"no list", nullptr, {}, world::ShippedTilesList::Missing},
        {"another file's text", "NA_01X03.TED\n", {}, world::ShippedTilesList::Damaged},
        {"a path in place of a name",
         "Zephlon terrain tiles\n..\\..\\NA_01X03.TED\n",
         {},
         world::ShippedTilesList::Damaged},
        {"a name no tile has",
         "Zephlon terrain tiles\nNA_01X03.TED\nreadme.txt\n",
         {},
         world::ShippedTilesList::Damaged},
        {"the stub listed",
         "Zephlon terrain tiles\nstub.ted\n",
         {},
         world::ShippedTilesList::Damaged},
        {"cut before its title ends", "Zephlon terr", {}, world::ShippedTilesList::Damaged},
    };
    Local("NA_01X01.TED", 10);
    Source("NA_01X02.TED", 10);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(dir.Path("art/terrain/USA/Tiles.lst"));
        if (c.list != nullptr) dir.Write("art/terrain/USA/Tiles.lst", c.list);
        platform::ForgetFolderListings();
        world::ShippedTilesList read = world::ShippedTilesList::Read;
        EXPECT_EQ(world::MissingShippedTiles("art\\terrain\\USA", &read), c.missing);
        EXPECT_EQ(read, c.read);
    }
}

}  // namespace
