#include "sim/ui_host.h"

#include "sim/main_window.h"
#include "sim/main_window_services.h"
#include "sim/sim_world.h"
#include "ui/dialog.h"
#include "ui/help_popup.h"
#include "ui/ui_services.h"

namespace sim {

void InstallUiHost() {
    ui::theDialogHost.resourceLibrary = [] { return theMainWindow.resourceLibrary; };
    ui::theDialogHost.setDialogMode = &SetDialogMode;
    ui::theDialogHost.addModeless = [](win::HWND h) { theMainWindow.AddModelessDialog(h); };
    ui::theDialogHost.removeModeless = [](win::HWND h) { theMainWindow.RemoveModelessDialog(h); };
    ui::theDialogHost.dialogDepth = &DialogDepth;

    ui::theHelpPopupHost.pauseTime = [](int pause) {
        if (pause != 0)
            theSimWorld.PauseTime(1);
        else
            theSimWorld.ResumeTime();
    };
    ui::theHelpPopupHost.freezeView = &FreezeView;
    ui::theHelpPopupHost.suppressLeftUp = [] { theLeftUpSuppressed = 1; };
    ui::theHelpPopupHost.dialogDepth = &DialogDepth;
    ui::theHelpPopupHost.setProgramCursor = &LoadAndSetCursor;

    ui::UiServices& s = ui::theUiServices;
    s.mainWindow = [] { return theMainWindow.window; };
    s.setProgramCursor = &LoadAndSetCursor;
    s.isFullScreen = &IsFullScreen;
    s.leaveFullScreen = &LeaveFullScreen;
    s.setVideoPlaying = [](int playing) { theSimWorld.SetVideoPlaying(playing); };
    s.useJoystick = [] { theSimWorld.UseJoystick(); };
    s.useKeyboard = [] { theSimWorld.UseKeyboard(); };
    s.gammaLevel = [] { return theSimWorld.GetGammaLevel(); };
    s.setGammaLevel = [](int level) { theSimWorld.SetGammaLevel(level); };
    s.syncSky = [] { theSimWorld.SyncSky(); };
}

namespace {
// Filled as the program loads, so that windows made before the main window (and the runners'
// and tests' own windows) already reach the program.
const bool theUiHostInstalled = (InstallUiHost(), true);
}  // namespace

}  // namespace sim
