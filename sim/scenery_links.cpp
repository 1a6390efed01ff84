// The world's scenery objects as the spine connects them: the services the sky, the clouds, the
// airport objects and the runways reach the simulation through, the cloud decks rebuilt from the
// live weather, and the sky's place in each frame.
#include <algorithm>
#include <cmath>
#include <string>

#include "core/ini_file.h"
#include "core/resource_volume.h"
#include "core/run_report.h"
#include "flight/aircraft.h"
#include "flight/flight_world_services.h"
#include "nav/map_view.h"
#include "sim/sim_world.h"
#include "sim/view_controller.h"
#include "world/airport_objects.h"
#include "world/artifacts.h"
#include "world/runway_lights.h"
#include "world/runway_shape.h"
#include "world/scenery_services.h"
#include "world/scenery_state.h"
#include "world/terrain_manager.h"
#include "world/terrain_renderer.h"
#include "world/traffic_aircraft.h"

namespace sim {

namespace {

// The world whose objects the services answer for (tests make worlds of their own).
SimWorld* theLinkedWorld = &theSimWorld;

std::int32_t Setting(int index) {
    return theLinkedWorld->GetGraphicsSetting(index);
}

void Zulu(world::ZuluDateTime* out) {
    CalendarTime t;
    theLinkedWorld->GetZuluDateTime(&t);
    out->year = t.year;
    out->month = t.mon;
    out->day = t.mday;
    out->hour = t.hour;
    out->minute = t.min;
    out->second = t.sec;
}

double Latitude() {
    return theLinkedWorld->GetLatitude();
}
double Longitude() {
    return theLinkedWorld->GetLongitude();
}
void SunDirection(const float d[3]) {
    theLinkedWorld->SetSunDirection(d);
}
void LightDirection(float out[3]) {
    theLinkedWorld->GetLightDirection(out);
}
int DayPeriod() {
    return theLinkedWorld->GetDayPeriod();
}
int FullDaylight() {
    return theLinkedWorld->IsFullDaylight() ? 1 : 0;
}
gfx::GFXPalette* Palette() {
    return theLinkedWorld->GetCurrentPalette();
}
int ViewportBottom() {
    flight::Aircraft* a = theLinkedWorld->GetAircraft();
    return a != nullptr ? a->GetViewportBottom() : 479;
}
double CameraHeading() {
    return theViewController.GetCameraHeading();
}
void SceneOffset(double out[2]) {
    // Scene positions are the flight model's plus the window origin; world positions the
    // flight model's plus the world's south-west corner.
    float origin[2];
    flight::theFlightWorldServices.terrainWindowOrigin(origin);
    out[0] = 9437184.0 - origin[0];
    out[1] = 5242880.0 - origin[1];
}
void TerrainPass() {
    theLinkedWorld->RenderTerrain();
}
double GroundHeight(double x, double z) {
    world::TerrainManager* t = theLinkedWorld->Terrain();
    const double at[3] = {x, z, 0.0};
    return t != nullptr ? t->GetHeightAt(at).height : 0.0;
}
int TerrainLoadedAt(const double world[3]) {
    world::TerrainManager* t = theLinkedWorld->Terrain();
    return t != nullptr && t->GetTileAt(world) != nullptr ? 1 : 0;
}
world::TerrainGrid* GridAt(const double world[3]) {
    world::TerrainManager* t = theLinkedWorld->Terrain();
    return t != nullptr ? t->GetTileAt(world) : nullptr;
}
// What moves (traffic, which draws its shadow with itself) is filed like the aircraft: over a
// runway at the runway's cell nearest the eye, so the pavement is drawn before it.
int FileItem(const double world[3], float radius, ts::TSRenderItem* item) {
    double offset[2];
    world::theSceneryServices.sceneOffset(offset);
    const float scene[3] = {static_cast<float>(world[0] - offset[0]),
                            static_cast<float>(world[1] - offset[1]), static_cast<float>(world[2])};
    return theLinkedWorld->FileSceneItem(scene, radius, item, world::TerrainItemLayer::kStanding);
}
// An object filed by its ground rectangle (scene units) goes to the cell of its rectangle
// nearest the eye: the terrain draws far cells first, so a runway filed at its centre would
// be painted over by the ground between it and the eye.
void NearestToEye(const float rect[4], float out[2]) {
    const ts::Vector3F& eye = theViewController.LastTransform().t;
    out[0] = std::clamp(eye.x, std::min(rect[0], rect[2]), std::max(rect[0], rect[2]));
    out[1] = std::clamp(eye.y, std::min(rect[1], rect[3]), std::max(rect[1], rect[3]));
}
// Its bounding sphere stands on its base in the middle of its rectangle.
int FileItemInRect(const float rect[4], float base, int flat, ts::TSRenderItem* item) {
    world::TerrainRenderItem r;
    r.item = item;
    NearestToEye(rect, r.at);
    r.position[0] = 0.5f * (rect[0] + rect[2]);
    r.position[1] = 0.5f * (rect[1] + rect[3]);
    r.position[2] = base;
    r.radius = 0.5f * std::hypot(rect[2] - rect[0], rect[3] - rect[1]);
    r.layer = flat != 0 ? world::TerrainItemLayer::kGround : world::TerrainItemLayer::kStanding;
    return theLinkedWorld->AddTerrainRenderItem(r);
}
ts::TSShape* AcquireSceneryShape(const char* name, core::ResourceVolume* folder, int buildingTile) {
    if (name == nullptr || folder == nullptr) return nullptr;
    return theLinkedWorld->AcquireShapeFrom(*folder, name, buildingTile);
}
void ReleaseSceneryShape(ts::TSShape* shape) {
    theLinkedWorld->ReleaseShape(shape);
}

void WorldToScene(const double world[3], float out[3]) {
    double offset[2];
    SceneOffset(offset);
    out[0] = static_cast<float>(world[0] - offset[0]);
    out[1] = static_cast<float>(world[1] - offset[1]);
    out[2] = static_cast<float>(world[2]);
}

// The terrain builds and frees its tiles' objects through the world.
void BuildTileObjectsHook(world::TerrainTile* tile) {
    theLinkedWorld->BuildTileObjects(tile);
}
void FreeTileObjectsHook(world::TerrainTile* tile) {
    theLinkedWorld->FreeTileObjects(tile);
}

// The traffic aircraft's shapes are free-standing objects of the airport database.
world::Artifact* CreateTrafficShape(const char* name) {
    world::AirportObjectDatabase* db = theLinkedWorld->AirportObjects();
    return db != nullptr ? db->CreateArtifact(name) : nullptr;
}
void DestroyTrafficShape(world::Artifact* a) {
    if (world::AirportObjectDatabase* db = theLinkedWorld->AirportObjects())
        db->DestroyCreatedArtifact(a);
}
void PlaceTrafficShape(world::Artifact* a, const double position[3], const float rotation[3]) {
    if (a != nullptr) a->Place(position, rotation);
}

// The map's obstacle layer: the obstacles the object files place in a terrain tile, as offsets
// inside it.
void MapObstacles(int column, int row, std::vector<nav::MapObstacle>* out) {
    const world::AirportObjectDatabase* db = theLinkedWorld->AirportObjects();
    if (db == nullptr || column < 0 || column > 15 || row < 0 || row > 15) return;
    const std::int32_t x = column * world::kTileUnits, z = row * world::kTileUnits;
    for (const world::ObstaclePoint& p : db->CollectObstaclesInTile(x, z))
        out->push_back(nav::MapObstacle{p.x, p.z});
}

}  // namespace

void SimWorld::InstallSceneryServices() {
    theLinkedWorld = this;
    world::SceneryServices s = world::DefaultSceneryServices();
    s.graphicsSetting = &Setting;
    s.zuluDateTime = &Zulu;
    s.latitude = &Latitude;
    s.longitude = &Longitude;
    s.setSunDirection = &SunDirection;
    s.lightDirection = &LightDirection;
    s.dayPeriod = &DayPeriod;
    s.isFullDaylight = &FullDaylight;
    s.currentPalette = &Palette;
    s.viewportBottom = &ViewportBottom;
    s.cameraHeading = &CameraHeading;
    s.sceneOffset = &SceneOffset;
    s.renderTerrain = &TerrainPass;
    s.groundHeight = &GroundHeight;
    s.isTerrainLoadedAt = &TerrainLoadedAt;
    s.terrainGridAt = &GridAt;
    s.addRenderItem = &FileItem;
    s.addTerrainRenderItem = &FileItemInRect;
    s.acquireShape = &AcquireSceneryShape;
    s.releaseShape = &ReleaseSceneryShape;
    world::theSceneryServices = s;
    world::theTrafficShapeServices =
        world::TrafficShapeServices{&CreateTrafficShape, &DestroyTrafficShape, &PlaceTrafficShape};
    ViewServices v = theViewServices;
    v.worldToScene = &WorldToScene;
    theViewServices = v;
}

void SimWorld::MakeSky() {
    sky = std::make_unique<world::Sky>(&core::theCelestialShapesVolume,
                                       &core::theWeatherArtVolume);
}

void SimWorld::MakeWeather() {
    weather = std::make_unique<world::WeatherState>();
    world::InstallWeatherServices(weather.get());
}

void SimWorld::MakeClouds() {
    clouds = std::make_unique<world::CloudLayerSet>(&core::theWeatherArtVolume);
}

void SimWorld::MakeRunwayModule() {
    world::InitRunwayShapes(&core::theRunwayShapesVolume);
}

void SimWorld::MakeRunwayMaterials() {
    world::LoadRunwayMaterials(&core::theRunwayShapesVolume, GetCurrentPalette(),
                               GetGraphicsSetting(world::kRunwayTexture) != 0 &&
                                   GetGraphicsSetting(world::kTerrainTexture) != 0);
}

void SimWorld::MakeAirportObjects() {
    objects = std::make_unique<world::AirportObjectDatabase>();
    objects->Load(&core::theRunwayDataVolume, &core::theBuildingDataVolume,
                  &core::theObstacleDataVolume, &core::theIniFile);
    objects->SetShapeFolders(&core::theBuildingShapesVolume, &core::theObstacleShapesVolume,
                             &core::thePlaneShapesVolume);
    world::theTileObjectHooks = world::TerrainTileObjectHooks{&BuildTileObjectsHook, &FreeTileObjectsHook};
    nav::theMapObstacleSource = &MapObstacles;
}

void SimWorld::DestroyAirportObjects() {
    world::theTileObjectHooks = world::NoTileObjects();
    nav::theMapObstacleSource = nullptr;
    objectTiles.clear();
    if (objects) objects->WriteBeaconReport();
    objects.reset();
    world::theTrafficShapeServices = world::NoTrafficShapes();
    const ViewServices defaults = DefaultViewServices();
    theViewServices.worldToScene = defaults.worldToScene;
}

// ---- the objects of the terrain's tiles ---------------------------------------------------

namespace {

// An object as the terrain's searches see it; runways answer whether a place lies on them, and
// an object still without its height finds it when a search asks.
world::TerrainObjectEntry EntryOf(const world::Artifact* a, bool runway) {
    world::TerrainObjectEntry e;
    for (int k = 0; k < 3; ++k)
        e.position[k] = a->position[k];
    e.object = a;
    if (!a->grounded)
        e.ground = [](const void* o, double position[3]) {
            // The airport objects own the object; the entry only points at it.
            auto* object = const_cast<world::Artifact*>(static_cast<const world::Artifact*>(o));
            object->Ground();
            position[2] = object->position[2];
        };
    if (runway)
        e.contains = [](const void* o, const double p[3]) {
            return static_cast<const world::ArtifactTrans*>(o)->IsNear(p);
        };
    return e;
}

}  // namespace

// A tile's objects are built as the terrain loads it: runways, buildings and towers always,
// obstacles while "EnableObstacles" is on.
void SimWorld::BuildTileObjects(world::TerrainTile* tile) {
    if (!objects || tile == nullptr || tile->id == world::kNoTileId) return;
    double at[3];
    flight::GetAircraftWorldPosition(at);
    ObjectTile t;
    t.tile = tile;
    t.runways = objects->BuildRunways(tile->id, GetGraphicsSetting(world::kRunwayMarkings),
                                      GetGraphicsSetting(world::kRunwayLighting));
    t.buildings = objects->BuildBuildings(tile->id, GetGraphicsSetting(world::kBuildingDensity));
    t.towers = objects->BuildTowers(tile->id, at);
    if (GetGraphicsSetting(world::kEnableObstacles) != 0) t.obstacles = objects->BuildObstacles(tile->id);
    auto enter = [](const world::TileArtifacts* list, std::vector<world::TerrainObjectEntry>& out,
                    bool runway) {
        out.clear();
        if (list != nullptr)
            for (const world::Artifact* a : list->Items())
                out.push_back(EntryOf(a, runway));
    };
    if (t.runways) {
        const std::vector<world::Artifact*>& items = t.runways->Items();
        for (const world::TileArtifacts::Run& run : t.runways->Runs()) {
            // A unit more than the farthest reach: what rounding does stays inside.
            double reach = 0.0;
            for (std::size_t i = run.begin; i < run.end; ++i)
                reach = std::max(
                    reach, static_cast<const world::ArtifactTrans*>(items[i])->NearReach());
            t.runwayReach.push_back(reach + 1.0);
        }
    }
    enter(t.runways.get(), tile->runways, true);
    enter(t.buildings.get(), tile->buildings, false);
    enter(t.towers.get(), tile->towers, false);
    enter(t.obstacles.get(), tile->obstacles, false);
    objectTiles.push_back(std::move(t));
}

void SimWorld::FreeTileObjects(world::TerrainTile* tile) {
    if (tile == nullptr) return;
    tile->runways.clear();
    tile->buildings.clear();
    tile->towers.clear();
    tile->obstacles.clear();
    std::erase_if(objectTiles, [&](const ObjectTile& t) { return t.tile == tile; });
}

int SimWorld::RunwayFilingPoint(const float scene[3], float out[3]) const {
    double at[3], offset[2];
    WorldPosition(scene, at);
    world::theSceneryServices.sceneOffset(offset);
    const ts::Vector3F& eye = theViewController.LastTransform().t;
    int found = 0;
    float best = 0.0f;
    auto consider = [&](const world::ArtifactTrans* runway) {
        if (runway->IsNear(at) == 0) return;
        float rect[4], p[2];
        runway->GroundRect(offset, rect, true);
        NearestToEye(rect, p);
        const float d = std::hypot(p[0] - eye.x, p[1] - eye.y);
        if (found == 0 || d < best) {
            out[0] = p[0];
            out[1] = p[1];
            out[2] = scene[2];
            best = d;
            found = 1;
        }
    };
    for (const ObjectTile& t : objectTiles) {
        if (!t.runways) continue;
        const std::vector<world::Artifact*>& items = t.runways->Items();
        const std::vector<world::TileArtifacts::Run>& runs = t.runways->Runs();
        for (std::size_t k = 0; k < runs.size(); ++k) {
            // Runs whose runways all lie out of reach are passed over (a place that is not a
            // number is near no runway).
            const world::TileArtifacts::Run& run = runs[k];
            const double reach = t.runwayReach[k];
            if (!(at[0] >= run.low[0] - reach && at[0] <= run.high[0] + reach &&
                  at[1] >= run.low[1] - reach && at[1] <= run.high[1] + reach))
                continue;
            for (std::size_t i = run.begin; i < run.end; ++i)
                consider(static_cast<const world::ArtifactTrans*>(items[i]));
        }
    }
    return found;
}

void SimWorld::UpdateSceneryObjects(const float eye[3], int panCamera) {
    nearObjects = 0;
    if (!objects) return;
    double viewer[3];
    WorldPosition(eye, viewer);
    objects->SetView(viewer);
    // Runways, buildings and towers within 40,000 units, the obstacles within 15,000.
    for (const ObjectTile& t : objectTiles) {
        for (auto* list : {t.runways.get(), t.buildings.get(), t.towers.get()})
            if (list != nullptr) objects->CollectNearObjects(*list, 40000.0);
        if (t.obstacles) objects->CollectNearObjects(*t.obstacles, 15000.0);
    }
    objects->QueueVisibleObjects(panCamera);
    nearObjects = static_cast<int>(objects->NearCount());
}

void SimWorld::DestroySceneryObjects() {
    clouds.reset();
    world::InstallWeatherServices(nullptr);
    weather.reset();
}

void SimWorld::UpdateCloudLayers() {
    if (!clouds || !weather) return;
    clouds->BuildFromWeather(*weather);
    if (sky) sky->SetCloudiness(clouds->GetCoverageClass());
}

void SimWorld::RegisterSceneryReportFields() {
    using core::RegisterReportField;
    using core::ReportNumber;
    // The sun and the moon where the almanac puts them: azimuth from true north, elevation
    // without refraction, degrees.
    auto body = [](bool moon, bool azimuth) {
        return [moon, azimuth]() -> std::string {
            world::Sky* sky = theLinkedWorld->GetSky();
            if (sky == nullptr) return "none";
            const world::CelestialObject& b =
                moon ? static_cast<world::CelestialObject&>(sky->GetMoon()) : sky->GetSun();
            return ReportNumber(azimuth ? b.Azimuth() : b.Elevation());
        };
    };
    RegisterReportField("sun_az", body(false, true));
    RegisterReportField("sun_el", body(false, false));
    RegisterReportField("moon_az", body(true, true));
    RegisterReportField("moon_el", body(true, false));
    RegisterReportField("moon_phase", [] {
        world::Sky* sky = theLinkedWorld->GetSky();
        return sky != nullptr ? std::to_string(sky->GetMoon().Phase()) : std::string("none");
    });
    RegisterReportField("light", [] { return ReportNumber(theLinkedWorld->GetAmbientLight(), 3); });
    RegisterReportField("period", [] { return std::to_string(theLinkedWorld->GetDayPeriod()); });
    auto wind = [](bool speed) {
        return [speed]() -> std::string {
            world::WeatherState* w = theLinkedWorld->Weather();
            float knots = 0.0f, from = 0.0f;
            if (w == nullptr || w->WindAtAircraft(&knots, &from) == 0) knots = from = 0.0f;
            // A calm wind has no direction; a wind's direction reads 1..360.
            double direction = 0.0;
            if (knots >= 0.05f) {
                direction = std::fmod(std::fmod(static_cast<double>(from), 360.0) + 360.0, 360.0);
                if (direction < 0.5) direction += 360.0;
            }
            return ReportNumber(speed ? knots : direction, 1);
        };
    };
    RegisterReportField("wind_dir", wind(false));
    RegisterReportField("wind_kt", wind(true));
    RegisterReportField("clouds", [] {
        world::CloudLayerSet* c = theLinkedWorld->Clouds();
        return std::to_string(c != nullptr ? c->GetCoverageClass() : 0);
    });
    RegisterReportField("objects", [] { return std::to_string(theLinkedWorld->NearObjectCount()); });
}

void SimWorld::WorldPosition(const float scene[3], double out[3]) {
    double offset[2];
    world::theSceneryServices.sceneOffset(offset);
    out[0] = scene[0] + offset[0];
    out[1] = scene[1] + offset[1];
    out[2] = scene[2];
}

void SimWorld::RenderSky(const float eye[3]) {
    world::InvalidateSkyMatrix();
    if (sky) sky->PlaceForObserver(eye);
    // The sky's light sets the palette of the frame before anything is drawn with its tables.
    UpdatePalette();
    if (sky) sky->Render(!clouds || clouds->IsClear() != 0);
}

void SimWorld::RenderClouds(const float eye[3]) {
    double viewer[3];
    WorldPosition(eye, viewer);
    if (clouds)
        clouds->Render(viewer);
    else
        world::theSceneryServices.renderTerrain();
}

}  // namespace sim
