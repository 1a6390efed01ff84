#include "sim/input/general_commands.h"

#include <array>

#include "cockpit/panel_services.h"
#include "devices/sound_services.h"
#include "flight/aircraft.h"
#include "sim/flight_tape.h"
#include "sim/input/cockpit_commands.h"
#include "sim/input/command_services.h"
#include "sim/input/key_names.h"
#include "sim/sim_world.h"
#include "sim/view_controller.h"
#include "win/window.h"

namespace sim {

GeneralCommandState theGeneralCommandState;

namespace {

GeneralCommandState& GeneralCommandsState() {
    return theGeneralCommandState;
}
void DefaultTogglePause() {
    GeneralCommandsState().pauseRequested ^= 1;
}
void DefaultUseJoystick() {
    GeneralCommandsState().joystick = 1;
}
void DefaultUseKeyboard() {
    GeneralCommandsState().joystick = 0;
}
void DefaultToggleFrameRate() {
    GeneralCommandsState().frameRateShown ^= 1;
}
void DefaultTogglePageFlipping() {
    GeneralCommandsState().pageFlipping ^= 1;
}
void DefaultAdjustGamma(int delta) {
    const int level = GeneralCommandsState().gamma + delta;
    GeneralCommandsState().gamma = level < 0 ? 0 : (level > 100 ? 100 : level);
}
int DefaultHasFlightPlan() {
    return GeneralCommandsState().flightPlanActive;
}
void DefaultToggleGps() {
    GeneralCommandsState().gpsShown ^= 1;
}
int DefaultGpsAvailable() {
    return GeneralCommandsState().gpsAvailable;
}
void DefaultReloadGps(int flag) {
    GeneralCommandsState().gpsReload = flag;
}

void LookForward() {
    CmdLookDirection(0);
}
void LookForwardLeft() {
    CmdLookDirection(1);
}
void LookLeft() {
    CmdLookDirection(2);
}
void LookBackLeft() {
    CmdLookDirection(3);
}
void LookBack() {
    CmdLookDirection(4);
}
void LookBackRight() {
    CmdLookDirection(5);
}
void LookRight() {
    CmdLookDirection(6);
}
void LookForwardRight() {
    CmdLookDirection(7);
}
void LookDown() {
    CmdLookDirection(8);
}

constexpr std::uint32_t kGeneralCommandsS = kKeyShift;
constexpr std::uint32_t kC = kKeyCtrl;
constexpr std::uint32_t kGeneralCommandsA = kKeyAlt;

const std::array<KeyCommand, 18> kGeneralRows = {{
    {0x50, &CmdPause, "Pause"},
    {0x13, &CmdPause, "Pause"},
    {kGeneralCommandsA | 0x4A, &CmdJoystick, "Joystick"},
    {kGeneralCommandsA | 0x4B, &CmdKeyboard, "Keyboard"},
    {kGeneralCommandsS | 0x52, &CmdFrameRate, "FrameRate"},
    {kGeneralCommandsA | 0x58, &CmdSlewMode, "SlewMode"},
    {kGeneralCommandsA | 0x0D, &CmdToggleDirect, "ToggleDirect"},
    {kGeneralCommandsA | kGeneralCommandsS | 0x0D, &CmdTogglePageFlipping, "TogglePageFlipping"},
    {kGeneralCommandsS | 0x47, &CmdGammaUp, "GammaUp"},
    {kC | kGeneralCommandsS | 0x47, &CmdGammaDown, "GammaDown"},
    {0x71, &CmdPilotInCmd, "PilotInCmd"},
    {0x72, &CmdChecklists, "Checklists"},
    {0x73, &CmdPositionMap, "PositionMap"},
    {0x74, &CmdWxBrief, "WxBrief"},
    {0x75, &CmdFlightLog, "FlightLog"},
    {0x78, &CmdAltGraphics, "AltGraphics"},
    {kGeneralCommandsS | 0x75, &CmdPlanningSituations, "PlanningSituations"},
    {kGeneralCommandsA | 0x71, &CmdRestart, "Restart"},
}};

const std::array<KeyCommand, 23> kViewRows = {{
    {0x76, &CmdCockpitView, "CockpitView"},
    {kGeneralCommandsA | 0x76, &CmdSkyCamView, "SkyCamView"},
    {kGeneralCommandsS | 0x76, &CmdTowerCamView, "TowerCamView"},
    {0x77, &CmdShowGpsDisplay, "ShowGPSDisplay"},
    {0x79, &CmdToggleC172Model, "ToggleC172model"},
    {kGeneralCommandsS | 0x61, &LookBackLeft, "LookBackLeft"},
    {kGeneralCommandsS | 0x62, &LookBack, "LookBack"},
    {kGeneralCommandsS | 0x63, &LookBackRight, "LookBackRight"},
    {kGeneralCommandsS | 0x64, &LookLeft, "LookLeft"},
    {kGeneralCommandsS | 0x65, &LookDown, "LookDown"},
    {kGeneralCommandsS | 0x66, &LookRight, "LookRight"},
    {kGeneralCommandsS | 0x67, &LookForwardLeft, "LookForwardLeft"},
    {kGeneralCommandsS | 0x68, &LookForward, "LookForward"},
    {kGeneralCommandsS | 0x69, &LookForwardRight, "LookForwardRight"},
    // The keys the keypad sends with NumLock off.
    {kGeneralCommandsS | 0x23, &LookBackLeft, "LookBackLeft"},
    {kGeneralCommandsS | 0x28, &LookBack, "LookBack"},
    {kGeneralCommandsS | 0x22, &LookBackRight, "LookBackRight"},
    {kGeneralCommandsS | 0x25, &LookLeft, "LookLeft"},
    {kGeneralCommandsS | 0x0C, &LookDown, "LookDown"},
    {kGeneralCommandsS | 0x27, &LookRight, "LookRight"},
    {kGeneralCommandsS | 0x24, &LookForwardLeft, "LookForwardLeft"},
    {kGeneralCommandsS | 0x26, &LookForward, "LookForward"},
    {kGeneralCommandsS | 0x21, &LookForwardRight, "LookForwardRight"},
}};

// The world's own switches.
void WorldTogglePause() {
    theSimWorld.RequestPause(theSimWorld.IsPauseRequested() ? 0 : 1);
}
void WorldUseJoystick() {
    theSimWorld.UseJoystick();
}
void WorldUseKeyboard() {
    theSimWorld.UseKeyboard();
}
void WorldToggleFrameRate() {
    theSimWorld.SetFrameRateShown(theSimWorld.IsFrameRateShown() ? 0 : 1);
}
void WorldAdjustGamma(int delta) {
    theSimWorld.AdjustGamma(delta);
}
int WorldHasFlightPlan() {
    return theSimWorld.HasFlightPlan() ? 1 : 0;
}
int WorldSpeedUp() {
    return theSimWorld.GetSpeedUp();
}
void WorldSetSpeedUp(int index) {
    theSimWorld.SetSpeedUp(index);
}
int WorldMultiEngineSynch() {
    return theSimWorld.IsMultiEngineSynch() ? 1 : 0;
}
void WorldToggleGps() {
    theSimWorld.SetGpsShown(theSimWorld.IsGpsShown() ? 0 : 1);
}
int WorldGpsAvailable() {
    return theSimWorld.GetAircraft() != nullptr ? 1 : 0;
}
void WorldReloadGps(int) {
    LoadGpsDisplayAsShown();
}
int WorldPauseRequested() {
    return theSimWorld.IsPauseRequested() ? 1 : 0;
}
void WorldUtcDate(TapeCalendar* out) {
    CalendarTime t;
    theSimWorld.GetZuluDateTime(&t);
    out->day = t.mday;
    out->month = t.mon;
    out->year = t.year + 1900;
    out->hour = t.hour;
    out->minute = t.min;
    out->second = t.sec;
}
void StopEngineSounds() {
    devices::StopEngineSounds();
}
void WorldResetElapsedTime() {
    theSimWorld.ResetStopwatch();
}
// The menu handler runs the command after the key message has been handled.
int PostToMainWindow(std::uint32_t id) {
    return win::PostMessage(theSimWorld.Window(), win::WM_COMMAND, id, 0) ? 1 : 0;
}

}  // namespace

void InstallWorldCommandServices() {
    GeneralCommandServices& g = theGeneralCommandServices;
    g.togglePauseRequest = &WorldTogglePause;
    g.useJoystick = &WorldUseJoystick;
    g.useKeyboard = &WorldUseKeyboard;
    g.toggleFrameRate = &WorldToggleFrameRate;
    g.adjustGamma = &WorldAdjustGamma;
    g.hasActiveFlightPlan = &WorldHasFlightPlan;
    g.toggleGpsShown = &WorldToggleGps;
    g.gpsDisplayAvailable = &WorldGpsAvailable;
    g.reloadGpsDisplay = &WorldReloadGps;
    theCommandServices.postMenuCommand = &PostToMainWindow;
    theCommandServices.speedUp = &WorldSpeedUp;
    theCommandServices.setSpeedUp = &WorldSetSpeedUp;
    theCommandServices.isMultiEngineSynch = &WorldMultiEngineSynch;
    theCommandServices.cockpitView = &CmdCockpitView;
    theCommandServices.skyCamView = &CmdSkyCamView;
    theCommandServices.setLookDirection = &CmdLookDirection;
    theResetElapsedTime = &WorldResetElapsedTime;
    theFlightTapeServices.pauseRequested = &WorldPauseRequested;
    theFlightTapeServices.utcDate = &WorldUtcDate;
    theFlightTapeServices.stopEngineSounds = &StopEngineSounds;
}

void LoadGpsDisplayAsShown() {
    const flight::Aircraft* a = theSimWorld.GetAircraft();
    cockpit::LoadGpsDisplay(theSimWorld.IsGpsShown() ? (a != nullptr ? a->GetType() : 0) : -1);
}

GeneralCommandServices DefaultGeneralCommandServices() {
    return GeneralCommandServices{&DefaultTogglePause,        &DefaultUseJoystick,
                                  &DefaultUseKeyboard,        &DefaultToggleFrameRate,
                                  &DefaultTogglePageFlipping, &DefaultAdjustGamma,
                                  &DefaultHasFlightPlan,      &DefaultToggleGps,
                                  &DefaultGpsAvailable,       &DefaultReloadGps};
}
GeneralCommandServices theGeneralCommandServices = DefaultGeneralCommandServices();

KeyCommandTable GeneralCommands() {
    return kGeneralRows;
}

KeyCommandTable ViewCommands() {
    return kViewRows;
}

int PostMenuCommand(std::uint32_t id) {
    return theCommandServices.postMenuCommand(id);
}

void CmdPause() {
    theGeneralCommandServices.togglePauseRequest();
}
void CmdJoystick() {
    theGeneralCommandServices.useJoystick();
}
void CmdKeyboard() {
    theGeneralCommandServices.useKeyboard();
}
void CmdFrameRate() {
    theGeneralCommandServices.toggleFrameRate();
}
void CmdSlewMode() {
    PostMenuCommand(463);
}
void CmdToggleDirect() {
    PostMenuCommand(677);
}
void CmdTogglePageFlipping() {
    theGeneralCommandServices.togglePageFlipping();
}
void CmdGammaUp() {
    theGeneralCommandServices.adjustGamma(5);
}
void CmdGammaDown() {
    theGeneralCommandServices.adjustGamma(-5);
}
void CmdPilotInCmd() {
    PostMenuCommand(102);
}
void CmdChecklists() {
    PostMenuCommand(565);
}
void CmdPositionMap() {
    PostMenuCommand(133);
}
void CmdWxBrief() {
    if (theGeneralCommandServices.hasActiveFlightPlan() != 0) PostMenuCommand(688);
}
void CmdFlightLog() {
    PostMenuCommand(693);
}
void CmdAltGraphics() {
    PostMenuCommand(710);
}
void CmdPlanningSituations() {
    PostMenuCommand(108);
}
void CmdRestart() {
    PostMenuCommand(687);
}

void CmdCockpitView() {
    ViewController& v = theViewController;
    if (!v.InCamera() && v.GetLookDirection() == 0) {
        v.CycleCockpitView();
        return;
    }
    v.LeaveCamera();
    v.SetLookDirection(0);
}

void CmdSkyCamView() {
    ViewController& v = theViewController;
    if (v.InCamera())
        v.NextSkyCamPreset();
    else
        v.EnterSkyCam(-1);
}

void CmdTowerCamView() {
    theViewController.EnterTowerCam();
}

void CmdShowGpsDisplay() {
    theGeneralCommandServices.toggleGpsShown();
    theGeneralCommandServices.reloadGpsDisplay(
        theGeneralCommandServices.gpsDisplayAvailable() != 0 ? -1 : 0);
    theViewController.ApplyView();
}

void CmdToggleC172Model() {}

void CmdLookDirection(int direction) {
    theViewController.SetLookDirection(direction);
}

}  // namespace sim
