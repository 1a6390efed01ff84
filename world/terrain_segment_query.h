// Where a straight segment first meets the terrain of one grid. The walk visits the cells the
// segment's ground track crosses, from its start, at a chosen level, and tests the terrain where
// the segment leaves each cell, so the first contact found is the nearest one; asked for the
// exact point, it then intersects the segment with the contact cell's two triangles.
#pragma once

#include <cstdint>

#include "world/terrain_grid.h"

namespace world {

class TerrainSegmentQuery {
public:
    explicit TerrainSegmentQuery(TerrainGrid* grid) : grid(grid) {}

    // segment: start x, y, z and end x, y, z in grid coordinates (z up). level >= 0 walks the
    // cells of that level and reports contact at their edges; level < 0 walks level 0 and finds
    // the exact point. 1 on a hit (hit point and normal are then valid), else 0.
    int Intersect(const float segment[6], std::int32_t level);

    float hit[3] = {0.0f, 0.0f, 0.0f};
    // The terrain normal at the hit, not normalised; its third component is the cell size.
    float normal[3] = {0.0f, 0.0f, 1.0f};

private:
    // Looks up the cell holding a point at the query level; false when there is no terrain.
    bool LookUp(double x, double y);
    // Ground height at a point of the current cell (the point may lie on its edge).
    [[nodiscard]] double GroundAt(double x, double y) const;
    // Height of the segment above the current cell's ground at parameter t.
    [[nodiscard]] double Clearance(double t) const;
    // Where the segment crosses the current cell's diagonal (any t; -1 when parallel).
    [[nodiscard]] double DiagonalCrossing() const;
    bool ExactHit();

    TerrainGrid* grid;
    std::int32_t level = 0;
    std::int32_t shift = 0;
    double p0[3] = {0, 0, 0};
    double p1[3] = {0, 0, 0};
    // The current cell: its lookup, corners, size and corner position.
    TerrainCellLookup cell;
    TerrainCorners corners;
    std::int32_t cellShift = 0;
    double cornerX = 0.0;
    double cornerY = 0.0;
    bool current = false;
};

}  // namespace world
