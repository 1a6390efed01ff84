// The rectangle loops under the bitmap draws: a keyed rectangle keeps the destination under every
// 0 of the source and copies the rest; a plain one copies every byte; neither writes outside its
// rows, whatever the width's remainder in the loops' groups.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "gfx/raster/blit_loops.h"

namespace {

struct Rect {
    std::int32_t w, h, srcAdv, dstAdv;
};

// Widths around the loops' groups of 16 and 32 bytes, and rows wider than a block move's cut-off.
const Rect kRects[] = {
    {1, 1, 0, 0},   {3, 4, 5, 9},    {7, 2, 0, 1},   {8, 3, 2, 2},
    {15, 2, 1, 3},  {16, 3, 0, 7},   {31, 3, 2, 1},  {32, 2, 0, 0},
    {33, 5, 7, 11}, {63, 2, 1, 1},   {64, 3, 0, 64}, {100, 4, 28, 3},
    {255, 2, 1, 0}, {256, 2, 0, 16}, {640, 3, 0, 0}, {641, 2, 3, 5},
};

// Source bytes with key runs of every length up to 40 among solid ones.
std::vector<std::uint8_t> Source(std::size_t n) {
    std::vector<std::uint8_t> s(n);
    std::uint32_t r = 12345;
    for (std::size_t i = 0; i < n;) {
        r = r * 1103515245u + 12345u;
        const std::size_t run = (r >> 16) % 41;
        const bool key = ((r >> 8) & 1) != 0;
        for (std::size_t k = 0; k < run && i < n; ++k, ++i)
            s[i] = key ? 0 : static_cast<std::uint8_t>(1 + (i * 7) % 255);
    }
    return s;
}

// Each path the processor offers, from the widest down to the 16-byte one every machine has.
const gfx::BlitPath kPaths[] = {gfx::BlitPath::kMasked, gfx::BlitPath::kWide,
                                gfx::BlitPath::kNarrow};

TEST(BitmapRect, KeyedAndPlainRectanglesMatchAByteLoopAndStayInTheirRows) {
    for (const gfx::BlitPath path : kPaths) {
        gfx::LimitBlitPath(path);
        for (const bool keyed : {true, false}) {
            for (const Rect& c : kRects) {
                SCOPED_TRACE(testing::Message()
                             << (keyed ? "keyed " : "plain ") << c.w << "x" << c.h << " +"
                             << c.srcAdv << " +" << c.dstAdv << " path " << static_cast<int>(path));
                const std::size_t srcBytes = static_cast<std::size_t>(c.w + c.srcAdv) * c.h;
                const std::size_t dstBytes = static_cast<std::size_t>(c.w + c.dstAdv) * c.h + 64;
                const std::vector<std::uint8_t> src = Source(srcBytes);
                std::vector<std::uint8_t> got(dstBytes);
                for (std::size_t i = 0; i < dstBytes; ++i)
                    got[i] = static_cast<std::uint8_t>(0x80 | (i * 13));
                std::vector<std::uint8_t> want = got;
                for (std::int32_t y = 0; y < c.h; ++y)
                    for (std::int32_t x = 0; x < c.w; ++x) {
                        const std::uint8_t s =
                            src[static_cast<std::size_t>(y * (c.w + c.srcAdv) + x)];
                        if (!keyed || s != 0)
                            want[static_cast<std::size_t>(y * (c.w + c.dstAdv) + x)] = s;
                    }
                if (keyed)
                    gfx::BlitKey(got.data(), src.data(), c.w, c.h, c.srcAdv, c.dstAdv, 0);
                else
                    gfx::BlitCopy(got.data(), src.data(), c.w, c.h, c.srcAdv, c.dstAdv, 0);
                EXPECT_EQ(got, want);
            }
        }
    }
    gfx::LimitBlitPath(gfx::BlitPath::kMasked);
}

// A background put back with a sprite over it in one pass equals the background's copy followed
// by the sprite's (keyed or plain), wherever the sprite lies in the rectangle, and writes nothing
// outside the rectangle's rows.
TEST(BitmapRect, SpriteOverItsBackgroundMatchesTheTwoCopies) {
    struct Case {
        std::int32_t width, rows, spriteLeft, spriteTop, spriteWidth, spriteRows;
    };
    const Case cases[] = {{12, 21, 0, 0, 11, 20}, {12, 21, 1, 1, 11, 20}, {64, 5, 0, 0, 64, 5},
                          {64, 6, 60, 2, 4, 3},   {1, 1, 0, 0, 1, 1},     {33, 9, 7, 4, 0, 0},
                          {40, 8, 39, 7, 1, 1}};
    constexpr std::int32_t kStride = 80, kBackgroundStride = 70, kSpriteStride = 66;
    const std::vector<std::uint8_t> background = Source(kBackgroundStride * 24);
    std::vector<std::uint8_t> sprite = Source(kSpriteStride * 24 + 7);
    sprite.erase(sprite.begin(), sprite.begin() + 7);  // a different pattern of keys
    for (const bool keyed : {true, false}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message()
                         << (keyed ? "keyed " : "plain ") << c.width << "x" << c.rows
                         << " sprite at " << c.spriteLeft << "," << c.spriteTop);
            std::vector<std::uint8_t> want(kStride * 26);
            for (std::size_t i = 0; i < want.size(); ++i)
                want[i] = static_cast<std::uint8_t>(0x80 | (i * 13));
            std::vector<std::uint8_t> got = want;
            std::uint8_t* at = want.data() + kStride;
            gfx::BlitCopy(at, background.data(), c.width, c.rows, kBackgroundStride - c.width,
                          kStride - c.width, 0);
            std::uint8_t* spriteAt = at + c.spriteTop * kStride + c.spriteLeft;
            const std::int32_t adv = kSpriteStride - c.spriteWidth;
            if (keyed)
                gfx::BlitKey(spriteAt, sprite.data(), c.spriteWidth, c.spriteRows, adv,
                             kStride - c.spriteWidth, 0);
            else
                gfx::BlitCopy(spriteAt, sprite.data(), c.spriteWidth, c.spriteRows, adv,
                              kStride - c.spriteWidth, 0);
            const gfx::BlitPiece piece{sprite.data(), kSpriteStride, c.spriteLeft, c.spriteWidth};
            if (!gfx::BlitOverBackground(got.data() + kStride, kStride, background.data(),
                                         kBackgroundStride, c.width, c.rows, piece, c.spriteTop,
                                         c.spriteRows, keyed))
                GTEST_SKIP() << "no byte-masked stores on this processor";
            EXPECT_EQ(got, want);
        }
    }
}

}  // namespace
