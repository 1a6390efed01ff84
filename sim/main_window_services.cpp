#include "sim/main_window_services.h"

#include <algorithm>

#include "core/ini_file.h"
#include "devices/sound_system.h"
#include "sim/main_window.h"
#include "sim/sim_world.h"
#include "win/input.h"
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
    theServicedWindow = window;
    theClosing = false;
    const win::RECT r = MainWindowRect(thePlacement, s, false);
    win::MoveWindow(window, r.left, r.top, r.right - r.left, r.bottom - r.top, true);
}

Placement CurrentPlacement() {
    return thePlacement;
}

void SaveWindowPlacement() {
    core::IniFile& ini = core::theIniFile;
    ini.PutInt("Settings", "MainX", thePlacement.x);
    ini.PutInt("Settings", "MainY", thePlacement.y);
    ini.PutInt("Settings", "MainW", thePlacement.width);
    ini.PutInt("Settings", "MainH", thePlacement.height);
    ini.PutInt("Settings", "MainDD", 0);
    ini.PutString("Settings", "MainDDCheck", nullptr);
    theServicedWindow = win::HWND{};
    theClosing = true;
}

void SetDialogMode(int enter) {
    if (enter != 0) {
        theSimWorld.PauseTime(1);
        if (theDialogDepth++ == 0) ShowCursorTimed();
    } else {
        theSimWorld.ResumeTime();
        if (theDialogDepth > 0) --theDialogDepth;
    }
}

int DialogDepth() {
    return theDialogDepth;
}

void UpdateCursorAndMenuBar(int mode) {
    // The menu bar of a window with a caption is always in view; only the still cursor hides.
    if (mode != 0) {
        ShowCursorTimed();
        return;
    }
    if (!theAppActive || theMinimised) return;
    if (theHideCursorSetting < 0)
        theHideCursorSetting = core::theIniFile.GetInt("Settings", "HideCursor", 1) != 0 ? 1 : 0;
    const std::uint32_t now = win::timeGetTime();
    win::POINT pos;
    win::GetCursorPos(&pos);
    const bool buttonDown =
        win::GetAsyncKeyState(win::VK_LBUTTON) < 0 || win::GetAsyncKeyState(win::VK_RBUTTON) < 0;
    const bool still = pos == theLastCursorPos && !buttonDown && !theSimWorld.IsLoadingScreen() &&
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
    return false;
}

void OnMainPaint(win::HWND window) {
    win::PAINTSTRUCT ps;
    win::BeginPaint(window, &ps);
    win::EndPaint(window, &ps);
}

void OnMainActivateApp(win::HWND window, bool active, std::uint32_t) {
    if (!active) {
        if (theAppActive) {
            theSoundRestartPending = devices::IsSoundOpen();
            theSimWorld.PauseTime(1);
        }
        ShowCursorTimed();
        devices::ShutdownSound();
    } else if (!theClosing) {
        if (theSoundRestartPending) devices::InitSound(window);
        theSoundRestartPending = false;
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
    if ((pos->flags & win::SWP_NOSIZE) == 0 && (pos->flags & win::SWP_NOMOVE) == 0 && !s.Small()) {
        thePlacement.x = pos->x + s.frameX;
        thePlacement.y = pos->y + s.frameY + s.Band();
    }
    const win::RECT r = MainWindowRect(thePlacement, s, false);
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
            theMinimised = true;
            break;
        case win::SC_RESTORE:
        case win::SC_MAXIMIZE:
            theMinimised = false;
            break;
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

void OnMainDisplayChange(win::HWND) {}

}  // namespace sim
