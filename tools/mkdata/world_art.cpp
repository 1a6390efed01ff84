#include "tools/mkdata/world_art.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace mkdata {

WorldPaint::WorldPaint() : palette(std::make_unique<gfx::GFXPalette>()) {
    const std::vector<Rgb> colours = WorldColours(0);
    for (int i = 0; i < 256; ++i) {
        palette->entries[i].red = colours[static_cast<std::size_t>(i)].r;
        palette->entries[i].green = colours[static_cast<std::size_t>(i)].g;
        palette->entries[i].blue = colours[static_cast<std::size_t>(i)].b;
    }
}

std::uint8_t WorldPaint::Nearest(Rgb c) const {
    int best = kFirstWorldEntry;
    long bestDistance = -1;
    for (int i = kFirstWorldEntry; i <= kLastFreeEntry; ++i) {
        if (IsFixedEntry(i)) continue;
        const gfx::GFXPaletteEntry& e = palette->entries[i];
        const long dr = long{e.red} - c.r, dg = long{e.green} - c.g, db = long{e.blue} - c.b;
        const long d = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return static_cast<std::uint8_t>(best);
}

std::unique_ptr<gfx::GFXBitmap> NewArt(int width, int height) {
    auto b = gfx::GFXBitmap::Create(width, height, 8);
    // Every byte, the rows' padding included, so the files are the same on every run.
    if (b)
        for (int y = 0; y < height; ++y)
            std::memset(b->Row(y), 0, static_cast<std::size_t>(b->stride));
    return b;
}

Bytes ArtBmp(const gfx::GFXBitmap& art, const WorldPaint& paint) {
    // The file carries the palette it was painted for, so a viewer shows it as the program does.
    auto copy = NewArt(art.width, art.height);
    if (!copy) return {};
    for (int y = 0; y < art.height; ++y)
        std::memcpy(copy->Row(y), art.Row(y), static_cast<std::size_t>(art.width));
    copy->palette = std::make_unique<gfx::GFXPalette>();
    std::memcpy(copy->palette->entries, paint.Palette().entries, sizeof copy->palette->entries);
    return CollectBytes(
        [&](core::StreamIO& s) { return copy->Write(s, gfx::kBitmapWriteBmp) != 0; });
}

const char* const* FigurePattern(char c) {
    static const char* const kDigits[10][7] = {
        {".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."},
        {"..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."},
        {".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"},
        {"####.", "....#", "....#", ".###.", "....#", "....#", "####."},
        {"...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."},
        {"#####", "#....", "####.", "....#", "....#", "#...#", ".###."},
        {".###.", "#....", "#....", "####.", "#...#", "#...#", ".###."},
        {"#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."},
        {".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."},
        {".###.", "#...#", "#...#", ".####", "....#", "....#", ".###."}};
    static const char* const kL[7] = {"#....", "#....", "#....", "#....", "#....", "#....", "#####"};
    static const char* const kR[7] = {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"};
    static const char* const kC[7] = {".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."};
    if (c >= '0' && c <= '9') return kDigits[c - '0'];
    if (c == 'L') return kL;
    if (c == 'R') return kR;
    if (c == 'C') return kC;
    return nullptr;
}

namespace {

double Lattice(int x, int y, std::uint32_t seed) {
    std::uint32_t h = static_cast<std::uint32_t>(x) * 374761393u + static_cast<std::uint32_t>(y) * 668265263u +
                      seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return (h & 0xFFFFFF) / 16777215.0;
}

double Smooth(double t) {
    return t * t * (3.0 - 2.0 * t);
}

}  // namespace

double TileNoise(double x, double y, int octaves, std::uint32_t seed) {
    double sum = 0.0, weight = 0.0, amplitude = 1.0;
    int period = 16;  // lattice cells across the 256 tile at the first octave
    for (int o = 0; o < octaves; ++o) {
        const double fx = x / 256.0 * period, fy = y / 256.0 * period;
        const int x0 = static_cast<int>(std::floor(fx)), y0 = static_cast<int>(std::floor(fy));
        const double tx = Smooth(fx - x0), ty = Smooth(fy - y0);
        auto at = [&](int i, int j) {
            return Lattice(((i % period) + period) % period, ((j % period) + period) % period,
                           seed + static_cast<std::uint32_t>(o) * 7919u);
        };
        const double a = at(x0, y0) + (at(x0 + 1, y0) - at(x0, y0)) * tx;
        const double b = at(x0, y0 + 1) + (at(x0 + 1, y0 + 1) - at(x0, y0 + 1)) * tx;
        sum += amplitude * (a + (b - a) * ty);
        weight += amplitude;
        amplitude *= 0.5;
        period *= 2;
    }
    return sum / weight;
}

}  // namespace mkdata
