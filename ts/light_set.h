// The lighting context of a frame: the lights that shine on the scene, the base (ambient) colour
// and the inverse of the current model-to-world transform, so that lights given in world terms
// light model-space points and normals. Meshes, terrain and sky ask the active set for the
// colour of a point; the set adds up what each light gives.
#pragma once

#include <cstdint>

#include "gfx/surface_types.h"
#include "ts/light.h"
#include "ts/maths.h"

namespace ts {

class TSLightSet {
public:
    static constexpr int kMaxLights = 10;
    static constexpr int kTableEntries = 256;

    TSLightSet() = default;
    ~TSLightSet();
    TSLightSet(const TSLightSet&) = delete;
    TSLightSet& operator=(const TSLightSet&) = delete;

    // 1 when added; a full set (ten lights) refuses the light and returns 0.
    int AddLight(TSLight* light);
    // Moves the last light into the removed one's place; 0 when the light was not in the set.
    int RemoveLight(TSLight* light);
    // Clears the lighting table, selects every light's kernels, captures the camera and
    // becomes theActiveLightSet.
    void Activate();
    // Clears every light's kernels and on word; no set is active afterwards.
    void Deactivate();
    // Takes the inverse of the current camera's model-to-world transform (when the camera
    // has a valid position) and makes every light recompute its object-space terms.
    void CaptureCamera();
    void PrepareForObject(const Vector3F& centre, float radius);
    // Base colour plus what each light's point kernel adds, as lighting words.
    void LightPoints(const LightPoint& at, gfx::GFXColourTriple* out) const;
    // The same for a point lit through normal index n of the unit-normal table.
    void LightPointsAt(const Vector3F& point, int normalIndex, gfx::GFXColourTriple* out) const;
    // The same with the world-space kernels (the terrain's points are world points).
    void LightPointsAlt(const LightPoint& at, gfx::GFXColourTriple* out) const;

    void SetBaseColour(float r, float g, float b) {
        base[0] = r;
        base[1] = g;
        base[2] = b;
    }
    [[nodiscard]] int Count() const { return count; }
    [[nodiscard]] TSLight* Light(int i) const { return (i >= 0 && i < count) ? lights[i] : nullptr; }
    [[nodiscard]] const Transform3F& GetWorldToModel() const { return worldToModel; }
    [[nodiscard]] const Transform3F& GetModelToWorld() const { return modelToWorld; }
    [[nodiscard]] bool IsCameraValid() const { return cameraValid != 0; }
    [[nodiscard]] bool IsPrepared() const { return prepared != 0; }
    // The table shared by the lights, indexed by unit-normal index; cleared per activation.
    [[nodiscard]] const LightSum* LightingTable() const { return table; }

private:
    Transform3F worldToModel;
    Transform3F modelToWorld;
    float base[3] = {0.0f, 0.0f, 0.0f};
    std::int32_t count = 0;
    TSLight* lights[kMaxLights] = {};
    std::uint32_t cameraValid = 0;
    std::uint32_t prepared = 0;
    LightSum table[kTableEntries];
};

// The set that lights the current frame; null outside a frame.
extern TSLightSet* theActiveLightSet;

}  // namespace ts
