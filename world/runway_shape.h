// A runway as the scenery draws it: built at tile-load time from its record into one pavement
// mesh (pavement and painted markings) with the runway's lights, drawn with the runway material
// list that all runways share ("runway.dml": a textured set and an untextured one, chosen by
// the base index).
#pragma once

#include <cstdint>
#include <memory>

#include "ts/part_tree.h"
#include "world/runway_geometry.h"

namespace core {
class ResourceVolume;
}
namespace gfx {
class GFXPalette;
}
namespace ts {
class TSMesh;
class TSMaterialList;
}  // namespace ts

namespace world {

// Loads "runway.dml" once from `art` (the runways' folder) and acquires it; unless `textured`
// (both "RunwayTexture" and "TerrainTexture" on) the list shows its untextured set. A missing
// or damaged list leaves the runways undrawn, their lights still shown. 1 when loaded.
int LoadRunwayMaterials(core::ResourceVolume* art, const gfx::GFXPalette* palette, bool textured);
void FreeRunwayMaterials();
[[nodiscard]] ts::TSMaterialList* RunwayMaterials();

// Palette entries of the far runways' outlines: paved and soft.
inline constexpr std::uint32_t kHardRunwayOutline = 81;
inline constexpr std::uint32_t kSoftRunwayOutline = 86;

class RunwayShape final : public ts::TSRenderItem {
public:
    // markingSetting / lightingSetting: "RunwayMarkings" and "RunwayLighting".
    RunwayShape(const RunwayRecord& record, int markingSetting, int lightingSetting);
    ~RunwayShape() override;
    RunwayShape(const RunwayShape&) = delete;
    RunwayShape& operator=(const RunwayShape&) = delete;

    // The pavement (through the camera's current placement, which must be the runway's), then
    // its lights.
    void Render(int cullCode) override;
    void RemapMaterials(const std::uint32_t*) override {}

    [[nodiscard]] const RunwayGeometry& Geometry() const { return geometry; }
    [[nodiscard]] const ts::TSMesh* Pavement() const { return pavement.get(); }
    [[nodiscard]] float Radius() const;
    // The pavement's box (object frame, shape units), and the box over the pavement and every
    // light (the approach lights reach far beyond the pavement).
    [[nodiscard]] ts::TSBox Box() const;
    [[nodiscard]] const ts::TSBox& LitBox() const { return litBox; }

private:
    RunwayGeometry geometry;
    std::unique_ptr<ts::TSMesh> pavement;
    ts::TSBox litBox;
    bool hard;
};

}  // namespace world
