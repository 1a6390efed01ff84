// Draw-primitive tables: every drawing operation of the program goes through the GFXDrawTable
// that a surface's GetDrawTable answers, called with the surface first. Each entry clips
// against the surface, records what it covered in drawnRect and hands the clipped work to the
// span rasterizer, the span-list shapes or the bitmap copy loops. Whatever the surface's clip
// flag says, nothing is ever written outside the surface itself.
#pragma once

#include <cstdint>

#include "gfx/surface.h"
#include "gfx/surface_types.h"

namespace gfx {

class GFXBitmap;
class GFXFont;
struct GFXPolyRequest;

// Mirror flags of the bitmap entries.
inline constexpr std::uint32_t kMirrorX = 0x01;
inline constexpr std::uint32_t kMirrorY = 0x02;

struct GFXDrawTable {
    void (*Clear)(GFXSurface* s, std::uint32_t colour);                                        // 0
    void (*DrawPixel)(GFXSurface* s, GFXPoint p, std::uint32_t colour);                        // 1
    void (*DrawSegment)(GFXSurface* s, GFXPoint p0, GFXPoint p1, std::uint32_t colour);        // 2
    void (*DrawEllipse)(GFXSurface* s, const GFXRect& rect, std::uint32_t colour);             // 3
    void (*FillEllipse)(GFXSurface* s, const GFXRect& rect, std::uint32_t colour);             // 4
    void (*DrawRectangle)(GFXSurface* s, const GFXRect& rect, std::uint32_t colour);           // 5
    void (*FillRectangle)(GFXSurface* s, const GFXRect& rect, std::uint32_t colour);           // 6
    void (*DrawBitmap)(GFXSurface* s, const GFXBitmap* b, GFXPoint at, std::uint32_t mirror);  // 7
    void (*DrawBitmapPart)(GFXSurface* s, const GFXBitmap* b, const GFXRect& source, GFXPoint at,
                           std::uint32_t mirror);  // 8
    void (*DrawBitmapScaled)(GFXSurface* s, const GFXBitmap* b, GFXPoint at, GFXSize size,
                             std::uint32_t mirror);                                        // 9
    void (*Reserved10)(GFXSurface* s, std::uint32_t a, std::uint32_t b, std::uint32_t c);  // 10
    void (*DrawPolygon)(GFXSurface* s, GFXPolyRequest* request);                           // 11
    // 12, 13: text, answering 1 when drawn (the text entries belong to the font code).
    int (*DrawText)(GFXSurface* s, const GFXFont* font, GFXPoint at, const char* text);
    int (*DrawTextInRect)(GFXSurface* s, const GFXFont* font, const GFXRect& rect, const char* text,
                          std::uint32_t justify);
    void* unused14 = nullptr;
    void* unused15 = nullptr;
    void* unused16 = nullptr;
    void* unused17 = nullptr;
    void* unused18 = nullptr;
    void* unused19 = nullptr;
    void (*BeginFrame)(GFXSurface* s);  // 20
    void (*EndFrame)(GFXSurface* s);    // 21
};

// The clip-rectangle table of memory and window surfaces.
extern GFXDrawTable theSoftwareDrawTable;
// The full-screen surfaces' copy of it (its clear is replaced by the display code).
extern GFXDrawTable theDrawTableDD;
// The span-region table: the same operations, honouring the surface's span region (flags bit
// 1) for pixels, lines, ellipses and rectangles. No start-up path installs it.
extern GFXDrawTable theRegionDrawTable;
// The Direct3D table belongs to the 3D device code, which fills it when it exists.
extern GFXDrawTable theDrawTableD3D;

// The software cursor overlay, drawn by the presenting operations of the screen surfaces
// before the picture is shown and removed after it.
void SetCursorSaveSize(std::int32_t width, std::int32_t height);
void FreeCursorSave();
void SetCursorBitmap(const GFXBitmap* bitmap, GFXPoint hotSpot);
void SetCursorPosition(GFXPoint p);
void DrawCursor(GFXSurface* surface);
void RestoreUnderCursor(GFXSurface* surface);

}  // namespace gfx
