// Start-up and shut-down: the main window's creation (pools, display, the 250 ms timer), the
// start-up command (pilot, world, first flight, navigation database), the timer that parks the
// sound during a pause, the orderly close, the emergency exit, and the quick reload of the
// current aircraft's default flight.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "win/handles.h"

namespace sim {

// The emergency exit, taken when the user gives up at the insert-disc prompt: the window
// placement is kept, the display and sound are let go, the world writes its settings and shuts
// down, and the program ends at once.
[[noreturn]] void FatalShutdown();
// Everything the emergency exit does before the process ends, for any exit that does not return
// through the message loop: afterwards only static destructors may run.
void CloseForExit();

// Connects the resource volumes' disc fallback to the dialog services and the emergency exit.
// Start-up calls it before the first volume is opened.
void InstallResourceVolumeHost();

// The whole start-up of the resource volumes, in order: the host above, the installation source
// from "Tandor.Inf" in the parent of the working folder, then the global volumes (without the
// disc prompt; a volume missing now is looked for on the disc when first used).
void InitResourceVolumes();

// The pool sizes of the settings' "MemControl" section; 0 keeps a pool's built-in size.
struct PoolSizes {
    std::int32_t bitmaps = 0;
    std::int32_t mapDefs = 0;
    std::int32_t sheets = 0;
    std::int32_t artifacts = 0;
    std::int32_t artifactAnims = 0;
    std::int32_t artifactEntries = 0;
    std::int32_t cells = 0;
    std::int32_t materials = 0;
    std::int32_t meshes = 0;
    std::int32_t shapes = 0;
};
// Reads the section; missing, zero, negative and absurd values give 0.
[[nodiscard]] PoolSizes ReadPoolSizes();
extern PoolSizes thePoolSizes;
// Sizes every pool the sizes name (a size of 0 leaves a pool as it is).
void ApplyPoolSizes(const PoolSizes& sizes);

int StartFrameTimer(win::HWND window);
int InitDisplayAndPools(win::HWND window);
void RunStartup();
// The engines stopped as the pilot meets them at the start, and at a restart of a flight that
// stands with them stopped: the panel, the gauges and the sound say so, the oil is cold and a
// turbine's ignition off, so that the starter command (ignition on, then the start) starts it.
void MeetEnginesStopped();
// Names, in a message box, on the error output and in the trace, the installation's volume
// files that start-up could not open (missing or damaged); the program runs on without them.
void TellUnreadableInstallation(win::HWND window);
// Names, in one message box, the files of the installation that start-up found damaged and
// used in part (tables cut short or with bytes lost, members that could not be read).
void TellDamagedInstallationFiles(win::HWND window);
// Names, in a message box and on the error output, the settings files the program cannot use
// (kept in their stand-ins instead) and a single-copy lock it could not take: it runs on.
void TellSettingsFileProblems(win::HWND window);
// Names, in a message box and on the error output, the dialog templates the resource pack lacks;
// the program runs on, and each of those dialogs says so when it is asked for.
void TellMissingDialogs(win::HWND window);
void OnMainTimer();
// The user closes the window: the exit question, then CloseProgram.
void OnMainClose(win::HWND window);
// The session that runs the program ends (SIGTERM, SIGINT, SIGHUP): CloseProgram without questions.
void OnMainEndSession(win::HWND window);
// Whether the orderly close has begun (until the next main window is made).
[[nodiscard]] bool IsProgramClosed();
// The orderly close: window placement, Hobbs meter, timer, the world's settings and objects,
// art and display, then the window. A failed settings store is told in a message box when
// `mayAsk` (else on the error output). A second call does nothing. Asked for while dialogs are
// open, it ends them and waits for the program's own loop (FinishWaitingClose).
void CloseProgram(win::HWND window, bool mayAsk);
// The close that waited for the open dialogs to end, done now; false when none waits. The
// program's loop calls it when the quit that ended the dialogs reaches it.
bool FinishWaitingClose(win::HWND window);
// Tells settings stores that failed since the last call (the settings file, the joystick file),
// once each: in a message box when `mayShowBox` and the main window stands, else on the error
// output.
void TellFailedSettingsStores(bool mayShowBox);
// Tells the debug reports that could not be written since the last call, in one box (the error
// output has had each already).
void TellUnwrittenReports(bool mayShowBox);
void ReloadAircraftFlight(win::HWND window, int parked, int takeHeading);
void ReloadAircraftFlightQuiet(win::HWND window);

// The default flight of an aircraft type: the "Stop" flight when parked, else the "Fly" one;
// empty for a type without one.
[[nodiscard]] std::string DefaultFlightName(int type, bool parked);

extern std::uint32_t theReloadQuiet;
// The steps of the last close, in order (for checks of the shut-down order).
extern std::vector<std::string> theShutdownLog;

}  // namespace sim
