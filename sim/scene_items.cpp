// The world's shapes and the objects filed for a frame: the shape cache behind
// SimWorld::AcquireShape, the user's aircraft filed with the terrain in the camera views, and
// the report fields of the shapes drawn.
#include <algorithm>

#include "core/resource_volume.h"
#include "core/run_report.h"
#include "flight/aircraft.h"
#include "sim/sim_world.h"
#include "sim/view_controller.h"
#include "ts/face_draw.h"
#include "ts/shape.h"
#include "ts/shape_resource.h"
#include "world/artifact_shape_cache.h"
#include "world/terrain_renderer.h"

namespace sim {

namespace {

// While it lives, shapes, material lists and textures come from the volume (and the loose
// folder that overrides it).
class CurrentShapeVolume {
public:
    explicit CurrentShapeVolume(core::ResourceVolume& volume) : saved(ts::GetShapeResourceStream()) {
        ts::SetShapeResourceStream(volume.IsOpen() != 0 ? volume.GetStream() : nullptr);
    }
    ~CurrentShapeVolume() { ts::SetShapeResourceStream(saved); }
    CurrentShapeVolume(const CurrentShapeVolume&) = delete;
    CurrentShapeVolume& operator=(const CurrentShapeVolume&) = delete;

private:
    core::VolumeStream* saved;
};

}  // namespace

ts::TSShape* SimWorld::AcquireShape(const char* name) {
    if (!shapeCache || name == nullptr) return nullptr;
    return shapeCache->Acquire(name, GetCurrentPalette());
}

void SimWorld::ReleaseShape(ts::TSShape* shape) {
    if (shapeCache) shapeCache->Release(shape);
}

ts::TSShape* SimWorld::AcquireShapeFrom(core::ResourceVolume& volume, const char* name,
                                        int buildingTile) {
    CurrentShapeVolume current(volume);
    if (shapeCache) shapeCache->SetBuildingTile(buildingTile);
    ts::TSShape* shape = AcquireShape(name);
    if (shapeCache) shapeCache->SetBuildingTile(0);
    return shape;
}

// The aircraft's shapes come from the planes' folder of the shapes volume.
ts::TSShape* AcquireAircraftShape(const char* name) {
    return theSimWorld.AcquireShapeFrom(core::thePlaneShapesVolume, name, 0);
}

void ReleaseAircraftShape(ts::TSShape* shape) {
    theSimWorld.ReleaseShape(shape);
}

void SimWorld::FileAircraft() {
    if (aircraft == nullptr || !theViewController.InCamera()) return;
    ts::TSShapeInstance* instance = aircraft->GetShapeInstance();
    if (instance == nullptr) return;
    float p[3], a[3];
    aircraft->GetScenePosition(p);
    p[2] += aircraft->GetModelHeightOffset();
    flight::GetAircraftAttitude(a);
    instance->SetPosition(ts::Vector3F{p[0], p[1], p[2]});
    instance->SetRotation(ts::Vector3F{a[0], a[1], a[2]});
    FileSceneItem(p, instance->GetShape()->fRadius, instance, world::TerrainItemLayer::kStanding);
}

void RegisterShapeReportFields() {
    core::RegisterReportField("shape", [] {
        return flight::theAircraft.GetShape() != nullptr ? flight::theAircraft.GetShapeName() : std::string();
    });
    core::RegisterReportField("shape_faces",
                              [] { return std::to_string(theSimWorld.GetLastFrameFaces()); });
}

}  // namespace sim
