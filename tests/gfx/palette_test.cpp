#include "gfx/palette.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "gfx/mem_surface.h"
#include "gfxbase_support.h"

namespace {

using gfx::GFXPalette;
using gfxtest::ByteReader;
using gfxtest::Bytes;
using gfxtest::WriteBytes;

std::unique_ptr<GFXPalette> MakeFullPalette() {
    auto p = std::make_unique<GFXPalette>();
    for (int i = 0; i < 256; ++i) {
        p->entries[i] = {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                         static_cast<std::uint8_t>(i * 7), static_cast<std::uint8_t>(i & 4)};
    }
    std::vector<std::uint8_t> shade(1u << (3 + 2 + 8));
    for (std::size_t i = 0; i < shade.size(); ++i)
        shade[i] = static_cast<std::uint8_t>(i * 13);
    EXPECT_EQ(p->SetShadeTable(2, 3, shade.data()), 1);
    // Levels 4, first 16, last 5: (5 - 2) x 4 x 256 bytes.
    std::vector<std::uint8_t> trans(3 * 4 * 256);
    for (std::size_t i = 0; i < trans.size(); ++i)
        trans[i] = static_cast<std::uint8_t>(i ^ 0x5A);
    EXPECT_EQ(
        p->SetTranslucentTable(16, 4, 5, trans.data(), static_cast<std::uint32_t>(trans.size())),
        1);
    std::uint8_t mask[32];
    for (int i = 0; i < 32; ++i)
        mask[i] = static_cast<std::uint8_t>(0xF0 ^ i);
    p->SetNearestMask(mask);
    return p;
}

// A partial palette change copies only the entries inside the table, however wide the range
// it is given (the surfaces pass on what their callers ask for).
TEST(Palette, PartialCopyKeepsToTheTable) {
    struct Case {
        std::int32_t first, count, lo, hi;  // entries lo..hi-1 are copied
    };
    const Case cases[] = {{5, 2, 5, 7},   {250, INT32_MAX, 250, 256}, {INT32_MAX, 5, 0, 0},
                          {-5, 10, 0, 5}, {INT32_MIN, 3, 0, 0},       {0, -1, 0, 0}};
    const auto from = MakeFullPalette();
    for (const Case& c : cases) {
        GFXPalette into;
        gfx::CopyPaletteEntries(&into, from.get(), c.first, c.count);
        for (int i = 0; i < 256; ++i) {
            const bool copied = i >= c.lo && i < c.hi;
            EXPECT_EQ(into.entries[i] == from->entries[i], copied)
                << c.first << "+" << c.count << " at " << i;
        }
    }
}

// A surface shows palettes it does not own: when the owner frees one, every surface still
// showing it keeps its colours in a copy of its own (the surfaces of a flip chain each), and a
// surface that moved on to another palette is left alone.
TEST(Palette, FreedPaletteLeavesItsColoursWithTheSurfacesShowingIt) {
    auto a = gfx::GFXMemSurface::Create(4, 4, 8);
    auto b = gfx::GFXMemSurface::Create(4, 4, 8);
    auto c = gfx::GFXMemSurface::Create(4, 4, 8);
    ASSERT_TRUE(a && b && c);
    auto shown = std::make_unique<GFXPalette>();
    auto other = std::make_unique<GFXPalette>();
    shown->entries[77] = {1, 2, 3, 0};
    for (gfx::GFXSurface* s : {a.get(), b.get(), c.get()})
        s->SetPalette(shown.get(), 0, 256);
    c->SetPalette(other.get(), 0, 256);
    shown.reset();
    for (gfx::GFXSurface* s : {a.get(), b.get()}) {
        ASSERT_NE(s->palette, nullptr);
        EXPECT_EQ(s->palette->entries[77], (gfx::GFXPaletteEntry{1, 2, 3, 0}));
    }
    EXPECT_NE(a->palette, b->palette);
    EXPECT_EQ(c->palette, other.get());
    // A kept copy handed on to another surface survives the first surface too.
    c->SetPalette(a->palette, 0, 256);
    a.reset();
    ASSERT_NE(c->palette, nullptr);
    EXPECT_EQ(c->palette->entries[77], (gfx::GFXPaletteEntry{1, 2, 3, 0}));
}

TEST(Palette, PpalRoundTripKeepsEveryTableAndRewritesByteForByte) {
    auto p = MakeFullPalette();
    const Bytes file = WriteBytes([&](core::StreamIO& s) { return p->Write(s, 0); });
    ASSERT_FALSE(file.empty());
    EXPECT_EQ(p->GetStoredSize(), file.size());

    ByteReader r(file);
    auto q = GFXPalette::ReadNew(r.stream, 0);
    ASSERT_TRUE(q);
    EXPECT_EQ(std::memcmp(p->entries, q->entries, sizeof p->entries), 0);
    EXPECT_EQ(q->shadeShift, 2);
    EXPECT_EQ(q->shadeBits, 3);
    EXPECT_EQ(q->translucentFirst, 16);
    EXPECT_EQ(q->translucentLevels, 4);
    EXPECT_EQ(q->translucentLast, 5);
    EXPECT_EQ(q->translucentLevel, 0);
    EXPECT_EQ(std::memcmp(p->shadeTable, q->shadeTable, p->ShadeTableSize()), 0);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(q->shadeTable) % (256u << 2), 0u);
    EXPECT_EQ(std::memcmp(p->translucentTable, q->translucentTable, 3 * 4 * 256), 0);
    ASSERT_NE(q->nearestMask, nullptr);
    EXPECT_EQ(std::memcmp(p->nearestMask, q->nearestMask, 32), 0);

    const Bytes again = WriteBytes([&](core::StreamIO& s) { return q->Write(s, 0); });
    EXPECT_EQ(again, file);
}

TEST(Palette, RiffRoundTripReadsAll256Entries) {
    auto p = MakeFullPalette();
    const Bytes file =
        WriteBytes([&](core::StreamIO& s) { return p->Write(s, gfx::kPaletteWriteRiff); });
    ASSERT_EQ(file.size(), 8u + 4 + 8 + 1028);
    EXPECT_EQ(file[4] | (file[5] << 8), 1040);
    ByteReader r(file);
    auto q = GFXPalette::ReadNew(r.stream, 0);
    ASSERT_TRUE(q);
    EXPECT_EQ(std::memcmp(p->entries, q->entries, sizeof p->entries), 0);
    EXPECT_EQ(q->shadeTable, nullptr);
    EXPECT_EQ(q->translucentTable, nullptr);
    const Bytes again =
        WriteBytes([&](core::StreamIO& s) { return q->Write(s, gfx::kPaletteWriteRiff); });
    EXPECT_EQ(again, file);
}

TEST(Palette, HeadCountingOneStopsAfterData) {
    GFXPalette p;
    Bytes file = WriteBytes([&](core::StreamIO& s) { return p.Write(s, 0); });
    const std::size_t end = file.size();
    // Whatever follows the counted chunks is not read, even when it is not a chunk at all.
    file.insert(file.end(), {'j', 'u', 'n', 'k', 0xFF, 0xFF, 0xFF, 0xFF});
    ByteReader r(file);
    GFXPalette q;
    ASSERT_EQ(q.Read(r.stream, 0), 1);
    EXPECT_EQ(r.stream.GetPosition(), end);
}

TEST(Palette, FindNearestStaysInTheDrawableRangeAndHonoursTheMask) {
    GFXPalette p;
    for (int i = 0; i < 256; ++i)
        p.entries[i] = {200, 100, 50, 0};
    p.entries[0] = {0, 0, 0, 0};
    p.entries[255] = {255, 255, 255, 0};
    p.entries[40] = {10, 10, 10, 0};
    p.entries[41] = {10, 10, 10, 0};
    p.entries[240] = {250, 250, 250, 0};
    EXPECT_EQ(p.FindNearest(0x000000), 40);   // black: 0 is never chosen; lowest index of a tie
    EXPECT_EQ(p.FindNearest(0xFFFFFF), 240);  // white: 255 is never chosen
    std::uint8_t mask[32] = {};
    mask[41 / 8] = 1 << (41 % 8);
    p.SetNearestMask(mask);
    EXPECT_EQ(p.FindNearest(0x000000), 41);
    EXPECT_EQ(p.FindNearest(0xFFFFFF), 41);
    // A mask that allows nothing still answers a drawable entry.
    std::uint8_t none[32] = {};
    p.SetNearestMask(none);
    const int n = p.FindNearest(0x000000);
    EXPECT_GE(n, 10);
    EXPECT_LE(n, 244);
}

TEST(Palette, SixteenBitColoursFollowTheFormat) {
    GFXPalette p;
    p.entries[1] = {255, 0, 0, 0};
    p.entries[2] = {0, 255, 0, 0};
    p.entries[3] = {0, 0, 255, 0};
    p.entries[4] = {0x84, 0x82, 0x81, 0};
    p.BuildColors16(gfx::kPixelFormat565);
    ASSERT_NE(p.colors16, nullptr);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(p.colors16) % 1024, 0u);
    EXPECT_EQ(p.colors16[1], 0xF800u);
    EXPECT_EQ(p.colors16[2], 0x07E0u);
    EXPECT_EQ(p.colors16[3], 0x001Fu);
    EXPECT_EQ(p.colors16[4], (0x10u << 11) | (0x20u << 5) | 0x10u);
    p.BuildTextureColors16(0);
    EXPECT_EQ(p.textureColors16[0], 0u);
    EXPECT_EQ(p.textureColors16[1], 0x8000u | (31u << 10));
    p.BuildBlend16(gfx::kPixelFormat565);
    // Level 0 is the palette entry itself, whatever the code.
    EXPECT_EQ(p.blend16[(0 << 12) | (1 << 8) | 0x00], 0xF800u);
    EXPECT_EQ(p.code16[0xFFFF], 0xFF);
    p.BuildLightTables16(gfx::kPixelFormat565, 2, 1, {0, 0, 0, 0});
    // Full light without haze keeps the colour; no light gives black.
    EXPECT_EQ(p.light16Red[3 * 256 + 1], 0xF800u);
    EXPECT_EQ(p.light16Red[0 * 256 + 1], 0u);
}

Bytes Patch32(Bytes b, std::size_t at, std::uint32_t v) {
    core::WriteU32(b.data() + at, v);
    return b;
}

// Damaged copies of our own writer's output: every one must be refused cleanly.
TEST(Palette, MalformedFilesAreRefused) {
    auto p = MakeFullPalette();
    const Bytes good = WriteBytes([&](core::StreamIO& s) { return p->Write(s, 0); });
    const Bytes riff =
        WriteBytes([&](core::StreamIO& s) { return p->Write(s, gfx::kPaletteWriteRiff); });
    // Offsets in the "PPAL" form: container 0, head 8, data 20, pspl 1052.
    const std::size_t pspl = 1052;
    const std::size_t ptpl = pspl + 8 + 2 + (1u << 13);
    const std::size_t pcmt = ptpl + 8 + 3 + 3 * 4 * 256;
    const std::vector<std::pair<const char*, Bytes>> cases = {
        {"unknown first tag", Patch32(good, 0, core::FourCC("XXXX"))},
        {"data over 1024 bytes", Patch32(good, 24, 1028)},
        {"shade bits and shift over 16",
         [&] {
             Bytes b = good;
             b[pspl + 8] = 9;
             b[pspl + 9] = 8;
             return b;
         }()},
        {"shade table of the wrong size", Patch32(good, pspl + 4, (1u << 13) + 1)},
        {"translucency table too short",
         [&] {
             Bytes b = good;
             b[ptpl + 10] = 200;  // last level 200 implies far more bytes
             return b;
         }()},
        {"mask not 32 bytes", Patch32(good, pcmt + 4, 31)},
        {"truncated in the data", Bytes(good.begin(), good.begin() + 500)},
        {"truncated in the shade table", Bytes(good.begin(), good.begin() + pspl + 100)},
        {"truncated after the head", Bytes(good.begin(), good.begin() + 20)},
        {"riff of another form", Patch32(riff, 8, core::FourCC("WAVE"))},
        {"riff data of an odd size", Patch32(riff, 16, 1027)},
        {"riff data over 256 entries", Patch32(riff, 16, 1032)},
        {"riff data chunk missing", Patch32(riff, 12, core::FourCC("list"))},
        {"empty", Bytes{}},
    };
    for (const auto& [name, bytes] : cases) {
        ByteReader r(bytes);
        EXPECT_FALSE(GFXPalette::ReadNew(r.stream, 0)) << name;
    }
}

}  // namespace
