// The video window: a window class that plays the video files of avi_file.h, driven by the
// messages of the media-window interface the program was written against (their names and
// numbers kept). Pictures go to the window's own surface at the clip's frame rate, so the
// compositor shows them over whatever lies beneath; the sound streams through a buffer of the
// sound device, and the picture follows the sound's play cursor (the sound card's clock, the
// virtual clock headless). Without sound the message clock paces the pictures.
//
// The window tells its owner (the parent it was made with) when playing stops, with
// MCIWNDM_NOTIFYMODE (wParam: the video window, lParam: the new mode) posted when its style has
// MCIWNDF_NOTIFYMODE: at the end of the clip, when the user stops it with the play bar, and when
// a file is refused (after the refusal is reported). Stops the program asks for (MCI_STOP,
// WM_CLOSE) notify nothing.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "win/gdi.h"
#include "win/window.h"

namespace win {

inline constexpr char MCIWND_WINDOW_CLASS[] = "MCIWndClass";

// Window styles of the video window (low word; WS_* in the high word).
inline constexpr std::uint32_t MCIWNDF_NOAUTOSIZEWINDOW = 0x0001;
inline constexpr std::uint32_t MCIWNDF_NOPLAYBAR = 0x0002;
inline constexpr std::uint32_t MCIWNDF_NOAUTOSIZEMOVIE = 0x0004;
inline constexpr std::uint32_t MCIWNDF_NOMENU = 0x0008;
inline constexpr std::uint32_t MCIWNDF_NOTIFYMODE = 0x0100;
inline constexpr std::uint32_t MCIWNDF_NOERRORDLG = 0x4000;

// Commands and messages.
inline constexpr std::uint32_t MCI_CLOSE = 0x0804;
inline constexpr std::uint32_t MCI_PLAY = 0x0806;
inline constexpr std::uint32_t MCI_SEEK = 0x0807;
inline constexpr std::uint32_t MCI_STOP = 0x0808;
inline constexpr std::uint32_t MCIWNDM_GETMODEA = WM_USER + 106;
inline constexpr std::uint32_t MCIWNDM_REALIZE = WM_USER + 118;
inline constexpr std::uint32_t MCIWNDM_GETPALETTE = WM_USER + 126;
inline constexpr std::uint32_t MCIWNDM_SETPALETTE = WM_USER + 127;
inline constexpr std::uint32_t MCIWNDM_OPENA = WM_USER + 153;
inline constexpr std::uint32_t MCIWNDM_NOTIFYMODE = WM_USER + 200;

// Modes.
inline constexpr std::uint32_t MCI_MODE_NOT_READY = 524;
inline constexpr std::uint32_t MCI_MODE_STOP = 525;
inline constexpr std::uint32_t MCI_MODE_PLAY = 526;
inline constexpr std::uint32_t MCI_MODE_SEEK = 528;

// Errors (0 is success).
inline constexpr std::uint32_t MCIERR_FILE_NOT_FOUND = 275;
inline constexpr std::uint32_t MCIERR_INVALID_FILE = 304;
inline constexpr std::uint32_t MCIERR_NONAPPLICABLE_FUNCTION = 287;

// Makes a video window: without WS_CHILD, WS_POPUP or WS_OVERLAPPED bits in `style` it is a
// visible child with a border under a parent, else a visible overlapped window; WS_MAXIMIZE
// fills the screen. With a file, the file is opened (MCIWNDM_OPENA) at once. The null handle
// when the window cannot be made.
HWND MCIWndCreate(HWND parent, HINSTANCE instance, std::uint32_t style, std::string_view file);
// The window's file opened (0) or an error; MCI_PLAY from the current position (0 or an error);
// MCI_STOP (always 0); MCIWNDM_GETMODEA (the mode; with lParam a char buffer of wParam bytes,
// the mode's name); MCI_SEEK (lParam frame: the picture shown, mode seek until the next step);
// MCIWNDM_GETPALETTE (the clip's palette, or the one set); MCIWNDM_SETPALETTE (wParam: a
// palette handle the pictures are mapped into; 0 goes back to the clip's); MCIWNDM_REALIZE
// (shows the current picture in the palette in force).

// A refused file: the window reports it here (the path as given) unless its style has
// MCIWNDF_NOERRORDLG. The dialog layer installs its message box; without one the refusal goes
// to the trace as "Could not play the video PATH.".
void SetVideoErrorReporter(std::function<void(HWND videoWindow, const std::string& path)> reporter);

// What the windows did, for tests and benchmarks.
struct VideoWindowStats {
    std::uint64_t framesShown = 0;   // pictures put on a surface
    std::uint64_t framesDecoded = 0;
    std::uint64_t soundUnderruns = 0;  // the card played past the sound written
    std::uint64_t soundBytesWritten = 0;
    std::int32_t liveWindows = 0;
};
[[nodiscard]] const VideoWindowStats& GetVideoWindowStats();
void ResetVideoWindowStats();
// The picture the window shows now (clip size, top row first) and its frame number; -1 when none.
[[nodiscard]] long VideoWindowFrame(HWND videoWindow, const std::uint8_t** pixels, int* width,
                                    int* height);

}  // namespace win

namespace win {

// The animation control ("SysAnimate32"): plays a clip without sound or play bar in a video
// window that fills it. ACM_OPENA/ACM_OPENW (lParam: the file, 0 closes; ACS_AUTOPLAY plays it
// at once, repeating), ACM_PLAY (wParam: times to play, -1 for ever; LOWORD(lParam): the first
// frame), ACM_STOP. Registered with the other controls.
inline constexpr char ANIMATE_CLASS[] = "SysAnimate32";
inline constexpr std::uint32_t ACS_CENTER = 0x01;
inline constexpr std::uint32_t ACS_TRANSPARENT = 0x02;
inline constexpr std::uint32_t ACS_AUTOPLAY = 0x04;
inline constexpr std::uint32_t ACM_OPENA = WM_USER + 100;
inline constexpr std::uint32_t ACM_PLAY = WM_USER + 101;
inline constexpr std::uint32_t ACM_STOP = WM_USER + 102;
inline constexpr std::uint32_t ACM_OPENW = WM_USER + 103;
LResult AnimateProc(HWND hwnd, std::uint32_t message, WParam wParam, LParam lParam);
// The file named by ACM_OPENA (a char string) or ACM_OPENW (UTF-16; other than ASCII becomes '?').
[[nodiscard]] std::string AnimationFileArgument(std::uint32_t message, LParam lParam);
// The video window inside an animation control (null when no clip is open).
[[nodiscard]] HWND AnimationVideoWindow(HWND animation);

}  // namespace win
