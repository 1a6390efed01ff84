// The world's scenery objects as the spine connects them: the services the sky, the clouds, the
// airport objects and the runways reach the simulation through, the cloud decks rebuilt from the
// live weather, and the sky's place in each frame.
#include <algorithm>
#include <cmath>
#include <span>
#include <string>

#include "core/ini_file.h"
#include "core/resource_volume.h"
#include "core/run_report.h"
#include "flight/aircraft.h"
#include "flight/flight_world_services.h"
#include "sim/sim_world.h"
#include "sim/view_controller.h"
#include "world/airport_objects.h"
#include "world/artifacts.h"
#include "world/runway_lights.h"
#include "world/runway_shape.h"
#include "world/scenery_services.h"
#include "world/scenery_state.h"
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
// Until the terrain draws, its pass is the plain list of the objects filed for the frame.
void RenderTerrain() {
    theLinkedWorld->RenderSceneItems();
}
double GroundHeight(double, double) {
    return 0.0;
}
int FileItem(const double world[3], float radius, ts::TSRenderItem* item) {
    double offset[2];
    SceneOffset(offset);
    const float scene[3] = {static_cast<float>(world[0] - offset[0]),
                            static_cast<float>(world[1] - offset[1]), static_cast<float>(world[2])};
    return theLinkedWorld->AddRenderItem(scene, radius, item);
}
// Until the terrain's draw lists exist, an object filed by its ground rectangle goes into the
// plain list by its rectangle's centre.
int FileItemInRect(const float rect[4], ts::TSRenderItem* item) {
    const float scene[3] = {(rect[0] + rect[2]) * 0.5f, (rect[1] + rect[3]) * 0.5f, 0.0f};
    return theLinkedWorld->AddRenderItem(scene, 0.0f, item);
}
ts::TSShape* AcquireSceneryShape(const char* name, core::ResourceVolume* folder, int buildingTile) {
    if (name == nullptr || folder == nullptr) return nullptr;
    return theLinkedWorld->AcquireShapeFrom(*folder, name, buildingTile);
}
void ReleaseSceneryShape(ts::TSShape* shape) {
    theLinkedWorld->ReleaseShape(shape);
}

// The tower camera's tower: the nearest of the towers built round the aircraft.
int NearestTower(double out[3]) {
    theLinkedWorld->TrackObjectTiles();
    double at[3];
    flight::GetAircraftWorldPosition(at);
    const world::Artifact* best = nullptr;
    double bestDistance = 0.0;
    for (std::size_t i = 0; const world::TileArtifacts* towers = theLinkedWorld->ObjectTileTowers(i); ++i)
        for (const world::Artifact* t : towers->Items()) {
            const double d = std::hypot(t->position[0] - at[0], t->position[1] - at[1]);
            if (best == nullptr || d < bestDistance) {
                best = t;
                bestDistance = d;
            }
        }
    if (best == nullptr) return 0;
    for (int k = 0; k < 3; ++k)
        out[k] = best->position[k];
    return 1;
}
void WorldToScene(const double world[3], float out[3]) {
    double offset[2];
    SceneOffset(offset);
    out[0] = static_cast<float>(world[0] - offset[0]);
    out[1] = static_cast<float>(world[1] - offset[1]);
    out[2] = static_cast<float>(world[2]);
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
    s.renderTerrain = &RenderTerrain;
    s.groundHeight = &GroundHeight;
    s.addRenderItem = &FileItem;
    s.addTerrainRenderItem = &FileItemInRect;
    s.acquireShape = &AcquireSceneryShape;
    s.releaseShape = &ReleaseSceneryShape;
    world::theSceneryServices = s;
    world::theTrafficShapeServices =
        world::TrafficShapeServices{&CreateTrafficShape, &DestroyTrafficShape, &PlaceTrafficShape};
    ViewServices v = theViewServices;
    v.nearestTower = &NearestTower;
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
                               GetGraphicsSetting(world::kSettingRunwayTexture) != 0 &&
                                   GetGraphicsSetting(world::kSettingTerrainTexture) != 0);
}

void SimWorld::MakeAirportObjects() {
    objects = std::make_unique<world::AirportObjectDatabase>();
    objects->Load(&core::theRunwayDataVolume, &core::theBuildingDataVolume,
                  &core::theObstacleDataVolume, &core::theIniFile);
    objects->SetShapeFolders(&core::theBuildingShapesVolume, &core::theObstacleShapesVolume,
                             &core::thePlaneShapesVolume);
}

void SimWorld::DestroyAirportObjects() {
    objectTiles.clear();
    if (objects) objects->WriteBeaconReport();
    objects.reset();
    world::theTrafficShapeServices = world::NoTrafficShapes();
    const ViewServices defaults = DefaultViewServices();
    theViewServices.nearestTower = defaults.nearestTower;
    theViewServices.worldToScene = defaults.worldToScene;
}

// ---- the objects of the tiles round the aircraft ------------------------------------------

// Until the terrain pages its tiles, the world builds the objects of the tiles within reach of
// the aircraft itself, as the terrain's tile loader will.
void SimWorld::TrackObjectTiles() {
    if (!objects) return;
    double at[3];
    flight::GetAircraftWorldPosition(at);
    constexpr double kReach = 60000.0;
    std::uint8_t wanted[9];
    int count = 0;
    for (const double dx : {-kReach, 0.0, kReach})
        for (const double dz : {-kReach, 0.0, kReach}) {
            const std::uint8_t id = world::TileIdOf(static_cast<std::int32_t>(std::floor(at[0] + dx)),
                                                    static_cast<std::int32_t>(std::floor(at[1] + dz)));
            if (id != world::kNoTile && std::find(wanted, wanted + count, id) == wanted + count)
                wanted[count++] = id;
        }
    // Tiles out of reach go with their objects; new ones are built.
    std::erase_if(objectTiles, [&](const ObjectTile& t) {
        return std::find(wanted, wanted + count, t.id) == wanted + count;
    });
    for (const std::uint8_t id : std::span(wanted, static_cast<std::size_t>(count))) {
        if (std::any_of(objectTiles.begin(), objectTiles.end(),
                        [&](const ObjectTile& t) { return t.id == id; }))
            continue;
        ObjectTile t;
        t.id = id;
        t.runways = objects->BuildRunways(id, GetGraphicsSetting(world::kSettingRunwayMarkings),
                                          GetGraphicsSetting(world::kSettingRunwayLighting));
        t.buildings = objects->BuildBuildings(id, GetGraphicsSetting(world::kSettingBuildingDensity));
        t.towers = objects->BuildTowers(id, at);
        t.obstacles = objects->BuildObstacles(id);
        objectTiles.push_back(std::move(t));
    }
}

void SimWorld::UpdateSceneryObjects(const float eye[3], int panCamera) {
    nearObjects = 0;
    if (!objects) return;
    TrackObjectTiles();
    double viewer[3];
    WorldPosition(eye, viewer);
    objects->SetView(viewer);
    constexpr double kObjectRange = 40000.0;
    for (const ObjectTile& t : objectTiles)
        for (const auto* list : {t.runways.get(), t.buildings.get(), t.towers.get(), t.obstacles.get()})
            if (list != nullptr) objects->CollectNearObjects(*list, kObjectRange);
    objects->QueueVisibleObjects(panCamera);
    nearObjects = static_cast<int>(objects->NearCount());
}

const world::TileArtifacts* SimWorld::ObjectTileTowers(std::size_t i) const {
    return i < objectTiles.size() ? objectTiles[i].towers.get() : nullptr;
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
