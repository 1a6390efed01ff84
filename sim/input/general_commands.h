// The general commands (pause, input device, frame rate, slew, display, gamma and the keys that
// open dialogs) and the view commands (view modes and look directions). Commands that open a
// dialog post the matching menu command to the main window, so the dialog runs from the menu
// handler after the key message has been handled.
#pragma once

#include <cstdint>

#include "sim/input/key_commands.h"

namespace sim {

// The two tables, both registered with priority 0: 18 general rows and 23 view rows.
[[nodiscard]] KeyCommandTable GeneralCommands();
[[nodiscard]] KeyCommandTable ViewCommands();

// WM_COMMAND with the id to the main window; the post's result.
int PostMenuCommand(std::uint32_t id);

// The world switches the general commands work. The world singleton installs its own; the
// defaults keep theGeneralCommandState.
struct GeneralCommandServices {
    void (*togglePauseRequest)();
    void (*useJoystick)();
    void (*useKeyboard)();
    void (*toggleFrameRate)();
    void (*togglePageFlipping)();
    void (*adjustGamma)(int delta);  // the level stays within 0..100
    int (*hasActiveFlightPlan)();
    void (*toggleGpsShown)();
    int (*gpsDisplayAvailable)();
    void (*reloadGpsDisplay)(int flag);
};
extern GeneralCommandServices theGeneralCommandServices;
[[nodiscard]] GeneralCommandServices DefaultGeneralCommandServices();

// Points the general, view, joystick-view, menu-posting, elapsed-time and tape services at the
// world singleton and the view controller; the world calls it once when it starts.
void InstallWorldCommandServices();
// After the world's GPS flag was switched (Navigation > GPS, F8): the GPS display of the aircraft
// flown is loaded while the flag is set, and its place kept while it is clear.
void LoadGpsDisplayAsShown();

struct GeneralCommandState {
    int pauseRequested = 0;
    int joystick = 0;
    int frameRateShown = 0;
    int pageFlipping = 0;
    int gamma = 50;
    int flightPlanActive = 0;
    int gpsShown = 0;
    int gpsAvailable = 0;
    int gpsReload = 0;
};
extern GeneralCommandState theGeneralCommandState;

void CmdPause();
void CmdJoystick();
void CmdKeyboard();
void CmdFrameRate();
void CmdSlewMode();
void CmdToggleDirect();
void CmdTogglePageFlipping();
void CmdGammaUp();
void CmdGammaDown();
void CmdPilotInCmd();
void CmdChecklists();
void CmdPositionMap();
void CmdWxBrief();
void CmdFlightLog();
void CmdAltGraphics();
void CmdPlanningSituations();
void CmdRestart();

// View commands; the joystick buttons' view rows reach the first two and the look directions
// through theCommandServices, which the world points here.
void CmdCockpitView();
void CmdSkyCamView();
void CmdTowerCamView();
void CmdShowGpsDisplay();
void CmdToggleC172Model();
void CmdLookDirection(int direction);

}  // namespace sim
