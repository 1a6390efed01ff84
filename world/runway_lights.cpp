#include "world/runway_lights.h"

#include <string>

#include "win/program_entry.h"

namespace world {

namespace {
int theMode = 3;
}  // namespace

void SetRunwayLightMode(int mode) {
    theMode = mode < 0 || mode > 5 ? 3 : mode;
}

void CycleRunwayDebugMode() {
    SetRunwayLightMode(theMode < 5 ? theMode + 1 : 0);
    win::TraceLine("runway lights: mode " + std::to_string(theMode));
}

int RunwayLightMode() {
    return theMode;
}

}  // namespace world
