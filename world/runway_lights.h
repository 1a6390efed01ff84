// Drawing a runway's lights: the four light images (fonts whose frames are light discs of
// growing size), the glide-slope indicators' planes, the debug modes that scale the lights,
// and the per-frame drawing of a runway's light lists through the current camera, whose model
// transform is the runway's placement.
#pragma once

#include <cstdint>

namespace core {
class ResourceVolume;
}
namespace gfx {
class GFXFont;
}

namespace world {

class RunwayGeometry;

// At start-up: the ten glide-slope plane normals and the four light images from `art`
// ("grnlght.pft", "amblght.pft", "redlght.pft", "whtlght.pft"); a missing or malformed image
// leaves its lights undrawn. Shutdown frees them.
void InitRunwayShapes(core::ResourceVolume* art);
void ShutdownRunwayShapes();
[[nodiscard]] const gfx::GFXFont* RunwayLightImage(std::uint16_t code);

// Debug key: the light mode steps 0, 1, 2, 3, 4, 5, 0 ... and sets the light size factor
// (mode 0 draws no lights). The program starts in mode 3.
void CycleRunwayDebugMode();
[[nodiscard]] int RunwayLightMode();
[[nodiscard]] float RunwayLightSizeFactor();
void SetRunwayLightMode(int mode);

// The frame of a light image for a distance: discs grow as the light comes nearer.
[[nodiscard]] int RunwayLightFrame(float scale);

// Draws the runway's lights unless the world is in full daylight or the mode is 0: those seen
// both ways, then the list facing the viewer. Returns the number of lights drawn.
int RenderRunwayLights(const RunwayGeometry& g);

}  // namespace world
