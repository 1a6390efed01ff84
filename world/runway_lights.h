// The runway lights' display modes, which a debug key steps through: the light mode steps 0, 1,
// 2, 3, 4, 5, 0 ... (mode 0 draws no lights); the program starts in mode 3. The lights' drawing
// joins it with the runways.
#pragma once

namespace world {

void CycleRunwayDebugMode();
[[nodiscard]] int RunwayLightMode();
void SetRunwayLightMode(int mode);

}  // namespace world
