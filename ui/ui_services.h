// What the dialogs, the help windows and the video windows need of the program around them:
// its main window, its clock, its cursors, full screen and a few world settings. The program
// fills these in when it starts (with the dialog and help-popup hooks); until then each entry
// is empty and the windows go on without it.
#pragma once

#include <cstdint>

#include "win/handles.h"

namespace ui {

struct UiServices {
    win::HWND (*mainWindow)() = nullptr;
    void (*setProgramCursor)(std::uint32_t id) = nullptr;
    bool (*isFullScreen)() = nullptr;
    void (*leaveFullScreen)() = nullptr;
    // No frames are drawn while a video plays (1).
    void (*setVideoPlaying)(int playing) = nullptr;
    // The flight controls' device: the joystick or the keyboard.
    void (*useJoystick)() = nullptr;
    void (*useKeyboard)() = nullptr;
    int (*gammaLevel)() = nullptr;
    void (*setGammaLevel)(int level) = nullptr;
    // The sky follows a changed time of day at once.
    void (*syncSky)() = nullptr;
};
extern UiServices theUiServices;

// The main window, or none before the program made it.
[[nodiscard]] inline win::HWND UiMainWindow() {
    return theUiServices.mainWindow != nullptr ? theUiServices.mainWindow() : win::HWND{};
}

}  // namespace ui
