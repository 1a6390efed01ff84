// The "ground textures" module: "GridText.bin" (one tileable 256 x 256 picture per land cover,
// in the world palette's colours), the terrain's material lists ("terrain.dml" textured in
// "Art\Terrain\USA\DML" and in "Art\USA.Vol", plain palette colours in "DML-LOW", both naming
// each material by its land cover), and "stub.ted", the flat sea level tile that stands in for a
// missing tile.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "core/endian.h"
#include "tools/mkdata/installation.h"
#include "tools/mkdata/palette_colours.h"
#include "tools/mkdata/terrain_maker.h"
#include "world/terrain_materials.h"
#include "world/terrain_tile_writer.h"

namespace mkdata {

namespace {

using terrain::kMaterialCount;
using terrain::kMaterialNames;

constexpr int kSize = 256;

struct Colour {
    double r, g, b;
};

// Tileable value noise: the lattice wraps with the picture.
double Wrapped(double x, double y, int period, std::uint32_t seed) {
    auto lattice = [&](int i, int j) {
        i = ((i % period) + period) % period;
        j = ((j % period) + period) % period;
        std::uint32_t h = static_cast<std::uint32_t>(i) * 73856093u ^
                          static_cast<std::uint32_t>(j) * 19349663u ^ seed * 83492791u;
        h ^= h >> 13;
        h *= 0x5bd1e995u;
        h ^= h >> 15;
        return (h & 0xFFFF) / 65535.0;
    };
    const double fx = x * period / kSize, fy = y * period / kSize;
    const int i = static_cast<int>(std::floor(fx)), j = static_cast<int>(std::floor(fy));
    double u = fx - i, v = fy - j;
    u = u * u * (3 - 2 * u);
    v = v * v * (3 - 2 * v);
    return (lattice(i, j) * (1 - u) + lattice(i + 1, j) * u) * (1 - v) +
           (lattice(i, j + 1) * (1 - u) + lattice(i + 1, j + 1) * u) * v;
}

double Fractal(double x, double y, std::uint32_t seed) {
    return 0.5 * Wrapped(x, y, 4, seed) + 0.3 * Wrapped(x, y, 16, seed + 1) +
           0.2 * Wrapped(x, y, 64, seed + 2);
}

Colour Scale(Colour c, double f) {
    return {c.r * f, c.g * f, c.b * f};
}

Colour Mix(Colour a, Colour b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// The daylight colour of a land cover at a texel.
Colour Texel(int material, int x, int y) {
    const double n = Fractal(x, y, 7 + static_cast<std::uint32_t>(material) * 11);
    const double fine = Wrapped(x, y, 128, 31 + static_cast<std::uint32_t>(material));
    switch (material) {
        case terrain::kWater: {
            const double ripple = 0.5 + 0.5 * std::sin((y + 6 * Wrapped(x, y, 8, 3)) * 2 * 3.14159 / 16);
            return Scale({52, 94, 165}, 0.85 + 0.2 * n + 0.06 * ripple);
        }
        case terrain::kGrass:
            return Scale(Mix({96, 150, 62}, {128, 160, 70}, n), 0.85 + 0.3 * fine);
        case terrain::kFarmland: {
            // Fields of 64 texels, each its own crop, with furrows across or along.
            const int fx = x / 64, fy = y / 64;
            const int kind = (fx * 7 + fy * 13 + (fx ^ fy)) % 4;
            static const Colour crops[4] = {{118, 158, 64}, {176, 160, 92}, {132, 104, 64}, {96, 140, 58}};
            const bool across = ((fx + fy) & 1) != 0;
            const int furrow = (across ? x : y) % 6;
            const double edge = (x % 64 < 2 || y % 64 < 2) ? 0.75 : 1.0;
            return Scale(crops[kind], edge * (furrow < 2 ? 0.88 : 1.0) * (0.92 + 0.16 * fine));
        }
        case terrain::kForest: {
            const double crowns = Wrapped(x, y, 32, 91);
            return Scale(Mix({34, 80, 36}, {58, 112, 48}, crowns), 0.8 + 0.35 * fine);
        }
        case terrain::kScrub: {
            const double bush = Wrapped(x, y, 64, 47);
            return bush > 0.62 ? Scale({96, 116, 70}, 0.9 + 0.2 * fine)
                               : Scale(Mix({150, 126, 88}, {170, 146, 104}, n), 0.9 + 0.15 * fine);
        }
        case terrain::kDesert: {
            const double dune = 0.5 + 0.5 * std::sin((x + y * 0.3 + 20 * n) * 2 * 3.14159 / 32);
            return Scale({212, 188, 138}, 0.88 + 0.1 * dune + 0.06 * fine);
        }
        case terrain::kRock:
            return Scale(Mix({120, 112, 104}, {150, 138, 124}, n), 0.75 + 0.4 * fine);
        default:
            return Scale(Mix({226, 230, 240}, {246, 246, 250}, n), 0.94 + 0.06 * fine);
    }
}

std::uint8_t Nearest(const std::vector<Rgb>& palette, Colour c) {
    return NearestWorldEntry(palette, c.r, c.g, c.b);
}

Bytes StoreList(const world::TerrainMaterialList& list) {
    const std::vector<std::uint8_t> b = list.Store();
    return Bytes(b.begin(), b.end());
}

}  // namespace

int MakeGroundTextures(Installation& installation, std::string* error) {
    const std::vector<Rgb> palette = WorldColours(0);
    Bytes grid(4 + kMaterialCount * (16 + kSize * kSize), 0);
    core::WriteU32(grid.data(), kMaterialCount);
    world::TerrainMaterialList textured, plain;
    textured.perSet = plain.perSet = kMaterialCount;
    // Nearest colours are looked up once per distinct colour.
    std::vector<std::int16_t> cache(1 << 15, -1);
    for (int m = 0; m < kMaterialCount; ++m) {
        std::memcpy(grid.data() + 4 + 16 * m, kMaterialNames[m], std::strlen(kMaterialNames[m]));
        std::uint8_t* image = grid.data() + 4 + 16 * kMaterialCount + static_cast<std::size_t>(m) * kSize * kSize;
        double r = 0, g = 0, b = 0;
        for (int y = 0; y < kSize; ++y) {
            for (int x = 0; x < kSize; ++x) {
                const Colour c = Texel(m, x, y);
                r += c.r;
                g += c.g;
                b += c.b;
                const auto q = [](double v) { return std::clamp(static_cast<int>(v) >> 3, 0, 31); };
                const int key = (q(c.r) << 10) | (q(c.g) << 5) | q(c.b);
                std::int16_t& hit = cache[static_cast<std::size_t>(key)];
                if (hit < 0) hit = Nearest(palette, {((key >> 10) << 3) + 4.0, (((key >> 5) & 31) << 3) + 4.0, ((key & 31) << 3) + 4.0});
                image[static_cast<std::size_t>(y) * kSize + x] = static_cast<std::uint8_t>(hit);
            }
        }
        const double n = kSize * kSize;
        const std::uint8_t mean = Nearest(palette, {r / n, g / n, b / n});
        world::TerrainMaterial t;
        t.type = world::kMaterialTexture;
        t.shading = world::kShadingSmooth;
        t.paletteIndex = mean;
        t.textureName = kMaterialNames[m];
        textured.materials.push_back(t);
        // The same land cover in its plain colour: named as in the textured set, so that what
        // the ground is (the sea under the wheels) does not hang on how it is drawn.
        world::TerrainMaterial p;
        p.type = world::kMaterialPalette;
        p.shading = world::kShadingSmooth;
        p.paletteIndex = mean;
        p.textureName = kMaterialNames[m];
        plain.materials.push_back(p);
    }
    installation.AddFile("Art\\Terrain\\USA\\GridText.bin", std::move(grid));
    installation.AddFile("Art\\Terrain\\USA\\DML\\terrain.dml", StoreList(textured));
    installation.AddFile("Art\\Terrain\\USA\\DML-LOW\\terrain.dml", StoreList(plain));
    installation.AddMember("Art\\USA.Vol", "terrain.dml", StoreList(textured));

    // The stub: four by four sea cells at height 0.
    world::TerrainTileModel stub;
    world::TerrainBlockModel root;
    root.firstLevel = root.topLevel = 9;
    root.materialFile = "Art\\Terrain\\USA\\DML\\terrain.dml";
    root.levels.resize(1);
    root.levels[0].widthExp = root.levels[0].heightExp = 1;
    for (int i = 0; i < 4; ++i) {
        root.levels[0].AddSquare();
        for (int c = 0; c < 4; ++c)
            world::SetTerrainCell(root.levels[0].Cell(static_cast<std::uint32_t>(i), c),
                                  world::kLinkLeaf, 0, 0, 0, 0, terrain::kWater);
    }
    stub.blocks.push_back(std::move(root));
    const std::string path = installation.PrepareFile("Art\\Terrain\\USA\\stub.ted");
    return world::WriteTerrainTile(path, stub, error);
}

}  // namespace mkdata
