// The GPS window's bezels, one per aircraft: a frame whose borders the program measures on the
// bitmap's middle row and column, and inside it thirteen rows of image pairs (normal, a column of
// empty pixels, pressed), each row starting one pixel inside the left and top borders and
// followed by an empty row. The first three rows are wide pieces (a name plate, a knob and a
// lamp); the last ten are the push buttons WPT, NAV, NRST, MENU, up, down, left, right, OUT, IN.
#pragma once

#include <memory>

#include "gfx/bitmap.h"

namespace mkdata {

struct GpsBezelGeometry {
    int left;
    int right;
    int top;
    int bottom;
    int width;  // the bitmap's
    int height;
    int buttonWidth;
    int buttonHeight;
    int pieceHeight;  // the three wide pieces'
};

[[nodiscard]] GpsBezelGeometry GpsBezelGeometryOf(int type);
// The bezel of aircraft type 0..4, in the type's panel colours.
[[nodiscard]] std::unique_ptr<gfx::GFXBitmap> DrawGpsBezel(int type);

}  // namespace mkdata
