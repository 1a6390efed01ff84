// The texture manager: packing many pictures onto shared sheets without overlap and with every
// texel where its entry says, whole-sheet pictures, names without regard to case, counted
// release down to no sheet, the name cache's room, the ".txs"/".txl" files and damaged ones.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "core/endian.h"
#include "gfx/bitmap.h"
#include "support/temp_folder.h"
#include "ts/shape_resource.h"
#include "ts/texture_manager.h"

namespace {

using ts::TSTextureManager;
using Entry = TSTextureManager::Entry;

// A w x h picture whose every texel tells its picture and place.
std::unique_ptr<gfx::GFXBitmap> Picture(int w, int h, int seed, int bpp = 8) {
    auto b = gfx::GFXBitmap::Create(w, h, bpp);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w * bpp / 8; ++x)
            b->Row(y)[x] = static_cast<std::uint8_t>(seed * 31 + x * 7 + y * 13 + 1);
    return b;
}

struct Manager : ::testing::Test {
    void SetUp() override { TSTextureManager::Shutdown(); }
    void TearDown() override {
        TSTextureManager::Shutdown();
        ts::SetShapeResourceStream(nullptr);
        ts::SetShapeSearchPath("");
    }
};

struct Rect {
    int x, y, w, h;
};
Rect PixelsOf(const Entry& e) {
    return Rect{static_cast<int>(e.x0 * 256 + 0.5f), static_cast<int>(e.y0 * 256 + 0.5f), e.PixelWidth(),
                e.PixelHeight()};
}

TEST_F(Manager, ThreeHundredPicturesPackWithoutOverlapAndReadBack) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> side(4, 128);
    struct Made {
        std::string name;
        int w, h;
        Entry* entry;
    };
    std::vector<Made> made;
    for (int i = 0; i < 300; ++i) {
        const int w = side(random), h = side(random);
        const std::string name = "tex" + std::to_string(i);
        Entry* e = TSTextureManager::Acquire(name, Picture(w, h, i));
        ASSERT_NE(e, nullptr) << name;
        made.push_back({name, w, h, e});
    }
    // Every texel where its entry says, and no texel claimed twice.
    std::map<const TSTextureManager::Sheet*, std::vector<std::uint8_t>> owner;
    for (std::size_t i = 0; i < made.size(); ++i) {
        const Made& m = made[i];
        const Rect r = PixelsOf(*m.entry);
        ASSERT_EQ(r.w, m.w);
        ASSERT_EQ(r.h, m.h);
        ASSERT_LE(r.x + r.w, 256);
        ASSERT_LE(r.y + r.h, 256);
        auto& claimed = owner[m.entry->sheet];
        claimed.resize(65536, 0);
        const gfx::GFXBitmap& sheet = *m.entry->sheet->bitmap;
        for (int y = 0; y < r.h; ++y) {
            for (int x = 0; x < r.w; ++x) {
                ASSERT_EQ(claimed[(r.y + y) * 256 + r.x + x], 0) << m.name << " overlaps";
                claimed[(r.y + y) * 256 + r.x + x] = 1;
                ASSERT_EQ(sheet.Row(r.y + y)[r.x + x], static_cast<std::uint8_t>(static_cast<int>(i) * 31 + x * 7 + y * 13 + 1))
                    << m.name;
            }
        }
    }
    // Counted: a second acquisition and one release keep the texture.
    EXPECT_EQ(TSTextureManager::Acquire("TEX5"), made[5].entry);
    TSTextureManager::ReleaseEntry(made[5].entry);
    EXPECT_EQ(TSTextureManager::Find("tex5"), made[5].entry);
    for (const Made& m : made)
        TSTextureManager::Release(m.name);
    EXPECT_EQ(TSTextureManager::SheetCount(), 0);
    EXPECT_EQ(TSTextureManager::FirstSheet(), nullptr);
}

TEST_F(Manager, WholeSheetsSideBySideAndNamesWithoutCase) {
    Entry* whole = TSTextureManager::Acquire("Ground.bmp", Picture(256, 256, 1));
    ASSERT_NE(whole, nullptr);
    EXPECT_EQ(whole->x0, 0.0f);
    EXPECT_EQ(whole->sx, 1.0f);
    EXPECT_EQ(whole->sy, 1.0f);
    EXPECT_FALSE(whole->sheet->IsPacked());
    EXPECT_EQ(TSTextureManager::Acquire("GROUND.BMP"), whole);
    EXPECT_EQ(whole->refCount, 2u);

    Entry* a = TSTextureManager::Acquire("a", Picture(128, 128, 2));
    Entry* b = TSTextureManager::Acquire("b", Picture(128, 128, 3));
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->sheet, b->sheet);
    EXPECT_EQ(a->y0, 0.0f);
    EXPECT_EQ(b->y0, 0.0f) << "beside the first, on rows 0..127";
    EXPECT_NE(a->x0, b->x0);
    EXPECT_EQ(TSTextureManager::SheetCount(), 2);

    // Not a sheet's worth: too large either way, or not 8-bit.
    EXPECT_EQ(TSTextureManager::Acquire("wide", Picture(257, 8, 4)), nullptr);
    EXPECT_EQ(TSTextureManager::Acquire("tall", Picture(8, 300, 4)), nullptr);
    EXPECT_EQ(TSTextureManager::Acquire("deep", Picture(8, 8, 4, 16)), nullptr);
    EXPECT_EQ(TSTextureManager::Find("wide"), nullptr);
    EXPECT_EQ(TSTextureManager::SheetCount(), 2);
    // A whole sheet freed at its last release (its picture deleted once: the sanitizers watch).
    TSTextureManager::ReleaseEntry(whole);
    TSTextureManager::ReleaseEntry(whole);
    EXPECT_EQ(TSTextureManager::SheetCount(), 1);
}

TEST_F(Manager, RegisteredTexturesAreHeldByNobodyAndBalanceWithAcquisitions) {
    Entry* e = TSTextureManager::RegisterBitmap("grass", Picture(32, 32, 1));
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->refCount, 0u);
    EXPECT_EQ(TSTextureManager::RegisterBitmap("none", nullptr), nullptr);
    // A release of a texture nobody holds does not wrap its count.
    TSTextureManager::Release("grass");
    EXPECT_EQ(TSTextureManager::Find("grass"), e);
    EXPECT_EQ(TSTextureManager::Acquire("grass"), e);
    TSTextureManager::Release("grass");
    EXPECT_EQ(TSTextureManager::Find("grass"), nullptr);
    EXPECT_EQ(TSTextureManager::SheetCount(), 0);
}

TEST_F(Manager, NameCacheBlocksCountEveryTerminator) {
    // Names of 15 characters take 16 bytes: twenty fill a block's 320 bytes exactly.
    for (int i = 0; i < 20; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "fifteen_chars%02d", i);
        ASSERT_EQ(std::strlen(name), 15u);
        ASSERT_NE(TSTextureManager::Acquire(name, Picture(4, 4, i)), nullptr);
    }
    EXPECT_EQ(TSTextureManager::CacheBlockCount(), 1);
    ASSERT_NE(TSTextureManager::Acquire("x", Picture(4, 4, 99)), nullptr);
    EXPECT_EQ(TSTextureManager::CacheBlockCount(), 2);
    // Freed room is reused: after one release a name of the same length fits the first block.
    TSTextureManager::Release("fifteen_chars03");
    ASSERT_NE(TSTextureManager::Acquire("fifteen_chars99", Picture(4, 4, 3)), nullptr);
    EXPECT_EQ(TSTextureManager::CacheBlockCount(), 2);
    for (int i = 0; i < 41; ++i)
        ASSERT_NE(TSTextureManager::Acquire("n" + std::to_string(i), Picture(4, 4, i)), nullptr);
    EXPECT_EQ(TSTextureManager::CacheBlockCount(), 3) << "at most 40 names a block";
    for (int i = 0; i < 41; ++i)
        EXPECT_NE(TSTextureManager::Find("N" + std::to_string(i)), nullptr) << i;
}

TEST_F(Manager, SheetsAndListsRoundTripThroughTheirFiles) {
    testsupport::TempFolder dir("zephlon-txs");
    std::map<std::string, std::vector<std::uint8_t>> texels;
    for (int i = 0; i < 40; ++i) {
        const int w = 8 + (i * 37) % 120, h = 8 + (i * 53) % 100;
        ASSERT_NE(TSTextureManager::Acquire("t" + std::to_string(i), Picture(w, h, i)), nullptr);
    }
    ASSERT_NE(TSTextureManager::Acquire("whole", Picture(256, 256, 77)), nullptr);
    auto snapshot = [&] {
        std::map<std::string, std::vector<std::uint8_t>> out;
        for (int i = 0; i <= 40; ++i) {
            const std::string name = i < 40 ? "t" + std::to_string(i) : "whole";
            const Entry* e = TSTextureManager::Find(name);
            if (e == nullptr) continue;
            const Rect r = PixelsOf(*e);
            std::vector<std::uint8_t> bytes{static_cast<std::uint8_t>(r.w), static_cast<std::uint8_t>(r.h)};
            for (int y = 0; y < r.h; ++y)
                for (int x = 0; x < r.w; ++x)
                    bytes.push_back(e->sheet->bitmap->Row(r.y + y)[r.x + x]);
            out[name] = bytes;
        }
        return out;
    };
    texels = snapshot();
    const int sheets = TSTextureManager::SheetCount();
    ASSERT_EQ(TSTextureManager::SaveSheets(dir.Path("set")), 1);
    ASSERT_EQ(TSTextureManager::SaveList(dir.Path("set")), 1);
    const std::string txs = dir.Read("set.txs"), txl = dir.Read("set.txl");
    ASSERT_GE(txs.size(), 16u);
    EXPECT_EQ(txs.compare(0, 4, "TSXS"), 0);
    EXPECT_EQ(txl.compare(0, 4, "TSXL"), 0);
    EXPECT_EQ(core::ReadU32(reinterpret_cast<const std::uint8_t*>(txs.data()) + 4),
              12u + 65536u * sheets + 36u * 41u);
    EXPECT_EQ(txl.size(), 8u + 12u + 36u * 41u);

    TSTextureManager::Shutdown();
    ts::SetShapeSearchPath(dir.Root());
    ASSERT_EQ(TSTextureManager::LoadSheets("set"), 1);
    EXPECT_EQ(TSTextureManager::SheetCount(), sheets);
    EXPECT_EQ(snapshot(), texels);
    // Saved again, the file is the same.
    ASSERT_EQ(TSTextureManager::SaveSheets(dir.Path("again.txs")), 1);
    EXPECT_EQ(dir.Read("again.txs"), txs);
}

TEST_F(Manager, NamesTooLongForTheirRecordsAreNotWritten) {
    testsupport::TempFolder dir("zephlon-txs");
    ASSERT_NE(TSTextureManager::Acquire("sixteen_chars_xx", Picture(8, 8, 1)), nullptr);
    EXPECT_EQ(TSTextureManager::SaveSheets(dir.Path("long")), 0);
    EXPECT_EQ(TSTextureManager::SaveList(dir.Path("long")), 0);
}

TEST_F(Manager, DamagedSheetFilesLoadNothing) {
    testsupport::TempFolder dir("zephlon-txs");
    ASSERT_NE(TSTextureManager::Acquire("one", Picture(16, 16, 1)), nullptr);
    ASSERT_NE(TSTextureManager::Acquire("two", Picture(24, 8, 2)), nullptr);
    ASSERT_EQ(TSTextureManager::SaveSheets(dir.Path("good.txs")), 1);
    TSTextureManager::Shutdown();
    const std::string good = dir.Read("good.txs");
    ts::SetShapeSearchPath(dir.Root());
    auto patched = [&](std::size_t at, std::uint32_t value) {
        std::string s = good;
        core::WriteU32(reinterpret_cast<std::uint8_t*>(s.data()) + at, value);
        return s;
    };
    const std::size_t records = 16 + 65536 + 4;
    const std::vector<std::pair<const char*, std::string>> corpus = {
        {"empty", ""},
        {"tag", "TSXL" + good.substr(4)},
        {"truncated header", good.substr(0, 10)},
        {"truncated pixels", good.substr(0, 5000)},
        {"truncated records", good.substr(0, good.size() - 7)},
        {"dimension", patched(8, 128)},
        {"sheet count", patched(12, 0x7FFFFFFF)},
        {"size", patched(4, 12)},
        {"texture count", patched(16 + 65536, 1000000)},
        {"sheet number", patched(records + 32, 1)},
        {"rectangle", patched(records + 24, 0x40000000)},  // a width of 2 sheets
    };
    for (const auto& [what, bytes] : corpus) {
        dir.Write("bad.txs", bytes);
        EXPECT_EQ(TSTextureManager::LoadSheets("bad"), 0) << what;
        EXPECT_EQ(TSTextureManager::SheetCount(), 0) << what;
        EXPECT_EQ(TSTextureManager::Find("one"), nullptr) << what;
    }
    EXPECT_EQ(TSTextureManager::LoadSheets("missing"), 0);
    dir.Write("good.txs", good);
    EXPECT_EQ(TSTextureManager::LoadSheets("good"), 1);
    EXPECT_NE(TSTextureManager::Find("two"), nullptr);
}

}  // namespace
