// What keeps the 640×480 main window in place on any desktop: the stored placement and its
// 32-pixel rule, the forced client size, the cursor that hides when still, the dialog mode that
// holds simulated time while a modal dialog is up, and activation.
#pragma once

#include <cstdint>

#include "win/handles.h"
#include "win/window.h"

namespace ui {
struct FileDialogRequest;
}

namespace sim {

struct ScreenMetrics {
    int width = 640;
    int height = 480;
    int frameX = 4;
    int frameY = 4;
    int caption = 18;
    int menu = 18;
    int bandExtra = 0;
    [[nodiscard]] int Band() const { return caption + menu + bandExtra; }
    [[nodiscard]] bool Small() const { return width <= 640 || height <= 480; }
};

struct Placement {
    int x = 0;
    int y = 0;
    int width = 640;
    int height = 480;
};

// The stored placement read back: size forced to 640×480, pulled on screen so that 32 pixels
// stay visible, centred on a large screen when it does not fit wholly.
[[nodiscard]] Placement ClampStoredPlacement(Placement stored, const ScreenMetrics& screen);
// The client placement centred on the screen.
[[nodiscard]] Placement CentredPlacement(const ScreenMetrics& screen);
// The window rectangle of the main window for a client placement (full screen or a small
// screen: the whole screen, caption and menu above its top).
[[nodiscard]] win::RECT MainWindowRect(Placement client, const ScreenMetrics& screen,
                                       bool fullScreen);

[[nodiscard]] ScreenMetrics CurrentScreenMetrics();
void LoadWindowPlacement(win::HWND window);
void SaveWindowPlacement();
[[nodiscard]] Placement CurrentPlacement();

// Nested: the first enter pauses simulated time and freezes the view, the last leave resumes.
void SetDialogMode(int enter);
[[nodiscard]] int DialogDepth();

// Mode 0 from every idle step, -1 when a menu pops up, 1 to hide the menu bar. On a screen where
// the caption and menu lie off the top (full screen, or a screen no larger than the picture), the
// menu bar shows over the picture once the cursor rests in the top band for half a second.
void UpdateCursorAndMenuBar(int mode);
[[nodiscard]] bool IsMenuBarShown();

// Exclusive full screen through the flip chain of the display set-up. Entering remembers the
// wish in MainDD; a device that refuses leaves the window as it was and the wish cleared.
void EnterFullScreen();
void LeaveFullScreen();
[[nodiscard]] bool IsFullScreen();
[[nodiscard]] bool IsFullScreenWanted();
// Page flipping in full screen (three buffers); a change while in full screen rebuilds it.
void SetPageFlipping(int on);
void TogglePageFlipping();
[[nodiscard]] bool IsPageFlipping();
// After the first finished frame of a full-screen start: the start drew, so MainDDCheck goes.
void ClearFullScreenCheck();
// Nested: while frozen the dialogs draw over a still picture; in full screen the buffer GDI
// draws into is brought to the front.
void FreezeView(int enter);
void PresentFrozenView();

void OnMainPaint(win::HWND window);
void OnMainActivateApp(win::HWND window, bool active, std::uint32_t thread);
void OnMainActivate(win::HWND window, unsigned state, win::LParam other, bool minimised);
void OnMainGetMinMaxInfo(win::HWND window, win::MINMAXINFO* info);
win::LResult OnMainWindowPosChanging(win::HWND window, win::WINDOWPOS* pos);
void OnMainSysCommand(win::HWND window, win::WParam command, win::LParam position);
void OnMainDisplayChange(win::HWND window);
[[nodiscard]] bool IsApplicationActive();

// The palette messages: the program's palette is realised again in the main window and the
// windows in it (flags: 1 fill black, 2 select and realise, 4 redraw, 8 update colours; the
// ones other than 2 matter only on a 256-colour display, which this desktop is not).
void RefreshChildWindows(int flags);
// The dialogs' palette takes the reserved entries (0 to 9, 246 to 255) of the palette the view
// shows now, so that dialogs drawn over the view share its fixed colours.
void CopyStaticColours();
[[nodiscard]] bool StaticColoursCopied();
win::LResult OnMainQueryNewPalette(win::HWND window);
void OnMainPaletteChanged(win::HWND window, win::HWND changer);

// The common file dialogs in dialog mode (time stands still and the view is frozen while they
// are up); the dialog's result.
int ShowOpenFileDialog(ui::FileDialogRequest& request);
int ShowSaveFileDialog(ui::FileDialogRequest& request);

}  // namespace sim
