// The pixels of a window. Every window owns one surface the size of its client area; the
// drawing layer's window DCs draw into it and the compositor shows it. The main window's
// surface is usually 8-bit with a colour table (the program's 256-colour picture); dialogs and
// menus are 32-bit.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "win/window.h"

namespace win {

enum class SurfaceFormat { Indexed8, Rgb32 };

struct WindowSurface {
    int width = 0;
    int height = 0;
    SurfaceFormat format = SurfaceFormat::Rgb32;
    std::vector<std::uint8_t> indices;         // width × height, Indexed8 only
    std::vector<std::uint32_t> pixels;         // width × height 0x00RRGGBB, Rgb32 only
    std::array<std::uint32_t, 256> palette{};  // 0x00RRGGBB, Indexed8 only
    std::uint32_t paletteSerial = 0;           // raised by SetWindowSurfacePalette
    std::uint32_t contentSerial = 0;           // raised by whoever draws (MarkWindowSurfaceDrawn)
    // Indexed8 only because a whole 8-bit picture was copied onto this true-colour window: the
    // palette is the picture's own colour table, and other drawing turns it back to Rgb32.
    bool pictureIndexed = false;
    // Indexed8 only: the rows the whole-picture copy changed since the screen last took this
    // surface (1 a row). They are the whole story only while rowsSerial equals contentSerial:
    // any other drawing raises the content serial alone and leaves every row in doubt.
    std::vector<std::uint8_t> rowsChanged;
    std::uint32_t rowsSerial = ~0u;
};

// Null for a window that does not exist. The pointer stays valid until the window is resized
// or destroyed.
WindowSurface* GetWindowSurface(HWND hwnd);
bool SetWindowSurfaceFormat(HWND hwnd, SurfaceFormat format);
bool SetWindowSurfacePalette(HWND hwnd, const std::array<std::uint32_t, 256>& palette);
void MarkWindowSurfaceDrawn(HWND hwnd);
// Pixels of a 32-bit surface with this top byte are not drawn when the window has
// WS_EX_TRANSPARENT: ClearWindowSurfaceTransparent fills the surface with it before painting.
inline constexpr std::uint32_t kTransparentPixel = 0xFF000000u;
void ClearWindowSurfaceTransparent(HWND hwnd);

}  // namespace win
