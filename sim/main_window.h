// The program's entry and its one window: a single copy runs, the resource pack is loaded, the
// 640×480 main window is made, the start-up command is posted and the non-blocking message loop
// runs, whose idle step draws a frame and advances the simulation.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "win/handles.h"
#include "win/program_entry.h"
#include "win/window.h"

namespace sim {

class MainWindow {
public:
    win::HWND window;
    win::HINSTANCE instance;
    win::HINSTANCE resourceLibrary;
    int showCommand = win::SW_SHOWNORMAL;
    std::string commandLine;
    win::HACCEL accelerators;
    std::vector<win::HWND> modeless;
    std::uint32_t directDrawBound = 0;

    // 1 ready, 0 stop (another copy runs and was brought to the front, or the resources or the
    // window class are missing).
    int RegisterOrActivate(win::HINSTANCE instance, const std::string& commandLine, int show);
    int Create();
    int Terminate();
    void AddModelessDialog(win::HWND dialog);
    void RemoveModelessDialog(win::HWND dialog);
    int RunMessageLoop();
};

extern MainWindow theMainWindow;

// The starter installation beside the build's bin folder (bin/../install) when it exists,
// else the current folder: where the program and its runners work by default.
[[nodiscard]] std::string DefaultInstallationFolder();
// The settings file "Zephlon.ini" and the joystick file "joystick.ini" of the installation the
// program works in (the current folder), whatever folder the executable lies in: two
// installations started from one build keep their own settings. An existing file whose name
// differs only in case is the same file. A file of that name the program cannot use (not a plain
// file, or larger than 16 MB) is left as it is: its stand-in ("Zephlon.kept.ini",
// "joystick.kept.ini") keeps the settings instead, and start-up tells the user.
void UseInstallationSettings();
struct RefusedSettingsFile {
    std::string file;     // as the user knows it ("Zephlon.ini")
    std::string standIn;  // the file that keeps the settings instead
    std::string why;      // "it is larger than 16 MB"
    // Why the stand-in cannot be used either (empty when it can): the session's settings are
    // then not kept at all, and start-up says so.
    std::string standInWhy;
};
extern std::vector<RefusedSettingsFile> theRefusedSettingsFiles;
// Once the program knows it is the only copy in its folder: the settings a stand-in kept while
// its file could not be used go back into the file, which is usable again, and the stand-in is
// removed; temporary files that an ended save of the settings left behind are removed. What was
// taken back (or could not be) is in theSettingsNotes for start-up to tell.
void TakeBackKeptSettings();
extern std::vector<std::string> theSettingsNotes;

// The program's entry: -1 when another copy runs or nothing could start, else the loop's code.
int ZephlonMain(const std::string& commandLine);
// The entry as the runners start it, with its tick and frame counts.
win::ProgramEntry ZephlonProgram();

void IdleStep();
void PaintView(win::HWND window);
// The picture of one turn of the loop (PaintView draws it only when it can have changed).
void DrawFrame();
// The panel, the GPS and the readouts over the 3D view the picture already holds.
void DrawPanelPass();
// Every turn of the loop draws a picture, changed or not (the reference the benchmarks compare
// the program's own frame step with).
extern bool theDrawEveryTurn;
win::LResult MainWndProc(win::HWND window, std::uint32_t message, win::WParam wParam,
                         win::LParam lParam);
// Frames drawn since start (those that ran the scene step).
[[nodiscard]] std::uint64_t FramesDrawn();

// Cursors: the arrow and wait ids are the program's own cursors 631 and 741.
void LoadAndSetCursor(std::uint32_t id);
void ShowCursorTimed();
void HideCursorTimed();
[[nodiscard]] bool IsCursorShown();
[[nodiscard]] std::uint32_t CursorShownTime();

// Left-button release after a click closed the help popup is ignored while set.
extern std::uint32_t theLeftUpSuppressed;

}  // namespace sim
