#include "sim/sim_world.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "cockpit/autopilot_panel.h"
#include "cockpit/cockpit_services.h"
#include "cockpit/cockpit_switches.h"
#include "cockpit/panel_controls.h"
#include "cockpit/panel_services.h"
#include "cockpit/radio_commands.h"
#include "core/ini_file.h"
#include "devices/sound_services.h"
#include "devices/sound_system.h"
#include "flight/aircraft.h"
#include "flight/aircraft_parameters.h"
#include "flight/flight_model.h"
#include "flight/flight_model_state.h"
#include "flight/flight_world_services.h"
#include "flight/system_failures.h"
#include "gfx/surface.h"
#include "gfx/tod_palette.h"
#include "nav/atc_services.h"
#include "nav/copilot_state.h"
#include "nav/lat_lon.h"
#include "nav/nav_database.h"
#include "planning/lesson_controller.h"
#include "planning/planning_services.h"
#include "sim/detail_presets.h"
#include "sim/device_host.h"
#include "sim/input/flight_controls.h"
#include "sim/main_window.h"
#include "sim/main_window_services.h"
#include "sim/nav_host.h"
#include "sim/panel_host.h"
#include "sim/planning_host.h"
#include "sim/saved_flight.h"
#include "sim/slew.h"
#include "sim/ui_host.h"
#include "sim/view_controller.h"
#include "ts/class_item.h"
#include "ts/light_set.h"
#include "ui/dialog_services.h"
#include "win/input.h"
#include "win/profile.h"
#include "win/program_entry.h"
#include "win/window.h"
#include "world/airport_objects.h"
#include "world/artifact_shape_cache.h"
#include "world/obj_shadow.h"
#include "world/runway_lights.h"
#include "world/runway_shape.h"
#include "world/scenery_services.h"
#include "world/scenery_settings.h"
#include "world/scenery_state.h"
#include "world/terrain_manager.h"
#include "world/terrain_services.h"

namespace sim {

SimWorld theSimWorld;
std::uint32_t theMainWindowFocused = 1;

namespace {

// The flight model's view of the world, answered by the singleton.
int WorldIsSlewing() {
    return theSlewControl.IsActive() ? 1 : 0;
}
void WorldRefreshTerrain() {
    theSimWorld.RefreshTerrain();
}
int WorldTimeAcceleration() {
    return theSimWorld.GetSpeedUp();
}
int WorldViewMode() {
    return theSimWorld.GetViewMode();
}
int WorldLookDirection() {
    return theSimWorld.GetLookDirection();
}
int WorldGraphicsSetting(int index) {
    return theSimWorld.GetGraphicsSetting(index);
}
int WorldLoadFlight(const char* name, int flag) {
    return FlightFile{}.Load(theSimWorld.Window(), name, flag);
}
// The runways of the terrain's tiles round the aircraft; with no terrain yet there is no
// scenery to tell, and the ground counts as a runway's.
int WorldGroundIsRunway() {
    world::TerrainManager* terrain = theSimWorld.Terrain();
    if (terrain == nullptr) return 1;
    double at[3];
    flight::GetAircraftWorldPosition(at);
    return terrain->IsOnRunway(at);
}
// The crash check's explanation when the settings file asks for it ("Feq" "showWhyCrash").
void WorldShowCrashReport(const char* text, const char*) {
    ui::ShowMessageBox(theSimWorld.Window(), text, ui::MB_ICONINFORMATION);
}
// The aircraft's colours for entries 10..73: its panel palette in the panel views, its cabin
// palettes in the others.
int WorldPanelPaletteName(int todIndex, std::string* out) {
    *out = flight::theAircraft.GetPaletteName(todIndex, theSimWorld.GetViewMode(),
                                              theSimWorld.GetLookDirection());
    return out->empty() ? 0 : 1;
}

// The terrain's view of the simulation.
void TerrainAircraftPosition(std::int32_t out[3]) {
    out[0] = flight::theFlightModelState.fmPosX;
    out[1] = flight::theFlightModelState.fmPosY;
    out[2] = flight::theFlightModelState.fmPosZ;
}
void TerrainSetAircraftHeight(std::int32_t y) {
    flight::theFlightModelState.fmPosY = y;
}
std::uint32_t TerrainSimTime() {
    return theSimWorld.GetSimTimeMs();
}
std::int32_t TerrainGraphicsSetting(int index) {
    return theSimWorld.GetGraphicsSetting(index);
}
void TerrainPostCommand(std::uint32_t id) {
    if (theSimWorld.Window()) win::PostMessage(theSimWorld.Window(), win::WM_COMMAND, id, 0);
}
void TerrainWaitCursor(int on) {
    // The arrow comes back at the end of the frame.
    if (on == 0) return;
    LoadAndSetCursor(win::IDC_WAIT);
    theSimWorld.SetRestoreArrow(1);
}
// The terrain window's origin (the grid position of the flight model's origin). Scene
// coordinates stay within a tile or so of 0, where single-precision floats still resolve a few
// hundredths of a unit. Before the window has paged, a window centred on the aircraft's tile.
void WorldWindowOrigin(float out[2]) {
    double origin[3] = {0.0, 0.0, 0.0};
    world::TerrainManager* t = theSimWorld.Terrain();
    if (t != nullptr && t->CentreColumn() >= 0) {
        t->GetWindowOrigin(origin);
    } else {
        constexpr double kTile = 1048576.0;  // 2^20 terrain units
        double world[3];
        flight::GetAircraftWorldPosition(world);
        origin[0] = (9.0 - std::floor(world[0] / kTile) - 0.5) * kTile;
        origin[1] = (5.0 - std::floor(world[1] / kTile) - 0.5) * kTile;
    }
    out[0] = static_cast<float>(origin[0]);
    out[1] = static_cast<float>(origin[1]);
}
float WorldTerrainHeightAt(int x, int y) {
    world::TerrainManager* t = theSimWorld.Terrain();
    return t != nullptr ? t->GetHeightAtGrid(x, y).height : 0.0f;
}
int WorldNearestTower(double out[3]) {
    world::TerrainManager* t = theSimWorld.Terrain();
    double aircraft[3];
    flight::GetAircraftWorldPosition(aircraft);
    const world::TerrainObjectEntry* tower = t != nullptr ? t->FindNearestTower(aircraft) : nullptr;
    if (tower == nullptr) return 0;
    for (int i = 0; i < 3; ++i)
        out[i] = tower->position[i];
    return 1;
}

}  // namespace

SimWorld::SimWorld() {
    // Simulated time stands still until Init has finished.
    time.Pause(1);
    ts::InstallShapeClasses();
    // The planning code reaches the world through its host from the first plan on.
    InstallPlanningHost();
}

SimWorld::~SimWorld() {
    // The program's own world goes down in the orderly close or the emergency exit, before
    // static objects die: at exit its settings code would write through objects already gone.
    if (this != &theSimWorld) Shutdown();
}

void SimWorld::Step(const char* what) {
    lifecycleLog.emplace_back(what);
}

void SimWorld::Init(win::HWND w) {
    if (initialised != 0) return;
    // The settings the objects read and write on the way are stored once, at the end.
    win::ProfileWriteBatch settingsWrites;
    lifecycleLog.clear();
    window = w;
    clock = std::make_unique<SimClock>(*this);
    Step("SimClock");
    graphics = std::make_unique<world::SceneryGraphicsSettings>();
    graphics->LoadIni(core::theIniFile);
    Step("SceneryGraphicsSettings");
    reliability = flight::SystemReliability::Create(1);
    Step("SystemReliability");
    InstallDeviceHost();
    InstallNavHost();
    joystick = std::make_unique<devices::Joystick>();
    joystick->Detect(window);
    devices::OpenJoystickControlPanel(window);
    Step("Joystick");
    palette = std::make_unique<gfx::TimeOfDayPalette>();
    {
        gfx::TimeOfDayServices tod = gfx::DefaultTimeOfDayServices();
        tod.viewMode = &WorldViewMode;
        tod.graphicsSetting = &WorldGraphicsSetting;
        tod.panelPaletteName = &WorldPanelPaletteName;
        gfx::theTimeOfDayServices = tod;
    }
    Step("TimeOfDayPalette");
    Step("DaylightTimes");
    RebuildDrawTarget();
    MakeSceneLights();
    InstallSceneryServices();
    MakeSky();
    Step("Sky");
    Step("NullModuleSlot");
    MakeWeather();
    Step("WeatherState");
    MakeClouds();
    Step("CloudLayerSet");
    UpdateCloudLayers();
    MakeRunwayModule();
    Step("RunwayShapes");
    MakeRunwayMaterials();
    Step("RunwayMaterials");
    shapeCache = std::make_unique<world::ArtifactShapeCache>();
    Step("ArtifactShapeCache");
    MakeAirportObjects();
    Step("AirportObjectDatabase");
    world::theTerrainServices =
        world::TerrainServices{&TerrainAircraftPosition, &TerrainSetAircraftHeight,
                               &TerrainSimTime,          &TerrainGraphicsSetting,
                               &TerrainPostCommand,      &TerrainWaitCursor};
    terrain = std::make_unique<world::TerrainManager>();
    Step("TerrainManager");
    {
        // The aircraft takes its shape from the cache.
        flight::FlightWorldServices services = flight::theFlightWorldServices;
        services.acquireShape = &AcquireAircraftShape;
        services.releaseShape = &ReleaseAircraftShape;
    services.groundIsRunway = &WorldGroundIsRunway;
        flight::theFlightWorldServices = services;
    }
    aircraft = &flight::theAircraft;
    // A fresh aircraft: its record is loaded again even when the type was chosen before.
    aircraft->SelectByType(aircraft->GetType() >= 0 ? aircraft->GetType() : 0);
    Step("Aircraft");
    terrain->InitDiskCache();
    Step("TerrainDiskCache");
    theViewController.ApplyView();
    RegisterViewReportFields();
    RegisterSceneryReportFields();
    RegisterTerrainReportFields();
    RegisterShapeReportFields();
    Step("ViewController");
    flightPlan = std::make_unique<planning::FlightPlan>();
    Step("FlightPlan");
    lastFrameTime = time.GetMilliseconds();
    frameTimeSum = frameCount = 0;
    blink = 0;
    statusLine = frameRateShown = gpsShown = 0;
    flight::FlightWorldServices services = flight::DefaultFlightWorldServices();
    services.isSlewing = &WorldIsSlewing;
    services.refreshTerrain = &WorldRefreshTerrain;
    services.timeAcceleration = &WorldTimeAcceleration;
    services.viewMode = &WorldViewMode;
    services.lookDirection = &WorldLookDirection;
    services.throttleDown = &CmdThrottleDown;
    services.loadFlight = &WorldLoadFlight;
    services.terrainWindowOrigin = &WorldWindowOrigin;
    services.acquireShape = &AcquireAircraftShape;
    services.releaseShape = &ReleaseAircraftShape;
    services.groundIsRunway = &WorldGroundIsRunway;
    flight::theFlightWorldServices = services;
    {
        ViewServices view = theViewServices;
        view.terrainHeightAt = &WorldTerrainHeightAt;
        view.nearestTower = &WorldNearestTower;
        theViewServices = view;
    }
    flight::theShowCrashReport = &WorldShowCrashReport;
    InstallPanelHost();
    // While slew mode is on the flight step moves the aircraft by the slew rates instead.
    InstallSlewServices();
    InstallUiHost();
    LoadSettings();
    Step("Settings");
    flight::ReadCrashLimits();
    initialised = 1;
    time.Pause(0);
}

void SimWorld::Shutdown() {
    if (initialised == 0) return;
    win::ProfileWriteBatch settingsWrites;
    lifecycleLog.clear();
    SaveSettings();
    Step("Settings");
    time.Pause(1);
    flightPlan.reset();
    Step("FlightPlan");
    Step("ViewController");
    // The aircraft's exterior goes back to the cache before the cache goes.
    if (aircraft != nullptr) aircraft->ReleaseArt();
    aircraft = nullptr;
    aircraftShadow.reset();
    aircraftShadowNumber = -1;
    Step("Aircraft");
    if (terrain) terrain->ReleaseTiles();
    terrain.reset();
    world::theTerrainServices = world::DefaultTerrainServices();
    theViewServices = DefaultViewServices();
    Step("TerrainManager");
    DestroyAirportObjects();
    Step("AirportObjectDatabase");
    shapeCache.reset();
    Step("ArtifactShapeCache");
    world::ShutdownRunwayShapes();
    Step("RunwayShapes");
    world::FreeRunwayMaterials();
    Step("RunwayMaterials");
    DestroySceneryObjects();
    Step("CloudLayerSet");
    Step("WeatherState");
    Step("NullModuleSlot");
    sky.reset();
    Step("Sky");
    DestroySceneLights();
    drawTarget.reset();
    Step("DrawTarget");
    palette.reset();
    gfx::theTimeOfDayServices = gfx::DefaultTimeOfDayServices();
    Step("TimeOfDayPalette");
    Step("DaylightTimes");
    joystick.reset();
    Step("Joystick");
    loadingShown = false;
    reliability.reset();
    Step("SystemReliability");
    graphics.reset();
    Step("SceneryGraphicsSettings");
    clock.reset();
    Step("SimClock");
    flight::theFlightWorldServices = flight::DefaultFlightWorldServices();
    world::theSceneryServices = world::DefaultSceneryServices();
    flight::theShowCrashReport = flight::DefaultShowCrashReport;
    cockpit::thePanelHost = cockpit::DefaultPanelHostServices();
    window = win::HWND{};
    initialised = 0;
    running = 0;
}

void SimWorld::RebuildDrawTarget() {
    MakeDrawTarget();
    Step("DrawTarget");
}

void SimWorld::MarkPaletteDirty() {
    if (palette) palette->MarkDirty();
}

void SimWorld::SetGammaLevel(int level) {
    gamma = level < 0 ? 0 : (level > 100 ? 100 : level);
    if (palette) palette->SetGamma(gamma);
}

int SimWorld::GetGammaLevel() const {
    return palette ? palette->GetGamma() : gamma;
}

int SimWorld::GetViewMode() const {
    return theViewController.GetViewMode();
}

void SimWorld::SetViewMode(int mode) {
    theViewController.SetViewMode(mode);
}

int SimWorld::GetLookDirection() const {
    return theViewController.GetLookDirection();
}

void SimWorld::SetLookDirection(int direction) {
    theViewController.SetLookDirection(direction);
}

gfx::GFXPalette* SimWorld::GetCurrentPalette() {
    return palette ? palette->GetPalette() : nullptr;
}

void SimWorld::UpdatePalette() {
    if (!palette) return;
    palette->SetLightLevel(GetAmbientLight());
    palette->Update();
}

void SimWorld::SetRunning(int flag) {
    running = flag != 0 ? 1 : 0;
    MarkPaletteDirty();
}

// ---- settings -------------------------------------------------------------------------------

void SimWorld::LoadSettings() {
    core::IniFile& ini = core::theIniFile;
    theViewController.LoadViewSettings(ini);
    mag = ini.GetInt("Views", "mag", 1) != 0 ? 1 : 0;
    SetCrashDetect(ini.GetInt("Aircraft", "crashdetect", 1));
    devices::LoadSoundSettings(ini);
    SetAutoComplex(ini.GetInt("Aircraft", "AutoComplex", 1));
    SetAutoCoordination(ini.GetInt("Joysticks", "AutoCoordination", 1));
    if (ini.GetInt("Joysticks", "Active", 0) != 0)
        UseJoystick();
    else
        UseKeyboard();
}

void SimWorld::SaveSettings() {
    core::IniFile& ini = core::theIniFile;
    theViewController.SaveViewSettings(ini);
    ini.PutInt("Views", "mag", static_cast<std::int32_t>(mag));
    ini.PutInt("Aircraft", "crashdetect", static_cast<std::int32_t>(crashDetect));
    devices::SaveSoundSettings(ini);
    ini.PutInt("Aircraft", "AutoComplex", static_cast<std::int32_t>(autoComplex));
    if (graphics) graphics->SaveIni(ini);
    ini.PutInt("Joysticks", "AutoCoordination", IsAutoCoordination() ? 1 : 0);
    // The user's choice, not whether a stick answered this time.
    if (joystick) ini.PutInt("Joysticks", "Active", joystick->IsWanted() ? 1 : 0);
}

// ---- situations -----------------------------------------------------------------------------

namespace {
// The engines' speeds are worked out by the flight model's slow step, and a flight keeps none: a
// trial step on copies of the flight and engine state gives them, for the tachometers' first
// frame, and leaves everything else as the file put it.
void ReadEngineSpeedsForGauges() {
    const flight::FlightModelState flightState = flight::theFlightModelState;
    const flight::EngineState engines = flight::theEngines;
    flight::StepEngines();
    const std::int16_t speeds[2] = {flight::theFlightModelState.fmEngineSpeed[0],
                                    flight::theFlightModelState.fmEngineSpeed[1]};
    flight::theFlightModelState = flightState;
    flight::theEngines = engines;
    flight::theFlightModelState.fmEngineSpeed[0] = speeds[0];
    flight::theFlightModelState.fmEngineSpeed[1] = speeds[1];
}
}  // namespace

int SimWorld::LoadSituation(core::IniFile& file, int full) {
    int result = 1;
    flight::FlightModelState& fm = flight::theFlightModelState;
    const std::int32_t keptX = fm.fmPosX;
    const std::int32_t keptZ = fm.fmPosZ;
    pauseRequested = 1;
    loadingSituation = true;
    // A saved height counts from the ground under the aircraft: the next datum update follows
    // the new ground without moving the aircraft.
    world::theTerrainSampleRestart = 1;
    // Keys missing from the file read as 0; only the auto-coordination flag survives. Nothing
    // the last flight's steps worked out flies on into this one.
    const std::uint8_t autoCoordination = fm.fmAutoCoordination;
    fm = flight::FlightModelState{};
    flight::ForgetFlownFlight();
    fm.fmMultiEngineSynch = 0;
    fm.fmAutoCoordination = autoCoordination;
    // A type no aircraft has is flown as the Cessna 172, and said so by the loader.
    const std::int32_t type = file.GetInt("Aircraft", "type", -1);
    if (type >= 0 && type <= 5)
        theUnknownAircraftType.reset();
    else
        theUnknownAircraftType = type;
    if (aircraft != nullptr) result = aircraft->LoadType(file);
    // The type may have changed, and with it the panel's colours and height: the 3D view's rows
    // end where the new panel begins, and the panel is painted afresh.
    MarkPaletteDirty();
    theViewController.ApplyView();
    result &= flight::ReadAircraftState(file);
    if (full == 0) {
        fm.fmPosX = keptX;
        fm.fmPosZ = keptZ;
    } else {
        // A place off the covered area is no place the world has (at ±2^31 it would stand at
        // the plane's edge): it is held at the area's nearest edge, and said with the values held.
        const std::int32_t readX = fm.fmPosX;
        const std::int32_t readZ = fm.fmPosZ;
        nav::HoldPositionInAirspace(fm.fmPosX, fm.fmPosZ);
        if (fm.fmPosX != readX) flight::theHeldAircraftKeys.emplace_back("fmPosX");
        if (fm.fmPosZ != readZ) flight::theHeldAircraftKeys.emplace_back("fmPosZ");
    }
    if (full != 0) {
        if (reliability) flight::LoadReliabilitySettings(file, 0);
        result &= cockpit::LoadPartialPanelSettings(file);
        if (weather) weather->LoadIni(file);
        UpdateCloudLayers();
        time.LoadTimeSettings(file);
    }
    result &= cockpit::ReadPanelState(file);
    // The exterior parts follow what was read: propellers of running engines, lights.
    if (aircraft != nullptr) aircraft->ApplyPartStates();
    if (full != 0) {
        cockpit::ReadNavRadios(file);
        nav::LoadCopilotSettings(file);
        nav::LoadAtcState(file);
    }
    pauseRequested = 0;
    loadingSituation = false;
    // The loaded engine bits say which engines run; the levers then agree with the flight. A
    // power set between two of the lever's notches (an approach's) stays until the lever moves.
    cockpit::SyncEnginesWithFlightModel();
    const std::int16_t throttle = fm.fmThrot, throttleRight = fm.fmThrotRight;
    cockpit::ApplyEngineLevers();
    constexpr int kHalfNotch = 1057 / 2 + 1;
    if (std::abs(fm.fmThrot - throttle) <= kHalfNotch) fm.fmThrot = throttle;
    if (std::abs(fm.fmThrotRight - throttleRight) <= kHalfNotch) fm.fmThrotRight = throttleRight;
    // A saved flight keeps no altimeter setting: it is set to the air's pressure, so the
    // altimeter reads the true altitude. Nor does it keep the autopilot's selected heading: the
    // autopilot steers to the heading bug the panel shows.
    cockpit::SetAltimeterToSurfacePressure();
    cockpit::SteerAutopilotToHeadingBug();
    if (full != 0) {
        const std::int32_t altitude = fm.fmPosY;
        RefreshTerrain();
        fm.fmPosY = altitude;
    }
    // A flight read standing on the ground with its wheels below it stands on them from the
    // first picture, before its first step.
    if (fm.fmOTG != 0 && fm.fmPosY < flight::theAircraftParameters.apGearHeight)
        fm.fmPosY = flight::theAircraftParameters.apGearHeight;
    // The flight steps renew the air data (outside temperature, Mach number, the indicated
    // airspeed's factor at the height) only every few dozen steps, and a flight keeps none: they
    // are worked out now, so that the panel shows them right from the first frame.
    flight::UpdateAltitudeFactorsAndWeight();
    flight::UpdateAtmosphere();
    flight::UpdateAirData();
    // The receivers too (their flags, needles and the stations heard), which otherwise wait for
    // the next instrument update.
    cockpit::UpdateNavRadios();
    ReadEngineSpeedsForGauges();
    cockpit::SettleGauges();
    if (flightPlan && flightPlan->ReadActiveFlag(file) != 0) {
        const std::string planName = flightPlan->ReadPlanName(file);
        if (!planName.empty()) {
            core::IniFile planFile(planName.c_str());
            if (LoadFlightPlan(planFile) != 0) {
                flightPlan->ReadProgress(file);
                flightPlan->name = planName.substr(0, 260);
                flightPlan->ApplyRouteWeather();
            }
        }
    }
    devices::StartEngineSounds();
    return result;
}

int SimWorld::SaveSituation(core::IniFile& file) {
    int result = aircraft != nullptr ? aircraft->SaveType(file) : 1;
    result &= flight::WriteAircraftState(file);
    result &= cockpit::WritePanelState(file);
    if (reliability) result &= flight::SaveReliabilitySettings(file, 0);
    result &= cockpit::SavePartialPanelSettings(file);
    result &= cockpit::WriteNavRadios(file);
    if (weather) weather->SaveIni(file);
    time.SaveTimeSettings(file);
    nav::SaveCopilotSettings(file);
    nav::SaveAtcState(file);
    if (flightPlan && flightPlan->active != 0) flightPlan->WriteProgress(file);
    return result;
}

// ---- clock and ticks ------------------------------------------------------------------------

bool SimWorld::SoundRestsWhilePaused() const {
    // A dialog stops the clock but not the card: it is closed only when the user pauses, or
    // when the clock stops with no dialog open (opening it again after each dialog would
    // break the sound for no one's good).
    return IsPaused() && (pauseRequested != 0 || DialogDepth() == 0);
}

void SimWorld::MarkClock() {
    if (clock) clock->Mark();
}

void SimWorld::AdvanceClock() {
    if (!IsPaused()) {
        if (clock) ticksRun += clock->Advance();
    } else if (SoundRestsWhilePaused() && !devices::IsSoundSuspended()) {
        devices::SuspendSound();
    }
}

void SimWorld::SetSpeedUp(int index) {
    speedUp = static_cast<std::uint32_t>(index < 0 ? 0 : (index > 4 ? 4 : index));
    time.SetAcceleration(static_cast<int>(speedUp));
}

void SimWorld::FlightTick() {
    if (joystick) joystick->CheckArrival(window);
    if (joystick && joystick->IsPresent() && joystick->IsInUse()) joystick->Poll();
    world::StepRunwayLightMask();
    if (pauseRequested == 0 && theMainWindowFocused != 0) {
        if (aircraft != nullptr) aircraft->Step();
        if (weather) weather->ApplyWindAtAircraft();
        // The crash display starts with the crash; the repair command or a reload ends it.
        if (flight::theCrashed != 0) cockpit::theCrashShown = 1;
    }
    ++world::theFlightStepCounter;
    devices::PollStarterSounds();
    const cockpit::PanelMouse& mouse = cockpit::thePanelMouse;
    if (mouse.kind == 3 || (mouse.kind == 1 && mouse.knobHeld != 0))
        cockpit::thePanelMouse.OnClick();
}

void SimWorld::TickEvery2() {
    cockpit::StepEngineSequences();
    devices::UpdateEngineStartSound();
}

void SimWorld::TickEvery3() {
    devices::UpdateEngineSounds();
    cockpit::UpdateNavRadios();
    StepFlightPlan();
    cockpit::UpdateGauges();
    if (pauseRequested == 0 && !theSlewControl.IsActive() && nav::IsAtcActive())
        nav::AtcMoveTraffic();
}

void SimWorld::TickEvery6() {
    devices::UpdateWindAndSyncSounds(window);
    cockpit::PanelMouse& mouse = cockpit::thePanelMouse;
    if (mouse.kind == 1) {
        ++mouse.heldCount;
        if (mouse.heldCount > 1) {
            mouse.kind = 3;
            if (window) win::SetCapture(window);
        }
    }
}

void SimWorld::TickEvery18() {
    if (pauseRequested != 0) {
        blink = blink == 0 ? 1 : 0;
    } else {
        time.SetAutoZoneFromPosition(flight::theFlightModelState.fmPosX,
                                     flight::theFlightModelState.fmPosZ);
        if (sky) sky->AddElapsedTime(1.0f);
        if (weather) weather->UpdateWinds();
        if (reliability) {
            reliability->Update();
            if (!flight::SystemReliability::IsLeftEngineWorking()) {
                cockpit::StopSingleEngine();
                cockpit::StopLeftEngine();
            }
            if (!flight::SystemReliability::IsRightEngineWorking()) cockpit::StopRightEngine();
        }
        if (aircraft != nullptr) aircraft->TickHobbsMeters();
        // The stopwatch runs while the clock's running flag is set (its command starts it).
        if (cockpit::theCockpitSwitches.timerRunning != 0) ++stopwatchSeconds;
    }
    // The autopilot's trim light goes out within a second of the last trim command.
    std::int16_t& trim = cockpit::theAutopilotTrimButton;
    if (cockpit::theAutopilotPanel.buttons[cockpit::kAutopilotEngaged] != 0 &&
        cockpit::thePanelMouse.kind != 3 && (trim == 1 || trim == 2)) {
        trim = 0;
        cockpit::theAutopilotPanel.dirty = 1;
    }
    devices::UpdateSpeechAndBeacons(window);
    planning::LessonStep();
    cockpit::CockpitSlowTick();
    nav::TickNavReception();
}

// ---- time of day ----------------------------------------------------------------------------

void SimWorld::SetZuluDateTime(const CalendarTime& t) {
    time.SetZuluTime(t);
    SyncSky();
}

void SimWorld::SyncSky() {
    if (sky) sky->SyncToSimTime();
}

float SimWorld::GetAmbientLight() {
    return sky ? sky->GetAmbientLight() : 1.0f;
}

int SimWorld::GetDayPeriod() {
    const float light = GetAmbientLight();
    if (light <= 0.3f) return 3;
    if (light <= 0.8f) {
        CalendarTime local;
        time.GetLocalTime(&local);
        return local.hour < 12 ? 0 : 2;
    }
    return 1;
}

bool SimWorld::IsFullDaylight() {
    return GetAmbientLight() > 0.9f;
}

void SimWorld::SetDayPeriod(int period) {
    static const struct {
        int hour;
        float low, high;
    } kBands[4] = {{3, 0.3f, 0.4f}, {12, 0.9f, 1.0f}, {15, 0.7f, 0.8f}, {0, 0.0f, 0.1f}};
    if (period < 0 || period > 3) return;
    // The local day is the aircraft's own: a zone that follows the aircraft is brought up to
    // where it is now (it may have been moved across the country a moment ago).
    time.SetAutoZoneFromPosition(flight::theFlightModelState.fmPosX,
                                 flight::theFlightModelState.fmPosZ);
    CalendarTime start;
    time.GetLocalTime(&start);
    CalendarTime t = start;
    t.hour = kBands[period].hour;
    // One simulated day of 2-minute steps at most. A day that never shows the period's light
    // (the moon lights the night above its band) takes the time whose light came nearest it.
    static const float kOrigin[3] = {0.0f, 0.0f, 0.0f};
    CalendarTime nearest = start;
    float nearestMiss = -1.0f;
    for (int step = 0; step < 720; ++step) {
        time.SetLocalTime(t);
        if (!sky) return;
        sky->PlaceForObserver(kOrigin);
        const float light = sky->GetAmbientLight();
        if (light >= kBands[period].low && light <= kBands[period].high) return;
        const float miss = light < kBands[period].low ? kBands[period].low - light
                                                      : light - kBands[period].high;
        if (nearestMiss < 0.0f || miss < nearestMiss) {
            nearestMiss = miss;
            nearest = t;
        }
        t.min += 2;
    }
    time.SetLocalTime(nearest);
    SyncSky();
}

// ---- switches -------------------------------------------------------------------------------

void SimWorld::SetCrashDetect(int on) {
    crashDetect = on != 0 ? 1 : 0;
    flight::theCrashDetectEnabled = crashDetect;
}

void SimWorld::SetFlightMode(int mode) {
    flightMode = static_cast<std::uint32_t>(mode);
    if (mode == 0) {
        nav::theCopilotFlag = 0;
        nav::theAtcReplyDelay = 0;
    } else if (mode == 5) {
        nav::theCopilotFlag = 1;
        if (nav::theCopilotRadioHelp != 0) nav::theAtcReplyDelay = 200;
    }
}

void SimWorld::SetAutoCoordination(int on) {
    flight::theFlightModelState.fmAutoCoordination = on != 0 ? 1 : 0;
}

bool SimWorld::IsAutoCoordination() const {
    return flight::theFlightModelState.fmAutoCoordination != 0;
}

void SimWorld::SetMultiEngineSynch(int on) {
    flight::theFlightModelState.fmMultiEngineSynch = on != 0 ? 1 : 0;
}

bool SimWorld::IsMultiEngineSynch() const {
    return flight::theFlightModelState.fmMultiEngineSynch != 0;
}

bool SimWorld::AreBrakesOn() const {
    return flight::theFlightModelState.fmLBrake != 0;
}

void SimWorld::ToggleBrakes() {
    if (aircraft != nullptr) aircraft->ToggleBrakes();
}

void SimWorld::UseJoystick() {
    if (!joystick) return;
    if (!joystick->IsPresent()) joystick->Detect(window);
    // Without a stick the wish is kept: one plugged in later is taken.
    joystick->SetInUse(true);
}

void SimWorld::UseKeyboard() {
    if (joystick) joystick->SetInUse(false);
}

void SimWorld::RefreshTerrain() {
    time.Pause(1);
    if (terrain) terrain->TrackAircraft();
    time.Pause(0);
}

// ---- the scene light and the aircraft's place ---------------------------------------------

double SimWorld::GetLatitude() const {
    double lat = 0.0, lon = 0.0;
    nav::WorldToLatLon(&lat, &lon, flight::theFlightModelState.fmPosX,
                       flight::theFlightModelState.fmPosZ);
    return lat;
}

double SimWorld::GetLongitude() const {
    double lat = 0.0, lon = 0.0;
    nav::WorldToLatLon(&lat, &lon, flight::theFlightModelState.fmPosX,
                       flight::theFlightModelState.fmPosZ);
    return lon;
}

int SimWorld::GetAircraftType() const {
    return aircraft != nullptr ? aircraft->GetType() : 0;
}

void SimWorld::SetFlightPlan(const planning::FlightPlan* plan) {
    if (plan != nullptr && flightPlan) *flightPlan = *plan;
}

// ---- graphics -------------------------------------------------------------------------------

int SimWorld::GetGraphicsSetting(int index) const {
    return graphics ? graphics->Get(index) : 0;
}

void SimWorld::SetGraphicsSetting(int index, int value) {
    if (graphics) graphics->Set(index, value);
}

void SimWorld::SelectGraphicsProfile(int n) {
    if (graphics) graphics->SelectProfile(n);
}

int SimWorld::GetGraphicsProfile() const {
    return graphics ? graphics->ProfileInUse() : 0;
}

void SimWorld::ToggleGraphicsProfile() {
    if (!graphics) return;
    graphics->SelectProfile(graphics->ProfileInUse() ^ 1);
    ApplyGraphicsSettings();
}

void SimWorld::SetGraphicsSettings(const world::SceneryGraphicsSettings& settings) {
    if (!graphics) return;
    *graphics = settings;
    graphics->SaveIni(core::theIniFile);
    ApplyGraphicsSettings();
}

void SimWorld::ApplyGraphicsSettings() {
    // Materials and tiles may be read again: the wait cursor until the frame ends.
    TerrainWaitCursor(1);
    world::FreeRunwayMaterials();
    MakeRunwayMaterials();
    if (sky) sky->ApplyGraphicsSettings();
    if (terrain) terrain->ApplyGraphicsSettings();
    if (palette) palette->MarkReapply();
}

void SimWorld::SetAutoComplex(int on) {
    autoComplex = on != 0 ? 1 : 0;
    if (autoComplex != 0) {
        const int mhz = DetectProcessorSpeed();
        if (mhz != -1) ApplyAutoComplexity(mhz);
    } else if (graphics) {
        graphics->LoadIni(core::theIniFile);
    }
    ApplyGraphicsSettings();
    core::theIniFile.PutInt("Aircraft", "AutoComplex", static_cast<std::int32_t>(autoComplex));
}

// ---- flight plan ----------------------------------------------------------------------------

bool SimWorld::HasFlightPlan() const {
    return flightPlan && flightPlan->active != 0;
}

void SimWorld::StepFlightPlan() {
    if (HasFlightPlan()) flightPlan->SequenceLeg();
}

int SimWorld::LoadFlightPlan(core::IniFile& planFile) {
    if (!flightPlan) return 0;
    // A file that holds no plan leaves the world's plan as it was.
    const int r = flightPlan->ReadSections(planFile);
    if (r == 0) return 0;
    flightPlan->active = 1;
    flightPlan->saved = 1;
    return r;
}

int SimWorld::SaveFlightPlan(core::IniFile& planFile) {
    if (!flightPlan) return 0;
    flightPlan->saved = 1;
    return flightPlan->WriteSections(planFile);
}

}  // namespace sim
