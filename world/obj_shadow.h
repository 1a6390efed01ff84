// The ground shadow of an object (the user's aircraft, scenery objects): one textured
// quadrilateral lying on the terrain where the sun's ray through the object meets it, tilted to
// the ground's slope, turned to the object's heading and narrowed by its pitch and bank. The
// owner updates it each frame with the terrain grid under the object and files it with the
// terrain's draw lists like any other render item.
//
// The picture is "shad%d.bmp" of the aircraft shapes' volume: a top view with the nose at the
// top, colour 0 transparent. Shadows of one number share one picture.
#pragma once

#include <cstdint>
#include <memory>

#include "gfx/bitmap.h"
#include "gfx/raster/poly_request.h"
#include "ts/maths.h"
#include "ts/part_tree.h"

namespace world {

class TerrainGrid;

class ObjShadow : public ts::TSRenderItem {
public:
    static constexpr float kCastLength = 100000.0f;
    static constexpr float kNearDistance = 8000.0f;

    ObjShadow(float halfSize, int shadowNumber);
    ~ObjShadow() override;
    ObjShadow(const ObjShadow&) = delete;
    ObjShadow& operator=(const ObjShadow&) = delete;

    // position and the light direction in the grid's coordinates (z up); angles x pitch,
    // y bank, z heading in radians. Without a grid, or when the ray misses the terrain within
    // the cast length, the shadow is invisible.
    void Update(TerrainGrid* grid, const float position[3], const float angles[3],
                const float lightDirection[3]);
    void Render(int cullCode) override;

    [[nodiscard]] bool IsVisible() const { return visible != 0; }
    [[nodiscard]] bool IsMirrored() const { return mirrored != 0; }
    [[nodiscard]] bool IsNear() const { return nearFlag != 0; }
    [[nodiscard]] float HalfSize() const { return halfSize; }
    [[nodiscard]] const ts::Transform3F& Transform() const { return transform; }
    [[nodiscard]] bool HasPicture() const { return picture != nullptr; }
    // The four corners in world (grid) coordinates, in drawing order.
    void Corners(ts::Vector3F out[4]) const;
    // The four texture coordinates inside the picture.
    [[nodiscard]] const gfx::GFXTexCoord* TexCoords() const { return texCoords; }

    // The shared pictures still held (by number); for tests.
    [[nodiscard]] static int PicturesHeld();

private:
    void LoadShadowBitmaps(int shadowNumber);

    gfx::GFXTexCoord texCoords[4];
    std::shared_ptr<const gfx::GFXBitmap> picture;
    gfx::GFXFaceMaterial material;
    float castLength = kCastLength;
    float nearDistance = kNearDistance;
    float halfSize = 0.0f;
    ts::Transform3F transform;
    std::uint32_t visible = 0;
    std::uint32_t mirrored = 0;
    std::uint32_t nearFlag = 0;
};

}  // namespace world
