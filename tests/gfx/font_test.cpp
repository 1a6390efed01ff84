#include "gfx/font.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <vector>

#include "../support/temp_folder.h"
#include "gfx/bitmap_draw.h"
#include "gfx/draw_table.h"
#include "gfx/mem_surface.h"
#include "gfx/raster/blit_loops.h"
#include "gfxbase_support.h"

namespace {

using gfx::GFXBitmap;
using gfx::GFXBitmapArray;
using gfx::GFXFont;
using gfx::GFXRect;
using gfxtest::ByteReader;
using gfxtest::Bytes;
using gfxtest::WriteBytes;

std::unique_ptr<GFXBitmap> Solid(int w, int h, std::uint8_t c) {
    auto b = GFXBitmap::Create(w, h, 8);
    std::memset(b->pixels, c, b->size);
    return b;
}

// A sparse array of three bitmaps with ids 3, 7 and 300 and 6-byte user records.
std::unique_ptr<GFXBitmapArray> MakeSparseArray() {
    auto a = std::make_unique<GFXBitmapArray>();
    a->Append(Solid(3, 2, 1));
    a->Append(Solid(5, 4, 2));
    a->Append(Solid(1, 1, 3));
    a->bitmaps[1]->palette = std::make_unique<gfx::GFXPalette>();
    const std::uint8_t user[18] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18};
    EXPECT_EQ(a->SetUserData(user, 6), 1);
    const std::int32_t ids[3] = {3, 7, 300};
    EXPECT_EQ(a->SetIds(ids), 1);
    return a;
}

TEST(BitmapArray, RoundTripWithUserRecordsAndIdTable) {
    auto a = MakeSparseArray();
    for (std::uint32_t flags : {0u, gfx::kBitmapKeepPalette}) {
        const Bytes file = WriteBytes([&](core::StreamIO& s) { return a->Write(s, flags); });
        ASSERT_FALSE(file.empty());
        EXPECT_EQ(a->GetStoredSize(flags), file.size());
        ByteReader r(file);
        auto b = GFXBitmapArray::ReadNew(r.stream, flags);
        ASSERT_TRUE(b);
        EXPECT_EQ(b->count, 3);
        EXPECT_EQ(b->userStride, 6);
        EXPECT_EQ(b->userData, a->userData);
        EXPECT_EQ(b->ids, a->ids);
        for (int i = 0; i < 3; ++i) {
            ASSERT_TRUE(b->bitmaps[i]);
            EXPECT_EQ(b->bitmaps[i]->width, a->bitmaps[i]->width);
            EXPECT_EQ(
                std::memcmp(b->bitmaps[i]->pixels, a->bitmaps[i]->pixels, a->bitmaps[i]->size), 0);
        }
        EXPECT_EQ(static_cast<bool>(b->bitmaps[1]->palette), flags != 0);
        const Bytes again = WriteBytes([&](core::StreamIO& s) { return b->Write(s, flags); });
        EXPECT_EQ(again, file);
    }
}

// A stream that only reads forward, like a packed member whose backward seek decodes again
// from its first byte: arrays and fonts must read in one pass.
class ForwardOnlyStream : public core::MemRWStream {
public:
    using MemRWStream::MemRWStream;
    int SetPosition(std::int32_t pos) override {
        if (pos >= 0 && static_cast<std::uint32_t>(pos) < GetPosition()) {
            ++backwardSeeks;
            return 0;
        }
        return MemRWStream::SetPosition(pos);
    }
    int backwardSeeks = 0;
};

TEST(BitmapArray, IndexOfAndExpansion) {
    auto a = MakeSparseArray();
    EXPECT_EQ(a->IndexOf(3), 0);
    EXPECT_EQ(a->IndexOf(300), 2);
    EXPECT_EQ(a->IndexOf(4), -1);
    EXPECT_EQ(a->IndexOf(-1), -1);
    GFXBitmapArray empty;
    EXPECT_EQ(empty.IndexOf(12345), 12345);  // dense: callers bound it

    a->bitmaps.pop_back();  // ids 3 and 7 only
    a->count = 2;
    a->ids.pop_back();
    a->userData.resize(12);
    const Bytes file = WriteBytes([&](core::StreamIO& s) { return a->Write(s, 0); });
    ByteReader r(file);
    auto b = GFXBitmapArray::ReadNew(r.stream, gfx::kArrayExpand);
    ASSERT_TRUE(b);
    EXPECT_EQ(b->count, 8);
    EXPECT_TRUE(b->ids.empty());
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(static_cast<bool>(b->bitmaps[i]), i == 3 || i == 7) << i;
    EXPECT_EQ(b->bitmaps[7]->width, 5);
    ASSERT_NE(b->UserRecord(7), nullptr);
    EXPECT_EQ(b->UserRecord(7)[0], 7);
    EXPECT_EQ(b->UserRecord(0)[0], 0);
}

// An entry appended after the identifier table was set has no identifier: lookups keep to
// the table and the array refuses to write a file that would not read back.
TEST(BitmapArray, EntryAppendedAfterTheIdTable) {
    auto a = MakeSparseArray();
    a->Append(Solid(2, 2, 4));
    ASSERT_EQ(a->count, 4);
    const std::pair<std::int32_t, std::int32_t> lookups[] = {
        {3, 0}, {7, 1}, {300, 2}, {301, -1}, {70000, -1}};
    for (const auto& [id, index] : lookups)
        EXPECT_EQ(a->IndexOf(id), index) << id;
    EXPECT_TRUE(WriteBytes([&](core::StreamIO& s) { return a->Write(s, 0); }).empty());
}

// Sets of every size around the halvings' turning points: each id finds its own place, and an
// id before the first, between two, after the last or far outside finds none.
TEST(BitmapArray, EveryIdOfASparseSetIsFoundAndNoOther) {
    for (const int size : {1, 2, 3, 4, 5, 7, 8, 9, 15, 16, 17, 33, 160}) {
        GFXBitmapArray a;
        std::vector<std::int32_t> ids;
        for (int i = 0; i < size; ++i) {
            a.Append(Solid(1, 1, 1));
            ids.push_back(3 * i + 2);  // 2, 5, 8, ...: a gap either side of each
        }
        ASSERT_EQ(a.SetIds(ids.data()), 1);
        for (std::int32_t id = -2; id <= 3 * size + 3; ++id) {
            const std::int32_t expected =
                id >= 2 && (id - 2) % 3 == 0 && (id - 2) / 3 < size ? (id - 2) / 3 : -1;
            ASSERT_EQ(a.IndexOf(id), expected) << "id " << id << " of " << size;
        }
        EXPECT_EQ(a.IndexOf(65535), -1);
        EXPECT_EQ(a.IndexOf(INT32_MIN), -1);
    }
}

Bytes Patch32(Bytes b, std::size_t at, std::uint32_t v) {
    core::WriteU32(b.data() + at, v);
    return b;
}

TEST(BitmapArray, MalformedFilesAreRefused) {
    auto a = MakeSparseArray();
    const Bytes good = WriteBytes([&](core::StreamIO& s) { return a->Write(s, 0); });
    // Offsets: head 8 (counter 16, count 20), user 24 (size 28, data 32), rmap 50 (ids 58).
    const std::vector<std::pair<const char*, Bytes>> cases = {
        {"head not first", Patch32(good, 8, core::FourCC("user"))},
        {"more bitmaps counted than stored", Patch32(Patch32(good, 20, 4), 16, 6)},
        {"fewer chunks counted than bitmaps", Patch32(good, 16, 3)},
        {"ids not ascending", Patch32(good, 58 + 4, 2)},
        {"id beyond 65535", Patch32(good, 58 + 8, 70000)},
        {"id table of the wrong size", Patch32(good, 54, 8)},
        {"user data not whole records", Patch32(good, 28, 17)},
        {"count beyond 65536", Patch32(good, 20, 1u << 20)},
        {"truncated", Bytes(good.begin(), good.begin() + 70)},
        {"empty", Bytes{}},
    };
    for (const auto& [name, bytes] : cases) {
        ByteReader r(bytes);
        EXPECT_FALSE(GFXBitmapArray::ReadNew(r.stream, 0)) << name;
    }
}

// A small proportional font: 'A' 3 x 5 of colour 1, 'B' 3 x 5 of colour 2, 'c' 2 x 3 of
// colour 3 lifted by its metric record; baseline 5, spacing 1.
std::unique_ptr<GFXFont> MakeFont() {
    auto f = std::make_unique<GFXFont>();
    f->Append(Solid(3, 5, 1));
    f->Append(Solid(3, 5, 2));
    f->Append(Solid(2, 3, 3));
    std::uint8_t user[12] = {};
    core::WriteU32(user + 8, static_cast<std::uint32_t>(-1));  // 'c' one pixel higher
    f->SetUserData(user, 4);
    const std::int32_t ids[3] = {'A', 'B', 'c'};
    f->SetIds(ids);
    f->cellHeight = 5;
    f->cellWidth = 4;
    f->baseline = 5;
    f->spacing = 1;
    return f;
}

// A table whose bitmap and text entries are the clip-rectangle ones, so that the font draws
// without any start-up code having installed the program's tables.
gfx::GFXDrawTable MakeBitmapTable() {
    gfx::GFXDrawTable t{};
    t.DrawBitmap = gfx::SoftDrawBitmap;
    t.DrawBitmapPart = gfx::SoftDrawBitmapPart;
    t.DrawBitmapScaled = gfx::SoftDrawBitmapScaled;
    GFXFont::InstallTextEntries(&t);
    return t;
}

class FontDraw : public ::testing::Test {
protected:
    void SetUp() override {
        table = MakeBitmapTable();
        previous = gfx::GFXMemSurface::SetDrawTable(&table);
        surface = gfx::GFXMemSurface::Create(40, 20, 8);
        surface->flags = 0;
        Clear();
    }
    void TearDown() override { gfx::GFXMemSurface::SetDrawTable(previous); }
    void Clear() { std::memset(surface->GetBitmap()->pixels, 0, surface->GetBitmap()->size); }
    std::uint8_t At(int x, int y) { return surface->GetBitmap()->Row(y)[x]; }

    gfx::GFXDrawTable table{};
    const gfx::GFXDrawTable* previous = nullptr;
    std::unique_ptr<gfx::GFXMemSurface> surface;
};

TEST_F(FontDraw, RectanglePlacementRules) {
    auto f = MakeFont();
    EXPECT_EQ(f->GetStringWidth("AB"), 7);
    const GFXRect box{10, 2, 29, 17};
    struct Case {
        const char* name;
        std::uint32_t justify;
        GFXRect drawn;
    };
    const Case cases[] = {
        {"left top", 0, {10, 2, 16, 6}},
        {"right", gfx::kJustifyRight, {23, 2, 29, 6}},
        {"centre", gfx::kJustifyCentre, {16, 2, 22, 6}},
        {"bottom", gfx::kJustifyBottom, {10, 13, 16, 17}},
        {"middle", gfx::kJustifyMiddle, {10, 7, 16, 11}},
        {"right bottom", gfx::kJustifyRight | gfx::kJustifyBottom, {23, 13, 29, 17}},
        // 20 / 7 wide and 16 / 5 high, both truncated to 16.16: glyphs of 8 x 15, and the
        // spacing stays one pixel.
        {"scaled to fit", gfx::kJustifyScaleToFit, {10, 2, 26, 16}},
    };
    for (const Case& c : cases) {
        Clear();
        f->justify = c.justify;
        const int right = f->DrawStringInRect(surface.get(), box, "AB");
        EXPECT_EQ(surface->drawnRect, c.drawn) << c.name;
        EXPECT_EQ(right, c.drawn.right) << c.name;
        EXPECT_EQ(At(c.drawn.left, c.drawn.top), 1) << c.name;
        EXPECT_EQ(At(c.drawn.right, c.drawn.bottom), 2) << c.name;
        if (c.drawn.left > 0) {
            EXPECT_EQ(At(c.drawn.left - 1, c.drawn.top), 0) << c.name;
        }
    }
    // Scale to fit leaves the font's own scale alone.
    EXPECT_EQ(f->scaleX, 0x10000);
}

TEST_F(FontDraw, MissingCharacterDrawsThePlaceholderAndAdvances) {
    auto f = MakeFont();
    const int right = f->DrawString(surface.get(), {10, 2}, "A?B");
    // 'A' at 10..12, the 5 x 5 block of colour 253 at 14..18, 'B' at 20..22.
    EXPECT_EQ(right, 22);
    for (int x = 10; x <= 23; ++x) {
        std::uint8_t want = 0;
        if (x <= 12)
            want = 1;
        else if (x >= 14 && x <= 18)
            want = gfx::kPlaceholderColour;
        else if (x >= 20 && x <= 22)
            want = 2;
        EXPECT_EQ(At(x, 4), want) << x;
    }
    EXPECT_EQ(f->GetStringWidth("A?B"), 3 + 1 + 5 + 1 + 3);
}

TEST_F(FontDraw, MetricsScalingAndFixedPitch) {
    auto f = MakeFont();
    f->DrawString(surface.get(), {0, 0}, "c");
    EXPECT_EQ(surface->drawnRect, (GFXRect{0, 1, 1, 3}));  // 5 - 3 - 1 = 1
    EXPECT_EQ(f->GetStringHeight("Ac"), 5);

    f->scaleX = f->scaleY = 0x20000;
    Clear();
    EXPECT_EQ(f->DrawString(surface.get(), {0, 0}, "AB"), 12);
    EXPECT_EQ(surface->drawnRect, (GFXRect{0, 0, 12, 9}));
    EXPECT_EQ(At(6, 0), 0);  // the spacing is drawn unscaled
    EXPECT_EQ(At(7, 0), 2);
    EXPECT_EQ(f->GetStringWidth("AB"), 14);  // and measured scaled

    f->scaleX = f->scaleY = 0x10000;
    f->fontFlags |= gfx::kFontFixedPitch;
    EXPECT_EQ(f->GetStringWidth("AAA"), 3 * 4 + 2);
    EXPECT_EQ(f->GetStringWidth(""), -1);

    f->fontFlags |= gfx::kFontRecolorable;
    f->SetColor(77);
    EXPECT_EQ(f->color, 77);
    EXPECT_EQ(f->bitmaps[1]->pixels[0], 77);
}

TEST_F(FontDraw, TextEntriesOfTheTable) {
    auto f = MakeFont();
    EXPECT_EQ(table.DrawText(surface.get(), f.get(), {1, 1}, "B"), 3);
    EXPECT_EQ(table.DrawTextInRect(surface.get(), f.get(), {0, 0, 39, 19}, "A",
                                   gfx::kJustifyRight | gfx::kJustifyBottom),
              39);
    EXPECT_EQ(At(37, 15), 1);
}

TEST_F(FontDraw, SixteenBitCodes) {
    auto f = MakeFont();
    const std::int32_t ids[3] = {'A', 0x0142, 0x2000};
    f->SetIds(ids);
    f->fontFlags |= gfx::kFont16BitCodes;
    const char text[] = {'A', 0, 0x42, 0x01, 0, 0};  // 'A', U+0142, end
    EXPECT_EQ(f->GetStringWidth(text), 7);
    EXPECT_EQ(f->DrawString(surface.get(), {0, 0}, text), 6);
    EXPECT_EQ(At(4, 0), 2);
}

// Text built for a font has the width the font declares, so one byte of text per character
// draws the same glyphs from an 8-bit and a 16-bit font, and nothing is read past the text's end
// (a short buffer read as 16-bit codes would be).
TEST_F(FontDraw, TextBuiltForTheFontsCodeWidth) {
    struct Case {
        const char* text;
        std::string narrow, wide;
    } cases[] = {{"AB", "AB", std::string("A\0B\0\0", 5)},
                 {"", "", std::string("\0", 1)},
                 {"\xff", "\xff", std::string("\xff\0\0", 3)}};
    auto f = MakeFont();
    for (const Case& c : cases) {
        f->fontFlags &= ~gfx::kFont16BitCodes;
        const gfx::GFXFontText narrow(f.get(), c.text);
        EXPECT_EQ(std::string(narrow.c_str()), c.narrow);
        f->fontFlags |= gfx::kFont16BitCodes;
        const gfx::GFXFontText wide(f.get(), c.text);
        // The terminating zero of the 16-bit text is its last two bytes.
        EXPECT_EQ(std::string(wide.c_str(), c.wide.size() + 1), c.wide + '\0') << c.text;
    }
    for (const std::uint32_t flags : {0u, gfx::kFont16BitCodes}) {
        f->fontFlags = flags;
        Clear();
        const auto text = std::make_unique<gfx::GFXFontText>(f.get(), "AB");
        EXPECT_EQ(f->DrawString(surface.get(), {10, 2}, text->c_str()), 16) << flags;
        EXPECT_EQ(At(10, 2), 1);
        EXPECT_EQ(At(16, 6), 2);
        EXPECT_EQ(f->GetStringWidth(text->c_str()), 7);
    }
}

TEST(Font, ArraysAndFontsReadInOnePassForward) {
    auto a = MakeSparseArray();
    const Bytes arrayFile = WriteBytes([&](core::StreamIO& s) { return a->Write(s, 0); });
    ForwardOnlyStream arrayStream(static_cast<std::uint32_t>(arrayFile.size()),
                                  static_cast<const void*>(arrayFile.data()));
    auto b = GFXBitmapArray::ReadNew(arrayStream, 0);
    ASSERT_TRUE(b);
    EXPECT_EQ(arrayStream.backwardSeeks, 0);
    EXPECT_EQ(arrayStream.GetPosition(), arrayFile.size());
    EXPECT_EQ(b->ids, a->ids);
    ASSERT_TRUE(b->bitmaps[2]);
    EXPECT_EQ(b->bitmaps[2]->pixels[0], 3);

    auto f = MakeFont();
    const Bytes fontFile = WriteBytes([&](core::StreamIO& s) { return f->Write(s); });
    ForwardOnlyStream fontStream(static_cast<std::uint32_t>(fontFile.size()),
                                 static_cast<const void*>(fontFile.data()));
    auto g = GFXFont::ReadNew(fontStream);
    ASSERT_TRUE(g);
    EXPECT_EQ(fontStream.backwardSeeks, 0);
    EXPECT_EQ(g->count, f->count);
    EXPECT_EQ(g->ids, f->ids);
    const Bytes again = WriteBytes([&](core::StreamIO& s) { return g->Write(s); });
    EXPECT_EQ(again, fontFile);
}

TEST(Font, PfntRoundTripAndDamage) {
    auto f = MakeFont();
    f->palette = std::make_unique<gfx::GFXPalette>();
    f->palette->entries[9] = {1, 2, 3, 4};
    f->justify = gfx::kJustifyCentre;
    const Bytes file = WriteBytes([&](core::StreamIO& s) { return f->Write(s); });
    ASSERT_FALSE(file.empty());
    EXPECT_EQ(f->GetStoredSize(), file.size());
    ByteReader r(file);
    auto g = GFXFont::ReadNew(r.stream);
    ASSERT_TRUE(g);
    EXPECT_EQ(g->count, 3);
    EXPECT_EQ(g->ids, f->ids);
    EXPECT_EQ(g->baseline, 5);
    EXPECT_EQ(g->spacing, 1);
    EXPECT_EQ(g->justify, gfx::kJustifyCentre);
    ASSERT_TRUE(g->palette);
    EXPECT_EQ(g->palette->entries[9].blue, 3);
    const Bytes again = WriteBytes([&](core::StreamIO& s) { return g->Write(s); });
    EXPECT_EQ(again, file);

    // head 8 (counter 16, flags 20, ..., scaleX 52, scaleY 56).
    const std::vector<std::pair<const char*, Bytes>> cases = {
        {"head of the wrong size", Patch32(file, 12, 44)},
        {"zero horizontal scale", Patch32(file, 52, 0)},
        {"negative cell height", Patch32(file, 32, static_cast<std::uint32_t>(-5))},
        {"unknown first tag", Patch32(file, 0, core::FourCC("PFNX"))},
        {"palette damaged", Patch32(file, 64 + 24, 2000)},
        {"truncated in the glyphs", Bytes(file.begin(), file.end() - 5)},
    };
    for (const auto& [name, bytes] : cases) {
        ByteReader rr(bytes);
        EXPECT_FALSE(GFXFont::ReadNew(rr.stream)) << name;
    }
}

}  // namespace

namespace {

// Digits of 4 x 6 with patterned pixels (0 among them: an opaque glyph copies it), a narrower
// '1', a keyed '*' and a '-' lowered by its record; ids '*', '-', '0' to '9'.
std::unique_ptr<GFXFont> MakeDigitFont() {
    auto f = std::make_unique<GFXFont>();
    std::vector<std::int32_t> ids;
    std::vector<std::uint8_t> user;
    const char codes[] = "*-0123456789";
    for (const char* c = codes; *c != 0; ++c) {
        const int w = *c == '1' ? 2 : 4;
        auto b = GFXBitmap::Create(w, 6, 8);
        for (int i = 0; i < b->size; ++i)
            b->pixels[i] = static_cast<std::uint8_t>((i * 7 + *c) % 5 == 0 ? 0 : 10 + *c + i);
        if (*c == '*') b->flags |= gfx::kBitmapTransparent;
        f->Append(std::move(b));
        ids.push_back(*c);
        const std::int32_t offset = *c == '-' ? 2 : 0;
        user.resize(user.size() + 4);
        std::memcpy(user.data() + user.size() - 4, &offset, 4);
    }
    f->SetUserData(user.data(), 4);
    f->SetIds(ids.data());
    f->cellHeight = 6;
    f->cellWidth = 5;
    f->baseline = 6;
    return f;
}

// A text drawn row by row for all its glyphs (where the processor allows) leaves every pixel, the
// drawn rectangle and the answer as drawing it glyph by glyph does: gaps between glyphs keep the
// picture, and texts that cannot go out in one band (a keyed or lowered glyph, a text clipped
// or wider than the band) still draw right.
TEST_F(FontDraw, TextsDrawTheSameRowByRowAsGlyphByGlyph) {
    auto f = MakeDigitFont();
    struct Case {
        const char* text;
        gfx::GFXPoint at;
        std::int32_t spacing;
        bool fixedPitch;
    };
    const Case cases[] = {
        {"108", {3, 4}, 0, false},        {"95", {3, 4}, 2, false},
        {"1211", {1, 2}, 1, true},        {"0*7", {5, 5}, 0, false},
        {"3-4", {5, 5}, 0, false},        {"12345", {37, 3}, 0, false},
        {"12345", {-2, 3}, 0, false},     {"6789", {4, 17}, 0, false},
        {"0123456789", {0, 8}, 0, false}, {"", {4, 4}, 0, false},
        {"8888888", {2, 1}, 5, false},
    };
    for (const Case& c : cases) {
        f->spacing = c.spacing;
        f->fontFlags = c.fixedPitch ? gfx::kFontFixedPitch : 0;
        std::vector<std::uint8_t> pictures[2];
        GFXRect drawn[2];
        int answers[2] = {};
        for (int way = 0; way < 2; ++way) {
            gfx::LimitBlitPath(way == 0 ? gfx::BlitPath::kMasked : gfx::BlitPath::kWide);
            GFXBitmap* b = surface->GetBitmap();
            for (int i = 0; i < b->size; ++i)
                b->pixels[i] = static_cast<std::uint8_t>(200 + i % 37);
            surface->drawnRect = {};
            answers[way] = f->DrawString(surface.get(), c.at, c.text);
            drawn[way] = surface->drawnRect;
            pictures[way].assign(b->pixels, b->pixels + b->size);
        }
        gfx::LimitBlitPath(gfx::BlitPath::kMasked);
        EXPECT_EQ(pictures[0], pictures[1]) << c.text;
        EXPECT_EQ(drawn[0], drawn[1]) << c.text;
        EXPECT_EQ(answers[0], answers[1]) << c.text;
    }
    // The gap a spacing leaves keeps the picture: '9' ends at 6, '5' starts at 9.
    f->spacing = 2;
    f->fontFlags = 0;
    Clear();
    f->DrawString(surface.get(), {3, 4}, "95");
    EXPECT_EQ(At(7, 5), 0);
    EXPECT_EQ(At(8, 5), 0);
    EXPECT_NE(At(3, 5) | At(4, 5) | At(5, 5) | At(6, 5), 0);
}

TEST(Font, FilesOnDisk) {
    testsupport::TempFolder folder{"zephlon-font"};
    const std::filesystem::path dir = folder.Root();
    auto f = MakeFont();
    const std::string fontPath = (dir / "small.pft").string();
    ASSERT_EQ(f->Save(fontPath), 1);
    EXPECT_EQ(std::filesystem::file_size(fontPath), f->GetStoredSize());
    auto g = GFXFont::LoadNew(fontPath);
    ASSERT_TRUE(g);
    EXPECT_EQ(g->count, 3);

    auto a = MakeSparseArray();
    const std::string arrayPath = (dir / "art.pba").string();
    ASSERT_EQ(a->Save(arrayPath, 0), 1);
    auto b = GFXBitmapArray::LoadNew(arrayPath, 0);
    ASSERT_TRUE(b);
    EXPECT_EQ(b->ids, a->ids);

    gfx::GFXPalette p;
    p.entries[17] = {1, 2, 3, 4};
    const std::string palPath = (dir / "day.pal").string();
    ASSERT_EQ(p.Save(palPath, 0), 1);
    auto q = gfx::GFXPalette::LoadNew(palPath);
    ASSERT_TRUE(q);
    EXPECT_EQ(q->entries[17], p.entries[17]);
    EXPECT_FALSE(gfx::GFXPalette::LoadNew((dir / "missing.pal").string()));
    EXPECT_FALSE(GFXFont::LoadNew((dir / "missing.pft").string()));
}

}  // namespace
