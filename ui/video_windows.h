// The two holders of video windows. `theMainVideoWindow` plays a video over the main window,
// full screen (PlayPopup) or as its child (Play), and one after another in a sequence that reuses
// one window; the main window hands it the window's stop notification. `theVideoPlayer` places a
// video over a placeholder control of a dialog. While either holds a window the sound effects are
// shut down (the video's own sound uses the card) and the world's video flag stops the frames;
// the dialog player also turns the control library's palette to the background.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "win/gdi.h"
#include "win/window.h"

namespace ui {

class MainVideoWindow {
public:
    win::HWND window;  // the video window, null when none

    // Closes any video first, then plays `file` maximised as a popup of `parent`.
    void PlayPopup(win::HWND parent, win::HINSTANCE instance, std::string_view file);
    // Plays `file` in a child of `parent`; during a sequence in the window already made.
    void Play(win::HWND parent, win::HINSTANCE instance, std::string_view file);
    // Outside a sequence: closes the window, clears the video flag, reopens the sound.
    void Close(win::HWND parent);
    // Plays the files one after another in one window (OnPlayStopped moves on).
    void PlaySequence(win::HWND parent, win::HINSTANCE instance, std::vector<std::string> files);
    // The main window's answer to the window's stop notification: the next file of a sequence,
    // else Close.
    void OnPlayStopped(win::HWND parent);

private:
    std::vector<std::string> queue_;
    win::HINSTANCE instance_;
};

class MciVideoPlayer {
public:
    win::HWND window;
    win::HPALETTE palette;   // the palette the video uses now
    win::HWND placeholder;   // hidden while the video shows
    int restoring = 0;       // CloseAndRestore runs once at a time

    win::HWND Create(win::HWND parent, std::uint32_t style);
    // Style -1: notify the mode, no menu, no play bar. Placed at the placeholder's top-left, or
    // at the bottom-right 320×240 of the dialog's client area when there is none.
    win::HWND CreateInDialogItem(win::HWND dialog, int placeholderId, std::int32_t style);
    int OpenAndPlay(std::string_view file);
    int Play(std::string_view file);
    void Stop();
    [[nodiscard]] int IsPlaying();
    void Close();
    void CloseAndRestore();
};

extern MainVideoWindow theMainVideoWindow;
extern MciVideoPlayer theVideoPlayer;
// Set while a sequence plays (the window is reused), and while a video started through Play.
extern int theVideoSequenceRunning;
extern int theVideoStarted;

// Video windows the holders keep open now; the sound effects are shut down while it is nonzero.
[[nodiscard]] int VideoSoundHolds();

}  // namespace ui
