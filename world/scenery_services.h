// What the scenery (sky, clouds, airport objects, runways, traffic) needs of the simulation's
// spine, which sits above it: the graphics settings, the simulated zulu time, the aircraft's
// place, the scene light and the day period. The world installs its own at start-up; the
// defaults describe the default settings, noon of 1 January 2000 at the origin, and a light
// that nobody reads.
#pragma once

#include <cstdint>

#include "world/scenery_settings.h"

namespace core {
class ResourceVolume;
}
namespace gfx {
class GFXPalette;
}
namespace ts {
class TSRenderItem;
class TSShape;
}  // namespace ts

namespace world {

class TerrainGrid;

// A zulu calendar time as the world's clock gives it.
struct ZuluDateTime {
    int year = 100;  // years since 1900
    int month = 0;   // 0..11
    int day = 1;
    int hour = 12;
    int minute = 0;
    int second = 0;
};

struct SceneryServices {
    std::int32_t (*graphicsSetting)(int index);  // the current profile's value, 0 when absent
    void (*zuluDateTime)(ZuluDateTime* out);
    double (*latitude)();   // of the aircraft, degrees north
    double (*longitude)();  // of the aircraft, degrees west positive
    void (*setSunDirection)(const float direction[3]);
    void (*lightDirection)(float out[3]);
    int (*dayPeriod)();       // 0 dawn, 1 day, 2 dusk, 3 night
    int (*isFullDaylight)();  // light above 0.9
    gfx::GFXPalette* (*currentPalette)();  // the frame's palette, or null
    int (*viewportBottom)();               // last screen row of the 3D view
    double (*cameraHeading)();             // of the current camera, radians
    // World position (x, y in world units) of the scene frame's origin: a world position is a
    // scene position plus this.
    void (*sceneOffset)(double out[2]);
    void (*renderTerrain)();  // the terrain pass, drawn by the cloud passes in altitude order
    // The ground's height (world units above sea level) at a world position; whether the
    // terrain holding a world position is loaded.
    double (*groundHeight)(double worldX, double worldZ);
    int (*isTerrainLoadedAt)(const double world[3]);
    // The loaded terrain tile holding a world position (its grid takes scene positions), or
    // null.
    TerrainGrid* (*terrainGridAt)(const double world[3]);
    // Files a render item at a world position with its radius (with a cloud deck, else the
    // ground's lists); files one with its ground rectangle in scene units (min x, min y, max x,
    // max y), the height of its base (world units) and whether it lies flat on the ground (a
    // runway) in the ground's lists. 1 when filed.
    int (*addRenderItem)(const double world[3], float radius, ts::TSRenderItem* item);
    int (*addTerrainRenderItem)(const float rect[4], float base, int flat, ts::TSRenderItem* item);
    // A shared shape from the world's cache, loaded from `folder` on first use (null when
    // missing; `buildingTile` while a tile's buildings are built), and its release.
    ts::TSShape* (*acquireShape)(const char* name, core::ResourceVolume* folder, int buildingTile);
    void (*releaseShape)(ts::TSShape* shape);
};

extern SceneryServices theSceneryServices;
[[nodiscard]] SceneryServices DefaultSceneryServices();

}  // namespace world
