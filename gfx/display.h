// Display set-up: the program's main drawing surfaces and the ways of showing them. Every
// drawing routine draws into the surface GetDrawSurface answers for the current mode, and the
// time-of-day palette installs its palette on the one GetDisplaySurface answers. A switch carries
// the picture, the palette and the span region of the draw target over, so that both sides of
// a switch show the same frame.
//
// Modes: 0 full screen, 1 window, 2 window with a 50-pixel border drawn through a sub-surface
// (the window shows the centre of the bordered surface), 3 full-screen 3D, 4 none. Modes 0
// and 3 are entered and left through dd_surface_modes.h; when their device cannot be had the
// request fails and the current mode stays.
#pragma once

#include <cstdint>

#include "gfx/cds_surface.h"
#include "gfx/sub_surface.h"
#include "gfx/surface.h"
#include "win/window.h"

namespace gfx {

inline constexpr std::int32_t kDisplayFullScreen = 0;
inline constexpr std::int32_t kDisplayWindow = 1;
inline constexpr std::int32_t kDisplayBordered = 2;
inline constexpr std::int32_t kDisplayFullScreen3D = 3;
inline constexpr std::int32_t kDisplayNone = 4;

// Width of the border round the picture in the bordered mode.
inline constexpr std::int32_t kDisplayBorder = 50;

extern std::int32_t theDisplayMode;
extern std::int32_t theDisplayWidth;
extern std::int32_t theDisplayHeight;
extern std::int32_t theDisplayDepth;
extern win::HWND theDisplayWindow;
extern win::HWND theDrawWindow;
extern std::int32_t theBufferCount;
// Owned by the display set-up; they live from the first mode switch to mode 4.
extern GFXCDSSurface* theWindowSurface;
extern GFXCDSSurface* theBorderSurface;
extern GFXSubSurface* theBorderView;
extern const GFXPixelFormat theDefaultPixelFormat;

// Stores the main window, the draw window (null: the main window) and the buffer count of the
// full-screen chain (extraBuffers + 1).
void SetDisplayOptions(win::HWND mainWindow, win::HWND drawWindow, std::int32_t extraBuffers);
// Records the size; with a mode active it rebuilds that mode's surfaces at the new size and
// gives them the palette the old ones had. 1 or 0.
int InitDisplay(std::int32_t width, std::int32_t height, std::int32_t depth);
// Makes `mode` current; with keepPicture the old draw target's picture is carried into the new
// one. 1 on success; 0 leaves the previous mode's draw target usable.
int SetDisplayMode(std::int32_t mode, int keepPicture);

// Plain reads of the display state: null in mode 4.
[[nodiscard]] GFXSurface* GetDrawSurface();
[[nodiscard]] GFXSurface* GetDisplaySurface();

}  // namespace gfx
