// Filled and outlined shapes of the drawing layer: ellipses, polygons and polylines, drawn with
// the DC's selected pen and brush as the map and the other line drawings use them. A hollow
// brush leaves the inside as it was; a null pen draws no outline.
#pragma once

#include "win/gdi.h"

namespace win {

// The ellipse inscribed in the box; the right and bottom edges lie outside it, as for
// Rectangle (a box of 9 by 9 pixels gives a circle 9 pixels across). Every row of the ellipse
// is symmetric about the box's centre. The outline is the filled area's border pixels, drawn
// with the pen (a wider pen grows about them); the brush fills the rest.
bool Ellipse(HDC hdc, int left, int top, int right, int bottom);

// The closed polygon through the points: its inside (alternate filling: a pixel is inside when
// its centre has an odd number of edges to its left) with the brush, then its edges with the
// pen as LineTo draws them, from every point to the next and from the last back to the first.
bool Polygon(HDC hdc, const POINT* points, int count);

// Lines from each point to the next, as LineTo draws them (the last point is not drawn). The
// current position is neither used nor changed.
bool Polyline(HDC hdc, const POINT* points, int count);

}  // namespace win
