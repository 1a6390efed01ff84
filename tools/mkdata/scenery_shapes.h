// The scenery shapes of the installation: the airports' buildings (T-hangars, a large hangar
// drawn through a BSP part, a terminal, a fuel farm, a control tower, a rotating beacon, trees as
// bitmap-frame sprites) and the obstacles of the obstacle table (the 14 lattice masts "TWR_nnnn"
// and the 23 other kinds), each with the warning-light sequences 0 to 2.
#pragma once

#include <vector>

#include "tools/mkdata/shape_builder.h"

namespace mkdata {

// Every scenery shape, names without extension (stored as ".dts").
[[nodiscard]] std::vector<ShapeFiles> MakeSceneryShapes();
// The names of the obstacle shapes, in the order of the obstacle table (masts first).
[[nodiscard]] std::vector<std::string> ObstacleShapeNames();
// The building shapes' names.
[[nodiscard]] std::vector<std::string> BuildingShapeNames();

}  // namespace mkdata
