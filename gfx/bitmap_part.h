// A part of a bitmap put through a draw table with the part held inside the bitmap: an edge
// that lies before the bitmap's first column or row is cut off and the destination moves with
// it, so what is drawn stands where it would have stood; edges past the bitmap are cut back.
// The panel pieces, backgrounds and erases take their rectangles from tables and values, which
// may reach past a replacement picture of another size.
#pragma once

#include "gfx/bitmap.h"
#include "gfx/draw_table.h"
#include "gfx/surface.h"

namespace gfx {

// False, drawing nothing, when the bitmap has no pixels, the table copies no parts, or nothing of
// the part lies inside the bitmap.
bool DrawBitmapPartInside(GFXSurface* surface, const GFXDrawTable* table, const GFXBitmap* bitmap,
                          GFXRect source, GFXPoint at);

}  // namespace gfx
