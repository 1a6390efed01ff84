// Every reader of the drawing layer over damaged copies of our writers' output: random byte
// changes, cut lengths and spliced sizes. Nothing may crash or read outside the data (the
// sanitizer build checks the latter); whatever reads must write back without failing.
#include <gtest/gtest.h>

#include <cstring>

#include "core/numeric.h"
#include "gfx/bitmap_array.h"
#include "gfx/font.h"
#include "gfxbase_support.h"

namespace {

using gfxtest::ByteReader;
using gfxtest::Bytes;
using gfxtest::WriteBytes;

std::unique_ptr<gfx::GFXBitmap> Pattern(int w, int h) {
    auto b = gfx::GFXBitmap::Create(w, h, 8);
    for (int i = 0; i < b->size; ++i)
        b->pixels[i] = static_cast<std::uint8_t>(i * 13);
    return b;
}

struct Format {
    const char* name;
    Bytes good;
    std::function<bool(core::StreamIO&)> read;  // true when the reader accepted the bytes
};

std::vector<Format> Formats() {
    auto pal = std::make_unique<gfx::GFXPalette>();
    std::vector<std::uint8_t> shade(1u << 10), trans(2 * 3 * 256, 7);
    pal->SetShadeTable(1, 1, shade.data());
    pal->SetTranslucentTable(8, 3, 4, trans.data(), static_cast<std::uint32_t>(trans.size()));
    std::uint8_t mask[32] = {0xFF};
    pal->SetNearestMask(mask);
    auto bmp = Pattern(9, 5);
    bmp->palette = std::make_unique<gfx::GFXPalette>();
    auto font = std::make_unique<gfx::GFXFont>();
    font->Append(Pattern(3, 4));
    font->Append(Pattern(2, 6));
    const std::uint8_t user[8] = {1, 0, 0, 0, 2, 0, 0, 0};
    font->SetUserData(user, 4);
    const std::int32_t ids[2] = {65, 90};
    font->SetIds(ids);
    font->palette = std::make_unique<gfx::GFXPalette>();

    std::vector<Format> f;
    f.push_back({"PPAL", WriteBytes([&](core::StreamIO& s) { return pal->Write(s, 0); }),
                 [](core::StreamIO& s) { return static_cast<bool>(gfx::GFXPalette::ReadNew(s)); }});
    f.push_back({"RIFF", WriteBytes([&](core::StreamIO& s) {
                     return pal->Write(s, gfx::kPaletteWriteRiff);
                 }),
                 [](core::StreamIO& s) { return static_cast<bool>(gfx::GFXPalette::ReadNew(s)); }});
    f.push_back(
        {"PBMP",
         WriteBytes([&](core::StreamIO& s) { return bmp->Write(s, gfx::kBitmapKeepPalette); }),
         [](core::StreamIO& s) {
             auto b = gfx::GFXBitmap::ReadNew(s, gfx::kBitmapKeepPalette);
             if (!b) return false;
             // What was accepted must be whole: every row and level addressable.
             volatile std::uint8_t sum = 0;
             for (int y = 0; y < b->height; ++y)
                 sum = sum + b->Row(y)[b->width - 1];
             return WriteBytes([&](core::StreamIO& o) { return b->Write(o, 1); }).size() > 0;
         }});
    f.push_back({"BMP",
                 WriteBytes([&](core::StreamIO& s) { return bmp->Write(s, gfx::kBitmapWriteBmp); }),
                 [](core::StreamIO& s) {
                     auto b = gfx::GFXBitmap::ReadNew(s, gfx::kBitmapKeepPalette);
                     if (!b) return false;
                     volatile std::uint8_t sum = 0;
                     for (int y = 0; y < b->height; ++y)
                         sum = sum + b->Row(y)[b->width - 1];
                     return true;
                 }});
    f.push_back({"PFNT", WriteBytes([&](core::StreamIO& s) { return font->Write(s); }),
                 [](core::StreamIO& s) {
                     auto g = gfx::GFXFont::ReadNew(s);
                     if (!g) return false;
                     std::int32_t off = 0;
                     for (std::uint32_t c = 0; c < 300; ++c)
                         (void)g->GetGlyph(c, &off);
                     // Terminated for 8-bit and 16-bit codes alike.
                     (void)g->GetStringWidth("AZ?\0\0");
                     return true;
                 }});
    f.push_back({"PBMA", WriteBytes([&](core::StreamIO& s) {
                     return static_cast<gfx::GFXBitmapArray&>(*font).Write(s, 0);
                 }),
                 [](core::StreamIO& s) {
                     return static_cast<bool>(gfx::GFXBitmapArray::ReadNew(s, gfx::kArrayExpand));
                 }});
    return f;
}

TEST(ReaderFuzz, DamagedFilesNeverCrash) {
#if defined(__SANITIZE_ADDRESS__)
    constexpr int kRounds = 600;
#else
    constexpr int kRounds = 2000;
#endif
    core::CrtRandom rnd(12345);
    for (const Format& f : Formats()) {
        ASSERT_FALSE(f.good.empty()) << f.name;
        {
            ByteReader r(f.good);
            EXPECT_TRUE(f.read(r.stream)) << f.name;
        }
        int accepted = 0;
        for (int round = 0; round < kRounds; ++round) {
            Bytes b = f.good;
            switch (round % 4) {
                case 0:  // a few random bytes
                    for (int k = 0; k < 1 + rnd.Next() % 4; ++k)
                        b[static_cast<std::size_t>(rnd.Next()) % b.size()] =
                            static_cast<std::uint8_t>(rnd.Next());
                    break;
                case 1:  // cut short
                    b.resize(static_cast<std::size_t>(rnd.Next()) % b.size());
                    break;
                case 2: {  // a size-like word somewhere in the first hundred bytes
                    const std::size_t at = (static_cast<std::size_t>(rnd.Next()) %
                                            std::min<std::size_t>(b.size() - 4, 100));
                    const std::uint32_t values[] = {
                        0,           1,        0x7FFFFFFFu,
                        0xFFFFFFFFu, 0x10000u, static_cast<std::uint32_t>(rnd.Next())};
                    core::WriteU32(b.data() + at, values[rnd.Next() % 6]);
                    break;
                }
                default: {  // one bit
                    const std::size_t at = static_cast<std::size_t>(rnd.Next()) % b.size();
                    b[at] ^= static_cast<std::uint8_t>(1u << (rnd.Next() % 8));
                    break;
                }
            }
            ByteReader r(b);
            if (f.read(r.stream)) ++accepted;
        }
        // Pixel bytes change freely, so some damaged copies still read; the point is that none
        // of them crashed.
        EXPECT_LT(accepted, kRounds) << f.name;
    }
}

}  // namespace
