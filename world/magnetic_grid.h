// The magnetic grids of the terrain window's centre tile: two grids of 128 x 128 16-bit angles
// read from the data volume whenever the centre tile changes, ".mag" (the magnetic variation,
// east positive) and ".nor" (the projection's meridian convergence). Headings in the simulation
// are reckoned against the terrain grid's axes; their sum at the aircraft turns a grid heading
// into a magnetic one.
#pragma once

#include <cstdint>
#include <string>

namespace world {

inline constexpr int kMagneticGridSize = 128;
inline constexpr std::uint32_t kMagneticGridBytes = kMagneticGridSize * kMagneticGridSize * 2;

class MagneticGrid {
public:
    // The member of a tile, named row first: "%02dX%02d.mag" / ".nor".
    [[nodiscard]] static std::string MagName(int column, int row);
    [[nodiscard]] static std::string NorName(int column, int row);
    // Read the tile's grid; a member that does not open or does not hold exactly one grid
    // leaves the previous values in force. 1 when read.
    static int LoadMag(int column, int row);
    static int LoadNor(int column, int row);
    // The value at a scene position (x, y in terrain-grid coordinates, relative to the centre
    // tile's middle); positions beyond the tile are held to its edge cells.
    [[nodiscard]] static std::int16_t MagAt(float x, float y);
    [[nodiscard]] static std::int16_t NorAt(float x, float y);
    // The cell index of a coordinate: (trunc(c) + 2^19) / 8192, held to 0..127.
    [[nodiscard]] static int CellOf(float c);
    // Back to zeros (no variation), as at start-up.
    static void Clear();
};

}  // namespace world
