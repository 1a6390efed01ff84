// The world singleton: creates the simulation's objects in a fixed order, keeps the user's
// switches (pause, speed-up, flight mode, crash detection, readouts, graphics profile), runs the
// tick tasks the clock hands it, and saves and loads situation files section by section.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "sim/date_time.h"
#include "sim/sim_clock.h"
#include "win/handles.h"

namespace core {
class IniFile;
class ResourceVolume;
}  // namespace core
namespace devices {
class Joystick;
}
namespace world {
class WeatherState;
class Sky;
class CloudLayerSet;
class AirportObjectDatabase;
class TileArtifacts;
class SceneryGraphicsSettings;
class ObjShadow;
class TerrainManager;
class TerrainTile;
struct TerrainRenderItem;
enum class TerrainItemLayer : std::uint8_t;
class ArtifactShapeCache;
}  // namespace world
namespace planning {
class FlightPlan;
}
namespace gfx {
class GFXPalette;
class TimeOfDayPalette;
class GFXDrawTarget;
}  // namespace gfx
namespace ts {
class TSLight;
class TSLightSet;
class TSRenderItem;
class TSShape;
}  // namespace ts

namespace flight {
class Aircraft;
class SystemReliability;
}  // namespace flight

namespace sim {

class SimWorld final : public TickTarget {
public:
    SimWorld();
    ~SimWorld() override;
    SimWorld(const SimWorld&) = delete;
    SimWorld& operator=(const SimWorld&) = delete;

    // ---- lifecycle ----
    void Init(win::HWND window);
    void Shutdown();
    [[nodiscard]] bool IsInitialised() const { return initialised != 0; }
    void SetRunning(int flag);
    [[nodiscard]] bool IsRunning() const { return running != 0; }
    // The steps Init and Shutdown took, in order (the objects made and destroyed).
    [[nodiscard]] const std::vector<std::string>& LifecycleLog() const { return lifecycleLog; }
    void RebuildDrawTarget();

    void LoadSettings();
    void SaveSettings();

    // ---- situations ----
    int LoadSituation(core::IniFile& file, int full);
    int SaveSituation(core::IniFile& file);

    // ---- time and ticks ----
    void PauseTime(int flag) { time.Pause(flag); }
    void ResumeTime() { time.Pause(0); }
    [[nodiscard]] bool IsPaused() const { return time.IsPaused(); }
    // Whether the sound card is closed for the pause: the user's pause, not a dialog's.
    [[nodiscard]] bool SoundRestsWhilePaused() const;
    DateAndTime& Time() { return time; }
    SimClock* Clock() { return clock.get(); }
    void MarkClock();
    void AdvanceClock();
    std::uint32_t GetSimTimeMs() override { return time.GetMilliseconds(); }
    int GetSpeedUp() const { return static_cast<int>(speedUp); }
    void FlightTick() override;
    void TickEvery2() override;
    void TickEvery3() override;
    void TickEvery6() override;
    void TickEvery18() override;
    void SetSpeedUp(int index);
    [[nodiscard]] std::uint64_t TicksRun() const { return ticksRun; }

    std::string FormatLocalTime() { return time.FormatLocalTime(); }
    std::string FormatZuluTime() { return time.FormatZuluTime(); }
    std::string FormatClockTime() { return time.FormatClockTime(); }
    void GetZuluDateTime(CalendarTime* out) { time.GetZuluTime(out); }
    void SetZuluDateTime(const CalendarTime& t);
    void SyncSky();
    // 0 dawn, 1 day, 2 dusk, 3 night.
    void SetDayPeriod(int period);
    [[nodiscard]] int GetDayPeriod();
    [[nodiscard]] bool IsFullDaylight();
    [[nodiscard]] float GetAmbientLight();

    // ---- user switches ----
    void RequestPause(int on) { pauseRequested = on != 0 ? 1 : 0; }
    [[nodiscard]] bool IsPauseRequested() const { return pauseRequested != 0; }
    [[nodiscard]] int GetBlink() const { return blink; }
    void SetCrashDetect(int on);
    [[nodiscard]] bool IsCrashDetect() const { return crashDetect != 0; }
    void SetMag(int on) { mag = on != 0 ? 1 : 0; }
    [[nodiscard]] bool IsMag() const { return mag != 0; }
    void SetFlightMode(int mode);
    [[nodiscard]] int GetFlightMode() const { return static_cast<int>(flightMode); }
    void SetStatusLine(int on) { statusLine = on != 0 ? 1 : 0; }
    [[nodiscard]] bool IsStatusLine() const { return statusLine != 0; }
    void SetFrameRateShown(int on) { frameRateShown = on != 0 ? 1 : 0; }
    [[nodiscard]] bool IsFrameRateShown() const { return frameRateShown != 0; }
    void SetGpsShown(int on) { gpsShown = on != 0 ? 1 : 0; }
    [[nodiscard]] bool IsGpsShown() const { return gpsShown != 0; }
    void SetAutoCoordination(int on);
    [[nodiscard]] bool IsAutoCoordination() const;
    void SetMultiEngineSynch(int on);
    [[nodiscard]] bool IsMultiEngineSynch() const;
    [[nodiscard]] bool AreBrakesOn() const;
    void ToggleBrakes();
    void UseJoystick();
    void UseKeyboard();
    void RefreshTerrain();
    // The cloud decks from the live weather, and the cover class to the sky.
    void UpdateCloudLayers();
    void MarkPaletteDirty();
    void AdjustGamma(int delta) { SetGammaLevel(GetGammaLevel() + delta); }
    // 0..100, kept in the settings by the time-of-day palette.
    void SetGammaLevel(int level);
    [[nodiscard]] int GetGammaLevel() const;
    gfx::GFXPalette* GetCurrentPalette();
    // The frame's palette step: the sky's light sets the time-of-day palette.
    void UpdatePalette();
    [[nodiscard]] std::uint32_t GetStopwatchSeconds() const { return stopwatchSeconds; }

    // ---- graphics profiles and the processor-speed preset ----
    [[nodiscard]] int GetGraphicsSetting(int index) const;
    void SetGraphicsSetting(int index, int value);
    void SelectGraphicsProfile(int n);
    [[nodiscard]] int GetGraphicsProfile() const;
    void ToggleGraphicsProfile();
    void SetGraphicsSettings(const world::SceneryGraphicsSettings& settings);
    void ApplyGraphicsSettings();
    void SetAutoComplex(int on);
    [[nodiscard]] bool IsAutoComplex() const { return autoComplex != 0; }
    world::SceneryGraphicsSettings* Graphics() { return graphics.get(); }

    // ---- flight plan ----
    [[nodiscard]] bool HasFlightPlan() const;
    planning::FlightPlan* GetFlightPlan() { return flightPlan.get(); }
    void StepFlightPlan();
    int LoadFlightPlan(core::IniFile& planFile);
    int SaveFlightPlan(core::IniFile& planFile);

    // ---- readouts and loading screen ----
    void MeasureFrameRate();
    [[nodiscard]] float GetFrameRate() const { return frameRate; }
    void SetLoadingScreen(int on);
    void ShowLoadingScreen(win::HWND window);
    // Lets the loading picture and its colours go, shown or not: the close does it while the
    // bitmaps' pool still stands, whichever moment of start-up it came at.
    static void ReleaseLoadingScreen();
    [[nodiscard]] bool IsLoadingScreen() const { return loadingScreen != 0; }
    void SetRestoreArrow(int on) { restoreArrow = on != 0 ? 1 : 0; }
    // The end of a frame: readouts, the arrow cursor when asked, the frame shown, and the
    // rest frames of a reload counted down. warmUp only ends the scene.
    void FinishFrame(int warmUp);
    void DrawReadouts();
    // Each line drawn over the picture this frame (the slew or status line, the brakes word, the
    // frame rate), as its place, text and colour.
    void ForEachReadout(const std::function<void(int x, int y, std::string_view text,
                                                 std::uint32_t colour)>& visit);
    // Draws a readout text with its shadow over the view, in the colours of the time of day.
    void DrawReadoutText(int x, int y, const std::string& text, std::uint32_t colour);
    [[nodiscard]] int GetMagneticHeading() const;
    [[nodiscard]] double GetMagneticHeadingDegrees() const;
    [[nodiscard]] int GetReadoutAltitude() const;
    [[nodiscard]] int GetReadoutAirspeed() const;
    [[nodiscard]] int GetReadoutVerticalSpeed() const;
    // The texts of the readouts shown this frame (empty when not shown).
    [[nodiscard]] std::string StatusLineText() const;
    [[nodiscard]] std::string SlewReadoutText() const;
    [[nodiscard]] std::string FrameRateText() const;

    // ---- the scene ----
    // The frame's set-up of the 3D scene for the eye: drawing begins on the world's draw
    // target, the view controller places the camera, the camera and the light set are
    // activated and the camera gets the identity transform (world geometry).
    void PrepareScene(const float eye[3], const float angles[3]);
    // The terrain pass (the cloud layers call it at its place among their decks): the ground,
    // each cell followed by the drawables filed at it.
    void RenderTerrain();
    // Files a drawable for this frame with the terrain's draw lists, at the cell holding its
    // place: a world position, or a scene (terrain grid) position, with the radius of its
    // bounding sphere; 1 when filed. A cell draws what lies on the ground first (pavement,
    // then shadows), then what stands, the farthest first.
    int AddRenderItem(const double worldPosition[3], float radius, ts::TSRenderItem* item);
    int AddRenderItemGrid(const float position[3], float radius, ts::TSRenderItem* item);
    int AddTerrainRenderItem(const world::TerrainRenderItem& record);
    // Files a drawable of the scene (the aircraft, its shadow) with the bounding sphere at its
    // scene position: at its own cell, or, standing on a runway, at the runway's cell, so that
    // it is drawn after the pavement.
    int FileSceneItem(const float position[3], float radius, ts::TSRenderItem* item,
                      world::TerrainItemLayer layer);
    // Whether the terrain tile holding a world position has its file (not a stub).
    int HasTerrainAt(const double worldPosition[3]);
    // Once before the first picture: pages in the ground, objects and textures all round.
    void WarmUp();
    // The frame's magnetic variation at the aircraft, for the compass and the radios.
    void StoreMagneticVariation();
    // In SkyCam and TowerCam with "AircraftShadows" on: the aircraft's ground shadow, cast
    // along the light onto the tile under the aircraft and filed at the aircraft with the
    // terrain's draw lists.
    void QueueAircraftShadow();
    [[nodiscard]] const world::ObjShadow* AircraftShadow() const { return aircraftShadow.get(); }
    gfx::GFXDrawTarget* DrawTarget() { return drawTarget.get(); }
    // The sky placed for the eye and drawn (the frame's first drawing), and the clouds with
    // the terrain and the filed objects in altitude order.
    void RenderSky(const float eye[3]);
    void RenderClouds(const float eye[3]);
    // A scene position's world position (world units from the world's south-west corner).
    static void WorldPosition(const float scene[3], double out[3]);
    ts::TSLight* SunLight() { return sunLight.get(); }
    ts::TSLightSet* LightSet() { return lightSet.get(); }
    // In the camera views (SkyCam, TowerCam) the user's aircraft is placed at its scene position
    // and attitude and filed; the cockpit views do not draw it.
    void FileAircraft();
    // Faces the shapes submitted in the last frame drawn.
    [[nodiscard]] std::uint32_t GetLastFrameFaces() const { return lastFrameFaces; }

    // ---- shapes ----
    // A shared shape from the shape cache (loaded from the current shape folder on first use);
    // null when missing. ReleaseShape drops one reference.
    ts::TSShape* AcquireShape(const char* name);
    void ReleaseShape(ts::TSShape* shape);
    // The same with a volume's folder current for the load (and, for a tile's buildings, the
    // cache's building-tile rule).
    ts::TSShape* AcquireShapeFrom(core::ResourceVolume& volume, const char* name, int buildingTile);
    world::ArtifactShapeCache* ShapeCache() { return shapeCache.get(); }

    // ---- the scene light and the aircraft's place ----
    // Sets the light from the sun's direction; the colour grows as the sun stands lower.
    void SetSunDirection(const float direction[3]);
    void GetLightDirection(float out[3]) const;
    void SetLightDirection(float x, float y, float z);
    [[nodiscard]] float GetLightColour() const { return lightColour; }
    [[nodiscard]] double GetLatitude() const;
    [[nodiscard]] double GetLongitude() const;
    [[nodiscard]] int GetAircraftType() const;
    // Held while a situation loads: the radios do not update from a half-read state.
    [[nodiscard]] bool IsSituationHold() const { return pauseRequested != 0 && loadingSituation; }
    void SetFlightPlan(const planning::FlightPlan* plan);
    void ResetStopwatch() { stopwatchSeconds = 0; }
    void SetVideoPlaying(int on) { videoPlaying = on != 0; }
    [[nodiscard]] bool IsVideoPlaying() const { return videoPlaying; }

    win::HWND Window() const { return window; }
    devices::Joystick* GetJoystick() { return joystick.get(); }
    world::WeatherState* Weather() { return weather.get(); }
    world::Sky* GetSky() { return sky.get(); }
    world::CloudLayerSet* Clouds() { return clouds.get(); }
    world::AirportObjectDatabase* AirportObjects() { return objects.get(); }
    // The frame's scenery objects: the viewer set, the objects near it collected (their lights
    // stepped) and filed far to near.
    void UpdateSceneryObjects(const float eye[3], int panCamera);
    // The objects of a terrain tile, built as the terrain loads it and freed as it goes.
    void BuildTileObjects(world::TerrainTile* tile);
    void FreeTileObjects(world::TerrainTile* tile);
    // Where a drawable standing on a runway is filed so that it is drawn after the runway: the
    // runway's filing point (the point of the ground its pavement and lights cover nearest the
    // eye), when the scene position lies on a built runway; 0 elsewhere.
    int RunwayFilingPoint(const float scene[3], float out[3]) const;
    // Scenery objects drawn near the viewer in the last frame.
    [[nodiscard]] int NearObjectCount() const { return nearObjects; }
    world::TerrainManager* Terrain() { return terrain.get(); }
    flight::SystemReliability* Reliability() { return reliability.get(); }
    flight::Aircraft* GetAircraft() { return aircraft; }
    // The view controller's view mode (0, 1 cockpit; 2 to 5 outside) and look direction.
    [[nodiscard]] int GetViewMode() const;
    void SetViewMode(int mode);
    [[nodiscard]] int GetLookDirection() const;
    void SetLookDirection(int direction);

private:
    void Step(const char* what);
    void MakeDrawTarget();
    void MakeSceneLights();
    void DestroySceneLights();
    void InstallSceneryServices();
    void RegisterSceneryReportFields();
    void MakeSky();
    void MakeWeather();
    void MakeClouds();
    void DestroySceneryObjects();
    void MakeRunwayModule();
    void MakeRunwayMaterials();
    void MakeAirportObjects();
    void DestroyAirportObjects();

    win::HWND window;
    std::unique_ptr<devices::Joystick> joystick;
    std::unique_ptr<world::Sky> sky;
    std::unique_ptr<gfx::TimeOfDayPalette> palette;
    std::unique_ptr<gfx::GFXDrawTarget> drawTarget;
    std::unique_ptr<ts::TSLight> sunLight;
    std::unique_ptr<ts::TSLightSet> lightSet;
    std::unique_ptr<world::SceneryGraphicsSettings> graphics;
    std::unique_ptr<world::ArtifactShapeCache> shapeCache;
    std::uint32_t lastFrameFaces = 0;
    DateAndTime time;
    std::unique_ptr<SimClock> clock;
    std::unique_ptr<planning::FlightPlan> flightPlan;
    std::unique_ptr<world::WeatherState> weather;
    std::unique_ptr<world::CloudLayerSet> clouds;
    std::unique_ptr<world::AirportObjectDatabase> objects;
    // The objects of the terrain's tiles.
    struct ObjectTile {
        world::TerrainTile* tile = nullptr;
        std::unique_ptr<world::TileArtifacts> runways, buildings, towers, obstacles;
        // For each run of the runways' list, the ground distance beyond its box at which no
        // place is near any of them.
        std::vector<double> runwayReach;
    };
    std::vector<ObjectTile> objectTiles;
    int nearObjects = 0;
    std::unique_ptr<world::TerrainManager> terrain;
    std::unique_ptr<world::ObjShadow> aircraftShadow;
    int aircraftShadowNumber = -1;
    std::unique_ptr<flight::SystemReliability> reliability;
    flight::Aircraft* aircraft = nullptr;

    std::uint32_t lastFrameTime = 0;
    std::int32_t frameTimeSum = 0;
    std::int32_t frameCount = 0;
    float frameRate = 0.0f;
    std::uint32_t pauseRequested = 0;
    std::uint32_t loadingScreen = 0;
    std::uint32_t restoreArrow = 0;
    bool loadingShown = false;
    std::int32_t blink = 0;
    std::uint32_t statusLine = 0;
    std::uint32_t frameRateShown = 0;
    std::uint32_t gpsShown = 0;
    std::uint32_t initialised = 0;
    std::uint32_t running = 0;
    std::uint32_t speedUp = 0;
    std::uint32_t crashDetect = 0;
    std::uint32_t mag = 1;
    std::uint32_t autoComplex = 0;
    std::uint32_t flightMode = 0;
    std::uint32_t stopwatchSeconds = 0;
    float lightDirection[3] = {0.0f, 0.0f, -1.0f};
    float lightColour = 0.8f;
    bool loadingSituation = false;
    bool videoPlaying = false;
    int gamma = 30;  // kept until the time-of-day palette exists
    std::uint64_t ticksRun = 0;
    std::vector<std::string> lifecycleLog;
};

extern SimWorld theSimWorld;

// The terrain's fields of the runner's report: alt_ft, ground_ft, tile, magvar, mag_heading,
// cells.
void RegisterTerrainReportFields();
// The aircraft's shapes: taken from the world's shape cache with the planes' folder of the
// shapes volume current, and given back.
ts::TSShape* AcquireAircraftShape(const char* name);
void ReleaseAircraftShape(ts::TSShape* shape);
// The runner's report fields of the shapes: "shape" (the aircraft's shape name) and
// "shape_faces" (faces submitted in the last frame).
void RegisterShapeReportFields();

// The main window's focus: the aircraft moves only while the window has it.
extern std::uint32_t theMainWindowFocused;

}  // namespace sim
