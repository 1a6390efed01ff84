// The world's scenery objects as the spine connects them: the services the sky, the clouds, the
// airport objects and the runways reach the simulation through, the cloud decks rebuilt from the
// live weather, and the sky's place in each frame.
#include <cmath>
#include <string>

#include "core/ini_file.h"
#include "core/resource_volume.h"
#include "core/run_report.h"
#include "flight/aircraft.h"
#include "flight/flight_world_services.h"
#include "sim/sim_world.h"
#include "sim/view_controller.h"
#include "world/airport_objects.h"
#include "world/runway_lights.h"
#include "world/scenery_services.h"
#include "world/scenery_state.h"

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
    world::theSceneryServices = s;
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

void SimWorld::MakeAirportObjects() {
    objects = std::make_unique<world::AirportObjectDatabase>();
    objects->Load(&core::theRunwayDataVolume, &core::theBuildingDataVolume,
                  &core::theObstacleDataVolume, &core::theIniFile);
}

void SimWorld::DestroyAirportObjects() {
    if (objects) objects->WriteBeaconReport();
    objects.reset();
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
