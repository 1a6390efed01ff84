#include "sim/main_window.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string_view>

#include "cockpit/gps_display.h"
#include "cockpit/panel_redraw.h"
#include "cockpit/panel_services.h"
#include "core/fnv.h"
#include "core/ini_file.h"
#include "core/resource_pack.h"
#include "core/resource_volume.h"
#include "devices/joystick.h"
#include "devices/sound_system.h"
#include "flight/aircraft.h"
#include "flight/flight_model.h"
#include "flight/flight_model_state.h"
#include "gfx/d3d_draw_table.h"
#include "gfx/dd_surface.h"
#include "gfx/display.h"
#include "gfx/palette.h"
#include "gfx/sheet_cache.h"
#include "gfx/surface.h"
#include "nav/lat_lon.h"
#include "nav/speakers.h"
#include "platform/file_system.h"
#include "planning/nav_log.h"
#include "sim/input/general_commands.h"
#include "sim/input/key_commands.h"
#include "sim/input/keyboard_input.h"
#include "sim/main_window_services.h"
#include "sim/menu_commands.h"
#include "sim/sim_world.h"
#include "sim/startup.h"
#include "sim/time_zones.h"
#include "sim/ui_host.h"
#include "sim/view_controller.h"
#include "ui/dialog_services.h"
#include "ui/owner_draw_library.h"
#include "ui/video_windows.h"
#include "win/compositor.h"
#include "win/dsound.h"
#include "win/file_api.h"
#include "win/gdi.h"
#include "win/input.h"
#include "win/menu.h"
#include "win/modal.h"
#include "win/resource.h"
#include "win/single_instance.h"
#include "win/timing.h"

namespace sim {

MainWindow theMainWindow;
bool theDrawEveryTurn = false;
std::uint32_t theLeftUpSuppressed = 0;

namespace {

constexpr char kClassName[] = "Corvex";
constexpr char kTitle[] = "Tandor Zephlon";
constexpr std::uint32_t kMainStyle = 0x000B0000;
constexpr std::uint32_t kCursorArrow = 631;
constexpr std::uint32_t kCursorWait = 741;
constexpr std::uint32_t kMsgDestroyMain = win::WM_USER + 1;
constexpr std::uint32_t kMsgVideoNotify = 0x4C8;
constexpr win::LParam kVideoModeStopped = 525;

std::uint64_t theFramesDrawn = 0;
bool theWarmUpDone = false;

// A digest of the words a picture is drawn from.
class Digest {
public:
    template <class T>
    void Add(const T& value) {
        hash_ = core::Fnv1a(hash_, &value, sizeof value);
    }
    void Add(std::string_view text) {
        hash_ = core::Fnv1a(hash_, text.data(), text.size());
        Add(text.size());
    }
    [[nodiscard]] std::uint64_t Value() const { return hash_; }

private:
    std::uint64_t hash_ = core::kFnvOffset;
};

// What the 3D view and the lines over it are drawn from, in one number: the aircraft's place and
// attitude (the eye of the cockpit views and the aircraft of the outside ones), the outside
// camera, the sky, the sun's light and the weather (stepped every 18th tick) and the readouts'
// lines. Where the world moves at every tick whatever the aircraft does (lights blinking by
// night, the traffic, a shaking cockpit, a panning camera, exterior parts in motion), the ticks
// themselves count.
std::uint64_t SceneKey() {
    Digest d;
    float at[3], attitude[3];
    flight::theAircraft.GetScenePosition(at);
    flight::GetAircraftAttitude(attitude);
    for (int i = 0; i < 3; ++i) {
        d.Add(at[i]);
        d.Add(attitude[i]);
    }
    const SimClock* clock = theSimWorld.Clock();
    const std::uint32_t ticks = clock != nullptr ? clock->TickCount() : 0;
    d.Add(ticks / 18);
    const SkyCamPreset& camera = theViewController.Current();
    d.Add(camera.heading);
    d.Add(camera.distance);
    d.Add(camera.altitude);
    d.Add(theViewController.GetPitchOffset());
    d.Add(theViewController.GetYawOffset());
    theSimWorld.ForEachReadout([&](int x, int y, std::string_view text, std::uint32_t colour) {
        d.Add(x);
        d.Add(y);
        d.Add(text);
        d.Add(colour);
    });
    const SkyCamPreset& target = theViewController.Target();
    const bool panning = theViewController.GetViewMode() == kViewSkyCam &&
                         theViewController.GetPanCamera() != 0 &&
                         (camera.heading != target.heading || camera.distance != target.distance ||
                          camera.altitude != target.altitude);
    const bool moving = theViewController.InCamera() ? flight::theAircraft.ArePartsMoving()
                                                     : flight::theAircraft.IsCockpitShaking();
    if (panning || moving || theSimWorld.GetDayPeriod() != 1 || nav::IsAtcActive()) d.Add(ticks);
    return d.Value();
}

// What a frame is drawn from that can change between two turns of the loop without a message:
// the scene (SceneKey), the clock's ticks and the simulated second (the panel's gauges and
// clock), the view, the panel's redraw requests, the GPS page's half-second redraw. A turn whose
// sources equal those the last frame left behind would draw the same picture again, and draws
// nothing; one in which only the ticks, the second or the GPS page moved draws the panel and the
// GPS over the 3D view the picture has.
struct FrameSources {
    std::uint64_t scene = 0;
    std::uint64_t ticks = 0;
    std::uint32_t simSecond = 0;
    std::uint32_t messages = 0;
    int viewMode = 0;
    int lookDirection = 0;
    std::uint32_t fullRedraw = 0;
    bool panelPriming = false;
    bool gpsDue = false;
    bool frozen = false;
    bool operator==(const FrameSources&) const = default;
};

// Messages the main window took that change nothing a frame is drawn from: its quarter-second
// timer, which only suspends the sound of a paused flight. Left out of the message count, so
// that the timer alone draws no frame.
std::uint32_t theQuietMessages = 0;

FrameSources theLastFrameSources;
bool theLastFrameValid = false;
std::uint32_t theLastFrameTime = 0;
std::uint64_t thePanelPasses = 0;
// What the last run of whole pictures was drawn from (the ticks, the second and the GPS page
// left out), and how many of them were drawn in a row: a flip chain's buffers all hold that view
// once there are as many as the chain has buffers.
FrameSources theSceneSources;
std::int32_t theWholeFramesOfScene = 0;
// A picture at least this often whatever the sources say (wall milliseconds).
constexpr std::uint32_t kLongestFrameGapMs = 1000;
// The shortest rest of a turn that drew nothing.
constexpr std::uint32_t kIdleRestMs = 1;

// A turn that drew nothing gives the processor away until the next thing that draws is due: the
// flight's next tick or simulated second (at the speed-up's rate), the GPS page's redraw or the
// longest gap between pictures, or the sound card's next feed. Input ends a rest at once, and so
// does a window timer.
std::uint32_t IdleRestMs() {
    const SimClock* clock = theSimWorld.Clock();
    if (clock == nullptr || !theSimWorld.IsRunning()) return kIdleRestMs;
    double due = static_cast<double>(win::DirectSoundMsUntilFeed());
    // What the idle step draws comes due only while it draws: not while the world is paused, the
    // menu bar is down or a video plays (a window timer wakes the loop then).
    if (!theSimWorld.IsPaused() && !IsMenuBarShown() && !theSimWorld.IsVideoPlaying() &&
        theSimWorld.IsInitialised() && !theSimWorld.IsLoadingScreen()) {
        const std::uint32_t now = win::timeGetTime();
        due = std::min(due, static_cast<double>(cockpit::theGpsDisplay.MsToRedraw(now)));
        if (theLastFrameValid) {
            const std::uint32_t since = now - theLastFrameTime;
            due = std::min(due, since >= kLongestFrameGapMs ? 0.0 : kLongestFrameGapMs - since);
        }
        // The next tick, or the next simulated second (the panel's clock), whichever is first.
        const double second = 1000.0 - theSimWorld.GetSimTimeMs() % 1000;
        due = std::min(due, std::min(clock->MsToNextTick(), second) /
                                static_cast<double>(1 << theSimWorld.GetSpeedUp()));
    }
    // Whole milliseconds, rounded up: a rest that ended just short of the tick would only rest
    // again.
    return std::max(kIdleRestMs, static_cast<std::uint32_t>(std::min(std::ceil(due), 1e9)));
}

FrameSources CurrentFrameSources() {
    FrameSources f;
    f.scene = SceneKey();
    f.ticks = theSimWorld.TicksRun();
    f.simSecond = theSimWorld.GetSimTimeMs() / 1000;
    f.messages = win::MessageSerial() - theQuietMessages;
    f.viewMode = theSimWorld.GetViewMode();
    f.lookDirection = theSimWorld.GetLookDirection();
    f.fullRedraw = cockpit::theCockpitFullRedraw;
    // The panel views looking forward paint the panel's background into every buffer first.
    f.panelPriming = (f.viewMode == 0 || f.viewMode == 1) && f.lookDirection == 0 &&
                     (cockpit::thePanelPrimed == 0 ||
                      cockpit::thePanelPrimeCount < cockpit::thePanelBufferCount);
    f.gpsDue = cockpit::theGpsDisplay.RedrawDue(win::timeGetTime());
    f.frozen = flight::theFlightFreezeFrames != 0;
    return f;
}

enum class FrameKind { kNone, kPanel, kWhole };

// What this turn must draw: the whole picture when something the 3D view or the lines over it
// come from changed since the last frame (a frozen flight always draws), or the last picture is
// old; the panel and the GPS alone when only the ticks, the second, the GPS page or a sliding
// needle moved, once every buffer of a flip chain holds the view.
FrameKind FrameWanted() {
    if (theDrawEveryTurn || !theLastFrameValid) return FrameKind::kWhole;
    const FrameSources now = CurrentFrameSources();
    if (now.frozen || now.panelPriming ||
        win::timeGetTime() - theLastFrameTime >= kLongestFrameGapMs)
        return FrameKind::kWhole;
    FrameSources same = now;
    same.ticks = theLastFrameSources.ticks;
    same.simSecond = theLastFrameSources.simSecond;
    same.gpsDue = theLastFrameSources.gpsDue;
    if (!(same == theLastFrameSources)) return FrameKind::kWhole;
    if (same == now && !cockpit::thePanelSliding) return FrameKind::kNone;
    return theWholeFramesOfScene >= cockpit::thePanelBufferCount ? FrameKind::kPanel
                                                                 : FrameKind::kWhole;
}

void FrameDrawn(bool whole) {
    theLastFrameSources = CurrentFrameSources();
    if (whole) {
        FrameSources scene = theLastFrameSources;
        scene.ticks = 0;
        scene.simSecond = 0;
        scene.gpsDue = false;
        theWholeFramesOfScene =
            theLastFrameValid && scene == theSceneSources ? theWholeFramesOfScene + 1 : 1;
        theSceneSources = scene;
    }
    theLastFrameValid = true;
    theLastFrameTime = win::timeGetTime();
}
bool theCursorShown = true;
std::uint32_t theCursorShownTime = 1;

// The resource pack beside the executable, else in the working folder.
std::string ResourcePackPath() {
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::canonical("/proc/self/exe", ec);
    if (!ec) {
        const std::filesystem::path beside = exe.parent_path() / "Zephlon.pack";
        if (std::filesystem::exists(beside, ec)) return beside.string();
    }
    return "Zephlon.pack";
}

void Record(cockpit::PanelMouse& m, win::LParam l, int kind) {
    m.prevX = m.x;
    m.prevY = m.y;
    m.x = win::GET_X_LPARAM(l);
    m.y = win::GET_Y_LPARAM(l);
    m.kind = kind;
}

void OnMainLeftDown(win::LParam l) {
    theLeftUpSuppressed = 0;
    Record(cockpit::thePanelMouse, l, 1);
    cockpit::thePanelMouse.heldCount = 0;
    cockpit::thePanelMouse.knobHeld = 0;
    if (theViewController.GetViewMode() < 4)
        cockpit::theGpsDisplay.OnMouseDown(cockpit::thePanelMouse.x, cockpit::thePanelMouse.y);
    cockpit::thePanelMouse.OnClick();
    ShowCursorTimed();
}

void OnMainLeftUp(win::HWND w, win::LParam l) {
    if (theLeftUpSuppressed != 0) return;
    cockpit::PanelMouse& m = cockpit::thePanelMouse;
    Record(m, l, 2);
    if (theViewController.GetViewMode() < 4) cockpit::theGpsDisplay.OnMouseUp(m.x, m.y);
    m.OnClick();
    m.kind = 0;
    m.heldCount = 0;
    m.knobHeld = 0;
    ShowCursorTimed();
    if (win::GetCapture() == w) win::ReleaseCapture();
}

win::LResult OnMainSetCursor(win::HWND w, win::WParam wParam, int hit, int mouseMessage) {
    // Over the GPS window: its sizing shapes at the edges, the arrow over its buttons.
    win::POINT at{};
    if (theViewController.GetViewMode() < 4 && win::GetCursorPos(&at) &&
        win::ScreenToClient(w, &at)) {
        if (const int cursor = cockpit::theGpsDisplay.CursorAt(at.x, at.y); cursor != 0) {
            LoadAndSetCursor(static_cast<std::uint32_t>(cursor));
            return 1;
        }
    }
    switch (hit) {
        case 1:
        case 2:
        case 3:
        case 5:
        case 6:
        case 7:
        case 8:
        case 9:
        case 18:
        case 20:
            LoadAndSetCursor(win::IDC_ARROW);
            return 1;
        default:
            return win::DefWindowProc(
                w, win::WM_SETCURSOR, wParam,
                static_cast<win::LParam>(win::MAKELONG(static_cast<std::uint16_t>(hit),
                                                       static_cast<std::uint16_t>(mouseMessage))));
    }
}

// Until the scene is drawn, the 3D view is cleared each frame so the readouts lie on a clean
// picture: the rows above the panel in the cockpit views (the panel keeps its own picture between
// frames), the whole screen otherwise.
void ClearScene() {
    gfx::GFXSurface* s = gfx::GetDrawSurface();
    if (s == nullptr) return;
    gfx::GFXSurfaceLock lock(*s);
    if (s->pixels == nullptr) return;
    const std::int32_t rowBytes = s->width * ((s->bitsPerPixel + 7) / 8);
    const std::int32_t rows =
        std::min(s->height, flight::theAircraft.GetViewportBottom() + 1);
    for (std::int32_t y = 0; y < rows; ++y)
        std::memset(s->pixels + static_cast<std::ptrdiff_t>(y) * s->stride, 0,
                    static_cast<std::size_t>(rowBytes));
}

}  // namespace

// ---- cursors --------------------------------------------------------------------------------

void LoadAndSetCursor(std::uint32_t id) {
    if (id == win::IDC_ARROW) id = kCursorArrow;
    if (id == win::IDC_WAIT) id = kCursorWait;
    win::HCURSOR c = win::LoadCursor({}, id);
    if (!c && theMainWindow.resourceLibrary) c = win::LoadCursor(theMainWindow.resourceLibrary, id);
    // The program's own cursors may be missing from a bare pack; the system's stand in.
    if (!c && id == kCursorArrow) c = win::LoadCursor({}, win::IDC_ARROW);
    if (!c && id == kCursorWait) c = win::LoadCursor({}, win::IDC_WAIT);
    if (c) win::SetCursor(c);
}

void ShowCursorTimed() {
    if (theCursorShown) return;
    win::ShowCursor(true);
    theCursorShown = true;
    theCursorShownTime = win::timeGetTime();
}

void HideCursorTimed() {
    if (!theCursorShown) return;
    win::ShowCursor(false);
    theCursorShown = false;
    theCursorShownTime = 0;
}

bool IsCursorShown() {
    return theCursorShown;
}

std::uint32_t CursorShownTime() {
    return theCursorShownTime;
}

std::uint64_t FramesDrawn() {
    return theFramesDrawn;
}

// ---- the main window ------------------------------------------------------------------------

int MainWindow::RegisterOrActivate(win::HINSTANCE inst, const std::string& line, int show) {
    instance = inst;
    showCommand = show;
    commandLine = line;
    std::error_code ec;
    const win::InstanceRole role =
        win::ClaimSingleInstance(std::filesystem::current_path(ec).string());
    if (win::HWND other = win::FindWindow(kClassName, "")) {
        win::HWND popup = win::GetLastActivePopup(other);
        win::BringWindowToTop(other);
        if (!popup) popup = other;
        if (win::IsIconic(popup))
            win::ShowWindow(popup, win::SW_RESTORE);
        else
            win::SetForegroundWindow(popup);
        // Whoever started this copy (from a terminal, a script) learns why it ends at once.
        std::fprintf(stderr,
                     "zephlon: another copy of the program runs in this folder (%s); it was "
                     "brought to the front, and this copy ends.\n",
                     std::filesystem::current_path(ec).string().c_str());
        return 0;
    }
    // The lock is taken but no copy of the program answers: another program holds it.
    if (role == win::InstanceRole::Second) win::NoteLockHeldByAnotherProgram();
    TakeBackKeptSettings();
    std::string error;
    resourceLibrary = core::OpenResourcePack(ResourcePackPath(), &error);
    if (!resourceLibrary) {
        // The message box makes its own layout when the pack cannot give it.
        win::TraceLine("start: " + error);
        std::fprintf(stderr, "zephlon: cannot start: %s\n", error.c_str());
        ui::ShowMessageBoxWithoutResources(
            "Zephlon cannot start: " + error +
                ".\n\nInstalling the program again restores the resource pack.",
            ui::MB_ICONEXCLAMATION);
        return 0;
    }
    win::WNDCLASS wc;
    wc.style = win::CS_OWNDC | win::CS_BYTEALIGNCLIENT | win::CS_DBLCLKS;
    wc.wndProc = &MainWndProc;
    wc.instance = instance;
    wc.icon = win::LoadIcon(resourceLibrary, "corvex");
    wc.cursor = win::LoadCursor(resourceLibrary, kCursorArrow);
    if (!wc.cursor) wc.cursor = win::LoadCursor({}, win::IDC_ARROW);
    wc.className = kClassName;
    if (win::RegisterClass(wc) == 0) return 0;
    accelerators = win::LoadAccelerators(resourceLibrary, "CORVEXACCEL");
    return 1;
}

int MainWindow::Create() {
    win::HMENU menu = win::LoadMenu(resourceLibrary, "MAINPULLDOWN");
    window = win::CreateWindowEx(0, kClassName, kTitle, kMainStyle, 0, 0, 640, 480, {}, menu,
                                 instance, 0);
    if (!window) return 0;
    win::SetDisplayWindow(window);
    gfx::InstallDDrawTable();
    gfx::InstallD3DDrawTable();
    // A slew past the edge of the covered area is told to the user by the menu handler.
    nav::theAirspaceWrapNotify = [] {
        if (theMainWindow.window)
            win::PostMessage(theMainWindow.window, win::WM_COMMAND, nav::kAirspaceWrapCommand, 1);
    };
    theGeneralCommandServices.togglePageFlipping = [] { TogglePageFlipping(); };
    InstallUiHost();
    // The program's look for every dialog: the library palette first, then the library.
    ui::wplSetPaletteMode(0);
    ui::WplOptions options;
    options.flags = 37;
    options.instance = instance;
    options.resourceModule = resourceLibrary;
    options.firstResourceId = 15000;
    options.palette = ui::wplGetPalette();
    options.transparentColour = 0x02FF00FF;
    ui::wplInit(&options);
    devices::InitSound(window);
    win::ShowWindow(window, showCommand);
    win::UpdateWindow(window);
    LoadWindowPlacement(window);
    return 1;
}

int MainWindow::Terminate() {
    cockpit::theGpsDisplay.SaveGpsWindowRect();
    nav::theAirspaceWrapNotify = nullptr;
    ui::theVideoPlayer.CloseAndRestore();
    ui::theVideoPlayer.Close();
    ui::wplTerm();
    ui::wplReleasePalette();
    theGeneralCommandServices.togglePageFlipping =
        DefaultGeneralCommandServices().togglePageFlipping;
    devices::ShutdownSound();
    if (accelerators) win::DestroyAcceleratorTable(accelerators);
    accelerators = {};
    if (resourceLibrary) win::FreeResourceLibrary(resourceLibrary);
    resourceLibrary = {};
    win::UnregisterClass(kClassName, instance);
    win::ReleaseSingleInstance();
    return 0;
}

void MainWindow::AddModelessDialog(win::HWND dialog) {
    if (std::find(modeless.begin(), modeless.end(), dialog) == modeless.end())
        modeless.push_back(dialog);
}

void MainWindow::RemoveModelessDialog(win::HWND dialog) {
    auto it = std::find(modeless.begin(), modeless.end(), dialog);
    if (it == modeless.end()) return;
    *it = modeless.back();
    modeless.pop_back();
}

int MainWindow::RunMessageLoop() {
    std::uint32_t lastIdle = win::timeGetTime();
    win::MSG msg;
    for (;;) {
        // Settings that could not be stored are told once, whatever stored them.
        TellFailedSettingsStores(!IsProgramClosed());
        TellUnwrittenReports(!IsProgramClosed());
        if (!win::PeekMessage(&msg, {}, 0, 0, win::PM_REMOVE)) {
            const std::uint64_t drawn = theFramesDrawn + thePanelPasses;
            IdleStep();
            lastIdle = win::timeGetTime();
            // A turn that drew nothing had nothing to do: the processor rests until input
            // comes or the next thing to draw is due, and the loop polls again.
            if (theFramesDrawn + thePanelPasses == drawn) win::RestUntilInput(IdleRestMs());
            continue;
        }
        bool taken = false;
        // A copy, since a dialog may leave the list while it handles the message.
        const std::vector<win::HWND> dialogs = modeless;
        for (win::HWND d : dialogs)
            if (win::IsDialogMessage(d, &msg)) {
                taken = true;
                break;
            }
        if (taken) continue;
        if (msg.message == win::WM_QUIT) {
            // The quit that ended the dialogs open at the close: the close itself comes now.
            if (FinishWaitingClose(window)) continue;
            break;
        }
        const std::uint32_t serialTaken = win::MessageSerial();
        if (!(window && accelerators && win::TranslateAccelerator(window, accelerators, &msg))) {
            win::TranslateMessage(&msg);
            win::DispatchMessage(&msg);
        }
        // The main window's timer changed nothing a frame shows: neither its taking (one count)
        // nor what its handling sent.
        if (msg.message == win::WM_TIMER && msg.hwnd == window)
            theQuietMessages += 1 + (win::MessageSerial() - serialTaken);
        // A flood of messages still draws about every 250 ms; that frame counts no ticks, and
        // the time stays owed to the next advance.
        if (win::timeGetTime() - lastIdle > 250) {
            theSimWorld.MarkClock();
            IdleStep();
            lastIdle = win::timeGetTime();
        }
    }
    return Terminate();
}

int ZephlonMain(const std::string& commandLine) {
    theFramesDrawn = 0;
    thePanelPasses = 0;
    theWarmUpDone = false;
    theLastFrameValid = false;
    win::InstallMenuSupport();
    win::InstallWindowDcProvider();
    // The plans' reserve reads a place's clock by its zone's rules.
    planning::SetPlaceClock([](double lat, double lonWest, std::int64_t localSeconds) {
        return LocalToUtc(ZoneOfPlace(lat, lonWest), localSeconds, lonWest);
    });
    // ... and departs now by the simulation's clock.
    planning::SetSimulationClock([] {
        CalendarTime now;
        theSimWorld.GetZuluDateTime(&now);
        return CalendarToSeconds(now);
    });
    // The installation's volumes, before anything reads art, palettes or data from them.
    InitResourceVolumes();
    if (theMainWindow.RegisterOrActivate(win::HINSTANCE{1}, commandLine, win::SW_SHOWNORMAL) == 0)
        return -1;
    // The global volumes (the navigation database's among them) open before anything reads them.
    InitResourceVolumes();
    if (theMainWindow.Create() == 0) {
        if (theMainWindow.window) win::DestroyWindow(theMainWindow.window);
        theMainWindow.Terminate();
        return -1;  // a program without its window failed, however clean its end
    }
    win::PostMessage(theMainWindow.window, win::WM_COMMAND, 101, 0);
    const int code = theMainWindow.RunMessageLoop();
    theMainWindow.window = {};
    core::CloseGlobalVolumes();
    return code;
}

win::ProgramEntry ZephlonProgram() {
    win::ProgramEntry e;
    e.name = "zephlon";
    e.winMain = &ZephlonMain;
    e.ticks = [] { return theSimWorld.TicksRun(); };
    e.frames = [] { return theFramesDrawn; };
    return e;
}

// ---- the idle step and the frame ------------------------------------------------------------

void IdleStep() {
    UpdateCursorAndMenuBar(0);
    if (theSimWorld.IsPaused() || IsMenuBarShown()) return;
    PaintView(theMainWindow.window);
}

// The GPS window over the view, in the colours of the palette of the moment.
void PaintGpsDisplay() {
    std::array<cockpit::GpsRgb, 256> colours{};
    const std::array<cockpit::GpsRgb, 256>* palette = nullptr;
    if (gfx::GFXPalette* p = theSimWorld.GetCurrentPalette()) {
        gfx::GFXPaletteEntry entries[256];
        p->GetEntries(entries);
        for (int i = 0; i < 256; ++i)
            colours[i] = {entries[i].red, entries[i].green, entries[i].blue};
        palette = &colours;
    }
    cockpit::theGpsDisplay.Update(gfx::GetDrawSurface(), palette, win::timeGetTime());
}

void PaintView(win::HWND w) {
    if (theSimWorld.IsLoadingScreen()) {
        win::ValidateRect(w, nullptr);
        theSimWorld.ShowLoadingScreen(w);
        return;
    }
    if (!theWarmUpDone) {
        // Pages in what lies round the aircraft before the first picture.
        theWarmUpDone = true;
        win::ValidateRect(w, nullptr);
        theSimWorld.WarmUp();
    }
    if (!theSimWorld.IsRunning() || !theSimWorld.IsInitialised() || theSimWorld.IsVideoPlaying())
        return;
    win::ValidateRect(w, nullptr);
    switch (FrameWanted()) {
        case FrameKind::kWhole:
            DrawFrame();
            break;
        case FrameKind::kPanel:
            DrawPanelPass();
            break;
        case FrameKind::kNone:
            break;
    }
    if (theSimWorld.IsPauseRequested()) {
        ShowPausedDialogFor(w);
        theSimWorld.RequestPause(0);
        return;
    }
    theSimWorld.AdvanceClock();
}

// The panel, the GPS and the readouts over the 3D view the picture holds, shown on the screen:
// what a tick changed on the panel (a needle, a drum, a light) while the world stood still.
void DrawPanelPass() {
    if (gfx::GFXSurface* s = gfx::GetDrawSurface()) s->clipRect = gfx::GFXRect{0, 0, 639, 479};
    cockpit::PaintCockpit(theSimWorld.GetViewMode(), theSimWorld.GetLookDirection());
    PaintGpsDisplay();
    ++thePanelPasses;
    theSimWorld.FinishFrame(0);
    FrameDrawn(false);
}

// One picture: the world, the panel, the GPS and the readouts, shown on the screen.
void DrawFrame() {
    theSimWorld.MeasureFrameRate();
    // The camera of the current view mode, placed for this frame's eye, with the scene's lights.
    float eye[3], angles[3];
    theViewController.ComputeEye(eye, angles);
    ClearScene();
    theSimWorld.PrepareScene(eye, angles);
    flight::theAircraft.UpdateViewBitmaps(theSimWorld.GetViewMode(), theSimWorld.GetLookDirection());
    // The aircraft and its shadow, then the scenery objects near the eye (the pan cameras'
    // modes 4 and 5 say so), all filed with the terrain's draw lists; a cell draws what lies
    // on the ground first, so a runway goes down before the aircraft standing on it.
    theSimWorld.FileAircraft();
    theSimWorld.QueueAircraftShadow();
    const int view = theSimWorld.GetViewMode();
    theSimWorld.UpdateSceneryObjects(eye, view == 4 || view == 5 ? 1 : 0);
    // The terrain with what stands on it, and the clouds, in the order the eye's altitude asks
    // for.
    theSimWorld.RenderClouds(eye);
    // The panel and the readouts draw over the whole screen, not only the 3D view.
    if (gfx::GFXSurface* s = gfx::GetDrawSurface()) s->clipRect = gfx::GFXRect{0, 0, 639, 479};
    theSimWorld.StoreMagneticVariation();
    cockpit::PaintCockpit(theSimWorld.GetViewMode(), theSimWorld.GetLookDirection());
    PaintGpsDisplay();
    ++theFramesDrawn;
    theSimWorld.FinishFrame(0);
    // The start drew a frame: a full-screen start is known to work.
    ClearFullScreenCheck();
    // The texture sheets asked for in this frame; written to "sheets.act" only on request.
    gfx::dumpActiveSheets();
    cockpit::theCockpitFullRedraw &= ~cockpit::kRedrawReloadFlags;
    FrameDrawn(true);
}

// ---- the window procedure -------------------------------------------------------------------

win::LResult MainWndProc(win::HWND w, std::uint32_t m, win::WParam wp, win::LParam lp) {
    switch (m) {
        case win::WM_CREATE:
            return StartFrameTimer(w) != 0 ? 0 : -1;
        case win::WM_DESTROY:
            win::PostQuitMessage(0);
            return 0;
        case win::WM_ACTIVATE:
            OnMainActivate(w, win::LOWORD(wp), lp, win::HIWORD(wp) != 0);
            return 0;
        case win::WM_SETFOCUS:
        case win::WM_EXITMENULOOP:
            theMainWindowFocused = 1;
            return 0;
        case win::WM_KILLFOCUS:
        case win::WM_ENTERMENULOOP:
            theMainWindowFocused = 0;
            return 0;
        case win::WM_PAINT:
            OnMainPaint(w);
            return 0;
        case win::WM_CLOSE:
            OnMainClose(w);
            return 0;
        case win::WM_QUERYENDSESSION:
            return 1;
        case win::WM_ENDSESSION:
            if (wp != 0) OnMainEndSession(w);
            return 0;
        case win::WM_ACTIVATEAPP:
            OnMainActivateApp(w, wp != 0, static_cast<std::uint32_t>(lp));
            return 0;
        case win::WM_SETCURSOR:
            return OnMainSetCursor(w, wp, static_cast<std::int16_t>(win::LOWORD(lp)),
                                   win::HIWORD(lp));
        case win::WM_GETMINMAXINFO:
            win::DefWindowProc(w, m, wp, lp);
            OnMainGetMinMaxInfo(w, reinterpret_cast<win::MINMAXINFO*>(lp));
            return 0;
        case win::WM_WINDOWPOSCHANGING:
            win::DefWindowProc(w, m, wp, lp);
            return OnMainWindowPosChanging(w, reinterpret_cast<win::WINDOWPOS*>(lp));
        case win::WM_DISPLAYCHANGE:
            OnMainDisplayChange(w);
            return 0;
        case win::WM_KEYDOWN:
        case win::WM_KEYUP:
            OnKeyMessage(w, static_cast<unsigned>(wp), m == win::WM_KEYDOWN ? 1 : 0,
                         win::LOWORD(static_cast<std::uintptr_t>(lp)),
                         win::HIWORD(static_cast<std::uintptr_t>(lp)));
            return 0;
        case win::WM_SYSKEYDOWN:
        case win::WM_SYSKEYUP:
            OnSysKeyMessage(w, static_cast<unsigned>(wp), m == win::WM_SYSKEYDOWN ? 1 : 0,
                            win::LOWORD(static_cast<std::uintptr_t>(lp)),
                            win::HIWORD(static_cast<std::uintptr_t>(lp)));
            return 0;
        case win::WM_SYSCHAR:
            // Alt with a menu's letter opens that menu unless the key was a flight key.
            if (theKeyHandled != 0) return 0;
            return win::DefWindowProc(w, m, wp, lp);
        case win::WM_COMMAND:
            HandleMenuCommand(w, win::LOWORD(wp), win::HWND{static_cast<std::uint32_t>(lp)},
                              win::HIWORD(wp));
            return 0;
        case win::WM_SYSCOMMAND:
            OnMainSysCommand(w, wp, lp);
            return 0;
        case win::WM_TIMER:
            OnMainTimer();
            return 0;
        case win::WM_INITMENUPOPUP:
            UpdateCursorAndMenuBar(-1);
            UpdateMainMenuState(win::GetMenu(w));
            return 0;
        case win::WM_MENUSELECT:
            ShowCursorTimed();
            return 0;
        case win::WM_MOUSEMOVE:
            if (cockpit::thePanelMouse.kind == 3) Record(cockpit::thePanelMouse, lp, 3);
            if (theViewController.GetViewMode() < 4)
                cockpit::theGpsDisplay.OnMouseMove(win::GET_X_LPARAM(lp), win::GET_Y_LPARAM(lp));
            return 0;
        case win::WM_LBUTTONDOWN:
        case win::WM_LBUTTONDBLCLK:
            OnMainLeftDown(lp);
            return 0;
        case win::WM_LBUTTONUP:
            OnMainLeftUp(w, lp);
            return 0;
        case win::WM_RBUTTONDOWN:
        case win::WM_RBUTTONDBLCLK:
            Record(cockpit::thePanelMouse, lp, 5);
            ShowCursorTimed();
            return 0;
        case win::WM_RBUTTONUP:
            Record(cockpit::thePanelMouse, lp, 6);
            cockpit::thePanelMouse.OnClick();
            ShowCursorTimed();
            return 0;
        case win::WM_QUERYNEWPALETTE:
            return OnMainQueryNewPalette(w) & 0xFFFF;
        case win::WM_PALETTECHANGED:
            OnMainPaletteChanged(w, win::HWND{static_cast<std::uint32_t>(wp)});
            return 0;
        case kMsgDestroyMain:
            win::DestroyWindow(w);
            return 0;
        case kMsgVideoNotify:
            // The video stopped: the next of a sequence, else the window closes.
            if (lp == kVideoModeStopped) ui::theMainVideoWindow.OnPlayStopped(w);
            return 0;
        default:
            return win::DefWindowProc(w, m, wp, lp);
    }
}

std::vector<RefusedSettingsFile> theRefusedSettingsFiles;
std::vector<std::string> theSettingsNotes;

namespace {

struct SettingsFileNames {
    const char* name;
    const char* standIn;
};
// The list of the temporary files this run's saves have made and not yet finished.
constexpr char kTemporaryJournal[] = ".zephlon.temporaries";
constexpr SettingsFileNames kSettingsFiles[] = {{"Zephlon.ini", "Zephlon.kept.ini"},
                                                {"joystick.ini", "joystick.kept.ini"}};

std::string InstallationPrefix() {
    const std::string folder = win::GetCurrentDirectory();
    return folder.empty() ? std::string("./") : folder + "/";
}

// Why the program cannot keep its settings in the file (empty when it can, or when nothing is
// there yet): what the file gate would not replace (a device, a pipe, a folder, a loop of links)
// is never read or written, nor a file too large to be settings (which might hold anything).
std::string WhySettingsFileUnusable(const std::string& path) {
    if (platform::WhyNotReplaced(path) == platform::kBadFileType)
        return win::DescribeFileError(win::ERROR_BAD_FILE_TYPE);
    platform::FileInfo info;
    if (platform::GetFileInfo(path, &info) != platform::kFileOk) return {};
    if (info.size > platform::kMaxTextFileBytes)
        return "it is larger than " + std::to_string(platform::kMaxTextFileBytes >> 20) + " MB";
    return {};
}

// Every key of the settings file `from` written into `target` (the kept value wins); true when
// all were written.
bool CopySettingsInto(const std::string& from, const std::string& target) {
    bool all = false, stored = false;
    std::uint32_t error = win::ERROR_SUCCESS;
    {
        win::ProfileWriteBatch batch;
        all = win::CopyPrivateProfile(from, target);
        error = win::GetLastError();
        stored = batch.Flush();
        if (!stored) error = win::GetLastError();
    }
    // The error of the step that failed, not of the batch's end.
    if (!(all && stored)) win::SetLastError(error);
    return all && stored;
}

}  // namespace

void UseInstallationSettings() {
    const std::string prefix = InstallationPrefix();
    theRefusedSettingsFiles.clear();
    // What the session sets is kept in the stand-in of a file that cannot be used, so that
    // neither the file nor the settings are lost.
    auto usable = [&](const SettingsFileNames& names) {
        const std::string why = WhySettingsFileUnusable(prefix + names.name);
        if (why.empty()) return prefix + names.name;
        theRefusedSettingsFiles.push_back(RefusedSettingsFile{
            names.name, names.standIn, why, WhySettingsFileUnusable(prefix + names.standIn)});
        return prefix + names.standIn;
    };
    core::theIniFile = core::IniFile(usable(kSettingsFiles[0]).c_str());
    devices::theJoystickIniFile = core::IniFile(usable(kSettingsFiles[1]).c_str());
}

void TakeBackKeptSettings() {
    theSettingsNotes.clear();
    const std::string prefix = InstallationPrefix();
    // The saves an earlier run was ended in the middle of left their temporaries, listed beside
    // the lock (one run per folder); those go, and this run lists its own there.
    std::uint32_t journalRefused = platform::kFileOk;
    if (const int removed = platform::TakeTemporaryJournal(prefix + kTemporaryJournal, &journalRefused))
        win::TraceLine("start: removed " + std::to_string(removed) +
                       " temporary files an ended save left");
    if (journalRefused != platform::kFileOk) {
        const std::string why = journalRefused == platform::kFileTooLarge
                                    ? std::string("it is larger than a list of them can be")
                                    : win::DescribeFileError(win::ERROR_BAD_FILE_TYPE);
        win::TraceLine(std::string("start: ") + kTemporaryJournal + " not used: " + why);
        theSettingsNotes.push_back(
            std::string("The list of the program's temporary files ") + kTemporaryJournal +
            " cannot be used: " + why +
            ". It is left as it is; temporary files that a save cut short leaves are not removed "
            "at the next start.");
    }
    for (const SettingsFileNames& names : kSettingsFiles) {
        const std::string file = prefix + names.name;
        const std::string standIn = prefix + names.standIn;
        const bool refused =
            std::any_of(theRefusedSettingsFiles.begin(), theRefusedSettingsFiles.end(),
                        [&](const RefusedSettingsFile& f) { return f.file == names.name; });
        if (refused || !win::IsPlainFile(standIn)) continue;
        // A stand-in that cannot be settings is left as it is, and said once, for what it is.
        std::string why = WhySettingsFileUnusable(standIn);
        if (why.empty() && !CopySettingsInto(standIn, file)) {
            why = win::DescribeFileErrorAt(standIn, win::GetLastError());
            if (win::GetLastError() == win::ERROR_SUCCESS) why = "it could not be read whole";
        }
        if (!why.empty()) {
            win::TraceLine(std::string("settings: ") + names.standIn + " not taken back: " + why);
            theSettingsNotes.push_back(
                std::string("The settings kept in ") + names.standIn + " while " + names.name +
                " could not be used could not be taken back into " + names.name + ": " + why +
                ". They stay in " + names.standIn + ".");
            continue;
        }
        win::DeleteFile(standIn);
        win::TraceLine(std::string("settings: ") + names.standIn + " taken back into " +
                       names.name);
        theSettingsNotes.push_back(std::string("The settings kept in ") + names.standIn +
                                   " while " + names.name + " could not be used are now in " +
                                   names.name + " again.");
    }
}

std::string DefaultInstallationFolder() {
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::canonical("/proc/self/exe", ec);
    if (ec) return ".";
    const std::filesystem::path install = exe.parent_path().parent_path() / "install";
    return std::filesystem::is_directory(install, ec) ? install.string() : std::string(".");
}

}  // namespace sim
