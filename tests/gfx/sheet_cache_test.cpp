// The texture sheet cache on a device with little video memory: least-recently-used cycling,
// keys of bitmap and translucency, fresh sheets for replaced bitmaps and palettes, the dump.
#include <gtest/gtest.h>

#include <unistd.h>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "d3d_test_support.h"

namespace {

using d3dtest::D3DTest;

class SheetCacheTest : public D3DTest {
protected:
    void SetUp() override {
        D3DTest::SetUp();
        ASSERT_TRUE(Start());
        cache = gfx::theTextureCache;
        ASSERT_NE(cache, nullptr);
        palette = displaytest::DistinctPalette(3);
        gfx::dumpActiveSheets();  // an empty log
    }
    win::D3DTEXTUREHANDLE Get(const gfx::GFXBitmap* b, std::uint32_t translucent = 0) {
        return cache->GetTexture(b, palette.get(), translucent, gfx::theD3DBatch);
    }
    gfx::SheetCache* cache = nullptr;
    std::unique_ptr<gfx::GFXPalette> palette;
};

TEST_F(SheetCacheTest, FiveBitmapsCycleInLeastRecentlyUsedOrder) {
    win::theDirectDrawFaults.videoTextures = 3;
    std::unique_ptr<gfx::GFXBitmap> b[5];
    for (int i = 0; i < 5; ++i)
        b[i] = d3dtest::Texture(static_cast<std::uint8_t>(10 + i), 16);
    // Requests, and which bitmaps hold sheets afterwards.
    struct Step {
        int request;
        std::vector<int> held;
    };
    const Step steps[] = {
        {0, {0}},       {1, {0, 1}},    {2, {0, 1, 2}}, {0, {0, 1, 2}},
        {3, {0, 2, 3}},  // 1 was the oldest once 0 was used again
        {4, {0, 3, 4}}, {1, {1, 3, 4}}, {3, {1, 3, 4}}, {2, {1, 2, 3}},
    };
    for (const Step& s : steps) {
        EXPECT_NE(Get(b[s.request].get()), 0u) << "request " << s.request;
        EXPECT_EQ(cache->Count(), static_cast<std::int32_t>(s.held.size()));
        for (int i = 0; i < 5; ++i) {
            const bool held = std::find(s.held.begin(), s.held.end(), i) != s.held.end();
            EXPECT_EQ(cache->Find(b[i].get(), 0) != nullptr, held)
                << "after request " << s.request << ", bitmap " << i;
        }
    }
}

TEST_F(SheetCacheTest, NothingLeftToEvictGivesNoTexture) {
    win::theDirectDrawFaults.videoTextures = 0;
    auto b = d3dtest::Texture(1, 8);
    EXPECT_EQ(Get(b.get()), 0u);
    EXPECT_TRUE(cache->IsEmpty());
}

TEST_F(SheetCacheTest, KeysAreBitmapAndTranslucency) {
    auto b = d3dtest::Texture(4, 32);
    const win::D3DTEXTUREHANDLE plain = Get(b.get());
    const win::D3DTEXTUREHANDLE glass = Get(b.get(), 1);
    EXPECT_NE(plain, 0u);
    EXPECT_NE(glass, plain);
    EXPECT_EQ(Get(b.get()), plain);
    EXPECT_EQ(cache->Count(), 2);
    // The two sheets use the two alpha formats.
    const win::Direct3DTexture* t = gfx::theD3DDevice->TextureFor(glass);
    ASSERT_NE(t, nullptr);
    win::DDPIXELFORMAT f;
    t->surface->GetPixelFormat(&f);
    EXPECT_EQ(f.dwRGBAlphaBitMask, 0xF000u);
}

TEST_F(SheetCacheTest, ReplacedBitmapAndNewPaletteGetFreshSheets) {
    auto b = d3dtest::Texture(4, 32);
    const gfx::GFXBitmap* address = b.get();
    const win::D3DTEXTUREHANDLE first = Get(address);
    // The bitmap goes and another is made in its place: the same address, other pixels.
    for (int y = 0; y < 32; ++y)
        b->Row(y)[0] = 99;
    cache->BeginFrame(palette.get());
    const win::D3DTEXTUREHANDLE second = Get(address);
    EXPECT_NE(second, first);
    EXPECT_EQ(cache->Count(), 1);
    // A palette whose colours change empties the cache at the next frame.
    palette->entries[50].red ^= 0xFF;
    cache->BeginFrame(palette.get());
    EXPECT_TRUE(cache->IsEmpty());
    // A different palette object does so at once.
    EXPECT_NE(Get(address), 0u);
    auto other = displaytest::DistinctPalette(8);
    cache->GetTexture(address, other.get(), 0, gfx::theD3DBatch);
    EXPECT_EQ(cache->Count(), 1);
}

TEST_F(SheetCacheTest, DumpListsTheRequestedBitmaps) {
    const auto dir =
        std::filesystem::temp_directory_path() / ("sheets_test_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const auto old = std::filesystem::current_path();
    std::filesystem::current_path(dir);
    auto a = d3dtest::Texture(1, 8);
    auto b = d3dtest::Texture(2, 8);
    Get(a.get());
    Get(b.get());
    Get(a.get());
    EXPECT_EQ(gfx::dumpActiveSheets(), 2);  // no dump asked: nothing written
    EXPECT_FALSE(std::filesystem::exists(dir / "sheets.act"));
    Get(b.get());
    gfx::RequestSheetDump();
    EXPECT_EQ(gfx::dumpActiveSheets(), 1);
    std::ifstream in(dir / "sheets.act");
    std::stringstream text;
    text << in.rdbuf();
    char pointer[64];
    std::snprintf(pointer, sizeof(pointer), "\t%p\n", static_cast<const void*>(b.get()));
    EXPECT_EQ(text.str(), std::string("Active sheets: 1\n") + pointer);
    std::filesystem::current_path(old);
    std::filesystem::remove_all(dir);
}

TEST_F(SheetCacheTest, TextureColoursComeFromThePalette) {
    auto b = d3dtest::Texture(20, 8);
    const win::D3DTEXTUREHANDLE h = Get(b.get());
    const win::Direct3DTexture* t = gfx::theD3DDevice->TextureFor(h);
    ASSERT_NE(t, nullptr);
    win::DDSURFACEDESC d;
    ASSERT_EQ(t->surface->Lock(nullptr, &d, 0, nullptr), win::DD_OK);
    const auto* p = static_cast<const std::uint8_t*>(d.lpSurface);
    const gfx::GFXPaletteEntry& e = palette->entries[20];
    const std::uint32_t expect =
        0x8000u | ((e.red >> 3u) << 10) | ((e.green >> 3u) << 5) | (e.blue >> 3u);
    EXPECT_EQ(p[0] | (p[1] << 8), static_cast<int>(expect));
    t->surface->Unlock(nullptr);
}

}  // namespace
