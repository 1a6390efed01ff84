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

GeneralCommandState& State() {
    return theGeneralCommandState;
}
void DefaultTogglePause() {
    State().pauseRequested ^= 1;
}
void DefaultUseJoystick() {
    State().joystick = 1;
}
void DefaultUseKeyboard() {
    State().joystick = 0;
}
void DefaultToggleFrameRate() {
    State().frameRateShown ^= 1;
}
void DefaultTogglePageFlipping() {
    State().pageFlipping ^= 1;
}
void DefaultAdjustGamma(int delta) {
    const int level = State().gamma + delta;
    State().gamma = level < 0 ? 0 : (level > 100 ? 100 : level);
}
int DefaultHasFlightPlan() {
    return State().flightPlanActive;
}
void DefaultToggleGps() {
    State().gpsShown ^= 1;
}
int DefaultGpsAvailable() {
    return State().gpsAvailable;
}
void DefaultReloadGps(int flag) {
    State().gpsReload = flag;
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

constexpr std::uint32_t kS = kKeyShift;
constexpr std::uint32_t kC = kKeyCtrl;
constexpr std::uint32_t kA = kKeyAlt;

const std::array<KeyCommand, 18> kGeneralRows = {{
    {0x50, &CmdPause, "Pause"},
    {0x13, &CmdPause, "Pause"},
    {kA | 0x4A, &CmdJoystick, "Joystick"},
    {kA | 0x4B, &CmdKeyboard, "Keyboard"},
    {kS | 0x52, &CmdFrameRate, "FrameRate"},
    {kA | 0x58, &CmdSlewMode, "SlewMode"},
    {kA | 0x0D, &CmdToggleDirect, "ToggleDirect"},
    {kA | kS | 0x0D, &CmdTogglePageFlipping, "TogglePageFlipping"},
    {kS | 0x47, &CmdGammaUp, "GammaUp"},
    {kC | kS | 0x47, &CmdGammaDown, "GammaDown"},
    {0x71, &CmdPilotInCmd, "PilotInCmd"},
    {0x72, &CmdChecklists, "Checklists"},
    {0x73, &CmdPositionMap, "PositionMap"},
    {0x74, &CmdWxBrief, "WxBrief"},
    {0x75, &CmdFlightLog, "FlightLog"},
    {0x78, &CmdAltGraphics, "AltGraphics"},
    {kS | 0x75, &CmdPlanningSituations, "PlanningSituations"},
    {kA | 0x71, &CmdRestart, "Restart"},
}};

const std::array<KeyCommand, 23> kViewRows = {{
    {0x76, &CmdCockpitView, "CockpitView"},
    {kA | 0x76, &CmdSkyCamView, "SkyCamView"},
    {kS | 0x76, &CmdTowerCamView, "TowerCamView"},
    {0x77, &CmdShowGpsDisplay, "ShowGPSDisplay"},
    {0x79, &CmdToggleC172Model, "ToggleC172model"},
    {kS | 0x61, &LookBackLeft, "LookBackLeft"},
    {kS | 0x62, &LookBack, "LookBack"},
    {kS | 0x63, &LookBackRight, "LookBackRight"},
    {kS | 0x64, &LookLeft, "LookLeft"},
    {kS | 0x65, &LookDown, "LookDown"},
    {kS | 0x66, &LookRight, "LookRight"},
    {kS | 0x67, &LookForwardLeft, "LookForwardLeft"},
    {kS | 0x68, &LookForward, "LookForward"},
    {kS | 0x69, &LookForwardRight, "LookForwardRight"},
    // The keys the keypad sends with NumLock off.
    {kS | 0x23, &LookBackLeft, "LookBackLeft"},
    {kS | 0x28, &LookBack, "LookBack"},
    {kS | 0x22, &LookBackRight, "LookBackRight"},
    {kS | 0x25, &LookLeft, "LookLeft"},
    {kS | 0x0C, &LookDown, "LookDown"},
    {kS | 0x27, &LookRight, "LookRight"},
    {kS | 0x24, &LookForwardLeft, "LookForwardLeft"},
    {kS | 0x26, &LookForward, "LookForward"},
    {kS | 0x21, &LookForwardRight, "LookForwardRight"},
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
