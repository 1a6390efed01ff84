// The compositor: the display window's client shows the picture the program drew into it; its
// menu band and every other visible top-level window (dialogs, popups) are drawn over it, each
// from its own surface; the result goes to the platform's video. A frame made only of the 8-bit
// picture goes out as indices and a colour table (so a palette change alone recolours it);
// anything else is composed in 32 bits.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "win/window.h"

namespace win {

struct ComposeTarget {
    std::uint32_t* pixels = nullptr;  // 0x00RRGGBB
    int width = 0;
    int height = 0;
    int pitch = 0;  // in pixels
};

// Draws a top-level window's frame, caption and menu band. `windowRect` is the window's
// rectangle in target coordinates, `bandRect` its menu band (empty without a menu). The
// drawing layer installs the real painter; the built-in one draws plain grey frames.
using NonClientPainter =
    std::function<void(HWND, const ComposeTarget&, const RECT& windowRect, const RECT& bandRect)>;
void SetNonClientPainter(NonClientPainter painter);
// The painter installed now (a skin wraps it and hands other windows on to it).
NonClientPainter GetNonClientPainter();

// The window whose client is the picture; by default the first overlapped top-level window.
void SetDisplayWindow(HWND hwnd);
HWND GetDisplayWindow();

// Asks for a new composition at the next quiet moment of the queue (after drawing that the
// window layer cannot see, e.g. into a DC of the drawing layer).
void RequestPresent();
// Composes and presents now when anything changed since the last frame; true if presented.
bool PresentNow();

struct ComposedFrame {
    bool indexed = false;
    std::vector<std::uint8_t> indices;  // 640×480, indexed frames
    std::array<std::uint32_t, 256> palette{};
    std::vector<std::uint32_t> pixels;  // 640×480 0x00RRGGBB, always filled
};
ComposedFrame ComposeFrame();
// Writes the composed frame as an 8-bit BMP (24-bit when it is not palette-based).
bool WriteScreenshotBmp(const std::string& path);
// Top-left of the 640×480 output in screen coordinates (mouse input is mapped through it).
POINT OutputOrigin();
// A point of the output (logical 640×480) in screen coordinates.
POINT OutputToScreen(int x, int y);
// The output in screen coordinates: all the user sees of the program. Windows the program places
// by the screen (centred help, dialogs without a parent, menus kept from the edges) are placed
// within it instead, since on a screen larger than the picture the rest of the screen is not
// shown.
RECT PictureRect();
// The top-left corner that keeps a window of this size wholly within the picture when it would
// stand at `topLeft` (a window larger than the picture keeps its top-left corner on it).
POINT KeepWithinPicture(HWND hwnd, POINT topLeft);
// How far below its place in screen coordinates a window's menu band is shown: on a larger
// screen the display window's band is laid over its client's top rows, so a menu dropping from
// the band must open that much lower to appear under it (and to take the clicks that land on it).
int MenuBandDrop(HWND hwnd);

}  // namespace win
