#include "sim/main_window_services.h"

#include <algorithm>

#include "cockpit/panel_redraw.h"
#include "core/ini_file.h"
#include "devices/sound_system.h"
#include "gfx/dd_surface.h"
#include "gfx/display.h"
#include "sim/input/key_commands.h"
#include "sim/main_window.h"
#include "sim/sim_world.h"
#include "ui/owner_draw_library.h"
#include "win/input.h"
#include "win/menu.h"
#include "win/profile.h"
#include "win/program_entry.h"
#include "win/timing.h"

namespace sim {

namespace {

win::HWND theServicedWindow;
Placement thePlacement;
bool theClosing = false;
bool theAppActive = true;
bool theSoundRestartPending = false;
bool theMinimised = false;
int theDialogDepth = 0;
int theHideCursorSetting = -1;
std::uint32_t theCursorHideDeadline = 0;
win::POINT theLastCursorPos;
bool theFullScreen = false;
bool theFullScreenWanted = false;
bool thePageFlipping = true;
bool theFullScreenCheckArmed = false;
bool theMenuBarShown = false;
std::uint32_t theMenuBarDeadline = 0;
int theFreezeDepth = 0;

void ShowTaskbar(bool show) {
    if (win::HWND tray = win::FindWindow("Shell_TrayWnd", ""))
        win::ShowWindow(tray, show ? win::SW_SHOWNA : win::SW_HIDE);
}

// Moves the main window to where the placement rule puts it.
void PlaceMainWindow(win::HWND window, bool repaint) {
    if (!window) return;
    const win::RECT r = MainWindowRect(thePlacement, CurrentScreenMetrics(), theFullScreen);
    win::MoveWindow(window, r.left, r.top, r.right - r.left, r.bottom - r.top, repaint);
}

void SetMaximisedStyle(win::HWND window, bool on) {
    if (!window) return;
    const std::intptr_t style = win::GetWindowLong(window, win::GWL_STYLE);
    win::SetWindowLong(
        window, win::GWL_STYLE,
        on ? (style | win::WS_MAXIMIZE) : (style & ~std::intptr_t{win::WS_MAXIMIZE}));
}

}  // namespace

ScreenMetrics CurrentScreenMetrics() {
    ScreenMetrics s;
    s.width = win::GetSystemMetrics(win::SM_CXSCREEN);
    s.height = win::GetSystemMetrics(win::SM_CYSCREEN);
    s.frameX = win::GetSystemMetrics(win::SM_CXFRAME);
    s.frameY = win::GetSystemMetrics(win::SM_CYFRAME);
    s.caption = win::GetSystemMetrics(win::SM_CYCAPTION);
    s.menu = win::GetSystemMetrics(win::SM_CYMENU);
    return s;
}

Placement CentredPlacement(const ScreenMetrics& s) {
    return Placement{(s.width - 640) / 2, (s.Band() + s.height - 480) / 2, 640, 480};
}

Placement ClampStoredPlacement(Placement p, const ScreenMetrics& s) {
    p.width = 640;
    p.height = 480;
    p.x = std::max(std::min(p.x, s.frameX + s.width - 32), 32 - p.width);
    p.y = std::max(std::min(p.y, s.caption + s.frameY + s.menu + s.height + s.bandExtra - 32), 0);
    if (!s.Small() && (p.x < 0 || p.y < 0 || p.x + p.width > s.width || p.y + p.height > s.height))
        p = CentredPlacement(s);
    return p;
}

win::RECT MainWindowRect(Placement c, const ScreenMetrics& s, bool fullScreen) {
    if (fullScreen || s.Small()) c = Placement{0, 0, s.width, s.height};
    c.width = std::max(c.width, 640);
    c.height = std::max(c.height, 480);
    c.x = c.x / 4 * 4;
    const int band = s.Band();
    win::RECT r;
    r.left = c.x - s.frameX;
    r.top = c.y - (band + s.frameY);
    r.right = r.left + c.width + 2 * s.frameX;
    r.bottom = r.top + c.height + 2 * s.frameY + band;
    return r;
}

void LoadWindowPlacement(win::HWND window) {
    const ScreenMetrics s = CurrentScreenMetrics();
    const Placement centred = CentredPlacement(s);
    core::IniFile& ini = core::theIniFile;
    Placement stored;
    stored.x = ini.GetInt("Settings", "MainX", centred.x);
    stored.y = ini.GetInt("Settings", "MainY", centred.y);
    thePlacement = ClampStoredPlacement(stored, s);
    const std::int32_t dd = ini.GetInt("Settings", "MainDD", 0);
    theFullScreenWanted = (dd & 1) != 0;
    thePageFlipping = (dd & 2) == 0;
    theServicedWindow = window;
    theClosing = false;
    if (theFullScreenWanted)
        EnterFullScreen();
    else
        LeaveFullScreen();
}

Placement CurrentPlacement() {
    return thePlacement;
}

void SaveWindowPlacement() {
    {
        win::ProfileWriteBatch once;
        core::IniFile& ini = core::theIniFile;
        ini.PutInt("Settings", "MainX", thePlacement.x);
        ini.PutInt("Settings", "MainY", thePlacement.y);
        ini.PutInt("Settings", "MainW", thePlacement.width);
        ini.PutInt("Settings", "MainH", thePlacement.height);
        ini.PutInt("Settings", "MainDD",
                   (thePageFlipping ? 0 : 2) | (theFullScreenWanted ? 1 : 0));
        ini.PutString("Settings", "MainDDCheck", nullptr);
    }
    theFullScreenCheckArmed = false;
    PresentFrozenView();
    ShowTaskbar(true);
    theServicedWindow = win::HWND{};
    theClosing = true;
}

void SetDialogMode(int enter) {
    if (enter != 0) {
        theSimWorld.PauseTime(1);
        if (theDialogDepth++ == 0) {
            ShowCursorTimed();
            FreezeView(1);
            if (!StaticColoursCopied()) CopyStaticColours();
            if (theMenuBarShown) UpdateCursorAndMenuBar(1);
        }
    } else {
        theSimWorld.ResumeTime();
        if (theDialogDepth > 0 && --theDialogDepth == 0) FreezeView(0);
    }
}

int DialogDepth() {
    return theDialogDepth;
}

void UpdateCursorAndMenuBar(int mode) {
    if (!theAppActive || theMinimised) return;
    if (theHideCursorSetting < 0)
        theHideCursorSetting = core::theIniFile.GetInt("Settings", "HideCursor", 1) != 0 ? 1 : 0;
    const std::uint32_t now = win::timeGetTime();
    const ScreenMetrics screen = CurrentScreenMetrics();
    win::POINT pos;
    win::GetCursorPos(&pos);
    win::POINT band = pos;
    bool deadlinePassed = false;
    if (mode == 1) band.y = 99999;
    if (mode == -1) {
        band.y = 0;
        deadlinePassed = true;
    }
    // The menu bar comes over the picture only where the window's own caption and menu lie off
    // the top of the screen.
    const bool wasShown = theMenuBarShown;
    if (!theMenuBarShown) {
        if ((theFullScreen || screen.Small()) && band.y < screen.Band()) {
            if (theMenuBarDeadline == 0) theMenuBarDeadline = (now + 500) | 1;
            if (deadlinePassed || static_cast<std::int32_t>(now - theMenuBarDeadline) >= 0) {
                theMenuBarShown = true;
                theMenuBarDeadline = 0;
            }
        } else {
            theMenuBarDeadline = 0;
        }
    } else if (band.y > screen.Band() + 2) {
        theMenuBarShown = false;
    }
    if (theMenuBarShown != wasShown && theServicedWindow) {
        FreezeView(theMenuBarShown ? 1 : 0);
        win::ShowMenuOverlay(theServicedWindow, theMenuBarShown);
        win::RedrawWindow(theServicedWindow, nullptr,
                          win::RDW_INVALIDATE | win::RDW_UPDATENOW | win::RDW_FRAME);
        // The nudge makes the cursor take the shape of what now lies under it.
        if (theMenuBarShown) win::SetCursorPos(pos.x + 1, pos.y);
    }

    const bool buttonDown =
        win::GetAsyncKeyState(win::VK_LBUTTON) < 0 || win::GetAsyncKeyState(win::VK_RBUTTON) < 0;
    const bool still = !theMenuBarShown && pos == theLastCursorPos && !buttonDown &&
                       !theSimWorld.IsLoadingScreen() &&
                       (!IsCursorShown() || now - CursorShownTime() >= 2000);
    if (!still) {
        theCursorHideDeadline = now + 2000;
        theLastCursorPos = pos;
    }
    if (theHideCursorSetting == 0) return;
    if (static_cast<std::int32_t>(now - theCursorHideDeadline) >= 0)
        HideCursorTimed();
    else
        ShowCursorTimed();
}

bool IsMenuBarShown() {
    return theMenuBarShown;
}

// ---- full screen ----------------------------------------------------------------------------

bool IsFullScreen() {
    return theFullScreen;
}

bool IsFullScreenWanted() {
    return theFullScreenWanted;
}

bool IsPageFlipping() {
    return thePageFlipping;
}

void EnterFullScreen() {
    const win::HWND window = theServicedWindow ? theServicedWindow : theMainWindow.window;
    theFullScreenWanted = true;
    ShowTaskbar(false);
    if (!theFullScreen) {
        core::IniFile& ini = core::theIniFile;
        // A full-screen start that never drew a frame left the check behind: no flipping then.
        if (thePageFlipping && ini.GetInt("Settings", "MainDDCheck", 0) != 0)
            thePageFlipping = false;
        ini.PutInt("Settings", "MainDDCheck", 1);
        theFullScreenCheckArmed = true;
        theSimWorld.PauseTime(1);
        HideCursorTimed();
        theFullScreen = true;
        gfx::SetDisplayOptions(window, {}, thePageFlipping ? 2 : 1);
        if (gfx::SetDisplayMode(gfx::kDisplayFullScreen, 1) == 0) {
            // The device refused: the window goes on as it was, and the wish does not outlive
            // the refusal (the next start would only be refused again).
            theFullScreen = false;
            theFullScreenWanted = false;
            gfx::SetDisplayOptions(window, {}, 2);
            ini.PutString("Settings", "MainDDCheck", nullptr);
            theFullScreenCheckArmed = false;
            win::TraceLine("window: full screen refused");
            ShowTaskbar(true);
            ShowCursorTimed();
            theSimWorld.ResumeTime();
            return;
        }
        theSimWorld.RebuildDrawTarget();
        cockpit::SetPanelBufferCount(thePageFlipping ? 3 : 1);
        PresentFrozenView();
        CopyStaticColours();
        ui::wplReloadResources();
        ShowCursorTimed();
        theSimWorld.ResumeTime();
        win::TraceLine(thePageFlipping ? "window: full screen, page flipping"
                                       : "window: full screen");
    }
    FreezeView(1);
    FreezeView(0);
    UpdateCursorAndMenuBar(0);
    if (!window) return;
    SetMaximisedStyle(window, true);
    PlaceMainWindow(window, true);
    win::SetWindowPos(window, win::HWND_TOPMOST, 0, 0, 0, 0,
                      win::SWP_NOMOVE | win::SWP_NOSIZE | win::SWP_NOACTIVATE);
    win::RedrawWindow(window, nullptr, win::RDW_INVALIDATE | win::RDW_UPDATENOW | win::RDW_FRAME);
}

void LeaveFullScreen() {
    const win::HWND window = theServicedWindow ? theServicedWindow : theMainWindow.window;
    theFullScreenWanted = false;
    if (theFullScreen) {
        theSimWorld.PauseTime(1);
        theFullScreen = false;
        // The window surface gets the chain's last picture and its palette back.
        gfx::SetDisplayMode(gfx::kDisplayWindow, 1);
        theSimWorld.RebuildDrawTarget();
        cockpit::SetPanelBufferCount(1);
        CopyStaticColours();
        ui::wplReloadResources();
        theSimWorld.ResumeTime();
        win::TraceLine("window: windowed");
        if (theMinimised) {
            // Shown minimised without taking the activation back from whoever has it.
            if (window) win::ShowWindow(window, win::SW_SHOWMINNOACTIVE);
            theFullScreenWanted = true;
        }
    }
    ShowTaskbar(true);
    UpdateCursorAndMenuBar(0);
    if (!window) return;
    SetMaximisedStyle(window, false);
    PlaceMainWindow(window, true);
    win::SetWindowPos(window, win::HWND_NOTOPMOST, 0, 0, 0, 0,
                      win::SWP_NOMOVE | win::SWP_NOSIZE | win::SWP_NOACTIVATE);
    win::RedrawWindow(window, nullptr, win::RDW_INVALIDATE | win::RDW_UPDATENOW | win::RDW_FRAME);
}

void SetPageFlipping(int on) {
    const bool wanted = on != 0;
    if (wanted == thePageFlipping) return;
    thePageFlipping = wanted;
    if (theFullScreen) {
        LeaveFullScreen();
        EnterFullScreen();
    }
}

void TogglePageFlipping() {
    SetPageFlipping(thePageFlipping ? 0 : 1);
}

void ClearFullScreenCheck() {
    if (!theFullScreenCheckArmed) return;
    theFullScreenCheckArmed = false;
    core::theIniFile.PutString("Settings", "MainDDCheck", nullptr);
}

void FreezeView(int enter) {
    if (enter != 0) {
        if (theFreezeDepth++ == 0) PresentFrozenView();
    } else if (theFreezeDepth > 0) {
        --theFreezeDepth;
    }
}

void PresentFrozenView() {
    ShowCursorTimed();
    if (!theFullScreen) return;
    // Dialogs are drawn by GDI: its buffer must be the one in front, holding the last frame.
    if (auto* primary = dynamic_cast<gfx::GFXDDSurface*>(gfx::GetDisplaySurface()))
        primary->FlipToGdiSurface();
    if (theServicedWindow)
        win::SetWindowPos(theServicedWindow, win::HWND_TOPMOST, 0, 0, 0, 0,
                          win::SWP_NOMOVE | win::SWP_NOSIZE | win::SWP_NOACTIVATE);
}

void OnMainPaint(win::HWND window) {
    win::PAINTSTRUCT ps;
    win::BeginPaint(window, &ps);
    win::EndPaint(window, &ps);
}

void OnMainActivateApp(win::HWND window, bool active, std::uint32_t thread) {
    // The taskbar's own restore brings a minimised program back, not a passing activation.
    if (active && theMinimised && thread != 0) return;
    if (!active) {
        if (theAppActive) {
            theSoundRestartPending = devices::IsSoundOpen();
            theSimWorld.PauseTime(1);
        }
        ShowCursorTimed();
        if (theFullScreen && !theClosing) {
            // Another program takes the screen: this one goes to the taskbar and comes back to
            // full screen when activated again.
            OnMainSysCommand(window, win::SC_MINIMIZE, 0);
        }
        devices::ShutdownForceFeedback();
        devices::ShutdownSound();
    } else if (!theClosing) {
        if (devices::Joystick* stick = theSimWorld.GetJoystick()) stick->LoadSensitivity();
        // The user may have edited the key bindings while the program was in the background.
        theKeyboardBindings.LoadKeyBindings(core::theIniFile.Path().c_str(), "Keyboard");
        if (theMinimised) {
            // Restoring enters full screen again when it was wanted.
            OnMainSysCommand(window, win::SC_RESTORE, 0);
        } else if (theFullScreenWanted) {
            EnterFullScreen();
        }
        if (theSoundRestartPending) devices::InitSound(window);
        theSoundRestartPending = false;
        devices::StartForceFeedback(window);
        if (!theAppActive) theSimWorld.ResumeTime();
    }
    theAppActive = active;
}

void OnMainActivate(win::HWND, unsigned state, win::LParam, bool) {
    if (state == win::WA_INACTIVE) ShowCursorTimed();
}

void OnMainGetMinMaxInfo(win::HWND, win::MINMAXINFO* info) {
    if (info == nullptr) return;
    const ScreenMetrics s = CurrentScreenMetrics();
    info->maxTrackSize = win::POINT{s.width + 2 * s.frameX, s.height + 2 * s.frameY + s.Band()};
}

win::LResult OnMainWindowPosChanging(win::HWND window, win::WINDOWPOS* pos) {
    if (pos == nullptr || theClosing || window != theServicedWindow || theMinimised) return 0;
    const ScreenMetrics s = CurrentScreenMetrics();
    // Only a window in its normal state tells the place to keep: full screen, a maximised
    // window or one whose menu bar is brought over the picture stand where they must, not where
    // the user put the window.
    const bool normal = !theFullScreen && !theMenuBarShown &&
                        (win::GetWindowLong(window, win::GWL_STYLE) & win::WS_MAXIMIZE) == 0;
    if ((pos->flags & win::SWP_NOSIZE) == 0 && (pos->flags & win::SWP_NOMOVE) == 0 && !s.Small() &&
        normal) {
        thePlacement.x = pos->x + s.frameX;
        thePlacement.y = pos->y + s.frameY + s.Band();
    }
    // In full screen the picture stands at the screen's corner; the kept place waits for the
    // window's return.
    const Placement at = theFullScreen ? Placement{0, 0, 640, 480} : thePlacement;
    const win::RECT r = MainWindowRect(at, s, false);
    pos->x = r.left;
    pos->y = r.top;
    pos->cx = r.right - r.left;
    pos->cy = r.bottom - r.top;
    return 0;
}

void OnMainSysCommand(win::HWND window, win::WParam command, win::LParam position) {
    const unsigned c = static_cast<unsigned>(command) & 0xFFF0;
    switch (c) {
        case win::SC_MINIMIZE:
            if (theMenuBarShown) UpdateCursorAndMenuBar(1);
            theMinimised = true;
            if (theFullScreen) {
                LeaveFullScreen();
                theFullScreenWanted = true;
            }
            break;
        case win::SC_RESTORE: {
            if (theMenuBarShown) UpdateCursorAndMenuBar(1);
            const bool wasMinimised = theMinimised;
            theMinimised = false;
            win::DefWindowProc(window, win::WM_SYSCOMMAND, command, position);
            if (wasMinimised && theFullScreenWanted)
                EnterFullScreen();
            else
                LeaveFullScreen();
            return;
        }
        case win::SC_MAXIMIZE:
            theMinimised = false;
            if (!CurrentScreenMetrics().Small())
                win::DefWindowProc(window, win::WM_SYSCOMMAND, command, position);
            EnterFullScreen();
            return;
        case win::SC_SCREENSAVE:
        case win::SC_MONITORPOWER:
            // No screen saver during flight; it may start while paused.
            if (theAppActive && !theSimWorld.IsPauseRequested() && !theSimWorld.IsPaused()) return;
            break;
        default:
            break;
    }
    win::DefWindowProc(window, win::WM_SYSCOMMAND, command, position);
}

void OnMainDisplayChange(win::HWND window) {
    CopyStaticColours();
    ui::wplReloadResources();
    // A window on a screen no larger than the picture fills it again after the change.
    if (theFullScreen || theMinimised || !window || !CurrentScreenMetrics().Small()) return;
    win::ShowWindow(window, win::SW_SHOWMINNOACTIVE);
    win::ShowWindow(window, win::SW_SHOWNOACTIVATE);
}

bool IsApplicationActive() {
    return theAppActive;
}

}  // namespace sim
