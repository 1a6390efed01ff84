// The loading screen: a 640 x 480 picture of our own (sky, a runway running to the horizon and
// the program's title) as "Art\Intro\loading.bmp", with its palette "Art\Intro\loading.pal".
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "gfx/bitmap.h"
#include "gfx/palette.h"
#include "tools/mkdata/installation.h"
#include "tools/mkdata/palette_colours.h"

namespace mkdata {

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr int kHorizon = 300;

// Palette layout of the picture.
constexpr int kSky = 10;      // 64 shades, zenith to horizon
constexpr int kGround = 74;   // 64 shades, horizon to foreground
constexpr int kRunway = 138;  // 32 shades
constexpr int kWhite = 170;
constexpr int kShadow = 171;
constexpr int kTitle = 172;  // 8 shades, top to bottom of the letters

// The title's letters, 5 x 7 cells each.
struct Glyph {
    char letter;
    const char* rows[7];
};
constexpr Glyph kGlyphs[] = {
    {'Z', {"#####", "....#", "...#.", "..#..", ".#...", "#....", "#####"}},
    {'E', {"#####", "#....", "#....", "####.", "#....", "#....", "#####"}},
    {'P', {"####.", "#...#", "#...#", "####.", "#....", "#....", "#...."}},
    {'H', {"#...#", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"}},
    {'L', {"#....", "#....", "#....", "#....", "#....", "#....", "#####"}},
    {'O', {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."}},
    {'N', {"#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#", "#...#"}},
};

const Glyph* FindGlyph(char c) {
    for (const Glyph& g : kGlyphs) {
        if (g.letter == c) return &g;
    }
    return nullptr;
}

std::uint8_t Lerp(int a, int b, double t) {
    return static_cast<std::uint8_t>(a + (b - a) * t + 0.5);
}

void BuildPalette(gfx::GFXPalette& p) {
    for (int i = 0; i < 256; ++i) {
        const Rgb c = IsStaticEntry(i) ? StaticColour(i) : Rgb{};
        p.entries[i] = {c.r, c.g, c.b, 0};
    }
    for (int k = 0; k < 64; ++k) {
        const double t = k / 63.0;
        p.entries[kSky + k] = {Lerp(40, 190, t), Lerp(80, 210, t), Lerp(170, 235, t), 0};
        p.entries[kGround + k] = {Lerp(120, 50, t), Lerp(150, 110, t), Lerp(90, 40, t), 0};
    }
    for (int k = 0; k < 32; ++k) {
        const double t = k / 31.0;
        p.entries[kRunway + k] = {Lerp(120, 60, t), Lerp(120, 60, t), Lerp(125, 64, t), 0};
    }
    p.entries[kWhite] = {240, 240, 235, 0};
    p.entries[kShadow] = {20, 30, 60, 0};
    for (int k = 0; k < 8; ++k) {
        const double t = k / 7.0;
        p.entries[kTitle + k] = {Lerp(255, 230, t), Lerp(230, 150, t), Lerp(120, 30, t), 0};
    }
}

void DrawScene(gfx::GFXBitmap& b) {
    for (int y = 0; y < kHeight; ++y) {
        std::uint8_t* row = b.Row(y);
        if (y < kHorizon) {
            std::fill(row, row + kWidth, static_cast<std::uint8_t>(kSky + y * 63 / (kHorizon - 1)));
            continue;
        }
        const int depth = y - kHorizon;  // 0 at the horizon
        const int span = kHeight - kHorizon - 1;
        std::fill(row, row + kWidth, static_cast<std::uint8_t>(kGround + depth * 63 / span));
        // The runway: a trapezoid from a point at the horizon to most of the bottom edge.
        const double t = static_cast<double>(depth) / span;
        const int half = static_cast<int>(4 + t * 250);
        const int left = kWidth / 2 - half;
        const int right = kWidth / 2 + half;
        const auto shade = static_cast<std::uint8_t>(kRunway + depth * 31 / span);
        std::fill(row + left, row + right, shade);
        // Edge lines and a dashed centre line whose dashes shorten with distance (1 / depth).
        const int edge = std::max(1, half / 40);
        std::fill(row + left, row + left + edge, static_cast<std::uint8_t>(kWhite));
        std::fill(row + right - edge, row + right, static_cast<std::uint8_t>(kWhite));
        if (depth > 0 && static_cast<int>(1200.0 / depth) % 2 == 0) {
            const int dash = std::max(1, half / 50);
            std::fill(row + kWidth / 2 - dash, row + kWidth / 2 + dash,
                      static_cast<std::uint8_t>(kWhite));
        }
    }
}

void DrawTitle(gfx::GFXBitmap& b, const char* title, int top, int cell) {
    const int letters = static_cast<int>(std::strlen(title));
    const int advance = 6 * cell;
    const int width = letters * advance - cell;
    const int left = (kWidth - width) / 2;
    const int shadowOffset = cell / 2;
    for (const bool shadow : {true, false}) {
        for (int i = 0; i < letters; ++i) {
            const Glyph* g = FindGlyph(title[i]);
            if (g == nullptr) continue;
            for (int gy = 0; gy < 7; ++gy) {
                for (int gx = 0; gx < 5; ++gx) {
                    if (g->rows[gy][gx] != '#') continue;
                    const int x0 = left + i * advance + gx * cell + (shadow ? shadowOffset : 0);
                    const int y0 = top + gy * cell + (shadow ? shadowOffset : 0);
                    for (int y = y0; y < y0 + cell; ++y) {
                        const auto colour = static_cast<std::uint8_t>(
                            shadow ? kShadow : kTitle + (y - top) * 8 / (7 * cell));
                        std::fill(b.Row(y) + x0, b.Row(y) + x0 + cell, colour);
                    }
                }
            }
        }
    }
}

}  // namespace

int MakeLoadingScreen(Installation& installation, std::string* error) {
    auto palette = std::make_unique<gfx::GFXPalette>();
    BuildPalette(*palette);
    auto picture = gfx::GFXBitmap::Create(kWidth, kHeight, 8);
    if (!picture) {
        *error = "cannot make the loading picture";
        return 0;
    }
    DrawScene(*picture);
    DrawTitle(*picture, "ZEPHLON", 90, 10);
    picture->palette = std::move(palette);
    Bytes bmp = CollectBytes(
        [&](core::StreamIO& s) { return picture->Write(s, gfx::kBitmapWriteBmp) != 0; });
    Bytes pal = CollectBytes([&](core::StreamIO& s) { return picture->palette->Write(s) != 0; });
    if (bmp.empty() || pal.empty()) {
        *error = "cannot write the loading picture";
        return 0;
    }
    installation.AddFile("Art\\Intro\\loading.bmp", std::move(bmp));
    installation.AddFile("Art\\Intro\\loading.pal", std::move(pal));
    return 1;
}

}  // namespace mkdata
