#include "core/pool_alloc.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using core::BlockAlloc;
using core::CountPoolAlloc;
using core::PoolAlloc;

TEST(PoolAllocTest, AllocWorksWithoutAReservedBlock) {
    PoolAlloc pool(72, 8000);
    EXPECT_EQ(pool.Block(), nullptr);
    std::set<void*> seen;
    for (int i = 0; i < 100; ++i) {
        void* element = pool.Alloc();
        ASSERT_NE(element, nullptr);
        std::memset(element, 0xAB, 72);  // the sanitizer build checks the size
        EXPECT_TRUE(seen.insert(element).second);
    }
    for (void* element : seen)
        pool.Free(element);
    pool.Free(nullptr);
}

TEST(PoolAllocTest, ResetKeepsOrReplacesTheBlock) {
    PoolAlloc pool(12, 800);
    // The first Reset reserves a block even at the constructor's capacity.
    ASSERT_EQ(pool.Reset(800), 1);
    const void* block = pool.Block();
    ASSERT_NE(block, nullptr);
    ASSERT_EQ(pool.Reset(800), 1);
    EXPECT_EQ(pool.Block(), block);  // same capacity: same block, list rebuilt
    ASSERT_EQ(pool.Reset(10), 1);
    EXPECT_EQ(pool.Capacity(), 10);

    // The free list runs over every element in order and ends with null.
    int count = 0;
    const auto* base = static_cast<const std::uint8_t*>(pool.Block());
    for (void* p = pool.FreeHead(); p != nullptr; p = pool.NextFree(p), ++count) {
        EXPECT_EQ(static_cast<const std::uint8_t*>(p), base + 12 * count);
    }
    EXPECT_EQ(count, 10);
    EXPECT_EQ(pool.InUse(), 0u);

    // A capacity of 0 leaves no block and an empty list.
    EXPECT_EQ(pool.Reset(0), 0);
    EXPECT_EQ(pool.Block(), nullptr);
    EXPECT_EQ(pool.FreeHead(), nullptr);
}

TEST(PoolAllocTest, ElementsSmallerThanAPointerStillLink) {
    PoolAlloc pool(4, 4);  // the failure-system pool's shape
    ASSERT_EQ(pool.Reset(4), 1);
    int count = 0;
    for (void* p = pool.FreeHead(); p != nullptr; p = pool.NextFree(p))
        ++count;
    EXPECT_EQ(count, 4);
    EXPECT_EQ(pool.NextFree(static_cast<const std::uint8_t*>(pool.Block()) + 1), nullptr);
}

TEST(PoolAllocTest, PoolCountsFromSettingsAreClamped) {
    EXPECT_EQ(core::ClampPoolCount(-1), 0);
    EXPECT_EQ(core::ClampPoolCount(0), 0);
    EXPECT_EQ(core::ClampPoolCount(20000), 20000);
    EXPECT_EQ(core::ClampPoolCount(70000), 65535);
}

class CountPoolTest : public ::testing::Test {
protected:
    std::string Report() const { return folder_.Read("malloc.out"); }
    testsupport::TempFolder folder_{"files-pool"};
    testsupport::ScopedCurrentFolder here_{folder_.Root()};
};

TEST_F(CountPoolTest, ReportsThePeakToMallocOut) {
    {
        CountPoolAlloc pool(24);
        void* a = pool.Alloc();
        void* b = pool.Alloc();
        void* c = pool.Alloc();
        pool.Free(b);
        void* d = pool.Alloc();
        EXPECT_EQ(pool.InUse(), 3u);
        pool.Free(a);
        pool.Free(c);
        pool.Free(d);
        pool.Free(nullptr);
        pool.Free(nullptr);
        EXPECT_EQ(pool.InUse(), 0u);
        EXPECT_EQ(pool.MaxInUse(), 3u);
        EXPECT_EQ(pool.Reset(100), 1);
        EXPECT_EQ(pool.Block(), nullptr);
    }
    EXPECT_EQ(Report(), "Size:     24, max:     3\n");
    {
        CountPoolAlloc more(8);
        std::vector<void*> live;
        for (int i = 0; i < 70000; ++i)
            live.push_back(more.Alloc());  // past 16 bits
        for (void* p : live)
            more.Free(p);
    }
    EXPECT_EQ(Report(), "Size:     24, max:     3\nSize:      8, max: 70000\n");
}

TEST(BlockAllocTest, HandsOutConsecutivePieces) {
    BlockAlloc block(100);
    auto* a = static_cast<std::uint8_t*>(block.Alloc(60));
    auto* b = static_cast<std::uint8_t*>(block.Alloc(40));
    ASSERT_NE(a, nullptr);
    ASSERT_EQ(b, a + 60);
    EXPECT_EQ(block.Alloc(1), nullptr);
    std::memset(a, 0xFF, 100);
    block.Reset();
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(a[i], 0) << i;
    EXPECT_EQ(block.Alloc(100), a);
    EXPECT_EQ(block.Alloc(0), a + 100);
    EXPECT_EQ(block.Used(), 100u);

    BlockAlloc empty;
    EXPECT_EQ(empty.Alloc(1), nullptr);
}

}  // namespace
