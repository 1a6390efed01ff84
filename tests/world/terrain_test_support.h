// Tiles for the terrain tests, made with the program's own tile writer: a square height field
// quantised to 255 table heights, and the corners and triangle rule a test uses to predict the
// grid's answers without the grid's own code.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "gfx/bitmap.h"
#include "world/terrain_tile_writer.h"

namespace terraintest {

// A height field of n x n pixels (n a power of two), each pixel a table index.
struct HeightField {
    int n = 0;
    std::vector<std::uint8_t> index;  // row y (counted from the bottom) times n plus x
    std::int32_t table[256] = {};

    [[nodiscard]] std::int32_t Corner(int x, int y) const {
        x = std::min(x, n - 1);
        y = std::min(y, n - 1);
        return table[index[static_cast<std::size_t>(y * n + x)]];
    }
};

// Samples f (file units) at the pixel positions and quantises to 255 evenly spaced heights.
inline HeightField MakeField(int n, const std::function<double(int, int)>& f) {
    HeightField h;
    h.n = n;
    std::vector<double> v(static_cast<std::size_t>(n * n));
    double lo = 1e300, hi = -1e300;
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            v[static_cast<std::size_t>(y * n + x)] = f(x, y);
            lo = std::min(lo, v[static_cast<std::size_t>(y * n + x)]);
            hi = std::max(hi, v[static_cast<std::size_t>(y * n + x)]);
        }
    const double step = hi > lo ? (hi - lo) / 254.0 : 1.0;
    for (int i = 0; i < 255; ++i)
        h.table[i] = static_cast<std::int32_t>(std::lround(lo + i * step));
    h.index.resize(v.size());
    for (std::size_t i = 0; i < v.size(); ++i)
        h.index[i] = static_cast<std::uint8_t>(std::lround((v[i] - lo) / step));
    return h;
}

// The tile of a field: one block, levels up to one square, the field's table.
inline world::TerrainTileModel TileOf(const HeightField& h) {
    auto bmp = gfx::GFXBitmap::Create(h.n, h.n, 8);
    for (int y = 0; y < h.n; ++y)
        for (int x = 0; x < h.n; ++x)
            bmp->Row(h.n - 1 - y)[x] = h.index[static_cast<std::size_t>(y * h.n + x)];
    world::TerrainTileModel tile = world::BuildTileFromHeightBitmap(*bmp, -1);
    for (int i = 0; i < 255; ++i)
        tile.blocks[0].heights[static_cast<std::size_t>(i)] = h.table[i];
    return tile;
}

inline void WriteTile(const std::string& path, const world::TerrainTileModel& tile) {
    std::string error;
    ASSERT_EQ(world::WriteTerrainTile(path, tile, &error), 1) << error;
}

// The height inside a cell with corners h0 (0,0), h1 (0,s), h2 (s,s), h3 (s,0): the plane of
// the triangle holding (u, v), the cell split along the diagonal the corners' twist picks.
inline double TriangleHeight(double h0, double h1, double h2, double h3, double s, double u,
                             double v) {
    struct P {
        double x, y, z;
    };
    const P c0{0, 0, h0}, c1{0, s, h1}, c2{s, s, h2}, c3{s, 0, h3};
    P a, b, c;
    const double twist = h2 - h3 - h1 + h0;
    if (twist > 0) {  // split from (0,s) to (s,0)
        if (u + v >= s) {
            a = c1, b = c2, c = c3;
        } else {
            a = c0, b = c1, c = c3;
        }
    } else {  // split from (0,0) to (s,s); a planar cell is the same either way
        if (v < u) {
            a = c0, b = c2, c = c3;
        } else {
            a = c0, b = c1, c = c2;
        }
    }
    // Plane through a, b, c evaluated at (u, v).
    const double ux = b.x - a.x, uy = b.y - a.y, uz = b.z - a.z;
    const double vx = c.x - a.x, vy = c.y - a.y, vz = c.z - a.z;
    const double nx = uy * vz - uz * vy, ny = uz * vx - ux * vz, nz = ux * vy - uy * vx;
    return a.z - (nx * (u - a.x) + ny * (v - a.y)) / nz;
}

}  // namespace terraintest
