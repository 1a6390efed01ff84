#include "gfx/bitmap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "../support/temp_folder.h"
#include "core/endian.h"
#include "gfx/bitmap_array.h"
#include "gfx/font.h"
#include "gfxbase_support.h"
#include "support/run_command.h"

namespace {

using gfx::GFXBitmap;
using gfxtest::ByteReader;
using gfxtest::Bytes;
using gfxtest::WriteBytes;

// A patterned 8-bit bitmap; with several detail levels the smaller copies follow the picture
// in the same buffer.
std::unique_ptr<GFXBitmap> MakePattern(int w, int h, int levels) {
    int total = 0;
    for (int i = 0, area = w * h; i < levels; ++i, area /= 4)
        total += area;
    const int stride = GFXBitmap::StrideFor(w, 8);
    auto b = GFXBitmap::Create(w, std::max(h, (total + stride - 1) / stride), 8);
    b->height = h;
    if (levels > 1)
        b->size = total;
    else
        b->size = stride * h;
    b->detailCount = levels;
    for (int i = 0; i < b->size; ++i)
        b->pixels[i] = static_cast<std::uint8_t>(i * 31 + 7);
    return b;
}

TEST(Bitmap, PbmpRoundTripWithPaletteAndFourDetailLevels) {
    auto b = MakePattern(16, 16, 4);
    b->flags |= gfx::kBitmapTransparent;
    b->palette = std::make_unique<gfx::GFXPalette>();
    for (int i = 0; i < 256; ++i)
        b->palette->entries[i] = {std::uint8_t(i), 1, 2, 4};
    const Bytes file =
        WriteBytes([&](core::StreamIO& s) { return b->Write(s, gfx::kBitmapKeepPalette); });
    ASSERT_FALSE(file.empty());
    EXPECT_EQ(b->GetStoredSize(gfx::kBitmapKeepPalette), file.size());

    ByteReader r(file);
    auto c = GFXBitmap::ReadNew(r.stream, gfx::kBitmapKeepPalette);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->width, 16);
    EXPECT_EQ(c->height, 16);
    EXPECT_EQ(c->stride, 16);
    EXPECT_EQ(c->bitsPerPixel, 8);
    EXPECT_EQ(c->size, 256 + 64 + 16 + 4);
    EXPECT_EQ(c->flags, b->flags);
    EXPECT_EQ(c->detailCount, 4);
    EXPECT_EQ(c->detail[1] - c->detail[0], 256);
    EXPECT_EQ(c->detail[2] - c->detail[1], 64);
    EXPECT_EQ(c->detail[3] - c->detail[2], 16);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(c->pixels) % 16, 0u);
    EXPECT_EQ(std::memcmp(c->pixels, b->pixels, 340), 0);
    ASSERT_TRUE(c->palette);
    EXPECT_EQ(std::memcmp(c->palette->entries, b->palette->entries, 1024), 0);

    const Bytes again =
        WriteBytes([&](core::StreamIO& s) { return c->Write(s, gfx::kBitmapKeepPalette); });
    EXPECT_EQ(again, file);

    // Without the keep-palette flag the palette chunk is skipped.
    ByteReader r2(file);
    auto d = GFXBitmap::ReadNew(r2.stream, 0);
    ASSERT_TRUE(d);
    EXPECT_FALSE(d->palette);
}

// The "PBMP" container's word is the data size + 32 (16 short of what follows) and every reader
// ignores it: a bitmap, an array of two and a font of one read back whole, and the stored sizes
// are the files' true lengths.
TEST(Bitmap, ContainerWordIsDataPlus32AndReadersIgnoreIt) {
    auto glyph = [] {
        std::unique_ptr<GFXBitmap> b = GFXBitmap::Create(2, 1, 8);
        b->pixels[0] = 7;
        b->pixels[1] = 9;
        return b;
    };
    const std::unique_ptr<GFXBitmap> one = glyph();
    const Bytes bitmapBytes = WriteBytes([&](core::StreamIO& s) { return one->Write(s, 0); });
    ASSERT_EQ(bitmapBytes.size(), one->GetStoredSize(0));
    EXPECT_EQ(core::ReadU32(bitmapBytes.data() + 4), static_cast<std::uint32_t>(one->size) + 32);

    gfx::GFXBitmapArray array;
    array.Append(glyph());
    array.Append(glyph());
    const Bytes arrayBytes = WriteBytes([&](core::StreamIO& s) { return array.Write(s, 0); });
    ASSERT_EQ(arrayBytes.size(), array.GetStoredSize(0));
    ByteReader arrayReader(arrayBytes);
    const auto back = gfx::GFXBitmapArray::ReadNew(arrayReader.stream, 0);
    ASSERT_TRUE(back);
    ASSERT_EQ(back->bitmaps.size(), 2u);
    for (const auto& b : back->bitmaps) {
        ASSERT_TRUE(b);
        EXPECT_EQ(b->pixels[1], 9);
    }

    gfx::GFXFont font;
    font.Append(glyph());
    const Bytes fontBytes = WriteBytes([&](core::StreamIO& s) { return font.Write(s); });
    ASSERT_EQ(fontBytes.size(), font.GetStoredSize());
    ByteReader fontReader(fontBytes);
    const auto fontBack = gfx::GFXFont::ReadNew(fontReader.stream);
    ASSERT_TRUE(fontBack);
    ASSERT_EQ(fontBack->bitmaps.size(), 1u);
    EXPECT_EQ(fontBack->bitmaps[0]->pixels[0], 7);
}

// Headers come from the bitmap pool of 8000 places, which the "NumBmp" setting resizes; a count
// of 0 or less keeps it.
TEST(Bitmap, HeadersComeFromThePoolTheSettingSizes) {
    EXPECT_EQ(gfx::theBitmapPool.ElementSize(), sizeof(GFXBitmap));
    EXPECT_EQ(gfx::theBitmapPool.Capacity(), 8000);
    GFXBitmap::ResetBitmapPool(-5);
    EXPECT_EQ(gfx::theBitmapPool.Capacity(), 8000);
    GFXBitmap::ResetBitmapPool(123);
    EXPECT_EQ(gfx::theBitmapPool.Capacity(), 123);
    EXPECT_NE(gfx::theBitmapPool.Block(), nullptr);
    auto made = GFXBitmap::Create(4, 4, 8);
    EXPECT_TRUE(made);
    made.reset();
    GFXBitmap::ResetBitmapPool(8000);
}

TEST(Bitmap, PbmpWithoutDetailChunkKeepsOneLevel) {
    auto b = MakePattern(5, 3, 1);
    const Bytes full = WriteBytes([&](core::StreamIO& s) { return b->Write(s, 0); });
    ASSERT_EQ(full.size(), 8u + 28 + 8 + 24 + 12);
    // Drop the "DETL" chunk and count one chunk after "head".
    Bytes file(full.begin(), full.begin() + 8 + 28 + 8 + 24);
    core::WriteU32(file.data() + 16, 1);
    ByteReader r(file);
    auto c = GFXBitmap::ReadNew(r.stream, 0);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->detailCount, 1);
    EXPECT_EQ(c->stride, 8);
    EXPECT_EQ(std::memcmp(c->pixels, b->pixels, 24), 0);
}

// A new bitmap is colour 0 through its rows' padding, so two writes of the same drawing give
// the same file bytes.
TEST(Bitmap, ANewBitmapIsClearedPaddingIncluded) {
    for (int w : {1, 3, 11, 13, 18}) {
        auto b = GFXBitmap::Create(w, 5, 8);
        ASSERT_TRUE(b);
        const auto* p = static_cast<const std::uint8_t*>(b->Row(0));
        EXPECT_TRUE(std::all_of(p, p + b->size, [](std::uint8_t v) { return v == 0; })) << w;
    }
}

TEST(Bitmap, BmpRoundTripAndTopDownFiles) {
    auto b = MakePattern(13, 7, 1);
    b->palette = std::make_unique<gfx::GFXPalette>();
    for (int i = 0; i < 256; ++i)
        b->palette->entries[i] = {std::uint8_t(i), std::uint8_t(i / 2), 9, 0};
    const Bytes file =
        WriteBytes([&](core::StreamIO& s) { return b->Write(s, gfx::kBitmapWriteBmp); });
    ASSERT_EQ(file.size(), 1078u + 16 * 7);
    ByteReader r(file);
    auto c = GFXBitmap::ReadNew(r.stream, gfx::kBitmapKeepPalette);
    ASSERT_TRUE(c);
    EXPECT_EQ(c->width, 13);
    EXPECT_EQ(c->height, 7);
    for (int y = 0; y < 7; ++y)
        EXPECT_EQ(std::memcmp(c->Row(y), b->Row(y), 13), 0) << y;
    ASSERT_TRUE(c->palette);
    EXPECT_EQ(c->palette->entries[200].red, 200);
    EXPECT_EQ(c->palette->entries[200].green, 100);
    EXPECT_EQ(c->palette->entries[200].flags, gfx::kPaletteNoCollapse);

    // The same picture stored top-down (negative height) reads without swapping rows.
    Bytes top = file;
    core::WriteU32(top.data() + 22, static_cast<std::uint32_t>(-7));
    for (int y = 0; y < 7; ++y)
        std::memcpy(top.data() + 1078 + y * 16, b->Row(y), 16);
    ByteReader rt(top);
    auto t = GFXBitmap::ReadNew(rt.stream, 0);
    ASSERT_TRUE(t);
    for (int y = 0; y < 7; ++y)
        EXPECT_EQ(std::memcmp(t->Row(y), b->Row(y), 13), 0) << y;

    // A colour count of 3 reads three quads, and the pixel offset is honoured.
    Bytes few(file.begin(), file.begin() + 54);
    core::WriteU32(few.data() + 46, 3);
    few.insert(few.end(), {1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0});
    few.insert(few.end(), {0xEE, 0xEE, 0xEE, 0xEE});  // a gap before the pixels
    core::WriteU32(few.data() + 10, static_cast<std::uint32_t>(few.size()));
    few.insert(few.end(), file.begin() + 1078, file.end());
    ByteReader rf(few);
    auto f = GFXBitmap::ReadNew(rf.stream, gfx::kBitmapKeepPalette);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->palette->entries[2].red, 9);
    EXPECT_EQ(f->palette->entries[2].blue, 7);
    EXPECT_EQ(f->palette->entries[3].red, 0);
    for (int y = 0; y < 7; ++y)
        EXPECT_EQ(std::memcmp(f->Row(y), b->Row(y), 13), 0) << y;
}

TEST(Bitmap, ViewsBorrowThePixelsOfTheirSource) {
    auto b = MakePattern(20, 10, 1);
    auto v = GFXBitmap::CreateView(*b, {3, 2, 7, 5});
    EXPECT_EQ(v->width, 5);
    EXPECT_EQ(v->height, 4);
    EXPECT_EQ(v->stride, b->stride);
    EXPECT_EQ(v->pixels, b->pixels + 2 * b->stride + 3);
    EXPECT_EQ(v->flags & gfx::kBitmapOwnsPixels, 0u);
    v.reset();  // must not free the source's pixels (the sanitizer build would see it)
    EXPECT_EQ(b->pixels[0], 7);
    // A rectangle reaching outside the source is cut to it.
    auto w = GFXBitmap::CreateView(*b, {15, 8, 40, 40});
    EXPECT_EQ(w->width, 5);
    EXPECT_EQ(w->height, 2);
}

Bytes Patch32(Bytes b, std::size_t at, std::uint32_t v) {
    core::WriteU32(b.data() + at, v);
    return b;
}

TEST(Bitmap, MalformedFilesAreRefused) {
    auto b = MakePattern(8, 4, 1);
    b->palette = std::make_unique<gfx::GFXPalette>();
    const Bytes pbmp = WriteBytes([&](core::StreamIO& s) { return b->Write(s, 0); });
    const Bytes withPal =
        WriteBytes([&](core::StreamIO& s) { return b->Write(s, gfx::kBitmapKeepPalette); });
    const Bytes bmp =
        WriteBytes([&](core::StreamIO& s) { return b->Write(s, gfx::kBitmapWriteBmp); });
    // "PBMP" offsets: head 8 (count 16, width 20, height 24, depth 28), data 36, "DETL" 76.
    const std::vector<std::pair<const char*, Bytes>> cases = {
        {"unknown first tag", Patch32(pbmp, 0, core::FourCC("PXMP"))},
        {"head of the wrong size", Patch32(pbmp, 12, 24)},
        {"zero width", Patch32(pbmp, 20, 0)},
        {"negative height", Patch32(pbmp, 24, static_cast<std::uint32_t>(-4))},
        {"huge width", Patch32(pbmp, 20, 1u << 30)},
        {"24-bit depth", Patch32(pbmp, 28, 24)},
        {"rows beyond the data", Patch32(pbmp, 24, 5)},
        {"data larger than the file", Patch32(pbmp, 40, 4000)},
        {"ten detail levels", Patch32(pbmp, 84, 10)},
        {"detail levels beyond the data", Patch32(pbmp, 84, 3)},
        {"no data chunk", Patch32(pbmp, 16, 0)},
        {"truncated", Bytes(pbmp.begin(), pbmp.begin() + 50)},
        {"palette chunk damaged", Patch32(withPal, 36 + 8 + 8, 99)},
        {"bmp compressed", Patch32(bmp, 30, 1)},
        {"bmp 24-bit", Patch32(bmp, 28, 24)},
        {"bmp over 256 colours", Patch32(bmp, 46, 300)},
        {"bmp small info header", Patch32(bmp, 14, 12)},
        {"bmp pixel offset inside the headers", Patch32(bmp, 10, 100)},
        {"bmp zero height", Patch32(bmp, 22, 0)},
        {"bmp truncated pixels", Bytes(bmp.begin(), bmp.end() - 1)},
        {"bmp truncated header", Bytes(bmp.begin(), bmp.begin() + 30)},
    };
    for (const auto& [name, bytes] : cases) {
        ByteReader r(bytes);
        EXPECT_FALSE(GFXBitmap::ReadNew(r.stream, gfx::kBitmapKeepPalette)) << name;
    }
}

// ImageMagick as an outside reader and writer of 8-bit BMP files.
class BitmapInterchange : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::system("convert -version > /dev/null 2>&1") != 0) GTEST_SKIP() << "no convert";
        dir = folder.Root();
    }
    static Bytes ReadFile(const std::filesystem::path& p) {
        std::ifstream f(p, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(f), {});
    }
    static void WriteFile(const std::filesystem::path& p, const Bytes& b) {
        std::ofstream f(p, std::ios::binary);
        f.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
    }
    static std::string Run(const std::string& cmd) { return testsupport::RunCommand(cmd).out; }
    // A folder of this test's own: test processes run side by side.
    testsupport::TempFolder folder{"zephlon-bmp"};
    std::filesystem::path dir;
};

TEST_F(BitmapInterchange, ReadsAnImageMagickPaletteBmp) {
    const int w = 13, h = 9;
    Bytes ppm;
    const std::string head = "P6\n13 9\n255\n";
    ppm.assign(head.begin(), head.end());
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const int i = (x * 7 + y * 3) % 40;
            ppm.insert(ppm.end(), {std::uint8_t(i * 6), std::uint8_t(255 - i * 6),
                                   std::uint8_t((i * 37) % 256)});
        }
    }
    WriteFile(dir / "in.ppm", ppm);
    ASSERT_EQ(std::system(("convert " + (dir / "in.ppm").string() +
                           " -type Palette -compress none BMP3:" + (dir / "im.bmp").string())
                              .c_str()),
              0);
    const Bytes file = ReadFile(dir / "im.bmp");
    ByteReader r(file);
    auto b = GFXBitmap::ReadNew(r.stream, gfx::kBitmapKeepPalette);
    ASSERT_TRUE(b);
    ASSERT_EQ(b->width, w);
    ASSERT_EQ(b->height, h);
    ASSERT_TRUE(b->palette);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const auto& e = b->palette->entries[b->Row(y)[x]];
            const std::uint8_t* want = ppm.data() + head.size() + (y * w + x) * 3;
            EXPECT_EQ(e.red, want[0]);
            EXPECT_EQ(e.green, want[1]);
            EXPECT_EQ(e.blue, want[2]);
        }
    }
}

TEST_F(BitmapInterchange, ImageMagickAcceptsOurBmp) {
    auto b = MakePattern(21, 6, 1);
    b->palette = std::make_unique<gfx::GFXPalette>();
    for (int i = 0; i < 256; ++i) {
        b->palette->entries[i] = {std::uint8_t(i), std::uint8_t(i * 3), std::uint8_t(255 - i), 0};
    }
    ASSERT_EQ(b->Save((dir / "ours.bmp").string(), gfx::kBitmapWriteBmp), 1);
    const std::string info = Run("identify -format '%r|%z|%w|%h' " + (dir / "ours.bmp").string());
    EXPECT_EQ(info, "PseudoClass sRGB |8|21|6");
    // 256 colour-map entries, and the same pixels.
    const std::string colormap =
        Run("identify -verbose " + (dir / "ours.bmp").string() + " | grep -i 'colormap entries'");
    EXPECT_NE(colormap.find("256"), std::string::npos) << colormap;
    ASSERT_EQ(
        std::system(
            ("convert " + (dir / "ours.bmp").string() + " " + (dir / "ours.ppm").string()).c_str()),
        0);
    const Bytes ppm = ReadFile(dir / "ours.ppm");
    const std::string head = "P6\n21 6\n255\n";
    ASSERT_EQ(ppm.size(), head.size() + 21 * 6 * 3);
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 21; ++x) {
            const auto& e = b->palette->entries[b->Row(y)[x]];
            const std::uint8_t* got = ppm.data() + head.size() + (y * 21 + x) * 3;
            EXPECT_EQ(got[0], e.red);
            EXPECT_EQ(got[1], e.green);
            EXPECT_EQ(got[2], e.blue);
        }
    }
}

}  // namespace
