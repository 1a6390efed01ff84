#include "sim/startup.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "cockpit/cockpit_services.h"
#include "cockpit/cockpit_systems.h"
#include "cockpit/panel_art.h"
#include "cockpit/panel_controls.h"
#include "cockpit/panel_services.h"
#include "core/ini_file.h"
#include "core/resource_volume.h"
#include "devices/joystick.h"
#include "devices/sound_services.h"
#include "devices/sound_system.h"
#include "flight/aircraft.h"
#include "flight/flight_model.h"
#include "flight/flight_model_state.h"
#include "gfx/bitmap.h"
#include "gfx/display.h"
#include "gfx/surface.h"
#include "nav/atc_services.h"
#include "nav/debug_keys.h"
#include "nav/nav_database.h"
#include "planning/pilot_dialogs.h"
#include "planning/planning_services.h"
#include "sim/flight_file.h"
#include "sim/flight_tape.h"
#include "sim/input/general_commands.h"
#include "sim/input/key_commands.h"
#include "sim/main_window.h"
#include "sim/main_window_services.h"
#include "sim/menu_commands.h"
#include "sim/sim_world.h"
#include "sim/slew.h"
#include "ts/engine_pools.h"
#include "ui/dialog_services.h"
#include "ui/general_dialogs.h"
#include "win/file_api.h"
#include "win/input.h"
#include "win/modal.h"
#include "win/profile.h"
#include "win/program_entry.h"
#include "win/resource.h"
#include "win/single_instance.h"
#include "win/window.h"
#include "world/artifact_shape_cache.h"
#include "world/artifacts.h"
#include "world/terrain_disk_cache.h"
#include "world/terrain_services.h"

namespace sim {

std::uint32_t theReloadQuiet = 0;
std::vector<std::string> theShutdownLog;

namespace {
// Set once the user has confirmed leaving: a start-up still waiting in its pilot dialog then
// goes no further, so nothing is built again after the world has gone down.
bool theProgramClosed = false;
// A close asked for while dialogs were open waits until they have ended (the question it came
// from with them) and the program's own loop is back; whether it may ask is kept for then.
bool theCloseWaiting = false;
bool theWaitingCloseMayAsk = false;
}  // namespace
PoolSizes thePoolSizes;

namespace {
constexpr std::uintptr_t kFrameTimer = 1;

std::int32_t PoolSize(const char* key) {
    const std::int32_t v = core::theIniFile.GetInt("MemControl", key, 0);
    // A pool of more than a million elements is a damaged setting, not a wish.
    return (v > 0 && v <= 1000000) ? v : 0;
}
}  // namespace

void FatalShutdown() {
    CloseForExit();
    std::exit(0);
}

void CloseForExit() {
    SaveWindowPlacement();
    LoadAndSetCursor(win::IDC_WAIT);
    if (theMainWindow.window) {
        win::KillTimer(theMainWindow.window, kFrameTimer);
        gfx::SetDisplayMode(gfx::kDisplayNone, 1);
        win::DestroyWindow(theMainWindow.window);
    }
    devices::ShutdownForceFeedback();
    devices::ShutdownSound();
    // The world writes its settings and lets its objects go, and the art goes back to its
    // pools, while everything they use lives.
    theSimWorld.Shutdown();
    UnregisterKeyCommandTables();
    cockpit::ReleasePanelArt();
    flight::theAircraft.ReleasePanelBitmaps();
    flight::theAircraft.ReleaseSideViewBitmap();
    SimWorld::ReleaseLoadingScreen();
    // Static destructors run after this; the volumes' files are closed while files still work.
    core::CloseGlobalVolumes();
}

void InstallResourceVolumeHost() {
    core::ResourceVolumeHost host;
    host.promptForDisc = [](int disc, std::string_view path, std::uint32_t buttons) {
        return ui::PromptForDisc(theMainWindow.window, disc, path, buttons);
    };
    host.showMessageBox = [](std::string_view text, std::uint32_t type) {
        return ui::ShowMessageBox(theMainWindow.window, text, type);
    };
    host.fatalShutdown = [] { FatalShutdown(); };
    host.closing = [] { return theProgramClosed || win::IsQuitPosted(); };
    core::SetResourceVolumeHost(std::move(host));
}

void InitResourceVolumes() {
    InstallResourceVolumeHost();
    core::InitInstallationSource();
    core::OpenGlobalVolumes();
}

PoolSizes ReadPoolSizes() {
    PoolSizes p;
    p.bitmaps = PoolSize("NumBmp");
    p.mapDefs = PoolSize("NumMapDef");
    p.sheets = PoolSize("NumSheet");
    p.artifacts = PoolSize("NumArt");
    p.artifactAnims = PoolSize("NumArtAnim");
    p.artifactEntries = PoolSize("NumArtEntry");
    p.cells = PoolSize("NumTSCell");
    p.materials = PoolSize("NumTSMat");
    p.meshes = PoolSize("NumTSMesh");
    p.shapes = PoolSize("NumTSShape");
    return p;
}

void ApplyPoolSizes(const PoolSizes& sizes) {
    if (sizes.bitmaps > 0) gfx::GFXBitmap::ResetBitmapPool(sizes.bitmaps);
    world::Artifact::ReservePool(sizes.artifacts);
    world::ArtifactAnim::ReservePool(sizes.artifactAnims);
    world::ArtifactShapeCache::SetPoolCapacity(sizes.artifactEntries);
    ts::SetEnginePoolCapacity(ts::EnginePool::kShape, sizes.shapes);
    ts::SetEnginePoolCapacity(ts::EnginePool::kMesh, sizes.meshes);
    ts::SetEnginePoolCapacity(ts::EnginePool::kMaterial, sizes.materials);
    ts::SetEnginePoolCapacity(ts::EnginePool::kSequenceState, sizes.cells);
    ts::SetEnginePoolCapacity(ts::EnginePool::kTextureEntry, sizes.mapDefs);
    ts::SetEnginePoolCapacity(ts::EnginePool::kSheet, sizes.sheets);
}

int InitDisplayAndPools(win::HWND window) {
    const int width = 640 + 2 * win::GetSystemMetrics(win::SM_CXBORDER);
    const int height = 480 + 2 * win::GetSystemMetrics(win::SM_CYBORDER) +
                       win::GetSystemMetrics(win::SM_CYCAPTION);
    win::SetWindowPos(window, {}, 20, 40, width, height, win::SWP_NOZORDER);
    thePoolSizes = ReadPoolSizes();
    SetUpDebugKeyCommands();
    ApplyPoolSizes(thePoolSizes);
    gfx::GFXSurface::InitSpanPool(3000);
    gfx::SetDisplayOptions(window, {}, 2);
    gfx::InitDisplay(640, 480, 8);
    return gfx::SetDisplayMode(gfx::kDisplayWindow, 1);
}

int StartFrameTimer(win::HWND window) {
    // A new main window: nothing of it is closed yet.
    theProgramClosed = false;
    theCloseWaiting = false;
    if (InitDisplayAndPools(window) == 0) return 0;
    if (win::SetTimer(window, kFrameTimer, 250, nullptr) != 1) {
        ui::ShowMessageBox(window, "Could not start timer.", ui::MB_ICONEXCLAMATION);
        return 0;
    }
    return 1;
}

void TellMissingDialogs(win::HWND window) {
    static const char* const kTemplates[] = {
#include "dialog_templates.inc"
    };
    std::string missing;
    int count = 0;
    for (const char* name : kTemplates) {
        if (win::LoadDialogTemplate(theMainWindow.resourceLibrary, name)) continue;
        missing += (count == 0 ? "" : ", ") + std::string(name);
        ++count;
    }
    if (count == 0) return;
    const std::string text = "The resource pack Zephlon.pack lacks " +
                             std::string(count == 1 ? "the dialog " : "these dialogs: ") + missing +
                             ". The program runs without " + (count == 1 ? "it" : "them") +
                             "; installing the program again restores the pack.";
    win::TraceLine("start: the resource pack lacks " + std::to_string(count) + " dialogs: " + missing);
    std::fprintf(stderr, "zephlon: %s\n", text.c_str());
    ui::ShowMessageBox(window, text, ui::MB_ICONEXCLAMATION);
}

void TellSettingsFileProblems(win::HWND window) {
    std::string text;
    for (const RefusedSettingsFile& f : theRefusedSettingsFiles) {
        text += (text.empty() ? "" : "\n\n") + std::string("The settings file ") +
                win::ShownPath(f.file) + " cannot be used: " + f.why +
                ". It is left as it is, and ";
        if (f.standInWhy.empty()) {
            win::TraceLine("settings: " + f.file + " not used: " + f.why + "; kept in " +
                           f.standIn);
            text +=
                "the settings are read from and kept in " + win::ShownPath(f.standIn) + " instead.";
        } else {
            win::TraceLine("settings: " + f.file + " not used: " + f.why + "; " + f.standIn +
                           " not used either: " + f.standInWhy + "; not kept");
            text += "its stand-in " + win::ShownPath(f.standIn) +
                    " cannot be used either: " + f.standInWhy +
                    ". The program runs on its usual settings, and what this session changes " +
                    "is not kept.";
        }
    }
    for (const std::string& note : theSettingsNotes)
        text += (text.empty() ? "" : "\n\n") + note;
    // Without the lock a second copy started in this folder would run beside this one, and the
    // two would write over each other's settings.
    if (const std::string lock = win::SingleInstanceLockProblem(); !lock.empty()) {
        win::TraceLine("start: the lock " + lock);
        text += (text.empty() ? "" : "\n\n") + std::string("Zephlon cannot take its lock ") + lock +
                ". It runs, but a second copy started in this folder would not be noticed, and "
                "the two would write over each other's settings.";
    }
    if (text.empty()) return;
    std::fprintf(stderr, "zephlon: %s\n", text.c_str());
    ui::ShowMessageBox(window, text, ui::MB_ICONEXCLAMATION);
}

void TellDamagedInstallationFiles(win::HWND window) {
    const std::vector<std::string> damaged = core::TakeDamagedFilesToTell();
    if (damaged.empty()) return;
    std::string text =
        "Zephlon cannot read these files of its installation whole and runs on what it could read "
        "of them:\n";
    for (const std::string& file : damaged)
        text += "\n" + file + ".";
    text += "\n\nInstalling the program again restores them.";
    ui::ShowMessageBox(window, text, ui::MB_ICONEXCLAMATION);
}

void TellUnreadableInstallation(win::HWND window) {
    std::vector<core::UnreadableVolume> unreadable = core::UnreadableGlobalVolumes();
    // Files of the installation read outside the global volumes, without which the ground goes
    // plain, the directory of stations and the lessons stay empty.
    for (const char* file : {"Art\\Terrain\\USA\\GridText.bin", "Data\\Sms\\flp.sms"}) {
        std::uint32_t attributes = win::GetFileAttributes(file);
        // One the installation source holds stands in for it.
        if (attributes == win::INVALID_FILE_ATTRIBUTES) attributes = win::GetFileAttributes(core::DiscPath(file));
        if (attributes == win::INVALID_FILE_ATTRIBUTES || (attributes & win::FILE_ATTRIBUTE_DIRECTORY) != 0)
            unreadable.push_back(core::UnreadableVolume{file, attributes != win::INVALID_FILE_ATTRIBUTES, 0});
    }
    // The terrain tiles the installation's list says it ships: one that is gone would be read
    // as sea. The first few are named, the rest counted.
    constexpr std::size_t kTilesNamed = 6;
    std::size_t tilesUnnamed = 0;
    {
        world::ShippedTilesList list = world::ShippedTilesList::Read;
        const std::vector<std::string> gone =
            world::MissingShippedTiles("Art\\Terrain\\USA", &list);
        if (list != world::ShippedTilesList::Read)
            unreadable.push_back(core::UnreadableVolume{
                std::string("Art\\Terrain\\USA\\") + world::kShippedTilesFile,
                list == world::ShippedTilesList::Damaged, 0});
        for (std::size_t i = 0; i < gone.size(); ++i) {
            if (i < kTilesNamed)
                unreadable.push_back(core::UnreadableVolume{gone[i], false, 0});
            else
                win::TraceLine("installation: " + gone[i] + " missing");
        }
        tilesUnnamed = gone.size() > kTilesNamed ? gone.size() - kTilesNamed : 0;
    }
    // The lessons' volume and the aircraft's performance texts, or loose files in their folders
    // standing in for them. With an installation source the texts are looked for there when
    // they are read, and a refusal told then.
    struct Volume {
        const char* file;
        const char* folder;
        const char* member;
        bool lookedForWhenRead;
    };
    for (const auto& [volume, folder, member, whenRead] :
         {Volume{"Lessons\\Lessons.Vol", "Lessons", "zqLess1.txt", false},
          Volume{"Data\\Perform.Vol", "Data\\Perform", "P0.Txt", true}}) {
        if (whenRead && !core::theCdRoot.empty()) continue;
        core::ResourceVolume opened(volume, folder, 0);
        if (opened.OpenFile(member) != 0)
            opened.CloseFile();
        else
            unreadable.push_back(core::UnreadableVolume{
                volume, win::GetFileAttributes(volume) != win::INVALID_FILE_ATTRIBUTES, 0});
    }
    if (unreadable.empty()) return;
    std::string text =
        "Zephlon cannot read these files of its installation and runs without what they hold:\n";
    for (const core::UnreadableVolume& v : unreadable) {
        // Something that is no file at all is said for what it is, never called missing.
        std::string why = win::DescribeNoPlainFile(v.file);
        if (why.empty()) why = v.present ? "it is damaged" : "it is missing";
        if (v.lostMembers > 0)
            why += " (" + std::to_string(v.lostMembers) + " of its members are lost)";
        win::TraceLine("installation: " + v.file + " " + (v.present ? "damaged" : "missing"));
        const std::string shown = win::ShownPath(v.file);
        std::fprintf(stderr, "zephlon: the installation file %s cannot be read: %s.\n",
                     shown.c_str(), why.c_str());
        text += "\n" + shown + ": " + why + ".";
    }
    if (tilesUnnamed > 0) {
        text += "\n" + std::to_string(tilesUnnamed) +
                " more terrain tiles of Art/Terrain/USA are missing.";
        std::fprintf(stderr, "zephlon: %zu more terrain tiles of Art/Terrain/USA are missing.\n",
                     tilesUnnamed);
    }
    text += "\n\nInstalling the program again restores them.";
    ui::ShowMessageBox(window, text, ui::MB_ICONEXCLAMATION);
}

void RunStartup() {
    const win::HWND w = theMainWindow.window;
    // Every message box and dialog of the start-up may end with the program's close (the end of
    // the session comes at any moment): the start-up then goes no further.
    TellSettingsFileProblems(w);
    TellUnreadableInstallation(w);
    // What the volumes lost on opening was told with them.
    (void)core::TakeDamagedFilesToTell();
    TellMissingDialogs(w);
    if (theProgramClosed) return;
    // The settings start-up writes are stored once, at its end.
    win::ProfileWriteBatch settingsWrites;
    theSimWorld.SetLoadingScreen(1);
    planning::PilotFile pilot;
    if (pilot.LoadCurrent() == 0) {
        // A damaged pilot file is named before the choice, and kept as it is.
        if (pilot.damagedFile) planning::TellPilotFailure(w, pilot, "");
        planning::RunSelectPilotDialog(w);
    } else {
        planning::TellPilotLoad(w, pilot);
    }
    if (theProgramClosed) return;
    LoadAndSetCursor(win::IDC_WAIT);
    theSimWorld.SetLoadingScreen(1);
    theSimWorld.SetRestoreArrow(1);
    // The command names stand before the world reads the stick's bindings, which name them, and
    // before the keyboard's: read earlier (at the window's first activation) every name was
    // unknown and the default keys acted until the program was activated again.
    RegisterKeyCommandTables();
    theKeyboardBindings.LoadKeyBindings(core::theIniFile.Path().c_str(), "Keyboard");
    theSimWorld.Init(w);
    InstallWorldCommandServices();
    cockpit::ResetPanelGauges();
    cockpit::theCockpitFullRedraw |= cockpit::kRedrawStartupFlags;
    if (LoadFlightFile("Startup.Flt", 1) == 0) {
        // Without its first flight the aircraft would stand at the world's origin at night:
        // it starts from its type's parked flight instead, and the user learns why.
        const flight::Aircraft* a = theSimWorld.GetAircraft();
        const std::string parked = DefaultFlightName(a != nullptr ? a->GetType() : 0, true);
        const bool fallback = !parked.empty() && LoadFlightFile(parked, 1) != 0;
        const std::string text =
            "The flight " + win::ShownPath(FlightPath("Startup.Flt")) + " is missing or damaged" +
            (fallback
                 ? "; the aircraft starts from " + win::ShownPath(FlightPath(parked)) + " instead."
                 : ", and so is " + win::ShownPath(FlightPath(parked)) +
                       ": the aircraft has no place to start from.");
        std::fprintf(stderr, "zephlon: %s\n", text.c_str());
        ui::ShowMessageBox(w, text, ui::MB_ICONEXCLAMATION);
    }
    if (theProgramClosed) return;
    theFlightTape.SetReaderEmpty(true);
    // The first flight starts with its engines stopped, whatever flight was saved there.
    MeetEnginesStopped();
    nav::LoadNavVors();
    nav::LoadNavNdbs();
    nav::LoadNavIls();
    nav::LoadNavAirports();
    nav::LoadNavWaypoints();
    nav::LoadNavAirways();
    TellDamagedInstallationFiles(w);
    if (theProgramClosed) return;
    theSimWorld.SetLoadingScreen(0);
    theSimWorld.SetRunning(1);
    win::TraceLine("start-up done");
}

void MeetEnginesStopped() {
    flight::theFlightModelState.fmEngines = 0;
    cockpit::SyncEnginesWithFlightModel();
    cockpit::SetOilTemperaturesCold();
    devices::StartEngineSounds();
    if (const flight::Aircraft* a = theSimWorld.GetAircraft();
        a != nullptr && a->GetType() >= 3 && a->GetType() <= 4) {
        cockpit::PanelSwitches& sw = cockpit::thePanelSwitches;
        sw.turbineIgnitionLeft = sw.turbineIgnitionRight = 0;
        sw.igniterLeft = sw.igniterRight = 0;
        sw.ignitionLeftRedraw = sw.ignitionRightRedraw = 1;
    }
}

void OnMainTimer() {
    if (theSimWorld.SoundRestsWhilePaused() && !devices::IsSoundSuspended())
        devices::SuspendSound();
}

void TellFailedSettingsStores(bool mayShowBox) {
    static std::uint64_t seen = 0;
    const std::uint64_t recorded = win::ProfileStoreFailureCount();
    if (recorded == seen) return;
    seen = recorded;
    for (const core::IniFile* file : {&core::theIniFile, &devices::theJoystickIniFile}) {
        const std::uint32_t error = win::TakeProfileStoreFailure(file->Path());
        if (error == win::ERROR_SUCCESS) continue;
        const char* sentence = "The settings could not be saved in %s.";
        win::TraceLine("settings: " + file->Path() + " not saved: " + win::DescribeFileError(error));
        if (mayShowBox && theMainWindow.window) {
            ui::ShowFileMessage(theMainWindow.window, sentence, file->Path(), error);
        } else {
            std::fprintf(stderr, "zephlon: the settings could not be saved in %s: %s.\n",
                         file->Path().c_str(), win::DescribeFileError(error).c_str());
        }
    }
}

void TellUnwrittenReports(bool mayShowBox) {
    const std::vector<std::string> unwritten = core::TakeUnwrittenFilesToTell();
    if (unwritten.empty() || !mayShowBox || !theMainWindow.window) return;
    std::string text = "Zephlon could not write these reports the settings ask for:\n";
    for (const std::string& file : unwritten)
        text += "\n" + file + ".";
    text += "\n\nThe program goes on without them.";
    ui::ShowMessageBox(theMainWindow.window, text, ui::MB_ICONEXCLAMATION);
}

bool IsProgramClosed() {
    return theProgramClosed;
}

void OnMainClose(win::HWND window) {
    if (theProgramClosed) return;
    SetDialogMode(1);
    const int quit = planning::RunExitDialog(window);
    SetDialogMode(0);
    if (quit == 0) return;
    CloseProgram(window, true);
}

void OnMainEndSession(win::HWND window) {
    win::TraceLine("end of session: closing without questions");
    CloseProgram(window, false);
}

namespace {
void CloseInOrder(win::HWND window, bool mayAsk) {
    theShutdownLog.clear();
    SaveWindowPlacement();
    theShutdownLog.emplace_back("WindowPlacement");
    LoadAndSetCursor(win::IDC_WAIT);
    if (flight::Aircraft* a = theSimWorld.GetAircraft()) a->SaveHobbsMeter();
    theShutdownLog.emplace_back("HobbsMeter");
    win::KillTimer(window, kFrameTimer);
    theShutdownLog.emplace_back("Timer");
    theSimWorld.Shutdown();
    UnregisterKeyCommandTables();
    theShutdownLog.emplace_back("World");
    // The settings the world just wrote: a failure is said while the window still stands.
    TellFailedSettingsStores(mayAsk);
    cockpit::ReleasePanelArt();
    flight::theAircraft.ReleasePanelBitmaps();
    flight::theAircraft.ReleaseSideViewBitmap();
    theShutdownLog.emplace_back("PanelArt");
    gfx::SetDisplayMode(gfx::kDisplayNone, 1);
    // A close during start-up (in its pilot dialog, say) finds the loading picture still held.
    SimWorld::ReleaseLoadingScreen();
    theShutdownLog.emplace_back("Display");
    win::PostMessage(window, win::WM_USER + 1, 0, 0);
    theShutdownLog.emplace_back("Window");
}
}  // namespace

void CloseProgram(win::HWND window, bool mayAsk) {
    // A close that reaches the window while another is under way (the end of the session while
    // the exit question is open) finds the first one done.
    if (theProgramClosed) return;
    theProgramClosed = true;
    if (win::ModalLoopDepth() > 0) {
        // Whatever opened the dialogs (the start-up, a menu command, the frame's pause) is still
        // running under them and would go on with a world already gone. The quit ends every
        // open dialog; their callers return, and the program's own loop then closes in order.
        theCloseWaiting = true;
        theWaitingCloseMayAsk = mayAsk;
        win::TraceLine("close: once the open dialogs have ended");
        win::PostQuitMessage(0);
        return;
    }
    CloseInOrder(window, mayAsk);
}

bool FinishWaitingClose(win::HWND window) {
    if (!theCloseWaiting) return false;
    theCloseWaiting = false;
    CloseInOrder(window, theWaitingCloseMayAsk);
    return true;
}

std::string DefaultFlightName(int type, bool parked) {
    static const char* const kStop[5] = {"C172Stop.Flt", "BonStop.Flt", "BarStop.Flt",
                                         "KingStop.Flt", "JetStop.Flt"};
    static const char* const kFly[5] = {"C172Fly.Flt", "BonFly.Flt", "BarFly.Flt", "KingFly.Flt",
                                        "JetFly.Flt"};
    if (type == 5) type = 0;
    if (type < 0 || type > 4) return std::string();
    return parked ? kStop[type] : kFly[type];
}

void ReloadAircraftFlight(win::HWND window, int parked, int takeHeading) {
    (void)window;
    const bool quiet = theReloadQuiet != 0;
    // A plan's departure whose runways the station directory cannot give (it is damaged, and
    // that is said) leaves the aircraft where it was.
    if (!quiet && parked != 0 && takeHeading != 0 && theSimWorld.HasFlightPlan() &&
        nav::AtcPlanDepartureReadable() == 0)
        return;
    LoadAndSetCursor(win::IDC_WAIT);
    if (!quiet && nav::IsAtcActive()) nav::AtcReset();
    const bool crash = theSimWorld.IsCrashDetect();
    theSimWorld.SetCrashDetect(0);
    cockpit::theCockpitFullRedraw |= cockpit::kRedrawReloadFlags;
    theSimWorld.SetMag(1);
    if (!quiet && parked != 0) nav::theAtcState.startPos = 3;
    const bool slewing = theSlewControl.IsActive();
    const std::uint16_t heading = flight::theFlightModelState.fmHead;
    // A start in the air (the pattern, final, en route) flies the type's in-air flight of that
    // leg, which the ATC's placement puts at its place; the others stand on the ground.
    const int startPos = nav::theAtcState.startPos;
    const bool inAir = !quiet && nav::AtcStartsInTheAir(startPos);
    // A plan's departure starts ready to fly, on its runway with the engines running.
    const bool planDeparture = parked != 0 && takeHeading != 0 && theSimWorld.HasFlightPlan();
    if (!quiet) {
        const int type = theSimWorld.GetAircraft() ? theSimWorld.GetAircraft()->GetType() : 0;
        const std::string name =
            inAir ? std::string(flight::AirborneFlightName(type, nav::AtcStartLeg(startPos)))
                  : DefaultFlightName(type, startPos == 3 && !planDeparture);
        if (!name.empty() && LoadFlightFile(name, 0) == 0) {
            // The aircraft still goes where it was sent (a plan's departure, the runway chosen),
            // but not as that flight would have it: the user learns why.
            const std::string text = "The flight " + win::ShownPath(FlightPath(name)) +
                                     " is missing or damaged: the aircraft is placed without it, "
                                     "its engines, fuel and controls as they were.";
            std::fprintf(stderr, "zephlon: %s\n", text.c_str());
            ui::ShowMessageBox(theMainWindow.window, text, ui::MB_ICONEXCLAMATION);
        }
        if (takeHeading == 0) flight::theFlightModelState.fmHead = heading;
    }
    theSimWorld.RefreshTerrain();
    world::theTerrainSampleRestart = 1;
    theSlewControl.SetActive(slewing ? 1 : 0);
    if (slewing) {
        theSlewControl.SetForwardRate(0);
        theSlewControl.SetSideRate(0);
        theSlewControl.SetYawRate(0);
    }
    if (!quiet && takeHeading != 0) {
        // A plan's departure, or the station directory's chosen runway.
        if (parked != 0) {
            nav::AtcStartAtAirport();
        } else if (nav::theAtcState.enabledATC != 0) {
            nav::AtcStartSession(0);
        } else {
            nav::AtcSetUpAirport();
            nav::AtcPlaceAircraftAtStartPos();
        }
    }
    // A flight loaded afresh on the ground starts with the gear down; one in the air keeps the
    // gear its leg flies with.
    if (!quiet && !inAir) cockpit::LowerGear();
    if (quiet) nav::AtcResetTraffic();
    theSimWorld.SetCrashDetect(crash ? 1 : 0);
    nav::CheckNavReception();
    if (flight::Aircraft* a = theSimWorld.GetAircraft()) a->Step();
    theSimWorld.SetViewMode(0);
    theSimWorld.SetLookDirection(0);
    LoadAndSetCursor(win::IDC_ARROW);
    flight::theFlightFreezeFrames = 10;
}

void ReloadAircraftFlightQuiet(win::HWND window) {
    theReloadQuiet = 1;
    ReloadAircraftFlight(window, 1, 1);
    theReloadQuiet = 0;
}

}  // namespace sim
