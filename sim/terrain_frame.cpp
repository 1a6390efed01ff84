// The world's terrain in each frame: the terrain pass and the render items filed with it, the
// warm-up pass that pages in what lies round the aircraft before the first picture, the magnetic
// variation the frame stores for the compass, and the terrain's fields in the runner's report.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <numbers>

#include "core/run_report.h"
#include "flight/aircraft.h"
#include "flight/flight_model_state.h"
#include "nav/magnetic_offset.h"
#include "sim/sim_world.h"
#include "sim/view_controller.h"
#include "ts/face_draw.h"
#include "ts/shape.h"
#include "world/magnetic_grid.h"
#include "world/obj_shadow.h"
#include "world/scenery_settings.h"
#include "world/terrain_manager.h"
#include "world/terrain_renderer.h"
#include "world/terrain_services.h"

namespace sim {

void SimWorld::RenderTerrain() {
    if (terrain) terrain->Render();
    lastFrameFaces = ts::FacesSubmitted();
}

// The cloud layers will take the items among their decks once they exist; until then the
// terrain's draw lists hold them all.
int SimWorld::AddRenderItem(const double worldPosition[3], float radius, ts::TSRenderItem* item) {
    return terrain ? terrain->AddRenderItem(worldPosition, radius, item) : 0;
}

int SimWorld::AddRenderItemGrid(const float position[3], float radius, ts::TSRenderItem* item) {
    return terrain ? terrain->Renderer().AddRenderItemGrid(position, radius, item) : 0;
}

int SimWorld::AddTerrainRenderItem(const world::TerrainRenderItem& record) {
    return terrain ? terrain->AddTerrainRenderItem(record) : 0;
}

int SimWorld::FileSceneItem(const float position[3], float radius, ts::TSRenderItem* item,
                            world::TerrainItemLayer layer) {
    world::TerrainRenderItem r;
    r.item = item;
    std::copy(position, position + 3, r.position);
    r.radius = radius;
    r.layer = layer;
    float at[3];
    if (RunwayFilingPoint(position, at) == 0) std::copy(position, position + 3, at);
    r.at[0] = at[0];
    r.at[1] = at[1];
    return AddTerrainRenderItem(r);
}

int SimWorld::HasTerrainAt(const double worldPosition[3]) {
    return terrain ? terrain->HasTerrainAt(worldPosition) : 0;
}

void SimWorld::StoreMagneticVariation() {
    float p[3];
    flight::theAircraft.GetScenePosition(p);
    nav::theMagGridValue = world::MagneticGrid::MagAt(p[0], p[1]);
    nav::theNorGridValue = world::MagneticGrid::NorAt(p[0], p[1]);
    nav::theMagneticOffset =
        static_cast<std::int16_t>(static_cast<std::uint16_t>(nav::theMagGridValue) +
                                  static_cast<std::uint16_t>(nav::theNorGridValue));
    world::theMagneticVariation = nav::theMagneticOffset;
}

namespace {

// The half size of an aircraft's shadow whose shape is not loaded: half its wing span (shape
// units of 0.7757576 a foot). With its shape it is the shape's radius.
float AircraftShadowHalfSize(int number) {
    static constexpr float kHalfSpanFeet[5] = {18.05f, 16.75f, 18.9f, 25.15f, 23.45f};
    const ts::TSShape* shape = flight::theAircraft.GetShape();
    if (shape != nullptr && shape->fRadius > 0.0f) return shape->fRadius;
    return kHalfSpanFeet[number >= 0 && number < 5 ? number : 0] * 0.7757576f;
}

}  // namespace

void SimWorld::QueueAircraftShadow() {
    // Only the outside cameras see the aircraft; the cockpit views draw neither it nor its
    // shadow.
    if (!terrain || !IsInitialised() || !theViewController.InCamera() ||
        GetGraphicsSetting(world::kAircraftShadows) == 0) {
        return;
    }
    const int type = GetAircraftType();
    const int number = type == 5 ? 0 : type;  // the trainer shares the 172's art
    const float half = AircraftShadowHalfSize(number);
    if (!aircraftShadow || aircraftShadowNumber != number || aircraftShadow->HalfSize() != half) {
        aircraftShadow = std::make_unique<world::ObjShadow>(half, number);
        aircraftShadowNumber = number;
    }
    float position[3], angles[3], light[3];
    flight::theAircraft.GetScenePosition(position);
    flight::GetAircraftAttitude(angles);
    GetLightDirection(light);
    aircraftShadow->Update(terrain->CentreTile(), position, angles, light);
    if (!aircraftShadow->IsVisible()) return;
    // Filed with the aircraft: its cell draws shadows before what stands.
    FileSceneItem(position, half, aircraftShadow.get(), world::TerrainItemLayer::kShadow);
}

void SimWorld::WarmUp() {
    if (!terrain || !IsInitialised()) return;
    // Round about three times, so every tile, object and texture near the aircraft is paged in.
    float eye[3], angles[3];
    flight::theAircraft.GetScenePosition(eye);
    flight::GetAircraftAttitude(angles);
    for (int i = 0; i < 24; ++i) {
        PrepareScene(eye, angles);
        RenderTerrain();
        FinishFrame(1);
        angles[2] += 0.75f;
    }
}

namespace {

constexpr double kFeetPerUnit = 1.2890625;

double GroundFeet() {
    world::TerrainManager* t = theSimWorld.Terrain();
    if (t == nullptr) return 0.0;
    double world[3];
    flight::GetAircraftWorldPosition(world);
    return t->GetHeightAt(world).height * kFeetPerUnit;
}

}  // namespace

void RegisterTerrainReportFields() {
    using core::RegisterReportField;
    using core::ReportNumber;
    RegisterReportField("alt_ft", [] { return ReportNumber(flight::GetAircraftAltitude() * kFeetPerUnit); });
    RegisterReportField("ground_ft", [] { return ReportNumber(GroundFeet()); });
    RegisterReportField("tile", [] {
        world::TerrainManager* t = theSimWorld.Terrain();
        const world::TerrainTile* c = t != nullptr ? t->CentreTile() : nullptr;
        if (c == nullptr) return std::string("none");
        if (c->state != 0) return std::string("stub");
        char name[32];
        std::snprintf(name, sizeof name, "NA_%02dX%02d.TED", c->row, c->column);
        return std::string(name);
    });
    RegisterReportField("magvar", [] {
        double d = nav::theMagneticOffset * 360.0 / 65536.0;
        return ReportNumber(d);
    });
    RegisterReportField("mag_heading",
                        [] { return ReportNumber(theSimWorld.GetMagneticHeadingDegrees()); });
    // The status line's indicated airspeed (what its "IAS: %3d Kts" shows in the outside views).
    RegisterReportField("readout_ias",
                        [] { return std::to_string(theSimWorld.GetReadoutAirspeed()); });
    RegisterReportField("cells", [] {
        world::TerrainManager* t = theSimWorld.Terrain();
        return std::to_string(t != nullptr ? t->CellsDrawn() : 0);
    });
}

}  // namespace sim
