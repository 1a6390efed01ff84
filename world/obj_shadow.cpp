#include "world/obj_shadow.h"

#include <cmath>
#include <cstdio>
#include <map>

#include "core/resource_volume.h"
#include "gfx/surface.h"
#include "ts/perspective_camera.h"
#include "ts/point_array.h"
#include "world/terrain_grid.h"
#include "world/terrain_segment_query.h"

namespace world {

namespace {

// The shadow's corners in its own frame (x across, y forward) and their places in the picture
// (u across, v down the rows, the nose on row 0).
const ts::Vector3F kUnitCorners[4] = {
    {-1.0f, -1.0f, 0.0f}, {-1.0f, 1.0f, 0.0f}, {1.0f, 1.0f, 0.0f}, {1.0f, -1.0f, 0.0f}};
const gfx::GFXTexCoord kUnitTexCoords[4] = {{0.0f, 1.0f}, {0.0f, 0.0f}, {1.0f, 0.0f}, {1.0f, 1.0f}};
// Clockwise on the screen seen from above; the reverse when the shadow is mirrored.
const std::int32_t kForwardOrder[4] = {0, 1, 2, 3};
const std::int32_t kReversedOrder[4] = {3, 2, 1, 0};

// The pictures by number, shared while any shadow holds them.
std::map<int, std::weak_ptr<const gfx::GFXBitmap>>& Pictures() {
    static std::map<int, std::weak_ptr<const gfx::GFXBitmap>> pictures;
    return pictures;
}

// One point array for all shadows: four corners and the crossings of one clipped quadrilateral.
ts::PointArray& SharedPointArray() {
    static ts::PointArray points(20);
    return points;
}

void Normalise(float n[3]) {
    const float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    if (!(length > 0.0f)) {
        n[0] = n[1] = 0.0f;
        n[2] = 1.0f;
        return;
    }
    for (int i = 0; i < 3; ++i)
        n[i] /= length;
}

}  // namespace

ObjShadow::ObjShadow(float half, int shadowNumber) : halfSize(half) {
    transform.SetIdentity();
    LoadShadowBitmaps(shadowNumber);
}

ObjShadow::~ObjShadow() = default;

void ObjShadow::LoadShadowBitmaps(int shadowNumber) {
    char name[32];
    std::snprintf(name, sizeof name, "shad%d.bmp", shadowNumber);
    std::weak_ptr<const gfx::GFXBitmap>& shared = Pictures()[shadowNumber];
    picture = shared.lock();
    if (!picture) {
        core::ResourceVolume& volume = core::thePlaneShapesVolume;
        (void)volume.IsOpen();  // opened when first asked for; loose pictures read without it
        std::unique_ptr<gfx::GFXBitmap> loaded = volume.LoadBitmap(name, 0);
        if (loaded && loaded->bitsPerPixel == 8 && loaded->width > 0 && loaded->height > 0 &&
            loaded->width <= 256 && loaded->height <= 256) {
            picture = std::shared_ptr<const gfx::GFXBitmap>(std::move(loaded));
            shared = picture;
        }
    }
    material.colour = 0;
    material.texture = picture.get();
    material.textureFlags = 1;  // colour 0 shows the ground through
    // 1.0 spans 256 texels: the unit square maps onto the picture's texel centres.
    const float w = picture ? static_cast<float>(picture->width) : 256.0f;
    const float h = picture ? static_cast<float>(picture->height) : 256.0f;
    for (int i = 0; i < 4; ++i) {
        texCoords[i].u = (0.5f + kUnitTexCoords[i].u * (w - 1.0f)) / 256.0f;
        texCoords[i].v = (0.5f + kUnitTexCoords[i].v * (h - 1.0f)) / 256.0f;
    }
}

int ObjShadow::PicturesHeld() {
    int held = 0;
    for (const auto& [number, picture] : Pictures())
        held += picture.expired() ? 0 : 1;
    return held;
}

void ObjShadow::Update(TerrainGrid* grid, const float position[3], const float angles[3],
                       const float lightDirection[3]) {
    visible = 0;
    if (grid == nullptr) return;
    float light[3] = {lightDirection[0], lightDirection[1], lightDirection[2]};
    const float length = std::sqrt(light[0] * light[0] + light[1] * light[1] + light[2] * light[2]);
    if (!(length > 0.0f)) return;
    const float segment[6] = {position[0],
                              position[1],
                              position[2],
                              position[0] + light[0] / length * castLength,
                              position[1] + light[1] / length * castLength,
                              position[2] + light[2] / length * castLength};
    TerrainSegmentQuery query(grid);
    if (!query.Intersect(segment, -1)) return;
    const float hit[3] = {query.hit[0], query.hit[1], query.hit[2]};
    const float dx = hit[0] - position[0], dy = hit[1] - position[1], dz = hit[2] - position[2];
    nearFlag = std::sqrt(dx * dx + dy * dy + dz * dz) <= nearDistance ? 1 : 0;

    // Pitch and bank narrow the shadow; upside down in one of them it is seen from below.
    const float ex = std::cos(angles[1]) * halfSize;
    const float ey = std::cos(angles[0]) * halfSize;
    mirrored = ((ex < 0.0f) != (ey < 0.0f)) ? 1 : 0;

    // The ground's slope: the mean of the normals at two opposite corners of the shadow.
    float n[3] = {0.0f, 0.0f, 0.0f};
    const std::int32_t offsets[2] = {-static_cast<std::int32_t>(halfSize),
                                     static_cast<std::int32_t>(halfSize)};
    for (const std::int32_t o : offsets) {
        const TerrainHeightResult& r = grid->GetHeightAt(
            static_cast<std::int32_t>(std::floor(hit[0])) + o,
            static_cast<std::int32_t>(std::floor(hit[1])) + o);
        float part[3] = {r.normal[0], r.normal[1], r.normal[2]};
        Normalise(part);
        for (int i = 0; i < 3; ++i)
            n[i] += part[i];
    }
    Normalise(n);
    ts::Matrix3F tilt, heading, turned;
    ts::Matrix3F::SetEulerAngles(
        ts::Vector3F{std::atan2(-n[1], n[2]), std::atan2(n[0], n[2]), 0.0f}, &tilt);
    ts::Matrix3F::SetEulerAngles(ts::Vector3F{0.0f, 0.0f, angles[2]}, &heading);
    ts::Matrix3F::Multiply(heading, tilt, &turned);  // tilt x heading
    for (int row = 0; row < 3; ++row) {
        turned.At(row, 0) *= ex;
        turned.At(row, 1) *= ey;
    }
    turned.kind = ts::Matrix3F::kGeneral;
    transform.matrix = turned;
    transform.t = ts::Vector3F{hit[0], hit[1], hit[2]};
    visible = 1;
}

void ObjShadow::Corners(ts::Vector3F out[4]) const {
    const std::int32_t* order = mirrored != 0 ? kReversedOrder : kForwardOrder;
    for (int i = 0; i < 4; ++i)
        ts::Transform3F::TransformPoint(kUnitCorners[order[i]], transform, &out[i]);
}

void ObjShadow::Render(int /*cullCode*/) {
    ts::TSCamera* camera = ts::theCurrentCamera;
    gfx::GFXDrawTarget* target = gfx::theCurrentDrawTarget;
    if (visible == 0 || !picture || camera == nullptr || target == nullptr ||
        target->surface == nullptr) {
        return;
    }
    camera->SetTransform(transform);
    ts::PointArray& points = SharedPointArray();
    if (!points.SetPoints(4, kUnitCorners, texCoords) || !points.TransformAndProject()) return;
    const ts::ScreenPoint* screen[ts::kMaxClipVertices];
    const gfx::GFXTexCoord* tex[ts::kMaxClipVertices];
    const int n =
        points.BuildPolygon(4, mirrored != 0 ? kReversedOrder : kForwardOrder, screen, &tex[0]);
    if (n < 3 || n > gfx::kPolyMaxAttributedPoints) return;
    // Near shadows are drawn in perspective, far ones with affine texturing.
    if (nearFlag != 0)
        gfx::DrawPolygonPerspective(*target, material, n, screen, tex);
    else
        gfx::DrawPolygonTextured(*target, material, n, screen, tex);
}

}  // namespace world
