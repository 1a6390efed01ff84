// Span-list shapes: lines, ellipses and bitmaps drawn as chains of span records in the span
// pool. A builder turns the primitive into records (one or two per row), the coverage clipper
// cuts them against a span region, a fix-up turns clipped records back into plain ones, and a
// drawer writes the pixels.
#pragma once

#include <cstdint>

#include "gfx/surface.h"

namespace gfx {

struct CoverageList;

// Widest and tallest ellipse rectangle the builders accept (their loops run once per row).
inline constexpr std::int32_t kMaxEllipseExtent = 32768;

// One record per row from the upper end point to the lower: the run of pixels the line covers
// on that row, chained in row order. Answers the row count.
int BuildLineSpans(GFXSpanRecord* records, GFXPoint a, GFXPoint b);
// The same line's pixels written straight into an 8-bit picture in one colour (the records'
// runs, without the records); both ends must lie inside the picture.
void DrawLineFill8(std::uint8_t* base, std::int32_t stride, GFXPoint a, GFXPoint b,
                   std::uint8_t colour);

// The filled ellipse inscribed in the rectangle: one record per row (rows with no pixel are
// hidden), each row's span symmetric about the rectangle's centre. Answers the row count, or 0
// for an empty, inverted or oversized rectangle.
int BuildEllipseSpans(GFXSpanRecord* records, const GFXRect& rect);

// Its outline: per row a left piece (record n) and its mirror image on the right (record
// rowCount + n), chained left, right, next row's left. Answers the row count (2 records each),
// or 0 as above.
int BuildEllipseOutlineSpans(GFXSpanRecord* records, const GFXRect& rect);

// Cuts the records of `shape` (rows from shape.firstRow) to the ellipse inscribed in the
// rectangle: clipStart/clipEnd with the clip flags, or hidden when nothing of a record is left.
void ClipSpansToEllipse(GFXSpanShape& shape, const GFXRect& rect);

// One record per row for a bitmap: x and lastOffset, the same source column, and source row
// firstSourceRow + i x rowStep; chained in row order.
void BuildBitmapSpans(GFXSpanShape& shape, std::int32_t rowCount, std::int32_t x,
                      std::int32_t lastOffset, std::int32_t source, std::int32_t firstSourceRow,
                      std::int32_t rowStep);

// Marks, clips or splits the records of `shape` against the open intervals of `list`. Split
// pieces take spare records from the end of the array (shape.nextSpare, counting down); when
// no spare is left the rest of the list is hidden.
void ClipSpansToCoverage(GFXSpanShape& shape, const CoverageList& list);

// The same, and closes in `list` what the visible pieces cover (an emptied interval goes back
// to the free chain; a piece inside an interval splits it when a free node is left).
void ClipSpansAndOcclude(GFXSpanShape& shape, CoverageList& list);

// Turn clipped records back into plain records of their visible piece; the bitmap form also
// moves the source column by the shape's source step.
void FixSpanRecords(GFXSpanShape& shape);
void FixBitmapSpanRecords(GFXSpanShape& shape);

// Drawers: start at base + firstRow x stride, advance a row at every record with kSpanNewRow,
// skip hidden records, and draw x .. x + lastOffset with the shape's colour (Fill) or through
// its blend table row (Blend: pixel = blendTable[colour x 256 + pixel]). Fill16 writes the
// 16-bit word `colour16`.
void DrawSpansFill(std::uint8_t* base, std::int32_t stride, const GFXSpanShape& shape);
void DrawSpansFill16(std::uint8_t* base, std::int32_t stride, const GFXSpanShape& shape,
                     std::uint16_t colour16);
void DrawSpansBlend(std::uint8_t* base, std::int32_t stride, const GFXSpanShape& shape);
// Shaded spans: pixel = sourceBase[(level_int << 8) | colour], the 16.16 level starting at the
// record's shade attribute and stepped by its shade-step attribute (ShapeStep: by the shape's
// shadeStep), the integer part wrapping at 256.
void DrawSpansShaded(std::uint8_t* base, std::int32_t stride, const GFXSpanShape& shape);
void DrawSpansShadedShapeStep(std::uint8_t* base, std::int32_t stride, const GFXSpanShape& shape);

}  // namespace gfx
